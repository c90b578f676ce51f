// The dialog framework: running and closing, the dialog chain, control objects and what the
// dialog forwards to them, help, tooltips, child and main dialogs, the framework's controls
// (the read-only edit, combo boxes, the history box) under messages and real input, resizing,
// remembered placement, control groups and the layout helpers, and the history value.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <array>
#include <string>
#include <vector>

#include "product/ProductInfo.h"
#include "res/StringIds.h"
#include "sys/PrevInstance.h"
#include "tests/DialogIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "ui/CSCombo.h"
#include "ui/CSDlgChild.h"
#include "ui/CSDlgMain.h"
#include "ui/CSEdit.h"
#include "ui/CSHistCB.h"
#include "ui/TooltipCtrl.h"

using test::OkSequence;
using test::ScriptedDlg;
using test::SeqEntry;
using test::SeqWParam;
using test::Text;

namespace {

using Size = std::array<LONG, 2>;
using Texts = std::vector<std::wstring>;

Size WindowSize(HWND h)
{
    RECT rect;
    GetWindowRect(h, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// Asks for a size; returns the size the window then has.
Size Resized(HWND h, LONG cx, LONG cy)
{
    SetWindowPos(h, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return WindowSize(h);
}

RECT CtrlRect(CSDlg& dlg, int id)
{
    RECT rect = {};
    dlg.GetDlgItemRect(id, &rect);
    return rect;
}

// A declared edit control that tells when the dialog asks it to keep its data.
class LoggedEdit : public CSEdit {
public:
    explicit LoggedEdit(test::MessageLog* messageLog) : log(messageLog) {}
    void OnOK() override
    {
        log->Event("edit OnOK");
        CSEdit::OnOK();
    }
    void Store() override { log->Event("edit Store"); }
    test::MessageLog* log;
};

// A hook on both chains that logs WM_COMMAND of one control and then does as told.
class CommandHook : public WMHook {
public:
    enum Mode { Pass, Handle, RunRestFirst, RemoveAll };
    CommandHook(const char* hookName, test::MessageLog* messageLog, WORD watchId, Mode how = Pass)
        : name(hookName), log(messageLog), watch(watchId), mode(how)
    {
    }
    int OnWndMessage(CSWnd*, UINT msg, WPARAM wParam, LPARAM, LRESULT*) override
    {
        if (msg == WM_COMMAND && LOWORD(wParam) == watch)
            log->Add(("window " + name).c_str(), msg, wParam);
        return 0;
    }
    int OnDlgMessage(CSDlg* dlg, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (msg != WM_COMMAND || LOWORD(wParam) != watch)
            return 0;
        log->Add(name.c_str(), msg, wParam);
        if (mode == RunRestFirst) {
            *pResult = dlg->DoDlgMessage(msg, wParam, lParam, this);
            log->Event((name + " after").c_str());
        } else if (mode == RemoveAll) {
            dlg->RemoveAllDlgHooks();
        }
        return mode == Handle || mode == RunRestFirst;
    }

private:
    std::string name;
    test::MessageLog* log;
    WORD watch;
    Mode mode;
};

} // namespace

// ---- Running and closing ----

TEST(DialogRun, ModalOkPassesBothChainsThenDataControlsAndClose)
{
    test::MessageLog log;
    ScriptedDlg dlg(&log);
    LoggedEdit edit(&log);
    CommandHook hook("dialog hook", &log, IDOK);
    hook.AddToWnd(&dlg);
    hook.AddToDlg(&dlg);
    dlg.script = [&](ScriptedDlg& d) {
        edit.Init(&d, IDC_EDIT);
        d.SimulateButton(IDOK);
    };
    EXPECT_EQ(dlg.Run(IDD_BASIC), IDOK);
    static const SeqEntry expected[] = {
        {"PreInit"}, {"OnInitDialog"}, {"OnInitDone"}, {"UpdateControls"}, {"script"},
        {"window dialog hook", WM_COMMAND, SeqWParam, MAKEWPARAM(IDOK, BN_CLICKED)},
        {"dialog hook", WM_COMMAND, SeqWParam, MAKEWPARAM(IDOK, BN_CLICKED)},
        {"OnButtonClicked", 0, SeqWParam, IDOK}, {"OnOK"}, {"UpdateData"}, {"CanClose", 0, SeqWParam, IDOK},
        {"edit OnOK"}, {"edit Store"}, {"DoClose", 0, SeqWParam, IDOK}, {"OnPostNcDestroy"}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(log, expected));
    EXPECT_TRUE(dlg.GetResult() == IDOK && dlg.GetModalResult() == IDOK && dlg.IsClosed() && !dlg.IsReady());
    EXPECT_EQ(dlg.GetTemplateID(), static_cast<UINT>(IDD_BASIC));
    // The control's binding ended with its window: it can be bound again.
    EXPECT_TRUE(edit.GetDlg() == nullptr && edit.GetHandle() == nullptr);
}

TEST(DialogRun, ControlsStoreOnlyWhenConfirmedAndRefusalsKeepTheDialogOpen)
{
    struct { const char* what; int result, okControls; bool stores; } const cases[] = {
        {"Cancel", IDCANCEL, -1, false},
        {"OK without the controls", IDOK, 0, false},
        {"another code, controls by default", 5, -1, true},
        {"Cancel with the controls asked for", IDCANCEL, 1, true},
    };
    for (const auto& c : cases) {
        test::MessageLog log;
        ScriptedDlg dlg(&log);
        LoggedEdit edit(&log);
        dlg.script = [&](ScriptedDlg& d) {
            edit.Init(&d, IDC_EDIT);
            d.CloseDialog(c.result, c.okControls);
        };
        EXPECT_EQ(dlg.Run(IDD_BASIC), c.result) << c.what;
        EXPECT_EQ(log.Count("edit Store"), c.stores ? 1 : 0) << c.what;
    }

    // UpdateData and CanClose can say no; the result stays -1 until the dialog closes.
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    dlg.updateDataAnswer = 0;
    dlg.SimulateButton(IDOK);
    dlg.canCloseAnswer = 0;
    dlg.SimulateButton(IDCANCEL);
    EXPECT_TRUE(dlg.IsReady() && !dlg.IsClosed() && dlg.GetResult() == -1);
    dlg.canCloseAnswer = 1;
    dlg.SimulateButton(IDCANCEL);
    EXPECT_TRUE(!dlg.IsReady() && dlg.GetResult() == IDCANCEL);
}

TEST(DialogRun, TemplatesFromTheLibraryTheProgramOrMemory)
{
    ScriptedDlg dlg;
    dlg.script = [](ScriptedDlg& d) { d.CloseDialog(IDOK, 0); };
    // The template exists in the test program only: a negative id looks in the library.
    EXPECT_EQ(dlg.Modal(-IDD_BASIC, test::ExeModule(), nullptr), -1);
    EXPECT_EQ(dlg.GetResInstance(), test::Library());
    EXPECT_EQ(dlg.Run(IDD_BASIC), IDOK);
    EXPECT_EQ(dlg.GetResInstance(), test::ExeModule());
    // No such template, no template at all, and numbers that would be taken for names.
    for (int id : {-1, 1, 0, 0x10000, -0x10000, 0x7FFFFFFF}) {
        EXPECT_EQ(dlg.Run(id), -1) << id;
        EXPECT_EQ(dlg.Open(id), nullptr) << id;
        EXPECT_EQ(dlg.ModelessWithLoop(FALSE, id, test::ExeModule(), nullptr), -1) << id;
    }
    EXPECT_EQ(CSDlg::pDlgInit, nullptr);

    // A template in memory: ended, not destroyed.
    HRSRC found = FindResourceW(test::ExeModule(), MAKEINTRESOURCEW(IDD_BASIC), RT_DIALOG);
    auto* memory = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(test::ExeModule(), found)));
    ScriptedDlg fromMemory;
    ASSERT_EQ(fromMemory.CreateIndirect(memory, nullptr), 1);
    EXPECT_TRUE(fromMemory.GetTemplateID() == 0 && fromMemory.GetDlgCtrl(IDOK) != nullptr);
    fromMemory.CloseDialog(IDOK, 0);
    EXPECT_TRUE(IsWindow(fromMemory) && !IsWindowVisible(fromMemory));
}

TEST(DialogRun, OwnLoopEndsWithTheCloseCodeAQuitOrTheWindowsEnd)
{
    test::RecordingWindow parent;
    ShowWindow(parent.Handle(), SW_SHOW);
    ScriptedDlg dlg;
    bool parentDisabled = false;
    dlg.script = [&](ScriptedDlg& d) {
        parentDisabled = !IsWindowEnabled(parent.Handle());
        d.CloseDialog(42, 0);
    };
    EXPECT_EQ(dlg.ModelessWithLoop(TRUE, IDD_BASIC, test::ExeModule(), parent.Handle()), 42);
    EXPECT_TRUE(parentDisabled && IsWindowEnabled(parent.Handle()) && !dlg.IsReady());
    EXPECT_EQ(GetForegroundWindow(), parent.Handle());

    // A quit ends the loop without being passed on; nothing runs the dialog any more, so it is gone.
    HWND window = nullptr;
    dlg.script = [&](ScriptedDlg& d) {
        window = d;
        PostQuitMessage(7);
    };
    EXPECT_EQ(dlg.ModelessWithLoop(TRUE, IDD_BASIC, test::ExeModule(), parent.Handle()), -1);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(IsWindowEnabled(parent.Handle()) && !IsWindow(window));

    // The window destroyed behind the loop's back.
    dlg.script = [](ScriptedDlg& d) { DestroyWindow(d); };
    EXPECT_EQ(dlg.ModelessWithLoop(FALSE, IDD_BASIC, test::ExeModule(), nullptr), -1);
}

// The walk itself is the window chain's (WindowTest); these are the dialog chain's own rules.
TEST(DialogHooks, LastAddedFirstPassingOnStoppingAndRemovingAllAfterTheDispatch)
{
    test::MessageLog log;
    ScriptedDlg dlg(&log);
    CommandHook later("later", &log, IDC_ACTION), passer("passer", &log, IDC_ACTION, CommandHook::RunRestFirst);
    CommandHook remover("remover", &log, IDC_ACTION, CommandHook::RemoveAll);
    CommandHook stopper("stopper", &log, IDC_CHECK, CommandHook::Handle);
    for (CommandHook* hook : {&later, &passer, &remover, &stopper, &passer})  // the second add changes nothing
        hook->AddToDlg(&dlg);
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    log.Clear();
    dlg.SimulateButton(IDC_CHECK);
    dlg.SimulateButton(IDC_ACTION);
    dlg.SimulateButton(IDC_ACTION);
    static const SeqEntry expected[] = {
        // The stopper handles it: neither the later hooks nor the dialog hear of it.
        {"stopper", WM_COMMAND, SeqWParam, IDC_CHECK},
        // The removal waits for the dispatch to end; the dialog's own handler stays.
        {"remover", WM_COMMAND, SeqWParam, IDC_ACTION}, {"passer", WM_COMMAND, SeqWParam, IDC_ACTION},
        {"later", WM_COMMAND, SeqWParam, IDC_ACTION}, {"OnButtonClicked", 0, SeqWParam, IDC_ACTION}, {"passer after"},
        {"OnButtonClicked", 0, SeqWParam, IDC_ACTION}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(log, expected));
    dlg.log = nullptr;
}

// ---- Control objects ----

TEST(DialogControls, EveryFirstControlWithAnIdGetsAnObjectThatADeclaredOneReplaces)
{
    test::MessageLog log;
    ScriptedDlg dlg;
    LoggedEdit edit(&log);
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    for (int id : {IDC_EDIT, IDC_ACTION, IDC_CHECK, IDC_COMBO, IDC_RADIO_A, IDC_RADIO_C, IDOK, IDCANCEL, IDHELP}) {
        CSCtrl* control = dlg.GetDlgCtrl(id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_TRUE(control->IsAutoDelete() && control->GetID() == static_cast<UINT>(id) && control->GetDlg() == &dlg)
            << id;
    }
    // The label without an id (0xFFFF here), the combo box's own edit field and the dialog have none.
    EXPECT_EQ(dlg.GetDlgCtrl(GetWindow(dlg.GetDlgItem(IDC_EDIT), GW_HWNDNEXT)), nullptr);
    EXPECT_EQ(dlg.GetDlgCtrl(GetWindow(dlg.GetDlgItem(IDC_COMBO), GW_CHILD)), nullptr);
    EXPECT_EQ(dlg.GetDlgCtrl(dlg.GetHandle()), nullptr);
    edit.Init(&dlg, IDC_EDIT);
    EXPECT_EQ(dlg.GetDlgCtrl(IDC_EDIT), &edit);
    edit.Init(&dlg, IDC_ACTION);  // bound already: changes nothing
    EXPECT_EQ(edit.GetID(), static_cast<UINT>(IDC_EDIT));
    HWND first = GetWindow(dlg, GW_CHILD);
    dlg.Destroy();
    // The plain objects went with their windows.
    for (const WND_CACHE_ITEM& item : CSWnd::wndCache)
        EXPECT_TRUE(item.hwnd == nullptr || GetParent(item.hwnd) != nullptr || item.hwnd != first);

    // An extended template's -1 is no id either; 0 is one; of two controls with one id only the first is reached.
    ASSERT_NE(dlg.Open(IDD_NOIDS), nullptr);
    int objects = 0;
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        objects += dlg.GetDlgCtrl(child) != nullptr;
    EXPECT_EQ(objects, 3);  // id 0, the first twin, OK
    EXPECT_NE(dlg.GetDlgCtrl(0), nullptr);
    EXPECT_EQ(dlg.GetDlgCtrl(GetWindow(dlg.GetDlgItem(IDC_DUPLICATE), GW_HWNDNEXT)), nullptr);
}

namespace {

// A control object that records what the dialog hands it and answers as told.
class ProbeCtrl : public CSCtrl {
public:
    std::vector<std::string> seen;
    int handleCommand = 0;
    LRESULT notifyAnswer = 0;
    HBRUSH brush = nullptr;

    void SetFlags(DWORD flags) { ctlFlags = flags; }
    int OnCommand(WORD code, LRESULT*) override { return seen.push_back("command " + std::to_string(code)), handleCommand; }
    int OnNotify(NMHDR*, LRESULT* pResult) override
    {
        seen.push_back("notify");
        *pResult = notifyAnswer;
        return notifyAnswer != 0;
    }
    int OnCtlColor(UINT msg, HDC hdc, HBRUSH* pBrush) override
    {
        CSCtrl::OnCtlColor(msg, hdc, pBrush);
        *pBrush = brush;
        return brush != nullptr;
    }
    void OnDrawItem(DRAWITEMSTRUCT*) override { seen.push_back("draw"); }
    void OnMeasureItem(MEASUREITEMSTRUCT*) override { seen.push_back("measure"); }
    void OnDeleteItem(DELETEITEMSTRUCT*) override { seen.push_back("delete"); }
};

} // namespace

TEST(DialogControls, CommandsNotificationsColoursAndOwnerDrawingReachTheControl)
{
    test::MessageLog log;
    class DeleteDlg : public ScriptedDlg {
    public:
        void OnDeleteItem(UINT id, void*) override { deleted.push_back(id); }
        std::vector<UINT> deleted;
    } dlg;
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    ProbeCtrl probe;
    probe.Init(&dlg, IDC_ACTION);
    HWND action = dlg.GetDlgItem(IDC_ACTION);
    dlg.log = &log;
    dlg.SimulateButton(IDC_ACTION);
    probe.handleCommand = 1;
    dlg.SimulateButton(IDC_ACTION);
    EXPECT_EQ(log.Count("OnButtonClicked"), 1);  // not handled, the click reached the dialog; handled, not

    NMHDR nm = {action, IDC_ACTION, NM_CLICK};
    probe.notifyAnswer = 77;
    EXPECT_EQ(SendMessageW(dlg, WM_NOTIFY, IDC_ACTION, reinterpret_cast<LPARAM>(&nm)), 77);
    probe.brush = GetSysColorBrush(COLOR_HIGHLIGHT);
    EXPECT_EQ(SendMessageW(dlg, WM_CTLCOLORBTN, 0, reinterpret_cast<LPARAM>(action)), reinterpret_cast<LRESULT>(probe.brush));
    DRAWITEMSTRUCT draw = {ODT_BUTTON, IDC_ACTION, 0, 0, 0, action, nullptr, {}, 0};
    EXPECT_EQ(SendMessageW(dlg, WM_DRAWITEM, IDC_ACTION, reinterpret_cast<LPARAM>(&draw)), TRUE);
    MEASUREITEMSTRUCT measure = {ODT_BUTTON, IDC_ACTION, 0, 0, 0, 0};
    SendMessageW(dlg, WM_MEASUREITEM, IDC_ACTION, reinterpret_cast<LPARAM>(&measure));
    DELETEITEMSTRUCT deleted = {ODT_BUTTON, IDC_ACTION, 0, action, 0};
    SendMessageW(dlg, WM_DELETEITEM, IDC_ACTION, reinterpret_cast<LPARAM>(&deleted));
    // Menus are not controls, and records that are missing are not followed.
    draw.CtlType = ODT_MENU;
    SendMessageW(dlg, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(SendMessageW(dlg, WM_DRAWITEM, IDC_ACTION, 0), 0);
    EXPECT_EQ(probe.seen, (std::vector<std::string>{"command 0", "command 0", "notify", "draw", "measure", "delete"}));
    // Items of a control without an object are the dialog's to delete.
    DELETEITEMSTRUCT item = {ODT_LISTBOX, 0xFFFF, 0, GetWindow(dlg.GetDlgItem(IDC_EDIT), GW_HWNDNEXT), 0};
    SendMessageW(dlg, WM_DELETEITEM, 0xFFFF, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(dlg.deleted, std::vector<UINT>{0xFFFF});
}

TEST(DialogControls, ADroppedFileSetsTheTextTheFlagsAskFor)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    std::wstring folder = test::NewTempDir(L"drop");
    std::wstring file = folder + L"\\Picture.JPG", missing = folder + L"\\Gone.txt";
    ASSERT_TRUE(test::WriteUtf8File(file, "x"));
    // A drop of one file, as the shell hands it over: freed by whoever finishes the drop.
    auto drop = [](const std::wstring& path) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + (path.size() + 2) * 2);
        auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
        files->pFiles = sizeof(DROPFILES);
        files->fWide = TRUE;
        wmemcpy(reinterpret_cast<wchar_t*>(files + 1), path.c_str(), path.size());
        GlobalUnlock(memory);
        return reinterpret_cast<WPARAM>(memory);
    };
    ProbeCtrl edit;
    edit.Init(&dlg, IDC_EDIT, nullptr, CSCtrl::DropFileName);
    EXPECT_TRUE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    struct { DWORD flags; std::wstring dropped, expected; } const cases[] = {  // expected empty: unchanged
        {CSCtrl::DropFileName, file, L"Picture.JPG"}, {CSCtrl::DropFolder, file, folder},
        {CSCtrl::DropFolder, folder, folder}, {CSCtrl::DropExistingFile, file, file},
        {CSCtrl::DropExistingFile, missing, L""}, {CSCtrl::DropExistingFile | CSCtrl::DropAnyPath, missing, missing},
        {CSCtrl::DropAnyPath, missing, missing}, {0, file, L""},
        {CSCtrl::DropFileName | CSCtrl::DropAnyPath, file, L"Picture.JPG"},  // the name wins over everything
    };
    for (const auto& c : cases) {
        edit.SetFlags(c.flags);
        edit.SetText(L"before");
        SendMessageW(edit, WM_DROPFILES, drop(c.dropped), 0);
        EXPECT_EQ(Text(edit), c.expected.empty() ? L"before" : c.expected) << c.flags;
    }
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
}

// ---- Messages the framework answers ----

namespace {

std::vector<std::wstring> helpOpened;

BOOL RecordHelp(HWND, const wchar_t* page, UINT, ULONG_PTR)
{
    helpOpened.push_back(page);
    return wcscmp(page, L"broken.htm") != 0;
}

} // namespace

TEST(DialogMessages, HelpOpensTheOwnPageOrTheOneTheOwnerNamesAndReportsFailures)
{
    class OwnerDlg : public ScriptedDlg {
    public:
        const wchar_t* GetHtmlPage(UINT id) override { return id == IDD_BASIC ? L"owner.htm" : nullptr; }
    } owner;
    ASSERT_NE(owner.Open(IDD_HOST), nullptr);
    CSDlg::pfnHtmlHelp = RecordHelp;
    helpOpened.clear();
    ScriptedDlg dlg;
    dlg.page = L"own.htm";
    dlg.script = [](ScriptedDlg& d) {
        d.SimulateButton(IDHELP);
        EXPECT_EQ(SendMessageW(d, WM_HELP, 0, 0), 1);
        d.page = nullptr;
        d.SimulateButton(IDHELP);  // the owner is asked for the page of this template
        d.CloseDialog(IDCANCEL, 0);
    };
    dlg.Run(IDD_BASIC, owner);
    EXPECT_EQ(helpOpened, (Texts{L"own.htm", L"own.htm", L"owner.htm"}));

    // No page anywhere: no help; a help system that fails, or has not hooked in, is reported.
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    dlg.SimulateButton(IDHELP);
    EXPECT_TRUE(dlg.helpError.empty());
    for (const wchar_t* page : {L"broken.htm", L"unhooked.htm"}) {
        CSDlg::pfnHtmlHelp = page[0] == L'b' ? RecordHelp : nullptr;
        dlg.page = page;
        dlg.SimulateButton(IDHELP);
        EXPECT_EQ(dlg.helpError, page);
    }
    EXPECT_EQ(helpOpened, (Texts{L"own.htm", L"own.htm", L"owner.htm", L"broken.htm"}));
    EXPECT_EQ(ProductInfo::SendMyMessage(owner, MyMsgHelp, 0), 0);  // a query without a record is none
}

TEST(DialogMessages, IdentityQueryIsAnsweredForTheDialogsOwnNumberAndDelayedActionsRunOnce)
{
    class DelayDlg : public ScriptedDlg {
    public:
        void OnDelayedAction(DWORD data) override
        {
            runs.push_back(data);
            ScriptedDlg::OnDelayedAction(data);
        }
        std::vector<DWORD> runs;
    } dlg;
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    dlg.identity = 141;
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 141), 1);
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 142), 0);
    EXPECT_EQ(ActivatePrevDlg(141), 1);
    dlg.identity = 0;
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 0), 0);

    EXPECT_TRUE(dlg.DelayAction(5, 20) && dlg.DelayAction(6, 20));
    EXPECT_TRUE(test::PumpUntil([&] { return !dlg.runs.empty(); }, 5000));
    EXPECT_EQ(dlg.runs, std::vector<DWORD>{6});  // the last data, once
    EXPECT_FALSE(KillTimer(dlg, 1));            // the default stopped the timer
}

