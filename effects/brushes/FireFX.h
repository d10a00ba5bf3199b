// The fire brush: flames drawn inside the mask on the brush's own 8 x 8
// grid, from a pattern and a noise picture scrolled by the clock and
// coloured between two colours. The flame light holds one as its member and
// draws it on its own mesh through SetNoiseParams.
#pragma once

#include <memory>

#include "effects/brushes/FXConstructor.h"

class DS_FireFX : public DS_FX_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_FireFX";
    static constexpr int32_t kVersion = 3;
    // Version 2 records carry the base's quad and extra int themselves;
    // versions below it store no fields of their own.
    static constexpr uint32_t kOwnQuadVersion = 2;
    static constexpr uint32_t kFieldsVersion = 3;
    static constexpr int32_t kDefaultEffectId = 92;
    static constexpr int32_t kDefaultPatternId = 93;
    static constexpr int32_t kDefaultNoiseId = 8;
    static constexpr UINT kGridCells = 8;
    // A pattern width of 0 would put u at infinity; it counts as this.
    static constexpr float kMinPatternWidth = 0.01f;

    DS_FireFX();
    // Every field; the texture references are shared.
    DS_FireFX(const DS_FireFX& other);
    // The base assignment, then every fire setting (listeners notified) and
    // the texture references.
    DS_FireFX& operator=(const DS_FireFX& other);

    void Write(DS_IOF_Archive* ar) override;
    // The base Init, the current frames of the pattern and noise sets, then
    // the 8 x 8 grid and its geometry.
    void Init(MaskEntry& mask) override;
    // The quad into the grid with u from 0 to 1 / pattern width across and
    // v from 0 to 1 down.
    void BuildGeometry() override;
    // The noise parameters for the grid, the colours, "bg_scale_factor",
    // "Mask", "Background", "Brightness" and "Density" by the fade, then
    // "Main" on the grid. Nothing without an effect or without both
    // pictures. A flagged fire draws into a target of its own: the scene is
    // copied into it first so that only the grid changes.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_FireFX(*this); }

    // "WorldViewProj" for mesh (the mesh's combined matrix to the screen),
    // "ViewProj", "Noise", "Pattern" and the scroll offsets "c11", "c12",
    // "c13" from the clock.
    void SetNoiseParams(const DS_Frame& mesh);
    // The flame light's draw on a mesh of its own: SetNoiseParams, then the
    // colours, "Brightness" and "Density" at full fade (the effect is
    // shared with the fire brushes, which leave their own values behind),
    // then the technique "AsEffect". False, setting nothing, without an
    // effect or without both pictures.
    bool PrepareAsEffect(const DS_Frame& mesh);

    // The per-frame values of Render, for tests and the flame light.
    struct FadedParams {
        float colorK1[3];
        float colorK2[3];
        float brightness;
        float density;
    };
    FadedParams ComputeFadedParams(float fade) const;
    // The pattern width derived, at least kMinPatternWidth.
    float PatternWidth() const;

    // Header, then the fields for the stored version, then the base record.
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);
    // A whole "DS_FireFX" record (header included) into a new object; null
    // when the record cannot be read. The caller owns the object.
    static std::unique_ptr<DS_FireFX> ReadRecord(DS_IOF_Archive* ar);

    IDirect3DTexture9* PatternTexture() const { return patternTexture_.Get(); }
    IDirect3DTexture9* NoiseTexture() const { return noiseTexture_.Get(); }

    MediaParamT<unsigned long> firstColor;
    MediaParamT<unsigned long> secondColor;
    MediaParamT<int> mode;
    DS_ImageFileLink patternImage;
    DS_ImageFileLink noiseImage;
    UINTSclaleTo<float> density;
    UINTSclaleTo<float> brightness;
    UINTSclaleTo<float> patternWidth;

private:
    // Fields 1 to 5 and 6 to 8 of the record.
    bool ReadColorsAndLinks(DS_IOF_Archive* ar);
    bool ReadAmounts(DS_IOF_Archive* ar);
    // "ColorK1", "ColorK2", "Brightness" and "Density".
    void SetFadedParams(const FadedParams& p) const;
    // Quad corners that are not finite (a damaged record) become 0.
    void ClampQuad();

    ComPtr<IDirect3DTexture9> patternTexture_;
    ComPtr<IDirect3DTexture9> noiseTexture_;
};
