// CSDlgChild: creation over a placeholder, and what it passes to its parent dialog.
#include "ui/CSDlgChild.h"

#include "sys/WndUtil.h"
#include "ui/CSDlgSkin.h"

CSDlgChild::CSDlgChild(CSDlgSkin* dlgSkin) : CSDlg(dlgSkin), parentDlg(nullptr), placeholderId(0)
{
    isChild = TRUE;
}

CSDlgChild::~CSDlgChild() = default;

int CSDlgChild::Init(CSDlg* parent, UINT placeholder, UINT dlgId, HINSTANCE instance, BOOL show)
{
    if (!parent || !parent->IsReady() || dlgId > 0xFFFF)
        return 0;
    parentDlg = parent;
    placeholderId = placeholder;
    if (!Modeless(static_cast<int>(dlgId), instance, parent->GetHandle(), show))
        return 0;
    SIZE grown = parent->GetResizeData();
    if (grown.cx || grown.cy)
        OnResize(grown.cx, grown.cy);
    RECT slot;
    if (parent->GetDlgItemRect(static_cast<int>(placeholderId), &slot)) {
        // A template without WS_CHILD makes an owned pop-up, placed in screen coordinates.
        if (!(GetWndStyle(hwnd) & WS_CHILD))
            MapWindowPoints(parent->GetHandle(), nullptr, reinterpret_cast<POINT*>(&slot), 2);
        SetWindowPos(hwnd, nullptr, slot.left, slot.top, slot.right - slot.left, slot.bottom - slot.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 1;
}

LRESULT CSDlgChild::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    CSDlgSkin* parentSkin = parentDlg ? parentDlg->GetSkin() : nullptr;
    if (msg == WM_ERASEBKGND && !ownBackground && parentSkin && parentSkin->IsSkinShown()) {
        parentSkin->DrawCtrlSkinBkg(reinterpret_cast<HDC>(wParam), hwnd);
        return 1;
    }
    return CSDlg::OnWndMessage(msg, wParam, lParam);
}

LRESULT CSDlgChild::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CSDlg::OnInitDialog(wParam, lParam);
    EnableFullDrag(FALSE);
    return result;
}

LRESULT CSDlgChild::OnOK()
{
    return 1;
}

LRESULT CSDlgChild::OnCancel()
{
    return 1;
}

void CSDlgChild::OnButtonClicked(WORD id)
{
    if (parentDlg)
        parentDlg->OnButtonClicked(id);
}

void CSDlgChild::OnComboSelChanged(WORD id)
{
    if (parentDlg)
        parentDlg->OnComboSelChanged(id);
}
