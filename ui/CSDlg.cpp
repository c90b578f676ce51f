// CSDlg: binding, the dialog procedure and its hook chain, the message handler, running and closing, help and tooltips.
#include "ui/CSDlg.h"

#include <windowsx.h>
#include <commctrl.h>

#include <new>

#include "product/ProductInfo.h"
#include "sys/PrevInstance.h"
#include "sys/WndUtil.h"
#include "ui/CSCtrl.h"
#include "ui/CSDC.h"
#include "ui/CSDlgSkin.h"
#include "ui/FullWndDragger.h"

extern "C" HINSTANCE hiDLL;

namespace {

const wchar_t DlgProperty[] = L"CSDLG";

// Posted (to the thread) by CloseDialog so that a loop waiting in GetMessageW wakes up.
const UINT WakeLoopMsg = WM_USER + 10;
const UINT DelayTimerId = 1;
const UINT TipChars = 80;

int FreeGroup(unsigned long, unsigned int msg, void* element)
{
    if (msg == CSList::MsgRemove)
        delete static_cast<CSCtrlGroup*>(element);
    return 1;
}

bool IsOwnProcessWindow(HWND h)
{
    DWORD process = 0;
    return h && GetWindowThreadProcessId(h, &process) && process == GetCurrentProcessId();
}

} // namespace

CSDlg* CSDlg::pDlgInit = nullptr;
UINT CSDlg::idInit = 0;
CSDlg::HtmlHelpFn CSDlg::pfnHtmlHelp = nullptr;

void WMHook::AddToDlg(CSDlg* pDlg)
{
    if (pDlg)
        pDlg->AddDlgHook(this);
}

void WMHook::RemoveFromDlg(CSDlg* pDlg)
{
    if (pDlg)
        pDlg->RemoveDlgHook(this);
}

// ---- Construction and binding ----

CSDlg::CSDlg(CSDlgSkin* dlgSkin)
    : isModeless(FALSE), alignment(1), modalResult(0), resInstance(nullptr), templateId(0), identity(0),
      controlsUpdated(FALSE), skin(dlgSkin), isChild(FALSE), ownBackground(FALSE), updatingControls(FALSE),
      initialized(FALSE), groupsLaidOut(TRUE), closed(FALSE), owner(nullptr), dragger(nullptr), endLoop(FALSE), ownerDisabled(FALSE),
      dlgResult(-1), resizingFlags(0), placement(nullptr), curCx(0), curCy(0), minCx(0), minCy(0), prevCx(0),
      prevCy(0), dlgDispatchDepth(0), dlgRemovalPending(FALSE), delayedData(0), delayTimer(DelayTimerId)
{
    dlgMarker = TRUE;
    ctrlGroups.SetCallback(0, FreeGroup);
    AddWndHook(&msgHandler);
    AddDlgHook(&msgHandler);
}

CSDlg::~CSDlg()
{
    if (pDlgInit == this)
        pDlgInit = nullptr;
    delayTimer.Stop();
    EnableFullDrag(FALSE);
    // A window that outlives its object must not reach it through the dialog procedure.
    if (hwnd && IsWindow(hwnd) && GetPropW(hwnd, DlgProperty) == this) {
        RemovePropW(hwnd, DlgProperty);
        SetWindowLongPtrW(hwnd, DWLP_DLGPROC, 0);
    }
    while (!dlgHooks.IsEmpty())
        dlgHooks.RemoveHead();
    while (!wndHooks.IsEmpty())
        wndHooks.RemoveHead();
    ctrlGroups.RemoveAll();
}

int CSDlg::IsDlg()
{
    return 1;
}

void CSDlg::PreInit() {}

void CSDlg::OnPostNcDestroy()
{
    CSWnd::OnPostNcDestroy();
    if (hwnd && GetPropW(hwnd, DlgProperty) == this)
        RemovePropW(hwnd, DlgProperty);
}

