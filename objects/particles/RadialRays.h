// A fan of rays from the generator's origin that turns one way, the other
// way, or swings; ray lengths and spacing may be drawn from a stored seed.
// The rays are built anew before every draw and drawn through the
// blend-mask layer.
#pragma once

#include <d3dx9math.h>

#include <cstdint>

#include "objects/particles/StaticGenerator.h"

class DS_RadialRays : public DS_StaticGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_RadialRays";
    static constexpr int32_t kVersion = 1;
    // Rotation modes.
    static constexpr int32_t kTurnForward = 0;
    static constexpr int32_t kTurnBackward = 1;
    static constexpr int32_t kSwing = 2;

    DS_RadialRays();
    DS_RadialRays(const DS_RadialRays& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    // BuildRays, then the blend-mask layer with the current picture of the
    // texture index's set. An index outside the sets, or a set without a
    // picture, draws nothing.
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override;
    // Advances the rotation clock c; the rotation turns about z by c (mode
    // 0 and unknown modes), -c (mode 1) or sin(c) x swing amplitude (mode 2).
    void Update(float t, DS_ParticlesObj* object) override;
    // The textured level's InitObject, the private target, one buffer, the rays.
    void InitObject(DS_ParticlesObj* object) override;
    DS_ParticleGenerator* Clone() const override { return new DS_RadialRays(*this); }

    // Buffer 0 := one quad per ray (at most one buffer's worth). Draws one
    // number r0 first; with random set the generator is seeded with the
    // seed, each ray draws its length share and then its spacing, and the
    // generator is seeded with r0 at the end. A non-finite origin or
    // rotation leaves the buffer empty.
    void BuildRays();

    // The fields in stored order (plain values stored without notification,
    // the scaled ones notified), then the static level's record. The version
    // is not looked at.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    MediaParamT<unsigned> rayLength;
    MediaParamT<unsigned> rayWidth;
    MediaParamT<unsigned> rayCount;
    MediaParamT<int> textureIndex;
    MediaParamT<int> random;
    MediaParamT<unsigned> seed;
    // Derived m: the least share of a ray's length and spacing.
    UINTSclaleTo<float> spread{0u, -0.01f, 1.0f};
    // Its local clock is the rotation angle in radians.
    MediaSpeedParam rotationSpeed{0u, 0.02f, 0.0f};
    MediaParamT<int> rotationMode;
    // Derived f: the level the rays keep while the time line is faded out.
    UINTSclaleTo<float> fadeFloor{0u, -0.01f, 1.0f};
    UINTSclaleTo<float> swingAmplitude{0u, 0.02f, 0.0f};

    D3DXMATRIX rotation;
};
