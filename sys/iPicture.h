// iPicture: owner of an OLE picture (JPEG, BMP, GIF, icons, metafiles) loaded from a stream,
// a file or a resource, with sizing, best-fit placement and rendering.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "sys/Api.h"

class CSFile;
class CSFileStream;
class CSMemStream;

// The bytes of a resource of type RCDATA (a file kept in a module); null when there is none.
// Signed numbers: negative for this library's resources, positive for the application's.
GLMBX_API const void* LoadFileResource(int id, HINSTANCE module, unsigned long* size);

class GLMBX_API iPicture {
public:
    iPicture() : picture(nullptr) {}
    ~iPicture() { Release(); }
    iPicture(const iPicture&) = delete;
    iPicture& operator=(const iPicture&) = delete;

    bool IsReady() const { return picture != nullptr; }
    operator IPicture*() const { return picture; }
    void Release();

    // Each releases the current picture first; true when a picture was obtained.
    bool Load(IStream* stream);
    bool Load(CSMemStream& stream);
    bool Load(CSFileStream& stream);
    bool Load(CSFile& file);
    bool Load(const wchar_t* path);
    bool Load(int id, HINSTANCE module);

    // The size in 0.01 mm; false without a picture.
    bool GetHIMETRICSize(long& cx, long& cy);
    // The size in pixels on the device (the screen when dc is null).
    SIZE GetImageSize(HDC dc);
    // Where the picture goes in r (the window's client area when r is empty): centred when it
    // fits and stretch is 0, else scaled to fit keeping its proportions. Rotations 1 and 3
    // (quarter turns) swap the picture's sides. False without a picture.
    bool GetBestFitRect(HWND hwnd, RECT& r, int rotation, HDC dc, int stretch);
    // Draws into dst (the picture's own pixel size at dst's corner when dst is empty).
    bool Render(HDC dc, RECT dst, const RECT* bounds);
    bool Render(HDC dc, int cx, int cy);
    // Paints a preview of a picture file into a window (the desktop when null): black, the
    // picture fitted, its title below and the caption near the bottom.
    bool Blast(HWND hwnd, const wchar_t* path, int rotation, int stretch, HDC dc, const wchar_t* caption,
               const wchar_t* title, int showError);

private:
    IPicture* picture;
};
