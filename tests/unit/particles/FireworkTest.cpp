// Fireworks: when sparks are emitted in stream and burst modes and how long
// they live, the trail rule, the counts' cap, the record, and the two-layer
// render drawn for real under Wine.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/archive/IOF_Item.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/Firework.h"
#include "unit/brushes/BrushRecords.h"
#include "unit/particles/ParticleLayerFixture.h"
#include "unit/particles/ParticleTestSupport.h"

namespace {

float LifeRate(const PParticle& p)
{
    auto* life = dynamic_cast<PLifeConst*>(p.Process(0));
    return life ? life->rate : -1.0f;
}

// Advances the item's time line and then the item, as its object's update
// does, without a device (nothing is drawn).
void Step(DS_FireworkSimple& item, float t)
{
    item.Update(item.TimeLine().AdvanceLocalTime(t), nullptr);
}

DS_FireworkSimple StreamFirework(unsigned count)
{
    DS_FireworkSimple item;
    item.speed.SetValue(50);  // clock at application speed
    item.burstCount.SetValue(count);
    item.burstSpeed.SetValue(10);
    item.origin.SetValue(D3DXVECTOR3(100.0f, 50.0f, 0.0f));
    return item;
}

// Cycles of 1 s starting invisible: 0.5 s invisible, then 0.1 s fading
// in, 0.3 s shown and 0.1 s fading out.
void SetSecondCycles(DS_TimeLineControl& line)
{
    line.mode = DS_TimeLineControl::kCycle;
    line.fadeIn = 10;
    line.fadeOut = 10;
    line.visible.minimum.SetValue(30);
    line.visible.maximum.SetValue(30);
    line.invisible.minimum.SetValue(50);
    line.invisible.maximum.SetValue(50);
}

}  // namespace

TEST(Firework, StreamSparksComeEveryHalfSecondOverTheCountAndLiveHalfASecond)
{
    DS_FireworkSimple item = StreamFirework(10);
    size_t emitted = 0;
    float lastEmission = -1.0f;
    for (int frame = 1; frame <= 100; ++frame) {
        const float t = 0.01f * static_cast<float>(frame);
        const float before = item.nextStreamTime;
        Step(item, t);
        if (item.nextStreamTime == before) continue;
        ++emitted;
        const float c = item.speed.GetLocalTime();
        EXPECT_GT(c, before) << "a spark before its time at " << c;
        EXPECT_FLOAT_EQ(item.nextStreamTime, c + 0.05f);
        if (lastEmission >= 0.0f) EXPECT_LT(c - lastEmission, 0.05f + 0.011f);
        lastEmission = c;
        const PParticle& spark = item.particles.back();
        EXPECT_EQ(spark.position, D3DXVECTOR3(100.0f, 50.0f, 0.0f));
        EXPECT_FLOAT_EQ(LifeRate(spark), 2.0f);  // 0.5 s
    }
    EXPECT_GE(emitted, 16u);
    EXPECT_LE(emitted, 20u);
    // About one second in, the sparks of the last half second remain.
    EXPECT_GE(item.particles.size(), 8u);
    EXPECT_LE(item.particles.size(), 10u);
}

TEST(Firework, PlayStaysInTheStorageReservedAtInitObject)
{
    const struct {
        const char* what;
        unsigned count;
        bool bursts;
        unsigned speed;  // x 0.02
        float frame;     // seconds
    } cases[] = {
        {"stream", 40, false, 50, 1.0f / 60.0f},
        {"stream, long frames", 40, false, 50, DS_ParticleGenerator::kSpareSeconds},
        {"bursts", 300, true, 50, 1.0f / 60.0f},
        {"bursts at a third of the speed", 300, true, 17, 1.0f / 60.0f},
        {"bursts at the cap", 5000, true, 50, 1.0f / 60.0f},
    };
    for (const auto& c : cases) {
        DS_FireworkSimple item = StreamFirework(c.count);
        item.speed.SetValue(c.speed);
        item.trailsOn.SetValue(1);
        item.trailRate.SetValue(4);  // 9 per second per spark
        item.trailLife.SetValue(30);
        if (c.bursts) SetSecondCycles(item.TimeLine());
        item.InitObject(nullptr);
        EXPECT_TRUE(PlaysInItsStorage(item, 12.0f, c.frame, [&](float t) { Step(item, t); })) << c.what;
    }
}

