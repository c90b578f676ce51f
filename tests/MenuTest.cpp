// Menus, image lists and large fonts: ownership, columns, searches, tracking with the keyboard.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ui/CSImageList.h"
#include "ui/CSMenu.h"
#include "ui/LargeStaticTextCtl.h"
#include "tests/support/TestSupport.h"

namespace {

UINT TypeAt(HMENU menu, int pos)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info);
    return info.fType;
}

// An owner window that answers the menu with keys: queued as the menu opens, they are read
// by the menu's own loop. (Wine sends no WM_ENTERIDLE for a tracked pop-up.)
struct MenuOwner {
    static std::string keys;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_INITMENUPOPUP && !keys.empty()) {
            for (char k : keys)
                PostMessageW(hwnd, WM_KEYDOWN, k == 'D' ? VK_DOWN : k == 'R' ? VK_RETURN : VK_ESCAPE, 0);
            keys.clear();
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
};
std::string MenuOwner::keys;

} // namespace

TEST(Menu, OwnsOnlyWhatItCreates)
{
    HMENU borrowed = CreatePopupMenu(), made = nullptr;
    CSMenu(borrowed, TRUE).AppendItem(1, L"One");
    CSMenu().Attach(borrowed);
    EXPECT_TRUE(IsMenu(borrowed));
    DestroyMenu(borrowed);
    {
        CSMenu menu;
        ASSERT_TRUE(menu.CreatePopup());
        made = menu;
        menu.AppendItem(7, L"Seven");
        EXPECT_EQ(menu.GetCount(), 1);
    }
    EXPECT_FALSE(IsMenu(made));
    CSMenu detached;
    detached.CreatePopup();
    HMENU kept = detached.Detach();
    EXPECT_FALSE(detached.IsReady());
    EXPECT_TRUE(IsMenu(kept));
    DestroyMenu(kept);
}

