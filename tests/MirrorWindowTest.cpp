// The mirror window over the stand-in desktop, driven with real input: layout, painting,
// pointing, clicking, menus, dragging, closing and the remembered position.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/BkgBitmapCache.h"
#include "app/GlimpseboxWnd.h"
#include "app/MirrorOwner.h"
#include "app/MyOpts.h"
#include "app/SharedData.h"
#include "product/ProductInfo.h"
#include "sys/RegKey.h"
#include "sys/iPicture.h"
#include "tests/support/Pixels.h"
#include "tests/support/RealInput.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestMirrorOwner.h"
#include "tests/support/TestSupport.h"

using test::Field;
using test::StandinProcess;

using test::ItemLine;

namespace {

const wchar_t RootKey[] = L"HKCU\\Software\\Corvantrix\\Glimpsebox";


std::vector<COLORREF> ScreenSquare(int x, int y)
{
    return test::ScreenPixels(RECT{x, y, x + 16, y + 16});
}

// Whether every pixel of the square is the item's colour, or white where the overlay lies.
bool SquareShows(const std::vector<COLORREF>& square, COLORREF color, bool overlay)
{
    for (int row = 0; row < 16; ++row) {
        for (int col = 0; col < 16; ++col) {
            bool inOverlay = overlay && col < 8 && row >= 8;
            if (square[static_cast<size_t>(row * 16 + col)] != (inOverlay ? RGB(255, 255, 255) : color))
                return false;
        }
    }
    return true;
}

COLORREF ScreenPixel(int x, int y)
{
    std::vector<COLORREF> pixel = test::ScreenPixels(RECT{x, y, x + 1, y + 1});
    return pixel.empty() ? CLR_INVALID : pixel[0];
}

POINT ClientToScreenPoint(HWND hwnd, int x, int y)
{
    POINT pt = {x, y};
    ClientToScreen(hwnd, &pt);
    return pt;
}

class MirrorWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegKey root(RootKey, 1);
        root.DelAll();
        owner.opts.Load();
        // A plain background of a colour no item uses.
        owner.opts.bkgType = MyOpts::BkgColorType;
        owner.opts.gradientType = MyOpts::GradientNone;
        owner.opts.bkgColor = RGB(0, 0, 96);
    }
    void TearDown() override
    {
        if (window.GetHandle())
            window.Destroy();
        shell.Stop();
    }

    // The stand-in with three items of known colours, and the window opened over it.
    void OpenOverItems()
    {
        ASSERT_TRUE(shell.StartItems(ItemLine(60, 60, "FF0000", "Red") + ItemLine(300, 60, "00FF00", "Green") +
                                     ItemLine(60, 300, "FFFF00", "Yellow")));
        window.OpenFromTray();
        ASSERT_TRUE(window.IsOpen());
        ASSERT_TRUE(test::PumpUntil([&] { return IsWindowVisible(window.GetHandle()) != FALSE; }, 5000));
        ASSERT_EQ(window.Items().GetCount(), 3);
        UpdateWindow(window.GetHandle());
    }
    DesktopItem* Record(int i)
    {
        return static_cast<DesktopItem*>(window.Items().GetAt(window.Items().FindIndex(i)));
    }
    POINT IconCentre(int i)
    {
        return ClientToScreenPoint(window.GetHandle(), Record(i)->x + 8, Record(i)->y + 8);
    }
    bool Closed()
    {
        return test::PumpUntil([&] { return !window.IsOpen(); }, 10000);
    }

    test::TestMirrorOwner owner{};
    GlimpseboxWnd window{&owner};
    StandinProcess shell;
};

} // namespace