TEST(Firework, StreamWithCountZeroEmitsOneSparkThenNone)
{
    DS_FireworkSimple item = StreamFirework(0);
    Step(item, 0.1f);
    EXPECT_EQ(item.particles.size(), 1u);
    EXPECT_TRUE(std::isinf(item.nextStreamTime));
    for (int frame = 2; frame <= 10; ++frame) Step(item, 0.1f * static_cast<float>(frame));
    EXPECT_TRUE(item.particles.empty());  // the one spark lived 0.5 s
}

TEST(Firework, BurstsOncePerVisiblePhaseWithSparksLivingOneCycle)
{
    DS_FireworkSimple item = StreamFirework(7);
    DS_TimeLineControl& line = item.TimeLine();
    SetSecondCycles(line);
    std::vector<float> bursts;
    size_t lastCount = 0;
    for (int frame = 1; frame <= 300; ++frame) {
        const float t = 0.01f * static_cast<float>(frame);
        Step(item, t);
        if (item.particles.size() > lastCount) {
            EXPECT_EQ(item.particles.size() - lastCount, 7u) << "at " << t;
            EXPECT_NE(line.GetPhase(), DS_TimeLineControl::kInvisible);
            EXPECT_FLOAT_EQ(LifeRate(item.particles.back()), 1.0f / 0.5f);  // 0.1 + 0.3 + 0.1 s
            bursts.push_back(t);
        }
        lastCount = item.particles.size();
    }
    // A cycle of 1 s (0.5 invisible, 0.5 showing): one burst in each.
    ASSERT_EQ(bursts.size(), 3u);
    // Phases change at frame steps of 0.01 s.
    EXPECT_NEAR(bursts[1] - bursts[0], 1.0f, 0.06f);
    EXPECT_NEAR(bursts[2] - bursts[1], 1.0f, 0.06f);
}

TEST(Firework, SparksFlyStraightAtTheBurstSpeedAndTrailsStartAtTheOpacity)
{
    DS_FireworkSimple item = StreamFirework(1);
    item.burstSpeed.SetValue(25);  // 100 units per second
    item.trailsOn.SetValue(1);
    item.trailRate.SetValue(4);  // 9 per second per spark
    item.trailLife.SetValue(50);
    item.trailSize.SetValue(10);
    Step(item, 0.1f);
    ASSERT_EQ(item.particles.size(), 1u);
    Step(item, 0.2f);
    const PParticle& spark = item.particles[0];
    const D3DXVECTOR3 moved = spark.position - D3DXVECTOR3(100.0f, 50.0f, 0.0f);
    EXPECT_NEAR(D3DXVec3Length(&moved), 10.0f, 1e-3f);  // 0.1 s at 100, no gravity

    // Trails of a fading item: the opacity, not the spark's alpha.
    DS_FireworkSimple fading = StreamFirework(1);
    fading.trailLife.SetValue(50);  // 0.5 s
    fading.trailSize.SetValue(10);  // grows by 1
    DS_TimeLineControl& line = fading.TimeLine();
    line.mode = DS_TimeLineControl::kCycle;
    line.invisible.minimum.SetValue(10);
    line.invisible.maximum.SetValue(10);
    line.fadeIn = 100;
    for (int frame = 1; frame <= 40; ++frame) line.AdvanceLocalTime(0.01f * static_cast<float>(frame));
    const float opacity = line.GetAlpha();
    ASSERT_GT(opacity, 0.1f);
    ASSERT_LT(opacity, 0.5f);
    PParticle trail(0.0f, 0.0f, 0.0f);
    PParticle source(0.0f, 0.0f, 0.0f);
    fading.InitParticle(trail, source);
    EXPECT_FLOAT_EQ(trail.channels[PParticle::kAlpha], opacity);
    trail.Apply(0.25f);
    EXPECT_NEAR(trail.channels[PParticle::kAlpha], opacity - 0.5f, 1e-5f);  // gone before its life ends
    EXPECT_NEAR(trail.channels[PParticle::kSize], 1.5f, 1e-5f);
}

