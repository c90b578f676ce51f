// CSDlgWizard: its buttons, sizing, header, icons, colours and the cancel question.
#include "ui/CSDlgWizard.h"

#include <initializer_list>
#include <new>

#include "sys/ResStr.h"
#include "sys/WndUtil.h"
#include "ui/CSDlgPage.h"
#include "ui/CSDlgSkin.h"

namespace {

const COLORREF HeaderTextColor = 0x800000;
const int TextChars = 1024;

} // namespace

CSDlgWizard::CSDlgWizard(UINT header, UINT placeholder, UINT back, UINT next, UINT icon, UINT titleStr,
                         UINT cancelQuestionStr, BOOL canResize, const ImageBtnDescriptor* imageBtnDesc,
                         UINT imageBtnCtlId, CSDlgSkin* dlgSkin)
    : CSDlgPageMan(0, header, placeholder, back, next, dlgSkin), titleFont(1, 0, FW_BOLD, nullptr),
      imageBtn(imageBtnDesc ? new (std::nothrow) ImageBtn(*imageBtnDesc) : nullptr), imageBtnId(imageBtnCtlId),
      iconId(icon), titleStrId(titleStr), cancelQuestionId(cancelQuestionStr), resizable(canResize), hasHelp(FALSE),
      hasCancel(FALSE), hasOK(FALSE), skinStretched(FALSE),
      skinButtonOrigin(), skinButtonsKept(FALSE)
{
}

CSDlgWizard::~CSDlgWizard()
{
    delete imageBtn;
}

MyWindowPlacement* CSDlgWizard::GetResizingInfo()
{
    return nullptr;
}

void CSDlgWizard::TurnButton(UINT id, BOOL on)
{
    SetButtonState(id, on, on);
    if (!id || !skin || SkinDrawsButton(id))
        return;
    // Before the skin shows, an area that stands for no control keeps the state itself; the
    // others take their control's once the skin shows (SkinButtons).
    bool areaOnly = !GetDlgItem(static_cast<int>(id));
    if (!on || areaOnly) {
        skin->ShowArea(id, on);
        skin->EnableArea(id, on);
    }
}

LRESULT CSDlgWizard::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    // A skin's hot area of the same id counts as the button.
    hasHelp = GetDlgItem(IDHELP) || (skin && skin->FindArea(IDHELP));
    hasCancel = GetDlgItem(IDCANCEL) || (skin && skin->FindArea(IDCANCEL));
    hasOK = GetDlgItem(IDOK) || (skin && skin->FindArea(IDOK));
    skinStretched = FALSE;
    for (UINT id : {backId, nextId, static_cast<UINT>(IDOK), static_cast<UINT>(IDCANCEL), static_cast<UINT>(IDHELP)})
        TurnButton(id, FALSE);
    if (resizable)
        EnableResizing(skin ? DlgResizeWidth | DlgResizeHeight | DlgResizeNoGrip : DlgResizeWidth | DlgResizeHeight,
                       GetResizingInfo());
    else
        EnableResizing(DlgResizeKeepWidth | DlgResizeKeepHeight, nullptr);
    if (!resizable) {
        // The size it is made with is the size it keeps (the creation size is never seen
        // as a change).
        RECT rect;
        GetWindowRect(hwnd, &rect);
        prevCx = minCx = rect.right - rect.left;
        prevCy = minCy = rect.bottom - rect.top;
    }

    // The buttons are there before the start page is shown, so that its OnReady has the last
    // word (Back stays disabled on the first page).
    if (hasCancel)
        TurnButton(IDCANCEL, TRUE);
    if (hasHelp)
        TurnButton(IDHELP, TRUE);
    if (GetPageCount() > 1) {
        TurnButton(backId, TRUE);
        TurnButton(nextId, TRUE);
        if (nextId)
            SetDlgDefaulButton(nextId);
    } else if (GetPageCount() == 1 && hasOK) {
        TurnButton(IDOK, TRUE);
        SetDlgDefaulButton(IDOK);
    }

    LRESULT result = CSDlgPageMan::OnInitDialog(wParam, lParam);
    SkinButtons();
    SkinStretched();
    titleFont.Init(hwnd, headerId);
    if (iconId)
        icons.InitEx(hwnd, static_cast<int>(iconId));
    if (titleStrId) {
        wchar_t title[TextChars] = L"";
        if (LoadStringW(resInstance, titleStrId, title, TextChars))
            SetWindowTextW(hwnd, title);
    }
    if (imageBtn && imageBtnId && GetDlgItem(static_cast<int>(imageBtnId)))
        imageBtn->Init(this, imageBtnId);
    return result;
}

LRESULT CSDlgWizard::OnOK()
{
    if (GetPageCount() == 1 && !DoBtnNext())
        return 1;
    return CSDlgPageMan::OnOK();
}

int CSDlgWizard::CanClose(int result)
{
    if (result == IDCANCEL && cancelQuestionId && activePage && !IsActivePageFirst() && !IsActivePageLast()) {
        wchar_t question[TextChars] = L"";
        // A question that cannot be loaded cannot be asked: the user may go.
        if (LoadStringW(resInstance, cancelQuestionId, question, TextChars) &&
            Msg(hwnd, MB_YESNO | MB_ICONQUESTION, L"%s", question) != IDYES)
            return 0;
    }
    return CSDlgPageMan::CanClose(result);
}

void CSDlgWizard::OnResize(int dx, int dy)
{
    CSDlgPageMan::OnResize(dx, dy);
    for (UINT id : {static_cast<UINT>(IDHELP), backId}) {
        if (HWND button = id ? GetDlgItem(static_cast<int>(id)) : nullptr)
            OffsetWnd(button, 0, dy);
    }
    for (UINT id : {nextId, static_cast<UINT>(IDOK), static_cast<UINT>(IDCANCEL)}) {
        if (HWND button = id ? GetDlgItem(static_cast<int>(id)) : nullptr)
            OffsetWnd(button, dx, dy);
    }
    if (initialized)
        SkinStretched();
}

void CSDlgWizard::OnUpdateHeaderText(BOOL show)
{
    CSDlgPageMan::OnUpdateHeaderText(show);
    if (imageBtnId)
        ShowDlgItem(static_cast<int>(imageBtnId), show);
}

int CSDlgWizard::OnCtlColor(UINT msg, HDC hdc, HWND ctl, HBRUSH* pBrush)
{
    UINT id = ctl ? static_cast<UINT>(GetDlgCtrlID(ctl)) : 0;
    bool header = msg == WM_CTLCOLORSTATIC && headerId && id == headerId;
    bool button = msg == WM_CTLCOLORBTN && imageBtnId && id == imageBtnId;
    if (!header && !button)
        return CSDlgPageMan::OnCtlColor(msg, hdc, ctl, pBrush);
    if (SkinCtlColor(msg, hdc, ctl, pBrush))
        return 1;
    SetTextColor(hdc, HeaderTextColor);
    SetBkColor(hdc, GetSysColor(COLOR_BTNHIGHLIGHT));
    if (pBrush)
        *pBrush = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
    return 1;
}
