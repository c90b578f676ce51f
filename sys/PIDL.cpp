// PIDL: walks, copies and the checked exchange of item lists with buffers and the registry.
#include "sys/PIDL.h"

#include <cstring>
#include <new>

#include "sys/CSList.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"
#include "sys/ShellNames.h"
#include "sys/WndUtil.h"
#include "sys/iShellFolder.h"

iMalloc PIDL::csiMem;

namespace {

const unsigned TerminatorBytes = sizeof(USHORT);

// Item sizes may sit at odd addresses inside a list read from outside.
unsigned ItemSize(const void* p)
{
    USHORT size;
    memcpy(&size, p, sizeof(size));
    return size;
}

const ITEMIDLIST* Advance(const ITEMIDLIST* p, unsigned bytes)
{
    return reinterpret_cast<const ITEMIDLIST*>(reinterpret_cast<const BYTE*>(p) + bytes);
}

// The total size (terminator included) of the list at p when it is well formed inside limit
// bytes; 0 when an item is too short to hold its own size or no terminator comes in time.
unsigned MeasureBounded(const BYTE* p, unsigned limit)
{
    unsigned offset = 0;
    for (;;) {
        if (limit < TerminatorBytes || offset > limit - TerminatorBytes)
            return 0;
        unsigned size = ItemSize(p + offset);
        if (size == 0)
            return offset + TerminatorBytes;
        if (size < TerminatorBytes)
            return 0;
        offset += size;
    }
}

BOOL CALLBACK FindBrowserView(HWND hwnd, LPARAM found)
{
    if (IsClassName(hwnd, L"Internet Explorer_Server")) {
        *reinterpret_cast<BOOL*>(found) = TRUE;
        return FALSE;
    }
    return TRUE;
}

} // namespace

// ---- Walks ----

unsigned PIDL::GetSizeOne(const ITEMIDLIST* p)
{
    return p ? p->mkid.cb : 0;
}

const ITEMIDLIST* PIDL::GetFirst(const ITEMIDLIST* p)
{
    return IsEmpty(p) ? nullptr : p;
}

const ITEMIDLIST* PIDL::GetNext(const ITEMIDLIST* p)
{
    if (IsEmpty(p))
        return nullptr;
    const ITEMIDLIST* next = Advance(p, p->mkid.cb);
    return next->mkid.cb ? next : nullptr;
}

unsigned PIDL::GetSizeAll(const ITEMIDLIST* p)
{
    unsigned size = 0;
    for (const ITEMIDLIST* item = GetFirst(p); item; item = GetNext(item))
        size += item->mkid.cb;
    return size;
}

unsigned PIDL::GetSizeTotal(const ITEMIDLIST* p)
{
    return p ? GetSizeAll(p) + TerminatorBytes : 0;
}

int PIDL::GetCount(const ITEMIDLIST* p)
{
    int count = 0;
    for (const ITEMIDLIST* item = GetFirst(p); item; item = GetNext(item))
        ++count;
    return count;
}

BOOL PIDL::IsEmpty(const ITEMIDLIST* p)
{
    return !p || p->mkid.cb == 0;
}

const ITEMIDLIST* PIDL::GetLast(const ITEMIDLIST* p)
{
    const ITEMIDLIST* last = nullptr;
    for (const ITEMIDLIST* item = GetFirst(p); item; item = GetNext(item))
        last = item;
    return last;
}

const ITEMIDLIST* PIDL::GetEnd(const ITEMIDLIST* p)
{
    return p ? Advance(p, GetSizeAll(p)) : nullptr;
}

BOOL PIDL::IsValid(const ITEMIDLIST* p, unsigned size)
{
    if (!p)
        return size == 0;
    return size >= TerminatorBytes && MeasureBounded(reinterpret_cast<const BYTE*>(p), size) == size;
}

ITEMIDLIST* PIDL::Make()
{
    return Clone(nullptr, 0);
}

// ---- Ownership and copies ----

ITEMIDLIST* PIDL::Clone(const ITEMIDLIST* p, unsigned size)
{
    auto* copy = static_cast<BYTE*>(csiMem.Alloc(size + TerminatorBytes));
    if (!copy)
        return nullptr;
    if (size)
        memcpy(copy, p, size);
    memset(copy + size, 0, TerminatorBytes);
    return reinterpret_cast<ITEMIDLIST*>(copy);
}

