// Path helpers: building, splitting and classifying paths, canonical forms, the product's home
// folder, existence tests and folder creation.
#include "sys/PathUtil.h"

#include "ui/CSWaitCursor.h"

#include <shlobj.h>

#include <cwchar>
#include <new>

#include "product/ProductInfo.h"
#include "sys/CmdLine.h"
#include "sys/RegKey.h"
#include "sys/StrUtil.h"
#include "sys/SysInfo.h"
#include "sys/TextTrunc.h"

// The library's module handle, recorded when it is loaded.
extern "C" HINSTANCE hiDLL;

namespace {

bool IsSep(wchar_t ch)
{
    return ch == L'\\' || ch == L'/';
}

bool IsDriveLetter(wchar_t ch)
{
    return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z');
}

bool HasDrive(const wchar_t* p)
{
    return p && IsDriveLetter(p[0]) && p[1] == L':';
}

bool EqualNoCase(const wchar_t* a, const wchar_t* b)
{
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// A heap copy of a path of any length, freed on every path out.
class PathCopy {
public:
    explicit PathCopy(const wchar_t* p, size_t extra = 0) : text(nullptr)
    {
        size_t length = p ? wcslen(p) : 0;
        text = new (std::nothrow) wchar_t[length + extra + 1];
        if (text) {
            wmemcpy(text, p ? p : L"", length);
            text[length] = 0;
        }
    }
    ~PathCopy() { delete[] text; }
    PathCopy(const PathCopy&) = delete;
    PathCopy& operator=(const PathCopy&) = delete;
    wchar_t* Get() const { return text; }

private:
    wchar_t* text;
};

// Length of the share root "\\server\share" at the start of p, 0 when p is not a share path.
size_t ShareRootLength(const wchar_t* p)
{
    if (!p || !IsSep(p[0]) || !IsSep(p[1]))
        return 0;
    const wchar_t* server = p + 2;
    const wchar_t* q = server;
    while (*q && !IsSep(*q))
        ++q;
    if (q == server || !*q)
        return 0;
    const wchar_t* share = q + 1;
    q = share;
    while (*q && !IsSep(*q))
        ++q;
    if (q == share)
        return 0;
    return static_cast<size_t>(q - p);
}

} // namespace

const wchar_t* GetInvalidFileNameChars()
{
    return L"\\ / : * ? \" < > |";
}

// ---- Canonical paths and the home folder ----

void MakeCanonicalPath(const wchar_t* path, wchar_t* out, int outChars)
{
    if (!out || outChars < 1)
        return;
    if (!path) {
        out[0] = 0;
        return;
    }
    PathCopy folder(path);
    if (!folder.Get()) {
        textbuf::Copy(out, outChars, path);
        return;
    }
    StripFileName(folder.Get());
    RemoveBackSlash(folder.Get());
    if (folder.Get()[0]) {
        wchar_t dir[MAX_PATH];
        struct {
            const wchar_t* prefix;
            int kind;
        } const places[] = {{L"%S\\", 0}, {L"%W\\", 1}, {L"%_\\", 2}};
        for (const auto& place : places) {
            UINT length = 0;
            if (place.kind == 0)
                length = GetSystemDirectoryW(dir, MAX_PATH);
            else if (place.kind == 1)
                length = GetWindowsDirectoryW(dir, MAX_PATH);
            else
                length = GetHomeDir(dir, MAX_PATH) ? static_cast<UINT>(wcslen(dir)) : 0;
            if (!length || length >= MAX_PATH)
                continue;
            RemoveBackSlash(dir);
            if (EqualNoCase(folder.Get(), dir)) {
                textbuf::Copy(out, outChars, place.prefix);
                textbuf::Append(out, outChars, FindNameExt(path));
                return;
            }
        }
    }
    textbuf::Copy(out, outChars, path);
}

BOOL GetPathFromCanonical(const wchar_t* in, wchar_t* out, int outChars)
{
    textbuf::Copy(out, outChars, L"");
    if (!in || !out || outChars < 1)
        return FALSE;
    if (in[0] == L'%' && in[1]) {
        wchar_t dir[MAX_PATH];
        dir[0] = 0;
        UINT length = 0;
        switch (in[1]) {
        case L'S':
        case L's':
            length = GetSystemDirectoryW(dir, MAX_PATH);
            break;
        case L'W':
        case L'w':
            length = GetWindowsDirectoryW(dir, MAX_PATH);
            break;
        case L'_':
            length = GetHomeDir(dir, MAX_PATH) ? 1 : 0;
            break;
        default:
            break;
        }
        if (length && length < MAX_PATH) {
            const wchar_t* rest = in + 2;
            if (IsSep(*rest))
                ++rest;
            textbuf::Copy(out, outChars, dir);
            AppendBackSlash(out, outChars);
            textbuf::Append(out, outChars, rest);
            return TRUE;
        }
    }
    textbuf::Copy(out, outChars, in);
    return FALSE;
}

BOOL GetHomeDir(wchar_t* buf, int bufChars)
{
    textbuf::Copy(buf, bufChars, L"");
    wchar_t home[MAX_PATH];
    const wchar_t* product = GetProductInfo()->GetName();
    GetHomeFolder(product, home);
    if (!home[0]) {
        DWORD length = GetModuleFileNameW(hiDLL, home, MAX_PATH);
        if (!length || length >= MAX_PATH)
            return FALSE;
        StripFileName(home);
        RemoveBackSlash(home);
        DosPathToShellPath(home);
        ProcessHomeFolder(RegKey::OpInstall, product, home, MAX_PATH);
    }
    textbuf::Copy(buf, bufChars, home);
    return home[0] != 0;
}

// ---- Building and splitting ----

BOOL IsFullPathName(const wchar_t* p)
{
    if (!p)
        return FALSE;
    if (IsSep(p[0]))
        return TRUE;
    return HasDrive(p) && IsSep(p[2]);
}

BOOL MakeFullPathName(wchar_t* path, const wchar_t* base, int pathChars)
{
    if (!path || pathChars < 1)
        return FALSE;
    if (!base)
        base = L"";
    if (*path)
        RemoveWhiteSpacesAndQuotes(path, nullptr);
    if (!*path) {
        textbuf::Copy(path, pathChars, base);
        return IsFullPathName(path);
    }
    ConvertSlashes(path);
    PathCopy given(path);
    if (!given.Get())
        return IsFullPathName(path);
    if (IsFullPathName(path)) {
        if (path[0] == L'\\' && path[1] != L'\\') {
            // Rooted on no drive: base's drive or share, else the current drive.
            wchar_t root[MAX_PATH];
            if (ExtractRootPath(root, base, MAX_PATH)) {
                RemoveBackSlash(root);
                StripBackSlash(root);
            } else {
                wchar_t current[MAX_PATH];
                DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
                root[0] = 0;
                if (length && length < MAX_PATH && HasDrive(current))
                    textbuf::CopyCount(root, MAX_PATH, current, 2);
            }
            textbuf::Copy(path, pathChars, root);
            textbuf::Append(path, pathChars, given.Get());
        }
        return TRUE;
    }
    if (IsFullPathName(base)) {
        textbuf::Copy(path, pathChars, base);
        ConvertSlashes(path);
        AppendBackSlash(path, pathChars);
        textbuf::Append(path, pathChars, given.Get());
        return TRUE;
    }
    wchar_t resolved[MAX_PATH];
    DWORD length = GetFullPathNameW(given.Get(), MAX_PATH, resolved, nullptr);
    if (length && length < MAX_PATH)
        textbuf::Copy(path, pathChars, resolved);
    return IsFullPathName(path);
}

wchar_t* MakePath(wchar_t* dst, const wchar_t* folder, const wchar_t* name, const wchar_t* ext, int dstChars)
{
    if (!dst || dstChars < 1)
        return dst;
    if (folder != dst)
        textbuf::Copy(dst, dstChars, folder);
    if (dst[0])
        AppendBackSlash(dst, dstChars);
    textbuf::Append(dst, dstChars, name);
    if (ext && *ext) {
        if (*ext != L'.')
            textbuf::Append(dst, dstChars, L".");
        textbuf::Append(dst, dstChars, ext);
    }
    return dst;
}

BOOL MakePathForOS(wchar_t* dst, const wchar_t* folder, const wchar_t* name, const wchar_t* ext, int dstChars)
{
    if (!dst || dstChars < 1)
        return FALSE;
    if (name && name[0] == L':') {
        bool forNT = StrStartsWith(name, L":NT:", TRUE);
        bool for9x = StrStartsWith(name, L":9x:", TRUE);
        if ((forNT && WinNT()) || (for9x && Win9x())) {
            name += 4;
        } else {
            dst[0] = 0;
            return FALSE;
        }
    }
    MakePath(dst, folder, name, ext, dstChars);
    return dst[0] != 0;
}

void ParsePath(wchar_t* folder, wchar_t* name, wchar_t* ext, const wchar_t* path)
{
    if (!path)
        path = L"";
    const wchar_t* fileName = FindNameExt(path);
    const wchar_t* dot = FindDotExt(path);
    if (folder) {
        textbuf::CopyCount(folder, MAX_PATH, path, static_cast<int>(fileName - path));
        RemoveBackSlash(folder);
    }
    if (name)
        textbuf::CopyCount(name, MAX_PATH, fileName, dot ? static_cast<int>(dot - fileName) : MAX_PATH);
    if (ext)
        textbuf::Copy(ext, MAX_PATH, dot ? dot : L"");
}

wchar_t* AppendBackSlash(wchar_t* p, int pChars)
{
    if (!p || pChars < 1)
        return p;
    size_t length = wcsnlen(p, static_cast<size_t>(pChars));
    if (!length || length == static_cast<size_t>(pChars))
        return p;
    if (!IsSep(p[length - 1]) && length + 2 <= static_cast<size_t>(pChars)) {
        p[length] = L'\\';
        p[length + 1] = 0;
    }
    return p;
}

wchar_t* RemoveBackSlash(wchar_t* p)
{
    if (!p || !*p)
        return p;
    size_t length = wcslen(p);
    if (IsSep(p[length - 1]) && !(length >= 2 && (IsSep(p[length - 2]) || p[length - 2] == L':')))
        p[length - 1] = 0;
    return p;
}

BOOL StripBackSlash(wchar_t* p)
{
    if (!p || !*p)
        return FALSE;
    size_t length = wcslen(p);
    if (!IsSep(p[length - 1]))
        return FALSE;
    p[length - 1] = 0;
    return TRUE;
}

wchar_t* StripFileName(wchar_t* p)
{
    if (p)
        *FindNameExt(p) = 0;
    return p;
}

wchar_t* StripFileExt(wchar_t* p)
{
    wchar_t* dot = FindDotExt(p);
    if (dot)
        *dot = 0;
    return p;
}

wchar_t* FindLastPathComponent(wchar_t* p)
{
    if (!p)
        return p;
    StripBackSlash(p);
    wchar_t* separator = FindLastSeparator(p);
    return separator ? separator + 1 : p;
}

const wchar_t* FindLastSeparator(const wchar_t* p)
{
    if (!p)
        return nullptr;
    const wchar_t* last = nullptr;
    for (; *p; ++p) {
        if (IsSep(*p))
            last = p;
    }
    return last;
}

const wchar_t* FindNameExt(const wchar_t* p)
{
    if (!p)
        return p;
    const wchar_t* name = p;
    for (; *p; ++p) {
        if (IsSep(*p) || *p == L':')
            name = p + 1;
    }
    return name;
}

const wchar_t* FindDotExt(const wchar_t* p)
{
    const wchar_t* name = FindNameExt(p);
    return name ? wcsrchr(name, L'.') : nullptr;
}

void ConvertSlashes(wchar_t* p)
{
    if (!p)
        return;
    for (; *p; ++p) {
        if (*p == L'/')
            *p = L'\\';
    }
}

// ---- Classifying ----

BOOL IsSubFolderOf(const wchar_t* sub, const wchar_t* folder)
{
    if (!sub || !folder || !*folder)
        return FALSE;
    size_t i = 0;
    for (; folder[i]; ++i) {
        wchar_t a = sub[i];
        wchar_t b = folder[i];
        if (IsSep(a) && IsSep(b))
            continue;
        if (!a || CharToUpper(a) != CharToUpper(b))
            return FALSE;
    }
    const wchar_t* rest = sub + i;
    if (!IsSep(folder[i - 1])) {
        if (!IsSep(*rest))
            return FALSE;  // folder is not a whole component of sub
    }
    while (IsSep(*rest))
        ++rest;
    return *rest != 0;
}

BOOL IsSamePath(const wchar_t* a, const wchar_t* b)
{
    if (!a || !b)
        return FALSE;
    PathCopy first(a);
    PathCopy second(b);
    if (!first.Get() || !second.Get())
        return FALSE;
    RemoveBackSlash(first.Get());
    RemoveBackSlash(second.Get());
    ConvertSlashes(first.Get());
    ConvertSlashes(second.Get());
    return EqualNoCase(first.Get(), second.Get());
}

BOOL IsValidFileName(const wchar_t* name)
{
    if (!name || !*name)
        return FALSE;
    for (; *name; ++name) {
        if (*name < 32 || wcschr(L"\\/:*?\"<>|", *name))
            return FALSE;
    }
    return TRUE;
}

BOOL IsMask(const wchar_t* p)
{
    return p && (wcschr(p, L'*') || wcschr(p, L'?'));
}

BOOL IsNetworkFolder(const wchar_t* p)
{
    return p && IsSep(p[0]) && IsSep(p[1]) && p[2];
}

BOOL IsRootFolder(const wchar_t* p, BOOL acceptUNC)
{
    if (!p || !*p)
        return FALSE;
    if (HasDrive(p))
        return !p[2] || (IsSep(p[2]) && !p[3]);
    if (IsSep(p[0]) && !p[1])
        return TRUE;
    if (!acceptUNC || !IsUncPath(p))
        return FALSE;
    size_t length = ShareRootLength(p);
    return !p[length] || (IsSep(p[length]) && !p[length + 1]);
}

BOOL IsDosFolder(const wchar_t* p)
{
    return HasDrive(p);
}

BOOL IsFtpFolder(const wchar_t* p)
{
    return p && StrStartsWith(p, L"ftp:", TRUE) && IsSep(p[4]) && IsSep(p[5]);
}

BOOL IsUncPath(const wchar_t* p)
{
    if (!ShareRootLength(p))
        return FALSE;
    // "\\?\" and "\\.\" name devices and long paths, not servers.
    return !((p[2] == L'?' || p[2] == L'.') && IsSep(p[3]));
}

int GetDriveFromPath(const wchar_t* p)
{
    if (!HasDrive(p))
        return -1;
    return CharToUpper(p[0]) - L'A';
}

UINT GetDriveTypeFromPath(const wchar_t* p)
{
    wchar_t root[MAX_PATH];
    if (!GetRootPath(root, p, MAX_PATH))
        return DRIVE_NO_ROOT_DIR;
    return GetDriveTypeW(root);
}

BOOL ExtractRootPath(wchar_t* root, const wchar_t* p, int rootChars)
{
    textbuf::Copy(root, rootChars, L"");
    if (!p || !root || rootChars < 1)
        return FALSE;
    if (HasDrive(p)) {
        wchar_t drive[4] = {static_cast<wchar_t>(CharToUpper(p[0])), L':', L'\\', 0};
        if (rootChars < 4)
            return FALSE;
        textbuf::Copy(root, rootChars, drive);
        return TRUE;
    }
    if (IsUncPath(p)) {
        size_t length = ShareRootLength(p);
        if (length + 2 > static_cast<size_t>(rootChars))
            return FALSE;
        textbuf::CopyCount(root, rootChars, p, static_cast<int>(length));
        ConvertSlashes(root);
        AppendBackSlash(root, rootChars);
        return TRUE;
    }
    return FALSE;
}

BOOL GetRootPath(wchar_t* root, const wchar_t* p, int rootChars)
{
    if (ExtractRootPath(root, p, rootChars))
        return TRUE;
    if (!p || !*p)
        return FALSE;
    wchar_t full[MAX_PATH];
    DWORD length = GetFullPathNameW(p, MAX_PATH, full, nullptr);
    return length && length < MAX_PATH && ExtractRootPath(root, full, rootChars);
}

// ---- Display forms ----

BOOL DosPathToShellPath(wchar_t* p)
{
    if (!p)
        return FALSE;
    if (!*p)
        return TRUE;
    ConvertSlashes(p);
    if (HasDrive(p) && IsRootFolder(p, FALSE)) {
        p[0] = CharToUpper(p[0]);
        return TRUE;
    }
    if (!ShortToLFN(p))
        return FALSE;
    size_t rootLength = 0;
    if (HasDrive(p))
        rootLength = IsSep(p[2]) ? 3 : 2;
    else if (IsUncPath(p))
        rootLength = ShareRootLength(p) + 1;
    else if (IsSep(p[0]))
        rootLength = 1;

    // From the last component towards the root, take the name as the directory stores it.
    size_t end = wcslen(p);
    while (end > rootLength && IsSep(p[end - 1]))
        --end;
    while (end > rootLength) {
        size_t start = end;
        while (start > rootLength && !IsSep(p[start - 1]))
            --start;
        wchar_t saved = p[end];
        p[end] = 0;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(p, &found);
        p[end] = saved;
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            // Only the letter case changes: a name that differs otherwise is left alone.
            if (CompareStringOrdinal(found.cFileName, -1, p + start, static_cast<int>(end - start), TRUE) == CSTR_EQUAL)
                wmemcpy(p + start, found.cFileName, end - start);
        }
        end = start;
        while (end > rootLength && IsSep(p[end - 1]))
            --end;
    }
    if (HasDrive(p))
        p[0] = CharToUpper(p[0]);
    return TRUE;
}

