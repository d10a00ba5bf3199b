// Records of the painted brushes and of the emitter levels: round trips of
// every kind and level, the order of the own fields, the glint brush's
// version 1, every cut, and bad counts and points; then what a brush read
// from a document does when its object is made (no device).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <typeinfo>

#include "engine/archive/IOF_Item.h"
#include "engine/params/Random.h"
#include "objects/particles/AirBrush.h"
#include "objects/particles/ParticleRctRgnGenerator.h"
#include "objects/particles/ParticlesObj.h"
#include "objects/particles/StaticGenerator.h"
#include "unit/brushes/BrushRecords.h"
#include "unit/particles/ParticleTestSupport.h"

namespace {

// The levels every brush shares, filled with distinct values.
void FillBrush(DS_AirBrush& brush)
{
    brush.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(FileLinkValue{L"glow.png", 21})));
    brush.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(FileLinkValue{L"glint.png", 22})));
    brush.effectLink.StoreValue(FileLinkValue{L"particles.fxo", 23});
    brush.color.StoreValue(0x00C0F0FF);
    brush.color.transparency.SetValue(20);
    brush.glowColor.StoreValue(0x0040C0FF);
    brush.blendMode.SetValue(3);
    brush.size.SetValue(64);
    brush.points.emplace_back(96.0f, 64.0f, 0.0f);
    brush.points.emplace_back(192.5f, 112.0f, 1.0f);
    brush.SetName(L"brush");
}

std::unique_ptr<DS_AirBrush> FilledBling()
{
    auto bling = std::make_unique<DS_Bling>();
    FillBrush(*bling);
    bling->speed.SetValue(50);
    bling->shrinkTime.SetValue(40);
    bling->growTime.SetValue(60);
    bling->rotationSpeed.SetValue(25);
    bling->minimumSize.SetValue(30);
    return bling;
}

std::unique_ptr<DS_AirBrush> FilledCustom()
{
    auto custom = std::make_unique<DS_CustomAirBrush>();
    FillBrush(*custom);
    custom->pictureLink.StoreValue(FileLinkValue{L"frames", 24});
    custom->frameSpeed.SetValue(100);
    return custom;
}

std::unique_ptr<DS_AirBrush> FilledStars()
{
    auto stars = std::make_unique<DS_TwinklingStars>();
    FillBrush(*stars);
    stars->speed.SetValue(30);
    return stars;
}

struct BrushKind {
    const char* name;
    std::unique_ptr<DS_AirBrush> (*make)();
    // The kind's own fields after its header, as uint.
    std::vector<uint32_t> own;
};

std::vector<BrushKind> Kinds()
{
    return {{"DS_Bling", FilledBling, {50, 40, 60, 25, 30}},
            {"DS_CustomAirBrush", FilledCustom, {}},
            {"DS_TwinklingStars", FilledStars, {30}}};
}

TEST(AirBrushRecords, EveryKindReadsBackWhatItWroteInOrder)
{
    for (const BrushKind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        auto brush = kind.make();
        MemoryArchive memory;
        ASSERT_NE(ReadBackAlike(*brush, memory), nullptr);

        // The own fields, then the air-brush level: size, count, points.
        MemoryArchive fields(memory.bytes);
        ds_string name;
        int32_t version = 0;
        fields.ReadString(name);
        fields.ReadInt(version);
        if (typeid(*brush) == typeid(DS_CustomAirBrush)) {
            ds_string path;
            int64_t stamp = 0;
            fields.ReadString(path);
            fields.ReadInt64(stamp);
            EXPECT_EQ(path, L"frames");
            EXPECT_EQ(stamp, 24);
            uint32_t frameSpeed = 0;
            fields.ReadUInt(frameSpeed);
            EXPECT_EQ(frameSpeed, 100u);
        }
        for (uint32_t expected : kind.own) {
            uint32_t value = 0;
            fields.ReadUInt(value);
            EXPECT_EQ(value, expected);
        }
        fields.ReadString(name);
        fields.ReadInt(version);
        EXPECT_EQ(name, L"DS_AirBrush");
        EXPECT_EQ(version, 1);
        uint32_t size = 0;
        int32_t count = 0;
        float x = 0, y = 0, z = 0;
        fields.ReadUInt(size);
        fields.ReadInt(count);
        fields.ReadFloat(x);
        fields.ReadFloat(y);
        fields.ReadFloat(z);
        EXPECT_EQ(size, 64u);
        EXPECT_EQ(count, 2);
        EXPECT_EQ(D3DXVECTOR3(x, y, z), D3DXVECTOR3(96.0f, 64.0f, 0.0f));
    }
}