CSDlg* CSDlg::SubclassDlg(HWND h)
{
    CSDlg* dlg = pDlgInit;
    if (!dlg || !h)
        return nullptr;
    pDlgInit = nullptr;
    SetPropW(h, DlgProperty, dlg);
    // Without the window side (a procedure that cannot be read) the dialog chain still works.
    if (!dlg->Subclass(h))
        dlg->hwnd = h;
    dlg->templateId = idInit;
    // The window's teardown emptied the window chain of an earlier run; the own handler
    // goes back to the end of both chains.
    if (!dlg->wndHooks.Find(&dlg->msgHandler))
        dlg->wndHooks.AddTail(&dlg->msgHandler);
    if (!dlg->dlgHooks.Find(&dlg->msgHandler))
        dlg->dlgHooks.AddTail(&dlg->msgHandler);
    dlg->PreInit();
    return dlg;
}

INT_PTR CALLBACK CSDlg::ModalProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CSDlg* dlg = static_cast<CSDlg*>(GetPropW(h, DlgProperty));
    if (!dlg) {
        dlg = SubclassDlg(h);
        if (!dlg)
            return FALSE;
    }
    return dlg->OnDlgMessage(msg, wParam, lParam);
}

// ---- The dialog chain ----

LRESULT CSDlg::OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DoDlgMessage(msg, wParam, lParam, nullptr);
    if (hwnd && IsWindow(hwnd))
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return result;
}

LRESULT CSDlg::DoDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam, WMHook* pAfter)
{
    ++dlgDispatchDepth;
    LRESULT result = 0;
    bool handled = WalkHooks(dlgHooks, pAfter, [&](WMHook* hook) {
        return hook->OnDlgMessage(this, msg, wParam, lParam, &result) != 0;
    });
    if (!handled)
        result = 0;
    if (--dlgDispatchDepth <= 0) {
        dlgDispatchDepth = 0;
        if (dlgRemovalPending) {
            dlgRemovalPending = FALSE;
            RemoveAllDlgHooks();
        }
    }
    return result;
}

void CSDlg::AddDlgHook(WMHook* hook)
{
    if (hook && !dlgHooks.Find(hook))
        dlgHooks.AddHead(hook);
}

void CSDlg::RemoveDlgHook(WMHook* hook)
{
    POS__* pos = hook ? dlgHooks.Find(hook) : nullptr;
    if (pos)
        dlgHooks.RemoveAt(pos);
}

void CSDlg::RemoveAllDlgHooks()
{
    if (dlgDispatchDepth > 0) {
        dlgRemovalPending = TRUE;
        return;
    }
    while (!dlgHooks.IsEmpty())
        dlgHooks.RemoveHead();
    // Without its own handler the dialog could not even be closed.
    dlgHooks.AddTail(&msgHandler);
}

// ---- The dialog's own handler ----

