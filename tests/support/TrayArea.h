// The notification area as a person sees it: its icons and their tips.
#pragma once

#include <windows.h>

#include <string>

namespace test {

// Without a desktop environment Wine shows the notification area as a small top-level window
// ("Wine System Tray", made by the X11 driver in the explorer process) near the top-left
// corner, with a child window per icon. It appears with the first icon.
HWND TrayWindow();
// The tip the tray shows for the icon window: the text of the tooltip tool that the tray's
// process registered for it, read across the process boundary. Empty when there is none.
std::wstring TrayTipOf(HWND iconWindow);
// The tray's window of a visible icon with this tip, or null.
HWND TrayIconWithTip(const std::wstring& tip);

} // namespace test
