// Progress, ProgressDlg and ProgressThread: starting the dialog, handing over what was set before, cancelling and closing.
#include "sys/Progress.h"

#include <commctrl.h>

#include <cwchar>
#include <new>

#include "sys/PrevInstance.h"
#include "sys/ResStr.h"
#include "sys/TextTrunc.h"

extern "C" HINSTANCE hiDLL;

namespace {

wchar_t* CopyOf(const wchar_t* s)
{
    if (!s)
        s = L"";
    size_t length = wcslen(s);
    wchar_t* copy = new (std::nothrow) wchar_t[length + 1];
    if (copy)
        wmemcpy(copy, s, length + 1);
    return copy;
}

void Keep(wchar_t*& slot, const wchar_t* s)
{
    delete[] slot;
    slot = CopyOf(s);
}

struct PopupSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindPopup(HWND w, LPARAM param)
{
    auto* search = reinterpret_cast<PopupSearch*>(param);
    if (w == search->owner || GetWindow(w, GW_OWNER) != search->owner || !IsWindowVisible(w))
        return TRUE;
    search->found = w;
    return FALSE;
}

// The visible pop-up the window owns (its message box), if any. Not GW_ENABLEDPOPUP: Wine
// answers it with nothing.
HWND OwnedPopup(HWND owner)
{
    PopupSearch search = {owner, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), FindPopup, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Reached(DWORD tick)
{
    return static_cast<LONG>(GetTickCount() - tick) >= 0;
}

} // namespace

// ---- ProgressDlg ----

ProgressDlg::ProgressDlg(ProgressThread* progressThread, HWND ownerWindow)
    : moving(FALSE), iconLarge(nullptr), iconSmall(nullptr), thread(progressThread), ownerWnd(ownerWindow),
      previousForeground(nullptr), asking(FALSE), closePending(FALSE)
{
}

ProgressDlg::~ProgressDlg()
{
    if (previousForeground && IsWindow(previousForeground))
        RedrawWindow(previousForeground, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    if (iconLarge)
        DestroyIcon(iconLarge);
    if (iconSmall)
        DestroyIcon(iconSmall);
}

LRESULT ProgressDlg::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ENTERSIZEMOVE:
        moving = TRUE;
        break;
    case WM_EXITSIZEMOVE:
        moving = FALSE;
        break;
    case WM_DESTROY:
        // The window that was active before gets the foreground back, as if we never were.
        if (previousForeground && IsWindow(previousForeground) && GetForegroundWindow() == hwnd)
            SetForegroundWindow(previousForeground);
        break;
    default:
        break;
    }
    return CSDlg::OnWndMessage(msg, wParam, lParam);
}

