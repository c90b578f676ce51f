// CSPropSheet: the system's property sheet (PropertySheetW) whose pages are framework dialogs (CSPropPage).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "sys/Api.h"
#include "sys/CSBuf.h"
#include "sys/CSList.h"
#include "ui/CSDlg.h"

class CSPropPage;

// The sheet holds the header and one page record per page, side by side as the system reads
// them: construct each page in GetPageBuf(i), then AddPage(i, page), then Run. The sheet's
// window is bound to the object once the system has made it (PSCB_INITIALIZED); its dialog
// procedure stays the system's. One sheet per process may be in creation at a time.
//
// The virtual operations keep their order: derived sheets of other modules rely on it.
class GLMBX_API CSPropSheet : public CSDlg {
public:
    enum : DWORD {
        OptOwnsPages = 1,      // the pages are deleted with the sheet object
        OptAppWindow = 2,      // a taskbar button, and the foreground once initialised
        OptNoContextHelp = 4,  // no "?" in the caption
        OptMinimizeBox = 8,    // with OptNoContextHelp: a minimise box
    };

    // flags are PSH_... flags (PSH_USECALLBACK is always added, PSH_USEICONID with an icon);
    // a null instance means this library; the caption is not copied.
    CSPropSheet(HWND parent, HINSTANCE instance, UINT pageCount, const wchar_t* caption, DWORD flags = 0,
                UINT iconId = 0, DWORD options = 0);
    // With OptOwnsPages, deletes every page added.
    ~CSPropSheet() override;

    // The sheet's window has just been made (and bound to this object).
    virtual void OnPSCB_INITIALIZED();
    // The sheet's template, before the window is made: a DLGTEMPLATE, or the extended form
    // when its second word is 0xFFFF. The option bits have been applied to it.
    virtual void OnPSCB_PRECREATE(LPARAM dlgTemplate);
    // May the user cancel while page is shown? 1: yes.
    virtual int OnQueryCancel(CSPropPage* page);

    // The record of page i, to construct a page in; null when i is not below the page count.
    PROPSHEETPAGEW* GetPageBuf(UINT i);
    // Page i of the sheet (its record must be GetPageBuf(i)); 0 when i is out of range.
    int AddPage(UINT i, CSPropPage* page);
    CSPropPage* GetPage(UINT i) const;
    UINT GetPageCount() const { return pageCount; }
    // Shows the sheet from startPage; whether PropertySheetW answered a positive value. The
    // pages run from 0 up to the first record that was not filled.
    BOOL Run(UINT startPage = 0);

    int GetLastPage() const { return lastPage; }
    void SetLastPage(int index) { lastPage = index; }
    // Pages whose dialog exists and is initialised.
    int GetActivePagesCount() const;
    void UpdatePagesFromData();
    void UpdateDataFromPages();
    DWORD GetOptions() const { return options; }
    const PROPSHEETHEADERW& GetHeader() const { return header; }

    // The size of one page record for the common controls at hand.
    static UINT GetPageRecordSize();
    static int CALLBACK CallBack(HWND sheet, UINT msg, LPARAM lParam);
    // The sheet that Run is showing, for its callback.
    static CSPropSheet* pSheetInit;

protected:
    // Option bits 2 and 3 on the template's style.
    void ApplyTemplateOptions(void* dlgTemplate);

    PROPSHEETHEADERW header;
    UINT pageCount;
    UINT pageSize;
    CSBuf pageRecords;
    CSList pages;
    DWORD options;
    int lastPage;
};
