// The tray application inside the test process: its menu as the user gets it, the way out with
// the log-on questions, the icon's colour depth, "Configure", and clicks that arrive while one
// of its menus or boxes is open. Menus and boxes run nested loops on this thread: each one
// posts the test a step, which runs inside that loop and ends it.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/MyOpts.h"
#include "app/MyTB_Icon.h"
#include "app/SharedData.h"
#include "product/ProductInfo.h"
#include "tests/support/Pixels.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TrayArea.h"

namespace {

const UINT Notify = WM_USER + 1;
const UINT LeftClick = WM_USER + 2;
const UINT RightClick = WM_USER + 4;
const UINT StepMsg = WM_APP + 77;
const wchar_t Marker[] = L"GlmbxTrayMenuSeen";

// How many Down keys reach an item from no selection (the separator is skipped).
enum { KeyOpen = 1, KeyConfigure = 2, KeyAbout = 3, KeyExit = 4 };

// "id text" per item, "-" for a separator, joined with "|".
std::string MenuText(HMENU menu)
{
    std::string text;
    for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
        wchar_t name[64] = L"";
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = name;
        info.cch = 64;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        text += i ? "|" : "";
        text += (info.fType & MFT_SEPARATOR) ? "-" : std::to_string(info.wID) + " " + test::ToUtf8(name);
    }
    return text;
}

void Key(HWND hwnd, WPARAM key)
{
    PostMessageW(hwnd, WM_KEYDOWN, key, 0);
}

// A menu step that picks the item `downs` Down keys away.
std::function<void(HWND)> Choose(HWND hwnd, int downs)
{
    return [hwnd, downs](HWND) {
        for (int i = 0; i < downs; ++i)
            Key(hwnd, VK_DOWN);
        Key(hwnd, VK_RETURN);
    };
}

// The tray with a test's eyes. Each menu it tracks and each box of its thread takes the next
// step; a pop-up without one is dismissed and counted.
class TestTray : public MyTB_Icon {
public:
    using Step = std::function<void(HWND box)>;  // box: null for the menu

    TestTray() { current = this; }
    ~TestTray() override
    {
        End();
        current = nullptr;
    }

    // Start-up as Run does it, with the box hook of this thread.
    bool Begin()
    {
        hook = SetWindowsHookExW(WH_CBT, BoxHook, nullptr, GetCurrentThreadId());
        begun = InitInstance(GetModuleHandleW(nullptr), L"", SW_SHOWNORMAL) != 0;
        return begun;
    }
    // The tray's end: what remains of its window is closed, then ExitInstance, once.
    void End()
    {
        if (IsReady()) {
            Close();
            test::PumpUntil([this] { return !IsReady(); }, 5000);
        }
        if (begun)
            ExitInstance();
        begun = false;
        if (hook)
            UnhookWindowsHookEx(hook);
        hook = nullptr;
    }
    bool Ended() { return test::PumpUntil([this] { return !IsReady(); }, 10000); }
    // The handler of a posted click has come and gone.
    bool Click(LPARAM mouse)
    {
        int before = handlers;
        PostMessageW(GetHandle(), Notify, IconID, mouse);
        return test::PumpUntil([&] { return handlers > before && depth == 0; }, 15000);
    }

    LRESULT OnWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_INITMENUPOPUP) {
            ++menus;
            menuText = MenuText(reinterpret_cast<HMENU>(wParam));
            defaultId = GetMenuDefaultItem(reinterpret_cast<HMENU>(wParam), FALSE, 0);
            // Read by the menu's loop once the menu is up.
            PostMessageW(GetHandle(), StepMsg, 0, 0);
        } else if (message == StepMsg) {
            RunStep(reinterpret_cast<HWND>(lParam));
            return 0;
        } else if (message == LeftClick || message == RightClick) {
            ++clicks;
        }
        return MyTB_Icon::OnWndMessage(message, wParam, lParam);
    }
    void OnLeftClick() override { Handler([this] { MyTB_Icon::OnLeftClick(); }); }
    void OnRightClick() override { Handler([this] { MyTB_Icon::OnRightClick(); }); }

    std::deque<Step> steps;
    int menus = 0;
    std::string menuText;
    UINT defaultId = 0;
    int clicks = 0;     // click messages received
    int handlers = 0;   // click handlers started ("Open" calls the left one from the right)
    int depth = 0;      // click handlers running now
    int deepest = 0;
    int unplanned = 0;  // pop-ups that had no step

