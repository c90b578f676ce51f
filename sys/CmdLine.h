// Command-line parsing: the program path, the arguments, and switches written with "/" or "-".
#pragma once

#include <windows.h>

#include "sys/Api.h"

// The program path of cmdLine (quoted or not) into buf, cut to bufChars. False when the line
// holds nothing but blanks.
GLMBX_API BOOL GetCmdLnPath(const wchar_t* cmdLine, wchar_t* buf, int bufChars = MAX_PATH);
// A pointer into cmdLine at the first argument after the program path (a line that begins
// with "/" has no program path), or null when there is none. When buf is given it receives
// that remainder, cut to bufChars, or an empty string when there is none.
GLMBX_API const wchar_t* GetCmdLnArg(const wchar_t* cmdLine, wchar_t* buf = nullptr, int bufChars = 0);
// Whether arg is option, given bare or after "/" or "-"; case is ignored.
GLMBX_API BOOL IsCmdLineOption(const wchar_t* arg, const wchar_t* option);
// Whether arg is a switch ("/" or "-") whose name begins with prefix; a prefix that begins
// with "/" or "-" itself also matches without it (CHECK4UPDATES and /CHECK4UPDATES both match
// /check4updates:x). Case is ignored.
GLMBX_API BOOL IsCmdLineSwitchPrefix(const wchar_t* arg, const wchar_t* prefix);
// Everything after the first colon of arg into buf; false (and an empty buf) without a colon.
GLMBX_API BOOL GetCmdLineSwitchData(const wchar_t* arg, wchar_t* buf, int bufChars = MAX_PATH);
// Splits cmdLine into the program path and the rest (args may be null).
GLMBX_API void ParseCmdLn(const wchar_t* cmdLine, wchar_t* path, wchar_t* args, int pathChars = MAX_PATH,
                          int argsChars = MAX_PATH);
// dst = src without leading blanks, one leading double quote and the blanks after it, trailing
// blanks, one trailing double quote and the blanks before it. A null src works on dst in place
// (dstChars is then not needed: the text only gets shorter).
GLMBX_API wchar_t* RemoveWhiteSpacesAndQuotes(wchar_t* dst, const wchar_t* src, int dstChars = MAX_PATH);
// Encloses s in double quotes when it holds a space and is not quoted already. False (and s
// unchanged) when sChars leaves no room for the two quotes or s is not terminated inside it.
GLMBX_API BOOL AddQuotesIfSpace(wchar_t* s, int sChars = MAX_PATH);
