// GlimpseboxWnd: the mirror window, a small always-on-top pop-up that shows every desktop
// item at its place, scaled, and passes every action on an item to the shell.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "app/DesktopMirror.h"
#include "app/MyOpts.h"
#include "sys/Api.h"
#include "ui/CSWnd.h"
#include "ui/FullWndDragger.h"

class MirrorOwner;

class GLMBX_API GlimpseboxWnd : public CSWnd, public DesktopMirror {
public:
    static const wchar_t ClassName[];  // "Corvantrix_Glimpsebox32"
    // System-menu commands.
    enum { CmdRefresh = 100, CmdAbout = 101, CmdShowSize = 102, CmdConfigure = 103 };
    enum { IconSize = 16, ScaledCell = 24, InsetLeft = 0, InsetTop = 8, InsetRight = 8, InsetBottom = 0 };

    // Clears the shared request area and registers the window class.
    explicit GlimpseboxWnd(MirrorOwner* owner = nullptr);
    ~GlimpseboxWnd() override;

    void SetOwner(MirrorOwner* newOwner) { owner = newOwner; }
    bool IsOpen() const { return isOpen != 0; }

    // Creates the window (hidden until the populate step shows it); false when it could not.
    bool Open();
    // Reads every desktop item into the records and shows the window.
    void Populate();
    // The tray's left click: open and fill the window unless it is open already.
    void OpenFromTray();

    void ClearItems();
    void DrawHighlight(bool draw);
    // The first record whose 17 x 17 sensitive square holds the client point; null when none.
    DesktopItem* HitTest(int x, int y);
    void ReleaseDesktop() override;

    // What the window was made from, for its users and tests.
    static DWORD StyleFor(DWORD borderType, DWORD* exStyle);
    SIZE ClientSize() const { return clientSize; }
    HWND GetTooltip() const { return hwndTooltip; }
    DesktopItem* GetHoverItem() const { return hoverItem; }
    const RECT& GetHighlightRect() const { return rcHighlight; }
    const MyWndOpts& GetWndOpts() const { return wndOpts; }

protected:
    LRESULT OnWndMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PlaceItem(DesktopItem* record) override;
    void AddItemTool(DesktopItem* record) override;

private:
    void OnMouse(UINT msg, int x, int y);
    LRESULT OnNcHitTest(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnSysCommand(WPARAM command);
    BOOL EraseBackground(HDC dc);
    void Paint();
    void PostToTray(WPARAM subCode, LPARAM arg);
    static RECT FrameOf(const DesktopItem* record);
    int Margin(int MyOpts::*field) const;

    int isOpen;
    MyWndOpts wndOpts;
    MirrorOwner* owner;
    FullWndDragger dragger;
    DesktopItem* hoverItem;
    HBITMAP hBkgBitmap;  // borrowed from the owner's cache
    RECT rcHighlight;
    HWND hwndTooltip;
    TOOLINFOW toolInfo;
    int scale[4];  // {24, icon spacing x, 24, icon spacing y}
    SIZE clientSize;
};
