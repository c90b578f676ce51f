// iShellFolder and iEnumIDList: binding to shell folders, their items and names.
#include "sys/iShellFolder.h"

#include <shlwapi.h>

#include <cwchar>
#include <new>

#include "sys/PIDL.h"

iShellFolder::iShellFolder(iShellFolder* parent, const ITEMIDLIST* item) : attributes(0)
{
    if (!parent) {
        BindTo(item);
        return;
    }
    if (!parent->IsReady() || PIDL::IsEmpty(item))
        return;
    IShellFolder* child = nullptr;
    if (SUCCEEDED(parent->ptr->BindToObject(item, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&child))) &&
        child) {
        ptr = child;
        SetupAttributes(parent->ptr, item);
    }
}

iShellFolder::iShellFolder(const wchar_t* path, PIDL& out) : attributes(0)
{
    out.Free();
    if (!BindToDesktop())
        return;
    ITEMIDLIST* list = ParseDisplayName(path, nullptr);
    if (!list) {
        Release();
        return;
    }
    out.Attach(list);
    if (!BindTo(list)) {
        Release();
        out.Free();
    }
}

BOOL iShellFolder::BindToDesktop()
{
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop)
        return FALSE;
    Attach(desktop);
    SetupAttributes(nullptr, nullptr);
    return TRUE;
}

BOOL iShellFolder::BindTo(const ITEMIDLIST* item)
{
    if (!ptr) {
        if (!BindToDesktop())
            return FALSE;
        if (PIDL::IsEmpty(item))
            return TRUE;
    }
    if (PIDL::IsEmpty(item))
        return FALSE;
    IShellFolder* child = nullptr;
    if (FAILED(ptr->BindToObject(item, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&child))) || !child)
        return FALSE;
    // The attributes belong to the item as its parent sees it; for a deeper item that is the
    // folder just above it.
    IShellFolder* parent = nullptr;
    const ITEMIDLIST* last = PIDL::GetLast(item);
    if (last == item) {
        ptr->AddRef();
        parent = ptr;
    } else {
        PIDL upper;
        if (upper.CopyAll(item) && upper.RemoveLast())
            ptr->BindToObject(upper, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&parent));
    }
    if (!parent || !SetupAttributes(parent, last))
        attributes = 0;
    if (parent)
        parent->Release();
    Attach(child);
    return TRUE;
}

BOOL iShellFolder::BindToAbs(const ITEMIDLIST* list)
{
    iShellFolder folder;
    if (!folder.BindTo(nullptr))
        return FALSE;
    PIDL one;
    for (const ITEMIDLIST* item = PIDL::GetFirst(list); item; item = PIDL::GetNext(item)) {
        if (!one.CopyOne(item) || !folder.BindTo(one))
            return FALSE;
    }
    Attach(folder.Detach());
    attributes = folder.attributes;
    return TRUE;
}

BOOL iShellFolder::BindToObject(const ITEMIDLIST* item, REFIID iid, void** out)
{
    if (!out)
        return FALSE;
    *out = nullptr;
    return ptr && !PIDL::IsEmpty(item) && SUCCEEDED(ptr->BindToObject(item, nullptr, iid, out)) && *out;
}

BOOL iShellFolder::EnumObjects(HWND owner, ULONG flags, IEnumIDList** out)
{
    if (!out)
        return FALSE;
    *out = nullptr;
    return ptr && SUCCEEDED(ptr->EnumObjects(owner, flags, out));
}

ULONG iShellFolder::GetAttributesOf(const ITEMIDLIST* item, ULONG mask)
{
    if (!ptr || PIDL::IsEmpty(item))
        return 0;
    LPCITEMIDLIST items[1] = {item};
    ULONG result = mask;
    if (FAILED(ptr->GetAttributesOf(1, items, &result)))
        return 0;
    return result & mask;
}

BOOL iShellFolder::GetUIObjectOf(HWND owner, const ITEMIDLIST* item, REFIID iid, void** out)
{
    if (!out)
        return FALSE;
    *out = nullptr;
    if (!ptr || PIDL::IsEmpty(item))
        return FALSE;
    LPCITEMIDLIST items[1] = {item};
    return SUCCEEDED(ptr->GetUIObjectOf(owner, 1, items, iid, nullptr, out)) && *out;
}

