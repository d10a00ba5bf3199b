// The particle test build's document played by a scene slot on the test
// device through a device reset: the brushes' quads live in default-pool
// buffers (the reset only succeeds when the invalidate step released them)
// and every brush must draw and change again after the restore, the
// custom brush, whose sprites are written once, included.
#include <gtest/gtest.h>

#include "unit/lights/TestBuildSlotFixture.h"

namespace {

class ParticlesSlot : public TestBuildSlot {
protected:
    ParticlesSlot() : TestBuildSlot(L"corvalline_particles.scr") {}

    // Over one second from t: the sky (glints and stars) and the discs over
    // the lake change, the hills and the lake between them do not. The
    // picture fills the square back buffer, so its rows are the picture's.
    void ExpectBrushesMove(float t, const char* when)
    {
        const auto [first, last] = Second(t);
        ASSERT_FALSE(first.empty());
        EXPECT_GT(Changed(first, last, 0.0, 0.34), 20) << "glints and stars " << when;
        EXPECT_GT(Changed(first, last, 0.74, 0.93), 100) << "the disc frames " << when;
        EXPECT_EQ(Changed(first, last, 0.4, 0.7), 0) << "away from the brushes " << when;
    }
};

TEST_F(ParticlesSlot, BrushesPlayBeforeAndAfterADeviceReset)
{
    LoadSlot();
    if (HasFatalFailure()) return;
    ExpectBrushesMove(3.0f, "before the reset");

    RunTo(4.5f);
    slot_->InvalidateDeviceObjects();
    ASSERT_EQ(ResetDevice(), D3D_OK) << "nothing of the default pool outlived the invalidate step";
    slot_->RestoreDeviceObjects();
    ExpectBrushesMove(5.0f, "after the reset");
}

}  // namespace
