// The history list's registry value (layout, limits, damaged values) and the history combo box with its clear command.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "product/ProductInfo.h"
#include "tests/DialogIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestSupport.h"
#include "ui/CSHistCB.h"

using test::ScriptedDlg;

namespace {

const wchar_t TestRoot[] = L"HKCU\\Software\\GlmbxTests\\History";
const wchar_t TestKey[] = L"Software\\GlmbxTests\\History";
const wchar_t Value[] = L"BkgImageMRU";

using Bytes = std::vector<unsigned char>;

// The value as it is stored: the count, then each entry and its terminator, then one more 0.
Bytes Layout(int maxCount, const std::vector<std::wstring>& entries, bool closing = true)
{
    Bytes bytes(sizeof(int));
    memcpy(bytes.data(), &maxCount, sizeof(int));
    auto addChar = [&](wchar_t ch) {
        bytes.push_back(static_cast<unsigned char>(ch & 0xFF));
        bytes.push_back(static_cast<unsigned char>(ch >> 8));
    };
    for (const std::wstring& entry : entries) {
        for (wchar_t ch : entry)
            addChar(ch);
        addChar(0);
    }
    if (closing)
        addChar(0);
    return bytes;
}

std::vector<std::wstring> Entries(const CSHistList& list)
{
    std::vector<std::wstring> all;
    for (int i = 0; list.GetEntry(i); ++i)
        all.push_back(list.GetEntry(i));
    return all;
}

std::vector<std::wstring> Numbered(int count)
{
    std::vector<std::wstring> all;
    for (int i = 0; i < count; ++i)
        all.push_back(L"C:\\pictures\\" + std::to_wstring(i) + L".jpg");
    return all;
}

class History : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, TestKey);
        GetProductInfo()->PushAppRootKey(TestRoot);
    }
    void TearDown() override
    {
        GetProductInfo()->PopAppRootKey();
        RegDeleteTreeW(HKEY_CURRENT_USER, TestKey);
    }

    void Write(const Bytes& bytes, DWORD type = REG_BINARY)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, TestKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, Value, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
    }
    Bytes Read(DWORD* type = nullptr)
    {
        Bytes bytes(4096);
        DWORD size = static_cast<DWORD>(bytes.size());
        if (RegGetValueW(HKEY_CURRENT_USER, TestKey, Value, RRF_RT_ANY, type, bytes.data(), &size) != ERROR_SUCCESS)
            return {};
        bytes.resize(size);
        return bytes;
    }
};

} // namespace

// ---- The list and its value ----

TEST_F(History, StoresTheCountTheEntriesAndAClosingEmptyString)
{
    CSHistList list;
    list.Load(Value, 15);
    EXPECT_TRUE(list.IsEmpty());
    list.Store();
    DWORD type = 0;
    EXPECT_EQ(Read(&type), Layout(15, {}));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(Read().size(), 6u);

    list.Update(L"b.jpg");
    list.Update(L"a.jpg");
    list.Store();
    EXPECT_EQ(Read(), Layout(15, {L"a.jpg", L"b.jpg"}));

    CSHistList again;
    again.Load(Value, 3);
    EXPECT_EQ(Entries(again), (std::vector<std::wstring>{L"a.jpg", L"b.jpg"}));
    EXPECT_EQ(again.GetMaxCount(), 15);  // the stored maximum wins
}

