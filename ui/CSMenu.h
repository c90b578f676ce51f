// CSMenu: a menu owned or borrowed, with item operations by id and by position and pop-up
// tracking (also next to a tray icon); MenuItemInfo: a MENUITEMINFOW ready for use.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// A MENUITEMINFOW with every field 0 but its size and the mask.
struct GLMBX_API MenuItemInfo : public MENUITEMINFOW {
    explicit MenuItemInfo(UINT mask);
};

class GLMBX_API CSMenu {
public:
    // An object made without a menu owns the one it creates; one given a menu never owns it.
    CSMenu() : hMenu(nullptr), popup(FALSE), owned(TRUE) {}
    CSMenu(HMENU h, BOOL isPopup) : hMenu(h), popup(isPopup), owned(h == nullptr) {}
    virtual ~CSMenu();
    CSMenu(const CSMenu&) = delete;
    CSMenu& operator=(const CSMenu&) = delete;

    // Deletes item 0 until the menu is empty.
    virtual void DeleteAll();

    BOOL Create();
    BOOL CreatePopup();
    // Borrowed: neither popup nor owned.
    void Attach(HMENU h);
    HMENU Detach();
    void Destroy();
    BOOL IsReady() const { return hMenu != nullptr; }
    operator HMENU() const { return hMenu; }

    BOOL GetItemInfo(UINT item, BOOL byPos, MENUITEMINFOW& info);
    BOOL SetItemInfo(UINT item, BOOL byPos, MENUITEMINFOW& info);
    BOOL GetItemInfoByID(UINT id, MENUITEMINFOW& info) { return GetItemInfo(id, FALSE, info); }
    BOOL GetItemInfoByPos(UINT pos, MENUITEMINFOW& info) { return GetItemInfo(pos, TRUE, info); }
    BOOL SetItemInfoByID(UINT id, MENUITEMINFOW& info) { return SetItemInfo(id, FALSE, info); }
    BOOL SetItemInfoByPos(UINT pos, MENUITEMINFOW& info) { return SetItemInfo(pos, TRUE, info); }
    BOOL DeleteItemByPos(UINT pos);
    BOOL DeleteItemByID(UINT id);
    BOOL RemoveItemByPos(UINT pos);
    BOOL RemoveItemByID(UINT id);
    BOOL SetDefaultByPos(UINT pos);
    BOOL SetDefaultByID(UINT id);
    int GetDefaultPos(UINT flags = 0);
    int GetDefaultID(UINT flags = 0);
    BOOL AppendItem(UINT id, const wchar_t* text, BOOL grayed = FALSE);
    BOOL AppendSubMenu(HMENU sub, const wchar_t* text, BOOL grayed = FALSE);
    BOOL AppendSeparator();
    // The previous state (MF_CHECKED or MF_UNCHECKED), -1 when the item does not exist.
    DWORD CheckItemByPos(UINT pos, BOOL check);
    DWORD CheckItemByID(UINT id, BOOL check);
    BOOL CheckRadioItemByID(UINT first, UINT last, UINT item);
    BOOL CheckRadioItemByPos(UINT first, UINT last, UINT item);
    BOOL EnableItemByID(UINT id, BOOL enable);
    BOOL EnableItemByPos(UINT pos, BOOL enable);
    int GetCount();
    UINT GetItemID(int pos);
    int GetStrLengthByID(UINT id);
    int GetStrLengthByPos(UINT pos);
    int GetStrByID(UINT id, wchar_t* buf, int cch);
    int GetStrByPos(UINT pos, wchar_t* buf, int cch);
    HMENU GetSubMenu(int pos);
    BOOL InsertItemByPos(UINT pos, UINT id, const wchar_t* text, UINT flags = 0);
    BOOL InsertItemByID(UINT item, UINT id, const wchar_t* text, UINT flags = 0);
    BOOL InsertSubmenuByPos(UINT pos, HMENU sub, const wchar_t* text, UINT flags = 0);
    BOOL InsertSubmenuByID(UINT item, HMENU sub, const wchar_t* text, UINT flags = 0);
    BOOL InsertSeparatorByPos(UINT pos);
    BOOL InsertSeparatorByID(UINT item);
    BOOL SetItemBitmapsByPos(UINT pos, HBITMAP unchecked, HBITMAP checked);
    BOOL SetItemBitmapsByID(UINT id, HBITMAP unchecked, HBITMAP checked);
    BOOL SetHelpId(DWORD id);
    DWORD GetHelpId();
    BOOL SetBreakByPos(UINT pos, BOOL bar);
    BOOL SetBreakByID(UINT id, BOOL bar);

    // The first item whose text equals text without regard to case; -1 when none.
    int FindStrPos(const wchar_t* text);
    int FindStrID(const wchar_t* text);
    // Splits a menu longer than perColumn items into columns, each after the first starting
    // with a separator that carries the break (a bar with bar). Sub-menus too.
    void InsertBreaks(int perColumn, BOOL bar);

    // The chosen command, 0 when none.
    UINT Track(HWND owner, POINT pt);
    // At the cursor; next to a tray icon the point moves one small icon towards the screen's
    // middle. The owner becomes the foreground window meanwhile, so that a click elsewhere
    // closes the menu; the previous foreground window gets it back.
    UINT Track(HWND owner, BOOL nearTrayIcon);

protected:
    BOOL SetBreak(UINT item, BOOL byPos, BOOL bar);

    HMENU hMenu;
    BOOL popup;
    BOOL owned;
};
