// CSWnd binding, lookup, the window cache, the window procedure, the hook chain and teardown.
#include "ui/CSWnd.h"

extern "C" HINSTANCE hiDLL;

namespace {

const wchar_t WndProperty[] = L"CSWND";

// A property of another process's window holds a pointer of that process.
bool IsOwnWindow(HWND h)
{
    DWORD process = 0;
    return GetWindowThreadProcessId(h, &process) && process == GetCurrentProcessId();
}

WNDPROC ProcOf(HWND h)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC));
}

} // namespace

WND_CACHE_ITEM CSWnd::wndCache[CSWnd::CacheItems];
int CSWnd::bWndChacheInitDone = 0;
CSWnd* CSWnd::pWndInit = nullptr;

WMHook::~WMHook() = default;

int WMHook::OnWndMessage(CSWnd*, UINT, WPARAM, LPARAM, LRESULT*)
{
    return 0;
}

int WMHook::OnDlgMessage(CSDlg*, UINT, WPARAM, LPARAM, LRESULT*)
{
    return 0;
}

void WMHook::AddToWnd(CSWnd* pWnd)
{
    if (pWnd)
        pWnd->AddWndHook(this);
}

void WMHook::RemoveFromWnd(CSWnd* pWnd)
{
    if (pWnd)
        pWnd->RemoveWndHook(this);
}

CSWnd::CSWnd()
    : hwnd(nullptr), autoDelete(FALSE), destroyed(FALSE), prevProc(nullptr), dlgMarker(FALSE),
      ctrlMarker(FALSE), dispatchDepth(0), removalPending(FALSE)
{
    if (!bWndChacheInitDone) {
        for (WND_CACHE_ITEM& item : wndCache)
            item = WND_CACHE_ITEM{};
        bWndChacheInitDone = 1;
    }
}

CSWnd::~CSWnd()
{
    if (pWndInit == this)
        pWndInit = nullptr;
    // A window that outlives its object must not keep calling into freed memory.
    if (hwnd && prevProc)
        Unsubclass();
    for (WND_CACHE_ITEM& item : wndCache) {
        if (item.pWnd == this)
            item = WND_CACHE_ITEM{};
    }
    while (!wndHooks.IsEmpty())
        wndHooks.RemoveHead();
}

int CSWnd::IsDlg()
{
    return 0;
}

void CSWnd::PreInit() {}

LRESULT CSWnd::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DoWndMessage(msg, wParam, lParam, nullptr);
    if (msg == WM_NCDESTROY)
        destroyed = TRUE;
    return result;
}

void CSWnd::OnPostNcDestroy()
{
    RemoveAllWndHooks();
}

int CSWnd::RegisterClassExW(const wchar_t* name, UINT style, HICON icon, HICON iconSmall, HBRUSH background,
                            HCURSOR cursor, const wchar_t* menuName, int clsExtra, int wndExtra)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = clsExtra;
    wc.cbWndExtra = wndExtra;
    wc.hInstance = hiDLL;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszMenuName = menuName;
    wc.lpszClassName = name;
    wc.hIconSm = iconSmall;
    return ::RegisterClassExW(&wc) ? 1 : 0;
}

int CSWnd::UnregisterClassW(const wchar_t* name)
{
    return ::UnregisterClassW(name, hiDLL) ? 1 : 0;
}

int CSWnd::Create(const wchar_t* cls, const wchar_t* title, DWORD style, int x, int y, int cx, int cy,
                  HWND parent, HMENU menu, void* param)
{
    return CreateEx(0, cls, title, style, x, y, cx, cy, parent, menu, param);
}

int CSWnd::CreateEx(DWORD exStyle, const wchar_t* cls, const wchar_t* title, DWORD style, int x, int y, int cx,
                    int cy, HWND parent, HMENU menu, void* param)
{
    if (hwnd && IsWindow(hwnd))
        return 0;
    RemoveMeFromCache();
    hwnd = nullptr;
    prevProc = DefWindowProcW;
    destroyed = FALSE;

    // A window that dies during its own creation is torn down inside CreateWindowExW; the
    // caller still owns an object whose creation failed, so it must not be deleted there.
    BOOL keepAutoDelete = autoDelete;
    autoDelete = FALSE;
    CSWnd* outer = pWndInit;
    pWndInit = this;
    HWND created = CreateWindowExW(exStyle, cls, title, style, x, y, cx, cy, parent, menu, hiDLL, param);
    DWORD error = GetLastError();
    pWndInit = outer;
    autoDelete = keepAutoDelete;

    if (!created) {
        RemoveMeFromCache();
        hwnd = nullptr;
        prevProc = nullptr;
        SetLastError(error);
        return 0;
    }
    // A class of the system never ran through WndProc: there is nothing to unbind later,
    // and a later Subclass must read the class's own procedure.
    if (GetWnd(created) != this)
        prevProc = nullptr;
    hwnd = created;
    return 1;
}

void CSWnd::BindCreated(HWND h)
{
    SetPropW(h, WndProperty, this);
    hwnd = h;
    PreInit();
    AddMeToCache();
}

int CSWnd::Subclass(HWND h)
{
    if (!prevProc) {
        HWND target = h ? h : hwnd;
        if (!target || !IsWindow(target) || !IsOwnWindow(target))
            return 0;
        WNDPROC current = ProcOf(target);
        // Chaining WndProc to itself would resolve this window forever.
        if (!current || current == WndProc)
            return 0;
        hwnd = target;
        prevProc = current;
        destroyed = FALSE;
    }
    // Property and cache first: the first message through WndProc must find the object.
    SetPropW(hwnd, WndProperty, this);
    AddMeToCache();
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WndProc));
    return 1;
}

