// The falling-glyph test build's document played by a scene slot on the
// test device through a device reset: the glyph quads live in default-pool
// buffers, so the reset only succeeds when the invalidate step released
// them, and the glyphs must fall again after the restore.
#include <gtest/gtest.h>

#include "engine/archive/ResourceModule.h"
#include "engine/resources/CurrentScene.h"
#include "host/SceneClassList.h"
#include "host/SceneSlot.h"
#include "unit/D3DTestDevice.h"

namespace {

class GlyphsSlot : public D3DTestDevice {
protected:
    void SetUp() override
    {
        D3DTestDevice::SetUp();
        if (HasFatalFailure()) return;
        RegisterSceneClasses();
        SetCurrentDevice(Device());
        module_ = LoadResourceModule(L"corvalline_glyphs.scr", ProgramFolder());
        ASSERT_NE(module_, nullptr);
    }

    void TearDown() override
    {
        slot_.reset();
        SetCurrentDocResManager(nullptr);
        SetCurrentRenderContext(nullptr);
        SetCurrentDevice(nullptr);
        if (module_) FreeLibrary(module_);
        D3DTestDevice::TearDown();
    }

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

    HMODULE module_ = nullptr;
    std::unique_ptr<SceneSlot> slot_;
    float now_ = 0.0f;
};

TEST_F(GlyphsSlot, GlyphsFallBeforeAndAfterADeviceReset)
{
    slot_ = std::make_unique<SceneSlot>(module_);
    SetCurrentRenderContext(&slot_->Context());
    ASSERT_EQ(slot_->LoadScene(), S_OK);
    ASSERT_NE(slot_->Root(), nullptr);
    const std::vector<uint32_t> before = DrawAt(3.0f);
    EXPECT_GT(Changed(before, DrawAt(4.0f)), 100) << "the glyphs fall";

    slot_->InvalidateDeviceObjects();
    ASSERT_EQ(ResetDevice(), D3D_OK) << "nothing of the default pool outlived the invalidate step";
    slot_->RestoreDeviceObjects();
    const std::vector<uint32_t> after = DrawAt(5.0f);
    EXPECT_GT(Changed(after, DrawAt(6.0f)), 100) << "the glyphs fall after the reset";
}

}  // namespace
