// The dialog framework: running and closing, both hook chains, control objects and what the
// dialog forwards to them, help, tooltips, child and main dialogs, the framework's controls
// (the read-only edit, combo boxes, tooltips, the history box) under messages and real input,
// resizing, remembered placement, control groups and the layout helpers, and the history value.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "product/ProductInfo.h"
#include "res/StringIds.h"
#include "sys/PrevInstance.h"
#include "tests/DialogIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/MessageSequence.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "ui/CSCombo.h"
#include "ui/CSCtrl.h"
#include "ui/CSDlg.h"
#include "ui/CSDlgChild.h"
#include "ui/CSDlgMain.h"
#include "ui/CSEdit.h"
#include "ui/CSHistCB.h"
#include "ui/TooltipCtrl.h"

using test::OkSequence;
using test::ScriptedDlg;
using test::SeqEntry;
using test::SeqWParam;

// Sizes compare and print in the system's own namespace, where the test macros look for them.
static bool operator==(const SIZE& a, const SIZE& b)
{
    return a.cx == b.cx && a.cy == b.cy;
}

static std::ostream& operator<<(std::ostream& out, const SIZE& size)
{
    return out << size.cx << " x " << size.cy;
}

namespace {

HINSTANCE Exe()
{
    return test::ExeModule();
}

using test::Library;
using test::Text;

int Count(const test::MessageLog& log, const char* who)
{
    return static_cast<int>(std::count_if(log.Records().begin(), log.Records().end(),
                                          [who](const test::SeqRecord& r) { return r.who == who; }));
}

std::vector<HWND> Children(HWND dlg)
{
    std::vector<HWND> all;
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        all.push_back(child);
    return all;
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
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        setTexts += msg == WM_SETTEXT;
        return CSEdit::OnWndMessage(msg, wParam, lParam);
    }
    int setTexts = 0;

private:
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

// A modeless IDD_BASIC for the duration of a test.
class BasicDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
        SetWindowPos(dlg, HWND_TOPMOST, 250, 250, 0, 0, SWP_NOSIZE);
    }
    void TearDown() override { dlg.Destroy(); }
    // Gives the keyboard to a control of the dialog.
    testing::AssertionResult Focus(int id, HWND expected)
    {
        SetForegroundWindow(dlg);
        dlg.SetDlgItemFocus(id);
        if (test::PumpUntil([&] { return GetFocus() == expected; }, 5000))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "no focus";
    }

    ScriptedDlg dlg;
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
    EXPECT_EQ(dlg.Modal(IDD_BASIC, Exe(), nullptr), IDOK);
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
        EXPECT_EQ(dlg.Modal(IDD_BASIC, Exe(), nullptr), c.result) << c.what;
        EXPECT_EQ(Count(log, "edit Store"), c.stores ? 1 : 0) << c.what;
    }

    ScriptedDlg dlg;
    bool openAfterOk = false, openAfterCancel = false;
    int resultWhileOpen = 0;
    dlg.script = [&](ScriptedDlg& d) {
        d.updateDataAnswer = 0;
        d.SimulateButton(IDOK);
        openAfterOk = d.IsReady() && !d.IsClosed();
        resultWhileOpen = d.GetResult();
        d.canCloseAnswer = 0;
        d.SimulateButton(IDCANCEL);
        openAfterCancel = d.IsReady() && !d.IsClosed();
        d.canCloseAnswer = 1;
        d.SimulateButton(IDCANCEL);
    };
    EXPECT_EQ(dlg.Modal(IDD_BASIC, Exe(), nullptr), IDCANCEL);
    EXPECT_TRUE(openAfterOk && openAfterCancel);
    EXPECT_EQ(resultWhileOpen, -1);
}

TEST(DialogRun, TemplatesFromTheLibraryTheProgramOrMemory)
{
    ScriptedDlg dlg;
    dlg.script = [](ScriptedDlg& d) { d.CloseDialog(IDOK, 0); };
    // The template exists in the test program only: a negative id looks in the library.
    EXPECT_EQ(dlg.Modal(-IDD_BASIC, Exe(), nullptr), -1);
    EXPECT_EQ(dlg.GetResInstance(), Library());
    EXPECT_EQ(dlg.Modal(IDD_BASIC, Exe(), nullptr), IDOK);
    EXPECT_EQ(dlg.GetResInstance(), Exe());
    // No such template, no template at all, and numbers that would be taken for names.
    for (int id : {-1, 1, 0, 0x10000, -0x10000, 0x7FFFFFFF}) {
        EXPECT_EQ(dlg.Modal(id, Exe(), nullptr), -1) << id;
        EXPECT_EQ(dlg.Modeless(id, Exe(), nullptr, TRUE), nullptr) << id;
        EXPECT_EQ(dlg.ModelessWithLoop(FALSE, id, Exe(), nullptr), -1) << id;
    }
    EXPECT_EQ(CSDlg::pDlgInit, nullptr);

    // A template in memory: ended, not destroyed.
    HRSRC found = FindResourceW(Exe(), MAKEINTRESOURCEW(IDD_BASIC), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    ScriptedDlg fromMemory;
    ASSERT_EQ(fromMemory.CreateIndirect(static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(Exe(), found))),
                                        nullptr),
              1);
    EXPECT_EQ(fromMemory.GetTemplateID(), 0u);
    EXPECT_NE(fromMemory.GetDlgCtrl(IDOK), nullptr);
    fromMemory.CloseDialog(IDOK, 0);
    EXPECT_TRUE(IsWindow(fromMemory) && !IsWindowVisible(fromMemory));
    fromMemory.Destroy();
    EXPECT_FALSE(fromMemory.IsReady());
    EXPECT_EQ(fromMemory.CreateIndirect(nullptr, nullptr), 0);
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
    EXPECT_EQ(dlg.ModelessWithLoop(TRUE, IDD_BASIC, Exe(), parent.Handle()), 42);
    EXPECT_TRUE(parentDisabled && IsWindowEnabled(parent.Handle()));
    EXPECT_TRUE(!dlg.IsReady() && dlg.IsModeless());
    EXPECT_EQ(GetForegroundWindow(), parent.Handle());

    // A quit ends the loop without being passed on; nothing runs the dialog any more, so it is gone.
    HWND window = nullptr;
    dlg.script = [&](ScriptedDlg& d) {
        window = d;
        PostQuitMessage(7);
    };
    EXPECT_EQ(dlg.ModelessWithLoop(TRUE, IDD_BASIC, Exe(), parent.Handle()), -1);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(IsWindowEnabled(parent.Handle()));
    EXPECT_FALSE(IsWindow(window) || dlg.IsClosed());

    // The window destroyed behind the loop's back; the object can run again.
    dlg.script = [](ScriptedDlg& d) { DestroyWindow(d); };
    EXPECT_EQ(dlg.ModelessWithLoop(FALSE, IDD_BASIC, Exe(), nullptr), -1);
    dlg.script = [](ScriptedDlg& d) { d.CloseDialog(3, 0); };
    EXPECT_EQ(dlg.ModelessWithLoop(FALSE, IDD_BASIC, Exe(), nullptr), 3);
}

