// The rate emitter without a device: how many particles an accumulated time
// gives at which opacity, the cap that ends a tiny interval, the base rule
// of a new particle and when an expired particle leaves the list.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/scene/TimeLineControl.h"
#include "objects/particles/StaticGenerator.h"

namespace {

// The emitter level is abstract; this kind only draws nothing.
class TestEmitter : public DS_ParticleOriginGenerator {
public:
    void Render(DS_ABRender*, DS_ParticlesObj*) override {}
    DS_ParticleGenerator* Clone() const override { return new TestEmitter(*this); }
};

TEST(EmitByRate, EmitsOneParticleForEachWholeIntervalHeld)
{
    struct Case {
        const char* what;
        unsigned rate;
        bool visible;
        float dt;
        size_t emitted;
        float kept;
    };
    const std::vector<Case> cases = {
        {"three intervals and a half", 10, true, 0.35f, 3, 0.05f},
        {"exactly one interval is not more than one", 10, true, 0.1f, 0, 0.1f},
        {"rate 0", 0, true, 5.0f, 0, 5.0f},
        {"opacity 0 keeps the owed time", 10, false, 5.0f, 0, 5.0f},
    };
    for (const Case& c : cases) {
        TestEmitter emitter;
        emitter.rate.SetValue(c.rate);
        emitter.particleLife.SetValue(250);  // 10 s: nothing expires here
        if (!c.visible) emitter.TimeLine().mode = DS_TimeLineControl::kCycle;  // starts invisible
        ASSERT_EQ(emitter.TimeLine().GetAlpha(), c.visible ? 1.0f : 0.0f) << c.what;
        emitter.EmitByRate(c.dt);
        EXPECT_EQ(emitter.Particles().size(), c.emitted) << c.what;
        EXPECT_NEAR(emitter.Accumulator(), c.kept, 1e-5f) << c.what;
    }
}

TEST(EmitByRate, ATinyIntervalStopsAtTheCapAndDropsTheOwedTime)
{
    TestEmitter emitter;
    emitter.rate.SetValue(UINT32_MAX);  // 2.3e-10 s: subtracting it leaves 0.03 s unchanged
    emitter.particleLife.SetValue(250);
    emitter.EmitByRate(0.03f);
    EXPECT_EQ(emitter.Particles().size(), DS_IndexedMesh<DX_V::PCT>::kMaxQuads);
    EXPECT_EQ(emitter.Accumulator(), 0.0f);
    emitter.EmitByRate(0.03f);
    EXPECT_EQ(emitter.Particles().size(), DS_IndexedMesh<DX_V::PCT>::kMaxQuads);
}

TEST(EmitByRate, BaseParticleStartsAtTheOriginInTheSectorsDirection)
{
    TestEmitter emitter;
    emitter.rate.SetValue(10);
    emitter.particleLife.SetValue(25);                     // 1 s
    emitter.sector.SetValue(90);                           // spread 0, as every loaded emitter
    emitter.origin.SetValue(D3DXVECTOR3(2000.0f, -5.0f, 0.0f));  // outside the picture: kept
    emitter.EmitByRate(0.15f);
    ASSERT_EQ(emitter.Particles().size(), 1u);
    const CallbackParticle& p = emitter.Particles()[0];
    EXPECT_FLOAT_EQ(p.life, 1.0f);
    EXPECT_EQ(p.position, D3DXVECTOR3(2000.0f, -5.0f, 0.0f));
    // 90 degrees measured clockwise in picture pixels (y down) points up.
    EXPECT_NEAR(p.velocity.x, 0.0f, 1e-3f);
    EXPECT_NEAR(p.velocity.y, -100.0f, 1e-3f);
    for (const ParticleCallback& callback : p.callbacks) EXPECT_EQ(callback.member, nullptr);
    EXPECT_EQ(p.size, 100.0f);
    EXPECT_EQ(p.alpha, 1.0f);
}

TEST(EmitByRate, AParticleLeavesOnceItsLifeIsBelowZero)
{
    TestEmitter emitter;
    emitter.rate.SetValue(10);
    emitter.particleLife.SetValue(25);  // 1 s
    emitter.EmitByRate(0.15f);
    ASSERT_EQ(emitter.Particles().size(), 1u);
    emitter.rate.SetValue(0);
    emitter.UpdateParticles(1.0f);  // life exactly 0: still there
    EXPECT_EQ(emitter.Particles().size(), 1u);
    emitter.UpdateParticles(0.01f);
    EXPECT_TRUE(emitter.Particles().empty());
}

TEST(EmitByRate, ACopyKeepsTheClockAndTheOwedTimeButNoParticles)
{
    TestEmitter emitter;
    emitter.rate.SetValue(10);
    emitter.particleLife.SetValue(25);
    emitter.speed.SetValue(50);
    emitter.Update(0.15f, nullptr);
    ASSERT_EQ(emitter.Particles().size(), 1u);
    TestEmitter copy(emitter);
    EXPECT_TRUE(copy.Particles().empty());
    EXPECT_EQ(copy.Accumulator(), emitter.Accumulator());
    EXPECT_EQ(copy.speed.GetLocalTime(), emitter.speed.GetLocalTime());
    EXPECT_EQ(copy.particleLife.GetDerived(), 1.0f);
}

TEST(EmitByRate, PlayStaysInTheStorageReservedAtTheStart)
{
    struct Case {
        const char* what;
        unsigned rate;
        unsigned life;  // x 0.04 s
        float frame;    // seconds
    };
    const Case cases[] = {
        {"steady frames", 200, 50, 1.0f / 60.0f},
        {"long frames", 200, 50, DS_ParticleOriginGenerator::kSpareSeconds},
        {"at the cap", 20000, 250, 1.0f / 60.0f},
    };
    for (const Case& c : cases) {
        TestEmitter emitter;
        emitter.rate.SetValue(c.rate);
        emitter.particleLife.SetValue(c.life);
        emitter.ReserveParticles();
        const CallbackParticle* storage = emitter.Particles().data();
        for (float t = 0.0f; t < 12.0f; t += c.frame) emitter.EmitByRate(c.frame);
        EXPECT_FALSE(emitter.Particles().empty()) << c.what;
        EXPECT_EQ(emitter.Particles().data(), storage) << c.what;
    }
}

}  // namespace
