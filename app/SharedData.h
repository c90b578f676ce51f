// The data every loaded copy of the library shares (one section per edition): the desktop's window chain, the hooks,
// one list-view item request with its answer, and the pixels of the item's icon.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <cstddef>

#include "sys/Api.h"

// The list-view item request in its 40-byte form (the leading fields of LVITEMW); the
// list view reads no field beyond these for text, image and state.
struct LvItemRequest {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
};

enum { ItemTextChars = 260 };

// The ".SDATA" section. Handles here are valid in every process of the desktop.
struct SharedData {
    HWND hwndProgman;        // tray, at each refresh
    HWND hwndDefView;
    HWND hwndListView;       // the shell hooks act only on requests addressed to this window
    HWND hwndDlgMain;        // exported: the start dialog's window, or null
    HWND hwndMirror;         // non-null exactly while a mirror window exists
    HHOOK hookGetMsg;
    HHOOK hookCallWndRet;
    RECT rcMenuItem;         // screen square of the right-clicked mirror icon
    LONG menuRectPending;    // set by the tray, cleared by the shell after one use
    LONG isNT;
    UINT msgCorvantrix;
    HICON hItemIcon;         // made in the shell's process
    LvItemRequest lvItem;
    RECT rcItemIcon;
    wchar_t szItemText[ItemTextChars];
    BYTE unused[4];
};

// The list view reads the request as its own LVITEMW, in its own process of the same bitness.
static_assert(offsetof(LvItemRequest, pszText) == offsetof(LVITEMW, pszText));
static_assert(offsetof(LvItemRequest, lParam) == offsetof(LVITEMW, lParam));
static_assert(offsetof(LvItemRequest, iIndent) == offsetof(LVITEMW, iIndent));

#ifndef _WIN64
// The 32-bit edition keeps the layout other builds of the module rely on: 640 bytes.
static_assert(offsetof(SharedData, hwndProgman) == 0);
static_assert(offsetof(SharedData, hwndDefView) == 4);
static_assert(offsetof(SharedData, hwndListView) == 8);
static_assert(offsetof(SharedData, hwndDlgMain) == 12);
static_assert(offsetof(SharedData, hwndMirror) == 16);
static_assert(offsetof(SharedData, hookGetMsg) == 20);
static_assert(offsetof(SharedData, hookCallWndRet) == 24);
static_assert(offsetof(SharedData, rcMenuItem) == 28);
static_assert(offsetof(SharedData, menuRectPending) == 44);
static_assert(offsetof(SharedData, isNT) == 48);
static_assert(offsetof(SharedData, msgCorvantrix) == 52);
static_assert(offsetof(SharedData, hItemIcon) == 56);
static_assert(offsetof(SharedData, lvItem) == 60);
static_assert(sizeof(LvItemRequest) == 40);
static_assert(offsetof(SharedData, rcItemIcon) == 100);
static_assert(offsetof(SharedData, szItemText) == 116);
static_assert(offsetof(SharedData, unused) == 636);
static_assert(sizeof(SharedData) == 640);
#else
// The 64-bit edition has its own section (no process of the other bitness loads this
// module), laid out naturally: handles and pointers take 8 bytes and keep their alignment.
static_assert(offsetof(SharedData, hwndProgman) == 0);
static_assert(offsetof(SharedData, hwndDlgMain) == 24);
static_assert(offsetof(SharedData, hookGetMsg) == 40);
static_assert(offsetof(SharedData, hookCallWndRet) == 48);
static_assert(offsetof(SharedData, rcMenuItem) == 56);
static_assert(offsetof(SharedData, menuRectPending) == 72);
static_assert(offsetof(SharedData, isNT) == 76);
static_assert(offsetof(SharedData, msgCorvantrix) == 80);
static_assert(offsetof(SharedData, hItemIcon) == 88);
static_assert(offsetof(SharedData, lvItem) == 96);
static_assert(sizeof(LvItemRequest) == 56);
static_assert(offsetof(SharedData, rcItemIcon) == 152);
static_assert(offsetof(SharedData, szItemText) == 168);
static_assert(offsetof(SharedData, unused) == 688);
static_assert(sizeof(SharedData) == 696);
#endif

// The bytes cleared when a mirror window object is made: isNT up to the end of the label.
enum {
    SharedRequestFirst = offsetof(SharedData, isNT),
    SharedRequestEnd = offsetof(SharedData, unused),
};

// The item's small icon as pixels, written by the shell beside hItemIcon.
//
// Windows keeps icons in the window system, so the tray draws hItemIcon itself. Platforms
// that keep an icon's data inside the process that made it (Wine) cannot draw a foreign
// handle; for them the shell also renders the icon here and the tray builds its own copy.
// The one-request-at-a-time order covers this section like ".SDATA".
enum { ItemIconSize = 16 };

struct SharedIconPixels {
    LONG valid;                                    // 1 when the pixels belong to the last answer
    LONG shellIcons;                               // icons the shell side holds after the answer
    unsigned long long pixelHash;                  // of colour and mask, made once per picture
    DWORD color[ItemIconSize * ItemIconSize];      // top-down 0xAARRGGBB, overlay drawn in
    DWORD mask[ItemIconSize * ItemIconSize];       // non-zero where the pixel is transparent
};

// The format of the pixel section: 16 x 16, 32 bits, top-down.
BITMAPINFO IconPixelFormat();

extern "C" {
extern SharedData g_sdata;
extern SharedIconPixels g_sicon;
}

// Clears the request and answer area (isNT through the label) and sets isNT and the id of
// "CorvantrixMessage"; the window chain and the hook handles are left alone.
GLMBX_API void ResetSharedRequest();

// Read access for test programs and tools of the project that load the module.
GLMBX_API SharedData* GetSharedData();
GLMBX_API SharedIconPixels* GetSharedIconPixels();
