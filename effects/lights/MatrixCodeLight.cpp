#include "effects/lights/MatrixCodeLight.h"

#include <algorithm>
#include <cmath>

#include "engine/render/RenderContext.h"
#include "engine/render/StateWriter.h"
#include "engine/render/TextureUtil.h"
#include "engine/render/ViewMetrics.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"

namespace {

constexpr D3DCOLOR kBlackClear = 0x00000000;
constexpr float kFadingShare = 0.5f;

// a / b, or 0 when b is 0 (a placement without a picture or a target).
float Ratio(float a, float b)
{
    return b != 0.0f ? a / b : 0.0f;
}

}  // namespace

DS_MatrixCodeLight::DS_MatrixCodeLight()
    : cellSize(16u),
      density(20u),
      highlightCount(50u),
      glitches(0),
      backgroundMode(kPicture),
      streamMode(2),
      glyphColor(0ul),
      brightColor(0ul),
      transparency(0u, -0.01f, 1.0f)
{
    glyphImage.StoreValue(FileLinkValue{kDefaultPictureModule, kDefaultGlyphPicture});
    // The settings record starts as cell 16, density 20, highlight count
    // 10, no glitches, mode 0, one glyph (MatrixCodeSettings' defaults),
    // not as the members: restoring refills it one member at a time.
}

DS_MatrixCodeLight::~DS_MatrixCodeLight() = default;

void DS_MatrixCodeLight::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_MatrixCodeLight::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    DS_IOF_Virtual& out = *ar->archive;
    out.WriteUInt(cellSize.GetValue());
    out.WriteUInt(density.GetValue());
    out.WriteUInt(highlightCount.GetValue());
    out.WriteInt32(glitches.GetValue());
    out.WriteInt32(backgroundMode.GetValue());
    out.WriteInt32(streamMode.GetValue());
    out.WriteInt(static_cast<int32_t>(static_cast<uint32_t>(glyphColor.GetValue())));
    out.WriteInt(static_cast<int32_t>(static_cast<uint32_t>(brightColor.GetValue())));
    transparency.Write(*ar);
    if (DS_DocResManager* manager = CurrentDocResManager()) manager->MarkForSave(glyphImage);
    glyphImage.Write(*ar);
    DS_2D_Light::WriteBody(ar);
}

bool DS_MatrixCodeLight::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    DS_IOF_Virtual& in = *ar->archive;
    uint32_t cell = 0, dens = 0, highlights = 0, transparent = 0;
    int32_t glitch = 0, background = 0, stream = 0, glyph = 0, bright = 0;
    in.ReadUInt(cell);
    in.ReadUInt(dens);
    in.ReadUInt(highlights);
    in.ReadInt32(glitch);
    in.ReadInt32(background);
    in.ReadInt32(stream);
    in.ReadInt(glyph);
    in.ReadInt(bright);
    in.ReadUInt(transparent);
    DS_FileLink3 link;
    const bool hasLink = version >= kFirstVersionWithGlyphLink;
    if (hasLink) link.Read(*ar);
    // Nothing is assigned from a record that ran out.
    if (ar->Failed()) return false;
    cellSize.StoreValue(cell);
    density.StoreValue(dens);
    highlightCount.StoreValue(highlights);
    glitches.StoreValue(glitch);
    backgroundMode.StoreValue(background);
    streamMode.StoreValue(stream);
    glyphColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(glyph)));
    brightColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(bright)));
    transparency.SetValue(transparent);
    if (hasLink) glyphImage.StoreValue(link.GetValue());
    return DS_2D_Light::ReadBody(ar);
}

void DS_MatrixCodeLight::PushRenderTarget(RenderTargetChain& chain, int32_t mode)
{
    DS_2D_Light::PushRenderTarget(chain, mode);
    BackBufferSize backBuffer;
    if (QueryBackBufferSize(CurrentDevice(), backBuffer)) {
        targetRatioX_ = Ratio(static_cast<float>(chain.Width()), backBuffer.width);
        targetRatioY_ = Ratio(static_cast<float>(chain.Height()), backBuffer.height);
    }
}

