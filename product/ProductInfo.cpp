// ProductInfo and AppInstance: root-key rules, resource numbers, versions and "CorvantrixMessage".
#include "product/ProductInfo.h"

#include "sys/ProgressEx.h"
#include "ui/CSWaitCursor.h"

#include <strsafe.h>

#include <cwchar>
#include <new>

extern "C" HINSTANCE hiDLL;

// The identity's fields are part of the library's interface: a 32-bit host sees exactly
// the table pointer, the 256-character buffer, the pushed key and its length.
static_assert(sizeof(void*) != 4 || sizeof(ProductInfo) == 4 + 2 * ProductInfo::RootKeyChars + 4 + 4,
              "ProductInfo layout");
static_assert(sizeof(void*) != 4 || sizeof(AppInstance) == 5 * 4, "AppInstance layout");

namespace {

const wchar_t MakerRoot[] = L"HKCU\\Software\\Corvantrix";

std::atomic<UINT> myMessage{0};

// A heap copy of text (length + 1 characters), or null for null, "" or no memory.
wchar_t* CopyText(const wchar_t* text, unsigned* length)
{
    *length = 0;
    if (!text || !*text)
        return nullptr;
    size_t chars = wcslen(text) + 1;
    wchar_t* copy = new (std::nothrow) wchar_t[chars];
    if (!copy)
        return nullptr;
    wmemcpy(copy, text, chars);
    *length = static_cast<unsigned>(chars);
    return copy;
}

// ASCII letters only, as the server's version texts are.
wchar_t FoldCase(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

} // namespace

std::atomic<AppInstance*> ProductInfo::pCurrentApp{nullptr};
CSList ProductInfo::listApp;
CritSec ProductInfo::critSec;

ProductInfo::ProductInfo() : rootKey{}, pushedKey(nullptr), pushedKeyLength(0) {}

ProductInfo::~ProductInfo()
{
    delete[] pushedKey;
}

const wchar_t* ProductInfo::GetOEMStr()
{
    return L"";
}

const wchar_t* ProductInfo::GetMsgTitle()
{
    return GetNickName();
}

wchar_t* ProductInfo::MakeTitleLong(wchar_t* buffer, unsigned size)
{
    if (!buffer || size == 0)
        return buffer;
    // Truncation is wanted here: the result is cut and terminated.
    StringCchPrintfW(buffer, size, L"%ls %ls %ls", GetNickName(), GetEdition(), GetVersionStr());
    return buffer;
}

const wchar_t* ProductInfo::GetRegTM()
{
    return IsNameRegTM() ? L"\u00AE" : L"[TM]";
}

bool ProductInfo::IsSameVersion(const wchar_t* text)
{
    const wchar_t* other = text ? text : L"";
    while (*other && !(*other >= L'0' && *other <= L'9'))
        ++other;
    const wchar_t* mine = GetVersionStr();
    for (;; ++other, ++mine) {
        wchar_t a = FoldCase(*other);
        wchar_t b = FoldCase(*mine);
        if (a != b)
            return a < b;
        if (!a)
            return true;
    }
}

const wchar_t* ProductInfo::GetAppRootKey()
{
    if (const wchar_t* pushed = pushedKey)
        return pushed;
    if (AppInstance* app = pCurrentApp.load()) {
        if (const wchar_t* own = app->GetAppRootKey())
            return own;
    }
    if (!rootKey[0])
        StringCchPrintfW(rootKey, RootKeyChars, L"%ls\\%ls\\%ls", MakerRoot, GetName(), GetNickName());
    return rootKey;
}

void ProductInfo::SetAppRootKey(const wchar_t* key)
{
    AppInstance* app = pCurrentApp.load();
    if (app && app->GetAppRootKey()) {
        app->SetAppRootKey(key);
        return;
    }
    StringCchCopyW(rootKey, RootKeyChars, key ? key : L"");
}

void ProductInfo::PushAppRootKey(const wchar_t* key)
{
    PopAppRootKey();
    pushedKey = CopyText(key, &pushedKeyLength);
}

void ProductInfo::PopAppRootKey()
{
    wchar_t* old = pushedKey;
    pushedKey = nullptr;
    pushedKeyLength = 0;
    delete[] old;
}

HINSTANCE ProductInfo::GetAppInstance()
{
    AppInstance* app = pCurrentApp.load();
    // A host that registered without a module still loads its resources from somewhere.
    if (app && app->GetInstance())
        return app->GetInstance();
    return hiDLL;
}

const wchar_t* ProductInfo::GetComponent()
{
    AppInstance* app = pCurrentApp.load();
    if (app && app->GetComponentName())
        return app->GetComponentName();
    return GetNickName();
}

void ProductInfo::ConvertResourceId(int& id, HINSTANCE& instance)
{
    if (id == 0)
        return;
    if (!instance)
        instance = id < 1 ? hiDLL : GetAppInstance();
    // Negated as unsigned: the most negative number cannot overflow.
    if (id < 0)
        id = static_cast<int>(0u - static_cast<unsigned>(id));
}

UINT ProductInfo::GetMyMessage()
{
    UINT id = myMessage.load(std::memory_order_relaxed);
    if (!id) {
        // Every caller gets the same number, so a race only registers twice.
        id = RegisterWindowMessageW(L"CorvantrixMessage");
        myMessage.store(id, std::memory_order_relaxed);
    }
    return id;
}

LRESULT ProductInfo::SendMyMessage(HWND hwnd, WPARAM subCode, LPARAM arg)
{
    return hwnd ? SendMessageW(hwnd, GetMyMessage(), subCode, arg) : 0;
}

BOOL ProductInfo::PostMyMessage(HWND hwnd, WPARAM subCode, LPARAM arg)
{
    return hwnd ? PostMessageW(hwnd, GetMyMessage(), subCode, arg) : FALSE;
}

BOOL ProductInfo::BroadcastMyMessage(WPARAM subCode, LPARAM arg)
{
    // Notify, so the sender never waits on a hung receiver.
    return SendNotifyMessageW(HWND_BROADCAST, GetMyMessage(), subCode, arg);
}

void ProductInfo::ShutDownMyModules(HWND, ProgressEx* progress, unsigned long seconds)
{
    CSWaitCursor cursor;
    LPARAM product = static_cast<LPARAM>(GetID() & 0xFFFF);
    BroadcastMyMessage(MyMsgClose, product);
    BroadcastMyMessage(MyMsgShutDown, product);
    for (unsigned long i = 0; i < seconds; ++i) {
        if (progress) {
            // A user who cancels does not want to sit out the rest of the wait.
            if (progress->IsCanceled())
                break;
            progress->StepIt();
        }
        Sleep(1000);
    }
}

void ProductInfo::EnterApp(AppInstance* app)
{
    if (!app)
        return;
    CritSecLock lock(critSec);
    if (!listApp.Find(app)) {
        // Out of memory for the node: still current, only not restored after a newer one.
        listApp.AddHead(app);
    }
    pCurrentApp.store(app);
}

void ProductInfo::LeaveApp(AppInstance* app)
{
    CritSecLock lock(critSec);
    if (POS__* pos = listApp.Find(app))
        listApp.RemoveAt(pos);
    pCurrentApp.store(listApp.IsEmpty() ? nullptr : static_cast<AppInstance*>(listApp.GetHead()));
    GetProductInfo()->PopAppRootKey();
}

AppInstance::AppInstance(HINSTANCE module, const wchar_t* componentName)
    : instance(module), component(componentName), rootKey(nullptr), rootKeyLength(0)
{
    if (component) {
        wchar_t key[ProductInfo::RootKeyChars];
        StringCchPrintfW(key, ProductInfo::RootKeyChars, L"%ls\\%ls\\%ls", MakerRoot,
                         GetProductInfo()->GetName(), component);
        rootKey = CopyText(key, &rootKeyLength);
    }
    ProductInfo::EnterApp(this);
}

AppInstance::~AppInstance()
{
    ProductInfo::LeaveApp(this);
    delete[] rootKey;
}

const wchar_t* AppInstance::GetAppRootKey() const
{
    return rootKey && rootKey[0] ? rootKey : nullptr;
}

bool AppInstance::SetAppRootKey(const wchar_t* key)
{
    unsigned length = 0;
    wchar_t* copy = CopyText(key, &length);
    if (key && *key && !copy)
        return false;
    wchar_t* old = rootKey;
    rootKey = copy;
    rootKeyLength = length;
    delete[] old;
    return true;
}

AppInstance* CreateAppInstance(HINSTANCE instance, const wchar_t* component)
{
    return new (std::nothrow) AppInstance(instance, component);
}

void DestroyAppInstance(AppInstance* app)
{
    delete app;
}
