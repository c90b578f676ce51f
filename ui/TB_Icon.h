// TB_Icon: the base of a program whose whole user interface is one notification-area icon.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>

#include "ui/CSWnd.h"

// The notify data as the shell reads it when told the 936-byte size: the 128-character tip
// and the balloon fields, without the item GUID and balloon icon of later systems. Field for
// field the system's NOTIFYICONDATAW up to dwInfoFlags, so a pointer to it is passed as one.
struct NOTIFYICONDATAW_V2 {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    WCHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    WCHAR szInfo[256];
    union {
        UINT uTimeout;
        UINT uVersion;
    };
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
};
static_assert(sizeof(NOTIFYICONDATAW_V2) == NOTIFYICONDATAW_V2_SIZE, "the shell's V2 size");
static_assert(offsetof(NOTIFYICONDATAW_V2, hIcon) == offsetof(NOTIFYICONDATAW, hIcon), "NOTIFYICONDATAW layout");
static_assert(offsetof(NOTIFYICONDATAW_V2, szTip) == offsetof(NOTIFYICONDATAW, szTip), "NOTIFYICONDATAW layout");
static_assert(offsetof(NOTIFYICONDATAW_V2, dwInfoFlags) == offsetof(NOTIFYICONDATAW, dwInfoFlags),
              "NOTIFYICONDATAW layout");
#ifndef _WIN64
static_assert(sizeof(NOTIFYICONDATAW_V2) == 936, "the 32-bit notify data is 936 bytes");
#endif

// Owns a hidden window that receives the icon's notifications, adds, changes and removes the
// icon, puts it back when the taskbar is created anew, and runs the program's message loop.
// A derived class overrides the click handlers and, in InitInstance, calls Start.
//
// Clicks: the icon's callback message (1025) becomes a posted 1026 (left button released),
// 1027 (left double click) or 1028 (right button released), which call OnLeftClick,
// OnDoubleClick or OnRightClick. One click handler runs at a time in the whole process: a
// click that arrives while one runs (through the nested loop of its menu or dialog) brings
// the hidden window's last active pop-up forward instead, or, while the hidden window's menu
// is open, the hidden window itself (a menu is never active). A derived class puts other
// work that opens a modal window under the same guard (EnterClickGuard).
//
// Life: Run → InitInstance (Start) → the loop → WM_CLOSE removes the icon and destroys the
// window → OnDestroyWnd (a derived class posts WM_QUIT) → ExitInstance (Stop) → Run returns
// the quit code. Everything runs on the thread that called Run.
class GLMBX_API TB_Icon : public CSWnd {
public:
    enum {
        IconID = 1,
        MsgNotify = WM_USER + 1,       // the icon's callback message; lParam is the mouse message
        MsgLeftClick = WM_USER + 2,
        MsgDoubleClick = WM_USER + 3,
        MsgRightClick = WM_USER + 4,
        TipChars = 128,                // with the terminator
        RunKeyChars = 256,             // the Run key's path and the stored command
    };

    TB_Icon();
    // Removes an icon still shown; the window, if any, is left as CSWnd leaves it.
    ~TB_Icon() override;

