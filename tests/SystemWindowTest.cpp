// Window placement and dialog helpers on real windows, text fitting and menu texts, the
// product's message boxes and the common dialogs (answered by a hook, so that nothing waits on
// a person), and the system's time and drives.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <string>
#include <vector>

#include "product/ProductInfo.h"
#include "support/BoxAnswerer.h"
#include "support/GuardedBuffer.h"
#include "support/TestSupport.h"
#include "sys/CommonDlg.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"
#include "sys/ResStr.h"
#include "sys/SysInfo.h"
#include "sys/WndUtil.h"

using test::BoxAnswerer;

namespace {

// The flags of every position change asked of one window of this thread.
HWND watched;
std::vector<UINT> changes;

LRESULT CALLBACK RecordChanges(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->hwnd == watched && sent->message == WM_WINDOWPOSCHANGING)
        changes.push_back(reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND Window(DWORD style, HWND parent, RECT place, int id = 0)
{
    return CreateWindowExW(0, L"STATIC", L"Label", style, place.left, place.top, place.right - place.left,
                           place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

testing::AssertionResult At(HWND hwnd, int left, int top)
{
    RECT r = {};
    GetWindowRect(hwnd, &r);
    if (r.left == left && r.top == top)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "at " << r.left << "," << r.top << ", not " << left << "," << top;
}

// The commands a dialog received.
std::vector<std::pair<WPARAM, LPARAM>> commands;

INT_PTR CALLBACK RecordCommands(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        commands.push_back({wParam, lParam});
    return message == WM_INITDIALOG;
}

BoxAnswerer::Reply Press(WPARAM id)
{
    return [id](HWND dialog) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    };
}

} // namespace

TEST(Placement, CentreMouseAndCascadeMoveOnlyThePositionAndStayOnScreen)
{
    HWND window = Window(WS_POPUP, nullptr, {0, 0, 200, 100}), parent = Window(WS_POPUP, nullptr, {-150, -150, 50, 50});
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordChanges, nullptr, GetCurrentThreadId());
    watched = window;
    changes.clear();
    CenterWindow(window, nullptr);
    const int screenX = GetSystemMetrics(SM_CXSCREEN), screenY = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_TRUE(At(window, (screenX - 200) / 2, (screenY - 100) / 2));
    const UINT keep = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    EXPECT_EQ(changes, std::vector<UINT>{changes.empty() ? 0 : changes[0] | keep});

    // On a parent near a corner of the screen: centred there, then kept inside the screen.
    CenterWindow(window, parent);
    EXPECT_TRUE(At(window, 0, 0));
    SetWindowPos(parent, nullptr, screenX - 20, screenY - 20, 200, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow(window, parent);
    EXPECT_TRUE(At(window, screenX - 200, screenY - 100));

    // At the pointer, kept within a maximised window's size.
    ASSERT_TRUE(SetCursorPos(100, 120));
    MoveWindowToMouse(window);
    EXPECT_TRUE(At(window, 100, 120));
    SetCursorPos(screenX - 5, screenY - 5);
    MoveWindowToMouse(window);
    EXPECT_TRUE(At(window, GetSystemMetrics(SM_CXMAXIMIZED) - 200, GetSystemMetrics(SM_CYMAXIMIZED) - 100));

    // Below and right of the parent's corner (the screen's without one).
    SetWindowPos(parent, nullptr, 30, 40, 300, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    CascadeWindow(window, parent);
    EXPECT_TRUE(At(window, 30 + GetSystemMetrics(SM_CXVSCROLL), 40 + GetSystemMetrics(SM_CYCAPTION)));
    CascadeWindow(window, nullptr);
    EXPECT_TRUE(At(window, GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYCAPTION)));
    for (UINT flags : changes)
        EXPECT_EQ(flags & keep, keep);
    UnhookWindowsHookEx(hook);
    DestroyWindow(window);
    DestroyWindow(parent);
}

TEST(Placement, StoredPositionComesBackKeptOnScreen)
{
    const std::wstring sub = L"Software\\GlimpseboxTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-root";
    const std::wstring root = L"HKCU\\" + sub;
    GetProductInfo()->PushAppRootKey(root.c_str());
    HWND window = Window(WS_POPUP, nullptr, {0, 0, 200, 100});

    // Nothing stored and no key: the window stays.
    SetWndOrigin(window, 33, 44);
    WndRestorePosition(window, L"Main");
    EXPECT_TRUE(At(window, 33, 44));
    SetWndOrigin(window, 120, 80);
    WndStorePosition(window, L"Main");
    RegKey key(root.c_str(), 1);
    EXPECT_EQ(key.GetDword(L"MainposLeft", 0) + key.GetDword(L"MainposTop", 0) * 1000, 120u + 80u * 1000);
    SetWndOrigin(window, 0, 0);
    WndRestorePosition(window, L"Main");
    EXPECT_TRUE(At(window, 120, 80));

    // At least half of the window on the screen, and its top below the screen's; a missing
    // value is where the window is.
    const int screenX = GetSystemMetrics(SM_CXSCREEN), screenY = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        const wchar_t* left;
        int x, y, wantX, wantY;
    } cases[] = {{L"TposLeft", screenX - 10, screenY - 10, screenX - 100, screenY - 50},
                 {L"TposLeft", -150, -30, -100, 0},
                 {L"TposLeft", -100, 5, -100, 5},
                 {L"TposLeft", screenX - 100, 0, screenX - 100, 0},
                 {L"NotStored", 7, 9, 7, 9}};
    for (const auto& c : cases) {
        key.PutInt(c.left, c.x);
        key.PutInt(L"TposTop", c.y);
        SetWndOrigin(window, 7, 9);
        WndRestorePosition(window, L"T");
        EXPECT_TRUE(At(window, c.wantX, c.wantY)) << c.x << "," << c.y;
        key.DelValue(L"TposLeft");
        key.DelValue(L"TposTop");
    }
    GetProductInfo()->PopAppRootKey();
    DestroyWindow(window);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\GlimpseboxTests");
}

TEST(Placement, ChildrenInTheirParentsCoordinatesAndStyles)
{
    HWND parent = Window(WS_POPUP | WS_VISIBLE, nullptr, {50, 50, 450, 350});
    HWND child = Window(WS_CHILD | WS_VISIBLE, parent, {10, 20, 120, 90}, 77);
    RECT r, client;
    GetClientRect(parent, &client);
    EXPECT_TRUE(OffsetWnd(child, 5, -3) && ResizeWnd(child, 10, 20) && GetCtrlRect(child, &r));
    EXPECT_TRUE(r.left == 15 && r.top == 17 && r.right == 135 && r.bottom == 107);
    EXPECT_TRUE(ResizeDlgItem(parent, 77, 100, 60) && CenterDlgItem(parent, 77, TRUE, FALSE));
    EXPECT_TRUE(GetDlgItemRect(parent, 77, &r) && r.left == (client.right - 100) / 2 && r.top == 17 && r.bottom == 77);
    EXPECT_FALSE(MoveDlgItem(parent, 999, 0, 0) || GetDlgItemRect(parent, 999, &r));
    EXPECT_EQ(GetTopParent(Window(WS_CHILD, child, {1, 1, 5, 5})), parent);

    // A style that changes is applied with its frame; one that does not is no change.
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordChanges, nullptr, GetCurrentThreadId());
    watched = child;
    changes.clear();
    EXPECT_TRUE(ModifyStyle(child, 0, WS_BORDER, SWP_NOACTIVATE));
    EXPECT_FALSE(ModifyStyle(child, 0, WS_BORDER, SWP_NOACTIVATE));
    UnhookWindowsHookEx(hook);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0] & SWP_FRAMECHANGED);
    DestroyWindow(parent);
}

