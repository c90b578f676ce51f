// The tray application in the test process: its menu and pop-ups and the clicks meanwhile, the
// way out, the icon's colour depth and "Configure". Menus and boxes run nested loops on this
// thread: each one posts the test a step, which runs inside that loop and ends it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MyOpts.h"
#include "app/MyTB_Icon.h"
#include "app/SharedData.h"
#include "product/ProductInfo.h"
#include "tests/support/Row.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/Pixels.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TrayArea.h"

namespace {

const UINT Notify = WM_USER + 1, StepMsg = WM_APP + 77;

// How many Down keys reach an item from no selection (the separator is skipped).
enum { KeyOpen = 1, KeyConfigure = 2, KeyExit = 4 };

void Key(HWND hwnd, WPARAM key)
{
    PostMessageW(hwnd, WM_KEYDOWN, key, 0);
}

// "id text" per item (a separator has neither), "*" after the default one, joined with "|".
std::string MenuText(HMENU menu)
{
    std::string text;
    for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
        wchar_t name[64] = L"";
        GetMenuStringW(menu, i, name, 64, MF_BYPOSITION);
        UINT id = GetMenuItemID(menu, i);
        text += (i ? "|" : "") + std::to_string(id) + " " + test::ToUtf8(name) +
                (id == GetMenuDefaultItem(menu, FALSE, 0) ? "*" : "");
    }
    return text;
}

// The tray, started as Run starts it: each menu and dialog of its thread takes the next step (or
// is dismissed and counted). A holder window stands for other windows, or an open start dialog.
class TestTray : public MyTB_Icon {
public:
    using Step = std::function<void(HWND box)>;  // box: null for the menu

    explicit TestTray(bool startDialogOpen = false) : startDialog(startDialogOpen)
    {
        holder = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP | WS_VISIBLE, 500, 400, 60, 40, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        boxes = std::make_unique<test::BoxAnswerer>(
            [this](HWND box) { PostMessageW(GetHandle(), StepMsg, 0, reinterpret_cast<LPARAM>(box)); }, true);
        GetSharedData()->hwndDlgMain = startDialog ? holder : nullptr;
        begun = InitInstance(GetModuleHandleW(nullptr), L"", SW_SHOWNORMAL) != 0;
        GetSharedData()->hwndDlgMain = nullptr;
    }
    ~TestTray() override
    {
        End();
        DestroyWindow(holder);
    }
    // What remains of its window is closed, then ExitInstance, once.
    void End()
    {
        Close();
        test::PumpUntil([this] { return !IsReady(); }, 10000);
        GetSharedData()->hwndDlgMain = startDialog ? holder : nullptr;
        if (begun)
            ExitInstance();
        GetSharedData()->hwndDlgMain = nullptr;
        begun = false;
        boxes.reset();
    }
    // The handler of a posted click has run: the test's pumping sees it only once it returned.
    bool Click(LPARAM mouse)
    {
        int before = handlers;
        PostMessageW(GetHandle(), Notify, IconID, mouse);
        return test::PumpUntil([&] { return handlers > before; }, 15000);
    }
    // A menu step that picks the item `downs` Down keys away.
    Step Choose(int downs)
    {
        return [this, downs](HWND) {
            for (int i = 0; i < downs; ++i)
                Key(GetHandle(), VK_DOWN);
            Key(GetHandle(), VK_RETURN);
        };
    }

