// Version tests and system queries, window placement and dialog helpers on real windows, the
// product's message boxes and the common dialogs, answered by a hook so that nothing waits on
// a person.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "product/ProductInfo.h"
#include "support/GuardedBuffer.h"
#include "support/TestSupport.h"
#include "sys/CommonDlg.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"
#include "sys/ResStr.h"
#include "sys/SysInfo.h"
#include "sys/WndUtil.h"

using test::ExpectBounded;
using test::GuardedBuffer;

namespace {

struct Received {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    UINT posFlags;  // WM_WINDOWPOSCHANGING: the flags asked for
};

// A window that records what it receives.
class Probe {
public:
    explicit Probe(DWORD style = WS_POPUP, HWND parent = nullptr, int id = 0, RECT place = {0, 0, 200, 100})
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"GlmbxTestProbe";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"probe", style, place.left, place.top, place.right - place.left,
                               place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               wc.hInstance, this);
    }
    ~Probe() { DestroyWindow(hwnd); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    std::vector<Received> Only(UINT msg) const
    {
        std::vector<Received> out;
        for (const Received& r : log)
            if (r.msg == msg)
                out.push_back(r);
        return out;
    }
    POINT Origin() const
    {
        RECT r = {};
        GetWindowRect(hwnd, &r);
        return {r.left, r.top};
    }

    HWND hwnd;
    std::vector<Received> log;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        if (auto* self = reinterpret_cast<Probe*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
            self->log.push_back({msg, wParam, lParam,
                                 msg == WM_WINDOWPOSCHANGING ? reinterpret_cast<WINDOWPOS*>(lParam)->flags : 0});
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
};

testing::AssertionResult At(const Probe& window, int left, int top)
{
    POINT at = window.Origin();
    if (at.x == left && at.y == top)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "at " << at.x << "," << at.y << ", not " << left << "," << top;
}

bool IsDialogWindow(HWND hwnd)
{
    wchar_t className[32] = L"";
    GetClassNameW(hwnd, className, 32);
    return wcscmp(className, L"#32770") == 0;
}

// Answers the modal dialogs of this thread from a WH_CBT hook as each becomes active, and keeps
// what it showed. A thread timer (modal loops dispatch it too) closes whatever a reply missed,
// so that no test can hang.
class Answerer {
public:
    using Reply = std::function<void(HWND dialog)>;
    explicit Answerer(Reply replyWith) : reply(std::move(replyWith))
    {
        current = this;
        hook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
        watchdog = SetTimer(nullptr, 0, 15000, Watchdog);
    }
    ~Answerer()
    {
        KillTimer(nullptr, watchdog);
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    Answerer(const Answerer&) = delete;
    Answerer& operator=(const Answerer&) = delete;

    int count = 0;
    std::wstring caption, text;
    HWND owner = nullptr;
    HICON icon = nullptr;

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
    {
        HWND dialog = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && current && IsDialogWindow(dialog) && !GetPropW(dialog, L"GlmbxAnswered")) {
            SetPropW(dialog, L"GlmbxAnswered", reinterpret_cast<HANDLE>(1));
            wchar_t shown[2048] = L"";
            GetWindowTextW(dialog, shown, 2048);
            current->caption = shown;
            shown[0] = 0;
            GetDlgItemTextW(dialog, 0xFFFF, shown, 2048);
            current->text = shown;
            current->owner = GetWindow(dialog, GW_OWNER);
            current->icon = reinterpret_cast<HICON>(SendDlgItemMessageW(dialog, 0x440, STM_GETICON, 0, 0));
            ++current->count;
            current->reply(dialog);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), Close, 0); }
    static BOOL CALLBACK Close(HWND hwnd, LPARAM)
    {
        if (IsDialogWindow(hwnd))
            for (WPARAM id : {IDCANCEL, IDNO, IDOK})
                PostMessageW(hwnd, WM_COMMAND, id, 0);
        return TRUE;
    }

    static inline Answerer* current = nullptr;
    Reply reply;
    HHOOK hook;
    UINT_PTR watchdog;
};

Answerer::Reply Press(WPARAM id)
{
    return [id](HWND dialog) { PostMessageW(dialog, WM_COMMAND, id, 0); };
}

