// CSProgressCtrl and ProgressExForCtrl: the bar messages and the text lines.
#include "ui/CSProgressCtrl.h"

#include <commctrl.h>

#include <cwchar>

#include "sys/PrevInstance.h"
#include "ui/CSDlg.h"

void ProgressExForCtrl::SetText(int line, const wchar_t* fmt, va_list args)
{
    control->SetTextV(line, fmt, args);
}

void ProgressExForCtrl::DoStepIt()
{
    control->SendMsg(PBM_STEPIT, 0, 0);
}

void ProgressExForCtrl::DoSetPos(int pos)
{
    control->SendMsg(PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void ProgressExForCtrl::DoSetRange(int min, int max)
{
    control->SendMsg(PBM_SETRANGE32, static_cast<WPARAM>(min), static_cast<LPARAM>(max));
    control->SendMsg(PBM_SETSTEP, 1, 0);
}

void ProgressExForCtrl::ProcessAllMessages()
{
    ::ProcessAllMessages(nullptr);
}

CSProgressCtrl::CSProgressCtrl() : progress(this), lines{} {}

CSProgressCtrl::~CSProgressCtrl() = default;

LRESULT CSProgressCtrl::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ENABLE && dialog) {
        for (UINT id : lines) {
            if (id)
                dialog->EnableDlgItem(static_cast<int>(id), wParam ? TRUE : FALSE);
        }
    }
    return CSCtrl::OnWndMessage(msg, wParam, lParam);
}

void CSProgressCtrl::Init(CSDlg* dlg, unsigned id, int min, int max, int pos)
{
    CSCtrl::Init(dlg, id);
    for (UINT& line : lines)
        line = 0;
    Setup(min, max, pos);
}

void CSProgressCtrl::SetupLines(UINT id1, UINT id2, UINT id3, UINT id4)
{
    lines[0] = id1;
    lines[1] = id2;
    lines[2] = id3;
    lines[3] = id4;
    for (int line = 0; line < LineCount; ++line)
        SetText(line, L"");
}

void CSProgressCtrl::SetText(int line, const wchar_t* text)
{
    if (line < 0 || line >= LineCount || !lines[line] || !dialog)
        return;
    dialog->SetDlgItemTextW(static_cast<int>(lines[line]), text ? text : L"");
}

void CSProgressCtrl::SetTextFmt(int line, const wchar_t* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    SetTextV(line, fmt, args);
    va_end(args);
}

void CSProgressCtrl::SetTextV(int line, const wchar_t* fmt, va_list args)
{
    wchar_t text[TextChars];
    text[0] = 0;
    if (fmt) {
        _vsnwprintf(text, TextChars - 1, fmt, args);
        text[TextChars - 1] = 0;
    }
    SetText(line, text);
}