// ---- The dialog chain ----

TEST(DialogHooks, LastAddedFirstPassingOnAndStopping)
{
    test::MessageLog log;
    ScriptedDlg dlg(&log);
    CommandHook first("first", &log, IDC_ACTION);
    CommandHook second("second", &log, IDC_ACTION, CommandHook::RunRestFirst);
    CommandHook stopper("stopper", &log, IDC_CHECK, CommandHook::Handle);
    first.AddToDlg(&dlg);
    second.AddToDlg(&dlg);
    stopper.AddToDlg(&dlg);
    second.AddToDlg(&dlg);  // already there: stays where it is
    dlg.script = [&](ScriptedDlg& d) {
        log.Clear();
        d.SimulateButton(IDC_ACTION);
        d.SimulateButton(IDC_CHECK);
        log.Pause(true);
        d.CloseDialog(IDCANCEL, 0);
    };
    dlg.Modal(IDD_BASIC, Exe(), nullptr);
    static const SeqEntry expected[] = {
        {"second", WM_COMMAND, SeqWParam, IDC_ACTION}, {"first", WM_COMMAND, SeqWParam, IDC_ACTION},
        {"OnButtonClicked", 0, SeqWParam, IDC_ACTION}, {"second after"},
        // The stopper handles it: neither the later hooks nor the dialog hear of it.
        {"stopper", WM_COMMAND, SeqWParam, IDC_CHECK}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(log, expected));
}

TEST(DialogHooks, RemovingAllDuringADispatchWaitsAndKeepsTheDialogWorking)
{
    test::MessageLog log;
    ScriptedDlg dlg(&log);
    CommandHook later("later", &log, IDC_ACTION);
    CommandHook remover("remover", &log, IDC_ACTION, CommandHook::RemoveAll);
    later.AddToDlg(&dlg);
    remover.AddToDlg(&dlg);
    dlg.script = [&](ScriptedDlg& d) {
        log.Clear();
        d.SimulateButton(IDC_ACTION);
        d.SimulateButton(IDC_ACTION);
        log.Pause(true);
        d.SimulateButton(IDOK);
    };
    EXPECT_EQ(dlg.Modal(IDD_BASIC, Exe(), nullptr), IDOK);
    static const SeqEntry expected[] = {
        {"remover", WM_COMMAND, SeqWParam, IDC_ACTION}, {"later", WM_COMMAND, SeqWParam, IDC_ACTION},
        {"OnButtonClicked", 0, SeqWParam, IDC_ACTION},
        // Gone after that dispatch; the dialog's own handler still turns clicks into calls.
        {"OnButtonClicked", 0, SeqWParam, IDC_ACTION}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(log, expected));
    EXPECT_EQ(dlg.GetResult(), IDOK);
}

// ---- Control objects ----

TEST(DialogControls, EveryControlWithAnIdGetsAnObjectThatADeclaredOneReplaces)
{
    test::MessageLog log;
    ScriptedDlg dlg;
    LoggedEdit edit(&log);
    std::vector<HWND> controls;
    dlg.script = [&](ScriptedDlg& d) {
        for (int id : {IDC_EDIT, IDC_ACTION, IDC_CHECK, IDC_COMBO, IDC_RADIO_A, IDC_RADIO_C, IDOK, IDCANCEL, IDHELP}) {
            CSCtrl* control = d.GetDlgCtrl(id);
            ASSERT_NE(control, nullptr) << id;
            EXPECT_TRUE(control->IsAutoDelete() && control->GetID() == static_cast<UINT>(id) && control->GetDlg() == &d)
                << id;
        }
        // The label without an id, the combo box's own edit field and the dialog itself have none.
        HWND label = GetWindow(d.GetDlgItem(IDC_EDIT), GW_HWNDNEXT);
        int labelId = GetDlgCtrlID(label);
        EXPECT_TRUE(labelId == -1 || labelId == 0xFFFF) << labelId;
        EXPECT_EQ(d.GetDlgCtrl(label), nullptr);
        EXPECT_EQ(d.GetDlgCtrl(GetWindow(d.GetDlgItem(IDC_COMBO), GW_CHILD)), nullptr);
        EXPECT_EQ(d.GetDlgCtrl(d.GetHandle()), nullptr);

        edit.Init(&d, IDC_EDIT);
        EXPECT_EQ(d.GetDlgCtrl(IDC_EDIT), &edit);
        SetDlgItemTextW(d, IDC_EDIT, L"typed");
        EXPECT_EQ(edit.setTexts, 1);
        EXPECT_EQ(Text(edit), L"typed");
        edit.Init(&d, IDC_ACTION);  // bound already: changes nothing
        EXPECT_EQ(edit.GetID(), static_cast<UINT>(IDC_EDIT));
        controls = Children(d);
        d.CloseDialog(IDCANCEL, 0);
    };
    dlg.Modal(IDD_BASIC, Exe(), nullptr);
    ASSERT_FALSE(controls.empty());
    for (HWND control : controls) {
        for (const WND_CACHE_ITEM& item : CSWnd::wndCache)
            EXPECT_NE(item.hwnd, control);
    }
}