TEST(AirBrushRecords, EveryCutIsRefused)
{
    for (const BrushKind& kind : Kinds()) {
        auto brush = kind.make();
        ForEachTruncation(*brush, 3, [&](MemoryArchive& memory, size_t cut) {
            EXPECT_EQ(ReadSceneItem(memory), nullptr) << kind.name << " cut " << cut;
        });
    }
}

// A version 1 glint record stops after the grow time: no rotation, no
// minimum size.
TEST(AirBrushRecords, GlintVersionOneKeepsRotationAndMinimumAtZero)
{
    auto current = FilledBling();
    DS_AirBrush& airBrush = *current;
    MemoryArchive memory;
    DS_IOF_Archive ar = memory.Handle();
    WriteRecordHeader(&ar, L"DS_Bling", 1);
    memory.WriteUInt(50);
    memory.WriteUInt(40);
    memory.WriteUInt(60);
    airBrush.DS_AirBrush::WriteBody(&ar);
    auto item = ReadSceneItemAs<DS_Bling>(memory);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_FLOAT_EQ(item->speed.GetDerived(), 1.0f);
    EXPECT_FLOAT_EQ(item->shrinkTime.GetDerived(), 0.4f);
    EXPECT_FLOAT_EQ(item->growTime.GetDerived(), 0.6f);
    EXPECT_EQ(item->rotationSpeed.GetValue(), 0u);
    EXPECT_EQ(item->minimumSize.GetDerived(), 0.0f);
    EXPECT_EQ(item->points.size(), 2u);
}

// The stars' record with the point list replaced by count and raw floats.
std::vector<uint8_t> StarsWithPoints(int32_t count, const std::vector<float>& floats)
{
    DS_TwinklingStars stars;
    stars.speed.SetValue(30);
    MemoryArchive memory;
    DS_IOF_Archive ar = memory.Handle();
    WriteRecordHeader(&ar, L"DS_TwinklingStars", 1);
    memory.WriteUInt(30);
    WriteRecordHeader(&ar, L"DS_AirBrush", 1);
    memory.WriteUInt(24);
    memory.WriteInt(count);
    for (float f : floats) memory.WriteFloat(f);
    stars.DS_TexParticleGenerator::WriteBody(&ar);
    return memory.bytes;
}

TEST(AirBrushRecords, PointCountsTheDataCannotHoldAreRefused)
{
    for (int32_t count : {-1, std::numeric_limits<int32_t>::min(), 1000000, std::numeric_limits<int32_t>::max()}) {
        MemoryArchive memory(StarsWithPoints(count, {1, 2, 0, 3, 4, 0}));
        EXPECT_EQ(ReadSceneItem(memory), nullptr) << count;
    }
}

TEST(AirBrushRecords, PointsPastTheQuadLimitAreReadAndDropped)
{
    const int32_t stored = static_cast<int32_t>(kMaxParticles) + 5;
    std::vector<float> floats;
    for (int32_t i = 0; i < stored; ++i) floats.insert(floats.end(), {static_cast<float>(i), 1.0f, 0.0f});
    MemoryArchive memory(StarsWithPoints(stored, floats));
    auto item = ReadSceneItemAs<DS_TwinklingStars>(memory);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    ASSERT_EQ(item->points.size(), kMaxParticles);
    EXPECT_EQ(item->points.back().position.x, static_cast<float>(kMaxParticles - 1));
}

TEST(AirBrushRecords, NonFinitePointsReadAsZero)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    MemoryArchive memory(StarsWithPoints(2, {nan, 5.0f, -inf, 7.0f, inf, 1.0f}));
    auto item = ReadSceneItemAs<DS_TwinklingStars>(memory);
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(item->points.size(), 2u);
    EXPECT_EQ(item->points[0].position, D3DXVECTOR3(0.0f, 5.0f, 0.0f));
    EXPECT_EQ(item->points[1].position, D3DXVECTOR3(7.0f, 0.0f, 1.0f));
}