TEST_F(History, UpdateMovesAnEqualEntryToTheFrontAndDropsTheOldest)
{
    CSHistList list;
    list.Load(Value, 15);
    for (const std::wstring& entry : Numbered(15))
        list.Update(entry.c_str());
    ASSERT_EQ(list.GetCount(), 15);
    // The same text in other letters: moved to the front as spelled now, nothing lost.
    list.Update(L"c:\\PICTURES\\3.JPG");
    EXPECT_EQ(list.GetCount(), 15);
    EXPECT_STREQ(list.GetEntry(0), L"c:\\PICTURES\\3.JPG");
    EXPECT_STREQ(list.GetEntry(14), L"C:\\pictures\\0.jpg");
    // The sixteenth distinct one drops the oldest.
    list.Update(L"new.jpg");
    EXPECT_EQ(list.GetCount(), 15);
    EXPECT_STREQ(list.GetEntry(0), L"new.jpg");
    EXPECT_STREQ(list.GetEntry(14), L"C:\\pictures\\1.jpg");
    // Nothing to add.
    list.Update(L"");
    list.Update(nullptr);
    EXPECT_EQ(list.GetCount(), 15);
    // An entry of the list itself can be put to the front.
    list.Update(list.GetEntry(5));
    EXPECT_EQ(list.GetCount(), 15);
    list.SetMaxCount(3);
    EXPECT_EQ(list.GetCount(), 3);
    list.SetMaxCount(-4);
    EXPECT_EQ(list.GetMaxCount(), 1);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST_F(History, AHistoryWrittenWithALargerMaximumKeepsItsLength)
{
    Write(Layout(20, Numbered(20)));
    CSHistList list;
    list.Load(Value, 15);
    EXPECT_EQ(list.GetCount(), 20);
    EXPECT_EQ(list.GetMaxCount(), 20);
    list.Update(L"one more");
    EXPECT_EQ(list.GetCount(), 20);
    // More entries than the stored maximum: only that many are taken.
    Write(Layout(2, Numbered(5)));
    list.Load(Value, 15);
    EXPECT_EQ(Entries(list), Numbered(2));
}

TEST_F(History, DamagedValuesNeverCrashAndKeepWhatIsWhole)
{
    Bytes cut = Layout(15, {L"whole", L"cut off"}, false);
    cut.resize(cut.size() - 4);  // the last entry loses its end and its terminator
    Bytes odd = Layout(15, {L"odd"});
    odd.push_back(0x41);
    Bytes noClosing = Layout(15, {L"x", L"y"}, false);

    struct Case {
        const char* what;
        Bytes bytes;
        std::vector<std::wstring> expected;
        int maxCount;
    } cases[] = {
        {"one byte", Bytes{1}, {}, 15},
        {"three bytes", Bytes{1, 2, 3}, {}, 15},
        {"a count and nothing else", Layout(7, {}, false), {}, 7},
        {"a count of zero", Layout(0, {L"a", L"b"}), {L"a", L"b"}, 15},
        {"a negative count", Layout(-5, {L"a"}), {L"a"}, 15},
        {"an absurd count", Layout(0x7FFFFFFF, {L"a"}), {L"a"}, 15},
        {"an entry cut off", cut, {L"whole"}, 15},
        {"an odd size", odd, {L"odd"}, 15},
        {"no closing string", noClosing, {L"x", L"y"}, 15},
        {"only zeros", Bytes(64, 0), {}, 15},
    };
    for (const Case& c : cases) {
        Write(c.bytes);
        CSHistList list;
        list.Load(Value, 15);
        EXPECT_EQ(Entries(list), c.expected) << c.what;
        EXPECT_EQ(list.GetMaxCount(), c.maxCount) << c.what;
        list.Update(L"after");  // still usable
        EXPECT_STREQ(list.GetEntry(0), L"after") << c.what;
    }

    // A text value under the name is read as bytes, harmlessly.
    Write(Bytes{'t', 0, 'e', 0, 0, 0}, REG_SZ);
    CSHistList text;
    text.Load(Value, 15);
    EXPECT_LE(text.GetCount(), 1);
}

TEST_F(History, WithoutAKeyNothingIsReadOrWritten)
{
    GetProductInfo()->PushAppRootKey(L"Nowhere\\Without\\A\\Root");
    CSHistList list;
    list.Load(Value, 15);
    list.Update(L"a");
    list.Store();
    EXPECT_TRUE(Read().empty());
    GetProductInfo()->PushAppRootKey(TestRoot);

    // Without a value name there is nothing to read or write.
    Write(Layout(15, {L"a"}));
    CSHistList unnamed;
    unnamed.Load(nullptr, 15);
    EXPECT_TRUE(unnamed.IsEmpty());
    unnamed.Update(L"b");
    unnamed.Store();
    EXPECT_EQ(Read(), Layout(15, {L"a"}));
}

// ---- The history combo box ----

namespace {

class HistoryDlg : public ScriptedDlg {
public:
    explicit HistoryDlg(DWORD options) : box(options) {}
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = ScriptedDlg::OnInitDialog(wParam, lParam);
        box.Init(this, IDC_HISTORY, Value);
        return result;
    }
    std::vector<std::wstring> Items()
    {
        std::vector<std::wstring> items;
        wchar_t text[MAX_PATH];
        for (int i = 0; i < box.GetCount(); ++i) {
            box.GetStr(i, text, MAX_PATH);
            items.push_back(text);
        }
        return items;
    }
    std::wstring EditText()
    {
        wchar_t text[MAX_PATH] = L"";
        GetWindowTextW(box.GetEditWnd(), text, MAX_PATH);
        return text;
    }
    // The user picks the last item of the list and confirms it.
    void PickLast()
    {
        box.SetCurSel(box.GetCount() - 1);
        SendMessageW(*this, WM_COMMAND, MAKEWPARAM(IDC_HISTORY, CBN_SELENDOK), reinterpret_cast<LPARAM>(box.GetHandle()));
    }

    CSHistCB box;
};

} // namespace

