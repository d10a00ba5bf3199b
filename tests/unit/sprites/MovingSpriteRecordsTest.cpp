// The moving sprite kinds' records: each read back through the scene-item
// registry writes the same bytes again, older versions convert, a record
// cut anywhere is refused, and stored values no rule can use read safely.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <typeinfo>

#include "engine/archive/IOF_Item.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/FishConstructor.h"
#include "objects/sprites/FlowConstructor.h"
#include "objects/sprites/FogConstructor.h"
#include "unit/brushes/BrushRecords.h"
#include "unit/sprites/SpriteTestSupport.h"

namespace {

// A flow with every field away from its default.
void ChangeFlow(DS_FlowConstructor& flow)
{
    flow.direction.SetValue(135);
    flow.sideSpeed.SetValue(7);
    flow.sideChangeRate.SetValue(3);
    flow.flowSpeed = 321.5f;
    flow.orientation.SetValue(DS_FlowConstructor::kMirrorByVy);
    for (size_t side = 0; side < 4; ++side) {
        flow.bounds[side].mode.SetValue(static_cast<int>(side % 3));
        flow.bounds[side].fadeOutTime.SetValue(100 + static_cast<unsigned>(side));
        flow.bounds[side].fadeInTime.SetValue(200 + static_cast<unsigned>(side));
        flow.bounds[side].minPause.SetValue(300);
        flow.bounds[side].maxPause.SetValue(400 + static_cast<unsigned>(side));
    }
}

// The sprite level changed too, so its record is seen through the kind's.
void ChangeSpriteLevel(DS_ParticleSystemCtrl& item)
{
    item.count.SetValue(12);
    item.size.SetValue(48);
    item.pulseSpeed = 0.75f;
    item.normLeft = 0.25f;
}

// A version-v flow record written field by field: the fields up to the
// speed, then extra (the flag or the mode), the edge controls from version
// 4, then the sprite level of item.
std::vector<uint8_t> OldFlowRecord(int32_t version, const std::function<void(DS_IOF_Archive*)>& extra,
                                   const DS_FlowConstructor& item)
{
    MemoryArchive memory;
    DS_IOF_Archive ar = memory.Handle();
    WriteRecordHeader(&ar, DS_FlowConstructor::kClassName, version);
    memory.WriteUInt(90);
    memory.WriteUInt(5);
    memory.WriteUInt(2);
    memory.WriteFloat(250.0f);
    extra(&ar);
    item.DS_BaseSpriteProp::WriteBody(&ar);
    return memory.bytes;
}

}  // namespace