void PIDL::Replace(ITEMIDLIST* p)
{
    ITEMIDLIST* old = pidl;
    pidl = p;
    if (old && old != p)
        csiMem.Free(old);
}

BOOL PIDL::Reset()
{
    Replace(Make());
    return pidl != nullptr;
}

void PIDL::Free()
{
    Replace(nullptr);
}

BOOL PIDL::CopyBytes(const ITEMIDLIST* p, unsigned size)
{
    ITEMIDLIST* copy = Clone(p, size);
    if (!copy)
        return FALSE;
    Replace(copy);
    return TRUE;
}

BOOL PIDL::CopyOne(const ITEMIDLIST* p)
{
    return CopyBytes(p, GetSizeOne(p));
}

BOOL PIDL::CopyAll(const ITEMIDLIST* p)
{
    return CopyBytes(p, GetSizeAll(p));
}

BOOL PIDL::AppendBytes(const ITEMIDLIST* p, unsigned size)
{
    if (!pidl && !Reset())
        return FALSE;
    if (!size)
        return TRUE;
    // The source may be the held list itself, which the reallocation can move.
    ITEMIDLIST* source = Clone(p, size);
    if (!source)
        return FALSE;
    unsigned used = GetSizeAll(pidl);
    auto* grown = static_cast<BYTE*>(csiMem.Realloc(pidl, used + size + TerminatorBytes));
    if (grown) {
        memcpy(grown + used, source, size);
        memset(grown + used + size, 0, TerminatorBytes);
        pidl = reinterpret_cast<ITEMIDLIST*>(grown);
    }
    csiMem.Free(source);
    return grown != nullptr;
}

BOOL PIDL::AppendOne(const ITEMIDLIST* p)
{
    return AppendBytes(p, GetSizeOne(p));
}

BOOL PIDL::AppendAll(const ITEMIDLIST* p)
{
    return AppendBytes(p, GetSizeAll(p));
}

BOOL PIDL::RemoveLast()
{
    auto* last = const_cast<ITEMIDLIST*>(GetLast(pidl));
    if (!last)
        return FALSE;
    memset(last, 0, TerminatorBytes);
    return TRUE;
}

BOOL PIDL::Attach(int csidl)
{
    ITEMIDLIST* location = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &location)) || !location)
        return FALSE;
    Replace(location);
    return TRUE;
}

void PIDL::Attach(const ITEMIDLIST* p)
{
    Replace(const_cast<ITEMIDLIST*>(p));
}

ITEMIDLIST* PIDL::Detach()
{
    ITEMIDLIST* p = pidl;
    pidl = nullptr;
    return p;
}

// ---- Buffers and the registry ----

unsigned PIDL::GetPut(int get, unsigned char* buf, unsigned bufSize)
{
    if (get) {
        unsigned total = GetSizeTotal(pidl);
        if (buf && total) {
            if (bufSize && total > bufSize)
                return 0;
            memcpy(buf, pidl, total);
        }
        return total;
    }
    if (!buf)
        return 0;
    const unsigned limit = MaxBytes;
    unsigned total = MeasureBounded(buf, bufSize && bufSize < limit ? bufSize : limit);
    if (!total)
        return 0;
    return CopyBytes(reinterpret_cast<const ITEMIDLIST*>(buf), total - TerminatorBytes) ? total : 0;
}

