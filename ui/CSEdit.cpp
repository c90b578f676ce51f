// CSEdit: the read-only filter and the edit messages.
#include "ui/CSEdit.h"

#include "sys/StrUtil.h"

namespace {

// Keys and characters that would change the text: letters, digits, punctuation, and
// Delete, space, Clear, Backspace and Enter.
bool ChangesText(UINT msg, WPARAM wParam)
{
    UINT code = static_cast<UINT>(wParam);
    if (code == VK_DELETE || code == VK_SPACE || code == VK_CLEAR || code == VK_BACK || code == VK_RETURN)
        return true;
    if (msg == WM_CHAR)
        return code <= 0xFFFF && (IsAlphaNumChar(static_cast<wchar_t>(code)) || IsMiscChar(static_cast<wchar_t>(code)));
    // A letter with Ctrl is a command (Ctrl+A selects all), never text: the text comes as
    // WM_CHAR. Key codes are not characters: VK_LEFT is '%' and VK_HOME '$'.
    bool letterOrDigit = (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z');
    if (letterOrDigit && GetKeyState(VK_CONTROL) < 0)
        return false;
    return letterOrDigit || (code >= VK_NUMPAD0 && code <= VK_NUMPAD9) || IsMiscVK(code);
}

} // namespace

CSEdit::CSEdit() : readOnly(FALSE), blockNextSelAll(FALSE) {}

CSEdit::~CSEdit() = default;

LRESULT CSEdit::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
        if (readOnly)
            return 0;
        break;
    case EM_SETSEL: {
        bool selectAll = wParam == 0 && lParam == -1;
        bool block = selectAll && blockNextSelAll;
        blockNextSelAll = FALSE;
        if (block)
            return 0;
        break;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        if (readOnly && ChangesText(msg, wParam))
            return 0;
        break;
    default:
        break;
    }
    return CSCtrl::OnWndMessage(msg, wParam, lParam);
}

void CSEdit::Clear()
{
    SetText(L"");
}

void CSEdit::GetSel(int& start, int& end)
{
    DWORD first = 0;
    DWORD last = 0;
    SendMsg(EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
    start = static_cast<int>(first);
    end = static_cast<int>(last);
}

void CSEdit::SetSel(int start, int end)
{
    SendMsg(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}

void CSEdit::ReplaceSel(const wchar_t* text, BOOL canUndo)
{
    SendMsg(EM_REPLACESEL, static_cast<WPARAM>(canUndo), reinterpret_cast<LPARAM>(text ? text : L""));
}

LRESULT CSEdit::PosFromChar(int index)
{
    return SendMsg(EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
}

void CSEdit::SetMaxTextLimit(UINT chars)
{
    SendMsg(EM_SETLIMITTEXT, chars, 0);
}

BOOL CSEdit::IsModified()
{
    return SendMsg(EM_GETMODIFY, 0, 0) != 0;
}

void CSEdit::SetModified(BOOL modified)
{
    SendMsg(EM_SETMODIFY, static_cast<WPARAM>(modified), 0);
}
