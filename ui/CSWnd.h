// CSWnd, the base of every window object, and WMHook, the message hooks chained onto a window.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "sys/CSList.h"

class CSWnd;
class CSDlg;

// One item of the cache of recently bound windows; an item with hwnd 0 is free.
struct WND_CACHE_ITEM {
    HWND hwnd;
    CSWnd* pWnd;
};

// A message filter chained onto a window (and, for dialogs, onto the dialog procedure).
// It sees messages before the window's previous procedure does; the last hook added sees
// them first. Hooks are not owned by the windows they are attached to.
class GLMBX_API WMHook {
public:
    WMHook() = default;
    virtual ~WMHook();

    // Nonzero: the message is handled and *pResult is its result; the walk stops here.
    // To work on the outcome of the rest of the chain, call
    // pWnd->DoWndMessage(msg, wParam, lParam, this) and return nonzero.
    virtual int OnWndMessage(CSWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The same for a dialog's dialog-procedure chain.
    virtual int OnDlgMessage(CSDlg* pDlg, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    void AddToWnd(CSWnd* pWnd);
    void RemoveFromWnd(CSWnd* pWnd);
    // The same for a dialog's dialog-procedure chain.
    void AddToDlg(CSDlg* pDlg);
    void RemoveFromDlg(CSDlg* pDlg);
};

// Binds an object to a window handle, either at creation (Create/CreateEx with a class
// registered through RegisterClassExW) or by subclassing an existing window, and routes the
// window's messages through OnWndMessage, the hook chain and the previous procedure.
//
// Lifetime: when WM_NCDESTROY has passed, the outermost WndProc call for the window unbinds
// the object (OnPostNcDestroy, procedure restored, handle cleared) and deletes it when
// auto-delete is set. An object must not be deleted in OnPostNcDestroy; set auto-delete.
// Deleting a bound object unbinds its window first, but never destroys the window.
//
// Windows are used on the thread that created them; one window per process may be in
// creation at a time (the creation hand-over and the cache are unguarded module data).
class GLMBX_API CSWnd {
public:
    enum { CacheItems = 8 };

    CSWnd();
    virtual ~CSWnd();
    CSWnd(const CSWnd&) = delete;
    CSWnd& operator=(const CSWnd&) = delete;

    virtual int IsDlg();
    // Called once when CreateEx binds the object, before its first message is handled.
    virtual void PreInit();
    // Handles the message; the default runs the hook chain and the previous procedure.
    // An override passes what it does not handle to its base, WM_NCDESTROY included, so
    // that the hooks and the previous procedure see the window's end.
    virtual LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The window is gone; the default removes all hooks.
    virtual void OnPostNcDestroy();

    // Registers a class (instance hiDLL) whose window procedure is WndProc; 1 on success.
    static int RegisterClassExW(const wchar_t* name, UINT style = 0, HICON icon = nullptr,
                                HICON iconSmall = nullptr, HBRUSH background = nullptr,
                                HCURSOR cursor = nullptr, const wchar_t* menuName = nullptr,
                                int clsExtra = 0, int wndExtra = 0);
    static int UnregisterClassW(const wchar_t* name);

    // 1 when a window was created. The object is bound by the window's first message when
    // the class is one of ours; a window of another class is only stored (as by Attach).
    // 0 leaves the object unbound, never deleted, and the system's last error untouched.
    // An object that already holds a live window creates nothing.
    int Create(const wchar_t* cls, const wchar_t* title, DWORD style, int x, int y, int cx, int cy,
               HWND parent, HMENU menu = nullptr, void* param = nullptr);
    int CreateEx(DWORD exStyle, const wchar_t* cls, const wchar_t* title, DWORD style, int x, int y,
                 int cx, int cy, HWND parent, HMENU menu = nullptr, void* param = nullptr);

    // Binds to an existing window of this process (h, or the stored handle when h is 0);
    // PreInit is not called. Binding the bound window again changes nothing. 0 when the
    // window's procedure cannot be read, or when the window already runs through WndProc.
    int Subclass(HWND h);
    // Puts the former procedure back (unless another subclass has been installed over ours,
    // which is left alone), removes the binding; the handle stays stored. 0 if nothing to undo.
    int Unsubclass();
    // Store / take the handle without any binding. Attach refuses while the object is bound;
    // Detach of a bound object unbinds it first.
    int Attach(HWND h);
    HWND Detach();

    // Tolerates a null object: pWnd->IsReady() is the usual test.
    int IsReady();
    void Destroy();

    // Runs the hooks after pAfter (all of them when it is null), the first that handles the
    // message ends the walk; unhandled, the previous procedure answers.
    LRESULT DoWndMessage(UINT msg, WPARAM wParam, LPARAM lParam, WMHook* pAfter);
    // A hook is on a window at most once; adding it again leaves it where it is.
    void AddWndHook(WMHook* hook);
    // Immediate, even during a dispatch: a hook may remove itself or one that already ran.
    void RemoveWndHook(WMHook* hook);
    // Deferred to the end of the outermost dispatch while one is running.
    void RemoveAllWndHooks();

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The object bound to h in this process: the cache first, then the "CSWND" property.
    static CSWnd* GetWnd(HWND h);

    operator HWND() const { return hwnd; }
    HWND GetHandle() const { return hwnd; }
    BOOL IsAutoDelete() const { return autoDelete; }
    void SetAutoDelete(BOOL on) { autoDelete = on; }
    BOOL HasDlgMarker() const { return dlgMarker; }
    BOOL HasCtrlMarker() const { return ctrlMarker; }
    WNDPROC GetPrevWndProc() const { return prevProc; }

    // Thin operations on the stored handle; each does nothing and returns 0 without one.
    BOOL Redraw();
    BOOL Invalidate(const RECT* rect, BOOL erase);
    BOOL InvalidateErase(const RECT* rect);
    BOOL Validate(const RECT* rect);
    BOOL InvalidateUpdate(const RECT* rect, BOOL erase);
    LRESULT SendMsg(UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL PostMsg(UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL PostCmd(WORD id, HWND ctl, WORD code);
    BOOL HasFocus();
    HWND SetFocus();
    BOOL Enable(BOOL on);
    BOOL Show(BOOL show);
    int GetTextLength();
    int GetText(wchar_t* buffer, int chars);
    BOOL SetText(const wchar_t* text);
    // Style operations return the style as it was before.
    DWORD GetStyle(BOOL ex);
    DWORD SetStyle(DWORD style, BOOL ex);
    DWORD SetStyleBits(DWORD bits, BOOL on);
    DWORD ModifyStyle(DWORD remove, DWORD add, BOOL ex);
    HWND GetParent();
    HFONT GetFont();
    // which: bit 0 the small icon, bit 1 the big icon.
    void SetIcon(HICON icon, UINT which);

    // Format into 1024 characters (Windows conventions: %s is a wide string), truncated.
    BOOL SetTextFmt(const wchar_t* fmt, ...);
    // The format is string id of instance (a null instance: the library's resources);
    // a missing string formats as empty.
    BOOL SetTextFmt(HINSTANCE instance, UINT id, ...);
    BOOL SetText(UINT id, ...);

    // For edit boxes that hold a path: the text made a full path, the file (mode: non-zero
    // to save) or folder browser started from it, and the choice written back. 1 when the
    // user chose, 0 when they cancelled.
    int OnBrowseForFile(int mode, const wchar_t* filter, const wchar_t* defExt, const wchar_t* title,
                        const wchar_t* initialDir, UINT flags);
    int OnBrowseForFolder(const wchar_t* title, UINT flags);

    // Every descendant except static controls.
    void EnableAllControls(BOOL on);
    static BOOL CALLBACK EnableAllControlsCallBack(HWND child, LPARAM on);
    // The outermost parent or owner; the window itself when it has none.
    HWND GetTopParent();

    static WND_CACHE_ITEM wndCache[CacheItems];
    static int bWndChacheInitDone;
    // The object whose window CreateEx is creating right now, else null.
    static CSWnd* pWndInit;

protected:
    // Calls call(hook) for the hooks after pAfter (all of them when it is null), head first,
    // until one returns nonzero; true when one did. A hook may change the list while it runs.
    template <typename Call>
    static bool WalkHooks(CSList& hooks, WMHook* pAfter, Call call)
    {
        POS__* pos = hooks.GetHeadPos();
        if (pAfter) {
            while (pos && hooks.GetNext(pos) != pAfter) {
            }
        }
        while (pos) {
            WMHook* hook = static_cast<WMHook*>(hooks.GetNext(pos));
            WMHook* next = pos ? static_cast<WMHook*>(hooks.GetAt(pos)) : nullptr;
            if (call(hook))
                return true;
            pos = ResumeWalk(hooks, hook, next);
        }
        return false;
    }
    static POS__* ResumeWalk(CSList& hooks, WMHook* current, WMHook* next);

    void AddMeToCache();
    void RemoveMeFromCache();
    // Ends one level of dispatch; at the outermost level runs a deferred hook removal and,
    // when the window is gone, the teardown (which may delete the object).
    void LeaveDispatch();

    HWND hwnd;
    BOOL autoDelete;
    BOOL destroyed;
    WNDPROC prevProc;
    BOOL dlgMarker;
    BOOL ctrlMarker;
    // Dispatches of this window's messages on the stack: WndProc calls and DoWndMessage calls.
    int dispatchDepth;
    CSList wndHooks;
    BOOL removalPending;

private:
    void BindCreated(HWND h);
    void TearDown();
};
