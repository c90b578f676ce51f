// RegKey against Wine's real registry, below a throw-away key of the current user that each
// test creates and deletes again.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <cstring>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "support/GuardedBuffer.h"
#include "support/Row.h"
#include "support/TestSupport.h"
#include "sys/RegKey.h"

using test::ToUtf8;

namespace {

static_assert(!std::is_copy_constructible<RegKey>::value && !std::is_copy_assignable<RegKey>::value,
              "one owner per key");

const DWORD Missing = ~0u;
using Bytes = std::vector<BYTE>;
using Value = std::pair<DWORD, Bytes>;

// What the registry really holds, read past RegKey: a value's type (Missing when there is
// none) and bytes.
Value Raw(const std::wstring& sub, const wchar_t* name)
{
    HKEY key = nullptr;
    DWORD type = 0, size = 12000;
    Bytes data(size);
    bool found = RegOpenKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS &&
                 RegQueryValueExW(key, name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    data.resize(found ? size : 0);
    return {found ? type : Missing, data};
}

bool HasValue(const std::wstring& sub, const wchar_t* name)
{
    return Raw(sub, name).first != Missing;
}

bool Exists(const std::wstring& sub)
{
    HKEY key = nullptr;
    bool opened = RegOpenKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    RegCloseKey(key);
    return opened;
}

void RawSet(const std::wstring& sub, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, sub.c_str(), name, type, data, size), ERROR_SUCCESS);
}

// Every key and value below a key ("\\key" and "|value" paths), for comparing trees.
std::map<std::wstring, Value> Tree(const std::wstring& sub)
{
    std::map<std::wstring, Value> out;
    HKEY key = nullptr;
    wchar_t name[256];
    if (RegOpenKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    for (DWORD i = 0, n = 256; !RegEnumValueW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr); ++i, n = 256)
        out[L"|" + std::wstring(name)] = Raw(sub, name);
    for (DWORD i = 0, n = 256; !RegEnumKeyExW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr); ++i, n = 256) {
        std::wstring child = L"\\" + std::wstring(name);
        out[child] = {0, {}};
        for (const auto& below : Tree(sub + child))
            out[child + below.first] = below.second;
    }
    RegCloseKey(key);
    return out;
}

// Tells whether anything below a key was written: the registry signals as part of the write.
class ChangeWatch {
public:
    explicit ChangeWatch(const std::wstring& sub) { RegOpenKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_NOTIFY, &key); }
    ~ChangeWatch()
    {
        RegCloseKey(key);
        CloseHandle(event);
    }
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;
    bool Changed()
    {
        bool changed = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
        ResetEvent(event);
        RegNotifyChangeKeyValue(key, TRUE, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME, event, TRUE);
        return changed;
    }

private:
    HKEY key = nullptr;
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

// The test's own key HKCU\Software\GlimpseboxTests\<process>, open in key, gone afterwards.
class Registry : public testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, sub.c_str());
        ASSERT_TRUE(key.Open(path.c_str(), 1));
    }
    void TearDown() override
    {
        EXPECT_FALSE(RegKey::bLogMode);
        RegKey::bLogMode = 0;
        RegDeleteTreeW(HKEY_CURRENT_USER, sub.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\GlimpseboxTests");  // only once it is empty
    }
    std::wstring Path(const std::wstring& tail) const { return path + L"\\" + tail; }
    std::wstring Sub(const std::wstring& tail) const { return sub + L"\\" + tail; }

    // Three levels deep, values of every type the copy knows, and one it does not.
    void BuildTree(const std::wstring& tail)
    {
        RegKey root(Path(tail).c_str(), 1), one(root, L"One", 1), three(one, L"Two\\Three", 1);
        const unsigned char blob[] = {0, 1, 2, 254, 255};
        EXPECT_TRUE(root.PutStr(nullptr, L"root default") && root.PutDword(L"Count", 42) && root.PutBin(L"Blob", blob, 5));
        EXPECT_TRUE(one.PutStr(L"S", L"level one") && one.PutBin(L"Empty", blob, 0) && three.PutDword(L"D", ~0u));
        EXPECT_TRUE(three.PutStr(nullptr, L"deep") && RegKey(root, L"Sibling\\Nested", 1).PutInt(L"Minus", -5));
        RawSet(Sub(tail + L"\\One"), L"Multi", REG_MULTI_SZ, L"a\0b\0", 10);
    }

    std::wstring sub = L"Software\\GlimpseboxTests\\" + std::to_wstring(GetCurrentProcessId());
    std::wstring path = L"HKCU\\" + sub;
    RegKey key;
};

} // namespace

