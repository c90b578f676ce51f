// The shell: item lists and their checked exchange, folders and their walks, names, attributes
// and the special folders' display names, against real files and folders; shortcuts (created,
// read, resolved); starting files, processes, shell items, the product's own files and the
// program itself, seen through the marker program's log; the RunDll32 log-on entry.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sys/CSList.h"
#include "sys/PIDL.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"
#include "sys/ShellNames.h"
#include "sys/ShellRun.h"
#include "sys/iShellFolder.h"
#include "sys/iShellLink.h"
#include "tests/support/Row.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/TestSupport.h"

using test::ToUtf8;

namespace {

using Names = std::set<std::wstring>;
using Bytes = std::vector<BYTE>;

std::wstring PathOf(const ITEMIDLIST* item)
{
    wchar_t path[MAX_PATH];
    return GetPathOf(item, path, MAX_PATH) ? path : L"";
}

Bytes BytesOf(const ITEMIDLIST* list)
{
    return Bytes(reinterpret_cast<const BYTE*>(list), reinterpret_cast<const BYTE*>(list) + PIDL::GetSizeTotal(list));
}

const ITEMIDLIST* AsList(const Bytes& bytes)
{
    return reinterpret_cast<const ITEMIDLIST*>(bytes.data());
}

// A well-formed list of items of the given sizes, each filled with its own number.
Bytes MakeList(const std::vector<USHORT>& sizes)
{
    Bytes bytes;
    for (size_t i = 0; i < sizes.size(); ++i) {
        bytes.insert(bytes.end(), {BYTE(sizes[i] & 0xFF), BYTE(sizes[i] >> 8)});
        bytes.insert(bytes.end(), sizes[i] - 2u, BYTE(0x40 + i));
    }
    bytes.insert(bytes.end(), 2, 0);
    return bytes;
}

std::wstring SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH];
    return GetSpecialFolderPath(nullptr, csidl, path) ? path : L"";
}

// A path through SimplifyShellName or UnSimplifyShellName, in a MAX_PATH buffer.
std::wstring Through(BOOL (*convert)(wchar_t*, int), const std::wstring& path)
{
    std::vector<wchar_t> buf(path.begin(), path.end());
    buf.resize(MAX_PATH, 0);
    convert(buf.data(), MAX_PATH);
    return buf.data();
}

// The parsing names of a folder's items.
Names NamesIn(iShellFolder& folder, SHCONTF flags)
{
    Names names;
    iEnumIDList walk(folder, nullptr, flags);
    while (ITEMIDLIST* item = walk.Next()) {
        wchar_t name[MAX_PATH] = L"";
        EXPECT_TRUE(folder.GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, name, MAX_PATH));
        names.insert(name);
        FreePIDL(item);
    }
    return names;
}

// A folder holding a.txt, b.txt and Sub\c.txt.
class ShellItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = test::NewTempDir(L"items");
        ASSERT_TRUE(CreateDirectoryW(Path(L"Sub").c_str(), nullptr));
        for (const wchar_t* name : {L"a.txt", L"b.txt", L"Sub\\c.txt"})
            ASSERT_TRUE(test::WriteUtf8File(Path(name), "x"));
    }
    std::wstring Path(const wchar_t* name) const { return dir + L"\\" + name; }
    // The shell writes paths with the long names stored on disk.
    std::wstring ShellPath(const wchar_t* name) const
    {
        wchar_t path[MAX_PATH];
        ConvertPathToLFN(Path(name).c_str(), path);
        return path;
    }
    void Attach(PIDL& list, const wchar_t* name) const { list.Attach(GetPidlOf(Path(name).c_str())); }

    std::wstring dir;
};

// Counts its references. COM objects end through Release, never through delete.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Counted : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown ? this : nullptr;
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    ULONG references = 1;
};
#pragma GCC diagnostic pop


const wchar_t ChildMarkerVariable[] = L"GLMBX_RUNMYSELF_MARKER";

// When RunMyself starts this program again, the copy only reports how it was started (its
// command line, then "folder" and its working folder) into the marker file and ends.
struct ChildMode {
    ChildMode()
    {
        wchar_t marker[MAX_PATH], folder[MAX_PATH] = L"";
        DWORD length = GetEnvironmentVariableW(ChildMarkerVariable, marker, MAX_PATH);
        if (!length || length >= MAX_PATH)
            return;
        GetCurrentDirectoryW(MAX_PATH, folder);
        test::WriteUtf8File(marker, ToUtf8(std::wstring(GetCommandLineW()) + L"\nfolder " + folder + L"\n"));
        ExitProcess(0);
    }
} childMode;

const std::wstring Marker = test::ExeDir() + L"\\Marker.exe";

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

// Waits (bounded) until the log holds the marker's line for tag.
bool Logged(const std::wstring& log, const std::string& tag)
{
    return test::PumpUntil([&] { return test::ReadFileBytes(log).find("opened " + tag + "\n") != std::string::npos; },
                           20000);
}

// A temporary folder with a target file and the marker's log.
class ShellRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = test::NewTempDir(L"run");
        log = dir + L"\\marker.log";
        target = dir + L"\\Target File.txt";
        ASSERT_TRUE(test::WriteUtf8File(target, "target"));
    }
    std::wstring Args(const char* tag) const { return Quoted(log) + L" " + test::FromUtf8(tag); }
    std::wstring Path(const wchar_t* name) const { return dir + L"\\" + name; }

    std::wstring dir, log, target;
};
using Shortcuts = ShellRun;

} // namespace

