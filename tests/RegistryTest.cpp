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
#include "support/TestSupport.h"
#include "sys/RegKey.h"

using test::ExpectBounded;
using test::GuardedBuffer;

namespace {

static_assert(!std::is_copy_constructible<RegKey>::value && !std::is_copy_assignable<RegKey>::value,
              "one owner per key");

const DWORD Missing = static_cast<DWORD>(-1);

// Raw registry access below HKCU that does not go through RegKey, to check what it really did.
HKEY RawOpen(const std::wstring& sub, REGSAM access = KEY_READ)
{
    HKEY key = nullptr;
    return RegOpenKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, access, &key) == ERROR_SUCCESS ? key : nullptr;
}

bool Exists(const std::wstring& sub)
{
    HKEY key = RawOpen(sub);
    if (key)
        RegCloseKey(key);
    return key != nullptr;
}

void RawSet(const std::wstring& sub, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void RawDword(const std::wstring& sub, const wchar_t* name, DWORD value)
{
    RawSet(sub, name, REG_DWORD, &value, 4);
}

// Type and bytes of a value; type Missing when there is none.
std::pair<DWORD, std::vector<BYTE>> RawGet(const std::wstring& sub, const wchar_t* name)
{
    std::pair<DWORD, std::vector<BYTE>> result(Missing, {});
    HKEY key = RawOpen(sub);
    DWORD size = 0;
    if (key && RegQueryValueExW(key, name, nullptr, &result.first, nullptr, &size) == ERROR_SUCCESS) {
        result.second.resize(size);
        RegQueryValueExW(key, name, nullptr, &result.first, size ? result.second.data() : nullptr, &size);
    } else {
        result.first = Missing;
    }
    if (key)
        RegCloseKey(key);
    return result;
}

bool HasValue(const std::wstring& sub, const wchar_t* name)
{
    return RawGet(sub, name).first != Missing;
}

// Every key and value below a key, as "path|name" -> "type:bytes", for comparing trees.
void Dump(HKEY key, const std::wstring& prefix, std::map<std::wstring, std::wstring>& out)
{
    wchar_t name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD nameChars = 16384, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameChars, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(size + 1);
        RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
        std::wstring text = std::to_wstring(type) + L":";
        for (DWORD b = 0; b < size; ++b)
            text += std::to_wstring(data[b]) + L",";
        out[prefix + L"|" + name] = text;
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameChars = 256;
        if (RegEnumKeyExW(key, i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::wstring path = prefix + L"\\" + name;
        out[path] = L"key";
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
            Dump(child, path, out);
            RegCloseKey(child);
        }
    }
}

std::map<std::wstring, std::wstring> Tree(const std::wstring& sub)
{
    std::map<std::wstring, std::wstring> out;
    if (HKEY key = RawOpen(sub)) {
        Dump(key, L"", out);
        RegCloseKey(key);
    }
    return out;
}

// Signals when anything below a key changes: a write that should not happen shows here at
// once (the registry signals as part of the write itself).
class ChangeWatch {
public:
    explicit ChangeWatch(const std::wstring& sub)
        : key(RawOpen(sub, KEY_NOTIFY)), event(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        Arm();
    }
    ~ChangeWatch()
    {
        if (key)
            RegCloseKey(key);
        CloseHandle(event);
    }
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    void Arm()
    {
        ResetEvent(event);
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(RegNotifyChangeKeyValue(key, TRUE, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME, event, TRUE),
                  ERROR_SUCCESS);
    }
    // Whether something changed since the last arming; arms again.
    bool Changed()
    {
        bool changed = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
        Arm();
        return changed;
    }

private:
    HKEY key;
    HANDLE event;
};

// The test's own key: HKCU\Software\GlimpseboxTests\<process>-<serial>, gone after the test.
class Registry : public testing::Test {
protected:
    void SetUp() override
    {
        static int serial;
        sub = L"Software\\GlimpseboxTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
        path = L"HKCU\\" + sub;
        RegDeleteTreeW(HKEY_CURRENT_USER, sub.c_str());
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

    // A tree three levels deep with values of every type the copy knows, and one it does not.
    void BuildTree(RegKey& root, const std::wstring& rootTail)
    {
        const unsigned char blob[] = {0, 1, 2, 254, 255};
        root.PutStr(nullptr, L"root default");
        root.PutStr(L"Name", L"Glimpsebox");
        root.PutDword(L"Count", 42);
        root.PutBin(L"Blob", blob, sizeof(blob));
        RegKey one(root, L"One", 1);
        one.PutStr(L"S", L"level one");
        one.PutBin(L"Empty", blob, 0);
        RegKey two(one, L"Two", 1);
        two.PutDword(L"D", 0xFFFFFFFFu);
        RegKey three(two, L"Three", 1);
        three.PutStr(L"Deep", L"");
        three.PutStr(nullptr, L"deep default");
        RegKey(root, L"Sibling\\Nested", 1).PutInt(L"Minus", -5);
        RawSet(Sub(rootTail + L"\\One"), L"Multi", REG_MULTI_SZ, L"a\0b\0", 10);
    }

    std::wstring sub;
    std::wstring path;
};

} // namespace

// ---- Key paths and handles ----

TEST_F(Registry, PathSyntaxRootsAndComponentLimits)
{
    RawDword(Sub(L"X"), L"V", 7);
    // Any case, long or short root names, empty components, components before the root.
    for (const std::wstring& form :
         {L"hkcu\\" + sub + L"\\\\X\\", L"HKEY_CURRENT_USER\\\\" + sub + L"\\X", L"Foo\\Bar\\hKcU\\" + sub + L"\\X"})
        EXPECT_EQ(RegKey(form.c_str(), 0).GetDword(L"V", 0), 7u) << test::ToUtf8(form);
    EXPECT_EQ(static_cast<HKEY>(RegKey(L"HKCU", 0)), HKEY_CURRENT_USER);
    for (const wchar_t* root : {L"Foo\\HKLM\\Software\\Microsoft", L"HKEY_LOCAL_MACHINE\\Software", L"HKCLS\\CLSID",
                                L"HKEY_CLASSES_ROOT", L"HKU\\.Default", L"HKEY_USERS"})
        EXPECT_TRUE(RegKey(root, 0).IsOpen()) << test::ToUtf8(root);
    // No root, or one that is not known: nothing opens and nothing is created.
    for (const wchar_t* none : {L"Software\\X", L"HKXX\\Software", L"HKCC\\Software", L""}) {
        EXPECT_FALSE(RegKey(none, 0).IsOpen()) << test::ToUtf8(none);
        EXPECT_FALSE(RegKey(none, 1).IsOpen()) << test::ToUtf8(none);
    }
    EXPECT_FALSE(RegKey(static_cast<const wchar_t*>(nullptr), 0).IsOpen());
    EXPECT_FALSE(Exists(L"Software\\X"));

    // Components hold at most 127 characters; only the components that are opened count.
    std::wstring tooLong(128, L'k');
    EXPECT_TRUE(RegKey(Path(std::wstring(127, L'k')).c_str(), 1).IsOpen());
    EXPECT_FALSE(RegKey(Path(tooLong + L"\\below").c_str(), 1).IsOpen());
    EXPECT_FALSE(Exists(Sub(tooLong)));
    RegKey parent;
    EXPECT_TRUE(parent.OpenParent(Path(tooLong).c_str(), 0, 1));
    EXPECT_FALSE(RegKey((L"HKCU\\" + std::wstring(5000, L'h')).c_str(), 1).IsOpen());
    EXPECT_FALSE(RegKey(path.c_str(), std::wstring(300, L's').c_str(), 1).IsOpen());  // the joined path too
}

TEST_F(Registry, ReadingNeverCreatesWritingCreatesEveryLevel)
{
    EXPECT_FALSE(RegKey(Path(L"A\\B\\C").c_str(), 0).IsOpen());
    EXPECT_FALSE(RegKey(Path(L"A\\B\\C").c_str(), RegKey::OpCheck).IsOpen());
    EXPECT_FALSE(RegKey(Path(L"A\\B\\C").c_str(), RegKey::OpRead).IsOpen());
    EXPECT_FALSE(Exists(Sub(L"A")));

    RegKey created(Path(L"A\\B\\C").c_str(), 1);
    ASSERT_TRUE(created.IsOpen());
    EXPECT_TRUE(created.PutDword(L"Alive", 1));  // a created key stays open and usable
    EXPECT_TRUE(HasValue(Sub(L"A\\B\\C"), L"Alive"));
    EXPECT_TRUE(RegKey(Path(L"D\\E").c_str(), RegKey::OpInstall).IsOpen());
    EXPECT_TRUE(RegKey(Path(L"F").c_str(), RegKey::OpRemove).IsOpen());
    EXPECT_TRUE(Exists(Sub(L"F")));

    // Joined paths, keys below an open key, and parents a number of levels up.
    EXPECT_TRUE(RegKey(path.c_str(), L"Sub\\Key", 1).IsOpen());
    RegKey parent(path.c_str(), 0);
    EXPECT_TRUE(RegKey(parent, L"Sub\\Key", 0).IsOpen());
    EXPECT_TRUE(RegKey(parent, L"New\\Deeper", 1).IsOpen());
    EXPECT_TRUE(Exists(Sub(L"New\\Deeper")));
    RegKey none;
    EXPECT_FALSE(RegKey(none, L"X", 1).IsOpen());

    RawDword(Sub(L"Sub"), L"Level", 1);
    RegKey up;
    ASSERT_TRUE(up.OpenParent(Path(L"Sub\\Key").c_str(), 0, 1));
    EXPECT_EQ(up.GetDword(L"Level", 0), 1u);
    ASSERT_TRUE(up.OpenParent(Path(L"Sub\\Key\\Missing\\Deeper").c_str(), 0, 2));
    EXPECT_FALSE(up.FindValue(L"Level"));
    ASSERT_TRUE(up.OpenParent(L"HKCU\\Software\\X", 0, 5));
    EXPECT_EQ(static_cast<HKEY>(up), HKEY_CURRENT_USER);
}

TEST_F(Registry, OneOwnerPerKeyAndEveryHandleClosedOnce)
{
    auto closed = [](HKEY key) {
        DWORD values = 0;
        return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                                nullptr, nullptr) == ERROR_INVALID_HANDLE;
    };
    RegKey key(path.c_str(), 1);
    HKEY first = key;
    ASSERT_NE(first, nullptr);
    // Reopening (here its own sub-key) replaces the key and closes the old handle.
    ASSERT_TRUE(key.Open(key, L"Child", 1));
    HKEY second = key;
    EXPECT_NE(second, first);
    EXPECT_TRUE(closed(first));
    EXPECT_TRUE(Exists(Sub(L"Child")));
    key.Close();
    EXPECT_EQ(static_cast<HKEY>(key), nullptr);
    EXPECT_TRUE(closed(second));
    key.Close();  // twice is harmless

    HKEY scoped = RegKey(path.c_str(), 0);
    ASSERT_NE(scoped, nullptr);
    EXPECT_TRUE(closed(scoped));
    { RegKey root(L"HKCU", 0); }  // the predefined roots are never closed
    EXPECT_TRUE(Exists(L"Software"));
}

