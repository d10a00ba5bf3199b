// Records of the move, cloud, expand, rotation, bend, waves and light
// brushes: each kind reads back what it wrote, stores its own fields in
// order, fails cleanly on every truncation; the move brush's version 1.
#include <gtest/gtest.h>

#include <cmath>
#include <typeinfo>

#include "unit/brushes/BrushKindHelpers.h"
#include "unit/brushes/BrushKinds.h"
#include "unit/brushes/BrushRecords.h"

namespace {

class BrushKindRecord : public ::testing::TestWithParam<BrushKind> {};

TEST_P(BrushKindRecord, ReadingBackGivesTheSameKindAndTheSameRecord)
{
    auto brush = GetParam().make();
    // Every field holds a distinct value, so a field read into the wrong
    // place writes a different record.
    MemoryArchive memory;
    EXPECT_NE(ReadBackAlike(*brush, memory), nullptr);
}

TEST_P(BrushKindRecord, OwnFieldsFollowTheHeaderInOrder)
{
    auto brush = GetParam().make();
    MemoryArchive memory;
    memory.bytes = WrittenRecord(*brush);
    ds_string name;
    int32_t version = 0;
    memory.ReadString(name);
    memory.ReadInt(version);
    EXPECT_EQ(name, GetParam().className);
    for (size_t i = 0; i < GetParam().leading.size(); ++i) {
        int32_t value = 0;
        memory.ReadInt32(value);
        EXPECT_EQ(value, GetParam().leading[i]) << "field " << i;
    }
}

TEST_P(BrushKindRecord, EveryTruncationFails)
{
    auto brush = GetParam().make();
    ForEachTruncation(*brush, 3, [](MemoryArchive& memory, size_t cut) {
        EXPECT_EQ(ReadSceneItem(memory), nullptr) << "cut " << cut;
    });
}

INSTANTIATE_TEST_SUITE_P(Kinds, BrushKindRecord, ::testing::ValuesIn(AllBrushKinds()), BrushKindName());

TEST(BrushKindRecordVersions, CurrentVersions)
{
    EXPECT_EQ(DS_MoveFX::kVersion, 2);
    for (int32_t version : {DS_CloudFX::kVersion, DS_ExpandFX::kVersion, DS_RotationFX::kVersion, DS_BendFX::kVersion,
                            DS_WavesFX::kVersion, DS_LightFX::kVersion, DS_LightFX_II::kVersion})
        EXPECT_EQ(version, 1);
}

// A version 1 move record holds the motion alone; the second amplitude
// then copies the first, so the swing is symmetric.
TEST(MoveRecord, VersionOneCopiesTheFirstAmplitudeIntoTheSecond)
{
    DS_MoveFX source;
    source.strength.SetValue(50);
    source.angle.SetValue(0);
    source.secondAmplitude.SetValue(3);  // not in a version 1 record
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    WriteRecordHeader(&out, L"DS_MoveFX", 1);
    out.archive->WriteInt32(0);
    source.DS_DirectionBased::WriteBody(&out);
    const auto read = ReadSceneItemAs<DS_MoveFX>(memory);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_EQ(read->secondAmplitude.GetValue(), 50u);
    EXPECT_FLOAT_EQ(read->secondAmplitude.GetScale(), 0.0002f);
    EXPECT_FLOAT_EQ(read->secondAmplitude.GetOffset(), 0.0f);
    EXPECT_NEAR(read->secondAmplitude.GetDerived(), 0.01f, 1e-7f);

    // The shift swings between -0.01 and +0.01 along the direction (1, 0).
    std::unique_ptr<DS_FX_Constructor> clone(read->Clone());
    auto& move = static_cast<DS_MoveFX&>(*clone);
    RunClockTo(move, 3.1415927f / 2.0f);
    EXPECT_NEAR(move.Shift()[0], -0.01f, 1e-5f);
    RunClockTo(move, 3.0f * 3.1415927f / 2.0f);
    EXPECT_NEAR(move.Shift()[0], 0.01f, 1e-5f);
    EXPECT_NEAR(move.Shift()[1], 0.0f, 1e-6f);
}

TEST(MoveRecord, VersionTwoReadsItsOwnSecondAmplitude)
{
    DS_MoveFX source;
    source.secondAmplitude.SetValue(3);
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    source.Write(&out);
    const auto read = ReadSceneItemAs<DS_MoveFX>(memory);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->secondAmplitude.GetValue(), 3u);
    EXPECT_EQ(read->strength.GetValue(), 50u);
}

}  // namespace
