// Dialog controls: what the dialog forwards to a control object, dropped files, the read-only edit, combo boxes and tooltips.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/DialogIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "ui/CSCombo.h"
#include "ui/CSCtrl.h"
#include "ui/CSEdit.h"
#include "ui/TooltipCtrl.h"

using test::ScriptedDlg;

namespace {

HINSTANCE Exe()
{
    return test::ExeModule();
}

std::wstring Text(HWND h)
{
    wchar_t text[512] = L"";
    GetWindowTextW(h, text, 512);
    return text;
}

// A modeless IDD_BASIC for the duration of a test.
class BasicDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
        SetWindowPos(dlg, HWND_TOPMOST, 250, 250, 0, 0, SWP_NOSIZE);
    }
    void TearDown() override { dlg.Destroy(); }

    ScriptedDlg dlg;
};

// A control object that records what the dialog hands it and answers as told.
class ProbeCtrl : public CSCtrl {
public:
    std::vector<std::string> seen;
    int handleCommand = 0;
    LRESULT notifyAnswer = 0;
    HBRUSH brush = nullptr;

    void SetFlags(DWORD flags) { ctlFlags = flags; }

    int OnCommand(WORD code, LRESULT* pResult) override
    {
        seen.push_back("command " + std::to_string(code));
        if (handleCommand)
            *pResult = 0;
        return handleCommand;
    }
    int OnNotify(NMHDR*, LRESULT* pResult) override
    {
        seen.push_back("notify");
        *pResult = notifyAnswer;
        return notifyAnswer != 0;
    }
    int OnCtlColor(UINT msg, HDC hdc, HBRUSH* pBrush) override
    {
        CSCtrl::OnCtlColor(msg, hdc, pBrush);
        if (!brush)
            return 0;
        *pBrush = brush;
        return 1;
    }
    void OnDrawItem(DRAWITEMSTRUCT*) override { seen.push_back("draw"); }
    void OnMeasureItem(MEASUREITEMSTRUCT*) override { seen.push_back("measure"); }
    void OnDeleteItem(DELETEITEMSTRUCT*) override { seen.push_back("delete"); }
};

class DeleteDlg : public ScriptedDlg {
public:
    void OnDeleteItem(UINT id, void*) override { deleted.push_back(id); }
    std::vector<UINT> deleted;
};

} // namespace

// ---- What the dialog forwards ----

