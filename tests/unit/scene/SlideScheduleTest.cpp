// Slide switching and the fade through black: which slide shows at a given
// application time and how dark the fade overlay is then.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/scene/SlideSchedule.h"

namespace {

struct Frame {
    float t;
    size_t slide;
    float alpha;
    bool switched;
};

struct ScheduleCase {
    const char* what;
    std::vector<SlideTiming> timings;
    std::vector<Frame> frames;  // the first frame starts the show
};

const ScheduleCase kCases[] = {
    {"two slides 1/10/1 starting at 100",
     {{1, 10, 1}, {1, 10, 1}},
     {{100.0f, 0, 0.0f, false},
      {100.5f, 0, 0.0f, false},
      {110.5f, 0, 0.5f, false},
      {111.0f, 0, 1.0f, false},
      {111.25f, 1, 1.0f, true},
      {111.75f, 1, 0.5f, false},
      {112.25f, 1, 0.0f, false},
      {123.5f, 0, 1.0f, true}}},
    {"three slides wrap 0 1 2 0 1",
     {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}},
     {{0.0f, 0, 0.0f, false},
      {1.5f, 1, 0.0f, true},
      {3.0f, 2, 0.0f, true},
      {4.5f, 0, 0.0f, true},
      {6.0f, 1, 0.0f, true}}},
    {"the switch frame is black after a slide with a fade-in, even into one without",
     {{2, 1, 1}, {0, 5, 0}},
     {{10.0f, 0, 0.0f, false},
      {10.5f, 0, 0.0f, false},
      {11.5f, 0, 0.5f, false},
      {11.75f, 0, 0.75f, false},
      {12.5f, 1, 1.0f, true},
      {12.75f, 1, 0.0f, false}}},
    {"after a slide without fade-in the switch frame is not black; fade-out 0 ends without a fade",
     {{0, 2, 0}, {1, 1, 1}},
     {{0.0f, 0, 0.0f, false}, {1.99f, 0, 0.0f, false}, {2.5f, 1, 0.0f, true}, {3.0f, 1, 0.5f, false}}},
    {"one slide never switches and never fades",
     {{1, 1, 1}},
     {{0.0f, 0, 0.0f, false}, {2.5f, 0, 0.0f, false}, {100.0f, 0, 0.0f, false}}},
};

TEST(SlideSchedule, SwitchesSlidesAndFadesThroughBlack)
{
    for (const ScheduleCase& c : kCases) {
        SlideSchedule schedule;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            const Frame& frame = c.frames[i];
            const SlideSchedule::Step step = schedule.Advance(frame.t, c.timings);
            EXPECT_EQ(step.started, i == 0) << c.what << " at " << frame.t;
            EXPECT_EQ(schedule.Current(), frame.slide) << c.what << " at " << frame.t;
            EXPECT_NEAR(step.alpha, frame.alpha, 1e-4f) << c.what << " at " << frame.t;
            EXPECT_EQ(step.switched, frame.switched) << c.what << " at " << frame.t;
        }
    }
}

TEST(SlideSchedule, FirstSlideStartsFadedIn)
{
    SlideSchedule schedule;
    schedule.Advance(100.0f, {{1, 10, 1}, {3, 1, 1}});
    EXPECT_FLOAT_EQ(schedule.StartTime(), 99.0f);
    EXPECT_EQ(schedule.NextIndex(), 1u);
}

TEST(SlideSchedule, HugeTimesDoNotWrapIntoAShortCycle)
{
    // 1 + 0xFFFFFFFF + 1 would wrap to 1 second as a 32-bit sum.
    SlideSchedule schedule;
    const std::vector<SlideTiming> timings = {{1, 0xFFFFFFFFu, 1}, {1, 1, 1}};
    schedule.Advance(0.0f, timings);
    const SlideSchedule::Step step = schedule.Advance(5.0f, timings);
    EXPECT_FALSE(step.switched);
    EXPECT_EQ(schedule.Current(), 0u);
}

TEST(SlideSchedule, EmptyListDoesNothing)
{
    SlideSchedule schedule;
    const SlideSchedule::Step step = schedule.Advance(1.0f, {});
    EXPECT_FALSE(step.started);
    EXPECT_FALSE(schedule.Started());
}

TEST(FadeOverlay, OpacityStaysWithinZeroAndOne)
{
    struct Case {
        SlideTiming timing;
        float elapsed;
        float alpha;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {{1, 10, 1}, -5.0f, 1.0f},  // time went backwards
        {{1, 10, 1}, 0.25f, 0.75f},
        {{1, 10, 1}, 5.0f, 0.0f},
        {{1, 10, 1}, 11.25f, 0.25f},
        {{1, 10, 1}, 50.0f, 1.0f},  // past the cycle
        {{0, 10, 0}, 11.0f, 0.0f},  // no fade-out: no division by 0
        {{0, 0, 0}, 0.0f, 0.0f},
        {{1, 10, 1}, nan, 0.0f},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(FadeOverlayAlpha(c.timing, c.elapsed), c.alpha, 1e-5f) << c.elapsed;
    }
    EXPECT_EQ(FadeOverlayAlphaByte(0.5f), 127);
    EXPECT_EQ(FadeOverlayAlphaByte(1.0f), 255);
    EXPECT_EQ(FadeOverlayAlphaByte(2.0f), 255);
    EXPECT_EQ(FadeOverlayAlphaByte(-1.0f), 0);
}

}  // namespace
