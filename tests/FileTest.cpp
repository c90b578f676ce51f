// Files and streams: text encodings, binary records, mapping, copies, walks and delayed deletion.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "sys/CSFile.h"
#include "sys/CSStreams.h"
#include "sys/FileUtil.h"
#include "tests/support/TestSupport.h"

using test::ReadFileBytes;

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { dir = test::NewTempDir(L"files"); }
    std::wstring Path(const wchar_t* name) const { return dir + L"\\" + name; }
    void Put(const wchar_t* name, const std::string& data) const { ASSERT_TRUE(test::WriteUtf8File(Path(name), data)); }
    bool Exists(const wchar_t* name) const { return CSFile::CanFind(Path(name).c_str()); }
    // Whether the system keeps a rename of the file for the next restart.
    bool IsPending(const wchar_t* name) const
    {
        std::vector<wchar_t> renames(32768, 0);
        DWORD size = static_cast<DWORD>(renames.size() * sizeof(wchar_t) - 4);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                         L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, renames.data(), &size))
            return false;
        std::replace(renames.begin(), renames.begin() + size / sizeof(wchar_t), L'\0', L'|');
        std::wstring all = renames.data(), path = Path(name) + L"|";
        CharUpperBuffW(&all[0], static_cast<DWORD>(all.size()));
        CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
        return all.find(path) != std::wstring::npos;
    }
    std::wstring dir;
};

} // namespace

TEST_F(FileTest, TextFilesByByteOrderMark)
{
    const std::pair<std::string, const wchar_t*> read[] = {
        {std::string("\xFE\xFF\x00\x41\x00\x42", 6), L"AB"}, {std::string("\xFF\xFE\x41\x00", 4), L"A"},
        {"\xEF\xBB\xBF\xC3\xA9t\xC3\xA9", L"\u00E9t\u00E9"}, {"plain", L"plain"},
    };
    for (const auto& r : read) {
        Put(L"t.txt", r.first);
        wchar_t* text = CSFile::ReadText(Path(L"t.txt").c_str());
        EXPECT_STREQ(text ? text : L"<null>", r.second);
        CSFile::FreeText(text);
    }
    Put(L"empty.txt", "");
    EXPECT_EQ(CSFile::ReadText(Path(L"empty.txt").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), 4306u);
    // The mark, the text without terminator, and the file cut after it.
    Put(L"out.txt", std::string(64, 'x'));
    const std::pair<CSFileTextFmt, std::string> written[] = {
        {TextFmtUnicode, std::string("\xFF\xFE\x41\x00\x42\x00", 6)}, {TextFmtUtf8, "\xEF\xBB\xBF" "AB"},
        {TextFmtUnicodeBE, std::string("\xFE\xFF\x00\x41\x00\x42", 6)}, {TextFmtAnsi, "AB"}};
    for (const auto& w : written) {
        ASSERT_TRUE(CSFile::WriteText(Path(L"out.txt").c_str(), L"AB", w.first));
        EXPECT_EQ(ReadFileBytes(Path(L"out.txt")), w.second) << w.first;
    }
}

