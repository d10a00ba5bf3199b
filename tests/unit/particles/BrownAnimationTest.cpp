// The wandering sprites without a device: how the sprite list follows the
// sprite count (topped up at random points, cut from the newest, capped at
// one buffer), the order of the random draws, that sprites stay inside
// their rectangle, and that a clone's sprites steer by the clone's settings.
#include <gtest/gtest.h>

#include <vector>

#include "engine/params/Random.h"
#include "objects/particles/BrownAnimation.h"

namespace {

std::unique_ptr<DS_BrownAnimation> Wanderers(unsigned count)
{
    auto brown = std::make_unique<DS_BrownAnimation>();
    brown->rectangle.SetRect(D3DXVECTOR3(300, 200, 0), 200, 100);
    brown->spriteCount.SetValue(count);
    brown->wanderSpeed.SetValue(25);  // 1: wander velocities as drawn
    brown->InitObject(nullptr);
    return brown;
}

TEST(BrownAnimation, TheSpriteListFollowsTheCount)
{
    struct Case {
        const char* what;
        unsigned first, second;
        size_t expected;
    };
    const std::vector<Case> cases = {
        {"topped up", 3, 6, 6},
        {"cut", 6, 2, 2},
        {"count 0 empties the list", 6, 0, 0},
        {"capped at one buffer", 5, 4000000000u, kMaxParticles},
    };
    for (const Case& c : cases) {
        auto brown = Wanderers(c.first);
        brown->Update(0.05f, nullptr);
        ASSERT_EQ(brown->particles.size(), c.first) << c.what;
        const std::vector<PParticle> before = brown->particles;
        brown->spriteCount.SetValue(c.second);
        brown->Update(0.1f, nullptr);
        ASSERT_EQ(brown->particles.size(), c.expected) << c.what;
        // The sprites that stay are the oldest ones.
        for (size_t i = 0; i < std::min(before.size(), c.expected); ++i) {
            const D3DXVECTOR3 moved = brown->particles[i].position - before[i].position;
            EXPECT_LT(D3DXVec3Length(&moved), 20.0f) << c.what << " sprite " << i;
        }
    }
}

TEST(BrownAnimation, NewSpritesDrawTheirPointThenTheirWanderInOrder)
{
    auto brown = Wanderers(3);
    DS_SRand(77);
    brown->Populate();
    ASSERT_EQ(brown->particles.size(), 3u);
    const uint32_t after = DS_RandState();
    DS_SRand(77);
    for (const PParticle& sprite : brown->particles) {
        const D3DXVECTOR3 expected = RandomPointInRect(brown->rectangle);
        EXPECT_EQ(sprite.position, expected);
        const PBrownian wander(brown->steering);
        const auto* process = dynamic_cast<const PBrownian*>(sprite.Process(0));
        ASSERT_NE(process, nullptr);
        EXPECT_EQ(process->wanderVelocity, wander.wanderVelocity);
        EXPECT_EQ(process->wanderTimer, wander.wanderTimer);
    }
    EXPECT_EQ(DS_RandState(), after);
}

TEST(BrownAnimation, SpritesWanderInsideTheirRectangle)
{
    auto brown = Wanderers(40);
    brown->wanderSpeed.SetValue(100);
    float travelled = 0.0f;
    std::vector<PParticle> last;
    for (float t = 0.05f; t < 20.0f; t += 0.05f) {
        brown->Update(t, nullptr);
        if (!last.empty()) {
            const D3DXVECTOR3 moved = brown->particles[0].position - last[0].position;
            travelled += D3DXVec3Length(&moved);
        }
        last = brown->particles;
    }
    EXPECT_GT(travelled, 50.0f);
    for (const PParticle& sprite : brown->particles) {
        // The steering turns them back within a short way past the edge.
        EXPECT_GT(sprite.position.x, 200.0f - 60.0f);
        EXPECT_LT(sprite.position.x, 400.0f + 60.0f);
        EXPECT_GT(sprite.position.y, 150.0f - 60.0f);
        EXPECT_LT(sprite.position.y, 250.0f + 60.0f);
    }
}

TEST(BrownAnimation, AClonesSpritesSteerByTheClone)
{
    auto brown = Wanderers(4);
    brown->Update(0.05f, nullptr);
    std::unique_ptr<DS_ParticleGenerator> copy(brown->Clone());
    auto& clone = static_cast<DS_BrownAnimation&>(*copy);
    EXPECT_EQ(clone.steering.rect, &clone.rectangle);
    EXPECT_EQ(clone.steering.period, &clone.wanderPeriod);
    ASSERT_EQ(clone.particles.size(), 4u);
    for (const PParticle& sprite : clone.particles) {
        EXPECT_EQ(dynamic_cast<const PBrownian*>(sprite.Process(0))->steering, &clone.steering);
    }
    brown.reset();
    clone.Update(0.1f, nullptr);  // reads only the clone's settings
    EXPECT_EQ(clone.particles.size(), 4u);
}

}  // namespace
