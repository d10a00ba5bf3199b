// The pattern, background-copy and fire brushes drawn for real with the
// build's effects: what changes inside the mask, against a reference worked
// out on the processor at sample pixels, and that nothing changes outside.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/brushes/BackgroundCopy.h"
#include "effects/brushes/FireFX.h"
#include "effects/brushes/PatternBrush.h"
#include "engine/scene/TimeLineControl.h"
#include "unit/brushes/BrushPixelFixture.h"

namespace {

constexpr uint32_t kRedPixel = 0xFFFF0000u, kGreenPixel = 0xFF00FF00u;
constexpr uint32_t kBluePixel = 0xFF0000FFu, kYellowPixel = 0xFFFFFF00u;

class BrushKindPixels : public BrushPixelFixture {
protected:
    // A 64 x 64 pattern of four coloured quadrants: red top left, green top
    // right, blue bottom left, yellow bottom right.
    ComPtr<IDirect3DTexture9> Quadrants()
    {
        return MakeTexture(64, 64, [](UINT x, UINT y) {
            if (y < 32) return x < 32 ? kRedPixel : kGreenPixel;
            return x < 32 ? kBluePixel : kYellowPixel;
        });
    }

    // The quadrant colour of the pattern tiled at 64 picture pixels (zoom 1)
    // over the 256 x 256 picture stretched to the back buffer, at back-buffer
    // pixel (x, y); mirrored on the axes whose flip is set.
    uint32_t ExpectedQuadrant(UINT x, UINT y, bool hflip, bool vflip)
    {
        float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
        float tu = px / static_cast<float>(BackBufferWidth()) * 4.0f;
        float tv = py / static_cast<float>(BackBufferHeight()) * 4.0f;
        if (hflip) tu = -tu;
        if (vflip) tv = -tv;
        const bool right = tu - std::floor(tu) >= 0.5f;
        const bool bottom = tv - std::floor(tv) >= 0.5f;
        if (!bottom) return right ? kGreenPixel : kRedPixel;
        return right ? kYellowPixel : kBluePixel;
    }

    static bool Near(uint32_t a, uint32_t b)
    {
        for (int shift = 0; shift < 24; shift += 8) {
            if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 24)
                return false;
        }
        return true;
    }
};

TEST_F(BrushKindPixels, PatternTilesInsideTheMaskWithItsFlips)
{
    DrawFrame(objects_);
    const std::vector<uint32_t> plainRight = Outside(200);
    StoreEffect(kEffectLink, "078_pattern");
    const FileLinkValue patternLink{L"quadrants.png", 0};
    AddPicture(patternLink, Quadrants(), 64, 64);
    for (int flips = 0; flips < 3; ++flips) {
        DS_PatternBrush item;
        item.effectLink.StoreValue(kEffectLink);
        item.patternImage.StoreValue(patternLink);
        item.horizontalFlip.SetValue(flips == 1);
        item.verticalFlip.SetValue(flips == 2);
        manager_->Store().maskTextures[item.maskKey] = mask_;
        objects_.clear();
        MakeObject(item);
        Frame(0.0f);
        // Sample pixels away from the quadrant edges (a quadrant is 37.5 x
        // 25 back-buffer pixels).
        for (UINT x : {10u, 60u, 100u, 140u, 240u}) {
            for (UINT y : {5u, 30u, 80u, 130u, 380u}) {
                const uint32_t expected = ExpectedQuadrant(x, y, flips == 1, flips == 2);
                EXPECT_TRUE(Near(ReadPixel(x, y), expected))
                    << "flips " << flips << " at " << x << ", " << y << ": " << std::hex << ReadPixel(x, y)
                    << " expected " << expected;
            }
        }
        EXPECT_EQ(Outside(200), plainRight) << "flips " << flips;
    }
}

TEST_F(BrushKindPixels, PatternFramesChangeWithTheirDurations)
{
    StoreEffect(kEffectLink, "078_pattern");
    const FileLinkValue patternLink{L"two-frames.png", 0};
    TextureFrames& frames = manager_->Store().textureSets[patternLink];
    frames.textures = {MakeTexture(8, 8, [](UINT, UINT) { return kRedPixel; }),
                       MakeTexture(8, 8, [](UINT, UINT) { return kBluePixel; })};
    frames.durations = {0.5f, 0.5f};
    frames.SetSize(8, 8);
    DS_PatternBrush item;
    item.effectLink.StoreValue(kEffectLink);
    item.patternImage.StoreValue(patternLink);
    manager_->Store().maskTextures[item.maskKey] = mask_;
    MakeObject(item);
    Frame(0.0f);
    EXPECT_TRUE(Near(ReadPixel(kLeftX, 200), kRedPixel)) << std::hex << ReadPixel(kLeftX, 200);
    for (float t : {0.2f, 0.4f, 0.6f}) Frame(t);
    EXPECT_TRUE(Near(ReadPixel(kLeftX, 200), kBluePixel)) << std::hex << ReadPixel(kLeftX, 200);
}

