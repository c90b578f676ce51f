// Version tests and system queries, window placement and dialog helpers on real windows, the
// product's message boxes and the common dialogs, answered by a hook so that nothing waits on
// a person.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <ctime>
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

// ---- A window that records what it receives ----

struct Received {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    UINT posFlags;  // WM_WINDOWPOSCHANGING: the flags asked for
};

class Probe {
public:
    explicit Probe(DWORD style = WS_POPUP, HWND parent = nullptr, int id = 0, RECT place = {0, 0, 200, 100})
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"GlmbxTestProbe";
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"probe", style, place.left, place.top, place.right - place.left,
                               place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               wc.hInstance, this);
    }
    ~Probe()
    {
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    HWND hwnd;
    std::vector<Received> log;

    std::vector<Received> Only(UINT msg) const
    {
        std::vector<Received> out;
        for (const Received& r : log)
            if (r.msg == msg)
                out.push_back(r);
        return out;
    }
    RECT Rect() const
    {
        RECT r = {};
        GetWindowRect(hwnd, &r);
        return r;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<Probe*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self) {
            UINT flags = msg == WM_WINDOWPOSCHANGING ? reinterpret_cast<WINDOWPOS*>(lParam)->flags : 0;
            self->log.push_back({msg, wParam, lParam, flags});
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
};

// ---- Answering modal boxes and dialogs from a hook on this thread ----

// Everything a dialog showed when it became active, and what answered it.
struct Seen {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
    HICON icon = nullptr;
    bool defineExists = false;
    bool defineEnabled = true;
    int count = 0;
};

class Answerer {
public:
    // answer(dialog) is called once the dialog is active; it posts the reply.
    typedef void (*Reply)(HWND dialog, Seen& seen);

    explicit Answerer(Reply replyWith) : reply(replyWith), stop(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        current = this;
        hook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
        // The bound: if the hook should miss a dialog, this answers it after 15 s.
        watchdog = CreateThread(nullptr, 0, Watchdog, this, 0, nullptr);
        threadId = GetCurrentThreadId();
    }
    ~Answerer()
    {
        SetEvent(stop);
        WaitForSingleObject(watchdog, INFINITE);
        CloseHandle(watchdog);
        CloseHandle(stop);
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    Answerer(const Answerer&) = delete;
    Answerer& operator=(const Answerer&) = delete;

    Seen seen;

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE && current) {
            HWND dialog = reinterpret_cast<HWND>(wParam);
            wchar_t className[32] = L"";
            GetClassNameW(dialog, className, 32);
            if (wcscmp(className, L"#32770") == 0 && GetPropW(dialog, L"GlmbxAnswered") == nullptr) {
                SetPropW(dialog, L"GlmbxAnswered", reinterpret_cast<HANDLE>(1));
                Seen& seen = current->seen;
                ++seen.count;
                wchar_t text[2048] = L"";
                GetWindowTextW(dialog, text, 2048);
                seen.caption = text;
                text[0] = 0;
                GetDlgItemTextW(dialog, 0xFFFF, text, 2048);
                seen.text = text;
                seen.owner = GetWindow(dialog, GW_OWNER);
                seen.icon = reinterpret_cast<HICON>(SendDlgItemMessageW(dialog, 0x440, STM_GETICON, 0, 0));
                current->reply(dialog, seen);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static BOOL CALLBACK CloseDialog(HWND hwnd, LPARAM)
    {
        wchar_t className[32] = L"";
        GetClassNameW(hwnd, className, 32);
        if (wcscmp(className, L"#32770") == 0) {
            for (WPARAM id : {IDCANCEL, IDNO, IDOK})
                PostMessageW(hwnd, WM_COMMAND, id, 0);
        }
        return TRUE;
    }

    static DWORD WINAPI Watchdog(void* param)
    {
        auto* self = static_cast<Answerer*>(param);
        while (WaitForSingleObject(self->stop, 15000) == WAIT_TIMEOUT)
            EnumThreadWindows(self->threadId, CloseDialog, 0);
        return 0;
    }

    static Answerer* current;
    Reply reply;
    HANDLE stop;
    HHOOK hook;
    HANDLE watchdog;
    DWORD threadId;
};

Answerer* Answerer::current = nullptr;

void ReplyNo(HWND dialog, Seen&)
{
    PostMessageW(dialog, WM_COMMAND, IDNO, 0);
}

void ReplyOk(HWND dialog, Seen&)
{
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

void ReplyCancel(HWND dialog, Seen&)
{
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

std::wstring typedFileName;

// The file dialog: type a name into its file-name box and press OK.
void ReplyWithFile(HWND dialog, Seen&)
{
    HWND box = GetDlgItem(dialog, cmb13);
    if (!box)
        box = GetDlgItem(dialog, edt1);
    SetWindowTextW(box, typedFileName.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

void ReplyColorOk(HWND dialog, Seen& seen)
{
    HWND define = GetDlgItem(dialog, 0x2CF);  // "Define Custom Colors >>"
    seen.defineExists = define != nullptr;
    seen.defineEnabled = define && IsWindowEnabled(define);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// ---- A dialog built in memory ----

class TemplateWriter {
public:
    void Word(WORD w) { words.push_back(w); }
    void Dword(DWORD d)
    {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const wchar_t* s)
    {
        for (; *s; ++s)
            Word(*s);
        Word(0);
    }
    void Align()
    {
        if (words.size() % 2)
            Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const wchar_t* className,
              const wchar_t* text)
    {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(x), Word(y), Word(cx), Word(cy);
        Word(id);
        if (className) {
            Text(className);
        } else {
            Word(0xFFFF);
            Word(atom);
        }
        Text(text);
        Word(0);
    }
    std::vector<WORD> words;
};

struct DialogLog {
    std::vector<Received> commands;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* log = reinterpret_cast<DialogLog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (msg == WM_COMMAND && log) {
        log->commands.push_back({msg, wParam, lParam, 0});
        return TRUE;
    }
    return FALSE;
}

enum { IdOther = 1001, IdCheck1 = 1002, IdCheck2 = 1003, IdSpin = 1004, IdLabel = 1005 };

HWND MakeDialog(DialogLog& log)
{
    TemplateWriter t;
    t.Dword(WS_POPUP | WS_CAPTION | DS_SETFONT | DS_MODALFRAME);
    t.Dword(0);
    t.Word(6);
    t.Word(10), t.Word(10), t.Word(200), t.Word(120);
    t.Word(0);
    t.Word(0);
    t.Text(L"Helpers");
    t.Word(8);
    t.Text(L"MS Shell Dlg");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 90, 50, 14, IDOK, 0x80, nullptr, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 70, 90, 50, 14, IdOther, 0x80, nullptr, L"Other");
    t.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 80, 10, IdCheck1, 0x80, nullptr, L"One");
    t.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 10, 24, 80, 10, IdCheck2, 0x80, nullptr, L"Two");
    t.Item(0, 100, 10, 10, 14, IdSpin, 0, UPDOWN_CLASSW, L"");
    t.Item(SS_LEFT, 10, 40, 150, 10, IdLabel, 0x82, nullptr, L"Label");
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(t.words.data()), nullptr,
                                      DialogProc, reinterpret_cast<LPARAM>(&log));
}

// The product's root key moved to a throw-away key for the test's life.
class PushedRoot {
public:
    PushedRoot()
        : sub(L"Software\\GlimpseboxTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-root"),
          path(L"HKCU\\" + sub)
    {
        GetProductInfo()->PushAppRootKey(path.c_str());
    }
    ~PushedRoot()
    {
        GetProductInfo()->PopAppRootKey();
        RegDeleteTreeW(HKEY_CURRENT_USER, sub.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\GlimpseboxTests");
    }
    const std::wstring sub;
    const std::wstring path;
};

} // namespace

// ---- Version tests and system queries ----

TEST(SystemInfo, VersionTestsAgreeWithTheSystem)
{
    OSVERSIONINFOEXW v = {};
    v.dwOSVersionInfoSize = sizeof(v);
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v)));
    bool nt = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
    EXPECT_EQ(!!WinNT(), nt);
    EXPECT_EQ(!!Win9x(), !nt);
    EXPECT_FALSE(Win95());
    EXPECT_FALSE(WinMe());
    EXPECT_EQ(!!Win2K(), nt && v.dwMajorVersion >= 5);
    EXPECT_EQ(!!WinXP(), nt && (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1)));
    EXPECT_EQ(!!WinNT4(), nt && v.dwMajorVersion == 4);
    EXPECT_EQ(!!WinPro(), nt && (v.dwMajorVersion < 5 || !(v.wSuiteMask & VER_SUITE_PERSONAL)));

    BOOL wow = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow);
    EXPECT_EQ(IsWow64(), wow);

    int major = -1;
    int minor = -1;
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
    unsigned long now = GetCurTime();
    EXPECT_LE(now - expected + 5, 10u);  // within five seconds either way

    FILETIME file;
    GetSysFileTime(&file);
    SYSTEMTIME utc;
    FileTimeToSystemTime(&file, &utc);
    EXPECT_GE(utc.wYear, 2020);
    SYSTEMTIME local;
    GetLocalTime(&local);
    WORD date = GetDOSdate();
    EXPECT_EQ(date & 0x1F, local.wDay);
    EXPECT_EQ((date >> 5) & 0x0F, local.wMonth);
    EXPECT_EQ((date >> 9) + 1980, local.wYear);

    EXPECT_TRUE(IsDriveValid(2));  // C:
    EXPECT_FALSE(IsDriveValid(-1));
    EXPECT_FALSE(IsDriveValid(26));
    int free = FindAvailableDrive();
    if (free >= 0) {
        EXPECT_GE(free, 2);
        EXPECT_FALSE(IsDriveValid(free));
    }
    SingleFloppy();

    EXPECT_TRUE(EnablePrivilege(SE_SHUTDOWN_NAME, TRUE));
    EXPECT_TRUE(EnablePrivilege(SE_SHUTDOWN_NAME, FALSE));
    EXPECT_FALSE(EnablePrivilege(L"SeNoSuchPrivilege", TRUE));
    EXPECT_FALSE(EnablePrivilege(nullptr, TRUE));

    EXPECT_FALSE(StopScreenSaver());  // none runs
    EXPECT_TRUE(EnableSysKeys(FALSE));  // NT: nothing to do
    ImitateUserActivity();
    IsFastUserSwitchingEnabled();

    wchar_t desktop[64];
    ASSERT_TRUE(GetDesktopName(desktop, 64));
    EXPECT_STREQ(desktop, L"Default");
    ExpectBounded<wchar_t>(L"Default", [](wchar_t* buf, int size) { GetDesktopName(buf, size); });
}

