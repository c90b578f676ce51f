// The start dialog and the properties dialog as a user meets them: the real launcher driven with
// real keys and clicks, then what the registry, the Run keys, the processes and the screen show.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <deque>

#include "app/MyOpts.h"
#include "app/SharedData.h"
#include "product/ProductInfo.h"
#include "res/DialogIds.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Pixels.h"
#include "tests/support/RealInput.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TrayArea.h"

namespace {

using test::TrayClass, test::StartTitle, test::SettingsKey, test::SetupKey, test::RunKey;
const wchar_t PropertiesTitle[] = L"Glimpsebox properties";
const DWORD Ok = IDOK, Cancel = IDCANCEL, Started = MyOpts::FlagStartedOnce, Noted = MyOpts::FlagSpywareNoteShown;
const std::wstring Elsewhere = L"C:\\elsewhere\\other.exe", NoEntry = L"<none>";

bool Eventually(const std::function<bool()>& done) { return test::PumpUntil(done, 10000); }
bool Keys(const std::string& keys) { return test::Xdo("key --delay 120 " + keys); }
bool Checked(HWND dlg, int id) { return SendDlgItemMessageW(dlg, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool Click(HWND dlg, int id) { return test::Xdo(test::MoveTo(GetDlgItem(dlg, id)) + " " + test::HeldClick(1)); }
RECT Rect(HWND dlg, int id = 0) { RECT rc = {}; return GetWindowRect(id ? GetDlgItem(dlg, id) : dlg, &rc), rc; }

// A dialog of the title in front, given the keyboard as a window manager would: without one, Wine
// leaves the X focus behind a window activated hidden or from another process.
HWND Shown(const wchar_t* title)
{
    HWND dlg = nullptr;
    return Eventually([&] {
        dlg = FindWindowW(L"#32770", title);
        auto xid = dlg ? reinterpret_cast<UINT_PTR>(GetPropW(dlg, L"__wine_x11_whole_window")) : 0;
        return xid && IsWindowVisible(dlg) && GetForegroundWindow() == dlg &&
               test::Xdo("windowfocus --sync " + std::to_string(xid));
    }) ? dlg : nullptr;
}

std::string Raw(const wchar_t* name, HKEY root = HKEY_CURRENT_USER, const wchar_t* key = SettingsKey)
{
    char data[1024];
    DWORD type = 0, size = sizeof(data);
    bool read = !RegGetValueW(root, key, name, RRF_RT_ANY, &type, data, &size);
    return read ? std::to_string(type) + ":" + std::string(data, size) : "";
}
DWORD Setting(const wchar_t* name)
{
    std::string raw = Raw(name);
    return raw.size() == 6 ? *reinterpret_cast<const DWORD*>(raw.data() + 2) : 0xBAD;
}
std::string Settings(std::initializer_list<const wchar_t*> names)
{
    std::string all;
    for (const wchar_t* name : names)
        all += std::to_string(static_cast<int>(Setting(name))) + " ";
    return all;
}
void Put(const wchar_t* name, DWORD value, HKEY root = HKEY_CURRENT_USER, const wchar_t* key = SettingsKey)
{
    RegSetKeyValueW(root, key, name, REG_DWORD, &value, sizeof(value));
}
std::wstring RunEntry(HKEY root)
{
    std::string raw = Raw(L"Glimpsebox", root, RunKey);
    return raw.empty() ? NoEntry : reinterpret_cast<const wchar_t*>(raw.data() + 2);
}
std::wstring OurEntry() { return L"\"" + test::HomeFile(L"Glimpsebox.exe") + L"\" /TB+"; }

// Each case starts without settings, log-on entries or installer's choice, and ends its tray.
class ConfigDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const wchar_t* name : {L"Options", L"WndPos", L"BkgType", L"GradientType", L"BorderType", L"BkgColor",
                                    L"BkgGradient", L"CustomColors", L"ImagePath", L"MarginLeft", L"MarginTop",
                                    L"MarginRight", L"MarginBottom", L"BkgImageMRU"})
            settings.emplace_back(HKEY_CURRENT_USER, SettingsKey, name).Delete();
        for (test::SavedValue* value : {&userRun, &machineRun, &setup})
            value->Delete();
    }
    void TearDown() override
    {
        ProductInfo::PostMyMessage(FindWindowW(TrayClass, nullptr), MyMsgClose, GetProductInfo()->GetID());
        EXPECT_TRUE(Eventually([] { return !FindWindowW(TrayClass, nullptr); }));
    }
    HWND Start() { return launcher.Start(L"Glimpsebox.exe", L"") ? Shown(StartTitle) : nullptr; }
    HWND Properties() { return Keys("alt+p") ? Shown(PropertiesTitle) : nullptr; }
    bool CloseProperties(HWND dlg, const std::string& keys = "Escape")
    {
        return Keys(keys) && Eventually([&] { return !IsWindow(dlg); }) && Shown(StartTitle);
    }
    DWORD End(const std::string& keys)
    {
        return Keys(keys) && launcher.WaitForEnd(10000) ? launcher.ExitCode() : STILL_ACTIVE;
    }
    // The product's message box: its text, once it was answered with Enter.
    std::wstring Note()
    {
        HWND box = Shown(L"Glimpsebox");
        std::wstring text = box ? test::Text(GetDlgItem(box, 0xFFFF)) : L"<no box>";
        return Keys("Return") && Eventually([&] { return !IsWindow(box); }) ? text : L"<not answered>";
    }

