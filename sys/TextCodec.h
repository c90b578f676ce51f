// Conversions between the library's single-byte code page and wide text, for files and streams.
#pragma once

#include <windows.h>

// The code page single-byte text of the library is read and written in.
UINT LibraryCodePage();
// A new zero-terminated wide copy of n bytes (delete[] it); null when memory is short.
wchar_t* NarrowToWide(UINT codePage, const char* bytes, int n);
