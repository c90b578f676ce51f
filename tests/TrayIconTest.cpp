// TB_Icon in Wine's notification area: the icon and its tip, real clicks, the click guard,
// "CorvantrixMessage", the taskbar's re-creation, the message loop and bad input.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "product/ProductInfo.h"
#include "tests/support/MessageSequence.h"
#include "tests/support/RealInput.h"
#include "tests/support/SolidIcon.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TrayArea.h"
#include "ui/TB_Icon.h"

using test::OkSequence;
using test::SeqEntry;
using test::SeqLParam;
using test::SeqOptional;
using test::SeqWParam;

namespace {

const WORD Product = 1192;
const UINT Notify = WM_USER + 1;
const UINT LeftClick = WM_USER + 2;
const UINT DoubleClick = WM_USER + 3;
const UINT RightClick = WM_USER + 4;

UINT MyMessage()
{
    return ProductInfo::GetMyMessage();
}

UINT TaskbarCreated()
{
    return RegisterWindowMessageW(L"TaskbarCreated");
}

UINT MyTaskbarCreated()
{
    return RegisterWindowMessageW(L"Corvantrix_TaskbarCreated");
}

// A derived program that records the messages it is given (before TB_Icon handles them) and
// its virtual calls. Pointer moves over the icon are left out: they come and go with xdotool.
class TestIcon : public TB_Icon {
public:
    explicit TestIcon(test::MessageLog* messageLog = nullptr) : log(messageLog) {}
    ~TestIcon() override
    {
        if (icon)
            DestroyIcon(icon);
    }

    HICON Icon(COLORREF colour)
    {
        if (icon)
            DestroyIcon(icon);
        icon = test::MakeSolidIcon(colour);
        return icon;
    }
    const NOTIFYICONDATAW_V2& Data() const { return nid; }
    // Where the fields lie in the object, in bytes.
    std::vector<size_t> FieldOffsets() const
    {
        const char* base = reinterpret_cast<const char*>(this);
        return {static_cast<size_t>(reinterpret_cast<const char*>(&loopMsg) - base),
                static_cast<size_t>(reinterpret_cast<const char*>(&nid) - base),
                static_cast<size_t>(reinterpret_cast<const char*>(&iconShown) - base),
                static_cast<size_t>(reinterpret_cast<const char*>(&className) - base)};
    }
    const wchar_t* StoredClass() const { return className; }

    // Closes the window if there is one, waits for its end and unregisters the class.
    void Finish()
    {
        Close();
        test::PumpUntil([this] { return !IsReady(); }, 5000);
        Stop();
    }

    LRESULT OnWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        bool recorded = (message == Notify && LOWORD(lParam) != WM_MOUSEMOVE) || message == LeftClick ||
                        message == DoubleClick || message == RightClick || message == WM_CLOSE ||
                        message == MyMessage() || message == TaskbarCreated() || message == MyTaskbarCreated();
        if (recorded)
            Event("icon", message, wParam, lParam);
        return TB_Icon::OnWndMessage(message, wParam, lParam);
    }
    int ShouldShowIcon() override { return showAllowed; }
    int OnMyCompanyMessage(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        Event("OnMyCompanyMessage", 0, wParam, lParam);
        if (handledSubCode != 0 && wParam == handledSubCode) {
            *result = handledResult;
            return 1;
        }
        return 0;
    }
    WORD GetProdID() override { return product; }
    void OnLeftClick() override
    {
        ++left;
        loopMsgAtClick = *GetLoopMsg();
        windowAtClick = GetHandle();
        Event("OnLeftClick");
        if (onLeft)
            onLeft();
    }
    void OnDoubleClick() override
    {
        ++doubles;
        Event("OnDoubleClick");
    }
    void OnRightClick() override
    {
        ++right;
        Event("OnRightClick");
    }
    void OnCreateWnd() override { Event("OnCreateWnd"); }
    void OnDestroyWnd() override
    {
        TB_Icon::OnDestroyWnd();
        Event("OnDestroyWnd");
        if (quitCode >= 0)
            PostQuitMessage(quitCode);
    }
    int InitInstance(HINSTANCE instance, const wchar_t* cmdLine, int show) override
    {
        Event("InitInstance");
        TB_Icon::InitInstance(instance, cmdLine, show);
        return onInit ? onInit() : 1;
    }
    void ExitInstance() override
    {
        Event("ExitInstance");
        Stop();
    }

