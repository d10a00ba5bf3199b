// Records of the frame-sequence animations: round trips of every kind, the
// order of each kind's own fields and of its levels, every cut, and damaged
// path points (bad counts, values that are not numbers).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <typeinfo>

#include "engine/archive/IOF_Item.h"
#include "objects/particles/BrownAnimation.h"
#include "objects/particles/PathAnimtion.h"
#include "objects/particles/StaticAnimation.h"
#include "unit/brushes/BrushRecords.h"

namespace {

void FillTextured(DS_TexParticleGenerator& item)
{
    item.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(FileLinkValue{L"frames", 31})));
    item.color.StoreValue(0x00C0F0FF);
    item.color.transparency.SetValue(20);
    item.blendMode.SetValue(0);
    item.mirrorU.SetValue(1);
    item.SetName(L"animation");
}

std::unique_ptr<DS_TexParticleGenerator> FilledStatic()
{
    auto still = std::make_unique<DS_StaticAnimation>();
    FillTextured(*still);
    still->playSpeed.SetValue(150);
    still->direction.SetValue(1);
    still->rectangle.SetRect(D3DXVECTOR3(100, 100, 0), 50, 40);
    still->origin.SetValue(D3DXVECTOR3(5, 6, 0));
    return still;
}

std::unique_ptr<DS_TexParticleGenerator> FilledBrown()
{
    auto brown = std::make_unique<DS_BrownAnimation>();
    FillTextured(*brown);
    brown->spriteCount.SetValue(6);
    brown->spriteScale.SetValue(25);
    brown->wanderSpeed.SetValue(40);
    brown->wanderPeriod.SetValue(12);
    brown->steeringTime.SetValue(30);
    brown->rectangle.SetRect(D3DXVECTOR3(300, 200, 0), 200, 100);
    return brown;
}

std::unique_ptr<DS_TexParticleGenerator> FilledPath()
{
    auto path = std::make_unique<DS_PathAnimtion>();
    FillTextured(*path);
    path->travelSpeed.SetValue(50);
    path->spriteScale.SetValue(30);
    path->orientationMode.SetValue(1);
    path->flipV.SetValue(-1);
    path->flipU.SetValue(2);
    for (const D3DXVECTOR3& p : {D3DXVECTOR3(10, 20, 0), D3DXVECTOR3(300.5f, 40, 1), D3DXVECTOR3(50, 350, 0)})
        path->path.emplace_back(p);
    return path;
}

struct AnimationKind {
    const char* name;
    std::function<std::unique_ptr<DS_TexParticleGenerator>()> make;
    // The kind's own fields after its header, as 32-bit values.
    std::vector<uint32_t> own;
    // The level stored after them, and its version.
    const wchar_t* level;
    int32_t levelVersion;
};

std::vector<AnimationKind> Kinds()
{
    return {{"DS_StaticAnimation", FilledStatic, {150, 1}, L"DS_SingleRectGN", 2},
            {"DS_BrownAnimation", FilledBrown, {6, 25, 40, 12, 30}, L"DS_ParticleRctRgnGenerator", 1},
            {"DS_PathAnimtion", FilledPath, {50, 30, 1, 0xFFFFFFFFu, 2}, L"DS_PathGenerator", 1}};
}

TEST(FrameAnimationRecords, EveryKindReadsBackWhatItWroteInOrder)
{
    for (const AnimationKind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        auto item = kind.make();
        MemoryArchive memory;
        ASSERT_NE(ReadBackAlike(*item, memory), nullptr);

        MemoryArchive fields(memory.bytes);
        ds_string name;
        int32_t version = 0;
        fields.ReadString(name);
        fields.ReadInt(version);
        EXPECT_EQ(version, 1);
        for (uint32_t expected : kind.own) {
            uint32_t value = 0;
            fields.ReadUInt(value);
            EXPECT_EQ(value, expected);
        }
        fields.ReadString(name);
        fields.ReadInt(version);
        EXPECT_EQ(name, kind.level);
        EXPECT_EQ(version, kind.levelVersion);
    }
}

