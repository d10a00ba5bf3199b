// The brush level that acts along a direction: an angle in degrees kept as
// a unit vector, and a strength whose meaning each kind gives.
//
// Contract for kinds: set strength's scale (and value) in the constructor;
// read direction (x, y) from Direction(); the kind's record ends with
// WriteBody / ReadBody of this level.
#pragma once

#include "effects/brushes/FXConstructor.h"
#include "engine/params/FunLightCtrl.h"

class DS_DirectionBased : public DS_FX_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_DirectionBased";
    static constexpr int32_t kVersion = 1;

    // Strength 0 (scale 1), angle 0, direction (1, 0); the angle's listener
    // keeps the direction current.
    DS_DirectionBased();
    // Copies strength and angle, hooks its own listener and recomputes the
    // direction.
    DS_DirectionBased(const DS_DirectionBased& other);
    DS_DirectionBased& operator=(const DS_DirectionBased&) = delete;
    ~DS_DirectionBased() override;

    void Write(DS_IOF_Archive* ar) override;

    // direction = (cos g, sin g, 0, 0), g = (360 - angle) degrees: angle 0
    // gives (1, 0), 90 gives (0, -1), 270 gives (0, 1) (y grows downward).
    void UpdateDirection();
    // Puts the listener that calls UpdateDirection on the angle.
    void HookListener();

    // "DS_DirectionBased" record: u32 strength, u32 angle, then the
    // "DS_FX_Constructor" record.
    void WriteBody(DS_IOF_Archive* ar);
    // The version is not examined; the angle is stored without
    // notification (the runtime clone recomputes the direction).
    bool ReadBody(DS_IOF_Archive* ar);

    const float (&Direction() const)[4] { return direction_; }

    UINTSclaleTo<float> strength;
    MediaParamT<unsigned> angle;

private:
    float direction_[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    DS_FunLightLinks listeners_;
};