void ClickOk(HWND dialog)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

enum { IdOther = 1001, IdCheck1, IdCheck2, IdSpin, IdLabel };

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG)
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* commands = reinterpret_cast<std::vector<Received>*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (msg == WM_COMMAND && commands)
        commands->push_back({msg, wParam, lParam, 0});
    return msg == WM_INITDIALOG || msg == WM_COMMAND;
}

// A dialog of the dialog manager with OK (the default button), another button, two check
// boxes, a spin control and a label; its WM_COMMAND messages go into commands.
HWND MakeDialog(std::vector<Received>& commands)
{
    struct Template {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    };
    alignas(4) const Template empty = {{WS_POPUP | WS_CAPTION, 0, 0, 10, 10, 200, 120}, 0, 0, 0};
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &empty.header, nullptr, DialogProc,
                                             reinterpret_cast<LPARAM>(&commands));
    struct {
        const wchar_t* windowClass;
        const wchar_t* text;
        DWORD style;
        int id, y;
    } const items[] = {
        {L"Button", L"OK", BS_DEFPUSHBUTTON, IDOK, 150}, {L"Button", L"Other", BS_PUSHBUTTON, IdOther, 180},
        {L"Button", L"One", BS_AUTOCHECKBOX, IdCheck1, 10}, {L"Button", L"Two", BS_AUTOCHECKBOX, IdCheck2, 35},
        {UPDOWN_CLASSW, L"", 0, IdSpin, 60}, {L"Static", L"Label", SS_LEFT, IdLabel, 90},
    };
    for (const auto& item : items)
        CreateWindowExW(0, item.windowClass, item.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | item.style, 10, item.y,
                        200, 20, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), nullptr, nullptr);
    return dialog;
}

} // namespace

// ---- Version tests and system queries ----

TEST(SystemInfo, VersionTestsAgreeWithTheSystem)
{
    OSVERSIONINFOEXW v = {};
    v.dwOSVersionInfoSize = sizeof(v);
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v)));
    bool nt = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
    EXPECT_TRUE(nt && WinNT() && !Win9x() && !Win95() && !WinMe());
    EXPECT_EQ(!!Win2K(), nt && v.dwMajorVersion >= 5);
    EXPECT_EQ(!!WinXP(), nt && (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1)));
    EXPECT_EQ(!!WinNT4(), nt && v.dwMajorVersion == 4);
    EXPECT_EQ(!!WinPro(), nt && (v.dwMajorVersion < 5 || !(v.wSuiteMask & VER_SUITE_PERSONAL)));
    BOOL wow = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow);
    EXPECT_EQ(IsWow64(), wow);

    int major = -1, minor = -1;
    DWORD comctl = GetVerDll(L"comctl32.dll", &major, &minor);
    EXPECT_GE(major, 5);
    EXPECT_EQ(comctl, static_cast<DWORD>((major << 8) | minor));
    EXPECT_EQ(GetVerDll_ComCtl32(), comctl);
    EXPECT_GE(GetVerDll(), 0x0500u);  // the shell of any NT from 2000 on
    EXPECT_EQ(GetVerDll(L"no-such-module.dll", &major, &minor), 0u);
    EXPECT_EQ(major, 0);
}

