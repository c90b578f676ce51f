// Shell names and items: paths, display names, icons and attributes, and the names of the
// special folders.
#include "sys/ShellNames.h"

#include <shellapi.h>

#include <cwchar>
#include <new>

#include "sys/PIDL.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"
#include "sys/StrUtil.h"
#include "sys/SyncObjects.h"
#include "sys/TextTrunc.h"
#include "sys/iShellFolder.h"
#include "sys/iShellLink.h"

namespace {

const wchar_t* Text(const wchar_t* p)
{
    return p ? p : L"";
}

bool IsSep(wchar_t ch)
{
    return ch == L'\\' || ch == L'/';
}

bool EqualNoCase(const wchar_t* a, const wchar_t* b, int chars)
{
    return CompareStringOrdinal(a, chars, b, chars, TRUE) == CSTR_EQUAL;
}

// How much of path the entry's folder covers: the folder and the separator after it when path
// goes on below it, the whole path when it is the folder itself; 0 when it is not in it.
int MatchFolder(const SPEC_FOLDER_DATA* entry, const wchar_t* path)
{
    if (!entry || !entry->pszPath || entry->nPathLen < 2)
        return 0;
    const int folderChars = entry->nPathLen - 1;  // without the trailing backslash
    if (static_cast<int>(wcslen(path)) < folderChars || !EqualNoCase(path, entry->pszPath, folderChars))
        return 0;
    if (path[folderChars] == 0)
        return folderChars;
    return IsSep(path[folderChars]) ? folderChars + 1 : 0;
}

// The entry that covers most of path (only those with a display name when named), or null.
const SPEC_FOLDER_DATA* FindFolderOf(const wchar_t* path, bool named, int& matched)
{
    matched = 0;
    SPEC_FOLDER_DATA** entries = path ? GetSPEC_FOLDER_DATA(0) : nullptr;
    const SPEC_FOLDER_DATA* best = nullptr;
    for (int i = 0; entries && entries[i]; ++i) {
        if (named && !*Text(entries[i]->pszName))
            continue;
        int length = MatchFolder(entries[i], path);
        if (length > matched) {
            matched = length;
            best = entries[i];
        }
    }
    return best;
}

// Replaces path (size characters) by prefix and rest joined by a backslash (prefix alone for
// an empty rest); false and unchanged when the result would not fit.
BOOL ReplacePrefix(wchar_t* path, int size, const wchar_t* prefix, const wchar_t* rest)
{
    wchar_t* result = new (std::nothrow) wchar_t[size];
    if (!result)
        return FALSE;
    bool fits = *rest ? textbuf::FormatWhole(result, size, L"%s\\%s", prefix, rest)
                      : textbuf::FormatWhole(result, size, L"%s", prefix);
    if (fits)
        textbuf::Copy(path, size, result);
    delete[] result;
    return fits;
}

UINT GetFileInfo(const ITEMIDLIST* item, UINT flags, SHFILEINFOW& info)
{
    if (!item)
        return 0;
    return static_cast<UINT>(SHGetFileInfoW(reinterpret_cast<const wchar_t*>(item), 0, &info, sizeof(info),
                                            SHGFI_PIDL | flags));
}

UINT GetFileInfo(const wchar_t* path, UINT flags, SHFILEINFOW& info)
{
    // The shell reads at most MAX_PATH characters of a path: a longer one would name another.
    if (!path || !*path || wcslen(path) >= MAX_PATH)
        return 0;
    return static_cast<UINT>(SHGetFileInfoW(path, 0, &info, sizeof(info), flags));
}

// A network neighbourhood entry is a link file, or a folder that holds its link as "target.lnk".
void FollowNetHoodShortcut(wchar_t* path)
{
    wchar_t link[MAX_PATH];
    if (FolderExists(path)) {
        if (!textbuf::FormatWhole(link, MAX_PATH, L"%s\\target.lnk", path) || !FileExists(link))
            return;
    } else {
        textbuf::Copy(link, MAX_PATH, path);
    }
    wchar_t target[MAX_PATH];
    if (GetShortcutTargetPath(target, link) && target[0])
        textbuf::Copy(path, MAX_PATH, target);
}

CritSec specFoldersLock;
SPEC_FOLDER_DATA* specFolders[4];

// The entries go with the module: the shell's process loads and unloads it with the hooks.
struct SpecFoldersRelease {
    ~SpecFoldersRelease() { GetSPEC_FOLDER_DATA(1); }
} specFoldersRelease;

} // namespace

