// The painted brushes' own rules without a device: the glint cycle (grow,
// shrink, restart by the brush's update, minimum size, the cases without a
// cycle), the random phase, the twinkling stars' speed and the values their
// points get.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/params/Random.h"
#include "objects/particles/AirBrush.h"

namespace {

// A glint cycle with grow and shrink times in hundredths of a second.
DS_Bling MakeBling(unsigned grow, unsigned shrink, unsigned minimum = 0)
{
    DS_Bling bling;
    bling.growTime.SetValue(grow);
    bling.shrinkTime.SetValue(shrink);
    bling.minimumSize.SetValue(minimum);
    bling.size.SetValue(100);
    return bling;
}

// A glint brush with one point at a fresh cycle, run by the brush's own
// update (without a particles object) at speed 1 in steps of application
// time, so that a finished cycle starts again as the brush starts it.
class GlintRun {
public:
    explicit GlintRun(const DS_Bling& bling) : bling_(bling)
    {
        bling_.speed.SetValue(50);  // derived 1.0
        bling_.points.emplace_back(0.0f, 0.0f, 0.0f);
    }

    const DS_Bling& Brush() const { return bling_; }
    PParticle& Point() { return bling_.points[0]; }
    float StartGlint() { return bling_.StartGlint(Point()); }

    // Runs the brush in steps of dt for t more seconds; the point's size.
    float SizeAfter(float t, float dt)
    {
        for (float at = 0.0f; at + dt / 2 < t; at += dt) {
            now_ += dt;
            bling_.Update(now_, nullptr);
        }
        return Point().channels[PParticle::kSize];
    }

private:
    DS_Bling bling_;
    float now_ = 0.0f;
};

TEST(GlintCycle, GrowsToFullAtTheGrowTimeShrinksAndStartsAgain)
{
    struct Case {
        float t;
        float size;
    };
    // The size moves in steps of the frame's time, so it is within one
    // step's change (2 x dt here) of the ideal curve.
    const std::vector<Case> cases = {{0.25f, 0.5f}, {0.5f, 1.0f}, {0.75f, 0.5f}, {1.25f, 0.5f}, {1.5f, 1.0f}};
    for (const Case& c : cases) {
        GlintRun run(MakeBling(50, 50));
        EXPECT_FLOAT_EQ(run.StartGlint(), 1.0f);
        EXPECT_EQ(run.Point().channels[PParticle::kSize], 0.0f);
        EXPECT_NEAR(run.SizeAfter(c.t, 0.01f), c.size, 0.025f) << "at " << c.t << " s";
    }
    // The cycle ends exactly at 1 s: the life clock says so there.
    const DS_Bling bling = MakeBling(50, 50);
    PParticle p(0, 0, 0);
    bling.StartGlint(p);
    EXPECT_TRUE(p.Apply(0.5f));
    EXPECT_FALSE(p.Apply(0.5f));
}

TEST(GlintCycle, MinimumSizeKeepsTheSideBetweenItAndTheFullSize)
{
    GlintRun run(MakeBling(50, 50, 30));
    run.StartGlint();
    float least = 1e9f, most = 0.0f;
    for (int i = 0; i < 200; ++i) {
        const float side = run.Brush().GlintSide(run.Point());
        least = std::min(least, side);
        most = std::max(most, side);
        run.SizeAfter(0.01f, 0.01f);
    }
    EXPECT_NEAR(least, 30.0f, 0.2f);
    EXPECT_NEAR(most, 100.0f, 1.5f);
}

// Cycles the stored times cannot run as given.
TEST(GlintCycle, WithoutGrowTimeOrWithoutAnyCycle)
{
    // No grow time: the glint starts full and shrinks to nothing, never
    // below, and starts full again: three times in 1.75 s of 0.5 s cycles.
    GlintRun shrinking(MakeBling(0, 50));
    EXPECT_FLOAT_EQ(shrinking.StartGlint(), 0.5f);
    EXPECT_EQ(shrinking.Point().channels[PParticle::kSize], 1.0f);
    EXPECT_NEAR(shrinking.SizeAfter(0.25f, 0.01f), 0.5f, 0.025f);
    int restarts = 0;
    for (int i = 0; i < 150; ++i) {
        const float before = shrinking.Point().channels[PParticle::kSize];
        const float after = shrinking.SizeAfter(0.01f, 0.01f);
        EXPECT_GE(after, -1e-4f);
        if (after > before) {
            ++restarts;
            EXPECT_EQ(after, 1.0f);
        }
    }
    EXPECT_EQ(restarts, 3);

    // Neither: no cycle, no processes, full size for ever.
    GlintRun still(MakeBling(0, 0));
    EXPECT_EQ(still.StartGlint(), 0.0f);
    EXPECT_EQ(still.Point().ProcessCount(), 0u);
    EXPECT_EQ(still.SizeAfter(10.0f, 0.1f), 1.0f);
    EXPECT_EQ(still.Brush().GlintSide(still.Point()), 100.0f);
}

// The first two numbers after seeding with 7.
std::pair<int, int> TwoDrawsFromSeven()
{
    DS_SRand(7);
    const int first = DS_Rand();
    return {first, DS_Rand()};
}

TEST(GlintCycle, EachGlintStartsAtARandomPhaseFromOneDraw)
{
    const auto [draw, next] = TwoDrawsFromSeven();
    for (const unsigned grow : {50u, 0u}) {
        const DS_Bling bling = MakeBling(grow, grow);
        DS_SRand(7);
        PParticle p(0, 0, 0);
        bling.StartGlintAtRandomPhase(p);
        // One draw, also for a glint without a cycle, so that the glints
        // after it keep their phases.
        EXPECT_EQ(DS_Rand(), next) << grow;
        if (grow > 0) {
            // Ten steps of a tenth of the drawn share of the cycle.
            EXPECT_NEAR(p.channels[PParticle::kLife], static_cast<float>(draw) / kRandMax, 1e-5f);
        } else {
            EXPECT_EQ(p.channels[PParticle::kSize], 1.0f);
        }
    }
}

TEST(TwinklingStars, SpeedFactorIsOnePlusAHundredthOfTheValue)
{
    for (const auto& [value, factor] : std::vector<std::pair<unsigned, float>>{{0, 1.0f}, {50, 1.5f}, {100, 2.0f}}) {
        DS_TwinklingStars stars;
        stars.speed.SetValue(value);
        EXPECT_FLOAT_EQ(stars.speed.GetDerived(), factor) << value;
    }
}

TEST(TwinklingStars, APointGetsSizeThenAlphaAndATwinkleOnItsSize)
{
    DS_SRand(3);
    const float size = static_cast<float>(DS_Rand()) / kRandMax * 0.5f + 0.5f;
    const float alpha = static_cast<float>(DS_Rand()) / kRandMax * 0.5f + 0.5f;
    DS_SRand(3);
    PParticle p(5, 6, 0);
    DS_TwinklingStars::MakeTwinkling(p);
    EXPECT_FLOAT_EQ(p.channels[PParticle::kSize], size);
    EXPECT_FLOAT_EQ(p.channels[PParticle::kAlpha], alpha);
    ASSERT_EQ(p.ProcessCount(), 1u);
    const auto* twinkle = dynamic_cast<const PTwinkle*>(p.Process(0));
    ASSERT_NE(twinkle, nullptr);
    EXPECT_EQ(twinkle->channel, PParticle::kSize);
    EXPECT_FLOAT_EQ(twinkle->base, size);
    EXPECT_EQ(twinkle->timer, 0.0f);
    EXPECT_EQ(twinkle->nextSwitch, 0.0f);
}

}  // namespace
