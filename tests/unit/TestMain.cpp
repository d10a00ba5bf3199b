// Entry of the unit-test program: COM is initialised once for the tests that
// use D3DX, DirectSound or DirectShow.
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdio>

#include "QuickTestExit.h"

int main(int argc, char** argv)
{
    // Output to a pipe is block-buffered: a process that dies (a crash, or
    // Wine killing it while it exits) would take the report of the cases it
    // ran with it. Unbuffered, every line reaches the runner as it is written.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    CoInitialize(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    LetPlatformThreadsFinish();
    return result;
}
