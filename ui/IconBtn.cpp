// IconBtn: the shared drawing resources, check state, link hovering and drawing of icon and caption.
#include "ui/IconBtn.h"

#include <windowsx.h>

#include <initializer_list>

#include "sys/WndUtil.h"
#include "ui/CSDC.h"
#include "ui/CSDlg.h"

DWORD IconBtn::dwRefCount = 0;
COLORREF IconBtn::rgbGray = 0;
COLORREF IconBtn::rgbText[2] = {0, 0};
COLORREF IconBtn::rgbBk[2] = {0, 0};
HBRUSH IconBtn::hbr[2] = {nullptr, nullptr};
COLORREF IconBtn::rgbLink[2] = {0xBB0000, 0xFFFFFF};
COLORREF IconBtn::rgbHover = 0x0000BB;
HFONT IconBtn::hFont = nullptr;
SIZE IconBtn::sizeIcon = {16, 16};
SIZE IconBtn::sizeGap = {2, 2};
HPEN IconBtn::penLt = nullptr;
HPEN IconBtn::penDk = nullptr;
HPEN IconBtn::penHover = nullptr;

namespace {

const int CaptionChars = 128;

} // namespace

IconBtn::IconBtn(UINT iconId, DWORD style, int x, int y)
    : contentX(x), contentY(y), checkState(0), btnStyle(style), hovering(FALSE)
{
    if (iconId)
        icon.Load(static_cast<int>(iconId), TRUE, FALSE);
}

IconBtn::~IconBtn()
{
    // Still counted: bound by Init and its window not gone yet.
    if (dialog)
        ReleaseSharedRef();
}

void IconBtn::AddSharedRef()
{
    if (dwRefCount++ > 0)
        return;
    rgbGray = GetSysColor(COLOR_GRAYTEXT);
    rgbText[0] = rgbText[1] = GetSysColor(COLOR_BTNTEXT);
    rgbBk[0] = GetSysColor(COLOR_BTNFACE);
    rgbBk[1] = GetSysColor(COLOR_BTNHIGHLIGHT);
    hbr[0] = CreateSolidBrush(rgbBk[0]);
    hbr[1] = CreateSolidBrush(rgbBk[1]);
    hFont = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    penLt = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    penDk = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
    penHover = CreatePen(PS_SOLID, 1, rgbHover);
}

void IconBtn::ReleaseSharedRef()
{
    if (dwRefCount == 0 || --dwRefCount > 0)
        return;
    for (HBRUSH& brush : hbr) {
        if (brush)
            DeleteObject(brush);
        brush = nullptr;
    }
    for (HPEN* pen : {&penLt, &penDk, &penHover}) {
        if (*pen)
            DeleteObject(*pen);
        *pen = nullptr;
    }
    // A stock font is not deleted.
    hFont = nullptr;
}

void IconBtn::OnInit()
{
    // A window of an earlier binding may have gone while the mouse was over it.
    hovering = FALSE;
    SendMsg(BM_SETSTYLE, BS_OWNERDRAW, TRUE);
    AddSharedRef();
}

void IconBtn::OnPostNcDestroy()
{
    bool counted = dialog != nullptr;
    CSCtrl::OnPostNcDestroy();
    if (counted)
        ReleaseSharedRef();
}

LRESULT IconBtn::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CSCtrl::OnWndMessage(msg, wParam, lParam);
    switch (msg) {
    case WM_SETCURSOR:
        return KeepHandCursor(hovering, result);
    case BM_GETCHECK:
    case BM_GETSTATE:
        result = (result & ~static_cast<LRESULT>(1)) | (checkState & 1);
        break;
    case BM_SETCHECK:
        checkState = (checkState & ~1u) | static_cast<DWORD>(wParam & 1);
        InvalidateErase(nullptr);
        break;
    case WM_MOUSEMOVE:
        // (-1, -1): the dialog tells that the mouse has left it.
        if (hwnd && (btnStyle & StyleLink))
            SetHover(hovering, GET_X_LPARAM(lParam) != -1 || GET_Y_LPARAM(lParam) != -1);
        break;
    case WM_MOUSELEAVE:
        if (btnStyle & StyleLink)
            SetHover(hovering, FALSE);
        break;
    default:
        break;
    }
    return result;
}

