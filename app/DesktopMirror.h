// DesktopMirror: the tray side of the desktop item mirror; reads every item of the shell's
// desktop list view through the hooks and keeps one record per item.
#pragma once

#include <windows.h>

#include "app/ItemPictures.h"
#include "sys/Api.h"
#include "sys/CSList.h"

// One desktop item as the mirror window shows it. Owned by the DesktopMirror's list.
struct DesktopItem {
    int item;              // index in the desktop list view
    HICON hIcon;           // what to draw: the shell's icon, or ownIcon; may be null
    int x, y;              // top-left of the 16 x 16 icon in the mirror window's client area
    RECT rcDesktop;        // the item's icon rectangle in the desktop list view
    wchar_t* label;        // owned copy of the item's text
    HICON ownIcon;         // made here from the shell's pixels; destroyed with the record
    unsigned long long pixelHash;  // of the pixels ownIcon was made from
    int picture;           // ownIcon's slot in DesktopMirror::Pictures(), -1 when none
};

class GLMBX_API DesktopMirror {
public:
    enum { AnswerTimeoutMs = 5000 };

    // Clears the shared request area, as each new mirror window object does.
    DesktopMirror();
    virtual ~DesktopMirror();
    DesktopMirror(const DesktopMirror&) = delete;
    DesktopMirror& operator=(const DesktopMirror&) = delete;

    // Finds "Progman" > "SHELLDLL_DefView" > "SysListView32", installs both hooks and, when
    // the list view and the mirror window exist, merges every item into the records and
    // releases the desktop's selection. Returns false when nothing was read; the records
    // are then left as they were.
    bool ReadDesktop(HWND hwndMirror);

    // The bitness of the shell that owns the desktop list view when it differs from this
    // module's, else 0 (also when there is no list view). Such a shell never loads this
    // edition's hooks, so nothing of its desktop can be read.
    static int OtherEditionShellBits();
    enum { ModuleBits = sizeof(void*) * 8 };

    // Posts a click outside every item to the desktop list view, clearing its selection.
    virtual void ReleaseDesktop();

    // Removes both hooks (the window does this when it is destroyed).
    static void RemoveHooks();

    // Removes every record from the list. The records are kept aside until the end of the next
    // read, which takes back those whose labels come again, with their icons: a refresh of an
    // unchanged desktop makes no new record and no new icon.
    void RemoveAllRecords();

    CSList& Items() { return items; }
    const CSList& Items() const { return items; }
    // Icons made in this process from the shell's pixels, over the object's life.
    unsigned IconsMade() const { return iconsMade; }
    // Such icons alive now, in every mirror of the process.
    static unsigned IconsAlive();
    // Their pictures, for painting many at once.
    static const ItemPictures& Pictures();

protected:
    // ReadDesktop without the return hook: for a caller that installs it itself, later.
    bool ReadItems(HWND hwndMirror);
    // The window places a record (x, y) and adds its tooltip with id toolCount.
    virtual void PlaceItem(DesktopItem* record);
    virtual void AddItemTool(DesktopItem* record);

    CSList items;
    int toolCount;

private:
    static int DeleteRecord(unsigned long data, unsigned int msg, void* element);
    DesktopItem* MergeItem(POS__*& cursor, const wchar_t* text);
    void TakeIcon(DesktopItem* record);
    DesktopItem* TakeSpareRecord(const wchar_t* label);
    void DeleteSpareRecords();

    unsigned iconsMade;
    CSList spareRecords;  // removed records waiting to be taken back; owned
};
