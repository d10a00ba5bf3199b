// The glowing discharge without a device: its record, the bolts it builds
// and how its sprites follow them.
#include "objects/sprites/DischargeFXConstructor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/params/Random.h"
#include "unit/sprites/SpriteTestSupport.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Reads a discharge record as the registry does: header, then the kind's fields.
bool ReadDischarge(DS_IOF_Archive* ar, DS_DischargeFXConstructor& item)
{
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return item.ReadFields(ar, version);
}

std::vector<uint8_t> Record(DS_DischargeFXConstructor& item)
{
    return WrittenBytes([&](DS_IOF_Archive* ar) { item.Write(ar); });
}

// A straight discharge of count segments from (0, 0) to (300, 0).
void MakeStraight(DS_DischargeFXConstructor& item, unsigned count, unsigned amplitude = 0)
{
    item.count.SetValue(count);
    item.start.SetValue(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    item.end.SetValue(D3DXVECTOR3(300.0f, 0.0f, 0.0f));
    item.amplitude.SetValue(amplitude);
}

// The generator's state after count draws from seed.
uint32_t StateAfter(uint32_t seed, uint64_t count)
{
    const uint32_t resume = DS_RandState();
    DS_SRand(seed);
    DS_SkipRand(count);
    const uint32_t state = DS_RandState();
    DS_SRand(resume);
    return state;
}

void ExpectSameBolt(const std::vector<BoltSegment>& a, const std::vector<BoltSegment>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(a[i].centre, b[i].centre);
        EXPECT_EQ(a[i].direction, b[i].direction);
        EXPECT_EQ(a[i].normal, b[i].normal);
        EXPECT_EQ(a[i].length, b[i].length);
    }
}

