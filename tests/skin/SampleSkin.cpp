// The sample skin module: the records of its skins, handed out through the five entry points.
#include <windows.h>

#include "tests/skin/SkinIds.h"
#include "ui/SkinMode.h"

#define SKIN_ENTRY extern "C" __declspec(dllexport)

namespace {

const COLORREF Magenta = RGB(255, 0, 255);

SKIN_METRICS dialogSkin = {IDP_DIALOG, Magenta, RGB(0x20, 0x30, 0x50), 0, {40, 30, 160, 110}};
SKIN_METRICS wizardSkin = {IDP_WIZARD, Magenta, RGB(0x20, 0x28, 0x38), 0, {40, 64, 440, 284}};
SKIN_METRICS noPictureSkin = {IDP_MISSING, Magenta, 0, 0, {40, 30, 160, 110}};
SKIN_METRICS emptySkin = {IDP_EMPTY, Magenta, 0, 0, {}};

SKIN_AREA_METRICS dialogAreas[] = {
    {IDA_FIRST, 48, 44, 40, 24, IDP_AREA_NORMAL, IDP_AREA_HOVER, IDP_AREA_PRESSED, IDP_AREA_DISABLED, 0, 0},
    {IDA_SECOND, 112, 44, 40, 24, IDP_AREA_NORMAL, IDP_AREA_HOVER, IDP_AREA_PRESSED, IDP_AREA_DISABLED, 0, 0},
    {IDA_THIRD, 48, 76, 40, 24, IDP_AREA_NORMAL, IDP_AREA_HOVER, IDP_AREA_PRESSED, IDP_AREA_DISABLED, 0, 0},
    {},
};

// The wizard's buttons in its bottom bar; OK shares Next's place (a wizard shows one of them).
#define WIZARD_BUTTON(id, x, n) {id, x, 300, 84, 26, IDP_BUTTONS + 4 * (n), IDP_BUTTONS + 4 * (n) + 1, \
    IDP_BUTTONS + 4 * (n) + 2, IDP_BUTTONS + 4 * (n) + 3, 0, 0}
SKIN_AREA_METRICS wizardAreas[] = {
    WIZARD_BUTTON(IDW_BACK, 192, 0), WIZARD_BUTTON(IDW_NEXT, 284, 1), WIZARD_BUTTON(IDCANCEL, 376, 2),
    WIZARD_BUTTON(IDHELP, 20, 3), WIZARD_BUTTON(IDOK, 284, 4), {},
};

SKIN_WIZ_METRICS wizard = {{20, 72, 460, 280}, {24, 12, 456, 50}, RGB(0xFF, 0xFF, 0xFF), RGB(0xB8, 0xC4, 0xD4),
                           RGB(0xFF, 0xFF, 0xFF), CLR_NONE};
SKIN_MENU_METRICS menu = {RGB(0x20, 0x28, 0x38), RGB(0xEE, 0xF1, 0xF5), RGB(0xFF, 0xFF, 0xFF), RGB(0x2A, 0x8C, 0x9A), 0};
SKIN_ICON_BTN_METRICS imageButton = {16, 16, IDI_BUTTON_NORMAL, IDI_BUTTON_HOVER, 0, 0, 0, 3};

// Longer than any reader should go, and never ended.
SKIN_AREA_METRICS unended[300];

} // namespace

SKIN_ENTRY SKIN_METRICS* WINAPI DllGetSkinMetrics(SKIN_KIND kind)
{
    switch (kind) {
    case SAMPLE_KIND_DIALOG:
    case SAMPLE_KIND_UNENDED:
        return &dialogSkin;
    case SAMPLE_KIND_WIZARD:
        return &wizardSkin;
    case SAMPLE_KIND_NO_PICTURE:
        return &noPictureSkin;
    case SAMPLE_KIND_EMPTY:
        return &emptySkin;
    default:
        return nullptr;
    }
}

SKIN_ENTRY SKIN_AREA_METRICS* WINAPI DllGetSkinAreas(SKIN_KIND kind)
{
    if (kind == SAMPLE_KIND_UNENDED) {
        for (int i = 0; i < 300; ++i)
            unended[i] = {static_cast<UINT>(4000 + i), i % 20 * 10, i / 20 * 10, 8, 8, 0, 0, 0, 0, 0, 0};
        return unended;
    }
    return kind == SAMPLE_KIND_DIALOG ? dialogAreas : kind == SAMPLE_KIND_WIZARD ? wizardAreas : nullptr;
}

SKIN_ENTRY SKIN_WIZ_METRICS* WINAPI DllGetSkinWizMetrics()
{
    return &wizard;
}

SKIN_ENTRY SKIN_MENU_METRICS* WINAPI DllGetSkinMenuMetrics()
{
    return &menu;
}

SKIN_ENTRY SKIN_ICON_BTN_METRICS* WINAPI DllGetSkinIconBtnMetrics(SKIN_KIND kind)
{
    return kind == SAMPLE_KIND_WIZARD ? &imageButton : nullptr;
}
