// The generator level that owns one quadrilateral in picture pixels and
// draws it as the single quad of buffer 0. The plant and the static
// frame-sequence animation are its kinds; render and clone stay theirs.
#pragma once

#include <cstdint>

#include "engine/params/MediaQuad.h"
#include "objects/particles/StaticGenerator.h"

class DS_SingleRectGN : public DS_StaticGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_SingleRectGN";
    static constexpr int32_t kVersion = 2;
    // Records older than this carry two more floats after the rectangle.
    static constexpr int32_t kNoExtraVersion = 2;

    DS_SingleRectGN() = default;
    DS_SingleRectGN(const DS_SingleRectGN& other) = default;
    ~DS_SingleRectGN() override = default;

    void Write(DS_IOF_Archive* ar) override { WriteBody(ar); }
    // The textured level's InitObject, one buffer, then BuildQuad.
    void InitObject(DS_ParticlesObj* object) override;

    // Buffer 0 := the rectangle as one quad: corner 0 gets UV (0, 0),
    // corner 1 (0, 1), corner 2 (1, 0), corner 3 (1, 1), then the mirror
    // flags swap u and v; all four vertices the particle colour with its
    // alpha. A rectangle with a non-finite coordinate leaves the buffer
    // empty (nothing drawn). Nothing without a particles object.
    void BuildQuad();
    // The quad is built once; a device reset releases its buffer, so kinds
    // call this in their update to build it again when it has gone.
    void RestoreQuad(DS_ParticlesObj* object);

    // Header "DS_SingleRectGN" version 2, the rectangle (twelve floats), the
    // static level's record.
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadBody(DS_IOF_Archive* ar);
    // The rectangle (non-finite coordinates read as 0), the two dropped
    // floats of version 1, then the static level's record.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    MediaQuad rectangle;
};
