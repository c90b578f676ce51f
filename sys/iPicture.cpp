// iPicture: loading through OleLoadPicture, sizes, best fit, rendering and the preview.
#include "sys/iPicture.h"

#include <cwchar>

#include "sys/CSFile.h"
#include "sys/CSStreams.h"

extern "C" HINSTANCE hiDLL;

namespace {

const long HimetricPerInch = 2540;

// Resolves the library's signed resource numbers: negative names one of this module's own.
void ResolveResource(int& id, HINSTANCE& module)
{
    if (id != 0 && !module)
        module = id < 1 ? hiDLL : GetModuleHandleW(nullptr);
    if (id < 0)
        id = -id;
}

// Owner of a device context obtained for a window (or the screen).
class WindowDC {
public:
    explicit WindowDC(HWND h) : hwnd(h), dc(GetDC(h)) {}
    ~WindowDC()
    {
        if (dc)
            ReleaseDC(hwnd, dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc; }

private:
    HWND hwnd;
    HDC dc;
};

} // namespace

const void* LoadFileResource(int id, HINSTANCE module, unsigned long* size)
{
    if (size)
        *size = 0;
    ResolveResource(id, module);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data && size)
        *size = SizeofResource(module, found);
    return data;
}

void iPicture::Release()
{
    if (picture)
        picture->Release();
    picture = nullptr;
}

bool iPicture::Load(IStream* stream)
{
    Release();
    if (!stream)
        return false;
    void* object = nullptr;
    if (FAILED(OleLoadPicture(stream, 0, FALSE, IID_IPicture, &object)) || !object)
        return false;
    picture = static_cast<IPicture*>(object);
    return true;
}

bool iPicture::Load(CSMemStream& stream)
{
    return Load(static_cast<IStream*>(&stream));
}

bool iPicture::Load(CSFileStream& stream)
{
    return Load(static_cast<IStream*>(&stream));
}

bool iPicture::Load(CSFile& file)
{
    CSFileStream stream(&file);
    return Load(stream);
}

bool iPicture::Load(const wchar_t* path)
{
    if (!path || !*path) {
        Release();
        return false;
    }
    CSFile file(path, 0);
    if (!file.IsReady()) {
        Release();
        return false;
    }
    return Load(file);
}

bool iPicture::Load(int id, HINSTANCE module)
{
    unsigned long size = 0;
    const void* data = LoadFileResource(id, module, &size);
    if (!data || !size) {
        Release();
        return false;
    }
    // The stream never writes, so the resource's read-only bytes are safe behind it.
    CSMemStream stream(const_cast<void*>(data), size);
    return Load(stream);
}

bool iPicture::GetHIMETRICSize(long& cx, long& cy)
{
    cx = cy = 0;
    if (!picture)
        return false;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (FAILED(picture->get_Width(&width)) || FAILED(picture->get_Height(&height)))
        return false;
    cx = width;
    cy = height;
    return true;
}

SIZE iPicture::GetImageSize(HDC dc)
{
    SIZE size = {0, 0};
    long cx = 0, cy = 0;
    if (!GetHIMETRICSize(cx, cy))
        return size;
    WindowDC screen(nullptr);
    HDC use = dc ? dc : screen.Get();
    size.cx = MulDiv(cx, GetDeviceCaps(use, LOGPIXELSX), HimetricPerInch);
    size.cy = MulDiv(cy, GetDeviceCaps(use, LOGPIXELSY), HimetricPerInch);
    return size;
}

