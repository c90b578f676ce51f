// TB_Icon between processes: a second start, the close and stop requests, the log-on entries
// and switching a running tray program from a controlling one.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "product/ProductInfo.h"
#include "sys/PathUtil.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TrayArea.h"
#include "ui/TB_Icon.h"

namespace {

const WORD Product = 1192;
// What TrayHelper's window destruction ends its loop with.
const DWORD HelperQuitCode = 7;

std::wstring Hex(COLORREF colour)
{
    wchar_t text[8];
    swprintf(text, 8, L"%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

HWND WindowField(const std::string& line, const char* key)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoull(test::Field(line, key).c_str(), nullptr, 16)));
}

// TrayHelper.exe (tests/tools): a program on TB_Icon in a process of its own.
class TrayProgram : public test::ChildProcess {
public:
    // Arguments for the helper: its class and icon colour, and whatever else is given.
    static std::wstring Args(const std::wstring& cls, COLORREF colour, const std::wstring& more = L"")
    {
        return L"--class " + cls + L" --colour " + Hex(colour) + (more.empty() ? L"" : L" " + more);
    }

    // Started and showing its icon.
    bool Run(const std::wstring& cls, COLORREF colour, const std::wstring& more = L"")
    {
        if (!Start(L"TrayHelper.exe", Args(cls, colour, more)))
            return false;
        return WaitForReady() && test::WaitForTrayIcon(colour, true);
    }

    bool WaitForReady()
    {
        std::string ready;
        if (!WaitForLine("ready ", &ready))
            return false;
        window = WindowField(ready, "hwnd");
        processId = strtoul(test::Field(ready, "pid").c_str(), nullptr, 10);
        return window != nullptr && test::Field(ready, "shown") == "1";
    }

    // The ending that every way of closing leads to, in this order.
    bool EndedAsClosed() const
    {
        std::vector<std::string> lines = Lines();
        std::vector<std::string> tail(lines.end() - std::min<size_t>(lines.size(), 3), lines.end());
        return tail == std::vector<std::string>{"destroy shown=0", "exit", "run result=7 init=1"};
    }

    HWND window = nullptr;
    DWORD processId = 0;
};

int WindowsOfClass(const wchar_t* cls)
{
    int count = 0;
    for (HWND hwnd = nullptr; (hwnd = FindWindowExW(nullptr, hwnd, cls, nullptr)) != nullptr;)
        ++count;
    return count;
}

// A program that only counts whether it was asked to start.
class CountingIcon : public TB_Icon {
public:
    int InitInstance(HINSTANCE, const wchar_t*, int) override
    {
        ++inits;
        return 0;
    }
    void ExitInstance() override { ++exits; }
    int inits = 0;
    int exits = 0;
};

} // namespace

TEST(TrayProgram, SecondRunActivatesTheFirstAndReturnsZero)
{
    const wchar_t cls[] = L"GlmbxTestTrayTwice";
    const COLORREF colour = RGB(0xA0, 0x10, 0x60);
    TrayProgram first;
    ASSERT_TRUE(first.Run(cls, colour));

    // From this process: nothing of the program runs, the first is asked to come forward.
    size_t mark = first.Mark();
    CountingIcon local;
    EXPECT_EQ(TB_Icon::Run(&local, cls, Product, GetModuleHandleW(nullptr), nullptr, SW_SHOWNORMAL), 0);
    EXPECT_EQ(local.inits, 0);
    EXPECT_EQ(local.exits, 0);
    EXPECT_TRUE(first.WaitForLine("message sub=3 param=0", nullptr, mark));

    // From a second process of the same program: it ends at once with 0, showing nothing.
    mark = first.Mark();
    const COLORREF secondColour = RGB(0x60, 0x10, 0xA0);
    TrayProgram second;
    ASSERT_TRUE(second.Start(L"TrayHelper.exe", TrayProgram::Args(cls, secondColour)));
    ASSERT_TRUE(second.WaitForEnd(15000));
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_EQ(second.Lines(), std::vector<std::string>{"run result=0 init=0"});
    EXPECT_TRUE(first.WaitForLine("message sub=3 param=0", nullptr, mark));
    EXPECT_FALSE(test::FindTrayIcon(secondColour, nullptr));
    EXPECT_EQ(WindowsOfClass(cls), 1);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(test::FindTrayIcon(colour, nullptr));

    // The stop request: the running program closes; Run itself starts nothing.
    EXPECT_EQ(TB_Icon::Run(nullptr, cls, Product, nullptr, nullptr, 0), 0);
    ASSERT_TRUE(first.WaitForEnd(10000));
    EXPECT_EQ(first.ExitCode(), HelperQuitCode);
    EXPECT_TRUE(first.EndedAsClosed());
    EXPECT_TRUE(test::WaitForTrayIcon(colour, false));
    EXPECT_EQ(WindowsOfClass(cls), 0);
}

