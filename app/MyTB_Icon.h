// MyTB_Icon: the tray process: the product's icon in the notification area, the mirror window
// it opens on a left click, its menu, and the requests of the other windows of the product.
#pragma once

#include <windows.h>

#include "app/BkgBitmapCache.h"
#include "app/GlimpseboxWnd.h"
#include "app/MirrorOwner.h"
#include "app/MyOpts.h"
#include "product/ProductInfo.h"
#include "sys/Api.h"
#include "sys/ResStr.h"
#include "sys/iPicture.h"
#include "ui/CSImageList.h"
#include "ui/TB_Icon.h"

class GLMBX_API MyTB_Icon : public TB_Icon, public MirrorOwner {
public:
    // Menu commands.
    enum { CmdConfigure = 110, CmdExit = 111, CmdAbout = 112, CmdOpen = 113 };
    static const wchar_t ClassName[];  // "Corvantrix_GLIMPSEBOX_TBICON"
    static const wchar_t AutoLoadName[];  // "Glimpsebox", the Run entries' value name
    static const wchar_t AutoLoadArgs[];  // "/TB+", what the Run entries start the launcher with

    MyTB_Icon();
    ~MyTB_Icon() override;

    int OnMyCompanyMessage(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    WORD GetProdID() override;
    void OnLeftClick() override;
    void OnRightClick() override;
    void OnDestroyWnd() override;
    int InitInstance(HINSTANCE instance, const wchar_t* cmdLine, int show) override;
    void ExitInstance() override;

    // The Exit command: the questions about the log-on entries, then the end.
    void Exit();

    // What the mirror window asks of its owner.
    const MyOpts& GetOptions() override { return opts; }
    HBITMAP GetBackground(int width, int height) override;
    HWND GetTrayWindow() override { return GetHandle(); }
    const MSG* GetCurrentMessage() override { return GetLoopMsg(); }

    GlimpseboxWnd& Mirror() { return mirror; }
    int IsLowColor() const { return lowColor; }

private:
    // Runs the work of a request (a sub-code) that opens a modal window under the click guard;
    // a click meanwhile brings the window forward. While another pop-up holds the guard, its
    // window comes forward and the request runs once the guard is released; the same request
    // again is already on the screen.
    template <class Work>
    void Guarded(WPARAM request, LPARAM arg, Work work)
    {
        if (!EnterClickGuard()) {
            if (request != runningRequest)
                PostWhenGuardReleased(ProductInfo::GetMyMessage(), request, arg);
            return;
        }
        runningRequest = request;
        work();
        runningRequest = 0;
        LeaveClickGuard();
    }
    void ReloadOptions();
    void Configure();

    GlimpseboxWnd mirror;
    MyOpts opts;
    CSIcon normalIcon;
    CSIcon lowColorIcon;
    int lowColor;
    iPicture picture;
    ResStr tip;
    BkgBitmapCache background;
    WPARAM runningRequest;  // the sub-code whose window holds the click guard; 0 when none
};
