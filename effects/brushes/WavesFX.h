// The waves brush: parallel sine waves running along its own angle, with a
// second direction across or against it chosen by the cross mode.
#pragma once

#include "effects/brushes/FXConstructor.h"
#include "engine/params/FunLightCtrl.h"

class DS_WavesFX : public DS_FX_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_WavesFX";
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kDefaultEffectId = 77;
    // "time" advances by this factor of the clock.
    static constexpr float kTimeRate = 0.08f;

    DS_WavesFX();
    // Copies every field, hooks its own listeners and recomputes the
    // directions.
    DS_WavesFX(const DS_WavesFX& other);
    DS_WavesFX& operator=(const DS_WavesFX&) = delete;
    ~DS_WavesFX() override;

    void Write(DS_IOF_Archive* ar) override;
    // "direction", "direction_n", "frequency", "amplitude" (with fade),
    // "time", then RenderCommon. Nothing without an effect.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_WavesFX(*this); }

    // g = (360 - angle) degrees: direction (cos g, sin g); second direction
    // (-sin g, cos g) for cross mode 0, (-cos g, -sin g) otherwise.
    void UpdateDirection();
    // Puts the listeners that call UpdateDirection on the angle and the
    // cross mode.
    void HookListener();

    const float (&Direction() const)[4] { return direction_; }
    const float (&SecondDirection() const)[4] { return secondDirection_; }

    // Header, u32 amplitude, u32 wavelength, u32 angle, i32 cross mode, then
    // "DS_FX_Constructor". Read: the angle and the mode are stored without
    // notification (the runtime clone recomputes the directions).
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    UINTSclaleTo<float> amplitude;
    UINTSclaleTo<float> wavelength;
    MediaParamT<unsigned> angle;
    MediaParamT<int> crossMode;

private:
    float direction_[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    float secondDirection_[4] = {0.0f, 1.0f, 0.0f, 0.0f};
    DS_FunLightLinks listeners_;
};