// ---- Values ----

TEST_F(Registry, ValuesOfEveryTypeAndAKeyThatIsNotOpen)
{
    RegKey key(path.c_str(), 1);
    EXPECT_TRUE(key.PutDword(L"Dword", 0xDEADBEEF));
    EXPECT_EQ(key.GetDword(L"Dword", 0), 0xDEADBEEFu);
    EXPECT_TRUE(key.PutInt(L"Int", -12345));
    EXPECT_EQ(key.GetInt(L"Int", 0), -12345);
    EXPECT_EQ(key.GetValueType(L"Int"), static_cast<DWORD>(REG_DWORD));
    wchar_t buf[MAX_PATH];
    EXPECT_TRUE(key.PutStr(nullptr, L"the default"));
    EXPECT_EQ(key.GetStr(nullptr, buf, MAX_PATH), 11);
    EXPECT_STREQ(buf, L"the default");
    EXPECT_TRUE(key.FindValue(nullptr));
    const unsigned char bytes[] = {9, 0, 8, 0, 7};
    EXPECT_TRUE(key.PutBin(L"Bin", bytes, sizeof(bytes)));
    EXPECT_EQ(key.GetBinSize(L"Bin"), 5u);
    unsigned char back[5] = {};
    EXPECT_TRUE(key.GetBin(L"Bin", back, sizeof(back)));
    EXPECT_EQ(memcmp(back, bytes, 5), 0);
    EXPECT_EQ(key.GetValueType(L"Bin"), static_cast<DWORD>(REG_BINARY));

    EXPECT_TRUE(key.DelValue(L"Bin"));
    EXPECT_FALSE(HasValue(sub, L"Bin"));
    EXPECT_TRUE(key.DelValue(L"Bin"));  // gone already: still true
    EXPECT_FALSE(key.FindValue(L"Bin"));
    EXPECT_EQ(key.GetValueType(L"Missing"), 0u);
    EXPECT_EQ(key.GetBinSize(L"Missing"), 0u);
    EXPECT_EQ(key.GetDword(L"Missing", 77), 77u);
    EXPECT_EQ(key.GetStr(L"Missing", buf, MAX_PATH, L"fallback"), 8);
    EXPECT_STREQ(buf, L"fallback");
    EXPECT_EQ(key.GetStr(L"Missing", buf, MAX_PATH, nullptr), 0);
    EXPECT_STREQ(buf, L"");
    EXPECT_TRUE(key.Flush());

    // A key that is not open fails like a failed call.
    RegKey closed;
    EXPECT_EQ(closed.GetDword(L"x", 5), 5u);
    EXPECT_FALSE(closed.PutDword(L"x", 1) || closed.PutStr(L"x", L"y") || closed.PutBin(L"x", bytes, 1) ||
                 closed.DelValue(L"x") || closed.Flush());
}

