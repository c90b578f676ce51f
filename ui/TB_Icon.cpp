// TB_Icon: the hidden window, the icon's life in the notification area, the clicks and the log-on entries.
#include "ui/TB_Icon.h"

#include "sys/ShellRun.h"

#include <commctrl.h>
#include <objbase.h>

#include "product/ProductInfo.h"
#include "sys/PathUtil.h"
#include "sys/PrevInstance.h"
#include "sys/RegKey.h"
#include "sys/TextTrunc.h"

namespace {

// "HKCU\...\CurrentVersion\Run" or its machine-wide twin.
void RunKeyPath(int allUsers, wchar_t* path)
{
    textbuf::Format(path, TB_Icon::RunKeyChars, L"%s\\Run",
                    allUsers ? RegKey::sz_HKLM_WinCurVer : RegKey::sz_HKCU_WinCurVer);
}

} // namespace

UINT TB_Icon::uMsgTaskbarCreated = 0;
UINT TB_Icon::uMsgMyTaskbarCreated = 0;
int TB_Icon::clickGuard = 0;
TB_Icon::GuardedPost TB_Icon::guardedPosts[MaxGuardedPosts] = {};
int TB_Icon::guardedPostCount = 0;

TB_Icon::TB_Icon() : loopMsg(), nid(), iconShown(0), className(nullptr)
{
    nid.cbSize = sizeof(nid);
    nid.uID = IconID;
    InitFlags();
    uMsgTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    uMsgMyTaskbarCreated = RegisterWindowMessageW(L"Corvantrix_TaskbarCreated");
}

TB_Icon::~TB_Icon()
{
    // An icon whose window can no longer answer would stay in the notification area until
    // the pointer passes over it.
    ShowIcon(0);
}

void TB_Icon::InitFlags()
{
    nid.uFlags = NIF_MESSAGE;
    nid.uCallbackMessage = MsgNotify;
}

int TB_Icon::ShouldShowIcon()
{
    return 1;
}

int TB_Icon::OnMyCompanyMessage(WPARAM, LPARAM, LRESULT*)
{
    return 0;
}

WORD TB_Icon::GetProdID()
{
    return 0;
}

void TB_Icon::OnLeftClick() {}

void TB_Icon::OnDoubleClick() {}

void TB_Icon::OnRightClick() {}

void TB_Icon::OnCreateWnd() {}

void TB_Icon::OnDestroyWnd()
{
    ShowIcon(0);
}

int TB_Icon::InitInstance(HINSTANCE, const wchar_t*, int)
{
    return 1;
}

