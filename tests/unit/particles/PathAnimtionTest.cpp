// The path sprite without a device: where a step takes it on a path (turns
// at the ends, several segments in one step, a step of many round trips,
// segments and paths of length 0, paths it cannot travel), how fast the
// travel speed moves it, and which way its quad faces and mirrors.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "objects/particles/PathAnimtion.h"
#include "objects/particles/QuadFunctions.h"

namespace {

std::unique_ptr<DS_PathAnimtion> OnPath(const std::vector<D3DXVECTOR3>& points)
{
    auto sprite = std::make_unique<DS_PathAnimtion>();
    for (const D3DXVECTOR3& p : points) sprite->path.emplace_back(p);
    sprite->InitObject(nullptr);
    return sprite;
}

void ExpectAt(const DS_PathAnimtion& sprite, float x, float y, const char* what)
{
    EXPECT_NEAR(sprite.currentPosition.x, x, 1e-3f) << what;
    EXPECT_NEAR(sprite.currentPosition.y, y, 1e-3f) << what;
}

// An L-shaped path of lengths 100 and 50 (round trip 300).
const std::vector<D3DXVECTOR3> kLPath = {{0, 0, 0}, {100, 0, 0}, {100, 50, 0}};

TEST(PathAnimtion, StepsTakeTheSpriteAlongThePathAndBack)
{
    struct Case {
        const char* what;
        std::vector<D3DXVECTOR3> path;
        std::vector<float> steps;
        float x, y;
    };
    const std::vector<Case> cases = {
        {"no step stays on the first point", kLPath, {0, 0}, 0, 0},
        {"within the first segment", kLPath, {30, 30}, 60, 0},
        {"onto the second segment", kLPath, {80, 40}, 100, 20},
        {"two points: there", {{10, 10, 0}, {110, 10, 0}}, {100}, 110, 10},
        {"two points: turned and back", {{10, 10, 0}, {110, 10, 0}}, {100, 30}, 80, 10},
        {"two points: back to the start and out again", {{10, 10, 0}, {110, 10, 0}}, {150, 60}, 20, 10},
        {"one step passes every segment and turns", kLPath, {170}, 100, 30},
        {"one step of a round trip ends where it began", kLPath, {40, 300}, 40, 0},
        {"a step of many round trips keeps only the rest", kLPath, {300.0f * 1000.0f + 60.0f}, 60, 0},
        {"a step far beyond float precision still ends on the path", kLPath, {3.0e9f}, -1, -1},
        {"a zero-length segment is passed", {{0, 0, 0}, {50, 0, 0}, {50, 0, 0}, {50, 40, 0}}, {70}, 50, 20},
        {"standing on a zero-length segment", {{5, 0, 0}, {5, 0, 0}, {50, 0, 0}}, {0}, 5, 0},
        {"a path of length 0 keeps the sprite still", {{7, 8, 0}, {7, 8, 0}, {7, 8, 0}}, {10, 1000}, 7, 8},
    };
    for (const Case& c : cases) {
        auto sprite = OnPath(c.path);
        for (float step : c.steps) sprite->Advance(step);
        const D3DXVECTOR3& p = sprite->currentPosition;
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << c.what;
        if (c.x < 0) {
            // Anywhere on the L.
            EXPECT_TRUE((p.y == 0 && p.x >= 0 && p.x <= 100) || (p.x == 100 && p.y >= 0 && p.y <= 50)) << c.what;
        } else {
            ExpectAt(*sprite, c.x, c.y, c.what);
        }
    }
}

TEST(PathAnimtion, TravelSpeedMovesThreePixelsASecondPerUnit)
{
    auto sprite = OnPath(kLPath);
    sprite->travelSpeed.SetValue(10);  // 30 pixels a second
    for (float t = 0.1f; t < 2.05f; t += 0.1f) sprite->Update(t, nullptr);
    ExpectAt(*sprite, 60, 0, "after 2 s");
    sprite->travelSpeed.SetValue(0);
    sprite->Update(2.5f, nullptr);
    ExpectAt(*sprite, 60, 0, "speed 0 stays");
}

TEST(PathAnimtion, APathItCannotTravelKeepsTheSpriteAway)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        std::vector<D3DXVECTOR3> path;
    } cases[] = {
        {"no points", {}},
        {"one point", {{5, 5, 0}}},
        {"a point not a number", {{0, 0, 0}, {nan, 0, 0}, {10, 10, 0}}},
        {"an infinite point", {{0, 0, 0}, {inf, 0, 0}}},
        {"a length beyond floats", {{-3e38f, 0, 0}, {3e38f, 0, 0}, {-3e38f, 0, 0}}},
    };
    for (const auto& c : cases) {
        auto sprite = OnPath(c.path);
        EXPECT_FALSE(sprite->PathUsable()) << c.what;
        sprite->travelSpeed.SetValue(100);
        for (float t = 0.1f; t < 1.0f; t += 0.1f) sprite->Update(t, nullptr);
        EXPECT_EQ(sprite->currentPosition, sprite->previousPosition) << c.what;
    }
    EXPECT_TRUE(OnPath({{0, 0, 0}, {1, 0, 0}})->PathUsable());
}

