// The desktop mirror end to end: the mirror window in this process, the stand-in shell in
// another, the hooks of the library between them, and real input where a user would act.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "app/GlimpseboxWnd.h"
#include "app/ItemPictures.h"
#include "app/ModuleObjects.h"
#include "app/SharedData.h"
#include "product/ProductInfo.h"
#include "sys/RegKey.h"
#include "tests/support/Row.h"
#include "tests/support/Pixels.h"
#include "tests/support/RealInput.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestMirrorOwner.h"
#include "tests/support/TestSupport.h"

using test::Field;
using test::ItemLine;

namespace {

const wchar_t RootKey[] = L"HKCU\\Software\\Corvantrix\\Glimpsebox";
const COLORREF Ground = RGB(0, 0, 96);  // the background: no item has this colour
const std::string Released = "mouse LBUTTONUP x=-1 y=-1";

std::string Hex(COLORREF c)
{
    char text[8];
    snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

RECT ParseRect(const std::string& text)
{
    RECT rc = {};
    sscanf(text.c_str(), "%ld,%ld,%ld,%ld", &rc.left, &rc.top, &rc.right, &rc.bottom);
    return rc;
}

// Waits until the 16 x 16 square of the screen at pt shows colour (white where an overlay lies).
bool Shows(POINT pt, COLORREF color, bool overlay = false)
{
    return test::PumpUntil(
        [&] {
            std::vector<COLORREF> square = test::ScreenPixels(RECT{pt.x, pt.y, pt.x + 16, pt.y + 16});
            for (size_t i = 0; i < square.size(); ++i) {
                if (square[i] != (overlay && i % 16 < 8 && i / 16 >= 8 ? RGB(255, 255, 255) : color))
                    return false;
            }
            return !square.empty();
        },
        5000);
}

class MirrorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegKey(RootKey, 1).DelAll();
        owner.opts.Load();
        owner.opts.gradientType = MyOpts::GradientNone;
        owner.opts.bkgColor = Ground;
        // Off the window, which opens in the corner nearest the pointer: no tooltip covers an icon.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2 + 10, GetSystemMetrics(SM_CYSCREEN) / 2 + 10);
    }
    void TearDown() override
    {
        if (window.GetHandle())
            window.Destroy();
        shell.Stop();
    }

    // The stand-in with these items, and the window opened over it.
    bool Open(const std::string& items) { return shell.StartItems(items) && Reopen(); }
    // With settle, also waits until the shell has seen the release that ends a read, so that
    // log marks taken afterwards see only what comes next.
    bool Reopen(bool settle = true)
    {
        size_t released = shell.LinesWith(Released).size();
        window.OpenFromTray();
        UpdateWindow(window.GetHandle());
        return window.IsOpen() &&
               (!settle || test::PumpUntil([&] { return shell.LinesWith(Released).size() > released; }, 10000));
    }
    void Refresh() { SendMessageW(window.GetHandle(), WM_SYSCOMMAND, GlimpseboxWnd::CmdRefresh, 0); }
    bool Closed() { return test::PumpUntil([&] { return !window.IsOpen(); }, 10000); }
    bool Close()
    {
        PostMessageW(window.GetHandle(), WM_CLOSE, 0, 0);
        return Closed();
    }
    std::vector<DesktopItem*> Records()
    {
        std::vector<DesktopItem*> out;
        for (POS__* pos = window.Items().GetHeadPos(); pos;)
            out.push_back(static_cast<DesktopItem*>(window.Items().GetNext(pos)));
        return out;
    }
    std::vector<std::wstring> Labels()
    {
        std::vector<std::wstring> out;
        for (DesktopItem* record : Records())
            out.push_back(record->label);
        return out;
    }
    // A client point on the screen; At: relative to item i's icon.
    POINT Screen(int x, int y)
    {
        POINT pt = {x, y};
        ClientToScreen(window.GetHandle(), &pt);
        return pt;
    }
    POINT At(int i, int dx = 0, int dy = 0) { return Screen(Records()[i]->x + dx, Records()[i]->y + dy); }
    POINT Empty() { return Screen(4, window.ClientSize().cy - 6); }
    int Tools() { return static_cast<int>(SendMessageW(window.GetTooltip(), TTM_GETTOOLCOUNT, 0, 0)); }

