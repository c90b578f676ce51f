// Dialog resizing (limits, grip, remembered placement), collapsible control groups and the layout helpers.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "res/StringIds.h"
#include "tests/DialogIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "ui/CSDlg.h"

using test::ScriptedDlg;

// Sizes compare and print in the system's own namespace, where the test macros look for them.
static bool operator==(const SIZE& a, const SIZE& b)
{
    return a.cx == b.cx && a.cy == b.cy;
}

static std::ostream& operator<<(std::ostream& out, const SIZE& size)
{
    return out << size.cx << " x " << size.cy;
}

namespace {

HINSTANCE Exe()
{
    return test::ExeModule();
}

SIZE WindowSize(HWND h)
{
    RECT rect;
    GetWindowRect(h, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// Asks for a size; returns the size the window then has.
SIZE Resized(HWND h, int cx, int cy)
{
    SetWindowPos(h, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return WindowSize(h);
}

RECT CtrlRect(CSDlg& dlg, int id)
{
    RECT rect = {};
    dlg.GetDlgItemRect(id, &rect);
    return rect;
}

// A resizable dialog that does not drag (the client area must reach the grip).
class ResizeDlg : public ScriptedDlg {
public:
    explicit ResizeDlg(int flags, MyWindowPlacement* record = nullptr) { EnableResizing(flags, record); }
    void OnInitDone() override
    {
        ScriptedDlg::OnInitDone();
        EnableFullDrag(FALSE);
    }
};

} // namespace

// ---- Size limits and the grip ----

TEST(DialogResize, NeverSmallerThanTheTemplateAndGrowthIsReported)
{
    ResizeDlg dlg(DlgResizeWidth | DlgResizeHeight);
    ASSERT_NE(dlg.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    const SIZE start = WindowSize(dlg);
    EXPECT_TRUE(dlg.GetResizeData().cx == 0 && dlg.resizes == 0);
    EXPECT_EQ(Resized(dlg, start.cx - 50, start.cy - 40), start);
    EXPECT_EQ(Resized(dlg, start.cx + 40, start.cy + 30), (SIZE{start.cx + 40, start.cy + 30}));
    EXPECT_TRUE(dlg.resizeDx == 40 && dlg.resizeDy == 30);
    EXPECT_TRUE(dlg.GetResizeData().cx == 40 && dlg.GetResizeData().cy == 30);
    // Smaller in one direction only: that one stops at the template.
    EXPECT_EQ(Resized(dlg, start.cx - 10, start.cy + 10), (SIZE{start.cx, start.cy + 10}));
    EXPECT_TRUE(dlg.resizeDx == 0 && dlg.resizeDy == 10);
    dlg.Destroy();

    ResizeDlg wide(DlgResizeWidth);
    ASSERT_NE(wide.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    EXPECT_EQ(Resized(wide, start.cx + 60, start.cy + 60), (SIZE{start.cx + 60, start.cy}));
    EXPECT_EQ(Resized(wide, start.cx + 60, start.cy - 20), (SIZE{start.cx + 60, start.cy}));
    EXPECT_EQ(wide.resizeDy, 0);
    wide.Destroy();

    // Created at its template size before the framework saw it: the first size it is then
    // given is the one it keeps.
    ScriptedDlg fixed;
    fixed.EnableResizing(DlgResizeKeepWidth | DlgResizeKeepHeight, nullptr);
    ASSERT_NE(fixed.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    const SIZE first = WindowSize(fixed), kept = {first.cx + 30, first.cy - 30};
    EXPECT_EQ(Resized(fixed, kept.cx, kept.cy), kept);
    EXPECT_EQ(Resized(fixed, first.cx, first.cy + 50), kept);
    fixed.Destroy();
}

TEST(DialogResize, TheGripAnswersAsTheSizingCornerIsDrawnAndDragsToTheLimits)
{
    ResizeDlg dlg(DlgResizeWidth);
    ASSERT_NE(dlg.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    SetWindowPos(dlg, HWND_TOPMOST, 200, 200, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(dlg);
    UpdateWindow(dlg);
    RECT client;
    GetClientRect(dlg, &client);
    POINT corner = {client.right - 3, client.bottom - 3}, outside = {client.right - 12, client.bottom - 12};
    ClientToScreen(dlg, &corner);
    ClientToScreen(dlg, &outside);
    EXPECT_EQ(SendMessageW(dlg, WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y)), HTBOTTOMRIGHT);
    EXPECT_EQ(SendMessageW(dlg, WM_NCHITTEST, 0, MAKELPARAM(outside.x, outside.y)), HTCLIENT);  // 24 from the corner
    EXPECT_TRUE(dlg.IsPtInResizingCorner(client.right - 8, client.bottom - 7));
    EXPECT_FALSE(dlg.IsPtInResizingCorner(client.right - 8, client.bottom - 8) ||
                 dlg.IsPtInResizingCorner(client.right + 2, client.bottom - 2));
    // Width only: the sizing cursor points left and right.
    EXPECT_EQ(SendMessageW(dlg, WM_SETCURSOR, reinterpret_cast<WPARAM>(dlg.GetHandle()),
                           MAKELPARAM(HTBOTTOMRIGHT, WM_MOUSEMOVE)),
              1);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
    HDC dc = GetDC(dlg);
    EXPECT_EQ(GetPixel(dc, client.right - 4, client.bottom - 4), 0xA3B4B8u);
    EXPECT_EQ(GetPixel(dc, client.right - 7, client.bottom - 3), 0xA3B4B8u);
    EXPECT_EQ(GetPixel(dc, client.right - 2, client.bottom - 3), RGB(255, 255, 255));
    ReleaseDC(dlg, dc);

    // Dragged with real input: wider, never narrower than the template, never taller.
    const SIZE start = WindowSize(dlg);
    auto drag = [&](int dx, int dy) {
        GetClientRect(dlg, &client);
        POINT grip = {client.right - 3, client.bottom - 3};
        ClientToScreen(dlg, &grip);
        auto at = [&](int x, int y) { return std::to_string(grip.x + x) + " " + std::to_string(grip.y + y); };
        return test::Xdo("mousemove " + at(0, 0) + " sleep 0.1 mousedown 1 sleep 0.2 mousemove " + at(dx / 2, dy / 2) +
                         " sleep 0.2 mousemove " + at(dx, dy) + " sleep 0.2 mouseup 1");
    };
    ASSERT_TRUE(drag(70, 50));
    EXPECT_TRUE(test::PumpUntil([&] { return WindowSize(dlg).cx == start.cx + 70; }, 5000));
    EXPECT_EQ(WindowSize(dlg).cy, start.cy);
    ASSERT_TRUE(drag(-150, -80));
    EXPECT_TRUE(test::PumpUntil([&] { return WindowSize(dlg).cx == start.cx; }, 5000));
    EXPECT_EQ(WindowSize(dlg).cy, start.cy);
    dlg.Destroy();

    ResizeDlg plain(DlgResizeWidth | DlgResizeHeight | DlgResizeNoGrip);
    ASSERT_NE(plain.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    UpdateWindow(plain);
    GetClientRect(plain, &client);
    dc = GetDC(plain);
    EXPECT_NE(GetPixel(dc, client.right - 4, client.bottom - 4), 0xA3B4B8u);
    ReleaseDC(plain, dc);
    plain.Destroy();
}

// ---- The remembered placement ----

TEST(DialogPlacement, StoredWhileRunningAndRestoredNextTime)
{
    MyWindowPlacement record;
    SIZE start = {};
    ResizeDlg dlg(DlgResizeWidth | DlgResizeHeight, &record);
    dlg.script = [&](ScriptedDlg& d) {
        // Nothing stored yet: the record is filled from the aligned template.
        EXPECT_EQ(record.length, sizeof(WINDOWPLACEMENT));
        start = WindowSize(d);
        SetWindowPos(d, nullptr, 40, 50, start.cx + 30, start.cy + 20, SWP_NOZORDER);
        d.CloseDialog(IDOK, 0);
    };
    EXPECT_EQ(dlg.Modal(IDD_RESIZE, Exe(), nullptr), IDOK);
    const RECT expected = {40, 50, 40 + start.cx + 30, 50 + start.cy + 20};
    EXPECT_TRUE(EqualRect(&record.rcNormalPosition, &expected));

    ResizeDlg again(DlgResizeWidth | DlgResizeHeight, &record);
    RECT placed = {};
    again.script = [&](ScriptedDlg& d) {
        GetWindowRect(d, &placed);
        d.CloseDialog(IDCANCEL, 0);
    };
    again.Modal(IDD_RESIZE, Exe(), nullptr);
    EXPECT_TRUE(EqualRect(&placed, &expected));
    EXPECT_TRUE(again.resizeDx == 30 && again.resizeDy == 20);  // the controls were told how far from the template
}

TEST(DialogPlacement, MinimisedDamagedOrLostRecordsOpenNormally)
{
    struct { UINT length, showCmd; RECT normal; bool usable; } const cases[] = {
        {sizeof(WINDOWPLACEMENT), SW_SHOWMINIMIZED, {60, 70, 460, 370}, true},  // minimised: restored there
        {sizeof(WINDOWPLACEMENT), SW_SHOWNORMAL, {300, 300, 100, 100}, false},  // inverted
        {sizeof(WINDOWPLACEMENT), SW_SHOWNORMAL, {30000, 30000, 30400, 30300}, false},  // off every screen
        {12345, 77, {10, 10, 20, 20}, false},  // not a placement at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.normal.left << "," << c.normal.top);
        MyWindowPlacement record;
        record.length = c.length;
        record.showCmd = c.showCmd;
        record.rcNormalPosition = c.normal;
        ResizeDlg dlg(DlgResizeWidth | DlgResizeHeight, &record);
        bool iconic = true, visible = false;
        RECT placed = {};
        dlg.script = [&](ScriptedDlg& d) {
            iconic = IsIconic(d);
            visible = IsWindowVisible(d);
            GetWindowRect(d, &placed);
            d.CloseDialog(IDCANCEL, 0);
        };
        dlg.Modal(IDD_RESIZE, Exe(), nullptr);
        EXPECT_TRUE(!iconic && visible);
        if (c.usable) {
            EXPECT_TRUE(placed.left == 60 && placed.right - placed.left == 400);
        } else {  // the template's size, on the screen
            EXPECT_TRUE(placed.right > placed.left && placed.left < GetSystemMetrics(SM_CXSCREEN));
            EXPECT_TRUE(dlg.resizeDx == 0 && dlg.resizeDy == 0);
        }
        // Closing wrote a sound record back.
        EXPECT_EQ(record.length, sizeof(WINDOWPLACEMENT));
        EXPECT_NE(record.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    }
}

// ---- Control groups ----

namespace {

const int GroupIds[] = {IDC_OUTER_FRAME, IDC_OUTER_FIRST, IDC_INNER_FIRST, IDC_INNER_LAST, IDC_OUTER_LAST,
                        IDC_BELOW_1, IDC_BELOW_2};

// Every control's rectangle as {left, top, right, bottom}, in the order of GroupIds.
std::vector<std::array<LONG, 4>> Measure(CSDlg& dlg)
{
    std::vector<std::array<LONG, 4>> layout;
    for (int id : GroupIds) {
        RECT r = CtrlRect(dlg, id);
        layout.push_back({r.left, r.top, r.right, r.bottom});
    }
    return layout;
}

} // namespace

TEST(DialogGroups, HidingAndShowingMovesTheControlsBelowAndResizesTheFrames)
{
    enum { Frame, First, InnerFirst, InnerLast, Last, Below1, Below2 };  // rows of Measure
    enum { Top = 1, Bottom = 3 };
    ScriptedDlg dlg;
    EXPECT_EQ(dlg.AddCtrlGroup(IDC_OUTER_FIRST, IDC_OUTER_LAST, IDC_OUTER_FRAME, 0), 1);
    EXPECT_EQ(dlg.AddCtrlGroup(IDC_INNER_FIRST, IDC_INNER_LAST, 0, IDC_OUTER_FIRST), 1);
    ASSERT_NE(dlg.Modeless(IDD_GROUPS, Exe(), nullptr, TRUE), nullptr);
    const auto original = Measure(dlg);
    // The outer group reaches the bottom of its frame, which ends above the next control;
    // the inner one reaches the next control of the outer group.
    const int whole = original[Frame][Bottom] - original[First][Top];
    const int inner = original[Last][Top] - original[InnerFirst][Top];
    ASSERT_GT(inner, 0);
    ASSERT_GT(whole, inner);

    // Everything below moves up, the frame around it shrinks with it.
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE), -inner);
    auto folded = Measure(dlg);
    EXPECT_EQ(folded[First][Top], original[First][Top]);
    for (int row : {Last, Below1, Below2})
        EXPECT_EQ(folded[row][Top], original[row][Top] - inner) << row;
    EXPECT_EQ(folded[Frame][Bottom], original[Frame][Bottom] - inner);
    EXPECT_FALSE(IsWindowVisible(dlg.GetDlgItem(IDC_INNER_FIRST)) || IsWindowEnabled(dlg.GetDlgItem(IDC_INNER_LAST)));
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE), 0);  // already hidden
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, TRUE), inner);
    EXPECT_EQ(Measure(dlg), original);
    EXPECT_TRUE(IsWindowVisible(dlg.GetDlgItem(IDC_INNER_FIRST)));

    // The whole section, inner group and all.
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, FALSE), -whole);
    EXPECT_EQ(Measure(dlg)[Below1][Top], original[Below1][Top] - whole);
    EXPECT_EQ(Measure(dlg)[Frame][Bottom], original[Frame][Bottom] - whole);
    EXPECT_FALSE(IsWindowVisible(dlg.GetDlgItem(IDC_OUTER_LAST)) || IsWindowVisible(dlg.GetDlgItem(IDC_INNER_LAST)));
    EXPECT_FALSE(dlg.FindCtrlGroup(IDC_INNER_FIRST)->shown);
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, TRUE), whole);
    EXPECT_EQ(Measure(dlg), original);
    EXPECT_TRUE(IsWindowVisible(dlg.GetDlgItem(IDC_INNER_LAST)));

    // Folded inside, then folded outside, then opened: everything is back in place.
    dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE);
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, FALSE), -(whole - inner));
    EXPECT_EQ(Measure(dlg)[Below2][Top], original[Below2][Top] - whole);
    dlg.ShowCtrlGroup(IDC_OUTER_FIRST, TRUE);
    EXPECT_EQ(Measure(dlg), original);

    // Unknown groups do nothing.
    EXPECT_EQ(dlg.ShowCtrlGroup(9999, FALSE), 0);
    EXPECT_EQ(dlg.FindCtrlGroup(0, IDC_OUTER_FRAME), dlg.FindCtrlGroup(IDC_OUTER_FIRST));
    EXPECT_EQ(dlg.FindCtrlGroup(0, 0), nullptr);
    EXPECT_EQ(dlg.AddCtrlGroup(0, IDC_OUTER_LAST), 0);
    dlg.Destroy();

    // A group folded before the first show is measured first.
    class FoldedDlg : public ScriptedDlg {
    public:
        LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
        {
            LRESULT result = ScriptedDlg::OnInitDialog(wParam, lParam);
            AddCtrlGroup(IDC_INNER_FIRST, IDC_INNER_LAST, 0, 0);
            offset = ShowCtrlGroup(IDC_INNER_FIRST, FALSE);
            return result;
        }
        int offset = 0;
    } early;
    ASSERT_NE(early.Modeless(IDD_GROUPS, Exe(), nullptr, TRUE), nullptr);
    EXPECT_EQ(early.offset, -inner);
    EXPECT_EQ(Measure(early)[Below1][Top], original[Below1][Top] - inner);
    early.Destroy();
}

