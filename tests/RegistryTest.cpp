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

static_assert(!std::is_copy_constructible<RegKey>::value, "one owner per key");
static_assert(!std::is_copy_assignable<RegKey>::value, "one owner per key");

// Raw registry access that does not go through RegKey, to check what it really did.
struct Raw {
    static HKEY Open(const std::wstring& sub, REGSAM access = KEY_READ)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, access, &key) != ERROR_SUCCESS)
            return nullptr;
        return key;
    }
    static bool Exists(const std::wstring& sub)
    {
        HKEY key = Open(sub);
        if (key)
            RegCloseKey(key);
        return key != nullptr;
    }
    static void Set(const std::wstring& sub, const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // Type and bytes of a value; type REG_NONE with no bytes when it is missing.
    static std::pair<DWORD, std::vector<BYTE>> Get(const std::wstring& sub, const wchar_t* name)
    {
        std::pair<DWORD, std::vector<BYTE>> result(REG_NONE, {});
        HKEY key = Open(sub);
        if (!key)
            return result;
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            result.first = type;
            result.second.resize(size);
            RegQueryValueExW(key, name, nullptr, &type, size ? result.second.data() : nullptr, &size);
        } else {
            result.first = static_cast<DWORD>(-1);
        }
        RegCloseKey(key);
        return result;
    }
    static bool HasValue(const std::wstring& sub, const wchar_t* name) { return Get(sub, name).first != static_cast<DWORD>(-1); }

    // Every key and value below sub, as "path|name" -> "type:bytes", for comparing trees.
    static void Dump(HKEY key, const std::wstring& prefix, std::map<std::wstring, std::wstring>& out)
    {
        for (DWORD i = 0;; ++i) {
            wchar_t name[16384];
            DWORD nameChars = 16384;
            DWORD type = 0;
            DWORD size = 0;
            if (RegEnumValueW(key, i, name, &nameChars, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
                break;
            std::vector<BYTE> data(size + 1);
            DWORD got = size;
            RegQueryValueExW(key, name, nullptr, &type, data.data(), &got);
            std::wstring text = std::to_wstring(type) + L":";
            for (DWORD b = 0; b < got; ++b)
                text += std::to_wstring(data[b]) + L",";
            out[prefix + L"|" + name] = text;
        }
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD nameChars = 256;
            if (RegEnumKeyExW(key, i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            out[prefix + L"\\" + name] = L"key";
            HKEY child = nullptr;
            if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
                Dump(child, prefix + L"\\" + name, out);
                RegCloseKey(child);
            }
        }
    }
    static std::map<std::wstring, std::wstring> Tree(const std::wstring& sub)
    {
        std::map<std::wstring, std::wstring> out;
        HKEY key = Open(sub);
        if (key) {
            Dump(key, L"", out);
            RegCloseKey(key);
        }
        return out;
    }
};

// Signals when anything of a key's values changes: a write that should not happen shows here
// at once (the registry signals as part of the write itself).
class ChangeWatch {
public:
    explicit ChangeWatch(const std::wstring& sub) : key(Raw::Open(sub, KEY_NOTIFY)), event(CreateEventW(nullptr, TRUE, FALSE, nullptr))
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
    bool Changed() const { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

private:
    HKEY key;
    HANDLE event;
};

FILETIME LastWrite(const std::wstring& sub)
{
    FILETIME time = {};
    HKEY key = Raw::Open(sub);
    if (key) {
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &time);
        RegCloseKey(key);
    }
    return time;
}

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The test's own key: HKCU\Software\GlimpseboxTests\<process>-<test>, gone after the test.
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
        HKEY tests = Raw::Open(L"Software\\GlimpseboxTests", KEY_ALL_ACCESS);
        if (tests) {
            DWORD subKeys = 1;
            RegQueryInfoKeyW(tests, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr);
            RegCloseKey(tests);
            if (!subKeys)
                RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\GlimpseboxTests");
        }
    }
    std::wstring Path(const std::wstring& tail = L"") const { return tail.empty() ? path : path + L"\\" + tail; }
    std::wstring Sub(const std::wstring& tail = L"") const { return tail.empty() ? sub : sub + L"\\" + tail; }

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
        RegKey sibling(root, L"Sibling\\Nested", 1);
        sibling.PutInt(L"Minus", -5);
        Raw::Set(Sub(rootTail + L"\\One"), L"Multi", REG_MULTI_SZ, L"a\0b\0", 10);
    }

    std::wstring sub;
    std::wstring path;
};

} // namespace

// ---- Key paths ----

TEST_F(Registry, PathSyntaxRootsAndEmptyComponents)
{
    Raw::Set(Sub(L"X"), L"V", REG_DWORD, "\x07\0\0\0", 4);
    std::wstring odd = L"hkcu\\" + sub + L"\\\\X\\";
    RegKey key(odd.c_str(), 0);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(key.GetDword(L"V", 0), 7u);
    RegKey longForm((L"HKEY_CURRENT_USER\\\\" + sub + L"\\X").c_str(), 0);
    EXPECT_EQ(longForm.GetDword(L"V", 0), 7u);
    // Components before the root name are ignored.
    RegKey prefixed((L"Foo\\Bar\\hKcU\\" + sub + L"\\X").c_str(), 0);
    EXPECT_EQ(prefixed.GetDword(L"V", 0), 7u);

    RegKey root(L"HKCU", 0);
    EXPECT_EQ(static_cast<HKEY>(root), HKEY_CURRENT_USER);
    RegKey machine(L"Foo\\HKLM\\Software", 0);
    ASSERT_TRUE(machine.IsOpen());
    HKEY microsoft = nullptr;
    EXPECT_EQ(RegOpenKeyExW(machine, L"Microsoft", 0, KEY_READ, &microsoft), ERROR_SUCCESS);
    if (microsoft)
        RegCloseKey(microsoft);
    EXPECT_TRUE(RegKey(L"HKEY_LOCAL_MACHINE\\Software", 0).IsOpen());
    EXPECT_TRUE(RegKey(L"HKCLS\\CLSID", 0).IsOpen());
    EXPECT_TRUE(RegKey(L"HKEY_CLASSES_ROOT", 0).IsOpen());
    EXPECT_TRUE(RegKey(L"HKU\\.Default", 0).IsOpen());
    EXPECT_TRUE(RegKey(L"HKEY_USERS", 0).IsOpen());

    EXPECT_FALSE(RegKey(L"Software\\X", 0).IsOpen());
    EXPECT_FALSE(RegKey(L"Software\\X", 1).IsOpen());
    EXPECT_FALSE(RegKey(L"HKXX\\Software", 1).IsOpen());
    EXPECT_FALSE(RegKey(L"HKCC\\Software", 0).IsOpen());
    EXPECT_FALSE(RegKey(L"", 0).IsOpen());
    EXPECT_FALSE(RegKey(static_cast<const wchar_t*>(nullptr), 0).IsOpen());
    EXPECT_FALSE(Raw::Exists(L"Software\\X"));
}