    test::TestMirrorOwner owner{};
    GlimpseboxWnd window{&owner};
    test::StandinProcess shell;
};

// The window's own behaviours (layout, input, closing), apart from the reading of the desktop.
class MirrorWindowTest : public MirrorTest {};

const std::string ThreeItems = ItemLine(60, 60, "FF0000", "Red") + ItemLine(300, 60, "00FF00", "Green", 1) +
                               ItemLine(60, 300, "FFFF00", "Yellow");

} // namespace

TEST_F(MirrorTest, ReadsAndDrawsEveryItemAtItsPlace)
{
    const COLORREF colors[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0), RGB(0, 255, 255),
                               RGB(255, 0, 255)};
    const std::string labels[] = {"Report", "Twin", "Twin", "Shortcut to Notes", std::string(5000, 'W'),
                                  "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC"};
    std::string items;
    for (int i = 0; i < 6; ++i)
        items += ItemLine(20 + i % 3 * 100, 20 + i / 3 * 100, Hex(colors[i]).c_str(), labels[i], i == 3);
    SharedData* s = GetSharedData();
    memset(s->unused, 0xA5, sizeof(s->unused));
    ASSERT_TRUE(Open(items));
    EXPECT_EQ(s->hwndProgman, shell.Progman());
    EXPECT_NE(s->hwndDefView, nullptr);
    EXPECT_EQ(s->hwndListView, shell.ListView());
    EXPECT_EQ(s->hwndMirror, window.GetHandle());
    EXPECT_TRUE(s->hookGetMsg && s->hookCallWndRet);
    for (BYTE guard : s->unused)
        EXPECT_EQ(guard, 0xA5);  // a label of 5000 characters stays inside its buffer

    std::vector<std::string> itemLines = shell.LinesWith("item ");
    ASSERT_EQ(itemLines.size(), 6u);
    ASSERT_EQ(Records().size(), 6u);
    int spacingX = GetSystemMetrics(SM_CXICONSPACING), spacingY = GetSystemMetrics(SM_CYICONSPACING);
    for (int i = 0; i < 6; ++i) {
        test::Row trace(i);
        DesktopItem* record = Records()[i];
        EXPECT_EQ(record->item, i);
        EXPECT_EQ(std::wstring(record->label), test::FromUtf8(labels[i]).substr(0, 259));
        RECT rc = ParseRect(Field(itemLines[i], "icon"));
        EXPECT_TRUE(EqualRect(&record->rcDesktop, &rc));
        EXPECT_EQ(record->x, MulDiv((rc.left + rc.right) / 2, 24, spacingX) - 8);
        EXPECT_EQ(record->y, MulDiv((rc.top + rc.bottom) / 2, 24, spacingY));
        // The sensitive square is 17 x 17, both edges included.
        EXPECT_EQ(window.HitTest(record->x, record->y), record);
        EXPECT_EQ(window.HitTest(record->x + 16, record->y + 16), record);
        EXPECT_EQ(window.HitTest(record->x + 17, record->y), nullptr);
        // The picture crossed the process boundary with its overlay drawn in.
        EXPECT_TRUE(Shows(At(i), colors[i], i == 3));
    }
    EXPECT_TRUE(Shows(Screen(0, window.ClientSize().cy - 16), Ground));
    EXPECT_EQ(Tools(), 6);
    window.Destroy();
    EXPECT_TRUE(!s->hookGetMsg && !s->hookCallWndRet && !s->hwndMirror);
}

