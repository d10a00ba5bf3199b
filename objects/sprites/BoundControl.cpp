#include "objects/sprites/BoundControl.h"

#include <algorithm>

#include "engine/params/Random.h"
#include "engine/scene/ViewObjCtrl.h"
#include "objects/sprites/SpriteInstance.h"

namespace {

constexpr float kSecondsPerMillisecond = 0.001f;
constexpr float kMillisecondsPerSecond = 1000.0f;

// The coordinate of sprite along the axis a side reverses, with the low
// and high bounds and the half extent along it.
struct SideAxis {
    float& coordinate;
    float& direction;
    float low;
    float high;
    float half;
};

SideAxis AxisOf(int32_t side, const DS_ViewObjCtrl& item, SpriteInstance& sprite)
{
    if (side == SpriteInstance::kTop || side == SpriteInstance::kBottom)
        return SideAxis{sprite.position.y, sprite.direction.y, item.GetTop(), item.GetBottom(), sprite.halfHeight};
    return SideAxis{sprite.position.x, sprite.direction.x, item.GetLeft(), item.GetRight(), sprite.halfWidth};
}

}  // namespace

DS_BoundControl& DS_BoundControl::operator=(const DS_BoundControl& other)
{
    if (this == &other) return *this;
    side = other.side;
    boundItem_ = other.boundItem_;
    outside_ = other.outside_;
    crossing_ = other.crossing_;
    mode.SetValue(other.mode.GetValue());
    fadeOutTime.SetValue(other.fadeOutTime.GetValue());
    fadeInTime.SetValue(other.fadeInTime.GetValue());
    minPause.SetValue(other.minPause.GetValue());
    maxPause.SetValue(other.maxPause.GetValue());
    return *this;
}

void DS_BoundControl::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_BoundControl::BindSide(int32_t side, const DS_ViewObjCtrl* item, DS_BoundControl& control)
{
    control.boundItem_ = item;
    switch (side) {
    case SpriteInstance::kBottom:
        control.outside_ = &SpriteInstance::OutsideBottom;
        control.crossing_ = &SpriteInstance::CrossesBottom;
        break;
    case SpriteInstance::kLeft:
        control.outside_ = &SpriteInstance::OutsideLeft;
        control.crossing_ = &SpriteInstance::CrossesLeft;
        break;
    case SpriteInstance::kRight:
        control.outside_ = &SpriteInstance::OutsideRight;
        control.crossing_ = &SpriteInstance::CrossesRight;
        break;
    default:
        control.outside_ = &SpriteInstance::OutsideTop;
        control.crossing_ = &SpriteInstance::CrossesTop;
        break;
    }
}

bool DS_BoundControl::Outside(const SpriteInstance& sprite) const
{
    return boundItem_ && outside_ && (sprite.*outside_)(*boundItem_);
}

bool DS_BoundControl::Crossing(const SpriteInstance& sprite) const
{
    return boundItem_ && crossing_ && (sprite.*crossing_)(*boundItem_);
}

float DS_BoundControl::DrawPauseEnd(float clock) const
{
    return clock + RandomRange(static_cast<float>(minPause.GetValue()) * kSecondsPerMillisecond,
                               static_cast<float>(maxPause.GetValue()) * kSecondsPerMillisecond);
}

bool DS_BoundControl::Apply(const DS_ViewObjCtrl& item, SpriteInstance& sprite) const
{
    if (sprite.capturedSide != SpriteInstance::kNoSide) {
        if (sprite.capturedSide != side) return false;
        UpdateCaptured(item, sprite);
        return true;
    }
    if (side < SpriteInstance::kTop || side > SpriteInstance::kRight) return false;
    switch (mode.GetValue()) {
    case kReflect:
        return Reflect(sprite);
    case kReflectAfterPause:
        return ReflectAndPause(item, sprite);
    case kWrap:
        break;
    default:
        return false;
    }
    if (!Outside(sprite)) return false;
    if (sprite.alpha > 0.0f) {
        // The fade-out starts on the next update.
        sprite.capturedSide = side;
        return true;
    }
    // Already invisible: across to the opposite side, overlapping its edge
    // by one pixel; the other coordinate is drawn anew (one draw).
    const float left = item.GetLeft(), right = item.GetRight(), top = item.GetTop(), bottom = item.GetBottom();
    const float hw = sprite.halfWidth, hh = sprite.halfHeight;
    switch (side) {
    case SpriteInstance::kTop:
        sprite.position.y = bottom + hh - 1.0f;
        sprite.position.x = RandomRange(left, right);
        break;
    case SpriteInstance::kBottom:
        sprite.position.y = top - hh + 1.0f;
        sprite.position.x = RandomRange(left, right);
        break;
    case SpriteInstance::kLeft:
        sprite.position.x = right + hw - 1.0f;
        sprite.position.y = RandomRange(top, bottom);
        break;
    default:
        sprite.position.x = left - hw + 1.0f;
        sprite.position.y = RandomRange(top, bottom);
        break;
    }
    sprite.fadingIn = 1;
    sprite.capturedSide = side;
    return true;
}

