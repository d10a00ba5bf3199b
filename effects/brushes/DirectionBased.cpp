#include "effects/brushes/DirectionBased.h"

#include <cmath>
#include <memory>

namespace {

constexpr float kPi = 3.1415927f;
constexpr int32_t kFullTurn = 360;

}  // namespace

DS_DirectionBased::DS_DirectionBased() : strength(0, 1.0f, 0.0f)
{
    HookListener();
    UpdateDirection();
}

DS_DirectionBased::DS_DirectionBased(const DS_DirectionBased& other)
    : DS_FX_Constructor(other), strength(other.strength), angle(other.angle)
{
    HookListener();
    UpdateDirection();
}

DS_DirectionBased::~DS_DirectionBased()
{
    // The listener leaves the angle before the parameters go.
    listeners_.Release();
}

void DS_DirectionBased::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_DirectionBased::UpdateDirection()
{
    // The angle as a signed difference from a full turn.
    const int32_t turn = kFullTurn - static_cast<int32_t>(angle.GetValue());
    const float g = static_cast<float>(turn) * kPi / 180.0f;
    direction_[0] = std::cos(g);
    direction_[1] = std::sin(g);
    direction_[2] = 0.0f;
    direction_[3] = 0.0f;
}

void DS_DirectionBased::HookListener()
{
    auto* listener = listeners_.Add(
        std::make_unique<DS_FunLightCtrl2<DS_DirectionBased>>(&DS_DirectionBased::UpdateDirection, this));
    listener->Attach(&angle);
}

void DS_DirectionBased::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    strength.Write(*ar);
    ar->archive->WriteUInt(angle.GetValue());
    DS_FX_Constructor::WriteBody(ar);
}

bool DS_DirectionBased::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    ReadRecordHeader(ar);
    strength.Read(*ar);
    uint32_t degrees = 0;
    ar->archive->ReadUInt(degrees);
    if (ar->Failed()) return false;
    angle.StoreValue(degrees);
    return DS_FX_Constructor::ReadBody(ar);
}
