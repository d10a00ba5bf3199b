#include "engine/scene/ViewObjCtrl.h"

#include <cmath>
#include <limits>
#include <memory>

#include "engine/params/Random.h"
#include "engine/render/ViewMetrics.h"

namespace {

float PictureWidth()
{
    return static_cast<float>(ViewMetrics::Instance().pictureWidth);
}

float PictureHeight()
{
    return static_cast<float>(ViewMetrics::Instance().pictureHeight);
}

// pixels / size, or the edge as it was when the picture has no extent yet.
void SetNormalised(float& edge, int pixels, float size)
{
    if (size > 0.0f) edge = static_cast<float>(pixels) / size;
}

void SetPixelEdge(MediaParamTB<int>& edge, float normalised, float size)
{
    const int pixels = SaturatingTruncate(normalised * size);
    edge.SetValue(pixels);  // notifies only when it changed
}

}  // namespace

int32_t SaturatingTruncate(float value)
{
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

void ReadFiniteFloat(DS_IOF_Archive* ar, float& value)
{
    float read = value;
    ar->archive->ReadFloat(read);
    if (ar->Failed()) return;
    value = std::isfinite(read) ? read : 0.0f;
}

DS_ViewObjCtrl::DS_ViewObjCtrl()
{
    HookEdges();
}

DS_ViewObjCtrl::DS_ViewObjCtrl(const DS_ViewObjCtrl& other)
    : DS_ABObj_Constructor(other),
      rectangle(other.rectangle),
      speed(other.speed),
      flag(other.flag),
      normLeft(other.normLeft),
      normRight(other.normRight),
      normTop(other.normTop),
      normBottom(other.normBottom)
{
    HookEdges();
}

DS_ViewObjCtrl::~DS_ViewObjCtrl()
{
    edgeListeners_.Release();
}

void DS_ViewObjCtrl::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_ViewObjCtrl::Restart()
{
    DS_ABObj_Constructor::Restart();
    speedStep_ = 0.0f;
    speedClock_ = 0.0f;
    lastTime_ = 0.0f;
}

ScreenQuad EdgeQuad(float left, float top, float right, float bottom)
{
    ScreenQuad quad;
    quad.corners[0].x = left;
    quad.corners[0].y = bottom;
    quad.corners[1].x = left;
    quad.corners[1].y = top;
    quad.corners[2].x = right;
    quad.corners[2].y = bottom;
    quad.corners[3].x = right;
    quad.corners[3].y = top;
    return quad;
}

ScreenQuad DS_ViewObjCtrl::GetViewQuad() const
{
    return EdgeQuad(GetLeft(), GetTop(), GetRight(), GetBottom());
}

bool DS_ViewObjCtrl::HitTest(float, float)
{
    return false;
}

void DS_ViewObjCtrl::UpdatePixelRect()
{
    const float width = PictureWidth(), height = PictureHeight();
    SetPixelEdge(rectangle.left, normLeft, width);
    SetPixelEdge(rectangle.right, normRight, width);
    SetPixelEdge(rectangle.top, normTop, height);
    SetPixelEdge(rectangle.bottom, normBottom, height);
}

void DS_ViewObjCtrl::SetLeft(int pixels)
{
    SetNormalised(normLeft, pixels, PictureWidth());
}

void DS_ViewObjCtrl::SetRight(int pixels)
{
    SetNormalised(normRight, pixels, PictureWidth());
}

void DS_ViewObjCtrl::SetTop(int pixels)
{
    SetNormalised(normTop, pixels, PictureHeight());
}

void DS_ViewObjCtrl::SetBottom(int pixels)
{
    SetNormalised(normBottom, pixels, PictureHeight());
}

float DS_ViewObjCtrl::GetLeft() const
{
    return normLeft * PictureWidth();
}

float DS_ViewObjCtrl::GetRight() const
{
    return normRight * PictureWidth();
}

float DS_ViewObjCtrl::GetTop() const
{
    return normTop * PictureHeight();
}

float DS_ViewObjCtrl::GetBottom() const
{
    return normBottom * PictureHeight();
}

unsigned DS_ViewObjCtrl::SmoothSpeed(float t)
{
    // A clock that runs backwards still advances: the step is the distance.
    const float elapsed = std::fabs(t - lastTime_);
    speedStep_ = std::fmin(elapsed, kMaxTimeStep) * SpeedFactor();
    speedClock_ += speedStep_;
    lastTime_ = t;
    return speed.GetValue();
}

D3DXVECTOR3 DS_ViewObjCtrl::RandomPoint() const
{
    const float left = GetLeft(), right = GetRight(), top = GetTop(), bottom = GetBottom();
    // Draw order fixed: x, then y.
    const float x = left + static_cast<float>(DS_Rand()) / kRandMax * (right - left);
    const float y = top + static_cast<float>(DS_Rand()) / kRandMax * (bottom - top);
    return D3DXVECTOR3(x, y, 0.0f);
}

D3DXVECTOR3 DS_ViewObjCtrl::RandomPointInside(float halfWidth, float halfHeight) const
{
    const float left = GetLeft() + halfWidth, right = GetRight() - halfWidth;
    const float top = GetTop() + halfHeight, bottom = GetBottom() - halfHeight;
    // Draw order fixed: x, then y.
    const float x = left + static_cast<float>(DS_Rand()) / kRandMax * (right - left);
    const float y = top + static_cast<float>(DS_Rand()) / kRandMax * (bottom - top);
    return D3DXVECTOR3(x, y, 0.0f);
}

void DS_ViewObjCtrl::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
}

