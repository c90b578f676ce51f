// CSMenu and MenuItemInfo: item operations, searches, column breaks and pop-up tracking.
#include "ui/CSMenu.h"

#include <cstddef>
#include <cwchar>
#include <new>

MenuItemInfo::MenuItemInfo(UINT mask) : MENUITEMINFOW{}
{
    // Every system the library runs on (Windows 7 and later) takes the whole record.
    cbSize = sizeof(MENUITEMINFOW);
    fMask = mask;
}

CSMenu::~CSMenu()
{
    if (owned)
        Destroy();
}

void CSMenu::DeleteAll()
{
    while (hMenu && GetMenuItemCount(hMenu) > 0) {
        if (!DeleteMenu(hMenu, 0, MF_BYPOSITION))
            break;
    }
}

BOOL CSMenu::Create()
{
    if (owned)
        Destroy();
    hMenu = CreateMenu();
    popup = FALSE;
    owned = TRUE;
    return hMenu != nullptr;
}

BOOL CSMenu::CreatePopup()
{
    if (owned)
        Destroy();
    hMenu = CreatePopupMenu();
    popup = TRUE;
    owned = TRUE;
    return hMenu != nullptr;
}

void CSMenu::Attach(HMENU h)
{
    if (owned)
        Destroy();
    hMenu = h;
    popup = FALSE;
    owned = FALSE;
}

HMENU CSMenu::Detach()
{
    HMENU h = hMenu;
    hMenu = nullptr;
    popup = FALSE;
    owned = FALSE;
    return h;
}

void CSMenu::Destroy()
{
    if (hMenu)
        DestroyMenu(hMenu);
    hMenu = nullptr;
}

BOOL CSMenu::GetItemInfo(UINT item, BOOL byPos, MENUITEMINFOW& info)
{
    return GetMenuItemInfoW(hMenu, item, byPos, &info);
}

BOOL CSMenu::SetItemInfo(UINT item, BOOL byPos, MENUITEMINFOW& info)
{
    return SetMenuItemInfoW(hMenu, item, byPos, &info);
}

BOOL CSMenu::DeleteItemByPos(UINT pos)
{
    return DeleteMenu(hMenu, pos, MF_BYPOSITION);
}

BOOL CSMenu::DeleteItemByID(UINT id)
{
    return DeleteMenu(hMenu, id, MF_BYCOMMAND);
}

BOOL CSMenu::RemoveItemByPos(UINT pos)
{
    return RemoveMenu(hMenu, pos, MF_BYPOSITION);
}

BOOL CSMenu::RemoveItemByID(UINT id)
{
    return RemoveMenu(hMenu, id, MF_BYCOMMAND);
}

BOOL CSMenu::SetDefaultByPos(UINT pos)
{
    return SetMenuDefaultItem(hMenu, pos, TRUE);
}

BOOL CSMenu::SetDefaultByID(UINT id)
{
    return SetMenuDefaultItem(hMenu, id, FALSE);
}

int CSMenu::GetDefaultPos(UINT flags)
{
    return static_cast<int>(GetMenuDefaultItem(hMenu, TRUE, flags));
}

int CSMenu::GetDefaultID(UINT flags)
{
    return static_cast<int>(GetMenuDefaultItem(hMenu, FALSE, flags));
}

BOOL CSMenu::AppendItem(UINT id, const wchar_t* text, BOOL grayed)
{
    return AppendMenuW(hMenu, MF_STRING | (grayed ? MF_GRAYED : 0), id, text);
}

BOOL CSMenu::AppendSubMenu(HMENU sub, const wchar_t* text, BOOL grayed)
{
    return AppendMenuW(hMenu, MF_STRING | MF_POPUP | (grayed ? MF_GRAYED : 0), reinterpret_cast<UINT_PTR>(sub), text);
}

BOOL CSMenu::AppendSeparator()
{
    return AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
}

DWORD CSMenu::CheckItemByPos(UINT pos, BOOL check)
{
    return CheckMenuItem(hMenu, pos, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

DWORD CSMenu::CheckItemByID(UINT id, BOOL check)
{
    return CheckMenuItem(hMenu, id, MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED));
}

BOOL CSMenu::CheckRadioItemByID(UINT first, UINT last, UINT item)
{
    return CheckMenuRadioItem(hMenu, first, last, item, MF_BYCOMMAND);
}

BOOL CSMenu::CheckRadioItemByPos(UINT first, UINT last, UINT item)
{
    return CheckMenuRadioItem(hMenu, first, last, item, MF_BYPOSITION);
}

BOOL CSMenu::EnableItemByID(UINT id, BOOL enable)
{
    return EnableMenuItem(hMenu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED)) != -1;
}

BOOL CSMenu::EnableItemByPos(UINT pos, BOOL enable)
{
    return EnableMenuItem(hMenu, pos, MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED)) != -1;
}

int CSMenu::GetCount()
{
    return hMenu ? GetMenuItemCount(hMenu) : 0;
}

UINT CSMenu::GetItemID(int pos)
{
    return GetMenuItemID(hMenu, pos);
}

int CSMenu::GetStrLengthByID(UINT id)
{
    return GetMenuStringW(hMenu, id, nullptr, 0, MF_BYCOMMAND);
}

int CSMenu::GetStrLengthByPos(UINT pos)
{
    return GetMenuStringW(hMenu, pos, nullptr, 0, MF_BYPOSITION);
}

int CSMenu::GetStrByID(UINT id, wchar_t* buf, int cch)
{
    if (buf && cch > 0)
        buf[0] = 0;
    return GetMenuStringW(hMenu, id, buf, cch, MF_BYCOMMAND);
}

