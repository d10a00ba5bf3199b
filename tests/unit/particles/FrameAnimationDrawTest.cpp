// The frame-sequence animations drawn for real under Wine: a grey picture
// over the whole 600 x 400 back buffer and a four-frame sequence (red,
// green, blue, white; 0.45 s each, 20 x 10 pixels), with the build's
// effect 116 stored as a document stores it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/scene/TimeLineControl.h"
#include "objects/particles/BrownAnimation.h"
#include "objects/particles/PathAnimtion.h"
#include "objects/particles/StaticAnimation.h"
#include "unit/particles/ParticleLayerFixture.h"

namespace {

constexpr uint32_t kFrameColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

class FrameAnimationDraw : public ParticleLayerFixture {
protected:
    const FileLinkValue kFramesLink{L"animation-test-frames", 1};
    const FileLinkValue kBlendLink{DS_StaticAnimation::kEffectModule, DS_StaticAnimation::kEffectNumber};

    void SetUp() override
    {
        ParticleLayerFixture::SetUp();
        if (HasFatalFailure()) return;
        TextureFrames& frames = manager_->Store().textureSets[kFramesLink];
        for (uint32_t colour : kFrameColours)
            frames.textures.push_back(MakeTexture(20, 10, [colour](UINT, UINT) { return 0xFF000000u | colour; }));
        // Updates come every 0.1 s: no switch falls on a rounding edge.
        frames.durations = {0.45f, 0.45f, 0.45f, 0.45f};
        frames.SetSize(20, 10);
        StoreEffect(kBlendLink, "116_blend_normal");
    }

    void Fill(DS_TexParticleGenerator& item)
    {
        item.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kFramesLink)));
        item.color.StoreValue(0xFFFFFFul);
    }

    // The static animation over the box (100, 100) to (200, 160).
    std::unique_ptr<DS_StaticAnimation> Static()
    {
        auto animation = std::make_unique<DS_StaticAnimation>();
        Fill(*animation);
        const D3DXVECTOR3 corners[] = {{100, 100, 0}, {100, 160, 0}, {200, 100, 0}, {200, 160, 0}};
        for (int k = 0; k < 4; ++k) animation->rectangle.Corner(k).StoreValue(corners[k]);
        animation->playSpeed.SetValue(100);
        return animation;
    }

    // Index of the frame colour the pixel shows, -1 for none.
    int FrameAt(UINT x, UINT y)
    {
        const uint32_t pixel = ReadPixel(x, y);
        for (int i = 0; i < 4; ++i)
            if (Near(pixel, kFrameColours[i])) return i;
        return -1;
    }
};