TEST(FrameAnimationRecords, ReadValuesReachTheDerivedOnes)
{
    MemoryArchive memory(WrittenRecord(*FilledBrown()));
    auto brown = ReadSceneItemAs<DS_BrownAnimation>(memory);
    ASSERT_NE(brown, nullptr);
    EXPECT_EQ(brown->spriteCount.GetValue(), 6u);
    EXPECT_FLOAT_EQ(brown->spriteScale.GetDerived(), 0.25f);
    EXPECT_FLOAT_EQ(brown->wanderSpeed.GetDerived(), 1.6f);
    EXPECT_FLOAT_EQ(brown->wanderPeriod.GetDerived(), 0.25f + 0.96f);
    EXPECT_FLOAT_EQ(brown->steeringTime.GetDerived(), 0.62f);
    EXPECT_EQ(brown->rectangle.Corner(3).GetValue(), D3DXVECTOR3(400, 250, 0));
    // The wander settings are the item's own.
    EXPECT_EQ(brown->steering.rect, &brown->rectangle);
    EXPECT_EQ(brown->steering.speed, &brown->wanderSpeed);

    MemoryArchive pathMemory(WrittenRecord(*FilledPath()));
    auto path = ReadSceneItemAs<DS_PathAnimtion>(pathMemory);
    ASSERT_NE(path, nullptr);
    EXPECT_FLOAT_EQ(path->travelSpeed.GetDerived(), 150.0f);
    EXPECT_FLOAT_EQ(path->spriteScale.GetDerived(), 0.3f);
    ASSERT_EQ(path->path.size(), 3u);
    EXPECT_EQ(path->path[1].point.GetValue(), D3DXVECTOR3(300.5f, 40, 1));
}

TEST(FrameAnimationRecords, TheStaticAnimationDrawsWithTheLibraryEffect)
{
    const FileLinkValue library{L"common_res.dll", 116};
    EXPECT_EQ(DS_StaticAnimation().effectLink.GetValue(), library);
    MemoryArchive memory(WrittenRecord(*FilledStatic()));
    auto still = ReadSceneItemAs<DS_StaticAnimation>(memory);
    ASSERT_NE(still, nullptr);
    EXPECT_EQ(still->effectLink.GetValue(), library);
    EXPECT_FLOAT_EQ(still->playSpeed.GetDerived(), 1.5f);
    EXPECT_EQ(still->direction.GetValue(), 1);
    EXPECT_EQ(still->rectangle.Corner(3).GetValue(), D3DXVECTOR3(125, 120, 0));
    EXPECT_EQ(still->origin.GetValue(), D3DXVECTOR3(5, 6, 0));
}

TEST(FrameAnimationRecords, EveryCutIsRefused)
{
    for (const AnimationKind& kind : Kinds()) {
        auto item = kind.make();
        ForEachTruncation(*item, 1, [&](MemoryArchive& memory, size_t cut) {
            EXPECT_EQ(ReadSceneItem(memory), nullptr) << kind.name << " cut " << cut;
        });
    }
}

// A path record whose point list is count and the raw floats.
std::vector<uint8_t> PathWithPoints(int32_t count, const std::vector<float>& floats)
{
    DS_PathAnimtion sprite;
    MemoryArchive memory;
    DS_IOF_Archive ar = memory.Handle();
    WriteRecordHeader(&ar, L"DS_PathAnimtion", 1);
    for (int i = 0; i < 5; ++i) memory.WriteUInt(0);
    WriteRecordHeader(&ar, L"DS_PathGenerator", 1);
    memory.WriteInt(count);
    for (float f : floats) memory.WriteFloat(f);
    sprite.DS_TexParticleGenerator::WriteBody(&ar);
    return memory.bytes;
}

TEST(FrameAnimationRecords, PathCountsTheDataCannotHoldAreRefused)
{
    for (int32_t count : {-1, std::numeric_limits<int32_t>::min(), 1000000, std::numeric_limits<int32_t>::max()}) {
        MemoryArchive memory(PathWithPoints(count, {1, 2, 0, 3, 4, 0}));
        EXPECT_EQ(ReadSceneItem(memory), nullptr) << count;
    }
    MemoryArchive memory(PathWithPoints(2, {1, 2, 0, 3, 4, 0}));
    EXPECT_NE(ReadSceneItem(memory), nullptr);
}

TEST(FrameAnimationRecords, PointsThatAreNotNumbersLeaveAPathNotTravelled)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    MemoryArchive memory(PathWithPoints(3, {0, 0, 0, nan, 5, 0, 10, 10, 0}));
    auto sprite = ReadSceneItemAs<DS_PathAnimtion>(memory);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    sprite->InitObject(nullptr);
    EXPECT_FALSE(sprite->PathUsable());
    sprite->Advance(5.0f);
    EXPECT_EQ(sprite->currentPosition, D3DXVECTOR3(0, 0, 0));
}

}  // namespace
