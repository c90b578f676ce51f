// Shortcuts (created, read, resolved) and starting things: files, processes, shell items, the
// product's own files and the program itself, seen through the marker program's log; the
// RunDll32 log-on entry; the wallpaper.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <utility>

#include "sys/PIDL.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"
#include "sys/ShellNames.h"
#include "sys/ShellRun.h"
#include "sys/iShellLink.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/TestSupport.h"

using test::ToUtf8;

namespace {

const wchar_t ChildMarkerVariable[] = L"GLMBX_RUNMYSELF_MARKER";

// When RunMyself starts this program again, the copy only reports how it was started (its
// command line, then its working folder) into the marker file and ends.
struct ChildMode {
    ChildMode()
    {
        wchar_t marker[MAX_PATH], folder[MAX_PATH] = L"";
        DWORD length = GetEnvironmentVariableW(ChildMarkerVariable, marker, MAX_PATH);
        if (!length || length >= MAX_PATH)
            return;
        GetCurrentDirectoryW(MAX_PATH, folder);
        test::WriteUtf8File(marker, ToUtf8(std::wstring(GetCommandLineW()) + L"\n" + folder));
        ExitProcess(0);
    }
} childMode;

const std::wstring Marker = test::ExeDir() + L"\\Marker.exe";

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

// A temporary folder with a target file and the marker's log.
class ShellRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = test::NewTempDir(L"run");
        log = dir + L"\\marker.log";
        target = dir + L"\\Target File.txt";
        ASSERT_TRUE(test::WriteUtf8File(target, "target"));
    }
    std::wstring Args(const char* tag) const { return Quoted(log) + L" " + test::FromUtf8(tag); }
    std::wstring Path(const wchar_t* name) const { return dir + L"\\" + name; }

    std::wstring dir, log, target;
};
using Shortcuts = ShellRun;

} // namespace

TEST_F(Shortcuts, CreatedLinkLeadsToItsTargetWithArguments)
{
    std::wstring link = Path(L"Shortcut.lnk"), plain = Path(L"Plain.lnk");
    ASSERT_TRUE(CreateLink(target.c_str(), link.c_str(), L"--first \"two words\"") &&
                CreateLink(target.c_str(), plain.c_str()));
    EXPECT_TRUE(GetAttributesOf(link.c_str()) & SFGAO_LINK);
    wchar_t path[MAX_PATH];
    EXPECT_TRUE(GetShortcutTargetPath(path, link.c_str()) && IsSamePath(path, target.c_str())) << ToUtf8(path);
    for (const auto& made : {std::make_pair(link, L"--first \"two words\""), std::make_pair(plain, L"")}) {
        iShellLink read;
        wchar_t args[MAX_PATH];
        ASSERT_TRUE(read.Load(made.first.c_str()) && read.GetArguments(args, MAX_PATH));
        EXPECT_STREQ(args, made.second);
    }
    // Resolving, silently or not, puts the target in place of the link; other paths stay.
    for (int noUI : {1, 0}) {
        wcscpy(path, link.c_str());
        ASSERT_TRUE(ResolveShortcut(nullptr, path, noUI));
        EXPECT_TRUE(IsSamePath(path, target.c_str())) << ToUtf8(path);
        ASSERT_TRUE(ResolveShortcut(nullptr, path, noUI));
        EXPECT_EQ(std::wstring(path), target);
    }
    iShellLink reader;
    iPersistFile readerFile;
    for (const std::wstring& other : {target, Path(L"missing.txt")}) {
        EXPECT_TRUE(ResolveLink(nullptr, reader, readerFile, other.c_str(), path, SLR_NO_UI, FALSE));
        EXPECT_EQ(std::wstring(path), other);
    }
}

