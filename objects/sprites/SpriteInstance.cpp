#include "objects/sprites/SpriteInstance.h"

#include <cmath>

#include "engine/params/Random.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/BaseSpriteProp.h"

namespace {

// Aspect (height / width) of the item's picture, 1.0 without a manager.
float PictureAspect(const DS_BaseSpriteProp& item)
{
    DS_DocResManager* manager = CurrentDocResManager();
    if (!manager) return 1.0f;
    return manager->GetTextureSet(item.imageLink).aspect;
}

}  // namespace

void SpriteInstance::ClearMotion()
{
    direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

void SpriteInstance::Init(DS_BaseSpriteProp& item)
{
    ClearMotion();
    aspect = PictureAspect(item);
    if (item.sheet) aspect *= static_cast<float>(item.FrameCount());
    firstAxis = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    secondAxis = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    position = D3DXVECTOR3(kStartPosition, kStartPosition, 0.0f);
    // Draw order: the scale is the first draw of a new sprite.
    scale = RandomRange(item.minScale, item.maxScale);
    SetHalfExtents(static_cast<float>(item.size.GetValue()));
    vStart = 0.0f;
    vEnd = 1.0f;
    uStart = 0.0f;
    uEnd = 1.0f;
}

void SpriteInstance::InitPulse(DS_BaseSpriteProp& item)
{
    firstTimer = secondTimer = pauseEnd = pauseClock = 0.0f;
    fadingIn = 0;
    paused = 0;
    capturedSide = kNoSide;
    alpha = 1.0f;
    // Draw order: the pulse parity is the second draw of a new sprite.
    pulseSpeed = (DS_Rand() & 1) ? -item.pulseSpeed : item.pulseSpeed;
    PackColor(item);
}

void SpriteInstance::ResetTimers()
{
    firstTimer = secondTimer = pauseEnd = pauseClock = 0.0f;
}

void SpriteInstance::SetHalfExtents(float size)
{
    const float c = scale * size * 0.5f;
    if (aspect < 1.0f) {
        halfWidth = c;
        halfHeight = aspect * c;
    } else {
        halfHeight = c;
        halfWidth = c / aspect;
    }
}

D3DXVECTOR3 SpriteInstance::GetCorner() const
{
    return position - halfWidth * firstAxis - halfHeight * secondAxis;
}

void SpriteInstance::UpdatePulse(DS_BaseSpriteProp& item, bool replace)
{
    alpha += item.SpeedStep() * pulseSpeed;
    if (alpha < item.minAlpha) {
        if (replace) item.InitSprite(*this);
        alpha = item.minAlpha;
        pulseSpeed = -pulseSpeed;
    } else if (alpha > item.maxAlpha) {
        alpha = item.maxAlpha;
        pulseSpeed = -pulseSpeed;
    }
}

void SpriteInstance::PackColor(const DS_BaseSpriteProp& item)
{
    const int32_t a = SaturatingTruncate(static_cast<float>(item.TransparencyAlpha()) * alpha);
    const uint32_t alphaByte = static_cast<uint32_t>(a < 0 ? 0 : (a > 255 ? 255 : a));
    const uint32_t stored = static_cast<uint32_t>(item.color.GetValue());  // 0x00BBGGRR
    const uint32_t red = stored & 0xFF, green = (stored >> 8) & 0xFF, blue = (stored >> 16) & 0xFF;
    packedColor = alphaByte << 24 | red << 16 | green << 8 | blue;
}

bool SpriteInstance::OutsideLeft(const DS_ViewObjCtrl& item) const
{
    return item.GetLeft() > position.x + std::fabs(halfWidth);
}

bool SpriteInstance::OutsideRight(const DS_ViewObjCtrl& item) const
{
    return item.GetRight() < position.x - std::fabs(halfWidth);
}

bool SpriteInstance::OutsideTop(const DS_ViewObjCtrl& item) const
{
    return item.GetTop() > position.y + std::fabs(halfHeight);
}

bool SpriteInstance::OutsideBottom(const DS_ViewObjCtrl& item) const
{
    return item.GetBottom() < position.y - std::fabs(halfHeight);
}

bool SpriteInstance::CrossesLeft(const DS_ViewObjCtrl& item) const
{
    return item.GetLeft() > position.x - halfWidth;
}

bool SpriteInstance::CrossesRight(const DS_ViewObjCtrl& item) const
{
    return item.GetRight() < position.x + halfWidth;
}

bool SpriteInstance::CrossesTop(const DS_ViewObjCtrl& item) const
{
    return item.GetTop() > position.y - halfHeight;
}

bool SpriteInstance::CrossesBottom(const DS_ViewObjCtrl& item) const
{
    return item.GetBottom() < position.y + halfHeight;
}
