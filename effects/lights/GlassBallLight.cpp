#include "effects/lights/GlassBallLight.h"

#include <d3dx9math.h>

#include <cmath>
#include <cstring>

#include "engine/archive/IOF_Item.h"
#include "engine/render/RenderContext.h"
#include "engine/render/RenderStats.h"
#include "engine/render/StateWriter.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"

namespace {

constexpr const wchar_t* kCommonRes = L"common_res.dll";
constexpr int64_t kOverlay1Picture = 58;
constexpr int64_t kOverlay2Picture = 59;
constexpr int64_t kStandPicture = 60;
constexpr int64_t kBackgroundPicture = 5;
constexpr int kLensRadiusSquared = 16384;  // a hemisphere of radius 128 texels
constexpr int kDiscRadiusSquared = 258064;  // 508 texels
constexpr float kSwayPerSecond = 0.0625f;
constexpr float kFieldOfView = D3DX_PI / 4.0f;
constexpr float kNear = 1.0f;
constexpr float kFar = 3000.0f;
constexpr float kRestoreEye = -2001.0f;
constexpr D3DCOLOR kBarColor = 0x000000;
constexpr float kOpaque = 1.0f;

// A divisor of 0 (no picture, no coverage) counts as 1, so nothing turns
// into NaN or infinity.
float NonZero(float x)
{
    return x == 0.0f || !std::isfinite(x) ? 1.0f : x;
}

float Frac(float x)
{
    return x - std::floor(x);
}

float LensHeight(int d)
{
    return d <= kLensRadiusSquared ? std::sqrt(static_cast<float>(kLensRadiusSquared - d)) : 0.0f;
}

int16_t LensSlope(float rise)
{
    return static_cast<int16_t>(static_cast<int32_t>(std::atan(rise) * DS_GlassBallLight::kLensScale));
}

// A quad with corners bottom-left, top-left, bottom-right, top-right.
ScreenQuad Rectangle(float left, float top, float right, float bottom)
{
    ScreenQuad quad;
    const float corners[4][2] = {{left, bottom}, {left, top}, {right, bottom}, {right, top}};
    for (int i = 0; i < 4; ++i) {
        quad.corners[i].x = corners[i][0];
        quad.corners[i].y = corners[i][1];
    }
    return quad;
}

// The four corners of a quad in the ball's space: x, y, then u, v.
struct BallCorner {
    float x, y, u, v;
};

HRESULT FillBallSpaceQuad(IDirect3DDevice9* device, DS_SimpleMesh<PT2>& mesh, const BallCorner (&corners)[4])
{
    HRESULT hr = mesh.CreateVertexBuffer(device, 4);
    if (FAILED(hr)) return hr;
    PT2* vertices = mesh.Lock();
    if (!vertices) return E_FAIL;
    for (int i = 0; i < 4; ++i) {
        vertices[i] = PT2{};
        vertices[i].x = corners[i].x;
        vertices[i].y = corners[i].y;
        vertices[i].z = 0.0f;
        vertices[i].u0 = corners[i].u;
        vertices[i].v0 = corners[i].v;
    }
    mesh.Unlock();
    return S_OK;
}

constexpr BallCorner kBallCorners[4] = {
    {-256.0f, -256.0f, 0.0f, 1.0f}, {-256.0f, 256.0f, 0.0f, 0.0f}, {256.0f, -256.0f, 1.0f, 1.0f}, {256.0f, 256.0f, 1.0f, 0.0f}};
constexpr BallCorner kStandCorners[4] = {{-230.4f, -372.19293f, 0.0f, 1.0f},
                                         {-230.4f, -185.61412f, 0.0f, 0.0f},
                                         {232.9f, -372.19293f, 1.0f, 1.0f},
                                         {232.9f, -185.61412f, 1.0f, 0.0f}};

// A managed one-level texture filled texel by texel through fill(row
// bytes, y); E_FAIL and an empty texture when it cannot be made.
template <class Fill>
HRESULT BuildTexture(ComPtr<IDirect3DTexture9>& texture, UINT side, D3DFORMAT format, Fill fill)
{
    texture.Reset();
    IDirect3DDevice9* device = CurrentDevice();
    ComPtr<IDirect3DTexture9> made;
    if (!device ||
        FAILED(device->CreateTexture(side, side, 1, 0, format, D3DPOOL_MANAGED, made.ReleaseAndGetAddressOf(), nullptr))) {
        return E_FAIL;
    }
    D3DLOCKED_RECT rect = {};
    if (FAILED(made->LockRect(0, &rect, nullptr, 0))) return E_FAIL;
    for (UINT y = 0; y < side; ++y) fill(static_cast<uint8_t*>(rect.pBits) + y * rect.Pitch, static_cast<int>(y));
    made->UnlockRect(0);
    texture = made;
    return S_OK;
}

HRESULT DrawQuad(IDirect3DDevice9* device, const DS_SimpleMesh<TPC>& quad)
{
    if (!quad.VertexBuffer()) return S_FALSE;
    HRESULT hr = quad.BindStream(device);
    if (SUCCEEDED(hr)) hr = device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    if (SUCCEEDED(hr)) ++RenderStats::Instance().drawCalls;
    return hr;
}

// A draw that covers the whole view, counted for the frame benchmark.
HRESULT CountFullScreen(HRESULT hr)
{
    if (hr == S_OK) ++RenderStats::Instance().fullScreenPasses;
    return hr;
}

}  // namespace

