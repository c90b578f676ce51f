// ShellItemIcons: rendering item pictures into the shared pixel section, and the icon cache.
#include "app/ShellItemIcons.h"

#include <cstring>
#include <new>

#include "app/SharedData.h"

namespace {

const int PixelCount = ItemIconSize * ItemIconSize;

} // namespace

BITMAPINFO IconPixelFormat()
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = ItemIconSize;
    bmi.bmiHeader.biHeight = -ItemIconSize;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    return bmi;
}

namespace {

// Owners of the GDI objects used for one rendering.
struct MemDC {
    HDC dc;
    MemDC() : dc(CreateCompatibleDC(nullptr)) {}
    ~MemDC() { if (dc) DeleteDC(dc); }
    MemDC(const MemDC&) = delete;
    MemDC& operator=(const MemDC&) = delete;
};

struct GdiBitmap {
    HBITMAP bm;
    explicit GdiBitmap(HBITMAP b) : bm(b) {}
    ~GdiBitmap() { if (bm) DeleteObject(bm); }
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;
};

// Copies a part of a bitmap, scaled to 16 x 16, into top-down 32-bit pixels.
bool ReadPixels(HBITMAP source, int srcY, int srcW, int srcH, DWORD* pixels)
{
    BITMAPINFO bmi = IconPixelFormat();
    void* bits = nullptr;
    GdiBitmap target(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemDC src, dst;
    if (!target.bm || !bits || !src.dc || !dst.dc)
        return false;
    HGDIOBJ oldSrc = SelectObject(src.dc, source);
    HGDIOBJ oldDst = SelectObject(dst.dc, target.bm);
    SetStretchBltMode(dst.dc, COLORONCOLOR);
    BOOL ok = StretchBlt(dst.dc, 0, 0, ItemIconSize, ItemIconSize, src.dc, 0, srcY, srcW, srcH, SRCCOPY);
    GdiFlush();
    SelectObject(src.dc, oldSrc);
    SelectObject(dst.dc, oldDst);
    if (ok)
        std::memcpy(pixels, bits, sizeof(DWORD) * PixelCount);
    return ok != FALSE;
}

// A signature of the picture as the image list keeps it, read from the list's own pixels when
// it keeps them in a 32-bit DIB section (as the common controls do); false otherwise.
bool PictureSignature(HIMAGELIST images, int image, UINT overlayState, unsigned long long& signature)
{
    IMAGEINFO info = {};
    DIBSECTION dib = {};
    if (!ImageList_GetImageInfo(images, image, &info) || !info.hbmImage ||
        GetObjectW(info.hbmImage, sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits ||
        dib.dsBm.bmBitsPixel != 32)
        return false;
    RECT rc = info.rcImage;
    if (rc.left < 0 || rc.top < 0 || rc.right > dib.dsBm.bmWidth || rc.bottom > dib.dsBm.bmHeight ||
        rc.left >= rc.right || rc.top >= rc.bottom)
        return false;
    GdiFlush();
    const bool bottomUp = dib.dsBmih.biHeight > 0;
    const BYTE* bits = static_cast<const BYTE*>(dib.dsBm.bmBits);
    unsigned long long hash = 1469598103934665603ull;
    auto mix = [&hash](unsigned long long value) {
        hash ^= value;
        hash *= 1099511628211ull;
    };
    mix(reinterpret_cast<UINT_PTR>(images));
    mix(static_cast<unsigned>(image));
    mix(overlayState & LVIS_OVERLAYMASK);
    for (LONG y = rc.top; y < rc.bottom; ++y) {
        LONG row = bottomUp ? dib.dsBm.bmHeight - 1 - y : y;
        const DWORD* px = reinterpret_cast<const DWORD*>(bits + row * dib.dsBm.bmWidthBytes) + rc.left;
        for (LONG x = 0; x < rc.right - rc.left; ++x)
            mix(px[x]);
    }
    signature = hash;
    return true;
}

} // namespace

unsigned long long HashIconPixels()
{
    unsigned long long hash = 1469598103934665603ull;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(g_sicon.color);
    for (size_t i = 0; i < sizeof(g_sicon.color) + sizeof(g_sicon.mask); ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

bool RenderIconPixels(HICON icon)
{
    g_sicon.valid = 0;
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return false;
    GdiBitmap mask(info.hbmMask), color(info.hbmColor);
    BITMAP bm = {};
    if (!mask.bm || !GetObjectW(mask.bm, sizeof(bm), &bm))
        return false;
    // A monochrome icon keeps its AND mask above its XOR image in one bitmap.
    int w = bm.bmWidth, h = color.bm ? bm.bmHeight : bm.bmHeight / 2;
    if (w <= 0 || h <= 0)
        return false;
    if (!ReadPixels(mask.bm, 0, w, h, g_sicon.mask) ||
        !ReadPixels(color.bm ? color.bm : mask.bm, color.bm ? 0 : h, w, h, g_sicon.color))
        return false;
    bool hasAlpha = false;
    for (DWORD px : g_sicon.color)
        hasAlpha = hasAlpha || (px & 0xFF000000u) != 0;
    for (int i = 0; i < PixelCount; ++i) {
        g_sicon.mask[i] &= 0x00FFFFFFu;
        if (!hasAlpha)
            g_sicon.color[i] = (g_sicon.color[i] & 0x00FFFFFFu) | (g_sicon.mask[i] ? 0u : 0xFF000000u);
    }
    g_sicon.pixelHash = HashIconPixels();
    g_sicon.valid = 1;
    return true;
}

ShellItemIcons::~ShellItemIcons()
{
    for (Cached& entry : cache)
        Forget(entry);
    if (canvasDC) {
        SelectObject(canvasDC, canvasOld);
        DeleteDC(canvasDC);
    }
    for (HBITMAP bm : canvas) {
        if (bm)
            DeleteObject(bm);
    }
}

void ShellItemIcons::Forget(Cached& entry)
{
    if (entry.icon && DestroyIcon(entry.icon))
        --alive;
    entry.icon = nullptr;
    entry.signature = 0;
    entry.pixels.reset();
}

bool ShellItemIcons::EnsureCanvas()
{
    if (canvasDC)
        return true;
    BITMAPINFO bmi = IconPixelFormat();
    for (int i = 0; i < 2; ++i) {
        void* bits = nullptr;
        canvas[i] = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        canvasBits[i] = static_cast<DWORD*>(bits);
        if (!canvas[i] || !bits)
            return false;
    }
    canvasDC = CreateCompatibleDC(nullptr);
    if (!canvasDC)
        return false;
    canvasOld = SelectObject(canvasDC, canvas[0]);
    return true;
}

bool ShellItemIcons::RenderFromList(HIMAGELIST images, int image, UINT overlayState)
{
    g_sicon.valid = 0;
    int cx = 0, cy = 0;
    if (!ImageList_GetIconSize(images, &cx, &cy) || cx != ItemIconSize || cy != ItemIconSize || !EnsureCanvas())
        return false;
    // The picture over black and over white: where they differ, the background shows through.
    const DWORD background[2] = {BLACKNESS, WHITENESS};
    for (int i = 0; i < 2; ++i) {
        SelectObject(canvasDC, canvas[i]);
        PatBlt(canvasDC, 0, 0, ItemIconSize, ItemIconSize, background[i]);
        if (!ImageList_Draw(images, image, canvasDC, 0, 0, ILD_TRANSPARENT | (overlayState & LVIS_OVERLAYMASK)))
            return false;
    }
    GdiFlush();
    for (int i = 0; i < PixelCount; ++i) {
        DWORD black = canvasBits[0][i], white = canvasBits[1][i];
        int shown = 255 - (static_cast<int>(GetGValue(white)) - static_cast<int>(GetGValue(black)));
        DWORD alpha = static_cast<DWORD>(shown < 0 ? 0 : shown > 255 ? 255 : shown);
        DWORD rgb = 0;
        if (alpha == 255) {
            rgb = black & 0x00FFFFFFu;
        } else if (alpha) {
            // Over black the channels were scaled by alpha: undo it.
            DWORD r = ((black >> 16) & 0xFF) * 255 / alpha, g = ((black >> 8) & 0xFF) * 255 / alpha,
                  b = (black & 0xFF) * 255 / alpha;
            rgb = ((r > 255 ? 255 : r) << 16) | ((g > 255 ? 255 : g) << 8) | (b > 255 ? 255 : b);
        }
        g_sicon.color[i] = (alpha << 24) | rgb;
        g_sicon.mask[i] = alpha ? 0 : 0x00FFFFFFu;
    }
    g_sicon.pixelHash = HashIconPixels();
    g_sicon.valid = 1;
    return true;
}

HICON ShellItemIcons::Get(HIMAGELIST images, int item, int image, UINT overlayState)
{
    g_sicon.valid = 0;
    if (!images || item < 0)
        return nullptr;
    if (static_cast<size_t>(item) >= cache.size())
        cache.resize(static_cast<size_t>(item) + 1);
    Cached& entry = cache[static_cast<size_t>(item)];

    unsigned long long signature = 0;
    bool known = PictureSignature(images, image, overlayState, signature);
    if (known && entry.icon && entry.pixels && entry.signature == signature) {
        std::memcpy(&g_sicon, entry.pixels.get(), sizeof(g_sicon));
        return entry.icon;
    }
    Forget(entry);
    HICON icon = ImageList_GetIcon(images, image, ILD_TRANSPARENT | (overlayState & LVIS_OVERLAYMASK));
    // Pictures of another size than 16 x 16 go through the icon, scaled.
    if (!RenderFromList(images, image, overlayState))
        RenderIconPixels(icon);
    entry.icon = icon;
    if (icon)
        ++alive;
    if (known && icon && g_sicon.valid) {
        entry.signature = signature;
        entry.pixels.reset(new (std::nothrow) SharedIconPixels(g_sicon));
    }
    return icon;
}
