// Operating-system version tests and small system queries and settings.
#include "sys/SysInfo.h"

#include <shlwapi.h>

#include <ctime>
#include <memory>
#include <cwchar>
#include <new>

#include "res/StringIds.h"
#include "sys/RegKey.h"
#include "sys/ResStr.h"
#include "sys/TextTrunc.h"

namespace {

const OSVERSIONINFOEXW& Version()
{
    static OSVERSIONINFOEXW info;
    static bool known;
    if (!known) {
        info.dwOSVersionInfoSize = sizeof(info);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
            info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
            GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
        }
        known = true;
    }
    return info;
}

bool Is95Family()
{
    return Version().dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool IsNTFamily()
{
    return Version().dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The version a module reports through its DllGetVersion export, when it has one.
bool ModuleDllVersion(const wchar_t* file, DWORD& major, DWORD& minor)
{
    HMODULE module = GetModuleHandleW(file);
    bool loaded = false;
    if (!module) {
        module = LoadLibraryExW(file, nullptr, 0);
        loaded = module != nullptr;
    }
    if (!module)
        return false;
    bool found = false;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(GetProcAddress(module, "DllGetVersion"));
    if (getVersion) {
        DLLVERSIONINFO info = {};
        info.cbSize = sizeof(info);
        if (SUCCEEDED(getVersion(&info))) {
            major = info.dwMajorVersion;
            minor = info.dwMinorVersion;
            found = true;
        }
    }
    if (loaded)
        FreeLibrary(module);
    return found;
}

bool FileVersion(const wchar_t* file, DWORD& major, DWORD& minor)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(file, &handle);
    if (!size)
        return false;
    BYTE* data = new (std::nothrow) BYTE[size];
    if (!data)
        return false;
    bool found = false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (GetFileVersionInfoW(file, 0, size, data) &&
        VerQueryValueW(data, L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) && fixed &&
        fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
        major = HIWORD(fixed->dwFileVersionMS);
        minor = LOWORD(fixed->dwFileVersionMS);
        found = true;
    }
    delete[] data;
    return found;
}

BOOL CALLBACK CloseScreenSaverWindow(HWND hwnd, LPARAM)
{
    if (IsWindowVisible(hwnd))
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

} // namespace

BOOL WinNT()
{
    return IsNTFamily();
}

BOOL Win2K()
{
    return IsNTFamily() && Version().dwMajorVersion >= 5;
}

BOOL WinXP()
{
    const OSVERSIONINFOEXW& v = Version();
    return IsNTFamily() && (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1));
}

BOOL WinNT4()
{
    return IsNTFamily() && Version().dwMajorVersion == 4;
}

BOOL Win9x()
{
    return Is95Family();
}

BOOL Win95()
{
    return Is95Family() && Version().dwMajorVersion == 4 && Version().dwMinorVersion == 0;
}

BOOL WinMe()
{
    return Is95Family() && GetVerDll() >= 0x0500;
}

BOOL WinPro()
{
    const OSVERSIONINFOEXW& v = Version();
    if (!IsNTFamily())
        return FALSE;
    if (v.dwMajorVersion < 5)
        return TRUE;
    bool knownType = v.wProductType == VER_NT_WORKSTATION || v.wProductType == VER_NT_DOMAIN_CONTROLLER ||
                     v.wProductType == VER_NT_SERVER;
    return knownType && !(v.wSuiteMask & VER_SUITE_PERSONAL);
}

BOOL IsWow64()
{
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
    auto isWow64Process = reinterpret_cast<IsWow64ProcessFn>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process"));
    BOOL wow64 = FALSE;
    if (!isWow64Process || !isWow64Process(GetCurrentProcess(), &wow64))
        return FALSE;
    return wow64;
}

int GetWindowProcessBits(HWND hwnd)
{
    DWORD id = 0;
    if (!hwnd || !GetWindowThreadProcessId(hwnd, &id))
        return 0;
    std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id),
                                                         &CloseHandle);
    BOOL emulated = FALSE;
    if (!process || !IsWow64Process(process.get(), &emulated))
        return 0;
    if (emulated)
        return 32;
    // Not emulated: the process has the system's own bitness.
#ifdef _WIN64
    return 64;
#else
    return IsWow64() ? 64 : 32;
#endif
}

BOOL WinProNotSupported(HWND hwnd)
{
    if (!WinPro())
        return TRUE;
    Msg(hwnd, MB_ICONSTOP, -IDS_WINPRO_NOT_SUPPORTED);
    return FALSE;
}

