// CSDlgScrollable: a child dialog that scrolls vertically when it is taller than the place it is shown in.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSDlgChild.h"

// Its full height is the template's (the window's height at WM_INITDIALOG); whatever height
// the window is given later is what shows. The vertical scroll bar is always there, disabled
// while everything fits. A line (and a wheel notch) is a twentieth of the scrolling range, a
// page a tenth, both at least MinStep pixels.
class GLMBX_API CSDlgScrollable : public CSDlgChild {
public:
    enum { MinStep = 5, VisibleMargin = 4 };

    explicit CSDlgScrollable(CSDlgSkin* dlgSkin = nullptr);
    ~CSDlgScrollable() override;

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // WM_VSCROLL of the page's own scroll bar.
    LRESULT OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // A new height is the new visible height; the range and position follow.
    void OnWindowPosChanging(WINDOWPOS* pos) override;
    // Scrolls so that the descendant control lies inside the page with a margin of
    // VisibleMargin pixels; nothing for a window that is not inside.
    void EnsureDlgItemVisible(HWND ctl) override;
    void EnsureDlgItemVisible(UINT id);
    // delta as WM_MOUSEWHEEL gives it (WHEEL_DELTA a notch); positive scrolls up.
    void OnWmMouseWheel(int delta);

    // Moves the content by d pixels (positive: further down the page shows), kept within the
    // range. Returns how far it moved.
    int ScrollBy(int d);
    int GetTotalHeight() const { return totalHeight; }
    int GetVisibleHeight() const { return visibleHeight; }
    int GetScrollPos() const { return scrollPos; }
    // How far the content can move: 0 when it fits.
    int GetScrollRange() const;
    int GetLineStep() const;
    int GetPageStep() const;

protected:
    // The scroll bar as range, page and position say.
    void UpdateScrollBar();
    void OnVScroll(int code);

    int totalHeight;
    int visibleHeight;
    int scrollPos;
};
