// The product identity: its slot table, the registry root rules, resource numbers, versions, messages.
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

// The identity's table as another module sees it: declared here on its own, slot by slot, so
// that a reordering in the library's header shows up as wrong values. Outside the anonymous
// namespace: there the compiler would know that nothing implements it.
namespace table {

class IdentitySlots {
public:
    virtual WORD Slot0() = 0;
    virtual const wchar_t* Slot1() = 0;
    virtual const wchar_t* Slot2() = 0;
    virtual BOOL Slot3() = 0;
    virtual const wchar_t* Slot4() = 0;
    virtual const wchar_t* Slot5() = 0;
    virtual const wchar_t* Slot6() = 0;
    virtual unsigned Slot7() = 0;
    virtual const wchar_t* Slot8() = 0;
    virtual unsigned Slot9() = 0;
    virtual const wchar_t* Slot10() = 0;
    virtual const wchar_t* Slot11() = 0;
    virtual const wchar_t* Slot12() = 0;
    virtual const wchar_t* Slot13() = 0;
    virtual const wchar_t* Slot14() = 0;
    virtual const wchar_t* Slot15() = 0;
    virtual const wchar_t* Slot16() = 0;
    virtual const wchar_t* Slot17() = 0;
    virtual int Slot18() = 0;
    virtual HINSTANCE Slot19() = 0;
    virtual const wchar_t* Slot20() = 0;
    virtual const wchar_t* Slot21() = 0;
    virtual const wchar_t* Slot22() = 0;
    virtual wchar_t* Slot23(wchar_t* buffer, unsigned size) = 0;

protected:
    ~IdentitySlots() = default;
};

} // namespace table

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

// A top-level window that records every "CorvantrixMessage" it receives.
class MyMessageRecorder {
public:
    MyMessageRecorder()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"GlmbxTestMyMessageRecorder";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"recorder", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               wc.hInstance, this);
    }
    ~MyMessageRecorder() { DestroyWindow(hwnd); }
    MyMessageRecorder(const MyMessageRecorder&) = delete;
    MyMessageRecorder& operator=(const MyMessageRecorder&) = delete;

    HWND hwnd;
    std::vector<std::pair<WPARAM, LPARAM>> received;
    LRESULT answer = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<MyMessageRecorder*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg == ProductInfo::GetMyMessage()) {
            self->received.emplace_back(wParam, lParam);
            return self->answer;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
};

} // namespace

