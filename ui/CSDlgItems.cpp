// CSDlg's operations on its controls: lookup, state, text, numbers, focus, and placing them.
#include "ui/CSDlg.h"

#include <cstdarg>
#include <new>

#include "sys/TextTrunc.h"
#include "sys/WndUtil.h"
#include "ui/CSCtrl.h"
#include "ui/CSDlgSkin.h"

extern "C" HINSTANCE hiDLL;

namespace {

enum { FormatChars = 1024, StringChars = 512 };

// The module of string strId for a dialog whose own resources are in dialogModule: a
// negative number is this library's; otherwise a null instance means the dialog's own.
HINSTANCE StringModule(int& strId, HINSTANCE instance, HINSTANCE dialogModule)
{
    if (strId < 0) {
        strId = -strId;
        return hiDLL;
    }
    if (instance)
        return instance;
    return dialogModule ? dialogModule : hiDLL;
}

// Ids beyond 16 bits name no string.
void LoadText(HINSTANCE module, int strId, wchar_t* text, int chars)
{
    text[0] = 0;
    if (strId <= 0 || strId > 0xFFFF || LoadStringW(module, static_cast<UINT>(strId), text, chars) <= 0)
        text[0] = 0;
}

// The rectangle in its parent's client coordinates; false when the control is missing.
bool ItemRect(HWND dlg, int id, RECT& rect)
{
    return dlg && GetDlgItemRect(dlg, id, &rect);
}

} // namespace

HWND CSDlg::GetDlgItem(int id)
{
    return hwnd ? ::GetDlgItem(hwnd, id) : nullptr;
}

LRESULT CSDlg::SendDlgItemMsg(int id, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return hwnd ? ::SendDlgItemMsg(hwnd, id, msg, wParam, lParam) : 0;
}

CSCtrl* CSDlg::GetDlgCtrl(int id)
{
    return GetDlgCtrl(GetDlgItem(id));
}

CSCtrl* CSDlg::GetDlgCtrl(HWND ctl)
{
    CSWnd* wnd = ctl ? CSWnd::GetWnd(ctl) : nullptr;
    return wnd && wnd->HasCtrlMarker() ? static_cast<CSCtrl*>(wnd) : nullptr;
}

int CSDlg::GetDlgItemID(HWND ctl)
{
    return ctl ? GetDlgCtrlID(ctl) : 0;
}

void CSDlg::SetDlgDefaulButton(UINT id)
{
    if (hwnd)
        SetDlgDefBtnID(hwnd, id);
}

BOOL CSDlg::EnableDlgItem(int id, BOOL on)
{
    return hwnd ? ::EnableDlgItem(hwnd, id, on) : FALSE;
}

BOOL CSDlg::ShowDlgItem(int id, BOOL show)
{
    return hwnd ? ::ShowDlgItem(hwnd, id, show) : FALSE;
}

void CSDlg::TurnDlgItem(int id, BOOL on)
{
    EnableDlgItem(id, on);
    ShowDlgItem(id, on);
}

BOOL CSDlg::IsDlgItemEnabled(int id)
{
    HWND item = GetDlgItem(id);
    return item && IsWindowEnabled(item);
}

BOOL CSDlg::IsDlgItemVisible(int id)
{
    HWND item = GetDlgItem(id);
    return item && (GetWndStyle(item) & WS_VISIBLE);
}

BOOL CSDlg::SimulateButton(WORD id)
{
    return hwnd ? ::SimulateButton(hwnd, id) : FALSE;
}

BOOL CSDlg::CheckDlgButton(int id, UINT check)
{
    return hwnd ? ::CheckDlgButton(hwnd, id, check) : FALSE;
}

UINT CSDlg::IsDlgButtonChecked(int id)
{
    return hwnd ? ::IsDlgButtonChecked(hwnd, id) : 0;
}

BOOL CSDlg::CheckRadioButton(int first, int last, int check)
{
    return hwnd ? ::CheckRadioButton(hwnd, first, last, check) : FALSE;
}

int CSDlg::GetCheckedRadioButton(int first, int last)
{
    if (!hwnd || first > last)
        return 0;
    for (int id = first; id <= last; ++id) {
        if (::IsDlgButtonChecked(hwnd, id) == BST_CHECKED)
            return id;
        if (id == last)  // last may be INT_MAX
            break;
    }
    return 0;
}

int CSDlg::GetDlgItemTextLength(int id)
{
    HWND item = GetDlgItem(id);
    return item ? GetWindowTextLengthW(item) : 0;
}

