// The generator level that gives a particle effect an emission rectangle.
// Not a document class of its own: it is read as a level of the effects
// built on it, some of which store it without its header. The stored
// rectangle always stands, so InitObject stays the textured level's.
#pragma once

#include <cstdint>

#include "engine/params/MediaQuad.h"
#include "objects/particles/TexParticleGenerator.h"

class DS_ParticleRctRgnGenerator : public DS_TexParticleGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_ParticleRctRgnGenerator";
    static constexpr int32_t kVersion = 1;

    DS_ParticleRctRgnGenerator() = default;
    DS_ParticleRctRgnGenerator(const DS_ParticleRctRgnGenerator& other) = default;

    // Header "DS_ParticleRctRgnGenerator" version 1, then the fields.
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadBody(DS_IOF_Archive* ar);
    // The fields without the header (how some kinds store the level): the
    // rectangle (twelve floats; non-finite ones read as 0), then the
    // textured level's record.
    void WriteFields(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar);

    MediaQuad rectangle;
};
