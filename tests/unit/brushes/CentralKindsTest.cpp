// The expand, rotation and bend brushes: their per-frame values, the
// parameters they hand their effect, and the rotation's ellipse ratio of 0.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "effects/brushes/BendFX.h"
#include "effects/brushes/ExpandFX.h"
#include "effects/brushes/RotationFX.h"
#include "engine/params/Noise.h"
#include "unit/brushes/BrushFixture.h"
#include "unit/brushes/BrushKindHelpers.h"

namespace {

constexpr float kPi = 3.1415927f;

// ---- expand ----

struct ExpandCase {
    const char* name;
    int waveForm;
    float clock;
    bool halfFade;
    float wave;       // w
    float amplitude;  // current amplitude with the default amplitudes
};

class ExpandWave : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandWave, TriangleAndSineWithTheDefaultAmplitudes)
{
    const ExpandCase& c = GetParam();
    DS_ExpandFX expand;
    expand.waveForm.SetValue(c.waveForm);
    if (c.halfFade) SetHalfFade(expand);
    EXPECT_NEAR(expand.Wave(c.clock), c.wave, 1e-5f) << c.name;
    RunClockTo(expand, c.clock);
    EXPECT_NEAR(expand.Clock(), c.clock, 1e-4f) << c.name;
    EXPECT_NEAR(expand.CurrentAmplitude(), c.amplitude, 1e-5f) << c.name;
}

// Defaults: outward 0.25, inward 0; the triangle is -1 at 0 and 1 at pi.
INSTANTIATE_TEST_SUITE_P(Cases, ExpandWave,
                         ::testing::Values(ExpandCase{"triangle at 0", 0, 0.0f, false, -1.0f, 0.0f},
                                           ExpandCase{"triangle at pi/2", 0, kPi / 2.0f, false, 0.0f, 0.125f},
                                           ExpandCase{"triangle at pi", 0, kPi, false, 1.0f, 0.25f},
                                           ExpandCase{"triangle at 3pi/2", 0, 1.5f * kPi, false, 0.0f, 0.125f},
                                           ExpandCase{"triangle at pi, half faded", 0, kPi, true, 1.0f, 0.125f},
                                           ExpandCase{"sine at pi/2", 1, kPi / 2.0f, false, 1.0f, 0.25f},
                                           ExpandCase{"sine at 3pi/2", 5, 1.5f * kPi, false, -1.0f, 0.0f}));

struct SplitCase {
    float amplitude;
    float outward, inward;
};

class ExpandSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ExpandSplit, PositiveGoesOutwardTheRestInward)
{
    float out[2];
    DS_ExpandFX::SplitAmplitude(GetParam().amplitude, out);
    EXPECT_FLOAT_EQ(out[0], GetParam().outward);
    EXPECT_FLOAT_EQ(out[1], GetParam().inward);
}

INSTANTIATE_TEST_SUITE_P(Amplitudes, ExpandSplit,
                         ::testing::Values(SplitCase{0.25f, 0.25f, 0.0f}, SplitCase{-0.1f, 0.0f, 0.1f},
                                           SplitCase{0.0f, 0.0f, 0.0f}));

using CentralDraw = BrushFixture;

TEST_F(CentralDraw, ExpandHandsItsAmplitudeAndCentreToTheEffect)
{
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    DS_ExpandFX item;  // centre from the view metrics of the picture
    item.effectLink.StoreValue(kEffectLink);
    auto object = MakeObject(item);
    RunClockTo(*object->Brush(), kPi);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    const RecordingEffect::State& s = effect->draws[0];
    EXPECT_EQ(s.technique, "Main");
    ExpectNear(s.Floats("amplitude"), {0.25f, 0.0f}, 1e-5f, "amplitude");
    ExpectNear(s.Floats("center"), {0.5f, 0.5f}, 1e-6f, "center");
    EXPECT_EQ(s.Floats("Scale").size(), 2u);
}

// ---- rotation ----

struct RotationCase {
    const char* name;
    unsigned ratioValue;  // derived = value / 1000
    int direction;
    std::vector<float> transform;  // for angle a = 0.3 (direction 0) or -0.3
    unsigned ellipseAngle = 0;     // degrees
};

class RotationTransform : public ::testing::TestWithParam<RotationCase> {};

