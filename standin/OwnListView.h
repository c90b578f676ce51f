// Items mode: the stand-in's own "SHELLDLL_DefView" and "SysListView32", filled from an item file.
#pragma once

#include "standin/Handles.h"
#include "standin/Log.h"
#include "standin/Text.h"

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

class ListViewSpy;

struct OwnItem {
    POINT position;
    COLORREF colour;
    bool overlay;
    std::wstring label;
};

struct ItemsPlan {
    std::vector<OwnItem> items;
    bool normalImages = true;
    bool smallImages = true;
};

// Malformed lines are logged as "error ..." and skipped.
ItemsPlan ParseItems(const std::vector<ContentLine>& lines, const Log& log);

class OwnFolderView {
public:
    // The spy gives the view quiet access to its list view and tells double clicks apart.
    OwnFolderView(const Log& log, ListViewSpy& spy, bool showMenus)
        : log_(log), spy_(spy), showMenus_(showMenus)
    {
    }
    ~OwnFolderView() { Destroy(); }
    OwnFolderView(const OwnFolderView&) = delete;
    OwnFolderView& operator=(const OwnFolderView&) = delete;

    // Creates the windows over rect (frame client coordinates) and fills the list view.
    // Returns false, logged, on failure.
    bool Create(HWND frame, const RECT& rect, const ItemsPlan& plan);
    // Moves the items to the plan's positions. Only after the list view's first paint: Wine's list
    // view arranges all its items when it first paints, undoing positions set before.
    void PlaceItems(const ItemsPlan& plan);
    // Windows first, then the image lists they show.
    void Destroy();

    HWND DefView() const { return defView_.Get(); }
    HWND ListView() const { return listView_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnNotify(const NMHDR& header);
    void OnContextMenu(int x, int y);
    void LogOpen(int item);
    void Recolor(int item, COLORREF colour);
    bool CreateImageLists(const ItemsPlan& plan);

    const Log& log_;
    ListViewSpy& spy_;
    bool showMenus_;
    UniqueWindow defView_;
    UniqueWindow menuOwner_;
    HWND listView_ = nullptr;
    UniqueImageList normalImages_;
    UniqueImageList smallImages_;
    unsigned openedSerial_ = 0;
};

} // namespace standin