int CSDlgMsgHandler::OnDlgMessage(CSDlg* dlg, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (!dlg || !pResult)
        return 0;
    if (msg == ProductInfo::GetMyMessage()) {
        if (wParam == MyMsgHelp) {
            // The record is an address of the sender: only a sender of this thread shares it.
            auto* query = reinterpret_cast<HELP_PAGE_QUERY*>(lParam);
            if (!query || InSendMessage())
                return 0;
            query->page = dlg->GetHtmlPage(query->id);
            if (!query->page && IsOwnProcessWindow(dlg->owner))
                ProductInfo::SendMyMessage(dlg->owner, MyMsgHelp, lParam);
            return 0;
        }
        if (wParam == MyMsgIdentify && dlg->identity && static_cast<LPARAM>(dlg->identity) == lParam) {
            *pResult = 1;
            return 1;
        }
        return 0;
    }

    switch (msg) {
    case WM_SHOWWINDOW:
        dlg->OnShowWindow(static_cast<BOOL>(wParam), static_cast<DWORD>(lParam));
        return 0;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (!dis || dis->CtlType == ODT_MENU)
            return 0;
        if (CSCtrl* ctl = dlg->GetDlgCtrl(dis->hwndItem))
            ctl->OnDrawItem(dis);
        *pResult = TRUE;
        return 1;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!mis || mis->CtlType == ODT_MENU)
            return 0;
        if (CSCtrl* ctl = dlg->GetDlgCtrl(static_cast<int>(wParam)))
            ctl->OnMeasureItem(mis);
        *pResult = TRUE;
        return 1;
    }
    case WM_DELETEITEM: {
        auto* dis = reinterpret_cast<DELETEITEMSTRUCT*>(lParam);
        if (!dis)
            return 0;
        if (CSCtrl* ctl = dlg->GetDlgCtrl(dis->hwndItem))
            ctl->OnDeleteItem(dis);
        else
            dlg->OnDeleteItem(static_cast<UINT>(wParam), dis);
        *pResult = TRUE;
        return 1;
    }
    case WM_WINDOWPOSCHANGING:
        if (lParam)
            dlg->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        return 0;
    case WM_WINDOWPOSCHANGED:
        if (lParam)
            dlg->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam));
        return 0;
    case WM_NOTIFY:
        *pResult = dlg->OnNotify(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam));
        return 1;
    case WM_HELP:
        dlg->OnHelp(reinterpret_cast<HELPINFO*>(lParam));
        *pResult = 1;
        return 1;
    case WM_INITDIALOG:
        *pResult = dlg->OnInitDialog(wParam, lParam);
        dlg->PostInitDialog();
        return 1;
    case WM_COMMAND:
        return dlg->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) != 0;
    case WM_TIMER:
        if (wParam == dlg->delayTimer.GetID() && dlg->delayTimer.IsTicking())
            dlg->OnDelayedAction(dlg->delayedData);
        return 0;
    case WM_MOUSEMOVE:
        // (-1, -1) is the leave signal below; tracking it would repeat the signal for ever.
        if (lParam != -1) {
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, dlg->GetHandle(), 100};
            TrackMouseEvent(&track);
        }
        return 0;
    case WM_MOUSELEAVE:
        dlg->PostMsg(WM_MOUSEMOVE, 0, -1);
        return 0;
    default:
        return 0;
    }
}

int CSDlgMsgHandler::OnWndMessage(CSWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (!pWnd || !pResult || !pWnd->HasDlgMarker())
        return 0;
    auto* dlg = static_cast<CSDlg*>(pWnd);
    HWND h = dlg->GetHandle();
    bool resizable = (dlg->resizingFlags & (DlgResizeWidth | DlgResizeHeight)) && !IsZoomed(h);
    bool skinned = dlg->skin != nullptr;
    if (!resizable && !skinned)
        return 0;
    bool grip = resizable && !(dlg->resizingFlags & DlgResizeNoGrip);

    switch (msg) {
    case WM_PAINT:
        if (!grip)
            return 0;
        *pResult = dlg->DoWndMessage(msg, wParam, lParam, this);
        if (IsWindow(h)) {
            ClientDC dc(h);
            dlg->DrawResizingCorner(dc);
        }
        return 1;
    case WM_ERASEBKGND: {
        *pResult = dlg->DoWndMessage(msg, wParam, lParam, this);
        HDC hdc = reinterpret_cast<HDC>(wParam);
        if (skinned)
            dlg->DrawSkin(hdc);
        if (grip)
            dlg->DrawResizingCorner(hdc);
        return 1;
    }
    case WM_SETCURSOR:
        if (!resizable || LOWORD(lParam) != HTBOTTOMRIGHT)
            return 0;
        dlg->SetResizingCursor();
        *pResult = 1;
        return 1;
    case WM_NCHITTEST: {
        if (!resizable)
            return 0;
        *pResult = dlg->DoWndMessage(msg, wParam, lParam, this);
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (ScreenToClient(h, &pt) && dlg->IsPtInResizingCorner(pt.x, pt.y))
            *pResult = HTBOTTOMRIGHT;
        return 1;
    }
    default:
        return 0;
    }
}

// ---- Window side ----

LRESULT CSDlg::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_UPDATEUISTATE:
        if (skin)
            Redraw();
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
        HBRUSH brush = nullptr;
        if (OnCtlColor(msg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), &brush))
            return reinterpret_cast<LRESULT>(brush);
        break;
    }
    case WM_MOUSEMOVE: {
        int x = GET_X_LPARAM(lParam);
        int y = GET_Y_LPARAM(lParam);
        OnMouseMove(static_cast<UINT>(wParam), x, y);
        if (skin)
            skin->OnMouseMove(static_cast<UINT>(wParam), x, y);
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a quick second click on a hot area is a click too
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        if (skin)
            skin->OnMouseClick(msg, static_cast<UINT>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    default:
        break;
    }
    return CSWnd::OnWndMessage(msg, wParam, lParam);
}

