// Pages and wizards: activation and its refusals, applying, scrolling, resizing, the buttons, and the
// keyboard and mouse of a user in the manager's own loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "tests/PageIds.h"
#include "tests/skin/SkinIds.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "ui/CSDlgPage.h"
#include "ui/CSDlgWizSkin.h"
#include "ui/CSDlgWizard.h"
#include "ui/SkinMode.h"

using test::OkSequence;
using test::SeqEntry;
using test::SeqWParam;
using test::Text;

namespace {

RECT RectIn(HWND parent, HWND ctl)
{
    RECT rect = {};
    GetWindowRect(ctl, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A page that logs its virtual calls ("<name> <call>") and answers as told. With a height,
// it is that many pixels high, its controls 40 pixels above and 20 below a 400-pixel view.
class LoggedPage : public CSDlgPage {
public:
    LoggedPage(const char* pageName, test::MessageLog* messageLog, UINT id = IDD_PM_PAGE, UINT title = 0,
               int pixels = 0)
        : CSDlgPage(nullptr, id, title, test::ExeModule()), name(pageName), log(messageLog), height(pixels) {}
    std::string name;
    test::MessageLog* log;
    int height;
    int killAnswer = 1, setAnswer = 1, applyAnswer = 1;

    void Event(const char* what, WPARAM data = 0) { if (log) log->Add((name + " " + what).c_str(), 0, data); }
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
    {
        if (height) {
            SetWindowPos(hwnd, nullptr, 0, 0, 300, height, SWP_NOMOVE | SWP_NOZORDER);
            SetWindowPos(GetDlgItem(IDC_PT_NEAR), nullptr, 10, 360, 100, 20, SWP_NOZORDER);
            SetWindowPos(GetDlgItem(IDC_PT_BELOW), nullptr, 10, 420, 100, 20, SWP_NOZORDER);
        }
        return CSDlgPage::OnInitDialog(wParam, lParam);
    }
    int OnKillActive(BOOL cancel) override { return Event("OnKillActive", cancel), killAnswer; }
    int OnSetActive() override { return Event("OnSetActive"), setAnswer; }
    void OnReady() override { Event("OnReady"); CSDlgPage::OnReady(); }
    int OnApply() override { return Event("OnApply"), applyAnswer && CSDlgPage::OnApply(); }
};

// Gives the shown dialog the keyboard as a window manager would: without one, Wine leaves the X
// focus behind a window activated while it was still hidden.
bool TakeKeyboard(HWND dlg)
{
    return test::PumpUntil([&] {
        auto xid = reinterpret_cast<UINT_PTR>(GetPropW(dlg, L"__wine_x11_whole_window"));
        return xid && IsWindowVisible(dlg) && test::Xdo("windowfocus --sync " + std::to_string(xid));
    }, 10000);
}

// A manager (or wizard) whose placeholder can be given a height in pixels, and that tells a
// user on another thread when it is up. MsgEnd ends its own loop whatever its pages say.
template <class Base>
class Harness : public Base {
public:
    enum : UINT { MsgEnd = WM_APP + 80, MsgActive };
    using Base::Base;
    ~Harness() override { this->Destroy(); }
    int placeholder = 0;
    std::atomic<HWND> shown{nullptr};

    HWND Open(int id) { return this->Modeless(id, test::ExeModule(), nullptr, TRUE); }
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override
    {
        if (placeholder)
            SetWindowPos(this->GetDlgItem(IDC_PM_PLACE), nullptr, 0, 0, 400, placeholder, SWP_NOMOVE | SWP_NOZORDER);
        LRESULT result = Base::OnInitDialog(wParam, lParam);
        SetWindowPos(this->GetHandle(), HWND_TOPMOST, 100, 60, 0, 0, SWP_NOSIZE);
        shown = this->GetHandle();
        return result;
    }
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == MsgEnd) {
            this->endLoop = TRUE;
            return 0;
        }
        if (msg == MsgActive)
            return this->GetActiveIndex();
        return Base::OnWndMessage(msg, wParam, lParam);
    }
    // Runs the own loop here while user plays the user on a thread of its own (no test
    // assertions there: it records, the test checks afterwards). Whether it ended with OK.
    int RunWith(int id, const std::function<void(HWND)>& user)
    {
        shown = nullptr;
        std::thread player([&] {
            if (test::PumpUntil([&] { return shown.load() != nullptr; }, 10000) && TakeKeyboard(shown))
                user(shown);
            if (IsWindow(shown))
                PostMessageW(shown, MsgEnd, 0, 0);
        });
        int ok = this->Do(FALSE, id, test::ExeModule(), nullptr);
        player.join();
        return ok;
    }
};
using Manager = Harness<CSDlgPageMan>;
using Wizard = Harness<CSDlgWizard>;

HWND FocusOf(HWND dlg)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &info);
    return info.hwndFocus;
}

