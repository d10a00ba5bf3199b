#include "effects/lights/FakeLake2D.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/archive/ArchiveValues.h"
#include "engine/render/RenderContext.h"
#include "engine/render/StateWriter.h"
#include "engine/render/TextureUtil.h"
#include "engine/resources/CurrentScene.h"

namespace {

constexpr uint32_t kSmallestCopy = 128;
constexpr float kBumpEdge = 0.01f;
constexpr D3DCOLOR kDepthClearColor = 0xFF000000;

// Whether the device can bump-map and the texture is a V8U8 du/dv map.
bool CanRippleWith(IDirect3DDevice9* device, IDirect3DTexture9* map)
{
    if (!device || !map) return false;
    D3DCAPS9 caps = {};
    if (FAILED(device->GetDeviceCaps(&caps)) || !(caps.TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP)) return false;
    D3DSURFACE_DESC desc = {};
    return SUCCEEDED(map->GetLevelDesc(0, &desc)) && desc.Format == D3DFMT_V8U8;
}

// 0x00BBGGRR as a vertex colour's 0x00RRGGBB.
uint32_t RedFirstToVertexRGB(unsigned long color)
{
    const uint32_t red = color & 0xFF;
    const uint32_t green = (color >> 8) & 0xFF;
    const uint32_t blue = (color >> 16) & 0xFF;
    return (red << 16) | (green << 8) | blue;
}

}  // namespace

FakeLake2D::FakeLake2D()
{
    rippleKey.guid = FreshGuid();
    rippleKey.flag = true;
}

// ---- record ----

void FakeLake2D::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    if (DS_DocResManager* manager = CurrentDocResManager(); manager && rippleMap_) {
        manager->Store().maskTextures[rippleKey] = rippleMap_;
    }
    DS_IOF_Virtual& out = *ar->archive;
    WriteRecordHeader(ar, kClassName, kVersion);
    bumpTiling.Write(*ar);
    speed.Write(*ar);
    lakeHeight.Write(*ar);
    rippleContrast.Write(*ar);
    waterTint.Write(*ar);
    horizonFade.Write(*ar);
    out.WriteUInt(rippleAmplitude.GetValue());
    out.WriteUInt(stripHeight.GetValue());
    out.WriteInt32(reflectionSize.GetValue());
    out.WriteInt(static_cast<int32_t>(lakeColor.GetValue()));
    WriteGuid(rippleKey.guid, ar);
    out.WriteString(rippleKey.name);
    out.WriteBool(rippleKey.flag);
    DS_2D_Light::WriteBody(ar);
}

bool FakeLake2D::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    DS_IOF_Virtual& in = *ar->archive;
    if (version >= 2) {
        bumpTiling.Read(*ar);
        speed.Read(*ar);
        lakeHeight.Read(*ar);
        rippleContrast.Read(*ar);
        waterTint.Read(*ar);
        horizonFade.Read(*ar);
        uint32_t amplitude = 0, strip = 0;
        int32_t size = 0, color = 0;
        in.ReadUInt(amplitude);
        in.ReadUInt(strip);
        in.ReadInt32(size);
        in.ReadInt(color);
        if (ar->Failed()) return false;
        rippleAmplitude.StoreValue(amplitude);
        stripHeight.StoreValue(strip);
        reflectionSize.StoreValue(size);
        lakeColor.StoreValue(static_cast<uint32_t>(color));
    }
    GuidResourceKey key;
    ReadGuid(key.guid, ar);
    in.ReadString(key.name);
    in.ReadBool(key.flag);
    if (ar->Failed()) return false;
    rippleKey = key;
    return DS_2D_Light::ReadBody(ar);
}

// ---- settings ----

float FakeLake2D::LakeFraction() const
{
    return std::clamp(lakeHeight.GetDerived(), 0.0f, 0.5f);
}

uint32_t FakeLake2D::ReflectionSide() const
{
    const int shift = std::clamp(reflectionSize.GetValue(), 0, kMaxReflectionShift);
    return kSmallestCopy << shift;
}

float FakeLake2D::StripPixels(float pictureHeight) const
{
    const float horizon = pictureHeight * (1.0f - LakeFraction());
    return std::min(static_cast<float>(stripHeight.GetValue()), horizon);
}

void FakeLake2D::MirrorBelowHorizon(ScreenQuad& quad, float x)
{
    const float bottom = quad.corners[0].y;
    const float horizon = bottom * (1.0f - x);
    for (int top : {1, 3}) {
        quad.corners[top].y = horizon;
        quad.corners[top].v = 1.0f - x;
    }
    for (int low : {0, 2}) {
        quad.corners[low].y = bottom;
        quad.corners[low].v = 1.0f - 2.0f * x;
    }
}

// ---- device objects ----

