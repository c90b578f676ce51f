// DlgStart, the start dialog: shows or hides the tray icon, opens the properties, and on the
// first run makes the log-on entry that the installer chose.
#pragma once

#include <windows.h>

#include "app/MyOpts.h"
#include "sys/Api.h"
#include "ui/CSDlg.h"
#include "ui/CSDlgMain.h"
#include "ui/FullWndDragger.h"
#include "ui/ImageBtn.h"

// Runs modeless with its own loop in a process of its own; its window is published in
// hwndDlgMain while it is open, and a later start finds it by its identity. The options are
// loaded when it opens and stored when it closes, however it closes.
class GLMBX_API DlgStart : public CSDlg {
public:
    enum { Identity = 141 };

    // The launcher's command line and show command are not used.
    DlgStart(wchar_t* cmdLine, int show);
    ~DlgStart() override;

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Starts or ends the tray as chosen and makes the pending log-on entry.
    LRESULT OnOK() override;
    void OnButtonClicked(WORD id) override;
    const wchar_t* GetHtmlPage(UINT id) override;
    int CanClose(int result) override;

private:
    void EnableProperties();

    MyOpts opts;
    MyOpts loaded;  // as read: closing writes only what changed
    CSIconForDlg icons;
    ImageBtn picture;
    FullWndDragger dragger;
};
