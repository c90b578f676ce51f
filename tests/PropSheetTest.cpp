// Property sheets over the system's own: the notifications each page hears, and what the option bits do.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>

#include "tests/PageIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestSupport.h"
#include "ui/CSPropPage.h"
#include "ui/CSPropSheet.h"

using test::OkSequence;
using test::SeqEntry;
using test::SeqOptional;

namespace {

// A page that logs each slot as "<index> <slot>" and answers as its base does.
class LoggedPage : public CSPropPage {
public:
    LoggedPage(CSPropSheet& host, UINT i, test::MessageLog* messageLog, bool* deletedFlag = nullptr)
        : CSPropPage(host.GetPageBuf(i), test::ExeModule(), IDD_PS_PAGE), log(messageLog), deleted(deletedFlag)
    {
        host.AddPage(i, this);
    }
    ~LoggedPage() override
    {
        if (deleted)
            *deleted = true;
    }
    test::MessageLog* log;
    bool* deleted;

    void Event(const char* what) { if (log) log->Event((std::to_string(pageIndex) + " " + what).c_str()); }
    LRESULT OnApply(PSHNOTIFY* pn) override { return Event("OnApply"), CSPropPage::OnApply(pn); }
    LRESULT OnHelp(NMHDR* nm) override { return Event("OnHelp"), CSPropPage::OnHelp(nm); }
    LRESULT OnKillActive(NMHDR* nm) override { return Event("OnKillActive"), CSPropPage::OnKillActive(nm); }
    LRESULT OnSetActive(NMHDR* nm) override { return Event("OnSetActive"), CSPropPage::OnSetActive(nm); }
    LRESULT OnReset(PSHNOTIFY* pn) override { return Event("OnReset"), CSPropPage::OnReset(pn); }
    LRESULT OnQueryCancel(NMHDR* nm) override { return Event("OnQueryCancel"), CSPropPage::OnQueryCancel(nm); }
    LRESULT OnWizBack(NMHDR* nm) override { return Event("OnWizBack"), CSPropPage::OnWizBack(nm); }
    LRESULT OnWizNext(NMHDR* nm) override { return Event("OnWizNext"), CSPropPage::OnWizNext(nm); }
    LRESULT OnWizFinish(NMHDR* nm) override { return Event("OnWizFinish"), CSPropPage::OnWizFinish(nm); }
};

// A sheet whose script runs once it is up, from its own modal loop; a watchdog cancels it.
class ScriptedSheet : public CSPropSheet {
public:
    enum : UINT { MsgScript = WM_APP + 90 };
    enum : UINT_PTR { Watchdog = 0x5EEE };
    using CSPropSheet::CSPropSheet;
    std::function<void(ScriptedSheet&)> script;
    DWORD style = 0, exStyle = 0, templateStyle = 0;
    int cancelAsks = 0;

    void OnPSCB_PRECREATE(LPARAM dlgTemplate) override
    {
        const auto* words = reinterpret_cast<const WORD*>(dlgTemplate);
        std::memcpy(&templateStyle, words + (words[1] == 0xFFFF ? 6 : 0), sizeof(templateStyle));
    }
    void OnPSCB_INITIALIZED() override
    {
        style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
        exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
        SetTimer(hwnd, Watchdog, 15000, nullptr);
        PostMsg(MsgScript, 0, 0);
    }
    int OnQueryCancel(CSPropPage*) override { return ++cancelAsks > 1; }
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == MsgScript && script)
            script(*this);
        if (msg == WM_TIMER && wParam == Watchdog)
            Press(PSBTN_CANCEL);
        return CSPropSheet::OnWndMessage(msg, wParam, lParam);
    }
    // Presses a button of the sheet and lets it act.
    void Press(int button)
    {
        PostMsg(PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
        test::PumpPending();
    }
};

} // namespace

