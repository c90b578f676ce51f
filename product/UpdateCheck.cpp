// The scheduled update check: the record, the check at start-up, the background check and the server's replies.
#include "product/UpdateCheck.h"

#include <cwchar>
#include <cwctype>

#include "product/DlgUpdate.h"
#include "product/ProductInfo.h"
#include "product/SendHttp.h"
#include "sys/RegKey.h"
#include "sys/ShellRun.h"
#include "sys/SyncObjects.h"
#include "sys/SysInfo.h"
#include "sys/TextTrunc.h"

const wchar_t UpdateSchedule::pszSetupKey[] = L"Setup";
const wchar_t UpdateSchedule::pszNextUpdate[] = L"NextUpdate";
const wchar_t UpdateSchedule::pszRemindFreq[] = L"RemindFreq";
const wchar_t UpdateSchedule::pszAutoCheck[] = L"AutoCheck";
const wchar_t UpdateSchedule::pszUpdateDescr[] = L"UpdateDescr";
const wchar_t UpdateSchedule::pszUpdateServer[] = L"UpdateServer";

namespace {

const wchar_t UpdateSwitch[] = L"/CHECK4UPDATES";
const wchar_t RunningEvent[] = L"CHECK4UPDATES_EVENT";
const wchar_t CheckPath[] = L"updates/check.php";
const wchar_t UpdatePagePath[] = L"updates/upgrade.php";
const unsigned int MaxReply = 1024;
const DWORD SecondsPerDay = 86400;
const int FirstCheckDays = 7;
const int RetryDays = 1;
// The longest a reschedule looks ahead: a month and the hour of spread.
const DWORD FurthestAhead = 30 * SecondsPerDay + 3600;

int DaysOf(DWORD freq)
{
    switch (freq) {
    case Check4UpdatesDaily:
        return 1;
    case Check4UpdatesWeekly:
        return 7;
    default:
        return 30;
    }
}

// The command line is the switch alone, blanks around it aside.
bool IsUpdateSwitch(const wchar_t* cmdLine)
{
    if (!cmdLine)
        return false;
    while (iswspace(*cmdLine))
        ++cmdLine;
    size_t length = wcslen(cmdLine);
    while (length && iswspace(cmdLine[length - 1]))
        --length;
    size_t switchLength = wcslen(UpdateSwitch);
    return length == switchLength && _wcsnicmp(cmdLine, UpdateSwitch, switchLength) == 0;
}

void AppendEncoded(wchar_t* buf, int chars, const wchar_t* name, const wchar_t* value)
{
    size_t used = wcslen(buf);
    if (used && used + 1 < static_cast<size_t>(chars))
        buf[used++] = L'&';
    for (const wchar_t* p = name; *p && used + 1 < static_cast<size_t>(chars); ++p)
        buf[used++] = *p;
    if (used + 1 < static_cast<size_t>(chars))
        buf[used++] = L'=';
    for (const wchar_t* p = value; p && *p; ++p) {
        wchar_t c = *p;
        bool plain = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                     c == L'.' || c == L'-' || c == L'_';
        if (plain) {
            if (used + 1 >= static_cast<size_t>(chars))
                break;
            buf[used++] = c;
        } else {
            // Whole escapes only: a cut one would change what the server reads.
            if (used + 3 >= static_cast<size_t>(chars) || c > 0xFF)
                break;
            _snwprintf(buf + used, 4, L"%%%02X", static_cast<unsigned>(c));
            used += 3;
        }
    }
    buf[used] = 0;
}

void ShowKnownUpdate(HWND owner, UpdateSchedule& schedule)
{
    DlgGetUpdates dlg(static_cast<int>(schedule.remindFreq), schedule.descr);
    dlg.Modal(-DlgGetUpdates::TemplateId, nullptr, owner);
    schedule.remindFreq = static_cast<DWORD>(dlg.GetFreq());
}

void RetryTomorrow()
{
    UpdateSchedule schedule;
    schedule.Read();
    schedule.Reschedule(RetryDays);
    schedule.Write();
}

} // namespace

// ---- UpdateSchedule ----

UpdateSchedule::UpdateSchedule()
    : nextCheck(Unscheduled), remindFreq(Check4UpdatesMonthly), autoCheck(0), descr{}
{
}

