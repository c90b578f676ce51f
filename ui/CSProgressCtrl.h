// CSProgressCtrl: a progress bar control with up to four text lines, driven through ProgressExForCtrl.
#pragma once

#include <windows.h>

#include <cstdarg>

#include "sys/Api.h"
#include "sys/ProgressEx.h"
#include "ui/CSCtrl.h"

class CSDlg;
class CSProgressCtrl;

// The ProgressEx of one CSProgressCtrl: the bar messages go to the control.
class GLMBX_API ProgressExForCtrl final : public ProgressEx {
public:
    explicit ProgressExForCtrl(CSProgressCtrl* ctrl) : control(ctrl) {}

    using ProgressEx::SetText;
    void SetText(int line, const wchar_t* fmt, va_list args) override;
    // PBM_STEPIT, PBM_SETPOS; PBM_SETRANGE32 then a step of 1.
    void DoStepIt() override;
    void DoSetPos(int pos) override;
    void DoSetRange(int min, int max) override;
    void ProcessAllMessages() override;

private:
    CSProgressCtrl* control;
};

// The bar of a dialog and the four static controls that show its lines (0 to 3). Disabling or
// enabling the bar does the same to the lines.
class GLMBX_API CSProgressCtrl : public CSCtrl {
public:
    enum { LineCount = 4, TextChars = 1024 };

    CSProgressCtrl();
    ~CSProgressCtrl() override;

    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Binds to control id of the dialog, forgets the lines, Setup(min, max, pos).
    void Init(CSDlg* dlg, unsigned id, int min, int max, int pos);
    // The four line controls (0: none); their texts are emptied.
    void SetupLines(UINT id1, UINT id2, UINT id3, UINT id4);
    // Line 0 to 3; other lines and lines without a control are ignored.
    void SetText(int line, const wchar_t* text);
    void SetTextFmt(int line, const wchar_t* fmt, ...);
    void SetTextV(int line, const wchar_t* fmt, va_list args);

    void Setup(long long min, long long max, long long pos) { progress.Setup(min, max, pos); }
    void SetRange64(long long min, long long max) { progress.SetRange64(min, max); }
    void SetPos64(long long pos) { progress.SetPos64(pos); }
    bool StepIt() { return progress.StepIt(); }
    void Pause(int on) { progress.Pause(on); }
    int IsCanceled() const { return progress.IsCanceled(); }
    void Cancel(int on) { progress.Cancel(on); }
    ProgressEx* GetProgressEx() { return &progress; }

private:
    ProgressExForCtrl progress;
    UINT lines[LineCount];
};
