// iUnk and iMalloc: a created COM object and the shell's task allocator.
#include "sys/iUnk.h"

#include <shlobj.h>

iUnk::iUnk(const GUID& clsid, const GUID& iid, IUnknown* outer, unsigned long context)
{
    Create(clsid, iid, outer, context);
}

BOOL iUnk::Create(const GUID& clsid, const GUID& iid, IUnknown* outer, unsigned long context)
{
    Release();
    void* object = nullptr;
    if (FAILED(CoCreateInstance(clsid, outer, context, iid, &object)) || !object)
        return FALSE;
    // Every interface begins with IUnknown, so the pointer releases correctly as one.
    ptr = static_cast<IUnknown*>(object);
    return TRUE;
}

BOOL iUnk::Query(const GUID& iid, void** out) const
{
    if (!out)
        return FALSE;
    *out = nullptr;
    return ptr && SUCCEEDED(ptr->QueryInterface(iid, out)) && *out;
}

iMalloc::iMalloc()
{
    Get();
}

IMalloc* iMalloc::Get()
{
    if (ptr)
        return ptr;
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return nullptr;
    // Two threads may get here at once; the loser gives its reference back.
    if (InterlockedCompareExchangePointer(reinterpret_cast<void**>(&ptr), allocator, nullptr) != nullptr)
        allocator->Release();
    return ptr;
}

void* iMalloc::Alloc(SIZE_T size)
{
    IMalloc* allocator = Get();
    return allocator ? allocator->Alloc(size) : nullptr;
}

void* iMalloc::Realloc(void* p, SIZE_T size)
{
    IMalloc* allocator = Get();
    return allocator ? allocator->Realloc(p, size) : nullptr;
}

void iMalloc::Free(void* p)
{
    IMalloc* allocator = Get();
    if (p && allocator)
        allocator->Free(p);
}

void iMalloc::HeapMinimize()
{
    if (IMalloc* allocator = Get())
        allocator->HeapMinimize();
}
