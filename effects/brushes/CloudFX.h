// The cloud brush: drifting clouds from a cloud image, drawn in perspective
// on its own 2 x 2 grid built from the quad, inside the mask.
#pragma once

#include "effects/brushes/DirectionBased.h"
#include "engine/render/TextureFrames.h"

// The cloud brush's perspective and texture-shift settings, stored inside
// its record.
class CloudParams {
public:
    CloudParams();
    CloudParams(const CloudParams& other) = default;
    CloudParams& operator=(const CloudParams&) = delete;

    // "PX_Transform" (p - 1) / p, "PY_TransformH" h / p + 1, "PY_TransformZ"
    // h and "tex_shift" (1, +-1, -o, 0 or 1 by the flip). Nothing without
    // an effect; results are ignored like every brush parameter.
    void ApplyToEffect(ID3DXEffect* effect) const;
    // u32 perspective, u32 height, u32 texture offset, i32 flip, u32 fifth,
    // u32 sixth.
    void Write(DS_IOF_Archive* ar) const;
    // False when the data ran out (the flip is then left as it was).
    bool Read(DS_IOF_Archive* ar);

    UINTSclaleTo<float> perspective;
    UINTSclaleTo<float> height;
    UINTSclaleTo<float> textureOffset;
    MediaParamT<int> flip;
    UINTSclaleTo<float> fifthValue;
    UINTSclaleTo<float> sixthValue;
};

class DS_CloudFX : public DS_DirectionBased {
public:
    static constexpr const wchar_t* kClassName = L"DS_CloudFX";
    static constexpr int32_t kVersion = 1;

    // The effect comes from the document.
    DS_CloudFX();
    DS_CloudFX(const DS_CloudFX& other) = default;
    DS_CloudFX& operator=(const DS_CloudFX&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // The cloud textures (a copy of the cloud image's set), the base Init,
    // then the 2 x 2 grid and BuildGeometry.
    void Init(MaskEntry& mask) override;
    // The grid with fixed texture coordinates (corner 0 (0, 0), 1 (0, 1),
    // 2 (1, 0), 3 (1, 1)) and the mask texture shift that maps them back to
    // the mask's picture coordinates.
    void BuildGeometry() override;
    // The cloud parameters, then RenderMesh. Nothing without an effect or
    // when the cloud set has no current texture (an empty or missing cloud
    // image): there are no clouds to draw and the frame goes on.
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_CloudFX(*this); }

    const float (&MaskTexShift() const)[4] { return maskTexShift_; }
    const TextureFrames& CloudTextures() const { return cloudTextures_; }

    // Header, the record's fields, then "DS_DirectionBased".
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    MediaParamT<unsigned long> firstColor;
    MediaParamT<unsigned long> secondColor;
    DS_ImageFileLink cloudImage;
    DS_ImageFileLink secondImage;
    UINTSclaleTo<float> threshold;
    UINTSclaleTo<float> density;
    CloudParams cloud;

private:
    TextureFrames cloudTextures_;
    float maskTexShift_[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};
