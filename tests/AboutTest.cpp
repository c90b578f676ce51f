// The About box run modally from this thread: how it closes, its texts and icon, its web-site buttons; web pages with a confirmation.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "product/DlgAbout.h"
#include "product/ProductInfo.h"
#include "res/IconIds.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/Pixels.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "ui/IconBtn.h"

namespace {

const wchar_t AboutTitle[] = L"About Glimpsebox";

std::wstring ItemText(HWND dlg, int id)
{
    return test::Text(GetDlgItem(dlg, id));
}

// Runs the script from inside DoAbout's modal loop once the box is up; DoAbout's result.
std::function<void(HWND)> pendingScript;

void CALLBACK ScriptTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND about = FindWindowW(L"#32770", AboutTitle);
    if (!about || !IsWindowVisible(about) || GetWindowThreadProcessId(about, nullptr) != GetCurrentThreadId())
        return;
    KillTimer(nullptr, id);
    std::function<void(HWND)> script = std::move(pendingScript);
    pendingScript = nullptr;
    script(about);
    // A failed check must not leave the box open.
    if (::testing::Test::HasFailure() && IsWindow(about))
        PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
}

bool RunAbout(std::function<void(HWND)> script)
{
    pendingScript = std::move(script);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, ScriptTimer);
    bool result = DoAbout(nullptr);
    KillTimer(nullptr, timer);
    return result;
}

} // namespace

TEST(AboutBox, OkTellsTrueCancelAndEscapeFalse)
{
    EXPECT_TRUE(RunAbout([](HWND about) { PostMessageW(about, WM_COMMAND, IDOK, 0); }));
    EXPECT_FALSE(RunAbout([](HWND about) { PostMessageW(about, WM_COMMAND, IDCANCEL, 0); }));
    EXPECT_FALSE(RunAbout([](HWND about) {
        HWND focus = GetFocus();
        ASSERT_TRUE(focus && IsChild(about, focus));
        PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    }));
}

TEST(AboutBox, ShowsTheProductIconLinksAndTheRevisionWhileShiftIsDown)
{
    // The pointer away from where the box opens, so that only the test makes a link hover.
    ASSERT_TRUE(test::Xdo("mousemove 5 5"));
    ProductInfo* product = GetProductInfo();
    std::wstring version;
    EXPECT_TRUE(RunAbout([&](HWND about) {
        version = ItemText(about, DlgAbout::VersionCtl);
        EXPECT_EQ(ItemText(about, DlgAbout::NameCtl), L"Glimpsebox[TM] XP Edition");

        // The product's icon, 48 pixels, in the middle of its button.
        HWND icon = GetDlgItem(about, DlgAbout::IconCtl);
        RECT rc;
        GetClientRect(icon, &rc);
        ASSERT_GE(rc.right, DlgAbout::ProductIconSize);
        ASSERT_GE(rc.bottom, DlgAbout::ProductIconSize);
        EXPECT_EQ(test::Shot(icon).Block((rc.right - 48) / 2, (rc.bottom - 48) / 2, 48),
                  test::IconAsDrawn(IDI_PRODUCT, 48));

        // "Web site" is a link; hovering it ends when the box says the mouse has left.
        HWND web = GetDlgItem(about, DlgAbout::WebSiteCtl);
        EXPECT_EQ(ItemText(about, DlgAbout::WebSiteCtl), L"&Web site");
        EXPECT_GT(test::Shot(web).LongestRun(IconBtn::rgbLink[0]), 0);
        SendMessageW(web, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        EXPECT_GT(test::Shot(web).LongestRun(IconBtn::rgbHover), 0);
        PostMessageW(about, WM_MOUSEMOVE, 0, -1);
        EXPECT_TRUE(test::PumpUntil([&] { return test::Shot(web).LongestRun(IconBtn::rgbHover) == 0; }, 5000));
        EXPECT_GT(test::Shot(web).LongestRun(IconBtn::rgbLink[0]), 0);
        PostMessageW(about, WM_COMMAND, IDOK, 0);
    }));
    EXPECT_EQ(version, product->GetVersionStrLong());

    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    RunAbout([&](HWND about) {
        version = ItemText(about, DlgAbout::VersionCtl);
        PostMessageW(about, WM_COMMAND, IDOK, 0);
    });
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(version, product->GetVersionStrRev());
    EXPECT_NE(version, product->GetVersionStrLong());
}

TEST(AboutBox, WebPagesOpenOnlyAfterTheUserSaidOk)
{
    std::wstring log = test::NewTempDir(L"about") + L"\\opened.log";
    test::ProtocolToMarker redirect(L"http", log);
    ProductInfo* product = GetProductInfo();

    // Without the question answered OK, nothing opens.
    {
        test::BoxAnswerer cancel(IDCANCEL);
        EXPECT_FALSE(OpenHTML(nullptr, product->GetHomePage(), 1, 0));
        EXPECT_EQ(cancel.count, 1);
        EXPECT_EQ(cancel.text, test::LibraryString(20007));
    }
    EXPECT_TRUE(RunAbout([&](HWND about) {
        {
            test::BoxAnswerer cancel(IDCANCEL);
            SendMessageW(GetDlgItem(about, DlgAbout::WebSiteCtl), BM_CLICK, 0, 0);
            EXPECT_EQ(cancel.count, 1);
            EXPECT_EQ(cancel.text, test::LibraryString(20007));
            EXPECT_EQ(cancel.owner, about);
        }
        {
            test::BoxAnswerer ok(IDOK);
            SendMessageW(GetDlgItem(about, DlgAbout::SupportCtl), BM_CLICK, 0, 0);
            EXPECT_EQ(ok.count, 1);
        }
        PostMessageW(about, WM_COMMAND, IDOK, 0);
    }));
    std::string line;
    ASSERT_TRUE(test::WaitForLogLine(log, "opened ", &line, 0, 15000));
    EXPECT_EQ(line, "opened " + test::ToUtf8(product->GetSupportPage()));

    // The same page without a question opens at once; the one declined twice never did.
    EXPECT_TRUE(OpenHTML(nullptr, product->GetSupportPage(), 0, 0));
    ASSERT_TRUE(test::PumpUntil([&] { return test::LogLinesWith(log, "opened ").size() == 2; }, 15000));
    for (const std::string& opened : test::LogLinesWith(log, "opened "))
        EXPECT_EQ(opened, "opened " + test::ToUtf8(product->GetSupportPage()));
}
