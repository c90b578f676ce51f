// TooltipCtrl: creating the tooltip window and its tool messages.
#include "ui/TooltipCtrl.h"

#include "sys/WndUtil.h"

namespace {

// The tool record every tool of ours uses: the version-2 size, and the text callback.
TOOLINFOW ToolInfo(HWND wnd, UINT_PTR id, UINT flags)
{
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = flags;
    info.hwnd = wnd;
    info.uId = id;
    info.lpszText = LPSTR_TEXTCALLBACKW;
    return info;
}

} // namespace

TooltipCtrl::TooltipCtrl() = default;

TooltipCtrl::~TooltipCtrl()
{
    Destroy();
}

int TooltipCtrl::Create(HWND owner, DWORD style)
{
    if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, L"Tooltip", style | WS_POPUP, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner))
        return 0;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWndZOrder(hwnd, HWND_TOPMOST);
    return 1;
}

int TooltipCtrl::AddTool(HWND wnd, UINT id, RECT* rc)
{
    TOOLINFOW info = ToolInfo(wnd, id, 0);
    if (rc)
        info.rect = *rc;
    else if (wnd)
        GetClientRect(wnd, &info.rect);
    return static_cast<int>(SendMsg(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

int TooltipCtrl::AddToolWnd(HWND wnd, HWND tool)
{
    TOOLINFOW info = ToolInfo(wnd, reinterpret_cast<UINT_PTR>(tool), TTF_IDISHWND);
    return static_cast<int>(SendMsg(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void TooltipCtrl::DelTool(HWND wnd, UINT id)
{
    TOOLINFOW info = ToolInfo(wnd, id, 0);
    SendMsg(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

int TooltipCtrl::MoveTool(HWND wnd, UINT id, int dx, int dy)
{
    // The tooltip copies a tool's own text here, or names the callback: written back as read.
    wchar_t text[1024] = {};
    TOOLINFOW info = ToolInfo(wnd, id, 0);
    info.lpszText = text;
    if (!SendMsg(TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)))
        return 0;
    OffsetRect(&info.rect, dx, dy);
    SendMsg(TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info));
    return 1;
}

void TooltipCtrl::Activate(BOOL on)
{
    SendMsg(TTM_ACTIVATE, static_cast<WPARAM>(on), 0);
}

int TooltipCtrl::GetCount()
{
    return static_cast<int>(SendMsg(TTM_GETTOOLCOUNT, 0, 0));
}

void TooltipCtrl::HideTip()
{
    SendMsg(TTM_POP, 0, 0);
}

void TooltipCtrl::RelayEvent(MSG* msg)
{
    if (msg)
        SendMsg(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}

void TooltipCtrl::RelayEvent(HWND wnd, UINT message, WPARAM wParam, short x, short y)
{
    MSG msg = {};
    msg.hwnd = wnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = MAKELPARAM(x, y);
    SendMsg(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}