    std::deque<test::SavedValue> settings;
    test::SavedValue userRun{HKEY_CURRENT_USER, RunKey, L"Glimpsebox"};
    test::SavedValue machineRun{HKEY_LOCAL_MACHINE, RunKey, L"Glimpsebox"};
    test::SavedValue setup{HKEY_LOCAL_MACHINE, SetupKey, L"Options"};
    test::ChildProcess launcher;
};

} // namespace

TEST_F(ConfigDialogs, FirstRunsTakeTheInstallersChoiceASecondStartComesForwardAndHideEndsTheIcon)
{
    // No settings at all: a cancelled first run stores the sample picture offered, choice pending.
    wchar_t sample[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, sample);
    SHCreateDirectoryExW(nullptr, wcscat(sample, L"\\My Pictures\\Sample Pictures"), nullptr);
    ASSERT_TRUE(test::WriteUtf8File(wcscat(sample, L"\\Sunset.jpg"), "a picture"));
    RegDeleteKeyW(HKEY_CURRENT_USER, SettingsKey);
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, SettingsKey), ERROR_FILE_NOT_FOUND);
    Put(L"Options", 0x8, HKEY_LOCAL_MACHINE, SetupKey);
    ASSERT_TRUE(Start());
    EXPECT_EQ(End("Escape"), Cancel);
    DeleteFileW(sample);
    EXPECT_EQ(Raw(L"ImagePath"), "1:" + std::string(reinterpret_cast<char*>(sample), (wcslen(sample) + 1) * 2));
    EXPECT_EQ(Setting(L"Options"), Started | MyOpts::FlagTakeSetupChoice);
    EXPECT_EQ(RunEntry(HKEY_LOCAL_MACHINE), NoEntry);

    HWND dlg = Start();
    ASSERT_TRUE(dlg);
    EXPECT_EQ(GetSharedData()->hwndDlgMain, dlg);
    EXPECT_TRUE(Keys("alt+h") && Eventually([&] { return !IsWindowEnabled(GetDlgItem(dlg, IDC_START_PROPERTIES)); }));
    ASSERT_TRUE(Keys("alt+s Return"));
    EXPECT_EQ(Note(), test::LibraryString(5));
    EXPECT_TRUE(launcher.WaitForEnd(10000) && launcher.ExitCode() == Ok);
    EXPECT_TRUE(Eventually([] { return FindWindowW(TrayClass, nullptr) != nullptr; }));
    EXPECT_EQ(RunEntry(HKEY_LOCAL_MACHINE) + RunEntry(HKEY_CURRENT_USER), OurEntry() + NoEntry);
    EXPECT_EQ(Setting(L"Options"), Started | Noted);
    EXPECT_EQ(GetSharedData()->hwndDlgMain, nullptr);

    // A start meanwhile only brings it forward; no entry, no note (a box would keep it alive).
    machineRun.Delete();
    ASSERT_TRUE(dlg = Start());
    ShowWindow(dlg, SW_MINIMIZE);
    ASSERT_TRUE(Eventually([&] { return IsIconic(dlg) != FALSE; }));
    test::ChildProcess second;
    ASSERT_TRUE(second.Start(L"Glimpsebox.exe", L"") && second.WaitForEnd(10000) && second.ExitCode() == 0);
    EXPECT_TRUE(Shown(StartTitle) == dlg && !IsIconic(dlg));
    EXPECT_EQ(FindWindowExW(nullptr, dlg, L"#32770", StartTitle), nullptr);
    EXPECT_EQ(End("alt+h Return"), Ok);
    EXPECT_TRUE(Eventually([] { return !FindWindowW(TrayClass, nullptr); }));
    EXPECT_EQ(RunEntry(HKEY_LOCAL_MACHINE), NoEntry);
    EXPECT_EQ(Setting(L"Options"), Started | Noted);
}

