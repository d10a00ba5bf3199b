// The cell model behind the falling-glyph light: a grid of character cells
// over the picture, columns of glyphs that are written, shifted down,
// erased and faded step by step, a few cells that keep changing their glyph
// (flicker) and random glitches. It knows nothing of drawing: once per frame
// the light steps it (AdvanceStreams, Tick) and then walks it cell by cell
// (NextSprite) for one sprite per visible glyph.
//
// Every random number comes from DS_Rand, and the number and order of the
// draws of each operation are fixed (they decide what every later user of
// the one sequence sees); each operation states its order.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// What the light fills in before each grid is built.
struct MatrixCodeSettings {
    int32_t cellSize = 16;       // cell side in picture pixels
    int32_t density = 20;        // 1..100, picks the start chance of streams
    uint32_t highlightCount = 10;  // flickering cells plus one
    int32_t glitches = 0;        // non-zero: random glitches each step
    int32_t mode = 0;            // 0 from above, 1 top half, 2+ either
    int32_t glyphCount = 1;      // N: glyph values run from 1 to N
};

// One visible glyph as NextSprite hands it out.
struct MatrixCodeSprite {
    enum State : int32_t { kFading = 0, kSettled = 1, kBright = 2 };

    float x = 0.0f, y = 0.0f, z = 0.0f;  // centre in back-buffer pixels
    float uLow = 0.0f, uHigh = 1.0f;     // texture band of the glyph
    float vLow = 0.0f, vHigh = 1.0f;
    uint32_t color = 0xFFFFFFFFu;  // alpha 0 once the grid is exhausted
    int32_t state = kSettled;
    int32_t column = 0;
    int32_t row = 0;
};

// Where glyphs land: the half width a and half height b of a glyph and the
// fitted picture's top-left corner, all in back-buffer pixels.
struct MatrixCodePlacement {
    float a = 0.0f, b = 0.0f;
    float left = 0.0f, top = 0.0f;
};

class MatrixCodeGrid {
public:
    // Cell bits: glyph (0 empty, 1..N), countdown (a signed byte: positive =
    // steps to stay bright, negative = steps until erased), changed (the
    // timers run on the next walk), flicker.
    static constexpr uint32_t kGlyphMask = 0xFFu;
    static constexpr uint32_t kCountdownShift = 8;
    static constexpr uint32_t kCountdownMask = 0xFF00u;
    static constexpr uint32_t kChangedBit = 1u << 16;
    static constexpr uint32_t kFlickerBit = 1u << 17;
    // The glyph byte holds at most this many glyph images.
    static constexpr int32_t kMaxGlyphs = 255;
    // Cells (and so quads) a grid holds at most: a smaller cell is raised
    // until the grid fits, so a cell size of 1 on a large picture cannot ask
    // for millions of quads.
    static constexpr int64_t kMaxCells = 65536;

    struct Column {
        int32_t length = 0;  // glyphs still to write
        int32_t delay = 0;   // steps to wait
        int32_t head = -1;   // row written next; -1 enters from above
    };

    // A grid over a picture of width x height pixels (negative counts as
    // 0): columns = width / cell + 1, rows = height / cell + 1, with the
    // cell raised from max(1, settings' cell) until columns x rows <=
    // kMaxCells; the glyph count clamped to 1..255 and the density to
    // 1..100. Then SeedHighlights.
    static std::unique_ptr<MatrixCodeGrid> Create(const MatrixCodeSettings& settings, int32_t width, int32_t height);

    // The smallest cell from max(1, cell) up whose grid over width x height
    // holds at most kMaxCells cells.
    static int32_t FittingCellSize(int32_t cell, int32_t width, int32_t height);

    // Clears every flicker bit, then sets it on (highlight count - 1) cells,
    // each picked as (DS_Rand() % columns, DS_Rand() % rows), column drawn
    // first, repeats allowed. Counts 0 and 1 pick none; the picks are
    // capped at the number of cells.
    void SeedHighlights();

