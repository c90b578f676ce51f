// InstanceHelper: an "earlier instance" for the single-instance tests, in a process of its own.
//
// InstanceHelper.exe --log FILE --class NAME [--identity N]
// Opens, each top-level and shown:
//   main   class NAME, title "Instance": answers activation for identity 0
//   dialog a dialog that claims identity N (default 141) and answers its activation
//   twin   a dialog that claims identity N + 1 and answers its activation
//   other  another program's dialog: knows nothing of "CorvantrixMessage"
//   plain  class NAME + "Plain", title "Plain": knows nothing of it either
// Log lines (one per event, appended):
//   ready pid=<pid> main=<hex> dialog=<hex> twin=<hex> other=<hex> plain=<hex>
//   identify window=<name> id=<n> answer=<0|1>     sub-code 121 received
//   activate window=<name> foreground=<name>        sub-code 3 taken, and the result
//   active window=<name>                            WM_ACTIVATE, becoming active
//   closed                                          main closed: the program ends
#include <windows.h>

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "product/ProductInfo.h"
#include "sys/PrevInstance.h"
#include "tests/tools/HelperLog.h"

namespace {

WORD identity = 141;
HWND mainWnd, dialogWnd, twinWnd, otherWnd, plainWnd;

const char* NameOf(HWND hwnd)
{
    const std::pair<HWND, const char*> names[] = {
        {mainWnd, "main"}, {dialogWnd, "dialog"}, {twinWnd, "twin"}, {otherWnd, "other"}, {plainWnd, "plain"}};
    for (const auto& name : names) {
        if (name.first == hwnd)
            return name.second;
    }
    return "unknown";
}

void LogActive(HWND hwnd, UINT msg, WPARAM wParam)
{
    if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE)
        Log(std::string("active window=") + NameOf(hwnd));
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LogActive(hwnd, msg, wParam);
    if (OnActivatePreviousInstance(0, hwnd, msg, wParam, lParam)) {
        Log(std::string("activate window=main foreground=") + NameOf(GetForegroundWindow()));
        return 1;
    }
    if (msg == WM_CLOSE) {
        Log("closed");
        for (HWND wnd : {dialogWnd, twinWnd, otherWnd, plainWnd})
            DestroyWindow(wnd);
        DestroyWindow(hwnd);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LogActive(hwnd, msg, wParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A dialog of this product: claims its identity (lParam at creation) and comes forward.
INT_PTR CALLBACK OwnDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        return TRUE;
    }
    LogActive(hwnd, msg, wParam);
    WORD own = static_cast<WORD>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == ProductInfo::GetMyMessage() && wParam == MyMsgIdentify) {
        int answer = own != 0 && lParam == own ? 1 : 0;
        Log(std::string("identify window=") + NameOf(hwnd) + " id=" + std::to_string(lParam) +
            " answer=" + std::to_string(answer));
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, answer);
        return TRUE;
    }
    if (OnActivatePreviousInstance(own, hwnd, msg, wParam, lParam)) {
        Log(std::string("activate window=") + NameOf(hwnd) + " foreground=" + NameOf(GetForegroundWindow()));
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 1);
        return TRUE;
    }
    return FALSE;
}

// Another program's dialog.
INT_PTR CALLBACK OtherDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM)
{
    LogActive(hwnd, msg, wParam);
    return msg == WM_INITDIALOG;
}

// An in-memory template: a captioned pop-up without controls.
std::vector<WORD> Template(const wchar_t* title, short x)
{
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* dlg = reinterpret_cast<DLGTEMPLATE*>(words.data());
    dlg->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
    dlg->x = x;
    dlg->y = 200;
    dlg->cx = 120;
    dlg->cy = 40;
    words.push_back(0);  // no menu
    words.push_back(0);  // the system's dialog class
    for (const wchar_t* c = title; *c; ++c)
        words.push_back(static_cast<WORD>(*c));
    words.push_back(0);
    return words;
}

HWND Dialog(const wchar_t* title, short x, DLGPROC proc, LPARAM param)
{
    std::vector<WORD> words = Template(title, x);
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(words.data()),
                                      nullptr, proc, param);
}

HWND Window(const std::wstring& className, const wchar_t* title, WNDPROC proc, int x)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className.c_str();
    if (!RegisterClassW(&wc))
        return nullptr;
    HWND hwnd = CreateWindowExW(0, className.c_str(), title, WS_OVERLAPPEDWINDOW, x, 40, 200, 120, nullptr,
                                nullptr, wc.hInstance, nullptr);
    if (hwnd)
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return hwnd;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring className;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (wcscmp(argv[i], L"--log") == 0)
            logPath = argv[i + 1];
        else if (wcscmp(argv[i], L"--class") == 0)
            className = argv[i + 1];
        else if (wcscmp(argv[i], L"--identity") == 0)
            identity = static_cast<WORD>(_wtoi(argv[i + 1]));
    }
    if (logPath.empty() || className.empty())
        return 2;

    mainWnd = Window(className, L"Instance", MainProc, 20);
    plainWnd = Window(className + L"Plain", L"Plain", PlainProc, 240);
    dialogWnd = Dialog(L"Instance dialog", 20, OwnDialogProc, identity);
    twinWnd = Dialog(L"Twin dialog", 160, OwnDialogProc, identity + 1);
    otherWnd = Dialog(L"Other dialog", 300, OtherDialogProc, 0);
    if (!mainWnd || !plainWnd || !dialogWnd || !twinWnd || !otherWnd) {
        Log("error windows");
        return 3;
    }
    Log("ready pid=" + std::to_string(GetCurrentProcessId()) + " main=" + Hex(mainWnd) +
        " dialog=" + Hex(dialogWnd) + " twin=" + Hex(twinWnd) + " other=" + Hex(otherWnd) +
        " plain=" + Hex(plainWnd));

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
