// TB_Icon in Wine's notification area: icon and tip, clicks, "CorvantrixMessage", the taskbar's
// re-creation, the message loop, a second start, a controlling program and the log-on entries.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "product/ProductInfo.h"
#include "tests/support/Row.h"
#include "tests/support/MessageSequence.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TrayArea.h"
#include "ui/TB_Icon.h"

using test::OkSequence;
using test::SeqEntry;
using test::SeqLParam;
using test::SeqWParam;

namespace {

using test::RunKey;
const WORD Product = 1192;
const UINT Notify = WM_USER + 1, LeftClick = WM_USER + 2, DoubleClick = WM_USER + 3, RightClick = WM_USER + 4;
const UINT MyMessage = ProductInfo::GetMyMessage();
const HICON Icon = LoadIconW(nullptr, IDI_APPLICATION);

// Pumps until the tray shows an icon with the tip (present) or none (!present).
bool WaitForTip(const std::wstring& tip, bool present)
{
    return test::PumpUntil([&] { return (test::TrayIconWithTip(tip) != nullptr) == present; }, 5000);
}

// A derived program that records the messages it is given (before TB_Icon handles them) and
// its virtual calls; not the pointer's moves over the icon, which depend on where it rests.
class TestIcon : public TB_Icon {
public:
    void Finish()
    {
        Close();
        test::PumpUntil([this] { return !IsReady(); }, 5000);
        Stop();
    }
    LRESULT OnWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if ((message == Notify && lParam != WM_MOUSEMOVE) || (message >= LeftClick && message <= RightClick) ||
            message == WM_CLOSE || message == MyMessage)
            log.Add("icon", message, wParam, lParam);
        return TB_Icon::OnWndMessage(message, wParam, lParam);
    }
    int ShouldShowIcon() override { return showAllowed; }
    int OnMyCompanyMessage(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        log.Add("OnMyCompanyMessage", 0, wParam, lParam);
        *result = handledResult;
        return handledSubCode && wParam == handledSubCode;
    }
    WORD GetProdID() override { return product; }
    void OnLeftClick() override { log.Event("OnLeftClick"); }
    void OnDoubleClick() override { log.Event("OnDoubleClick"); }
    void OnRightClick() override
    {
        log.Event("OnRightClick");
        if (onRight)
            onRight();
    }
    void OnCreateWnd() override { log.Event("OnCreateWnd"); }
    void OnDestroyWnd() override
    {
        TB_Icon::OnDestroyWnd();
        log.Event("OnDestroyWnd");
        if (quitCode >= 0)
            PostQuitMessage(quitCode);
    }
    int InitInstance(HINSTANCE, const wchar_t*, int) override
    {
        log.Event("InitInstance");
        return onInit ? onInit() : 1;
    }
    void ExitInstance() override
    {
        log.Event("ExitInstance");
        Stop();
    }

    test::MessageLog log;
    int showAllowed = 1;
    WORD product = Product;
    WPARAM handledSubCode = 0;
    LRESULT handledResult = 0;
    int quitCode = -1;  // posted by OnDestroyWnd when not negative
    std::function<void()> onRight;
    std::function<int()> onInit;
};

// An icon started in this process and finished again at the end of the test.
class TrayIconTest : public ::testing::Test {
protected:
    void TearDown() override { icon.Finish(); }

    TestIcon icon;
    test::MessageLog& log = icon.log;
};

} // namespace

TEST_F(TrayIconTest, StartShowsWhatModifyStoredAndStopFreesTheClass)
{
    // Before Start there is no window: Modify only stores, ShowIcon and Close do nothing.
    const wchar_t tip[] = L"Stored before start";
    icon.Modify(Icon, tip);
    icon.ShowIcon(1);
    icon.Close();
    EXPECT_EQ(icon.IsIconShown(), 0);

    // Start without icon or tip of its own shows what was stored, from a hidden window.
    const wchar_t cls[] = L"GlmbxTestTrayStored";
    ASSERT_EQ(icon.Start(cls, nullptr, nullptr, 1), 1);
    EXPECT_TRUE(WaitForTip(tip, true));
    EXPECT_FALSE(IsWindowVisible(icon));

    // A running program does not start again; its class is taken until it has stopped.
    EXPECT_EQ(icon.Start(L"GlmbxTestTrayOther", nullptr, nullptr, 1), 0);
    TestIcon second;
    EXPECT_EQ(second.Start(cls, nullptr, nullptr, 1), 0);
    EXPECT_EQ(second.IsIconShown(), 0);

    icon.Finish();
    EXPECT_TRUE(WaitForTip(tip, false));
    EXPECT_EQ(second.Start(cls, nullptr, nullptr, 0), 1);
    second.Finish();
}