// ---- quads ----

template <class Mesh>
void QuadWriter::Write(Mesh& mesh, const ScreenQuad& quad)
{
    if (!mesh.VertexBuffer()) return;
    if (written_ && std::memcmp(&last_, &quad, sizeof quad) == 0) return;
    written_ = mesh.WritePositions(quad);
    last_ = quad;
}

// ---- the shared clock ----

GlassBallClock& GlassBallClock::Instance()
{
    static GlassBallClock clock;
    return clock;
}

void GlassBallClock::Advance(float t, float factor)
{
    if (!started_) {
        last_ = t;
        started_ = true;
    }
    accumulator_ += (t - last_) * factor * kSwayPerSecond;
    last_ = t;
}

void GlassBallClock::Restart()
{
    *this = GlassBallClock();
}

// ---- settings and record ----

DS_GlassBallLight::DS_GlassBallLight()
{
    overlay1Link.StoreValue(FileLinkValue{kCommonRes, kOverlay1Picture});
    overlay2Link.StoreValue(FileLinkValue{kCommonRes, kOverlay2Picture});
    standLink.StoreValue(FileLinkValue{kCommonRes, kStandPicture});
    backgroundLink.StoreValue(FileLinkValue{kCommonRes, kBackgroundPicture});
    D3DXMatrixIdentity(&stageOne_);
}

DS_GlassBallLight::~DS_GlassBallLight() = default;

void DS_GlassBallLight::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    DS_IOF_Virtual& out = *ar->archive;
    WriteRecordHeader(ar, kClassName, kVersion);
    for (DS_ImageFileLink* link : {&overlay1Link, &overlay2Link, &standLink, &backgroundLink}) {
        if (DS_DocResManager* manager = CurrentDocResManager()) manager->MarkForSave(*link);
        link->Write(*ar);
    }
    out.WriteUInt(speed.GetValue());
    out.WriteIntPair(IntPair{ballPosition.GetValue().x, ballPosition.GetValue().y});
    out.WriteUInt(ballSize.GetValue());
    out.WriteUInt(lensStrength.GetValue());
    for (MediaParamT<int>* flag : {&overlay1On, &overlay2On, &standOn, &pictureBackground, &animationMode}) {
        out.WriteInt32(flag->GetValue());
    }
    out.WriteInt(static_cast<int32_t>(topColor.GetValue()));
    out.WriteInt(static_cast<int32_t>(bottomColor.GetValue()));
    DS_2D_Light::WriteBody(ar);
}

