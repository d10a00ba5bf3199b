#include "effects/brushes/LightFX_II.h"

#include "effects/brushes/LightFX.h"

namespace {

constexpr UINT kGridCells = 2;
constexpr const char* kBlendTechniques[] = {"Blend_Normal", "Blend_Screen", "PS_ColorDodge", "Blend_Sum"};

}  // namespace

DS_LightFX_II::DS_LightFX_II() : intensity(0, 0.01f, 0.0f)
{
    effectLink.StoreValue(FileLinkValue{kEffectModule, kDefaultEffectId});
}

void DS_LightFX_II::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_LightFX_II::Init(MaskEntry& mask)
{
    DS_FX_Constructor::Init(mask);
    BuildGrid(kGridCells, kGridCells);
    BuildGeometry();
}

float DS_LightFX_II::Pulse() const
{
    switch (pulseMode.GetValue()) {
        case kSinePulse:
            return LightSinePulse(Clock());
        case kSquarePulse:
            return LightSquarePulse(Clock());
        case kNoisePulse:
            return LightNoisePulse(Clock());
        default:
            return 1.0f;
    }
}

const char* DS_LightFX_II::BlendTechnique(int32_t mode)
{
    const int32_t count = static_cast<int32_t>(sizeof(kBlendTechniques) / sizeof(kBlendTechniques[0]));
    return mode >= 0 && mode < count ? kBlendTechniques[mode] : nullptr;
}

void DS_LightFX_II::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    const float p = Pulse() * Fade();
    const unsigned long c = color.GetValue();
    const float red = static_cast<float>(c & 0xFFu) / 255.0f;
    const float green = static_cast<float>((c >> 8) & 0xFFu) / 255.0f;
    const float blue = static_cast<float>((c >> 16) & 0xFFu) / 255.0f;
    SetFloats("BlendColor", {red, green, blue, intensity.GetDerived() * p});
    SetTexture("Texture2", mask_.Get());
    SetTexture("Texture1", service->GetSceneTexture().Get());
    if (const char* technique = BlendTechnique(blendMode.GetValue())) SetTechnique(technique);
    DrawPictureQuad(service);
}

void DS_LightFX_II::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    intensity.Write(*ar);
    ar->archive->WriteInt32(pulseMode.GetValue());
    ar->archive->WriteInt32(blendMode.GetValue());
    ar->archive->WriteInt(static_cast<int32_t>(color.GetValue()));
    DS_FX_Constructor::WriteBody(ar);
}

bool DS_LightFX_II::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    intensity.Read(*ar);
    int32_t pulse = 0, blend = 0, colour = 0;
    ar->archive->ReadInt32(pulse);
    ar->archive->ReadInt32(blend);
    ar->archive->ReadInt(colour);
    if (ar->Failed()) return false;
    pulseMode.StoreValue(pulse);
    blendMode.StoreValue(blend);
    color.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(colour)));
    return DS_FX_Constructor::ReadBody(ar);
}
