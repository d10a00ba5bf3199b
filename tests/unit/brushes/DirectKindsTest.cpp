// The waves, light and light II brushes: directions, frequency and time of
// the waves, the pulse of both lights, and the blend techniques.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "effects/brushes/LightFX.h"
#include "effects/brushes/LightFX_II.h"
#include "effects/brushes/WavesFX.h"
#include "engine/params/Noise.h"
#include "unit/brushes/BrushFixture.h"
#include "unit/brushes/BrushKindHelpers.h"

namespace {

// ---- waves ----

struct WavesCase {
    const char* name;
    unsigned angle;
    int crossMode;
    std::vector<float> direction;  // "direction"
    std::vector<float> second;     // "direction_n"
};

class WavesDraw : public BrushFixture, public ::testing::WithParamInterface<WavesCase> {};

TEST_P(WavesDraw, DirectionsFrequencyAmplitudeAndTime)
{
    const WavesCase& c = GetParam();
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    DS_WavesFX item;
    item.effectLink.StoreValue(kEffectLink);
    item.angle.SetValue(c.angle);
    item.crossMode.SetValue(c.crossMode);
    auto object = MakeObject(item);
    // One second of local time at speed 25: clock 25, "time" 2.
    for (int i = 0; i <= 10; ++i) object->Update(0.1f * static_cast<float>(i));
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    const RecordingEffect::State& s = effect->draws[0];
    EXPECT_EQ(s.technique, "Main");
    ExpectNear(s.Floats("direction"), c.direction, 1e-6f, c.name);
    ExpectNear(s.Floats("direction_n"), c.second, 1e-6f, c.name);
    ExpectNear(s.Floats("frequency"), {38.46f}, 0.01f, "frequency");
    ExpectNear(s.Floats("amplitude"), {0.0125f}, 1e-7f, "amplitude");
    ExpectNear(s.Floats("time"), {2.0f}, 1e-4f, "time");
    EXPECT_EQ(s.Floats("Scale").size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Cases, WavesDraw,
                         ::testing::Values(WavesCase{"angle 0, across", 0, 0, {-1, 0}, {0, 1}},
                                           WavesCase{"angle 0, against", 0, 1, {-1, 0}, {-1, 0}},
                                           WavesCase{"angle 90, across", 90, 0, {0, 1}, {1, 0}},
                                           WavesCase{"angle 90, against", 90, 5, {0, 1}, {0, 1}}));

TEST(WavesDirections, ChangingTheAngleOrModeRecomputesAndCopiesRecompute)
{
    DS_WavesFX waves;
    waves.angle.SetValue(270);
    EXPECT_NEAR(waves.Direction()[1], 1.0f, 1e-6f);
    waves.crossMode.SetValue(1);
    EXPECT_NEAR(waves.SecondDirection()[1], -1.0f, 1e-6f);
    // A stored (read) value tells no listener; the copy recomputes.
    waves.angle.StoreValue(0);
    std::unique_ptr<DS_FX_Constructor> clone(waves.Clone());
    const auto& copy = static_cast<const DS_WavesFX&>(*clone);
    EXPECT_NEAR(copy.Direction()[0], 1.0f, 1e-6f);
    EXPECT_NEAR(copy.SecondDirection()[0], -1.0f, 1e-6f);
}

TEST(WavesDefaults, DerivedValuesAndEffect)
{
    DS_WavesFX waves;
    EXPECT_NEAR(waves.wavelength.GetDerived(), 0.026f, 1e-7f);
    EXPECT_FLOAT_EQ(waves.speed.GetDerived(), 25.0f);
    EXPECT_EQ(waves.effectLink.GetValue(), (FileLinkValue{L"common_res.dll", 77}));
}

// ---- light ----

struct PulseCase {
    const char* name;
    int mode;
    float clock;
    float pulse;
};

class LightPulse : public ::testing::TestWithParam<PulseCase> {};

TEST_P(LightPulse, PulseOfTheMode)
{
    const PulseCase& c = GetParam();
    DS_LightFX light;
    light.pulseMode.SetValue(c.mode);
    RunClockTo(light, c.clock);
    EXPECT_NEAR(light.Pulse(), c.pulse, 1e-5f) << c.name;
}

// Sine (sin(0.2 c) + 1) / 2; the square wave is 0 at one half exactly.
INSTANTIATE_TEST_SUITE_P(
    Cases, LightPulse,
    ::testing::Values(PulseCase{"sine at 0", 0, 0.0f, 0.5f}, PulseCase{"square at 0", 1, 0.0f, 0.0f},
                      PulseCase{"sine at 5pi/2", 0, 7.853982f, 1.0f}, PulseCase{"square at 5pi/2", 1, 7.853982f, 1.0f},
                      PulseCase{"noise at 0", 2, 0.0f, static_cast<float>((OctaveNoise1D(0.0, 75, 0.5, 2) + 1) / 2)}));

TEST(LightPulseNoise, StaysWithinZeroAndOne)
{
    for (float clock : {0.5f, 3.0f, 40.0f, 400.0f}) {
        const float p = LightNoisePulse(clock);
        EXPECT_GE(p, 0.0f) << clock;
        EXPECT_LE(p, 1.0f) << clock;
    }
}

using LightDraw = BrushFixture;

TEST_F(LightDraw, MultiplierIsBrightnessTimesPulseTimesFade)
{
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    DS_LightFX item;  // brightness 0.4, sine pulse
    item.effectLink.StoreValue(kEffectLink);
    SetHalfFade(item);
    auto object = MakeObject(item);
    object->Update(0.0f);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    EXPECT_EQ(effect->draws[0].technique, "Main");
    ExpectNear(effect->draws[0].Floats("multiplier"), {0.1f}, 1e-6f, "multiplier");
}

// ---- light II ----

struct LightIICase {
    const char* name;
    int pulseMode;
    int blendMode;
    float alpha;  // "BlendColor" alpha at clock 0 with intensity 0.5
    const char* technique;
};

class LightIIDraw : public BrushFixture, public ::testing::WithParamInterface<LightIICase> {};

TEST_P(LightIIDraw, PulseColourAndBlendTechnique)
{
    const LightIICase& c = GetParam();
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    // The shared effect was last used with this technique.
    effect->current.technique = "Blend_Screen";
    DS_LightFX_II item;
    item.effectLink.StoreValue(kEffectLink);
    item.intensity.SetValue(50);
    item.color.SetValue(0x3366FF);
    item.pulseMode.SetValue(c.pulseMode);
    item.blendMode.SetValue(c.blendMode);
    auto object = MakeObject(item);
    EXPECT_EQ(object->Brush()->Grid().VertexCount(), 9u);
    object->Update(0.0f);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u) << c.name;
    const RecordingEffect::State& s = effect->draws[0];
    EXPECT_EQ(s.technique, c.technique) << c.name;
    ExpectNear(s.Floats("BlendColor"), {1.0f, 0x66 / 255.0f, 0x33 / 255.0f, c.alpha}, 1e-6f, c.name);
    EXPECT_TRUE(s.HasTexture("Texture2"));
    EXPECT_EQ(s.Texture("Texture1"), static_cast<IDirect3DBaseTexture9*>(picture_.Get()));
    EXPECT_TRUE(s.Floats("Scale").empty());
    EXPECT_FALSE(s.HasTexture("Mask"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LightIIDraw,
    ::testing::Values(LightIICase{"constant, normal", 0, 0, 0.5f, "Blend_Normal"},
                      LightIICase{"sine, sum", 1, 3, 0.25f, "Blend_Sum"},
                      LightIICase{"square at 0 is 0, dodge", 2, 2, 0.0f, "PS_ColorDodge"},
                      LightIICase{"mode 7 is constant, screen", 7, 1, 0.5f, "Blend_Screen"},
                      LightIICase{"blend mode 4 keeps the last technique", 0, 4, 0.5f, "Blend_Screen"},
                      LightIICase{"blend mode -1 keeps the last technique", 0, -1, 0.5f, "Blend_Screen"}));

TEST(LightIIPulse, NoiseModeUsesTheLightNoise)
{
    DS_LightFX_II light;
    light.speed.SetValue(1);
    light.pulseMode.SetValue(DS_LightFX_II::kNoisePulse);
    RunClockTo(light, 3.0f);
    EXPECT_FLOAT_EQ(light.Pulse(), LightNoisePulse(light.Clock()));
}

}  // namespace