TEST(DialogControls, ControlsWithoutAnIdOrWithASharedIdAreHandled)
{
    for (int dialog : {IDD_NOIDS, IDD_NOIDS_EX}) {
        ScriptedDlg dlg;
        int objects = 0;
        CSCtrl* twin = nullptr;
        HWND secondTwin = nullptr;
        dlg.script = [&](ScriptedDlg& d) {
            for (HWND child : Children(d)) {
                CSCtrl* control = d.GetDlgCtrl(child);
                int id = GetDlgCtrlID(child);
                EXPECT_TRUE(!control || (id != -1 && id != 0xFFFF));
                if (id == IDC_DUPLICATE && !control)
                    secondTwin = child;
                objects += control != nullptr;
            }
            twin = d.GetDlgCtrl(IDC_DUPLICATE);
            EXPECT_NE(d.GetDlgCtrl(0), nullptr);  // an id of 0 is still an id
            d.SimulateButton(IDOK);
        };
        EXPECT_EQ(dlg.Modal(dialog, Exe(), nullptr), IDOK) << dialog;
        EXPECT_TRUE(twin && secondTwin);  // the first control of an id has the object
        EXPECT_EQ(objects, 3) << dialog;  // id 0, the first twin, OK
    }
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
        if (brush)
            *pBrush = brush;
        return brush != nullptr;
    }
    void OnDrawItem(DRAWITEMSTRUCT*) override { seen.push_back("draw"); }
    void OnMeasureItem(MEASUREITEMSTRUCT*) override { seen.push_back("measure"); }
    void OnDeleteItem(DELETEITEMSTRUCT*) override { seen.push_back("delete"); }
};

} // namespace

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
    dlg.log = nullptr;
    EXPECT_EQ(Count(log, "OnButtonClicked"), 1);  // not handled, the click reached the dialog; handled, not

    NMHDR nm = {action, IDC_ACTION, NM_CLICK};
    probe.notifyAnswer = 77;
    EXPECT_EQ(SendMessageW(dlg, WM_NOTIFY, IDC_ACTION, reinterpret_cast<LPARAM>(&nm)), 77);
    probe.brush = GetSysColorBrush(COLOR_HIGHLIGHT);
    HDC dc = GetDC(action);
    EXPECT_EQ(SendMessageW(dlg, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(action)),
              reinterpret_cast<LRESULT>(probe.brush));
    ReleaseDC(action, dc);

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
    SendMessageW(dlg, WM_DELETEITEM, IDC_ACTION, 0);
    EXPECT_EQ(probe.seen, (std::vector<std::string>{"command 0", "command 0", "notify", "draw", "measure", "delete"}));
}

TEST(DialogControls, ItemsOfAControlWithoutObjectAreDeletedByTheDialog)
{
    class DeleteDlg : public ScriptedDlg {
    public:
        void OnDeleteItem(UINT id, void*) override { deleted.push_back(id); }
        std::vector<UINT> deleted;
    } dlg;
    ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    DELETEITEMSTRUCT item = {ODT_LISTBOX, 0xFFFF, 0, GetWindow(dlg.GetDlgItem(IDC_EDIT), GW_HWNDNEXT), 0};
    SendMessageW(dlg, WM_DELETEITEM, 0xFFFF, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(dlg.deleted, std::vector<UINT>{0xFFFF});
    dlg.Destroy();
}

TEST_F(BasicDialog, ADroppedFileSetsTheTextTheFlagsAskFor)
{
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
    edit.SetText(L"before");
    SendMessageW(edit, WM_DROPFILES, 0, 0);  // no drop at all
    EXPECT_EQ(Text(edit), L"before");
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
}

// ---- Messages the framework answers ----

namespace {

// An owner that names the help page of the dialogs it owns.
class OwnerDlg : public ScriptedDlg {
public:
    const wchar_t* GetHtmlPage(UINT id) override
    {
        askedFor = id;
        return id == IDD_BASIC ? L"owner.htm" : nullptr;
    }
    UINT askedFor = 0;
};

std::vector<std::wstring> helpOpened;
BOOL openResult = TRUE;

BOOL RecordHelp(HWND, const wchar_t* page, UINT, ULONG_PTR)
{
    helpOpened.push_back(page);
    return openResult;
}

DWORD WINAPI AskForHelpPage(void* query)
{
    auto* ask = static_cast<std::pair<HWND, HELP_PAGE_QUERY>*>(query);
    ProductInfo::SendMyMessage(ask->first, MyMsgHelp, reinterpret_cast<LPARAM>(&ask->second));
    return 0;
}

} // namespace

TEST(DialogMessages, HelpOpensTheOwnPageOrAsksTheOwnerOnItsOwnThreadOnly)
{
    CSDlg::pfnHtmlHelp = RecordHelp;
    OwnerDlg owner;
    ASSERT_NE(owner.Modeless(IDD_HOST, Exe(), nullptr, TRUE), nullptr);
    helpOpened.clear();
    ScriptedDlg dlg;
    dlg.page = L"own.htm";
    dlg.script = [](ScriptedDlg& d) {
        d.SimulateButton(IDHELP);
        EXPECT_EQ(SendMessageW(d, WM_HELP, 0, 0), 1);
        d.page = nullptr;
        d.SimulateButton(IDHELP);
        d.CloseDialog(IDCANCEL, 0);
    };
    dlg.Modal(IDD_BASIC, Exe(), owner);
    EXPECT_EQ(helpOpened, (std::vector<std::wstring>{L"own.htm", L"own.htm", L"owner.htm"}));
    EXPECT_EQ(owner.askedFor, static_cast<UINT>(IDD_BASIC));

    // No page anywhere: no help; a help system that fails, or has not hooked in, is reported.
    helpOpened.clear();
    openResult = FALSE;
    ScriptedDlg lonely;
    lonely.script = [](ScriptedDlg& d) {
        d.SimulateButton(IDHELP);
        EXPECT_TRUE(d.helpError.empty());
        d.page = L"broken.htm";
        d.SimulateButton(IDHELP);
        d.CloseDialog(IDCANCEL, 0);
    };
    lonely.Modal(IDD_BASIC, Exe(), nullptr);
    EXPECT_EQ(helpOpened, (std::vector<std::wstring>{L"broken.htm"}));
    EXPECT_EQ(lonely.helpError, L"broken.htm");
    CSDlg::pfnHtmlHelp = nullptr;
    openResult = TRUE;
    lonely.script = [](ScriptedDlg& d) {
        d.page = L"unhooked.htm";
        d.SimulateButton(IDHELP);
        d.CloseDialog(IDCANCEL, 0);
    };
    lonely.Modal(IDD_BASIC, Exe(), nullptr);
    EXPECT_EQ(lonely.helpError, L"unhooked.htm");

    // The page query: answered on the dialog's thread, ignored from another.
    HELP_PAGE_QUERY query = {IDD_BASIC, nullptr};
    ProductInfo::SendMyMessage(owner, MyMsgHelp, reinterpret_cast<LPARAM>(&query));
    EXPECT_STREQ(query.page, L"owner.htm");
    std::pair<HWND, HELP_PAGE_QUERY> ask = {owner, {IDD_BASIC, nullptr}};
    HANDLE thread = CreateThread(nullptr, 0, AskForHelpPage, &ask, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(test::PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 5000));
    CloseHandle(thread);
    EXPECT_EQ(ask.second.page, nullptr);
    EXPECT_EQ(ProductInfo::SendMyMessage(owner, MyMsgHelp, 0), 0);  // a query without a record is none
    owner.Destroy();
}

TEST_F(BasicDialog, IdentityQueryIsAnsweredForTheDialogsOwnNumberAndDelayedActionsRunOnce)
{
    dlg.identity = 141;
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 141), 1);
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 142), 0);
    EXPECT_EQ(ActivatePrevDlg(141), 1);
    dlg.identity = 0;
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 0), 0);

    class DelayDlg : public ScriptedDlg {
    public:
        void OnDelayedAction(DWORD data) override
        {
            runs.push_back(data);
            ScriptedDlg::OnDelayedAction(data);
        }
        std::vector<DWORD> runs;
    } delayed;
    ASSERT_NE(delayed.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    EXPECT_TRUE(delayed.DelayAction(5, 20) && delayed.DelayAction(6, 20));
    EXPECT_TRUE(test::PumpUntil([&] { return !delayed.runs.empty(); }, 5000));
    EXPECT_EQ(delayed.runs, std::vector<DWORD>{6});  // the last data, once
    EXPECT_FALSE(KillTimer(delayed, 1));            // the default stopped the timer
    EXPECT_EQ(delayed.DelayAction(0, 0), 1);
    delayed.Destroy();
}