bool DS_BoundControl::Reflect(SpriteInstance& sprite) const
{
    if (!Crossing(sprite)) return false;
    float& factor = VerticalSide() ? sprite.direction.y : sprite.direction.x;
    factor = -factor;
    sprite.capturedSide = side;
    return true;
}

bool DS_BoundControl::ReflectAndPause(const DS_ViewObjCtrl& item, SpriteInstance& sprite) const
{
    if (!Outside(sprite)) return false;
    float& factor = VerticalSide() ? sprite.direction.y : sprite.direction.x;
    factor = -factor;
    const float clock = item.SpeedClock();
    sprite.pauseEnd = DrawPauseEnd(clock);
    sprite.paused = 1;
    sprite.pauseClock = clock;
    sprite.capturedSide = side;
    return true;
}

void DS_BoundControl::UpdateCaptured(const DS_ViewObjCtrl& item, SpriteInstance& sprite) const
{
    const float step = item.SpeedStep();
    switch (mode.GetValue()) {
    case kReflect: {
        // Fully back inside along the side's axis, then let go once it no
        // longer crosses.
        SideAxis axis = AxisOf(side, item, sprite);
        if (axis.high - axis.half < axis.coordinate) axis.coordinate = axis.high - axis.half - 1.0f;
        if (axis.low + axis.half > axis.coordinate) axis.coordinate = axis.low + axis.half + 1.0f;
        if (!Crossing(sprite)) sprite.capturedSide = SpriteInstance::kNoSide;
        return;
    }
    case kReflectAfterPause: {
        // No further out than just outside while it waits.
        SideAxis axis = AxisOf(side, item, sprite);
        if (axis.coordinate > axis.high + axis.half) axis.coordinate = axis.high + axis.half - 1.0f;
        if (axis.coordinate < axis.low - axis.half) axis.coordinate = axis.low - axis.half + 1.0f;
        sprite.pauseClock += step;
        if (sprite.pauseEnd >= sprite.pauseClock) return;
        sprite.paused = 0;
        if (!Outside(sprite)) sprite.capturedSide = SpriteInstance::kNoSide;
        return;
    }
    case kWrap:
        break;
    default:
        return;  // the mode changed while captured: the sprite stays as it is
    }
    if (sprite.fadingIn == 0) {
        if (sprite.alpha > 0.0f) {
            const unsigned fadeOut = fadeOutTime.GetValue();
            sprite.alpha = fadeOut == 0 ? 0.0f : sprite.alpha - step * kMillisecondsPerSecond / fadeOut;
            sprite.alpha = std::max(sprite.alpha, 0.0f);
            return;
        }
        // Faded out: released, paused; the next update moves it across.
        sprite.capturedSide = SpriteInstance::kNoSide;
        const float clock = item.SpeedClock();
        sprite.pauseEnd = DrawPauseEnd(clock);
        sprite.paused = 1;
        sprite.pauseClock = clock;
        return;
    }
    sprite.pauseClock += step;
    if (sprite.pauseEnd >= sprite.pauseClock) return;
    sprite.paused = 0;
    if (sprite.alpha >= 1.0f) {
        sprite.capturedSide = SpriteInstance::kNoSide;
        sprite.fadingIn = 0;
        return;
    }
    const unsigned fadeIn = fadeInTime.GetValue();
    sprite.alpha = fadeIn == 0 ? 1.0f : sprite.alpha + step * kMillisecondsPerSecond / fadeIn;
    sprite.alpha = std::min(sprite.alpha, 1.0f);
}

void DS_BoundControl::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
}

void DS_BoundControl::WriteFields(DS_IOF_Archive* ar) const
{
    WriteParam(*ar, mode);
    WriteParam(*ar, fadeOutTime);
    WriteParam(*ar, fadeInTime);
    WriteParam(*ar, minPause);
    WriteParam(*ar, maxPause);
}

bool DS_BoundControl::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return ReadFields(ar, version);
}

bool DS_BoundControl::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive) return false;
    // Every version stores the same five values.
    ReadParam(*ar, mode);
    ReadParam(*ar, fadeOutTime);
    ReadParam(*ar, fadeInTime);
    ReadParam(*ar, minPause);
    ReadParam(*ar, maxPause);
    return !ar->Failed();
}
