// The pattern brush: paints a pattern picture, which may change frame by
// frame, inside the mask, zoomed, rotated, flipped and shifted. The same
// brush is also stored under a second class name (DS_PatternBrushC).
#pragma once

#include "effects/brushes/FXConstructor.h"
#include "engine/render/TextureFrames.h"

class DS_PatternBrush : public DS_FX_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_PatternBrush";
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kDefaultEffectId = 78;
    // The time line's speed mode in which "mix_color" follows the fade.
    static constexpr int32_t kFadedSpeedMode = 1;

    DS_PatternBrush();
    DS_PatternBrush(const DS_PatternBrush& other);
    DS_PatternBrush& operator=(const DS_PatternBrush&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // The base Init, then LoadPattern.
    void Init(MaskEntry& mask) override;
    // Brush clock, then the frame step: the next frame once the current one
    // has been shown longer than its duration.
    void Update(float t) override;
    // "mix_color", "Pattern", "scale", "offset", "coord_transf", then
    // RenderCommon. Draws nothing without an effect, without a pattern
    // picture, when the current frame has no texture, or with a zoom or
    // pattern size of 0 (the coordinate transform would be infinite).
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_PatternBrush(*this); }

    // The pattern frames from the pattern link: a module frame sequence for
    // a ".dll" link, the link's texture set otherwise; frame index 0.
    void LoadPattern();

    // Header, the pattern fields, then "DS_FX_Constructor".
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // The values Render sends, for the current settings and picture size;
    // false when the brush would draw nothing for want of a size.
    struct PatternParams {
        float scale[2];
        float offset[2];
        float coordTransform[4];
    };
    bool ComputeParams(float pictureWidth, float pictureHeight, PatternParams& out) const;

    const TextureFrames& Frames() const { return frames_; }
    TextureFrames& Frames() { return frames_; }
    uint32_t FrameIndex() const { return frameIndex_; }
    float LastSwitch() const { return lastSwitch_; }

    DS_ImageFileLink patternImage;
    MediaParamT<int> verticalFlip;
    MediaParamT<int> horizontalFlip;
    MediaParamT<unsigned> rotation;
    UINTSclaleTo<float> zoom;
    UINTSclaleTo<float> offsetX;
    UINTSclaleTo<float> offsetY;

private:
    // Frames the index may step through: the durations, bounded by the
    // textures so that an index never lies past them.
    size_t StepCount() const;

    TextureFrames frames_;
    uint32_t frameIndex_ = 0;
    float lastSwitch_ = 0.0f;
};

// DS_PatternBrush stored under its own class name: its record is its header
// followed by a whole "DS_PatternBrush" record with that record's header.
class DS_PatternBrushC : public DS_PatternBrush {
public:
    static constexpr const wchar_t* kClassName = L"DS_PatternBrushC";
    static constexpr int32_t kVersion = 1;

    DS_PatternBrushC() = default;
    DS_PatternBrushC(const DS_PatternBrushC& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    DS_FX_Constructor* Clone() const override { return new DS_PatternBrushC(*this); }
    // The inner "DS_PatternBrush" header (name ignored), then its fields.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);
};
