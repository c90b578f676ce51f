// Combo box controls: CSComboBase's item operations, CSComboList for drop-down lists, CSCombo for boxes with an edit field.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSCtrl.h"

// Each operation is one message to the combo box (or a few, for the item helpers). Indices
// are the box's; CB_ERR (-1) means none. Item data is a number the caller gives each item.
class GLMBX_API CSComboBase : public CSCtrl {
public:
    CSComboBase();
    ~CSComboBase() override;

    int GetCount();
    int AddStr(const wchar_t* text);
    int InsertStr(int index, const wchar_t* text);
    int GetStrLen(int index);
    // Into buf of bufChars characters, cut to fit; the length copied, or CB_ERR.
    int GetStr(int index, wchar_t* buf, int bufChars = MAX_PATH);
    DWORD_PTR GetItemData(int index);
    int SetItemData(int index, DWORD_PTR data);
    int FindStrExact(const wchar_t* text, int start = -1);
    int DelStr(int index);
    void DelAll();
    void SetExtendedUI(BOOL on);
    int GetCurSel();
    int SetCurSel(int index);

    // 1 when the item was added and given its data; 0 when the box refused it.
    int AddItem(const wchar_t* text, DWORD_PTR data);
    int InsertItem(UINT index, const wchar_t* text, DWORD_PTR data);
    // The item's data (0 when there is no such item); its text into buf when buf is given.
    DWORD_PTR GetItem(UINT index, wchar_t* buf = nullptr, int bufChars = MAX_PATH);
    // Whether the item can move one place up (or down).
    int CanMove(UINT index, BOOL up);
    // Moves the item one place, with its data, and selects it there.
    void MoveItem(UINT index, BOOL up);
    // The first item with that data, or -1.
    int FindItem(DWORD_PTR data);
    // Selects the first item with that data (none when there is none); its index or -1.
    int SelectItem(DWORD_PTR data);
    // The data of the selected item; 0 when nothing is selected.
    DWORD_PTR GetSelectedItem();
};

// A drop-down list (CBS_DROPDOWNLIST).
class GLMBX_API CSComboList : public CSComboBase {
public:
    CSComboList();
    ~CSComboList() override;
};

// A combo box with an edit field. Cancelling the drop-down list keeps what the user typed:
// the text the box would put back is swallowed. When the edit text is set, the dialog gets
// WM_COMMAND with notification EditTextSet (the framework's dialogs ignore it).
class GLMBX_API CSCombo : public CSComboBase {
public:
    enum : WORD { EditTextSet = 99 };

    // The combo box's inner edit field (the child with id 1001).
    class GLMBX_API CSCBEdit : public CSWnd {
    public:
        CSCBEdit();
        ~CSCBEdit() override;
        // The owner's filter first; the dialog hears of every WM_SETTEXT.
        LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

        CSCombo* owner;
    };

    CSCombo();
    ~CSCombo() override;

    // Binds the inner edit field.
    void OnInit() override;
    int OnCommand(WORD code, LRESULT* pResult) override;
    // A filter for the inner edit's messages; nonzero: handled (*pResult is the answer).
    virtual int OnEditCtrlMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    HWND GetEditWnd() const { return edit.GetHandle(); }

protected:
    CSCBEdit edit;
    BOOL suppressNextText;
    BOOL selCancelled;
};