TEST(MovingSpriteRecords, EachKindReadsBackToTheSameBytes)
{
    struct Row {
        const char* kind;
        std::function<std::unique_ptr<DS_ParticleSystemCtrl>()> make;
    };
    const Row rows[] = {
        {"fish",
         [] {
             auto fish = std::make_unique<DS_FishConstructor>();
             fish->maxSpeedX = 12.5f;
             fish->maxSpeedY = -3.0f;
             return fish;
         }},
        {"bird",
         [] {
             auto bird = std::make_unique<DS_BirdConstructor>();
             bird->maxSpeedX = 99.0f;
             return bird;
         }},
        {"ghost", [] { return std::make_unique<DS_GhostConstructor>(); }},
        {"fog",
         [] {
             auto fog = std::make_unique<DS_FogConstructor>();
             fog->maxSpeedY = 7.0f;
             return fog;
         }},
        {"flow",
         [] {
             auto flow = std::make_unique<DS_FlowConstructor>();
             ChangeFlow(*flow);
             return flow;
         }},
        {"rain",
         [] {
             auto rain = std::make_unique<DS_RainConstructor>();
             ChangeFlow(*rain);
             return rain;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        std::unique_ptr<DS_ParticleSystemCtrl> item = row.make();
        ChangeSpriteLevel(*item);
        MemoryArchive memory;
        std::unique_ptr<DS_ABObj_Constructor> read = ReadBackAlike(*item, memory);
        ASSERT_TRUE(read);
        EXPECT_EQ(static_cast<DS_ParticleSystemCtrl&>(*read).count.GetValue(), 12u);
        // Cut anywhere: refused.
        ForEachTruncation(*item, 1,
                          [](MemoryArchive& cut, size_t at) { EXPECT_FALSE(ReadSceneItem(cut)) << "cut by " << at; });
    }
}

// Inner kinds hold complete records of the level they build on.
TEST(MovingSpriteRecords, InnerKindsHoldCompleteRecords)
{
    DS_RainConstructor rain;
    const std::vector<uint8_t> bytes = WrittenRecord(rain);
    MemoryArchive memory(bytes);
    ds_string name;
    int32_t version = 0;
    memory.ReadString(name);
    memory.ReadInt(version);
    EXPECT_EQ(name, ds_string(L"DS_RainConstructor"));
    EXPECT_EQ(version, 1);
    memory.ReadString(name);
    memory.ReadInt(version);
    EXPECT_EQ(name, ds_string(L"DS_FlowConstructor"));
    EXPECT_EQ(version, 4);

    DS_GhostConstructor ghost;
    MemoryArchive ghostRecord(WrittenRecord(ghost));
    ghostRecord.ReadString(name);
    ghostRecord.ReadInt(version);
    ghostRecord.ReadString(name);
    EXPECT_EQ(name, ds_string(L"DS_FishConstructor"));
}

// Reading the direction does not notify: the read item keeps the vectors
// its constructor made, the clone the runtime object uses computes them.
TEST(MovingSpriteRecords, FlowVectorsAreComputedInTheClone)
{
    DS_FlowConstructor flow;
    flow.flowSpeed = 100.0f;
    flow.direction.SetValue(90);
    MemoryArchive memory(WrittenRecord(flow));
    std::unique_ptr<DS_FlowConstructor> read = ReadSceneItemAs<DS_FlowConstructor>(memory);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->direction.GetValue(), 90u);
    EXPECT_EQ(read->FlowVector(), D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f));
    std::unique_ptr<DS_ParticleSystemCtrl> clone(read->Clone());
    EXPECT_NEAR(static_cast<DS_FlowConstructor&>(*clone).FlowVector().y, -100.0f, 1e-3f);
    EXPECT_EQ(static_cast<DS_FlowConstructor&>(*clone).bounds[2].BoundItem(), clone.get());
}

TEST(MovingSpriteRecords, OlderFlowVersionsConvert)
{
    DS_FlowConstructor base;
    base.count.SetValue(3);
    const auto none = [](DS_IOF_Archive*) {};
    const struct {
        const char* what;
        int32_t version;
        std::function<void(DS_IOF_Archive*)> extra;
        int orientation;
    } cases[] = {
        {"version 1: upright, no edge controls", 1, none, DS_FlowConstructor::kUpright},
        {"version 2, flag 7: turned", 2, [](DS_IOF_Archive* ar) { ar->archive->WriteInt32(7); },
         DS_FlowConstructor::kTurned},
        {"version 2, flag 0: upright", 2, [](DS_IOF_Archive* ar) { ar->archive->WriteInt32(0); },
         DS_FlowConstructor::kUpright},
        {"version 3, mode 3", 3, [](DS_IOF_Archive* ar) { ar->archive->WriteInt32(3); },
         DS_FlowConstructor::kMirrorByVy},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryArchive memory(OldFlowRecord(c.version, c.extra, base));
        std::unique_ptr<DS_FlowConstructor> read = ReadSceneItemAs<DS_FlowConstructor>(memory);
        ASSERT_TRUE(read);
        EXPECT_EQ(memory.Remaining(), 0u);
        EXPECT_EQ(read->direction.GetValue(), 90u);
        EXPECT_EQ(read->sideSpeed.GetDerived(), 15.0f);
        EXPECT_EQ(read->sideChangeRate.GetDerived(), 0.5f);
        EXPECT_EQ(read->flowSpeed, 250.0f);
        EXPECT_EQ(read->orientation.GetValue(), c.orientation);
        EXPECT_EQ(read->count.GetValue(), 3u);
        for (const DS_BoundControl& bound : read->bounds) {
            EXPECT_EQ(bound.mode.GetValue(), DS_BoundControl::kWrap);
            EXPECT_EQ(bound.fadeOutTime.GetValue(), 0u);
            EXPECT_EQ(bound.BoundItem(), read.get());
        }
    }
}

