// The dialog framework: running and closing, the dialog chain, control objects and what the dialog forwards
// to them, help, identity, the main dialog, item texts, combo boxes under messages and real input, resizing
// and the remembered placement, and the history list, its value and its box.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "product/ProductInfo.h"
#include "res/StringIds.h"
#include "sys/PrevInstance.h"
#include "tests/DialogIds.h"
#include "tests/support/Row.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "ui/CSCombo.h"
#include "ui/CSDlgMain.h"
#include "ui/CSEdit.h"
#include "ui/CSHistCB.h"

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

// A declared edit control that tells when the dialog asks it to keep its data.
class LoggedEdit : public CSEdit {
public:
    explicit LoggedEdit(test::MessageLog* messageLog) : log(messageLog) {}
    void OnOK() override { log->Event("edit OnOK"); CSEdit::OnOK(); }
    void Store() override { log->Event("edit Store"); }
    test::MessageLog* log;
};

// A dialog hook that logs WM_COMMAND of one control and then does as told.
class CommandHook : public WMHook {
public:
    enum Mode { Pass, Handle, RunRestFirst, RemoveAll };
    CommandHook(const char* hookName, test::MessageLog* messageLog, WORD watchId, Mode how = Pass)
        : name(hookName), log(messageLog), watch(watchId), mode(how) {}
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

TEST(DialogRun, ModalOkPassesTheHookChainThenDataControlsAndClose)
{
    test::MessageLog log;
    ScriptedDlg dlg(&log);
    LoggedEdit edit(&log);
    CommandHook hook("dialog hook", &log, IDOK);
    hook.AddToDlg(&dlg);
    dlg.script = [&](ScriptedDlg& d) {
        edit.Init(&d, IDC_EDIT);
        d.SimulateButton(IDOK);
    };
    EXPECT_EQ(dlg.Run(IDD_BASIC), IDOK);
    static const SeqEntry expected[] = {
        {"PreInit"}, {"OnInitDialog"}, {"OnInitDone"}, {"UpdateControls"}, {"script"},
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

TEST(DialogRun, TemplatesFromTheLibraryOrTheProgramAndIdsThatNameNone)
{
    ScriptedDlg dlg;
    dlg.script = [](ScriptedDlg& d) { d.CloseDialog(IDOK, 0); };
    // The template exists in the test program only: a negative id looks in the library.
    EXPECT_EQ(dlg.Modal(-IDD_BASIC, test::ExeModule(), nullptr), -1);
    EXPECT_EQ(dlg.GetResInstance(), test::Library());
    EXPECT_EQ(dlg.Run(IDD_BASIC), IDOK);
    EXPECT_EQ(dlg.GetResInstance(), test::ExeModule());
    // No such template, no template at all, and numbers that would be taken for names.
    for (int id : {-1, 1, 0, 0x10000, -0x10000, 0x7FFFFFFF})
        EXPECT_TRUE(dlg.Run(id) == -1 && dlg.Open(id) == nullptr && CSDlg::pDlgInit == nullptr) << id;
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
    MSG msg;  // the loop's wake-up went with it
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 10, WM_USER + 10, PM_REMOVE));

    // A quit ends the loop without being passed on; nothing runs the dialog any more, so it is gone.
    HWND window = nullptr;
    dlg.script = [&](ScriptedDlg& d) {
        window = d;
        PostQuitMessage(7);
    };
    EXPECT_EQ(dlg.ModelessWithLoop(TRUE, IDD_BASIC, test::ExeModule(), parent.Handle()), -1);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(IsWindowEnabled(parent.Handle()) && !IsWindow(window));
    dlg.script = [](ScriptedDlg& d) { DestroyWindow(d); };  // behind the loop's back
    EXPECT_EQ(dlg.ModelessWithLoop(FALSE, IDD_BASIC, test::ExeModule(), nullptr), -1);
}

// The walk itself is the window chain's (WindowTest); these are the dialog chain's own rules.
TEST(DialogHooks, LastAddedFirstPassingOnStoppingAndRemovingAllAfterTheDispatch)
{
    test::MessageLog log;
    CommandHook later("later", &log, IDC_ACTION), passer("passer", &log, IDC_ACTION, CommandHook::RunRestFirst);
    CommandHook remover("remover", &log, IDC_ACTION, CommandHook::RemoveAll);
    CommandHook stopper("stopper", &log, IDC_CHECK, CommandHook::Handle);
    ScriptedDlg dlg(&log);  // after its hooks: it ends first
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
}

// ---- Control objects ----

TEST(DialogControls, EveryFirstControlWithAnIdGetsAnObjectThatADeclaredOneReplaces)
{
    ScriptedDlg dlg;
    CSEdit edit;
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
    dlg.Destroy();
    for (const WND_CACHE_ITEM& item : CSWnd::wndCache)  // every binding went with its window
        EXPECT_EQ(item.hwnd, nullptr);

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
        const wchar_t* GetHtmlPage(UINT id) override { return id == IDD_BASIC ? L"owner.htm" : nullptr; }
    } owner;
    ASSERT_NE(owner.Open(IDD_BASIC), nullptr);
    CSDlg::pfnHtmlHelp = RecordHelp;
    helpOpened.clear();
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Open(IDD_BASIC, owner), nullptr);
    dlg.page = L"own.htm";
    dlg.SimulateButton(IDHELP);
    EXPECT_EQ(SendMessageW(dlg, WM_HELP, 0, 0), 1);
    dlg.page = nullptr;
    dlg.SimulateButton(IDHELP);  // the owner is asked for the page of this template
    EXPECT_EQ(helpOpened, (Texts{L"own.htm", L"own.htm", L"owner.htm"}));
    // Without an owner and a page, no help; a help system that fails, or has not hooked in, is reported.
    dlg.Destroy();
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    dlg.SimulateButton(IDHELP);
    EXPECT_TRUE(dlg.helpError.empty() && helpOpened.size() == 3);
    for (const wchar_t* page : {L"broken.htm", L"unhooked.htm"}) {
        CSDlg::pfnHtmlHelp = page[0] == L'b' ? RecordHelp : nullptr;
        dlg.page = page;
        dlg.SimulateButton(IDHELP);
        EXPECT_EQ(dlg.helpError, page);
    }
    EXPECT_EQ(ProductInfo::SendMyMessage(owner, MyMsgHelp, 0), 0);  // a query without a record is none
}

