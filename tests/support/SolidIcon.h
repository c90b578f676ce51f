// An icon of one opaque colour, easy to find on a screenshot of the notification area.
#pragma once

#include <windows.h>

#include <vector>

namespace test {

// cx by cy pixels of colour (COLORREF), fully opaque; the caller destroys it (DestroyIcon).
inline HICON MakeSolidIcon(COLORREF colour, int cx = GetSystemMetrics(SM_CXSMICON),
                           int cy = GetSystemMetrics(SM_CYSMICON))
{
    BITMAPV5HEADER header = {};
    header.bV5Size = sizeof(header);
    header.bV5Width = cx;
    header.bV5Height = -cy;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colourBitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                            nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!colourBitmap)
        return nullptr;
    DWORD pixel = 0xFF000000u | (static_cast<DWORD>(GetRValue(colour)) << 16) |
                  (static_cast<DWORD>(GetGValue(colour)) << 8) | GetBValue(colour);
    DWORD* p = static_cast<DWORD*>(bits);
    for (int i = 0; i < cx * cy; ++i)
        p[i] = pixel;
    std::vector<BYTE> maskBits(static_cast<size_t>((cx + 15) / 16 * 2 * cy), 0);
    HBITMAP mask = CreateBitmap(cx, cy, 1, 1, maskBits.data());
    ICONINFO info = {};
    info.fIcon = TRUE;
    info.hbmColor = colourBitmap;
    info.hbmMask = mask;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colourBitmap);
    DeleteObject(mask);
    return icon;
}

} // namespace test
