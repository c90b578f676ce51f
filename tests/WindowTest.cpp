// The window base: binding, message flow through the hooks, teardown, the window cache, operations;
// and CSWndEx, which reports chosen messages before and after handling to a callback window.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "tests/support/MessageSequence.h"
#include "tests/support/TestSupport.h"
#include "ui/CSWnd.h"
#include "ui/CSWndEx.h"

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
const UINT MsgPing = WM_APP + 1;
const UINT MsgOther = WM_APP + 2;

bool Logged(UINT msg)
{
    return msg >= WM_APP || msg == WM_NCCREATE || msg == WM_CREATE || msg == WM_DESTROY || msg == WM_NCDESTROY ||
           msg == WM_GETMINMAXINFO;
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= WM_APP || msg == WM_DESTROY || msg == WM_NCDESTROY || msg == WM_NOTIFY)
        sequence.Add("orig", msg, wParam, lParam);
    return msg >= WM_APP ? 1000 + (msg - WM_APP) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

HINSTANCE Library()
{
    return GetModuleHandleW(L"GLMBX32.DLL");
}

// A hidden window of a class that knows nothing of the framework.
class PlainWindow {
public:
    explicit PlainWindow(HWND parent = nullptr, DWORD style = WS_POPUP, const wchar_t* windowClass = PlainClass)
        : hwnd(CreateWindowExW(0, windowClass, L"plain", style, 0, 0, 40, 40, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr))
    {
    }
    ~PlainWindow() { DestroyWindow(hwnd); }
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;
    operator HWND() const { return hwnd; }

private:
    HWND hwnd;
};

// A window object that logs what reaches its handler and its virtual calls.
class LoggedWnd : public CSWnd {
public:
    using Handler = std::function<bool(LoggedWnd*, UINT, WPARAM, LPARAM, LRESULT&)>;

    explicit LoggedWnd(const char* wndName = "wnd") : name(wndName) {}
    ~LoggedWnd() override
    {
        sequence.Event(("~" + name).c_str());
        if (deletions)
            ++*deletions;
    }
    void PreInit() override
    {
        sequence.Event("PreInit");
        handleAtPreInit = hwnd;
        propertyAtPreInit = GetPropW(hwnd, L"CSWND");
    }
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (Logged(msg))
            sequence.Add(name.c_str(), msg, wParam, lParam);
        LRESULT result = 0;
        if (handler && handler(this, msg, wParam, lParam, result))
            return result;
        return CSWnd::OnWndMessage(msg, wParam, lParam);
    }
    void OnPostNcDestroy() override
    {
        sequence.Event("OnPostNcDestroy");
        CSWnd::OnPostNcDestroy();
    }
    int HookCount() const { return wndHooks.GetCount(); }

    std::string name;
    Handler handler;
    int* deletions = nullptr;
    HWND handleAtPreInit = nullptr;
    void* propertyAtPreInit = nullptr;
};

class LoggedHook : public WMHook {
public:
    using Action = std::function<int(CSWnd*, UINT, WPARAM, LPARAM, LRESULT*)>;

    explicit LoggedHook(const char* hookName, Action what = nullptr) : name(hookName), action(std::move(what)) {}
    int OnWndMessage(CSWnd* wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (Logged(msg) && msg != WM_GETMINMAXINFO)
            sequence.Add(name, msg, wParam, lParam);
        return action ? action(wnd, msg, wParam, lParam, result) : 0;
    }

    const char* name;
    Action action;
};

// Answers one message with a result, passes the others on.
LoggedHook::Action Answer(UINT only, LRESULT answer)
{
    return [only, answer](CSWnd*, UINT msg, WPARAM, LPARAM, LRESULT* result) {
        if (msg != only)
            return 0;
        *result = answer;
        return 1;
    };
}

// What a CSWndEx's callback window is sent, and the wParam that comes with it.
const wchar_t ReceiverClass[] = L"GlmbxTestReceiver";
const UINT MsgReport = WM_APP + 100;
const UINT ReportTag = 0x5151;
std::function<LRESULT(MSG_CALLBACK_DATA*)> onReport;
UINT reportWParam;

// The receiver of the reports: logs "before" or "after" with the reported message.
LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != MsgReport)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    auto* data = reinterpret_cast<MSG_CALLBACK_DATA*>(lParam);
    reportWParam = static_cast<UINT>(wParam);
    sequence.Add(data->bAfter ? "after" : "before", data->msg, data->wParam, data->lParam);
    // The sender clears these before every report.
    EXPECT_FALSE(data->bHandled || data->bChanged);
    return onReport ? onReport(data) : 0;
}

