// CSDlgWizard: a page manager with Back, Next, a bold header, an icon, an optional image button and an optional wizard skin.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSDlgMain.h"
#include "ui/CSDlgPageMan.h"
#include "ui/ImageBtn.h"
#include "ui/LargeStaticTextCtl.h"
#include "ui/MyWindowPlacement.h"

class CSDlgWizSkin;

// The template holds the header, the placeholder, Back and Next, and any of OK (1), Cancel
// (2) and Help (9). With more than one page Back and Next show and Next is the default
// button; with one page OK shows instead. Cancelling on a page between the first and the last
// asks the cancel question first (when there is one). A resizable wizard keeps its placement
// in GetResizingInfo()'s record; a fixed one keeps the size it first gets.
//
// The virtual operations keep their order: derived wizards of other modules rely on it.
class GLMBX_API CSDlgWizard : public CSDlgPageMan {
public:
    // String ids (title, cancel question) are of the instance the wizard runs with; 0: none.
    // The image button's descriptor is copied; its control shows and hides with the header.
    CSDlgWizard(UINT headerId, UINT placeholderId, UINT backId, UINT nextId, UINT iconId = 0, UINT titleStrId = 0,
                UINT cancelQuestionStrId = 0, BOOL resizable = FALSE, const ImageBtnDescriptor* imageBtnDesc = nullptr,
                UINT imageBtnCtlId = 0, CSDlgSkin* dlgSkin = nullptr);
    ~CSDlgWizard() override;

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // With one page, the page must agree as to Next first.
    LRESULT OnOK() override;
    // The cancel question, then the pages.
    int CanClose(int result) override;
    // The buttons follow the bottom (and right) edge.
    void OnResize(int dx, int dy) override;
    void OnUpdateHeaderText(BOOL show) override;
    // Header text and image button: the skin's colours, else navy on the highlight colour.
    int OnCtlColor(UINT msg, HDC hdc, HWND ctl, HBRUSH* pBrush) override;
    // The skin's picture; the first time, OnFirstSkinStretch.
    void DrawSkin(HDC hdc) override;

    // Where a resizable wizard keeps its placement; none here.
    virtual MyWindowPlacement* GetResizingInfo();
    // The skin has been stretched to the wizard's size for the first time: the pages and
    // buttons are placed inside it. Nothing without a wizard skin.
    virtual void OnFirstSkinStretch(CSDlgWizSkin* wizSkin);

    ImageBtn* GetImageBtn() const { return imageBtn; }
    HFONT GetTitleFont() const { return titleFont.GetFont(); }

protected:
    // Shows and enables a button (or the skin's area for it), or hides and disables it.
    void TurnButton(UINT id, BOOL on);

    // ---- With a skin ----
    // The wizard skin, when the dialog has one; null for any other skin or none.
    CSDlgWizSkin* GetWizSkin() const;
    // The picture has been stretched to the dialog (again): the first time OnFirstSkinStretch,
    // later the same places on the new stretch. Nothing while the skin does not show.
    void SkinStretched();
    // The placeholder and the pages over the skin's page rectangle, the header (and the image
    // button at its right end) over its header rectangle, the buttons' areas where the stretch
    // takes their places on the picture.
    void PlaceOnSkin(CSDlgWizSkin* wizSkin);
    // The header's colours from the wizard skin, or the image button's from the skin.
    int SkinCtlColor(UINT msg, HDC hdc, HWND ctl, HBRUSH* pBrush);

    LargeStaticTextCtl titleFont;
    CSIconForDlg icons;
    ImageBtn* imageBtn;
    UINT imageBtnId;
    UINT iconId;
    UINT titleStrId;
    UINT cancelQuestionId;
    BOOL resizable;
    BOOL hasHelp;
    BOOL hasCancel;
    BOOL hasOK;
    BOOL skinStretched;
    // Where the skin's button areas lie on the picture itself, for placing them on each stretch.
    enum { SkinButtonCount = 5 };
    POINT skinButtonOrigin[SkinButtonCount];
    BOOL skinButtonsKept;
};
