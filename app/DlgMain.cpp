// DlgMain: the properties dialog's controls, its colour indicators, Apply and resizing.
#include "app/DlgMain.h"

#include "app/MyTB_Icon.h"
#include "product/ProductInfo.h"
#include "res/DialogIds.h"
#include "res/IconIds.h"
#include "res/StringIds.h"
#include "sys/CommonDlg.h"
#include "sys/ResStr.h"
#include "ui/TB_Icon.h"

namespace {

const wchar_t HistoryValue[] = L"BkgImageMRU";
const DWORD HistoryFlags = 1;
const int BorderTypeCount = 5;
const int GradientTypeCount = 3;
const int MarginMax = 999;

struct MarginField {
    int edit;
    int spin;
    int MyOpts::*value;
};
const MarginField Margins[] = {
    {IDC_MARGIN_LEFT, IDC_MARGIN_LEFT_SPIN, &MyOpts::marginLeft},
    {IDC_MARGIN_TOP, IDC_MARGIN_TOP_SPIN, &MyOpts::marginTop},
    {IDC_MARGIN_RIGHT, IDC_MARGIN_RIGHT_SPIN, &MyOpts::marginRight},
    {IDC_MARGIN_BOTTOM, IDC_MARGIN_BOTTOM_SPIN, &MyOpts::marginBottom},
};

// Fills a list with count strings from first on, each with its number as data, and selects
// the item of value; a value the list does not know (a damaged one) shows the fallback.
void FillList(CSComboBase& list, int firstString, int count, DWORD value, DWORD fallback)
{
    for (int i = 0; i < count; ++i)
        list.AddItem(ResStr(-(firstString + i)), static_cast<DWORD_PTR>(i));
    if (list.SelectItem(value) < 0)
        list.SelectItem(fallback);
}

} // namespace

// ---- ColorIndicator ----

DlgMain::ColorIndicator::ColorIndicator() : color(nullptr), brush(nullptr), cursor(nullptr) {}

DlgMain::ColorIndicator::~ColorIndicator()
{
    ResetDrawingTools();
}

LRESULT DlgMain::ColorIndicator::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SETCURSOR) {
        if (!cursor)
            cursor = LoadCursorW(nullptr, IDC_HAND);
        SetCursor(cursor);
        return 1;
    }
    if (msg == WM_LBUTTONUP && dialog)
        ProductInfo::PostMyMessage(dialog->GetHandle(), MyMsgChooseColor, static_cast<LPARAM>(ctlId));
    return CSCtrl::OnWndMessage(msg, wParam, lParam);
}

HBRUSH DlgMain::ColorIndicator::OnCtlColor(HDC hdc)
{
    if (!color)
        return nullptr;
    if (!brush)
        brush = CreateSolidBrush(*color);
    SetBkColor(hdc, *color);
    return brush;
}

void DlgMain::ColorIndicator::ResetDrawingTools()
{
    if (brush)
        DeleteObject(brush);
    brush = nullptr;
    if (hwnd && IsWindow(hwnd))
        InvalidateRect(hwnd, nullptr, TRUE);
}

// ---- DlgMain ----

DlgMain::DlgMain(MyOpts* options) : opts(options) {}

DlgMain::~DlgMain()
{
    // The hook is a member: it must not outlive its place in the window's chain.
    RemoveWndHook(&dragger);
}