TEST_F(TrayIconTest, CloseRequestNeedsTheProductNumber)
{
    ASSERT_EQ(icon.Start(L"GlmbxTestTrayCompany", Icon, L"company", 1), 1);
    // Each leaves it running: unknown sub-codes, close requests without the product's number, any to
    // a program without one (0), and one the program handles, whose result is the message's.
    const struct {
        WORD product;
        WPARAM subCode, handled;
        LPARAM param, result;
    } kept[] = {{Product, 9999, 0, 5, 0}, {Product, 0, 0, 0, 0}, {Product, 2, 0, Product, 0},
                {Product, 1, 0, 0, 0}, {Product, 1, 0, Product + 1, 0}, {Product, 1, 0, 0x10000 + Product, 0},
                {0, 1, 0, 0, 0}, {0, 1, 0, 0x10000, 0},
                {Product, 1, 1, Product, 42}};
    for (const auto& row : kept) {
        test::Row trace(testing::Message() << "sub-code " << row.subCode << " param " << row.param);
        icon.product = row.product;
        icon.handledSubCode = row.handled;
        icon.handledResult = row.result;
        EXPECT_EQ(SendMessageW(icon, MyMessage, row.subCode, row.param), row.result);
    }
    test::PumpPending();
    EXPECT_TRUE(icon.IsReady());
    EXPECT_EQ(icon.IsIconShown(), 1);

    // With the product's number the icon goes at once and the window ends.
    icon.product = Product;
    icon.handledSubCode = 0;
    test::MessageCounter hook(WM_CLOSE);  // the window's hooks see the close
    hook.AddToWnd(&icon);
    log.Clear();
    EXPECT_EQ(SendMessageW(icon, MyMessage, MyMsgClose, Product), 0);
    EXPECT_EQ(icon.IsIconShown(), 0);
    EXPECT_TRUE(test::PumpUntil([&] { return !icon.IsReady(); }, 5000));
    static const SeqEntry closed[] = {{"icon", MyMessage}, {"OnMyCompanyMessage"}, {"icon", WM_CLOSE},
                                      {"OnDestroyWnd"}, {nullptr}};
    EXPECT_TRUE(OkSequence(log, closed));
    EXPECT_EQ(hook.count, 1);
    hook.RemoveFromWnd(&icon);
}