TEST_F(BrushKindPixels, CopyShowsThePictureFromItsOffsetAndMirrorsWithAShift)
{
    DrawFrame(objects_);
    const std::vector<uint32_t> plainRight = Outside(200);
    StoreEffect(kEffectLink, "075_copy");
    for (int shift = 0; shift < 2; ++shift) {
        DS_BackgroundCopy item;
        item.effectLink.StoreValue(kEffectLink);
        item.sourceOffset.extraX.StoreValue(8);  // one checker square to the right
        item.horizontalShift.SetValue(shift);
        manager_->Store().maskTextures[item.maskKey] = mask_;
        objects_.clear();
        MakeObject(item);
        Frame(0.0f);
        for (UINT x : {30u, 80u, 130u, 230u}) {
            for (UINT y : {20u, 150u, 330u}) {
                // The picture texel the copy shows at back-buffer (x, y).
                float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(BackBufferWidth()) + 8.0f / 256.0f;
                if (shift) u = 2.0f - (u + 1.0f);  // mirrored past the right edge
                const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(BackBufferHeight());
                const int tx = static_cast<int>(u * 256.0f), ty = static_cast<int>(v * 256.0f);
                const uint32_t expected = ((tx / 8 + ty / 8) % 2) ? 0xFFFFFFFFu : 0xFF000000u;
                const uint32_t seen = ReadPixel(x, y);
                // Pixels on a square's edge blend the two colours.
                if ((seen & 0xFF) > 0x30 && (seen & 0xFF) < 0xD0) continue;
                EXPECT_TRUE(Near(seen, expected)) << "shift " << shift << " at " << x << ", " << y;
            }
        }
        EXPECT_EQ(Outside(200), plainRight) << "shift " << shift;
    }
}

class FirePixels : public BrushKindPixels {
protected:
    // A fire over the left part of the picture (picture pixels 16 to 112 by
    // 32 to 224), its pictures flame-shaped heat and mid-grey noise.
    DS_FireFX& MakeFire(DS_FireFX& item, int fullScreen)
    {
        StoreEffect(kEffectLink, "092_fire");
        const FileLinkValue pattern{L"fire-pattern.png", 0}, noise{L"fire-noise.png", 0};
        AddPicture(pattern,
                   MakeTexture(32, 32, [](UINT, UINT y) { return (static_cast<uint32_t>(y * 8) << 24) | 0xFFFFFFu; }),
                   32, 32);
        AddPicture(noise, MakeTexture(32, 32, [](UINT x, UINT y) { return ((x * 7 + y * 13) % 32) * 0x080808u | 0xFF000000u; }),
                   32, 32);
        item.effectLink.StoreValue(kEffectLink);
        item.patternImage.StoreValue(pattern);
        item.noiseImage.StoreValue(noise);
        item.fullScreen.SetValue(fullScreen);
        item.quad.Corner(0).StoreValue(D3DXVECTOR3(16.0f, 32.0f, 0.0f));
        item.quad.Corner(1).StoreValue(D3DXVECTOR3(16.0f, 224.0f, 0.0f));
        item.quad.Corner(2).StoreValue(D3DXVECTOR3(112.0f, 32.0f, 0.0f));
        item.quad.Corner(3).StoreValue(D3DXVECTOR3(112.0f, 224.0f, 0.0f));
        manager_->Store().maskTextures[item.maskKey] = mask_;
        return item;
    }
};

TEST_F(FirePixels, FlamesMoveInsideTheirGridAndTheRestStays)
{
    DrawFrame(objects_);
    const std::vector<uint32_t> plainLeft = Row(300, 60, 240);
    const std::vector<uint32_t> plainRight = Outside(200);
    DS_FireFX item;
    MakeFire(item, 0);
    MakeObject(item);
    Frame(0.0f);
    const std::vector<uint32_t> first = Row(300, 60, 240);
    EXPECT_NE(first, plainLeft) << "no flames in the grid";
    EXPECT_EQ(Outside(200), plainRight);
    for (float t = 0.1f; t < 1.05f; t += 0.1f) Frame(t);
    EXPECT_NE(Row(300, 60, 240), first) << "the flames did not move";
    EXPECT_EQ(Outside(200), plainRight);
}

TEST_F(FirePixels, NoFlamesAtFadeZero)
{
    DrawFrame(objects_);
    const std::vector<uint32_t> plainLeft = Row(300, 60, 240);
    DS_FireFX item;
    MakeFire(item, 0);
    // A time line that is invisible at local time 0: a window from 5 s on.
    DS_TimeLineControl& line = item.TimeLine();
    line.mode = DS_TimeLineControl::kWindows;
    line.AddWindow(TimeWindow{5.0f, 10.0f, 6.0f, 9.0f});
    MakeObject(item);
    Frame(0.0f);
    EXPECT_EQ(Row(300, 60, 240), plainLeft);
}

TEST_F(FirePixels, AFlaggedFireKeepsTheSceneOutsideItsGrid)
{
    DrawFrame(objects_);
    const std::vector<uint32_t> plainRight = Outside(210);
    const std::vector<uint32_t> plainBelow = Row(390, 20, 580);
    DS_FireFX item;
    MakeFire(item, 1);
    const std::vector<uint32_t> plainLeft = Row(300, 60, 240);
    DS_BrushObj* object = MakeObject(item);
    ASSERT_TRUE(object->NeedsSceneTexture());
    // The last scene user draws straight into the back buffer, which holds
    // whatever the swap left there: make that visible.
    ASSERT_TRUE(SUCCEEDED(Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF00FF, 1.0f, 0)));
    Frame(0.0f);
    // The cleared colour must not show.
    ExpectScene(Outside(210), plainRight, "right of the grid");
    ExpectScene(Row(390, 20, 580), plainBelow, "below the grid");
    EXPECT_NE(Row(300, 60, 240), plainLeft) << "no flames in the grid";
}

}  // namespace