unsigned PIDL::GetPutPIDLList(CSList& list, unsigned bufSize, int get, unsigned char* buf)
{
    if (get) {
        unsigned total = 0;
        for (POS__* pos = list.GetHeadPos(); pos;) {
            if (auto* item = static_cast<PIDL*>(list.GetNext(pos)))
                total += item->IsReady() ? GetSizeTotal(*item) : TerminatorBytes;
        }
        if (!buf)
            return total;
        if (bufSize && total > bufSize)
            return 0;
        unsigned char* out = buf;
        for (POS__* pos = list.GetHeadPos(); pos;) {
            auto* item = static_cast<PIDL*>(list.GetNext(pos));
            if (!item)
                continue;
            // A PIDL without a list is written as an empty one, so the lists after it keep
            // their places when read back.
            if (item->IsReady())
                out += item->GetPut(1, out);
            else {
                memset(out, 0, TerminatorBytes);
                out += TerminatorBytes;
            }
        }
        return total;
    }

    if (!buf)
        return 0;
    // Every list is checked and copied before any PIDL takes one: a bad buffer changes nothing.
    int count = list.GetCount();
    ITEMIDLIST** copies = new (std::nothrow) ITEMIDLIST*[count > 0 ? count : 1]();
    if (!copies)
        return 0;
    unsigned offset = 0;
    int taken = 0;
    bool accepted = true;
    for (POS__* pos = list.GetHeadPos(); pos && accepted;) {
        if (!list.GetNext(pos))
            continue;
        unsigned limit = MaxBytes;
        if (bufSize) {
            unsigned left = offset < bufSize ? bufSize - offset : 0;
            limit = left < limit ? left : limit;
        }
        unsigned total = MeasureBounded(buf + offset, limit);
        ITEMIDLIST* copy = total ? Clone(reinterpret_cast<const ITEMIDLIST*>(buf + offset), total - TerminatorBytes)
                                 : nullptr;
        if (!copy) {
            accepted = false;
            break;
        }
        copies[taken++] = copy;
        offset += total;
    }
    int next = 0;
    for (POS__* pos = list.GetHeadPos(); pos && accepted;) {
        if (auto* item = static_cast<PIDL*>(list.GetNext(pos)))
            item->Replace(copies[next++]);
    }
    if (!accepted) {
        for (int i = 0; i < taken; ++i)
            csiMem.Free(copies[i]);
    }
    delete[] copies;
    return accepted ? offset : 0;
}

BOOL PIDL::Persist(int store, RegKey& key, const wchar_t* name)
{
    if (store) {
        if (pidl)
            key.PutBin(name, reinterpret_cast<const unsigned char*>(pidl), GetSizeTotal(pidl));
        else
            key.DelValue(name);
        return TRUE;
    }
    unsigned size = key.GetBinSize(name);
    if (size < 1 || size > MaxBytes)
        return TRUE;
    unsigned char buf[MaxBytes];
    if (!key.GetBin(name, buf, sizeof(buf)))
        return TRUE;
    const auto* stored = reinterpret_cast<const ITEMIDLIST*>(buf);
    if (!IsValid(stored, size))
        return TRUE;
    CopyBytes(stored, size - TerminatorBytes);
    return TRUE;
}

// ---- The shell's view of the list ----

BOOL PIDL::MakeRoot()
{
    wchar_t path[MAX_PATH];
    wchar_t root[MAX_PATH];
    if (!pidl || !SHGetPathFromIDListW(pidl, path) || !ExtractRootPath(root, path, MAX_PATH))
        return Reset();
    for (;;) {
        if (IsSamePath(path, root))
            return TRUE;
        if (!RemoveLast() || !SHGetPathFromIDListW(pidl, path))
            break;
    }
    // The items ran out before the root (the desktop's files are its children, not the
    // drive's): name the root afresh.
    ITEMIDLIST* rootList = GetPidlOf(root);
    if (!rootList)
        return Reset();
    Replace(rootList);
    return TRUE;
}

const ITEMIDLIST* PIDL::GetChildOf(const ITEMIDLIST* parent) const
{
    if (!pidl)
        return nullptr;
    if (IsEmpty(parent))
        return pidl;
    return ILFindChild(const_cast<ITEMIDLIST*>(parent), pidl);
}

int PIDL::CompareAbs(const ITEMIDLIST* other) const
{
    if (!pidl || !other)
        return (pidl ? 1 : 0) - (other ? 1 : 0);
    iShellFolder desktop;
    int result = 0;
    if (desktop.BindTo(nullptr) && desktop.Compare(pidl, other, 0, result))
        return result;
    unsigned size = GetSizeTotal(pidl);
    unsigned otherSize = GetSizeTotal(other);
    int bytes = memcmp(pidl, other, size < otherSize ? size : otherSize);
    if (bytes)
        return bytes;
    return size < otherSize ? -1 : size > otherSize ? 1 : 0;
}

BOOL PIDL::IsIE(HWND hwnd)
{
    if (!hwnd || !IsWindow(hwnd))
        return FALSE;
    HWND frame = GetAncestor(hwnd, GA_ROOT);
    if (!frame)
        frame = hwnd;
    if (IsClassName(frame, L"IEFrame") || IsClassName(frame, L"Internet Explorer_Server"))
        return TRUE;
    BOOL found = FALSE;
    EnumChildWindows(frame, FindBrowserView, reinterpret_cast<LPARAM>(&found));
    return found;
}
