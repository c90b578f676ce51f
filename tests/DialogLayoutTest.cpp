// Dialog resizing (limits, grip, remembered placement), collapsible control groups and the layout helpers.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <string>

#include "res/StringIds.h"
#include "tests/DialogIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "ui/CSDlg.h"

using test::ScriptedDlg;

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

RECT CtrlRect(CSDlg& dlg, int id)
{
    RECT rect = {};
    dlg.GetDlgItemRect(id, &rect);
    return rect;
}

void Resize(HWND h, int cx, int cy)
{
    SetWindowPos(h, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A resizable dialog that does not drag (the client area must reach the grip).
class ResizeDlg : public ScriptedDlg {
public:
    void OnInitDone() override
    {
        ScriptedDlg::OnInitDone();
        EnableFullDrag(FALSE);
    }
};

} // namespace

// ---- Size limits ----

TEST(DialogResize, NeverSmallerThanTheTemplateAndGrowthIsReported)
{
    ResizeDlg dlg;
    dlg.EnableResizing(DlgResizeWidth | DlgResizeHeight, nullptr);
    ASSERT_NE(dlg.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    SIZE start = WindowSize(dlg);
    EXPECT_EQ(dlg.GetResizeData().cx, 0);
    EXPECT_EQ(dlg.resizes, 0);

    Resize(dlg, start.cx - 50, start.cy - 40);
    EXPECT_EQ(WindowSize(dlg).cx, start.cx);
    EXPECT_EQ(WindowSize(dlg).cy, start.cy);

    Resize(dlg, start.cx + 40, start.cy + 30);
    EXPECT_EQ(WindowSize(dlg).cx, start.cx + 40);
    EXPECT_EQ(WindowSize(dlg).cy, start.cy + 30);
    EXPECT_EQ(dlg.resizeDx, 40);
    EXPECT_EQ(dlg.resizeDy, 30);
    EXPECT_EQ(dlg.GetResizeData().cx, 40);
    EXPECT_EQ(dlg.GetResizeData().cy, 30);

    // Smaller in one direction only: that one stops at the template.
    Resize(dlg, start.cx - 10, start.cy + 10);
    EXPECT_EQ(WindowSize(dlg).cx, start.cx);
    EXPECT_EQ(WindowSize(dlg).cy, start.cy + 10);
    EXPECT_EQ(dlg.resizeDx, 0);
    EXPECT_EQ(dlg.resizeDy, 10);
    dlg.Destroy();
}

TEST(DialogResize, WidthOnlyKeepsItsHeightAndKeepFlagsHoldTheFirstSize)
{
    ResizeDlg wide;
    wide.EnableResizing(DlgResizeWidth, nullptr);
    ASSERT_NE(wide.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    SIZE start = WindowSize(wide);
    Resize(wide, start.cx + 60, start.cy + 60);
    EXPECT_EQ(WindowSize(wide).cx, start.cx + 60);
    EXPECT_EQ(WindowSize(wide).cy, start.cy);
    Resize(wide, start.cx + 60, start.cy - 20);
    EXPECT_EQ(WindowSize(wide).cy, start.cy);
    EXPECT_EQ(wide.resizeDy, 0);
    wide.Destroy();

    ScriptedDlg fixed;
    fixed.EnableResizing(DlgResizeKeepWidth | DlgResizeKeepHeight, nullptr);
    ASSERT_NE(fixed.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    // Created at its template size before the framework saw it: the first size it is then
    // given is the one it keeps.
    SIZE first = WindowSize(fixed);
    Resize(fixed, first.cx + 30, first.cy - 30);
    EXPECT_EQ(WindowSize(fixed).cx, first.cx + 30);
    EXPECT_EQ(WindowSize(fixed).cy, first.cy - 30);
    Resize(fixed, first.cx, first.cy + 50);
    EXPECT_EQ(WindowSize(fixed).cx, first.cx + 30);
    EXPECT_EQ(WindowSize(fixed).cy, first.cy - 30);
    fixed.Destroy();
}

TEST(DialogResize, TheGripAnswersAsTheSizingCornerAndIsDrawn)
{
    ResizeDlg dlg;
    dlg.EnableResizing(DlgResizeWidth, nullptr);
    ASSERT_NE(dlg.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    SetWindowPos(dlg, HWND_TOPMOST, 200, 200, 0, 0, SWP_NOSIZE);
    UpdateWindow(dlg);
    RECT client;
    GetClientRect(dlg, &client);
    POINT corner = {client.right - 3, client.bottom - 3};
    POINT outside = {client.right - 12, client.bottom - 12};  // 24 from the corner
    ClientToScreen(dlg, &corner);
    ClientToScreen(dlg, &outside);
    EXPECT_EQ(SendMessageW(dlg, WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y)), HTBOTTOMRIGHT);
    EXPECT_EQ(SendMessageW(dlg, WM_NCHITTEST, 0, MAKELPARAM(outside.x, outside.y)), HTCLIENT);
    EXPECT_TRUE(dlg.IsPtInResizingCorner(client.right - 8, client.bottom - 7));
    EXPECT_FALSE(dlg.IsPtInResizingCorner(client.right - 8, client.bottom - 8));
    EXPECT_FALSE(dlg.IsPtInResizingCorner(client.right + 2, client.bottom - 2));

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
    dlg.Destroy();

    ResizeDlg plain;
    plain.EnableResizing(DlgResizeWidth | DlgResizeHeight | DlgResizeNoGrip, nullptr);
    ASSERT_NE(plain.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    UpdateWindow(plain);
    GetClientRect(plain, &client);
    dc = GetDC(plain);
    EXPECT_NE(GetPixel(dc, client.right - 4, client.bottom - 4), 0xA3B4B8u);
    ReleaseDC(plain, dc);
    plain.Destroy();
}

TEST(DialogResize, DraggingTheGripStopsAtTheTemplateAndKeepsAWidthOnlyHeight)
{
    ResizeDlg dlg;
    dlg.EnableResizing(DlgResizeWidth, nullptr);
    ASSERT_NE(dlg.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    SetWindowPos(dlg, HWND_TOPMOST, 200, 200, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(dlg);
    UpdateWindow(dlg);
    SIZE start = WindowSize(dlg);
    auto drag = [&](int dx, int dy) {
        RECT client;
        GetClientRect(dlg, &client);
        POINT grip = {client.right - 3, client.bottom - 3};
        ClientToScreen(dlg, &grip);
        std::string from = std::to_string(grip.x) + " " + std::to_string(grip.y);
        std::string half = std::to_string(grip.x + dx / 2) + " " + std::to_string(grip.y + dy / 2);
        std::string to = std::to_string(grip.x + dx) + " " + std::to_string(grip.y + dy);
        return test::Xdo("mousemove " + from + " sleep 0.1 mousedown 1 sleep 0.2 mousemove " + half +
                         " sleep 0.2 mousemove " + to + " sleep 0.2 mouseup 1");
    };

    ASSERT_TRUE(drag(70, 50));
    EXPECT_TRUE(test::PumpUntil([&] { return WindowSize(dlg).cx == start.cx + 70; }, 5000));
    EXPECT_EQ(WindowSize(dlg).cy, start.cy);

    ASSERT_TRUE(drag(-150, -80));
    EXPECT_TRUE(test::PumpUntil([&] { return WindowSize(dlg).cx == start.cx; }, 5000));
    EXPECT_EQ(WindowSize(dlg).cy, start.cy);
    dlg.Destroy();
}

// ---- The remembered placement ----

TEST(DialogPlacement, StoredWhileRunningAndRestoredNextTime)
{
    MyWindowPlacement record;
    SIZE start = {};
    {
        ScriptedDlg dlg;
        dlg.EnableResizing(DlgResizeWidth | DlgResizeHeight, &record);
        dlg.script = [&](ScriptedDlg& d) {
            // Nothing stored yet: the record is filled from the aligned template.
            EXPECT_EQ(record.length, sizeof(WINDOWPLACEMENT));
            start = WindowSize(d);
            SetWindowPos(d, nullptr, 40, 50, start.cx + 30, start.cy + 20, SWP_NOZORDER);
            d.CloseDialog(IDOK, 0);
        };
        EXPECT_EQ(dlg.Modal(IDD_RESIZE, Exe(), nullptr), IDOK);
    }
    EXPECT_EQ(record.rcNormalPosition.left, 40);
    EXPECT_EQ(record.rcNormalPosition.top, 50);
    EXPECT_EQ(record.rcNormalPosition.right - record.rcNormalPosition.left, start.cx + 30);

    ScriptedDlg again;
    again.EnableResizing(DlgResizeWidth | DlgResizeHeight, &record);
    RECT placed = {};
    again.script = [&](ScriptedDlg& d) {
        GetWindowRect(d, &placed);
        d.CloseDialog(IDCANCEL, 0);
    };
    again.Modal(IDD_RESIZE, Exe(), nullptr);
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.top, 50);
    EXPECT_EQ(placed.right - placed.left, start.cx + 30);
    EXPECT_EQ(placed.bottom - placed.top, start.cy + 20);
    // The controls were told how far the dialog is from its template.
    EXPECT_EQ(again.resizeDx, 30);
    EXPECT_EQ(again.resizeDy, 20);
}

TEST(DialogPlacement, MinimisedDamagedOrLostRecordsOpenNormally)
{
    MyWindowPlacement minimised;
    minimised.length = sizeof(WINDOWPLACEMENT);
    minimised.showCmd = SW_SHOWMINIMIZED;
    minimised.rcNormalPosition = RECT{60, 70, 460, 370};

    MyWindowPlacement inverted;
    inverted.length = sizeof(WINDOWPLACEMENT);
    inverted.showCmd = SW_SHOWNORMAL;
    inverted.rcNormalPosition = RECT{300, 300, 100, 100};

    MyWindowPlacement lost;
    lost.length = sizeof(WINDOWPLACEMENT);
    lost.showCmd = SW_SHOWNORMAL;
    lost.rcNormalPosition = RECT{30000, 30000, 30400, 30300};

    MyWindowPlacement wrongLength;
    wrongLength.length = 12345;
    wrongLength.showCmd = 77;
    wrongLength.rcNormalPosition = RECT{10, 10, 20, 20};

    for (MyWindowPlacement* record : {&minimised, &inverted, &lost, &wrongLength}) {
        ScriptedDlg dlg;
        dlg.EnableResizing(DlgResizeWidth | DlgResizeHeight, record);
        bool iconic = true, visible = false;
        RECT placed = {};
        dlg.script = [&](ScriptedDlg& d) {
            iconic = IsIconic(d);
            visible = IsWindowVisible(d);
            GetWindowRect(d, &placed);
            d.CloseDialog(IDCANCEL, 0);
        };
        dlg.Modal(IDD_RESIZE, Exe(), nullptr);
        EXPECT_FALSE(iconic);
        EXPECT_TRUE(visible);
        if (record == &minimised) {
            EXPECT_EQ(placed.left, 60);
            EXPECT_EQ(placed.right - placed.left, 400);
        } else {
            // Not a usable record: the template's size, on the screen.
            EXPECT_GT(placed.right, placed.left);
            EXPECT_LT(placed.left, GetSystemMetrics(SM_CXSCREEN));
            EXPECT_EQ(dlg.resizeDx, 0);
            EXPECT_EQ(dlg.resizeDy, 0);
        }
        // Closing wrote a sound record back.
        EXPECT_EQ(record->length, sizeof(WINDOWPLACEMENT));
        EXPECT_NE(record->showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    }
}

// ---- Control groups ----

namespace {

struct GroupLayout {
    RECT frame, first, innerFirst, innerLast, last, below1, below2;
};

GroupLayout Measure(CSDlg& dlg)
{
    return GroupLayout{CtrlRect(dlg, IDC_OUTER_FRAME), CtrlRect(dlg, IDC_OUTER_FIRST), CtrlRect(dlg, IDC_INNER_FIRST),
                       CtrlRect(dlg, IDC_INNER_LAST), CtrlRect(dlg, IDC_OUTER_LAST), CtrlRect(dlg, IDC_BELOW_1),
                       CtrlRect(dlg, IDC_BELOW_2)};
}

bool Same(const GroupLayout& a, const GroupLayout& b)
{
    const RECT* x = &a.frame;
    const RECT* y = &b.frame;
    for (int i = 0; i < 7; ++i) {
        if (!EqualRect(x + i, y + i))
            return false;
    }
    return true;
}

} // namespace

TEST(DialogGroups, HidingAndShowingMovesTheControlsBelowAndResizesTheFrames)
{
    ScriptedDlg dlg;
    EXPECT_EQ(dlg.AddCtrlGroup(IDC_OUTER_FIRST, IDC_OUTER_LAST, IDC_OUTER_FRAME, 0), 1);
    EXPECT_EQ(dlg.AddCtrlGroup(IDC_INNER_FIRST, IDC_INNER_LAST, 0, IDC_OUTER_FIRST), 1);
    ASSERT_NE(dlg.Modeless(IDD_GROUPS, Exe(), nullptr, TRUE), nullptr);
    GroupLayout original = Measure(dlg);
    // The outer group reaches the bottom of its frame, which ends above the next control;
    // the inner one reaches the next control of the outer group.
    int whole = original.frame.bottom - original.first.top;
    int inner = original.last.top - original.innerFirst.top;
    ASSERT_GT(inner, 0);
    ASSERT_GT(whole, inner);

    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE), -inner);
    GroupLayout folded = Measure(dlg);
    EXPECT_FALSE(IsWindowVisible(dlg.GetDlgItem(IDC_INNER_FIRST)));
    EXPECT_FALSE(IsWindowEnabled(dlg.GetDlgItem(IDC_INNER_LAST)));
    EXPECT_EQ(folded.last.top, original.last.top - inner);
    EXPECT_EQ(folded.below1.top, original.below1.top - inner);
    EXPECT_EQ(folded.below2.top, original.below2.top - inner);
    EXPECT_EQ(folded.first.top, original.first.top);
    // The frame around it shrinks with it.
    EXPECT_EQ(folded.frame.bottom, original.frame.bottom - inner);
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE), 0);  // already hidden

    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, TRUE), inner);
    EXPECT_TRUE(Same(Measure(dlg), original));
    EXPECT_TRUE(IsWindowVisible(dlg.GetDlgItem(IDC_INNER_FIRST)));

    // The whole section, inner group and all.
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, FALSE), -whole);
    GroupLayout closed = Measure(dlg);
    EXPECT_EQ(closed.below1.top, original.below1.top - whole);
    EXPECT_EQ(closed.frame.bottom, original.frame.bottom - whole);
    EXPECT_FALSE(IsWindowVisible(dlg.GetDlgItem(IDC_OUTER_LAST)));
    EXPECT_FALSE(IsWindowVisible(dlg.GetDlgItem(IDC_INNER_LAST)));
    EXPECT_FALSE(dlg.FindCtrlGroup(IDC_INNER_FIRST)->shown);
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, TRUE), whole);
    EXPECT_TRUE(Same(Measure(dlg), original));
    EXPECT_TRUE(IsWindowVisible(dlg.GetDlgItem(IDC_INNER_LAST)));

    // Folded inside, then folded outside, then opened: everything is back in place.
    dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE);
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, FALSE), -(whole - inner));
    EXPECT_EQ(Measure(dlg).below2.top, original.below2.top - whole);
    dlg.ShowCtrlGroup(IDC_OUTER_FIRST, TRUE);
    EXPECT_TRUE(Same(Measure(dlg), original));

    // The dialog's own size never changes; unknown groups do nothing.
    EXPECT_EQ(dlg.ShowCtrlGroup(9999, FALSE), 0);
    EXPECT_EQ(dlg.FindCtrlGroup(0, IDC_OUTER_FRAME), dlg.FindCtrlGroup(IDC_OUTER_FIRST));
    EXPECT_EQ(dlg.FindCtrlGroup(0, 0), nullptr);
    EXPECT_EQ(dlg.AddCtrlGroup(0, IDC_OUTER_LAST), 0);
    dlg.Destroy();
}