TEST(DialogMessages, TheIdentityQueryIsAnsweredForTheDialogsOwnNumberOnly)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    dlg.identity = 141;
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 141), 1);
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 142), 0);
    EXPECT_EQ(ActivatePrevDlg(141), 1);
    dlg.identity = 0;
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 0), 0);
}

// ---- A main dialog ----

TEST(DialogKinds, MainDialogAddsAboutKeepsItsPlaceAndEndsItsLoopWithAQuit)
{
    class MainDlg : public CSDlgMain {
    public:
        LRESULT OnAbout() override { return ++abouts; }
        LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
        {
            LRESULT result = CSDlgMain::OnInitDialog(wParam, lParam);
            HMENU menu = GetSystemMenu(hwnd, FALSE);
            wchar_t text[64] = L"";
            GetMenuStringW(menu, AboutCommand, text, 64, MF_BYCOMMAND);
            about = text;
            PostMsg(WM_SYSCOMMAND, AboutCommand, 0);
            PostMsg(WM_CLOSE, 0, 0);
            return result;
        }
        LRESULT OnCancel() override { return CloseDialog(5, 0); }
        int abouts = 0;
        std::wstring about;
    } dlg;
    GetProductInfo()->PushAppRootKey(L"HKCU\\Software\\GlmbxTests\\MainDialog");
    EXPECT_EQ(dlg.ModelessWithLoop(FALSE, IDD_BASIC, test::ExeModule(), nullptr), 5);
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(quit.wParam == 5 && dlg.abouts == 1 && dlg.about == L"&About...");
    // Its place was kept under the application's key.
    EXPECT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\GlmbxTests\\MainDialog", L"posLeft"), ERROR_SUCCESS);
    GetProductInfo()->PopAppRootKey();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\GlmbxTests\\MainDialog");
}

// ---- The framework's controls ----

