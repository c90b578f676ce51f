// TrayClick: clicks the product's icon in the notification area as a user would and waits
// until the mirror window is on the screen. For the demo.
#include <windows.h>

#include <cstdio>

#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TrayArea.h"

int wmain()
{
    HWND icon = nullptr;
    if (!test::PumpUntil([&] { return (icon = test::TrayIconWithTip(L"Glimpsebox")) != nullptr; }, 30000)) {
        printf("no icon in the notification area\n");
        return 1;
    }
    test::Xdo(test::MoveTo(icon) + " sleep 0.1 " + test::HeldClick(1));
    HWND mirror = nullptr;
    if (!test::PumpUntil(
            [&] {
                mirror = FindWindowW(L"Corvantrix_Glimpsebox32", nullptr);
                return mirror && IsWindowVisible(mirror);
            },
            30000)) {
        printf("the mirror window did not open\n");
        return 1;
    }
    // Let it finish painting before anyone looks.
    test::PumpUntil([&] { return !GetUpdateRect(mirror, nullptr, FALSE); }, 5000);
    printf("mirror window open\n");
    return 0;
}