TEST(SystemInfo, TimesDrivesAndPrivileges)
{
    unsigned long expected = static_cast<unsigned long>(time(nullptr) - 819936000);
    EXPECT_LE(GetCurTime() - expected + 5, 10u);  // within five seconds either way
    FILETIME file;
    GetSysFileTime(&file);
    SYSTEMTIME utc, local;
    FileTimeToSystemTime(&file, &utc);
    EXPECT_GE(utc.wYear, 2020);
    GetLocalTime(&local);
    WORD date = GetDOSdate();
    EXPECT_EQ(date & 0x1F, local.wDay);
    EXPECT_EQ((date >> 5) & 0x0F, local.wMonth);
    EXPECT_EQ((date >> 9) + 1980, local.wYear);

    EXPECT_TRUE(IsDriveValid(2));  // C:
    EXPECT_FALSE(IsDriveValid(-1) || IsDriveValid(26));
    int free = FindAvailableDrive();
    if (free >= 0) {
        EXPECT_GE(free, 2);
        EXPECT_FALSE(IsDriveValid(free));
    }
    SingleFloppy();

    EXPECT_TRUE(EnablePrivilege(SE_SHUTDOWN_NAME, TRUE) && EnablePrivilege(SE_SHUTDOWN_NAME, FALSE));
    EXPECT_FALSE(EnablePrivilege(L"SeNoSuchPrivilege", TRUE) || EnablePrivilege(nullptr, TRUE));
    EXPECT_FALSE(StopScreenSaver());    // none runs
    EXPECT_TRUE(EnableSysKeys(FALSE));  // NT: nothing to do
    ImitateUserActivity();
    IsFastUserSwitchingEnabled();
    ExpectBounded<wchar_t>(L"Default", [](wchar_t* buf, int size) { GetDesktopName(buf, size); });
}

// ---- Placement ----

