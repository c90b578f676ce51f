// StrList: owned copies, searching, and the list's registry value.
#include "sys/StrList.h"

#include <cwchar>
#include <new>

#include "product/ProductInfo.h"
#include "sys/CSBuf.h"
#include "sys/RegKey.h"
#include "sys/StrUtil.h"

namespace {

wchar_t* CopyOf(const wchar_t* s)
{
    return s ? StrNewCopy(s, wcslen(s)) : nullptr;
}

} // namespace

StrList::StrList(const wchar_t* name) : valueName(name)
{
    SetCallback(0, CSListCallBack);
}

StrList::~StrList()
{
    // The callback must see the elements while this is still a StrList.
    RemoveAll();
}

int StrList::CSListCallBack(unsigned long, unsigned int msg, void* element)
{
    if (msg == CSList::MsgRemove)
        delete[] static_cast<wchar_t*>(element);
    return 1;
}

POS__* StrList::AddHead(const wchar_t* s)
{
    wchar_t* copy = CopyOf(s ? s : L"");
    POS__* pos = copy ? CSList::AddHead(copy) : nullptr;
    if (!pos)
        delete[] copy;
    return pos;
}

POS__* StrList::AddTail(const wchar_t* s)
{
    wchar_t* copy = CopyOf(s ? s : L"");
    POS__* pos = copy ? CSList::AddTail(copy) : nullptr;
    if (!pos)
        delete[] copy;
    return pos;
}

void StrList::ReplaceAt(POS__* pos, const wchar_t* s)
{
    if (!pos)
        return;
    delete[] static_cast<wchar_t*>(GetAt(pos));
    SetAt(pos, CopyOf(s));
}

POS__* StrList::FindStr(const wchar_t* s, int exact, int ignoreCase) const
{
    if (!s)
        return nullptr;
    size_t length = wcslen(s);
    for (POS__* pos = GetHeadPos(); pos;) {
        POS__* at = pos;
        const wchar_t* element = static_cast<const wchar_t*>(GetNext(pos));
        if (!element)
            continue;
        int diff = exact ? (ignoreCase ? _wcsicmp(element, s) : wcscmp(element, s))
                         : (ignoreCase ? _wcsnicmp(element, s, length) : wcsncmp(element, s, length));
        if (diff == 0)
            return at;
    }
    return nullptr;
}

void StrList::CopyFrom(const StrList& other)
{
    if (&other == this)
        return;
    RemoveAll();
    for (POS__* pos = other.GetHeadPos(); pos;) {
        const wchar_t* s = static_cast<const wchar_t*>(other.GetNext(pos));
        wchar_t* copy = CopyOf(s);
        if (s && !copy)
            return;  // out of memory: a shorter list, never a wrong one
        if (!CSList::AddTail(copy)) {
            delete[] copy;
            return;
        }
    }
}

void StrList::Load()
{
    if (!valueName || !*valueName)
        return;
    RemoveAll();
    RegKey key(GetProductInfo()->GetAppRootKey(), 0);
    if (!key.IsOpen())
        return;
    unsigned int size = key.GetBinSize(valueName);
    if (size < 2)
        return;
    CSBuf data(size);
    if (!data.IsReady() || !key.GetBin(valueName, data, size))
        return;
    // Whole characters only: an odd last byte is not part of any string.
    const wchar_t* text = data;
    const wchar_t* end = text + size / 2;
    while (text < end && *text) {
        const wchar_t* stop = text;
        while (stop < end && *stop)
            ++stop;
        if (stop == end)  // no terminator inside the value: not a whole string
            break;
        if (!AddTail(text))
            break;
        text = stop + 1;
    }
}

void StrList::Store()
{
    if (!valueName || !*valueName)
        return;
    size_t chars = 1;
    for (POS__* pos = GetHeadPos(); pos;) {
        if (const wchar_t* s = static_cast<const wchar_t*>(GetNext(pos)))
            chars += wcslen(s) + 1;
    }
    if (chars > 0x7FFFFFFF / sizeof(wchar_t))
        return;
    RegKey key(GetProductInfo()->GetAppRootKey(), 1);
    if (!key.IsOpen())
        return;
    unsigned int size = static_cast<unsigned int>(chars * sizeof(wchar_t));
    CSBuf data(size);
    if (!data.IsReady())
        return;
    wchar_t* out = data;
    for (POS__* pos = GetHeadPos(); pos;) {
        if (const wchar_t* s = static_cast<const wchar_t*>(GetNext(pos))) {
            size_t length = wcslen(s) + 1;
            wmemcpy(out, s, length);
            out += length;
        }
    }
    *out = 0;
    key.PutBin(valueName, data, size);
}