TEST(DialogControls, ComboItemsKeepTheirDataAndACancelledDropDownKeepsTheTypedText)
{
    test::MessageLog log;
    CommandHook commands("combo", &log, IDC_COMBO);
    ScriptedDlg dlg;
    commands.AddToDlg(&dlg);
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    CSCombo combo;
    combo.Init(&dlg, IDC_COMBO);
    EXPECT_TRUE(combo.AddItem(L"apple", 11) && combo.AddItem(L"banana", 12) && combo.InsertItem(0, L"cherry", 10));
    combo.MoveItem(2, TRUE);  // "banana" up, selected there with its data
    EXPECT_TRUE(combo.GetCurSel() == 1 && combo.GetSelectedItem() == 12u && combo.FindItem(11) == 2);
    EXPECT_TRUE(combo.SelectItem(10) == 0 && combo.SelectItem(99) == -1 && !combo.CanMove(0, TRUE));

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
    const auto& records = log.Records();  // each text set announced, posted
    auto announced = [](const test::SeqRecord& r) { return r.wParam == MAKEWPARAM(IDC_COMBO, CSCombo::EditTextSet); };
    EXPECT_TRUE(test::PumpUntil([&] { return std::count_if(records.begin(), records.end(), announced) >= 6; }, 5000));

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
    EXPECT_TRUE(Text(edit) == L"ban" && IsWindow(dlg));
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
    ASSERT_TRUE(dlg.Open(IDD_RESIZE) && wide.Open(IDD_RESIZE));
    const Size start = WindowSize(dlg);
    EXPECT_EQ(Resized(dlg, start[0] - 50, start[1] - 40), start);
    EXPECT_EQ(Resized(dlg, start[0] + 40, start[1] + 30), (Size{start[0] + 40, start[1] + 30}));
    EXPECT_TRUE(dlg.resizeDx == 40 && dlg.resizeDy == 30 && dlg.GetResizeData().cx == 40 && dlg.GetResizeData().cy == 30);
    // Smaller in one direction only: that one stops at the template; a dialog that may grow wider keeps its height.
    EXPECT_EQ(Resized(dlg, start[0] - 10, start[1] + 10), (Size{start[0], start[1] + 10}));
    EXPECT_TRUE(dlg.resizeDx == 0 && dlg.resizeDy == 10);
    EXPECT_EQ(Resized(wide, start[0] + 60, start[1] + 60), (Size{start[0] + 60, start[1]}));
    EXPECT_EQ(Resized(wide, start[0] + 60, start[1] - 20), (Size{start[0] + 60, start[1]}));
    // Created at its template size before the framework saw it: the first size it is then given is the one it keeps.
    ScriptedDlg fixed;
    fixed.EnableResizing(DlgResizeKeepWidth | DlgResizeKeepHeight, nullptr);
    ASSERT_NE(fixed.Open(IDD_RESIZE), nullptr);
    const Size kept = {start[0] + 30, start[1] - 30};
    EXPECT_EQ(Resized(fixed, kept[0], kept[1]), kept);
    EXPECT_EQ(Resized(fixed, start[0], start[1] + 50), kept);
}

TEST(DialogResize, TheGripAnswersWhereItIsDrawnAndDragsToTheLimits)
{
    ResizeDlg dlg(DlgResizeWidth), plain(DlgResizeWidth | DlgResizeHeight | DlgResizeNoGrip);
    ASSERT_TRUE(dlg.Open(IDD_RESIZE) && plain.Open(IDD_RESIZE));
    SetForegroundWindow(dlg);
    UpdateWindow(dlg);
    UpdateWindow(plain);
    RECT client;
    GetClientRect(dlg, &client);
    POINT corner = {client.right - 3, client.bottom - 3};
    ClientToScreen(dlg, &corner);
    EXPECT_EQ(SendMessageW(dlg, WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y)), HTBOTTOMRIGHT);
    EXPECT_EQ(SendMessageW(dlg, WM_NCHITTEST, 0, MAKELPARAM(corner.x - 9, corner.y - 9)), HTCLIENT);
    EXPECT_TRUE(dlg.IsPtInResizingCorner(client.right - 8, client.bottom - 7));
    EXPECT_FALSE(dlg.IsPtInResizingCorner(client.right - 8, client.bottom - 8) ||
                 dlg.IsPtInResizingCorner(client.right + 2, client.bottom - 2));
    // Width only: the sizing cursor points left and right.
    EXPECT_EQ(SendMessageW(dlg, WM_SETCURSOR, 0, MAKELPARAM(HTBOTTOMRIGHT, WM_MOUSEMOVE)), 1);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
    HDC dc = GetDC(dlg), plainDc = GetDC(plain);
    EXPECT_TRUE(GetPixel(dc, client.right - 7, client.bottom - 3) == 0xA3B4B8 &&
                GetPixel(dc, client.right - 2, client.bottom - 3) == 0xFFFFFF);
    EXPECT_NE(GetPixel(plainDc, client.right - 4, client.bottom - 4), 0xA3B4B8u);
    ReleaseDC(dlg, dc);
    ReleaseDC(plain, plainDc);

    // Dragged with real input: wider, never narrower than the template, never taller.
    const Size start = WindowSize(dlg);
    for (int dx : {70, -150}) {
        GetClientRect(dlg, &client);
        POINT grip = {client.right - 3, client.bottom - 3};
        ClientToScreen(dlg, &grip);
        ASSERT_TRUE(test::Xdo(test::Drag(grip, dx, dx > 0 ? 50 : -80)));
        EXPECT_TRUE(test::PumpUntil([&] { return WindowSize(dlg) == Size{start[0] + std::max(dx, 0), start[1]}; }, 5000)) << dx;
    }
}

