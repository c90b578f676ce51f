// The desktop item mirror end to end: a tray-side reader in this process, the stand-in
// shell in another, and the hooks of the library between them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/DesktopHooks.h"
#include "app/DesktopMirror.h"
#include "app/ItemPictures.h"
#include "app/ModuleObjects.h"
#include "app/SharedData.h"
#include "product/ProductInfo.h"
#include "tests/support/Pixels.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestSupport.h"

using test::Field;
using test::ItemLine;
using test::StandinProcess;

namespace {

// The mirror window's part in the populate step, recorded.
class TestMirror : public DesktopMirror {
public:
    std::vector<int> placed;
    std::vector<int> toolIds;
    int releases = 0;

    std::vector<DesktopItem*> Records() const
    {
        std::vector<DesktopItem*> out;
        for (POS__* pos = items.GetHeadPos(); pos;)
            out.push_back(static_cast<DesktopItem*>(items.GetNext(pos)));
        return out;
    }
    std::vector<std::wstring> Labels() const
    {
        std::vector<std::wstring> out;
        for (DesktopItem* record : Records())
            out.push_back(record->label);
        return out;
    }
    void ResetLog()
    {
        placed.clear();
        toolIds.clear();
        releases = 0;
    }

protected:
    void PlaceItem(DesktopItem* record) override { placed.push_back(record->item); }
    void AddItemTool(DesktopItem*) override { toolIds.push_back(toolCount); }
    void ReleaseDesktop() override
    {
        ++releases;
        DesktopMirror::ReleaseDesktop();
    }
};

RECT ParseRect(const std::string& text)
{
    RECT rc = {};
    sscanf(text.c_str(), "%ld,%ld,%ld,%ld", &rc.left, &rc.top, &rc.right, &rc.bottom);
    return rc;
}

BITMAPINFO PixelFormat()
{
    return test::TopDown32(ItemIconSize, ItemIconSize);
}

// A 32-bit top-down canvas of 16 x 16 pixels, black or with a patterned background.
struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    DWORD* bits = nullptr;
    HBITMAP bitmap;
    HGDIOBJ old;
    explicit Canvas(bool patterned = true)
    {
        BITMAPINFO bmi = PixelFormat();
        void* memory = nullptr;
        bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &memory, nullptr, 0);
        bits = static_cast<DWORD*>(memory);
        old = SelectObject(dc, bitmap);
        for (int i = 0; patterned && i < ItemIconSize * ItemIconSize; ++i)
            bits[i] = 0x00103070u + static_cast<DWORD>(i) * 0x00010307u;
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    std::vector<DWORD> Pixels()
    {
        GdiFlush();
        return std::vector<DWORD>(bits, bits + ItemIconSize * ItemIconSize);
    }
};

// The icon drawn over black into 32-bit pixels, 0x00RRGGBB.
std::vector<DWORD> Render(HICON icon)
{
    Canvas canvas(false);
    DrawIconEx(canvas.dc, 0, 0, icon, ItemIconSize, ItemIconSize, 0, nullptr, DI_NORMAL);
    std::vector<DWORD> pixels = canvas.Pixels();
    for (DWORD& px : pixels)
        px &= 0x00FFFFFF;
    return pixels;
}

DWORD At(const std::vector<DWORD>& pixels, int x, int y)
{
    return pixels[y * ItemIconSize + x];
}

class MirrorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(mirrorWindow.Handle(), nullptr);
        ResetSharedRequest();
        GetSharedData()->hwndMirror = mirrorWindow.Handle();
    }
    void TearDown() override
    {
        DesktopMirror::RemoveHooks();
        GetSharedData()->hwndMirror = nullptr;
        shell.Stop();
    }

    // Reads the desktop as the mirror window does when it opens; with settle, also waits
    // until the shell has seen the closing release of its selection, so that log marks taken
    // afterwards see only what comes next.
    bool Read(bool settle = true)
    {
        const std::string release = "mouse LBUTTONUP x=-1 y=-1";
        size_t before = shell.LinesWith(release).size();
        bool read = mirror.ReadDesktop(mirrorWindow.Handle());
        if (read && settle) {
            EXPECT_TRUE(test::PumpUntil([&] { return shell.LinesWith(release).size() > before; }, 10000));
        }
        return read;
    }

    // Posts a request to the desktop list view and waits for the shell's log to show it.
    void Request(WPARAM subCode, int item)
    {
        ASSERT_TRUE(ProductInfo::PostMyMessage(GetSharedData()->hwndListView, subCode, item));
    }

    StandinProcess shell;
    TestMirror mirror;
    test::RecordingWindow mirrorWindow;
};

