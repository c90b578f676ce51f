// Window helpers: placement, styles, child controls, dialog items, messages, text measurement,
// class tests and menu texts.
#include "sys/WndUtil.h"

#include <commctrl.h>

#include <cwchar>
#include <new>

#include "product/ProductInfo.h"
#include "sys/RegKey.h"
#include "sys/StrUtil.h"
#include "sys/TextTrunc.h"

namespace {

const UINT KeepOrder = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// The window's rectangle in the coordinates SetWindowPos expects for it.
bool PlacementRect(HWND hwnd, RECT& rect)
{
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &rect))
        return false;
    if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) {
        HWND parent = GetParent(hwnd);
        if (parent)
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    }
    return true;
}

// Keeps the left-top corner so that a w by h window stays within maxX by maxY (0 at least).
void KeepInside(int& x, int& y, int w, int h, int maxX, int maxY)
{
    if (x + w > maxX)
        x = maxX - w;
    if (x < 0)
        x = 0;
    if (y + h > maxY)
        y = maxY - h;
    if (y < 0)
        y = 0;
}

HFONT WindowFont(HWND hwnd)
{
    HFONT font = hwnd ? reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)) : nullptr;
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// A device context of the window with its font selected, for measuring.
class MeasureDC {
public:
    explicit MeasureDC(HWND hwnd) : window(hwnd), dc(GetDC(hwnd)), oldFont(nullptr)
    {
        if (dc)
            oldFont = SelectObject(dc, WindowFont(hwnd));
    }
    ~MeasureDC()
    {
        if (dc) {
            SelectObject(dc, oldFont);
            ReleaseDC(window, dc);
        }
    }
    MeasureDC(const MeasureDC&) = delete;
    MeasureDC& operator=(const MeasureDC&) = delete;

    int Width(const wchar_t* text, int length)
    {
        SIZE size = {0, 0};
        if (dc && length > 0)
            GetTextExtentPoint32W(dc, text, length, &size);
        return size.cx;
    }
    SIZE Extent(const wchar_t* text, int length)
    {
        SIZE size = {0, 0};
        if (dc)
            GetTextExtentPoint32W(dc, text ? text : L"", length, &size);
        return size;
    }

private:
    HWND window;
    HDC dc;
    HGDIOBJ oldFont;
};

bool IsPushButton(HWND button)
{
    if (!button || !IsClassName(button, L"Button"))
        return false;
    LONG_PTR type = GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

} // namespace

// ---- Placement ----

void CenterWindow(HWND hwnd, HWND parent)
{
    RECT rect;
    RECT around;
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &rect))
        return;
    if (!parent || !GetWindowRect(parent, &around))
        GetWindowRect(GetDesktopWindow(), &around);
    int w = rect.right - rect.left;
    int h = rect.bottom - rect.top;
    int x = around.left + ((around.right - around.left) - w) / 2;
    int y = around.top + ((around.bottom - around.top) - h) / 2;
    HDC dc = GetDC(hwnd);
    int screenX = dc ? GetDeviceCaps(dc, HORZRES) : GetSystemMetrics(SM_CXSCREEN);
    int screenY = dc ? GetDeviceCaps(dc, VERTRES) : GetSystemMetrics(SM_CYSCREEN);
    if (dc)
        ReleaseDC(hwnd, dc);
    KeepInside(x, y, w, h, screenX, screenY);
    POINT origin = {x, y};
    if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) && GetParent(hwnd))
        ScreenToClient(GetParent(hwnd), &origin);
    SetWindowPos(hwnd, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | KeepOrder);
}

void MoveWindowToMouse(HWND hwnd)
{
    RECT rect;
    POINT cursor;
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &rect) || !GetCursorPos(&cursor))
        return;
    int x = cursor.x;
    int y = cursor.y;
    KeepInside(x, y, rect.right - rect.left, rect.bottom - rect.top, GetSystemMetrics(SM_CXMAXIMIZED),
               GetSystemMetrics(SM_CYMAXIMIZED));
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | KeepOrder);
}

void CascadeWindow(HWND hwnd, HWND parent)
{
    RECT rect;
    RECT around;
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &rect))
        return;
    if (!parent || !GetWindowRect(parent, &around))
        GetWindowRect(GetDesktopWindow(), &around);
    int x = around.left + GetSystemMetrics(SM_CXVSCROLL);
    int y = around.top + GetSystemMetrics(SM_CYCAPTION);
    KeepInside(x, y, rect.right - rect.left, rect.bottom - rect.top, GetSystemMetrics(SM_CXMAXIMIZED),
               GetSystemMetrics(SM_CYMAXIMIZED));
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | KeepOrder);
}

