#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "unit/MemoryArchive.h"

namespace {

constexpr uint32_t kSeed = 1;

// How many numbers were drawn from the generator since DS_SRand(kSeed),
// found by replaying the sequence (the state is restored afterwards).
int DrawsSince(uint32_t seed)
{
    const int next = DS_Rand();
    DS_SRand(seed);
    for (int n = 0; n < 1000; ++n) {
        if (DS_Rand() == next) {
            // Leave the generator where the time line left it.
            DS_SRand(seed);
            for (int k = 0; k < n; ++k) DS_Rand();
            return n;
        }
    }
    return -1;
}

struct Step {
    float t;
    int32_t phase;
    float alpha;
    float endTime;  // current state's end time after the update
    int draws;      // random numbers drawn so far
};

void RunSteps(DS_TimeLineControl& line, const Step* steps, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const Step& s = steps[i];
        line.AdvanceLocalTime(s.t);
        EXPECT_EQ(line.GetPhase(), s.phase) << "t = " << s.t;
        EXPECT_NEAR(line.GetAlpha(), s.alpha, 1e-4f) << "t = " << s.t;
        EXPECT_NEAR(line.Machine().Current().endTime, s.endTime, 1e-4f) << "t = " << s.t;
        EXPECT_EQ(DrawsSince(kSeed), s.draws) << "t = " << s.t;
    }
}

void SetRange(RandomDuration& d, uint32_t minimum, uint32_t maximum)
{
    d.minimum.StoreValue(minimum);
    d.maximum.StoreValue(maximum);
}

DS_TimeLineControl CycleLine()
{
    DS_TimeLineControl line;
    line.mode = DS_TimeLineControl::kCycle;
    return line;
}

TEST(TimeLineControlTest, CycleEntersOneStateAtATimeWithOneDrawPerTimedState)
{
    DS_SRand(kSeed);
    DS_TimeLineControl line = CycleLine();
    const Step steps[] = {
        {10.0f, 2, 0.0f, 10.5f, 0},                               // fades in at the first update
        {10.25f, 2, 0.5f, 10.5f, 0}, {10.6f, 0, 1.0f, 11.6f, 1},  // visible: one draw
        {11.0f, 0, 1.0f, 11.6f, 1},  {11.7f, 3, 1.0f, 12.2f, 1}, {12.3f, 1, 0.0f, 13.3f, 2},  // invisible: one draw
        {13.4f, 2, 0.0f, 13.9f, 2},
    };
    RunSteps(line, steps, std::size(steps));
}

TEST(TimeLineControlTest, RandomDurationsComeFromTheSequenceInEntryOrder)
{
    DS_SRand(kSeed);  // draws 41, 18467, 6334, ...
    DS_TimeLineControl line = CycleLine();
    SetRange(line.visible, 100, 300);    // 41 % 201 + 100 = 141
    SetRange(line.invisible, 200, 250);  // 18467 % 51 + 200 = 205
    line.fadeIn = 100;
    line.fadeOut = 0;
    const Step steps[] = {
        {1.0f, 2, 0.0f, 2.0f, 0},
        {2.5f, 0, 1.0f, 3.91f, 1},
        {4.0f, 3, 0.0f, 4.0f, 1},  // a fade-out of length 0 reports 0, not 0/0
        {4.5f, 1, 0.0f, 6.55f, 2},
    };
    RunSteps(line, steps, std::size(steps));
}

TEST(TimeLineControlTest, JumpsStillChangeOneStatePerUpdate)
{
    DS_SRand(kSeed);
    DS_TimeLineControl line = CycleLine();
    const Step steps[] = {
        {10.0f, 2, 0.0f, 10.5f, 0},
        {100.0f, 0, 1.0f, 101.0f, 1},
        {500.0f, 3, 1.0f, 500.5f, 1},
        {1000.0f, 1, 0.0f, 1001.0f, 2},
    };
    RunSteps(line, steps, std::size(steps));
}

TEST(TimeLineControlTest, FadeInOfLengthZeroReportsFullOpacity)
{
    DS_TimeLineControl line = CycleLine();
    line.fadeIn = 0;
    line.AdvanceLocalTime(5.0f);
    EXPECT_EQ(line.GetPhase(), DS_TimeLineControl::kFadingIn);
    EXPECT_FLOAT_EQ(line.GetAlpha(), 1.0f);
}