TEST_F(Shortcuts, LinkFieldsSurviveTheFileAndResolving)
{
    iShellLink link, read, byList;  // the caller's objects hold what was read
    iPersistFile readFile;
    PIDL list, targetList;
    wchar_t text[MAX_PATH];
    int index = 0;
    std::wstring file = Path(L"Fields.lnk");
    ASSERT_TRUE(link.SetPath(target.c_str()) && link.SetArguments(L"/x") && link.SetDescription(L"Described") &&
                link.SetIconLocation(L"C:\\windows\\system32\\shell32.dll", 3) && link.Save(file.c_str()));
    ASSERT_TRUE(ResolveLink(nullptr, read, readFile, file.c_str(), text, 0, TRUE));
    EXPECT_TRUE(IsSamePath(text, target.c_str()));
    EXPECT_TRUE(read.GetPath(text, MAX_PATH) && IsSamePath(text, target.c_str()));
    EXPECT_TRUE(read.GetArguments(text, MAX_PATH) && wcscmp(text, L"/x") == 0);
    EXPECT_TRUE(read.GetDescription(text, MAX_PATH) && wcscmp(text, L"Described") == 0);
    EXPECT_TRUE(read.GetIconLocation(text, MAX_PATH, index) && index == 3);
    EXPECT_STREQ(text, L"C:\\windows\\system32\\shell32.dll");
    list.Attach(read.GetIDList());
    EXPECT_TRUE(GetPathOf(list, text) && IsSamePath(text, target.c_str()));
    targetList.Attach(GetPidlOf(target.c_str()));
    ASSERT_TRUE(byList.SetIDList(targetList) && byList.GetPath(text, MAX_PATH));
    EXPECT_TRUE(IsSamePath(text, target.c_str()));
}

TEST_F(Shortcuts, BadInputIsRefused)
{
    std::wstring longName = dir + L"\\" + std::wstring(300, L'l') + L".lnk";
    const std::pair<const wchar_t*, std::wstring> badLinks[] = {
        {nullptr, Path(L"a.lnk")}, {L"", Path(L"a.lnk")}, {target.c_str(), L""}, {target.c_str(), longName},
        {target.c_str(), Path(L"no such folder\\a.lnk")}};
    for (const auto& bad : badLinks)
        EXPECT_FALSE(CreateLink(bad.first, bad.second.c_str())) << ToUtf8(bad.second);
    EXPECT_FALSE(CreateLink(target.c_str(), nullptr) || FileExists(Path(L"a.lnk").c_str()));
    wchar_t result[MAX_PATH] = L"x";
    EXPECT_FALSE(GetShortcutTargetPath(result, nullptr));
    EXPECT_STREQ(result, L"");
    EXPECT_FALSE(GetShortcutTargetPath(result, L"") || GetShortcutTargetPath(nullptr, target.c_str()) ||
                 GetShortcutTargetPath(result, longName.c_str()) || ResolveShortcut(nullptr, nullptr, 1));

    // A damaged link file: the name says link, the contents are not one.
    std::wstring damaged = Path(L"Damaged.lnk");
    ASSERT_TRUE(test::WriteUtf8File(damaged, std::string(200, '\x5A')));
    wchar_t path[MAX_PATH];
    wcscpy(path, damaged.c_str());
    EXPECT_FALSE(GetShortcutTargetPath(result, damaged.c_str()) || ResolveShortcut(nullptr, path, 1));
    EXPECT_EQ(std::wstring(path), damaged);
    iShellLink link;
    iPersistFile noFile;
    iPersistStream noStream;
    EXPECT_FALSE(link.Load(damaged.c_str()) || link.Load(nullptr) || link.Save(L"") ||
                 noFile.Load(target.c_str(), STGM_READ) || noFile.Open(nullptr) || noStream.Load(nullptr));

    // Getters cut to the buffer and never overrun it.
    ASSERT_TRUE(link.SetDescription(L"0123456789"));
    test::GuardedBuffer<wchar_t> small(5);
    link.GetDescription(small.Data(), 5);
    EXPECT_TRUE(small.GuardIntact() && small.Terminated());
    wchar_t untouched[2] = L"q";
    EXPECT_FALSE(link.GetDescription(untouched, 0) || link.GetDescription(nullptr, 10));
    EXPECT_STREQ(untouched, L"q");
}