void WndStorePosition(HWND hwnd, const wchar_t* prefix)
{
    RECT rect;
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &rect))
        return;
    RegKey key(GetProductInfo()->GetAppRootKey(), 1);
    if (!key.IsOpen())
        return;
    key.PutDwordPrefix(prefix, L"posLeft", static_cast<unsigned long>(rect.left));
    key.PutDwordPrefix(prefix, L"posTop", static_cast<unsigned long>(rect.top));
}

void WndRestorePosition(HWND hwnd, const wchar_t* prefix)
{
    RECT rect;
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &rect))
        return;
    RegKey key(GetProductInfo()->GetAppRootKey(), 0);
    if (!key.IsOpen())
        return;
    int left = static_cast<int>(key.GetDwordPrefix(prefix, L"posLeft", static_cast<unsigned long>(rect.left)));
    int top = static_cast<int>(key.GetDwordPrefix(prefix, L"posTop", static_cast<unsigned long>(rect.top)));
    int halfWidth = (rect.right - rect.left) / 2;
    int halfHeight = (rect.bottom - rect.top) / 2;
    int screenX = GetSystemMetrics(SM_CXSCREEN);
    int screenY = GetSystemMetrics(SM_CYSCREEN);
    if (left + halfWidth > screenX)
        left = screenX - halfWidth;
    if (left + halfWidth < 0)
        left = -halfWidth;
    if (top + halfHeight > screenY)
        top = screenY - halfHeight;
    if (top < 0)
        top = 0;
    SetWndOrigin(hwnd, left, top);
}

// ---- Thin wrappers ----

BOOL OffsetWnd(HWND hwnd, int dx, int dy)
{
    RECT rect;
    return PlacementRect(hwnd, rect) && SetWndOrigin(hwnd, rect.left + dx, rect.top + dy);
}

BOOL ResizeWnd(HWND hwnd, int dx, int dy)
{
    RECT rect;
    return PlacementRect(hwnd, rect) &&
           SetWndSize(hwnd, rect.right - rect.left + dx, rect.bottom - rect.top + dy);
}

BOOL SetWndPos(HWND hwnd, int x, int y, int cx, int cy)
{
    return SetWindowPos(hwnd, nullptr, x, y, cx, cy, KeepOrder);
}

BOOL SetWndSize(HWND hwnd, int cx, int cy)
{
    return SetWindowPos(hwnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | KeepOrder);
}

BOOL SetWndOrigin(HWND hwnd, int x, int y)
{
    return SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | KeepOrder);
}

