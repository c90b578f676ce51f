// BkgBitmapCache: colour, gradient and picture backgrounds of the mirror window.
#include "app/BkgBitmapCache.h"

#include "app/MyOpts.h"
#include "sys/iPicture.h"

namespace {

COLORREF BlendColor(COLORREF c1, COLORREF c2, int i, int n)
{
    return RGB(BkgBitmapCache::Blend(GetRValue(c1), GetRValue(c2), i, n),
               BkgBitmapCache::Blend(GetGValue(c1), GetGValue(c2), i, n),
               BkgBitmapCache::Blend(GetBValue(c1), GetBValue(c2), i, n));
}

// One-pixel lines, each in its own solid pen, from c1 at the first to (almost) c2 at the last.
void DrawGradient(HDC dc, int width, int height, COLORREF c1, COLORREF c2, bool leftToRight)
{
    int steps = leftToRight ? width : height;
    for (int i = 0; i < steps; ++i) {
        HPEN pen = CreatePen(PS_SOLID, 1, BlendColor(c1, c2, i, steps));
        if (!pen)
            continue;
        HGDIOBJ old = SelectObject(dc, pen);
        if (leftToRight) {
            MoveToEx(dc, i, 0, nullptr);
            LineTo(dc, i, height);
        } else {
            MoveToEx(dc, 0, i, nullptr);
            LineTo(dc, width, i);
        }
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

} // namespace

void BkgBitmapCache::Drop()
{
    if (bitmap)
        DeleteObject(bitmap);
    bitmap = nullptr;
    width = height = -1;
}

HBITMAP BkgBitmapCache::Get(const MyOpts& opts, iPicture& picture, int w, int h)
{
    if (bitmap && (w != width || h != height))
        Drop();
    if (bitmap)
        return bitmap;
    if (w <= 0 || h <= 0)
        return nullptr;

    HDC screen = GetDC(nullptr);
    bitmap = CreateCompatibleBitmap(screen, w, h);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!bitmap || !memory) {
        if (memory)
            DeleteDC(memory);
        Drop();
        return nullptr;
    }
    width = w;
    height = h;
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (opts.bkgType == MyOpts::BkgPictureType) {
        if (picture.Load(opts.imagePath))
            picture.Render(memory, w, h);
    } else if (opts.bkgType == MyOpts::BkgColorType) {
        if (opts.gradientType == MyOpts::GradientNone) {
            HBRUSH brush = CreateSolidBrush(opts.bkgColor);
            RECT all = {0, 0, w, h};
            if (brush) {
                FillRect(memory, &all, brush);
                DeleteObject(brush);
            }
        } else {
            DrawGradient(memory, w, h, opts.bkgColor, opts.bkgGradient,
                         opts.gradientType == MyOpts::GradientHorizontal);
        }
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}
