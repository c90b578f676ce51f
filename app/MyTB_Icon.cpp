// MyTB_Icon: start-up, clicks, the menu, option changes, the About box and the way out.
#include "app/MyTB_Icon.h"

#include "app/Entry.h"
#include "app/SharedData.h"
#include "product/DlgAbout.h"
#include "product/ProductInfo.h"
#include "res/StringIds.h"
#include "sys/ShellRun.h"
#include "ui/CSMenu.h"

const wchar_t MyTB_Icon::ClassName[] = GLIMPSEBOX_TRAY_CLASS;
const wchar_t MyTB_Icon::AutoLoadName[] = L"Glimpsebox";
const wchar_t MyTB_Icon::AutoLoadArgs[] = L"/TB+";

namespace {

const int NormalIconId = -101;
const int LowColorIconId = -106;
const int TipStringId = -1;
const int AskUserAutoLoadId = -2;
const int AskAllUsersAutoLoadId = -3;
const int WindowSizeId = -4;
const int OtherEditionId = -IDS_OTHER_EDITION_NEEDED;

} // namespace

MyTB_Icon::MyTB_Icon() : lowColor(0), tip(TipStringId), runningRequest(0)
{
    normalIcon.Load(NormalIconId, TRUE, TRUE);
    lowColorIcon.Load(LowColorIconId, TRUE, TRUE);
}

MyTB_Icon::~MyTB_Icon()
{
    background.Drop();
}

WORD MyTB_Icon::GetProdID()
{
    return GetProductInfo()->GetID();
}

int MyTB_Icon::InitInstance(HINSTANCE instance, const wchar_t* cmdLine, int show)
{
    TB_Icon::InitInstance(instance, cmdLine, show);
    mirror.SetOwner(this);
    opts.Load();
    lowColor = opts.IsOn(MyOpts::FlagLowColorIcon);
    if (!Start(ClassName, lowColor ? lowColorIcon : normalIcon, tip, 1))
        return 0;
    if (g_sdata.hwndDlgMain)
        ProductInfo::PostMyMessage(g_sdata.hwndDlgMain, MyMsgTrayNotice, 1);
    return 1;
}

void MyTB_Icon::ExitInstance()
{
    if (g_sdata.hwndDlgMain)
        ProductInfo::PostMyMessage(g_sdata.hwndDlgMain, MyMsgTrayNotice, 0);
    Stop();
}

void MyTB_Icon::OnLeftClick()
{
    // Rather than an empty mirror: the user learns which edition this desktop needs.
    if (!mirror.IsOpen()) {
        if (int shellBits = DesktopMirror::OtherEditionShellBits()) {
            const int ownBits = DesktopMirror::ModuleBits;
            Msg(GetHandle(), MB_ICONINFORMATION, OtherEditionId, shellBits, ownBits, shellBits);
            return;
        }
    }
    mirror.OpenFromTray();
}

void MyTB_Icon::OnRightClick()
{
    CSMenu menu;
    if (!menu.CreatePopup())
        return;
    menu.AppendItem(CmdOpen, L"Open");
    menu.AppendSeparator();
    menu.AppendItem(CmdConfigure, L"Configure");
    menu.AppendItem(CmdAbout, L"About");
    menu.AppendItem(CmdExit, L"Exit");
    menu.SetDefaultByID(CmdOpen);
    switch (menu.Track(GetHandle(), TRUE)) {
    case CmdOpen:
        OnLeftClick();
        break;
    case CmdConfigure:
        Configure();
        break;
    case CmdAbout:
        ProductInfo::PostMyMessage(GetHandle(), MyMsgAbout, 0);
        break;
    case CmdExit:
        Exit();
        break;
    default:
        break;
    }
}

void MyTB_Icon::Configure()
{
    RunLocalFile(GetHandle(), L"Glimpsebox.exe", nullptr, nullptr);
}

void MyTB_Icon::Exit()
{
    ShowIcon(0);
    int allUsers = IsRegisteredAutoLoad(1, AutoLoadName);
    if (IsRegisteredAutoLoad(0, AutoLoadName)) {
        switch (Msg(GetHandle(), MB_YESNOCANCEL | MB_ICONQUESTION, AskUserAutoLoadId)) {
        case IDCANCEL:
            ShowIcon(1);
            return;
        case IDNO:
            RegisterAutoLoad(0, 0, AutoLoadName, nullptr, nullptr);
            break;
        default:
            break;
        }
    }
    if (allUsers && Msg(GetHandle(), MB_YESNO | MB_ICONQUESTION, AskAllUsersAutoLoadId) == IDNO)
        RegisterAutoLoad(0, 1, AutoLoadName, nullptr, nullptr);
    Close();
}

void MyTB_Icon::OnDestroyWnd()
{
    if (mirror.GetHandle() && IsWindow(mirror.GetHandle()))
        PostMessageW(mirror.GetHandle(), WM_CLOSE, 0, 0);
    PostQuitMessage(0);
}

void MyTB_Icon::ReloadOptions()
{
    opts.Load();
    background.Drop();
    int now = opts.IsOn(MyOpts::FlagLowColorIcon);
    if (now != lowColor) {
        ShowIcon(0);
        lowColor = now;
        Modify(lowColor ? lowColorIcon : normalIcon, nullptr);
        ShowIcon(1);
    }
}

int MyTB_Icon::OnMyCompanyMessage(WPARAM wParam, LPARAM lParam, LRESULT*)
{
    switch (wParam) {
    case MyMsgOptionsChanged:
        ReloadOptions();
        break;
    // These open modal windows (the shell's own error box, when the launcher cannot start):
    // a click meanwhile must bring them forward, not run a menu inside their loops.
    case MyMsgAbout:
        Guarded(wParam, lParam, [this] { DoAbout(GetHandle()); });
        break;
    case MyMsgWindowSize:
        Guarded(wParam, lParam,
                [&] { Msg(GetHandle(), MB_ICONINFORMATION, WindowSizeId, LOWORD(lParam), HIWORD(lParam)); });
        break;
    case MyMsgConfigure:
        Guarded(wParam, lParam, [this] { Configure(); });
        break;
    default:
        break;
    }
    // Not handled, so that the base still applies a close request.
    return 0;
}

HBITMAP MyTB_Icon::GetBackground(int width, int height)
{
    return background.Get(opts, picture, width, height);
}