// ---- Layout helpers and item operations ----

TEST(DialogLayout, CentringAligningGrowingToTheTextAndRanges)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_LAYOUT, Exe(), nullptr, TRUE), nullptr);
    RECT client;
    GetClientRect(dlg, &client);
    const RECT button = CtrlRect(dlg, IDC_L_BUTTON);
    const int width = button.right - button.left;
    EXPECT_TRUE(dlg.CenterDlgItem(IDC_L_BUTTON, TRUE));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).left, (client.right - width) / 2);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).top, button.top);
    // A span narrower than the control: the half is taken towards zero, not down.
    EXPECT_TRUE(dlg.CenterDlgItem(IDC_L_BUTTON, TRUE, 10, 13));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).left, 10 + static_cast<int>(std::trunc((3 - width) / 2.0)));
    EXPECT_TRUE(dlg.CenterDlgItem(IDC_L_BUTTON, FALSE, 0, 100));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).top, (100 - (button.bottom - button.top)) / 2);
    EXPECT_FALSE(dlg.CenterDlgItem(9999, TRUE));

    const RECT row1 = CtrlRect(dlg, IDC_L_ROW1), row2 = CtrlRect(dlg, IDC_L_ROW2), row3 = CtrlRect(dlg, IDC_L_ROW3);
    dlg.AlignDlgItems(IDC_L_ROW1, IDC_L_ROW3, TRUE);
    const int shift = ((client.right - (row3.right - row1.left)) / 2) - row1.left;
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW1).left, row1.left + shift);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW2).left, row2.left + shift);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW3).right, row3.right + shift);

    const RECT text = CtrlRect(dlg, IDC_L_TEXT);
    const SIZE before = WindowSize(dlg);
    const int grown = dlg.AdjustHeight(IDC_L_TEXT);
    EXPECT_GT(grown, 0);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_TEXT).bottom - CtrlRect(dlg, IDC_L_TEXT).top, text.bottom - text.top + grown);
    EXPECT_EQ(WindowSize(dlg).cy, before.cy + grown);
    EXPECT_EQ(dlg.AdjustHeight(IDC_L_TEXT) + dlg.AdjustHeight(9999), 0);  // fits now; no such control

    EXPECT_TRUE(dlg.MoveCtrlToSlot(IDC_L_ROW1, IDC_L_BUTTON));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW1).left, CtrlRect(dlg, IDC_L_BUTTON).left);
    EXPECT_TRUE(dlg.MoveResizeCtrlToSlot(IDC_L_ROW2, IDC_L_BUTTON));
    RECT slot = CtrlRect(dlg, IDC_L_BUTTON), moved = CtrlRect(dlg, IDC_L_ROW2);
    EXPECT_TRUE(EqualRect(&slot, &moved));
    EXPECT_TRUE(dlg.MoveCtrlEdge(IDC_L_ROW3, IDC_L_TEXT, TRUE));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW3).right, CtrlRect(dlg, IDC_L_TEXT).right);

    // Ranges of controls follow the z-order.
    dlg.EnableDlgItems(IDC_L_ROW1, IDC_L_ROW2, FALSE);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L_ROW1) || dlg.IsDlgItemEnabled(IDC_L_ROW2));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_L_ROW3));
    dlg.ShowDlgItems(IDC_L_TEXT, 9999, FALSE);  // a last control that does not exist: to the end
    EXPECT_TRUE(dlg.IsDlgItemVisible(IDC_L_BUTTON));
    for (int id : {IDC_L_TEXT, IDC_L_ROW1, IDC_L_ROW2, IDC_L_ROW3})
        EXPECT_FALSE(dlg.IsDlgItemVisible(id)) << id;
    dlg.ShowDlgItems(9999, IDC_L_ROW3, TRUE);  // a first control that does not exist: nothing
    EXPECT_FALSE(dlg.IsDlgItemVisible(IDC_L_ROW3));
    dlg.TurnDlgItem(IDC_L_ROW3, TRUE);
    EXPECT_TRUE(dlg.IsDlgItemVisible(IDC_L_ROW3) && dlg.IsDlgItemEnabled(IDC_L_ROW3));
    dlg.Destroy();
}

