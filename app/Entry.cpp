// DllMain and the three entry points of the launcher.
#include "app/Entry.h"

#include <commctrl.h>
#include <objbase.h>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

#include "app/DlgStart.h"
#include "app/MyTB_Icon.h"
#include "product/ProductInfo.h"
#include "res/DialogIds.h"
#include "sys/PrevInstance.h"

extern "C" {
HINSTANCE hiDLL = nullptr;
}

namespace {

// COM for the calling thread while the object lives.
class ComScope {
public:
    ComScope() : ok(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope()
    {
        if (ok)
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok;
};

// Whether the command line holds the switch, given with '/', '-' or bare, in any case.
bool HasSwitch(const wchar_t* cmdLine, const wchar_t* name)
{
    if (!cmdLine)
        return false;
    size_t nameLength = wcslen(name);
    const wchar_t* p = cmdLine;
    while (*p) {
        while (*p && iswspace(*p))
            ++p;
        const wchar_t* start = p;
        bool quoted = *p == L'"';
        if (quoted)
            ++p;
        while (*p && (quoted ? *p != L'"' : !iswspace(*p)))
            ++p;
        const wchar_t* end = p;
        if (quoted && *p)
            ++p;
        if (quoted)
            ++start;
        if (start < end && (*start == L'/' || *start == L'-'))
            ++start;
        if (static_cast<size_t>(end - start) == nameLength && _wcsnicmp(start, name, nameLength) == 0)
            return true;
    }
    return false;
}

} // namespace

// Nothing is thrown in this module; should the runtime still end in terminate(), the process ends
// plainly. The runtime's own handler prints the exception's demangled name, which links the
// whole demangler (45 KB) into the module.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
} // namespace __gnu_cxx

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        CoInitialize(nullptr);
        InitCommonControls();
        hiDLL = instance;
        GetProductInfo()->SetAppRootKey(L"HKCU\\Software\\Corvantrix\\Glimpsebox");
        DisableThreadLibraryCalls(instance);
        break;
    case DLL_PROCESS_DETACH:
        // At process exit other threads are gone and COM may be torn down already; only an
        // unload while the process goes on gives COM back.
        if (!reserved)
            CoUninitialize();
        break;
    default:
        break;
    }
    return TRUE;
}

int DoGlimpsebox(wchar_t* cmdLine, int show)
{
    // A start dialog open in any process is brought to the front instead of a second one.
    if (ActivatePrevDlg(DlgStart::Identity))
        return 0;
    ComScope com;
    InitCommonControls();
    // The scheduled update check (CheckForUpdates, no owner window) comes here, before the
    // dialog, with the update check itself.
    DlgStart dialog(cmdLine, show);
    return dialog.ModelessWithLoop(FALSE, IDD_START, hiDLL, nullptr);
}

int RunTB_Icon(int start, HINSTANCE hInst, wchar_t* cmdLine, int show)
{
    MyTB_Icon icon;
    WORD product = GetProductInfo()->GetID();
    return TB_Icon::Run(start ? &icon : nullptr, MyTB_Icon::ClassName, product, hInst, cmdLine, show);
}

int DoCheckForUpdatesAuto(const wchar_t* cmdLine)
{
    // Only this call acts on the switch; the launcher ends at once when it returns 1.
    return HasSwitch(cmdLine, L"CHECK4UPDATES") ? 1 : 0;
}
