#include <gtest/gtest.h>

#include <cmath>

#include "engine/params/MediaQuad.h"
#include "engine/params/Random.h"
#include "objects/particles/CallbackParticle.h"
#include "objects/particles/PParticle.h"

TEST(PParticle, AgeAndFadeSpreadTheAmountOverTheWindow)
{
    PParticle p(0.0f, 0.0f, 0.0f);
    p.AddProcess(new PAgeConst(2.0f));
    p.AddProcess(new PFade(PParticle::kAlpha, 0.0f, 2.0f, -1.0f));
    const float expected[] = {0.75f, 0.5f, 0.25f};
    for (float alpha : expected) {
        EXPECT_TRUE(p.Apply(0.5f));
        EXPECT_NEAR(p.channels[PParticle::kAlpha], alpha, 1e-6f);
    }
    EXPECT_FALSE(p.Apply(0.5f));  // age 2 is the maximum: the particle ends
    EXPECT_NEAR(p.channels[PParticle::kAlpha], 0.0f, 1e-6f);

    // A window that starts later waits; one large step past the end adds all of it.
    PParticle late(0.0f, 0.0f, 0.0f);
    late.AddProcess(new PAgeConst(100.0f));
    late.AddProcess(new PFade(PParticle::kSize, 1.0f, 2.0f, 3.0f));
    late.Apply(0.5f);
    EXPECT_EQ(late.channels[PParticle::kSize], 1.0f);
    late.Apply(5.0f);
    EXPECT_EQ(late.channels[PParticle::kSize], 4.0f);
    late.Apply(1.0f);
    EXPECT_EQ(late.channels[PParticle::kSize], 4.0f);
}