TEST(DialogMessages, TooltipTextsComeFromTheDialogAndToolsCoverTheirArea)
{
    class TipDlg : public ScriptedDlg {
    public:
        int GetTootTip(UINT id, wchar_t* text, UINT cch) override
        {
            return id == IDC_ACTION && wcsncpy(text, L"Does the action", cch);
        }
        int GetTootTip(UINT id, HINSTANCE& inst, WORD& strId) override
        {
            inst = test::Library();
            strId = IDS_ABOUT_MENU;
            return id == IDC_CHECK;
        }
    } dlg;
    // What the tooltip holds for a tool: its text (asked for through the callback) and its rectangle.
    auto tool = [&](TooltipCtrl& tip, UINT_PTR id) {
        wchar_t text[256] = L"";
        TOOLINFOW info = {};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = dlg;
        info.uId = id;
        info.lpszText = text;
        SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
        std::wstring shown = text;
        SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.lpszText, LPSTR_TEXTCALLBACKW);
        return std::make_pair(shown, std::array<LONG, 4>{info.rect.left, info.rect.top, info.rect.right, info.rect.bottom});
    };
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    TooltipCtrl tip;
    ASSERT_TRUE(tip.Create(dlg, 0));
    HWND action = dlg.GetDlgItem(IDC_ACTION);
    RECT area = {10, 10, 40, 30}, client;
    GetClientRect(dlg, &client);
    EXPECT_TRUE(tip.AddToolWnd(dlg, action) && tip.AddTool(dlg, IDC_CHECK, &area) && tip.AddTool(dlg, IDC_RADIO_A, nullptr));
    // A window tool is asked for by its control id; a resource text is loaded by the tooltip.
    EXPECT_EQ(tool(tip, reinterpret_cast<UINT_PTR>(action)).first, L"Does the action");
    EXPECT_EQ(tool(tip, IDC_CHECK).first, L"&About...");
    // Without a rectangle, the owner's client area; a moved tool keeps its size.
    EXPECT_EQ(tool(tip, IDC_RADIO_A), std::make_pair(std::wstring(), std::array<LONG, 4>{0, 0, client.right, client.bottom}));
    EXPECT_TRUE(tip.MoveTool(dlg, IDC_CHECK, 5, -3));
    EXPECT_EQ(tool(tip, IDC_CHECK).second, (std::array<LONG, 4>{15, 7, 45, 27}));
    tip.DelTool(dlg, IDC_CHECK);
    EXPECT_EQ(tip.GetCount(), 2);

    // The ANSI form of the request gets the text converted into its own buffer.
    NMTTDISPINFOA ansi = {};
    ansi.hdr = {tip, IDC_ACTION, static_cast<UINT>(TTN_GETDISPINFOA)};
    SendMessageW(dlg, WM_NOTIFY, IDC_ACTION, reinterpret_cast<LPARAM>(&ansi));
    EXPECT_TRUE(ansi.lpszText == ansi.szText && strcmp(ansi.szText, "Does the action") == 0);
    ansi.hdr.idFrom = IDC_CHECK;
    SendMessageW(dlg, WM_NOTIFY, IDC_CHECK, reinterpret_cast<LPARAM>(&ansi));
    EXPECT_TRUE(ansi.lpszText == MAKEINTRESOURCEA(IDS_ABOUT_MENU) && ansi.hinst == test::Library());
    EXPECT_EQ(SendMessageW(dlg, WM_NOTIFY, 0, 0), 0);  // a notification without a record is ignored
    tip.Destroy();
}