TEST(ComOwners, OneReferenceEachReleasedOnce)
{
    Counted first, second;
    {
        iUnk holder;
        holder.Attach(&first);
        first.AddRef();
        holder.Attach(&first);  // another reference to the same object: one of them goes back
        EXPECT_EQ(first.references, 1u);
        holder.Attach(&second);
        EXPECT_EQ(first.references, 0u);
        EXPECT_TRUE(holder.Detach() == &second && !holder.IsReady());
        holder.Attach(&second);
        void* again = nullptr;
        ASSERT_TRUE(holder.Query(IID_IUnknown, &again));
        EXPECT_EQ(second.references, 2u);
        static_cast<IUnknown*>(again)->Release();
        EXPECT_FALSE(holder.Query(IID_IShellFolder, &again) || again);
        EXPECT_FALSE(holder.Create(IID_IUnknown, IID_IUnknown, nullptr, CLSCTX_INPROC_SERVER) || holder.IsReady());
    }
    EXPECT_EQ(second.references, 0u);
}

TEST_F(ShellItems, WalksOfARealListAddUp)
{
    PIDL file, folder, other, copy;
    Attach(file, L"Sub\\c.txt");
    Attach(folder, L"Sub");
    Attach(other, L"a.txt");
    ASSERT_TRUE(file.IsReady() && folder.IsReady());
    EXPECT_EQ(PIDL::GetCount(file), PIDL::GetCount(folder) + 1);
    unsigned sum = 0;
    int count = 0;
    for (const ITEMIDLIST* item = PIDL::GetFirst(file); item; item = PIDL::GetNext(item), ++count)
        sum += PIDL::GetSizeOne(item);
    EXPECT_EQ(count, PIDL::GetCount(file));
    EXPECT_TRUE(PIDL::GetSizeAll(file) == sum && PIDL::GetSizeTotal(file) == sum + 2);
    const BYTE* begin = reinterpret_cast<const BYTE*>(static_cast<ITEMIDLIST*>(file));
    EXPECT_EQ(reinterpret_cast<const BYTE*>(PIDL::GetEnd(file)) - begin, ptrdiff_t(sum));
    EXPECT_TRUE(PIDL::IsValid(file, sum + 2));
    EXPECT_FALSE(PIDL::IsValid(file, sum + 1) || PIDL::IsValid(file, sum + 4) || PIDL::IsValid(file, 0));

    // The last item is the file itself: cutting it gives the folder, appending it back the file.
    ASSERT_TRUE(copy.CopyAll(file) && copy.RemoveLast());
    EXPECT_EQ(PathOf(copy), ShellPath(L"Sub"));
    EXPECT_EQ(copy.CompareAbs(folder), 0);
    ASSERT_TRUE(copy.AppendOne(PIDL::GetLast(file)));
    EXPECT_EQ(BytesOf(copy), BytesOf(file));
    // Appending a list to itself doubles it, even though the reallocation moves it.
    ASSERT_TRUE(copy.CopyAll(folder) && copy.AppendAll(copy));
    EXPECT_EQ(PIDL::GetCount(copy), 2 * PIDL::GetCount(folder));
    ASSERT_TRUE(copy.CopyOne(file));
    EXPECT_TRUE(PIDL::GetCount(copy) == 1 && PIDL::GetSizeOne(copy) == PIDL::GetSizeOne(file));

    EXPECT_TRUE(file.GetChildOf(folder) == PIDL::GetLast(file) && !file.GetChildOf(other) && file.CompareAbs(other));
}

TEST(Pidl, NullAndEmptyListsAndAllocation)
{
    EXPECT_EQ(PIDL::GetSizeOne(nullptr) + PIDL::GetSizeTotal(nullptr) + PIDL::GetCount(nullptr), 0u);
    EXPECT_TRUE(PIDL::IsEmpty(nullptr) && PIDL::IsValid(nullptr, 0));
    EXPECT_TRUE(!PIDL::GetFirst(nullptr) && !PIDL::GetLast(nullptr) && !PIDL::GetEnd(nullptr));
    EXPECT_FALSE(PIDL::IsValid(nullptr, 2));

    PIDL list, appended;
    EXPECT_FALSE(list.IsReady() || list.RemoveLast());
    EXPECT_EQ(list.GetPut(1, nullptr), 0u);
    ASSERT_TRUE(list.Reset());
    EXPECT_TRUE(PIDL::IsEmpty(list) && PIDL::GetSizeTotal(list) == 2u && !PIDL::GetFirst(list) && !list.RemoveLast());
    list.Free();
    ASSERT_TRUE(list.CopyAll(nullptr));
    EXPECT_TRUE(list.IsReady() && PIDL::IsEmpty(list));
    Bytes items = MakeList({6, 4});
    ASSERT_TRUE(appended.AppendAll(AsList(items)));  // to a PIDL that holds nothing
    EXPECT_EQ(BytesOf(appended), items);
    ITEMIDLIST* detached = appended.Detach();
    EXPECT_FALSE(appended.IsReady());
    EXPECT_EQ(BytesOf(detached), items);  // still ours after the owner let go
    FreePIDL(detached);
    FreePIDL(nullptr);

    // A copy of a list's first item.
    Bytes two = MakeList({6, 8});
    ITEMIDLIST* first = AllocPIDL(AsList(two));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(BytesOf(first), MakeList({6}));
    FreePIDL(first);
    const BYTE oneByte[] = {1, 0, 0, 0};
    EXPECT_FALSE(AllocPIDL(static_cast<const ITEMIDLIST*>(nullptr)) || AllocPIDL(reinterpret_cast<const ITEMIDLIST*>(oneByte)));
}

