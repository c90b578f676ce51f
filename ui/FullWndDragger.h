// FullWndDragger: a hook that lets the user move a window by pressing anywhere on its client area.
#pragma once

#include <windows.h>

#include "ui/CSWnd.h"

// The client area answers as the caption (so the system moves the window) and shows the hand
// cursor there; a maximised window is left alone. A window that wants some client points to
// stay clickable turns HTCAPTION back into HTCLIENT in its own WM_NCHITTEST handling.
class GLMBX_API FullWndDragger : public WMHook {
public:
    FullWndDragger() = default;
    FullWndDragger(const FullWndDragger& other) : WMHook(), hCursor(other.hCursor) {}
    FullWndDragger& operator=(const FullWndDragger& other)
    {
        hCursor = other.hCursor;
        return *this;
    }
    ~FullWndDragger() override;

    int OnWndMessage(CSWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    HCURSOR hCursor = nullptr;  // the shared system hand cursor, loaded on first need
};
