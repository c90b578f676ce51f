// CSWnd's thin operations on its window: painting, messages, focus, text, styles, icons.
#include "ui/CSWnd.h"

#include "product/ProductInfo.h"
#include "sys/CommonDlg.h"
#include "sys/PathUtil.h"
#include "sys/WndUtil.h"

#include <cstdarg>
#include <cwchar>

extern "C" HINSTANCE hiDLL;

namespace {

enum { TextChars = 1024 };

// The format from a string resource; an empty text when the string is missing.
void LoadFormat(HINSTANCE instance, UINT id, wchar_t* buffer)
{
    int number = static_cast<int>(id);
    ProductInfo::ConvertResourceId(number, instance);
    buffer[0] = 0;
    if (LoadStringW(instance, static_cast<UINT>(number), buffer, TextChars) <= 0)
        buffer[0] = 0;
}

// msvcrt's formatter: Windows conventions (%s is wide), no terminator when it truncates.
void FormatText(wchar_t* buffer, const wchar_t* fmt, va_list args)
{
    _vsnwprintf(buffer, TextChars - 1, fmt, args);
    buffer[TextChars - 1] = 0;
}

} // namespace

BOOL CSWnd::Redraw()
{
    return hwnd ? RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME)
                : FALSE;
}

BOOL CSWnd::Invalidate(const RECT* rect, BOOL erase)
{
    return hwnd ? InvalidateRect(hwnd, rect, erase) : FALSE;
}

BOOL CSWnd::InvalidateErase(const RECT* rect)
{
    return Invalidate(rect, TRUE);
}

BOOL CSWnd::Validate(const RECT* rect)
{
    return hwnd ? ValidateRect(hwnd, rect) : FALSE;
}

BOOL CSWnd::InvalidateUpdate(const RECT* rect, BOOL erase)
{
    if (!Invalidate(rect, erase))
        return FALSE;
    return UpdateWindow(hwnd);
}

LRESULT CSWnd::SendMsg(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return hwnd ? SendMessageW(hwnd, msg, wParam, lParam) : 0;
}

BOOL CSWnd::PostMsg(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return hwnd ? PostMessageW(hwnd, msg, wParam, lParam) : FALSE;
}

BOOL CSWnd::PostCmd(WORD id, HWND ctl, WORD code)
{
    return PostMsg(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(ctl));
}

BOOL CSWnd::HasFocus()
{
    return hwnd && ::GetFocus() == hwnd;
}

HWND CSWnd::SetFocus()
{
    return hwnd ? ::SetFocus(hwnd) : nullptr;
}

BOOL CSWnd::Enable(BOOL on)
{
    return hwnd ? EnableWindow(hwnd, on) : FALSE;
}

BOOL CSWnd::Show(BOOL show)
{
    return hwnd ? ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE) : FALSE;
}

int CSWnd::GetTextLength()
{
    return hwnd ? GetWindowTextLengthW(hwnd) : 0;
}

int CSWnd::GetText(wchar_t* buffer, int chars)
{
    if (!buffer || chars <= 0)
        return 0;
    buffer[0] = 0;
    return hwnd ? GetWindowTextW(hwnd, buffer, chars) : 0;
}

BOOL CSWnd::SetText(const wchar_t* text)
{
    return hwnd ? SetWindowTextW(hwnd, text) : FALSE;
}

DWORD CSWnd::GetStyle(BOOL ex)
{
    return hwnd ? GetWndStyle(hwnd, ex ? GWL_EXSTYLE : GWL_STYLE) : 0;
}

DWORD CSWnd::SetStyle(DWORD style, BOOL ex)
{
    return hwnd ? SetWndStyle(hwnd, style, ex ? GWL_EXSTYLE : GWL_STYLE) : 0;
}

DWORD CSWnd::SetStyleBits(DWORD bits, BOOL on)
{
    DWORD style = GetStyle(FALSE);
    return SetStyle(on ? (style | bits) : (style & ~bits), FALSE);
}

DWORD CSWnd::ModifyStyle(DWORD remove, DWORD add, BOOL ex)
{
    DWORD style = GetStyle(ex);
    return SetStyle((style & ~remove) | add, ex);
}

HWND CSWnd::GetParent()
{
    return hwnd ? ::GetParent(hwnd) : nullptr;
}

HFONT CSWnd::GetFont()
{
    return reinterpret_cast<HFONT>(SendMsg(WM_GETFONT, 0, 0));
}

void CSWnd::SetIcon(HICON icon, UINT which)
{
    if (which & 1)
        SendMsg(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    if (which & 2)
        SendMsg(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

BOOL CSWnd::SetTextFmt(const wchar_t* fmt, ...)
{
    wchar_t text[TextChars];
    va_list args;
    va_start(args, fmt);
    FormatText(text, fmt ? fmt : L"", args);
    va_end(args);
    return SetText(text);
}

BOOL CSWnd::SetTextFmt(HINSTANCE instance, UINT id, ...)
{
    wchar_t format[TextChars];
    LoadFormat(instance, id, format);
    wchar_t text[TextChars];
    va_list args;
    va_start(args, id);
    FormatText(text, format, args);
    va_end(args);
    return SetText(text);
}

BOOL CSWnd::SetText(UINT id, ...)
{
    wchar_t format[TextChars];
    LoadFormat(nullptr, id, format);
    wchar_t text[TextChars];
    va_list args;
    va_start(args, id);
    FormatText(text, format, args);
    va_end(args);
    return SetText(text);
}

void CSWnd::EnableAllControls(BOOL on)
{
    // EnumChildWindows with no parent would walk every top-level window.
    if (hwnd)
        EnumChildWindows(hwnd, EnableAllControlsCallBack, static_cast<LPARAM>(on));
}

BOOL CALLBACK CSWnd::EnableAllControlsCallBack(HWND child, LPARAM on)
{
    wchar_t cls[32];
    if (!GetClassNameW(child, cls, 32) || _wcsicmp(cls, L"Static") != 0)
        EnableWindow(child, static_cast<BOOL>(on));
    return TRUE;
}

HWND CSWnd::GetTopParent()
{
    HWND top = hwnd;
    for (HWND up = top ? ::GetParent(top) : nullptr; up; up = ::GetParent(up))
        top = up;
    return top;
}

int CSWnd::OnBrowseForFile(int mode, const wchar_t* filter, const wchar_t* defExt, const wchar_t* title,
                           const wchar_t* initialDir, UINT flags)
{
    wchar_t path[MAX_PATH] = {};
    if (!hwnd)
        return 0;
    GetWindowTextW(hwnd, path, MAX_PATH);
    if (path[0])
        MakeFullPathName(path, nullptr, MAX_PATH);
    if (!BrowseForFile(hwnd, mode, path, title, initialDir, filter, defExt, flags))
        return 0;
    SetWindowTextW(hwnd, path);
    return 1;
}

int CSWnd::OnBrowseForFolder(const wchar_t* title, UINT flags)
{
    wchar_t path[MAX_PATH] = {};
    if (!hwnd)
        return 0;
    GetWindowTextW(hwnd, path, MAX_PATH);
    if (path[0])
        MakeFullPathName(path, nullptr, MAX_PATH);
    if (!BrowseForFolder(hwnd, path, title, flags))
        return 0;
    SetWindowTextW(hwnd, path);
    return 1;
}
