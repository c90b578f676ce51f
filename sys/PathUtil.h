// Path helpers: building, splitting and classifying paths, canonical forms, the product's home
// folder, existence tests and folder creation.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// Both "\" and "/" count as separators wherever a path is examined. Buffers hold MAX_PATH (260)
// characters unless a size is passed; results are cut to fit and always terminated.

// "\ / : * ? \" < > |": the characters a file name cannot hold, separated by spaces.
GLMBX_API const wchar_t* GetInvalidFileNameChars();

// Canonical form of a file that lies directly in the system, Windows or product home folder:
// "%S\name", "%W\name" or "%_\name"; any other path is copied unchanged.
GLMBX_API void MakeCanonicalPath(const wchar_t* path, wchar_t* out, int outChars = MAX_PATH);
// The full path of a canonical form (true); any other text is copied unchanged (false).
GLMBX_API BOOL GetPathFromCanonical(const wchar_t* in, wchar_t* out, int outChars = MAX_PATH);
// The product's home folder as setup recorded it; when none is recorded, the library's own
// folder (in shell form, without trailing backslash), which is then recorded.
GLMBX_API BOOL GetHomeDir(wchar_t* buf, int bufChars = MAX_PATH);

// Begins with a separator, or with a drive letter, a colon and a separator.
GLMBX_API BOOL IsFullPathName(const wchar_t* p);
// Makes path (in place) a full path: an empty one becomes base; quotes and blanks around it go,
// "/" becomes "\"; "\x" gets base's root (or the current drive); a relative path is joined to
// a full base, or else resolved against the current folder. Returns whether path is now full.
GLMBX_API BOOL MakeFullPathName(wchar_t* path, const wchar_t* base, int pathChars = MAX_PATH);
// dst = folder (dst may be folder itself), a backslash unless dst is empty or ends in a
// separator, name, and, for a non-empty ext, a dot unless ext begins with one, and ext.
GLMBX_API wchar_t* MakePath(wchar_t* dst, const wchar_t* folder, const wchar_t* name, const wchar_t* ext = nullptr,
                            int dstChars = MAX_PATH);
// MakePath for a name that may carry a system tag: ":NT:name" only on NT, ":9x:name" only on
// the 95 family (tags in any case). Any other name beginning with a colon, or a name tagged
// for the other system, gives an empty dst and false.
GLMBX_API BOOL MakePathForOS(wchar_t* dst, const wchar_t* folder, const wchar_t* name, const wchar_t* ext = nullptr,
                             int dstChars = MAX_PATH);
// Splits path into its folder (without trailing separator, except a root such as C:\), its
// name without extension, and its extension with the dot. Null outputs are skipped; each
// output holds MAX_PATH characters.
GLMBX_API void ParsePath(wchar_t* folder, wchar_t* name, wchar_t* ext, const wchar_t* path);

// Appends "\" unless p is empty or ends in a separator (or pChars leaves no room).
GLMBX_API wchar_t* AppendBackSlash(wchar_t* p, int pChars = MAX_PATH);
// Removes a trailing separator unless the character before it is a separator or a colon.
GLMBX_API wchar_t* RemoveBackSlash(wchar_t* p);
// Removes a trailing separator unconditionally; true when one was removed.
GLMBX_API BOOL StripBackSlash(wchar_t* p);
// Cuts after the last separator or colon (kept); a bare name becomes empty.
GLMBX_API wchar_t* StripFileName(wchar_t* p);
// Removes the last component's extension with its dot (a trailing dot alone too).
GLMBX_API wchar_t* StripFileExt(wchar_t* p);
// Removes a trailing separator (in place) and returns the last component.
GLMBX_API wchar_t* FindLastPathComponent(wchar_t* p);
// The last separator, or null.
GLMBX_API const wchar_t* FindLastSeparator(const wchar_t* p);
inline wchar_t* FindLastSeparator(wchar_t* p)
{
    return const_cast<wchar_t*>(FindLastSeparator(static_cast<const wchar_t*>(p)));
}
// The file name: after the last separator or colon (p itself when there is none).
GLMBX_API const wchar_t* FindNameExt(const wchar_t* p);
inline wchar_t* FindNameExt(wchar_t* p)
{
    return const_cast<wchar_t*>(FindNameExt(static_cast<const wchar_t*>(p)));
}
// The extension's dot in the file name, or null when the name has none.
GLMBX_API const wchar_t* FindDotExt(const wchar_t* p);
inline wchar_t* FindDotExt(wchar_t* p)
{
    return const_cast<wchar_t*>(FindDotExt(static_cast<const wchar_t*>(p)));
}
// Every "/" becomes "\".
GLMBX_API void ConvertSlashes(wchar_t* p);

