// CSDlgSkin: the picture and its nine-slice stretch, the layered frameless window, control backgrounds and hot areas.
#include "ui/CSDlgSkin.h"

#include <commctrl.h>

#include <new>

#include "ui/CSDC.h"
#include "ui/CSDlg.h"

namespace {

// WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX.
const DWORD FrameStyles = 0xCF0000;
// Edges that would still draw a frame around the picture.
const DWORD FrameExStyles = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE;
// Area coordinates beyond this are damaged tables, and would overflow a rectangle.
const int MaxAreaCoord = 0x7FFF;
const COLORREF DefaultText = 0x800000;
const UINT FrameChange = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

typedef BOOL(WINAPI* SetLayeredFn)(HWND, COLORREF, BYTE, DWORD);

SetLayeredFn SetLayered()
{
    static bool looked;
    static SetLayeredFn fn;
    if (!looked) {
        looked = true;
        if (HMODULE user = GetModuleHandleW(L"USER32.DLL"))
            fn = reinterpret_cast<SetLayeredFn>(
                reinterpret_cast<void*>(GetProcAddress(user, "SetLayeredWindowAttributes")));
    }
    return fn;
}

int FreeArea(unsigned long, unsigned int msg, void* element)
{
    if (msg == CSList::MsgRemove)
        delete static_cast<CSDlgSkinArea*>(element);
    return 1;
}

bool ValidArea(const SKIN_AREA_METRICS& item)
{
    auto inRange = [](int v) { return v >= -MaxAreaCoord && v <= MaxAreaCoord; };
    return item.cx > 0 && item.cy > 0 && item.cx <= MaxAreaCoord && item.cy <= MaxAreaCoord && inRange(item.x) &&
           inRange(item.y);
}

} // namespace

CSDlgSkin::CSDlgSkin(SKIN_METRICS* skinMetrics)
    : metrics(nullptr), hotArea(nullptr), dialog(nullptr), hwnd(nullptr), shown(TRUE), stretchSource(nullptr),
      stretched(nullptr), picCx(0), picCy(0), curCx(0), curCy(0), zone(), transparent(CLR_NONE), savedStyle(0),
      metricsCopy(), savedExStyle(0), applied(FALSE), pressedArea(nullptr), stretchSerial(0)
{
    areas.SetCallback(0, FreeArea);
    if (skinMetrics)
        SetSkin(skinMetrics);
}

CSDlgSkin::~CSDlgSkin()
{
    if (pressedArea && hwnd && GetCapture() == hwnd)
        ReleaseCapture();
    FreePictures();
    areas.RemoveAll();
}

void CSDlgSkin::FreePictures()
{
    if (stretchSource)
        DeleteObject(stretchSource);
    if (stretched)
        DeleteObject(stretched);
    stretchSource = stretched = nullptr;
    picCx = picCy = curCx = curCy = 0;
}

// ---- The picture ----

int CSDlgSkin::SetSkin(SKIN_METRICS* skinMetrics)
{
    if (!skinMetrics) {
        metrics = nullptr;
        return SetSkin(nullptr, CLR_NONE, nullptr);
    }
    metricsCopy = *skinMetrics;
    metrics = &metricsCopy;
    HBITMAP picture = LoadSkinPicture(metricsCopy.idBitmap, metricsCopy.rgbTransparent);
    return SetSkin(picture, metricsCopy.rgbTransparent, &metricsCopy.rcStretch);
}

int CSDlgSkin::SetSkin(HBITMAP bitmap, COLORREF transparentColor, const RECT* stretchZone)
{
    FreePictures();
    BITMAP info = {};
    if (bitmap && (!GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0)) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    if (bitmap) {
        stretchSource = bitmap;
        picCx = curCx = info.bmWidth;
        picCy = curCy = info.bmHeight;
        transparent = transparentColor;
        SetRectEmpty(&zone);
        if (stretchZone) {
            // A zone reaching beyond the picture is cut to it.
            zone.left = stretchZone->left < 0 ? 0 : stretchZone->left > picCx ? picCx : stretchZone->left;
            zone.top = stretchZone->top < 0 ? 0 : stretchZone->top > picCy ? picCy : stretchZone->top;
            zone.right = stretchZone->right > picCx ? picCx : stretchZone->right;
            zone.bottom = stretchZone->bottom > picCy ? picCy : stretchZone->bottom;
            if (IsRectEmpty(&zone))
                SetRectEmpty(&zone);
        }
    }
    RefreshSkinAttributes();
    return stretchSource != nullptr;
}

