// Watches the desktop's list view from inside: logs what it is asked and injects failures on reads.
#include "standin/ListViewSpy.h"

#include "standin/Text.h"

#include <commctrl.h>
#include <windowsx.h>

namespace standin {

namespace {

// One list view per stand-in. A plain window-procedure subclass, not SetWindowSubclass: that one
// looks up a window property on every message, which under Wine is a server round trip and
// would make each request the product sends look slower than the shell's own work.
ListViewSpy* attachedSpy = nullptr;
constexpr int kMaxItemText = 65536;

const wchar_t* MouseName(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        return L"LBUTTONDOWN";
    case WM_LBUTTONUP:
        return L"LBUTTONUP";
    case WM_LBUTTONDBLCLK:
        return L"LBUTTONDBLCLK";
    case WM_RBUTTONDOWN:
        return L"RBUTTONDOWN";
    case WM_RBUTTONUP:
        return L"RBUTTONUP";
    default:
        return nullptr;
    }
}

} // namespace

bool ListViewSpy::Attach(HWND listView)
{
    Detach();
    if (attachedSpy)
        return false;
    attachedSpy = this;
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    if (!original_) {
        attachedSpy = nullptr;
        return false;
    }
    listView_ = listView;
    return true;
}

void ListViewSpy::Detach()
{
    if (listView_ && IsWindow(listView_) && original_)
        SetWindowLongPtrW(listView_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    listView_ = nullptr;
    if (attachedSpy == this)
        attachedSpy = nullptr;
}

LRESULT ListViewSpy::SendQuiet(UINT message, WPARAM wParam, LPARAM lParam)
{
    ++quiet_;
    const LRESULT result = SendMessageW(listView_, message, wParam, lParam);
    --quiet_;
    return result;
}

std::wstring ListViewSpy::ItemText(int item)
{
    std::wstring text(260, L'\0');
    for (;;) {
        LVITEMW request{};
        request.iSubItem = 0;
        request.pszText = text.data();
        request.cchTextMax = static_cast<int>(text.size());
        const int length = static_cast<int>(
            SendQuiet(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request)));
        // A copy that fills the buffer may have been cut: ask again with more room.
        if (length < static_cast<int>(text.size()) - 1 || text.size() >= kMaxItemText) {
            text.resize(static_cast<size_t>(length < 0 ? 0 : length));
            return text;
        }
        text.assign(text.size() * 2, L'\0');
    }
}

void ListViewSpy::LogItems()
{
    const int count = static_cast<int>(SendQuiet(LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        RECT icon{};
        icon.left = LVIR_ICON;
        SendQuiet(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&icon));
        log_.Write(L"item " + std::to_wstring(item) + L" icon=" + RectText(icon) + L" label=" + ItemText(item));
    }
}

LRESULT CALLBACK ListViewSpy::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ListViewSpy* spy = attachedSpy;
    if (!spy || !spy->original_)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        WNDPROC original = spy->original_;
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        spy->listView_ = nullptr;
        spy->original_ = nullptr;
        attachedSpy = nullptr;
        return CallWindowProcW(original, window, message, wParam, lParam);
    }
    return spy->OnMessage(window, message, wParam, lParam);
}

LRESULT ListViewSpy::CallOriginal(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(original_, window, message, wParam, lParam);
}

LRESULT ListViewSpy::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (quiet_ > 0)
        return CallOriginal(window, message, wParam, lParam);
    if (!logRequests_) {
        if (message == LVM_GETITEMW)
            BeforeItemRead(lParam);
        return CallOriginal(window, message, wParam, lParam);
    }

    if (const wchar_t* name = MouseName(message)) {
        const int x = GET_X_LPARAM(lParam);
        const int y = GET_Y_LPARAM(lParam);
        log_.Write(std::wstring(L"mouse ") + name + L" x=" + std::to_wstring(x) + L" y=" + std::to_wstring(y));
        if (message != WM_LBUTTONDBLCLK)
            return CallOriginal(window, message, wParam, lParam);
        ++doubleClickSerial_;
        const bool outer = inDoubleClick_;
        inDoubleClick_ = true;
        const LRESULT result = CallOriginal(window, message, wParam, lParam);
        inDoubleClick_ = outer;
        return result;
    }

    switch (message) {
    case WM_CONTEXTMENU: {
        const int x = GET_X_LPARAM(lParam);
        const int y = GET_Y_LPARAM(lParam);
        log_.Write(L"contextmenu wparam=" + HexValue(static_cast<std::uintptr_t>(wParam)) +
                   L" x=" + std::to_wstring(x) + L" y=" + std::to_wstring(y));
        break;
    }
    case LVM_SETITEMSTATE:
        if (lParam) {
            const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
            log_.Write(L"select item=" + std::to_wstring(static_cast<int>(wParam)) +
                       L" state=" + std::to_wstring(item->state) + L" mask=" + std::to_wstring(item->stateMask));
        }
        break;
    case LVM_GETITEMRECT: {
        if (!lParam)
            break;
        auto* rect = reinterpret_cast<RECT*>(lParam);
        const LONG code = rect->left;
        const LRESULT result = CallOriginal(window, message, wParam, lParam);
        log_.Write(L"itemrect item=" + std::to_wstring(static_cast<int>(wParam)) +
                   L" code=" + std::to_wstring(code) + L" rect=" + RectText(*rect));
        return result;
    }
    case LVM_GETITEMW:
        BeforeItemRead(lParam);
        break;
    default:
        break;
    }
    return CallOriginal(window, message, wParam, lParam);
}

void ListViewSpy::BeforeItemRead(LPARAM lParam)
{
    if (!armed_ || !lParam)
        return;
    const int item = reinterpret_cast<const LVITEMW*>(lParam)->iItem;
    if (item == failures_.hangAt) {
        log_.Write(L"hang item=" + std::to_wstring(item));
        // Hung on purpose until the process is killed: nothing on this thread answers any more.
        for (;;)
            Sleep(1000);
    }
    if (item == failures_.exitAt) {
        log_.Write(L"exit item=" + std::to_wstring(item));
        ExitProcess(3);
    }
    if (item == failures_.deleteAt && !deleted_) {
        deleted_ = true;
        const int last = static_cast<int>(SendQuiet(LVM_GETITEMCOUNT, 0, 0)) - 1;
        if (last >= 0)
            SendQuiet(LVM_DELETEITEM, static_cast<WPARAM>(last), 0);
        log_.Write(L"delete item=" + std::to_wstring(last));
    }
}

} // namespace standin
