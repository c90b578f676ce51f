// DllMain, the start-dialog and tray entry points (the background update check lives with the update check).
#include "app/Entry.h"

#include <commctrl.h>
#include <objbase.h>
#include <cstdlib>

#include "app/DlgStart.h"
#include "app/MyTB_Icon.h"
#include "product/ProductInfo.h"
#include "product/UpdateCheck.h"
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
    // A due check asks (or starts the background check) before the dialog shows.
    CheckForUpdates(nullptr);
    DlgStart dialog(cmdLine, show);
    return dialog.ModelessWithLoop(FALSE, IDD_START, hiDLL, nullptr);
}

int RunTB_Icon(int start, HINSTANCE hInst, wchar_t* cmdLine, int show)
{
    MyTB_Icon icon;
    WORD product = GetProductInfo()->GetID();
    return TB_Icon::Run(start ? &icon : nullptr, MyTB_Icon::ClassName, product, hInst, cmdLine, show);
}
