// The water brush: a bump-mapped water surface seen in perspective, with
// two moving wave directions. Its angle turns the other way from the
// direction-based brushes: angle 90 gives (0, 1) here.
#pragma once

#include "effects/brushes/FXConstructor.h"
#include "engine/params/FunLightCtrl.h"

class DS_WaterFX : public DS_FX_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_WaterFX";
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kDefaultEffectId = 90;
    static constexpr int32_t kDefaultBumpImageId = 89;
    // The wave shape w must lie in (0, 1) for "P2" to be finite; a shape
    // outside that gives infinities or NaN and is clamped into this range.
    static constexpr float kMinWaveShape = 0.0001f;
    static constexpr float kMaxWaveShape = 0.999f;

    // The effect's perspective and light vectors for the current settings.
    struct WaveParams {
        float direction1[2];
        float direction2[2];
        float p1[3];
        float p2[3];
        float vhalf[3];
    };

    DS_WaterFX();
    // Copies every field, hooks its own listener and recomputes the
    // direction.
    DS_WaterFX(const DS_WaterFX& other);
    DS_WaterFX& operator=(const DS_WaterFX&) = delete;
    ~DS_WaterFX() override;

    void Write(DS_IOF_Archive* ar) override;
    // The bump texture (current frame of the bump image's set), then the
    // base Init.
    void Init(MaskEntry& mask) override;
    // Brush clock, then the bump transform.
    void Update(float t) override;
    // The water parameters, then RenderCommon. Nothing without an effect or
    // without a bump texture.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_WaterFX(*this); }

    // direction = (cos g, sin g), g = angle in radians.
    void UpdateDirection();
    void HookListener();
    WaveParams ComputeWaveParams() const;

    // Header, the record's nine fields (no base level in between), then
    // "DS_FX_Constructor".
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    const float (&Direction() const)[4] { return direction_; }
    const float (&BumpTransform() const)[4] { return bumpTransform_; }
    IDirect3DTexture9* BumpTexture() const { return bumpTexture_.Get(); }

    UINTSclaleTo<float> waveShape;
    UINTSclaleTo<float> bumpStrength;
    UINTSclaleTo<float> secondWaveStep;
    UINTSclaleTo<float> firstWaveLength;
    MediaParamT<unsigned> angle;
    UINTSclaleTo<float> shadows;
    UINTSclaleTo<float> lightHeight;
    MediaParamT<unsigned long> color;
    DS_ImageFileLink bumpImage;

private:
    ComPtr<IDirect3DTexture9> bumpTexture_;
    float bumpTransform_[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float direction_[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    DS_FunLightLinks listeners_;
};
