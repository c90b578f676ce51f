// String lists: owned copies and searching, the registry value's format, and damaged values.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "sys/StrList.h"
#include "tests/support/Row.h"
#include "tests/support/TestSupport.h"

namespace {

const wchar_t ValueName[] = L"StrListTest";

std::vector<std::wstring> Contents(const StrList& list)
{
    std::vector<std::wstring> strings;
    for (POS__* pos = list.GetHeadPos(); pos;) {
        const wchar_t* s = static_cast<const wchar_t*>(list.GetNext(pos));
        strings.push_back(s ? s : L"(null)");
    }
    return strings;
}

// The value's bytes, or what is wrong with it.
std::string Stored()
{
    std::string data(4096, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, test::SettingsKey, ValueName, RRF_RT_ANY, &type, &data[0], &size) !=
        ERROR_SUCCESS)
        return "missing";
    return type == REG_BINARY ? data.substr(0, size) : "not binary";
}

// Little-endian UTF-16 of ASCII text.
std::string Wide(const std::string& ascii)
{
    std::string bytes;
    for (char c : ascii)
        bytes += std::string{c, '\0'};
    return bytes;
}

class StrLists : public ::testing::Test {
protected:
    test::SavedValue saved{HKEY_CURRENT_USER, test::SettingsKey, ValueName};
};

} // namespace

TEST_F(StrLists, RoundTripInTheValueFormatAndSearching)
{
    StrList list(ValueName);
    list.AddTail(L"alpha");
    list.AddTail(L"Beta");
    list.AddHead(L"zero");
    list.Store();
    EXPECT_EQ(Stored(), Wide(std::string("zero\0alpha\0Beta\0\0", 17)));
    StrList loaded(ValueName);
    loaded.AddTail(L"stale");
    loaded.Load();
    EXPECT_EQ(Contents(loaded), (std::vector<std::wstring>{L"zero", L"alpha", L"Beta"}));

    struct Case {
        const wchar_t* s;
        int exact, ignoreCase;
        const wchar_t* found;
    } cases[] = {{L"", 0, 0, L"zero"},     {L"be", 0, 0, nullptr},   {L"be", 0, 1, L"Beta"},
                 {L"Beta", 1, 0, L"Beta"}, {L"beta", 1, 0, nullptr}, {L"BETA", 1, 1, L"Beta"},
                 {L"alph", 1, 1, nullptr}, {L"alphabet", 0, 0, nullptr}};
    for (const Case& c : cases) {
        POS__* pos = loaded.FindStr(c.s, c.exact, c.ignoreCase);
        EXPECT_STREQ(pos ? loaded.GetStrAt(pos) : nullptr, c.found) << c.s << " " << c.exact << c.ignoreCase;
    }
    // Copies are the list's own; a replaced element may be null and is then never found.
    StrList copy;
    copy.CopyFrom(loaded);
    loaded.ReplaceAt(loaded.GetHeadPos(), nullptr);
    EXPECT_EQ(loaded.FindStr(L"", 0, 0), loaded.FindIndex(1));
    EXPECT_EQ(Contents(copy), (std::vector<std::wstring>{L"zero", L"alpha", L"Beta"}));

    // Empty, two bytes; without a name, nothing is written or read.
    StrList empty(ValueName);
    empty.Store();
    EXPECT_EQ(Stored(), std::string(2, '\0'));
    StrList nameless;
    nameless.AddTail(L"kept");
    nameless.Store();
    nameless.Load();
    EXPECT_EQ(Contents(nameless), std::vector<std::wstring>{L"kept"});
    EXPECT_EQ(Stored(), std::string(2, '\0'));
}

TEST_F(StrLists, ADamagedValueLoadsWhatIsWhole)
{
    struct Case {
        std::string data;
        std::vector<std::wstring> expected;
    } cases[] = {
        {std::string(2, '\0'), {}},
        {Wide(std::string("one\0two\0\0", 9)) + "x", {L"one", L"two"}},  // odd size
        {Wide(std::string("one\0two", 7)), {L"one"}},                       // no terminator
        {Wide(std::string("\0one\0\0", 6)), {}},                            // empty first
        {Wide(std::string("one\0\0two\0\0", 10)), {L"one"}},                // stops at the empty one
        {"x", {}},
        {Wide(std::string(300000, 'h')), {}},
        {Wide(std::string(300000, 'h') + std::string(1, '\0')), {std::wstring(300000, L'h')}},
    };
    for (const Case& c : cases) {
        test::Row row(c.data.size());
        RegSetKeyValueW(HKEY_CURRENT_USER, test::SettingsKey, ValueName, REG_BINARY, c.data.data(),
                        static_cast<DWORD>(c.data.size()));
        StrList list(ValueName);
        list.AddTail(L"stale");
        list.Load();
        EXPECT_EQ(Contents(list), c.expected);
    }
}