TEST(DialogMessages, TheMouseLeavingIsToldOnceAtMinusOne)
{
    class StillDlg : public ScriptedDlg {
        void OnInitDone() override {}  // no dragging: the client area must take the mouse
    } dlg;
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    SetForegroundWindow(dlg);
    // Below the radio buttons, right of the combo box: the dialog's own client area.
    RECT rect = CtrlRect(dlg, IDC_RADIO_C);
    POINT inside = {rect.left + 5, rect.bottom + 20};
    ASSERT_EQ(ChildWindowFromPoint(dlg, inside), dlg.GetHandle());
    ClientToScreen(dlg, &inside);
    // A move over the dialog asks for the leave; the leave is told as a move to (-1, -1), which
    // must not ask again, or with the pointer still over the dialog it would be told for ever.
    auto tracking = [&] {
        TRACKMOUSEEVENT query = {sizeof(query), TME_QUERY, nullptr, 0};
        return TrackMouseEvent(&query) && query.hwndTrack == dlg.GetHandle() && (query.dwFlags & TME_LEAVE);
    };
    ASSERT_TRUE(test::Xdo(test::MoveTo(inside) + " sleep 0.1 " + test::MoveTo(POINT{inside.x + 2, inside.y})));
    ASSERT_TRUE(test::PumpUntil(tracking, 5000));
    TRACKMOUSEEVENT cancel = {sizeof(cancel), TME_CANCEL | TME_LEAVE, dlg.GetHandle(), 0};
    TrackMouseEvent(&cancel);
    SendMessageW(dlg, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(test::PumpUntil([&] { return dlg.leaveMoves == 1; }, 5000));
    test::PumpPending();
    EXPECT_FALSE(tracking());
    EXPECT_EQ(dlg.leaveMoves, 1);
}

// ---- Child and main dialogs ----

TEST(DialogKinds, ChildSitsOnThePlaceholderAndPassesClicksToItsParent)
{
    test::MessageLog log;
    ScriptedDlg host(&log);
    ASSERT_NE(host.Open(IDD_HOST), nullptr);
    CSDlgChild child;
    EXPECT_EQ(child.Init(nullptr, IDC_PLACEHOLDER, IDD_CHILD, test::ExeModule(), TRUE), 0);
    ASSERT_EQ(child.Init(&host, IDC_PLACEHOLDER, IDD_CHILD, test::ExeModule(), TRUE), 1);
    RECT slot = CtrlRect(host, IDC_PLACEHOLDER), placed;
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(EqualRect(&slot, &placed) && GetParent(child) == host.GetHandle() && !child.IsFullDrag());

    log.Clear();
    child.SimulateButton(IDC_CHILD_BUTTON);
    child.SimulateButton(IDOK);
    SendMessageW(child, WM_COMMAND, MAKEWPARAM(IDC_CHILD_COMBO, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(child.GetDlgItem(IDC_CHILD_COMBO)));
    static const SeqEntry expected[] = {
        {"OnButtonClicked", 0, SeqWParam, IDC_CHILD_BUTTON}, {"OnButtonClicked", 0, SeqWParam, IDOK},
        {"OnComboSelChanged", 0, SeqWParam, IDC_CHILD_COMBO}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(log, expected));
    EXPECT_TRUE(child.IsReady() && host.IsReady());  // OK in the child closes nothing
    host.Destroy();
    EXPECT_FALSE(child.IsReady());
}

TEST(DialogKinds, MainDialogAddsAboutKeepsItsPlaceAndEndsItsLoopWithAQuit)
{
    class MainDlg : public CSDlgMain {
    public:
        LRESULT OnAbout() override { return ++abouts; }
        LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
        {
            LRESULT result = CSDlgMain::OnInitDialog(wParam, lParam);
            HMENU menu = GetSystemMenu(hwnd, FALSE);
            int last = GetMenuItemCount(menu) - 1;
            wchar_t text[64] = L"";
            GetMenuStringW(menu, last, text, 64, MF_BYPOSITION);
            about = {text, GetMenuItemID(menu, last)};
            PostMsg(WM_SYSCOMMAND, AboutCommand, 0);
            PostMsg(WM_CLOSE, 0, 0);
            return result;
        }
        LRESULT OnCancel() override { return CloseDialog(5, 0); }
        int abouts = 0;
        std::pair<std::wstring, UINT> about;
    } dlg;
    GetProductInfo()->PushAppRootKey(L"HKCU\\Software\\GlmbxTests\\MainDialog");
    EXPECT_EQ(dlg.ModelessWithLoop(FALSE, IDD_BASIC, test::ExeModule(), nullptr), 5);
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 5u);
    EXPECT_EQ(dlg.abouts, 1);
    EXPECT_EQ(dlg.about, (std::pair<std::wstring, UINT>{L"&About...", 16u}));
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\GlmbxTests\\MainDialog", L"posLeft", RRF_RT_ANY, nullptr,
                           nullptr, nullptr),
              ERROR_SUCCESS);
    GetProductInfo()->PopAppRootKey();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\GlmbxTests\\MainDialog");
}

