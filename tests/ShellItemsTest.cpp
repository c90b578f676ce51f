// Shell items: item lists and their checked exchange, folders and their walks, names, icons,
// attributes and the special folders' display names, against real files and folders.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "sys/CSList.h"
#include "sys/PIDL.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"
#include "sys/ShellNames.h"
#include "sys/iShellFolder.h"
#include "sys/iShellLink.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/TestSupport.h"

namespace {

using Names = std::set<std::wstring>;

std::wstring PathOf(const ITEMIDLIST* item)
{
    wchar_t path[MAX_PATH];
    return GetPathOf(item, path, MAX_PATH) ? path : L"";
}

std::vector<BYTE> Bytes(const ITEMIDLIST* list)
{
    const BYTE* begin = reinterpret_cast<const BYTE*>(list);
    return std::vector<BYTE>(begin, begin + PIDL::GetSizeTotal(list));
}

const ITEMIDLIST* AsList(const std::vector<BYTE>& bytes)
{
    return reinterpret_cast<const ITEMIDLIST*>(bytes.data());
}

// A well-formed list of items of the given sizes, each filled with its own number.
std::vector<BYTE> MakeList(const std::vector<USHORT>& sizes)
{
    std::vector<BYTE> bytes;
    for (size_t i = 0; i < sizes.size(); ++i) {
        bytes.push_back(static_cast<BYTE>(sizes[i] & 0xFF));
        bytes.push_back(static_cast<BYTE>(sizes[i] >> 8));
        bytes.insert(bytes.end(), sizes[i] - 2u, static_cast<BYTE>(0x40 + i));
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

// The parsing names of a folder's items, freeing each item.
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

// Whether a COM call gave an object; the object is released.
template <typename T>
bool Got(T* object)
{
    if (object)
        object->Release();
    return object != nullptr;
}

class ShellItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = test::NewTempDir(L"items");
        ASSERT_TRUE(test::WriteUtf8File(Path(L"a.txt"), "a"));
        ASSERT_TRUE(test::WriteUtf8File(Path(L"b.txt"), "b"));
        ASSERT_TRUE(CreateDirectoryW(Path(L"Sub").c_str(), nullptr));
        ASSERT_TRUE(test::WriteUtf8File(Path(L"Sub\\c.txt"), "c"));
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

// An object that counts its references. COM objects end through Release, never through delete.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Counted : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown ? this : nullptr;
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    ULONG references = 1;
};
#pragma GCC diagnostic pop

} // namespace

// ---- Owners of COM objects ----

TEST(ComOwners, OneReferenceEachReleasedOnce)
{
    Counted first, second;
    {
        iUnk holder;
        holder.Attach(&first);
        EXPECT_EQ(first.references, 1u);
        // Attaching another reference to the same object gives one of them back.
        first.AddRef();
        holder.Attach(&first);
        EXPECT_EQ(first.references, 1u);
        holder.Attach(&second);
        EXPECT_EQ(first.references, 0u);
        IUnknown* taken = holder.Detach();
        EXPECT_EQ(taken, &second);
        EXPECT_FALSE(holder.IsReady());
        holder.Attach(taken);
        void* again = nullptr;
        ASSERT_TRUE(holder.Query(IID_IUnknown, &again));
        EXPECT_EQ(second.references, 2u);
        static_cast<IUnknown*>(again)->Release();
    }
    EXPECT_EQ(second.references, 0u);

    iUnk link(CLSID_ShellLink, IID_IShellLinkW, nullptr, CLSCTX_INPROC_SERVER);
    ASSERT_TRUE(link.IsReady());
    void* persist = nullptr;
    ASSERT_TRUE(link.Query(IID_IPersistFile, &persist));
    static_cast<IUnknown*>(persist)->Release();
    EXPECT_FALSE(link.Query(IID_IShellFolder, &persist));
    EXPECT_EQ(persist, nullptr);
    EXPECT_FALSE(link.Create(IID_IUnknown, IID_IUnknown, nullptr, CLSCTX_INPROC_SERVER));  // no such class
    EXPECT_FALSE(link.IsReady());

    // Blocks of the allocator wrapper and of the item-list functions are one allocator's.
    iMalloc allocator;
    ASSERT_TRUE(allocator.IsReady());
    auto* block = static_cast<BYTE*>(allocator.Realloc(nullptr, 16));
    ASSERT_NE(block, nullptr);
    FreePIDL(reinterpret_cast<ITEMIDLIST*>(block));
    allocator.Free(nullptr);
}

// ---- Item lists ----

TEST_F(ShellItems, WalksOfARealListAddUp)
{
    PIDL file, folder, other;
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
    EXPECT_EQ(PIDL::GetSizeAll(file), sum);
    EXPECT_EQ(PIDL::GetSizeTotal(file), sum + 2);
    EXPECT_EQ(reinterpret_cast<const BYTE*>(PIDL::GetEnd(file)) - reinterpret_cast<const BYTE*>(file.operator ITEMIDLIST*()),
              static_cast<ptrdiff_t>(sum));
    EXPECT_TRUE(PIDL::IsValid(file, sum + 2));
    EXPECT_FALSE(PIDL::IsValid(file, sum + 1) || PIDL::IsValid(file, sum + 4) || PIDL::IsValid(file, 0));

    // The last item is the file itself: cutting it gives the folder, appending it back the file.
    PIDL copy;
    ASSERT_TRUE(copy.CopyAll(file));
    EXPECT_EQ(Bytes(copy), Bytes(file));
    ASSERT_TRUE(copy.RemoveLast());
    EXPECT_EQ(PathOf(copy), ShellPath(L"Sub"));
    EXPECT_EQ(copy.CompareAbs(folder), 0);
    ASSERT_TRUE(copy.AppendOne(PIDL::GetLast(file)));
    EXPECT_EQ(Bytes(copy), Bytes(file));
    EXPECT_EQ(PathOf(copy), ShellPath(L"Sub\\c.txt"));
    // Appending a list to itself doubles it, even though the reallocation moves it.
    ASSERT_TRUE(copy.CopyAll(folder));
    ASSERT_TRUE(copy.AppendAll(copy));
    EXPECT_EQ(PIDL::GetCount(copy), 2 * PIDL::GetCount(folder));
    ASSERT_TRUE(copy.CopyOne(file));
    EXPECT_EQ(PIDL::GetCount(copy), 1);
    EXPECT_EQ(PIDL::GetSizeOne(copy), PIDL::GetSizeOne(file));

    EXPECT_EQ(file.GetChildOf(folder), PIDL::GetLast(file));
    EXPECT_EQ(file.GetChildOf(other), nullptr);
    EXPECT_EQ(file.GetChildOf(nullptr), static_cast<const ITEMIDLIST*>(file));
    EXPECT_NE(file.CompareAbs(other), 0);
    EXPECT_EQ(-file.CompareAbs(other) > 0, other.CompareAbs(file) > 0);
}

TEST(Pidl, NullAndEmptyLists)
{
    EXPECT_EQ(PIDL::GetSizeOne(nullptr) + PIDL::GetSizeTotal(nullptr), 0u);
    EXPECT_EQ(PIDL::GetCount(nullptr), 0);
    EXPECT_TRUE(PIDL::IsEmpty(nullptr));
    EXPECT_TRUE(!PIDL::GetFirst(nullptr) && !PIDL::GetLast(nullptr) && !PIDL::GetEnd(nullptr));
    EXPECT_TRUE(PIDL::IsValid(nullptr, 0));
    EXPECT_FALSE(PIDL::IsValid(nullptr, 2));

    PIDL list;
    EXPECT_FALSE(list.IsReady() || list.RemoveLast());
    EXPECT_EQ(list.GetPut(1, nullptr), 0u);
    ASSERT_TRUE(list.Reset());
    EXPECT_TRUE(PIDL::IsEmpty(list));
    EXPECT_EQ(PIDL::GetSizeTotal(list), 2u);
    EXPECT_EQ(PIDL::GetFirst(list), nullptr);
    EXPECT_FALSE(list.RemoveLast());
    list.Free();
    ASSERT_TRUE(list.CopyAll(nullptr));
    EXPECT_TRUE(list.IsReady() && PIDL::IsEmpty(list));
    // Appending to a PIDL that holds nothing starts from an empty list.
    std::vector<BYTE> items = MakeList({6, 4});
    PIDL appended;
    ASSERT_TRUE(appended.AppendAll(AsList(items)));
    EXPECT_EQ(Bytes(appended), items);

    ITEMIDLIST* made = PIDL::Make();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(PIDL::GetSizeTotal(made), 2u);
    ITEMIDLIST* detached = nullptr;
    {
        PIDL owner;
        owner.Attach(made);
        detached = owner.Detach();
        EXPECT_FALSE(owner.IsReady());
    }
    EXPECT_EQ(detached, made);  // still ours after the owner went
    FreePIDL(detached);

    // Allocation: zero-filled blocks, and a copy of a list's first item.
    ITEMIDLIST* block = AllocPIDL(static_cast<unsigned short>(32));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(memcmp(block, std::vector<BYTE>(32, 0).data(), 32), 0);
    FreePIDL(block);
    FreePIDL(nullptr);
    std::vector<BYTE> two = MakeList({6, 8});
    ITEMIDLIST* first = AllocPIDL(AsList(two));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(PIDL::GetCount(first), 1);
    EXPECT_EQ(PIDL::GetSizeTotal(first), 8u);
    EXPECT_EQ(memcmp(first, two.data(), 6), 0);
    FreePIDL(first);
    EXPECT_EQ(AllocPIDL(static_cast<const ITEMIDLIST*>(nullptr)), nullptr);
    const BYTE oneByte[] = {1, 0, 0, 0};
    EXPECT_EQ(AllocPIDL(reinterpret_cast<const ITEMIDLIST*>(oneByte)), nullptr);
}

TEST(Pidl, PutTakesOnlyConsistentListsOfAtMost4096BytesAndGetWritesAllOrNothing)
{
    std::vector<BYTE> good = MakeList({10, 4, 20});
    PIDL list;
    ASSERT_EQ(list.GetPut(0, good.data()), good.size());
    EXPECT_EQ(Bytes(list), good);
    // Bytes after the terminator are not part of the list.
    std::vector<BYTE> trailing = good;
    trailing.insert(trailing.end(), {9, 9, 9});
    PIDL other;
    EXPECT_EQ(other.GetPut(0, trailing.data(), static_cast<unsigned>(trailing.size())), good.size());

    struct Bad {
        const char* what;
        std::vector<BYTE> bytes;
        unsigned bufSize;
        bool wellFormed;  // refused for its size alone
    } const bad[] = {
        {"item of one byte", {4, 0, 1, 2, 1, 0, 0, 0}, 0, false},
        {"item runs past the buffer", {4, 0, 1, 2, 9, 0, 3, 3, 0, 0}, 8, false},
        {"terminator outside the buffer", good, static_cast<unsigned>(good.size() - 1), false},
        {"more than 4096 bytes", MakeList({4000, 96}), 0, true},
        {"no terminator within 4096 bytes", std::vector<BYTE>(6000, 0x10), 0, false},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.what);
        std::vector<BYTE> buffer = b.bytes;
        EXPECT_EQ(list.GetPut(0, buffer.data(), b.bufSize), 0u);
        EXPECT_EQ(Bytes(list), good);  // the held list stays
        EXPECT_EQ(PIDL::IsValid(AsList(buffer), b.bufSize ? b.bufSize : static_cast<unsigned>(buffer.size())),
                  b.wellFormed);
    }
    EXPECT_EQ(list.GetPut(0, nullptr), 0u);
    std::vector<BYTE> largest = MakeList({4000, 94});  // exactly 4096 bytes is still taken
    EXPECT_EQ(list.GetPut(0, largest.data()), 4096u);
    EXPECT_EQ(Bytes(list), largest);

