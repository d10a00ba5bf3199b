// The light brush II: a coloured light blended over the picture inside the
// mask by one of four blend techniques, pulsing by a sine, a square wave or
// noise of the brush clock.
#pragma once

#include "effects/brushes/FXConstructor.h"

class DS_LightFX_II : public DS_FX_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_LightFX_II";
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kDefaultEffectId = 76;
    // Pulse modes; any other value is constant like kConstantPulse.
    static constexpr int32_t kConstantPulse = 0;
    static constexpr int32_t kSinePulse = 1;
    static constexpr int32_t kSquarePulse = 2;
    static constexpr int32_t kNoisePulse = 3;

    DS_LightFX_II();
    DS_LightFX_II(const DS_LightFX_II& other) = default;
    DS_LightFX_II& operator=(const DS_LightFX_II&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // The base Init, then a 2 x 2 grid from the quad (Render does not draw it).
    void Init(MaskEntry& mask) override;
    // "BlendColor", "Texture2" (mask), "Texture1" (scene texture), the
    // technique of the blend mode, then the picture quad. A blend mode
    // outside 0 to 3 sets no technique: the shared effect keeps the one it
    // had last. Nothing without an effect.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_LightFX_II(*this); }

    // The pulse p (0 to 1, before fade) for the current clock and mode.
    float Pulse() const;
    // The technique name of a blend mode; null outside 0 to 3.
    static const char* BlendTechnique(int32_t blendMode);

    // Header, u32 intensity, i32 pulse mode, i32 blend mode, i32 colour,
    // then "DS_FX_Constructor".
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    UINTSclaleTo<float> intensity;
    MediaParamT<int> pulseMode;
    MediaParamT<int> blendMode;
    MediaParamT<unsigned long> color;
};
