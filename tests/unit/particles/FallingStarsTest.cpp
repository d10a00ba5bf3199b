// Falling stars: when and where stars are made and what they carry, the
// counts' cap, the record, and the stars and their glows drawn for real
// under Wine over the scene.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/archive/IOF_Item.h"
#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/FallingStars.h"
#include "unit/brushes/BrushRecords.h"
#include "unit/particles/ParticleLayerFixture.h"
#include "unit/particles/ParticleTestSupport.h"

namespace {

void SetRectangle(DS_FallingStars& item, float x0, float y0, float x1, float y1)
{
    item.rectangle.Corner(0).StoreValue(D3DXVECTOR3(x0, y0, 0.0f));
    item.rectangle.Corner(3).StoreValue(D3DXVECTOR3(x1, y1, 0.0f));
}

// One star a second in (0, 0)-(100, 100), trails off, living 2 s.
DS_FallingStars OneStarASecond()
{
    DS_FallingStars item;
    SetRectangle(item, 0.0f, 0.0f, 100.0f, 100.0f);
    item.starRate.SetValue(50);
    item.fallSpeed.SetValue(10);  // 80 units per second
    item.fadeInTime.SetValue(50);
    item.showTime.SetValue(100);
    item.fadeOutTime.SetValue(50);
    return item;
}

template <class P>
const P* ProcessOf(const PParticle& p, size_t i)
{
    return dynamic_cast<const P*>(p.Process(i));
}

}  // namespace

TEST(FallingStars, OneSecondAtRateFiftyMakesTheDrawnStars)
{
    DS_FallingStars item = OneStarASecond();
    // Steps of 1/8 s (exact, below the clock's longest step).
    for (int frame = 1; frame < 8; ++frame) {
        const float t = 0.125f * static_cast<float>(frame);
        item.Update(t, nullptr);
        EXPECT_TRUE(item.particles.empty()) << t;
    }
    DS_SRand(1);
    item.Update(1.0f, nullptr);
    ASSERT_EQ(item.particles.size(), 2u);
    EXPECT_FLOAT_EQ(item.lastStarTime, 1.0f);
    const struct {
        float x, y, angle, spin;
    } expected[] = {{19.33f, 56.36f, 5.0815f, -1.0f}, {35.03f, 47.99f, 5.6295f, 1.0f}};
    for (size_t i = 0; i < 2; ++i) {
        const PParticle& star = item.particles[i];
        EXPECT_NEAR(star.position.x, expected[i].x, 0.01f) << i;
        EXPECT_NEAR(star.position.y, expected[i].y, 0.01f) << i;
        EXPECT_NEAR(star.channels[PParticle::kAngle], expected[i].angle, 1e-4f) << i;
        EXPECT_EQ(star.channels[PParticle::kAlpha], 0.0f);
        ASSERT_EQ(star.ProcessCount(), 5u);
        ASSERT_NE(ProcessOf<PAgeConst>(star, 0), nullptr);
        EXPECT_FLOAT_EQ(ProcessOf<PAgeConst>(star, 0)->maxAge, 2.0f);
        ASSERT_NE(ProcessOf<PSpin>(star, 3), nullptr);
        EXPECT_FLOAT_EQ(ProcessOf<PSpin>(star, 3)->speed, 80.0f * 0.002f * expected[i].spin) << i;
    }
    // The next second starts from the emission.
    item.Update(1.125f, nullptr);
    EXPECT_EQ(item.particles.size(), 2u);
}

TEST(FallingStars, PlayStaysInTheStorageReservedAtInitObject)
{
    const struct {
        const char* what;
        unsigned starRate;   // x 0.02 a second
        unsigned trailRate;  // x 2 a second
        float frame;         // seconds
    } cases[] = {
        {"steady frames", 500, 30, 1.0f / 60.0f},
        {"long frames", 500, 30, DS_ParticleGenerator::kSpareSeconds},
        {"one star a second", 50, 5, 1.0f / 60.0f},
        {"at the caps", 200000, 1000, 1.0f / 60.0f},
    };
    for (const auto& c : cases) {
        DS_FallingStars item = OneStarASecond();
        item.starRate.SetValue(c.starRate);
        item.trailsOn.SetValue(1);
        item.trailRate.SetValue(c.trailRate);
        item.trailLife.SetValue(20);  // 0.2 s
        item.InitObject(nullptr);
        EXPECT_TRUE(PlaysInItsStorage(item, 12.0f, c.frame, [&](float t) { item.Update(t, nullptr); })) << c.what;
    }
}

