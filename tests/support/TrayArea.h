// The notification area as a person sees it: where an icon of a given colour is, and its tip.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// Without a desktop environment Wine shows the notification area as a small top-level window
// ("Wine System Tray", made by the X11 driver in the explorer process) near the top-left
// corner, with a child window per icon. It appears with the first icon.
HWND TrayWindow();
// The tray's window of its first icon, when there is one.
HWND FirstTrayIcon();

// The screen rectangle of the pixels of exactly this colour inside the tray window, read
// from the screen; false when there are none (or no tray window).
bool FindTrayIcon(COLORREF colour, RECT* where);
// Pumps until an icon of the colour is there (present) or gone (!present), at most timeoutMs.
bool WaitForTrayIcon(COLORREF colour, bool present, RECT* where = nullptr, DWORD timeoutMs = 5000);

// The tray's own window for the icon under the point (a child of the tray window).
HWND TrayIconWindowAt(POINT pt);
// The tip the tray shows for the icon window: the text of the tooltip tool that the tray's
// process registered for it, read across the process boundary. Empty when there is none.
std::wstring TrayTipOf(HWND iconWindow);

// The centre of a rectangle.
POINT Centre(const RECT& rc);

} // namespace test