const std::string LongLabel(300, 'L');
const char NonAscii[] = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC";  // "Grüße 日本"

} // namespace

TEST_F(MirrorTest, ReadsEveryItemWithLabelRectangleAndIcon)
{
    std::string items = ItemLine(20, 20, "FF0000", "Report") +
                        ItemLine(120, 20, "00FF00", "Twin") +
                        ItemLine(220, 20, "0000FF", "Twin") +
                        ItemLine(20, 120, "FFFF00", "Shortcut to Notes", 1) +
                        ItemLine(120, 120, "00FFFF", LongLabel) +
                        ItemLine(220, 120, "FF00FF", NonAscii);
    ASSERT_TRUE(shell.StartItems(items));

    ASSERT_TRUE(Read());
    SharedData* s = GetSharedData();
    EXPECT_EQ(s->hwndListView, shell.ListView());
    EXPECT_NE(s->hwndDefView, nullptr);
    EXPECT_EQ(s->hwndProgman, shell.Progman());
    EXPECT_NE(s->hookGetMsg, nullptr);
    EXPECT_NE(s->hookCallWndRet, nullptr);

    std::vector<DesktopItem*> records = mirror.Records();
    ASSERT_EQ(records.size(), 6u);
    std::vector<std::wstring> expected = {L"Report", L"Twin", L"Twin", L"Shortcut to Notes",
                                          std::wstring(259, L'L'), test::FromUtf8(NonAscii)};
    EXPECT_EQ(mirror.Labels(), expected);

    // Rectangles as the shell's list view reports them, item numbers in order.
    std::vector<std::string> itemLines = shell.LinesWith("item ");
    ASSERT_EQ(itemLines.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(records[i]->item, i);
        RECT expectedRect = ParseRect(Field(itemLines[i], "icon"));
        EXPECT_TRUE(EqualRect(&records[i]->rcDesktop, &expectedRect)) << i;
    }
    EXPECT_EQ(mirror.placed, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(mirror.toolIds, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(mirror.releases, 1);

    // The pictures crossed the process boundary, the overlay drawn into its item's icon.
    const DWORD colors[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(records[i]->hIcon, nullptr) << i;
        std::vector<DWORD> pixels = Render(records[i]->hIcon);
        EXPECT_EQ(At(pixels, 12, 3), colors[i]) << i;
        EXPECT_EQ(At(pixels, 2, 13), i == 3 ? 0xFFFFFFu : colors[i]) << i;
    }

    // The desktop's selection was released with a click outside every item.
    EXPECT_EQ(shell.LinesWith("mouse LBUTTONDOWN x=-1 y=-1").size(), 1u);
}

TEST_F(MirrorTest, UnchangedRefreshReusesRecordsAndIcons)
{
    std::string items = ItemLine(20, 20, "FF0000", "One") + ItemLine(120, 20, "00FF00", "Two", 1) +
                        ItemLine(220, 20, "0000FF", "Two");
    ASSERT_TRUE(shell.StartItems(items));
    ASSERT_TRUE(Read());
    std::vector<DesktopItem*> first = mirror.Records();
    std::vector<HICON> icons;
    for (DesktopItem* record : first)
        icons.push_back(record->hIcon);
    unsigned made = mirror.IconsMade();

    mirror.ResetLog();
    ASSERT_TRUE(Read());
    std::vector<DesktopItem*> second = mirror.Records();
    EXPECT_EQ(second, first);  // the same records, in order: nothing allocated
    for (size_t i = 0; i < second.size(); ++i)
        EXPECT_EQ(second[i]->hIcon, icons[i]);
    EXPECT_EQ(mirror.IconsMade(), made);
    EXPECT_EQ(mirror.toolIds, (std::vector<int>{0, 1, 2}));  // the tool counter starts over
}

TEST_F(MirrorTest, ChangedAndVanishedItemsFollowTheMergeRules)
{
    ASSERT_TRUE(shell.StartItems(ItemLine(20, 20, "FF0000", "A") + ItemLine(120, 20, "00FF00", "B") +
                                 ItemLine(220, 20, "0000FF", "C") + ItemLine(320, 20, "FFFF00", "D")));
    ASSERT_TRUE(Read());
    std::vector<DesktopItem*> before = mirror.Records();
    ASSERT_EQ(before.size(), 4u);

    // "B" renamed to "X" in front of it, "C" and "D" gone, "B" itself still there,
    // and "A" now drawn in another colour.
    ASSERT_TRUE(shell.StartItems(ItemLine(20, 20, "808080", "A") + ItemLine(120, 20, "00FF00", "X") +
                                 ItemLine(220, 20, "0000FF", "B")));
    ASSERT_TRUE(Read());
    std::vector<DesktopItem*> after = mirror.Records();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(mirror.Labels(), (std::vector<std::wstring>{L"A", L"X", L"B"}));
    EXPECT_EQ(after[0], before[0]);  // same label: reused
    EXPECT_EQ(after[2], before[1]);  // matched later on: reused and moved down the list
    EXPECT_EQ(after[1]->item, 1);
    EXPECT_EQ(after[2]->item, 2);
    EXPECT_EQ(At(Render(after[0]->hIcon), 8, 8), 0x808080u);  // the new picture

    // An empty desktop removes every record.
    ASSERT_TRUE(shell.StartItems("# nothing on the desktop\n"));
    ASSERT_TRUE(Read());
    EXPECT_EQ(mirror.Items().GetCount(), 0);
}

TEST_F(MirrorTest, ItemsWithoutSmallImageListHaveNoIcon)
{
    ASSERT_TRUE(shell.StartItems("!nosmallimagelist\n" + ItemLine(20, 20, "FF0000", "Plain") +
                                 ItemLine(120, 20, "00FF00", "Other", 1)));
    ASSERT_TRUE(Read());
    ASSERT_EQ(mirror.Items().GetCount(), 2);
    for (DesktopItem* record : mirror.Records())
        EXPECT_EQ(record->hIcon, nullptr);
    EXPECT_EQ(mirror.Labels(), (std::vector<std::wstring>{L"Plain", L"Other"}));
}

TEST_F(MirrorTest, OpenRequestOpensTheItemAndClosesTheMirror)
{
    ASSERT_TRUE(shell.StartItems(ItemLine(20, 20, "FF0000", "First") + ItemLine(140, 60, "00FF00", "Second") +
                                 ItemLine(260, 100, "0000FF", "Third")));
    ASSERT_TRUE(Read());
    std::vector<std::string> itemLines = shell.LinesWith("item ");
    ASSERT_EQ(itemLines.size(), 3u);
    RECT rc = ParseRect(Field(itemLines[1], "icon"));
    std::string centre = "x=" + std::to_string((rc.left + rc.right) / 2) + " y=" + std::to_string((rc.top + rc.bottom) / 2);

    size_t mark = shell.Mark();
    mirrorWindow.Clear();
    Request(MyMsgOpenItem, 1);
    std::string line;
    ASSERT_TRUE(shell.WaitForLine("open ", &line, mark));
    EXPECT_EQ(Field(line, "item"), "1");
    EXPECT_EQ(Field(line, "label"), "Second");
    EXPECT_EQ(shell.LinesWith("select ", mark),
              (std::vector<std::string>{"select item=-1 state=0 mask=3", "select item=1 state=3 mask=3"}));
    EXPECT_EQ(shell.LinesWith("mouse ", mark),
              (std::vector<std::string>{"mouse LBUTTONDOWN " + centre, "mouse LBUTTONUP " + centre,
                                        "mouse LBUTTONDBLCLK " + centre, "mouse LBUTTONUP " + centre}));
    EXPECT_TRUE(test::PumpUntil([&] { return mirrorWindow.Count(WM_CLOSE) == 1; }, 10000));

    // The mirror window closes even when the shell has nothing to open.
    mark = shell.Mark();
    mirrorWindow.Clear();
    Request(MyMsgOpenItem, 57);
    EXPECT_TRUE(test::PumpUntil([&] { return mirrorWindow.Count(WM_CLOSE) == 1; }, 10000));
    EXPECT_TRUE(shell.LinesWith("open ", mark).empty());
}

TEST_F(MirrorTest, DesktopMenuOpensAtTheCursorWithNothingSelected)
{
    ASSERT_TRUE(shell.StartItems(ItemLine(20, 20, "FF0000", "First") + ItemLine(140, 60, "00FF00", "Second")));
    ASSERT_TRUE(Read());
    SetCursorPos(300, 200);
    POINT cursor;
    GetCursorPos(&cursor);

    size_t mark = shell.Mark();
    Request(MyMsgContextMenu, -1);
    std::string line;
    ASSERT_TRUE(shell.WaitForLine("contextmenu ", &line, mark));
    EXPECT_EQ(Field(line, "x"), std::to_string(cursor.x));
    EXPECT_EQ(Field(line, "y"), std::to_string(cursor.y));
    EXPECT_EQ(shell.LinesWith("select ", mark), (std::vector<std::string>{"select item=-1 state=0 mask=3"}));
    ASSERT_TRUE(shell.WaitForLine("menu ", &line, mark));
    EXPECT_EQ(Field(line, "item"), "-1");
}

TEST_F(MirrorTest, ItemMenuOpensAtTheMirrorIcon)
{
    ASSERT_TRUE(shell.StartItems(ItemLine(20, 20, "FF0000", "First") + ItemLine(140, 60, "00FF00", "Second")));
    ASSERT_TRUE(Read());
    SharedData* s = GetSharedData();
    s->rcMenuItem = {600, 500, 616, 516};
    s->menuRectPending = 1;

    size_t mark = shell.Mark();
    Request(MyMsgContextMenu, 1);
    std::string line;
    ASSERT_TRUE(shell.WaitForLine("menu ", &line, mark));
    EXPECT_EQ(Field(line, "item"), "1");
    EXPECT_EQ(Field(line, "rect"), "600,500,616,516");  // the shell was told the mirror icon's place
    EXPECT_EQ(s->menuRectPending, 0);
    EXPECT_EQ(shell.LinesWith("select ", mark),
              (std::vector<std::string>{"select item=-1 state=0 mask=3", "select item=1 state=3 mask=3"}));
    ASSERT_TRUE(shell.WaitForLine("contextmenu ", &line, mark));
    EXPECT_EQ(Field(line, "x"), "-1");
    EXPECT_EQ(Field(line, "y"), "-1");

    // Used once: the next question gets the list view's own answer.
    mark = shell.Mark();
    Request(MyMsgContextMenu, 0);
    ASSERT_TRUE(shell.WaitForLine("menu ", &line, mark));
    std::vector<std::string> itemLines = shell.LinesWith("item ");
    EXPECT_EQ(Field(line, "rect"), Field(itemLines[0], "icon"));
}

TEST_F(MirrorTest, RequestsToOtherWindowsAreIgnored)
{
    ASSERT_TRUE(shell.StartItems(ItemLine(20, 20, "FF0000", "Only")));
    ASSERT_TRUE(Read());
    size_t mark = shell.Mark();
    mirrorWindow.Clear();

    // Another window of the shell's process, and a window of this process.
    for (HWND other : {shell.Progman(), mirrorWindow.Handle()}) {
        for (WPARAM code : {WPARAM(MyMsgReadItem), WPARAM(MyMsgContextMenu), WPARAM(MyMsgOpenItem)})
            ProductInfo::PostMyMessage(other, code, 0);
    }
    // A real request afterwards: when its answer is there, the others have been seen.
    ResetEvent(GetSubclassEvent());
    Request(MyMsgReadItem, 0);
    ASSERT_TRUE(test::PumpUntil([] { return WaitForSingleObject(GetSubclassEvent(), 0) == WAIT_OBJECT_0; }, 10000));
    test::PumpPending();
    EXPECT_TRUE(shell.LinesWith("select ", mark).empty());
    EXPECT_TRUE(shell.LinesWith("contextmenu ", mark).empty());
    EXPECT_EQ(mirrorWindow.Count(WM_CLOSE), 0);
}

TEST_F(MirrorTest, NoShellLeavesRecordsAsTheyWere)
{
    ASSERT_TRUE(shell.StartItems(ItemLine(20, 20, "FF0000", "Kept")));
    ASSERT_TRUE(Read());
    shell.Stop();
    ASSERT_EQ(FindWindowW(L"Progman", nullptr), nullptr);

    EXPECT_FALSE(Read(false));
    EXPECT_EQ(GetSharedData()->hwndListView, nullptr);
    EXPECT_EQ(mirror.Labels(), (std::vector<std::wstring>{L"Kept"}));
}

TEST_F(MirrorTest, ShellThatDiesMidReadEndsTheRead)
{
    ASSERT_TRUE(shell.StartItems(test::RowOfItems(5), L"--exit-at 2"));

    DWORD start = GetTickCount();
    EXPECT_TRUE(Read(false));
    DWORD elapsed = GetTickCount() - start;
    // One unanswered request costs one timeout; a gone list view takes no further requests.
    EXPECT_LT(elapsed, 3u * DesktopMirror::AnswerTimeoutMs);
    EXPECT_EQ(mirror.Labels(), (std::vector<std::wstring>{L"Item 0", L"Item 1"}));
}

TEST_F(MirrorTest, ShellThatHangsMidReadCostsOneTimeoutPerItem)
{
    ASSERT_TRUE(shell.StartItems(test::RowOfItems(3), L"--hang-at 2"));

    EXPECT_TRUE(Read(false));
    // The unanswered item is built from what the shared section held: the previous answer.
    EXPECT_EQ(mirror.Labels(), (std::vector<std::wstring>{L"Item 0", L"Item 1", L"Item 1"}));

    // A hung shell is not asked again: the records stay.
    EXPECT_FALSE(Read(false));
    EXPECT_EQ(mirror.Items().GetCount(), 3);
    shell.Kill();
}

TEST_F(MirrorTest, ItemCountThatShrinksDuringTheRead)
{
    ASSERT_TRUE(shell.StartItems(test::RowOfItems(4), L"--delete-at 1"));
    EXPECT_TRUE(Read());
    EXPECT_EQ(mirror.Labels(), (std::vector<std::wstring>{L"Item 0", L"Item 1", L"Item 2"}));
}

TEST_F(MirrorTest, PlatformFolderViewOpensARealShortcut)
{
    // The platform's own view of the desktop folder, with a shortcut to the marker program.
    std::wstring dir = test::NewTempDir(L"fill");
    std::wstring marker = test::ExeDir() + L"\\Marker.exe";
    std::wstring markerLog = dir + L"\\marker.log";
    std::string fill = "clean\n"
                       "file\tNotes.txt\tsome notes\n"
                       "folder\tProjects\n"
                       "shortcut\tMarker.lnk\t" + test::ToUtf8(marker) + "\t\"" + test::ToUtf8(markerLog) + "\" opened-by-mirror\n";
    ASSERT_TRUE(test::WriteUtf8File(dir + L"\\fill.txt", fill));
    ASSERT_TRUE(shell.Start(L"--fill \"" + dir + L"\\fill.txt\""));

    ASSERT_TRUE(Read());
    std::vector<std::wstring> labels = mirror.Labels();
    int markerItem = -1;
    for (DesktopItem* record : mirror.Records()) {
        if (std::wstring(record->label) == L"Marker")
            markerItem = record->item;
    }
    ASSERT_GE(markerItem, 0) << "labels: " << labels.size();
    EXPECT_GE(labels.size(), 3u);

    Request(MyMsgOpenItem, markerItem);
    EXPECT_TRUE(test::PumpUntil([&] { return test::ReadFileBytes(markerLog).find("opened opened-by-mirror") != std::string::npos; },
                                30000));
    EXPECT_TRUE(test::PumpUntil([&] { return mirrorWindow.Count(WM_CLOSE) == 1; }, 10000));
}

TEST_F(MirrorTest, OverLongLabelIsCutInsideTheSharedSection)
{
    ASSERT_TRUE(shell.StartItems(ItemLine(20, 20, "FF0000", std::string(5000, 'W')) +
                                 ItemLine(120, 20, "00FF00", "After")));
    SharedData* s = GetSharedData();
    memset(s->unused, 0xA5, sizeof(s->unused));
    ASSERT_TRUE(Read());
    EXPECT_EQ(mirror.Labels(), (std::vector<std::wstring>{std::wstring(259, L'W'), L"After"}));
    for (BYTE guard : s->unused)
        EXPECT_EQ(guard, 0xA5);
}

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A window of the given class in this process, destroyed with the object.
struct FakeWindow {
    HWND hwnd;
    FakeWindow(const wchar_t* className, HWND parent)
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = className;
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, className, L"", parent ? WS_CHILD : WS_POPUP, 0, 0, 10, 10, parent, nullptr,
                               wc.hInstance, nullptr);
    }
    ~FakeWindow() { DestroyWindow(hwnd); }
};

} // namespace