    ASSERT_EQ(list.GetPut(0, good.data()), good.size());
    const int size = static_cast<int>(good.size());
    EXPECT_EQ(list.GetPut(1, nullptr), good.size());
    test::GuardedBuffer<unsigned char> exact(size), small(size - 1);
    EXPECT_EQ(list.GetPut(1, exact.Data(), size), good.size());
    EXPECT_EQ(std::vector<BYTE>(exact.Data(), exact.Data() + size), good);
    memset(small.Data(), 0x77, size - 1);
    EXPECT_EQ(list.GetPut(1, small.Data(), size - 1), 0u);
    EXPECT_EQ(small.Data()[0], 0x77);
    EXPECT_TRUE(exact.GuardIntact() && small.GuardIntact());
}

TEST_F(ShellItems, ListsOfListsRoundTripThroughOneBuffer)
{
    PIDL a, b, empty, a2, empty2, b2;
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
    std::vector<BYTE> buffer(size);
    EXPECT_EQ(PIDL::GetPutPIDLList(lists, size, 1, buffer.data()), size);
    EXPECT_EQ(PIDL::GetPutPIDLList(lists, size - 1, 1, buffer.data()), 0u);  // too small: nothing
    // One byte short: the last list is cut, so none is taken.
    EXPECT_EQ(PIDL::GetPutPIDLList(read, size - 1, 0, buffer.data()), 0u);
    EXPECT_FALSE(a2.IsReady() || b2.IsReady());
    EXPECT_EQ(PIDL::GetPutPIDLList(read, size, 0, buffer.data()), size);
    EXPECT_EQ(Bytes(a2), Bytes(a));
    EXPECT_TRUE(empty2.IsReady() && PIDL::IsEmpty(empty2));
    EXPECT_EQ(Bytes(b2), Bytes(b));
    EXPECT_EQ(PathOf(b2), ShellPath(L"Sub\\c.txt"));
}