TEST_F(Registry, KeyPathsReadWithoutCreatingAndCreateEveryLevel)
{
    const std::wstring ab = Path(L"A\\B");
    EXPECT_FALSE(RegKey(ab.c_str(), 0).IsOpen() || RegKey(ab.c_str(), RegKey::OpCheck).IsOpen() ||
                 RegKey(ab.c_str(), RegKey::OpRead).IsOpen() || Exists(Sub(L"A")));
    RegKey created(Path(L"A\\B\\C").c_str(), 1);
    EXPECT_TRUE(created.PutDword(L"V", 7) && HasValue(Sub(L"A\\B\\C"), L"V"));  // a created key stays open
    EXPECT_TRUE(RegKey(Path(L"I").c_str(), RegKey::OpInstall).IsOpen() && RegKey(Path(L"R").c_str(), RegKey::OpRemove).IsOpen());
    EXPECT_TRUE(Exists(Sub(L"I")) && Exists(Sub(L"R")));

    // Any case, long or short root names, empty components, components before the root.
    for (const std::wstring& form : {L"hkcu\\" + sub + L"\\\\A\\B\\C\\", L"HKEY_CURRENT_USER\\\\" + sub + L"\\A\\B\\C",
                                     L"Foo\\Bar\\hKcU\\" + sub + L"\\A\\B\\C"})
        EXPECT_EQ(RegKey(form.c_str(), 0).GetDword(L"V", 0), 7u) << ToUtf8(form);
    EXPECT_EQ(static_cast<HKEY>(RegKey(L"HKCU", 0)), HKEY_CURRENT_USER);
    for (const wchar_t* root : {L"Foo\\HKLM\\Software\\Microsoft", L"HKEY_LOCAL_MACHINE\\Software", L"HKCLS\\CLSID",
                                L"HKEY_CLASSES_ROOT", L"HKU\\.Default", L"HKEY_USERS"})
        EXPECT_TRUE(RegKey(root, 0).IsOpen()) << ToUtf8(root);
    for (const wchar_t* none : {L"Software\\X", L"HKXX\\Software", L"HKCC\\Software", L"", static_cast<const wchar_t*>(nullptr)})
        EXPECT_FALSE(RegKey(none, 0).IsOpen() || RegKey(none, 1).IsOpen()) << (none ? ToUtf8(none) : "null");
    EXPECT_FALSE(Exists(L"Software\\X"));

    // Joined paths, keys below an open key, parents some levels up.
    RegKey parent(Path(L"A").c_str(), 0), none, up;
    EXPECT_EQ(RegKey(path.c_str(), L"A\\B\\C", 0).GetDword(L"V", 0) + RegKey(parent, L"B\\C", 0).GetDword(L"V", 0), 14u);
    EXPECT_TRUE(RegKey(parent, L"New\\Deeper", 1).IsOpen() && Exists(Sub(L"A\\New\\Deeper")));
    EXPECT_FALSE(RegKey(none, L"X", 1).IsOpen());
    ASSERT_TRUE(up.OpenParent(Path(L"A\\B\\C\\Missing").c_str(), 0, 1));
    EXPECT_EQ(up.GetDword(L"V", 0), 7u);
    ASSERT_TRUE(up.OpenParent(Path(L"A\\B\\C\\Missing\\Deeper").c_str(), 0, 2));
    EXPECT_EQ(up.GetDword(L"V", 0), 7u);
    ASSERT_TRUE(up.OpenParent(L"HKCU\\Software\\X", 0, 5));
    EXPECT_EQ(static_cast<HKEY>(up), HKEY_CURRENT_USER);

    // Components hold at most 127 characters; only the components that are opened count.
    std::wstring tooLong(128, L'k');
    EXPECT_TRUE(RegKey(Path(std::wstring(127, L'k')).c_str(), 1).IsOpen() && up.OpenParent(Path(tooLong).c_str(), 0, 1));
    EXPECT_FALSE(RegKey(Path(tooLong + L"\\below").c_str(), 1).IsOpen() || Exists(Sub(tooLong)));
    EXPECT_FALSE(RegKey((L"HKCU\\" + std::wstring(5000, L'h')).c_str(), 1).IsOpen());
    EXPECT_FALSE(RegKey(path.c_str(), std::wstring(300, L's').c_str(), 1).IsOpen());  // the joined path too
}

TEST_F(Registry, OneOwnerPerKeyAndEveryHandleClosedOnce)
{
    auto closed = [](HKEY handle) {
        return RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr) == ERROR_INVALID_HANDLE;
    };
    HKEY first = key;
    ASSERT_TRUE(key.Open(key, L"Child", 1));  // reopening (here its own sub-key) closes the old handle
    HKEY second = key;
    EXPECT_TRUE(second != first && closed(first) && Exists(Sub(L"Child")));
    key.Close();
    EXPECT_TRUE(static_cast<HKEY>(key) == nullptr && closed(second));
    key.Close();  // twice is harmless
    HKEY scoped = RegKey(path.c_str(), 0);
    EXPECT_TRUE(scoped && closed(scoped));
    { RegKey root(L"HKCU", 0); }  // the predefined roots are never closed
    EXPECT_TRUE(Exists(L"Software"));
}

