// Helpers of the test programs: bounded waits that keep messages flowing, files and text.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "product/Version.h"

namespace test {

// Pumps this thread's messages until done() holds or timeoutMs passes; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Pumps whatever is queued now, without waiting.
void PumpPending();

// The system's own names, written out rather than taken from the product's headers, so that a
// wrong one in the product fails the tests that use them.
inline constexpr wchar_t TrayClass[] = L"Corvantrix_GLIMPSEBOX_TBICON";
inline constexpr wchar_t StartTitle[] = L"Glimpsebox XP Edition";
inline constexpr wchar_t SettingsKey[] = L"Software\\Corvantrix\\Glimpsebox";
inline constexpr wchar_t SetupKey[] = L"Software\\Corvantrix\\Glimpsebox\\Setup";
inline constexpr wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring ExeDir();
// The library of this build's edition (GLMBX32.DLL or GLMBX64.DLL): its file name, the module
// as loaded, and a string of its resources.
constexpr const wchar_t* LibraryFile = GLMBX_WIDE(GLMBX_DLL_NAME);
HMODULE Library();
std::wstring LibraryString(UINT id);
// A window's text (up to 1023 characters).
std::wstring Text(HWND hwnd);
// A file of the folder that GetHomeDir reports for this program.
std::wstring HomeFile(const wchar_t* name);
// A new empty folder under the temporary folder, unique to this process and name.
std::wstring NewTempDir(const wchar_t* name);

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
bool WriteUtf8File(const std::wstring& path, const std::string& text);
std::string ReadFileBytes(const std::wstring& path);
// Starts a Unix program through /bin/sh -c and does not wait for it.
bool StartUnixShell(const std::wstring& script);

// Logs of helper programs, one event a line. The whole lines of the file, without line ends
// (a last line still being written is left out).
std::vector<std::string> ReadLogLines(const std::wstring& path);
// The lines at or after `from` that start with prefix.
std::vector<std::string> LogLinesWith(const std::wstring& path, const std::string& prefix, size_t from = 0);
// Pumps messages until the log has such a line, at most timeoutMs; the first one goes to *line.
bool WaitForLogLine(const std::wstring& path, const std::string& prefix, std::string* line, size_t from,
                    DWORD timeoutMs);

// A registry value put back as it was at construction (data and type, or absence).
class SavedValue {
public:
    SavedValue(HKEY root, const wchar_t* path, const wchar_t* name);
    ~SavedValue();
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

    bool Set(const std::wstring& text) const;
    void Delete() const;
    bool Exists() const;

private:
    HKEY root;
    const wchar_t* path;
    const wchar_t* name;
    bool existed = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

// While it lives, the shell opens addresses of the protocol ("http", "https") with Marker.exe,
// which logs "opened <address>" to logPath. Wine's shell reads the command from the machine's
// classes only.
class ProtocolToMarker {
public:
    ProtocolToMarker(const wchar_t* protocol, const std::wstring& logPath);

private:
    std::wstring key;
    SavedValue command;
};

// A top-level window of this process that records the messages it receives.
class RecordingWindow {
public:
    RecordingWindow();
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND Handle() const { return hwnd; }
    // How many times a message arrived (sent or posted).
    int Count(UINT msg) const;
    void Clear();

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd;
    int counts[0x400];
    int registered;
};

} // namespace test
