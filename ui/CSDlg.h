// CSDlg, the base of every dialog box: running it, its two message chains, controls, help, resizing and control groups.
#pragma once

#include <windows.h>

#include <cstdarg>

#include "sys/Api.h"
#include "sys/CSList.h"
#include "ui/CSTimer.h"
#include "ui/CSWnd.h"
#include "ui/MyWindowPlacement.h"

class CSCtrl;
class CSDlgSkin;

// The record of the help-page query ("CorvantrixMessage" sub-code 100, sent with its address):
// a dialog asks its owner for the help page of the dialog with template id; the owner fills
// in page (a string that outlives the call) or leaves it null.
struct HELP_PAGE_QUERY {
    UINT id;
    const wchar_t* page;
};

// One collapsible group of controls (see CSDlg::AddCtrlGroup). Owned by its dialog.
struct CSCtrlGroup {
    UINT first;        // first control id, in z-order
    UINT last;         // last control id
    UINT frame;        // a group box around it, 0 = none
    UINT parentFirst;  // first control id of the enclosing group, 0 = top level
    int height;        // what showing or hiding the group's own rows moves the rest by
    BOOL shown;
};

// The dialog's own hook, first in both of its chains (so last to see a message): it turns
// dialog messages into the virtual handlers, and draws the size grip on the window side.
class GLMBX_API CSDlgMsgHandler : public WMHook {
public:
    int OnWndMessage(CSWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    int OnDlgMessage(CSDlg* pDlg, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

// Resizing flags of EnableResizing.
enum : DWORD {
    DlgResizeWidth = 1,      // the width may change
    DlgResizeHeight = 2,     // the height may change
    DlgResizeNoGrip = 4,     // no size grip in the bottom-right corner
    DlgResizeNoHide = 8,     // do not hide and show the dialog while OnInitDialog places it
    DlgResizeKeepWidth = 16, // keep the width the dialog first gets
    DlgResizeKeepHeight = 32,
};

// A dialog from a resource template, run modal, modeless or modeless with a loop of its own.
// Every message runs two chains: the window procedure (CSWnd's, through OnWndMessage and the
// window hooks to the dialog manager) and, from the dialog manager, the dialog procedure
// (ModalProc: OnDlgMessage and the dialog hooks). The object is bound at the first message of
// its dialog procedure and unbound when the window is gone; it is normally a local or member
// of its caller, never auto-deleted, and may be run again once its window is gone.
//
// Resource ids: a negative template id names the template of the same number in this library,
// whatever instance is given; a null instance means this library too. One dialog per process
// may be in creation at a time (pDlgInit and idInit are unguarded).
//
// The virtual operations keep their order: derived dialogs of other modules rely on it.
class GLMBX_API CSDlg : public CSWnd {
    friend class CSDlgMsgHandler;

public:
    // The help file opener: the help classes set it; while it is null, opening a page fails
    // (and OnHtmlHelpError hears of it). Nonzero when the help window opened.
    typedef BOOL (*HtmlHelpFn)(HWND owner, const wchar_t* page, UINT command, ULONG_PTR data);
    static HtmlHelpFn pfnHtmlHelp;

    // The skin is not owned; null for a plain dialog.
    explicit CSDlg(CSDlgSkin* dlgSkin = nullptr);
    // Turns dragging off, empties the hook chains, frees the groups. A window that still
    // exists is unbound (and answers as a plain dialog from then on), not destroyed.
    ~CSDlg() override;

    int IsDlg() override;
    void PreInit() override;
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPostNcDestroy() override;

    // Offered every message of ModelessWithLoop's loop first; nonzero takes it.
    virtual int PreTranslateMessage(MSG* msg);
    // Fills the controls from data, once, at the first WM_SHOWWINDOW.
    virtual int UpdateControls();
    // Takes the data from the controls on OK; 0 keeps the dialog open.
    virtual int UpdateData();
    // Places the dialog (stored placement, alignment) and sets up resizing; returns 1.
    virtual LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam);
    virtual void OnShowWindow(BOOL show, DWORD status);
    // The sending control's object first, then tooltip texts (GetTootTip).
    virtual LRESULT OnNotify(int id, NMHDR* nm);
    // Runs the dialog chain; its result is the dialog procedure's (and DWLP_MSGRESULT).
    virtual LRESULT OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // F1 and the Help button: the page of GetHtmlPage(0), else the owner's page for this
    // dialog's template id; no page, no help.
    virtual void OnHelp(HELPINFO* info);
    virtual LRESULT OnOK();
    virtual LRESULT OnCancel();
    // Nonzero: the command is handled.
    virtual LRESULT OnCommand(WORD id, WORD code, HWND ctl);
    virtual void OnButtonClicked(WORD id);
    virtual void OnComboSelChanged(WORD id);
    // WM_DELETEITEM of a control that has no object of its own.
    virtual void OnDeleteItem(UINT id, void* item);
    // Nonzero: *pBrush answers the WM_CTLCOLOR... message.
    virtual int OnCtlColor(UINT msg, HDC hdc, HWND ctl, HBRUSH* pBrush);
    // Tooltip text of a control: into text (cch characters), or as a string resource.
    virtual int GetTootTip(UINT id, wchar_t* text, UINT cch);
    virtual int GetTootTip(UINT id, HINSTANCE& inst, WORD& strId);
    // The help page of control id (0: of the dialog); null for none.
    virtual const wchar_t* GetHtmlPage(UINT id);
    virtual void OnHtmlHelpError(const wchar_t* page);
    // 0 keeps the dialog open, whatever closes it.
    virtual int CanClose(int result);
    virtual void DoClose(int result);
    // The dialog grew (or shrank) by dx, dy since the last call, or since its template size.
    virtual void OnResize(int dx, int dy);
    virtual void OnInitDone();
    // May change the rectangle OnInitDialog starts from (a resizable dialog's template size).
    virtual void OnInitRect(RECT& rect);
    virtual void OnWindowPosChanging(WINDOWPOS* pos);
    virtual void OnWindowPosChanged(WINDOWPOS* pos);
    // (-1, -1) tells that the mouse has left the dialog.
    virtual void OnMouseMove(UINT keys, int x, int y);
    virtual void EnsureDlgItemVisible(HWND ctl);
    virtual void OnDelayedAction(DWORD data);
    virtual void DrawSkin(HDC hdc);

    // ---- Running ----
    // The code given to EndDialog, or -1 when the dialog could not be created.
    int Modal(int id, HINSTANCE instance, HWND parent);
    // The window, or null. An object that still holds a live window creates nothing.
    HWND Modeless(int id, HINSTANCE instance, HWND parent, BOOL show);
    // Runs the thread's messages until the dialog closes (CloseDialog) or WM_QUIT arrives,
    // which is consumed. The parent, disabled meanwhile when asked, is enabled again and made
    // the foreground window; a dialog still open at the end is destroyed. Returns the code
    // passed to CloseDialog, or -1 (not created, or ended without closing).
    int ModelessWithLoop(BOOL disableParent, int id, HINSTANCE instance, HWND parent);
    // From a template in memory (instance: this library; template id 0). 1 when made.
    int CreateIndirect(const DLGTEMPLATE* dlgTemplate, HWND parent);
    // Unless CanClose refuses: keeps result, lets the controls store their data (okControls
    // 1, or -1 for "unless result is IDCANCEL"), DoClose, stores the placement, then ends a
    // modal dialog or destroys a modeless one. Always 1.
    int CloseDialog(int result, int okControls);
    int EndDialog(int result);

    static CSDlg* SubclassDlg(HWND h);
    static INT_PTR CALLBACK ModalProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);

    // ---- The dialog chain (the window chain's rules: head insertion, removal deferred
    // during a dispatch, pAfter to pass a message on). The dialog's own handler stays.
    void AddDlgHook(WMHook* hook);
    void RemoveDlgHook(WMHook* hook);
    void RemoveAllDlgHooks();
    LRESULT DoDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam, WMHook* pAfter);

