// The stream brush: water flows along the direction, with colour-wave
// layers drifting over a noise-distorted picture. Draws its own 2 x 2 grid
// built from the quad: one noise pass, then one pass per layer.
#pragma once

#include <vector>

#include "effects/brushes/DirectionBased.h"

class DS_WaterfallFX : public DS_DirectionBased {
public:
    static constexpr const wchar_t* kClassName = L"DS_WaterfallFX";
    static constexpr int32_t kVersion = 1;
    // Layers one stream draws at most; a larger count read from a document
    // is capped (each layer is one more full pass over the grid).
    static constexpr unsigned kMaxLayers = 64;

    struct Layer {
        float shiftX = 0.0f;
        float shiftY = 0.0f;
        float translucency = 0.0f;
    };

    DS_WaterfallFX();
    DS_WaterfallFX(const DS_WaterfallFX& other) = default;
    DS_WaterfallFX& operator=(const DS_WaterfallFX&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // Sizes the layers to the layer count, takes the noise texture, then
    // the base Init and the 2 x 2 grid.
    void Init(MaskEntry& mask) override;
    // Brush clock, the layers' shifts and translucency, the noise shift.
    void Update(float t) override;
    // "Mask", "Background"; unless hidden, the noise pass (noise amplitude
    // value non-zero and a noise texture) and the colour-wave passes.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_WaterfallFX(*this); }

    void RenderNoise(DS_ABRender* service);
    void RenderColorWaves(DS_ABRender* service);

    // Header, the record's eight fields, then "DS_DirectionBased".
    void WriteBody(DS_IOF_Archive* ar);
    // The layer count is capped at kMaxLayers.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    const std::vector<Layer>& Layers() const { return layers_; }
    const float (&NoiseShift() const)[2] { return noiseShift_; }
    IDirect3DTexture9* NoiseTexture() const { return noiseTexture_.Get(); }

    UINTSclaleTo<float> layerTranslucency;
    MediaParamT<unsigned> layerCount;
    UINTSclaleTo<float> noiseAmplitude;
    UINTSclaleTo<float> fourthValue;
    UINTSclaleTo<float> threshold;
    DS_ImageFileLink noiseImage;
    MediaParamT<unsigned long> baseColor;
    MediaParamT<int> hidden;

private:
    std::vector<Layer> layers_;
    ComPtr<IDirect3DTexture9> noiseTexture_;
    float noiseShift_[2] = {0.0f, 0.0f};
};