int TB_Icon::RunMsgLoop()
{
    BOOL got;
    while ((got = GetMessageW(&loopMsg, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return 0;
        TranslateMessage(&loopMsg);
        DispatchMessageW(&loopMsg);
    }
    return static_cast<int>(loopMsg.wParam);
}

void TB_Icon::ExitInstance() {}

LRESULT TB_Icon::OnWndMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A registered message that could not be registered is 0: never take WM_NULL for it.
    UINT myMessage = ProductInfo::GetMyMessage();
    if (myMessage && message == myMessage) {
        LRESULT result = 0;
        if (OnMyCompanyMessage(wParam, lParam, &result))
            return result;
        // The close request names the product, so that one product's request cannot end another.
        if (wParam == MyMsgClose && lParam != 0 && lParam == static_cast<LPARAM>(GetProdID()))
            Close();
    } else if (message && (message == uMsgTaskbarCreated || message == uMsgMyTaskbarCreated)) {
        // The new taskbar knows no icon yet; re-adding also shows one that was hidden.
        ShowIcon(0);
        ShowIcon(1);
    } else {
        switch (message) {
        case WM_CLOSE: {
            ShowIcon(0);
            // The hooks see the close too; the default procedure destroys the window, and a
            // hook that kept it open does not keep the program alive without its icon.
            LRESULT result = CSWnd::OnWndMessage(message, wParam, lParam);
            Destroy();
            return result;
        }
        case WM_CREATE:
            OnCreateWnd();
            break;
        case WM_DESTROY:
            OnDestroyWnd();
            break;
        case MsgNotify:
            // The click operations run from posted messages, after the shell's call is over.
            switch (LOWORD(lParam)) {
            case WM_LBUTTONUP:
                PostMsg(MsgLeftClick, wParam, 0);
                break;
            case WM_LBUTTONDBLCLK:
                PostMsg(MsgDoubleClick, wParam, 0);
                break;
            case WM_RBUTTONUP:
                PostMsg(MsgRightClick, wParam, 0);
                break;
            default:
                break;
            }
            break;
        case MsgLeftClick:
        case MsgDoubleClick:
        case MsgRightClick:
            OnClick(message);
            break;
        default:
            break;
        }
    }
    return CSWnd::OnWndMessage(message, wParam, lParam);
}

void TB_Icon::OnClick(UINT msgClick)
{
    if (!EnterClickGuard())
        return;
    if (msgClick == MsgLeftClick)
        OnLeftClick();
    else if (msgClick == MsgDoubleClick)
        OnDoubleClick();
    else
        OnRightClick();
    LeaveClickGuard();
}

int TB_Icon::EnterClickGuard()
{
    if (clickGuard) {
        // The running handler's menu or dialog is what the user is looking for. A menu never
        // becomes active: for one of ours the hidden window comes forward, as when the menu
        // was opened, so that it keeps answering keys and closes on a click elsewhere.
        HWND popup = GetLastActivePopup(hwnd);
        if (popup == hwnd && !IsTrackingMenu())
            popup = nullptr;
        if (popup)
            DoActivateWindow(popup);
        return 0;
    }
    clickGuard = 1;
    return 1;
}

int TB_Icon::IsTrackingMenu() const
{
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    if (!hwnd || !GetGUIThreadInfo(GetCurrentThreadId(), &gui) || !(gui.flags & GUI_INMENUMODE))
        return 0;
    // Wine names the menu's own window here, which belongs to the window it was opened for.
    HWND owner = gui.hwndMenuOwner;
    if (owner && owner != hwnd)
        owner = GetWindow(owner, GW_OWNER);
    return owner == hwnd ? 1 : 0;
}

void TB_Icon::LeaveClickGuard()
{
    clickGuard = 0;
    int count = guardedPostCount;
    guardedPostCount = 0;
    for (int i = 0; i < count; ++i)
        PostMessageW(guardedPosts[i].hwnd, guardedPosts[i].message, guardedPosts[i].wParam, guardedPosts[i].lParam);
}

void TB_Icon::PostWhenGuardReleased(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!hwnd)
        return;
    for (int i = 0; i < guardedPostCount; ++i) {
        GuardedPost& post = guardedPosts[i];
        if (post.hwnd == hwnd && post.message == message && post.wParam == wParam) {
            post.lParam = lParam;
            return;
        }
    }
    if (guardedPostCount < MaxGuardedPosts)
        guardedPosts[guardedPostCount++] = {hwnd, message, wParam, lParam};
}

int TB_Icon::Run(TB_Icon* icon, const wchar_t* name, WORD, HINSTANCE instance, wchar_t* cmdLine, int show)
{
    if (!icon) {
        HWND running = name ? FindWindowW(name, nullptr) : nullptr;
        if (running)
            PostMessageW(running, WM_CLOSE, 0, 0);
        return 0;
    }
    if (ActivatePrevWnd(name, nullptr, 0))
        return 0;

    HRESULT com = CoInitialize(nullptr);
    InitCommonControls();
    icon->className = name;
    int result = 0;
    if (icon->InitInstance(instance, cmdLine, show))
        result = icon->RunMsgLoop();
    icon->ExitInstance();
    if (SUCCEEDED(com))
        CoUninitialize();
    return result;
}

