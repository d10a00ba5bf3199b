// The pattern, background-copy and fire brushes: the values they send to
// their effects, the pattern's frame steps, and their records in every
// stored version, damaged ones included.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "effects/brushes/BackgroundCopy.h"
#include "effects/brushes/FireFX.h"
#include "effects/brushes/PatternBrush.h"
#include "engine/archive/ArchiveValues.h"
#include "unit/brushes/BrushFixture.h"
#include "unit/brushes/BrushKindHelpers.h"
#include "unit/brushes/BrushRecords.h"

namespace {

// ---- pattern ----

struct PatternCase {
    const char* name;
    int hflip, vflip;
    unsigned rotation, zoom;
    std::vector<float> transform;  // "coord_transf"
};

class PatternDraw : public BrushFixture, public ::testing::WithParamInterface<PatternCase> {};

TEST_P(PatternDraw, ScaleOffsetAndCoordinateTransform)
{
    const PatternCase& c = GetParam();
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    const FileLinkValue patternLink{L"pattern.png", 0};
    AddPicture(patternLink, MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }), 256, 128);
    DS_PatternBrush item;
    item.effectLink.StoreValue(kEffectLink);
    item.patternImage.StoreValue(patternLink);
    item.horizontalFlip.SetValue(c.hflip);
    item.verticalFlip.SetValue(c.vflip);
    item.rotation.SetValue(c.rotation);
    item.zoom.SetValue(c.zoom);
    item.offsetX.SetValue(10);
    item.offsetY.SetValue(20);
    MakeObject(item)->Update(0.0f);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u) << c.name;
    const RecordingEffect::State& s = effect->draws[0];
    EXPECT_EQ(s.technique, "Main");
    ExpectNear(s.Floats("scale"), {2.0f, 1.0f}, 1e-6f, "scale");
    ExpectNear(s.Floats("offset"), {-0.1f, 0.2f}, 1e-6f, "offset");
    ExpectNear(s.Floats("coord_transf"), c.transform, 1e-5f, c.name);
    ExpectNear(s.Floats("mix_color"), {1.0f, 1.0f, 1.0f, 1.0f}, 1e-6f, "mix_color");
    EXPECT_NE(s.Texture("Pattern"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, PatternDraw,
                         ::testing::Values(PatternCase{"plain", 0, 0, 0, 100, {4, 0, 0, 6}},
                                           PatternCase{"horizontal flip", 1, 0, 0, 100, {-4, 0, 0, 6}},
                                           PatternCase{"vertical flip", 0, 1, 0, 100, {4, 0, 0, -6}},
                                           PatternCase{"rotation 90", 0, 0, 90, 100, {0, 4, -6, 0}},
                                           PatternCase{"zoom 50", 0, 0, 0, 50, {8, 0, 0, 12}}));

// Cases in which the brush draws nothing: no picture, a zero zoom or a
// picture size of 0 (an infinite transform), a frame without texture.
TEST_F(BrushFixture, PatternWithoutSizeZoomOrTextureDrawsNothing)
{
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    const FileLinkValue good{L"good.png", 0}, flat{L"flat.png", 0}, holes{L"holes.png", 0};
    AddPicture(good, MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }), 64, 64);
    AddPicture(flat, MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }), 64, 0);
    TextureFrames& gap = manager_->Store().textureSets[holes];
    gap.textures = {ComPtr<IDirect3DTexture9>()};
    gap.SetSize(64, 64);
    struct Case {
        const char* name;
        FileLinkValue link;
        unsigned zoom;
    } cases[] = {{"missing picture", {L"nothing.png", 0}, 100},
                 {"height 0", flat, 100},
                 {"zoom 0", good, 0},
                 {"frame without texture", holes, 100}};
    for (const Case& c : cases) {
        DS_PatternBrush item;
        item.effectLink.StoreValue(kEffectLink);
        item.patternImage.StoreValue(c.link);
        item.zoom.SetValue(c.zoom);
        objects_.clear();
        MakeObject(item)->Update(0.0f);
        effect->draws.clear();
        RenderObjects(layer);
        EXPECT_TRUE(effect->draws.empty()) << c.name;
        // "mix_color" is set before the brush gives up.
        EXPECT_EQ(effect->current.Floats("mix_color").size(), 4u) << c.name;
    }
}