TEST_F(ShellItems, PersistKeepsOnlyConsistentValues)
{
    const std::wstring name = std::to_wstring(GetCurrentProcessId()) + L"-shell";
    RegKey key((L"HKCU\\Software\\GlimpseboxTests\\" + name).c_str(), 1);
    ASSERT_TRUE(key.IsOpen());
    PIDL file, loaded, none;
    Attach(file, L"a.txt");
    ASSERT_TRUE(file.IsReady());
    EXPECT_TRUE(file.Persist(1, key, L"Item"));
    EXPECT_EQ(key.GetBinSize(L"Item"), PIDL::GetSizeTotal(file));
    EXPECT_TRUE(loaded.Persist(0, key, L"Item"));
    EXPECT_EQ(Bytes(loaded), Bytes(file));
    EXPECT_EQ(PathOf(loaded), ShellPath(L"a.txt"));

    // Values that are not a list of at most 4096 bytes leave the loaded list as it was.
    std::vector<BYTE> big = MakeList({4000, 998});
    const BYTE inconsistent[] = {9, 0, 1, 2, 0, 0};
    ASSERT_TRUE(key.PutBin(L"Big", big.data(), static_cast<unsigned>(big.size())));
    ASSERT_TRUE(key.PutBin(L"Broken", inconsistent, sizeof(inconsistent)));
    for (const wchar_t* value : {L"Big", L"Broken", L"Missing"}) {
        EXPECT_TRUE(loaded.Persist(0, key, value));
        EXPECT_EQ(Bytes(loaded), Bytes(file)) << test::ToUtf8(value);
    }
    // Storing no list deletes the value.
    EXPECT_TRUE(none.Persist(1, key, L"Item"));
    EXPECT_FALSE(key.FindValue(L"Item"));
    key.Close();
    RegKey(L"HKCU\\Software\\GlimpseboxTests", 1).DelSubKey(name.c_str());
}