bool CSDlgSkin::NeedsStretch(int w, int h) const
{
    return !stretched || w != curCx || h != curCy;
}

void CSDlgSkin::OnResize(int, int) {}

void CSDlgSkin::Stretch(int w, int h)
{
    if (!stretchSource || w <= 0 || h <= 0)
        return;
    ClientDC screen(nullptr);
    HBITMAP result = CreateCompatibleBitmap(screen, w, h);
    if (!result)
        return;
    OnResize(w - curCx, h - curCy);
    CompatibleDC src(screen);
    CompatibleDC dst(screen);
    HGDIOBJ oldSrc = SelectObject(src, stretchSource);
    HGDIOBJ oldDst = SelectObject(dst, result);
    SetStretchBltMode(dst, COLORONCOLOR);
    StretchBlt(dst, 0, 0, w, h, src, 0, 0, picCx, picCy, SRCCOPY);
    if (!IsRectEmpty(&zone)) {
        // Three columns and three rows; an axis too small for its two fixed parts scales whole.
        int sx[4] = {0, zone.left, zone.right, picCx};
        int dx[4] = {0, zone.left, w - (picCx - zone.right), w};
        int sy[4] = {0, zone.top, zone.bottom, picCy};
        int dy[4] = {0, zone.top, h - (picCy - zone.bottom), h};
        if (dx[2] < dx[1]) {
            sx[1] = dx[1] = 0;
            sx[2] = picCx;
            dx[2] = w;
        }
        if (dy[2] < dy[1]) {
            sy[1] = dy[1] = 0;
            sy[2] = picCy;
            dy[2] = h;
        }
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                int scx = sx[col + 1] - sx[col], scy = sy[row + 1] - sy[row];
                int dcx = dx[col + 1] - dx[col], dcy = dy[row + 1] - dy[row];
                if (scx > 0 && scy > 0 && dcx > 0 && dcy > 0)
                    StretchBlt(dst, dx[col], dy[row], dcx, dcy, src, sx[col], sy[row], scx, scy, SRCCOPY);
            }
        }
    }
    SelectObject(src, oldSrc);
    SelectObject(dst, oldDst);
    bool resized = stretched != nullptr;
    if (stretched)
        DeleteObject(stretched);
    stretched = result;
    ++stretchSerial;
    curCx = w;
    curCy = h;
    // Only the newly uncovered strip would be painted otherwise; the whole picture moved.
    if (resized && applied && hwnd && IsWindow(hwnd))
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

int CSDlgSkin::StretchToClient()
{
    RECT client;
    if (!stretchSource || !hwnd || !GetClientRect(hwnd, &client))
        return 0;
    if (!NeedsStretch(client.right, client.bottom))
        return 0;
    Stretch(client.right, client.bottom);
    return 1;
}

long CSDlgSkin::StretchCoord(long v, long nearEdge, long farEdge, long delta) const
{
    if (v >= farEdge)
        return v + delta;
    if (v > nearEdge)
        return v + MulDiv(delta, v - nearEdge, farEdge - nearEdge);
    return v;
}

void CSDlgSkin::StretchX(long& x)
{
    if (stretched && !IsRectEmpty(&zone) && curCx != picCx)
        x = StretchCoord(x, zone.left, zone.right, curCx - picCx);
}

void CSDlgSkin::StretchY(long& y)
{
    if (stretched && !IsRectEmpty(&zone) && curCy != picCy)
        y = StretchCoord(y, zone.top, zone.bottom, curCy - picCy);
}

void CSDlgSkin::StretchRect(RECT& rect)
{
    StretchX(rect.left);
    StretchX(rect.right);
    StretchY(rect.top);
    StretchY(rect.bottom);
}

// ---- The window ----