TEST_F(MirrorTest, RefreshRemakesOnlyAChangedPictureAndReusesEveryRecord)
{
    ASSERT_TRUE(Open(ItemLine(60, 60, "FF0000", "One") + ItemLine(300, 60, "00FF00", "Two", 1) +
                     ItemLine(60, 300, "0000FF", "Two")));
    std::vector<DesktopItem*> before = Records();
    std::vector<HICON> icons;
    for (DesktopItem* record : before)
        icons.push_back(record->hIcon);
    unsigned made = window.IconsMade();

    // The shell draws one picture anew at the same image index.
    ASSERT_TRUE(PostMessageW(GetSharedData()->hwndDefView, RegisterWindowMessageW(L"StandinRecolor"), 1,
                             RGB(255, 255, 0)));
    ASSERT_TRUE(shell.WaitForLine("recolor item=1 color=FFFF00"));
    Refresh();
    EXPECT_EQ(Records(), before);
    EXPECT_EQ(window.IconsMade(), made + 1);
    EXPECT_TRUE(before[0]->hIcon == icons[0] && before[2]->hIcon == icons[2]);
    EXPECT_TRUE(Shows(At(1), RGB(255, 255, 0), true));

    Refresh();
    EXPECT_EQ(Records(), before);
    EXPECT_EQ(window.IconsMade(), made + 1);
    EXPECT_EQ(Tools(), 3);  // tool ids start over at each read, so every old tool went
}

TEST_F(MirrorTest, ReopeningMergesChangedAndVanishedItems)
{
    ASSERT_TRUE(Open(ItemLine(20, 20, "FF0000", "A") + ItemLine(120, 20, "00FF00", "B") +
                     ItemLine(220, 20, "0000FF", "C") + ItemLine(320, 20, "FFFF00", "D")));
    std::vector<DesktopItem*> before = Records();
    ASSERT_TRUE(Close());

    // "X" in front of "B", "C" renamed to "c", "D" gone, and "A" in another colour.
    ASSERT_TRUE(Open(ItemLine(20, 20, "808080", "A") + ItemLine(120, 20, "00FF00", "X") +
                     ItemLine(220, 20, "0000FF", "B") + ItemLine(320, 20, "0000FF", "c")));
    std::vector<DesktopItem*> after = Records();
    ASSERT_EQ(Labels(), (std::vector<std::wstring>{L"A", L"X", L"B", L"c"}));
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[2], before[1]);  // matched later on: reused and moved down the list
    EXPECT_TRUE(after[1]->item == 1 && after[2]->item == 2);
    EXPECT_TRUE(Shows(At(0), RGB(128, 128, 128)));

    ASSERT_TRUE(Close());
    ASSERT_TRUE(Open("# nothing on the desktop\n"));
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(Tools(), 0);
}

TEST_F(MirrorTest, OddShellsEndTheReadWithinABound)
{
    struct Row {
        const char* what;
        std::string items;
        const wchar_t* args;
        std::vector<std::wstring> labels;
        bool icons;
    };
    const Row rows[] = {
        {"no small images", "!nosmallimagelist\n" + test::RowOfItems(2), L"", {L"Item 0", L"Item 1"}, false},
        {"an item deleted", test::RowOfItems(4), L"--delete-at 1", {L"Item 0", L"Item 1", L"Item 2"}, true},
        {"the shell dies", test::RowOfItems(5), L"--exit-at 2", {L"Item 0", L"Item 1"}, true},
        // The unanswered item is built from what the shared section held: the previous answer.
        {"the shell hangs", test::RowOfItems(3), L"--hang-at 2", {L"Item 0", L"Item 1", L"Item 1"}, true},
    };
    for (const Row& row : rows) {
        test::Row trace(row.what);
        if (window.GetHandle())
            window.Destroy();
        ASSERT_TRUE(shell.StartItems(row.items, row.args));
        DWORD start = GetTickCount();
        ASSERT_TRUE(Reopen(false));
        // One unanswered request costs one timeout; a gone list view takes no more requests.
        EXPECT_LT(GetTickCount() - start, 3u * DesktopMirror::AnswerTimeoutMs);
        ASSERT_EQ(Labels(), row.labels);
        EXPECT_EQ(Records()[0]->hIcon != nullptr, row.icons);
    }
    // A hung shell is not asked again: the records stay.
    ASSERT_TRUE(Close());
    ASSERT_TRUE(Reopen(false));
    EXPECT_EQ(Records().size(), 3u);
    shell.Kill();
}

