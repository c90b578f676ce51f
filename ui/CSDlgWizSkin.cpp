// CSDlgWizSkin: the wizard's rectangles on the stretched picture and the panel under its pages.
#include "ui/CSDlgWizSkin.h"

#include "ui/CSDC.h"

CSDlgWizSkin::CSDlgWizSkin(SKIN_WIZ_METRICS* wizMetrics, SKIN_METRICS* skinMetrics)
    : CSDlgSkin(skinMetrics), wiz(nullptr), wizCopy(), panelSerial(0)
{
    if (wizMetrics) {
        wizCopy = *wizMetrics;
        wiz = &wizCopy;
    }
}

void CSDlgWizSkin::DrawSkin(HDC hdc, int x, int y, int cx, int cy)
{
    // The panel goes into the picture itself, so control backgrounds on it match.
    if (Ready()) {
        StretchToClient();
        if (stretched && stretchSerial != panelSerial)
            PaintPanel();
    }
    CSDlgSkin::DrawSkin(hdc, x, y, cx, cy);
}

void CSDlgWizSkin::PaintPanel()
{
    panelSerial = stretchSerial;
    RECT page;
    if (!GetPageRect(&page) || (wiz->rgbPage == CLR_NONE && wiz->rgbPageFrame == CLR_NONE))
        return;
    CompatibleDC memory(nullptr);
    HGDIOBJ old = SelectObject(memory, stretched);
    if (wiz->rgbPage != CLR_NONE) {
        HBRUSH brush = CreateSolidBrush(wiz->rgbPage);
        if (brush) {
            FillRect(memory, &page, brush);
            DeleteObject(brush);
        }
    }
    if (wiz->rgbPageFrame != CLR_NONE) {
        HBRUSH brush = CreateSolidBrush(wiz->rgbPageFrame);
        if (brush) {
            RECT frame = page;
            InflateRect(&frame, 1, 1);
            FrameRect(memory, &frame, brush);
            DeleteObject(brush);
        }
    }
    SelectObject(memory, old);
}

BOOL CSDlgWizSkin::GetPageRect(RECT* rect)
{
    if (!wiz || !rect)
        return FALSE;
    *rect = wiz->rcPage;
    StretchRect(*rect);
    return TRUE;
}

BOOL CSDlgWizSkin::GetHeaderRect(RECT* rect)
{
    if (!wiz || !rect)
        return FALSE;
    *rect = wiz->rcHeader;
    StretchRect(*rect);
    return TRUE;
}

COLORREF CSDlgWizSkin::GetHeaderTextColor() const
{
    if (wiz && wiz->rgbHeaderText != CLR_NONE)
        return wiz->rgbHeaderText;
    return metrics ? metrics->rgbText : CLR_NONE;
}
