// CSDlgPage: creation inside the manager, the default answers of a page, and its focus.
#include "ui/CSDlgPage.h"

#include "ui/CSCtrl.h"
#include "ui/CSDlgPageMan.h"
#include "ui/DlgTabCycle.h"

extern "C" HINSTANCE hiDLL;

CSDlgPage::CSDlgPage(CSDlgPageMan* mgr, UINT dialogId, UINT title, HINSTANCE instance)
    : CSDlgScrollable(nullptr), titleId(title), manager(mgr), pageInstance(instance ? instance : hiDLL),
      keepActive(FALSE), updateOnCommand(FALSE), pageTemplate(static_cast<int>(dialogId))
{
    ownBackground = TRUE;
    // A page sits where the manager puts it.
    alignment = 0;
}

CSDlgPage::~CSDlgPage() = default;

int CSDlgPage::Init(CSDlg* mgr, UINT placeholder, UINT dlgId, HINSTANCE instance, BOOL show)
{
    if (!CSDlgScrollable::Init(mgr, placeholder, dlgId, instance, show))
        return 0;
    // The dialog manager steps into the page's controls as into the manager's own.
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    return 1;
}

LRESULT CSDlgPage::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CSDlgScrollable::OnWndMessage(msg, wParam, lParam);
    if ((msg == WM_LBUTTONUP || msg == WM_RBUTTONUP) && hwnd && IsWindow(hwnd))
        KeepFocusInPage();
    return result;
}

LRESULT CSDlgPage::OnCommand(WORD id, WORD code, HWND ctl)
{
    if (updateOnCommand && IsValid() && manager && !manager->IsClosed())
        UpdateData();
    return CSDlgScrollable::OnCommand(id, code, ctl);
}

void CSDlgPage::KeepFocusInPage()
{
    HWND focus = GetFocus();
    if (!focus || !IsChild(hwnd, focus))
        focus = dlgtab::First(hwnd, false);
    if (!focus)
        return;
    if (GetFocus() != focus)
        ::SetFocus(focus);
    EnsureDlgItemVisible(focus);
}

int CSDlgPage::OnKillActive(BOOL cancel)
{
    return keepActive && !cancel ? 0 : 1;
}

int CSDlgPage::OnSetActive()
{
    return 1;
}

void CSDlgPage::OnReady()
{
    if (manager && manager->GetBackID() && IsFirstPage())
        manager->EnableButton(CSDlgPageMan::BtnBack, FALSE);
}

int CSDlgPage::OnBtnNext()
{
    if (!manager)
        return 1;
    manager->SetPageItemFocus(0);
    if (manager->GetBackID() && IsFirstPage())
        manager->EnableButton(CSDlgPageMan::BtnBack, TRUE);
    return 1;
}

int CSDlgPage::OnBtnBack()
{
    return 1;
}

int CSDlgPage::OnApply()
{
    if (!UpdateData())
        return 0;
    OkControls();
    return 1;
}

void CSDlgPage::OnWmActivate(BOOL) {}

void CSDlgPage::SetPageItemFocus(UINT id)
{
    if (manager)
        manager->SetPageItemFocus(id);
}

BOOL CSDlgPage::IsFirstPage()
{
    return manager && manager->GetPageIndex(this) == 0;
}

int CSDlgPage::PreBtnNext()
{
    if (updateOnCommand || !IsValid() || !manager || manager->IsClosed())
        return 1;
    return UpdateData();
}

void CSDlgPage::RefreshControls()
{
    updatingControls = TRUE;
    UpdateControls();
    updatingControls = FALSE;
    controlsUpdated = TRUE;
}