TEST(DialogPlacement, StoredWhileRunningAndRestoredNextTimeUnlessMinimisedOrUnsound)
{
    MyWindowPlacement record;
    Size start = {};
    ResizeDlg dlg(DlgResizeWidth | DlgResizeHeight, &record);
    dlg.script = [&](ScriptedDlg& d) {
        EXPECT_EQ(record.length, sizeof(WINDOWPLACEMENT));  // nothing was stored: filled from the template
        start = WindowSize(d);
        SetWindowPos(d, nullptr, 40, 50, start[0] + 30, start[1] + 20, SWP_NOZORDER);
        d.CloseDialog(IDOK, 0);
    };
    EXPECT_EQ(dlg.Run(IDD_RESIZE), IDOK);
    const RECT stored = {40, 50, 40 + start[0] + 30, 50 + start[1] + 20};
    EXPECT_TRUE(EqualRect(&record.rcNormalPosition, &stored));

    struct { UINT length, showCmd; RECT normal; bool usable; } const cases[] = {
        {sizeof(WINDOWPLACEMENT), SW_SHOWNORMAL, stored, true},
        {sizeof(WINDOWPLACEMENT), SW_SHOWMINIMIZED, {60, 70, 460, 370}, true},  // restored there
        {sizeof(WINDOWPLACEMENT), SW_SHOWNORMAL, {300, 300, 100, 100}, false},        // inverted
        {sizeof(WINDOWPLACEMENT), SW_SHOWNORMAL, {30000, 30000, 30400, 30300}, false},  // off every screen
        {12345, 77, {10, 10, 20, 20}, false},                                         // not a placement at all
    };
    for (const auto& c : cases) {
        test::Row trace(testing::Message() << c.normal.left << "," << c.normal.top);
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
        // Where it was, and the controls told how far from the template; else the template's size, on the screen.
        const Size grown = c.usable ? Size{c.normal.right - c.normal.left - start[0], c.normal.bottom - c.normal.top - start[1]}
                                    : Size{0, 0};
        EXPECT_EQ((Size{again.resizeDx, again.resizeDy}), grown);
        EXPECT_TRUE(c.usable ? EqualRect(&placed, &c.normal) : placed.left < GetSystemMetrics(SM_CXSCREEN));
        EXPECT_TRUE(record.length == sizeof(WINDOWPLACEMENT) && record.showCmd != SW_SHOWMINIMIZED);  // written back sound
    }
}

// ---- Item texts ----