bool DS_GlassBallLight::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    DS_IOF_Virtual& in = *ar->archive;
    DS_FileLink3 links[4];
    for (DS_FileLink3& link : links) link.Read(*ar);
    uint32_t speedValue = 0, size = 0, strength = 0;
    IntPair position;
    int32_t flags[5] = {};
    int32_t top = 0, bottom = 0;
    in.ReadUInt(speedValue);
    in.ReadIntPair(position);
    in.ReadUInt(size);
    in.ReadUInt(strength);
    for (int32_t& flag : flags) in.ReadInt32(flag);
    in.ReadInt(top);
    in.ReadInt(bottom);
    // Nothing is assigned from a record that ran out. Every value is usable
    // as it stands: the formulas stay finite for any size, strength or
    // position, and unknown modes neither scroll nor sway.
    if (ar->Failed()) return false;
    DS_ImageFileLink* targets[4] = {&overlay1Link, &overlay2Link, &standLink, &backgroundLink};
    for (int i = 0; i < 4; ++i) targets[i]->StoreValue(links[i].GetValue());
    speed.SetValue(speedValue);
    ballPosition.StoreValue(POINT{position.first, position.second});
    ballSize.StoreValue(size);
    lensStrength.StoreValue(strength);
    MediaParamT<int>* targetsOn[5] = {&overlay1On, &overlay2On, &standOn, &pictureBackground, &animationMode};
    for (int i = 0; i < 5; ++i) targetsOn[i]->StoreValue(flags[i]);
    topColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(top)));
    bottomColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(bottom)));
    return DS_2D_Light::ReadBody(ar);
}

// ---- pure rules ----

void DS_GlassBallLight::LensTexel(int x, int y, int16_t& u, int16_t& v)
{
    const int last = static_cast<int>(kLensSide) - 1;
    const int x1 = x == last ? x : x + 1;
    const int y1 = x == last ? y : y + 1;
    const int cx = x - 128, cy = y - 128;
    const int d0 = cx * cx + cy * cy;
    const int dx = (x1 - 128) * (x1 - 128) + cy * cy;
    const int dy = cx * cx + (y1 - 128) * (y1 - 128);
    const float h0 = LensHeight(d0);
    u = LensSlope(h0 - LensHeight(dx));
    v = LensSlope(h0 - LensHeight(dy));
}

uint8_t DS_GlassBallLight::DiscTexel(int i, int j)
{
    return i * i + j * j > kDiscRadiusSquared ? 255 : 0;
}

uint32_t DS_GlassBallLight::GradientRow(uint32_t top, uint32_t bottom, int r)
{
    const float t = static_cast<float>(r) / 255.0f;
    uint32_t rgb = 0;
    // Bytes 0, 1, 2 of the colours are red, green and blue.
    for (int channel = 0; channel < 3; ++channel) {
        const float a = static_cast<float>((top >> (8 * channel)) & 0xFF);
        const float b = static_cast<float>((bottom >> (8 * channel)) & 0xFF);
        const auto c = static_cast<uint32_t>(static_cast<uint8_t>(a + (b - a) * t));
        rgb |= c << (16 - 8 * channel);
    }
    return rgb;
}

DS_GlassBallLight::LensParams DS_GlassBallLight::LensFor(uint32_t s, uint32_t k, float sx, float ky)
{
    const float size = static_cast<float>(s);
    const float strength = static_cast<float>(k);
    LensParams params;
    params.eyeDepth = -600.0f / (0.75f * size / 100.0f + 0.25f) / NonZero(sx * ky);
    params.radiusFactor =
        ((size * ky * sx / 100.0f) * 1.105f + 0.385f) * 1.05f * (strength * 0.5f / 100.0f + 1.0f);
    params.amplitude = 0.125f + strength * 0.5f * 0.125f / 100.0f;
    return params;
}

float DS_GlassBallLight::SwayFor(float accumulator)
{
    const float f = Frac(0.5f * accumulator);
    return 2.0f * std::fabs(2.0f * f - 1.0f) - 1.0f;
}

float DS_GlassBallLight::ScrollFraction(int32_t mode, float accumulator)
{
    return Frac(mode == kScrollOneWay ? -0.5f * accumulator : 0.5f * accumulator);
}

// ---- generated textures ----

HRESULT DS_GlassBallLight::BuildLensBumpTexture()
{
    return BuildTexture(lensTexture_, kLensSide, D3DFMT_V16U16, [](uint8_t* row, int y) {
        auto* texels = reinterpret_cast<int16_t*>(row);
        for (int x = 0; x < static_cast<int>(kLensSide); ++x) LensTexel(x, y, texels[2 * x], texels[2 * x + 1]);
    });
}