class WindowBase : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CSWnd::RegisterClassExW(FrameworkClass);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = PlainClass;
        RegisterClassW(&wc);
        wc.lpfnWndProc = ReceiverProc;
        wc.lpszClassName = ReceiverClass;
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
    static int CreateFramework(CSWnd& wnd, void* param = nullptr, DWORD style = WS_POPUP)
    {
        return wnd.CreateEx(0, FrameworkClass, L"framework", style, 0, 0, 60, 40, nullptr, nullptr, param);
    }
    // An auto-delete object on a new window of ours, counting its deletions.
    static LoggedWnd* AutoDeleted(int& deletions)
    {
        auto* wnd = new LoggedWnd;
        wnd->deletions = &deletions;
        wnd->SetAutoDelete(TRUE);
        EXPECT_EQ(CreateFramework(*wnd), 1);
        return wnd;
    }
};

// ---- Binding ----

TEST_F(WindowBase, CreationBindsTheObjectBeforeItsFirstMessage)
{
    LoggedWnd wnd;
    int param = 0;
    void* createParam = nullptr;
    wnd.handler = [&](LoggedWnd*, UINT msg, WPARAM, LPARAM lParam, LRESULT&) {
        if (msg == WM_NCCREATE)
            createParam = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
        return false;
    };
    ASSERT_EQ(CreateFramework(wnd, &param), 1);
    HWND h = wnd;
    EXPECT_TRUE(h && wnd.handleAtPreInit == h && wnd.propertyAtPreInit == &wnd);
    EXPECT_EQ(createParam, &param);
    EXPECT_EQ(CSWnd::GetWnd(h), &wnd);
    EXPECT_EQ(wnd.GetPrevWndProc(), reinterpret_cast<WNDPROC>(DefWindowProcW));
    // A second window for an object that holds a live one is refused.
    EXPECT_EQ(CreateFramework(wnd), 0);
    EXPECT_EQ(static_cast<HWND>(wnd), h);
    wnd.Destroy();
    EXPECT_EQ(static_cast<HWND>(wnd), nullptr);
    EXPECT_EQ(CSWnd::GetWnd(h), nullptr);
    EXPECT_FALSE(wnd.IsReady());

    // An object that is not auto-delete outlives its window and can make another. An
    // overlapped window's first message is WM_GETMINMAXINFO: the object is bound for it too.
    ASSERT_EQ(CreateFramework(wnd, nullptr, WS_OVERLAPPEDWINDOW), 1);
    wnd.Destroy();
    static const SeqEntry lives[] = {
        {"PreInit"}, {"wnd", WM_GETMINMAXINFO, SeqOptional}, {"wnd", WM_NCCREATE}, {"wnd", WM_CREATE},
        {"wnd", WM_DESTROY}, {"wnd", WM_NCDESTROY}, {"OnPostNcDestroy"},
        {"PreInit"}, {"wnd", WM_GETMINMAXINFO}, {"wnd", WM_NCCREATE}, {"wnd", WM_CREATE},
        {"wnd", WM_DESTROY}, {"wnd", WM_NCDESTROY}, {"OnPostNcDestroy"}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, lives));
}

TEST_F(WindowBase, FailedCreationLeavesTheObjectUnboundAndOwnedByTheCaller)
{
    // The system's own error stays (Windows and Wine differ in which one it is).
    SetLastError(0);
    CreateWindowExW(0, L"GlmbxNoSuchClass", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Library(), nullptr);
    DWORD systemError = GetLastError();
    ASSERT_NE(systemError, 0u);
    LoggedWnd wnd;
    SetLastError(0);
    EXPECT_EQ(wnd.Create(L"GlmbxNoSuchClass", L"", WS_POPUP, 0, 0, 10, 10, nullptr), 0);
    EXPECT_EQ(GetLastError(), systemError);
    EXPECT_EQ(static_cast<HWND>(wnd), nullptr);

    // Refused by a hook during creation: an auto-delete object is not deleted behind the
    // back of the caller that still holds it.
    int deletions = 0;
    auto* owned = new LoggedWnd;
    owned->deletions = &deletions;
    owned->SetAutoDelete(TRUE);
    LoggedHook refuse("refuse", Answer(WM_NCCREATE, FALSE));
    refuse.AddToWnd(owned);
    EXPECT_EQ(CreateFramework(*owned), 0);
    EXPECT_EQ(deletions, 0);
    EXPECT_EQ(static_cast<HWND>(*owned), nullptr);
    EXPECT_TRUE(owned->IsAutoDelete());
    // Once created, the window's end deletes it.
    refuse.RemoveFromWnd(owned);
    ASSERT_EQ(CreateFramework(*owned), 1);
    owned->Destroy();
    EXPECT_EQ(deletions, 1);
}