TEST_F(Registry, StringsKeepTheirTerminatorAndComeBackWhole)
{
    RegKey key(path.c_str(), 1);
    ASSERT_TRUE(key.PutStr(L"Text", L"abc"));
    auto raw = RawGet(sub, L"Text");
    EXPECT_EQ(raw.first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.second, (std::vector<BYTE>{'a', 0, 'b', 0, 'c', 0, 0, 0}));
    ASSERT_TRUE(key.PutStr(L"Empty", L""));  // a missing value: an empty string is written
    EXPECT_EQ(RawGet(sub, L"Empty").second.size(), 2u);

    std::wstring longText;
    for (int i = 0; i < 5000; ++i)
        longText += static_cast<wchar_t>(L'a' + i % 26);
    ASSERT_TRUE(key.PutStr(L"Long", longText.c_str()));
    std::vector<wchar_t> buf(longText.size() + 1);
    EXPECT_EQ(key.GetStr(L"Long", buf.data(), static_cast<int>(buf.size())), 5000);
    EXPECT_EQ(std::wstring(buf.data()), longText);
    // One character short: the value does not fit and the default is used.
    EXPECT_EQ(key.GetStr(L"Long", buf.data(), 5000, L"def"), 3);
    EXPECT_STREQ(buf.data(), L"def");
}

TEST_F(Registry, PutsWriteOnlyWhatChanged)
{
    RegKey key(path.c_str(), 1);
    const unsigned char bytes[] = {1, 2, 3, 0};
    ASSERT_TRUE(key.PutDword(L"D", 5) && key.PutStr(L"S", L"same") && key.PutStr(L"E", L"") &&
                key.PutBin(L"B", bytes, 3));
    ChangeWatch watch(sub);
    EXPECT_TRUE(key.PutDword(L"D", 5) && key.PutInt(L"D", 5) && key.PutStr(L"S", L"same") && key.PutStr(L"E", L"") &&
                key.PutBin(L"B", bytes, 3));
    EXPECT_FALSE(watch.Changed()) << "an unchanged put wrote";

    // The watch sees real writes: each change below is one.
    EXPECT_TRUE(key.PutDword(L"D", 6));
    EXPECT_TRUE(watch.Changed());
    EXPECT_TRUE(key.PutStr(L"S", L"Same"));  // case counts
    EXPECT_TRUE(watch.Changed());
    EXPECT_TRUE(key.PutBin(L"B", bytes, 4));  // same bytes, other size
    EXPECT_TRUE(watch.Changed());
    EXPECT_TRUE(key.PutStr(L"S", L"Sam"));  // a prefix of what is stored
    EXPECT_TRUE(watch.Changed());
    // A value of another type holding "equal" bytes is rewritten as a string.
    RawSet(sub, L"T", REG_BINARY, L"x", 4);
    watch.Arm();
    EXPECT_TRUE(key.PutStr(L"T", L"x"));
    EXPECT_TRUE(watch.Changed());
    EXPECT_EQ(RawGet(sub, L"T").first, static_cast<DWORD>(REG_SZ));
}

