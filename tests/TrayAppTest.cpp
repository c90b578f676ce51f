// The tray process end to end: switched on as the Properties dialog does, started again, a real
// click on its icon opening the mirror window over the stand-in desktop, and the stop switch.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "product/ProductInfo.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RealInput.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TrayArea.h"
#include "ui/TB_Icon.h"

TEST(TrayApplication, SwitchedOnClickedAndStopped)
{
    const wchar_t trayClass[] = L"Corvantrix_GLIMPSEBOX_TBICON", mirrorClass[] = L"Corvantrix_Glimpsebox32";
    test::StandinProcess shell;
    ASSERT_TRUE(shell.StartItems(test::ItemLine(60, 60, "FF0000", "Red") + test::ItemLine(300, 60, "00FF00", "Green")));
    const std::wstring name = L"GlmbxTestTray" + std::to_wstring(GetCurrentProcessId());
    test::SavedValue entry(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", name.c_str());

    // The launcher in the home folder starts in the tray role. The shell starts it: the test ends
    // it whatever happens, or CTest would wait for the output it inherited.
    TB_Icon::Process(1, 0, 1192, MyMsgAbout, trayClass, name.c_str(), L"Glimpsebox.exe", L"/TB+", L"/TB-");
    struct Ender {
        HANDLE process = nullptr;
        ~Ender()
        {
            TerminateProcess(process, 9);
            CloseHandle(process);
        }
    } tray;
    DWORD trayId = 0;
    HWND icon = nullptr;
    ASSERT_TRUE(test::PumpUntil(
        [&] {
            HWND trayWindow = FindWindowW(trayClass, nullptr);
            if (trayWindow && !tray.process && GetWindowThreadProcessId(trayWindow, &trayId))
                tray.process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, trayId);
            return trayWindow && (icon = test::TrayIconWithTip(L"Glimpsebox")) != nullptr;
        },
        15000));

    // A second start in the tray role only brings the first forward.
    test::ChildProcess second;
    ASSERT_TRUE(second.Start(L"Glimpsebox.exe", L"/TB+"));
    ASSERT_TRUE(second.WaitForEnd(15000));
    EXPECT_EQ(second.ExitCode(), 0u);

    // A real click opens the tray's mirror window, read through the hooks inside the shell.
    ASSERT_TRUE(test::Xdo(test::MoveTo(icon) + " sleep 0.1 " + test::HeldClick(1)));
    HWND mirror = nullptr;
    ASSERT_TRUE(test::PumpUntil(
        [&] { return (mirror = FindWindowW(mirrorClass, nullptr)) != nullptr && IsWindowVisible(mirror); }, 15000));
    DWORD owner = 0;
    GetWindowThreadProcessId(mirror, &owner);
    EXPECT_EQ(owner, trayId);
    EXPECT_TRUE(shell.WaitForLine("itemrect item=1 "));

    // The stop switch ends the tray and its window.
    test::ChildProcess stop;
    ASSERT_TRUE(stop.Start(L"Glimpsebox.exe", L"-tb-"));
    ASSERT_TRUE(stop.WaitForEnd(15000));
    EXPECT_TRUE(test::PumpUntil([&] { return WaitForSingleObject(tray.process, 0) == WAIT_OBJECT_0; }, 15000));
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(GetExitCodeProcess(tray.process, &code) && code == 0) << code;
    EXPECT_FALSE(IsWindow(mirror));
}