namespace {

class TipDlg : public ScriptedDlg {
public:
    using CSDlg::GetTootTip;
    int GetTootTip(UINT id, wchar_t* text, UINT cch) override
    {
        asked.push_back(id);
        if (id == IDC_ACTION)
            wcsncpy(text, L"Does the action", cch);
        return id == IDC_ACTION;
    }
    int GetTootTip(UINT id, HINSTANCE& inst, WORD& strId) override
    {
        inst = Library();
        strId = IDS_ABOUT_MENU;
        return id == IDC_CHECK;
    }
    std::vector<UINT> asked;
};

TOOLINFOW ToolInfo(HWND owner, UINT_PTR id, wchar_t* text)
{
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = owner;
    info.uId = id;
    info.lpszText = text;
    return info;
}

std::wstring TipText(HWND tooltip, HWND owner, UINT_PTR id)
{
    wchar_t text[256] = L"";
    TOOLINFOW info = ToolInfo(owner, id, text);
    SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return text;
}

} // namespace

TEST(DialogMessages, TooltipTextsComeFromTheDialogAsTextOrResource)
{
    TipDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    TooltipCtrl tip;
    ASSERT_TRUE(tip.Create(dlg, 0));
    HWND action = dlg.GetDlgItem(IDC_ACTION);
    RECT rect = {0, 0, 10, 10};
    EXPECT_TRUE(tip.AddToolWnd(dlg, action) && tip.AddTool(dlg, IDC_CHECK, &rect) && tip.AddTool(dlg, IDC_RADIO_A, &rect));
    // A window tool is asked for by its control id.
    EXPECT_EQ(TipText(tip, dlg, reinterpret_cast<UINT_PTR>(action)), L"Does the action");
    EXPECT_EQ(TipText(tip, dlg, IDC_CHECK), L"&About...");
    EXPECT_EQ(TipText(tip, dlg, IDC_RADIO_A), L"");
    EXPECT_EQ(dlg.asked.front(), static_cast<UINT>(IDC_ACTION));

    // The ANSI form of the request gets the text converted into its own buffer.
    NMTTDISPINFOA ansi = {};
    ansi.hdr = {tip, IDC_ACTION, static_cast<UINT>(TTN_GETDISPINFOA)};
    SendMessageW(dlg, WM_NOTIFY, IDC_ACTION, reinterpret_cast<LPARAM>(&ansi));
    EXPECT_EQ(ansi.lpszText, ansi.szText);
    EXPECT_STREQ(ansi.szText, "Does the action");
    ansi.hdr.idFrom = IDC_CHECK;
    ansi.lpszText = nullptr;
    SendMessageW(dlg, WM_NOTIFY, IDC_CHECK, reinterpret_cast<LPARAM>(&ansi));
    EXPECT_EQ(ansi.lpszText, MAKEINTRESOURCEA(IDS_ABOUT_MENU));
    EXPECT_EQ(ansi.hinst, Library());
    EXPECT_EQ(SendMessageW(dlg, WM_NOTIFY, 0, 0), 0);  // a notification without a record is ignored
    tip.Destroy();
    dlg.Destroy();
}

TEST(DialogMessages, TooltipToolsCoverTheOwnersClientAreaAndMove)
{
    test::RecordingWindow owner;
    HWND h = owner.Handle();
    SetWindowPos(h, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    TooltipCtrl tip;
    ASSERT_TRUE(tip.Create(h, TTS_ALWAYSTIP));
    EXPECT_TRUE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT area = {10, 10, 40, 30};
    EXPECT_TRUE(tip.AddTool(h, 5, nullptr) && tip.AddTool(h, 6, &area) && tip.AddToolWnd(h, h));
    EXPECT_EQ(tip.GetCount(), 3);
    auto rectOf = [&](UINT id) {
        wchar_t text[256];
        TOOLINFOW info = ToolInfo(h, id, text);
        SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.lpszText, LPSTR_TEXTCALLBACKW);
        return info.rect;
    };
    RECT client, whole = rectOf(5), expected = {15, 7, 45, 27};
    GetClientRect(h, &client);
    EXPECT_TRUE(EqualRect(&whole, &client));
    EXPECT_TRUE(tip.MoveTool(h, 6, 5, -3));
    RECT moved = rectOf(6);
    EXPECT_TRUE(EqualRect(&moved, &expected));
    EXPECT_EQ(tip.MoveTool(h, 99, 1, 1), 0);
    tip.DelTool(h, 6);
    EXPECT_EQ(tip.GetCount(), 2);
    HWND window = tip;
    tip.Destroy();
    EXPECT_FALSE(IsWindow(window));
    TooltipCtrl orphan;
    EXPECT_EQ(orphan.GetCount(), 0);  // no window: nothing to ask
}

