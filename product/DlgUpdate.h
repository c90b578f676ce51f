// The update dialogs: the question before a check (21802) and the known update (21804), and the frequency lists.
#pragma once

#include <windows.h>

#include "product/UpdateCheck.h"
#include "sys/Api.h"
#include "ui/CSCombo.h"
#include "ui/CSDlg.h"
#include "ui/ImageBtn.h"
#include "ui/LargeStaticTextCtl.h"

// What both dialogs share: the product's icons, the bold headline, the picture buttons, the
// "Yes"/"No" choice and the reminder list ("Tomorrow", "Next week", "Next month"). Closing
// by OK or Cancel takes the list's choice as the frequency; OK with "Yes" opens the update
// web page in the browser.
class GLMBX_API DlgUpdateBase : public CSDlg {
public:
    enum { HeadlineCtl = 21542, ProductIconCtl = 20103, FreqListCtl = 21543, YesCtl = 21536, NoCtl = 21537,
           OkBitmapId = 21530, ImageSize = 48 };

    explicit DlgUpdateBase(int freq);
    ~DlgUpdateBase() override;

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void DoClose(int result) override;

    int GetFreq() const { return freq; }
    // "Yes" was chosen when the dialog closed.
    bool ChoseYes() const { return choseYes; }

protected:
    // The control's text as a format of one string argument.
    void FormatCtrl(int id, const wchar_t* arg);

    int freq;
    HICON iconLarge;
    HICON iconSmall;
    LargeStaticTextCtl headline;
    ImageBtn productIcon;
    ImageBtn okButton;
    CSComboList freqList;
    bool choseYes;
};

// Dialog 21802: shall we check now, when to remind, and whether to check without asking.
class GLMBX_API DlgCheckForUpdates : public DlgUpdateBase {
public:
    enum { TemplateId = 21802, AutoCtl = 1008 };

    DlgCheckForUpdates(int freq, int automatic);
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void DoClose(int result) override;

    int IsAutomatic() const { return automatic; }

private:
    int automatic;
};

// Dialog 21804: the server's description of the new version, and whether to go and get it.
class GLMBX_API DlgGetUpdates : public DlgUpdateBase {
public:
    enum { TemplateId = 21804, DescrCtl = 1009 };

    // descr is borrowed for the dialog's run.
    DlgGetUpdates(int freq, const wchar_t* descr);
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;

private:
    const wchar_t* descr;
};

// "Daily", "Weekly", "Monthly", each with its Check4UpdatesFreq as item data.
GLMBX_API void PopulateFreqList(CSComboList& list);
