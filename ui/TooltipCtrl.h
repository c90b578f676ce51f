// TooltipCtrl: the common controls' tooltip window, owned by an object, whose tools ask their owner for the text.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "sys/Api.h"
#include "ui/CSCtrl.h"

// Every tool uses the text callback: the tooltip asks the tool's owner window for the text
// (TTN_GETDISPINFOW), which a framework dialog answers through GetTootTip. The object owns
// its window and destroys it at the end.
class GLMBX_API TooltipCtrl : public CSCtrl {
public:
    TooltipCtrl();
    ~TooltipCtrl() override;

    // A topmost tooltip window owned by owner; nonzero on success. The window's user data
    // holds the object.
    int Create(HWND owner, DWORD style);
    // A tool of wnd named id covering rc, or wnd's client area as it is now when rc is null.
    int AddTool(HWND wnd, UINT id, RECT* rc);
    // A tool that is the window tool itself, owned by wnd.
    int AddToolWnd(HWND wnd, HWND tool);
    void DelTool(HWND wnd, UINT id);
    // Shifts the tool's rectangle; 0 when there is no such tool.
    int MoveTool(HWND wnd, UINT id, int dx, int dy);
    void Activate(BOOL on);
    int GetCount();
    void HideTip();
    void RelayEvent(MSG* msg);
    void RelayEvent(HWND wnd, UINT message, WPARAM wParam, short x, short y);
};