TEST_F(Registry, ValuesComeBackAsStoredAndMissingOnesGiveTheDefault)
{
    const unsigned char bytes[] = {9, 0, 8, 0, 7};
    ASSERT_TRUE(key.PutDword(L"Dword", 0xDEADBEEF) && key.PutInt(L"Int", -12345) && key.PutStr(nullptr, L"default") &&
                key.PutBin(L"Bin", bytes, 5) && key.PutStr(L"Text", L"abc") && key.PutStr(L"Empty", L""));
    EXPECT_TRUE(key.GetDword(L"Dword", 0) == 0xDEADBEEFu && key.GetInt(L"Int", 0) == -12345);
    EXPECT_EQ(Raw(sub, L"Int"), Value(REG_DWORD, {0xC7, 0xCF, 0xFF, 0xFF}));
    EXPECT_EQ(Raw(sub, L"Bin"), Value(REG_BINARY, Bytes(bytes, bytes + 5)));
    unsigned char back[5] = {};
    EXPECT_TRUE(key.GetBin(L"Bin", back, 5) && key.GetBinSize(L"Bin") == 5u && memcmp(back, bytes, 5) == 0);
    EXPECT_EQ(key.GetValueType(L"Bin"), DWORD(REG_BINARY));
    // Strings are stored with their terminator (an empty one is written too) and come back whole.
    EXPECT_EQ(Raw(sub, L"Text"), Value(REG_SZ, {'a', 0, 'b', 0, 'c', 0, 0, 0}));
    EXPECT_EQ(Raw(sub, L"Empty"), Value(REG_SZ, {0, 0}));
    wchar_t buf[MAX_PATH];
    EXPECT_EQ(key.GetStr(nullptr, buf, MAX_PATH), 7);
    EXPECT_STREQ(buf, L"default");
    std::wstring longText;
    for (int i = 0; i < 5000; ++i)
        longText += static_cast<wchar_t>(L'a' + i % 26);
    ASSERT_TRUE(key.PutStr(L"Long", longText.c_str()));
    std::vector<wchar_t> large(5001);
    EXPECT_EQ(key.GetStr(L"Long", large.data(), 5001), 5000);
    EXPECT_EQ(std::wstring(large.data()), longText);
    EXPECT_EQ(key.GetStr(L"Long", large.data(), 5000, L"def"), 3);  // one short: it does not fit
    EXPECT_STREQ(large.data(), L"def");

    EXPECT_TRUE(key.DelValue(L"Bin") && key.DelValue(L"Bin"));  // gone already: still true
    EXPECT_FALSE(HasValue(sub, L"Bin") || key.FindValue(L"Bin") || key.GetValueType(L"Bin") || key.GetBinSize(L"Bin"));
    EXPECT_EQ(key.GetDword(L"Bin", 77), 77u);
    EXPECT_EQ(key.GetStr(L"Bin", buf, MAX_PATH, L"fallback"), 8);
    EXPECT_STREQ(buf, L"fallback");
    EXPECT_EQ(key.GetStr(L"Bin", buf, MAX_PATH, nullptr), 0);
    EXPECT_STREQ(buf, L"");
    EXPECT_TRUE(key.Flush());
    RegKey closed;  // a key that is not open fails like a failed call
    EXPECT_EQ(closed.GetDword(L"x", 5), 5u);
    EXPECT_FALSE(closed.PutDword(L"x", 1) || closed.PutStr(L"x", L"y") || closed.PutBin(L"x", bytes, 1) ||
                 closed.DelValue(L"x") || closed.Flush());
}