TEST_F(FileTest, BinaryRecordsMappingAndCopies)
{
    {
        CSFile f(Path(L"bin.dat").c_str(), 1);
        EXPECT_TRUE(f.WriteStr(std::string(300, 'q').c_str()));  // the length byte keeps 300 & 0xFF
        EXPECT_TRUE(f.Write(static_cast<unsigned short>(0xBEEF)) && f.Write(-5) && f.WriteBin(nullptr, 0));
        EXPECT_TRUE(f.puts("a%d\n", 1) && f.puts("b\r\n"));
    }
    const std::string records = std::string("\x2C") + std::string(44, 'q') + "\xEF\xBE\xFB\xFF\xFF\xFF" "a1\r\nb\r\n";
    EXPECT_EQ(ReadFileBytes(Path(L"bin.dat")), records);
    CSFile f(Path(L"bin.dat").c_str(), 0);
    char str[256], rest[16];
    unsigned short word = 0;
    int number = 0;
    unsigned long got = 0;
    ASSERT_TRUE(f.ReadStr(str) && f.Read(word) && f.Read(number));
    EXPECT_TRUE(std::string(str) == std::string(44, 'q') && word == 0xBEEF && number == -5);
    EXPECT_TRUE(!f.ReadBin(rest, sizeof(rest), &got) && got == 7u);  // a short read fails and tells its count
    CSFile lines(Path(L"long.txt").c_str(), 1);  // formatted lines stop at 1023 bytes
    EXPECT_TRUE(lines.puts("%s", std::string(5000, 'z').c_str()) && lines.GetSize() == 1023u);

    // A view at an offset past the allocation granularity addresses that offset.
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    std::string data(2 * info.dwAllocationGranularity, '\0');
    std::iota(data.begin(), data.end(), '\0');
    Put(L"map.bin", data);
    const ULONGLONG offset = info.dwAllocationGranularity + 5;
    for (int write : {0, 1}) {
        CSFile mapped(Path(L"map.bin").c_str(), write);
        char* view = static_cast<char*>(mapped.OpenMap(offset, 4));
        ASSERT_NE(view, nullptr) << write;
        EXPECT_EQ(std::string(view, 4), data.substr(offset, 4));
        if (write)
            memcpy(view, "MARK", 4);
    }
    EXPECT_EQ(ReadFileBytes(Path(L"map.bin")).substr(offset, 4), "MARK");

    // Each step in order; a missing source: "create empty" keeps or creates the destination, else it goes.
    Put(L"src.txt", "new content");
    Put(L"empty.txt", "");
    Put(L"dst.txt", "old, longer content");
    std::wstring dst = Path(L"dst.txt"), src = Path(L"src.txt"), empty = Path(L"empty.txt"), none = Path(L"none.txt");
    struct { const std::wstring& from; unsigned flags; const char* result; } const steps[] = {
        {src, CSFile::CopyKeepExisting, "old, longer content"}, {src, 0, "new content"},
        {none, CSFile::CopyCreateEmpty, "new content"}, {none, 0, nullptr}, {none, CSFile::CopyCreateEmpty, ""},
        {src, 0, "new content"}, {empty, 0, ""},
    };
    for (const auto& step : steps) {
        EXPECT_TRUE(CSFile::Copy(dst.c_str(), step.from.c_str(), step.flags));
        EXPECT_EQ(Exists(L"dst.txt") ? ReadFileBytes(dst) : "-", step.result ? step.result : "-") << step.flags;
    }
}

TEST_F(FileTest, StreamsOverMemoryAndFiles)
{
    char block[8] = "abcdefg", buf[16] = {};
    CSMemStream mem(block, 8), empty(nullptr, 0);
    CSFile file(Path(L"stream.bin").c_str(), 1);
    CSFileStream fs(&file);
    void* same = nullptr;
    EXPECT_TRUE(mem.QueryInterface(IID_IStream, &same) == S_OK && same == &mem);
    EXPECT_EQ(mem.QueryInterface(IID_IPersist, &same), E_NOINTERFACE);
    ULONG done = 0;
    ULARGE_INTEGER at;
    auto seek = [&](IStream& s, LONGLONG to, DWORD origin) {
        LARGE_INTEGER move;
        move.QuadPart = to;
        return s.Seek(move, origin, &at);
    };
    EXPECT_EQ(seek(mem, 6, STREAM_SEEK_SET), S_OK);
    EXPECT_TRUE(mem.Read(buf, 10, &done) == S_OK && done == 2u);  // only what is left
    EXPECT_TRUE(seek(mem, -3, STREAM_SEEK_END) == S_OK && at.QuadPart == 5u);
    EXPECT_EQ(mem.Write("XYZW", 4, &done), E_INVALIDARG);  // the block never grows
    EXPECT_EQ(mem.Write("XY", 2, &done), S_OK);
    EXPECT_STREQ(block, "abcdeXY");
    EXPECT_TRUE(seek(mem, 8, STREAM_SEEK_SET) == E_INVALIDARG && seek(mem, 1, STREAM_SEEK_END) == E_INVALIDARG);
    EXPECT_TRUE(seek(empty, 0, STREAM_SEEK_SET) == E_INVALIDARG && seek(empty, 0, STREAM_SEEK_END) == S_OK);

    EXPECT_EQ(fs.Write("hello", 5, &done), S_OK);
    EXPECT_TRUE(seek(fs, 1, STREAM_SEEK_SET) == S_OK && at.QuadPart == 1u);
    EXPECT_TRUE(fs.Read(buf, 10, &done) == S_OK && std::string(buf, done) == "ello");
    EXPECT_EQ(seek(fs, 0x100000000LL, STREAM_SEEK_SET), E_NOTIMPL);
}

