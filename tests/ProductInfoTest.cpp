// The product identity: its long title, the registry root rules, resource numbers, versions, messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/Entry.h"
#include "product/ProductInfo.h"
#include "tests/support/TestSupport.h"

namespace {

const wchar_t ProductRoot[] = L"HKCU\\Software\\Corvantrix\\Glimpsebox";

// Puts the process-wide root back however a test ends.
class RootKeyGuard {
public:
    ~RootKeyGuard()
    {
        GetProductInfo()->PopAppRootKey();
        GetProductInfo()->SetAppRootKey(ProductRoot);
    }
};

// The "CorvantrixMessage"s that a window with this procedure receives; each is answered 77.
std::vector<std::pair<WPARAM, LPARAM>> received;

LRESULT CALLBACK Recorder(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != ProductInfo::GetMyMessage())
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    received.emplace_back(wParam, lParam);
    return 77;
}

} // namespace

TEST(ProductInfo, LongTitleAndMessageCaption)
{
    ProductInfo* product = GetProductInfo();
    wchar_t title[64];
    EXPECT_EQ(product->MakeTitleLong(title, 64), title);
    EXPECT_STREQ(title, L"Glimpsebox XP Edition 1.11");
    EXPECT_STREQ(product->MakeTitleLong(title, 10), L"Glimpsebo");  // cut to the buffer
    title[0] = L'#';
    product->MakeTitleLong(title, 0);
    EXPECT_EQ(title[0], L'#');
    EXPECT_EQ(product->MakeTitleLong(nullptr, 10), nullptr);
    EXPECT_STREQ(product->GetMsgTitle(), product->GetNickName());
}

TEST(ProductInfo, RootKeyPrecedence)
{
    RootKeyGuard guard;
    ProductInfo* product = GetProductInfo();
    HINSTANCE host = GetModuleHandleW(nullptr);
    // Set by the library as it loaded.
    EXPECT_STREQ(product->GetAppRootKey(), ProductRoot);
    EXPECT_EQ(ProductInfo::GetAppInstance(), hiDLL);
    EXPECT_STREQ(product->GetComponent(), L"Glimpsebox");

    {
        AppInstance launcher(host, nullptr);
        // Without a component the instance has no key of its own: the buffer still answers.
        EXPECT_EQ(launcher.GetAppRootKey(), nullptr);
        EXPECT_STREQ(product->GetAppRootKey(), ProductRoot);
        EXPECT_EQ(ProductInfo::GetAppInstance(), host);
        {
            AppInstance tool(hiDLL, L"Tools");
            EXPECT_STREQ(product->GetAppRootKey(), L"HKCU\\Software\\Corvantrix\\Glimpsebox\\Tools");
            EXPECT_EQ(ProductInfo::GetAppInstance(), hiDLL);
            EXPECT_STREQ(product->GetComponent(), L"Tools");

            // The current instance has a key: setting the root replaces that key only.
            product->SetAppRootKey(L"HKCU\\Software\\Corvantrix\\Other");
            EXPECT_STREQ(tool.GetAppRootKey(), L"HKCU\\Software\\Corvantrix\\Other");
            EXPECT_STREQ(product->GetAppRootKey(), L"HKCU\\Software\\Corvantrix\\Other");

            // A pushed key wins over everything; one level only.
            product->PushAppRootKey(L"HKCU\\Pushed\\One");
            product->PushAppRootKey(L"HKCU\\Pushed\\Two");
            EXPECT_STREQ(product->GetAppRootKey(), L"HKCU\\Pushed\\Two");
            product->PopAppRootKey();
            EXPECT_STREQ(product->GetAppRootKey(), L"HKCU\\Software\\Corvantrix\\Other");
            product->PushAppRootKey(L"HKCU\\Pushed\\Three");
        }
        // Leaving clears the pushed key; the earlier instance is current again.
        EXPECT_EQ(ProductInfo::GetAppInstance(), host);
        EXPECT_STREQ(product->GetAppRootKey(), ProductRoot);

        product->PushAppRootKey(L"HKCU\\Pushed\\Four");
    }
    // The last instance gone: no current one, no pushed key, the library's own module.
    EXPECT_EQ(ProductInfo::GetAppInstance(), hiDLL);
    EXPECT_STREQ(product->GetAppRootKey(), ProductRoot);
    EXPECT_STREQ(product->GetComponent(), L"Glimpsebox");

    // An empty buffer falls back to the maker's root, the name and the nick name.
    product->SetAppRootKey(L"");
    product->PushAppRootKey(nullptr);
    EXPECT_STREQ(product->GetAppRootKey(), L"HKCU\\Software\\Corvantrix\\Glimpsebox\\Glimpsebox");
    product->SetAppRootKey(nullptr);
    EXPECT_STREQ(product->GetAppRootKey(), L"HKCU\\Software\\Corvantrix\\Glimpsebox\\Glimpsebox");

    // The buffer holds 255 characters and the terminator.
    std::wstring key = L"HKCU\\Software\\" + std::wstring(400, L'k');
    product->SetAppRootKey(key.c_str());
    EXPECT_EQ(key.substr(0, 255), product->GetAppRootKey());

    // The older instance leaves first: the newer stays current.
    auto* first = new AppInstance(host, L"First");
    auto* second = new AppInstance(hiDLL, L"Second");
    delete first;
    EXPECT_STREQ(product->GetComponent(), L"Second");
    delete second;
    EXPECT_STREQ(product->GetComponent(), L"Glimpsebox");
    EXPECT_EQ(ProductInfo::GetAppInstance(), hiDLL);
}

