// CSDlgPageMan: page activation and its refusals, the keyboard, the buttons, applying and closing.
#include "ui/CSDlgPageMan.h"

#include <initializer_list>

#include "sys/TextTrunc.h"
#include "sys/WndUtil.h"
#include "ui/CSDlgPage.h"
#include "ui/CSDlgSkin.h"
#include "ui/CSWaitCursor.h"
#include "ui/DlgTabCycle.h"

extern "C" HINSTANCE hiDLL;

namespace {

// When a page last refused to be left, for every manager of the module.
DWORD lastRefusal;
bool refusedOnce;

const UINT PumpBound = 200;  // pending messages processed by PressButton at most

// Disables an enabled control and keeps it in the list (data) to enable it again.
BOOL CALLBACK DisableEnabled(HWND child, LPARAM data)
{
    wchar_t cls[16];
    if (GetClassNameW(child, cls, 16) && _wcsicmp(cls, L"Static") == 0)
        return TRUE;
    if (IsWindowEnabled(child)) {
        reinterpret_cast<CSList*>(data)->AddTail(child);
        EnableWindow(child, FALSE);
    }
    return TRUE;
}

} // namespace

CSDlgPageMan::CSDlgPageMan(UINT id, UINT header, UINT placeholder, UINT back, UINT next, CSDlgSkin* dlgSkin)
    : CSDlg(dlgSkin), managerId(id), headerId(header), placeholderId(placeholder), backId(back), nextId(next),
      focusId(0), startIndex(-1), activePage(nullptr)
{
}

CSDlgPageMan::~CSDlgPageMan()
{
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* page = static_cast<CSDlgPage*>(pages.GetNext(pos));
        if (page->GetManager() == this)
            page->SetManager(nullptr);
    }
    pages.RemoveAll();
}

// ---- Pages ----

int CSDlgPageMan::AddPage(CSDlgPage* page)
{
    if (!page || pages.Find(page))
        return 0;
    pages.AddTail(page);
    page->SetManager(this);
    return 1;
}

CSDlgPage* CSDlgPageMan::GetPage(int index) const
{
    POS__* pos = index >= 0 ? pages.FindIndex(index) : nullptr;
    return pos ? static_cast<CSDlgPage*>(pages.GetAt(pos)) : nullptr;
}

int CSDlgPageMan::GetPageIndex(CSDlgPage* page) const
{
    POS__* pos = page ? pages.Find(page) : nullptr;
    return pos ? pages.GetIndex(pos) : -1;
}

CSDlgPage* CSDlgPageMan::GetNextPage(CSDlgPage* page, BOOL forward) const
{
    int index = GetPageIndex(page);
    return index < 0 ? nullptr : GetPage(forward ? index + 1 : index - 1);
}

BOOL CSDlgPageMan::IsActivePageFirst() const
{
    return activePage && GetPageIndex(activePage) == 0;
}

BOOL CSDlgPageMan::IsActivePageLast() const
{
    return activePage && GetPageIndex(activePage) == pages.GetCount() - 1;
}

bool CSDlgPageMan::IsPageCreated(CSDlgPage* page) const
{
    return page && page->IsReady() && page->IsInitialized();
}

int CSDlgPageMan::CanKillActivePage(BOOL cancel)
{
    // A manager that shows no page yet has nothing to leave, whatever another one refused.
    if (!activePage || !activePage->IsReady())
        return 1;
    if (refusedOnce && GetTickCount() - lastRefusal < RefusalMs)
        return 0;
    if (activePage->OnKillActive(cancel))
        return 1;
    refusedOnce = true;
    lastRefusal = GetTickCount();
    return 0;
}

int CSDlgPageMan::SetActivePage(int index, BOOL focus)
{
    return SetActivePage(GetPage(index), focus);
}