TEST_F(BrushFixture, PatternMixColourFollowsTheFadeOnlyInSpeedMode1)
{
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    const FileLinkValue patternLink{L"pattern.png", 0};
    AddPicture(patternLink, MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }), 64, 64);
    EXPECT_EQ(DS_PatternBrush().TimeLine().speedMode, 1) << "the default time line fades the pattern";
    for (int mode : {1, 0}) {
        DS_PatternBrush item;
        item.effectLink.StoreValue(kEffectLink);
        item.patternImage.StoreValue(patternLink);
        SetHalfFade(item);
        item.TimeLine().speedMode = mode;
        objects_.clear();
        MakeObject(item)->Update(0.0f);
        effect->draws.clear();
        RenderObjects(layer);
        ASSERT_EQ(effect->draws.size(), 1u);
        ExpectNear(effect->draws[0].Floats("mix_color"), {1.0f, 1.0f, 1.0f, mode == 1 ? 0.5f : 1.0f}, 1e-6f,
                   "mix_color");
    }
}

// Frame steps: the next frame once the current one has been shown strictly
// longer than its duration (speed 1.0: clock = local time).
struct StepCase {
    const char* name;
    std::vector<float> durations;
    size_t textures;
    std::vector<float> times;
    std::vector<uint32_t> frames;  // frame index after each time
};

class PatternSteps : public ::testing::TestWithParam<StepCase> {};