    LRESULT OnWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_INITMENUPOPUP) {
            ++menus;
            menuText = MenuText(reinterpret_cast<HMENU>(wParam));
            // Read by the menu's loop once the menu is up.
            PostMessageW(GetHandle(), StepMsg, 0, 0);
        } else if (message == StepMsg && steps.empty()) {
            // Not a key: a menu answers keys only while its owner has the foreground.
            ++unplanned;
            lParam ? EndDialog(reinterpret_cast<HWND>(lParam), IDCANCEL) : EndMenu();
        } else if (message == StepMsg) {
            Step step = steps.front();
            steps.pop_front();
            step(reinterpret_cast<HWND>(lParam));
        }
        return MyTB_Icon::OnWndMessage(message, wParam, lParam);
    }
    // "Open" calls the left one from the right one.
    void OnLeftClick() override
    {
        ++handlers;
        MyTB_Icon::OnLeftClick();
    }
    void OnRightClick() override
    {
        ++handlers;
        MyTB_Icon::OnRightClick();
    }

    // Another window of this process takes the foreground, as when the user looks elsewhere.
    bool LookElsewhere()
    {
        SetForegroundWindow(holder);
        return test::PumpUntil([&] { return GetForegroundWindow() == holder; }, 5000);
    }
    // Inside a pop-up's loop: a right and a left click arrive; they must bring the pop-up's
    // window forward (for a menu, which is never active, the tray's) and start nothing.
    void ClicksBringForward(HWND expectedForeground)
    {
        ASSERT_TRUE(LookElsewhere());
        int handlersBefore = handlers, menusBefore = menus;
        PostMessageW(GetHandle(), Notify, IconID, WM_RBUTTONUP);
        PostMessageW(GetHandle(), Notify, IconID, WM_LBUTTONUP);
        EXPECT_TRUE(test::PumpUntil([&] { return GetForegroundWindow() == expectedForeground; }, 5000));
        test::PumpPending();
        EXPECT_TRUE(handlers == handlersBefore && menus == menusBefore && !Mirror().IsOpen());
    }
    // The sub-code 51 notices posted to the holder as an open start dialog.
    std::vector<LPARAM> Notices()
    {
        std::vector<LPARAM> notices;
        MSG msg;
        while (PeekMessageW(&msg, holder, ProductInfo::GetMyMessage(), ProductInfo::GetMyMessage(), PM_REMOVE))
            notices.push_back(msg.wParam == MyMsgTrayNotice ? msg.lParam : -1);
        return notices;
    }

    std::deque<Step> steps;
    std::string menuText;
    int menus = 0, handlers = 0, unplanned = 0;

private:
    std::unique_ptr<test::BoxAnswerer> boxes;
    HWND holder;
    bool startDialog, begun;
};

} // namespace

TEST(TrayMenuTest, OpenOpensTheMirrorAndAnotherClickChangesNothing)
{
    test::StandinProcess shell;
    ASSERT_TRUE(shell.StartItems(test::ItemLine(60, 60, "FF0000", "Red") + test::ItemLine(300, 60, "00FF00", "Green")));
    test::SavedValue posX(HKEY_CURRENT_USER, test::SettingsKey, MyWndOpts::pszPosX);
    test::SavedValue posY(HKEY_CURRENT_USER, test::SettingsKey, MyWndOpts::pszPosY);
    TestTray tray;
    ASSERT_TRUE(tray.IsReady());
    tray.steps.push_back(tray.Choose(KeyOpen));
    ASSERT_TRUE(tray.Click(WM_RBUTTONUP));
    HWND mirror = tray.Mirror().GetHandle();
    ASSERT_TRUE(tray.Mirror().IsOpen());
    EXPECT_TRUE(test::PumpUntil([&] { return IsWindowVisible(mirror) != FALSE; }, 5000));
    EXPECT_EQ(tray.Mirror().Items().GetCount(), 2);

    // A left click while it is open leaves the window and its items as they are.
    size_t mark = shell.Mark();
    ASSERT_TRUE(tray.Click(WM_LBUTTONUP));
    EXPECT_EQ(tray.Mirror().GetHandle(), mirror);
    EXPECT_EQ(tray.Mirror().Items().GetCount(), 2);
    EXPECT_TRUE(shell.LinesWith("itemrect ", mark).empty());
    PostMessageW(mirror, WM_CLOSE, 0, 0);
    EXPECT_TRUE(test::PumpUntil([&] { return !tray.Mirror().IsOpen(); }, 10000));
    EXPECT_EQ(tray.unplanned, 0);
}

