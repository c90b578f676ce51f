// Starting things: files, processes, shell items, the product's own files and the program
// itself, seen through the marker program's log; the RunDll32 log-on entry; the wallpaper.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "sys/PIDL.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"
#include "sys/ShellNames.h"
#include "sys/ShellRun.h"
#include "sys/iShellLink.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/TestSupport.h"

namespace {

const wchar_t ChildMarkerVariable[] = L"GLMBX_RUNMYSELF_MARKER";

// When RunMyself starts this program again, the copy only reports how it was started (its
// command line, then its working folder) into the marker file and ends.
struct ChildMode {
    ChildMode()
    {
        wchar_t marker[MAX_PATH];
        DWORD length = GetEnvironmentVariableW(ChildMarkerVariable, marker, MAX_PATH);
        if (!length || length >= MAX_PATH)
            return;
        wchar_t folder[MAX_PATH] = L"";
        GetCurrentDirectoryW(MAX_PATH, folder);
        test::WriteUtf8File(marker, test::ToUtf8(std::wstring(GetCommandLineW()) + L"\n" + folder));
        ExitProcess(0);
    }
} childMode;

std::wstring Marker()
{
    return test::ExeDir() + L"\\Marker.exe";
}

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

// Waits (bounded) until the log holds the marker's line for tag.
bool Logged(const std::wstring& log, const std::string& tag)
{
    return test::PumpUntil([&] { return test::ReadFileBytes(log).find("opened " + tag + "\n") != std::string::npos; },
                           20000);
}


class ShellRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = test::NewTempDir(L"run");
        log = dir + L"\\marker.log";
    }
    std::wstring Args(const char* tag) const { return Quoted(log) + L" " + test::FromUtf8(tag); }

    std::wstring dir;
    std::wstring log;
};

// Makes a folder the current one for the life of the object.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder)
    {
        GetCurrentDirectoryW(MAX_PATH, previous);
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(previous); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    wchar_t previous[MAX_PATH];
};

std::wstring LibraryShortPath()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(L"GLMBX32.DLL"), path, MAX_PATH);
    wchar_t shortPath[MAX_PATH];
    DWORD length = GetShortPathNameW(path, shortPath, MAX_PATH);
    return length && length < MAX_PATH ? shortPath : path;
}

} // namespace

TEST_F(ShellRun, RunFileWithAnEmptyFolderIsRunFileWithNone)
{
    std::wstring current = test::NewTempDir(L"current");
    std::wstring other = test::NewTempDir(L"other");
    CurrentFolder inside(current);

    // The marker writes a relative log into its working folder.
    ASSERT_TRUE(RunFile(Marker().c_str(), L"rel.log none", nullptr));
    EXPECT_TRUE(Logged(current + L"\\rel.log", "none"));
    ASSERT_TRUE(RunFile(Marker().c_str(), L"rel.log empty", L""));
    EXPECT_TRUE(Logged(current + L"\\rel.log", "empty"));
    ASSERT_TRUE(RunFile(Marker().c_str(), L"rel.log given", other.c_str()));
    EXPECT_TRUE(Logged(other + L"\\rel.log", "given"));
    EXPECT_EQ(test::ReadFileBytes(current + L"\\rel.log").find("given"), std::string::npos);
}

TEST_F(ShellRun, ProcessHandlesComeBackToTheCaller)
{
    HANDLE process = StartProcess(Marker().c_str(), Args("started").c_str(), L"");
    ASSERT_NE(process, nullptr);
    ASSERT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
    DWORD code = 1;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(process);
    EXPECT_TRUE(Logged(log, "started"));

    HANDLE other = nullptr;
    ASSERT_TRUE(RunFileEx(Marker().c_str(), Args("verb").c_str(), L"open", 0, &other));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(WaitForSingleObject(other, 20000), WAIT_OBJECT_0);
    CloseHandle(other);
    EXPECT_TRUE(Logged(log, "verb"));

    ASSERT_TRUE(RunFileEx(Marker().c_str(), Args("nohandle").c_str(), nullptr, SEE_MASK_NOCLOSEPROCESS));
    EXPECT_TRUE(Logged(log, "nohandle"));
}

TEST_F(ShellRun, RunLocalFileFindsTheFileInTheHomeFolder)
{
    wchar_t home[MAX_PATH];
    ASSERT_TRUE(GetLocalFolder(home));
    // No setup recorded a home folder here: it is the library's own folder.
    EXPECT_TRUE(IsSamePath(home, test::ExeDir().c_str())) << test::ToUtf8(home);

    std::wstring elsewhere = test::NewTempDir(L"elsewhere");
    CurrentFolder inside(elsewhere);
    ASSERT_TRUE(RunLocalFile(nullptr, L"Marker.exe", Args("local").c_str(), nullptr));
    EXPECT_TRUE(Logged(log, "local"));
    test::RecordingWindow owner;
    ASSERT_TRUE(RunLocalFile(owner.Handle(), L"Marker.exe", Args("owned").c_str(), L"open"));
    EXPECT_TRUE(Logged(log, "owned"));

    test::BoxAnswerer boxes(IDOK);  // the shell's error messages, counted
    EXPECT_FALSE(RunLocalFile(nullptr, nullptr));
    EXPECT_FALSE(RunLocalFile(nullptr, L""));
    EXPECT_EQ(boxes.count, 0);
    // A file that is not there: the shell's own message, not silence.
    EXPECT_FALSE(RunLocalFile(nullptr, L"NoSuchProgram.exe"));
    EXPECT_EQ(boxes.count, 1);
}