TEST_F(ConfigDialogs, PropertiesShowDamageSanelyAndApplyWhatIsShownToTheRunningTrayAndTheRunKeys)
{
    // Damaged values; the pending choice (this user) shown, not the machine's entry elsewhere.
    Put(L"Options", Started | MyOpts::FlagTakeSetupChoice);
    Put(L"BorderType", 77);
    Put(L"GradientType", 9);
    Put(L"MarginLeft", 7);
    const std::wstring longPath(300, L'p');
    RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"ImagePath", REG_SZ, longPath.c_str(), 602);
    RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"CustomColors", REG_BINARY, "short", 5);
    machineRun.Set(Elsewhere);
    test::StandinProcess shell;
    test::ChildProcess tray;
    HWND icon = nullptr, dlg = nullptr, mirror = nullptr, chooser = nullptr;
    ASSERT_TRUE(shell.StartItems(test::ItemLine(60, 60, "FF0000", "Red")) && tray.Start(L"Glimpsebox.exe", L"/TB+"));
    ASSERT_TRUE(Eventually([&] { return (icon = test::TrayIconWithTip(L"Glimpsebox")) != nullptr; }));
    ASSERT_TRUE(Start() && (dlg = Properties()));
    EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_BORDER_TYPE, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_IMAGE_PATH, WM_GETTEXTLENGTH, 0, 0), 0);  // too long to be a path
    EXPECT_TRUE(Checked(dlg, IDC_AUTOLOAD) && Checked(dlg, IDC_AUTOLOAD_USER) && !Checked(dlg, IDC_AUTOLOAD_ALL));
    // Closed without Apply, and the start dialog after it: nothing is rewritten.
    ASSERT_TRUE(CloseProperties(dlg));
    EXPECT_EQ(End("Escape"), Cancel);
    EXPECT_EQ(Settings({L"Options", L"BorderType", L"GradientType"}), "9 77 9 ");
    EXPECT_EQ(Raw(L"ImagePath").size() + Raw(L"CustomColors").size(), 604u + 7u);
    EXPECT_EQ(RunEntry(HKEY_LOCAL_MACHINE), Elsewhere);

    ASSERT_TRUE(Start() && (dlg = Properties()));
    auto indicatorShows = [&](COLORREF colour) {
        RECT rc = Rect(dlg, IDC_GRADIENT_INDICATOR);
        std::vector<COLORREF> pixels = test::ScreenPixels({rc.left + 3, rc.top + 3, rc.right - 3, rc.bottom - 3});
        return !pixels.empty() && pixels == std::vector<COLORREF>(pixels.size(), colour);
    };
    EXPECT_TRUE(Eventually([&] { return indicatorShows(0xD08410); }));
    // Frame "None", then "No gradient" ("&Color:" shares its letter with "For the &current user").
    EXPECT_TRUE(Keys("alt+b End Tab Tab Home") && Eventually([&] {
        return !IsWindowEnabled(GetDlgItem(dlg, IDC_GRADIENT_INDICATOR)) && indicatorShows(GetSysColor(COLOR_BTNFACE));
    }));
    // In the chooser's basic colours (8 by 6) the fifth of the fourth row: pure blue.
    ASSERT_TRUE(Click(dlg, IDC_COLOR_INDICATOR) && (chooser = Shown(L"Color")));
    RECT basic = Rect(chooser, 720);
    POINT blue = {basic.left + (basic.right - basic.left) * 9 / 16, basic.top + (basic.bottom - basic.top) * 7 / 12};
    ASSERT_TRUE(test::Xdo(test::MoveTo(blue) + " sleep 0.1 " + test::HeldClick(1) + " key Return"));
    ASSERT_TRUE(Eventually([&] { return !IsWindow(chooser); }) && Shown(PropertiesTitle));
    ASSERT_TRUE(Keys("alt+t minus 3 alt+e BackSpace alt+r 1 5 0 0") && Click(dlg, IDC_APPLY));
    EXPECT_EQ(Note(), test::LibraryString(5));
    EXPECT_EQ(RunEntry(HKEY_CURRENT_USER) + RunEntry(HKEY_LOCAL_MACHINE), OurEntry() + NoEntry);
    EXPECT_EQ(test::Text(GetDlgItem(dlg, IDCANCEL)), L"Close");
    EXPECT_EQ(Settings({L"Options", L"BkgColor", L"GradientType", L"BorderType"}), "5 16711680 0 4 ");
    EXPECT_EQ(Settings({L"MarginTop", L"MarginLeft", L"MarginRight"}), "-3 0 1500 ");
    EXPECT_TRUE(Keys("alt+l") && Click(dlg, IDC_APPLY) &&
                Eventually([&] { return RunEntry(HKEY_CURRENT_USER) == NoEntry; }));

    // Only wider; "..." keeps to the edge. Reopened alike, and after the start dialog stored it.
    RECT before = Rect(dlg), list = Rect(dlg, IDC_IMAGE_PATH), browse = Rect(dlg, IDC_IMAGE_BROWSE);
    ASSERT_TRUE(test::Xdo(test::Drag(POINT{before.right - 6, before.bottom - 6}, 90, 40)) &&
                Eventually([&] { return Rect(dlg).right == before.right + 90; }));
    EXPECT_EQ(Rect(dlg).bottom, before.bottom);
    EXPECT_EQ(Rect(dlg, IDC_IMAGE_PATH).right, list.right + 90);
    RECT grown = Rect(dlg), now;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(CloseProperties(dlg));
        ASSERT_TRUE(round == 0 || (End("Escape") == Cancel && Start()));
        ASSERT_TRUE(dlg = Properties());
        EXPECT_TRUE(EqualRect(&(now = Rect(dlg)), &grown));
        EXPECT_EQ(Rect(dlg, IDC_IMAGE_BROWSE).left, browse.left + 90);
    }
    EXPECT_TRUE(CloseProperties(dlg) && End("Escape") == Cancel);

    // The running tray's next mirror window (wider than the screen): no frame, blue but the icon.
    ASSERT_TRUE(test::Xdo(test::MoveTo(icon) + " " + test::HeldClick(1)) && Eventually([&] {
        return (mirror = FindWindowW(L"Corvantrix_Glimpsebox32", nullptr)) != nullptr && IsWindowVisible(mirror);
    }));
    EXPECT_EQ(GetWindowLongW(mirror, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_TRUE(Eventually([&] {
        RECT shown = Rect(mirror), screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        std::vector<COLORREF> pixels = test::ScreenPixels((IntersectRect(&shown, &shown, &screen), shown));
        return std::count(pixels.begin(), pixels.end(), RGB(0, 0, 255)) * 10 > static_cast<long>(pixels.size()) * 9;
    }));
}