LRESULT ProgressDlg::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    SetAlignment(0);
    LRESULT result = CSDlg::OnInitDialog(wParam, lParam);
    iconLarge = static_cast<HICON>(LoadImageW(hiDLL, MAKEINTRESOURCEW(IconId), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    iconSmall = static_cast<HICON>(LoadImageW(hiDLL, MAKEINTRESOURCEW(IconId), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SendMsg(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(iconLarge));
    SendMsg(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(iconSmall));
    if (ownerWnd && IsWindow(ownerWnd))
        CenterWindow(ownerWnd);
    previousForeground = GetForegroundWindow();
    SetForegroundWindow(hwnd);
    progress.Init(this, BarCtl, 0, 1, 0);
    progress.SetupLines(FirstLineCtl, FirstLineCtl + 1, FirstLineCtl + 2, FirstLineCtl + 3);
    progress.Cancel(0);
    SetDlgItemFocus(IDCANCEL);
    if (thread) {
        thread->GetProgress()->dlg.store(this);
        thread->SetDlgReady();
    }
    (void)result;
    return FALSE;  // the focus is set
}

LRESULT ProgressDlg::OnOK()
{
    if (asking) {
        // The work ended while the user was asked: the question has lost its point.
        closePending = TRUE;
        if (HWND box = OwnedPopup(hwnd))
            PostMessageW(box, WM_COMMAND, IDNO, 0);
        return 1;
    }
    return CSDlg::OnOK();
}

LRESULT ProgressDlg::OnCancel()
{
    if (asking)
        return 1;
    asking = TRUE;
    int answer = Msg(hwnd, MB_YESNO | MB_ICONQUESTION, -ConfirmCancelId);
    asking = FALSE;
    if (closePending)
        return CloseDialog(IDOK, 1);
    if (answer == IDYES) {
        progress.Cancel(1);
        CloseDialog(IDCANCEL, 0);
    }
    return 1;
}

void ProgressDlg::SetTitle(const wchar_t* title)
{
    if (IsUp())
        SetWindowTextW(hwnd, title ? title : L"");
}

void ProgressDlg::SetText(int line, const wchar_t* text)
{
    if (IsUp())
        progress.SetText(line, text);
}

void ProgressDlg::SetRange(int min, int max)
{
    if (IsUp())
        progress.Setup(min, max, 0);
}

void ProgressDlg::SetRange64(long long min, long long max)
{
    if (IsUp())
        progress.SetRange64(min, max);
}

void ProgressDlg::SetPos(long pos)
{
    if (IsUp())
        progress.SendMsg(PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void ProgressDlg::SetPos64(long long pos)
{
    if (!IsUp())
        return;
    progress.SetPos64(pos);
    Raise();
}

void ProgressDlg::StepIt()
{
    if (IsUp() && progress.StepIt())
        Raise();
}

void ProgressDlg::Raise()
{
    if (moving)
        return;
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindow(hwnd);
}

// ---- ProgressThread ----

ProgressThread::ProgressThread(Progress* owner)
    : progress(owner), dlgReady(nullptr, TRUE, FALSE), dialog(this, owner ? owner->owner : nullptr)
{
}

ProgressThread::~ProgressThread()
{
    // The worker runs the dialog member: it must end before the members go.
    Destroy(100);
}

unsigned long ProgressThread::DoThreadEx()
{
    int result = dialog.Modal(-ProgressDlg::TemplateId, hiDLL, nullptr);
    if (progress) {
        if (result != IDOK)
            progress->canceled.store(1);
        progress->dlg.store(nullptr);
    }
    // A dialog that never appeared must not keep the worker waiting.
    SetDlgReady();
    return static_cast<unsigned long>(result);
}

bool ProgressThread::WaitForDlgReady(DWORD ms)
{
    DWORD start = GetTickCount();
    HANDLE handles[2] = {dlgReady, thread};
    DWORD count = thread ? 2 : 1;
    for (;;) {
        if (dlgReady.WaitSignalled(0))
            return true;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return false;
        DWORD result = MsgWaitForMultipleObjects(count, handles, FALSE, ms - elapsed, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + count)
            return dlgReady.WaitSignalled(0);  // ready, the thread ended, or the time is up
        // Only what other threads send is answered; this thread's own queue waits.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// ---- Progress ----

Progress::Progress(HWND ownerWnd, unsigned long delay, unsigned long interval)
    : owner(ownerWnd), canceled(0), thread(nullptr), dlg(nullptr), title(nullptr), lines{}, pendingSteps(0),
      pendingMin(-1), pendingMax(-1), pendingPos(-1), dueTick(0), textInterval(interval), nextTextTick(0),
      started(false), ownerDisabled(false)
{
    if (owner && IsWindow(owner) && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        ownerDisabled = true;
    }
    DWORD now = GetTickCount();
    if (textInterval)
        nextTextTick = now + textInterval;
    if (delay)
        dueTick = now + delay;
    else
        Start();
}

Progress::~Progress()
{
    Close();
    FreePending();
    if (ownerDisabled && owner && IsWindow(owner))
        EnableWindow(owner, TRUE);
}

void Progress::FreePending()
{
    delete[] title;
    title = nullptr;
    for (wchar_t*& line : lines) {
        delete[] line;
        line = nullptr;
    }
    pendingSteps = 0;
    pendingMin = pendingMax = pendingPos = -1;
}

void Progress::StartIfDue()
{
    if (!started && Reached(dueTick))
        Start();
}

void Progress::Start()
{
    started = true;
    thread = new (std::nothrow) ProgressThread(this);
    if (!thread || !thread->Start())
        return;
    thread->WaitForDlgReady(ReadyWaitMs);
    HandOver();
}

void Progress::HandOver()
{
    if (ProgressDlg* d = dlg.load()) {
        if (title)
            d->SetTitle(title);
        for (int line = 0; line < LineCount; ++line) {
            if (lines[line])
                d->SetText(line, lines[line]);
        }
        if (pendingMin >= 0 && pendingMax >= 0)
            d->SetRange64(pendingMin, pendingMax);
        if (pendingSteps)
            d->SetPos64(pendingSteps);
        if (pendingPos >= 0)
            d->SetPos(static_cast<long>(pendingPos));
    }
    FreePending();
}

bool Progress::TextTime()
{
    if (!textInterval)
        return true;
    if (!Reached(nextTextTick))
        return false;
    nextTextTick = GetTickCount() + textInterval;
    return true;
}

void Progress::SetTitle(const wchar_t* text)
{
    if (ProgressDlg* d = dlg.load())
        d->SetTitle(text);
    else if (!started)
        Keep(title, text);
}

void Progress::SetTitleFmt(const wchar_t* fmt, ...)
{
    wchar_t text[CSProgressCtrl::TextChars];
    va_list args;
    va_start(args, fmt);
    textbuf::FormatV(text, CSProgressCtrl::TextChars, fmt, args);
    va_end(args);
    SetTitle(text);
}

void Progress::SetText(int line, const wchar_t* text)
{
    if (line < 0 || line >= LineCount)
        return;
    if (ProgressDlg* d = dlg.load()) {
        if (TextTime())
            d->SetText(line, text);
        return;
    }
    if (started)
        return;
    Keep(lines[line], text);
    StartIfDue();
}

void Progress::SetTextFmt(int line, const wchar_t* fmt, ...)
{
    wchar_t text[CSProgressCtrl::TextChars];
    va_list args;
    va_start(args, fmt);
    textbuf::FormatV(text, CSProgressCtrl::TextChars, fmt, args);
    va_end(args);
    SetText(line, text);
}

void Progress::SetRange64(long long min, long long max)
{
    if (ProgressDlg* d = dlg.load()) {
        d->SetRange64(min, max);
    } else if (!started) {
        pendingMin = min;
        pendingMax = max;
    }
}

void Progress::SetPos(long pos)
{
    if (ProgressDlg* d = dlg.load())
        d->SetPos(pos);
    else if (!started)
        pendingPos = pos;
}

void Progress::StepIt()
{
    if (ProgressDlg* d = dlg.load()) {
        d->StepIt();
    } else if (!started) {
        ++pendingSteps;
        StartIfDue();
    }
}

void Progress::Init(unsigned range, unsigned titleId, unsigned textId)
{
    SetRange(0, static_cast<int>(range));
    ResStr titleText(static_cast<int>(titleId));
    SetTitle(titleText);
    ResStr lineText(static_cast<int>(textId));
    SetText(1, lineText);
}

bool Progress::NextStep(unsigned textId)
{
    if (IsCanceled())
        return false;
    StepIt();
    if (textId) {
        ResStr lineText(static_cast<int>(textId));
        SetText(1, lineText);
    }
    return true;
}

bool Progress::IsCanceled() const
{
    if (canceled.load())
        return true;
    ProgressDlg* d = dlg.load();
    return d && d->GetProgressCtrl().IsCanceled();
}

void Progress::Show(int show)
{
    ProgressDlg* d = dlg.load();
    HWND window = d ? d->GetHandle() : nullptr;
    if (!window)
        return;
    ShowWindow(window, show ? SW_SHOW : SW_HIDE);
    if (show)
        SetForegroundWindow(window);
}

void Progress::Close()
{
    if (!thread)
        return;
    if (HWND window = GetDlgHWND())
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    int quitCode = 0;
    if (!::ProcessAllMessages(nullptr, &quitCode))
        PostQuitMessage(quitCode);
    thread->Destroy(100);
    delete thread;
    thread = nullptr;
}

HWND Progress::GetDlgHWND() const
{
    ProgressDlg* d = dlg.load();
    return d ? d->GetHandle() : nullptr;
}

CSProgressCtrl* Progress::GetProgressCtrl() const
{
    ProgressDlg* d = dlg.load();
    return d ? &d->GetProgressCtrl() : nullptr;
}

ProgressEx* Progress::GetProgressEx() const
{
    CSProgressCtrl* ctrl = GetProgressCtrl();
    return ctrl ? ctrl->GetProgressEx() : nullptr;
}