// ---- Placement ----

TEST(Placement, CenterChangesOnlyThePosition)
{
    Probe window;
    window.log.clear();
    CenterWindow(window.hwnd, nullptr);
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    RECT r = window.Rect();
    EXPECT_EQ(r.left, (desk.right - desk.left - 200) / 2);
    EXPECT_EQ(r.top, (desk.bottom - desk.top - 100) / 2);
    EXPECT_EQ(r.right - r.left, 200);
    auto changes = window.Only(WM_WINDOWPOSCHANGING);
    ASSERT_EQ(changes.size(), 1u);
    const UINT keep = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    EXPECT_EQ(changes[0].posFlags & keep, keep);

    // On a parent near the screen's corner: centred there, then kept inside the screen.
    Probe parent(WS_POPUP, nullptr, 0, {-150, -150, 50, 50});
    CenterWindow(window.hwnd, parent.hwnd);
    r = window.Rect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    HDC dc = GetDC(window.hwnd);
    int width = GetDeviceCaps(dc, HORZRES);
    int height = GetDeviceCaps(dc, VERTRES);
    ReleaseDC(window.hwnd, dc);
    SetWindowPos(parent.hwnd, nullptr, width - 20, height - 20, 200, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow(window.hwnd, parent.hwnd);
    r = window.Rect();
    EXPECT_EQ(r.left, width - 200);
    EXPECT_EQ(r.top, height - 100);
    CenterWindow(nullptr, nullptr);  // nothing to move
}

TEST(Placement, MouseAndCascade)
{
    Probe window;
    ASSERT_TRUE(SetCursorPos(100, 120));
    POINT at;
    GetCursorPos(&at);
    MoveWindowToMouse(window.hwnd);
    RECT r = window.Rect();
    EXPECT_EQ(r.left, at.x);
    EXPECT_EQ(r.top, at.y);

    int maxX = GetSystemMetrics(SM_CXMAXIMIZED);
    int maxY = GetSystemMetrics(SM_CYMAXIMIZED);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
    GetCursorPos(&at);
    MoveWindowToMouse(window.hwnd);
    r = window.Rect();
    EXPECT_EQ(r.left, at.x + 200 > maxX ? maxX - 200 : at.x);
    EXPECT_EQ(r.top, at.y + 100 > maxY ? maxY - 100 : at.y);

    Probe parent(WS_POPUP, nullptr, 0, {30, 40, 330, 340});
    CascadeWindow(window.hwnd, parent.hwnd);
    r = window.Rect();
    EXPECT_EQ(r.left, 30 + GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(r.top, 40 + GetSystemMetrics(SM_CYCAPTION));
    CascadeWindow(window.hwnd, nullptr);
    r = window.Rect();
    EXPECT_EQ(r.left, GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(r.top, GetSystemMetrics(SM_CYCAPTION));
}

TEST(Placement, StoredPositionComesBackKeptOnScreen)
{
    PushedRoot root;
    Probe window(WS_POPUP, nullptr, 0, {0, 0, 200, 100});

    // Nothing stored and no key: the window stays.
    SetWndOrigin(window.hwnd, 33, 44);
    WndRestorePosition(window.hwnd, L"Main");
    EXPECT_EQ(window.Rect().left, 33);

    SetWndOrigin(window.hwnd, 120, 80);
    WndStorePosition(window.hwnd, L"Main");
    RegKey key(root.path.c_str(), 0);
    EXPECT_EQ(key.GetDword(L"MainposLeft", 0), 120u);
    EXPECT_EQ(key.GetDword(L"MainposTop", 0), 80u);
    WndStorePosition(window.hwnd, L"");
    EXPECT_EQ(key.GetDword(L"posLeft", 0), 120u);

    SetWndOrigin(window.hwnd, 0, 0);
    WndRestorePosition(window.hwnd, L"Main");
    EXPECT_EQ(window.Rect().left, 120);
    EXPECT_EQ(window.Rect().top, 80);

    int screenX = GetSystemMetrics(SM_CXSCREEN);
    int screenY = GetSystemMetrics(SM_CYSCREEN);
    struct {
        int left, top, wantLeft, wantTop;
    } const cases[] = {
        {screenX - 10, screenY - 10, screenX - 100, screenY - 50},
        {-150, -30, -100, 0},
        {-100, 5, -100, 5},
        {screenX - 100, 0, screenX - 100, 0},
    };
    RegKey writable(root.path.c_str(), 1);
    for (const auto& c : cases) {
        writable.PutInt(L"TposLeft", c.left);
        writable.PutInt(L"TposTop", c.top);
        WndRestorePosition(window.hwnd, L"T");
        EXPECT_EQ(window.Rect().left, c.wantLeft) << c.left;
        EXPECT_EQ(window.Rect().top, c.wantTop) << c.top;
    }
    // Missing values default to where the window is.
    SetWndOrigin(window.hwnd, 7, 9);
    WndRestorePosition(window.hwnd, L"Nothing");
    EXPECT_EQ(window.Rect().left, 7);
    EXPECT_EQ(window.Rect().top, 9);
}

TEST(Placement, ThinWrappersAndStyles)
{
    Probe parent(WS_POPUP | WS_VISIBLE, nullptr, 0, {50, 50, 450, 350});
    Probe child(WS_CHILD | WS_VISIBLE, parent.hwnd, 77, {10, 20, 110, 70});
    Probe grandChild(WS_CHILD, child.hwnd, 78, {1, 1, 5, 5});
    child.log.clear();

    RECT r;
    ASSERT_TRUE(GetCtrlRect(child.hwnd, &r));
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_TRUE(OffsetWnd(child.hwnd, 5, -3));
    GetCtrlRect(child.hwnd, &r);
    EXPECT_EQ(r.left, 15);
    EXPECT_EQ(r.top, 17);
    EXPECT_TRUE(ResizeWnd(child.hwnd, 10, 20));
    GetCtrlRect(child.hwnd, &r);
    EXPECT_EQ(r.right - r.left, 110);
    EXPECT_EQ(r.bottom - r.top, 70);
    EXPECT_TRUE(SetWndPos(child.hwnd, 1, 2, 30, 40));
    GetDlgItemRect(parent.hwnd, 77, &r);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.right, 31);
    EXPECT_TRUE(SetWndSize(child.hwnd, 60, 50));
    EXPECT_TRUE(MoveDlgItem(parent.hwnd, 77, 3, 4));
    EXPECT_TRUE(ResizeDlgItem(parent.hwnd, 77, 100, 60));
    GetDlgItemRect(parent.hwnd, 77, &r);
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.bottom, 64);
    RECT client;
    GetClientRect(parent.hwnd, &client);
    EXPECT_TRUE(CenterDlgItem(parent.hwnd, 77, TRUE, FALSE));
    GetCtrlRect(child.hwnd, &r);
    EXPECT_EQ(r.left, (client.right - 100) / 2);
    EXPECT_EQ(r.top, 4);
    EXPECT_TRUE(CenterCtrl(child.hwnd));
    GetCtrlRect(child.hwnd, &r);
    EXPECT_EQ(r.top, (client.bottom - 60) / 2);
    EXPECT_FALSE(MoveDlgItem(parent.hwnd, 999, 0, 0));
    EXPECT_FALSE(GetDlgItemRect(parent.hwnd, 999, &r));

    // None of them activates or changes the z-order.
    for (const Received& change : child.Only(WM_WINDOWPOSCHANGING))
        EXPECT_EQ(change.posFlags & (SWP_NOZORDER | SWP_NOACTIVATE), static_cast<UINT>(SWP_NOZORDER | SWP_NOACTIVATE));

    EXPECT_TRUE(SetWndShow(child.hwnd, FALSE));
    EXPECT_FALSE(IsWindowVisible(child.hwnd));
    EXPECT_TRUE(SetWndShow(child.hwnd, TRUE));
    EXPECT_TRUE(IsWindowVisible(child.hwnd));

    EXPECT_EQ(GetTopParent(grandChild.hwnd), parent.hwnd);
    EXPECT_EQ(GetTopParent(parent.hwnd), parent.hwnd);
    EXPECT_EQ(GetTopParent(nullptr), nullptr);

    EXPECT_TRUE(ModifyStyle(child.hwnd, 0, WS_BORDER));
    EXPECT_FALSE(ModifyStyle(child.hwnd, 0, WS_BORDER));  // nothing to change
    EXPECT_TRUE(GetWndStyle(child.hwnd) & WS_BORDER);
    child.log.clear();
    EXPECT_TRUE(ModifyStyle(child.hwnd, WS_BORDER, 0, SWP_NOACTIVATE));
    auto frame = child.Only(WM_WINDOWPOSCHANGING);
    ASSERT_FALSE(frame.empty());
    EXPECT_TRUE(frame[0].posFlags & SWP_FRAMECHANGED);
    EXPECT_TRUE(ModifyWndStyle(child.hwnd, GWL_EXSTYLE, 0, WS_EX_CLIENTEDGE));
    EXPECT_TRUE(GetWndStyle(child.hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    DWORD old = SetWndStyle(child.hwnd, GetWndStyle(child.hwnd) | WS_TABSTOP);
    EXPECT_FALSE(old & WS_TABSTOP);
    EXPECT_TRUE(GetWndStyle(child.hwnd) & WS_TABSTOP);
    EXPECT_TRUE(SetWndZOrder(child.hwnd, HWND_BOTTOM));
}

// ---- Dialog items and messages ----

TEST(DialogHelpers, DefaultButtonSpinChecksAndFocus)
{
    DialogLog log;
    HWND dialog = MakeDialog(log);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);

    EXPECT_EQ(GetDlgDefBtnID(dialog), static_cast<UINT>(IDOK));
    SetDlgDefBtnID(dialog, IdOther);
    EXPECT_EQ(GetDlgDefBtnID(dialog), static_cast<UINT>(IdOther));
    EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, IdOther), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);

    SetDlgItemSpinRange(dialog, IdSpin, 5, 50);
    LRESULT range = SendDlgItemMsg(dialog, IdSpin, UDM_GETRANGE);
    EXPECT_EQ(LOWORD(range), 50);
    EXPECT_EQ(HIWORD(range), 5);

    const UINT checks[] = {IdCheck1, IdCheck2};
    CheckDlgIDs(dialog, checks, 2, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IdCheck1), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IdCheck2), static_cast<UINT>(BST_CHECKED));
    CheckDlgIDs(dialog, checks, 1, BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IdCheck1), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IdCheck2), static_cast<UINT>(BST_CHECKED));

    EXPECT_TRUE(EnableDlgItem(dialog, IdCheck1, FALSE));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IdCheck1)));
    EXPECT_TRUE(ShowDlgItem(dialog, IdCheck2, FALSE));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IdCheck2)));
    EXPECT_FALSE(EnableDlgItem(dialog, 999, TRUE));
    EXPECT_FALSE(ShowDlgItem(dialog, 999, TRUE));

    EXPECT_TRUE(SetDlgItemFocus(dialog, IDOK));
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
    EXPECT_TRUE(SetDlgItemFocus(dialog, IdOther));
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IdOther));
    EXPECT_FALSE(SetDlgItemFocus(dialog, 999));
    DestroyWindow(dialog);
}