// From the user's thread: waits until the manager shows page index.
bool Shows(HWND dlg, int index)
{
    return test::PumpUntil([&] { return SendMessageW(dlg, Manager::MsgActive, 0, 0) == index; }, 5000);
}

// From the user's thread: returns once the manager's thread has finished with what it was doing.
void Settle(HWND dlg)
{
    SendMessageW(dlg, WM_NULL, 0, 0);
}

// xdotool keys, with the pointer on the dialog so that they reach it.
bool Keys(HWND dlg, const std::string& keys)
{
    return test::Xdo(test::MoveTo(dlg) + " key " + keys);
}

} // namespace

// ---- Activation, refusals, applying ----

TEST(PageManager, ShowingALeavingAndApplyingAskThePagesInTurn)
{
    test::MessageLog log;
    LoggedPage a("A", &log, IDD_PM_PAGE, IDS_PM_TITLE_A), b("B", &log, IDD_PM_PAGE, IDS_PM_TITLE_B);
    Manager mgr(0, IDC_PM_HEADER, IDC_PM_PLACE);
    mgr.AddPage(&a);
    mgr.AddPage(&b);
    ASSERT_NE(mgr.Open(IDD_PM_MANAGER), nullptr);
    EXPECT_EQ(Text(mgr.GetDlgItem(IDC_PM_HEADER)), L"First page");
    EXPECT_EQ(GetFocus(), a.GetDlgItem(IDC_PG_FIRST));
    // A control remembered for the page gets the focus a moment later.
    mgr.SetPageItemFocus(IDC_PG_LAST);
    EXPECT_TRUE(test::PumpUntil([&] { return GetFocus() == a.GetDlgItem(IDC_PG_LAST); }, 5000));
    log.Clear();
    ASSERT_TRUE(mgr.SetNextPage(TRUE));
    static const SeqEntry next[] = {{"A OnKillActive", 0, SeqWParam, 0}, {"B OnSetActive"}, {"B OnReady"}, {nullptr}};
    EXPECT_TRUE(OkSequence(log, next));
    EXPECT_TRUE(IsWindowVisible(b) && !IsWindowVisible(a) && !IsWindowEnabled(a));
    EXPECT_EQ(Text(mgr.GetDlgItem(IDC_PM_HEADER)), L"Second page");

    // OK: the active page is left and applies, then the others; a refusal shows that page.
    log.Clear();
    a.applyAnswer = 0;
    mgr.SimulateButton(IDOK);
    static const SeqEntry refused[] = {{"B OnKillActive"}, {"B OnApply"}, {"A OnApply"}, {"B OnKillActive"},
                                       {"A OnSetActive"}, {"A OnReady"}, {nullptr}};
    EXPECT_TRUE(OkSequence(log, refused));
    EXPECT_TRUE(mgr.IsReady() && mgr.GetActivePage() == &a);
    log.Clear();
    a.applyAnswer = 1;
    mgr.SimulateButton(IDOK);
    static const SeqEntry applied[] = {{"A OnKillActive"}, {"A OnApply"}, {"B OnApply"}, {"A OnSetActive"},
                                       {"A OnKillActive"}, {nullptr}};
    EXPECT_TRUE(OkSequence(log, applied));
    EXPECT_TRUE(!mgr.IsReady() && mgr.GetResult() == IDOK);
}