HRESULT FakeLake2D::CreateReflectionMesh()
{
    return reflectionMesh_.CreateVertexBuffer(CurrentDevice(), 6);
}

void FakeLake2D::FillReflectionMesh(const ScreenQuad& lake)
{
    PT2* vertices = reflectionMesh_.Lock();
    if (!vertices) return;
    // Top-left, bottom-left, bottom-right; top-left, bottom-right, top-right.
    static constexpr int kCorners[6] = {1, 0, 2, 1, 2, 3};
    for (int i = 0; i < 6; ++i) {
        const ScreenQuad::Corner& corner = lake.corners[kCorners[i]];
        vertices[i].x = corner.x;
        vertices[i].y = corner.y;
        vertices[i].z = 0.0f;
        vertices[i].u1 = corner.u;
        vertices[i].v1 = corner.v;
    }
    reflectionMesh_.Unlock();
}

void FakeLake2D::SetBumpUV(float t)
{
    PT2* vertices = reflectionMesh_.Lock();
    if (!vertices) return;
    const float uv[6][2] = {{kBumpEdge, kBumpEdge}, {kBumpEdge, t}, {t, t}, {kBumpEdge, kBumpEdge}, {t, t}, {t, kBumpEdge}};
    for (int i = 0; i < 6; ++i) {
        vertices[i].u0 = uv[i][0];
        vertices[i].v0 = uv[i][1];
    }
    reflectionMesh_.Unlock();
}

void FakeLake2D::PlaceTintQuads(const ScreenQuad& lake, float pictureHeight)
{
    D3DXVECTOR3 corners[4];
    for (int i = 0; i < 4; ++i) corners[i] = D3DXVECTOR3(lake.corners[i].x, lake.corners[i].y, 0.0f);
    tintQuad_.SetPositions(corners);
    const float horizon = lake.corners[1].y;
    const float top = horizon - StripPixels(pictureHeight);
    const float left = lake.corners[0].x;
    const float right = lake.corners[2].x;
    const D3DXVECTOR3 strip[4] = {{left, horizon, 0.0f}, {left, top, 0.0f}, {right, horizon, 0.0f}, {right, top, 0.0f}};
    horizonStrip_.SetPositions(strip);
}

void FakeLake2D::SetTintAlphas()
{
    const float a = BottomAlpha();
    const float b = HorizonAlpha();
    // Corner order: bottom-left, top-left, bottom-right, top-right; the
    // arguments go to corners 0, 2, 1, 3.
    tintQuad_.SetCornerAlpha(a, a, b, b);
    horizonStrip_.SetCornerAlpha(b, b, 0.0f, 0.0f);
}

void FakeLake2D::SetTintRGB()
{
    const uint32_t rgb = RedFirstToVertexRGB(lakeColor.GetValue());
    tintQuad_.SetRGB(rgb);
    horizonStrip_.SetRGB(rgb);
}

void FakeLake2D::UpdateLakeGeometry()
{
    const float w = static_cast<float>(PictureWidth());
    const float h = static_cast<float>(PictureHeight());
    const float x = LakeFraction();
    hasLake_ = x > 0.0f && w > 0.0f && h > 0.0f;
    if (!hasLake_) return;
    ScreenQuad lake;
    const float corners[4][2] = {{0.0f, h}, {0.0f, 0.0f}, {w, h}, {w, 0.0f}};
    for (int i = 0; i < 4; ++i) {
        lake.corners[i].x = corners[i][0];
        lake.corners[i].y = corners[i][1];
        lake.corners[i].z = 0.0f;
    }
    MirrorBelowHorizon(lake, x);
    FillReflectionMesh(lake);
    PlaceTintQuads(lake, h);
}

void FakeLake2D::CopyPicture()
{
    ComPtr<IDirect3DTexture9> copy;
    if (picture_.HasPicture()) {
        CopyTexture(CurrentDevice(), ReflectionSide(), ReflectionSide(), D3DFMT_UNKNOWN, picture_.Texture(), copy);
    }
    reflection_.SetTextureRef(copy.Get());
}

void FakeLake2D::FindRippleMap()
{
    rippleMap_.Reset();
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        const auto& masks = manager->Store().maskTextures;
        const auto found = masks.find(rippleKey);
        if (found != masks.end()) rippleMap_ = found->second;
    }
    rippled_ = CanRippleWith(CurrentDevice(), rippleMap_.Get());
}

void FakeLake2D::RestoreDeviceObjects()
{
    DS_2D_Light::RestoreDeviceObjects();
    IDirect3DDevice9* device = CurrentDevice();
    ScreenQuad lake;
    lake.FullBackBuffer(device);
    MirrorBelowHorizon(lake, LakeFraction());
    CreateReflectionMesh();
    tintQuad_.SetColor(device, lake, 0);
    horizonStrip_.SetColor(device, lake, 0);
    SetTintAlphas();
    OnPictureChanged();
    UpdateLakeGeometry();
    SetBumpUV(bumpTiling.GetDerived());
    SetTintRGB();
    CopyPicture();
    FindRippleMap();
    firstRestore_ = false;
}