int TB_Icon::Start(const wchar_t* name, HICON icon, const wchar_t* tip, int show)
{
    // A running program keeps its class: Stop must unregister the one its window has.
    if (IsReady())
        return 0;
    className = name;
    if (!name || !CSWnd::RegisterClassExW(name))
        return 0;
    if (!Create(name, L"", WS_POPUP, GetSystemMetrics(SM_CXFULLSCREEN) / 2, GetSystemMetrics(SM_CYFULLSCREEN) / 2, 1,
                1, nullptr))
        return 0;
    // An elevated program would otherwise never hear of a restarted Explorer.
    ChangeWindowMessageFilterEx(hwnd, uMsgTaskbarCreated, MSGFLT_ALLOW, nullptr);
    nid.hWnd = hwnd;
    Modify(icon, tip);
    if (show)
        ShowIcon(1);
    return 1;
}

void TB_Icon::Stop()
{
    if (className)
        CSWnd::UnregisterClassW(className);
}

void TB_Icon::Close()
{
    if (!IsReady())
        return;
    ShowIcon(0);
    PostMsg(WM_CLOSE, 0, 0);
}

void TB_Icon::NotifyShell(DWORD op)
{
    // The shell reads as many bytes as cbSize gives: the fields shared with NOTIFYICONDATAW.
    Shell_NotifyIconW(op, reinterpret_cast<NOTIFYICONDATAW*>(&nid));
}

void TB_Icon::ShowIcon(int show)
{
    int wanted = show ? 1 : 0;
    if (wanted == iconShown)
        return;
    if (wanted && !ShouldShowIcon())
        return;
    if (!nid.hWnd)
        nid.hWnd = hwnd;
    // Without a window the icon could never report a click.
    if (!nid.hWnd)
        return;
    NotifyShell(wanted ? NIM_ADD : NIM_DELETE);
    iconShown = wanted;
}

void TB_Icon::Modify(HICON icon, const wchar_t* tip)
{
    if (icon) {
        nid.hIcon = icon;
        nid.uFlags |= NIF_ICON;
    }
    if (tip) {
        textbuf::Copy(nid.szTip, TipChars, tip);
        nid.uFlags |= NIF_TIP;
    }
    if (iconShown)
        NotifyShell(NIM_MODIFY);
}

int TB_Icon::IsRegisteredAutoLoad(int allUsers, const wchar_t* valueName)
{
    if (!valueName || !*valueName)
        return 0;
    wchar_t path[RunKeyChars];
    RunKeyPath(allUsers, path);
    RegKey key(path, 0);
    return key.IsOpen() && key.FindValue(valueName) ? 1 : 0;
}

int TB_Icon::RegisterAutoLoad(int on, int allUsers, const wchar_t* valueName, const wchar_t* args, HINSTANCE module)
{
    // An empty name would be the key's default value, which is no log-on entry.
    if (!valueName || !*valueName)
        return 0;
    wchar_t path[RunKeyChars];
    RunKeyPath(allUsers, path);
    RegKey key(path, 1);
    if (!key.IsOpen())
        return 0;
    if (!on)
        return key.DelValue(valueName) ? 1 : 0;

    if (!module)
        module = ProductInfo::GetAppInstance();
    wchar_t file[MAX_PATH];
    GetLocalFileNameQuoted(file, nullptr, module);
    wchar_t command[RunKeyChars];
    if (args && *args)
        textbuf::Format(command, RunKeyChars, L"%s %s", file, args);
    else
        textbuf::Copy(command, RunKeyChars, file);
    return key.PutStr(valueName, command) ? 1 : 0;
}

void TB_Icon::Process(int on, int allUsers, WORD, UINT subCode, const wchar_t* name, const wchar_t* valueName,
                      const wchar_t* programFile, const wchar_t* argsOn, const wchar_t* argsOff)
{
    RegisterAutoLoad(on, allUsers, valueName, on ? argsOn : argsOff, nullptr);
    HWND running = name ? FindWindowW(name, nullptr) : nullptr;
    if (!on) {
        if (running)
            PostMessageW(running, WM_CLOSE, 0, 0);
        return;
    }
    if (!running)
        RunLocalFile(nullptr, programFile, argsOn, nullptr);
    else
        ProductInfo::PostMyMessage(running, subCode, 0);
}