TEST(PageManager, ARefusalKeepsTheUserAndRepeatsWithinHalfASecondAreNotAsked)
{
    test::MessageLog log;
    LoggedPage a("A", &log), b("B", &log);
    Manager mgr(0, IDC_PM_HEADER, IDC_PM_PLACE);
    mgr.AddPage(&a);
    mgr.AddPage(&b);
    ASSERT_NE(mgr.Open(IDD_PM_MANAGER), nullptr);
    a.killAnswer = 0;
    DWORD start = GetTickCount();
    EXPECT_FALSE(mgr.SetNextPage(TRUE));
    EXPECT_FALSE(mgr.SetActivePage(&b, TRUE));
    DWORD second = GetTickCount();
    if (second - start < 400) {  // a machine that stalled that long says nothing about the rule
        EXPECT_EQ(log.Count("A OnKillActive"), 1);
    }
    EXPECT_TRUE(mgr.GetActivePage() == &a && log.Count("B OnSetActive") == 0);
    ASSERT_TRUE(test::PumpUntil([&] { return GetTickCount() - second > 500; }, 3000));
    a.killAnswer = 1;
    EXPECT_TRUE(mgr.SetNextPage(TRUE));
    EXPECT_TRUE(mgr.GetActivePage() == &b && log.Count("B OnSetActive") == 1);
}

// ---- Scrolling and resizing ----

