#include "engine/render/Camera.h"

#include <cmath>

#include "engine/params/Random.h"
#include "engine/render/RenderContext.h"

namespace {

const wchar_t kClassName[] = L"DSM_Camera";
const wchar_t kDefaultBorderModule[] = L"common_res.dll";
constexpr int64_t kDefaultBorderResource = 6;
constexpr uint32_t kDefaultZoom = 120;
constexpr float kZoomScale = 0.01f;
constexpr uint32_t kDefaultSpeed = 50;
constexpr float kSpeedScale = 0.02f;
// A slow frame or a pause advances the drift clock by at most this much.
constexpr float kMaxStep = 0.2f;
constexpr float kPauseLength = 0.5f;
constexpr float kMinLegLength = 5.0f;
constexpr float kLegLengthSpread = 2.0f;

// A number in -1..1 from one random draw.
float RandomPan()
{
    return static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax) * 2.0f - 1.0f;
}

}  // namespace

DSM_Camera::DSM_Camera() : borderPath(kDefaultBorderModule), borderStamp(kDefaultBorderResource)
{
    SetZoom(kDefaultZoom);
    SetSpeed(kDefaultSpeed);
}

void DSM_Camera::SetZoom(uint32_t percent)
{
    zoom_ = percent;
    zoomFactor_ = kZoomScale * static_cast<float>(percent);
}

void DSM_Camera::SetSpeed(uint32_t value)
{
    speed_ = value;
    speedFactor_ = kSpeedScale * static_cast<float>(value);
}

void DSM_Camera::Write(DS_IOF_Archive& ar) const
{
    ar.archive->WriteString(kClassName);
    ar.archive->WriteInt(kVersion);
    WriteFields(ar);
}

void DSM_Camera::WriteFields(DS_IOF_Archive& ar) const
{
    DS_IOF_Virtual& a = *ar.archive;
    a.WriteInt32(enabled);
    a.WriteUInt(zoom_);
    a.WriteUInt(speed_);
    a.WriteString(borderPath);
    a.WriteInt64(borderStamp);
}

std::unique_ptr<DSM_Camera> DSM_Camera::ReadRecord(DS_IOF_Archive& ar)
{
    if (!ar.archive) return nullptr;
    ds_string name;
    int32_t version = 0;
    ar.archive->ReadString(name);  // the class is known: the name is not checked
    ar.archive->ReadInt(version);
    auto camera = std::make_unique<DSM_Camera>();
    if (!ReadFields(*camera, ar, version)) return nullptr;
    return camera;
}

bool DSM_Camera::ReadFields(DSM_Camera& camera, DS_IOF_Archive& ar, int32_t version)
{
    if (!ar.archive) return false;
    DS_IOF_Virtual& a = *ar.archive;
    int32_t enabled = camera.enabled;
    uint32_t zoom = camera.zoom_, speed = camera.speed_;
    a.ReadInt32(enabled);
    a.ReadUInt(zoom);
    a.ReadUInt(speed);
    ds_string path = camera.borderPath;
    int64_t stamp = camera.borderStamp;
    if (version > 1) {
        a.ReadString(path);
        a.ReadInt64(stamp);
    }
    if (a.Failed()) return false;
    camera.enabled = enabled;
    camera.SetZoom(zoom);
    camera.SetSpeed(speed);
    camera.borderPath = path;
    camera.borderStamp = stamp;
    return true;
}

void DSM_Camera::CopyFrom(const DSM_Camera& source)
{
    if (this == &source) return;
    *this = source;
}

void DSM_Camera::ResetDrift()
{
    driftMode = kDriftMode;
    fromX = toX = fromY = toY = start = end = 0.0f;
}

void DSM_Camera::PickTarget(float u)
{
    // The order of the draws is fixed: kind, target x, target y, length.
    start = u;
    fromX = toX;
    fromY = toY;
    const int r = DS_Rand();
    if (r % 2 == 0) {
        end = start + kPauseLength;
        return;
    }
    toX = RandomPan();
    toY = RandomPan();
    end = start + kMinLegLength + static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax) * kLegLengthSpread;
}

void DSM_Camera::Update(float t, RenderContext* context)
{
    if (clockLastTime_ > t) clockLastTime_ = t;  // time went backwards
    float step = t - clockLastTime_;
    if (step > kMaxStep) step = kMaxStep;
    clockLastStep_ = speedFactor_ * step;
    clock_ += clockLastStep_;
    clockLastTime_ = t;

    if (enabled != 0 && driftMode == kDriftMode) {
        const float u = clock_;
        if (u >= end) PickTarget(u);
        // Eases in and out: 0 at the leg's start, 1 at its end.
        const float f = end > start ? (1.0f - std::cos(kPi * (u - start) / (end - start))) * 0.5f : 1.0f;
        panX_ = fromX + f * (toX - fromX);
        panY_ = fromY + f * (toY - fromY);
        if (context) context->ZoomAbout(zoomFactor_, panX_, panY_);
    } else {
        panX_ = panY_ = 0.0f;
        if (context) context->ZoomAbout(1.0f, 0.0f, 0.0f);
    }
}