BOOL SetWndShow(HWND hwnd, BOOL show)
{
    return SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                        SWP_NOMOVE | SWP_NOSIZE | KeepOrder | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

BOOL SetWndZOrder(HWND hwnd, HWND after)
{
    return SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HWND GetTopParent(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return nullptr;
    // Bounded, so that a broken chain cannot hold the caller forever.
    for (int depth = 0; depth < 1000; ++depth) {
        HWND parent = GetParent(hwnd);
        if (!parent)
            break;
        hwnd = parent;
    }
    return hwnd;
}

DWORD GetWndStyle(HWND hwnd, int index)
{
    return static_cast<DWORD>(GetWindowLongPtrW(hwnd, index));
}

DWORD SetWndStyle(HWND hwnd, DWORD style, int index)
{
    return static_cast<DWORD>(SetWindowLongPtrW(hwnd, index, static_cast<LONG_PTR>(style)));
}

BOOL ModifyWndStyle(HWND hwnd, int index, DWORD remove, DWORD add, UINT swpFlags)
{
    if (!IsWindow(hwnd))
        return FALSE;
    DWORD style = GetWndStyle(hwnd, index);
    DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    SetWndStyle(hwnd, changed, index);
    if (swpFlags)
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | KeepOrder | SWP_FRAMECHANGED | swpFlags);
    return TRUE;
}

BOOL ModifyStyle(HWND hwnd, DWORD remove, DWORD add, UINT swpFlags)
{
    return ModifyWndStyle(hwnd, GWL_STYLE, remove, add, swpFlags);
}

// ---- Child controls ----

BOOL GetCtrlRect(HWND ctrl, RECT* rect)
{
    if (!rect)
        return FALSE;
    RECT placed;
    if (!IsWindow(ctrl) || !GetWindowRect(ctrl, &placed))
        return FALSE;
    HWND parent = GetParent(ctrl);
    if (parent)
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    *rect = placed;
    return TRUE;
}

BOOL CenterCtrl(HWND ctrl, BOOL horizontally, BOOL vertically)
{
    RECT rect;
    RECT client;
    HWND parent = GetParent(ctrl);
    if (!parent || !GetCtrlRect(ctrl, &rect) || !GetClientRect(parent, &client))
        return FALSE;
    int x = rect.left;
    int y = rect.top;
    if (horizontally)
        x = (client.right - (rect.right - rect.left)) / 2;
    if (vertically)
        y = (client.bottom - (rect.bottom - rect.top)) / 2;
    return SetWndOrigin(ctrl, x, y);
}

BOOL MoveCtrl(HWND ctrl, int x, int y)
{
    return IsWindow(ctrl) && SetWndOrigin(ctrl, x, y);
}

BOOL ResizeCtrl(HWND ctrl, int cx, int cy)
{
    return IsWindow(ctrl) && SetWndSize(ctrl, cx, cy);
}

BOOL CenterDlgItem(HWND dlg, int id, BOOL horizontally, BOOL vertically)
{
    return CenterCtrl(GetDlgItem(dlg, id), horizontally, vertically);
}

BOOL MoveDlgItem(HWND dlg, int id, int x, int y)
{
    return MoveCtrl(GetDlgItem(dlg, id), x, y);
}

BOOL ResizeDlgItem(HWND dlg, int id, int cx, int cy)
{
    return ResizeCtrl(GetDlgItem(dlg, id), cx, cy);
}

BOOL GetDlgItemRect(HWND dlg, int id, RECT* rect)
{
    return GetCtrlRect(GetDlgItem(dlg, id), rect);
}

// ---- Dialog items ----

BOOL EnableDlgItem(HWND dlg, int id, BOOL enable)
{
    HWND item = GetDlgItem(dlg, id);
    if (!item)
        return FALSE;
    EnableWindow(item, enable);
    return TRUE;
}

BOOL ShowDlgItem(HWND dlg, int id, BOOL show)
{
    HWND item = GetDlgItem(dlg, id);
    if (!item)
        return FALSE;
    ShowWindow(item, show ? SW_SHOW : SW_HIDE);
    return TRUE;
}

BOOL SetDlgItemFocus(HWND dlg, int id)
{
    HWND item = GetDlgItem(dlg, id);
    if (!item)
        return FALSE;
    SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    return TRUE;
}

LRESULT SendDlgItemMsg(HWND dlg, int id, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageW(dlg, id, msg, wParam, lParam);
}

UINT GetDlgDefBtnID(HWND dlg)
{
    if (!IsWindow(dlg))
        return 0;
    LRESULT result = SendMessageW(dlg, DM_GETDEFID, 0, 0);
    return HIWORD(result) == DC_HASDEFID ? LOWORD(result) : 0;
}

void SetDlgDefBtnID(HWND dlg, UINT id)
{
    if (!IsWindow(dlg))
        return;
    UINT old = GetDlgDefBtnID(dlg);
    if (old && old != id) {
        HWND oldButton = GetDlgItem(dlg, static_cast<int>(old));
        if (IsPushButton(oldButton))
            SendMessageW(oldButton, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    SendMessageW(dlg, DM_SETDEFID, id, 0);
    HWND button = GetDlgItem(dlg, static_cast<int>(id));
    if (IsPushButton(button))
        SendMessageW(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void SetDlgItemSpinRange(HWND dlg, unsigned id, unsigned lower, unsigned upper)
{
    SendDlgItemMessageW(dlg, static_cast<int>(id), UDM_SETRANGE, 0,
                        MAKELPARAM(static_cast<WORD>(upper), static_cast<WORD>(lower)));
}

void CheckDlgIDs(HWND dlg, const UINT* ids, int count, UINT check)
{
    if (!ids)
        return;
    for (int i = 0; i < count; ++i)
        CheckDlgButton(dlg, static_cast<int>(ids[i]), check);
}

// ---- Messages ----

LRESULT SendMsg(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendMessageW(hwnd, msg, wParam, lParam);
}

BOOL PostMsg(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return PostMessageW(hwnd, msg, wParam, lParam);
}

LRESULT SendCommand(HWND hwnd, UINT id, UINT code, HWND ctrl)
{
    return SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(ctrl));
}

BOOL PostCommand(HWND hwnd, UINT id, UINT code, HWND ctrl)
{
    return PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(ctrl));
}

BOOL SimulateButton(HWND dlg, UINT id)
{
    HWND button = GetDlgItem(dlg, static_cast<int>(id));
    if (!button || !IsWindowEnabled(button))
        return FALSE;
    SendCommand(dlg, id, BN_CLICKED, button);
    return TRUE;
}

LRESULT SendMyCompanyMsg(HWND hwnd, unsigned wParam, long lParam)
{
    if (!hwnd)
        return 0;
    return SendMessageW(hwnd, ProductInfo::GetMyMessage(), wParam, lParam);
}

// ---- Text measurement ----

BOOL FitText(wchar_t* text, int width, HWND hwnd)
{
    if (!text || !*text)
        return FALSE;
    MeasureDC dc(hwnd);
    int length = static_cast<int>(wcslen(text));
    if (dc.Width(text, length) <= width)
        return FALSE;
    const wchar_t ellipsis[] = L"...";
    int ellipsisWidth = dc.Width(ellipsis, 3);
    // The longest beginning that fits with the ellipsis after it.
    int low = 0;
    int high = length - 1;
    while (low < high) {
        int mid = low + (high - low + 1) / 2;
        if (dc.Width(text, mid) + ellipsisWidth <= width)
            low = mid;
        else
            high = mid - 1;
    }
    int keep = low;
    if (keep > 0 && IS_HIGH_SURROGATE(text[keep - 1]))
        --keep;
    // The ellipsis replaces at least one character, so the text never grows.
    int room = length - keep;
    int dots = room < 3 ? room : 3;
    for (int i = 0; i < dots; ++i)
        text[keep + i] = L'.';
    text[keep + dots] = 0;
    return TRUE;
}

SIZE GetWndTextSize(HWND hwnd, const wchar_t* text)
{
    SIZE size = {0, 0};
    MeasureDC dc(hwnd);
    if (text)
        return dc.Extent(text, static_cast<int>(wcslen(text)));
    int length = hwnd ? GetWindowTextLengthW(hwnd) : 0;
    wchar_t* own = new (std::nothrow) wchar_t[length + 1];
    if (!own)
        return size;
    own[0] = 0;
    if (length)
        GetWindowTextW(hwnd, own, length + 1);
    size = dc.Extent(own, static_cast<int>(wcslen(own)));
    delete[] own;
    return size;
}

int GetWndTextWidth(HWND hwnd, const wchar_t* text)
{
    return GetWndTextSize(hwnd, text).cx;
}

// ---- Class tests ----

BOOL IsClassName(HWND hwnd, const wchar_t* name)
{
    wchar_t className[256];
    if (!hwnd || !name || !GetClassNameW(hwnd, className, 256))
        return FALSE;
    return CompareStringOrdinal(className, -1, name, -1, TRUE) == CSTR_EQUAL;
}

BOOL IsWndClass(HWND hwnd, const wchar_t* name)
{
    if (IsClassName(hwnd, name))
        return TRUE;
    wchar_t className[256];
    if (!hwnd || !name || !RealGetWindowClassW(hwnd, className, 256))
        return FALSE;
    className[255] = 0;
    return CompareStringOrdinal(className, -1, name, -1, TRUE) == CSTR_EQUAL;
}

// ---- Menu texts ----

wchar_t* RemoveMenuChar(wchar_t* s)
{
    if (!s)
        return s;
    wchar_t* out = s;
    for (const wchar_t* in = s; *in; ++in) {
        if (*in == L'&') {
            if (in[1] != L'&')
                continue;
            ++in;  // "&&" stands for one "&"
        }
        *out++ = *in;
    }
    *out = 0;
    return s;
}

wchar_t* MakeNameFromMenu(wchar_t* dst, const wchar_t* src, int dstChars)
{
    if (!dst || dstChars < 1)
        return dst;
    // Worked on whole, so that markers and the ellipsis do not take room from the name.
    size_t sourceLength = src ? wcslen(src) : 0;
    wchar_t* name = new (std::nothrow) wchar_t[sourceLength + 1];
    if (!name) {
        dst[0] = 0;
        return dst;
    }
    wmemcpy(name, src ? src : L"", sourceLength + 1);
    wchar_t* tab = wcschr(name, L'\t');
    if (tab)
        *tab = 0;
    RemoveMenuChar(name);
    TrimStr(name);
    size_t length = wcslen(name);
    if (length >= 3 && wcscmp(name + length - 3, L"...") == 0)
        name[length - 3] = 0;
    else if (length && name[length - 1] == 0x2026)  // the one-character ellipsis
        name[length - 1] = 0;
    TrimStr(name);
    textbuf::Copy(dst, dstChars, name);
    delete[] name;
    return dst;
}

wchar_t GetMenuItemChar(const wchar_t* text)
{
    if (!text)
        return 0;
    for (const wchar_t* p = text; *p; ++p) {
        if (*p != L'&')
            continue;
        if (p[1] == L'&') {
            ++p;
            continue;
        }
        return p[1] ? CharToUpper(p[1]) : 0;
    }
    return 0;
}