// Play speed 100 at the sequence's own durations (a switch at 0.5, 1.0,
// 1.5 and 2.0 s): frames forward, or backward from the first to the last,
// with speed 0 holding the frame. A static quad whose corners run the other
// way round is drawn too.
TEST_F(FrameAnimationDraw, TheStaticAnimationShowsItsFramesInTurn)
{
    const struct {
        const char* what;
        int32_t direction;
        unsigned speed;
        std::vector<int> frames;  // at t = 0.1, 0.7, 1.3, 1.9, 2.2
        bool mirrored = false;    // corners left and right exchanged
    } cases[] = {
        {"forward", 0, 100, {0, 1, 2, 3, 0}},
        {"backward wraps to the last", 1, 100, {0, 3, 2, 1, 0}},
        {"speed 0 holds", 0, 0, {0, 0, 0, 0, 0}},
        {"corners the other way round", 0, 100, {0, 1, 2, 3, 0}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        objects_.clear();
        auto animation = Static();
        animation->direction.SetValue(c.direction);
        animation->playSpeed.SetValue(c.speed);
        if (c.mirrored) {
            const D3DXVECTOR3 corners[] = {{200, 100, 0}, {200, 160, 0}, {100, 100, 0}, {100, 160, 0}};
            for (int k = 0; k < 4; ++k) animation->rectangle.Corner(k).StoreValue(corners[k]);
        }
        Make(*animation);
        std::vector<int> seen;
        for (int i = 1; i <= 25; ++i) {
            Frame(0.1f * static_cast<float>(i));
            if (i == 1 || i == 7 || i == 13 || i == 19 || i == 22) seen.push_back(FrameAt(150, 130));
        }
        EXPECT_EQ(seen, c.frames);
        EXPECT_TRUE(Near(ReadPixel(150, 170), kGrey));
        EXPECT_TRUE(Near(ReadPixel(90, 130), kGrey));
    }
}

// "Color" tints the frame and its alpha blends it over the picture.
TEST_F(FrameAnimationDraw, TheStaticAnimationIsTintedAndBlendedByItsColour)
{
    auto animation = Static();
    animation->color.StoreValue(0x0000FFul);  // red only: 0x00BBGGRR
    animation->color.transparency.SetValue(50);
    Make(*animation);
    Frame(0.1f);
    const uint32_t pixel = ReadPixel(150, 130);
    // Red frame x red colour at alpha 127 / 255 over grey 0x40.
    const int expectRed = static_cast<int>(255 * 127 / 255.0 + 0x40 * (1 - 127 / 255.0) + 0.5);
    const int expectOther = static_cast<int>(0x40 * (1 - 127 / 255.0) + 0.5);
    EXPECT_NEAR(static_cast<int>((pixel >> 16) & 0xFF), expectRed, 4) << std::hex << pixel;
    EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), expectOther, 4) << std::hex << pixel;

    // The time line's opacity scales that alpha: a time line that has not
    // shown the item yet leaves the picture.
    objects_.clear();
    auto hidden = Static();
    hidden->TimeLine().mode = DS_TimeLineControl::kCycle;
    ASSERT_EQ(hidden->TimeLine().GetAlpha(), 0.0f);
    Make(*hidden);
    Frame(0.1f);
    EXPECT_TRUE(Near(ReadPixel(150, 130), kGrey)) << std::hex << ReadPixel(150, 130);
}

