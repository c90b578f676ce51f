// Skin mode: loading and forgetting the skin module, its entry points, and its pictures as bitmaps.
#include "ui/SkinMode.h"

#include "sys/iPicture.h"
#include "ui/CSDC.h"

namespace {

// A picture larger than this on a side is a damaged resource, not a dialog.
const long MaxPictureSide = 8192;

struct SkinModule {
    HINSTANCE module = nullptr;
    bool owned = false;  // loaded by EnableSkinMode, so freed by it
    DLLGETSKINMETRICS metrics = nullptr;
    DLLGETSKINAREAS areas = nullptr;
    DLLGETSKINWIZMETRICS wizMetrics = nullptr;
    DLLGETSKINMENUMETRICS menuMetrics = nullptr;
    DLLGETSKINICONBTNMETRICS iconBtnMetrics = nullptr;
};

SkinModule skinModule;

template <typename Fn>
Fn Lookup(HINSTANCE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void Forget()
{
    if (skinModule.owned && skinModule.module)
        FreeLibrary(skinModule.module);
    skinModule = SkinModule();
}

void Take(HINSTANCE module, bool owned)
{
    skinModule.module = module;
    skinModule.owned = owned;
    if (!module)
        return;
    skinModule.metrics = Lookup<DLLGETSKINMETRICS>(module, "DllGetSkinMetrics");
    skinModule.areas = Lookup<DLLGETSKINAREAS>(module, "DllGetSkinAreas");
    skinModule.wizMetrics = Lookup<DLLGETSKINWIZMETRICS>(module, "DllGetSkinWizMetrics");
    skinModule.menuMetrics = Lookup<DLLGETSKINMENUMETRICS>(module, "DllGetSkinMenuMetrics");
    skinModule.iconBtnMetrics = Lookup<DLLGETSKINICONBTNMETRICS>(module, "DllGetSkinIconBtnMetrics");
}

// A bitmap file of no size loads as the system's stand-in for an empty bitmap, the 1 x 1
// monochrome one that CreateCompatibleBitmap gives for a size of 0.
bool IsEmptyBitmap(iPicture& picture, HDC screen)
{
    IPicture* raw = picture;
    short type = 0;
    OLE_HANDLE handle = 0;
    if (FAILED(raw->get_Type(&type)) || type != PICTYPE_BITMAP || FAILED(raw->get_Handle(&handle)))
        return false;
    HBITMAP empty = CreateCompatibleBitmap(screen, 0, 0);
    bool none = !handle || reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)) == empty;
    if (empty)
        DeleteObject(empty);
    return none;
}

} // namespace

int EnableSkinMode(const wchar_t* file)
{
    if (!file) {
        Forget();
        return 0;
    }
    if (!skinModule.module && *file) {
        HINSTANCE module = LoadLibraryW(file);
        if (module)
            Take(module, true);
    }
    return IsSkinMode();
}

void SetDllSkin(HINSTANCE module)
{
    if (module == skinModule.module)
        return;
    Forget();
    Take(module, false);
}

HINSTANCE GetDllSkin()
{
    return skinModule.module;
}

int IsSkinMode()
{
    return skinModule.module != nullptr;
}

SKIN_METRICS* GetSkinMetrics(SKIN_KIND kind)
{
    return skinModule.metrics ? skinModule.metrics(kind) : nullptr;
}

SKIN_AREA_METRICS* GetSkinAreas(SKIN_KIND kind)
{
    return skinModule.areas ? skinModule.areas(kind) : nullptr;
}

SKIN_WIZ_METRICS* GetSkinWizMetrics()
{
    return skinModule.wizMetrics ? skinModule.wizMetrics() : nullptr;
}

SKIN_MENU_METRICS* GetSkinMenuMetrics()
{
    return skinModule.menuMetrics ? skinModule.menuMetrics() : nullptr;
}

SKIN_ICON_BTN_METRICS* GetSkinIconBtnMetrics(SKIN_KIND kind)
{
    return skinModule.iconBtnMetrics ? skinModule.iconBtnMetrics(kind) : nullptr;
}

HBITMAP LoadSkinPicture(int id, COLORREF back)
{
    // Negative numbers would name this library's own resources.
    if (id <= 0 || !skinModule.module)
        return nullptr;
    iPicture picture;
    if (!picture.Load(id, skinModule.module))
        return nullptr;
    ClientDC screen(nullptr);
    if (IsEmptyBitmap(picture, screen))
        return nullptr;
    SIZE size = picture.GetImageSize(screen);
    HBITMAP bitmap = nullptr;
    if (size.cx > 0 && size.cy > 0 && size.cx <= MaxPictureSide && size.cy <= MaxPictureSide)
        bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
    if (bitmap) {
        CompatibleDC memory(screen);
        HGDIOBJ old = SelectObject(memory, bitmap);
        RECT all = {0, 0, size.cx, size.cy};
        HBRUSH brush = CreateSolidBrush(back);
        FillRect(memory, &all, brush ? brush : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        if (brush)
            DeleteObject(brush);
        bool drawn = picture.Render(memory, all, nullptr);
        SelectObject(memory, old);
        if (!drawn) {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
    return bitmap;
}
