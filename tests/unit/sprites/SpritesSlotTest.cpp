// The sprites test build's document played by a scene slot on the test
// device, through a device reset: each kind's sprites move inside its area
// over the picture and nothing changes far from all of them. The sprite
// vertices live in a default-pool buffer, so the reset only succeeds when
// the invalidate step released it, and the sprites must move again after
// the restore.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/lights/TestBuildSlotFixture.h"

namespace {

struct Box {
    const char* name;
    float left, top, right, bottom;  // fractions of the picture
};

// The kinds' areas in tests/variants/sprites.scene, and the far shore that
// no sprite comes near.
const Box kMoving[] = {
    {"fog", 0.03f, 0.03f, 0.27f, 0.24f},   {"birds", 0.32f, 0.05f, 0.68f, 0.28f},
    {"rain", 0.80f, 0.02f, 0.98f, 0.58f},  {"petals", 0.02f, 0.36f, 0.22f, 0.58f},
    {"fish", 0.32f, 0.66f, 0.78f, 0.88f},  {"ghosts", 0.82f, 0.68f, 0.98f, 0.95f},
    {"discharge", 0.05f, 0.59f, 0.27f, 0.66f},
};
const Box kFar = {"far shore", 0.36f, 0.38f, 0.66f, 0.56f};

class SpritesSlot : public TestBuildSlot {
protected:
    SpritesSlot() : TestBuildSlot(L"corvalline_sprites.scr") {}

    // Frames every twentieth of a second from now to t; the last one's pixels.
    std::vector<uint32_t> DrawAt(float t)
    {
        for (; now_ < t; now_ += 0.05f) {
            slot_->FrameMove(now_);
            slot_->RenderScene(Device());
        }
        return BackBufferPixels();
    }

    // The back buffer shows the whole picture stretched over it.
    int Changed(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, const Box& box) const
    {
        const UINT w = BackBufferWidth(), h = BackBufferHeight();
        int changed = 0;
        for (UINT y = static_cast<UINT>(box.top * h); y < static_cast<UINT>(box.bottom * h); ++y) {
            for (UINT x = static_cast<UINT>(box.left * w); x < static_cast<UINT>(box.right * w); ++x) {
                changed += a[y * w + x] != b[y * w + x];
            }
        }
        return changed;
    }

    void ExpectMovingOnlyInTheirAreas(const std::vector<uint32_t>& first, const std::vector<uint32_t>& second,
                                      const char* when)
    {
        ASSERT_EQ(first.size(), second.size());
        ASSERT_FALSE(first.empty());
        for (const Box& box : kMoving) {
            EXPECT_GT(Changed(first, second, box), 10) << box.name << " move " << when;
        }
        EXPECT_EQ(Changed(first, second, kFar), 0) << when;
    }
};

TEST_F(SpritesSlot, SpritesMoveInTheirAreasBeforeAndAfterADeviceReset)
{
    LoadSlot();
    if (HasFatalFailure()) return;
    const std::vector<uint32_t> before = DrawAt(3.0f);
    ExpectMovingOnlyInTheirAreas(before, DrawAt(4.0f), "before the reset");

    slot_->InvalidateDeviceObjects();
    ASSERT_EQ(ResetDevice(), D3D_OK) << "nothing of the default pool outlived the invalidate step";
    slot_->RestoreDeviceObjects();
    const std::vector<uint32_t> after = DrawAt(5.0f);
    ExpectMovingOnlyInTheirAreas(after, DrawAt(6.0f), "after the reset");
}

}  // namespace