TEST_F(ShellRun, RunFileWithAnEmptyFolderIsRunFileWithNone)
{
    std::wstring current = test::NewTempDir(L"current"), other = test::NewTempDir(L"other");
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));  // each case runs in a process of its own
    // The marker writes a relative log into its working folder.
    ASSERT_TRUE(RunFile(Marker.c_str(), L"rel.log none", nullptr));
    EXPECT_TRUE(Logged(current + L"\\rel.log", "none"));
    ASSERT_TRUE(RunFile(Marker.c_str(), L"rel.log empty", L""));
    EXPECT_TRUE(Logged(current + L"\\rel.log", "empty"));
    ASSERT_TRUE(RunFile(Marker.c_str(), L"rel.log given", other.c_str()));
    EXPECT_TRUE(Logged(other + L"\\rel.log", "given"));
    EXPECT_EQ(test::ReadFileBytes(current + L"\\rel.log").find("given"), std::string::npos);
}

TEST_F(ShellRun, ProcessHandlesComeBackToTheCaller)
{
    HANDLE started = StartProcess(Marker.c_str(), Args("started").c_str(), L""), other = nullptr;
    ASSERT_NE(started, nullptr);
    ASSERT_TRUE(RunFileEx(Marker.c_str(), Args("verb").c_str(), L"open", 0, &other));
    ASSERT_NE(other, nullptr);
    DWORD code = 1;
    for (HANDLE process : {started, other}) {
        EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
        EXPECT_TRUE(GetExitCodeProcess(process, &code) && code == 0);
        CloseHandle(process);
    }
    EXPECT_TRUE(Logged(log, "started") && Logged(log, "verb"));
    ASSERT_TRUE(RunFileEx(Marker.c_str(), Args("nohandle").c_str(), nullptr, SEE_MASK_NOCLOSEPROCESS));
    EXPECT_TRUE(Logged(log, "nohandle"));
}

TEST_F(ShellRun, LocalFilesAndThisProgramRunFromTheirFolder)
{
    wchar_t home[MAX_PATH];
    ASSERT_TRUE(GetLocalFolder(home));
    // No setup recorded a home folder here: it is the library's own folder.
    EXPECT_TRUE(IsSamePath(home, test::ExeDir().c_str())) << ToUtf8(home);
    ASSERT_TRUE(SetCurrentDirectoryW(test::NewTempDir(L"elsewhere").c_str()));
    test::RecordingWindow owner;
    ASSERT_TRUE(RunLocalFile(nullptr, L"Marker.exe", Args("local").c_str(), nullptr));
    ASSERT_TRUE(RunLocalFile(owner.Handle(), L"Marker.exe", Args("owned").c_str(), L"open"));
    EXPECT_TRUE(Logged(log, "local") && Logged(log, "owned"));
    {
        test::BoxAnswerer boxes(IDOK);  // the shell's error messages, counted
        EXPECT_FALSE(RunLocalFile(nullptr, nullptr) || RunLocalFile(nullptr, L""));
        EXPECT_EQ(boxes.count, 0);
        EXPECT_FALSE(RunLocalFile(nullptr, L"NoSuchProgram.exe"));  // the shell's own message, not silence
        EXPECT_EQ(boxes.count, 1);
    }

    std::wstring marker = dir + L"\\myself.txt";
    ASSERT_TRUE(SetEnvironmentVariableW(ChildMarkerVariable, marker.c_str()));
    BOOL started = RunMyself(L"--second-copy \"with words\"");
    SetEnvironmentVariableW(ChildMarkerVariable, nullptr);
    ASSERT_TRUE(started);
    std::string report;
    ASSERT_TRUE(test::PumpUntil([&] { return (report = test::ReadFileBytes(marker)).find('\n') != std::string::npos; },
                                20000));
    std::wstring text = test::FromUtf8(report);
    std::wstring commandLine = text.substr(0, text.find(L'\n')), folder = text.substr(text.find(L'\n') + 1);
    EXPECT_NE(commandLine.find(L"--second-copy \"with words\""), std::wstring::npos) << ToUtf8(commandLine);
    EXPECT_TRUE(IsSamePath(folder.c_str(), test::ExeDir().c_str())) << ToUtf8(folder);
}

