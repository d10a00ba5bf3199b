// The falling-glyph light on a real device: where glyphs land, what is
// behind them in each background mode, the brightness taken from the
// picture, the glyph library picture, and hostile settings played for a
// few frames.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "effects/lights/MatrixCodeLight.h"
#include "engine/params/Random.h"
#include "unit/scene/Light2DTestFixture.h"

namespace {

const FileLinkValue kRedPicture{L"red.png", 1};
const FileLinkValue kHalfWhite{L"halfwhite.png", 2};
const FileLinkValue kGlyphStrip{L"glyphs.png", 3};  // 8 x 16: N = 4
const FileLinkValue kMissing{L"missing.png", 4};

constexpr uint32_t kGreenBGR = 0x00FF00;  // glyph colour, stored as 0x00BBGGRR
constexpr uint32_t kBlueBGR = 0xFF0000;   // bright colour

class MatrixCodeLightDraw : public Light2DFixture {
protected:
    // The fixture's back buffer.
    static constexpr int32_t kViewWidth = 600, kViewHeight = 400;

    void SetUp() override
    {
        Light2DFixture::SetUp();
        if (HasFatalFailure()) return;
        // Opaque white glyphs fill their whole quad in the glyph colour.
        AddPicture(kGlyphStrip, MakeTexture(8, 16, [](UINT, UINT) { return 0xFFFFFFFFu; }), 8, 16);
        AddPicture(kRedPicture, MakeTexture(300, 100, [](UINT, UINT) { return 0xFFFF0000u; }), 300, 100);
        AddPicture(kHalfWhite, MakeTexture(600, 400, [](UINT x, UINT) { return x < 300 ? 0xFF000000u : 0xFFFFFFFFu; }),
                   600, 400);
    }

    // A light over picture in position, set up as a slide does.
    DS_MatrixCodeLight& MakeLight(const FileLinkValue& picture, int32_t position,
                                  const std::function<void(DS_MatrixCodeLight&)>& configure)
    {
        auto light = std::make_unique<DS_MatrixCodeLight>();
        light->PictureLink().StoreValue(picture);
        light->glyphImage.StoreValue(kGlyphStrip);
        light->Camera().enabled = 0;
        light->cellSize.StoreValue(20);
        // No flicker cells: a reseed could make a placed glyph bright.
        light->highlightCount.StoreValue(1);
        light->glyphColor.StoreValue(kGreenBGR);
        light->brightColor.StoreValue(kBlueBGR);
        configure(*light);
        DS_MatrixCodeLight& made = *light;
        layer_ = std::move(light);
        made.RestoreDeviceObjects();
        made.Resize(kViewWidth, kViewHeight);
        made.ResetCamera();
        made.ResetDeviceState();
        made.SetPicturePosition(position);
        return made;
    }

    // Every column busy writing below the grid: no stream moves the cells
    // the test puts there.
    static void Freeze(MatrixCodeGrid& grid)
    {
        for (int32_t c = 0; c < grid.Columns(); ++c) grid.ColumnState(c) = {INT_MAX / 2, 0, grid.Rows()};
    }

    static void Put(MatrixCodeGrid& grid, int32_t column, int32_t row, int32_t countdown)
    {
        uint32_t cell = MatrixCodeGrid::WithCountdown(1, countdown);
        if (countdown != 0) cell |= MatrixCodeGrid::kChangedBit;
        grid.Cell(column, row) = cell;
    }

    void Frame(uint32_t clear = 0xFF808080u)
    {
        ASSERT_TRUE(SUCCEEDED(Device()->BeginScene()));
        Device()->Clear(0, nullptr, D3DCLEAR_TARGET, clear, 1.0f, 0);
        layer_->RenderBackground(true);
        Device()->EndScene();
    }

