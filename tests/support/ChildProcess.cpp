// Starting, watching and ending a helper program of the tests.
#include "tests/support/ChildProcess.h"

namespace test {

HANDLE ChildProcess::job = nullptr;

ChildProcess::~ChildProcess()
{
    Kill();
    Close();
}

void ChildProcess::PrepareLog(const std::wstring& exeName)
{
    std::wstring name = exeName.substr(0, exeName.find_last_of(L'.'));
    logPath = NewTempDir(name.c_str()) + L"\\" + name + L".log";
    // Process ids come round again, and with them the folder of an earlier run.
    DeleteFileW(logPath.c_str());
}

bool ChildProcess::StartIn(const std::wstring& folder, const std::wstring& exeName, const std::wstring& args,
                           bool passLog)
{
    Kill();
    Close();
    PrepareLog(exeName);
    std::wstring exe = folder + L"\\" + exeName;
    std::wstring command = L"\"" + exe + L"\" " + (passLog ? LogArgument() + L" " : L"") + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, Dir().c_str(),
                        &si, &pi))
        return false;
    // A stand-in shell left behind would keep the next test's shell from starting.
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
    return true;
}

DWORD ChildProcess::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (pi.hProcess)
        GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

void ChildProcess::Kill()
{
    if (Running()) {
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 10000);
    }
}

void ChildProcess::Close()
{
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    pi = {};
}

} // namespace test
