#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "objects/sprites/BoundControl.h"
#include "unit/sprites/SpriteTestSupport.h"

namespace {

// How many numbers were drawn since DS_SRand(1): the position of the next
// number in the sequence (draws one more).
int DrawsSinceSeedOne()
{
    const int next = DS_Rand();
    uint32_t state = 1;
    for (int k = 0; k < 1000; ++k) {
        state = state * 214013u + 2531011u;
        if (static_cast<int>((state >> 16) & 0x7FFF) == next) return k;
    }
    return -1;
}

DS_BoundControl::EdgeTest Outside(int32_t side)
{
    switch (side) {
    case 1: return &SpriteInstance::OutsideBottom;
    case 2: return &SpriteInstance::OutsideLeft;
    case 3: return &SpriteInstance::OutsideRight;
    default: return &SpriteInstance::OutsideTop;
    }
}

}  // namespace

TEST(BoundControl, SidesBindTheirTests)
{
    TestSpriteKind item;
    const struct {
        int32_t side;
        DS_BoundControl::EdgeTest outside, crossing;
    } cases[] = {
        {0, &SpriteInstance::OutsideTop, &SpriteInstance::CrossesTop},
        {1, &SpriteInstance::OutsideBottom, &SpriteInstance::CrossesBottom},
        {2, &SpriteInstance::OutsideLeft, &SpriteInstance::CrossesLeft},
        {3, &SpriteInstance::OutsideRight, &SpriteInstance::CrossesRight},
        {-1, &SpriteInstance::OutsideTop, &SpriteInstance::CrossesTop},
        {7, &SpriteInstance::OutsideTop, &SpriteInstance::CrossesTop},
    };
    for (const auto& c : cases) {
        DS_BoundControl control;
        control.side = c.side;
        DS_BoundControl::BindSide(c.side, &item, control);
        EXPECT_EQ(control.BoundItem(), &item);
        EXPECT_TRUE(control.OutsideTest() == c.outside) << c.side;
        EXPECT_TRUE(control.CrossingTest() == c.crossing) << c.side;
        EXPECT_TRUE(control.OutsideTest() == Outside(c.side));
    }
}

TEST(BoundControl, UnboundSidesAndOtherCapturesDoNotAct)
{
    PictureSize picture(800, 600);
    TestSpriteKind item;
    SpriteInstance outside;
    outside.position = D3DXVECTOR3(400.0f, -50.0f, 0.0f);
    outside.halfWidth = outside.halfHeight = 10.0f;
    for (int32_t mode : {0, 1, 2}) {
        DS_BoundControl control;  // side -1
        control.mode.SetValue(mode);
        DS_BoundControl::BindSide(control.side, &item, control);
        SpriteInstance sprite = outside;
        EXPECT_FALSE(control.Apply(item, sprite)) << mode;
        EXPECT_EQ(sprite.capturedSide, -1);
    }
    DS_BoundControl badMode;
    badMode.side = 0;
    badMode.mode.SetValue(5);
    DS_BoundControl::BindSide(0, &item, badMode);
    SpriteInstance sprite = outside;
    EXPECT_FALSE(badMode.Apply(item, sprite));

    // A sprite held by the left control is not seen by top and bottom.
    sprite.capturedSide = 2;
    for (int32_t side : {0, 1, 3}) {
        DS_BoundControl control;
        control.side = side;
        control.mode.SetValue(1);
        DS_BoundControl::BindSide(side, &item, control);
        EXPECT_FALSE(control.Apply(item, sprite)) << side;
    }
    DS_BoundControl left;
    left.side = 2;
    left.mode.SetValue(7);  // changed while captured: holds the sprite, does nothing
    DS_BoundControl::BindSide(2, &item, left);
    const D3DXVECTOR3 before = sprite.position;
    EXPECT_TRUE(left.Apply(item, sprite));
    EXPECT_EQ(sprite.capturedSide, 2);
    EXPECT_EQ(sprite.position, before);
}