TEST(Menu, LongMenusBreakIntoColumnsAndItemsAreFoundByText)
{
    CSMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    for (int i = 0; i < 25; ++i)
        menu.AppendItem(static_cast<UINT>(100 + i), (L"Item " + std::to_wstring(i)).c_str());
    menu.InsertBreaks(10, FALSE);
    ASSERT_EQ(menu.GetCount(), 27);
    std::vector<int> breaks;
    for (int pos = 0; pos < menu.GetCount(); ++pos) {
        if (TypeAt(menu, pos) & MFT_MENUBREAK) {
            breaks.push_back(pos);
            EXPECT_TRUE(TypeAt(menu, pos) & MFT_SEPARATOR) << pos;
        }
    }
    EXPECT_EQ(breaks, (std::vector<int>{10, 20}));
    // A short menu is left alone; a bar break marks the column with a line.
    CSMenu shortMenu;
    shortMenu.CreatePopup();
    for (int i = 0; i < 5; ++i)
        shortMenu.AppendItem(static_cast<UINT>(i + 1), L"x");
    shortMenu.InsertBreaks(5, TRUE);
    EXPECT_EQ(shortMenu.GetCount(), 5);
    shortMenu.AppendItem(6, L"y");
    shortMenu.InsertBreaks(3, TRUE);
    EXPECT_TRUE(TypeAt(shortMenu, 3) & MFT_MENUBARBREAK);

    menu.DeleteAll();
    EXPECT_EQ(menu.GetCount(), 0);
    menu.AppendItem(113, L"&Open");
    menu.AppendSeparator();
    menu.AppendItem(110, L"Configure");
    menu.AppendItem(111, L"Exit", TRUE);
    EXPECT_EQ(menu.FindStrPos(L"configure"), 2);
    EXPECT_EQ(menu.FindStrID(L"EXIT"), 111);
    EXPECT_EQ(menu.FindStrPos(L"About") + menu.FindStrID(nullptr), -2);
    EXPECT_TRUE(menu.SetDefaultByID(113));
    EXPECT_TRUE(menu.GetDefaultID() == 113 && menu.GetDefaultPos() == 0);
    EXPECT_EQ(menu.CheckItemByID(110, TRUE), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(menu.CheckItemByID(110, FALSE), static_cast<DWORD>(MF_CHECKED));
    EXPECT_TRUE(GetMenuState(menu, 111, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(menu.EnableItemByID(111, TRUE));
    EXPECT_FALSE(GetMenuState(menu, 111, MF_BYCOMMAND) & MF_GRAYED);
    wchar_t text[4] = {L'?', L'?', L'?', L'?'};
    EXPECT_EQ(menu.GetStrByID(110, text, 4), 3);  // cut to fit, terminated
    EXPECT_STREQ(text, L"Con");
}

TEST(Menu, TrackingReturnsTheChosenCommand)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MenuOwner::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"GlmbxTestMenuOwner";
    RegisterClassW(&wc);
    HWND owner = CreateWindowExW(0, wc.lpszClassName, L"owner", WS_POPUP | WS_VISIBLE, 200, 200, 50, 50, nullptr,
                                 nullptr, wc.hInstance, nullptr);
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);

    CSMenu menu;
    menu.CreatePopup();
    menu.AppendItem(113, L"Open");
    menu.AppendSeparator();
    menu.AppendItem(110, L"Configure");

    MenuOwner::keys = "DDR";  // down to "Open", down past the separator to "Configure", Enter
    EXPECT_EQ(menu.Track(owner, TRUE), 110u);
    EXPECT_EQ(GetForegroundWindow(), other);  // given back

    MenuOwner::keys = "E";
    EXPECT_EQ(menu.Track(owner, FALSE), 0u);

    DestroyWindow(other);
    DestroyWindow(owner);
}

TEST(ImageList, IconsGoInAndComeOutDrawn)
{
    CSImageList list;
    ASSERT_TRUE(list.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 2));
    EXPECT_EQ(list.GetIconSize(), static_cast<DWORD>(MAKELONG(16, 16)));
    BYTE andBits[32], xorBits[16 * 16 * 4];
    memset(andBits, 0, sizeof(andBits));
    for (int i = 0; i < 256; ++i)
        reinterpret_cast<DWORD*>(xorBits)[i] = 0xFF00C000;
    HICON icon = CreateIcon(nullptr, 16, 16, 1, 32, andBits, xorBits);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(list.AddIcon(icon), 0);
    EXPECT_EQ(list.ReplaceIcon(-1, icon), 1);
    EXPECT_EQ(list.AddIcon(nullptr), -1);
    DestroyIcon(icon);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(memory, canvas);
    EXPECT_TRUE(list.Draw(1, memory, 0, 0, ILD_NORMAL));
    EXPECT_EQ(GetPixel(memory, 8, 8), RGB(0, 0xC0, 0));
    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    HIMAGELIST raw = list.Detach();
    EXPECT_FALSE(list.IsReady());
    ImageList_Destroy(raw);
    EXPECT_EQ(list.AddFromBitmap(-9999, nullptr, 0), -1);
}

TEST(LargeText, FontIsEnlargedAndBold)
{
    LOGFONTW stock = {};
    GetObjectW(GetStockObject(ANSI_VAR_FONT), sizeof(stock), &stock);
    LargeStaticTextCtl title;
    ASSERT_NE(title.GetFont(), nullptr);
    LOGFONTW made = {};
    GetObjectW(title.GetFont(), sizeof(made), &made);
    LONG expected = stock.lfHeight * 2;
    expected += expected < 0 ? -2 : 2;
    EXPECT_EQ(made.lfHeight, expected);
    EXPECT_EQ(made.lfWeight, 700);

    EXPECT_TRUE(title.Setup(1, 0, 400, L""));
    GetObjectW(title.GetFont(), sizeof(made), &made);
    EXPECT_EQ(made.lfHeight, stock.lfHeight);
    EXPECT_EQ(made.lfWeight, stock.lfWeight);
}
