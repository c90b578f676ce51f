// DesktopMirror: the populate step, the merge rules and the icons that cross from the shell.
#include "app/DesktopMirror.h"

#include <commctrl.h>
#include <cwchar>
#include <new>

#include "app/DesktopHooks.h"
#include "app/ModuleObjects.h"
#include "app/SharedData.h"
#include "app/ShellItemIcons.h"
#include "product/ProductInfo.h"
#include "sys/SysInfo.h"

namespace {

unsigned ownIconsAlive;
ItemPictures ownPictures;

void DestroyOwnIcon(DesktopItem* record)
{
    ownPictures.Remove(record->picture);
    record->picture = -1;
    if (record->ownIcon) {
        if (record->hIcon == record->ownIcon)
            record->hIcon = nullptr;
        if (DestroyIcon(record->ownIcon))
            --ownIconsAlive;
        record->ownIcon = nullptr;
        record->pixelHash = 0;
    }
}

HICON MakeIcon(const SharedIconPixels& pixels)
{
    BITMAPINFO bmi = IconPixelFormat();
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!color)
        return nullptr;
    memcpy(bits, pixels.color, sizeof(pixels.color));

    // Monochrome mask rows are padded to 16 bits: 16 pixels fit one row exactly.
    WORD maskBits[ItemIconSize] = {};
    for (int y = 0; y < ItemIconSize; ++y) {
        for (int x = 0; x < ItemIconSize; ++x) {
            if (pixels.mask[y * ItemIconSize + x]) {
                int bit = 15 - x;  // most significant bit first, bytes in order
                maskBits[y] |= static_cast<WORD>(1u << (bit >= 8 ? bit - 8 : bit + 8));
            }
        }
    }
    HBITMAP mask = CreateBitmap(ItemIconSize, ItemIconSize, 1, 1, maskBits);
    HICON icon = nullptr;
    if (mask) {
        ICONINFO info = {};
        info.fIcon = TRUE;
        info.hbmMask = mask;
        info.hbmColor = color;
        icon = CreateIconIndirect(&info);
        DeleteObject(mask);
    }
    DeleteObject(color);
    return icon;
}

// Whether this process can draw an icon handle made by another process. Windows can;
// platforms that keep icon data per process cannot. Decided once, on the first handle.
enum class ForeignIcons { Unknown, Drawable, Pixels };
ForeignIcons foreignIcons = ForeignIcons::Unknown;

bool ForeignIconsDrawable(HICON shellIcon)
{
    if (foreignIcons == ForeignIcons::Unknown) {
        ICONINFO info = {};
        if (GetIconInfo(shellIcon, &info)) {
            if (info.hbmMask)
                DeleteObject(info.hbmMask);
            if (info.hbmColor)
                DeleteObject(info.hbmColor);
            foreignIcons = ForeignIcons::Drawable;
        } else {
            foreignIcons = ForeignIcons::Pixels;
        }
    }
    return foreignIcons == ForeignIcons::Drawable;
}

} // namespace

DesktopMirror::DesktopMirror() : toolCount(0), iconsMade(0)
{
    ResetSharedRequest();
    items.SetCallback(0, DeleteRecord);
}

unsigned DesktopMirror::IconsAlive()
{
    return ownIconsAlive;
}

const ItemPictures& DesktopMirror::Pictures()
{
    return ownPictures;
}

DesktopMirror::~DesktopMirror()
{
    items.RemoveAll();
    DeleteSpareRecords();
}

void DesktopMirror::RemoveAllRecords()
{
    for (POS__* pos = items.GetHeadPos(); pos;)
        spareRecords.AddTail(items.GetNext(pos));
    // The records live on in the spare list: leaving this one must not delete them.
    items.SetCallback(0, nullptr);
    items.RemoveAll();
    items.SetCallback(0, DeleteRecord);
}