struct SpeedCase {
    const char* name;
    int32_t mode;
    int32_t speedMode;
    std::vector<float> times;
    std::vector<float> local;
};

TEST(TimeLineControlTest, LocalTimeFollowsModeAndSpeedMode)
{
    const SpeedCase cases[] = {
        {"always visible", 0, 0, {2.0f, 2.5f, 4.0f, 4.0f}, {2.0f, 2.5f, 4.0f, 4.0f}},
        {"always visible, speed follows opacity", 0, 2, {2.0f, 2.5f, 4.0f, 5.0f}, {2.0f, 2.5f, 4.0f, 5.0f}},
        {"cycle", 1, 0, {10.0f, 10.25f, 10.6f, 12.3f}, {10.0f, 10.25f, 10.6f, 12.3f}},
        // 10 x 0 (fade-in start), 0.25 x 0.5, 0.35 x 1 (visible), 1.1 x 1 (fade-out
        // start), 0.25 x 0.5, then invisible from 12.3: no advance.
        {"cycle, speed follows opacity",
         1,
         2,
         {10.0f, 10.25f, 10.6f, 11.7f, 11.95f, 12.3f, 12.8f},
         {0.0f, 0.125f, 0.475f, 1.575f, 1.7f, 1.7f, 1.7f}},
        {"windows", 2, 0, {1.0f, 3.0f, 3.5f, 7.0f}, {1.0f, 3.0f, 3.5f, 7.0f}},
        // No state is entered in mode 2: opacity 0, so no advance.
        {"windows, speed follows opacity", 2, 2, {1.0f, 3.0f, 3.5f, 7.0f}, {0, 0, 0, 0}},
        // An unknown mode never advances its states but its clock runs.
        {"unknown mode", 5, 0, {1.0f, 2.0f, 3.0f, 4.0f}, {1.0f, 2.0f, 3.0f, 4.0f}},
    };
    for (const SpeedCase& c : cases) {
        DS_TimeLineControl line;
        line.mode = c.mode;
        line.speedMode = c.speedMode;
        ASSERT_EQ(c.times.size(), c.local.size()) << c.name;
        for (size_t i = 0; i < c.times.size(); ++i)
            EXPECT_NEAR(line.AdvanceLocalTime(c.times[i]), c.local[i], 1e-4f) << c.name << " step " << i;
    }
}

TEST(TimeLineControlTest, UnknownModeStaysInvisible)
{
    DS_TimeLineControl line;
    line.mode = 7;
    line.AdvanceLocalTime(50.0f);
    EXPECT_EQ(line.GetPhase(), DS_TimeLineControl::kInvisible);
    EXPECT_FLOAT_EQ(line.GetAlpha(), 0.0f);
}

TEST(TimeLineControlTest, ResetRestartsTheCycleAndTheLocalTime)
{
    DS_TimeLineControl line = CycleLine();
    for (float t : {10.0f, 10.6f, 11.7f}) line.AdvanceLocalTime(t);
    line.Reset();
    EXPECT_FLOAT_EQ(line.Machine().LocalTime(), 0.0f);
    EXPECT_EQ(line.GetPhase(), DS_TimeLineControl::kInvisible);
    EXPECT_FLOAT_EQ(line.AdvanceLocalTime(3.0f), 3.0f);
    EXPECT_EQ(line.GetPhase(), DS_TimeLineControl::kFadingIn);
    EXPECT_FLOAT_EQ(line.Machine().Current().endTime, 3.5f);
}

TEST(TimeLineControlTest, CopyKeepsSettingsButStartsItsOwnCycle)
{
    DS_TimeLineControl line = CycleLine();
    line.fadeIn = 250;
    SetRange(line.visible, 300, 400);
    line.AddWindow({1, 2, 1, 2});
    line.AdvanceLocalTime(10.0f);
    line.evaluationTime = 4.0f;
    const DS_TimeLineControl copy(line);
    EXPECT_EQ(copy.mode, DS_TimeLineControl::kCycle);
    EXPECT_EQ(copy.fadeIn, 250u);
    EXPECT_EQ(copy.visible.maximum.GetValue(), 400u);
    EXPECT_EQ(copy.Windows().size(), 1u);
    EXPECT_FLOAT_EQ(copy.evaluationTime, 0.0f);
    EXPECT_FLOAT_EQ(copy.Machine().LocalTime(), 0.0f);
    EXPECT_EQ(copy.GetPhase(), DS_TimeLineControl::kInvisible);
}

