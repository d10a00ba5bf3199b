// The ring light's water: grid sizes, refraction table, drops, relaxation,
// vertices and the ring-wound index strip. No device: Resize then only lays
// out the cells.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "effects/lights/WaterGrid.h"
#include "engine/params/Random.h"
#include "engine/resources/CurrentScene.h"

namespace {

class WaterGridTest : public ::testing::Test {
protected:
    void SetUp() override { SetCurrentDevice(nullptr); }
    void TearDown() override { DS_SRand(1); }

    WaterGrid grid_;
};

TEST_F(WaterGridTest, SizesFollowDensityAndProportionsWithinTheCap)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float width, height, aspect, density;
        uint32_t columns, rows;
    } cases[] = {
        {40.0f, 30.0f, 1.0f, 1.0f, 128, 96},          // 4:3
        {30.0f, 30.0f, 1.0f, 3.0f, 170, 384},         // 384 x 384 capped
        {40.0f, 30.0f, 2.0f, 1.0f, 128, 192},         // grid aspect
        {3000.0f, 30.0f, 1.0f, 1.0f, 128, 4},         // 100:1 picture
        {0.1f, 30.0f, 1.0f, 1.0f, 4, 16384},          // 1:300 picture
        {30.0f, 30.0f, 1.0f, 4e9f, 4, 16384},         // huge density
        {30.0f, 30.0f, 1.0f, 0.0f, 4, 4},             // no density
        {0.0f, 30.0f, 1.0f, 1.0f, 16, 3840},          // no width: taken as 1, so 3840 rows, capped
        {inf, 30.0f, 1.0f, 1.0f, 16, 3840},
        {30.0f, 30.0f, nan, nan, 4, 4},
        {41.0f, 30.0f, 1.0f, 1.0f / 128.0f * 7.0f, 6, 4},  // odd sides round down to even
    };
    for (const auto& c : cases) {
        grid_.Resize(c.width, c.height, c.aspect, c.density);
        EXPECT_EQ(grid_.Columns(), c.columns) << c.width << " " << c.height << " " << c.density;
        EXPECT_EQ(grid_.Rows(), c.rows) << c.width << " " << c.height << " " << c.density;
        EXPECT_EQ(grid_.CellCount(), grid_.Columns() * grid_.Rows());
        EXPECT_LE(grid_.CellCount(), WaterGrid::kMaxCells);
        EXPECT_EQ(grid_.Cells().size(), grid_.CellCount());
    }
}

TEST_F(WaterGridTest, RefractionTableEnds)
{
    const WaterGrid::Refraction* table = WaterGrid::BuildRefractionTable();
    EXPECT_EQ(table, WaterGrid::BuildRefractionTable()) << "built once";
    EXPECT_EQ(table[0].color, 253u << 24);
    EXPECT_EQ(table[255].color, 0u);
    EXPECT_NEAR(table[0].b, -1.0f / 1.333f, 1e-6f);
    // cos_i 0: the refracted angle's cosine is sqrt(1 - 1 / 1.333^2).
    EXPECT_NEAR(table[0].a, 1.333f * std::sqrt(1.0f - 1.0f / (1.333f * 1.333f)), 1e-5f);
    for (int i = 0; i < 256; ++i) {
        ASSERT_TRUE(std::isfinite(table[i].a) && std::isfinite(table[i].b)) << i;
    }
}

TEST_F(WaterGridTest, DropPushesAnInnerCellAndItsNeighboursDown)
{
    grid_.Resize(8.0f, 8.0f, 1.0f, 8.0f / 128.0f);  // 8 x 8
    ASSERT_EQ(grid_.Columns(), 8u);
    grid_.dropStrength = 0.5f;
    // The generator's first two numbers after seed 1 are 41 and 18467:
    // column 41 % 6 + 1 = 6, row 18467 % 6 + 1 = 6.
    DS_SRand(1);
    grid_.Drop();
    const auto velocity = [&](uint32_t c, uint32_t r) { return grid_.Cells()[r * 8 + c].velocity; };
    EXPECT_FLOAT_EQ(velocity(6, 6), -0.125f);
    for (auto [c, r] : {std::pair{5u, 6u}, {7u, 6u}, {6u, 5u}, {6u, 7u}}) EXPECT_FLOAT_EQ(velocity(c, r), -0.0625f);
    for (auto [c, r] : {std::pair{5u, 5u}, {7u, 5u}, {5u, 7u}, {7u, 7u}}) EXPECT_FLOAT_EQ(velocity(c, r), -0.03125f);
    float total = 0.0f;
    for (const auto& cell : grid_.Cells()) total += cell.velocity;
    EXPECT_FLOAT_EQ(total, -0.5f) << "nothing else touched";
}

