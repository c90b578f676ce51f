// CSPropSheet: the header and page records, running the sheet, its callback and its options.
#include "ui/CSPropSheet.h"

#include <cstring>

#include "sys/PrevInstance.h"
#include "sys/SysInfo.h"
#include "sys/WndUtil.h"
#include "ui/CSPropPage.h"

extern "C" HINSTANCE hiDLL;

namespace {

const UINT MaxPages = MAXPROPPAGES;

// The common controls before 4.71 know the first, shorter records only.
bool ModernRecords()
{
    return GetVerDll_ComCtl32() >= ((4u << 8) | 71u);
}

int DeletePage(unsigned long, unsigned int msg, void* element)
{
    if (msg == CSList::MsgRemove)
        delete static_cast<CSPropPage*>(element);
    return 1;
}

} // namespace

CSPropSheet* CSPropSheet::pSheetInit = nullptr;

UINT CSPropSheet::GetPageRecordSize()
{
    return ModernRecords() ? PROPSHEETPAGEW_V2_SIZE : PROPSHEETPAGEW_V1_SIZE;
}

CSPropSheet::CSPropSheet(HWND parent, HINSTANCE instance, UINT count, const wchar_t* caption, DWORD flags,
                         UINT iconId, DWORD sheetOptions)
    : CSDlg(nullptr), header(), pageCount(count < MaxPages ? count : MaxPages), pageSize(GetPageRecordSize()),
      pageRecords(pageCount * pageSize), options(sheetOptions), lastPage(-1)
{
    if (!pageRecords.IsReady())
        pageCount = 0;
    resInstance = instance ? instance : hiDLL;
    owner = parent;
    alignment = 0;
    header.dwSize = ModernRecords() ? CCSIZEOF_STRUCT(PROPSHEETHEADERW, hbmHeader) : PROPSHEETHEADERW_V1_SIZE;
    // Records, not page handles: the system reads them side by side, pageSize apart.
    header.dwFlags = (flags & ~PSH_PROPSHEETPAGE) | PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    if (iconId) {
        header.dwFlags |= PSH_USEICONID;
        header.pszIcon = MAKEINTRESOURCEW(iconId);
    }
    header.hwndParent = parent;
    header.hInstance = resInstance;
    header.pszCaption = caption;
    header.pfnCallback = CallBack;
    if (options & OptOwnsPages)
        pages.SetCallback(0, DeletePage);
}

CSPropSheet::~CSPropSheet()
{
    if (pSheetInit == this)
        pSheetInit = nullptr;
    pages.RemoveAll();
}

PROPSHEETPAGEW* CSPropSheet::GetPageBuf(UINT i)
{
    if (i >= pageCount)
        return nullptr;
    unsigned char* records = pageRecords;
    return reinterpret_cast<PROPSHEETPAGEW*>(records + static_cast<size_t>(i) * pageSize);
}

int CSPropSheet::AddPage(UINT i, CSPropPage* page)
{
    PROPSHEETPAGEW* psp = GetPageBuf(i);
    if (!page || !psp || page->GetRecord() != psp)
        return 0;
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        POS__* at = pos;
        auto* other = static_cast<CSPropPage*>(pages.GetNext(pos));
        if (other == page)
            return 0;
        // Another page in the same record has been overwritten: it is no longer the sheet's.
        if (other->GetPageIndex() == static_cast<int>(i)) {
            other->SetSheet(nullptr, -1);
            pages.SetAt(at, page);
            page->SetSheet(this, static_cast<int>(i));
            if (!psp->hInstance)
                psp->hInstance = resInstance;
            return 1;
        }
    }
    pages.AddTail(page);
    page->SetSheet(this, static_cast<int>(i));
    if (!psp->hInstance)
        psp->hInstance = resInstance;
    return 1;
}

CSPropPage* CSPropSheet::GetPage(UINT i) const
{
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* page = static_cast<CSPropPage*>(pages.GetNext(pos));
        if (page->GetPageIndex() == static_cast<int>(i))
            return page;
    }
    return nullptr;
}

BOOL CSPropSheet::Run(UINT startPage)
{
    if (hwnd && IsWindow(hwnd))
        return FALSE;
    UINT filled = 0;
    while (filled < pageCount && GetPage(filled) && GetPageBuf(filled)->dwSize)
        ++filled;
    if (!filled)
        return FALSE;
    header.nPages = filled;
    header.nStartPage = startPage < filled ? startPage : 0;
    header.ppsp = GetPageBuf(0);
    header.hwndParent = owner;
    ResetRunState(resInstance, owner, 0);
    isModeless = (header.dwFlags & PSH_MODELESS) != 0;
    CSPropSheet* outer = pSheetInit;
    pSheetInit = this;
    INT_PTR result = PropertySheetW(&header);
    // A modeless sheet is made by now; a modal one is gone.
    pSheetInit = outer;
    return result > 0;
}

int CALLBACK CSPropSheet::CallBack(HWND sheetWnd, UINT msg, LPARAM lParam)
{
    CSPropSheet* sheet = pSheetInit;
    if (!sheet)
        return 0;
    if (msg == PSCB_PRECREATE) {
        if (lParam)
            sheet->ApplyTemplateOptions(reinterpret_cast<void*>(lParam));
        sheet->OnPSCB_PRECREATE(lParam);
    } else if (msg == PSCB_INITIALIZED && sheetWnd) {
        // The pages' creation used the hand-over in between: it is the sheet's turn now.
        pDlgInit = sheet;
        idInit = 0;
        SubclassDlg(sheetWnd);
        if (pDlgInit == sheet)
            pDlgInit = nullptr;
        if (sheet->options & OptAppWindow) {
            SetWindowLongPtrW(sheetWnd, GWL_EXSTYLE, GetWindowLongPtrW(sheetWnd, GWL_EXSTYLE) | WS_EX_APPWINDOW);
            DoActivateWindow(sheetWnd);
        }
        sheet->OnPSCB_INITIALIZED();
    }
    return 0;
}

void CSPropSheet::ApplyTemplateOptions(void* dlgTemplate)
{
    if (!(options & OptNoContextHelp))
        return;
    auto* bytes = static_cast<unsigned char*>(dlgTemplate);
    WORD signature;
    std::memcpy(&signature, bytes + 2, sizeof(signature));
    unsigned char* at = bytes + (signature == 0xFFFF ? 12 : 0);
    DWORD style;
    std::memcpy(&style, at, sizeof(style));
    style &= ~static_cast<DWORD>(DS_CONTEXTHELP);
    if (options & OptMinimizeBox)
        style |= WS_MINIMIZEBOX;
    std::memcpy(at, &style, sizeof(style));
}

void CSPropSheet::OnPSCB_INITIALIZED() {}

void CSPropSheet::OnPSCB_PRECREATE(LPARAM) {}

int CSPropSheet::OnQueryCancel(CSPropPage*)
{
    return 1;
}

int CSPropSheet::GetActivePagesCount() const
{
    int count = 0;
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* page = static_cast<CSPropPage*>(pages.GetNext(pos));
        if (page->IsReady() && page->IsInitialized())
            ++count;
    }
    return count;
}

void CSPropSheet::UpdatePagesFromData()
{
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* page = static_cast<CSPropPage*>(pages.GetNext(pos));
        if (page->IsReady() && page->IsValid())
            page->UpdateControls();
    }
}

void CSPropSheet::UpdateDataFromPages()
{
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* page = static_cast<CSPropPage*>(pages.GetNext(pos));
        if (page->IsReady() && page->IsValid())
            page->UpdateData();
    }
}
