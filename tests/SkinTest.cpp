// Dialog skins with the sample skin module: the layered frameless window and its colour key, the
// nine-slice stretch read back from the window, hot areas under the real mouse, and skins that
// cannot be shown leaving the dialog standard.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "tests/DialogIds.h"
#include "tests/skin/SkinIds.h"
#include "tests/support/Row.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/Pixels.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "ui/CSDlgSkin.h"
#include "ui/ImageBtn.h"

namespace {

// Colours of the sample's pictures; the area pictures are JPEGs, a few units off.
const COLORREF Magenta = RGB(255, 0, 255), Middle = RGB(0xE8, 0xEC, 0xF2);
const COLORREF AreaNormal = RGB(0x60, 0x60, 0x60), AreaHover = RGB(0xF0, 0x90, 0x20);
const COLORREF AreaPressed = RGB(0xA0, 0x20, 0x20), AreaDisabled = RGB(0xC0, 0xC0, 0xC0);

std::wstring SampleSkin()
{
    return test::ExeDir() + L"\\SampleSkin.dll";
}

COLORREF PixelAt(HWND h, int x, int y)
{
    HDC dc = GetDC(h);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(h, dc);
    return colour;
}

bool Near(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= 6 && std::abs(GetGValue(a) - GetGValue(b)) <= 6 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 6;
}

// The label's background, away from its text.
COLORREF LabelBackground(CSDlg& dlg)
{
    HWND label = dlg.GetDlgItem(IDC_SKIN_LABEL);
    RECT rc;
    GetClientRect(label, &rc);
    return PixelAt(label, rc.right - 1, rc.bottom - 1);
}

bool LooksStandard(CSDlg& dlg)
{
    return (GetWindowLongPtrW(dlg, GWL_STYLE) & WS_CAPTION) == WS_CAPTION &&
           !(GetWindowLongPtrW(dlg, GWL_EXSTYLE) & WS_EX_LAYERED) && LabelBackground(dlg) == GetSysColor(COLOR_BTNFACE);
}

// Releases of the left button, seen after the skin had them.
struct ReleaseSpy : WMHook {
    int releases = 0;
    int OnWndMessage(CSWnd*, UINT msg, WPARAM, LPARAM, LRESULT*) override
    {
        releases += msg == WM_LBUTTONUP;
        return 0;
    }
};

class Skinned : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(EnableSkinMode(SampleSkin().c_str()));
        ASSERT_TRUE(skin.SetSkin(GetSkinMetrics(SAMPLE_KIND_DIALOG)));
        ASSERT_EQ(skin.AddAreas(GetSkinAreas(SAMPLE_KIND_DIALOG)), 3);
        ASSERT_NE(dlg.Open(IDD_SKINNED), nullptr);
        // The picture's own size, and the label on its plain middle.
        SetWindowPos(dlg, nullptr, 0, 0, 200, 140, SWP_NOMOVE | SWP_NOZORDER);
        SetWindowPos(dlg.GetDlgItem(IDC_SKIN_LABEL), nullptr, 100, 78, 50, 16, SWP_NOZORDER);
        spy.AddToWnd(&dlg);
        test::PumpPending();
    }
    void TearDown() override
    {
        test::Xdo("mousemove 0 0");
        dlg.Destroy();
        EnableSkinMode(nullptr);
    }
    POINT Centre(UINT id, bool screen)
    {
        RECT rc = {};
        skin.GetAreaRect(id, &rc);
        POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        if (screen)
            ClientToScreen(dlg, &pt);
        return pt;
    }
    bool Shows(UINT id, COLORREF colour)
    {
        POINT pt = Centre(id, false);
        return test::PumpUntil([&] { return Near(PixelAt(dlg, pt.x, pt.y), colour); }, 5000);
    }
    // The commands that arrived once the dialog had every release xdotool made.
    int CommandsAfter(int releases)
    {
        test::PumpUntil([&] { return spy.releases >= releases; }, 5000);
        test::PumpPending();
        return log.Count("OnButtonClicked");
    }

    CSDlgSkin skin;
    test::MessageLog log;
    test::ScriptedDlg dlg{&log, &skin};
    ReleaseSpy spy;
};

} // namespace