    // Writes glyph g into column c. row >= rows: nothing. row < 0 (a stream
    // from above): the column shifts down one row first (a cell whose upper
    // neighbour is empty is marked to be erased on the next walk instead)
    // and row 0 is written. The target takes g with the changed bit; a
    // non-zero g gets countdown 0 from above, else DS_Rand() % 2 + 1.
    void PutGlyph(int32_t row, uint32_t glyph, int32_t column);

    // One step of every column stream, columns left to right. Per column:
    // a waiting column counts its delay down; otherwise it writes at its
    // head (glyph DS_Rand() % N + 1 drawn before the write, or 0 when
    // writeEmpty or the stream is spent) and a head row moves down. Then,
    // in every case, DS_Rand() % 10 == 0 sets delay = DS_Rand() % 5 +
    // DS_Rand() % 5.
    void AdvanceStreams(bool writeEmpty);

    // The divisor of the start chance of new streams for a density.
    static int32_t StartChance(int32_t density);

    // Glitches (when set), new streams in idle columns, and 1 in 500 a new
    // set of flicker cells; the draws in that order (see the definition).
    void Tick();

    int32_t Columns() const { return columns_; }
    int32_t Rows() const { return rows_; }
    int32_t CellSize() const { return cellSize_; }
    int32_t GlyphCount() const { return glyphCount_; }
    int32_t Density() const { return density_; }
    bool RandomHead() const { return randomHead_; }
    bool TopHalf() const { return topHalf_; }
    uint32_t& Cell(int32_t column, int32_t row) { return cells_[static_cast<size_t>(column + row * columns_)]; }
    uint32_t Cell(int32_t column, int32_t row) const { return cells_[static_cast<size_t>(column + row * columns_)]; }
    Column& ColumnState(int32_t column) { return columnStates_[static_cast<size_t>(column)]; }
    const Column& ColumnState(int32_t column) const { return columnStates_[static_cast<size_t>(column)]; }

    static uint32_t Glyph(uint32_t cell) { return cell & kGlyphMask; }
    static int32_t Countdown(uint32_t cell) { return static_cast<int8_t>((cell & kCountdownMask) >> kCountdownShift); }
    static uint32_t WithCountdown(uint32_t cell, int32_t countdown)
    {
        return (cell & ~kCountdownMask) | ((static_cast<uint32_t>(countdown) & 0xFFu) << kCountdownShift);
    }

private:
    MatrixCodeGrid() = default;

    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t cellSize_ = 1;
    int32_t columns_ = 1;
    int32_t rows_ = 1;
    int32_t density_ = 1;
    uint32_t highlightCount_ = 0;
    bool glitches_ = false;
    int32_t glyphCount_ = 1;
    bool randomHead_ = true;
    bool topHalf_ = false;
    std::vector<uint32_t> cells_;
    std::vector<Column> columnStates_;
};

// A walk over the grid, one visible glyph per NextSprite call.
class MatrixCodeCursor {
public:
    // Starts a new walk: column and row 0, the previous count = this
    // walk's count, this count 0.
    void Reset();

    // Visits cells row by row from the cursor. A cell with a glyph fills
    // the sprite (centre ((2 column + 1) a + left, (2 row + 1) b + top),
    // state, band, colour 0xFFFFFFFF) and counts it. Every visited cell
    // with the changed bit runs its timers; a flicker cell that still has
    // a glyph then takes glyph DS_Rand() % N (0 empties it). True after a
    // filled sprite; when the grid is passed the sprite's alpha byte
    // becomes 0 and the result is false.
    bool NextSprite(MatrixCodeGrid& grid, const MatrixCodePlacement& placement, MatrixCodeSprite& sprite);

    int32_t PreviousCount() const { return previousCount_; }
    int32_t Count() const { return count_; }
    int32_t ColumnAt() const { return column_; }
    int32_t RowAt() const { return row_; }

private:
    int32_t column_ = 0;
    int32_t row_ = 0;
    int32_t previousCount_ = 0;
    int32_t count_ = 0;
};
