// DlgStart: the start dialog's set-up, its buttons, the tray started or ended, and its closing.
#include "app/DlgStart.h"

#include <cwchar>

#include "app/DlgMain.h"
#include "app/Entry.h"
#include "app/MyTB_Icon.h"
#include "app/SharedData.h"
#include "product/DlgAbout.h"
#include "product/ProductInfo.h"
#include "res/DialogIds.h"
#include "res/IconIds.h"
#include "sys/PrevInstance.h"
#include "sys/RegKey.h"
#include "sys/ShellRun.h"
#include "ui/TB_Icon.h"

namespace {

const int PictureSize = 48;

} // namespace

DlgStart::DlgStart(wchar_t*, int)
    : picture(PictureSize, PictureSize, nullptr, -IDI_PRODUCT, 0, 0, 0, 0,
              ImageBtn::FlagCenterV | ImageBtn::FlagCenterH)
{
    identity = Identity;
}

DlgStart::~DlgStart()
{
    // The hook is a member: it must not outlive its place in the window's chain.
    RemoveWndHook(&dragger);
}

LRESULT DlgStart::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    g_sdata.hwndDlgMain = hwnd;
    // The product may have moved: the next question for its home records this module's folder.
    ProcessHomeFolder(RegKey::OpRemove, GetProductInfo()->GetName(), nullptr, 0);
    opts.Load();
    loaded = opts;
    if (!opts.IsOn(MyOpts::FlagStartedOnce))
        opts.Set(MyOpts::FlagStartedOnce | MyOpts::FlagTakeSetupChoice, 1);

    LRESULT result = CSDlg::OnInitDialog(wParam, lParam);
    ProductInfo* product = GetProductInfo();
    wchar_t title[128];
    swprintf(title, 128, L"%ls %ls", product->GetNickName(), product->GetEdition());
    SetWindowTextW(hwnd, title);
    icons.InitEx(hwnd, -IDI_PRODUCT);
    picture.Init(this, IDC_START_PICTURE);
    AddWndHook(&dragger);
    // Whatever the tray does now: OK with this choice leaves a running icon alone.
    CheckRadioButton(IDC_START_SHOW, IDC_START_HIDE, IDC_START_SHOW);
    EnableProperties();
    return result;
}

void DlgStart::EnableProperties()
{
    EnableDlgItem(IDC_START_PROPERTIES, IsDlgButtonChecked(IDC_START_SHOW) == BST_CHECKED);
}

LRESULT DlgStart::OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (OnActivatePreviousInstance(Identity, hwnd, msg, wParam, lParam)) {
        CSDlg::OnDlgMessage(msg, wParam, lParam);
        return 1;
    }
    if (msg == WM_DESTROY) {
        // Also when something ended the dialog without closing it.
        if (g_sdata.hwndDlgMain == hwnd)
            g_sdata.hwndDlgMain = nullptr;
        PostQuitMessage(dlgResult);
    } else if (msg == ProductInfo::GetMyMessage() && wParam == MyMsgClose && lParam &&
               lParam == static_cast<LPARAM>(GetProductInfo()->GetID())) {
        CloseDialog(IDCANCEL, -1);
    }
    return CSDlg::OnDlgMessage(msg, wParam, lParam);
}

LRESULT DlgStart::OnOK()
{
    HWND tray = FindWindowW(MyTB_Icon::ClassName, nullptr);
    bool wanted = IsDlgButtonChecked(IDC_START_SHOW) == BST_CHECKED;
    if (wanted && !tray)
        RunLocalFile(hwnd, L"Glimpsebox.exe", L"TB+", nullptr);
    else if (!wanted && tray)
        ProductInfo::PostMyMessage(tray, MyMsgClose, GetProductInfo()->GetID());

    if (opts.IsOn(MyOpts::FlagTakeSetupChoice)) {
        TB_Icon::RegisterAutoLoad(1, MyOpts::GetSetupOptForAllUsers(), MyTB_Icon::AutoLoadName,
                                  MyTB_Icon::AutoLoadArgs, nullptr);
        opts.Set(MyOpts::FlagTakeSetupChoice, 0);
        DlgMain::ShowAutoLoadNoteOnce(hwnd, opts);
    }
    return CSDlg::OnOK();
}

void DlgStart::OnButtonClicked(WORD id)
{
    CSDlg::OnButtonClicked(id);
    switch (id) {
    case IDC_START_ABOUT:
        DoAbout(hwnd);
        break;
    case IDC_START_SHOW:
    case IDC_START_HIDE:
        EnableProperties();
        break;
    case IDC_START_PROPERTIES: {
        DlgMain properties(&opts);
        properties.ModelessWithLoop(TRUE, IDD_PROPERTIES, hiDLL, hwnd);
        break;
    }
    default:
        break;
    }
}

const wchar_t* DlgStart::GetHtmlPage(UINT)
{
    return L"users-guide_legal.htm";
}

int DlgStart::CanClose(int result)
{
    if (!CSDlg::CanClose(result))
        return 0;
    // A first run stores the whole record: the sample picture that loading offered included.
    if (loaded.IsOn(MyOpts::FlagStartedOnce))
        opts.StoreChanges(loaded);
    else
        opts.Store();
    RemoveWndHook(&dragger);
    g_sdata.hwndDlgMain = nullptr;
    return 1;
}