TEST(DialogGroups, AGroupFoldedBeforeTheFirstShowIsMeasuredFirst)
{
    ScriptedDlg reference;
    ASSERT_NE(reference.Modeless(IDD_GROUPS, Exe(), nullptr, TRUE), nullptr);
    GroupLayout original = Measure(reference);
    reference.Destroy();

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
    } dlg;
    ASSERT_NE(dlg.Modeless(IDD_GROUPS, Exe(), nullptr, TRUE), nullptr);
    int inner = original.last.top - original.innerFirst.top;
    EXPECT_EQ(dlg.offset, -inner);
    EXPECT_EQ(Measure(dlg).below1.top, original.below1.top - inner);
    dlg.Destroy();
}

// ---- Layout helpers and item operations ----

TEST(DialogLayout, CentringAligningAndGrowingToTheText)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_LAYOUT, Exe(), nullptr, TRUE), nullptr);
    RECT client;
    GetClientRect(dlg, &client);
    RECT button = CtrlRect(dlg, IDC_L_BUTTON);
    int width = button.right - button.left;

    EXPECT_TRUE(dlg.CenterDlgItem(IDC_L_BUTTON, TRUE));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).left, (client.right - width) / 2);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).top, button.top);
    // A span narrower than the control: the half is taken towards zero, not down.
    EXPECT_TRUE(dlg.CenterDlgItem(IDC_L_BUTTON, TRUE, 10, 13));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).left, 10 + static_cast<int>(std::trunc((3 - width) / 2.0)));
    EXPECT_TRUE(dlg.CenterDlgItem(IDC_L_BUTTON, FALSE, 0, 100));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).top, (100 - (button.bottom - button.top)) / 2);
    EXPECT_FALSE(dlg.CenterDlgItem(9999, TRUE));

    RECT row1 = CtrlRect(dlg, IDC_L_ROW1);
    RECT row2 = CtrlRect(dlg, IDC_L_ROW2);
    RECT row3 = CtrlRect(dlg, IDC_L_ROW3);
    dlg.AlignDlgItems(IDC_L_ROW1, IDC_L_ROW3, TRUE);
    int shift = ((client.right - (row3.right - row1.left)) / 2) - row1.left;
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW1).left, row1.left + shift);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW2).left, row2.left + shift);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW3).right, row3.right + shift);

    RECT text = CtrlRect(dlg, IDC_L_TEXT);
    SIZE before = WindowSize(dlg);
    int grown = dlg.AdjustHeight(IDC_L_TEXT);
    EXPECT_GT(grown, 0);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_TEXT).bottom - CtrlRect(dlg, IDC_L_TEXT).top, text.bottom - text.top + grown);
    EXPECT_EQ(WindowSize(dlg).cy, before.cy + grown);
    EXPECT_EQ(dlg.AdjustHeight(IDC_L_TEXT), 0);  // fits now
    EXPECT_EQ(dlg.AdjustHeight(9999), 0);

    EXPECT_TRUE(dlg.MoveCtrlToSlot(IDC_L_ROW1, IDC_L_BUTTON));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW1).left, CtrlRect(dlg, IDC_L_BUTTON).left);
    EXPECT_TRUE(dlg.MoveResizeCtrlToSlot(IDC_L_ROW2, IDC_L_BUTTON));
    RECT slot = CtrlRect(dlg, IDC_L_BUTTON);
    RECT moved = CtrlRect(dlg, IDC_L_ROW2);
    EXPECT_TRUE(EqualRect(&slot, &moved));
    EXPECT_TRUE(dlg.MoveCtrlEdge(IDC_L_ROW3, IDC_L_TEXT, TRUE));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW3).right, CtrlRect(dlg, IDC_L_TEXT).right);
    dlg.Destroy();
}