TEST_F(ShellItems, MakeRootCutsBackToTheDrive)
{
    PIDL file, desktop, computer;
    Attach(file, L"Sub\\c.txt");
    ASSERT_TRUE(file.MakeRoot());
    wchar_t root[MAX_PATH];
    ASSERT_TRUE(ExtractRootPath(root, dir.c_str()));
    EXPECT_TRUE(IsSamePath(PathOf(file).c_str(), root)) << test::ToUtf8(PathOf(file));
    // The desktop directory's list reaches the root too, whatever its items are.
    ASSERT_TRUE(desktop.Attach(CSIDL_DESKTOPDIRECTORY));
    ASSERT_TRUE(desktop.MakeRoot());
    ASSERT_TRUE(ExtractRootPath(root, SpecialFolder(CSIDL_DESKTOPDIRECTORY).c_str()));
    EXPECT_TRUE(IsSamePath(PathOf(desktop).c_str(), root));
    // "My Computer" has no file-system path.
    ASSERT_TRUE(computer.Attach(CSIDL_DRIVES));
    ASSERT_TRUE(computer.MakeRoot());
    EXPECT_TRUE(computer.IsReady() && PIDL::IsEmpty(computer));
}

TEST(Pidl, IsIETellsBrowserWindows)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    for (const wchar_t* name : {L"IEFrame", L"Internet Explorer_Server", L"GlmbxPlainFrame"}) {
        wc.lpszClassName = name;
        RegisterClassW(&wc);
    }
    auto make = [&](const wchar_t* name, HWND parent) {
        return CreateWindowExW(0, name, L"", parent ? WS_CHILD : WS_POPUP, 0, 0, 10, 10, parent, nullptr,
                               wc.hInstance, nullptr);
    };
    HWND browser = make(L"IEFrame", nullptr);
    HWND plain = make(L"GlmbxPlainFrame", nullptr);
    HWND pane = make(L"GlmbxPlainFrame", plain);
    EXPECT_TRUE(PIDL::IsIE(browser));
    EXPECT_FALSE(PIDL::IsIE(plain));
    // A frame that hosts the browser's view shows web content, asked of the frame or any child.
    HWND view = make(L"Internet Explorer_Server", pane);
    EXPECT_TRUE(PIDL::IsIE(plain) && PIDL::IsIE(pane));
    DestroyWindow(view);
    EXPECT_FALSE(PIDL::IsIE(pane) || PIDL::IsIE(nullptr));
    DestroyWindow(plain);
    DestroyWindow(browser);
}

// ---- Folders ----

