// Bounded copies and formatting used inside the library: every result fits and is terminated.
#pragma once

#include <cstdarg>
#include <cwchar>

namespace textbuf {

// Copies at most dstChars - 1 characters of src (null counts as empty) and terminates.
// Returns the number of characters now in dst; nothing is written when dstChars < 1.
// src may overlap dst.
inline int Copy(wchar_t* dst, int dstChars, const wchar_t* src)
{
    if (!dst || dstChars < 1)
        return 0;
    if (!src)
        src = L"";
    int length = 0;
    while (length < dstChars - 1 && src[length])
        ++length;
    wmemmove(dst, src, length);
    dst[length] = 0;
    return length;
}

// Copies at most count characters of src, cut to fit, and terminates.
inline int CopyCount(wchar_t* dst, int dstChars, const wchar_t* src, int count)
{
    if (!dst || dstChars < 1)
        return 0;
    int length = 0;
    if (src)
        while (length < count && length < dstChars - 1 && src[length])
            ++length;
    wmemmove(dst, src ? src : L"", length);
    dst[length] = 0;
    return length;
}

// Appends src to the terminated text in dst, cut to fit. Returns the new length.
inline int Append(wchar_t* dst, int dstChars, const wchar_t* src)
{
    if (!dst || dstChars < 1)
        return 0;
    int used = 0;
    while (used < dstChars && dst[used])
        ++used;
    if (used >= dstChars) {  // not terminated inside the buffer: cut it
        dst[dstChars - 1] = 0;
        return dstChars - 1;
    }
    return used + Copy(dst + used, dstChars - used, src);
}

// The runtime's formatting with the system's conventions (%s is a wide string), cut to fit.
// Returns the number of characters now in dst.
inline int FormatV(wchar_t* dst, int dstChars, const wchar_t* format, va_list args)
{
    if (!dst || dstChars < 1)
        return 0;
    dst[0] = 0;
    if (!format)
        return 0;
    _vsnwprintf(dst, static_cast<size_t>(dstChars - 1), format, args);
    dst[dstChars - 1] = 0;
    return static_cast<int>(wcslen(dst));
}

inline int Format(wchar_t* dst, int dstChars, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = FormatV(dst, dstChars, format, args);
    va_end(args);
    return length;
}

// Like Format, but reports false instead of a cut result (for names and paths, where a cut
// text would name something else).
inline bool FormatWhole(wchar_t* dst, int dstChars, const wchar_t* format, ...)
{
    if (!dst || dstChars < 1)
        return false;
    va_list args;
    va_start(args, format);
    int written = _vsnwprintf(dst, static_cast<size_t>(dstChars - 1), format, args);
    va_end(args);
    dst[dstChars - 1] = 0;
    if (written < 0 || written > dstChars - 1) {
        dst[0] = 0;
        return false;
    }
    return true;
}

} // namespace textbuf