// ---- The framework's controls ----

TEST(DialogControls, ReadOnlyEditLetsTheKeyboardMoveAndSelectButNotChange)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
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
    // Home and End are key codes that look like punctuation ('$', '#'): they must pass.
    ASSERT_TRUE(test::Xdo("key Home type a1-."));
    ASSERT_TRUE(test::Xdo("key BackSpace Delete Return space ctrl+v ctrl+x Home shift+End"));
    int start = -1, end = -1;
    EXPECT_TRUE(test::PumpUntil([&] { return edit.GetSel(start, end), end == 6; }, 5000));
    SendMessageW(edit, WM_CLEAR, 0, 0);
    EXPECT_EQ(Text(edit), L"hellox");
    EXPECT_EQ(start, 0);

    // One select-all can be blocked; any other selection lifts the block too.
    for (bool between : {false, true}) {
        edit.SetSel(1, 1);
        edit.BlockNextSelAll(TRUE);
        if (between)
            edit.SetSel(2, 3);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        edit.GetSel(start, end);
        EXPECT_EQ(end, between ? 6 : 1) << between;
        SendMessageW(edit, EM_SETSEL, 0, -1);
        edit.GetSel(start, end);
        EXPECT_EQ(end, 6) << between;
    }
}

TEST(DialogControls, ComboItemsKeepTheirDataAndACancelledDropDownKeepsTheTypedText)
{
    class ComboDlg : public ScriptedDlg {
    public:
        LRESULT OnCommand(WORD id, WORD code, HWND ctl) override
        {
            textsSet += id == IDC_COMBO && code == CSCombo::EditTextSet;
            return ScriptedDlg::OnCommand(id, code, ctl);
        }
        int textsSet = 0;
    } dlg;
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    CSCombo combo;
    combo.Init(&dlg, IDC_COMBO);
    EXPECT_TRUE(combo.AddItem(L"apple", 11) && combo.AddItem(L"banana", 12) && combo.InsertItem(0, L"cherry", 10));
    EXPECT_EQ(combo.InsertItem(99, L"nowhere", 13), 0);
    wchar_t text[16];
    EXPECT_EQ(combo.GetItem(0, text, 4), 10u);
    EXPECT_STREQ(text, L"che");  // cut to the buffer
    EXPECT_TRUE(combo.CanMove(0, FALSE) && !combo.CanMove(0, TRUE) && !combo.CanMove(2, FALSE) && !combo.CanMove(3, TRUE));
    combo.MoveItem(2, TRUE);  // "banana" up, selected there with its data
    EXPECT_TRUE(combo.GetItem(1, text, 16) == 12u && wcscmp(text, L"banana") == 0 && combo.GetSelectedItem() == 12u);
    EXPECT_TRUE(combo.FindItem(11) == 2 && combo.SelectItem(10) == 0 && combo.GetCurSel() == 0);
    EXPECT_EQ(combo.SelectItem(99), -1);

    HWND box = combo.GetHandle(), edit = combo.GetEditWnd();
    auto notify = [&](WORD code) { SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_COMBO, code), reinterpret_cast<LPARAM>(box)); };
    auto set = [edit](const wchar_t* shown) {
        SetWindowTextW(edit, shown);
        return Text(edit);
    };
    SetWindowTextW(edit, L"typed");
    // The list opens: the box's own text for it is not shown; the user moves in the list and
    // cancels: the box putting its selection back is not shown either. Swallowed once only.
    notify(CBN_DROPDOWN);
    EXPECT_EQ(set(L"apple"), L"typed");
    notify(CBN_SELENDCANCEL);
    notify(CBN_CLOSEUP);
    EXPECT_EQ(set(L"banana"), L"typed");
    EXPECT_EQ(set(L"later"), L"later");
    // A choice made in the list is shown; leaving the box forgets a pending swallow.
    notify(CBN_DROPDOWN);
    notify(CBN_SELCHANGE);
    EXPECT_EQ(set(L"banana"), L"banana");
    notify(CBN_DROPDOWN);
    notify(CBN_KILLFOCUS);
    EXPECT_EQ(set(L"kept"), L"kept");
    // Every text set is announced to the dialog, posted.
    EXPECT_TRUE(test::PumpUntil([&] { return dlg.textsSet >= 6; }, 5000));

    // The same with the keyboard: F4 opens the list, Escape closes it (not the dialog).
    SetWindowTextW(edit, L"");
    SetForegroundWindow(dlg);
    dlg.SetDlgItemFocus(IDC_COMBO);
    ASSERT_TRUE(test::PumpUntil([&] { return GetFocus() == edit; }, 5000));
    ASSERT_TRUE(test::Xdo("type ban"));
    ASSERT_TRUE(test::PumpUntil([&] { return Text(edit) == L"ban"; }, 5000));
    ASSERT_TRUE(test::Xdo("key F4"));
    ASSERT_TRUE(test::PumpUntil([&] { return combo.SendMsg(CB_GETDROPPEDSTATE, 0, 0) != 0; }, 5000));
    ASSERT_TRUE(test::Xdo("key Escape"));
    ASSERT_TRUE(test::PumpUntil([&] { return combo.SendMsg(CB_GETDROPPEDSTATE, 0, 0) == 0; }, 5000));
    test::PumpPending();
    EXPECT_EQ(Text(edit), L"ban");
    EXPECT_TRUE(IsWindow(dlg));
}

