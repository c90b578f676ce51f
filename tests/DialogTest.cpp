// The dialog framework's message flow: running and closing, both hook chains, control objects, help, tooltips, child and main dialogs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

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
#include "ui/CSCtrl.h"
#include "ui/CSDlgChild.h"
#include "ui/CSDlgMain.h"
#include "ui/CSEdit.h"
#include "ui/TooltipCtrl.h"

using test::OkSequence;
using test::ScriptedDlg;
using test::SeqEntry;
using test::SeqOptional;
using test::SeqWParam;

namespace {

HINSTANCE Exe()
{
    return test::ExeModule();
}

HINSTANCE Library()
{
    return GetModuleHandleW(L"GLMBX32.DLL");
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
    void Store() override
    {
        log->Event("edit Store");
    }
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_SETTEXT)
            ++setTexts;
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
            log->Add(windowName.c_str(), msg, wParam);
        return 0;
    }
    int OnDlgMessage(CSDlg* dlg, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (msg != WM_COMMAND || LOWORD(wParam) != watch)
            return 0;
        log->Add(name.c_str(), msg, wParam);
        switch (mode) {
        case Handle:
            return 1;
        case RunRestFirst:
            *pResult = dlg->DoDlgMessage(msg, wParam, lParam, this);
            log->Event((name + " after").c_str());
            return 1;
        case RemoveAll:
            dlg->RemoveAllDlgHooks();
            return 0;
        default:
            return 0;
        }
    }

    std::string name;
    std::string windowName = "window " + name;

private:
    test::MessageLog* log;
    WORD watch;
    Mode mode;
};

bool CachedWindow(HWND h)
{
    for (const WND_CACHE_ITEM& item : CSWnd::wndCache) {
        if (item.hwnd == h)
            return true;
    }
    return false;
}

std::vector<HWND> Children(HWND dlg)
{
    std::vector<HWND> all;
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        all.push_back(child);
    return all;
}

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
        {"PreInit"},
        {"OnInitDialog"},
        {"OnInitDone"},
        {"UpdateControls"},
        {"script"},
        {"window dialog hook", WM_COMMAND, SeqWParam, MAKEWPARAM(IDOK, BN_CLICKED)},
        {"dialog hook", WM_COMMAND, SeqWParam, MAKEWPARAM(IDOK, BN_CLICKED)},
        {"OnButtonClicked", 0, SeqWParam, IDOK},
        {"OnOK"},
        {"UpdateData"},
        {"CanClose", 0, SeqWParam, IDOK},
        {"edit OnOK"},
        {"edit Store"},
        {"DoClose", 0, SeqWParam, IDOK},
        {"OnPostNcDestroy"},
        {nullptr},
    };
    EXPECT_TRUE(OkSequence(log, expected));
    EXPECT_EQ(dlg.GetResult(), IDOK);
    EXPECT_EQ(dlg.GetModalResult(), IDOK);
    EXPECT_TRUE(dlg.IsClosed());
    EXPECT_FALSE(dlg.IsReady());
    EXPECT_EQ(dlg.GetTemplateID(), static_cast<UINT>(IDD_BASIC));
    // The control's binding ended with its window: it can be bound again.
    EXPECT_EQ(edit.GetDlg(), nullptr);
    EXPECT_EQ(edit.GetHandle(), nullptr);
}

TEST(DialogRun, ControlsStoreTheirDataOnlyWhenTheDialogIsConfirmed)
{
    struct Case {
        const char* what;
        int result;
        int okControls;
        bool stores;
    } cases[] = {
        {"Cancel", IDCANCEL, -1, false},
        {"OK without the controls", IDOK, 0, false},
        {"another code, controls by default", 5, -1, true},
        {"Cancel with the controls asked for", IDCANCEL, 1, true},
    };
    for (const Case& c : cases) {
        test::MessageLog log;
        ScriptedDlg dlg(&log);
        LoggedEdit edit(&log);
        dlg.script = [&](ScriptedDlg& d) {
            edit.Init(&d, IDC_EDIT);
            d.CloseDialog(c.result, c.okControls);
        };
        EXPECT_EQ(dlg.Modal(IDD_BASIC, Exe(), nullptr), c.result) << c.what;
        bool stored = false;
        for (const auto& record : log.Records())
            stored = stored || record.who == "edit Store";
        EXPECT_EQ(stored, c.stores) << c.what;
    }
}

