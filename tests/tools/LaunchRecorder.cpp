// LaunchRecorder: appends "started <its command line>" to "<its own path>.log" and ends. A copy
// named as another program shows the tests how the product started that program.
#include <windows.h>

#include <string>

#include "tests/tools/HelperLog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int)
{
    wchar_t self[MAX_PATH] = L"";
    char line[2048] = "";
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH) ||
        !WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, line, sizeof(line), nullptr, nullptr))
        return 1;
    AppendLogLine(std::wstring(self) + L".log", std::string("started ") + line);
    return 0;
}
