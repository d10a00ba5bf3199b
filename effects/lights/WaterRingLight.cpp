#include "effects/lights/WaterRingLight.h"

#include <algorithm>
#include <cmath>

#include "engine/render/RenderContext.h"
#include "engine/render/StateWriter.h"
#include "engine/resources/CurrentScene.h"

namespace {

constexpr float kHalfGrid = DS_WaterRingLight::kGridHeight * 0.5f;
constexpr D3DCOLOR kOpaqueBlack = 0xFF000000;

D3DCOLORVALUE Colour(float r, float g, float b, float a)
{
    return D3DCOLORVALUE{r, g, b, a};
}

}  // namespace

DS_WaterRingLight::DS_WaterRingLight() : grid_(std::make_unique<WaterGrid>())
{
    light_.Type = D3DLIGHT_DIRECTIONAL;
    light_.Direction = D3DVECTOR{0.5f, -1.0f, 1.0f};
    light_.Diffuse = Colour(1.0f, 1.0f, 1.0f, 1.0f);
    light_.Specular = Colour(1.0f, 1.0f, 1.0f, 0.0f);
    D3DXMatrixIdentity(&eye_);
    D3DXMatrixIdentity(&view_);
    D3DXMatrixIdentity(&projection_);
}

DS_WaterRingLight::~DS_WaterRingLight() = default;

// ---- record ----

void DS_WaterRingLight::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    DS_IOF_Virtual& out = *ar->archive;
    WriteRecordHeader(ar, kClassName, kVersion);
    for (const MediaParamT<unsigned>* setting : {&waveSpeed, &gridAspect, &gridDensity, &dropSize, &damping, &depth}) {
        out.WriteUInt(setting->GetValue());
    }
    dropRate.Write(*ar);
    specularLevel.Write(*ar);
    shininess.Write(*ar);
    WriteParam(*ar, mode);
    DS_2D_Light::WriteBody(ar);
}

bool DS_WaterRingLight::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    if (version >= 2) {
        for (MediaParamT<unsigned>* setting : {&waveSpeed, &gridAspect, &gridDensity, &dropSize, &damping, &depth}) {
            uint32_t value = 0;
            ar->archive->ReadUInt(value);
            if (ar->Failed()) return false;
            setting->StoreValue(value);
        }
        dropRate.Read(*ar);
        specularLevel.Read(*ar);
        shininess.Read(*ar);
    }
    ReadParam(*ar, mode);
    if (ar->Failed()) return false;
    return DS_2D_Light::ReadBody(ar);
}

// ---- settings ----

float DS_WaterRingLight::DampingFor(unsigned value)
{
    value = std::min(value, kMaxDamping);
    if (value >= 50) return 0.99f + static_cast<float>(value - 50) * 0.009f * 0.02f;
    return 0.9f + static_cast<float>(value) * 0.09f * 0.02f;
}

float DS_WaterRingLight::PictureRatio() const
{
    const float ratio = picture_.Entry().ratio;
    return ratio > 0.0f && std::isfinite(ratio) ? ratio : 1.0f;
}

void DS_WaterRingLight::ApplyGridSettings()
{
    grid_->refractionK = 1.0f + 0.02f * static_cast<float>(waveSpeed.GetValue());
    grid_->dropStrength = 0.1f + 0.01f * 0.7f * static_cast<float>(dropSize.GetValue());
    grid_->damping = DampingFor(damping.GetValue());
    grid_->depth = 0.01f * static_cast<float>(depth.GetValue());
}

void DS_WaterRingLight::ResizeGrid()
{
    grid_->Resize(kGridHeight / PictureRatio(), kGridHeight, 1.0f + 0.01f * static_cast<float>(gridAspect.GetValue()),
                  1.0f + 0.01f * static_cast<float>(gridDensity.GetValue()));
    grid_->Drop();
}

void DS_WaterRingLight::SetMaterial()
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    const float s = specularLevel.GetDerived();
    D3DMATERIAL9 material = {};
    material.Diffuse = Colour(0.0f, 0.0f, 0.0f, 1.0f);
    material.Specular = Colour(s, s, s, 0.0f);
    material.Power = shininess.GetDerived();
    device->SetMaterial(&material);
}

// ---- device objects ----

void DS_WaterRingLight::RestoreDeviceObjects()
{
    DS_2D_Light::RestoreDeviceObjects();
    WaterGrid::BuildRefractionTable();
    D3DXMatrixRotationX(&eye_, -1.5707964f);
    eye_._41 = 0.0f;
    eye_._42 = kEyeHeight;
    eye_._43 = 0.0f;
    D3DXMatrixInverse(&view_, nullptr, &eye_);
    ApplyGridSettings();
    ResizeGrid();
    SetMaterial();
}