TEST(Pidl, PutTakesOnlyConsistentListsOfAtMost4096BytesAndGetWritesAllOrNothing)
{
    Bytes good = MakeList({10, 4, 20}), trailing = good;
    trailing.insert(trailing.end(), {9, 9, 9});
    PIDL list, other;
    ASSERT_EQ(list.GetPut(0, good.data()), good.size());
    EXPECT_EQ(BytesOf(list), good);
    EXPECT_EQ(other.GetPut(0, trailing.data(), unsigned(trailing.size())), good.size());  // the rest is not the list's

    struct Bad {
        const char* what;
        Bytes bytes;
        unsigned bufSize;
        bool wellFormed;  // refused for its size alone
    } const bad[] = {
        {"item of one byte", {4, 0, 1, 2, 1, 0, 0, 0}, 0, false},
        {"item runs past the buffer", {4, 0, 1, 2, 9, 0, 3, 3, 0, 0}, 8, false},
        {"terminator outside the buffer", good, unsigned(good.size() - 1), false},
        {"more than 4096 bytes", MakeList({4000, 96}), 0, true},
        {"no terminator within 4096 bytes", Bytes(6000, 0x10), 0, false},
    };
    for (const Bad& b : bad) {
        test::Row trace(b.what);
        Bytes buffer = b.bytes;
        EXPECT_EQ(list.GetPut(0, buffer.data(), b.bufSize), 0u);
        EXPECT_EQ(BytesOf(list), good);  // the held list stays
        EXPECT_EQ(PIDL::IsValid(AsList(buffer), b.bufSize ? b.bufSize : unsigned(buffer.size())), b.wellFormed);
    }
    EXPECT_EQ(list.GetPut(0, nullptr), 0u);
    Bytes largest = MakeList({4000, 94});  // exactly 4096 bytes is still taken
    EXPECT_EQ(list.GetPut(0, largest.data()), 4096u);

    ASSERT_EQ(list.GetPut(0, good.data()), good.size());
    const int size = int(good.size());
    EXPECT_EQ(list.GetPut(1, nullptr), good.size());
    test::GuardedBuffer<unsigned char> exact(size), small(size - 1);
    memset(small.Data(), 0x77, size - 1);
    EXPECT_EQ(list.GetPut(1, exact.Data(), size), good.size());
    EXPECT_EQ(Bytes(exact.Data(), exact.Data() + size), good);
    EXPECT_EQ(list.GetPut(1, small.Data(), size - 1), 0u);
    EXPECT_EQ(small.Data()[0], 0x77);
    EXPECT_TRUE(exact.GuardIntact() && small.GuardIntact());
}

TEST_F(ShellItems, ListsOfListsRoundTripThroughOneBufferAndTheRegistry)
{
    PIDL a, b, empty, a2, empty2, b2, loaded, none;
    Attach(a, L"a.txt");
    Attach(b, L"Sub\\c.txt");
    ASSERT_TRUE(empty.Reset());
    CSList lists, read;
    for (PIDL* p : {&a, &empty, &b})
        lists.AddTail(p);
    for (PIDL* p : {&a2, &empty2, &b2})
        read.AddTail(p);
    unsigned size = PIDL::GetPutPIDLList(lists, 0, 1, nullptr);
    EXPECT_EQ(size, PIDL::GetSizeTotal(a) + 2 + PIDL::GetSizeTotal(b));
    Bytes buffer(size);
    EXPECT_EQ(PIDL::GetPutPIDLList(lists, size, 1, buffer.data()), size);
    EXPECT_EQ(PIDL::GetPutPIDLList(lists, size - 1, 1, buffer.data()), 0u);  // too small: nothing
    EXPECT_EQ(PIDL::GetPutPIDLList(read, size - 1, 0, buffer.data()), 0u);  // the last list cut: none taken
    EXPECT_FALSE(a2.IsReady() || b2.IsReady());
    EXPECT_EQ(PIDL::GetPutPIDLList(read, size, 0, buffer.data()), size);
    EXPECT_TRUE(BytesOf(a2) == BytesOf(a) && BytesOf(b2) == BytesOf(b) && PIDL::IsEmpty(empty2));
    EXPECT_EQ(PathOf(b2), ShellPath(L"Sub\\c.txt"));

    const std::wstring name = std::to_wstring(GetCurrentProcessId()) + L"-shell";
    RegKey key((L"HKCU\\Software\\GlimpseboxTests\\" + name).c_str(), 1);
    EXPECT_TRUE(a.Persist(1, key, L"Item"));
    EXPECT_EQ(key.GetBinSize(L"Item"), PIDL::GetSizeTotal(a));
    EXPECT_TRUE(loaded.Persist(0, key, L"Item"));
    EXPECT_EQ(PathOf(loaded), ShellPath(L"a.txt"));
    // Values that are not a list of at most 4096 bytes leave the loaded list as it was.
    Bytes big = MakeList({4000, 998});
    const BYTE inconsistent[] = {9, 0, 1, 2, 0, 0};
    ASSERT_TRUE(key.PutBin(L"Big", big.data(), unsigned(big.size())) && key.PutBin(L"Broken", inconsistent, 6));
    for (const wchar_t* value : {L"Big", L"Broken", L"Missing"}) {
        EXPECT_TRUE(loaded.Persist(0, key, value));
        EXPECT_EQ(BytesOf(loaded), BytesOf(a)) << ToUtf8(value);
    }
    EXPECT_TRUE(none.Persist(1, key, L"Item"));  // storing no list deletes the value
    EXPECT_FALSE(key.FindValue(L"Item"));
    key.Close();
    RegKey(L"HKCU\\Software\\GlimpseboxTests", 1).DelSubKey(name.c_str());
}