TEST(DialogHelpers, CommandsAndButtonClicks)
{
    DialogLog log;
    HWND dialog = MakeDialog(log);
    ASSERT_NE(dialog, nullptr);
    HWND other = GetDlgItem(dialog, IdOther);

    EXPECT_TRUE(SimulateButton(dialog, IdOther));
    SendCommand(dialog, 40001, 7);
    EXPECT_TRUE(PostCommand(dialog, 40002, 0, other));
    EnableWindow(other, FALSE);
    EXPECT_FALSE(SimulateButton(dialog, IdOther));  // a disabled button cannot be clicked
    EXPECT_FALSE(SimulateButton(dialog, 999));
    test::PumpPending();

    struct Expected {
        WPARAM wParam;
        LPARAM lParam;
    } const expected[] = {
        {MAKEWPARAM(IdOther, BN_CLICKED), reinterpret_cast<LPARAM>(other)},
        {MAKEWPARAM(40001, 7), 0},
        {MAKEWPARAM(40002, 0), reinterpret_cast<LPARAM>(other)},
    };
    ASSERT_EQ(log.commands.size(), sizeof(expected) / sizeof(expected[0]));
    for (size_t i = 0; i < log.commands.size(); ++i) {
        EXPECT_EQ(log.commands[i].wParam, expected[i].wParam) << "command " << i;
        EXPECT_EQ(log.commands[i].lParam, expected[i].lParam) << "command " << i;
    }
    DestroyWindow(dialog);

    Probe window;
    window.log.clear();
    EXPECT_EQ(SendMsg(window.hwnd, WM_NULL, 1, 2), 0);
    EXPECT_TRUE(PostMsg(window.hwnd, WM_USER + 5, 3, 4));
    SendMyCompanyMsg(window.hwnd, 3, 42);
    EXPECT_EQ(SendMyCompanyMsg(nullptr, 3, 42), 0);
    test::PumpPending();
    std::vector<Received> seen;
    for (const Received& r : window.log)
        if (r.msg == WM_NULL || r.msg == WM_USER + 5 || r.msg == ProductInfo::GetMyMessage())
            seen.push_back(r);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].msg, static_cast<UINT>(WM_NULL));
    EXPECT_EQ(seen[1].msg, ProductInfo::GetMyMessage());  // sent before the posted one is pumped
    EXPECT_EQ(seen[1].wParam, 3u);
    EXPECT_EQ(seen[1].lParam, 42);
    EXPECT_EQ(seen[2].msg, static_cast<UINT>(WM_USER + 5));
}

