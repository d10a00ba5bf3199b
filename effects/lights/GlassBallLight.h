// The glass-ball picture layer: the slide's scene is drawn into the render
// targets as usual; the closing pass then draws a background (a vertical
// colour gradient or a second picture), a glass ball in perspective that
// shows the finished scene refracted through a lens (bump-environment
// mapping of a hemisphere's du/dv map on stage 0 over the scene on stage
// 1, whose coordinates come from the camera-space position), overlay
// pictures on the ball and a stand under it. The scene in the ball can
// scroll sideways or sway. Fixed-function only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/params/MediaColor.h"
#include "engine/params/MediaParam.h"
#include "engine/params/UINTSclaleTo.h"
#include "engine/render/Mesh.h"
#include "engine/render/RenderContext.h"
#include "engine/render/TextureEntry.h"
#include "engine/scene/Light2D.h"

// The animation clock of every glass-ball light in the process: the lights
// of all slides and monitors share one accumulator and one last time, so a
// ball keeps its phase when its slide comes back. Owned here because
// nothing else reads it; tests restart it.
class GlassBallClock {
public:
    static GlassBallClock& Instance();
    // accumulator += (t - last) x factor x 0.0625, the last time starting
    // at the first t seen; then last = t.
    void Advance(float t, float factor);
    void Restart();
    float Accumulator() const { return accumulator_; }

private:
    float accumulator_ = 0.0f;
    float last_ = 0.0f;
    bool started_ = false;
};

// Writes a screen quad into a mesh only when it differs from the one last
// written there: every write locks the buffer, and the layout is worked out
// every frame.
class QuadWriter {
public:
    template <class Mesh>
    void Write(Mesh& mesh, const ScreenQuad& quad);

private:
    ScreenQuad last_;
    bool written_ = false;
};

class DS_GlassBallLight : public DS_2D_Light {
public:
    static constexpr const wchar_t* kClassName = L"DS_GlassBallLight";
    static constexpr int32_t kVersion = 1;
    static constexpr UINT kLensSide = 256;
    static constexpr UINT kDiscSide = 1024;
    static constexpr UINT kGradientSide = 256;
    // The lens map's scale: the float nearest 25600 / (pi / 2).
    static constexpr float kLensScale = 16297.4658203125f;

    enum Animation : int32_t { kStill = 0, kScrollOneWay = 1, kScrollOtherWay = 2, kSway = 3 };

    struct LensParams {
        float eyeDepth;      // e
        float radiusFactor;  // R
        float amplitude;     // A
    };

    DS_GlassBallLight();
    ~DS_GlassBallLight() override;

    // Header, the fifteen fields, then the "DS_2D_Light" record.
    void Write(DS_IOF_Archive* ar) override;
    // Every version reads the same fields. False (nothing assigned) when the
    // data run out.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    void PushRenderTarget(RenderTargetChain& chain, int32_t mode) override;
    void PopRenderTarget() override;
    void RestoreDeviceObjects() override;
    // The base's, then the ball's samplers, bump matrix and stages; the
    // dynamic quads made again after a device reset.
    void ResetDeviceState() override;
    // The base's; the scroll quads drop the render target they showed and
    // the dynamic quads are released (a device reset needs them gone).
    void InvalidateDeviceObjects() override;
    // The closing pass; skip is not used. Nothing happens when the frame
    // was not drawn into the render targets (the chain had no textures):
    // the scene is then on the back buffer already.
    void DrawBorders(bool skip) override;
    void RenderBackground(bool noClear) override;
    void FrameMove(float t) override;
    void Resize(int32_t w, int32_t h) override;
    void SetPicturePosition(int32_t mode) override;
    bool NeedsSceneTexture() const override { return true; }

    void UseGradientBackground();
    void ApplyBackgroundChoice();
    void LoadBackgroundPicture();
    void ComputeLensParams();
    void SetBallTransforms(bool lens);

    // The generated textures' texels. Lens (x, y) in 0..255 gives (U, V);
    // the disc mask at (i, j) in -512..511; a gradient row r in 0..255 from
    // 0x00BBGGRR colours gives 0x00RRGGBB.
    static void LensTexel(int x, int y, int16_t& u, int16_t& v);
    static uint8_t DiscTexel(int i, int j);
    static uint32_t GradientRow(uint32_t top, uint32_t bottom, int r);
    // e, R and A from ball size s, lens strength k, camera scale x SX and
    // background coverage y KY (a product SX x KY of 0 counts as 1).
    static LensParams LensFor(uint32_t s, uint32_t k, float sx, float ky);
    // The triangle wave of the sway, 1 to -1 and back every 2 units of the
    // accumulator.
    static float SwayFor(float accumulator);
    // The scroll quads' shift as a fraction of the width (mode 1 or 2).
    static float ScrollFraction(int32_t mode, float accumulator);