TEST_F(WindowBase, SubclassRoutesThroughTheObjectAndUnsubclassRestoresTheProcedure)
{
    PlainWindow plain, other;
    LoggedWnd wnd;
    ASSERT_EQ(wnd.Subclass(plain), 1);
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(CSWnd::WndProc));
    EXPECT_EQ(wnd.GetPrevWndProc(), PlainProc);
    EXPECT_EQ(GetPropW(plain, L"CSWND"), &wnd);
    EXPECT_EQ(CSWnd::GetWnd(plain), &wnd);
    EXPECT_EQ(SendMessageW(plain, MsgPing, 7, 8), 1001);
    // Binding again, with or without a handle, changes nothing: the original runs once.
    EXPECT_EQ(wnd.Subclass(nullptr), 1);
    EXPECT_EQ(wnd.Subclass(other), 1);
    EXPECT_EQ(static_cast<HWND>(wnd), static_cast<HWND>(plain));
    EXPECT_EQ(wnd.GetPrevWndProc(), PlainProc);
    EXPECT_EQ(GetPropW(other, L"CSWND"), nullptr);
    EXPECT_EQ(SendMessageW(plain, MsgOther, 0, 0), 1002);

    EXPECT_EQ(wnd.Unsubclass(), 1);
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(PlainProc));
    EXPECT_EQ(GetPropW(plain, L"CSWND"), nullptr);
    EXPECT_EQ(CSWnd::GetWnd(plain), nullptr);
    EXPECT_EQ(SendMessageW(plain, MsgPing, 0, 0), 1001);
    static const SeqEntry routed[] = {
        {"wnd", MsgPing, SeqWParam | SeqLParam, 7, 8}, {"orig", MsgPing, SeqWParam | SeqLParam, 7, 8},
        {"wnd", MsgOther}, {"orig", MsgOther},
        {"orig", MsgPing}, {nullptr},  // unbound; and no PreInit at all
    };
    EXPECT_TRUE(OkSequence(sequence, routed));
    EXPECT_EQ(wnd.Unsubclass(), 0);
    LoggedWnd never;
    EXPECT_EQ(never.Unsubclass(), 0);

    // A window of a system class is only stored by Create; a later Subclass chains to the
    // class's own procedure, not to the default one.
    LoggedWnd button("button");
    ASSERT_EQ(button.Create(L"Button", L"b", WS_POPUP, 0, 0, 10, 10, nullptr), 1);
    EXPECT_EQ(CSWnd::GetWnd(button), nullptr);
    LONG_PTR buttonProc = GetWindowLongPtrW(button, GWLP_WNDPROC);
    ASSERT_EQ(button.Subclass(nullptr), 1);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(button.GetPrevWndProc()), buttonProc);
    button.Destroy();
    EXPECT_EQ(static_cast<HWND>(button), nullptr);
}

TEST_F(WindowBase, SubclassRefusesWindowsItCannotBind)
{
    LoggedWnd wnd, first("first"), created("created");
    EXPECT_EQ(wnd.Subclass(nullptr), 0);
    HWND gone = PlainWindow();
    EXPECT_EQ(wnd.Subclass(gone), 0);
    // Another process's window: its procedure and properties are not ours to use.
    EXPECT_EQ(wnd.Subclass(GetDesktopWindow()), 0);
    // One object per window: a second would chain WndProc onto itself.
    PlainWindow plain;
    ASSERT_EQ(first.Subclass(plain), 1);
    EXPECT_EQ(wnd.Subclass(plain), 0);
    ASSERT_EQ(CreateFramework(created), 1);
    EXPECT_EQ(wnd.Subclass(created), 0);
    EXPECT_EQ(static_cast<HWND>(wnd), nullptr);
    sequence.Clear();
    EXPECT_EQ(SendMessageW(plain, MsgPing, 0, 0), 1001);
    static const SeqEntry stillFirst[] = {{"first", MsgPing}, {"orig", MsgPing}, {nullptr}};
    EXPECT_TRUE(OkSequence(sequence, stillFirst));
    created.Destroy();
    first.Unsubclass();
}

TEST_F(WindowBase, DeletingABoundObjectUnbindsItsWindow)
{
    PlainWindow plain;
    {
        LoggedWnd wnd;
        ASSERT_EQ(wnd.Subclass(plain), 1);
    }
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(PlainProc));
    EXPECT_EQ(GetPropW(plain, L"CSWND"), nullptr);
    // A created window goes on as a plain window; its object is gone.
    auto* wnd = new LoggedWnd;
    ASSERT_EQ(CreateFramework(*wnd), 1);
    HWND h = *wnd;
    delete wnd;
    EXPECT_TRUE(IsWindow(h));
    EXPECT_EQ(CSWnd::GetWnd(h), nullptr);
    sequence.Clear();
    EXPECT_EQ(SendMessageW(h, MsgPing, 0, 0), 0);
    EXPECT_TRUE(sequence.Records().empty());
    DestroyWindow(h);

    // Messages for windows without an object get 0 and reach no procedure.
    EXPECT_EQ(CSWnd::WndProc(nullptr, MsgPing, 0, 0), 0);
    EXPECT_EQ(CSWnd::WndProc(plain, MsgPing, 0, 0), 0);
    EXPECT_TRUE(sequence.Records().empty());
    // A window of one of our classes made behind the framework's back: WM_NCCREATE gets 0.
    HWND stray = CreateWindowExW(0, FrameworkClass, L"stray", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Library(),
                                 nullptr);
    EXPECT_EQ(stray, nullptr);
    DestroyWindow(stray);
}