TEST(TrayMenuTest, ClicksWhileAPopupIsOpenBringItForward)
{
    TestTray tray;
    ASSERT_TRUE(tray.IsReady());
    // The About and window-size boxes, each asked for twice, shown once; then the menu, which
    // shows the boxes left clicks working, ended by Escape without a choice.
    const WPARAM popups[] = {MyMsgAbout, MyMsgWindowSize, 0};
    std::vector<std::wstring> shown;
    for (WPARAM subCode : popups) {
        tray.steps.push_back([&, subCode](HWND box) {
            shown.push_back(box ? test::Text(box) + L": " + test::Text(GetDlgItem(box, 0xFFFF)) : L"menu");
            tray.ClicksBringForward(box ? box : tray.GetHandle());
            if (!box)
                return Key(tray, VK_ESCAPE);
            EXPECT_TRUE(tray.LookElsewhere());
            EXPECT_TRUE(ProductInfo::PostMyMessage(tray, subCode, MAKELPARAM(250, 180)));
            EXPECT_TRUE(test::PumpUntil([&] { return GetForegroundWindow() == box; }, 5000));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        if (subCode)
            ASSERT_TRUE(ProductInfo::PostMyMessage(tray, subCode, MAKELPARAM(250, 180)));
        else
            ASSERT_TRUE(tray.Click(WM_RBUTTONUP));
        ASSERT_TRUE(test::PumpUntil([&] { return tray.steps.empty() && GetLastActivePopup(tray) == tray.GetHandle(); },
                                    15000))
            << subCode;
        test::PumpPending();
    }
    EXPECT_EQ(shown, (std::vector<std::wstring>{
                         L"About Glimpsebox: ", L"Glimpsebox: The current Glimpsebox window size is 250 x 180 pixels.",
                         L"menu"}));
    EXPECT_EQ(tray.menuText, "113 Open*|0 |110 Configure|112 About|111 Exit");
    EXPECT_TRUE(tray.IsReady() && tray.IsIconShown() && !tray.Mirror().IsOpen());

    // The About box asked for while the menu is open comes once the menu is gone.
    tray.steps.push_back([&](HWND) { ProductInfo::PostMyMessage(tray, MyMsgAbout, 0); Key(tray, VK_ESCAPE); });
    tray.steps.push_back([&](HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); });
    ASSERT_TRUE(tray.Click(WM_RBUTTONUP));
    ASSERT_TRUE(test::PumpUntil([&] { return tray.steps.empty() && GetLastActivePopup(tray) == tray.GetHandle(); }, 15000));

    // The product's close request while the menu is open ends the program, menu and all.
    tray.steps.push_back([&](HWND) { ProductInfo::PostMyMessage(tray, MyMsgClose, GetProductInfo()->GetID()); });
    ASSERT_TRUE(tray.Click(WM_RBUTTONUP));
    EXPECT_TRUE(test::PumpUntil([&] { return !tray.IsReady(); }, 10000));
    EXPECT_EQ(tray.IsIconShown(), 0);
    EXPECT_EQ(tray.unplanned, 0);
}

TEST(TrayMenuTest, ExitAsksAboutTheLogOnEntries)
{
    const wchar_t runKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    test::SavedValue user(HKEY_CURRENT_USER, runKey, MyTB_Icon::AutoLoadName);
    test::SavedValue machine(HKEY_LOCAL_MACHINE, runKey, MyTB_Icon::AutoLoadName);
    const std::wstring userQuestion = L"Do you want this icon to be loaded next time you log in to Windows?";
    const std::wstring machineQuestion = L"Do you want this icon to be loaded for all users at Windows startup?";
    // The questions asked, each with its answer: "U" about the current user's entry (Yes, No,
    // Cancel), "M" about the machine's (Yes, No); with the question icon, while the icon is away.
    const struct {
        bool user, machine;
        std::string questions;
        bool ends, userAfter, machineAfter;
    } cases[] = {{false, false, "", true, false, false},  {true, false, "UC", false, true, false},
                 {true, false, "UN", true, false, false}, {true, false, "UY", true, true, false},
                 {true, true, "UYMN", true, true, false}, {true, true, "UNMY", true, false, true}};
    for (const auto& c : cases) {
        test::Row trace(testing::Message() << c.user << c.machine << " " << c.questions);
        user.Delete();
        machine.Delete();
        ASSERT_TRUE(!c.user || user.Set(L"\"C:\\Glimpsebox\\Glimpsebox.exe\" /TB+"));
        ASSERT_TRUE(!c.machine || machine.Set(L"\"C:\\Glimpsebox\\Glimpsebox.exe\" /TB+"));
        TestTray tray;
        ASSERT_TRUE(tray.IsReady());
        std::string asked;
        tray.steps.push_back(tray.Choose(KeyExit));
        for (size_t i = 1; i < c.questions.size(); i += 2) {
            const char answer = c.questions[i];
            tray.steps.push_back([&, answer](HWND box) {
                const std::wstring text = test::Text(GetDlgItem(box, 0xFFFF));
                const bool yesNo = GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO), cancel = GetDlgItem(box, IDCANCEL);
                asked += yesNo && cancel && text == userQuestion ? 'U'
                         : yesNo && !cancel && text == machineQuestion ? 'M'
                                                                        : '?';
                asked += answer;
                EXPECT_EQ(SendDlgItemMessageW(box, 0x440, STM_GETICON, 0, 0),
                          reinterpret_cast<LRESULT>(LoadIconW(nullptr, IDI_QUESTION)));
                EXPECT_EQ(tray.IsIconShown(), 0);
                PostMessageW(box, WM_COMMAND, answer == 'Y' ? IDYES : answer == 'N' ? IDNO : IDCANCEL, 0);
            });
        }
        ASSERT_TRUE(tray.Click(WM_RBUTTONUP));
        EXPECT_EQ(asked, c.questions);
        EXPECT_TRUE(test::PumpUntil([&] { return (tray.IsReady() != 0) != c.ends; }, 10000));
        EXPECT_EQ(tray.IsIconShown(), c.ends ? 0 : 1);
        EXPECT_EQ(user.Exists(), c.userAfter);
        EXPECT_EQ(machine.Exists(), c.machineAfter);
        EXPECT_EQ(tray.unplanned, 0);
    }
}