TEST_F(ShellItems, FolderBoundToAPathWalksAndAnswersForItsItems)
{
    PIDL location, a, b, sub, deep;
    iShellFolder folder(dir.c_str(), location);
    ASSERT_TRUE(folder.IsReady());
    wchar_t shellDir[MAX_PATH];
    ConvertPathToLFN(dir.c_str(), shellDir);
    EXPECT_EQ(PathOf(location), shellDir);
    EXPECT_EQ(folder.GetAttributes() & (SFGAO_FOLDER | SFGAO_FILESYSTEM), static_cast<ULONG>(SFGAO_FOLDER | SFGAO_FILESYSTEM));
    EXPECT_EQ(NamesIn(folder, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS), (Names{L"a.txt", L"b.txt", L"Sub"}));
    iEnumIDList walk(folder, nullptr, SHCONTF_FOLDERS);
    ASSERT_TRUE(walk.IsReady());
    FreePIDL(walk.Next());
    ASSERT_TRUE(walk.Reset());
    ITEMIDLIST* again = walk.Next();
    EXPECT_NE(again, nullptr);
    FreePIDL(again);

    a.Attach(folder.ParseDisplayName(L"a.txt", nullptr));
    b.Attach(folder.ParseDisplayName(L"b.txt", nullptr));
    ULONG asked = SFGAO_FOLDER;
    sub.Attach(folder.ParseDisplayName(L"Sub", &asked));
    ASSERT_TRUE(a.IsReady() && b.IsReady() && sub.IsReady());
    EXPECT_EQ(asked & SFGAO_FOLDER, static_cast<ULONG>(SFGAO_FOLDER));
    EXPECT_EQ(folder.GetAttributesOf(a, SFGAO_FOLDER | SFGAO_FILESYSTEM), static_cast<ULONG>(SFGAO_FILESYSTEM));
    EXPECT_EQ(folder.GetAttributesOf(sub, SFGAO_FOLDER), static_cast<ULONG>(SFGAO_FOLDER));
    EXPECT_EQ(folder.ParseDisplayName(L"missing.txt", nullptr), nullptr);
    int order = 0;
    EXPECT_TRUE(folder.Compare(a, b, 0, order) && order < 0);
    EXPECT_TRUE(folder.Compare(a, a, 0, order) && order == 0);
    // An item two levels down is asked of the folder that holds it.
    deep.Attach(folder.ParseDisplayName(L"Sub\\c.txt", nullptr));
    ASSERT_EQ(PIDL::GetCount(deep), 2);
    IDataObject* data = nullptr;
    EXPECT_TRUE(folder.GetItemObj(nullptr, deep, IID_IDataObject, reinterpret_cast<void**>(&data)) && Got(data));

    // Binding to the child replaces the folder; a file is no folder and changes nothing.
    EXPECT_FALSE(folder.BindTo(a));
    ASSERT_TRUE(folder.BindTo(sub));
    EXPECT_TRUE(folder.GetAttributes() & SFGAO_FOLDER);
    EXPECT_EQ(NamesIn(folder, SHCONTF_NONFOLDERS), Names{L"c.txt"});
}

TEST_F(ShellItems, BindingFromTheDesktop)
{
    PIDL sub, file;
    Attach(sub, L"Sub");
    Attach(file, L"a.txt");
    ASSERT_TRUE(sub.IsReady());
    iShellFolder desktop(nullptr, nullptr);
    ASSERT_TRUE(desktop.IsReady());
    iShellFolder direct(nullptr, sub), stepwise, below(&desktop, sub);
    ASSERT_TRUE(stepwise.BindToAbs(sub));
    for (iShellFolder* folder : {&direct, &stepwise, &below})
        EXPECT_EQ(NamesIn(*folder, SHCONTF_NONFOLDERS), Names{L"c.txt"});
    // A failed step leaves the folder that was bound.
    EXPECT_FALSE(stepwise.BindToAbs(file));
    EXPECT_EQ(NamesIn(stepwise, SHCONTF_NONFOLDERS), Names{L"c.txt"});
}

TEST(ShellFolder, EmptyWrappersRefuseEverything)
{
    iShellFolder none;
    PIDL item, out;
    ASSERT_TRUE(item.Reset());
    void* object = reinterpret_cast<void*>(1);
    EXPECT_FALSE(none.BindToObject(item, IID_IShellFolder, &object));
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(none.GetAttributesOf(item, ~0u), 0u);
    EXPECT_EQ(none.ParseDisplayName(L"C:\\", nullptr), nullptr);
    wchar_t name[8] = L"x";
    EXPECT_FALSE(none.GetDisplayNameOf(item, SHGDN_NORMAL, name, 8));
    EXPECT_STREQ(name, L"");
    int order = 5;
    EXPECT_FALSE(none.Compare(item, item, 0, order));
    IEnumIDList* walk = nullptr;
    EXPECT_FALSE(none.EnumObjects(nullptr, SHCONTF_FOLDERS, &walk));
    iEnumIDList noWalk(none, nullptr, SHCONTF_FOLDERS);
    EXPECT_FALSE(noWalk.IsReady() || noWalk.Reset());
    EXPECT_EQ(noWalk.Next(), nullptr);
    // A path that names nothing binds nothing and gives no list.
    ASSERT_TRUE(out.Reset());
    iShellFolder missing(L"C:\\no such folder\\really", out);
    EXPECT_FALSE(missing.IsReady() || out.IsReady());
}

// ---- Names, icons and attributes ----

