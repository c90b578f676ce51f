// ProductInfo: the registry root rules, the registered message and Glimpsebox's identity.
#include "product/ProductInfo.h"

#include <cwchar>
#include <new>

namespace {

const wchar_t MakerRoot[] = L"HKCU\\Software\\Corvantrix";

class MyProductInfo : public ProductInfo {
public:
    WORD GetID() override { return 1192; }
    const wchar_t* GetName() override { return L"Glimpsebox"; }
    const wchar_t* GetNickName() override { return L"Glimpsebox"; }
};

MyProductInfo theProduct;
volatile UINT myMessage;

} // namespace

ProductInfo* GetProductInfo()
{
    return &theProduct;
}

ProductInfo::ProductInfo() : rootKey{}, pushedKey(nullptr), pushedKeyLength(0) {}

ProductInfo::~ProductInfo()
{
    delete[] pushedKey;
}

const wchar_t* ProductInfo::GetAppRootKey()
{
    if (pushedKey)
        return pushedKey;
    if (!rootKey[0])
        swprintf(rootKey, RootKeyChars, L"%ls\\%ls\\%ls", MakerRoot, GetName(), GetNickName());
    return rootKey;
}

void ProductInfo::SetAppRootKey(const wchar_t* key)
{
    if (!key)
        key = L"";
    wcsncpy(rootKey, key, RootKeyChars - 1);
    rootKey[RootKeyChars - 1] = 0;
}

void ProductInfo::PushAppRootKey(const wchar_t* key)
{
    PopAppRootKey();
    if (!key)
        return;
    unsigned length = static_cast<unsigned>(wcslen(key)) + 1;
    pushedKey = new (std::nothrow) wchar_t[length];
    if (!pushedKey)
        return;
    wmemcpy(pushedKey, key, length);
    pushedKeyLength = length;
}

void ProductInfo::PopAppRootKey()
{
    delete[] pushedKey;
    pushedKey = nullptr;
    pushedKeyLength = 0;
}

UINT ProductInfo::GetMyMessage()
{
    if (!myMessage)
        myMessage = RegisterWindowMessageW(L"CorvantrixMessage");
    return myMessage;
}

LRESULT ProductInfo::SendMyMessage(HWND hwnd, WPARAM subCode, LPARAM arg)
{
    return SendMessageW(hwnd, GetMyMessage(), subCode, arg);
}

BOOL ProductInfo::PostMyMessage(HWND hwnd, WPARAM subCode, LPARAM arg)
{
    return PostMessageW(hwnd, GetMyMessage(), subCode, arg);
}

BOOL ProductInfo::BroadcastMyMessage(WPARAM subCode, LPARAM arg)
{
    // Notify, so the sender never waits on a hung receiver.
    return SendNotifyMessageW(HWND_BROADCAST, GetMyMessage(), subCode, arg);
}