// One control over a test item of 800 x 600 stepped by 0.1 s of speed
// clock; each update moves the sprite (unless paused) as a flow kind does,
// then applies the control. Checks at chosen updates.
TEST(BoundControl, ModesWrapReflectAndPause)
{
    PictureSize picture(800, 600);
    struct Check {
        int update;
        float x, y;  // NAN: not checked
        float alpha;
        int32_t captured;
        uint8_t paused;
        int draws;
    };
    struct Case {
        const char* name;
        int32_t side, mode;
        unsigned fadeOut, fadeIn, minPause, maxPause;
        D3DXVECTOR3 position, velocity;
        float alpha;
        std::vector<Check> checks;
    };
    const float drawnX = 18467.0f / 32767.0f * 800.0f;  // the second draw over the width
    const float drawnY = 41.0f / 32767.0f * 600.0f;     // the first draw over the height
    const Case cases[] = {
        {"wrap across the top", 0, 0, 500, 500, 0, 0, {400, -20, 0}, {0, -100, 0}, 1.0f,
         {{3, 400, -50, 0.6f, 0, 0, 0}, {20, drawnX, NAN, 1.0f, -1, 0, 2}}},
        {"wrap at once when invisible", 2, 0, 500, 500, 0, 0, {-20, 300, 0}, {-100, 0, 0}, 0.0f,
         {{1, 809, drawnY, 0.0f, 2, 0, 1}, {2, 799, drawnY, 0.2f, 2, 0, 1}}},
        {"reflect at the right", 3, 1, 0, 0, 0, 0, {795, 300, 0}, {100, 0, 0}, 1.0f,
         {{1, 805, 300, 1.0f, 3, 0, 0}, {2, 789, 300, 1.0f, -1, 0, 0}, {3, 779, 300, 1.0f, -1, 0, 0}}},
        {"reflect after a pause at the left", 2, 2, 0, 0, 1000, 2000, {-20, 300, 0}, {-100, 0, 0}, 1.0f,
         {{5, -9, 300, 1.0f, 2, 1, 1}, {12, -9, 300, 1.0f, -1, 0, 1}, {13, 1, 300, 1.0f, -1, 0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSpriteKind item;
        DS_BoundControl control;
        control.side = c.side;
        control.mode.SetValue(c.mode);
        control.fadeOutTime.SetValue(c.fadeOut);
        control.fadeInTime.SetValue(c.fadeIn);
        control.minPause.SetValue(c.minPause);
        control.maxPause.SetValue(c.maxPause);
        DS_BoundControl::BindSide(c.side, &item, control);
        SpriteInstance sprite;
        sprite.direction = D3DXVECTOR3(1.0f, 1.0f, 0.0f);
        sprite.position = c.position;
        sprite.velocity = c.velocity;
        sprite.halfWidth = sprite.halfHeight = 10.0f;
        sprite.alpha = c.alpha;
        DS_SRand(1);
        float t = 0.0f;
        int update = 0;
        for (const Check& check : c.checks) {
            while (update < check.update) {
                item.SmoothSpeed(t += 0.1f);
                if (!sprite.paused) {
                    sprite.position.x += sprite.direction.x * sprite.velocity.x * item.SpeedStep();
                    sprite.position.y += sprite.direction.y * sprite.velocity.y * item.SpeedStep();
                }
                control.Apply(item, sprite);
                ++update;
            }
            SCOPED_TRACE(check.update);
            if (!std::isnan(check.x)) {
                EXPECT_NEAR(sprite.position.x, check.x, 1e-3f);
            }
            if (!std::isnan(check.y)) {
                EXPECT_NEAR(sprite.position.y, check.y, 1e-3f);
            }
            EXPECT_NEAR(sprite.alpha, check.alpha, 1e-5f);
            EXPECT_EQ(sprite.capturedSide, check.captured);
            EXPECT_EQ(sprite.paused, check.paused);
            // DrawsSinceSeedOne draws one more: the sequence is put back after it.
            const int draws = DrawsSinceSeedOne();
            EXPECT_EQ(draws, check.draws);
            DS_SRand(1);
            for (int k = 0; k < draws; ++k) DS_Rand();
        }
        // Reflecting turns the x factor; wrapping keeps it.
        EXPECT_EQ(sprite.direction.x, c.mode == 0 ? 1.0f : -1.0f);
    }
}

TEST(BoundControl, RecordRoundTripsAndReadsAnyVersion)
{
    DS_BoundControl control;
    control.mode.SetValue(2);
    control.fadeOutTime.SetValue(500);
    control.fadeInTime.SetValue(600);
    control.minPause.SetValue(1000);
    control.maxPause.SetValue(2000);
    const std::vector<uint8_t> bytes = WrittenBytes([&](DS_IOF_Archive* ar) { control.Write(ar); });
    for (int32_t version : {1, 0, 9}) {
        std::vector<uint8_t> record = bytes;
        // The version follows the class name: patch it in place.
        const size_t versionAt = bytes.size() - 5 * sizeof(int32_t) - sizeof(int32_t);
        std::memcpy(record.data() + versionAt, &version, sizeof version);
        DS_BoundControl read;
        EXPECT_FALSE(ReadBytes(record, record.size(), [&](DS_IOF_Archive* ar) { EXPECT_TRUE(read.ReadBody(ar)); }));
        EXPECT_EQ(read.mode.GetValue(), 2);
        EXPECT_EQ(read.fadeOutTime.GetValue(), 500u);
        EXPECT_EQ(read.fadeInTime.GetValue(), 600u);
        EXPECT_EQ(read.minPause.GetValue(), 1000u);
        EXPECT_EQ(read.maxPause.GetValue(), 2000u);
        EXPECT_EQ(WrittenBytes([&](DS_IOF_Archive* ar) { read.Write(ar); }), bytes);
    }
    for (size_t size = 0; size < bytes.size(); ++size) {
        DS_BoundControl read;
        EXPECT_TRUE(ReadBytes(bytes, size, [&](DS_IOF_Archive* ar) { EXPECT_FALSE(read.ReadBody(ar)); })) << size;
    }

    // Assignment copies the side, the tests and the values.
    TestSpriteKind item;
    control.side = 3;
    DS_BoundControl::BindSide(3, &item, control);
    DS_BoundControl copy;
    copy = control;
    EXPECT_EQ(copy.side, 3);
    EXPECT_TRUE(copy.OutsideTest() == &SpriteInstance::OutsideRight);
    EXPECT_EQ(copy.maxPause.GetValue(), 2000u);
}
