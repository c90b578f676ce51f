// The window base: binding, message flow through the hooks, teardown, the window cache, operations.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "tests/support/Row.h"
#include "tests/support/MessageSequence.h"
#include "tests/support/TestSupport.h"
#include "ui/CSWnd.h"

using test::OkSequence;
using test::SeqEntry;
using test::SeqLParam;
using test::SeqOptional;
using test::SeqWParam;

namespace {

test::MessageLog sequence;

const wchar_t FrameworkClass[] = L"GlmbxTestFramework";
const wchar_t PlainClass[] = L"GlmbxTestPlain";
// Test messages; the plain procedure answers each with 1000 + its offset from WM_APP.
const UINT MsgPing = WM_APP + 1, MsgOther = WM_APP + 2;

bool Logged(UINT msg)
{
    return msg >= WM_APP || msg == WM_NCCREATE || msg == WM_CREATE || msg == WM_DESTROY || msg == WM_NCDESTROY;
}

// The procedure of a window that knows nothing of the framework.
LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= WM_APP)
        sequence.Add("orig", msg, wParam, lParam);
    return msg >= WM_APP ? 1000 + (msg - WM_APP) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct PlainWindow {
    PlainWindow() : hwnd(CreateWindowExW(0, PlainClass, L"", WS_POPUP, 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr)) {}
    ~PlainWindow() { DestroyWindow(hwnd); }
    operator HWND() const { return hwnd; }
    HWND hwnd;
};

// A window object that logs what reaches its handler and its virtual calls.
class LoggedWnd : public CSWnd {
public:
    explicit LoggedWnd(const char* wndName = "wnd", int* deleted = nullptr) : name(wndName), deletions(deleted) {}
    ~LoggedWnd() override { if (deletions) ++*deletions; }
    void PreInit() override
    {
        sequence.Event("PreInit");
        boundAtPreInit = hwnd && GetPropW(hwnd, L"CSWND") == this;
    }
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (Logged(msg) || msg == WM_GETMINMAXINFO)
            sequence.Add(name.c_str(), msg, wParam, lParam);
        LRESULT result = 0;
        return handler && handler(msg, result) ? result : CSWnd::OnWndMessage(msg, wParam, lParam);
    }
    void OnPostNcDestroy() override { sequence.Event("OnPostNcDestroy"); CSWnd::OnPostNcDestroy(); }
    int HookCount() const { return wndHooks.GetCount(); }
    int Create(DWORD style = WS_POPUP) { return CreateEx(0, FrameworkClass, L"", style, 0, 0, 60, 40, nullptr); }

    std::string name;
    int* deletions;
    std::function<bool(UINT, LRESULT&)> handler;
    bool boundAtPreInit = false;
};

class LoggedHook : public WMHook {
public:
    using Action = std::function<int(CSWnd*, UINT, LRESULT*)>;
    explicit LoggedHook(const char* hookName, Action what = nullptr) : name(hookName), action(std::move(what)) {}
    int OnWndMessage(CSWnd* wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (Logged(msg))
            sequence.Add(name, msg, wParam, lParam);
        return action ? action(wnd, msg, result) : 0;
    }
    const char* name;
    Action action;
};

class WindowBase : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CSWnd::RegisterClassExW(FrameworkClass);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = PlainProc;
        wc.lpszClassName = PlainClass;
        RegisterClassW(&wc);
    }
    void SetUp() override { sequence.Clear(); }
    // Every test leaves every window unbound: a busy cache item here is a leaked binding.
    void TearDown() override
    {
        for (int i = 0; i < CSWnd::CacheItems; ++i)
            EXPECT_EQ(CSWnd::wndCache[i].hwnd, nullptr) << "cache item " << i;
        EXPECT_EQ(CSWnd::pWndInit, nullptr);
    }
};

} // namespace

// ---- Binding and teardown ----

