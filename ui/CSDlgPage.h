// CSDlgPage: one page of a page manager (CSDlgPageMan), shown over the manager's placeholder.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSDlgScrollable.h"

class CSDlgPageMan;

// The page's window is made the first time the manager shows it, from a child template
// (WS_CHILD, normally DS_CONTROL); it scrolls when it is taller than the placeholder. It has
// a background of its own. The object belongs to its creator and must outlive the manager's
// window; the manager does not delete it.
//
// The virtual operations keep their order: derived pages of other modules rely on it.
class GLMBX_API CSDlgPage : public CSDlgScrollable {
public:
    // A null instance means this library; a negative template id names a template of this
    // library whatever the instance. titleId (0: none) is a string of the same instance,
    // shown in the manager's header while the page is active.
    CSDlgPage(CSDlgPageMan* mgr, UINT templateId, UINT titleId = 0, HINSTANCE instance = nullptr);
    ~CSDlgPage() override;

    // A click on the page itself keeps the focus on a control of the page.
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // With update-on-command, the page takes its data before each command is handled.
    LRESULT OnCommand(WORD id, WORD code, HWND ctl) override;
    // Creates the page inside mgr over the placeholder; lets Tab enter it. 0 on failure.
    int Init(CSDlg* mgr, UINT placeholder, UINT dlgId, HINSTANCE instance, BOOL show) override;

    // May the page be left? cancel: the manager is being cancelled. 0 keeps the user here.
    // A page told to keep itself active refuses unless it is a cancel.
    virtual int OnKillActive(BOOL cancel);
    // May the page be shown? 0 leaves the previous page active.
    virtual int OnSetActive();
    // The page has just been shown: disables Back on the first page.
    virtual void OnReady();
    // Next was pressed: forgets the remembered focus control, enables Back when leaving the
    // first page. 0 stays on this page.
    virtual int OnBtnNext();
    // Back was pressed; 0 stays on this page.
    virtual int OnBtnBack();
    // The manager closes with OK: takes the data (UpdateData) and lets every control store
    // its own. 0 (UpdateData failed) keeps the manager open on this page.
    virtual int OnApply();
    // The manager's window became active or inactive.
    virtual void OnWmActivate(BOOL active);

    // The control to focus when the page is next shown (through the manager).
    void SetPageItemFocus(UINT id);
    BOOL IsFirstPage();
    void KeepPageActive(BOOL on) { keepActive = on; }
    BOOL ShouldKeepPageActive() const { return keepActive; }
    void UpdateOnCommand(BOOL on) { updateOnCommand = on; }
    BOOL IsUpdateOnCommand() const { return updateOnCommand; }

    CSDlgPageMan* GetManager() const { return manager; }
    void SetManager(CSDlgPageMan* mgr) { manager = mgr; }
    UINT GetTitleID() const { return titleId; }
    int GetPageTemplate() const { return pageTemplate; }
    HINSTANCE GetPageInstance() const { return pageInstance; }
    // The page is being left: it takes its data now unless it does on every command.
    // UpdateData's answer (1 when nothing was taken).
    int PreBtnNext();
    // Fills the controls from the data again, as at the first showing.
    void RefreshControls();
    // The focus stays on the page's focused control, or goes to its first tab stop; either is
    // made visible.
    void KeepFocusInPage();

protected:
    UINT titleId;
    CSDlgPageMan* manager;
    HINSTANCE pageInstance;
    BOOL keepActive;
    BOOL updateOnCommand;
    int pageTemplate;
};
