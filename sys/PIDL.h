// PIDL: owner of one shell item identifier list, with the walks, copies and the checked
// exchange of lists with buffers and the registry.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "sys/Api.h"
#include "sys/iUnk.h"

class CSList;
class RegKey;

// An item list is a sequence of items, each beginning with its 16-bit size (which counts the
// size field), ended by a 16-bit zero. A held list lives in the shell's allocator (csiMem) and
// is freed with the object. The static walks trust their list (the shell made it); lists that
// come from outside (buffers, the registry) are checked with IsValid before anything uses them.
class GLMBX_API PIDL {
public:
    // The largest list accepted from a buffer or the registry, terminator included.
    enum { MaxBytes = 4096 };

    // Every item list of the library is allocated and freed through it.
    static iMalloc csiMem;

    PIDL() : pidl(nullptr) {}
    ~PIDL() { Free(); }
    PIDL(const PIDL&) = delete;
    PIDL& operator=(const PIDL&) = delete;

    BOOL IsReady() const { return pidl != nullptr; }
    operator ITEMIDLIST*() const { return pidl; }

    // Walks. A null list counts as empty everywhere.
    static unsigned GetSizeOne(const ITEMIDLIST* p);         // size of the first item
    static const ITEMIDLIST* GetFirst(const ITEMIDLIST* p);  // null when there is none
    static const ITEMIDLIST* GetNext(const ITEMIDLIST* p);   // null after the last item
    static unsigned GetSizeAll(const ITEMIDLIST* p);         // the items, no terminator
    static unsigned GetSizeTotal(const ITEMIDLIST* p);       // with terminator; 0 for null
    static int GetCount(const ITEMIDLIST* p);
    static BOOL IsEmpty(const ITEMIDLIST* p);
    static const ITEMIDLIST* GetLast(const ITEMIDLIST* p);   // null when there is none
    static const ITEMIDLIST* GetEnd(const ITEMIDLIST* p);    // the terminator's address
    // True when both are null/0, or when p is a well-formed list of exactly size bytes. Reads
    // nothing beyond size bytes, so it can judge a buffer of unknown contents.
    static BOOL IsValid(const ITEMIDLIST* p, unsigned size);
    // A new empty list (the terminator only) in the shell's allocator; null without memory.
    static ITEMIDLIST* Make();

    // Frees the list and holds a new empty one; false (and nothing held) without memory.
    BOOL Reset();
    // The pointer becomes null.
    void Free();
    void RemoveAll() { Free(); }

    // Replace the list by a copy of p's first item / of all of p (an empty list for null).
    // Without memory they return false and the held list stays.
    BOOL CopyOne(const ITEMIDLIST* p);
    BOOL CopyAll(const ITEMIDLIST* p);
    // Append p's first item / all of p's items; a null list held before starts empty.
    BOOL AppendOne(const ITEMIDLIST* p);
    BOOL AppendAll(const ITEMIDLIST* p);
    // Cuts off the last item; false when there is none.
    BOOL RemoveLast();

    // The location of a special folder; false (and the held list unchanged) when there is none.
    BOOL Attach(int csidl);
    // Takes ownership of a list of the shell's allocator (freeing the one held before).
    void Attach(const ITEMIDLIST* p);
    ITEMIDLIST* Detach();

    // get (non-zero): copies the whole list with terminator into buf (when not null) and
    // returns its total size; 0 for a null list, or when bufSize is given and too small.
    // put (zero): reads a list from buf, takes it when it is well formed and 1 to MaxBytes
    // bytes long, and returns its size; 0 when rejected (the held list stays). bufSize is how
    // many bytes buf holds; 0 trusts the caller (a put then reads at most MaxBytes).
    unsigned GetPut(int get, unsigned char* buf, unsigned bufSize = 0);
    // The same for every PIDL (element pointers) of list in order, one list after the other in
    // buf; null elements are skipped. get with a null buf only sums the sizes. A put reads
    // nothing into any PIDL unless every list in buf is accepted. Returns the total size, 0 on
    // rejection.
    static unsigned GetPutPIDLList(CSList& list, unsigned bufSize, int get, unsigned char* buf);
    // store: writes the list as a binary value of its total size, or deletes the value when no
    // list is held. load: takes a binary value of 1 to MaxBytes bytes when it is a well-formed
    // list; anything else leaves the held list as it was. Always true.
    BOOL Persist(int store, RegKey& key, const wchar_t* name);

    // Cuts the list back to the drive (or share) root of its file-system path; a list without
    // a file-system path becomes empty. False without memory.
    BOOL MakeRoot();
    // The part of the held list below parent (pointing into the held list), or null when the
    // held list does not lie below parent. An empty parent (the desktop) gives the whole list.
    const ITEMIDLIST* GetChildOf(const ITEMIDLIST* parent) const;
    // The shell's order of two absolute lists: 0 when they name the same item, else negative
    // or positive. Lists the shell cannot compare order by their bytes.
    int CompareAbs(const ITEMIDLIST* other) const;
    // Whether the window (or the frame it belongs to) shows web content in the browser.
    static BOOL IsIE(HWND hwnd);

private:
    // Replaces the held list, freeing the old one.
    void Replace(ITEMIDLIST* p);
    // A new list of the first size bytes of p followed by a terminator.
    static ITEMIDLIST* Clone(const ITEMIDLIST* p, unsigned size);
    // Replaces the list by size bytes of items; false (and unchanged) without memory.
    BOOL CopyBytes(const ITEMIDLIST* p, unsigned size);
    // Appends size bytes of items; false without memory.
    BOOL AppendBytes(const ITEMIDLIST* p, unsigned size);

    ITEMIDLIST* pidl;
};