TEST_F(WindowBase, AnUnknownMessageTravelsTheWholeChain)
{
    const UINT unknown = RegisterWindowMessageW(L"GlmbxTestUnknownMessage");
    PlainWindow plain;
    LoggedWnd wnd, created;
    LoggedHook hook("hook");
    ASSERT_EQ(wnd.Subclass(plain), 1);
    hook.AddToWnd(&wnd);
    EXPECT_EQ(SendMessageW(plain, unknown, 3, 4), static_cast<LRESULT>(1000 + (unknown - WM_APP)));
    const SeqEntry travelled[] = {
        {"wnd", unknown, SeqWParam | SeqLParam, 3, 4}, {"hook", unknown, SeqWParam | SeqLParam, 3, 4},
        {"orig", unknown, SeqWParam | SeqLParam, 3, 4}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, travelled));
    // With DefWindowProcW behind it, the answer is the default's.
    ASSERT_EQ(CreateFramework(created), 1);
    EXPECT_EQ(created.SendMsg(unknown, 0, 0), 0);
    created.Destroy();
    wnd.Unsubclass();
}

// ---- Hooks ----

class HookChain : public WindowBase {
protected:
    void SetUp() override
    {
        WindowBase::SetUp();
        ASSERT_EQ(wnd.Subclass(plain), 1);
        hookA.AddToWnd(&wnd);
        hookB.AddToWnd(&wnd);
    }
    void TearDown() override
    {
        wnd.Unsubclass();
        WindowBase::TearDown();
    }

    PlainWindow plain;
    LoggedWnd wnd;
    LoggedHook hookA{"hookA"};
    LoggedHook hookB{"hookB"};
};

TEST_F(HookChain, TheLastHookAddedSeesMessagesFirstAndAnAnswerEndsTheWalk)
{
    hookA.AddToWnd(&wnd);  // already there: stays where it is, seen once
    EXPECT_EQ(wnd.HookCount(), 2);
    hookB.action = Answer(MsgOther, 42);
    EXPECT_EQ(SendMessageW(plain, MsgPing, 0, 0), 1001);
    EXPECT_EQ(SendMessageW(plain, MsgOther, 0, 0), 42);
    static const SeqEntry walked[] = {
        {"wnd", MsgPing}, {"hookB", MsgPing}, {"hookA", MsgPing}, {"orig", MsgPing},
        {"wnd", MsgOther}, {"hookB", MsgOther}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, walked));
}

TEST_F(HookChain, PassingOnRunsTheRestOfTheChainOnceAndReturnsItsResult)
{
    auto passOn = [](LoggedHook& self, const char* after, LRESULT add) {
        return [&self, after, add](CSWnd* w, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
            if (msg != MsgPing)
                return 0;
            LRESULT rest = w->DoWndMessage(msg, wParam, lParam, &self);
            sequence.Event(after);
            *result = rest + add;
            return 1;
        };
    };
    hookB.action = passOn(hookB, "hookB after", 10);
    hookA.action = passOn(hookA, "hookA after", 1);
    EXPECT_EQ(SendMessageW(plain, MsgPing, 0, 0), 1001 + 1 + 10);
    // A hook that is not on the window skips every hook: only the previous procedure runs.
    LoggedHook stranger("stranger");
    EXPECT_EQ(wnd.DoWndMessage(MsgOther, 0, 0, &stranger), 1002);
    static const SeqEntry passed[] = {
        {"wnd", MsgPing}, {"hookB", MsgPing}, {"hookA", MsgPing}, {"orig", MsgPing},
        {"hookA after"}, {"hookB after"}, {"orig", MsgOther}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, passed));
}

TEST_F(HookChain, RemovingAllHooksDuringADispatchWaitsForTheOutermostToEnd)
{
    hookB.action = [this](CSWnd* w, UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (msg == MsgPing) {
            w->RemoveAllWndHooks();
            EXPECT_EQ(wnd.HookCount(), 2);
            w->SendMsg(MsgOther, 0, 0);  // a nested dispatch still walks the whole list
            EXPECT_EQ(wnd.HookCount(), 2);
        }
        return 0;
    };
    EXPECT_EQ(SendMessageW(plain, MsgPing, 0, 0), 1001);
    EXPECT_EQ(wnd.HookCount(), 0);
    SendMessageW(plain, MsgPing, 0, 0);
    static const SeqEntry deferred[] = {
        {"wnd", MsgPing}, {"hookB", MsgPing},
        {"wnd", MsgOther}, {"hookB", MsgOther}, {"hookA", MsgOther}, {"orig", MsgOther},
        {"hookA", MsgPing}, {"orig", MsgPing},
        {"wnd", MsgPing}, {"orig", MsgPing}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, deferred));
}

