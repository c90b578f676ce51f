// Hook installation and the shell side of the item, menu and open requests.
#include "app/DesktopHooks.h"

#include <commctrl.h>
#include <cstring>

#include "app/ModuleObjects.h"
#include "app/SharedData.h"
#include "app/ShellItemIcons.h"
#include "product/ProductInfo.h"

extern "C" HINSTANCE hiDLL;

namespace {

const UINT ItemStateFocusSelect = LVIS_FOCUSED | LVIS_SELECTED;

void SetItemState(HWND listView, int item, UINT state)
{
    LVITEMW lvi = {};
    lvi.state = state;
    lvi.stateMask = ItemStateFocusSelect;
    SendMessageW(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi));
}

void SelectOnly(HWND listView, int item)
{
    SetItemState(listView, -1, 0);
    SetItemState(listView, item, ItemStateFocusSelect);
}

// The shell's icons of the items it was asked for; process-local, released at unload.
ShellItemIcons itemIcons;

// Sub-code 50: one item's label, icon (overlay drawn in) and icon rectangle.
void ReadItem(HWND listView, int item)
{
    SharedData& s = g_sdata;
    s.lvItem.iItem = item;
    s.lvItem.pszText = s.szItemText;
    s.lvItem.cchTextMax = ItemTextChars;
    s.hItemIcon = nullptr;
    if (!SendMessageW(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&s.lvItem))) {
        // The item is gone (the desktop changed during the read): an empty answer.
        s.szItemText[0] = 0;
        SetRectEmpty(&s.rcItemIcon);
        g_sicon.valid = 0;
        SetEvent(GetSubclassEvent());
        return;
    }
    // A list view may answer with a pointer to its own copy instead of filling the buffer.
    if (s.lvItem.pszText && s.lvItem.pszText != s.szItemText && s.lvItem.pszText != LPSTR_TEXTCALLBACKW)
        lstrcpynW(s.szItemText, s.lvItem.pszText, ItemTextChars);
    s.szItemText[ItemTextChars - 1] = 0;

    // The overlay (a shortcut's arrow, say) is drawn into the icon.
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(listView, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    s.hItemIcon = itemIcons.Get(images, item, s.lvItem.iImage, s.lvItem.state);
    g_sicon.shellIcons = itemIcons.Count();

    s.rcItemIcon.left = LVIR_ICON;
    if (!SendMessageW(listView, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&s.rcItemIcon)))
        SetRectEmpty(&s.rcItemIcon);
    SetEvent(GetSubclassEvent());
}

// The thread that took the keyboard-form menu request while a mirror icon's square was
// pending, until its menu is placed or the request is over; 0 otherwise.
DWORD menuThread = 0;

bool IsMenuWindow(HWND hwnd)
{
    wchar_t name[8] = {};
    return GetClassNameW(hwnd, name, 8) && lstrcmpW(name, L"#32768") == 0;
}

// A view that takes the keyboard form's -1 as a real point (Wine's puts the menu at
// 65535,65535, the screen's corner) never asks where the item is: its menu window goes to
// the mirror icon instead, kept on the work area the way a pop-up menu flips at the edges.
void PlaceMenuAtMirrorIcon(WINDOWPOS& pos)
{
    const RECT& icon = g_sdata.rcMenuItem;
    POINT at = {(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT& work = monitor.rcWork;
    pos.x = at.x + pos.cx > work.right ? at.x - pos.cx : at.x;
    pos.y = at.y + pos.cy > work.bottom ? at.y - pos.cy : at.y;
    pos.x = pos.x < work.left ? work.left : pos.x;
    pos.y = pos.y < work.top ? work.top : pos.y;
}

// Sub-code 56: the item's menu at the mirror icon (through the return hook), or the
// desktop's menu at the cursor with nothing selected.
void OpenContextMenu(HWND listView, int item)
{
    SetItemState(listView, -1, 0);
    if (item == -1) {
        POINT pt = {};
        GetCursorPos(&pt);
        PostMessageW(listView, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(listView), MAKELPARAM(pt.x, pt.y));
        return;
    }
    SetItemState(listView, item, ItemStateFocusSelect);
    PostMessageW(listView, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(listView), -1);
}

// Sub-code 58: a double-click at the item's icon centre, then the mirror window closes.
void OpenItem(HWND listView, int item)
{
    SelectOnly(listView, item);
    RECT rc = {};
    rc.left = LVIR_ICON;
    SendMessageW(listView, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rc));
    LPARAM centre = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    PostMessageW(listView, WM_LBUTTONDOWN, 0, centre);
    PostMessageW(listView, WM_LBUTTONUP, 0, centre);
    PostMessageW(listView, WM_LBUTTONDBLCLK, 0, centre);
    PostMessageW(listView, WM_LBUTTONUP, 0, centre);
    if (g_sdata.hwndMirror)
        PostMessageW(g_sdata.hwndMirror, WM_CLOSE, 0, 0);
}

} // namespace

