// The painted brushes drawn for real under Wine: a grey picture over the
// whole 600 x 400 back buffer, white sprite pictures, a two-frame sequence
// (red, then blue, half a second each, 16 x 32 so its aspect is 2) and the
// build's particles effect stored as a document stores it.
#include <gtest/gtest.h>

#include <algorithm>

#include "objects/particles/AirBrush.h"
#include "unit/particles/ParticleLayerFixture.h"

namespace {

constexpr unsigned long kRedColor = 0x000000FFul;  // 0x00BBGGRR

class AirBrushDraw : public ParticleLayerFixture {
protected:
    const FileLinkValue kSpriteLink{L"brush-test-sprite", 1};
    const FileLinkValue kFramesLink{L"brush-test-frames", 1};

    void SetUp() override
    {
        ParticleLayerFixture::SetUp();
        if (HasFatalFailure()) return;
        AddPicture(kSpriteLink, MakeTexture(16, 16, [](UINT, UINT) { return 0xFFFFFFFFu; }), 16, 16);
        TextureFrames& frames = manager_->Store().textureSets[kFramesLink];
        frames.textures = {MakeTexture(16, 32, [](UINT, UINT) { return 0xFFFF0000u; }),
                           MakeTexture(16, 32, [](UINT, UINT) { return 0xFF0000FFu; })};
        frames.durations = {0.5f, 0.5f};
        frames.SetSize(16, 32);
    }

    // The levels every brush shares: white sprite pictures, red, the given
    // size, points, blend mode 0 and the effect when asked for.
    void Fill(DS_AirBrush& brush, bool effect, unsigned size, std::initializer_list<D3DXVECTOR3> points)
    {
        brush.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kSpriteLink)));
        brush.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kSpriteLink)));
        if (effect) brush.effectLink.StoreValue(kEffectLink);
        brush.color.StoreValue(kRedColor);
        brush.glowColor.StoreValue(kRedColor);
        brush.size.SetValue(size);
        for (const D3DXVECTOR3& p : points) brush.points.emplace_back(p.x, p.y, p.z);
        if (auto* custom = dynamic_cast<DS_CustomAirBrush*>(&brush)) {
            custom->pictureLink.StoreValue(kFramesLink);
            custom->frameSpeed.SetValue(100);
        }
    }

    // Pixels of the box around (x, y) that are not the grey picture (one
    // read of the back buffer).
    int Covered(UINT x, UINT y, UINT half)
    {
        const std::vector<uint32_t> pixels = BackBufferPixels();
        if (pixels.size() != static_cast<size_t>(BackBufferWidth()) * BackBufferHeight()) return -1;
        int covered = 0;
        for (UINT j = y - half; j <= y + half; ++j) {
            for (UINT i = x - half; i <= x + half; ++i) {
                covered += !Near(pixels[static_cast<size_t>(j) * BackBufferWidth() + i] & 0xFFFFFF, kGrey);
            }
        }
        return covered;
    }
};

// Each kind with and without the effect: without the effect it draws
// plainly; with it every kind has its private target to draw through.
TEST_F(AirBrushDraw, EveryKindPutsSpritesOnItsPointsAndKeepsThePicture)
{
    const struct {
        const char* label;
        std::unique_ptr<DS_AirBrush> (*make)();
    } kinds[] = {
        {"glints", [] { return std::unique_ptr<DS_AirBrush>(new DS_Bling()); }},
        {"custom", [] { return std::unique_ptr<DS_AirBrush>(new DS_CustomAirBrush()); }},
        {"stars", [] { return std::unique_ptr<DS_AirBrush>(new DS_TwinklingStars()); }},
    };
    // Mode 9 is no blend mode: with the effect it composes as mode 0.
    const struct {
        const char* label;
        bool effect;
        int32_t blend;
    } ways[] = {{" plainly", false, 0}, {" with the effect", true, 0}, {" in mode 9", true, 9}};
    for (const auto& kind : kinds) {
        for (const auto& way : ways) {
            SCOPED_TRACE(std::string(kind.label) + way.label);
            objects_.clear();
            std::unique_ptr<DS_AirBrush> brush = kind.make();
            Fill(*brush, way.effect, 20, {{150, 200, 0}, {450, 100, 0}});
            brush->blendMode.SetValue(way.blend);
            if (auto* bling = dynamic_cast<DS_Bling*>(brush.get())) {
                bling->growTime.SetValue(50);
                bling->shrinkTime.SetValue(50);
                bling->minimumSize.SetValue(100);  // always full size
            }
            DS_ParticlesObj* object = Make(*brush);
            EXPECT_EQ(object->NeedsSceneTexture(), false);
            Frame(0.1f);
            for (const auto& [x, y] : {std::pair<UINT, UINT>{150, 200}, {450, 100}}) {
                const uint32_t pixel = ReadPixel(x, y);
                EXPECT_GT((pixel >> 16) & 0xFF, 0x80u) << std::hex << pixel << " at " << std::dec << x << ", " << y;
                EXPECT_LT(pixel & 0xFF, 0x40u) << std::hex << pixel;
            }
            EXPECT_TRUE(Near(ReadPixel(150 + 20, 200), kGrey));
            EXPECT_TRUE(Near(ReadPixel(300, 300), kGrey)) << std::hex << ReadPixel(300, 300);
        }
    }
}

TEST_F(AirBrushDraw, AGlintGrowsAndShrinks)
{
    for (const bool effect : {false, true}) {
        SCOPED_TRACE(effect ? "with the effect" : "plainly");
        objects_.clear();
        DS_Bling bling;
        Fill(bling, effect, 60, {{300, 200, 0}});
        bling.growTime.SetValue(50);
        bling.shrinkTime.SetValue(50);
        bling.speed.SetValue(50);
        Make(bling);
        int least = 1 << 30, most = 0;
        for (float t = 0.1f; t < 1.25f; t += 0.1f) {
            Frame(t);
            const int covered = Covered(300, 200, 32);
            least = std::min(least, covered);
            most = std::max(most, covered);
        }
        EXPECT_GT(most, 1500);  // about 60 x 60 at the top of the cycle
        EXPECT_LT(least, most / 3);
    }
}

TEST_F(AirBrushDraw, TheCustomBrushStepsThroughItsFramesAtItsAspect)
{
    DS_CustomAirBrush custom;
    Fill(custom, true, 20, {{150, 200, 0}});
    custom.color.StoreValue(0xFFFFFFul);  // the frames' own colours
    DS_ParticlesObj* object = Make(custom);
    Frame(0.1f);
    EXPECT_TRUE(Near(ReadPixel(150, 200), 0xFF0000)) << std::hex << ReadPixel(150, 200);
    // 20 wide and, at the sequence's aspect 2, 40 high.
    EXPECT_TRUE(Near(ReadPixel(150, 200 + 17), 0xFF0000)) << std::hex << ReadPixel(150, 217);
    EXPECT_TRUE(Near(ReadPixel(150 + 17, 200), kGrey)) << std::hex << ReadPixel(167, 200);
    for (float t = 0.2f; t < 0.75f; t += 0.1f) Frame(t);
    EXPECT_TRUE(Near(ReadPixel(150, 200), 0x0000FF)) << std::hex << ReadPixel(150, 200);

    // The sprites are written once; after a device reset released their
    // buffer they are written again.
    object->ReleaseDeviceObjects();
    Frame(0.8f);
    EXPECT_TRUE(Near(ReadPixel(150, 200), 0x0000FF)) << std::hex << ReadPixel(150, 200);
}

}  // namespace
