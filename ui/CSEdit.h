// CSEdit: an edit control with a read-only mode that still lets the text be selected and copied.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSCtrl.h"

class GLMBX_API CSEdit : public CSCtrl {
public:
    CSEdit();
    ~CSEdit() override;

    // Read-only: typing, deleting, cutting, pasting and Enter are swallowed; moving, selecting
    // (Ctrl+A too) and copying pass. One select-all (EM_SETSEL 0, -1) can be blocked, as the dialog
    // manager sends one when the control gets the focus by Tab.
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void Clear();
    void GetSel(int& start, int& end);
    void SetSel(int start, int end);
    void ReplaceSel(const wchar_t* text, BOOL canUndo);
    // The client position of character index (x in the low word, y in the high word).
    LRESULT PosFromChar(int index);
    void SetMaxTextLimit(UINT chars);
    BOOL IsModified();
    void SetModified(BOOL modified);
    void SetReadOnly(BOOL on) { readOnly = on; }
    BOOL GetReadOnly() const { return readOnly; }
    void BlockNextSelAll(BOOL on) { blockNextSelAll = on; }

protected:
    BOOL readOnly;
    BOOL blockNextSelAll;
};