TEST_F(MirrorTest, BrokenWindowChainReadsNothing)
{
    ASSERT_EQ(FindWindowW(L"Progman", nullptr), nullptr);
    FakeWindow progman(L"Progman", nullptr);
    ASSERT_NE(progman.hwnd, nullptr);
    EXPECT_FALSE(Read(false));
    SharedData* s = GetSharedData();
    EXPECT_EQ(s->hwndProgman, progman.hwnd);
    EXPECT_EQ(s->hwndDefView, nullptr);
    EXPECT_EQ(s->hwndListView, nullptr);

    FakeWindow defView(L"SHELLDLL_DefView", progman.hwnd);
    EXPECT_FALSE(Read(false));
    EXPECT_EQ(s->hwndDefView, defView.hwnd);
    EXPECT_EQ(s->hwndListView, nullptr);
    EXPECT_EQ(mirror.Items().GetCount(), 0);
    // The hooks are in place all the same, for the mirror window's life.
    EXPECT_NE(s->hookGetMsg, nullptr);
    EXPECT_NE(s->hookCallWndRet, nullptr);
}

TEST_F(MirrorTest, PictureChangedInPlaceIsReadAgain)
{
    ASSERT_TRUE(shell.StartItems(ItemLine(20, 20, "FF0000", "Steady") + ItemLine(120, 20, "00FF00", "Changing", 1)));
    ASSERT_TRUE(Read());
    std::vector<DesktopItem*> before = mirror.Records();
    ASSERT_EQ(before.size(), 2u);
    HICON steadyIcon = before[0]->hIcon;
    unsigned made = mirror.IconsMade();

    // The shell draws the second item anew at the same image index.
    size_t mark = shell.Mark();
    ASSERT_TRUE(PostMessageW(GetSharedData()->hwndDefView, RegisterWindowMessageW(L"StandinRecolor"), 1, RGB(0, 0, 255)));
    std::string line;
    ASSERT_TRUE(shell.WaitForLine("recolor ", &line, mark));
    ASSERT_EQ(line, "recolor item=1 color=0000FF");

    ASSERT_TRUE(Read());
    std::vector<DesktopItem*> after = mirror.Records();
    EXPECT_EQ(after, before);
    EXPECT_EQ(after[0]->hIcon, steadyIcon);
    EXPECT_EQ(mirror.IconsMade(), made + 1);  // only the changed picture
    std::vector<DWORD> pixels = Render(after[1]->hIcon);
    EXPECT_EQ(At(pixels, 12, 3), 0x0000FFu);
    EXPECT_EQ(At(pixels, 2, 13), 0xFFFFFFu);  // the overlay is still drawn in
}

