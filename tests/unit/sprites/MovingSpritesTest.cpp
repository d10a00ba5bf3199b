// The moving sprite kinds' rules: where a new sprite goes and what it draws,
// how each kind moves and turns at the edges, and the flows' vectors and
// drawn count.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <typeinfo>
#include <vector>

#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/FishConstructor.h"
#include "objects/sprites/FlowConstructor.h"
#include "objects/sprites/FogConstructor.h"
#include "objects/sprites/ParticleGeomArray.h"
#include "unit/sprites/SpriteTestSupport.h"

namespace {

// The first n numbers after DS_SRand(1).
std::vector<int> SeedOneSequence(size_t n)
{
    DS_SRand(1);
    std::vector<int> numbers;
    for (size_t i = 0; i < n; ++i) numbers.push_back(DS_Rand());
    return numbers;
}

float Range(int r, float a, float b)
{
    return a + static_cast<float>(r) / 32767.0f * (b - a);
}

// The item's time line shows opacity alpha (0 to 1) from now on; alpha
// below 0 makes it invisible.
void SetOpacity(DS_ParticleSystemCtrl& item, float alpha)
{
    DS_TimeLineControl& timeLine = item.TimeLine();
    timeLine.mode = DS_TimeLineControl::kWindows;
    timeLine.AddWindow(TimeWindow{0.0f, 10.0f, 1.0f, 9.0f});
    timeLine.evaluationTime = alpha < 0.0f ? 20.0f : alpha;
}

// One new sprite of item made by the geometry after DS_SRand(1), as the
// runtime object makes it.
struct NewSprite {
    ParticleGeomArray geometry;
    SpriteInstance* sprite = nullptr;

    explicit NewSprite(DS_ParticleSystemCtrl& item)
    {
        geometry.SetItem(&item);
        DS_SRand(1);
        geometry.SetInstanceCount(1);
        sprite = geometry.Instances()[0].get();
    }
};

}  // namespace