LRESULT DlgMain::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    EnableResizing(DlgResizeWidth, opts ? &opts->wndPos : nullptr);
    LRESULT result = CSDlg::OnInitDialog(wParam, lParam);
    icons.InitEx(hwnd, -IDI_PRODUCT);
    AddWndHook(&dragger);
    if (!opts)
        return result;

    colorIndicator.Init(this, IDC_COLOR_INDICATOR);
    gradientIndicator.Init(this, IDC_GRADIENT_INDICATOR);
    colorIndicator.color = &opts->bkgColor;
    gradientIndicator.color = &opts->bkgGradient;
    colorIndicator.ResetDrawingTools();
    gradientIndicator.ResetDrawingTools();

    borderList.Init(this, IDC_BORDER_TYPE);
    FillList(borderList, IDS_BORDER_FIRST, BorderTypeCount, opts->borderType, 0);
    gradientList.Init(this, IDC_GRADIENT_TYPE);
    FillList(gradientList, IDS_GRADIENT_FIRST, GradientTypeCount, opts->gradientType, MyOpts::GradientVertical);

    // Binding loads the history.
    pictureList.Init(this, IDC_IMAGE_PATH, HistoryValue, HistoryFlags);
    pictureList.SetText(opts->imagePath);

    CheckDlgButton(IDC_LOW_COLOR, opts->IsOn(MyOpts::FlagLowColorIcon) ? BST_CHECKED : BST_UNCHECKED);
    bool forUser, forAll;
    if (opts->IsOn(MyOpts::FlagTakeSetupChoice)) {
        // The installer's choice, not yet made into an entry.
        forAll = MyOpts::GetSetupOptForAllUsers() != 0;
        forUser = !forAll;
    } else {
        forUser = TB_Icon::IsRegisteredAutoLoad(0, MyTB_Icon::AutoLoadName) != 0;
        forAll = TB_Icon::IsRegisteredAutoLoad(1, MyTB_Icon::AutoLoadName) != 0;
    }
    CheckDlgButton(IDC_AUTOLOAD, forUser || forAll ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_AUTOLOAD_USER, forUser ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_AUTOLOAD_ALL, forAll ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(IDC_BKG_COLOR, IDC_BKG_IMAGE,
                     opts->bkgType == MyOpts::BkgPictureType ? IDC_BKG_IMAGE : IDC_BKG_COLOR);

    for (const MarginField& margin : Margins) {
        SetDlgItemInt(margin.edit, static_cast<UINT>(opts->*margin.value), TRUE);
        SetSpinRange(margin.spin, 0, MarginMax);
    }
    UpdateEnabledStates();
    return result;
}

void DlgMain::UpdateEnabledStates()
{
    BOOL autoLoad = IsChecked(IDC_AUTOLOAD);
    EnableDlgItem(IDC_AUTOLOAD_USER, autoLoad);
    EnableDlgItem(IDC_AUTOLOAD_ALL, autoLoad);
    BOOL image = IsChecked(IDC_BKG_IMAGE);
    EnableDlgItem(IDC_IMAGE_PATH, image);
    EnableDlgItem(IDC_IMAGE_BROWSE, image);
    BOOL color = IsChecked(IDC_BKG_COLOR);
    EnableDlgItem(IDC_COLOR_INDICATOR, color);
    EnableDlgItem(IDC_GRADIENT_TYPE, color);
    EnableDlgItem(IDC_GRADIENT_INDICATOR, color && gradientList.GetSelectedItem() != MyOpts::GradientNone);
    // Whether they show their colours follows the same states.
    InvalidateRect(colorIndicator.GetHandle(), nullptr, TRUE);
    InvalidateRect(gradientIndicator.GetHandle(), nullptr, TRUE);
}

LRESULT DlgMain::OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == ProductInfo::GetMyMessage() && wParam == MyMsgChooseColor) {
        if (lParam == IDC_COLOR_INDICATOR)
            PickColor(colorIndicator);
        else if (lParam == IDC_GRADIENT_INDICATOR)
            PickColor(gradientIndicator);
    } else if (msg == WM_CTLCOLORSTATIC && IsChecked(IDC_BKG_COLOR)) {
        HWND ctl = reinterpret_cast<HWND>(lParam);
        HDC hdc = reinterpret_cast<HDC>(wParam);
        if (ctl && ctl == colorIndicator.GetHandle())
            return reinterpret_cast<LRESULT>(colorIndicator.OnCtlColor(hdc));
        if (ctl && ctl == gradientIndicator.GetHandle() && gradientList.GetSelectedItem() != MyOpts::GradientNone)
            return reinterpret_cast<LRESULT>(gradientIndicator.OnCtlColor(hdc));
    }
    return CSDlg::OnDlgMessage(msg, wParam, lParam);
}

void DlgMain::PickColor(ColorIndicator& indicator)
{
    if (indicator.color && MyChooseColor(hwnd, *indicator.color, 0, opts->customColors))
        indicator.ResetDrawingTools();
}

