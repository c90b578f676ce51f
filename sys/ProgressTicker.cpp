// ProgressTicker: the bar's set-up, its thread, and the count it reports.
#include "sys/ProgressTicker.h"

#include <commctrl.h>

#include <new>

namespace {

// Pace 0 would spin; a thread that ignores its end is waited for this long at least.
const unsigned long MinPaceMs = 1;
const DWORD MinStopWaitMs = 500;

} // namespace

ProgressTickerThread::~ProgressTickerThread()
{
    Destroy(50);
}

unsigned long ProgressTickerThread::DoThreadEx()
{
    // The wait on cancel is the pace, and ends it early when the ticker stops.
    while (!IsCanceled()) {
        ticker->StepIt();
        if (WaitForSingleObject(cancel, pace) == WAIT_OBJECT_0)
            break;
    }
    return 0;
}

ProgressTicker::ProgressTicker(HWND progressBar, unsigned long paceMs, unsigned long stepCount, int show,
                               unsigned long* stepsOut)
    : bar(progressBar), pace(paceMs < MinPaceMs ? MinPaceMs : paceMs), showBar(show), paused(0), outSteps(stepsOut),
      steps(stepCount), made(0), thread(nullptr)
{
    SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, steps > 0xFFFF ? 0xFFFF : steps));
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    SendMessageW(bar, PBM_SETSTEP, 1, 0);
    if (showBar) {
        ShowWindow(bar, SW_SHOW);
        UpdateWindow(bar);
    }
    thread = new (std::nothrow) ProgressTickerThread(this, pace);
    if (thread) {
        DWORD stopWait = 2 * pace;
        thread->SetGiveUpTime(stopWait < MinStopWaitMs ? MinStopWaitMs : stopWait);
        thread->Start();
    }
}

ProgressTicker::~ProgressTicker()
{
    if (thread) {
        thread->Destroy(pace);
        delete thread;
        thread = nullptr;
    }
    if (showBar)
        ShowWindow(bar, SW_HIDE);
    if (outSteps)
        *outSteps = made.load();
}

void ProgressTicker::StepIt()
{
    if (paused.load() || made.load() >= steps)
        return;
    SendMessageW(bar, PBM_STEPIT, 0, 0);
    ++made;
}