TEST(DialogHelpers, TextMeasurementClassesAndMenus)
{
    DialogLog log;
    HWND dialog = MakeDialog(log);
    ASSERT_NE(dialog, nullptr);
    HWND label = GetDlgItem(dialog, IdLabel);

    SIZE own = GetWndTextSize(label);
    EXPECT_GT(own.cx, 0);
    EXPECT_GT(own.cy, 0);
    EXPECT_EQ(GetWndTextWidth(label, L"Label"), own.cx);
    EXPECT_GT(GetWndTextWidth(label, L"WWWW"), GetWndTextWidth(label, L"iiii"));
    EXPECT_EQ(GetWndTextWidth(label, L""), 0);

    wchar_t text[64] = L"A rather long label that cannot fit";
    EXPECT_TRUE(FitText(text, 60, label));
    std::wstring fitted = text;
    EXPECT_EQ(fitted.substr(fitted.size() - 3), L"...");
    EXPECT_LE(GetWndTextWidth(label, text), 60);
    EXPECT_EQ(std::wstring(L"A rather long label that cannot fit").compare(0, fitted.size() - 3, fitted, 0, fitted.size() - 3), 0);
    wcscpy(text, L"Short");
    EXPECT_FALSE(FitText(text, 1000, label));
    EXPECT_STREQ(text, L"Short");
    wcscpy(text, L"Nothing fits");
    EXPECT_TRUE(FitText(text, 0, label));
    EXPECT_STREQ(text, L"...");
    wcscpy(text, L"W");
    FitText(text, 0, label);
    EXPECT_LE(wcslen(text), 1u);  // never longer than it was

    EXPECT_TRUE(IsClassName(label, L"static"));
    EXPECT_FALSE(IsClassName(label, L"Button"));
    EXPECT_TRUE(IsWndClass(GetDlgItem(dialog, IDOK), L"BUTTON"));
    EXPECT_TRUE(IsClassName(dialog, L"#32770"));
    EXPECT_FALSE(IsClassName(nullptr, L"Static"));
    WNDCLASSEXW button = {};
    button.cbSize = sizeof(button);
    ASSERT_TRUE(GetClassInfoExW(nullptr, L"Button", &button));
    button.lpszClassName = L"GlmbxSuperButton";
    button.hInstance = GetModuleHandleW(nullptr);
    RegisterClassExW(&button);
    HWND super = CreateWindowExW(0, L"GlmbxSuperButton", L"x", WS_CHILD, 0, 0, 10, 10, dialog, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(super, nullptr);
    EXPECT_TRUE(IsClassName(super, L"GlmbxSuperButton"));
    EXPECT_FALSE(IsClassName(super, L"Button"));
    EXPECT_TRUE(IsWndClass(super, L"GlmbxSuperButton"));
    EXPECT_FALSE(IsWndClass(super, L"Static"));
    DestroyWindow(dialog);

    wchar_t menu[64] = L"&File && Edit";
    EXPECT_STREQ(RemoveMenuChar(menu), L"File & Edit");
    wchar_t name[64];
    EXPECT_STREQ(MakeNameFromMenu(name, L"&Open...\tCtrl+O"), L"Open");
    EXPECT_STREQ(MakeNameFromMenu(name, L"Save &As\u2026"), L"Save As");
    EXPECT_STREQ(MakeNameFromMenu(name, L"Version 1."), L"Version 1.");
    EXPECT_EQ(GetMenuItemChar(L"E&xit"), L'X');
    EXPECT_EQ(GetMenuItemChar(L"Fish && &Chips"), L'C');
    EXPECT_EQ(GetMenuItemChar(L"None"), 0);
    EXPECT_EQ(GetMenuItemChar(L"Trailing&"), 0);
    ExpectBounded<wchar_t>(L"Properties", [](wchar_t* buf, int size) {
        MakeNameFromMenu(buf, L"&Properties...\tAlt+Enter", size);
    });
}

// ---- Message boxes ----

TEST(MessageBoxes, CaptionTextOwnerAndResult)
{
    Probe owner(WS_POPUP | WS_VISIBLE);
    {
        Answerer answer(ReplyNo);
        int result = Msg(owner.hwnd, MB_YESNO | MB_ICONQUESTION, L"Delete %d items from %s?", 3, L"the list");
        EXPECT_EQ(result, IDNO);
        EXPECT_EQ(answer.seen.count, 1);
        EXPECT_EQ(answer.seen.caption, L"Glimpsebox");
        EXPECT_EQ(answer.seen.text, L"Delete 3 items from the list?");
        EXPECT_EQ(answer.seen.owner, owner.hwnd);
    }
    {
        Answerer answer(ReplyOk);
        EXPECT_EQ(Msg(reinterpret_cast<HWND>(1), MB_OK | MB_ICONINFORMATION, -4, 640, 480), IDOK);
        EXPECT_EQ(answer.seen.text, L"The current Glimpsebox window size is 640 x 480 pixels.");
        EXPECT_EQ(answer.seen.owner, nullptr);  // 1: no owner at all
        EXPECT_EQ(answer.seen.icon, LoadIconW(nullptr, IDI_INFORMATION));
    }
    {
        // An owner is replaced by its last active pop-up.
        Probe popup(WS_POPUP | WS_VISIBLE, owner.hwnd);
        SetActiveWindow(popup.hwnd);
        Answerer answer(ReplyOk);
        Msg(owner.hwnd, MB_OK, L"%s", L"to the pop-up");
        EXPECT_EQ(answer.seen.owner, popup.hwnd);
        EXPECT_EQ(answer.seen.text, L"to the pop-up");
    }
    {
        // No owner given: the active window.
        SetActiveWindow(owner.hwnd);
        ASSERT_EQ(GetActiveWindow(), owner.hwnd);
        Answerer answer(ReplyOk);
        Msg(nullptr, MB_OK, L"plain");
        EXPECT_EQ(answer.seen.owner, owner.hwnd);
    }
    {
        // Text longer than 1023 characters is cut, not overrun.
        std::wstring huge(3000, L'z');
        Answerer answer(ReplyOk);
        Msg(reinterpret_cast<HWND>(1), MB_OK, L"%s", huge.c_str());
        EXPECT_EQ(answer.seen.text, huge.substr(0, 1023));
    }
}

TEST(MessageBoxes, LastErrorAndUnsupportedSystem)
{
    {
        Answerer answer(ReplyOk);
        std::wstring expected = GetLastErrorText(ERROR_ACCESS_DENIED);
        SetLastError(ERROR_ACCESS_DENIED);
        MsgLastError(reinterpret_cast<HWND>(1));
        EXPECT_EQ(answer.seen.text, expected);
        EXPECT_EQ(answer.seen.icon, LoadIconW(nullptr, IDI_EXCLAMATION));
    }
    {
        Answerer answer(ReplyOk);
        BOOL supported = WinProNotSupported(reinterpret_cast<HWND>(1));
        EXPECT_EQ(!!supported, !WinPro());
        if (!supported) {
            EXPECT_EQ(answer.seen.text, std::wstring(ResStr(-20008)));
            EXPECT_EQ(answer.seen.icon, LoadIconW(nullptr, IDI_HAND));
        } else {
            EXPECT_EQ(answer.seen.count, 0);
        }
    }
}

// ---- Common dialogs ----

TEST(CommonDialogs, BrowseFilterIsPreparedForTheDialog)
{
    wchar_t out[128];
    int used = PrepareBrowseFilter(L"Pictures|*.bmp;*.jpg", out, 128);
    const wchar_t expected[] = L"Pictures\0*.bmp;*.jpg\0All Files\0*.*\0";
    ASSERT_EQ(used, static_cast<int>(sizeof(expected) / sizeof(wchar_t)));
    EXPECT_EQ(std::wstring(out, used), std::wstring(expected, used));
    used = PrepareBrowseFilter(nullptr, out, 128);
    EXPECT_EQ(std::wstring(out, used), std::wstring(L"All Files\0*.*\0", 15));
    used = PrepareBrowseFilter(L"Text|*.txt|", out, 128);  // ends in a bar: taken as it is
    EXPECT_EQ(std::wstring(out, used), std::wstring(L"Text\0*.txt\0", 12));

    // Too small: cut after the last whole pair, still ending in two zeros.
    GuardedBuffer<wchar_t> cut(30);
    used = PrepareBrowseFilter(L"Pictures|*.bmp;*.jpg", cut.Data(), 30);
    EXPECT_TRUE(cut.GuardIntact());
    EXPECT_EQ(std::wstring(cut.Data(), used), std::wstring(L"Pictures\0*.bmp;*.jpg\0", 22));
    GuardedBuffer<wchar_t> none(5);
    used = PrepareBrowseFilter(L"Pictures|*.bmp", none.Data(), 5);
    EXPECT_EQ(used, 2);
    EXPECT_EQ(none.Data()[0], 0);
    EXPECT_EQ(none.Data()[1], 0);
    EXPECT_TRUE(none.GuardIntact());
    EXPECT_EQ(PrepareBrowseFilter(L"x|y", out, 1), 0);
}

TEST(CommonDialogs, BrowseForFileCancelledOrChosen)
{
    std::wstring dir = test::NewTempDir(L"browse");
    std::wstring file = dir + L"\\Chosen File.txt";
    ASSERT_TRUE(test::WriteUtf8File(file, "x"));
    wchar_t path[MAX_PATH] = L"";
    {
        Answerer answer(ReplyCancel);
        EXPECT_EQ(BrowseForFile(nullptr, 0, path, nullptr, dir.c_str(), L"Text|*.txt"), 0);
        EXPECT_EQ(answer.seen.count, 1);
        EXPECT_EQ(answer.seen.caption, L"Browse for file");
        EXPECT_STREQ(path, L"");
    }
    {
        typedFileName = L"chosen file.TXT";
        Answerer answer(ReplyWithFile);
        EXPECT_NE(BrowseForFile(nullptr, 0, path, L"Pick one", dir.c_str(), nullptr), 0);
        EXPECT_EQ(answer.seen.caption, L"Pick one");
        // Back in the shell's form: the name as the folder stores it.
        EXPECT_EQ(std::wstring(FindNameExt(path)), L"Chosen File.txt");
        EXPECT_TRUE(IsSamePath(path, file.c_str()));
    }
    DeleteFileW(file.c_str());
    RemoveDirectoryW(dir.c_str());
}

TEST(CommonDialogs, ColourChooserStartsFromTheGivenColour)
{
    {
        Answerer answer(ReplyColorOk);
        COLORREF color = RGB(10, 20, 30);
        EXPECT_NE(MyChooseColor(nullptr, color), 0);
        EXPECT_EQ(color, RGB(10, 20, 30));
        EXPECT_EQ(answer.seen.count, 1);
        EXPECT_TRUE(answer.seen.defineExists);
        EXPECT_FALSE(answer.seen.defineEnabled);  // no custom colours of the caller's: no full dialog
    }
    {
        Answerer answer(ReplyColorOk);
        COLORREF none = 0x0FFFFFFF;
        COLORREF custom[16];
        for (COLORREF& c : custom)
            c = RGB(1, 2, 3);
        EXPECT_NE(MyChooseColor(nullptr, none, 0, custom), 0);
        EXPECT_EQ(none, RGB(0, 0, 0));
        EXPECT_EQ(custom[15], RGB(1, 2, 3));
        EXPECT_TRUE(answer.seen.defineEnabled);  // the caller's custom colours: the full dialog may open
    }
    {
        Answerer answer(ReplyCancel);
        COLORREF kept = RGB(200, 100, 50);
        EXPECT_EQ(MyChooseColor(nullptr, kept), 0);
        EXPECT_EQ(kept, RGB(200, 100, 50));
    }
}
