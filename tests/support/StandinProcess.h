// The stand-in desktop shell as a child process of a test, with its request log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace test {

class StandinProcess : public ChildProcess {
public:
    StandinProcess() = default;
    ~StandinProcess() { Stop(); }
    StandinProcess(const StandinProcess&) = delete;
    StandinProcess& operator=(const StandinProcess&) = delete;

    // Starts StandinShell.exe with the arguments and its own log, and waits for "ready".
    bool Start(const std::wstring& args, DWORD timeoutMs = 30000);
    // Starts the own-list-view mode with an item file made of the given lines.
    bool StartItems(const std::string& itemFile, const std::wstring& moreArgs = L"");
    // Asks the shell to quit and waits; kills it when it does not.
    void Stop();

    HWND ListView() const { return listView; }
    HWND Progman() const { return progman; }

private:
    HWND progman = nullptr;
    HWND listView = nullptr;
};

// One line of an item file: place, picture colour ("RRGGBB"), label and overlay.
inline std::string ItemLine(int x, int y, const char* color, const std::string& label, int overlay = 0)
{
    return std::to_string(x) + "\t" + std::to_string(y) + "\t" + color + "\t" + std::to_string(overlay) + "\t" +
           label + "\n";
}

// count red items named "Item <i>" in a row, 100 pixels apart.
inline std::string RowOfItems(int count)
{
    std::string items;
    for (int i = 0; i < count; ++i)
        items += ItemLine(20 + 100 * i, 20, "FF0000", "Item " + std::to_string(i));
    return items;
}

// Reads "key=value" out of a log line; empty when absent.
std::string Field(const std::string& line, const std::string& key);

} // namespace test
