#include "objects/particles/Firework.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/archive/IOF_Item.h"
#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/ParticlesObj.h"
#include "objects/particles/QuadFunctions.h"

namespace {

constexpr float kRandScale = 1.0f / static_cast<float>(kRandMax);
// Life of a stream spark and the span its burst count is spread over.
constexpr float kStreamSeconds = 0.5f;

}  // namespace

// ---------------------------------------------------------------------------
// DS_Firework

DS_Firework::DS_Firework() : burstCount(0u), sparkSize(0u)
{
    trailLife.SetScale(0.01f);
    trailRate.SetScale(2.0f);
    trailRate.SetOffset(1.0f);
    trailSize.SetScale(0.1f);
}

void DS_Firework::RenderTwoLayers(DS_ABRender* service, DS_TexParticleGenerator* generator, DS_ParticlesObj* object)
{
    if (!generator) return;
    IDirect3DTexture9* picture = generator->CurrentTexture(0);
    RenderGlowLayers(service, generator, object, {{0, picture}}, {{1, picture}});
}

void DS_Firework::Render(DS_ABRender* service, DS_ParticlesObj* object)
{
    RenderTwoLayers(service, this, object);
}

void DS_Firework::InitObject(DS_ParticlesObj* object)
{
    DS_StaticGenerator::InitObject(object);
    AcquireRenderTarget();
    particles.clear();
    ReserveLists(MostSparksAlive());
    if (object) object->SetBufferCount(2);
}

double DS_Firework::MostSparksAlive() const
{
    const double count = burstCount.GetValue();
    if (TimeLine().mode == DS_TimeLineControl::kAlwaysVisible)
        return count * (kStreamSeconds + kSpareSeconds) / kStreamSeconds + 1.0;
    // A spark lives one cycle of the emitter's clock; at a speed below 1 it
    // outlives the cycles that follow, and a clock that stands still keeps
    // every burst.
    const double factor = speed.GetDerived();
    if (!(factor > 0.0)) return std::numeric_limits<double>::infinity();
    return count * (std::ceil(1.0 / factor) + 1.0);
}

void DS_Firework::Update(float t, DS_ParticlesObj* object)
{
    speed.Update(t);
    Emit(speed.GetLastStep());
    FillBuffers(object);
}

void DS_Firework::Emit(float dt)
{
    const float c = speed.GetLocalTime();
    UpdatePParticleList(particles, dt);
    UpdatePParticleList(trails, dt);
    EmitTrails(c);
    const auto room = [this] {
        const size_t used = particles.size() + trails.size();
        return used < kMaxParticles ? kMaxParticles - used : size_t{0};
    };
    const DS_TimeLineControl& timeLine = TimeLine();
    if (timeLine.mode != DS_TimeLineControl::kAlwaysVisible) {
        const bool invisible = timeLine.GetPhase() == DS_TimeLineControl::kInvisible;
        if (burstDue && !invisible) {
            const float life = timeLine.GetCycleLength();
            const size_t n = std::min<size_t>(burstCount.GetValue(), room());
            for (size_t i = 0; i < n; ++i) {
                const D3DXVECTOR3& o = origin.GetValue();
                particles.emplace_back(o.x, o.y, o.z);
                InitBurstParticle(particles.back(), life);
            }
            burstDue = false;
        }
        if (invisible) burstDue = true;
        return;
    }
    if (nextStreamTime < c) {
        if (room() > 0) {
            const D3DXVECTOR3& o = origin.GetValue();
            particles.emplace_back(o.x, o.y, o.z);
            InitBurstParticle(particles.back(), kStreamSeconds);
        }
        const unsigned count = burstCount.GetValue();
        // No sparks per half second: the one just made is the last.
        nextStreamTime = count == 0 ? std::numeric_limits<float>::infinity()
                                    : c + kStreamSeconds / static_cast<float>(count);
    }
}

void DS_Firework::FillBuffers(DS_ParticlesObj* object)
{
    if (!object) return;
    const size_t total = std::min(particles.size() + trails.size(), kMaxParticles);
    const auto n = static_cast<unsigned>(total);
    object->ReserveQuads(0, n);
    object->ReserveQuads(1, n);
    DX_V::PCT* sprites = object->LockBuffer(0);
    DX_V::PCT* glows = object->LockBuffer(1);
    const unsigned quads = std::min(object->QuadCount(0), object->QuadCount(1));
    if (sprites && glows) {
        const float opacity = TimeLine().GetAlpha();
        const float side = static_cast<float>(sparkSize.GetValue());
        const float glowSide = side * glowFactor.GetDerived();
        unsigned k = 0;
        for (size_t i = 0; i < particles.size() && k < quads; ++i, ++k) {
            ColorParticleQuad(particles[i], color, sprites, k, side, opacity);
            ColorParticleQuad(particles[i], glowColor, glows, k, glowSide, opacity);
        }
        // The opacity entered a trail particle's alpha at its birth.
        for (size_t i = 0; i < trails.size() && k < quads; ++i, ++k) {
            ColorParticleQuad(trails[i], color, sprites, k, side, 1.0f);
            ColorParticleQuad(trails[i], glowColor, glows, k, glowSide, 1.0f);
        }
    }
    object->UnlockBuffer(0);
    object->UnlockBuffer(1);
    if (!sprites || !glows) {
        // Half a frame is not drawn: both layers show the same particles.
        object->ReserveQuads(0, 0);
        object->ReserveQuads(1, 0);
    }
}

// ---------------------------------------------------------------------------
// DS_FireworkSimple

float DS_FireworkSimple::InitBurstParticle(PParticle& particle, float life)
{
    particle.channels[PParticle::kLife] = 0.0f;
    particle.channels[PParticle::kSize] = 1.0f;
    particle.AddProcess(new PLifeConst(1.0f / life));
    particle.AddProcess(
        new PKinetic(RandomDirection3D(burstSpeed.GetDerived()), D3DXVECTOR3(0.0f, gravity.GetDerived(), 0.0f)));
    return 0.0f;
}

void DS_FireworkSimple::InitParticle(PParticle& trail, const PParticle&)
{
    const float rate = 1.0f / trailLife.GetDerived();
    trail.channels[PParticle::kAlpha] = TimeLine().GetAlpha();
    trail.AddProcess(new PLifeConst(rate));
    trail.AddProcess(new PSteady(PParticle::kAlpha, 0.0f, 1.0f, -rate));
    trail.AddProcess(new PSteady(PParticle::kSize, 0.0f, 1.0f, trailSize.GetDerived() * rate));
    // Draw order is fixed: the speed, then the direction's two draws.
    const float speedDraw = trailSpeed.GetDerived() * (DS_Rand() * kRandScale);
    trail.AddProcess(new PKinetic(RandomDirection3D(speedDraw), D3DXVECTOR3(0.0f, 0.0f, 0.0f)));
}

void DS_FireworkSimple::Write(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteParam(*ar, burstCount);
    WriteParam(*ar, sparkSize);
    WriteParam(*ar, burstSpeed);
    WriteParam(*ar, glowFactor);
    DS_ParticleOriginGenerator::WriteFields(ar);
    DS_TexParticleGenerator::WriteBody(ar);
}

bool DS_FireworkSimple::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    uint32_t count = 0, side = 0;
    ar->archive->ReadUInt(count);
    ar->archive->ReadUInt(side);
    burstSpeed.Read(*ar);
    glowFactor.Read(*ar);
    if (ar->Failed()) return false;
    burstCount.StoreValue(count);
    sparkSize.StoreValue(side);
    return DS_ParticleOriginGenerator::ReadFields(ar, version);
}