namespace {

size_t Colours(std::vector<COLORREF> pixels)
{
    std::sort(pixels.begin(), pixels.end());
    return static_cast<size_t>(std::unique(pixels.begin(), pixels.end()) - pixels.begin());
}

// Our icon's pixels once the tray has painted it (more colours than its background).
// The icon as painted: a new icon window shows the tray's background first and may be read
// while it paints, so the same picture must be read twice in a row.
std::vector<COLORREF> PaintedIcon(HWND* icon)
{
    std::vector<COLORREF> pixels, previous;
    test::PumpUntil(
        [&] {
            RECT rc = {};
            *icon = test::TrayIconWithTip(L"Glimpsebox");
            previous.swap(pixels);
            pixels = *icon && GetWindowRect(*icon, &rc) ? test::ScreenPixels(rc) : std::vector<COLORREF>();
            return Colours(pixels) > 1 && pixels == previous;
        },
        5000);
    return pixels;
}

} // namespace

TEST(TrayMenuTest, LowColourOptionSwapsTheIconOtherOptionsLeaveIt)
{
    test::SavedValue options(HKEY_CURRENT_USER, test::SettingsKey, L"Options");
    test::SavedValue border(HKEY_CURRENT_USER, test::SettingsKey, MyOpts::pszBorderType);
    auto store = [](const wchar_t* name, DWORD value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, test::SettingsKey, name, REG_DWORD, &value, sizeof(value));
    };
    store(L"Options", 0);
    std::vector<COLORREF> normal, low, back;
    {
        TestTray tray;
        ASSERT_TRUE(tray.IsReady());
        HWND icon = nullptr;
        normal = PaintedIcon(&icon);
        ASSERT_FALSE(normal.empty());
        // Over the tray's background: more than the 16 colours and that one.
        EXPECT_GT(Colours(normal), 17u);

        // Any other change: the icon stays where and as it is.
        store(L"Options", MyOpts::FlagStartedOnce);
        store(MyOpts::pszBorderType, 3);
        ProductInfo::SendMyMessage(tray, MyMsgOptionsChanged, 0);
        EXPECT_EQ(tray.GetOptions().borderType, 3u);
        RECT rc = {};
        GetWindowRect(icon, &rc);
        EXPECT_EQ(test::ScreenPixels(rc), normal);

        // The low-colour bit: removed and added again (a new window in the tray), 16 colours; and back.
        const DWORD changes[] = {MyOpts::FlagStartedOnce | MyOpts::FlagLowColorIcon, MyOpts::FlagStartedOnce};
        for (DWORD flags : changes) {
            store(L"Options", flags);
            ProductInfo::SendMyMessage(tray, MyMsgOptionsChanged, 0);
            EXPECT_FALSE(IsWindow(icon));
            (flags & MyOpts::FlagLowColorIcon ? low : back) = PaintedIcon(&icon);
        }
        EXPECT_LE(Colours(low), 17u);
        EXPECT_EQ(back, normal);
    }

    // Set before the start: the 16-colour icon from the first moment.
    store(L"Options", MyOpts::FlagLowColorIcon);
    TestTray tray;
    ASSERT_TRUE(tray.IsReady());
    HWND icon = nullptr;
    EXPECT_EQ(PaintedIcon(&icon), low);
}