TEST(Placement, CentreMouseAndCascadeMoveOnlyThePositionAndStayOnScreen)
{
    Probe window;
    window.log.clear();
    CenterWindow(window.hwnd, nullptr);
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    EXPECT_TRUE(At(window, (desk.right - desk.left - 200) / 2, (desk.bottom - desk.top - 100) / 2));
    auto changes = window.Only(WM_WINDOWPOSCHANGING);
    ASSERT_EQ(changes.size(), 1u);
    const UINT keep = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    EXPECT_EQ(changes[0].posFlags & keep, keep);

    // On a parent near a corner of the screen: centred there, then kept inside the screen.
    Probe parent(WS_POPUP, nullptr, 0, {-150, -150, 50, 50});
    CenterWindow(window.hwnd, parent.hwnd);
    EXPECT_TRUE(At(window, 0, 0));
    HDC dc = GetDC(window.hwnd);
    int width = GetDeviceCaps(dc, HORZRES), height = GetDeviceCaps(dc, VERTRES);
    ReleaseDC(window.hwnd, dc);
    SetWindowPos(parent.hwnd, nullptr, width - 20, height - 20, 200, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow(window.hwnd, parent.hwnd);
    EXPECT_TRUE(At(window, width - 200, height - 100));
    CenterWindow(nullptr, nullptr);  // nothing to move

    ASSERT_TRUE(SetCursorPos(100, 120));
    POINT at;
    GetCursorPos(&at);
    MoveWindowToMouse(window.hwnd);
    EXPECT_TRUE(At(window, at.x, at.y));
    int maxX = GetSystemMetrics(SM_CXMAXIMIZED), maxY = GetSystemMetrics(SM_CYMAXIMIZED);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
    GetCursorPos(&at);
    MoveWindowToMouse(window.hwnd);
    EXPECT_TRUE(At(window, at.x + 200 > maxX ? maxX - 200 : at.x, at.y + 100 > maxY ? maxY - 100 : at.y));

    SetWindowPos(parent.hwnd, nullptr, 30, 40, 300, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    CascadeWindow(window.hwnd, parent.hwnd);
    EXPECT_TRUE(At(window, 30 + GetSystemMetrics(SM_CXVSCROLL), 40 + GetSystemMetrics(SM_CYCAPTION)));
    CascadeWindow(window.hwnd, nullptr);
    EXPECT_TRUE(At(window, GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYCAPTION)));
}

TEST(Placement, StoredPositionComesBackKeptOnScreen)
{
    const std::wstring sub = L"Software\\GlimpseboxTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-root";
    const std::wstring root = L"HKCU\\" + sub;
    GetProductInfo()->PushAppRootKey(root.c_str());
    Probe window;

    // Nothing stored and no key: the window stays.
    SetWndOrigin(window.hwnd, 33, 44);
    WndRestorePosition(window.hwnd, L"Main");
    EXPECT_TRUE(At(window, 33, 44));
    SetWndOrigin(window.hwnd, 120, 80);
    WndStorePosition(window.hwnd, L"Main");
    WndStorePosition(window.hwnd, L"");
    RegKey key(root.c_str(), 1);
    EXPECT_EQ(key.GetDword(L"MainposLeft", 0), 120u);
    EXPECT_EQ(key.GetDword(L"MainposTop", 0), 80u);
    EXPECT_EQ(key.GetDword(L"posLeft", 0), 120u);
    SetWndOrigin(window.hwnd, 0, 0);
    WndRestorePosition(window.hwnd, L"Main");
    EXPECT_TRUE(At(window, 120, 80));

    int screenX = GetSystemMetrics(SM_CXSCREEN), screenY = GetSystemMetrics(SM_CYSCREEN);
    struct { int left, top, wantLeft, wantTop; } const cases[] = {
        {screenX - 10, screenY - 10, screenX - 100, screenY - 50}, {-150, -30, -100, 0}, {-100, 5, -100, 5},
        {screenX - 100, 0, screenX - 100, 0},
    };
    for (const auto& c : cases) {
        key.PutInt(L"TposLeft", c.left);
        key.PutInt(L"TposTop", c.top);
        WndRestorePosition(window.hwnd, L"T");
        EXPECT_TRUE(At(window, c.wantLeft, c.wantTop));
    }
    // Missing values default to where the window is.
    SetWndOrigin(window.hwnd, 7, 9);
    WndRestorePosition(window.hwnd, L"Nothing");
    EXPECT_TRUE(At(window, 7, 9));
    GetProductInfo()->PopAppRootKey();
    RegDeleteTreeW(HKEY_CURRENT_USER, sub.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\GlimpseboxTests");
}

TEST(Placement, ThinWrappersNeitherActivateNorReorder)
{
    Probe parent(WS_POPUP | WS_VISIBLE, nullptr, 0, {50, 50, 450, 350});
    Probe child(WS_CHILD | WS_VISIBLE, parent.hwnd, 77, {10, 20, 110, 70});
    Probe grandChild(WS_CHILD, child.hwnd, 78, {1, 1, 5, 5});
    child.log.clear();
    // Child coordinates are the parent's client coordinates.
    RECT r, client;
    GetClientRect(parent.hwnd, &client);
    EXPECT_TRUE(OffsetWnd(child.hwnd, 5, -3) && ResizeWnd(child.hwnd, 10, 20));
    ASSERT_TRUE(GetCtrlRect(child.hwnd, &r));
    EXPECT_TRUE(r.left == 15 && r.top == 17 && r.right - r.left == 110 && r.bottom - r.top == 70);
    EXPECT_TRUE(SetWndPos(child.hwnd, 1, 2, 30, 40) && MoveDlgItem(parent.hwnd, 77, 3, 4) &&
                ResizeDlgItem(parent.hwnd, 77, 100, 60) && CenterDlgItem(parent.hwnd, 77, TRUE, FALSE));
    ASSERT_TRUE(GetDlgItemRect(parent.hwnd, 77, &r));
    EXPECT_TRUE(r.left == (client.right - 100) / 2 && r.top == 4 && r.bottom == 64);
    EXPECT_TRUE(CenterCtrl(child.hwnd) && GetCtrlRect(child.hwnd, &r));
    EXPECT_EQ(r.top, (client.bottom - 60) / 2);
    EXPECT_FALSE(MoveDlgItem(parent.hwnd, 999, 0, 0) || GetDlgItemRect(parent.hwnd, 999, &r));
    for (const Received& change : child.Only(WM_WINDOWPOSCHANGING))
        EXPECT_EQ(change.posFlags & (SWP_NOZORDER | SWP_NOACTIVATE), static_cast<UINT>(SWP_NOZORDER | SWP_NOACTIVATE));

    EXPECT_EQ(GetTopParent(grandChild.hwnd), parent.hwnd);
    EXPECT_EQ(GetTopParent(parent.hwnd), parent.hwnd);
    EXPECT_EQ(GetTopParent(nullptr), nullptr);
    // A style that changes is applied with its frame; one that does not is no change.
    EXPECT_TRUE(ModifyStyle(child.hwnd, 0, WS_BORDER));
    EXPECT_FALSE(ModifyStyle(child.hwnd, 0, WS_BORDER));
    child.log.clear();
    EXPECT_TRUE(ModifyStyle(child.hwnd, WS_BORDER, 0, SWP_NOACTIVATE));
    auto frame = child.Only(WM_WINDOWPOSCHANGING);
    ASSERT_FALSE(frame.empty());
    EXPECT_TRUE(frame[0].posFlags & SWP_FRAMECHANGED);
    EXPECT_TRUE(ModifyWndStyle(child.hwnd, GWL_EXSTYLE, 0, WS_EX_CLIENTEDGE));
    EXPECT_TRUE(GetWndStyle(child.hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

// ---- Dialog items and messages ----

TEST(DialogHelpers, DefaultButtonSpinChecksAndFocus)
{
    std::vector<Received> commands;
    HWND dialog = MakeDialog(commands);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    auto type = [dialog](int id) { return GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE) & BS_TYPEMASK; };
    EXPECT_EQ(GetDlgDefBtnID(dialog), static_cast<UINT>(IDOK));
    SetDlgDefBtnID(dialog, IdOther);
    EXPECT_EQ(GetDlgDefBtnID(dialog), static_cast<UINT>(IdOther));
    EXPECT_EQ(type(IdOther), BS_DEFPUSHBUTTON);
    EXPECT_EQ(type(IDOK), BS_PUSHBUTTON);

    SetDlgItemSpinRange(dialog, IdSpin, 5, 50);
    EXPECT_EQ(SendDlgItemMsg(dialog, IdSpin, UDM_GETRANGE), MAKELONG(50, 5));
    const UINT checks[] = {IdCheck1, IdCheck2};
    CheckDlgIDs(dialog, checks, 2, BST_CHECKED);
    EXPECT_TRUE(IsDlgButtonChecked(dialog, IdCheck1) && IsDlgButtonChecked(dialog, IdCheck2));
    CheckDlgIDs(dialog, checks, 1, BST_UNCHECKED);
    EXPECT_TRUE(!IsDlgButtonChecked(dialog, IdCheck1) && IsDlgButtonChecked(dialog, IdCheck2));

    EXPECT_TRUE(EnableDlgItem(dialog, IdCheck1, FALSE));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IdCheck1)));
    EXPECT_TRUE(ShowDlgItem(dialog, IdCheck2, FALSE));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IdCheck2)));
    EXPECT_FALSE(EnableDlgItem(dialog, 999, TRUE) || ShowDlgItem(dialog, 999, TRUE) || SetDlgItemFocus(dialog, 999));
    for (int id : {static_cast<int>(IDOK), static_cast<int>(IdOther)}) {
        EXPECT_TRUE(SetDlgItemFocus(dialog, id));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, id));
    }
    DestroyWindow(dialog);
}