// ---- Size limits, the grip and the remembered placement ----

namespace {

class ResizeDlg : public ScriptedDlg {
public:
    explicit ResizeDlg(int flags, MyWindowPlacement* record = nullptr) { EnableResizing(flags, record); }
    void OnInitDone() override {}  // no dragging: the client area must reach the grip
};

} // namespace

TEST(DialogResize, NeverSmallerThanTheTemplateAndGrowthIsReported)
{
    ResizeDlg dlg(DlgResizeWidth | DlgResizeHeight), wide(DlgResizeWidth);
    ASSERT_NE(dlg.Open(IDD_RESIZE), nullptr);
    const Size start = WindowSize(dlg);
    EXPECT_EQ(Resized(dlg, start[0] - 50, start[1] - 40), start);
    EXPECT_EQ(Resized(dlg, start[0] + 40, start[1] + 30), (Size{start[0] + 40, start[1] + 30}));
    EXPECT_TRUE(dlg.resizeDx == 40 && dlg.resizeDy == 30 && dlg.GetResizeData().cx == 40 && dlg.GetResizeData().cy == 30);
    // Smaller in one direction only: that one stops at the template.
    EXPECT_EQ(Resized(dlg, start[0] - 10, start[1] + 10), (Size{start[0], start[1] + 10}));
    EXPECT_TRUE(dlg.resizeDx == 0 && dlg.resizeDy == 10);

    ASSERT_NE(wide.Open(IDD_RESIZE), nullptr);
    EXPECT_EQ(Resized(wide, start[0] + 60, start[1] + 60), (Size{start[0] + 60, start[1]}));
    EXPECT_EQ(Resized(wide, start[0] + 60, start[1] - 20), (Size{start[0] + 60, start[1]}));

    // Created at its template size before the framework saw it: the first size it is then
    // given is the one it keeps.
    ScriptedDlg fixed;
    fixed.EnableResizing(DlgResizeKeepWidth | DlgResizeKeepHeight, nullptr);
    ASSERT_NE(fixed.Open(IDD_RESIZE), nullptr);
    const Size kept = {start[0] + 30, start[1] - 30};
    EXPECT_EQ(Resized(fixed, kept[0], kept[1]), kept);
    EXPECT_EQ(Resized(fixed, start[0], start[1] + 50), kept);
}

TEST(DialogResize, TheGripAnswersAsTheSizingCornerIsDrawnAndDragsToTheLimits)
{
    ResizeDlg dlg(DlgResizeWidth), plain(DlgResizeWidth | DlgResizeHeight | DlgResizeNoGrip);
    ASSERT_NE(dlg.Open(IDD_RESIZE), nullptr);
    SetForegroundWindow(dlg);
    UpdateWindow(dlg);
    RECT client;
    GetClientRect(dlg, &client);
    POINT corner = {client.right - 3, client.bottom - 3}, outside = {client.right - 12, client.bottom - 12};
    ClientToScreen(dlg, &corner);
    ClientToScreen(dlg, &outside);
    EXPECT_EQ(SendMessageW(dlg, WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y)), HTBOTTOMRIGHT);
    EXPECT_EQ(SendMessageW(dlg, WM_NCHITTEST, 0, MAKELPARAM(outside.x, outside.y)), HTCLIENT);  // 24 from the corner
    EXPECT_TRUE(dlg.IsPtInResizingCorner(client.right - 8, client.bottom - 7));
    EXPECT_FALSE(dlg.IsPtInResizingCorner(client.right - 8, client.bottom - 8) ||
                 dlg.IsPtInResizingCorner(client.right + 2, client.bottom - 2));
    // Width only: the sizing cursor points left and right.
    EXPECT_EQ(SendMessageW(dlg, WM_SETCURSOR, 0, MAKELPARAM(HTBOTTOMRIGHT, WM_MOUSEMOVE)), 1);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
    HDC dc = GetDC(dlg);
    EXPECT_EQ(GetPixel(dc, client.right - 4, client.bottom - 4), 0xA3B4B8u);
    EXPECT_EQ(GetPixel(dc, client.right - 7, client.bottom - 3), 0xA3B4B8u);
    EXPECT_EQ(GetPixel(dc, client.right - 2, client.bottom - 3), RGB(255, 255, 255));
    ReleaseDC(dlg, dc);

    // Dragged with real input: wider, never narrower than the template, never taller.
    const Size start = WindowSize(dlg);
    for (int dx : {70, -150}) {
        GetClientRect(dlg, &client);
        POINT grip = {client.right - 3, client.bottom - 3};
        ClientToScreen(dlg, &grip);
        ASSERT_TRUE(test::Xdo(test::Drag(grip, dx, dx > 0 ? 50 : -80)));
        EXPECT_TRUE(test::PumpUntil([&] { return WindowSize(dlg)[0] == start[0] + (dx > 0 ? dx : 0); }, 5000)) << dx;
        EXPECT_EQ(WindowSize(dlg)[1], start[1]) << dx;
    }

    ASSERT_NE(plain.Open(IDD_RESIZE), nullptr);
    UpdateWindow(plain);
    GetClientRect(plain, &client);
    dc = GetDC(plain);
    EXPECT_NE(GetPixel(dc, client.right - 4, client.bottom - 4), 0xA3B4B8u);
    ReleaseDC(plain, dc);
}