int CSDlg::OnCtlColor(UINT msg, HDC hdc, HWND ctl, HBRUSH* pBrush)
{
    CSCtrl* control = GetDlgCtrl(ctl);
    if (control && control->OnCtlColor(msg, hdc, pBrush))
        return 1;
    return skin ? skin->OnCtlColor(msg, hdc, pBrush) : 0;
}

void CSDlg::DrawSkin(HDC hdc)
{
    if (skin)
        skin->DrawSkin(hdc, 0, 0, -1, -1);
}

CSDlgSkin* CSDlg::GetBackgroundSkin()
{
    if (skin || !isChild || ownBackground || !hwnd)
        return skin;
    auto* parent = static_cast<CSDlg*>(GetPropW(::GetParent(hwnd), DlgProperty));
    return parent ? parent->skin : nullptr;
}

void CSDlg::EnableFullDrag(BOOL on)
{
    if (on) {
        if (!dragger)
            dragger = new (std::nothrow) FullWndDragger;
        if (dragger)
            AddWndHook(dragger);
        return;
    }
    if (dragger) {
        RemoveWndHook(dragger);
        delete dragger;
        dragger = nullptr;
    }
}

int CSDlg::IsPtInSkinArea(int x, int y)
{
    return skin && skin->IsSkinShown() && skin->FindArea(x, y);
}

// ---- Virtual defaults ----

int CSDlg::PreTranslateMessage(MSG*)
{
    return 0;
}

int CSDlg::UpdateControls()
{
    return 1;
}

int CSDlg::UpdateData()
{
    return 1;
}

void CSDlg::OnShowWindow(BOOL, DWORD)
{
    if (!groupsLaidOut)
        ComputeGroupHeights();
    if (!controlsUpdated && !updatingControls) {
        updatingControls = TRUE;
        UpdateControls();
        updatingControls = FALSE;
        controlsUpdated = TRUE;
    }
}

LRESULT CSDlg::OnNotify(int, NMHDR* nm)
{
    if (!nm)
        return 0;
    CSCtrl* control = GetDlgCtrl(nm->hwndFrom);
    if (!control && nm->hwndFrom)
        control = GetDlgCtrl(::GetParent(nm->hwndFrom));
    if (control) {
        LRESULT result = 0;
        if (control->OnNotify(nm, &result))
            return result;
    }
    if (nm->code != TTN_GETDISPINFOW && nm->code != TTN_GETDISPINFOA)
        return 0;

    bool wide = nm->code == TTN_GETDISPINFOW;
    auto* tipW = reinterpret_cast<NMTTDISPINFOW*>(nm);
    auto* tipA = reinterpret_cast<NMTTDISPINFOA*>(nm);
    UINT flags = wide ? tipW->uFlags : tipA->uFlags;
    // A tool that is a window is named by its handle; the dialog speaks of control ids.
    UINT id = (flags & TTF_IDISHWND) ? static_cast<UINT>(GetDlgCtrlID(reinterpret_cast<HWND>(nm->idFrom)))
                                     : static_cast<UINT>(nm->idFrom);
    HINSTANCE inst = nullptr;
    WORD strId = 0;
    if (GetTootTip(id, inst, strId) && strId) {
        if (wide) {
            tipW->lpszText = MAKEINTRESOURCEW(strId);
            tipW->hinst = inst;
        } else {
            tipA->lpszText = MAKEINTRESOURCEA(strId);
            tipA->hinst = inst;
        }
        return 0;
    }
    if (wide) {
        tipW->szText[0] = 0;
        if (GetTootTip(id, tipW->szText, TipChars)) {
            tipW->szText[TipChars - 1] = 0;
            tipW->lpszText = tipW->szText;
        }
        return 0;
    }
    wchar_t text[TipChars] = {};
    if (GetTootTip(id, text, TipChars)) {
        text[TipChars - 1] = 0;
        tipA->szText[0] = 0;
        WideCharToMultiByte(CP_ACP, 0, text, -1, tipA->szText, TipChars, nullptr, nullptr);
        tipA->szText[TipChars - 1] = 0;
        tipA->lpszText = tipA->szText;
    }
    return 0;
}