TEST_F(HookChain, AHookMayRemoveItselfOrAnotherDuringTheWalk)
{
    hookB.action = [](CSWnd* w, UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (msg == MsgPing)
            w->RemoveWndHook(nullptr);  // nothing to remove
        return 0;
    };
    // Removes itself and deletes itself on its first message.
    auto* once = new LoggedHook("once");
    once->action = [once](CSWnd* w, UINT, WPARAM, LPARAM, LRESULT*) {
        once->RemoveFromWnd(w);
        delete once;
        return 0;
    };
    once->AddToWnd(&wnd);
    SendMessageW(plain, MsgPing, 0, 0);
    SendMessageW(plain, MsgPing, 0, 0);
    // Beyond the contract: a hook that removes the hook after it. The walk must survive.
    hookB.action = [this](CSWnd* w, UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (msg == MsgOther)
            hookA.RemoveFromWnd(w);
        return 0;
    };
    EXPECT_EQ(SendMessageW(plain, MsgOther, 0, 0), 1002);
    static const SeqEntry removed[] = {
        {"wnd", MsgPing}, {"once", MsgPing}, {"hookB", MsgPing}, {"hookA", MsgPing}, {"orig", MsgPing},
        {"wnd", MsgPing}, {"hookB", MsgPing}, {"hookA", MsgPing}, {"orig", MsgPing},
        {"wnd", MsgOther}, {"hookB", MsgOther}, {"orig", MsgOther}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, removed));
    EXPECT_EQ(wnd.HookCount(), 1);
}

// ---- Teardown ----

TEST_F(WindowBase, DestroyInsideAHandlerTearsDownWhenTheOutermostCallReturns)
{
    int deletions = 0;
    LoggedWnd* wnd = AutoDeleted(deletions);
    HWND h = *wnd;
    LoggedHook hook("hook");
    hook.AddToWnd(wnd);
    // The handler destroys the window before its base sees the message, then goes on using the object.
    wnd->handler = [&](LoggedWnd* self, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != MsgPing)
            return false;
        DestroyWindow(*self);
        sequence.Event("handler goes on");
        EXPECT_EQ(static_cast<HWND>(*self), h);
        EXPECT_EQ(deletions, 0);
        EXPECT_EQ(self->HookCount(), 1);
        result = 77;
        return true;
    };
    sequence.Clear();
    EXPECT_EQ(SendMessageW(h, MsgPing, 0, 0), 77);
    static const SeqEntry tornDown[] = {
        {"wnd", MsgPing}, {"wnd", WM_DESTROY}, {"hook", WM_DESTROY}, {"wnd", WM_NCDESTROY}, {"hook", WM_NCDESTROY},
        {"handler goes on"}, {"OnPostNcDestroy"}, {"~wnd"}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, tornDown));
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(CSWnd::GetWnd(h), nullptr);
}

TEST_F(WindowBase, DestroyInsideANestedHookDispatchWaitsForTheOutermost)
{
    int deletions = 0;
    LoggedWnd* wnd = AutoDeleted(deletions);
    LoggedHook hook("hook", [&](CSWnd* w, UINT msg, WPARAM, LPARAM, LRESULT* result) {
        if (msg == MsgPing) {
            w->SendMsg(MsgOther, 0, 0);
            sequence.Event("outer goes on");
            EXPECT_EQ(deletions, 0);
            *result = 5;
        } else if (msg == MsgOther) {
            DestroyWindow(*w);
            sequence.Event("inner goes on");
        }
        return msg == MsgPing || msg == MsgOther;
    });
    hook.AddToWnd(wnd);
    sequence.Clear();
    EXPECT_EQ(SendMessageW(*wnd, MsgPing, 0, 0), 5);
    static const SeqEntry tornDown[] = {
        {"wnd", MsgPing}, {"hook", MsgPing}, {"wnd", MsgOther}, {"hook", MsgOther},
        {"wnd", WM_DESTROY}, {"hook", WM_DESTROY}, {"wnd", WM_NCDESTROY}, {"hook", WM_NCDESTROY},
        {"inner goes on"}, {"outer goes on"}, {"OnPostNcDestroy"}, {"~wnd"}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, tornDown));
    EXPECT_EQ(deletions, 1);

    // An override that keeps WM_NCDESTROY to itself is still torn down.
    LoggedWnd selfish;
    selfish.handler = [](LoggedWnd*, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        result = 0;
        return msg == WM_NCDESTROY;
    };
    ASSERT_EQ(CreateFramework(selfish), 1);
    HWND h = selfish;
    selfish.Destroy();
    EXPECT_EQ(static_cast<HWND>(selfish), nullptr);
    EXPECT_EQ(CSWnd::GetWnd(h), nullptr);
}

// ---- The cache ----

