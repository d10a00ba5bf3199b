// The flame test build's document played by a scene slot on the test
// device: the flames move in the band over the lower part of the picture
// while above it only the heat haze shimmers, and both go on after a device
// reset through the slot's own sequence.
#include <gtest/gtest.h>

#include "unit/lights/TestBuildSlotFixture.h"

namespace {

class FlameSlot : public TestBuildSlot {
protected:
    FlameSlot() : TestBuildSlot(L"corvalline_flame_glassball.scr") {}

    // The band starts at 35 % of the picture's height; rows well above it
    // and well inside it.
    void ExpectFlames(float t)
    {
        const auto [first, last] = Second(t);
        ASSERT_FALSE(first.empty());
        const int band = Changed(first, last, 0.55, 1.0, 24);
        const int above = Changed(first, last, 0.0, 0.3, 24);
        EXPECT_GT(band, 500) << "the flames move at " << t;
        EXPECT_GT(band, 10 * above) << "above the band only the shimmer at " << t;
        // The camera stands still: above the band only the heat haze moves
        // anything, by a level or a few.
        EXPECT_GT(Changed(first, last, 0.0, 0.3, 0), 500) << "the haze shimmers at " << t;
    }
};

TEST_F(FlameSlot, FlamesMoveAndSurviveADeviceReset)
{
    LoadSlot();
    if (HasFatalFailure()) return;
    ASSERT_GE(slot_->Root()->Slides().size(), 1u);
    // Slide 1 runs 1 + 8 + 1 s from the first frame, at t = 0.
    ExpectFlames(2.0f);

    RunTo(4.0f);
    slot_->InvalidateDeviceObjects();
    ASSERT_EQ(ResetDevice(), D3D_OK) << "nothing of the default pool outlived the invalidate step";
    slot_->RestoreDeviceObjects();
    ExpectFlames(4.0f);
}

}  // namespace
