// The falling-glyph grid: its size, the start chances, the stream and
// flicker rules, and the exact random draws of each step from a seeded
// generator (the sequence from seed 1 is 41, 18467, 6334, 26500, 19169,
// 15724, 11478, 29358, 26962, 24464, 5705, 28145, 23281, 16827, 9961, 491,
// 2995, ...).
#include <gtest/gtest.h>

#include <climits>

#include "effects/lights/MatrixCodeGrid.h"
#include "engine/params/Random.h"

namespace {

using Grid = MatrixCodeGrid;

MatrixCodeSettings Settings(int32_t cell, uint32_t highlights = 1, int32_t glyphs = 18, int32_t mode = 0,
                            int32_t density = 20, int32_t glitches = 0)
{
    MatrixCodeSettings s;
    s.cellSize = cell;
    s.highlightCount = highlights;
    s.glyphCount = glyphs;
    s.mode = mode;
    s.density = density;
    s.glitches = glitches;
    return s;
}

uint32_t Make(uint32_t glyph, int32_t countdown, bool changed = false, bool flicker = false)
{
    uint32_t cell = Grid::WithCountdown(glyph, countdown);
    if (changed) cell |= Grid::kChangedBit;
    if (flicker) cell |= Grid::kFlickerBit;
    return cell;
}

// Every column busy writing off the grid: the steps then leave the cells
// alone and draw only the delay chances.
void Freeze(Grid& grid)
{
    for (int32_t c = 0; c < grid.Columns(); ++c) grid.ColumnState(c) = {INT_MAX / 2, 0, grid.Rows()};
}

TEST(MatrixCodeGrid, SizeFollowsPictureAndCell)
{
    const struct {
        int32_t cell, width, height;
        int32_t usedCell, columns, rows;
    } cases[] = {
        {16, 1024, 768, 16, 65, 49},
        {0, 10, 5, 1, 11, 6},          // cell 0 is used as 1
        {4, 1024, 768, 4, 257, 193},   // 49,601 cells: under the cap
        {1, 1024, 768, 4, 257, 193},   // raised until the grid holds at most 65,536 cells
        {1, 2048, 2048, 9, 228, 228},
        {16, 0, 0, 16, 1, 1},          // no picture
        {16, -5, 100, 16, 1, 7},
    };
    for (const auto& c : cases) {
        const auto grid = Grid::Create(Settings(c.cell), c.width, c.height);
        EXPECT_EQ(grid->CellSize(), c.usedCell) << c.cell << " " << c.width << "x" << c.height;
        EXPECT_EQ(grid->Columns(), c.columns) << c.cell << " " << c.width << "x" << c.height;
        EXPECT_EQ(grid->Rows(), c.rows) << c.cell << " " << c.width << "x" << c.height;
        EXPECT_LE(int64_t{grid->Columns()} * grid->Rows(), Grid::kMaxCells);
    }
}

TEST(MatrixCodeGrid, StartChanceBoundaries)
{
    const int32_t cases[][2] = {{0, 85},  {9, 85},  {10, 60}, {14, 60}, {15, 45}, {19, 45}, {20, 25},
                                {24, 25}, {25, 20}, {29, 20}, {30, 15}, {34, 15}, {35, 10}, {44, 10},
                                {45, 8},  {49, 8},  {50, 7},  {54, 7},  {55, 5},  {64, 5},  {65, 3},
                                {79, 3},  {80, 2},  {89, 2},  {90, 1},  {100, 1}};
    for (const auto& c : cases) EXPECT_EQ(Grid::StartChance(c[0]), c[1]) << "density " << c[0];
}

TEST(MatrixCodeGrid, ModeFlagsAndClamps)
{
    const struct {
        int32_t mode;
        bool randomHead, topHalf;
    } modes[] = {{0, true, false}, {1, false, true}, {2, true, true}, {7, true, true}};
    for (const auto& m : modes) {
        const auto grid = Grid::Create(Settings(16, 1, 18, m.mode), 64, 64);
        EXPECT_EQ(grid->RandomHead(), m.randomHead) << m.mode;
        EXPECT_EQ(grid->TopHalf(), m.topHalf) << m.mode;
    }
    const int32_t glyphs[][2] = {{0, 1}, {18, 18}, {255, 255}, {258, 255}};
    for (const auto& g : glyphs) EXPECT_EQ(Grid::Create(Settings(16, 1, g[0]), 64, 64)->GlyphCount(), g[1]);
    const int32_t densities[][2] = {{0, 1}, {50, 50}, {150, 100}};
    for (const auto& d : densities) {
        EXPECT_EQ(Grid::Create(Settings(16, 1, 18, 0, d[0]), 64, 64)->Density(), d[1]);
    }
}

int FlickerCells(const Grid& grid)
{
    int n = 0;
    for (int32_t r = 0; r < grid.Rows(); ++r)
        for (int32_t c = 0; c < grid.Columns(); ++c)
            if (grid.Cell(c, r) & Grid::kFlickerBit) ++n;
    return n;
}

TEST(MatrixCodeGrid, SeedHighlightsDrawsColumnThenRow)
{
    DS_SRand(1);
    const auto grid = Grid::Create(Settings(16, 3), 1024, 768);  // 65 x 49
    // (41 % 65, 18467 % 49) and (6334 % 65, 26500 % 49).
    EXPECT_TRUE(grid->Cell(41, 43) & Grid::kFlickerBit);
    EXPECT_TRUE(grid->Cell(29, 40) & Grid::kFlickerBit);
    EXPECT_EQ(FlickerCells(*grid), 2);
    EXPECT_EQ(DS_Rand(), 19169);
}

TEST(MatrixCodeGrid, HighlightCountsWithoutPicksOrBeyondTheCells)
{
    const struct {
        uint32_t count;
        int draws;  // random numbers one seeding takes on a 3 x 2 grid
    } cases[] = {{0, 0}, {1, 0}, {2, 2}, {4000000000u, 12}};
    for (const auto& c : cases) {
        DS_SRand(1);
        const auto grid = Grid::Create(Settings(10, c.count), 20, 10);
        DS_SRand(7);
        grid->SeedHighlights();
        const int next = DS_Rand();
        DS_SRand(7);
        for (int i = 0; i < c.draws; ++i) DS_Rand();
        EXPECT_EQ(next, DS_Rand()) << c.count;
    }
}

TEST(MatrixCodeGrid, PutGlyphFromAboveShiftsAndErasesOneWalkLater)
{
    const auto grid = Grid::Create(Settings(10), 0, 30);  // 1 column, 4 rows
    ASSERT_EQ(grid->Rows(), 4);
    grid->Cell(0, 0) = Make(5, 0);
    grid->Cell(0, 1) = Make(6, 0);
    const auto glyphs = [&] {
        std::vector<uint32_t> g;
        for (int32_t r = 0; r < 4; ++r) g.push_back(Grid::Glyph(grid->Cell(0, r)));
        return g;
    };
    DS_SRand(1);
    grid->PutGlyph(-1, 7, 0);
    EXPECT_EQ(glyphs(), (std::vector<uint32_t>{7, 5, 6, 0}));
    EXPECT_EQ(Grid::Countdown(grid->Cell(0, 0)), 0);
    grid->PutGlyph(-1, 0, 0);
    EXPECT_EQ(glyphs(), (std::vector<uint32_t>{0, 7, 5, 6}));
    grid->PutGlyph(-1, 0, 0);
    // Row 1's upper neighbour was empty: it keeps its glyph, marked to go.
    EXPECT_EQ(glyphs(), (std::vector<uint32_t>{0, 7, 7, 5}));
    EXPECT_EQ(Grid::Countdown(grid->Cell(0, 1)), -1);
    for (int32_t r = 0; r < 4; ++r) EXPECT_TRUE(grid->Cell(0, r) & Grid::kChangedBit) << r;
    EXPECT_EQ(DS_Rand(), 41) << "writes from above draw nothing";

    MatrixCodeCursor cursor;
    MatrixCodeSprite sprite;
    std::vector<int32_t> states;
    while (cursor.NextSprite(*grid, {}, sprite)) states.push_back(sprite.state);
    EXPECT_EQ(states, (std::vector<int32_t>{MatrixCodeSprite::kFading, 1, 1}));
    EXPECT_EQ(glyphs(), (std::vector<uint32_t>{0, 0, 7, 5}));

    // A head row writes in place with countdown DS_Rand() % 2 + 1; rows
    // past the grid take nothing.
    DS_SRand(1);
    grid->PutGlyph(2, 9, 0);
    EXPECT_EQ(Grid::Glyph(grid->Cell(0, 2)), 9u);
    EXPECT_EQ(Grid::Countdown(grid->Cell(0, 2)), 41 % 2 + 1);
    grid->PutGlyph(4, 3, 0);
    EXPECT_EQ(glyphs(), (std::vector<uint32_t>{0, 0, 9, 5}));
    EXPECT_EQ(DS_Rand(), 18467);
}

TEST(MatrixCodeGrid, AdvanceStreamsDraws)
{
    const auto grid = Grid::Create(Settings(10, 1, 18), 20, 30);  // 3 x 4
    grid->ColumnState(0) = {2, 0, 1};
    grid->ColumnState(1) = {0, 2, -1};
    grid->ColumnState(2) = {0, 0, -1};
    grid->Cell(2, 0) = Make(4, 0);
    DS_SRand(1);
    grid->AdvanceStreams(false);
    // Column 0 writes 41 % 18 + 1 at its head with countdown 18467 % 2 + 1;
    // 6334 % 10 keeps its delay.
    EXPECT_EQ(grid->Cell(0, 1), Make(6, 2, true));
    EXPECT_EQ(grid->ColumnState(0).length, 1);
    EXPECT_EQ(grid->ColumnState(0).head, 2);
    EXPECT_EQ(grid->ColumnState(0).delay, 0);
    // Column 1 waits; 26500 % 10 == 0 gives delay 19169 % 5 + 15724 % 5.
    EXPECT_EQ(grid->ColumnState(1).delay, 8);
    // Column 2 is spent: it erases from above, shifting its glyph down.
    EXPECT_EQ(Grid::Glyph(grid->Cell(2, 0)), 0u);
    EXPECT_EQ(Grid::Glyph(grid->Cell(2, 1)), 4u);
    EXPECT_EQ(grid->ColumnState(2).head, -1);
    EXPECT_EQ(DS_Rand(), 29358) << "11478 % 10 was the last draw";

    // Writing empty: the glyph draw is left out.
    grid->ColumnState(0) = {2, 0, 0};
    grid->ColumnState(1) = {0, 5, -1};
    grid->ColumnState(2) = {0, 5, -1};
    DS_SRand(1);
    grid->AdvanceStreams(true);
    EXPECT_EQ(Grid::Glyph(grid->Cell(0, 0)), 0u);
    EXPECT_EQ(grid->ColumnState(0).length, 1);
    // 41 % 10, 18467 % 10, 6334 % 10 for the three delay chances.
    EXPECT_EQ(DS_Rand(), 26500);
}

TEST(MatrixCodeGrid, TickDraws)
{
    const auto grid = Grid::Create(Settings(10, 1, 18, 2, 100, 1), 100, 30);  // 11 x 4
    ASSERT_EQ(grid->Columns(), 11);
    Freeze(*grid);
    grid->ColumnState(0) = {0, 0, -1};
    grid->Cell(1, 1) = Make(3, 0);
    DS_SRand(1);
    grid->Tick();
    // Glitches: (41 % 50) / 10 - 1 = 3 picks, (9, 2), (1, 1), (5, 2); the
    // settled glyph at (1, 1) takes countdown 15724 % 20 before the third pick.
    EXPECT_EQ(grid->Cell(1, 1), Make(3, 4, true));
    EXPECT_EQ(grid->Cell(9, 2), 0u);
    // Column 0 starts (density 100 still draws 26962 % 1): length 24464 % 4 +
    // 3, delay 5705 % 5 + 28145 % 5, 23281 % 4 != 0 makes it erase, 16827 % 2
    // chooses a head row, 9961 % 2 is the row.
    EXPECT_EQ(grid->ColumnState(0).length, 0);
    EXPECT_EQ(grid->ColumnState(0).delay, 0);
    EXPECT_EQ(grid->ColumnState(0).head, 1);
    EXPECT_EQ(DS_Rand(), 2995) << "491 % 500 was the last draw";
}

TEST(MatrixCodeGrid, NarrowAndFlatGridsStepSafely)
{
    // One column: no glitch draw; one row: streams come from above.
    const auto grid = Grid::Create(Settings(10, 5, 18, 1, 100, 1), 5, 5);
    ASSERT_EQ(grid->Columns(), 1);
    ASSERT_EQ(grid->Rows(), 1);
    DS_SRand(1);
    for (int step = 0; step < 200; ++step) {
        grid->AdvanceStreams(false);
        grid->Tick();
        EXPECT_LE(grid->ColumnState(0).head, 0);
    }
}

TEST(MatrixCodeGrid, NextSpriteCentresStatesAndBands)
{
    const auto grid = Grid::Create(Settings(10, 1, 4), 20, 10);  // 3 x 2, N = 4
    grid->Cell(1, 0) = Make(2, 0);
    grid->Cell(2, 0) = Make(3, 1, true);
    grid->Cell(0, 1) = Make(4, -1, true);
    grid->Cell(2, 1) = Make(1, 0, true, true);
    const MatrixCodePlacement placement{5.0f, 6.0f, 100.0f, 50.0f};
    const struct {
        float x, y, vLow, vHigh;
        int32_t state, column, row;
    } expected[] = {
        {115, 56, 0.25f, 0.5f, MatrixCodeSprite::kSettled, 1, 0},
        {125, 56, 0.5f, 0.75f, MatrixCodeSprite::kBright, 2, 0},
        {105, 68, 0.75f, 1.0f, MatrixCodeSprite::kFading, 0, 1},
        {125, 68, 0.0f, 0.25f, MatrixCodeSprite::kBright, 2, 1},
    };
    MatrixCodeCursor cursor;
    MatrixCodeSprite sprite;
    DS_SRand(1);
    for (const auto& e : expected) {
        ASSERT_TRUE(cursor.NextSprite(*grid, placement, sprite));
        EXPECT_FLOAT_EQ(sprite.x, e.x);
        EXPECT_FLOAT_EQ(sprite.y, e.y);
        EXPECT_FLOAT_EQ(sprite.vLow, e.vLow);
        EXPECT_FLOAT_EQ(sprite.vHigh, e.vHigh);
        EXPECT_EQ(sprite.state, e.state);
        EXPECT_EQ(sprite.column, e.column);
        EXPECT_EQ(sprite.row, e.row);
        EXPECT_EQ(sprite.color, 0xFFFFFFFFu);
    }
    EXPECT_FALSE(cursor.NextSprite(*grid, placement, sprite));
    EXPECT_EQ(sprite.color >> 24, 0u);
    EXPECT_EQ(sprite.column, 0);
    EXPECT_EQ(sprite.row, 0);
    EXPECT_EQ(cursor.Count(), 4);
    // Timers: the bright glyph counted down, the fading one is gone, the
    // flicker cell took 41 % 4 and stays changed.
    EXPECT_EQ(grid->Cell(2, 0), Make(3, 0, true));
    EXPECT_EQ(grid->Cell(0, 1), Make(0, 0, true));
    EXPECT_EQ(grid->Cell(2, 1), Make(1, 0, true, true));
    EXPECT_EQ(grid->Cell(1, 0), Make(2, 0));

    cursor.Reset();
    EXPECT_EQ(cursor.PreviousCount(), 4);
    EXPECT_EQ(cursor.Count(), 0);
    while (cursor.NextSprite(*grid, placement, sprite)) {
    }
    EXPECT_EQ(grid->Cell(2, 0), Make(3, 0));
    EXPECT_EQ(grid->Cell(0, 1), Make(0, 0));
    EXPECT_EQ(grid->Cell(2, 1), Make(18467 % 4, 0, true, true));
}

TEST(MatrixCodeGrid, FlickerCellDrawingZeroEmptiesAndStops)
{
    const auto grid = Grid::Create(Settings(10, 1, 1), 0, 0);  // 1 x 1, N = 1
    grid->Cell(0, 0) = Make(1, 0, true, true);
    MatrixCodeCursor cursor;
    MatrixCodeSprite sprite;
    DS_SRand(1);
    EXPECT_TRUE(cursor.NextSprite(*grid, {}, sprite));
    EXPECT_EQ(Grid::Glyph(grid->Cell(0, 0)), 0u);
    cursor.Reset();
    EXPECT_FALSE(cursor.NextSprite(*grid, {}, sprite));
    EXPECT_EQ(grid->Cell(0, 0), Make(0, 0, false, true));
    EXPECT_EQ(DS_Rand(), 18467) << "one flicker draw in all";
}

TEST(MatrixCodeGrid, FrozenColumnsKeepTheirCells)
{
    const auto grid = Grid::Create(Settings(16, 1), 64, 64);
    Freeze(*grid);
    grid->Cell(2, 3) = Make(5, 0);
    DS_SRand(1);
    for (int step = 0; step < 50; ++step) {
        grid->AdvanceStreams(false);
        grid->Tick();
    }
    EXPECT_EQ(grid->Cell(2, 3), Make(5, 0));
}

}  // namespace
