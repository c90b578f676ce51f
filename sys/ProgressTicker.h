// ProgressTicker: a progress bar that moves by itself, one step per pace, from a thread of its own.
#pragma once

#include <windows.h>

#include <atomic>

#include "sys/Api.h"
#include "sys/CSThread.h"

class ProgressTicker;

class GLMBX_API ProgressTickerThread : public CSThreadEx {
public:
    ProgressTickerThread(ProgressTicker* owner, unsigned long paceMs) : ticker(owner), pace(paceMs) {}
    ~ProgressTickerThread() override;

    // Until cancelled: a step, then the pace.
    unsigned long DoThreadEx() override;

private:
    ProgressTicker* ticker;
    unsigned long pace;
};

// For work whose length is not known: the bar (range 0..steps, step 1) moves one step per
// pace until it is full or the ticker ends. The ticker's thread only sends PBM_STEPIT.
class GLMBX_API ProgressTicker {
public:
    // show: show the bar for the ticker's life. outSteps receives the steps made at the end.
    ProgressTicker(HWND bar, unsigned long paceMs, unsigned long steps, int show, unsigned long* outSteps = nullptr);
    // Stops the thread (waiting about twice the pace), hides the bar when it showed it, and
    // reports the steps made.
    ~ProgressTicker();
    ProgressTicker(const ProgressTicker&) = delete;
    ProgressTicker& operator=(const ProgressTicker&) = delete;

    // One step, unless paused or every step is made.
    void StepIt();
    void Pause(int on) { paused.store(on); }
    unsigned long GetStepsMade() const { return made.load(); }

private:
    HWND bar;
    unsigned long pace;
    int showBar;
    std::atomic<int> paused;
    unsigned long* outSteps;
    unsigned long steps;
    std::atomic<unsigned long> made;
    ProgressTickerThread* thread;
};
