// BkgBitmapCache: the mirror window's background, made once for a size and the options.
#pragma once

#include <windows.h>

#include "sys/Api.h"

class MyOpts;
class iPicture;

// Owned by the tray application; the mirror window borrows the bitmap.
class GLMBX_API BkgBitmapCache {
public:
    BkgBitmapCache() = default;
    ~BkgBitmapCache() { Drop(); }
    BkgBitmapCache(const BkgBitmapCache&) = delete;
    BkgBitmapCache& operator=(const BkgBitmapCache&) = delete;

    // The bitmap for a client area of this size: the cached one when the size is the same,
    // else a new one drawn by the options (colour, gradient or the picture stretched).
    // Null when no bitmap could be made.
    HBITMAP Get(const MyOpts& opts, iPicture& picture, int width, int height);
    // Forgets the bitmap (the options changed); the next Get draws anew.
    void Drop();

    HBITMAP Bitmap() const { return bitmap; }

    // Channel c of the colour at step i of n, from c1 to c2.
    static int Blend(int c1, int c2, int i, int n) { return (c1 * (n - i) + c2 * i) / n; }

private:
    HBITMAP bitmap = nullptr;
    int width = -1;
    int height = -1;
};