TEST_F(Registry, DamagedValuesFallBackToDefaults)
{
    RegKey key(path.c_str(), 1);
    struct {
        DWORD type;
        const char* data;
        DWORD size;
        unsigned long dword;
    } const dwords[] = {
        {REG_SZ, "1\0\0", 4, 99}, {REG_BINARY, "\x01\x02", 2, 99}, {REG_QWORD, "\x01\0\0\0\0\0\0\0", 8, 99},
        {REG_BINARY, "", 0, 99},
        {REG_BINARY, "\x2A\0\0\0", 4, 42},  // four bytes of another type still count
    };
    for (const auto& d : dwords) {
        RawSet(sub, L"V", d.type, d.data, d.size);
        EXPECT_EQ(key.GetDword(L"V", 99), d.dword) << d.type << "/" << d.size;
    }

    struct {
        DWORD type;
        const wchar_t* data;
        DWORD size;
        int bufChars;
        const wchar_t* read;
    } const strings[] = {
        {REG_DWORD, L"AB", 4, 16, L"def"},
        {REG_MULTI_SZ, L"a\0b\0", 10, 16, L"def"},
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

    // A binary value larger than the caller's buffer is refused without touching it.
    RawSet(sub, L"Big", REG_BINARY, "0123456789", 10);
    GuardedBuffer<unsigned char> small(8);
    EXPECT_FALSE(key.GetBin(L"Big", small.Data(), 8));
    EXPECT_TRUE(small.GuardIntact());
    EXPECT_EQ(small.Data()[0], GuardedBuffer<unsigned char>::Sentinel());
    GuardedBuffer<unsigned char> trusted(10);
    EXPECT_TRUE(key.GetBin(L"Big", trusted.Data(), 0));
    EXPECT_TRUE(trusted.GuardIntact());
    EXPECT_EQ(memcmp(trusted.Data(), "0123456789", 10), 0);
    EXPECT_FALSE(key.GetBin(L"Missing", trusted.Data(), 10));
}

TEST_F(Registry, LogFontsAndRectangles)
{
    RegKey key(path.c_str(), 1);
    LOGFONTW font = {};
    font.lfHeight = -13;
    font.lfWeight = FW_BOLD;
    wcscpy(font.lfFaceName, L"Tahoma");
    ASSERT_TRUE(RegPutLogFont(key, L"Font", &font));
    EXPECT_EQ(RawGet(sub, L"Font").second.size(), 92u);
    LOGFONTW* read = nullptr;
    ASSERT_TRUE(RegGetLogFont(key, L"Font", read));
    EXPECT_EQ(memcmp(read, &font, sizeof(font)), 0);
    LOGFONTW* same = read;
    ASSERT_TRUE(RegGetLogFont(key, L"Font", read));  // an existing font is reused
    EXPECT_EQ(read, same);
    for (DWORD size : {0u, 91u, 93u, 184u}) {
        std::vector<BYTE> data(size, 0x41);
        RawSet(sub, L"Bad", REG_BINARY, data.data(), size);
        EXPECT_FALSE(RegGetLogFont(key, L"Bad", read)) << size;
        EXPECT_EQ(read, nullptr) << size;
        ASSERT_TRUE(RegGetLogFont(key, L"Font", read));
    }
    // A stored face name without a terminator comes back terminated.
    std::vector<BYTE> open(92, 0x41);
    RawSet(sub, L"Open", REG_BINARY, open.data(), 92);
    ASSERT_TRUE(RegGetLogFont(key, L"Open", read));
    EXPECT_EQ(read->lfFaceName[LF_FACESIZE - 1], 0);
    EXPECT_TRUE(RegPutLogFont(key, L"Font", nullptr));
    EXPECT_FALSE(HasValue(sub, L"Font"));
    delete read;

    RECT rect = {10, -20, 300, 400};
    ASSERT_TRUE(RegPutRect(key, &rect, L"Win"));
    for (const wchar_t* name : {L"WinL", L"WinT", L"WinR", L"WinB"})
        EXPECT_EQ(RawGet(sub, name).first, static_cast<DWORD>(REG_DWORD)) << test::ToUtf8(name);
    key.DelValue(L"WinB");
    RECT back = {1, 2, 3, 4};
    RegGetRect(key, &back, L"Win");
    RECT expected = {10, -20, 300, 4};  // missing: the field keeps its value
    EXPECT_TRUE(EqualRect(&back, &expected));
}

TEST_F(Registry, PrefixedNames)
{
    RegKey key(path.c_str(), 1);
    wchar_t buf[8];
    EXPECT_TRUE(key.PutIntPrefix(L"Main", L"posLeft", -3) && key.PutStrPrefix(L"Main", L"Title", L"T"));
    EXPECT_TRUE(HasValue(sub, L"MainposLeft") && HasValue(sub, L"MainTitle"));
    EXPECT_EQ(key.GetIntPrefix(L"Main", L"posLeft", 0), -3);
    EXPECT_EQ(key.GetIntPrefix(nullptr, L"MainposLeft", 9), -3);
    EXPECT_EQ(key.GetIntPrefix(L"", L"posLeft", 9), 9);
    EXPECT_TRUE(key.DelValuePrefix(L"Main", L"Title"));
    EXPECT_FALSE(HasValue(sub, L"MainTitle"));
    // A joined name longer than 255 characters is neither read nor written.
    std::wstring longName(250, L'n');
    EXPECT_FALSE(key.PutDwordPrefix(L"1234567", longName.c_str(), 1));
    EXPECT_EQ(key.GetDwordPrefix(L"1234567", longName.c_str(), 8), 8u);
    EXPECT_EQ(key.GetStrPrefix(L"1234567", longName.c_str(), buf, 8, L"d"), 1);

    for (const wchar_t* name : {L"mru1", L"MRU2", L"Other"})
        key.PutDword(name, 1);
    EXPECT_TRUE(key.DelValuesStartingWith(L"mru", FALSE));
    EXPECT_TRUE(!HasValue(sub, L"mru1") && HasValue(sub, L"MRU2"));
    EXPECT_TRUE(key.DelValuesStartingWith(L"mru", TRUE));
    EXPECT_FALSE(HasValue(sub, L"MRU2"));
    EXPECT_TRUE(HasValue(sub, L"Other") && HasValue(sub, L"MainposLeft"));
}

TEST_F(Registry, ReadsNeverRunPastTheCallersBuffer)
{
    RegKey key(path.c_str(), 1);
    key.PutStr(L"Text", L"Glimpsebox");
    key.PutStr(L"PreText", L"Glimpsebox");
    RegKey(key, L"SubKeyName", 1);
    // A value that does not fit whole is not read: the result is the (cut) default or empty.
    ExpectBounded<wchar_t>(L"Glimpsebox", [&key](wchar_t* buf, int size) { key.GetStr(L"Text", buf, size); }, false);
    ExpectBounded<wchar_t>(L"Glimpsebox", [&key](wchar_t* buf, int size) {
        key.GetStrPrefix(L"Pre", L"Text", buf, size);
    }, false);
    ExpectBounded<wchar_t>(L"fallback", [&key](wchar_t* buf, int size) { key.GetStr(L"Missing", buf, size, L"fallback"); });
    ExpectBounded<wchar_t>(L"SubKeyName", [&key](wchar_t* buf, int size) { key.GetSubKeyByIndex(0, buf, size); }, false);
    ExpectBounded<wchar_t>(L"PreText", [&key](wchar_t* buf, int size) {
        wchar_t name[64];
        for (int i = 0; key.GetValueByIndex(i, name, 64); ++i)
            if (wcscmp(name, L"PreText") == 0)
                key.GetValueByIndex(i, buf, size);
    }, false);
    ExpectBounded<wchar_t>(L"HKCU\\Software", [](wchar_t* buf, int size) {
        RegKey::GetParentSubkeyName(L"HKCU\\Software\\X", buf, size);
    }, false);
    ExpectBounded<wchar_t>(L"Value", [&key](wchar_t* out, int size) {
        key.PutStr(L"R", L"Value");
        key.ProcessEntry(RegKey::OpRead, L"R", out, static_cast<unsigned>(size));
    }, false);
}

// ---- Enumeration and trees ----

TEST_F(Registry, EnumerationWalksShareOneIndex)
{
    RegKey key(path.c_str(), 1);
    RegKey(key, L"K1", 1);
    RegKey(key, L"K2", 1);
    for (const wchar_t* name : {L"V1", L"V2", L"V3"})
        key.PutDword(name, 1);
    wchar_t name[256];
    std::vector<std::wstring> keys, values;
    for (BOOL more = key.GetFirstSubKey(name, 256); more; more = key.GetNextSubKey(name, 256))
        keys.push_back(name);
    EXPECT_EQ(keys.size(), 2u);
    for (BOOL more = key.GetFirstValue(name, 256); more; more = key.GetNextValue(name, 256))
        values.push_back(name);
    ASSERT_EQ(values.size(), 3u);
    // The index is shared: a value walk continues where the key walk stopped.
    ASSERT_TRUE(key.GetFirstSubKey(name, 256));
    ASSERT_TRUE(key.GetNextValue(name, 256));
    EXPECT_EQ(name, values[1]);

    EXPECT_TRUE(key.GetSubKeyByIndex(1, name, 256));
    EXPECT_FALSE(key.GetSubKeyByIndex(2, name, 256));
    EXPECT_STREQ(name, L"");
    EXPECT_FALSE(key.GetValueByIndex(3, name, 256));
    // A name that does not fit: the item exists, its name is not given.
    EXPECT_TRUE(key.GetSubKeyByIndex(0, name, 2));
    EXPECT_STREQ(name, L"");
    EXPECT_FALSE(key.GetSubKeyByIndex(0, name, 0));
    RegKey closed;
    EXPECT_FALSE(closed.GetFirstSubKey(name, 256) || closed.GetFirstValue(name, 256));
}

TEST_F(Registry, CopyAndDeleteATreeThreeLevelsDeep)
{
    RegKey root(Path(L"Source").c_str(), 1);
    BuildTree(root, L"Source");
    auto source = Tree(Sub(L"Source"));
    ASSERT_TRUE(source.count(L"\\One\\Two\\Three"));
    RegKey copy(Path(L"Copy").c_str(), 1);
    ASSERT_TRUE(root.CopyTo(copy));
    source.erase(L"\\One|Multi");  // other types are not copied
    EXPECT_EQ(Tree(Sub(L"Copy")), source);

    RegKey parent(path.c_str(), 1);
    EXPECT_TRUE(parent.DelSubKey(L"Source"));
    EXPECT_FALSE(Exists(Sub(L"Source")));
    EXPECT_TRUE(Exists(Sub(L"Copy\\One\\Two\\Three")));
    EXPECT_TRUE(parent.DelSubKey(L"Source"));  // already gone
    EXPECT_FALSE(parent.DelSubKey(L""));       // would be the key itself
    EXPECT_FALSE(parent.DelSubKey(nullptr));
    EXPECT_TRUE(Exists(sub));
    EXPECT_TRUE(parent.DelSubKey(L"Copy\\One"));  // a path below works too
    EXPECT_FALSE(Exists(Sub(L"Copy\\One")));
    EXPECT_TRUE(Exists(Sub(L"Copy\\Sibling\\Nested")));

    // Copying a key into its own sub-key ends.
    RegKey loop(Path(L"Loop").c_str(), 1);
    loop.PutDword(L"v", 1);
    RegKey inside(loop, L"In", 1);
    EXPECT_TRUE(loop.CopyTo(inside));
    EXPECT_TRUE(HasValue(Sub(L"Loop\\In"), L"v"));
    EXPECT_TRUE(Exists(Sub(L"Loop\\In\\In")));
}

TEST_F(Registry, DeleteAllEmptiesButKeepsTheKey)
{
    RegKey root(Path(L"Tree").c_str(), 1);
    BuildTree(root, L"Tree");
    EXPECT_FALSE(root.IsKeyEmpty());
    EXPECT_TRUE(root.DelAll());
    EXPECT_TRUE(Exists(Sub(L"Tree")));
    EXPECT_TRUE(Tree(Sub(L"Tree")).empty());
    EXPECT_FALSE(HasValue(Sub(L"Tree"), nullptr));
    EXPECT_TRUE(root.IsKeyEmpty());

    RegKey parent(path.c_str(), 1);
    RegKey(parent, L"Empty", 1);
    RegKey(parent, L"Full", 1).PutDword(L"x", 1);
    RegKey(parent, L"HasChild\\Child", 1);
    EXPECT_TRUE(parent.DelSubKeyIfEmpty(L"Empty"));
    EXPECT_FALSE(Exists(Sub(L"Empty")));
    EXPECT_FALSE(parent.DelSubKeyIfEmpty(L"Full"));
    EXPECT_FALSE(parent.DelSubKeyIfEmpty(L"HasChild"));
    EXPECT_TRUE(Exists(Sub(L"Full")));
    EXPECT_TRUE(parent.DelSubKeyIfEmpty(L"Missing"));

    EXPECT_TRUE(parent.ProcessSubKey(RegKey::OpCheck, L"Full") && parent.ProcessSubKey(RegKey::OpRead, L"Full"));
    EXPECT_TRUE(Exists(Sub(L"Full")));
    EXPECT_TRUE(parent.ProcessSubKey(RegKey::OpInstall, L"Full"));
    EXPECT_FALSE(Exists(Sub(L"Full")));
    EXPECT_TRUE(parent.ProcessSubKey(RegKey::OpRemove, L"HasChild"));
    EXPECT_FALSE(Exists(Sub(L"HasChild")));
}

TEST_F(Registry, DeletingPastAKeyThatCannotGoTerminates)
{
    RegKey root(Path(L"Tree").c_str(), 1);
    RegKey(root, L"A\\A1", 1);
    RegKey(root, L"Z", 1);
    root.PutDword(L"v", 1);
    // A child that denies everyone everything cannot be opened, emptied or deleted.
    HKEY locked = nullptr, inside = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Sub(L"Tree\\M\\Locked").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &locked, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(locked, L"Inside", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &inside, nullptr), ERROR_SUCCESS);
    RegCloseKey(inside);
    auto setAccess = [locked](const wchar_t* sddl) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr));
        EXPECT_EQ(RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
        LocalFree(descriptor);
    };
    setAccess(L"D:(D;;GA;;;WD)");

    RegKey parent(path.c_str(), 1);
    EXPECT_FALSE(parent.DelSubKey(L"Tree"));  // returns: the walk stepped past what remains
    EXPECT_FALSE(Exists(Sub(L"Tree\\A")) || Exists(Sub(L"Tree\\Z")) || HasValue(Sub(L"Tree"), L"v"));
    EXPECT_TRUE(Exists(Sub(L"Tree\\M")));

    setAccess(L"D:(A;;GA;;;WD)");  // lets the clean-up through again
    RegCloseKey(locked);
    EXPECT_TRUE(parent.DelSubKey(L"Tree"));
    EXPECT_FALSE(Exists(Sub(L"Tree")));
}