TEST(DialogResize, PlacementIsStoredWhileRunningAndRestoredNextTime)
{
    MyWindowPlacement record;
    Size start = {};
    ResizeDlg dlg(DlgResizeWidth | DlgResizeHeight, &record);
    dlg.script = [&](ScriptedDlg& d) {
        // Nothing stored yet: the record is filled from the aligned template.
        EXPECT_EQ(record.length, sizeof(WINDOWPLACEMENT));
        start = WindowSize(d);
        SetWindowPos(d, nullptr, 40, 50, start[0] + 30, start[1] + 20, SWP_NOZORDER);
        d.CloseDialog(IDOK, 0);
    };
    EXPECT_EQ(dlg.Run(IDD_RESIZE), IDOK);
    const RECT stored = {40, 50, 40 + start[0] + 30, 50 + start[1] + 20};
    EXPECT_TRUE(EqualRect(&record.rcNormalPosition, &stored));

    // Stored, minimised, damaged or from a screen that is gone: it opens shown and normal.
    struct { UINT length, showCmd; RECT normal; bool usable; } const cases[] = {
        {sizeof(WINDOWPLACEMENT), SW_SHOWNORMAL, stored, true},
        {sizeof(WINDOWPLACEMENT), SW_SHOWMINIMIZED, {60, 70, 460, 370}, true},
        {sizeof(WINDOWPLACEMENT), SW_SHOWNORMAL, {300, 300, 100, 100}, false},        // inverted
        {sizeof(WINDOWPLACEMENT), SW_SHOWNORMAL, {30000, 30000, 30400, 30300}, false},  // off every screen
        {12345, 77, {10, 10, 20, 20}, false},                                         // not a placement at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.normal.left << "," << c.normal.top);
        record = MyWindowPlacement();
        record.length = c.length;
        record.showCmd = c.showCmd;
        record.rcNormalPosition = c.normal;
        ResizeDlg again(DlgResizeWidth | DlgResizeHeight, &record);
        bool normal = false;
        RECT placed = {};
        again.script = [&](ScriptedDlg& d) {
            normal = !IsIconic(d) && IsWindowVisible(d);
            GetWindowRect(d, &placed);
            d.CloseDialog(IDCANCEL, 0);
        };
        again.Run(IDD_RESIZE);
        EXPECT_TRUE(normal);
        if (c.usable) {  // there, and the controls were told how far from the template
            EXPECT_TRUE(EqualRect(&placed, &c.normal));
            EXPECT_EQ(again.resizeDx, c.normal.right - c.normal.left - start[0]);
            EXPECT_EQ(again.resizeDy, c.normal.bottom - c.normal.top - start[1]);
        } else {  // the template's size, on the screen
            EXPECT_TRUE(placed.right > placed.left && placed.left < GetSystemMetrics(SM_CXSCREEN));
            EXPECT_TRUE(again.resizeDx == 0 && again.resizeDy == 0);
        }
        // Closing wrote a sound record back.
        EXPECT_TRUE(record.length == sizeof(WINDOWPLACEMENT) && record.showCmd != SW_SHOWMINIMIZED);
    }
}

// ---- Control groups and the layout helpers ----

TEST(DialogLayout, HidingAndShowingAGroupMovesTheControlsBelowAndResizesTheFrames)
{
    const int ids[] = {IDC_OUTER_FRAME, IDC_OUTER_FIRST, IDC_INNER_FIRST, IDC_INNER_LAST, IDC_OUTER_LAST,
                       IDC_BELOW_1, IDC_BELOW_2};
    enum { Frame, First, InnerFirst, InnerLast, Last, Below1, Below2 };  // rows of measure()
    auto measure = [&ids](CSDlg& d) {
        std::vector<std::array<LONG, 2>> rows;  // the top and bottom of each
        for (int id : ids)
            rows.push_back({CtrlRect(d, id).top, CtrlRect(d, id).bottom});
        return rows;
    };
    // 3: shown and enabled, 0: hidden and disabled.
    auto state = [](CSDlg& d, int id) { return IsWindowVisible(d.GetDlgItem(id)) * 2 + IsWindowEnabled(d.GetDlgItem(id)); };
    ScriptedDlg dlg;
    EXPECT_EQ(dlg.AddCtrlGroup(IDC_OUTER_FIRST, IDC_OUTER_LAST, IDC_OUTER_FRAME, 0), 1);
    EXPECT_EQ(dlg.AddCtrlGroup(IDC_INNER_FIRST, IDC_INNER_LAST, 0, IDC_OUTER_FIRST), 1);
    EXPECT_EQ(dlg.AddCtrlGroup(0, IDC_OUTER_LAST), 0);
    ASSERT_NE(dlg.Open(IDD_GROUPS), nullptr);
    const auto original = measure(dlg);
    // The outer group reaches the bottom of its frame, which ends above the next control;
    // the inner one reaches the next control of the outer group.
    const int whole = original[Frame][1] - original[First][0];
    const int inner = original[Last][0] - original[InnerFirst][0];
    ASSERT_TRUE(inner > 0 && whole > inner);

    // Everything below moves up, the frame around it shrinks with it.
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE), -inner);
    auto folded = measure(dlg);
    EXPECT_EQ(folded[First][0], original[First][0]);
    for (int row : {Last, Below1, Below2})
        EXPECT_EQ(folded[row][0], original[row][0] - inner) << row;
    EXPECT_EQ(folded[Frame][1], original[Frame][1] - inner);
    EXPECT_EQ(state(dlg, IDC_INNER_FIRST) + state(dlg, IDC_INNER_LAST), 0);
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE), 0);  // already hidden
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, TRUE), inner);
    EXPECT_EQ(measure(dlg), original);
    EXPECT_EQ(state(dlg, IDC_INNER_FIRST), 3);

    // The whole section, inner group and all; then folded inside first, then outside.
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, FALSE), -whole);
    EXPECT_EQ(measure(dlg)[Below1][0], original[Below1][0] - whole);
    EXPECT_EQ(measure(dlg)[Frame][1], original[Frame][1] - whole);
    EXPECT_EQ(state(dlg, IDC_OUTER_LAST) + state(dlg, IDC_INNER_LAST), 0);
    EXPECT_FALSE(dlg.FindCtrlGroup(IDC_INNER_FIRST)->shown);
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, TRUE), whole);
    EXPECT_EQ(measure(dlg), original);
    EXPECT_EQ(state(dlg, IDC_INNER_LAST), 3);
    dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE);
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, FALSE), -(whole - inner));
    EXPECT_EQ(measure(dlg)[Below2][0], original[Below2][0] - whole);
    dlg.ShowCtrlGroup(IDC_OUTER_FIRST, TRUE);
    dlg.ShowCtrlGroup(IDC_INNER_FIRST, TRUE);
    EXPECT_EQ(measure(dlg), original);
    // Unknown groups do nothing; a group is found by its first control or its frame.
    EXPECT_EQ(dlg.ShowCtrlGroup(9999, FALSE), 0);
    EXPECT_EQ(dlg.FindCtrlGroup(0, IDC_OUTER_FRAME), dlg.FindCtrlGroup(IDC_OUTER_FIRST));

    // A group folded before the first show is measured first.
    class FoldedDlg : public ScriptedDlg {
    public:
        LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
        {
            LRESULT result = ScriptedDlg::OnInitDialog(wParam, lParam);
            AddCtrlGroup(IDC_INNER_FIRST, IDC_INNER_LAST, 0, 0);
            offset = ShowCtrlGroup(IDC_INNER_FIRST, FALSE);
            return result;
        }
        int offset = 0;
    } early;
    ASSERT_NE(early.Open(IDD_GROUPS), nullptr);
    EXPECT_EQ(early.offset, -inner);
    EXPECT_EQ(measure(early)[Below1][0], original[Below1][0] - inner);
}

