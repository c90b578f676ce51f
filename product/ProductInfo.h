// ProductInfo: the process-wide product identity, its registry root and "CorvantrixMessage".
#pragma once

#include <windows.h>

#include "sys/Api.h"

class GLMBX_API ProductInfo {
public:
    enum { RootKeyChars = 256 };

    ProductInfo();
    virtual ~ProductInfo();
    ProductInfo(const ProductInfo&) = delete;
    ProductInfo& operator=(const ProductInfo&) = delete;

    virtual WORD GetID() = 0;
    virtual const wchar_t* GetName() = 0;
    virtual const wchar_t* GetNickName() = 0;

    // The key path under which the product's settings live, beginning with "HKCU\".
    const wchar_t* GetAppRootKey();
    // Copied into the root-key buffer, cut to 255 characters.
    void SetAppRootKey(const wchar_t* key);
    // One level only: a second push replaces the first; pop clears it.
    void PushAppRootKey(const wchar_t* key);
    void PopAppRootKey();

    // The id of "CorvantrixMessage", registered once per process.
    static UINT GetMyMessage();
    static LRESULT SendMyMessage(HWND hwnd, WPARAM subCode, LPARAM arg);
    static BOOL PostMyMessage(HWND hwnd, WPARAM subCode, LPARAM arg);
    static BOOL BroadcastMyMessage(WPARAM subCode, LPARAM arg);

private:
    wchar_t rootKey[RootKeyChars];
    wchar_t* pushedKey;
    unsigned pushedKeyLength;
};

GLMBX_API ProductInfo* GetProductInfo();

// Sub-codes of "CorvantrixMessage" (its wParam); the argument travels in lParam.
enum MyMessageCode : WPARAM {
    MyMsgClose = 1,            // close if lParam is our product number
    MyMsgActivate = 3,         // activation of an earlier instance
    MyMsgShutDown = 16,
    MyMsgReadItem = 50,        // shell: read one desktop item into the shared section
    MyMsgTrayNotice = 51,
    MyMsgChooseColor = 52,
    MyMsgOptionsChanged = 53,
    MyMsgAbout = 54,
    MyMsgWindowSize = 55,
    MyMsgContextMenu = 56,     // shell: the item's (or, with -1, the desktop's) menu
    MyMsgOpenItem = 58,        // shell: open the item, then close the mirror window
    MyMsgConfigure = 59,
    MyMsgHelp = 100,
    MyMsgIdentify = 121,
};
