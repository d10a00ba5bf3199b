// The brush base: brush clock, the shared record with its older versions,
// the shared effect parameters, the grid, and the runtime object.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/archive/ArchiveValues.h"
#include "engine/render/ViewMetrics.h"
#include "engine/scene/TimeLineControl.h"
#include "unit/brushes/BrushFixture.h"
#include "unit/brushes/BrushRecords.h"

namespace {

// ---- brush clock ----

struct ClockCase {
    const char* name;
    unsigned speedValue;
    float speedScale;
    std::vector<float> times;  // local times given to Update, in order
    float clock;               // the clock after the last one
};

class BrushClock : public ::testing::TestWithParam<ClockCase> {};

TEST_P(BrushClock, AdvancesByCappedStepsTimesSpeed)
{
    const ClockCase& c = GetParam();
    PlainBrush brush;
    brush.speed.SetScale(c.speedScale);
    brush.speed.SetValue(c.speedValue);
    for (float t : c.times) brush.Update(t);
    EXPECT_NEAR(brush.Clock(), c.clock, 1e-5f) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, BrushClock,
    ::testing::Values(ClockCase{"small steps count whole", 50, 0.02f, {0.05f, 0.1f, 0.15f}, 0.15f},
                      // A jump of 1 s counts 0.2 s x derived speed.
                      ClockCase{"a jump is capped", 50, 0.02f, {1.0f}, 0.2f},
                      ClockCase{"capped jump times speed 4 x 0.02", 4, 0.02f, {1.0f}, 0.2f * 0.08f},
                      ClockCase{"the radial wave's speed 50", 50, 1.0f, {0.1f}, 5.0f},
                      // Going back (a restart) adds nothing on that frame.
                      ClockCase{"going back adds nothing", 50, 0.02f, {0.1f, 0.05f}, 0.1f},
                      ClockCase{"after going back it runs on", 50, 0.02f, {0.1f, 0.0f, 0.1f}, 0.2f},
                      ClockCase{"speed 0 stands still", 0, 0.02f, {0.1f, 0.2f}, 0.0f}));

TEST(BrushClockCopy, CloneKeepsTheClock)
{
    PlainBrush brush;
    brush.speed.SetScale(0.02f);
    brush.speed.SetValue(50);
    brush.Update(0.1f);
    std::unique_ptr<DS_FX_Constructor> clone(brush.Clone());
    EXPECT_FLOAT_EQ(clone->Clock(), brush.Clock());
    clone->Update(0.2f);
    EXPECT_NEAR(clone->Clock(), 0.2f, 1e-6f);
}

// ---- record ----

// A base record of the given version with distinct values in every field
// the version holds.
void WriteOldRecord(MemoryArchive& memory, int32_t version, const GUID& guid)
{
    DS_IOF_Archive ar = memory.Handle();
    WriteRecordHeader(&ar, L"DS_FX_Constructor", version);
    memory.WriteUInt(7);   // speed
    memory.WriteInt32(1);  // full-screen flag
    WriteGuid(guid, &ar);
    memory.WriteString(L"mask");
    memory.WriteBool(false);
    memory.WriteString(L"fx.dll");
    memory.WriteInt64(103);
    const uint32_t stored = static_cast<uint32_t>(version);
    if (stored >= 2) memory.WriteUInt(100);  // scale
    if (stored >= 3) {
        for (int i = 0; i < 12; ++i) memory.WriteFloat(static_cast<float>(i + 1));
        memory.WriteInt32(-5);
    }
    PlainBrush owner;
    owner.SetName(L"old brush");
    owner.DS_ABObj_Constructor::WriteBody(&ar);
}

const GUID kGuid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};

struct VersionCase {
    int32_t version;
    unsigned scale;  // value read (or the default 50)
    float corner3z;  // z of the last corner (0 when not stored)
    int32_t extra;
};