TEST(ProductInfo, EverySlotThroughTheExportedObject)
{
    auto* slots = reinterpret_cast<table::IdentitySlots*>(GetProductInfo());
    EXPECT_EQ(slots->Slot0(), 1192);
    EXPECT_STREQ(slots->Slot1(), L"Glimpsebox");
    EXPECT_STREQ(slots->Slot2(), L"Glimpsebox");
    EXPECT_EQ(slots->Slot3(), FALSE);
    EXPECT_STREQ(slots->Slot4(), L"1.11");
    EXPECT_STREQ(slots->Slot5(), L"Version 1.11");
    EXPECT_STREQ(slots->Slot6(), L"Version 1.11 (rev. 253)");
    EXPECT_EQ(slots->Slot7(), 253u);
    EXPECT_STREQ(slots->Slot8(), L"253");
    EXPECT_EQ(slots->Slot9(), 253u);
    EXPECT_STREQ(slots->Slot10(), L"XP");
    EXPECT_STREQ(slots->Slot11(), L"XP Edition");
    EXPECT_STREQ(slots->Slot12(), L"for Windows\u00AE XP, 2000-2005.");
    EXPECT_STREQ(slots->Slot13(), L"2006");
    EXPECT_STREQ(slots->Slot14(), L"Glimpsebox.chm");
    EXPECT_EQ(std::wstring(slots->Slot15()).rfind(L"http://", 0), 0u);  // home page
    EXPECT_EQ(std::wstring(slots->Slot16()).rfind(L"http://", 0), 0u);  // support page
    EXPECT_STREQ(slots->Slot17(), L"Glimpsebox.exe");
    EXPECT_EQ(slots->Slot18(), -101);
    EXPECT_EQ(slots->Slot19(), hiDLL);
    EXPECT_NE(std::wstring(slots->Slot20()), L"");  // update server
    EXPECT_STREQ(slots->Slot21(), L"");
    EXPECT_STREQ(slots->Slot22(), L"Glimpsebox");
    wchar_t title[64];
    EXPECT_EQ(slots->Slot23(title, 64), title);
    EXPECT_STREQ(title, L"Glimpsebox XP Edition 1.11");

    EXPECT_STREQ(GetProductInfo()->GetRegTM(), L"[TM]");
    // The long title is cut to the buffer.
    wmemset(title, L'#', 10);
    EXPECT_STREQ(slots->Slot23(title, 10), L"Glimpsebo");
    title[0] = L'#';
    slots->Slot23(title, 0);
    EXPECT_EQ(title[0], L'#');
    EXPECT_EQ(slots->Slot23(nullptr, 10), nullptr);
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
        EXPECT_STREQ(product->GetComponent(), L"Glimpsebox");
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
    EXPECT_STREQ(product->GetAppRootKey(), L"HKCU\\Software\\Corvantrix\\Glimpsebox\\Glimpsebox");
    product->SetAppRootKey(nullptr);
    EXPECT_STREQ(product->GetAppRootKey(), L"HKCU\\Software\\Corvantrix\\Glimpsebox\\Glimpsebox");
    product->PushAppRootKey(nullptr);
    EXPECT_STREQ(product->GetAppRootKey(), L"HKCU\\Software\\Corvantrix\\Glimpsebox\\Glimpsebox");

    // The buffer holds 255 characters and the terminator.
    std::wstring key = L"HKCU\\Software\\" + std::wstring(400, L'k');
    product->SetAppRootKey(key.c_str());
    EXPECT_EQ(key.substr(0, 255), product->GetAppRootKey());
}

TEST(ProductInfo, InstancesLeaveInAnyOrder)
{
    RootKeyGuard guard;
    HINSTANCE host = GetModuleHandleW(nullptr);
    auto* first = new AppInstance(host, L"First");
    auto* second = new AppInstance(hiDLL, L"Second");
    // The older one leaves first: the newer stays current.
    delete first;
    EXPECT_STREQ(GetProductInfo()->GetComponent(), L"Second");
    delete second;
    EXPECT_STREQ(GetProductInfo()->GetComponent(), L"Glimpsebox");
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
    MyMessageRecorder recorder;
    ASSERT_NE(recorder.hwnd, nullptr);
    UINT id = ProductInfo::GetMyMessage();
    EXPECT_NE(id, 0u);
    EXPECT_EQ(id, RegisterWindowMessageW(L"CorvantrixMessage"));

    recorder.answer = 77;
    EXPECT_EQ(ProductInfo::SendMyMessage(recorder.hwnd, MyMsgIdentify, 141), 77);
    EXPECT_TRUE(ProductInfo::PostMyMessage(recorder.hwnd, MyMsgOptionsChanged, 0));
    test::PumpUntil([&] { return recorder.received.size() == 2; }, 5000);
    EXPECT_TRUE(ProductInfo::BroadcastMyMessage(MyMsgTrayNotice, 1));
    test::PumpUntil([&] { return recorder.received.size() == 3; }, 5000);
    std::vector<std::pair<WPARAM, LPARAM>> expected = {{121, 141}, {53, 0}, {51, 1}};
    EXPECT_EQ(recorder.received, expected);

    // A null window is refused: nothing lands in this thread's own queue.
    EXPECT_EQ(ProductInfo::SendMyMessage(nullptr, MyMsgClose, 1192), 0);
    EXPECT_FALSE(ProductInfo::PostMyMessage(nullptr, MyMsgClose, 1192));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, id, id, PM_NOREMOVE));

    recorder.received.clear();
    GetProductInfo()->ShutDownMyModules(nullptr, nullptr, 0);
    test::PumpUntil([&] { return recorder.received.size() >= 2; }, 5000);
    expected = {{MyMsgClose, 1192}, {MyMsgShutDown, 1192}};
    EXPECT_EQ(recorder.received, expected);
}
