// BoxAnswerer: answers the message boxes of the test's own thread, so that nothing blocks.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>

namespace test {

// Answers every message box of this thread (a "#32770" window that is not a framework
// dialog) with a command, from a thread-local WH_CBT hook, and keeps what it showed.
class BoxAnswerer {
public:
    explicit BoxAnswerer(WPARAM replyCommand) : reply(replyCommand)
    {
        current = this;
        hook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    }
    ~BoxAnswerer()
    {
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    int count = 0;
    std::wstring text;
    HWND owner = nullptr;
    HICON icon = nullptr;  // the box's icon: the system's shared one (IDI_HAND for MB_ICONSTOP)

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE && current) {
            HWND box = reinterpret_cast<HWND>(wParam);
            wchar_t cls[32] = L"";
            GetClassNameW(box, cls, 32);
            if (wcscmp(cls, L"#32770") == 0 && !GetPropW(box, L"CSDLG") && !GetPropW(box, L"GlmbxAnswered")) {
                SetPropW(box, L"GlmbxAnswered", reinterpret_cast<HANDLE>(1));
                ++current->count;
                wchar_t shown[1024] = L"";
                GetDlgItemTextW(box, 0xFFFF, shown, 1024);
                current->text = shown;
                current->owner = GetWindow(box, GW_OWNER);
                current->icon = reinterpret_cast<HICON>(SendDlgItemMessageW(box, 0x440, STM_GETICON, 0, 0));
                PostMessageW(box, WM_COMMAND, current->reply, 0);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline BoxAnswerer* current = nullptr;
    WPARAM reply;
    HHOOK hook;
};

} // namespace test