TEST(DialogRun, RefusalsKeepTheDialogOpenAndTheResultUnset)
{
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
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(resultWhileOpen, -1);
    EXPECT_TRUE(openAfterCancel);
}

TEST(DialogRun, TemplateIdsNameTheLibraryWhenNegativeAndBadIdsFail)
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
    EXPECT_EQ(dlg.CreateIndirect(nullptr, nullptr), 0);
}

TEST(DialogRun, OwnLoopEndsWithTheCloseCodeAndGivesTheParentBack)
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
    EXPECT_TRUE(parentDisabled);
    EXPECT_TRUE(IsWindowEnabled(parent.Handle()));
    EXPECT_FALSE(dlg.IsReady());
    EXPECT_TRUE(dlg.IsModeless());
    EXPECT_EQ(GetForegroundWindow(), parent.Handle());
}

TEST(DialogRun, QuitEndsTheOwnLoopWithoutPassingItOn)
{
    test::RecordingWindow parent;
    ScriptedDlg dlg;
    HWND window = nullptr;
    dlg.script = [&](ScriptedDlg& d) {
        window = d;
        PostQuitMessage(7);
    };
    EXPECT_EQ(dlg.ModelessWithLoop(TRUE, IDD_BASIC, Exe(), parent.Handle()), -1);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(IsWindowEnabled(parent.Handle()));
    // Nothing runs the dialog any more: it is gone, not left behind.
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(dlg.IsClosed());
}

TEST(DialogRun, OwnLoopEndsWhenTheWindowIsDestroyedBehindItsBack)
{
    ScriptedDlg dlg;
    dlg.script = [](ScriptedDlg& d) { DestroyWindow(d); };
    EXPECT_EQ(dlg.ModelessWithLoop(FALSE, IDD_BASIC, Exe(), nullptr), -1);
    // The object can run again.
    dlg.script = [](ScriptedDlg& d) { d.CloseDialog(3, 0); };
    EXPECT_EQ(dlg.ModelessWithLoop(FALSE, IDD_BASIC, Exe(), nullptr), 3);
}