    // IsDlg, PreInit and OnPostNcDestroy stay CSWnd's.
    // The close request, the taskbar's re-creation, WM_CLOSE, creation and destruction and the
    // icon's clicks; everything continues into CSWnd::OnWndMessage except WM_CLOSE and a
    // "CorvantrixMessage" that OnMyCompanyMessage handled.
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // 0 keeps ShowIcon(1) from showing the icon.
    virtual int ShouldShowIcon();
    // A "CorvantrixMessage" with its sub-code and argument. Nonzero: handled, and *result is
    // the message's result. 0 lets the base apply the close request (sub-code 1).
    virtual int OnMyCompanyMessage(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The product number a close request must carry; 0, which no request carries, in the base.
    virtual WORD GetProdID();
    virtual void OnLeftClick();
    virtual void OnDoubleClick();
    virtual void OnRightClick();
    virtual void OnCreateWnd();
    // Removes the icon; a derived class ends the loop here (PostQuitMessage).
    virtual void OnDestroyWnd();
    // Nonzero to run the loop. The base does nothing and returns 1.
    virtual int InitInstance(HINSTANCE instance, const wchar_t* cmdLine, int show);
    // GetMessageW over the whole thread until WM_QUIT; its code is the result.
    virtual int RunMsgLoop();
    virtual void ExitInstance();

    // Null icon: closes the running instance of the class (WM_CLOSE) and returns 0. Otherwise
    // a running instance of the class is activated and 0 returned; else COM and the common
    // controls are set up and InitInstance, the loop (when it succeeded) and ExitInstance run;
    // the result is the loop's, or 0. The product number is accepted for callers, not used.
    static int Run(TB_Icon* icon, const wchar_t* className, WORD prodId, HINSTANCE instance,
                   wchar_t* cmdLine, int show);

    // Registers the class (library instance, no icon, cursor or brush), creates the hidden
    // 1 x 1 pop-up (never shown), takes icon and tip as Modify does and, with show set, adds the
    // icon. 0 when the object has a window already, when the class cannot be registered (also
    // when it is registered already) or the window cannot be created; the name must outlive
    // the window.
    int Start(const wchar_t* className, HICON icon, const wchar_t* tip, int show);
    // Unregisters the class; call it after the window is gone.
    void Stop();
    // With a window: removes the icon and posts WM_CLOSE.
    void Close();
    // Adds (nonzero) or removes the icon. Nothing happens when the icon already is so, when
    // ShouldShowIcon refuses, or when there is no window yet to receive its notifications.
    // The shown flag follows the request whatever the shell answered.
    void ShowIcon(int show);
    int IsIconShown() const { return iconShown; }
    // A non-null icon (borrowed: it must live while shown) and a non-null tip (cut to 127
    // characters) replace the current ones; the shell is told when the icon is shown. Before
    // Start it only stores them: Start's own non-null arguments then take their place.
    void Modify(HICON icon, const wchar_t* tip);
    void UpdateTooltip(const wchar_t* tip) { Modify(nullptr, tip); }

    // The message the loop is dispatching right now (for tooltips to relay).
    MSG* GetLoopMsg() { return &loopMsg; }

    // The log-on entries in "...\CurrentVersion\Run" of the current user (allUsers 0) or of the
    // machine. Nonzero when the value exists; 0 also when the key cannot be read.
    static int IsRegisteredAutoLoad(int allUsers, const wchar_t* valueName);
    // On: the value becomes the quoted file name of module (null: the current application's
    // module) in the product's home folder, a blank and args (the blank only with args), cut
    // to 255 characters. Off: the value is deleted. Nonzero when that was done; failures are
    // otherwise silent. A null or empty value name does nothing.
    static int RegisterAutoLoad(int on, int allUsers, const wchar_t* valueName, const wchar_t* args,
                                HINSTANCE module);
    // For a controlling program: sets or removes the log-on entry, then either closes the
    // running instance of the class (off), or starts programFile from the product's home
    // folder with argsOn when none runs, or else posts it "CorvantrixMessage" (subCode, 0).
    static void Process(int on, int allUsers, WORD prodId, UINT subCode, const wchar_t* className,
                        const wchar_t* valueName, const wchar_t* programFile, const wchar_t* argsOn,
                        const wchar_t* argsOff);

    // "TaskbarCreated" and "Corvantrix_TaskbarCreated", registered by every constructor.
    static UINT uMsgTaskbarCreated;
    static UINT uMsgMyTaskbarCreated;

protected:
    // Flags back to NIF_MESSAGE and the callback message to 1025.
    void InitFlags();
    // The click guard around other work that opens a menu or a modal window (a dialog asked
    // for by message): nonzero when it may run, and then the guard holds until
    // LeaveClickGuard; 0 while a handler runs, whose pop-up was brought forward instead.
    int EnterClickGuard();
    void LeaveClickGuard();
    // A request refused by the guard that must not be lost: the message is posted to this
    // window again when the guard is released (once, however often it was asked for).
    void PostWhenGuardReleased(UINT message, WPARAM wParam, LPARAM lParam);

    MSG loopMsg;
    NOTIFYICONDATAW_V2 nid;
    int iconShown;
    const wchar_t* className;  // not owned

private:
    void NotifyShell(DWORD op);
    // A menu of this thread is open for the hidden window.
    int IsTrackingMenu() const;
    void OnClick(UINT msgClick);

    // Set while a click handler runs, in any TB_Icon of the process.
    static int clickGuard;
    // What PostWhenGuardReleased keeps until then.
    struct GuardedPost {
        HWND hwnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    enum { MaxGuardedPosts = 8 };
    static GuardedPost guardedPosts[MaxGuardedPosts];
    static int guardedPostCount;
};
