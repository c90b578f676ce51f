// The About box run modally from this thread: how it closes, its texts and icon, its web-site
// buttons; web pages with a confirmation.
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

// Runs the script from inside DoAbout's modal loop once the box is up; DoAbout's result.
std::function<void(HWND)> pendingScript;

void CALLBACK ScriptTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND about = FindWindowW(L"#32770", L"About Glimpsebox");
    if (!about || !IsWindowVisible(about) || GetWindowThreadProcessId(about, nullptr) != GetCurrentThreadId())
        return;
    KillTimer(nullptr, id);
    std::function<void(HWND)> script = std::move(pendingScript);
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

TEST(AboutBox, OkTellsTrueCancelFalse)
{
    EXPECT_TRUE(RunAbout([](HWND about) { PostMessageW(about, WM_COMMAND, IDOK, 0); }));
    EXPECT_FALSE(RunAbout([](HWND about) { PostMessageW(about, WM_COMMAND, IDCANCEL, 0); }));
}

TEST(AboutBox, TextsProductIconLinksAndTheRevisionWhileShiftIsDown)
{
    // The pointer away from where the box opens, so that only the test makes a link hover.
    ASSERT_TRUE(test::Xdo("mousemove 5 5"));
    std::vector<std::wstring> texts;
    EXPECT_TRUE(RunAbout([&](HWND about) {
        for (int id : {DlgAbout::NameCtl, DlgAbout::VersionCtl, DlgAbout::CopyrightCtl})
            texts.push_back(test::Text(GetDlgItem(about, id)));
        // The product's icon, 48 pixels, in the middle of its button.
        HWND icon = GetDlgItem(about, DlgAbout::IconCtl);
        RECT rc;
        GetClientRect(icon, &rc);
        ASSERT_TRUE(rc.right >= DlgAbout::ProductIconSize && rc.bottom >= DlgAbout::ProductIconSize);
        EXPECT_EQ(test::Shot(icon).Block((rc.right - 48) / 2, (rc.bottom - 48) / 2, 48),
                  test::IconAsDrawn(IDI_PRODUCT, 48));

        // "Web site" is a link; hovering it ends when the box says the mouse has left.
        HWND web = GetDlgItem(about, DlgAbout::WebSiteCtl);
        EXPECT_EQ(test::Text(web), L"&Web site");
        SendMessageW(web, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        EXPECT_GT(test::Shot(web).LongestRun(IconBtn::rgbHover), 0);
        PostMessageW(about, WM_MOUSEMOVE, 0, -1);
        EXPECT_TRUE(test::PumpUntil([&] { return test::Shot(web).LongestRun(IconBtn::rgbHover) == 0; }, 5000));
        EXPECT_GT(test::Shot(web).LongestRun(IconBtn::rgbLink[0]), 0);
        PostMessageW(about, WM_COMMAND, IDOK, 0);
    }));
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], L"Glimpsebox[TM] XP Edition");
    EXPECT_EQ(texts[1], GetProductInfo()->GetVersionStrLong());
    EXPECT_NE(texts[2].find(L"2006"), std::wstring::npos) << test::ToUtf8(texts[2]);

    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    RunAbout([&](HWND about) {
        texts[1] = test::Text(GetDlgItem(about, DlgAbout::VersionCtl));
        PostMessageW(about, WM_COMMAND, IDOK, 0);
    });
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(texts[1], GetProductInfo()->GetVersionStrRev());
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
            EXPECT_EQ(cancel.text, test::LibraryString(20007));
            EXPECT_EQ(cancel.owner, about);
        }
        test::BoxAnswerer ok(IDOK);
        SendMessageW(GetDlgItem(about, DlgAbout::SupportCtl), BM_CLICK, 0, 0);
        EXPECT_EQ(ok.count, 1);
        PostMessageW(about, WM_COMMAND, IDOK, 0);
    }));
    const std::string opened = "opened " + test::ToUtf8(product->GetSupportPage());
    ASSERT_TRUE(test::WaitForLogLine(log, "opened ", nullptr, 0, 15000));

    // The same page without a question opens at once; the one declined twice never did.
    EXPECT_TRUE(OpenHTML(nullptr, product->GetSupportPage(), 0, 0));
    ASSERT_TRUE(test::PumpUntil([&] { return test::LogLinesWith(log, "opened ").size() == 2; }, 15000));
    EXPECT_EQ(test::LogLinesWith(log, "opened "), (std::vector<std::string>{opened, opened}));
}

TEST(AboutBox, AnAddressNoProgramTakesOpensWithTheProgramOfItsFileTypeAndNothingToOpenIsTold)
{
    const std::wstring viewer = test::ExeDir() + L"\\LaunchRecorder.exe", log = viewer + L".log";
    test::SavedValue type(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.glmbxpage", nullptr);
    test::SavedValue command(HKEY_LOCAL_MACHINE, L"Software\\Classes\\GlmbxPage\\shell\\open\\command", nullptr);
    ASSERT_TRUE(type.Set(L"GlmbxPage") && command.Set(L"\"" + viewer + L"\" \"%1\""));
    size_t from = test::LogLinesWith(log, "").size();
    test::BoxAnswerer ok(IDOK);
    EXPECT_TRUE(OpenHTML(nullptr, L"glmbxnone:report.glmbxpage", 0, 0));  // a scheme nobody takes
    EXPECT_TRUE(test::WaitForLogLine(log, "started ", nullptr, from, 15000));
    EXPECT_FALSE(OpenHTML(nullptr, L"", 0, 0));
    EXPECT_TRUE(ok.count == 1 && ok.text == test::LibraryString(22022));
}
