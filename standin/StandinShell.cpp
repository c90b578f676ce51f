// StandinShell: a stand-in for the Windows desktop's window chain "Progman" > "SHELLDLL_DefView" > "SysListView32".
#include "standin/DesktopFill.h"
#include "standin/Handles.h"
#include "standin/ListViewSpy.h"
#include "standin/Log.h"
#include "standin/Options.h"
#include "standin/OwnListView.h"
#include "standin/ShellBrowser.h"
#include "standin/Text.h"

#include <commctrl.h>

namespace standin {

namespace {

const wchar_t kProgmanClass[] = L"Progman";
const wchar_t kDefViewClass[] = L"SHELLDLL_DefView";

// What the "Progman" window needs to take down before it goes.
struct Shell {
    Shell(const Log& log, const Options& options)
        : spy(log, options.failures), own(log, spy, options.showMenus)
    {
    }

    void Teardown()
    {
        spy.Detach();
        desktop.Destroy();
        own.Destroy();
    }

    ListViewSpy spy;
    DesktopFolderView desktop;
    OwnFolderView own;
};

// The one "Progman" window of this process, for the activation hook (hooks get no context).
HWND g_progman = nullptr;

// Under Wine without a window manager, activating a window raises its X window above all others,
// whatever the window's own z-order handling says; so "Progman" is never activated. Its list view
// then keeps keyboard focus away, but clicks still select and open items.
LRESULT CALLBACK RefuseActivation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_progman && reinterpret_cast<HWND>(wParam) == g_progman)
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK ProgmanProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* shell = reinterpret_cast<Shell*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGING: {
        // The desktop stays under everything, whoever asks to raise it.
        auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(position->flags & SWP_NOZORDER))
            position->hwndInsertAfter = HWND_BOTTOM;
        return 0;
    }
    case WM_CLOSE:
        if (shell)
            shell->Teardown();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool ReadInput(const std::wstring& path, const Log& log, std::vector<ContentLine>& lines)
{
    std::wstring error;
    if (ReadContentLines(path, lines, error))
        return true;
    log.Write(L"error " + error);
    return false;
}

// Checks that the chain is found the way the product finds it.
bool ChainIsFindable(HWND progman, HWND defView, HWND listView)
{
    return FindWindowW(kProgmanClass, nullptr) == progman &&
           FindWindowExW(progman, nullptr, kDefViewClass, nullptr) == defView &&
           FindWindowExW(defView, nullptr, WC_LISTVIEWW, nullptr) == listView;
}

int Run(HINSTANCE instance, const Options& options, const Log& log)
{
    OleSession ole;
    if (!ole.Ok()) {
        log.Write(L"error OleInitialize failed");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (FindWindowW(kProgmanClass, nullptr)) {
        log.Write(L"error another Progman window exists");
        return 2;
    }

    const bool desktopMode = options.mode == Mode::Desktop;
    FillPlan fill;
    ItemsPlan items;
    std::vector<ContentLine> lines;
    if (desktopMode && !options.fillPath.empty()) {
        if (!ReadInput(options.fillPath, log, lines))
            return 2;
        fill = ParseFill(lines, log);
        if (!ApplyFill(fill, log))
            return 2;
    } else if (desktopMode) {
        WarnIfDesktopIsLink(log);
    } else {
        if (!ReadInput(options.itemsPath, log, lines))
            return 2;
        items = ParseItems(lines, log);
    }

    WNDCLASSEXW progmanClass{};
    progmanClass.cbSize = sizeof(progmanClass);
    progmanClass.lpszClassName = kProgmanClass;
    progmanClass.hInstance = instance;
    progmanClass.lpfnWndProc = ProgmanProc;
    progmanClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    progmanClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_DESKTOP + 1);
    if (!RegisterClassExW(&progmanClass)) {
        log.Write(L"error cannot register Progman");
        return 2;
    }

    UniqueHook activationHook(SetWindowsHookExW(WH_CBT, RefuseActivation, nullptr, GetCurrentThreadId()));
    if (!activationHook) {
        log.Write(L"error cannot install the activation hook");
        return 2;
    }
    Shell shell(log, options);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    UniqueWindow progman(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kProgmanClass, L"Program Manager",
                                         WS_POPUP | WS_CLIPCHILDREN, 0, 0, width, height, nullptr, nullptr,
                                         instance, &shell));
    if (!progman) {
        log.Write(L"error cannot create Progman");
        return 2;
    }
    g_progman = progman.Get();
    RECT client{};
    GetClientRect(progman.Get(), &client);

    HWND defView = nullptr;
    HWND listView = nullptr;
    if (desktopMode) {
        if (!shell.desktop.Create(progman.Get(), client, log))
            return 2;
        defView = shell.desktop.DefView();
        listView = shell.desktop.ListView();
    } else {
        if (!shell.own.Create(progman.Get(), client, items))
            return 2;
        defView = shell.own.DefView();
        listView = shell.own.ListView();
    }
    if (!shell.spy.Attach(listView)) {
        log.Write(L"error cannot subclass the list view");
        shell.Teardown();
        return 2;
    }
    if (!ChainIsFindable(progman.Get(), defView, listView)) {
        log.Write(L"error the window chain is not found by FindWindow/FindWindowEx");
        shell.Teardown();
        return 2;
    }

    ShowWindow(progman.Get(), SW_SHOWNOACTIVATE);
    SetWindowPos(progman.Get(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Placing waits for the first paint, which would otherwise rearrange the items (Wine).
    RedrawWindow(progman.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (desktopMode)
        ArrangeItems(shell.spy, listView, fill, log);
    else
        shell.own.PlaceItems(items);
    RedrawWindow(progman.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

    const int count = static_cast<int>(shell.spy.SendQuiet(LVM_GETITEMCOUNT, 0, 0));
    log.Write(L"ready pid=" + std::to_wstring(GetCurrentProcessId()) +
              L" mode=" + (desktopMode ? L"desktop" : L"items") + L" count=" + std::to_wstring(count) +
              L" progman=" + HandleText(progman.Get()) + L" defview=" + HandleText(defView) +
              L" listview=" + HandleText(listView));
    shell.spy.LogItems();
    // Readers wait for this line rather than counting item lines.
    log.Write(L"listed count=" + std::to_wstring(count));
    shell.spy.SetLogRequests(options.logRequests);
    shell.spy.Arm();

    MSG message{};
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1)
            break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    shell.Teardown();
    progman.Reset();
    g_progman = nullptr;
    log.Write(L"quit");
    return 0;
}

} // namespace

} // namespace standin

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    standin::Options options;
    std::wstring error;
    const bool parsed = standin::ParseCommandLine(options, error);
    const standin::Log log(options.logPath);
    if (!parsed) {
        log.Write(L"error " + error);
        OutputDebugStringW((L"StandinShell: " + error + L"\n").c_str());
        return 2;
    }
    return standin::Run(instance, options, log);
}
