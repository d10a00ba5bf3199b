// The lake picture layer: over the lower part of the slide picture it
// draws the picture above a horizon mirrored downwards, rippled by a du/dv
// map whose rotation turns with time (bump-environment mapping on texture
// stage 0 over a square copy of the picture on stage 1), with a coloured
// tint over the water and a soft tinted strip just above the horizon. All
// of it happens in RenderBackground with fixed-function texture stages.
#pragma once

#include <cstdint>

#include "engine/params/MediaColor.h"
#include "engine/params/UINTSclaleTo.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/Light2D.h"

class FakeLake2D : public DS_2D_Light {
public:
    static constexpr const wchar_t* kClassName = L"FakeLake2D";
    static constexpr int32_t kVersion = 2;
    static constexpr int32_t kMaxReflectionShift = 4;  // copy of 128 to 2048 pixels
    static constexpr float kRippleScale = 0.04f;
    static constexpr float kRadiansPerLocalSecond = 0.5f * 9.0f;

    // A fresh ripple key; every setting at its default.
    FakeLake2D();

    void Write(DS_IOF_Archive* ar) override;
    // Fields 1 to 13 for version 2 and later, the ripple key alone for
    // version 1 and lower, then the picture layer's record. False when the
    // data ran out.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    HRESULT DrawAlphaTested(AlphaTestedGrid& grid, int32_t value) override;
    void RestoreDeviceObjects() override;
    void ResetDeviceState() override;
    void RenderBackground(bool noClear) override;
    void FrameMove(float t) override;
    void OnPictureChanged() override;

    // X: the lake's fraction of the picture height, 0 to 0.5 (a lake height
    // above 100 counts as 100).
    float LakeFraction() const;
    // Side of the square picture copy: 128 << n with n kept to 0..4.
    uint32_t ReflectionSide() const;
    // Height in picture pixels of the tinted strip above the horizon: the
    // strip setting, at most the rows above the horizon.
    float StripPixels(float pictureHeight) const;
    // Tint alpha at the lake's bottom (a) and at the horizon (b).
    float BottomAlpha() const { return waterTint.GetDerived(); }
    float HorizonAlpha() const { return waterTint.GetDerived() * (1.0f - horizonFade.GetDerived()); }
    // The four bump-matrix values (00, 01, 10, 11).
    const float* BumpMatrix() const { return bump_; }
    // Whether the mirror is drawn through the ripple map (a V8U8 map and a
    // device that can bump-map with it).
    bool Rippled() const { return rippled_; }
    IDirect3DTexture9* RippleMap() const { return rippleMap_.Get(); }
    IDirect3DTexture9* ReflectionTexture() const { return reflection_.Texture(); }
    const DS_SimpleMesh<PT2>& ReflectionMesh() const { return reflectionMesh_; }
    const DS_SimpleMesh<PC>& TintQuad() const { return tintQuad_; }
    const DS_SimpleMesh<PC>& HorizonStrip() const { return horizonStrip_; }
    bool FirstRestore() const { return firstRestore_; }

    // Turns a quad with top corners at y 0 and bottom corners at y H into
    // the lake below the horizon y = H x (1 - X): the top corners move to
    // the horizon, texture v becomes 1 - X there and 1 - 2X at the bottom.
    static void MirrorBelowHorizon(ScreenQuad& quad, float x);

    MediaSpeedParam speed{50, 0.02f, 0.0f};
    UINTSclaleTo<float> bumpTiling{100, 0.01f, 0.0f};
    UINTSclaleTo<float> lakeHeight{25, -0.005f, 0.5f};
    UINTSclaleTo<float> rippleContrast{100, 0.01f, 0.0f};
    UINTSclaleTo<float> waterTint{31, 0.002f, 0.0f};
    UINTSclaleTo<float> horizonFade{58, 0.01f, 0.0f};
    MediaParamT<unsigned> rippleAmplitude{25};
    MediaParamT<unsigned> stripHeight{7};
    MediaParamT<int> reflectionSize{1};
    MediaColor lakeColor{0x408000};
    GuidResourceKey rippleKey;

private:
    HRESULT SetBumpStates();
    void UpdateLakeGeometry();
    void PlaceTintQuads(const ScreenQuad& lake, float pictureHeight);
    void SetTintAlphas();
    void SetTintRGB();
    HRESULT CreateReflectionMesh();
    void FillReflectionMesh(const ScreenQuad& lake);
    void SetBumpUV(float t);
    void CopyPicture();
    void FindRippleMap();

    ComPtr<IDirect3DTexture9> rippleMap_;
    DS_TexturedMesh<PT> reflection_;  // holds the square picture copy
    DS_SimpleMesh<PC> tintQuad_;
    DS_SimpleMesh<PC> horizonStrip_;
    DS_SimpleMesh<PT2> reflectionMesh_;
    float bump_[4] = {kRippleScale, 0.0f, 0.0f, kRippleScale};
    bool rippled_ = false;
    bool hasLake_ = false;
    bool firstRestore_ = true;
};
