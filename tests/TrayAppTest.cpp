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

} // namespace

TEST(TrayApplication, AClickOnTheIconOpensTheMirrorOverTheDesktop)
{
    test::StandinProcess shell;
    ASSERT_TRUE(shell.StartItems(test::ItemLine(60, 60, "FF0000", "Red") + test::ItemLine(300, 60, "00FF00", "Green")));

    test::ChildProcess tray;
    ASSERT_TRUE(tray.Start(L"Glimpsebox.exe", L"/TB+"));
    HWND icon = nullptr;
    ASSERT_TRUE(test::PumpUntil([&] { return (icon = test::FirstTrayIcon()) != nullptr && IsWindowVisible(icon); }, 15000));
    ASSERT_NE(FindWindowW(TrayClass, nullptr), nullptr);

    // A second start in the tray role only brings the first forward.
    test::ChildProcess second;
    ASSERT_TRUE(second.Start(L"Glimpsebox.exe", L"/TB+"));
    ASSERT_TRUE(second.WaitForEnd(15000));
    EXPECT_EQ(second.ExitCode(), 0u);

    ASSERT_TRUE(test::Xdo(test::MoveTo(icon) + " sleep 0.1 " + test::HeldClick(1)));
    HWND mirror = nullptr;
    ASSERT_TRUE(test::PumpUntil(
        [&] { return (mirror = FindWindowW(MirrorClass, nullptr)) != nullptr && IsWindowVisible(mirror); }, 15000));
    DWORD owner = 0;
    GetWindowThreadProcessId(mirror, &owner);
    EXPECT_NE(owner, GetCurrentProcessId());
    // The items were read through the hooks inside the shell.
    EXPECT_TRUE(shell.WaitForLine("itemrect item=1 "));

    HWND trayWindow = FindWindowW(TrayClass, nullptr);
    // The tray's boxes, each read and answered: the mirror window's "Show window size", and the
    // About box filled from the product identity.
    auto answer = [&](WPARAM subCode, const wchar_t* title, const std::vector<int>& items) {
        ProductInfo::PostMyMessage(trayWindow, subCode, MAKELPARAM(250, 180));
        HWND box = nullptr;
        std::vector<std::wstring> texts;
        if (test::PumpUntil([&] { return (box = FindWindowW(L"#32770", title)) != nullptr; }, 10000)) {
            for (int id : items)
                texts.push_back(test::Text(GetDlgItem(box, id)));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        EXPECT_TRUE(test::PumpUntil([&] { return FindWindowW(L"#32770", title) == nullptr; }, 10000));
        return texts;
    };
    EXPECT_EQ(answer(MyMsgWindowSize, L"Glimpsebox", {0xFFFF}),
              std::vector<std::wstring>{L"The current Glimpsebox window size is 250 x 180 pixels."});
    std::vector<std::wstring> about = answer(MyMsgAbout, L"About Glimpsebox", {20101, 20102, 1000});
    ASSERT_EQ(about.size(), 3u);
    EXPECT_EQ(about[0], L"Glimpsebox[TM] XP Edition");
    EXPECT_EQ(about[1], L"Version 1.11");
    EXPECT_NE(about[2].find(L"2006"), std::wstring::npos);

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
