// CSCtrl: binding a control to its dialog, skin focus and background, and dropped files.
#include "ui/CSCtrl.h"

#include <shellapi.h>

#include "sys/PathUtil.h"
#include "ui/CSDlg.h"
#include "ui/CSDlgSkin.h"

CSCtrl::CSCtrl() : dialog(nullptr), ctlId(0), valueName(nullptr), ctlFlags(0)
{
    ctrlMarker = TRUE;
}

CSCtrl::~CSCtrl() = default;

void CSCtrl::Init(CSDlg* dlg, UINT id, const wchar_t* name, DWORD flags)
{
    if (dialog || !dlg)
        return;
    HWND ctl = dlg->GetDlgItem(static_cast<int>(id));
    if (!ctl)
        return;
    CSWnd* previous = CSWnd::GetWnd(ctl);
    if (previous && previous != this) {
        // A window with an object that is no control (a child dialog) keeps it.
        if (!previous->HasCtrlMarker())
            return;
        previous->Unsubclass();
        if (previous->IsAutoDelete())
            delete previous;
    }
    if (!Subclass(ctl))
        return;
    dialog = dlg;
    ctlId = id;
    valueName = name;
    ctlFlags = flags;
    if (ctlFlags & DropMask)
        DragAcceptFiles(hwnd, TRUE);
    OnInit();
}

void CSCtrl::OnPostNcDestroy()
{
    CSWnd::OnPostNcDestroy();
    dialog = nullptr;
}

LRESULT CSCtrl::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (CSDlgSkin* skin = dialog ? dialog->GetSkin() : nullptr) {
            skin->FocusArea(msg == WM_SETFOCUS ? ctlId : 0);
            skin->DrawArea(ctlId);
        }
        break;
    case WM_DROPFILES:
        if (wParam)
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
        break;
    default:
        break;
    }
    return CSWnd::OnWndMessage(msg, wParam, lParam);
}

void CSCtrl::OnInit() {}

int CSCtrl::OnCtlColor(UINT msg, HDC hdc, HBRUSH*)
{
    if (msg != WM_CTLCOLORBTN && msg != WM_CTLCOLORSTATIC)
        return 0;
    if (CSDlgSkin* skin = dialog ? dialog->GetBackgroundSkin() : nullptr)
        skin->DrawCtrlSkinBkg(hdc, hwnd);
    return 0;
}

void CSCtrl::OnOK()
{
    Store();
}

void CSCtrl::OnDropFiles(HDROP drop)
{
    wchar_t path[MAX_PATH] = {};
    if (DragQueryFileW(drop, 0, path, MAX_PATH) == 0) {
        DragFinish(drop);
        return;
    }
    path[MAX_PATH - 1] = 0;
    // A path the shell cannot find keeps the form it was dropped in.
    DosPathToShellPath(path);

    if (ctlFlags & DropFileName) {
        SetText(FindNameExt(path));
    } else if (ctlFlags & DropFolder) {
        if (FolderExists(path)) {
            SetText(path);
        } else {
            wchar_t folder[MAX_PATH] = {};
            ParsePath(folder, nullptr, nullptr, path);
            SetText(folder);
        }
    } else if ((ctlFlags & DropExistingFile) && FileExists(path)) {
        SetText(path);
    } else if (ctlFlags & DropAnyPath) {
        SetText(path);
    }
    DragFinish(drop);
}

int CSCtrl::OnCommand(WORD, LRESULT*)
{
    return 0;
}

int CSCtrl::OnNotify(NMHDR*, LRESULT*)
{
    return 0;
}

void CSCtrl::OnDrawItem(DRAWITEMSTRUCT*) {}

void CSCtrl::OnMeasureItem(MEASUREITEMSTRUCT*) {}

void CSCtrl::OnDeleteItem(DELETEITEMSTRUCT*) {}

void CSCtrl::Store() {}

void CSCtrl::Load() {}

LRESULT CSCtrl::KeepHandCursor(BOOL hovering, LRESULT result)
{
    if (!hovering)
        return result;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return 1;
}

void CSCtrl::SetHover(BOOL& hovering, BOOL on)
{
    if (on) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        if (hovering)
            return;
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
    } else if (!hovering) {
        return;
    }
    hovering = on;
    InvalidateErase(nullptr);
}