TEST(Firework, AHugeBurstStopsAtTheParticleCap)
{
    DS_FireworkSimple item = StreamFirework(4000000000u);
    item.TimeLine().mode = DS_TimeLineControl::kWindows;
    item.TimeLine().AddWindow(TimeWindow{0.0f, 100.0f, 0.0f, 100.0f});
    item.trailsOn.SetValue(1);
    item.trailRate.SetValue(100);
    item.trailLife.SetValue(1000);
    Step(item, 0.1f);
    EXPECT_EQ(item.particles.size(), kMaxParticles);
    Step(item, 0.2f);
    EXPECT_LE(item.particles.size() + item.trails.size(), 2 * kMaxParticles);
    EXPECT_EQ(item.particles.size(), kMaxParticles);
}

TEST(FireworkRecord, RoundTripKeepsEveryFieldAndTruncationsFail)
{
    DS_FireworkSimple item = StreamFirework(12);
    item.sparkSize.SetValue(9);
    item.glowFactor.SetValue(25);
    item.particleLife.SetValue(3);
    item.rate.SetValue(4);
    item.particleSize.SetValue(5);
    item.sector.SetValue(6);
    item.color.StoreValue(0x00102030);
    item.trailLife.SetValue(40);
    item.SetName(L"rocket");
    const std::vector<uint8_t> bytes = WrittenRecord(item);
    MemoryArchive memory(bytes);
    auto back = ReadSceneItemAs<DS_FireworkSimple>(memory);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(memory.cursor, bytes.size());
    EXPECT_EQ(WrittenRecord(*back), bytes);
    EXPECT_EQ(back->burstCount.GetValue(), 12u);
    EXPECT_FLOAT_EQ(back->burstSpeed.GetDerived(), 40.0f);
    EXPECT_FLOAT_EQ(back->glowFactor.GetDerived(), 2.0f);
    EXPECT_FLOAT_EQ(back->speed.GetDerived(), 1.0f);
    EXPECT_EQ(back->origin.GetValue(), D3DXVECTOR3(100.0f, 50.0f, 0.0f));
    EXPECT_FLOAT_EQ(back->trailLife.GetDerived(), 0.4f);
    EXPECT_FLOAT_EQ(back->trailRate.GetDerived(), 1.0f);  // offset 1
    EXPECT_FLOAT_EQ(back->gravity.GetDerived(), 0.0f);

    // Field order: count, spark size, burst speed, glow, then the emitter's.
    MemoryArchive fields(bytes);
    DS_IOF_Archive ar = fields.Handle();
    EXPECT_EQ(ReadRecordHeader(&ar), DS_FireworkSimple::kVersion);
    uint32_t v[9] = {};
    for (uint32_t& x : v) fields.ReadUInt(x);
    const uint32_t expected[9] = {12, 9, 10, 25, 3, 4, 5, 6, 50};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(v[i], expected[i]) << "field " << i + 1;

    ForEachTruncation(item, 5, [](MemoryArchive& cut, size_t n) {
        EXPECT_EQ(ReadSceneItem(cut), nullptr) << "cut " << n;
    });
}

namespace {

constexpr UINT kOriginX = 400, kOriginY = 200;
constexpr UINT kOtherX = 150, kOtherY = 200;

class FireworkPixelTest : public ParticleLayerFixture {
protected:
    void SetUp() override
    {
        ParticleLayerFixture::SetUp();
        if (HasFatalFailure()) return;
        AddWhiteSprite();
    }