TEST_F(TrayIconTest, TaskbarCreatedPutsTheIconBackWithItsTip)
{
    const std::wstring tip = L"Tip that must survive";
    // Refused, the icon stays away: at the start and when asked to show.
    icon.showAllowed = 0;
    ASSERT_EQ(icon.Start(L"GlmbxTestTrayTaskbar", Icon, tip.c_str(), 1), 1);
    icon.ShowIcon(1);
    EXPECT_EQ(icon.IsIconShown(), 0);

    // Our own variant of the message asks again and shows the hidden icon.
    icon.showAllowed = 1;
    PostMessageW(icon, RegisterWindowMessageW(L"Corvantrix_TaskbarCreated"), 0, 0);
    ASSERT_TRUE(WaitForTip(tip, true));
    HWND before = test::TrayIconWithTip(tip), after = nullptr;

    // The taskbar's: removed and added again (the tray makes a new window for it), same tip.
    SendMessageW(icon, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(test::PumpUntil([&] { return (after = test::TrayIconWithTip(tip)) && after != before; }, 5000));

    // A tip of 200 characters shows its first 127; a null tip and a null icon change nothing.
    std::wstring longTip;
    for (int i = 0; i < 200; ++i)
        longTip += static_cast<wchar_t>(L'a' + i % 26);
    icon.UpdateTooltip(longTip.c_str());
    icon.Modify(nullptr, nullptr);
    EXPECT_TRUE(WaitForTip(longTip.substr(0, 127), true));
}

namespace {

// The text of a log-on entry, or "<none>".
std::wstring RunEntry(HKEY root, const std::wstring& name)
{
    wchar_t data[1024];
    DWORD size = sizeof(data);
    if (RegGetValueW(root, RunKey, name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return L"<none>";
    return data;
}

} // namespace

TEST_F(TrayIconTest, SecondRunAndAControllingProgramReachTheRunningOne)
{
    const wchar_t cls[] = L"GlmbxTestTrayTwice";
    const std::wstring name = L"GlmbxTestProcess" + std::to_wstring(GetCurrentProcessId());
    test::SavedValue entry(HKEY_CURRENT_USER, RunKey, name.c_str());
    ASSERT_EQ(icon.Start(cls, nullptr, nullptr, 0), 1);
    log.Clear();
    // A second start runs nothing and asks the first to come forward; switched on, the running one
    // is told the sub-code; switched off, it is closed; the log-on entry follows.
    TestIcon second;
    EXPECT_EQ(TB_Icon::Run(&second, cls, Product, GetModuleHandleW(nullptr), nullptr, SW_SHOWNORMAL), 0);
    EXPECT_TRUE(second.log.Records().empty());
    TB_Icon::Process(1, 0, Product, 77, cls, name.c_str(), L"NoSuchProgram.exe", L"/on", L"/off");
    EXPECT_EQ(RunEntry(HKEY_CURRENT_USER, name), L"\"" + test::HomeFile(test::LibraryFile) + L"\" /on");
    test::PumpPending();
    TB_Icon::Process(0, 0, Product, 77, cls, name.c_str(), L"NoSuchProgram.exe", L"/on", L"/off");
    EXPECT_EQ(RunEntry(HKEY_CURRENT_USER, name), L"<none>");
    EXPECT_TRUE(test::PumpUntil([&] { return !icon.IsReady(); }, 5000));
    static const SeqEntry expected[] = {{"icon", MyMessage, SeqWParam, MyMsgActivate},
                                        {"OnMyCompanyMessage", 0, SeqWParam, MyMsgActivate},
                                        {"icon", MyMessage, SeqWParam | SeqLParam, 77, 0},
                                        {"OnMyCompanyMessage", 0, SeqWParam | SeqLParam, 77, 0},
                                        {"icon", WM_CLOSE},
                                        {"OnDestroyWnd"},
                                        {nullptr}};
    EXPECT_TRUE(OkSequence(log, expected));
}

TEST_F(TrayIconTest, RunsInitTheClicksAndExitOfOneProgram)
{
    const wchar_t cls[] = L"GlmbxTestTrayRun";
    icon.quitCode = 5;
    // Only the releases and the double click count (also with the id in the high word); each click
    // is posted, after the notifications queued before it. The right click sends the stop request.
    const LPARAM notifications[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONUP,     WM_CONTEXTMENU,
                                    WM_MOUSEMOVE,   WM_LBUTTONUP,   WM_LBUTTONDBLCLK, MAKELPARAM(WM_RBUTTONUP, 1)};
    icon.onInit = [&] {
        int started = icon.Start(cls, Icon, L"run", 1);
        for (LPARAM notification : notifications)
            PostMessageW(icon, Notify, 7, notification);
        return started;
    };
    icon.onRight = [&] { TB_Icon::Run(nullptr, cls, Product, nullptr, nullptr, 0); };
    EXPECT_EQ(TB_Icon::Run(&icon, cls, Product, GetModuleHandleW(nullptr), nullptr, SW_SHOWNORMAL), 5);
    EXPECT_EQ(icon.IsIconShown(), 0);
    EXPECT_TRUE(WaitForTip(L"run", false));
    std::vector<SeqEntry> expected = {{"InitInstance"}, {"OnCreateWnd"}};
    for (LPARAM notification : notifications) {
        if (notification != WM_MOUSEMOVE)
            expected.push_back({"icon", Notify, SeqWParam | SeqLParam, 7, notification});
    }
    expected.insert(expected.end(), {{"icon", LeftClick, SeqWParam | SeqLParam, 7, 0},
                                     {"OnLeftClick"},
                                     {"icon", DoubleClick, SeqWParam | SeqLParam, 7, 0},
                                     {"OnDoubleClick"},
                                     {"icon", RightClick, SeqWParam | SeqLParam, 7, 0},
                                     {"OnRightClick"},
                                     {"icon", WM_CLOSE},
                                     {"OnDestroyWnd"},
                                     {"ExitInstance"},
                                     {nullptr}});
    EXPECT_TRUE(OkSequence(log, expected.data()));

    // ExitInstance unregistered the class: the program can run again. This time InitInstance
    // fails (Start cannot register a class without a name): no loop, ExitInstance all the same.
    log.Clear();
    icon.onInit = [&] { return icon.Start(nullptr, nullptr, nullptr, 1); };
    EXPECT_EQ(TB_Icon::Run(&icon, cls, Product, GetModuleHandleW(nullptr), nullptr, SW_SHOWNORMAL), 0);
    EXPECT_EQ(TB_Icon::Run(nullptr, nullptr, Product, nullptr, nullptr, 0), 0);
    static const SeqEntry failed[] = {{"InitInstance"}, {"ExitInstance"}, {nullptr}};
    EXPECT_TRUE(OkSequence(log, failed));
}

TEST(TrayAutoLoad, RunValueIsTheQuotedProgramABlankAndTheArguments)
{
    const std::wstring name = L"GlmbxTestAutoLoad" + std::to_wstring(GetCurrentProcessId());
    test::SavedValue user(HKEY_CURRENT_USER, RunKey, name.c_str()), machine(HKEY_LOCAL_MACHINE, RunKey, name.c_str());
    HMODULE self = GetModuleHandleW(nullptr);
    const std::wstring program = L"\"" + test::HomeFile(L"TrayIconTest.exe") + L"\"";
    const std::wstring library = L"\"" + test::HomeFile(test::LibraryFile) + L"\"";
    const std::wstring longArgs(300, L'x'), none = L"<none>";
    // Each row after the one before. No module: the current application's, which is the
    // library's own until a host program registers itself.
    const struct {
        int on, allUsers;
        const wchar_t* args;
        HMODULE module;
        std::wstring user, machine;
    } rows[] = {
        {1, 0, L"/TB+", self, program + L" /TB+", none},
        {1, 1, L"/TB+", self, program + L" /TB+", program + L" /TB+"},
        {0, 1, nullptr, nullptr, program + L" /TB+", none},
        {0, 0, L"/TB+", nullptr, none, none},
        {0, 0, nullptr, nullptr, none, none},  // removing what is not there is no failure
        {1, 0, nullptr, self, program, none},  // no arguments, no blank
        {1, 0, longArgs.c_str(), self, (program + L" " + longArgs).substr(0, 255), none},
        {1, 0, L"/TB+", nullptr, library + L" /TB+", none},
    };
    for (const auto& row : rows) {
        test::Row trace(testing::Message() << "on " << row.on << " all " << row.allUsers << " module " << row.module);
        EXPECT_EQ(TB_Icon::RegisterAutoLoad(row.on, row.allUsers, name.c_str(), row.args, row.module), 1);
        EXPECT_EQ(RunEntry(HKEY_CURRENT_USER, name), row.user);
        EXPECT_EQ(RunEntry(HKEY_LOCAL_MACHINE, name), row.machine);
        EXPECT_EQ(TB_Icon::IsRegisteredAutoLoad(0, name.c_str()), row.user != none ? 1 : 0);
        EXPECT_EQ(TB_Icon::IsRegisteredAutoLoad(1, name.c_str()), row.machine != none ? 1 : 0);
    }
    {
        AppInstance app(self, nullptr);
        TB_Icon::RegisterAutoLoad(1, 0, name.c_str(), L"/TB+", nullptr);
        EXPECT_EQ(RunEntry(HKEY_CURRENT_USER, name), program + L" /TB+");
    }
    // A missing or empty name would be the key's default value: nothing is written or found.
    test::SavedValue defaultValue(HKEY_CURRENT_USER, RunKey, nullptr);
    defaultValue.Delete();
    EXPECT_EQ(TB_Icon::RegisterAutoLoad(1, 0, nullptr, L"/TB+", self), 0);
    EXPECT_EQ(TB_Icon::RegisterAutoLoad(1, 0, L"", L"/TB+", self), 0);
    EXPECT_FALSE(defaultValue.Exists());
    EXPECT_EQ(TB_Icon::IsRegisteredAutoLoad(0, nullptr) + TB_Icon::IsRegisteredAutoLoad(0, L""), 0);
}
