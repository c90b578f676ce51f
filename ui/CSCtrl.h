// CSCtrl, the object of one dialog control: commands, notifications, colours, owner drawing and dropped files.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSWnd.h"

class CSDlg;

// Every control of a framework dialog that has an id gets one: a class the dialog declares
// for it (bound with Init, normally a member of the dialog, outliving its window) or a plain
// CSCtrl that the dialog makes after WM_INITDIALOG (auto-deleted with the window). The dialog
// forwards the control's WM_COMMAND, WM_NOTIFY, colour and owner-draw messages to it.
//
// The virtual operations keep their order: derived controls of other modules rely on it.
class GLMBX_API CSCtrl : public CSWnd {
public:
    // The top four bits of the flags: what a file dropped on the control sets as its text,
    // tested in this order.
    enum : DWORD {
        DropFileName = 0x40000000,   // the name with its extension
        DropFolder = 0x20000000,     // a folder as it is, else the file's folder
        DropExistingFile = 0x10000000,  // the path of an existing file
        DropAnyPath = 0x80000000,    // the path as dropped
        DropMask = 0xF0000000,
    };

    CSCtrl();
    ~CSCtrl() override;

    // Focus drawing with the dialog's skin and dropped files, then CSWnd's handling.
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The binding to the dialog ends with the window, so the object can be bound again.
    void OnPostNcDestroy() override;

    // Called at the end of Init.
    virtual void OnInit();
    // WM_CTLCOLORBTN and WM_CTLCOLORSTATIC: the background comes from the dialog's skin.
    // Nonzero when *pBrush answers the message; this one never does.
    virtual int OnCtlColor(UINT msg, HDC hdc, HBRUSH* pBrush);
    // The dialog closes with OK: Store().
    virtual void OnOK();
    virtual void OnDropFiles(HDROP drop);
    // Nonzero: handled, *pResult is the dialog's answer and the dialog does not see it.
    virtual int OnCommand(WORD code, LRESULT* pResult);
    virtual int OnNotify(NMHDR* nm, LRESULT* pResult);
    virtual void OnDrawItem(DRAWITEMSTRUCT* dis);
    virtual void OnMeasureItem(MEASUREITEMSTRUCT* mis);
    virtual void OnDeleteItem(DELETEITEMSTRUCT* dis);
    virtual void Store();
    virtual void Load();

    // Binds the object to control id of the dialog, replacing (and, when it is the dialog's
    // own plain object, deleting) any object the control had. Nothing happens while the
    // object is bound to a dialog, when the dialog has no such control, or when the window
    // belongs to an object that is no control (a child dialog). name is the
    // registry value under which the control keeps its data (not owned, may be null).
    void Init(CSDlg* dlg, UINT id, const wchar_t* name = nullptr, DWORD flags = 0);

    UINT GetID() const { return ctlId; }
    CSDlg* GetDlg() const { return dialog; }
    const wchar_t* GetName() const { return valueName; }
    DWORD GetFlags() const { return ctlFlags; }

protected:
    // Owner-drawn buttons' hovering: on sets the hand cursor and, the first time, asks for the
    // mouse-leave message; a change of state repaints the control.
    void SetHover(BOOL& hovering, BOOL on);
    // WM_SETCURSOR once the hooks and the button's own handling (which puts the class cursor
    // back) have had it: while hovering the hand stays and the answer is 1.
    static LRESULT KeepHandCursor(BOOL hovering, LRESULT result);

    CSDlg* dialog;
    UINT ctlId;
    const wchar_t* valueName;
    DWORD ctlFlags;  // the top four bits: Drop...; the rest belongs to derived classes
};
