// A helper program of the tests (from tests/tools) as a child process with its own log file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace test {

// The program lies beside the test program; its log is "<name>.log" in a new temporary
// folder, which is also its current folder, and is passed as "--log PATH" before the other
// arguments. The log holds one event per line. An object still running at its end is
// terminated, and so is every child when the test program ends, even when it is killed.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts exeName ("TrayHelper.exe") with the arguments; false when it could not start.
    bool Start(const std::wstring& exeName, const std::wstring& args) { return StartIn(ExeDir(), exeName, args); }
    // The same with the program taken from folder instead (a copy beside other files). Without
    // passLog the program gets the arguments alone (the log's folder is still its current one).
    bool StartIn(const std::wstring& folder, const std::wstring& exeName, const std::wstring& args,
                 bool passLog = true);
    // Only the log: for a program that something else will start with LogArgument().
    void PrepareLog(const std::wstring& exeName);
    std::wstring LogArgument() const { return L"--log \"" + logPath + L"\""; }

    bool Running() const { return pi.hProcess && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD ProcessId() const { return pi.dwProcessId; }
    // The folder of the log, the program's current folder.
    std::wstring Dir() const { return logPath.substr(0, logPath.find_last_of(L'\\')); }
    // Pumps messages until the process has ended, at most timeoutMs; false when it has not
    // (or was never started).
    bool WaitForEnd(DWORD timeoutMs) { return pi.hProcess && PumpUntil([this] { return !Running(); }, timeoutMs); }
    // The exit code once it has ended, else STILL_ACTIVE.
    DWORD ExitCode() const;
    void Kill();

    // Whole lines only, without line ends.
    std::vector<std::string> Lines() const { return ReadLogLines(logPath); }
    size_t Mark() const { return Lines().size(); }
    // The lines at or after `from` that start with prefix.
    std::vector<std::string> LinesWith(const std::string& prefix, size_t from = 0) const
    {
        return LogLinesWith(logPath, prefix, from);
    }
    // Pumps messages until such a line exists, at most timeoutMs.
    bool WaitForLine(const std::string& prefix, std::string* line = nullptr, size_t from = 0,
                     DWORD timeoutMs = 15000) const
    {
        return WaitForLogLine(logPath, prefix, line, from, timeoutMs);
    }

private:
    void Close();
    static HANDLE job;

    std::wstring logPath;
    PROCESS_INFORMATION pi = {};
};

} // namespace test