TEST_F(Registry, PutsWriteOnlyWhatChanged)
{
    const unsigned char bytes[] = {1, 2, 3, 0};
    ASSERT_TRUE(key.PutDword(L"D", 5) && key.PutStr(L"S", L"same") && key.PutStr(L"E", L"") && key.PutBin(L"B", bytes, 3));
    RawSet(sub, L"T", REG_BINARY, L"x", 4);  // another type holding "equal" bytes
    RawSet(sub, L"U", REG_BINARY, "\x05\0\0\0", 4);
    ChangeWatch watch(sub);
    watch.Changed();
    EXPECT_TRUE(key.PutDword(L"D", 5) && key.PutInt(L"D", 5) && key.PutStr(L"S", L"same") && key.PutStr(L"E", L"") &&
                key.PutBin(L"B", bytes, 3));
    EXPECT_FALSE(watch.Changed()) << "an unchanged put wrote";
    EXPECT_TRUE(key.PutDword(L"D", 6) && watch.Changed());
    EXPECT_TRUE(key.PutStr(L"S", L"Same") && watch.Changed());  // case counts
    EXPECT_TRUE(key.PutStr(L"S", L"Sam") && watch.Changed());   // a prefix of what is stored
    EXPECT_TRUE(key.PutBin(L"B", bytes, 4) && watch.Changed());  // same bytes, other size
    EXPECT_TRUE(key.PutStr(L"T", L"x") && watch.Changed());
    EXPECT_EQ(Raw(sub, L"T").first, DWORD(REG_SZ));
    EXPECT_TRUE(key.PutDword(L"U", 5) && watch.Changed() && Raw(sub, L"U").first == DWORD(REG_DWORD));
}

TEST_F(Registry, DamagedValuesFallBackToDefaults)
{
    const struct {
        DWORD type;
        const char* data;
        DWORD size;
        unsigned long dword;
    } dwords[] = {
        {REG_SZ, "1\0\0", 4, 0x31}, {REG_BINARY, "\x01\x02", 2, 99}, {REG_QWORD, "\x01\0\0\0\0\0\0\0", 8, 99},
        {REG_BINARY, "", 0, 99}, {REG_BINARY, "\x2A\0\0\0", 4, 42},  // four bytes of another type still count
    };
    for (const auto& d : dwords) {
        RawSet(sub, L"V", d.type, d.data, d.size);
        EXPECT_EQ(key.GetDword(L"V", 99), d.dword) << d.type << "/" << d.size;
    }
    const struct {
        DWORD type;
        const wchar_t* data;
        DWORD size;
        int bufChars;
        const wchar_t* read;
    } strings[] = {
        {REG_DWORD, L"AB", 4, 16, L"AB"},  // any type is read as text
        {REG_MULTI_SZ, L"a\0b\0", 10, 16, L"a"},
        {REG_SZ, L"abcd", 8, 16, L"abcd"},  // no terminator stored
        {REG_SZ, L"xyz", 5, 16, L"xy"},     // an odd byte count
        {REG_EXPAND_SZ, L"%TEMP%", 14, 16, L"%TEMP%"},
        {REG_SZ, L"ab\0\0\0\0", 12, 3, L"ab"},  // zeros after the text do not make it too long
    };
    wchar_t buf[16];
    for (const auto& s : strings) {
        RawSet(sub, L"S", s.type, s.data, s.size);
        EXPECT_EQ(key.GetStr(L"S", buf, s.bufChars, L"def"), static_cast<int>(wcslen(s.read))) << s.type;
        EXPECT_STREQ(buf, s.read) << s.type;
    }
    // The caller's own text as the default survives a failed read.
    wcscpy(buf, L"keep me");
    EXPECT_EQ(key.GetStr(L"Missing", buf, 16, buf), 7);
    EXPECT_STREQ(buf, L"keep me");
    RawSet(sub, L"S", REG_SZ, L"abcd", 10);
    EXPECT_EQ(key.GetStr(L"S", buf, 16, buf), 4);
    EXPECT_STREQ(buf, L"abcd");

    // A binary value larger than the caller's buffer is refused without touching it; 0 trusts the caller.
    RawSet(sub, L"Big", REG_BINARY, "0123456789", 10);
    test::GuardedBuffer<unsigned char> small(8), trusted(10);
    EXPECT_FALSE(key.GetBin(L"Big", small.Data(), 8) || key.GetBin(L"Missing", trusted.Data(), 10));
    EXPECT_TRUE(small.GuardIntact() && small.Data()[0] == test::GuardedBuffer<unsigned char>::Sentinel());
    EXPECT_TRUE(key.GetBin(L"Big", trusted.Data(), 0) && trusted.GuardIntact());
    EXPECT_EQ(memcmp(trusted.Data(), "0123456789", 10), 0);
}