TEST_P(RotationTransform, PlainOrEllipticRotation)
{
    const RotationCase& c = GetParam();
    DS_RotationFX rotation;
    rotation.speed.SetValue(200);  // derived 1.0
    rotation.ellipseRatio.SetValue(c.ratioValue);
    rotation.direction.SetValue(c.direction);
    rotation.ellipseAngle.SetValue(c.ellipseAngle);
    RunClockTo(rotation, 0.3f);
    float t[4];
    rotation.Transform(t);
    for (float v : t) EXPECT_TRUE(std::isfinite(v)) << c.name;
    ExpectNear({t[0], t[1], t[2], t[3]}, c.transform, 1e-5f, c.name);
}

const float kCos = std::cos(0.3f), kSin = std::sin(0.3f);

// The turn along an ellipse of ratio k whose axes lie at angle g: with
// C = cos g, S = sin g it is (cos a + p sin a, q sin a, -r sin a, cos a - p sin a)
// with p = C S (1 / k - k), q = S^2 / k + C^2 k, r = C^2 / k + S^2 k. At 90 degrees
// the axes swap; at 180 degrees the ellipse is the one at 0.
RotationCase EllipseCase(const char* name, unsigned degrees, float p, float q, float r)
{
    return RotationCase{name, 500, 0, {kCos + p * kSin, q * kSin, -r * kSin, kCos - p * kSin}, degrees};
}

// Ratio 0 (the default) would divide by zero; it counts as 1, a plain turn.
INSTANTIATE_TEST_SUITE_P(Cases, RotationTransform,
                         ::testing::Values(RotationCase{"ratio 1", 1000, 0, {kCos, kSin, -kSin, kCos}},
                                           RotationCase{"ratio 1, turning back", 1000, 1, {kCos, -kSin, kSin, kCos}},
                                           RotationCase{"ratio 0 counts as 1", 0, 0, {kCos, kSin, -kSin, kCos}},
                                           RotationCase{"ratio 0.5", 500, 0, {kCos, 0.5f * kSin, -2.0f * kSin, kCos}},
                                           EllipseCase("ratio 0.5 at 30 degrees", 30, 0.649519f, 0.875f, 1.625f),
                                           EllipseCase("ratio 0.5 at 45 degrees", 45, 0.75f, 1.25f, 1.25f),
                                           EllipseCase("ratio 0.5 at 90 degrees", 90, 0.0f, 2.0f, 0.5f),
                                           EllipseCase("ratio 0.5 at 180 degrees", 180, 0.0f, 0.5f, 2.0f)));

TEST(RotationDefaults, DocumentEffectAndFadeDrivenTimeLine)
{
    DS_RotationFX rotation;
    EXPECT_EQ(rotation.TimeLine().speedMode, DS_TimeLineControl::kSpeedFollowsOpacity);
    EXPECT_EQ(rotation.effectLink.GetValue(), FileLinkValue{});
    EXPECT_FLOAT_EQ(rotation.ellipseRatio.GetDerived(), 0.0f);
    EXPECT_FLOAT_EQ(rotation.EllipseRatio(), 1.0f);
}

struct MixCase {
    int32_t speedMode;
    unsigned ratioValue;
    float alpha;  // with the time line at half opacity
};

class RotationDraw : public BrushFixture, public ::testing::WithParamInterface<MixCase> {};

TEST_P(RotationDraw, MixColourAlphaFollowsTheSpeedMode)
{
    const MixCase& c = GetParam();
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    DS_RotationFX item;
    item.effectLink.StoreValue(kEffectLink);
    item.ellipseRatio.SetValue(c.ratioValue);
    item.TimeLine().speedMode = c.speedMode;
    SetHalfFade(item);
    auto object = MakeObject(item);
    object->Update(0.5f);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    const RecordingEffect::State& s = effect->draws[0];
    ExpectNear(s.Floats("mix_color"), {1.0f, 1.0f, 1.0f, c.alpha}, 1e-6f, "mix_color");
    ExpectNear(s.Floats("offset"), {-0.5f, -0.5f}, 1e-6f, "offset");
    ASSERT_EQ(s.Floats("coord_transf").size(), 4u);
    for (float v : s.Floats("coord_transf")) EXPECT_TRUE(std::isfinite(v));
}

