// IconBtn: an owner-drawn button with a small icon and its caption, as a push button or as a link.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSCtrl.h"
#include "ui/CSImageList.h"

// The caption is the window text without its "&" marks. The colours, brushes, pens and font
// are shared by every IconBtn of the process: the first one bound to its control makes
// them, and they are deleted when the last bound one ends (its window or the object).
class GLMBX_API IconBtn : public CSCtrl {
public:
    enum : DWORD {
        StyleCenterV = 1,  // centre the content vertically, else its top is y
        StyleCenterH = 2,  // centre the content horizontally, else its left is x
        StyleLink = 4,     // no frame, link colours, underline, hand cursor, hover colour
        StyleNoFocus = 8,  // no focus rectangle
    };

    // Icon id 0: no icon; a negative id names an icon of this library, loaded 16 by 16.
    explicit IconBtn(UINT iconId = 0, DWORD style = StyleCenterV | StyleCenterH, int x = 0, int y = 0);
    ~IconBtn() override;

    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPostNcDestroy() override;
    void OnInit() override;
    void OnDrawItem(DRAWITEMSTRUCT* dis) override;
    // The push-button frame (DrawFrameControl, DFC_BUTTON); rect shrinks with DFCS_ADJUSTRECT.
    virtual void DrawButton(HDC hdc, RECT* rect, UINT state);

    DWORD GetBtnStyle() const { return btnStyle; }
    BOOL IsHovering() const { return hovering; }

    // Index 0 of the pairs is for the normal state, index 1 for the pressed one.
    static DWORD dwRefCount;
    static COLORREF rgbGray;
    static COLORREF rgbText[2];
    static COLORREF rgbBk[2];
    static HBRUSH hbr[2];
    static COLORREF rgbLink[2];
    static COLORREF rgbHover;
    static HFONT hFont;
    static SIZE sizeIcon;
    static SIZE sizeGap;
    static HPEN penLt;
    static HPEN penDk;
    static HPEN penHover;

protected:
    static void AddSharedRef();
    static void ReleaseSharedRef();

    CSIcon icon;
    int contentX;
    int contentY;
    DWORD checkState;  // bit 0: checked
    DWORD btnStyle;
    BOOL hovering;
};
