// The water-lights test build's document played by a scene slot on the
// test device: the lake slide, rings over the picture, rings over the
// scene with the radial-wave brush, then a device reset through the slot's
// own sequence, after which the water still moves and the lake still
// mirrors.
#include <gtest/gtest.h>

#include "unit/lights/TestBuildSlotFixture.h"

namespace {

class WaterLightsSlot : public TestBuildSlot {
protected:
    WaterLightsSlot() : TestBuildSlot(L"corvalline_water_lights.scr") {}

    void ExpectLake(float t)
    {
        const auto [first, last] = Second(t);
        ASSERT_FALSE(first.empty());
        EXPECT_EQ(Changed(first, last, 0.0, 0.5), 0) << "above the horizon at " << t;
        EXPECT_GT(Changed(first, last, 0.7, 1.0), 500) << "the mirror ripples at " << t;
    }

    void ExpectMovingWater(float t)
    {
        const auto [first, last] = Second(t);
        ASSERT_FALSE(first.empty());
        EXPECT_GT(Changed(first, last, 0.0, 1.0), 100) << "the rings move at " << t;
    }
};

TEST_F(WaterLightsSlot, PlaysEachSlideAndSurvivesADeviceReset)
{
    LoadSlot();
    if (HasFatalFailure()) return;
    ASSERT_EQ(slot_->Root()->Slides().size(), 3u);
    // Slides of 1 + 6 + 1 s from the first frame, at t = 0.
    ExpectLake(3.0f);
    ExpectMovingWater(11.0f);
    ExpectMovingWater(19.0f);

    RunTo(20.5f);
    slot_->InvalidateDeviceObjects();
    ASSERT_EQ(ResetDevice(), D3D_OK) << "nothing of the default pool outlived the invalidate step";
    slot_->RestoreDeviceObjects();
    ExpectMovingWater(20.5f);
    ExpectLake(27.0f);  // the show starts over
    ExpectMovingWater(35.0f);
}

}  // namespace