void IconBtn::DrawButton(HDC hdc, RECT* rect, UINT state)
{
    DrawFrameControl(hdc, rect, DFC_BUTTON, state);
}

void IconBtn::OnDrawItem(DRAWITEMSTRUCT* dis)
{
    if (!dis || !dis->hDC)
        return;
    CSDC dc(dis->hDC, TRUE);
    RECT item = dis->rcItem;
    bool link = (btnStyle & StyleLink) != 0;
    bool pressed = (dis->itemState & ODS_SELECTED) != 0;
    bool disabled = (dis->itemState & ODS_DISABLED) != 0;
    bool focused = (dis->itemState & ODS_FOCUS) != 0;
    bool checked = (checkState & 1) != 0;
    int look = link ? 0 : pressed;

    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, rgbBk[look]);
    if (hFont)
        SelectObject(dc, hFont);

    wchar_t text[CaptionChars + 1] = {};
    wchar_t caption[CaptionChars + 1] = {};
    GetWindowTextW(hwnd, text, CaptionChars + 1);
    MakeNameFromMenu(caption, text, CaptionChars + 1);
    SIZE textSize = {0, 0};
    int captionLength = static_cast<int>(wcslen(caption));
    if (captionLength)
        GetTextExtentPoint32W(dc, caption, captionLength, &textSize);

    bool hasIcon = icon.IsReady();
    int width = textSize.cx;
    int height = textSize.cy;
    if (hasIcon) {
        width += sizeIcon.cx + (captionLength ? sizeGap.cx : 0);
        height = captionLength && textSize.cy > sizeIcon.cy ? textSize.cy : sizeIcon.cy;
    }
    RECT content;
    content.left = item.left + (item.right - item.left - width) / 2;
    content.top = item.top + (item.bottom - item.top - height) / 2;
    if (!(btnStyle & StyleCenterH))
        content.left = contentX;
    if (!(btnStyle & StyleCenterV))
        content.top = contentY;
    content.right = content.left + width;
    content.bottom = content.top + height;
    if ((pressed || checked) && !link)
        OffsetRect(&content, 1, 1);

    if (link) {
        FillRect(dc, &item, hbr[0] ? hbr[0] : GetSysColorBrush(COLOR_BTNFACE));
    } else {
        RECT frame = item;
        UINT state = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
        if (checked)
            state |= DFCS_CHECKED;
        if (pressed)
            state |= DFCS_PUSHED;
        if (disabled)
            state |= DFCS_INACTIVE;
        DrawButton(dc, &frame, state);
    }

    RECT textRect = content;
    if (hasIcon)
        textRect.left += sizeIcon.cx + (captionLength ? sizeGap.cx : 0);
    if (captionLength) {
        const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP;
        if (disabled && !pressed) {
            RECT shadow = textRect;
            OffsetRect(&shadow, 1, 1);
            SetTextColor(dc, RGB(255, 255, 255));
            DrawTextW(dc, caption, captionLength, &shadow, format);
        }
        COLORREF colour = link ? (hovering ? rgbHover : rgbLink[pressed]) : disabled ? rgbGray : rgbText[pressed];
        SetTextColor(dc, colour);
        DrawTextW(dc, caption, captionLength, &textRect, format);
        if (link) {
            HPEN own = hovering ? nullptr : CreatePen(PS_SOLID, 1, colour);
            HPEN pen = hovering ? penHover : own;
            if (pen)
                SelectObject(dc, pen);
            MoveToEx(dc, textRect.left, content.bottom - 2, nullptr);
            LineTo(dc, textRect.left + textSize.cx, content.bottom - 2);
            SelectObject(dc, GetStockObject(BLACK_PEN));
            if (own)
                DeleteObject(own);
        }
    }

    if (focused && !(btnStyle & StyleNoFocus)) {
        RECT focus = item;
        InflateRect(&focus, -1, -1);
        DrawFocusRect(dc, &focus);
    }
    if (hasIcon)
        DrawIconEx(dc, content.left, content.top, icon, sizeIcon.cx, sizeIcon.cy, 0, nullptr, DI_NORMAL);
}