private:
    void Handler(const std::function<void()>& body)
    {
        ++handlers;
        deepest = std::max(deepest, ++depth);
        body();
        --depth;
    }
    void RunStep(HWND box)
    {
        if (!steps.empty()) {
            Step step = steps.front();
            steps.pop_front();
            step(box);
            return;
        }
        ++unplanned;
        // Not a key: a menu answers keys only while its owner has the foreground.
        if (!box)
            EndMenu();
        else
            EndDialog(box, IDCANCEL);
    }
    // A dialog or message box of this thread, at its first activation.
    static LRESULT CALLBACK BoxHook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE && current && current->IsReady()) {
            HWND box = reinterpret_cast<HWND>(wParam);
            wchar_t cls[16] = L"";
            GetClassNameW(box, cls, 16);
            if (wcscmp(cls, L"#32770") == 0 && !GetPropW(box, Marker)) {
                SetPropW(box, Marker, reinterpret_cast<HANDLE>(1));
                PostMessageW(current->GetHandle(), StepMsg, 0, reinterpret_cast<LPARAM>(box));
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline TestTray* current = nullptr;
    HHOOK hook = nullptr;
    bool begun = false;
};

const wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t AppKey[] = L"Software\\Corvantrix\\Glimpsebox";
const wchar_t SetupKey[] = L"Software\\Corvantrix\\Glimpsebox\\Setup";

// A value of the application's key, as the Properties dialog writes it.
void PutDword(const wchar_t* name, DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, AppKey, name, REG_DWORD, &value, sizeof(value));
}

void StoreFlag(unsigned int mask, bool on)
{
    DWORD flags = 0;
    DWORD size = sizeof(flags);
    RegGetValueW(HKEY_CURRENT_USER, AppKey, L"Options", RRF_RT_REG_DWORD, nullptr, &flags, &size);
    PutDword(L"Options", on ? flags | mask : flags & ~mask);
}

// Our icon's window in Wine's notification area, found by its tip.
HWND OurTrayIcon()
{
    HWND tray = test::TrayWindow();
    for (HWND icon = tray ? GetWindow(tray, GW_CHILD) : nullptr; icon; icon = GetWindow(icon, GW_HWNDNEXT)) {
        if (IsWindowVisible(icon) && test::TrayTipOf(icon) == L"Glimpsebox")
            return icon;
    }
    return nullptr;
}

std::vector<COLORREF> PixelsOf(HWND hwnd)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    return test::ScreenPixels(rc);
}

size_t Colours(std::vector<COLORREF> pixels)
{
    std::sort(pixels.begin(), pixels.end());
    return static_cast<size_t>(std::unique(pixels.begin(), pixels.end()) - pixels.begin());
}

// Our icon's pixels once the tray has painted it (more than its background colour).
std::vector<COLORREF> PaintedIcon(HWND* icon)
{
    std::vector<COLORREF> pixels;
    test::PumpUntil(
        [&] {
            *icon = OurTrayIcon();
            pixels = *icon ? PixelsOf(*icon) : std::vector<COLORREF>();
            return Colours(pixels) > 1;
        },
        5000);
    return pixels;
}

class TrayMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        holder = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP | WS_VISIBLE, 500, 400, 60, 40, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    void TearDown() override { DestroyWindow(holder); }

    // Another window of this process takes the foreground, as when the user looks elsewhere.
    bool LookElsewhere()
    {
        SetForegroundWindow(holder);
        return test::PumpUntil([&] { return GetForegroundWindow() == holder; }, 5000);
    }

    // Inside a pop-up's loop: a right and a left click arrive; they must bring the pop-up's
    // window forward and start no handler of their own.
    void ClicksBringForward(TestTray& tray, HWND expectedForeground)
    {
        ASSERT_TRUE(LookElsewhere());
        int clicks = tray.clicks, handlers = tray.handlers, menus = tray.menus;
        PostMessageW(tray, Notify, MyTB_Icon::IconID, WM_RBUTTONUP);
        PostMessageW(tray, Notify, MyTB_Icon::IconID, WM_LBUTTONUP);
        EXPECT_TRUE(test::PumpUntil([&] { return tray.clicks == clicks + 2; }, 5000));
        EXPECT_TRUE(test::PumpUntil([&] { return GetForegroundWindow() == expectedForeground; }, 5000));
        EXPECT_EQ(tray.handlers, handlers);
        EXPECT_EQ(tray.menus, menus);
        EXPECT_FALSE(tray.Mirror().IsOpen());
    }

    HWND holder = nullptr;
};

} // namespace