TEST(ProductInfo, LauncherRegistersThroughPlainExports)
{
    RootKeyGuard guard;
    HMODULE library = test::Library();
    typedef AppInstance*(__cdecl * CreateFn)(HINSTANCE, const wchar_t*);
    typedef void(__cdecl * DestroyFn)(AppInstance*);
    auto create = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(library, "CreateAppInstance")));
    auto destroy = reinterpret_cast<DestroyFn>(reinterpret_cast<void*>(GetProcAddress(library, "DestroyAppInstance")));
    ASSERT_NE(create, nullptr);
    ASSERT_NE(destroy, nullptr);

    HINSTANCE exe = GetModuleHandleW(nullptr);
    AppInstance* app = create(exe, nullptr);
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(ProductInfo::GetAppInstance(), exe);
    EXPECT_STREQ(GetProductInfo()->GetAppRootKey(), ProductRoot);
    destroy(app);
    EXPECT_EQ(ProductInfo::GetAppInstance(), hiDLL);
    destroy(nullptr);
}

TEST(ProductInfo, ResourceNumbersAndVersions)
{
    // Negative: the library's; positive: the current host's module, the library's when there is
    // none; zero: nothing; a given module is kept.
    const HINSTANCE exe = GetModuleHandleW(nullptr), user32 = GetModuleHandleW(L"user32.dll");
    struct { int id; HINSTANCE given; bool host; int idAfter; HINSTANCE after; } const cases[] = {
        {-101, nullptr, false, 101, hiDLL}, {5, nullptr, false, 5, hiDLL}, {5, nullptr, true, 5, exe},
        {0, nullptr, false, 0, nullptr}, {-7, user32, false, 7, user32}, {INT_MIN, nullptr, false, INT_MIN, hiDLL},
    };
    for (const auto& c : cases) {
        std::unique_ptr<AppInstance> host(c.host ? new AppInstance(exe, nullptr) : nullptr);
        int id = c.id;
        HINSTANCE instance = c.given;
        ProductInfo::ConvertResourceId(id, instance);
        EXPECT_EQ(instance, c.after) << c.id;
        EXPECT_TRUE(c.id == INT_MIN || id == c.idAfter) << c.id;
    }

    // The same version or an older one, with or without leading letters; fewer parts sort
    // before, more parts after; no digits at all is nothing newer.
    ProductInfo* product = GetProductInfo();
    for (const wchar_t* same : {L"1.11", L"v1.11", L"Version 1.11", L"1.10", L"V1.09", L"0.99", L"1", L"1.1", L"beta",
                                L"", static_cast<const wchar_t*>(nullptr)})
        EXPECT_TRUE(product->IsSameVersion(same)) << (same ? test::ToUtf8(same) : "null");
    for (const wchar_t* newer : {L"1.12", L"v2", L"1.11b", L"1.11.1"})
        EXPECT_FALSE(product->IsSameVersion(newer)) << test::ToUtf8(newer);
}

TEST(ProductInfo, MyMessageIsSentPostedAndBroadcastAndShutDownAsksEveryWindowToClose)
{
    HWND recorder = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(recorder, nullptr);
    SetWindowLongPtrW(recorder, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Recorder));
    UINT id = ProductInfo::GetMyMessage();
    EXPECT_EQ(id, RegisterWindowMessageW(L"CorvantrixMessage"));
    EXPECT_EQ(ProductInfo::SendMyMessage(recorder, MyMsgIdentify, 141), 77);
    EXPECT_TRUE(ProductInfo::PostMyMessage(recorder, MyMsgOptionsChanged, 0));
    test::PumpUntil([&] { return received.size() == 2; }, 5000);
    EXPECT_TRUE(ProductInfo::BroadcastMyMessage(MyMsgTrayNotice, 1));
    test::PumpUntil([&] { return received.size() == 3; }, 5000);
    EXPECT_EQ(received, (std::vector<std::pair<WPARAM, LPARAM>>{{121, 141}, {53, 0}, {51, 1}}));

    // A null window is refused: nothing lands in this thread's own queue.
    EXPECT_EQ(ProductInfo::SendMyMessage(nullptr, MyMsgClose, 1192), 0);
    EXPECT_FALSE(ProductInfo::PostMyMessage(nullptr, MyMsgClose, 1192));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, id, id, PM_NOREMOVE));

    received.clear();
    GetProductInfo()->ShutDownMyModules(nullptr, nullptr, 0);
    test::PumpUntil([&] { return received.size() >= 2; }, 5000);
    EXPECT_EQ(received, (std::vector<std::pair<WPARAM, LPARAM>>{{MyMsgClose, 1192}, {MyMsgShutDown, 1192}}));
    DestroyWindow(recorder);
}