TEST_F(WindowBase, NineLiveWindowsAndTheCache)
{
    static const char* names[] = {"w0", "w1", "w2", "w3", "w4", "w5", "w6", "w7", "w8", "w9"};
    std::unique_ptr<LoggedWnd> wnds[10];
    for (int i = 0; i < 9; ++i) {
        wnds[i].reset(new LoggedWnd(names[i]));
        ASSERT_EQ(CreateFramework(*wnds[i]), 1);
    }
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(CSWnd::wndCache[i].hwnd == *wnds[i] && CSWnd::wndCache[i].pWnd == wnds[i].get()) << i;
    // The ninth is known through its property alone, and works.
    HWND ninth = *wnds[8];
    for (const WND_CACHE_ITEM& item : CSWnd::wndCache)
        EXPECT_NE(item.hwnd, ninth);
    EXPECT_EQ(CSWnd::GetWnd(ninth), wnds[8].get());
    sequence.Clear();
    SendMessageW(ninth, MsgPing, 0, 0);
    static const SeqEntry reached[] = {{"w8", MsgPing}, {nullptr}};
    EXPECT_TRUE(OkSequence(sequence, reached));

    // A freed item goes to the next window bound, not to one already bound.
    wnds[2]->Destroy();
    EXPECT_EQ(CSWnd::wndCache[2].hwnd, nullptr);
    wnds[9].reset(new LoggedWnd(names[9]));
    ASSERT_EQ(CreateFramework(*wnds[9]), 1);
    EXPECT_TRUE(CSWnd::wndCache[2].hwnd == *wnds[9] && CSWnd::wndCache[2].pWnd == wnds[9].get());
    EXPECT_EQ(CSWnd::GetWnd(ninth), wnds[8].get());
    for (auto& wnd : wnds)
        wnd->Destroy();
}

// ---- Operations ----

TEST_F(WindowBase, OperationsWithoutAWindowDoNothing)
{
    // A null handle means the desktop or every top-level window to several of these calls.
    LoggedWnd wnd;
    HWND focus = GetFocus();
    wchar_t text[8] = L"x";
    EXPECT_FALSE(wnd.Redraw() || wnd.InvalidateUpdate(nullptr, TRUE) || wnd.SetTextFmt(L"%d", 1));
    EXPECT_EQ(wnd.SetFocus(), nullptr);
    EXPECT_EQ(GetFocus(), focus);
    EXPECT_EQ(wnd.GetText(text, 8), 0);
    EXPECT_EQ(text[0], L'\0');
    EXPECT_EQ(wnd.GetTopParent(), nullptr);
    wnd.EnableAllControls(FALSE);
    CSWnd* volatile none = nullptr;
    EXPECT_EQ(none->IsReady(), 0);
}

TEST_F(WindowBase, EnableAllControlsLeavesStaticTextAlone)
{
    PlainWindow top;
    HINSTANCE self = GetModuleHandleW(nullptr);
    HWND button = CreateWindowExW(0, L"Button", L"b", WS_CHILD, 0, 0, 10, 10, top, nullptr, self, nullptr);
    HWND label = CreateWindowExW(0, L"Static", L"s", WS_CHILD, 0, 0, 10, 10, top, nullptr, self, nullptr);
    PlainWindow group(top, WS_CHILD);
    HWND nested = CreateWindowExW(0, L"Edit", L"e", WS_CHILD, 0, 0, 10, 10, group, nullptr, self, nullptr);
    CSWnd wnd;
    wnd.Attach(top);
    wnd.EnableAllControls(FALSE);
    EXPECT_FALSE(IsWindowEnabled(button) || IsWindowEnabled(group) || IsWindowEnabled(nested));
    EXPECT_TRUE(IsWindowEnabled(label) && IsWindowEnabled(top));
    wnd.EnableAllControls(TRUE);
    EXPECT_TRUE(IsWindowEnabled(button) && IsWindowEnabled(nested));
    wnd.Detach();
}

TEST_F(WindowBase, SetTextFmtFormatsTheWindowsWayTruncatesAndReadsResources)
{
    PlainWindow plain;
    CSWnd wnd;
    wnd.Attach(plain);
    auto text = [&wnd] {
        wchar_t buf[2048];
        wnd.GetText(buf, 2048);
        return std::wstring(buf);
    };
    EXPECT_TRUE(wnd.SetTextFmt(L"%s has %d items", L"Desktop", 12));
    EXPECT_EQ(text(), L"Desktop has 12 items");
    std::wstring longText(2000, L'a');
    for (size_t i = 0; i < longText.size(); ++i)
        longText[i] = static_cast<wchar_t>(L'a' + i % 26);
    EXPECT_TRUE(wnd.SetTextFmt(L"<%s>", longText.c_str()));
    EXPECT_EQ(text(), L"<" + longText.substr(0, 1022));

    EXPECT_TRUE(wnd.SetTextFmt(Library(), 20003));  // a string of a module's own
    EXPECT_EQ(text(), L"Browse for file");
    // A missing string formats as empty, for either sign of the number.
    for (UINT missing : {0xFFF0u, static_cast<UINT>(-0xFFF0)}) {
        wnd.SetText(L"before");
        EXPECT_TRUE(wnd.SetText(missing));
        EXPECT_EQ(text(), L"");
    }
    wnd.Detach();
}

