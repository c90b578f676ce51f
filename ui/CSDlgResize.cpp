// CSDlg resizing: size limits, the size grip, the remembered placement, and collapsible control groups.
#include "ui/CSDlg.h"

#include <new>

#include "sys/WndUtil.h"

namespace {

const COLORREF GripColor = 0xA3B4B8;
const int GripInvalidate = 12;  // the corner repainted while the size changes
const int GripSquare = 8;
const int GripReach = 16;

int TopOf(HWND ctl)
{
    RECT rect;
    return GetCtrlRect(ctl, &rect) ? rect.top : 0;
}

int BottomOf(HWND ctl)
{
    RECT rect;
    return GetCtrlRect(ctl, &rect) ? rect.bottom : 0;
}

} // namespace

void CSDlg::EnableResizing(DWORD flags, MyWindowPlacement* record)
{
    resizingFlags = flags;
    placement = record;
}

void CSDlg::StoreResizingInfo()
{
    if (!placement || !hwnd || !IsWindow(hwnd))
        return;
    WINDOWPLACEMENT now = {};
    now.length = sizeof(now);
    if (GetWindowPlacement(hwnd, &now))
        *static_cast<WINDOWPLACEMENT*>(placement) = now;
}

SIZE CSDlg::GetResizeData() const
{
    SIZE grown = {curCx - minCx, curCy - minCy};
    return grown;
}

void CSDlg::Resize()
{
    int dx = curCx - prevCx;
    int dy = curCy - prevCy;
    if (dx || dy)
        OnResize(dx, dy);
}

void CSDlg::OnWindowPosChanging(WINDOWPOS* pos)
{
    if (!pos || (pos->flags & SWP_NOSIZE) || !hwnd || IsIconic(hwnd))
        return;
    if (resizingFlags & (DlgResizeWidth | DlgResizeHeight)) {
        // Until OnInitDialog has measured the template there is no minimum to keep.
        if (minCx <= 0 || minCy <= 0)
            return;
        if (!(resizingFlags & DlgResizeWidth) || pos->cx < minCx)
            pos->cx = minCx;
        if (!(resizingFlags & DlgResizeHeight) || pos->cy < minCy)
            pos->cy = minCy;
        RECT client;
        GetClientRect(hwnd, &client);
        RECT corner = {client.right - GripInvalidate, client.bottom - GripInvalidate, client.right, client.bottom};
        InvalidateRect(hwnd, &corner, TRUE);
        return;
    }
    if (!(resizingFlags & (DlgResizeKeepWidth | DlgResizeKeepHeight)))
        return;
    if (minCx <= 0 || minCy <= 0) {
        if (pos->cx > 0 && pos->cy > 0) {
            prevCx = minCx = pos->cx;
            prevCy = minCy = pos->cy;
        }
        return;
    }
    if (resizingFlags & DlgResizeKeepWidth)
        pos->cx = minCx;
    if (resizingFlags & DlgResizeKeepHeight)
        pos->cy = minCy;
}

void CSDlg::OnWindowPosChanged(WINDOWPOS* pos)
{
    if (!pos || !hwnd)
        return;
    if ((resizingFlags & (DlgResizeWidth | DlgResizeHeight)) && initialized && !IsIconic(hwnd) &&
        !(pos->flags & SWP_NOSIZE) && (pos->cx != curCx || pos->cy != curCy)) {
        prevCx = curCx;
        prevCy = curCy;
        curCx = pos->cx;
        curCy = pos->cy;
        Resize();
    }
    if (initialized)
        StoreResizingInfo();
}

// ---- The grip ----

void CSDlg::DrawResizingItem(HDC hdc, int x, int y)
{
    for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx)
            SetPixel(hdc, x + dx, y + dy, GripColor);
    }
    SetPixel(hdc, x + 2, y + 1, RGB(255, 255, 255));
    SetPixel(hdc, x + 1, y + 2, RGB(255, 255, 255));
    SetPixel(hdc, x + 2, y + 2, RGB(255, 255, 255));
}

void CSDlg::DrawResizingCorner(HDC hdc)
{
    if (!hdc || !hwnd)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    RECT corner = {client.right - GripSquare, client.bottom - GripSquare, client.right, client.bottom};
    InvalidateRect(hwnd, &corner, FALSE);
    DrawResizingItem(hdc, client.right - 4, client.bottom - 4);
    DrawResizingItem(hdc, client.right - 8, client.bottom - 4);
    DrawResizingItem(hdc, client.right - 4, client.bottom - 8);
    ValidateRect(hwnd, &corner);
}

int CSDlg::IsPtInResizingCorner(int x, int y)
{
    RECT client;
    if (!hwnd || !GetClientRect(hwnd, &client))
        return 0;
    // A client point: outside the client area the frame answers for itself.
    if (x < client.left || y < client.top || x >= client.right || y >= client.bottom)
        return 0;
    return (client.right - x) + (client.bottom - y) < GripReach;
}

void CSDlg::SetResizingCursor()
{
    const wchar_t* shape = IDC_SIZENWSE;
    if ((resizingFlags & (DlgResizeWidth | DlgResizeHeight)) == DlgResizeWidth)
        shape = IDC_SIZEWE;
    else if ((resizingFlags & (DlgResizeWidth | DlgResizeHeight)) == DlgResizeHeight)
        shape = IDC_SIZENS;
    SetCursor(LoadCursorW(nullptr, shape));
}

// ---- Control groups ----

int CSDlg::AddCtrlGroup(UINT first, UINT last, UINT frame, UINT parentFirst)
{
    if (!first || !last)
        return 0;
    CSCtrlGroup* group = new (std::nothrow) CSCtrlGroup{first, last, frame, parentFirst, 0, TRUE};
    if (!group)
        return 0;
    if (!ctrlGroups.AddTail(group)) {
        delete group;
        return 0;
    }
    groupsLaidOut = FALSE;
    return 1;
}

