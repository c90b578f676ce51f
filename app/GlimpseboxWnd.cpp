// GlimpseboxWnd: creation, layout, painting and the interaction of the mirror window.
#include "app/GlimpseboxWnd.h"

#include <windowsx.h>

#include "app/DesktopHooks.h"
#include "app/MirrorOwner.h"
#include "app/ModuleObjects.h"
#include "app/SharedData.h"
#include "product/ProductInfo.h"
#include "ui/CSDC.h"
#include "ui/CSWaitCursor.h"

extern "C" HINSTANCE hiDLL;

namespace {

const DWORD BaseStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_SYSMENU;
const DWORD BaseExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
const DWORD FramedExStyle = BaseExStyle | WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;

// The tooltip record as the common controls of every version take it, and the older size
// that answers when the newer is refused.
const UINT ToolInfoSize = TTTOOLINFOW_V2_SIZE;
const UINT ToolInfoOldSize = TTTOOLINFOW_V1_SIZE;

bool RightButtonDown()
{
    // The physical button that acts as the right one.
    return (GetAsyncKeyState(GetSystemMetrics(SM_SWAPBUTTON) ? VK_LBUTTON : VK_RBUTTON) & 0x8000) != 0;
}

} // namespace

const wchar_t GlimpseboxWnd::ClassName[] = L"Corvantrix_Glimpsebox32";

GlimpseboxWnd::GlimpseboxWnd(MirrorOwner* mirrorOwner)
    : isOpen(0), owner(mirrorOwner), hoverItem(nullptr), hBkgBitmap(nullptr), rcHighlight{}, hwndTooltip(nullptr),
      toolInfo{}, scale{ScaledCell, 75, ScaledCell, 75}, clientSize{}
{
    toolInfo.cbSize = ToolInfoSize;
    toolInfo.hinst = hiDLL;
    CSWnd::RegisterClassExW(ClassName, CS_SAVEBITS, nullptr, nullptr, nullptr, LoadCursorW(nullptr, IDC_ARROW));
}

GlimpseboxWnd::~GlimpseboxWnd()
{
    if (GetHandle() && IsWindow(GetHandle()))
        Destroy();
    ClearItems();
    CSWnd::UnregisterClassW(ClassName);
}

DWORD GlimpseboxWnd::StyleFor(DWORD borderType, DWORD* exStyle)
{
    switch (borderType) {
    case 0:
        *exStyle = FramedExStyle;
        return BaseStyle | WS_CAPTION;
    case 1:
        *exStyle = BaseExStyle;
        return BaseStyle | WS_CAPTION;
    case 2:
        *exStyle = FramedExStyle;
        return BaseStyle | WS_BORDER;
    case 3:
        *exStyle = BaseExStyle;
        return BaseStyle | WS_BORDER;
    default:
        *exStyle = BaseExStyle;
        return BaseStyle;
    }
}

int GlimpseboxWnd::Margin(int MyOpts::*field) const
{
    return owner ? owner->GetOptions().*field : 0;
}

