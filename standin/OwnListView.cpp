// Items mode: the stand-in's own "SHELLDLL_DefView" and "SysListView32", filled from an item file.
#include "standin/OwnListView.h"

#include "standin/ListViewSpy.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdint>
#include <cwchar>

namespace standin {

namespace {

const wchar_t kDefViewClass[] = L"SHELLDLL_DefView";
const wchar_t kMenuOwnerClass[] = L"StandinMenuOwner";
constexpr size_t kMaxLabel = 32767;
constexpr UINT kOpenCommand = 1;
constexpr int kOverlayImage = 0; // index of the overlay picture in both image lists
constexpr UINT_PTR kListViewId = 1;

bool RegisterClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HBRUSH background)
{
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, name, &existing))
        return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpszClassName = name;
    windowClass.hInstance = instance;
    windowClass.lpfnWndProc = procedure;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    return RegisterClassExW(&windowClass) != 0;
}

// A top-down 32-bit DIB the caller paints.
UniqueBitmap CreatePixels(int size, std::uint32_t*& pixels)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pixels = static_cast<std::uint32_t*>(bits);
    return bitmap;
}

// Adds a picture that shows colour where covered(x, y) holds and is transparent elsewhere.
// Transparency is the mask's alone, the alpha bytes stay 0: Wine draws no overlay over a picture
// that has alpha.
// A picture that shows colour where covered(x, y) holds and is transparent elsewhere.
// Transparency is the mask's alone, the alpha bytes stay 0: Wine draws no overlay over a picture
// that has alpha.
struct Picture {
    UniqueBitmap image;
    UniqueBitmap mask;
};

template <typename Covered>
Picture MakePicture(int size, COLORREF colour, Covered covered)
{
    Picture picture;
    std::uint32_t* pixels = nullptr;
    picture.image = CreatePixels(size, pixels);
    if (!picture.image || !pixels)
        return Picture();
    const int maskStride = ((size + 15) / 16) * 2; // monochrome rows are WORD-aligned
    std::vector<BYTE> maskBits(static_cast<size_t>(maskStride * size), 0);
    const std::uint32_t rgb = (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
                               (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (covered(x, y)) {
                pixels[y * size + x] = rgb;
            } else {
                pixels[y * size + x] = 0;
                maskBits[static_cast<size_t>(y * maskStride + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
            }
        }
    }
    GdiFlush();
    picture.mask = UniqueBitmap(CreateBitmap(size, size, 1, 1, maskBits.data()));
    if (!picture.mask)
        return Picture();
    return picture;
}

template <typename Covered>
bool AddPicture(HIMAGELIST list, int size, COLORREF colour, Covered covered)
{
    Picture picture = MakePicture(size, colour, covered);
    return picture.image && ImageList_Add(list, picture.image.Get(), picture.mask.Get()) >= 0;
}

// The item's solid square, drawn anew in place: the list keeps the index, only the pixels change.
bool ReplacePicture(HIMAGELIST list, int index, COLORREF colour)
{
    int size = 0, height = 0;
    if (!list || !ImageList_GetIconSize(list, &size, &height))
        return false;
    Picture picture = MakePicture(size, colour, [](int, int) { return true; });
    return picture.image && ImageList_Replace(list, index, picture.image.Get(), picture.mask.Get());
}

// Overlay 1: transparent but for a pure white block filling the lower-left quarter.
bool AddOverlayPicture(HIMAGELIST list, int size)
{
    const int half = size / 2;
    return AddPicture(list, size, RGB(255, 255, 255), [half](int x, int y) { return x < half && y >= half; }) &&
           ImageList_SetOverlayImage(list, kOverlayImage, 1);
}

UniqueImageList CreatePictures(const ItemsPlan& plan, int size)
{
    const int count = static_cast<int>(plan.items.size()) + 1;
    UniqueImageList list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 8));
    if (!list || !AddOverlayPicture(list.Get(), size))
        return UniqueImageList();
    for (const OwnItem& item : plan.items) {
        if (!AddPicture(list.Get(), size, item.colour, [](int, int) { return true; }))
            return UniqueImageList();
    }
    return list;
}

} // namespace