TEST_F(FileTest, FolderWalksAndDeletion)
{
    CreateDirectoryW(Path(L"sub").c_str(), nullptr);
    CreateDirectoryW(Path(L"sub\\deeper").c_str(), nullptr);
    Put(L"a.txt", "a");
    Put(L"sub\\b.txt", "b");
    Put(L"sub\\deeper\\c.log", "c");
    using Names = std::vector<std::wstring>;
    // The names the callback saw, sorted; it ends the walk after stopAfter of them (0: never).
    auto walk = [&](unsigned flags, const wchar_t* mask, size_t stopAfter = 0) {
        std::pair<Names, size_t> seen{{}, stopAfter};
        auto record = [](const wchar_t*, const WIN32_FIND_DATAW* entry, void* data) {
            auto* visit = static_cast<std::pair<Names, size_t>*>(data);
            visit->first.push_back(entry->cFileName);
            return static_cast<int>(visit->first.size() != visit->second);
        };
        EXPECT_TRUE(ForEachFileObject(flags, dir.c_str(), mask, record, &seen));
        std::sort(seen.first.begin(), seen.first.end());
        return seen.first;
    };
    EXPECT_EQ(walk(FileObjCall, nullptr), (Names{L"a.txt", L"sub"}));
    EXPECT_EQ(walk(FileObjCall | FileObjDots, nullptr), (Names{L".", L"..", L"a.txt", L"sub"}));
    EXPECT_EQ(walk(FileObjCall | FileObjRecurse | FileObjNoFolders, nullptr), (Names{L"a.txt", L"b.txt", L"c.log"}));
    EXPECT_EQ(walk(FileObjCallFirst | FileObjCall, L"*.txt"), (Names{L"a.txt", L"a.txt"}));
    EXPECT_EQ(walk(FileObjCall | FileObjRecurse | FileObjNoFolders, nullptr, 1).size(), 1u);  // 0 ends the walk
    Put(L"z.txt", "z");  // and ends the walks around it (in name order the second call is in "sub")
    EXPECT_EQ(walk(FileObjCall | FileObjRecurse | FileObjNoFolders | FileObjDelete, nullptr, 2).size(), 2u);
    EXPECT_TRUE(ForEachFileObject(FileObjCall, Path(L"missing").c_str(), nullptr, nullptr, nullptr));
    // Deleting every file of the tree leaves only the folders.
    EXPECT_TRUE(ForEachFileObject(FileObjDelete | FileObjRecurse, dir.c_str(), nullptr, nullptr, nullptr));
    EXPECT_TRUE(!Exists(L"sub\\deeper\\c.log") && !Exists(L"a.txt") && Exists(L"sub\\deeper"));

    // Nothing to delete and nothing forced: success, nothing scheduled.
    EXPECT_TRUE(DeleteFileDelayed(Path(L"missing.tmp").c_str(), 1, 0));
    EXPECT_FALSE(IsPending(L"missing.tmp"));
    Put(L"busy.tmp", "x");
    {
        CSFile holder(Path(L"busy.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING, 0);
        EXPECT_TRUE(IsFileInUse(Path(L"busy.tmp").c_str()) && IsAnyFileInUse(dir.c_str()));
        EXPECT_TRUE(DeleteFileDelayed(Path(L"busy.tmp").c_str(), 1, 0));  // in use: left for the next restart
    }
    EXPECT_TRUE(Exists(L"busy.tmp") && IsPending(L"busy.tmp"));
    EXPECT_FALSE(IsFileInUse(Path(L"busy.tmp").c_str()) || IsFileInUse(Path(L"missing.tmp").c_str()));
    Put(L"m1.del", "1");
    Put(L"m2.del", "2");
    EXPECT_TRUE(DeleteFileDelayed(Path(L"*.del").c_str(), 1, 0));  // a mask deletes each match now
    EXPECT_TRUE(!Exists(L"m1.del") && !Exists(L"m2.del") && Exists(L"busy.tmp"));
    EXPECT_TRUE(DeleteFolderDelayed(Path(L"sub\\deeper").c_str(), 1, 0) && !Exists(L"sub\\deeper"));
    EXPECT_TRUE(DeleteFolderDelayed(Path(L"sub\\deeper").c_str(), 1, 0));
    // The uninstall marker exists from the moment it is set, and goes at the restart.
    EXPECT_FALSE(GetSetPendingUinstall(dir.c_str(), 0));
    EXPECT_TRUE(GetSetPendingUinstall(dir.c_str(), 1) && IsPending(L"UninstallPendingReboot"));

}

TEST_F(FileTest, AttributesWritabilityAndWiping)
{
    const std::wstring path = Path(L"ro.txt");
    Put(L"ro.txt", "read only");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        CSFileAttrib writable(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // for this scope only
        EXPECT_TRUE(CSFile::WriteFile(path.c_str(), "new", 3));
    }
    EXPECT_TRUE((CSFile::GetAttrib(path.c_str()) & FILE_ATTRIBUTE_READONLY) && ReadFileBytes(path) == "new");
    EXPECT_TRUE(IsDirWritable(dir.c_str()) && !IsDirWritable(Path(L"missing").c_str()));
    WIN32_FIND_DATAW found;
    EXPECT_EQ(FindFirstFileW(Path(L"*.tmp").c_str(), &found), INVALID_HANDLE_VALUE);  // the probe is gone
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(CSFile::WipeDelete(path.c_str()) && !Exists(L"ro.txt") && !CSFile::WipeDelete(path.c_str()));
}