TEST(PParticle, CopiesCloneProcessesWithTheirRunningState)
{
    PParticle p(1.0f, 2.0f, 3.0f);
    p.AddProcess(new PAgeConst(10.0f));
    p.AddProcess(new PFade(PParticle::kAlpha, 0.0f, 2.0f, -1.0f));
    p.Apply(0.5f);
    PParticle copy(p);
    ASSERT_EQ(copy.ProcessCount(), 2u);
    EXPECT_NE(copy.Process(1), p.Process(1));
    const auto* fade = static_cast<const PFade*>(copy.Process(1));
    EXPECT_FLOAT_EQ(fade->start, 0.5f);
    EXPECT_FLOAT_EQ(fade->amount, -0.75f);
    for (int i = 0; i < 3; ++i) {
        p.Apply(0.5f);
        copy.Apply(0.5f);
    }
    EXPECT_FLOAT_EQ(copy.channels[PParticle::kAlpha], p.channels[PParticle::kAlpha]);
    EXPECT_EQ(copy.startPosition, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
}

TEST(PParticle, LifeEndsAtOneAndEveryProcessStillRuns)
{
    PParticle forever(0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(forever.Apply(1000.0f));
    forever.AddProcess(new PLifeConst(0.0f));
    EXPECT_TRUE(forever.Apply(1000.0f));

    PParticle p(0.0f, 0.0f, 0.0f);
    p.AddProcess(new PLifeConst(2.0f));
    p.AddProcess(new PKinetic(D3DXVECTOR3(10.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, 0.0f)));
    EXPECT_FALSE(p.Apply(0.5f));          // life exactly 1 ends the particle ...
    EXPECT_FLOAT_EQ(p.position.x, 5.0f);  // ... which still moves in its last frame
}

TEST(PParticle, SteadyChangesOnlyInsideTheOpenLifeWindow)
{
    const struct {
        float life, from, to;
        bool changes;
    } cases[] = {
        {0.5f, 0.0f, 1.0f, true},
        {0.0f, 0.0f, 1.0f, false},  // the bounds are excluded
        {1.0f, 0.0f, 1.0f, false},
        {0.5f, 0.8f, 0.2f, false},  // from >= to never changes
    };
    for (const auto& c : cases) {
        PParticle p(0.0f, 0.0f, 0.0f);
        p.channels[PParticle::kLife] = c.life;
        p.AddProcess(new PSteady(PParticle::kSize, c.from, c.to, 2.0f));
        p.Apply(0.5f);
        EXPECT_EQ(p.channels[PParticle::kSize], c.changes ? 2.0f : 1.0f) << c.life << " " << c.from;
    }
}

TEST(PParticle, KineticAndSpinIntegrateTheStep)
{
    PParticle p(0.0f, 0.0f, 0.0f);
    p.AddProcess(new PKinetic(D3DXVECTOR3(10.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 4.0f, 0.0f)));
    p.AddProcess(new PSpin(2.0f));
    p.Apply(0.5f);
    EXPECT_EQ(p.position, D3DXVECTOR3(5.0f, 0.5f, 0.0f));
    const auto* kinetic = static_cast<const PKinetic*>(p.Process(0));
    EXPECT_EQ(kinetic->velocity, D3DXVECTOR3(10.0f, 2.0f, 0.0f));
    EXPECT_FLOAT_EQ(p.channels[PParticle::kAngle], 1.0f);
}

// Draw order: rand() mod 3, then one RandomRange. After a seed of 1 the draws
// are 41 (41 mod 3 = 2: base value), then 18467 for the next switch time.
TEST(PParticle, TwinkleKeepsItsBaseForTheDrawnTime)
{
    DS_SRand(1);
    PParticle p(0.0f, 0.0f, 0.0f);
    p.AddProcess(new PTwinkle(PParticle::kAlpha, 0.0f, 0.6f, 0.0f));
    p.Apply(0.01f);
    const auto* twinkle = static_cast<const PTwinkle*>(p.Process(0));
    EXPECT_FLOAT_EQ(p.channels[PParticle::kAlpha], 0.6f);
    EXPECT_NEAR(twinkle->nextSwitch, 1.4962f, 1e-4f);
    EXPECT_EQ(twinkle->timer, 0.0f);
    p.Apply(1.4f);  // not yet past the switch time: no draw
    EXPECT_EQ(DS_Rand(), 6334);
}

namespace {

struct BrownianOwner {
    MediaQuad rect;
    UINTSclaleTo<float> speed{1, 1.0f, 0.0f};
    UINTSclaleTo<float> period{2, 1.0f, 0.0f};
    UINTSclaleTo<float> steerTime{1, 1.0f, 0.0f};
    BrownianSteering steering;
    BrownianOwner()
    {
        rect.SetRect(D3DXVECTOR3(50.0f, 50.0f, 0.0f), 100.0f, 100.0f);
        steering = BrownianSteering{&rect, &speed, &period, &steerTime};
    }
};

}  // namespace

// Construction draws y, then x, then the wander timer.
TEST(PParticle, BrownianStartsFromItsThreeDraws)
{
    BrownianOwner owner;
    DS_SRand(1);
    PBrownian brownian(owner.steering);
    EXPECT_NEAR(brownian.wanderVelocity.x, 12.717f, 1e-3f);
    EXPECT_NEAR(brownian.wanderVelocity.y, -99.750f, 1e-3f);
    EXPECT_NEAR(brownian.wanderTimer, 1.7732f, 1e-4f);
    EXPECT_EQ(brownian.inside, 1);

    // Outside the rectangle it turns towards the centre at once, and is not
    // re-aimed while the steering runs.
    PParticle p(200.0f, 50.0f, 0.0f);
    brownian.Apply(0.0f, p);
    EXPECT_EQ(brownian.inside, 0);
    EXPECT_FLOAT_EQ(brownian.steerTimer, 1.0f);
    const D3DXVECTOR3 aimed = brownian.steerAcceleration;
    EXPECT_NEAR(aimed.x, -100.0f - 12.717f, 1e-3f);  // target (-100, 0) less the wander velocity, over T = 1
    EXPECT_NEAR(aimed.y, 99.750f, 1e-3f);
    brownian.Apply(0.1f, p);
    EXPECT_EQ(brownian.steerAcceleration, aimed);
}

TEST(PParticle, BrownianWithoutSteeringTimeTakesTheTargetAtOnce)
{
    BrownianOwner owner;
    owner.steerTime.SetValue(0);
    PBrownian brownian(owner.steering);
    brownian.AimAt(D3DXVECTOR3(30.0f, -40.0f, 0.0f));
    EXPECT_EQ(brownian.wanderVelocity, D3DXVECTOR3(30.0f, -40.0f, 0.0f));
    EXPECT_EQ(brownian.steerAcceleration, D3DXVECTOR3(0.0f, 0.0f, 0.0f));

    owner.steerTime.SetValue(1);
    brownian.AimAtCentre(D3DXVECTOR3(50.0f, 50.0f, 0.0f));  // at the centre: zero direction
    EXPECT_EQ(brownian.steerAcceleration, D3DXVECTOR3(-30.0f, 40.0f, 0.0f));
    EXPECT_TRUE(std::isfinite(brownian.steerAcceleration.x));
}

// A step longer than the steering time still turns the wander velocity
// fully to its target: the acceleration acts for the rest of its time, then
// the velocity holds.
TEST(PParticle, BrownianSteeringEndsOnItsTargetWithinALongStep)
{
    BrownianOwner owner;  // T = 1 s
    PBrownian brownian(owner.steering);
    brownian.wanderTimer = 100.0f;  // no new wander target in this step
    const D3DXVECTOR3 start = brownian.wanderVelocity;
    brownian.AimAt(D3DXVECTOR3(30.0f, -40.0f, 0.0f));
    const D3DXVECTOR3 turn = brownian.steerAcceleration;
    PParticle p(50.0f, 50.0f, 0.0f);
    brownian.Apply(2.5f, p);
    EXPECT_NEAR(brownian.wanderVelocity.x, 30.0f, 1e-4f);
    EXPECT_NEAR(brownian.wanderVelocity.y, -40.0f, 1e-4f);
    EXPECT_EQ(brownian.steerAcceleration, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    // 1 s of steering, then 1.5 s at the target.
    const D3DXVECTOR3 expected = D3DXVECTOR3(50.0f, 50.0f, 0.0f) + start * 2.5f + turn * (0.5f + 1.5f);
    EXPECT_NEAR(p.position.x, expected.x, 1e-3f);
    EXPECT_NEAR(p.position.y, expected.y, 1e-3f);
}

TEST(CallbackParticle, CallbacksRunInOrderAfterTheLifeCountsDown)
{
    CallbackParticle p;
    p.Update(0.5f);  // no callbacks: only the life changes
    EXPECT_FLOAT_EQ(p.life, -1.5f);
    EXPECT_EQ(p.position, D3DXVECTOR3(0.0f, 0.0f, 0.0f));

    p.life = 1.0f;
    p.orientation1 = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    p.orientation2 = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    p.acceleration = D3DXVECTOR3(0.0f, 4.0f, 0.0f);
    p.callbacks = {{
        {{90.0f}, &CallbackParticle::ProcSpin},
        {{}, &CallbackParticle::ProcKinetic},
        {{10.0f}, &CallbackParticle::ProcGrow},
        {{1.0f, 0.5f}, &CallbackParticle::ProcFadeIn},   // life 0 after the step: not above 0.5
        {{0.5f, 0.5f}, &CallbackParticle::ProcFadeOut},  // life 0 is below 0.5
    }};
    p.Update(1.0f);
    EXPECT_NEAR(p.orientation1.x, 0.0f, 1e-6f);
    EXPECT_NEAR(p.orientation1.y, 1.0f, 1e-6f);
    EXPECT_NEAR(p.orientation2.x, -1.0f, 1e-6f);
    EXPECT_EQ(p.position, D3DXVECTOR3(0.0f, -198.0f, 0.0f));
    EXPECT_EQ(p.velocity, D3DXVECTOR3(0.0f, -196.0f, 0.0f));
    EXPECT_FLOAT_EQ(p.size, 110.0f);
    EXPECT_FLOAT_EQ(p.alpha, 0.5f);
}

TEST(PParticle, ProcessesAreCappedMovedAndTheirBlocksReused)
{
    PParticle p(0.0f, 0.0f, 0.0f);
    for (size_t i = 0; i < PParticle::kMaxProcesses; ++i) EXPECT_TRUE(p.AddProcess(new PSpin(1.0f)));
    EXPECT_FALSE(p.AddProcess(new PSpin(1.0f)));  // deleted, not kept
    EXPECT_EQ(p.ProcessCount(), PParticle::kMaxProcesses);
    EXPECT_EQ(p.Process(PParticle::kMaxProcesses), nullptr);
    p.Apply(1.0f);
    EXPECT_FLOAT_EQ(p.channels[PParticle::kAngle], 8.0f);

    // Moving hands the processes over; the source keeps none.
    PProcess* first = p.Process(0);
    PParticle moved(std::move(p));
    EXPECT_EQ(moved.Process(0), first);
    EXPECT_EQ(p.ProcessCount(), 0u);

    // A dropped process's block serves the next one made.
    PParticle single(0.0f, 0.0f, 0.0f);
    single.AddProcess(new PSpin(1.0f));
    const void* block = single.Process(0);
    single.ClearProcesses();
    PProcess* next = new PKinetic(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(static_cast<const void*>(next), block);
    delete next;
}
