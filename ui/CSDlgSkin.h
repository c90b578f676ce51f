// CSDlgSkin: a dialog drawn as a picture: a frameless layered window with a colour key, stretched by a nine-slice rule, with hot areas.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "sys/CSList.h"
#include "ui/CSDlgSkinArea.h"
#include "ui/SkinMode.h"
#include "ui/TooltipCtrl.h"

class CSDlg;

// A dialog given a skin (CSDlg's constructor) hands it its painting, control colours, mouse
// moves and clicks. While the skin has no picture, or is hidden, every call does nothing and
// the dialog looks standard. The skin is made before its dialog runs and outlives its window;
// one skin serves one dialog at a time. It keeps a copy of the record it was given, so the
// skin module may hand out records that do not outlive the call.
//
// The picture's nine-slice zone: the corners outside it keep their size, the edges beside it
// stretch along their length, the middle both ways. Hot areas keep picture coordinates.
class GLMBX_API CSDlgSkin {
    friend class CSDlg;

public:
    // A null record gives an empty skin (the dialog stays standard).
    explicit CSDlgSkin(SKIN_METRICS* skinMetrics = nullptr);
    CSDlgSkin(const CSDlgSkin&) = delete;
    CSDlgSkin& operator=(const CSDlgSkin&) = delete;

    // WM_CTLCOLORBTN and WM_CTLCOLORSTATIC: the skin's text colour on a transparent background,
    // with the null brush in *pBrush; 1 when it answered.
    virtual int OnCtlColor(UINT msg, HDC hdc, HBRUSH* pBrush);
    // The part (x, y, cx, cy) of the client area, stretched to the client size first when that
    // changed; -1 for cx or cy means the whole width or height. When the whole client area
    // was drawn, the areas are drawn over it.
    virtual void DrawSkin(HDC hdc, int x, int y, int cx, int cy);
    virtual void OnMouseMove(UINT keys, int x, int y);
    // WM_LBUTTONUP on the area that took the press posts WM_COMMAND with its id to the dialog.
    virtual void OnMouseClick(UINT msg, UINT keys, int x, int y);

protected:
    // From the dialog's OnInitDone: the tooltips of the areas, then the frameless look.
    virtual int Init(CSDlg* dlg);
    // The stretched picture grew by (dx, dy) since the last stretch.
    virtual void OnResize(int dx, int dy);

public:
    virtual ~CSDlgSkin();

    // Loads the record's picture and sets it; 0 (and an empty skin) when it cannot be loaded.
    int SetSkin(SKIN_METRICS* skinMetrics);
    // Takes bitmap (owned from now on, also when refused), its transparent colour and zone
    // (null: none). 0 for no bitmap or one without size.
    int SetSkin(HBITMAP bitmap, COLORREF transparent, const RECT* zone);
    // Shows or hides the skin on the dialog's window (hidden: the standard frame and look).
    void ShowSkin(BOOL show);
    // Whether the dialog shows the skin now.
    BOOL IsSkinShown() const { return applied; }
    // The control's rectangle of the picture as its background, drawn into the control's dc.
    void DrawCtrlSkinBkg(HDC hdc, HWND ctl);

    // A picture coordinate where the stretched picture has it; see the class comment.
    void StretchX(long& x);
    void StretchY(long& y);
    void StretchRect(RECT& rect);
    // Stretches to the client area now unless it is stretched to it already; 1 when it did.
    int StretchToClient();

    // Areas: added areas are owned. A table is read up to its end marker, at most MaxAreas
    // items; items without size or with an id already present are skipped.
    enum { MaxAreas = 256 };
    int AddArea(CSDlgSkinArea* area);
    int AddAreas(const SKIN_AREA_METRICS* table);
    CSDlgSkinArea* FindArea(int x, int y);
    CSDlgSkinArea* FindArea(UINT id);
    void RemoveArea(UINT id);
    void RemoveAreas(const SKIN_AREA_METRICS* table);
    void MoveArea(UINT id, int dx, int dy);
    void MoveAreas(const SKIN_AREA_METRICS* table, int dx, int dy);
    void ShowArea(UINT id, BOOL show);
    void EnableArea(UINT id, BOOL on);
    void SetAreaState(UINT id, SkinAreaState state);
    void DrawArea(UINT id);
    // Clears the focus mark of the previous area; a nonzero id gets it.
    void FocusArea(UINT id);
    UINT GetFocusArea();
    BOOL GetAreaRect(UINT id, RECT* rect);
    int GetAreaCount() const { return areas.GetCount(); }

    const SKIN_METRICS* GetMetrics() const { return metrics; }
    COLORREF GetTransparentColor() const { return transparent; }
    CSDlg* GetDlg() const { return dialog; }

protected:
    void FreePictures();
    // Puts the window's look in line with the picture and the shown flag.
    void RefreshSkinAttributes();
    void Apply(bool show);
    // Whether the client size differs from the stretched picture's.
    bool NeedsStretch(int w, int h) const;
    void Stretch(int w, int h);
    long StretchCoord(long v, long nearEdge, long farEdge, long delta) const;
    void Redraw(CSDlgSkinArea* area);
    bool Ready() const { return applied && stretchSource; }

    SKIN_METRICS* metrics;  // points at metricsCopy, or null
    CSDlgSkinArea* hotArea;
    CSDlg* dialog;
    HWND hwnd;
    TooltipCtrl tooltips;
    BOOL shown;  // wanted: the skin shows whenever it has a picture and a window
    HBITMAP stretchSource;
    HBITMAP stretched;
    int picCx, picCy;
    int curCx, curCy;
    RECT zone;
    COLORREF transparent;
    DWORD savedStyle;
    CSList areas;

    SKIN_METRICS metricsCopy;
    DWORD savedExStyle;
    BOOL applied;
    CSDlgSkinArea* pressedArea;  // the area that took the left button's press
    UINT stretchSerial;  // counts the stretches, so derived skins know a new picture
};