TEST(MovingSpriteRecords, GhostVersionOneGetsACyclingTimeLine)
{
    DS_GhostConstructor ghost;
    MemoryArchive memory;
    DS_IOF_Archive ar = memory.Handle();
    WriteRecordHeader(&ar, DS_GhostConstructor::kClassName, 1);
    ghost.DS_FishConstructor::WriteBody(&ar);
    std::unique_ptr<DS_GhostConstructor> read = ReadSceneItemAs<DS_GhostConstructor>(memory);
    ASSERT_TRUE(read);
    const DS_TimeLineControl& timeLine = read->TimeLine();
    EXPECT_EQ(timeLine.mode, DS_TimeLineControl::kCycle);
    EXPECT_EQ(timeLine.invisible.minimum.GetValue(), 0u);
    EXPECT_EQ(timeLine.invisible.maximum.GetValue(), 0u);
    EXPECT_EQ(timeLine.visible.minimum.GetValue(), 0u);
    EXPECT_EQ(timeLine.visible.maximum.GetValue(), 0u);
    EXPECT_EQ(timeLine.FadeInSeconds(), 1.5f);
    EXPECT_EQ(timeLine.FadeOutSeconds(), 1.5f);
    // Version 2 keeps the time line it stores.
    MemoryArchive current(WrittenRecord(ghost));
    read = ReadSceneItemAs<DS_GhostConstructor>(current);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->TimeLine().mode, DS_TimeLineControl::kAlwaysVisible);
}

// NaN or infinite speeds read as 0: the sprites stand still on that axis
// rather than carrying NaN into every position. An edge mode no rule knows
// is kept and leaves the sprite alone.
TEST(MovingSpriteRecords, ValuesNoRuleCanUseReadSafely)
{
    PictureSize picture(800, 600);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    DS_FishConstructor fish;
    fish.maxSpeedX = nan;
    fish.maxSpeedY = -inf;
    MemoryArchive fishRecord(WrittenRecord(fish));
    std::unique_ptr<DS_FishConstructor> readFish = ReadSceneItemAs<DS_FishConstructor>(fishRecord);
    ASSERT_TRUE(readFish);
    EXPECT_EQ(readFish->maxSpeedX, 0.0f);
    EXPECT_EQ(readFish->maxSpeedY, 0.0f);

    DS_FogConstructor fog;
    fog.maxSpeedX = inf;
    MemoryArchive fogRecord(WrittenRecord(fog));
    std::unique_ptr<DS_FogConstructor> readFog = ReadSceneItemAs<DS_FogConstructor>(fogRecord);
    ASSERT_TRUE(readFog);
    EXPECT_EQ(readFog->maxSpeedX, 0.0f);

    DS_RainConstructor rain;
    rain.flowSpeed = nan;
    rain.bounds[SpriteInstance::kBottom].mode.SetValue(7);
    MemoryArchive rainRecord(WrittenRecord(rain));
    std::unique_ptr<DS_RainConstructor> readRain = ReadSceneItemAs<DS_RainConstructor>(rainRecord);
    ASSERT_TRUE(readRain);
    EXPECT_EQ(readRain->flowSpeed, 0.0f);
    EXPECT_EQ(readRain->bounds[SpriteInstance::kBottom].mode.GetValue(), 7);
    std::unique_ptr<DS_ParticleSystemCtrl> clone(readRain->Clone());
    SpriteInstance sprite;
    sprite.position = D3DXVECTOR3(400.0f, 650.0f, 0.0f);  // below the bottom bound
    sprite.direction = D3DXVECTOR3(1.0f, 1.0f, 0.0f);
    clone->UpdateSprite(sprite);
    EXPECT_EQ(sprite.capturedSide, SpriteInstance::kNoSide);
    EXPECT_EQ(sprite.position, D3DXVECTOR3(400.0f, 650.0f, 0.0f));
}