void UpdateSchedule::Read()
{
    *this = UpdateSchedule();
    RegKey key(GetProductInfo()->GetAppRootKey(), pszSetupKey, 0);
    if (!key.IsOpen())
        return;
    nextCheck = key.GetDword(pszNextUpdate, Unscheduled);
    if (nextCheck != Never && nextCheck > GetCurTime() + FurthestAhead)
        nextCheck = Unscheduled;
    remindFreq = key.GetDword(pszRemindFreq, Check4UpdatesMonthly);
    if (remindFreq > Check4UpdatesMonthly)
        remindFreq = Check4UpdatesMonthly;
    autoCheck = key.GetDword(pszAutoCheck, 0) ? 1 : 0;
    key.GetStr(pszUpdateDescr, descr, DescrChars);
}

bool UpdateSchedule::Write() const
{
    RegKey key(GetProductInfo()->GetAppRootKey(), pszSetupKey, 1);
    if (!key.IsOpen())
        return false;
    key.PutDword(pszNextUpdate, nextCheck);
    key.PutDword(pszRemindFreq, remindFreq);
    key.PutDword(pszAutoCheck, autoCheck);
    if (descr[0])
        key.PutStr(pszUpdateDescr, descr);
    else
        key.DelValue(pszUpdateDescr);
    return true;
}

void UpdateSchedule::Reschedule(int days)
{
    if (days < 0)
        days = DaysOf(remindFreq);
    DWORD next = static_cast<DWORD>(GetCurTime() + static_cast<DWORD>(days) * SecondsPerDay);
    // One draw of the runtime's generator (214013, 2531011) seeded with the time itself.
    DWORD state = next * 214013u + 2531011u;
    DWORD draw = (state >> 16) & 0x7FFF;
    next += draw % 3600;
    nextCheck = next == Never || next == Unscheduled ? next - 1 : next;
}

void UpdateSchedule::SetDescr(const wchar_t* text)
{
    textbuf::Copy(descr, DescrChars, text ? text : L"");
}

// ---- The checks ----

void CheckForUpdates(HWND owner)
{
    UpdateSchedule schedule;
    schedule.Read();
    if (schedule.nextCheck == UpdateSchedule::Never)
        return;
    if (schedule.nextCheck == UpdateSchedule::Unscheduled) {
        schedule.Reschedule(FirstCheckDays);
        schedule.Write();
        return;
    }
    if (GetCurTime() <= schedule.nextCheck)
        return;
    if (schedule.descr[0]) {
        ShowKnownUpdate(owner, schedule);
    } else if (schedule.autoCheck) {
        // The background copy reschedules when it has an answer to act on.
        RunLocalFile(owner, GetProductInfo()->GetAutoUpdateFile(), UpdateSwitch);
        return;
    } else {
        DlgCheckForUpdates dlg(static_cast<int>(schedule.remindFreq), 0);
        dlg.Modal(-DlgCheckForUpdates::TemplateId, nullptr, owner);
        schedule.remindFreq = static_cast<DWORD>(dlg.GetFreq());
        schedule.autoCheck = static_cast<DWORD>(dlg.IsAutomatic());
    }
    schedule.Reschedule(-1);
    schedule.Write();
}

int DoCheckForUpdatesAuto(const wchar_t* cmdLine)
{
    if (!IsUpdateSwitch(cmdLine))
        return 0;
    // Held for the check: another copy that finds it ends at once.
    EventSimple running(RunningEvent, TRUE, FALSE);
    if (running.IsAreadyExists())
        return 1;

    wchar_t server[UpdateSchedule::DescrChars];
    GetUpdateServerName(server, UpdateSchedule::DescrChars);
    wchar_t body[UpdateSchedule::DescrChars];
    GetUpdateRequestBody(body, UpdateSchedule::DescrChars);
    wchar_t* reply = SendHttp(server, CheckPath, MaxReply, body);

    if (reply) {
        // A server's line end is no part of what it says.
        size_t length = wcslen(reply);
        while (length && iswspace(reply[length - 1]))
            reply[--length] = 0;
    }
    if (!reply) {
        RetryTomorrow();
    } else if (_wcsicmp(reply, L"OK") == 0) {
        // No update: the schedule stays as it is.
    } else if ((reply[0] == L'U' || (reply[0] && reply[1] == L'=')) && reply[1] && reply[2]) {
        UpdateSchedule schedule;
        schedule.Read();
        schedule.SetDescr(reply + 2);
        // Known from now on, even if this copy ends while the user still looks at it.
        schedule.Reschedule(RetryDays);
        schedule.Write();
        ShowKnownUpdate(nullptr, schedule);
        schedule.Reschedule(-1);
        schedule.Write();
    } else {
        RetryTomorrow();
    }
    DelHttpBuffer(reply);
    return 1;
}

