// The stream brush: the embedded document's layers, its passes, the layer
// cap and its record.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "effects/brushes/WaterfallFX.h"
#include "unit/brushes/BrushPixelFixture.h"
#include "unit/brushes/BrushRecords.h"

namespace {

// The stream brush of the embedded document.
void MakeEmbeddedStream(DS_WaterfallFX& stream)
{
    stream.layerTranslucency.SetValue(30);
    stream.layerCount.SetValue(3);
    stream.noiseAmplitude.SetValue(50);
    stream.fourthValue.SetValue(0);
    stream.threshold.SetValue(200);
    stream.noiseImage.StoreValue(FileLinkValue{L"common_res.dll", 62});
    stream.baseColor.SetValue(0xFFFFFF);
    stream.hidden.SetValue(0);
    stream.strength.SetValue(50);
    stream.angle.SetValue(270);
    stream.speed.SetValue(4);
}

// Runs the clock to about c (steps of 0.1 s of local time at 0.08 a second).
std::unique_ptr<DS_BrushObj> StreamAt(DS_WaterfallFX& item, int steps)
{
    std::unique_ptr<DS_BrushObj> object(static_cast<DS_BrushObj*>(item.CreateObject()));
    for (int i = 0; i <= steps; ++i) object->Update(0.1f * static_cast<float>(i));
    return object;
}

struct LayerCase {
    int steps;  // of 0.1 s local time
};

class StreamLayers : public ::testing::TestWithParam<LayerCase> {};

TEST_P(StreamLayers, PhasesShiftsAndTranslucencyOfTheEmbeddedStream)
{
    SetCurrentDocResManager(nullptr);
    DS_WaterfallFX item;
    MakeEmbeddedStream(item);
    auto object = StreamAt(item, GetParam().steps);
    const auto& stream = static_cast<const DS_WaterfallFX&>(*object->Brush());
    const float clock = stream.Clock();
    EXPECT_NEAR(clock, 0.008f * static_cast<float>(GetParam().steps), 1e-5f);
    ASSERT_EQ(stream.Layers().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const float phase = clock + static_cast<float>(i) / 3.0f;
        const float f = phase - std::trunc(phase);
        const DS_WaterfallFX::Layer& layer = stream.Layers()[i];
        EXPECT_NEAR(layer.shiftX, 0.0f, 1e-6f) << i;
        EXPECT_NEAR(layer.shiftY, -0.2f * f, 1e-5f) << i;
        EXPECT_NEAR(layer.translucency, 0.7f * (1.0f - std::fabs(2.0f * f - 1.0f)), 1e-5f) << i;
    }
    EXPECT_NEAR(stream.NoiseShift()[0], 0.0f, 1e-6f);
    EXPECT_NEAR(stream.NoiseShift()[1], -(clock * 0.1f), 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Clocks, StreamLayers,
                         ::testing::Values(LayerCase{0}, LayerCase{1}, LayerCase{10}, LayerCase{60}, LayerCase{200}));

TEST(StreamDefaults, DerivedValuesOfTheEmbeddedStream)
{
    DS_WaterfallFX stream;
    MakeEmbeddedStream(stream);
    EXPECT_NEAR(stream.threshold.GetDerived(), 0.8f, 1e-6f);
    EXPECT_NEAR(stream.noiseAmplitude.GetDerived(), 0.005f, 1e-7f);
    EXPECT_NEAR(stream.layerTranslucency.GetDerived(), 0.7f, 1e-6f);
    EXPECT_NEAR(stream.strength.GetDerived(), 0.2f, 1e-6f);
    EXPECT_NEAR(stream.speed.GetDerived(), 0.08f, 1e-7f);
}

// ---- passes ----

struct PassCase {
    const char* name;
    unsigned noise;
    unsigned layers;
    int hidden;
    std::vector<std::string> techniques;  // one per draw
};

class StreamPasses : public BrushFixture, public ::testing::WithParamInterface<PassCase> {};

TEST_P(StreamPasses, NoisePassThenOneColourWavePassPerLayer)
{
    const PassCase& c = GetParam();
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    const ComPtr<IDirect3DTexture9> noise = MakeTexture(4, 4, [](UINT, UINT) { return 0xFF808080u; });
    AddPicture(FileLinkValue{L"common_res.dll", 62}, noise, 4, 4);
    DS_WaterfallFX item;
    MakeEmbeddedStream(item);
    item.effectLink.StoreValue(kEffectLink);
    item.noiseAmplitude.SetValue(c.noise);
    item.layerCount.SetValue(c.layers);
    item.hidden.SetValue(c.hidden);
    item.quad.SetRect(D3DXVECTOR3(512, 384, 0), 200, 100);
    auto object = MakeObject(item);
    object->Update(0.1f);
    RenderObjects(layer);

    ASSERT_EQ(effect->draws.size(), c.techniques.size()) << c.name;
    // "Mask" and "Background" are set even when nothing is drawn.
    EXPECT_TRUE(effect->current.HasTexture("Mask"));
    EXPECT_EQ(effect->current.Texture("Background"), static_cast<IDirect3DBaseTexture9*>(picture_.Get()));
    const auto& stream = static_cast<const DS_WaterfallFX&>(*object->Brush());
    size_t wave = 0;
    for (size_t i = 0; i < c.techniques.size(); ++i) {
        const RecordingEffect::State& s = effect->draws[i];
        EXPECT_EQ(s.technique, c.techniques[i]) << c.name << " draw " << i;
        if (s.technique == "Noise") {
            EXPECT_EQ(s.Texture("NoiseMap"), static_cast<IDirect3DBaseTexture9*>(noise.Get()));
            ASSERT_EQ(s.Floats("noise_amplitude").size(), 1u);
            EXPECT_NEAR(s.Floats("noise_amplitude")[0], 0.005f, 1e-7f);
            ASSERT_EQ(s.Floats("bump_scale").size(), 2u);
            EXPECT_NEAR(s.Floats("bump_scale")[0], 1024.0f / 768.0f, 1e-5f);
            ASSERT_EQ(s.Floats("noise_shift").size(), 2u);
            EXPECT_NEAR(s.Floats("noise_shift")[1], stream.NoiseShift()[1], 1e-7f);
        } else {
            ASSERT_LT(wave, stream.Layers().size());
            const DS_WaterfallFX::Layer& l = stream.Layers()[wave++];
            ASSERT_EQ(s.Floats("shift").size(), 2u);
            EXPECT_FLOAT_EQ(s.Floats("shift")[1], l.shiftY);
            ASSERT_EQ(s.Floats("transluency").size(), 1u);
            EXPECT_FLOAT_EQ(s.Floats("transluency")[0], l.translucency);
            ASSERT_EQ(s.Floats("treshold").size(), 1u);
            EXPECT_NEAR(s.Floats("treshold")[0], 0.8f, 1e-6f);
            EXPECT_EQ(s.Floats("base_color"), (std::vector<float>{1.0f, 1.0f, 1.0f}));
        }
        EXPECT_TRUE(s.Floats("Scale").empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StreamPasses,
    ::testing::Values(PassCase{"noise and three layers", 50, 3, 0, {"Noise", "ColorWaves", "ColorWaves", "ColorWaves"}},
                      PassCase{"no noise", 0, 3, 0, {"ColorWaves", "ColorWaves", "ColorWaves"}},
                      PassCase{"no layers", 50, 0, 0, {"Noise"}}, PassCase{"both off", 0, 0, 0, {}},
                      PassCase{"hidden", 50, 3, 1, {}}));

using StreamDraw = BrushFixture;

TEST_F(StreamDraw, AMissingNoiseTextureLeavesOutTheNoisePass)
{
    DS_2D_Light& layer = MakePictureLayer(64, 64);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    DS_WaterfallFX item;
    MakeEmbeddedStream(item);
    item.effectLink.StoreValue(kEffectLink);
    item.noiseImage.StoreValue(FileLinkValue{L"not in the document.png", 1});
    auto object = MakeObject(item);
    object->Update(0.1f);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 3u);
    for (const auto& s : effect->draws) EXPECT_EQ(s.technique, "ColorWaves");
}

TEST_F(StreamDraw, NoEffectDrawsNothing)
{
    DS_2D_Light& layer = MakePictureLayer(64, 64);
    DS_WaterfallFX item;  // no effect link: the document supplies the effect
    MakeEmbeddedStream(item);
    auto object = MakeObject(item);
    EXPECT_FALSE(object->Brush()->HasEffect());
    object->Update(0.1f);
    RenderObjects(layer);
}

// ---- record ----

TEST(StreamRecord, WriteThenReadKeepsEveryField)
{
    DS_WaterfallFX stream;
    MakeEmbeddedStream(stream);
    stream.fourthValue.SetValue(5);
    stream.hidden.SetValue(1);
    stream.effectLink.StoreValue(FileLinkValue{L"stream", 7});
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    stream.Write(&out);
    const auto read = ReadSceneItemAs<DS_WaterfallFX>(memory);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_EQ(read->layerTranslucency.GetValue(), 30u);
    EXPECT_EQ(read->layerCount.GetValue(), 3u);
    EXPECT_EQ(read->noiseAmplitude.GetValue(), 50u);
    EXPECT_EQ(read->fourthValue.GetValue(), 5u);
    EXPECT_EQ(read->threshold.GetValue(), 200u);
    EXPECT_EQ(read->noiseImage.GetValue(), (FileLinkValue{L"common_res.dll", 62}));
    EXPECT_EQ(read->baseColor.GetValue(), 0xFFFFFFul);
    EXPECT_EQ(read->hidden.GetValue(), 1);
    EXPECT_EQ(read->strength.GetValue(), 50u);
    EXPECT_EQ(read->angle.GetValue(), 270u);
    EXPECT_EQ(read->speed.GetValue(), 4u);
    EXPECT_EQ(read->effectLink.GetValue(), (FileLinkValue{L"stream", 7}));
}

TEST(StreamRecord, LayerCountReadFromADocumentIsCapped)
{
    DS_WaterfallFX stream;
    stream.layerCount.SetValue(0xFFFFFFFFu);
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    stream.Write(&out);
    const auto read = ReadSceneItemAs<DS_WaterfallFX>(memory);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->layerCount.GetValue(), DS_WaterfallFX::kMaxLayers);
    SetCurrentDocResManager(nullptr);
    std::unique_ptr<DS_BrushObj> object(static_cast<DS_BrushObj*>(read->CreateObject()));
    EXPECT_EQ(static_cast<const DS_WaterfallFX&>(*object->Brush()).Layers().size(), DS_WaterfallFX::kMaxLayers);
}

TEST(StreamRecord, TruncatedRecordsFail)
{
    DS_WaterfallFX stream;
    ForEachTruncation(stream, 3, [](MemoryArchive& memory, size_t cut) {
        EXPECT_EQ(ReadSceneItem(memory), nullptr) << "cut " << cut;
    });
}

// ---- pixels with the compiled stream effect ----

using StreamPixels = BrushPixelFixture;

TEST_F(StreamPixels, ColourWavesOnTheGridMoveInsideTheMaskOnly)
{
    DrawFrame(objects_);
    const std::vector<uint32_t> plainInside = Inside(100);
    const std::vector<uint32_t> plainOutside = Outside(100);

    StoreEffect(kEffectLink, "105_stream");
    DS_WaterfallFX item;
    MakeEmbeddedStream(item);
    item.effectLink.StoreValue(kEffectLink);
    item.noiseAmplitude.SetValue(0);
    item.layerCount.SetValue(1);
    item.layerTranslucency.SetValue(0);                                    // peak translucency 1
    item.speed.SetValue(100);                                              // clock 2 per second
    item.quad.SetRect(D3DXVECTOR3(128.0f, 128.0f, 0.0f), 256.0f, 256.0f);  // the whole picture
    manager_->Store().maskTextures[item.maskKey] = mask_;
    auto* object = MakeObject(item);
    ASSERT_TRUE(object->Brush()->HasEffect());

    Frame(0.2f);  // layer phase 0.4
    const std::vector<uint32_t> first = Inside(100);
    EXPECT_EQ(Outside(100), plainOutside);
    Frame(0.3f);  // layer phase 0.6
    const std::vector<uint32_t> second = Inside(100);
    EXPECT_EQ(Outside(100), plainOutside);
    EXPECT_NE(first, plainInside);
    EXPECT_NE(second, first);
}

}  // namespace
