// Image and icon buttons drawn by a real dialog: which image each state shows, the embossed caption,
// hovering under the real mouse and the shared resources. (The About box's tests check the link colours.)
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "res/IconIds.h"
#include "tests/DialogIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/Pixels.h"
#include "tests/support/RealInput.h"
#include "ui/IconBtn.h"
#include "ui/ImageBtn.h"

namespace {

using test::Shot;

// The image index of each state: normal, hover, pressed, disabled, focused.
std::vector<int> Indices(const ImageBtn& button)
{
    std::vector<int> indices;
    for (int state = ImageBtn::StateNormal; state < ImageBtn::StateCount; ++state)
        indices.push_back(button.GetStateIndex(static_cast<ImageBtn::State>(state)));
    return indices;
}

// While the button hovers, its hooks see WM_SETCURSOR and the hand stays.
bool HandKeptAndHooksAsked(CSCtrl& button)
{
    test::MessageCounter hook(WM_SETCURSOR);
    hook.AddToWnd(&button);
    SendMessageW(button, WM_SETCURSOR, reinterpret_cast<WPARAM>(button.GetHandle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    hook.RemoveFromWnd(&button);
    return hook.count == 1 && GetCursor() == LoadCursorW(nullptr, IDC_HAND);
}

class Buttons : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(dlg.Open(IDD_BUTTONS), nullptr);
        dlg.SetDlgItemFocus(IDOK);  // no button starts with the focus
        test::PumpPending();
    }
    test::ScriptedDlg dlg;
};

} // namespace

TEST_F(Buttons, AStripOfThreeShowsNormalHoverAndPressedOnly)
{
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 0xC0, 0), blue = RGB(0, 0, 255);
    ImageBtn strip(8, 8, test::ExeModule(), IDB_STRIP, 0, 0);
    EXPECT_EQ(Indices(strip), (std::vector<int>{0, 1, 2, -1, -1}));
    strip.Init(&dlg, IDC_B_STRIP);
    HWND button = dlg.GetDlgItem(IDC_B_STRIP);
    InvalidateRect(button, nullptr, TRUE);
    // Magenta is the strip's transparent colour.
    EXPECT_EQ(Shot(button).At(0, 4), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(Shot(button).At(4, 4), red);
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(3, 5));
    EXPECT_EQ(Shot(button).At(4, 4), green);
    EXPECT_TRUE(HandKeptAndHooksAsked(strip));
    POINT inDialog = {3, 5};
    MapWindowPoints(button, dlg, &inDialog, 1);
    EXPECT_TRUE(dlg.lastMove.x == inDialog.x && dlg.lastMove.y == inDialog.y);
    SendMessageW(button, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(Shot(button).At(4, 4), blue);
    SendMessageW(button, BM_SETSTATE, FALSE, 0);
    SendMessageW(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Shot(button).At(4, 4), red);
    // Disabled has no image of its own: the normal one shows, without the hover layer.
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(3, 5));
    EnableWindow(button, FALSE);
    EXPECT_EQ(Shot(button).At(4, 4), red);
}

TEST_F(Buttons, IconStatesTakeTheirImagesInOrderAndFallBackToNormal)
{
    // Only normal and disabled: indices 0 and 1.
    ImageBtn pair(13, 13, nullptr, -IDI_ABOUT_WEB, 0, 0, -IDI_ABOUT_MAIL, 0, 0);
    EXPECT_EQ(Indices(pair), (std::vector<int>{0, -1, -1, 1, -1}));
    pair.Init(&dlg, IDC_B_ICONS);
    HWND button = dlg.GetDlgItem(IDC_B_ICONS);
    const auto web = test::IconAsDrawn(IDI_ABOUT_WEB, 13), mail = test::IconAsDrawn(IDI_ABOUT_MAIL, 13);
    const auto support = test::IconAsDrawn(IDI_ABOUT_SUPPORT, 13);
    ASSERT_NE(web, mail);
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));  // no hover image: the normal one
    EXPECT_EQ(Shot(button).Block(0, 0, 13), web);
    EnableWindow(button, FALSE);
    EXPECT_EQ(Shot(button).Block(0, 0, 13), mail);

    // Checked shows the pressed image with the mouse away; a focused button without a focus
    // image shows the normal one, even pressed.
    ImageBtn checked(ImageBtnIcon(13, 13, nullptr, -IDI_ABOUT_WEB, 0, -IDI_ABOUT_SUPPORT, 0, 0, 0));
    checked.Init(&dlg, IDC_B_CHECKED);
    HWND other = dlg.GetDlgItem(IDC_B_CHECKED);
    checked.Check(TRUE);
    EXPECT_TRUE(checked.IsChecked() && !checked.IsHovering());
    EXPECT_EQ(Shot(other).Block(0, 0, 13), support);
    checked.Check(FALSE);
    EXPECT_EQ(Shot(other).Block(0, 0, 13), web);
    SetFocus(other);
    SendMessageW(other, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(Shot(other).Block(0, 0, 13), web);
    EXPECT_EQ(ImageBtn(ImageBtnIcon(nullptr)).GetStateIndex(ImageBtn::StateNormal), -1);  // a descriptor without ids
}