// ---- Operation entries ----

TEST_F(Registry, EntriesInEveryMode)
{
    RegKey key(path.c_str(), 1);
    ChangeWatch watch(sub);
    wchar_t buf[MAX_PATH];
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpRead, L"S", buf, MAX_PATH));
    // Each step in order against the one string value "S".
    struct {
        RegKey::Op op;
        const wchar_t* data;
        bool result;
        bool writes;
    } const steps[] = {
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
        SCOPED_TRACE(testing::Message() << "op " << s.op << " with " << test::ToUtf8(s.data));
        EXPECT_EQ(!!key.ProcessEntry(s.op, L"S", s.data), s.result);
        EXPECT_EQ(watch.Changed(), s.writes);
        if (s.op == RegKey::OpInstall && s.result && s.data[0]) {
            EXPECT_TRUE(key.ProcessEntry(RegKey::OpRead, L"S", buf, MAX_PATH));
            EXPECT_STREQ(buf, s.data);
        }
    }
    EXPECT_FALSE(HasValue(sub, L"S"));

    // Numbers: a missing value and 0 are the same, so installing 0 deletes.
    unsigned long value = 0, read = 0;
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpCheck, L"N", value));
    value = 7;
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpCheck, L"N", value));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"N", value));
    EXPECT_EQ(RawGet(sub, L"N").first, static_cast<DWORD>(REG_DWORD));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpCheck, L"N", value));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpRead, L"N", read));
    EXPECT_EQ(read, 7u);
    value = 0;
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"N", value));
    EXPECT_FALSE(HasValue(sub, L"N"));
    int signedValue = -2, signedRead = 0;
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"I", signedValue));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpRead, L"I", signedRead));
    EXPECT_EQ(signedRead, -2);
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpRemove, L"I", signedValue));
    EXPECT_FALSE(HasValue(sub, L"I"));
    // The string-only operations are no numeric operations.
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpCheckAbsent, L"I", signedValue));
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpCheckNoCase, L"I", value));
}