ItemsPlan ParseItems(const std::vector<ContentLine>& lines, const Log& log)
{
    ItemsPlan plan;
    for (const ContentLine& line : lines) {
        if (line.text == L"!nosmallimagelist") {
            plan.smallImages = false;
            continue;
        }
        if (line.text == L"!noimagelist") {
            plan.smallImages = false;
            plan.normalImages = false;
            continue;
        }
        // The label is the rest of the line after the fourth tab.
        std::wstring_view rest(line.text);
        std::vector<std::wstring> fields;
        for (int i = 0; i < 4; ++i) {
            const size_t tab = rest.find(L'\t');
            if (tab == std::wstring_view::npos)
                break;
            fields.emplace_back(rest.substr(0, tab));
            rest.remove_prefix(tab + 1);
        }
        OwnItem item{{0, 0}, 0, false, {}};
        int x = 0;
        int y = 0;
        if (fields.size() != 4 || !ParseInt(fields[0], x) || !ParseInt(fields[1], y) ||
            !ParseColour(fields[2], item.colour) || (fields[3] != L"0" && fields[3] != L"1")) {
            log.Write(L"error items line " + std::to_wstring(line.number) + L": not understood, skipped");
            continue;
        }
        item.position = {x, y};
        item.overlay = fields[3] == L"1";
        item.label = std::wstring(rest.substr(0, kMaxLabel));
        plan.items.push_back(std::move(item));
    }
    return plan;
}

bool OwnFolderView::Create(HWND frame, const RECT& rect, const ItemsPlan& plan)
{
    Destroy();
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(frame, GWLP_HINSTANCE));
    if (!RegisterClassOnce(instance, kDefViewClass, WindowProc, reinterpret_cast<HBRUSH>(COLOR_DESKTOP + 1)) ||
        !RegisterClassOnce(instance, kMenuOwnerClass, DefWindowProcW, nullptr)) {
        log_.Write(L"error cannot register the window classes");
        return false;
    }

    // Menus are tracked for a window of their own, so that making it foreground never raises "Progman".
    menuOwner_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, kMenuOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                     nullptr, instance, nullptr));
    defView_.Reset(CreateWindowExW(0, kDefViewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                   rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, frame,
                                   nullptr, instance, this));
    if (!defView_ || !menuOwner_) {
        log_.Write(L"error cannot create the SHELLDLL_DefView window");
        Destroy();
        return false;
    }
    RECT client{};
    GetClientRect(defView_.Get(), &client);
    // Shared image lists: this object, not the list view, destroys them, after the windows.
    listView_ = CreateWindowExW(0, WC_LISTVIEWW, L"FolderView",
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_ICON | LVS_ALIGNLEFT | LVS_SHOWSELALWAYS |
                                    LVS_SHAREIMAGELISTS,
                                0, 0, client.right, client.bottom, defView_.Get(),
                                reinterpret_cast<HMENU>(kListViewId), instance, nullptr);
    if (!listView_) {
        log_.Write(L"error cannot create the SysListView32 window");
        Destroy();
        return false;
    }
    SendMessageW(listView_, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_DESKTOP)));
    SendMessageW(listView_, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
    SendMessageW(listView_, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(RGB(255, 255, 255)));

    if (!CreateImageLists(plan)) {
        log_.Write(L"error cannot create the image lists");
        Destroy();
        return false;
    }
    if (normalImages_)
        SendMessageW(listView_, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(normalImages_.Get()));
    if (smallImages_)
        SendMessageW(listView_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_.Get()));

    for (size_t i = 0; i < plan.items.size(); ++i) {
        const OwnItem& source = plan.items[i];
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(source.label.c_str());
        item.iImage = static_cast<int>(i) + 1;
        item.state = source.overlay ? INDEXTOOVERLAYMASK(1) : 0;
        item.stateMask = LVIS_OVERLAYMASK;
        const int index = static_cast<int>(SendMessageW(listView_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (index < 0)
            log_.Write(L"error cannot insert item " + std::to_wstring(i));
    }
    return true;
}

void OwnFolderView::PlaceItems(const ItemsPlan& plan)
{
    for (size_t i = 0; i < plan.items.size(); ++i) {
        POINT position = plan.items[i].position;
        spy_.SendQuiet(LVM_SETITEMPOSITION32, i, reinterpret_cast<LPARAM>(&position));
    }
}

bool OwnFolderView::CreateImageLists(const ItemsPlan& plan)
{
    if (plan.normalImages) {
        normalImages_ = CreatePictures(plan, 32);
        if (!normalImages_)
            return false;
    }
    if (plan.smallImages) {
        smallImages_ = CreatePictures(plan, 16);
        if (!smallImages_)
            return false;
    }
    return true;
}

void OwnFolderView::Destroy()
{
    defView_.Reset();
    listView_ = nullptr;
    menuOwner_.Reset();
    normalImages_.Reset();
    smallImages_.Reset();
}

LRESULT CALLBACK OwnFolderView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* view = reinterpret_cast<OwnFolderView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!view)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return view->OnMessage(window, message, wParam, lParam);
}

