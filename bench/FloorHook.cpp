// FloorHook.dll: the smallest hook round trip into the shell (post, answer, event, nothing
// else), the floor against which the populate step is measured.
#include <windows.h>

namespace {

struct Shared {
    HHOOK hook;
    HWND target;
    UINT message;
};

HINSTANCE module;
HANDLE answered;

} // namespace

extern "C" {
Shared floorShared __attribute__((section(".BFLOOR"), shared)) = {};
}

static LRESULT CALLBACK FloorHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && (wParam & PM_REMOVE) && msg && msg->hwnd == floorShared.target &&
        msg->message == floorShared.message && answered)
        SetEvent(answered);
    return CallNextHookEx(floorShared.hook, code, wParam, lParam);
}

extern "C" __declspec(dllexport) HANDLE FloorInstall(HWND target)
{
    floorShared.target = target;
    floorShared.message = RegisterWindowMessageW(L"GlimpseboxBenchFloor");
    if (!floorShared.hook)
        floorShared.hook = SetWindowsHookExW(WH_GETMESSAGE, FloorHookProc, module, 0);
    return floorShared.hook ? answered : nullptr;
}

extern "C" __declspec(dllexport) void FloorRemove()
{
    if (floorShared.hook && UnhookWindowsHookEx(floorShared.hook))
        floorShared.hook = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        module = instance;
        answered = CreateEventW(nullptr, FALSE, FALSE, L"GlimpseboxBenchFloorEvent");
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && answered) {
        CloseHandle(answered);
    }
    return TRUE;
}