TEST_F(TrayMenuTest, ItemsAndNothingChosenAndClicksWhileTheMenuIsOpen)
{
    TestTray tray;
    ASSERT_TRUE(tray.Begin());
    // Escape, and a click elsewhere, end the menu without a choice.
    tray.steps.push_back([&](HWND) { Key(tray, VK_ESCAPE); });
    tray.steps.push_back([&](HWND) { EndMenu(); });
    // Two clicks on the icon while the menu is open bring it forward; it still works then.
    bool menuStayed = false;
    tray.steps.push_back([&](HWND) {
        ClicksBringForward(tray, tray.GetHandle());
        menuStayed = IsWindowVisible(FindWindowW(L"#32768", nullptr)) != FALSE;
        Key(tray, VK_ESCAPE);
    });
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(tray.Click(WM_RBUTTONUP)) << i;
    EXPECT_EQ(tray.menus, 3);
    EXPECT_EQ(tray.menuText, "113 Open|-|110 Configure|112 About|111 Exit");
    EXPECT_EQ(tray.defaultId, 113u);
    EXPECT_TRUE(menuStayed);
    EXPECT_EQ(tray.deepest, 1);
    EXPECT_EQ(tray.unplanned, 0);
    // Nothing was done: the program runs on with its icon and no mirror window.
    EXPECT_TRUE(tray.IsReady());
    EXPECT_EQ(tray.IsIconShown(), 1);
    EXPECT_FALSE(tray.Mirror().IsOpen());

    // The product's close request while the menu is open ends the program, menu and all.
    tray.steps.push_back([&](HWND) { ProductInfo::PostMyMessage(tray, MyMsgClose, GetProductInfo()->GetID()); });
    ASSERT_TRUE(tray.Click(WM_RBUTTONUP));
    EXPECT_TRUE(tray.Ended());
    EXPECT_EQ(tray.IsIconShown(), 0);
    EXPECT_EQ(tray.unplanned, 0);
}

TEST_F(TrayMenuTest, OpenOpensTheMirrorAndAnotherClickChangesNothing)
{
    test::StandinProcess shell;
    ASSERT_TRUE(shell.StartItems("60\t60\tFF0000\t0\tRed\n300\t60\t00FF00\t0\tGreen\n"));
    test::SavedValue posX(HKEY_CURRENT_USER, AppKey, MyWndOpts::pszPosX), posY(HKEY_CURRENT_USER, AppKey, MyWndOpts::pszPosY);
    TestTray tray;
    ASSERT_TRUE(tray.Begin());
    tray.steps.push_back(Choose(tray, KeyOpen));
    ASSERT_TRUE(tray.Click(WM_RBUTTONUP));
    HWND mirror = tray.Mirror().GetHandle();
    ASSERT_TRUE(tray.Mirror().IsOpen());
    EXPECT_TRUE(test::PumpUntil([&] { return IsWindowVisible(mirror) != FALSE; }, 5000));
    EXPECT_EQ(tray.Mirror().Items().GetCount(), 2);

    // A left click while it is open leaves the window and its items as they are.
    size_t mark = shell.Mark();
    ASSERT_TRUE(tray.Click(WM_LBUTTONUP));
    EXPECT_EQ(tray.Mirror().GetHandle(), mirror);
    EXPECT_EQ(tray.Mirror().Items().GetCount(), 2);
    EXPECT_TRUE(shell.LinesWith("itemrect ", mark).empty());

    PostMessageW(mirror, WM_CLOSE, 0, 0);
    EXPECT_TRUE(test::PumpUntil([&] { return !tray.Mirror().IsOpen(); }, 10000));
    EXPECT_EQ(tray.unplanned, 0);
}