TEST_F(MirrorTest, NoShellLeavesTheRecordsAsTheyWere)
{
    ASSERT_TRUE(Open(ItemLine(20, 20, "FF0000", "Kept")));
    ASSERT_TRUE(Close());
    shell.Stop();
    ASSERT_EQ(FindWindowW(L"Progman", nullptr), nullptr);
    ASSERT_TRUE(Reopen(false));
    SharedData* s = GetSharedData();
    EXPECT_TRUE(!s->hwndProgman && !s->hwndListView);
    EXPECT_EQ(Labels(), std::vector<std::wstring>{L"Kept"});
    EXPECT_TRUE(s->hookGetMsg && s->hookCallWndRet);  // in place all the same, for the window's life
}

// Right clicks open the desktop's menu at the pointer or the item's at its mirror icon; a left
// click opens the item with a double-click at its centre, and the window closes.
TEST_F(MirrorWindowTest, ClicksBecomeTheShellsOwnMenusAndDoubleClicks)
{
    ASSERT_TRUE(Open(ThreeItems));
    size_t mark = shell.Mark();
    POINT empty = Empty();
    ASSERT_TRUE(test::Xdo(test::MoveTo(empty) + " sleep 0.1 " + test::HeldClick(3)));
    std::string line;
    ASSERT_TRUE(shell.WaitForLine("menu ", &line, mark));
    EXPECT_EQ(Field(line, "item"), "-1");
    ASSERT_TRUE(shell.WaitForLine("contextmenu ", &line, mark));
    EXPECT_EQ(Field(line, "x") + "," + Field(line, "y"), std::to_string(empty.x) + "," + std::to_string(empty.y));
    EXPECT_EQ(shell.LinesWith("select ", mark), std::vector<std::string>{"select item=-1 state=0 mask=3"});

    mark = shell.Mark();
    ASSERT_TRUE(test::Xdo(test::MoveTo(At(1, 8, 8)) + " sleep 0.1 " + test::HeldClick(3)));
    ASSERT_TRUE(shell.WaitForLine("menu ", &line, mark));
    POINT corner = At(1);
    std::string square = std::to_string(corner.x) + "," + std::to_string(corner.y) + "," +
                         std::to_string(corner.x + 16) + "," + std::to_string(corner.y + 16);
    EXPECT_EQ(Field(line, "item") + " " + Field(line, "rect"), "1 " + square);
    EXPECT_EQ(GetSharedData()->menuRectPending, 0);
    EXPECT_EQ(shell.LinesWith("select ", mark),
              (std::vector<std::string>{"select item=-1 state=0 mask=3", "select item=1 state=3 mask=3"}));
    ASSERT_TRUE(shell.WaitForLine("contextmenu ", &line, mark));
    EXPECT_EQ(Field(line, "x") + "," + Field(line, "y"), "-1,-1");
    // Used once: the next question gets the list view's own answer.
    mark = shell.Mark();
    ASSERT_TRUE(ProductInfo::PostMyMessage(shell.ListView(), MyMsgContextMenu, 0));
    ASSERT_TRUE(shell.WaitForLine("menu ", &line, mark));
    EXPECT_EQ(Field(line, "rect"), Field(shell.LinesWith("item ")[0], "icon"));

    RECT rc = ParseRect(Field(shell.LinesWith("item ")[2], "icon"));
    std::string centre =
        "x=" + std::to_string((rc.left + rc.right) / 2) + " y=" + std::to_string((rc.top + rc.bottom) / 2);
    mark = shell.Mark();
    ASSERT_TRUE(test::Xdo(test::MoveTo(At(2, 8, 8)) + " sleep 0.1 " + test::HeldClick(1)));
    ASSERT_TRUE(shell.WaitForLine("open ", &line, mark));
    EXPECT_EQ(line, "open item=2 label=Yellow");
    EXPECT_EQ(shell.LinesWith("select ", mark),
              (std::vector<std::string>{"select item=-1 state=0 mask=3", "select item=2 state=3 mask=3"}));
    EXPECT_EQ(shell.LinesWith("mouse ", mark),
              (std::vector<std::string>{"mouse LBUTTONDOWN " + centre, "mouse LBUTTONUP " + centre,
                                        "mouse LBUTTONDBLCLK " + centre, "mouse LBUTTONUP " + centre}));
    EXPECT_TRUE(Closed());

    // The window closes even when the shell has nothing to open.
    ASSERT_TRUE(Reopen());
    mark = shell.Mark();
    ASSERT_TRUE(ProductInfo::PostMyMessage(shell.ListView(), MyMsgOpenItem, 57));
    EXPECT_TRUE(Closed());
    EXPECT_TRUE(shell.LinesWith("open ", mark).empty());
}

