// The explosion without a device: its records, how its sprite grows and
// fades in, and the noise offsets it hands its effect.
#include "objects/particles/ExplosionConstructor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "unit/sprites/SpriteTestSupport.h"

namespace {

// Reads an explosion record as the registry does: header, then the kind's fields.
bool ReadExplosion(DS_IOF_Archive* ar, DS_ExplosionConstructor& item)
{
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return item.ReadFields(ar, version);
}

// A version 1 explosion record: the kind's fields with the five old
// durations, then a version 1 "DS_StatBaseFXCtrl" (no box) over the current
// inner levels.
std::vector<uint8_t> VersionOneRecord(const unsigned durations[5])
{
    DS_ExplosionConstructor source;
    return WrittenBytes([&](DS_IOF_Archive* ar) {
        WriteRecordHeader(ar, DS_ExplosionConstructor::kClassName, 1);
        for (unsigned value : {30u, 40u, 50u, 90u, 60u}) ar->archive->WriteUInt(value);
        for (int i = 0; i < 5; ++i) ar->archive->WriteUInt(durations[i]);
        ar->archive->WriteUInt(7);            // seed
        ar->archive->WriteInt32(0);           // random
        ar->archive->WriteInt(0x00112233);    // second colour
        WriteRecordHeader(ar, DS_StatBaseFXCtrl::kClassName, 1);
        for (float v : {12.0f, 34.0f, 0.0f}) ar->archive->WriteFloat(v);
        source.DS_BaseFXCtrl::WriteBody(ar);
    });
}

// The pair of noise offsets that renewal n of a seeded explosion gives.
D3DXVECTOR2 SeededPair(uint32_t seed, int n)
{
    DS_SRand(seed);
    D3DXVECTOR2 pair(0.0f, 0.0f);
    for (int i = 0; i < n; ++i) {
        pair.x = static_cast<float>(DS_Rand()) / 32767.0f;
        pair.y = static_cast<float>(DS_Rand()) / 32767.0f;
    }
    return pair;
}

// An explosion whose time line fades in over 1 s from application time 10.
void StartFadeIn(DS_ExplosionConstructor& item)
{
    DS_TimeLineControl& line = item.TimeLine();
    line.mode = DS_TimeLineControl::kCycle;
    line.fadeIn = 100;
    line.AdvanceLocalTime(10.0f);
    ASSERT_EQ(line.GetPhase(), DS_TimeLineControl::kFadingIn);
}

}  // namespace