void DS_MatrixCodeLight::PopRenderTarget()
{
    DS_2D_Light::PopRenderTarget();
    targetRatioX_ = 1.0f;
    targetRatioY_ = 1.0f;
}

void DS_MatrixCodeLight::RestoreDeviceObjects()
{
    DS_2D_Light::RestoreDeviceObjects();
    Resize(1, 1);
    glyphTexture_.Clear();
    if (DS_DocResManager* manager = CurrentDocResManager()) glyphTexture_.FromSet(manager->GetTextureSet(glyphImage));
    // Without a glyph picture (width 0) N = height / width + 2 has no value:
    // the grid runs with one glyph and nothing of it is drawn. A narrow
    // strip would give more glyphs than the glyph byte holds.
    hasGlyphs_ = glyphTexture_.width > 0 && glyphTexture_.texture;
    const int64_t glyphs = hasGlyphs_ ? int64_t{glyphTexture_.height / glyphTexture_.width} + 2 : 1;
    settings_.glyphCount = static_cast<int32_t>(std::clamp<int64_t>(glyphs, 1, MatrixCodeGrid::kMaxGlyphs));
    quads_.SetTexture(glyphTexture_.texture.Get());

    // One member at a time, a new grid after each: every grid seeds its
    // flicker cells, so the draws of the whole sequence depend on this order.
    settings_.cellSize = static_cast<int32_t>(std::clamp<unsigned>(cellSize.GetValue(), 1u, INT32_MAX));
    CreateGrid();
    ResizeGlyphQuads();
    settings_.density = static_cast<int32_t>(std::clamp<unsigned>(density.GetValue(), 1u, 100u));
    CreateGrid();
    settings_.highlightCount = highlightCount.GetValue();
    CreateGrid();
    settings_.glitches = glitches.GetValue();
    CreateGrid();
    settings_.mode = streamMode.GetValue();
    CreateGrid();
    ResizeGlyphQuads();
    BuildLuminanceMap();
}

void DS_MatrixCodeLight::InvalidateDeviceObjects()
{
    DS_2D_Light::InvalidateDeviceObjects();
    quads_.Resize(CurrentDevice(), 0);
}

