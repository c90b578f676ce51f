// ProgressTracker, ProgressEx and GetTextRemaining.
#include "sys/ProgressEx.h"

#include <cwchar>

namespace {

const unsigned long long BarLimit = 65535;

// Whole bar units of a raw position, held inside the range the bar messages can carry.
int Scale(long long value, unsigned long divisor)
{
    long long scaled = value / static_cast<long long>(divisor);
    if (scaled > 0x7FFFFFFF)
        return 0x7FFFFFFF;
    if (scaled < -0x7FFFFFFF)
        return -0x7FFFFFFF;
    return static_cast<int>(scaled);
}

unsigned long long Magnitude(long long value)
{
    // Without overflow for the most negative number.
    return value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
}

} // namespace

void ProgressTracker::Update()
{
    if (pauseCount > 0)
        return;
    DWORD now = GetTickCount();
    if (lastTick) {
        totalMs += static_cast<DWORD>(now - lastTick);
        ++count;
    }
    lastTick = now ? now : 1;
}

void ProgressTracker::Pause(int on)
{
    if (on) {
        ++pauseCount;
        lastTick = 0;
    } else if (pauseCount > 0) {
        --pauseCount;
    }
}

unsigned long ProgressTracker::GetAverageEventDuration() const
{
    return count ? static_cast<unsigned long>(totalMs / count) : 0;
}

ProgressEx::ProgressEx() : canceled(0), divisor(1), stepCount(0), scaledMin(0), scaledMax(0), scaledPos(0) {}

void ProgressEx::SetText(int line, const wchar_t* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    SetText(line, fmt, args);
    va_end(args);
}

void ProgressEx::SetRange64(long long min, long long max)
{
    unsigned long long factor = 1;
    unsigned long long low = Magnitude(min);
    if (low > BarLimit)
        factor = (low + BarLimit - 1) / BarLimit;
    if (max > 0 && static_cast<unsigned long long>(max) > BarLimit)
        factor *= (static_cast<unsigned long long>(max) + BarLimit - 1) / BarLimit;
    // Two huge factors would overflow the divisor; the range is then only roughly shown.
    divisor = factor > 0xFFFFFFFFULL ? 0xFFFFFFFFUL : static_cast<unsigned long>(factor);
    stepCount = 0;
    scaledMin = Scale(min, divisor);
    scaledMax = Scale(max, divisor);
    DoSetRange(scaledMin, scaledMax);
}

void ProgressEx::SetPos64(long long pos)
{
    scaledPos = Scale(pos, divisor);
    DoSetPos(scaledPos);
}

void ProgressEx::Setup(long long min, long long max, long long pos)
{
    SetRange64(min, max);
    SetPos64(pos);
}

bool ProgressEx::StepIt()
{
    if (++stepCount < divisor)
        return false;
    stepCount = 0;
    if (scaledPos < 0x7FFFFFFF)
        ++scaledPos;
    DoStepIt();
    tracker.Update();
    return true;
}

int ProgressEx::GetPercentCompleted() const
{
    long long range = static_cast<long long>(scaledMax) - scaledMin;
    if (range <= 0)
        return 0;
    return static_cast<int>((static_cast<long long>(scaledPos) - scaledMin) * 100 / range);
}

unsigned long ProgressEx::GetSecondsRemaining() const
{
    // The tracker times bar steps, and the steps left are counted in bar steps too, so the
    // estimate holds for scaled ranges as well.
    if (scaledPos >= scaledMax)
        return 0;
    unsigned long long left = static_cast<unsigned long long>(static_cast<long long>(scaledMax) - scaledPos);
    unsigned long long seconds = tracker.GetAverageEventDuration() * left / 1000;
    return seconds > 0xFFFFFFFFULL ? 0xFFFFFFFFUL : static_cast<unsigned long>(seconds);
}

bool ProgressEx::GetTextRemaining(wchar_t* buf, unsigned size) const
{
    return ::GetTextRemaining(GetSecondsRemaining(), buf, size);
}

bool GetTextRemaining(unsigned seconds, wchar_t* buf, unsigned size)
{
    if (!buf || size == 0)
        return false;
    buf[0] = 0;
    if (seconds == 0)
        return false;
    int written;
    if (seconds < 60)
        written = _snwprintf(buf, size, L"%d seconds remaining", static_cast<int>(seconds));
    else if (seconds >= 3600)
        written = _snwprintf(buf, size, L"%d hours %d minutes remaining", static_cast<int>(seconds / 3600),
                             static_cast<int>(seconds % 3600 / 60));
    else
        written = _snwprintf(buf, size, L"%d minutes %d seconds remaining", static_cast<int>(seconds / 60),
                             static_cast<int>(seconds % 60));
    if (written < 0 || static_cast<unsigned>(written) >= size)
        buf[size - 1] = 0;
    return true;
}