DWORD GetVerDll(const wchar_t* file, int* major, int* minor)
{
    if (!file || !*file)
        file = L"shell32.dll";
    DWORD high = 0;
    DWORD low = 0;
    if (!ModuleDllVersion(file, high, low) && !FileVersion(file, high, low))
        high = low = 0;
    if (major)
        *major = static_cast<int>(high);
    if (minor)
        *minor = static_cast<int>(low);
    if (low > 0xFF)
        low = 0xFF;
    return (high << 8) | low;
}

DWORD GetVerDll_ComCtl32()
{
    return GetVerDll(L"comctl32.dll");
}

BOOL IsFastUserSwitchingEnabled()
{
    if (!WinXP())
        return FALSE;
    RegKey key(L"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", 0);
    return key.GetDword(L"AllowMultipleTSSessions", 0) != 0;
}

BOOL GetDesktopName(wchar_t* buf, int bufChars)
{
    textbuf::Copy(buf, bufChars, L"");
    HDESK desktop = GetThreadDesktop(GetCurrentThreadId());
    if (!desktop || !buf || bufChars < 1)
        return FALSE;
    DWORD needed = 0;
    GetUserObjectInformationW(desktop, UOI_NAME, nullptr, 0, &needed);
    if (!needed)
        return FALSE;
    DWORD chars = needed / sizeof(wchar_t) + 1;
    wchar_t* name = new (std::nothrow) wchar_t[chars];
    if (!name)
        return FALSE;
    name[0] = 0;
    BOOL ok = GetUserObjectInformationW(desktop, UOI_NAME, name, chars * sizeof(wchar_t), &needed);
    name[chars - 1] = 0;
    if (ok)
        textbuf::Copy(buf, bufChars, name);
    delete[] name;
    return ok;
}

unsigned long GetCurTime()
{
    return static_cast<unsigned long>(time(nullptr) - 819936000);
}

void GetSysFileTime(FILETIME* fileTime)
{
    if (fileTime)
        GetSystemTimeAsFileTime(fileTime);
}

WORD GetDOSdate()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME fileTime;
    WORD date = 0;
    WORD dosTime = 0;
    if (SystemTimeToFileTime(&now, &fileTime))
        FileTimeToDosDateTime(&fileTime, &date, &dosTime);
    return date;
}

BOOL SingleFloppy()
{
    return GetDriveTypeW(L"A:\\") == DRIVE_REMOVABLE && GetDriveTypeW(L"B:\\") != DRIVE_REMOVABLE;
}

BOOL IsDriveValid(int drive)
{
    if (drive < 0 || drive > 25)
        return FALSE;
    return (GetLogicalDrives() >> drive) & 1;
}

int FindAvailableDrive()
{
    DWORD used = GetLogicalDrives();
    for (int drive = 2; drive < 26; ++drive) {
        if (!((used >> drive) & 1))
            return drive;
    }
    return -1;
}

BOOL EnablePrivilege(const wchar_t* name, BOOL enable)
{
    if (!name)
        return FALSE;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return FALSE;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    BOOL ok = LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), nullptr, nullptr) &&
              GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return ok;
}

BOOL StopScreenSaver()
{
    BOOL running = FALSE;
    if (!SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) || !running)
        return FALSE;
    // NT runs a secure screen saver on a desktop of its own, the others on the user's desktop.
    if (IsNTFamily()) {
        HDESK desktop = OpenDesktopW(L"Screen-saver", 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS);
        if (desktop) {
            EnumDesktopWindows(desktop, CloseScreenSaverWindow, 0);
            CloseDesktop(desktop);
        }
    }
    HWND saver = FindWindowW(L"WindowsScreenSaverClass", nullptr);
    if (saver)
        PostMessageW(saver, WM_CLOSE, 0, 0);
    return TRUE;
}

BOOL EnableSysKeys(BOOL enable)
{
    if (!Is95Family())
        return TRUE;
    // The 95 family ignores those keys while it believes a screen saver is running.
    BOOL wasDisabled = FALSE;
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, enable ? FALSE : TRUE, &wasDisabled, 0);
    return !wasDisabled;
}

void ImitateUserActivity()
{
    SetThreadExecutionState(ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;  // a move by nothing still counts as input
    SendInput(1, &input, sizeof(input));
}