TEST_F(History, TheBoxShowsTheHistoryInOrderAndOkPutsTheTextFirst)
{
    Write(Layout(15, {L"c.jpg", L"b.jpg", L"a.jpg"}));
    HistoryDlg dlg(CSHistCB::OptClearCmd);
    std::vector<std::wstring> shown;
    std::wstring editText;
    dlg.script = [&](ScriptedDlg&) {
        shown = dlg.Items();
        editText = dlg.EditText();
        EXPECT_EQ(dlg.box.GetStyle(FALSE) & CBS_SORT, 0u);
        EXPECT_TRUE(dlg.box.SendMsg(CB_GETEXTENDEDUI, 0, 0));
        dlg.box.SetText(L"B.JPG");
        dlg.SimulateButton(IDOK);
    };
    EXPECT_EQ(dlg.Modal(IDD_HISTORY, test::ExeModule(), nullptr), IDOK);
    // Unsorted although the template asks for sorting; the command item last.
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"c.jpg", L"b.jpg", L"a.jpg", CSHistCB::pszClearListCmd}));
    EXPECT_EQ(editText, L"c.jpg");
    EXPECT_EQ(Read(), Layout(15, {L"B.JPG", L"c.jpg", L"a.jpg"}));

    // An empty history offers no clear command; a plain box none at all, and picking its last
    // item is just a choice.
    Write(Layout(15, {}));
    HistoryDlg empty(CSHistCB::OptClearCmd), plain(0);
    int count = -1;
    empty.script = [&](ScriptedDlg& d) {
        count = empty.box.GetCount();
        d.CloseDialog(IDCANCEL, -1);
    };
    empty.Modal(IDD_HISTORY, test::ExeModule(), nullptr);
    EXPECT_EQ(count, 0);
    Write(Layout(15, {L"a.jpg"}));
    plain.script = [&](ScriptedDlg& d) {
        shown = plain.Items();
        plain.PickLast();
        d.CloseDialog(IDCANCEL, -1);
    };
    test::BoxAnswerer never(IDYES);
    plain.Modal(IDD_HISTORY, test::ExeModule(), nullptr);
    EXPECT_EQ(shown, std::vector<std::wstring>{L"a.jpg"});
    EXPECT_EQ(never.count, 0);
}

TEST_F(History, ClearingAsksFirstNoLeavesEverythingYesEmptiesTheBox)
{
    Write(Layout(15, {L"c.jpg", L"b.jpg"}));
    HistoryDlg dlg(CSHistCB::OptClearCmd);
    std::vector<std::wstring> after;
    std::wstring editText;
    HWND dialogWindow = nullptr;
    dlg.script = [&](ScriptedDlg& d) {
        dialogWindow = d;
        dlg.PickLast();
        // The box puts the chosen item's text into the edit field: not this one.
        SetWindowTextW(dlg.box.GetEditWnd(), CSHistCB::pszClearListCmd);
        SetWindowTextW(dlg.box.GetEditWnd(), L"<CLEAR LIST...>");
        editText = dlg.EditText();
        after = dlg.Items();
        d.CloseDialog(IDCANCEL, -1);
    };
    {
        test::BoxAnswerer answer(IDNO);
        dlg.Modal(IDD_HISTORY, test::ExeModule(), nullptr);
        EXPECT_EQ(answer.count, 1);
        EXPECT_EQ(answer.text, L"Are you sure you want to clear the history list?");
        EXPECT_EQ(answer.owner, dialogWindow);
    }
    EXPECT_EQ(editText, L"c.jpg");
    EXPECT_EQ(after, (std::vector<std::wstring>{L"c.jpg", L"b.jpg", CSHistCB::pszClearListCmd}));
    EXPECT_EQ(Read(), Layout(15, {L"c.jpg", L"b.jpg"}));

    // Yes: the box empties and, with the second option, the history is stored at once;
    // without it nothing is written until OK.
    test::BoxAnswerer answer(IDYES);
    for (DWORD storeOnClear : {static_cast<DWORD>(CSHistCB::OptStoreOnClear), 0ul}) {
        Write(Layout(15, {L"c.jpg", L"b.jpg"}));
        HistoryDlg clear(CSHistCB::OptClearCmd | storeOnClear);
        int itemsAfter = -1;
        Bytes stored;
        clear.script = [&](ScriptedDlg& d) {
            clear.box.SetText(L"");
            clear.PickLast();
            itemsAfter = clear.box.GetCount();
            stored = Read();
            d.CloseDialog(IDCANCEL, -1);
        };
        clear.Modal(IDD_HISTORY, test::ExeModule(), nullptr);
        EXPECT_EQ(itemsAfter, 0);
        EXPECT_EQ(stored, storeOnClear ? Layout(15, {}) : Layout(15, {L"c.jpg", L"b.jpg"}));
    }
    EXPECT_EQ(answer.count, 2);
}
