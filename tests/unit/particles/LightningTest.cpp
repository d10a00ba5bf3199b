// The lightning bolt without a device: its records, the bolt it builds
// (shape, node counts, branches, quads and their limits), and the brightness
// its time line gives the nodes.
#include "objects/particles/LightningGN.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <typeinfo>
#include <vector>

#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/ParticlesObj.h"
#include "unit/brushes/BrushRecords.h"

namespace {

// A bolt from (100, 100) to (400, 100) with a core and a glow width.
void SetUpBolt(DS_LightningGN& bolt, unsigned passes)
{
    bolt.startPoint.SetValue(D3DXVECTOR3(100.0f, 100.0f, 0.0f));
    bolt.endPoint.SetValue(D3DXVECTOR3(400.0f, 100.0f, 0.0f));
    bolt.coreWidth.SetValue(4);
    bolt.glowWidth.SetValue(16);
    bolt.subdivisions.SetValue(passes);
    bolt.displacement.SetValue(50);
    bolt.seed.SetValue(77);
    bolt.branchLength.SetValue(40);
    bolt.branchAngle.SetValue(30);
}

std::unique_ptr<DS_LightningGN> FilledBolt()
{
    auto bolt = std::make_unique<DS_LightningGN>();
    SetUpBolt(*bolt, 5);
    bolt->taper.SetValue(60);
    bolt->level1Branches.SetValue(3);
    bolt->level2Branches.SetValue(2);
    bolt->level3Branches.SetValue(1);
    bolt->flicker.SetValue(25);
    bolt->random.SetValue(-3);
    bolt->imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(FileLinkValue{L"bolt.png", 41})));
    bolt->effectLink.StoreValue(FileLinkValue{L"particles.fxo", 42});
    bolt->color.StoreValue(0x00FFE0C0);
    bolt->glowColor.StoreValue(0x00FF8040);
    bolt->SetName(L"bolt");
    return bolt;
}

// Nodes of a polyline's first branch found walking it (null when none).
const std::vector<BoltNode>* FirstBranch(const std::vector<BoltNode>& polyline)
{
    for (const BoltNode& node : polyline) {
        if (!node.children.empty()) return &node.children;
    }
    return nullptr;
}

bool QuadsAreFinite(const std::vector<DS_LightningGN::BoltQuad>& quads)
{
    for (const auto& q : quads) {
        for (const DX_V::PCT& v : q.quad.v) {
            if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.u) || !std::isfinite(v.v)) return false;
        }
    }
    return true;
}

// A cycling time line whose fade-in of 1 s starts at application time 10.
void StartFadeIn(DS_LightningGN& bolt)
{
    DS_TimeLineControl& line = bolt.TimeLine();
    line.mode = DS_TimeLineControl::kCycle;
    line.fadeIn = 100;
    line.AdvanceLocalTime(10.0f);
    ASSERT_EQ(line.GetPhase(), DS_TimeLineControl::kFadingIn);
}

}  // namespace

TEST(LightningRecords, RoundTripReadsEveryFieldInOrderAndRefusesEveryCut)
{
    auto bolt = FilledBolt();
    MemoryArchive memory(WrittenRecord(*bolt));
    auto item = ReadSceneItemAs<DS_LightningGN>(memory);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_EQ(WrittenRecord(*item), memory.bytes);
    EXPECT_FLOAT_EQ(item->displacement.GetDerived(), 0.2f);
    EXPECT_FLOAT_EQ(item->taper.GetDerived(), 0.4f);
    EXPECT_FLOAT_EQ(item->branchAngle.GetDerived(), 30 * 0.015707964f);
    EXPECT_EQ(item->endPoint.GetValue(), D3DXVECTOR3(400.0f, 100.0f, 0.0f));
    EXPECT_EQ(item->random.GetValue(), -3);
    EXPECT_EQ(item->TimeLine().mode, DS_TimeLineControl::kAlwaysVisible);

    // The kind's fields, then the string level's header and points.
    MemoryArchive fields(memory.bytes);
    ds_string name;
    int32_t version = 0;
    fields.ReadString(name);
    fields.ReadInt(version);
    EXPECT_EQ(version, 2);
    std::vector<uint32_t> own(13);
    for (uint32_t& v : own) fields.ReadUInt(v);
    EXPECT_EQ(own, (std::vector<uint32_t>{4, 5, 50, 77, 40, 30, 60, 3, 2, 1, 25, 16, static_cast<uint32_t>(-3)}));
    fields.ReadString(name);
    fields.ReadInt(version);
    EXPECT_EQ(name, L"DS_StringGenerator");
    EXPECT_EQ(version, 1);
    float xyz[6] = {};
    for (float& f : xyz) fields.ReadFloat(f);
    EXPECT_EQ(std::vector<float>(xyz, xyz + 6), (std::vector<float>{100, 100, 0, 400, 100, 0}));

    ForEachTruncation(*bolt, 3, [&](MemoryArchive& cut, size_t at) {
        EXPECT_EQ(ReadSceneItem(cut), nullptr) << "cut " << at;
    });
}

