// CSPropPage: one page of a CSPropSheet, a framework dialog that hears the sheet's notifications.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "sys/Api.h"
#include "ui/CSDlg.h"

class CSPropSheet;

// Constructed in its record (CSPropSheet::GetPageBuf) and added to the sheet; the sheet's
// notifications reach the slots below, whose answers are the notifications' results.
//
// The virtual operations keep their order: derived pages of other modules rely on it.
class GLMBX_API CSPropPage : public CSDlg {
public:
    // Fills psp: flags plus PSP_USECALLBACK, the template (a negative id names a template of
    // this library; a null instance means the sheet's), this library's dialog procedure.
    CSPropPage(PROPSHEETPAGEW* psp, HINSTANCE instance, int templateId, DWORD flags = 0);
    ~CSPropPage() override;

    // Remembers the sheet's window; returns 0.
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // PSN_... to the slots below; anything else to the base.
    LRESULT OnNotify(int id, NMHDR* nm) override;

    using CSDlg::OnHelp;
    // PSN_APPLY: takes the data and lets every control store it; PSNRET_NOERROR.
    virtual LRESULT OnApply(PSHNOTIFY* pn);
    // PSN_HELP: the page's help.
    virtual LRESULT OnHelp(NMHDR* nm);
    virtual LRESULT OnKillActive(NMHDR* nm);
    // PSN_SETACTIVE: the page becomes the sheet's last page; 0 shows it.
    virtual LRESULT OnSetActive(NMHDR* nm);
    virtual LRESULT OnReset(PSHNOTIFY* pn);
    // PSN_QUERYCANCEL: TRUE (stay) when the sheet's OnQueryCancel says no.
    virtual LRESULT OnQueryCancel(NMHDR* nm);
    virtual LRESULT OnWizBack(NMHDR* nm);
    virtual LRESULT OnWizNext(NMHDR* nm);
    virtual LRESULT OnWizFinish(NMHDR* nm);

    // ---- The sheet, through its window (nothing before the page is shown) ----
    void SetModified(BOOL changed = TRUE);
    void SetDirty(BOOL changed = TRUE) { SetModified(changed); }
    void SetOKText(const wchar_t* text);
    void SetCancelText(const wchar_t* text);
    void CancelToClose();
    void SetWizButtons(DWORD flags);
    // The index of the page the sheet shows; -1 when unknown.
    int GetCurPage();
    BOOL SetCurPage(UINT index);
    void SimulateBack();
    void SimulateNext();
    void SimulateApply();
    void SimulateCancel();
    // This page's text on the sheet's tab.
    BOOL SetPageTitle(const wchar_t* text);

    CSPropSheet* GetSheet() const { return sheet; }
    HWND GetSheetWnd() const { return sheetWnd; }
    int GetPageIndex() const { return pageIndex; }
    // Set by CSPropSheet::AddPage.
    void SetSheet(CSPropSheet* holder, int index);
    PROPSHEETPAGEW* GetRecord() const { return record; }

    // The page callback: makes the page the dialog in creation as the system creates it.
    static UINT CALLBACK CallBack(HWND hwnd, UINT msg, PROPSHEETPAGEW* psp);

protected:
    void PressButton(int button);

    CSPropSheet* sheet;
    HWND sheetWnd;
    int pageIndex;
    PROPSHEETPAGEW* record;
};
