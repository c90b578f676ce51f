// CSDlgPageMan: a dialog that shows one of its pages (CSDlgPage) at a time over a placeholder control.
#pragma once

#include <windows.h>

#include <cstdarg>

#include "sys/Api.h"
#include "sys/CSList.h"
#include "ui/CSDlg.h"
#include "ui/CSImageList.h"

class CSDlgPage;

// With Back and Next buttons the manager is a wizard: Next reads "Fi&nish" on the last page
// and finishes there (OK). Without them Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and
// Ctrl+PageUp cycle through the pages. Tab runs through the page's controls and the
// manager's own as one cycle. The keyboard handling lives in the manager's own loop: run it
// with Do (or ModelessWithLoop).
//
// Pages are not owned; they are added before the manager runs and outlive its window.
// Leaving a page can be refused; after a refusal every request to leave within RefusalMs is
// refused without asking the page again (one time for the whole module).
//
// The virtual operations keep their order: derived managers of other modules rely on it.
class GLMBX_API CSDlgPageMan : public CSDlg {
public:
    // Button masks of EnableButton, ShowButton and PressButton.
    enum : UINT { BtnBack = 1, BtnNext = 2, BtnCancel = 4, BtnHelp = 8 };
    // Delayed actions: focus the remembered control, click Back, click Next.
    enum : DWORD { ActionFocusPage = 601, ActionPressBack = 602, ActionPressNext = 603 };
    enum : DWORD { RefusalMs = 500, ActionDelayMs = 100 };
    enum { HeaderChars = 256 };

    // id is only stored (GetID); backId and nextId 0: no such button.
    CSDlgPageMan(UINT id, UINT headerId, UINT placeholderId, UINT backId = 0, UINT nextId = 0,
                 CSDlgSkin* dlgSkin = nullptr);
    ~CSDlgPageMan() override;

    // The keyboard: page cycling, Tab across page and manager, the page's own keys.
    int PreTranslateMessage(MSG* msg) override;
    // Activates the start page with the focus on its first tab stop; returns 0.
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // WM_ACTIVATE for the active page; the mouse wheel scrolls it.
    LRESULT OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Back and Next.
    LRESULT OnCommand(WORD id, WORD code, HWND ctl) override;
    // OnApply(1) first; nothing closes when a page refuses.
    LRESULT OnOK() override;
    using CSDlg::GetTootTip;
    // The buttons' names.
    int GetTootTip(UINT id, wchar_t* text, UINT cch) override;
    // The active page, then every other page, may keep the manager open.
    int CanClose(int result) override;
    void DoClose(int result) override;
    // The header widens, the placeholder and the pages grow.
    void OnResize(int dx, int dy) override;
    // A control of the active page is scrolled into view there.
    void EnsureDlgItemVisible(HWND ctl) override;
    void OnDelayedAction(DWORD data) override;

    // Runs a manager that knows its own template; 0 here.
    virtual int Do(HWND parent);
    // Every page that shows its data: UpdateControls / UpdateData.
    virtual void UpdatePagesFromData();
    virtual void UpdateDataFromPages();
    // Shows or hides the header control.
    virtual void OnUpdateHeaderText(BOOL show);
    // The active page may be left and applies, then every other page applies; the first
    // that refuses is shown and 0 returned. closing: nonzero when OK closes the manager.
    virtual int OnApply(int closing);

    // Runs the manager with its own loop (ModelessWithLoop); whether it ended with OK.
    int Do(int disableParent, int id, HINSTANCE instance, HWND parent);

    // ---- Pages ----
    // Appends; the page's manager becomes this one. 0 for a null page or one already here.
    int AddPage(CSDlgPage* page);
    CSDlgPage* GetPage(int index) const;
    int GetPageIndex(CSDlgPage* page) const;
    // The page after (before) page; null at the end (start).
    CSDlgPage* GetNextPage(CSDlgPage* page, BOOL forward) const;
    int GetPageCount() const { return pages.GetCount(); }
    UINT GetPlaceholderID() const { return placeholderId; }
    UINT GetHeaderID() const { return headerId; }
    UINT GetBackID() const { return backId; }
    UINT GetNextID() const { return nextId; }
    UINT GetID() const { return managerId; }
    CSDlgPage* GetActivePage() const { return activePage; }
    int GetActiveIndex() const { return GetPageIndex(activePage); }
    BOOL IsActivePageFirst() const;
    BOOL IsActivePageLast() const;
    // The page shown first; an index outside the pages means the first.
    void SetStartPage(int index) { startIndex = index; }
    int GetStartPage() const { return startIndex; }
    // Shows page (made now when it is shown for the first time) once the active page may be
    // left and page agrees; with focus, its first tab stop gets the focus. 1 when page is
    // the active page afterwards.
    int SetActivePage(CSDlgPage* page, BOOL focus);
    int SetActivePage(int index, BOOL focus);
    // The next (previous) page; past the ends: with a Next button, forward from the last page
    // finishes (OK) and backward from the first stays; without, the pages wrap around.
    int SetNextPage(BOOL forward);
    // May the active page be left? Refusals within RefusalMs of the last are not asked.
    int CanKillActivePage(BOOL cancel);

    // ---- Header and buttons ----
    // Formats into HeaderChars characters, truncated, as the header's text.
    BOOL SetHeaderText(const wchar_t* fmt, ...);
    void EnableButton(UINT mask, BOOL on);
    // Cancel is not shown or hidden here.
    void ShowButton(UINT mask, BOOL show);
    // Enables the button; Back and Next are clicked ActionDelayMs later, Cancel and Help now.
    void PressButton(UINT mask);
    // The control of the active page to focus shortly (0: none).
    void SetPageItemFocus(UINT id);
    UINT GetPageItemFocus() const { return focusId; }
    void BroadcastMsgToPages(UINT msg, WPARAM wParam, LPARAM lParam);
    // The active page takes its data (unless it does on every command) and says whether
    // Next may go on; the manager's controls are disabled meanwhile.
    int DoBtnNext();

    CSImageList& GetImageList() { return imageList; }

protected:
    // Pages whose window was made, in order.
    bool IsPageCreated(CSDlgPage* page) const;
    // Moves the focus the way the dialog manager does, and into view.
    void FocusControl(HWND ctl);
    // The id of button mask (Back, Next, Cancel, Help), 0 for none.
    UINT ButtonID(UINT mask) const;
    // As a user would click it: the control when it is enabled, else the skin's area.
    void ClickButton(UINT id);
    // Whether the shown skin has a hot area of the button's id, which then stands for it.
    BOOL SkinDrawsButton(UINT id) const;
    // show / enable (-1: as it is) the button, or the skin's area that stands for it (its
    // control then stays hidden and only follows the enabled state, for the keyboard).
    void SetButtonState(UINT id, int show, int enable);
    // The skin has just been shown: its areas take over the buttons' states.
    void SkinButtons();
    // Tab (Shift: backwards) as one cycle across the page and the manager.
    int OnTabKey(bool backwards);

    UINT managerId;
    UINT headerId;
    UINT placeholderId;
    UINT backId;
    UINT nextId;
    UINT focusId;
    int startIndex;
    CSImageList imageList;
    CSDlgPage* activePage;
    CSList pages;
};
