// Shell names and items: paths, display names, icons and attributes of item lists, and the
// display names of the desktop, network neighbourhood and documents folders.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "sys/Api.h"

// Item lists returned here are new lists of the shell's allocator: free them with FreePIDL
// (or hand them to a PIDL). Path buffers hold MAX_PATH characters unless a size is passed.

// The file-system path of an absolute item list, cut to size. An empty list gives the desktop
// folder when desktopIfEmpty is set; with followNetHood a shortcut in the network neighbourhood
// folder (a link file, or a folder holding "target.lnk") gives its target. False (and an empty
// buf) when the item has no file-system path.
GLMBX_API BOOL GetPathOf(const ITEMIDLIST* item, wchar_t* buf, int size = MAX_PATH, BOOL desktopIfEmpty = FALSE,
                         BOOL followNetHood = FALSE);
// The name under which the shell shows an absolute item (SHGDN_... flags), cut to size.
GLMBX_API BOOL GetShellNameOf(const ITEMIDLIST* item, wchar_t* buf, int size = MAX_PATH, DWORD flags = SHGDN_NORMAL);
// A path as the shell shows it: long names in the letter case stored on disk and, with
// simplify, a special folder's path replaced by its display name (SimplifyShellName). False
// when the path does not exist: buf then holds the path as given, cut to size.
GLMBX_API BOOL GetShellPathOf(const wchar_t* path, wchar_t* buf, int size = MAX_PATH, BOOL simplify = TRUE);
// A new absolute list for a path or other parsing name; null when it names nothing.
GLMBX_API ITEMIDLIST* GetPidlOf(const wchar_t* path);
// size zero-filled bytes of the shell's allocator (null without memory).
GLMBX_API ITEMIDLIST* AllocPIDL(unsigned short size);
// A one-item list holding a copy of item's first item (size from its size field); an empty
// list for an empty item; null for a null item or without memory.
GLMBX_API ITEMIDLIST* AllocPIDL(const ITEMIDLIST* item);
// Frees a block of the shell's allocator; null is ignored.
GLMBX_API void FreePIDL(ITEMIDLIST* item);

// The index of an absolute item's icon in the system image list (SHGFI_SMALLICON or
// SHGFI_LARGEICON, optionally SHGFI_OPENICON); -1 when it has none.
GLMBX_API int GetSysIconIndex(const ITEMIDLIST* item, UINT flags = SHGFI_SMALLICON);
// An absolute item's or a path's icon (the caller destroys it), with the same flags; null when
// there is none.
GLMBX_API HICON GetIconOf(const ITEMIDLIST* item, UINT flags = SHGFI_SMALLICON);
GLMBX_API HICON GetIconOf(const wchar_t* path, UINT flags = SHGFI_SMALLICON);
// The SFGAO_... attributes of an absolute item or of a path; 0 when the shell cannot tell.
GLMBX_API ULONG GetAttributesOf(const ITEMIDLIST* item);
GLMBX_API ULONG GetAttributesOf(const wchar_t* path);
// Whether the shell shows file name extensions (the user's "HideFileExt" choice; shown when the
// user never chose).
GLMBX_API BOOL ShouldShowExt();

// One special folder and the name under which the shell shows it.
struct GLMBX_API SPEC_FOLDER_DATA {
    int nCSIDL;          // the folder
    int nNameCSIDL;      // the item whose display name stands for it
    wchar_t* pszPath;    // the folder's file-system path with a trailing backslash; "" when none
    int nPathLen;        // characters of pszPath
    wchar_t* pszName;    // the display name; "" when none

    SPEC_FOLDER_DATA(int csidl, int nameCsidl);
    ~SPEC_FOLDER_DATA();
    SPEC_FOLDER_DATA(const SPEC_FOLDER_DATA&) = delete;
    SPEC_FOLDER_DATA& operator=(const SPEC_FOLDER_DATA&) = delete;
};

// 0: the null-terminated array of the three entries (desktop directory named after the desktop,
// network neighbourhood named after the network, personal documents named after themselves),
// made on first use and kept for the process; null without memory. Non-zero: frees them (the
// next call makes them afresh) and returns null.
GLMBX_API SPEC_FOLDER_DATA** GetSPEC_FOLDER_DATA(int release);
// The entry whose folder is path or holds it, or null.
GLMBX_API const SPEC_FOLDER_DATA* GetAnySpecialSubFolderData(const wchar_t* path);
// The part of path below the network neighbourhood folder (pointing into path), or null.
GLMBX_API const wchar_t* GetNetHoodSubFolder(const wchar_t* path);
// A path in a special folder that has a display name becomes that name, a backslash and the
// rest ("Desktop\file.txt"; the folder itself becomes the name alone). In place, in a buffer of
// size characters; true when it was replaced (false and unchanged when the result would not fit).
GLMBX_API BOOL SimplifyShellName(wchar_t* path, int size = MAX_PATH);
// The reverse: a first component equal to a special folder's display name (any case) becomes
// that folder's path. True when it was replaced (false and unchanged when it would not fit).
GLMBX_API BOOL UnSimplifyShellName(wchar_t* path, int size = MAX_PATH);
