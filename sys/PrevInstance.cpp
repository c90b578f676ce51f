// Previous-instance search and activation across processes, and the message pump of the waits.
#include "sys/PrevInstance.h"

#include "sys/WndUtil.h"

#include "product/ProductInfo.h"

namespace {

// The identity and activation queries are answered by the other instance's window
// procedure. A busy but healthy program answers well within this; without a bound, a hung
// one would hang every later start of the program instead of letting it go on.
const UINT QueryTimeoutMs = 5000;
const UINT CloseTimeoutMs = 1000;
// A window that never validates its paint makes the queue endless: one call takes at most
// this many, and the caller's loop comes back for the rest.
const int MaxMessagesPerCall = 1000;


HWND LastActivePopup(HWND wnd)
{
    HWND popup = GetLastActivePopup(wnd);
    return popup ? popup : wnd;
}

LRESULT Query(HWND wnd, WPARAM subCode, LPARAM arg, UINT timeout)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(wnd, ProductInfo::GetMyMessage(), subCode, arg, SMTO_ABORTIFHUNG, timeout, &answer))
        return 0;
    return static_cast<LRESULT>(answer);
}

// The first top-level window of the class and title that is the instance for id.
HWND FindInstance(const wchar_t* className, const wchar_t* title, WORD id)
{
    // Without class, title or identity every window would do.
    if (!className && !title && id == 0)
        return nullptr;
    HWND candidate = nullptr;
    while ((candidate = FindWindowExW(nullptr, candidate, className, title)) != nullptr) {
        if (id == 0 || Query(candidate, MyMsgIdentify, id, QueryTimeoutMs) != 0)
            return candidate;
    }
    return nullptr;
}

// A window of another thread is restored without waiting for that thread.
void Restore(HWND wnd)
{
    if (GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId())
        ShowWindow(wnd, SW_RESTORE);
    else
        ShowWindowAsync(wnd, SW_RESTORE);
}

struct BroadcastSearch {
    DWORD id;
    HWND found;
};

BOOL CALLBACK AskToActivate(HWND wnd, LPARAM param)
{
    auto* search = reinterpret_cast<BroadcastSearch*>(param);
    if (Query(wnd, MyMsgActivate, static_cast<LPARAM>(search->id), CloseTimeoutMs) != 0) {
        search->found = wnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int ActivatePrevWnd(const wchar_t* className, const wchar_t* title, WORD id)
{
    HWND instance = FindInstance(className, title, id);
    if (!instance)
        return 0;
    // This start is what the user just did, so this process may hand the foreground on.
    DWORD processId = 0;
    GetWindowThreadProcessId(instance, &processId);
    AllowSetForegroundWindow(processId);
    if (Query(instance, MyMsgActivate, id, QueryTimeoutMs) != 0)
        return 1;
    if (IsIconic(instance))
        Restore(instance);
    DoActivateWindow(LastActivePopup(instance));
    return 1;
}

int ClosePrevWnd(const wchar_t* className, const wchar_t* title, WORD id)
{
    HWND instance = FindInstance(className, title, id);
    if (!instance)
        return 0;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(instance, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, CloseTimeoutMs, &ignored);
    return 1;
}

int ActivatePrevDlg(WORD id)
{
    return ActivatePrevWnd(MAKEINTATOM(32770), nullptr, id);
}

int OnActivatePreviousInstance(DWORD id, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != ProductInfo::GetMyMessage() || wParam != MyMsgActivate || lParam != static_cast<LPARAM>(id))
        return 0;
    if (!IsWindow(wnd))
        return 0;
    if (IsIconic(wnd) || IsIconic(GetTopParent(wnd)))
        Restore(wnd);
    DoActivateWindow(LastActivePopup(wnd));
    return 1;
}

HWND ActivatePreviousInstance(DWORD id)
{
    BroadcastSearch search = {id, nullptr};
    EnumWindows(AskToActivate, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void DoActivateWindow(HWND wnd)
{
    if (!wnd)
        return;
    HWND foreground = GetForegroundWindow();
    DWORD foregroundThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    DWORD self = GetCurrentThreadId();
    // The system lets the foreground thread's input partners set the foreground.
    if (foregroundThread && foregroundThread != self && AttachThreadInput(self, foregroundThread, TRUE)) {
        SetForegroundWindow(wnd);
        AttachThreadInput(self, foregroundThread, FALSE);
        // Wine leaves the foreground with the other thread's input on detaching (no window at
        // all); there the system lets any thread set it.
        if (GetForegroundWindow() != wnd)
            SetForegroundWindow(wnd);
        return;
    }
    SetForegroundWindow(wnd);
}

int ProcessAllMessages(HWND wnd)
{
    return ProcessAllMessages(wnd, nullptr);
}

int ProcessAllMessages(HWND wnd, int* quitCode)
{
    int result = 1;
    MSG msg;
    for (int taken = 0; taken < MaxMessagesPerCall && PeekMessageW(&msg, wnd, 0, 0, PM_REMOVE); ++taken) {
        if (msg.message == WM_QUIT) {
            result = 0;
            if (quitCode)
                *quitCode = static_cast<int>(msg.wParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return result;
}
