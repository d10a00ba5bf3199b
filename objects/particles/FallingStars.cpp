#include "objects/particles/FallingStars.h"

#include <algorithm>
#include <cmath>

#include "engine/archive/IOF_Item.h"
#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/ParticlesObj.h"
#include "objects/particles/QuadFunctions.h"

namespace {

constexpr float kRandScale = 1.0f / static_cast<float>(kRandMax);
constexpr float kTwoPi = 6.2831853f;
// Angular speed per unit of fall speed, radians.
constexpr float kSpinPerSpeed = 0.002f;

// Whole stars owed: the integer part of perSecond x span, kept within what
// a list can take so that 2k + 1 never overflows (NaN gives 0).
int32_t StarsOwed(float perSecond, float span)
{
    const float k = perSecond * span;
    if (!(k >= 1.0f)) return 0;
    return static_cast<int32_t>(std::min(k, static_cast<float>(kMaxParticles)));
}

// Most stars alive at once: an emission makes up to twice the stars owed,
// so the stars of a life (with kSpareSeconds to spare) and of the emission
// owed from before it, twice over.
double MostStarsAlive(float perSecond, float life)
{
    const double seconds = std::max(0.0f, life) + DS_ParticleGenerator::kSpareSeconds;
    return 2.0 * (std::max(0.0f, perSecond) * seconds + 1.0);
}

}  // namespace

DS_FallingStars::DS_FallingStars() : starSize(0u)
{
    trailLife.SetScale(0.01f);
    trailRate.SetScale(2.0f);
    trailSize.SetScale(0.01f);
}

void DS_FallingStars::Render(DS_ABRender* service, DS_ParticlesObj* object)
{
    RenderGlowLayers(service, this, object,
                     {{kStarBuffer, CurrentTexture(kStarPicture)}, {kTrailBuffer, CurrentTexture(kTrailPicture)}},
                     {{kTrailGlowBuffer, CurrentTexture(kTrailGlowPicture)},
                      {kStarGlowBuffer, CurrentTexture(kStarGlowPicture)}});
}

void DS_FallingStars::InitObject(DS_ParticlesObj* object)
{
    DS_ParticleRctRgnGenerator::InitObject(object);
    AcquireRenderTarget();
    particles.clear();
    const float life = fadeInTime.GetDerived() + showTime.GetDerived() + fadeOutTime.GetDerived();
    ReserveLists(MostStarsAlive(starRate.GetDerived(), life));
    if (object) object->SetBufferCount(4);
}

void DS_FallingStars::Update(float t, DS_ParticlesObj* object)
{
    DS_ParticleGenerator::Update(t, object);
    EmitStars();
    FillBuffers(object);
}

void DS_FallingStars::EmitStars()
{
    const float c = speed.GetLocalTime();
    EmitTrails(c);
    const int32_t k = StarsOwed(starRate.GetDerived(), c - lastStarTime);
    if (k != 0) lastStarTime = c;
    const int32_t n = DS_Rand() % (2 * k + 1);
    if (n == 0) return;
    const float fadeIn = fadeInTime.GetDerived();
    const float shown = fadeIn + showTime.GetDerived();
    const float end = shown + fadeOutTime.GetDerived();
    const D3DXVECTOR4 d = MediaDirection::FirstAxisOf(direction.GetValue());
    const float v = fallSpeed.GetDerived();
    const D3DXVECTOR3 velocity(d.x * v, -d.y * v, d.z * v);
    const size_t room = kMaxParticles - std::min(particles.size(), kMaxParticles);
    const size_t made = std::min(static_cast<size_t>(n), room);
    for (size_t i = 0; i < made; ++i) {
        const D3DXVECTOR3 at = RandomPointInRect(rectangle);
        particles.emplace_back(at.x, at.y, at.z);
        PParticle& star = particles.back();
        star.channels[PParticle::kLife] = 0.0f;
        star.channels[PParticle::kSize] = 1.0f;
        star.channels[PParticle::kAlpha] = 0.0f;
        star.channels[PParticle::kAge] = 0.0f;
        star.channels[PParticle::kAngle] = DS_Rand() * kRandScale * kTwoPi;
        const float spin = DS_Rand() % 2 == 0 ? 1.0f : -1.0f;
        star.AddProcess(new PAgeConst(end));
        star.AddProcess(new PKinetic(velocity, D3DXVECTOR3(0.0f, 0.0f, 0.0f)));
        star.AddProcess(new PFade(PParticle::kAlpha, 0.0f, fadeIn, 1.0f));
        star.AddProcess(new PSpin(v * kSpinPerSpeed * spin));
        star.AddProcess(new PFade(PParticle::kAlpha, shown, end, -1.0f));
    }
}

