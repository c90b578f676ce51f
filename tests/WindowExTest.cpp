// CSWndEx: its own binding, the before and after reports to a callback window, WM_NOTIFY, unbinding.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "tests/support/MessageSequence.h"
#include "ui/CSWndEx.h"

using test::OkSequence;
using test::SeqEntry;
using test::SeqLParam;
using test::SeqWParam;

namespace {

test::MessageLog sequence;

const wchar_t PlainClass[] = L"GlmbxTestPlainEx";
const UINT MsgPing = WM_APP + 1;
const UINT MsgOther = WM_APP + 2;
// What the callback window is sent, and the wParam that comes with it.
const UINT MsgReport = WM_APP + 100;
const UINT ReportTag = 0x5151;

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= WM_APP) {
        sequence.Add("orig", msg, wParam, lParam);
        return 1000 + (msg - WM_APP);
    }
    if (msg == WM_DESTROY || msg == WM_NCDESTROY || msg == WM_NOTIFY)
        sequence.Add("orig", msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The receiver of the reports: logs "before" or "after" with the reported message.
std::function<LRESULT(MSG_CALLBACK_DATA*)> onReport;
UINT reportWParam;

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != MsgReport)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    auto* data = reinterpret_cast<MSG_CALLBACK_DATA*>(lParam);
    reportWParam = static_cast<UINT>(wParam);
    sequence.Add(data->bAfter ? "after" : "before", data->msg, data->wParam, data->lParam);
    // The sender clears these before every report.
    EXPECT_FALSE(data->bHandled);
    EXPECT_FALSE(data->bChanged);
    return onReport ? onReport(data) : 0;
}

// A hidden window of one of the two classes above.
class Window {
public:
    explicit Window(WNDPROC proc)
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = proc == PlainProc ? PlainClass : L"GlmbxTestReceiver";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~Window() { DestroyWindow(hwnd); }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    operator HWND() const { return hwnd; }

private:
    HWND hwnd;
};

class WindowEx : public ::testing::Test {
protected:
    void SetUp() override
    {
        sequence.Clear();
        onReport = nullptr;
        ASSERT_EQ(ex.SubclassEx(plain), 1);
    }
    void TearDown() override { ex.UnsubclassEx(); }

    Window plain{PlainProc};
    Window receiver{ReceiverProc};
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
        Window doomed(PlainProc), next(PlainProc);
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
    Window other(PlainProc);
    ASSERT_EQ(CSWndEx().SubclassEx(other), 1);
    EXPECT_EQ(GetWindowLongPtrW(other, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(PlainProc));
    EXPECT_EQ(CSWndEx::GetWndEx(other), nullptr);
}

} // namespace