TEST(DialogRun, DialogFromMemoryIsEndedNotDestroyed)
{
    // One button in a template built in memory: the header, menu, class, title, then the item.
    alignas(4) WORD buffer[64] = {};
    auto* header = reinterpret_cast<DLGTEMPLATE*>(buffer);
    header->style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    header->cdit = 1;
    header->cx = 100;
    header->cy = 50;
    WORD* p = reinterpret_cast<WORD*>(header + 1);
    *p++ = 0;  // menu
    *p++ = 0;  // class
    *p++ = 0;  // title
    p = reinterpret_cast<WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR(3));
    auto* item = reinterpret_cast<DLGITEMTEMPLATE*>(p);
    item->style = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
    item->x = 10;
    item->y = 10;
    item->cx = 40;
    item->cy = 14;
    item->id = IDOK;
    p = reinterpret_cast<WORD*>(item + 1);
    *p++ = 0xFFFF;
    *p++ = 0x0080;  // button
    *p++ = 0;       // text
    *p++ = 0;       // creation data

    ScriptedDlg dlg;
    ASSERT_EQ(dlg.CreateIndirect(header, nullptr), 1);
    EXPECT_EQ(dlg.GetTemplateID(), 0u);
    EXPECT_NE(dlg.GetDlgCtrl(IDOK), nullptr);
    dlg.CloseDialog(IDOK, 0);
    EXPECT_TRUE(IsWindow(dlg));
    EXPECT_FALSE(IsWindowVisible(dlg));
    dlg.Destroy();
    EXPECT_FALSE(dlg.IsReady());
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
        {"second", WM_COMMAND, SeqWParam, IDC_ACTION},
        {"first", WM_COMMAND, SeqWParam, IDC_ACTION},
        {"OnButtonClicked", 0, SeqWParam, IDC_ACTION},
        {"second after"},
        // The stopper handles it: neither the later hooks nor the dialog hear of it.
        {"stopper", WM_COMMAND, SeqWParam, IDC_CHECK},
        {nullptr},
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
        d.SimulateButton(IDOK);
    };
    EXPECT_EQ(dlg.Modal(IDD_BASIC, Exe(), nullptr), IDOK);

    static const SeqEntry expected[] = {
        {"remover", WM_COMMAND, SeqWParam, IDC_ACTION},
        {"later", WM_COMMAND, SeqWParam, IDC_ACTION},
        {"OnButtonClicked", 0, SeqWParam, IDC_ACTION},
        // Gone after that dispatch; the dialog's own handler still turns clicks into calls.
        {"OnButtonClicked", 0, SeqWParam, IDC_ACTION},
        {"OnButtonClicked", 0, SeqWParam, IDOK},
        {nullptr},
    };
    test::MessageLog filtered;
    for (const auto& record : log.Records()) {
        if (record.who == "remover" || record.who == "later" || record.who == "OnButtonClicked")
            filtered.Add(record.who.c_str(), record.msg, record.wParam);
    }
    EXPECT_TRUE(OkSequence(filtered, expected));
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
            EXPECT_TRUE(control->IsAutoDelete()) << id;
            EXPECT_EQ(control->GetID(), static_cast<UINT>(id));
            EXPECT_EQ(control->GetDlg(), &d);
        }
        // The label without an id, and the combo box's own edit field, have none.
        HWND label = GetWindow(d.GetDlgItem(IDC_EDIT), GW_HWNDNEXT);
        int labelId = GetDlgCtrlID(label);
        EXPECT_TRUE(labelId == -1 || labelId == 0xFFFF) << labelId;
        EXPECT_EQ(d.GetDlgCtrl(label), nullptr);
        EXPECT_EQ(d.GetDlgCtrl(GetWindow(d.GetDlgItem(IDC_COMBO), GW_CHILD)), nullptr);
        // The dialog itself is no control.
        EXPECT_EQ(d.GetDlgCtrl(d.GetHandle()), nullptr);

        edit.Init(&d, IDC_EDIT);
        EXPECT_EQ(d.GetDlgCtrl(IDC_EDIT), &edit);
        SetDlgItemTextW(d, IDC_EDIT, L"typed");
        EXPECT_EQ(edit.setTexts, 1);
        wchar_t text[16] = L"";
        d.GetDlgItemTextW(IDC_EDIT, text, 16);
        EXPECT_STREQ(text, L"typed");
        // Bound already: a second Init changes nothing.
        edit.Init(&d, IDC_ACTION);
        EXPECT_EQ(edit.GetID(), static_cast<UINT>(IDC_EDIT));

        controls = Children(d);
        d.CloseDialog(IDCANCEL, 0);
    };
    dlg.Modal(IDD_BASIC, Exe(), nullptr);
    ASSERT_FALSE(controls.empty());
    for (HWND control : controls)
        EXPECT_FALSE(CachedWindow(control));
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
                if (id == -1 || id == 0xFFFF) {
                    EXPECT_EQ(control, nullptr);
                }
                if (id == IDC_DUPLICATE && !control)
                    secondTwin = child;
                objects += control != nullptr;
            }
            twin = d.GetDlgCtrl(IDC_DUPLICATE);
            EXPECT_NE(d.GetDlgCtrl(0), nullptr);  // an id of 0 is still an id
            d.SimulateButton(IDOK);
        };
        EXPECT_EQ(dlg.Modal(dialog, Exe(), nullptr), IDOK) << dialog;
        EXPECT_NE(twin, nullptr);
        EXPECT_NE(secondTwin, nullptr);  // the first control of an id has the object
        EXPECT_EQ(objects, 3) << dialog;  // id 0, the first twin, OK
    }
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

} // namespace

