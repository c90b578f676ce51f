// The product's help under Wine's HTML Help: the page asked for, F1 in a dialog, a missing or
// damaged help file.
#include <gtest/gtest.h>

#include <windows.h>
#include <htmlhelp.h>
#include <urlmon.h>

#include <string>
#include <vector>

#include "product/Help.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestSupport.h"
#include "ui/CSDlg.h"

using test::Text;

namespace {

const wchar_t HelpTitle[] = L"Glimpsebox User's Guide";  // the compiled file's own title
const wchar_t ConfiguringPage[] = L"users-guide_configuring.htm";
const int ProgressDlgId = 28000;

// The pages that help windows of this process ask for. Wine's HTML Help shows a topic in its
// browser control, which asks urlmon for "mk:@MSITStore:<file>::/<page>"; a name-space handler
// for "mk" registered in the process sees every such request first. The object is its own
// factory and serves every request itself, answering "not found": without Gecko nothing could
// render the page anyway. It lives on the stack, so references are not counted.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class PageRequests : public IClassFactory, public IInternetProtocol {
public:
    PageRequests()
    {
        if (SUCCEEDED(CoInternetGetSession(0, &session, 0)))
            registered = SUCCEEDED(session->RegisterNameSpace(this, HandlerId, L"mk", 0, nullptr, 0));
    }
    ~PageRequests()
    {
        if (registered)
            session->UnregisterNameSpace(this, L"mk");
        if (session)
            session->Release();
    }
    PageRequests(const PageRequests&) = delete;
    PageRequests& operator=(const PageRequests&) = delete;

    bool registered = false;
    std::vector<std::wstring> urls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IClassFactory)
            *out = static_cast<IClassFactory*>(this);
        else if (iid == IID_IInternetProtocolRoot || iid == IID_IInternetProtocol)
            *out = static_cast<IInternetProtocol*>(this);
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        *out = nullptr;
        return outer ? CLASS_E_NOAGGREGATION : QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE Start(LPCWSTR url, IInternetProtocolSink*, IInternetBindInfo*, DWORD, HANDLE_PTR) override
    {
        urls.push_back(url ? url : L"");
        return INET_E_RESOURCE_NOT_FOUND;
    }
    HRESULT STDMETHODCALLTYPE Continue(PROTOCOLDATA*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Abort(HRESULT, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Terminate(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Suspend() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Resume() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG* read) override
    {
        if (read)
            *read = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRequest(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UnlockRequest() override { return S_OK; }

private:
    static constexpr CLSID HandlerId = {0x6c1f0d52, 0x3b7e, 0x4a51, {0x9d, 0x2e, 0x47, 0x10, 0xa3, 0x5b, 0x61, 0x08}};
    IInternetSession* session = nullptr;
};
#pragma GCC diagnostic pop

// What the browser of a help window asks for to show page of the help file beside the library
// (the test programs' folder).
std::wstring PageUrl(const wchar_t* page)
{
    return L"mk:@MSITStore:" + test::ExeDir() + L"\\Glimpsebox.chm::/" + page;
}

// The visible help windows of this process.
std::vector<HWND> HelpWindows()
{
    std::vector<HWND> found;
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, L"HH Parent", nullptr)) != nullptr;) {
        DWORD process = 0;
        GetWindowThreadProcessId(h, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(h))
            found.push_back(h);
    }
    return found;
}

void CloseHelpWindows()
{
    for (HWND help : HelpWindows())
        SendMessageW(help, WM_CLOSE, 0, 0);
}

// A dialog that names its own help page.
class PageDlg : public CSDlg {
public:
    const wchar_t* GetHtmlPage(UINT) override { return ConfiguringPage; }
};

} // namespace

