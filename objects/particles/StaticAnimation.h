// A picture sequence played forward or backward on the one quadrilateral of
// the single-rectangle level, drawn with the technique "Blend_Normal" of the
// library's default effect (resource 116 of "common_res.dll", or the copy
// the document stores).
#pragma once

#include <cstdint>

#include "objects/particles/SingleRectGN.h"

class DS_StaticAnimation : public DS_SingleRectGN {
public:
    static constexpr const wchar_t* kClassName = L"DS_StaticAnimation";
    static constexpr int32_t kVersion = 1;
    static constexpr const wchar_t* kEffectModule = L"common_res.dll";
    static constexpr int64_t kEffectNumber = 116;

    // Play speed 0, forward, the effect link set to the library's effect.
    DS_StaticAnimation();
    DS_StaticAnimation(const DS_StaticAnimation& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    // The quad through the effect: technique "Blend_Normal", "Texture" the
    // first sequence's current frame, "Color" the particle colour with its
    // alpha times the time line's. Nothing without the effect or a picture.
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override;
    // The play-speed clock advances, then the first sequence steps with it,
    // forward for direction 0 and backward otherwise.
    void Update(float t, DS_ParticlesObj* object) override;
    DS_ParticleGenerator* Clone() const override { return new DS_StaticAnimation(*this); }

    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Its local clock is the time the frames step with: value 100 plays the
    // sequence at its own durations.
    MediaSpeedParam playSpeed{0u, 0.01f, 0.0f};
    MediaParamT<int> direction{0};
};