TEST_F(Registry, OneTableInstalledCheckedReadAndRemoved)
{
    // The entries of one table, the way setup code keeps them, processed with each operation.
    struct Table {
        wchar_t folder[MAX_PATH];
        unsigned long flags;
        int level;
    } table = {L"C:\\Program Files\\Glimpsebox", 0x15, 3}, read = {L"", 0, 0};
    auto process = [this](RegKey::Op op, Table& t) {
        RegKey key(Path(L"App\\Setup").c_str(), op);
        BOOL ok = key.IsOpen() && key.ProcessEntry(op, L"Folder", t.folder, MAX_PATH);
        ok = key.IsOpen() && key.ProcessEntry(op, L"Flags", t.flags) && ok;
        return key.IsOpen() && key.ProcessEntry(op, L"Level", t.level) && ok;
    };
    EXPECT_FALSE(process(RegKey::OpCheck, table));
    EXPECT_TRUE(process(RegKey::OpInstall, table) && process(RegKey::OpCheck, table));
    RawDword(Sub(L"App\\Setup"), L"Flags", 1);  // one entry changed behind its back
    EXPECT_FALSE(process(RegKey::OpCheck, table));
    EXPECT_TRUE(process(RegKey::OpInstall, table) && process(RegKey::OpCheck, table));
    EXPECT_TRUE(process(RegKey::OpRead, read));
    EXPECT_STREQ(read.folder, table.folder);
    EXPECT_TRUE(read.flags == table.flags && read.level == table.level);
    EXPECT_TRUE(process(RegKey::OpRemove, table));
    EXPECT_TRUE(Tree(Sub(L"App\\Setup")).empty());
    EXPECT_FALSE(process(RegKey::OpCheck, table));
}

// ---- Log mode ----