// Each kind draws its numbers in a fixed order after the sprite level's two
// (scale, pulse parity); a row per kind with the draws it makes and what
// they become.
TEST(MovingSprites, NewSpriteDrawOrder)
{
    PictureSize picture(800, 600);
    const std::vector<int> r = SeedOneSequence(12);
    struct Row {
        const char* kind;
        std::function<std::unique_ptr<DS_ParticleSystemCtrl>()> make;
        int draws;
        std::function<void(const SpriteInstance&)> check;
    };
    const Row rows[] = {
        {"fish", [] { return std::make_unique<DS_FishConstructor>(); }, 6,
         [&](const SpriteInstance& s) {
             EXPECT_NEAR(s.velocity.x, -49.07f, 0.01f);
             EXPECT_NEAR(s.velocity.y, 30.87f, 0.01f);
             EXPECT_NEAR(s.position.x, 468.01f, 0.01f);
             EXPECT_NEAR(s.position.y, 287.92f, 0.01f);
             EXPECT_LT(s.halfWidth, 0.0f);  // swims towards smaller x: mirrored
         }},
        {"bird", [] { return std::make_unique<DS_BirdConstructor>(); }, 6,
         [&](const SpriteInstance& s) { EXPECT_NEAR(s.velocity.x, -49.07f, 0.01f); }},
        {"ghost", [] { return std::make_unique<DS_GhostConstructor>(); }, 7,
         [&](const SpriteInstance& s) {
             EXPECT_FLOAT_EQ(s.velocity.x, Range(r[2], -50.0f, 50.0f));
             EXPECT_FLOAT_EQ(s.alpha, Range(r[6], 0.0f, 1.0f));
         }},
        {"fog", [] { return std::make_unique<DS_FogConstructor>(); }, 8,
         [&](const SpriteInstance& s) {
             EXPECT_FLOAT_EQ(s.position.x, Range(r[2], 0.0f, 800.0f));
             EXPECT_FLOAT_EQ(s.position.y, Range(r[3], 0.0f, 600.0f));
             EXPECT_NEAR(s.velocity.x, Range(r[4], -40.0f, 40.0f), 1e-4f);
             EXPECT_NEAR(s.velocity.y, Range(r[5], -40.0f, 40.0f), 1e-4f);
             EXPECT_FLOAT_EQ(s.alpha, Range(r[6], 0.0f, 1.0f));
             const float turn = Range(r[7], -0.004f, 0.004f);
             EXPECT_NEAR(s.rotationStep._12, std::sin(turn), 1e-6f);
         }},
        {"flow", [] { return std::make_unique<DS_FlowConstructor>(); }, 5,
         [&](const SpriteInstance& s) {
             EXPECT_FLOAT_EQ(s.velocity.z, Range(r[2], -1.0f, 1.0f));
             EXPECT_EQ(s.direction, D3DXVECTOR3(1.0f, 1.0f, 0.0f));
             EXPECT_FLOAT_EQ(s.position.x, Range(r[3], 0.0f, 800.0f));
             EXPECT_FLOAT_EQ(s.position.y, Range(r[4], 0.0f, 600.0f));
         }},
        {"rain", [] { return std::make_unique<DS_RainConstructor>(); }, 6,
         [&](const SpriteInstance& s) {
             EXPECT_FLOAT_EQ(s.alpha, Range(r[5], 0.0f, 1.0f));
             // Turned with the flow (a quarter turn for 270) and a further
             // three quarters: a streak standing upright again.
             EXPECT_NEAR(s.firstAxis.x, 1.0f, 1e-5f);
             EXPECT_NEAR(s.firstAxis.y, 0.0f, 1e-5f);
             EXPECT_NEAR(s.secondAxis.y, 1.0f, 1e-5f);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        std::unique_ptr<DS_ParticleSystemCtrl> item = row.make();
        item->size.SetValue(40);
        NewSprite made(*item);
        EXPECT_EQ(DS_Rand(), r[static_cast<size_t>(row.draws)]);
        row.check(*made.sprite);
    }
}

TEST(MovingSprites, FishTurnsAtTheEdges)
{
    PictureSize picture(800, 600);
    const struct {
        float x, y, vx, vy, half;
        float newVx, newVy, newHalfWidth;
    } cases[] = {
        {850, 300, 30, 10, 20, -30, 10, -20},    // fully outside right: back, mirrored
        {810, 300, 30, 10, 20, 30, 10, 20},      // only crossing right: keeps on
        {-50, 300, -30, 10, -20, 30, 10, 20},    // fully outside left
        {400, 5, 30, -10, 20, 30, 10, 20},       // crossing top: down
        {400, 595, 30, 10, 20, 30, -10, 20},     // crossing bottom: up
        {400, 300, -30, 10, -20, -30, 10, -20},  // inside: unchanged
    };
    for (const auto& c : cases) {
        DS_FishConstructor fish;
        SpriteInstance sprite;
        sprite.position = D3DXVECTOR3(c.x, c.y, 0.0f);
        sprite.velocity = D3DXVECTOR3(c.vx, c.vy, 0.0f);
        sprite.halfWidth = c.half;
        sprite.halfHeight = std::fabs(c.half);
        fish.UpdateSprite(sprite);  // no time has passed: no move, no draw
        EXPECT_EQ(sprite.velocity.x, c.newVx) << c.x << " " << c.y;
        EXPECT_EQ(sprite.velocity.y, c.newVy) << c.x << " " << c.y;
        EXPECT_EQ(sprite.halfWidth, c.newHalfWidth) << c.x << " " << c.y;
    }
}

// Once a local second, one draw; on an odd one the speed changes and the
// heading stays.
TEST(MovingSprites, FishChangesSpeedKeepingItsHeading)
{
    PictureSize picture(800, 600);
    DS_FishConstructor fish;
    SpriteInstance sprite;
    sprite.position = D3DXVECTOR3(400.0f, 300.0f, 0.0f);
    sprite.velocity = D3DXVECTOR3(-10.0f, 0.0f, 0.0f);
    sprite.halfWidth = sprite.halfHeight = 10.0f;
    fish.SmoothSpeed(0.0f);
    fish.SmoothSpeed(1.5f);
    const std::vector<int> r = SeedOneSequence(4);  // 41 odd, then 18467, 6334; 26500 even
    DS_SRand(1);
    fish.UpdateSprite(sprite);
    EXPECT_EQ(sprite.firstTimer, 1.5f);
    EXPECT_FLOAT_EQ(sprite.velocity.x, -std::fabs(Range(r[1], -80.0f, 80.0f)));  // still heading left
    EXPECT_FLOAT_EQ(sprite.velocity.y, Range(r[2], -50.0f, 50.0f));
    const D3DXVECTOR3 velocity = sprite.velocity;
    fish.SmoothSpeed(2.0f);
    fish.UpdateSprite(sprite);  // not due yet: no draw
    fish.SmoothSpeed(2.6f);
    fish.UpdateSprite(sprite);  // due: 26500 is even, the speed stays
    EXPECT_EQ(sprite.velocity, velocity);
    EXPECT_EQ(sprite.firstTimer, 2.6f);
    const int next = DS_Rand();
    EXPECT_EQ(next, SeedOneSequence(5)[4]);
}

TEST(MovingSprites, BirdNeverFliesSlowly)
{
    PictureSize picture(800, 600);
    const struct {
        float vx, vy, newVy;
        bool newVx;
    } cases[] = {
        // Slower than 35 (0.7 of the maximum 50): 35 + vy x 3 / 7.
        {70, -20, 26.428572f, false},  // 35 - 60 / 7
        {70, 14, 41, false},           // 35 + 42 / 7
        {70, 0, 35, false},            // 35
        {70, 40, 40, false},           // fast enough: kept
        {-70, -40, -40, false},        // fast enough: kept
        {-30, 0, 35, true},            // slow sideways too: a new horizontal speed
    };
    for (const auto& c : cases) {
        DS_BirdConstructor bird;
        SpriteInstance sprite;
        sprite.position = D3DXVECTOR3(400.0f, 300.0f, 0.0f);
        sprite.velocity = D3DXVECTOR3(c.vx, c.vy, 0.0f);
        sprite.halfWidth = sprite.halfHeight = 10.0f;
        DS_SRand(1);
        bird.UpdateSprite(sprite);
        EXPECT_NEAR(sprite.velocity.y, c.newVy, 1e-4f) << c.vy;
        if (c.newVx) {
            EXPECT_FLOAT_EQ(sprite.velocity.x, -Range(41, 56.0f, 80.0f));
        } else {
            EXPECT_EQ(sprite.velocity.x, c.vx);
        }
    }
}

TEST(MovingSprites, GhostFollowsItsTimeLine)
{
    PictureSize picture(800, 600);
    DS_GhostConstructor ghost;
    EXPECT_EQ(ghost.TransparencyAlpha(), 127);
    SetOpacity(ghost, 0.5f);
    SpriteInstance sprite;
    sprite.position = D3DXVECTOR3(400.0f, 300.0f, 0.0f);
    sprite.halfWidth = sprite.halfHeight = 10.0f;
    ghost.UpdateSprite(sprite);
    EXPECT_EQ(sprite.alpha, 0.5f);
    EXPECT_EQ(sprite.packedColor >> 24, 63u);  // 127 x 0.5, truncated
    EXPECT_EQ(sprite.position, D3DXVECTOR3(400.0f, 300.0f, 0.0f));
    // Invisible: placed anew on every update (the fish rule's four draws and
    // the ghost's alpha), its alpha then 0.
    SetOpacity(ghost, -1.0f);
    const std::vector<int> r = SeedOneSequence(5);
    DS_SRand(1);
    ghost.UpdateSprite(sprite);
    EXPECT_FLOAT_EQ(sprite.position.x, Range(r[2], 0.0f, 800.0f));
    EXPECT_EQ(sprite.alpha, 0.0f);
    EXPECT_EQ(sprite.packedColor >> 24, 0u);
}

TEST(MovingSprites, FogBouncesOnItsCentreAndTurns)
{
    PictureSize picture(800, 600);
    const struct {
        float x, y, vx, vy, newVx, newVy;
    } cases[] = {
        {-5, 300, -10, 4, 10, 4},  {805, 300, 10, 4, -10, 4}, {400, -5, 10, -4, 10, 4},
        {400, 605, 10, 4, 10, -4}, {790, 590, 10, 4, 10, 4},  // half outside, centre inside: keeps on
    };
    for (const auto& c : cases) {
        DS_FogConstructor fog;
        SpriteInstance sprite;
        sprite.position = D3DXVECTOR3(c.x, c.y, 0.0f);
        sprite.velocity = D3DXVECTOR3(c.vx, c.vy, 0.0f);
        D3DXMatrixRotationZ(&sprite.rotationStep, 0.003f);
        fog.UpdateSprite(sprite);
        fog.UpdateSprite(sprite);
        EXPECT_EQ(sprite.velocity.x, c.newVx) << c.x << " " << c.y;
        EXPECT_EQ(sprite.velocity.y, c.newVy) << c.x << " " << c.y;
        // The same turn on every update, with no time passing.
        EXPECT_NEAR(std::atan2(sprite.firstAxis.y, sprite.firstAxis.x), 0.006f, 1e-5f);
        EXPECT_NEAR(std::atan2(-sprite.secondAxis.x, sprite.secondAxis.y), 0.006f, 1e-5f);
    }
    DS_FogConstructor fog;
    EXPECT_EQ(fog.minAlpha, 0.2f);
    EXPECT_EQ(fog.TransparencyAlpha(), 127);
}

TEST(MovingSprites, FlowVectorsFollowTheDirection)
{
    const struct {
        unsigned direction;
        float flowX, flowY, sideX, sideY;
    } cases[] = {
        {0, 100, 0, 0, 1},
        {90, 0, -100, 1, 0},
        {270, 0, 100, -1, 0},
        {180, -100, 0, 0, -1},
    };
    for (const auto& c : cases) {
        DS_FlowConstructor flow;
        flow.flowSpeed = 100.0f;
        flow.direction.SetValue(c.direction + 1);  // a change, so the listener runs
        flow.direction.SetValue(c.direction);
        EXPECT_NEAR(flow.FlowVector().x, c.flowX, 1e-3f) << c.direction;
        EXPECT_NEAR(flow.FlowVector().y, c.flowY, 1e-3f) << c.direction;
        EXPECT_NEAR(flow.SideVector().x, c.sideX, 1e-6f) << c.direction;
        EXPECT_NEAR(flow.SideVector().y, c.sideY, 1e-6f) << c.direction;
    }
    // A speed change alone leaves the vectors; a copy computes them and
    // binds its edge controls to itself.
    DS_FlowConstructor flow;
    flow.direction.SetValue(90);
    flow.flowSpeed = 100.0f;
    EXPECT_EQ(flow.FlowVector(), D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f));
    std::unique_ptr<DS_ParticleSystemCtrl> clone(flow.Clone());
    auto& copy = static_cast<DS_FlowConstructor&>(*clone);
    EXPECT_NEAR(copy.FlowVector().y, -100.0f, 1e-3f);
    for (size_t side = 0; side < 4; ++side) {
        EXPECT_EQ(copy.bounds[side].BoundItem(), &copy);
        EXPECT_EQ(copy.bounds[side].side, static_cast<int32_t>(side));
        EXPECT_EQ(flow.bounds[side].BoundItem(), &flow);
    }
    copy.direction.SetValue(0);  // the copy's listener is its own
    EXPECT_NEAR(copy.FlowVector().x, 100.0f, 1e-3f);
    EXPECT_EQ(flow.FlowVector(), D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f));
}