TEST_F(Registry, OverLongComponentFailsCleanly)
{
    std::wstring fits(127, L'k');
    std::wstring tooLong(128, L'k');
    RegKey ok(Path(fits).c_str(), 1);
    EXPECT_TRUE(ok.IsOpen());
    EXPECT_TRUE(Raw::Exists(Sub(fits)));
    RegKey refused(Path(tooLong + L"\\below").c_str(), 1);
    EXPECT_FALSE(refused.IsOpen());
    EXPECT_FALSE(Raw::Exists(Sub(tooLong)));
    // Only the components that are opened count.
    RegKey parent;
    EXPECT_TRUE(parent.OpenParent(Path(tooLong).c_str(), 0, 1));
    std::wstring huge(5000, L'h');
    EXPECT_FALSE(RegKey((L"HKCU\\" + huge).c_str(), 1).IsOpen());
}

TEST_F(Registry, ReadModeNeverCreatesCreateModeCreatesAll)
{
    EXPECT_FALSE(RegKey(Path(L"A\\B\\C").c_str(), 0).IsOpen());
    EXPECT_FALSE(Raw::Exists(Sub(L"A")));
    EXPECT_FALSE(RegKey(Path(L"A\\B\\C").c_str(), RegKey::OpCheck).IsOpen());
    EXPECT_FALSE(RegKey(Path(L"A\\B\\C").c_str(), RegKey::OpRead).IsOpen());
    EXPECT_FALSE(Raw::Exists(Sub(L"A")));

    RegKey created(Path(L"A\\B\\C").c_str(), 1);
    ASSERT_TRUE(created.IsOpen());
    EXPECT_TRUE(Raw::Exists(Sub(L"A\\B\\C")));
    // A created key stays open and usable.
    EXPECT_TRUE(created.PutDword(L"Alive", 1));
    EXPECT_TRUE(Raw::HasValue(Sub(L"A\\B\\C"), L"Alive"));
    EXPECT_TRUE(RegKey(Path(L"D\\E").c_str(), RegKey::OpInstall).IsOpen());
    EXPECT_TRUE(RegKey(Path(L"F").c_str(), RegKey::OpRemove).IsOpen());
    EXPECT_TRUE(Raw::Exists(Sub(L"F")));
}

