// Marker: appends "opened TAG..." to a log file, so that a test can see the shell really opened an item.
#include "standin/Handles.h"
#include "standin/Log.h"

#include <shellapi.h>

#include <string>

// Usage: Marker.exe LOGFILE TAG...  Exit code 0 when the line was written, 1 otherwise.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments)
        return 1;
    standin::UniqueLocal owner(reinterpret_cast<HLOCAL>(arguments));
    if (count < 2)
        return 1;
    std::wstring line = L"opened";
    for (int i = 2; i < count; ++i) {
        line += L' ';
        line += arguments[i];
    }
    return standin::Log(arguments[1]).Write(line) ? 0 : 1;
}
