// Real input for tests: xdotool through the Unix shell, finished when its marker appears.
#include "tests/support/RealInput.h"

#include "tests/support/TestSupport.h"

namespace test {

std::string MoveTo(POINT pt)
{
    return "mousemove " + std::to_string(pt.x) + " " + std::to_string(pt.y);
}

std::string MoveTo(HWND hwnd)
{
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    return MoveTo(POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
}

std::string Drag(POINT from, int dx, int dy)
{
    return MoveTo(from) + " sleep 0.1 mousedown 1 sleep 0.2 " + MoveTo(POINT{from.x + dx / 2, from.y + dy / 2}) +
           " sleep 0.2 " + MoveTo(POINT{from.x + dx, from.y + dy}) + " sleep 0.2 mouseup 1";
}

bool Xdo(const std::string& args, DWORD timeoutMs)
{
    static int serial;
    std::string marker = "/tmp/glmbx-xdo-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    std::wstring markerPath = L"Z:" + FromUtf8(marker);
    for (wchar_t& c : markerPath) {
        if (c == L'/')
            c = L'\\';
    }
    DeleteFileW(markerPath.c_str());
    // A sequence that fails half-way must not leave a button held down for the next test.
    if (!StartUnixShell(L"xdotool " + FromUtf8(args) + L"; rc=$?; [ $rc -eq 0 ] || xdotool mouseup 1 mouseup 3; echo $rc > " +
                        FromUtf8(marker)))
        return false;
    std::string result;
    bool finished = PumpUntil(
        [&] {
            result = ReadFileBytes(markerPath);
            return !result.empty() && result.back() == '\n';
        },
        timeoutMs);
    DeleteFileW(markerPath.c_str());
    return finished && result == "0\n";
}

std::string HeldClick(int button)
{
    std::string b = std::to_string(button);
    return "mousedown " + b + " sleep 0.15 mouseup " + b;
}

} // namespace test