void DS_MatrixCodeLight::ResetDeviceState()
{
    DS_2D_Light::ResetDeviceState();
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    // After a device reset the glyph quads are made again here: the
    // slideshow's restore step resets the current slide's layer, and every
    // other slide's layer when that slide becomes current.
    if (grid_ && quads_.QuadCount() != grid_->Columns() * grid_->Rows()) ResizeGlyphQuads();
    StateWriter states(device);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

void DS_MatrixCodeLight::RenderBackground(bool noClear)
{
    Animate(lastTime_);
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    const int32_t mode = backgroundMode.GetValue();
    StateWriter states(device);
    if (mode == kPicture) {
        DS_2D_Light::RenderBackground(noClear);
    } else {
        if (RenderContext* context = CurrentRenderContext()) states.Keep(context->Apply(device));
        // Colour only, as the picture's clear: a chain target has no depth surface.
        if (mode == kBlack) states.Keep(device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlackClear, 1.0f, 0));
    }
    if (!glyphsReady_) return;
    // Every state the glyph blend relies on: objects and the fade overlay
    // of the previous frame leave stage 0 as they like (the overlay leaves
    // the alpha on the texture alone, which would show the invisible
    // leftover quads).
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    states.Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
    if (SUCCEEDED(states.Result())) states.Keep(quads_.Draw(device));
    states.Render(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DS_MatrixCodeLight::FrameMove(float t)
{
    lastTime_ = t;
}

void DS_MatrixCodeLight::SetPicturePosition(int32_t mode)
{
    DS_2D_Light::SetPicturePosition(mode);
    CreateGrid();
    ResizeGlyphQuads();
}

HRESULT DS_MatrixCodeLight::DrawTexturedQuadBlended(const DS_TexturedMesh<TPC>& quad)
{
    const HRESULT hr = DS_2D_Light::DrawTexturedQuadBlended(quad);
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return hr;
    const HRESULT stage = device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    return FAILED(hr) ? hr : stage;
}

void DS_MatrixCodeLight::OnPictureChanged()
{
    LoadPictureTexture();
    Resize(width_, height_);
    BuildLuminanceMap();
    CreateGrid();
    ResizeGlyphQuads();
}

void DS_MatrixCodeLight::CreateGrid()
{
    grid_.reset();
    cursor_ = MatrixCodeCursor();
    const ViewMetrics& metrics = ViewMetrics::Instance();
    grid_ = MatrixCodeGrid::Create(settings_, metrics.pictureWidth, metrics.pictureHeight);
}

void DS_MatrixCodeLight::ResizeGlyphQuads()
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    // The grid's own size: it was made from the same picture size and its
    // cell may have been raised to keep the number of cells bounded.
    const int32_t quads = grid_ ? grid_->Columns() * grid_->Rows() : 0;
    quads_.Resize(device, quads);
}

void DS_MatrixCodeLight::BuildLuminanceMap()
{
    const int32_t mode = backgroundMode.GetValue();
    if (mode == kPicture) {
        luminance_.clear();
        luminance_.shrink_to_fit();
        return;
    }
    if (mode != kBlack) return;
    luminance_.clear();
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    ComPtr<IDirect3DTexture9> copy;
    // No picture gives no copy; the glyphs then keep their usual opacity.
    if (FAILED(CopyTexture(device, kLuminanceSide, kLuminanceSide, D3DFMT_X8R8G8B8, picture_.Texture(), copy)) ||
        !copy) {
        return;
    }
    D3DSURFACE_DESC desc = {};
    if (FAILED(copy->GetLevelDesc(0, &desc)) || desc.Format != D3DFMT_X8R8G8B8 ||
        desc.Width < static_cast<UINT>(kLuminanceSide) || desc.Height < static_cast<UINT>(kLuminanceSide)) {
        return;
    }
    D3DLOCKED_RECT locked = {};
    if (FAILED(copy->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return;
    luminance_.resize(static_cast<size_t>(kLuminanceSide) * kLuminanceSide);
    for (int32_t y = 0; y < kLuminanceSide; ++y) {
        // Rows by the locked pitch: it may be wider than the row.
        const auto* texel = static_cast<const uint8_t*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch;
        for (int32_t x = 0; x < kLuminanceSide; ++x, texel += 4) {
            const float blue = texel[0] / 255.0f, green = texel[1] / 255.0f, red = texel[2] / 255.0f;
            luminance_[static_cast<size_t>(y * kLuminanceSide + x)] = 0.299f * red + 0.587f * green + 0.114f * blue;
        }
    }
    copy->UnlockRect(0);
}

uint32_t DS_MatrixCodeLight::GlyphColor(int32_t state, uint32_t glyph, uint32_t bright, float opacity, float luminance)
{
    // Transparency above 100 would give a negative opacity and a wrapped
    // alpha byte.
    float o = std::clamp(opacity, 0.0f, 1.0f);
    if (state != MatrixCodeSprite::kBright && luminance >= 0.0f) {
        o *= std::clamp(luminance, 0.0f, 1.0f);
    } else if (state == MatrixCodeSprite::kFading) {
        o *= kFadingShare;
    }
    const uint32_t bgr = state == MatrixCodeSprite::kBright ? bright : glyph;
    const uint32_t alpha = static_cast<uint32_t>(o * 255.0f);
    const uint32_t red = bgr & 0xFFu, green = (bgr >> 8) & 0xFFu, blue = (bgr >> 16) & 0xFFu;
    return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

void DS_MatrixCodeLight::Animate(float t)
{
    RenderContext* context = CurrentRenderContext();
    camera_.Update(t, context);
    glyphsReady_ = false;
    const ViewMetrics& metrics = ViewMetrics::Instance();
    // Without a picture there is no placement to put glyphs in.
    if (!grid_ || metrics.pictureWidth <= 0 || metrics.pictureHeight <= 0) return;
    const ScreenQuad& fitted = metrics.fittedQuad;
    const float x0 = fitted.corners[1].x;
    const float y0 = fitted.corners[1].y;
    const float hx = Ratio((fitted.corners[3].x - fitted.corners[0].x) / 2.0f, static_cast<float>(metrics.pictureWidth));
    const float hy =
        Ratio((fitted.corners[2].y - fitted.corners[1].y) / 2.0f, static_cast<float>(metrics.pictureHeight));
    const float cell = static_cast<float>(grid_->CellSize());
    MatrixCodePlacement placement;
    placement.a = cell * hx * targetRatioX_;
    placement.b = cell * hy * targetRatioY_;
    placement.left = x0;
    placement.top = y0;

    const int32_t quadCount = quads_.QuadCount();
    cursor_.Reset();
    grid_->AdvanceStreams(cursor_.PreviousCount() >= quadCount);
    grid_->Tick();

    // The picture position and the camera drift move and scale the glyphs
    // as they do the picture.
    float sx = 1.0f, sy = 1.0f, tx = 0.0f, ty = 0.0f;
    if (context && context->Mode() != RenderContext::kToTarget) {
        D3DXMATRIX m;
        D3DXMatrixMultiply(&m, &context->Camera(), &context->OffsetScale());
        sx = m._11;
        sy = m._22;
        tx = Ratio(m._41, m._11);
        ty = Ratio(m._42, m._22);
    } else if (context) {
        sx = Ratio(1.0f, context->InverseScaleX());
        sy = Ratio(1.0f, context->InverseScaleY());
        tx = context->OffsetX();
        ty = context->OffsetY();
    }
    const float ox = 2.0f * tx * hx * sx;
    const float oy = 2.0f * ty * hy * sy;
    const D3DXVECTOR3 halfU(placement.a * sx, 0.0f, 0.0f);
    const D3DXVECTOR3 halfV(0.0f, placement.b * sy, 0.0f);

    const bool withLuminance =
        backgroundMode.GetValue() == kBlack && luminance_.size() == size_t{kLuminanceSide} * kLuminanceSide;
    const float opacity = transparency.GetDerived();
    const uint32_t glyph = static_cast<uint32_t>(glyphColor.GetValue());
    const uint32_t bright = static_cast<uint32_t>(brightColor.GetValue());
    const int32_t columns = grid_->Columns();
    const int32_t rows = grid_->Rows();

    quads_.LockAll();
    for (int32_t i = 0; i < quadCount; ++i) {
        cursor_.NextSprite(*grid_, placement, sprite_);
        const D3DXVECTOR3 centre(x0 + (sprite_.x - x0) * sx + ox, y0 + (sprite_.y - y0) * sy + oy, sprite_.z);
        quads_.SetQuad(i, centre, halfU, halfV);
        float luminance = -1.0f;
        if (withLuminance) {
            const int32_t v = kLuminanceSide * sprite_.row / rows;
            const int32_t u = kLuminanceSide * sprite_.column / columns;
            luminance = luminance_[static_cast<size_t>(kLuminanceSide * v + u)];
        }
        quads_.SetQuadColor(i, GlyphColor(sprite_.state, glyph, bright, opacity, luminance) & sprite_.color);
        quads_.SetQuadUV(i, sprite_.uLow, sprite_.uHigh, sprite_.vLow, sprite_.vHigh);
    }
    quads_.UnlockAll();
    glyphsReady_ = hasGlyphs_ && quadCount > 0;
}
