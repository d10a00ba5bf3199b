#include "objects/particles/BrownAnimation.h"

#include <algorithm>
#include <cmath>

#include "engine/archive/IOF_Item.h"
#include "engine/params/Random.h"
#include "objects/particles/ParticlesObj.h"
#include "objects/particles/QuadFunctions.h"

DS_BrownAnimation::DS_BrownAnimation()
{
    BindSteering();
}

DS_BrownAnimation::DS_BrownAnimation(const DS_BrownAnimation& other)
    : DS_ParticleRctRgnGenerator(other),
      spriteCount(other.spriteCount),
      spriteScale(other.spriteScale),
      wanderSpeed(other.wanderSpeed),
      wanderPeriod(other.wanderPeriod),
      steeringTime(other.steeringTime)
{
    BindSteering();
    for (PParticle& sprite : particles) {
        for (size_t i = 0; i < sprite.ProcessCount(); ++i) {
            if (auto* brownian = dynamic_cast<PBrownian*>(sprite.Process(i))) brownian->steering = &steering;
        }
    }
}

void DS_BrownAnimation::BindSteering()
{
    steering.rect = &rectangle;
    steering.speed = &wanderSpeed;
    steering.period = &wanderPeriod;
    steering.steerTime = &steeringTime;
}

void DS_BrownAnimation::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteParam(*ar, spriteCount);
    WriteParam(*ar, spriteScale);
    WriteParam(*ar, wanderSpeed);
    WriteParam(*ar, wanderPeriod);
    WriteParam(*ar, steeringTime);
    DS_ParticleRctRgnGenerator::WriteBody(ar);
}

bool DS_BrownAnimation::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    // The count is stored directly; the scaled values tell their listeners.
    uint32_t count = 0;
    ar->archive->ReadUInt(count);
    if (ar->Failed()) return false;
    spriteCount.StoreValue(count);
    spriteScale.Read(*ar);
    wanderSpeed.Read(*ar);
    wanderPeriod.Read(*ar);
    steeringTime.Read(*ar);
    if (ar->Failed()) return false;
    return DS_ParticleRctRgnGenerator::ReadBody(ar);
}

void DS_BrownAnimation::InitObject(DS_ParticlesObj* object)
{
    DS_TexParticleGenerator::InitObject(object);
    particles.clear();
    if (object) object->SetBufferCount(1);
}

size_t DS_BrownAnimation::TargetCount() const
{
    return std::min<size_t>(spriteCount.GetValue(), kMaxParticles);
}

void DS_BrownAnimation::Populate()
{
    const size_t count = TargetCount();
    if (particles.size() >= count) {
        particles.resize(count);
        return;
    }
    particles.reserve(count);
    while (particles.size() < count) {
        // Draw order is fixed: the point (y, then x), then the wander.
        const D3DXVECTOR3 at = RandomPointInRect(rectangle);
        particles.emplace_back(at.x, at.y, at.z);
        particles.back().AddProcess(new PBrownian(steering));
    }
}

void DS_BrownAnimation::FillBuffer(DS_ParticlesObj* object)
{
    if (!object) return;
    const bool hasPicture = !textureSets.empty() && CurrentTexture(0);
    object->ReserveQuads(0, hasPicture ? static_cast<unsigned>(particles.size()) : 0u);
    if (object->QuadCount(0) == 0) return;
    DX_V::PCT* vertices = object->LockBuffer(0);
    if (!vertices) return;
    const float scale = spriteScale.GetDerived();
    const float w = scale * static_cast<float>(textureSets[0].width);
    const float h = scale * static_cast<float>(textureSets[0].height);
    const uint32_t argb = VertexColor(color.GetValue(), static_cast<float>(color.GetAlpha()) / 255.0f);
    unsigned written = 0;
    const unsigned quads = object->QuadCount(0);
    for (unsigned k = 0; k < quads; ++k) {
        const D3DXVECTOR3& p = particles[k].position;
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) continue;
        ParticleQuad quad = BuildQuadCentered(p, w, h);
        SetQuadColor(quad, argb);
        WriteQuadVertices(vertices, written++, quad);
    }
    object->UnlockBuffer(0);
    // Fewer quads than locked when sprites were left out: only those written
    // are drawn.
    if (written < quads) object->ReserveQuads(0, written);
}

void DS_BrownAnimation::Update(float t, DS_ParticlesObj* object)
{
    if (!textureSets.empty()) textureSets[0].StepForward(t);
    DS_ParticleGenerator::Update(t, object);
    Populate();
    FillBuffer(object);
}

void DS_BrownAnimation::Render(DS_ABRender* service, DS_ParticlesObj* object)
{
    RenderPlain(service, this, object);
}
