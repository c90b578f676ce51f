// Text helpers of the stand-in shell: UTF-8 conversion, input files, fields, number formats.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// Invalid UTF-8 becomes U+FFFD; nothing fails.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// A line of an input file that is neither blank nor a '#' comment.
struct ContentLine {
    int number; // 1-based, for messages
    std::wstring text;
};

// Reads a UTF-8 file (BOM optional, LF or CRLF) into its content lines.
// Returns false with a reason in error when the file cannot be read; lines is then unchanged.
bool ReadContentLines(const std::wstring& path, std::vector<ContentLine>& lines, std::wstring& error);

std::vector<std::wstring> SplitTabs(std::wstring_view line);

// The whole field must be a decimal int (optional sign); value is unchanged otherwise.
bool ParseInt(std::wstring_view field, int& value);
// Exactly six hex digits RRGGBB; value is unchanged otherwise.
bool ParseColour(std::wstring_view field, COLORREF& value);

// Zero-padded upper-case hex of a pointer-sized value, without a prefix.
std::wstring HexValue(std::uintptr_t value);
std::wstring HandleText(HWND window);
// "l,t,r,b"
std::wstring RectText(const RECT& rect);

// Folder holding this program's executable, without a trailing backslash.
std::wstring ExecutableFolder();

} // namespace standin