int CSDlg::GetDlgItemTextW(int id, wchar_t* text, int cch)
{
    if (!text || cch <= 0)
        return 0;
    text[0] = 0;
    return hwnd ? static_cast<int>(::GetDlgItemTextW(hwnd, id, text, cch)) : 0;
}

BOOL CSDlg::SetDlgItemTextW(int id, const wchar_t* text)
{
    return hwnd ? ::SetDlgItemTextW(hwnd, id, text ? text : L"") : FALSE;
}

BOOL CSDlg::SetDlgItemTextW(int id, int strId, HINSTANCE instance)
{
    HINSTANCE module = StringModule(strId, instance, resInstance);
    wchar_t text[StringChars];
    LoadText(module, strId, text, StringChars);
    return SetDlgItemTextW(id, text);
}

BOOL CSDlg::SetDlgItemTextFmt(int id, const wchar_t* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    BOOL done = SetDlgItemTextV(id, fmt, args);
    va_end(args);
    return done;
}

BOOL CSDlg::SetDlgItemTextFmt(int id, HINSTANCE instance, int strId, ...)
{
    HINSTANCE module = StringModule(strId, instance, resInstance);
    wchar_t format[FormatChars];
    LoadText(module, strId, format, FormatChars);
    va_list args;
    va_start(args, strId);
    BOOL done = SetDlgItemTextV(id, format, args);
    va_end(args);
    return done;
}

BOOL CSDlg::SetDlgItemTextFmtCtrl(int id, ...)
{
    wchar_t format[FormatChars];
    GetDlgItemTextW(id, format, FormatChars);
    va_list args;
    va_start(args, id);
    BOOL done = SetDlgItemTextV(id, format, args);
    va_end(args);
    return done;
}

BOOL CSDlg::SetDlgItemTextV(int id, const wchar_t* fmt, va_list args)
{
    wchar_t text[FormatChars];
    textbuf::FormatV(text, FormatChars, fmt ? fmt : L"", args);
    return SetDlgItemTextW(id, text);
}

UINT CSDlg::GetDlgItemInt(int id, BOOL* ok, BOOL isSigned)
{
    if (ok)
        *ok = FALSE;
    return hwnd ? ::GetDlgItemInt(hwnd, id, ok, isSigned) : 0;
}

BOOL CSDlg::SetDlgItemInt(int id, UINT value, BOOL isSigned)
{
    return hwnd ? ::SetDlgItemInt(hwnd, id, value, isSigned) : FALSE;
}

BOOL CSDlg::GetDlgItemRect(int id, RECT* rect)
{
    return hwnd && rect ? ::GetDlgItemRect(hwnd, id, rect) : FALSE;
}

HWND CSDlg::GetNextDlgTabItem(HWND ctl)
{
    return hwnd ? ::GetNextDlgTabItem(hwnd, ctl, FALSE) : nullptr;
}

HWND CSDlg::GetPrevDlgTabItem(HWND ctl)
{
    return hwnd ? ::GetNextDlgTabItem(hwnd, ctl, TRUE) : nullptr;
}

void CSDlg::NextDlgCtrl()
{
    SendMsg(WM_NEXTDLGCTL, 0, 0);
}

void CSDlg::PrevDlgCtrl()
{
    SendMsg(WM_NEXTDLGCTL, 1, 0);
}

BOOL CSDlg::SetDlgItemFocus(UINT id)
{
    return hwnd ? ::SetDlgItemFocus(hwnd, static_cast<int>(id)) : FALSE;
}

void CSDlg::SetSpinRange(int id, int lower, int upper)
{
    if (hwnd)
        SetDlgItemSpinRange(hwnd, static_cast<unsigned>(id), static_cast<unsigned>(lower), static_cast<unsigned>(upper));
}

void CSDlg::EnableDlgItems(int first, int last, BOOL on)
{
    HWND stop = GetDlgItem(last);
    for (HWND item = GetDlgItem(first); item; item = ::GetWindow(item, GW_HWNDNEXT)) {
        EnableWindow(item, on);
        if (item == stop)
            break;
    }
}

void CSDlg::ShowDlgItems(int first, int last, BOOL show)
{
    HWND stop = GetDlgItem(last);
    for (HWND item = GetDlgItem(first); item; item = ::GetWindow(item, GW_HWNDNEXT)) {
        ShowWindow(item, show ? SW_SHOW : SW_HIDE);
        if (item == stop)
            break;
    }
}

// ---- Layout ----

