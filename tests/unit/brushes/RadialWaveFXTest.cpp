// The radial-wave brush: its effect parameters, its record with the older
// version, and real drawing with the compiled radial-wave effect over a
// known picture inside a mask.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/brushes/RadialWaveFX.h"
#include "unit/brushes/BrushPixelFixture.h"
#include "unit/brushes/BrushRecords.h"

namespace {

// ---- parameters ----

struct TimeCase {
    int direction;
    int steps;  // updates 0.1 s of local time apart
    float time;
};

class RadialWaveParams : public BrushFixture, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(RadialWaveParams, DefaultsOnA1024By768Picture)
{
    const TimeCase& c = GetParam();
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    DS_RadialWaveFX item;  // centre from the view metrics of the picture
    item.effectLink.StoreValue(kEffectLink);
    item.direction.SetValue(c.direction);
    auto object = MakeObject(item);
    for (int i = 0; i <= c.steps; ++i) object->Update(0.1f * static_cast<float>(i));
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    const RecordingEffect::State& s = effect->draws[0];
    EXPECT_EQ(s.technique, "Main");
    ASSERT_EQ(s.Floats("bg_scale_factor").size(), 2u);
    EXPECT_FLOAT_EQ(s.Floats("bg_scale_factor")[0], 1.0f);
    EXPECT_NEAR(s.Floats("bg_scale_factor")[1], 0.75f, 1e-6f);
    EXPECT_EQ(s.Floats("center"), (std::vector<float>{0.5f, 0.5f}));
    ASSERT_EQ(s.Floats("frequency").size(), 1u);
    EXPECT_NEAR(s.Floats("frequency")[0], 166.67f, 0.01f);
    ASSERT_EQ(s.Floats("amplitude").size(), 1u);
    EXPECT_NEAR(s.Floats("amplitude")[0], 0.0125f, 1e-7f);
    ASSERT_EQ(s.Floats("time").size(), 1u);
    EXPECT_NEAR(s.Floats("time")[0], c.time, 1e-4f);
    ASSERT_EQ(s.Floats("Scale").size(), 2u);
}

// The clock runs 50 times as fast as local time: "time" falls by 4 a second
// for direction 0 and rises for any other direction.
INSTANTIATE_TEST_SUITE_P(Directions, RadialWaveParams,
                         ::testing::Values(TimeCase{0, 0, 0.0f}, TimeCase{0, 1, -0.4f}, TimeCase{0, 10, -4.0f},
                                           TimeCase{1, 10, 4.0f}, TimeCase{-3, 1, 0.4f}));

TEST(RadialWaveDefaults, DerivedValues)
{
    DS_RadialWaveFX wave;
    EXPECT_NEAR(wave.amplitude.GetDerived(), 0.0125f, 1e-7f);
    EXPECT_NEAR(wave.wavelength.GetDerived(), 0.006f, 1e-7f);
    EXPECT_FLOAT_EQ(wave.backgroundScale.GetDerived(), 75.0f);
    EXPECT_FLOAT_EQ(wave.speed.GetDerived(), 50.0f);
    EXPECT_EQ(wave.effectLink.GetValue(), (FileLinkValue{L"common_res.dll", 103}));
}

// ---- record ----

TEST(RadialWaveRecord, WriteThenReadKeepsEveryField)
{
    DS_RadialWaveFX wave;
    wave.amplitude.SetValue(11);
    wave.wavelength.SetValue(12);
    wave.backgroundScale.SetValue(13);
    wave.direction.SetValue(1);
    wave.center.SetValue(D3DXVECTOR3(10.0f, 20.0f, 30.0f));
    wave.scale.SetValue(70);
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    wave.Write(&out);
    const auto read = ReadSceneItemAs<DS_RadialWaveFX>(memory);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_EQ(read->amplitude.GetValue(), 11u);
    EXPECT_EQ(read->wavelength.GetValue(), 12u);
    EXPECT_EQ(read->backgroundScale.GetValue(), 13u);
    EXPECT_EQ(read->direction.GetValue(), 1);
    EXPECT_TRUE(ParamValueEquals(read->center.GetValue(), D3DXVECTOR3(10.0f, 20.0f, 30.0f)));
    EXPECT_EQ(read->scale.GetValue(), 70u);
}

TEST(RadialWaveRecord, VersionOneKeepsTheFourDefaults)
{
    DS_RadialWaveFX source;
    source.center.SetValue(D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    source.speed.SetValue(9);
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    WriteRecordHeader(&out, L"DS_RadialWaveFX", 1);
    source.DS_CentralBased::WriteBody(&out);
    const auto read = ReadSceneItemAs<DS_RadialWaveFX>(memory);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_EQ(read->amplitude.GetValue(), 50u);
    EXPECT_EQ(read->wavelength.GetValue(), 50u);
    EXPECT_EQ(read->backgroundScale.GetValue(), 50u);
    EXPECT_EQ(read->direction.GetValue(), 0);
    EXPECT_TRUE(ParamValueEquals(read->center.GetValue(), D3DXVECTOR3(1.0f, 2.0f, 3.0f)));
    EXPECT_EQ(read->speed.GetValue(), 9u);
}

TEST(RadialWaveRecord, TruncatedRecordsFail)
{
    DS_RadialWaveFX wave;
    ForEachTruncation(
        wave, 2, [](MemoryArchive& memory, size_t cut) { EXPECT_EQ(ReadSceneItem(memory), nullptr) << "cut " << cut; });
}

// ---- pixels with the compiled effect ----

using RadialWavePixels = BrushPixelFixture;

TEST_F(RadialWavePixels, ChangesThePictureInsideTheMaskOnlyAndMovesWithTime)
{
    DrawFrame(objects_);
    const std::vector<uint32_t> plainLeft = Inside(200);
    const std::vector<uint32_t> plainRight = Outside(200);

    StoreEffect(kEffectLink, "103_radialwave");
    DS_RadialWaveFX item;
    item.effectLink.StoreValue(kEffectLink);
    item.amplitude.SetValue(200);  // 0.05 of the picture
    manager_->Store().maskTextures[item.maskKey] = mask_;
    auto* object = MakeObject(item);
    ASSERT_TRUE(object->Brush()->HasEffect());

    Frame(0.0f);
    const std::vector<uint32_t> firstLeft = Inside(200);
    EXPECT_EQ(Outside(200), plainRight);
    Frame(0.05f);
    const std::vector<uint32_t> secondLeft = Inside(200);
    EXPECT_EQ(Outside(200), plainRight);
    EXPECT_NE(firstLeft, plainLeft);
    EXPECT_NE(secondLeft, firstLeft);
}

TEST_F(RadialWavePixels, ABrushWithoutAnEffectLeavesThePictureAsItIs)
{
    DrawFrame(objects_);
    const std::vector<uint32_t> plain = Row(200, 0, 600);
    DS_RadialWaveFX item;
    item.effectLink.StoreValue(FileLinkValue{L"no-such-library.dll", 103});
    manager_->Store().maskTextures[item.maskKey] = mask_;
    MakeObject(item);
    Frame(0.1f);
    EXPECT_EQ(Row(200, 0, 600), plain);
    Frame(0.2f);
    EXPECT_EQ(Row(200, 0, 600), plain);
}

}  // namespace