bool GlimpseboxWnd::Open()
{
    isOpen = 1;
    wndOpts.Load();

    DWORD exStyle = 0;
    DWORD style = StyleFor(owner ? owner->GetOptions().borderType : 0, &exStyle);
    int spacingX = GetSystemMetrics(SM_CXICONSPACING), spacingY = GetSystemMetrics(SM_CYICONSPACING);
    scale[0] = ScaledCell;
    scale[1] = spacingX > 0 ? spacingX : 75;
    scale[2] = ScaledCell;
    scale[3] = spacingY > 0 ? spacingY : 75;
    int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);

    clientSize.cx = MulDiv(screenW, scale[0], scale[1]) + Margin(&MyOpts::marginRight) + Margin(&MyOpts::marginLeft) +
                    InsetRight + InsetLeft;
    clientSize.cy = MulDiv(screenH, scale[2], scale[3]) + Margin(&MyOpts::marginBottom) + Margin(&MyOpts::marginTop) +
                    InsetBottom + InsetTop;
    RECT outer = {0, 0, clientSize.cx, clientSize.cy};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    int outerW = outer.right - outer.left, outerH = outer.bottom - outer.top;

    // The first time, the corner of the screen nearest the pointer; always wholly on screen.
    if (wndOpts.posX == MyWndOpts::NeverPlaced) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        wndOpts.posX = cursor.x > screenW / 2 ? screenW - outerW : 0;
        wndOpts.posY = cursor.y > screenH / 2 ? screenH - outerH : 0;
    }
    if (wndOpts.posX < 0)
        wndOpts.posX = 0;
    if (wndOpts.posX + outerW > screenW)
        wndOpts.posX = screenW - outerW;
    if (wndOpts.posY < 0)
        wndOpts.posY = 0;
    if (wndOpts.posY + outerH > screenH)
        wndOpts.posY = screenH - outerH;
    // A window larger than the screen (huge margins) keeps its top-left corner, and so its
    // title and menu, on the screen.
    if (wndOpts.posX < 0)
        wndOpts.posX = 0;
    if (wndOpts.posY < 0)
        wndOpts.posY = 0;

    hBkgBitmap = owner ? owner->GetBackground(clientSize.cx, clientSize.cy) : nullptr;

    if (!CreateEx(exStyle, ClassName, L"Glimpsebox", style, wndOpts.posX, wndOpts.posY, outerW, outerH, nullptr)) {
        g_sdata.hwndMirror = nullptr;
        hoverItem = nullptr;
        // No WM_NCDESTROY comes to clear it: left set, every later click would be ignored.
        isOpen = 0;
        return false;
    }
    g_sdata.hwndMirror = GetHandle();

    HMENU menu = GetSystemMenu(GetHandle(), FALSE);
    if (menu) {
        DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, CmdShowSize, L"&Show window size");
        AppendMenuW(menu, MF_STRING, CmdRefresh, L"&Refresh");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, CmdConfigure, L"&Configure...");
        AppendMenuW(menu, MF_STRING, CmdAbout, L"&About...");
    }
    SetForegroundWindow(GetHandle());

    hwndTooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetHandle(), nullptr, hiDLL, nullptr);
    if (hwndTooltip)
        SendMessageW(hwndTooltip, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
    toolCount = 0;
    toolInfo.hwnd = GetHandle();
    hoverItem = nullptr;
    return true;
}

void GlimpseboxWnd::Populate()
{
    CSWaitCursor wait;
    ReadItems(GetHandle());
    InvalidateRect(GetHandle(), nullptr, TRUE);
    ShowWindow(GetHandle(), SW_SHOW);
    // The return hook is needed from the first right click on; installed before the window
    // is shown, it would run for every message sent on the desktop while showing.
    InstallCallWndRetHook(true);
}

void GlimpseboxWnd::OpenFromTray()
{
    if (isOpen)
        return;
    if (Open())
        Populate();
}

void GlimpseboxWnd::PlaceItem(DesktopItem* record)
{
    int centreX = (record->rcDesktop.left + record->rcDesktop.right) / 2;
    int centreY = (record->rcDesktop.top + record->rcDesktop.bottom) / 2;
    record->x = Margin(&MyOpts::marginLeft) - 8 + MulDiv(centreX, scale[0], scale[1]) + InsetLeft;
    record->y = Margin(&MyOpts::marginTop) - 8 + MulDiv(centreY, scale[2], scale[3]) + InsetTop;
}

void GlimpseboxWnd::AddItemTool(DesktopItem* record)
{
    if (!hwndTooltip)
        return;
    SetRect(&toolInfo.rect, record->x, record->y, record->x + IconSize, record->y + IconSize);
    toolInfo.lpszText = record->label;
    toolInfo.uId = static_cast<UINT_PTR>(toolCount);
    toolInfo.uFlags = 0;
    if (!SendMessageW(hwndTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo)) &&
        toolInfo.cbSize != ToolInfoOldSize) {
        // Older common controls know only the shorter record; keep to it from now on.
        toolInfo.cbSize = ToolInfoOldSize;
        SendMessageW(hwndTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo));
    }
}

void GlimpseboxWnd::ClearItems()
{
    if (hwndTooltip && IsWindow(hwndTooltip)) {
        int count = static_cast<int>(SendMessageW(hwndTooltip, TTM_GETTOOLCOUNT, 0, 0));
        for (int id = 0; id < count; ++id) {
            toolInfo.uId = static_cast<UINT_PTR>(id);
            SendMessageW(hwndTooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo));
        }
    }
    hoverItem = nullptr;
    RemoveAllRecords();
}

RECT GlimpseboxWnd::FrameOf(const DesktopItem* record)
{
    RECT frame = {record->x - 2, record->y - 2, record->x + IconSize + 3, record->y + IconSize + 3};
    return frame;
}

