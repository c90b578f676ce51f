// Conversions between the library's single-byte code page and wide text.
#include "sys/TextCodec.h"

#include <new>

#include "sys/StrUtil.h"

UINT LibraryCodePage()
{
    return static_cast<UINT>(iMBCP);
}

wchar_t* NarrowToWide(UINT codePage, const char* bytes, int n)
{
    int units = n > 0 ? MultiByteToWideChar(codePage, 0, bytes, n, nullptr, 0) : 0;
    wchar_t* text = new (std::nothrow) wchar_t[static_cast<size_t>(units) + 1];
    if (!text)
        return nullptr;
    if (units)
        MultiByteToWideChar(codePage, 0, bytes, n, text, units);
    text[units] = 0;
    return text;
}
