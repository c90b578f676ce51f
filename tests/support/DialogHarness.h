// Scaffolding of the dialog tests: a scripted dialog that logs its virtual calls, and an answerer for message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "tests/support/BoxAnswerer.h"
#include "tests/support/MessageSequence.h"
#include "ui/CSDlg.h"

namespace test {

inline HINSTANCE ExeModule()
{
    return GetModuleHandleW(nullptr);
}

// A dialog whose script runs once it is up: OnInitDialog posts MsgScript, so the script runs
// from the dialog's own loop (modal or not) after the dialog has been shown. A watchdog
// timer on the dialog closes it with -99 if a script leaves it open, so no test can hang.
// A window still open when the object ends goes with it.
class ScriptedDlg : public CSDlg {
public:
    using Script = std::function<void(ScriptedDlg&)>;
    enum : UINT { MsgScript = WM_APP + 70 };
    enum : UINT_PTR { WatchdogTimer = 0x5EED };

    explicit ScriptedDlg(MessageLog* messageLog = nullptr, CSDlgSkin* dlgSkin = nullptr) : CSDlg(dlgSkin), log(messageLog) {}
    ~ScriptedDlg() override { Destroy(); }

    // A template of the test program, run modally, or shown modeless (ended by the test: no watchdog) at (250, 250).
    int Run(int id, HWND parent = nullptr) { return Modal(id, ExeModule(), parent); }
    HWND Open(int id, HWND parent = nullptr)
    {
        HWND h = Modeless(id, ExeModule(), parent, TRUE);
        if (h) {
            KillTimer(h, WatchdogTimer);
            SetWindowPos(h, HWND_TOPMOST, 250, 250, 0, 0, SWP_NOSIZE);
        }
        return h;
    }

    MessageLog* log;
    Script script;
    int updateDataAnswer = 1, canCloseAnswer = 1;
    const wchar_t* page = nullptr;  // GetHtmlPage's answer for every id
    std::wstring helpError;
    POINT lastMove = {-100, -100};  // OnMouseMove's, (-1, -1) when the mouse left
    int resizeDx = 0, resizeDy = 0;
    using CSDlg::identity;

    void Event(const char* what, WPARAM data = 0) { if (log) log->Add(what, 0, data); }

    void PreInit() override { Event("PreInit"); }
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
    {
        Event("OnInitDialog");
        LRESULT result = CSDlg::OnInitDialog(wParam, lParam);
        SetTimer(hwnd, WatchdogTimer, 15000, nullptr);
        PostMsg(MsgScript, 0, 0);
        return result;
    }
    void OnInitDone() override { Event("OnInitDone"); CSDlg::OnInitDone(); }
    int UpdateControls() override { return Event("UpdateControls"), 1; }
    int UpdateData() override { return Event("UpdateData"), updateDataAnswer; }
    int CanClose(int result) override { return Event("CanClose", static_cast<WPARAM>(result)), canCloseAnswer; }
    void DoClose(int result) override { Event("DoClose", static_cast<WPARAM>(result)); CSDlg::DoClose(result); }
    void OnButtonClicked(WORD id) override { Event("OnButtonClicked", id); }
    void OnComboSelChanged(WORD id) override { Event("OnComboSelChanged", id); }
    LRESULT OnOK() override { return Event("OnOK"), CSDlg::OnOK(); }
    LRESULT OnCancel() override { return Event("OnCancel"), CSDlg::OnCancel(); }
    void OnResize(int dx, int dy) override { resizeDx += dx; resizeDy += dy; }
    void OnMouseMove(UINT, int x, int y) override { lastMove = {x, y}; }
    const wchar_t* GetHtmlPage(UINT) override { return page; }
    void OnHtmlHelpError(const wchar_t* failed) override { helpError = failed ? failed : L""; }
    void OnPostNcDestroy() override { Event("OnPostNcDestroy"); CSDlg::OnPostNcDestroy(); }
    LRESULT OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == MsgScript) {
            Event("script");
            if (script)
                script(*this);
            return 1;
        }
        if (msg == WM_TIMER && wParam == WatchdogTimer) {
            KillTimer(hwnd, WatchdogTimer);
            Event("watchdog");
            canCloseAnswer = 1;
            CloseDialog(-99, 0);
            return 1;
        }
        return CSDlg::OnDlgMessage(msg, wParam, lParam);
    }
};

} // namespace test