int CSDlgPageMan::SetActivePage(CSDlgPage* page, BOOL focus)
{
    if (!page || GetPageIndex(page) < 0 || !hwnd || !IsWindow(hwnd))
        return 0;
    if (page == activePage && page->IsReady()) {
        HWND current = GetFocus();
        if (focus && current && IsChild(*page, current))
            page->EnsureDlgItemVisible(current);
        return 1;
    }
    if (!CanKillActivePage(FALSE))
        return 0;

    bool shownBefore = IsPageCreated(page);
    if (!shownBefore) {
        CSWaitCursor wait;
        int id = page->GetPageTemplate();
        HINSTANCE instance = id < 0 ? hiDLL : page->GetPageInstance();
        if (!page->Init(this, placeholderId, static_cast<UINT>(id < 0 ? -id : id), instance, FALSE))
            return 0;
        // Hidden until it is agreed on, whatever its template says.
        ShowWindow(*page, SW_HIDE);
        // Tab order runs through the page where the placeholder stands.
        HWND after = nullptr;
        for (CSDlgPage* before = GetNextPage(page, FALSE); before && !after; before = GetNextPage(before, FALSE)) {
            if (IsPageCreated(before))
                after = *before;
        }
        if (!after)
            after = GetDlgItem(static_cast<int>(placeholderId));
        if (after)
            SetWindowPos(*page, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (!page->OnSetActive())
        return 0;

    CSDlgPage* previous = activePage;
    if (previous && previous != page && previous->IsReady()) {
        ShowWindow(*previous, SW_HIDE);
        EnableWindow(*previous, FALSE);
    }
    OnUpdateHeaderText(FALSE);
    activePage = page;
    startIndex = GetPageIndex(page);
    if (page->GetTitleID()) {
        wchar_t title[HeaderChars] = L"";
        LoadStringW(page->GetPageInstance(), page->GetTitleID(), title, HeaderChars);
        SetDlgItemTextW(static_cast<int>(headerId), title);
    }
    OnUpdateHeaderText(TRUE);
    if (shownBefore)
        page->RefreshControls();
    EnableWindow(*page, TRUE);
    ShowWindow(*page, SW_SHOW);
    if (focus) {
        if (HWND first = dlgtab::First(*page, false))
            FocusControl(first);
    }
    if (nextId)
        SetDlgItemTextW(static_cast<int>(nextId), IsActivePageLast() ? L"Fi&nish" : L"&Next >");
    page->OnReady();
    if (focusId)
        DelayAction(ActionFocusPage, ActionDelayMs);
    return 1;
}

int CSDlgPageMan::SetNextPage(BOOL forward)
{
    if (!activePage || pages.IsEmpty())
        return 0;
    if (forward && IsActivePageLast()) {
        if (nextId) {
            // Finish: as if OK had been clicked.
            SendMsg(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return 1;
        }
        return SetActivePage(0, TRUE);
    }
    if (!forward && IsActivePageFirst())
        return backId ? 0 : SetActivePage(pages.GetCount() - 1, TRUE);
    return SetActivePage(GetNextPage(activePage, forward), TRUE);
}

// ---- Focus and keyboard ----

void CSDlgPageMan::FocusControl(HWND ctl)
{
    if (!ctl || !hwnd)
        return;
    SendMsg(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ctl), TRUE);
    EnsureDlgItemVisible(ctl);
}

void CSDlgPageMan::SetPageItemFocus(UINT id)
{
    focusId = id;
    if (id && activePage && activePage->IsReady())
        DelayAction(ActionFocusPage, ActionDelayMs);
}

int CSDlgPageMan::OnTabKey(bool backwards)
{
    HWND focus = GetFocus();
    if (!focus || !IsChild(hwnd, focus))
        return 0;
    HWND next = dlgtab::Next(hwnd, focus, backwards);
    if (!next)
        return 0;
    FocusControl(next);
    return 1;
}

int CSDlgPageMan::PreTranslateMessage(MSG* msg)
{
    if (!msg || !hwnd || !IsWindow(hwnd))
        return 0;
    // Only what happens inside this manager.
    if (msg->hwnd != hwnd && !IsChild(hwnd, msg->hwnd))
        return 0;
    bool pageShown = activePage && activePage->IsReady();
    if (msg->message == WM_KEYDOWN) {
        bool ctrl = GetKeyState(VK_CONTROL) < 0;
        bool shift = GetKeyState(VK_SHIFT) < 0;
        if (ctrl && !backId && !nextId) {
            switch (msg->wParam) {
            case VK_TAB:
                SetNextPage(!shift);
                return 1;
            case VK_PRIOR:
                SetNextPage(FALSE);
                return 1;
            case VK_NEXT:
                SetNextPage(TRUE);
                return 1;
            default:
                break;
            }
        }
        if (msg->wParam == VK_TAB && !ctrl && pageShown && OnTabKey(shift))
            return 1;
        // Default button and Cancel are the manager's, even from inside the page.
        if (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)
            return IsDialogMessageW(hwnd, msg) ? 1 : 0;
    }
    if (msg->message == WM_NOTIFY)
        return 0;
    if (pageShown && IsDialogMessageW(*activePage, msg))
        return 1;
    return IsDialogMessageW(hwnd, msg) ? 1 : 0;
}

// ---- Messages ----

LRESULT CSDlgPageMan::OnInitDialog(WPARAM wParam, LPARAM lParam)
{
    ShowDlgItem(static_cast<int>(placeholderId), FALSE);
    ShowDlgItem(static_cast<int>(headerId), FALSE);
    activePage = nullptr;
    if (startIndex < 0 || startIndex >= pages.GetCount())
        startIndex = 0;
    CSDlg::OnInitDialog(wParam, lParam);
    ShowDlgItem(static_cast<int>(headerId), TRUE);
    SetActivePage(startIndex, TRUE);
    return 0;
}

LRESULT CSDlgPageMan::OnDlgMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CSDlg::OnDlgMessage(msg, wParam, lParam);
    bool pageShown = activePage && activePage->IsReady();
    if (msg == WM_ACTIVATE && pageShown) {
        BOOL active = LOWORD(wParam) != WA_INACTIVE;
        activePage->OnWmActivate(active);
        if (active && focusId)
            DelayAction(ActionFocusPage, ActionDelayMs);
    } else if (msg == WM_MOUSEWHEEL && pageShown) {
        activePage->OnWmMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return TRUE;
    }
    return result;
}

LRESULT CSDlgPageMan::OnCommand(WORD id, WORD code, HWND ctl)
{
    if (code == BN_CLICKED && id && (id == nextId || id == backId) && activePage && activePage->IsReady()) {
        BOOL forward = id == nextId;
        int answer;
        if (forward) {
            answer = DoBtnNext();
        } else {
            activePage->PreBtnNext();
            answer = activePage->OnBtnBack();
        }
        if (answer)
            SetNextPage(forward);
    }
    return CSDlg::OnCommand(id, code, ctl);
}

int CSDlgPageMan::DoBtnNext()
{
    CSDlgPage* page = activePage;
    if (!page || !page->IsReady())
        return 0;
    // Nothing can be clicked twice while the page decides; what was enabled comes back.
    CSList disabled;
    HWND focus = GetFocus();
    EnumChildWindows(hwnd, DisableEnabled, reinterpret_cast<LPARAM>(&disabled));
    int answer = page->PreBtnNext() ? page->OnBtnNext() : 0;
    for (POS__* pos = disabled.GetHeadPos(); pos;) {
        HWND h = static_cast<HWND>(disabled.GetNext(pos));
        if (IsWindow(h))
            EnableWindow(h, TRUE);
    }
    if (focus && IsWindow(focus) && !GetFocus())
        ::SetFocus(focus);
    return answer;
}

LRESULT CSDlgPageMan::OnOK()
{
    if (!OnApply(1))
        return 1;
    return CSDlg::OnOK();
}

int CSDlgPageMan::OnApply(int)
{
    CSDlgPage* page = activePage && activePage->IsReady() ? activePage : nullptr;
    if (page) {
        if (!page->OnKillActive(FALSE))
            return 0;
        if (!page->OnApply()) {
            page->OnSetActive();
            return 0;
        }
    }
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* other = static_cast<CSDlgPage*>(pages.GetNext(pos));
        if (other != page && IsPageCreated(other) && other->IsValid() && !other->OnApply()) {
            SetActivePage(other, TRUE);
            return 0;
        }
    }
    if (page)
        page->OnSetActive();
    return 1;
}