BOOL CSDlg::MoveCtrl(int id, int x, int y)
{
    HWND item = GetDlgItem(id);
    return item && ::MoveCtrl(item, x, y);
}

BOOL CSDlg::ResizeCtrl(int id, int cx, int cy)
{
    HWND item = GetDlgItem(id);
    return item && ::ResizeCtrl(item, cx, cy);
}

BOOL CSDlg::CenterCtrl(int id, BOOL horizontally, BOOL vertically)
{
    HWND item = GetDlgItem(id);
    return item && ::CenterCtrl(item, horizontally, vertically);
}

BOOL CSDlg::CenterDlgItem(int id, BOOL horizontal, int from, int to)
{
    RECT rect;
    if (!ItemRect(hwnd, id, rect))
        return FALSE;
    if (from == -1 && to == -1) {
        RECT client;
        GetClientRect(hwnd, &client);
        from = horizontal ? client.left : client.top;
        to = horizontal ? client.right : client.bottom;
    }
    if (horizontal)
        return ::MoveCtrl(GetDlgItem(id), from + ((to - from) - (rect.right - rect.left)) / 2, rect.top);
    return ::MoveCtrl(GetDlgItem(id), rect.left, from + ((to - from) - (rect.bottom - rect.top)) / 2);
}

void CSDlg::AlignDlgItems(int first, int last, BOOL horizontal)
{
    RECT head;
    RECT tail;
    if (!ItemRect(hwnd, first, head) || !ItemRect(hwnd, last, tail))
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    int offset = horizontal ? ((client.right - client.left) - (tail.right - head.left)) / 2 - head.left
                            : ((client.bottom - client.top) - (tail.bottom - head.top)) / 2 - head.top;
    if (offset == 0)
        return;
    HWND stop = GetDlgItem(last);
    for (HWND item = GetDlgItem(first); item; item = ::GetWindow(item, GW_HWNDNEXT)) {
        OffsetWnd(item, horizontal ? offset : 0, horizontal ? 0 : offset);
        if (item == stop)
            break;
    }
}

int CSDlg::AdjustHeight(int id)
{
    HWND item = GetDlgItem(id);
    if (!item)
        return 0;
    wchar_t text[FormatChars];
    text[0] = 0;
    GetWindowTextW(item, text, FormatChars);
    RECT client;
    GetClientRect(item, &client);
    RECT measured = {0, 0, client.right - client.left, 0};
    HDC dc = GetDC(item);
    if (!dc)
        return 0;
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(item, WM_GETFONT, 0, 0)));
    DrawTextExW(dc, text, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOFULLWIDTHCHARBREAK, nullptr);
    if (oldFont)
        SelectObject(dc, oldFont);
    ReleaseDC(item, dc);
    int grow = (measured.bottom - measured.top) - (client.bottom - client.top);
    if (grow <= 0)
        return 0;
    ResizeWnd(item, 0, grow);
    ResizeWnd(hwnd, 0, grow);
    return grow;
}

BOOL CSDlg::MoveCtrlToSlot(int id, int slotId)
{
    RECT slot;
    return ItemRect(hwnd, slotId, slot) && MoveCtrl(id, slot.left, slot.top);
}

BOOL CSDlg::MoveResizeCtrlToSlot(int id, int slotId)
{
    RECT slot;
    HWND item = GetDlgItem(id);
    return item && ItemRect(hwnd, slotId, slot) &&
           SetWndPos(item, slot.left, slot.top, slot.right - slot.left, slot.bottom - slot.top);
}

BOOL CSDlg::MoveCtrlEdge(int id, int refId, BOOL right)
{
    RECT rect;
    RECT ref;
    if (!ItemRect(hwnd, id, rect) || !ItemRect(hwnd, refId, ref))
        return FALSE;
    int x = right ? ref.right - (rect.right - rect.left) : ref.left;
    return MoveCtrl(id, x, rect.top);
}

void CSDlg::EraseCtrlBkg(HDC hdc, HWND ctl)
{
    if (skin && skin->IsSkinShown()) {
        skin->DrawCtrlSkinBkg(hdc, ctl);
        return;
    }
    RECT rect;
    if (hwnd && GetCtrlRect(ctl, &rect))
        RedrawWindow(hwnd, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CSDlg::CenterWindow(HWND around)
{
    if (hwnd)
        ::CenterWindow(hwnd, around);
}

void CSDlg::CascadeWindow(HWND from)
{
    if (hwnd)
        ::CascadeWindow(hwnd, from);
}