    void EnableFullDrag(BOOL on);
    int IsFullDrag() const { return dragger != nullptr; }
    // Whether the skin keeps the client point clickable while the rest drags the dialog.
    int IsPtInSkinArea(int x, int y);

    // ---- Resizing and control groups ----
    // flags: DlgResize...; the placement record is not owned and is written while the dialog
    // runs. Call before running the dialog.
    void EnableResizing(DWORD flags, MyWindowPlacement* record);
    void StoreResizingInfo();
    // How much the dialog has grown beyond its template.
    SIZE GetResizeData() const;
    void DrawResizingCorner(HDC hdc);
    void DrawResizingItem(HDC hdc, int x, int y);
    int IsPtInResizingCorner(int x, int y);
    void SetResizingCursor();
    void Resize();
    // 1 when the group was added.
    int AddCtrlGroup(UINT first, UINT last, UINT frame = 0, UINT parentFirst = 0);
    CSCtrlGroup* FindCtrlGroup(UINT first, UINT frame = 0);
    // Shows (or hides) the group's controls and moves every control after it by the group's
    // height; its frame grows (or shrinks) with it, and so do the frames of the groups around
    // it. Nested groups follow their enclosing group. Returns the offset, 0 when there is no
    // such group or it already is in that state. The dialog's own size does not change.
    int ShowCtrlGroup(UINT first, BOOL show, BOOL nested = FALSE);

