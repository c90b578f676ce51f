// BoxAnswerer: answers the dialogs of the test's own thread, so that nothing blocks.
#pragma once

#include <windows.h>

#include <cwchar>
#include <functional>
#include <string>

namespace test {

// Answers each message box of this thread (a "#32770" window that is not a framework dialog)
// once, from a thread-local WH_CBT hook as it becomes active, and keeps what the last one showed.
class BoxAnswerer {
public:
    using Reply = std::function<void(HWND box)>;

    // Each box is answered with the command.
    explicit BoxAnswerer(WPARAM command)
        : BoxAnswerer([command](HWND box) { PostMessageW(box, WM_COMMAND, command, 0); })
    {
    }
    // Each box goes to reply; with frameworkToo, the framework's dialogs as well.
    explicit BoxAnswerer(Reply replyWith, bool frameworkToo = false) : reply(std::move(replyWith)), all(frameworkToo)
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
    std::wstring caption, text;
    HWND owner = nullptr;
    HICON icon = nullptr;  // the box's icon: the system's shared one (IDI_HAND for MB_ICONSTOP)

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
    {
        HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t cls[32] = L"";
        GetClassNameW(box, cls, 32);
        if (code == HCBT_ACTIVATE && current && wcscmp(cls, L"#32770") == 0 &&
            (current->all || !GetPropW(box, L"CSDLG")) && !GetPropW(box, L"GlmbxAnswered")) {
            SetPropW(box, L"GlmbxAnswered", reinterpret_cast<HANDLE>(1));
            ++current->count;
            wchar_t shown[2048] = L"";
            GetWindowTextW(box, shown, 2048);
            current->caption = shown;
            shown[0] = 0;
            GetDlgItemTextW(box, 0xFFFF, shown, 2048);
            current->text = shown;
            current->owner = GetWindow(box, GW_OWNER);
            current->icon = reinterpret_cast<HICON>(SendDlgItemMessageW(box, 0x440, STM_GETICON, 0, 0));
            current->reply(box);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline BoxAnswerer* current = nullptr;
    Reply reply;
    bool all;
    HHOOK hook;
};

} // namespace test
