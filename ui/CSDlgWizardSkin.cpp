// CSDlgWizard and its skin: the buttons' hot areas and the first stretch of the picture.
#include "ui/CSDlgWizard.h"

#include "ui/DlgSkinOps.h"

void CSDlgWizard::ShowSkinArea(UINT, BOOL) {}

void CSDlgWizard::DrawSkin(HDC hdc)
{
    CSDlgPageMan::DrawSkin(hdc);
}

void CSDlgWizard::OnFirstSkinStretch(CSDlgWizSkin*) {}
