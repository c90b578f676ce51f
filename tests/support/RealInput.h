// Real input for tests: xdotool on the test run's X display, started from inside Wine.
#pragma once

#include <windows.h>

#include <string>

namespace test {

// Runs "xdotool ARGS" and waits, pumping this thread's messages, until it has finished or
// timeoutMs passed; true when it finished with exit code 0. Wine cannot wait on a Unix process,
// so completion is told by a marker file the shell writes after xdotool.
bool Xdo(const std::string& args, DWORD timeoutMs = 15000);

// A press held long enough to be seen before its release (Wine may otherwise deliver the
// release first): "mousedown B sleep 0.15 mouseup B" at the current pointer.
std::string HeldClick(int button);
// "mousemove X Y" to a screen point, and to the centre of a window.
std::string MoveTo(POINT pt);
std::string MoveTo(HWND hwnd);
// A left-button drag by (dx, dy) from a screen point, through the half-way point.
std::string Drag(POINT from, int dx, int dy);

} // namespace test
