// The underwater brush: the whole picture displaced by waves whose frequency
// follows the picture's aspect. It is not a scene item of its own: the
// underwater light holds one and draws the finished scene through it.
#pragma once

#include <memory>

#include "effects/brushes/FXConstructor.h"

class DS_UnderwaterFX : public DS_FX_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_UnderwaterFX";
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kDefaultEffectId = 88;
    // "time" advances by this factor of the clock.
    static constexpr float kTimeRate = 0.08f;

    DS_UnderwaterFX();
    DS_UnderwaterFX(const DS_UnderwaterFX& other);
    // The base assignment, then amplitude and wavelength (value, scale and
    // offset; listeners notified).
    DS_UnderwaterFX& operator=(const DS_UnderwaterFX& other);

    void Write(DS_IOF_Archive* ar) override;
    // "frequency", "amplitude", "time", then RenderCommon. Nothing without
    // an effect.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_UnderwaterFX(*this); }

    struct WaveParams {
        float frequency[2];
        float amplitude;
        float time;
    };
    // The values Render sends for a picture of the given size; a picture
    // without size counts as square.
    WaveParams ComputeParams(float pictureWidth, float pictureHeight) const;

    // Header, u32 amplitude, u32 wavelength, then "DS_FX_Constructor".
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);
    // A whole record (header included) into a new object; null when it
    // cannot be read. The caller owns the object.
    static std::unique_ptr<DS_UnderwaterFX> ReadRecord(DS_IOF_Archive* ar);

    UINTSclaleTo<float> amplitude;
    UINTSclaleTo<float> wavelength;
};