TEST_F(ShellRun, RunProcessExpandsTheEnvironment)
{
    ASSERT_TRUE(SetEnvironmentVariableW(L"GLMBX_MARKER_LOG", log.c_str()));
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(RunProcess(nullptr, (Quoted(Marker) + L" \"%GLMBX_MARKER_LOG%\" expanded").c_str(), &info, SW_HIDE, L""));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    // The application named apart from its arguments, handles closed here.
    ASSERT_TRUE(RunProcess(Marker.c_str(), (L"Marker.exe " + Args("named")).c_str()));
    EXPECT_TRUE(Logged(log, "expanded") && Logged(log, "named"));

    // Too long once expanded: nothing starts.
    ASSERT_TRUE(SetEnvironmentVariableW(L"GLMBX_MARKER_LOG", (dir + L"\\" + std::wstring(300, L'z')).c_str()));
    info = {};
    EXPECT_FALSE(RunProcess(nullptr, (Quoted(Marker) + L" \"%GLMBX_MARKER_LOG%\" long").c_str(), &info));
    EXPECT_EQ(info.hProcess, nullptr);
    SetEnvironmentVariableW(L"GLMBX_MARKER_LOG", nullptr);
    EXPECT_FALSE(RunProcess(nullptr, nullptr) || RunProcess(L"", L"") || RunProcess(nullptr, Path(L"missing.exe").c_str()));
}

TEST_F(ShellRun, ShellItemsAndShortcutsRunTheirTargets)
{
    std::wstring link = Path(L"Marker.lnk"), opened = Path(L"Opened.lnk");
    ASSERT_TRUE(CreateLink(Marker.c_str(), link.c_str(), Args("pidl").c_str()));
    ASSERT_TRUE(CreateLink(Marker.c_str(), opened.c_str(), Args("document").c_str()));
    PIDL item;
    item.Attach(GetPidlOf(link.c_str()));
    ASSERT_TRUE(RunPidl(nullptr, item, nullptr));
    iShellLink shortcut;
    ASSERT_TRUE(shortcut.Load(link.c_str()) && shortcut.SetArguments(Args("execute").c_str()));
    ASSERT_TRUE(shortcut.Execute(nullptr));
    ASSERT_TRUE(RunFile(opened.c_str()));
    EXPECT_TRUE(Logged(log, "pidl") && Logged(log, "execute") && Logged(log, "document"));
}

TEST_F(ShellRun, FailuresSpeakOnlyWhenAllowedAndBadInputNeverCrashes)
{
    test::BoxAnswerer boxes(IDOK);  // the shell's error messages, counted
    std::wstring missing = Path(L"missing.exe"), longPath = dir + L"\\" + std::wstring(400, L'q') + L".exe";
    HANDLE process = reinterpret_cast<HANDLE>(1);
    EXPECT_FALSE(RunFileEx(missing.c_str(), nullptr, nullptr, SEE_MASK_FLAG_NO_UI, &process));
    EXPECT_EQ(process, nullptr);
    EXPECT_FALSE(RunFile(nullptr) || RunFile(L"") || RunFileEx(L"", nullptr, nullptr, 0) || RunPidl(nullptr, nullptr) ||
                 RunFileEx(longPath.c_str(), nullptr, nullptr, SEE_MASK_FLAG_NO_UI) || StartProcess(nullptr));
    EXPECT_EQ(boxes.count, 0);
    // Without the flag the shell reports the failure itself.
    EXPECT_FALSE(RunFile(missing.c_str()) || StartProcess(missing.c_str()));
    EXPECT_EQ(boxes.count, 2);

    RunFile(longPath.c_str(), std::wstring(5000, L'p').c_str(), longPath.c_str());
    EXPECT_EQ(StartProcess(longPath.c_str()), nullptr);
    EXPECT_FALSE(SetWallpaper(nullptr) || SetWallpaper(std::wstring(400, L'w').c_str()));
    EXPECT_FALSE(GetSetAutoRunDll32(1, nullptr, 1, 1, L"x") || GetSetAutoRunDll32(1, L"", 1, 1, L"x"));
}

