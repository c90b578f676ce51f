// COLORRGB: a COLORREF seen as its red, green and blue bytes, with lightness and simple shading.
#pragma once

#include <windows.h>

#include "sys/Api.h"

struct GLMBX_API COLORRGB {
    union {
        COLORREF color;
        struct {
            BYTE red;  // low byte, as in RGB()
            BYTE green;
            BYTE blue;
            BYTE unused;
        };
    };

    COLORRGB(COLORREF c = 0) : color(c) {}
    operator COLORREF() const { return color; }

    // Lightness on the 0..240 scale of the system colour dialog.
    int GetLuminosity() const;
    // Fills the rectangle with a solid brush of the colour; nonzero on success.
    int PaintRect(HDC hdc, int x, int y, int cx, int cy) const;
    // Halves each component.
    void MakeDark();
    // Doubles each component; a component above 127 becomes 255.
    void MakeBright();
};
