// DlgAbout: the About box filled from the product identity; the copyright notice; web pages.
#include "product/DlgAbout.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <new>
#include <string>

#include "product/ProductInfo.h"
#include "res/IconIds.h"
#include "sys/ResStr.h"
#include "sys/ShellRun.h"
#include "ui/CSWaitCursor.h"

extern "C" HINSTANCE hiDLL;

namespace {

const int VisitWebSiteId = -20007;
const int NoHtmlApplicationId = -22022;

// The small buttons in the order of the handler's fields: icons (of this library) and controls.
// The second and third have no control in the About box: they bind to nothing.
const UINT ButtonIcons[DlgAboutHandler::ButtonCount] = {
    static_cast<UINT>(-IDI_ABOUT_WEB), static_cast<UINT>(-IDI_ABOUT_MAIL), static_cast<UINT>(-IDI_ABOUT_INFO),
    static_cast<UINT>(-IDI_ABOUT_SUPPORT)};
const UINT ButtonCtls[DlgAboutHandler::ButtonCount] = {DlgAbout::WebSiteCtl, 0, 0, DlgAbout::SupportCtl};
const DWORD ButtonStyle = IconBtn::StyleLink | IconBtn::StyleCenterH | IconBtn::StyleCenterV;

// The notice is kept negated, so that it is not found as text inside the module.
wchar_t copyrightNotice[] = {
    static_cast<wchar_t>(-L'G'), static_cast<wchar_t>(-L'l'), static_cast<wchar_t>(-L'i'), static_cast<wchar_t>(-L'm'),
    static_cast<wchar_t>(-L'p'), static_cast<wchar_t>(-L's'), static_cast<wchar_t>(-L'e'), static_cast<wchar_t>(-L'b'),
    static_cast<wchar_t>(-L'o'), static_cast<wchar_t>(-L'x'), static_cast<wchar_t>(-L' '), static_cast<wchar_t>(-L'\u00A9'),
    static_cast<wchar_t>(-L' '), static_cast<wchar_t>(-L'2'), static_cast<wchar_t>(-L'0'), static_cast<wchar_t>(-L'0'),
    static_cast<wchar_t>(-L'6'), static_cast<wchar_t>(-L' '), static_cast<wchar_t>(-L'C'), static_cast<wchar_t>(-L'o'),
    static_cast<wchar_t>(-L'r'), static_cast<wchar_t>(-L'v'), static_cast<wchar_t>(-L'a'), static_cast<wchar_t>(-L'n'),
    static_cast<wchar_t>(-L't'), static_cast<wchar_t>(-L'r'), static_cast<wchar_t>(-L'i'), static_cast<wchar_t>(-L'x'),
    static_cast<wchar_t>(-L'.'), 0};

// The extension of the address's last name (after the host, before a query or an anchor); a web
// address without one is a page: ".htm".
std::wstring FileTypeOf(const wchar_t* url)
{
    std::wstring path = url;
    path.erase(std::min(path.find_first_of(L"?#"), path.size()));
    size_t start = path.find(L"://");
    start = start == std::wstring::npos ? 0 : path.find(L'/', start + 3);
    size_t name = path.find_last_of(L"/\\:");
    if (start != std::wstring::npos) {
        name = name == std::wstring::npos || name < start ? start : name + 1;
        size_t dot = path.find_last_of(L'.');
        if (dot != std::wstring::npos && dot >= name && dot + 1 < path.size())
            return path.substr(dot);
    }
    return L".htm";
}

void Negate(wchar_t* text)
{
    for (; *text; ++text)
        *text = static_cast<wchar_t>(-*text);
}

void SetItemFmt(HWND dlg, int id, const wchar_t* a, const wchar_t* b = nullptr, const wchar_t* c = nullptr)
{
    wchar_t format[256] = {};
    wchar_t text[512] = {};
    GetDlgItemTextW(dlg, id, format, 256);
    _snwprintf(text, 511, format, a, b, c);
    SetDlgItemTextW(dlg, id, text);
}

} // namespace

DlgAboutHandler::DlgAboutHandler()
    : buttons{IconBtn(ButtonIcons[0], ButtonStyle), IconBtn(ButtonIcons[1], ButtonStyle),
              IconBtn(ButtonIcons[2], ButtonStyle), IconBtn(ButtonIcons[3], ButtonStyle)},
      productIcon(nullptr), product(GetProductInfo())
{
}

DlgAboutHandler::~DlgAboutHandler()
{
    delete productIcon;
}

