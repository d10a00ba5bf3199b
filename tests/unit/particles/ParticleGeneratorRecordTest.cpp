// Records of the two generator levels: round trip, the older versions and
// bad input (counts, cuts, non-finite points).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/archive/IOF_Item.h"
#include "unit/particles/ParticleTestSupport.h"

namespace {

TestParticleKind FilledKind()
{
    TestParticleKind item;
    item.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(FileLinkValue{L"glint.png", 11})));
    item.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(FileLinkValue{L"glow.png", 12})));
    item.effectLink.StoreValue(FileLinkValue{L"particles.fx", 13});
    item.color.StoreValue(0x00123456);
    item.color.transparency.SetValue(10);
    item.glowColor.StoreValue(0x00654321);
    item.glowColor.transparency.SetValue(50);
    item.blendMode.SetValue(2);
    item.mirrorV.SetValue(1);
    item.mirrorU.SetValue(3);
    item.particles.emplace_back(1.0f, 2.0f, 3.0f);
    item.particles.emplace_back(-4.0f, 5.5f, 0.0f);
    item.trailLife.SetValue(7);
    item.trailRate.SetValue(8);
    item.trailSize.SetValue(9);
    item.trailSpeed.SetValue(10);
    item.trailsOn.SetValue(1);
    item.SetName(L"sparkles");
    return item;
}

// The base levels of a record: "DS_ABObj_Constructor" record of a fresh item.
std::vector<uint8_t> ConstructorRecord()
{
    TestParticleKind plain;
    MemoryArchive memory;
    DS_IOF_Archive ar = memory.Handle();
    plain.DS_ABObj_Constructor::WriteBody(&ar);
    return memory.bytes;
}

// A textured record of the given versions written field by field, with two
// stored particles when the particle level has them.
std::vector<uint8_t> OldRecord(int32_t texVersion, int32_t particleVersion, int32_t count = 2)
{
    MemoryArchive m;
    DS_IOF_Archive ar = m.Handle();
    WriteRecordHeader(&ar, L"DS_TexParticleGenerator", texVersion);
    m.WriteInt(1);
    m.WriteString(L"glint.png");
    m.WriteInt64(11);
    m.WriteString(L"particles.fx");
    m.WriteInt64(13);
    m.WriteInt(0x00123456);
    m.WriteUInt(10);
    m.WriteInt(0x00654321);
    m.WriteUInt(50);
    m.WriteInt32(1);
    if (texVersion >= 2) {
        m.WriteInt32(1);
        m.WriteInt32(1);
    }
    WriteRecordHeader(&ar, L"DS_ParticleGenerator", particleVersion);
    if (particleVersion >= 2) {
        m.WriteInt(count);
        for (int i = 0; i < 2; ++i) {
            m.WriteFloat(10.0f * (i + 1));
            m.WriteFloat(20.0f);
            m.WriteFloat(0.0f);
        }
    }
    if (particleVersion >= 3) {
        for (unsigned v : {1u, 2u, 3u, 4u}) m.WriteUInt(v);
        m.WriteInt32(1);
    }
    const std::vector<uint8_t> tail = ConstructorRecord();
    m.bytes.insert(m.bytes.end(), tail.begin(), tail.end());
    return m.bytes;
}

}  // namespace

