// The calls the framework makes into a dialog's skin and the skin module, kept in one place until the skin classes exist.
#pragma once

#include <windows.h>

#include "sys/Api.h"

class CSDlg;
class CSDlgSkin;

// A skin module's record of one image button: its size, the icon ids of normal, hover,
// pressed, disabled and focused (0: none), and ImageBtn's flags. Owned by the skin module.
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

// The skin module whose resources skinned controls load; null while skin mode is off.
GLMBX_API HINSTANCE GetDllSkin();

// Every call takes the skin as it is held by the dialog: null for a plain dialog, and then
// it does nothing (the results are "not handled", "no brush", "no area"). The skin classes
// give these their bodies; nothing else in the framework needs to know the skin's layout.
namespace dlgskin {

int OnCtlColor(CSDlgSkin* skin, UINT msg, HDC hdc, HBRUSH* pBrush);
void DrawSkin(CSDlgSkin* skin, HDC hdc, int x, int y, int cx, int cy);
void OnMouseMove(CSDlgSkin* skin, UINT keys, int x, int y);
void OnMouseClick(CSDlgSkin* skin, UINT msg, UINT keys, int x, int y);
int Init(CSDlgSkin* skin, CSDlg* dlg);
void DrawCtrlSkinBkg(CSDlgSkin* skin, HDC hdc, HWND ctl);
void FocusArea(CSDlgSkin* skin, UINT id);
void DrawArea(CSDlgSkin* skin, UINT id);
// Whether a hot area of the skin lies under the client point (it must stay clickable).
int HasAreaAt(CSDlgSkin* skin, int x, int y);

} // namespace dlgskin
