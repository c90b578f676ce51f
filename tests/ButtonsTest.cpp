// Image and icon buttons drawn by a real dialog: which image each state shows, the embossed and link captions, hovering and the shared resources.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "res/IconIds.h"
#include "tests/DialogIds.h"
#include "tests/support/Pixels.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "ui/CSDlg.h"
#include "ui/IconBtn.h"
#include "ui/ImageBtn.h"

namespace {

const COLORREF Red = RGB(255, 0, 0), Green = RGB(0, 0xC0, 0), Blue = RGB(0, 0, 255);
const COLORREF White = RGB(255, 255, 255);

using test::IconAsDrawn;
using test::Shot;

// Records where the buttons said the mouse was, in the dialog's coordinates.
class ButtonsDlg : public CSDlg {
public:
    void OnMouseMove(UINT keys, int x, int y) override
    {
        lastMove = {x, y};
        CSDlg::OnMouseMove(keys, x, y);
    }
    POINT lastMove = {-100, -100};
};

// The image index of each state: normal, hover, pressed, disabled, focused.
std::vector<int> Indices(const ImageBtn& button)
{
    std::vector<int> indices;
    for (auto state : {ImageBtn::StateNormal, ImageBtn::StateHover, ImageBtn::StatePressed, ImageBtn::StateDisabled,
                       ImageBtn::StateFocused})
        indices.push_back(button.GetStateIndex(state));
    return indices;
}

class Buttons : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(dlg.Modeless(IDD_BUTTONS, GetModuleHandleW(nullptr), nullptr, TRUE), nullptr);
        SetWindowPos(dlg, HWND_TOPMOST, 200, 200, 0, 0, SWP_NOSIZE);
        // No button starts with the focus.
        dlg.SetDlgItemFocus(IDOK);
        test::PumpPending();
    }
    void TearDown() override { dlg.Destroy(); }

    HWND Item(int id) { return dlg.GetDlgItem(id); }

    ButtonsDlg dlg;
};

} // namespace

