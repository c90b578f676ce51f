// Glimpsebox.exe: loads its edition's library (GLMBX32.DLL or GLMBX64.DLL) from its own folder
// and hands the command line to it.
#include <windows.h>
#include <cwchar>
#include <cwctype>

#include "product/Version.h"

class AppInstance;

namespace {

typedef AppInstance*(__cdecl* CreateAppInstanceFn)(HINSTANCE, const wchar_t*);
typedef void(__cdecl* DestroyAppInstanceFn)(AppInstance*);
typedef int(__cdecl* DoCheckForUpdatesAutoFn)(const wchar_t*);
typedef int(__cdecl* RunTB_IconFn)(int, HINSTANCE, wchar_t*, int);
typedef int(__cdecl* DoGlimpseboxFn)(wchar_t*, int);

// Owns the loaded library.
class Module {
public:
    explicit Module(const wchar_t* path) : handle(LoadLibraryW(path)) {}
    ~Module() { if (handle) FreeLibrary(handle); }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    explicit operator bool() const { return handle != nullptr; }
    template <typename Fn> Fn Get(const char* name) const
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
    }

private:
    HMODULE handle;
};

// Registers this program as the library's current application for as long as it lives, so
// that what the library writes about "the program" (the log-on entry) names this file.
class AppRegistration {
public:
    AppRegistration(CreateAppInstanceFn create, DestroyAppInstanceFn destroyFn, HINSTANCE instance)
        : destroy(destroyFn), app(create(instance, nullptr)) {}
    ~AppRegistration() { destroy(app); }
    AppRegistration(const AppRegistration&) = delete;
    AppRegistration& operator=(const AppRegistration&) = delete;

private:
    DestroyAppInstanceFn destroy;
    AppInstance* app;
};

// A switch such as "TB+" given bare, as "/TB+" or "-TB+", in any case, as a word of its own.
bool HasSwitch(const wchar_t* cmdLine, const wchar_t* name)
{
    size_t length = wcslen(name);
    for (const wchar_t* p = cmdLine; p && *p;) {
        while (*p && iswspace(*p))
            ++p;
        const wchar_t* word = p;
        while (*p && !iswspace(*p))
            ++p;
        if (*word == L'/' || *word == L'-')
            ++word;
        if (static_cast<size_t>(p - word) == length && _wcsnicmp(word, name, length) == 0)
            return true;
    }
    return false;
}

// The library beside this program, whatever the current folder is.
bool LibraryPath(wchar_t* path, DWORD size)
{
    DWORD length = GetModuleFileNameW(nullptr, path, size);
    if (length == 0 || length >= size)
        return false;
    wchar_t* slash = wcsrchr(path, L'\\');
    size_t folder = slash ? static_cast<size_t>(slash - path + 1) : 0;
    const wchar_t name[] = GLMBX_WIDE(GLMBX_DLL_NAME);
    if (folder + wcslen(name) + 1 > size)
        return false;
    wcscpy(path + folder, name);
    return true;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t* cmdLine, int show)
{
    wchar_t path[MAX_PATH];
    if (!LibraryPath(path, MAX_PATH))
        return 1;
    Module library(path);
    if (!library) {
        MessageBoxW(nullptr, GLMBX_WIDE(GLMBX_DLL_NAME) L" could not be loaded. Please reinstall Glimpsebox.", L"Glimpsebox",
                    MB_OK | MB_ICONSTOP);
        return 1;
    }
    auto createApp = library.Get<CreateAppInstanceFn>("CreateAppInstance");
    auto destroyApp = library.Get<DestroyAppInstanceFn>("DestroyAppInstance");
    auto checkForUpdates = library.Get<DoCheckForUpdatesAutoFn>("DoCheckForUpdatesAuto");
    auto runTray = library.Get<RunTB_IconFn>("RunTB_Icon");
    auto startDialog = library.Get<DoGlimpseboxFn>("DoGlimpsebox");
    if (!createApp || !destroyApp || !checkForUpdates || !runTray || !startDialog)
        return 1;
    // No component: the settings stay under the product's own root.
    AppRegistration registration(createApp, destroyApp, instance);

    // The background update check acts on its own switch and ends the program at once.
    if (int handled = checkForUpdates(cmdLine))
        return handled;
    if (HasSwitch(cmdLine, L"TB+"))
        return runTray(1, instance, cmdLine, show);
    // Ends a running tray process.
    if (HasSwitch(cmdLine, L"TB-"))
        return runTray(0, instance, cmdLine, show);
    return startDialog(cmdLine, show);
}
