// Free file-system functions: deletion now or at restart, folder walks, volume queries.
#include "sys/FileUtil.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "sys/CSFile.h"
#include "sys/SysInfo.h"
#include "sys/TextCodec.h"

namespace {

std::wstring Join(const wchar_t* folder, const wchar_t* name)
{
    std::wstring path = folder ? folder : L"";
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        path += L'\\';
    return path + name;
}

bool IsMask(const wchar_t* path)
{
    return wcspbrk(path, L"*?") != nullptr;
}

bool Win95Family()
{
    return (GetVersion() & 0x80000000u) != 0;
}

bool IsFolder(const wchar_t* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The short form of a path that exists, the path itself otherwise, in single-byte text.
std::string ShortPathText(const wchar_t* path)
{
    wchar_t shortPath[MAX_PATH];
    DWORD n = GetShortPathNameW(path, shortPath, MAX_PATH);
    const wchar_t* use = (n && n < MAX_PATH) ? shortPath : path;
    int bytes = WideCharToMultiByte(LibraryCodePage(), 0, use, -1, nullptr, 0, nullptr, nullptr);
    std::string text(bytes > 0 ? static_cast<size_t>(bytes) : 1, '\0');
    if (bytes > 0)
        WideCharToMultiByte(LibraryCodePage(), 0, use, -1, &text[0], bytes, nullptr, nullptr);
    text.resize(strlen(text.c_str()));
    return text;
}

struct InUseWalk {
    bool found = false;
};

int FindInUse(const wchar_t* folder, const WIN32_FIND_DATAW* entry, void* data)
{
    if (entry->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return 1;
    if (IsFileInUse(Join(folder, entry->cFileName).c_str())) {
        static_cast<InUseWalk*>(data)->found = true;
        return 0;
    }
    return 1;
}

struct DelayedDelete {
    int tryNow;
    int force;
    bool failed = false;
};

int DeleteMatch(const wchar_t* folder, const WIN32_FIND_DATAW* entry, void* data)
{
    auto* job = static_cast<DelayedDelete*>(data);
    if (!(entry->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !DeleteFileDelayed(Join(folder, entry->cFileName).c_str(), job->tryNow, job->force))
        job->failed = true;
    return 1;
}

} // namespace

void ReverseUnicodeBytes(void* buf, unsigned long bytes)
{
    BYTE* p = static_cast<BYTE*>(buf);
    for (unsigned long i = 0; p && i + 1 < bytes; i += 2) {
        BYTE b = p[i];
        p[i] = p[i + 1];
        p[i + 1] = b;
    }
}

bool IsFileInUse(const wchar_t* path)
{
    if (!path || !CSFile::CanFind(path))
        return false;
    CSFile f(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    return !f.IsReady();
}

bool IsAnyFileInUse(const wchar_t* folder)
{
    InUseWalk walk;
    ForEachFileObject(FileObjCallFirst | FileObjNoFolders | FileObjRecurse, folder, nullptr, FindInUse, &walk);
    return walk.found;
}

bool AppendWininitRename(const wchar_t* iniPath, const wchar_t* src, const wchar_t* dst)
{
    CSFile ini(iniPath, 1);
    if (!ini.IsReady() || !ini.MoveToEnd())
        return false;
    if (ini.GetSize() == 0 && !ini.puts("[rename]\r\n"))
        return false;
    std::string to = dst ? ShortPathText(dst) : std::string("NUL");
    std::string from = ShortPathText(src);
    // One line, cut at the formatting limit rather than split.
    return ini.puts("%s=%s\r\n", to.c_str(), from.c_str());
}

bool MyMoveFileEx(const wchar_t* src, const wchar_t* dst, DWORD flags)
{
    if (!src)
        return false;
    if (Win95Family() && (flags & MOVEFILE_DELAY_UNTIL_REBOOT)) {
        wchar_t ini[MAX_PATH];
        UINT n = GetWindowsDirectoryW(ini, MAX_PATH - 14);
        if (!n || n >= MAX_PATH - 14)
            return false;
        wcscat(ini, L"\\WININIT.INI");
        return AppendWininitRename(ini, src, dst);
    }
    return MoveFileExW(src, dst, flags) != FALSE;
}

bool DeleteFileDelayed(const wchar_t* path, int tryNow, int force)
{
    if (!path || !*path)
        return false;
    if (!IsMask(path) && CSFile::CanFind(path)) {
        if (tryNow && !IsFileInUse(path)) {
            DeleteFileW(path);
            if (!CSFile::CanFind(path))
                return true;
        }
        return MyMoveFileEx(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    if (IsMask(path)) {
        std::wstring folder = path;
        size_t slash = folder.find_last_of(L"\\/");
        std::wstring mask = slash == std::wstring::npos ? folder : folder.substr(slash + 1);
        folder = slash == std::wstring::npos ? L"." : folder.substr(0, slash);
        DelayedDelete job{tryNow, force};
        bool walked = ForEachFileObject(FileObjCallFirst | FileObjNoFolders, folder.c_str(), mask.c_str(),
                                        DeleteMatch, &job);
        return walked && !job.failed;
    }
    return force ? MyMoveFileEx(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) : true;
}

bool DeleteFolderDelayed(const wchar_t* path, int tryNow, int force)
{
    if (!path || !*path)
        return false;
    if (IsFolder(path)) {
        if (tryNow && RemoveDirectoryW(path) && !CSFile::CanFind(path))
            return true;
        return MyMoveFileEx(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    return force ? MyMoveFileEx(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) : true;
}

bool GetSetPendingUinstall(const wchar_t* folder, int set)
{
    std::wstring marker = Join(folder, L"UninstallPendingReboot");
    if (set && !CSFile::CanFind(marker.c_str())) {
        CSFile create(marker.c_str(), 1);
        if (create.IsReady()) {
            create.Close();
            MyMoveFileEx(marker.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
    }
    return CSFile::CanFind(marker.c_str());
}

namespace {

// One folder of the walk; stopped is set when a callback ended it, which ends every walk above.
bool WalkFolder(unsigned flags, const wchar_t* folder, const wchar_t* mask, FileObjCallback callback, void* data,
                bool& stopped)
{
    std::wstring pattern = Join(folder, mask && *mask ? mask : L"*.*");
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(pattern.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return true;
    bool ok = true;
    do {
        bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool dots = wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0;
        if (dots && !(flags & FileObjDots))
            continue;
        bool callsFolder = !(isFolder && (flags & FileObjNoFolders));
        if ((flags & FileObjCallFirst) && callsFolder && callback && !callback(folder, &entry, data))
            stopped = true;
        else if ((flags & FileObjRecurse) && isFolder && !dots &&
                 !WalkFolder(flags, Join(folder, entry.cFileName).c_str(), mask, callback, data, stopped))
            ok = false;
        if (stopped)
            break;
        if (callsFolder) {
            if ((flags & FileObjCall) && callback && !callback(folder, &entry, data)) {
                stopped = true;
                break;
            }
            if ((flags & FileObjDelete) && !isFolder && !DeleteFileW(Join(folder, entry.cFileName).c_str()))
                ok = false;
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return ok;
}

} // namespace

bool ForEachFileObject(unsigned flags, const wchar_t* folder, const wchar_t* mask, FileObjCallback callback,
                       void* data)
{
    bool stopped = false;
    return !folder || WalkFolder(flags, folder, mask, callback, data, stopped);
}

bool GetFileSysName(const wchar_t* path, wchar_t* buf, unsigned bufChars)
{
    if (!buf || !bufChars)
        return false;
    buf[0] = 0;
    wchar_t root[MAX_PATH];
    wchar_t name[MAX_PATH + 1] = {};
    if (!path || !GetVolumePathNameW(path, root, MAX_PATH) ||
        !GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1))
        return false;
    wcsncpy(buf, name, bufChars - 1);
    buf[bufChars - 1] = 0;
    return true;
}

ULONGLONG GetMaxFileSize(const wchar_t* path)
{
    wchar_t root[MAX_PATH];
    DWORD flags = 0;
    if (!path || !GetVolumePathNameW(path, root, MAX_PATH) ||
        !GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        return 0;
    return (flags & FS_PERSISTENT_ACLS) ? 0xFFFFFFF0000ull : 0xFFFFFFFFull;
}

bool IsFileSysUNC(const wchar_t* fsName)
{
    if (!fsName || wcsstr(fsName, L"FAT"))
        return false;
    // File systems that keep long Unicode names; anything unknown is not counted on.
    for (const wchar_t* known : {L"NTFS", L"HPFS", L"OWFS", L"ReFS", L"UDF"}) {
        if (_wcsicmp(fsName, known) == 0)
            return true;
    }
    return false;
}

bool IsDirWritable(const wchar_t* folder)
{
    if (!folder || !IsFolder(folder))
        return false;
    // The seconds since 1995-12-26, as the library counts time, name a file unlikely to exist;
    // a file that does exist is never touched: the next number is tried instead.
    long now = static_cast<long>(GetCurTime() % 100000000UL);
    for (int attempt = 0; attempt < 16; ++attempt) {
        wchar_t name[16];
        swprintf(name, 16, L"%08ld.tmp", (now + attempt) % 100000000L);
        std::wstring path = Join(folder, name);
        bool written = false;
        {
            CSFile probe(path.c_str(), GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY);
            if (!probe.IsReady()) {
                if (GetLastError() == ERROR_FILE_EXISTS)
                    continue;
                return false;
            }
            written = probe.Write(static_cast<unsigned long>(0x12345678));
        }
        DeleteFileW(path.c_str());
        return written;
    }
    return false;
}