TEST(DialogHelpers, CommandsAndButtonClicks)
{
    std::vector<Received> commands;
    HWND dialog = MakeDialog(commands);
    ASSERT_NE(dialog, nullptr);
    HWND other = GetDlgItem(dialog, IdOther);
    EXPECT_TRUE(SimulateButton(dialog, IdOther));
    SendCommand(dialog, 40001, 7);
    EXPECT_TRUE(PostCommand(dialog, 40002, 0, other));
    EnableWindow(other, FALSE);
    EXPECT_FALSE(SimulateButton(dialog, IdOther));  // a disabled button cannot be clicked
    EXPECT_FALSE(SimulateButton(dialog, 999));
    test::PumpPending();
    const std::pair<WPARAM, HWND> expected[] = {
        {MAKEWPARAM(IdOther, BN_CLICKED), other}, {MAKEWPARAM(40001, 7), nullptr}, {MAKEWPARAM(40002, 0), other}};
    ASSERT_EQ(commands.size(), 3u);
    for (size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i].wParam, expected[i].first) << "command " << i;
        EXPECT_EQ(commands[i].lParam, reinterpret_cast<LPARAM>(expected[i].second)) << "command " << i;
    }
    DestroyWindow(dialog);

    Probe window;
    window.log.clear();
    const UINT mine = ProductInfo::GetMyMessage();
    EXPECT_EQ(SendMsg(window.hwnd, WM_NULL, 1, 2), 0);
    EXPECT_TRUE(PostMsg(window.hwnd, WM_USER + 5, 3, 4));
    SendMyCompanyMsg(window.hwnd, 3, 42);
    EXPECT_EQ(SendMyCompanyMsg(nullptr, 3, 42), 0);
    test::PumpPending();
    std::vector<Received> seen;
    for (const Received& r : window.log)
        if (r.msg == WM_NULL || r.msg == WM_USER + 5 || r.msg == mine)
            seen.push_back(r);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].msg, static_cast<UINT>(WM_NULL));
    EXPECT_TRUE(seen[1].msg == mine && seen[1].wParam == 3 && seen[1].lParam == 42);  // sent before the posted one
    EXPECT_EQ(seen[2].msg, static_cast<UINT>(WM_USER + 5));
}

