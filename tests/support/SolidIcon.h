// An icon of one opaque colour, easy to find on a screenshot of the notification area.
#pragma once

#include <windows.h>

#include <vector>

namespace test {

// cx by cy pixels of colour (COLORREF), fully opaque; the caller destroys it (DestroyIcon).
inline HICON MakeSolidIcon(COLORREF colour, int cx = GetSystemMetrics(SM_CXSMICON),
                           int cy = GetSystemMetrics(SM_CYSMICON))
{
    const DWORD pixel = 0xFF000000u | (static_cast<DWORD>(GetRValue(colour)) << 16) |
                        (static_cast<DWORD>(GetGValue(colour)) << 8) | GetBValue(colour);
    std::vector<DWORD> colourBits(static_cast<size_t>(cx * cy), pixel);
    std::vector<BYTE> maskBits(static_cast<size_t>((cx + 15) / 16 * 2 * cy), 0);
    return CreateIcon(nullptr, cx, cy, 1, 32, maskBits.data(), reinterpret_cast<const BYTE*>(colourBits.data()));
}

} // namespace test