class BrushRecordVersions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(BrushRecordVersions, OlderVersionsKeepTheDefaultsOfFieldsTheyLack)
{
    const VersionCase& c = GetParam();
    MemoryArchive memory;
    WriteOldRecord(memory, c.version, kGuid);
    DS_IOF_Archive ar = memory.Handle();
    PlainBrush brush;
    ASSERT_TRUE(brush.ReadBody(&ar));
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_EQ(brush.speed.GetValue(), 7u);
    EXPECT_EQ(brush.fullScreen.GetValue(), 1);
    EXPECT_EQ(std::memcmp(&brush.maskKey.guid, &kGuid, sizeof(GUID)), 0);
    EXPECT_EQ(brush.maskKey.name, L"mask");
    EXPECT_FALSE(brush.maskKey.flag);
    EXPECT_EQ(brush.effectLink.GetValue(), (FileLinkValue{L"fx.dll", 103}));
    EXPECT_EQ(brush.scale.GetValue(), c.scale);
    EXPECT_FLOAT_EQ(brush.scale.GetDerived(), 0.02f * static_cast<float>(c.scale));
    EXPECT_FLOAT_EQ(brush.quad.Corner(3).GetValue().z, c.corner3z);
    EXPECT_EQ(brush.extraInt.GetValue(), c.extra);
    EXPECT_EQ(brush.Name(), L"old brush");
}

INSTANTIATE_TEST_SUITE_P(Versions, BrushRecordVersions,
                         ::testing::Values(VersionCase{1, 50, 0.0f, 0}, VersionCase{2, 100, 0.0f, 0},
                                           VersionCase{3, 100, 12.0f, -5},
                                           // Above 3 reads as 3; versions compare unsigned.
                                           VersionCase{4, 100, 12.0f, -5}, VersionCase{-1, 100, 12.0f, -5}));

TEST(BrushRecord, WriteThenReadKeepsEveryField)
{
    PlainBrush brush;
    brush.speed.SetValue(33);
    brush.fullScreen.SetValue(1);
    brush.effectLink.StoreValue(FileLinkValue{L"common_res.dll", 90});
    brush.scale.SetValue(30);
    brush.quad.SetRect(D3DXVECTOR3(100.0f, 50.0f, 0.5f), 40.0f, 20.0f);
    brush.extraInt.StoreValue(9);
    brush.maskKey.name = L"painted";
    brush.SetName(L"water");
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    brush.Write(&out);

    DS_IOF_Archive in = memory.Handle();
    PlainBrush read;
    ASSERT_TRUE(read.ReadBody(&in));
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_EQ(read.speed.GetValue(), 33u);
    EXPECT_EQ(read.fullScreen.GetValue(), 1);
    EXPECT_EQ(read.effectLink.GetValue(), brush.effectLink.GetValue());
    EXPECT_EQ(read.scale.GetValue(), 30u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(ParamValueEquals(read.quad.Corner(k).GetValue(), brush.quad.Corner(k).GetValue())) << k;
    }
    EXPECT_EQ(read.extraInt.GetValue(), 9);
    EXPECT_EQ(std::memcmp(&read.maskKey.guid, &brush.maskKey.guid, sizeof(GUID)), 0);
    EXPECT_EQ(read.maskKey.name, L"painted");
    EXPECT_TRUE(read.maskKey.flag);
    EXPECT_EQ(read.Name(), L"water");
}

TEST(BrushRecord, EveryTruncationFailsWithoutCrashing)
{
    PlainBrush brush;
    ForEachTruncation(brush, 1, [](MemoryArchive& memory, size_t cut) {
        DS_IOF_Archive in = memory.Handle();
        PlainBrush read;
        EXPECT_FALSE(read.ReadBody(&in)) << "cut " << cut;
        EXPECT_TRUE(in.Failed()) << "cut " << cut;
    });
}

TEST(BrushDefaults, ScaleIsOneAndEachBrushHasItsOwnMaskKey)
{
    PlainBrush a, b;
    EXPECT_FLOAT_EQ(a.scale.GetDerived(), 1.0f);
    EXPECT_TRUE(a.maskKey.flag);
    EXPECT_NE(std::memcmp(&a.maskKey.guid, &b.maskKey.guid, sizeof(GUID)), 0);
    const GUID before = a.maskKey.guid;
    a.maskKey.name = L"x";
    a.NewGuid();
    EXPECT_NE(std::memcmp(&a.maskKey.guid, &before, sizeof(GUID)), 0);
    EXPECT_TRUE(a.maskKey.name.empty());
}

