// Window placement on real windows, text fitting and menu texts, the product's message boxes and
// the common dialogs' filters and colour chooser (answered by a hook: nothing waits on a person).
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "product/ProductInfo.h"
#include "support/BoxAnswerer.h"
#include "support/TestSupport.h"
#include "sys/CommonDlg.h"
#include "sys/RegKey.h"
#include "sys/ResStr.h"
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

HWND Window(DWORD style, HWND parent, RECT place)
{
    return CreateWindowExW(0, L"STATIC", L"Label", style, place.left, place.top, place.right - place.left,
                           place.bottom - place.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

testing::AssertionResult At(HWND hwnd, int left, int top)
{
    RECT r = {};
    GetWindowRect(hwnd, &r);
    if (r.left == left && r.top == top)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "at " << r.left << "," << r.top << ", not " << left << "," << top;
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
    UnhookWindowsHookEx(hook);
    const UINT keep = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    EXPECT_FALSE(changes.empty());
    for (UINT flags : changes)
        EXPECT_EQ(flags & keep, keep);
    DestroyWindow(window);
    DestroyWindow(parent);
}

TEST(Placement, StoredPositionComesBackKeptOnScreen)
{
    const std::wstring root = L"HKCU\\Software\\GlimpseboxTests\\" + std::to_wstring(GetCurrentProcessId());
    GetProductInfo()->PushAppRootKey(root.c_str());
    HWND window = Window(WS_POPUP, nullptr, {0, 0, 200, 100});

    SetWndOrigin(window, 120, 80);
    WndStorePosition(window, L"Main");
    RegKey key(root.c_str(), 1);
    EXPECT_TRUE(key.GetDword(L"MainposLeft", 0) == 120 && key.GetDword(L"MainposTop", 0) == 80);
    SetWndOrigin(window, 0, 0);
    WndRestorePosition(window, L"Main");
    EXPECT_TRUE(At(window, 120, 80));

    // Half the window on the screen at least, its top below the screen's; missing: where it is.
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

TEST(DialogHelpers, TextFitting)
{
    // Cut with "...", keeping the start of the text; a text that fits stays.
    HWND label = Window(WS_POPUP, nullptr, {0, 0, 100, 20});
    const std::wstring longText = L"A rather long label that cannot fit";
    wchar_t text[64];
    wcscpy(text, longText.c_str());
    EXPECT_TRUE(FitText(text, 60, label));
    const std::wstring fitted = text, kept = fitted.substr(0, fitted.size() - 3);
    EXPECT_TRUE(fitted.size() > 3 && fitted.substr(kept.size()) == L"..." && longText.find(kept) == 0);
    EXPECT_LE(GetWndTextWidth(label, text), 60);
    wcscpy(text, L"Short");
    EXPECT_FALSE(FitText(text, 1000, label));
    EXPECT_STREQ(text, L"Short");
    wcscpy(text, L"Nothing fits");
    EXPECT_TRUE(FitText(text, 0, label));
    EXPECT_STREQ(text, L"...");
    DestroyWindow(label);
}

TEST(DialogHelpers, MenuTexts)
{
    wchar_t menu[64] = L"&File && Edit";
    EXPECT_STREQ(RemoveMenuChar(menu), L"File & Edit");
    wchar_t name[64];
    EXPECT_STREQ(MakeNameFromMenu(name, L"&Open...\tCtrl+O"), L"Open");
    EXPECT_STREQ(MakeNameFromMenu(name, L"Save &As\u2026"), L"Save As");
    EXPECT_STREQ(MakeNameFromMenu(name, L"Version 1."), L"Version 1.");
    const std::pair<const wchar_t*, wchar_t> keys[] = {
        {L"E&xit", L'X'}, {L"Fish && &Chips", L'C'}, {L"None", 0}, {L"Trailing&", 0}};
    for (const auto& k : keys)
        EXPECT_EQ(GetMenuItemChar(k.first), k.second) << test::ToUtf8(k.first);
}

TEST(MessageBoxes, CaptionTextOwnerIconAndResult)
{
    HWND owner = Window(WS_POPUP | WS_VISIBLE, nullptr, {0, 0, 100, 100});
    HWND popup = Window(WS_POPUP | WS_VISIBLE, owner, {0, 0, 50, 50});
    const std::wstring huge(3000, L'z');
    // An owner is replaced by its last active pop-up; none given: the active window; (HWND)1: none.
    BoxAnswerer answer(IDNO);
    SetActiveWindow(popup);
    EXPECT_EQ(Msg(owner, MB_YESNO | MB_ICONQUESTION, L"Delete %d items from %s?", 3, L"the list"), IDNO);
    EXPECT_EQ(answer.caption, L"Glimpsebox");
    EXPECT_EQ(answer.text, L"Delete 3 items from the list?");
    EXPECT_EQ(answer.owner, popup);
    EXPECT_EQ(answer.icon, LoadIconW(nullptr, IDI_QUESTION));
    SetActiveWindow(owner);
    Msg(nullptr, MB_OK, L"plain");
    EXPECT_EQ(answer.owner, owner);
    // Text longer than 1023 characters is cut, not overrun.
    Msg(reinterpret_cast<HWND>(1), MB_OK, L"%s", huge.c_str());
    EXPECT_EQ(answer.text, huge.substr(0, 1023));
    EXPECT_EQ(answer.owner, nullptr);
    EXPECT_EQ(answer.count, 3);
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
    EXPECT_EQ(std::wstring(out, PrepareBrowseFilter(L"Pictures|*.bmp;*.jpg", out, 30)),
              std::wstring(L"Pictures\0*.bmp;*.jpg\0", 22));
    EXPECT_EQ(std::wstring(out, PrepareBrowseFilter(L"Pictures|*.bmp", out, 5)), std::wstring(2, L'\0'));
    EXPECT_EQ(PrepareBrowseFilter(L"x|y", out, 1), 0);
}

TEST(CommonDialogs, ColourChooserStartsFromTheGivenColour)
{
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
