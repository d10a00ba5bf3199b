#include "engine/render/Camera.h"

#include <cmath>

#include "engine/params/Random.h"
#include "engine/render/RenderContext.h"
#include "engine/resources/DocResManager.h"

namespace {

const wchar_t kClassName[] = L"DSM_Camera";
const wchar_t kDefaultBorderModule[] = L"common_res.dll";
constexpr int64_t kDefaultBorderResource = 6;
constexpr uint32_t kDefaultZoom = 120;
constexpr float kZoomScale = 0.01f;
constexpr uint32_t kDefaultSpeed = 50;
constexpr float kSpeedScale = 0.02f;
constexpr float kPauseLength = 0.5f;
constexpr float kMinLegLength = 5.0f;
constexpr float kLegLengthSpread = 2.0f;

// A number in -1..1 from one random draw.
float RandomPan()
{
    return static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax) * 2.0f - 1.0f;
}

}  // namespace

DSM_Camera::DSM_Camera()
    : zoom(kDefaultZoom, kZoomScale, 0.0f),
      speed(kDefaultSpeed, kSpeedScale, 0.0f),
      borderPath(kDefaultBorderModule),
      borderStamp(kDefaultBorderResource)
{
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
    a.WriteUInt(zoom.GetValue());
    a.WriteUInt(speed.GetValue());
    // The border picture's bytes are saved with the document like every
    // other picture a written scene names.
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        manager->MarkForSave(DS_FileLink3(FileLinkValue{borderPath, borderStamp}));
    }
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
    uint32_t zoomValue = camera.zoom.GetValue(), speedValue = camera.speed.GetValue();
    a.ReadInt32(enabled);
    a.ReadUInt(zoomValue);
    a.ReadUInt(speedValue);
    ds_string path = camera.borderPath;
    int64_t stamp = camera.borderStamp;
    if (version > 1) {
        a.ReadString(path);
        a.ReadInt64(stamp);
    }
    if (a.Failed()) return false;
    camera.enabled = enabled;
    // Set through the parameters so that their factors follow.
    camera.zoom.SetValue(zoomValue);
    camera.speed.SetValue(speedValue);
    camera.borderPath = path;
    camera.borderStamp = stamp;
    return true;
}

void DSM_Camera::CopyFrom(const DSM_Camera& source)
{
    if (this == &source) return;
    enabled = source.enabled;
    zoom.SetScale(source.zoom.GetScale());
    zoom.SetOffset(source.zoom.GetOffset());
    zoom.SetValue(source.zoom.GetValue());
    speed.SetScale(source.speed.GetScale());
    speed.SetOffset(source.speed.GetOffset());
    speed.SetValue(source.speed.GetValue());
    speed.CopyClockFrom(source.speed);
    driftMode = source.driftMode;
    borderPath = source.borderPath;
    borderStamp = source.borderStamp;
    fromX = source.fromX;
    toX = source.toX;
    fromY = source.fromY;
    toY = source.toY;
    start = source.start;
    end = source.end;
    panX_ = source.panX_;
    panY_ = source.panY_;
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
    speed.Update(t);

    if (enabled != 0 && driftMode == kDriftMode) {
        const float u = speed.GetLocalTime();
        if (u >= end) PickTarget(u);
        // Eases in and out: 0 at the leg's start, 1 at its end.
        const float f = end > start ? (1.0f - std::cos(kPi * (u - start) / (end - start))) * 0.5f : 1.0f;
        panX_ = fromX + f * (toX - fromX);
        panY_ = fromY + f * (toY - fromY);
        if (context) context->ZoomAbout(zoom.GetDerived(), panX_, panY_);
    } else {
        panX_ = panY_ = 0.0f;
        if (context) context->ZoomAbout(1.0f, 0.0f, 0.0f);
    }
}