// ---- windows ----

struct EnvelopeCase {
    float t;
    float alpha;
    int32_t phase;
};

TEST(TimeWindowTest, EnvelopeAndPhaseAcrossTheWindow)
{
    const TimeWindow w{1, 10, 2, 8};
    const EnvelopeCase cases[] = {
        {0.5f, 0, 1}, {1, 0, 2},    {1.5f, 0.5f, 2}, {2, 1, 0},     {5, 1, 0},
        {8, 1, 3},    {9, 0.5f, 3}, {10, 0, 3},      {10.5f, 0, 1},
    };
    for (const EnvelopeCase& c : cases) {
        EXPECT_NEAR(w.Envelope(c.t), c.alpha, 1e-5f) << c.t;
        EXPECT_EQ(w.Phase(c.t), c.phase) << c.t;
    }
    // Fades of length 0 give their end values, never 0/0.
    const TimeWindow sharp{1, 10, 1, 10};
    for (float t : {1.0f, 5.0f, 10.0f}) {
        const float a = sharp.Envelope(t);
        EXPECT_FALSE(std::isnan(a)) << t;
    }
    EXPECT_FLOAT_EQ(sharp.Envelope(1.0f), 1.0f);
    EXPECT_FLOAT_EQ(sharp.Envelope(10.0f), 0.0f);
}

TEST(TimeWindowTest, OverlappingAndInvalidWindowsAreDropped)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    DS_TimeLineControl line;
    EXPECT_TRUE(line.AddWindow({0, 10, 2, 8}));
    EXPECT_FALSE(line.AddWindow({5, 20, 6, 18}));    // overlaps
    EXPECT_FALSE(line.AddWindow({10, 12, 11, 11}));  // touches
    EXPECT_FALSE(line.AddWindow({30, 25, 26, 27}));  // ends before it starts
    EXPECT_FALSE(line.AddWindow({nan, 40, 41, 42}));
    EXPECT_FALSE(line.AddWindow({40, 50, nan, 45}));
    EXPECT_TRUE(line.AddWindow({40, 50, 41, 49}));
    EXPECT_TRUE(line.AddWindow({20, 30, 21, 29}));
    ASSERT_EQ(line.Windows().size(), 3u);
    EXPECT_FLOAT_EQ(line.Windows().begin()->start, 0.0f);
    EXPECT_FLOAT_EQ(std::next(line.Windows().begin())->start, 20.0f);
}

struct LookupCase {
    TimeWindow window;
    float evaluation;
    float alpha;
    int32_t phase;
    float cycle;
};

TEST(TimeWindowTest, WindowModeLooksUpTheWindowAtTheEvaluationTime)
{
    const LookupCase cases[] = {
        {{1, 10, 2, 8}, 0, 0, 1, 9},  // starts within 3 s: found, not yet visible
        {{5, 10, 6, 8}, 0, 0, 1, 2},  // too far ahead: fade-in + fade-out + visible minimum
        {{1, 10, 2, 8}, 1.5f, 0.5f, 2, 9}, {{1, 10, 2, 8}, 9, 0.5f, 3, 9},
        {{1, 10, 2, 8}, 11, 0, 1, 2},  // past its end
    };
    for (const LookupCase& c : cases) {
        DS_TimeLineControl line;
        line.mode = DS_TimeLineControl::kWindows;
        ASSERT_TRUE(line.AddWindow(c.window));
        line.evaluationTime = c.evaluation;
        EXPECT_NEAR(line.GetAlpha(), c.alpha, 1e-5f) << c.evaluation;
        EXPECT_EQ(line.GetPhase(), c.phase) << c.evaluation;
        EXPECT_NEAR(line.GetCycleLength(), c.cycle, 1e-5f) << c.evaluation;
    }
}

// ---- stored record ----

