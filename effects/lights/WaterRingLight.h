// The ring picture layer: the slide picture seen under moving water. Drops
// fall at a steady rate and spread as rings over a WaterGrid drawn over the
// picture with refraction, lit by one directional light. In mode 0 the
// water covers the picture alone and the slide's objects are drawn above
// it; in mode 1 the finished scene, objects included, is drawn through the
// water in the closing pass.
#pragma once

#include <cstdint>
#include <memory>

#include "effects/lights/WaterGrid.h"
#include "engine/params/UINTSclaleTo.h"
#include "engine/scene/Light2D.h"

class DS_WaterRingLight : public DS_2D_Light {
public:
    static constexpr const wchar_t* kClassName = L"DS_WaterRingLight";
    static constexpr int32_t kVersion = 2;
    static constexpr int32_t kSceneMode = 1;
    static constexpr float kGridHeight = 30.0f;
    static constexpr float kEyeHeight = 120.0f;
    static constexpr unsigned kMaxDamping = 100;

    DS_WaterRingLight();
    ~DS_WaterRingLight() override;

    void Write(DS_IOF_Archive* ar) override;
    // Nine settings for version 2 and later, then for every version the
    // mode and the picture layer's record. False when the data ran out.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    HRESULT DrawMesh(const DS_IndexedMesh<DX_V::PCT>& mesh, ID3DXEffect* effect, UINT triangleCount) override;
    HRESULT Draw3DObject(const Part3DDraw& part) override;
    HRESULT DrawSpriteArray(const SpriteArrayDraw& sprites) override;
    HRESULT DrawMeshList(const TexturedPNTMesh& mesh) override;
    void RestoreDeviceObjects() override;
    void ResetDeviceState() override;
    void InvalidateDeviceObjects() override;
    void DrawBorders(bool skip) override;
    void RenderBackground(bool noClear) override;
    void FrameMove(float t) override;
    void Resize(int32_t w, int32_t h) override;
    void SetPicturePosition(int32_t mode) override;
    HRESULT DrawScreenVertices(const DS_SimpleMesh<TP>* quad) override;
    HRESULT DrawTexturedQuadBlended(const DS_TexturedMesh<TPC>& quad) override;
    void BeginFrame() override;
    RenderTargetChain& FinalRenderTarget(bool clear) override;
    bool NeedsSceneTexture() const override;

    // Velocity kept per pass: 0.9 at 0, 0.99 at 50, 0.999 at 100 and above
    // (more would let the water grow without end).
    static float DampingFor(unsigned value);
    // The grid over the picture (30 units high), flat water with one drop.
    void ResizeGrid();

    WaterGrid& Grid() { return *grid_; }
    const D3DXMATRIX& Projection() const { return projection_; }
    const D3DXMATRIX& View() const { return view_; }
    float LastDropTime() const { return lastDropTime_; }

    MediaParamT<int> mode{0};
    MediaParamT<unsigned> waveSpeed{0};
    MediaParamT<unsigned> gridAspect{0};
    MediaParamT<unsigned> gridDensity{0};
    MediaParamT<unsigned> dropSize{50};
    MediaParamT<unsigned> damping{50};
    MediaParamT<unsigned> depth{20};
    UINTSclaleTo<float> dropRate{30, 1.0f / 60.0f, 0.0f};
    UINTSclaleTo<float> specularLevel{90, 0.01f, 0.0f};
    UINTSclaleTo<float> shininess{50, 0.8f, 0.0f};

private:
    // Picture height / width; 1 without a usable picture.
    float PictureRatio() const;
    void SetMaterial();
    void ApplyGridSettings();
    HRESULT DrawRipples(IDirect3DTexture9* texture);
    template <class Draw>
    HRESULT Unlit(Draw draw);

    std::unique_ptr<WaterGrid> grid_;
    D3DLIGHT9 light_ = {};
    D3DXMATRIX eye_;
    D3DXMATRIX view_;
    D3DXMATRIX projection_;
    float lastDropTime_ = 0.0f;
};