LRESULT OwnFolderView::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Tests change an item's picture in place through this message (item, COLORREF).
    static const UINT recolorMessage = RegisterWindowMessageW(L"StandinRecolor");
    if (message == recolorMessage) {
        Recolor(static_cast<int>(wParam), static_cast<COLORREF>(lParam));
        return 0;
    }
    switch (message) {
    case WM_NOTIFY:
        if (lParam)
            OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        return 0;
    case WM_CONTEXTMENU:
        OnContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_SETFOCUS:
        if (listView_)
            SetFocus(listView_);
        return 0;
    case WM_SIZE:
        if (listView_)
            MoveWindow(listView_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void OwnFolderView::Recolor(int item, COLORREF colour)
{
    const int count = static_cast<int>(spy_.SendQuiet(LVM_GETITEMCOUNT, 0, 0));
    if (item < 0 || item >= count)
        return;
    // Item i shows picture i + 1: picture 0 is the overlay.
    bool done = ReplacePicture(normalImages_.Get(), item + 1, colour);
    done = ReplacePicture(smallImages_.Get(), item + 1, colour) || done;
    InvalidateRect(listView_, nullptr, TRUE);
    wchar_t text[8];
    swprintf(text, 8, L"%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    log_.Write(std::wstring(L"recolor item=") + std::to_wstring(item) + L" color=" + text +
               (done ? L"" : L" failed"));
}

void OwnFolderView::OnNotify(const NMHDR& header)
{
    if (header.hwndFrom != listView_)
        return;
    int item = -1;
    if (header.code == NM_DBLCLK) {
        item = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
    } else if (header.code == LVN_ITEMACTIVATE) {
        // Not the notice's iItem: Wine sends a bare NMHDR when Enter activates.
        item = static_cast<int>(spy_.SendQuiet(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        if (item < 0)
            item = static_cast<int>(spy_.SendQuiet(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    } else {
        return;
    }
    if (item < 0)
        return;
    // A double click notifies both NM_DBLCLK and LVN_ITEMACTIVATE: one opening.
    if (spy_.InDoubleClick()) {
        if (openedSerial_ == spy_.DoubleClickSerial())
            return;
        openedSerial_ = spy_.DoubleClickSerial();
    } else if (header.code == NM_DBLCLK) {
        return;
    }
    LogOpen(item);
}

void OwnFolderView::LogOpen(int item)
{
    log_.Write(L"open item=" + std::to_wstring(item) + L" label=" + spy_.ItemText(item));
}

void OwnFolderView::OnContextMenu(int x, int y)
{
    int item = -1;
    POINT at{x, y};
    if (x == -1 && y == -1) {
        // The keyboard form: the shell opens the menu on the focused (else the first selected) item.
        item = static_cast<int>(spy_.SendQuiet(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        if (item < 0)
            item = static_cast<int>(spy_.SendQuiet(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        if (item >= 0) {
            RECT icon{};
            icon.left = LVIR_ICON;
            spy_.SendQuiet(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&icon));
            RECT screen = icon;
            MapWindowPoints(listView_, nullptr, reinterpret_cast<POINT*>(&screen), 2);
            at = {(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};
            log_.Write(L"menu item=" + std::to_wstring(item) + L" rect=" + RectText(icon) +
                       L" x=" + std::to_wstring(at.x) + L" y=" + std::to_wstring(at.y));
        } else {
            at = {0, 0};
            ClientToScreen(listView_, &at);
            log_.Write(L"menu item=-1 x=" + std::to_wstring(at.x) + L" y=" + std::to_wstring(at.y));
        }
    } else {
        LVHITTESTINFO hit{};
        hit.pt = at;
        ScreenToClient(listView_, &hit.pt);
        item = static_cast<int>(spy_.SendQuiet(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (!(hit.flags & LVHT_ONITEM))
            item = -1;
        log_.Write(L"menu item=" + std::to_wstring(item) + L" x=" + std::to_wstring(at.x) +
                   L" y=" + std::to_wstring(at.y));
    }
    if (!showMenus_)
        return;

    UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return;
    AppendMenuW(menu.Get(), MF_STRING | (item >= 0 ? 0u : MF_GRAYED), kOpenCommand, L"Open");
    SetMenuDefaultItem(menu.Get(), kOpenCommand, FALSE);
    // Foreground, or neither Escape nor a click elsewhere reaches the menu to close it.
    SetForegroundWindow(menuOwner_.Get());
    const UINT command = static_cast<UINT>(TrackPopupMenuEx(
        menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, menuOwner_.Get(), nullptr));
    PostMessageW(menuOwner_.Get(), WM_NULL, 0, 0);
    log_.Write(L"menuclosed cmd=" + std::to_wstring(command));
    if (command == kOpenCommand && item >= 0)
        LogOpen(item);
}

} // namespace standin
