// The lightning bolt drawn for real under Wine: a straight bolt across the
// grey 600 x 400 picture at y = 200 from x = 100, a red core in a blue glow,
// drawn through the two-layer render with the build's particles effect and
// plainly without it (then also without a stroke picture, in its colours
// alone). The bolt shows between its end points and nowhere
// else, and its buffers hold exactly the quads it wrote.
#include <gtest/gtest.h>

#include "engine/scene/TimeLineControl.h"
#include "objects/particles/LightningGN.h"
#include "unit/particles/ParticleLayerFixture.h"

namespace {

constexpr float kY = 200.0f;

class LightningDrawTest : public ParticleLayerFixture {
protected:
    const FileLinkValue kStrokeLink{L"lightning-test-stroke", 1};

    void SetUp() override
    {
        ParticleLayerFixture::SetUp();
        if (HasFatalFailure()) return;
        stroke_ = MakeTexture(16, 16, [](UINT, UINT) { return 0xFFFFFFFFu; });
        AddPicture(kStrokeLink, stroke_, 16, 16);
    }

    // Two passes without displacement: straight, ending at x = 466.
    void SetUpBolt(DS_LightningGN& bolt, bool effect, bool picture = true)
    {
        if (picture) bolt.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kStrokeLink)));
        if (effect) bolt.effectLink.StoreValue(kEffectLink);
        bolt.startPoint.SetValue(D3DXVECTOR3(100.0f, kY, 0.0f));
        bolt.endPoint.SetValue(D3DXVECTOR3(500.0f, kY, 0.0f));
        bolt.subdivisions.SetValue(2);
        bolt.coreWidth.SetValue(8);
        bolt.glowWidth.SetValue(30);
        bolt.color.StoreValue(0x000000FFul);      // red
        bolt.glowColor.StoreValue(0x00FF0000ul);  // blue
    }

    ComPtr<IDirect3DTexture9> stroke_;
};

}  // namespace

TEST_F(LightningDrawTest, BoltShowsBetweenItsEndPointsWithAndWithoutTheEffect)
{
    const struct {
        const char* label;
        bool effect;
        bool picture;
    } cases[] = {{"plain", false, true}, {"plain without a picture", false, false}, {"effect", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const bool effect = c.effect;
        objects_.clear();
        DS_LightningGN bolt;
        SetUpBolt(bolt, effect, c.picture);
        DS_ParticlesObj* object = Make(bolt);
        // The last pass redraws the picture from the scene texture.
        EXPECT_EQ(object->NeedsSceneTexture(), effect);
        Frame(0.1f);
        const auto* drawn = static_cast<const DS_LightningGN*>(object->Generator());
        EXPECT_EQ(object->QuadCount(0), drawn->CoreQuads().size());
        EXPECT_EQ(object->QuadCount(1), drawn->GlowQuads().size());
        EXPECT_EQ(object->QuadCount(0), 7u + 2u);

        for (UINT x : {150u, 300u, 440u}) {
            const uint32_t core = ReadPixel(x, 200);
            EXPECT_GE((core >> 16) & 0xFF, 0xC0u) << x << " " << std::hex << core;
            const uint32_t glow = ReadPixel(x, 210);
            EXPECT_GE(glow & 0xFF, 0x80u) << x << " " << std::hex << glow;
        }
        // Nothing before the start, past the end, or away from the line.
        for (const auto& at : {std::pair<UINT, UINT>{60, 200}, {540, 200}, {300, 100}, {300, 300}}) {
            EXPECT_TRUE(Near(ReadPixel(at.first, at.second), kGrey))
                << at.first << "," << at.second << " " << std::hex << ReadPixel(at.first, at.second);
        }
    }
}

TEST_F(LightningDrawTest, FadeInLightsTheBoltFromItsStart)
{
    DS_LightningGN bolt;
    SetUpBolt(bolt, false);
    DS_TimeLineControl& line = bolt.TimeLine();
    line.mode = DS_TimeLineControl::kCycle;
    line.fadeIn = 100;
    DS_ParticlesObj* object = Make(bolt);
    auto* drawn = static_cast<DS_LightningGN*>(object->Generator());
    drawn->TimeLine().AdvanceLocalTime(10.0f);
    drawn->TimeLine().AdvanceLocalTime(10.5f);
    ASSERT_EQ(drawn->TimeLine().GetPhase(), DS_TimeLineControl::kFadingIn);
    Frame(10.5f);
    // Halfway in, the start is lit and the end is still dark.
    EXPECT_GE((ReadPixel(150, 200) >> 16) & 0xFF, 0xC0u) << std::hex << ReadPixel(150, 200);
    EXPECT_TRUE(Near(ReadPixel(440, 200), kGrey)) << std::hex << ReadPixel(440, 200);
}