TEST_F(Registry, FontsRectanglesAndPrefixedNames)
{
    LOGFONTW font = {}, *read = nullptr;
    font.lfHeight = -13;
    wcscpy(font.lfFaceName, L"Tahoma");
    ASSERT_TRUE(RegPutLogFont(key, L"Font", &font) && RegGetLogFont(key, L"Font", read));
    EXPECT_EQ(memcmp(read, &font, sizeof(font)), 0);
    for (DWORD size : {0u, 91u, 93u, 184u}) {
        RawSet(sub, L"Bad", REG_BINARY, Bytes(size, 0x41).data(), size);
        EXPECT_FALSE(RegGetLogFont(key, L"Bad", read)) << size;
        EXPECT_EQ(read, nullptr) << size;
        ASSERT_TRUE(RegGetLogFont(key, L"Font", read));
    }
    RawSet(sub, L"Open", REG_BINARY, Bytes(92, 0x41).data(), 92);
    LOGFONTW* same = read;
    ASSERT_TRUE(RegGetLogFont(key, L"Open", read));  // into the same font, its face name terminated
    EXPECT_TRUE(read == same && read->lfFaceName[LF_FACESIZE - 1] == 0);
    EXPECT_TRUE(RegPutLogFont(key, L"Font", nullptr) && !HasValue(sub, L"Font"));
    delete read;

    RECT rect = {10, -20, 300, 400}, back = {1, 2, 3, 4}, expected = {10, -20, 300, 4};
    ASSERT_TRUE(RegPutRect(key, &rect, L"Win"));
    EXPECT_EQ(Raw(sub, L"WinT"), Value(REG_DWORD, {0xEC, 0xFF, 0xFF, 0xFF}));
    key.DelValue(L"WinB");
    RegGetRect(key, &back, L"Win");  // missing: the field keeps its value
    EXPECT_TRUE(EqualRect(&back, &expected));

    EXPECT_TRUE(key.PutIntPrefix(L"Main", L"posLeft", -3) && key.PutStrPrefix(L"Main", L"Title", L"T"));
    EXPECT_TRUE(HasValue(sub, L"MainposLeft") && HasValue(sub, L"MainTitle"));
    EXPECT_TRUE(key.GetIntPrefix(L"Main", L"posLeft", 0) == -3 && key.GetIntPrefix(L"", L"posLeft", 9) == 9);
    EXPECT_TRUE(key.DelValuePrefix(L"Main", L"Title") && !HasValue(sub, L"MainTitle"));
    std::wstring longName(250, L'n');  // joined, longer than 255 characters: neither read nor written
    wchar_t buf[8];
    EXPECT_FALSE(key.PutDwordPrefix(L"1234567", longName.c_str(), 1));
    EXPECT_EQ(key.GetDwordPrefix(L"1234567", longName.c_str(), 8), 8u);
    EXPECT_EQ(key.GetStrPrefix(L"1234567", longName.c_str(), buf, 8, L"d"), 1);

    for (const wchar_t* name : {L"mru1", L"MRU2", L"Other"})
        key.PutDword(name, 1);
    EXPECT_TRUE(key.DelValuesStartingWith(L"mru", FALSE) && !HasValue(sub, L"mru1") && HasValue(sub, L"MRU2"));
    EXPECT_TRUE(key.DelValuesStartingWith(L"mru", TRUE) && !HasValue(sub, L"MRU2") && HasValue(sub, L"Other"));
}

TEST_F(Registry, EnumerationWalksShareOneIndex)
{
    RegKey(key, L"K1", 1);
    RegKey(key, L"K2", 1);
    for (const wchar_t* name : {L"V1", L"V2", L"V3"})
        key.PutDword(name, 1);
    wchar_t name[256];
    std::vector<std::wstring> keys, values;
    for (BOOL more = key.GetFirstSubKey(name, 256); more; more = key.GetNextSubKey(name, 256))
        keys.push_back(name);
    for (BOOL more = key.GetFirstValue(name, 256); more; more = key.GetNextValue(name, 256))
        values.push_back(name);
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"K1", L"K2"}));
    ASSERT_EQ(values.size(), 3u);
    EXPECT_TRUE(key.GetFirstSubKey(name, 256) && key.GetNextValue(name, 256) && name == values[1]);  // one index
    EXPECT_FALSE(key.GetSubKeyByIndex(2, name, 256) || key.GetValueByIndex(3, name, 256) || name[0]);
    EXPECT_TRUE(key.GetSubKeyByIndex(0, name, 2) && !name[0]);  // too long: it exists, its name is not given
    EXPECT_FALSE(key.GetSubKeyByIndex(0, name, 0));
    RegKey closed;
    EXPECT_FALSE(closed.GetFirstSubKey(name, 256) || closed.GetFirstValue(name, 256));
}