TEST_F(ShellItems, MakeRootCutsBackToTheDrive)
{
    PIDL file, desktop, computer;
    Attach(file, L"Sub\\c.txt");
    ASSERT_TRUE(desktop.Attach(CSIDL_DESKTOPDIRECTORY) && computer.Attach(CSIDL_DRIVES));
    wchar_t root[MAX_PATH];
    // The desktop directory's list reaches the root too, whatever its items are.
    for (PIDL* list : {&file, &desktop}) {
        ASSERT_TRUE(ExtractRootPath(root, PathOf(*list).c_str()));
        ASSERT_TRUE(list->MakeRoot());
        EXPECT_TRUE(IsSamePath(PathOf(*list).c_str(), root)) << ToUtf8(PathOf(*list));
    }
    ASSERT_TRUE(computer.MakeRoot());  // "My Computer" has no file-system path
    EXPECT_TRUE(computer.IsReady() && PIDL::IsEmpty(computer));
}

TEST_F(ShellItems, FoldersWalkBindAndAnswerForTheirItems)
{
    PIDL location, a, sub, absolute, file;
    iShellFolder folder(dir.c_str(), location);
    ASSERT_TRUE(folder.IsReady());
    wchar_t shellDir[MAX_PATH];
    ConvertPathToLFN(dir.c_str(), shellDir);
    EXPECT_EQ(PathOf(location), shellDir);
    EXPECT_EQ(folder.GetAttributes() & (SFGAO_FOLDER | SFGAO_FILESYSTEM), ULONG(SFGAO_FOLDER | SFGAO_FILESYSTEM));
    EXPECT_EQ(NamesIn(folder, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS), (Names{L"a.txt", L"b.txt", L"Sub"}));
    ULONG asked = SFGAO_FOLDER;
    a.Attach(folder.ParseDisplayName(L"a.txt", nullptr));
    sub.Attach(folder.ParseDisplayName(L"Sub", &asked));
    EXPECT_TRUE((asked & SFGAO_FOLDER) && !folder.ParseDisplayName(L"missing.txt", nullptr));
    EXPECT_EQ(folder.GetAttributesOf(a, SFGAO_FOLDER | SFGAO_FILESYSTEM), ULONG(SFGAO_FILESYSTEM));
    // Binding to the child replaces the folder; a file is no folder and changes nothing.
    EXPECT_FALSE(folder.BindTo(a));
    ASSERT_TRUE(folder.BindTo(sub));
    EXPECT_EQ(NamesIn(folder, SHCONTF_NONFOLDERS), Names{L"c.txt"});

    // From the desktop: at once, step by step, below the desktop's wrapper.
    Attach(absolute, L"Sub");
    Attach(file, L"a.txt");
    iShellFolder desktop(nullptr, nullptr), direct(nullptr, absolute), stepwise, below(&desktop, absolute);
    ASSERT_TRUE(stepwise.BindToAbs(absolute));
    EXPECT_FALSE(stepwise.BindToAbs(file));  // a failed step leaves the folder that was bound
    for (iShellFolder* f : {&direct, &stepwise, &below})
        EXPECT_EQ(NamesIn(*f, SHCONTF_NONFOLDERS), Names{L"c.txt"});

    // Empty wrappers refuse everything; a path that names nothing binds nothing.
    iShellFolder none, missing(L"C:\\no such folder\\really", location);
    void* object = reinterpret_cast<void*>(1);
    wchar_t name[8] = L"x";
    EXPECT_FALSE(none.BindToObject(a, IID_IShellFolder, &object) || none.GetDisplayNameOf(a, 0, name, 8) ||
                 none.GetAttributesOf(a, ~0u) || none.ParseDisplayName(L"C:\\", nullptr) ||
                 iEnumIDList(none, nullptr, 0).Reset() || object || name[0]);
    EXPECT_FALSE(missing.IsReady() || location.IsReady());
}

TEST_F(ShellItems, PathsNamesAndAttributesOfItems)
{
    PIDL file, folder, desktop;
    Attach(file, L"a.txt");
    Attach(folder, L"Sub");
    test::ExpectBounded<wchar_t>(ShellPath(L"a.txt"), [&](wchar_t* buf, int size) { GetPathOf(file, buf, size); });
    wchar_t name[MAX_PATH];
    EXPECT_TRUE(GetShellNameOf(folder, name) && wcscmp(name, L"Sub") == 0);
    EXPECT_TRUE(GetShellNameOf(folder, name, MAX_PATH, SHGDN_FORPARSING) && ShellPath(L"Sub") == name);
    EXPECT_EQ(GetAttributesOf(file) & (SFGAO_FOLDER | SFGAO_FILESYSTEM), ULONG(SFGAO_FILESYSTEM));
    EXPECT_TRUE(GetAttributesOf(folder) & GetAttributesOf(Path(L"Sub").c_str()) & SFGAO_FOLDER);
    EXPECT_EQ(GetAttributesOf(Path(L"missing.txt").c_str()), 0u);
    // The shell's form of a path: the case stored on disk.
    ASSERT_TRUE(test::WriteUtf8File(Path(L"MixedCase.Txt"), "m"));
    EXPECT_TRUE(GetShellPathOf(Path(L"mixedcase.txt").c_str(), name, MAX_PATH, FALSE) && ShellPath(L"MixedCase.Txt") == name);
    EXPECT_FALSE(GetShellPathOf(Path(L"missing.txt").c_str(), name));
    EXPECT_EQ(std::wstring(name), Path(L"missing.txt"));
    // The empty list is the desktop's folder only when asked for.
    ASSERT_TRUE(desktop.Attach(CSIDL_DESKTOP) && PIDL::IsEmpty(desktop));
    EXPECT_FALSE(GetPathOf(desktop, name) || name[0]);
    EXPECT_TRUE(GetPathOf(desktop, name, MAX_PATH, TRUE) && SpecialFolder(CSIDL_DESKTOPDIRECTORY) == name);
}