// sub lies below folder: folder is a whole-component prefix of sub (separators equal to each
// other, letters compared in upper case) and sub goes on after it. Equal paths give false.
GLMBX_API BOOL IsSubFolderOf(const wchar_t* sub, const wchar_t* folder);
// Equal without regard to case, slashes or a trailing separator.
GLMBX_API BOOL IsSamePath(const wchar_t* a, const wchar_t* b);
// Not empty, and holds none of the invalid characters nor control characters.
GLMBX_API BOOL IsValidFileName(const wchar_t* name);
// Holds "*" or "?".
GLMBX_API BOOL IsMask(const wchar_t* p);
// At least 3 characters, beginning with two separators.
GLMBX_API BOOL IsNetworkFolder(const wchar_t* p);
// A drive root ("C:", "C:\"), the root separator alone, or (with acceptUNC) a share root
// ("\\server\share", with or without a trailing separator).
GLMBX_API BOOL IsRootFolder(const wchar_t* p, BOOL acceptUNC = TRUE);
// Begins with a drive letter and a colon.
GLMBX_API BOOL IsDosFolder(const wchar_t* p);
// An FTP location ("ftp://...").
GLMBX_API BOOL IsFtpFolder(const wchar_t* p);
// A share path (the file system's UNC form): two separators, a server, a separator and a share name
// (not a device or long-path prefix such as "\\?\" or "\\.\").
GLMBX_API BOOL IsUncPath(const wchar_t* p);
// The drive letter's number (0 for A:), -1 when p does not begin with one.
GLMBX_API int GetDriveFromPath(const wchar_t* p);
// GetDriveTypeW of the path's root (DRIVE_NO_ROOT_DIR when there is none).
GLMBX_API UINT GetDriveTypeFromPath(const wchar_t* p);
// The root written in p ("C:\" or "\\server\share\"); false and empty when p has none.
GLMBX_API BOOL ExtractRootPath(wchar_t* root, const wchar_t* p, int rootChars = MAX_PATH);
// The root of p, resolving a relative path against the current folder first.
GLMBX_API BOOL GetRootPath(wchar_t* root, const wchar_t* p, int rootChars = MAX_PATH);

// The form in which the shell shows a path (in place, MAX_PATH buffer): slashes become
// backslashes, short components long ones, every component the letter case stored on disk,
// the drive letter upper case. False when the path cannot be found; an empty path stays (true).
GLMBX_API BOOL DosPathToShellPath(wchar_t* p);
// The short (8.3) form of an existing path, in place; false (and p unchanged) otherwise.
GLMBX_API BOOL ConvertToShortPath(wchar_t* p, int size);
// The long form of an existing path, in place (MAX_PATH buffer); false (unchanged) otherwise.
GLMBX_API BOOL ShortToLFN(wchar_t* p);
// dst = the long form of src when it exists (true), else src unchanged (false).
GLMBX_API BOOL ConvertPathToLFN(const wchar_t* src, wchar_t* dst, int dstChars = MAX_PATH);
// A file name shouted in capitals ("README.TXT", as 8.3 names often are) becomes "Readme.txt";
// names with any lower-case letter stay. Works on the last component, in place.
GLMBX_API wchar_t* MakeNamePretty(wchar_t* p);

GLMBX_API BOOL FileExists(const wchar_t* p);
GLMBX_API BOOL FolderExists(const wchar_t* p);
GLMBX_API BOOL FileOrFolderExists(const wchar_t* p);
// Creates every missing folder of a full path, one component at a time (a share's server and
// share are skipped), showing the wait cursor; false when p is not full or a folder cannot be
// made.
GLMBX_API BOOL CreateFolder(const wchar_t* p);
// The shell's folder creation, with hwnd owning any message; true when the folder exists after.
GLMBX_API BOOL CreateFolderEx(HWND hwnd, const wchar_t* p);

// The executable's path and its folder (without trailing backslash); either may be null.
GLMBX_API BOOL GetLocalPathDir(wchar_t* path, wchar_t* dir, int size = MAX_PATH);
// The file name with extension of module (null: the executable).
GLMBX_API BOOL GetModuleFNameExt(HMODULE module, wchar_t* buf, int bufChars = MAX_PATH);
// The product's home folder, a backslash and name (the module's file name when name is null).
GLMBX_API wchar_t* GetLocalFileName(wchar_t* buf, const wchar_t* name = nullptr, HMODULE module = nullptr);
// The product's home folder.
GLMBX_API BOOL GetLocalFolder(wchar_t* buf);
// GetLocalFileName in double quotes.
GLMBX_API wchar_t* GetLocalFileNameQuoted(wchar_t* buf, const wchar_t* name = nullptr, HMODULE module = nullptr);
GLMBX_API BOOL LocalFileExists(const wchar_t* name);
// A shell folder by its CSIDL; empty and false when the system has none.
GLMBX_API BOOL GetSpecialFolderPath(HWND hwnd, int csidl, wchar_t* buf);
// The Quick Launch folder of the current user or of all users.
GLMBX_API BOOL GetQuickLaunchFolderPath(HWND hwnd, BOOL allUsers, wchar_t* buf);
