// Starting, watching and stopping the stand-in desktop shell.
#include "tests/support/StandinProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/TestSupport.h"

namespace test {

HANDLE StandinProcess::job = nullptr;

StandinProcess::~StandinProcess()
{
    Stop();
}

bool StandinProcess::Start(const std::wstring& args, DWORD timeoutMs)
{
    Stop();
    dir = NewTempDir(L"standin");
    logPath = dir + L"\\standin.log";
    std::wstring exe = ExeDir() + L"\\StandinShell.exe";
    std::wstring command = L"\"" + exe + L"\" --log \"" + logPath + L"\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, dir.c_str(), &si,
                        &pi))
        return false;
    // The shell ends with the test program, even one that is killed: a shell left behind
    // would keep the next test's shell from starting.
    if (!job) {
        job = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (job)
            SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    if (job)
        AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    std::string ready;
    if (!WaitForLine("listed ", nullptr, 0, timeoutMs) || !WaitForLine("ready ", &ready, 0, 0))
        return false;
    progman = reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoull(Field(ready, "progman").c_str(), nullptr, 16)));
    listView = reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoull(Field(ready, "listview").c_str(), nullptr, 16)));
    if (!listView)
        return false;
    // The product finds the desktop by its class: a "Progman" of another process still on the
    // screen (a shell that has not finished dying) would take this one's requests.
    if (!PumpUntil([this] { return FindWindowW(L"Progman", nullptr) == progman; }, timeoutMs)) {
        DWORD other = 0;
        GetWindowThreadProcessId(FindWindowW(L"Progman", nullptr), &other);
        ADD_FAILURE() << "another Progman window (process " << other << ") is in the way of the stand-in shell";
        return false;
    }
    return true;
}

bool StandinProcess::StartItems(const std::string& itemFile, const std::wstring& moreArgs)
{
    std::wstring itemDir = NewTempDir(L"items");
    std::wstring path = itemDir + L"\\items.txt";
    if (!WriteUtf8File(path, itemFile))
        return false;
    return Start(L"--items \"" + path + L"\" --no-menus " + moreArgs);
}

bool StandinProcess::Running() const
{
    return pi.hProcess && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
}

void StandinProcess::Stop()
{
    if (!pi.hProcess)
        return;
    if (Running() && progman && IsWindow(progman))
        PostMessageW(progman, WM_CLOSE, 0, 0);
    bool ended = PumpUntil([this] { return !Running(); }, 5000);
    if (!ended)
        Kill();
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    pi = {};
    progman = listView = nullptr;
}

void StandinProcess::Kill()
{
    if (pi.hProcess && Running()) {
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 10000);
    }
}

std::vector<std::string> StandinProcess::Lines() const
{
    return ReadLogLines(logPath);
}

std::vector<std::string> StandinProcess::LinesWith(const std::string& prefix, size_t from) const
{
    return LogLinesWith(logPath, prefix, from);
}

bool StandinProcess::WaitForLine(const std::string& prefix, std::string* line, size_t from, DWORD timeoutMs) const
{
    return WaitForLogLine(logPath, prefix, line, from, timeoutMs);
}

std::string Field(const std::string& line, const std::string& key)
{
    std::string pattern = " " + key + "=";
    size_t at = line.find(pattern);
    if (at == std::string::npos)
        return {};
    at += pattern.size();
    // label= runs to the end of the line; everything else to the next blank.
    if (key == "label")
        return line.substr(at);
    size_t end = line.find(' ', at);
    return line.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

} // namespace test
