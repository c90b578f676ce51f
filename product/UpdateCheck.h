// The scheduled update check: the schedule record, the check at start-up, the background check and its settings.
#pragma once

#include <windows.h>

#include "sys/Api.h"

enum Check4UpdatesFreq : int {
    Check4UpdatesDaily = 0,    // "Tomorrow": again after 1 day
    Check4UpdatesWeekly = 1,   // "Next week": 7 days
    Check4UpdatesMonthly = 2,  // "Next month": 30 days
};

// The schedule, kept under the "Setup" key of the application's root. Read and written whole.
struct GLMBX_API UpdateSchedule {
    enum : DWORD { Unscheduled = 0, Never = 0xFFFFFFFF };
    enum { DescrChars = 256 };

    static const wchar_t pszSetupKey[];    // "Setup"
    static const wchar_t pszNextUpdate[];  // "NextUpdate": seconds as GetCurTime counts them
    static const wchar_t pszRemindFreq[];  // "RemindFreq": a Check4UpdatesFreq
    static const wchar_t pszAutoCheck[];   // "AutoCheck": check in the background without asking
    static const wchar_t pszUpdateDescr[]; // "UpdateDescr": the server's text about a known update
    static const wchar_t pszUpdateServer[];  // "UpdateServer": another server to ask (a string)

    DWORD nextCheck;
    DWORD remindFreq;
    DWORD autoCheck;
    wchar_t descr[DescrChars];

    // The defaults: unscheduled, monthly, asking, no description.
    UpdateSchedule();
    // Defaults first, then what the registry holds. A value that cannot be right counts as
    // missing: a frequency out of range, a description longer than 255 characters, a next
    // check further ahead than any reschedule puts it (the clock went back, or damage).
    void Read();
    // All four values, each only when it changed; an empty description deletes its value.
    // False when the key could not be opened for writing.
    bool Write() const;
    // The next check days from now (-1: by the frequency), plus 0 to 3599 seconds drawn from
    // the runtime's generator seeded with that time, so that installations spread their checks.
    void Reschedule(int days);
    // Keeps the first 255 characters.
    void SetDescr(const wchar_t* text);
};

// At start-up: a first run schedules the first check a week ahead; a due check shows the
// known update (dialog 21804), or starts the background check when it is automatic, or asks
// (dialog 21802); then the next check is scheduled by the frequency chosen.
GLMBX_API void CheckForUpdates(HWND owner);
// The background check for the command line "/CHECK4UPDATES" (any case; blanks around it are
// allowed): one request to the update server unless another copy is already checking. 0 for
// any other command line (nothing done), else 1.
GLMBX_EXTERN_C int DoCheckForUpdatesAuto(const wchar_t* cmdLine);

// Either pointer may be null.
GLMBX_API void GetCheck4UpdatesSettings(int* automatic, Check4UpdatesFreq* freq);
// A freq of -1 keeps the frequency (and the next check); another frequency reschedules.
GLMBX_API void SetCheck4UpdatesSettings(int automatic, Check4UpdatesFreq freq);
// The next check a week from now, and no known update.
GLMBX_API void ResetCheck4Updates();

// The server the check asks: the per-user "UpdateServer" value when it is set, else the
// product's own. Into buf, cut to chars.
GLMBX_API void GetUpdateServerName(wchar_t* buf, int chars);
// The update web page on that server, with what the check tells the server in its query.
GLMBX_API void GetUpdatePageUrl(wchar_t* buf, int chars);
// What the check tells the server, form-urlencoded (at most 255 characters).
GLMBX_API void GetUpdateRequestBody(wchar_t* buf, int chars);
