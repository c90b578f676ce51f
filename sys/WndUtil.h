// Window helpers: placement, styles, child controls, dialog items, messages, text measurement,
// class tests and menu texts.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// Placement. Only the position changes; size, z-order and activation stay.
// Centres hwnd on parent (the desktop when null), then keeps it inside the display's resolution.
GLMBX_API void CenterWindow(HWND hwnd, HWND parent = nullptr);
// Top-left corner at the cursor, kept within the size of a maximised window.
GLMBX_API void MoveWindowToMouse(HWND hwnd);
// parent's top-left corner (the desktop's when null) moved right by a vertical scroll bar's width
// and down by a caption's height, kept as in MoveWindowToMouse.
GLMBX_API void CascadeWindow(HWND hwnd, HWND parent = nullptr);
// The window's left and top under the application's root key, as the DWORD values
// "<prefix>posLeft" and "<prefix>posTop". Nothing happens when the key cannot be opened.
GLMBX_API void WndStorePosition(HWND hwnd, const wchar_t* prefix);
// Moves the window to the stored position, defaulting to where it is, kept at least half on
// the primary screen horizontally and below its top edge.
GLMBX_API void WndRestorePosition(HWND hwnd, const wchar_t* prefix);

// Thin wrappers. Coordinates are the parent's client coordinates for a child window and
// screen coordinates otherwise; none changes the z-order or activates, except SetWndZOrder.
GLMBX_API BOOL OffsetWnd(HWND hwnd, int dx, int dy);
GLMBX_API BOOL ResizeWnd(HWND hwnd, int dx, int dy);  // grows (or shrinks) by dx, dy
GLMBX_API BOOL SetWndPos(HWND hwnd, int x, int y, int cx, int cy);
GLMBX_API BOOL SetWndSize(HWND hwnd, int cx, int cy);
GLMBX_API BOOL SetWndOrigin(HWND hwnd, int x, int y);
GLMBX_API BOOL SetWndShow(HWND hwnd, BOOL show);
GLMBX_API BOOL SetWndZOrder(HWND hwnd, HWND after);
// The last window found by following GetParent (hwnd itself when it has no parent).
GLMBX_API HWND GetTopParent(HWND hwnd);
// The window's style (GWL_STYLE) or extended style (GWL_EXSTYLE).
GLMBX_API DWORD GetWndStyle(HWND hwnd, int index = GWL_STYLE);
// Returns the previous style.
GLMBX_API DWORD SetWndStyle(HWND hwnd, DWORD style, int index = GWL_STYLE);
// Removes then adds style bits; with swpFlags, SetWindowPos applies them (SWP_FRAMECHANGED is
// added). True when the style changed.
GLMBX_API BOOL ModifyWndStyle(HWND hwnd, int index, DWORD remove, DWORD add, UINT swpFlags = 0);
GLMBX_API BOOL ModifyStyle(HWND hwnd, DWORD remove, DWORD add, UINT swpFlags = 0);

// Child controls, in their parent's client coordinates.
GLMBX_API BOOL GetCtrlRect(HWND ctrl, RECT* rect);
GLMBX_API BOOL CenterCtrl(HWND ctrl, BOOL horizontally = TRUE, BOOL vertically = TRUE);
GLMBX_API BOOL MoveCtrl(HWND ctrl, int x, int y);
GLMBX_API BOOL ResizeCtrl(HWND ctrl, int cx, int cy);
GLMBX_API BOOL CenterDlgItem(HWND dlg, int id, BOOL horizontally = TRUE, BOOL vertically = TRUE);
GLMBX_API BOOL MoveDlgItem(HWND dlg, int id, int x, int y);
GLMBX_API BOOL ResizeDlgItem(HWND dlg, int id, int cx, int cy);
GLMBX_API BOOL GetDlgItemRect(HWND dlg, int id, RECT* rect);

// Dialog items.
GLMBX_API BOOL EnableDlgItem(HWND dlg, int id, BOOL enable);
GLMBX_API BOOL ShowDlgItem(HWND dlg, int id, BOOL show);
// Moves the focus the way the dialog manager does (default button updated).
GLMBX_API BOOL SetDlgItemFocus(HWND dlg, int id);
GLMBX_API LRESULT SendDlgItemMsg(HWND dlg, int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// The default push button's id, 0 when there is none.
GLMBX_API UINT GetDlgDefBtnID(HWND dlg);
// Makes button id the dialog's default push button (the old one becomes a plain push button).
GLMBX_API void SetDlgDefBtnID(HWND dlg, UINT id);
// UDM_SETRANGE on an up-down control: upper in the low word, lower in the high word.
GLMBX_API void SetDlgItemSpinRange(HWND dlg, unsigned id, unsigned lower, unsigned upper);
// Sets the check state (BST_...) of count buttons.
GLMBX_API void CheckDlgIDs(HWND dlg, const UINT* ids, int count, UINT check);

// Messages.
GLMBX_API LRESULT SendMsg(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
GLMBX_API BOOL PostMsg(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// WM_COMMAND with the identifier in the low word and the notification code in the high word.
GLMBX_API LRESULT SendCommand(HWND hwnd, UINT id, UINT code = 0, HWND ctrl = nullptr);
GLMBX_API BOOL PostCommand(HWND hwnd, UINT id, UINT code = 0, HWND ctrl = nullptr);
// A click on an enabled button of dlg, as the button would report it; false otherwise.
GLMBX_API BOOL SimulateButton(HWND dlg, UINT id);
// Sends "CorvantrixMessage" to the window; 0 for a null window.
GLMBX_API LRESULT SendMyCompanyMsg(HWND hwnd, unsigned wParam, long lParam);

// Text in a window's font (the system's GUI font when the window has none).
// Shortens text in place with "..." so that it fits width pixels; true when it was shortened.
GLMBX_API BOOL FitText(wchar_t* text, int width, HWND hwnd);
// Extent of one line of text (the window's own text when null).
GLMBX_API SIZE GetWndTextSize(HWND hwnd, const wchar_t* text = nullptr);
GLMBX_API int GetWndTextWidth(HWND hwnd, const wchar_t* text = nullptr);

// The window's class is name (any case). IsWndClass also accepts the system class a window's
// class was made from (a superclassed "Button" is a "Button").
GLMBX_API BOOL IsClassName(HWND hwnd, const wchar_t* name);
GLMBX_API BOOL IsWndClass(HWND hwnd, const wchar_t* name);

// Menu texts: removes the "&" markers in place ("&&" becomes "&").
GLMBX_API wchar_t* RemoveMenuChar(wchar_t* s);
// A plain name from a menu text: no markers, no accelerator after a tab, no trailing "...".
GLMBX_API wchar_t* MakeNameFromMenu(wchar_t* dst, const wchar_t* src, int dstChars = MAX_PATH);
// The accelerator character (upper case) marked by "&", 0 when there is none.
GLMBX_API wchar_t GetMenuItemChar(const wchar_t* text);