TEST_F(Skinned, TheDialogIsAFramelessLayeredPictureStretchedByNineSlices)
{
    EXPECT_FALSE(GetWindowLongPtrW(dlg, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME));
    COLORREF key = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(dlg, &key, nullptr, &flags));
    EXPECT_EQ(key, Magenta);
    EXPECT_TRUE(flags & LWA_COLORKEY);
    // Controls stand on the picture, also when they repaint alone (no trace of the old text).
    HWND label = dlg.GetDlgItem(IDC_SKIN_LABEL);
    SetWindowTextW(label, L"");
    const test::Shot cleared(label);
    EXPECT_EQ(std::count(cleared.pixels.begin(), cleared.pixels.end(), Middle), cleared.width * cleared.height);

    // Picture points and where they must be once the picture is 100 wider and 60 higher: the
    // corners' checks and the edges' stripes across keep their size, the rest stretches.
    const struct {
        POINT from, to;
    } points[] = {
        {{0, 0}, {0, 0}}, {{199, 139}, {299, 199}}, {{100, 70}, {150, 100}},           // keyed corners, middle
        {{4, 20}, {4, 20}}, {{5, 20}, {5, 20}}, {{190, 20}, {290, 20}}, {{191, 20}, {291, 20}},  // top corners
        {{4, 120}, {4, 180}}, {{5, 120}, {5, 180}}, {{190, 120}, {290, 180}}, {{191, 121}, {291, 181}},
        {{100, 10}, {150, 10}}, {{100, 11}, {150, 11}}, {{100, 12}, {150, 12}},      // top edge
        {{100, 120}, {150, 180}}, {{100, 121}, {150, 181}}, {{100, 122}, {150, 182}},  // bottom edge
        {{20, 70}, {20, 100}}, {{21, 70}, {21, 100}}, {{22, 70}, {22, 100}},        // left edge
        {{170, 70}, {270, 100}}, {{171, 70}, {271, 100}}, {{172, 70}, {272, 100}},  // right edge
    };
    COLORREF before[sizeof(points) / sizeof(points[0])];
    for (size_t i = 0; i < sizeof(points) / sizeof(points[0]); ++i)
        before[i] = PixelAt(dlg, points[i].from.x, points[i].from.y);
    ASSERT_EQ(before[0], Magenta);
    ASSERT_EQ(before[2], Middle);
    SetWindowPos(dlg, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    UpdateWindow(dlg);
    for (size_t i = 0; i < sizeof(points) / sizeof(points[0]); ++i)
        EXPECT_EQ(PixelAt(dlg, points[i].to.x, points[i].to.y), before[i]) << "point " << i;

    long right = 170, inside = 100, left = 20, below = 120;
    skin.StretchX(right);
    skin.StretchX(inside);
    skin.StretchX(left);
    skin.StretchY(below);
    EXPECT_EQ(right, 270);
    EXPECT_EQ(inside, 150);
    EXPECT_EQ(left, 20);
    EXPECT_EQ(below, 180);

    skin.ShowSkin(FALSE);
    test::PumpPending();
    EXPECT_TRUE(LooksStandard(dlg));
}