    // A spark standing at the origin: red sprites 20 wide, half transparent
    // blue glows twice as wide.
    DS_FireworkSimple Firework(bool effect)
    {
        DS_FireworkSimple item = StreamFirework(10);
        item.burstSpeed.SetValue(0);
        item.origin.SetValue(D3DXVECTOR3(kOriginX, kOriginY, 0.0f));
        item.sparkSize.SetValue(20);
        item.glowFactor.SetValue(25);
        item.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kWhiteSpriteLink)));
        if (effect) item.effectLink.StoreValue(kEffectLink);
        item.color.StoreValue(0x000000FFul);
        item.glowColor.StoreValue(0x00FF0000ul);
        item.glowColor.transparency.SetValue(50);  // alpha 127
        return item;
    }
};

}  // namespace

// With the effect the layers are added over the scene (the object drawn
// before the firework included, whatever its blend mode); without it the
// glow and then the sprite are alpha-blended plainly.
TEST_F(FireworkPixelTest, SparkAndGlowOverTheSceneAndWhatWasDrawnBefore)
{
    const struct {
        const char* label;
        bool effect;
        int32_t blend;
        bool needsScene;
        uint32_t centre;  // 0xRRGGBB over grey 64
        uint32_t glow;
    } cases[] = {
        {"effect, mode 0", true, 0, true, 0xFF40BF, 0x4040BF},
        {"effect, mode 3", true, 3, true, 0xFF40BF, 0x4040BF},
        {"no effect", false, 0, false, 0xFF0000, 0x2020A0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        objects_.clear();
        TestParticleKind before;
        before.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kWhiteSpriteLink)));
        before.color.StoreValue(0x0000FF80ul);
        before.particles.emplace_back(static_cast<float>(kOtherX), static_cast<float>(kOtherY), 0.0f);
        Make(before);
        DS_FireworkSimple item = Firework(c.effect);
        item.blendMode.SetValue(c.blend);
        DS_ParticlesObj* object = Make(item);
        EXPECT_EQ(object->NeedsSceneTexture(), c.needsScene);
        Frame(0.1f);
        EXPECT_EQ(object->QuadCount(0), 1u);
        EXPECT_EQ(object->QuadCount(1), 1u);
        EXPECT_TRUE(Near(ReadPixel(kOriginX, kOriginY), c.centre)) << std::hex << ReadPixel(kOriginX, kOriginY);
        EXPECT_TRUE(Near(ReadPixel(kOriginX + 15, kOriginY), c.glow)) << std::hex << ReadPixel(kOriginX + 15, kOriginY);
        EXPECT_TRUE(Near(ReadPixel(kOriginX + 30, kOriginY), kGrey)) << std::hex << ReadPixel(kOriginX + 30, kOriginY);
        EXPECT_TRUE(Near(ReadPixel(kOtherX, kOtherY), 0x80FF00)) << std::hex << ReadPixel(kOtherX, kOtherY);
        EXPECT_TRUE(Near(ReadPixel(500, 350), kGrey));
    }
}

// Pictures the record lacks give no texture, never a read past the sets;
// the effect's sprites then add nothing and the scene shows as it was.
TEST_F(FireworkPixelTest, NoPictureLeavesTheScene)
{
    DS_FireworkSimple item = Firework(true);
    item.imageLinks.clear();
    DS_ParticlesObj* object = Make(item);
    EXPECT_EQ(static_cast<DS_Firework*>(object->Generator())->CurrentTexture(0), nullptr);
    Frame(0.1f);
    EXPECT_EQ(object->QuadCount(0), 1u);
    EXPECT_TRUE(Near(ReadPixel(kOriginX, kOriginY), kGrey)) << std::hex << ReadPixel(kOriginX, kOriginY);
    EXPECT_TRUE(Near(ReadPixel(500, 350), kGrey));
}