TEST(BrushAssign, CopiesEveryBaseSetting)
{
    PlainBrush source;
    source.SetName(L"source");
    source.TimeLine().fadeIn = 120;
    source.speed.SetScale(0.5f);
    source.speed.SetValue(8);
    source.Update(0.1f);
    source.fullScreen.SetValue(1);
    source.effectLink.StoreValue(FileLinkValue{L"fx", 5});
    source.scale.SetValue(75);
    source.quad.SetRect(D3DXVECTOR3(10.0f, 20.0f, 0.0f), 4.0f, 6.0f);
    source.extraInt.StoreValue(3);
    PlainBrush target;
    target = source;
    EXPECT_EQ(target.Name(), L"source");
    EXPECT_EQ(target.TimeLine().fadeIn, 120u);
    EXPECT_FLOAT_EQ(target.speed.GetDerived(), 4.0f);
    EXPECT_FLOAT_EQ(target.Clock(), source.Clock());
    EXPECT_EQ(target.fullScreen.GetValue(), 1);
    EXPECT_EQ(target.effectLink.GetValue(), (FileLinkValue{L"fx", 5}));
    EXPECT_FLOAT_EQ(target.scale.GetDerived(), 1.5f);
    EXPECT_TRUE(ParamValueEquals(target.quad.Corner(3).GetValue(), source.quad.Corner(3).GetValue()));
    EXPECT_EQ(target.extraInt.GetValue(), 3);
    EXPECT_EQ(std::memcmp(&target.maskKey.guid, &source.maskKey.guid, sizeof(GUID)), 0);
}

TEST(BrushAssign, TakesTheSourcesWholeTimeLine)
{
    PlainBrush source;
    DS_TimeLineControl& from = source.TimeLine();
    from.mode = DS_TimeLineControl::kWindows;
    from.speedMode = DS_TimeLineControl::kSpeedFollowsOpacity;
    from.invisible.minimum.SetValue(30);
    from.invisible.maximum.SetValue(70);
    from.invisible.random = true;
    from.visible.minimum.SetValue(250);
    from.visible.maximum.SetValue(250);
    from.visible.random = false;
    from.fadeOut = 80;
    ASSERT_TRUE(from.AddWindow(TimeWindow{5.0f, 9.0f, 6.0f, 8.0f}));

    PlainBrush target;
    DS_TimeLineControl& to = target.TimeLine();
    // A window of its own that the source's does not overlap: it goes.
    ASSERT_TRUE(to.AddWindow(TimeWindow{20.0f, 30.0f, 21.0f, 29.0f}));
    to.visible.random = true;
    target = source;

    EXPECT_EQ(to.mode, DS_TimeLineControl::kWindows);
    EXPECT_EQ(to.speedMode, DS_TimeLineControl::kSpeedFollowsOpacity);
    EXPECT_EQ(to.invisible.minimum.GetValue(), 30u);
    EXPECT_EQ(to.invisible.maximum.GetValue(), 70u);
    EXPECT_TRUE(to.invisible.random);
    EXPECT_EQ(to.visible.minimum.GetValue(), 250u);
    EXPECT_EQ(to.visible.maximum.GetValue(), 250u);
    EXPECT_FALSE(to.visible.random);
    EXPECT_EQ(to.fadeOut, 80u);
    ASSERT_EQ(to.Windows().size(), 1u);
    EXPECT_EQ(to.Windows().begin()->start, 5.0f);
    EXPECT_EQ(to.Windows().begin()->end, 9.0f);
}

// ---- runtime object without a device or manager ----

struct SceneNeedCase {
    int flag;
    bool enabled;
    bool needs;
};

class BrushSceneNeed : public ::testing::TestWithParam<SceneNeedCase> {};

TEST_P(BrushSceneNeed, OnlyAnEnabledFlaggedBrushNeedsTheScene)
{
    const SceneNeedCase& c = GetParam();
    PlainBrush item;
    item.fullScreen.SetValue(c.flag);
    std::unique_ptr<DS_ABObj> object(item.CreateObject());
    object->SetEnabled(c.enabled);
    EXPECT_EQ(object->NeedsSceneTexture(), c.needs);
    EXPECT_EQ(object->Kind(), 4);
}