LRESULT DlgMain::OnCommand(WORD id, WORD code, HWND ctl)
{
    LRESULT result = CSDlg::OnCommand(id, code, ctl);
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_BKG_COLOR:
        case IDC_BKG_IMAGE:
        case IDC_AUTOLOAD:
            UpdateEnabledStates();
            break;
        case IDC_IMAGE_BROWSE:
            Browse();
            break;
        case IDC_APPLY:
            Apply();
            break;
        default:
            break;
        }
    } else if (code == CBN_SELCHANGE && id == IDC_GRADIENT_TYPE) {
        UpdateEnabledStates();
    }
    return result;
}

void DlgMain::Browse()
{
    if (!opts)
        return;
    GetDlgItemTextW(IDC_IMAGE_PATH, opts->imagePath, MyOpts::ImagePathChars);
    if (BrowseForFile(hwnd, 0, opts->imagePath, ResStr(-IDS_BROWSE_IMAGE)))
        pictureList.SetText(opts->imagePath);
}

void DlgMain::ShowAutoLoadNoteOnce(HWND owner, MyOpts& options)
{
    if (options.IsOn(MyOpts::FlagSpywareNoteShown))
        return;
    options.Set(MyOpts::FlagSpywareNoteShown, 1);
    Msg(owner, MB_ICONINFORMATION, -IDS_ANTISPYWARE_NOTE);
}

void DlgMain::Apply()
{
    if (!opts)
        return;
    opts->Set(MyOpts::FlagLowColorIcon, IsChecked(IDC_LOW_COLOR));
    BOOL autoLoad = IsChecked(IDC_AUTOLOAD);
    TB_Icon::RegisterAutoLoad(autoLoad && IsChecked(IDC_AUTOLOAD_USER), 0, MyTB_Icon::AutoLoadName,
                              MyTB_Icon::AutoLoadArgs, nullptr);
    TB_Icon::RegisterAutoLoad(autoLoad && IsChecked(IDC_AUTOLOAD_ALL), 1, MyTB_Icon::AutoLoadName,
                              MyTB_Icon::AutoLoadArgs, nullptr);
    opts->Set(MyOpts::FlagTakeSetupChoice, 0);
    if (autoLoad)
        ShowAutoLoadNoteOnce(hwnd, *opts);

    opts->borderType = static_cast<DWORD>(borderList.GetSelectedItem());
    opts->gradientType = static_cast<DWORD>(gradientList.GetSelectedItem());
    opts->bkgType = IsChecked(IDC_BKG_IMAGE) ? MyOpts::BkgPictureType : MyOpts::BkgColorType;
    GetDlgItemTextW(IDC_IMAGE_PATH, opts->imagePath, MyOpts::ImagePathChars);
    // Typed values stand as typed, beyond the arrows' range too; no number is 0.
    for (const MarginField& margin : Margins)
        opts->*margin.value = static_cast<int>(GetDlgItemInt(margin.edit, nullptr, TRUE));

    pictureList.OnOK();
    pictureList.Load();
    opts->Store();
    SetDlgItemTextW(IDCANCEL, -IDS_CLOSE, nullptr);
    ProductInfo::PostMyMessage(FindWindowW(MyTB_Icon::ClassName, nullptr), MyMsgOptionsChanged, 0);
}

LRESULT DlgMain::OnOK()
{
    Apply();
    return CSDlg::OnOK();
}

const wchar_t* DlgMain::GetHtmlPage(UINT)
{
    return L"users-guide_configuring.htm";
}

int DlgMain::CanClose(int result)
{
    if (!CSDlg::CanClose(result))
        return 0;
    RemoveWndHook(&dragger);
    return 1;
}

void DlgMain::OnResize(int dx, int)
{
    if (!dx)
        return;
    RECT rc;
    if (GetDlgItemRect(IDC_BKG_FRAME, &rc))
        ResizeCtrl(IDC_BKG_FRAME, rc.right - rc.left + dx, rc.bottom - rc.top);
    // A combo box's height is that of its dropped list.
    RECT dropped;
    if (GetDlgItemRect(IDC_IMAGE_PATH, &rc) &&
        SendDlgItemMsg(IDC_IMAGE_PATH, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)) != CB_ERR)
        ResizeCtrl(IDC_IMAGE_PATH, rc.right - rc.left + dx, dropped.bottom - dropped.top);
    if (GetDlgItemRect(IDC_IMAGE_BROWSE, &rc))
        MoveCtrl(IDC_IMAGE_BROWSE, rc.left + dx, rc.top);
    InvalidateRect(hwnd, nullptr, TRUE);
}
