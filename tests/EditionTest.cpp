// The two editions in one 64-bit prefix, and the installer: the 32-bit tray before a 64-bit
// shell, one tray icon whichever edition started it, and installations for the current user
// and for all users from the first start of the start dialog to the uninstall.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "product/ProductInfo.h"
#include "product/Version.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RealInput.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TrayArea.h"

namespace {

using test::TrayClass, test::StartTitle, test::SettingsKey, test::SetupKey, test::RunKey;
const wchar_t UninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Glimpsebox";
const wchar_t SetupName[] = L"Glimpsebox-" GLMBX_WIDE(GLMBX_VERSION_TEXT) L"-setup.exe";
const std::wstring None = L"<none>";

bool Eventually(const std::function<bool()>& done, DWORD timeoutMs = 15000) { return test::PumpUntil(done, timeoutMs); }
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Special(int csidl)
{
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}

// A value as text: a string as it is, a number in decimal, None when there is none.
std::wstring Value(HKEY root, const wchar_t* key, const wchar_t* name)
{
    wchar_t data[1024] = L"";
    DWORD type = 0, size = sizeof(data) - sizeof(wchar_t);
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, data, &size) != ERROR_SUCCESS)
        return None;
    DWORD number = 0;
    return type == REG_DWORD ? std::to_wstring(*static_cast<DWORD*>(memcpy(&number, data, 4))) : std::wstring(data);
}

// The first top-level window of the class (and title, when given) that the process owns.
HWND WindowOf(DWORD process, const wchar_t* cls, const wchar_t* title = nullptr)
{
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, cls, title); hwnd; hwnd = FindWindowExW(nullptr, hwnd, cls, title)) {
        DWORD owner = 0;
        if (GetWindowThreadProcessId(hwnd, &owner) && owner == process)
            return hwnd;
    }
    return nullptr;
}

std::wstring ImageOf(HWND hwnd)
{
    DWORD id = 0, size = MAX_PATH;
    wchar_t path[MAX_PATH] = L"";
    HANDLE process = GetWindowThreadProcessId(hwnd, &id) ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id) : nullptr;
    if (process && !QueryFullProcessImageNameW(process, 0, path, &size))
        path[0] = 0;
    return process && CloseHandle(process) ? path : L"";
}

} // namespace

TEST(Editions, The32BitTrayBeforeA64BitShellSaysSoAndOneIconServesBoth)
{
    test::StandinProcess shell;
    ASSERT_TRUE(shell.StartItems(test::ItemLine(60, 60, "FF0000", "Red")));
    test::ChildProcess tray32;
    ASSERT_TRUE(tray32.StartIn(GLMBX_OTHER_EDITION_DIR, L"Glimpsebox.exe", L"/TB+"));
    HWND icon = nullptr;
    ASSERT_TRUE(Eventually([&] {
        return WindowOf(tray32.ProcessId(), TrayClass) && (icon = test::TrayIconWithTip(L"Glimpsebox")) != nullptr;
    }));
    // At most one icon per desktop, whichever edition started first.
    test::ChildProcess tray64;
    ASSERT_TRUE(tray64.Start(L"Glimpsebox.exe", L"/TB+") && tray64.WaitForEnd(15000));
    EXPECT_EQ(tray64.ExitCode(), 0u);

    // A click tells the user which edition is needed, once, and reads nothing of the shell.
    ASSERT_TRUE(test::Xdo(test::MoveTo(icon) + " sleep 0.1 " + test::HeldClick(1)));
    HWND box = nullptr;
    ASSERT_TRUE(Eventually([&] { return (box = WindowOf(tray32.ProcessId(), L"#32770", L"Glimpsebox")) != nullptr; }));
    wchar_t expected[1024];
    swprintf(expected, 1024, test::LibraryString(150).c_str(), 64, 32, 64);
    EXPECT_EQ(test::Text(GetDlgItem(box, 0xFFFF)), expected);
    EXPECT_EQ(FindWindowW(L"Corvantrix_Glimpsebox32", nullptr), nullptr);
    EXPECT_EQ(FindWindowExW(nullptr, box, L"#32770", L"Glimpsebox"), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(Eventually([&] { return !IsWindow(box); }));
    EXPECT_TRUE(shell.LinesWith("itemrect ").empty() && shell.LinesWith("select ").empty());

    // Either edition's stop switch ends it.
    test::ChildProcess stop;
    ASSERT_TRUE(stop.Start(L"Glimpsebox.exe", L"/TB-") && stop.WaitForEnd(15000));
    EXPECT_TRUE(tray32.WaitForEnd(15000));
}

// Each case starts without settings or log-on entries, and ends the tray it started.
class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        for (test::SavedValue* value : {&userRun, &machineRun, &setup})
            value->Delete();
    }
    void TearDown() override
    {
        ProductInfo::PostMyMessage(FindWindowW(TrayClass, nullptr), MyMsgClose, GetProductInfo()->GetID());
        EXPECT_TRUE(Eventually([] { return !FindWindowW(TrayClass, nullptr); }));
    }

    // Runs a program of the folder with the arguments, to its end.
    bool Run(const std::wstring& folder, const wchar_t* exe, const wchar_t* args)
    {
        test::ChildProcess program;
        return program.StartIn(folder, exe, args) && program.WaitForEnd(60000) && program.ExitCode() == 0;
    }
    bool Install(const wchar_t* args) { return Run(test::ExeDir() + L"\\..\\installer", SetupName, args); }
    // The uninstaller goes on in a copy of itself; done once its entry is gone.
    bool Uninstall(HKEY root, const std::wstring& dir, const wchar_t* args)
    {
        return Run(dir, L"Uninstall.exe", args) &&
               Eventually([&] { return !Exists(dir) && Value(root, UninstallKey, L"DisplayName") == None; }, 60000);
    }

    // The installed launcher's first start: the start dialog (and its help), then OK with "Show"
    // checked and the first run's note answered. Returns the tray window that OK started.
    HWND FirstStart(const std::wstring& dir, bool help)
    {
        HWND dlg = nullptr, box = nullptr, tray = nullptr;
        DWORD id = 0;
        if (!launcher.StartIn(dir, L"Glimpsebox.exe", L"") ||
            !Eventually([&] { return (dlg = WindowOf(id = launcher.ProcessId(), L"#32770", StartTitle)) != nullptr; }))
            return nullptr;
        // The help file is found: HTML Help shows nothing at all for a missing one.
        if (help && (!PostMessageW(dlg, WM_COMMAND, IDHELP, 0) ||
                     !Eventually([&] { return WindowOf(id, L"HH Parent") != nullptr; })))
            return nullptr;
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        if (!Eventually([&] { return (box = WindowOf(id, L"#32770", L"Glimpsebox")) != nullptr; }))
            return nullptr;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        Eventually([&] { return (tray = FindWindowW(TrayClass, nullptr)) != nullptr; });
        return launcher.WaitForEnd(15000) ? tray : nullptr;
    }

    test::SavedValue userRun{HKEY_CURRENT_USER, RunKey, L"Glimpsebox"};
    test::SavedValue machineRun{HKEY_LOCAL_MACHINE, RunKey, L"Glimpsebox"};
    test::SavedValue setup{HKEY_LOCAL_MACHINE, SetupKey, L"Options"};
    test::ChildProcess launcher;
};