DesktopItem* DesktopMirror::TakeSpareRecord(const wchar_t* label)
{
    for (POS__* pos = spareRecords.GetHeadPos(); pos;) {
        POS__* at = pos;
        DesktopItem* record = static_cast<DesktopItem*>(spareRecords.GetNext(pos));
        if (wcscmp(record->label, label) == 0) {
            spareRecords.RemoveAt(at);
            return record;
        }
    }
    return nullptr;
}

void DesktopMirror::DeleteSpareRecords()
{
    while (!spareRecords.IsEmpty())
        DeleteRecord(0, CSList::MsgRemove, spareRecords.RemoveHead());
}

int DesktopMirror::DeleteRecord(unsigned long, unsigned int msg, void* element)
{
    if (msg == CSList::MsgRemove && element) {
        DesktopItem* record = static_cast<DesktopItem*>(element);
        DestroyOwnIcon(record);
        delete[] record->label;
        delete record;
    }
    return 0;
}

void DesktopMirror::PlaceItem(DesktopItem*) {}

void DesktopMirror::AddItemTool(DesktopItem*) {}

void DesktopMirror::ReleaseDesktop()
{
    if (g_sdata.hwndListView) {
        PostMessageW(g_sdata.hwndListView, WM_LBUTTONDOWN, 0, -1);
        PostMessageW(g_sdata.hwndListView, WM_LBUTTONUP, 0, -1);
    }
}

namespace {

int OtherBits(HWND listView)
{
    int bits = GetWindowProcessBits(listView);
    return bits && bits != DesktopMirror::ModuleBits ? bits : 0;
}

} // namespace

int DesktopMirror::OtherEditionShellBits()
{
    HWND progman = FindWindowW(L"Progman", nullptr);
    HWND defView = progman ? FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
    return OtherBits(defView ? FindWindowExW(defView, nullptr, L"SysListView32", nullptr) : nullptr);
}

void DesktopMirror::RemoveHooks()
{
    InstallGetMsgHook(false);
    InstallCallWndRetHook(false);
}

bool DesktopMirror::ReadDesktop(HWND hwndMirror)
{
    bool read = ReadItems(hwndMirror);
    InstallCallWndRetHook(true);
    return read;
}

