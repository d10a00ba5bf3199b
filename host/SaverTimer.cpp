#include "host/SaverTimer.h"

#include <windows.h>
#include <mmsystem.h>

SaverTimer& TheSaverTimer()
{
    static SaverTimer timer;
    return timer;
}

void SaverTimer::Decide()
{
    if (decided_) return;
    decided_ = true;
    LARGE_INTEGER frequency;
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart != 0) {
        usePerformanceCounter_ = true;
        frequency_ = static_cast<double>(frequency.QuadPart);
    }
}

double SaverTimer::Now() const
{
    if (usePerformanceCounter_) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart);
    }
    return static_cast<double>(timeGetTime()) * 0.001;
}

void SaverTimer::Start()
{
    Decide();
    const double now = Now();
    if (stopped_) baseTime_ += now - stopTime_;
    stopTime_ = 0;
    lastElapsedTime_ = now;
    stopped_ = false;
}

double SaverTimer::AppTime() const
{
    const double now = stopTime_ != 0 ? stopTime_ : Now();
    return usePerformanceCounter_ ? (now - baseTime_) / frequency_ : now - baseTime_;
}

double SaverTimer::Elapsed()
{
    Decide();
    const double now = Now();
    const double elapsed = usePerformanceCounter_ ? (now - lastElapsedTime_) / frequency_ : now - lastElapsedTime_;
    lastElapsedTime_ = now;
    return elapsed;
}