TEST(DialogLayout, RadioGroupsAndTextsFromResourcesAndFormats)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_A, IDC_RADIO_C), 0);
    dlg.CheckRadioButton(IDC_RADIO_A, IDC_RADIO_C, IDC_RADIO_B);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_A, IDC_RADIO_C), IDC_RADIO_B);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_C, IDC_RADIO_A), 0);
    wchar_t text[2048];
    // A negative string id is the library's, whatever the dialog's own module.
    dlg.SetDlgItemTextW(IDC_EDIT, -IDS_ABOUT_MENU, nullptr);
    dlg.GetDlgItemTextW(IDC_EDIT, text, 2048);
    EXPECT_STREQ(text, L"&About...");
    dlg.SetDlgItemTextW(IDC_EDIT, 4321, nullptr);  // no such string: empty
    EXPECT_EQ(dlg.GetDlgItemTextLength(IDC_EDIT), 0);
    dlg.SetDlgItemTextW(IDC_EDIT, L"[%d]");
    dlg.SetDlgItemTextFmtCtrl(IDC_EDIT, 42);
    dlg.GetDlgItemTextW(IDC_EDIT, text, 2048);
    EXPECT_STREQ(text, L"[42]");
    dlg.SetDlgItemTextFmt(IDC_EDIT, L"%s", std::wstring(1500, L'w').c_str());
    EXPECT_EQ(dlg.GetDlgItemTextLength(IDC_EDIT), 1023);
    EXPECT_EQ(dlg.GetDlgItemTextW(IDC_EDIT, nullptr, 10), 0);
    dlg.Destroy();
    // Without a window every operation is refused quietly.
    EXPECT_EQ(dlg.GetDlgItem(IDC_EDIT), nullptr);
    EXPECT_FALSE(dlg.SetDlgItemTextW(IDC_EDIT, L"x"));
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_A, IDC_RADIO_C), 0);
}