namespace {

// Straight-alpha pixels with every kind of alpha, different for each seed.
std::vector<DWORD> PicturePixels(int seed)
{
    std::vector<DWORD> pixels(ItemIconSize * ItemIconSize);
    for (int i = 0; i < ItemIconSize * ItemIconSize; ++i) {
        DWORD alpha = i % 5 == 0 ? 0 : i % 5 == 1 ? 255 : static_cast<DWORD>((i * 37 + seed * 11) & 0xFF);
        pixels[static_cast<size_t>(i)] = (alpha << 24) | (static_cast<DWORD>(seed * 2654435761u + i * 40503u) & 0xFFFFFF);
    }
    return pixels;
}

HICON IconOf(const std::vector<DWORD>& pixels)
{
    BITMAPINFO bmi = PixelFormat();
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
TEST(ItemPicturesTest, SlotsPaintExactlyAsTheirIcons)
{
    ItemPictures pictures;
    std::vector<int> slots, seeds;
    for (int seed = 0; seed < 150; ++seed) {
        slots.push_back(pictures.Add(PicturePixels(seed).data()));
        seeds.push_back(seed);
    }
    for (size_t i = 0; i < slots.size(); i += 3) {
        pictures.Remove(slots[i]);
        slots[i] = pictures.Add(PicturePixels(1000 + static_cast<int>(i)).data());
        seeds[i] = 1000 + static_cast<int>(i);
    }
    for (int seed = 150; seed < 200; ++seed) {
        slots.push_back(pictures.Add(PicturePixels(seed).data()));
        seeds.push_back(seed);
    }
    ASSERT_EQ(pictures.Count(), 200);

    for (size_t i = 0; i < slots.size(); ++i) {
        ASSERT_GE(slots[i], 0);
        std::vector<DWORD> pixels = PicturePixels(seeds[i]);
        HICON icon = IconOf(pixels);
        ASSERT_NE(icon, nullptr);
        Canvas byIcon, byPicture;
        DrawIconEx(byIcon.dc, 0, 0, icon, ItemIconSize, ItemIconSize, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
        {
            ItemPictures::Painter painter(pictures, byPicture.dc);
            ASSERT_TRUE(painter.Draw(slots[i], 0, 0));
        }
        ASSERT_EQ(byPicture.Pixels(), byIcon.Pixels()) << "slot " << slots[i] << " seed " << seeds[i];
    }

    // Pixels without alpha are left to DrawIconEx, which draws them through the mask.
    std::vector<DWORD> opaqueless(ItemIconSize * ItemIconSize, 0x00FF00FFu);
    EXPECT_EQ(pictures.Add(opaqueless.data()), -1);
    for (int slot : slots)
        pictures.Remove(slot);
    EXPECT_EQ(pictures.Count(), 0);
    Canvas empty;
    ItemPictures::Painter painter(pictures, empty.dc);
    EXPECT_FALSE(painter.Draw(slots[0], 0, 0));
}

// The platform's own folder view places a keyboard-form menu at 65535,65535 without asking where the item is.
TEST_F(MirrorTest, PlatformFolderViewMenuOpensAtTheMirrorIconUnasked)
{
    ASSERT_TRUE(shell.Start(L"") && Read());
    SharedData* s = GetSharedData();
    s->rcMenuItem = {1000, 740, 1016, 756};
    s->menuRectPending = 1;
    Request(MyMsgContextMenu, 0);
    HWND menu = nullptr;
    ASSERT_TRUE(test::PumpUntil([&] { return IsWindowVisible(menu = FindWindowW(L"#32768", nullptr)); }, 10000));
    RECT at = {};
    GetWindowRect(menu, &at);
    // Near the screen's corner the menu ends at the mirror icon's centre.
    EXPECT_EQ(std::make_pair(at.right, at.bottom), std::make_pair(1008L, 748L));
}
