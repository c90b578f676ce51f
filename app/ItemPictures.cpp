// ItemPictures: the shared picture bitmap, its slots and the painter.
#include "app/ItemPictures.h"

#include <cstring>
#include <new>

namespace {

const int PixelsPerSlot = ItemPictures::Size * ItemPictures::Size;
const int FirstCapacity = 64;
const int MaxSlots = 0x10000;

HBITMAP CreatePictureBitmap(int slots, DWORD** bits)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = ItemPictures::Size;
    bmi.bmiHeader.biHeight = -ItemPictures::Size * slots;  // top-down: slot n starts at row 16 n
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &memory, nullptr, 0);
    if (bitmap && !memory) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    *bits = static_cast<DWORD*>(memory);
    return bitmap;
}

} // namespace

ItemPictures::~ItemPictures()
{
    Release();
}

void ItemPictures::Release()
{
    if (bitmap)
        DeleteObject(bitmap);
    bitmap = nullptr;
    bits = nullptr;
    delete[] freeSlots;
    freeSlots = nullptr;
    capacity = highWater = taken = freeCount = 0;
}

bool ItemPictures::Grow()
{
    // A desktop holds far fewer items; beyond this the bitmap would only grow into failure.
    if (capacity >= MaxSlots)
        return false;
    int larger = capacity ? capacity * 2 : FirstCapacity;
    int* largerFree = new (std::nothrow) int[static_cast<size_t>(larger)];
    DWORD* largerBits = nullptr;
    HBITMAP grown = largerFree ? CreatePictureBitmap(larger, &largerBits) : nullptr;
    if (!grown) {
        delete[] largerFree;
        return false;
    }
    if (bitmap) {
        GdiFlush();
        std::memcpy(largerBits, bits, sizeof(DWORD) * PixelsPerSlot * static_cast<size_t>(highWater));
        DeleteObject(bitmap);
    }
    if (freeCount)
        std::memcpy(largerFree, freeSlots, sizeof(int) * static_cast<size_t>(freeCount));
    delete[] freeSlots;
    freeSlots = largerFree;
    bitmap = grown;
    bits = largerBits;
    capacity = larger;
    return true;
}

int ItemPictures::Add(const DWORD* pixels)
{
    if (!pixels)
        return -1;
    // Pixels without any alpha make an icon that is drawn through its mask: not a blend.
    bool hasAlpha = false;
    for (int i = 0; i < PixelsPerSlot && !hasAlpha; ++i)
        hasAlpha = (pixels[i] >> 24) != 0;
    if (!hasAlpha)
        return -1;
    int slot;
    if (freeCount) {
        slot = freeSlots[--freeCount];
    } else {
        if (highWater == capacity && !Grow())
            return -1;
        slot = highWater++;
    }
    GdiFlush();
    DWORD* out = bits + static_cast<size_t>(slot) * PixelsPerSlot;
    for (int i = 0; i < PixelsPerSlot; ++i) {
        // The blend takes colours already scaled by their alpha, rounded as an icon's are.
        DWORD px = pixels[i], alpha = px >> 24;
        DWORD r = (((px >> 16) & 0xFF) * alpha + 127) / 255, g = (((px >> 8) & 0xFF) * alpha + 127) / 255,
              b = ((px & 0xFF) * alpha + 127) / 255;
        out[i] = (alpha << 24) | (r << 16) | (g << 8) | b;
    }
    ++taken;
    return slot;
}

void ItemPictures::Remove(int slot)
{
    if (slot < 0 || slot >= highWater || !bitmap || taken <= 0 || freeCount >= capacity)
        return;
    --taken;
    if (!taken) {
        Release();
        return;
    }
    freeSlots[freeCount++] = slot;
}

ItemPictures::Painter::Painter(const ItemPictures& owner, HDC dc) : pictures(owner), target(dc) {}

ItemPictures::Painter::~Painter()
{
    if (memory) {
        SelectObject(memory, old);
        DeleteDC(memory);
    }
}

bool ItemPictures::Painter::Draw(int slot, int x, int y)
{
    if (slot < 0 || slot >= pictures.highWater || !pictures.bitmap || !target)
        return false;
    if (!memory) {
        memory = CreateCompatibleDC(target);
        if (!memory)
            return false;
        old = SelectObject(memory, pictures.bitmap);
    }
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return GdiAlphaBlend(target, x, y, Size, Size, memory, 0, slot * Size, Size, Size, blend) != FALSE;
}