TEST_P(PatternSteps, FrameIndexAfterEachUpdate)
{
    const StepCase& c = GetParam();
    DS_PatternBrush brush;
    brush.Frames().durations = c.durations;
    brush.Frames().textures.resize(c.textures);
    ASSERT_EQ(c.times.size(), c.frames.size());
    for (size_t i = 0; i < c.times.size(); ++i) {
        brush.Update(c.times[i]);
        EXPECT_EQ(brush.FrameIndex(), c.frames[i]) << c.name << " at " << c.times[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PatternSteps,
    ::testing::Values(StepCase{"one duration", {0.5f}, 1, {0.0f, 0.2f, 0.4f, 0.6f, 0.8f}, {0, 0, 0, 0, 0}},
                      StepCase{"two halves",
                               {0.5f, 0.5f},
                               2,
                               {0.0f, 0.2f, 0.4f, 0.5f, 0.6f, 0.8f, 1.0f, 1.2f},
                               {0, 0, 0, 0, 1, 1, 1, 0}},
                      // More durations than pictures: the index stays among
                      // the pictures.
                      StepCase{"durations past the pictures",
                               {0.1f, 0.1f, 0.1f, 0.1f},
                               2,
                               {0.0f, 0.15f, 0.3f, 0.45f, 0.6f, 0.75f},
                               {0, 1, 0, 1, 0, 1}},
                      StepCase{"no durations", {}, 3, {0.0f, 1.0f, 2.0f}, {0, 0, 0}}));

// ---- background copy ----

TEST_F(BrushFixture, CopyOffsetFromTheExtraValuesAndShifts)
{
    DS_2D_Light& layer = MakePictureLayer(1000, 500);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    struct Case {
        int vertical, horizontal;
        std::vector<float> offset;
    } cases[] = {{0, 0, {0.1f, -0.1f}}, {1, 1, {1.1f, 0.9f}}, {1, 0, {0.1f, 0.9f}}};
    for (const Case& c : cases) {
        DS_BackgroundCopy item;
        item.effectLink.StoreValue(kEffectLink);
        item.sourceOffset.extraX.StoreValue(100);
        item.sourceOffset.extraY.StoreValue(-50);
        item.verticalShift.SetValue(c.vertical);
        item.horizontalShift.SetValue(c.horizontal);
        objects_.clear();
        MakeObject(item);
        effect->draws.clear();
        RenderObjects(layer);
        ASSERT_EQ(effect->draws.size(), 1u);
        ExpectNear(effect->draws[0].Floats("offset"), c.offset, 1e-6f, "offset");
    }
    // Without a picture size the offset cannot be had: nothing is drawn.
    float offset[2];
    DS_BackgroundCopy copy;
    EXPECT_FALSE(copy.ComputeOffset(0.0f, 500.0f, offset));
}

// ---- fire ----

TEST(FireFX, FadedValuesAndScrollOffsets)
{
    DS_FireFX fire;
    const DS_FireFX::FadedParams full = fire.ComputeFadedParams(1.0f);
    ExpectNear({full.colorK1[0], full.colorK1[1], full.colorK1[2]}, {1, 0, 0}, 1e-6f, "ColorK1");
    ExpectNear({full.colorK2[0], full.colorK2[1], full.colorK2[2]}, {0, 1, 0}, 1e-6f, "ColorK2");
    EXPECT_NEAR(full.brightness, 0.3f, 1e-6f);
    EXPECT_NEAR(full.density, 0.0f, 1e-6f);
    const DS_FireFX::FadedParams half = fire.ComputeFadedParams(0.5f);
    EXPECT_NEAR(half.brightness, 0.075f, 1e-6f);
    EXPECT_NEAR(half.density, -0.5f, 1e-6f);
    EXPECT_NEAR(fire.ComputeFadedParams(0.0f).density, -1.0f, 1e-6f) << "no flames at fade 0";
    fire.patternWidth.SetValue(0);
    EXPECT_FLOAT_EQ(fire.PatternWidth(), DS_FireFX::kMinPatternWidth);
}

TEST_F(BrushFixture, FireDrawsItsGridWithTheScrolledNoise)
{
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    const FileLinkValue pattern{L"fire-pattern.png", 0}, noise{L"fire-noise.png", 0};
    AddPicture(pattern, MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }), 4, 4);
    AddPicture(noise, MakeTexture(4, 4, [](UINT, UINT) { return 0xFF808080u; }), 4, 4);
    DS_FireFX item;
    item.effectLink.StoreValue(kEffectLink);
    item.patternImage.StoreValue(pattern);
    item.noiseImage.StoreValue(noise);
    item.patternWidth.SetValue(50);
    item.quad.Corner(0).StoreValue(D3DXVECTOR3(100.0f, 100.0f, 0.0f));
    item.quad.Corner(1).StoreValue(D3DXVECTOR3(100.0f, 300.0f, 0.0f));
    item.quad.Corner(2).StoreValue(D3DXVECTOR3(400.0f, 100.0f, 0.0f));
    item.quad.Corner(3).StoreValue(D3DXVECTOR3(400.0f, 300.0f, 0.0f));
    DS_BrushObj* object = MakeObject(item);
    const auto& fire = static_cast<const DS_FireFX&>(*object->Brush());
    EXPECT_EQ(fire.Grid().VertexCount(), 81u);
    EXPECT_EQ(fire.Grid().TriangleCount(), 128u);
    RunClockTo(*object->Brush(), 10.0f);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    const RecordingEffect::State& s = effect->draws[0];
    EXPECT_EQ(s.technique, "Main");
    ExpectNear(s.Floats("c11"), {0.0f, 13.0f}, 1e-3f, "c11");
    ExpectNear(s.Floats("c12"), {0.0f, 21.0f}, 1e-3f, "c12");
    ExpectNear(s.Floats("c13"), {0.0f, 23.0f}, 1e-3f, "c13");
    ExpectNear(s.Floats("ColorK1"), {1, 0, 0}, 1e-6f, "ColorK1");
    ExpectNear(s.Floats("Brightness"), {0.3f}, 1e-6f, "Brightness");
    EXPECT_EQ(s.Floats("WorldViewProj").size(), 16u);
    EXPECT_EQ(s.Floats("ViewProj").size(), 16u);
    EXPECT_EQ(s.Floats("bg_scale_factor").size(), 2u);
    EXPECT_NE(s.Texture("Noise"), nullptr);
    EXPECT_NE(s.Texture("Pattern"), nullptr);
    // Pattern width 0.5: u runs from 0 to 2 across the grid.
    ASSERT_TRUE(fire.Grid().VertexBuffer());
    PT* vertices = nullptr;
    ASSERT_TRUE(SUCCEEDED(fire.Grid().VertexBuffer()->Lock(0, 0, reinterpret_cast<void**>(&vertices), D3DLOCK_READONLY)));
    EXPECT_FLOAT_EQ(vertices[0].u, 0.0f);
    EXPECT_FLOAT_EQ(vertices[80].u, 2.0f);
    EXPECT_FLOAT_EQ(vertices[80].v, 1.0f);
    EXPECT_FLOAT_EQ(vertices[80].x, 400.0f);
    fire.Grid().VertexBuffer()->Unlock();
}

