// Files and streams: text encodings, binary records, mapping, copies, walks and delayed deletion.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sys/CSFile.h"
#include "sys/CSStreams.h"
#include "sys/FileUtil.h"
#include "tests/support/TestSupport.h"

namespace {

std::string Bytes(const std::wstring& path)
{
    return test::ReadFileBytes(path);
}

void Put(const std::wstring& path, const std::string& bytes)
{
    ASSERT_TRUE(test::WriteUtf8File(path, bytes));
}

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { dir = test::NewTempDir(L"files"); }
    std::wstring Path(const wchar_t* name) const { return dir + L"\\" + name; }
    std::wstring dir;
};

// The pending renames the system keeps for the next restart, as one text per entry.
std::vector<std::wstring> PendingRenames()
{
    std::vector<std::wstring> entries;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key))
        return entries;
    DWORD type = 0, size = 0;
    if (!RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, nullptr, &size) && size) {
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, 0);
        RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        for (const wchar_t* p = data.data(); p < data.data() + size / sizeof(wchar_t); p += wcslen(p) + 1)
            entries.push_back(p);
    }
    RegCloseKey(key);
    return entries;
}

bool IsPending(const std::wstring& path)
{
    for (const std::wstring& entry : PendingRenames()) {
        if (entry.size() >= path.size() && _wcsicmp(entry.c_str() + entry.size() - path.size(), path.c_str()) == 0)
            return true;
    }
    return false;
}

} // namespace

TEST_F(FileTest, TextFilesByByteOrderMark)
{
    struct Case {
        std::string bytes;
        const wchar_t* text;
    } cases[] = {
        {std::string("\xFE\xFF\x00\x41\x00\x42", 6), L"AB"},
        {std::string("\xFF\xFE\x41\x00\x42\x00", 6), L"AB"},
        {"\xEF\xBB\xBF\x41", L"A"},
        {"\xEF\xBB\xBF\xC3\xA9t\xC3\xA9", L"\u00E9t\u00E9"},
        {"plain", L"plain"},
    };
    for (const Case& c : cases) {
        Put(Path(L"t.txt"), c.bytes);
        wchar_t* text = CSFile::ReadText(Path(L"t.txt").c_str());
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, c.text);
        CSFile::FreeText(text);
    }
    Put(Path(L"empty.txt"), "");
    SetLastError(0);
    EXPECT_EQ(CSFile::ReadText(Path(L"empty.txt").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), 4306u);
    EXPECT_EQ(CSFile::ReadText(Path(L"missing.txt").c_str()), nullptr);

    // Writing: the mark, the text without terminator, and the file cut after it.
    std::wstring out = Path(L"out.txt");
    Put(out, std::string(64, 'x'));
    const std::pair<CSFileTextFmt, std::string> written[] = {
        {TextFmtUnicode, std::string("\xFF\xFE\x41\x00\x42\x00", 6)},
        {TextFmtUnicodeBE, std::string("\xFE\xFF\x00\x41\x00\x42", 6)},
        {TextFmtUtf8, "\xEF\xBB\xBF" "AB"}, {TextFmtAnsi, "AB"}};
    for (const auto& w : written) {
        ASSERT_TRUE(CSFile::WriteText(out.c_str(), L"AB", w.first));
        EXPECT_EQ(Bytes(out), w.second) << w.first;
    }

    // Every Unicode format gives back what was written.
    const wchar_t* sample = L"Gr\u00FC\u00DFe \u65E5\u672C\r\nline two";
    for (CSFileTextFmt fmt : {TextFmtUnicode, TextFmtUnicodeBE, TextFmtUtf8}) {
        ASSERT_TRUE(CSFile::WriteText(out.c_str(), sample, fmt));
        wchar_t* back = CSFile::ReadText(out.c_str());
        ASSERT_NE(back, nullptr);
        EXPECT_STREQ(back, sample) << fmt;
        CSFile::FreeText(back);
    }
}