TEST_F(Registry, TreesCopiedEmptiedAndDeleted)
{
    BuildTree(L"Source");
    auto source = Tree(Sub(L"Source"));
    ASSERT_TRUE(source.count(L"\\One\\Two\\Three|"));
    RegKey root(Path(L"Source").c_str(), 0), copy(Path(L"Copy").c_str(), 1);
    ASSERT_TRUE(root.CopyTo(copy));
    source.erase(L"\\One|Multi");  // other types are not copied
    EXPECT_EQ(Tree(Sub(L"Copy")), source);

    EXPECT_TRUE(key.DelSubKey(L"Source") && key.DelSubKey(L"Source") && !Exists(Sub(L"Source")));  // again: gone already
    EXPECT_FALSE(key.DelSubKey(L"") || key.DelSubKey(nullptr));  // would be the key itself
    EXPECT_TRUE(key.DelSubKey(L"Copy\\One") && !Exists(Sub(L"Copy\\One")) && Exists(Sub(L"Copy\\Sibling\\Nested")));
    EXPECT_FALSE(copy.IsKeyEmpty());
    EXPECT_TRUE(copy.DelAll() && Exists(Sub(L"Copy")) && Tree(Sub(L"Copy")).empty() && copy.IsKeyEmpty());

    RegKey(key, L"Full", 1).PutDword(L"x", 1);
    RegKey(key, L"HasChild\\Child", 1);
    EXPECT_TRUE(key.DelSubKeyIfEmpty(L"Copy") && key.DelSubKeyIfEmpty(L"Missing") && !Exists(Sub(L"Copy")));
    EXPECT_FALSE(key.DelSubKeyIfEmpty(L"Full") || key.DelSubKeyIfEmpty(L"HasChild"));
    EXPECT_TRUE(key.ProcessSubKey(RegKey::OpCheck, L"Full") && key.ProcessSubKey(RegKey::OpRead, L"HasChild"));
    EXPECT_TRUE(Exists(Sub(L"Full")) && Exists(Sub(L"HasChild")));
    EXPECT_TRUE(key.ProcessSubKey(RegKey::OpInstall, L"Full") && key.ProcessSubKey(RegKey::OpRemove, L"HasChild"));
    EXPECT_FALSE(Exists(Sub(L"Full")) || Exists(Sub(L"HasChild")));

    RegKey inside(key, L"In", 1);  // copying a key into its own sub-key ends
    EXPECT_TRUE(key.PutDword(L"v", 1) && key.CopyTo(inside));
    EXPECT_TRUE(HasValue(Sub(L"In"), L"v") && Exists(Sub(L"In\\In")));
}

TEST_F(Registry, DeletingPastAKeyThatCannotGoTerminates)
{
    RegKey(key, L"Tree\\A\\A1", 1);
    RegKey(key, L"Tree\\Z", 1);
    RawSet(Sub(L"Tree"), L"v", REG_DWORD, "\x01\0\0\0", 4);
    // A child that denies everyone everything cannot be opened, emptied or deleted.
    RegKey locked(key, L"Tree\\M\\Locked", 1);
    RegKey(locked, L"Inside", 1);
    auto setAccess = [&locked](const wchar_t* sddl) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr));
        EXPECT_EQ(RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
        LocalFree(descriptor);
    };
    setAccess(L"D:(D;;GA;;;WD)");
    EXPECT_FALSE(key.DelSubKey(L"Tree"));  // returns: the walk stepped past what remains
    EXPECT_FALSE(Exists(Sub(L"Tree\\A")) || Exists(Sub(L"Tree\\Z")) || HasValue(Sub(L"Tree"), L"v"));
    EXPECT_TRUE(Exists(Sub(L"Tree\\M")));
    setAccess(L"D:(A;;GA;;;WD)");  // lets the clean-up through again
    locked.Close();
    EXPECT_TRUE(key.DelSubKey(L"Tree") && !Exists(Sub(L"Tree")));
}