TEST_F(Registry, LogModeCountsThenWritesRegistryTextAndTouchesNothing)
{
    ASSERT_FALSE(Exists(L"Software\\X"));
    auto run = [] {
        RegKey key(L"HKCU\\Software\\X", 1);
        EXPECT_TRUE(key.IsOpen());
        EXPECT_TRUE(key.PutDword(L"A", 10));
    };
    RegKey::StartLog(nullptr);
    run();
    EXPECT_EQ(RegKey::EndLog(), 38u);
    GuardedBuffer<wchar_t> exact(38);
    RegKey::StartLog(exact.Data());
    run();
    EXPECT_EQ(RegKey::EndLog(), 38u);
    EXPECT_EQ(exact.Text(), L"[HKCU\\Software\\X]\r\nA=dword:0000000A\r\n");
    EXPECT_TRUE(exact.GuardIntact());
    EXPECT_FALSE(Exists(L"Software\\X"));
    // Nothing logged: 0, and the buffer is left alone.
    wchar_t untouched[4] = L"abc";
    RegKey::StartLog(untouched);
    EXPECT_EQ(RegKey::EndLog(), 0u);
    EXPECT_STREQ(untouched, L"abc");

    std::vector<wchar_t> buf(1024, 0);
    RegKey::StartLog(buf.data());
    {
        RegKey key(path.c_str(), L"Sub", 1);
        EXPECT_TRUE(key.PutStr(L"Name", L"C:\\a b"));
        EXPECT_TRUE(key.PutStr(nullptr, L"default"));
        EXPECT_TRUE(key.DelValue(L"Gone"));
        EXPECT_TRUE(key.PutInt(L"Minus", -1));
        EXPECT_TRUE(key.Flush());
        // Everything else reaches nothing while the log is on.
        EXPECT_FALSE(key.PutBin(L"Bin", reinterpret_cast<const unsigned char*>("x"), 1));
        EXPECT_EQ(key.GetDword(L"Minus", 3), 3u);
        EXPECT_FALSE(RegKey(key, L"Child", 1).IsOpen());
        RegKey parent;
        EXPECT_TRUE(parent.OpenParent((path + L"\\One\\Two").c_str(), 0, 1));
    }
    unsigned int count = RegKey::EndLog();
    std::wstring expected = L"[" + path + L"\\Sub]\r\nName=C:\\a b\r\n@=default\r\nGone=@\r\nMinus=dword:FFFFFFFF\r\n[" +
                            path + L"\\One]\r\n";
    EXPECT_EQ(std::wstring(buf.data()), expected);
    EXPECT_EQ(count, expected.size() + 1);
    EXPECT_FALSE(Exists(sub));

    // Each line is cut at 254 characters.
    RegKey::StartLog(nullptr);
    RegKey(L"HKCU\\L", 1).PutStr(L"N", std::wstring(400, L'v').c_str());
    EXPECT_EQ(RegKey::EndLog(), 10u + 254u + 1u);
}

// ---- Static helpers, hives and product keys ----

TEST_F(Registry, SubkeyNames)
{
    EXPECT_STREQ(RegKey::FindLastSubkeyName(L"HKCU\\Software\\X"), L"X");
    EXPECT_STREQ(RegKey::FindLastSubkeyName(L"X"), L"X");
    EXPECT_STREQ(RegKey::FindLastSubkeyName(L"HKCU\\Software\\"), L"");
    EXPECT_TRUE(RegKey::FindLastSubkeyName(L"") == nullptr && RegKey::FindLastSubkeyName(nullptr) == nullptr);

    // A parent whether or not the path ends in a backslash; none for one component.
    for (const wchar_t* child : {L"HKCU\\Software\\X", L"HKCU\\Software\\"}) {
        wchar_t buf[MAX_PATH] = L"stale";
        EXPECT_TRUE(RegKey::GetParentSubkeyName(child, buf, MAX_PATH));
        EXPECT_STREQ(buf, L"HKCU\\Software");
    }
    wchar_t buf[MAX_PATH] = L"stale";
    EXPECT_FALSE(RegKey::GetParentSubkeyName(L"HKCU", buf, MAX_PATH));
    EXPECT_STREQ(buf, L"");
    EXPECT_FALSE(RegKey::GetParentSubkeyName(L"", buf, MAX_PATH));
    EXPECT_FALSE(RegKey::GetParentSubkeyName(L"a\\b", nullptr, MAX_PATH));
    EXPECT_FALSE(RegKey::GetParentSubkeyName(L"HKCU\\Software\\X", buf, 4));  // does not fit
}

TEST_F(Registry, SaveAndLoadHives)
{
    RegKey root(Path(L"Hive").c_str(), 1);
    BuildTree(root, L"Hive");
    std::wstring dir = test::NewTempDir(L"hive");
    std::wstring file = dir + L"\\saved.hiv", fresh = dir + L"\\fresh.hiv", none = dir + L"\\none.hiv";
    // An existing read-only file is replaced and keeps its attributes.
    ASSERT_TRUE(test::WriteUtf8File(file, "old"));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(root.Save(file.c_str())) << RegKey::lError;
    EXPECT_EQ(RegKey::lError, ERROR_SUCCESS);
    EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(RegKey::SaveKey(root, fresh.c_str(), nullptr));
    EXPECT_TRUE(GetFileAttributesW(fresh.c_str()) & FILE_ATTRIBUTE_ARCHIVE);

    std::wstring mount = L"GlmbxHive" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(RegKey::LoadKey(HKEY_USERS, mount.c_str(), file.c_str()));
    EXPECT_EQ(RegKey((L"HKU\\" + mount + L"\\One\\Two").c_str(), 0).GetDword(L"D", 0), 0xFFFFFFFFu);
    EXPECT_TRUE(RegKey::UnLoadKey(HKEY_USERS, mount.c_str()));
    EXPECT_FALSE(RegKey((L"HKU\\" + mount).c_str(), 0).IsOpen());

    EXPECT_FALSE(RegKey::SaveKey(nullptr, none.c_str(), nullptr));
    EXPECT_NE(RegKey::lError, ERROR_SUCCESS);
    for (const std::wstring& f : {file, fresh, none})
        DeleteFileW(f.c_str());
    RemoveDirectoryW(dir.c_str());
}