int CSDlgPageMan::CanClose(int result)
{
    if (!CSDlg::CanClose(result))
        return 0;
    CSDlgPage* page = activePage && activePage->IsReady() ? activePage : nullptr;
    if (page && (!page->OnKillActive(result == IDCANCEL) || !page->CanClose(result))) {
        page->OnSetActive();
        return 0;
    }
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* other = static_cast<CSDlgPage*>(pages.GetNext(pos));
        if (other != page && IsPageCreated(other) && !other->CanClose(result)) {
            SetActivePage(other, TRUE);
            return 0;
        }
    }
    return 1;
}

void CSDlgPageMan::DoClose(int result)
{
    CSDlg::DoClose(result);
    if (activePage && IsPageCreated(activePage))
        activePage->DoClose(result);
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* other = static_cast<CSDlgPage*>(pages.GetNext(pos));
        if (other != activePage && IsPageCreated(other))
            other->DoClose(result);
    }
}

void CSDlgPageMan::OnResize(int dx, int dy)
{
    if (HWND header = GetDlgItem(static_cast<int>(headerId)))
        ResizeWnd(header, dx, 0);
    if (HWND placeholder = GetDlgItem(static_cast<int>(placeholderId)))
        ResizeWnd(placeholder, dx, dy);
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* page = static_cast<CSDlgPage*>(pages.GetNext(pos));
        if (IsPageCreated(page)) {
            ResizeWnd(*page, dx, dy);
            page->OnResize(dx, dy);
        }
    }
}