TEST(DialogLayout, CentringAligningGrowingToTheTextAndRanges)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Open(IDD_LAYOUT), nullptr);
    RECT client;
    GetClientRect(dlg, &client);
    const RECT button = CtrlRect(dlg, IDC_L_BUTTON);
    const int width = button.right - button.left;
    EXPECT_TRUE(dlg.CenterDlgItem(IDC_L_BUTTON, TRUE));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).left, (client.right - width) / 2);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).top, button.top);
    // A span narrower than the control: the half is taken towards zero, not down.
    EXPECT_TRUE(dlg.CenterDlgItem(IDC_L_BUTTON, TRUE, 10, 13));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).left, 10 - (width - 3) / 2);
    EXPECT_TRUE(dlg.CenterDlgItem(IDC_L_BUTTON, FALSE, 0, 100));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).top, (100 - (button.bottom - button.top)) / 2);
    EXPECT_FALSE(dlg.CenterDlgItem(9999, TRUE));

    const RECT row1 = CtrlRect(dlg, IDC_L_ROW1), row2 = CtrlRect(dlg, IDC_L_ROW2), row3 = CtrlRect(dlg, IDC_L_ROW3);
    dlg.AlignDlgItems(IDC_L_ROW1, IDC_L_ROW3, TRUE);
    const int shift = ((client.right - (row3.right - row1.left)) / 2) - row1.left;
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW1).left, row1.left + shift);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW2).left, row2.left + shift);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW3).right, row3.right + shift);

    const RECT text = CtrlRect(dlg, IDC_L_TEXT);
    const Size before = WindowSize(dlg);
    const int grown = dlg.AdjustHeight(IDC_L_TEXT);
    EXPECT_GT(grown, 0);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_TEXT).bottom - CtrlRect(dlg, IDC_L_TEXT).top, text.bottom - text.top + grown);
    EXPECT_EQ(WindowSize(dlg)[1], before[1] + grown);
    EXPECT_EQ(dlg.AdjustHeight(IDC_L_TEXT) + dlg.AdjustHeight(9999), 0);  // fits now; no such control

    EXPECT_TRUE(dlg.MoveResizeCtrlToSlot(IDC_L_ROW2, IDC_L_BUTTON));
    RECT slot = CtrlRect(dlg, IDC_L_BUTTON), moved = CtrlRect(dlg, IDC_L_ROW2);
    EXPECT_TRUE(EqualRect(&slot, &moved));
    EXPECT_TRUE(dlg.MoveCtrlEdge(IDC_L_ROW3, IDC_L_TEXT, TRUE));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW3).right, CtrlRect(dlg, IDC_L_TEXT).right);

    // Ranges of controls follow the z-order.
    dlg.EnableDlgItems(IDC_L_ROW1, IDC_L_ROW2, FALSE);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_L_ROW1) || dlg.IsDlgItemEnabled(IDC_L_ROW2));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_L_ROW3));
    dlg.ShowDlgItems(IDC_L_TEXT, 9999, FALSE);  // a last control that does not exist: to the end
    EXPECT_TRUE(dlg.IsDlgItemVisible(IDC_L_BUTTON));
    for (int id : {IDC_L_TEXT, IDC_L_ROW1, IDC_L_ROW2, IDC_L_ROW3})
        EXPECT_FALSE(dlg.IsDlgItemVisible(id)) << id;
    dlg.ShowDlgItems(9999, IDC_L_ROW3, TRUE);  // a first control that does not exist: nothing
    EXPECT_FALSE(dlg.IsDlgItemVisible(IDC_L_ROW3));
}

TEST(DialogLayout, RadioGroupsAndTextsFromResourcesAndFormats)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_A, IDC_RADIO_C), 0);
    dlg.CheckRadioButton(IDC_RADIO_A, IDC_RADIO_C, IDC_RADIO_B);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_A, IDC_RADIO_C), IDC_RADIO_B);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_C, IDC_RADIO_A), 0);
    // A negative string id is the library's, whatever the dialog's own module; a missing one is empty.
    dlg.SetDlgItemTextW(IDC_EDIT, -IDS_ABOUT_MENU, nullptr);
    EXPECT_EQ(Text(dlg.GetDlgItem(IDC_EDIT)), L"&About...");
    dlg.SetDlgItemTextW(IDC_EDIT, 4321, nullptr);
    EXPECT_EQ(dlg.GetDlgItemTextLength(IDC_EDIT), 0);
    dlg.SetDlgItemTextW(IDC_EDIT, L"[%d]");
    dlg.SetDlgItemTextFmtCtrl(IDC_EDIT, 42);
    EXPECT_EQ(Text(dlg.GetDlgItem(IDC_EDIT)), L"[42]");
    dlg.SetDlgItemTextFmt(IDC_EDIT, L"%s", std::wstring(1500, L'w').c_str());
    EXPECT_EQ(dlg.GetDlgItemTextLength(IDC_EDIT), 1023);
}

// ---- The history list, its value and its combo box ----

namespace {

const wchar_t TestKey[] = L"Software\\GlmbxTests\\History";
const wchar_t Value[] = L"BkgImageMRU";

using Bytes = std::vector<unsigned char>;

// The value as it is stored: the count, then each entry and its terminator, then one more 0.
Bytes Layout(int maxCount, const Texts& entries, bool closing = true)
{
    Bytes bytes(reinterpret_cast<unsigned char*>(&maxCount), reinterpret_cast<unsigned char*>(&maxCount + 1));
    for (const std::wstring& entry : entries) {
        auto* chars = reinterpret_cast<const unsigned char*>(entry.c_str());
        bytes.insert(bytes.end(), chars, chars + (entry.size() + 1) * 2);
    }
    if (closing)
        bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

Texts Entries(const CSHistList& list)
{
    Texts all;
    for (int i = 0; list.GetEntry(i); ++i)
        all.push_back(list.GetEntry(i));
    return all;
}

Texts Numbered(int count)
{
    Texts all;
    for (int i = 0; i < count; ++i)
        all.push_back(L"C:\\pictures\\" + std::to_wstring(i) + L".jpg");
    return all;
}

class History : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, TestKey);
        GetProductInfo()->PushAppRootKey(L"HKCU\\Software\\GlmbxTests\\History");
    }
    void TearDown() override
    {
        GetProductInfo()->PopAppRootKey();
        RegDeleteTreeW(HKEY_CURRENT_USER, TestKey);
    }
    static void Write(const Bytes& bytes, DWORD type = REG_BINARY)
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, TestKey, Value, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    static Bytes Read(DWORD* type = nullptr)
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

TEST_F(History, StoresTheCountTheEntriesAndAClosingEmptyStringAndTheStoredMaximumWins)
{
    CSHistList list;
    list.Load(Value, 15);
    EXPECT_TRUE(list.IsEmpty());
    list.Store();
    DWORD type = 0;
    EXPECT_EQ(Read(&type), Layout(15, {}));  // six bytes
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    list.Update(L"b.jpg");
    list.Update(L"a.jpg");
    list.Store();
    EXPECT_EQ(Read(), Layout(15, {L"a.jpg", L"b.jpg"}));

    // Written with a larger maximum: that one holds after loading, for what is there and what comes.
    Write(Layout(20, Numbered(20)));
    list.Load(Value, 15);
    EXPECT_TRUE(list.GetCount() == 20 && list.GetMaxCount() == 20);
    list.Update(L"one more");
    EXPECT_EQ(list.GetCount(), 20);
    // More entries than the stored maximum: only that many are taken.
    Write(Layout(2, Numbered(5)));
    list.Load(Value, 15);
    EXPECT_EQ(Entries(list), Numbered(2));
}