CSCtrlGroup* CSDlg::FindCtrlGroup(UINT first, UINT frame)
{
    for (POS__* pos = ctrlGroups.GetHeadPos(); pos;) {
        auto* group = static_cast<CSCtrlGroup*>(ctrlGroups.GetNext(pos));
        if ((first && group->first == first) || (frame && group->frame == frame))
            return group;
    }
    return nullptr;
}

void CSDlg::ComputeGroupHeights()
{
    if (!hwnd)
        return;
    groupsLaidOut = TRUE;
    RECT client;
    GetClientRect(hwnd, &client);
    for (POS__* pos = ctrlGroups.GetHeadPos(); pos;) {
        auto* group = static_cast<CSCtrlGroup*>(ctrlGroups.GetNext(pos));
        HWND first = GetDlgItem(static_cast<int>(group->first));
        HWND last = GetDlgItem(static_cast<int>(group->last));
        HWND frame = group->frame ? GetDlgItem(static_cast<int>(group->frame)) : nullptr;
        if (!first || !last) {
            group->height = 0;
            continue;
        }
        HWND next = ::GetWindow(last, GW_HWNDNEXT);
        CSCtrlGroup* nextIsFrameOf = next ? FindCtrlGroup(0, static_cast<UINT>(GetDlgCtrlID(next))) : nullptr;
        int bottom;
        if (!next || (nextIsFrameOf && nextIsFrameOf != group && frame))
            bottom = frame ? BottomOf(frame) : client.bottom;
        else {
            bottom = TopOf(next);
            if (frame && BottomOf(frame) < bottom)
                bottom = BottomOf(frame);
        }
        group->height = bottom > TopOf(first) ? bottom - TopOf(first) : 0;
    }
    // A nested group adds its rows when it is shown itself: its enclosing group's own
    // height leaves them out, so that the two offsets add up to the whole.
    for (POS__* pos = ctrlGroups.GetHeadPos(); pos;) {
        auto* inner = static_cast<CSCtrlGroup*>(ctrlGroups.GetNext(pos));
        CSCtrlGroup* outer = inner->parentFirst ? FindCtrlGroup(inner->parentFirst) : nullptr;
        if (outer && outer != inner)
            outer->height = outer->height > inner->height ? outer->height - inner->height : 0;
    }
}

int CSDlg::ShowCtrlGroup(UINT first, BOOL show, BOOL nested)
{
    CSCtrlGroup* group = FindCtrlGroup(first);
    if (!group)
        return 0;
    CSCtrlGroup* enclosing = nested && group->parentFirst ? FindCtrlGroup(group->parentFirst) : nullptr;
    return ShowGroup(group, show, enclosing == group ? nullptr : enclosing);
}

// enclosing is set for a group shown or hidden with the group around it: its moves then
// stay inside that group, which moves the rest itself.
int CSDlg::ShowGroup(CSCtrlGroup* group, BOOL show, CSCtrlGroup* enclosing)
{
    show = show ? TRUE : FALSE;
    if (!group || !hwnd || group->shown == show)
        return 0;
    HWND firstCtl = GetDlgItem(static_cast<int>(group->first));
    HWND lastCtl = GetDlgItem(static_cast<int>(group->last));
    if (!firstCtl || !lastCtl)
        return 0;
    if (!groupsLaidOut)
        ComputeGroupHeights();
    InvalidateRect(hwnd, nullptr, TRUE);
    group->shown = show;

    int sum = 0;
    HWND skipThrough = nullptr;  // the last control of a nested group already handled
    for (HWND ctl = firstCtl; ctl; ctl = ctl == lastCtl ? nullptr : ::GetWindow(ctl, GW_HWNDNEXT)) {
        if (skipThrough) {
            if (ctl == skipThrough)
                skipThrough = nullptr;
            continue;
        }
        CSCtrlGroup* inner = ctl != firstCtl ? FindCtrlGroup(static_cast<UINT>(GetDlgCtrlID(ctl))) : nullptr;
        if (inner && inner != group && inner->parentFirst == group->first) {
            sum += ShowGroup(inner, show, group);
            HWND innerLast = GetDlgItem(static_cast<int>(inner->last));
            if (innerLast != ctl)
                skipThrough = innerLast;
            continue;
        }
        ShowWindow(ctl, show ? SW_SHOW : SW_HIDE);
        EnableWindow(ctl, show);
    }
    int offset = show ? sum + group->height : sum - group->height;
    if (offset == 0)
        return 0;

    // The frame of this group, and of every group around it when this is the outermost call.
    for (CSCtrlGroup* around = group; around;) {
        HWND frame = around->frame ? GetDlgItem(static_cast<int>(around->frame)) : nullptr;
        if (frame)
            ResizeWnd(frame, 0, offset);
        if (enclosing || !around->parentFirst)
            break;
        CSCtrlGroup* outer = FindCtrlGroup(around->parentFirst);
        around = outer != around ? outer : nullptr;
    }
    if (show && !enclosing)
        EnsureDlgItemVisible(lastCtl);
    HWND stop = enclosing ? GetDlgItem(static_cast<int>(enclosing->last)) : nullptr;
    for (HWND ctl = lastCtl == stop ? nullptr : ::GetWindow(lastCtl, GW_HWNDNEXT); ctl;
         ctl = ctl == stop ? nullptr : ::GetWindow(ctl, GW_HWNDNEXT))
        OffsetWnd(ctl, 0, offset);
    if (!enclosing)
        EnsureDlgItemVisible(firstCtl);
    return offset;
}
