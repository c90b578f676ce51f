// DlgAbout: the About box filled from the product identity; the copyright notice; web pages.
#include "product/DlgAbout.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cwchar>

#include "product/ProductInfo.h"
#include "sys/ResStr.h"
#include "sys/ShellRun.h"
#include "ui/CSWaitCursor.h"

extern "C" HINSTANCE hiDLL;

namespace {

const int VisitWebSiteId = -20007;
const int NoHtmlApplicationId = -22022;

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

DlgAboutHandler::DlgAboutHandler() : product(GetProductInfo()) {}

void DlgAboutHandler::Init(CSDlg* dlg)
{
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
    if (HWND icon = GetDlgItem(hwnd, DlgAbout::IconCtl)) {
        int id = product->GetIconID();
        HINSTANCE instance = product->GetIconInstance();
        ProductInfo::ConvertResourceId(id, instance);
        HICON big = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 48, 48, LR_SHARED));
        SetWindowLongPtrW(icon, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(big));
    }
}

int DlgAboutHandler::OnDlgMessage(CSDlg* pDlg, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (msg) {
    case WM_INITDIALOG:
        *pResult = pDlg->DoDlgMessage(msg, wParam, lParam, this);
        Init(pDlg);
        return 1;
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!draw || draw->CtlID != DlgAbout::IconCtl)
            return 0;
        HICON icon = reinterpret_cast<HICON>(GetWindowLongPtrW(draw->hwndItem, GWLP_USERDATA));
        FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
        if (icon)
            DrawIconEx(draw->hDC, draw->rcItem.left, draw->rcItem.top, icon, 48, 48, 0, nullptr, DI_NORMAL);
        *pResult = TRUE;
        return 1;
    }
    case WM_COMMAND: {
        WORD id = LOWORD(wParam);
        if (id != DlgAbout::WebSiteCtl && id != DlgAbout::SupportCtl)
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

DlgAbout::DlgAbout()
{
    handler.AddToDlg(this);
}

DlgAbout::~DlgAbout()
{
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
    if (!url || !*url)
        return false;
    if (confirm && Msg(owner, MB_OKCANCEL | MB_ICONINFORMATION, messageId ? -static_cast<int>(messageId) : VisitWebSiteId) != IDOK)
        return false;
    if (RunFileEx(url, nullptr, nullptr, SEE_MASK_FLAG_NO_UI, nullptr))
        return true;
    // No handler for the address itself: the program that opens HTML files, given the address.
    wchar_t application[MAX_PATH] = {};
    DWORD chars = MAX_PATH;
    if (SUCCEEDED(AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_EXECUTABLE, L".htm", nullptr, application, &chars)) &&
        application[0]) {
        INT_PTR result = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, nullptr, application, url, nullptr, 0));
        if (result > 32)
            return true;
    }
    Msg(owner, MB_ICONSTOP, NoHtmlApplicationId);
    return false;
}
