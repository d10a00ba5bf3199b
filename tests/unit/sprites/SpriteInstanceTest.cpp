#include <gtest/gtest.h>

#include "objects/sprites/ParticleGeomArray.h"
#include "unit/sprites/SpriteTestSupport.h"

TEST(SpriteInstance, HalfExtentsFollowTheLongerSide)
{
    const struct {
        float aspect, scale, size, halfWidth, halfHeight;
    } cases[] = {
        {0.5f, 1.0f, 50.0f, 25.0f, 12.5f},  // twice as wide as high
        {2.0f, 1.0f, 50.0f, 12.5f, 25.0f},  // twice as high as wide
        {1.0f, 2.0f, 50.0f, 50.0f, 50.0f},
        {0.0f, 1.0f, 50.0f, 25.0f, 0.0f},   // no height: no division
    };
    for (const auto& c : cases) {
        SpriteInstance sprite;
        sprite.aspect = c.aspect;
        sprite.scale = c.scale;
        sprite.SetHalfExtents(c.size);
        EXPECT_FLOAT_EQ(sprite.halfWidth, c.halfWidth) << c.aspect;
        EXPECT_FLOAT_EQ(sprite.halfHeight, c.halfHeight) << c.aspect;
    }
    SpriteInstance sprite;
    sprite.position = D3DXVECTOR3(100.0f, 50.0f, 0.0f);
    sprite.halfWidth = 10.0f;
    sprite.halfHeight = 5.0f;
    const D3DXVECTOR3 corner = sprite.GetCorner();
    EXPECT_FLOAT_EQ(corner.x, 90.0f);
    EXPECT_FLOAT_EQ(corner.y, 45.0f);
}

// The order of the draws of a new sprite is fixed: its scale, its pulse
// parity, then whatever the kind's InitSprite draws.
TEST(SpriteInstance, NewSpriteDrawsScaleThenPulseThenTheKinds)
{
    PictureSize picture(800, 600);
    TestSpriteKind item;
    item.minScale = 0.5f;
    item.maxScale = 1.5f;
    item.pulseSpeed = 0.5f;
    item.size.SetValue(40);
    item.sheet = true;
    item.frameCount = 4;  // without a picture the aspect is 1: one frame is 4 times as high as wide
    item.drawOnPlace = true;
    ParticleGeomArray geometry;  // no device: instances without buffers
    geometry.SetItem(&item);
    DS_SRand(1);
    geometry.SetInstanceCount(1);
    ASSERT_EQ(geometry.Instances().size(), 1u);
    const SpriteInstance& sprite = *geometry.Instances()[0];
    EXPECT_FLOAT_EQ(sprite.scale, 0.5f + 41.0f / 32767.0f);
    EXPECT_FLOAT_EQ(sprite.pulseSpeed, -0.5f);  // 18467 is odd
    EXPECT_EQ(item.placeDraws, std::vector<int>{6334});
    EXPECT_FLOAT_EQ(sprite.aspect, 4.0f);
    EXPECT_FLOAT_EQ(sprite.halfHeight, sprite.scale * 20.0f);
    EXPECT_FLOAT_EQ(sprite.halfWidth, sprite.scale * 5.0f);
    EXPECT_EQ(sprite.position, D3DXVECTOR3(100.0f, 100.0f, 0.0f));
    EXPECT_EQ(sprite.capturedSide, -1);
    EXPECT_EQ(sprite.alpha, 1.0f);
    EXPECT_EQ(sprite.packedColor, 0xFFFFFFFFu);
    EXPECT_FALSE(geometry.IndexBuffer());
    EXPECT_FALSE(geometry.Fill());
    EXPECT_EQ(geometry.DrawCount(), 0u);
}

TEST(SpriteInstance, PulseTurnsAtTheBoundsAndReplacesWhenAsked)
{
    for (bool replace : {false, true}) {
        TestSpriteKind item;
        item.pulseSpeed = 0.5f;
        item.places = {D3DXVECTOR3(7.0f, 8.0f, 0.0f)};
        SpriteInstance sprite;
        sprite.alpha = 1.0f;
        sprite.pulseSpeed = 0.5f;
        float t = 0.0f;
        item.SmoothSpeed(t += 0.1f);
        sprite.UpdatePulse(item, replace);
        EXPECT_EQ(sprite.alpha, 1.0f);
        EXPECT_EQ(sprite.pulseSpeed, -0.5f);
        int updates = 1;
        while (sprite.pulseSpeed < 0.0f && updates < 100) {
            item.SmoothSpeed(t += 0.1f);
            sprite.UpdatePulse(item, replace);
            ++updates;
        }
        // About two seconds down to 0, then back up.
        EXPECT_NEAR(updates, 22, 1) << replace;
        EXPECT_EQ(sprite.alpha, 0.0f);
        EXPECT_EQ(sprite.pulseSpeed, 0.5f);
        EXPECT_EQ(item.placed, replace ? 1u : 0u);
        EXPECT_EQ(sprite.position.x, replace ? 7.0f : 0.0f);
    }
}

