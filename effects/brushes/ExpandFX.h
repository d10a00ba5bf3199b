// The expand brush: the picture swells out from the centre and shrinks back
// towards it, following a triangle or a sine wave of the brush clock.
#pragma once

#include "effects/brushes/CentralBased.h"

class DS_ExpandFX : public DS_CentralBased {
public:
    static constexpr const wchar_t* kClassName = L"DS_ExpandFX";
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kDefaultEffectId = 102;

    DS_ExpandFX();
    DS_ExpandFX(const DS_ExpandFX& other) = default;
    DS_ExpandFX& operator=(const DS_ExpandFX&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // Brush clock, then the current amplitude (with fade).
    void Update(float t) override;
    // "amplitude" (outward, inward), "center", then RenderCommon. Nothing
    // without an effect.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_ExpandFX(*this); }

    // -1 to 1 for clock c: sin c for a non-zero wave form, else a triangle
    // wave of period 2 pi that is -1 at 0 and 1 at pi.
    float Wave(float c) const;
    // The two "amplitude" floats for the current amplitude: (x, 0) for
    // x > 0, (0, |x|) otherwise.
    static void SplitAmplitude(float amplitude, float (&out)[2]);
    float CurrentAmplitude() const { return currentAmplitude_; }

    // Header, u32 outward, u32 inward, i32 wave form, then "DS_CentralBased".
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    UINTSclaleTo<float> outwardAmplitude;
    UINTSclaleTo<float> inwardAmplitude;
    MediaParamT<int> waveForm;

private:
    float currentAmplitude_ = 0.0f;
};