TEST(MovingSprites, FlowDrawsFewerSpritesAsItFades)
{
    const struct {
        unsigned count;
        float alpha;
        unsigned drawn;
    } cases[] = {
        {10, 0.55f, 5}, {1, 0.0f, 1}, {1, 0.55f, 1}, {0, 1.0f, 0}, {10, 1.0f, 10}, {10, 0.0f, 0},
    };
    for (const auto& c : cases) {
        DS_RainConstructor rain;
        rain.count.SetValue(c.count);
        SetOpacity(rain, c.alpha);
        EXPECT_EQ(rain.GetCount(), c.drawn) << c.count << " " << c.alpha;
    }
}

TEST(MovingSprites, FlowStreamsDriftsAndMirrors)
{
    PictureSize picture(800, 600);
    const struct {
        int orientation;
        unsigned direction;
        float sideFactor;
        float firstX, secondY;  // axes after the update
    } cases[] = {
        {DS_FlowConstructor::kMirrorByVx, 180, 0.0f, -1.0f, 1.0f},
        {DS_FlowConstructor::kMirrorByVx, 0, 0.0f, 1.0f, 1.0f},
        {DS_FlowConstructor::kMirrorByVy, 90, 0.0f, 1.0f, -1.0f},
        {DS_FlowConstructor::kMirrorByVy, 270, 0.0f, 1.0f, 1.0f},
        {DS_FlowConstructor::kUpright, 90, 0.5f, 1.0f, 1.0f},
    };
    for (const auto& c : cases) {
        DS_FlowConstructor flow;
        flow.flowSpeed = 100.0f;
        flow.direction.SetValue(c.direction + 1);
        flow.direction.SetValue(c.direction);
        flow.sideSpeed.SetValue(10);  // 30 pixels per second
        flow.orientation.SetValue(c.orientation);
        SpriteInstance sprite;
        sprite.position = D3DXVECTOR3(400.0f, 300.0f, 0.0f);
        sprite.direction = D3DXVECTOR3(1.0f, 1.0f, 0.0f);
        sprite.velocity.z = c.sideFactor;
        sprite.halfWidth = sprite.halfHeight = 5.0f;
        flow.SmoothSpeed(0.0f);
        flow.SmoothSpeed(0.1f);
        flow.UpdateSprite(sprite);
        const D3DXVECTOR4& along = flow.FlowVector();
        const D3DXVECTOR4& across = flow.SideVector();
        EXPECT_NEAR(sprite.velocity.x, along.x + across.x * c.sideFactor * 30.0f, 1e-3f);
        EXPECT_NEAR(sprite.position.x, 400.0f + 0.1f * sprite.velocity.x, 1e-3f);
        EXPECT_NEAR(sprite.position.y, 300.0f + 0.1f * sprite.velocity.y, 1e-3f);
        EXPECT_EQ(sprite.firstAxis.x, c.firstX) << c.orientation << " " << c.direction;
        EXPECT_EQ(sprite.secondAxis.y, c.secondY) << c.orientation << " " << c.direction;
    }
    // A paused sprite stands; a flow without speed leaves sprites in place.
    DS_FlowConstructor still;
    SpriteInstance sprite;
    sprite.position = D3DXVECTOR3(400.0f, 300.0f, 0.0f);
    sprite.direction = D3DXVECTOR3(1.0f, 1.0f, 0.0f);
    still.SmoothSpeed(0.0f);
    still.SmoothSpeed(0.1f);
    still.UpdateSprite(sprite);
    EXPECT_EQ(sprite.position, D3DXVECTOR3(400.0f, 300.0f, 0.0f));
}

