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

    // Frame moves every quarter second up to t: a slide begins with the
    // first frame after the one before it ended, so the show keeps its
    // times only when no frame is far apart.
    void RunTo(float t)
    {
        for (; now_ < t; now_ += 0.25f) slot_->FrameMove(now_);
    }

    // Frames every 0.1 s from t to t + 1; the first and the last.
    std::pair<std::vector<uint32_t>, std::vector<uint32_t>> Second(float t)
    {
        RunTo(t);
        now_ = t + 1.0f;
        std::vector<uint32_t> first;
        for (int i = 0; i <= 10; ++i) {
            slot_->FrameMove(t + 0.1f * static_cast<float>(i));
            slot_->RenderScene(Device());
            if (i == 0) first = BackBufferPixels();
        }
        return {first, BackBufferPixels()};
    }

    // Pixels that differ in rows from..to (fractions of the height).
    static int Changed(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, double from, double to)
    {
        int count = 0;
        for (UINT y = static_cast<UINT>(from * kBackBufferSize); y < static_cast<UINT>(to * kBackBufferSize); ++y) {
            for (UINT x = 0; x < kBackBufferSize; ++x) {
                const size_t i = static_cast<size_t>(y) * kBackBufferSize + x;
                count += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
            }
        }
        return count;
    }

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
