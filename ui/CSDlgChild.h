// CSDlgChild: a modeless dialog placed inside another dialog, over a placeholder control.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSDlg.h"

// Its template is a child dialog (WS_CHILD). It never closes itself: OK and Cancel do
// nothing, button clicks and combo box selections go on to the parent dialog. Without a
// background of its own it is painted with the parent's skin.
class GLMBX_API CSDlgChild : public CSDlg {
public:
    explicit CSDlgChild(CSDlgSkin* dlgSkin = nullptr);
    ~CSDlgChild() override;

    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The base's, without full-window dragging.
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnOK() override;
    LRESULT OnCancel() override;
    void OnButtonClicked(WORD id) override;
    void OnComboSelChanged(WORD id) override;

    // Creates the dialog inside parent over control placeholder (keeping its size when
    // there is no such control), grown as far as the parent has grown already. 0 when it
    // could not be made.
    virtual int Init(CSDlg* parent, UINT placeholder, UINT dlgId, HINSTANCE instance, BOOL show);

    CSDlg* GetParentDlg() const { return parentDlg; }
    UINT GetPlaceholderID() const { return placeholderId; }
    // A child that paints its own background does not borrow the parent's skin.
    void SetOwnBackground(BOOL on) { ownBackground = on; }

protected:
    CSDlg* parentDlg;
    UINT placeholderId;
};