TEST(ShellNames, BadInputNeverCrashes)
{
    std::wstring longPath = L"C:\\" + std::wstring(400, L'x') + L"\\file.txt", hugePath(5000, L'y');
    for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", L"::{not a class}", L"\\\\", L"C:\\<>|",
                                longPath.c_str(), hugePath.c_str()}) {
        test::Row trace(path ? ToUtf8(std::wstring(path).substr(0, 40)) : "null");
        FreePIDL(GetPidlOf(path));
        EXPECT_TRUE(!GetAttributesOf(path) || (path && *path && wcslen(path) < MAX_PATH));
        wchar_t buf[MAX_PATH] = L"";
        GetShellPathOf(path, buf);
        EXPECT_FALSE(buf[MAX_PATH - 1] || GetAnySpecialSubFolderData(path) || GetNetHoodSubFolder(path));
    }
    wchar_t buf[4] = L"abc";
    EXPECT_FALSE(GetPidlOf(longPath.c_str()) || SimplifyShellName(nullptr) || UnSimplifyShellName(nullptr) ||
                 GetPathOf(nullptr, buf, 4) || GetShellNameOf(nullptr, buf, 4) || GetPathOf(nullptr, nullptr, 0));
    EXPECT_TRUE(GetSysIconIndex(nullptr) == -1 && !GetIconOf(static_cast<const ITEMIDLIST*>(nullptr)));
}

TEST(SpecialFolders, PathsInThemSimplifyAndBack)
{
    std::wstring desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    SPEC_FOLDER_DATA** entries = GetSPEC_FOLDER_DATA(0);
    const SPEC_FOLDER_DATA* entry = entries[0];
    std::wstring name = entry->pszName, file = desktop + L"\\Notes\\today.txt";
    // Three entries: the desktop directory named after the desktop, the network neighbourhood,
    // the documents; each path with its backslash.
    ASSERT_FALSE(desktop.empty() || name.empty() || !entries[1] || !entries[2] || entries[3]);
    PIDL named;
    wchar_t shown[MAX_PATH];
    EXPECT_TRUE(named.Attach(CSIDL_DESKTOP) && GetShellNameOf(named, shown) && name == shown);
    EXPECT_TRUE(desktop + L"\\" == entry->pszPath && entry->nPathLen == int(desktop.size()) + 1);
    EXPECT_EQ(std::wstring(entries[1]->pszPath), SpecialFolder(CSIDL_NETHOOD) + L"\\");
    // Letter case does not matter either way; a longer component is another folder.
    std::wstring upper = file, lowerName = name, elsewhere = test::NewTempDir(L"simplify") + L"\\x.txt";
    CharUpperW(&upper[0]);
    CharLowerW(&lowerName[0]);
    const struct {
        BOOL (*convert)(wchar_t*, int);
        std::wstring from, to;
    } cases[] = {
        {SimplifyShellName, file, name + L"\\Notes\\today.txt"},
        {UnSimplifyShellName, name + L"\\Notes\\today.txt", file},
        {SimplifyShellName, desktop, name},
        {UnSimplifyShellName, name, desktop},
        {SimplifyShellName, upper, name + L"\\NOTES\\TODAY.TXT"},
        {UnSimplifyShellName, lowerName + L"\\x.txt", desktop + L"\\x.txt"},
        {SimplifyShellName, desktop + L"Extra\\x.txt", desktop + L"Extra\\x.txt"},
        {UnSimplifyShellName, name + L"Extra\\x.txt", name + L"Extra\\x.txt"},
        {SimplifyShellName, elsewhere, elsewhere},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Through(c.convert, c.from), c.to) << ToUtf8(c.from);
    EXPECT_TRUE(GetAnySpecialSubFolderData(file.c_str()) == entry && GetAnySpecialSubFolderData(desktop.c_str()) == entry);
    EXPECT_EQ(GetAnySpecialSubFolderData(elsewhere.c_str()), nullptr);
    EXPECT_TRUE(GetShellPathOf(desktop.c_str(), shown) && name == shown);  // the desktop folder's display form

    // A result that does not fit leaves the path as it was.
    std::wstring longName = name + L"\\" + std::wstring(MAX_PATH - name.size() - 4, L'n');
    std::vector<wchar_t> buf(longName.begin(), longName.end());
    buf.resize(MAX_PATH, 0);
    EXPECT_FALSE(UnSimplifyShellName(buf.data(), MAX_PATH));
    EXPECT_EQ(std::wstring(buf.data()), longName);
    std::vector<wchar_t> small(file.c_str(), file.c_str() + file.size() + 1);
    EXPECT_FALSE(SimplifyShellName(small.data(), int(name.size()) + 3));
    EXPECT_EQ(std::wstring(small.data()), file);

    // Released, and made again on the next use.
    EXPECT_EQ(GetSPEC_FOLDER_DATA(1), nullptr);
    const SPEC_FOLDER_DATA* documents = GetSPEC_FOLDER_DATA(0)[2];
    EXPECT_EQ(std::wstring(GetSPEC_FOLDER_DATA(0)[0]->pszName), name);
    if (documents->pszPath[0] && documents->pszName[0]) {
        std::wstring folder(documents->pszPath, documents->nPathLen - 1), shownName = documents->pszName;
        EXPECT_EQ(Through(SimplifyShellName, folder + L"\\letter.doc"), shownName + L"\\letter.doc");
        EXPECT_EQ(Through(UnSimplifyShellName, shownName + L"\\letter.doc"), folder + L"\\letter.doc");
    }
}