// Without its effect, or without a picture, the static animation draws
// nothing (and nothing is called through a null effect).
TEST_F(FrameAnimationDraw, AStaticAnimationWithoutEffectOrPictureLeavesThePicture)
{
    const struct {
        const char* what;
        bool effect;
        bool picture;
    } cases[] = {{"no effect", false, true}, {"no picture", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        objects_.clear();
        auto animation = Static();
        if (!c.effect) animation->effectLink.StoreValue(FileLinkValue{L"no-such-effect.fxo", 9});
        if (!c.picture) animation->imageLinks.clear();
        Make(*animation);
        Frame(0.1f);
        Frame(0.7f);
        EXPECT_TRUE(Near(ReadPixel(150, 130), kGrey)) << std::hex << ReadPixel(150, 130);
    }
}

// The path sprite (scale 200: 40 x 20 pixels) sits where the CPU puts it,
// upright and turned along its motion.
TEST_F(FrameAnimationDraw, ThePathSpriteSitsAtItsPosition)
{
    for (const int32_t mode : {DS_PathAnimtion::kUpright, DS_PathAnimtion::kAlongMotion}) {
        SCOPED_TRACE(mode);
        objects_.clear();
        DS_PathAnimtion sprite;
        Fill(sprite);
        for (const D3DXVECTOR3& p : {D3DXVECTOR3(100, 100, 0), D3DXVECTOR3(500, 100, 0), D3DXVECTOR3(500, 300, 0)})
            sprite.path.emplace_back(p);
        sprite.spriteScale.SetValue(200);
        sprite.travelSpeed.SetValue(100);  // 300 pixels a second
        sprite.orientationMode.SetValue(mode);
        auto* object = static_cast<DS_ParticlesObj*>(Make(sprite));
        for (float t = 0.1f; t < 1.65f; t += 0.1f) Frame(t);
        const auto* clone = static_cast<const DS_PathAnimtion*>(object->Generator());
        const D3DXVECTOR3 at = clone->currentPosition;
        // 1.6 s at 300 px/s: 480 px, past the corner and 80 down.
        EXPECT_NEAR(at.x, 500.0f, 0.5f);
        EXPECT_NEAR(at.y, 180.0f, 1.0f);
        const UINT x = static_cast<UINT>(at.x), y = static_cast<UINT>(at.y);
        EXPECT_NE(FrameAt(x - 2, y), -1);
        // Upright the sprite is 40 wide; turned along the downward motion it
        // is 40 high and 20 wide.
        const bool along = mode == DS_PathAnimtion::kAlongMotion;
        EXPECT_NE(FrameAt(x - (along ? 7 : 17), y), -1);
        EXPECT_TRUE(Near(ReadPixel(x - (along ? 14 : 24), y), kGrey));
        EXPECT_NE(FrameAt(x, y + (along ? 17 : 7)), -1);
        EXPECT_TRUE(Near(ReadPixel(x, y + (along ? 24 : 14)), kGrey));
    }
}

TEST_F(FrameAnimationDraw, BrownianSpritesAreDrawnAtTheirPositions)
{
    DS_BrownAnimation brown;
    Fill(brown);
    brown.rectangle.SetRect(D3DXVECTOR3(300, 200, 0), 300, 200);
    brown.spriteCount.SetValue(5);
    brown.spriteScale.SetValue(100);  // 20 x 10
    auto* object = static_cast<DS_ParticlesObj*>(Make(brown));
    Frame(0.1f);
    const auto* clone = static_cast<const DS_BrownAnimation*>(object->Generator());
    ASSERT_EQ(clone->particles.size(), 5u);
    for (const PParticle& sprite : clone->particles) {
        const UINT x = static_cast<UINT>(std::lround(sprite.position.x));
        const UINT y = static_cast<UINT>(std::lround(sprite.position.y));
        EXPECT_NE(FrameAt(x, y), -1) << x << ", " << y;
    }
    EXPECT_TRUE(Near(ReadPixel(20, 20), kGrey));

    // A sprite whose position is not a number is left out of the buffer.
    auto* generator = static_cast<DS_BrownAnimation*>(object->Generator());
    generator->particles[2].position.x = std::numeric_limits<float>::quiet_NaN();
    generator->FillBuffer(object);
    EXPECT_EQ(object->QuadCount(0), 4u);

    brown.spriteCount.SetValue(0);
    objects_.clear();
    auto* empty = static_cast<DS_ParticlesObj*>(Make(brown));
    Frame(0.1f);
    EXPECT_EQ(empty->QuadCount(0), 0u);
}

// Without a picture in their first sequence the sprites have nothing to
// show: no quads are drawn.
TEST_F(FrameAnimationDraw, SpritesWithoutAPictureDrawNothing)
{
    DS_BrownAnimation brown;
    brown.rectangle.SetRect(D3DXVECTOR3(300, 200, 0), 300, 200);
    brown.spriteCount.SetValue(5);
    brown.spriteScale.SetValue(100);
    DS_PathAnimtion sprite;
    sprite.path.emplace_back(D3DXVECTOR3(100, 100, 0));
    sprite.path.emplace_back(D3DXVECTOR3(500, 100, 0));
    sprite.spriteScale.SetValue(100);
    DS_TexParticleGenerator* items[] = {&brown, &sprite};
    for (DS_TexParticleGenerator* item : items) {
        objects_.clear();
        DS_ParticlesObj* object = Make(*item);
        Frame(0.1f);
        EXPECT_EQ(object->QuadCount(0), 0u);
        EXPECT_TRUE(Near(ReadPixel(300, 200), kGrey));
    }
}

}  // namespace
