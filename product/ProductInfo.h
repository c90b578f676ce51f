// ProductInfo: the process-wide product identity, the application context and "CorvantrixMessage".
#pragma once

#include <windows.h>

#include <atomic>

#include "sys/Api.h"
#include "sys/CSList.h"
#include "sys/SyncObjects.h"

class AppInstance;
class ProgressEx;

// What every part of the library asks about the product it serves. Abstract: the concrete
// identity (MyProductInfo) supplies the values; GetProductInfo() returns the process's one.
// The virtual operations keep their order: other modules call them by slot.
class GLMBX_API ProductInfo {
public:
    enum { RootKeyChars = 256 };

    ProductInfo(const ProductInfo&) = delete;
    ProductInfo& operator=(const ProductInfo&) = delete;

    virtual WORD GetID() = 0;                         // the 16-bit product number
    virtual const wchar_t* GetName() = 0;
    virtual const wchar_t* GetNickName() = 0;         // the name shown to the user
    virtual BOOL IsNameRegTM() = 0;                   // the name is a registered mark
    virtual const wchar_t* GetVersionStr() = 0;       // "1.11"
    virtual const wchar_t* GetVersionStrLong() = 0;   // "Version 1.11"
    virtual const wchar_t* GetVersionStrRev() = 0;    // "Version 1.11 (rev. 253)"
    virtual unsigned GetVersionNum() = 0;             // the build's revision, as GetRevisionNum
    virtual const wchar_t* GetRevisionStr() = 0;
    virtual unsigned GetRevisionNum() = 0;
    virtual const wchar_t* GetEditionShort() = 0;
    virtual const wchar_t* GetEdition() = 0;
    virtual const wchar_t* GetForOS() = 0;
    virtual const wchar_t* GetCopyrightYear() = 0;
    virtual const wchar_t* GetHelpFile() = 0;         // file name, beside the library
    virtual const wchar_t* GetHomePage() = 0;         // the product's page on the maker's site
    virtual const wchar_t* GetSupportPage() = 0;
    virtual const wchar_t* GetAutoUpdateFile() = 0;   // the program the update check starts
    virtual int GetIconID() = 0;                      // signed, see ConvertResourceId
    virtual HINSTANCE GetIconInstance() = 0;
    virtual const wchar_t* GetUpdateServer() = 0;     // the update check's server: "host" or "https://host"
    virtual const wchar_t* GetOEMStr();               // "" unless a partner edition
    virtual const wchar_t* GetMsgTitle();             // caption of the product's message boxes
    // "<nick name> <edition> <version>", cut to size; returns buffer.
    virtual wchar_t* MakeTitleLong(wchar_t* buffer, unsigned size);

    // "®" when the name is a registered mark, else "[TM]".
    const wchar_t* GetRegTM();
    // Whether a version text from elsewhere (an update reply, say) is not newer than this
    // build: anything before its first digit is skipped, the rest compared as text.
    bool IsSameVersion(const wchar_t* text);

    // The key path under which the product's settings live, beginning with "HKCU\". In order:
    // the pushed key, the current application instance's own key, the key set by
    // SetAppRootKey, else "HKCU\Software\Corvantrix\<name>\<nick name>".
    const wchar_t* GetAppRootKey();
    // Replaces the current application instance's own key when it has one; otherwise the
    // key is copied into the identity's buffer, cut to 255 characters. Null means "".
    void SetAppRootKey(const wchar_t* key);
    // One level only: a second push replaces the first; pop clears it. Pushing null pops.
    void PushAppRootKey(const wchar_t* key);
    void PopAppRootKey();

    // The module of the current application instance, or the library's own.
    static HINSTANCE GetAppInstance();
    // The current application instance's component name, else the nick name.
    const wchar_t* GetComponent();

    // A negative number names a resource of this library (its absolute value), a positive
    // one a resource of the current application. A null instance is filled in for any
    // non-zero number; the number comes back positive. Zero leaves both unchanged.
    static void ConvertResourceId(int& id, HINSTANCE& instance);

    // The id of "CorvantrixMessage", registered once per process.
    static UINT GetMyMessage();
    // 0 for a null window.
    static LRESULT SendMyMessage(HWND hwnd, WPARAM subCode, LPARAM arg);
    // FALSE for a null window: nothing lands in the calling thread's own queue by mistake.
    static BOOL PostMyMessage(HWND hwnd, WPARAM subCode, LPARAM arg);
    // To every top-level window, without waiting for any of them.
    static BOOL BroadcastMyMessage(WPARAM subCode, LPARAM arg);

    // Asks every window of this product, in every process, to close (sub-codes 1 and 16
    // with the product number), then waits the given number of seconds under the wait
    // cursor, stepping the progress (when given) once a second; a cancelled progress ends
    // the wait. The window is not used.
    void ShutDownMyModules(HWND window, ProgressEx* progress, unsigned long seconds);

    // Registration of an application instance: AppInstance's constructor and destructor call
    // these, nobody else needs to. Entering twice or leaving unregistered does no harm.
    static void EnterApp(AppInstance* app);
    static void LeaveApp(AppInstance* app);

protected:
    ProductInfo();
    // Not virtual: the identity is a static object, never deleted through this type, and
    // slot 0 belongs to GetID.
    ~ProductInfo();

private:
    wchar_t rootKey[RootKeyChars];
    wchar_t* pushedKey;
    unsigned pushedKeyLength;

    // The current application instance and every registered one, newest at the head.
    // Registration holds critSec; readers rely on the pointer being read in one piece.
    static std::atomic<AppInstance*> pCurrentApp;
    static CSList listApp;
    static CritSec critSec;
};

// One host program that uses the library inside the process. While it lives it is the
// current application instance: its module answers GetAppInstance(), and with a component
// name it gets its own registry root "HKCU\Software\Corvantrix\<name>\<component>".
// Destroying it makes the previous instance current again and clears the pushed key.
class GLMBX_API AppInstance {
public:
    // The component name is borrowed: it must outlive the object.
    AppInstance(HINSTANCE instance, const wchar_t* component);
    virtual ~AppInstance();
    AppInstance(const AppInstance&) = delete;
    AppInstance& operator=(const AppInstance&) = delete;

    HINSTANCE GetInstance() const { return instance; }
    const wchar_t* GetComponentName() const { return component; }
    // Its own key, or null when it has none.
    const wchar_t* GetAppRootKey() const;
    // Null or "" removes the own key. Returns false when the copy could not be made.
    bool SetAppRootKey(const wchar_t* key);

private:
    HINSTANCE instance;
    const wchar_t* component;
    wchar_t* rootKey;
    unsigned rootKeyLength;
};

GLMBX_API ProductInfo* GetProductInfo();

// The same registration for a host that loads the library by name (the launcher does):
// a heap AppInstance, null when out of memory, and its destruction (null is ignored).
GLMBX_EXTERN_C AppInstance* CreateAppInstance(HINSTANCE instance, const wchar_t* component);
GLMBX_EXTERN_C void DestroyAppInstance(AppInstance* app);

// Sub-codes of "CorvantrixMessage" (its wParam); the argument travels in lParam.
enum MyMessageCode : WPARAM {
    MyMsgClose = 1,            // close if lParam is our product number
    MyMsgActivate = 3,         // bring an earlier instance to the front (lParam: identity)
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
    MyMsgIdentify = 121,       // does the window claim the identity in lParam?
};
