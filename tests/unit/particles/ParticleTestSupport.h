// A minimal textured particle kind for the particle tests: its record is the
// two generator levels, InitObject loads the pictures and effect and sizes
// two buffers, Render draws buffer 0 through RenderBlendMask.
#pragma once

#include <vector>

#include "objects/particles/ParticlesObj.h"
#include "objects/particles/TexParticleGenerator.h"
#include "unit/MemoryArchive.h"

class TestParticleKind : public DS_TexParticleGenerator {
public:
    TestParticleKind() = default;
    TestParticleKind(const TestParticleKind& other) = default;

    void Render(DS_ABRender* service, DS_ParticlesObj* object) override
    {
        RenderBlendMask(service, this, CurrentTexture(0), object);
    }
    void InitObject(DS_ParticlesObj* object) override
    {
        DS_TexParticleGenerator::InitObject(object);
        object->SetBufferCount(2);
        if (composes) AcquireRenderTarget();
    }
    DS_ParticleGenerator* Clone() const override { return new TestParticleKind(*this); }
    void Write(DS_IOF_Archive* ar) override { WriteBody(ar); }

    bool composes = true;
};

inline std::vector<uint8_t> WrittenRecord(DS_IOF_Item& item)
{
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    item.Write(&out);
    return memory.bytes;
}

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