bool iPicture::GetBestFitRect(HWND hwnd, RECT& r, int rotation, HDC dc, int stretch)
{
    if (!picture)
        return false;
    WindowDC windowDC(hwnd);
    SIZE size = GetImageSize(dc ? dc : windowDC.Get());
    long pw = size.cx < 0 ? -size.cx : size.cx, ph = size.cy < 0 ? -size.cy : size.cy;
    if (rotation == 1 || rotation == 3) {
        long t = pw;
        pw = ph;
        ph = t;
    }
    if (r.right - r.left == 0 || r.bottom - r.top == 0)
        GetClientRect(hwnd, &r);
    long rw = r.right - r.left, rh = r.bottom - r.top;
    if (pw <= 0 || ph <= 0 || rw <= 0 || rh <= 0)
        return true;
    if (pw <= rw && ph <= rh && !stretch) {
        InflateRect(&r, -static_cast<int>((rw - pw) / 2), -static_cast<int>((rh - ph) / 2));
        r.right = r.left + pw;
        r.bottom = r.top + ph;
        return true;
    }
    if (rh >= MulDiv(rw, ph, pw)) {
        long height = MulDiv(rw, ph, pw);
        r.top += (rh - height) / 2;
        r.bottom = r.top + height;
    } else {
        long width = MulDiv(rh, pw, ph);
        r.left += (rw - width) / 2;
        r.right = r.left + width;
    }
    return true;
}

bool iPicture::Render(HDC dc, RECT dst, const RECT* bounds)
{
    long cx = 0, cy = 0;
    if (!dc || !GetHIMETRICSize(cx, cy))
        return false;
    if (IsRectEmpty(&dst)) {
        SIZE size = GetImageSize(dc);
        dst.right = dst.left + size.cx;
        dst.bottom = dst.top + size.cy;
    }
    // Pictures measure from their bottom edge: render upside down from there.
    HRESULT hr = picture->Render(dc, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, 0, cy, cx, -cy,
                                 bounds);
    return SUCCEEDED(hr);
}

bool iPicture::Render(HDC dc, int cx, int cy)
{
    RECT dst = {0, 0, cx, cy};
    return Render(dc, dst, nullptr);
}

bool iPicture::Blast(HWND hwnd, const wchar_t* path, int rotation, int stretch, HDC dc, const wchar_t* caption,
                     const wchar_t* title, int showError)
{
    HWND target = hwnd ? hwnd : GetDesktopWindow();
    WindowDC windowDC(target);
    HDC use = dc ? dc : windowDC.Get();
    if (!use)
        return false;
    RECT client = {};
    GetClientRect(target, &client);
    bool loaded = Load(path);
    if (!loaded && !showError)
        return false;
    FillRect(use, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    int oldMode = SetBkMode(use, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(use, GetStockObject(DEFAULT_GUI_FONT));
    if (!loaded) {
        SetTextColor(use, RGB(255, 255, 255));
        const wchar_t error[] = L"Error loading the image.";
        TextOutW(use, 10, 10, error, static_cast<int>(wcslen(error)));
    } else {
        SIZE titleSize = {0, 0};
        if (title && *title)
            GetTextExtentPoint32W(use, title, static_cast<int>(wcslen(title)), &titleSize);
        RECT fit = client;
        GetBestFitRect(target, fit, rotation, use, stretch);
        if (title && *title && fit.bottom + 2 + titleSize.cy > client.bottom) {
            fit = client;
            fit.bottom -= titleSize.cy + 2;
            GetBestFitRect(target, fit, rotation, use, stretch);
        }
        Render(use, fit, nullptr);
        if (title && *title) {
            SetTextColor(use, RGB(255, 255, 255));
            RECT line = {client.left, fit.bottom + 2, client.right, fit.bottom + 2 + titleSize.cy};
            DrawTextW(use, title, -1, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        if (caption && *caption) {
            SIZE captionSize = {0, 0};
            GetTextExtentPoint32W(use, caption, static_cast<int>(wcslen(caption)), &captionSize);
            int above = captionSize.cy > 0 ? captionSize.cy + 2 : 20;
            SetTextColor(use, RGB(0x7F, 0x7F, 0x7F));
            RECT line = {client.left, fit.bottom - above, client.right, fit.bottom};
            DrawTextW(use, caption, -1, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    SelectObject(use, oldFont);
    SetBkMode(use, oldMode);
    return loaded;
}