TEST_F(ShellItems, PathsNamesIconsAndAttributesOfItems)
{
    PIDL file, folder, desktop;
    Attach(file, L"a.txt");
    Attach(folder, L"Sub");
    test::ExpectBounded<wchar_t>(ShellPath(L"a.txt"), [&](wchar_t* buf, int size) { GetPathOf(file, buf, size); });
    wchar_t name[MAX_PATH];
    ASSERT_TRUE(GetShellNameOf(file, name));
    EXPECT_EQ(name[0], L'a');
    ASSERT_TRUE(GetShellNameOf(folder, name));
    EXPECT_STREQ(name, L"Sub");
    ASSERT_TRUE(GetShellNameOf(folder, name, MAX_PATH, SHGDN_FORPARSING));
    EXPECT_EQ(std::wstring(name), ShellPath(L"Sub"));

    EXPECT_TRUE(GetAttributesOf(folder) & SFGAO_FOLDER);
    EXPECT_EQ(GetAttributesOf(file) & (SFGAO_FOLDER | SFGAO_FILESYSTEM), static_cast<ULONG>(SFGAO_FILESYSTEM));
    EXPECT_TRUE(GetAttributesOf(Path(L"Sub").c_str()) & SFGAO_FOLDER);
    EXPECT_EQ(GetAttributesOf(Path(L"missing.txt").c_str()), 0u);
    EXPECT_GE(GetSysIconIndex(folder), 0);
    EXPECT_GE(GetSysIconIndex(file, SHGFI_LARGEICON), 0);
    for (HICON icon : {GetIconOf(file), GetIconOf(static_cast<const ITEMIDLIST*>(folder), SHGFI_LARGEICON),
                       GetIconOf(Path(L"a.txt").c_str())}) {
        EXPECT_NE(icon, nullptr);
        DestroyIcon(icon);
    }

    // The shell's form of a path: the case stored on disk.
    ASSERT_TRUE(test::WriteUtf8File(Path(L"MixedCase.Txt"), "m"));
    wchar_t shown[MAX_PATH];
    ASSERT_TRUE(GetShellPathOf(Path(L"mixedcase.txt").c_str(), shown, MAX_PATH, FALSE));
    EXPECT_EQ(std::wstring(shown), ShellPath(L"MixedCase.Txt"));
    EXPECT_FALSE(GetShellPathOf(Path(L"missing.txt").c_str(), shown));
    EXPECT_EQ(std::wstring(shown), Path(L"missing.txt"));

    // The empty list is the desktop's folder only when asked for.
    ASSERT_TRUE(desktop.Attach(CSIDL_DESKTOP));
    ASSERT_TRUE(PIDL::IsEmpty(desktop));
    wchar_t path[MAX_PATH] = L"x";
    EXPECT_FALSE(GetPathOf(desktop, path));
    EXPECT_STREQ(path, L"");
    ASSERT_TRUE(GetPathOf(desktop, path, MAX_PATH, TRUE));
    EXPECT_EQ(std::wstring(path), SpecialFolder(CSIDL_DESKTOPDIRECTORY));
    EXPECT_TRUE(GetShellNameOf(desktop, name) && name[0]);
}