int CSMenu::GetStrByPos(UINT pos, wchar_t* buf, int cch)
{
    if (buf && cch > 0)
        buf[0] = 0;
    return GetMenuStringW(hMenu, pos, buf, cch, MF_BYPOSITION);
}

HMENU CSMenu::GetSubMenu(int pos)
{
    return ::GetSubMenu(hMenu, pos);
}

BOOL CSMenu::InsertItemByPos(UINT pos, UINT id, const wchar_t* text, UINT flags)
{
    return InsertMenuW(hMenu, pos, MF_BYPOSITION | MF_STRING | flags, id, text);
}

BOOL CSMenu::InsertItemByID(UINT item, UINT id, const wchar_t* text, UINT flags)
{
    return InsertMenuW(hMenu, item, MF_BYCOMMAND | MF_STRING | flags, id, text);
}

BOOL CSMenu::InsertSubmenuByPos(UINT pos, HMENU sub, const wchar_t* text, UINT flags)
{
    return InsertMenuW(hMenu, pos, MF_BYPOSITION | MF_STRING | MF_POPUP | flags, reinterpret_cast<UINT_PTR>(sub), text);
}

BOOL CSMenu::InsertSubmenuByID(UINT item, HMENU sub, const wchar_t* text, UINT flags)
{
    return InsertMenuW(hMenu, item, MF_BYCOMMAND | MF_STRING | MF_POPUP | flags, reinterpret_cast<UINT_PTR>(sub), text);
}

BOOL CSMenu::InsertSeparatorByPos(UINT pos)
{
    return InsertMenuW(hMenu, pos, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

BOOL CSMenu::InsertSeparatorByID(UINT item)
{
    return InsertMenuW(hMenu, item, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
}

BOOL CSMenu::SetItemBitmapsByPos(UINT pos, HBITMAP unchecked, HBITMAP checked)
{
    return SetMenuItemBitmaps(hMenu, pos, MF_BYPOSITION, unchecked, checked);
}

BOOL CSMenu::SetItemBitmapsByID(UINT id, HBITMAP unchecked, HBITMAP checked)
{
    return SetMenuItemBitmaps(hMenu, id, MF_BYCOMMAND, unchecked, checked);
}

BOOL CSMenu::SetHelpId(DWORD id)
{
    return SetMenuContextHelpId(hMenu, id);
}

DWORD CSMenu::GetHelpId()
{
    return GetMenuContextHelpId(hMenu);
}

BOOL CSMenu::SetBreak(UINT item, BOOL byPos, BOOL bar)
{
    MenuItemInfo info(MIIM_TYPE);
    wchar_t text[256] = {};
    info.dwTypeData = text;
    info.cch = 256;
    if (!GetItemInfo(item, byPos, info))
        return FALSE;
    info.fType |= bar ? MFT_MENUBARBREAK : MFT_MENUBREAK;
    info.cch = static_cast<UINT>(wcslen(text));
    return SetItemInfo(item, byPos, info);
}

BOOL CSMenu::SetBreakByPos(UINT pos, BOOL bar)
{
    return SetBreak(pos, TRUE, bar);
}

BOOL CSMenu::SetBreakByID(UINT id, BOOL bar)
{
    return SetBreak(id, FALSE, bar);
}

int CSMenu::FindStrPos(const wchar_t* text)
{
    if (!text)
        return -1;
    int count = GetCount();
    for (int pos = 0; pos < count; ++pos) {
        int length = GetStrLengthByPos(static_cast<UINT>(pos));
        if (length <= 0)
            continue;
        wchar_t* item = new (std::nothrow) wchar_t[static_cast<size_t>(length) + 1];
        if (!item)
            return -1;
        GetStrByPos(static_cast<UINT>(pos), item, length + 1);
        bool same = _wcsicmp(item, text) == 0;
        delete[] item;
        if (same)
            return pos;
    }
    return -1;
}

int CSMenu::FindStrID(const wchar_t* text)
{
    int pos = FindStrPos(text);
    return pos < 0 ? -1 : static_cast<int>(GetItemID(pos));
}

void CSMenu::InsertBreaks(int perColumn, BOOL bar)
{
    if (perColumn < 1 || GetCount() <= perColumn)
        return;
    for (int pos = 0; pos < GetCount(); ++pos) {
        if (HMENU sub = GetSubMenu(pos)) {
            CSMenu inner(sub, TRUE);
            inner.InsertBreaks(perColumn, bar);
        }
        if (pos > 0 && pos % perColumn == 0) {
            InsertSeparatorByPos(static_cast<UINT>(pos));
            SetBreakByPos(static_cast<UINT>(pos), bar);
        }
    }
}

UINT CSMenu::Track(HWND owner, POINT pt)
{
    return static_cast<UINT>(
        TrackPopupMenu(hMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner, nullptr));
}

UINT CSMenu::Track(HWND owner, BOOL nearTrayIcon)
{
    HWND previous = GetForegroundWindow();
    SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW);
    SetForegroundWindow(owner);
    POINT pt = {};
    GetCursorPos(&pt);
    if (nearTrayIcon) {
        int dx = GetSystemMetrics(SM_CXSMICON), dy = GetSystemMetrics(SM_CYSMICON);
        pt.x += pt.x < GetSystemMetrics(SM_CXSCREEN) / 2 ? dx : -dx;
        pt.y += pt.y < GetSystemMetrics(SM_CYSCREEN) / 2 ? dy : -dy;
    }
    UINT command = Track(owner, pt);
    SetWindowPos(owner, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW);
    if (previous && IsWindow(previous))
        SetForegroundWindow(previous);
    return command;
}