void DS_WaterRingLight::ResetDeviceState()
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    StateWriter states(device);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    states.Keep(device->SetLight(0, &light_));
    states.Keep(device->LightEnable(0, TRUE));
    SetMaterial();
    states.Keep(device->SetFVF(D3DFVF_XYZ));
    states.Keep(device->SetTransform(D3DTS_VIEW, &view_));
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    states.Keep(device->SetTransform(D3DTS_WORLD, &identity));
    states.Render(D3DRS_LIGHTING, FALSE);
    states.Render(D3DRS_SPECULARENABLE, FALSE);
    states.Render(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    states.Render(D3DRS_CULLMODE, D3DCULL_NONE);
    states.Render(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    for (DWORD stage : {0u, 1u}) {
        states.Stage(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
        states.Stage(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        states.Stage(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
        states.Stage(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        states.Stage(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        states.Stage(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
        states.Stage(stage, D3DTSS_TEXCOORDINDEX, 0);
    }
    // Stage 0 shows its texture from the first frame on: the picture that
    // mode 1 draws before the water would otherwise come out black.
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    states.Render(D3DRS_ZENABLE, FALSE);
    states.Render(D3DRS_LIGHTING, TRUE);
    states.Render(D3DRS_SPECULARENABLE, TRUE);
    states.Sampler(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    states.Sampler(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    states.Sampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
    states.Sampler(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
    ApplyGridSettings();
    ResizeGrid();
    Resize(width_, height_);
    FinishDeviceStateReset();
}

void DS_WaterRingLight::InvalidateDeviceObjects()
{
    DS_2D_Light::InvalidateDeviceObjects();
    // The device lets go of the water's buffers too, so that nothing of the
    // default pool outlives the reset (the managed index strip stays).
    if (IDirect3DDevice9* device = CurrentDevice(); device && grid_->HasBuffers()) {
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
    }
    grid_->ReleaseDeviceBuffers();
}

// ---- render service: objects draw unlit ----

template <class Draw>
HRESULT DS_WaterRingLight::Unlit(Draw draw)
{
    IDirect3DDevice9* device = CurrentDevice();
    if (device) device->SetRenderState(D3DRS_LIGHTING, FALSE);
    const HRESULT hr = draw();
    if (device) device->SetRenderState(D3DRS_LIGHTING, TRUE);
    return hr;
}

HRESULT DS_WaterRingLight::DrawMesh(const DS_IndexedMesh<DX_V::PCT>& mesh, ID3DXEffect* effect, UINT triangleCount)
{
    return Unlit([&] { return DS_2D_Light::DrawMesh(mesh, effect, triangleCount); });
}

HRESULT DS_WaterRingLight::Draw3DObject(const Part3DDraw& part)
{
    return Unlit([&] { return DS_2D_Light::Draw3DObject(part); });
}

HRESULT DS_WaterRingLight::DrawSpriteArray(const SpriteArrayDraw& sprites)
{
    return Unlit([&] { return DS_2D_Light::DrawSpriteArray(sprites); });
}

HRESULT DS_WaterRingLight::DrawMeshList(const TexturedPNTMesh& mesh)
{
    return Unlit([&] { return DS_2D_Light::DrawMeshList(mesh); });
}

HRESULT DS_WaterRingLight::DrawScreenVertices(const DS_SimpleMesh<TP>* quad)
{
    const HRESULT hr = DS_2D_Light::DrawScreenVertices(quad);
    if (IDirect3DDevice9* device = CurrentDevice()) device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    return hr;
}

HRESULT DS_WaterRingLight::DrawTexturedQuadBlended(const DS_TexturedMesh<TPC>& quad)
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return E_FAIL;
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    const HRESULT hr = DS_2D_Light::DrawTexturedQuadBlended(quad);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    return hr;
}

// ---- frame ----

HRESULT DS_WaterRingLight::DrawRipples(IDirect3DTexture9* texture)
{
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!device || !context) return E_FAIL;
    StateWriter states(device);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    states.Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    states.Keep(device->SetTransform(D3DTS_WORLD, &identity));

    // The camera's drift, as a fraction of the picture, moves the water
    // with the picture.
    D3DXMATRIX placement;
    D3DXMatrixMultiply(&placement, &context->Camera(), &context->OffsetScale());
    const float pw = static_cast<float>(PictureWidth());
    const float ph = static_cast<float>(PictureHeight());
    const float tx = pw > 0.0f && placement._11 != 0.0f ? (placement._41 / placement._11) / pw : 0.0f;
    const float ty = ph > 0.0f && placement._22 != 0.0f ? (placement._42 / placement._22) / ph : 0.0f;
    const float gw = grid_->Width();
    const float gh = grid_->Height();
    D3DXMATRIX t1, t2, zoom, view;
    D3DXMatrixTranslation(&t1, tx * gw + gw * 0.5f, 0.0f, ty * gh + gh * 0.5f);
    D3DXMatrixTranslation(&t2, -gw * 0.5f, gh * 0.5f, 0.0f);
    context->GetTransform(zoom);
    D3DXMatrixMultiply(&view, &t1, &view_);
    D3DXMatrixMultiply(&view, &view, &zoom);
    D3DXMatrixMultiply(&view, &view, &t2);
    states.Keep(device->SetTransform(D3DTS_VIEW, &view));
    states.Keep(device->SetTransform(D3DTS_PROJECTION, &projection_));
    states.Keep(device->SetTexture(0, texture));
    if (SUCCEEDED(states.Result())) states.Keep(grid_->Draw());
    states.Keep(context->Apply(device));
    return states.Result();
}

void DS_WaterRingLight::DrawBorders(bool skip)
{
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    // A frame that went straight to the back buffer (no chain textures) has
    // no finished scene to look at through the water.
    if (mode.GetValue() == kSceneMode && inChain_ && device && context) {
        context->Setup(device, PictureWidth(), PictureHeight(), static_cast<float>(width_), static_cast<float>(height_),
                       pictureMode_, false);
        chain_.End();
        inChain_ = false;
        // Target and depth buffer; a device without a depth buffer takes
        // the colour alone.
        if (FAILED(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kOpaqueBlack, 1.0f, 0))) {
            device->Clear(0, nullptr, D3DCLEAR_TARGET, kOpaqueBlack, 1.0f, 0);
        }
        DrawRipples(chain_.Current());
    }
    DS_2D_Light::DrawBorders(skip);
}

void DS_WaterRingLight::RenderBackground(bool)
{
    if (mode.GetValue() == kSceneMode) {
        DS_2D_Light::RenderBackground(false);
        return;
    }
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    device->SetTexture(0, picture_.Texture());
    if (picture_.VertexBuffer()) picture_.BindStream(device);
    DrawRipples(picture_.Texture());
}

void DS_WaterRingLight::FrameMove(float t)
{
    camera_.Update(t, CurrentRenderContext());
    if (t < lastDropTime_) lastDropTime_ = t;
    // Rate 0: the interval is infinite and no drop falls.
    if (t - lastDropTime_ > 1.0f / dropRate.GetDerived()) {
        grid_->Drop();
        lastDropTime_ = t;
    }
    grid_->Step(D3DXVECTOR3(eye_._41, eye_._42, eye_._43));
}

void DS_WaterRingLight::Resize(int32_t w, int32_t h)
{
    if (!toTarget_) {
        width_ = w;
        height_ = h;
    }
    if (w == 0 || h == 0) return;
    DS_2D_Light::Resize(w, h);
    const float c = PictureRatio();
    const float aspect = static_cast<float>(w) / static_cast<float>(h);
    float halfWidth = 0.0f, halfHeight = 0.0f;
    if (c * aspect > 1.0f) {
        halfWidth = kHalfGrid * aspect;
        halfHeight = kHalfGrid;
    } else {
        halfWidth = kHalfGrid / c;
        halfHeight = halfWidth / aspect;
    }
    D3DXMatrixOrthoOffCenterRH(&projection_, -halfWidth, halfWidth, -halfHeight, halfHeight, -1.0f, 2000.0f);
    if (IDirect3DDevice9* device = CurrentDevice()) device->SetTransform(D3DTS_PROJECTION, &projection_);
}

void DS_WaterRingLight::SetPicturePosition(int32_t position)
{
    DS_2D_Light::SetPicturePosition(position);
    Resize(width_, height_);
}

void DS_WaterRingLight::BeginFrame()
{
    DS_2D_Light::BeginFrame();
    if (mode.GetValue() != kSceneMode) {
        DS_2D_Light::SetPicturePosition(RenderContext::kStretch);
        Resize(width_, height_);
    }
}

RenderTargetChain& DS_WaterRingLight::FinalRenderTarget(bool clear)
{
    if (mode.GetValue() != kSceneMode) {
        DS_2D_Light::SetPicturePosition(RenderContext::kFit);
        Resize(width_, height_);
    }
    return DS_2D_Light::FinalRenderTarget(clear);
}

bool DS_WaterRingLight::NeedsSceneTexture() const
{
    return mode.GetValue() == kSceneMode;
}