// A side-change rate of r gives a chance of a new side factor once every
// 1 / r seconds of speed clock; rate 0 never.
TEST(MovingSprites, FlowSideFactorChangesNowAndThen)
{
    PictureSize picture(800, 600);
    for (unsigned rate : {0u, 4u}) {  // 4: once a second
        DS_FlowConstructor flow;
        flow.sideChangeRate.SetValue(rate);
        SpriteInstance sprite;
        sprite.position = D3DXVECTOR3(400.0f, 300.0f, 0.0f);
        sprite.direction = D3DXVECTOR3(1.0f, 1.0f, 0.0f);
        sprite.velocity.z = 0.25f;
        flow.SmoothSpeed(0.0f);
        DS_SRand(1);
        for (float t = 0.1f; t < 2.55f; t += 0.1f) {
            flow.SmoothSpeed(t);
            flow.UpdateSprite(sprite);
        }
        const int next = DS_Rand();
        const std::vector<int> r = SeedOneSequence(8);
        if (rate == 0) {
            EXPECT_EQ(next, r[0]);
            EXPECT_EQ(sprite.velocity.z, 0.25f);
        } else {
            // Due after 1 s (41: odd, 18467 drawn) and after 2 s (6334: even, kept).
            EXPECT_FLOAT_EQ(sprite.velocity.z, Range(r[1], -1.0f, 1.0f));
            EXPECT_EQ(next, r[3]);
        }
    }
}

