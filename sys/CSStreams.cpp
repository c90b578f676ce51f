// CSFileStream and CSMemStream: reads, writes and seeks of the two IStream views.
#include "sys/CSStreams.h"

#include <cstring>

#include "sys/CSFile.h"

HRESULT CSStreamBase::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IStream)) {
        *object = static_cast<IStream*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT CSFileStream::Read(void* buf, ULONG n, ULONG* done)
{
    unsigned long got = 0;
    if (!file)
        return E_UNEXPECTED;
    // A short read is a success with the smaller count.
    file->ReadBin(buf, n, &got);
    if (done)
        *done = got;
    return S_OK;
}

HRESULT CSFileStream::Write(const void* buf, ULONG n, ULONG* done)
{
    unsigned long put = 0;
    if (!file)
        return E_UNEXPECTED;
    file->WriteBin(buf, n, &put);
    if (done)
        *done = put;
    return S_OK;
}

HRESULT CSFileStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position)
{
    if (!file)
        return E_UNEXPECTED;
    if (move.QuadPart < -0x80000000LL || move.QuadPart > 0x7FFFFFFFLL)
        return E_NOTIMPL;
    if (!file->MoveTo(static_cast<long>(move.QuadPart), origin, move.QuadPart < 0 ? -1 : 0))
        return STG_E_INVALIDFUNCTION;
    if (position)
        position->QuadPart = static_cast<ULONGLONG>(file->GetFilePos64());
    return S_OK;
}

HRESULT CSMemStream::Read(void* buf, ULONG n, ULONG* done)
{
    unsigned long left = size - position;
    unsigned long count = n < left ? n : left;
    if (count && (!buf || !data))
        return E_INVALIDARG;
    if (count)
        std::memcpy(buf, data + position, count);
    position += count;
    if (done)
        *done = count;
    return S_OK;
}

HRESULT CSMemStream::Write(const void* buf, ULONG n, ULONG* done)
{
    if (done)
        *done = 0;
    if (n > size - position || (n && (!buf || !data)))
        return E_INVALIDARG;
    if (n)
        std::memcpy(data + position, buf, n);
    position += n;
    if (done)
        *done = n;
    return S_OK;
}

HRESULT CSMemStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition)
{
    LONGLONG to = 0;
    switch (origin) {
    case STREAM_SEEK_SET:
        to = move.QuadPart;
        if (to < 0 || to >= static_cast<LONGLONG>(size))
            return E_INVALIDARG;
        break;
    case STREAM_SEEK_CUR:
        to = static_cast<LONGLONG>(position) + move.QuadPart;
        if (to < 0 || to >= static_cast<LONGLONG>(size))
            return E_INVALIDARG;
        break;
    case STREAM_SEEK_END:
        if (move.QuadPart > 0 || move.QuadPart < -static_cast<LONGLONG>(size))
            return E_INVALIDARG;
        to = static_cast<LONGLONG>(size) + move.QuadPart;
        break;
    default:
        return E_INVALIDARG;
    }
    position = static_cast<unsigned long>(to);
    if (newPosition)
        newPosition->QuadPart = position;
    return S_OK;
}