void CSDlg::OnHelp(HELPINFO*)
{
    const wchar_t* page = GetHtmlPage(0);
    if (!page && IsOwnProcessWindow(owner)) {
        HELP_PAGE_QUERY query = {templateId, nullptr};
        ProductInfo::SendMyMessage(owner, MyMsgHelp, reinterpret_cast<LPARAM>(&query));
        page = query.page;
    }
    if (!page)
        return;
    if (!pfnHtmlHelp || !pfnHtmlHelp(hwnd, page, 0, 0))
        OnHtmlHelpError(page);
}

LRESULT CSDlg::OnOK()
{
    if (UpdateData())
        CloseDialog(IDOK, 1);
    return 1;
}

LRESULT CSDlg::OnCancel()
{
    CloseDialog(IDCANCEL, 0);
    return 1;
}

LRESULT CSDlg::OnCommand(WORD id, WORD code, HWND ctl)
{
    if (ctl) {
        if (CSCtrl* control = GetDlgCtrl(ctl)) {
            LRESULT result = 0;
            if (control->OnCommand(code, &result))
                return result;
        }
    }
    if (code == BN_CLICKED) {
        OnButtonClicked(id);
        if (id == IDOK)
            return OnOK();
        if (id == IDCANCEL)
            return OnCancel();
        if (id == IDHELP) {
            OnHelp(nullptr);
            return 1;
        }
    } else if (code == CBN_SELCHANGE) {
        OnComboSelChanged(id);
    }
    return 0;
}

void CSDlg::OnButtonClicked(WORD) {}

void CSDlg::OnComboSelChanged(WORD) {}

void CSDlg::OnDeleteItem(UINT, void*) {}

int CSDlg::GetTootTip(UINT, wchar_t*, UINT)
{
    return 0;
}

int CSDlg::GetTootTip(UINT, HINSTANCE&, WORD&)
{
    return 0;
}

const wchar_t* CSDlg::GetHtmlPage(UINT)
{
    return nullptr;
}

void CSDlg::OnHtmlHelpError(const wchar_t*) {}

int CSDlg::CanClose(int)
{
    return 1;
}

void CSDlg::DoClose(int)
{
    closed = TRUE;
}

void CSDlg::OnResize(int, int) {}

void CSDlg::OnInitDone()
{
    EnableFullDrag(TRUE);
    if (skin)
        skin->Init(this);
}

void CSDlg::OnInitRect(RECT&) {}

void CSDlg::OnMouseMove(UINT, int, int) {}

void CSDlg::EnsureDlgItemVisible(HWND) {}

void CSDlg::OnDelayedAction(DWORD data)
{
    DelayAction(data, 0);
}

int CSDlg::DelayAction(DWORD data, DWORD ms)
{
    if (ms == 0) {
        delayTimer.Stop();
        delayedData = 0;
        return 1;
    }
    delayedData = data;
    return hwnd ? delayTimer.Start(hwnd, ms, nullptr, DelayTimerId) : 0;
}

// ---- Initialisation ----

void CSDlg::PostInitDialog()
{
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(child);
        // -1 of a 16-bit template id, or of a 32-bit one: the control has no id.
        if (id == -1 || id == 0xFFFF || CSWnd::GetWnd(child))
            continue;
        // Only the first control with an id can be reached by it.
        if (::GetDlgItem(hwnd, id) != child)
            continue;
        CSCtrl* control = new (std::nothrow) CSCtrl;
        if (!control)
            continue;
        control->SetAutoDelete(TRUE);
        control->Init(this, static_cast<UINT>(id));
        if (!control->GetPrevWndProc())
            delete control;
    }
    if (!(GetWndStyle(hwnd) & WS_CHILD))
        DoActivateWindow(hwnd);
}