TEST(DialogItems, TextsFromTheLibraryOrFormatsAreCutToFitAndTheCheckedRadioButtonIsFound)
{
    ScriptedDlg dlg;
    ASSERT_NE(dlg.Open(IDD_BASIC), nullptr);
    // A negative string id is the library's; a missing one is empty; formats are cut to 1023.
    dlg.SetDlgItemTextW(IDC_EDIT, -IDS_ABOUT_MENU, nullptr);
    EXPECT_EQ(Text(dlg.GetDlgItem(IDC_EDIT)), L"&About...");
    dlg.SetDlgItemTextW(IDC_EDIT, 4321, nullptr);
    EXPECT_EQ(dlg.GetDlgItemTextLength(IDC_EDIT), 0);
    dlg.SetDlgItemTextW(IDC_EDIT, L"[%d]");
    dlg.SetDlgItemTextFmtCtrl(IDC_EDIT, 42);
    EXPECT_EQ(Text(dlg.GetDlgItem(IDC_EDIT)), L"[42]");
    dlg.SetDlgItemTextFmt(IDC_EDIT, L"%s", std::wstring(1500, L'w').c_str());
    EXPECT_EQ(dlg.GetDlgItemTextLength(IDC_EDIT), 1023);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_A, IDC_RADIO_C), 0);
    dlg.CheckRadioButton(IDC_RADIO_A, IDC_RADIO_C, IDC_RADIO_B);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_A, IDC_RADIO_C), IDC_RADIO_B);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_RADIO_C, IDC_RADIO_A), 0);
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
    static void Write(const Bytes& bytes)
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, TestKey, Value, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    static Bytes Read()
    {
        Bytes bytes(4096);
        DWORD size = static_cast<DWORD>(bytes.size()), type = 0;
        LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, TestKey, Value, RRF_RT_ANY, &type, bytes.data(), &size);
        bytes.resize(status == ERROR_SUCCESS && type == REG_BINARY ? size : 0);
        return bytes;
    }
    // The entries as loaded with the given maximum, and the maximum then in force.
    static std::pair<Texts, int> Loaded(CSHistList& list, int maxCount = 15)
    {
        list.Load(Value, maxCount);
        Texts all;
        for (int i = 0; list.GetEntry(i); ++i)
            all.push_back(list.GetEntry(i));
        return {all, list.GetMaxCount()};
    }
};

} // namespace

TEST_F(History, StoresTheCountTheEntriesAndAnEmptyStringAndMovesAndDropsEntriesByTheStoredMaximum)
{
    CSHistList list;
    EXPECT_EQ(Loaded(list), (std::pair<Texts, int>{{}, 15}));
    list.Store();
    EXPECT_EQ(Read(), Layout(15, {}));  // six bytes
    // The same text in other letters is moved to the front as spelled now; the sixteenth drops the oldest.
    for (const wchar_t* entry : {L"b.jpg", L"a.jpg", L"B.JPG", L""})
        list.Update(entry);
    list.Store();
    EXPECT_EQ(Read(), Layout(15, {L"B.JPG", L"a.jpg"}));
    for (const std::wstring& entry : Numbered(16))
        list.Update(entry.c_str());
    EXPECT_TRUE(list.GetCount() == 15 && wcscmp(list.GetEntry(14), L"C:\\pictures\\1.jpg") == 0);

    // Written with a larger maximum: that one holds for what is there and what comes; more
    // entries than the stored maximum: only that many are taken.
    Write(Layout(20, Numbered(20)));
    EXPECT_EQ(Loaded(list), (std::pair<Texts, int>{Numbered(20), 20}));
    list.Update(L"one more");
    EXPECT_EQ(list.GetCount(), 20);
    Write(Layout(2, Numbered(5)));
    EXPECT_EQ(Loaded(list), (std::pair<Texts, int>{Numbered(2), 2}));
    list.SetMaxCount(-4);
    EXPECT_TRUE(list.GetMaxCount() == 1 && list.GetCount() == 1);
}

TEST_F(History, DamagedValuesAndAMissingKeyNeverCrashAndKeepWhatIsWhole)
{
    Bytes cut = Layout(15, {L"whole", L"cut off"}, false), odd = Layout(15, {L"odd"});
    cut.resize(cut.size() - 4);  // the last entry loses its end and its terminator
    odd.push_back(0x41);
    const std::tuple<const char*, Bytes, Texts, int> cases[] = {
        {"three bytes", Bytes{1, 2, 3}, {}, 15},
        {"a count and nothing else", Layout(7, {}, false), {}, 7},
        {"a count of zero", Layout(0, {L"a", L"b"}), {L"a", L"b"}, 15},
        {"a negative count", Layout(-5, {L"a"}), {L"a"}, 15},
        {"an absurd count", Layout(0x7FFFFFFF, {L"a"}), {L"a"}, 15},
        {"an entry cut off", cut, {L"whole"}, 15},
        {"an odd size", odd, {L"odd"}, 15},
        {"no closing string", Layout(15, {L"x", L"y"}, false), {L"x", L"y"}, 15},
    };
    for (const auto& [what, bytes, entries, maxCount] : cases) {
        Write(bytes);
        CSHistList list;
        EXPECT_EQ(Loaded(list), std::make_pair(entries, maxCount)) << what;
        list.Update(L"after");  // still usable
        EXPECT_STREQ(list.GetEntry(0), L"after") << what;
    }
    // Without a key there is nothing to read or write.
    Write(Layout(15, {L"a"}));
    GetProductInfo()->PushAppRootKey(L"Nowhere\\Without\\A\\Root");
    CSHistList rootless;
    EXPECT_TRUE(Loaded(rootless).first.empty());
    rootless.Update(L"c");
    rootless.Store();
    GetProductInfo()->PopAppRootKey();
    EXPECT_EQ(Read(), Layout(15, {L"a"}));
}