TEST_F(Registry, EntriesInEveryMode)
{
    ChangeWatch watch(sub);
    watch.Changed();
    wchar_t buf[MAX_PATH];
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpRead, L"S", buf, MAX_PATH));
    // Each step in order against the one string value "S".
    const struct {
        RegKey::Op op;
        const wchar_t* data;
        bool result;
        bool writes;
    } steps[] = {
        {RegKey::OpCheck, L"", true, false},  // missing counts as empty
        {RegKey::OpCheck, L"x", false, false},
        {RegKey::OpCheckAbsent, L"x", true, false},
        {RegKey::OpInstall, L"", true, false},  // an empty string over a missing value: nothing to do
        {RegKey::OpInstall, L"Value", true, true},
        {RegKey::OpInstall, L"Value", true, false},
        {RegKey::OpCheck, L"Value", true, false},
        {RegKey::OpCheck, L"value", false, false},
        {RegKey::OpCheckNoCase, L"VALUE", true, false},
        {RegKey::OpCheckNoCase, L"VALUES", false, false},
        {RegKey::OpCheckAbsent, L"", false, false},
        {static_cast<RegKey::Op>(9), L"anything", true, false},
        {RegKey::OpRemove, L"ignored", true, true},
        {RegKey::OpRemove, L"ignored", true, false},
    };
    for (const auto& s : steps) {
        test::Row trace(testing::Message() << "op " << s.op << " with " << ToUtf8(s.data));
        EXPECT_EQ(!!key.ProcessEntry(s.op, L"S", s.data), s.result);
        EXPECT_EQ(watch.Changed(), s.writes);
        if (s.op == RegKey::OpInstall && s.data[0]) {
            EXPECT_TRUE(key.ProcessEntry(RegKey::OpRead, L"S", buf, MAX_PATH) && wcscmp(buf, s.data) == 0);
        }
    }
    EXPECT_FALSE(HasValue(sub, L"S"));

    // Numbers: a missing value and 0 are the same, so installing 0 deletes.
    unsigned long zero = 0, seven = 7, read = 0;
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpCheck, L"N", zero) && !key.ProcessEntry(RegKey::OpCheck, L"N", seven));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"N", seven) && key.ProcessEntry(RegKey::OpCheck, L"N", seven));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpRead, L"N", read) && read == 7u);
    EXPECT_EQ(Raw(sub, L"N").first, DWORD(REG_DWORD));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"N", zero) && !HasValue(sub, L"N"));
    int minus = -2, signedRead = 0;
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"I", minus) && key.ProcessEntry(RegKey::OpRead, L"I", signedRead));
    EXPECT_EQ(signedRead, -2);
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpRemove, L"I", minus) && !HasValue(sub, L"I"));
    // The string-only operations are no numeric operations.
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpCheckAbsent, L"I", minus) || key.ProcessEntry(RegKey::OpCheckNoCase, L"I", zero));
}

TEST_F(Registry, LogModeCountsThenWritesRegistryTextAndTouchesNothing)
{
    auto run = [] {
        RegKey logged(L"HKCU\\Software\\X", 1);
        EXPECT_TRUE(logged.IsOpen() && logged.PutDword(L"A", 10));
    };
    RegKey::StartLog(nullptr);
    run();
    EXPECT_EQ(RegKey::EndLog(), 38u);
    test::GuardedBuffer<wchar_t> exact(38);
    RegKey::StartLog(exact.Data());
    run();
    EXPECT_EQ(RegKey::EndLog(), 38u);
    EXPECT_EQ(exact.Text(), L"[HKCU\\Software\\X]\r\nA=dword:0000000A\r\n");
    EXPECT_TRUE(exact.GuardIntact() && !Exists(L"Software\\X"));
    wchar_t untouched[4] = L"abc";  // nothing logged: 0, and the buffer is left alone
    RegKey::StartLog(untouched);
    EXPECT_EQ(RegKey::EndLog(), 0u);
    EXPECT_STREQ(untouched, L"abc");

    std::vector<wchar_t> buf(1024, 0);
    RegKey::StartLog(buf.data());
    {
        RegKey logged(path.c_str(), L"Sub", 1), parent;
        EXPECT_TRUE(logged.PutStr(L"Name", L"C:\\a b") && logged.PutStr(nullptr, L"default") &&
                    logged.DelValue(L"Gone") && logged.PutInt(L"Minus", -1) && logged.Flush());
        // Everything else reaches nothing while the log is on.
        EXPECT_FALSE(logged.PutBin(L"Bin", reinterpret_cast<const unsigned char*>("x"), 1) ||
                     RegKey(logged, L"Child", 1).IsOpen() || logged.GetDword(L"Minus", 3) != 3);
        EXPECT_TRUE(parent.OpenParent((path + L"\\One\\Two").c_str(), 0, 1));
    }
    unsigned int count = RegKey::EndLog();
    std::wstring expected = L"[" + path + L"\\Sub]\r\nName=C:\\a b\r\n@=default\r\nGone=@\r\nMinus=dword:FFFFFFFF\r\n[" +
                            path + L"\\One]\r\n";
    EXPECT_EQ(std::wstring(buf.data()), expected);
    EXPECT_EQ(count, expected.size() + 1);
    EXPECT_TRUE(Tree(sub).empty());
    RegKey::StartLog(nullptr);  // each line is cut at 254 characters
    RegKey(L"HKCU\\L", 1).PutStr(L"N", std::wstring(400, L'v').c_str());
    EXPECT_EQ(RegKey::EndLog(), 10u + 254u + 1u);
}

