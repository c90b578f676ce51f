// Menus and large fonts: ownership, columns and searches. (The tray menu's tests track a menu with the keyboard.)
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ui/CSMenu.h"
#include "ui/LargeStaticTextCtl.h"

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
    EXPECT_TRUE(!IsMenu(made) && IsMenu(borrowed));
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