TEST_F(Registry, OpenJoinsParentsAndLevels)
{
    RegKey joined(path.c_str(), L"Sub\\Key", 1);
    ASSERT_TRUE(joined.IsOpen());
    EXPECT_TRUE(Raw::Exists(Sub(L"Sub\\Key")));
    std::wstring longSub(300, L's');
    RegKey tooLong(path.c_str(), longSub.c_str(), 1);
    EXPECT_FALSE(tooLong.IsOpen());

    RegKey parent(path.c_str(), 0);
    RegKey below(parent, L"Sub\\Key", 0);
    EXPECT_TRUE(below.IsOpen());
    RegKey made(parent, L"New\\Deeper", 1);
    EXPECT_TRUE(made.IsOpen());
    EXPECT_TRUE(Raw::Exists(Sub(L"New\\Deeper")));
    RegKey none;
    RegKey orphan(none, L"X", 1);
    EXPECT_FALSE(orphan.IsOpen());

    Raw::Set(Sub(L"Sub"), L"Level", REG_DWORD, "\x01\0\0\0", 4);
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
    RegKey key(path.c_str(), 1);
    HKEY first = key;
    ASSERT_NE(first, nullptr);
    // Reopening replaces the key and closes the old handle.
    ASSERT_TRUE(key.Open(key, L"Child", 1));
    HKEY second = key;
    EXPECT_NE(second, first);
    DWORD values = 0;
    EXPECT_EQ(RegQueryInfoKeyW(first, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_TRUE(Raw::Exists(Sub(L"Child")));
    key.Close();
    EXPECT_EQ(static_cast<HKEY>(key), nullptr);
    EXPECT_EQ(RegQueryInfoKeyW(second, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    key.Close();  // closing twice is harmless

    HKEY scoped = nullptr;
    {
        RegKey inner(path.c_str(), 0);
        scoped = inner;
        ASSERT_NE(scoped, nullptr);
    }
    EXPECT_EQ(RegQueryInfoKeyW(scoped, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    // The predefined roots are never closed.
    {
        RegKey root(L"HKCU", 0);
    }
    EXPECT_TRUE(Raw::Exists(L"Software"));
}

// ---- Values ----

TEST_F(Registry, PutAndGetEveryType)
{
    RegKey key(path.c_str(), 1);
    EXPECT_TRUE(key.PutDword(L"Dword", 0xDEADBEEF));
    EXPECT_EQ(key.GetDword(L"Dword", 0), 0xDEADBEEFu);
    EXPECT_TRUE(key.PutInt(L"Int", -12345));
    EXPECT_EQ(key.GetInt(L"Int", 0), -12345);
    EXPECT_EQ(key.GetValueType(L"Int"), static_cast<DWORD>(REG_DWORD));

    EXPECT_TRUE(key.PutStr(L"Str", L"C:\\Program Files\\Glimpsebox"));
    wchar_t buf[MAX_PATH];
    EXPECT_EQ(key.GetStr(L"Str", buf, MAX_PATH, L"def"), 27);
    EXPECT_STREQ(buf, L"C:\\Program Files\\Glimpsebox");
    EXPECT_EQ(key.GetValueType(L"Str"), static_cast<DWORD>(REG_SZ));

    const unsigned char bytes[] = {9, 0, 8, 0, 7};
    EXPECT_TRUE(key.PutBin(L"Bin", bytes, sizeof(bytes)));
    EXPECT_EQ(key.GetBinSize(L"Bin"), 5u);
    unsigned char back[5] = {};
    EXPECT_TRUE(key.GetBin(L"Bin", back, sizeof(back)));
    EXPECT_EQ(memcmp(back, bytes, 5), 0);
    EXPECT_EQ(key.GetValueType(L"Bin"), static_cast<DWORD>(REG_BINARY));

    EXPECT_TRUE(key.PutStr(nullptr, L"the default"));
    EXPECT_EQ(key.GetStr(nullptr, buf, MAX_PATH), 11);
    EXPECT_STREQ(buf, L"the default");
    EXPECT_TRUE(key.FindValue(nullptr));

    EXPECT_TRUE(key.FindValue(L"Bin"));
    EXPECT_FALSE(key.FindValue(L"Missing"));
    EXPECT_EQ(key.GetValueType(L"Missing"), 0u);
    EXPECT_EQ(key.GetBinSize(L"Missing"), 0u);
    EXPECT_TRUE(key.DelValue(L"Bin"));
    EXPECT_FALSE(Raw::HasValue(sub, L"Bin"));
    EXPECT_TRUE(key.DelValue(L"Bin"));  // gone already: still true
    EXPECT_EQ(key.GetDword(L"Missing", 77), 77u);
    EXPECT_EQ(key.GetStr(L"Missing", buf, MAX_PATH, L"fallback"), 8);
    EXPECT_STREQ(buf, L"fallback");
    EXPECT_EQ(key.GetStr(L"Missing", buf, MAX_PATH, nullptr), 0);
    EXPECT_STREQ(buf, L"");

    // A key that is not open fails like a failed call.
    RegKey closed;
    EXPECT_EQ(closed.GetDword(L"x", 5), 5u);
    EXPECT_FALSE(closed.PutDword(L"x", 1));
    EXPECT_FALSE(closed.PutStr(L"x", L"y"));
    EXPECT_FALSE(closed.PutBin(L"x", bytes, 1));
    EXPECT_FALSE(closed.DelValue(L"x"));
    EXPECT_FALSE(closed.Flush());
    EXPECT_TRUE(key.Flush());
}

TEST_F(Registry, StringsKeepTheirTerminatorAndComeBackWhole)
{
    RegKey key(path.c_str(), 1);
    ASSERT_TRUE(key.PutStr(L"Text", L"abc"));
    auto raw = Raw::Get(sub, L"Text");
    EXPECT_EQ(raw.first, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(raw.second.size(), 8u);  // three characters and the terminator
    EXPECT_EQ(raw.second[6], 0);
    EXPECT_EQ(raw.second[7], 0);

    ASSERT_TRUE(key.PutStr(L"Empty", L""));  // a missing value: an empty string is written
    raw = Raw::Get(sub, L"Empty");
    EXPECT_EQ(raw.first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.second.size(), 2u);

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
    const unsigned char bytes[] = {1, 2, 3};
    ASSERT_TRUE(key.PutDword(L"D", 5));
    ASSERT_TRUE(key.PutStr(L"S", L"same"));
    ASSERT_TRUE(key.PutStr(L"E", L""));
    ASSERT_TRUE(key.PutBin(L"B", bytes, 3));

    ChangeWatch watch(sub);
    FILETIME before = LastWrite(sub);
    EXPECT_TRUE(key.PutDword(L"D", 5));
    EXPECT_TRUE(key.PutInt(L"D", 5));
    EXPECT_TRUE(key.PutStr(L"S", L"same"));
    EXPECT_TRUE(key.PutStr(L"E", L""));
    EXPECT_TRUE(key.PutBin(L"B", bytes, 3));
    EXPECT_FALSE(watch.Changed()) << "an unchanged put wrote";
    EXPECT_TRUE(SameTime(LastWrite(sub), before));

    // The watch sees real writes: each change below is one.
    EXPECT_TRUE(key.PutDword(L"D", 6));
    EXPECT_TRUE(watch.Changed());
    watch.Arm();
    EXPECT_TRUE(key.PutStr(L"S", L"Same"));  // case counts
    EXPECT_TRUE(watch.Changed());
    watch.Arm();
    const unsigned char longer[] = {1, 2, 3, 0};
    EXPECT_TRUE(key.PutBin(L"B", longer, 4));  // same bytes, other size
    EXPECT_TRUE(watch.Changed());
    watch.Arm();
    EXPECT_TRUE(key.PutStr(L"S", L"Sam"));  // a prefix of what is stored
    EXPECT_TRUE(watch.Changed());
    watch.Arm();
    // A value of another type holding "equal" bytes is rewritten as a string.
    Raw::Set(sub, L"T", REG_BINARY, L"x", 4);
    watch.Arm();
    EXPECT_TRUE(key.PutStr(L"T", L"x"));
    EXPECT_TRUE(watch.Changed());
    EXPECT_EQ(Raw::Get(sub, L"T").first, static_cast<DWORD>(REG_SZ));
}

TEST_F(Registry, DamagedValuesFallBackToDefaults)
{
    RegKey key(path.c_str(), 1);
    Raw::Set(sub, L"StrAsDword", REG_SZ, L"1", 4);
    Raw::Set(sub, L"Short", REG_BINARY, "\x01\x02", 2);
    Raw::Set(sub, L"Qword", REG_QWORD, "\x01\0\0\0\0\0\0\0", 8);
    Raw::Set(sub, L"BinDword", REG_BINARY, "\x2A\0\0\0", 4);
    Raw::Set(sub, L"EmptyBin", REG_BINARY, "", 0);
    EXPECT_EQ(key.GetDword(L"StrAsDword", 99), 99u);
    EXPECT_EQ(key.GetDword(L"Short", 99), 99u);
    EXPECT_EQ(key.GetDword(L"Qword", 99), 99u);
    EXPECT_EQ(key.GetDword(L"EmptyBin", 99), 99u);
    EXPECT_EQ(key.GetDword(L"BinDword", 99), 42u);  // four bytes of another type still count

    wchar_t buf[16];
    Raw::Set(sub, L"Dword", REG_DWORD, "\x41\0\x42\0", 4);
    EXPECT_EQ(key.GetStr(L"Dword", buf, 16, L"def"), 3);
    EXPECT_STREQ(buf, L"def");
    Raw::Set(sub, L"Multi", REG_MULTI_SZ, L"a\0b\0", 10);
    key.GetStr(L"Multi", buf, 16, L"def");
    EXPECT_STREQ(buf, L"def");
    // No terminator stored, or an odd byte count: the text still comes back, terminated.
    Raw::Set(sub, L"Open", REG_SZ, L"abcd", 8);
    EXPECT_EQ(key.GetStr(L"Open", buf, 16), 4);
    EXPECT_STREQ(buf, L"abcd");
    Raw::Set(sub, L"Odd", REG_SZ, L"xyz", 5);
    EXPECT_EQ(key.GetStr(L"Odd", buf, 16), 2);
    EXPECT_STREQ(buf, L"xy");
    Raw::Set(sub, L"Expand", REG_EXPAND_SZ, L"%TEMP%", 14);
    key.GetStr(L"Expand", buf, 16);
    EXPECT_STREQ(buf, L"%TEMP%");
    // Extra zeros after the text do not make it too long.
    Raw::Set(sub, L"Padded", REG_SZ, L"ab\0\0\0\0", 12);
    EXPECT_EQ(key.GetStr(L"Padded", buf, 3), 2);
    EXPECT_STREQ(buf, L"ab");

    // The caller's own text as the default survives a failed read.
    wcscpy(buf, L"keep me");
    EXPECT_EQ(key.GetStr(L"Missing", buf, 16, buf), 7);
    EXPECT_STREQ(buf, L"keep me");
    EXPECT_EQ(key.GetStr(L"Open", buf, 16, buf), 4);
    EXPECT_STREQ(buf, L"abcd");

    // A binary value larger than the caller's buffer is refused without touching it.
    Raw::Set(sub, L"Big", REG_BINARY, "0123456789", 10);
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
    EXPECT_EQ(Raw::Get(sub, L"Font").second.size(), 92u);

    LOGFONTW* read = nullptr;
    ASSERT_TRUE(RegGetLogFont(key, L"Font", read));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(memcmp(read, &font, sizeof(font)), 0);
    LOGFONTW* same = read;
    ASSERT_TRUE(RegGetLogFont(key, L"Font", read));  // an existing font is reused
    EXPECT_EQ(read, same);

    for (DWORD size : {0u, 91u, 93u, 184u}) {
        std::vector<BYTE> data(size, 0x41);
        Raw::Set(sub, L"Bad", REG_BINARY, data.data(), size);
        EXPECT_FALSE(RegGetLogFont(key, L"Bad", read)) << size;
        EXPECT_EQ(read, nullptr) << size;
        ASSERT_TRUE(RegGetLogFont(key, L"Font", read));
    }
    // A stored face name without a terminator comes back terminated.
    std::vector<BYTE> open(92, 0x41);
    Raw::Set(sub, L"Open", REG_BINARY, open.data(), 92);
    ASSERT_TRUE(RegGetLogFont(key, L"Open", read));
    EXPECT_EQ(read->lfFaceName[LF_FACESIZE - 1], 0);
    EXPECT_TRUE(RegPutLogFont(key, L"Font", nullptr));
    EXPECT_FALSE(Raw::HasValue(sub, L"Font"));
    delete read;

    RECT rect = {10, -20, 300, 400};
    ASSERT_TRUE(RegPutRect(key, &rect, L"Win"));
    for (const wchar_t* name : {L"WinL", L"WinT", L"WinR", L"WinB"})
        EXPECT_EQ(Raw::Get(sub, name).first, static_cast<DWORD>(REG_DWORD)) << name;
    key.DelValue(L"WinB");
    RECT back = {1, 2, 3, 4};
    RegGetRect(key, &back, L"Win");
    EXPECT_EQ(back.left, 10);
    EXPECT_EQ(back.top, -20);
    EXPECT_EQ(back.right, 300);
    EXPECT_EQ(back.bottom, 4);  // missing: the field keeps its value
}

TEST_F(Registry, PrefixedNames)
{
    RegKey key(path.c_str(), 1);
    const unsigned char bytes[] = {5, 6};
    EXPECT_TRUE(key.PutIntPrefix(L"Main", L"posLeft", -3));
    EXPECT_TRUE(key.PutDwordPrefix(L"Main", L"posTop", 4));
    EXPECT_TRUE(key.PutStrPrefix(L"Main", L"Title", L"T"));
    EXPECT_TRUE(key.PutBinPrefix(L"Main", L"Data", bytes, 2));
    EXPECT_TRUE(Raw::HasValue(sub, L"MainposLeft"));
    EXPECT_EQ(key.GetIntPrefix(L"Main", L"posLeft", 0), -3);
    EXPECT_EQ(key.GetDwordPrefix(L"Main", L"posTop", 0), 4u);
    wchar_t buf[8];
    EXPECT_EQ(key.GetStrPrefix(L"Main", L"Title", buf, 8), 1);
    EXPECT_EQ(key.GetBinSizePrefix(L"Main", L"Data"), 2u);
    unsigned char back[2];
    EXPECT_TRUE(key.GetBinPrefix(L"Main", L"Data", back, 2));
    EXPECT_TRUE(key.DelValuePrefix(L"Main", L"Data"));
    EXPECT_FALSE(Raw::HasValue(sub, L"MainData"));
    EXPECT_EQ(key.GetIntPrefix(L"", L"posLeft", 9), 9);
    EXPECT_EQ(key.GetIntPrefix(nullptr, L"MainposLeft", 9), -3);

    // A joined name longer than 255 characters is neither read nor written.
    std::wstring longName(250, L'n');
    EXPECT_FALSE(key.PutDwordPrefix(L"1234567", longName.c_str(), 1));
    EXPECT_EQ(key.GetDwordPrefix(L"1234567", longName.c_str(), 8), 8u);
    EXPECT_EQ(key.GetStrPrefix(L"1234567", longName.c_str(), buf, 8, L"d"), 1);

    key.PutDword(L"mru1", 1);
    key.PutDword(L"MRU2", 2);
    key.PutDword(L"Other", 3);
    EXPECT_TRUE(key.DelValuesStartingWith(L"mru", FALSE));
    EXPECT_FALSE(Raw::HasValue(sub, L"mru1"));
    EXPECT_TRUE(Raw::HasValue(sub, L"MRU2"));
    EXPECT_TRUE(key.DelValuesStartingWith(L"mru", TRUE));
    EXPECT_FALSE(Raw::HasValue(sub, L"MRU2"));
    EXPECT_TRUE(Raw::HasValue(sub, L"Other"));
    EXPECT_TRUE(Raw::HasValue(sub, L"MainposTop"));
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
}

// ---- Enumeration ----

TEST_F(Registry, EnumerationWalksShareOneIndex)
{
    RegKey key(path.c_str(), 1);
    RegKey(key, L"K1", 1);
    RegKey(key, L"K2", 1);
    key.PutDword(L"V1", 1);
    key.PutDword(L"V2", 2);
    key.PutDword(L"V3", 3);

    wchar_t name[256];
    std::vector<std::wstring> keys;
    for (BOOL more = key.GetFirstSubKey(name, 256); more; more = key.GetNextSubKey(name, 256))
        keys.push_back(name);
    EXPECT_EQ(keys.size(), 2u);
    std::vector<std::wstring> values;
    for (BOOL more = key.GetFirstValue(name, 256); more; more = key.GetNextValue(name, 256))
        values.push_back(name);
    EXPECT_EQ(values.size(), 3u);
    // The index is shared: a value walk continues where the key walk stopped.
    ASSERT_TRUE(key.GetFirstSubKey(name, 256));
    ASSERT_TRUE(key.GetNextValue(name, 256));
    EXPECT_STREQ(name, values[1].c_str());

    EXPECT_TRUE(key.GetSubKeyByIndex(1, name, 256));
    EXPECT_FALSE(key.GetSubKeyByIndex(2, name, 256));
    EXPECT_STREQ(name, L"");
    EXPECT_FALSE(key.GetValueByIndex(3, name, 256));
    // A name that does not fit: the item exists, its name is not given.
    GuardedBuffer<wchar_t> tiny(2);
    EXPECT_TRUE(key.GetSubKeyByIndex(0, tiny.Data(), 2));
    EXPECT_TRUE(tiny.GuardIntact());
    EXPECT_EQ(tiny.Text(), L"");
    EXPECT_FALSE(key.GetSubKeyByIndex(0, tiny.Data(), 0));
    RegKey closed;
    EXPECT_FALSE(closed.GetFirstSubKey(name, 256));
    EXPECT_FALSE(closed.GetFirstValue(name, 256));
}

// ---- Trees ----

TEST_F(Registry, CopyAndDeleteATreeThreeLevelsDeep)
{
    RegKey root(Path(L"Source").c_str(), 1);
    BuildTree(root, L"Source");
    auto source = Raw::Tree(Sub(L"Source"));
    ASSERT_TRUE(source.count(L"\\One\\Two\\Three"));

    RegKey copy(Path(L"Copy").c_str(), 1);
    ASSERT_TRUE(root.CopyTo(copy));
    auto copied = Raw::Tree(Sub(L"Copy"));
    auto expected = source;
    expected.erase(L"\\One|Multi");  // other types are not copied
    EXPECT_EQ(copied, expected);

    RegKey parent(path.c_str(), 1);
    EXPECT_TRUE(parent.DelSubKey(L"Source"));
    EXPECT_FALSE(Raw::Exists(Sub(L"Source")));
    EXPECT_TRUE(Raw::Exists(Sub(L"Copy\\One\\Two\\Three")));
    EXPECT_TRUE(parent.DelSubKey(L"Source"));  // already gone
    EXPECT_FALSE(parent.DelSubKey(L""));       // would be the key itself
    EXPECT_FALSE(parent.DelSubKey(nullptr));
    EXPECT_TRUE(Raw::Exists(sub));
    EXPECT_TRUE(parent.DelSubKey(L"Copy\\One"));  // a path below works too
    EXPECT_FALSE(Raw::Exists(Sub(L"Copy\\One")));
    EXPECT_TRUE(Raw::Exists(Sub(L"Copy\\Sibling\\Nested")));
}

TEST_F(Registry, DeleteAllEmptiesButKeepsTheKey)
{
    RegKey root(Path(L"Tree").c_str(), 1);
    BuildTree(root, L"Tree");
    EXPECT_FALSE(root.IsKeyEmpty());
    EXPECT_TRUE(root.DelAll());
    EXPECT_TRUE(Raw::Exists(Sub(L"Tree")));
    EXPECT_TRUE(Raw::Tree(Sub(L"Tree")).empty());
    EXPECT_FALSE(Raw::HasValue(Sub(L"Tree"), nullptr));
    EXPECT_TRUE(root.IsKeyEmpty());

    RegKey parent(path.c_str(), 1);
    RegKey(parent, L"Empty", 1);
    RegKey full(parent, L"Full", 1);
    full.PutDword(L"x", 1);
    RegKey(parent, L"HasChild\\Child", 1);
    EXPECT_TRUE(parent.DelSubKeyIfEmpty(L"Empty"));
    EXPECT_FALSE(Raw::Exists(Sub(L"Empty")));
    EXPECT_FALSE(parent.DelSubKeyIfEmpty(L"Full"));
    EXPECT_FALSE(parent.DelSubKeyIfEmpty(L"HasChild"));
    EXPECT_TRUE(Raw::Exists(Sub(L"Full")));
    EXPECT_TRUE(parent.DelSubKeyIfEmpty(L"Missing"));

    EXPECT_TRUE(parent.ProcessSubKey(RegKey::OpCheck, L"Full"));
    EXPECT_TRUE(Raw::Exists(Sub(L"Full")));
    EXPECT_TRUE(parent.ProcessSubKey(RegKey::OpRead, L"Full"));
    EXPECT_TRUE(Raw::Exists(Sub(L"Full")));
    EXPECT_TRUE(parent.ProcessSubKey(RegKey::OpInstall, L"Full"));
    EXPECT_FALSE(Raw::Exists(Sub(L"Full")));
    EXPECT_TRUE(parent.ProcessSubKey(RegKey::OpRemove, L"HasChild"));
    EXPECT_FALSE(Raw::Exists(Sub(L"HasChild")));
}

TEST_F(Registry, DeletingPastAKeyThatCannotGoTerminates)
{
    RegKey root(Path(L"Tree").c_str(), 1);
    RegKey(root, L"A\\A1", 1);
    RegKey(root, L"Z", 1);
    root.PutDword(L"v", 1);
    // A child that denies everyone everything cannot be opened, emptied or deleted.
    HKEY locked = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Sub(L"Tree\\M\\Locked").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &locked, nullptr),
              ERROR_SUCCESS);
    HKEY inside = nullptr;
    ASSERT_EQ(RegCreateKeyExW(locked, L"Inside", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &inside, nullptr), ERROR_SUCCESS);
    RegCloseKey(inside);
    PSECURITY_DESCRIPTOR denyAll = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;GA;;;WD)", SDDL_REVISION_1, &denyAll, nullptr));
    ASSERT_EQ(RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, denyAll), ERROR_SUCCESS);
    LocalFree(denyAll);

    RegKey parent(path.c_str(), 1);
    EXPECT_FALSE(parent.DelSubKey(L"Tree"));  // returns: the walk stepped past what remains
    EXPECT_FALSE(Raw::Exists(Sub(L"Tree\\A")));
    EXPECT_FALSE(Raw::Exists(Sub(L"Tree\\Z")));
    EXPECT_FALSE(Raw::HasValue(Sub(L"Tree"), L"v"));
    EXPECT_TRUE(Raw::Exists(Sub(L"Tree\\M")));

    // Let the clean-up through again.
    PSECURITY_DESCRIPTOR allowAll = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;WD)", SDDL_REVISION_1, &allowAll, nullptr));
    EXPECT_EQ(RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, allowAll), ERROR_SUCCESS);
    LocalFree(allowAll);
    RegCloseKey(locked);
    EXPECT_TRUE(parent.DelSubKey(L"Tree"));
    EXPECT_FALSE(Raw::Exists(Sub(L"Tree")));
}

TEST_F(Registry, CopyingAKeyIntoItselfEnds)
{
    RegKey root(Path(L"Loop").c_str(), 1);
    root.PutDword(L"v", 1);
    RegKey inside(root, L"In", 1);
    EXPECT_TRUE(root.CopyTo(inside));
    EXPECT_TRUE(Raw::HasValue(Sub(L"Loop\\In"), L"v"));
    EXPECT_TRUE(Raw::Exists(Sub(L"Loop\\In\\In")));
}

// ---- Operation entries ----

TEST_F(Registry, StringEntriesInEveryMode)
{
    RegKey key(path.c_str(), 1);
    wchar_t buf[MAX_PATH];
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpCheck, L"S", L""));  // missing counts as empty
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpCheck, L"S", L"x"));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpCheckAbsent, L"S", L"x"));
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpRead, L"S", buf, MAX_PATH));

    ChangeWatch watch(sub);
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"S", L"Value"));
    EXPECT_TRUE(watch.Changed());
    watch.Arm();
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"S", L"Value"));
    EXPECT_FALSE(watch.Changed());
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpCheck, L"S", L"Value"));
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpCheck, L"S", L"value"));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpCheckNoCase, L"S", L"VALUE"));
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpCheckNoCase, L"S", L"VALUES"));
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpCheckAbsent, L"S", L""));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpRead, L"S", buf, MAX_PATH));
    EXPECT_STREQ(buf, L"Value");
    EXPECT_TRUE(key.ProcessEntry(static_cast<RegKey::Op>(9), L"S", L"anything"));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpRemove, L"S", L"ignored"));
    EXPECT_FALSE(Raw::HasValue(sub, L"S"));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpRemove, L"S", L"ignored"));

    // Installing an empty string over a missing value has nothing to do.
    watch.Arm();
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"E", L""));
    EXPECT_FALSE(watch.Changed());

    ExpectBounded<wchar_t>(L"Value", [&key](wchar_t* out, int size) {
        key.PutStr(L"R", L"Value");
        key.ProcessEntry(RegKey::OpRead, L"R", out, static_cast<unsigned>(size));
    }, false);
}