TEST_F(TrayMenuTest, ClicksWhileItsBoxesAreOpenBringThemForward)
{
    TestTray tray;
    ASSERT_TRUE(tray.Begin());
    // The About box, and the window-size message; each asked for twice, shown once.
    for (WPARAM subCode : {MyMsgAbout, MyMsgWindowSize}) {
        bool seen = false;
        tray.steps.push_back([&](HWND box) {
            seen = true;
            ClicksBringForward(tray, box);
            EXPECT_TRUE(LookElsewhere());
            EXPECT_TRUE(ProductInfo::PostMyMessage(tray, subCode, MAKELPARAM(250, 180)));
            EXPECT_TRUE(test::PumpUntil([&] { return GetForegroundWindow() == box; }, 5000));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        ASSERT_TRUE(ProductInfo::PostMyMessage(tray, subCode, MAKELPARAM(250, 180)));
        ASSERT_TRUE(test::PumpUntil([&] { return seen && GetLastActivePopup(tray) == tray.GetHandle(); }, 15000))
            << subCode;
        test::PumpPending();
    }
    EXPECT_EQ(tray.unplanned, 0);
    EXPECT_EQ(tray.handlers, 0);

    // With the boxes gone, a click opens the menu again.
    tray.steps.push_back([&](HWND) { Key(tray, VK_ESCAPE); });
    ASSERT_TRUE(tray.Click(WM_RBUTTONUP));
    EXPECT_EQ(tray.menus, 1);
    EXPECT_EQ(tray.unplanned, 0);
    EXPECT_TRUE(tray.IsReady());
}

namespace {

// One message box as the tray showed it.
struct Question {
    std::wstring text;
    std::string buttons;  // "Y", "N", "C" for the buttons present
    bool questionIcon;
    int iconShown;        // the tray's icon while the question was open
};

} // namespace

TEST_F(TrayMenuTest, ExitAsksAboutTheLogOnEntries)
{
    test::SavedValue user(HKEY_CURRENT_USER, RunKey, MyTB_Icon::AutoLoadName);
    test::SavedValue machine(HKEY_LOCAL_MACHINE, RunKey, MyTB_Icon::AutoLoadName);
    const std::wstring entry = L"\"C:\\Glimpsebox\\Glimpsebox.exe\" /TB+";
    const wchar_t userQuestion[] = L"Do you want this icon to be loaded next time you log in to Windows?";
    const wchar_t allQuestion[] = L"Do you want this icon to be loaded for all users at Windows startup?";
    struct Case {
        bool user, machine;
        std::vector<WPARAM> answers;
        bool ends, userAfter, machineAfter;
    } cases[] = {
        {false, false, {}, true, false, false},
        {true, false, {IDCANCEL}, false, true, false},
        {true, false, {IDNO}, true, false, false},
        {true, false, {IDYES}, true, true, false},
        {true, true, {IDYES, IDNO}, true, true, false},
        {true, true, {IDNO, IDYES}, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.user << c.machine << " answers " << c.answers.size());
        user.Delete();
        machine.Delete();
        ASSERT_TRUE(!c.user || user.Set(entry));
        ASSERT_TRUE(!c.machine || machine.Set(entry));
        TestTray tray;
        ASSERT_TRUE(tray.Begin());
        std::vector<Question> asked;
        tray.steps.push_back(Choose(tray, KeyExit));
        for (WPARAM answer : c.answers) {
            tray.steps.push_back([&, answer](HWND box) {
                wchar_t text[256] = L"";
                GetDlgItemTextW(box, 0xFFFF, text, 256);
                std::string buttons;
                for (auto button : {std::make_pair(IDYES, "Y"), {IDNO, "N"}, {IDCANCEL, "C"}})
                    buttons += GetDlgItem(box, button.first) ? button.second : "";
                HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageW(box, 0x440, STM_GETICON, 0, 0));
                asked.push_back({text, buttons, icon == LoadIconW(nullptr, IDI_QUESTION), tray.IsIconShown()});
                PostMessageW(box, WM_COMMAND, answer, 0);
            });
        }
        ASSERT_TRUE(tray.Click(WM_RBUTTONUP));
        EXPECT_EQ(tray.unplanned, 0);
        EXPECT_TRUE(tray.steps.empty());
        ASSERT_EQ(asked.size(), c.answers.size());
        for (size_t i = 0; i < asked.size(); ++i) {
            bool aboutUser = c.user && i == 0;
            EXPECT_EQ(asked[i].text, aboutUser ? userQuestion : allQuestion) << i;
            EXPECT_EQ(asked[i].buttons, aboutUser ? "YNC" : "YN") << i;
            EXPECT_TRUE(asked[i].questionIcon) << i;
            EXPECT_EQ(asked[i].iconShown, 0) << i;
        }
        if (c.ends) {
            EXPECT_TRUE(tray.Ended());
            EXPECT_EQ(tray.IsIconShown(), 0);
        } else {
            test::PumpPending();
            EXPECT_TRUE(tray.IsReady());
            EXPECT_EQ(tray.IsIconShown(), 1);
            EXPECT_TRUE(test::PumpUntil([] { return OurTrayIcon() != nullptr; }, 5000));
        }
        EXPECT_EQ(user.Exists(), c.userAfter);
        EXPECT_EQ(machine.Exists(), c.machineAfter);
    }
}

TEST_F(TrayMenuTest, LowColourOptionSwapsTheIconOtherOptionsLeaveIt)
{
    test::SavedValue options(HKEY_CURRENT_USER, AppKey, L"Options");
    test::SavedValue border(HKEY_CURRENT_USER, AppKey, MyOpts::pszBorderType);
    StoreFlag(MyOpts::FlagLowColorIcon, false);
    std::vector<COLORREF> normal, low;
    {
        TestTray tray;
        ASSERT_TRUE(tray.Begin());
        EXPECT_EQ(tray.IsLowColor(), 0);
        HWND icon = nullptr;
        normal = PaintedIcon(&icon);
        ASSERT_FALSE(normal.empty());

        // Any other change: the icon stays where and as it is.
        StoreFlag(MyOpts::FlagStartedOnce, true);
        PutDword(MyOpts::pszBorderType, 3);
        ProductInfo::SendMyMessage(tray, MyMsgOptionsChanged, 0);
        EXPECT_EQ(tray.GetOptions().borderType, 3u);
        EXPECT_EQ(OurTrayIcon(), icon);
        EXPECT_EQ(PixelsOf(icon), normal);

        // The low-colour bit: removed and added again (a new window in the tray), 16 colours.
        StoreFlag(MyOpts::FlagLowColorIcon, true);
        ProductInfo::SendMyMessage(tray, MyMsgOptionsChanged, 0);
        EXPECT_EQ(tray.IsLowColor(), 1);
        EXPECT_FALSE(IsWindow(icon));
        low = PaintedIcon(&icon);
        EXPECT_NE(low, normal);
        // Over the tray's background: at most the 16 colours and that one.
        EXPECT_LE(Colours(low), 17u);
        EXPECT_GT(Colours(normal), 17u);

        // And back.
        StoreFlag(MyOpts::FlagLowColorIcon, false);
        ProductInfo::SendMyMessage(tray, MyMsgOptionsChanged, 0);
        EXPECT_EQ(tray.IsLowColor(), 0);
        EXPECT_FALSE(IsWindow(icon));
        EXPECT_EQ(PaintedIcon(&icon), normal);
    }

    // Set before the start: the 16-colour icon from the first moment.
    StoreFlag(MyOpts::FlagLowColorIcon, true);
    TestTray tray;
    ASSERT_TRUE(tray.Begin());
    EXPECT_EQ(tray.IsLowColor(), 1);
    HWND icon = nullptr;
    EXPECT_EQ(PaintedIcon(&icon), low);
}

namespace {

// Read out of the process's own parameter block (Wine has no query for it).
std::wstring CommandLineOf(HANDLE process)
{
    typedef LONG(WINAPI * QueryFn)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb = {};
    RTL_USER_PROCESS_PARAMETERS params = {};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0 ||
        !ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr) ||
        !ReadProcessMemory(process, peb.ProcessParameters, &params, sizeof(params), nullptr))
        return L"<unreadable>";
    std::wstring text(params.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!text.empty() &&
        !ReadProcessMemory(process, params.CommandLine.Buffer, &text[0], params.CommandLine.Length, nullptr))
        return L"<unreadable>";
    return text;
}