bool DesktopMirror::ReadItems(HWND hwndMirror)
{
    SharedData& s = g_sdata;
    s.hwndProgman = FindWindowW(L"Progman", nullptr);
    s.hwndDefView = s.hwndProgman ? FindWindowExW(s.hwndProgman, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
    s.hwndListView = s.hwndDefView ? FindWindowExW(s.hwndDefView, nullptr, L"SysListView32", nullptr) : nullptr;
    s.menuRectPending = 0;
    if (!s.msgCorvantrix)
        s.msgCorvantrix = ProductInfo::GetMyMessage();

    // A request would wait out its whole bound for every item: the hooks never reach that shell.
    if (OtherBits(s.hwndListView))
        return false;
    InstallGetMsgHook(true);
    // A hung shell must not hang the tray: its item count is asked with the answer's bound.
    DWORD_PTR count = 0;
    if (!s.hwndListView || !hwndMirror || !IsWindow(hwndMirror) ||
        !SendMessageTimeoutW(s.hwndListView, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             AnswerTimeoutMs, &count))
        return false;
    // The return hook has nothing to do while no menu rectangle is pending, and none can be
    // until this thread is done reading. Out of the way meanwhile, it costs the shell nothing
    // on each of the messages that answer a request.
    InstallCallWndRetHook(false);

    s.lvItem.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    s.lvItem.iSubItem = 0;
    s.lvItem.stateMask = LVIS_OVERLAYMASK;
    s.lvItem.cchTextMax = ItemTextChars;
    s.lvItem.pszText = s.szItemText;

    toolCount = 0;
    POS__* cursor = items.GetHeadPos();
    HANDLE answered = GetSubclassEvent();
    // A late answer of an earlier read must not pass for the first one of this read.
    ResetEvent(answered);

    // The last record's tooltip is added while the shell reads the next item: the answer has
    // been taken out of the shared section by then, and this thread would only wait.
    DesktopItem* toolPending = nullptr;
    for (int i = 0; i < static_cast<int>(count); ++i) {
        // A list view that is gone takes no requests and would only cost a timeout each.
        if (!ProductInfo::PostMyMessage(s.hwndListView, MyMsgReadItem, i))
            break;
        if (toolPending) {
            AddItemTool(toolPending);
            ++toolCount;
            toolPending = nullptr;
        }
        bool answer = WaitForSingleObject(answered, AnswerTimeoutMs) == WAIT_OBJECT_0;
        // A shell that went away while answering leaves nothing worth a record.
        if (!answer && !IsWindow(s.hwndListView))
            break;
        if (s.isNT)
            s.lvItem.pszText = s.szItemText;
        s.szItemText[ItemTextChars - 1] = 0;
        // The shell answers with no text and no rectangle for an item that vanished meanwhile.
        if (answer && !s.szItemText[0] && IsRectEmpty(&s.rcItemIcon))
            continue;

        DesktopItem* record = MergeItem(cursor, s.szItemText);
        if (!record)
            continue;
        record->item = i;
        record->rcDesktop = s.rcItemIcon;
        PlaceItem(record);
        TakeIcon(record);
        toolPending = record;
    }
    if (toolPending) {
        AddItemTool(toolPending);
        ++toolCount;
    }

    while (cursor)
        items.RemoveAt(cursor);
    DeleteSpareRecords();
    ReleaseDesktop();
    return true;
}

DesktopItem* DesktopMirror::MergeItem(POS__*& cursor, const wchar_t* text)
{
    DesktopItem* record = cursor ? static_cast<DesktopItem*>(items.GetAt(cursor)) : nullptr;
    if (!record || wcscmp(record->label, text) != 0) {
        record = TakeSpareRecord(text);
        if (record) {
            POS__* pos = cursor ? items.InsertBefore(cursor, record) : items.AddTail(record);
            if (!pos) {
                DeleteRecord(0, CSList::MsgRemove, record);
                return nullptr;
            }
            cursor = pos;
            items.GetNext(cursor);
            return record;
        }
        size_t length = wcslen(text);
        record = new (std::nothrow) DesktopItem{};
        wchar_t* label = new (std::nothrow) wchar_t[length + 1];
        if (!record || !label) {
            delete record;
            delete[] label;
            return nullptr;
        }
        wmemcpy(label, text, length + 1);
        record->label = label;
        record->picture = -1;
        POS__* pos = cursor ? items.InsertBefore(cursor, record) : items.AddTail(record);
        if (!pos) {
            delete[] label;
            delete record;
            return nullptr;
        }
        cursor = pos;
    }
    items.GetNext(cursor);
    return record;
}

void DesktopMirror::TakeIcon(DesktopItem* record)
{
    HICON shellIcon = g_sdata.hItemIcon;
    if (!shellIcon) {
        DestroyOwnIcon(record);
        record->hIcon = nullptr;
        return;
    }
    if (ForeignIconsDrawable(shellIcon)) {
        DestroyOwnIcon(record);
        record->hIcon = shellIcon;
        return;
    }
    if (!g_sicon.valid) {
        DestroyOwnIcon(record);
        record->hIcon = nullptr;
        return;
    }
    // The shell hashed the pixels once, when it rendered them.
    unsigned long long hash = g_sicon.pixelHash;
    if (!record->ownIcon || record->pixelHash != hash) {
        DestroyOwnIcon(record);
        record->ownIcon = MakeIcon(g_sicon);
        if (record->ownIcon) {
            record->pixelHash = hash;
            record->picture = ownPictures.Add(g_sicon.color);
            ++iconsMade;
            ++ownIconsAlive;
        }
    }
    record->hIcon = record->ownIcon;
}
