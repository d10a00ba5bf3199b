// The move brush: shifts the picture back and forth along the direction,
// by a sine of the brush clock or by noise. The first amplitude is the
// direction level's strength.
#pragma once

#include "effects/brushes/DirectionBased.h"

class DS_MoveFX : public DS_DirectionBased {
public:
    static constexpr const wchar_t* kClassName = L"DS_MoveFX";
    static constexpr int32_t kVersion = 2;
    // Version 1 records hold only the motion; the second amplitude came
    // with version 2.
    static constexpr uint32_t kSecondAmplitudeVersion = 2;
    static constexpr int32_t kDefaultEffectId = 91;
    static constexpr int32_t kNoiseMotion = 1;

    DS_MoveFX();
    DS_MoveFX(const DS_MoveFX& other) = default;
    DS_MoveFX& operator=(const DS_MoveFX&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // Brush clock, then the shift (with fade).
    void Update(float t) override;
    // "Direction" = the shift, then RenderCommon. Nothing without an effect.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_MoveFX(*this); }

    const float (&Shift() const)[2] { return shift_; }

    // Header, i32 motion, u32 second amplitude, then "DS_DirectionBased".
    void WriteBody(DS_IOF_Archive* ar);
    // Version 1: the motion, "DS_DirectionBased", then the second amplitude
    // takes the first's value, scale and offset (a symmetric swing).
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    MediaParamT<int> motion;
    UINTSclaleTo<float> secondAmplitude;

private:
    float shift_[2] = {0.0f, 0.0f};
};