TEST(SpriteInstance, PackedColourCarriesTransparencyAndSpriteAlpha)
{
    const struct {
        unsigned transparency;
        float alpha;
        unsigned long colour;  // 0x00BBGGRR
        uint32_t packed;       // ARGB
    } cases[] = {
        {50, 0.5f, 0x0000FF, 0x3FFF0000u},
        {0, 1.0f, 0x332211, 0xFF112233u},
        {0, 0.0f, 0xFFFFFF, 0x00FFFFFFu},
        {101, 1.0f, 0xFFFFFF, 0x00FFFFFFu},  // above 100: transparent, not wrapped
        {0, 2.0f, 0x000000, 0xFF000000u},    // an alpha above 1 saturates
    };
    for (const auto& c : cases) {
        TestSpriteKind item;
        item.transparency.SetValue(c.transparency);
        item.color.SetValue(c.colour);
        SpriteInstance sprite;
        sprite.alpha = c.alpha;
        sprite.PackColor(item);
        EXPECT_EQ(sprite.packedColor, c.packed) << c.transparency << " " << c.alpha;
    }
}

TEST(SpriteInstance, EdgeTestsUseAbsoluteOrSignedHalfExtents)
{
    PictureSize picture(800, 600);
    TestSpriteKind item;
    item.rectangle.left.SetValue(100);
    item.rectangle.right.SetValue(700);
    item.rectangle.top.SetValue(100);
    item.rectangle.bottom.SetValue(500);
    using Test = bool (SpriteInstance::*)(const DS_ViewObjCtrl&) const;
    const struct {
        const char* name;
        Test outside, crossing;
        float x, y, half;
        bool isOutside, isCrossing;
    } cases[] = {
        // 10 pixels beyond the bound.
        {"left", &SpriteInstance::OutsideLeft, &SpriteInstance::CrossesLeft, 90, 300, 15, false, true},
        {"left", &SpriteInstance::OutsideLeft, &SpriteInstance::CrossesLeft, 90, 300, 5, true, true},
        {"left", &SpriteInstance::OutsideLeft, &SpriteInstance::CrossesLeft, 90, 300, -15, false, false},
        {"right", &SpriteInstance::OutsideRight, &SpriteInstance::CrossesRight, 710, 300, 15, false, true},
        {"right", &SpriteInstance::OutsideRight, &SpriteInstance::CrossesRight, 710, 300, 5, true, true},
        {"right", &SpriteInstance::OutsideRight, &SpriteInstance::CrossesRight, 710, 300, -15, false, false},
        {"top", &SpriteInstance::OutsideTop, &SpriteInstance::CrossesTop, 400, 90, 15, false, true},
        {"top", &SpriteInstance::OutsideTop, &SpriteInstance::CrossesTop, 400, 90, 5, true, true},
        {"bottom", &SpriteInstance::OutsideBottom, &SpriteInstance::CrossesBottom, 400, 510, 15, false, true},
        {"bottom", &SpriteInstance::OutsideBottom, &SpriteInstance::CrossesBottom, 400, 510, -15, false, false},
        // Well inside.
        {"left", &SpriteInstance::OutsideLeft, &SpriteInstance::CrossesLeft, 400, 300, 15, false, false},
        {"bottom", &SpriteInstance::OutsideBottom, &SpriteInstance::CrossesBottom, 400, 300, 15, false, false},
    };
    for (const auto& c : cases) {
        SpriteInstance sprite;
        sprite.position = D3DXVECTOR3(c.x, c.y, 0.0f);
        sprite.halfWidth = sprite.halfHeight = c.half;
        EXPECT_EQ((sprite.*c.outside)(item), c.isOutside) << c.name << " " << c.half;
        EXPECT_EQ((sprite.*c.crossing)(item), c.isCrossing) << c.name << " " << c.half;
    }
    // The bounds are taken at the moment of the test.
    SpriteInstance sprite;
    sprite.position = D3DXVECTOR3(90.0f, 300.0f, 0.0f);
    sprite.halfWidth = 5.0f;
    ViewMetrics::Instance().pictureWidth = 400;  // left bound now 50
    EXPECT_FALSE(sprite.OutsideLeft(item));
}
