// Text that scrolls through its box: the text target is enlarged to the
// measured text, the sprite shows a box-sized part of it, and the effect
// shifts the texture lookup by an offset that runs one full pass per scroll
// time of the item's speed clock.
#pragma once

#include "objects/text/StaticTextConstructor.h"

class DS_ScrollingTextConstructor : public DS_StaticTextConstructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_ScrollingTextConstructor";
    static constexpr int32_t kVersion = 1;

    DS_ScrollingTextConstructor() = default;
    DS_ScrollingTextConstructor(const DS_ScrollingTextConstructor& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    // 16. As the static text, then the offsets move with the speed clock
    // (back to 0 while invisible), the shift follows, and the sprite shows
    // the box-sized part of the target.
    void UpdateSprite(SpriteInstance& sprite) override;
    DS_ParticleSystemCtrl* Clone() const override { return new DS_ScrollingTextConstructor(*this); }
    // 21. As the static text, then the target fitted to the measured text.
    void LoadEffect() override;
    // The text into the target, then technique "ScrollText" with "Shift".
    void SetEffectParams(DS_ABRender* service) override;

    // The text target at max(measured text, box) on each side.
    void FitTexture();

    // g(frac(offset)): 3f - 1 for f > 0, 3f + 1 otherwise.
    static float ShiftOf(float offset);

    void WriteBody(DS_IOF_Archive* ar) const;
    // Scroll time and direction, then the static text's record with its
    // own header and version.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    const float* Shift() const { return shift_; }
    float Offset1() const { return offset1_; }
    float Offset2() const { return offset2_; }
    void SetOffsets(float offset1, float offset2)
    {
        offset1_ = offset1;
        offset2_ = offset2;
    }

    MediaParamT<unsigned> scrollTime{0};
    MediaParamT<int> direction{0};  // 0, 1: offset 1 up, down; 2, 3: offset 2 up, down

private:
    float shift_[2] = {0.0f, 0.0f};
    float offset2_ = 1.0f / 3.0f;
    float offset1_ = 0.0f;
};