TEST(TrayProgram, CloseRequestEndsTheProgramOnlyWithTheProductNumber)
{
    const wchar_t cls[] = L"GlmbxTestTrayClose";
    const COLORREF colour = RGB(0x10, 0xA0, 0xA0);
    TrayProgram program;
    ASSERT_TRUE(program.Run(cls, colour));

    // No number, other numbers, an unknown sub-code: each reaches the program, which goes on.
    const std::pair<WPARAM, LPARAM> ignored[] = {{1, 0}, {1, Product + 1}, {1, 0x10000 + Product}, {77, Product},
                                                 {0xFFFF, -1}};
    size_t mark = program.Mark();
    for (const auto& request : ignored)
        ASSERT_TRUE(ProductInfo::PostMyMessage(program.window, request.first, request.second));
    ASSERT_TRUE(program.WaitForLine("message sub=65535 param=-1", nullptr, mark));
    EXPECT_EQ(program.LinesWith("message ", mark),
              (std::vector<std::string>{"message sub=1 param=0", "message sub=1 param=1193",
                                        "message sub=1 param=66728", "message sub=77 param=1192",
                                        "message sub=65535 param=-1"}));
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(test::FindTrayIcon(colour, nullptr));

    // The product's number: the icon goes and the program ends with its loop's code.
    ASSERT_TRUE(ProductInfo::PostMyMessage(program.window, MyMsgClose, Product));
    ASSERT_TRUE(program.WaitForEnd(10000));
    EXPECT_EQ(program.ExitCode(), HelperQuitCode);
    EXPECT_TRUE(program.EndedAsClosed());
    EXPECT_TRUE(test::WaitForTrayIcon(colour, false));
}