void GlimpseboxWnd::DrawHighlight(bool draw)
{
    HWND window = GetHandle();
    if (!window)
        return;
    HighlightLock lock;
    bool drawing = draw && hoverItem;
    // Most calls (the release after every read, each pass over empty space) have nothing
    // to erase or draw, and need no device context.
    if (!drawing && IsRectEmpty(&rcHighlight))
        return;
    ClientDC dc(window);
    if (!IsRectEmpty(&rcHighlight)) {
        InvalidateRect(window, &rcHighlight, TRUE);
        SetRectEmpty(&rcHighlight);
    }
    if (drawing) {
        rcHighlight = FrameOf(hoverItem);
        DrawFrameControl(dc, &rcHighlight, DFC_BUTTON, DFCS_BUTTONPUSH);
        if (hoverItem->hIcon)
            DrawIconEx(dc, hoverItem->x, hoverItem->y, hoverItem->hIcon, IconSize, IconSize, 0, nullptr, DI_NORMAL);
    }
}

DesktopItem* GlimpseboxWnd::HitTest(int x, int y)
{
    for (POS__* pos = items.GetHeadPos(); pos;) {
        DesktopItem* record = static_cast<DesktopItem*>(items.GetNext(pos));
        if (record->x <= x && x <= record->x + IconSize && record->y <= y && y <= record->y + IconSize)
            return record;
    }
    return nullptr;
}

void GlimpseboxWnd::ReleaseDesktop()
{
    if (!g_sdata.hwndListView)
        return;
    DesktopMirror::ReleaseDesktop();
    DrawHighlight(false);
    hoverItem = nullptr;
}

void GlimpseboxWnd::PostToTray(WPARAM subCode, LPARAM arg)
{
    HWND tray = owner ? owner->GetTrayWindow() : nullptr;
    if (tray)
        ProductInfo::PostMyMessage(tray, subCode, arg);
}

BOOL GlimpseboxWnd::EraseBackground(HDC dc)
{
    CompatibleDC memory(dc);
    HGDIOBJ old = SelectObject(memory, hBkgBitmap);
    RECT update;
    if (GetUpdateRect(GetHandle(), &update, FALSE)) {
        BitBlt(dc, update.left, update.top, update.right - update.left, update.bottom - update.top, memory, update.left,
               update.top, SRCCOPY);
    } else {
        BitBlt(dc, 0, 0, clientSize.cx, clientSize.cy, memory, 0, 0, SRCCOPY);
    }
    SelectObject(memory, old);
    return TRUE;
}

void GlimpseboxWnd::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(GetHandle(), &ps);
    {
        // Icons made here are drawn from their pictures: the same blend, without a device
        // context made and deleted for each.
        ItemPictures::Painter pictures(Pictures(), dc);
        for (POS__* pos = items.GetHeadPos(); pos;) {
            DesktopItem* record = static_cast<DesktopItem*>(items.GetNext(pos));
            RECT frame = FrameOf(record), common;
            if (!IntersectRect(&common, &frame, &ps.rcPaint))
                continue;
            if (record == hoverItem)
                DrawFrameControl(dc, &rcHighlight, DFC_BUTTON, DFCS_BUTTONPUSH);
            if (!record->hIcon)
                continue;
            if (record->hIcon != record->ownIcon || !pictures.Draw(record->picture, record->x, record->y))
                DrawIconEx(dc, record->x, record->y, record->hIcon, IconSize, IconSize, 0, nullptr, DI_NORMAL);
        }
    }
    EndPaint(GetHandle(), &ps);
}

