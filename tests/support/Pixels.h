// Pixels for drawing tests: what a window or the screen shows, and an icon drawn the way an image list draws it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "tests/support/TestSupport.h"

namespace test {

// The client area of a window as it shows after its pending painting, read from its DC.
class Shot {
public:
    explicit Shot(HWND h)
    {
        UpdateWindow(h);
        RECT rc = {};
        GetClientRect(h, &rc);
        width = rc.right;
        height = rc.bottom;
        HDC dc = GetDC(h);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                pixels.push_back(GetPixel(dc, x, y));
        }
        ReleaseDC(h, dc);
    }
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    // The longest horizontal run of exactly this colour; 0 when it does not show.
    int LongestRun(COLORREF colour) const
    {
        int best = 0;
        for (int y = 0; y < height; ++y) {
            int run = 0;
            for (int x = 0; x < width; ++x) {
                run = At(x, y) == colour ? run + 1 : 0;
                best = run > best ? run : best;
            }
        }
        return best;
    }
    // The size-by-size square at (x0, y0), row by row.
    std::vector<COLORREF> Block(int x0, int y0, int size) const
    {
        std::vector<COLORREF> block;
        for (int y = y0; y < y0 + size; ++y) {
            for (int x = x0; x < x0 + size; ++x)
                block.push_back(At(x, y));
        }
        return block;
    }

    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
};

// The format every pixel check reads in: 32 bits, top row first.
inline BITMAPINFO TopDown32(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return info;
}

// The screen's pixels inside rc, top row first; empty when they cannot be read.
inline std::vector<COLORREF> ScreenPixels(const RECT& rc)
{
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    std::vector<COLORREF> pixels;
    if (width <= 0 || height <= 0)
        return pixels;
    BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY)) {
            GdiFlush();
            const DWORD* p = static_cast<const DWORD*>(bits);
            for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i)
                pixels.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Icon id of module (the library when none) at size by size, drawn transparently by an image list of its own onto the
// button face: what a button that draws it through an image list must show.
inline std::vector<COLORREF> IconAsDrawn(int id, int size, HMODULE module = Library())
{
    HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 0);
    ImageList_AddIcon(list, icon);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all = {0, 0, size, size};
    FillRect(memory, &all, GetSysColorBrush(COLOR_BTNFACE));
    ImageList_Draw(list, 0, memory, 0, 0, ILD_TRANSPARENT);
    std::vector<COLORREF> block;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            block.push_back(GetPixel(memory, x, y));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    ImageList_Destroy(list);
    DestroyIcon(icon);
    return block;
}

} // namespace test
