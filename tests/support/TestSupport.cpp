// Bounded message pumping, temporary folders, UTF-8 files and the recording window.
#include "tests/support/TestSupport.h"

#include <cstring>

#include "sys/PathUtil.h"

namespace test {

void PumpPending()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        if (done())
            return true;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return done();
        // Wake for messages, or re-check a condition that is not a message every 10 ms.
        DWORD left = timeoutMs - elapsed;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 10 ? left : 10, QS_ALLINPUT);
    }
}

HMODULE Library()
{
    return GetModuleHandleW(LibraryFile);
}

std::wstring LibraryString(UINT id)
{
    wchar_t text[1024] = L"";
    LoadStringW(Library(), id, text, 1024);
    return text;
}

std::wstring Text(HWND hwnd)
{
    wchar_t text[1024] = L"";
    GetWindowTextW(hwnd, text, 1024);
    return text;
}

std::wstring HomeFile(const wchar_t* name)
{
    wchar_t home[MAX_PATH];
    GetHomeDir(home, MAX_PATH);
    return std::wstring(home) + L"\\" + name;
}

SavedValue::SavedValue(HKEY rootKey, const wchar_t* keyPath, const wchar_t* valueName)
    : root(rootKey), path(keyPath), name(valueName), data(4096)
{
    DWORD size = static_cast<DWORD>(data.size());
    existed = RegGetValueW(root, path, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size) == ERROR_SUCCESS;
    data.resize(existed ? size : 0);
}

SavedValue::~SavedValue()
{
    if (existed)
        RegSetKeyValueW(root, path, name, type, data.data(), static_cast<DWORD>(data.size()));
    else
        Delete();
}

bool SavedValue::Set(const std::wstring& text) const
{
    return RegSetKeyValueW(root, path, name, REG_SZ, text.c_str(),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void SavedValue::Delete() const
{
    RegDeleteKeyValueW(root, path, name);
}

bool SavedValue::Exists() const
{
    return RegGetValueW(root, path, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

ProtocolToMarker::ProtocolToMarker(const wchar_t* protocol, const std::wstring& logPath)
    : key(std::wstring(L"Software\\Classes\\") + protocol + L"\\shell\\open\\command"),
      command(HKEY_LOCAL_MACHINE, key.c_str(), nullptr)
{
    command.Set(L"\"" + ExeDir() + L"\\Marker.exe\" \"" + logPath + L"\" \"%1\"");
}

std::wstring ExeDir()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L'\\'));
}

std::wstring NewTempDir(const wchar_t* name)
{
    static int serial;
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    // Wine hands out process ids again: a folder an earlier process left behind is not ours.
    std::wstring dir;
    do
        dir = std::wstring(base) + L"glmbx-" + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(++serial);
    while (!CreateDirectoryW(dir.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS && serial < 100000);
    return dir;
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

bool WriteUtf8File(const std::wstring& path, const std::string& text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

std::string ReadFileBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string out;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got)
        out.append(chunk, got);
    CloseHandle(file);
    return out;
}

bool StartUnixShell(const std::wstring& script)
{
    std::wstring command = L"Z:\\bin\\sh -c \"" + script + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    // Wine gives a Unix program no handles, and leaves in hThread a stale value: closing that
    // closed whatever handle of ours had the number, once the registry's HKCU.
    if (pi.dwProcessId) {
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    return true;
}

RecordingWindow::RecordingWindow() : hwnd(nullptr), counts{}, registered(0)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"GlmbxTestRecordingWindow";
    RegisterClassW(&wc);  // fails harmlessly when another instance registered it
    hwnd = CreateWindowExW(0, wc.lpszClassName, L"recorder", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, this);
}

RecordingWindow::~RecordingWindow()
{
    if (hwnd && IsWindow(hwnd))
        DestroyWindow(hwnd);
}

int RecordingWindow::Count(UINT msg) const
{
    return msg < 0x400 ? counts[msg] : 0;
}

void RecordingWindow::Clear()
{
    std::memset(counts, 0, sizeof(counts));
}

LRESULT CALLBACK RecordingWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg < 0x400)
        ++self->counts[msg];
    // Closing is recorded, not acted on: the test decides the window's life.
    if (msg == WM_CLOSE)
        return 0;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::vector<std::string> ReadLogLines(const std::wstring& path)
{
    std::vector<std::string> lines;
    std::string text = ReadFileBytes(path);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> LogLinesWith(const std::wstring& path, const std::string& prefix, size_t from)
{
    std::vector<std::string> found;
    std::vector<std::string> lines = ReadLogLines(path);
    for (size_t i = from; i < lines.size(); ++i) {
        if (lines[i].compare(0, prefix.size(), prefix) == 0)
            found.push_back(lines[i]);
    }
    return found;
}

bool WaitForLogLine(const std::wstring& path, const std::string& prefix, std::string* line, size_t from,
                    DWORD timeoutMs)
{
    std::vector<std::string> found;
    bool ok = PumpUntil([&] { return !(found = LogLinesWith(path, prefix, from)).empty(); }, timeoutMs);
    if (ok && line)
        *line = found.front();
    return ok;
}

} // namespace test
