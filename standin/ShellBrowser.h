// The platform's own view of the desktop folder, hosted in the stand-in's "Progman" window.
#pragma once

#include "standin/Handles.h"
#include "standin/Log.h"

#include <shlobj.h>

namespace standin {

// COM objects delete themselves in Release, never through an interface pointer, so the interface's
// non-virtual destructor is harmless here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The least a folder view needs from its browser: the frame window, and harmless answers elsewhere.
class ShellBrowser final : public IShellBrowser {
public:
    // Returns a new object with one reference, or null when out of memory.
    static ShellBrowser* Create(HWND frame);

    // The view the browser reports as active; not owned (the view owns a reference to the browser).
    void SetActiveView(IShellView* view) { activeView_ = view; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;
    // IShellBrowser
    HRESULT STDMETHODCALLTYPE InsertMenusSB(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
    HRESULT STDMETHODCALLTYPE SetMenuSB(HMENU shared, HOLEMENU oleMenu, HWND activeObject) override;
    HRESULT STDMETHODCALLTYPE RemoveMenusSB(HMENU shared) override;
    HRESULT STDMETHODCALLTYPE SetStatusTextSB(LPCWSTR text) override;
    HRESULT STDMETHODCALLTYPE EnableModelessSB(BOOL enable) override;
    HRESULT STDMETHODCALLTYPE TranslateAcceleratorSB(MSG* message, WORD id) override;
    HRESULT STDMETHODCALLTYPE BrowseObject(PCUIDLIST_RELATIVE pidl, UINT flags) override;
    HRESULT STDMETHODCALLTYPE GetViewStateStream(DWORD mode, IStream** stream) override;
    HRESULT STDMETHODCALLTYPE GetControlWindow(UINT id, HWND* window) override;
    HRESULT STDMETHODCALLTYPE SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam,
                                             LRESULT* result) override;
    HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** view) override;
    HRESULT STDMETHODCALLTYPE OnViewWindowActive(IShellView* view) override;
    HRESULT STDMETHODCALLTYPE SetToolbarItems(LPTBBUTTONSB buttons, UINT count, UINT flags) override;

private:
    explicit ShellBrowser(HWND frame) : frame_(frame) {}
    virtual ~ShellBrowser() = default;

    LONG references_ = 1;
    HWND frame_;
    IShellView* activeView_ = nullptr;
};

#pragma GCC diagnostic pop

// The desktop folder's view window ("SHELLDLL_DefView") with its "SysListView32" child.
class DesktopFolderView {
public:
    DesktopFolderView() = default;
    ~DesktopFolderView() { Destroy(); }
    DesktopFolderView(const DesktopFolderView&) = delete;
    DesktopFolderView& operator=(const DesktopFolderView&) = delete;

    // Creates the view over rect (frame client coordinates). Returns false, logged, on failure.
    bool Create(HWND frame, const RECT& rect, const Log& log);
    // Must run before the frame window is destroyed.
    void Destroy();

    HWND DefView() const { return defView_; }
    HWND ListView() const { return listView_; }

private:
    ComPtr<ShellBrowser> browser_;
    ComPtr<IShellView> view_;
    HWND defView_ = nullptr;
    HWND listView_ = nullptr;
};

} // namespace standin