TEST(PropSheet, EveryNotificationReachesItsSlot)
{
    test::MessageLog log;
    ScriptedSheet sheet(nullptr, test::ExeModule(), 2, L"Sheet", PSH_HASHELP);
    LoggedPage first(sheet, 0, &log), second(sheet, 1, &log);
    sheet.script = [&](ScriptedSheet& s) {
        log.Event("switch");
        first.SetCurPage(1);
        log.Event("apply");
        second.SetModified();
        second.SimulateApply();
        test::PumpPending();
        log.Event("help");
        s.Press(PSBTN_HELP);
        // The first cancel is refused by the sheet, the second goes through.
        log.Event("cancel");
        second.SimulateCancel();
        test::PumpPending();
        log.Event("cancel");
        second.SimulateCancel();
    };
    sheet.Run(0);
    static const SeqEntry expected[] = {
        {"0 OnSetActive"}, {"switch"}, {"0 OnKillActive"}, {"1 OnSetActive"},
        {"apply"}, {"1 OnKillActive"}, {"0 OnApply"}, {"1 OnApply"}, {"1 OnSetActive", 0, SeqOptional},
        {"help"}, {"1 OnHelp"},
        {"cancel"}, {"1 OnQueryCancel"},
        {"cancel"}, {"1 OnQueryCancel"}, {"0 OnReset", 0, SeqOptional}, {"1 OnReset"}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(log, expected));
    EXPECT_EQ(sheet.GetLastPage(), 1);
    EXPECT_TRUE(first.GetPageIndex() == 0 && second.GetSheet() == &sheet && !sheet.IsReady());

    // A wizard's Back, Next and Finish.
    log.Clear();
    ScriptedSheet wizard(nullptr, test::ExeModule(), 2, L"Wizard", PSH_WIZARD);
    LoggedPage one(wizard, 0, &log), two(wizard, 1, &log);
    wizard.script = [&](ScriptedSheet&) {
        one.SimulateNext();
        test::PumpPending();
        log.Event("back");
        two.SimulateBack();
        test::PumpPending();
        log.Event("finish");
        one.SimulateNext();
        test::PumpPending();
        wizard.Press(PSBTN_FINISH);
    };
    EXPECT_TRUE(wizard.Run(0));
    static const SeqEntry wizardSeq[] = {
        {"0 OnSetActive"}, {"0 OnWizNext"}, {"0 OnKillActive"}, {"1 OnSetActive"},
        {"back"}, {"1 OnWizBack"}, {"1 OnKillActive"}, {"0 OnSetActive"},
        {"finish"}, {"0 OnWizNext"}, {"0 OnKillActive"}, {"1 OnSetActive"}, {"1 OnWizFinish"}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(log, wizardSeq));
}

TEST(PropSheet, OptionBitsDecideWhoDeletesThePagesAndShapeTheWindow)
{
    struct { DWORD options; bool deletes, appWindow, contextHelp, minimize; } const cases[] = {
        {0, false, false, true, false},
        {CSPropSheet::OptOwnsPages, true, false, true, false},
        {CSPropSheet::OptAppWindow, false, true, true, false},
        {CSPropSheet::OptNoContextHelp, false, false, false, false},
        {CSPropSheet::OptNoContextHelp | CSPropSheet::OptMinimizeBox, false, false, false, true},
        {CSPropSheet::OptMinimizeBox, false, false, true, false},
    };
    for (const auto& c : cases) {
        bool deleted = false;
        LoggedPage* page = nullptr;
        DWORD style = 0, exStyle = 0, templ = 0;
        {
            ScriptedSheet sheet(nullptr, test::ExeModule(), 1, L"Options", PSH_NOAPPLYNOW, 0, c.options);
            page = new LoggedPage(sheet, 0, nullptr, &deleted);
            sheet.cancelAsks = 1;
            sheet.script = [](ScriptedSheet& s) { s.Press(PSBTN_CANCEL); };
            sheet.Run(0);
            style = sheet.style;
            templ = sheet.templateStyle;
            exStyle = sheet.exStyle;
        }
        EXPECT_EQ(deleted, c.deletes) << c.options;
        EXPECT_EQ((exStyle & WS_EX_APPWINDOW) != 0, c.appWindow) << c.options;
        // The system's template asks for context help; the window is made from what the sheet left of it.
        EXPECT_EQ((templ & DS_CONTEXTHELP) != 0, c.contextHelp) << c.options;
        EXPECT_EQ((templ & WS_MINIMIZEBOX) != 0, c.minimize) << c.options;
        EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, c.minimize) << c.options;
        if (!deleted)
            delete page;
    }
}