void GlimpseboxWnd::OnMouse(UINT msg, int x, int y)
{
    switch (msg) {
    case WM_MOUSEMOVE: {
        DesktopItem* now = HitTest(x, y);
        if (now != hoverItem) {
            DrawHighlight(false);
            hoverItem = now;
            if (hoverItem)
                DrawHighlight(true);
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        DrawHighlight(false);
        hoverItem = HitTest(x, y);
        DrawHighlight(true);
        break;
    case WM_LBUTTONUP:
        if (hoverItem)
            ProductInfo::PostMyMessage(g_sdata.hwndListView, MyMsgOpenItem, hoverItem->item);
        else
            ReleaseDesktop();
        break;
    case WM_RBUTTONDOWN:
        PostMessageW(g_sdata.hwndDefView, WM_CANCELMODE, 0, 0);
        DrawHighlight(false);
        hoverItem = HitTest(x, y);
        DrawHighlight(true);
        if (!hoverItem) {
            ReleaseDesktop();
            ProductInfo::PostMyMessage(g_sdata.hwndListView, MyMsgContextMenu, -1);
        }
        break;
    case WM_RBUTTONUP:
        if (hoverItem) {
            // The shell places the item's menu where it believes the item is: tell it the icon here.
            RECT square = {hoverItem->x, hoverItem->y, hoverItem->x + IconSize, hoverItem->y + IconSize};
            MapWindowPoints(GetHandle(), nullptr, reinterpret_cast<POINT*>(&square), 2);
            g_sdata.rcMenuItem = square;
            g_sdata.menuRectPending = 1;
            ProductInfo::PostMyMessage(g_sdata.hwndListView, MyMsgContextMenu, hoverItem->item);
        } else {
            ReleaseDesktop();
        }
        break;
    default:
        break;
    }
}

LRESULT GlimpseboxWnd::OnNcHitTest(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT hit = CSWnd::OnWndMessage(msg, wParam, lParam);
    if (hit != HTCAPTION)
        return hit;
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(GetHandle(), &pt);
    if (HitTest(pt.x, pt.y))
        return HTCLIENT;
    // A right click on empty space must arrive as a click, not start a move.
    if (pt.x >= 0 && pt.y >= 0 && RightButtonDown())
        return HTCLIENT;
    DrawHighlight(false);
    hoverItem = nullptr;
    return HTCAPTION;
}

void GlimpseboxWnd::OnSysCommand(WPARAM command)
{
    switch (command) {
    case CmdRefresh:
        // The read takes the return hook off until the window is shown again; off before the
        // tools are removed, it does not run for each of them (a server round trip under Wine).
        InstallCallWndRetHook(false);
        ClearItems();
        Populate();
        break;
    case CmdAbout:
        PostToTray(MyMsgAbout, 0);
        break;
    case CmdShowSize: {
        RECT rc = {};
        GetClientRect(GetHandle(), &rc);
        PostToTray(MyMsgWindowSize, MAKELPARAM(rc.right - rc.left, rc.bottom - rc.top));
        break;
    }
    case CmdConfigure:
        PostToTray(MyMsgConfigure, 0);
        break;
    default:
        break;
    }
}

LRESULT GlimpseboxWnd::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == ProductInfo::GetMyMessage()) {
        if (wParam == MyMsgClose && lParam == static_cast<LPARAM>(GetProductInfo()->GetID() & 0xFFFF))
            PostMessageW(GetHandle(), WM_CLOSE, 0, 0);
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    }

    switch (msg) {
    case WM_NOTIFYFORMAT:
        // The tooltip asks once for every tool added, so once per item read; the answer is
        // the default one, given without the walk through the hooks.
        if (lParam == NF_QUERY)
            return NFR_UNICODE;
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK: {
        if (hwndTooltip && msg != WM_LBUTTONDBLCLK) {
            const MSG* current = owner ? owner->GetCurrentMessage() : nullptr;
            MSG relay = {};
            if (!current || current->hwnd != GetHandle() || current->message != msg) {
                relay.hwnd = GetHandle();
                relay.message = msg;
                relay.wParam = wParam;
                relay.lParam = lParam;
                relay.time = static_cast<DWORD>(GetMessageTime());
                current = &relay;
            }
            SendMessageW(hwndTooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(current));
        }
        OnMouse(msg, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    }
    case WM_CREATE:
        dragger.AddToWnd(this);
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    case WM_KILLFOCUS:
        if (IsWindow(GetHandle()))
            PostMessageW(GetHandle(), WM_CLOSE, 0, 0);
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    case WM_ERASEBKGND:
        if (!hBkgBitmap)
            return CSWnd::OnWndMessage(msg, wParam, lParam);
        return EraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
        Paint();
        return 0;
    case WM_CLOSE:
        hoverItem = nullptr;
        hBkgBitmap = nullptr;
        wndOpts.Store();
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    case WM_WINDOWPOSCHANGED: {
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (pos && !(pos->flags & SWP_NOMOVE)) {
            wndOpts.posX = pos->x;
            wndOpts.posY = pos->y;
        }
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    }
    case WM_NCDESTROY: {
        InstallGetMsgHook(false);
        dragger.RemoveFromWnd(this);
        LRESULT result = CSWnd::OnWndMessage(msg, wParam, lParam);
        InstallCallWndRetHook(false);
        g_sdata.hwndMirror = nullptr;
        hwndTooltip = nullptr;  // destroyed with its owner
        isOpen = 0;
        return result;
    }
    case WM_NCHITTEST:
        return OnNcHitTest(msg, wParam, lParam);
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        ReleaseDesktop();
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    case WM_SYSCOMMAND:
        OnSysCommand(wParam);
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    default:
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    }
}
