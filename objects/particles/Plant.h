// A plant: the single rectangle drawn with the document's swaying-plant
// effect. The item only advances the effect's clock and hands the effect
// its parameters; the sway itself is the effect's.
#pragma once

#include <cstdint>

#include "objects/particles/SingleRectGN.h"

class DS_Plant : public DS_SingleRectGN {
public:
    static constexpr const wchar_t* kClassName = L"DS_Plant";
    static constexpr int32_t kVersion = 1;

    DS_Plant() = default;
    DS_Plant(const DS_Plant& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    // Technique "Main" with "Texture" (picture 0), "Time", "Frequency",
    // "WMagnitude", "BMagnitude" and "color" (1, 1, 1, a), then buffer 0.
    // a is the time line's opacity when the time line's speed mode is 1,
    // else 1. Nothing without the effect or the picture.
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override;
    // Advances the time clock; builds the quad again after a device reset.
    void Update(float t, DS_ParticlesObj* object) override;
    DS_ParticleGenerator* Clone() const override { return new DS_Plant(*this); }

    // Time speed, frequency, W magnitude, B magnitude (each notified), then
    // the single-rectangle record. The version is not looked at.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Its local clock is the effect's "Time".
    MediaSpeedParam timeSpeed{0u, 0.02f, 0.0f};
    UINTSclaleTo<float> frequency{0u, 0.1f, 0.0f};
    UINTSclaleTo<float> wMagnitude{0u, 0.002f, 0.0f};
    UINTSclaleTo<float> bMagnitude{0u, 0.002f, 0.0f};
};
