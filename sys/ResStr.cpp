// String-table resources and the product's message boxes.
#include "sys/ResStr.h"

#include <cwchar>
#include <new>

#include "product/ProductInfo.h"
#include "sys/TextTrunc.h"

// The library's module handle, recorded when it is loaded.
extern "C" HINSTANCE hiDLL;

namespace {

// Signed resource numbers: negative ones belong to this library, positive ones to the
// current application.
HINSTANCE ResolveModule(int& id, HINSTANCE module)
{
    ProductInfo::ConvertResourceId(id, module);
    return module;
}

HWND MessageOwner(HWND hwnd)
{
    if (hwnd == reinterpret_cast<HWND>(1))
        return nullptr;
    if (!hwnd)
        hwnd = GetActiveWindow();
    if (hwnd && IsWindow(hwnd)) {
        HWND popup = GetLastActivePopup(hwnd);
        if (popup)
            hwnd = popup;
    }
    return hwnd;
}

} // namespace

ResStr::ResStr(int id, HINSTANCE module) : text(nullptr)
{
    Load(id, module);
}

ResStr::~ResStr()
{
    Empty();
}

BOOL ResStr::Load(int id, HINSTANCE module)
{
    Empty();
    if (id == 0)
        return FALSE;
    module = ResolveModule(id, module);
    wchar_t buffer[MaxChars];
    buffer[0] = 0;
    if (id > 0xFFFF || LoadStringW(module, static_cast<UINT>(id), buffer, MaxChars) <= 0)
        return FALSE;
    Keep(buffer);
    return !IsEmpty();
}

void ResStr::Empty()
{
    delete[] text;
    text = nullptr;
}

void ResStr::Keep(const wchar_t* s)
{
    Empty();
    if (!s || !*s)
        return;
    size_t length = wcslen(s) + 1;
    text = new (std::nothrow) wchar_t[length];
    if (text)
        wmemcpy(text, s, length);
}

ResStrFmt::ResStrFmt(int id, ...)
{
    va_list args;
    va_start(args, id);
    FormatV(nullptr, id, args);
    va_end(args);
}

void ResStrFmt::FormatV(HINSTANCE module, int id, va_list args)
{
    ResStr format(id, module);
    wchar_t buffer[MaxChars];
    textbuf::FormatV(buffer, MaxChars, format, args);
    Keep(buffer);
}

int MsgV(HWND hwnd, UINT flags, const wchar_t* fmt, va_list args)
{
    wchar_t text[ResStr::MaxChars];
    textbuf::FormatV(text, ResStr::MaxChars, fmt ? fmt : L"", args);
    return MessageBoxW(MessageOwner(hwnd), text, GetProductInfo()->GetName(), flags | MB_SETFOREGROUND);
}

int Msg(HWND hwnd, UINT flags, const wchar_t* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    int result = MsgV(hwnd, flags, fmt, args);
    va_end(args);
    return result;
}

int Msg(HWND hwnd, UINT flags, int id, ...)
{
    ResStr format(id);
    va_list args;
    va_start(args, id);
    int result = MsgV(hwnd, flags, format, args);
    va_end(args);
    return result;
}

const wchar_t* GetLastErrorText(DWORD code)
{
    static wchar_t text[1024];
    if (code == 0)
        code = GetLastError();
    text[0] = 0;
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = FormatMessageW(flags, nullptr, code, LANG_USER_DEFAULT, text, 1024, nullptr);
    if (!length)  // not in the user's language: any language the system has
        length = FormatMessageW(flags, nullptr, code, 0, text, 1024, nullptr);
    if (length > 1023)
        length = 1023;
    text[length] = 0;
    while (length && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' '))
        text[--length] = 0;
    return text;
}

int MsgLastError(HWND hwnd)
{
    DWORD code = GetLastError();
    return Msg(hwnd, MB_ICONEXCLAMATION, L"%s", GetLastErrorText(code));
}

int StrAppendTextFmt(wchar_t* dst, int dstChars, int id, ...)
{
    if (!dst || dstChars < 1)
        return 0;
    if (id == 0) {
        dst[0] = 0;
        return 0;
    }
    ResStr format(id);
    wchar_t text[ResStr::MaxChars];
    va_list args;
    va_start(args, id);
    textbuf::FormatV(text, ResStr::MaxChars, format, args);
    va_end(args);
    return textbuf::Append(dst, dstChars, text);
}
