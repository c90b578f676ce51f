// The history list and its registry value, and the history combo box with its "<Clear list...>" command.
#include "ui/CSHistCB.h"

#include <cstring>
#include <cwchar>
#include <new>

#include "product/ProductInfo.h"
#include "sys/RegKey.h"
#include "sys/ResStr.h"
#include "sys/StrList.h"
#include "sys/StrUtil.h"

namespace {

const wchar_t ClearQuestion[] = L"Are you sure you want to clear the history list?";

// The window text on the heap (delete[]), or null.
wchar_t* WindowText(HWND hwnd)
{
    int length = hwnd ? GetWindowTextLengthW(hwnd) : 0;
    wchar_t* text = new (std::nothrow) wchar_t[length + 1];
    if (!text)
        return nullptr;
    text[0] = 0;
    if (length > 0)
        GetWindowTextW(hwnd, text, length + 1);
    text[length] = 0;
    return text;
}

} // namespace

// ---- CSHistList ----

const wchar_t* const CSHistCB::pszClearListCmd = L"<Clear list...>";

CSHistList::CSHistList() : name(nullptr), maxCount(DefaultMaxCount)
{
    SetCallback(0, StrList::CSListCallBack);
}

CSHistList::~CSHistList()
{
    RemoveAll();
}

const wchar_t* CSHistList::GetEntry(int index) const
{
    POS__* pos = index >= 0 ? FindIndex(index) : nullptr;
    return pos ? static_cast<const wchar_t*>(GetAt(pos)) : nullptr;
}

void CSHistList::TrimTo(int entries)
{
    while (GetCount() > 0 && GetCount() > entries)
        RemoveTail();
}

void CSHistList::SetMaxCount(int entries)
{
    maxCount = entries < 1 ? 1 : entries;
    TrimTo(maxCount);
}

void CSHistList::Load(const wchar_t* valueName, int entries)
{
    RemoveAll();
    name = valueName;
    maxCount = entries < 1 ? 1 : entries;
    if (!name)
        return;
    RegKey key(GetProductInfo()->GetAppRootKey(), 0);
    if (!key.IsOpen())
        return;
    unsigned int size = key.GetBinSize(name);
    if (size < 2)
        return;
    // Whole wide characters, and a terminator past the end for a value cut short.
    unsigned int chars = (size + 1) / 2;
    wchar_t* data = new (std::nothrow) wchar_t[chars + 1]();
    if (!data)
        return;
    if (!key.GetBin(name, reinterpret_cast<unsigned char*>(data), size) || size < sizeof(int)) {
        delete[] data;
        return;
    }
    int stored = 0;
    memcpy(&stored, data, sizeof(stored));
    if (stored >= 1 && stored <= MaxMaxCount)
        maxCount = stored;

    const wchar_t* end = data + (size / 2);
    const wchar_t* entry = data + sizeof(int) / sizeof(wchar_t);
    while (entry < end && *entry && GetCount() < maxCount) {
        const wchar_t* stop = entry;
        while (stop < end && *stop)
            ++stop;
        if (stop == end)  // not terminated inside the value: damaged from here on
            break;
        wchar_t* copy = StrNewCopy(entry, static_cast<size_t>(stop - entry));
        if (copy && !AddTail(copy))
            delete[] copy;
        entry = stop + 1;
    }
    delete[] data;
}

void CSHistList::Store()
{
    if (!name)
        return;
    size_t chars = sizeof(int) / sizeof(wchar_t) + 1;
    for (POS__* pos = GetHeadPos(); pos;)
        chars += wcslen(static_cast<const wchar_t*>(GetNext(pos))) + 1;
    wchar_t* data = new (std::nothrow) wchar_t[chars]();
    if (!data)
        return;
    int stored = maxCount;
    memcpy(data, &stored, sizeof(stored));
    wchar_t* out = data + sizeof(int) / sizeof(wchar_t);
    for (POS__* pos = GetHeadPos(); pos;) {
        const wchar_t* entry = static_cast<const wchar_t*>(GetNext(pos));
        size_t length = wcslen(entry) + 1;
        wmemcpy(out, entry, length);
        out += length;
    }
    *out = 0;

    RegKey key(GetProductInfo()->GetAppRootKey(), 1);
    if (key.IsOpen())
        key.PutBin(name, reinterpret_cast<const unsigned char*>(data), static_cast<unsigned int>(chars * sizeof(wchar_t)));
    delete[] data;
}

void CSHistList::Update(const wchar_t* text)
{
    if (!text || !*text)
        return;
    // Copied first: text may be one of the entries about to go.
    wchar_t* copy = StrNewCopy(text, wcslen(text));
    if (!copy)
        return;
    for (POS__* pos = GetHeadPos(); pos; GetNext(pos)) {
        if (_wcsicmp(static_cast<const wchar_t*>(GetAt(pos)), copy) == 0) {
            RemoveAt(pos);
            break;
        }
    }
    TrimTo(maxCount - 1);
    if (!AddHead(copy))
        delete[] copy;
}

// ---- CSHistCB ----

CSHistCB::CSHistCB(DWORD histOptions) : options(histOptions) {}

CSHistCB::~CSHistCB() = default;

void CSHistCB::OnInit()
{
    CSCombo::OnInit();
    ModifyStyle(CBS_SORT, 0, FALSE);
    SetExtendedUI(TRUE);
    Load();
}

void CSHistCB::Load()
{
    DelAll();
    history.Load(valueName, history.GetMaxCount());
    if (history.IsEmpty())
        return;
    SetText(static_cast<const wchar_t*>(history.GetHead()));
    // Inserted at the end: a box made sorted still keeps the history's order.
    for (POS__* pos = history.GetHeadPos(); pos;)
        InsertStr(-1, static_cast<const wchar_t*>(history.GetNext(pos)));
    if ((options & OptClearCmd) && GetCount() > 0)
        InsertStr(-1, pszClearListCmd);
}

int CSHistCB::OnEditCtrlMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if ((options & OptClearCmd) && msg == WM_SETTEXT && lParam &&
        _wcsicmp(reinterpret_cast<const wchar_t*>(lParam), pszClearListCmd) == 0) {
        *pResult = 1;
        return 1;
    }
    return CSCombo::OnEditCtrlMsg(msg, wParam, lParam, pResult);
}

int CSHistCB::OnCommand(WORD code, LRESULT* pResult)
{
    if ((options & OptClearCmd) && code == CBN_SELENDOK) {
        int count = GetCount();
        int selected = GetCurSel();
        if (count > 0 && selected == count - 1 &&
            Msg(::GetParent(hwnd), MB_YESNO | MB_ICONQUESTION, ClearQuestion) == IDYES) {
            history.RemoveAll();
            DelAll();
            if (options & OptStoreOnClear)
                OnOK();
        }
    }
    return CSCombo::OnCommand(code, pResult);
}

void CSHistCB::OnOK()
{
    int count = GetCount();
    if ((options & OptClearCmd) && count > 0)
        DelStr(count - 1);
    UpdateHistory();
    Store();
    Load();
}

void CSHistCB::UpdateHistory()
{
    wchar_t* text = WindowText(hwnd);
    if (text) {
        history.Update(text);
        delete[] text;
    }
}

void CSHistCB::Store()
{
    history.Store();
}