bool InstallGetMsgHook(bool on)
{
    if (on && !g_sdata.hookGetMsg)
        g_sdata.hookGetMsg = SetWindowsHookExW(WH_GETMESSAGE, GetMsgHookProc, hiDLL, 0);
    else if (!on && g_sdata.hookGetMsg && UnhookWindowsHookEx(g_sdata.hookGetMsg))
        g_sdata.hookGetMsg = nullptr;
    return (g_sdata.hookGetMsg != nullptr) == on;
}

bool InstallCallWndRetHook(bool on)
{
    if (on && !g_sdata.hookCallWndRet)
        g_sdata.hookCallWndRet = SetWindowsHookExW(WH_CALLWNDPROCRET, CallWndRetHookProc, hiDLL, 0);
    else if (!on && g_sdata.hookCallWndRet && UnhookWindowsHookEx(g_sdata.hookCallWndRet))
        g_sdata.hookCallWndRet = nullptr;
    return (g_sdata.hookCallWndRet != nullptr) == on;
}

LRESULT CALLBACK GetMsgHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    // Act once per request: when it is taken off the queue, not when it is only peeked at.
    if (code == HC_ACTION && (wParam & PM_REMOVE) && msg && g_sdata.msgCorvantrix &&
        msg->message == g_sdata.msgCorvantrix && msg->hwnd && msg->hwnd == g_sdata.hwndListView) {
        int item = static_cast<int>(msg->lParam);
        switch (msg->wParam) {
        case MyMsgReadItem:
            ReadItem(msg->hwnd, item);
            break;
        case MyMsgContextMenu:
            OpenContextMenu(msg->hwnd, item);
            break;
        case MyMsgOpenItem:
            OpenItem(msg->hwnd, item);
            break;
        default:
            break;
        }
    } else if (code == HC_ACTION && (wParam & PM_REMOVE) && msg && msg->message == WM_CONTEXTMENU &&
               msg->hwnd && msg->hwnd == g_sdata.hwndListView) {
        menuThread = msg->lParam == -1 && g_sdata.menuRectPending ? GetCurrentThreadId() : 0;
    }
    return CallNextHookEx(g_sdata.hookGetMsg, code, wParam, lParam);
}

LRESULT CALLBACK CallWndRetHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* ret = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code != HC_ACTION || !ret || !ret->hwnd)
        return CallNextHookEx(g_sdata.hookCallWndRet, code, wParam, lParam);
    if (ret->hwnd == g_sdata.hwndListView && ret->message == LVM_GETITEMRECT && g_sdata.menuRectPending &&
        ret->lParam) {
        *reinterpret_cast<RECT*>(ret->lParam) = g_sdata.rcMenuItem;
        g_sdata.menuRectPending = 0;
        menuThread = 0;
    } else if (menuThread && menuThread == GetCurrentThreadId()) {
        // The window position is read back after this returns, as after WM_WINDOWPOSCHANGING's own handler.
        WINDOWPOS* pos = reinterpret_cast<WINDOWPOS*>(ret->lParam);
        if (ret->message == WM_WINDOWPOSCHANGING && pos && !(pos->flags & SWP_NOMOVE) &&
            g_sdata.menuRectPending && IsMenuWindow(ret->hwnd)) {
            PlaceMenuAtMirrorIcon(*pos);
            g_sdata.menuRectPending = 0;
            menuThread = 0;
        } else if (ret->message == WM_CONTEXTMENU) {
            menuThread = 0;  // the view has finished with the request, menu or not
        }
    }
    return CallNextHookEx(g_sdata.hookCallWndRet, code, wParam, lParam);
}
