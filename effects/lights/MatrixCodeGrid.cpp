#include "effects/lights/MatrixCodeGrid.h"

#include <algorithm>

#include "engine/params/Random.h"

namespace {

constexpr int32_t kMaxDensity = 100;
constexpr int32_t kGlitchScale = 10;
constexpr int32_t kGlitchCountdowns = 20;
constexpr int32_t kReseedChance = 500;
constexpr int32_t kDelayChance = 10;
constexpr int32_t kDelaySpread = 5;
constexpr int32_t kMinStreamLength = 3;
constexpr int32_t kWritingStreams = 4;  // one start in four writes, the rest erase

int64_t CellsFor(int32_t cell, int32_t width, int32_t height)
{
    return (static_cast<int64_t>(width / cell) + 1) * (static_cast<int64_t>(height / cell) + 1);
}

}  // namespace

int32_t MatrixCodeGrid::FittingCellSize(int32_t cell, int32_t width, int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    cell = std::max(cell, 1);
    // Ends at the latest when the cell is larger than the picture (1 x 1).
    while (CellsFor(cell, width, height) > kMaxCells) ++cell;
    return cell;
}

std::unique_ptr<MatrixCodeGrid> MatrixCodeGrid::Create(const MatrixCodeSettings& settings, int32_t width,
                                                       int32_t height)
{
    std::unique_ptr<MatrixCodeGrid> grid(new MatrixCodeGrid());
    grid->width_ = std::max(width, 0);
    grid->height_ = std::max(height, 0);
    grid->cellSize_ = FittingCellSize(settings.cellSize, grid->width_, grid->height_);
    grid->columns_ = grid->width_ / grid->cellSize_ + 1;
    grid->rows_ = grid->height_ / grid->cellSize_ + 1;
    grid->cells_.assign(static_cast<size_t>(grid->columns_) * static_cast<size_t>(grid->rows_), 0u);
    grid->columnStates_.assign(static_cast<size_t>(grid->columns_), Column{});
    grid->density_ = std::clamp(settings.density, 1, kMaxDensity);
    grid->highlightCount_ = settings.highlightCount;
    grid->glitches_ = settings.glitches != 0;
    grid->glyphCount_ = std::clamp(settings.glyphCount, 1, kMaxGlyphs);
    // Mode 0 enters from above, mode 1 starts in the top half, 2 and above
    // choose at random; the random-head flag alone decides nothing.
    grid->randomHead_ = settings.mode != 1;
    grid->topHalf_ = settings.mode != 0;
    grid->SeedHighlights();
    return grid;
}

void MatrixCodeGrid::SeedHighlights()
{
    for (uint32_t& cell : cells_) cell &= ~kFlickerBit;
    if (highlightCount_ <= 1) return;
    // A count of 0 would wrap to four billion picks; more picks than cells
    // only repeat cells.
    const uint64_t picks = std::min<uint64_t>(highlightCount_ - 1u, cells_.size());
    for (uint64_t i = 0; i < picks; ++i) {
        // Column first, then row: the order of the draws is fixed.
        const int32_t column = DS_Rand() % columns_;
        const int32_t row = DS_Rand() % rows_;
        Cell(column, row) |= kFlickerBit;
    }
}

void MatrixCodeGrid::PutGlyph(int32_t row, uint32_t glyph, int32_t column)
{
    if (row >= rows_ || column < 0 || column >= columns_) return;
    const bool fromAbove = row < 0;
    if (fromAbove) {
        constexpr uint32_t kContent = kGlyphMask | kCountdownMask;
        for (int32_t r = rows_ - 1; r >= 1; --r) {
            uint32_t& lower = Cell(column, r);
            const uint32_t upper = Cell(column, r - 1);
            if (Glyph(lower) != 0 && Glyph(upper) == 0) {
                // The tail of a stream: erased on the next walk, not now.
                lower = WithCountdown(lower, -1);
            } else {
                lower = (lower & ~kContent) | (upper & kContent);
            }
            lower |= kChangedBit;
        }
        row = 0;
    }
    uint32_t& target = Cell(column, row);
    target = (target & ~kGlyphMask) | (glyph & kGlyphMask) | kChangedBit;
    if (glyph != 0) target = WithCountdown(target, fromAbove ? 0 : DS_Rand() % 2 + 1);
}

void MatrixCodeGrid::AdvanceStreams(bool writeEmpty)
{
    for (int32_t c = 0; c < columns_; ++c) {
        Column& state = columnStates_[static_cast<size_t>(c)];
        if (state.delay > 0) {
            --state.delay;
        } else {
            if (state.length > 0) {
                // The glyph is drawn before the write, which may draw again.
                const uint32_t glyph = writeEmpty ? 0u : static_cast<uint32_t>(DS_Rand() % glyphCount_ + 1);
                PutGlyph(state.head, glyph, c);
                --state.length;
            } else {
                PutGlyph(state.head, 0, c);
            }
            // A head that left the grid stays there: its writes do nothing.
            if (state.head >= 0 && state.head < rows_) ++state.head;
        }
        if (DS_Rand() % kDelayChance == 0) {
            const int32_t first = DS_Rand() % kDelaySpread;
            state.delay = first + DS_Rand() % kDelaySpread;
        }
    }
}

