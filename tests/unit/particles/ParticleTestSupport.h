// A minimal textured particle kind for the particle tests: its record is the
// two generator levels, InitObject loads the pictures and effect and sizes
// two buffers, Update writes one square of side `side` per main particle
// into both buffers (colour into 0, glow colour into 1), Render draws buffer
// 0 through RenderBlendMask or, with `join` set, both buffers through
// RenderJoinMask and then ComposeLayer. PlaysInItsStorage checks that play
// keeps a generator's lists in the storage they had.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "objects/particles/ParticlesObj.h"
#include "objects/particles/QuadFunctions.h"
#include "objects/particles/TexParticleGenerator.h"
#include "unit/MemoryArchive.h"
#include "unit/brushes/BrushRecords.h"

class TestParticleKind : public DS_TexParticleGenerator {
public:
    TestParticleKind() = default;
    TestParticleKind(const TestParticleKind& other) = default;

    void Render(DS_ABRender* service, DS_ParticlesObj* object) override
    {
        if (!join) {
            RenderBlendMask(service, this, CurrentTexture(0), object);
            return;
        }
        if (!CanCompose()) return;
        RenderJoinMask(this, service, object);
        ComposeLayer(this, service);
    }
    void Update(float t, DS_ParticlesObj* object) override
    {
        DS_ParticleGenerator::Update(t, object);
        const auto n = static_cast<unsigned>(particles.size());
        for (size_t i = 0; i < object->BufferCount(); ++i) {
            object->ReserveQuads(i, n);
            DX_V::PCT* vertices = object->LockBuffer(i);
            if (!vertices) continue;
            for (unsigned k = 0; k < object->QuadCount(i); ++k)
                ColorParticleQuad(particles[k], i == 0 ? color : glowColor, vertices, k, side, 1.0f);
            object->UnlockBuffer(i);
        }
    }
    void InitObject(DS_ParticlesObj* object) override
    {
        DS_TexParticleGenerator::InitObject(object);
        object->SetBufferCount(2);
        if (composes) AcquireRenderTarget();
    }
    DS_ParticleGenerator* Clone() const override { return new TestParticleKind(*this); }

    bool composes = true;
    bool join = false;
    float side = 40.0f;
};

// Reads a textured generator record (header included) into item; false when
// the archive failed.
inline bool ReadTexRecord(const std::vector<uint8_t>& bytes, TestParticleKind& item, size_t* left = nullptr)
{
    MemoryArchive memory(bytes);
    DS_IOF_Archive ar = memory.Handle();
    const bool ok = item.ReadBody(&ar);
    if (left) *left = memory.Remaining();
    return ok && !ar.Failed();
}

// Calls step(t) for every frame of `frame` seconds up to `seconds` and says
// whether the item's two lists kept the storage they had before: false as
// soon as either list moves. Both lists must have held particles.
template <class Step>
::testing::AssertionResult PlaysInItsStorage(const DS_ParticleGenerator& item, float seconds, float frame, Step step)
{
    const PParticle* particles = item.particles.data();
    const PParticle* trails = item.trails.data();
    bool held = false;
    for (float t = frame; t < seconds; t += frame) {
        step(t);
        if (item.particles.data() != particles || item.trails.data() != trails)
            return ::testing::AssertionFailure() << "the lists moved at " << t << " s with " << item.particles.size()
                                                 << " particles and " << item.trails.size() << " trails";
        held = held || (!item.particles.empty() && !item.trails.empty());
    }
    if (!held) return ::testing::AssertionFailure() << "the lists never held particles together";
    return ::testing::AssertionSuccess();
}