    test::MessageLog* log;
    int showAllowed = 1;
    WORD product = Product;
    WPARAM handledSubCode = 0;
    LRESULT handledResult = 0;
    int quitCode = -1;  // posted by OnDestroyWnd when not negative
    int left = 0, right = 0, doubles = 0;
    MSG loopMsgAtClick = {};
    HWND windowAtClick = nullptr;
    std::function<void()> onLeft;
    std::function<int()> onInit;

private:
    void Event(const char* who, UINT message = 0, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        if (log)
            log->Add(who, message, wParam, lParam);
    }

    HICON icon = nullptr;
};

// An icon started in this process and finished again at the end of the test.
class TrayIconTest : public ::testing::Test {
protected:
    void TearDown() override { icon.Finish(); }

    test::MessageLog log;
    TestIcon icon{&log};
};

// The vtable slot of a virtual member function: with this compiler's ABI a pointer to one
// holds its byte offset in the vtable plus one.
template <typename Member>
size_t Slot(Member member)
{
    static_assert(sizeof(Member) == 2 * sizeof(void*), "a pointer to a member function");
    ptrdiff_t words[2];
    std::memcpy(words, &member, sizeof(words));
    return static_cast<size_t>(words[0] - 1) / sizeof(void*);
}

} // namespace

// Other modules derive from the class and call it by slot: the order of the virtual
// operations and of the fields is part of the interface.
TEST(TrayIconLayout, VirtualOperationsAndFieldsKeepTheirOrder)
{
    // Slots 0 and 1 hold the destructor.
    const size_t slots[] = {Slot(&TB_Icon::IsDlg),         Slot(&TB_Icon::PreInit),
                            Slot(&TB_Icon::OnWndMessage),  Slot(&TB_Icon::OnPostNcDestroy),
                            Slot(&TB_Icon::ShouldShowIcon), Slot(&TB_Icon::OnMyCompanyMessage),
                            Slot(&TB_Icon::GetProdID),     Slot(&TB_Icon::OnLeftClick),
                            Slot(&TB_Icon::OnDoubleClick), Slot(&TB_Icon::OnRightClick),
                            Slot(&TB_Icon::OnCreateWnd),   Slot(&TB_Icon::OnDestroyWnd),
                            Slot(&TB_Icon::InitInstance),  Slot(&TB_Icon::RunMsgLoop),
                            Slot(&TB_Icon::ExitInstance)};
    for (size_t i = 0; i < sizeof(slots) / sizeof(slots[0]); ++i)
        EXPECT_EQ(slots[i], i + 2);

    // The message, the notify data, the shown flag and the class name follow the window part.
    TestIcon icon;
    std::vector<size_t> offsets = icon.FieldOffsets();
    EXPECT_GE(offsets[0], sizeof(CSWnd));
    EXPECT_EQ(offsets[1], offsets[0] + sizeof(MSG));
    EXPECT_EQ(offsets[2], offsets[1] + sizeof(NOTIFYICONDATAW_V2));
    EXPECT_GT(offsets[3], offsets[2]);
#ifndef _WIN64
    EXPECT_EQ(offsets[0], sizeof(CSWnd));
    EXPECT_EQ(offsets[3], offsets[2] + 4);
    EXPECT_EQ(sizeof(TB_Icon), offsets[3] + 4);
#endif
}