void WriteRecord(MemoryArchive& a, int32_t count, const std::vector<TimeWindow>& windows)
{
    a.WriteString(L"DS_TimeLineControl");
    a.WriteInt(1);
    a.WriteInt32(1);
    a.WriteInt32(2);
    for (uint32_t v : {10u, 20u, 30u, 40u, 150u, 250u}) a.WriteUInt(v);
    a.WriteInt(count);
    for (const TimeWindow& w : windows) {
        a.WriteFloat(w.start);
        a.WriteFloat(w.end);
        a.WriteFloat(w.fadeInEnd);
        a.WriteFloat(w.fadeOutStart);
    }
}

TEST(TimeLineRecordTest, ReadsTheFieldsAndDropsBadWindows)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    MemoryArchive archive;
    WriteRecord(archive, 5, {{0, 10, 2, 8}, {5, 20, 6, 18}, {30, 20, 22, 28}, {nan, 50, 41, 49}, {40, 50, 41, 49}});
    DS_IOF_Archive handle = archive.Handle();
    DS_TimeLineControl line;
    ASSERT_TRUE(line.Read(handle));
    EXPECT_EQ(line.mode, 1);
    EXPECT_EQ(line.speedMode, 2);
    EXPECT_EQ(line.invisible.minimum.GetValue(), 10u);
    EXPECT_EQ(line.invisible.maximum.GetValue(), 20u);
    EXPECT_EQ(line.visible.minimum.GetValue(), 30u);
    EXPECT_EQ(line.visible.maximum.GetValue(), 40u);
    EXPECT_FLOAT_EQ(line.FadeInSeconds(), 1.5f);
    EXPECT_FLOAT_EQ(line.FadeOutSeconds(), 2.5f);
    ASSERT_EQ(line.Windows().size(), 2u);
    EXPECT_FLOAT_EQ(line.Windows().rbegin()->start, 40.0f);
    EXPECT_EQ(archive.cursor, archive.bytes.size());
}

TEST(TimeLineRecordTest, WriteThenReadGivesTheSameTimeLine)
{
    DS_TimeLineControl line;
    line.mode = 2;
    line.speedMode = 0;
    SetRange(line.invisible, 5, 6);
    SetRange(line.visible, 7, 8);
    line.fadeIn = 9;
    line.fadeOut = 11;
    line.AddWindow({20, 30, 21, 29});
    line.AddWindow({1, 2, 1.5f, 1.5f});
    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    line.Write(handle);
    MemoryArchive expected;
    expected.WriteString(L"DS_TimeLineControl");
    expected.WriteInt(1);
    expected.WriteInt32(2);
    expected.WriteInt32(0);
    for (uint32_t v : {5u, 6u, 7u, 8u, 9u, 11u}) expected.WriteUInt(v);
    expected.WriteInt(2);
    for (float f : {1.0f, 2.0f, 1.5f, 1.5f, 20.0f, 30.0f, 21.0f, 29.0f}) expected.WriteFloat(f);
    EXPECT_EQ(archive.bytes, expected.bytes);

    DS_TimeLineControl back;
    ASSERT_TRUE(back.Read(handle));
    EXPECT_EQ(back.mode, 2);
    EXPECT_EQ(back.visible.maximum.GetValue(), 8u);
    EXPECT_EQ(back.fadeOut, 11u);
    EXPECT_EQ(back.Windows().size(), 2u);
}

TEST(TimeLineRecordTest, TruncatedRecordFailsWithoutHanging)
{
    // A damaged count promises two billion windows; the data ends after one.
    MemoryArchive archive;
    WriteRecord(archive, 0x7FFFFFFF, {{0, 10, 2, 8}});
    DS_IOF_Archive handle = archive.Handle();
    DS_TimeLineControl line;
    EXPECT_FALSE(line.Read(handle));
    EXPECT_EQ(line.Windows().size(), 1u);

    // Cut inside the fields: what was read is kept, the rest stays default.
    MemoryArchive cut;
    WriteRecord(cut, 0, {});
    cut.Truncate(4 * 4);
    DS_IOF_Archive cutHandle = cut.Handle();
    DS_TimeLineControl partial;
    EXPECT_FALSE(partial.Read(cutHandle));
    EXPECT_EQ(partial.visible.minimum.GetValue(), 30u);
    EXPECT_EQ(partial.fadeIn, 50u);

    DS_IOF_Archive none;
    EXPECT_FALSE(partial.Read(none));
}

}  // namespace