TEST(FallingStars, DirectionSetsTheDriftAndZeroTimesDieAtTheFirstUpdate)
{
    const struct {
        unsigned degrees;
        D3DXVECTOR3 velocity;
    } cases[] = {{0, {80.0f, 0.0f, 0.0f}}, {90, {0.0f, -80.0f, 0.0f}}, {180, {-80.0f, 0.0f, 0.0f}}};
    for (const auto& c : cases) {
        DS_FallingStars item = OneStarASecond();
        item.direction.SetValue(c.degrees);
        item.starRate.SetValue(5000);  // 100 a second
        item.Update(0.1f, nullptr);
        ASSERT_FALSE(item.particles.empty()) << c.degrees;
        const PKinetic* motion = ProcessOf<PKinetic>(item.particles[0], 1);
        ASSERT_NE(motion, nullptr);
        EXPECT_NEAR(motion->velocity.x, c.velocity.x, 1e-3f) << c.degrees;
        EXPECT_NEAR(motion->velocity.y, c.velocity.y, 1e-3f) << c.degrees;
    }

    DS_FallingStars brief = OneStarASecond();
    brief.fadeInTime.SetValue(0);
    brief.showTime.SetValue(0);
    brief.fadeOutTime.SetValue(0);
    brief.starRate.SetValue(5000);
    brief.Update(0.1f, nullptr);
    ASSERT_FALSE(brief.particles.empty());
    brief.starRate.SetValue(0);
    brief.Update(0.11f, nullptr);
    EXPECT_TRUE(brief.particles.empty());
}

TEST(FallingStars, HugeRatesStopAtTheCapAndStoredStarsAreNotShown)
{
    DS_FallingStars item = OneStarASecond();
    item.starRate.SetValue(UINT32_MAX);
    item.trailsOn.SetValue(1);
    item.trailRate.SetValue(UINT32_MAX);
    item.trailLife.SetValue(1000);
    for (int frame = 1; frame <= 5; ++frame) {
        item.Update(0.1f * static_cast<float>(frame), nullptr);
        EXPECT_LE(item.particles.size(), kMaxParticles);
        EXPECT_LE(item.trails.size(), kMaxParticles);
    }
    EXPECT_GT(item.particles.size(), kMaxParticles / 2);

    // With the list full a new emission draws its count and nothing for the
    // stars it cannot make.
    DS_FallingStars full = OneStarASecond();
    full.starRate.SetValue(UINT32_MAX);
    full.particles.resize(kMaxParticles);
    full.Update(0.1f, nullptr);
    full.lastStarTime = 0.0f;  // 0.1 s owed again: k at the cap
    DS_SRand(5);
    full.EmitStars();
    const uint32_t after = DS_RandState();
    DS_SRand(5);
    EXPECT_GT(DS_Rand() % (2 * kMaxParticles + 1), 0u);  // stars were due
    EXPECT_EQ(after, DS_RandState());
    EXPECT_EQ(full.particles.size(), kMaxParticles);

    DS_FallingStars stored = OneStarASecond();
    stored.particles.emplace_back(5.0f, 5.0f, 0.0f);
    CountedPtr<DS_ABObj> object(stored.CreateObject());
    auto* particles = static_cast<DS_ParticlesObj*>(object.Get());
    EXPECT_TRUE(particles->Generator()->particles.empty());
    EXPECT_EQ(particles->BufferCount(), 4u);
}