TEST_F(Registry, LegacySettingsMoveToTheCurrentCompany)
{
    std::wstring product = L"GlmbxMove" + std::to_wstring(GetCurrentProcessId());
    std::wstring legacy = L"Software\\Veltaron\\" + product, current = L"Software\\Corvantrix\\" + product;
    ASSERT_FALSE(Exists(L"Software\\Veltaron"));
    RawDword(legacy, L"Old", 5);
    RawSet(legacy + L"\\Setup", L"Home", REG_SZ, L"C:\\Old", 14);

    EXPECT_TRUE(RegKey::MoveLegacyKey(1, product.c_str()));
    EXPECT_EQ(RawGet(current, L"Old").second.size(), 4u);
    EXPECT_TRUE(HasValue(current + L"\\Setup", L"Home"));
    EXPECT_FALSE(Exists(legacy));
    EXPECT_FALSE(Exists(L"Software\\Veltaron"));  // emptied, so removed

    // With settings under the current company, the former ones are left alone.
    RawDword(legacy, L"Stale", 1);
    EXPECT_TRUE(RegKey::MoveLegacyKey(1, product.c_str()));
    EXPECT_TRUE(Exists(legacy));
    EXPECT_FALSE(HasValue(current, L"Stale"));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Veltaron");
    RegDeleteTreeW(HKEY_CURRENT_USER, current.c_str());
    EXPECT_TRUE(RegKey::MoveLegacyKey(1, product.c_str()));  // nothing anywhere
}

TEST_F(Registry, HomeFolderRestrictionsAndPowerUsers)
{
    std::wstring product = L"GlmbxHome" + std::to_wstring(GetCurrentProcessId());
    wchar_t folder[MAX_PATH] = L"C:\\Program Files\\Test";
    EXPECT_TRUE(ProcessHomeFolder(RegKey::OpInstall, product.c_str(), folder, MAX_PATH));
    EXPECT_TRUE(ProcessHomeFolder(RegKey::OpCheck, product.c_str(), folder, MAX_PATH));
    wchar_t read[MAX_PATH] = L"stale";
    EXPECT_TRUE(GetHomeFolder(product.c_str(), read));
    EXPECT_STREQ(read, folder);
    EXPECT_TRUE(ProcessHomeFolder(RegKey::OpRemove, product.c_str(), folder, MAX_PATH));
    EXPECT_FALSE(GetHomeFolder(product.c_str(), read));
    EXPECT_STREQ(read, L"");
    // Only the former company knows the product: read there.
    RegKey((L"HKLM\\Software\\Veltaron\\" + product + L"\\Setup").c_str(), 1).PutStr(L"Home", L"C:\\Veltaron");
    RegKey(L"HKLM\\Software\\Corvantrix", 1).DelSubKey(product.c_str());
    EXPECT_TRUE(GetHomeFolder(product.c_str(), read));
    EXPECT_STREQ(read, L"C:\\Veltaron");
    RegKey software(L"HKLM\\Software", 1);
    software.DelSubKey((L"Veltaron\\" + product).c_str());
    software.DelSubKeyIfEmpty(L"Veltaron");
    EXPECT_FALSE(ProcessHomeFolder(RegKey::OpRead, nullptr, read, MAX_PATH));

    EXPECT_TRUE(IsPowerUser());  // Wine's user may write to the machine's software key
    EXPECT_FALSE(RegKey(L"HKLM\\Software\\Corvantrix", 0).FindValue(L"Temp"));  // and the probe is gone
    EXPECT_EQ(Restricted(product.c_str(), L"NoAbout"), 0u);
    RawDword(L"Software\\Corvantrix\\" + product + L"\\Setup\\Restrictions", L"NoAbout", 1);
    EXPECT_EQ(Restricted(product.c_str(), L"NoAbout"), 1u);
    EXPECT_EQ(Restricted(product.c_str(), nullptr), 0u);
    EXPECT_EQ(Restricted(product.c_str(), L"Other"), 0u);
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Corvantrix\\" + product).c_str());
}

TEST_F(Registry, ShellExtensionInstalledCheckedAndRemoved)
{
    const wchar_t clsid[] = L"{6F1C2B7E-0D4A-4C3B-9E21-7A5D3C9B0E42}";
    std::wstring type = L".glmbxtest" + std::to_wstring(GetCurrentProcessId());
    const wchar_t* types[] = {type.c_str(), nullptr};
    const wchar_t* name = L"GlimpseboxTestMenu";
    const wchar_t* dll = L"C:\\Program Files\\Glimpsebox\\GLMBX32.DLL";
    const std::wstring server = std::wstring(L"HKCLS\\CLSID\\") + clsid;
    const std::wstring handler = L"HKCLS\\" + type + L"\\shellex\\ContextMenuHandlers\\" + name;
    const wchar_t* approved = L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
    auto text = [](const std::wstring& key, const wchar_t* value) {
        wchar_t buf[MAX_PATH];
        RegKey(key.c_str(), 0).GetStr(value, buf, MAX_PATH, L"<none>");
        return std::wstring(buf);
    };

    EXPECT_FALSE(SetupCtxMenuRegistry(RegKey::OpCheck, name, dll, clsid, types, 0));
    ASSERT_TRUE(SetupCtxMenuRegistry(RegKey::OpInstall, name, dll, clsid, types, 0));
    EXPECT_EQ(text(server + L"\\InProcServer32", nullptr), dll);
    EXPECT_EQ(text(server + L"\\InProcServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(text(handler, nullptr), clsid);
    EXPECT_EQ(text(approved, clsid), name);
    EXPECT_TRUE(SetupCtxMenuRegistry(RegKey::OpCheck, name, dll, clsid, types, 0));
    EXPECT_FALSE(SetupCtxMenuRegistry(RegKey::OpCheck, name, L"C:\\elsewhere.dll", clsid, types, 0));
    EXPECT_TRUE(RegisterShellExt(RegKey::OpCheck, name, dll, clsid, types, L"ContextMenuHandlers", 0));

    ASSERT_TRUE(SetupCtxMenuRegistry(RegKey::OpRemove, name, dll, clsid, types, 0));
    EXPECT_FALSE(RegKey(server.c_str(), 0).IsOpen());
    EXPECT_FALSE(RegKey(handler.c_str(), 0).IsOpen());
    EXPECT_FALSE(RegKey(approved, 0).FindValue(clsid));
    EXPECT_FALSE(SetupCtxMenuRegistry(RegKey::OpCheck, name, dll, clsid, types, 0));
    RegKey(L"HKCLS", 1).DelSubKey(type.c_str());
}