// Rain sees alpha 1 in the flow rule, so a wrapping edge never finishes its
// fade-out: a drop that falls out at the bottom stays captured and keeps
// falling, and is placed anew only by its pulse.
TEST(MovingSprites, RainLeavingTheBottomIsPlacedAnewOnlyByItsPulse)
{
    PictureSize picture(800, 600);
    for (float pulse : {0.0f, 2.0f}) {
        DS_RainConstructor item;
        item.pulseSpeed = pulse;
        item.minAlpha = 0.2f;
        // The clone, as the runtime object has it: its vectors follow the speed.
        std::unique_ptr<DS_ParticleSystemCtrl> clone(item.Clone());
        DS_ParticleSystemCtrl& rain = *clone;
        SpriteInstance sprite;
        sprite.position = D3DXVECTOR3(400.0f, 590.0f, 0.0f);
        sprite.direction = D3DXVECTOR3(1.0f, 1.0f, 0.0f);
        sprite.halfWidth = sprite.halfHeight = 2.0f;
        sprite.alpha = 1.0f;
        sprite.pulseSpeed = -pulse;
        float t = 0.0f;
        rain.SmoothSpeed(t);
        bool captured = false, placedAnew = false;
        float lastY = sprite.position.y;
        for (int frame = 0; frame < 20; ++frame) {
            rain.SmoothSpeed(t += 0.05f);
            rain.UpdateSprite(sprite);
            captured = captured || sprite.capturedSide == SpriteInstance::kBottom;
            if (sprite.position.y < lastY) placedAnew = true;
            lastY = sprite.position.y;
        }
        EXPECT_TRUE(captured) << pulse;
        EXPECT_EQ(placedAnew, pulse > 0.0f) << pulse;
        if (pulse == 0.0f) {
            EXPECT_GT(sprite.position.y, 600.0f + 20 * 0.05f * 1000.0f * 0.9f);
            EXPECT_EQ(sprite.capturedSide, SpriteInstance::kBottom);
        }
    }
}