TEST_F(Registry, NumericEntriesInEveryMode)
{
    RegKey key(path.c_str(), 1);
    unsigned long value = 0;
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpCheck, L"N", value));  // missing and 0 are the same
    value = 7;
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpCheck, L"N", value));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"N", value));
    EXPECT_EQ(Raw::Get(sub, L"N").first, static_cast<DWORD>(REG_DWORD));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpCheck, L"N", value));
    unsigned long read = 0;
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpRead, L"N", read));
    EXPECT_EQ(read, 7u);
    value = 0;
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"N", value));  // installing 0 deletes
    EXPECT_FALSE(Raw::HasValue(sub, L"N"));
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpCheck, L"N", value));

    int signedValue = -2;
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpInstall, L"I", signedValue));
    int signedRead = 0;
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpRead, L"I", signedRead));
    EXPECT_EQ(signedRead, -2);
    EXPECT_TRUE(key.ProcessEntry(RegKey::OpRemove, L"I", signedValue));
    EXPECT_FALSE(Raw::HasValue(sub, L"I"));
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpCheckAbsent, L"I", signedValue));
    EXPECT_FALSE(key.ProcessEntry(RegKey::OpCheckNoCase, L"I", value));
}

TEST_F(Registry, OneTableInstalledCheckedReadAndRemoved)
{
    // One table of entries, the way setup code keeps them, processed with each operation.
    struct Table {
        wchar_t name[MAX_PATH];
        wchar_t folder[MAX_PATH];
        unsigned long flags;
        int level;
    };
    auto process = [this](RegKey::Op op, Table& t) {
        RegKey key(Path(L"App\\Setup").c_str(), op);
        if (!key.IsOpen())
            return FALSE;
        BOOL ok = key.ProcessEntry(op, L"Name", t.name, MAX_PATH);
        ok = key.ProcessEntry(op, L"Folder", t.folder, MAX_PATH) && ok;
        ok = key.ProcessEntry(op, L"Flags", t.flags) && ok;
        ok = key.ProcessEntry(op, L"Level", t.level) && ok;
        return ok;
    };
    Table table = {L"Glimpsebox", L"C:\\Program Files\\Glimpsebox", 0x15, 3};
    EXPECT_FALSE(process(RegKey::OpCheck, table));
    EXPECT_TRUE(process(RegKey::OpInstall, table));
    EXPECT_TRUE(process(RegKey::OpCheck, table));
    {
        ChangeWatch watch(Sub(L"App\\Setup"));
        EXPECT_TRUE(process(RegKey::OpInstall, table));
        EXPECT_FALSE(watch.Changed());
    }
    Raw::Set(Sub(L"App\\Setup"), L"Flags", REG_DWORD, "\x01\0\0\0", 4);
    EXPECT_FALSE(process(RegKey::OpCheck, table));
    EXPECT_TRUE(process(RegKey::OpInstall, table));
    EXPECT_TRUE(process(RegKey::OpCheck, table));

    Table read = {L"", L"", 0, 0};
    EXPECT_TRUE(process(RegKey::OpRead, read));
    EXPECT_STREQ(read.name, table.name);
    EXPECT_STREQ(read.folder, table.folder);
    EXPECT_EQ(read.flags, table.flags);
    EXPECT_EQ(read.level, table.level);

    EXPECT_TRUE(process(RegKey::OpRemove, table));
    EXPECT_TRUE(Raw::Tree(Sub(L"App\\Setup")).empty());
    EXPECT_FALSE(process(RegKey::OpCheck, table));
}