int CSDlgSkin::Init(CSDlg* dlg)
{
    if (!dlg || !dlg->GetHandle())
        return 0;
    dialog = dlg;
    hwnd = dlg->GetHandle();
    // A new window: nothing of an earlier one's look or mouse state carries over.
    applied = FALSE;
    hotArea = pressedArea = nullptr;
    tooltips.Destroy();
    if (tooltips.Create(hwnd, TTS_ALWAYSTIP | TTS_NOPREFIX)) {
        for (POS__* pos = areas.GetHeadPos(); pos;) {
            auto* area = static_cast<CSDlgSkinArea*>(areas.GetNext(pos));
            if (!area->IsHidden())
                tooltips.AddTool(hwnd, area->GetID(), const_cast<RECT*>(&area->GetRect()));
        }
    }
    RefreshSkinAttributes();
    return applied;
}

void CSDlgSkin::ShowSkin(BOOL show)
{
    shown = show;
    RefreshSkinAttributes();
}

void CSDlgSkin::RefreshSkinAttributes()
{
    if (!hwnd || !IsWindow(hwnd))
        return;
    Apply(shown && stretchSource);
}

void CSDlgSkin::Apply(bool show)
{
    SetLayeredFn setLayered = SetLayered();
    // A child window cannot be layered before Windows 8: it keeps the standard look.
    if (!setLayered || (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD))
        show = false;
    if (show) {
        if (!applied) {
            // The window keeps its place and size (the limits of a resizable dialog hold); the
            // picture fills it whole.
            savedStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
            savedExStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
            SetWindowLongPtrW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(savedStyle & ~FrameStyles));
            SetWindowLongPtrW(hwnd, GWL_EXSTYLE, static_cast<LONG_PTR>((savedExStyle & ~FrameExStyles) | WS_EX_LAYERED));
            SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, FrameChange);
            applied = TRUE;
        }
        setLayered(hwnd, transparent, 0, LWA_COLORKEY);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    } else if (applied) {
        DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
        DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
        style = (style & ~FrameStyles) | (savedStyle & FrameStyles);
        exStyle = (exStyle & ~(FrameExStyles | WS_EX_LAYERED)) | (savedExStyle & (FrameExStyles | WS_EX_LAYERED));
        SetWindowLongPtrW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(style));
        SetWindowLongPtrW(hwnd, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, FrameChange);
        applied = FALSE;
        hotArea = nullptr;
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    }
    if (tooltips.IsReady())
        tooltips.Activate(applied);
}

// ---- Painting ----

void CSDlgSkin::DrawSkin(HDC hdc, int x, int y, int cx, int cy)
{
    RECT client;
    if (!Ready() || !hdc || !GetClientRect(hwnd, &client) || client.right <= 0 || client.bottom <= 0)
        return;
    int w = client.right, h = client.bottom;
    if (NeedsStretch(w, h))
        Stretch(w, h);
    if (!stretched)
        return;
    if (cx < 0)
        cx = w - x;
    if (cy < 0)
        cy = h - y;
    RECT part = {x, y, x + cx, y + cy};
    RECT visible;
    if (!IntersectRect(&visible, &part, &client))
        return;
    {
        CompatibleDC memory(hdc);
        HGDIOBJ old = SelectObject(memory, stretched);
        BitBlt(hdc, visible.left, visible.top, visible.right - visible.left, visible.bottom - visible.top, memory,
               visible.left, visible.top, SRCCOPY);
        SelectObject(memory, old);
    }
    if (EqualRect(&visible, &client)) {
        for (POS__* pos = areas.GetHeadPos(); pos;)
            static_cast<CSDlgSkinArea*>(areas.GetNext(pos))->Draw(hdc);
    }
}

