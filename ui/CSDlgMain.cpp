// CSDlgMain's icons, system menu, position and quit message; CSIconForDlg.
#include "ui/CSDlgMain.h"

#include "product/ProductInfo.h"
#include "res/StringIds.h"
#include "sys/ResStr.h"
#include "sys/WndUtil.h"

extern "C" HINSTANCE hiDLL;

namespace {

// An icon of its own (not the shared copy LoadIconW gives), destroyed by its holder.
HICON LoadOwnIcon(HINSTANCE instance, int id, int cx, int cy)
{
    if (id == 0)
        return nullptr;
    if (id < 0) {
        id = -id;
        instance = hiDLL;
    } else if (!instance) {
        ProductInfo::ConvertResourceId(id, instance);
    }
    if (id > 0xFFFF)
        return nullptr;
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, 0));
}

} // namespace

CSDlgMain::CSDlgMain(HINSTANCE instance, int iconId, CSDlgSkin* dlgSkin)
    : CSDlg(dlgSkin), bigIcon(nullptr), smallIcon(nullptr)
{
    bigIcon = LoadOwnIcon(instance, iconId, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    smallIcon = LoadOwnIcon(instance, iconId, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
}

CSDlgMain::~CSDlgMain()
{
    if (smallIcon)
        DestroyIcon(smallIcon);
    if (bigIcon)
        DestroyIcon(bigIcon);
}

LRESULT CSDlgMain::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CSDlg::OnInitDialog(wParam, lParam);
    HMENU system = (GetStyle(FALSE) & WS_SYSMENU) ? GetSystemMenu(hwnd, FALSE) : nullptr;
    if (system) {
        ResStr about(-IDS_ABOUT_MENU);
        AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system, MF_STRING, AboutCommand, about);
    }
    SendMsg(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMsg(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon ? smallIcon : bigIcon));
    if (!placement)
        WndRestorePosition(hwnd, L"");
    return result;
}

LRESULT CSDlgMain::OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(bigIcon);
    case WM_DESTROY:
        if (!placement)
            WndStorePosition(hwnd, L"");
        if (isModeless)
            PostQuitMessage(dlgResult);
        break;
    case WM_PAINT:
        if (LRESULT painted = OnPaint(wParam, lParam))
            return painted;
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == AboutCommand)
            return OnAbout();
        break;
    default:
        break;
    }
    return CSDlg::OnDlgMessage(msg, wParam, lParam);
}

LRESULT CSDlgMain::OnPaint(WPARAM, LPARAM)
{
    if (!IsIconic(hwnd) || !bigIcon)
        return 0;
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(hwnd, &paint);
    if (hdc) {
        SendMsg(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
        RECT client;
        GetClientRect(hwnd, &client);
        int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(hdc, x, y, bigIcon);
    }
    EndPaint(hwnd, &paint);
    return 1;
}

LRESULT CSDlgMain::OnAbout()
{
    MessageBoxW(hwnd, L"TODO...", L"About", MB_OK);
    return 1;
}

// ---- CSIconForDlg ----

CSIconForDlg::CSIconForDlg() : icons{nullptr, nullptr} {}

CSIconForDlg::~CSIconForDlg()
{
    Release(0);
    Release(1);
}

void CSIconForDlg::Release(int which)
{
    if (icons[which])
        DestroyIcon(icons[which]);
    icons[which] = nullptr;
}

int CSIconForDlg::Init(HWND dlg, int iconId, BOOL smallSize)
{
    int which = icons[0] ? 1 : 0;
    HICON icon = LoadOwnIcon(nullptr, iconId, GetSystemMetrics(smallSize ? SM_CXSMICON : SM_CXICON),
                             GetSystemMetrics(smallSize ? SM_CYSMICON : SM_CYICON));
    if (!icon)
        return 0;
    // The dialog lets go of the old icon before it is destroyed.
    if (dlg)
        SendMessageW(dlg, WM_SETICON, smallSize ? ICON_SMALL : ICON_BIG, reinterpret_cast<LPARAM>(icon));
    Release(which);
    icons[which] = icon;
    return 1;
}

int CSIconForDlg::InitEx(HWND dlg, int iconId)
{
    HICON smallIcon = LoadOwnIcon(nullptr, iconId, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    HICON bigIcon = LoadOwnIcon(nullptr, iconId, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    if (dlg) {
        SendMessageW(dlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
        SendMessageW(dlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    }
    Release(0);
    Release(1);
    icons[0] = smallIcon;
    icons[1] = bigIcon;
    return smallIcon || bigIcon;
}