// ---- Log mode ----

TEST_F(Registry, LogModeCountsThenWritesRegistryText)
{
    ASSERT_FALSE(Raw::Exists(L"Software\\X"));
    auto run = [] {
        RegKey key(L"HKCU\\Software\\X", 1);
        EXPECT_TRUE(key.IsOpen());
        EXPECT_TRUE(key.PutDword(L"A", 10));
    };
    RegKey::StartLog(nullptr);
    run();
    EXPECT_EQ(RegKey::EndLog(), 38u);
    std::vector<wchar_t> buf(38, 0xFDFD);
    buf.push_back(0xFDFD);
    RegKey::StartLog(buf.data());
    run();
    EXPECT_EQ(RegKey::EndLog(), 38u);
    EXPECT_EQ(std::wstring(buf.data()), L"[HKCU\\Software\\X]\r\nA=dword:0000000A\r\n");
    EXPECT_EQ(buf[38], 0xFDFD);
    EXPECT_FALSE(Raw::Exists(L"Software\\X"));  // nothing reached the registry

    // Nothing logged: 0, and the buffer is left alone.
    wchar_t untouched[4] = L"abc";
    RegKey::StartLog(untouched);
    EXPECT_EQ(RegKey::EndLog(), 0u);
    EXPECT_STREQ(untouched, L"abc");
}

