// ImageBtn and its descriptors: loading the state images, hover tracking and choosing what to draw.
#include "ui/ImageBtn.h"

#include <windowsx.h>

#include "ui/CSDC.h"
#include "ui/CSDlg.h"
#include "ui/SkinMode.h"

namespace {

const COLORREF StripMask = RGB(255, 0, 255);

} // namespace

ImageBtnBmp::ImageBtnBmp(int width, int height, HINSTANCE inst, int bitmapId, WORD stateOrder, DWORD btnFlags)
    : ImageBtnDescriptor()
{
    bmpId = bitmapId;
    order = stateOrder;
    instance = inst;
    cx = width;
    cy = height;
    flags = btnFlags;
}

ImageBtnIcon::ImageBtnIcon(int width, int height, HINSTANCE inst, int normal, int hover, int pressed, int disabled,
                           int focused, DWORD btnFlags)
    : ImageBtnDescriptor()
{
    iconNormal = normal;
    iconHover = hover;
    iconPressed = pressed;
    iconDisabled = disabled;
    iconFocused = focused;
    instance = inst;
    cx = width;
    cy = height;
    flags = btnFlags;
}

ImageBtnIcon::ImageBtnIcon(const SKIN_ICON_BTN_METRICS* metrics) : ImageBtnDescriptor()
{
    if (!metrics)
        return;
    iconNormal = metrics->normal;
    iconHover = metrics->hover;
    iconPressed = metrics->pressed;
    iconDisabled = metrics->disabled;
    iconFocused = metrics->focused;
    instance = GetDllSkin();
    cx = metrics->cx;
    cy = metrics->cy;
    flags = metrics->flags;
}

ImageBtn::ImageBtn()
{
    Reset();
}

ImageBtn::ImageBtn(int cx, int cy, HINSTANCE instance, int bmpId, WORD order, DWORD flags)
{
    Reset();
    LoadBmp(cx, cy, instance, bmpId, order, flags);
}

ImageBtn::ImageBtn(int cx, int cy, HINSTANCE instance, int normal, int hover, int pressed, int disabled, int focused,
                   DWORD flags)
{
    Reset();
    LoadIconW(cx, cy, instance, normal, hover, pressed, disabled, focused, flags);
}

ImageBtn::ImageBtn(const ImageBtnDescriptor& d)
{
    Reset();
    if (d.bmpId)
        LoadBmp(d.cx, d.cy, d.instance, d.bmpId, d.order, d.flags);
    else if (d.iconNormal)
        LoadIconW(d.cx, d.cy, d.instance, d.iconNormal, d.iconHover, d.iconPressed, d.iconDisabled, d.iconFocused,
                  d.flags);
}

void ImageBtn::Reset()
{
    iconMode = FALSE;
    checked = FALSE;
    hovering = FALSE;
    imageWidth = 0;
    imageHeight = 0;
    for (int& index : stateIndex)
        index = -1;
    btnFlags = 0;
    images.Destroy();
}

BOOL ImageBtn::LoadBmp(int cx, int cy, HINSTANCE instance, int bmpId, WORD order, DWORD flags)
{
    Reset();
    imageWidth = cx;
    imageHeight = cy;
    btnFlags = flags;
    if (order == 0)
        order = DefaultOrder;
    for (int state = 0; state < StateCount; ++state)
        stateIndex[state] = ((order >> (3 * state)) & 7) - 1;
    BOOL loaded = images.CreateFromBitmap(cx, cy, StateCount, 0, bmpId, instance, StripMask) >= 0;
    if (loaded && cx > 0) {
        int last = images.BitmapWidth() / cx - 1;
        for (int state = StateHover; state < StateCount; ++state) {
            if (stateIndex[state] > last)
                stateIndex[state] = -1;
        }
    }
    return loaded;
}

BOOL ImageBtn::LoadIconW(int cx, int cy, HINSTANCE instance, int normal, int hover, int pressed, int disabled,
                         int focused, DWORD flags)
{
    Reset();
    iconMode = TRUE;
    imageWidth = cx;
    imageHeight = cy;
    btnFlags = flags;
    if (!images.Create(cx, cy, ILC_COLOR32 | ILC_MASK, StateCount, 0))
        return FALSE;
    // A library normal icon takes the others from the library too.
    if (normal < 0)
        instance = nullptr;
    const int ids[StateCount] = {normal, hover, pressed, disabled, focused};
    BOOL normalLoaded = FALSE;
    int next = 0;
    for (int state = 0; state < StateCount; ++state) {
        if (state != StateNormal && !ids[state])
            continue;
        int added = images.AddIcon(ids[state], instance);
        if (added >= 0)
            stateIndex[state] = next++;
        if (state == StateNormal)
            normalLoaded = added >= 0;
    }
    return normalLoaded;
}

