// Free file-system functions: deletion now or at restart, folder walks, volume queries.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// Swaps the two bytes of every 16-bit unit.
GLMBX_API void ReverseUnicodeBytes(void* buf, unsigned long bytes);

// False when the file is missing; true when it exists but cannot be opened unshared.
GLMBX_API bool IsFileInUse(const wchar_t* path);
GLMBX_API bool IsAnyFileInUse(const wchar_t* folder);

// MoveFileExW, except that on the Windows 95 family a move at restart becomes a WININIT.INI line.
GLMBX_API bool MyMoveFileEx(const wchar_t* src, const wchar_t* dst, DWORD flags);
// Appends "dst=src" (short paths, NUL for a deletion) to the [rename] section of the given
// WININIT.INI, creating it with the section line when new.
GLMBX_API bool AppendWininitRename(const wchar_t* iniPath, const wchar_t* src, const wchar_t* dst);

GLMBX_API bool DeleteFileDelayed(const wchar_t* path, int tryNow, int force);
GLMBX_API bool DeleteFolderDelayed(const wchar_t* path, int tryNow, int force);
// Whether "UninstallPendingReboot" exists in folder; with set, creates it (deleted at restart).
GLMBX_API bool GetSetPendingUinstall(const wchar_t* folder, int set);

// Flags of ForEachFileObject.
enum {
    FileObjDelete = 0x001,        // delete each file
    FileObjCallFirst = 0x002,     // call back before anything else
    FileObjCall = 0x004,          // call back for each file (and folder without FileObjNoFolders)
    FileObjNoFolders = 0x100,     // folders get no callback of their own
    FileObjRecurse = 0x200,       // walk sub-folders
    FileObjDots = 0x400,          // include "." and ".."
};
// A callback result of 0 ends the walk.
typedef int (*FileObjCallback)(const wchar_t* folder, const WIN32_FIND_DATAW* entry, void* data);
// True when nothing failed; an empty or missing folder gives true.
GLMBX_API bool ForEachFileObject(unsigned flags, const wchar_t* folder, const wchar_t* mask,
                                 FileObjCallback callback, void* data);

GLMBX_API bool GetFileSysName(const wchar_t* path, wchar_t* buf, unsigned bufChars);
GLMBX_API ULONGLONG GetMaxFileSize(const wchar_t* path);
GLMBX_API bool IsFileSysUNC(const wchar_t* fsName);
GLMBX_API bool IsDirWritable(const wchar_t* folder);
