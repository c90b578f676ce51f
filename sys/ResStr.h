// String-table resources and the product's message boxes.
#pragma once

#include <windows.h>

#include <cstdarg>

#include "sys/Api.h"

// Resource numbers are signed: a negative number names a string of this library (its absolute
// value), a positive one a string of the application's module. A module handle given
// explicitly overrides that choice.

// An owned copy of one string-table resource (at most 1023 characters).
class GLMBX_API ResStr {
public:
    enum { MaxChars = 1024 };

    ResStr() : text(nullptr) {}
    explicit ResStr(int id, HINSTANCE module = nullptr);
    ~ResStr();
    ResStr(const ResStr&) = delete;
    ResStr& operator=(const ResStr&) = delete;

    // Replaces the held text; false (and empty) when the string does not exist or is empty.
    BOOL Load(int id, HINSTANCE module = nullptr);
    BOOL IsEmpty() const { return text == nullptr; }
    void Empty();
    // The text, or an empty string when nothing is held; valid until the next Load or Empty.
    operator const wchar_t*() const { return text ? text : L""; }

protected:
    // Takes a heap copy of s (none for an empty s).
    void Keep(const wchar_t* s);

private:
    wchar_t* text;
};

// A string-table resource used as a format: holds the formatted text (1023 characters at most).
class GLMBX_API ResStrFmt : public ResStr {
public:
    ResStrFmt() = default;
    ResStrFmt(int id, ...);
    // For callers that pass their own arguments on.
    void FormatV(HINSTANCE module, int id, va_list args);
};

// Formats the text (1023 characters at most) and shows a message box with style flags plus
// MB_SETFOREGROUND, captioned with the product's name. hwnd null: owned by the active window;
// hwnd (HWND)1: no owner; an owner is replaced by its last active pop-up. Returns the box's result.
GLMBX_API int Msg(HWND hwnd, UINT flags, const wchar_t* fmt, ...);
GLMBX_API int Msg(HWND hwnd, UINT flags, int id, ...);
GLMBX_API int MsgV(HWND hwnd, UINT flags, const wchar_t* fmt, va_list args);

// The system's text for code (0: this thread's last error) in the user's language, without
// its trailing line break, in a static buffer of 1024 characters; empty when there is none.
GLMBX_API const wchar_t* GetLastErrorText(DWORD code = 0);
// Shows the text of this thread's last error with the exclamation icon.
GLMBX_API int MsgLastError(HWND hwnd);

// Appends string id formatted with the arguments to dst, cut to dstChars; id 0 empties dst.
// Returns the length of dst.
GLMBX_API int StrAppendTextFmt(wchar_t* dst, int dstChars, int id, ...);