void DS_FallingStars::FillBuffers(DS_ParticlesObj* object)
{
    if (!object) return;
    const auto stars = static_cast<unsigned>(std::min(particles.size(), kMaxParticles));
    const auto trailCount = static_cast<unsigned>(std::min(trails.size(), kMaxParticles));
    object->ReserveQuads(kStarBuffer, stars);
    object->ReserveQuads(kStarGlowBuffer, stars);
    object->ReserveQuads(kTrailBuffer, trailCount);
    object->ReserveQuads(kTrailGlowBuffer, trailCount);
    const float opacity = TimeLine().GetAlpha();
    const float side = static_cast<float>(starSize.GetValue());
    const float glow = glowFactor.GetDerived();
    const auto fill = [&](size_t sharpBuffer, size_t glowBuffer, const std::vector<PParticle>& list, float scale,
                          bool rotated) {
        DX_V::PCT* sharp = object->LockBuffer(sharpBuffer);
        DX_V::PCT* glows = object->LockBuffer(glowBuffer);
        if (sharp && glows) {
            const unsigned n = std::min(object->QuadCount(sharpBuffer), object->QuadCount(glowBuffer));
            for (unsigned k = 0; k < n; ++k) {
                const PParticle& p = list[k];
                if (rotated)
                    ColorParticleQuadRotated(p, color, sharp, k, scale, p.channels[PParticle::kAngle], opacity);
                else
                    ColorParticleQuad(p, color, sharp, k, scale, opacity);
                ColorParticleQuad(p, glowColor, glows, k, scale * glow, opacity);
            }
        }
        object->UnlockBuffer(sharpBuffer);
        object->UnlockBuffer(glowBuffer);
        if (!sharp || !glows) {
            // A layer and its glow show the same particles or none.
            object->ReserveQuads(sharpBuffer, 0);
            object->ReserveQuads(glowBuffer, 0);
        }
    };
    fill(kStarBuffer, kStarGlowBuffer, particles, side, true);
    fill(kTrailBuffer, kTrailGlowBuffer, trails, side * trailSize.GetDerived(), false);
}

void DS_FallingStars::Write(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteParam(*ar, fallSpeed);
    WriteParam(*ar, starRate);
    WriteParam(*ar, direction);
    WriteParam(*ar, starSize);
    WriteParam(*ar, glowFactor);
    WriteParam(*ar, showTime);
    WriteParam(*ar, fadeInTime);
    WriteParam(*ar, fadeOutTime);
    DS_ParticleRctRgnGenerator::WriteFields(ar);
}

bool DS_FallingStars::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    fallSpeed.Read(*ar);
    starRate.Read(*ar);
    uint32_t degrees = 0, side = 0;
    ar->archive->ReadUInt(degrees);
    ar->archive->ReadUInt(side);
    glowFactor.Read(*ar);
    showTime.Read(*ar);
    fadeInTime.Read(*ar);
    fadeOutTime.Read(*ar);
    if (ar->Failed()) return false;
    direction.StoreValue(degrees);
    starSize.StoreValue(side);
    return DS_ParticleRctRgnGenerator::ReadFields(ar);
}
