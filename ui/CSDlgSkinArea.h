// CSDlgSkinArea: one hot area of a skin, a rectangle of the picture that acts as a button with a picture per state.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/SkinMode.h"

class CSDlg;

enum SkinAreaState { SkinAreaNormal = 0, SkinAreaHover = 1, SkinAreaPressed = 2, SkinAreaHidden = 3 };

// The rectangle is in the dialog's client coordinates (the picture's: areas do not move when
// the picture stretches). The area owns its pictures and deletes them at its end.
class GLMBX_API CSDlgSkinArea {
public:
    enum Picture { PicNormal, PicHover, PicPressed, PicDisabled, PicCount };

    // From a table item: its pictures are loaded from the skin module. Null: an empty area.
    explicit CSDlgSkinArea(const SKIN_AREA_METRICS* metrics);
    CSDlgSkinArea(UINT areaId, int x, int y, int cx, int cy, int normal, int hover, int pressed, int disabled,
                  int data1 = 0, int data2 = 0);
    virtual ~CSDlgSkinArea();
    CSDlgSkinArea(const CSDlgSkinArea&) = delete;
    CSDlgSkinArea& operator=(const CSDlgSkinArea&) = delete;

    // The picture of the state over hdc; a focused area gets a white frame and a focus rectangle.
    virtual void Draw(HDC hdc);
    // The same at once on the dialog's window, over the skin's own picture of the rectangle.
    virtual void Draw(CSDlg* dlg);

    SkinAreaState GetState() const { return state; }
    void SetState(SkinAreaState newState) { state = newState; }
    void Enable(BOOL on) { disabled = !on; }
    BOOL IsEnabled() const { return !disabled; }
    void SetFocus(BOOL on) { focused = on; }
    BOOL IsFocus() const { return focused; }
    BOOL IsHidden() const { return state == SkinAreaHidden; }

    // Keeps bitmap in slot (one of pictures), deleting what the slot held.
    void SetBitmap(HBITMAP* slot, HBITMAP bitmap);
    // The same with picture resId of the skin module; 0 or a missing picture empties the slot.
    void SetJPG(HBITMAP* slot, int resId);
    HBITMAP* GetSlot(Picture which) { return &pictures[which]; }
    // Disabled for a disabled area; else by state (the hover picture for a focused normal
    // one); a state without a picture falls back to the normal one. Null: nothing to draw.
    HBITMAP GetBitmapToDraw();
    // The bitmap's top-left part, as much as fits into the area, with its corner at (x, y).
    void DrawBitmap(HDC hdc, HBITMAP bitmap, int x, int y);

    UINT GetID() const { return id; }
    const RECT& GetRect() const { return rect; }
    void Offset(int dx, int dy) { OffsetRect(&rect, dx, dy); }
    int GetData1() const { return data1; }
    int GetData2() const { return data2; }

protected:
    void Load(int normal, int hover, int pressed, int disabled);

    RECT rect;
    UINT id;
    BOOL disabled;
    BOOL focused;
    HBITMAP pictures[PicCount];
    int data1;
    int data2;
    SkinAreaState state;
};
