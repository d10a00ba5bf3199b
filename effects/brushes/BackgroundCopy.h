// The background-copy brush: shows, inside its mask, the scene from another
// place of the picture, optionally mirrored.
#pragma once

#include "effects/brushes/FXConstructor.h"
#include "engine/params/MediaRectangle.h"

class DS_BackgroundCopy : public DS_FX_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_BackgroundCopy";
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kDefaultEffectId = 75;

    DS_BackgroundCopy();
    DS_BackgroundCopy(const DS_BackgroundCopy& other);
    DS_BackgroundCopy& operator=(const DS_BackgroundCopy&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // "offset", then RenderCommon. Nothing without an effect or without a
    // picture size (the offset divides by it).
    void Render(DS_ABRender* service) override;
    DS_FX_Constructor* Clone() const override { return new DS_BackgroundCopy(*this); }

    // "offset" in texture units for a picture of the given size: the source
    // offset's extra values over the size, plus 1 on an axis whose shift
    // flag is set. False for a picture without size.
    bool ComputeOffset(float pictureWidth, float pictureHeight, float (&offset)[2]) const;

    // Header, the rectangle, the two shift flags, then "DS_FX_Constructor".
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Only the two extra values are used: the offset of the copied place in
    // picture pixels.
    MediaRectangle sourceOffset;
    MediaParamT<int> verticalShift;
    MediaParamT<int> horizontalShift;
};
