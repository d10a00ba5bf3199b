// The application as the benchmarks play it: the test window (/t) of a
// given client size, every scene slot taking its scene from a SceneSource,
// the frame loop's pause on or off, and a watch that ends the run when the
// error display takes over (it draws no frames) or the time limit passes.
#pragma once

#include <windows.h>

#include "bench/FrameMeter.h"
#include "bench/SceneSource.h"
#include "host/MoireScreensaver.h"

class WatchedSaver : public CMoireScreensaver {
public:
    explicit WatchedSaver(double timeoutSeconds) : timeoutMs_(timeoutSeconds * 1000.0) {}

    // Creates the test window and its device (commandLine names the program
    // and gives "/t") and runs the frame loop until Shutdown, the error
    // display or the time limit. Returns what Create returns; a failure
    // stored during Create or the run leaves the error flag set.
    int Play(const wchar_t* commandLine, const RunOptions& options, const SceneSource& source);

    LRESULT WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;

    // The current slot had loaded its scene: its next Render draws the scene
    // (not the splash nor the load).
    bool SceneReady() const
    {
        return currentSlot_ != nullptr && currentSlot_->sceneLoaded && currentSlot_->Root() != nullptr;
    }
    // The watch ended the run (error display or time limit).
    bool StoppedEarly() const { return stoppedEarly_; }

private:
    double timeoutMs_;
    DWORD startTicks_ = 0;
    bool stoppedEarly_ = false;
};
