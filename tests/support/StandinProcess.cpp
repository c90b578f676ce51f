// Starting, watching and stopping the stand-in desktop shell.
#include "tests/support/StandinProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/TestSupport.h"

namespace test {

bool StandinProcess::Start(const std::wstring& args, DWORD timeoutMs)
{
    Stop();
    std::string ready;
    if (!ChildProcess::Start(L"StandinShell.exe", args) || !WaitForLine("listed ", nullptr, 0, timeoutMs) ||
        !WaitForLine("ready ", &ready, 0, 0))
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
    std::wstring path = NewTempDir(L"items") + L"\\items.txt";
    return WriteUtf8File(path, itemFile) && Start(L"--items \"" + path + L"\" --no-menus " + moreArgs);
}

void StandinProcess::Stop()
{
    if (Running() && progman && IsWindow(progman))
        PostMessageW(progman, WM_CLOSE, 0, 0);
    if (!WaitForEnd(5000))
        Kill();
    progman = listView = nullptr;
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
