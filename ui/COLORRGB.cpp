// COLORRGB: lightness, filling and shading of one colour.
#include "ui/COLORRGB.h"

#include <algorithm>

int COLORRGB::GetLuminosity() const
{
    int high = std::max({red, green, blue});
    int low = std::min({red, green, blue});
    return ((high + low) * 240 + 255) / 510;
}

int COLORRGB::PaintRect(HDC hdc, int x, int y, int cx, int cy) const
{
    if (!hdc)
        return 0;
    HBRUSH brush = CreateSolidBrush(color);
    if (!brush)
        return 0;
    RECT rect = {x, y, x + cx, y + cy};
    int done = FillRect(hdc, &rect, brush);
    DeleteObject(brush);
    return done;
}

void COLORRGB::MakeDark()
{
    red = static_cast<BYTE>(red >> 1);
    green = static_cast<BYTE>(green >> 1);
    blue = static_cast<BYTE>(blue >> 1);
}

void COLORRGB::MakeBright()
{
    auto twice = [](BYTE c) { return static_cast<BYTE>(c > 127 ? 255 : c * 2); };
    red = twice(red);
    green = twice(green);
    blue = twice(blue);
}
