// CSDlgScrollable: the scrolling range, its steps, and keeping a control in view.
#include "ui/CSDlgScrollable.h"

CSDlgScrollable::CSDlgScrollable(CSDlgSkin* dlgSkin)
    : CSDlgChild(dlgSkin), totalHeight(0), visibleHeight(0), scrollPos(0)
{
}

CSDlgScrollable::~CSDlgScrollable() = default;

LRESULT CSDlgScrollable::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    RECT rect;
    GetWindowRect(hwnd, &rect);
    totalHeight = rect.bottom - rect.top;
    visibleHeight = totalHeight;
    scrollPos = 0;
    UpdateScrollBar();
    return CSDlgChild::OnInitDialog(wParam, lParam);
}

int CSDlgScrollable::GetScrollRange() const
{
    return totalHeight > visibleHeight ? totalHeight - visibleHeight : 0;
}

int CSDlgScrollable::GetLineStep() const
{
    int step = GetScrollRange() / 20;
    return step < MinStep ? MinStep : step;
}

int CSDlgScrollable::GetPageStep() const
{
    int step = GetScrollRange() / 10;
    return step < MinStep ? MinStep : step;
}

void CSDlgScrollable::UpdateScrollBar()
{
    if (!hwnd)
        return;
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    // The bar covers the pixels 0 to total - 1, of which a page shows visible.
    info.nMin = 0;
    info.nMax = totalHeight > 0 ? totalHeight - 1 : 0;
    info.nPage = static_cast<UINT>(visibleHeight > 0 ? visibleHeight : 0);
    info.nPos = scrollPos;
    SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
}

int CSDlgScrollable::ScrollBy(int d)
{
    int range = GetScrollRange();
    int target = scrollPos + d;
    if (target > range)
        target = range;
    if (target < 0)
        target = 0;
    d = target - scrollPos;
    if (!d || !hwnd)
        return 0;
    scrollPos = target;
    ::SetScrollPos(hwnd, SB_VERT, scrollPos, TRUE);
    ScrollWindowEx(hwnd, 0, -d, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    // A skinned manager's picture does not move with the content.
    if (parentDlg && parentDlg->IsSkinSet())
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return d;
}

void CSDlgScrollable::OnVScroll(int code)
{
    switch (code) {
    case SB_LINEUP:
        ScrollBy(-GetLineStep());
        break;
    case SB_LINEDOWN:
        ScrollBy(GetLineStep());
        break;
    case SB_PAGEUP:
        ScrollBy(-GetPageStep());
        break;
    case SB_PAGEDOWN:
        ScrollBy(GetPageStep());
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        // The message's own position has 16 bits only.
        SCROLLINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(hwnd, SB_VERT, &info))
            ScrollBy(info.nTrackPos - scrollPos);
        break;
    }
    case SB_TOP:
        ScrollBy(-scrollPos);
        break;
    case SB_BOTTOM:
        ScrollBy(GetScrollRange() - scrollPos);
        break;
    default:
        break;
    }
}

LRESULT CSDlgScrollable::OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // lParam names a scroll bar control; only the page's own bar scrolls the page.
    if (msg == WM_VSCROLL && lParam == 0)
        OnVScroll(LOWORD(wParam));
    return CSDlgChild::OnDlgMessage(msg, wParam, lParam);
}

void CSDlgScrollable::OnWindowPosChanging(WINDOWPOS* pos)
{
    CSDlgChild::OnWindowPosChanging(pos);
    if (!pos || (pos->flags & SWP_NOSIZE) || !hwnd || totalHeight <= 0 || pos->cy == visibleHeight)
        return;
    visibleHeight = pos->cy > 0 ? pos->cy : 0;
    if (scrollPos > GetScrollRange())
        ScrollBy(GetScrollRange() - scrollPos);
    UpdateScrollBar();
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus))
        EnsureDlgItemVisible(focus);
}

void CSDlgScrollable::EnsureDlgItemVisible(HWND ctl)
{
    if (!hwnd || !ctl || !IsChild(hwnd, ctl))
        return;
    RECT rect;
    GetWindowRect(ctl, &rect);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
    // While the window's size is changing the client area still has the old one.
    int bottom = visibleHeight - VisibleMargin;
    if (rect.bottom > bottom)
        ScrollBy(rect.bottom - bottom);
    else if (rect.top < VisibleMargin)
        ScrollBy(rect.top - VisibleMargin);
}

void CSDlgScrollable::EnsureDlgItemVisible(UINT id)
{
    if (hwnd)
        EnsureDlgItemVisible(::GetDlgItem(hwnd, static_cast<int>(id)));
}

void CSDlgScrollable::OnWmMouseWheel(int delta)
{
    if (!delta)
        return;
    int distance = MulDiv(GetLineStep(), delta, WHEEL_DELTA);
    if (!distance)
        distance = delta > 0 ? 1 : -1;
    ScrollBy(-distance);
}
