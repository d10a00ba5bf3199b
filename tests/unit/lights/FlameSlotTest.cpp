// The flame test build's document played by a scene slot on the test
// device: the flames move in the band over the lower part of the picture
// while above it only the heat haze shimmers, and both go on after a device
// reset through the slot's own sequence.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "unit/lights/TestBuildSlotFixture.h"

namespace {

class FlameSlot : public TestBuildSlot {
protected:
    FlameSlot() : TestBuildSlot(L"corvalline_flame_glassball.scr") {}

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

    // Pixels of rows from..to (fractions of the height) where a channel
    // moved by more than limit.
    static int Changed(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, double from, double to,
                       int limit = 24)
    {
        int count = 0;
        for (UINT y = static_cast<UINT>(from * kBackBufferSize); y < static_cast<UINT>(to * kBackBufferSize); ++y) {
            for (UINT x = 0; x < kBackBufferSize; ++x) {
                const size_t i = static_cast<size_t>(y) * kBackBufferSize + x;
                for (int shift = 0; shift < 24; shift += 8) {
                    if (std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF)) >
                        limit) {
                        ++count;
                        break;
                    }
                }
            }
        }
        return count;
    }

    // The band starts at 35 % of the picture's height; rows well above it
    // and well inside it.
    void ExpectFlames(float t)
    {
        const auto [first, last] = Second(t);
        ASSERT_FALSE(first.empty());
        const int band = Changed(first, last, 0.55, 1.0);
        const int above = Changed(first, last, 0.0, 0.3);
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
