// CSPropPage: its record, its binding at creation, the sheet's notifications and the sheet's operations.
#include "ui/CSPropPage.h"

#include <cstring>

#include "ui/CSCtrl.h"
#include "ui/CSPropSheet.h"

extern "C" HINSTANCE hiDLL;

CSPropPage::CSPropPage(PROPSHEETPAGEW* psp, HINSTANCE instance, int dialogId, DWORD flags)
    : CSDlg(nullptr), sheet(nullptr), sheetWnd(nullptr), pageIndex(-1), record(psp)
{
    // The sheet puts the page where it belongs.
    alignment = 0;
    if (dialogId < 0) {
        dialogId = -dialogId;
        instance = hiDLL;
    }
    resInstance = instance;
    // Anything beyond 16 bits would be taken for a name's address.
    if (dialogId > 0xFFFF)
        dialogId = 0;
    templateId = static_cast<UINT>(dialogId);
    if (!psp)
        return;
    // Only the record's own size: the next page's record follows right after it.
    UINT size = CSPropSheet::GetPageRecordSize();
    std::memset(psp, 0, size);
    psp->dwSize = size;
    psp->dwFlags = flags | PSP_USECALLBACK;
    psp->hInstance = instance;
    psp->pszTemplate = MAKEINTRESOURCEW(dialogId);
    psp->pfnDlgProc = CSDlg::ModalProc;
    psp->lParam = reinterpret_cast<LPARAM>(this);
    psp->pfnCallback = CallBack;
}

CSPropPage::~CSPropPage() = default;

void CSPropPage::SetSheet(CSPropSheet* holder, int index)
{
    sheet = holder;
    pageIndex = index;
}

UINT CALLBACK CSPropPage::CallBack(HWND, UINT msg, PROPSHEETPAGEW* psp)
{
    // The system's copy of the record still carries the page object.
    if (msg == PSPCB_CREATE && psp) {
        auto* page = reinterpret_cast<CSPropPage*>(psp->lParam);
        if (!page)
            return 0;
        pDlgInit = page;
        idInit = page->templateId;
    }
    return 1;
}

LRESULT CSPropPage::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    sheetWnd = ::GetParent(hwnd);
    if (!resInstance && sheet)
        resInstance = sheet->GetResInstance();
    CSDlg::OnInitDialog(wParam, lParam);
    // Dragging a page would move it inside the sheet.
    EnableFullDrag(FALSE);
    return 0;
}

LRESULT CSPropPage::OnNotify(int id, NMHDR* nm)
{
    if (!nm)
        return 0;
    switch (nm->code) {
    case PSN_APPLY:
        return OnApply(reinterpret_cast<PSHNOTIFY*>(nm));
    case PSN_HELP:
        return OnHelp(nm);
    case PSN_KILLACTIVE:
        return OnKillActive(nm);
    case PSN_SETACTIVE:
        return OnSetActive(nm);
    case PSN_RESET:
        return OnReset(reinterpret_cast<PSHNOTIFY*>(nm));
    case PSN_QUERYCANCEL:
        return OnQueryCancel(nm);
    case PSN_WIZBACK:
        return OnWizBack(nm);
    case PSN_WIZNEXT:
        return OnWizNext(nm);
    case PSN_WIZFINISH:
        return OnWizFinish(nm);
    default:
        return CSDlg::OnNotify(id, nm);
    }
}

LRESULT CSPropPage::OnApply(PSHNOTIFY*)
{
    UpdateData();
    OkControls();
    return PSNRET_NOERROR;
}

LRESULT CSPropPage::OnHelp(NMHDR*)
{
    CSDlg::OnHelp(static_cast<HELPINFO*>(nullptr));
    return 0;
}

LRESULT CSPropPage::OnKillActive(NMHDR*)
{
    return FALSE;
}

LRESULT CSPropPage::OnSetActive(NMHDR*)
{
    if (sheet)
        sheet->SetLastPage(pageIndex);
    return 0;
}

LRESULT CSPropPage::OnReset(PSHNOTIFY*)
{
    return 0;
}

LRESULT CSPropPage::OnQueryCancel(NMHDR*)
{
    return sheet && !sheet->OnQueryCancel(this) ? TRUE : FALSE;
}

LRESULT CSPropPage::OnWizBack(NMHDR*)
{
    return 0;
}

LRESULT CSPropPage::OnWizNext(NMHDR*)
{
    return 0;
}

LRESULT CSPropPage::OnWizFinish(NMHDR*)
{
    return 0;
}

// ---- The sheet's operations ----

void CSPropPage::SetModified(BOOL changed)
{
    if (sheetWnd && hwnd)
        SendMessageW(sheetWnd, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(hwnd), 0);
}

void CSPropPage::SetOKText(const wchar_t* text)
{
    if (sheetWnd)
        ::SetDlgItemTextW(sheetWnd, IDOK, text ? text : L"");
}

void CSPropPage::SetCancelText(const wchar_t* text)
{
    if (sheetWnd)
        ::SetDlgItemTextW(sheetWnd, IDCANCEL, text ? text : L"");
}

void CSPropPage::CancelToClose()
{
    if (sheetWnd)
        SendMessageW(sheetWnd, PSM_CANCELTOCLOSE, 0, 0);
}

void CSPropPage::SetWizButtons(DWORD flags)
{
    // Posted, as the sheet expects it from inside its notifications.
    if (sheetWnd)
        PostMessageW(sheetWnd, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(flags));
}

int CSPropPage::GetCurPage()
{
    if (!sheetWnd)
        return -1;
    auto current = reinterpret_cast<HWND>(SendMessageW(sheetWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
    return current ? static_cast<int>(SendMessageW(sheetWnd, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(current), 0))
                   : -1;
}

BOOL CSPropPage::SetCurPage(UINT index)
{
    return sheetWnd && SendMessageW(sheetWnd, PSM_SETCURSEL, index, 0);
}

void CSPropPage::PressButton(int button)
{
    if (sheetWnd)
        PostMessageW(sheetWnd, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
}

void CSPropPage::SimulateBack()
{
    PressButton(PSBTN_BACK);
}

void CSPropPage::SimulateNext()
{
    PressButton(PSBTN_NEXT);
}

void CSPropPage::SimulateApply()
{
    PressButton(PSBTN_APPLYNOW);
}

void CSPropPage::SimulateCancel()
{
    PressButton(PSBTN_CANCEL);
}

BOOL CSPropPage::SetPageTitle(const wchar_t* text)
{
    if (!sheetWnd || pageIndex < 0)
        return FALSE;
    auto tab = reinterpret_cast<HWND>(SendMessageW(sheetWnd, PSM_GETTABCONTROL, 0, 0));
    if (!tab)
        tab = FindWindowExW(sheetWnd, nullptr, L"SysTabControl32", nullptr);
    if (!tab)
        return FALSE;
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(text ? text : L"");
    return SendMessageW(tab, TCM_SETITEMW, static_cast<WPARAM>(pageIndex), reinterpret_cast<LPARAM>(&item)) != 0;
}