TEST_F(History, UpdateMovesAnEqualEntryToTheFrontAndDropsTheOldest)
{
    CSHistList list;
    list.Load(Value, 15);
    for (const std::wstring& entry : Numbered(15))
        list.Update(entry.c_str());
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
    // Nothing to add; an entry of the list itself can be put to the front.
    list.Update(L"");
    list.Update(nullptr);
    list.Update(list.GetEntry(5));
    EXPECT_EQ(list.GetCount(), 15);
    list.SetMaxCount(3);
    EXPECT_EQ(list.GetCount(), 3);
    list.SetMaxCount(-4);
    EXPECT_TRUE(list.GetMaxCount() == 1 && list.GetCount() == 1);
}

TEST_F(History, DamagedValuesMissingKeysAndNamesNeverCrashAndKeepWhatIsWhole)
{
    Bytes cut = Layout(15, {L"whole", L"cut off"}, false);
    cut.resize(cut.size() - 4);  // the last entry loses its end and its terminator
    Bytes odd = Layout(15, {L"odd"});
    odd.push_back(0x41);
    struct Case {
        const char* what;
        Bytes bytes;
        Texts expected;
        int maxCount;
    } const cases[] = {
        {"one byte", Bytes{1}, {}, 15},
        {"three bytes", Bytes{1, 2, 3}, {}, 15},
        {"a count and nothing else", Layout(7, {}, false), {}, 7},
        {"a count of zero", Layout(0, {L"a", L"b"}), {L"a", L"b"}, 15},
        {"a negative count", Layout(-5, {L"a"}), {L"a"}, 15},
        {"an absurd count", Layout(0x7FFFFFFF, {L"a"}), {L"a"}, 15},
        {"an entry cut off", cut, {L"whole"}, 15},
        {"an odd size", odd, {L"odd"}, 15},
        {"no closing string", Layout(15, {L"x", L"y"}, false), {L"x", L"y"}, 15},
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

    // Without a value name, or without a key, there is nothing to read or write.
    Write(Layout(15, {L"a"}));
    CSHistList unnamed, rootless;
    unnamed.Load(nullptr, 15);
    EXPECT_TRUE(unnamed.IsEmpty());
    unnamed.Update(L"b");
    unnamed.Store();
    GetProductInfo()->PushAppRootKey(L"Nowhere\\Without\\A\\Root");
    rootless.Load(Value, 15);
    EXPECT_TRUE(rootless.IsEmpty());
    rootless.Update(L"c");
    rootless.Store();
    GetProductInfo()->PopAppRootKey();
    EXPECT_EQ(Read(), Layout(15, {L"a"}));
}

namespace {

// A dialog with a history box; its script runs act, then keeps the list as it is and cancels.
class HistoryDlg : public ScriptedDlg {
public:
    explicit HistoryDlg(DWORD options, std::function<void(HistoryDlg&)> act) : box(options)
    {
        script = [this, act](ScriptedDlg&) {
            act(*this);
            wchar_t text[MAX_PATH];
            for (int i = 0; i < box.GetCount(); ++i) {
                box.GetStr(i, text, MAX_PATH);
                shown.push_back(text);
            }
            if (!IsClosed())
                CloseDialog(IDCANCEL, -1);
        };
    }
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = ScriptedDlg::OnInitDialog(wParam, lParam);
        box.Init(this, IDC_HISTORY, Value);
        return result;
    }
    // The user picks the last item of the list and confirms it.
    void PickLast()
    {
        box.SetCurSel(box.GetCount() - 1);
        SendMessageW(*this, WM_COMMAND, MAKEWPARAM(IDC_HISTORY, CBN_SELENDOK), reinterpret_cast<LPARAM>(box.GetHandle()));
    }

    CSHistCB box;
    Texts shown;
};

} // namespace

TEST_F(History, TheBoxShowsTheHistoryInOrderAndOkPutsTheTextFirst)
{
    Write(Layout(15, {L"c.jpg", L"b.jpg", L"a.jpg"}));
    std::wstring editText;
    HistoryDlg dlg(CSHistCB::OptClearCmd, [&](HistoryDlg& d) {
        editText = Text(d.box.GetEditWnd());
        EXPECT_EQ(d.box.GetStyle(FALSE) & CBS_SORT, 0u);
        EXPECT_TRUE(d.box.SendMsg(CB_GETEXTENDEDUI, 0, 0));
        d.box.SetText(L"B.JPG");
        d.SimulateButton(IDOK);
    });
    EXPECT_EQ(dlg.Run(IDD_HISTORY), IDOK);
    // Unsorted although the template asks for sorting; the command item last.
    EXPECT_EQ(editText, L"c.jpg");
    EXPECT_EQ(Read(), Layout(15, {L"B.JPG", L"c.jpg", L"a.jpg"}));
    HistoryDlg again(CSHistCB::OptClearCmd, [](HistoryDlg&) {});
    again.Run(IDD_HISTORY);
    EXPECT_EQ(again.shown, (Texts{L"B.JPG", L"c.jpg", L"a.jpg", CSHistCB::pszClearListCmd}));

    // An empty history offers no clear command; a plain box none at all, and picking its last
    // item is just a choice.
    Write(Layout(15, {}));
    HistoryDlg empty(CSHistCB::OptClearCmd, [](HistoryDlg&) {});
    empty.Run(IDD_HISTORY);
    EXPECT_TRUE(empty.shown.empty());
    Write(Layout(15, {L"a.jpg"}));
    test::BoxAnswerer never(IDYES);
    HistoryDlg plain(0, [](HistoryDlg& d) { d.PickLast(); });
    plain.Run(IDD_HISTORY);
    EXPECT_EQ(plain.shown, Texts{L"a.jpg"});
    EXPECT_EQ(never.count, 0);
}

TEST_F(History, ClearingAsksFirstNoLeavesEverythingYesEmptiesTheBox)
{
    Write(Layout(15, {L"c.jpg", L"b.jpg"}));
    std::wstring editText;
    {
        test::BoxAnswerer answer(IDNO);
        HistoryDlg dlg(CSHistCB::OptClearCmd, [&](HistoryDlg& d) {
            d.PickLast();
            // The box puts the chosen item's text into the edit field: not this one.
            SetWindowTextW(d.box.GetEditWnd(), CSHistCB::pszClearListCmd);
            SetWindowTextW(d.box.GetEditWnd(), L"<CLEAR LIST...>");
            editText = Text(d.box.GetEditWnd());
            EXPECT_EQ(answer.owner, d.GetHandle());
        });
        dlg.Run(IDD_HISTORY);
        EXPECT_EQ(dlg.shown, (Texts{L"c.jpg", L"b.jpg", CSHistCB::pszClearListCmd}));
        EXPECT_EQ(answer.count, 1);
        EXPECT_EQ(answer.text, L"Are you sure you want to clear the history list?");
    }
    EXPECT_EQ(editText, L"c.jpg");
    EXPECT_EQ(Read(), Layout(15, {L"c.jpg", L"b.jpg"}));

    // Yes: the box empties and, with the second option, the history is stored at once;
    // without it nothing is written until OK.
    test::BoxAnswerer answer(IDYES);
    for (DWORD storeOnClear : {static_cast<DWORD>(CSHistCB::OptStoreOnClear), 0ul}) {
        Write(Layout(15, {L"c.jpg", L"b.jpg"}));
        Bytes stored;
        HistoryDlg clear(CSHistCB::OptClearCmd | storeOnClear, [&](HistoryDlg& d) {
            d.box.SetText(L"");
            d.PickLast();
            stored = Read();
        });
        clear.Run(IDD_HISTORY);
        EXPECT_TRUE(clear.shown.empty());
        EXPECT_EQ(stored, storeOnClear ? Layout(15, {}) : Layout(15, {L"c.jpg", L"b.jpg"}));
    }
    EXPECT_EQ(answer.count, 2);
}
