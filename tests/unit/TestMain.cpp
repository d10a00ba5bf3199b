// Entry of the unit-test program: COM is initialised once for the tests that
// use D3DX, DirectSound or DirectShow.
#include <gtest/gtest.h>
#include <objbase.h>

#include "QuickTestExit.h"

int main(int argc, char** argv)
{
    CoInitialize(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    LetPlatformThreadsFinish();
    return result;
}