TEST_F(BasicDialog, CommandsNotificationsColoursAndOwnerDrawingReachTheControl)
{
    ProbeCtrl probe;
    probe.Init(&dlg, IDC_ACTION);
    ASSERT_EQ(dlg.GetDlgCtrl(IDC_ACTION), &probe);
    HWND action = dlg.GetDlgItem(IDC_ACTION);

    test::MessageLog log;
    dlg.log = &log;
    dlg.SimulateButton(IDC_ACTION);
    probe.handleCommand = 1;
    dlg.SimulateButton(IDC_ACTION);
    // Not handled, the click reached the dialog; handled, it did not.
    int clicks = 0;
    for (const auto& record : log.Records())
        clicks += record.who == "OnButtonClicked";
    EXPECT_EQ(clicks, 1);

    NMHDR nm = {action, IDC_ACTION, NM_CLICK};
    probe.notifyAnswer = 77;
    EXPECT_EQ(SendMessageW(dlg, WM_NOTIFY, IDC_ACTION, reinterpret_cast<LPARAM>(&nm)), 77);

    HBRUSH brush = GetSysColorBrush(COLOR_HIGHLIGHT);
    probe.brush = brush;
    HDC dc = GetDC(action);
    EXPECT_EQ(SendMessageW(dlg, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(action)),
              reinterpret_cast<LRESULT>(brush));
    ReleaseDC(action, dc);

    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_BUTTON;
    draw.CtlID = IDC_ACTION;
    draw.hwndItem = action;
    EXPECT_EQ(SendMessageW(dlg, WM_DRAWITEM, IDC_ACTION, reinterpret_cast<LPARAM>(&draw)), TRUE);
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_BUTTON;
    measure.CtlID = IDC_ACTION;
    SendMessageW(dlg, WM_MEASUREITEM, IDC_ACTION, reinterpret_cast<LPARAM>(&measure));
    DELETEITEMSTRUCT deleted = {};
    deleted.CtlType = ODT_BUTTON;
    deleted.CtlID = IDC_ACTION;
    deleted.hwndItem = action;
    SendMessageW(dlg, WM_DELETEITEM, IDC_ACTION, reinterpret_cast<LPARAM>(&deleted));
    // Menus are not controls.
    draw.CtlType = ODT_MENU;
    SendMessageW(dlg, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    // Records that are missing are not followed.
    EXPECT_EQ(SendMessageW(dlg, WM_DRAWITEM, IDC_ACTION, 0), 0);
    SendMessageW(dlg, WM_DELETEITEM, IDC_ACTION, 0);

    std::vector<std::string> expected = {"command 0", "command 0", "notify", "draw", "measure", "delete"};
    EXPECT_EQ(probe.seen, expected);
    dlg.log = nullptr;
}

TEST(ControlsDelete, ItemsOfAControlWithoutObjectGoToTheDialog)
{
    DeleteDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    HWND label = GetWindow(dlg.GetDlgItem(IDC_EDIT), GW_HWNDNEXT);
    DELETEITEMSTRUCT item = {};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = 0xFFFF;
    item.hwndItem = label;
    SendMessageW(dlg, WM_DELETEITEM, 0xFFFF, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(dlg.deleted, std::vector<UINT>{0xFFFF});
    dlg.Destroy();
}

// ---- Dropped files ----

namespace {

// A drop of one file, as the shell hands it over: freed by whoever finishes the drop.
HDROP MakeDrop(const std::wstring& path)
{
    size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    wmemcpy(reinterpret_cast<wchar_t*>(drop + 1), path.c_str(), path.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

} // namespace

TEST_F(BasicDialog, ADroppedFileSetsTheTextTheFlagsAskFor)
{
    std::wstring folder = test::NewTempDir(L"drop");
    std::wstring file = folder + L"\\Picture.JPG";
    ASSERT_TRUE(test::WriteUtf8File(file, "x"));
    std::wstring missing = folder + L"\\Gone.txt";

    ProbeCtrl edit;
    edit.Init(&dlg, IDC_EDIT, nullptr, CSCtrl::DropFileName);
    EXPECT_TRUE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    struct Case {
        DWORD flags;
        std::wstring dropped;
        std::wstring expected;  // empty: the text stays as it was
    } cases[] = {
        {CSCtrl::DropFileName, file, L"Picture.JPG"},
        {CSCtrl::DropFolder, file, folder},
        {CSCtrl::DropFolder, folder, folder},
        {CSCtrl::DropExistingFile, file, file},
        {CSCtrl::DropExistingFile, missing, L""},
        {CSCtrl::DropExistingFile | CSCtrl::DropAnyPath, missing, missing},
        {CSCtrl::DropAnyPath, missing, missing},
        {0, file, L""},
        // The name wins over everything else.
        {CSCtrl::DropFileName | CSCtrl::DropAnyPath, file, L"Picture.JPG"},
    };
    for (const Case& c : cases) {
        edit.SetFlags(c.flags);
        edit.SetText(L"before");
        SendMessageW(edit, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(c.dropped)), 0);
        EXPECT_EQ(Text(edit), c.expected.empty() ? L"before" : c.expected) << c.flags;
    }
    // No drop at all.
    edit.SetText(L"before");
    SendMessageW(edit, WM_DROPFILES, 0, 0);
    EXPECT_EQ(Text(edit), L"before");
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
}

// ---- The read-only edit ----

TEST_F(BasicDialog, ReadOnlyEditSwallowsChangesButLetsTheCaretMove)
{
    CSEdit edit;
    edit.Init(&dlg, IDC_EDIT);
    edit.SetText(L"hello");
    edit.SetReadOnly(TRUE);
    EXPECT_TRUE(edit.GetReadOnly());

    SendMessageW(edit, WM_CHAR, 'a', 0);
    SendMessageW(edit, WM_CHAR, '.', 0);
    SendMessageW(edit, WM_KEYDOWN, VK_DELETE, 0);
    SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    SendMessageW(edit, WM_CHAR, VK_RETURN, 0);
    SendMessageW(edit, WM_PASTE, 0, 0);
    edit.SetSel(0, 2);
    SendMessageW(edit, WM_CUT, 0, 0);
    SendMessageW(edit, WM_CLEAR, 0, 0);
    EXPECT_EQ(Text(edit), L"hello");

    // Arrow keys are key codes that look like punctuation ('%' is VK_LEFT): they pass.
    edit.SetSel(3, 3);
    SendMessageW(edit, WM_KEYDOWN, VK_LEFT, 0);
    int start = -1, end = -1;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 2);
    SendMessageW(edit, WM_KEYDOWN, VK_END, 0);
    edit.GetSel(start, end);
    EXPECT_EQ(start, 5);

    edit.SetReadOnly(FALSE);
    SendMessageW(edit, WM_CHAR, 'a', 0);
    EXPECT_EQ(Text(edit), L"helloa");
    edit.Clear();
    EXPECT_EQ(edit.GetTextLength(), 0);
}

TEST_F(BasicDialog, OneSelectAllCanBeBlocked)
{
    CSEdit edit;
    edit.Init(&dlg, IDC_EDIT);
    edit.SetText(L"hello");
    edit.SetSel(1, 1);
    edit.BlockNextSelAll(TRUE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    int start = -1, end = -1;
    edit.GetSel(start, end);
    EXPECT_EQ(end, 1);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    edit.GetSel(start, end);
    EXPECT_EQ(end, 5);
    // Any other selection lifts the block too.
    edit.BlockNextSelAll(TRUE);
    edit.SetSel(2, 3);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    edit.GetSel(start, end);
    EXPECT_EQ(end, 5);
}

TEST_F(BasicDialog, ReadOnlyEditUnderTheKeyboard)
{
    CSEdit edit;
    edit.Init(&dlg, IDC_EDIT);
    edit.SetText(L"hello");
    SetForegroundWindow(dlg);
    dlg.SetDlgItemFocus(IDC_EDIT);
    ASSERT_TRUE(test::PumpUntil([&] { return GetFocus() == edit.GetHandle(); }, 5000));

    // Writable first, so that the keys are known to arrive.
    ASSERT_TRUE(test::Xdo("key End type x"));
    ASSERT_TRUE(test::PumpUntil([&] { return Text(edit) == L"hellox"; }, 5000));

    edit.SetReadOnly(TRUE);
    // Something to paste, which must not arrive.
    ASSERT_TRUE(OpenClipboard(dlg));
    EmptyClipboard();
    HGLOBAL pasted = GlobalAlloc(GMEM_MOVEABLE, 16 * sizeof(wchar_t));
    wcscpy(static_cast<wchar_t*>(GlobalLock(pasted)), L"pasted");
    GlobalUnlock(pasted);
    SetClipboardData(CF_UNICODETEXT, pasted);
    CloseClipboard();

    ASSERT_TRUE(test::Xdo("key Home"));
    ASSERT_TRUE(test::Xdo("type a1-"));
    ASSERT_TRUE(test::Xdo("key BackSpace Delete Return space ctrl+v ctrl+x Home shift+End ctrl+c"));
    std::wstring copied;
    EXPECT_TRUE(test::PumpUntil([&] {
        if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(dlg))
            return false;
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const wchar_t* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        copied = text ? text : L"";
        if (text)
            GlobalUnlock(data);
        CloseClipboard();
        return copied != L"pasted";
    }, 5000));
    EXPECT_EQ(copied, L"hellox");
    EXPECT_EQ(Text(edit), L"hellox");
    int start = -1, end = -1;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 6);
}

// ---- Combo boxes ----

TEST_F(BasicDialog, ComboItemsCarryTheirDataThroughMovesAndLookups)
{
    CSCombo combo;
    combo.Init(&dlg, IDC_COMBO);
    EXPECT_EQ(combo.GetSelectedItem(), 0u);
    EXPECT_EQ(combo.AddItem(L"zero", 10), 1);
    EXPECT_EQ(combo.AddItem(L"one", 11), 1);
    EXPECT_EQ(combo.InsertItem(0, L"first", 12), 1);
    EXPECT_EQ(combo.InsertItem(99, L"nowhere", 13), 0);
    ASSERT_EQ(combo.GetCount(), 3);

    wchar_t buf[4];
    EXPECT_EQ(combo.GetItem(0, buf, 4), 12u);
    EXPECT_STREQ(buf, L"fir");  // cut to the buffer
    EXPECT_EQ(combo.GetItem(7, buf, 4), 0u);
    EXPECT_EQ(combo.GetStr(7, buf, 4), CB_ERR);
    EXPECT_EQ(combo.GetStrLen(1), 4);

    EXPECT_FALSE(combo.CanMove(0, TRUE));
    EXPECT_TRUE(combo.CanMove(0, FALSE));
    EXPECT_FALSE(combo.CanMove(2, FALSE));
    EXPECT_FALSE(combo.CanMove(3, TRUE));
    EXPECT_FALSE(combo.CanMove(0xFFFFFFFF, TRUE));
    combo.MoveItem(2, TRUE);  // "one" up
    wchar_t text[16];
    combo.GetItem(1, text, 16);
    EXPECT_STREQ(text, L"one");
    EXPECT_EQ(combo.GetCurSel(), 1);
    EXPECT_EQ(combo.GetSelectedItem(), 11u);
    combo.MoveItem(0, TRUE);  // cannot: nothing changes
    EXPECT_EQ(combo.GetItem(0, nullptr), 12u);

    EXPECT_EQ(combo.FindItem(10), 2);
    EXPECT_EQ(combo.FindItem(99), -1);
    EXPECT_EQ(combo.SelectItem(10), 2);
    EXPECT_EQ(combo.GetSelectedItem(), 10u);
    EXPECT_EQ(combo.SelectItem(99), -1);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
}

namespace {

class ComboDlg : public ScriptedDlg {
public:
    LRESULT OnCommand(WORD id, WORD code, HWND ctl) override
    {
        if (id == IDC_COMBO)
            codes.push_back(code);
        return ScriptedDlg::OnCommand(id, code, ctl);
    }
    std::vector<WORD> codes;
};

} // namespace

TEST(ControlsCombo, ACancelledDropDownKeepsTheEditTextAndTextChangesAreAnnounced)
{
    ComboDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    CSCombo combo;
    combo.Init(&dlg, IDC_COMBO);
    ASSERT_NE(combo.GetEditWnd(), nullptr);
    combo.AddItem(L"apple", 1);
    combo.AddItem(L"banana", 2);
    HWND box = combo.GetHandle();
    HWND edit = combo.GetEditWnd();
    auto notify = [&](WORD code) {
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_COMBO, code), reinterpret_cast<LPARAM>(box));
    };

    SetWindowTextW(edit, L"typed");
    // The list opens: the box's own text for it is not shown; the user moves in the list and
    // cancels: the box putting its selection back is not shown either.
    notify(CBN_DROPDOWN);
    SetWindowTextW(edit, L"apple");
    EXPECT_EQ(Text(edit), L"typed");
    notify(CBN_SELENDCANCEL);
    notify(CBN_CLOSEUP);
    SetWindowTextW(edit, L"banana");
    EXPECT_EQ(Text(edit), L"typed");
    SetWindowTextW(edit, L"later");  // swallowed once only
    EXPECT_EQ(Text(edit), L"later");

    // A choice made in the list is shown.
    notify(CBN_DROPDOWN);
    combo.SetCurSel(1);
    notify(CBN_SELCHANGE);
    SetWindowTextW(edit, L"banana");
    EXPECT_EQ(Text(edit), L"banana");
    dlg.codes.clear();
    test::PumpPending();
    // Every text set was announced with code 99, posted.
    EXPECT_GE(std::count(dlg.codes.begin(), dlg.codes.end(), CSCombo::EditTextSet), 4);

    // Leaving the box forgets a pending swallow.
    notify(CBN_DROPDOWN);
    notify(CBN_KILLFOCUS);
    SetWindowTextW(edit, L"kept");
    EXPECT_EQ(Text(edit), L"kept");
    dlg.Destroy();
}

