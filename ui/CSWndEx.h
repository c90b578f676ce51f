// CSWndEx: a light subclass of a window owned elsewhere, reporting chosen messages to a third window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "sys/Api.h"
#include "ui/CSWnd.h"

// One row of a callback table. The table ends at the first row whose flags are 0.
struct MSG_CALLBACK_ITEM {
    UINT msg;
    DWORD flags;  // MsgCallbackBefore, MsgCallbackAfter
};

enum : DWORD { MsgCallbackBefore = 1, MsgCallbackAfter = 2 };

// The lParam of each callback message: valid during that send only.
struct MSG_CALLBACK_DATA {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    BOOL bAfter;    // 0: reported before the message is handled; 1: after
    BOOL bHandled;  // receiver: stop here, the callback message's result is the result
    BOOL bChanged;  // receiver, before handling: go on with msg, wParam, lParam as written back
};

// Bound through the "CSEX" property and WndProcEx only: such a window stays unknown to the
// CSWnd lookup. The object is not torn down or deleted with the window; after the window's
// WM_DESTROY it is unbound and may subclass another window.
class GLMBX_API CSWndEx : public CSWnd {
public:
    typedef int(__cdecl* NotifyCallback)(ULONG_PTR data, NMHDR* pnm, LRESULT* pResult);

    CSWndEx();
    ~CSWndEx() override;

    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Answers WM_NOTIFY through the notify callback; 0 lets the message go on.
    virtual int OnNotify(NMHDR* pnm, LRESULT* pResult);

    // Same rules as Subclass: h or the stored handle; binding the bound window again
    // changes nothing; 0 when the procedure cannot be read or is already WndProcEx.
    int SubclassEx(HWND h);
    // During a dispatch the undo waits for its end (and 1 is returned at once).
    int UnsubclassEx();
    int IsSubclassed() const { return prevProc != nullptr; }

    void SetNotifyCallback(NotifyCallback callback, ULONG_PTR data);
    // The table is not copied: it must live as long as it is set. A null window clears it.
    void SetMsgCallback(HWND wnd, MSG_CALLBACK_ITEM* items, UINT msg, UINT wParam);

    static CSWnd* GetWndEx(HWND h);
    static LRESULT CALLBACK WndProcEx(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    NotifyCallback notifyCallback;
    ULONG_PTR notifyData;
    HWND callbackWnd;
    UINT callbackMsg;
    UINT callbackWParam;
    MSG_CALLBACK_ITEM* callbackItems;
    BOOL unsubclassPending;

private:
    const MSG_CALLBACK_ITEM* FindCallbackItem(UINT msg) const;
    int RestoreEx();
};