BOOL iShellFolder::GetItemObj(HWND owner, const ITEMIDLIST* item, REFIID iid, void** out)
{
    if (!out)
        return FALSE;
    *out = nullptr;
    const ITEMIDLIST* last = PIDL::GetLast(item);
    if (!ptr || !last)
        return FALSE;
    if (last == item)
        return GetUIObjectOf(owner, item, iid, out);
    PIDL upper;
    if (!upper.CopyAll(item) || !upper.RemoveLast())
        return FALSE;
    iShellFolder holder(this, upper);
    return holder.GetUIObjectOf(owner, last, iid, out);
}

BOOL iShellFolder::CreateShellViewObject(HWND owner, REFIID iid, void** out)
{
    if (!out)
        return FALSE;
    *out = nullptr;
    return ptr && SUCCEEDED(ptr->CreateViewObject(owner, iid, out)) && *out;
}

BOOL iShellFolder::GetDisplayNameOf(const ITEMIDLIST* item, DWORD flags, wchar_t* buf, int bufChars)
{
    if (!buf || bufChars < 1)
        return FALSE;
    buf[0] = 0;
    if (!ptr || !item)
        return FALSE;
    STRRET name = {};
    name.uType = STRRET_WSTR;
    if (FAILED(ptr->GetDisplayNameOf(item, flags, &name)))
        return FALSE;
    // StrRetToBufW frees the shell's string whatever happens; the result is cut to fit.
    if (FAILED(StrRetToBufW(&name, item, buf, static_cast<UINT>(bufChars)))) {
        buf[0] = 0;
        return FALSE;
    }
    buf[bufChars - 1] = 0;
    return buf[0] != 0;
}

ITEMIDLIST* iShellFolder::ParseDisplayName(const wchar_t* name, ULONG* attributesInOut)
{
    if (!ptr || !name || !*name)
        return nullptr;
    // The shell asks for a writable name.
    size_t chars = wcslen(name) + 1;
    wchar_t* text = new (std::nothrow) wchar_t[chars];
    if (!text)
        return nullptr;
    wmemcpy(text, name, chars);
    ULONG eaten = 0;
    ITEMIDLIST* list = nullptr;
    ULONG wanted = attributesInOut ? *attributesInOut : 0;
    HRESULT hr = ptr->ParseDisplayName(nullptr, nullptr, text, &eaten, &list, attributesInOut ? &wanted : nullptr);
    delete[] text;
    if (FAILED(hr))
        return nullptr;
    if (attributesInOut)
        *attributesInOut = wanted;
    return list;
}

BOOL iShellFolder::GetDataFromIDList(const ITEMIDLIST* item, int format, void* data, int size)
{
    if (!ptr || PIDL::IsEmpty(item) || !data || size <= 0)
        return FALSE;
    return SUCCEEDED(SHGetDataFromIDListW(ptr, item, format, data, size));
}

BOOL iShellFolder::Compare(const ITEMIDLIST* item1, const ITEMIDLIST* item2, int column, int& result, LPARAM lParam)
{
    result = 0;
    if (!ptr || !item1 || !item2)
        return FALSE;
    LPARAM how = (lParam & ~static_cast<LPARAM>(0xFFFF)) | (column & 0xFFFF);
    HRESULT hr = ptr->CompareIDs(how, item1, item2);
    if (FAILED(hr))
        return FALSE;
    result = static_cast<short>(HRESULT_CODE(hr));
    return TRUE;
}

BOOL iShellFolder::SetupAttributes(IShellFolder* parent, const ITEMIDLIST* item)
{
    if (!parent) {
        // The desktop has no parent to ask.
        attributes = SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER | SFGAO_BROWSABLE;
        return TRUE;
    }
    if (PIDL::IsEmpty(item))
        return FALSE;
    LPCITEMIDLIST items[1] = {item};
    ULONG result = BoundAttributes;
    if (FAILED(parent->GetAttributesOf(1, items, &result)))
        return FALSE;
    attributes = result & BoundAttributes;
    return TRUE;
}

iEnumIDList::iEnumIDList(iShellFolder& folder, HWND owner, unsigned long flags)
{
    folder.EnumObjects(owner, flags, Put());
}

BOOL iEnumIDList::Reset()
{
    return ptr && SUCCEEDED(ptr->Reset());
}

ITEMIDLIST* iEnumIDList::Next()
{
    if (!ptr)
        return nullptr;
    ITEMIDLIST* item = nullptr;
    ULONG fetched = 0;
    if (ptr->Next(1, &item, &fetched) != S_OK || fetched != 1)
        return nullptr;
    return item;
}
