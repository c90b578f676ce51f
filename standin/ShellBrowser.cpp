// The platform's own view of the desktop folder, hosted in the stand-in's "Progman" window.
#include "standin/ShellBrowser.h"

#include "standin/Text.h"

#include <new>

namespace standin {

ShellBrowser* ShellBrowser::Create(HWND frame)
{
    return new (std::nothrow) ShellBrowser(frame);
}

HRESULT ShellBrowser::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IShellBrowser)) {
        *object = static_cast<IShellBrowser*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ShellBrowser::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG ShellBrowser::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT ShellBrowser::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = frame_;
    return S_OK;
}

HRESULT ShellBrowser::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

HRESULT ShellBrowser::InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS)
{
    return E_NOTIMPL;
}

HRESULT ShellBrowser::SetMenuSB(HMENU, HOLEMENU, HWND)
{
    return E_NOTIMPL;
}

HRESULT ShellBrowser::RemoveMenusSB(HMENU)
{
    return E_NOTIMPL;
}

HRESULT ShellBrowser::SetStatusTextSB(LPCWSTR)
{
    return S_OK;
}

HRESULT ShellBrowser::EnableModelessSB(BOOL)
{
    return S_OK;
}

HRESULT ShellBrowser::TranslateAcceleratorSB(MSG*, WORD)
{
    return S_FALSE;
}

// A desktop has no browser window to navigate in.
HRESULT ShellBrowser::BrowseObject(PCUIDLIST_RELATIVE, UINT)
{
    return E_NOTIMPL;
}

HRESULT ShellBrowser::GetViewStateStream(DWORD, IStream** stream)
{
    if (stream)
        *stream = nullptr;
    return E_NOTIMPL;
}

HRESULT ShellBrowser::GetControlWindow(UINT, HWND* window)
{
    if (window)
        *window = nullptr;
    return E_NOTIMPL;
}

HRESULT ShellBrowser::SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT* result)
{
    if (result)
        *result = 0;
    return E_NOTIMPL;
}

HRESULT ShellBrowser::QueryActiveShellView(IShellView** view)
{
    if (!view)
        return E_POINTER;
    *view = activeView_;
    if (!activeView_)
        return E_FAIL;
    activeView_->AddRef();
    return S_OK;
}

HRESULT ShellBrowser::OnViewWindowActive(IShellView*)
{
    return S_OK;
}

HRESULT ShellBrowser::SetToolbarItems(LPTBBUTTONSB, UINT, UINT)
{
    return S_OK;
}

bool DesktopFolderView::Create(HWND frame, const RECT& rect, const Log& log)
{
    Destroy();
    ComPtr<IShellFolder> desktop;
    HRESULT hr = SHGetDesktopFolder(desktop.Put());
    if (FAILED(hr)) {
        log.Write(L"error SHGetDesktopFolder failed hr=" + HexValue(static_cast<ULONG>(hr)));
        return false;
    }
    hr = desktop->CreateViewObject(frame, IID_IShellView, view_.PutVoid());
    if (FAILED(hr)) {
        log.Write(L"error CreateViewObject failed hr=" + HexValue(static_cast<ULONG>(hr)));
        return false;
    }
    browser_ = ComPtr<ShellBrowser>(ShellBrowser::Create(frame));
    if (!browser_) {
        view_.Reset();
        log.Write(L"error out of memory for the shell browser");
        return false;
    }
    browser_->SetActiveView(view_.Get());

    // No auto-arrange: the stand-in places the items itself, so positions never depend on timing.
    FOLDERSETTINGS settings{};
    settings.ViewMode = FVM_ICON;
    settings.fFlags = FWF_DESKTOP | FWF_NOCLIENTEDGE | FWF_NOSCROLL;
    RECT viewRect = rect;
    hr = view_->CreateViewWindow(nullptr, &settings, browser_.Get(), &viewRect, &defView_);
    if (FAILED(hr) || !defView_) {
        log.Write(L"error CreateViewWindow failed hr=" + HexValue(static_cast<ULONG>(hr)));
        browser_->SetActiveView(nullptr);
        view_.Reset();
        browser_.Reset();
        defView_ = nullptr;
        return false;
    }
    listView_ = FindWindowExW(defView_, nullptr, WC_LISTVIEWW, nullptr);
    if (!listView_) {
        log.Write(L"error the shell's view has no SysListView32 child");
        Destroy();
        return false;
    }
    // Desktop colour instead of Wine's white, so screenshots look like a desktop.
    SendMessageW(listView_, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_DESKTOP)));
    return true;
}

void DesktopFolderView::Destroy()
{
    if (view_) {
        view_->DestroyViewWindow();
        view_.Reset();
    }
    if (browser_) {
        browser_->SetActiveView(nullptr);
        browser_.Reset();
    }
    defView_ = nullptr;
    listView_ = nullptr;
}

} // namespace standin