    // ---- Delayed action (timer id 1) ----
    // ms > 0: OnDelayedAction(data) after ms, unless called again before; returns whether the
    // timer started. ms 0: stops it; returns 1.
    int DelayAction(DWORD data, DWORD ms);

    int IsInitialized() const { return initialized; }
    int IsClosed() const { return closed; }
    int WereControlsUpdated() const { return controlsUpdated; }
    int IsValid() const { return initialized && !closed && controlsUpdated; }
    int IsSkinSet() const { return skin != nullptr; }
    int IsModeless() const { return isModeless; }
    int IsUpdatingControls() const { return updatingControls; }
    CSDlgSkin* GetSkin() const { return skin; }
    // The skin that paints this dialog's background: its own, or for a child dialog without
    // a background of its own the parent dialog's.
    CSDlgSkin* GetBackgroundSkin();
    HWND GetOwner() const { return owner; }
    HINSTANCE GetResInstance() const { return resInstance; }
    UINT GetTemplateID() const { return templateId; }
    UINT GetIdentity() const { return identity; }
    int GetResult() const { return dlgResult; }
    int GetModalResult() const { return modalResult; }
    // 1 centre over the owner, 2 cascade from it, 3 at the mouse pointer; others: stay.
    void SetAlignment(int how) { alignment = how; }

