// The glowing electric discharge: as many quads as the sprite count laid end
// to end along a jagged bolt from the start point to the end point. The bolt
// is rebuilt every 0.1 s of speed clock and the drawn bolt morphs from the
// previous one towards the new one in between; each segment shows the upper
// or lower half of the bolt picture, upright or flipped, changing at the
// flicker interval.
#pragma once

#include <d3dx9math.h>

#include <cstdint>
#include <vector>

#include "engine/params/MediaParam.h"
#include "engine/params/UINTSclaleTo.h"
#include "objects/sprites/GlowEffectCtrl.h"

// One quad of a bolt (never stored).
struct BoltSegment {
    D3DXVECTOR3 centre{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 direction{0.0f, 0.0f, 0.0f};  // unit length
    D3DXVECTOR3 normal{0.0f, 0.0f, 0.0f};     // unit length
    float length = 0.0f;
};

class DS_DischargeFXConstructor : public DS_GlowEffectCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_DischargeFXConstructor";
    static constexpr int32_t kVersion = 1;
    static constexpr int64_t kEffectId = 97;
    // Sprite pictures of the library: texture choice non-zero, zero.
    static constexpr int64_t kChosenPicture = 95;
    static constexpr int64_t kOtherPicture = 98;
    // Speed-clock seconds between two bolts.
    static constexpr float kRebuildInterval = 0.1f;
    // The inner segments show only the middle of the picture along u; the
    // two end segments show its ends.
    static constexpr float kInnerUStart = 0.195f;
    static constexpr float kInnerUEnd = 0.805f;

    // Effect link (common_res.dll, 97), size 50, blend mode 1 (screen),
    // sprite colour 0xFFFFCC, glow colour 0xFF9900 (0x00BBGGRR).
    DS_DischargeFXConstructor();
    // Copies every field, both bolts, the segment index and rebuild time.
    DS_DischargeFXConstructor(const DS_DischargeFXConstructor& other) = default;

    // 2. The kind's record.
    void Write(DS_IOF_Archive* ar) override;
    // 15. Both bolts sized to the sprite count and built anew, old then new.
    void InitSprite(SpriteInstance& sprite) override;
    // 16. Segment k of the morphing bolt for the k-th call of an update.
    void UpdateSprite(SpriteInstance& sprite) override;
    // 20.
    DS_ParticleSystemCtrl* Clone() const override { return new DS_DischargeFXConstructor(*this); }
    // 21. The effect; the image link becomes library picture 95 (texture
    // choice non-zero) or 98, whatever the document stored; then the glow
    // and sprite textures.
    void LoadEffect() override;
    // 22. Segment index 0; every 0.1 s of speed clock the new bolt becomes
    // the old one and a new bolt is built.
    void SetEffectParams() override;

    // The first min(segments, sprite count) segments of bolt, end to end
    // from the start point. Every segment but the one that ends the bolt at
    // the end point draws two random numbers.
    void BuildBolt(std::vector<BoltSegment>& bolt);
    // Old and new segment i mixed by factor m, component by component.
    BoltSegment InterpolateSegment(size_t i, float m);

    // Header, the kind's fields, then the "DS_GlowEffectCtrl" record.
    void WriteBody(DS_IOF_Archive* ar);
    // The kind's fields (no version is consulted), then the
    // "DS_GlowEffectCtrl" record. False (archive failed) on short data.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    const std::vector<BoltSegment>& OldBolt();
    const std::vector<BoltSegment>& NewBolt();
    int32_t SegmentIndex() const { return segmentIndex_; }
    float LastRebuildTime() const { return lastRebuild_; }

    MediaParamT<D3DXVECTOR3> start{D3DXVECTOR3(0.0f, 0.0f, 0.0f)};
    MediaParamT<D3DXVECTOR3> end{D3DXVECTOR3(0.0f, 0.0f, 0.0f)};
    UINTSclaleTo<float> amplitude;    // largest sideways deflection factor
    MediaParamT<int> textureChoice{1};
    UINTSclaleTo<float> flicker;      // least seconds between texture-half changes
    UINTSclaleTo<float> morphSpeed;   // how fast a bolt morphs to the next

private:
    // BuildBolt with the sprite count c given.
    void BuildBolt(std::vector<BoltSegment>& bolt, unsigned c);
    // The two builds InitSprite left to do (see InitSprite), made now with
    // the random numbers they would have drawn then.
    void BuildPendingBolts();

    std::vector<BoltSegment> oldBolt_;
    std::vector<BoltSegment> newBolt_;
    int32_t segmentIndex_ = 0;
    float lastRebuild_ = 0.0f;
    // InitSprite runs once per new sprite, and each call rebuilds both
    // bolts over the whole count, overwriting what the call before built.
    // Only the last builds are kept: a call moves the generator past the
    // numbers its builds would draw and remembers where they start; the
    // first use of the bolts builds them from there.
    bool pending_ = false;
    uint32_t pendingState_ = 0;
    unsigned pendingCount_ = 0;
};
