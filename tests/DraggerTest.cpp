// FullWndDragger: the client area answers as a caption, with the hand cursor, unless the window
// is maximised. (The mirror window's tests drag with real input.)
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/TestSupport.h"
#include "ui/CSWnd.h"
#include "ui/FullWndDragger.h"

TEST(DraggerTest, TheClientAreaIsACaptionWithTheHandCursorUnlessMaximised)
{
    const wchar_t dragClass[] = L"GlmbxTestDragWindow";
    CSWnd::RegisterClassExW(dragClass, 0, nullptr, nullptr, nullptr, LoadCursorW(nullptr, IDC_ARROW));
    CSWnd window;
    FullWndDragger dragger;
    ASSERT_TRUE(window.CreateEx(WS_EX_TOPMOST, dragClass, L"drag me", WS_POPUP | WS_BORDER | WS_VISIBLE, 300, 300, 200,
                                150, nullptr));
    dragger.AddToWnd(&window);
    auto cursorOver = [&](UINT hit) {
        SetCursor(nullptr);
        LRESULT answer = SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHandle()),
                                      MAKELPARAM(hit, WM_MOUSEMOVE));
        return std::make_pair(answer, GetCursor());
    };
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(400, 370)), HTCAPTION);
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTNOWHERE);  // outside: unchanged
    EXPECT_EQ(cursorOver(HTCAPTION), std::make_pair(LRESULT{TRUE}, hand));
    EXPECT_NE(cursorOver(HTCLIENT).second, hand);

    ShowWindow(window, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(window));
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(400, 370)), HTCLIENT);
    EXPECT_NE(cursorOver(HTCAPTION).second, hand);
    window.Destroy();
    CSWnd::UnregisterClassW(dragClass);
}