TEST_F(WaterGridTest, PassesKeepTheMeanAtZeroAndBordersAtMinusTheMean)
{
    grid_.Resize(6.0f, 6.0f, 1.0f, 6.0f / 128.0f);  // 6 x 6
    ASSERT_EQ(grid_.CellCount(), 36u);
    grid_.refractionK = 1.0f;
    for (size_t i = 0; i < grid_.Cells().size(); ++i) {
        grid_.Cells()[i].height = 0.01f * static_cast<float>(i % 7) - 0.02f;
        grid_.Cells()[i].velocity = 0.005f * static_cast<float>(i % 5);
    }
    grid_.Relax();
    float sum = 0.0f;
    for (const auto& cell : grid_.Cells()) sum += cell.height;
    EXPECT_NEAR(sum / 36.0f, 0.0f, 1e-6f);
    // Borders were zeroed in the last pass, then every cell lost the mean:
    // all borders hold the same height and no velocity.
    const float border = grid_.Cells()[0].height;
    for (uint32_t i = 0; i < 6; ++i) {
        for (uint32_t cell : {i, 30 + i, 6 * i, 6 * i + 5}) {
            EXPECT_FLOAT_EQ(grid_.Cells()[cell].height, border);
            EXPECT_FLOAT_EQ(grid_.Cells()[cell].velocity, 0.0f);
        }
    }
}

TEST_F(WaterGridTest, OnePassOnAKnownField)
{
    // 4 x 4 grid, one raised inner cell (1, 1) of height 1, damping 0.5,
    // k = 1. In row order: (1, 1): target 0, v = -0.25; (2, 1): target
    // 1/6, v = 1/24; (1, 2): 1/6 likewise; (2, 2): corner 1/12, v = 1/48.
    // Sum of v + h: 1 - 0.25 + 2/24 + 1/48 = 0.854166..., mean / 16.
    grid_.Resize(4.0f, 4.0f, 1.0f, 0.0f);
    ASSERT_EQ(grid_.CellCount(), 16u);
    grid_.damping = 0.5f;
    grid_.Cells()[5].height = 1.0f;
    // Four passes run; check the first by running the same pass by hand.
    std::vector<WaterGrid::Cell> expected = grid_.Cells();
    const auto pass = [](std::vector<WaterGrid::Cell>& cells, float damping) {
        const auto h = [&](int c, int r) { return cells[r * 4 + c].height; };
        float sum = 0.0f;
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                auto& cell = cells[r * 4 + c];
                if (r == 0 || c == 0 || r == 3 || c == 3) {
                    cell = {};
                } else {
                    const float target = (h(c - 1, r) + h(c + 1, r) + h(c, r - 1) + h(c, r + 1)) / 6.0f +
                                         (h(c - 1, r - 1) + h(c + 1, r - 1) + h(c - 1, r + 1) + h(c + 1, r + 1)) / 12.0f;
                    cell.velocity = cell.velocity * damping + (target - cell.height) * 0.25f;
                }
                sum += cell.velocity + cell.height;
            }
        }
        for (auto& cell : cells) cell.height += cell.velocity - sum / 16.0f;
    };
    std::vector<WaterGrid::Cell> first = expected;
    pass(first, 0.5f);
    EXPECT_FLOAT_EQ(first[5].velocity, -0.25f);
    EXPECT_FLOAT_EQ(first[6].velocity, 1.0f / 24.0f);
    EXPECT_FLOAT_EQ(first[10].velocity, 1.0f / 48.0f);
    EXPECT_FLOAT_EQ(first[0].height, -(1.0f - 0.25f + 2.0f / 24.0f + 1.0f / 48.0f) / 16.0f);
    for (int i = 0; i < WaterGrid::kPasses; ++i) pass(expected, 0.5f);
    grid_.Relax();
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_NEAR(grid_.Cells()[i].height, expected[i].height, 1e-6f) << i;
        EXPECT_NEAR(grid_.Cells()[i].velocity, expected[i].velocity, 1e-6f) << i;
    }
}

TEST_F(WaterGridTest, RunawayWaterStartsFlat)
{
    grid_.Resize(6.0f, 6.0f, 1.0f, 0.0f);
    grid_.refractionK = 1.0f + 0.02f * 4e9f;
    grid_.damping = 0.999f;
    grid_.Drop();
    for (int step = 0; step < 50; ++step) {
        grid_.Relax();
        for (const auto& cell : grid_.Cells()) ASSERT_TRUE(std::isfinite(cell.height) && std::isfinite(cell.velocity));
    }
    grid_.Cells()[7].height = std::numeric_limits<float>::quiet_NaN();
    grid_.Relax();
    for (const auto& cell : grid_.Cells()) EXPECT_EQ(cell.height, 0.0f);
}

