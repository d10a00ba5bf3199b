// The water brush: the embedded document's values, directions in both
// angle conventions, the bump transform, the wave-shape clamp, its record,
// and a brush without a bump texture.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/brushes/WaterFX.h"
#include "effects/brushes/WaterfallFX.h"
#include "unit/brushes/BrushPixelFixture.h"
#include "unit/brushes/BrushRecords.h"

namespace {

void ExpectFloats(const std::vector<float>& actual, const std::vector<float>& expected, float tolerance,
                  const char* name)
{
    ASSERT_EQ(actual.size(), expected.size()) << name;
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << name << "[" << i << "]";
}

TEST(WaterFX, EmbeddedDocumentValues)
{
    DS_WaterFX water;  // the embedded brush holds exactly the defaults
    std::unique_ptr<DS_FX_Constructor> clone(water.Clone());
    auto& brush = static_cast<DS_WaterFX&>(*clone);
    EXPECT_NEAR(brush.Direction()[0], 0.7660f, 1e-4f);
    EXPECT_NEAR(brush.Direction()[1], 0.6428f, 1e-4f);
    const DS_WaterFX::WaveParams p = brush.ComputeWaveParams();
    ExpectFloats({p.direction1[0], p.direction1[1]}, {-34.820f, -29.218f}, 2e-3f, "Direction1");
    ExpectFloats({p.direction2[0], p.direction2[1]}, {-0.0019151f, -0.0016070f}, 1e-6f, "Direction2");
    ExpectFloats({p.p1[0], p.p1[1], p.p1[2]}, {-0.998f, -1.0f, -0.998f}, 1e-6f, "P1");
    ExpectFloats({p.p2[0], p.p2[1], p.p2[2]}, {1.0f, 1.03267f, 1.0f}, 1e-5f, "P2");
    ExpectFloats({p.vhalf[0], p.vhalf[1], p.vhalf[2]}, {0.44721f, 0.89443f, 0.0f}, 1e-5f, "Vhalf");
    EXPECT_FLOAT_EQ(brush.scale.GetDerived(), 0.6f);
    // The clock advances at 1.0 per second of local time.
    for (int i = 1; i <= 10; ++i) brush.Update(0.1f * static_cast<float>(i));
    EXPECT_NEAR(brush.Clock(), 1.0f, 1e-5f);
}

TEST(WaterFX, BumpTransformTurnsWithTheClock)
{
    DS_WaterFX water;
    water.Update(0.2f);  // clock 0.2: b = 0.1 x 9 = 0.9
    const float a = 0.02f, b = 0.9f;
    const float expected[4] = {a * std::cos(b), -a * std::sin(b), a * std::sin(b), a * std::cos(b)};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(water.BumpTransform()[i], expected[i], 1e-6f) << i;
}

// Directions for the same angle in the two conventions: the water brush
// turns with the angle, the direction-based brushes against it.
struct DirectionCase {
    unsigned angle;
    float waterX, waterY;
    float basedX, basedY;
};

class BrushDirections : public ::testing::TestWithParam<DirectionCase> {};

TEST_P(BrushDirections, BothConventions)
{
    const DirectionCase& c = GetParam();
    DS_WaterFX water;
    water.angle.SetValue(c.angle);
    DS_WaterfallFX stream;
    stream.angle.SetValue(c.angle);
    EXPECT_NEAR(water.Direction()[0], c.waterX, 1e-6f);
    EXPECT_NEAR(water.Direction()[1], c.waterY, 1e-6f);
    EXPECT_NEAR(stream.Direction()[0], c.basedX, 1e-6f);
    EXPECT_NEAR(stream.Direction()[1], c.basedY, 1e-6f);
    // A clone recomputes its direction from the angle.
    std::unique_ptr<DS_FX_Constructor> clone(stream.Clone());
    EXPECT_NEAR(static_cast<DS_WaterfallFX&>(*clone).Direction()[1], c.basedY, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Angles, BrushDirections,
                         ::testing::Values(DirectionCase{0, 1, 0, 1, 0}, DirectionCase{90, 0, 1, 0, -1},
                                           DirectionCase{270, 0, -1, 0, 1}, DirectionCase{180, -1, 0, -1, 0}));

class WaterWaveShape : public ::testing::TestWithParam<unsigned> {};

TEST_P(WaterWaveShape, ShapesThatWouldGiveInfinityOrNaNAreClamped)
{
    DS_WaterFX water;
    water.waveShape.SetValue(GetParam());
    const DS_WaterFX::WaveParams p = water.ComputeWaveParams();
    for (float v : {p.p1[0], p.p1[1], p.p1[2], p.p2[0], p.p2[1], p.p2[2]}) EXPECT_TRUE(std::isfinite(v)) << GetParam();
}

// 0 gives w = 0, 10000 gives w = 1, 30000 gives w = 3; 20 and 5000 are ordinary.
INSTANTIATE_TEST_SUITE_P(Values, WaterWaveShape, ::testing::Values(0u, 10000u, 30000u, 4000000000u, 20u, 5000u));

TEST(WaterWaveShapeKept, AnOrdinaryShapeIsNotChanged)
{
    DS_WaterFX water;
    water.waveShape.SetValue(5000);  // w = 0.5: k = 3, m = (sqrt 3 + 3) / 2
    const DS_WaterFX::WaveParams p = water.ComputeWaveParams();
    EXPECT_NEAR(p.p1[0], -0.5f, 1e-6f);
    EXPECT_NEAR(p.p2[1], (std::sqrt(3.0f) + 3.0f) / 2.0f, 1e-5f);
}

// ---- record ----

TEST(WaterFXRecord, WriteThenReadThroughTheRegistry)
{
    DS_WaterFX water;
    water.waveShape.SetValue(21);
    water.bumpStrength.SetValue(22);
    water.secondWaveStep.SetValue(23);
    water.firstWaveLength.SetValue(24);
    water.angle.SetValue(123);
    water.shadows.SetValue(25);
    water.lightHeight.SetValue(26);
    water.color.SetValue(0x123456);
    water.bumpImage.StoreValue(FileLinkValue{L"bump.png", 77});
    water.speed.SetValue(12);
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    water.Write(&out);

    const auto read = ReadSceneItemAs<DS_WaterFX>(memory);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_EQ(read->waveShape.GetValue(), 21u);
    EXPECT_EQ(read->bumpStrength.GetValue(), 22u);
    EXPECT_EQ(read->secondWaveStep.GetValue(), 23u);
    EXPECT_EQ(read->firstWaveLength.GetValue(), 24u);
    EXPECT_EQ(read->angle.GetValue(), 123u);
    EXPECT_EQ(read->shadows.GetValue(), 25u);
    EXPECT_FLOAT_EQ(read->lightHeight.GetDerived(), 2.6f);
    EXPECT_EQ(read->color.GetValue(), 0x123456ul);
    EXPECT_EQ(read->bumpImage.GetValue(), (FileLinkValue{L"bump.png", 77}));
    EXPECT_EQ(read->speed.GetValue(), 12u);
    EXPECT_EQ(read->effectLink.GetValue(), water.effectLink.GetValue());
}

TEST(WaterFXRecord, TruncatedRecordsFail)
{
    DS_WaterFX water;
    ForEachTruncation(water, 3, [](MemoryArchive& memory, size_t cut) {
        EXPECT_EQ(ReadSceneItem(memory), nullptr) << "cut " << cut;
    });
}

// ---- drawing ----

using WaterDraw = BrushFixture;

TEST_F(WaterDraw, SetsEveryWaterParameterThenDrawsThePictureQuad)
{
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    const FileLinkValue bumpLink{L"bump-test", 1};
    const ComPtr<IDirect3DTexture9> bump = MakeTexture(4, 4, [](UINT, UINT) { return 0xFF8080FFu; });
    AddPicture(bumpLink, bump, 4, 4);
    DS_WaterFX item;
    item.effectLink.StoreValue(kEffectLink);
    item.bumpImage.StoreValue(bumpLink);
    auto object = MakeObject(item);
    object->Update(0.25f);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    const RecordingEffect::State& s = effect->draws[0];
    EXPECT_EQ(s.technique, "Main");
    EXPECT_EQ(s.Texture("BumpMap"), static_cast<IDirect3DBaseTexture9*>(bump.Get()));
    ExpectFloats(s.Floats("Direction1"), {-34.820f, -29.218f}, 2e-3f, "Direction1");
    ExpectFloats(s.Floats("Direction2"), {-0.0019151f, -0.0016070f}, 1e-6f, "Direction2");
    ExpectFloats(s.Floats("P1"), {-0.998f, -1.0f, -0.998f}, 1e-6f, "P1");
    ExpectFloats(s.Floats("P2"), {1.0f, 1.03267f, 1.0f}, 1e-5f, "P2");
    ExpectFloats(s.Floats("Vhalf"), {0.44721f, 0.89443f, 0.0f}, 1e-5f, "Vhalf");
    ExpectFloats(s.Floats("Color"), {1.0f, 1.0f, 1.0f}, 1e-6f, "Color");
    ExpectFloats(s.Floats("Time"), {0.4f}, 1e-5f, "Time");  // clock 0.2 (capped step) x 2
    ExpectFloats(s.Floats("Shadows"), {0.0f}, 1e-6f, "Shadows");
    ExpectFloats(s.Floats("Scale"), {(1024.0f / 768.0f) / 0.6f, 1.0f / 0.6f}, 1e-4f, "Scale");
    EXPECT_EQ(s.Floats("BampTrans").size(), 4u);
}

TEST_F(WaterDraw, WithoutABumpTextureTheBrushDrawsNothing)
{
    DS_2D_Light& layer = MakePictureLayer(64, 64);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    DS_WaterFX item;
    item.effectLink.StoreValue(kEffectLink);
    item.bumpImage.StoreValue(FileLinkValue{L"not in the document.png", 3});
    auto object = MakeObject(item);
    object->Update(0.1f);
    RenderObjects(layer);
    EXPECT_TRUE(effect->draws.empty());
}

// ---- pixels with the compiled water effect ----

using WaterPixels = BrushPixelFixture;

TEST_F(WaterPixels, WaterMovesInsideTheMaskOnly)
{
    // Near the bottom the perspective lets the bump move the picture most.
    constexpr UINT kRow = 350;
    DrawFrame(objects_);
    const std::vector<uint32_t> plainInside = Inside(kRow);
    const std::vector<uint32_t> plainOutside = Outside(kRow);

    StoreEffect(kEffectLink, "090_water");
    const FileLinkValue bumpLink{L"bump-test", 2};
    // Red and green vary from texel to texel: a rough water surface.
    AddPicture(bumpLink,
               MakeTexture(64, 64,
                           [](UINT x, UINT y) {
                               const uint32_t h = (x * 73856093u) ^ (y * 19349663u);
                               return 0xFF000000u | ((h & 0xFFu) << 16) | (((h >> 8) & 0xFFu) << 8);
                           }),
               64, 64);
    DS_WaterFX item;
    item.effectLink.StoreValue(kEffectLink);
    item.bumpImage.StoreValue(bumpLink);
    item.bumpStrength.SetValue(100);  // a = 0.1
    manager_->Store().maskTextures[item.maskKey] = mask_;
    auto* object = MakeObject(item);
    ASSERT_TRUE(object->Brush()->HasEffect());

    Frame(0.2f);
    const std::vector<uint32_t> first = Inside(kRow);
    EXPECT_EQ(Outside(kRow), plainOutside);
    Frame(0.4f);
    const std::vector<uint32_t> second = Inside(kRow);
    EXPECT_EQ(Outside(kRow), plainOutside);
    EXPECT_NE(first, plainInside);
    EXPECT_NE(second, first);
}

}  // namespace