void GetCheck4UpdatesSettings(int* automatic, Check4UpdatesFreq* freq)
{
    UpdateSchedule schedule;
    schedule.Read();
    if (automatic)
        *automatic = schedule.autoCheck ? 1 : 0;
    if (freq)
        *freq = static_cast<Check4UpdatesFreq>(schedule.remindFreq);
}

void SetCheck4UpdatesSettings(int automatic, Check4UpdatesFreq freq)
{
    UpdateSchedule schedule;
    schedule.Read();
    schedule.autoCheck = automatic ? 1 : 0;
    int value = static_cast<int>(freq);
    if (value != -1 && value >= Check4UpdatesDaily && value <= Check4UpdatesMonthly &&
        static_cast<DWORD>(value) != schedule.remindFreq) {
        schedule.remindFreq = static_cast<DWORD>(value);
        schedule.Reschedule(-1);
    }
    schedule.Write();
}

void ResetCheck4Updates()
{
    UpdateSchedule schedule;
    schedule.Read();
    schedule.Reschedule(FirstCheckDays);
    schedule.SetDescr(nullptr);
    schedule.Write();
}

void GetUpdateServerName(wchar_t* buf, int chars)
{
    if (!buf || chars < 1)
        return;
    buf[0] = 0;
    RegKey key(GetProductInfo()->GetAppRootKey(), UpdateSchedule::pszSetupKey, 0);
    if (key.IsOpen())
        key.GetStr(UpdateSchedule::pszUpdateServer, buf, chars);
    const wchar_t* p = buf;
    while (iswspace(*p))
        ++p;
    if (!*p)
        textbuf::Copy(buf, chars, GetProductInfo()->GetUpdateServer());
}

void GetUpdatePageUrl(wchar_t* buf, int chars)
{
    if (!buf || chars < 1)
        return;
    wchar_t server[UpdateSchedule::DescrChars];
    GetUpdateServerName(server, UpdateSchedule::DescrChars);
    wchar_t body[UpdateSchedule::DescrChars];
    GetUpdateRequestBody(body, UpdateSchedule::DescrChars);
    const wchar_t* host = server;
    while (iswspace(*host))
        ++host;
    const wchar_t* scheme = L"http://";
    if (_wcsnicmp(host, L"https://", 8) == 0) {
        scheme = L"https://";
        host += 8;
    } else if (_wcsnicmp(host, L"http://", 7) == 0) {
        host += 7;
    }
    size_t hostLength = wcslen(host);
    while (hostLength && (host[hostLength - 1] == L'/' || iswspace(host[hostLength - 1])))
        --hostLength;
    textbuf::Format(buf, chars, L"%ls%.*ls/%ls?%ls", scheme, static_cast<int>(hostLength), host, UpdatePagePath, body);
}

void GetUpdateRequestBody(wchar_t* buf, int chars)
{
    if (!buf || chars < 1)
        return;
    buf[0] = 0;
    ProductInfo* product = GetProductInfo();
    wchar_t number[32];
    _snwprintf(number, 31, L"%u", static_cast<unsigned>(product->GetID()));
    number[31] = 0;
    AppendEncoded(buf, chars, L"product", number);
    AppendEncoded(buf, chars, L"version", product->GetVersionStr());
    AppendEncoded(buf, chars, L"revision", product->GetRevisionStr());
    AppendEncoded(buf, chars, L"edition", product->GetEditionShort());
    OSVERSIONINFOW os = {};
    os.dwOSVersionInfoSize = sizeof(os);
    if (GetVersionExW(&os)) {
        _snwprintf(number, 31, L"%lu.%lu.%lu", os.dwMajorVersion, os.dwMinorVersion, os.dwBuildNumber);
        number[31] = 0;
        AppendEncoded(buf, chars, L"os", number);
    }
    _snwprintf(number, 31, L"%04X", static_cast<unsigned>(GetUserDefaultUILanguage()));
    number[31] = 0;
    AppendEncoded(buf, chars, L"lang", number);
}