TEST(ShellNames, ShouldShowExtFollowsTheUsersChoice)
{
    RegKey key(L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", 1);
    ASSERT_TRUE(key.IsOpen());
    bool had = key.FindValue(L"HideFileExt");
    unsigned long before = key.GetDword(L"HideFileExt", 0);
    ASSERT_TRUE(key.PutDword(L"HideFileExt", 1));
    EXPECT_FALSE(ShouldShowExt());
    ASSERT_TRUE(key.PutDword(L"HideFileExt", 0));
    EXPECT_TRUE(ShouldShowExt());
    key.DelValue(L"HideFileExt");
    EXPECT_TRUE(ShouldShowExt());
    if (had)
        key.PutDword(L"HideFileExt", before);
}

TEST(ShellNames, BadInputAndForeignListsNeverCrash)
{
    std::wstring longPath = L"C:\\" + std::wstring(400, L'x') + L"\\file.txt";
    std::wstring hugePath(5000, L'y');
    for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", L"::{not a class}", L"\\\\", L"C:\\<>|",
                                longPath.c_str(), hugePath.c_str()}) {
        SCOPED_TRACE(path ? test::ToUtf8(std::wstring(path).substr(0, 40)) : "null");
        FreePIDL(GetPidlOf(path));
        ULONG attributes = GetAttributesOf(path);
        EXPECT_TRUE(!attributes || (path && *path && wcslen(path) < MAX_PATH));
        DestroyIcon(GetIconOf(path));
        wchar_t buf[MAX_PATH] = L"";
        GetShellPathOf(path, buf);
        EXPECT_EQ(buf[MAX_PATH - 1], 0);
        EXPECT_EQ(GetAnySpecialSubFolderData(path), nullptr);
        EXPECT_EQ(GetNetHoodSubFolder(path), nullptr);
    }
    EXPECT_EQ(GetPidlOf(longPath.c_str()), nullptr);
    EXPECT_FALSE(SimplifyShellName(nullptr) || UnSimplifyShellName(nullptr));
    wchar_t buf[4] = L"abc";
    EXPECT_FALSE(GetPathOf(nullptr, buf, 4) || GetShellNameOf(nullptr, buf, 4) || GetPathOf(nullptr, nullptr, 0));
    EXPECT_EQ(GetSysIconIndex(nullptr), -1);
    EXPECT_EQ(GetIconOf(static_cast<const ITEMIDLIST*>(nullptr)), nullptr);
    EXPECT_EQ(GetAttributesOf(static_cast<const ITEMIDLIST*>(nullptr)), 0u);

    // Well-formed lists whose items no folder of this system made.
    std::vector<std::vector<BYTE>> foreign = {MakeList({20}), MakeList({3, 40, 5}), MakeList({30}), MakeList({25, 30})};
    foreign[2][2] = 0x31;  // claims to be a file-system folder, holds no name
    foreign[3][2] = 0x2F;  // claims to be a drive
    for (const std::vector<BYTE>& bytes : foreign) {
        const ITEMIDLIST* list = AsList(bytes);
        wchar_t name[MAX_PATH];
        GetPathOf(list, name, MAX_PATH, TRUE, TRUE);
        GetShellNameOf(list, name);
        GetSysIconIndex(list);
        DestroyIcon(GetIconOf(list));
        GetAttributesOf(list);
        iShellFolder folder(nullptr, list), stepwise;
        stepwise.BindToAbs(list);
        PIDL copy;
        ASSERT_TRUE(copy.CopyAll(list));
        copy.MakeRoot();
        EXPECT_EQ(copy.CompareAbs(copy), 0);
    }
}

// ---- Special folders ----

TEST(SpecialFolders, ThreeEntriesFromTheSystem)
{
    SPEC_FOLDER_DATA** entries = GetSPEC_FOLDER_DATA(0);
    ASSERT_NE(entries, nullptr);
    const int expected[3][2] = {{CSIDL_DESKTOPDIRECTORY, CSIDL_DESKTOP}, {CSIDL_NETHOOD, CSIDL_NETWORK},
                                {CSIDL_PERSONAL, CSIDL_PERSONAL}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(entries[i], nullptr);
        EXPECT_EQ(entries[i]->nCSIDL, expected[i][0]);
        EXPECT_EQ(entries[i]->nNameCSIDL, expected[i][1]);
        std::wstring folder = SpecialFolder(expected[i][0]);
        EXPECT_EQ(std::wstring(entries[i]->pszPath), folder.empty() ? folder : folder + L"\\");
        EXPECT_EQ(entries[i]->nPathLen, static_cast<int>(wcslen(entries[i]->pszPath)));
        PIDL named;
        wchar_t name[MAX_PATH] = L"";
        if (named.Attach(expected[i][1]))
            GetShellNameOf(named, name);
        EXPECT_STREQ(entries[i]->pszName, name);
    }
    EXPECT_EQ(entries[3], nullptr);
    EXPECT_TRUE(entries[0]->pszName[0] && entries[0]->pszPath[0]);
    // Released and made again on the next use, with the same contents.
    std::wstring desktopName = entries[0]->pszName;
    EXPECT_EQ(GetSPEC_FOLDER_DATA(1), nullptr);
    entries = GetSPEC_FOLDER_DATA(0);
    ASSERT_NE(entries, nullptr);
    EXPECT_EQ(std::wstring(entries[0]->pszName), desktopName);
}