LRESULT CSDlg::OnInitDialog(WPARAM, LPARAM)
{
    if (!placement && !(resizingFlags & (DlgResizeWidth | DlgResizeHeight))) {
        initialized = TRUE;
        OnInitDone();
        AlignDlg();
        return 1;
    }

    RECT rect;
    GetWindowRect(hwnd, &rect);
    OnInitRect(rect);
    prevCx = minCx = rect.right - rect.left;
    prevCy = minCy = rect.bottom - rect.top;
    bool keepShown = (resizingFlags & DlgResizeNoHide) != 0;
    if (!keepShown)
        ShowWindow(hwnd, SW_HIDE);

    int show = SW_SHOW;
    // A record that cannot be right (damaged, or from a screen that is gone) counts as none.
    bool stored = placement && placement->length == sizeof(WINDOWPLACEMENT) &&
                  placement->rcNormalPosition.right > placement->rcNormalPosition.left &&
                  placement->rcNormalPosition.bottom > placement->rcNormalPosition.top &&
                  MonitorFromRect(&placement->rcNormalPosition, MONITOR_DEFAULTTONULL);
    if (!stored) {
        MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
        AlignDlg();
        StoreResizingInfo();
        curCx = rect.right - rect.left;
        curCy = rect.bottom - rect.top;
    } else {
        show = static_cast<int>(placement->showCmd);
        if (show == SW_HIDE || show == SW_SHOWMINIMIZED || show == SW_MINIMIZE || show == SW_SHOWMINNOACTIVE ||
            show < 0 || show > SW_MAX)
            show = SW_SHOWNORMAL;
        placement->flags = 0;
        WINDOWPLACEMENT restored = *placement;
        restored.length = sizeof(restored);
        // Kept hidden until its controls follow the size: the show command would show it now.
        restored.showCmd = keepShown ? static_cast<UINT>(show) : SW_HIDE;
        SetWindowPlacement(hwnd, &restored);
        // The size limits may have corrected the stored size: take what the window has.
        RECT now;
        GetWindowRect(hwnd, &now);
        curCx = now.right - now.left;
        curCy = now.bottom - now.top;
    }
    if (keepShown ? IsZoomed(hwnd) : show == SW_SHOWMAXIMIZED) {
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        curCx = work.right - work.left + 2 * GetSystemMetrics(SM_CXFRAME);
        curCy = work.bottom - work.top + 2 * GetSystemMetrics(SM_CYFRAME);
    }
    Resize();
    initialized = TRUE;
    OnInitDone();
    if (!keepShown)
        ShowWindow(hwnd, show);
    return 1;
}

void CSDlg::AlignDlg()
{
    HWND around = owner;
    if (around && IsIconic(around))
        around = nullptr;
    POINT cursor;
    switch (alignment) {
    case 1:
        CenterWindow(around);
        break;
    case 2:
        CascadeWindow(around);
        break;
    case 3:
        if (GetCursorPos(&cursor))
            MoveWindowToMouse(hwnd);
        else
            CenterWindow(around);
        break;
    default:
        break;
    }
}

// ---- Running and closing ----

bool CSDlg::PrepareRun(int& id, HINSTANCE& instance, HWND parent)
{
    if (hwnd && IsWindow(hwnd))
        return false;
    // Anything beyond 16 bits would be taken for a name's address.
    if (id == 0 || id > 0xFFFF || id < -0xFFFF)
        return false;
    if (id < 0) {
        id = -id;
        instance = hiDLL;
    } else if (!instance) {
        instance = hiDLL;
    }
    ResetRunState(instance, parent, static_cast<UINT>(id));
    return true;
}

void CSDlg::ResetRunState(HINSTANCE instance, HWND parent, UINT id)
{
    resInstance = instance;
    owner = parent;
    templateId = id;
    closed = FALSE;
    initialized = FALSE;
    endLoop = FALSE;
    dlgResult = -1;
}

void CSDlg::BeginCreation(UINT id)
{
    pDlgInit = this;
    idInit = id;
}

void CSDlg::EndCreation()
{
    // Still set: the system made no window, so nothing took it.
    if (pDlgInit == this)
        pDlgInit = nullptr;
}