TEST(DialogHelpers, TextMeasurementClassesAndMenuTexts)
{
    std::vector<Received> commands;
    HWND dialog = MakeDialog(commands);
    ASSERT_NE(dialog, nullptr);
    HWND label = GetDlgItem(dialog, IdLabel);
    SIZE own = GetWndTextSize(label);
    EXPECT_TRUE(own.cx > 0 && own.cy > 0);
    EXPECT_EQ(GetWndTextWidth(label, L"Label"), own.cx);
    EXPECT_GT(GetWndTextWidth(label, L"WWWW"), GetWndTextWidth(label, L"iiii"));
    EXPECT_EQ(GetWndTextWidth(label, L""), 0);

    const std::wstring longText = L"A rather long label that cannot fit";
    wchar_t text[64];
    wcscpy(text, longText.c_str());
    EXPECT_TRUE(FitText(text, 60, label));
    std::wstring fitted = text;
    ASSERT_GE(fitted.size(), 3u);
    EXPECT_EQ(fitted.substr(fitted.size() - 3), L"...");
    EXPECT_LE(GetWndTextWidth(label, text), 60);
    EXPECT_EQ(longText.compare(0, fitted.size() - 3, fitted, 0, fitted.size() - 3), 0);
    wcscpy(text, L"Short");
    EXPECT_FALSE(FitText(text, 1000, label));
    EXPECT_STREQ(text, L"Short");
    wcscpy(text, L"Nothing fits");
    EXPECT_TRUE(FitText(text, 0, label));
    EXPECT_STREQ(text, L"...");
    wcscpy(text, L"W");
    FitText(text, 0, label);
    EXPECT_LE(wcslen(text), 1u);  // never longer than it was

    // Class names: the exact class, not the one a superclass was copied from.
    EXPECT_TRUE(IsClassName(label, L"static") && IsClassName(dialog, L"#32770"));
    EXPECT_FALSE(IsClassName(label, L"Button") || IsClassName(nullptr, L"Static"));
    EXPECT_TRUE(IsWndClass(GetDlgItem(dialog, IDOK), L"BUTTON"));
    WNDCLASSEXW button = {};
    button.cbSize = sizeof(button);
    ASSERT_TRUE(GetClassInfoExW(nullptr, L"Button", &button));
    button.lpszClassName = L"GlmbxSuperButton";
    button.hInstance = GetModuleHandleW(nullptr);
    RegisterClassExW(&button);
    HWND super = CreateWindowExW(0, L"GlmbxSuperButton", L"x", WS_CHILD, 0, 0, 10, 10, dialog, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(super, nullptr);
    EXPECT_TRUE(IsClassName(super, L"GlmbxSuperButton") && IsWndClass(super, L"GlmbxSuperButton"));
    EXPECT_FALSE(IsClassName(super, L"Button") || IsWndClass(super, L"Static"));
    DestroyWindow(dialog);

    wchar_t menu[64] = L"&File && Edit";
    EXPECT_STREQ(RemoveMenuChar(menu), L"File & Edit");
    wchar_t name[64];
    EXPECT_STREQ(MakeNameFromMenu(name, L"&Open...\tCtrl+O"), L"Open");
    EXPECT_STREQ(MakeNameFromMenu(name, L"Save &As\u2026"), L"Save As");
    EXPECT_STREQ(MakeNameFromMenu(name, L"Version 1."), L"Version 1.");
    ExpectBounded<wchar_t>(L"Properties", [](wchar_t* buf, int size) {
        MakeNameFromMenu(buf, L"&Properties...\tAlt+Enter", size);
    });
    const std::pair<const wchar_t*, wchar_t> keys[] = {
        {L"E&xit", L'X'}, {L"Fish && &Chips", L'C'}, {L"None", 0}, {L"Trailing&", 0}};
    for (const auto& k : keys)
        EXPECT_EQ(GetMenuItemChar(k.first), k.second) << test::ToUtf8(k.first);
}

// ---- Message boxes ----

TEST(MessageBoxes, CaptionTextOwnerIconAndResult)
{
    Probe owner(WS_POPUP | WS_VISIBLE);
    const HWND noOwner = reinterpret_cast<HWND>(1);
    {
        Answerer answer(Press(IDNO));
        EXPECT_EQ(Msg(owner.hwnd, MB_YESNO | MB_ICONQUESTION, L"Delete %d items from %s?", 3, L"the list"), IDNO);
        EXPECT_EQ(answer.count, 1);
        EXPECT_EQ(answer.caption, L"Glimpsebox");
        EXPECT_EQ(answer.text, L"Delete 3 items from the list?");
        EXPECT_EQ(answer.owner, owner.hwnd);
    }
    {
        Answerer answer(Press(IDOK));
        EXPECT_EQ(Msg(noOwner, MB_OK | MB_ICONINFORMATION, -4, 640, 480), IDOK);
        EXPECT_EQ(answer.text, L"The current Glimpsebox window size is 640 x 480 pixels.");
        EXPECT_EQ(answer.owner, nullptr);
        EXPECT_EQ(answer.icon, LoadIconW(nullptr, IDI_INFORMATION));
    }
    {
        // An owner is replaced by its last active pop-up.
        Probe popup(WS_POPUP | WS_VISIBLE, owner.hwnd);
        SetActiveWindow(popup.hwnd);
        Answerer answer(Press(IDOK));
        Msg(owner.hwnd, MB_OK, L"%s", L"to the pop-up");
        EXPECT_EQ(answer.owner, popup.hwnd);
        EXPECT_EQ(answer.text, L"to the pop-up");
    }
    {
        // No owner given: the active window.
        SetActiveWindow(owner.hwnd);
        ASSERT_EQ(GetActiveWindow(), owner.hwnd);
        Answerer answer(Press(IDOK));
        Msg(nullptr, MB_OK, L"plain");
        EXPECT_EQ(answer.owner, owner.hwnd);
    }
    {
        // Text longer than 1023 characters is cut, not overrun.
        std::wstring huge(3000, L'z');
        Answerer answer(Press(IDOK));
        Msg(noOwner, MB_OK, L"%s", huge.c_str());
        EXPECT_EQ(answer.text, huge.substr(0, 1023));
    }
    {
        Answerer answer(Press(IDOK));
        std::wstring expected = GetLastErrorText(ERROR_ACCESS_DENIED);
        SetLastError(ERROR_ACCESS_DENIED);
        MsgLastError(noOwner);
        EXPECT_EQ(answer.text, expected);
        EXPECT_EQ(answer.icon, LoadIconW(nullptr, IDI_EXCLAMATION));
    }
    {
        Answerer answer(Press(IDOK));
        BOOL supported = WinProNotSupported(noOwner);
        EXPECT_EQ(!!supported, !WinPro());
        EXPECT_EQ(answer.count, supported ? 0 : 1);
        if (!supported) {
            EXPECT_EQ(answer.text, std::wstring(ResStr(-20008)));
            EXPECT_EQ(answer.icon, LoadIconW(nullptr, IDI_HAND));
        }
    }
}

// ---- Common dialogs ----

TEST(CommonDialogs, BrowseFilterIsPreparedForTheDialog)
{
    wchar_t out[128];
    struct { const wchar_t* filter; std::wstring prepared; } const cases[] = {
        {L"Pictures|*.bmp;*.jpg", std::wstring(L"Pictures\0*.bmp;*.jpg\0All Files\0*.*\0", 36)},
        {nullptr, std::wstring(L"All Files\0*.*\0", 15)},
        {L"Text|*.txt|", std::wstring(L"Text\0*.txt\0", 12)},  // ends in a bar: taken as it is
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(out, PrepareBrowseFilter(c.filter, out, 128)), c.prepared);
    // Too small: cut after the last whole pair, still ending in two zeros.
    GuardedBuffer<wchar_t> cut(30);
    int used = PrepareBrowseFilter(L"Pictures|*.bmp;*.jpg", cut.Data(), 30);
    EXPECT_TRUE(cut.GuardIntact());
    EXPECT_EQ(std::wstring(cut.Data(), used), std::wstring(L"Pictures\0*.bmp;*.jpg\0", 22));
    GuardedBuffer<wchar_t> none(5);
    EXPECT_EQ(PrepareBrowseFilter(L"Pictures|*.bmp", none.Data(), 5), 2);
    EXPECT_TRUE(none.Data()[0] == 0 && none.Data()[1] == 0 && none.GuardIntact());
    EXPECT_EQ(PrepareBrowseFilter(L"x|y", out, 1), 0);
}

TEST(CommonDialogs, BrowseForFileCancelledOrChosen)
{
    std::wstring dir = test::NewTempDir(L"browse");
    std::wstring file = dir + L"\\Chosen File.txt";
    ASSERT_TRUE(test::WriteUtf8File(file, "x"));
    wchar_t path[MAX_PATH] = L"";
    {
        Answerer answer(Press(IDCANCEL));
        EXPECT_EQ(BrowseForFile(nullptr, 0, path, nullptr, dir.c_str(), L"Text|*.txt"), 0);
        EXPECT_EQ(answer.count, 1);
        EXPECT_EQ(answer.caption, L"Browse for file");
        EXPECT_STREQ(path, L"");
    }
    {
        // Types a name into the file-name box and presses OK.
        Answerer answer([](HWND dialog) {
            HWND box = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
            SetWindowTextW(box, L"chosen file.TXT");
            ClickOk(dialog);
        });
        EXPECT_NE(BrowseForFile(nullptr, 0, path, L"Pick one", dir.c_str(), nullptr), 0);
        EXPECT_EQ(answer.caption, L"Pick one");
        // Back in the shell's form: the name as the folder stores it.
        EXPECT_EQ(std::wstring(FindNameExt(path)), L"Chosen File.txt");
        EXPECT_TRUE(IsSamePath(path, file.c_str()));
    }
    DeleteFileW(file.c_str());
    RemoveDirectoryW(dir.c_str());
}

TEST(CommonDialogs, ColourChooserStartsFromTheGivenColour)
{
    // "Define Custom Colors >>" opens the full dialog: only with the caller's custom colours.
    bool defineExists = false, defineEnabled = true;
    auto inspectAndOk = [&](HWND dialog) {
        HWND define = GetDlgItem(dialog, 0x2CF);
        defineExists = define != nullptr;
        defineEnabled = define && IsWindowEnabled(define);
        ClickOk(dialog);
    };
    {
        Answerer answer(inspectAndOk);
        COLORREF color = RGB(10, 20, 30);
        EXPECT_NE(MyChooseColor(nullptr, color), 0);
        EXPECT_EQ(color, RGB(10, 20, 30));
        EXPECT_EQ(answer.count, 1);
        EXPECT_TRUE(defineExists);
        EXPECT_FALSE(defineEnabled);
    }
    {
        Answerer answer(inspectAndOk);
        COLORREF none = 0x0FFFFFFF;
        COLORREF custom[16];
        for (COLORREF& c : custom)
            c = RGB(1, 2, 3);
        EXPECT_NE(MyChooseColor(nullptr, none, 0, custom), 0);
        EXPECT_EQ(none, RGB(0, 0, 0));
        EXPECT_EQ(custom[15], RGB(1, 2, 3));
        EXPECT_TRUE(defineEnabled);
    }
    {
        Answerer answer(Press(IDCANCEL));
        COLORREF kept = RGB(200, 100, 50);
        EXPECT_EQ(MyChooseColor(nullptr, kept), 0);
        EXPECT_EQ(kept, RGB(200, 100, 50));
    }
}