TEST(DialogMessages, MouseLeavingTellsOnceAtMinusOne)
{
    class StillDlg : public ScriptedDlg {
    public:
        void OnInitDone() override
        {
            ScriptedDlg::OnInitDone();
            EnableFullDrag(FALSE);  // the client area must take the mouse, not drag
        }
    } dlg;
    ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    SetWindowPos(dlg, HWND_TOPMOST, 300, 300, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(dlg);
    RECT rect;
    GetWindowRect(dlg.GetDlgItem(IDC_RADIO_C), &rect);
    // Below the radio buttons, right of the combo box: the dialog's own client area.
    const std::string x = std::to_string(rect.left + 5), y = std::to_string(rect.bottom + 20);
    const std::string enter = "mousemove " + x + " " + y + " sleep 0.1 mousemove " + std::to_string(rect.left + 7) + " " + y;
    POINT inside = {rect.left + 5, rect.bottom + 20};
    ScreenToClient(dlg, &inside);
    ASSERT_EQ(ChildWindowFromPoint(dlg, inside), dlg.GetHandle());
    ASSERT_TRUE(test::Xdo(enter));
    test::PumpPending();
    ASSERT_TRUE(test::Xdo("mousemove 5 5"));
    EXPECT_TRUE(test::PumpUntil([&] { return dlg.leaveMoves >= 1; }, 5000));
    EXPECT_EQ(dlg.leaveMoves, 1);

    // The signal itself must not ask for tracking again, or with the pointer still over the
    // dialog the leave would be reported over and over. Pointer inside, tracking cancelled,
    // then a leave: afterwards nothing is tracked.
    auto tracking = [&] {
        TRACKMOUSEEVENT query = {sizeof(query), TME_QUERY, nullptr, 0};
        return TrackMouseEvent(&query) && query.hwndTrack == dlg.GetHandle() && (query.dwFlags & TME_LEAVE);
    };
    ASSERT_TRUE(test::Xdo(enter));
    ASSERT_TRUE(test::PumpUntil(tracking, 5000));
    TRACKMOUSEEVENT cancel = {sizeof(cancel), TME_CANCEL | TME_LEAVE, dlg.GetHandle(), 0};
    TrackMouseEvent(&cancel);
    ASSERT_FALSE(tracking());
    dlg.leaveMoves = 0;
    SendMessageW(dlg, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(test::PumpUntil([&] { return dlg.leaveMoves == 1; }, 5000));
    EXPECT_FALSE(tracking());
    dlg.Destroy();
}

// ---- Child and main dialogs ----

TEST(DialogKinds, ChildSitsOnThePlaceholderAndPassesClicksToItsParent)
{
    test::MessageLog log;
    ScriptedDlg host(&log);
    ASSERT_NE(host.Modeless(IDD_HOST, Exe(), nullptr, TRUE), nullptr);
    CSDlgChild child;
    EXPECT_EQ(child.Init(nullptr, IDC_PLACEHOLDER, IDD_CHILD, Exe(), TRUE), 0);
    ASSERT_EQ(child.Init(&host, IDC_PLACEHOLDER, IDD_CHILD, Exe(), TRUE), 1);
    EXPECT_EQ(GetParent(child), host.GetHandle());
    RECT slot, placed;
    host.GetDlgItemRect(IDC_PLACEHOLDER, &slot);
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(EqualRect(&slot, &placed));
    EXPECT_FALSE(child.IsFullDrag());
    EXPECT_EQ(child.GetBackgroundSkin(), nullptr);

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

TEST(DialogKinds, MainDialogAddsAboutAndEndsItsLoopWithAQuit)
{
    class MainDlg : public CSDlgMain {
    public:
        LRESULT OnAbout() override { return ++abouts; }
        LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
        {
            LRESULT result = CSDlgMain::OnInitDialog(wParam, lParam);
            PostMsg(WM_APP + 1, 0, 0);
            return result;
        }
        LRESULT OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
        {
            if (msg != WM_APP + 1)
                return CSDlgMain::OnDlgMessage(msg, wParam, lParam);
            HMENU menu = GetSystemMenu(hwnd, FALSE);
            int last = GetMenuItemCount(menu) - 1;
            wchar_t text[64] = L"";
            GetMenuStringW(menu, last, text, 64, MF_BYPOSITION);
            aboutText = text;
            aboutId = GetMenuItemID(menu, last);
            SendMsg(WM_SYSCOMMAND, AboutCommand, 0);
            CloseDialog(5, 0);
            return 1;
        }
        int abouts = 0;
        std::wstring aboutText;
        UINT aboutId = 0;
    };

    GetProductInfo()->PushAppRootKey(L"HKCU\\Software\\GlmbxTests\\MainDialog");
    MainDlg dlg;
    EXPECT_EQ(dlg.ModelessWithLoop(FALSE, IDD_BASIC, Exe(), nullptr), 5);
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 5u);
    EXPECT_EQ(dlg.abouts, 1);
    EXPECT_EQ(dlg.aboutText, L"&About...");
    EXPECT_EQ(dlg.aboutId, 16u);
    // Its position was kept under the application's key.
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\GlmbxTests\\MainDialog", L"posLeft", RRF_RT_ANY, nullptr,
                           nullptr, nullptr),
              ERROR_SUCCESS);
    GetProductInfo()->PopAppRootKey();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\GlmbxTests\\MainDialog");
}

// ---- The framework's controls ----

