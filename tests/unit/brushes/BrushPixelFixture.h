// Brushes drawn for real: a 256 x 256 checkerboard picture stretched over
// the 600 x 400 back buffer, a mask over its left half, and the compiled
// effects of the build stored as a document stores effect bytes.
#pragma once

#include <cstdlib>
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

    // Samples that went through a render target on their way to the back
    // buffer, against the same samples of the picture drawn straight: the
    // target may soften the checker edges a little, but no sample may be
    // far off (a black target or the colour the back buffer was cleared to).
    static void ExpectScene(const std::vector<uint32_t>& seen, const std::vector<uint32_t>& plain, const char* where)
    {
        ASSERT_EQ(seen.size(), plain.size()) << where;
        for (size_t i = 0; i < seen.size(); ++i) {
            for (int shift = 0; shift < 24; shift += 8) {
                const int a = static_cast<int>((seen[i] >> shift) & 0xFF),
                          b = static_cast<int>((plain[i] >> shift) & 0xFF);
                EXPECT_LE(std::abs(a - b), 100) << where << " sample " << i << ": " << std::hex << seen[i];
            }
        }
    }

    // Every object updated to local time t, then one frame.
    void Frame(float t)
    {
        for (auto& object : objects_) object->Update(t);
        DrawFrame(objects_);
    }

    ComPtr<IDirect3DTexture9> mask_;
};
