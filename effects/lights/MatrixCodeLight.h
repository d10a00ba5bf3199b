// The falling-glyph light: a picture layer that rains columns of glyphs
// over the slide picture (background mode 0), over black with each glyph's
// brightness taken from the picture (mode 1), or over whatever the target
// held (other modes). The glyphs come from a MatrixCodeGrid; every grid
// cell has one quad of a SegmentedQuadArray textured from a vertical strip
// of glyph images. Fixed-function only.
#pragma once

#include <memory>
#include <vector>

#include "effects/lights/MatrixCodeGrid.h"
#include "engine/params/MediaColor.h"
#include "engine/render/SegmentedQuadArray.h"
#include "engine/render/TextureEntry.h"
#include "engine/scene/Light2D.h"

class DS_MatrixCodeLight : public DS_2D_Light {
public:
    static constexpr const wchar_t* kClassName = L"DS_MatrixCodeLight";
    static constexpr int32_t kVersion = 2;
    static constexpr int32_t kFirstVersionWithGlyphLink = 2;
    static constexpr int32_t kDefaultGlyphPicture = 40;
    // The luminance map's side: the picture is copied into a square of
    // this many texels.
    static constexpr int32_t kLuminanceSide = 256;

    enum Background : int32_t { kPicture = 0, kBlack = 1 };

    DS_MatrixCodeLight();
    ~DS_MatrixCodeLight() override;

    // Header, the nine fields, the glyph link, then the "DS_2D_Light" record.
    void Write(DS_IOF_Archive* ar) override;
    // The record after its class name and version: versions below 2 have no
    // glyph link, later ones read as 2. False (nothing assigned) when the
    // data run out.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);
    void WriteBody(DS_IOF_Archive* ar);

    void PushRenderTarget(RenderTargetChain& chain, int32_t mode) override;
    void PopRenderTarget() override;
    // The base's, then the glyph texture and count, the settings refilled
    // one by one (a new grid after each), the quads and the luminance map.
    void RestoreDeviceObjects() override;
    // The base's, then the glyph quads (default-pool buffers, which a device
    // reset needs released; ResetDeviceState makes them again).
    void InvalidateDeviceObjects() override;
    // The base's, the glyph quads again when a reset released them, then
    // stage 0 colour and alpha MODULATE.
    void ResetDeviceState() override;
    // Animate, then the background of the mode, then the glyph quads.
    void RenderBackground(bool noClear) override;
    // Only keeps t: the camera and the grid move in Animate.
    void FrameMove(float t) override;
    void SetPicturePosition(int32_t mode) override;
    HRESULT DrawTexturedQuadBlended(const DS_TexturedMesh<TPC>& quad) override;
    void OnPictureChanged() override;

    // A new grid (and cursor) from the settings record over the picture
    // size of ViewMetrics.
    void CreateGrid();
    // One quad per grid cell.
    void ResizeGlyphQuads();
    // Background mode 0 frees the map; mode 1 builds it from the picture
    // (no map when there is no picture copy, the copy cannot be locked or
    // is not X8R8G8B8); other modes keep it.
    void BuildLuminanceMap();
    // The frame's step: camera, grid step, one sprite per quad.
    void Animate(float t);

    // The colour of a glyph quad: bright colour for state 2, glyph colour
    // otherwise (0x00BBGGRR), as ARGB with alpha trunc(opacity x 255);
    // opacity 1 - 0.01 x transparency clamped to 0..1, halved for fading
    // glyphs; luminance x that (not halved) for states other than 2 when
    // luminance >= 0 (background mode 1 with a map).
    static uint32_t GlyphColor(int32_t state, uint32_t glyphColor, uint32_t brightColor, float opacity,
                               float luminance);

    // Settings.
    MediaParamT<unsigned> cellSize;
    MediaParamT<unsigned> density;
    MediaParamT<unsigned> highlightCount;
    MediaParamT<int> glitches;
    MediaParamT<int> backgroundMode;
    MediaParamT<int> streamMode;
    MediaColor glyphColor;
    MediaColor brightColor;
    UINTSclaleTo<float> transparency;
    DS_ImageFileLink glyphImage;

    const MatrixCodeSettings& Settings() const { return settings_; }
    MatrixCodeGrid* Grid() const { return grid_.get(); }
    const MatrixCodeCursor& Cursor() const { return cursor_; }
    const SegmentedQuadArray& Quads() const { return quads_; }
    const TextureEntry& GlyphTexture() const { return glyphTexture_; }
    bool HasGlyphs() const { return hasGlyphs_; }
    const std::vector<float>& LuminanceMap() const { return luminance_; }
    float TargetRatioX() const { return targetRatioX_; }
    float TargetRatioY() const { return targetRatioY_; }

private:
    SegmentedQuadArray quads_;
    MatrixCodeCursor cursor_;
    std::unique_ptr<MatrixCodeGrid> grid_;
    MatrixCodeSettings settings_;
    // kLuminanceSide squared values in 0..1, row by row; empty when absent.
    std::vector<float> luminance_;
    float lastTime_ = 0.0f;
    float targetRatioX_ = 1.0f;
    float targetRatioY_ = 1.0f;
    TextureEntry glyphTexture_;
    // False without a glyph picture (width 0): the grid still runs, nothing
    // of it is drawn.
    bool hasGlyphs_ = false;
    // False when the last Animate filled no quads (no picture, no glyphs,
    // no grid): RenderBackground then draws the background alone.
    bool glyphsReady_ = false;
    MatrixCodeSprite sprite_;
};