TEST(FallingStarsRecord, RoundTripKeepsTheFieldsInOrderAndTruncationsFail)
{
    DS_FallingStars item = OneStarASecond();
    item.direction.SetValue(270);
    item.starSize.SetValue(24);
    item.glowFactor.SetValue(25);
    item.trailsOn.SetValue(1);
    item.trailSize.SetValue(50);
    item.SetName(L"sky");
    const std::vector<uint8_t> bytes = WrittenRecord(item);
    MemoryArchive memory(bytes);
    auto back = ReadSceneItemAs<DS_FallingStars>(memory);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(memory.cursor, bytes.size());
    EXPECT_EQ(WrittenRecord(*back), bytes);
    EXPECT_FLOAT_EQ(back->fallSpeed.GetDerived(), 80.0f);
    EXPECT_FLOAT_EQ(back->starRate.GetDerived(), 1.0f);
    EXPECT_FLOAT_EQ(back->glowFactor.GetDerived(), 2.0f);
    EXPECT_FLOAT_EQ(back->showTime.GetDerived(), 1.0f);
    EXPECT_FLOAT_EQ(back->trailSize.GetDerived(), 0.5f);
    EXPECT_EQ(back->rectangle.Corner(3).GetValue(), D3DXVECTOR3(100.0f, 100.0f, 0.0f));

    MemoryArchive fields(bytes);
    DS_IOF_Archive ar = fields.Handle();
    EXPECT_EQ(ReadRecordHeader(&ar), DS_FallingStars::kVersion);
    uint32_t v[8] = {};
    for (uint32_t& x : v) fields.ReadUInt(x);
    const uint32_t expected[8] = {10, 50, 270, 24, 25, 100, 50, 50};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(v[i], expected[i]) << "field " << i + 1;

    ForEachTruncation(item, 5, [](MemoryArchive& cut, size_t n) {
        EXPECT_EQ(ReadSceneItem(cut), nullptr) << "cut " << n;
    });
}

namespace {

constexpr UINT kStarX = 300, kStarY = 200;

class FallingStarsPixelTest : public ParticleLayerFixture {
protected:
    void SetUp() override
    {
        ParticleLayerFixture::SetUp();
        if (HasFatalFailure()) return;
        AddWhiteSprite();
    }

    // Red stars 20 wide appearing at one point, standing still and shown at
    // once, with half transparent blue glows twice as wide.
    DS_FallingStars Stars(bool effect)
    {
        DS_FallingStars item;
        SetRectangle(item, kStarX, kStarY, kStarX, kStarY);
        item.starRate.SetValue(5000);
        item.showTime.SetValue(1000);
        item.starSize.SetValue(20);
        item.glowFactor.SetValue(25);
        for (int i = 0; i < 4; ++i) item.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kWhiteSpriteLink)));
        if (effect) item.effectLink.StoreValue(kEffectLink);
        item.color.StoreValue(0x000000FFul);
        item.glowColor.StoreValue(0x00FF0000ul);
        item.glowColor.transparency.SetValue(50);
        return item;
    }
};

}  // namespace

TEST_F(FallingStarsPixelTest, StarsAndGlowsOverTheScene)
{
    const struct {
        const char* label;
        bool effect;
        bool needsScene;
        uint32_t centre;  // 0xRRGGBB over grey 64
        uint32_t glow;
    } cases[] = {
        {"effect", true, true, 0xFF40BF, 0x4040BF},
        // Plain alpha blending stacks the glows of the stars on one point;
        // the effect's layers keep the brightest instead.
        {"no effect", false, false, 0xFF0000, 0x0000FF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        objects_.clear();
        DS_FallingStars item = Stars(c.effect);
        DS_ParticlesObj* object = Make(item);
        EXPECT_EQ(object->NeedsSceneTexture(), c.needsScene);
        Frame(0.1f);  // new stars start dark
        Frame(0.2f);
        ASSERT_GT(object->QuadCount(DS_FallingStars::kStarBuffer), 0u);
        EXPECT_EQ(object->QuadCount(DS_FallingStars::kStarGlowBuffer),
                  object->QuadCount(DS_FallingStars::kStarBuffer));
        EXPECT_TRUE(Near(ReadPixel(kStarX, kStarY), c.centre)) << std::hex << ReadPixel(kStarX, kStarY);
        // Past the turned star's corners (14.2), inside the glow (20).
        EXPECT_TRUE(Near(ReadPixel(kStarX + 17, kStarY), c.glow)) << std::hex << ReadPixel(kStarX + 17, kStarY);
        EXPECT_TRUE(Near(ReadPixel(kStarX + 30, kStarY), kGrey)) << std::hex << ReadPixel(kStarX + 30, kStarY);
        EXPECT_TRUE(Near(ReadPixel(500, 350), kGrey));
    }
}