// ---- Paths and names of items ----

BOOL GetPathOf(const ITEMIDLIST* item, wchar_t* buf, int size, BOOL desktopIfEmpty, BOOL followNetHood)
{
    if (!buf || size < 1)
        return FALSE;
    buf[0] = 0;
    if (!item)
        return FALSE;
    wchar_t path[MAX_PATH] = L"";
    if (PIDL::IsEmpty(item)) {
        if (!desktopIfEmpty || !GetSpecialFolderPath(nullptr, CSIDL_DESKTOPDIRECTORY, path))
            return FALSE;
    } else if (!SHGetPathFromIDListW(item, path) || !path[0]) {
        return FALSE;
    }
    if (followNetHood && GetNetHoodSubFolder(path))
        FollowNetHoodShortcut(path);
    textbuf::Copy(buf, size, path);
    return TRUE;
}

BOOL GetShellNameOf(const ITEMIDLIST* item, wchar_t* buf, int size, DWORD flags)
{
    if (!buf || size < 1)
        return FALSE;
    buf[0] = 0;
    if (!item)
        return FALSE;
    iShellFolder parent;
    const ITEMIDLIST* last = item;
    if (PIDL::IsEmpty(item)) {
        if (!parent.BindTo(nullptr))
            return FALSE;
    } else if (FAILED(SHBindToParent(item, IID_IShellFolder, parent.PutVoid(), &last)) || !parent.IsReady()) {
        return FALSE;
    }
    return parent.GetDisplayNameOf(last, flags, buf, size);
}

BOOL GetShellPathOf(const wchar_t* path, wchar_t* buf, int size, BOOL simplify)
{
    textbuf::Copy(buf, size, path);
    if (!buf || size < 1 || !path || !*path || wcslen(path) >= MAX_PATH)
        return FALSE;
    wchar_t shown[MAX_PATH];
    textbuf::Copy(shown, MAX_PATH, path);
    if (!DosPathToShellPath(shown))
        return FALSE;
    if (simplify)
        SimplifyShellName(shown, MAX_PATH);
    textbuf::Copy(buf, size, shown);
    return TRUE;
}

ITEMIDLIST* GetPidlOf(const wchar_t* path)
{
    iShellFolder desktop;
    if (!path || !*path || !desktop.BindTo(nullptr))
        return nullptr;
    return desktop.ParseDisplayName(path, nullptr);
}

ITEMIDLIST* AllocPIDL(unsigned short size)
{
    void* block = PIDL::csiMem.Alloc(size);
    if (block)
        memset(block, 0, size);
    return static_cast<ITEMIDLIST*>(block);
}

ITEMIDLIST* AllocPIDL(const ITEMIDLIST* item)
{
    // An item of one byte cannot hold its own size: copying it would make a broken list.
    PIDL copy;
    if (!item || item->mkid.cb == 1 || !copy.CopyOne(item))
        return nullptr;
    return copy.Detach();
}

void FreePIDL(ITEMIDLIST* item)
{
    PIDL::csiMem.Free(item);
}

// ---- Icons and attributes ----

int GetSysIconIndex(const ITEMIDLIST* item, UINT flags)
{
    SHFILEINFOW info = {};
    if (!GetFileInfo(item, SHGFI_SYSICONINDEX | flags, info))
        return -1;
    return info.iIcon;
}

HICON GetIconOf(const ITEMIDLIST* item, UINT flags)
{
    SHFILEINFOW info = {};
    return GetFileInfo(item, SHGFI_ICON | flags, info) ? info.hIcon : nullptr;
}

HICON GetIconOf(const wchar_t* path, UINT flags)
{
    SHFILEINFOW info = {};
    return GetFileInfo(path, SHGFI_ICON | flags, info) ? info.hIcon : nullptr;
}

ULONG GetAttributesOf(const ITEMIDLIST* item)
{
    SHFILEINFOW info = {};
    return GetFileInfo(item, SHGFI_ATTRIBUTES, info) ? info.dwAttributes : 0;
}

ULONG GetAttributesOf(const wchar_t* path)
{
    SHFILEINFOW info = {};
    return GetFileInfo(path, SHGFI_ATTRIBUTES, info) ? info.dwAttributes : 0;
}

