// The tray process end to end: the launcher in the tray role, a real click on its icon in the
// notification area, the mirror window over the stand-in desktop, and the ways it ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "product/ProductInfo.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RealInput.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TrayArea.h"

namespace {

const wchar_t TrayClass[] = L"Corvantrix_GLIMPSEBOX_TBICON";
const wchar_t MirrorClass[] = L"Corvantrix_Glimpsebox32";

HWND FirstTrayIcon()
{
    HWND tray = test::TrayWindow();
    return tray ? GetWindow(tray, GW_CHILD) : nullptr;
}

} // namespace

TEST(TrayApplication, AClickOnTheIconOpensTheMirrorOverTheDesktop)
{
    test::StandinProcess shell;
    ASSERT_TRUE(shell.StartItems(test::ItemLine(60, 60, "FF0000", "Red") + test::ItemLine(300, 60, "00FF00", "Green")));

    test::ChildProcess tray;
    ASSERT_TRUE(tray.Start(L"Glimpsebox.exe", L"/TB+"));
    HWND icon = nullptr;
    ASSERT_TRUE(test::PumpUntil([&] { return (icon = FirstTrayIcon()) != nullptr && IsWindowVisible(icon); }, 15000));
    ASSERT_NE(FindWindowW(TrayClass, nullptr), nullptr);

    // A second start in the tray role only brings the first forward.
    test::ChildProcess second;
    ASSERT_TRUE(second.Start(L"Glimpsebox.exe", L"/TB+"));
    ASSERT_TRUE(second.WaitForEnd(15000));
    EXPECT_EQ(second.ExitCode(), 0u);

    RECT rc;
    GetWindowRect(icon, &rc);
    POINT centre = test::Centre(rc);
    ASSERT_TRUE(test::Xdo("mousemove " + std::to_string(centre.x) + " " + std::to_string(centre.y) + " sleep 0.1 " +
                          test::HeldClick(1)));
    HWND mirror = nullptr;
    ASSERT_TRUE(test::PumpUntil(
        [&] { return (mirror = FindWindowW(MirrorClass, nullptr)) != nullptr && IsWindowVisible(mirror); }, 15000));
    DWORD owner = 0;
    GetWindowThreadProcessId(mirror, &owner);
    EXPECT_NE(owner, GetCurrentProcessId());
    // The items were read through the hooks inside the shell.
    EXPECT_TRUE(shell.WaitForLine("itemrect item=1 "));

    HWND trayWindow = FindWindowW(TrayClass, nullptr);
    // The mirror window's "Show window size" is answered by the tray with its message.
    ProductInfo::PostMyMessage(trayWindow, MyMsgWindowSize, MAKELPARAM(250, 180));
    HWND box = nullptr;
    ASSERT_TRUE(test::PumpUntil([&] { return (box = FindWindowW(L"#32770", L"Glimpsebox")) != nullptr; }, 10000));
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    EXPECT_STREQ(text, L"The current Glimpsebox window size is 250 x 180 pixels.");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(test::PumpUntil([] { return FindWindowW(L"#32770", L"Glimpsebox") == nullptr; }, 10000));

    // The About box, filled from the product identity.
    ProductInfo::PostMyMessage(trayWindow, MyMsgAbout, 0);
    HWND about = nullptr;
    ASSERT_TRUE(test::PumpUntil([&] { return (about = FindWindowW(L"#32770", L"About Glimpsebox")) != nullptr; }, 10000));
    GetDlgItemTextW(about, 20101, text, 256);
    EXPECT_STREQ(text, L"Glimpsebox[TM] XP Edition");
    GetDlgItemTextW(about, 20102, text, 256);
    EXPECT_STREQ(text, L"Version 1.11");
    GetDlgItemTextW(about, 1000, text, 256);
    EXPECT_NE(std::wstring(text).find(L"2006"), std::wstring::npos);
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(test::PumpUntil([] { return FindWindowW(L"#32770", L"About Glimpsebox") == nullptr; }, 10000));

    // The product's close request ends the tray program and its window.
    ProductInfo::PostMyMessage(trayWindow, MyMsgClose, 1234);
    ProductInfo::PostMyMessage(trayWindow, MyMsgClose, GetProductInfo()->GetID());
    ASSERT_TRUE(tray.WaitForEnd(15000));
    EXPECT_EQ(tray.ExitCode(), 0u);
    EXPECT_TRUE(test::PumpUntil([] { return FindWindowW(MirrorClass, nullptr) == nullptr; }, 5000));
}

TEST(TrayApplication, TheStopSwitchEndsARunningTray)
{
    test::ChildProcess tray;
    ASSERT_TRUE(tray.Start(L"Glimpsebox.exe", L"/TB+"));
    ASSERT_TRUE(test::PumpUntil([] { return FindWindowW(TrayClass, nullptr) != nullptr; }, 15000));
    test::ChildProcess stop;
    ASSERT_TRUE(stop.Start(L"Glimpsebox.exe", L"-tb-"));
    ASSERT_TRUE(stop.WaitForEnd(15000));
    EXPECT_TRUE(tray.WaitForEnd(15000));
    EXPECT_EQ(FindWindowW(TrayClass, nullptr), nullptr);
}
