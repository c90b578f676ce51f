// The update dialogs: filling them from the product identity and the schedule, and what closing them chooses.
#include "product/DlgUpdate.h"

#include <cwchar>

#include "product/DlgAbout.h"
#include "product/ProductInfo.h"
#include "res/StringIds.h"
#include "sys/ResStr.h"
#include "sys/TextTrunc.h"

extern "C" HINSTANCE hiDLL;

namespace {

const int ReminderTexts[] = {IDS_REMIND_TOMORROW, IDS_REMIND_NEXT_WEEK, IDS_REMIND_NEXT_MONTH};
const int FrequencyTexts[] = {IDS_FREQ_DAILY, IDS_FREQ_WEEKLY, IDS_FREQ_MONTHLY};
const int FreqCount = 3;

int ValidFreq(int freq)
{
    return freq >= 0 && freq < FreqCount ? freq : Check4UpdatesMonthly;
}

HICON LoadProductIcon(bool small)
{
    ProductInfo* product = GetProductInfo();
    int id = product->GetIconID();
    HINSTANCE instance = product->GetIconInstance();
    ProductInfo::ConvertResourceId(id, instance);
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON),
                                         GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON), 0));
}

} // namespace

// ---- DlgUpdateBase ----

DlgUpdateBase::DlgUpdateBase(int initialFreq)
    : freq(ValidFreq(initialFreq)), iconLarge(nullptr), iconSmall(nullptr), headline(1, 2, 700, L"Verdana"),
      okButton(ImageSize, ImageSize, hiDLL, -OkBitmapId, 0, ImageBtn::FlagCenterH | ImageBtn::FlagCenterV),
      choseYes(false)
{
    ProductInfo* product = GetProductInfo();
    int id = product->GetIconID();
    HINSTANCE instance = product->GetIconInstance();
    ProductInfo::ConvertResourceId(id, instance);
    productIcon.LoadIconW(ImageSize, ImageSize, instance, id, 0, 0, 0, 0,
                          ImageBtn::FlagCenterH | ImageBtn::FlagCenterV | ImageBtn::FlagNoFocus);
}

DlgUpdateBase::~DlgUpdateBase()
{
    if (iconLarge)
        DestroyIcon(iconLarge);
    if (iconSmall)
        DestroyIcon(iconSmall);
}

void DlgUpdateBase::FormatCtrl(int id, const wchar_t* arg)
{
    wchar_t format[512] = L"";
    wchar_t text[1024];
    if (id)
        GetDlgItemTextW(id, format, 512);
    else
        GetWindowTextW(hwnd, format, 512);
    textbuf::Format(text, 1024, format, arg ? arg : L"");
    if (id)
        SetDlgItemTextW(id, text);
    else
        SetWindowTextW(hwnd, text);
}

LRESULT DlgUpdateBase::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CSDlg::OnInitDialog(wParam, lParam);
    ProductInfo* product = GetProductInfo();
    FormatCtrl(0, product->GetNickName());
    // A second run of the same object loads its icons again.
    if (!iconLarge)
        iconLarge = LoadProductIcon(false);
    if (!iconSmall)
        iconSmall = LoadProductIcon(true);
    SendMsg(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(iconLarge));
    SendMsg(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(iconSmall));
    headline.Init(hwnd, HeadlineCtl);
    productIcon.Init(this, ProductIconCtl);
    okButton.Init(this, IDOK);
    freqList.Init(this, FreqListCtl);
    freqList.DelAll();
    for (int i = 0; i < FreqCount; ++i)
        freqList.AddItem(ResStr(-ReminderTexts[i]), static_cast<DWORD_PTR>(i));
    freqList.SetCurSel(freq);
    CheckRadioButton(YesCtl, NoCtl, YesCtl);
    choseYes = false;
    // The background check has no window of its own to come after: it asks to be seen.
    if (!GetOwner())
        SetForegroundWindow(hwnd);
    return result;
}

void DlgUpdateBase::DoClose(int result)
{
    if (result == IDOK || result == IDCANCEL) {
        int selected = freqList.GetCurSel();
        if (selected >= 0 && selected < FreqCount)
            freq = selected;
        choseYes = IsDlgButtonChecked(YesCtl) == BST_CHECKED;
    }
    CSDlg::DoClose(result);
    if (result == IDOK && choseYes) {
        wchar_t url[1024];
        GetUpdatePageUrl(url, 1024);
        OpenHTML(hwnd, url, 0, 0);
    }
}

// ---- DlgCheckForUpdates ----

DlgCheckForUpdates::DlgCheckForUpdates(int initialFreq, int initialAutomatic)
    : DlgUpdateBase(initialFreq), automatic(initialAutomatic ? 1 : 0)
{
}

LRESULT DlgCheckForUpdates::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DlgUpdateBase::OnInitDialog(wParam, lParam);
    FormatCtrl(HeadlineCtl, GetProductInfo()->GetNickName());
    CheckDlgButton(AutoCtl, automatic ? BST_CHECKED : BST_UNCHECKED);
    return result;
}

void DlgCheckForUpdates::DoClose(int result)
{
    if (result == IDOK || result == IDCANCEL)
        automatic = IsDlgButtonChecked(AutoCtl) == BST_CHECKED ? 1 : 0;
    DlgUpdateBase::DoClose(result);
}

// ---- DlgGetUpdates ----

DlgGetUpdates::DlgGetUpdates(int initialFreq, const wchar_t* description)
    : DlgUpdateBase(initialFreq), descr(description)
{
}

LRESULT DlgGetUpdates::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DlgUpdateBase::OnInitDialog(wParam, lParam);
    FormatCtrl(DescrCtl, descr);
    return result;
}

void PopulateFreqList(CSComboList& list)
{
    for (int i = 0; i < FreqCount; ++i)
        list.AddItem(ResStr(-FrequencyTexts[i]), static_cast<DWORD_PTR>(i));
}