TEST_F(TrayIconTest, NotifyDataAndModifyBeforeStart)
{
    const NOTIFYICONDATAW_V2& data = icon.Data();
#ifndef _WIN64
    EXPECT_EQ(data.cbSize, 936u);
#endif
    EXPECT_EQ(data.cbSize, sizeof(NOTIFYICONDATAW_V2));
    EXPECT_EQ(data.uID, 1u);
    EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE));
    EXPECT_EQ(data.uCallbackMessage, 1025u);
    EXPECT_EQ(data.hWnd, nullptr);
    EXPECT_EQ(data.hIcon, nullptr);
    EXPECT_EQ(data.szTip[0], L'\0');
    EXPECT_EQ(icon.IsIconShown(), 0);
    EXPECT_EQ(TB_Icon::uMsgTaskbarCreated, TaskbarCreated());
    EXPECT_EQ(TB_Icon::uMsgMyTaskbarCreated, MyTaskbarCreated());

    // Before Start there is no window: Modify only stores, ShowIcon and Close do nothing.
    const COLORREF colour = RGB(0xE0, 0x30, 0xB0);
    HICON image = icon.Icon(colour);
    icon.Modify(image, L"Stored before start");
    EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(data.hIcon, image);
    EXPECT_STREQ(data.szTip, L"Stored before start");
    icon.ShowIcon(1);
    EXPECT_EQ(icon.IsIconShown(), 0);
    icon.Close();
    EXPECT_FALSE(icon.IsReady());
    EXPECT_FALSE(test::FindTrayIcon(colour, nullptr));

    // Start without icon or tip of its own shows what was stored.
    const wchar_t cls[] = L"GlmbxTestTrayStored";
    ASSERT_EQ(icon.Start(cls, nullptr, nullptr, 1), 1);
    EXPECT_EQ(icon.IsIconShown(), 1);
    EXPECT_EQ(icon.StoredClass(), cls);
    EXPECT_EQ(data.hWnd, icon.GetHandle());
    RECT where;
    ASSERT_TRUE(test::WaitForTrayIcon(colour, true, &where));
    EXPECT_EQ(test::TrayTipOf(test::TrayIconWindowAt(test::Centre(where))), L"Stored before start");

    // The hidden window: our class, a 1 x 1 pop-up that is never shown.
    HWND hwnd = icon.GetHandle();
    wchar_t className[64] = L"";
    GetClassNameW(hwnd, className, 64);
    EXPECT_STREQ(className, cls);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & (WS_POPUP | WS_CHILD | WS_CAPTION), static_cast<LONG>(WS_POPUP));
    RECT rc;
    GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.right - rc.left, 1);
    EXPECT_EQ(rc.bottom - rc.top, 1);
    EXPECT_EQ(GetParent(hwnd), nullptr);

    // A running program does not start again; a second one of the same class in this
    // process cannot register it again.
    EXPECT_EQ(icon.Start(L"GlmbxTestTrayOther", nullptr, nullptr, 1), 0);
    EXPECT_EQ(icon.StoredClass(), cls);
    TestIcon second;
    EXPECT_EQ(second.Start(cls, second.Icon(RGB(1, 2, 3)), L"second", 1), 0);
    EXPECT_FALSE(second.IsReady());
    EXPECT_EQ(second.IsIconShown(), 0);

    // Removing and adding follow the shown flag; Close removes the icon and the window.
    icon.ShowIcon(0);
    EXPECT_EQ(icon.IsIconShown(), 0);
    EXPECT_TRUE(test::WaitForTrayIcon(colour, false));
    icon.ShowIcon(1);
    EXPECT_TRUE(test::WaitForTrayIcon(colour, true));
    log.Clear();
    icon.Close();
    EXPECT_EQ(icon.IsIconShown(), 0);
    EXPECT_TRUE(test::PumpUntil([&] { return !icon.IsReady(); }, 5000));
    EXPECT_TRUE(test::WaitForTrayIcon(colour, false));
    static const SeqEntry closed[] = {{"icon", WM_CLOSE}, {"OnDestroyWnd"}, {nullptr}};
    EXPECT_TRUE(OkSequence(log, closed));
}

