// The light brush: a brightness multiplier that pulses by a sine, a square
// wave or noise of the brush clock. Also the pulse shapes that the light
// brush II shares.
#pragma once

#include "effects/brushes/FXConstructor.h"

// 0 to 1: (sin(clock x 0.2) + 1) x 0.5.
float LightSinePulse(float clock);
// The sine pulse as a square wave: 1 above one half, 0 otherwise.
float LightSquarePulse(float clock);
// 0 to 1: (OctaveNoise1D(clock x 10, 75, 0.5, 2 octaves) + 1) x 0.5.
float LightNoisePulse(float clock);

class DS_LightFX : public DS_FX_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_LightFX";
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kDefaultEffectId = 76;
    // Pulse modes: below 2 the sine (1: its square wave), 2 and above noise.
    static constexpr int32_t kSquarePulse = 1;
    static constexpr int32_t kNoisePulse = 2;

    DS_LightFX();
    DS_LightFX(const DS_LightFX& other) = default;
    DS_LightFX& operator=(const DS_LightFX&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // "multiplier" = brightness x pulse x fade, then RenderCommon. Nothing
    // without an effect.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_LightFX(*this); }

    // The pulse p (0 to 1) for the current clock and pulse mode.
    float Pulse() const;

    // Header, u32 brightness, i32 pulse mode, then "DS_FX_Constructor".
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    UINTSclaleTo<float> brightness;
    MediaParamT<int> pulseMode;
};