TEST_F(BrushFixture, FireWithoutPatternOrNoiseDrawsNothing)
{
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    const FileLinkValue present{L"present.png", 0};
    AddPicture(present, MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }), 4, 4);
    for (bool patternMissing : {true, false}) {
        DS_FireFX item;
        item.effectLink.StoreValue(kEffectLink);
        item.patternImage.StoreValue(patternMissing ? FileLinkValue{L"absent.png", 0} : present);
        item.noiseImage.StoreValue(patternMissing ? present : FileLinkValue{L"absent.png", 0});
        objects_.clear();
        MakeObject(item);
        RenderObjects(layer);
    }
    EXPECT_TRUE(effect->draws.empty());
}

// ---- records ----

TEST(PatternBrushRecords, RoundTripsKeepEveryField)
{
    DS_PatternBrushC item;
    item.patternImage.StoreValue(FileLinkValue{L"pattern.png", 77});
    item.verticalFlip.SetValue(1);
    item.horizontalFlip.SetValue(2);
    item.rotation.SetValue(45);
    item.zoom.SetValue(150);
    item.offsetX.SetValue(3);
    item.offsetY.SetValue(4);
    item.speed.SetValue(9);
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    item.Write(&out);
    // Two headers before the pattern fields: the outer name, then the
    // whole "DS_PatternBrush" record.
    MemoryArchive peek(memory.bytes);
    ds_string name;
    int32_t version = 0;
    peek.ReadString(name);
    peek.ReadInt(version);
    EXPECT_EQ(name, L"DS_PatternBrushC");
    peek.ReadString(name);
    peek.ReadInt(version);
    EXPECT_EQ(name, L"DS_PatternBrush");
    EXPECT_EQ(version, 1);

    auto read = ReadSceneItemAs<DS_PatternBrushC>(memory);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->patternImage.GetValue().path, L"pattern.png");
    EXPECT_EQ(read->patternImage.GetValue().stamp, 77);
    EXPECT_EQ(read->verticalFlip.GetValue(), 1);
    EXPECT_EQ(read->horizontalFlip.GetValue(), 2);
    EXPECT_EQ(read->rotation.GetValue(), 45u);
    EXPECT_FLOAT_EQ(read->zoom.GetDerived(), 1.5f);
    EXPECT_FLOAT_EQ(read->offsetX.GetDerived(), -0.03f);
    EXPECT_FLOAT_EQ(read->offsetY.GetDerived(), 0.04f);
    EXPECT_EQ(read->speed.GetValue(), 9u);

    DS_BackgroundCopy copy;
    copy.sourceOffset.extraX.StoreValue(-7);
    copy.sourceOffset.extraY.StoreValue(8);
    copy.verticalShift.SetValue(1);
    MemoryArchive copyBytes;
    DS_IOF_Archive copyOut = copyBytes.Handle();
    copy.Write(&copyOut);
    auto copyRead = ReadSceneItemAs<DS_BackgroundCopy>(copyBytes);
    ASSERT_NE(copyRead, nullptr);
    EXPECT_EQ(copyRead->sourceOffset.extraX.GetValue(), -7);
    EXPECT_EQ(copyRead->sourceOffset.extraY.GetValue(), 8);
    EXPECT_EQ(copyRead->verticalShift.GetValue(), 1);
    EXPECT_EQ(copyRead->horizontalShift.GetValue(), 0);
}

