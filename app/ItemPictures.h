// ItemPictures: the pictures of the icons the tray makes from the shell's pixels, side by side
// in one bitmap, so that a window of hundreds of icons paints with one blend per icon.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// DrawIconEx makes and deletes a device context for every icon it draws; a painter selects
// all pictures into one context once. A picture is a 16 x 16 slot of a top-down 32-bit
// bitmap with premultiplied alpha, drawn exactly as DrawIconEx draws an icon made from the
// same pixels. The bitmap exists only while a slot is taken.
class GLMBX_API ItemPictures {
public:
    enum { Size = 16 };

    ItemPictures() = default;
    ~ItemPictures();
    ItemPictures(const ItemPictures&) = delete;
    ItemPictures& operator=(const ItemPictures&) = delete;

    // Copies Size x Size top-down pixels with straight alpha (0xAARRGGBB) into a free slot;
    // -1 when no slot can be had (the caller then draws the icon itself).
    int Add(const DWORD* pixels);
    // Frees the slot; -1 is ignored.
    void Remove(int slot);
    int Count() const { return taken; }

    // Draws slots into one device context while it lives.
    class GLMBX_API Painter {
    public:
        Painter(const ItemPictures& pictures, HDC target);
        ~Painter();
        Painter(const Painter&) = delete;
        Painter& operator=(const Painter&) = delete;
        // False when the slot could not be drawn.
        bool Draw(int slot, int x, int y);

    private:
        const ItemPictures& pictures;
        HDC target;
        HDC memory = nullptr;
        HGDIOBJ old = nullptr;
    };

private:
    bool Grow();
    void Release();

    HBITMAP bitmap = nullptr;
    DWORD* bits = nullptr;
    int capacity = 0;
    int highWater = 0;         // slots ever handed out from the bitmap, taken or free
    int taken = 0;
    int* freeSlots = nullptr;  // capacity entries, the first freeCount in use
    int freeCount = 0;
};
