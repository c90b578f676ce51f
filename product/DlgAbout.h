// DlgAbout: the product's About box, and the help and web-page helpers the dialogs use.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSDlg.h"
#include "ui/CSWnd.h"
#include "ui/IconBtn.h"
#include "ui/ImageBtn.h"

class ProductInfo;

// Fills the About box from the product identity and answers its web-site buttons. Attached to
// its dialog as a dialog hook and as a window hook (DlgAbout does both, and detaches in the
// opposite order).
class GLMBX_API DlgAboutHandler : public WMHook {
public:
    enum { ButtonCount = 4 };

    DlgAboutHandler();
    ~DlgAboutHandler() override;
    DlgAboutHandler(const DlgAboutHandler&) = delete;
    DlgAboutHandler& operator=(const DlgAboutHandler&) = delete;

    int OnDlgMessage(CSDlg* pDlg, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // The dialog's sign that the mouse has left it goes on to the buttons, which end hovering.
    int OnWndMessage(CSWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    void Init(CSDlg* dlg);

    // "Web site", two buttons the About box has no control for (kept with their icons, so that
    // the record keeps its layout), "Support".
    IconBtn buttons[ButtonCount];
    ImageBtn* productIcon;  // owned; made when the dialog has the product icon's control
    ProductInfo* product;
};

class GLMBX_API DlgAbout : public CSDlg {
public:
    enum { TemplateId = 20100, IconCtl = 20103, NameCtl = 20101, VersionCtl = 20102, CopyrightCtl = 1000,
           WebSiteCtl = 20109, SupportCtl = 20108 };
    enum { ProductIconSize = 48 };
    DlgAbout();
    ~DlgAbout() override;

private:
    DlgAboutHandler handler;
};

// The About box, modal; true unless it was closed with Cancel.
GLMBX_API bool DoAbout(HWND owner);
// The maker's copyright notice in an information box.
GLMBX_API void ShowCopyright(HWND owner);
// A web page or HTML file in the user's browser; with confirm, asked first (message 0: the
// library's web-site notice). False when declined or nothing could open it.
GLMBX_API bool OpenHTML(HWND owner, const wchar_t* url, int confirm, unsigned int messageId);