// An area whose start equals its end (a hand-made document): every kind
// places its sprites on that point and keeps them finite.
TEST(MovingSprites, AreaOfOnePointKeepsSpritesFinite)
{
    PictureSize picture(800, 600);
    const std::vector<std::function<std::unique_ptr<DS_ParticleSystemCtrl>()>> kinds = {
        [] { return std::make_unique<DS_FishConstructor>(); },  [] { return std::make_unique<DS_BirdConstructor>(); },
        [] { return std::make_unique<DS_GhostConstructor>(); }, [] { return std::make_unique<DS_FogConstructor>(); },
        [] { return std::make_unique<DS_FlowConstructor>(); },  [] { return std::make_unique<DS_RainConstructor>(); },
    };
    for (const auto& make : kinds) {
        std::unique_ptr<DS_ParticleSystemCtrl> item = make();
        item->normLeft = item->normRight = 0.5f;
        item->normTop = item->normBottom = 0.5f;
        item->size.SetValue(20);
        item->pulseSpeed = 1.0f;
        std::unique_ptr<DS_ParticleSystemCtrl> clone(item->Clone());
        NewSprite made(*clone);
        EXPECT_EQ(made.sprite->position, D3DXVECTOR3(400.0f, 300.0f, 0.0f)) << typeid(*clone).name();
        for (int frame = 1; frame <= 40; ++frame) made.geometry.Update(0.05f * static_cast<float>(frame));
        const SpriteInstance& s = *made.sprite;
        EXPECT_TRUE(std::isfinite(s.position.x) && std::isfinite(s.position.y)) << typeid(*clone).name();
        EXPECT_TRUE(std::isfinite(s.alpha) && std::isfinite(s.firstAxis.x)) << typeid(*clone).name();
    }
}
