// CSWndEx: binding through "CSEX", message reports before and after handling, WM_NOTIFY callback.
#include "ui/CSWndEx.h"

namespace {

const wchar_t ExProperty[] = L"CSEX";

WNDPROC ProcOf(HWND h)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC));
}

bool IsOwnWindow(HWND h)
{
    DWORD process = 0;
    return GetWindowThreadProcessId(h, &process) && process == GetCurrentProcessId();
}

} // namespace

CSWndEx::CSWndEx()
    : notifyCallback(nullptr), notifyData(0), callbackWnd(nullptr), callbackMsg(0), callbackWParam(0),
      callbackItems(nullptr), unsubclassPending(FALSE)
{
}

CSWndEx::~CSWndEx()
{
    // The window may outlive the object: its procedure must not call into freed memory.
    if (hwnd && prevProc && GetWndEx(hwnd) == this)
        RestoreEx();
}

int CSWndEx::SubclassEx(HWND h)
{
    if (!prevProc) {
        HWND target = h ? h : hwnd;
        if (!target || !IsWindow(target) || !IsOwnWindow(target))
            return 0;
        WNDPROC current = ProcOf(target);
        if (!current || current == WndProcEx)
            return 0;
        hwnd = target;
        prevProc = current;
        destroyed = FALSE;
    }
    unsubclassPending = FALSE;
    SetPropW(hwnd, ExProperty, this);
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WndProcEx));
    return 1;
}

int CSWndEx::UnsubclassEx()
{
    if (dispatchDepth > 0) {
        unsubclassPending = TRUE;
        return 1;
    }
    return RestoreEx();
}

int CSWndEx::RestoreEx()
{
    unsubclassPending = FALSE;
    if (!hwnd || !prevProc)
        return 0;
    if (IsWindow(hwnd)) {
        // A subclass installed over ours keeps its chain; we only leave it.
        if (ProcOf(hwnd) == WndProcEx)
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevProc));
        if (GetPropW(hwnd, ExProperty) == this)
            RemovePropW(hwnd, ExProperty);
    }
    prevProc = nullptr;
    return 1;
}

void CSWndEx::SetNotifyCallback(NotifyCallback callback, ULONG_PTR data)
{
    notifyCallback = callback;
    notifyData = data;
}

void CSWndEx::SetMsgCallback(HWND wnd, MSG_CALLBACK_ITEM* items, UINT msg, UINT wParam)
{
    callbackWnd = wnd;
    if (wnd) {
        callbackItems = items;
        callbackMsg = msg;
        callbackWParam = wParam;
    } else {
        callbackItems = nullptr;
        callbackMsg = 0;
        callbackWParam = 0;
    }
}

CSWnd* CSWndEx::GetWndEx(HWND h)
{
    if (!h || !IsOwnWindow(h))
        return nullptr;
    return static_cast<CSWndEx*>(GetPropW(h, ExProperty));
}

int CSWndEx::OnNotify(NMHDR* pnm, LRESULT* pResult)
{
    return notifyCallback ? notifyCallback(notifyData, pnm, pResult) : 0;
}

const MSG_CALLBACK_ITEM* CSWndEx::FindCallbackItem(UINT msg) const
{
    if (!callbackItems)
        return nullptr;
    for (const MSG_CALLBACK_ITEM* item = callbackItems; item->flags; ++item) {
        if (item->msg == msg)
            return item;
    }
    return nullptr;
}

LRESULT CSWndEx::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const MSG_CALLBACK_ITEM* item = callbackWnd ? FindCallbackItem(msg) : nullptr;
    MSG_CALLBACK_DATA data = {msg, wParam, lParam, FALSE, FALSE, FALSE};
    if (item && (item->flags & MsgCallbackBefore)) {
        LRESULT answer = SendMessageW(callbackWnd, callbackMsg, callbackWParam, reinterpret_cast<LPARAM>(&data));
        if (data.bHandled)
            return answer;
        if (data.bChanged) {
            msg = data.msg;
            wParam = data.wParam;
            lParam = data.lParam;
        }
    }

    LRESULT result = 0;
    if (msg == WM_DESTROY || msg == WM_NCDESTROY) {
        result = CSWnd::OnWndMessage(msg, wParam, lParam);
        UnsubclassEx();
        return result;
    }
    if (msg == WM_NOTIFY && lParam) {
        LRESULT answer = 0;
        if (OnNotify(reinterpret_cast<NMHDR*>(lParam), &answer))
            return answer;
    }

    result = CSWnd::OnWndMessage(msg, wParam, lParam);
    if (item && (item->flags & MsgCallbackAfter) && callbackWnd) {
        data.msg = msg;
        data.wParam = wParam;
        data.lParam = lParam;
        data.bAfter = TRUE;
        data.bHandled = FALSE;
        data.bChanged = FALSE;
        LRESULT answer = SendMessageW(callbackWnd, callbackMsg, callbackWParam, reinterpret_cast<LPARAM>(&data));
        if (data.bHandled)
            result = answer;
    }
    if (unsubclassPending && dispatchDepth == 0)
        RestoreEx();
    return result;
}

LRESULT CALLBACK CSWndEx::WndProcEx(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CSWndEx* ex = static_cast<CSWndEx*>(GetWndEx(h));
    if (!ex)
        return 0;
    // The whole call counts as a dispatch: an unsubclass asked for by a report must not
    // take the previous procedure away from the message still on its way to it.
    ++ex->dispatchDepth;
    LRESULT result = ex->OnWndMessage(msg, wParam, lParam);
    if (--ex->dispatchDepth == 0) {
        if (ex->unsubclassPending)
            ex->RestoreEx();
        if (ex->removalPending) {
            ex->removalPending = FALSE;
            ex->RemoveAllWndHooks();
        }
        // WM_NCDESTROY reaches an object bound here only when the window died inside one of
        // its own dispatches; there is no teardown for it, only a clean state.
        ex->destroyed = FALSE;
    }
    return result;
}