TEST_F(ShellRun, RunMyselfStartsThisProgramAgainInItsFolder)
{
    std::wstring marker = dir + L"\\myself.txt";
    ASSERT_TRUE(SetEnvironmentVariableW(ChildMarkerVariable, marker.c_str()));
    BOOL started = RunMyself(L"--second-copy \"with words\"");
    SetEnvironmentVariableW(ChildMarkerVariable, nullptr);
    ASSERT_TRUE(started);
    std::string report;
    ASSERT_TRUE(test::PumpUntil([&] {
        report = test::ReadFileBytes(marker);
        return report.find('\n') != std::string::npos;
    }, 20000));
    std::wstring text = test::FromUtf8(report);
    std::wstring commandLine = text.substr(0, text.find(L'\n'));
    std::wstring folder = text.substr(text.find(L'\n') + 1);
    EXPECT_NE(commandLine.find(L"--second-copy \"with words\""), std::wstring::npos) << test::ToUtf8(commandLine);
    EXPECT_TRUE(IsSamePath(folder.c_str(), test::ExeDir().c_str())) << test::ToUtf8(folder);
}

TEST_F(ShellRun, RunProcessExpandsTheEnvironment)
{
    ASSERT_TRUE(SetEnvironmentVariableW(L"GLMBX_MARKER_LOG", log.c_str()));
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(RunProcess(nullptr, (Quoted(Marker()) + L" \"%GLMBX_MARKER_LOG%\" expanded").c_str(), &info, SW_HIDE,
                           L""));
    ASSERT_NE(info.hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    EXPECT_TRUE(Logged(log, "expanded"));

    // The application named apart from its arguments, handles closed here.
    ASSERT_TRUE(RunProcess(Marker().c_str(), (L"Marker.exe " + Args("named")).c_str()));
    EXPECT_TRUE(Logged(log, "named"));

    // Too long once expanded: nothing starts.
    ASSERT_TRUE(SetEnvironmentVariableW(L"GLMBX_MARKER_LOG", (dir + L"\\" + std::wstring(300, L'z')).c_str()));
    info = {};
    EXPECT_FALSE(RunProcess(nullptr, (Quoted(Marker()) + L" \"%GLMBX_MARKER_LOG%\" long").c_str(), &info));
    EXPECT_EQ(info.hProcess, nullptr);
    SetEnvironmentVariableW(L"GLMBX_MARKER_LOG", nullptr);
    EXPECT_FALSE(RunProcess(nullptr, nullptr));
    EXPECT_FALSE(RunProcess(L"", L""));
    EXPECT_FALSE(RunProcess(nullptr, (dir + L"\\missing.exe").c_str()));
}

TEST_F(ShellRun, ShellItemsAndShortcutsRunTheirTargets)
{
    std::wstring link = dir + L"\\Marker.lnk";
    ASSERT_TRUE(CreateLink(Marker().c_str(), link.c_str(), Args("pidl").c_str()));
    PIDL item;
    item.Attach(GetPidlOf(link.c_str()));
    ASSERT_TRUE(item.IsReady());
    ASSERT_TRUE(RunPidl(nullptr, item, nullptr));
    EXPECT_TRUE(Logged(log, "pidl"));

    iShellLink shortcut;
    ASSERT_TRUE(shortcut.Load(link.c_str()));
    ASSERT_TRUE(shortcut.SetArguments(Args("execute").c_str()));
    ASSERT_TRUE(shortcut.Execute(nullptr));
    EXPECT_TRUE(Logged(log, "execute"));

    std::wstring opened = dir + L"\\Opened.lnk";
    ASSERT_TRUE(CreateLink(Marker().c_str(), opened.c_str(), Args("document").c_str()));
    ASSERT_TRUE(RunFile(opened.c_str()));
    EXPECT_TRUE(Logged(log, "document"));
}

TEST_F(ShellRun, FailuresSpeakOnlyWhenAllowedAndBadInputNeverCrashes)
{
    test::BoxAnswerer boxes(IDOK);  // the shell's error messages, counted
    std::wstring missing = dir + L"\\missing.exe", longPath = dir + L"\\" + std::wstring(400, L'q') + L".exe";
    HANDLE process = reinterpret_cast<HANDLE>(1);
    EXPECT_FALSE(RunFileEx(missing.c_str(), nullptr, nullptr, SEE_MASK_FLAG_NO_UI, &process));
    EXPECT_EQ(process, nullptr);
    EXPECT_FALSE(RunFile(nullptr) || RunFile(L"") || RunFileEx(L"", nullptr, nullptr, 0) || RunPidl(nullptr, nullptr) ||
                 RunFileEx(longPath.c_str(), nullptr, nullptr, SEE_MASK_FLAG_NO_UI));
    EXPECT_EQ(StartProcess(nullptr), nullptr);
    EXPECT_EQ(boxes.count, 0);
    // Without the flag the shell reports the failure itself.
    EXPECT_FALSE(RunFile(missing.c_str()));
    EXPECT_EQ(StartProcess(missing.c_str()), nullptr);
    EXPECT_EQ(boxes.count, 2);

    RunFile(longPath.c_str(), std::wstring(5000, L'p').c_str(), longPath.c_str());
    EXPECT_EQ(StartProcess(longPath.c_str()), nullptr);
    EXPECT_FALSE(SetWallpaper(nullptr) || SetWallpaper(std::wstring(400, L'w').c_str()));
    EXPECT_FALSE(GetSetAutoRunDll32(1, nullptr, 1, 1, L"x") || GetSetAutoRunDll32(1, L"", 1, 1, L"x"));
}

TEST(AutoRunDll32, LogOnEntryInEveryMode)
{
    const std::wstring name = L"GlmbxTest" + std::to_wstring(GetCurrentProcessId());
    const std::wstring expected = L"RunDll32.exe " + LibraryShortPath() + L",Entry /quiet";
    for (int currentUser : {1, 0}) {
        SCOPED_TRACE(currentUser ? "current user" : "all users");
        std::wstring keyPath = std::wstring(currentUser ? RegKey::sz_HKCU_WinCurVer : RegKey::sz_HKLM_WinCurVer) +
                               L"\\Run";
        auto stored = [&] {
            RegKey key(keyPath.c_str(), 0);
            wchar_t value[1024];
            return key.GetStr(name.c_str(), value, 1024, L"<absent>") ? std::wstring(value) : std::wstring();
        };

        // Asking (set 0) whether the entry is as wanted; setting it on, then off.
        auto is = [&](int on, const wchar_t* args) { return !!GetSetAutoRunDll32(0, name.c_str(), on, currentUser, args); };
        EXPECT_TRUE(!is(1, L"Entry /quiet") && is(0, L"Entry /quiet"));
        EXPECT_TRUE(AutoRunDll32(name.c_str(), 1, currentUser, L"Entry /quiet"));
        EXPECT_EQ(stored(), expected);
        EXPECT_TRUE(is(1, L"Entry /quiet") && !is(0, L"Entry /quiet"));
        EXPECT_FALSE(is(1, L"Entry /loud"));  // other arguments are another entry
        EXPECT_TRUE(GetSetAutoRunDll32(1, name.c_str(), 0, currentUser, L"Entry /quiet"));
        EXPECT_EQ(stored(), L"<absent>");
        EXPECT_TRUE(is(0, L"Entry /quiet"));

        RegKey cleanup(keyPath.c_str(), 1);
        cleanup.DelValue(name.c_str());
    }
}

TEST_F(ShellRun, WallpaperIsSetStoredAndRemoved)
{
    wchar_t previous[MAX_PATH] = L"";
    SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, previous, 0);

    // A 2 x 2 picture, 24 bits per pixel: rows of 8 bytes.
    std::string bmp = std::string("BM") + std::string("\x46\x00\x00\x00", 4) + std::string(4, '\0') +
                      std::string("\x36\x00\x00\x00", 4) + std::string("\x28\x00\x00\x00", 4) +
                      std::string("\x02\x00\x00\x00", 4) + std::string("\x02\x00\x00\x00", 4) +
                      std::string("\x01\x00\x18\x00", 4) + std::string(4, '\0') + std::string("\x10\x00\x00\x00", 4) +
                      std::string(16, '\0') + std::string(16, '\x7F');
    std::wstring picture = dir + L"\\wall.bmp";
    ASSERT_TRUE(test::WriteUtf8File(picture, bmp));

    ASSERT_TRUE(SetWallpaper(picture.c_str()));
    wchar_t now[MAX_PATH] = L"";
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0));
    EXPECT_TRUE(IsSamePath(now, picture.c_str())) << test::ToUtf8(now);
    RegKey desktop(L"HKCU\\Control Panel\\Desktop", 0);
    wchar_t stored[MAX_PATH];
    desktop.GetStr(L"Wallpaper", stored, MAX_PATH);
    EXPECT_TRUE(IsSamePath(stored, picture.c_str())) << test::ToUtf8(stored);

    ASSERT_TRUE(SetWallpaper(L""));
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0));
    EXPECT_STREQ(now, L"");
    desktop.GetStr(L"Wallpaper", stored, MAX_PATH);
    EXPECT_STREQ(stored, L"");

    SetWallpaper(previous);
}