int CSWnd::Unsubclass()
{
    if (!hwnd || !prevProc)
        return 0;
    if (IsWindow(hwnd)) {
        if (ProcOf(hwnd) == WndProc)
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevProc));
        if (GetPropW(hwnd, WndProperty) == this)
            RemovePropW(hwnd, WndProperty);
    }
    RemoveMeFromCache();
    prevProc = nullptr;
    return 1;
}

int CSWnd::Attach(HWND h)
{
    if (prevProc && hwnd && IsWindow(hwnd))
        return 0;
    prevProc = nullptr;
    hwnd = h;
    return h != nullptr;
}

HWND CSWnd::Detach()
{
    HWND h = hwnd;
    if (h && prevProc)
        Unsubclass();
    hwnd = nullptr;
    return h;
}

int CSWnd::IsReady()
{
    // Member calls through a null pointer happen; keep the test from being optimised away.
    volatile UINT_PTR self = reinterpret_cast<UINT_PTR>(this);
    if (!self)
        return 0;
    return hwnd && IsWindow(hwnd);
}

void CSWnd::Destroy()
{
    if (hwnd && IsWindow(hwnd))
        DestroyWindow(hwnd);
}

CSWnd* CSWnd::GetWnd(HWND h)
{
    if (!h)
        return nullptr;
    for (const WND_CACHE_ITEM& item : wndCache) {
        if (item.hwnd == h)
            return item.pWnd;
    }
    if (!IsOwnWindow(h))
        return nullptr;
    return static_cast<CSWnd*>(GetPropW(h, WndProperty));
}

void CSWnd::AddMeToCache()
{
    if (!hwnd)
        return;
    WND_CACHE_ITEM* freeItem = nullptr;
    for (WND_CACHE_ITEM& item : wndCache) {
        if (item.hwnd == hwnd) {
            item.pWnd = this;
            return;
        }
        if (!item.hwnd && !freeItem)
            freeItem = &item;
    }
    if (freeItem) {
        freeItem->hwnd = hwnd;
        freeItem->pWnd = this;
    }
}

void CSWnd::RemoveMeFromCache()
{
    if (!hwnd)
        return;
    for (WND_CACHE_ITEM& item : wndCache) {
        if (item.hwnd == hwnd) {
            item = WND_CACHE_ITEM{};
            return;
        }
    }
}

LRESULT CALLBACK CSWnd::WndProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CSWnd* wnd = GetWnd(h);
    if (!wnd) {
        // Only the object of the creation in progress, and only while it holds no window.
        if (!h || !pWndInit || pWndInit->hwnd)
            return 0;
        wnd = pWndInit;
        wnd->BindCreated(h);
    }

    LRESULT result = 0;
    ++wnd->dispatchDepth;
    if (wnd->hwnd)
        result = wnd->OnWndMessage(msg, wParam, lParam);
    // The window is gone whatever an override did with the message; a cache item left
    // behind would hand a reused handle to this object.
    if (msg == WM_NCDESTROY && wnd->hwnd == h)
        wnd->destroyed = TRUE;
    wnd->LeaveDispatch();
    return result;
}

void CSWnd::LeaveDispatch()
{
    if (--dispatchDepth > 0)
        return;
    dispatchDepth = 0;
    if (removalPending) {
        removalPending = FALSE;
        RemoveAllWndHooks();
    }
    if (destroyed)
        TearDown();
}

void CSWnd::TearDown()
{
    destroyed = FALSE;
    OnPostNcDestroy();
    Unsubclass();
    RemoveMeFromCache();
    hwnd = nullptr;
    prevProc = nullptr;
    if (autoDelete)
        delete this;
}

LRESULT CSWnd::DoWndMessage(UINT msg, WPARAM wParam, LPARAM lParam, WMHook* pAfter)
{
    ++dispatchDepth;
    LRESULT result = 0;
    bool handled = WalkHooks(wndHooks, pAfter, [&](WMHook* hook) {
        return hook->OnWndMessage(this, msg, wParam, lParam, &result) != 0;
    });
    if (!handled)
        result = prevProc ? CallWindowProcW(prevProc, hwnd, msg, wParam, lParam) : 0;

    LeaveDispatch();
    return result;
}

// A hook may have changed the list while it ran: go on after it if it is still there,
// else with the hook that followed it.
POS__* CSWnd::ResumeWalk(CSList& hooks, WMHook* current, WMHook* next)
{
    POS__* pos = hooks.Find(current);
    if (pos) {
        hooks.GetNext(pos);
        return pos;
    }
    return next ? hooks.Find(next) : nullptr;
}

void CSWnd::AddWndHook(WMHook* hook)
{
    if (hook && !wndHooks.Find(hook))
        wndHooks.AddHead(hook);
}

void CSWnd::RemoveWndHook(WMHook* hook)
{
    POS__* pos = hook ? wndHooks.Find(hook) : nullptr;
    if (pos)
        wndHooks.RemoveAt(pos);
}

void CSWnd::RemoveAllWndHooks()
{
    if (dispatchDepth > 0) {
        removalPending = TRUE;
        return;
    }
    while (!wndHooks.IsEmpty())
        wndHooks.RemoveHead();
}
