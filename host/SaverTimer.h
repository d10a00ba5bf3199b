// The process's frame clock: application time since the saver started and
// the time elapsed since the previous reading, from the performance counter
// (or the millisecond clock where there is none), computed in double.
#pragma once

class SaverTimer {
public:
    void Start();
    double AppTime() const;
    double Elapsed();

private:
    double Now() const;
    bool decided_ = false;
    bool usePerformanceCounter_ = false;
    double frequency_ = 1.0;
    double baseTime_ = 0;
    double stopTime_ = 0;
    double lastElapsedTime_ = 0;
    bool stopped_ = true;
    void Decide();
};

// The one frame clock of the process: frame timing is global to all units.
SaverTimer& TheSaverTimer();
