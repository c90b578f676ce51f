// The calls the dialog framework makes into a dialog's skin, kept in one place until the skin classes exist.
#pragma once

#include <windows.h>

class CSDlg;
class CSDlgSkin;

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
