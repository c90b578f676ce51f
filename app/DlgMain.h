// DlgMain, the "Glimpsebox properties" dialog: the log-on entries, the tray icon's colours and
// the mirror window's frame, background and margins.
#pragma once

#include <windows.h>

#include "app/MyOpts.h"
#include "sys/Api.h"
#include "ui/CSCombo.h"
#include "ui/CSCtrl.h"
#include "ui/CSDlg.h"
#include "ui/CSDlgMain.h"
#include "ui/CSHistCB.h"
#include "ui/FullWndDragger.h"

// Edits the start dialog's options record in place: the colours and a browsed picture at once,
// everything else on Apply, which also stores the record, writes the Run entries and tells a
// running tray. Resizable in width only; its placement is kept in the record.
class GLMBX_API DlgMain : public CSDlg {
public:
    // A small rectangle in the colour it points at; a click opens the colour chooser (the
    // dialog hears of it as "CorvantrixMessage" 52 with the control's id).
    class GLMBX_API ColorIndicator : public CSCtrl {
    public:
        ColorIndicator();
        // Deletes the brush.
        ~ColorIndicator() override;
        ColorIndicator(const ColorIndicator&) = delete;
        ColorIndicator& operator=(const ColorIndicator&) = delete;

        LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
        using CSCtrl::OnCtlColor;
        // The brush of the colour (made on first use), with the colour as the DC's background.
        HBRUSH OnCtlColor(HDC hdc);
        // The colour has changed: the brush goes and the control is painted again.
        void ResetDrawingTools();

        COLORREF* color;  // into the options record; not owned

    private:
        HBRUSH brush;     // owned
        HCURSOR cursor;   // the system's hand cursor, shared
    };

    // The record is the start dialog's; it outlives this dialog.
    explicit DlgMain(MyOpts* options);
    ~DlgMain() override;

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnOK() override;
    LRESULT OnCommand(WORD id, WORD code, HWND ctl) override;
    const wchar_t* GetHtmlPage(UINT id) override;
    int CanClose(int result) override;
    // The background's frame and the picture list grow with the width; "..." keeps to the edge.
    void OnResize(int dx, int dy) override;

    // Takes every control into the record, writes the Run entries and the picture history,
    // stores the record and tells a running tray to read it again.
    void Apply();

    // The note about anti-spyware programs, shown the first time a log-on entry is made.
    static void ShowAutoLoadNoteOnce(HWND owner, MyOpts& options);

private:
    void UpdateEnabledStates();
    void Browse();
    void PickColor(ColorIndicator& indicator);
    BOOL IsChecked(int id) { return IsDlgButtonChecked(id) == BST_CHECKED; }

    MyOpts* opts;
    CSIconForDlg icons;
    ColorIndicator colorIndicator;
    ColorIndicator gradientIndicator;
    CSCombo borderList;
    CSCombo gradientList;
    CSHistCB pictureList;
    FullWndDragger dragger;
};
