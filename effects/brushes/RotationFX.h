// The rotation brush: turns the picture about the centre, optionally along
// an ellipse whose axes are turned by the ellipse angle.
#pragma once

#include "effects/brushes/CentralBased.h"

class DS_RotationFX : public DS_CentralBased {
public:
    static constexpr const wchar_t* kClassName = L"DS_RotationFX";
    static constexpr int32_t kVersion = 1;

    // The effect comes from the document; the time line's speed follows
    // its opacity (speed mode 2).
    DS_RotationFX();
    DS_RotationFX(const DS_RotationFX& other) = default;
    DS_RotationFX& operator=(const DS_RotationFX&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // Brush clock; angle = clock for direction 0, -clock otherwise.
    void Update(float t) override;
    // "coord_transf", "offset", "mix_color", then RenderCommon. Nothing
    // without an effect.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_RotationFX(*this); }

    // The ratio the matrix uses: the derived ellipse ratio, or 1 when that
    // is 0 or below (the default value 0 would divide by zero and hand the
    // effect infinities).
    float EllipseRatio() const;
    // (T._11, T._12, T._21, T._22) of the elliptic rotation for the current
    // angle, ratio and ellipse angle.
    void Transform(float (&out)[4]) const;
    // The alpha of "mix_color": fade for time-line speed mode 1, else 1.
    float MixAlpha() const;
    float Angle() const { return angle_; }

    // Header, u32 ratio, u32 ellipse angle, i32 direction, then
    // "DS_CentralBased".
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    UINTSclaleTo<float> ellipseRatio;
    MediaParamT<unsigned> ellipseAngle;
    MediaParamT<int> direction;

private:
    float angle_ = 0.0f;
};