TEST(ControlsCombo, TheListUnderTheKeyboard)
{
    ComboDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    SetWindowPos(dlg, HWND_TOPMOST, 250, 250, 0, 0, SWP_NOSIZE);
    CSCombo combo;
    combo.Init(&dlg, IDC_COMBO);
    combo.AddItem(L"apple", 1);
    combo.AddItem(L"banana", 2);
    SetForegroundWindow(dlg);
    dlg.SetDlgItemFocus(IDC_COMBO);
    ASSERT_TRUE(test::PumpUntil([&] { return GetFocus() == combo.GetEditWnd(); }, 5000));
    ASSERT_TRUE(test::Xdo("type ban"));
    ASSERT_TRUE(test::PumpUntil([&] { return Text(combo.GetEditWnd()) == L"ban"; }, 5000));

    ASSERT_TRUE(test::Xdo("key F4"));
    ASSERT_TRUE(test::PumpUntil([&] { return combo.SendMsg(CB_GETDROPPEDSTATE, 0, 0) != 0; }, 5000));
    ASSERT_TRUE(test::Xdo("key Escape"));
    ASSERT_TRUE(test::PumpUntil([&] { return combo.SendMsg(CB_GETDROPPEDSTATE, 0, 0) == 0; }, 5000));
    test::PumpPending();
    EXPECT_EQ(Text(combo.GetEditWnd()), L"ban");
    EXPECT_TRUE(IsWindow(dlg));  // Escape closed the list, not the dialog
    dlg.Destroy();
}

