#include "objects/particles/ParticleGenerator.h"

#include <algorithm>
#include <cmath>

#include "engine/archive/ArchiveValues.h"
#include "engine/params/Random.h"
#include "objects/particles/ParticlesObj.h"

namespace {

constexpr float kRandScale = 1.0f / static_cast<float>(kRandMax);

// Trail emission counts are whole particles; this keeps the float-to-int
// step defined for any time span (the list cap stops emission long before).
int32_t TrailCount(float perSecond, float span)
{
    const float n = perSecond * span;
    if (!(std::fabs(n) >= 1.0f)) return 0;  // also NaN
    const float cap = static_cast<float>(kMaxParticles);
    return static_cast<int32_t>(std::max(-cap, std::min(n, cap)));
}

}  // namespace

float FiniteOrZero(float value)
{
    return std::isfinite(value) ? value : 0.0f;
}

bool IsFinitePoint(const D3DXVECTOR3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

DS_ParticleGenerator::DS_ParticleGenerator()
    : trailLife(0, 1.0f, 0.0f),
      trailRate(0, 1.0f, 0.0f),
      trailSize(0, 1.0f, 0.0f),
      trailSpeed(0, 1.0f, 0.0f),
      trailsOn(0),
      speed(50, 0.02f, 0.0f)
{
}

DS_ParticleGenerator::DS_ParticleGenerator(const DS_ParticleGenerator& other)
    : DS_ABObj_Constructor(other),
      trailLife(other.trailLife),
      trailRate(other.trailRate),
      lastTrailTime(other.lastTrailTime),
      trailSize(other.trailSize),
      trailSpeed(other.trailSpeed),
      trailsOn(other.trailsOn),
      speed(other.speed),
      particles(other.particles),
      trails(other.trails)
{
}

DS_ParticleGenerator::~DS_ParticleGenerator() = default;

void DS_ParticleGenerator::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

DS_ABObj* DS_ParticleGenerator::CreateObject()
{
    return new DS_ParticlesObj(Clone());
}

void DS_ParticleGenerator::Update(float t, DS_ParticlesObj*)
{
    speed.Update(t);
    const float dt = speed.GetLastStep();
    UpdatePParticleList(particles, dt);
    UpdatePParticleList(trails, dt);
}

bool DS_ParticleGenerator::HitTest(POINT*)
{
    return false;
}

bool DS_ParticleGenerator::NeedsSceneTexture() const
{
    return false;
}

void DS_ParticleGenerator::InitParticle(PParticle& trail, const PParticle& source)
{
    const float life = trailLife.GetDerived();
    trail.channels[PParticle::kAlpha] = source.channels[PParticle::kAlpha];
    trail.AddProcess(new PAgeConst(life));
    trail.AddProcess(new PFade(PParticle::kAlpha, 0.0f, life, -1.0f));
    // Draw order is fixed: the speed, then the direction's two draws.
    const float speedDraw = trailSpeed.GetDerived() * (DS_Rand() * kRandScale);
    trail.AddProcess(new PKinetic(RandomDirection3D(speedDraw), D3DXVECTOR3(0.0f, 0.0f, 0.0f)));
}

void DS_ParticleGenerator::EmitTrails(float t)
{
    const int32_t n = TrailCount(trailRate.GetDerived(), t - lastTrailTime);
    if (n != 0) lastTrailTime = t;
    if (trailsOn.GetValue() == 0 || n <= 0) return;
    for (const PParticle& source : particles) {
        const D3DXVECTOR3 step = (source.position - source.startPosition) / static_cast<float>(n + 1);
        for (int32_t i = 1; i <= n && trails.size() < kMaxParticles; ++i) {
            const D3DXVECTOR3 at = source.startPosition + step * static_cast<float>(i);
            trails.emplace_back(at.x, at.y, at.z);
            InitParticle(trails.back(), source);
        }
    }
    for (PParticle& source : particles) source.RememberPosition();
}

void DS_ParticleGenerator::ReserveLists(double mainAlive)
{
    const size_t main = ReservedCount(mainAlive);
    particles.reserve(main);
    if (trailsOn.GetValue() == 0) return;
    const double seconds = std::max(0.0f, trailLife.GetDerived()) + kSpareSeconds;
    const double each = std::max(0.0f, trailRate.GetDerived()) * seconds + 1.0;
    trails.reserve(ReservedCount(static_cast<double>(main) * each));
}

size_t ReservedCount(double alive)
{
    if (!(alive < static_cast<double>(kMaxParticles))) return kMaxParticles;
    return alive > 0.0 ? static_cast<size_t>(std::ceil(alive)) : 0;
}

void UpdatePParticleList(std::vector<PParticle>& list, float dt)
{
    // Every particle is applied in order; the survivors move down over the
    // ended ones, so nothing is copied or cloned.
    auto kept = list.begin();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (!it->Apply(dt)) continue;
        if (kept != it) *kept = std::move(*it);
        ++kept;
    }
    list.erase(kept, list.end());
}

void DS_ParticleGenerator::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
}

void DS_ParticleGenerator::WriteFields(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteParticlePoints(ar, particles);
    trailLife.Write(*ar);
    trailRate.Write(*ar);
    trailSize.Write(*ar);
    trailSpeed.Write(*ar);
    ar->archive->WriteInt32(trailsOn.GetValue());
    DS_ABObj_Constructor::WriteBody(ar);
}

bool DS_ParticleGenerator::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return ReadFields(ar, version);
}

bool DS_ParticleGenerator::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    // Versions compare as unsigned numbers: a negative one reads as newest.
    const uint32_t stored = static_cast<uint32_t>(version);
    if (stored >= static_cast<uint32_t>(kParticlesVersion) && !ReadPParticleList(ar, particles)) return false;
    if (stored >= static_cast<uint32_t>(kTrailsVersion)) {
        trailLife.Read(*ar);
        trailRate.Read(*ar);
        trailSize.Read(*ar);
        trailSpeed.Read(*ar);
        int32_t on = 0;
        ar->archive->ReadInt32(on);
        if (ar->Failed()) return false;
        trailsOn.SetValue(on);
    } else {
        trailLife.SetValue(kOldTrailLife);
        trailRate.SetValue(kOldTrailRate);
        trailSize.SetValue(0);
        trailSpeed.SetValue(0);
        trailsOn.SetValue(0);
    }
    return DS_ABObj_Constructor::ReadBody(ar);
}

void WriteParticlePoints(DS_IOF_Archive* ar, const std::vector<PParticle>& list)
{
    DS_IOF_Virtual& out = *ar->archive;
    out.WriteInt(static_cast<int32_t>(list.size()));
    for (const PParticle& p : list) {
        out.WriteFloat(p.position.x);
        out.WriteFloat(p.position.y);
        out.WriteFloat(p.position.z);
    }
}

bool ReadPParticle(DS_IOF_Archive* ar, PParticle& particle)
{
    float xyz[3] = {};
    for (float& v : xyz) ar->archive->ReadFloat(v);
    if (ar->Failed()) return false;
    particle = PParticle(FiniteOrZero(xyz[0]), FiniteOrZero(xyz[1]), FiniteOrZero(xyz[2]));
    particle.startPosition = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return true;
}

bool ReadPParticleList(DS_IOF_Archive* ar, std::vector<PParticle>& list)
{
    int32_t count = 0;
    if (!ReadListCount(ar, count)) return false;
    for (int32_t i = 0; i < count; ++i) {
        PParticle particle;
        if (!ReadPParticle(ar, particle)) return false;
        if (list.size() < kMaxParticles) list.push_back(std::move(particle));
    }
    return true;
}
