// ProgressTracker, ProgressEx and GetTextRemaining: step timing, a 64-bit range scaled for a progress bar, and the time left in words.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdarg>

#include "sys/Api.h"

// Measures the time between steps: each Update after the first adds the interval since the
// one before. A pause forgets the last step, so the interval that spans it is not measured.
class GLMBX_API ProgressTracker {
public:
    ProgressTracker() : totalMs(0), count(0), lastTick(0), pauseCount(0) {}

    void Update();
    // Nested: on increments, off decrements. Updates while paused are not measured.
    void Pause(int on);
    // Milliseconds per measured step; 0 when nothing was measured.
    unsigned long GetAverageEventDuration() const;

private:
    unsigned long long totalMs;
    unsigned long count;
    DWORD lastTick;  // 0 = none
    long pauseCount;
};

// A range of 64-bit positions shown on a bar that holds 16-bit ones: SetRange64 picks a divisor
// so that both ends fit in 0..65535 in magnitude, and only every divisor-th StepIt moves the
// bar. What the bar is, the Do... operations say.
//
// The virtual operations keep their order: other modules call them by slot.
class GLMBX_API ProgressEx {
public:
    ProgressEx(const ProgressEx&) = delete;
    ProgressEx& operator=(const ProgressEx&) = delete;

    // Text line 0 to 3, formatted from fmt and args.
    virtual void SetText(int line, const wchar_t* fmt, va_list args) = 0;
    virtual void DoStepIt() = 0;
    virtual void DoSetPos(int pos) = 0;
    virtual void DoSetRange(int min, int max) = 0;
    // Dispatches the calling thread's pending messages.
    virtual void ProcessAllMessages() = 0;

    // Formats into line 0 to 3 (1024 characters at most). A lone narrow-string argument
    // would select the va_list form: give such text as "%hs" with a second argument, or
    // call the virtual one yourself.
    void SetText(int line, const wchar_t* fmt, ...);

    void SetRange64(long long min, long long max);
    void SetPos64(long long pos);
    void Setup(long long min, long long max, long long pos);
    // Counts one raw step; true when it moved the bar (then the step is timed as well).
    bool StepIt();

    // Of the scaled range; 0 for an empty one.
    int GetPercentCompleted() const;
    // Average time per bar step times the bar steps left; 0 when nothing was measured.
    unsigned long GetSecondsRemaining() const;
    bool GetTextRemaining(wchar_t* buf, unsigned size) const;

    void Pause(int on) { tracker.Pause(on); }
    int IsCanceled() const { return canceled; }
    void Cancel(int on) { canceled = on; }

    unsigned long GetDivisor() const { return divisor; }
    int GetMin() const { return scaledMin; }
    int GetMax() const { return scaledMax; }
    int GetPos() const { return scaledPos; }

protected:
    ProgressEx();
    // Not virtual: the objects live inside their controls, and the slots above come first.
    ~ProgressEx() = default;

private:
    std::atomic<int> canceled;  // set by a dialog's thread, read by the worker
    unsigned long divisor;
    unsigned long stepCount;
    int scaledMin;
    int scaledMax;
    int scaledPos;
    ProgressTracker tracker;
};

// The time left in words into buf (emptied first): "%d seconds remaining" below a minute,
// "%d minutes %d seconds remaining" below an hour, else "%d hours %d minutes remaining".
// False for 0 seconds (nothing to say) or no buffer.
GLMBX_API bool GetTextRemaining(unsigned seconds, wchar_t* buf, unsigned size);
