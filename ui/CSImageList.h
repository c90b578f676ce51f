// CSImageList: an image list filled from bitmap strips or icons; CSIcon: one loaded icon.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "sys/Api.h"

// Resource numbers here: a negative number (or a null instance) means this library's own.
class GLMBX_API CSImageList {
public:
    CSImageList() : bitmapWidth(-1), bitmapHeight(-1), list(nullptr) {}
    ~CSImageList() { Destroy(); }
    CSImageList(const CSImageList&) = delete;
    CSImageList& operator=(const CSImageList&) = delete;

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    void Destroy();
    void Attach(HIMAGELIST h);
    HIMAGELIST Detach();
    BOOL IsReady() const { return list != nullptr; }
    operator HIMAGELIST() const { return list; }

    // Indices of the first image added; -1 on failure.
    int AddMasked(HBITMAP bitmap, COLORREF mask);
    int AddIcon(HICON icon);
    int AddIcon(int id, HINSTANCE instance);
    // The strip split into images of the list's width; its size is remembered.
    int AddFromBitmap(int id, HINSTANCE instance, COLORREF mask);
    // A 32-bit masked list made from the strip; -1 when either step fails.
    int CreateFromBitmap(int cx, int cy, int initial, int grow, int bmpId, HINSTANCE instance, COLORREF mask);
    // Index -1 appends.
    int ReplaceIcon(int index, HICON icon);
    int ReplaceIcon(int index, int iconId, HINSTANCE instance);
    BOOL SetIconSize(int cx, int cy);
    // Width in the low word, height in the high word.
    DWORD GetIconSize();
    BOOL Draw(int index, HDC dc, int x, int y, UINT style);

    int BitmapWidth() const { return bitmapWidth; }
    int BitmapHeight() const { return bitmapHeight; }

    static void ResolveResource(int& id, HINSTANCE& instance);

private:
    int bitmapWidth;
    int bitmapHeight;
    HIMAGELIST list;
};

class GLMBX_API CSIcon {
public:
    CSIcon() : icon(nullptr) {}
    ~CSIcon() { Destroy(); }
    CSIcon(const CSIcon&) = delete;
    CSIcon& operator=(const CSIcon&) = delete;

    // The system's small or normal icon size with systemSize, else 16 or 32 pixels. A
    // non-negative number is a resource of the application, a negative one of this library.
    BOOL Load(int id, BOOL small, BOOL systemSize);
    void Destroy();
    BOOL IsReady() const { return icon != nullptr; }
    operator HICON() const { return icon; }

private:
    HICON icon;
};