TEST(TrayMenuTest, ConfigureStartsTheLauncherWithoutArguments)
{
    // The home folder holds a recorder under the launcher's name.
    test::SavedValue home(HKEY_LOCAL_MACHINE, L"Software\\Corvantrix\\Glimpsebox\\Setup", L"Home");
    const std::wstring dir = test::NewTempDir(L"trayhome"), launcher = dir + L"\\Glimpsebox.exe";
    ASSERT_TRUE(home.Set(dir));
    ASSERT_TRUE(CopyFileW((test::ExeDir() + L"\\LaunchRecorder.exe").c_str(), launcher.c_str(), FALSE));
    // The tray tells an open start dialog that it is there, and that it is going.
    TestTray tray(true);
    ASSERT_TRUE(tray.IsReady());
    EXPECT_EQ(tray.Notices(), std::vector<LPARAM>{1});

    // From the menu, and when the mirror window asks.
    tray.steps.push_back(tray.Choose(KeyConfigure));
    ASSERT_TRUE(tray.Click(WM_RBUTTONUP));
    ASSERT_TRUE(ProductInfo::PostMyMessage(tray, MyMsgConfigure, 0));
    const std::wstring log = launcher + L".log";
    EXPECT_TRUE(test::PumpUntil([&] { return test::LogLinesWith(log, "started ").size() == 2; }, 15000));
    const std::string started = "started \"" + test::ToUtf8(launcher) + "\"";
    EXPECT_EQ(test::LogLinesWith(log, "started "), (std::vector<std::string>{started, started}));

    // Without the launcher: the shell's message, which clicks bring forward; the tray goes on.
    ASSERT_TRUE(test::PumpUntil([&] { return DeleteFileW(launcher.c_str()) != FALSE; }, 10000));
    tray.steps.push_back([&](HWND box) {
        tray.ClicksBringForward(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(ProductInfo::PostMyMessage(tray, MyMsgConfigure, 0));
    EXPECT_TRUE(test::PumpUntil([&] { return tray.steps.empty() && GetLastActivePopup(tray) == tray.GetHandle(); },
                                15000));
    EXPECT_TRUE(tray.IsReady() && tray.IsIconShown() && tray.unplanned == 0);

    tray.End();
    EXPECT_EQ(tray.Notices(), std::vector<LPARAM>{0});
    DeleteFileW(log.c_str());
    RemoveDirectoryW(dir.c_str());
}