int CSDlg::Modal(int id, HINSTANCE instance, HWND parent)
{
    if (!PrepareRun(id, instance, parent)) {
        modalResult = -1;
        return -1;
    }
    isModeless = FALSE;
    BeginCreation(static_cast<UINT>(id));
    INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(id), parent, ModalProc, 0);
    EndCreation();
    modalResult = static_cast<int>(result);
    return modalResult;
}

HWND CSDlg::Modeless(int id, HINSTANCE instance, HWND parent, BOOL show)
{
    if (!PrepareRun(id, instance, parent))
        return nullptr;
    isModeless = TRUE;
    BeginCreation(static_cast<UINT>(id));
    HWND created = CreateDialogParamW(instance, MAKEINTRESOURCEW(id), parent, ModalProc, 0);
    EndCreation();
    if (!created)
        return nullptr;
    if (show) {
        ShowWindow(created, SW_SHOW);
        UpdateWindow(created);
    }
    return created;
}

int CSDlg::CreateIndirect(const DLGTEMPLATE* dlgTemplate, HWND parent)
{
    if (!dlgTemplate || (hwnd && IsWindow(hwnd)))
        return 0;
    ResetRunState(hiDLL, parent, 0);
    isModeless = FALSE;
    BeginCreation(0);
    HWND created = CreateDialogIndirectParamW(hiDLL, dlgTemplate, parent, ModalProc, 0);
    EndCreation();
    return created != nullptr;
}

int CSDlg::ModelessWithLoop(BOOL disableParent, int id, HINSTANCE instance, HWND parent)
{
    if (!Modeless(id, instance, parent, TRUE))
        return -1;
    // EnableWindow answers whether the window was disabled already: then it stays so.
    ownerDisabled = disableParent && parent && IsWindow(parent) && !EnableWindow(parent, FALSE);

    MSG msg;
    bool woken = false;
    while (!endLoop && hwnd && IsWindow(hwnd)) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        // The wake-up carries nothing; any other message still goes where it was sent.
        if (endLoop && !msg.hwnd && msg.message == WakeLoopMsg) {
            woken = true;
            break;
        }
        if (PreTranslateMessage(&msg))
            continue;
        if (hwnd && IsDialogMessageW(hwnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // Ended by its flag, the loop takes its wake-up along instead of waiting for it: a nested
    // loop may have eaten it, and messages queued before it belong to the caller's loop.
    if (endLoop && !woken)
        PeekMessageW(&msg, reinterpret_cast<HWND>(-1), WakeLoopMsg, WakeLoopMsg, PM_REMOVE);
    EnableOwner();
    // Ended by WM_QUIT while open: nothing runs the dialog any more.
    if (hwnd && IsWindow(hwnd))
        DestroyWindow(hwnd);
    if (parent && IsWindow(parent))
        SetForegroundWindow(parent);
    return dlgResult;
}

void CSDlg::OkControls()
{
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child;) {
        HWND next = ::GetWindow(child, GW_HWNDNEXT);
        CSCtrl* control = GetDlgCtrl(child);
        if (control && control->GetDlg() == this)
            control->OnOK();
        child = next;
    }
}

int CSDlg::CloseDialog(int result, int okControls)
{
    if (!hwnd || !IsWindow(hwnd))
        return 1;
    if (!CanClose(result))
        return 1;
    dlgResult = result;
    if (okControls == -1)
        okControls = result != IDCANCEL;
    if (okControls)
        OkControls();
    DoClose(result);
    StoreResizingInfo();
    if (!isModeless) {
        EndDialog(result);
        return 1;
    }
    endLoop = TRUE;
    // An owner still disabled when the window goes would hand the activation to another program.
    EnableOwner();
    if (hwnd && IsWindow(hwnd))
        DestroyWindow(hwnd);
    PostThreadMessageW(GetCurrentThreadId(), WakeLoopMsg, 0, 0);
    return 1;
}

void CSDlg::EnableOwner()
{
    if (ownerDisabled && owner && IsWindow(owner))
        EnableWindow(owner, TRUE);
    ownerDisabled = FALSE;
}

int CSDlg::EndDialog(int result)
{
    return hwnd ? ::EndDialog(hwnd, result) : 0;
}
