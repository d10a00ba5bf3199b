#include "objects/particles/StaticGenerator.h"

#include <algorithm>

#include "engine/archive/IOF_Item.h"
#include "engine/scene/TimeLineControl.h"

// ---------------------------------------------------------------------------
// DS_StaticGenerator

void DS_StaticGenerator::WriteOrigin(DS_IOF_Archive* ar) const
{
    const D3DXVECTOR3& o = origin.GetValue();
    ar->archive->WriteFloat(o.x);
    ar->archive->WriteFloat(o.y);
    ar->archive->WriteFloat(o.z);
}

bool DS_StaticGenerator::ReadOrigin(DS_IOF_Archive* ar)
{
    float x = 0.0f, y = 0.0f, z = 0.0f;
    ar->archive->ReadFloat(x);
    ar->archive->ReadFloat(y);
    ar->archive->ReadFloat(z);
    if (ar->Failed()) return false;
    origin.SetValue(D3DXVECTOR3(FiniteOrZero(x), FiniteOrZero(y), FiniteOrZero(z)));
    return true;
}

void DS_StaticGenerator::WriteBody(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteOrigin(ar);
    DS_TexParticleGenerator::WriteBody(ar);
}

bool DS_StaticGenerator::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    ReadRecordHeader(ar);
    if (ar->Failed() || !ReadOrigin(ar)) return false;
    return DS_TexParticleGenerator::ReadBody(ar);
}

// ---------------------------------------------------------------------------
// DS_ParticleOriginGenerator

DS_ParticleOriginGenerator::DS_ParticleOriginGenerator(const DS_ParticleOriginGenerator& other)
    : DS_StaticGenerator(other),
      particleLife(other.particleLife),
      rate(other.rate),
      particleSize(other.particleSize),
      sector(other.sector),
      speed(other.speed),
      accumulator_(other.accumulator_)
{
}

void DS_ParticleOriginGenerator::Update(float t, DS_ParticlesObj*)
{
    speed.Update(t);
    EmitByRate(speed.GetLastStep());
}

CallbackParticle DS_ParticleOriginGenerator::NewParticle()
{
    CallbackParticle particle;
    particle.life = particleLife.GetDerived();
    particle.velocity = sector.RandomDirection() * 100.0f;
    particle.position = origin.GetValue();
    return particle;
}

void DS_ParticleOriginGenerator::ReserveParticles()
{
    const float seconds = std::max(0.0f, particleLife.GetDerived()) + kSpareSeconds;
    particles_.reserve(ReservedCount(static_cast<double>(rate.GetValue()) * static_cast<double>(seconds) + 1.0));
}

void DS_ParticleOriginGenerator::UpdateParticles(float dt)
{
    for (CallbackParticle& particle : particles_) particle.Update(dt);
    // One order-keeping pass; the list keeps its storage.
    particles_.erase(std::remove_if(particles_.begin(), particles_.end(),
                                    [](const CallbackParticle& p) { return p.life < 0.0f; }),
                     particles_.end());
}

void DS_ParticleOriginGenerator::EmitByRate(float dt)
{
    UpdateParticles(dt);
    accumulator_ += dt;
    const auto interval = [this] {
        return 1.0f / (TimeLine().GetAlpha() * static_cast<float>(rate.GetValue()));
    };
    // An opacity or rate of 0 gives an infinite interval: nothing is
    // emitted and the owed time keeps growing until the item shows.
    for (float step = interval(); step < accumulator_; step = interval()) {
        if (particles_.size() >= kMaxParticles) {
            accumulator_ = 0.0f;
            break;
        }
        accumulator_ -= step;
        particles_.push_back(NewParticle());
    }
}

void DS_ParticleOriginGenerator::WriteFields(DS_IOF_Archive* ar)
{
    WriteParam(*ar, particleLife);
    WriteParam(*ar, rate);
    WriteParam(*ar, particleSize);
    WriteParam(*ar, sector);
    WriteParam(*ar, speed);
    WriteOrigin(ar);
}

void DS_ParticleOriginGenerator::WriteBody(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
    DS_TexParticleGenerator::WriteBody(ar);
}

bool DS_ParticleOriginGenerator::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    particleLife.Read(*ar);
    uint32_t storedRate = 0, storedSize = 0, storedDirection = 0;
    ar->archive->ReadUInt(storedRate);
    ar->archive->ReadUInt(storedSize);
    ar->archive->ReadUInt(storedDirection);
    speed.Read(*ar);
    if (ar->Failed()) return false;
    // Stored directly, as the record's reader always did.
    rate.StoreValue(storedRate);
    particleSize.StoreValue(storedSize);
    sector.StoreValue(storedDirection);
    if (!ReadOrigin(ar)) return false;
    return DS_TexParticleGenerator::ReadBody(ar);
}
