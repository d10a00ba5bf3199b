#include "effects/brushes/WaterfallFX.h"

#include <algorithm>
#include <cmath>

#include "engine/resources/CurrentScene.h"

namespace {

constexpr float kSpeedScale = 0.02f;
constexpr float kNoiseDrift = 0.1f;
constexpr UINT kGridCells = 2;

}  // namespace

DS_WaterfallFX::DS_WaterfallFX()
    : layerTranslucency(0, -0.01f, 1.0f),
      noiseAmplitude(0, 0.0001f, 0.0f),
      fourthValue(0, 1.0f, 0.0f),
      threshold(0, -0.001f, 1.0f)
{
    strength.SetScale(0.004f);
    speed.SetScale(kSpeedScale);
}

void DS_WaterfallFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_WaterfallFX::Init(MaskEntry& mask)
{
    layers_.resize(std::min<unsigned>(layerCount.GetValue(), kMaxLayers));
    ComPtr<IDirect3DTexture9> noise;
    // An empty set has no current texture: the noise pass is then left out.
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        noise.Set(manager->GetTextureSet(noiseImage).CurrentTexture());
    }
    noiseTexture_ = noise;
    DS_FX_Constructor::Init(mask);
    // A grid that cannot be made (no device) draws nothing; the passes then
    // leave the picture as it is.
    BuildGrid(kGridCells, kGridCells);
    BuildGeometry();
}

void DS_WaterfallFX::Update(float t)
{
    DS_FX_Constructor::Update(t);
    const float clock = Clock();
    const float reach = strength.GetDerived();
    const float peak = layerTranslucency.GetDerived();
    const float dx = Direction()[0], dy = Direction()[1];
    const float step = layers_.empty() ? 0.0f : 1.0f / static_cast<float>(layers_.size());
    float phase = clock;
    for (Layer& layer : layers_) {
        const float f = phase - std::trunc(phase);
        layer.shiftX = -(reach * dx * f);
        layer.shiftY = -(reach * dy * f);
        layer.translucency = peak * (1.0f - std::fabs(2.0f * f - 1.0f));
        phase += step;
    }
    const float s = scale.GetDerived();
    noiseShift_[0] = -(clock * dx * kNoiseDrift) / s;
    noiseShift_[1] = -(clock * dy * kNoiseDrift) / s;
}

void DS_WaterfallFX::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    SetMaskAndBackground(service);
    if (hidden.GetValue() != 0) return;
    if (noiseAmplitude.GetValue() != 0 && noiseTexture_) RenderNoise(service);
    if (!layers_.empty()) RenderColorWaves(service);
}

void DS_WaterfallFX::RenderNoise(DS_ABRender* service)
{
    const float a = PictureAspect(service);
    const float s = scale.GetDerived();
    SetTexture("NoiseMap", noiseTexture_.Get());
    SetTechnique("Noise");
    SetFloats("noise_shift", {noiseShift_[0], noiseShift_[1]});
    SetFloats("bump_scale", {a / s, 1.0f / s});
    SetFloat("noise_amplitude", noiseAmplitude.GetDerived());
    DrawGrid(service);
}

void DS_WaterfallFX::RenderColorWaves(DS_ABRender* service)
{
    SetTechnique("ColorWaves");
    SetColor("base_color", baseColor.GetValue());
    SetFloat("treshold", threshold.GetDerived());
    for (const Layer& layer : layers_) {
        SetFloats("shift", {layer.shiftX, layer.shiftY});
        SetFloat("transluency", layer.translucency);
        DrawGrid(service);
    }
}

void DS_WaterfallFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    layerTranslucency.Write(*ar);
    ar->archive->WriteUInt(layerCount.GetValue());
    noiseAmplitude.Write(*ar);
    fourthValue.Write(*ar);
    threshold.Write(*ar);
    if (DS_DocResManager* manager = CurrentDocResManager()) manager->MarkForSave(noiseImage);
    noiseImage.Write(*ar);
    ar->archive->WriteInt(static_cast<int32_t>(baseColor.GetValue()));
    ar->archive->WriteInt32(hidden.GetValue());
    DS_DirectionBased::WriteBody(ar);
}

bool DS_WaterfallFX::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    DS_IOF_Virtual& in = *ar->archive;
    layerTranslucency.Read(*ar);
    uint32_t count = 0;
    in.ReadUInt(count);
    noiseAmplitude.Read(*ar);
    fourthValue.Read(*ar);
    threshold.Read(*ar);
    DS_FileLink3 noise;
    noise.Read(*ar);
    int32_t colour = 0;
    in.ReadInt(colour);
    int32_t hide = 0;
    in.ReadInt32(hide);
    if (ar->Failed()) return false;
    layerCount.StoreValue(std::min<uint32_t>(count, kMaxLayers));
    noiseImage.StoreValue(noise.GetValue());
    baseColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(colour)));
    hidden.StoreValue(hide);
    return DS_DirectionBased::ReadBody(ar);
}