TEST(DialogHelpers, DefaultButtonClicksTextAndClasses)
{
    // The dialog manager's own window, with OK as its default button and another one.
    alignas(4) const WORD empty[sizeof(DLGTEMPLATE) / 2 + 3] = {};
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(empty),
                                             nullptr, RecordCommands, 0);
    HWND ok = CreateWindowExW(0, L"Button", L"OK", WS_CHILD | BS_DEFPUSHBUTTON, 0, 0, 50, 20, dialog,
                              reinterpret_cast<HMENU>(IDOK), nullptr, nullptr);
    HWND other = CreateWindowExW(0, L"Button", L"Other", WS_CHILD, 0, 30, 50, 20, dialog,
                                 reinterpret_cast<HMENU>(1001), nullptr, nullptr);
    EXPECT_EQ(GetDlgDefBtnID(dialog), static_cast<UINT>(IDOK));
    SetDlgDefBtnID(dialog, 1001);
    EXPECT_EQ(GetDlgDefBtnID(dialog), 1001u);
    EXPECT_EQ(GetWindowLongW(other, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongW(ok, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    // A click only on an enabled button of the dialog, told as the button tells it.
    EnableWindow(other, FALSE);
    commands.clear();
    EXPECT_FALSE(SimulateButton(dialog, 1001) || SimulateButton(dialog, 999));
    EXPECT_TRUE(SimulateButton(dialog, IDOK));
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_TRUE(commands[0].first == MAKEWPARAM(IDOK, BN_CLICKED) && commands[0].second == reinterpret_cast<LPARAM>(ok));

    // Text fitted with "...": the start of the text kept, never longer than it was.
    HWND label = Window(WS_CHILD, dialog, {0, 0, 100, 20});
    EXPECT_GT(GetWndTextWidth(label, L"WWWW"), GetWndTextWidth(label, L"iiii"));
    EXPECT_EQ(GetWndTextWidth(label, nullptr), GetWndTextSize(label).cx);
    const struct {
        const wchar_t* text;
        int width;
        bool cut;
        const wchar_t* fitted;  // null: a start of the text and "..."
    } fits[] = {{L"A rather long label that cannot fit", 60, true, nullptr},
                {L"Short", 1000, false, L"Short"},
                {L"Nothing fits", 0, true, L"..."}};
    for (const auto& fit : fits) {
        wchar_t text[64];
        wcscpy(text, fit.text);
        EXPECT_EQ(FitText(text, fit.width, label) != FALSE, fit.cut) << test::ToUtf8(fit.text);
        std::wstring got = text, kept = got.size() >= 3 ? got.substr(0, got.size() - 3) : L"";
        if (fit.fitted)
            EXPECT_EQ(got, fit.fitted);
        else
            EXPECT_TRUE(got.size() > 3 && got.substr(kept.size()) == L"..." && std::wstring(fit.text).find(kept) == 0 &&
                        GetWndTextWidth(label, text) <= fit.width)
                << test::ToUtf8(got);
    }

    // Class names: the exact class, not the one a superclass was copied from.
    WNDCLASSEXW button = {};
    button.cbSize = sizeof(button);
    ASSERT_TRUE(GetClassInfoExW(nullptr, L"Button", &button));
    button.lpszClassName = L"GlmbxSuperButton";
    button.hInstance = GetModuleHandleW(nullptr);
    RegisterClassExW(&button);
    HWND super = CreateWindowExW(0, L"GlmbxSuperButton", L"x", WS_CHILD, 0, 0, 10, 10, dialog, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    EXPECT_TRUE(IsClassName(label, L"static") && IsClassName(dialog, L"#32770") && IsWndClass(ok, L"BUTTON"));
    EXPECT_TRUE(IsClassName(super, L"GlmbxSuperButton") && IsWndClass(super, L"GlmbxSuperButton"));
    EXPECT_FALSE(IsClassName(super, L"Button") || IsWndClass(super, L"Static") || IsClassName(nullptr, L"Static"));
    DestroyWindow(dialog);
}

TEST(DialogHelpers, MenuTexts)
{
    wchar_t menu[64] = L"&File && Edit";
    EXPECT_STREQ(RemoveMenuChar(menu), L"File & Edit");
    wchar_t name[64];
    EXPECT_STREQ(MakeNameFromMenu(name, L"&Open...\tCtrl+O"), L"Open");
    EXPECT_STREQ(MakeNameFromMenu(name, L"Save &As\u2026"), L"Save As");
    EXPECT_STREQ(MakeNameFromMenu(name, L"Version 1."), L"Version 1.");
    test::ExpectBounded<wchar_t>(L"Properties", [](wchar_t* buf, int size) {
        MakeNameFromMenu(buf, L"&Properties...\tAlt+Enter", size);
    });
    const std::pair<const wchar_t*, wchar_t> keys[] = {
        {L"E&xit", L'X'}, {L"Fish && &Chips", L'C'}, {L"None", 0}, {L"Trailing&", 0}};
    for (const auto& k : keys)
        EXPECT_EQ(GetMenuItemChar(k.first), k.second) << test::ToUtf8(k.first);
}

TEST(MessageBoxes, CaptionTextOwnerIconAndResult)
{
    HWND owner = Window(WS_POPUP | WS_VISIBLE, nullptr, {0, 0, 100, 100});
    HWND popup = Window(WS_POPUP | WS_VISIBLE, owner, {0, 0, 50, 50});
    const HWND noOwner = reinterpret_cast<HWND>(1);
    const std::wstring huge(3000, L'z');
    // An owner is replaced by its last active pop-up; none given: the active window; (HWND)1: none.
    SetActiveWindow(popup);
    {
        BoxAnswerer answer(IDNO);
        EXPECT_EQ(Msg(owner, MB_YESNO | MB_ICONQUESTION, L"Delete %d items from %s?", 3, L"the list"), IDNO);
        EXPECT_EQ(answer.caption, L"Glimpsebox");
        EXPECT_EQ(answer.text, L"Delete 3 items from the list?");
        EXPECT_EQ(answer.owner, popup);
        EXPECT_EQ(answer.icon, LoadIconW(nullptr, IDI_QUESTION));
    }
    SetActiveWindow(owner);
    {
        BoxAnswerer answer(IDOK);
        Msg(nullptr, MB_OK, L"plain");
        EXPECT_EQ(answer.owner, owner);
        // Text longer than 1023 characters is cut, not overrun.
        Msg(noOwner, MB_OK, L"%s", huge.c_str());
        EXPECT_EQ(answer.text, huge.substr(0, 1023));
        EXPECT_EQ(answer.owner, nullptr);
        SetLastError(ERROR_ACCESS_DENIED);
        MsgLastError(noOwner);
        EXPECT_EQ(answer.text, GetLastErrorText(ERROR_ACCESS_DENIED));
        EXPECT_EQ(answer.icon, LoadIconW(nullptr, IDI_EXCLAMATION));
        // Wine is a professional edition, which this library tells the user it does not support.
        EXPECT_FALSE(WinProNotSupported(noOwner));
        EXPECT_EQ(answer.text, test::LibraryString(20008));
        EXPECT_EQ(answer.icon, LoadIconW(nullptr, IDI_HAND));
        EXPECT_EQ(answer.count, 4);
    }
    DestroyWindow(owner);
}

TEST(CommonDialogs, BrowseFilterIsPreparedForTheDialog)
{
    wchar_t out[128];
    const struct {
        const wchar_t* filter;
        std::wstring prepared;
    } cases[] = {
        {L"Pictures|*.bmp;*.jpg", std::wstring(L"Pictures\0*.bmp;*.jpg\0All Files\0*.*\0", 36)},
        {nullptr, std::wstring(L"All Files\0*.*\0", 15)},
        {L"Text|*.txt|", std::wstring(L"Text\0*.txt\0", 12)},  // ends in a bar: taken as it is
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(out, PrepareBrowseFilter(c.filter, out, 128)), c.prepared);
    // Too small: cut after the last whole pair, still ending in two zeros.
    test::GuardedBuffer<wchar_t> cut(30), none(5);
    int used = PrepareBrowseFilter(L"Pictures|*.bmp;*.jpg", cut.Data(), 30);
    EXPECT_EQ(std::wstring(cut.Data(), used), std::wstring(L"Pictures\0*.bmp;*.jpg\0", 22));
    EXPECT_EQ(PrepareBrowseFilter(L"Pictures|*.bmp", none.Data(), 5), 2);
    EXPECT_TRUE(none.Data()[0] == 0 && none.Data()[1] == 0 && cut.GuardIntact() && none.GuardIntact());
    EXPECT_EQ(PrepareBrowseFilter(L"x|y", out, 1), 0);
}

TEST(CommonDialogs, BrowseForFileAndChooseColour)
{
    std::wstring dir = test::NewTempDir(L"browse"), file = dir + L"\\Chosen File.txt";
    ASSERT_TRUE(test::WriteUtf8File(file, "x"));
    wchar_t path[MAX_PATH] = L"";
    {
        BoxAnswerer answer(Press(IDCANCEL));
        EXPECT_EQ(BrowseForFile(nullptr, 0, path, nullptr, dir.c_str(), L"Text|*.txt"), 0);
        EXPECT_EQ(answer.caption, L"Browse for file");
        EXPECT_STREQ(path, L"");
    }
    {
        // A name typed in other letters comes back as the folder stores it.
        BoxAnswerer answer([](HWND dialog) {
            SetWindowTextW(GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1),
                           L"chosen file.TXT");
            Press(IDOK)(dialog);
        });
        EXPECT_NE(BrowseForFile(nullptr, 0, path, L"Pick one", dir.c_str(), nullptr), 0);
        EXPECT_EQ(answer.caption, L"Pick one");
        EXPECT_EQ(std::wstring(FindNameExt(path)), L"Chosen File.txt");
        EXPECT_TRUE(IsSamePath(path, file.c_str()));
    }
    DeleteFileW(file.c_str());
    RemoveDirectoryW(dir.c_str());

    // The colour dialog starts from the colour ("none" as black); "Define Custom Colors >>" only
    // with the caller's custom colours; Cancel keeps the colour.
    COLORREF custom[16];
    for (COLORREF& c : custom)
        c = RGB(1, 2, 3);
    const struct {
        COLORREF given;
        COLORREF* custom;
        WPARAM button;
        COLORREF result;
        bool defineEnabled;
    } colours[] = {{RGB(10, 20, 30), nullptr, IDOK, RGB(10, 20, 30), false},
                   {0x0FFFFFFF, custom, IDOK, RGB(0, 0, 0), true},
                   {RGB(200, 100, 50), nullptr, IDCANCEL, RGB(200, 100, 50), false}};
    for (const auto& c : colours) {
        bool defineEnabled = false;
        BoxAnswerer answer([&](HWND dialog) {
            defineEnabled = IsWindowEnabled(GetDlgItem(dialog, 0x2CF)) != FALSE;
            Press(c.button)(dialog);
        });
        COLORREF colour = c.given;
        EXPECT_EQ(MyChooseColor(nullptr, colour, 0, c.custom) != 0, c.button == IDOK);
        EXPECT_EQ(colour, c.result);
        EXPECT_EQ(defineEnabled, c.defineEnabled);
    }
    EXPECT_EQ(custom[15], RGB(1, 2, 3));
}

TEST(SystemInfo, TimeDateAndDrives)
{
    // Seconds since 1995-12-26 00:00 UTC, and today's local date in MS-DOS form.
    SYSTEMTIME epochTime = {};
    epochTime.wYear = 1995;
    epochTime.wMonth = 12;
    epochTime.wDay = 26;
    FILETIME epoch, now, local;
    SystemTimeToFileTime(&epochTime, &epoch);
    GetSysFileTime(&now);
    const ULONGLONG since = ((ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart) -
                             ULARGE_INTEGER{{epoch.dwLowDateTime, epoch.dwHighDateTime}}.QuadPart) / 10000000;
    EXPECT_LE(GetCurTime() - since, 2u);
    WORD date = 0, time = 0;
    FileTimeToLocalFileTime(&now, &local);
    FileTimeToDosDateTime(&local, &date, &time);
    EXPECT_EQ(GetDOSdate(), date);

    EXPECT_TRUE(IsDriveValid(2));  // C:
    EXPECT_FALSE(IsDriveValid(-1) || IsDriveValid(26));
    const int free = FindAvailableDrive();
    EXPECT_TRUE(free == -1 || (free >= 2 && !IsDriveValid(free))) << free;
    test::ExpectBounded<wchar_t>(L"Default", [](wchar_t* buf, int size) { GetDesktopName(buf, size); });
}