// A fire record of an older version, written field by field: version 2
// carries its own quad and extra int, versions 0 and 1 carry nothing.
void WriteOlderFire(MemoryArchive& memory, int32_t version, int32_t baseVersion)
{
    DS_IOF_Archive ar = memory.Handle();
    WriteRecordHeader(&ar, DS_FireFX::kClassName, version);
    if (version == 2) {
        for (int i = 0; i < 12; ++i) memory.WriteFloat(static_cast<float>(i + 1));
        memory.WriteInt(0x112233);
        memory.WriteInt(0x445566);
        memory.WriteInt32(2);
        DS_FileLink3(FileLinkValue{L"old-pattern.png", 1}).Write(ar);
        DS_FileLink3(FileLinkValue{L"old-noise.png", 2}).Write(ar);
        memory.WriteInt32(42);  // extra int
        memory.WriteUInt(120);
        memory.WriteUInt(30);
        memory.WriteUInt(200);
    }
    // The base level, of the given version.
    WriteRecordHeader(&ar, DS_FX_Constructor::kClassName, baseVersion);
    memory.WriteUInt(60);  // speed
    memory.WriteInt32(0);
    WriteGuid(GUID{}, &ar);
    memory.WriteString(L"");
    memory.WriteBool(true);
    DS_FileLink3(FileLinkValue{L"common_res.dll", 92}).Write(ar);
    if (baseVersion >= 2) memory.WriteUInt(50);
    if (baseVersion >= 3) {
        for (int i = 0; i < 12; ++i) memory.WriteFloat(100.0f + static_cast<float>(i));
        memory.WriteInt32(7);
    }
    // The item level as any brush writes it.
    DS_BackgroundCopy anyItem;
    static_cast<const DS_ABObj_Constructor&>(anyItem).WriteBody(&ar);
}

TEST(FireRecords, OlderVersions)
{
    struct Case {
        const char* name;
        int32_t version, baseVersion;
        float firstCorner;  // x of corner 0
        int32_t extra;
        const wchar_t* pattern;
        uint32_t pattern_stamp;
    } cases[] = {
        {"v2 over a v2 base keeps its quad", 2, 2, 1.0f, 42, L"old-pattern.png", 1},
        {"v2 over a v3 base: the base's quad wins", 2, 3, 100.0f, 7, L"old-pattern.png", 1},
        {"v1 keeps the default links", 1, 3, 100.0f, 7, L"common_res.dll", 93},
        {"v0 keeps the default links", 0, 1, 0.0f, 0, L"common_res.dll", 93},
    };
    for (const Case& c : cases) {
        MemoryArchive memory;
        WriteOlderFire(memory, c.version, c.baseVersion);
        auto fire = ReadSceneItemAs<DS_FireFX>(memory);
        ASSERT_NE(fire, nullptr) << c.name;
        EXPECT_FLOAT_EQ(fire->quad.Corner(0).GetValue().x, c.firstCorner) << c.name;
        EXPECT_EQ(fire->extraInt.GetValue(), c.extra) << c.name;
        EXPECT_EQ(fire->patternImage.GetValue().path, c.pattern) << c.name;
        EXPECT_EQ(fire->patternImage.GetValue().stamp, c.pattern_stamp) << c.name;
        EXPECT_EQ(fire->speed.GetValue(), 60u) << c.name;
        if (c.version == 2) {
            EXPECT_EQ(fire->secondColor.GetValue(), 0x445566u) << c.name;
            EXPECT_EQ(fire->noiseImage.GetValue().stamp, 2u) << c.name;
            EXPECT_FLOAT_EQ(fire->patternWidth.GetDerived(), 2.0f) << c.name;
        } else {
            EXPECT_EQ(fire->noiseImage.GetValue().stamp, 8u) << c.name;
            EXPECT_EQ(fire->firstColor.GetValue(), 0x00FFFFu) << c.name;
        }
    }
}

TEST(FireRecords, RoundTripAndDamagedRecords)
{
    DS_FireFX fire;
    fire.firstColor.SetValue(0x123456);
    fire.density.SetValue(150);
    fire.quad.Corner(2).StoreValue(D3DXVECTOR3(std::numeric_limits<float>::quiet_NaN(), 5.0f, 1.0f));
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    fire.Write(&out);
    auto read = ReadSceneItemAs<DS_FireFX>(memory);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->firstColor.GetValue(), 0x123456u);
    EXPECT_FLOAT_EQ(read->density.GetDerived(), 0.5f);
    // A corner that is not a number comes back as 0.
    EXPECT_EQ(read->quad.Corner(2).GetValue().x, 0.0f);
    EXPECT_EQ(read->quad.Corner(2).GetValue().y, 5.0f);

    // Every cut of every new record fails cleanly.
    DS_PatternBrushC pattern;
    DS_BackgroundCopy copy;
    for (DS_IOF_Item* item : std::vector<DS_IOF_Item*>{&fire, &pattern, &copy}) {
        ForEachTruncation(*item, 3, [](MemoryArchive& cut, size_t size) {
            EXPECT_EQ(ReadSceneItem(cut), nullptr) << "cut by " << size;
        });
    }
}

}  // namespace
