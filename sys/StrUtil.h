// String helpers: character classes, case, cursor copies, trimming, tokens and code-page conversions.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// The code page of single-byte text at the library's edges (HTTP bodies, INI lines, text
// files without a byte-order mark): mb2wc and wc2mb use it. CP_ACP (0) until a host changes it.
GLMBX_EXTERN_C int iMBCP;

// Character classes. A white character is a space, tab, carriage return or line feed.
GLMBX_API BOOL IsWhiteChar(wchar_t ch);
GLMBX_API BOOL IsAlphaChar(wchar_t ch);  // a letter of any script
GLMBX_API BOOL IsNumChar(wchar_t ch);    // 0 to 9
GLMBX_API BOOL IsAlphaNumChar(wchar_t ch);
GLMBX_API BOOL IsPrintableChar(wchar_t ch);  // not below 32 and not 127
GLMBX_API BOOL IsMiscChar(wchar_t ch);       // printable, not a letter, digit or white character
// Keys that type punctuation: the OEM keys and the numeric pad's operators.
GLMBX_API BOOL IsMiscVK(UINT vk);

// Case through the system's tables.
GLMBX_API wchar_t CharToLower(wchar_t ch);
GLMBX_API wchar_t CharToUpper(wchar_t ch);
GLMBX_API wchar_t* StrToLower(wchar_t* s);
GLMBX_API wchar_t* StrToUpper(wchar_t* s);
// Upper-cases the first letter (A to Z, a to z) of every word; words are separated by
// spaces, tabs, carriage returns and line feeds.
GLMBX_API wchar_t* StrCapitalizeAll(wchar_t* s);

// Cursor primitives: each copies or adds one character and advances the cursors.
GLMBX_API void CharCopy(wchar_t*& dst, const wchar_t*& src);
GLMBX_API void CharAdd(wchar_t*& dst, wchar_t ch);
// Copies src with its terminator; both cursors end up after the terminator.
GLMBX_API void StrCopy(wchar_t*& dst, const wchar_t*& src);
GLMBX_API wchar_t* IncPsz(wchar_t*& p);  // advances p, returns the new p
GLMBX_API wchar_t* PszInc(wchar_t*& p);  // advances p, returns the old p
GLMBX_API wchar_t* DecPsz(wchar_t*& p);  // steps p back, returns the new p
GLMBX_API wchar_t CharAt(const wchar_t* p, int index);

// Measuring forms: every character copied or added counts; with a null dst nothing is
// written, so a text can be sized first and written second with the same calls.
// StrCopy copies the terminator too (and counts it); CopyStr copies the text without it and
// leaves dst where the terminator would go.
GLMBX_API void StrCopy(wchar_t*& dst, const wchar_t*& src, int& count);
GLMBX_API void CopyStr(wchar_t*& dst, const wchar_t* src, int& count);
GLMBX_API void CharCopy(wchar_t*& dst, const wchar_t*& src, int& count);
GLMBX_API void CharAdd(wchar_t*& dst, wchar_t ch, int& count);

// Heap copies made with new[] (free them with delete[], or pass a null source to StrRealloc).
// StrAllocCopy frees the old copy (zero-filled first when wipe is non-zero), then stores a
// copy of src and its length; a null src leaves p null and len 0. False when memory ran out.
GLMBX_API BOOL StrAllocCopy(wchar_t*& p, int& len, const wchar_t* src, int wipe);
// Frees the old copy; stores a copy of src, or null for a null or empty src.
GLMBX_API BOOL StrRealloc(wchar_t*& p, const wchar_t* src);
// A terminated copy of the first length characters of s; null when memory ran out.
GLMBX_API wchar_t* StrNewCopy(const wchar_t* s, size_t length);

// Removes leading and trailing spaces, tabs, carriage returns and line feeds in place.
GLMBX_API wchar_t* TrimStr(wchar_t* s);
// Zero-fills the first n characters (a wipe of secrets).
GLMBX_API void StrErase(wchar_t* s, int n);
// Each of the first n characters of the buffer (terminators included) that is below 32 or
// 127 becomes ".".
GLMBX_API void MakeStrPrintable(wchar_t* s, int n);

// Copies src into dst replacing every find by repl, cut to dstChars. When repl holds line
// breaks and the found text has only spaces before it on its line, every new line of repl is
// indented by as many spaces. Returns the number of replacements made.
GLMBX_API int StrReplace(wchar_t* dst, int dstChars, const wchar_t* src, const wchar_t* find,
                         const wchar_t* repl);

// Re-entrant tokeniser: pass the string first, then null with the same next. Delimiters
// before the token are skipped; the one after it is overwritten by a zero. Null at the end.
GLMBX_API wchar_t* StrTokEx(wchar_t* s, const wchar_t* delims, wchar_t*& next);
// The token with 0-based index of (the first 255 characters of) s, in a static buffer
// shared by all callers; null when there is none.
GLMBX_API const wchar_t* GetToken(const wchar_t* s, const wchar_t* delims, int index);
GLMBX_API int GetTokenCount(const wchar_t* s, const wchar_t* delims);

GLMBX_API int StrCharCount(const wchar_t* s, wchar_t ch);
// 0-based index of the first ch, -1 when there is none.
GLMBX_API int FindChar(const wchar_t* s, wchar_t ch);
// True for a null prefix; for an empty prefix, true when s is not empty; otherwise whether
// s begins with prefix.
GLMBX_API BOOL StrStartsWith(const wchar_t* s, const wchar_t* prefix, int ignoreCase);
// list: zero-terminated strings ending with an empty one. Index of the entry equal to s, or -1.
GLMBX_API int StrFindInList(const wchar_t* list, const wchar_t* s, int ignoreCase);
// Every character is a digit (false for an empty string).
GLMBX_API BOOL IsNumStr(const wchar_t* s);
// Every one of n bytes equals b; false for a null p or n 0.
GLMBX_API BOOL IsMemSetTo(const void* p, unsigned char b, unsigned int n);
// 0 for an empty string, else 1 plus the line feeds among the first n characters.
GLMBX_API int GetLineCount(const wchar_t* s, int n);

// Code-page conversions of a terminated string into a buffer of size characters (wide) or
// bytes (narrow). Text that does not fit is cut at a whole character. Return: characters or
// bytes written including the terminator; 0 when nothing could be converted.
GLMBX_API int mb2wc(const char* src, wchar_t* dst, int dstChars);
GLMBX_API int wc2mb(const wchar_t* src, char* dst, int dstBytes);
GLMBX_API int mb2wcANSI(const char* src, wchar_t* dst, int dstChars);
GLMBX_API int wc2mbANSI(const wchar_t* src, char* dst, int dstBytes);
GLMBX_API int mb2wcOEM(const char* src, wchar_t* dst, int dstChars);
GLMBX_API int wc2mbOEM(const wchar_t* src, char* dst, int dstBytes);
GLMBX_API int utf82wc(const char* src, wchar_t* dst, int dstChars);
GLMBX_API int wc2utf8(const wchar_t* src, char* dst, int dstBytes);
