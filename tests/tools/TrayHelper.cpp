// TrayHelper: a notification-area program on TB_Icon, run as a process of its own by the tray tests.
//
// TrayHelper.exe --log FILE --class NAME [--product N] [--tip TEXT] [--colour RRGGBB] [--quit N]
// Runs TB_Icon::Run with an icon of one colour (default 20C05A) and the tip (default "TrayHelper").
// GetProdID answers N (default 1192); the window's destruction ends the loop with code N of
// --quit (default 7), which is also the exit code.
// Log lines (one per event, appended):
//   ready pid=<pid> hwnd=<hex> shown=<0|1>     Start has run in InitInstance
//   create                                     OnCreateWnd
//   click left|double|right                    the click operations
//   message sub=<n> param=<n>                  OnMyCompanyMessage (never handles one)
//   destroy shown=<0|1>                        OnDestroyWnd, after the base removed the icon
//   exit                                       ExitInstance
//   run result=<n> init=<0|1>                  Run returned; init: InitInstance was called
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "tests/support/SolidIcon.h"
#include "tests/tools/HelperLog.h"
#include "ui/TB_Icon.h"

namespace {

class HelperIcon : public TB_Icon {
public:
    WORD product = 1192;
    int quitCode = 7;
    COLORREF colour = RGB(0x20, 0xC0, 0x5A);
    std::wstring tip = L"TrayHelper";
    bool initCalled = false;

    ~HelperIcon() override
    {
        if (icon)
            DestroyIcon(icon);
    }

    int InitInstance(HINSTANCE instance, const wchar_t* cmdLine, int show) override
    {
        initCalled = true;
        TB_Icon::InitInstance(instance, cmdLine, show);
        icon = test::MakeSolidIcon(colour);
        if (!Start(className, icon, tip.c_str(), 1))
            return 0;
        Log("ready pid=" + std::to_string(GetCurrentProcessId()) + " hwnd=" + Hex(hwnd) +
            " shown=" + std::to_string(IsIconShown()));
        return 1;
    }
    void ExitInstance() override
    {
        Log("exit");
        Stop();
    }
    WORD GetProdID() override { return product; }
    int OnMyCompanyMessage(WPARAM wParam, LPARAM lParam, LRESULT*) override
    {
        Log("message sub=" + std::to_string(wParam) + " param=" + std::to_string(lParam));
        return 0;
    }
    void OnLeftClick() override { Log("click left"); }
    void OnDoubleClick() override { Log("click double"); }
    void OnRightClick() override { Log("click right"); }
    void OnCreateWnd() override { Log("create"); }
    void OnDestroyWnd() override
    {
        TB_Icon::OnDestroyWnd();
        Log("destroy shown=" + std::to_string(IsIconShown()));
        PostQuitMessage(quitCode);
    }

private:
    HICON icon = nullptr;
};

} // namespace

// A program of the windows subsystem, as a tray program is: started through the shell it
// opens no console window (which would cover Wine's notification area).
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int show)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return 2;
    HelperIcon tray;
    std::wstring className;
    for (int i = 1; i + 1 < argc; i += 2) {
        const wchar_t* value = argv[i + 1];
        if (wcscmp(argv[i], L"--log") == 0)
            logPath = value;
        else if (wcscmp(argv[i], L"--class") == 0)
            className = value;
        else if (wcscmp(argv[i], L"--product") == 0)
            tray.product = static_cast<WORD>(_wtoi(value));
        else if (wcscmp(argv[i], L"--tip") == 0)
            tray.tip = value;
        else if (wcscmp(argv[i], L"--colour") == 0) {
            unsigned long rgb = wcstoul(value, nullptr, 16);
            tray.colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        } else if (wcscmp(argv[i], L"--quit") == 0)
            tray.quitCode = _wtoi(value);
    }
    LocalFree(argv);
    if (logPath.empty() || className.empty())
        return 2;

    int result = TB_Icon::Run(&tray, className.c_str(), tray.product, instance, GetCommandLineW(), show);
    Log("run result=" + std::to_string(result) + " init=" + std::to_string(tray.initCalled ? 1 : 0));
    return result;
}