TEST(AutoRunDll32, LogOnEntryInEveryMode)
{
    const std::wstring name = L"GlmbxTest" + std::to_wstring(GetCurrentProcessId());
    wchar_t library[MAX_PATH], shortPath[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(L"GLMBX32.DLL"), library, MAX_PATH);
    DWORD length = GetShortPathNameW(library, shortPath, MAX_PATH);
    const std::wstring expected = L"RunDll32.exe " + std::wstring(length && length < MAX_PATH ? shortPath : library) +
                                  L",Entry /quiet";
    for (int currentUser : {1, 0}) {
        SCOPED_TRACE(currentUser ? "current user" : "all users");
        std::wstring keyPath =
            std::wstring(currentUser ? RegKey::sz_HKCU_WinCurVer : RegKey::sz_HKLM_WinCurVer) + L"\\Run";
        auto stored = [&] {
            wchar_t value[1024];
            RegKey(keyPath.c_str(), 0).GetStr(name.c_str(), value, 1024, L"<absent>");
            return std::wstring(value);
        };
        // Asking (set 0) whether the entry is as wanted; setting it on, then off.
        auto is = [&](int on, const wchar_t* args) { return !!GetSetAutoRunDll32(0, name.c_str(), on, currentUser, args); };
        EXPECT_TRUE(!is(1, L"Entry /quiet") && is(0, L"Entry /quiet"));
        EXPECT_TRUE(AutoRunDll32(name.c_str(), 1, currentUser, L"Entry /quiet"));
        EXPECT_EQ(stored(), expected);
        EXPECT_TRUE(is(1, L"Entry /quiet") && !is(0, L"Entry /quiet") && !is(1, L"Entry /loud"));
        EXPECT_TRUE(GetSetAutoRunDll32(1, name.c_str(), 0, currentUser, L"Entry /quiet"));
        EXPECT_EQ(stored(), L"<absent>");
        EXPECT_TRUE(is(0, L"Entry /quiet"));
        RegKey(keyPath.c_str(), 1).DelValue(name.c_str());
    }
}

TEST_F(ShellRun, WallpaperIsSetStoredAndRemoved)
{
    wchar_t previous[MAX_PATH] = L"", now[MAX_PATH] = L"", stored[MAX_PATH] = L"";
    SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, previous, 0);
    // A 2 x 2 picture, 24 bits per pixel: rows of 8 bytes.
    const char header[] = "BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x18\0\0\0\0\0\x10\0\0\0";
    std::wstring picture = Path(L"wall.bmp");
    ASSERT_TRUE(test::WriteUtf8File(picture, std::string(header, sizeof(header) - 1) + std::string(16, '\0') +
                                                 std::string(16, '\x7F')));
    RegKey desktop(L"HKCU\\Control Panel\\Desktop", 0);
    for (const std::wstring& wanted : {picture, std::wstring()}) {
        ASSERT_TRUE(SetWallpaper(wanted.c_str()));
        ASSERT_TRUE(SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0));
        desktop.GetStr(L"Wallpaper", stored, MAX_PATH);
        EXPECT_TRUE(wanted.empty() ? !now[0] && !stored[0] : IsSamePath(now, picture.c_str()) && IsSamePath(stored, picture.c_str()))
            << ToUtf8(now) << " / " << ToUtf8(stored);
    }
    SetWallpaper(previous);
}