void DlgAboutHandler::Init(CSDlg* dlg)
{
    for (int i = 0; i < ButtonCount; ++i) {
        if (ButtonCtls[i])
            buttons[i].Init(dlg, ButtonCtls[i]);
    }

    HWND hwnd = dlg->GetHandle();
    // A child dialog sits inside another one, whose title stays.
    if (!(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) {
        wchar_t title[128];
        _snwprintf(title, 127, L"About %ls", product->GetNickName());
        title[127] = 0;
        SetWindowTextW(hwnd, title);
    }
    SetItemFmt(hwnd, DlgAbout::NameCtl, product->GetNickName(), product->GetRegTM(), product->GetEdition());
    bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    SetItemFmt(hwnd, DlgAbout::VersionCtl, shift ? product->GetVersionStrRev() : product->GetVersionStrLong());
    SetItemFmt(hwnd, DlgAbout::CopyrightCtl, product->GetCopyrightYear());

    if (GetDlgItem(hwnd, DlgAbout::IconCtl)) {
        int id = product->GetIconID();
        HINSTANCE instance = product->GetIconInstance();
        ProductInfo::ConvertResourceId(id, instance);
        // The button of an earlier run of this dialog went with its window.
        delete productIcon;
        productIcon = new (std::nothrow) ImageBtn(DlgAbout::ProductIconSize, DlgAbout::ProductIconSize, instance,
                                                  id, 0, 0, 0, 0, ImageBtn::FlagCenterH | ImageBtn::FlagCenterV);
        if (productIcon)
            productIcon->Init(dlg, DlgAbout::IconCtl);
    }
}

int DlgAboutHandler::OnDlgMessage(CSDlg* pDlg, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (msg) {
    case WM_INITDIALOG:
        // The end of a window takes its window hooks with it; a second run needs this one again.
        AddToWnd(pDlg);
        *pResult = pDlg->DoDlgMessage(msg, wParam, lParam, this);
        Init(pDlg);
        return 1;
    case WM_COMMAND: {
        WORD id = LOWORD(wParam);
        if ((id != DlgAbout::WebSiteCtl && id != DlgAbout::SupportCtl) || HIWORD(wParam) != BN_CLICKED)
            return 0;
        const wchar_t* page = id == DlgAbout::WebSiteCtl ? product->GetHomePage() : product->GetSupportPage();
        if (Msg(pDlg->GetHandle(), MB_OKCANCEL | MB_ICONINFORMATION, VisitWebSiteId) == IDOK)
            OpenHTML(pDlg->GetHandle(), page, 0, 0);
        *pResult = TRUE;
        return 1;
    }
    default:
        return 0;
    }
}

int DlgAboutHandler::OnWndMessage(CSWnd*, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT*)
{
    if (msg == WM_MOUSEMOVE && GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1) {
        for (IconBtn& button : buttons) {
            if (button.IsReady())
                button.SendMsg(msg, wParam, lParam);
        }
    }
    return 0;
}

DlgAbout::DlgAbout()
{
    handler.AddToDlg(this);
    handler.AddToWnd(this);
}

DlgAbout::~DlgAbout()
{
    handler.RemoveFromWnd(this);
    handler.RemoveFromDlg(this);
}

bool DoAbout(HWND owner)
{
    DlgAbout dlg;
    return dlg.Modal(DlgAbout::TemplateId, hiDLL, owner) != IDCANCEL;
}

void ShowCopyright(HWND owner)
{
    wchar_t copy[256];
    Negate(copyrightNotice);
    wcsncpy(copy, copyrightNotice, 255);
    copy[255] = 0;
    Negate(copyrightNotice);
    Msg(owner, MB_ICONINFORMATION, L"%ls", copy);
}

bool OpenHTML(HWND owner, const wchar_t* url, int confirm, unsigned int messageId)
{
    if (confirm && Msg(owner, MB_OKCANCEL | MB_ICONINFORMATION, messageId ? -static_cast<int>(messageId) : VisitWebSiteId) != IDOK)
        return false;
    // Nothing to open is not handed to the shell, which could open a folder window for it.
    if (url && *url) {
        if (RunFileEx(url, nullptr, nullptr, SEE_MASK_FLAG_NO_UI, nullptr))
            return true;
        // No handler for the address itself: the program of its file type, given the address.
        wchar_t application[MAX_PATH] = {};
        DWORD chars = MAX_PATH;
        if (SUCCEEDED(AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_EXECUTABLE, FileTypeOf(url).c_str(), nullptr, application,
                                        &chars)) &&
            application[0]) {
            INT_PTR result = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, nullptr, application, url, nullptr, 0));
            if (result > 32)
                return true;
        }
    }
    Msg(owner, MB_ICONSTOP, NoHtmlApplicationId);
    return false;
}