TEST(LightningRecords, VersionOneMovesItsOldDurationsIntoTheTimeLine)
{
    auto bolt = FilledBolt();
    MemoryArchive memory;
    DS_IOF_Archive ar = memory.Handle();
    WriteRecordHeader(&ar, L"DS_LightningGN", 1);
    for (uint32_t v : {4u, 5u, 50u, 77u, 40u, 30u, 60u, 3u, 2u, 1u}) memory.WriteUInt(v);
    for (uint32_t ms : {1000u, 2000u, 5000u, 300u, 700u, 11u, 12u}) memory.WriteUInt(ms);
    for (uint32_t v : {25u, 16u}) memory.WriteUInt(v);
    memory.WriteInt32(0);
    bolt->WriteBody(&ar);
    auto item = ReadSceneItemAs<DS_LightningGN>(memory);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    const DS_TimeLineControl& line = item->TimeLine();
    EXPECT_EQ(line.fadeIn, 100u);
    EXPECT_EQ(line.fadeOut, 200u);
    EXPECT_EQ(line.visible.minimum.GetValue(), 500u);
    EXPECT_EQ(line.visible.maximum.GetValue(), 500u);
    EXPECT_EQ(line.invisible.minimum.GetValue(), 30u);
    EXPECT_EQ(line.invisible.maximum.GetValue(), 70u);
    EXPECT_EQ(line.mode, DS_TimeLineControl::kCycle);
    EXPECT_EQ(item->flicker.GetValue(), 25u);
    EXPECT_EQ(item->glowWidth.GetValue(), 16u);
}

TEST(LightningBolt, NodeAndQuadCountsFollowThePasses)
{
    struct Case {
        unsigned passes;
        size_t nodes;
        size_t coreQuads;  // segments, a start piece and (from two segments) an end piece
        size_t glowQuads;
    };
    for (const Case& c : {Case{0, 2, 2, 1}, Case{1, 4, 5, 3}, Case{3, 16, 17, 15}}) {
        DS_LightningGN bolt;
        SetUpBolt(bolt, c.passes);
        bolt.Generate();
        EXPECT_EQ(bolt.Bolt().size(), c.nodes) << c.passes;
        EXPECT_EQ(bolt.CoreQuads().size(), c.coreQuads) << c.passes;
        EXPECT_EQ(bolt.GlowQuads().size(), c.glowQuads) << c.passes;
        EXPECT_EQ(bolt.Bolt().front().position, D3DXVECTOR3(100.0f, 100.0f, 0.0f));
    }
    // No passes: the bolt ends at 0.67 of the way, short of the end point.
    DS_LightningGN straight;
    SetUpBolt(straight, 0);
    straight.Generate();
    EXPECT_NEAR(straight.Bolt().back().position.x, 100.0f + 0.67f * 300.0f, 1e-3f);
    EXPECT_EQ(straight.Bolt().back().position.y, 100.0f);
}

