#include "effects/brushes/BendFX.h"

#include <cmath>

#include "engine/params/Noise.h"

namespace {

constexpr float kBendScale = 0.002f;
constexpr float kFactorScale = 0.02f;
constexpr float kSpeedScale = 0.02f;
constexpr UINT kGridCells = 2;
// OctaveNoise1D settings of the noise mode.
constexpr double kNoiseRate = 50.0;
constexpr double kNoiseScale = 75.0;
constexpr double kNoisePersistence = 0.5;
constexpr int kNoiseOctaves = 3;

}  // namespace

DS_BendFX::DS_BendFX()
    : firstBend(0, kBendScale, 0.0f), secondBend(0, kBendScale, 0.0f), bendFactor(0, kFactorScale, 0.0f)
{
    speed.SetScale(kSpeedScale);
}

void DS_BendFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_BendFX::Init(MaskEntry& mask)
{
    DS_FX_Constructor::Init(mask);
    BuildGrid(kGridCells, kGridCells);
    BuildGeometry();
}

void DS_BendFX::Update(float t)
{
    DS_FX_Constructor::Update(t);
    const float c = Clock();
    const float a = firstBend.GetDerived();
    const float b = secondBend.GetDerived();
    float bend = std::sin(c) * (a + b) * 0.5f + (a - b) * 0.5f;
    if (noiseMode.GetValue() == kNoiseMode) {
        const double n =
            OctaveNoise1D(static_cast<double>(c) * kNoiseRate, kNoiseScale, kNoisePersistence, kNoiseOctaves);
        bend += bend * static_cast<float>(std::sin(n));
    }
    currentBend_ = bend;
}

void DS_BendFX::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    SetCenterParam(service);
    SetFloat("Angle", Fade() * currentBend_);
    SetFloat("Bend", bendFactor.GetDerived());
    RenderMesh(service);
}

void DS_BendFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    firstBend.Write(*ar);
    secondBend.Write(*ar);
    bendFactor.Write(*ar);
    ar->archive->WriteInt32(noiseMode.GetValue());
    DS_CentralBased::WriteBody(ar);
}

bool DS_BendFX::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    firstBend.Read(*ar);
    secondBend.Read(*ar);
    bendFactor.Read(*ar);
    int32_t mode = 0;
    ar->archive->ReadInt32(mode);
    if (ar->Failed()) return false;
    noiseMode.StoreValue(mode);
    return DS_CentralBased::ReadBody(ar);
}