TEST(SpecialFolders, DesktopAndDocumentPathsSimplifyAndBack)
{
    std::wstring desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    ASSERT_FALSE(desktop.empty());
    const SPEC_FOLDER_DATA* entry = GetSPEC_FOLDER_DATA(0)[0];
    std::wstring name = entry->pszName;
    ASSERT_FALSE(name.empty());
    std::wstring file = desktop + L"\\Notes\\today.txt";
    EXPECT_EQ(Through(SimplifyShellName, file), name + L"\\Notes\\today.txt");
    EXPECT_EQ(Through(UnSimplifyShellName, name + L"\\Notes\\today.txt"), file);
    EXPECT_EQ(Through(SimplifyShellName, desktop), name);
    EXPECT_EQ(Through(UnSimplifyShellName, name), desktop);
    EXPECT_EQ(GetAnySpecialSubFolderData(file.c_str()), entry);
    EXPECT_EQ(GetAnySpecialSubFolderData(desktop.c_str()), entry);

    // Letter case does not matter either way; a longer component is another folder.
    std::wstring upper = file, lowerName = name;
    CharUpperW(&upper[0]);
    CharLowerW(&lowerName[0]);
    EXPECT_EQ(Through(SimplifyShellName, upper), name + L"\\NOTES\\TODAY.TXT");
    EXPECT_EQ(Through(UnSimplifyShellName, lowerName + L"\\x.txt"), desktop + L"\\x.txt");
    EXPECT_EQ(Through(SimplifyShellName, desktop + L"Extra\\x.txt"), desktop + L"Extra\\x.txt");
    EXPECT_EQ(Through(UnSimplifyShellName, name + L"Extra\\x.txt"), name + L"Extra\\x.txt");
    std::wstring elsewhere = test::NewTempDir(L"simplify") + L"\\x.txt";
    EXPECT_EQ(Through(SimplifyShellName, elsewhere), elsewhere);
    EXPECT_EQ(GetAnySpecialSubFolderData(elsewhere.c_str()), nullptr);
    // The display form of the real desktop folder is its display name.
    wchar_t shown[MAX_PATH];
    ASSERT_TRUE(GetShellPathOf(desktop.c_str(), shown));
    EXPECT_EQ(std::wstring(shown), name);

    // A result that does not fit leaves the path as it was.
    std::wstring longName = name + L"\\" + std::wstring(MAX_PATH - name.size() - 4, L'n');
    std::vector<wchar_t> buf(longName.begin(), longName.end());
    buf.resize(MAX_PATH, 0);
    EXPECT_FALSE(UnSimplifyShellName(buf.data(), MAX_PATH));
    EXPECT_EQ(std::wstring(buf.data()), longName);
    std::vector<wchar_t> small(file.begin(), file.end());
    small.push_back(0);
    EXPECT_FALSE(SimplifyShellName(small.data(), static_cast<int>(name.size()) + 3));
    EXPECT_EQ(std::wstring(small.data()), file);

    const SPEC_FOLDER_DATA* documents = GetSPEC_FOLDER_DATA(0)[2];
    if (documents->pszPath[0] && documents->pszName[0]) {
        std::wstring folder(documents->pszPath, documents->nPathLen - 1);
        std::wstring shownName = documents->pszName;
        EXPECT_EQ(Through(SimplifyShellName, folder + L"\\letter.doc"), shownName + L"\\letter.doc");
        EXPECT_EQ(Through(UnSimplifyShellName, shownName + L"\\letter.doc"), folder + L"\\letter.doc");
    }
}

TEST(SpecialFolders, NetworkNeighbourhoodShortcutsLeadToTheirTargets)
{
    const SPEC_FOLDER_DATA* entry = GetSPEC_FOLDER_DATA(0)[1];
    std::wstring nethood = SpecialFolder(CSIDL_NETHOOD);
    if (nethood.empty())
        GTEST_SKIP() << "no network neighbourhood folder in this prefix";
    EXPECT_EQ(std::wstring(entry->pszPath), nethood + L"\\");
    EXPECT_STREQ(GetNetHoodSubFolder((nethood + L"\\Share").c_str()), L"Share");
    EXPECT_EQ(GetNetHoodSubFolder(nethood.c_str()), nullptr);
    EXPECT_EQ(GetNetHoodSubFolder((SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Share").c_str()), nullptr);

    // A link file and a folder shortcut ("target.lnk" inside) in the folder.
    std::wstring targets = test::NewTempDir(L"nethood");
    std::wstring name = L"GlmbxTest" + std::to_wstring(GetCurrentProcessId());
    std::wstring link = nethood + L"\\" + name + L".lnk", shortcutFolder = nethood + L"\\" + name;
    ASSERT_TRUE(CreateLink(targets.c_str(), link.c_str()));
    ASSERT_TRUE(CreateDirectoryW(shortcutFolder.c_str(), nullptr));
    ASSERT_TRUE(CreateLink(targets.c_str(), (shortcutFolder + L"\\target.lnk").c_str()));
    for (const std::wstring& entryPath : {link, shortcutFolder}) {
        SCOPED_TRACE(test::ToUtf8(entryPath));
        PIDL item;
        item.Attach(GetPidlOf(entryPath.c_str()));
        ASSERT_TRUE(item.IsReady());
        wchar_t path[MAX_PATH];
        ASSERT_TRUE(GetPathOf(item, path, MAX_PATH, FALSE, TRUE));
        EXPECT_TRUE(IsSamePath(path, targets.c_str())) << test::ToUtf8(path);
        ASSERT_TRUE(GetPathOf(item, path, MAX_PATH, FALSE, FALSE));
        EXPECT_TRUE(IsSamePath(path, entryPath.c_str()));
    }
    DeleteFileW(link.c_str());
    DeleteFileW((shortcutFolder + L"\\target.lnk").c_str());
    RemoveDirectoryW(shortcutFolder.c_str());
}
