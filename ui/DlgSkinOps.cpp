// The framework's calls into a dialog's skin: no skin can be set yet, so each is a null skin's answer.
#include "ui/DlgSkinOps.h"

// No skin module can be loaded yet.
HINSTANCE GetDllSkin()
{
    return nullptr;
}

namespace dlgskin {

int OnCtlColor(CSDlgSkin*, UINT, HDC, HBRUSH*)
{
    return 0;
}

void DrawSkin(CSDlgSkin*, HDC, int, int, int, int) {}

void OnMouseMove(CSDlgSkin*, UINT, int, int) {}

void OnMouseClick(CSDlgSkin*, UINT, UINT, int, int) {}

int Init(CSDlgSkin*, CSDlg*)
{
    return 0;
}

void DrawCtrlSkinBkg(CSDlgSkin*, HDC, HWND) {}

void FocusArea(CSDlgSkin*, UINT) {}

void DrawArea(CSDlgSkin*, UINT) {}

int HasAreaAt(CSDlgSkin*, int, int)
{
    return 0;
}

} // namespace dlgskin