namespace {

// A dialog with a history box, run at once: its script acts, keeps the list as it then is and cancels.
class HistoryDlg : public ScriptedDlg {
public:
    HistoryDlg(DWORD options, std::function<void(HistoryDlg&)> act) : box(options)
    {
        script = [this, act](ScriptedDlg&) {
            act(*this);
            wchar_t text[MAX_PATH];
            for (int i = 0; i < box.GetCount(); ++i)
                shown.push_back(box.GetStr(i, text) >= 0 ? text : L"");
            edit = Text(box.GetEditWnd());
            CloseDialog(IDCANCEL, -1);
        };
        Run(IDD_HISTORY);
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
    std::wstring edit;
};

} // namespace

TEST_F(History, TheBoxShowsTheHistoryUnsortedAndClearsItOnlyAfterAYes)
{
    Write(Layout(15, {L"c.jpg", L"b.jpg"}));
    HistoryDlg ok(CSHistCB::OptClearCmd, [](HistoryDlg& d) {
        EXPECT_TRUE(!(d.box.GetStyle(FALSE) & CBS_SORT) && d.box.SendMsg(CB_GETEXTENDEDUI, 0, 0));
        d.box.SetText(L"A.JPG");
        d.box.OnOK();  // as the dialog does when it closes with OK: the text goes first
    });
    EXPECT_EQ(ok.shown, (Texts{L"A.JPG", L"c.jpg", L"b.jpg", CSHistCB::pszClearListCmd}));
    EXPECT_EQ(ok.edit, L"A.JPG");
    {
        // No: the list stays, and the command's text never shows in the edit field.
        test::BoxAnswerer answer(IDNO);
        HistoryDlg no(CSHistCB::OptClearCmd, [](HistoryDlg& d) {
            d.PickLast();
            SetWindowTextW(d.box.GetEditWnd(), L"<CLEAR LIST...>");
        });
        EXPECT_EQ(no.shown, ok.shown);
        EXPECT_EQ(no.edit, L"A.JPG");
        EXPECT_TRUE(answer.count == 1 && answer.text == L"Are you sure you want to clear the history list?");
    }
    // Yes: the box empties; stored at once with the second option, else only at OK.
    test::BoxAnswerer answer(IDYES);
    for (DWORD storeOnClear : {static_cast<DWORD>(CSHistCB::OptStoreOnClear), 0ul}) {
        Write(Layout(15, {L"c.jpg"}));
        HistoryDlg yes(CSHistCB::OptClearCmd | storeOnClear, [](HistoryDlg& d) { d.PickLast(); });
        EXPECT_TRUE(yes.shown.empty()) << storeOnClear;
        EXPECT_EQ(Read(), storeOnClear ? Layout(15, {}) : Layout(15, {L"c.jpg"})) << storeOnClear;
    }
    // An empty history offers no clear command; a plain box none at all, and picking its last
    // item is just a choice.
    Write(Layout(15, {}));
    EXPECT_TRUE(HistoryDlg(CSHistCB::OptClearCmd, [](HistoryDlg&) {}).shown.empty());
    Write(Layout(15, {L"c.jpg"}));
    EXPECT_EQ(HistoryDlg(0, [](HistoryDlg& d) { d.PickLast(); }).shown, Texts{L"c.jpg"});
    EXPECT_EQ(answer.count, 2);
}