TEST_F(MirrorWindowTest, PointingRaisesTheIconAndShowsItsName)
{
    ASSERT_TRUE(Open(ThreeItems));
    ASSERT_TRUE(test::Xdo(test::MoveTo(At(0, 8, 8))));
    ASSERT_TRUE(test::PumpUntil([&] { return window.GetHoverItem() == Records()[0]; }, 5000));
    DesktopItem* first = Records()[0];
    RECT frame = {first->x - 2, first->y - 2, first->x + 19, first->y + 19};
    EXPECT_TRUE(EqualRect(&window.GetHighlightRect(), &frame));
    HWND tip = window.GetTooltip();
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

    // On to the next icon: only the old frame is drawn again (the new one at once), not the window.
    static std::vector<RECT> repainted;
    static WNDPROC original;
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
    ASSERT_TRUE(test::Xdo(test::MoveTo(At(1, 8, 8))));
    ASSERT_TRUE(test::PumpUntil([&] { return window.GetHoverItem() == Records()[1]; }, 5000));
    test::PumpUntil([&] { return !repainted.empty(); }, 2000);
    SetWindowLongPtrW(window.GetHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    ASSERT_FALSE(repainted.empty());
    for (const RECT& r : repainted)
        EXPECT_TRUE(EqualRect(&r, &frame)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
}

TEST_F(MirrorWindowTest, DraggingEmptySpaceMovesTheWindowOpensNothingAndIsRemembered)
{
    ASSERT_TRUE(Open(ThreeItems));
    RECT before;
    GetWindowRect(window.GetHandle(), &before);
    POINT from = Empty();
    // Towards the middle of the screen, so the pointer never leaves it.
    int dx = from.x < GetSystemMetrics(SM_CXSCREEN) / 2 ? 60 : -60;
    int dy = from.y < GetSystemMetrics(SM_CYSCREEN) / 2 ? 40 : -40;
    size_t mark = shell.Mark();
    ASSERT_TRUE(test::Xdo(test::Drag(from, dx, dy)));
    RECT now = {};
    ASSERT_TRUE(test::PumpUntil(
        [&] {
            GetWindowRect(window.GetHandle(), &now);
            return now.left == before.left + dx && now.top == before.top + dy;
        },
        5000));
    EXPECT_TRUE(shell.LinesWith("open ", mark).empty());
    ASSERT_TRUE(Close());
    RegKey root(RootKey, 0);
    EXPECT_EQ(root.GetInt(L"PosX", 0), now.left);
    EXPECT_EQ(root.GetInt(L"PosY", 0), now.top);
}

TEST_F(MirrorWindowTest, AKilledShellLeavesAWorkingWindowThatClosesWhenAnotherIsActivated)
{
    ASSERT_TRUE(Open(ThreeItems));
    shell.Kill();
    // Clicks on items now reach nobody; the window neither hangs nor breaks.
    ASSERT_TRUE(test::Xdo(test::MoveTo(At(0, 8, 8)) + " sleep 0.1 " + test::HeldClick(1)));
    test::PumpPending();
    Refresh();
    EXPECT_TRUE(window.IsOpen());
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);
    SetActiveWindow(other);
    EXPECT_TRUE(Closed());
    DestroyWindow(other);
}

TEST_F(MirrorTest, RequestsForOtherWindowsOrProductsAreIgnored)
{
    ASSERT_TRUE(Open(ThreeItems));
    size_t mark = shell.Mark();
    for (HWND other : {shell.Progman(), window.GetHandle()}) {
        for (WPARAM code : {WPARAM(MyMsgReadItem), WPARAM(MyMsgContextMenu), WPARAM(MyMsgOpenItem)})
            ProductInfo::PostMyMessage(other, code, 0);
    }
    // A real request afterwards: when its answer is there, the others have been seen.
    ResetEvent(GetSubclassEvent());
    ASSERT_TRUE(ProductInfo::PostMyMessage(shell.ListView(), MyMsgReadItem, 0));
    ASSERT_TRUE(test::PumpUntil([] { return WaitForSingleObject(GetSubclassEvent(), 0) == WAIT_OBJECT_0; }, 10000));
    ProductInfo::SendMyMessage(window.GetHandle(), MyMsgClose, 1234);
    ProductInfo::SendMyMessage(window.GetHandle(), MyMsgClose, 0x10000 | GetProductInfo()->GetID());  // all of it counts
    test::PumpPending();
    EXPECT_TRUE(shell.LinesWith("select ", mark).empty());
    EXPECT_TRUE(shell.LinesWith("contextmenu ", mark).empty());
    EXPECT_TRUE(window.IsOpen());

    ProductInfo::SendMyMessage(window.GetHandle(), MyMsgClose, GetProductInfo()->GetID());
    EXPECT_TRUE(Closed());
}

TEST_F(MirrorTest, PlatformFolderViewOpensARealShortcut)
{
    std::wstring dir = test::NewTempDir(L"fill");
    std::wstring markerLog = dir + L"\\marker.log";
    std::string fill = "clean\nfile\tNotes.txt\tsome notes\nfolder\tProjects\nshortcut\tMarker.lnk\t" +
                       test::ToUtf8(test::ExeDir() + L"\\Marker.exe") + "\t\"" + test::ToUtf8(markerLog) +
                       "\" opened-by-mirror\n";
    ASSERT_TRUE(test::WriteUtf8File(dir + L"\\fill.txt", fill));
    ASSERT_TRUE(shell.Start(L"--fill \"" + dir + L"\\fill.txt\""));
    ASSERT_TRUE(Reopen());
    std::vector<std::wstring> labels = Labels();
    size_t marker = 0;
    while (marker < labels.size() && labels[marker] != L"Marker")
        ++marker;
    ASSERT_LT(marker, labels.size()) << labels.size() << " labels";

    ASSERT_TRUE(test::Xdo(test::MoveTo(At(static_cast<int>(marker), 8, 8)) + " sleep 0.1 " + test::HeldClick(1)));
    EXPECT_TRUE(test::PumpUntil(
        [&] { return test::ReadFileBytes(markerLog).find("opened opened-by-mirror") != std::string::npos; }, 30000));
    EXPECT_TRUE(Closed());
}

TEST_F(MirrorWindowTest, StylesAndSizeFollowTheOptions)
{
    struct Case {
        DWORD border, style, exStyle;
    } const cases[] = {{0, 0x84C80000, 0x389}, {1, 0x84C80000, 0x88}, {2, 0x84880000, 0x389},
                       {3, 0x84880000, 0x88},  {4, 0x84080000, 0x88}, {9, 0x84080000, 0x88}};
    // 24 pixels for each icon spacing of the screen, the margins and an inset of 8.
    int width = MulDiv(GetSystemMetrics(SM_CXSCREEN), 24, GetSystemMetrics(SM_CXICONSPACING)) + 8;
    int height = MulDiv(GetSystemMetrics(SM_CYSCREEN), 24, GetSystemMetrics(SM_CYICONSPACING)) + 8;
    const DWORD frameBits = WS_POPUP | WS_CLIPSIBLINGS | WS_SYSMENU | WS_CAPTION | WS_BORDER | WS_DLGFRAME;
    for (const Case& c : cases) {
        test::Row trace(c.border);
        int margin = static_cast<int>(c.border);
        owner.opts.borderType = c.border;
        owner.opts.marginLeft = margin * 3;
        owner.opts.marginRight = 5;
        owner.opts.marginTop = 7;
        owner.opts.marginBottom = margin;
        ASSERT_TRUE(window.Open());
        HWND hwnd = window.GetHandle();
        wchar_t cls[64] = {};
        GetClassNameW(hwnd, cls, 64);
        EXPECT_STREQ(cls, L"Corvantrix_Glimpsebox32");
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & frameBits, c.style & frameBits);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)) & (c.exStyle | WS_EX_TOPMOST),
                  c.exStyle | WS_EX_TOPMOST);
        RECT client;
        GetClientRect(hwnd, &client);
        EXPECT_EQ(client.right, width + 5 + margin * 3);
        EXPECT_EQ(client.bottom, height + 7 + margin);
        window.Destroy();
        EXPECT_FALSE(window.IsOpen());
        EXPECT_EQ(GetSharedData()->hwndMirror, nullptr);
    }
    UnregisterClassW(GlimpseboxWnd::ClassName, test::Library());  // a window that cannot be made leaves it closed
    EXPECT_FALSE(window.Open() || window.IsOpen());
}