namespace {

const wchar_t UserRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A throw-away log-on entry name, gone from both Run keys at the end.
struct RunValue {
    // The stored text, or "<none>".
    std::wstring Read(HKEY root) const
    {
        wchar_t data[1024];
        DWORD size = sizeof(data);
        DWORD type = 0;
        if (RegGetValueW(root, UserRunKey, name.c_str(), RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS)
            return L"<none>";
        return type == REG_SZ ? std::wstring(data) : L"<type " + std::to_wstring(type) + L">";
    }
    void Remove() const
    {
        user.Delete();
        machine.Delete();
    }

    const std::wstring name = L"GlmbxTestAutoLoad" + std::to_wstring(GetCurrentProcessId());
    test::SavedValue user{HKEY_CURRENT_USER, UserRunKey, name.c_str()};
    test::SavedValue machine{HKEY_LOCAL_MACHINE, UserRunKey, name.c_str()};
};

bool HasDefaultValue(HKEY root)
{
    return RegGetValueW(root, UserRunKey, nullptr, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

} // namespace

TEST(TrayAutoLoad, RunValueIsTheQuotedProgramABlankAndTheArguments)
{
    RunValue value;
    const wchar_t* name = value.name.c_str();
    HMODULE self = GetModuleHandleW(nullptr);
    const std::wstring program = test::HomeFile(L"TrayProgramTest.exe");
    ASSERT_TRUE(FileExists(program.c_str()));
    EXPECT_EQ(TB_Icon::IsRegisteredAutoLoad(0, name), 0);

    EXPECT_EQ(TB_Icon::RegisterAutoLoad(1, 0, name, L"/TB+", self), 1);
    EXPECT_EQ(value.Read(HKEY_CURRENT_USER), L"\"" + program + L"\" /TB+");
    EXPECT_EQ(value.Read(HKEY_LOCAL_MACHINE), L"<none>");
    EXPECT_EQ(TB_Icon::IsRegisteredAutoLoad(0, name), 1);
    EXPECT_EQ(TB_Icon::IsRegisteredAutoLoad(1, name), 0);

    // Off removes it, and removing what is not there is no failure.
    EXPECT_EQ(TB_Icon::RegisterAutoLoad(0, 0, name, L"/TB+", nullptr), 1);
    EXPECT_EQ(value.Read(HKEY_CURRENT_USER), L"<none>");
    EXPECT_EQ(TB_Icon::IsRegisteredAutoLoad(0, name), 0);
    EXPECT_EQ(TB_Icon::RegisterAutoLoad(0, 0, name, nullptr, nullptr), 1);

    // Without a module: the current application's, which is the library's own until a host
    // program registers itself.
    TB_Icon::RegisterAutoLoad(1, 0, name, L"/TB+", nullptr);
    EXPECT_EQ(value.Read(HKEY_CURRENT_USER), L"\"" + test::HomeFile(L"GLMBX32.DLL") + L"\" /TB+");
    {
        AppInstance app(self, nullptr);
        TB_Icon::RegisterAutoLoad(1, 0, name, L"/TB+", nullptr);
        EXPECT_EQ(value.Read(HKEY_CURRENT_USER), L"\"" + program + L"\" /TB+");
    }

    // No arguments: no blank. Arguments too long for the entry are cut at 255 characters.
    TB_Icon::RegisterAutoLoad(1, 0, name, nullptr, self);
    EXPECT_EQ(value.Read(HKEY_CURRENT_USER), L"\"" + program + L"\"");
    std::wstring longArgs(300, L'x');
    TB_Icon::RegisterAutoLoad(1, 0, name, longArgs.c_str(), self);
    std::wstring stored = value.Read(HKEY_CURRENT_USER);
    std::wstring start = L"\"" + program + L"\" ";
    EXPECT_EQ(stored.size(), 255u);
    EXPECT_EQ(stored, (start + longArgs).substr(0, 255));

    // For all users: the machine's key, and only that.
    value.Remove();
    EXPECT_EQ(TB_Icon::RegisterAutoLoad(1, 1, name, L"/TB+", self), 1);
    EXPECT_EQ(value.Read(HKEY_LOCAL_MACHINE), L"\"" + program + L"\" /TB+");
    EXPECT_EQ(value.Read(HKEY_CURRENT_USER), L"<none>");
    EXPECT_EQ(TB_Icon::IsRegisteredAutoLoad(1, name), 1);
    EXPECT_EQ(TB_Icon::IsRegisteredAutoLoad(0, name), 0);
    EXPECT_EQ(TB_Icon::RegisterAutoLoad(0, 1, name, nullptr, nullptr), 1);
    EXPECT_EQ(value.Read(HKEY_LOCAL_MACHINE), L"<none>");

    // A missing or empty name would be the key's default value: nothing is written or found.
    bool hadDefault = HasDefaultValue(HKEY_CURRENT_USER);
    EXPECT_EQ(TB_Icon::RegisterAutoLoad(1, 0, nullptr, L"/TB+", self), 0);
    EXPECT_EQ(TB_Icon::RegisterAutoLoad(1, 0, L"", L"/TB+", self), 0);
    EXPECT_EQ(TB_Icon::RegisterAutoLoad(0, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(HasDefaultValue(HKEY_CURRENT_USER), hadDefault);
    EXPECT_EQ(TB_Icon::IsRegisteredAutoLoad(0, nullptr), 0);
    EXPECT_EQ(TB_Icon::IsRegisteredAutoLoad(0, L""), 0);
}

TEST(TrayAutoLoad, ProcessStartsSignalsAndEndsTheProgram)
{
    RunValue value;
    const wchar_t cls[] = L"GlmbxTestTrayProcess";
    const COLORREF colour = RGB(0x80, 0x80, 0xF0);
    TrayProgram program;
    program.PrepareLog(L"TrayHelper.exe");
    std::wstring argsOn = program.LogArgument() + L" " + TrayProgram::Args(cls, colour);
    const UINT subCode = 77;

    // On, nothing running: the entry is written and the program started from the home folder.
    TB_Icon::Process(1, 0, Product, subCode, cls, value.name.c_str(), L"TrayHelper.exe", argsOn.c_str(), L"/off");
    EXPECT_EQ(value.Read(HKEY_CURRENT_USER), L"\"" + test::HomeFile(L"GLMBX32.DLL") + L"\" " + argsOn);
    ASSERT_TRUE(program.WaitForReady());
    // Whatever happens below, the started program does not outlive the test.
    struct Ender {
        DWORD* pid;
        ~Ender()
        {
            HANDLE process = *pid ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, *pid) : nullptr;
            if (process) {
                if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
                    TerminateProcess(process, 9);
                CloseHandle(process);
            }
        }
    } ender{&program.processId};
    EXPECT_TRUE(test::WaitForTrayIcon(colour, true));

    // On, running: the program is told with the sub-code; no second one starts.
    size_t mark = program.Mark();
    TB_Icon::Process(1, 0, Product, subCode, cls, value.name.c_str(), L"TrayHelper.exe", argsOn.c_str(), L"/off");
    EXPECT_TRUE(program.WaitForLine("message sub=77 param=0", nullptr, mark));
    EXPECT_EQ(WindowsOfClass(cls), 1);
    EXPECT_TRUE(program.LinesWith("ready ", mark).empty());

    // Off: the entry goes and the program closes.
    TB_Icon::Process(0, 0, Product, subCode, cls, value.name.c_str(), L"TrayHelper.exe", argsOn.c_str(), L"/off");
    EXPECT_EQ(value.Read(HKEY_CURRENT_USER), L"<none>");
    EXPECT_TRUE(program.WaitForLine("run result=7 init=1", nullptr, mark));
    EXPECT_TRUE(program.EndedAsClosed());
    EXPECT_TRUE(test::WaitForTrayIcon(colour, false));

    // Off with nothing running, and a missing class: nothing happens, nothing breaks.
    TB_Icon::Process(0, 0, Product, subCode, cls, value.name.c_str(), L"TrayHelper.exe", nullptr, nullptr);
    TB_Icon::Process(0, 0, Product, subCode, nullptr, value.name.c_str(), nullptr, nullptr, nullptr);
    EXPECT_EQ(value.Read(HKEY_CURRENT_USER), L"<none>");
}