// A start dialog as the launcher without arguments looks for it (identity 141): it answers
// the identity and activation queries and looks at who asked, a child of this process.
class StartDialogStandIn {
public:
    StartDialogStandIn()
    {
        // A template without controls, menu, class or title: all zero but the style.
        alignas(4) WORD words[16] = {};
        reinterpret_cast<DLGTEMPLATE*>(words)->style = WS_POPUP;
        current = this;
        hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(words), nullptr,
                                          Proc, 0);
        SetPropW(hwnd, Marker, reinterpret_cast<HANDLE>(1));
    }
    ~StartDialogStandIn()
    {
        DestroyWindow(hwnd);
        Reset();
        current = nullptr;
    }
    StartDialogStandIn(const StartDialogStandIn&) = delete;
    StartDialogStandIn& operator=(const StartDialogStandIn&) = delete;

    // The launcher has asked and ended.
    bool WaitForLauncher()
    {
        return test::PumpUntil([&] { return activations > 0 && process; }, 30000) &&
               test::PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 15000);
    }
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process, &code);
        return code;
    }
    void Reset()
    {
        if (process)
            CloseHandle(process);
        process = nullptr;
        queries = activations = 0;
        image.clear();
        commandLine.clear();
    }

    int queries = 0;
    int activations = 0;
    std::wstring image;
    std::wstring commandLine;
    HANDLE process = nullptr;
    std::vector<LPARAM> notices;  // the tray's sub-code 51
    HWND hwnd = nullptr;