void CSDlgSkin::DrawCtrlSkinBkg(HDC hdc, HWND ctl)
{
    RECT rect;
    if (!Ready() || !hdc || !ctl || !GetClientRect(ctl, &rect))
        return;
    MapWindowPoints(ctl, hwnd, reinterpret_cast<POINT*>(&rect), 2);
    // The control's dc starts at its own corner: dialog coordinates are moved onto it.
    POINT origin;
    OffsetWindowOrgEx(hdc, rect.left, rect.top, &origin);
    DrawSkin(hdc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    SetWindowOrgEx(hdc, origin.x, origin.y, nullptr);
}

int CSDlgSkin::OnCtlColor(UINT msg, HDC hdc, HBRUSH* pBrush)
{
    if (!Ready() || !hdc || (msg != WM_CTLCOLORBTN && msg != WM_CTLCOLORSTATIC))
        return 0;
    SetTextColor(hdc, metrics ? metrics->rgbText : DefaultText);
    SetBkMode(hdc, TRANSPARENT);
    if (pBrush)
        *pBrush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    return 1;
}

// ---- Hot areas ----

void CSDlgSkin::Redraw(CSDlgSkinArea* area)
{
    if (area && dialog && Ready())
        area->Draw(dialog);
}

void CSDlgSkin::OnMouseMove(UINT keys, int x, int y)
{
    if (!Ready())
        return;
    CSDlgSkinArea* area = FindArea(x, y);
    if (area != hotArea) {
        CSDlgSkinArea* old = hotArea;
        hotArea = nullptr;
        if (old && !old->IsHidden() && old->IsEnabled()) {
            old->SetState(SkinAreaNormal);
            Redraw(old);
        }
        if (area && area->IsEnabled()) {
            // A press that began elsewhere does not press this one: its release sends nothing.
            bool pressed = (keys & MK_LBUTTON) && pressedArea == area;
            area->SetState(pressed ? SkinAreaPressed : SkinAreaHover);
            hotArea = area;
            Redraw(area);
        }
    }
    if (tooltips.IsReady())
        tooltips.RelayEvent(hwnd, WM_MOUSEMOVE, keys, static_cast<short>(x), static_cast<short>(y));
}

void CSDlgSkin::OnMouseClick(UINT msg, UINT keys, int x, int y)
{
    if (!Ready())
        return;
    if (FindArea(x, y) != hotArea)
        OnMouseMove(keys, x, y);
    CSDlgSkinArea* area = hotArea && !hotArea->IsHidden() && hotArea->IsEnabled() ? hotArea : nullptr;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (area) {
            area->SetState(SkinAreaPressed);
            pressedArea = area;
            // The release must come here even off the dialog, or the area would stay pressed.
            SetCapture(hwnd);
            Redraw(area);
        }
        break;
    case WM_LBUTTONUP: {
        CSDlgSkinArea* pressed = pressedArea;
        pressedArea = nullptr;
        if (pressed && GetCapture() == hwnd)
            ReleaseCapture();
        if (area && area == pressed) {
            PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(area->GetID(), 0), 0);
            area->SetState(SkinAreaHover);
            Redraw(area);
        }
        break;
    }
    default:
        break;
    }
    if (tooltips.IsReady())
        tooltips.RelayEvent(hwnd, msg, keys, static_cast<short>(x), static_cast<short>(y));
}

int CSDlgSkin::AddArea(CSDlgSkinArea* area)
{
    if (!area)
        return 0;
    const RECT& rect = area->GetRect();
    if (!area->GetID() || FindArea(area->GetID()) || IsRectEmpty(&rect)) {
        delete area;
        return 0;
    }
    areas.AddTail(area);
    if (tooltips.IsReady() && !area->IsHidden())
        tooltips.AddTool(hwnd, area->GetID(), const_cast<RECT*>(&rect));
    Redraw(area);
    return 1;
}

int CSDlgSkin::AddAreas(const SKIN_AREA_METRICS* table)
{
    int added = 0;
    for (int i = 0; table && i < MaxAreas && table[i].id; ++i) {
        if (!ValidArea(table[i]) || FindArea(table[i].id))
            continue;
        added += AddArea(new (std::nothrow) CSDlgSkinArea(&table[i]));
    }
    return added;
}

CSDlgSkinArea* CSDlgSkin::FindArea(int x, int y)
{
    POINT pt = {x, y};
    for (POS__* pos = areas.GetHeadPos(); pos;) {
        auto* area = static_cast<CSDlgSkinArea*>(areas.GetNext(pos));
        if (!area->IsHidden() && PtInRect(&area->GetRect(), pt))
            return area;
    }
    return nullptr;
}

