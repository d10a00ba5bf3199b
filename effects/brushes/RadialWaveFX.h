// The radial-wave brush: circular waves running outward or inward from the
// centre, computed by its effect from the parameters set in Render.
#pragma once

#include "effects/brushes/CentralBased.h"

class DS_RadialWaveFX : public DS_CentralBased {
public:
    static constexpr const wchar_t* kClassName = L"DS_RadialWaveFX";
    static constexpr int32_t kVersion = 2;
    // Version 1 records hold none of this level's fields.
    static constexpr uint32_t kFieldsVersion = 2;
    static constexpr int32_t kDefaultEffectId = 103;
    // "time" advances by this factor of the clock.
    static constexpr float kTimeRate = 0.08f;
    // The background scale that leaves the lookup uncorrected.
    static constexpr float kNeutralBackgroundScale = 75.0f;

    DS_RadialWaveFX();
    DS_RadialWaveFX(const DS_RadialWaveFX& other) = default;
    DS_RadialWaveFX& operator=(const DS_RadialWaveFX&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // "bg_scale_factor", "center", "frequency", "amplitude" (with fade),
    // "time", then RenderCommon. Nothing without an effect.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_RadialWaveFX(*this); }

    // "time" for the current clock: +0.08 x clock for a non-zero direction,
    // -0.08 x clock for 0.
    float WaveTime() const;

    // Header, u32 amplitude, u32 wavelength, u32 background scale, i32
    // direction, then "DS_CentralBased".
    void WriteBody(DS_IOF_Archive* ar);
    // The fields of a version 2 (or later) record, then "DS_CentralBased".
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    UINTSclaleTo<float> amplitude;
    UINTSclaleTo<float> wavelength;
    UINTSclaleTo<float> backgroundScale;
    MediaParamT<int> direction;
};
