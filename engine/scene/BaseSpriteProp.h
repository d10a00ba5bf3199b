// The level every sprite item shares on top of its view rectangle: how many
// sprites and how big, their colour, transparency and pulsing opacity, the
// pictures (one picture or a frame sequence, a picture sheet, an optional
// second picture), mirroring, and the animation speed of the frames.
//
// Its record is the one that stores its base record (the view rectangle)
// before its own fields.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/params/MediaColor.h"
#include "engine/params/UINTSclaleTo.h"
#include "engine/resources/FileLink.h"
#include "engine/scene/ViewObjCtrl.h"

struct SpriteInstance;

class DS_BaseSpriteProp : public DS_ViewObjCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_BaseSpriteProp";
    static constexpr int32_t kVersion = 7;
    // What each stored version added.
    static constexpr int32_t kLinksVersion = 2;      // image links replace the legacy blobs
    static constexpr int32_t kNoViewSpeedVersion = 3; // the second view speed is gone
    static constexpr int32_t kSequenceVersion = 4;
    static constexpr int32_t kMirrorVersion = 5;
    static constexpr int32_t kStaticVersion = 6;
    static constexpr int32_t kAnimationSpeedVersion = 7;
    // The most sprites one system holds: what 16-bit indices address. A
    // larger stored count is read as this.
    static constexpr unsigned kMaxSprites = 16383;
    static constexpr float kTransparencyScale = -2.55f;
    static constexpr float kTransparencyOffset = 255.0f;
    static constexpr unsigned kDefaultAnimationSpeed = 100;
    static constexpr float kAnimationSpeedScale = 0.01f;

    DS_BaseSpriteProp();
    // Copies every field, the legacy lists and blob (bytes copied) and the
    // animation speed's clock.
    DS_BaseSpriteProp(const DS_BaseSpriteProp& other);
    ~DS_BaseSpriteProp() override;

    // 2. The "DS_BaseSpriteProp" record (kinds write their own record).
    void Write(DS_IOF_Archive* ar) override;
    // 4. {image link, sequence flag, false, 1 / frame count}.
    ItemPreview GetPreview() const override;

    // 15. Places a new sprite: nothing here.
    virtual void InitSprite(SpriteInstance& sprite);
    // 16. Moves a sprite once per update: nothing here.
    virtual void UpdateSprite(SpriteInstance& sprite);
    // 17. (index + 1) modulo the frame count.
    virtual int32_t NextFrame(int32_t index);
    // 18. The number of quads drawn: the sprite count value.
    virtual unsigned GetCount();
    // 19. The alpha byte times the time line's opacity (truncated, low
    // byte); red, green and blue unchanged.
    virtual uint32_t ModulateAlpha(uint32_t argb);

    // Header, then WriteFields (version 7). Image links are marked for
    // saving with the current resource manager first.
    void WriteBody(DS_IOF_Archive* ar) const;
    void WriteFields(DS_IOF_Archive* ar) const;
    // Header, then ReadFields with the stored version. False (archive
    // failed) when the record runs short.
    bool ReadBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // The frame count with 0 taken as 1, for every frame calculation.
    unsigned FrameCount() const { return frameCount > 0 ? frameCount : 1; }
    // 255 - 2.55 x transparency, truncated; a transparency above 100 gives 0
    // (the derived byte alone would wrap: 101 would give 254).
    uint8_t TransparencyAlpha() const;

    MediaParamT<unsigned> count{1};
    MediaParamT<unsigned> size;
    UINTSclaleTo<unsigned char> transparency{0, kTransparencyScale, kTransparencyOffset};
    MediaParamT<int> blendMode{0};
    MediaColor color;  // 0x00BBGGRR; its own transparency is not used
    float pulseSpeed = 0.0f;
    float minAlpha = 0.0f;
    float maxAlpha = 1.0f;
    float minScale = 1.0f;
    float maxScale = 1.0f;
    DS_ImageFileLink imageLink;
    DS_ImageFileLink secondImageLink;
    // Stored and copied; nothing reads them.
    unsigned secondFrameCount = 1;
    float secondFrameRate = 0.0f;
    unsigned frameCount = 1;
    float frameRate = 0.0f;  // frames per second of a picture sheet
    bool sheet = false;
    int32_t sequence = 0;  // 1: the image link names a frame-sequence resource
    MediaParamT<int> mirrorVertically{0};
    MediaParamT<int> mirrorHorizontally{0};
    MediaParamT<int> isStatic{0};
    // Filled from version-1 records only, until the textures are first loaded.
    std::vector<float> legacyDurations;
    std::vector<ResourceBlob> legacyBlobs;
    ResourceBlob legacySecond;
    MediaSpeedParam animationSpeed{kDefaultAnimationSpeed, kAnimationSpeedScale, 0.0f};
};