void ImageBtn::Check(BOOL on)
{
    checked = on;
    InvalidateErase(nullptr);
}

void ImageBtn::OnInit()
{
    // A window of an earlier binding may have gone while the mouse was over it.
    hovering = FALSE;
    SendMsg(BM_SETSTYLE, BS_OWNERDRAW, TRUE);
}

LRESULT ImageBtn::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CSCtrl::OnWndMessage(msg, wParam, lParam);
    switch (msg) {
    case WM_SETCURSOR:
        return KeepHandCursor(hovering, result);
    case WM_MOUSEMOVE: {
        if (!hwnd)
            break;
        POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (dialog && dialog->GetHandle()) {
            MapWindowPoints(hwnd, dialog->GetHandle(), &point, 1);
            dialog->OnMouseMove(static_cast<UINT>(wParam), point.x, point.y);
        }
        SetHover(hovering, TRUE);
        break;
    }
    case WM_MOUSELEAVE:
        SetHover(hovering, FALSE);
        break;
    default:
        break;
    }
    return result;
}

void ImageBtn::EraseItem(HDC hdc, const RECT& rect)
{
    HWND parent = ::GetParent(hwnd);
    HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORBTN,
                                                                  reinterpret_cast<WPARAM>(hdc),
                                                                  reinterpret_cast<LPARAM>(hwnd)))
                          : nullptr;
    FillRect(hdc, &rect, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
}

void ImageBtn::OnDrawItem(DRAWITEMSTRUCT* dis)
{
    if (!dis || !dis->hDC)
        return;
    CSDC dc(dis->hDC, TRUE);
    const RECT& item = dis->rcItem;
    bool pressed = (dis->itemState & ODS_SELECTED) != 0;
    bool disabled = (dis->itemState & ODS_DISABLED) != 0;
    bool focused = (dis->itemState & ODS_FOCUS) != 0;
    bool isChecked = checked || SendMsg(BM_GETCHECK, 0, 0) == BST_CHECKED;
    bool mayFocus = focused && !disabled && !(btnFlags & FlagNoFocus);

    int x = item.left;
    int y = item.top;
    if (btnFlags & FlagCenterH)
        x += (item.right - item.left - imageWidth) / 2;
    if (btnFlags & FlagCenterV)
        y += (item.bottom - item.top - imageHeight) / 2;

    // Transparent images are drawn over what the last drawing left unless it is cleared.
    EraseItem(dc, item);
    if (!images.IsReady())
        return;

    if (iconMode) {
        int index;
        if (mayFocus)
            index = stateIndex[StateFocused];
        else if (!pressed && !isChecked && !disabled && !hovering)
            index = stateIndex[StateNormal];
        else if (pressed || isChecked)
            index = stateIndex[StatePressed];
        else if (!disabled)
            index = stateIndex[StateHover];
        else
            index = stateIndex[StateDisabled];
        if (index < 0)
            index = stateIndex[StateNormal];
        images.Draw(index, dc, x, y, ILD_TRANSPARENT);
        return;
    }

    images.Draw(stateIndex[StateNormal], dc, x, y, ILD_TRANSPARENT);
    if (hovering && !disabled && stateIndex[StateHover] >= 0)
        images.Draw(stateIndex[StateHover], dc, x, y, ILD_TRANSPARENT);
    if (pressed || isChecked) {
        if (stateIndex[StatePressed] >= 0)
            images.Draw(stateIndex[StatePressed], dc, x, y, ILD_TRANSPARENT);
    } else if (disabled && stateIndex[StateDisabled] >= 0) {
        images.Draw(stateIndex[StateDisabled], dc, x, y, ILD_TRANSPARENT);
    }
    if (mayFocus && stateIndex[StateFocused] >= 0)
        images.Draw(stateIndex[StateFocused], dc, x, y, ILD_TRANSPARENT);
}
