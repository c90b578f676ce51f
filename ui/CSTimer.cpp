// CSTimer: starting, replacing and stopping one system timer.
#include "ui/CSTimer.h"

CSTimer::CSTimer(UINT timerId) : hwnd(nullptr), active(0), id(timerId) {}

CSTimer::~CSTimer()
{
    Stop();
}

int CSTimer::Start(HWND wnd, UINT elapse, TIMERPROC proc, UINT timerId)
{
    // A window-less timer gets a new id at every SetTimer: stop the old one, never leak it.
    Stop();
    hwnd = wnd;
    if (!id)
        id = timerId;
    active = SetTimer(hwnd, id, elapse, proc);
    return active != 0;
}

void CSTimer::Stop()
{
    if (!active)
        return;
    KillTimer(hwnd, hwnd ? id : active);
    active = 0;
}
