// LargeStaticTextCtl: the enlarged font and its hand-over to a control.
#include "ui/LargeStaticTextCtl.h"

#include <cwchar>

LargeStaticTextCtl::LargeStaticTextCtl(int factor, int increase, LONG weight, const wchar_t* face)
    : font(nullptr), sizeFactor(factor), sizeIncrease(increase), fontWeight(weight), faceName(face)
{
    Setup(factor, increase, weight, face);
}

LargeStaticTextCtl::~LargeStaticTextCtl()
{
    if (font)
        DeleteObject(font);
}

BOOL LargeStaticTextCtl::Setup(int factor, int increase, LONG weight, const wchar_t* face)
{
    sizeFactor = factor;
    sizeIncrease = increase;
    fontWeight = weight;
    faceName = face;
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(ANSI_VAR_FONT), sizeof(lf), &lf);
    wchar_t stockFace[LF_FACESIZE];
    wcsncpy(stockFace, lf.lfFaceName, LF_FACESIZE);
    if (weight != FW_NORMAL)
        lf.lfWeight = weight;
    lf.lfQuality = ANTIALIASED_QUALITY;
    if (factor != 1)
        lf.lfHeight *= factor;
    lf.lfHeight += lf.lfHeight < 0 ? -increase : increase;
    if (face && *face) {
        wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        lf.lfFaceName[LF_FACESIZE - 1] = 0;
    }
    if (font)
        DeleteObject(font);
    font = CreateFontIndirectW(&lf);
    if (!font) {
        // A face the system does not have: the stock font's own face.
        wcsncpy(lf.lfFaceName, stockFace, LF_FACESIZE);
        font = CreateFontIndirectW(&lf);
    }
    return font != nullptr;
}

void LargeStaticTextCtl::Init(HWND dlg, UINT id)
{
    HWND control = GetDlgItem(dlg, static_cast<int>(id));
    if (control && font)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}