void CSDlgPageMan::EnsureDlgItemVisible(HWND ctl)
{
    if (activePage && activePage->IsReady() && ctl && IsChild(*activePage, ctl))
        activePage->EnsureDlgItemVisible(ctl);
}

void CSDlgPageMan::OnDelayedAction(DWORD data)
{
    CSDlg::OnDelayedAction(data);
    switch (data) {
    case ActionFocusPage:
        if (activePage && activePage->IsReady() && focusId) {
            HWND ctl = ::GetDlgItem(*activePage, static_cast<int>(focusId));
            focusId = 0;
            FocusControl(ctl);
        }
        break;
    case ActionPressBack:
        ClickButton(backId);
        break;
    case ActionPressNext:
        ClickButton(nextId);
        break;
    default:
        break;
    }
}

int CSDlgPageMan::GetTootTip(UINT id, wchar_t* text, UINT cch)
{
    const wchar_t* tip = nullptr;
    if (id == IDOK)
        tip = L"OK";
    else if (id == IDCANCEL)
        tip = L"Cancel";
    else if (id == IDHELP)
        tip = L"Help";
    else if (id && id == backId)
        tip = L"<< Back";
    else if (id && id == nextId)
        tip = L"Next >>";
    if (!tip)
        return CSDlg::GetTootTip(id, text, cch);
    textbuf::Copy(text, static_cast<int>(cch), tip);
    return 1;
}

// ---- Header, buttons, pages' data ----

void CSDlgPageMan::OnUpdateHeaderText(BOOL show)
{
    ShowDlgItem(static_cast<int>(headerId), show);
}

BOOL CSDlgPageMan::SetHeaderText(const wchar_t* fmt, ...)
{
    wchar_t text[HeaderChars];
    va_list args;
    va_start(args, fmt);
    textbuf::FormatV(text, HeaderChars, fmt ? fmt : L"", args);
    va_end(args);
    return SetDlgItemTextW(static_cast<int>(headerId), text);
}

UINT CSDlgPageMan::ButtonID(UINT mask) const
{
    if (mask == BtnBack)
        return backId;
    if (mask == BtnNext)
        return nextId;
    if (mask == BtnCancel)
        return IDCANCEL;
    if (mask == BtnHelp)
        return IDHELP;
    return 0;
}

void CSDlgPageMan::EnableButton(UINT mask, BOOL on)
{
    for (UINT bit : {BtnBack, BtnNext, BtnCancel, BtnHelp}) {
        if (mask & bit)
            SetButtonState(ButtonID(bit), -1, on);
    }
}