TEST(LightningBolt, NodesTaperAndDimTowardTheEnd)
{
    DS_LightningGN bolt;
    SetUpBolt(bolt, 3);
    bolt.taper.SetValue(100);  // the end node is 0 wide
    bolt.Generate();
    const std::vector<BoltNode>& nodes = bolt.Bolt();
    ASSERT_EQ(nodes.size(), 16u);
    EXPECT_EQ(nodes.back().width, 0.0f);
    EXPECT_FLOAT_EQ(nodes[14].width, 1.0f / 16.0f);
    EXPECT_FLOAT_EQ(nodes.front().width, 15.0f / 16.0f);
    EXPECT_EQ(nodes.back().brightness, 0.0f);
    EXPECT_EQ(nodes.front().brightness, 1.0f);
    EXPECT_FLOAT_EQ(nodes[5].brightness, 10.0f / 15.0f);
    // Where the width is 0 the texture length is 0, not a division by zero.
    EXPECT_TRUE(QuadsAreFinite(bolt.CoreQuads()));
    EXPECT_TRUE(QuadsAreFinite(bolt.GlowQuads()));
}

TEST(LightningBolt, DisplacementZeroIsStraight)
{
    DS_LightningGN bolt;
    SetUpBolt(bolt, 4);
    bolt.displacement.SetValue(0);
    bolt.Generate();
    for (const BoltNode& node : bolt.Bolt()) EXPECT_EQ(node.position.y, 100.0f);
}

TEST(LightningBolt, RandomZeroRepeatsTheBoltAndAnyOtherValueDoesNot)
{
    for (int random : {0, 1}) {
        DS_LightningGN bolt;
        SetUpBolt(bolt, 4);
        bolt.level1Branches.SetValue(2);
        bolt.random.SetValue(random);
        DS_SRand(5);
        bolt.Generate();
        std::vector<D3DXVECTOR3> first;
        for (const BoltNode& node : bolt.Bolt()) first.push_back(node.position);
        bolt.Generate();
        std::vector<D3DXVECTOR3> second;
        for (const BoltNode& node : bolt.Bolt()) second.push_back(node.position);
        EXPECT_EQ(first == second, random == 0) << random;
    }
}

TEST(LightningBolt, BranchesFollowTheirPlan)
{
    // Level-1 branches run one pass fewer than the main bolt, level-3 ones
    // none; without level-1 branches the others are not built at all.
    struct Case {
        unsigned n1, n2, n3;
        bool branched;
    };
    for (const Case& c : {Case{0, 5, 5, false}, Case{1, 1, 1, true}}) {
        DS_LightningGN bolt;
        SetUpBolt(bolt, 3);
        bolt.level1Branches.SetValue(c.n1);
        bolt.level2Branches.SetValue(c.n2);
        bolt.level3Branches.SetValue(c.n3);
        bolt.Generate();
        const std::vector<BoltNode>* level1 = FirstBranch(bolt.Bolt());
        ASSERT_EQ(level1 != nullptr, c.branched) << c.n1;
        if (!level1) {
            EXPECT_EQ(BoltNode::CountSegments(bolt.Bolt()), 15u);
            continue;
        }
        EXPECT_EQ(level1->size(), 8u);  // 2 passes
        const std::vector<BoltNode>* level2 = FirstBranch(*level1);
        ASSERT_NE(level2, nullptr);
        EXPECT_EQ(level2->size(), 4u);  // 1 pass
        const std::vector<BoltNode>* level3 = FirstBranch(*level2);
        ASSERT_NE(level3, nullptr);
        EXPECT_EQ(level3->size(), 2u);  // none
        EXPECT_EQ(BoltNode::CountNodes(bolt.Bolt()), 8u);
        EXPECT_EQ(BoltNode::CountSegments(bolt.Bolt()), 15u + 7u + 3u + 1u);
        // A branch starts at its node, narrower and no brighter.
        for (const BoltNode& node : bolt.Bolt()) {
            if (node.children.empty()) continue;
            EXPECT_EQ(node.children.front().position, node.position);
            EXPECT_FLOAT_EQ(node.children.front().brightness, node.brightness);
        }
        // Every segment gets its quads; single-segment branches no end piece.
        EXPECT_EQ(bolt.GlowQuads().size(), 26u);
        EXPECT_EQ(bolt.CoreQuads().size(), 26u + 4u + 3u);
    }
}