TEST(PageScrolling, StepsAreATwentiethAndATenthOfTheRangeAtLeastFivePixels)
{
    struct { int height, line, page, range; } const cases[] = {{1000, 30, 60, 600}, {450, 5, 5, 50}};
    for (const auto& c : cases) {
        LoggedPage tall("T", nullptr, IDD_PM_TALL, 0, c.height);
        Manager mgr(0, IDC_PM_HEADER, IDC_PM_PLACE);
        mgr.placeholder = 400;
        mgr.AddPage(&tall);
        ASSERT_NE(mgr.Open(IDD_PM_MANAGER), nullptr);
        HWND top = tall.GetDlgItem(IDC_PT_TOP);
        LONG top0 = RectIn(tall, top).top;
        auto scroll = [&](int code) {
            tall.SendMsg(WM_VSCROLL, code, 0);
            return GetScrollPos(tall, SB_VERT);
        };
        EXPECT_EQ(scroll(SB_LINEDOWN), c.line) << c.height;
        EXPECT_EQ(RectIn(tall, top).top, top0 - c.line) << c.height;
        EXPECT_EQ(scroll(SB_PAGEDOWN), c.line + c.page) << c.height;
        EXPECT_EQ(scroll(SB_PAGEUP), c.line) << c.height;
        EXPECT_EQ(scroll(SB_BOTTOM), c.range) << c.height;
        EXPECT_EQ(scroll(SB_LINEDOWN), c.range) << c.height;
        EXPECT_EQ(RectIn(tall, top).top, top0 - c.range) << c.height;
        EXPECT_EQ(scroll(SB_TOP), 0) << c.height;
        EXPECT_EQ(scroll(SB_LINEUP), 0) << c.height;
        // The wheel reaches the page through the manager: a notch towards the user scrolls down.
        mgr.SendMsg(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
        EXPECT_EQ(GetScrollPos(tall, SB_VERT), c.line) << c.height;
    }
}

TEST(PageScrolling, AResizableWizardGrowsItsPagesAndMovesItsButtonsAFixedOneKeepsItsSize)
{
    for (BOOL resizable : {TRUE, FALSE}) {
        LoggedPage tall("T", nullptr, IDD_PM_TALL, 0, 1000), other("O", nullptr);
        Wizard wiz(IDC_PM_HEADER, IDC_PM_PLACE, IDC_PM_BACK, IDC_PM_NEXT, 0, 0, 0, resizable);
        wiz.placeholder = 400;
        wiz.AddPage(&tall);
        wiz.AddPage(&other);
        ASSERT_NE(wiz.Open(IDD_PM_WIZARD), nullptr);
        // A focused control of the page would be brought back into view.
        wiz.SetDlgItemFocus(IDCANCEL);
        tall.SendMsg(WM_VSCROLL, SB_BOTTOM, 0);
        RECT before[5], after[5];
        const int ids[5] = {IDC_PM_PLACE, IDHELP, IDC_PM_BACK, IDC_PM_NEXT, IDCANCEL};
        for (int i = 0; i < 5; ++i)
            before[i] = RectIn(wiz, wiz.GetDlgItem(ids[i]));
        RECT frame, page = RectIn(wiz, tall);
        GetWindowRect(wiz, &frame);
        SetWindowPos(wiz, nullptr, 0, 0, frame.right - frame.left + 100, frame.bottom - frame.top + 50,
                     SWP_NOMOVE | SWP_NOZORDER);
        for (int i = 0; i < 5; ++i)
            after[i] = RectIn(wiz, wiz.GetDlgItem(ids[i]));
        RECT grown = RectIn(wiz, tall);
        int dx = resizable ? 100 : 0, dy = resizable ? 50 : 0;
        EXPECT_TRUE(after[0].right - before[0].right == dx && after[0].bottom - before[0].bottom == dy) << resizable;
        EXPECT_TRUE(grown.right - page.right == dx && grown.bottom - page.bottom == dy) << resizable;
        // Help and Back follow the bottom edge; Next and Cancel the corner.
        EXPECT_TRUE(after[1].left == before[1].left && after[1].top - before[1].top == dy) << resizable;
        EXPECT_TRUE(after[2].left == before[2].left && after[2].top - before[2].top == dy) << resizable;
        EXPECT_TRUE(after[3].left - before[3].left == dx && after[3].top - before[3].top == dy) << resizable;
        EXPECT_TRUE(after[4].left - before[4].left == dx && after[4].top - before[4].top == dy) << resizable;
        // Showing 50 more pixels of a page scrolled to its end pulls the content back.
        EXPECT_EQ(GetScrollPos(tall, SB_VERT), 600 - dy) << resizable;
    }
}

// ---- The wizard's buttons ----

TEST(Wizard, ButtonsFollowThePageCountAndBackIsOffOnTheFirstPage)
{
    for (int count : {1, 3}) {
        LoggedPage a("A", nullptr), b("B", nullptr), c("C", nullptr);
        Wizard wiz(IDC_PM_HEADER, IDC_PM_PLACE, IDC_PM_BACK, IDC_PM_NEXT, 0, IDS_PM_WIZARD);
        for (LoggedPage* page : {&a, &b, &c}) {
            if (wiz.GetPageCount() < count)
                wiz.AddPage(page);
        }
        ASSERT_NE(wiz.Open(IDD_PM_WIZARD), nullptr);
        EXPECT_EQ(Text(wiz), L"Test wizard");
        auto state = [&](int id) {
            HWND button = wiz.GetDlgItem(id);
            return (IsWindowVisible(button) ? 1 : 0) + (IsWindowEnabled(button) ? 2 : 0);
        };
        UINT defId = LOWORD(wiz.SendMsg(DM_GETDEFID, 0, 0));
        EXPECT_TRUE(state(IDCANCEL) == 3 && state(IDHELP) == 3) << count;
        if (count == 1) {
            EXPECT_TRUE(state(IDOK) == 3 && state(IDC_PM_NEXT) == 0 && state(IDC_PM_BACK) == 0);
            EXPECT_EQ(defId, static_cast<UINT>(IDOK));
            continue;
        }
        EXPECT_TRUE(state(IDOK) == 0 && state(IDC_PM_NEXT) == 3 && state(IDC_PM_BACK) == 1);
        EXPECT_EQ(defId, static_cast<UINT>(IDC_PM_NEXT));
        // Pressed from code: Next is clicked a moment later, as a user would.
        wiz.PressButton(CSDlgPageMan::BtnNext);
        EXPECT_TRUE(test::PumpUntil([&] { return wiz.GetActivePage() == &b; }, 5000));
        EXPECT_EQ(state(IDC_PM_BACK), 3);
        wiz.PressButton(CSDlgPageMan::BtnBack);
        EXPECT_TRUE(test::PumpUntil([&] { return wiz.GetActivePage() == &a; }, 5000));
        EXPECT_EQ(state(IDC_PM_BACK), 1);
    }
}

TEST(Wizard, ASkinPlacesThePagesOnItsPanelAndItsAreasStandForTheButtons)
{
    ASSERT_TRUE(EnableSkinMode((test::ExeDir() + L"\\SampleSkin.dll").c_str()));
    {
        CSDlgWizSkin skin(GetSkinWizMetrics(), GetSkinMetrics(SAMPLE_KIND_WIZARD));
        skin.AddAreas(GetSkinAreas(SAMPLE_KIND_WIZARD));
        LoggedPage a("A", nullptr), b("B", nullptr);
        // The template has no controls of the skin's Back and Next: their areas alone are the buttons.
        Wizard wiz(IDC_PM_HEADER, IDC_PM_PLACE, IDW_BACK, IDW_NEXT, 0, 0, 0, FALSE, nullptr, 0, &skin);
        wiz.AddPage(&a);
        wiz.AddPage(&b);
        ASSERT_NE(wiz.Open(IDD_PM_WIZARD), nullptr);
        RECT panel, page = RectIn(wiz, a);
        ASSERT_TRUE(skin.IsSkinShown() && skin.GetPageRect(&panel));
        EXPECT_TRUE(EqualRect(&page, &panel));
        auto area = [&](UINT id) {
            CSDlgSkinArea* found = skin.FindArea(id);
            return found ? (found->IsHidden() ? 0 : 1) + (found->IsEnabled() ? 2 : 0) : -1;
        };
        // Cancel's control stays under its picture, enabled for the keyboard.
        HWND cancel = wiz.GetDlgItem(IDCANCEL);
        EXPECT_TRUE(!IsWindowVisible(cancel) && IsWindowEnabled(cancel) && area(IDCANCEL) == 3);
        EXPECT_TRUE(area(IDW_BACK) == 1 && area(IDW_NEXT) == 3 && area(IDOK) == 0 && area(IDHELP) == 3);
        RECT next;
        ASSERT_TRUE(skin.GetAreaRect(IDW_NEXT, &next));
        POINT centre = {(next.left + next.right) / 2, (next.top + next.bottom) / 2};
        ClientToScreen(wiz, &centre);
        ASSERT_TRUE(test::Xdo(test::MoveTo(centre) + " sleep 0.1 " + test::HeldClick(1)));
        EXPECT_TRUE(test::PumpUntil([&] { return wiz.GetActivePage() == &b; }, 5000));
        EXPECT_EQ(area(IDW_BACK), 3);
    }
    EnableSkinMode(nullptr);
}

// ---- A user at the keyboard and the mouse, in the manager's own loop ----

TEST(PageUser, CtrlTabCyclesThePagesAndTabRunsThroughPageAndManagerIntoView)
{
    LoggedPage a("A", nullptr), b("B", nullptr), tall("T", nullptr, IDD_PM_TALL, 0, 1000);
    Manager mgr(0, IDC_PM_HEADER, IDC_PM_PLACE);
    mgr.placeholder = 400;
    for (CSDlgPage* page : {&a, &b, &tall})
        mgr.AddPage(page);
    struct { const char* keys; int index; char name; } const steps[] = {
        {"ctrl+Tab", 1, 'B'}, {"ctrl+Tab", 2, 'T'}, {"ctrl+Tab", 0, 'A'}, {"ctrl+shift+Tab", 2, 'T'}};
    std::string visited;
    HWND focusAfterTab = nullptr, focusBackInPage = nullptr;
    RECT below = {};
    int scrolled = -1;
    mgr.RunWith(IDD_PM_MANAGER, [&](HWND dlg) {
        for (const auto& step : steps) {
            if (!Keys(dlg, step.keys) || !Shows(dlg, step.index))
                return;
            visited += step.name;
        }
        // From the last control in view, Tab brings the next one in with its margin.
        HWND nearBottom = GetDlgItem(tall, IDC_PT_NEAR), last = GetDlgItem(tall, IDC_PT_BELOW);
        SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(nearBottom), TRUE);
        if (!Keys(dlg, "Tab") || !test::PumpUntil([&] { return FocusOf(dlg) == last; }, 5000))
            return;
        Settle(dlg);
        below = RectIn(tall, last);
        scrolled = GetScrollPos(tall, SB_VERT);
        // Past the page's last control: the manager's next one, and back.
        if (Keys(dlg, "Tab") && test::PumpUntil([&] { return FocusOf(dlg) == GetDlgItem(dlg, IDOK); }, 5000))
            focusAfterTab = FocusOf(dlg);
        if (Keys(dlg, "shift+Tab") && test::PumpUntil([&] { return FocusOf(dlg) == last; }, 5000))
            focusBackInPage = FocusOf(dlg);
    });
    EXPECT_EQ(visited, "BTAT");
    EXPECT_EQ(below.bottom, 400 - CSDlgScrollable::VisibleMargin);
    EXPECT_EQ(scrolled, 440 - 396);
    EXPECT_NE(focusAfterTab, nullptr);
    EXPECT_NE(focusBackInPage, nullptr);
}

