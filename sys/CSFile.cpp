// CSFile: file handle ownership, binary and text I/O, mapping and the path helpers.
#include "sys/CSFile.h"

#include <winioctl.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "sys/CSBuf.h"
#include "sys/FileUtil.h"
#include "sys/TextCodec.h"

unsigned long CSFile::dwAllocationGranularity = 0;

CSFile::CSFile() : file(INVALID_HANDLE_VALUE), mapping(nullptr), view(nullptr), writable(0) {}

CSFile::CSFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) : CSFile()
{
    Open(path, access, share, disposition, flags);
}

CSFile::CSFile(const wchar_t* path, int write) : CSFile()
{
    Open(path, write);
}

CSFile::~CSFile()
{
    Close();
}

bool CSFile::Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    Close();
    if (!path)
        return false;
    file = CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
    writable = (access & GENERIC_WRITE) ? 1 : 0;
    return IsReady();
}

bool CSFile::Open(const wchar_t* path, int write)
{
    if (write)
        return Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    return Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

void CSFile::Close()
{
    CloseMap();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    writable = 0;
}

bool CSFile::ReadBin(void* buf, unsigned long n, unsigned long* done)
{
    DWORD got = 0;
    bool ok = n == 0 || (IsReady() && buf && ::ReadFile(file, buf, n, &got, nullptr) && got == n);
    if (done)
        *done = got;
    return ok;
}

bool CSFile::WriteBin(const void* buf, unsigned long n, unsigned long* done)
{
    DWORD put = 0;
    bool ok = n == 0 || (IsReady() && buf && ::WriteFile(file, buf, n, &put, nullptr) && put == n);
    if (done)
        *done = put;
    return ok;
}

bool CSFile::ReadStr(char* buf)
{
    unsigned char length = 0;
    if (!buf)
        return false;
    buf[0] = 0;
    if (!Read(length) || !ReadBin(buf, length))
        return false;
    buf[length] = 0;
    return true;
}

bool CSFile::WriteStr(const char* s)
{
    if (!s)
        s = "";
    size_t length = strnlen(s, 32767);
    // The record keeps only the low 8 bits of the length, and exactly that many bytes.
    unsigned char kept = static_cast<unsigned char>(length & 0xFF);
    return Write(kept) && WriteBin(s, kept);
}

bool CSFile::puts(const char* fmt, ...)
{
    char text[1024 + 2];
    va_list args;
    va_start(args, fmt);
    int n = vsnprintf(text, 1024, fmt ? fmt : "", args);
    va_end(args);
    if (n < 0)
        return false;
    size_t length = strnlen(text, 1023);
    if (length && text[length - 1] == '\n' && (length < 2 || text[length - 2] != '\r')) {
        text[length - 1] = '\r';
        text[length] = '\n';
        text[++length] = 0;
    }
    return WriteBin(text, static_cast<unsigned long>(length));
}

bool CSFile::CopyBinFrom(CSFile& src, void* buf, unsigned long n)
{
    return src.ReadBin(buf, n) && WriteBin(buf, n);
}

bool CSFile::MoveTo(long low, unsigned long origin, long high)
{
    LONG hi = high;
    DWORD pos = SetFilePointer(file, low, &hi, origin);
    return !(pos == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool CSFile::MoveTo64(LONGLONG pos, unsigned long origin)
{
    LARGE_INTEGER to;
    to.QuadPart = pos;
    return SetFilePointerEx(file, to, nullptr, origin) != FALSE;
}

LONGLONG CSFile::GetFilePos64()
{
    LARGE_INTEGER zero = {}, pos = {};
    return SetFilePointerEx(file, zero, &pos, FILE_CURRENT) ? pos.QuadPart : -1;
}

bool CSFile::SetEndOfFile()
{
    return ::SetEndOfFile(file) != FALSE;
}

unsigned long CSFile::GetSize(unsigned long* high)
{
    LARGE_INTEGER size = {};
    if (!IsReady() || !GetFileSizeEx(file, &size))
        size.QuadPart = 0;
    if (high)
        *high = static_cast<unsigned long>(size.HighPart);
    return size.LowPart;
}

ULONGLONG CSFile::GetSize64()
{
    LARGE_INTEGER size = {};
    return IsReady() && GetFileSizeEx(file, &size) ? static_cast<ULONGLONG>(size.QuadPart) : 0;
}

bool CSFile::SetTime(const FILETIME* created, const FILETIME* accessed, const FILETIME* written)
{
    return SetFileTime(file, created, accessed, written) != FALSE;
}

bool CSFile::SetCompression(int format)
{
    USHORT value = static_cast<USHORT>(format);
    DWORD returned = 0;
    return DeviceIoControl(file, FSCTL_SET_COMPRESSION, &value, sizeof(value), nullptr, 0, &returned, nullptr) !=
           FALSE;
}

void* CSFile::OpenMap(ULONGLONG offset, unsigned long size, unsigned long sizeHigh)
{
    CloseMap();
    if (!IsReady())
        return nullptr;
    if (!dwAllocationGranularity) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        dwAllocationGranularity = info.dwAllocationGranularity;
    }
    // The mapping must reach the end of the requested view, which starts at offset.
    ULONGLONG length64 = (static_cast<ULONGLONG>(sizeHigh) << 32) | size;
    ULONGLONG maximum = length64 ? offset + length64 : 0;
    mapping = CreateFileMappingW(file, nullptr, writable ? PAGE_READWRITE : PAGE_READONLY,
                                 static_cast<DWORD>(maximum >> 32), static_cast<DWORD>(maximum), nullptr);
    if (!mapping)
        return nullptr;
    // Views start on the allocation granularity: map from below and hand out the inner pointer.
    ULONGLONG start = offset - offset % dwAllocationGranularity;
    SIZE_T delta = static_cast<SIZE_T>(offset - start);
    SIZE_T length = size ? size + delta : 0;
    view = MapViewOfFile(mapping, writable ? FILE_MAP_ALL_ACCESS : FILE_MAP_READ, static_cast<DWORD>(start >> 32),
                         static_cast<DWORD>(start), length);
    if (!view) {
        CloseHandle(mapping);
        mapping = nullptr;
        return nullptr;
    }
    return static_cast<BYTE*>(view) + delta;
}

void CSFile::CloseMap()
{
    if (view)
        UnmapViewOfFile(view);
    view = nullptr;
    if (mapping)
        CloseHandle(mapping);
    mapping = nullptr;
}

bool CSFile::GetInfo(const wchar_t* path, WIN32_FIND_DATAW* info)
{
    if (!path || !info)
        return false;
    HANDLE find = FindFirstFileW(path, info);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    return true;
}

unsigned long CSFile::GetSize(const wchar_t* path, unsigned long* high)
{
    WIN32_FIND_DATAW info;
    bool found = GetInfo(path, &info);
    if (high)
        *high = found ? info.nFileSizeHigh : 0;
    return found ? info.nFileSizeLow : 0;
}

ULONGLONG CSFile::GetSize64(const wchar_t* path)
{
    WIN32_FIND_DATAW info;
    return GetInfo(path, &info) ? (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow : 0;
}

bool CSFile::GetTime(const wchar_t* path, FILETIME* created, FILETIME* accessed, FILETIME* written)
{
    WIN32_FIND_DATAW info;
    if (!GetInfo(path, &info))
        return false;
    if (created)
        *created = info.ftCreationTime;
    if (accessed)
        *accessed = info.ftLastAccessTime;
    if (written)
        *written = info.ftLastWriteTime;
    return true;
}

bool CSFile::SetTime(const wchar_t* path, const FILETIME* created, const FILETIME* accessed, const FILETIME* written)
{
    CSFile f(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    return f.IsReady() && f.SetTime(created, accessed, written);
}

DWORD CSFile::GetAttrib(const wchar_t* path)
{
    return path ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
}

bool CSFile::CanFind(const wchar_t* path)
{
    if (!path || !*path)
        return false;
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return true;
    DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool CSFile::Delete(const wchar_t* path)
{
    return path && DeleteFileW(path);
}

bool CSFile::Copy(const wchar_t* dst, const wchar_t* src, unsigned flags)
{
    if (!dst || !src)
        return false;
    if ((flags & CopyKeepExisting) && CanFind(dst))
        return true;
    if (!CanFind(src)) {
        if (flags & CopyCreateEmpty) {
            if (CanFind(dst))
                return true;
            CSFile empty(dst, 1);
            return empty.IsReady();
        }
        return CanFind(dst) ? Delete(dst) : true;
    }
    CSFile in(src, 0);
    if (!in.IsReady())
        return false;
    unsigned long size = in.GetSize();
    CSBuf data(size);
    if (size && !data.IsReady())
        return false;
    if (!in.ReadBin(data, size))
        return false;
    CSFile out(dst, 1);
    return out.IsReady() && out.WriteBin(data, size) && out.SetEndOfFile();
}

bool CSFile::WipeDelete(const wchar_t* path, WipeMethod)
{
    const unsigned long block = 131072;
    {
        // Only an existing file is wiped: opening for writing must not create one.
        CSFile f(path, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
        if (!f.IsReady())
            return false;
        ULONGLONG left = CSFile::GetSize64(path);
        CSBuf zeros(block);
        if (!zeros.IsReady())
            return false;
        while (left) {
            unsigned long n = left < block ? static_cast<unsigned long>(left) : block;
            if (!f.WriteBin(zeros, n))
                return false;
            left -= n;
        }
        FlushFileBuffers(f.GetHandle());
    }
    return Delete(path);
}

bool CSFile::ReadFile(const wchar_t* path, void* buf, unsigned long n)
{
    CSFile f(path, 0);
    return f.IsReady() && f.ReadBin(buf, n);
}

bool CSFile::WriteFile(const wchar_t* path, const void* buf, unsigned long n)
{
    CSFile f(path, 1);
    return f.IsReady() && f.WriteBin(buf, n) && f.SetEndOfFile();
}

wchar_t* CSFile::ReadText(const wchar_t* path)
{
    CSFile f(path, 0);
    if (!f.IsReady())
        return nullptr;
    unsigned long high = 0;
    unsigned long size = f.GetSize(&high);
    if (high || size > 0x7FFFFFF0u) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (!size) {
        SetLastError(ERROR_EMPTY);  // nothing to read is not a text
        return nullptr;
    }
    // Two zero bytes after the data terminate it in either width.
    CSBuf data(size + 2);
    if (!data.IsReady()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (!f.ReadBin(data, size))
        return nullptr;
    unsigned char* bytes = data;
    wchar_t* text = nullptr;
    if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        if (bytes[0] == 0xFE)
            ReverseUnicodeBytes(bytes, size & ~1ul);
        size_t units = (size - 2) / 2;
        text = new (std::nothrow) wchar_t[units + 1];
        if (text) {
            std::memcpy(text, bytes + 2, units * sizeof(wchar_t));
            text[units] = 0;
        }
    } else if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        text = NarrowToWide(CP_UTF8, reinterpret_cast<const char*>(bytes + 3), static_cast<int>(size - 3));
    } else {
        text = NarrowToWide(LibraryCodePage(), reinterpret_cast<const char*>(bytes), static_cast<int>(size));
    }
    if (!text)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return text;
}

void CSFile::FreeText(wchar_t* text)
{
    delete[] text;
}

bool CSFile::WriteText(const wchar_t* path, const wchar_t* text, CSFileTextFmt fmt)
{
    if (!text)
        text = L"";
    CSFile f(path, 1);
    if (!f.IsReady())
        return false;
    size_t units = wcslen(text);
    bool ok = false;
    switch (fmt) {
    case TextFmtUnicode:
    case TextFmtUnicodeBE: {
        CSBuf data(static_cast<unsigned>((units + 1) * sizeof(wchar_t)));
        if (!data.IsReady())
            return false;
        wchar_t* out = data;
        out[0] = 0xFEFF;
        std::memcpy(out + 1, text, units * sizeof(wchar_t));
        unsigned long bytes = static_cast<unsigned long>((units + 1) * sizeof(wchar_t));
        if (fmt == TextFmtUnicodeBE)
            ReverseUnicodeBytes(data, bytes);
        ok = f.WriteBin(data, bytes);
        break;
    }
    case TextFmtUtf8:
    case TextFmtAnsi: {
        static const unsigned char mark[3] = {0xEF, 0xBB, 0xBF};
        UINT codePage = fmt == TextFmtUtf8 ? CP_UTF8 : LibraryCodePage();
        int bytes = units ? WideCharToMultiByte(codePage, 0, text, static_cast<int>(units), nullptr, 0, nullptr, nullptr) : 0;
        CSBuf data(static_cast<unsigned>(bytes) + 1);
        if (!data.IsReady())
            return false;
        if (bytes)
            WideCharToMultiByte(codePage, 0, text, static_cast<int>(units), data, bytes, nullptr, nullptr);
        ok = (fmt != TextFmtUtf8 || f.WriteBin(mark, sizeof(mark))) && f.WriteBin(data, static_cast<unsigned long>(bytes));
        break;
    }
    default:
        ok = true;
        break;
    }
    if (!ok) {
        SetLastError(ERROR_WRITE_FAULT);
        return false;
    }
    return f.SetEndOfFile();
}

CSFileAttrib::CSFileAttrib(const wchar_t* filePath, DWORD newAttributes)
    : path(filePath), attributes(CSFile::GetAttrib(filePath))
{
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(path, newAttributes);
}

CSFileAttrib::~CSFileAttrib()
{
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(path, attributes);
}