INSTANTIATE_TEST_SUITE_P(Flags, BrushSceneNeed,
                         ::testing::Values(SceneNeedCase{0, true, false}, SceneNeedCase{1, true, true},
                                           SceneNeedCase{1, false, false}, SceneNeedCase{2, true, true}));

TEST(BrushObject, WithoutAManagerTheBrushHasNoEffectAndDrawsNothing)
{
    SetCurrentDocResManager(nullptr);
    PlainBrush item;
    std::unique_ptr<DS_BrushObj> object(static_cast<DS_BrushObj*>(item.CreateObject()));
    EXPECT_FALSE(object->Brush()->HasEffect());
    EXPECT_EQ(object->Brush()->GetMask().Get(), nullptr);
    object->Update(0.5f);
    object->Render(nullptr);  // no service, no effect: nothing happens
}

// ---- effect parameters on a device ----

using BrushDraw = BrushFixture;

struct ScaleCase {
    int flag;
    const char* technique;
};

class BrushCommonParams : public BrushFixture, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(BrushCommonParams, ScaleFollowsAspectAndScale)
{
    const ScaleCase& c = GetParam();
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    PlainBrush item;
    item.effectLink.StoreValue(kEffectLink);
    item.scale.SetValue(100);  // s = 2
    item.fullScreen.SetValue(c.flag);
    auto object = MakeObject(item);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    const RecordingEffect::State& common = effect->draws[0];
    EXPECT_EQ(common.technique, c.technique);
    const std::vector<float> scale2 = common.Floats("Scale");
    ASSERT_EQ(scale2.size(), 2u);
    EXPECT_NEAR(scale2[0], 0.6667f, 1e-4f);
    EXPECT_NEAR(scale2[1], 0.5f, 1e-6f);
    // An unflagged brush samples the picture.
    EXPECT_EQ(common.Texture("Background"), static_cast<IDirect3DBaseTexture9*>(picture_.Get()));
    EXPECT_TRUE(common.HasTexture("Mask"));

    effect->draws.clear();
    object->Brush()->SetCommonParams(&layer);
    const std::vector<float> scale4 = effect->current.Floats("Scale");
    ASSERT_EQ(scale4.size(), 4u);
    EXPECT_NEAR(scale4[0], 0.6667f, 1e-4f);
    EXPECT_NEAR(scale4[1], 0.5f, 1e-6f);
    EXPECT_NEAR(scale4[2], 1.5f, 1e-5f);
    EXPECT_NEAR(scale4[3], 2.0f, 1e-6f);
    EXPECT_EQ(effect->current.technique, c.technique);
    EXPECT_TRUE(effect->draws.empty());  // SetCommonParams draws nothing
}

INSTANTIATE_TEST_SUITE_P(Flags, BrushCommonParams, ::testing::Values(ScaleCase{0, "Main"}, ScaleCase{1, "MainFX"}));

TEST_F(BrushDraw, MaskComesFromTheStoreUnderTheMaskKey)
{
    DS_2D_Light& layer = MakePictureLayer(64, 64);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    PlainBrush item;
    item.effectLink.StoreValue(kEffectLink);
    const ComPtr<IDirect3DTexture9> mask = MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; });
    manager_->Store().maskTextures[item.maskKey] = mask;
    auto object = MakeObject(item);
    EXPECT_EQ(object->Brush()->GetMask().Get(), mask.Get());
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    EXPECT_EQ(effect->draws[0].Texture("Mask"), static_cast<IDirect3DBaseTexture9*>(mask.Get()));

    // An unknown key gets an entry without a texture; the brush still draws.
    PlainBrush other;
    other.effectLink.StoreValue(kEffectLink);
    auto second = MakeObject(other);
    EXPECT_EQ(second->Brush()->GetMask().Get(), nullptr);
    EXPECT_EQ(manager_->Store().maskTextures.count(other.maskKey), 1u);
    effect->draws.clear();
    RenderObjects(layer);  // last object first
    ASSERT_EQ(effect->draws.size(), 2u);
    EXPECT_EQ(effect->draws[0].Texture("Mask"), nullptr);
}

TEST_F(BrushDraw, MissingEffectDrawsNothing)
{
    DS_2D_Light& layer = MakePictureLayer(64, 64);
    PlainBrush item;
    item.effectLink.StoreValue(FileLinkValue{L"no-such-library.dll", 4242});
    for (int mode : {0, 1}) {
        item.mode = mode;
        auto object = MakeObject(item);
        EXPECT_FALSE(object->Brush()->HasEffect());
        object->Update(0.1f);
        RenderObjects(layer);
    }
}