TEST(DialogMessages, HelpOpensTheOwnPageOrAsksTheOwner)
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

    // No page anywhere: no help; a help system that fails is reported.
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

    // The help classes have not hooked in: the page cannot open.
    CSDlg::pfnHtmlHelp = nullptr;
    openResult = TRUE;
    lonely.helpError.clear();
    lonely.script = [](ScriptedDlg& d) {
        d.page = L"unhooked.htm";
        d.SimulateButton(IDHELP);
        d.CloseDialog(IDCANCEL, 0);
    };
    lonely.Modal(IDD_BASIC, Exe(), nullptr);
    EXPECT_EQ(lonely.helpError, L"unhooked.htm");
    owner.Destroy();
}

namespace {

struct HelpAsk {
    HWND to;
    HELP_PAGE_QUERY query;
};

DWORD WINAPI AskForHelpPage(void* param)
{
    auto* ask = static_cast<HelpAsk*>(param);
    ProductInfo::SendMyMessage(ask->to, MyMsgHelp, reinterpret_cast<LPARAM>(&ask->query));
    return 0;
}

} // namespace

TEST(DialogMessages, HelpPageQueryFromAnotherThreadIsIgnored)
{
    OwnerDlg owner;
    ASSERT_NE(owner.Modeless(IDD_HOST, Exe(), nullptr, TRUE), nullptr);
    HELP_PAGE_QUERY query = {IDD_BASIC, nullptr};
    ProductInfo::SendMyMessage(owner, MyMsgHelp, reinterpret_cast<LPARAM>(&query));
    EXPECT_STREQ(query.page, L"owner.htm");

    HelpAsk ask = {owner, {IDD_BASIC, nullptr}};
    HANDLE thread = CreateThread(nullptr, 0, AskForHelpPage, &ask, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(test::PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 5000));
    CloseHandle(thread);
    EXPECT_EQ(ask.query.page, nullptr);
    // A query without a record is no query.
    EXPECT_EQ(ProductInfo::SendMyMessage(owner, MyMsgHelp, 0), 0);
    owner.Destroy();
}

TEST(DialogMessages, IdentityQueryIsAnsweredForTheDialogsOwnNumber)
{
    ScriptedDlg dlg;
    dlg.identity = 141;
    ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 141), 1);
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 142), 0);
    EXPECT_EQ(ActivatePrevDlg(141), 1);
    dlg.identity = 0;
    EXPECT_EQ(ProductInfo::SendMyMessage(dlg, MyMsgIdentify, 0), 0);
    dlg.Destroy();
}