TEST_F(Installer, ForTheUserTheRightEditionStartsWithItsHelpAndTheUninstallKeepsOnlySettings)
{
    ASSERT_TRUE(Install(L"/S"));
    const std::wstring dir = Special(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Glimpsebox";
    const std::wstring shortcut = Special(CSIDL_PROGRAMS) + L"\\Glimpsebox.lnk";
    for (const wchar_t* file : {L"Glimpsebox.exe", L"GLMBX64.DLL", L"Glimpsebox.chm", L"x86\\Glimpsebox.exe",
                                L"x86\\GLMBX32.DLL", L"x86\\Glimpsebox.chm"})
        EXPECT_TRUE(Exists(dir + L"\\" + file)) << test::ToUtf8(file);
    EXPECT_TRUE(Exists(shortcut));
    EXPECT_EQ(Value(HKEY_CURRENT_USER, UninstallKey, L"InstallLocation"), dir);
    EXPECT_EQ(Value(HKEY_CURRENT_USER, UninstallKey, L"DisplayVersion"), GLMBX_WIDE(GLMBX_VERSION_TEXT));
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, UninstallKey, L"InstallLocation") + Value(HKEY_LOCAL_MACHINE, SetupKey, L"Options"),
              None + None);

    HWND tray = FirstStart(dir, true);
    ASSERT_TRUE(tray);
    EXPECT_EQ(ImageOf(tray), dir + L"\\Glimpsebox.exe");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, RunKey, L"Glimpsebox") + Value(HKEY_LOCAL_MACHINE, RunKey, L"Glimpsebox"),
              L"\"" + dir + L"\\Glimpsebox.exe\" /TB+" + None);

    // With the tray running: it ends, and nothing of the installation is left but the settings.
    ASSERT_TRUE(Uninstall(HKEY_CURRENT_USER, dir, L"/S"));
    EXPECT_EQ(FindWindowW(TrayClass, nullptr), nullptr);
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_EQ(Value(HKEY_CURRENT_USER, RunKey, L"Glimpsebox") + Value(HKEY_LOCAL_MACHINE, SetupKey, L"Home"), None + None);
    EXPECT_NE(Value(HKEY_CURRENT_USER, SettingsKey, L"Options"), None);
}

TEST_F(Installer, ForAllUsersTheMachineIsMarkedAndTheStartDialogRegistersForEveryone)
{
    ASSERT_TRUE(Install(L"/S /ALLUSERS"));
    const std::wstring dir = Special(CSIDL_PROGRAM_FILES) + L"\\Glimpsebox";
    EXPECT_TRUE(Exists(dir + L"\\GLMBX64.DLL") && Exists(dir + L"\\x86\\GLMBX32.DLL"));
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, UninstallKey, L"InstallLocation"), dir);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, SetupKey, L"Options"), L"8");

    ASSERT_TRUE(FirstStart(dir, false));
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RunKey, L"Glimpsebox") + Value(HKEY_CURRENT_USER, RunKey, L"Glimpsebox"),
              L"\"" + dir + L"\\Glimpsebox.exe\" /TB+" + None);

    ASSERT_TRUE(Uninstall(HKEY_LOCAL_MACHINE, dir, L"/S /REMOVESETTINGS"));
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RunKey, L"Glimpsebox") + Value(HKEY_LOCAL_MACHINE, SetupKey, L"Options") +
                  Value(HKEY_CURRENT_USER, SettingsKey, L"Options"),
              None + None + None);
}
