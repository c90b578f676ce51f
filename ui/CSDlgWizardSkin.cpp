// CSDlgWizard and its skin: the pages and header placed on the stretched picture, the header's colours.
#include "ui/CSDlgWizard.h"

#include "sys/WndUtil.h"
#include "ui/CSDlgPage.h"
#include "ui/CSDlgWizSkin.h"

CSDlgWizSkin* CSDlgWizard::GetWizSkin() const
{
    return dynamic_cast<CSDlgWizSkin*>(skin);
}

void CSDlgWizard::DrawSkin(HDC hdc)
{
    CSDlgPageMan::DrawSkin(hdc);
    // A skin shown only after the wizard was set up is placed at its first drawing.
    if (!skinStretched)
        SkinStretched();
}

void CSDlgWizard::SkinStretched()
{
    CSDlgWizSkin* wizSkin = GetWizSkin();
    if (!wizSkin || !wizSkin->IsSkinShown() || !hwnd)
        return;
    wizSkin->StretchToClient();
    if (skinStretched) {
        PlaceOnSkin(wizSkin);
        return;
    }
    skinStretched = TRUE;
    OnFirstSkinStretch(wizSkin);
}

void CSDlgWizard::OnFirstSkinStretch(CSDlgWizSkin* wizSkin)
{
    PlaceOnSkin(wizSkin);
}

void CSDlgWizard::PlaceOnSkin(CSDlgWizSkin* wizSkin)
{
    RECT place;
    if (!wizSkin)
        return;
    if (wizSkin->GetPageRect(&place)) {
        int cx = place.right - place.left, cy = place.bottom - place.top;
        if (HWND placeholder = GetDlgItem(static_cast<int>(placeholderId)))
            SetWndPos(placeholder, place.left, place.top, cx, cy);
        for (POS__* pos = pages.GetHeadPos(); pos;) {
            auto* page = static_cast<CSDlgPage*>(pages.GetNext(pos));
            if (IsPageCreated(page))
                SetWndPos(*page, place.left, place.top, cx, cy);
        }
    }
    if (wizSkin->GetHeaderRect(&place)) {
        HWND image = imageBtnId ? GetDlgItem(static_cast<int>(imageBtnId)) : nullptr;
        RECT imageRect;
        if (image && GetCtrlRect(image, &imageRect)) {
            int cx = imageRect.right - imageRect.left, cy = imageRect.bottom - imageRect.top;
            SetWndOrigin(image, place.right - cx, (place.top + place.bottom - cy) / 2);
            place.right -= cx;
        }
        if (HWND header = GetDlgItem(static_cast<int>(headerId)))
            SetWndPos(header, place.left, place.top, place.right - place.left, place.bottom - place.top);
    }
    // Areas keep the places they were given: each button's follows its place on the picture.
    const UINT ids[SkinButtonCount] = {backId, nextId, IDOK, IDCANCEL, IDHELP};
    for (int i = 0; i < SkinButtonCount; ++i) {
        if (!ids[i] || !wizSkin->GetAreaRect(ids[i], &place))
            continue;
        if (!skinButtonsKept)
            skinButtonOrigin[i] = {place.left, place.top};
        long x = skinButtonOrigin[i].x, y = skinButtonOrigin[i].y;
        wizSkin->StretchX(x);
        wizSkin->StretchY(y);
        wizSkin->MoveArea(ids[i], x - place.left, y - place.top);
    }
    skinButtonsKept = TRUE;
    Invalidate(nullptr, TRUE);
}

int CSDlgWizard::SkinCtlColor(UINT msg, HDC hdc, HWND ctl, HBRUSH* pBrush)
{
    if (!skin || !skin->IsSkinShown())
        return 0;
    CSDlgWizSkin* wizSkin = GetWizSkin();
    if (!wizSkin || msg != WM_CTLCOLORSTATIC)
        return skin->OnCtlColor(msg, hdc, pBrush);
    COLORREF text = wizSkin->GetHeaderTextColor();
    COLORREF back = wizSkin->GetHeaderBkColor();
    if (text != CLR_NONE)
        SetTextColor(hdc, text);
    if (back != CLR_NONE) {
        SetBkColor(hdc, back);
        SetDCBrushColor(hdc, back);
        *pBrush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
        return 1;
    }
    // On the picture itself: what lies under the header, then the text over it.
    skin->DrawCtrlSkinBkg(hdc, ctl);
    SetBkMode(hdc, TRANSPARENT);
    *pBrush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    return 1;
}