TEST(DialogLayout, RangesOfControlsFollowTheZOrder)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_LAYOUT, Exe(), nullptr, TRUE), nullptr);
    dlg.EnableDlgItems(IDC_L_ROW1, IDC_L_ROW2, FALSE);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L_ROW1));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L_ROW2));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_L_ROW3));
    // A last control that does not exist: to the end.
    dlg.ShowDlgItems(IDC_L_TEXT, 9999, FALSE);
    EXPECT_TRUE(dlg.IsDlgItemVisible(IDC_L_BUTTON));
    for (int id : {IDC_L_TEXT, IDC_L_ROW1, IDC_L_ROW2, IDC_L_ROW3})
        EXPECT_FALSE(dlg.IsDlgItemVisible(id)) << id;
    // A first control that does not exist: nothing.
    dlg.ShowDlgItems(9999, IDC_L_ROW3, TRUE);
    EXPECT_FALSE(dlg.IsDlgItemVisible(IDC_L_ROW3));
    dlg.TurnDlgItem(IDC_L_ROW3, TRUE);
    EXPECT_TRUE(dlg.IsDlgItemVisible(IDC_L_ROW3));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_L_ROW3));
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
    std::wstring longText(1500, L'w');
    dlg.SetDlgItemTextFmt(IDC_EDIT, L"%s", longText.c_str());
    EXPECT_EQ(dlg.GetDlgItemTextLength(IDC_EDIT), 1023);
    EXPECT_EQ(dlg.GetDlgItemTextW(IDC_EDIT, nullptr, 10), 0);
    dlg.Destroy();
    // Without a window every operation is refused quietly.
    EXPECT_EQ(dlg.GetDlgItem(IDC_EDIT), nullptr);
    EXPECT_FALSE(dlg.SetDlgItemTextW(IDC_EDIT, L"x"));
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_A, IDC_RADIO_C), 0);
}
