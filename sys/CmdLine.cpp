// Command-line parsing: the program path, the arguments, and switches written with "/" or "-".
#include "sys/CmdLine.h"

#include <cwchar>

#include "sys/StrUtil.h"
#include "sys/TextTrunc.h"

namespace {

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t';
}

bool IsSwitchChar(wchar_t ch)
{
    return ch == L'/' || ch == L'-';
}

// Skips blanks, then one opening double quote and the blanks after it.
const wchar_t* LeadingSkip(const wchar_t* p, bool& quoted)
{
    while (IsBlank(*p))
        ++p;
    quoted = *p == L'"';
    if (quoted) {
        ++p;
        while (IsBlank(*p))
            ++p;
    }
    return p;
}

bool EqualNoCase(const wchar_t* a, const wchar_t* b)
{
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

} // namespace

BOOL GetCmdLnPath(const wchar_t* cmdLine, wchar_t* buf, int bufChars)
{
    bool canWrite = buf && bufChars > 0;
    if (canWrite)
        buf[0] = 0;
    if (!cmdLine)
        return FALSE;
    bool quoted;
    const wchar_t* p = LeadingSkip(cmdLine, quoted);
    if (!*p)
        return FALSE;
    if (!canWrite)
        return TRUE;
    int length = 0;
    while (length < bufChars - 1 && p[length] && (quoted ? p[length] != L'"' : !IsBlank(p[length]))) {
        buf[length] = p[length];
        ++length;
    }
    buf[length] = 0;
    return TRUE;
}

const wchar_t* GetCmdLnArg(const wchar_t* cmdLine, wchar_t* buf, int bufChars)
{
    if (buf && bufChars > 0)
        buf[0] = 0;
    if (!cmdLine)
        return nullptr;
    bool quoted;
    const wchar_t* p = LeadingSkip(cmdLine, quoted);
    if (*p != L'/') {
        if (quoted) {
            while (*p && *p != L'"')
                ++p;
        } else {
            while (*p && !IsBlank(*p))
                ++p;
        }
        p = LeadingSkip(p, quoted);
    }
    if (!*p)
        return nullptr;
    textbuf::Copy(buf, bufChars, p);
    return p;
}

BOOL IsCmdLineOption(const wchar_t* arg, const wchar_t* option)
{
    if (!arg || !*arg || !option)
        return FALSE;
    if (IsSwitchChar(arg[0]) && EqualNoCase(arg + 1, option))
        return TRUE;
    return EqualNoCase(arg, option);
}

BOOL IsCmdLineSwitchPrefix(const wchar_t* arg, const wchar_t* prefix)
{
    if (!arg || !prefix || !IsSwitchChar(arg[0]))
        return FALSE;
    const wchar_t* name = arg + 1;
    if (StrStartsWith(name, prefix, TRUE))
        return TRUE;
    // A prefix written with its own switch character matches either switch character.
    return IsSwitchChar(prefix[0]) && StrStartsWith(name, prefix + 1, TRUE);
}

BOOL GetCmdLineSwitchData(const wchar_t* arg, wchar_t* buf, int bufChars)
{
    const wchar_t* colon = arg ? wcschr(arg, L':') : nullptr;
    textbuf::Copy(buf, bufChars, colon ? colon + 1 : L"");
    return colon != nullptr;
}

void ParseCmdLn(const wchar_t* cmdLine, wchar_t* path, wchar_t* args, int pathChars, int argsChars)
{
    textbuf::Copy(path, pathChars, L"");
    textbuf::Copy(args, argsChars, L"");
    if (!cmdLine)
        return;
    const wchar_t* p = cmdLine;
    const wchar_t* start = p;
    if (*p == L'"') {
        start = ++p;
        while (*p && *p != L'"')
            ++p;
        textbuf::CopyCount(path, pathChars, start, static_cast<int>(p - start));
        while (*p == L'"' || *p == L' ')
            ++p;
    } else {
        while (*p && *p != L' ')
            ++p;
        textbuf::CopyCount(path, pathChars, start, static_cast<int>(p - start));
        while (*p == L' ')
            ++p;
    }
    textbuf::Copy(args, argsChars, p);
}

wchar_t* RemoveWhiteSpacesAndQuotes(wchar_t* dst, const wchar_t* src, int dstChars)
{
    if (!dst)
        return dst;
    const wchar_t* text = src ? src : dst;
    bool quoted;
    const wchar_t* start = LeadingSkip(text, quoted);
    const wchar_t* end = start + wcslen(start);
    while (end > start && IsBlank(end[-1]))
        --end;
    if (end > start && end[-1] == L'"') {
        --end;
        while (end > start && IsBlank(end[-1]))
            --end;
    }
    int length = static_cast<int>(end - start);
    if (src)
        textbuf::CopyCount(dst, dstChars, start, length);
    else {
        wmemmove(dst, start, length);
        dst[length] = 0;
    }
    return dst;
}

BOOL AddQuotesIfSpace(wchar_t* s, int sChars)
{
    if (!s || sChars < 1)
        return FALSE;
    size_t length = wcsnlen(s, static_cast<size_t>(sChars));
    if (length == static_cast<size_t>(sChars))
        return FALSE;  // not terminated inside the buffer: nothing safe to do
    if (!wmemchr(s, L' ', length))
        return TRUE;
    if (length >= 2 && s[0] == L'"' && s[length - 1] == L'"')
        return TRUE;
    if (length + 3 > static_cast<size_t>(sChars))
        return FALSE;
    wmemmove(s + 1, s, length);
    s[0] = L'"';
    s[length + 1] = L'"';
    s[length + 2] = 0;
    return TRUE;
}