void FakeLake2D::ResetDeviceState()
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    StateWriter states(device);
    states.Render(D3DRS_ZENABLE, FALSE);
    states.Render(D3DRS_ZWRITEENABLE, FALSE);
    states.Render(D3DRS_CULLMODE, D3DCULL_NONE);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    states.Keep(device->SetTransform(D3DTS_WORLD, &identity));
    states.Render(D3DRS_LIGHTING, FALSE);
    states.Render(D3DRS_AMBIENT, 0xFFFFFFFF);
    states.Render(D3DRS_DITHERENABLE, TRUE);
    states.Render(D3DRS_SPECULARENABLE, FALSE);
    for (DWORD sampler : {0u, 1u}) {
        states.Sampler(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        states.Sampler(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        states.Sampler(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
        states.Sampler(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
    }
    states.Stage(1, D3DTSS_TEXCOORDINDEX, 1);
    states.Stage(0, D3DTSS_TEXCOORDINDEX, 0);
    states.Stage(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    states.Keep(SetBumpStates());
    states.Stage(0, D3DTSS_TEXCOORDINDEX, 0);
    // The baseline the slide's objects rely on: stage 0 modulates the
    // texture by the vertex colour, stage 1 is off.
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    states.Stage(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    states.Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    FinishDeviceStateReset();
}

HRESULT FakeLake2D::SetBumpStates()
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return E_FAIL;
    StateWriter states(device);
    if (rippled_) {
        states.Texture(0, rippleMap_.Get());
        states.Sampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
        states.Sampler(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
        states.StageFloat(0, D3DTSS_BUMPENVMAT00, bump_[0]);
        states.StageFloat(0, D3DTSS_BUMPENVMAT01, bump_[1]);
        states.StageFloat(0, D3DTSS_BUMPENVMAT10, bump_[2]);
        states.StageFloat(0, D3DTSS_BUMPENVMAT11, bump_[3]);
        states.Stage(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
        states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        states.Stage(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
        states.Texture(1, reflection_.Texture());
        states.Stage(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        states.Stage(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    } else {
        // Without a usable ripple map the mirror is the copy alone, looked
        // up with the picture coordinates on stage 0.
        states.Texture(0, reflection_.Texture());
        states.Stage(0, D3DTSS_TEXCOORDINDEX, 1);
        states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        states.Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }
    return states.Result();
}

// ---- frame ----

HRESULT FakeLake2D::DrawAlphaTested(AlphaTestedGrid& grid, int32_t value)
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return E_FAIL;
    StateWriter states(device);
    states.Sampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    states.Sampler(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    states.Keep(DS_2D_Light::DrawAlphaTested(grid, value));
    states.Sampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    states.Sampler(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    return states.Result();
}

void FakeLake2D::RenderBackground(bool)
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    // Without a depth buffer this clear fails and changes nothing.
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, kDepthClearColor, 1.0f, 0);
    DS_2D_Light::RenderBackground(false);
    if (!hasLake_ || !reflection_.Texture() || !reflectionMesh_.VertexBuffer()) return;
    StateWriter states(device);
    states.Keep(device->SetStreamSource(0, reflectionMesh_.VertexBuffer(), 0, PT2::kStride));
    states.Keep(SetBumpStates());
    states.Keep(device->SetVertexShader(nullptr));
    states.Keep(device->SetFVF(PT2::kFVF));
    states.Stage(1, D3DTSS_TEXCOORDINDEX, 1);
    if (SUCCEEDED(states.Result())) states.Keep(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2));
    states.Texture(1, nullptr);
    states.Stage(0, D3DTSS_TEXCOORDINDEX, 0);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    states.Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    // The tints blend with their vertex alpha whatever objects left behind.
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    DrawPCMeshBlended(tintQuad_);
    DrawPCMeshBlended(horizonStrip_);
    states.Render(D3DRS_ALPHABLENDENABLE, FALSE);
}

void FakeLake2D::FrameMove(float t)
{
    camera_.Update(t, CurrentRenderContext());
    speed.Update(t);
    const float angle = speed.GetLocalTime() * kRadiansPerLocalSecond;
    bump_[0] = kRippleScale * std::cos(angle);
    bump_[1] = -kRippleScale * std::sin(angle);
    bump_[2] = kRippleScale * std::sin(angle);
    bump_[3] = kRippleScale * std::cos(angle);
}

void FakeLake2D::OnPictureChanged()
{
    LoadPictureTexture();
    Resize(width_, height_);
    CopyPicture();
    DS_2D_Light::Resize(width_, height_);
    UpdateLakeGeometry();
}
