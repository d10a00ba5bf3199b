// Helpers of the brush-kind tests: running a brush clock to a chosen value,
// a time line at half opacity, and comparing float lists.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "effects/brushes/FXConstructor.h"
#include "engine/scene/TimeLineControl.h"

// Updates brush with local times from 0 in steps of at most 0.2 s (the
// clock's step cap) until its clock reaches clock. A speed of 0 stays at 0.
inline void RunClockTo(DS_FX_Constructor& brush, float clock)
{
    const float rate = brush.speed.GetDerived();
    float t = 0.0f;
    brush.Update(t);
    for (int i = 0; i < 100000 && rate > 0.0f && brush.Clock() < clock - 1e-6f; ++i) {
        t += std::min(0.2f, (clock - brush.Clock()) / rate);
        brush.Update(t);
    }
}

// A time line whose opacity is 0.5: a window fading in from -1 to 1,
// evaluated at 0.
inline void SetHalfFade(DS_FX_Constructor& brush)
{
    DS_TimeLineControl& line = brush.TimeLine();
    line.mode = DS_TimeLineControl::kWindows;
    line.AddWindow(TimeWindow{-1.0f, 10.0f, 1.0f, 9.0f});
}

inline void ExpectNear(const std::vector<float>& actual, const std::vector<float>& expected, float tolerance,
                       const char* name)
{
    ASSERT_EQ(actual.size(), expected.size()) << name;
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << name << "[" << i << "]";
}