TEST_F(FileTest, BinaryRecordsAndFormattedLines)
{
    std::wstring path = Path(L"bin.dat");
    {
        CSFile f(path.c_str(), 1);
        ASSERT_TRUE(f.IsReady());
        EXPECT_TRUE(f.WriteStr(std::string(300, 'q').c_str()));  // the length byte keeps 300 & 0xFF
        EXPECT_TRUE(f.Write(static_cast<unsigned short>(0xBEEF)));
        EXPECT_TRUE(f.Write(-5));
        EXPECT_TRUE(f.puts("a%d\n", 1));
        EXPECT_TRUE(f.puts("b\r\n"));
        EXPECT_TRUE(f.WriteBin(nullptr, 0));
    }
    std::string bytes = Bytes(path);
    ASSERT_EQ(bytes.size(), 1u + 44 + 2 + 4 + 4 + 3);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 44);
    EXPECT_EQ(bytes.substr(51), "a1\r\nb\r\n");

    CSFile f(path.c_str(), 0);
    char str[256];
    unsigned short word = 0;
    int number = 0;
    ASSERT_TRUE(f.ReadStr(str));
    EXPECT_EQ(std::string(str), std::string(44, 'q'));
    ASSERT_TRUE(f.Read(word));
    ASSERT_TRUE(f.Read(number));
    EXPECT_EQ(word, 0xBEEF);
    EXPECT_EQ(number, -5);
    char rest[16];
    unsigned long got = 0;
    EXPECT_FALSE(f.ReadBin(rest, sizeof(rest), &got));  // a short read is a failure with its count
    EXPECT_EQ(got, 7u);
    EXPECT_EQ(f.GetSize(), bytes.size());
    EXPECT_TRUE(f.MoveTo(1));
    EXPECT_EQ(f.GetFilePos64(), 1);

    // Formatted lines stop at 1023 bytes.
    CSFile g(Path(L"long.txt").c_str(), 1);
    EXPECT_TRUE(g.puts("%s", std::string(5000, 'z').c_str()));
    EXPECT_EQ(g.GetSize(), 1023u);
}

TEST_F(FileTest, MappingAddressesTheOffset)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    std::string data(3 * info.dwAllocationGranularity, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    std::wstring path = Path(L"map.bin");
    Put(path, data);

    ULONGLONG offset = info.dwAllocationGranularity + 5;
    {
        CSFile reader(path.c_str(), 0);
        const char* view = static_cast<const char*>(reader.OpenMap(offset, 10));
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(std::string(view, 10), data.substr(offset, 10));
    }
    {
        CSFile writer(path.c_str(), 1);
        char* view = static_cast<char*>(writer.OpenMap(offset, 4));
        ASSERT_NE(view, nullptr);
        memcpy(view, "MARK", 4);
        writer.CloseMap();
    }
    EXPECT_EQ(Bytes(path).substr(offset, 4), "MARK");
    CSFile closed;
    EXPECT_EQ(closed.OpenMap(), nullptr);
}

TEST_F(FileTest, CopyRules)
{
    std::wstring src = Path(L"src.txt"), dst = Path(L"dst.txt"), none = Path(L"none.txt");
    Put(src, "new content");
    Put(dst, "old");
    // Each step in order; a missing source: "create empty" keeps or creates the destination,
    // else it goes.
    struct { const std::wstring& from; unsigned flags; const char* result; } const steps[] = {
        {src, CSFile::CopyKeepExisting, "old"}, {src, 0, "new content"}, {none, CSFile::CopyCreateEmpty, "new content"},
        {none, 0, nullptr}, {none, CSFile::CopyCreateEmpty, ""},
    };
    for (const auto& step : steps) {
        EXPECT_TRUE(CSFile::Copy(dst.c_str(), step.from.c_str(), step.flags));
        EXPECT_EQ(CSFile::CanFind(dst.c_str()) ? Bytes(dst) : "<gone>", step.result ? step.result : "<gone>")
            << step.flags;
    }
    Put(src, "");
    EXPECT_TRUE(CSFile::Copy(dst.c_str(), src.c_str(), 0));
    EXPECT_EQ(CSFile::GetSize64(dst.c_str()), 0u);
}