void CSDlgPageMan::ShowButton(UINT mask, BOOL show)
{
    for (UINT bit : {BtnBack, BtnNext, BtnHelp}) {
        if (mask & bit)
            SetButtonState(ButtonID(bit), show, -1);
    }
}

void CSDlgPageMan::PressButton(UINT mask)
{
    UINT bit = mask & (0u - mask);  // one button: the lowest asked for
    UINT id = ButtonID(bit);
    if (!id || (!GetDlgItem(static_cast<int>(id)) && !SkinDrawsButton(id)))
        return;
    SetButtonState(id, -1, TRUE);
    // Let the button show itself enabled before it is pressed.
    MSG msg;
    for (UINT i = 0; i < PumpBound && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (!hwnd || !IsWindow(hwnd))
        return;
    if (bit == BtnBack)
        DelayAction(ActionPressBack, ActionDelayMs);
    else if (bit == BtnNext)
        DelayAction(ActionPressNext, ActionDelayMs);
    else
        ClickButton(id);
}

void CSDlgPageMan::ClickButton(UINT id)
{
    if (!id || SimulateButton(static_cast<WORD>(id)) || !SkinDrawsButton(id))
        return;
    CSDlgSkinArea* area = skin->FindArea(id);
    if (area && area->IsEnabled() && !area->IsHidden())
        SendMsg(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// ---- Buttons a skin draws ----

BOOL CSDlgPageMan::SkinDrawsButton(UINT id) const
{
    return id && skin && skin->IsSkinShown() && skin->FindArea(id);
}

void CSDlgPageMan::SetButtonState(UINT id, int show, int enable)
{
    HWND button = id ? GetDlgItem(static_cast<int>(id)) : nullptr;
    bool area = SkinDrawsButton(id);
    if (enable >= 0) {
        if (button)
            EnableWindow(button, enable);
        if (area)
            skin->EnableArea(id, enable);
    }
    if (show < 0)
        return;
    if (!area) {
        if (button)
            ShowWindow(button, show ? SW_SHOW : SW_HIDE);
        return;
    }
    // The control stays hidden under its picture; it still answers the keyboard (Enter).
    if (button)
        ShowWindow(button, SW_HIDE);
    RECT rect;
    if (!show && skin->GetAreaRect(id, &rect))
        InvalidateRect(hwnd, &rect, TRUE);
    skin->ShowArea(id, show);
}

void CSDlgPageMan::SkinButtons()
{
    for (UINT id : {backId, nextId, static_cast<UINT>(IDOK), static_cast<UINT>(IDCANCEL), static_cast<UINT>(IDHELP)}) {
        if (!SkinDrawsButton(id))
            continue;
        // An area that stands for no control has its own state already.
        HWND button = GetDlgItem(static_cast<int>(id));
        if (button)
            SetButtonState(id, (GetWindowLongPtrW(button, GWL_STYLE) & WS_VISIBLE) != 0, IsWindowEnabled(button));
    }
}

void CSDlgPageMan::BroadcastMsgToPages(UINT msg, WPARAM wParam, LPARAM lParam)
{
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* page = static_cast<CSDlgPage*>(pages.GetNext(pos));
        if (page->IsReady())
            page->SendMsg(msg, wParam, lParam);
    }
}

void CSDlgPageMan::UpdatePagesFromData()
{
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* page = static_cast<CSDlgPage*>(pages.GetNext(pos));
        if (IsPageCreated(page) && page->IsValid())
            page->UpdateControls();
    }
}

void CSDlgPageMan::UpdateDataFromPages()
{
    for (POS__* pos = pages.GetHeadPos(); pos;) {
        auto* page = static_cast<CSDlgPage*>(pages.GetNext(pos));
        if (IsPageCreated(page) && page->IsValid())
            page->UpdateData();
    }
}

int CSDlgPageMan::Do(HWND)
{
    return 0;
}

int CSDlgPageMan::Do(int disableParent, int id, HINSTANCE instance, HWND parent)
{
    return ModelessWithLoop(disableParent, id, instance, parent) == IDOK;
}
