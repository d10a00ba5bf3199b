// The falling-glyph test build's document played by a scene slot on the
// test device through a device reset: the glyph quads live in default-pool
// buffers, so the reset only succeeds when the invalidate step released
// them, and the glyphs must fall again after the restore.
#include <gtest/gtest.h>

#include "unit/lights/TestBuildSlotFixture.h"

namespace {

class GlyphsSlot : public TestBuildSlot {
protected:
    GlyphsSlot() : TestBuildSlot(L"corvalline_glyphs.scr") {}

    // Frames every tenth of a second from now to t (the glyphs step once a
    // drawn frame); the last one's pixels.
    std::vector<uint32_t> DrawAt(float t)
    {
        for (; now_ < t; now_ += 0.1f) {
            slot_->FrameMove(now_);
            slot_->RenderScene(Device());
        }
        return BackBufferPixels();
    }

    static int Changed(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
    {
        int changed = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) changed += a[i] != b[i];
        return changed;
    }

};

TEST_F(GlyphsSlot, GlyphsFallBeforeAndAfterADeviceReset)
{
    LoadSlot();
    if (HasFatalFailure()) return;
    const std::vector<uint32_t> before = DrawAt(3.0f);
    EXPECT_GT(Changed(before, DrawAt(4.0f)), 100) << "the glyphs fall";

    slot_->InvalidateDeviceObjects();
    ASSERT_EQ(ResetDevice(), D3D_OK) << "nothing of the default pool outlived the invalidate step";
    slot_->RestoreDeviceObjects();
    const std::vector<uint32_t> after = DrawAt(5.0f);
    EXPECT_GT(Changed(after, DrawAt(6.0f)), 100) << "the glyphs fall after the reset";
}

}  // namespace