TEST_F(TrayIconTest, ShouldShowIconKeepsTheIconAway)
{
    const COLORREF colour = RGB(0x30, 0x90, 0xE0);
    icon.showAllowed = 0;
    ASSERT_EQ(icon.Start(L"GlmbxTestTrayRefused", icon.Icon(colour), L"refused", 1), 1);
    EXPECT_EQ(icon.IsIconShown(), 0);
    icon.ShowIcon(1);
    EXPECT_EQ(icon.IsIconShown(), 0);
    // Taskbar re-creation asks again, and now the answer is yes.
    icon.showAllowed = 1;
    SendMessageW(icon, TaskbarCreated(), 0, 0);
    EXPECT_EQ(icon.IsIconShown(), 1);
    EXPECT_TRUE(test::WaitForTrayIcon(colour, true));
}

TEST_F(TrayIconTest, RealClicksOnTheTrayIconReachTheClickOperations)
{
    const COLORREF colour = RGB(0x50, 0xE0, 0x30);
    ASSERT_EQ(icon.Start(L"GlmbxTestTrayClicks", icon.Icon(colour), L"click me", 1), 1);
    RECT where;
    ASSERT_TRUE(test::WaitForTrayIcon(colour, true, &where));
    std::string at = test::MoveTo(test::Centre(where)) + " sleep 0.2 ";
    // A held press and release of the button: the release becomes the click.
    auto click = [&](int button, UINT down, UINT up, UINT clickMsg, const char* handler, const int& count) {
        log.Clear();
        ASSERT_TRUE(test::Xdo(at + test::HeldClick(button)));
        ASSERT_TRUE(test::PumpUntil([&] { return count == 1; }, 5000));
        const SeqEntry expected[] = {{"icon", Notify, SeqOptional | SeqWParam | SeqLParam, 1, static_cast<LPARAM>(down)},
                                     {"icon", Notify, SeqWParam | SeqLParam, 1, static_cast<LPARAM>(up)},
                                     {"icon", clickMsg, SeqWParam | SeqLParam, 1, 0},
                                     {handler},
                                     {nullptr}};
        EXPECT_TRUE(OkSequence(log, expected));
    };
    click(1, WM_LBUTTONDOWN, WM_LBUTTONUP, LeftClick, "OnLeftClick", icon.left);
    click(3, WM_RBUTTONDOWN, WM_RBUTTONUP, RightClick, "OnRightClick", icon.right);

    // A double click: the first release is a left click, then the double click, then the
    // second release another left click.
    ASSERT_TRUE(test::Xdo(at + "click --repeat 2 --delay 80 1"));
    EXPECT_TRUE(test::PumpUntil([&] { return icon.doubles == 1 && icon.left == 3; }, 5000));
    EXPECT_EQ(icon.right, 1);
}

TEST_F(TrayIconTest, NotificationsBecomePostedClicksWithTheIconId)
{
    ASSERT_EQ(icon.Start(L"GlmbxTestTrayNotify", nullptr, nullptr, 0), 1);
    log.Clear();
    // Only the releases and the double click count; the newer form carries the id in the
    // high word. Each click is posted, so it runs after the notification has returned.
    const LPARAM notifications[] = {WM_MOUSEMOVE,   WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONUP,
                                    WM_CONTEXTMENU, WM_LBUTTONUP,   WM_LBUTTONDBLCLK,
                                    MAKELPARAM(WM_RBUTTONUP, 1)};
    for (LPARAM notification : notifications)
        EXPECT_EQ(SendMessageW(icon, Notify, 7, notification), 0);
    EXPECT_EQ(icon.left + icon.right + icon.doubles, 0);
    test::PumpPending();
    static const SeqEntry expected[] = {
        {"icon", Notify, SeqLParam, 0, WM_LBUTTONDOWN},
        {"icon", Notify, SeqLParam, 0, WM_RBUTTONDOWN},
        {"icon", Notify, SeqLParam, 0, WM_MBUTTONUP},
        {"icon", Notify, SeqLParam, 0, WM_CONTEXTMENU},
        {"icon", Notify, SeqLParam, 0, WM_LBUTTONUP},
        {"icon", Notify, SeqLParam, 0, WM_LBUTTONDBLCLK},
        {"icon", Notify, SeqLParam, 0, MAKELPARAM(WM_RBUTTONUP, 1)},
        {"icon", LeftClick, SeqWParam | SeqLParam, 7, 0},
        {"OnLeftClick"},
        {"icon", DoubleClick, SeqWParam | SeqLParam, 7, 0},
        {"OnDoubleClick"},
        {"icon", RightClick, SeqWParam | SeqLParam, 7, 0},
        {"OnRightClick"},
        {nullptr}};
    EXPECT_TRUE(OkSequence(log, expected));
}