    void ExpectPixel(UINT x, UINT y, uint32_t rgb)
    {
        const uint32_t pixel = ReadPixel(x, y);
        EXPECT_TRUE(Near(pixel, rgb)) << "(" << x << ", " << y << "): " << std::hex << pixel << " expected " << rgb;
    }
};

// A 300 x 100 red picture in the 600 x 400 view, cell 20. Fit: scale 2,
// picture rows 100 to 300; Stretch: x scaled by 2, y by 4.
TEST_F(MatrixCodeLightDraw, GlyphLandsInItsCellOverThePicture)
{
    const struct {
        int32_t position;
        UINT x, y, halfWidth, halfHeight;
    } cases[] = {
        {RenderContext::kFit, (2 * 3 + 1) * 20, (2 * 1 + 1) * 20 + 100, 20, 20},
        {RenderContext::kStretch, (2 * 3 + 1) * 20, (2 * 1 + 1) * 40, 20, 40},
    };
    for (const auto& c : cases) {
        DS_MatrixCodeLight& light = MakeLight(kRedPicture, c.position, [](DS_MatrixCodeLight&) {});
        ASSERT_NE(light.Grid(), nullptr);
        EXPECT_EQ(light.Grid()->Columns(), 16);
        EXPECT_EQ(light.Grid()->Rows(), 6);
        Freeze(*light.Grid());
        Put(*light.Grid(), 3, 1, 0);
        Frame();
        SCOPED_TRACE(c.position);
        ExpectPixel(c.x, c.y, kGreen);
        ExpectPixel(c.x - c.halfWidth + 3, c.y - c.halfHeight + 3, kGreen);
        // The picture shows around the glyph, and no leftover quad shows.
        ExpectPixel(c.x + c.halfWidth + 5, c.y, kRed);
        ExpectPixel(c.x, c.y + c.halfHeight + 5, kRed);
        ExpectPixel(500, 250, kRed);
    }
}

TEST_F(MatrixCodeLightDraw, GlyphOpacityHoldsAfterTheFadeOverlay)
{
    // The fade overlay leaves stage 0's alpha on the texture alone; the
    // next frame's glyphs still take their vertex alpha (here 0).
    DS_MatrixCodeLight& light =
        MakeLight(kRedPicture, RenderContext::kFit, [](DS_MatrixCodeLight& l) { l.transparency.SetValue(100); });
    Freeze(*light.Grid());
    Put(*light.Grid(), 3, 1, 0);
    ScreenQuad corner;
    corner.corners[0] = {0, 10, 1, 0, 1};
    corner.corners[1] = {0, 0, 1, 0, 0};
    corner.corners[2] = {10, 10, 1, 1, 1};
    corner.corners[3] = {10, 0, 1, 1, 0};
    DS_SimpleMesh<TP> overlay;
    ASSERT_TRUE(SUCCEEDED(overlay.SetColor(Device(), corner, 0x00000000)));
    ASSERT_TRUE(SUCCEEDED(Device()->BeginScene()));
    EXPECT_TRUE(SUCCEEDED(light.DrawScreenVertices(&overlay)));
    Device()->EndScene();
    Frame();
    ExpectPixel(140, 160, kRed);
}

TEST_F(MatrixCodeLightDraw, BlackBackgroundBeforeAnyGlyph)
{
    MakeLight(kRedPicture, RenderContext::kFit, [](DS_MatrixCodeLight& light) { light.backgroundMode.StoreValue(1); });
    Frame();
    for (UINT y : {5u, 150u, 250u, 395u}) {
        for (UINT x : {5u, 300u, 595u}) ExpectPixel(x, y, kBlack);
    }
}

TEST_F(MatrixCodeLightDraw, OtherBackgroundModeKeepsTheTarget)
{
    DS_MatrixCodeLight& light =
        MakeLight(kRedPicture, RenderContext::kFit, [](DS_MatrixCodeLight& l) { l.backgroundMode.StoreValue(2); });
    Freeze(*light.Grid());
    Put(*light.Grid(), 3, 1, 0);
    Frame(0xFF0000FFu);
    ExpectPixel(140, 160, kGreen);
    ExpectPixel(300, 250, kBlue);
}

TEST_F(MatrixCodeLightDraw, BlackModeTakesBrightnessFromThePicture)
{
    // Left half black, right half white; cell 20 gives 31 x 21 cells.
    DS_MatrixCodeLight& light =
        MakeLight(kHalfWhite, RenderContext::kFit, [](DS_MatrixCodeLight& l) { l.backgroundMode.StoreValue(1); });
    ASSERT_EQ(light.LuminanceMap().size(), 256u * 256u);
    MatrixCodeGrid& grid = *light.Grid();
    Freeze(grid);
    Put(grid, 5, 5, 0);    // settled, on black: invisible
    Put(grid, 25, 5, 0);   // settled, on white: full glyph colour
    Put(grid, 6, 8, 100);  // bright, on black: full bright colour
    Frame();
    ExpectPixel(110, 110, kBlack);
    ExpectPixel(510, 110, kGreen);
    ExpectPixel(130, 170, kBlue);
    ExpectPixel(300, 300, kBlack);
}

TEST_F(MatrixCodeLightDraw, LibraryGlyphStripGivesEighteenGlyphs)
{
    DS_MatrixCodeLight& light = MakeLight(kRedPicture, RenderContext::kFit, [](DS_MatrixCodeLight& l) {
        l.glyphImage.StoreValue(FileLinkValue{L"common_res.dll", DS_MatrixCodeLight::kDefaultGlyphPicture});
    });
    EXPECT_TRUE(light.HasGlyphs());
    EXPECT_EQ(light.GlyphTexture().width, 64u);
    EXPECT_EQ(light.GlyphTexture().height, 1024u);
    EXPECT_EQ(light.Settings().glyphCount, 18);
    EXPECT_EQ(light.Grid()->GlyphCount(), 18);
}

TEST_F(MatrixCodeLightDraw, StoredSettingsAreClampedWhenUsed)
{
    const struct {
        unsigned cell, density;
        int32_t usedCell, usedDensity;
    } cases[] = {{0, 0, 1, 1}, {16, 150, 16, 100}, {20, 50, 20, 50}};
    for (const auto& c : cases) {
        DS_MatrixCodeLight& light = MakeLight(kRedPicture, RenderContext::kFit, [&](DS_MatrixCodeLight& l) {
            l.cellSize.StoreValue(c.cell);
            l.density.StoreValue(c.density);
        });
        EXPECT_EQ(light.Settings().cellSize, c.usedCell);
        EXPECT_EQ(light.Settings().density, c.usedDensity);
        EXPECT_EQ(light.cellSize.GetValue(), c.cell) << "the stored value is kept";
        EXPECT_EQ(light.Quads().QuadCount(), light.Grid()->Columns() * light.Grid()->Rows());
    }
}

TEST_F(MatrixCodeLightDraw, RestoreBuildsAGridAfterEachSetting)
{
    // Restoring refills the settings one member at a time from highlight
    // count 10, building a grid after each: 9, 9, then 2, 2, 2 flicker picks
    // of two draws each; the picture position builds one more grid.
    MakeLight(kRedPicture, RenderContext::kFit, [](DS_MatrixCodeLight& l) {
        l.highlightCount.StoreValue(3);
        DS_SRand(5);
    });
    const int next = DS_Rand();
    DS_SRand(5);
    for (int i = 0; i < 2 * (9 + 9 + 2 + 2 + 2 + 2); ++i) DS_Rand();
    EXPECT_EQ(next, DS_Rand());
}

// Settings and pictures a document may hold: each plays a few seconds of
// frames with bounded quads and no failure.
TEST_F(MatrixCodeLightDraw, HostileSettingsPlay)
{
    const FileLinkValue narrowStrip{L"narrow.png", 10};
    const FileLinkValue bigPicture{L"big.png", 11};
    AddPicture(narrowStrip, MakeTexture(4, 1024, [](UINT, UINT) { return 0xFFFFFFFFu; }), 4, 1024);
    AddPicture(bigPicture, MakeTexture(2048, 2048, [](UINT, UINT) { return 0xFF204060u; }), 2048, 2048);
    const struct {
        const char* name;
        FileLinkValue picture;
        std::function<void(DS_MatrixCodeLight&)> configure;
        bool glyphsDrawn;
    } cases[] = {
        {"no picture", kMissing, [](DS_MatrixCodeLight& l) { l.backgroundMode.StoreValue(1); }, false},
        {"no glyph picture", kRedPicture, [](DS_MatrixCodeLight& l) { l.glyphImage.StoreValue(kMissing); }, false},
        {"narrow strip", kRedPicture, [&](DS_MatrixCodeLight& l) { l.glyphImage.StoreValue(narrowStrip); }, true},
        {"cell 1 on 2048 x 2048", bigPicture,
         [](DS_MatrixCodeLight& l) {
             l.cellSize.StoreValue(1);
             l.density.StoreValue(100);
         },
         true},
        {"highlights 0", kRedPicture, [](DS_MatrixCodeLight& l) { l.highlightCount.StoreValue(0); }, true},
        {"highlights 4e9", kRedPicture, [](DS_MatrixCodeLight& l) { l.highlightCount.StoreValue(4000000000u); },
         true},
        {"transparency 1000, glitches, mode 9", kRedPicture,
         [](DS_MatrixCodeLight& l) {
             l.transparency.SetValue(1000);
             l.glitches.StoreValue(1);
             l.streamMode.StoreValue(9);
             l.backgroundMode.StoreValue(-4);
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DS_MatrixCodeLight& light = MakeLight(c.picture, RenderContext::kFill, c.configure);
        ASSERT_NE(light.Grid(), nullptr);
        EXPECT_LE(light.Quads().QuadCount(), MatrixCodeGrid::kMaxCells);
        EXPECT_GE(light.Settings().glyphCount, 1);
        EXPECT_LE(light.Settings().glyphCount, 255);
        for (int frame = 0; frame < 60; ++frame) {
            light.FrameMove(0.05f * static_cast<float>(frame));
            Frame();
        }
        EXPECT_EQ(light.HasGlyphs() && light.PictureWidth() > 0, c.glyphsDrawn);
    }
}

}  // namespace