TEST(LightningBolt, HugeSettingsStayWithinOneBuffer)
{
    DS_LightningGN bolt;
    SetUpBolt(bolt, 30);
    for (auto* count : {&bolt.level1Branches, &bolt.level2Branches, &bolt.level3Branches})
        count->SetValue(4000000000u);
    EXPECT_EQ(bolt.Subdivisions(), 12u);
    EXPECT_EQ(bolt.BranchCount(2), 256u);
    bolt.Generate();
    EXPECT_EQ(bolt.Bolt().size(), 8192u);
    EXPECT_LE(bolt.CoreQuads().size(), size_t{DS_ParticlesObj::QuadMesh::kMaxQuads});
    // The budget is filled with branches, not left empty.
    EXPECT_GT(bolt.CoreQuads().size(), size_t{12000});
    EXPECT_NE(FirstBranch(bolt.Bolt()), nullptr);
}

TEST(LightningBolt, CoincidingEndPointsGrowNoBranchAndNoQuad)
{
    DS_LightningGN bolt;
    SetUpBolt(bolt, 3);
    bolt.endPoint.SetValue(bolt.startPoint.GetValue());
    bolt.level1Branches.SetValue(3);
    bolt.Generate();
    EXPECT_EQ(bolt.Bolt().size(), 16u);
    EXPECT_EQ(FirstBranch(bolt.Bolt()), nullptr);
    EXPECT_TRUE(bolt.CoreQuads().empty());
    EXPECT_TRUE(bolt.GlowQuads().empty());
}

TEST(LightningBrightness, FollowsThePhase)
{
    DS_LightningGN bolt;
    bolt.flicker.SetValue(0);
    // Always visible without flicker: full light.
    EXPECT_EQ(bolt.Brightness(0.0f), 1.0f);
    bolt.lastTime = 3.7f;
    EXPECT_EQ(bolt.Brightness(0.5f), 1.0f);
    // Flicker dims by the noise, never above full light.
    bolt.flicker.SetValue(100);
    const float flickered = bolt.Brightness(0.5f);
    EXPECT_LE(flickered, 1.0f);
    EXPECT_GE(flickered, -1.0f);

    StartFadeIn(bolt);
    bolt.TimeLine().AdvanceLocalTime(10.5f);
    ASSERT_NEAR(bolt.TimeLine().GetAlpha(), 0.5f, 1e-5f);
    EXPECT_EQ(bolt.Brightness(0.6f), 1.0f);
    EXPECT_NEAR(bolt.Brightness(0.3f), 0.402f, 1e-5f);
    EXPECT_LE(bolt.Brightness(0.0f), 0.0f);  // the end node is dark
}

TEST(LightningBolt, UpdateBuildsANewBoltAtEachFadeInAndRestartRewinds)
{
    DS_LightningGN bolt;
    SetUpBolt(bolt, 2);
    bolt.random.SetValue(1);
    DS_TimeLineControl& line = bolt.TimeLine();
    line.mode = DS_TimeLineControl::kCycle;
    ASSERT_EQ(line.GetPhase(), DS_TimeLineControl::kInvisible);
    bolt.Update(0.0f, nullptr);
    EXPECT_FALSE(bolt.built);
    EXPECT_TRUE(bolt.Bolt().empty());
    StartFadeIn(bolt);
    bolt.Update(10.0f, nullptr);
    EXPECT_TRUE(bolt.built);
    const D3DXVECTOR3 middle = bolt.Bolt()[3].position;
    line.AdvanceLocalTime(10.3f);
    bolt.Update(10.3f, nullptr);
    EXPECT_EQ(bolt.Bolt()[3].position, middle);  // the bolt holds while shown
    EXPECT_EQ(bolt.lastTime, 10.3f);
    bolt.Restart();
    EXPECT_EQ(bolt.lastTime, 0.0f);
    EXPECT_EQ(line.GetPhase(), DS_TimeLineControl::kInvisible);
}
