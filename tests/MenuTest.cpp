// Menus and large fonts: ownership, columns, searches, tracking with the keyboard.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ui/CSMenu.h"
#include "ui/LargeStaticTextCtl.h"

namespace {

// Keys for the next tracked menu, posted to its owner as it opens and read by the menu's own
// loop (Wine sends no WM_ENTERIDLE for a tracked pop-up): D down, R Enter, anything else Escape.
std::string keys;

LRESULT CALLBACK MenuOwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    for (char k : msg == WM_INITMENUPOPUP ? keys : std::string())
        PostMessageW(hwnd, WM_KEYDOWN, k == 'D' ? VK_DOWN : k == 'R' ? VK_RETURN : VK_ESCAPE, 0);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

TEST(Menu, OwnsOnlyWhatItCreates)
{
    HMENU borrowed = CreatePopupMenu(), made = nullptr;
    CSMenu(borrowed, TRUE).AppendItem(1, L"One");
    CSMenu().Attach(borrowed);
    EXPECT_TRUE(IsMenu(borrowed) && GetMenuItemCount(borrowed) == 1);
    {
        CSMenu menu;
        ASSERT_TRUE(menu.CreatePopup());
        made = menu;
        menu.Attach(borrowed);  // lets go of its own first
    }
    EXPECT_FALSE(IsMenu(made));
    EXPECT_TRUE(IsMenu(borrowed));
    DestroyMenu(borrowed);
}

TEST(Menu, LongMenusBreakIntoColumnsAndItemsAreFoundByTextInAnyCase)
{
    CSMenu menu, shortMenu;
    ASSERT_TRUE(menu.CreatePopup() && shortMenu.CreatePopup());
    for (int i = 0; i < 25; ++i)
        menu.AppendItem(static_cast<UINT>(100 + i), (L"Item " + std::to_wstring(i)).c_str());
    menu.InsertBreaks(10, FALSE);
    std::vector<int> breaks;  // each column starts with a separator that carries the break
    for (int pos = 0; pos < menu.GetCount(); ++pos) {
        MenuItemInfo info(MIIM_FTYPE);
        GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info);
        if (info.fType & (MFT_MENUBREAK | MFT_SEPARATOR))
            breaks.push_back((info.fType & MFT_MENUBREAK) && (info.fType & MFT_SEPARATOR) ? pos : -pos);
    }
    EXPECT_EQ(breaks, (std::vector<int>{10, 20}));
    EXPECT_EQ(menu.GetCount(), 27);
    // A menu no longer than a column is left alone; a bar break marks the column with a line.
    for (int i = 0; i < 4; ++i)
        shortMenu.AppendItem(static_cast<UINT>(i + 1), i == 2 ? L"&Configure" : L"x");
    shortMenu.InsertBreaks(4, TRUE);
    EXPECT_EQ(shortMenu.GetCount(), 4);
    shortMenu.InsertBreaks(3, TRUE);
    EXPECT_TRUE(GetMenuState(shortMenu, 3, MF_BYPOSITION) & MF_MENUBARBREAK);

    EXPECT_EQ(shortMenu.FindStrPos(L"&CONFIGURE"), 2);
    EXPECT_EQ(menu.FindStrID(L"item 12"), 112);
    EXPECT_EQ(menu.FindStrPos(L"About") + menu.FindStrID(nullptr), -2);
}

TEST(Menu, TrackingReturnsTheChosenCommandAndGivesTheForegroundBack)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MenuOwnerProc;
    wc.lpszClassName = L"GlmbxTestMenuOwner";
    RegisterClassW(&wc);
    HWND owner = CreateWindowExW(0, wc.lpszClassName, L"owner", WS_POPUP | WS_VISIBLE, 200, 200, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);
    CSMenu menu;
    menu.CreatePopup();
    menu.AppendItem(113, L"Open");
    menu.AppendSeparator();
    menu.AppendItem(110, L"Configure");
    keys = "DDR";  // down to "Open", down past the separator to "Configure", Enter
    EXPECT_EQ(menu.Track(owner, TRUE), 110u);
    EXPECT_EQ(GetForegroundWindow(), other);
    keys = "E";
    EXPECT_EQ(menu.Track(owner, FALSE), 0u);
    DestroyWindow(other);
    DestroyWindow(owner);
}

TEST(Menu, TheLargeFontIsTwiceTheStockOneAndTwoMoreAndBold)
{
    LOGFONTW stock = {}, made = {};
    GetObjectW(GetStockObject(ANSI_VAR_FONT), sizeof(stock), &stock);
    LargeStaticTextCtl title;
    GetObjectW(title.GetFont(), sizeof(made), &made);
    EXPECT_EQ(made.lfHeight, stock.lfHeight * 2 + (stock.lfHeight < 0 ? -2 : 2));
    EXPECT_EQ(made.lfWeight, 700);
    EXPECT_TRUE(title.Setup(1, 0, 400, L""));
    GetObjectW(title.GetFont(), sizeof(made), &made);
    EXPECT_TRUE(made.lfHeight == stock.lfHeight && made.lfWeight == stock.lfWeight);
}