int32_t MatrixCodeGrid::StartChance(int32_t density)
{
    static const struct {
        int32_t below;
        int32_t divisor;
    } kChances[] = {{10, 85}, {15, 60}, {20, 45}, {25, 25}, {30, 20}, {35, 15},
                    {45, 10}, {50, 8},  {55, 7},  {65, 5},  {80, 3},  {90, 2}};
    for (const auto& chance : kChances) {
        if (density < chance.below) return chance.divisor;
    }
    return 1;
}

void MatrixCodeGrid::Tick()
{
    // The draws, in this fixed order: the glitch count, then per glitch the
    // column, the row and (for a settled glyph) its countdown; per idle
    // column the start chance and, for a start, length, two delay draws,
    // the writing draw, the head choice (mode 2 and above) and the head
    // row; last the reseeding chance.
    const int32_t glitchSpan = (columns_ / 2) * kGlitchScale;
    // One column gives no span to draw from: such a grid has no glitches.
    if (glitches_ && glitchSpan > 0) {
        const int32_t n = (DS_Rand() % glitchSpan) / kGlitchScale - 1;
        for (int32_t i = 0; i < n; ++i) {
            const int32_t column = DS_Rand() % columns_;
            const int32_t row = DS_Rand() % rows_;
            uint32_t& cell = Cell(column, row);
            if (Glyph(cell) != 0 && Countdown(cell) == 0) {
                cell = WithCountdown(cell, DS_Rand() % kGlitchCountdowns) | kChangedBit;
            }
        }
    }
    const int32_t divisor = StartChance(density_);
    for (Column& state : columnStates_) {
        if (state.length > 0) continue;
        if (DS_Rand() % divisor != 0) continue;
        state.length = DS_Rand() % rows_ + kMinStreamLength;
        const int32_t first = DS_Rand() % kDelaySpread;
        state.delay = first + DS_Rand() % kDelaySpread;
        if (DS_Rand() % kWritingStreams != 0) state.length = 0;
        bool withHead = topHalf_;
        if (randomHead_ && topHalf_) withHead = DS_Rand() % 2 != 0;
        // One row has no top half to start in: the stream comes from above.
        const int32_t half = rows_ / 2;
        state.head = withHead && half > 0 ? DS_Rand() % half : -1;
    }
    if (DS_Rand() % kReseedChance == 0) SeedHighlights();
}

void MatrixCodeCursor::Reset()
{
    column_ = 0;
    row_ = 0;
    previousCount_ = count_;
    count_ = 0;
}

bool MatrixCodeCursor::NextSprite(MatrixCodeGrid& grid, const MatrixCodePlacement& placement,
                                  MatrixCodeSprite& sprite)
{
    sprite.column = 0;
    sprite.row = 0;
    const int32_t columns = grid.Columns();
    const int32_t rows = grid.Rows();
    const float n = static_cast<float>(grid.GlyphCount());
    while (row_ < rows) {
        const int32_t c = column_;
        const int32_t r = row_;
        if (++column_ >= columns) {
            column_ = 0;
            ++row_;
        }
        uint32_t& cell = grid.Cell(c, r);
        const uint32_t glyph = MatrixCodeGrid::Glyph(cell);
        const bool filled = glyph != 0;
        if (filled) {
            ++count_;
            const int32_t countdown = MatrixCodeGrid::Countdown(cell);
            sprite.x = static_cast<float>(2 * c + 1) * placement.a + placement.left;
            sprite.y = static_cast<float>(2 * r + 1) * placement.b + placement.top;
            sprite.z = 0.0f;
            if (countdown > 0 || (cell & MatrixCodeGrid::kFlickerBit) != 0) {
                sprite.state = MatrixCodeSprite::kBright;
            } else {
                sprite.state = countdown == 0 ? MatrixCodeSprite::kSettled : MatrixCodeSprite::kFading;
            }
            sprite.uLow = 0.0f;
            sprite.uHigh = 1.0f;
            sprite.vLow = static_cast<float>(glyph - 1) / n;
            sprite.vHigh = static_cast<float>(glyph) / n;
            sprite.color = 0xFFFFFFFFu;
            sprite.column = c;
            sprite.row = r;
        }
        if ((cell & MatrixCodeGrid::kChangedBit) != 0) {
            cell &= ~MatrixCodeGrid::kChangedBit;
            const int32_t countdown = MatrixCodeGrid::Countdown(cell);
            if (countdown > 0) {
                cell = MatrixCodeGrid::WithCountdown(cell, countdown - 1) | MatrixCodeGrid::kChangedBit;
            } else if (countdown < 0) {
                cell = MatrixCodeGrid::WithCountdown(cell, countdown + 1) | MatrixCodeGrid::kChangedBit;
                if (countdown + 1 == 0) cell &= ~MatrixCodeGrid::kGlyphMask;
            }
            if ((cell & MatrixCodeGrid::kFlickerBit) != 0 && MatrixCodeGrid::Glyph(cell) != 0) {
                const uint32_t flicker = static_cast<uint32_t>(DS_Rand() % grid.GlyphCount());
                cell = (cell & ~MatrixCodeGrid::kGlyphMask) | flicker | MatrixCodeGrid::kChangedBit;
            }
        }
        if (filled) return true;
    }
    sprite.color &= 0x00FFFFFFu;
    return false;
}