TEST_F(MirrorWindowTest, StylesAndSizeFollowTheOptions)
{
    struct Case {
        DWORD border;
        DWORD style;
        DWORD exStyle;
    } cases[] = {{0, 0x84C80000, 0x389}, {1, 0x84C80000, 0x88}, {2, 0x84880000, 0x389},
                 {3, 0x84880000, 0x88},  {4, 0x84080000, 0x88}, {9, 0x84080000, 0x88}};
    int spacingX = GetSystemMetrics(SM_CXICONSPACING), spacingY = GetSystemMetrics(SM_CYICONSPACING);
    int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    for (const Case& c : cases) {
        owner.opts.borderType = c.border;
        owner.opts.marginLeft = static_cast<int>(c.border) * 3;
        owner.opts.marginRight = 5;
        owner.opts.marginTop = 7;
        owner.opts.marginBottom = static_cast<int>(c.border);
        ASSERT_TRUE(window.Open()) << c.border;
        HWND hwnd = window.GetHandle();
        wchar_t cls[64] = {};
        GetClassNameW(hwnd, cls, 64);
        EXPECT_STREQ(cls, L"Corvantrix_Glimpsebox32");
        // The system may add state bits (visible, clip children); the frame bits must match.
        const DWORD frameBits = WS_POPUP | WS_CLIPSIBLINGS | WS_SYSMENU | WS_CAPTION | WS_BORDER | WS_DLGFRAME;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & frameBits, c.style & frameBits) << c.border;
        DWORD ex = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
        EXPECT_EQ(ex & c.exStyle, c.exStyle) << c.border;
        EXPECT_TRUE(ex & WS_EX_TOPMOST);
        RECT client;
        GetClientRect(hwnd, &client);
        EXPECT_EQ(client.right, MulDiv(screenW, 24, spacingX) + 5 + static_cast<int>(c.border) * 3 + 8) << c.border;
        EXPECT_EQ(client.bottom, MulDiv(screenH, 24, spacingY) + static_cast<int>(c.border) + 7 + 8) << c.border;
        EXPECT_EQ(GetSharedData()->hwndMirror, hwnd);
        window.Destroy();
        EXPECT_FALSE(window.IsOpen());
        EXPECT_EQ(GetSharedData()->hwndMirror, nullptr);
    }
}

TEST_F(MirrorWindowTest, FirstPositionIsTheCornerNearestThePointer)
{
    int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(test::Xdo("mousemove " + std::to_string(screenW - 20) + " " + std::to_string(screenH - 20)));
    ASSERT_TRUE(window.Open());
    RECT rc;
    GetWindowRect(window.GetHandle(), &rc);
    EXPECT_EQ(rc.right, screenW);
    EXPECT_EQ(rc.bottom, screenH);
    window.Destroy();

    RegKey(RootKey, 1).DelValue(MyWndOpts::pszPosX);
    ASSERT_TRUE(test::Xdo("mousemove 20 20"));
    ASSERT_TRUE(window.Open());
    GetWindowRect(window.GetHandle(), &rc);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
}

TEST_F(MirrorWindowTest, RememberedPositionIsPulledBackOntoTheScreen)
{
    {
        RegKey root(RootKey, 1);
        root.PutInt(MyWndOpts::pszPosX, 5000);
        root.PutInt(MyWndOpts::pszPosY, -40);
    }
    ASSERT_TRUE(window.Open());
    RECT rc;
    GetWindowRect(window.GetHandle(), &rc);
    EXPECT_EQ(rc.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rc.top, 0);
}

TEST_F(MirrorWindowTest, EveryIconIsDrawnAtItsPlace)
{
    OpenOverItems();
    const COLORREF colors[3] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(255, 255, 0)};
    std::vector<std::string> itemLines = shell.LinesWith("item ");
    ASSERT_EQ(itemLines.size(), 3u);
    int spacingX = GetSystemMetrics(SM_CXICONSPACING), spacingY = GetSystemMetrics(SM_CYICONSPACING);
    for (int i = 0; i < 3; ++i) {
        DesktopItem* record = Record(i);
        RECT rc = record->rcDesktop;
        EXPECT_EQ(record->x, -8 + MulDiv((rc.left + rc.right) / 2, 24, spacingX)) << i;
        EXPECT_EQ(record->y, -8 + MulDiv((rc.top + rc.bottom) / 2, 24, spacingY) + 8) << i;
        POINT centre = IconCentre(i);
        EXPECT_TRUE(test::PumpUntil([&] { return ScreenPixel(centre.x, centre.y) == colors[i]; }, 5000)) << i;
    }
    // Between the icons, the background.
    POINT empty = ClientToScreenPoint(window.GetHandle(), 2, window.ClientSize().cy - 3);
    EXPECT_EQ(ScreenPixel(empty.x, empty.y), RGB(0, 0, 96));
}

