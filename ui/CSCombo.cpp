// The combo box classes: item operations and the edit field that keeps typed text.
#include "ui/CSCombo.h"

#include <new>

#include "sys/TextTrunc.h"

namespace {

const int ComboEditId = 1001;

bool Failed(LRESULT answer)
{
    return answer == CB_ERR || answer == CB_ERRSPACE;
}

// The item's text on the heap (delete[]), or null.
wchar_t* ItemText(CSComboBase& box, int index)
{
    int length = box.GetStrLen(index);
    if (length < 0)
        return nullptr;
    wchar_t* text = new (std::nothrow) wchar_t[length + 1];
    if (!text)
        return nullptr;
    text[0] = 0;
    if (box.SendMsg(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)) == CB_ERR)
        text[0] = 0;
    text[length] = 0;
    return text;
}

} // namespace

// ---- CSComboBase ----

CSComboBase::CSComboBase() = default;

CSComboBase::~CSComboBase() = default;

int CSComboBase::GetCount()
{
    return static_cast<int>(SendMsg(CB_GETCOUNT, 0, 0));
}

int CSComboBase::AddStr(const wchar_t* text)
{
    return static_cast<int>(SendMsg(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : L"")));
}

int CSComboBase::InsertStr(int index, const wchar_t* text)
{
    return static_cast<int>(
        SendMsg(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text ? text : L"")));
}

int CSComboBase::GetStrLen(int index)
{
    return hwnd ? static_cast<int>(SendMsg(CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0)) : CB_ERR;
}

int CSComboBase::GetStr(int index, wchar_t* buf, int bufChars)
{
    if (!buf || bufChars < 1)
        return CB_ERR;
    buf[0] = 0;
    // The box copies without a size: a text that may not fit goes through a copy of its own.
    wchar_t* text = ItemText(*this, index);
    if (!text)
        return CB_ERR;
    int copied = textbuf::Copy(buf, bufChars, text);
    delete[] text;
    return copied;
}

DWORD_PTR CSComboBase::GetItemData(int index)
{
    return static_cast<DWORD_PTR>(SendMsg(CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

int CSComboBase::SetItemData(int index, DWORD_PTR data)
{
    return static_cast<int>(SendMsg(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
}

int CSComboBase::FindStrExact(const wchar_t* text, int start)
{
    return static_cast<int>(
        SendMsg(CB_FINDSTRINGEXACT, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text ? text : L"")));
}

int CSComboBase::DelStr(int index)
{
    return static_cast<int>(SendMsg(CB_DELETESTRING, static_cast<WPARAM>(index), 0));
}

void CSComboBase::DelAll()
{
    SendMsg(CB_RESETCONTENT, 0, 0);
}

void CSComboBase::SetExtendedUI(BOOL on)
{
    SendMsg(CB_SETEXTENDEDUI, static_cast<WPARAM>(on), 0);
}

int CSComboBase::GetCurSel()
{
    return hwnd ? static_cast<int>(SendMsg(CB_GETCURSEL, 0, 0)) : CB_ERR;
}

int CSComboBase::SetCurSel(int index)
{
    return static_cast<int>(SendMsg(CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

int CSComboBase::AddItem(const wchar_t* text, DWORD_PTR data)
{
    LRESULT index = hwnd ? SendMsg(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : L"")) : CB_ERR;
    if (Failed(index))
        return 0;
    SetItemData(static_cast<int>(index), data);
    return 1;
}

int CSComboBase::InsertItem(UINT index, const wchar_t* text, DWORD_PTR data)
{
    LRESULT at = hwnd ? SendMsg(CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text ? text : L"")) : CB_ERR;
    if (Failed(at))
        return 0;
    SetItemData(static_cast<int>(at), data);
    return 1;
}

DWORD_PTR CSComboBase::GetItem(UINT index, wchar_t* buf, int bufChars)
{
    int at = static_cast<int>(index);
    if (at < 0 || at >= GetCount())
        return 0;
    if (buf && GetStr(at, buf, bufChars) == CB_ERR)
        return 0;
    return GetItemData(at);
}

int CSComboBase::CanMove(UINT index, BOOL up)
{
    int count = GetCount();
    if (count <= 0 || index > 0x7FFFFFFF)
        return 0;
    int at = static_cast<int>(index);
    return up ? (at > 0 && at < count) : (at < count - 1);
}

void CSComboBase::MoveItem(UINT index, BOOL up)
{
    if (!CanMove(index, up))
        return;
    int at = static_cast<int>(index);
    wchar_t* text = ItemText(*this, at);
    if (!text)
        return;
    DWORD_PTR data = GetItemData(at);
    DelStr(at);
    int to = up ? at - 1 : at + 1;
    if (InsertItem(static_cast<UINT>(to), text, data))
        SetCurSel(to);
    delete[] text;
}

int CSComboBase::FindItem(DWORD_PTR data)
{
    int count = GetCount();
    for (int i = 0; i < count; ++i) {
        if (GetItemData(i) == data)
            return i;
    }
    return -1;
}

int CSComboBase::SelectItem(DWORD_PTR data)
{
    int index = FindItem(data);
    SetCurSel(index);
    return index;
}

DWORD_PTR CSComboBase::GetSelectedItem()
{
    int index = GetCurSel();
    return index < 0 ? 0 : GetItemData(index);
}

CSComboList::CSComboList() = default;

CSComboList::~CSComboList() = default;

// ---- CSCombo ----

CSCombo::CSCBEdit::CSCBEdit() : owner(nullptr) {}

CSCombo::CSCBEdit::~CSCBEdit() = default;

LRESULT CSCombo::CSCBEdit::OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!owner || !owner->OnEditCtrlMsg(msg, wParam, lParam, &result))
        result = CSWnd::OnWndMessage(msg, wParam, lParam);
    if (msg == WM_SETTEXT && owner && owner->GetHandle()) {
        HWND box = owner->GetHandle();
        PostMessageW(::GetParent(box), WM_COMMAND, MAKEWPARAM(owner->GetID(), EditTextSet),
                     reinterpret_cast<LPARAM>(box));
    }
    return result;
}

CSCombo::CSCombo() : suppressNextText(FALSE), selCancelled(FALSE)
{
    edit.owner = this;
}

CSCombo::~CSCombo() = default;

void CSCombo::OnInit()
{
    HWND field = ::GetDlgItem(hwnd, ComboEditId);
    if (!field) {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof(info);
        if (GetComboBoxInfo(hwnd, &info))
            field = info.hwndItem;
    }
    if (field && field != hwnd)
        edit.Subclass(field);
}

int CSCombo::OnEditCtrlMsg(UINT msg, WPARAM, LPARAM, LRESULT* pResult)
{
    if (msg == WM_SETTEXT && suppressNextText) {
        suppressNextText = FALSE;
        *pResult = TRUE;
        return 1;
    }
    return 0;
}

int CSCombo::OnCommand(WORD code, LRESULT* pResult)
{
    switch (code) {
    case CBN_DROPDOWN:
        selCancelled = FALSE;
        suppressNextText = TRUE;
        break;
    case CBN_SELCHANGE:
    case CBN_CLOSEUP:
        suppressNextText = selCancelled;
        break;
    case CBN_SELENDOK:
        if (selCancelled) {
            *pResult = 1;
            return 1;
        }
        selCancelled = GetCurSel() == CB_ERR;
        break;
    case CBN_SELENDCANCEL:
        selCancelled = TRUE;
        break;
    case CBN_KILLFOCUS:
        suppressNextText = FALSE;
        break;
    default:
        break;
    }
    return CSComboBase::OnCommand(code, pResult);
}
