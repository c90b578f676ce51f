// Owners of COM interface pointers: the common holder, iUnk for a created object and iMalloc,
// the shell's task allocator.
#pragma once

#include <windows.h>
#include <objbase.h>

#include "sys/Api.h"

// Holds one interface pointer (or none) and releases it on destruction or before it is
// replaced. The holder owns exactly one reference; it is never copied.
template <class I>
class iPtr {
public:
    iPtr(const iPtr&) = delete;
    iPtr& operator=(const iPtr&) = delete;

    BOOL IsReady() const { return ptr != nullptr; }
    operator I*() const { return ptr; }
    I* operator->() const { return ptr; }

    // Gives up the held reference; the holder is then empty.
    void Release()
    {
        I* old = ptr;
        ptr = nullptr;
        if (old)
            old->Release();
    }
    // Takes over a reference the caller owns (null empties the holder).
    void Attach(I* p)
    {
        I* old = ptr;
        ptr = p;
        if (old)
            old->Release();
    }
    // Hands the reference to the caller, who then releases it.
    I* Detach()
    {
        I* p = ptr;
        ptr = nullptr;
        return p;
    }
    // The address a creating call fills in; what was held is released first.
    I** Put()
    {
        Release();
        return &ptr;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

protected:
    iPtr() : ptr(nullptr) {}
    ~iPtr() { Release(); }

    I* ptr;
};

// Any COM object made by CoCreateInstance, held by the interface asked for.
class GLMBX_API iUnk : public iPtr<IUnknown> {
public:
    iUnk() = default;
    iUnk(const GUID& clsid, const GUID& iid, IUnknown* outer, unsigned long context);

    // Replaces what is held by a new object; false (and empty) when it cannot be made.
    BOOL Create(const GUID& clsid, const GUID& iid, IUnknown* outer, unsigned long context);
    // Another interface of the held object into out (a reference the caller releases);
    // false, and out null, when the object has none or nothing is held.
    BOOL Query(const GUID& iid, void** out) const;
};

// The shell's task allocator (SHGetMalloc). Every operation is safe on an allocator that could
// not be obtained: allocations then give null and frees do nothing.
class GLMBX_API iMalloc : public iPtr<IMalloc> {
public:
    iMalloc();

    void* Alloc(SIZE_T size);
    // Like the allocator: a null p allocates; on failure p stays valid and null is returned.
    void* Realloc(void* p, SIZE_T size);
    void Free(void* p);
    void HeapMinimize();

private:
    // The allocator, obtained now if construction could not (a static built early).
    IMalloc* Get();
};