// The emitter levels are abstract; these kinds only draw nothing.
template <class Level>
class TestLevel : public Level {
public:
    void Render(DS_ABRender*, DS_ParticlesObj*) override {}
    void InitObject(DS_ParticlesObj* object) override { DS_TexParticleGenerator::InitObject(object); }
    DS_ParticleGenerator* Clone() const override { return new TestLevel(*this); }
    void Write(DS_IOF_Archive* ar) override { this->WriteBody(ar); }
};

void FillTexLevel(DS_TexParticleGenerator& level)
{
    level.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(FileLinkValue{L"smoke.png", 31})));
    level.color.StoreValue(0x00102030);
    level.blendMode.SetValue(1);
    level.SetName(L"level");
}

// Writes a level, reads it back with read, writes again: the same bytes,
// all of them read.
template <class Level, class Read>
void ExpectRoundTrip(Level& level, Read read)
{
    const std::vector<uint8_t> bytes = WrittenRecord(level);
    MemoryArchive memory(bytes);
    DS_IOF_Archive ar = memory.Handle();
    Level back;
    ASSERT_TRUE(read(back, &ar));
    EXPECT_EQ(memory.cursor, bytes.size());
    EXPECT_EQ(WrittenRecord(back), bytes);
    for (size_t cut = 1; cut < bytes.size(); cut += 5) {
        MemoryArchive shorter(std::vector<uint8_t>(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(cut)));
        DS_IOF_Archive shortAr = shorter.Handle();
        Level partial;
        EXPECT_FALSE(read(partial, &shortAr)) << "cut " << cut;
    }
}

TEST(EmitterLevelRecords, EachLevelReadsBackWhatItWrote)
{
    TestLevel<DS_StaticGenerator> still;
    FillTexLevel(still);
    still.origin.SetValue(D3DXVECTOR3(1.5f, -2.0f, 3.0f));
    ExpectRoundTrip(still, [](auto& level, DS_IOF_Archive* ar) { return level.ReadBody(ar); });

    TestLevel<DS_ParticleOriginGenerator> emitter;
    FillTexLevel(emitter);
    emitter.particleLife.SetValue(11);
    emitter.rate.SetValue(12);
    emitter.particleSize.SetValue(13);
    emitter.sector.SetValue(14);
    emitter.speed.SetValue(15);
    emitter.origin.SetValue(D3DXVECTOR3(16.0f, 17.0f, 18.0f));
    ExpectRoundTrip(emitter, [](auto& level, DS_IOF_Archive* ar) {
        const int32_t version = ReadRecordHeader(ar);
        return !ar->Failed() && level.ReadFields(ar, version);
    });

    TestLevel<DS_ParticleRctRgnGenerator> region;
    FillTexLevel(region);
    for (int k = 0; k < MediaQuad::kCornerCount; ++k) {
        region.rectangle.Corner(k).StoreValue(D3DXVECTOR3(10.0f * k, 20.0f * k + 1, 0.5f));
    }
    ExpectRoundTrip(region, [](auto& level, DS_IOF_Archive* ar) { return level.ReadBody(ar); });
}

// The rate emitter stores its origin among its own fields: life, rate,
// size, direction, speed, origin, then the textured level's header.
TEST(EmitterLevelRecords, RateEmitterFieldsInOrderAndTheirEffect)
{
    MemoryArchive memory;
    DS_IOF_Archive ar = memory.Handle();
    WriteRecordHeader(&ar, L"DS_ParticleOriginGenerator", 1);
    for (uint32_t v : {50u, 12u, 13u, 90u, 100u}) memory.WriteUInt(v);
    for (float f : {std::numeric_limits<float>::quiet_NaN(), 17.0f, 18.0f}) memory.WriteFloat(f);
    TestLevel<DS_ParticleOriginGenerator> plain;
    plain.DS_TexParticleGenerator::WriteBody(&ar);

    TestLevel<DS_ParticleOriginGenerator> emitter;
    DS_IOF_Archive in = memory.Handle();
    ASSERT_TRUE(emitter.ReadFields(&in, ReadRecordHeader(&in)));
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_FLOAT_EQ(emitter.particleLife.GetDerived(), 2.0f);
    EXPECT_EQ(emitter.rate.GetValue(), 12u);
    EXPECT_EQ(emitter.particleSize.GetValue(), 13u);
    EXPECT_EQ(emitter.sector.GetValue(), 90u);
    EXPECT_EQ(emitter.sector.spread.GetValue(), 0u);
    EXPECT_FLOAT_EQ(emitter.speed.GetDerived(), 2.0f);
    EXPECT_EQ(emitter.origin.GetValue(), D3DXVECTOR3(0.0f, 17.0f, 18.0f));
}