TEST_F(BasicDialog, ReadOnlyEditSwallowsChangesButLetsTheCaretMove)
{
    CSEdit edit;
    edit.Init(&dlg, IDC_EDIT);
    edit.SetText(L"hello");
    edit.SetReadOnly(TRUE);
    EXPECT_TRUE(edit.GetReadOnly());
    // What the keyboard test below cannot type.
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

    // One select-all can be blocked; any other selection lifts the block too.
    edit.SetText(L"hello");
    edit.SetSel(1, 1);
    edit.BlockNextSelAll(TRUE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    edit.GetSel(start, end);
    EXPECT_EQ(end, 1);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    edit.GetSel(start, end);
    EXPECT_EQ(end, 5);
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
    ASSERT_TRUE(Focus(IDC_EDIT, edit.GetHandle()));
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
    ASSERT_TRUE(test::Xdo("type a1-."));
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
    EXPECT_TRUE(start == 0 && end == 6);
}

TEST_F(BasicDialog, ComboItemsCarryTheirDataThroughMovesAndLookups)
{
    CSCombo combo;
    combo.Init(&dlg, IDC_COMBO);
    EXPECT_EQ(combo.GetSelectedItem(), 0u);
    EXPECT_TRUE(combo.AddItem(L"zero", 10) == 1 && combo.AddItem(L"one", 11) == 1 && combo.InsertItem(0, L"first", 12) == 1);
    EXPECT_EQ(combo.InsertItem(99, L"nowhere", 13), 0);
    ASSERT_EQ(combo.GetCount(), 3);
    wchar_t buf[4];
    EXPECT_EQ(combo.GetItem(0, buf, 4), 12u);
    EXPECT_STREQ(buf, L"fir");  // cut to the buffer
    EXPECT_EQ(combo.GetItem(7, buf, 4), 0u);
    EXPECT_TRUE(combo.CanMove(0, FALSE));
    EXPECT_FALSE(combo.CanMove(0, TRUE) || combo.CanMove(2, FALSE) || combo.CanMove(3, TRUE) ||
                 combo.CanMove(0xFFFFFFFF, TRUE));
    combo.MoveItem(2, TRUE);  // "one" up, still selected and still with its data
    wchar_t text[16];
    EXPECT_EQ(combo.GetItem(1, text, 16), 11u);
    EXPECT_STREQ(text, L"one");
    EXPECT_TRUE(combo.GetCurSel() == 1 && combo.GetSelectedItem() == 11u);
    combo.MoveItem(0, TRUE);  // cannot: nothing changes
    EXPECT_EQ(combo.GetItem(0, nullptr), 12u);
    EXPECT_EQ(combo.FindItem(10), 2);
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

TEST(DialogControls, ACancelledDropDownKeepsTheEditTextUnderMessagesAndTheKeyboard)
{
    ComboDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    SetWindowPos(dlg, HWND_TOPMOST, 250, 250, 0, 0, SWP_NOSIZE);
    CSCombo combo;
    combo.Init(&dlg, IDC_COMBO);
    ASSERT_NE(combo.GetEditWnd(), nullptr);
    combo.AddItem(L"apple", 1);
    combo.AddItem(L"banana", 2);
    HWND box = combo.GetHandle(), edit = combo.GetEditWnd();
    auto notify = [&](WORD code) {
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_COMBO, code), reinterpret_cast<LPARAM>(box));
    };
    auto set = [edit](const wchar_t* text) {
        SetWindowTextW(edit, text);
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
    // A choice made in the list is shown.
    notify(CBN_DROPDOWN);
    combo.SetCurSel(1);
    notify(CBN_SELCHANGE);
    EXPECT_EQ(set(L"banana"), L"banana");
    dlg.codes.clear();
    test::PumpPending();
    // Every text set was announced with code 99, posted.
    EXPECT_GE(std::count(dlg.codes.begin(), dlg.codes.end(), CSCombo::EditTextSet), 4);
    // Leaving the box forgets a pending swallow.
    notify(CBN_DROPDOWN);
    notify(CBN_KILLFOCUS);
    EXPECT_EQ(set(L"kept"), L"kept");

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
    dlg.Destroy();
}

namespace {

SIZE WindowSize(HWND h)
{
    RECT rect;
    GetWindowRect(h, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// Asks for a size; returns the size the window then has.
SIZE Resized(HWND h, int cx, int cy)
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

// A resizable dialog that does not drag (the client area must reach the grip).
class ResizeDlg : public ScriptedDlg {
public:
    explicit ResizeDlg(int flags, MyWindowPlacement* record = nullptr) { EnableResizing(flags, record); }
    void OnInitDone() override
    {
        ScriptedDlg::OnInitDone();
        EnableFullDrag(FALSE);
    }
};

} // namespace

// ---- Size limits and the grip ----

TEST(DialogResize, NeverSmallerThanTheTemplateAndGrowthIsReported)
{
    ResizeDlg dlg(DlgResizeWidth | DlgResizeHeight);
    ASSERT_NE(dlg.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    const SIZE start = WindowSize(dlg);
    EXPECT_TRUE(dlg.GetResizeData().cx == 0 && dlg.resizes == 0);
    EXPECT_EQ(Resized(dlg, start.cx - 50, start.cy - 40), start);
    EXPECT_EQ(Resized(dlg, start.cx + 40, start.cy + 30), (SIZE{start.cx + 40, start.cy + 30}));
    EXPECT_TRUE(dlg.resizeDx == 40 && dlg.resizeDy == 30);
    EXPECT_TRUE(dlg.GetResizeData().cx == 40 && dlg.GetResizeData().cy == 30);
    // Smaller in one direction only: that one stops at the template.
    EXPECT_EQ(Resized(dlg, start.cx - 10, start.cy + 10), (SIZE{start.cx, start.cy + 10}));
    EXPECT_TRUE(dlg.resizeDx == 0 && dlg.resizeDy == 10);
    dlg.Destroy();

    ResizeDlg wide(DlgResizeWidth);
    ASSERT_NE(wide.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    EXPECT_EQ(Resized(wide, start.cx + 60, start.cy + 60), (SIZE{start.cx + 60, start.cy}));
    EXPECT_EQ(Resized(wide, start.cx + 60, start.cy - 20), (SIZE{start.cx + 60, start.cy}));
    EXPECT_EQ(wide.resizeDy, 0);
    wide.Destroy();

    // Created at its template size before the framework saw it: the first size it is then
    // given is the one it keeps.
    ScriptedDlg fixed;
    fixed.EnableResizing(DlgResizeKeepWidth | DlgResizeKeepHeight, nullptr);
    ASSERT_NE(fixed.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    const SIZE first = WindowSize(fixed), kept = {first.cx + 30, first.cy - 30};
    EXPECT_EQ(Resized(fixed, kept.cx, kept.cy), kept);
    EXPECT_EQ(Resized(fixed, first.cx, first.cy + 50), kept);
    fixed.Destroy();
}

TEST(DialogResize, TheGripAnswersAsTheSizingCornerIsDrawnAndDragsToTheLimits)
{
    ResizeDlg dlg(DlgResizeWidth);
    ASSERT_NE(dlg.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    SetWindowPos(dlg, HWND_TOPMOST, 200, 200, 0, 0, SWP_NOSIZE);
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
    EXPECT_EQ(SendMessageW(dlg, WM_SETCURSOR, reinterpret_cast<WPARAM>(dlg.GetHandle()),
                           MAKELPARAM(HTBOTTOMRIGHT, WM_MOUSEMOVE)),
              1);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
    HDC dc = GetDC(dlg);
    EXPECT_EQ(GetPixel(dc, client.right - 4, client.bottom - 4), 0xA3B4B8u);
    EXPECT_EQ(GetPixel(dc, client.right - 7, client.bottom - 3), 0xA3B4B8u);
    EXPECT_EQ(GetPixel(dc, client.right - 2, client.bottom - 3), RGB(255, 255, 255));
    ReleaseDC(dlg, dc);

    // Dragged with real input: wider, never narrower than the template, never taller.
    const SIZE start = WindowSize(dlg);
    auto drag = [&](int dx, int dy) {
        GetClientRect(dlg, &client);
        POINT grip = {client.right - 3, client.bottom - 3};
        ClientToScreen(dlg, &grip);
        return test::Xdo(test::Drag(grip, dx, dy));
    };
    ASSERT_TRUE(drag(70, 50));
    EXPECT_TRUE(test::PumpUntil([&] { return WindowSize(dlg).cx == start.cx + 70; }, 5000));
    EXPECT_EQ(WindowSize(dlg).cy, start.cy);
    ASSERT_TRUE(drag(-150, -80));
    EXPECT_TRUE(test::PumpUntil([&] { return WindowSize(dlg).cx == start.cx; }, 5000));
    EXPECT_EQ(WindowSize(dlg).cy, start.cy);
    dlg.Destroy();

    ResizeDlg plain(DlgResizeWidth | DlgResizeHeight | DlgResizeNoGrip);
    ASSERT_NE(plain.Modeless(IDD_RESIZE, Exe(), nullptr, TRUE), nullptr);
    UpdateWindow(plain);
    GetClientRect(plain, &client);
    dc = GetDC(plain);
    EXPECT_NE(GetPixel(dc, client.right - 4, client.bottom - 4), 0xA3B4B8u);
    ReleaseDC(plain, dc);
    plain.Destroy();
}

// ---- The remembered placement ----

TEST(DialogPlacement, StoredWhileRunningAndRestoredNextTime)
{
    MyWindowPlacement record;
    SIZE start = {};
    ResizeDlg dlg(DlgResizeWidth | DlgResizeHeight, &record);
    dlg.script = [&](ScriptedDlg& d) {
        // Nothing stored yet: the record is filled from the aligned template.
        EXPECT_EQ(record.length, sizeof(WINDOWPLACEMENT));
        start = WindowSize(d);
        SetWindowPos(d, nullptr, 40, 50, start.cx + 30, start.cy + 20, SWP_NOZORDER);
        d.CloseDialog(IDOK, 0);
    };
    EXPECT_EQ(dlg.Modal(IDD_RESIZE, Exe(), nullptr), IDOK);
    const RECT expected = {40, 50, 40 + start.cx + 30, 50 + start.cy + 20};
    EXPECT_TRUE(EqualRect(&record.rcNormalPosition, &expected));

    ResizeDlg again(DlgResizeWidth | DlgResizeHeight, &record);
    RECT placed = {};
    again.script = [&](ScriptedDlg& d) {
        GetWindowRect(d, &placed);
        d.CloseDialog(IDCANCEL, 0);
    };
    again.Modal(IDD_RESIZE, Exe(), nullptr);
    EXPECT_TRUE(EqualRect(&placed, &expected));
    EXPECT_TRUE(again.resizeDx == 30 && again.resizeDy == 20);  // the controls were told how far from the template
}

TEST(DialogPlacement, MinimisedDamagedOrLostRecordsOpenNormally)
{
    struct { UINT length, showCmd; RECT normal; bool usable; } const cases[] = {
        {sizeof(WINDOWPLACEMENT), SW_SHOWMINIMIZED, {60, 70, 460, 370}, true},  // minimised: restored there
        {sizeof(WINDOWPLACEMENT), SW_SHOWNORMAL, {300, 300, 100, 100}, false},  // inverted
        {sizeof(WINDOWPLACEMENT), SW_SHOWNORMAL, {30000, 30000, 30400, 30300}, false},  // off every screen
        {12345, 77, {10, 10, 20, 20}, false},  // not a placement at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.normal.left << "," << c.normal.top);
        MyWindowPlacement record;
        record.length = c.length;
        record.showCmd = c.showCmd;
        record.rcNormalPosition = c.normal;
        ResizeDlg dlg(DlgResizeWidth | DlgResizeHeight, &record);
        bool iconic = true, visible = false;
        RECT placed = {};
        dlg.script = [&](ScriptedDlg& d) {
            iconic = IsIconic(d);
            visible = IsWindowVisible(d);
            GetWindowRect(d, &placed);
            d.CloseDialog(IDCANCEL, 0);
        };
        dlg.Modal(IDD_RESIZE, Exe(), nullptr);
        EXPECT_TRUE(!iconic && visible);
        if (c.usable) {
            EXPECT_TRUE(placed.left == 60 && placed.right - placed.left == 400);
        } else {  // the template's size, on the screen
            EXPECT_TRUE(placed.right > placed.left && placed.left < GetSystemMetrics(SM_CXSCREEN));
            EXPECT_TRUE(dlg.resizeDx == 0 && dlg.resizeDy == 0);
        }
        // Closing wrote a sound record back.
        EXPECT_EQ(record.length, sizeof(WINDOWPLACEMENT));
        EXPECT_NE(record.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    }
}

// ---- Control groups ----

namespace {

const int GroupIds[] = {IDC_OUTER_FRAME, IDC_OUTER_FIRST, IDC_INNER_FIRST, IDC_INNER_LAST, IDC_OUTER_LAST,
                        IDC_BELOW_1, IDC_BELOW_2};

// Every control's rectangle as {left, top, right, bottom}, in the order of GroupIds.
std::vector<std::array<LONG, 4>> Measure(CSDlg& dlg)
{
    std::vector<std::array<LONG, 4>> layout;
    for (int id : GroupIds) {
        RECT r = CtrlRect(dlg, id);
        layout.push_back({r.left, r.top, r.right, r.bottom});
    }
    return layout;
}

} // namespace

TEST(DialogGroups, HidingAndShowingMovesTheControlsBelowAndResizesTheFrames)
{
    enum { Frame, First, InnerFirst, InnerLast, Last, Below1, Below2 };  // rows of Measure
    enum { Top = 1, Bottom = 3 };
    ScriptedDlg dlg;
    EXPECT_EQ(dlg.AddCtrlGroup(IDC_OUTER_FIRST, IDC_OUTER_LAST, IDC_OUTER_FRAME, 0), 1);
    EXPECT_EQ(dlg.AddCtrlGroup(IDC_INNER_FIRST, IDC_INNER_LAST, 0, IDC_OUTER_FIRST), 1);
    ASSERT_NE(dlg.Modeless(IDD_GROUPS, Exe(), nullptr, TRUE), nullptr);
    const auto original = Measure(dlg);
    // The outer group reaches the bottom of its frame, which ends above the next control;
    // the inner one reaches the next control of the outer group.
    const int whole = original[Frame][Bottom] - original[First][Top];
    const int inner = original[Last][Top] - original[InnerFirst][Top];
    ASSERT_GT(inner, 0);
    ASSERT_GT(whole, inner);

    // Everything below moves up, the frame around it shrinks with it.
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE), -inner);
    auto folded = Measure(dlg);
    EXPECT_EQ(folded[First][Top], original[First][Top]);
    for (int row : {Last, Below1, Below2})
        EXPECT_EQ(folded[row][Top], original[row][Top] - inner) << row;
    EXPECT_EQ(folded[Frame][Bottom], original[Frame][Bottom] - inner);
    EXPECT_FALSE(IsWindowVisible(dlg.GetDlgItem(IDC_INNER_FIRST)) || IsWindowEnabled(dlg.GetDlgItem(IDC_INNER_LAST)));
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE), 0);  // already hidden
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_INNER_FIRST, TRUE), inner);
    EXPECT_EQ(Measure(dlg), original);
    EXPECT_TRUE(IsWindowVisible(dlg.GetDlgItem(IDC_INNER_FIRST)));

    // The whole section, inner group and all.
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, FALSE), -whole);
    EXPECT_EQ(Measure(dlg)[Below1][Top], original[Below1][Top] - whole);
    EXPECT_EQ(Measure(dlg)[Frame][Bottom], original[Frame][Bottom] - whole);
    EXPECT_FALSE(IsWindowVisible(dlg.GetDlgItem(IDC_OUTER_LAST)) || IsWindowVisible(dlg.GetDlgItem(IDC_INNER_LAST)));
    EXPECT_FALSE(dlg.FindCtrlGroup(IDC_INNER_FIRST)->shown);
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, TRUE), whole);
    EXPECT_EQ(Measure(dlg), original);
    EXPECT_TRUE(IsWindowVisible(dlg.GetDlgItem(IDC_INNER_LAST)));

    // Folded inside, then folded outside, then opened: everything is back in place.
    dlg.ShowCtrlGroup(IDC_INNER_FIRST, FALSE);
    EXPECT_EQ(dlg.ShowCtrlGroup(IDC_OUTER_FIRST, FALSE), -(whole - inner));
    EXPECT_EQ(Measure(dlg)[Below2][Top], original[Below2][Top] - whole);
    dlg.ShowCtrlGroup(IDC_OUTER_FIRST, TRUE);
    EXPECT_EQ(Measure(dlg), original);

    // Unknown groups do nothing.
    EXPECT_EQ(dlg.ShowCtrlGroup(9999, FALSE), 0);
    EXPECT_EQ(dlg.FindCtrlGroup(0, IDC_OUTER_FRAME), dlg.FindCtrlGroup(IDC_OUTER_FIRST));
    EXPECT_EQ(dlg.FindCtrlGroup(0, 0), nullptr);
    EXPECT_EQ(dlg.AddCtrlGroup(0, IDC_OUTER_LAST), 0);
    dlg.Destroy();

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
    ASSERT_NE(early.Modeless(IDD_GROUPS, Exe(), nullptr, TRUE), nullptr);
    EXPECT_EQ(early.offset, -inner);
    EXPECT_EQ(Measure(early)[Below1][Top], original[Below1][Top] - inner);
    early.Destroy();
}

