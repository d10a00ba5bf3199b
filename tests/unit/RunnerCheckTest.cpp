// A case that fails only when CORVALLINE_FAIL_DEMO is set, which the suite
// never does: tools/tests/test_run_gtest.py sets it to check that a grouped
// run names a failing case with its message, and says why a process that
// died mid-suite ended.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

TEST(RunnerCheck, FailsOnlyWhenAsked)
{
    const char* demo = std::getenv("CORVALLINE_FAIL_DEMO");
    if (demo == nullptr) return;
    if (std::strcmp(demo, "crash") == 0) {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    }
    ADD_FAILURE() << "the failure CORVALLINE_FAIL_DEMO asked for";
}