BOOL ConvertToShortPath(wchar_t* p, int size)
{
    if (!p || size < 1 || !*p)
        return FALSE;
    wchar_t shortPath[MAX_PATH];
    DWORD length = GetShortPathNameW(p, shortPath, MAX_PATH);
    if (!length || length >= MAX_PATH || length >= static_cast<DWORD>(size))
        return FALSE;
    wmemcpy(p, shortPath, length + 1);
    return TRUE;
}

BOOL ShortToLFN(wchar_t* p)
{
    if (!p || !*p)
        return FALSE;
    wchar_t longPath[MAX_PATH];
    DWORD length = GetLongPathNameW(p, longPath, MAX_PATH);
    if (!length || length >= MAX_PATH)
        return FALSE;
    wmemcpy(p, longPath, length + 1);
    return TRUE;
}

BOOL ConvertPathToLFN(const wchar_t* src, wchar_t* dst, int dstChars)
{
    if (!dst || dstChars < 1)
        return FALSE;
    wchar_t path[MAX_PATH];
    textbuf::Copy(path, MAX_PATH, src);
    BOOL converted = src && wcslen(src) < MAX_PATH && ShortToLFN(path);
    textbuf::Copy(dst, dstChars, converted ? path : src);
    return converted;
}

wchar_t* MakeNamePretty(wchar_t* p)
{
    wchar_t* name = FindNameExt(p);
    if (!name || !*name)
        return p;
    bool hasLetter = false;
    for (wchar_t* q = name; *q; ++q) {
        if (IsCharLowerW(*q))
            return p;
        hasLetter = hasLetter || IsCharAlphaW(*q);
    }
    if (!hasLetter)
        return p;
    StrToLower(name);
    for (wchar_t* q = name; *q; ++q) {
        if (IsCharAlphaW(*q)) {
            *q = CharToUpper(*q);
            break;
        }
    }
    return p;
}

