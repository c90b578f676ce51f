// FullWndDragger: the client area as a caption, with the hand cursor over it.
#include "ui/FullWndDragger.h"

#include <windowsx.h>

#include "ui/CSDlg.h"

namespace {

// A skinned dialog's hot areas are buttons: they must stay clickable.
bool IsOnSkinArea(CSWnd* pWnd, LPARAM lParam)
{
    if (!pWnd->HasDlgMarker() || !pWnd->IsDlg())
        return false;
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return ScreenToClient(pWnd->GetHandle(), &pt) && static_cast<CSDlg*>(pWnd)->IsPtInSkinArea(pt.x, pt.y);
}

} // namespace

FullWndDragger::~FullWndDragger() = default;

int FullWndDragger::OnWndMessage(CSWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (!pWnd || !pResult)
        return 0;
    switch (msg) {
    case WM_SETCURSOR:
        if (IsZoomed(pWnd->GetHandle()) || LOWORD(lParam) != HTCAPTION)
            return 0;
        if (!hCursor)
            hCursor = LoadCursorW(nullptr, IDC_HAND);
        if (hCursor)
            SetCursor(hCursor);
        *pResult = TRUE;
        return 1;
    case WM_NCHITTEST:
        *pResult = pWnd->DoWndMessage(msg, wParam, lParam, this);
        if (*pResult == HTCLIENT && !IsZoomed(pWnd->GetHandle()) && !IsOnSkinArea(pWnd, lParam))
            *pResult = HTCAPTION;
        return 1;
    default:
        return 0;
    }
}
