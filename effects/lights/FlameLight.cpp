#include "effects/lights/FlameLight.h"

#include <memory>

#include "engine/render/RenderContext.h"
#include "engine/render/StateWriter.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"

namespace {

// Transforms that place object (picture pixels) on the target as the
// context would, shifted by half a target pixel up and to the left. Direct3D
// 9 puts pixel centres on whole screen coordinates, so a quad that covers a
// target of the scene texture's size samples that texture on texel centres
// only with this shift: without it the redrawn scene comes out half a pixel
// off and blurred. The context's Apply puts its own transforms back.
HRESULT PlaceOnPixelCentres(IDirect3DDevice9* device, const RenderContext& context, const D3DXMATRIX& object,
                            float targetWidth, float targetHeight)
{
    if (targetWidth <= 0.0f || targetHeight <= 0.0f) return context.SetWorld(device, object);
    D3DXMATRIX toScreen, halfPixel, identity;
    context.ToScreen(toScreen, object);
    // Clip space spans two units across the target.
    D3DXMatrixTranslation(&halfPixel, -1.0f / targetWidth, 1.0f / targetHeight, 0.0f);
    D3DXMatrixMultiply(&toScreen, &toScreen, &halfPixel);
    D3DXMatrixIdentity(&identity);
    HRESULT hr = device->SetTransform(D3DTS_WORLD, &identity);
    if (SUCCEEDED(hr)) hr = device->SetTransform(D3DTS_VIEW, &identity);
    if (SUCCEEDED(hr)) hr = device->SetTransform(D3DTS_PROJECTION, &toScreen);
    return hr;
}

}  // namespace

DS_FlameLight::DS_FlameLight()
{
    fire_.patternImage.StoreValue(FileLinkValue{DS_FX_Constructor::kEffectModule, kFlamePatternId});
    fire_.noiseImage.StoreValue(FileLinkValue{DS_FX_Constructor::kEffectModule, kFlameNoiseId});
}

// ---- record ----

void DS_FlameLight::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    DS_IOF_Virtual& out = *ar->archive;
    WriteRecordHeader(ar, kClassName, kVersion);
    out.WriteInt32(fireFlag.GetValue());
    out.WriteInt32(distortionFlag.GetValue());
    out.WriteUInt(flameOffset.GetValue());
    if (DS_DocResManager* manager = CurrentDocResManager()) manager->MarkForSave(distortion_.bumpImage);
    distortion_.bumpImage.Write(*ar);
    distortion_.effectLink.Write(*ar);
    distortion_.speed.Write(*ar);
    distortion_.strength.Write(*ar);
    distortion_.bumpScale.Write(*ar);
    fire_.Write(ar);
    DS_2D_Light::WriteBody(ar);
}

bool DS_FlameLight::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    DS_IOF_Virtual& in = *ar->archive;
    // Versions below 2 have the oldest layout.
    const bool oldest = version < kVersion;
    int32_t fire = 0, distortion = 0;
    uint32_t offset = 0, fireSpeed = 0;
    in.ReadInt32(fire);
    in.ReadInt32(distortion);
    in.ReadUInt(offset);
    if (oldest) in.ReadUInt(fireSpeed);
    DS_FileLink3 bump, effect;
    bump.Read(*ar);
    effect.Read(*ar);
    if (ar->Failed()) return false;
    fireFlag.StoreValue(fire);
    distortionFlag.StoreValue(distortion);
    flameOffset.StoreValue(offset);
    if (oldest) fire_.speed.SetValue(fireSpeed);
    distortion_.bumpImage.StoreValue(bump.GetValue());
    distortion_.effectLink.StoreValue(effect.GetValue());
    distortion_.speed.Read(*ar);
    distortion_.strength.Read(*ar);
    distortion_.bumpScale.Read(*ar);
    if (ar->Failed()) return false;
    if (oldest) {
        // Two links of the old fire, no longer used: the fire keeps the
        // flame pictures the constructor gave it.
        DS_FileLink3 dropped;
        dropped.Read(*ar);
        dropped.Read(*ar);
        if (ar->Failed()) return false;
    } else {
        std::unique_ptr<DS_FireFX> stored = DS_FireFX::ReadRecord(ar);
        if (!stored) {
            ar->Fail();
            return false;
        }
        fire_ = *stored;
    }
    return DS_2D_Light::ReadBody(ar);
}