TEST_F(WaterGridTest, VerticesOfASmallFieldAgainstAReference)
{
    grid_.Resize(6.0f, 6.0f, 1.0f, 0.0f);  // 4 x 4 cells over 6 x 6 units
    grid_.depth = 0.2f;
    grid_.Cells()[5].height = 0.3f;  // cell (1, 1)
    std::vector<WaterVertex> vertices(16);
    const D3DXVECTOR3 eye(0.0f, 120.0f, 0.0f);
    grid_.WriteVertices(vertices.data(), eye);

    // Cell (2, 2): position (1, 0, 1); its upper-left neighbour is raised,
    // so the normal leans towards +x and +z: (0.3, 1, 0.3) normalised.
    const WaterVertex& v = vertices[2 * 4 + 2];
    EXPECT_FLOAT_EQ(v.x, 1.0f);
    EXPECT_FLOAT_EQ(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.z, 1.0f);
    const float length = std::sqrt(0.3f * 0.3f * 2.0f + 1.0f);
    EXPECT_NEAR(v.nx, 0.3f / length, 1e-6f);
    EXPECT_NEAR(v.ny, 1.0f / length, 1e-6f);
    EXPECT_NEAR(v.nz, 0.3f / length, 1e-6f);
    // Reference refraction, in doubles.
    const double n[3] = {0.3 / length, 1.0 / length, 0.3 / length};
    double e[3] = {-1.0, 120.0, -1.0};
    const double el = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
    for (double& x : e) x /= el;
    const int index = static_cast<int>(std::lround((n[0] * e[0] + n[1] * e[1] + n[2] * e[2]) * 255.0));
    const double cosI = index / 256.0;
    const double s = std::sin(std::acos(cosI));
    const double cosT = std::cos(std::asin(s / 1.333));
    const double a = 1.333 * cosT - cosI;
    const double b = -1.0 / 1.333;
    double r[3];
    for (int k = 0; k < 3; ++k) r[k] = (a * n[k] + e[k]) * b;
    const double p[3] = {1.0, -20.0, 1.0};
    const double bb = 2.0 * (r[0] * p[0] + r[1] * p[1] + r[2] * p[2]);
    const double cc = p[0] * p[0] + p[1] * p[1] + p[2] * p[2] - 1225.0;
    const double t = (std::sqrt(bb * bb - 4.0 * cc) - bb) * 0.5 * 0.2;
    EXPECT_NEAR(v.u, (1.0 + r[0] * t) / 6.0 * 0.99 + 0.5, 1e-4);
    EXPECT_NEAR(v.v, (1.0 + r[2] * t) / 6.0 * 0.99 + 0.5, 1e-4);
    EXPECT_EQ(v.color, WaterGrid::BuildRefractionTable()[index].color);

    // Flat water under an eye above its middle bends the view symmetrically.
    grid_.Cells()[5].height = 0.0f;
    grid_.WriteVertices(vertices.data(), eye);
    for (uint32_t r = 0; r < 4; ++r) {
        for (uint32_t c = 0; c < 4; ++c) {
            const WaterVertex& flat = vertices[r * 4 + c];
            EXPECT_FLOAT_EQ(flat.ny, 1.0f);
            EXPECT_NEAR(flat.u + vertices[r * 4 + 3 - c].u, 1.0f, 1e-5f);
            EXPECT_NEAR(flat.v + vertices[(3 - r) * 4 + c].v, 1.0f, 1e-5f);
        }
    }
}

TEST_F(WaterGridTest, WidePicturesGiveNoNaNVertices)
{
    // 21:9 and 100:1: corners outside the refraction sphere.
    for (float width : {70.0f, 3000.0f}) {
        grid_.Resize(width, 30.0f, 1.0f, 1.0f);
        for (int i = 0; i < 20; ++i) grid_.Drop();
        grid_.Relax();
        std::vector<WaterVertex> vertices(grid_.CellCount());
        grid_.WriteVertices(vertices.data(), D3DXVECTOR3(0.0f, 120.0f, 0.0f));
        for (const WaterVertex& v : vertices) {
            ASSERT_TRUE(std::isfinite(v.u) && std::isfinite(v.v) && std::isfinite(v.nx) && std::isfinite(v.y))
                << width;
        }
    }
}

TEST_F(WaterGridTest, IndexStripWindsRingsInwardsOverEveryCell)
{
    // The outer ring of a 4 x 4 grid, by hand: top row pairs, right column,
    // bottom row back, left column up.
    const std::vector<uint16_t> small = WaterGrid::BuildIndices(4, 4);
    const std::vector<uint16_t> firstRing = {0, 4, 1,  5,  2,  6,  3,  7,  7,  6, 11, 10,
                                             15, 14, 14, 10, 13, 9, 12, 8, 8, 9, 4,  5};
    ASSERT_EQ(small.size(), 32u);
    EXPECT_EQ(std::vector<uint16_t>(small.begin(), small.begin() + firstRing.size()), firstRing);
    const struct {
        uint32_t columns, rows;
    } sizes[] = {{4, 4}, {6, 4}, {4, 8}, {128, 96}, {170, 384}, {4, 16384}, {256, 256}};
    for (const auto& s : sizes) {
        const std::vector<uint16_t> indices = WaterGrid::BuildIndices(s.columns, s.rows);
        ASSERT_EQ(indices.size(), 2u * s.columns * s.rows);
        std::set<uint32_t> used;
        for (uint16_t index : indices) {
            ASSERT_LT(index, s.columns * s.rows);
            used.insert(index);
        }
        EXPECT_EQ(used.size(), static_cast<size_t>(s.columns) * s.rows) << s.columns << " x " << s.rows;
    }
}

}  // namespace