namespace {

class TipDlg : public ScriptedDlg {
public:
    using CSDlg::GetTootTip;
    int GetTootTip(UINT id, wchar_t* text, UINT cch) override
    {
        asked.push_back(id);
        if (id != IDC_ACTION)
            return 0;
        wcsncpy(text, L"Does the action", cch);
        return 1;
    }
    int GetTootTip(UINT id, HINSTANCE& inst, WORD& strId) override
    {
        if (id != IDC_CHECK)
            return 0;
        inst = Library();
        strId = IDS_ABOUT_MENU;
        return 1;
    }
    std::vector<UINT> asked;
};

std::wstring TipText(HWND tooltip, HWND owner, UINT_PTR id)
{
    wchar_t text[256] = L"";
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = owner;
    info.uId = id;
    info.lpszText = text;
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
    EXPECT_TRUE(tip.AddToolWnd(dlg, action));
    EXPECT_TRUE(tip.AddTool(dlg, IDC_CHECK, &rect));
    EXPECT_TRUE(tip.AddTool(dlg, IDC_RADIO_A, &rect));

    // A window tool is asked for by its control id.
    EXPECT_EQ(TipText(tip, dlg, reinterpret_cast<UINT_PTR>(action)), L"Does the action");
    EXPECT_EQ(TipText(tip, dlg, IDC_CHECK), L"&About...");
    EXPECT_EQ(TipText(tip, dlg, IDC_RADIO_A), L"");
    EXPECT_EQ(dlg.asked.front(), static_cast<UINT>(IDC_ACTION));

    // The ANSI form of the request gets the text converted into its own buffer.
    NMTTDISPINFOA ansi = {};
    ansi.hdr.hwndFrom = tip;
    ansi.hdr.idFrom = IDC_ACTION;
    ansi.hdr.code = TTN_GETDISPINFOA;
    SendMessageW(dlg, WM_NOTIFY, IDC_ACTION, reinterpret_cast<LPARAM>(&ansi));
    EXPECT_EQ(ansi.lpszText, ansi.szText);
    EXPECT_STREQ(ansi.szText, "Does the action");
    ansi.hdr.idFrom = IDC_CHECK;
    ansi.lpszText = nullptr;
    SendMessageW(dlg, WM_NOTIFY, IDC_CHECK, reinterpret_cast<LPARAM>(&ansi));
    EXPECT_EQ(ansi.lpszText, MAKEINTRESOURCEA(IDS_ABOUT_MENU));
    EXPECT_EQ(ansi.hinst, Library());
    // A notification without a record is ignored.
    EXPECT_EQ(SendMessageW(dlg, WM_NOTIFY, 0, 0), 0);
    tip.Destroy();
    dlg.Destroy();
}

TEST(DialogMessages, DelayedActionRunsOnceWithTheLastData)
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
    ASSERT_NE(dlg.Modeless(IDD_BASIC, Exe(), nullptr, TRUE), nullptr);
    EXPECT_TRUE(dlg.DelayAction(5, 20));
    EXPECT_TRUE(dlg.DelayAction(6, 20));
    EXPECT_TRUE(test::PumpUntil([&] { return !dlg.runs.empty(); }, 5000));
    EXPECT_EQ(dlg.runs, std::vector<DWORD>{6});
    // The default stopped the timer.
    EXPECT_FALSE(KillTimer(dlg, 1));
    EXPECT_EQ(dlg.DelayAction(0, 0), 1);
    dlg.Destroy();
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
    int x = rect.left + 5;
    int y = rect.bottom + 20;
    POINT inside = {x, y};
    ScreenToClient(dlg, &inside);
    ASSERT_EQ(ChildWindowFromPoint(dlg, inside), dlg.GetHandle());
    ASSERT_TRUE(test::Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 mousemove " +
                          std::to_string(x + 2) + " " + std::to_string(y)));
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
    ASSERT_TRUE(test::Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 mousemove " +
                          std::to_string(x + 2) + " " + std::to_string(y)));
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
        {"OnButtonClicked", 0, SeqWParam, IDC_CHILD_BUTTON},
        {"OnButtonClicked", 0, SeqWParam, IDOK},
        {"OnComboSelChanged", 0, SeqWParam, IDC_CHILD_COMBO},
        {nullptr},
    };
    EXPECT_TRUE(OkSequence(log, expected));
    // OK in the child closes nothing.
    EXPECT_TRUE(child.IsReady());
    EXPECT_TRUE(host.IsReady());
    host.Destroy();
    EXPECT_FALSE(child.IsReady());
}

TEST(DialogKinds, MainDialogAddsAboutAndEndsItsLoopWithAQuit)
{
    class MainDlg : public CSDlgMain {
    public:
        LRESULT OnAbout() override
        {
            ++abouts;
            return 1;
        }
        LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
        {
            LRESULT result = CSDlgMain::OnInitDialog(wParam, lParam);
            PostMsg(WM_APP + 1, 0, 0);
            return result;
        }
        LRESULT OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
        {
            if (msg == WM_APP + 1) {
                HMENU menu = GetSystemMenu(hwnd, FALSE);
                int count = GetMenuItemCount(menu);
                aboutText.resize(64);
                GetMenuStringW(menu, count - 1, &aboutText[0], 64, MF_BYPOSITION);
                aboutText.resize(wcslen(aboutText.c_str()));
                aboutId = GetMenuItemID(menu, count - 1);
                SendMsg(WM_SYSCOMMAND, AboutCommand, 0);
                CloseDialog(5, 0);
                return 1;
            }
            return CSDlgMain::OnDlgMessage(msg, wParam, lParam);
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
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\GlmbxTests\\MainDialog", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, L"posLeft", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
    GetProductInfo()->PopAppRootKey();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\GlmbxTests\\MainDialog");
}