TEST(ProductHelp, F1AndACallOpenTheirPagesOfTheFileBesideTheLibraryInOneWindow)
{
    PageRequests requests;
    ASSERT_TRUE(requests.registered);
    test::BoxAnswerer boxes(IDOK);
    PageDlg dlg;
    ASSERT_NE(dlg.Modeless(-ProgressDlgId, nullptr, nullptr, TRUE), nullptr);
    SetForegroundWindow(dlg);
    ASSERT_TRUE(test::PumpUntil([&] { return GetForegroundWindow() == dlg.GetHandle(); }, 5000));
    EXPECT_EQ(GetModuleHandleW(L"hhctrl.ocx"), nullptr);  // loaded on first use

    // A real F1, with the pointer on the dialog's caption: otherwise the key may go astray
    // (docs/WINE.md).
    RECT frame = {};
    GetWindowRect(dlg, &frame);
    POINT caption = {(frame.left + frame.right) / 2, frame.top + GetSystemMetrics(SM_CYCAPTION) / 2};
    ASSERT_TRUE(test::Xdo(test::MoveTo(caption) + " key F1"));
    ASSERT_TRUE(test::PumpUntil([&] { return !requests.urls.empty(); }, 10000));
    EXPECT_EQ(requests.urls, std::vector<std::wstring>{PageUrl(ConfiguringPage)});
    ASSERT_EQ(HelpWindows().size(), 1u);
    HWND help = HelpWindows()[0];
    EXPECT_EQ(Text(help), HelpTitle);

    // Another topic goes to the same window.
    EXPECT_TRUE(CSHtmlHelp(nullptr, L"users-guide_legal.htm", HH_DISPLAY_TOPIC, 0));
    ASSERT_TRUE(test::PumpUntil([&] { return requests.urls.size() == 2; }, 10000));
    EXPECT_EQ(requests.urls[1], PageUrl(L"users-guide_legal.htm"));
    EXPECT_EQ(HelpWindows(), std::vector<HWND>{help});
    EXPECT_EQ(boxes.count, 0);
    CloseHelpWindows();
    DestroyWindow(dlg);
}

// A copy of the library in a folder of its own, run by HelpHelper.exe: first without a help
// file, then with one that is not a compiled help file.
TEST(ProductHelp, MissingOrDamagedFileEndsInOneStopMessage)
{
    std::wstring folder = test::NewTempDir(L"HelpAway");
    for (const wchar_t* file : {test::LibraryFile, L"HelpHelper.exe"})
        ASSERT_TRUE(CopyFileW((test::ExeDir() + L"\\" + file).c_str(), (folder + L"\\" + file).c_str(), FALSE));
    std::wstring helpFile = folder + L"\\Glimpsebox.chm";
    DeleteFileW(helpFile.c_str());

    // The helper's three log lines, or none when it did not run to its end.
    auto run = [&folder] {
        test::ChildProcess helper;
        if (!helper.StartIn(folder, L"HelpHelper.exe", ConfiguringPage) || !helper.WaitForEnd(60000) ||
            helper.ExitCode() != 0)
            return std::vector<std::string>();
        return helper.Lines();
    };

    std::vector<std::string> missing = run();
    ASSERT_EQ(missing.size(), 3u);
    EXPECT_EQ(missing[0], "library=" + test::ToUtf8(folder) + "\\" + test::ToUtf8(test::LibraryFile));
    // The message names the whole path, and HTML Help is never touched.
    EXPECT_EQ(missing[1], "result=0 boxes=1 icon=stop hhctrl=0");
    EXPECT_EQ(missing[2], "text=Cannot find the help file " + test::ToUtf8(helpFile) + ".");

    ASSERT_TRUE(test::WriteUtf8File(helpFile, "This is not a compiled help file.\r\n"));
    std::vector<std::string> damaged = run();
    ASSERT_EQ(damaged.size(), 3u);
    EXPECT_EQ(damaged[1], "result=0 boxes=1 icon=stop hhctrl=1");
    EXPECT_EQ(damaged[2],
              "text=Sorry, your version of Windows does not support HtmlHelp format.\\n\\nPlease visit the software "
              "publisher's web site for the online version of the user's guide.");
}
