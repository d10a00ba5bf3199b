#include "effects/brushes/RadialWaveFX.h"

DS_RadialWaveFX::DS_RadialWaveFX()
    : amplitude(50, 0.00025f, 0.0f), wavelength(50, 0.0001f, 0.001f), backgroundScale(50, 1.0f, 25.0f)
{
    speed.SetValue(50);
    effectLink.StoreValue(FileLinkValue{kEffectModule, kDefaultEffectId});
}

void DS_RadialWaveFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

float DS_RadialWaveFX::WaveTime() const
{
    return Clock() * (direction.GetValue() != 0 ? kTimeRate : -kTimeRate);
}

void DS_RadialWaveFX::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    // Height over width of the picture; the aspect helper guards a picture
    // of size 0.
    const float heightOverWidth = 1.0f / PictureAspect(service);
    SetFloats("bg_scale_factor", {1.0f, kNeutralBackgroundScale / backgroundScale.GetDerived() * heightOverWidth});
    float x = 0.0f, y = 0.0f;
    CenterInView(x, y);
    SetFloats("center", {x, y});
    SetFloat("frequency", 1.0f / wavelength.GetDerived());
    SetFloat("amplitude", amplitude.GetDerived() * Fade());
    SetFloat("time", WaveTime());
    RenderCommon(service);
}

void DS_RadialWaveFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    amplitude.Write(*ar);
    wavelength.Write(*ar);
    backgroundScale.Write(*ar);
    ar->archive->WriteInt32(direction.GetValue());
    DS_CentralBased::WriteBody(ar);
}

bool DS_RadialWaveFX::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    if (static_cast<uint32_t>(version) >= kFieldsVersion) {
        amplitude.Read(*ar);
        wavelength.Read(*ar);
        backgroundScale.Read(*ar);
        int32_t turn = 0;
        ar->archive->ReadInt32(turn);
        if (ar->Failed()) return false;
        direction.StoreValue(turn);
    }
    return DS_CentralBased::ReadBody(ar);
}