TEST_F(MirrorWindowTest, FirstPlaceIsTheCornerNearestThePointerAndEveryPlaceLiesOnTheScreen)
{
    const LONG w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN), Any = LONG_MIN;
    const int None = MyWndOpts::NeverPlaced;
    struct Row {
        int posX, posY, pointerX, pointerY, marginLeft;
        RECT expected;
    } const rows[] = {
        {None, 0, w - 20, h - 20, 0, {Any, Any, w, h}},
        {None, 0, 20, 20, 0, {0, 0, Any, Any}},
        {5000, -40, 20, 20, 0, {Any, 0, w, Any}},
        {123, 77, w - 20, h - 20, 0, {123, 77, Any, Any}},
        {None, 0, w - 20, h - 20, 2 * w, {0, Any, Any, h}},  // wider than the screen: its left edge on it
    };
    for (const Row& row : rows) {
        {
            RegKey root(RootKey, 1);
            root.PutInt(L"PosX", row.posX);
            root.PutInt(L"PosY", row.posY);
        }
        owner.opts.marginLeft = row.marginLeft;
        SetCursorPos(row.pointerX, row.pointerY);
        ASSERT_TRUE(window.Open());
        RECT rc;
        GetWindowRect(window.GetHandle(), &rc);
        const LONG got[] = {rc.left, rc.top, rc.right, rc.bottom};
        const LONG want[] = {row.expected.left, row.expected.top, row.expected.right, row.expected.bottom};
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(want[i] == Any || got[i] == want[i]) << "row " << &row - rows << ", " << i << ": " << got[i];
        window.Destroy();
    }
}