TEST(ParticleGeneratorRecord, RoundTripKeepsEveryField)
{
    TestParticleKind item = FilledKind();
    const std::vector<uint8_t> bytes = WrittenRecord(item);
    TestParticleKind read;
    size_t left = 1;
    ASSERT_TRUE(ReadTexRecord(bytes, read, &left));
    EXPECT_EQ(left, 0u);
    EXPECT_EQ(WrittenRecord(read), bytes);
    ASSERT_EQ(read.imageLinks.size(), 2u);
    EXPECT_EQ(read.imageLinks[1].GetPath(), L"glow.png");
    EXPECT_EQ(read.effectLink.GetStamp(), 13);
    EXPECT_EQ(read.color.GetValue(), 0x00123456ul);
    EXPECT_EQ(read.color.GetAlpha(), 229);
    EXPECT_EQ(read.glowColor.GetAlpha(), 127);
    EXPECT_EQ(read.blendMode.GetValue(), 2);
    EXPECT_EQ(read.mirrorV.GetValue(), 1);
    EXPECT_EQ(read.mirrorU.GetValue(), 3);
    ASSERT_EQ(read.particles.size(), 2u);
    EXPECT_EQ(read.particles[1].position, D3DXVECTOR3(-4.0f, 5.5f, 0.0f));
    EXPECT_EQ(read.particles[1].startPosition, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(read.particles[1].ProcessCount(), 0u);
    EXPECT_FLOAT_EQ(read.trailLife.GetDerived(), 7.0f);
    EXPECT_EQ(read.trailsOn.GetValue(), 1);
    EXPECT_EQ(read.Name(), L"sparkles");
    EXPECT_NE(memcmp(&read.resourceKey.guid, &item.resourceKey.guid, sizeof(GUID)), 0);  // not stored
}

TEST(ParticleGeneratorRecord, OlderVersionsGetTheirDefaults)
{
    const struct {
        int32_t tex, particle;
        size_t particles;
        unsigned trailLife, trailRate;
        int32_t trailsOn, mirror;
    } cases[] = {
        {2, 3, 2, 1, 2, 1, 1},   {2, 2, 2, 20, 30, 0, 1},  // list stored, trail defaults
        {2, 1, 0, 20, 30, 0, 1},                           // neither list nor trail fields
        {1, 3, 2, 1, 2, 1, 0},                             // no mirror flags
        {1, 1, 0, 20, 30, 0, 0},
    };
    for (const auto& c : cases) {
        TestParticleKind read;
        read.trailSize.SetValue(5);
        read.trailSpeed.SetValue(6);
        read.mirrorU.SetValue(4);
        size_t left = 1;
        ASSERT_TRUE(ReadTexRecord(OldRecord(c.tex, c.particle), read, &left)) << c.tex << "/" << c.particle;
        EXPECT_EQ(left, 0u);
        EXPECT_EQ(read.particles.size(), c.particles);
        EXPECT_EQ(read.trailLife.GetValue(), c.trailLife);
        EXPECT_EQ(read.trailRate.GetValue(), c.trailRate);
        EXPECT_FLOAT_EQ(read.trailRate.GetDerived(), static_cast<float>(c.trailRate));
        EXPECT_EQ(read.trailsOn.GetValue(), c.trailsOn);
        EXPECT_EQ(read.mirrorU.GetValue(), c.mirror);
        EXPECT_EQ(read.mirrorV.GetValue(), c.mirror);
        if (c.particle < 3) {
            EXPECT_EQ(read.trailSize.GetValue(), 0u);
            EXPECT_EQ(read.trailSpeed.GetValue(), 0u);
        }
        EXPECT_EQ(read.blendMode.GetValue(), 1);
        EXPECT_EQ(read.color.GetAlpha(), 229);
    }
}

TEST(ParticleGeneratorRecord, BadCountsAreRefused)
{
    for (int32_t count : {-1, std::numeric_limits<int32_t>::min(), 3, 0x10000000}) {
        TestParticleKind read;
        // Nothing is allocated from the count: a large one fails at the
        // first point the record does not hold.
        EXPECT_FALSE(ReadTexRecord(OldRecord(2, 3, count), read)) << count;
    }
    // A link count larger than the data: the count follows the header.
    std::vector<uint8_t> bytes = OldRecord(2, 3);
    MemoryArchive probe;
    DS_IOF_Archive ar = probe.Handle();
    WriteRecordHeader(&ar, L"DS_TexParticleGenerator", 2);
    bytes[probe.bytes.size() + 3] = 0x40;  // count 0x40000001
    TestParticleKind read;
    EXPECT_FALSE(ReadTexRecord(bytes, read));
}

TEST(ParticleGeneratorRecord, EveryCutFails)
{
    TestParticleKind item = FilledKind();
    const std::vector<uint8_t> bytes = WrittenRecord(item);
    for (size_t cut = 1; cut < bytes.size(); ++cut) {
        TestParticleKind read;
        EXPECT_FALSE(ReadTexRecord(std::vector<uint8_t>(bytes.begin(), bytes.end() - cut), read)) << cut;
    }
}

TEST(ParticleGeneratorRecord, StoredPointsAreCheckedAndCapped)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    MemoryArchive m;
    m.WriteInt(3);
    for (float v : {1.0f, nan, 2.0f, inf, -inf, 3.0f, 4.0f, 5.0f, 6.0f}) m.WriteFloat(v);
    DS_IOF_Archive ar = m.Handle();
    std::vector<PParticle> list;
    ASSERT_TRUE(ReadPParticleList(&ar, list));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].position, D3DXVECTOR3(1.0f, 0.0f, 2.0f));
    EXPECT_EQ(list[1].position, D3DXVECTOR3(0.0f, 0.0f, 3.0f));

    // Points past the buffer limit are read (the record stays in step) and dropped.
    MemoryArchive big;
    const int32_t stored = static_cast<int32_t>(kMaxParticles) + 5;
    big.WriteInt(stored);
    for (int32_t i = 0; i < 3 * stored; ++i) big.WriteFloat(1.0f);
    big.WriteInt(77);
    DS_IOF_Archive bigAr = big.Handle();
    std::vector<PParticle> capped;
    ASSERT_TRUE(ReadPParticleList(&bigAr, capped));
    EXPECT_EQ(capped.size(), kMaxParticles);
    int32_t next = 0;
    big.ReadInt(next);
    EXPECT_EQ(next, 77);
}