TEST_F(Skinned, AHotAreaSendsItsCommandOnlyWhenPressedAndReleasedOnIt)
{
    skin.EnableArea(IDA_THIRD, FALSE);
    EXPECT_TRUE(Shows(IDA_THIRD, AreaDisabled));
    EXPECT_TRUE(Shows(IDA_FIRST, AreaNormal));

    ASSERT_TRUE(test::Xdo(test::MoveTo(Centre(IDA_FIRST, true))));
    EXPECT_TRUE(Shows(IDA_FIRST, AreaHover));
    ASSERT_TRUE(test::Xdo("mousedown 1"));
    EXPECT_TRUE(Shows(IDA_FIRST, AreaPressed));
    ASSERT_TRUE(test::Xdo("mouseup 1"));
    EXPECT_EQ(CommandsAfter(1), 1);
    ASSERT_FALSE(log.Records().empty());
    EXPECT_EQ(log.Records().back().wParam, WPARAM{IDA_FIRST});
    EXPECT_TRUE(Shows(IDA_FIRST, AreaHover));

    // Pressed on the first, released on the second: neither sends, neither stays pressed.
    ASSERT_TRUE(test::Xdo("mousedown 1 sleep 0.15 " + test::MoveTo(Centre(IDA_SECOND, true)) + " sleep 0.15 mouseup 1"));
    EXPECT_EQ(CommandsAfter(2), 1);
    EXPECT_TRUE(Shows(IDA_FIRST, AreaNormal));
    EXPECT_TRUE(Shows(IDA_SECOND, AreaHover));

    // The disabled one never turns hot and sends nothing.
    ASSERT_TRUE(test::Xdo(test::MoveTo(Centre(IDA_THIRD, true)) + " sleep 0.1 " + test::HeldClick(1)));
    EXPECT_EQ(CommandsAfter(3), 1);
    EXPECT_TRUE(Shows(IDA_THIRD, AreaDisabled));
    EXPECT_TRUE(Shows(IDA_SECOND, AreaNormal));
}

// A module without the entry points, a missing picture, a picture of no size, or no skin
// module at all: the dialog looks standard.
TEST(SkinModeTest, SkinsThatCannotShowLeaveTheDialogStandard)
{
    EXPECT_EQ(EnableSkinMode(nullptr), 0);  // nothing loaded: nothing changes
    EXPECT_EQ(GetDllSkin(), nullptr);
    const struct {
        std::wstring module;
        SKIN_KIND kind;
    } rows[] = {{L"", SAMPLE_KIND_DIALOG}, {L"shlwapi.dll", SAMPLE_KIND_DIALOG},
                {SampleSkin(), SAMPLE_KIND_NO_PICTURE}, {SampleSkin(), SAMPLE_KIND_EMPTY}};
    for (const auto& row : rows) {
        test::Row trace(test::ToUtf8(row.module) + " kind " + std::to_string(row.kind));
        EXPECT_EQ(EnableSkinMode(row.module.c_str()), !row.module.empty());
        CSDlgSkin skin(GetSkinMetrics(row.kind));
        skin.AddAreas(GetSkinAreas(row.kind));
        test::ScriptedDlg dlg(nullptr, &skin);
        ASSERT_NE(dlg.Open(IDD_SKINNED), nullptr);
        EXPECT_TRUE(LooksStandard(dlg));
        EXPECT_FALSE(skin.IsSkinShown());
        dlg.Destroy();
        EnableSkinMode(nullptr);
    }
    // An area table without its end marker is read no further than the bound.
    ASSERT_TRUE(EnableSkinMode(SampleSkin().c_str()));
    CSDlgSkin skin(GetSkinMetrics(SAMPLE_KIND_UNENDED));
    EXPECT_EQ(skin.AddAreas(GetSkinAreas(SAMPLE_KIND_UNENDED)), int{CSDlgSkin::MaxAreas});
    EnableSkinMode(nullptr);
}

TEST(SkinModeTest, ImageButtonsOfASkinTakeTheirIconsFromTheSkinModule)
{
    ASSERT_TRUE(EnableSkinMode(SampleSkin().c_str()));
    ImageBtn button(ImageBtnIcon(GetSkinIconBtnMetrics(SAMPLE_KIND_WIZARD)));
    EXPECT_EQ(button.GetStateIndex(ImageBtn::StateNormal), 0);
    EXPECT_EQ(button.GetStateIndex(ImageBtn::StateHover), 1);
    EnableSkinMode(nullptr);
}