TEST(ExplosionRecord, RoundTripKeepsEveryField)
{
    PictureSize picture(800, 600);
    DS_ExplosionConstructor item;
    EXPECT_FLOAT_EQ(item.position.GetValue().x, 400.0f);
    EXPECT_FLOAT_EQ(item.noise1.GetDerived(), 0.79f);
    EXPECT_FLOAT_EQ(item.driftSpeed.GetDerived(), 0.25f);
    EXPECT_EQ(item.speed.GetValue(), 100u);
    EXPECT_EQ(item.size.GetValue(), 250u);
    item.noise1.SetValue(5);
    item.noise2.SetValue(6);
    item.noise3.SetValue(7);
    item.driftDirection.SetValue(90);
    item.driftSpeed.SetValue(80);
    item.seed.SetValue(1234);
    item.random.SetValue(-1);
    item.secondColor.SetValue(0x00445566);
    item.position.SetValue(D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    item.boxHeight.SetValue(11);
    item.boxWidth.SetValue(22);
    item.effectLink.StoreValue(FileLinkValue{L"fx.fxo", 5});
    const std::vector<uint8_t> bytes = WrittenBytes([&](DS_IOF_Archive* ar) { item.Write(ar); });

    DS_ExplosionConstructor copy;
    EXPECT_FALSE(ReadBytes(bytes, bytes.size(), [&](DS_IOF_Archive* ar) { EXPECT_TRUE(ReadExplosion(ar, copy)); }));
    EXPECT_FLOAT_EQ(copy.noise1.GetDerived(), 0.95f);
    EXPECT_FLOAT_EQ(copy.noise2.GetDerived(), 0.06f);
    EXPECT_FLOAT_EQ(copy.noise3.GetDerived(), 0.07f);
    EXPECT_EQ(copy.driftDirection.GetValue(), 90u);
    EXPECT_FLOAT_EQ(copy.driftSpeed.GetDerived(), 0.4f);
    EXPECT_EQ(copy.seed.GetValue(), 1234u);
    EXPECT_EQ(copy.random.GetValue(), -1);
    EXPECT_EQ(copy.secondColor.GetValue(), 0x00445566ul);
    EXPECT_EQ(copy.position.GetValue(), D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(copy.boxHeight.GetValue(), 11u);
    EXPECT_EQ(copy.boxWidth.GetValue(), 22u);
    EXPECT_EQ(copy.effectLink.GetPath(), L"fx.fxo");
    EXPECT_EQ(WrittenBytes([&](DS_IOF_Archive* ar) { copy.Write(ar); }), bytes);
    // The copy's drift direction is computed from the stored angle.
    const DS_ExplosionConstructor clone(copy);
    EXPECT_NEAR(clone.driftDirection.FirstAxis().y, 1.0f, 1e-6f);

    // Cut anywhere, the record is refused.
    for (size_t size = 0; size < bytes.size(); size += 3) {
        DS_ExplosionConstructor cut;
        bool accepted = true;
        const bool failed = ReadBytes(bytes, size, [&](DS_IOF_Archive* ar) { accepted = ReadExplosion(ar, cut); });
        EXPECT_TRUE(failed && !accepted) << "cut at " << size;
    }
}

TEST(ExplosionRecord, VersionOneMovesItsOldDurationsIntoTheTimeLine)
{
    struct Case {
        unsigned durations[5];  // fade-in, show, fade-out, first pause, second pause
        unsigned fadeIn, fadeOut, visible, invisible;
    };
    const Case cases[] = {
        {{1000, 5000, 2000, 300, 700}, 100, 200, 500, 100},
        {{9, 5, 3, 4, 5}, 0, 0, 0, 0},
        // Pauses whose sum passes 32 bits still give a long pause.
        {{0, 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu}, 0, 0, 0, 858993459u},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = VersionOneRecord(c.durations);
        DS_ExplosionConstructor item;
        EXPECT_FALSE(ReadBytes(bytes, bytes.size(), [&](DS_IOF_Archive* ar) { EXPECT_TRUE(ReadExplosion(ar, item)); }));
        const DS_TimeLineControl& line = item.TimeLine();
        EXPECT_EQ(line.fadeIn, c.fadeIn);
        EXPECT_EQ(line.fadeOut, c.fadeOut);
        EXPECT_EQ(line.visible.minimum.GetValue(), c.visible);
        EXPECT_EQ(line.visible.maximum.GetValue(), c.visible);
        EXPECT_EQ(line.invisible.minimum.GetValue(), c.invisible);
        EXPECT_EQ(line.invisible.maximum.GetValue(), c.invisible);
        EXPECT_EQ(line.mode, DS_TimeLineControl::kCycle);
        // The version 1 position level has no box: box 0, position read.
        EXPECT_EQ(item.boxHeight.GetValue(), 0u);
        EXPECT_EQ(item.boxWidth.GetValue(), 0u);
        EXPECT_EQ(item.position.GetValue(), D3DXVECTOR3(12.0f, 34.0f, 0.0f));
        EXPECT_EQ(item.seed.GetValue(), 7u);
        EXPECT_EQ(item.secondColor.GetValue(), 0x00112233ul);
    }
}

TEST(ExplosionSprite, GrowsAndRisesWhileFadingInAndVanishesWhileInvisible)
{
    DS_ExplosionConstructor item;
    item.size.SetValue(251);
    item.position.SetValue(D3DXVECTOR3(50.0f, 60.0f, 0.0f));
    SpriteInstance sprite;
    sprite.Init(item);

    // Invisible (a fresh cycle): half size 0.
    item.TimeLine().mode = DS_TimeLineControl::kCycle;
    item.UpdateSprite(sprite);
    EXPECT_EQ(sprite.halfWidth, 0.0f);

    StartFadeIn(item);
    struct Step {
        float time;
        float alpha;
        float growth;
    };
    for (const Step& s : {Step{10.1f, 0.5f, 0.325f}, Step{10.2f, 1.0f, 0.4f}, Step{10.5f, 1.0f, 0.625f}}) {
        item.TimeLine().AdvanceLocalTime(s.time);
        item.UpdateSprite(sprite);
        EXPECT_NEAR(sprite.alpha, s.alpha, 1e-5f) << s.time;
        // Size 251 halves to 125 (integer) before the growth.
        EXPECT_NEAR(sprite.halfWidth, 125.0f * s.growth, 1e-3f) << s.time;
        EXPECT_EQ(sprite.halfWidth, sprite.halfHeight);
        EXPECT_EQ(sprite.position, D3DXVECTOR3(50.0f, 60.0f, 0.0f));
    }
}

TEST(ExplosionNoise, SeededRenewalsRepeatTheSeedsSequenceAndLeaveTheGeneratorWhereReseedingWould)
{
    const uint32_t kSeed = 99;
    DS_ExplosionConstructor item;
    item.seed.SetValue(kSeed);
    item.random.SetValue(0);
    for (int n = 1; n <= 5; ++n) {
        DS_SRand(12345);  // someone else's state in between must not matter
        item.NextNoiseOffsets();
        EXPECT_EQ(item.NextNoise(), SeededPair(kSeed, n)) << n;
        const uint32_t left = DS_RandState();
        DS_SRand(kSeed);
        DS_SkipRand(2 * static_cast<uint64_t>(n));
        EXPECT_EQ(left, DS_RandState()) << n;
    }
}

TEST(ExplosionNoise, RenewsOncePerWholeClockUnitAndRestartsAfterTheInvisiblePhase)
{
    const uint32_t kSeed = 5;
    DS_ExplosionConstructor item;
    item.seed.SetValue(kSeed);
    item.LoadEffect();  // no scene: no effect, no textures, the first pair
    EXPECT_EQ(item.NextNoise(), SeededPair(kSeed, 1));
    EXPECT_EQ(item.RenewalCounter(), 2);

    // A speed clock that jumps many units within one update renews once.
    item.speed.SetValue(5000);  // factor 100: 0.2 s of time is 20 units
    item.SmoothSpeed(0.0f);
    item.SmoothSpeed(0.3f);
    ASSERT_GT(item.SpeedClock(), 5.0f);
    DS_ExplosionConstructor::EffectValues values = item.ComputeEffectValues();
    EXPECT_EQ(item.PreviousNoise(), SeededPair(kSeed, 1));
    EXPECT_EQ(item.NextNoise(), SeededPair(kSeed, 2));
    EXPECT_FLOAT_EQ(values.noiseShift[2], SeededPair(kSeed, 2).x);  // no drift yet
    values = item.ComputeEffectValues();
    EXPECT_EQ(item.NextNoise(), SeededPair(kSeed, 2));
    EXPECT_NEAR(values.time[0] + values.time[1], 1.0f, 1e-6f);

    // The invisible phase clears the noise state: the next renewal is the
    // sequence's first pair again.
    item.TimeLine().mode = DS_TimeLineControl::kCycle;
    SpriteInstance sprite;
    sprite.Init(item);
    item.UpdateSprite(sprite);
    EXPECT_EQ(item.NextNoise(), D3DXVECTOR2(0.0f, 0.0f));
    EXPECT_EQ(item.RenewalCounter(), 1);
    item.NextNoiseOffsets();
    EXPECT_EQ(item.NextNoise(), SeededPair(kSeed, 1));
}

TEST(ExplosionEffectValues, ColoursAndPhases)
{
    DS_ExplosionConstructor item;
    item.color.SetValue(0x0000FF80);  // red 0x80, green 0xFF
    item.secondColor.SetValue(0x00FF0000);
    StartFadeIn(item);
    item.TimeLine().AdvanceLocalTime(10.25f);
    const DS_ExplosionConstructor::EffectValues values = item.ComputeEffectValues();
    EXPECT_FLOAT_EQ(values.color1[0], 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(values.color1[1], 1.0f);
    EXPECT_FLOAT_EQ(values.color1[2], 0.0f);
    EXPECT_FLOAT_EQ(values.color2[2], 1.0f);
    EXPECT_NEAR(values.phase1st, 1.5f, 1e-5f);
    EXPECT_FLOAT_EQ(values.phase3rd[0], 0.0f);
    EXPECT_FLOAT_EQ(values.phase3rd[1], 1.0f);
    EXPECT_FLOAT_EQ(values.noiseParams[2], 0.42f);
}

// Both noise offset pairs drift against the drift direction by the drift
// speed x the item's speed clock, which the sprite update advances.
TEST(ExplosionEffectValues, DriftMovesTheNoiseAgainstItsDirection)
{
    struct Case {
        const char* name;
        unsigned degrees, driftSpeed, itemSpeed;  // speeds: 80 is 0.4, 50 is 1
        float dx, dy;                             // after 0.8 s
    };
    const Case cases[] = {
        {"along x", 0, 80, 50, -0.32f, 0.0f},
        {"along y", 90, 80, 50, 0.0f, -0.32f},
        {"back along x, twice the item speed", 180, 80, 100, 0.64f, 0.0f},
        {"no drift speed", 45, 0, 50, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        DS_ExplosionConstructor source;
        source.driftDirection.SetValue(c.degrees);
        source.driftSpeed.SetValue(c.driftSpeed);
        source.speed.SetValue(c.itemSpeed);
        // The slide runs a copy, whose drift axes come from the angle.
        DS_ExplosionConstructor item(source);
        SpriteInstance sprite;
        sprite.Init(item);
        for (int i = 1; i <= 8; ++i) {
            item.SmoothSpeed(0.1f * static_cast<float>(i));
            item.UpdateSprite(sprite);
        }
        const DS_ExplosionConstructor::EffectValues values = item.ComputeEffectValues();
        const D3DXVECTOR2 previous = item.PreviousNoise(), next = item.NextNoise();
        const float expected[4] = {previous.x + c.dx, previous.y + c.dy, next.x + c.dx, next.y + c.dy};
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(values.noiseShift[i], expected[i], 1e-5f) << c.name << " " << i;
    }
}
