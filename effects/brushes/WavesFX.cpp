#include "effects/brushes/WavesFX.h"

#include <cmath>
#include <memory>

namespace {

constexpr float kPi = 3.1415927f;
constexpr int32_t kFullTurn = 360;
constexpr unsigned kDefaultWaveValue = 50;
constexpr unsigned kDefaultSpeed = 25;

}  // namespace

DS_WavesFX::DS_WavesFX() : amplitude(kDefaultWaveValue, 0.00025f, 0.0f), wavelength(kDefaultWaveValue, 0.0005f, 0.001f)
{
    speed.SetValue(kDefaultSpeed);
    effectLink.StoreValue(FileLinkValue{kEffectModule, kDefaultEffectId});
    HookListener();
    UpdateDirection();
}

DS_WavesFX::DS_WavesFX(const DS_WavesFX& other)
    : DS_FX_Constructor(other),
      amplitude(other.amplitude),
      wavelength(other.wavelength),
      angle(other.angle),
      crossMode(other.crossMode)
{
    HookListener();
    UpdateDirection();
}

DS_WavesFX::~DS_WavesFX()
{
    // The listeners leave the angle and the mode before the parameters go.
    listeners_.Release();
}

void DS_WavesFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_WavesFX::UpdateDirection()
{
    // The angle as a signed difference from a full turn, as for the
    // direction-based brushes.
    const int32_t turn = kFullTurn - static_cast<int32_t>(angle.GetValue());
    const float g = static_cast<float>(turn) * kPi / 180.0f;
    const float c = std::cos(g), s = std::sin(g);
    direction_[0] = c;
    direction_[1] = s;
    if (crossMode.GetValue() == 0) {
        secondDirection_[0] = -s;
        secondDirection_[1] = c;
    } else {
        secondDirection_[0] = -c;
        secondDirection_[1] = -s;
    }
}

void DS_WavesFX::HookListener()
{
    auto* onAngle = listeners_.Add(std::make_unique<DS_FunLightCtrl2<DS_WavesFX>>(&DS_WavesFX::UpdateDirection, this));
    onAngle->Attach(&angle);
    auto* onMode = listeners_.Add(std::make_unique<DS_FunLightCtrl2<DS_WavesFX>>(&DS_WavesFX::UpdateDirection, this));
    onMode->Attach(&crossMode);
}

void DS_WavesFX::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    SetFloats("direction", {-direction_[0], -direction_[1]});
    SetFloats("direction_n", {secondDirection_[0], secondDirection_[1]});
    SetFloat("frequency", 1.0f / wavelength.GetDerived());
    SetFloat("amplitude", amplitude.GetDerived() * Fade());
    SetFloat("time", Clock() * kTimeRate);
    RenderCommon(service);
}

void DS_WavesFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    amplitude.Write(*ar);
    wavelength.Write(*ar);
    ar->archive->WriteUInt(angle.GetValue());
    ar->archive->WriteInt32(crossMode.GetValue());
    DS_FX_Constructor::WriteBody(ar);
}

bool DS_WavesFX::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    amplitude.Read(*ar);
    wavelength.Read(*ar);
    uint32_t degrees = 0;
    ar->archive->ReadUInt(degrees);
    int32_t mode = 0;
    ar->archive->ReadInt32(mode);
    if (ar->Failed()) return false;
    angle.StoreValue(degrees);
    crossMode.StoreValue(mode);
    return DS_FX_Constructor::ReadBody(ar);
}
