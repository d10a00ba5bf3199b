// An explosion: one sprite that grows from a quarter of its size to full
// size while its time line fades in, and whose look comes from its effect: a
// gradient picture read through a noise picture that scrolls by two pairs
// of noise offsets, renewed at every whole unit of the item's speed clock
// and drifting in a set direction, tinted between two colours and flaring
// and burning out with the fades. With random 0 every visible cycle repeats
// the offsets that the seed starts.
#pragma once

#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>

#include "engine/params/MediaColor.h"
#include "engine/params/MediaDirection.h"
#include "engine/params/UINTSclaleTo.h"
#include "engine/resources/ComPtr.h"
#include "objects/particles/StatBaseFXCtrl.h"

class DS_ExplosionConstructor : public DS_StatBaseFXCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_ExplosionConstructor";
    static constexpr int32_t kVersion = 2;
    // Records below this version carry five old durations (milliseconds).
    static constexpr int32_t kTimeLineVersion = 2;

    // Noise parameters 21, 15, 42 (0.79, 0.15, 0.42), drift 0 degrees at
    // speed 50 (0.25), second colour black, item speed 100, size 250.
    DS_ExplosionConstructor();
    // Every parameter, both textures (a further reference each), the noise
    // state and the drift clock.
    DS_ExplosionConstructor(const DS_ExplosionConstructor& other);

    // 2. The kind's record.
    void Write(DS_IOF_Archive* ar) override;
    // 8. The time line and speed clock rewind (DS_ViewObjCtrl); the noise
    // state, the whole clock unit last renewed at and the drift clock start
    // again, so the offsets renew from the first unit on every showing.
    void Restart() override;
    // 16. Drift clock, noise state while invisible, position, growth and
    // alpha while fading in, half size.
    void UpdateSprite(SpriteInstance& sprite) override;
    // 20.
    DS_ParticleSystemCtrl* Clone() const override { return new DS_ExplosionConstructor(*this); }
    // 21. The effect, then the gradient (first image link) and noise
    // (second image link) textures, then the first noise offsets.
    void LoadEffect() override;
    // Technique "Main" and every parameter of the effect, by name.
    void SetEffectParams(DS_ABRender* service) override;

    // Header, the kind's fields, then the "DS_StatBaseFXCtrl" record.
    void WriteBody(DS_IOF_Archive* ar) const;
    // The kind's fields for the stored version, then the inner records; a
    // record below version 2 moves its old durations into the time line
    // once everything is read. False (archive failed) on short data.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // The next noise offset pair: drawn freely when random is non-zero;
    // otherwise the renewal counter's pair of the sequence the seed starts
    // (the process-wide generator ends as if reseeded and drawn that far).
    void NextNoiseOffsets();

    // The values SetEffectParams hands the effect, for the current state.
    struct EffectValues {
        float color1[3];
        float color2[3];
        float noiseShift[4];
        float noiseParams[3];
        float time[2];
        float phase3rd[2];
        float phase1st;
    };
    // Renews the offsets when the speed clock has passed a whole unit, as
    // SetEffectParams does, and gives the values.
    EffectValues ComputeEffectValues();

    D3DXVECTOR2 PreviousNoise() const { return previousNoise_; }
    D3DXVECTOR2 NextNoise() const { return nextNoise_; }
    int32_t RenewalCounter() const { return renewalCounter_; }
    IDirect3DTexture9* GradientTexture() const { return gradientTexture_.Get(); }
    IDirect3DTexture9* NoiseTexture() const { return noiseTexture_.Get(); }

    UINTSclaleTo<float> noise1;
    UINTSclaleTo<float> noise2;
    UINTSclaleTo<float> noise3;
    MediaDirection driftDirection{0};
    MediaSpeedParam driftSpeed;
    MediaParamT<unsigned> seed{0};
    MediaParamT<int> random{0};
    MediaColor secondColor{0};  // 0x00BBGGRR

private:
    // Noise state and drift clock back to their start.
    void ClearNoise();

    ComPtr<IDirect3DTexture9> gradientTexture_;
    ComPtr<IDirect3DTexture9> noiseTexture_;
    D3DXVECTOR2 previousNoise_{0.0f, 0.0f};
    D3DXVECTOR2 nextNoise_{0.0f, 0.0f};
    float lastWholeClock_ = 0.0f;
    int32_t renewalCounter_ = 1;
    // With random 0: the generator state after the draws of the renewals
    // made so far (the seed before the first). Renewal n continues from it
    // rather than reseeding and drawing 2n numbers again, which would cost
    // more with every renewal of a long visible phase; the numbers and the
    // state it leaves are the same.
    uint32_t seededState_ = 0;
};
