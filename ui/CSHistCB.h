// CSHistList, a most-recent-first list of texts kept in one registry value, and CSHistCB, the combo box that shows it.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "sys/CSList.h"
#include "ui/CSCombo.h"

// Elements are owned heap copies of wide strings, most recent first, at most the maximum
// count, no two equal without regard to case. The registry value (REG_BINARY, under the
// product's application root key): the maximum count as a signed 32-bit number, each entry
// with its terminating 0, and one more 0.
class GLMBX_API CSHistList : public CSList {
public:
    enum { DefaultMaxCount = 15, MaxMaxCount = 1000 };

    CSHistList();
    ~CSHistList() override;

    // Empties the list, then reads the value: its stored maximum count replaces the given one
    // (a count outside 1..MaxMaxCount is damage and leaves it). A value that cannot be read
    // leaves the list empty; an entry cut off by the value's end is dropped with the rest.
    // valueName is kept (not owned).
    void Load(const wchar_t* valueName, int entries);
    // Writes the list; nothing when there is no value name or the key cannot be opened.
    void Store();
    // Puts text at the head (as spelled here), dropping an equal entry and the oldest beyond
    // the maximum. An empty text changes nothing.
    void Update(const wchar_t* text);

    int GetMaxCount() const { return maxCount; }
    // Below 1 counts as 1; the list is cut to fit.
    void SetMaxCount(int entries);
    const wchar_t* GetValueName() const { return name; }
    // The entry at index (0 is the most recent), or null.
    const wchar_t* GetEntry(int index) const;

private:
    void TrimTo(int count);

    const wchar_t* name;
    int maxCount;
};

// A combo box with an edit field whose list is the history kept under the control's name
// (CSCtrl::Init). The history is read when the control is bound and written when the dialog
// closes with OK.
class GLMBX_API CSHistCB : public CSCombo {
public:
    enum : DWORD {
        OptClearCmd = 1,         // offer pszClearListCmd as the list's last item
        OptStoreOnClear = 2,     // after the list was cleared, store at once
    };
    static const wchar_t* const pszClearListCmd;  // "<Clear list...>"

    explicit CSHistCB(DWORD options = 0);
    ~CSHistCB() override;

    // Unsorted, extended keyboard interface, history loaded.
    void OnInit() override;
    // The edit text goes to the head of the history, which is stored and shown again.
    void OnOK() override;
    int OnCommand(WORD code, LRESULT* pResult) override;
    void Store() override;
    // The box shows the history, its first entry in the edit field.
    void Load() override;
    // The command item's text never reaches the edit field.
    int OnEditCtrlMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    int GetMaxHistSize() const { return history.GetMaxCount(); }
    void SetMaxHistSize(int count) { history.SetMaxCount(count); }
    void UpdateHistory();
    const CSHistList& GetHistory() const { return history; }

protected:
    CSHistList history;
    DWORD options;
};