namespace {

// What paint leaves on a 16 x 16 top-down 32-bit canvas with a patterned ground.
template <class Paint>
std::vector<DWORD> Painted(Paint paint)
{
    BITMAPINFO bmi = test::TopDown32(ItemIconSize, ItemIconSize);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DWORD* px = static_cast<DWORD*>(bits);
    for (DWORD i = 0; i < 256; ++i)
        px[i] = 0x00103070u + i * 0x00010307u;
    paint(dc);
    GdiFlush();
    std::vector<DWORD> out(px, px + 256);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return out;
}

// Straight-alpha pixels with every kind of alpha, different for each seed.
std::vector<DWORD> PicturePixels(int seed)
{
    std::vector<DWORD> pixels(256);
    for (DWORD i = 0; i < 256; ++i) {
        DWORD alpha = i % 5 == 0 ? 0 : i % 5 == 1 ? 255 : (i * 37 + seed * 11) & 0xFF;
        pixels[i] = (alpha << 24) | ((seed * 2654435761u + i * 40503u) & 0xFFFFFF);
    }
    return pixels;
}

HICON IconOf(const std::vector<DWORD>& pixels)
{
    BITMAPINFO bmi = test::TopDown32(ItemIconSize, ItemIconSize);
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    memcpy(bits, pixels.data(), pixels.size() * sizeof(DWORD));
    WORD maskBits[ItemIconSize] = {};
    HBITMAP mask = CreateBitmap(ItemIconSize, ItemIconSize, 1, 1, maskBits);
    ICONINFO info = {TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

} // namespace

// The window paints the icons it made from their pictures: every slot, through growth and
// reuse, must look exactly as its icon does under DrawIconEx, half-transparent pixels included.
TEST(ItemPictures, SlotsPaintExactlyAsTheirIcons)
{
    ItemPictures pictures;
    std::vector<int> slots, seeds;
    for (int seed = 0; seed < 200; ++seed) {
        // Every third slot freed and taken again before the bitmap grows past 150.
        if (seed == 150) {
            for (size_t i = 0; i < 150; i += 3) {
                pictures.Remove(slots[i]);
                seeds[i] = 1000 + static_cast<int>(i);
                slots[i] = pictures.Add(PicturePixels(seeds[i]).data());
            }
        }
        slots.push_back(pictures.Add(PicturePixels(seed).data()));
        seeds.push_back(seed);
    }
    ASSERT_EQ(pictures.Count(), 200);
    for (size_t i = 0; i < slots.size(); ++i) {
        HICON icon = IconOf(PicturePixels(seeds[i]));
        ASSERT_NE(icon, nullptr);
        std::vector<DWORD> byIcon =
            Painted([&](HDC dc) { DrawIconEx(dc, 0, 0, icon, ItemIconSize, ItemIconSize, 0, nullptr, DI_NORMAL); });
        DestroyIcon(icon);
        bool drawn = false;
        std::vector<DWORD> byPicture =
            Painted([&](HDC dc) { drawn = ItemPictures::Painter(pictures, dc).Draw(slots[i], 0, 0); });
        ASSERT_TRUE(drawn);
        ASSERT_EQ(byPicture, byIcon) << "slot " << slots[i] << " seed " << seeds[i];
    }

    // Pixels without alpha are left to DrawIconEx, which draws them through the mask.
    std::vector<DWORD> opaqueless(256, 0x00FF00FFu);
    EXPECT_EQ(pictures.Add(opaqueless.data()), -1);
    for (int slot : slots)
        pictures.Remove(slot);
    EXPECT_EQ(pictures.Count(), 0);
    Painted([&](HDC dc) { EXPECT_FALSE(ItemPictures::Painter(pictures, dc).Draw(slots[0], 0, 0)); });
}

// The platform's own folder view places a keyboard-form menu at 65535,65535 without asking
// where the item is; the menu still opens at the mirror icon, turned away from the screen's edges.
TEST_F(MirrorWindowTest, PlatformFolderViewMenuOpensAtTheMirrorIcon)
{
    ASSERT_TRUE(shell.Start(L"") && Reopen());
    ASSERT_FALSE(Records().empty());
    const POINT centre = At(0, 8, 8);
    ASSERT_TRUE(test::Xdo(test::MoveTo(centre) + " sleep 0.1 " + test::HeldClick(3)));
    HWND menu = nullptr;
    ASSERT_TRUE(test::PumpUntil([&] { return IsWindowVisible(menu = FindWindowW(L"#32768", nullptr)); }, 10000));
    RECT at = {};
    GetWindowRect(menu, &at);
    EXPECT_TRUE((at.left == centre.x || at.right == centre.x) && (at.top == centre.y || at.bottom == centre.y))
        << "menu " << at.left << "," << at.top << "," << at.right << "," << at.bottom << " centre " << centre.x << ","
        << centre.y;
}
