// iShellFolder and iEnumIDList: owners of a shell folder and of the walk over its items.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstddef>

#include "sys/Api.h"
#include "sys/PIDL.h"
#include "sys/iUnk.h"

// A shell folder and the attributes (SFGAO_...) of the item it was bound to. Item lists given
// to the operations are relative to the held folder unless said otherwise; lists returned are
// new lists of the shell's allocator that the caller frees (FreePIDL, or a PIDL takes them).
class GLMBX_API iShellFolder : public iPtr<IShellFolder> {
public:
    // The attributes asked of an item when a folder is bound to it.
    enum : ULONG {
        BoundAttributes = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_LINK | SFGAO_SHARE |
                          SFGAO_READONLY | SFGAO_HIDDEN | SFGAO_REMOVABLE | SFGAO_BROWSABLE
    };

    iShellFolder() : attributes(0) {}
    // The folder of item below parent; with a null parent, the desktop folder, or the item
    // below it when item is not empty. IsReady tells whether it was bound.
    iShellFolder(iShellFolder* parent, const ITEMIDLIST* item);
    // The same from the desktop for a PIDL: without it, a null parent and a PIDL would pick the
    // path constructor below.
    iShellFolder(std::nullptr_t, PIDL& item)
        : iShellFolder(static_cast<iShellFolder*>(nullptr), static_cast<ITEMIDLIST*>(item)) {}
    // The folder at a parsing path; out receives the folder's absolute list (emptied on failure).
    iShellFolder(const wchar_t* path, PIDL& out);

    ULONG GetAttributes() const { return attributes; }

    // An empty wrapper binds to the desktop folder, a bound one to its child item (any depth);
    // then a non-empty item is bound below it. The new folder replaces the held one; on failure
    // the held folder stays and the result is false.
    BOOL BindTo(const ITEMIDLIST* item);
    // From the desktop folder, one item of the absolute list after the other.
    BOOL BindToAbs(const ITEMIDLIST* list);
    // Any interface of the object of item (a sub-folder, a storage...); the caller releases it.
    BOOL BindToObject(const ITEMIDLIST* item, REFIID iid, void** out);
    // The walk over the folder's items; the caller releases it. A folder without matching items
    // may give none: then true with a null walk.
    BOOL EnumObjects(HWND owner, ULONG flags, IEnumIDList** out);
    // The attributes of one child among mask; 0 when the folder cannot tell.
    ULONG GetAttributesOf(const ITEMIDLIST* item, ULONG mask);
    // An object of one child (IContextMenu, IExtractIconW, IDataObject...); the caller releases it.
    BOOL GetUIObjectOf(HWND owner, const ITEMIDLIST* item, REFIID iid, void** out);
    // The same for an item of any depth below the folder: asked of the folder that holds it.
    BOOL GetItemObj(HWND owner, const ITEMIDLIST* item, REFIID iid, void** out);
    // The folder's view object (IShellView...); the caller releases it.
    BOOL CreateShellViewObject(HWND owner, REFIID iid, void** out);
    // The name of one child (SHGDN_...), cut to bufChars; false (and empty) when it has none.
    BOOL GetDisplayNameOf(const ITEMIDLIST* item, DWORD flags, wchar_t* buf, int bufChars);
    // The list of a name relative to the folder (a full path for the desktop folder); null
    // when it names nothing. attributes, when given, is the mask in and the attributes out.
    ITEMIDLIST* ParseDisplayName(const wchar_t* name, ULONG* attributes);
    // SHGetDataFromIDListW for one child (SHGDFIL_FINDDATA...) into data of size bytes.
    BOOL GetDataFromIDList(const ITEMIDLIST* item, int format, void* data, int size);
    // The folder's order of two children by column (low 16 bits of the shell's parameter;
    // lParam supplies the SHCIDS_ flags): result is negative, 0 or positive.
    BOOL Compare(const ITEMIDLIST* item1, const ITEMIDLIST* item2, int column, int& result, LPARAM lParam = 0);
    // Reads the attributes of item below parent into GetAttributes (the desktop's own when
    // parent is null); false when the parent cannot tell.
    BOOL SetupAttributes(IShellFolder* parent, const ITEMIDLIST* item);

private:
    BOOL BindToDesktop();

    ULONG attributes;
};

// The walk over a folder's items.
class GLMBX_API iEnumIDList : public iPtr<IEnumIDList> {
public:
    iEnumIDList() = default;
    // flags: SHCONTF_... of the items to walk.
    iEnumIDList(iShellFolder& folder, HWND owner, unsigned long flags);

    BOOL Reset();
    // The next child's list (the caller frees it), or null at the end.
    ITEMIDLIST* Next();
};
