// CSDlgMain, a program's main dialog (icons, "About" in the system menu, saved position), and CSIconForDlg, a dialog's icon pair.
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "ui/CSDlg.h"

// A dialog that is a program's main window: its icons, a system-menu "&About..." item
// (command 16) that calls OnAbout, its position kept under the application's root key
// (unless a placement record is used), the icon drawn while minimised, and, when it runs
// modeless, WM_QUIT with its result when its window is destroyed.
class GLMBX_API CSDlgMain : public CSDlg {
public:
    enum { AboutCommand = 16 };

    // Icon id 0: none. A negative id names an icon of this library.
    explicit CSDlgMain(HINSTANCE instance = nullptr, int iconId = 0, CSDlgSkin* dlgSkin = nullptr);
    ~CSDlgMain() override;

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Draws the big icon while the dialog is minimised (and answers 1); otherwise 0.
    virtual LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    // A placeholder box; derived dialogs show their About box.
    virtual LRESULT OnAbout();

    HICON GetBigIcon() const { return bigIcon; }
    HICON GetSmallIcon() const { return smallIcon; }

protected:
    HICON bigIcon;
    HICON smallIcon;
};

// The icons of a dialog's title bar and task switch, loaded from resources and destroyed at
// the end. A negative id names an icon of this library, a positive one an icon of the
// current application.
class GLMBX_API CSIconForDlg {
public:
    CSIconForDlg();
    ~CSIconForDlg();
    CSIconForDlg(const CSIconForDlg&) = delete;
    CSIconForDlg& operator=(const CSIconForDlg&) = delete;

    // Loads the icon at the system's small (or big) size into the first free of the two
    // icons (replacing the second when both are taken) and sets it on the dialog. Nonzero
    // when it loaded.
    int Init(HWND dlg, int iconId, BOOL smallSize);
    // Both sizes: the first icon small, the second big.
    int InitEx(HWND dlg, int iconId);

private:
    void Release(int which);

    HICON icons[2];
};
