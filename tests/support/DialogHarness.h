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
class ScriptedDlg : public CSDlg {
public:
    using Script = std::function<void(ScriptedDlg&)>;
    enum : UINT { MsgScript = WM_APP + 70 };
    enum : UINT_PTR { WatchdogTimer = 0x5EED };

    explicit ScriptedDlg(MessageLog* messageLog = nullptr) : log(messageLog) {}

    MessageLog* log;
    Script script;
    int updateDataAnswer = 1;
    int canCloseAnswer = 1;
    const wchar_t* page = nullptr;  // GetHtmlPage's answer for every id
    std::wstring helpError;
    int leaveMoves = 0;  // WM_MOUSEMOVE at (-1, -1)
    int resizes = 0;
    int resizeDx = 0;
    int resizeDy = 0;

    void Event(const char* what, WPARAM data = 0)
    {
        if (log)
            log->Add(what, 0, data);
    }

    // Exposed for the tests.
    using CSDlg::identity;

    void PreInit() override
    {
        Event("PreInit");
        CSDlg::PreInit();
    }
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
    {
        Event("OnInitDialog");
        LRESULT result = CSDlg::OnInitDialog(wParam, lParam);
        SetTimer(hwnd, WatchdogTimer, 15000, nullptr);
        PostMsg(MsgScript, 0, 0);
        return result;
    }
    void OnInitDone() override
    {
        Event("OnInitDone");
        CSDlg::OnInitDone();
    }
    int UpdateControls() override
    {
        Event("UpdateControls");
        return 1;
    }
    int UpdateData() override
    {
        Event("UpdateData");
        return updateDataAnswer;
    }
    int CanClose(int result) override
    {
        Event("CanClose", static_cast<WPARAM>(result));
        return canCloseAnswer;
    }
    void DoClose(int result) override
    {
        Event("DoClose", static_cast<WPARAM>(result));
        CSDlg::DoClose(result);
    }
    void OnButtonClicked(WORD id) override
    {
        Event("OnButtonClicked", id);
    }
    void OnComboSelChanged(WORD id) override
    {
        Event("OnComboSelChanged", id);
    }
    LRESULT OnOK() override
    {
        Event("OnOK");
        return CSDlg::OnOK();
    }
    LRESULT OnCancel() override
    {
        Event("OnCancel");
        return CSDlg::OnCancel();
    }
    void OnResize(int dx, int dy) override
    {
        ++resizes;
        resizeDx += dx;
        resizeDy += dy;
    }
    void OnMouseMove(UINT keys, int x, int y) override
    {
        if (x == -1 && y == -1)
            ++leaveMoves;
        CSDlg::OnMouseMove(keys, x, y);
    }
    const wchar_t* GetHtmlPage(UINT) override
    {
        return page;
    }
    void OnHtmlHelpError(const wchar_t* failed) override
    {
        helpError = failed ? failed : L"";
    }
    void OnPostNcDestroy() override
    {
        Event("OnPostNcDestroy");
        CSDlg::OnPostNcDestroy();
    }
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
