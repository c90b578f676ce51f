// Skin mode: the skin module, its five entry points, the records they hand out and its pictures.
#pragma once

#include <windows.h>
#include <commctrl.h>  // CLR_NONE

#include "sys/Api.h"

// Which dialog a record is for; the values are the skin module's own business.
typedef int SKIN_KIND;

// How a skin draws one dialog. Owned by the skin module.
struct SKIN_METRICS {
    int idBitmap;             // the picture, a resource of the skin module
    COLORREF rgbTransparent;  // the colour that is not shown (the window's shape)
    COLORREF rgbText;         // text of static controls and buttons
    DWORD dwReserved;         // carried, not interpreted
    RECT rcStretch;           // the nine-slice zone in picture coordinates; empty: scaled whole
};

// One hot area of a skin. A table of them ends with an item whose id is 0.
struct SKIN_AREA_METRICS {
    UINT id;  // also the command a click sends
    int x, y, cx, cy;  // picture coordinates
    int idNormal, idHover, idPressed, idDisabled;  // pictures, 0 = none
    int nData1, nData2;  // carried, not interpreted
};
static_assert(sizeof(SKIN_AREA_METRICS) == 44, "skin modules lay the area table out in 44-byte items");

// An image button of a skin (ImageBtnIcon turns it into a descriptor): its size, the icon ids
// of normal, hover, pressed, disabled and focused (0: none) in the skin module, and ImageBtn's flags.
struct SKIN_ICON_BTN_METRICS {
    int cx;
    int cy;
    int normal;
    int hover;
    int pressed;
    int disabled;
    int focused;
    DWORD flags;
};

// The wizard's skin (CSDlgWizSkin). Rectangles are in picture coordinates and stretch with
// the picture; a colour of CLR_NONE leaves that part to the picture or to the skin's text colour.
struct SKIN_WIZ_METRICS {
    RECT rcPage;              // where the pages lie
    RECT rcHeader;            // the header text
    COLORREF rgbPage;         // the panel painted under the pages
    COLORREF rgbPageFrame;    // a one-pixel frame around that panel
    COLORREF rgbHeaderText;
    COLORREF rgbHeaderBk;
};

// Colours of skinned menus; the framework carries them for the host.
struct SKIN_MENU_METRICS {
    COLORREF rgbText;
    COLORREF rgbBk;
    COLORREF rgbHiText;
    COLORREF rgbHiBk;
    int idBitmap;
};

// The entry points a skin module exports under these names (plain, undecorated).
typedef SKIN_METRICS*(WINAPI* DLLGETSKINMETRICS)(SKIN_KIND kind);
typedef SKIN_AREA_METRICS*(WINAPI* DLLGETSKINAREAS)(SKIN_KIND kind);
typedef SKIN_WIZ_METRICS*(WINAPI* DLLGETSKINWIZMETRICS)();
typedef SKIN_MENU_METRICS*(WINAPI* DLLGETSKINMENUMETRICS)();
typedef SKIN_ICON_BTN_METRICS*(WINAPI* DLLGETSKINICONBTNMETRICS)(SKIN_KIND kind);

// file null: unloads the skin module this call loaded (a module set with SetDllSkin is only
// forgotten) and skin mode ends. Otherwise, when no skin module is set yet, loads file and
// looks up its entry points; with one set already nothing changes. Nonzero when skin mode is on.
GLMBX_API int EnableSkinMode(const wchar_t* file);
// A module the host loaded itself (not owned); null ends skin mode. Its entry points are looked up.
GLMBX_API void SetDllSkin(HINSTANCE module);
// The skin module whose resources skinned dialogs and buttons load; null while skin mode is off.
GLMBX_API HINSTANCE GetDllSkin();
GLMBX_API int IsSkinMode();

// The skin module's records (owned by it), or null when skin mode is off or the module lacks
// the entry point. They stay valid while the module is loaded.
GLMBX_API SKIN_METRICS* GetSkinMetrics(SKIN_KIND kind);
GLMBX_API SKIN_AREA_METRICS* GetSkinAreas(SKIN_KIND kind);
GLMBX_API SKIN_WIZ_METRICS* GetSkinWizMetrics();
GLMBX_API SKIN_MENU_METRICS* GetSkinMenuMetrics();
GLMBX_API SKIN_ICON_BTN_METRICS* GetSkinIconBtnMetrics(SKIN_KIND kind);

// Picture id of the skin module (JPEG, GIF, BMP... kept as RCDATA) rendered at its own size
// into a new bitmap compatible with the screen, on a background of colour back. The caller
// deletes it. Null without skin mode, for a missing picture and for one without size.
GLMBX_API HBITMAP LoadSkinPicture(int id, COLORREF back);