// ---- CSWndEx ----

class WindowEx : public WindowBase {
protected:
    void SetUp() override
    {
        WindowBase::SetUp();
        onReport = nullptr;
        ASSERT_EQ(ex.SubclassEx(plain), 1);
    }
    void TearDown() override
    {
        ex.UnsubclassEx();
        WindowBase::TearDown();
    }

    PlainWindow plain, receiver{nullptr, WS_POPUP, ReceiverClass};
    CSWndEx ex;
};

TEST_F(WindowEx, BindsThroughItsOwnPropertyOnly)
{
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(CSWndEx::WndProcEx));
    EXPECT_EQ(CSWndEx::GetWndEx(plain), &ex);
    EXPECT_EQ(CSWnd::GetWnd(plain), nullptr);
    EXPECT_EQ(GetPropW(plain, L"CSWND"), nullptr);
    EXPECT_TRUE(ex.IsSubclassed());

    // Again: nothing changes. Another object on the same window is refused.
    EXPECT_EQ(ex.SubclassEx(nullptr), 1);
    EXPECT_EQ(ex.GetPrevWndProc(), PlainProc);
    CSWndEx second;
    EXPECT_EQ(second.SubclassEx(plain), 0);
    EXPECT_EQ(SendMessageW(plain, MsgPing, 0, 0), 1001);
    static const SeqEntry once[] = {{"orig", MsgPing}, {nullptr}};
    EXPECT_TRUE(OkSequence(sequence, once));

    EXPECT_EQ(ex.UnsubclassEx(), 1);
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(PlainProc));
    EXPECT_EQ(CSWndEx::GetWndEx(plain), nullptr);
    EXPECT_FALSE(ex.IsSubclassed());
    EXPECT_EQ(ex.UnsubclassEx(), 0);

    // Without the property the procedure answers 0 and passes nothing on.
    sequence.Clear();
    EXPECT_EQ(CSWndEx::WndProcEx(plain, MsgPing, 0, 0), 0);
    EXPECT_TRUE(sequence.Records().empty());
}

TEST_F(WindowEx, ReportsChosenMessagesBeforeAndAfterHandling)
{
    static MSG_CALLBACK_ITEM table[] = {{MsgPing, MsgCallbackBefore | MsgCallbackAfter}, {MsgOther, MsgCallbackAfter}, {0, 0}};
    ex.SetMsgCallback(receiver, table, MsgReport, ReportTag);
    EXPECT_EQ(SendMessageW(plain, MsgPing, 1, 2), 1001);
    EXPECT_EQ(reportWParam, ReportTag);
    EXPECT_EQ(SendMessageW(plain, MsgOther, 3, 4), 1002);
    EXPECT_EQ(SendMessageW(plain, WM_APP + 3, 0, 0), 1003);
    static const SeqEntry reported[] = {
        {"before", MsgPing, SeqWParam | SeqLParam, 1, 2}, {"orig", MsgPing, SeqWParam | SeqLParam, 1, 2},
        {"after", MsgPing, SeqWParam | SeqLParam, 1, 2}, {"orig", MsgOther},
        {"after", MsgOther, SeqWParam | SeqLParam, 3, 4}, {"orig", WM_APP + 3}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, reported));

    // No callback window, or a table that ends before the message: no reports.
    sequence.Clear();
    ex.SetMsgCallback(nullptr, table, MsgReport, ReportTag);
    SendMessageW(plain, MsgPing, 0, 0);
    static MSG_CALLBACK_ITEM empty[] = {{MsgPing, 0}, {MsgPing, MsgCallbackBefore}, {0, 0}};
    ex.SetMsgCallback(receiver, empty, MsgReport, ReportTag);
    SendMessageW(plain, MsgPing, 0, 0);
    static MSG_CALLBACK_ITEM cut[] = {{MsgOther, MsgCallbackBefore}, {0, 0}, {MsgPing, MsgCallbackBefore}};
    ex.SetMsgCallback(receiver, cut, MsgReport, ReportTag);
    SendMessageW(plain, MsgPing, 0, 0);
    static const SeqEntry silent[] = {{"orig", MsgPing}, {"orig", MsgPing}, {"orig", MsgPing}, {nullptr}};
    EXPECT_TRUE(OkSequence(sequence, silent));
}

