#include "engine/params/UINTSclaleTo.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/params/FunLightCtrl.h"
#include "engine/params/MediaColor.h"
#include "unit/MemoryArchive.h"

namespace {

struct ScaledCase {
    const char* name;
    unsigned value;
    float scale;
    float offset;
    float derived;
};

class ScaledDerivedTest : public ::testing::TestWithParam<ScaledCase> {};

TEST_P(ScaledDerivedTest, DerivedIsOffsetPlusScaleTimesValue)
{
    const ScaledCase& c = GetParam();
    UINTSclaleTo<float> param(c.value, c.scale, c.offset);
    EXPECT_FLOAT_EQ(param.GetDerived(), c.derived);
    // A copy recomputes it, also when the value is 0 and only the offset counts.
    UINTSclaleTo<float> copy(param);
    EXPECT_FLOAT_EQ(copy.GetDerived(), c.derived);
    EXPECT_EQ(copy.GetValue(), c.value);
}

// Brush defaults with the derived values their items list.
const ScaledCase kScaledCases[] = {
    {"WaveAmplitude", 50, 0.00025f, 0.0f, 0.0125f},
    {"WaveLength", 50, 0.0005f, 0.001f, 0.026f},
    {"LightBrightness", 40, 0.01f, 0.0f, 0.4f},
    {"WaterWaveShape", 20, 0.0001f, 0.0f, 0.002f},
    {"WaterBumpStrength", 20, 0.001f, 0.0f, 0.02f},
    {"WaterSecondStep", 20, 0.00025f, 0.0f, 0.005f},
    {"WaterFirstLength", 20, 0.0005f, 0.001f, 0.011f},
    {"Speed50", 50, 0.02f, 0.0f, 1.0f},
    {"Speed25Unscaled", 25, 1.0f, 0.0f, 25.0f},
    {"MoveStrength", 50, 0.0002f, 0.0f, 0.01f},
    {"StreamTranslucency", 0, -0.01f, 1.0f, 1.0f},
    {"StreamThreshold", 0, -0.001f, 1.0f, 1.0f},
    {"CloudThreshold", 0, 0.02f, 1.0f, 1.0f},
    {"DriftSpeed", 50, 0.005f, 0.0f, 0.25f},
};

INSTANTIATE_TEST_SUITE_P(Defaults, ScaledDerivedTest, ::testing::ValuesIn(kScaledCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScaledParamTest, TimeParamIsSeconds)
{
    TimeParam fade(50);
    EXPECT_FLOAT_EQ(fade.GetDerived(), 0.5f);
    fade.SetValue(250);
    EXPECT_FLOAT_EQ(fade.GetDerived(), 2.5f);
}

struct DerivedProbe {
    const UINTSclaleTo<float>* param = nullptr;
    std::vector<float> seen;
    void OnChange() { seen.push_back(param->GetDerived()); }
};

TEST(ScaledParamTest, DerivedValueIsCurrentBeforeLaterListeners)
{
    UINTSclaleTo<float> speed(50, 0.02f, 0.0f);
    DerivedProbe probe;
    probe.param = &speed;
    DS_FunLightCtrl2<DerivedProbe> listener(&DerivedProbe::OnChange, &probe);
    listener.Attach(&speed);
    ASSERT_EQ(speed.Controls().size(), 3u);  // undo control, itself, the probe
    speed.SetValue(100);
    ASSERT_EQ(probe.seen.size(), 1u);
    EXPECT_FLOAT_EQ(probe.seen[0], 2.0f);
}

TEST(ScaledParamTest, ScaleAndOffsetChangesRecompute)
{
    UINTSclaleTo<float> param;
    param.SetValue(10);
    EXPECT_FLOAT_EQ(param.GetDerived(), 10.0f);
    param.SetScale(0.5f);
    param.SetOffset(1.0f);
    EXPECT_FLOAT_EQ(param.GetDerived(), 6.0f);
}

TEST(ScaledParamTest, ReadNotifiesAndWriteStoresTheValueAlone)
{
    MediaSpeedParam speed(50, 0.02f, 0.0f);
    MemoryArchive out;
    speed.Write(out.Handle());
    EXPECT_EQ(out.bytes, (std::vector<uint8_t>{50, 0, 0, 0}));

    DerivedProbe probe;
    probe.param = &speed;
    DS_FunLightCtrl2<DerivedProbe> listener(&DerivedProbe::OnChange, &probe);
    listener.Attach(&speed);
    MemoryArchive in(std::vector<uint8_t>{150, 0, 0, 0});
    speed.Read(in.Handle());
    EXPECT_EQ(speed.GetValue(), 150u);
    EXPECT_FLOAT_EQ(speed.GetDerived(), 3.0f);
    EXPECT_EQ(probe.seen.size(), 1u);
}

struct ClockStep {
    float t;
    float lastStep;
    float localTime;
    float lastTime;
};

struct ClockCase {
    const char* name;
    unsigned value;
    float scale;
    std::vector<ClockStep> steps;
};

class SpeedClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(SpeedClockTest, AdvancesByAtMostTwoTenthsTimesSpeed)
{
    const ClockCase& c = GetParam();
    MediaSpeedParam speed(c.value, c.scale, 0.0f);
    for (const ClockStep& s : c.steps) {
        speed.Update(s.t);
        EXPECT_NEAR(speed.GetLastStep(), s.lastStep, 1e-5f) << "t=" << s.t;
        EXPECT_NEAR(speed.GetLocalTime(), s.localTime, 1e-5f) << "t=" << s.t;
        EXPECT_FLOAT_EQ(speed.GetLastTime(), s.lastTime) << "t=" << s.t;
    }
}

const ClockCase kClockCases[] = {
    // The first update after a long start counts only 0.2 s.
    {"FirstUpdateCapped", 50, 0.02f, {{5.0f, 0.2f, 0.2f, 5.0f}, {5.1f, 0.1f, 0.3f, 5.1f}}},
    {"PauseCapped", 50, 0.02f, {{9.0f, 0.2f, 0.2f, 9.0f}, {10.0f, 0.2f, 0.4f, 10.0f}}},
    {"TimeBackwards", 50, 0.02f, {{10.0f, 0.2f, 0.2f, 10.0f}, {9.0f, 0.0f, 0.2f, 9.0f}}},
    {"DoubleSpeed", 100, 0.02f, {{0.1f, 0.2f, 0.2f, 0.1f}, {1.0f, 0.4f, 0.6f, 1.0f}}},
    {"Stopped", 0, 0.02f, {{0.1f, 0.0f, 0.0f, 0.1f}}},
};

INSTANTIATE_TEST_SUITE_P(Clocks, SpeedClockTest, ::testing::ValuesIn(kClockCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScaledParamTest, SpeedCopyKeepsScaleAndClock)
{
    MediaSpeedParam speed(50, 0.02f, 0.0f);
    speed.Update(0.1f);
    MediaSpeedParam copy(speed);
    EXPECT_FLOAT_EQ(copy.GetDerived(), 1.0f);
    EXPECT_FLOAT_EQ(copy.GetLocalTime(), speed.GetLocalTime());
    copy.ResetClock();
    EXPECT_EQ(copy.GetLocalTime(), 0.0f);
    copy.CopyClockFrom(speed);
    EXPECT_FLOAT_EQ(copy.GetLastTime(), 0.1f);
}

TEST(ScaledParamTest, CounterKindsKeepTheirAccumulator)
{
    PerSecondCounterRnd stars(0, 0.02f, 0.0f);
    stars.SetValue(100);
    EXPECT_FLOAT_EQ(stars.GetDerived(), 2.0f);
    stars.SetAccumulator(1.5f);
    PerSecondCounter copy(stars);
    EXPECT_FLOAT_EQ(copy.GetAccumulator(), 1.5f);
    MediaFloat<unsigned> side(0, 3.0f, 0.0f);
    side.SetValue(2);
    EXPECT_FLOAT_EQ(side.GetDerived(), 6.0f);
}

struct AlphaCase {
    unsigned transparency;
    unsigned alpha;
};

class ColorAlphaTest : public ::testing::TestWithParam<AlphaCase> {};

TEST_P(ColorAlphaTest, AlphaIsTruncatedFromTransparency)
{
    MediaColor color;
    color.transparency.SetValue(GetParam().transparency);
    EXPECT_EQ(static_cast<unsigned>(color.GetAlpha()), GetParam().alpha);
    MediaColor copy(color);
    EXPECT_EQ(static_cast<unsigned>(copy.GetAlpha()), GetParam().alpha);
}

INSTANTIATE_TEST_SUITE_P(Transparencies, ColorAlphaTest,
                         ::testing::Values(AlphaCase{0, 255}, AlphaCase{10, 229}, AlphaCase{50, 127},
                                           AlphaCase{99, 2}, AlphaCase{100, 0},
                                           // Above 100 the low byte of the truncated sum stands:
                                           // 255 - 257.55 truncates to -2, byte 254.
                                           AlphaCase{101, 254},
                                           // Far out of range: the processor's answer, byte 0.
                                           AlphaCase{0xFFFFFFFFu, 0}));

TEST(MediaColorTest, DefaultsAndStoredForm)
{
    MediaColor color;
    EXPECT_EQ(color.GetValue(), 0xFFFFFFul);
    EXPECT_EQ(color.GetAlpha(), 255);

    MediaColor red(0x0000FFul, 50);
    MemoryArchive out;
    red.Write(out.Handle());
    EXPECT_EQ(out.bytes, (std::vector<uint8_t>{0xFF, 0, 0, 0, 50, 0, 0, 0}));

    MemoryArchive in(out.bytes);
    color.Read(in.Handle());
    EXPECT_EQ(color.GetValue(), 0x0000FFul);
    EXPECT_EQ(color.GetAlpha(), 127);
    EXPECT_EQ(color.GetUndoCtrl().CachedValue(), 0x0000FFul);  // read through the setter
}

}  // namespace
