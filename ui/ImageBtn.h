// ImageBtn: an owner-drawn button showing one of five state images from a bitmap strip or icons; its descriptors.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSCtrl.h"
#include "ui/CSImageList.h"

struct SKIN_ICON_BTN_METRICS;

// How to build an ImageBtn: a bitmap strip when bmpId is nonzero, icons when iconNormal is,
// else nothing. Resource numbers: negative (or a null instance) means this library's own.
struct ImageBtnDescriptor {
    int bmpId;
    WORD order;  // see ImageBtn::LoadBmp
    int iconNormal;
    int iconHover;
    int iconPressed;
    int iconDisabled;
    int iconFocused;
    HINSTANCE instance;
    int cx;
    int cy;
    DWORD flags;  // ImageBtn::Flag...
};

struct GLMBX_API ImageBtnBmp : ImageBtnDescriptor {
    ImageBtnBmp(int width, int height, HINSTANCE inst, int bitmapId, WORD stateOrder, DWORD btnFlags);
};

struct GLMBX_API ImageBtnIcon : ImageBtnDescriptor {
    ImageBtnIcon(int width, int height, HINSTANCE inst, int normal, int hover, int pressed, int disabled,
                 int focused, DWORD btnFlags);
    // From the skin's record, with the skin module as the instance; null: an empty descriptor.
    explicit ImageBtnIcon(const SKIN_ICON_BTN_METRICS* metrics);
};

// The button is made owner-drawn when it is bound to its control (CSCtrl::Init). It tracks
// the mouse itself: the hand cursor and the hover image while the pointer is over it.
class GLMBX_API ImageBtn : public CSCtrl {
public:
    enum : DWORD {
        FlagCenterV = 1,  // centre the image vertically, else at the top
        FlagCenterH = 2,  // centre the image horizontally, else at the left
        FlagNoFocus = 8,  // never draw the focused image
    };
    // order 0 stands for this one: the strip holds normal, hover, pressed, disabled, focused.
    enum : WORD { DefaultOrder = 0x58D1 };

    ImageBtn();
    ImageBtn(int cx, int cy, HINSTANCE instance, int bmpId, WORD order, DWORD flags);
    ImageBtn(int cx, int cy, HINSTANCE instance, int normal, int hover, int pressed, int disabled, int focused,
             DWORD flags);
    explicit ImageBtn(const ImageBtnDescriptor& descriptor);

    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnInit() override;
    void OnDrawItem(DRAWITEMSTRUCT* dis) override;

    // Bitmap mode: images of cx by cy cut from the strip, magenta (0xFF00FF) transparent.
    // order packs five 3-bit fields, the 1-based position in the strip of the image for
    // normal (bits 0-2), hover, pressed, disabled and focused (bits 12-14); 0: no image.
    // A position past the strip's end means no image (the normal one is always taken).
    // False when the strip could not be loaded.
    BOOL LoadBmp(int cx, int cy, HINSTANCE instance, int bmpId, WORD order, DWORD flags);
    // Icon mode: one icon per state; 0 for a state without an image. With a negative
    // normal id every id names an icon of this library. False when the normal one failed.
    BOOL LoadIconW(int cx, int cy, HINSTANCE instance, int normal, int hover, int pressed, int disabled,
                   int focused, DWORD flags);
    // Draws the pressed image whatever the mouse does; repaints.
    void Check(BOOL on);
    BOOL IsChecked() const { return checked; }

    enum State { StateNormal, StateHover, StatePressed, StateDisabled, StateFocused, StateCount };
    // The image list index drawn for a state, -1 for none.
    int GetStateIndex(State state) const { return stateIndex[state]; }
    BOOL IsHovering() const { return hovering; }

protected:
    void Reset();
    // The background behind the images, as the button itself erases it.
    void EraseItem(HDC hdc, const RECT& rect);

    BOOL iconMode;
    BOOL checked;
    BOOL hovering;
    int imageWidth;
    int imageHeight;
    int stateIndex[StateCount];
    DWORD btnFlags;
    CSImageList images;
};