TEST_F(WindowBase, CreationBindsTheObjectBeforeItsFirstMessageAndFailureLeavesItToTheCaller)
{
    LoggedWnd wnd;
    ASSERT_EQ(wnd.Create(), 1);
    HWND h = wnd;
    EXPECT_TRUE(wnd.boundAtPreInit && CSWnd::GetWnd(h) == &wnd && wnd.GetPrevWndProc() == DefWindowProcW);
    EXPECT_EQ(wnd.Create(), 0);  // the object holds a live window
    wnd.Destroy();
    EXPECT_TRUE(static_cast<HWND>(wnd) == nullptr && CSWnd::GetWnd(h) == nullptr);
    // An object that is not auto-delete outlives its window and can make another. An
    // overlapped window's first message is WM_GETMINMAXINFO: the object is bound for it too.
    ASSERT_EQ(wnd.Create(WS_OVERLAPPEDWINDOW), 1);
    wnd.Destroy();
    static const SeqEntry lives[] = {
        {"PreInit"}, {"wnd", WM_GETMINMAXINFO, SeqOptional}, {"wnd", WM_NCCREATE}, {"wnd", WM_CREATE},
        {"wnd", WM_DESTROY}, {"wnd", WM_NCDESTROY}, {"OnPostNcDestroy"},
        {"PreInit"}, {"wnd", WM_GETMINMAXINFO}, {"wnd", WM_NCCREATE}, {"wnd", WM_CREATE},
        {"wnd", WM_DESTROY}, {"wnd", WM_NCDESTROY}, {"OnPostNcDestroy"}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, lives));

    // Refused by a hook during creation: an auto-delete object is not deleted behind the
    // back of the caller that still holds it; once created, the window's end deletes it.
    int deletions = 0;
    auto* owned = new LoggedWnd("owned", &deletions);
    owned->SetAutoDelete(TRUE);
    LoggedHook refuse("refuse", [](CSWnd*, UINT msg, LRESULT* result) { return *result = FALSE, msg == WM_NCCREATE; });
    refuse.AddToWnd(owned);
    EXPECT_EQ(owned->Create(), 0);
    EXPECT_TRUE(deletions == 0 && static_cast<HWND>(*owned) == nullptr && owned->IsAutoDelete());
    refuse.RemoveFromWnd(owned);
    ASSERT_EQ(owned->Create(), 1);
    owned->Destroy();
    EXPECT_EQ(deletions, 1);
}

TEST_F(WindowBase, SubclassRoutesThroughTheObjectOnceAndUnsubclassOrTheObjectsEndRestoresTheProcedure)
{
    PlainWindow plain, other;
    HWND gone = PlainWindow();
    LoggedWnd wnd, second("second");
    ASSERT_EQ(wnd.Subclass(plain), 1);
    EXPECT_TRUE(wnd.GetPrevWndProc() == PlainProc && CSWnd::GetWnd(plain) == &wnd);
    EXPECT_EQ(SendMessageW(plain, MsgPing, 7, 8), 1001);
    // Binding again, with or without a handle, changes nothing: the original runs once.
    EXPECT_TRUE(wnd.Subclass(nullptr) == 1 && wnd.Subclass(other) == 1 && CSWnd::GetWnd(other) == nullptr);
    // Windows it cannot bind: none, a dead one, another process's, one that has an object already.
    for (HWND h : {static_cast<HWND>(nullptr), gone, GetDesktopWindow(), plain.hwnd})
        EXPECT_EQ(second.Subclass(h), 0) << h;
    EXPECT_EQ(SendMessageW(plain, MsgOther, 0, 0), 1002);
    EXPECT_EQ(wnd.Unsubclass(), 1);
    EXPECT_TRUE(GetPropW(plain, L"CSWND") == nullptr && CSWnd::GetWnd(plain) == nullptr);
    EXPECT_EQ(SendMessageW(plain, MsgPing, 0, 0), 1001);
    EXPECT_TRUE(wnd.Unsubclass() == 0 && second.Unsubclass() == 0);
    static const SeqEntry routed[] = {
        {"wnd", MsgPing, SeqWParam | SeqLParam, 7, 8}, {"orig", MsgPing, SeqWParam | SeqLParam, 7, 8},
        {"wnd", MsgOther}, {"orig", MsgOther}, {"orig", MsgPing}, {nullptr},  // and never a PreInit
    };
    EXPECT_TRUE(OkSequence(sequence, routed));
    {
        LoggedWnd shortLived;
        ASSERT_EQ(shortLived.Subclass(plain), 1);
    }
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(PlainProc));

    // A window of a system class is only stored by Create; a later Subclass chains to the
    // class's own procedure, not to the default one.
    LoggedWnd button("button");
    ASSERT_EQ(button.CSWnd::Create(L"Button", L"b", WS_POPUP, 0, 0, 10, 10, nullptr), 1);
    LONG_PTR buttonProc = GetWindowLongPtrW(button, GWLP_WNDPROC);
    EXPECT_EQ(CSWnd::GetWnd(button), nullptr);
    ASSERT_EQ(button.Subclass(nullptr), 1);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(button.GetPrevWndProc()), buttonProc);
    button.Destroy();
}