TEST_F(MirrorWindowTest, PointingRaisesTheIconAndShowsItsName)
{
    OpenOverItems();
    ASSERT_TRUE(test::Xdo(test::MoveTo(IconCentre(0))));
    ASSERT_TRUE(test::PumpUntil([&] { return window.GetHoverItem() == Record(0); }, 5000));
    RECT frame = {Record(0)->x - 2, Record(0)->y - 2, Record(0)->x + 19, Record(0)->y + 19};
    EXPECT_TRUE(EqualRect(&window.GetHighlightRect(), &frame));

    // The tooltip shows the item's label.
    HWND tip = window.GetTooltip();
    ASSERT_NE(tip, nullptr);
    wchar_t text[80] = {};
    EXPECT_TRUE(test::PumpUntil(
        [&] {
            TOOLINFOW ti = {};
            ti.cbSize = TTTOOLINFOW_V2_SIZE;
            ti.lpszText = text;
            return IsWindowVisible(tip) && SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) &&
                   wcscmp(text, L"Red") == 0;
        },
        5000));
    // The tooltip's question about the notifications' format gets the default answer.
    EXPECT_EQ(SendMessageW(window.GetHandle(), WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(tip), NF_QUERY),
              DefWindowProcW(window.GetHandle(), WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(tip), NF_QUERY));

    // On to the next icon: only the old frame is drawn again (the new one at once), not the window.
    static std::vector<RECT> repainted;
    static WNDPROC original;
    repainted.clear();
    struct Spy {
        static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
        {
            RECT update;
            if (msg == WM_PAINT && GetUpdateRect(hwnd, &update, FALSE))
                repainted.push_back(update);
            return CallWindowProcW(original, hwnd, msg, wParam, lParam);
        }
    };
    original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window.GetHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Spy::Proc)));
    ASSERT_TRUE(test::Xdo(test::MoveTo(IconCentre(1))));
    ASSERT_TRUE(test::PumpUntil([&] { return window.GetHoverItem() == Record(1); }, 5000));
    test::PumpUntil([&] { return !repainted.empty(); }, 2000);
    SetWindowLongPtrW(window.GetHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    ASSERT_FALSE(repainted.empty());
    for (const RECT& r : repainted)
        EXPECT_TRUE(EqualRect(&r, &frame)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
}

TEST_F(MirrorWindowTest, LeftClickOpensTheItemAndClosesTheWindow)
{
    OpenOverItems();
    size_t mark = shell.Mark();
    ASSERT_TRUE(test::Xdo(test::MoveTo(IconCentre(2)) + " sleep 0.1 " + test::HeldClick(1)));
    std::string line;
    ASSERT_TRUE(shell.WaitForLine("open ", &line, mark));
    EXPECT_EQ(Field(line, "label"), "Yellow");
    EXPECT_TRUE(Closed());
}

TEST_F(MirrorWindowTest, RightClickOnAnItemOpensItsMenuAtTheMirrorIcon)
{
    OpenOverItems();
    size_t mark = shell.Mark();
    POINT centre = IconCentre(1);
    ASSERT_TRUE(test::Xdo(test::MoveTo(centre) + " sleep 0.1 " + test::HeldClick(3)));
    std::string line;
    ASSERT_TRUE(shell.WaitForLine("menu ", &line, mark));
    EXPECT_EQ(Field(line, "item"), "1");
    POINT corner = ClientToScreenPoint(window.GetHandle(), Record(1)->x, Record(1)->y);
    EXPECT_EQ(Field(line, "rect"), std::to_string(corner.x) + "," + std::to_string(corner.y) + "," +
                                       std::to_string(corner.x + 16) + "," + std::to_string(corner.y + 16));
}

TEST_F(MirrorWindowTest, RightClickOnEmptySpaceOpensTheDesktopMenu)
{
    OpenOverItems();
    size_t mark = shell.Mark();
    POINT empty = ClientToScreenPoint(window.GetHandle(), 4, window.ClientSize().cy - 6);
    ASSERT_TRUE(test::Xdo(test::MoveTo(empty) + " sleep 0.1 " + test::HeldClick(3)));
    std::string line;
    ASSERT_TRUE(shell.WaitForLine("menu ", &line, mark));
    EXPECT_EQ(Field(line, "item"), "-1");
    ASSERT_TRUE(shell.WaitForLine("contextmenu ", &line, mark));
    EXPECT_EQ(Field(line, "x"), std::to_string(empty.x));
    EXPECT_EQ(Field(line, "y"), std::to_string(empty.y));
    for (const std::string& select : shell.LinesWith("select ", mark))
        EXPECT_EQ(Field(select, "state"), "0") << select;
}

TEST_F(MirrorWindowTest, DraggingEmptySpaceMovesTheWindowAndOpensNothing)
{
    OpenOverItems();
    RECT before;
    GetWindowRect(window.GetHandle(), &before);
    POINT from = ClientToScreenPoint(window.GetHandle(), 4, window.ClientSize().cy - 6);
    // Towards the middle of the screen, so the pointer never leaves it.
    int dx = from.x < GetSystemMetrics(SM_CXSCREEN) / 2 ? 60 : -60;
    int dy = from.y < GetSystemMetrics(SM_CYSCREEN) / 2 ? 40 : -40;
    size_t mark = shell.Mark();
    ASSERT_TRUE(test::Xdo(test::Drag(from, dx, dy)));
    ASSERT_TRUE(test::PumpUntil(
        [&] {
            RECT now;
            GetWindowRect(window.GetHandle(), &now);
            return now.left == before.left + dx && now.top == before.top + dy;
        },
        5000));
    EXPECT_TRUE(window.IsOpen());
    EXPECT_TRUE(shell.LinesWith("open ", mark).empty());

    // Closing keeps the last position for the next opening.
    RECT moved;
    GetWindowRect(window.GetHandle(), &moved);
    PostMessageW(window.GetHandle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(Closed());
    RegKey root(RootKey, 0);
    EXPECT_EQ(root.GetInt(MyWndOpts::pszPosX, 0), moved.left);
    EXPECT_EQ(root.GetInt(MyWndOpts::pszPosY, 0), moved.top);
}

TEST_F(MirrorWindowTest, ActivatingAnotherWindowClosesIt)
{
    OpenOverItems();
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);
    SetActiveWindow(other);
    EXPECT_TRUE(Closed());
    DestroyWindow(other);
}


TEST_F(MirrorWindowTest, EverySquareHoldsItsItemsPictureWithTheOverlay)
{
    ASSERT_TRUE(shell.StartItems(ItemLine(60, 60, "FF0000", "Plain") + ItemLine(300, 60, "0080FF", "Shortcut", 1) +
                                 ItemLine(60, 300, "00C000", "Other")));
    window.OpenFromTray();
    ASSERT_TRUE(window.IsOpen());
    ASSERT_EQ(window.Items().GetCount(), 3);
    UpdateWindow(window.GetHandle());
    const COLORREF colors[3] = {RGB(255, 0, 0), RGB(0, 128, 255), RGB(0, 192, 0)};
    for (int i = 0; i < 3; ++i) {
        POINT corner = ClientToScreenPoint(window.GetHandle(), Record(i)->x, Record(i)->y);
        EXPECT_TRUE(test::PumpUntil([&] { return SquareShows(ScreenSquare(corner.x, corner.y), colors[i], i == 1); },
                                    5000))
            << i;
    }

    // The shell draws one picture anew: a refresh shows it and makes that icon only.
    unsigned made = window.IconsMade();
    ASSERT_TRUE(PostMessageW(GetSharedData()->hwndDefView, RegisterWindowMessageW(L"StandinRecolor"), 2,
                             RGB(255, 255, 0)));
    ASSERT_TRUE(shell.WaitForLine("recolor "));
    SendMessageW(window.GetHandle(), WM_SYSCOMMAND, GlimpseboxWnd::CmdRefresh, 0);
    EXPECT_EQ(window.IconsMade(), made + 1);
    POINT corner = ClientToScreenPoint(window.GetHandle(), Record(2)->x, Record(2)->y);
    EXPECT_TRUE(test::PumpUntil([&] { return SquareShows(ScreenSquare(corner.x, corner.y), RGB(255, 255, 0), false); },
                                5000));
    SendMessageW(window.GetHandle(), WM_SYSCOMMAND, GlimpseboxWnd::CmdRefresh, 0);
    EXPECT_EQ(window.IconsMade(), made + 1);  // unchanged: no new icon
}

TEST_F(MirrorWindowTest, WithoutSmallImagesTheSquaresStayBackground)
{
    ASSERT_TRUE(shell.StartItems("!nosmallimagelist\n" + ItemLine(60, 60, "FF0000", "Plain") +
                                 ItemLine(300, 60, "00FF00", "Other", 1)));
    window.OpenFromTray();
    ASSERT_TRUE(window.IsOpen());
    ASSERT_EQ(window.Items().GetCount(), 2);
    UpdateWindow(window.GetHandle());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Record(i)->hIcon, nullptr);
        POINT corner = ClientToScreenPoint(window.GetHandle(), Record(i)->x, Record(i)->y);
        EXPECT_TRUE(test::PumpUntil([&] { return SquareShows(ScreenSquare(corner.x, corner.y), RGB(0, 0, 96), false); },
                                    5000))
            << i;
    }
}