TEST_F(Registry, LogModeLinesForStringsDeletionsAndJoins)
{
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
        RegKey child(key, L"Child", 1);
        EXPECT_FALSE(child.IsOpen());
        RegKey parent;
        EXPECT_TRUE(parent.OpenParent((path + L"\\One\\Two").c_str(), 0, 1));
    }
    unsigned int count = RegKey::EndLog();
    std::wstring expected = L"[" + path + L"\\Sub]\r\nName=C:\\a b\r\n@=default\r\nGone=@\r\nMinus=dword:FFFFFFFF\r\n[" +
                            path + L"\\One]\r\n";
    EXPECT_EQ(std::wstring(buf.data()), expected);
    EXPECT_EQ(count, expected.size() + 1);
    EXPECT_FALSE(Raw::Exists(sub));

    // Each line is cut at 254 characters.
    std::wstring longValue(400, L'v');
    RegKey::StartLog(nullptr);
    {
        RegKey key(L"HKCU\\L", 1);
        key.PutStr(L"N", longValue.c_str());
    }
    EXPECT_EQ(RegKey::EndLog(), 10u + 254u + 1u);
}

// ---- Static helpers ----

TEST_F(Registry, SubkeyNames)
{
    EXPECT_STREQ(RegKey::FindLastSubkeyName(L"HKCU\\Software\\X"), L"X");
    EXPECT_STREQ(RegKey::FindLastSubkeyName(L"X"), L"X");
    EXPECT_STREQ(RegKey::FindLastSubkeyName(L"HKCU\\Software\\"), L"");
    EXPECT_EQ(RegKey::FindLastSubkeyName(L""), nullptr);
    EXPECT_EQ(RegKey::FindLastSubkeyName(nullptr), nullptr);

    wchar_t buf[MAX_PATH] = L"stale";
    EXPECT_TRUE(RegKey::GetParentSubkeyName(L"HKCU\\Software\\X", buf, MAX_PATH));
    EXPECT_STREQ(buf, L"HKCU\\Software");
    EXPECT_TRUE(RegKey::GetParentSubkeyName(L"HKCU\\Software\\", buf, MAX_PATH));
    EXPECT_STREQ(buf, L"HKCU\\Software");
    EXPECT_FALSE(RegKey::GetParentSubkeyName(L"HKCU", buf, MAX_PATH));
    EXPECT_STREQ(buf, L"");
    EXPECT_FALSE(RegKey::GetParentSubkeyName(L"", buf, MAX_PATH));
    EXPECT_FALSE(RegKey::GetParentSubkeyName(L"a\\b", nullptr, MAX_PATH));
    GuardedBuffer<wchar_t> small(4);
    EXPECT_FALSE(RegKey::GetParentSubkeyName(L"HKCU\\Software\\X", small.Data(), 4));
    EXPECT_TRUE(small.GuardIntact());
    EXPECT_EQ(small.Text(), L"");

    EXPECT_STREQ(RegKey::sz_CLASSES, L"HKCLS");
    EXPECT_STREQ(RegKey::sz_CLASSES_CLSID, L"HKCLS\\CLSID");
    EXPECT_STREQ(RegKey::sz_HKCU_Software_MyCompany, L"HKCU\\Software\\Corvantrix");
    EXPECT_STREQ(RegKey::sz_HKLM_Software_MyCompany, L"HKLM\\Software\\Corvantrix");
    EXPECT_STREQ(RegKey::sz_HKCU_WinCurVer, L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion");
    EXPECT_STREQ(RegKey::sz_HKLM_WinCurVer, L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion");
    EXPECT_STREQ(RegKey::sz_HKLM_WinNTCurVer, L"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion");
    EXPECT_STREQ(RegKey::sz_Setup_Restrictions, L"Setup\\Restrictions");
    EXPECT_STREQ(RegKey::sz_Software_Veltaron, L"Software\\Veltaron");
    EXPECT_STREQ(RegKey::pszFmtPrefix, L"%s%s");
    EXPECT_TRUE(RegKey::IsWritable(RegKey::OpRemove) && RegKey::IsWritable(RegKey::OpInstall));
    EXPECT_FALSE(RegKey::IsWritable(RegKey::OpCheck) || RegKey::IsWritable(RegKey::OpRead) ||
                 RegKey::IsWritable(RegKey::OpCheckAbsent) || RegKey::IsWritable(RegKey::OpCheckNoCase));
}

TEST_F(Registry, SaveAndLoadHives)
{
    RegKey root(Path(L"Hive").c_str(), 1);
    BuildTree(root, L"Hive");
    std::wstring dir = test::NewTempDir(L"hive");
    std::wstring file = dir + L"\\saved.hiv";
    // An existing read-only file is replaced and keeps its attributes.
    ASSERT_TRUE(test::WriteUtf8File(file, "old"));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(root.Save(file.c_str())) << RegKey::lError;
    EXPECT_EQ(RegKey::lError, ERROR_SUCCESS);
    EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    std::wstring fresh = dir + L"\\fresh.hiv";
    ASSERT_TRUE(RegKey::SaveKey(root, fresh.c_str(), nullptr));
    EXPECT_TRUE(GetFileAttributesW(fresh.c_str()) & FILE_ATTRIBUTE_ARCHIVE);

    std::wstring mount = L"GlmbxHive" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(RegKey::LoadKey(HKEY_USERS, mount.c_str(), file.c_str()));
    {
        RegKey loaded((L"HKU\\" + mount + L"\\One\\Two").c_str(), 0);
        EXPECT_EQ(loaded.GetDword(L"D", 0), 0xFFFFFFFFu);
    }
    EXPECT_TRUE(RegKey::UnLoadKey(HKEY_USERS, mount.c_str()));
    EXPECT_FALSE(RegKey((L"HKU\\" + mount).c_str(), 0).IsOpen());

    EXPECT_FALSE(RegKey::SaveKey(nullptr, (dir + L"\\none.hiv").c_str(), nullptr));
    EXPECT_NE(RegKey::lError, ERROR_SUCCESS);
    DeleteFileW(file.c_str());
    DeleteFileW(fresh.c_str());
    DeleteFileW((dir + L"\\none.hiv").c_str());
    RemoveDirectoryW(dir.c_str());
}

// ---- Product keys and global helpers ----

TEST_F(Registry, LegacySettingsMoveToTheCurrentCompany)
{
    std::wstring product = L"GlmbxMove" + std::to_wstring(GetCurrentProcessId());
    std::wstring legacy = L"Software\\Veltaron\\" + product;
    std::wstring current = L"Software\\Corvantrix\\" + product;
    ASSERT_FALSE(Raw::Exists(L"Software\\Veltaron"));
    Raw::Set(legacy, L"Old", REG_DWORD, "\x05\0\0\0", 4);
    Raw::Set(legacy + L"\\Setup", L"Home", REG_SZ, L"C:\\Old", 14);

    EXPECT_TRUE(RegKey::MoveLegacyKey(1, product.c_str()));
    EXPECT_EQ(Raw::Get(current, L"Old").second.size(), 4u);
    EXPECT_TRUE(Raw::HasValue(current + L"\\Setup", L"Home"));
    EXPECT_FALSE(Raw::Exists(legacy));
    EXPECT_FALSE(Raw::Exists(L"Software\\Veltaron"));  // emptied, so removed

    // With settings under the current company, the former ones are left alone.
    Raw::Set(legacy, L"Stale", REG_DWORD, "\x01\0\0\0", 4);
    EXPECT_TRUE(RegKey::MoveLegacyKey(1, product.c_str()));
    EXPECT_TRUE(Raw::Exists(legacy));
    EXPECT_FALSE(Raw::HasValue(current, L"Stale"));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Veltaron");
    RegDeleteTreeW(HKEY_CURRENT_USER, current.c_str());
    EXPECT_TRUE(RegKey::MoveLegacyKey(1, product.c_str()));  // nothing anywhere
}

TEST_F(Registry, HomeFolderOfAProduct)
{
    std::wstring product = L"GlmbxHome" + std::to_wstring(GetCurrentProcessId());
    std::wstring setup = L"HKLM\\Software\\Corvantrix\\" + product + L"\\Setup";
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
    {
        RegKey old((L"HKLM\\Software\\Veltaron\\" + product + L"\\Setup").c_str(), 1);
        old.PutStr(L"Home", L"C:\\Veltaron");
        RegKey cur(L"HKLM\\Software\\Corvantrix", 1);
        cur.DelSubKey(product.c_str());
    }
    EXPECT_TRUE(GetHomeFolder(product.c_str(), read));
    EXPECT_STREQ(read, L"C:\\Veltaron");
    {
        RegKey software(L"HKLM\\Software", 1);
        software.DelSubKey((L"Veltaron\\" + product).c_str());
        software.DelSubKeyIfEmpty(L"Veltaron");
    }
    EXPECT_FALSE(ProcessHomeFolder(RegKey::OpRead, nullptr, read, MAX_PATH));
}

TEST_F(Registry, PowerUserAndRestrictions)
{
    EXPECT_TRUE(IsPowerUser());  // Wine's user may write to the machine's software key
    EXPECT_FALSE(RegKey(L"HKLM\\Software\\Corvantrix", 0).FindValue(L"Temp"));

    std::wstring product = L"GlmbxRestrict" + std::to_wstring(GetCurrentProcessId());
    EXPECT_EQ(Restricted(product.c_str(), L"NoAbout"), 0u);
    Raw::Set(L"Software\\Corvantrix\\" + product + L"\\Setup\\Restrictions", L"NoAbout", REG_DWORD, "\x01\0\0\0", 4);
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

    EXPECT_FALSE(SetupCtxMenuRegistry(RegKey::OpCheck, name, dll, clsid, types, 0));
    ASSERT_TRUE(SetupCtxMenuRegistry(RegKey::OpInstall, name, dll, clsid, types, 0));
    {
        RegKey server((std::wstring(L"HKCLS\\CLSID\\") + clsid + L"\\InProcServer32").c_str(), 0);
        wchar_t buf[MAX_PATH];
        server.GetStr(nullptr, buf, MAX_PATH);
        EXPECT_STREQ(buf, dll);
        server.GetStr(L"ThreadingModel", buf, MAX_PATH);
        EXPECT_STREQ(buf, L"Apartment");
        RegKey handler((L"HKCLS\\" + type + L"\\shellex\\ContextMenuHandlers\\" + name).c_str(), 0);
        handler.GetStr(nullptr, buf, MAX_PATH);
        EXPECT_STREQ(buf, clsid);
        RegKey approved(L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", 0);
        approved.GetStr(clsid, buf, MAX_PATH);
        EXPECT_STREQ(buf, name);
    }
    EXPECT_TRUE(SetupCtxMenuRegistry(RegKey::OpCheck, name, dll, clsid, types, 0));
    EXPECT_FALSE(SetupCtxMenuRegistry(RegKey::OpCheck, name, L"C:\\elsewhere.dll", clsid, types, 0));
    EXPECT_TRUE(RegisterShellExt(RegKey::OpCheck, name, dll, clsid, types, L"ContextMenuHandlers", 0));

    ASSERT_TRUE(SetupCtxMenuRegistry(RegKey::OpRemove, name, dll, clsid, types, 0));
    EXPECT_FALSE(RegKey((std::wstring(L"HKCLS\\CLSID\\") + clsid).c_str(), 0).IsOpen());
    EXPECT_FALSE(RegKey((L"HKCLS\\" + type + L"\\shellex\\ContextMenuHandlers\\" + name).c_str(), 0).IsOpen());
    EXPECT_FALSE(RegKey(L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", 0)
                     .FindValue(clsid));
    EXPECT_FALSE(SetupCtxMenuRegistry(RegKey::OpCheck, name, dll, clsid, types, 0));
    RegKey classes(L"HKCLS", 1);
    classes.DelSubKey(type.c_str());
}
