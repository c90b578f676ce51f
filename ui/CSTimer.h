// CSTimer: one system timer, on a window or with a callback, stopped at the latest by the destructor.
#pragma once

#include <windows.h>

#include "sys/Api.h"

class GLMBX_API CSTimer {
public:
    explicit CSTimer(UINT id = 0);
    ~CSTimer();
    CSTimer(const CSTimer&) = delete;
    CSTimer& operator=(const CSTimer&) = delete;

    // The id given here is taken only while the timer has none. A running timer is
    // replaced. Nonzero when the system started the timer.
    int Start(HWND wnd, UINT elapse, TIMERPROC proc = nullptr, UINT timerId = 0);
    void Stop();
    int IsTicking() const { return active != 0; }
    UINT GetID() const { return id; }

private:
    HWND hwnd;
    // What SetTimer returned; the timer's only name when it has no window.
    UINT_PTR active;
    UINT id;
};
