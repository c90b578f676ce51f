// CSFile: the owning wrapper of a file handle, with binary and text I/O, mapping and helpers.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// Encodings of text files.
enum CSFileTextFmt {
    TextFmtAnsi = 0,       // the library's code page, no byte-order mark
    TextFmtUnicode = 1,    // UTF-16 little-endian, mark FF FE
    TextFmtUnicodeBE = 2,  // UTF-16 big-endian, mark FE FF
    TextFmtUtf8 = 3,       // UTF-8, mark EF BB BF
};

enum WipeMethod { WipeZero = 0 };

class GLMBX_API CSFile {
public:
    CSFile();
    CSFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
    CSFile(const wchar_t* path, int write);
    ~CSFile();
    CSFile(const CSFile&) = delete;
    CSFile& operator=(const CSFile&) = delete;

    // CreateFileW with these values; true when the file is open.
    bool Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
    // Write: read/write, unshared, opened or created. Read: shared for reading, existing only.
    bool Open(const wchar_t* path, int write);
    void Close();
    bool IsReady() const { return file != INVALID_HANDLE_VALUE; }
    HANDLE GetHandle() const { return file; }

    // True only when all n bytes were transferred (n = 0 is true at once); done gets the count.
    bool ReadBin(void* buf, unsigned long n, unsigned long* done = nullptr);
    bool WriteBin(const void* buf, unsigned long n, unsigned long* done = nullptr);

    bool Read(unsigned char& v) { return ReadBin(&v, sizeof(v)); }
    bool Read(unsigned short& v) { return ReadBin(&v, sizeof(v)); }
    bool Read(int& v) { return ReadBin(&v, sizeof(v)); }
    bool Read(unsigned int& v) { return ReadBin(&v, sizeof(v)); }
    bool Read(long& v) { return ReadBin(&v, sizeof(v)); }
    bool Read(unsigned long& v) { return ReadBin(&v, sizeof(v)); }
    bool Write(unsigned char v) { return WriteBin(&v, sizeof(v)); }
    bool Write(unsigned short v) { return WriteBin(&v, sizeof(v)); }
    bool Write(int v) { return WriteBin(&v, sizeof(v)); }
    bool Write(unsigned int v) { return WriteBin(&v, sizeof(v)); }
    bool Write(long v) { return WriteBin(&v, sizeof(v)); }
    bool Write(unsigned long v) { return WriteBin(&v, sizeof(v)); }

    // A short string record: one length byte, then that many bytes. buf takes 256 bytes.
    bool ReadStr(char* buf);
    bool WriteStr(const char* s);
    // Single-byte text of at most 1024 bytes; a bare final line feed becomes CR LF.
    bool puts(const char* fmt, ...);
    bool CopyBinFrom(CSFile& src, void* buf, unsigned long n);

    bool MoveTo(long low, unsigned long origin = FILE_BEGIN, long high = 0);
    bool MoveTo64(LONGLONG pos, unsigned long origin = FILE_BEGIN);
    bool MoveToEnd() { return MoveTo(0, FILE_END); }
    bool Skip(int bytes) { return MoveTo(bytes, FILE_CURRENT); }
    LONGLONG GetFilePos64();
    bool SetEndOfFile();

    // 0 on failure.
    unsigned long GetSize(unsigned long* high = nullptr);
    ULONGLONG GetSize64();
    bool SetTime(const FILETIME* created, const FILETIME* accessed, const FILETIME* written);
    bool SetCompression(int format);

    // The returned pointer addresses offset; null when the view cannot be mapped.
    void* OpenMap(ULONGLONG offset = 0, unsigned long size = 0, unsigned long sizeHigh = 0);
    void CloseMap();

    static bool GetInfo(const wchar_t* path, WIN32_FIND_DATAW* info);
    static unsigned long GetSize(const wchar_t* path, unsigned long* high);
    static ULONGLONG GetSize64(const wchar_t* path);
    static bool GetTime(const wchar_t* path, FILETIME* created, FILETIME* accessed, FILETIME* written);
    static bool SetTime(const wchar_t* path, const FILETIME* created, const FILETIME* accessed,
                        const FILETIME* written);
    static DWORD GetAttrib(const wchar_t* path);
    // False only when the system says the file is not there.
    static bool CanFind(const wchar_t* path);
    static bool Delete(const wchar_t* path);
    enum { CopyKeepExisting = 1, CopyCreateEmpty = 2 };
    static bool Copy(const wchar_t* dst, const wchar_t* src, unsigned flags);
    static bool WipeDelete(const wchar_t* path, WipeMethod method = WipeZero);
    static bool ReadFile(const wchar_t* path, void* buf, unsigned long n);
    static bool WriteFile(const wchar_t* path, const void* buf, unsigned long n);
    // A new string (free it with FreeText), or null: 4306 for an empty file, 8 for no memory.
    static wchar_t* ReadText(const wchar_t* path);
    static void FreeText(wchar_t* text);
    static bool WriteText(const wchar_t* path, const wchar_t* text, CSFileTextFmt fmt);

    static unsigned long dwAllocationGranularity;

private:
    HANDLE file;
    HANDLE mapping;
    void* view;
    int writable;
};

// Makes a file writable (or anything else) for a scope and puts its attributes back after.
class GLMBX_API CSFileAttrib {
public:
    CSFileAttrib(const wchar_t* path, DWORD newAttributes);
    ~CSFileAttrib();
    CSFileAttrib(const CSFileAttrib&) = delete;
    CSFileAttrib& operator=(const CSFileAttrib&) = delete;

private:
    const wchar_t* path;
    DWORD attributes;  // INVALID_FILE_ATTRIBUTES when the file did not exist
};
