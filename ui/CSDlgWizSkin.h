// CSDlgWizSkin: the wizard's skin, a dialog skin with a panel under the pages and a header of its own colours.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSDlgSkin.h"

// The wizard (CSDlgWizard) places its pages over GetPageRect and its header text over
// GetHeaderRect once the picture is stretched to the dialog (StretchToClient). The skin keeps
// a copy of the wizard record, as of the dialog record.
class GLMBX_API CSDlgWizSkin : public CSDlgSkin {
public:
    // Null records: an empty skin (no wizard record: no panel, the picture's own colours).
    CSDlgWizSkin(SKIN_WIZ_METRICS* wizMetrics, SKIN_METRICS* skinMetrics);

    // The dialog skin's drawing, with the page panel painted into the stretched picture.
    void DrawSkin(HDC hdc, int x, int y, int cx, int cy) override;

    const SKIN_WIZ_METRICS* GetWizMetrics() const { return wiz; }
    // The rectangles where the stretched picture has them, in client coordinates; FALSE
    // without a wizard record (the rectangle is left alone).
    BOOL GetPageRect(RECT* rect);
    BOOL GetHeaderRect(RECT* rect);
    // The header's text colour, else the skin's text colour; CLR_NONE when the skin has neither.
    COLORREF GetHeaderTextColor() const;
    // The header's background, CLR_NONE for the picture itself.
    COLORREF GetHeaderBkColor() const { return wiz ? wiz->rgbHeaderBk : CLR_NONE; }

protected:
    void PaintPanel();

    SKIN_WIZ_METRICS* wiz;  // points at wizCopy, or null
    SKIN_WIZ_METRICS wizCopy;
    UINT panelSerial;  // the stretch whose picture carries the panel, 0 for none yet
};