INSTANTIATE_TEST_SUITE_P(Modes, RotationDraw,
                         ::testing::Values(MixCase{0, 1000, 1.0f}, MixCase{1, 1000, 0.5f}, MixCase{2, 1000, 1.0f},
                                           MixCase{2, 0, 1.0f}));

// ---- bend ----

struct BendCase {
    const char* name;
    unsigned first, second;  // derived = value x 0.002
    float clock;
    float bend;
};

class BendValues : public ::testing::TestWithParam<BendCase> {};

TEST_P(BendValues, SwingsBetweenTheTwoBends)
{
    const BendCase& c = GetParam();
    DS_BendFX bend;
    bend.speed.SetValue(50);  // derived 1.0
    bend.firstBend.SetValue(c.first);
    bend.secondBend.SetValue(c.second);
    RunClockTo(bend, c.clock);
    EXPECT_NEAR(bend.CurrentBend(), c.bend, 1e-5f) << c.name;
}

// Equal bends b give b sin(clock); first 2b' and second 0 swing from 0 to 2b'.
INSTANTIATE_TEST_SUITE_P(Cases, BendValues,
                         ::testing::Values(BendCase{"equal, peak", 50, 50, kPi / 2.0f, 0.1f},
                                           BendCase{"equal, trough", 50, 50, 1.5f * kPi, -0.1f},
                                           BendCase{"equal, at 1", 50, 50, 1.0f, 0.1f * std::sin(1.0f)},
                                           BendCase{"one-sided, peak", 100, 0, kPi / 2.0f, 0.2f},
                                           BendCase{"one-sided, trough", 100, 0, 1.5f * kPi, 0.0f}));

// The noise is three octaves of value noise at 50 x the clock over a scale
// of 75, each octave half the one before.
TEST(BendNoise, NoiseModeOneScalesTheBendByOnePlusASine)
{
    for (float clock : {0.3f, 1.7f, 4.2f}) {
        DS_BendFX plain, noisy;
        for (DS_BendFX* b : {&plain, &noisy}) {
            b->speed.SetValue(50);
            b->firstBend.SetValue(100);
        }
        noisy.noiseMode.SetValue(DS_BendFX::kNoiseMode);
        RunClockTo(plain, clock);
        RunClockTo(noisy, clock);
        ASSERT_GT(plain.CurrentBend(), 0.0f);
        const double noise = OctaveNoise1D(static_cast<double>(noisy.Clock()) * 50.0, 75.0, 0.5, 3);
        const float sine = static_cast<float>(std::sin(noise));
        ASSERT_GT(std::fabs(sine), 0.05f) << clock;  // the noise makes a difference here
        EXPECT_NEAR(noisy.CurrentBend(), plain.CurrentBend() * (1.0f + sine), 1e-6f) << clock;
    }
}

struct BendDrawCase {
    int fullScreen;
    const char* technique;
};

class BendDraw : public BrushFixture, public ::testing::WithParamInterface<BendDrawCase> {};

TEST_P(BendDraw, CentreAngleAndBendThenTheGridOrThePicture)
{
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    DS_BendFX item;
    item.effectLink.StoreValue(kEffectLink);
    item.fullScreen.SetValue(GetParam().fullScreen);
    item.speed.SetValue(50);
    item.firstBend.SetValue(50);
    item.secondBend.SetValue(50);
    item.bendFactor.SetValue(25);
    item.center.SetValue(D3DXVECTOR3(256.0f, 192.0f, 0.0f));
    item.quad.SetRect(D3DXVECTOR3(512, 384, 0), 200, 100);
    SetHalfFade(item);
    auto object = MakeObject(item);
    EXPECT_EQ(object->Brush()->Grid().VertexCount(), 9u);
    RunClockTo(*object->Brush(), kPi / 2.0f);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    const RecordingEffect::State& s = effect->draws[0];
    EXPECT_EQ(s.technique, GetParam().technique);
    ExpectNear(s.Floats("Center"), {0.25f, 0.25f}, 1e-6f, "Center");
    ExpectNear(s.Floats("Angle"), {0.05f}, 1e-5f, "Angle");
    ExpectNear(s.Floats("Bend"), {0.5f}, 1e-6f, "Bend");
    EXPECT_EQ(s.Floats("Scale").size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(Flags, BendDraw, ::testing::Values(BendDrawCase{0, "Main"}, BendDrawCase{1, "MainFX"}));

}  // namespace