TEST_F(WindowBase, DestroyInsideAHandlerOrANestedHookTearsDownWhenTheOutermostCallReturns)
{
    for (bool nested : {false, true}) {
        test::Row trace(nested ? "nested hook dispatch" : "handler");
        int deletions = 0;
        auto* wnd = new LoggedWnd("wnd", &deletions);
        wnd->SetAutoDelete(TRUE);
        ASSERT_EQ(wnd->Create(), 1);
        HWND h = *wnd;
        // The handler, or the hook inside a second dispatch, destroys the window and goes on using the object.
        auto destroy = [&](CSWnd* self) {
            DestroyWindow(*self);
            EXPECT_TRUE(self->GetHandle() == h && deletions == 0 && static_cast<LoggedWnd*>(self)->HookCount() == 1);
            return 1;
        };
        LoggedHook hook("hook", [&](CSWnd* w, UINT msg, LRESULT*) {
            if (nested && msg == MsgPing)
                return static_cast<int>(w->SendMsg(MsgOther, 0, 0));
            return nested && msg == MsgOther ? destroy(w) : 0;
        });
        hook.AddToWnd(wnd);
        wnd->handler = [&](UINT msg, LRESULT&) { return !nested && msg == MsgPing && destroy(wnd); };
        SendMessageW(h, MsgPing, 0, 0);
        EXPECT_TRUE(deletions == 1 && CSWnd::GetWnd(h) == nullptr);
    }
    // An override that keeps WM_NCDESTROY to itself is still torn down.
    LoggedWnd selfish;
    selfish.handler = [](UINT msg, LRESULT&) { return msg == WM_NCDESTROY; };
    ASSERT_EQ(selfish.Create(), 1);
    selfish.Destroy();
    EXPECT_EQ(static_cast<HWND>(selfish), nullptr);
}

TEST_F(WindowBase, NineLiveWindowsAndTheCache)
{
    std::unique_ptr<LoggedWnd> wnds[10];
    for (int i = 0; i < 10; ++i) {
        wnds[i].reset(new LoggedWnd(i == 8 ? "ninth" : "other"));
        if (i < 9) {
            ASSERT_EQ(wnds[i]->Create(), 1);
        }
    }
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(CSWnd::wndCache[i].hwnd == *wnds[i] && CSWnd::wndCache[i].pWnd == wnds[i].get()) << i;
    // The ninth is known through its property alone, and works.
    HWND ninth = *wnds[8];
    sequence.Clear();
    SendMessageW(ninth, MsgPing, 0, 0);
    static const SeqEntry reached[] = {{"ninth", MsgPing}, {nullptr}};
    EXPECT_TRUE(OkSequence(sequence, reached));
    // A freed item goes to the next window bound, not to one already bound.
    wnds[2]->Destroy();
    ASSERT_EQ(wnds[9]->Create(), 1);
    EXPECT_TRUE(CSWnd::wndCache[2].hwnd == *wnds[9] && CSWnd::GetWnd(ninth) == wnds[8].get());
    for (auto& wnd : wnds)
        wnd->Destroy();
}

// ---- Hooks: the walk that the dialog chain shares ----

class HookChain : public WindowBase {
protected:
    void SetUp() override
    {
        WindowBase::SetUp();
        ASSERT_EQ(wnd.Subclass(plain), 1);
        for (LoggedHook* hook : {&hookA, &hookB, &hookA})  // the second add changes nothing
            hook->AddToWnd(&wnd);
    }
    void TearDown() override
    {
        wnd.Unsubclass();
        WindowBase::TearDown();
    }
    PlainWindow plain;
    LoggedWnd wnd;
    LoggedHook hookA{"hookA"}, hookB{"hookB"};
};