TEST(DischargeFXRecord, DefaultsOfTheKind)
{
    DS_DischargeFXConstructor item;
    EXPECT_EQ(item.effectLink.GetPath(), L"common_res.dll");
    EXPECT_EQ(item.effectLink.GetValue().stamp, 97);
    EXPECT_EQ(item.size.GetValue(), 50u);
    EXPECT_EQ(item.blendMode.GetValue(), 1);
    EXPECT_EQ(item.color.GetValue(), 0xFFFFCCul);
    EXPECT_EQ(item.glowColor.GetValue(), 0xFF9900ul);
    EXPECT_FLOAT_EQ(item.intensity.GetDerived(), 1.0f);
    EXPECT_FLOAT_EQ(item.amplitude.GetDerived(), 0.5f);
    EXPECT_EQ(item.textureChoice.GetValue(), 1);
    EXPECT_NEAR(item.flicker.GetDerived(), 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(item.morphSpeed.GetDerived(), 5.0f);
    EXPECT_TRUE(item.OldBolt().empty());
    EXPECT_EQ(item.Effect(), nullptr);
}

TEST(DischargeFXRecord, RoundTripKeepsEveryLevel)
{
    DS_DischargeFXConstructor item;
    item.start.SetValue(D3DXVECTOR3(10.5f, 20.0f, 0.0f));
    item.end.SetValue(D3DXVECTOR3(500.0f, 320.25f, 1.0f));
    item.amplitude.SetValue(30);
    item.textureChoice.SetValue(0);
    item.flicker.SetValue(40);
    item.morphSpeed.SetValue(70);
    item.glowColor.SetValue(0x123456);
    item.intensity.SetValue(80);
    item.effectLink.StoreValue(FileLinkValue{L"effects.dll", 5});
    item.count.SetValue(12);
    item.size.SetValue(33);
    item.secondImageLink.StoreValue(FileLinkValue{L"glow.png", 9});
    const std::vector<uint8_t> bytes = Record(item);

    DS_DischargeFXConstructor read;
    EXPECT_FALSE(ReadBytes(bytes, bytes.size(), [&](DS_IOF_Archive* ar) { EXPECT_TRUE(ReadDischarge(ar, read)); }));
    EXPECT_EQ(read.start.GetValue(), item.start.GetValue());
    EXPECT_EQ(read.end.GetValue(), item.end.GetValue());
    EXPECT_FLOAT_EQ(read.amplitude.GetDerived(), 0.3f);  // the derived value follows
    EXPECT_EQ(read.textureChoice.GetValue(), 0);
    EXPECT_NEAR(read.flicker.GetDerived(), 0.06f, 1e-6f);
    EXPECT_FLOAT_EQ(read.morphSpeed.GetDerived(), 7.0f);
    EXPECT_EQ(read.glowColor.GetValue(), 0x123456ul);
    EXPECT_FLOAT_EQ(read.intensity.GetDerived(), 0.8f);
    EXPECT_EQ(read.effectLink.GetPath(), L"effects.dll");
    EXPECT_EQ(read.effectLink.GetValue().stamp, 5);
    EXPECT_EQ(read.count.GetValue(), 12u);
    EXPECT_EQ(read.size.GetValue(), 33u);
    EXPECT_EQ(read.secondImageLink.GetPath(), L"glow.png");
    EXPECT_EQ(Record(read), bytes);
}

TEST(DischargeFXRecord, RecordCutAnywhereIsRefused)
{
    DS_DischargeFXConstructor item;
    const std::vector<uint8_t> bytes = Record(item);
    for (size_t size = 0; size < bytes.size(); ++size) {
        DS_DischargeFXConstructor read;
        bool accepted = true;
        EXPECT_TRUE(ReadBytes(bytes, size, [&](DS_IOF_Archive* ar) { accepted = ReadDischarge(ar, read); })) << size;
        EXPECT_FALSE(accepted) << size;
    }
}

TEST(DischargeFXRecord, NonFinitePointsReadAsZero)
{
    DS_DischargeFXConstructor item;
    item.start.SetValue(D3DXVECTOR3(kNaN, 5.0f, std::numeric_limits<float>::infinity()));
    item.end.SetValue(D3DXVECTOR3(7.0f, -std::numeric_limits<float>::infinity(), kNaN));
    const std::vector<uint8_t> bytes = Record(item);
    DS_DischargeFXConstructor read;
    EXPECT_FALSE(ReadBytes(bytes, bytes.size(), [&](DS_IOF_Archive* ar) { EXPECT_TRUE(ReadDischarge(ar, read)); }));
    EXPECT_EQ(read.start.GetValue(), D3DXVECTOR3(0.0f, 5.0f, 0.0f));
    EXPECT_EQ(read.end.GetValue(), D3DXVECTOR3(7.0f, 0.0f, 0.0f));
}

TEST(DischargeFXBolt, StraightBoltSharesTheDistance)
{
    DS_DischargeFXConstructor item;
    MakeStraight(item, 4);
    std::vector<BoltSegment> bolt(4);
    DS_SRand(5);
    item.BuildBolt(bolt);
    EXPECT_EQ(DS_RandState(), StateAfter(5, 6));  // two draws for each segment but the last
    const float centres[] = {37.5f, 112.5f, 187.5f, 262.5f};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(bolt[i].length, 75.0f);
        EXPECT_FLOAT_EQ(bolt[i].centre.x, centres[i]);
        EXPECT_FLOAT_EQ(bolt[i].centre.y, 0.0f);
        EXPECT_EQ(bolt[i].direction, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
        EXPECT_EQ(bolt[i].normal, D3DXVECTOR3(0.0f, -1.0f, 0.0f));
    }
}

TEST(DischargeFXBolt, DeflectedBoltStillEndsAtTheEndPoint)
{
    DS_DischargeFXConstructor item;
    MakeStraight(item, 6, 50);
    std::vector<BoltSegment> bolt(6);
    DS_SRand(9);
    item.BuildBolt(bolt);
    const BoltSegment& last = bolt.back();
    const D3DXVECTOR3 tip = last.centre + last.direction * (last.length * 0.5f);
    EXPECT_NEAR(tip.x, 300.0f, 1e-3f);
    EXPECT_NEAR(tip.y, 0.0f, 1e-3f);
    bool deflected = false;
    for (size_t i = 0; i + 1 < bolt.size(); ++i) deflected |= std::fabs(bolt[i].direction.y) > 1e-4f;
    EXPECT_TRUE(deflected);
}

TEST(DischargeFXBolt, LoweredCountBuildsOnlyTheSegmentsItCounts)
{
    DS_DischargeFXConstructor item;
    MakeStraight(item, 3);
    std::vector<BoltSegment> bolt(6);
    bolt[4].length = 123.0f;  // beyond the count: left alone
    DS_SRand(5);
    item.BuildBolt(bolt);
    EXPECT_EQ(DS_RandState(), StateAfter(5, 4));
    for (size_t i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(bolt[i].length, 100.0f) << i;
    EXPECT_FLOAT_EQ(bolt[3].length, 0.0f);
    EXPECT_FLOAT_EQ(bolt[4].length, 123.0f);
}

TEST(DischargeFXBolt, CoincidingPointsGiveEmptySegments)
{
    DS_DischargeFXConstructor item;
    item.count.SetValue(3);
    std::vector<BoltSegment> bolt(3);
    item.BuildBolt(bolt);
    for (const BoltSegment& segment : bolt) {
        EXPECT_EQ(segment.length, 0.0f);
        EXPECT_TRUE(std::isfinite(segment.centre.x) && std::isfinite(segment.centre.y));
    }
}

TEST(DischargeFXBolt, SpritesCreatedOneByOneLeaveTheBoltsOfTheLastCall)
{
    for (unsigned count : {1u, 2u, 5u}) {
        SCOPED_TRACE(count);
        DS_DischargeFXConstructor eager;
        MakeStraight(eager, count, 50);
        std::vector<BoltSegment> oldBolt, newBolt;
        DS_SRand(77);
        for (unsigned k = 0; k < count; ++k) {
            oldBolt.resize(count);
            newBolt.resize(count);
            eager.BuildBolt(oldBolt);
            eager.BuildBolt(newBolt);
            DS_Rand();  // what the sprite's own set-up draws in between
        }
        const uint32_t expectedState = DS_RandState();

        DS_DischargeFXConstructor item;
        MakeStraight(item, count, 50);
        SpriteInstance sprite;
        DS_SRand(77);
        for (unsigned k = 0; k < count; ++k) {
            item.InitSprite(sprite);
            DS_Rand();
        }
        EXPECT_EQ(DS_RandState(), expectedState);
        ExpectSameBolt(item.OldBolt(), oldBolt);
        ExpectSameBolt(item.NewBolt(), newBolt);
        EXPECT_EQ(DS_RandState(), expectedState);  // building them now draws nothing more
    }
}

TEST(DischargeFXBolt, LargestCountStartsWithoutStalling)
{
    DS_DischargeFXConstructor item;
    MakeStraight(item, DS_BaseSpriteProp::kMaxSprites, 50);
    SpriteInstance sprite;
    DS_SRand(3);
    for (unsigned k = 0; k < DS_BaseSpriteProp::kMaxSprites; ++k) item.InitSprite(sprite);
    EXPECT_EQ(DS_RandState(), StateAfter(3, 4ull * (DS_BaseSpriteProp::kMaxSprites - 1) * DS_BaseSpriteProp::kMaxSprites));
    ASSERT_EQ(item.NewBolt().size(), DS_BaseSpriteProp::kMaxSprites);
    const BoltSegment& last = item.NewBolt().back();
    const D3DXVECTOR3 tip = last.centre + last.direction * (last.length * 0.5f);
    EXPECT_NEAR(tip.x, 300.0f, 0.05f);
}

class DischargeFXUpdate : public ::testing::Test {
protected:
    void Build(unsigned count)
    {
        MakeStraight(item_, count);
        sprites_.assign(count, SpriteInstance{});
        for (SpriteInstance& sprite : sprites_) item_.InitSprite(sprite);
    }
    // One update of the runtime object at local time t.
    void Update(float t)
    {
        item_.SetEffectParams();
        item_.SmoothSpeed(t);
        for (SpriteInstance& sprite : sprites_) item_.UpdateSprite(sprite);
    }

    PictureSize picture_{800, 600};
    DS_DischargeFXConstructor item_;
    std::vector<SpriteInstance> sprites_;
};

TEST_F(DischargeFXUpdate, SegmentsBecomeQuadsAlongTheBolt)
{
    Build(4);
    Update(0.05f);
    const struct {
        float centre, uStart, uEnd;
    } expected[] = {{37.5f, 0.0f, 0.805f}, {112.5f, 0.195f, 0.805f}, {187.5f, 0.195f, 0.805f}, {262.5f, 0.195f, 1.0f}};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const SpriteInstance& sprite = sprites_[i];
        EXPECT_FLOAT_EQ(sprite.position.x, expected[i].centre);
        EXPECT_FLOAT_EQ(sprite.halfWidth, 37.5f);
        EXPECT_FLOAT_EQ(sprite.halfHeight, 25.0f);
        EXPECT_EQ(sprite.firstAxis, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
        EXPECT_EQ(sprite.secondAxis, D3DXVECTOR3(0.0f, -1.0f, 0.0f));
        EXPECT_FLOAT_EQ(sprite.uStart, expected[i].uStart);
        EXPECT_FLOAT_EQ(sprite.uEnd, expected[i].uEnd);
    }
    EXPECT_EQ(item_.SegmentIndex(), 4);
}

TEST_F(DischargeFXUpdate, OneSegmentShowsTheWholePicture)
{
    Build(1);
    Update(0.05f);
    EXPECT_FLOAT_EQ(sprites_[0].position.x, 150.0f);
    EXPECT_FLOAT_EQ(sprites_[0].halfWidth, 150.0f);
    EXPECT_FLOAT_EQ(sprites_[0].uStart, 0.0f);
    EXPECT_FLOAT_EQ(sprites_[0].uEnd, 1.0f);
}

TEST_F(DischargeFXUpdate, FlickerPicksATextureHalfFromTwoDraws)
{
    Build(3);
    item_.OldBolt();
    const uint32_t seed = 4242;
    DS_SRand(seed);
    std::vector<int> draws;
    for (int i = 0; i < 6; ++i) draws.push_back(DS_Rand());
    DS_SRand(seed);
    Update(0.05f);  // the default flicker interval is 0: every update changes
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        float vStart = draws[2 * i] % 2 == 0 ? 0.5f : 0.0f;
        float vEnd = draws[2 * i] % 2 == 0 ? 1.0f : 0.5f;
        if (draws[2 * i + 1] & 1) std::swap(vStart, vEnd);
        EXPECT_FLOAT_EQ(sprites_[i].vStart, vStart);
        EXPECT_FLOAT_EQ(sprites_[i].vEnd, vEnd);
        EXPECT_FLOAT_EQ(sprites_[i].firstTimer, 0.05f);
    }

    item_.flicker.SetValue(0);  // 0.1 s: not yet after 0.05 s more
    const uint32_t before = DS_RandState();
    Update(0.1f);
    EXPECT_EQ(DS_RandState(), before);
}

TEST_F(DischargeFXUpdate, BoltIsRebuiltEveryTenthOfASecondAndMorphs)
{
    Build(4);
    item_.amplitude.SetValue(50);
    item_.flicker.SetValue(0);
    Update(0.05f);
    const std::vector<BoltSegment> first = item_.NewBolt();
    Update(0.1f);  // clock 0.1: not more than 0.1 after the last rebuild
    EXPECT_FLOAT_EQ(item_.LastRebuildTime(), 0.0f);
    Update(0.15f);  // the update reads the clock the previous one left: 0.1
    EXPECT_FLOAT_EQ(item_.LastRebuildTime(), 0.0f);
    Update(0.2f);  // clock 0.15
    EXPECT_FLOAT_EQ(item_.LastRebuildTime(), 0.15f);
    ExpectSameBolt(item_.OldBolt(), first);
    // Morph factor (0.2 - 0.15) x 5 = 0.25 of the way to the new bolt.
    const BoltSegment& from = item_.OldBolt()[1];
    const BoltSegment& to = item_.NewBolt()[1];
    EXPECT_NEAR(sprites_[1].position.y, from.centre.y + 0.25f * (to.centre.y - from.centre.y), 1e-3f);

    // A restart takes the clock back to 0: the bolt is rebuilt on the new
    // clock's terms instead of standing still until it passes 0.15 again.
    item_.Restart();
    Update(0.05f);
    EXPECT_FLOAT_EQ(item_.LastRebuildTime(), 0.0f);
    Update(0.2f);
    Update(0.25f);  // clock 0.2
    EXPECT_FLOAT_EQ(item_.LastRebuildTime(), 0.2f);
}

TEST_F(DischargeFXUpdate, SpritesBeyondTheBoltsKeepTheirShape)
{
    Build(2);
    sprites_.resize(4);
    sprites_[3].position = D3DXVECTOR3(5.0f, 6.0f, 0.0f);
    Update(0.05f);
    EXPECT_EQ(sprites_[3].position, D3DXVECTOR3(5.0f, 6.0f, 0.0f));
    EXPECT_EQ(item_.SegmentIndex(), 4);
}

}  // namespace
