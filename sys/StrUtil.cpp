// String helpers: character classes, case, cursor copies, trimming, tokens and code-page conversions.
#include "sys/StrUtil.h"

#include <cstring>
#include <cwchar>
#include <new>

#include "sys/TextTrunc.h"

extern "C" {
int iMBCP = CP_ACP;
}

namespace {

bool IsSpaceTabCrLf(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
}

bool IsDelim(wchar_t ch, const wchar_t* delims)
{
    return ch && delims && wcschr(delims, ch);
}

int MultiToWide(UINT codePage, const char* src, wchar_t* dst, int dstChars)
{
    if (!dst || dstChars < 1)
        return 0;
    if (!src) {
        dst[0] = 0;
        return 1;
    }
    int written = MultiByteToWideChar(codePage, 0, src, -1, dst, dstChars);
    // Wine swallows the terminator into an incomplete UTF-8 sequence at the end of the text and
    // still reports success: only a terminated result is taken as it is.
    if (written > 0 && written <= dstChars && dst[written - 1] == 0)
        return written;
    dst[0] = 0;
    // Too long: convert the whole text aside and keep what fits, never half a surrogate pair.
    int needed = MultiByteToWideChar(codePage, 0, src, -1, nullptr, 0);
    if (needed <= 0)
        return 0;
    wchar_t* whole = new (std::nothrow) wchar_t[needed];
    if (!whole)
        return 0;
    int length = 0;
    int converted = MultiByteToWideChar(codePage, 0, src, -1, whole, needed);
    if (converted > 0) {
        length = static_cast<int>(wcsnlen(whole, static_cast<size_t>(converted)));
        if (length > dstChars - 1)
            length = dstChars - 1;
        if (length > 0 && IS_HIGH_SURROGATE(whole[length - 1]))
            --length;
        wmemcpy(dst, whole, length);
    }
    dst[length] = 0;
    delete[] whole;
    return length + 1;
}

int WideToMulti(UINT codePage, const wchar_t* src, char* dst, int dstBytes)
{
    if (!dst || dstBytes < 1)
        return 0;
    if (!src) {
        dst[0] = 0;
        return 1;
    }
    int written = WideCharToMultiByte(codePage, 0, src, -1, dst, dstBytes, nullptr, nullptr);
    if (written > 0 && written <= dstBytes && dst[written - 1] == 0)
        return written;
    dst[0] = 0;
    if (WideCharToMultiByte(codePage, 0, src, -1, nullptr, 0, nullptr, nullptr) <= 0)
        return 0;  // the code page cannot convert this text at all
    // The longest prefix of whole characters whose bytes fit before the terminator.
    int low = 0;
    int high = static_cast<int>(wcslen(src));
    while (low < high) {
        int mid = low + (high - low + 1) / 2;
        int needed = WideCharToMultiByte(codePage, 0, src, mid, nullptr, 0, nullptr, nullptr);
        if (needed > 0 && needed <= dstBytes - 1)
            low = mid;
        else
            high = mid - 1;
    }
    int count = low;
    if (count > 0 && IS_HIGH_SURROGATE(src[count - 1]))
        --count;
    int bytes = count ? WideCharToMultiByte(codePage, 0, src, count, dst, dstBytes - 1, nullptr, nullptr) : 0;
    if (bytes < 0)
        bytes = 0;
    dst[bytes] = 0;
    return bytes + 1;
}

} // namespace

BOOL IsWhiteChar(wchar_t ch)
{
    return IsSpaceTabCrLf(ch);
}

BOOL IsAlphaChar(wchar_t ch)
{
    return ch && IsCharAlphaW(ch);
}

BOOL IsNumChar(wchar_t ch)
{
    return ch >= L'0' && ch <= L'9';
}

BOOL IsAlphaNumChar(wchar_t ch)
{
    return IsNumChar(ch) || IsAlphaChar(ch);
}

BOOL IsPrintableChar(wchar_t ch)
{
    return ch >= 32 && ch != 127;
}

BOOL IsMiscChar(wchar_t ch)
{
    return IsPrintableChar(ch) && !IsAlphaNumChar(ch) && !IsWhiteChar(ch);
}

BOOL IsMiscVK(UINT vk)
{
    return (vk >= VK_MULTIPLY && vk <= VK_DIVIDE) || (vk >= VK_OEM_1 && vk <= VK_OEM_3) ||
           (vk >= VK_OEM_4 && vk <= VK_OEM_8) || vk == VK_OEM_102;
}

wchar_t CharToLower(wchar_t ch)
{
    // A pointer whose high word is zero is taken as one character.
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(ch)))));
}

wchar_t CharToUpper(wchar_t ch)
{
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(ch)))));
}

wchar_t* StrToLower(wchar_t* s)
{
    if (s && *s)
        CharLowerBuffW(s, static_cast<DWORD>(wcslen(s)));
    return s;
}

wchar_t* StrToUpper(wchar_t* s)
{
    if (s && *s)
        CharUpperBuffW(s, static_cast<DWORD>(wcslen(s)));
    return s;
}

