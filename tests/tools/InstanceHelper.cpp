// InstanceHelper: an "earlier instance" for the single-instance tests, in a process of its own.
//
// InstanceHelper.exe --log FILE --class NAME opens, each top-level and shown:
//   main   class NAME, title "Instance": answers activation for identity 0
//   dialog a dialog that claims identity 141 and answers its activation; twin the same for 142
//   other  another program's dialog, and plain (class NAME + "Plain", title "Plain") a window:
//          both know nothing of "CorvantrixMessage"
// Log lines: "ready pid=<pid> main=<hex> dialog=<hex> twin=<hex> plain=<hex>", "identify
// window=<name> id=<n> answer=<0|1>" (sub-code 121), "activate window=<name>" (sub-code 3
// taken), "closed" (main closed: the end).
#include <windows.h>

#include <string>

#include "product/ProductInfo.h"
#include "sys/PrevInstance.h"
#include "tests/tools/HelperLog.h"

namespace {

HWND mainWnd, dialogWnd, twinWnd, otherWnd, plainWnd;

std::string NameOf(HWND hwnd)
{
    return hwnd == mainWnd ? "main" : hwnd == dialogWnd ? "dialog" : hwnd == twinWnd ? "twin" : "unknown";
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (OnActivatePreviousInstance(0, hwnd, msg, wParam, lParam)) {
        Log("activate window=main");
        return 1;
    }
    if (msg == WM_CLOSE) {
        Log("closed");
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A dialog of this product: claims its identity (lParam at creation) and comes forward.
INT_PTR CALLBACK OwnDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        return TRUE;
    }
    WORD own = static_cast<WORD>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT answer = 0;
    if (msg == ProductInfo::GetMyMessage() && wParam == MyMsgIdentify) {
        answer = lParam == own ? 1 : 0;
        Log("identify window=" + NameOf(hwnd) + " id=" + std::to_string(lParam) + " answer=" + std::to_string(answer));
    } else if (OnActivatePreviousInstance(own, hwnd, msg, wParam, lParam)) {
        answer = 1;
        Log("activate window=" + NameOf(hwnd));
    } else {
        return FALSE;
    }
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, answer);
    return TRUE;
}

// Another program's dialog.
INT_PTR CALLBACK OtherDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

// A captioned pop-up without controls, of the system's dialog class.
HWND Dialog(short x, DLGPROC proc, LPARAM param)
{
    struct alignas(4) {
        DLGTEMPLATE head;
        WORD menu, windowClass, title;
    } dlg = {{WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, 0, 0, x, 200, 120, 40}, 0, 0, 0};
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &dlg.head, nullptr, proc, param);
}

HWND Window(const std::wstring& className, const wchar_t* title, WNDPROC proc, int x)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className.c_str();
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, className.c_str(), title, WS_OVERLAPPEDWINDOW, x, 40, 200, 120, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return hwnd;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 5)
        return 2;
    logPath = argv[2];  // --log FILE --class NAME, as ChildProcess passes them
    std::wstring className = argv[4];

    mainWnd = Window(className, L"Instance", MainProc, 20);
    plainWnd = Window(className + L"Plain", L"Plain", DefWindowProcW, 240);
    dialogWnd = Dialog(20, OwnDialogProc, 141);
    twinWnd = Dialog(160, OwnDialogProc, 142);
    otherWnd = Dialog(300, OtherDialogProc, 0);
    if (!mainWnd || !plainWnd || !dialogWnd || !twinWnd || !otherWnd)
        return 3;
    Log("ready pid=" + std::to_string(GetCurrentProcessId()) + " main=" + Hex(mainWnd) + " dialog=" + Hex(dialogWnd) +
        " twin=" + Hex(twinWnd) + " plain=" + Hex(plainWnd));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