TEST_F(HookChain, LastAddedFirstAnAnswerEndsTheWalkAndPassingOnRunsTheRestOnce)
{
    hookB.action = [](CSWnd*, UINT msg, LRESULT* result) { return *result = 42, msg == MsgOther; };
    EXPECT_EQ(SendMessageW(plain, MsgOther, 0, 0), 42);
    auto passOn = [](LoggedHook& self, const char* after, LRESULT add) {
        return [&self, after, add](CSWnd* w, UINT msg, LRESULT* result) {
            if (msg != MsgPing)
                return 0;
            *result = w->DoWndMessage(msg, 0, 0, &self) + add;
            return sequence.Event(after), 1;
        };
    };
    hookB.action = passOn(hookB, "hookB after", 10);
    hookA.action = passOn(hookA, "hookA after", 1);
    EXPECT_EQ(SendMessageW(plain, MsgPing, 0, 0), 1001 + 1 + 10);
    // A hook that is not on the window skips every hook: only the previous procedure runs.
    LoggedHook stranger("stranger");
    EXPECT_EQ(wnd.DoWndMessage(MsgOther, 0, 0, &stranger), 1002);
    static const SeqEntry walked[] = {
        {"wnd", MsgOther}, {"hookB", MsgOther},
        {"wnd", MsgPing}, {"hookB", MsgPing}, {"hookA", MsgPing}, {"orig", MsgPing}, {"hookA after"}, {"hookB after"},
        {"orig", MsgOther}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, walked));
}

TEST_F(HookChain, RemovalsDuringTheWalk)
{
    // Removing all waits for the outermost dispatch, even one not made by the window procedure;
    // a nested one still walks the whole list.
    hookB.action = [this](CSWnd* w, UINT msg, LRESULT*) {
        if (msg == MsgPing) {
            w->RemoveAllWndHooks();
            w->SendMsg(MsgOther, 0, 0);
            EXPECT_EQ(wnd.HookCount(), 2);
        }
        return 0;
    };
    EXPECT_EQ(wnd.DoWndMessage(MsgPing, 0, 0, nullptr), 1001);
    EXPECT_EQ(wnd.HookCount(), 0);
    // A hook may remove itself, and delete itself, or a hook after it.
    auto* once = new LoggedHook("once");
    once->action = [once](CSWnd* w, UINT, LRESULT*) {
        once->RemoveFromWnd(w);
        delete once;
        return 0;
    };
    hookB.action = [this](CSWnd* w, UINT msg, LRESULT*) {
        if (msg == MsgOther)
            hookA.RemoveFromWnd(w);
        return 0;
    };
    for (LoggedHook* hook : {&hookA, &hookB, once})
        hook->AddToWnd(&wnd);
    SendMessageW(plain, MsgPing, 0, 0);
    EXPECT_EQ(SendMessageW(plain, MsgOther, 0, 0), 1002);
    static const SeqEntry removed[] = {
        {"hookB", MsgPing},
        {"wnd", MsgOther}, {"hookB", MsgOther}, {"hookA", MsgOther}, {"orig", MsgOther},
        {"hookA", MsgPing}, {"orig", MsgPing},
        {"wnd", MsgPing}, {"once", MsgPing}, {"hookB", MsgPing}, {"hookA", MsgPing}, {"orig", MsgPing},
        {"wnd", MsgOther}, {"hookB", MsgOther}, {"orig", MsgOther}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, removed));
    EXPECT_EQ(wnd.HookCount(), 1);
}

// ---- Operations ----

TEST_F(WindowBase, FormattedTextIsCutToFitOrComesFromAModulesStrings)
{
    PlainWindow plain;
    CSWnd wnd;
    wnd.Attach(plain);
    EXPECT_TRUE(wnd.SetTextFmt(L"<%s>", std::wstring(1500, L'a').c_str()));
    EXPECT_EQ(wnd.GetTextLength(), 1023);
    EXPECT_TRUE(wnd.SetTextFmt(test::Library(), 20003));
    EXPECT_EQ(test::Text(plain), L"Browse for file");
    wnd.Detach();
}