// The quad's centre and the direction from its V1 to its V3 (the u axis
// along the top edge).
D3DXVECTOR3 Centre(const ParticleQuad& q)
{
    return D3DXVECTOR3((q.v[0].x + q.v[3].x) / 2, (q.v[0].y + q.v[3].y) / 2, 0);
}

TEST(PathAnimtion, OrientationTurnsOrMirrorsTheSprite)
{
    struct Case {
        const char* what;
        int32_t mode;
        std::vector<D3DXVECTOR3> path;
        std::vector<float> steps;
        float uOfV0, vOfV0;  // UV of V0
        float v0x, v0y;      // V0's offset from the centre
    };
    // Sprite 20 wide and 10 high. Upright: V0 at (-10, +5) with UV (0, 1).
    const std::vector<Case> cases = {
        {"upright moving right", 0, {{0, 0, 0}, {100, 0, 0}}, {10}, 0, 1, -10, 5},
        {"upright moving left", 0, {{100, 0, 0}, {0, 0, 0}}, {10}, 0, 1, -10, 5},
        {"along a motion to the right", 1, {{0, 0, 0}, {100, 0, 0}}, {10}, 0, 1, -10, -5},
        {"along a motion downwards", 1, {{0, 0, 0}, {0, 100, 0}}, {10}, 0, 1, 5, -10},
        {"along: standing still keeps the last direction", 1, {{0, 0, 0}, {0, 100, 0}}, {10, 0}, 0, 1, 5, -10},
        {"mirror u moving left", 2, {{100, 0, 0}, {0, 0, 0}}, {10}, 1, 1, -10, 5},
        {"mirror u moving right", 2, {{0, 0, 0}, {100, 0, 0}}, {10}, 0, 1, -10, 5},
        {"mirror u standing still", 2, {{0, 0, 0}, {100, 0, 0}}, {0}, 1, 1, -10, 5},
        {"mirror v moving down", 3, {{0, 0, 0}, {0, 100, 0}}, {10}, 0, 0, -10, 5},
        {"mirror v moving up", 3, {{0, 100, 0}, {0, 0, 0}}, {10}, 0, 1, -10, 5},
    };
    for (const Case& c : cases) {
        auto sprite = OnPath(c.path);
        sprite->orientationMode.SetValue(c.mode);
        ParticleQuad quad{};
        for (float step : c.steps) {
            sprite->Advance(step);
            quad = sprite->SpriteQuad(20, 10);
        }
        const D3DXVECTOR3 centre = Centre(quad);
        EXPECT_NEAR(centre.x, sprite->currentPosition.x, 1e-3f) << c.what;
        EXPECT_NEAR(centre.y, sprite->currentPosition.y, 1e-3f) << c.what;
        EXPECT_EQ(quad.v[0].u, c.uOfV0) << c.what;
        EXPECT_EQ(quad.v[0].v, c.vOfV0) << c.what;
        EXPECT_NEAR(quad.v[0].x - centre.x, c.v0x, 1e-3f) << c.what;
        EXPECT_NEAR(quad.v[0].y - centre.y, c.v0y, 1e-3f) << c.what;
    }
}

TEST(PathAnimtion, TheFlipsExchangeTheirCoordinateAndTheModesInvertThem)
{
    auto sprite = OnPath({{100, 0, 0}, {0, 0, 0}});  // moving left
    sprite->flipU.SetValue(1);
    sprite->flipV.SetValue(1);
    sprite->Advance(10);
    ParticleQuad quad = sprite->SpriteQuad(20, 10);
    EXPECT_EQ(quad.v[0].u, 1.0f);
    EXPECT_EQ(quad.v[0].v, 0.0f);
    sprite->orientationMode.SetValue(DS_PathAnimtion::kMirrorUMovingLeft);
    quad = sprite->SpriteQuad(20, 10);
    EXPECT_EQ(quad.v[0].u, 0.0f);
    EXPECT_EQ(quad.v[0].v, 0.0f);
}

TEST(PathAnimtion, ACloneTravelsItsOwnPath)
{
    auto sprite = OnPath(kLPath);
    sprite->Advance(120);
    std::unique_ptr<DS_ParticleGenerator> copy(sprite->Clone());
    auto& clone = static_cast<DS_PathAnimtion&>(*copy);
    sprite.reset();
    EXPECT_EQ(clone.cursor.path, &clone.path);
    clone.Advance(10);
    ExpectAt(clone, 100, 30, "the clone");
}

}  // namespace
