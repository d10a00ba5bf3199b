// Wine 8 with Mesa llvmpipe, 2026-12: a test process that made a Direct3D
// device can spend over a second in the GL driver's exit handlers when the
// machine is busy, and the wineserver then kills it (exit status 137, "Subprocess
// killed" in CTest) although every test passed. Fixtures that make a device
// call InstallQuickTestExit: once the tests have run, the process ends with
// their verdict (0 all passed, 1 otherwise) without running those handlers.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

// Wine 8, 2026-12: a platform thread still finishing its own exit (the
// Direct3D command thread of a device just released, say) when the process
// ends can get the end signal in the middle of that teardown; the process
// then crashes or hangs although its tests passed. A short pause with
// nothing left to do lets such threads finish first.
inline void LetPlatformThreadsFinish()
{
    Sleep(150);
}

inline void EndTestProcessQuickly()
{
    std::fflush(stdout);
    std::fflush(stderr);
    LetPlatformThreadsFinish();
    TerminateProcess(GetCurrentProcess(), ::testing::UnitTest::GetInstance()->Passed() ? 0 : 1);
}

// Safe to call from every SetUp: the exit handler is registered once.
inline void InstallQuickTestExit()
{
    static const bool installed = std::atexit(EndTestProcessQuickly) == 0;
    (void)installed;
}