wchar_t* StrCapitalizeAll(wchar_t* s)
{
    if (!s)
        return s;
    bool wordStart = true;
    for (wchar_t* p = s; *p; ++p) {
        if (IsSpaceTabCrLf(*p)) {
            wordStart = true;
            continue;
        }
        if (wordStart && *p >= L'a' && *p <= L'z')
            *p = static_cast<wchar_t>(*p - L'a' + L'A');
        wordStart = false;
    }
    return s;
}

void CharCopy(wchar_t*& dst, const wchar_t*& src)
{
    *dst++ = *src++;
}

void CharAdd(wchar_t*& dst, wchar_t ch)
{
    *dst++ = ch;
}

void StrCopy(wchar_t*& dst, const wchar_t*& src)
{
    while ((*dst++ = *src++) != 0) {
    }
}

wchar_t* IncPsz(wchar_t*& p)
{
    return ++p;
}

wchar_t* PszInc(wchar_t*& p)
{
    return p++;
}

wchar_t* DecPsz(wchar_t*& p)
{
    return --p;
}

wchar_t CharAt(const wchar_t* p, int index)
{
    return p ? p[index] : 0;
}

void StrCopy(wchar_t*& dst, const wchar_t*& src, int& count)
{
    wchar_t ch;
    do {
        ch = *src++;
        if (dst)
            *dst++ = ch;
        ++count;
    } while (ch);
}

void CopyStr(wchar_t*& dst, const wchar_t* src, int& count)
{
    if (!src)
        return;
    for (; *src; ++src) {
        if (dst)
            *dst++ = *src;
        ++count;
    }
}

void CharCopy(wchar_t*& dst, const wchar_t*& src, int& count)
{
    if (dst)
        *dst++ = *src;
    ++src;
    ++count;
}

void CharAdd(wchar_t*& dst, wchar_t ch, int& count)
{
    if (dst)
        *dst++ = ch;
    ++count;
}

BOOL StrAllocCopy(wchar_t*& p, int& len, const wchar_t* src, int wipe)
{
    if (p) {
        if (wipe)
            SecureZeroMemory(p, static_cast<size_t>(len) * sizeof(wchar_t));
        delete[] p;
        p = nullptr;
    }
    len = 0;
    if (!src)
        return TRUE;
    int length = static_cast<int>(wcslen(src));
    p = new (std::nothrow) wchar_t[length + 1];
    if (!p)
        return FALSE;
    wmemcpy(p, src, length + 1);
    len = length;
    return TRUE;
}

BOOL StrRealloc(wchar_t*& p, const wchar_t* src)
{
    delete[] p;
    p = nullptr;
    if (!src || !*src)
        return TRUE;
    size_t length = wcslen(src) + 1;
    p = new (std::nothrow) wchar_t[length];
    if (!p)
        return FALSE;
    wmemcpy(p, src, length);
    return TRUE;
}

wchar_t* StrNewCopy(const wchar_t* s, size_t length)
{
    wchar_t* copy = new (std::nothrow) wchar_t[length + 1];
    if (copy) {
        wmemcpy(copy, s, length);
        copy[length] = 0;
    }
    return copy;
}

wchar_t* TrimStr(wchar_t* s)
{
    if (!s)
        return s;
    wchar_t* start = s;
    while (IsSpaceTabCrLf(*start))
        ++start;
    size_t length = wcslen(start);
    while (length && IsSpaceTabCrLf(start[length - 1]))
        --length;
    wmemmove(s, start, length);
    s[length] = 0;
    return s;
}

void StrErase(wchar_t* s, int n)
{
    if (s && n > 0)
        SecureZeroMemory(s, static_cast<size_t>(n) * sizeof(wchar_t));
}

void MakeStrPrintable(wchar_t* s, int n)
{
    if (!s)
        return;
    for (int i = 0; i < n; ++i) {
        if (s[i] < 32 || s[i] == 127)
            s[i] = L'.';
    }
}

int StrReplace(wchar_t* dst, int dstChars, const wchar_t* src, const wchar_t* find, const wchar_t* repl)
{
    if (!dst || dstChars < 1)
        return 0;
    if (!src)
        src = L"";
    if (!repl)
        repl = L"";
    size_t findLength = find ? wcslen(find) : 0;
    bool replHasBreaks = wcschr(repl, L'\n') != nullptr;
    int used = 0;
    int replacements = 0;
    auto put = [&](wchar_t ch) {
        if (used < dstChars - 1)
            dst[used++] = ch;
    };
    const wchar_t* lineStart = src;
    const wchar_t* p = src;
    while (*p && used < dstChars - 1) {
        if (findLength && wcsncmp(p, find, findLength) == 0) {
            int indent = 0;
            if (replHasBreaks) {
                const wchar_t* q = lineStart;
                while (q < p && *q == L' ')
                    ++q;
                if (q == p)
                    indent = static_cast<int>(p - lineStart);
            }
            for (const wchar_t* r = repl; *r; ++r) {
                put(*r);
                if (*r == L'\n') {
                    for (int i = 0; i < indent; ++i)
                        put(L' ');
                }
            }
            ++replacements;
            p += findLength;
            continue;
        }
        if (*p == L'\n')
            lineStart = p + 1;
        put(*p++);
    }
    dst[used] = 0;
    return replacements;
}