// ---- Tooltips ----

TEST(ControlsTooltip, ToolsCoverTheOwnersClientAreaAndMove)
{
    test::RecordingWindow owner;
    SetWindowPos(owner.Handle(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    TooltipCtrl tip;
    ASSERT_TRUE(tip.Create(owner.Handle(), TTS_ALWAYSTIP));
    EXPECT_EQ(GetWindowLongPtrW(tip, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&tip));
    EXPECT_TRUE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);

    EXPECT_TRUE(tip.AddTool(owner.Handle(), 5, nullptr));
    RECT area = {10, 10, 40, 30};
    EXPECT_TRUE(tip.AddTool(owner.Handle(), 6, &area));
    EXPECT_TRUE(tip.AddToolWnd(owner.Handle(), owner.Handle()));
    EXPECT_EQ(tip.GetCount(), 3);

    auto rectOf = [&](UINT id) {
        TOOLINFOW info = {};
        wchar_t text[256];
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = owner.Handle();
        info.uId = id;
        info.lpszText = text;
        SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.lpszText, LPSTR_TEXTCALLBACKW);
        return info.rect;
    };
    RECT client;
    GetClientRect(owner.Handle(), &client);
    RECT whole = rectOf(5);
    EXPECT_TRUE(EqualRect(&whole, &client));
    EXPECT_TRUE(tip.MoveTool(owner.Handle(), 6, 5, -3));
    RECT moved = rectOf(6);
    RECT expected = {15, 7, 45, 27};
    EXPECT_TRUE(EqualRect(&moved, &expected));
    EXPECT_EQ(tip.MoveTool(owner.Handle(), 99, 1, 1), 0);

    tip.DelTool(owner.Handle(), 6);
    EXPECT_EQ(tip.GetCount(), 2);
    HWND window = tip;
    tip.Destroy();
    EXPECT_FALSE(IsWindow(window));

    TooltipCtrl orphan;
    EXPECT_EQ(orphan.GetCount(), 0);  // no window: nothing to ask
}
