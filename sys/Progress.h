// Progress, ProgressDlg and ProgressThread: the "Processing..." dialog of a long operation, shown on a thread of its own after a delay.
#pragma once

#include <windows.h>

#include <atomic>

#include "sys/Api.h"
#include "sys/CSThread.h"
#include "sys/SyncObjects.h"
#include "ui/CSDlg.h"
#include "ui/CSProgressCtrl.h"

class Progress;
class ProgressThread;

// Dialog 28000 of this library: four text lines, the bar and Cancel, which asks first (string
// 28008) and cancels only on Yes. Runs modally on its ProgressThread; the worker's calls act on
// it from the worker's thread, and only while its window exists.
class GLMBX_API ProgressDlg : public CSDlg {
public:
    enum { TemplateId = 28000, IconId = 28002, FirstLineCtl = 28003, BarCtl = 28007, ConfirmCancelId = 28008 };

    ProgressDlg(ProgressThread* progressThread, HWND ownerWindow);
    // Repaints the window that had the foreground before the dialog.
    ~ProgressDlg() override;

    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // Closes the dialog; while the cancel question is open, it is answered No first.
    LRESULT OnOK() override;
    LRESULT OnCancel() override;

    void SetTitle(const wchar_t* title);
    void SetText(int line, const wchar_t* text);
    // Setup(min, max, 0).
    void SetRange(int min, int max);
    void SetRange64(long long min, long long max);
    // PBM_SETPOS with the unscaled value.
    void SetPos(long pos);
    // These two bring the dialog to the top and repaint it when the bar moved.
    void SetPos64(long long pos);
    void StepIt();

    CSProgressCtrl& GetProgressCtrl() { return progress; }

private:
    bool IsUp() const { return hwnd && IsWindow(hwnd); }
    void Raise();

    BOOL moving;  // between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE: left where the user has it
    HICON iconLarge;
    HICON iconSmall;
    ProgressThread* thread;
    HWND ownerWnd;
    HWND previousForeground;
    CSProgressCtrl progress;
    BOOL asking;        // the cancel question is open
    BOOL closePending;  // OK arrived while it was
};

// The thread that runs a Progress's dialog; the dialog object lives as long as the thread
// object, so a worker that still holds its address never reaches freed memory.
class GLMBX_API ProgressThread : public CSThreadEx {
public:
    explicit ProgressThread(Progress* progress);
    ~ProgressThread() override;

    unsigned long DoThreadEx() override;

    void SetDlgReady() { dlgReady.Set(TRUE); }
    // Waits at most ms, answering the messages other threads send to this one meanwhile (the
    // dialog taking the foreground may send some). Whether the dialog is ready.
    bool WaitForDlgReady(DWORD ms);

    Progress* GetProgress() const { return progress; }

private:
    Progress* progress;
    EventSimple dlgReady;
    ProgressDlg dialog;
};

// What a worker uses for a long operation. The dialog appears after the delay (at the first
// SetText or StepIt after it), or at once without one; until then every value is kept and
// handed over when it appears. The owner window is disabled while the object lives.
class GLMBX_API Progress {
    friend class ProgressDlg;
    friend class ProgressThread;

public:
    enum { LineCount = CSProgressCtrl::LineCount, ReadyWaitMs = 5000 };

    // textInterval: while the dialog is shown, at most one new text per so many milliseconds
    // (texts in between are dropped); 0 shows every text.
    Progress(HWND owner, unsigned long delay = 0, unsigned long textInterval = 0);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void SetTitle(const wchar_t* title);
    void SetTitleFmt(const wchar_t* fmt, ...);
    void SetText(int line, const wchar_t* text);
    void SetTextFmt(int line, const wchar_t* fmt, ...);
    void SetRange(int min, int max) { SetRange64(min, max); }
    void SetRange64(long long min, long long max);
    void SetPos(long pos);
    void StepIt();

    // Range 0..range, the title and line 1 from string resources (negative: this library's).
    void Init(unsigned range, unsigned titleId, unsigned textId);
    // False once canceled; otherwise a step and line 1 from the string (0: unchanged).
    bool NextStep(unsigned textId);
    // The user canceled (answered Yes to the question), or the dialog ended without OK.
    bool IsCanceled() const;

    void Show(int show);
    // Ends the dialog (with OK) and its thread; nothing to do when it never appeared.
    void Close();

    // Null while the dialog does not exist.
    HWND GetDlgHWND() const;
    CSProgressCtrl* GetProgressCtrl() const;
    ProgressEx* GetProgressEx() const;

private:
    void StartIfDue();
    void Start();
    void HandOver();
    void FreePending();
    bool TextTime();

    HWND owner;
    std::atomic<int> canceled;
    ProgressThread* thread;
    std::atomic<ProgressDlg*> dlg;
    wchar_t* title;
    wchar_t* lines[LineCount];
    long long pendingSteps;
    long long pendingMin;  // -1: none
    long long pendingMax;
    long long pendingPos;
    DWORD dueTick;
    DWORD textInterval;
    DWORD nextTextTick;
    bool started;
    bool ownerDisabled;  // we disabled it, so we enable it again
};