// Some kinds store the rectangle level without its header; a rectangle
// corner that is not finite reads as 0.
TEST(EmitterLevelRecords, RectangleWithoutHeaderAndNonFiniteCorners)
{
    TestLevel<DS_ParticleRctRgnGenerator> region;
    for (int k = 0; k < MediaQuad::kCornerCount; ++k) region.rectangle.Corner(k).StoreValue(D3DXVECTOR3(1, 2, 3));
    region.rectangle.Corner(3).StoreValue(D3DXVECTOR3(std::numeric_limits<float>::infinity(), 4, 5));
    MemoryArchive memory;
    DS_IOF_Archive ar = memory.Handle();
    region.WriteFields(&ar);
    TestLevel<DS_ParticleRctRgnGenerator> back;
    DS_IOF_Archive in = memory.Handle();
    ASSERT_TRUE(back.ReadFields(&in));
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_EQ(back.rectangle.Corner(0).GetValue(), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(back.rectangle.Corner(3).GetValue(), D3DXVECTOR3(0, 4, 5));
}

// The object of a brush read from a document, made without a device: the
// brush's InitObject runs on the clone, buffers stay empty.
template <class Kind>
Kind& MadeClone(std::unique_ptr<DS_ABObj>& object, DS_AirBrush& brush)
{
    const std::vector<uint8_t> bytes = WrittenRecord(brush);
    MemoryArchive memory(bytes);
    auto item = ReadSceneItemAs<Kind>(memory);
    EXPECT_NE(item, nullptr);
    object.reset(item->CreateObject());
    return *static_cast<Kind*>(static_cast<DS_ParticlesObj*>(object.get())->Generator());
}

TEST(AirBrushObject, GlintsWithoutGrowOrShrinkTimeStayFullAndStill)
{
    auto bling = FilledBling();
    static_cast<DS_Bling&>(*bling).growTime.SetValue(0);
    static_cast<DS_Bling&>(*bling).shrinkTime.SetValue(0);
    std::unique_ptr<DS_ABObj> object;
    DS_Bling& clone = MadeClone<DS_Bling>(object, *bling);
    for (float t : {0.1f, 0.2f, 5.0f}) object->Update(t);
    for (const PParticle& p : clone.points) {
        EXPECT_EQ(p.ProcessCount(), 0u);
        EXPECT_EQ(p.channels[PParticle::kSize], 1.0f);
        EXPECT_EQ(clone.GlintSide(p), 64.0f);
    }
}

// Points read from a document get, in list order, what a painted point
// gets: two draws each (size, alpha) and a twinkle on the size.
TEST(AirBrushObject, StarsReadFromADocumentTwinkle)
{
    auto stars = FilledStars();
    DS_SRand(9);
    std::vector<float> draws;
    for (int i = 0; i < 4; ++i) draws.push_back(static_cast<float>(DS_Rand()) / kRandMax * 0.5f + 0.5f);
    DS_SRand(9);
    std::unique_ptr<DS_ABObj> object;
    DS_TwinklingStars& clone = MadeClone<DS_TwinklingStars>(object, *stars);
    ASSERT_EQ(clone.points.size(), 2u);
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_FLOAT_EQ(clone.points[k].channels[PParticle::kSize], draws[2 * k]) << k;
        EXPECT_FLOAT_EQ(clone.points[k].channels[PParticle::kAlpha], draws[2 * k + 1]) << k;
        ASSERT_EQ(clone.points[k].ProcessCount(), 1u);
        EXPECT_NE(dynamic_cast<const PTwinkle*>(clone.points[k].Process(0)), nullptr);
    }
}

}  // namespace