TEST_F(WindowEx, TheReceiverMayAnswerOrChangeTheMessage)
{
    static MSG_CALLBACK_ITEM table[] = {
        {MsgPing, MsgCallbackBefore | MsgCallbackAfter}, {MsgOther, MsgCallbackBefore | MsgCallbackAfter}, {0, 0}};
    ex.SetMsgCallback(receiver, table, MsgReport, ReportTag);

    // Answered before handling: nothing else happens.
    onReport = [](MSG_CALLBACK_DATA* data) -> LRESULT {
        data->bHandled = TRUE;
        return 55;
    };
    EXPECT_EQ(SendMessageW(plain, MsgPing, 0, 0), 55);

    // Changed before handling: the rest sees the new message and arguments.
    onReport = [](MSG_CALLBACK_DATA* data) -> LRESULT {
        if (!data->bAfter && data->msg == MsgPing) {
            data->msg = MsgOther;
            data->wParam = 5;
            data->lParam = 6;
            data->bChanged = TRUE;
        }
        return 0;
    };
    EXPECT_EQ(SendMessageW(plain, MsgPing, 1, 2), 1002);

    // Answered after handling: the answer replaces the result.
    onReport = [](MSG_CALLBACK_DATA* data) -> LRESULT {
        data->bHandled = data->bAfter;
        return 77;
    };
    EXPECT_EQ(SendMessageW(plain, MsgOther, 0, 0), 77);

    static const SeqEntry answered[] = {
        {"before", MsgPing}, {"before", MsgPing, SeqWParam | SeqLParam, 1, 2},
        {"orig", MsgOther, SeqWParam | SeqLParam, 5, 6}, {"after", MsgOther, SeqWParam | SeqLParam, 5, 6},
        {"before", MsgOther}, {"orig", MsgOther}, {"after", MsgOther}, {nullptr},
    };
    EXPECT_TRUE(OkSequence(sequence, answered));
}

struct NotifySeen {
    ULONG_PTR data = 0;
    UINT code = 0;
    int answer = 0;
};

int __cdecl NotifyCallbackForTest(ULONG_PTR data, NMHDR* pnm, LRESULT* pResult)
{
    auto* seen = reinterpret_cast<NotifySeen*>(data);
    seen->data = data;
    seen->code = pnm->code;
    *pResult = seen->answer;
    return seen->answer != 0;
}

TEST_F(WindowEx, NotificationsGoToTheNotifyCallbackFirst)
{
    NotifySeen seen;
    seen.answer = 31;
    ex.SetNotifyCallback(NotifyCallbackForTest, reinterpret_cast<ULONG_PTR>(&seen));
    NMHDR header = {plain, 7, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(SendMessageW(plain, WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header)), 31);
    EXPECT_EQ(seen.data, reinterpret_cast<ULONG_PTR>(&seen));
    EXPECT_EQ(seen.code, static_cast<UINT>(NM_CLICK));
    EXPECT_TRUE(sequence.Records().empty());

    // Not answered: the window's own procedure gets it.
    seen.answer = 0;
    SendMessageW(plain, WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header));
    // A notification without its header reaches only the procedure.
    SendMessageW(plain, WM_NOTIFY, 7, 0);
    const SeqEntry passed[] = {
        {"orig", WM_NOTIFY, SeqLParam, 0, reinterpret_cast<LPARAM>(&header)}, {"orig", WM_NOTIFY, SeqLParam, 0, 0}, {nullptr}};
    EXPECT_TRUE(OkSequence(sequence, passed));
}

TEST_F(WindowEx, UnsubclassingFromAReportWaitsForTheMessageToFinish)
{
    static MSG_CALLBACK_ITEM table[] = {{MsgPing, MsgCallbackBefore}, {0, 0}};
    ex.SetMsgCallback(receiver, table, MsgReport, ReportTag);
    int asked = -1;
    onReport = [&](MSG_CALLBACK_DATA*) -> LRESULT {
        asked = ex.UnsubclassEx();
        EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(CSWndEx::WndProcEx));
        return 0;
    };
    // The message still reaches the original procedure.
    EXPECT_EQ(SendMessageW(plain, MsgPing, 0, 0), 1001);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(PlainProc));
    EXPECT_FALSE(ex.IsSubclassed());
    static const SeqEntry finished[] = {{"before", MsgPing}, {"orig", MsgPing}, {nullptr}};
    EXPECT_TRUE(OkSequence(sequence, finished));
}

TEST_F(WindowEx, TheWindowsEndOrTheObjectsEndUnbinds)
{
    {
        PlainWindow doomed, next;
        CSWndEx watcher;
        ASSERT_EQ(watcher.SubclassEx(doomed), 1);
        DestroyWindow(doomed);
        EXPECT_FALSE(watcher.IsSubclassed());
        EXPECT_EQ(watcher.SubclassEx(next), 1);  // free to watch another window
    }
    static const SeqEntry ended[] = {
        {"orig", WM_DESTROY}, {"orig", WM_NCDESTROY}, {"orig", WM_DESTROY}, {"orig", WM_NCDESTROY}, {nullptr}};
    EXPECT_TRUE(OkSequence(sequence, ended));
    // The object goes first: the window gets its own procedure back.
    PlainWindow other;
    ASSERT_EQ(CSWndEx().SubclassEx(other), 1);
    EXPECT_EQ(GetWindowLongPtrW(other, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(PlainProc));
    EXPECT_EQ(CSWndEx::GetWndEx(other), nullptr);
}


} // namespace