// ---- Existence and creation ----

BOOL FileExists(const wchar_t* p)
{
    if (!p || !*p)
        return FALSE;
    DWORD attributes = GetFileAttributesW(p);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL FolderExists(const wchar_t* p)
{
    if (!p || !*p)
        return FALSE;
    DWORD attributes = GetFileAttributesW(p);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL FileOrFolderExists(const wchar_t* p)
{
    return p && *p && GetFileAttributesW(p) != INVALID_FILE_ATTRIBUTES;
}

BOOL CreateFolder(const wchar_t* p)
{
    if (!IsFullPathName(p))
        return FALSE;
    PathCopy path(p);
    if (!path.Get())
        return FALSE;
    wchar_t* text = path.Get();
    ConvertSlashes(text);
    RemoveBackSlash(text);
    size_t first = 0;  // where the first component that may need creating begins
    if (HasDrive(text))
        first = 3;
    else if (IsUncPath(text))
        first = ShareRootLength(text) + 1;
    else
        first = 1;
    size_t length = wcslen(text);
    if (first >= length)
        return FolderExists(text);

    CSWaitCursor wait;
    for (size_t i = first; i <= length; ++i) {
        if (text[i] != L'\\' && text[i] != 0)
            continue;
        if (i > 0 && text[i - 1] == L'\\')
            continue;  // doubled separator
        wchar_t saved = text[i];
        text[i] = 0;
        bool ok = FolderExists(text) || CreateDirectoryW(text, nullptr) || FolderExists(text);
        text[i] = saved;
        if (!ok)
            return FALSE;
    }
    return TRUE;
}

BOOL CreateFolderEx(HWND hwnd, const wchar_t* p)
{
    if (!p || !*p)
        return FALSE;
    int result = SHCreateDirectoryExW(hwnd, p, nullptr);
    return result == ERROR_SUCCESS || ((result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS) && FolderExists(p));
}

// ---- The executable and the product's files ----

BOOL GetLocalPathDir(wchar_t* path, wchar_t* dir, int size)
{
    textbuf::Copy(path, size, L"");
    textbuf::Copy(dir, size, L"");
    wchar_t module[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (!length || length >= MAX_PATH)
        return FALSE;
    textbuf::Copy(path, size, module);
    StripFileName(module);
    RemoveBackSlash(module);
    textbuf::Copy(dir, size, module);
    return TRUE;
}

BOOL GetModuleFNameExt(HMODULE module, wchar_t* buf, int bufChars)
{
    textbuf::Copy(buf, bufChars, L"");
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (!length || length >= MAX_PATH)
        return FALSE;
    textbuf::Copy(buf, bufChars, FindNameExt(path));
    return TRUE;
}

wchar_t* GetLocalFileName(wchar_t* buf, const wchar_t* name, HMODULE module)
{
    if (!buf)
        return buf;
    wchar_t moduleName[MAX_PATH];
    if (!name) {
        GetModuleFNameExt(module, moduleName, MAX_PATH);
        name = moduleName;
    }
    GetHomeDir(buf, MAX_PATH);
    MakePath(buf, buf, name, nullptr, MAX_PATH);
    return buf;
}

BOOL GetLocalFolder(wchar_t* buf)
{
    return GetHomeDir(buf, MAX_PATH);
}

wchar_t* GetLocalFileNameQuoted(wchar_t* buf, const wchar_t* name, HMODULE module)
{
    if (!buf)
        return buf;
    wchar_t path[MAX_PATH];
    GetLocalFileName(path, name, module);
    textbuf::Format(buf, MAX_PATH, L"\"%s\"", path);
    if (wcslen(buf) < wcslen(path) + 2)  // cut: an unclosed quote would mislead
        textbuf::Copy(buf, MAX_PATH, path);
    return buf;
}

BOOL LocalFileExists(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    return FileExists(GetLocalFileName(path, name));
}

BOOL GetSpecialFolderPath(HWND hwnd, int csidl, wchar_t* buf)
{
    if (!buf)
        return FALSE;
    buf[0] = 0;
    wchar_t path[MAX_PATH] = L"";
    if (!SHGetSpecialFolderPathW(hwnd, path, csidl, FALSE)) {
        return FALSE;
    }
    path[MAX_PATH - 1] = 0;
    textbuf::Copy(buf, MAX_PATH, path);
    return buf[0] != 0;
}

BOOL GetQuickLaunchFolderPath(HWND hwnd, BOOL allUsers, wchar_t* buf)
{
    if (!GetSpecialFolderPath(hwnd, allUsers ? CSIDL_COMMON_APPDATA : CSIDL_APPDATA, buf))
        return FALSE;
    MakePath(buf, buf, L"Microsoft\\Internet Explorer\\Quick Launch", nullptr, MAX_PATH);
    return TRUE;
}