CSDlgSkinArea* CSDlgSkin::FindArea(UINT id)
{
    for (POS__* pos = areas.GetHeadPos(); pos;) {
        auto* area = static_cast<CSDlgSkinArea*>(areas.GetNext(pos));
        if (area->GetID() == id)
            return area;
    }
    return nullptr;
}

void CSDlgSkin::RemoveArea(UINT id)
{
    for (POS__* pos = areas.GetHeadPos(); pos; areas.GetNext(pos)) {
        auto* area = static_cast<CSDlgSkinArea*>(areas.GetAt(pos));
        if (area->GetID() != id)
            continue;
        if (hotArea == area)
            hotArea = nullptr;
        if (pressedArea == area)
            pressedArea = nullptr;
        if (tooltips.IsReady())
            tooltips.DelTool(hwnd, id);
        if (hwnd)
            InvalidateRect(hwnd, &area->GetRect(), TRUE);
        areas.RemoveAt(pos);
        return;
    }
}

void CSDlgSkin::RemoveAreas(const SKIN_AREA_METRICS* table)
{
    for (int i = 0; table && i < MaxAreas && table[i].id; ++i)
        RemoveArea(table[i].id);
}

void CSDlgSkin::MoveArea(UINT id, int dx, int dy)
{
    CSDlgSkinArea* area = FindArea(id);
    if (!area)
        return;
    if (hwnd)
        InvalidateRect(hwnd, &area->GetRect(), TRUE);
    area->Offset(dx, dy);
    if (tooltips.IsReady())
        tooltips.MoveTool(hwnd, id, dx, dy);
    Redraw(area);
}

void CSDlgSkin::MoveAreas(const SKIN_AREA_METRICS* table, int dx, int dy)
{
    for (int i = 0; table && i < MaxAreas && table[i].id; ++i)
        MoveArea(table[i].id, dx, dy);
}

void CSDlgSkin::ShowArea(UINT id, BOOL show)
{
    CSDlgSkinArea* area = FindArea(id);
    if (!area || !area->IsHidden() == !!show)
        return;
    area->SetState(show ? SkinAreaNormal : SkinAreaHidden);
    if (!show && hotArea == area)
        hotArea = nullptr;
    if (tooltips.IsReady()) {
        if (show)
            tooltips.AddTool(hwnd, id, const_cast<RECT*>(&area->GetRect()));
        else
            tooltips.DelTool(hwnd, id);
    }
    Redraw(area);
}

void CSDlgSkin::EnableArea(UINT id, BOOL on)
{
    CSDlgSkinArea* area = FindArea(id);
    if (!area)
        return;
    area->Enable(on);
    if (!on && hotArea == area) {
        hotArea = nullptr;
        area->SetState(SkinAreaNormal);
    }
    Redraw(area);
}

void CSDlgSkin::SetAreaState(UINT id, SkinAreaState state)
{
    if (CSDlgSkinArea* area = FindArea(id)) {
        area->SetState(state);
        Redraw(area);
    }
}

void CSDlgSkin::DrawArea(UINT id)
{
    Redraw(FindArea(id));
}

void CSDlgSkin::FocusArea(UINT id)
{
    for (POS__* pos = areas.GetHeadPos(); pos;) {
        auto* area = static_cast<CSDlgSkinArea*>(areas.GetNext(pos));
        if (area->IsFocus()) {
            area->SetFocus(FALSE);
            Redraw(area);
        }
    }
    if (CSDlgSkinArea* area = id ? FindArea(id) : nullptr) {
        area->SetFocus(TRUE);
        Redraw(area);
    }
}

UINT CSDlgSkin::GetFocusArea()
{
    for (POS__* pos = areas.GetHeadPos(); pos;) {
        auto* area = static_cast<CSDlgSkinArea*>(areas.GetNext(pos));
        if (area->IsFocus())
            return area->GetID();
    }
    return 0;
}

BOOL CSDlgSkin::GetAreaRect(UINT id, RECT* rect)
{
    CSDlgSkinArea* area = FindArea(id);
    if (!area || !rect)
        return FALSE;
    *rect = area->GetRect();
    return TRUE;
}