void DS_ViewObjCtrl::WriteFields(DS_IOF_Archive* ar) const
{
    rectangle.Write(*ar);
    ar->archive->WriteFloat(normLeft);
    ar->archive->WriteFloat(normRight);
    ar->archive->WriteFloat(normTop);
    ar->archive->WriteFloat(normBottom);
    ar->archive->WriteBool(flag);
    ar->archive->WriteUInt(speed.GetValue());
    DS_ABObj_Constructor::WriteBody(ar);
}

bool DS_ViewObjCtrl::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return ReadFields(ar, version);
}

bool DS_ViewObjCtrl::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive) return false;
    // The rectangle, the normalised edges and the speed are stored directly:
    // the edge listeners do not run, so the normalised edges stay as stored.
    rectangle.Read(*ar);
    ReadFiniteFloat(ar, normLeft);
    ReadFiniteFloat(ar, normRight);
    ReadFiniteFloat(ar, normTop);
    ReadFiniteFloat(ar, normBottom);
    ar->archive->ReadBool(flag);
    if (version >= kSpeedVersion) {
        uint32_t value = speed.GetValue();
        ar->archive->ReadUInt(value);
        if (!ar->Failed()) speed.StoreValue(value);
    }
    if (ar->Failed()) return false;
    if (!DS_ABObj_Constructor::ReadBody(ar)) {
        ar->Fail();
        return false;
    }
    return true;
}

void DS_ViewObjCtrl::HookEdges()
{
    UpdatePixelRect();
    HookEdge(&DS_ViewObjCtrl::SetLeft, rectangle.left);
    HookEdge(&DS_ViewObjCtrl::SetRight, rectangle.right);
    HookEdge(&DS_ViewObjCtrl::SetTop, rectangle.top);
    HookEdge(&DS_ViewObjCtrl::SetBottom, rectangle.bottom);
}

void DS_ViewObjCtrl::HookEdge(EdgeSetter setter, MediaParamTB<int>& edge)
{
    auto* listener = edgeListeners_.Add(std::make_unique<DS_FunLightCtrl<int, DS_ViewObjCtrl>>(setter, this));
    listener->Attach(nullptr);
    listener->Attach(&edge);
    // Fired once, so the normalised edge is recomputed from the pixel edge now.
    listener->OnChange(nullptr);
}