HRESULT DS_GlassBallLight::BuildDiscMask()
{
    const int half = static_cast<int>(kDiscSide) / 2;
    return BuildTexture(discTexture_, kDiscSide, D3DFMT_A8, [half](uint8_t* row, int y) {
        for (int x = 0; x < static_cast<int>(kDiscSide); ++x) row[x] = DiscTexel(x - half, y - half);
    });
}

HRESULT DS_GlassBallLight::BuildGradientTexture()
{
    const uint32_t top = static_cast<uint32_t>(topColor.GetValue());
    const uint32_t bottom = static_cast<uint32_t>(bottomColor.GetValue());
    return BuildTexture(gradientTexture_, kGradientSide, D3DFMT_A8R8G8B8, [top, bottom](uint8_t* row, int y) {
        const uint32_t rgb = GradientRow(top, bottom, y);
        auto* texels = reinterpret_cast<uint32_t*>(row);
        for (UINT x = 0; x < kGradientSide; ++x) texels[x] = rgb;
    });
}

// ---- device objects ----

HRESULT DS_GlassBallLight::MakeDynamicQuads()
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return E_FAIL;
    ScreenQuad full;
    full.FullBackBuffer(device);
    HRESULT result = S_OK;
    auto keep = [&result](HRESULT hr) {
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
        return SUCCEEDED(hr);
    };
    DS_TexturedMesh<TPC>* textured[3] = {&backgroundQuad_, &scrollQuads_[0], &scrollQuads_[1]};
    for (DS_TexturedMesh<TPC>* quad : textured) {
        if (quad->VertexBuffer() || !keep(quad->CreateDynamicBuffer(device))) continue;
        quad->WritePositions(full);
        quad->SetRGB(0xFFFFFF);
        quad->SetAlpha(kOpaque);
    }
    backgroundQuad_.SetTextureRef(backgroundTexture_.Get());
    for (DS_SimpleMesh<TP>& bar : bars_) {
        if (bar.VertexBuffer() || !keep(bar.CreateDynamicBuffer(device))) continue;
        bar.WritePositions(full);
        bar.SetRGB(kBarColor);
        bar.SetAlpha(kOpaque);
    }
    return result;
}

void DS_GlassBallLight::ReleaseDynamicQuads()
{
    backgroundWriter_ = {};
    for (QuadWriter& writer : scrollWriters_) writer = {};
    for (QuadWriter& writer : barWriters_) writer = {};
    backgroundQuad_ = DS_TexturedMesh<TPC>();
    for (DS_TexturedMesh<TPC>& quad : scrollQuads_) quad = DS_TexturedMesh<TPC>();
    for (DS_SimpleMesh<TP>& bar : bars_) bar = DS_SimpleMesh<TP>();
}

void DS_GlassBallLight::LoadOverlays()
{
    DS_DocResManager* manager = CurrentDocResManager();
    const DS_ImageFileLink* links[3] = {&overlay1Link, &overlay2Link, &standLink};
    for (int i = 0; i < 3; ++i) {
        overlays_[i] = ComPtr<IDirect3DTexture9>(manager ? manager->GetTextureSet(*links[i]).CurrentTexture() : nullptr);
    }
}

void DS_GlassBallLight::RestoreDeviceObjects()
{
    DS_2D_Light::RestoreDeviceObjects();
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    LoadOverlays();
    BuildLensBumpTexture();
    BuildGradientTexture();
    BuildDiscMask();
    backgroundTexture_ = gradientTexture_;
    ReleaseDynamicQuads();
    MakeDynamicQuads();
    if (FAILED(FillBallSpaceQuad(device, ballQuad_, kBallCorners))) return;
    if (FAILED(FillBallSpaceQuad(device, standQuad_, kStandCorners))) return;
    D3DXMATRIX world, view, projection;
    D3DXMatrixIdentity(&world);
    const D3DXVECTOR3 eye(0.0f, 0.0f, kRestoreEye), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, 1.0f, kNear, kFar);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    UseGradientBackground();
    ApplyBackgroundChoice();
    LoadBackgroundPicture();
}