// ---- Layout helpers and item operations ----

TEST(DialogLayout, CentringAligningGrowingToTheTextAndRanges)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_LAYOUT, Exe(), nullptr, TRUE), nullptr);
    RECT client;
    GetClientRect(dlg, &client);
    const RECT button = CtrlRect(dlg, IDC_L_BUTTON);
    const int width = button.right - button.left;
    EXPECT_TRUE(dlg.CenterDlgItem(IDC_L_BUTTON, TRUE));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).left, (client.right - width) / 2);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).top, button.top);
    // A span narrower than the control: the half is taken towards zero, not down.
    EXPECT_TRUE(dlg.CenterDlgItem(IDC_L_BUTTON, TRUE, 10, 13));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_BUTTON).left, 10 + static_cast<int>(std::trunc((3 - width) / 2.0)));
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
    const SIZE before = WindowSize(dlg);
    const int grown = dlg.AdjustHeight(IDC_L_TEXT);
    EXPECT_GT(grown, 0);
    EXPECT_EQ(CtrlRect(dlg, IDC_L_TEXT).bottom - CtrlRect(dlg, IDC_L_TEXT).top, text.bottom - text.top + grown);
    EXPECT_EQ(WindowSize(dlg).cy, before.cy + grown);
    EXPECT_EQ(dlg.AdjustHeight(IDC_L_TEXT) + dlg.AdjustHeight(9999), 0);  // fits now; no such control

    EXPECT_TRUE(dlg.MoveCtrlToSlot(IDC_L_ROW1, IDC_L_BUTTON));
    EXPECT_EQ(CtrlRect(dlg, IDC_L_ROW1).left, CtrlRect(dlg, IDC_L_BUTTON).left);
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
    dlg.TurnDlgItem(IDC_L_ROW3, TRUE);
    EXPECT_TRUE(dlg.IsDlgItemVisible(IDC_L_ROW3) && dlg.IsDlgItemEnabled(IDC_L_ROW3));
    dlg.Destroy();
}