TEST_F(Registry, HiveFilesAreReplacedKeepTheirAttributesAndLoad)
{
    BuildTree(L"Hive");
    RegKey root(Path(L"Hive").c_str(), 0);
    std::wstring dir = test::NewTempDir(L"hive"), file = dir + L"\\saved.hiv", fresh = dir + L"\\fresh.hiv";
    // An existing read-only file is replaced and keeps its attributes; a new one is archived.
    ASSERT_TRUE(test::WriteUtf8File(file, "old"));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(root.Save(file.c_str())) << RegKey::lError;
    EXPECT_TRUE(RegKey::lError == ERROR_SUCCESS && (GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(RegKey::SaveKey(root, fresh.c_str(), nullptr));
    EXPECT_TRUE(GetFileAttributesW(fresh.c_str()) & FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(RegKey::SaveKey(nullptr, (dir + L"\\none.hiv").c_str(), nullptr));
    EXPECT_NE(RegKey::lError, ERROR_SUCCESS);
    std::wstring mount = L"GlmbxHive" + std::to_wstring(GetCurrentProcessId());  // loading needs privileges of its own
    ASSERT_TRUE(RegKey::LoadKey(HKEY_USERS, mount.c_str(), fresh.c_str()));
    EXPECT_EQ(RegKey((L"HKU\\" + mount + L"\\One\\Two\\Three").c_str(), 0).GetDword(L"D", 0), ~0u);
    EXPECT_TRUE(RegKey::UnLoadKey(HKEY_USERS, mount.c_str()) && !RegKey((L"HKU\\" + mount).c_str(), 0).IsOpen());
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Registry, ProductKeysLegacyMoveHomeFolderAndRestrictions)
{
    std::wstring product = L"GlmbxMove" + std::to_wstring(GetCurrentProcessId());
    std::wstring legacy = L"Software\\Veltaron\\" + product, current = L"Software\\Corvantrix\\" + product;
    ASSERT_FALSE(Exists(L"Software\\Veltaron"));
    RawSet(legacy, L"Old", REG_DWORD, "\x05\0\0\0", 4);
    RawSet(legacy + L"\\Setup", L"Home", REG_SZ, L"C:\\Old", 14);
    EXPECT_TRUE(RegKey::MoveLegacyKey(1, product.c_str()));
    EXPECT_EQ(Raw(current, L"Old"), Value(REG_DWORD, {5, 0, 0, 0}));
    EXPECT_TRUE(HasValue(current + L"\\Setup", L"Home"));
    EXPECT_FALSE(Exists(legacy) || Exists(L"Software\\Veltaron"));  // emptied, so removed
    RawSet(legacy, L"Stale", REG_DWORD, "\x01\0\0\0", 4);  // with current settings, the former ones stay
    EXPECT_TRUE(RegKey::MoveLegacyKey(1, product.c_str()) && Exists(legacy) && !HasValue(current, L"Stale"));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Veltaron");

    EXPECT_EQ(Restricted(product.c_str(), L"NoAbout"), 0u);
    RawSet(current + L"\\Setup\\Restrictions", L"NoAbout", REG_DWORD, "\x01\0\0\0", 4);
    EXPECT_EQ(Restricted(product.c_str(), L"NoAbout"), 1u);
    EXPECT_EQ(Restricted(product.c_str(), nullptr) + Restricted(product.c_str(), L"Other"), 0u);
    RegDeleteTreeW(HKEY_CURRENT_USER, current.c_str());

    wchar_t folder[MAX_PATH] = L"C:\\Program Files\\Test", read[MAX_PATH] = L"stale";
    EXPECT_TRUE(ProcessHomeFolder(RegKey::OpInstall, product.c_str(), folder, MAX_PATH) &&
                ProcessHomeFolder(RegKey::OpCheck, product.c_str(), folder, MAX_PATH) &&
                ProcessHomeFolder(RegKey::OpRemove, product.c_str(), folder, MAX_PATH));
    EXPECT_FALSE(GetHomeFolder(product.c_str(), read) || read[0]);
    // Only the former company knows the product: read there.
    RegKey((L"HKLM\\Software\\Veltaron\\" + product + L"\\Setup").c_str(), 1).PutStr(L"Home", L"C:\\Veltaron");
    RegKey(L"HKLM\\Software\\Corvantrix", 1).DelSubKey(product.c_str());
    EXPECT_TRUE(GetHomeFolder(product.c_str(), read) && wcscmp(read, L"C:\\Veltaron") == 0);
    RegKey software(L"HKLM\\Software", 1);
    software.DelSubKey((L"Veltaron\\" + product).c_str());
    software.DelSubKeyIfEmpty(L"Veltaron");
    EXPECT_FALSE(ProcessHomeFolder(RegKey::OpRead, nullptr, read, MAX_PATH));

    EXPECT_TRUE(IsPowerUser());  // Wine's user may write to the machine's software key
    EXPECT_FALSE(RegKey(L"HKLM\\Software\\Corvantrix", 0).FindValue(L"Temp"));  // and the probe is gone
}