void DS_GlassBallLight::ResetDeviceState()
{
    DS_2D_Light::ResetDeviceState();
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    // After a device reset the dynamic quads are made again and placed.
    if (!backgroundQuad_.VertexBuffer()) {
        MakeDynamicQuads();
        Resize(width_, height_);
    }
    StateWriter states(device);
    states.Sampler(1, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    states.Sampler(1, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    states.Sampler(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    states.Sampler(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    states.Sampler(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    states.Sampler(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    states.Sampler(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    states.StageFloat(0, D3DTSS_BUMPENVMAT00, 0.2f);
    states.StageFloat(0, D3DTSS_BUMPENVMAT01, 0.0f);
    states.StageFloat(0, D3DTSS_BUMPENVMAT10, 0.0f);
    states.StageFloat(0, D3DTSS_BUMPENVMAT11, 0.25f);
    states.StageFloat(0, D3DTSS_BUMPENVLSCALE, 1.0f);
    states.StageFloat(0, D3DTSS_BUMPENVLOFFSET, 0.0f);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    states.Stage(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    // Stage 1 stays off for the slide's objects, which bind no texture
    // there; the closing pass turns it on for its own draws.
    states.Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    states.Stage(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void DS_GlassBallLight::InvalidateDeviceObjects()
{
    DS_2D_Light::InvalidateDeviceObjects();
    for (DS_TexturedMesh<TPC>& quad : scrollQuads_) quad.SetTextureRef(nullptr);
    ReleaseDynamicQuads();
}

// ---- background ----

void DS_GlassBallLight::UseGradientBackground()
{
    BuildGradientTexture();
    backgroundTexture_ = gradientTexture_;
    backgroundQuad_.SetTextureRef(backgroundTexture_.Get());
}

void DS_GlassBallLight::ApplyBackgroundChoice()
{
    if (pictureBackground.GetValue() == 1) {
        backgroundTexture_ = backgroundPicture_.texture;
        placement2_ = RenderContext::kFit;
    } else {
        backgroundTexture_ = gradientTexture_;
        placement2_ = RenderContext::kFill;
    }
    backgroundQuad_.SetTextureRef(backgroundTexture_.Get());
    Resize(width_, height_);
    Resize(width_, height_);
}

void DS_GlassBallLight::LoadBackgroundPicture()
{
    backgroundPicture_.Clear();
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        const TextureFrames& frames = manager->GetTextureSet(backgroundLink);
        if (IDirect3DTexture9* texture = frames.CurrentTexture()) backgroundPicture_.Set(texture, frames.width, frames.height);
    }
    if (pictureBackground.GetValue() == 1) {
        backgroundTexture_ = backgroundPicture_.texture;
        backgroundQuad_.SetTextureRef(backgroundTexture_.Get());
        Resize(width_, height_);
    }
}

// ---- layout ----

void DS_GlassBallLight::ComputeLensParams()
{
    lens_ = LensFor(ballSize.GetValue(), lensStrength.GetValue(), scaleX_, coverageY_);
}

void DS_GlassBallLight::Resize(int32_t w, int32_t h)
{
    DS_2D_Light::Resize(w, h);
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!device || !context) return;
    const float fw = static_cast<float>(w);
    const float fh = static_cast<float>(h);
    const float bw = static_cast<float>(backgroundPicture_.width);
    const float bh = static_cast<float>(backgroundPicture_.height);
    BackBufferSize backBuffer{fw, fh};
    QueryBackBufferSize(device, backBuffer);
    // The background's placement is worked out on a context of the light's
    // own, with the shared context's camera: placing the shared context
    // here would rewrite its border quads several times a frame (a locked
    // managed buffer, which under Wine waits for the frames in flight),
    // and the frame places the shared context for the scene anyway.
    backgroundPlacement_.Place(backgroundPicture_.width, backgroundPicture_.height, fw, fh, placement2_, false,
                               backBuffer);
    ComputeLensParams();

    ScreenQuad q;
    q.FitPicture(bw, bh, fw, fh);
    if (!ballToTarget_) q.ScaleToBackBuffer(fw, fh, backBuffer);
    const float x0 = q.corners[1].x;
    const float y0 = q.corners[1].y;
    const float qw = q.Width();
    const float qh = q.Height();
    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &context->Camera(), &backgroundPlacement_.OffsetScale());
    scaleX_ = m._11;
    scaleY_ = m._22;
    shiftX_ = m._41 * qw / NonZero(bw);
    shiftY_ = m._42 * qh / NonZero(bh);
    ScreenQuad placed = q;
    for (ScreenQuad::Corner& corner : placed.corners) {
        corner.x = x0 + scaleX_ * (corner.x - x0) + shiftX_;
        corner.y = y0 + scaleY_ * (corner.y - y0) + shiftY_;
    }
    backgroundWriter_.Write(backgroundQuad_, placed);

    coverageX_ = (qw * scaleX_) / NonZero(qw * scaleX_ + 2.0f * (std::trunc(x0 * scaleX_) + 1.0f));
    coverageY_ = (qh * scaleY_) / NonZero(qh * scaleY_ + 2.0f * (std::trunc(y0 * scaleY_) + 1.0f));

    const float isx = backgroundPlacement_.InverseScaleX();
    const float isy = backgroundPlacement_.InverseScaleY();
    const float left = x0 + backgroundPlacement_.OffsetX() * isx * scaleX_ * qw / NonZero(bw);
    const float top = y0 + backgroundPlacement_.OffsetY() * isy * scaleY_ * qh / NonZero(bh);
    const float barW = qw * isx;
    const float barH = qh * isy;
    const float right = left + barW;
    const float bottom = top + barH;
    const float a = std::trunc(left) + 1.0f;
    const float b = std::trunc(top) + 1.0f;
    const ScreenQuad barQuads[4] = {Rectangle(0.0f, 0.0f, a, std::trunc(barH)),
                                    Rectangle(right, 0.0f, right + a, std::trunc(barH)),
                                    Rectangle(0.0f, 0.0f, std::trunc(barW), b),
                                    Rectangle(0.0f, bottom, std::trunc(barW), bottom + b)};
    for (int i = 0; i < 4; ++i) barWriters_[i].Write(bars_[i], barQuads[i]);

    ComputeLensParams();
}

void DS_GlassBallLight::ViewSize(float& w, float& h) const
{
    w = static_cast<float>(width_);
    h = static_cast<float>(height_);
    if (!ballToTarget_) {
        BackBufferSize backBuffer{w, h};
        QueryBackBufferSize(CurrentDevice(), backBuffer);
        w = backBuffer.width;
        h = backBuffer.height;
    }
    w = NonZero(w);
    h = NonZero(h);
}

void DS_GlassBallLight::SetBallTransforms(bool lens)
{
    float w = 1.0f, h = 1.0f;
    ViewSize(w, h);
    const float lw = static_cast<float>(width_);
    const float lh = NonZero(static_cast<float>(height_));
    const float e = lens_.eyeDepth;
    const float kx = NonZero(coverageX_);
    const float ky = NonZero(coverageY_);
    const float px = static_cast<float>(ballPosition.GetValue().x);
    const float py = static_cast<float>(ballPosition.GetValue().y);
    float ex = (-e / 600.0f) * ((shiftX_ * 500.0f / w) / kx + ((px + 250.0f) * scaleX_ - 250.0f));
    float ey = (e / 600.0f) * ((500.0f * shiftY_ / h) / ky + ((py + 250.0f) * scaleY_ - 250.0f));
    const bool pictureBehind = pictureBackground.GetValue() == 1;
    if (pictureBehind) {
        ey = ey * coverageY_;
        ex = (lw / lh) * ex * coverageX_;
    }
    const float pictureAspect = static_cast<float>(PictureWidth()) / NonZero(static_cast<float>(PictureHeight()));
    float x = 0.0f, y = 0.0f, r = 0.0f;
    if (lens) {
        const float g = 1.5f - 0.01f * static_cast<float>(lensStrength.GetValue() / 2);
        x = lens_.amplitude * sway_ - g * ex / NonZero(w * pictureAspect);
        y = g * ey / h;
        r = std::fabs(e) * lens_.radiusFactor;
    } else {
        r = std::fabs(e) * coverageY_;
    }

    IDirect3DDevice9* device = CurrentDevice();
    D3DXMATRIX world, view, projection, p2;
    D3DXMatrixTranslation(&world, ex, ey, 0.0f);
    const D3DXVECTOR3 eye(0.0f, 0.0f, e), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, NonZero(lw / lh), kNear, kFar);
    const float aspect2 = !lens && pictureBackground.GetValue() != 0
                              ? static_cast<float>(backgroundPicture_.width) /
                                    NonZero(static_cast<float>(backgroundPicture_.height))
                              : pictureAspect;
    D3DXMatrixPerspectiveFovLH(&p2, kFieldOfView, NonZero(aspect2), kNear, kFar);
    D3DXMatrixIdentity(&stageOne_);
    stageOne_._11 = 0.5f * p2._11 / (p2._33 * r + 1.0f);
    stageOne_._22 = -0.5f * p2._22 / (p2._33 * r + 1.0f);
    stageOne_._41 = Frac(x) + 0.5f;
    stageOne_._42 = 0.5f + y;
    if (!device) return;
    StateWriter states(device);
    states.Keep(device->SetTransform(D3DTS_WORLD, &world));
    states.Keep(device->SetTransform(D3DTS_VIEW, &view));
    states.Keep(device->SetTransform(D3DTS_PROJECTION, &projection));
    states.Keep(device->SetTransform(D3DTS_TEXTURE1, &stageOne_));
    states.Stage(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    states.Stage(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION | 1);
}

// ---- frame ----

void DS_GlassBallLight::FrameMove(float t)
{
    camera_.Update(t, CurrentRenderContext());
    Resize(width_, height_);
    const int32_t mode = animationMode.GetValue();
    if (mode == kStill) {
        sway_ = 0.0f;
        return;
    }
    GlassBallClock& clock = GlassBallClock::Instance();
    clock.Advance(t, speed.GetDerived());
    if (mode == kScrollOneWay || mode == kScrollOtherWay) {
        sway_ = 0.0f;
        PlaceScrollQuads(ScrollFraction(mode, clock.Accumulator()));
    } else if (mode == kSway) {
        sway_ = SwayFor(clock.Accumulator());
    }
}

void DS_GlassBallLight::PlaceScrollQuads(float f)
{
    BackBufferSize backBuffer;
    if (!QueryBackBufferSize(CurrentDevice(), backBuffer)) return;
    const float shifts[2] = {backBuffer.width * f, -(1.0f - f) * backBuffer.width};
    for (int i = 0; i < 2; ++i) {
        ScreenQuad quad;
        quad.FullBackBuffer(backBuffer);
        for (ScreenQuad::Corner& corner : quad.corners) corner.x += shifts[i];
        scrollWriters_[i].Write(scrollQuads_[i], quad);
    }
}

void DS_GlassBallLight::RenderBackground(bool)
{
    DS_2D_Light::RenderBackground(false);
}

HRESULT DS_GlassBallLight::DrawBallSpace(IDirect3DDevice9* device, const DS_SimpleMesh<PT2>& quad)
{
    if (!quad.VertexBuffer()) return S_FALSE;
    HRESULT hr = device->SetVertexShader(nullptr);
    if (SUCCEEDED(hr)) hr = device->SetFVF(PT2::kFVF);
    if (SUCCEEDED(hr)) hr = device->SetStreamSource(0, quad.VertexBuffer(), 0, PT2::kStride);
    if (SUCCEEDED(hr)) hr = device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    if (SUCCEEDED(hr)) ++RenderStats::Instance().drawCalls;
    return hr;
}

void DS_GlassBallLight::DrawBorders(bool)
{
    IDirect3DDevice9* device = CurrentDevice();
    // A chain without textures (after a device reset) was never begun: the
    // scene went straight to the back buffer and there is nothing to put
    // into the ball.
    if (!device || !inChain_) return;
    StateWriter states(device);
    states.Render(D3DRS_ALPHABLENDENABLE, FALSE);
    states.Render(D3DRS_ZENABLE, FALSE);
    states.Render(D3DRS_CULLMODE, D3DCULL_NONE);
    // The screen quads show their texture alone.
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_TEXCOORDINDEX, 0);
    states.Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    states.Stage(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    const int32_t mode = animationMode.GetValue();
    if (mode == kScrollOneWay || mode == kScrollOtherWay) {
        IDirect3DTexture9* scene = NextRenderTarget();
        for (DS_TexturedMesh<TPC>& quad : scrollQuads_) {
            quad.SetTextureRef(scene);
            states.Texture(0, scene);
            states.Keep(CountFullScreen(DrawQuad(device, quad)));
        }
    }
    IDirect3DTexture9* scene = FinalRenderTarget(false).Current();

    if (backgroundQuad_.Texture()) {
        states.Texture(0, backgroundQuad_.Texture());
        states.Keep(CountFullScreen(DrawQuad(device, backgroundQuad_)));
    }

    // The ball: the lens map bends the lookup of the scene on stage 1.
    SetBallTransforms(true);
    if (lensTexture_ && scene) {
        states.Texture(0, lensTexture_.Get());
        states.Texture(1, scene);
        states.Stage(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
        states.Stage(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
        states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        states.Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        states.Stage(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        states.Stage(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        states.Stage(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        states.Stage(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
        states.Keep(DrawBallSpace(device, ballQuad_));
    }

    // Overlays: each picture blended over the ball by its alpha.
    SetBallTransforms(false);
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    states.Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    states.Texture(1, nullptr);
    states.Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    states.Stage(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    const bool overlayOn[2] = {overlay1On.GetValue() != 0, overlay2On.GetValue() != 0};
    for (int i = 0; i < 2; ++i) {
        if (!overlayOn[i] || !overlays_[i]) continue;
        states.Texture(0, overlays_[i].Get());
        states.Keep(DrawBallSpace(device, ballQuad_));
    }

    // The disc: outside radius 508/512 of the ball the background covers
    // the ball quad again, looked up where the background quad put it.
    if (discTexture_ && backgroundQuad_.Texture()) {
        float w = 1.0f, h = 1.0f;
        ViewSize(w, h);
        D3DXMATRIX disc = stageOne_;
        const float sx = NonZero(scaleX_);
        const float sy = NonZero(scaleY_);
        disc._11 = disc._11 / sx;
        disc._22 = disc._22 / sy;
        disc._41 = (disc._41 - shiftX_ / w / NonZero(coverageX_)) / sx;
        disc._42 = (disc._42 - shiftY_ / h / NonZero(coverageY_)) / sy;
        states.Keep(device->SetTransform(D3DTS_TEXTURE1, &disc));
        states.Texture(0, discTexture_.Get());
        states.Texture(1, backgroundQuad_.Texture());
        states.Stage(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        states.Stage(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        states.Stage(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        states.Stage(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
        states.Keep(DrawBallSpace(device, ballQuad_));
    }

    states.Texture(1, nullptr);
    states.Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    states.Stage(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    if (standOn.GetValue() != 0 && overlays_[2]) {
        states.Texture(0, overlays_[2].Get());
        states.Keep(DrawBallSpace(device, standQuad_));
    }

    states.Texture(0, nullptr);
    if (pictureBackground.GetValue() == 1 && placement2_ == RenderContext::kFit) {
        for (const DS_SimpleMesh<TP>& bar : bars_) states.Keep(DrawScreenVertices(&bar));
    }

    // Back to the baseline the slide's objects rely on.
    states.Stage(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    states.Stage(1, D3DTSS_TEXCOORDINDEX, 1);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Render(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DS_GlassBallLight::SetPicturePosition(int32_t mode)
{
    placement2_ = pictureBackground.GetValue() == 1 ? mode : RenderContext::kFill;
    Resize(width_, height_);
}

// ---- render targets ----

void DS_GlassBallLight::PushRenderTarget(RenderTargetChain& chain, int32_t mode)
{
    savedPlacement2_ = placement2_;
    ballToTarget_ = true;
    savedWidth_ = width_;
    savedHeight_ = height_;
    if (mode != RenderContext::kToTarget) {
        placement2_ = pictureBackground.GetValue() == 1 ? mode : RenderContext::kFill;
        Resize(width_, height_);
    }
    Resize(static_cast<int32_t>(chain.Width()), static_cast<int32_t>(chain.Height()));
    // The base keeps the light's own size to give back on the pop.
    width_ = savedWidth_;
    height_ = savedHeight_;
    DS_2D_Light::PushRenderTarget(chain, mode);
}

void DS_GlassBallLight::PopRenderTarget()
{
    ballToTarget_ = false;
    Resize(savedWidth_, savedHeight_);
    placement2_ = pictureBackground.GetValue() == 1 ? savedPlacement2_ : RenderContext::kFill;
    Resize(width_, height_);
    DS_2D_Light::PopRenderTarget();
}
