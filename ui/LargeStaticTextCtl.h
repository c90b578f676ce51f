// LargeStaticTextCtl: an enlarged bold font for a dialog's static title.
#pragma once

#include <windows.h>

#include "sys/Api.h"

class GLMBX_API LargeStaticTextCtl {
public:
    LargeStaticTextCtl(int factor = 2, int increase = 2, LONG weight = 700, const wchar_t* face = L"Verdana");
    ~LargeStaticTextCtl();
    LargeStaticTextCtl(const LargeStaticTextCtl&) = delete;
    LargeStaticTextCtl& operator=(const LargeStaticTextCtl&) = delete;

    // The stock variable font, its height times factor and grown by increase, in the weight
    // (400 keeps the stock weight) and face given; false when no font could be made.
    BOOL Setup(int factor, int increase, LONG weight, const wchar_t* face);
    // Gives the font to the dialog's control and redraws it.
    void Init(HWND dlg, UINT id);
    HFONT GetFont() const { return font; }

private:
    HFONT font;
    int sizeFactor;
    int sizeIncrease;
    LONG fontWeight;
    const wchar_t* faceName;
};