wchar_t* StrTokEx(wchar_t* s, const wchar_t* delims, wchar_t*& next)
{
    wchar_t* p = s ? s : next;
    if (!p)
        return nullptr;
    while (IsDelim(*p, delims))
        ++p;
    if (!*p) {
        next = p;
        return nullptr;
    }
    wchar_t* token = p;
    while (*p && !IsDelim(*p, delims))
        ++p;
    if (*p)
        *p++ = 0;
    next = p;
    return token;
}

const wchar_t* GetToken(const wchar_t* s, const wchar_t* delims, int index)
{
    static wchar_t copy[256];
    if (!s || index < 0)
        return nullptr;
    textbuf::Copy(copy, 256, s);
    wchar_t* next = nullptr;
    for (wchar_t* token = StrTokEx(copy, delims, next); token; token = StrTokEx(nullptr, delims, next)) {
        if (index-- == 0)
            return token;
    }
    return nullptr;
}

int GetTokenCount(const wchar_t* s, const wchar_t* delims)
{
    if (!s)
        return 0;
    int count = 0;
    const wchar_t* p = s;
    while (*p) {
        while (IsDelim(*p, delims))
            ++p;
        if (!*p)
            break;
        ++count;
        while (*p && !IsDelim(*p, delims))
            ++p;
    }
    return count;
}

int StrCharCount(const wchar_t* s, wchar_t ch)
{
    int count = 0;
    if (s && ch) {
        for (; *s; ++s)
            count += *s == ch;
    }
    return count;
}

int FindChar(const wchar_t* s, wchar_t ch)
{
    if (!s || !ch)
        return -1;
    const wchar_t* found = wcschr(s, ch);
    return found ? static_cast<int>(found - s) : -1;
}

BOOL StrStartsWith(const wchar_t* s, const wchar_t* prefix, int ignoreCase)
{
    if (!prefix)
        return TRUE;
    if (!*prefix)
        return s && *s;
    if (!s)
        return FALSE;
    for (; *prefix; ++prefix, ++s) {
        if (!*s)
            return FALSE;
        if (*s != *prefix && (!ignoreCase || CharToUpper(*s) != CharToUpper(*prefix)))
            return FALSE;
    }
    return TRUE;
}

int StrFindInList(const wchar_t* list, const wchar_t* s, int ignoreCase)
{
    if (!list || !s)
        return -1;
    for (int index = 0; *list; ++index) {
        size_t length = wcslen(list);
        if (ignoreCase ? CompareStringOrdinal(list, -1, s, -1, TRUE) == CSTR_EQUAL : wcscmp(list, s) == 0)
            return index;
        list += length + 1;
    }
    return -1;
}

BOOL IsNumStr(const wchar_t* s)
{
    if (!s || !*s)
        return FALSE;
    for (; *s; ++s) {
        if (!IsNumChar(*s))
            return FALSE;
    }
    return TRUE;
}

BOOL IsMemSetTo(const void* p, unsigned char b, unsigned int n)
{
    if (!p || !n)
        return FALSE;
    const unsigned char* bytes = static_cast<const unsigned char*>(p);
    for (unsigned int i = 0; i < n; ++i) {
        if (bytes[i] != b)
            return FALSE;
    }
    return TRUE;
}

int GetLineCount(const wchar_t* s, int n)
{
    if (!s || !*s)
        return 0;
    int lines = 1;
    for (int i = 0; i < n && s[i]; ++i)
        lines += s[i] == L'\n';
    return lines;
}

int mb2wc(const char* src, wchar_t* dst, int dstChars)
{
    return MultiToWide(static_cast<UINT>(iMBCP), src, dst, dstChars);
}

int wc2mb(const wchar_t* src, char* dst, int dstBytes)
{
    return WideToMulti(static_cast<UINT>(iMBCP), src, dst, dstBytes);
}

int mb2wcANSI(const char* src, wchar_t* dst, int dstChars)
{
    return MultiToWide(CP_ACP, src, dst, dstChars);
}

int wc2mbANSI(const wchar_t* src, char* dst, int dstBytes)
{
    return WideToMulti(CP_ACP, src, dst, dstBytes);
}

int mb2wcOEM(const char* src, wchar_t* dst, int dstChars)
{
    return MultiToWide(CP_OEMCP, src, dst, dstChars);
}

int wc2mbOEM(const wchar_t* src, char* dst, int dstBytes)
{
    return WideToMulti(CP_OEMCP, src, dst, dstBytes);
}

int utf82wc(const char* src, wchar_t* dst, int dstChars)
{
    return MultiToWide(CP_UTF8, src, dst, dstChars);
}

int wc2utf8(const wchar_t* src, char* dst, int dstBytes)
{
    return WideToMulti(CP_UTF8, src, dst, dstBytes);
}
