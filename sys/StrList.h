// StrList: a CSList of owned wide strings, kept in one binary registry value under the application's root key.
#pragma once

#include "sys/Api.h"
#include "sys/CSList.h"

// Every element is a heap copy (new[]) that the list frees when it leaves. The registry value
// holds each string with its terminator, in list order, and one more zero character; an
// empty list is two bytes. An empty string therefore ends the list when it is loaded.
class GLMBX_API StrList : public CSList {
public:
    // valueName is borrowed and may be null: such a list neither loads nor stores.
    explicit StrList(const wchar_t* valueName = nullptr);
    ~StrList() override;

    // The removal callback of lists that own their strings: frees the element (message 1).
    static int CSListCallBack(unsigned long data, unsigned int msg, void* element);

    // Add a copy of s; the position, or null when memory ran out (nothing is added then).
    POS__* AddHead(const wchar_t* s);
    POS__* AddTail(const wchar_t* s);
    POS__* AddHead(wchar_t* s) { return AddHead(static_cast<const wchar_t*>(s)); }
    POS__* AddTail(wchar_t* s) { return AddTail(static_cast<const wchar_t*>(s)); }
    // Frees the string at pos and keeps a copy of s there (a null s, or no memory: null).
    void ReplaceAt(POS__* pos, const wchar_t* s);

    const wchar_t* GetStrAt(POS__* pos) const { return static_cast<const wchar_t*>(GetAt(pos)); }

    // The first position whose string equals s (exact) or begins with s (not exact), with
    // or without regard to case; null when none. Null elements never match.
    POS__* FindStr(const wchar_t* s, int exact, int ignoreCase) const;
    POS__* FindStrExactIgnoreCase(const wchar_t* s) const { return FindStr(s, 1, 1); }

    // Empties this list, then appends copies of other's strings in order.
    void CopyFrom(const StrList& other);

    const wchar_t* GetValueName() const { return valueName; }
    // Replaces the contents with the value's strings; a value that cannot be read leaves the
    // list empty, and of a damaged one only the whole strings before the damage are taken.
    void Load();
    // Writes the contents (null elements are left out); nothing without a value name.
    void Store();

private:
    const wchar_t* valueName;
};