TEST_F(Buttons, ADisabledIconButtonEmbossesItsCaptionAndTheObjectKeepsTheCheck)
{
    IconBtn disabled, enabled;
    disabled.Init(&dlg, IDC_B_DISABLED);
    enabled.Init(&dlg, IDC_B_ENABLED);
    EnableWindow(dlg.GetDlgItem(IDC_B_DISABLED), FALSE);
    InvalidateRect(dlg.GetDlgItem(IDC_B_ENABLED), nullptr, TRUE);
    // A white pixel right below and right of a gray one: the offset copy under the text.
    // The frame's own white edge lies outside the inner part looked at.
    auto embossed = [](const Shot& shot) {
        for (int y = 4; y < shot.height - 4; ++y) {
            for (int x = 4; x < shot.width - 4; ++x) {
                if (shot.At(x, y) == RGB(255, 255, 255) && shot.At(x - 1, y - 1) == GetSysColor(COLOR_GRAYTEXT))
                    return true;
            }
        }
        return false;
    };
    Shot on(dlg.GetDlgItem(IDC_B_ENABLED));
    EXPECT_TRUE(embossed(Shot(dlg.GetDlgItem(IDC_B_DISABLED))));
    EXPECT_FALSE(embossed(on));
    EXPECT_GT(on.LongestRun(GetSysColor(COLOR_BTNTEXT)), 0);
    // The system keeps no check for an owner-drawn button: the object does.
    SendMessageW(enabled, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageW(enabled, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(Buttons, ALinkHoversWithTheHandCursorWhileTheRealMouseIsOverIt)
{
    IconBtn link(static_cast<UINT>(-IDI_ABOUT_WEB), IconBtn::StyleLink | IconBtn::StyleCenterH | IconBtn::StyleCenterV);
    link.Init(&dlg, IDC_B_LINK);
    HWND button = dlg.GetDlgItem(IDC_B_LINK);
    ASSERT_TRUE(test::Xdo("mousemove 5 5"));
    ASSERT_TRUE(test::Xdo(test::MoveTo(button)));
    ASSERT_TRUE(test::PumpUntil([&] { return link.IsHovering(); }, 5000));
    EXPECT_GE(Shot(button).LongestRun(IconBtn::rgbHover), 20);
    // The button's own answer would put the arrow back at every move.
    EXPECT_TRUE(HandKeptAndHooksAsked(link));
    // Leaving is told by the system only because the button asked for it.
    ASSERT_TRUE(test::Xdo("mousemove 5 5"));
    EXPECT_TRUE(test::PumpUntil([&] { return !link.IsHovering(); }, 5000));
}

TEST_F(Buttons, TheFirstIconButtonBoundMakesTheSharedBrushesAndPensAndTheLastOneFreesThem)
{
    EXPECT_TRUE(IconBtn::dwRefCount == 0 && IconBtn::hbr[0] == nullptr);
    IconBtn first;
    auto* second = new IconBtn();
    first.Init(&dlg, IDC_B_DISABLED);
    second->Init(&dlg, IDC_B_ENABLED);
    const HGDIOBJ shared[] = {IconBtn::hbr[0], IconBtn::hbr[1], IconBtn::penLt, IconBtn::penDk, IconBtn::penHover};
    auto alive = [&] {
        int count = 0;
        for (HGDIOBJ object : shared)
            count += GetObjectType(object) != 0;
        return count;
    };
    EXPECT_TRUE(IconBtn::dwRefCount == 2 && alive() == 5);
    // One ends with its window, the other with its object.
    DestroyWindow(dlg.GetDlgItem(IDC_B_DISABLED));
    EXPECT_TRUE(IconBtn::dwRefCount == 1 && alive() == 5);
    delete second;
    EXPECT_TRUE(IconBtn::dwRefCount == 0 && alive() == 0 && IconBtn::hbr[0] == nullptr);
}
