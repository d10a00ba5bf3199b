// Simulation of the generator level: list updates, trail emission, the
// base trail rule, clones per runtime object.
#include <gtest/gtest.h>

#include "engine/params/Random.h"
#include "unit/particles/ParticleTestSupport.h"

TEST(ParticleGenerator, ListUpdateDropsEndedParticlesInOrder)
{
    std::vector<PParticle> list;
    for (int i = 0; i < 5; ++i) {
        list.emplace_back(static_cast<float>(i), 0.0f, 0.0f);
        list.back().AddProcess(new PAgeConst(i % 2 ? 1.0f : 10.0f));
    }
    UpdatePParticleList(list, 2.0f);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].position.x, 0.0f);
    EXPECT_EQ(list[1].position.x, 2.0f);
    EXPECT_EQ(list[2].position.x, 4.0f);
    EXPECT_FLOAT_EQ(list[2].channels[PParticle::kAge], 2.0f);
}

TEST(ParticleGenerator, TrailsLieAtEqualStepsBetweenTheTwoPositions)
{
    TestParticleKind item;
    item.trailRate.SetValue(30);
    item.trailLife.SetValue(2);
    item.trailsOn.SetValue(1);
    item.particles.emplace_back(0.0f, 0.0f, 0.0f);
    item.particles[0].position = D3DXVECTOR3(8.0f, 0.0f, 0.0f);
    item.particles[0].channels[PParticle::kAlpha] = 0.75f;
    item.EmitTrails(0.1f);
    ASSERT_EQ(item.trails.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(item.trails[i].position.x, 2.0f * (i + 1));
    EXPECT_EQ(item.particles[0].startPosition, item.particles[0].position);
    EXPECT_FLOAT_EQ(item.lastTrailTime, 0.1f);
    // The base rule: the source's alpha, an age limit, a fade, a motion.
    const PParticle& trail = item.trails[0];
    EXPECT_EQ(trail.channels[PParticle::kAlpha], 0.75f);
    ASSERT_EQ(trail.ProcessCount(), 3u);
    EXPECT_FLOAT_EQ(static_cast<const PAgeConst*>(trail.Process(0))->maxAge, 2.0f);
    EXPECT_FLOAT_EQ(static_cast<const PFade*>(trail.Process(1))->amount, -1.0f);
    // Trail speed 0: the random direction has no length.
    EXPECT_EQ(static_cast<const PKinetic*>(trail.Process(2))->velocity, D3DXVECTOR3(0, 0, 0));
}

TEST(ParticleGenerator, TrailTimeAccumulatesAndCountsStayBounded)
{
    const struct {
        unsigned rate;
        int on;
        float t;
        float lastAfter;
        size_t trails;
    } cases[] = {
        {30, 1, 0.02f, 0.0f, 0},               // less than one due: the time keeps accumulating
        {30, 0, 0.1f, 0.1f, 0},                // trails off: the time still advances
        {30, 1, -1.0f, -1.0f, 0},              // time went back: nothing, the time follows
        {30, 1, 1e30f, 1e30f, kMaxParticles},  // a huge span is capped, no overflow
    };
    for (const auto& c : cases) {
        TestParticleKind item;
        item.trailRate.SetValue(c.rate);
        item.trailsOn.SetValue(c.on);
        item.particles.emplace_back(0.0f, 0.0f, 0.0f);
        item.particles.emplace_back(1.0f, 0.0f, 0.0f);
        item.EmitTrails(c.t);
        EXPECT_EQ(item.lastTrailTime, c.lastAfter) << c.t;
        EXPECT_EQ(item.trails.size(), c.trails) << c.t;
    }
}

TEST(ParticleGenerator, EachRuntimeObjectSimulatesItsOwnClone)
{
    TestParticleKind item;
    item.particles.emplace_back(1.0f, 2.0f, 0.0f);
    item.particles[0].AddProcess(new PKinetic(D3DXVECTOR3(10.0f, 0.0f, 0.0f), D3DXVECTOR3(0, 0, 0)));
    std::unique_ptr<DS_ABObj> a(item.CreateObject());
    std::unique_ptr<DS_ABObj> b(item.CreateObject());
    auto* first = static_cast<DS_ParticlesObj*>(a.get());
    auto* second = static_cast<DS_ParticlesObj*>(b.get());
    EXPECT_EQ(first->BufferCount(), 2u);
    EXPECT_EQ(static_cast<TestParticleKind*>(first->Generator())->ParticlesObject(), first);
    first->Update(0.1f);  // speed factor 1: a step of 0.1 s
    const auto& moved = first->Generator()->particles[0];
    EXPECT_FLOAT_EQ(moved.position.x, 2.0f);
    EXPECT_FLOAT_EQ(second->Generator()->particles[0].position.x, 1.0f);
    EXPECT_FLOAT_EQ(item.particles[0].position.x, 1.0f);
    // Without a device nothing is made and nothing is drawn.
    first->ReserveQuads(0, 10);
    EXPECT_EQ(first->QuadCount(0), 0u);
    EXPECT_EQ(first->LockBuffer(0), nullptr);
    EXPECT_EQ(first->LockBuffer(7), nullptr);
}

TEST(ParticleGenerator, BufferCapacityIsTheNextPowerOfTwo)
{
    const struct {
        unsigned n, capacity;
    } cases[] = {{0, 0}, {1, 1}, {3, 4}, {4, 4}, {1000, 1024}, {8193, 16383}, {16383, 16383}, {100000, 16383}};
    for (const auto& c : cases) EXPECT_EQ(QuadCapacityFor(c.n), c.capacity) << c.n;
}
