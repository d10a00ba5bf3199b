// Brushes drawn for real: a 256 x 256 checkerboard picture stretched over
// the 600 x 400 back buffer, a mask over its left half, and the compiled
// effects of the build stored as a document stores effect bytes.
#pragma once

#include <vector>

#include "unit/BuildFiles.h"
#include "unit/brushes/BrushFixture.h"

class BrushPixelFixture : public BrushFixture {
protected:
    static constexpr UINT kLeftX = 150, kRightX = 450;  // inside and outside the mask

    void SetUp() override
    {
        BrushFixture::SetUp();
        if (HasFatalFailure()) return;
        // Squares of 8 texels, so that any shift changes pixels.
        picture_ =
            MakeTexture(256, 256, [](UINT x, UINT y) { return ((x / 8 + y / 8) % 2) ? 0xFFFFFFFFu : 0xFF000000u; });
        AddPicture(kPictureLink, picture_, 256, 256);
        MakeLayer(kPictureLink, RenderContext::kStretch);
        mask_ = MakeTexture(64, 64, [](UINT x, UINT) { return x < 32 ? 0xFFFFFFFFu : 0x00FFFFFFu; });
    }

    // Back-buffer colours along row y from x0 to x1, every 5 pixels.
    std::vector<uint32_t> Row(UINT y, UINT x0, UINT x1)
    {
        std::vector<uint32_t> row;
        const PixelSnapshot shot = SnapshotPixels();
        for (UINT x = x0; x < x1; x += 5) row.push_back(shot.At(x, y));
        return row;
    }
    std::vector<uint32_t> Inside(UINT y) { return Row(y, kLeftX - 60, kLeftX + 60); }
    std::vector<uint32_t> Outside(UINT y) { return Row(y, kRightX - 60, kRightX + 60); }

    // Every object updated to local time t, then one frame.
    void Frame(float t)
    {
        for (auto& object : objects_) object->Update(t);
        DrawFrame(objects_);
    }

    ComPtr<IDirect3DTexture9> mask_;
};