    // Settings (the record's fields).
    DS_ImageFileLink overlay1Link;
    DS_ImageFileLink overlay2Link;
    DS_ImageFileLink standLink;
    DS_ImageFileLink backgroundLink;
    UINTSclaleTo<float> speed{0, 0.02f, 1.0f};
    MediaParamTB<POINT> ballPosition{POINT{0, 0}};
    MediaParamT<unsigned> ballSize{100};
    MediaParamT<unsigned> lensStrength{0};
    MediaParamT<int> overlay1On{1};
    MediaParamT<int> overlay2On{1};
    MediaParamT<int> standOn{0};
    MediaParamT<int> pictureBackground{0};
    MediaParamT<int> animationMode{kSway};
    MediaColor topColor{0};
    MediaColor bottomColor{0};

    // State read by tests.
    const LensParams& Lens() const { return lens_; }
    float Sway() const { return sway_; }
    float CoverageX() const { return coverageX_; }
    float CoverageY() const { return coverageY_; }
    float CameraScaleX() const { return scaleX_; }
    float CameraScaleY() const { return scaleY_; }
    float CameraShiftX() const { return shiftX_; }
    float CameraShiftY() const { return shiftY_; }
    int32_t SecondPlacementMode() const { return placement2_; }
    const D3DXMATRIX& StageOneMatrix() const { return stageOne_; }
    IDirect3DTexture9* LensTexture() const { return lensTexture_.Get(); }
    IDirect3DTexture9* DiscTexture() const { return discTexture_.Get(); }
    IDirect3DTexture9* GradientTexture() const { return gradientTexture_.Get(); }
    const TextureEntry& BackgroundPicture() const { return backgroundPicture_; }
    const DS_TexturedMesh<TPC>& BackgroundQuad() const { return backgroundQuad_; }
    const DS_TexturedMesh<TPC>& ScrollQuad(int i) const { return scrollQuads_[i & 1]; }
    const DS_SimpleMesh<TP>& BarQuad(int i) const { return bars_[i & 3]; }
    const DS_SimpleMesh<PT2>& BallQuad() const { return ballQuad_; }
    const DS_SimpleMesh<PT2>& StandQuad() const { return standQuad_; }

    // Builders of the generated textures (managed pool); a failed creation
    // leaves the texture empty and returns E_FAIL.
    HRESULT BuildLensBumpTexture();
    HRESULT BuildDiscMask();
    HRESULT BuildGradientTexture();

private:
    // The view size W x H of the ball's transforms.
    void ViewSize(float& w, float& h) const;
    // The dynamic quads (background, scroll, bars) made when missing.
    HRESULT MakeDynamicQuads();
    void ReleaseDynamicQuads();
    void PlaceScrollQuads(float f);
    void LoadOverlays();
    // Draws a quad of the ball's space (the ball or the stand) with the
    // stage states in force; nothing without its buffer.
    HRESULT DrawBallSpace(IDirect3DDevice9* device, const DS_SimpleMesh<PT2>& quad);

    ComPtr<IDirect3DTexture9> lensTexture_;
    ComPtr<IDirect3DTexture9> discTexture_;
    ComPtr<IDirect3DTexture9> gradientTexture_;
    TextureEntry backgroundPicture_;
    ComPtr<IDirect3DTexture9> overlays_[3];  // overlay 1, overlay 2, stand
    DS_SimpleMesh<PT2> ballQuad_;
    DS_SimpleMesh<PT2> standQuad_;
    DS_SimpleMesh<TP> bars_[4];
    DS_TexturedMesh<TPC> backgroundQuad_;
    DS_TexturedMesh<TPC> scrollQuads_[2];
    QuadWriter backgroundWriter_;
    QuadWriter scrollWriters_[2];
    QuadWriter barWriters_[4];
    RenderContext backgroundPlacement_;
    // What the background quad shows (the gradient or the picture); kept
    // apart from the quad so a released quad gets it back.
    ComPtr<IDirect3DTexture9> backgroundTexture_;
    float sway_ = 0.0f;
    LensParams lens_ = {-600.0f, 1.5645f, 0.125f};
    float coverageX_ = 1.0f;
    float coverageY_ = 1.0f;
    float shiftX_ = 0.0f;
    float shiftY_ = 0.0f;
    float scaleX_ = 1.0f;
    float scaleY_ = 1.0f;
    int32_t placement2_ = 1;
    int32_t savedPlacement2_ = 1;
    bool ballToTarget_ = false;
    int32_t savedWidth_ = 0;
    int32_t savedHeight_ = 0;
    D3DXMATRIX stageOne_;
};