TEST_F(Buttons, AStripOfThreeShowsNormalHoverAndPressedOnly)
{
    ImageBtn strip(8, 8, GetModuleHandleW(nullptr), IDB_STRIP, 0, 0);
    EXPECT_EQ(Indices(strip), (std::vector<int>{0, 1, 2, -1, -1}));
    strip.Init(&dlg, IDC_B_STRIP);
    HWND button = Item(IDC_B_STRIP);
    EXPECT_EQ(GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    InvalidateRect(button, nullptr, TRUE);

    Shot normal(button);
    EXPECT_EQ(normal.At(4, 4), Red);
    // Magenta is the strip's transparent colour.
    EXPECT_EQ(normal.At(0, 4), GetSysColor(COLOR_BTNFACE));

    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(3, 5));
    EXPECT_TRUE(strip.IsHovering());
    EXPECT_EQ(Shot(button).At(4, 4), Green);
    POINT inDialog = {3, 5};
    MapWindowPoints(button, dlg, &inDialog, 1);
    EXPECT_EQ(dlg.lastMove.x, inDialog.x);
    EXPECT_EQ(dlg.lastMove.y, inDialog.y);

    SendMessageW(button, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(Shot(button).At(4, 4), Blue);
    SendMessageW(button, BM_SETSTATE, FALSE, 0);
    SendMessageW(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(strip.IsHovering());
    EXPECT_EQ(Shot(button).At(4, 4), Red);

    // Neither state has an image of its own: the normal one shows, without the hover layer.
    SetFocus(button);
    EXPECT_EQ(Shot(button).At(4, 4), Red);
    dlg.SetDlgItemFocus(IDOK);
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(3, 5));
    EnableWindow(button, FALSE);
    EXPECT_EQ(Shot(button).At(4, 4), Red);
}

TEST_F(Buttons, IconStatesTakeTheirImagesInOrderAndFallBackToNormal)
{
    // Only normal and disabled: indices 0 and 1.
    ImageBtn pair(13, 13, nullptr, -IDI_ABOUT_WEB, 0, 0, -IDI_ABOUT_MAIL, 0, 0);
    EXPECT_EQ(Indices(pair), (std::vector<int>{0, -1, -1, 1, -1}));
    pair.Init(&dlg, IDC_B_ICONS);
    HWND button = Item(IDC_B_ICONS);
    InvalidateRect(button, nullptr, TRUE);
    std::vector<COLORREF> web = IconAsDrawn(IDI_ABOUT_WEB, 13), mail = IconAsDrawn(IDI_ABOUT_MAIL, 13);
    ASSERT_NE(web, mail);
    EXPECT_EQ(Shot(button).Block(0, 0, 13), web);
    // No hover image: hovering keeps the normal one.
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(Shot(button).Block(0, 0, 13), web);
    EnableWindow(button, FALSE);
    EXPECT_EQ(Shot(button).Block(0, 0, 13), mail);

    // Checked shows the pressed image with the mouse away; so does a click, which focuses the
    // button, when there is no focused image.
    ImageBtn checked(ImageBtnIcon(13, 13, nullptr, -IDI_ABOUT_WEB, 0, -IDI_ABOUT_SUPPORT, 0, 0, 0));
    checked.Init(&dlg, IDC_B_CHECKED);
    HWND other = Item(IDC_B_CHECKED);
    std::vector<COLORREF> support = IconAsDrawn(IDI_ABOUT_SUPPORT, 13);
    checked.Check(TRUE);
    EXPECT_TRUE(checked.IsChecked());
    EXPECT_FALSE(checked.IsHovering());
    EXPECT_EQ(Shot(other).Block(0, 0, 13), support);
    checked.Check(FALSE);
    EXPECT_EQ(Shot(other).Block(0, 0, 13), web);
    SetFocus(other);
    SendMessageW(other, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(Shot(other).Block(0, 0, 13), support);
    SendMessageW(other, BM_SETSTATE, FALSE, 0);

    // A descriptor without ids makes an empty button, which draws nothing but its face.
    ImageBtn empty{ImageBtnIcon(nullptr)};
    EXPECT_EQ(empty.GetStateIndex(ImageBtn::StateNormal), -1);
}

TEST_F(Buttons, ADisabledIconButtonEmbossesItsCaption)
{
    IconBtn disabled, enabled;
    disabled.Init(&dlg, IDC_B_DISABLED);
    enabled.Init(&dlg, IDC_B_ENABLED);
    EnableWindow(Item(IDC_B_DISABLED), FALSE);
    InvalidateRect(Item(IDC_B_ENABLED), nullptr, TRUE);

    // A white pixel right below and right of a gray one: the offset copy under the text.
    // The frame's own white edge lies outside the inner part looked at.
    auto embossed = [](const Shot& shot) {
        COLORREF gray = GetSysColor(COLOR_GRAYTEXT);
        for (int y = 4; y < shot.height - 4; ++y) {
            for (int x = 4; x < shot.width - 4; ++x) {
                if (shot.At(x, y) == White && shot.At(x - 1, y - 1) == gray)
                    return true;
            }
        }
        return false;
    };
    Shot off(Item(IDC_B_DISABLED));
    Shot on(Item(IDC_B_ENABLED));
    EXPECT_TRUE(embossed(off));
    EXPECT_FALSE(embossed(on));
    EXPECT_GT(on.LongestRun(GetSysColor(COLOR_BTNTEXT)), 0);

    // The system keeps no check for an owner-drawn button: the object does.
    EXPECT_EQ(SendMessageW(Item(IDC_B_ENABLED), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageW(Item(IDC_B_ENABLED), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageW(Item(IDC_B_ENABLED), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(Buttons, ALinkUnderlinesAndTakesTheHoverColourUnderTheRealMouse)
{
    IconBtn link(static_cast<UINT>(-IDI_ABOUT_WEB), IconBtn::StyleLink | IconBtn::StyleCenterH | IconBtn::StyleCenterV);
    link.Init(&dlg, IDC_B_LINK);
    HWND button = Item(IDC_B_LINK);
    InvalidateRect(button, nullptr, TRUE);
    ASSERT_TRUE(test::Xdo("mousemove 5 5"));

    // The underline is a line of the link colour at least as long as a few letters.
    Shot idle(button);
    EXPECT_GE(idle.LongestRun(IconBtn::rgbLink[0]), 20);
    EXPECT_EQ(idle.LongestRun(IconBtn::rgbHover), 0);

    ASSERT_TRUE(test::Xdo(test::MoveTo(button)));
    ASSERT_TRUE(test::PumpUntil([&] { return link.IsHovering(); }, 5000));
    test::PumpPending();
    Shot hover(button);
    EXPECT_GE(hover.LongestRun(IconBtn::rgbHover), 20);
    EXPECT_EQ(hover.LongestRun(IconBtn::rgbLink[0]), 0);
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    EXPECT_EQ(GetCursor(), hand);
    // The button's own answer would put the arrow back at every move.
    SendMessageW(button, WM_SETCURSOR, reinterpret_cast<WPARAM>(button), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), hand);

    ASSERT_TRUE(test::Xdo("mousemove 5 5"));
    ASSERT_TRUE(test::PumpUntil([&] { return !link.IsHovering(); }, 5000));
    EXPECT_GE(Shot(button).LongestRun(IconBtn::rgbLink[0]), 20);
}

TEST(IconButtonResources, TheFirstBoundButtonMakesThemAndTheLastOneFreesThem)
{
    ButtonsDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_BUTTONS, GetModuleHandleW(nullptr), nullptr, TRUE), nullptr);
    EXPECT_EQ(IconBtn::dwRefCount, 0u);
    EXPECT_EQ(IconBtn::hbr[0], nullptr);

    IconBtn first;
    auto* second = new IconBtn();
    first.Init(&dlg, IDC_B_DISABLED);
    ASSERT_EQ(IconBtn::dwRefCount, 1u);
    HBRUSH face = IconBtn::hbr[0];
    HPEN hoverPen = IconBtn::penHover;
    EXPECT_EQ(GetObjectType(face), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(IconBtn::hbr[1]), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(hoverPen), static_cast<DWORD>(OBJ_PEN));
    EXPECT_EQ(IconBtn::rgbBk[0], GetSysColor(COLOR_BTNFACE));
    second->Init(&dlg, IDC_B_ENABLED);
    EXPECT_EQ(IconBtn::dwRefCount, 2u);
    EXPECT_EQ(IconBtn::hbr[0], face);

    // One ends with its window, the other with its object.
    DestroyWindow(dlg.GetDlgItem(IDC_B_DISABLED));
    EXPECT_EQ(IconBtn::dwRefCount, 1u);
    EXPECT_EQ(GetObjectType(face), static_cast<DWORD>(OBJ_BRUSH));
    delete second;
    EXPECT_EQ(IconBtn::dwRefCount, 0u);
    EXPECT_EQ(GetObjectType(face), 0u);
    EXPECT_EQ(GetObjectType(hoverPen), 0u);
    EXPECT_EQ(IconBtn::hbr[0], nullptr);

    // A later button makes them again.
    IconBtn third;
    third.Init(&dlg, IDC_B_LINK);
    EXPECT_EQ(IconBtn::dwRefCount, 1u);
    EXPECT_EQ(GetObjectType(IconBtn::hbr[0]), static_cast<DWORD>(OBJ_BRUSH));
    dlg.Destroy();
    EXPECT_EQ(IconBtn::dwRefCount, 0u);
}