// ---- device objects ----

void DS_FlameLight::RestoreDeviceObjects()
{
    DS_2D_Light::RestoreDeviceObjects();
    // x, y, z, u, v in strip order; the positions follow the picture in
    // PlaceFlameBand.
    const float corners[20] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f,         0.0f, 0.0f, 0.0f, 1.0f, 0.0f,
                               0.0f, 0.0f, 0.0f, 0.0f, kBandBottomV, 0.0f, 0.0f, 0.0f, 1.0f, kBandBottomV};
    if (IDirect3DDevice9* device = CurrentDevice()) flameMesh_.SetVertices(device, corners);
    if (!distortion_.RestoreDeviceObjects()) distortionFlag.SetValue(0);
    OnPictureChanged();
    // No mask: the flames are drawn on the layer's own quad.
    DS_FX_Constructor::MaskEntry noMask;
    fire_.Init(noMask);
}

void DS_FlameLight::ResetDeviceState()
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    StateWriter states(device);
    states.Render(D3DRS_CULLMODE, D3DCULL_NONE);
    states.Render(D3DRS_LIGHTING, FALSE);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    states.Keep(device->SetTransform(D3DTS_WORLD, &identity));
    states.Stage(1, D3DTSS_TEXCOORDINDEX, 1);
    states.Stage(0, D3DTSS_TEXCOORDINDEX, 0);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    states.Stage(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    states.Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    for (DWORD sampler = 0; sampler < 4; ++sampler) {
        states.Sampler(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        states.Sampler(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    states.Sampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    states.Sampler(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    states.Render(D3DRS_ZENABLE, FALSE);
    DS_2D_Light::Resize(width_, height_);
    FinishDeviceStateReset();
}

// ---- frame ----

void DS_FlameLight::RenderBackground(bool)
{
    DS_2D_Light::RenderBackground(false);
    if (fireFlag.GetValue() == 0 || !flameMesh_.VertexBuffer()) return;
    if (fire_.PrepareAsEffect(flameMesh_)) DrawWithEffect(flameMesh_, fire_.Effect());
}

void DS_FlameLight::DrawBorders(bool skip)
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    if (distortionFlag.GetValue() != 0 && InChain()) {
        RenderTargetChain& chain = FinalRenderTarget(false);
        IDirect3DTexture9* scene = chain.Current();
        RenderContext* context = CurrentRenderContext();
        if (scene && context &&
            SUCCEEDED(PlaceOnPixelCentres(device, *context, distortion_.Quad().combined,
                                          static_cast<float>(chain.Width()), static_cast<float>(chain.Height())))) {
            distortion_.Draw(scene);
            context->Apply(device);
        }
    }
    StateWriter states(device);
    states.Render(D3DRS_CULLMODE, D3DCULL_NONE);
    DS_2D_Light::DrawBorders(skip);
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
}

void DS_FlameLight::FrameMove(float t)
{
    fire_.Update(t);
    DS_2D_Light::FrameMove(t);
    distortion_.Update(t);
}

void DS_FlameLight::OnPictureChanged()
{
    LoadPictureTexture();
    Resize(width_, height_);
    DS_2D_Light::Resize(width_, height_);
    distortion_.Resize(static_cast<float>(PictureWidth()), static_cast<float>(PictureHeight()));
    PlaceFlameBand();
}

void DS_FlameLight::FlameBand(float pictureHeight, unsigned offset, float& top, float& bottom)
{
    bottom = pictureHeight * (1.0f + kOffsetShare * static_cast<float>(offset));
    top = bottom - kBandShare * pictureHeight;
}

void DS_FlameLight::PlaceFlameBand()
{
    const float w = static_cast<float>(PictureWidth());
    float top = 0.0f, bottom = 0.0f;
    FlameBand(static_cast<float>(PictureHeight()), flameOffset.GetValue(), top, bottom);
    const D3DXVECTOR3 corners[4] = {{0.0f, top, 0.0f}, {w, top, 0.0f}, {0.0f, bottom, 0.0f}, {w, bottom, 0.0f}};
    flameMesh_.SetPositions(corners);
}