TEST(DialogLayout, RadioGroupsAndTextsFromResourcesAndFormats)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_A, IDC_RADIO_C), 0);
    dlg.CheckRadioButton(IDC_RADIO_A, IDC_RADIO_C, IDC_RADIO_B);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_A, IDC_RADIO_C), IDC_RADIO_B);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_C, IDC_RADIO_A), 0);
    wchar_t text[2048];
    // A negative string id is the library's, whatever the dialog's own module.
    dlg.SetDlgItemTextW(IDC_EDIT, -IDS_ABOUT_MENU, nullptr);
    dlg.GetDlgItemTextW(IDC_EDIT, text, 2048);
    EXPECT_STREQ(text, L"&About...");
    dlg.SetDlgItemTextW(IDC_EDIT, 4321, nullptr);  // no such string: empty
    EXPECT_EQ(dlg.GetDlgItemTextLength(IDC_EDIT), 0);
    dlg.SetDlgItemTextW(IDC_EDIT, L"[%d]");
    dlg.SetDlgItemTextFmtCtrl(IDC_EDIT, 42);
    dlg.GetDlgItemTextW(IDC_EDIT, text, 2048);
    EXPECT_STREQ(text, L"[42]");
    dlg.SetDlgItemTextFmt(IDC_EDIT, L"%s", std::wstring(1500, L'w').c_str());
    EXPECT_EQ(dlg.GetDlgItemTextLength(IDC_EDIT), 1023);
    EXPECT_EQ(dlg.GetDlgItemTextW(IDC_EDIT, nullptr, 10), 0);
    dlg.Destroy();
    // Without a window every operation is refused quietly.
    EXPECT_EQ(dlg.GetDlgItem(IDC_EDIT), nullptr);
    EXPECT_FALSE(dlg.SetDlgItemTextW(IDC_EDIT, L"x"));
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_A, IDC_RADIO_C), 0);
}

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
    std::wstring EditText() { return Text(box.GetEditWnd()); }
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
