// The Tab order of a dialog with child dialogs inside it, as one cycle: used by the page manager and its pages.
#pragma once

#include <windows.h>

namespace dlgtab {

// A control Tab stops at: shown, enabled, with WS_TABSTOP.
inline bool IsTabStop(HWND h)
{
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    return (style & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE);
}

// A shown, enabled child dialog whose own tab stops take its place in the cycle.
inline bool IsControlParent(HWND h)
{
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    return (style & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE &&
           (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
}

// Calls visit(control) for every tab stop of parent in z-order, a control parent's own tab
// stops in its place, until visit returns false; false when it did.
template <typename Visit>
bool Walk(HWND parent, Visit& visit, int depth = 0)
{
    if (depth > 8)  // a window tree is not that deep; a loop in it would be
        return true;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsControlParent(child)) {
            if (!Walk(child, visit, depth + 1))
                return false;
        } else if (IsTabStop(child) && !visit(child)) {
            return false;
        }
    }
    return true;
}

// The first (or last) tab stop of the cycle; null when there is none.
inline HWND First(HWND dlg, bool last)
{
    HWND found = nullptr;
    auto visit = [&](HWND h) {
        found = h;
        return last;
    };
    Walk(dlg, visit);
    return found;
}

// Of a group of radio buttons, the checked one stands for the group.
inline HWND CheckedOfGroup(HWND button)
{
    LONG_PTR type = GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK;
    if (type != BS_RADIOBUTTON && type != BS_AUTORADIOBUTTON)
        return button;
    HWND parent = GetParent(button);
    HWND h = button;
    for (int i = 0; i < 64; ++i) {
        if (SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED)
            return h;
        h = GetNextDlgGroupItem(parent, h, FALSE);
        if (!h || h == button)
            break;
    }
    return button;
}

// The tab stop after (or before) the one that holds focus, wrapping around; null when focus
// is not in the cycle.
inline HWND Next(HWND dlg, HWND focus, bool backwards)
{
    HWND first = nullptr, previous = nullptr, last = nullptr, result = nullptr;
    bool seen = false;
    auto visit = [&](HWND h) {
        if (!first)
            first = h;
        if (seen && !backwards) {
            result = h;
            return false;
        }
        if (h == focus || IsChild(h, focus)) {
            seen = true;
            if (backwards) {
                result = previous;
                if (result)
                    return false;
            }
        }
        previous = h;
        last = h;
        return true;
    };
    Walk(dlg, visit);
    if (!seen)
        return nullptr;
    if (!result)
        result = backwards ? last : first;
    return result ? CheckedOfGroup(result) : nullptr;
}

} // namespace dlgtab