    // ---- Items: each on the control with the given id ----
    HWND GetDlgItem(int id);
    LRESULT SendDlgItemMsg(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // The control's object, or null (only objects of controls count).
    CSCtrl* GetDlgCtrl(int id);
    CSCtrl* GetDlgCtrl(HWND ctl);
    int GetDlgItemID(HWND ctl);
    void SetDlgDefaulButton(UINT id);
    BOOL EnableDlgItem(int id, BOOL on);
    BOOL ShowDlgItem(int id, BOOL show);
    // Enabled and shown, or disabled and hidden.
    void TurnDlgItem(int id, BOOL on);
    BOOL IsDlgItemEnabled(int id);
    // The control's own visible style, whether or not the dialog is shown.
    BOOL IsDlgItemVisible(int id);
    BOOL SimulateButton(WORD id);
    BOOL CheckDlgButton(int id, UINT check);
    BOOL SetDlgButtonState(int id, UINT check) { return CheckDlgButton(id, check); }
    UINT IsDlgButtonChecked(int id);
    UINT GetDlgButtonState(int id) { return IsDlgButtonChecked(id); }
    BOOL CheckRadioButton(int first, int last, int check);
    // The first checked id from first to last; 0 when none or first > last.
    int GetCheckedRadioButton(int first, int last);
    int GetDlgItemTextLength(int id);
    int GetDlgItemTextW(int id, wchar_t* text, int cch);
    BOOL SetDlgItemTextW(int id, const wchar_t* text);
    // String strId (at most 512 characters): a null instance means the dialog's own, or this
    // library's for a negative strId.
    BOOL SetDlgItemTextW(int id, int strId, HINSTANCE instance);
    // Formats into 1024 characters, truncated.
    BOOL SetDlgItemTextFmt(int id, const wchar_t* fmt, ...);
    BOOL SetDlgItemTextFmt(int id, HINSTANCE instance, int strId, ...);
    // The control's current text is the format.
    BOOL SetDlgItemTextFmtCtrl(int id, ...);
    BOOL SetDlgItemTextV(int id, const wchar_t* fmt, va_list args);
    UINT GetDlgItemInt(int id, BOOL* ok, BOOL isSigned);
    BOOL SetDlgItemInt(int id, UINT value, BOOL isSigned);
    BOOL GetDlgItemRect(int id, RECT* rect);
    HWND GetNextDlgTabItem(HWND ctl);
    HWND GetPrevDlgTabItem(HWND ctl);
    void NextDlgCtrl();
    void PrevDlgCtrl();
    BOOL SetDlgItemFocus(UINT id);
    void SetSpinRange(int id, int lower, int upper);
    // Every control in z-order from first (nothing when there is none) through last (or to
    // the end when last does not follow).
    void EnableDlgItems(int first, int last, BOOL on);
    void ShowDlgItems(int first, int last, BOOL show);

    // ---- Layout: client coordinates ----
    BOOL MoveCtrl(int id, int x, int y);
    BOOL ResizeCtrl(int id, int cx, int cy);
    BOOL CenterCtrl(int id, BOOL horizontally = TRUE, BOOL vertically = TRUE);
    // Along one axis between from and to (both -1: the client area).
    BOOL CenterDlgItem(int id, BOOL horizontal, int from = -1, int to = -1);
    // The block from control first to control last, centred in the client area along one axis.
    void AlignDlgItems(int first, int last, BOOL horizontal);
    // Grows the control, and the dialog with it, until its word-wrapped text fits; returns
    // the growth in pixels.
    int AdjustHeight(int id);
    // To the top-left corner of control slotId.
    BOOL MoveCtrlToSlot(int id, int slotId);
    BOOL MoveButtonToSlot(int id, int slotId) { return MoveCtrlToSlot(id, slotId); }
    // Onto the whole rectangle of control slotId.
    BOOL MoveResizeCtrlToSlot(int id, int slotId);
    // The control's left (or right) edge onto the reference control's.
    BOOL MoveCtrlEdge(int id, int refId, BOOL right);
    void EraseCtrlBkg(HDC hdc, HWND ctl);
    void CenterWindow(HWND around);
    void CascadeWindow(HWND from);
    void AlignDlg();

    // The dialog in creation and its template id.
    static CSDlg* pDlgInit;
    static UINT idInit;

protected:
    // Before a run: resolves the template id (0 and numbers beyond 16 bits are refused).
    bool PrepareRun(int& id, HINSTANCE& instance, HWND parent);
    // This dialog is the one in creation while the system's dialog function runs.
    void BeginCreation(UINT id);
    void EndCreation();
    void ResetRunState(HINSTANCE instance, HWND parent, UINT id);
    void PostInitDialog();
    // The owner that ModelessWithLoop disabled, enabled again.
    void EnableOwner();
    // Every control object of this dialog takes what it shows (its OnOK).
    void OkControls();
    void ComputeGroupHeights();
    int ShowGroup(CSCtrlGroup* group, BOOL show, CSCtrlGroup* enclosing);

    BOOL isModeless;
    int alignment;
    int modalResult;
    HINSTANCE resInstance;
    UINT templateId;
    UINT identity;  // derived dialogs that answer the identity query set it
    BOOL controlsUpdated;
    CSDlgSkin* skin;
    BOOL isChild;
    BOOL ownBackground;
    BOOL updatingControls;
    BOOL initialized;
    BOOL groupsLaidOut;
    BOOL closed;
    HWND owner;
    WMHook* dragger;
    BOOL endLoop;
    BOOL ownerDisabled;  // by ModelessWithLoop: enabled again before the window goes
    CSDlgMsgHandler msgHandler;
    int dlgResult;
    DWORD resizingFlags;
    MyWindowPlacement* placement;
    int curCx, curCy;
    int minCx, minCy;
    int prevCx, prevCy;
    CSList dlgHooks;
    int dlgDispatchDepth;
    BOOL dlgRemovalPending;
    CSList ctrlGroups;
    DWORD delayedData;
    CSTimer delayTimer;
};
