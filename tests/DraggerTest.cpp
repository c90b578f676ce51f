// FullWndDragger with real input: the client area drags the window unless it is maximised.
#include <gtest/gtest.h>

#include <windows.h>

#include "ui/CSWnd.h"
#include "ui/FullWndDragger.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"

namespace {

const wchar_t DragClass[] = L"GlmbxTestDragWindow";

class DragWindow : public CSWnd {
public:
    FullWndDragger dragger;
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_CREATE)
            dragger.AddToWnd(this);
        if (msg == WM_NCDESTROY)
            dragger.RemoveFromWnd(this);
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    }
};

class DraggerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSWnd::RegisterClassExW(DragClass, 0, nullptr, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1),
                                LoadCursorW(nullptr, IDC_ARROW));
        ASSERT_TRUE(window.CreateEx(WS_EX_TOPMOST, DragClass, L"drag me", WS_POPUP | WS_BORDER | WS_VISIBLE, 300, 300,
                                    200, 150, nullptr));
        SetForegroundWindow(window);
    }
    void TearDown() override
    {
        window.Destroy();
        CSWnd::UnregisterClassW(DragClass);
    }
    RECT Rect() const
    {
        RECT rc;
        GetWindowRect(window.GetHandle(), &rc);
        return rc;
    }
    // A drag from (x, y) by (dx, dy), in steps, with the button held throughout.
    bool Drag(int x, int y, int dx, int dy)
    {
        std::string to1 = std::to_string(x + dx / 2) + " " + std::to_string(y + dy / 2);
        std::string to2 = std::to_string(x + dx) + " " + std::to_string(y + dy);
        return test::Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 mousedown 1 sleep 0.2 mousemove " +
                         to1 + " sleep 0.2 mousemove " + to2 + " sleep 0.2 mouseup 1");
    }

    DragWindow window;
};

} // namespace

TEST_F(DraggerTest, ClientAreaMovesTheWindowWithTheHandCursorUnlessMaximised)
{
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(400, 370)), HTCAPTION);
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTNOWHERE);  // outside: unchanged
    ASSERT_TRUE(test::Xdo("mousemove 400 370"));
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    EXPECT_TRUE(test::PumpUntil([&] {
        CURSORINFO info = {sizeof(info), 0, nullptr, {}};
        return GetCursorInfo(&info) && info.hCursor == hand;
    }, 5000));
    RECT before = Rect();
    ASSERT_TRUE(Drag(400, 370, 100, 50));
    EXPECT_TRUE(test::PumpUntil([&] { return Rect().left == before.left + 100 && Rect().top == before.top + 50; }, 5000))
        << Rect().left << "," << Rect().top;

    ShowWindow(window, SW_MAXIMIZE);
    test::PumpPending();
    ASSERT_TRUE(IsZoomed(window));
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(400, 370)), HTCLIENT);
    EXPECT_EQ(SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHandle()),
                           MAKELPARAM(HTCAPTION, WM_MOUSEMOVE)),
              0);
    before = Rect();
    ASSERT_TRUE(Drag(400, 370, 100, 50));
    test::PumpPending();
    RECT after = Rect();
    EXPECT_TRUE(EqualRect(&before, &after));
}