TEST_F(BrushDraw, WritingStoresA512CopyOfTheMaskUnderTheMaskKey)
{
    MakePictureLayer(64, 64);
    PlainBrush item;
    const ComPtr<IDirect3DTexture9> mask = MakeTexture(64, 64, [](UINT, UINT) { return 0xFFFFFFFFu; });
    manager_->Store().maskTextures[item.maskKey] = mask;
    auto object = MakeObject(item);
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    object->Brush()->Write(&out);
    IDirect3DTexture9* stored = manager_->Store().maskTextures[item.maskKey].Get();
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, mask.Get());
    D3DSURFACE_DESC desc = {};
    ASSERT_TRUE(SUCCEEDED(stored->GetLevelDesc(0, &desc)));
    EXPECT_EQ(desc.Width, 512u);
    EXPECT_EQ(desc.Height, 512u);
}

TEST_F(BrushDraw, TwoByTwoGridHasNineVerticesEightTrianglesAndACentreAtTheMean)
{
    MakePictureLayer(1024, 768);
    AddRecorder(kEffectLink);
    PlainBrush item;
    item.mode = 1;
    item.effectLink.StoreValue(kEffectLink);
    const D3DXVECTOR3 corners[4] = {{100, 50, 0}, {300, 70, 0}, {120, 250, 0}, {340, 290, 0}};
    for (int k = 0; k < 4; ++k) item.quad.Corner(k).StoreValue(corners[k]);
    auto object = MakeObject(item);
    DS_FX_Constructor& brush = *object->Brush();
    ASSERT_EQ(brush.Grid().VertexCount(), 9u);
    EXPECT_EQ(brush.Grid().TriangleCount(), 8u);
    EXPECT_EQ(brush.Grid().PrimitiveType(), D3DPT_TRIANGLELIST);

    // Read the vertices back through a copy of the grid (it shares the buffer).
    BrushGridMesh grid = brush.Grid();
    const PT* v = grid.Lock();
    ASSERT_NE(v, nullptr);
    const float wv = static_cast<float>(ViewMetrics::Instance().pictureWidth);
    const float hv = static_cast<float>(ViewMetrics::Instance().pictureHeight);
    const float mx = (100 + 300 + 120 + 340) / 4.0f, my = (50 + 70 + 250 + 290) / 4.0f;
    EXPECT_NEAR(v[4].x, mx, 1e-3f);
    EXPECT_NEAR(v[4].y, my, 1e-3f);
    EXPECT_NEAR(v[4].u, mx / wv, 1e-5f);
    EXPECT_NEAR(v[4].v, my / hv, 1e-5f);
    // Corner 0 at grid (0, 0), 1 at (2, 0), 2 at (0, 2), 3 at (2, 2).
    const int cornerIndex[4] = {0, 2, 6, 8};
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(v[cornerIndex[k]].x, corners[k].x) << k;
        EXPECT_FLOAT_EQ(v[cornerIndex[k]].y, corners[k].y) << k;
    }
    grid.Unlock();
}

TEST_F(BrushDraw, GridDrawPlacesTheGridOnThePictureWhateverWasDrawnBefore)
{
    DS_2D_Light& layer = MakePictureLayer(600, 400);
    AddRecorder(kEffectLink);
    PlainBrush item;
    item.mode = 1;
    item.effectLink.StoreValue(kEffectLink);
    MakeObject(item);

    // An object drawn before left a world transform of its own.
    D3DXMATRIX stray;
    D3DXMatrixTranslation(&stray, 123.0f, -45.0f, 6.0f);
    ASSERT_TRUE(SUCCEEDED(Device()->SetTransform(D3DTS_WORLD, &stray)));
    RenderObjects(layer);
    D3DXMATRIX world;
    ASSERT_TRUE(SUCCEEDED(Device()->GetTransform(D3DTS_WORLD, &world)));
    const D3DXMATRIX expected = context_.WorldFor(layer.GetScreenQuad().combined);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ((&world._11)[i], (&expected._11)[i]) << i;
}

}  // namespace
