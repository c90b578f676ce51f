// CSFileStream and CSMemStream: a file or a memory block seen as a COM IStream.
#pragma once

#include <objidl.h>

#include "sys/Api.h"

class CSFile;

// COM interfaces have no virtual destructor, and these objects are never deleted through one.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// What both streams share: no reference counting and the operations they do not offer.
// Both live on the caller's stack: AddRef and Release do nothing, so the stream must outlive
// every user it is handed to.
class GLMBX_API CSStreamBase : public IStream {
public:
    CSStreamBase() = default;
    CSStreamBase(const CSStreamBase&) = delete;
    CSStreamBase& operator=(const CSStreamBase&) = delete;

    // IUnknown and IStream answer with the object itself.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 0; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }
};

class GLMBX_API CSFileStream : public CSStreamBase {
public:
    explicit CSFileStream(CSFile* source) : file(source) {}

    HRESULT STDMETHODCALLTYPE Read(void* buf, ULONG n, ULONG* done) override;
    HRESULT STDMETHODCALLTYPE Write(const void* buf, ULONG n, ULONG* done) override;
    // Only offsets that fit in 32 signed bits.
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;

private:
    CSFile* file;  // borrowed
};

// A fixed block: reads stop at its end, writes never grow it.
class GLMBX_API CSMemStream : public CSStreamBase {
public:
    CSMemStream(void* block, unsigned long bytes) : data(static_cast<BYTE*>(block)), size(bytes), position(0) {}

    HRESULT STDMETHODCALLTYPE Read(void* buf, ULONG n, ULONG* done) override;
    // E_INVALIDARG when the write would pass the end of the block.
    HRESULT STDMETHODCALLTYPE Write(const void* buf, ULONG n, ULONG* done) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;

private:
    BYTE* data;  // borrowed
    unsigned long size;
    unsigned long position;
};

#pragma GCC diagnostic pop