TEST(PageUser, NextReadsFinishOnTheLastPageAndTheCancelQuestionGuardsTheMiddle)
{
    std::atomic<int> boxes{0};
    std::atomic<int> answer{IDNO};
    test::BoxAnswerer answerer([&](HWND box) {
        ++boxes;
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer.load()), 0);
    });
    test::MessageLog log;
    LoggedPage a("A", &log), b("B", &log), c("C", &log);
    Wizard wiz(IDC_PM_HEADER, IDC_PM_PLACE, IDC_PM_BACK, IDC_PM_NEXT, 0, 0, IDS_PM_CANCEL);
    for (CSDlgPage* page : {&a, &b, &c})
        wiz.AddPage(page);
    std::wstring texts;
    auto click = [](HWND dlg, int id) { return test::Xdo(test::MoveTo(GetDlgItem(dlg, id)) + " sleep 0.1 " + test::HeldClick(1)); };
    int ok = wiz.RunWith(IDD_PM_WIZARD, [&](HWND dlg) {
        texts = Text(GetDlgItem(dlg, IDC_PM_NEXT));
        if (!click(dlg, IDC_PM_NEXT) || !Shows(dlg, 1))
            return;
        // Escape half-way: the question, answered No, keeps the wizard.
        if (!Keys(dlg, "Escape") || !test::PumpUntil([&] { return boxes == 1; }, 5000))
            return;
        if (!click(dlg, IDC_PM_NEXT) || !Shows(dlg, 2))
            return;
        texts += L"|" + Text(GetDlgItem(dlg, IDC_PM_NEXT));
        // Enter from inside the page presses the default button: Finish.
        Keys(dlg, "Return");
        test::PumpUntil([&] { return !IsWindow(dlg); }, 5000);
    });
    EXPECT_EQ(texts, L"&Next >|Fi&nish");
    EXPECT_EQ(answerer.text, L"Leave the wizard half-way?");
    EXPECT_TRUE(ok && boxes == 1 && wiz.GetResult() == IDOK);
    EXPECT_TRUE(log.Count("A OnApply") == 1 && log.Count("B OnApply") == 1 && log.Count("C OnApply") == 1);

    // Answered Yes, the wizard is cancelled. (It would open on the page it was left on.)
    answer = IDYES;
    wiz.SetStartPage(0);
    ok = wiz.RunWith(IDD_PM_WIZARD, [&](HWND dlg) {
        if (click(dlg, IDC_PM_NEXT) && Shows(dlg, 1) && Keys(dlg, "Escape"))
            test::PumpUntil([&] { return !IsWindow(dlg); }, 5000);
    });
    EXPECT_TRUE(!ok && boxes == 2 && wiz.GetResult() == IDCANCEL);
}