BOOL ShouldShowExt()
{
    RegKey advanced(RegKey::sz_HKCU_WinCurVer, L"Explorer\\Advanced", 0);
    return advanced.GetDword(L"HideFileExt", 0) == 0;
}

// ---- Special folders ----

SPEC_FOLDER_DATA::SPEC_FOLDER_DATA(int csidl, int nameCsidl)
    : nCSIDL(csidl), nNameCSIDL(nameCsidl), pszPath(nullptr), nPathLen(0), pszName(nullptr)
{
    wchar_t path[MAX_PATH] = L"";
    if (GetSpecialFolderPath(nullptr, csidl, path))
        AppendBackSlash(path, MAX_PATH);
    StrAllocCopy(pszPath, nPathLen, path, 0);

    wchar_t name[MAX_PATH] = L"";
    PIDL location;
    if (location.Attach(nameCsidl))
        GetShellNameOf(location, name, MAX_PATH);
    int nameLength = 0;
    StrAllocCopy(pszName, nameLength, name, 0);
}

SPEC_FOLDER_DATA::~SPEC_FOLDER_DATA()
{
    delete[] pszPath;
    delete[] pszName;
}

SPEC_FOLDER_DATA** GetSPEC_FOLDER_DATA(int release)
{
    CritSecLock lock(specFoldersLock);
    if (release) {
        for (SPEC_FOLDER_DATA*& entry : specFolders) {
            delete entry;
            entry = nullptr;
        }
        return nullptr;
    }
    if (!specFolders[0]) {
        specFolders[0] = new (std::nothrow) SPEC_FOLDER_DATA(CSIDL_DESKTOPDIRECTORY, CSIDL_DESKTOP);
        specFolders[1] = new (std::nothrow) SPEC_FOLDER_DATA(CSIDL_NETHOOD, CSIDL_NETWORK);
        specFolders[2] = new (std::nothrow) SPEC_FOLDER_DATA(CSIDL_PERSONAL, CSIDL_PERSONAL);
        specFolders[3] = nullptr;
        if (!specFolders[0] || !specFolders[1] || !specFolders[2]) {
            for (SPEC_FOLDER_DATA*& entry : specFolders) {
                delete entry;
                entry = nullptr;
            }
            return nullptr;
        }
    }
    return specFolders;
}

const SPEC_FOLDER_DATA* GetAnySpecialSubFolderData(const wchar_t* path)
{
    int matched = 0;
    return FindFolderOf(path, false, matched);
}

const wchar_t* GetNetHoodSubFolder(const wchar_t* path)
{
    SPEC_FOLDER_DATA** entries = path ? GetSPEC_FOLDER_DATA(0) : nullptr;
    if (!entries)
        return nullptr;
    int matched = MatchFolder(entries[1], path);
    // Only what lies below the folder counts, not the folder itself.
    return matched && path[matched] && IsSep(path[matched - 1]) ? path + matched : nullptr;
}

BOOL SimplifyShellName(wchar_t* path, int size)
{
    int matched = 0;
    const SPEC_FOLDER_DATA* entry = path && size > 0 ? FindFolderOf(path, true, matched) : nullptr;
    return entry && ReplacePrefix(path, size, entry->pszName, path + matched);
}

BOOL UnSimplifyShellName(wchar_t* path, int size)
{
    if (!path || size < 1)
        return FALSE;
    int first = 0;
    while (path[first] && !IsSep(path[first]))
        ++first;
    if (!first)
        return FALSE;
    SPEC_FOLDER_DATA** entries = GetSPEC_FOLDER_DATA(0);
    for (int i = 0; entries && entries[i]; ++i) {
        const SPEC_FOLDER_DATA* entry = entries[i];
        const wchar_t* name = Text(entry->pszName);
        if (static_cast<int>(wcslen(name)) != first || !EqualNoCase(path, name, first) || entry->nPathLen < 2)
            continue;
        const wchar_t* rest = path[first] ? path + first + 1 : path + first;
        wchar_t folder[MAX_PATH];
        textbuf::Copy(folder, MAX_PATH, entry->pszPath);
        RemoveBackSlash(folder);
        return ReplacePrefix(path, size, folder, rest);
    }
    return FALSE;
}