TEST_F(MirrorWindowTest, RefreshReusesEveryRecordAndTheCloseRequestCloses)
{
    OpenOverItems();
    std::vector<DesktopItem*> before;
    for (int i = 0; i < 3; ++i)
        before.push_back(Record(i));
    POINT corner = ClientToScreenPoint(window.GetHandle(), Record(0)->x, Record(0)->y);
    ASSERT_TRUE(test::PumpUntil([&] { return SquareShows(ScreenSquare(corner.x, corner.y), RGB(255, 0, 0), false); },
                                5000));
    unsigned made = window.IconsMade();

    SendMessageW(window.GetHandle(), WM_SYSCOMMAND, GlimpseboxWnd::CmdRefresh, 0);
    ASSERT_EQ(window.Items().GetCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Record(i), before[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(window.IconsMade(), made);
    EXPECT_TRUE(test::PumpUntil([&] { return SquareShows(ScreenSquare(corner.x, corner.y), RGB(255, 0, 0), false); },
                                5000));

    // Another product's close request is ignored; ours closes the window.
    ProductInfo::SendMyMessage(window.GetHandle(), MyMsgClose, 1234);
    test::PumpPending();
    EXPECT_TRUE(window.IsOpen());
    ProductInfo::SendMyMessage(window.GetHandle(), MyMsgClose, GetProductInfo()->GetID());
    EXPECT_TRUE(Closed());
}

TEST_F(MirrorWindowTest, TheNextOpeningUsesTheStoredPosition)
{
    OpenOverItems();
    SetWindowPos(window.GetHandle(), nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageW(window.GetHandle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(Closed());
    window.OpenFromTray();
    ASSERT_TRUE(window.IsOpen());
    RECT rc;
    GetWindowRect(window.GetHandle(), &rc);
    EXPECT_EQ(rc.left, 123);
    EXPECT_EQ(rc.top, 77);
}

TEST_F(MirrorWindowTest, OddMarginsAndDesktopsOfAnySize)
{
    // Margins typed into the registry by hand: the window still fits the screen.
    owner.opts.marginLeft = 999;
    owner.opts.marginRight = -50;
    owner.opts.marginTop = -999;
    owner.opts.marginBottom = 999;
    ASSERT_TRUE(shell.StartItems(""));
    window.OpenFromTray();
    ASSERT_TRUE(window.IsOpen());
    EXPECT_EQ(window.Items().GetCount(), 0);
    RECT rc;
    GetWindowRect(window.GetHandle(), &rc);
    EXPECT_GE(rc.left, 0);
    EXPECT_GE(rc.top, 0);
    window.Destroy();

    // Two thousand items, all read and placed.
    owner.opts.marginLeft = owner.opts.marginRight = owner.opts.marginTop = owner.opts.marginBottom = 0;
    std::string items;
    for (int i = 0; i < 2000; ++i)
        items += ItemLine(10 + (i % 40) * 24, 10 + (i / 40) * 14, i % 2 ? "FF0000" : "00FF00", "Item " + std::to_string(i));
    ASSERT_TRUE(shell.StartItems(items));
    window.OpenFromTray();
    ASSERT_TRUE(window.IsOpen());
    EXPECT_EQ(window.Items().GetCount(), 2000);
    EXPECT_EQ(static_cast<int>(SendMessageW(window.GetTooltip(), TTM_GETTOOLCOUNT, 0, 0)), 2000);
}

TEST_F(MirrorWindowTest, AShellThatIsKilledLeavesAWorkingWindow)
{
    OpenOverItems();
    shell.Kill();
    // Clicks on items now reach nobody; the window neither hangs nor breaks, and closes as usual.
    ASSERT_TRUE(test::Xdo(test::MoveTo(IconCentre(0)) + " sleep 0.1 " + test::HeldClick(1)));
    test::PumpPending();
    SendMessageW(window.GetHandle(), WM_SYSCOMMAND, GlimpseboxWnd::CmdRefresh, 0);
    EXPECT_TRUE(window.IsOpen());
    PostMessageW(window.GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Closed());
}