TEST(SpecialFolders, NetworkNeighbourhoodShortcutsLeadToTheirTargets)
{
    std::wstring nethood = SpecialFolder(CSIDL_NETHOOD);
    ASSERT_FALSE(nethood.empty());  // a new prefix has one
    EXPECT_STREQ(GetNetHoodSubFolder((nethood + L"\\Share").c_str()), L"Share");
    EXPECT_FALSE(GetNetHoodSubFolder(nethood.c_str()) ||
                 GetNetHoodSubFolder((SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Share").c_str()));
    // A link file and a folder shortcut ("target.lnk" inside) in the folder.
    std::wstring targets = test::NewTempDir(L"nethood"), name = L"GlmbxTest" + std::to_wstring(GetCurrentProcessId());
    std::wstring link = nethood + L"\\" + name + L".lnk", shortcutFolder = nethood + L"\\" + name;
    ASSERT_TRUE(CreateLink(targets.c_str(), link.c_str()) && CreateDirectoryW(shortcutFolder.c_str(), nullptr));
    ASSERT_TRUE(CreateLink(targets.c_str(), (shortcutFolder + L"\\target.lnk").c_str()));
    for (const std::wstring& entryPath : {link, shortcutFolder}) {
        PIDL item;
        item.Attach(GetPidlOf(entryPath.c_str()));
        wchar_t path[MAX_PATH];
        EXPECT_TRUE(GetPathOf(item, path, MAX_PATH, FALSE, TRUE) && IsSamePath(path, targets.c_str())) << ToUtf8(path);
        EXPECT_TRUE(GetPathOf(item, path, MAX_PATH, FALSE, FALSE) && IsSamePath(path, entryPath.c_str()));
    }
    DeleteFileW(link.c_str());
    DeleteFileW((shortcutFolder + L"\\target.lnk").c_str());
    RemoveDirectoryW(shortcutFolder.c_str());
}

TEST_F(Shortcuts, CreatedLinkLeadsToItsTargetWithArguments)
{
    std::wstring link = Path(L"Shortcut.lnk"), plain = Path(L"Plain.lnk");
    ASSERT_TRUE(CreateLink(target.c_str(), link.c_str(), L"--first \"two words\"") &&
                CreateLink(target.c_str(), plain.c_str()));
    EXPECT_TRUE(GetAttributesOf(link.c_str()) & SFGAO_LINK);
    wchar_t path[MAX_PATH];
    EXPECT_TRUE(GetShortcutTargetPath(path, link.c_str()) && IsSamePath(path, target.c_str())) << ToUtf8(path);
    for (const auto& made : {std::make_pair(link, L"--first \"two words\""), std::make_pair(plain, L"")}) {
        iShellLink read;
        wchar_t args[MAX_PATH];
        ASSERT_TRUE(read.Load(made.first.c_str()) && read.GetArguments(args, MAX_PATH));
        EXPECT_STREQ(args, made.second);
    }
    // Resolving, silently or not, puts the target in place of the link; other paths stay.
    for (int noUI : {1, 0}) {
        wcscpy(path, link.c_str());
        ASSERT_TRUE(ResolveShortcut(nullptr, path, noUI));
        EXPECT_TRUE(IsSamePath(path, target.c_str())) << ToUtf8(path);
        ASSERT_TRUE(ResolveShortcut(nullptr, path, noUI));
        EXPECT_EQ(std::wstring(path), target);
    }
    iShellLink reader;
    iPersistFile readerFile;
    for (const std::wstring& other : {target, Path(L"missing.txt")}) {
        EXPECT_TRUE(ResolveLink(nullptr, reader, readerFile, other.c_str(), path, SLR_NO_UI, FALSE));
        EXPECT_EQ(std::wstring(path), other);
    }
}

TEST_F(Shortcuts, ResolvingALinkLeavesItInTheCallersObjects)
{
    iShellLink link, read;
    iPersistFile readFile;
    PIDL list;
    wchar_t text[MAX_PATH];
    std::wstring file = Path(L"Fields.lnk");
    ASSERT_TRUE(link.SetPath(target.c_str()) && link.SetDescription(L"Described") && link.Save(file.c_str()));
    ASSERT_TRUE(ResolveLink(nullptr, read, readFile, file.c_str(), text, 0, TRUE));
    EXPECT_TRUE(IsSamePath(text, target.c_str()));
    EXPECT_TRUE(read.GetDescription(text, MAX_PATH) && wcscmp(text, L"Described") == 0);
    list.Attach(read.GetIDList());
    EXPECT_TRUE(GetPathOf(list, text) && IsSamePath(text, target.c_str()));
}

TEST_F(Shortcuts, BadInputIsRefused)
{
    std::wstring longName = dir + L"\\" + std::wstring(300, L'l') + L".lnk";
    EXPECT_FALSE(CreateLink(nullptr, Path(L"a.lnk").c_str()) || CreateLink(L"", Path(L"a.lnk").c_str()) ||
                 CreateLink(target.c_str(), L"") || CreateLink(target.c_str(), nullptr) ||
                 CreateLink(target.c_str(), longName.c_str()) || CreateLink(target.c_str(), Path(L"none\\a.lnk").c_str()) ||
                 FileExists(Path(L"a.lnk").c_str()));
    wchar_t result[MAX_PATH] = L"x";
    EXPECT_FALSE(GetShortcutTargetPath(result, nullptr) || result[0] || GetShortcutTargetPath(result, L"") ||
                 GetShortcutTargetPath(nullptr, target.c_str()) || GetShortcutTargetPath(result, longName.c_str()) ||
                 ResolveShortcut(nullptr, nullptr, 1));

    // A damaged link file: the name says link, the contents are not one.
    std::wstring damaged = Path(L"Damaged.lnk");
    ASSERT_TRUE(test::WriteUtf8File(damaged, std::string(200, '\x5A')));
    wchar_t path[MAX_PATH];
    wcscpy(path, damaged.c_str());
    EXPECT_FALSE(GetShortcutTargetPath(result, damaged.c_str()) || ResolveShortcut(nullptr, path, 1));
    EXPECT_EQ(std::wstring(path), damaged);
    iShellLink link;
    EXPECT_FALSE(link.Load(damaged.c_str()) || link.Load(nullptr) || link.Save(L""));

    // Getters cut to the buffer and never overrun it.
    ASSERT_TRUE(link.SetDescription(L"0123456789"));
    test::GuardedBuffer<wchar_t> small(5);
    link.GetDescription(small.Data(), 5);
    EXPECT_TRUE(small.GuardIntact() && small.Terminated());
    wchar_t untouched[2] = L"q";
    EXPECT_FALSE(link.GetDescription(untouched, 0) || link.GetDescription(nullptr, 10));
    EXPECT_STREQ(untouched, L"q");
}

TEST_F(ShellRun, RunFileWithAnEmptyFolderIsRunFileWithNone)
{
    std::wstring current = test::NewTempDir(L"current"), other = test::NewTempDir(L"other");
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));  // each case runs in a process of its own
    // The marker writes a relative log into its working folder.
    ASSERT_TRUE(RunFile(Marker.c_str(), L"rel.log none", nullptr));
    EXPECT_TRUE(Logged(current + L"\\rel.log", "none"));
    ASSERT_TRUE(RunFile(Marker.c_str(), L"rel.log empty", L""));
    EXPECT_TRUE(Logged(current + L"\\rel.log", "empty"));
    ASSERT_TRUE(RunFile(Marker.c_str(), L"rel.log given", other.c_str()));
    EXPECT_TRUE(Logged(other + L"\\rel.log", "given"));
    EXPECT_EQ(test::ReadFileBytes(current + L"\\rel.log").find("given"), std::string::npos);
}

TEST_F(ShellRun, ProcessHandlesComeBackToTheCaller)
{
    HANDLE started = StartProcess(Marker.c_str(), Args("started").c_str(), L""), other = nullptr;
    ASSERT_NE(started, nullptr);
    ASSERT_TRUE(RunFileEx(Marker.c_str(), Args("verb").c_str(), L"open", 0, &other));
    ASSERT_NE(other, nullptr);
    DWORD code = 1;
    for (HANDLE process : {started, other}) {
        EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
        EXPECT_TRUE(GetExitCodeProcess(process, &code) && code == 0);
        CloseHandle(process);
    }
    EXPECT_TRUE(Logged(log, "started") && Logged(log, "verb"));
    ASSERT_TRUE(RunFileEx(Marker.c_str(), Args("nohandle").c_str(), nullptr, SEE_MASK_NOCLOSEPROCESS));
    EXPECT_TRUE(Logged(log, "nohandle"));
}

TEST_F(ShellRun, LocalFilesAndThisProgramRunFromTheirFolder)
{
    // No setup recorded a home folder here: it is the library's own folder, not the current one.
    ASSERT_TRUE(SetCurrentDirectoryW(test::NewTempDir(L"elsewhere").c_str()));
    test::RecordingWindow owner;
    ASSERT_TRUE(RunLocalFile(nullptr, L"Marker.exe", Args("local").c_str(), nullptr));
    ASSERT_TRUE(RunLocalFile(owner.Handle(), L"Marker.exe", Args("owned").c_str(), L"open"));
    EXPECT_TRUE(Logged(log, "local") && Logged(log, "owned"));
    {
        test::BoxAnswerer boxes(IDOK);  // the shell's error messages, counted
        EXPECT_FALSE(RunLocalFile(nullptr, nullptr) || RunLocalFile(nullptr, L""));
        EXPECT_EQ(boxes.count, 0);
        EXPECT_FALSE(RunLocalFile(nullptr, L"NoSuchProgram.exe"));  // the shell's own message, not silence
        EXPECT_EQ(boxes.count, 1);
    }

    std::wstring marker = dir + L"\\myself.txt";
    ASSERT_TRUE(SetEnvironmentVariableW(ChildMarkerVariable, marker.c_str()));
    BOOL started = RunMyself(L"--second-copy \"with words\"");
    SetEnvironmentVariableW(ChildMarkerVariable, nullptr);
    ASSERT_TRUE(started);
    std::string folder;
    ASSERT_TRUE(test::WaitForLogLine(marker, "folder ", &folder, 0, 20000));
    EXPECT_TRUE(IsSamePath(test::FromUtf8(folder.substr(7)).c_str(), test::ExeDir().c_str())) << folder;
    EXPECT_NE(test::ReadFileBytes(marker).find("--second-copy \"with words\"\n"), std::string::npos);
}

TEST_F(ShellRun, RunProcessExpandsTheEnvironment)
{
    ASSERT_TRUE(SetEnvironmentVariableW(L"GLMBX_MARKER_LOG", log.c_str()));
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(RunProcess(nullptr, (Quoted(Marker) + L" \"%GLMBX_MARKER_LOG%\" expanded").c_str(), &info, SW_HIDE, L""));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    // The application named apart from its arguments, handles closed here.
    ASSERT_TRUE(RunProcess(Marker.c_str(), (L"Marker.exe " + Args("named")).c_str()));
    EXPECT_TRUE(Logged(log, "expanded") && Logged(log, "named"));

    // Too long once expanded: nothing starts.
    ASSERT_TRUE(SetEnvironmentVariableW(L"GLMBX_MARKER_LOG", (dir + L"\\" + std::wstring(300, L'z')).c_str()));
    info = {};
    EXPECT_FALSE(RunProcess(nullptr, (Quoted(Marker) + L" \"%GLMBX_MARKER_LOG%\" long").c_str(), &info));
    EXPECT_EQ(info.hProcess, nullptr);
    SetEnvironmentVariableW(L"GLMBX_MARKER_LOG", nullptr);
    EXPECT_FALSE(RunProcess(nullptr, nullptr) || RunProcess(L"", L"") || RunProcess(nullptr, Path(L"missing.exe").c_str()));
}

TEST_F(ShellRun, ShellItemsAndShortcutsRunTheirTargets)
{
    std::wstring link = Path(L"Marker.lnk"), opened = Path(L"Opened.lnk");
    ASSERT_TRUE(CreateLink(Marker.c_str(), link.c_str(), Args("pidl").c_str()));
    ASSERT_TRUE(CreateLink(Marker.c_str(), opened.c_str(), Args("document").c_str()));
    PIDL item;
    item.Attach(GetPidlOf(link.c_str()));
    ASSERT_TRUE(RunPidl(nullptr, item, nullptr));
    iShellLink shortcut;
    ASSERT_TRUE(shortcut.Load(link.c_str()) && shortcut.SetArguments(Args("execute").c_str()));
    ASSERT_TRUE(shortcut.Execute(nullptr));
    ASSERT_TRUE(RunFile(opened.c_str()));
    EXPECT_TRUE(Logged(log, "pidl") && Logged(log, "execute") && Logged(log, "document"));
}

TEST_F(ShellRun, FailuresSpeakOnlyWhenAllowedAndBadInputNeverCrashes)
{
    test::BoxAnswerer boxes(IDOK);  // the shell's error messages, counted
    std::wstring missing = Path(L"missing.exe"), longPath = dir + L"\\" + std::wstring(400, L'q') + L".exe";
    HANDLE process = reinterpret_cast<HANDLE>(1);
    EXPECT_FALSE(RunFileEx(missing.c_str(), nullptr, nullptr, SEE_MASK_FLAG_NO_UI, &process));
    EXPECT_EQ(process, nullptr);
    EXPECT_FALSE(RunFile(nullptr) || RunFile(L"") || RunFileEx(L"", nullptr, nullptr, 0) || RunPidl(nullptr, nullptr) ||
                 RunFileEx(longPath.c_str(), nullptr, nullptr, SEE_MASK_FLAG_NO_UI) || StartProcess(nullptr));
    EXPECT_EQ(boxes.count, 0);
    // Without the flag the shell reports the failure itself.
    EXPECT_FALSE(RunFile(missing.c_str()) || StartProcess(missing.c_str()));
    EXPECT_EQ(boxes.count, 2);

    RunFile(longPath.c_str(), std::wstring(5000, L'p').c_str(), longPath.c_str());
    EXPECT_EQ(StartProcess(longPath.c_str()), nullptr);
    EXPECT_FALSE(SetWallpaper(nullptr) || SetWallpaper(std::wstring(400, L'w').c_str()));
    EXPECT_FALSE(GetSetAutoRunDll32(1, nullptr, 1, 1, L"x") || GetSetAutoRunDll32(1, L"", 1, 1, L"x"));
}

TEST(AutoRunDll32, LogOnEntryInEveryMode)
{
    const std::wstring name = L"GlmbxTest" + std::to_wstring(GetCurrentProcessId());
    wchar_t library[MAX_PATH], shortPath[MAX_PATH];
    GetModuleFileNameW(test::Library(), library, MAX_PATH);
    DWORD length = GetShortPathNameW(library, shortPath, MAX_PATH);
    const std::wstring expected = L"RunDll32.exe " + std::wstring(length && length < MAX_PATH ? shortPath : library) +
                                  L",Entry /quiet";
    for (int currentUser : {1, 0}) {
        test::Row trace(currentUser ? "current user" : "all users");
        std::wstring keyPath =
            std::wstring(currentUser ? RegKey::sz_HKCU_WinCurVer : RegKey::sz_HKLM_WinCurVer) + L"\\Run";
        auto stored = [&] {
            wchar_t value[1024];
            RegKey(keyPath.c_str(), 0).GetStr(name.c_str(), value, 1024, L"<absent>");
            return std::wstring(value);
        };
        // Asking (set 0) whether the entry is as wanted; setting it on, then off.
        auto is = [&](int on, const wchar_t* args) { return !!GetSetAutoRunDll32(0, name.c_str(), on, currentUser, args); };
        EXPECT_TRUE(!is(1, L"Entry /quiet") && is(0, L"Entry /quiet"));
        EXPECT_TRUE(AutoRunDll32(name.c_str(), 1, currentUser, L"Entry /quiet"));
        EXPECT_EQ(stored(), expected);
        EXPECT_TRUE(is(1, L"Entry /quiet") && !is(0, L"Entry /quiet") && !is(1, L"Entry /loud"));
        EXPECT_TRUE(GetSetAutoRunDll32(1, name.c_str(), 0, currentUser, L"Entry /quiet"));
        EXPECT_EQ(stored(), L"<absent>");
        EXPECT_TRUE(is(0, L"Entry /quiet"));
        RegKey(keyPath.c_str(), 1).DelValue(name.c_str());
    }
}
