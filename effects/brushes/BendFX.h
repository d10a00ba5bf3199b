// The bend brush: bends its own 2 x 2 grid, built from the quad, about the
// centre; the bend swings with the brush clock, optionally roughened by
// noise.
#pragma once

#include "effects/brushes/CentralBased.h"

class DS_BendFX : public DS_CentralBased {
public:
    static constexpr const wchar_t* kClassName = L"DS_BendFX";
    static constexpr int32_t kVersion = 1;
    // Noise mode that modulates the bend.
    static constexpr int32_t kNoiseMode = 1;

    // The effect comes from the document.
    DS_BendFX();
    DS_BendFX(const DS_BendFX& other) = default;
    DS_BendFX& operator=(const DS_BendFX&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // The base Init, then the 2 x 2 grid from the quad.
    void Init(MaskEntry& mask) override;
    // Brush clock, then the current bend.
    void Update(float t) override;
    // SetCenterParam, "Angle" (fade x bend), "Bend", then RenderMesh (the
    // grid placed on the picture, or the picture quad for a full-screen
    // brush). Nothing without an effect.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_BendFX(*this); }

    float CurrentBend() const { return currentBend_; }

    // Header, u32 first bend, u32 second bend, u32 bend factor, i32 noise
    // mode, then "DS_CentralBased".
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    UINTSclaleTo<float> firstBend;
    UINTSclaleTo<float> secondBend;
    UINTSclaleTo<float> bendFactor;
    MediaParamT<int> noiseMode;

private:
    float currentBend_ = 0.0f;
};