TEST_F(FileTest, StreamsOverMemoryAndFiles)
{
    char block[8] = "abcdefg";
    CSMemStream mem(block, 8);
    IStream* stream = &mem;
    void* same = nullptr;
    EXPECT_EQ(stream->QueryInterface(IID_IStream, &same), S_OK);
    EXPECT_EQ(same, stream);
    EXPECT_EQ(stream->QueryInterface(IID_IPersist, &same), E_NOINTERFACE);
    EXPECT_EQ(stream->AddRef(), 1u);
    EXPECT_EQ(stream->Release(), 0u);

    char buf[16] = {};
    ULONG done = 0;
    LARGE_INTEGER move;
    ULARGE_INTEGER at;
    move.QuadPart = 6;
    EXPECT_EQ(stream->Seek(move, STREAM_SEEK_SET, &at), S_OK);
    EXPECT_EQ(stream->Read(buf, 10, &done), S_OK);
    EXPECT_EQ(done, 2u);  // only what is left
    move.QuadPart = -3;
    EXPECT_EQ(stream->Seek(move, STREAM_SEEK_END, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 5u);
    EXPECT_EQ(stream->Write("XYZW", 4, &done), E_INVALIDARG);  // the block never grows
    EXPECT_EQ(stream->Write("XY", 2, &done), S_OK);
    EXPECT_STREQ(block, "abcdeXY");
    move.QuadPart = 8;
    EXPECT_EQ(stream->Seek(move, STREAM_SEEK_SET, &at), E_INVALIDARG);
    move.QuadPart = 1;
    EXPECT_EQ(stream->Seek(move, STREAM_SEEK_END, &at), E_INVALIDARG);
    EXPECT_EQ(stream->Stat(nullptr, 0), E_NOTIMPL);

    CSMemStream empty(nullptr, 0);
    move.QuadPart = 0;
    EXPECT_EQ(empty.Seek(move, STREAM_SEEK_SET, &at), E_INVALIDARG);
    EXPECT_EQ(empty.Seek(move, STREAM_SEEK_END, &at), S_OK);

    std::wstring path = Path(L"stream.bin");
    CSFile file(path.c_str(), 1);
    CSFileStream fs(&file);
    EXPECT_EQ(fs.Write("hello", 5, &done), S_OK);
    move.QuadPart = 1;
    EXPECT_EQ(fs.Seek(move, STREAM_SEEK_SET, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 1u);
    EXPECT_EQ(fs.Read(buf, 10, &done), S_OK);
    EXPECT_EQ(std::string(buf, done), "ello");
    move.QuadPart = 0x100000000LL;
    EXPECT_EQ(fs.Seek(move, STREAM_SEEK_SET, &at), E_NOTIMPL);
}

namespace {

struct Visit {
    std::vector<std::wstring> seen;
    int stopAfter = -1;
};

int Record(const wchar_t*, const WIN32_FIND_DATAW* entry, void* data)
{
    auto* visit = static_cast<Visit*>(data);
    visit->seen.push_back(entry->cFileName);
    return visit->stopAfter < 0 || static_cast<int>(visit->seen.size()) < visit->stopAfter;
}

} // namespace

TEST_F(FileTest, FolderWalks)
{
    CreateDirectoryW(Path(L"sub").c_str(), nullptr);
    CreateDirectoryW(Path(L"sub\\deeper").c_str(), nullptr);
    Put(Path(L"a.txt"), "a");
    Put(Path(L"sub\\b.txt"), "b");
    Put(Path(L"sub\\deeper\\c.log"), "c");

    auto walk = [&](unsigned flags, const wchar_t* mask, int stopAfter = -1) {
        Visit visit;
        visit.stopAfter = stopAfter;
        EXPECT_TRUE(ForEachFileObject(flags, dir.c_str(), mask, Record, &visit));
        std::sort(visit.seen.begin(), visit.seen.end());
        return visit.seen;
    };
    EXPECT_EQ(walk(FileObjCall, nullptr), (std::vector<std::wstring>{L"a.txt", L"sub"}));
    EXPECT_EQ(walk(FileObjCall | FileObjDots, nullptr), (std::vector<std::wstring>{L".", L"..", L"a.txt", L"sub"}));
    EXPECT_EQ(walk(FileObjCall | FileObjRecurse | FileObjNoFolders, nullptr),
              (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.log"}));
    EXPECT_EQ(walk(FileObjCallFirst | FileObjCall, L"*.txt"), (std::vector<std::wstring>{L"a.txt", L"a.txt"}));
    EXPECT_EQ(walk(FileObjCall | FileObjRecurse | FileObjNoFolders, nullptr, 1).size(), 1u);  // 0 ends the walk
    Put(Path(L"z.txt"), "z");  // and ends the walks around it (in name order the second call is in "sub")
    EXPECT_EQ(walk(FileObjCall | FileObjRecurse | FileObjNoFolders | FileObjDelete, nullptr, 2).size(), 2u);

    Visit none;
    EXPECT_TRUE(ForEachFileObject(FileObjCall, Path(L"missing").c_str(), nullptr, Record, &none));
    EXPECT_TRUE(none.seen.empty());

    // Deleting every file of the tree leaves only the folders.
    EXPECT_TRUE(ForEachFileObject(FileObjDelete | FileObjRecurse, dir.c_str(), nullptr, nullptr, nullptr));
    EXPECT_FALSE(CSFile::CanFind(Path(L"sub\\deeper\\c.log").c_str()));
    EXPECT_TRUE(CSFile::CanFind(Path(L"sub\\deeper").c_str()));
}

TEST_F(FileTest, DeletionNowOrAtRestart)
{
    // Nothing to delete and nothing forced: success, nothing scheduled.
    std::wstring missing = Path(L"missing.tmp");
    EXPECT_TRUE(DeleteFileDelayed(missing.c_str(), 1, 0));
    EXPECT_FALSE(IsPending(missing));

    std::wstring free = Path(L"free.tmp");
    Put(free, "x");
    EXPECT_TRUE(DeleteFileDelayed(free.c_str(), 1, 0));
    EXPECT_FALSE(CSFile::CanFind(free.c_str()));

    // A file in use is left for the next restart.
    std::wstring busy = Path(L"busy.tmp");
    Put(busy, "x");
    {
        CSFile holder(busy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING, 0);
        ASSERT_TRUE(holder.IsReady());
        EXPECT_TRUE(IsFileInUse(busy.c_str()));
        EXPECT_TRUE(IsAnyFileInUse(dir.c_str()));
        EXPECT_TRUE(DeleteFileDelayed(busy.c_str(), 1, 0));
    }
    EXPECT_TRUE(CSFile::CanFind(busy.c_str()));
    EXPECT_TRUE(IsPending(busy));
    EXPECT_FALSE(IsFileInUse(busy.c_str()));
    EXPECT_FALSE(IsFileInUse(missing.c_str()));

    // A mask deletes each match.
    Put(Path(L"m1.del"), "1");
    Put(Path(L"m2.del"), "2");
    Put(Path(L"keep.txt"), "k");
    EXPECT_TRUE(DeleteFileDelayed(Path(L"*.del").c_str(), 1, 0));
    EXPECT_FALSE(CSFile::CanFind(Path(L"m1.del").c_str()));
    EXPECT_FALSE(CSFile::CanFind(Path(L"m2.del").c_str()));
    EXPECT_TRUE(CSFile::CanFind(Path(L"keep.txt").c_str()));

    std::wstring folder = Path(L"gone");
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(DeleteFolderDelayed(folder.c_str(), 1, 0));
    EXPECT_FALSE(CSFile::CanFind(folder.c_str()));
    EXPECT_TRUE(DeleteFolderDelayed(folder.c_str(), 1, 0));

    // The uninstall marker exists from the moment it is set, and goes at the restart.
    EXPECT_FALSE(GetSetPendingUinstall(dir.c_str(), 0));
    EXPECT_TRUE(GetSetPendingUinstall(dir.c_str(), 1));
    EXPECT_TRUE(IsPending(Path(L"UninstallPendingReboot")));
}

TEST_F(FileTest, WininitRenameLines)
{
    std::wstring ini = Path(L"WININIT.INI");
    std::wstring victim = Path(L"old.dat");
    Put(victim, "x");
    ASSERT_TRUE(AppendWininitRename(ini.c_str(), victim.c_str(), nullptr));
    ASSERT_TRUE(AppendWininitRename(ini.c_str(), victim.c_str(), Path(L"new.dat").c_str()));
    wchar_t shortPath[MAX_PATH];
    ASSERT_NE(GetShortPathNameW(victim.c_str(), shortPath, MAX_PATH), 0u);
    std::string shortText = test::ToUtf8(shortPath);
    std::string expected = "[rename]\r\nNUL=" + shortText + "\r\n" + test::ToUtf8(Path(L"new.dat")) + "=" +
                           shortText + "\r\n";
    EXPECT_EQ(Bytes(ini), expected);
}

TEST_F(FileTest, AttributesWritabilityAndWiping)
{
    std::wstring path = Path(L"ro.txt");
    Put(path, "read only");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        CSFileAttrib writable(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_TRUE(CSFile::WriteFile(path.c_str(), "new", 3));
    }
    EXPECT_TRUE(CSFile::GetAttrib(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Bytes(path), "new");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_TRUE(IsDirWritable(dir.c_str()));
    EXPECT_FALSE(IsDirWritable(Path(L"missing").c_str()));
    EXPECT_EQ(Bytes(path), "new");  // the probe leaves nothing behind

    Put(path, std::string(300000, 'S'));
    EXPECT_TRUE(CSFile::WipeDelete(path.c_str()));
    EXPECT_FALSE(CSFile::CanFind(path.c_str()));
    EXPECT_FALSE(CSFile::WipeDelete(path.c_str()));

    EXPECT_TRUE(IsFileSysUNC(L"NTFS") && !IsFileSysUNC(L"FAT32"));
    wchar_t fs[4] = {};
    GetFileSysName(dir.c_str(), fs, 4);
    EXPECT_LT(wcslen(fs), 4u);
}