private:
    // The asker: a child of this process named Glimpsebox.exe.
    void FindLauncher()
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (entry.th32ParentProcessID != GetCurrentProcessId() ||
                _wcsicmp(entry.szExeFile, L"Glimpsebox.exe") != 0)
                continue;
            HANDLE found = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE,
                                       entry.th32ProcessID);
            if (!found)
                continue;
            wchar_t name[MAX_PATH] = L"";
            DWORD chars = MAX_PATH;
            QueryFullProcessImageNameW(found, 0, name, &chars);
            image = name;
            commandLine = CommandLineOf(found);
            if (process)
                CloseHandle(process);
            process = found;
        }
        CloseHandle(snapshot);
    }
    static INT_PTR CALLBACK Proc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != ProductInfo::GetMyMessage() || !current)
            return FALSE;
        LRESULT answer = 0;
        if (wParam == MyMsgIdentify && lParam == 141) {
            ++current->queries;
            current->FindLauncher();
            answer = 1;
        } else if (wParam == MyMsgActivate && lParam == 141) {
            ++current->activations;
            answer = 1;
        } else if (wParam == MyMsgTrayNotice) {
            current->notices.push_back(lParam);
        }
        SetWindowLongPtrW(dlg, DWLP_MSGRESULT, answer);
        return TRUE;
    }

    static inline StartDialogStandIn* current = nullptr;
};

} // namespace

TEST_F(TrayMenuTest, ConfigureStartsTheLauncherWithoutArguments)
{
    StartDialogStandIn dialog;
    ASSERT_NE(dialog.hwnd, nullptr);
    // The tray tells an open start dialog that it is there, and that it is going.
    GetSharedData()->hwndDlgMain = dialog.hwnd;
    TestTray tray;
    bool begun = tray.Begin();
    GetSharedData()->hwndDlgMain = nullptr;
    ASSERT_TRUE(begun);
    test::PumpPending();
    EXPECT_EQ(dialog.notices, std::vector<LPARAM>{1});
    const std::wstring launcher = test::HomeFile(L"Glimpsebox.exe");

    // From the menu, and when the mirror window asks.
    tray.steps.push_back(Choose(tray, KeyConfigure));
    for (int viaMenu = 1; viaMenu >= 0; --viaMenu) {
        SCOPED_TRACE(viaMenu ? "menu" : "sub-code 59");
        dialog.Reset();
        if (viaMenu)
            ASSERT_TRUE(tray.Click(WM_RBUTTONUP));
        else
            ASSERT_TRUE(ProductInfo::PostMyMessage(tray, MyMsgConfigure, 0));
        ASSERT_TRUE(dialog.WaitForLauncher());
        EXPECT_EQ(dialog.queries, 1);
        EXPECT_EQ(_wcsicmp(dialog.image.c_str(), launcher.c_str()), 0) << dialog.image;
        EXPECT_EQ(dialog.commandLine, L"\"" + launcher + L"\"");
        // The start-dialog role found the open one and ended.
        EXPECT_EQ(dialog.ExitCode(), 0u);
    }

    // No launcher in the home folder: the shell's message, and the tray goes on.
    {
        test::SavedValue home(HKEY_LOCAL_MACHINE, SetupKey, L"Home");
        std::wstring empty = test::NewTempDir(L"trayhome");
        ASSERT_TRUE(home.Set(empty));
        bool told = false;
        tray.steps.push_back([&](HWND box) {
            told = true;
            ClicksBringForward(tray, box);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        dialog.Reset();
        ASSERT_TRUE(ProductInfo::PostMyMessage(tray, MyMsgConfigure, 0));
        EXPECT_TRUE(test::PumpUntil([&] { return told && GetLastActivePopup(tray) == tray.GetHandle(); }, 15000));
        RemoveDirectoryW(empty.c_str());
    }
    test::PumpPending();
    EXPECT_EQ(dialog.queries, 0);
    EXPECT_TRUE(tray.IsReady());
    EXPECT_EQ(tray.IsIconShown(), 1);
    EXPECT_EQ(tray.unplanned, 0);

    GetSharedData()->hwndDlgMain = dialog.hwnd;
    tray.End();
    GetSharedData()->hwndDlgMain = nullptr;
    test::PumpPending();
    EXPECT_EQ(dialog.notices, (std::vector<LPARAM>{1, 0}));
}
