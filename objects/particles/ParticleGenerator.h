// The common level of every particle system: two particle lists (main
// particles and their trails), trail emission and the simulation speed.
// Each runtime object (DS_ParticlesObj) simulates its own clone of the item.
//
// Contract for generator kinds:
// - Clone returns a new object made by the kind's copy constructor.
// - InitObject (runtime clone only) calls the textured level's InitObject
//   first, then sizes the object's buffers.
// - Update advances the speed and the lists (DS_ParticleGenerator::Update)
//   and refills the buffers; Render only draws them.
// - Write writes the kind's record: header, the kind's fields, then the base
//   level's WriteBody; the registry reader calls the kind's ReadFields, which
//   ends with the base level's ReadBody. False (archive failed) on short data.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/params/MediaParam.h"
#include "engine/params/UINTSclaleTo.h"
#include "engine/render/Mesh.h"
#include "engine/scene/ABObj.h"
#include "objects/particles/PParticle.h"

class DS_ABRender;
class DS_ParticlesObj;

// Most particles one list holds and one buffer draws (16-bit indices).
constexpr size_t kMaxParticles = DS_IndexedMesh<DX_V::PCT>::kMaxQuads;

class DS_ParticleGenerator : public DS_ABObj_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_ParticleGenerator";
    static constexpr int32_t kVersion = 3;
    static constexpr int32_t kParticlesVersion = 2;  // stored main particles
    static constexpr int32_t kTrailsVersion = 3;     // stored trail parameters
    // What records older than kTrailsVersion get.
    static constexpr unsigned kOldTrailLife = 20;
    static constexpr unsigned kOldTrailRate = 30;

    DS_ParticleGenerator();
    // Copies every parameter with the clock, the last trail time and both
    // lists (processes cloned).
    DS_ParticleGenerator(const DS_ParticleGenerator& other);
    DS_ParticleGenerator& operator=(const DS_ParticleGenerator&) = delete;
    ~DS_ParticleGenerator() override;

    // 2. The generator levels' records; kinds write their own around them.
    void Write(DS_IOF_Archive* ar) override;
    // 6. A new DS_ParticlesObj around Clone().
    DS_ABObj* CreateObject() override;

    // 13. Draws the object's buffers.
    virtual void Render(DS_ABRender* service, DS_ParticlesObj* object) = 0;
    // 14. Advances the speed to local time t, then both lists by its last
    // scaled step.
    virtual void Update(float t, DS_ParticlesObj* object);
    // 15. Loads what the object draws with and sizes its buffers.
    virtual void InitObject(DS_ParticlesObj* object) = 0;
    // 16. Always false.
    virtual bool HitTest(POINT* point);
    // 17.
    virtual bool NeedsSceneTexture() const;
    // 18. Gives a new trail particle its processes: the source's alpha, a
    // life of trail life seconds, a fade of the alpha by 1 over that life,
    // and a motion in a random direction at up to the trail speed.
    // Draws: the speed, then RandomDirection3D's two.
    virtual void InitParticle(PParticle& trail, const PParticle& source);
    // 19.
    virtual DS_ParticleGenerator* Clone() const = 0;

    // Emits the trails owed at local time t: N = trail rate x (t - last
    // trail time) per main particle, at equal steps strictly between its
    // start position and position. The trail list stops at kMaxParticles.
    void EmitTrails(float t);
    // Reserves the main list for mainAlive particles and the trail list for
    // the trails they keep alive (each trail rate x (trail life +
    // kSpareSeconds) + 1, none with trails off), each list at most
    // kMaxParticles, so that play within those counts does not grow them.
    void ReserveLists(double mainAlive);
    // Emission a reserve keeps to spare for a long frame, in seconds.
    static constexpr float kSpareSeconds = 0.25f;

    // "DS_ParticleGenerator" record: header, then WriteFields.
    void WriteBody(DS_IOF_Archive* ar);
    void WriteFields(DS_IOF_Archive* ar);
    bool ReadBody(DS_IOF_Archive* ar);
    // The fields of the stored version, then the DS_ABObj_Constructor record.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    UINTSclaleTo<float> trailLife;
    PerSecondCounter trailRate;
    float lastTrailTime = 0.0f;
    UINTSclaleTo<float> trailSize;
    UINTSclaleTo<float> trailSpeed;
    MediaParamT<int> trailsOn;
    MediaSpeedParam speed;
    std::vector<PParticle> particles;
    std::vector<PParticle> trails;
};

// Applies every particle with dt and drops those that ended, keeping the
// order of the rest (one pass; the list keeps its storage).
void UpdatePParticleList(std::vector<PParticle>& list, float dt);

// The room a list reserves for `alive` particles: the count rounded up,
// at most kMaxParticles (which an unbounded or undefined count gets).
size_t ReservedCount(double alive);

// n, then x, y, z of each particle.
void WriteParticlePoints(DS_IOF_Archive* ar, const std::vector<PParticle>& list);
// A particle at the stored point (a non-finite coordinate reads as 0),
// start position 0, default channels, no processes. False on short data.
bool ReadPParticle(DS_IOF_Archive* ar, PParticle& particle);
// A count, then that many points appended to list; a negative count fails
// the archive, one larger than the data fails at the first short point, and
// points past kMaxParticles are read and dropped.
bool ReadPParticleList(DS_IOF_Archive* ar, std::vector<PParticle>& list);

// A stored float that is not finite reads as 0.
float FiniteOrZero(float value);
// True when x, y and z are all finite.
bool IsFinitePoint(const D3DXVECTOR3& p);
