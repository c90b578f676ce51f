// The log of a helper program: one line appended per event, readable while the program runs.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

// Opens, appends and closes at once, so that the test can read every line written so far.
inline void AppendLogLine(const std::wstring& path, const std::string& line)
{
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// The log that Log appends to, from "--log FILE".
inline std::wstring logPath;

inline void Log(const std::string& line)
{
    AppendLogLine(logPath, line);
}

inline std::string Hex(HWND hwnd)
{
    char text[32];
    snprintf(text, sizeof(text), "%llX", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
    return text;
}
