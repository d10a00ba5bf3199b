#include "engine/params/Random.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>

#include "engine/params/MediaDirection.h"
#include "engine/params/MediaQuad.h"
#include "engine/params/Noise.h"
#include "engine/params/RandomDuration.h"

namespace {

// First results of the sequence from state 1.
constexpr int kSeq1[] = {41, 18467, 6334, 26500, 19169};

TEST(RandomSequenceTest, FreshProcessStartsAtStateOne)
{
    // A child process draws before anything else has touched the generator.
    EXPECT_EXIT(
        {
            const bool ok = DS_Rand() == 41 && DS_Rand() == 18467 && DS_Rand() == 6334;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(RandomSequenceTest, SeedReplaysTheSequence)
{
    DS_SRand(1);
    for (int expected : kSeq1) EXPECT_EQ(DS_Rand(), expected);
    DS_SRand(12345);
    EXPECT_EQ(DS_Rand(), 7584);
    EXPECT_EQ(DS_Rand(), 19164);
    DS_SRand(12345);
    EXPECT_EQ(DS_Rand(), 7584);
}

TEST(RandomSequenceTest, SkipLandsWhereThatManyDrawsWould)
{
    for (uint64_t count : {0ull, 1ull, 2ull, 3ull, 7ull, 1000ull, 65537ull}) {
        SCOPED_TRACE(count);
        DS_SRand(12345);
        for (uint64_t i = 0; i < count; ++i) DS_Rand();
        const uint32_t drawn = DS_RandState();
        DS_SRand(12345);
        DS_SkipRand(count);
        EXPECT_EQ(DS_RandState(), drawn);
    }
}

TEST(RandomSequenceTest, LibraryRandDoesNotDisturbTheSequence)
{
    DS_SRand(1);
    EXPECT_EQ(DS_Rand(), 41);
    std::srand(99);
    (void)std::rand();
    EXPECT_EQ(DS_Rand(), 18467);
}

float DrawPercentage(unsigned minimum, unsigned maximum, bool random)
{
    RandomDuration d;
    d.minimum.SetValue(minimum);
    d.maximum.SetValue(maximum);
    d.random = random;
    return RandomPercentage(d);
}

// Each draw function consumes a fixed number of numbers; the next DS_Rand
// after it shows how many.
struct DrawCountCase {
    const char* name;
    void (*draw)();
    int draws;
};

const DrawCountCase kDrawCounts[] = {
    {"RandomRange", [] { RandomRange(0.0f, 1.0f); }, 1},
    {"RandomRangeEmpty", [] { RandomRange(2.0f, 2.0f); }, 1},
    {"RandomRangeReversed", [] { RandomRange(5.0f, -5.0f); }, 1},
    {"RandomPointInRect", [] { RandomPointInRect(MediaQuad()); }, 2},
    {"RandomRotatedVector", [] { RandomRotatedVector(1.0f, 0.0f, 90.0f); }, 1},
    {"RandomDirection3D", [] { RandomDirection3D(1.0f); }, 2},
    {"SectorRandomDirection", [] { MediaSector(0, 0).RandomDirection(); }, 1},
    {"PercentageFixed", [] { DrawPercentage(100, 200, false); }, 0},
    {"PercentageMinEqualsMax", [] { DrawPercentage(100, 100, true); }, 1},
    {"PercentageMaxBelowMin", [] { DrawPercentage(100, 99, true); }, 1},
};

class DrawCountTest : public ::testing::TestWithParam<DrawCountCase> {};

TEST_P(DrawCountTest, ConsumesItsDraws)
{
    DS_SRand(1);
    GetParam().draw();
    EXPECT_EQ(DS_Rand(), kSeq1[GetParam().draws]);
}

INSTANTIATE_TEST_SUITE_P(Draws, DrawCountTest, ::testing::ValuesIn(kDrawCounts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RandomRangeTest, ValuesFromKnownDraws)
{
    DS_SRand(1);
    EXPECT_FLOAT_EQ(RandomRange(0.0f, 32767.0f), 41.0f);
    EXPECT_FLOAT_EQ(RandomRange(2.0f, 2.0f), 2.0f);
    EXPECT_NEAR(RandomRange(-1.0f, 1.0f), -1.0f + 2.0f * 6334.0f / 32767.0f, 1e-6f);
}

TEST(RandomRangeTest, PointInRectDrawsYFirst)
{
    MediaQuad quad;
    quad.Corner(0).StoreValue(D3DXVECTOR3(0.0f, 0.0f, 5.0f));
    quad.Corner(3).StoreValue(D3DXVECTOR3(32767.0f, 65534.0f, 5.0f));
    DS_SRand(1);
    const D3DXVECTOR3 p = RandomPointInRect(quad);
    EXPECT_FLOAT_EQ(p.y, 82.0f);     // 41 x 2
    EXPECT_FLOAT_EQ(p.x, 18467.0f);  // second draw
    EXPECT_FLOAT_EQ(p.z, 0.0f);
}

TEST(RandomRangeTest, RotatedVectorsHaveTheirLength)
{
    DS_SRand(7);
    const D3DXVECTOR3 v = RandomRotatedVector(2.0f, 90.0f, 90.0f);
    EXPECT_NEAR(v.x, 0.0f, 1e-5f);
    EXPECT_NEAR(v.y, 2.0f, 1e-5f);
    for (int i = 0; i < 20; ++i) {
        const D3DXVECTOR3 d = RandomDirection3D(3.0f);
        EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 3.0f, 1e-4f);
    }
}

struct SectorCase {
    unsigned direction;
    unsigned spread;
    float x, y;  // expected with the draw 41 from state 1
};

class SectorTest : public ::testing::TestWithParam<SectorCase> {};

TEST_P(SectorTest, RandomDirectionTurnsClockwise)
{
    const SectorCase& c = GetParam();
    DS_SRand(1);
    const D3DXVECTOR3 v = MediaSector(c.direction, c.spread).RandomDirection();
    EXPECT_NEAR(v.x, c.x, 1e-5f);
    EXPECT_NEAR(v.y, c.y, 1e-5f);
    EXPECT_EQ(v.z, 0.0f);
}

// angle = direction - spread + 41 / 32767 x 2 spread; vector (cos(360 - angle), sin(360 - angle)).
const float kAngle10 = -10.0f + 41.0f / 32767.0f * 20.0f;
INSTANTIATE_TEST_SUITE_P(Sectors, SectorTest,
                         ::testing::Values(SectorCase{0, 0, 1.0f, 0.0f}, SectorCase{90, 0, 0.0f, -1.0f},
                                           SectorCase{270, 0, 0.0f, 1.0f},
                                           SectorCase{0, 10, std::cos(-kAngle10 * kPi / 180.0f),
                                                      std::sin(-kAngle10 * kPi / 180.0f)}));

struct PercentageCase {
    unsigned minimum;
    unsigned maximum;
    bool random;
    float seconds;  // with the draw 41 from state 1
};

class PercentageTest : public ::testing::TestWithParam<PercentageCase> {};

TEST_P(PercentageTest, Seconds)
{
    const PercentageCase& c = GetParam();
    DS_SRand(1);
    EXPECT_FLOAT_EQ(DrawPercentage(c.minimum, c.maximum, c.random), c.seconds);
}

INSTANTIATE_TEST_SUITE_P(Durations, PercentageTest,
                         ::testing::Values(PercentageCase{100, 200, false, 1.0f},
                                           PercentageCase{100, 200, true, 1.41f},  // 100 + 41 % 101
                                           PercentageCase{100, 120, true, 1.2f},   // 100 + 41 % 21
                                           PercentageCase{100, 100, true, 1.0f},
                                           // Mended: a maximum below the minimum gives the
                                           // minimum (99 would divide by zero).
                                           PercentageCase{100, 99, true, 1.0f}, PercentageCase{100, 0, true, 1.0f},
                                           // The span of the full range does not wrap to 0.
                                           PercentageCase{0, 0xFFFFFFFFu, true, 0.41f}));

struct HashCase {
    int32_t n;
    double hash;  // computed independently with 32-bit signed wrapping
};

class NoiseHashTest : public ::testing::TestWithParam<HashCase> {};

TEST_P(NoiseHashTest, MatchesSignedWrappingArithmetic)
{
    EXPECT_DOUBLE_EQ(NoiseHash(GetParam().n), GetParam().hash);
    // At an integer the noise is the hash itself.
    EXPECT_DOUBLE_EQ(ValueNoise1D(static_cast<double>(GetParam().n)), GetParam().hash);
}

INSTANTIATE_TEST_SUITE_P(Hashes, NoiseHashTest,
                         ::testing::Values(HashCase{0, -0.2817909838631749}, HashCase{1, -0.2263730512931943},
                                           HashCase{-1, 0.9001262886449695}, HashCase{2, 0.29363288078457117},
                                           HashCase{12345, -0.8928926484659314},
                                           HashCase{INT_MAX, 0.9001262886449695},
                                           HashCase{INT_MIN, -0.2817909838631749}));

TEST(NoiseTest, HalfwayIsTheMeanOfNeighbours)
{
    EXPECT_NEAR(ValueNoise1D(1.5), (NoiseHash(1) + NoiseHash(2)) / 2.0, 1e-7);
    // Truncation toward zero: -0.5 lies between hash(0) and hash(1) with f = -0.5.
    EXPECT_NEAR(ValueNoise1D(-0.5), (NoiseHash(0) + NoiseHash(1)) / 2.0, 1e-7);
}

TEST(NoiseTest, OctavesSumScaledNoise)
{
    EXPECT_DOUBLE_EQ(OctaveNoise1D(123.4, 75.0, 0.5, 1), ValueNoise1D(123.4 / 75.0));
    EXPECT_DOUBLE_EQ(OctaveNoise1D(123.4, 75.0, 0.5, 0), 0.0);
    EXPECT_DOUBLE_EQ(OctaveNoise1D(123.4, 75.0, 0.5, -3), 0.0);
    const double two = ValueNoise1D(123.4 / 75.0) + 0.5 * ValueNoise1D(2.0 * 123.4 / 75.0);
    EXPECT_DOUBLE_EQ(OctaveNoise1D(123.4, 75.0, 0.5, 2), two);
}

TEST(NoiseTest, OutOfRangeInputStaysDefined)
{
    // Beyond the 32-bit range the truncation takes the processor's answer.
    for (double x : {1e12, -1e12, 2147483647.5}) {
        const double v = ValueNoise1D(x);
        EXPECT_TRUE(std::isfinite(v)) << x;
        EXPECT_LE(std::fabs(v), 1.0) << x;
    }
    EXPECT_EQ(TruncateToInt32(std::nan("")), INT_MIN);
}

struct RoundCase {
    float x;
    int expected;
};

class RoundToIntTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundToIntTest, HalvesToEven)
{
    EXPECT_EQ(RoundToInt(GetParam().x), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, RoundToIntTest,
                         ::testing::Values(RoundCase{2.5f, 2}, RoundCase{3.5f, 4}, RoundCase{-1.5f, -2},
                                           RoundCase{-2.5f, -2}, RoundCase{0.49f, 0}, RoundCase{1e10f, INT_MIN}));

}  // namespace