TEST_F(TrayIconTest, ClickStormWhileAHandlerRunsBringsItsPopupForward)
{
    ASSERT_EQ(icon.Start(L"GlmbxTestTrayGuard", nullptr, nullptr, 0), 1);
    TestIcon other;
    ASSERT_EQ(other.Start(L"GlmbxTestTrayGuardOther", nullptr, nullptr, 0), 1);
    HWND holder = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP | WS_VISIBLE, 600, 400, 50, 50, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    const int storm = 40;
    HWND popup = nullptr;
    bool broughtForward = false;
    int clicksDuringHandler = -1;
    // The handler opens its pop-up and runs a nested loop, as a menu or a dialog would; the
    // storm arrives through that loop.
    icon.onLeft = [&] {
        // Were the guard to fail, a nested click must not open a second storm.
        if (popup)
            return;
        popup = CreateWindowExW(0, L"STATIC", L"popup", WS_POPUP | WS_VISIBLE, 300, 300, 80, 40, icon, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(popup);
        test::PumpUntil([&] { return GetForegroundWindow() == popup; }, 5000);
        SetForegroundWindow(holder);
        test::PumpUntil([&] { return GetForegroundWindow() == holder; }, 5000);
        for (int i = 0; i < storm; ++i) {
            PostMessageW(icon, Notify, 1, WM_LBUTTONUP);
            PostMessageW(icon, Notify, 1, WM_RBUTTONUP);
            PostMessageW(icon, Notify, 1, WM_LBUTTONDBLCLK);
            PostMessageW(other, Notify, 1, WM_LBUTTONUP);
        }
        size_t expectedRecords = 0;
        test::PumpUntil(
            [&] {
                expectedRecords = 0;
                for (const test::SeqRecord& record : log.Records())
                    expectedRecords += record.msg == LeftClick || record.msg == RightClick || record.msg == DoubleClick;
                return expectedRecords == 3 * storm + 1;
            },
            10000);
        broughtForward = test::PumpUntil([&] { return GetForegroundWindow() == popup; }, 5000);
        clicksDuringHandler = icon.left + icon.right + icon.doubles + other.left;
        DestroyWindow(popup);
    };
    PostMessageW(icon, LeftClick, 1, 0);
    ASSERT_TRUE(test::PumpUntil([&] { return clicksDuringHandler >= 0; }, 20000));
    // Only the first handler ran, in either program of the process; the pop-up came forward.
    EXPECT_EQ(clicksDuringHandler, 1);
    EXPECT_TRUE(broughtForward);

    // With the handler gone, clicks work again.
    icon.onLeft = nullptr;
    PostMessageW(icon, Notify, 1, WM_RBUTTONUP);
    PostMessageW(other, Notify, 1, WM_LBUTTONUP);
    EXPECT_TRUE(test::PumpUntil([&] { return icon.right == 1 && other.left == 1; }, 5000));
    EXPECT_EQ(icon.left, 1);

    other.Finish();
    DestroyWindow(holder);
}

TEST_F(TrayIconTest, CorvantrixMessagesAndTheCloseRequest)
{
    const COLORREF colour = RGB(0xF0, 0x80, 0x10);
    ASSERT_EQ(icon.Start(L"GlmbxTestTrayCompany", icon.Icon(colour), L"company", 1), 1);
    ASSERT_TRUE(test::WaitForTrayIcon(colour, true));
    log.Clear();

    // Sub-codes nobody handles, and close requests without our number, leave the program as it is.
    const std::pair<WPARAM, LPARAM> given[] = {{9999, 5}, {0, 0}, {1, 0}, {1, Product + 1}, {1, 0x10000 + Product},
                                               {2, Product}, {1, Product}, {1, Product}};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(SendMessageW(icon, MyMessage(), given[i].first, given[i].second), 0) << i;
    // A sub-code the program handles gives its result; even a handled close request closes nothing.
    icon.handledSubCode = 1;
    icon.handledResult = 42;
    EXPECT_EQ(SendMessageW(icon, MyMessage(), 1, Product), 42);
    icon.handledSubCode = 0;
    test::PumpPending();
    EXPECT_TRUE(icon.IsReady());
    EXPECT_EQ(icon.IsIconShown(), 1);
    EXPECT_TRUE(test::FindTrayIcon(colour, nullptr));

    // With the product's number the icon goes and the window ends.
    EXPECT_EQ(SendMessageW(icon, MyMessage(), 1, Product), 0);
    EXPECT_EQ(icon.IsIconShown(), 0);
    EXPECT_TRUE(test::PumpUntil([&] { return !icon.IsReady(); }, 5000));
    EXPECT_TRUE(test::WaitForTrayIcon(colour, false));
    const UINT my = MyMessage();
    const unsigned both = SeqWParam | SeqLParam;
    std::vector<SeqEntry> expected;
    for (const auto& message : given) {
        expected.push_back({"icon", my, both, message.first, message.second});
        expected.push_back({"OnMyCompanyMessage", 0, both, message.first, message.second});
    }
    expected.push_back({"icon", WM_CLOSE});
    expected.push_back({"OnDestroyWnd"});
    expected.push_back({nullptr});
    EXPECT_TRUE(OkSequence(log, expected.data()));
}

TEST_F(TrayIconTest, CloseRequestNeedsAProductNumber)
{
    // The base program has none (0): no request can close it.
    icon.product = 0;
    ASSERT_EQ(icon.Start(L"GlmbxTestTrayNoProduct", nullptr, nullptr, 0), 1);
    SendMessageW(icon, MyMessage(), 1, 0);
    SendMessageW(icon, MyMessage(), 1, 0x10000);
    test::PumpPending();
    EXPECT_TRUE(icon.IsReady());
}

TEST_F(TrayIconTest, TaskbarCreatedPutsTheIconBackWithItsTip)
{
    const COLORREF colour = RGB(0x10, 0x40, 0xD0);
    ASSERT_EQ(icon.Start(L"GlmbxTestTrayTaskbar", icon.Icon(colour), L"Tip that must survive", 1), 1);
    RECT where;
    ASSERT_TRUE(test::WaitForTrayIcon(colour, true, &where));
    HWND before = test::TrayIconWindowAt(test::Centre(where));
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(test::TrayTipOf(before), L"Tip that must survive");

    // Removed and added again: the tray makes a new window for it, with the same tip.
    SendMessageW(icon, TaskbarCreated(), 0, 0);
    EXPECT_EQ(icon.IsIconShown(), 1);
    HWND after = nullptr;
    ASSERT_TRUE(test::PumpUntil(
        [&] {
            if (!test::FindTrayIcon(colour, &where))
                return false;
            after = test::TrayIconWindowAt(test::Centre(where));
            return after && after != before && IsWindow(after);
        },
        5000));
    EXPECT_EQ(test::TrayTipOf(after), L"Tip that must survive");

    // A hidden icon is shown by our own variant of the message.
    icon.ShowIcon(0);
    ASSERT_TRUE(test::WaitForTrayIcon(colour, false));
    PostMessageW(icon, MyTaskbarCreated(), 0, 0);
    ASSERT_TRUE(test::WaitForTrayIcon(colour, true, &where));
    EXPECT_EQ(icon.IsIconShown(), 1);
    EXPECT_EQ(test::TrayTipOf(test::TrayIconWindowAt(test::Centre(where))), L"Tip that must survive");

    // A tip of 200 characters shows its first 127; a null tip and a null icon change nothing.
    std::wstring longTip;
    for (int i = 0; i < 200; ++i)
        longTip += static_cast<wchar_t>(L'a' + i % 26);
    icon.UpdateTooltip(longTip.c_str());
    icon.Modify(nullptr, nullptr);
    EXPECT_EQ(std::wstring(icon.Data().szTip), longTip.substr(0, 127));
    EXPECT_TRUE(test::PumpUntil(
        [&] { return test::TrayTipOf(test::TrayIconWindowAt(test::Centre(where))) == longTip.substr(0, 127); },
        5000));
    // The icon changes in place.
    const COLORREF changed = RGB(0xC0, 0xC0, 0x10);
    icon.Modify(icon.Icon(changed), nullptr);
    EXPECT_TRUE(test::WaitForTrayIcon(changed, true));
    EXPECT_TRUE(test::WaitForTrayIcon(colour, false));
}

TEST(TrayRun, InitLoopAndExitOfOneProgram)
{
    test::MessageLog log;
    TestIcon icon(&log);
    const wchar_t cls[] = L"GlmbxTestTrayRun";
    const COLORREF colour = RGB(0x90, 0x20, 0xF0);
    icon.quitCode = 5;
    // The program starts its icon, then clicks itself and asks itself to close.
    icon.onInit = [&] {
        if (!icon.Start(icon.StoredClass(), icon.Icon(colour), L"run", 1))
            return 0;
        PostMessageW(icon, Notify, 1, WM_LBUTTONUP);
        return 1;
    };
    icon.onLeft = [&] { ProductInfo::PostMyMessage(icon, MyMsgClose, Product); };
    EXPECT_EQ(TB_Icon::Run(&icon, cls, Product, GetModuleHandleW(nullptr), nullptr, SW_SHOWNORMAL), 5);
    EXPECT_EQ(icon.StoredClass(), cls);
    // The click ran from the loop's own message.
    EXPECT_EQ(icon.loopMsgAtClick.message, LeftClick);
    EXPECT_EQ(icon.loopMsgAtClick.hwnd, icon.windowAtClick);
    EXPECT_NE(icon.windowAtClick, nullptr);
    EXPECT_FALSE(icon.IsReady());
    EXPECT_EQ(icon.IsIconShown(), 0);
    EXPECT_TRUE(test::WaitForTrayIcon(colour, false));
    const UINT my = MyMessage();
    const SeqEntry expected[] = {
        {"InitInstance"},
        {"OnCreateWnd"},
        {"icon", Notify, SeqLParam, 0, WM_LBUTTONUP},
        {"icon", LeftClick},
        {"OnLeftClick"},
        {"icon", my, SeqWParam | SeqLParam, MyMsgClose, Product},
        {"OnMyCompanyMessage", 0, SeqWParam, MyMsgClose},
        {"icon", WM_CLOSE},
        {"OnDestroyWnd"},
        {"ExitInstance"},
        {nullptr}};
    EXPECT_TRUE(OkSequence(log, expected));

    // The class was unregistered by ExitInstance: the program can run again. This time
    // InitInstance fails: no loop, ExitInstance all the same, result 0.
    log.Clear();
    icon.onInit = [&] { return icon.Start(nullptr, nullptr, nullptr, 1); };
    EXPECT_EQ(TB_Icon::Run(&icon, cls, Product, GetModuleHandleW(nullptr), nullptr, SW_SHOWNORMAL), 0);
    static const SeqEntry failed[] = {{"InitInstance"}, {"ExitInstance"}, {nullptr}};
    EXPECT_TRUE(OkSequence(log, failed));

    // A stop request with no program running, or without a class, does nothing.
    EXPECT_EQ(TB_Icon::Run(nullptr, cls, Product, nullptr, nullptr, 0), 0);
    EXPECT_EQ(TB_Icon::Run(nullptr, nullptr, Product, nullptr, nullptr, 0), 0);
}
