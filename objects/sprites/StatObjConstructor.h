// Still sprites: one picture whose centre stands at a fixed point of the
// picture, turned by a rotation; the flower sways about that point, the
// discharge shows the frames of its picture sheet in random order.
#pragma once

#include "engine/params/MediaRectangle.h"
#include "objects/sprites/ParticleSystemCtrl.h"

class DS_StatObjConstructor : public DS_ParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_StatObjConstructor";
    static constexpr int32_t kVersion = 2;
    // Older records carry the two mirror values after the rotation.
    static constexpr int32_t kMirrorsInSpriteRecordVersion = 2;

    DS_StatObjConstructor();
    // The bounds' edges and fixed point as values (no listeners) and the
    // rotation matrix are copied.
    DS_StatObjConstructor(const DS_StatObjConstructor& other);

    void Write(DS_IOF_Archive* ar) override;
    DS_ABObj* CreateObject() override { return CreateSpriteArrayObject(); }
    DS_ParticleSystemCtrl* Clone() const override { return new DS_StatObjConstructor(*this); }
    // The bounds' edges as a quad: (left, bottom), (left, top), (right,
    // bottom), (right, top).
    ScreenQuad GetViewQuad() const override;
    // Whether the view point lies inside the bounds (picture pixels).
    bool HitTest(float x, float y) override;
    // PlaceSprite: no random draw.
    void InitSprite(SpriteInstance& sprite) override { PlaceSprite(sprite); }

    // Header, then WriteFields.
    void WriteBody(DS_IOF_Archive* ar) const;
    // Bounds, rotation, then the sprite levels' record.
    void WriteFields(DS_IOF_Archive* ar) const;
    // Header, then ReadFields with the stored version.
    bool ReadBody(DS_IOF_Archive* ar);
    // Bounds, rotation, for version 1 the mirror-vertically and
    // mirror-horizontally values, then the sprite levels' record.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Centre at the fixed point, half extents from the size, colour packed,
    // rotation matrix RotationZ(-rotation), axes turned by it, then
    // UpdateBounds.
    void PlaceSprite(SpriteInstance& sprite);
    // The bounds around the turned sprite, each edge truncated to an
    // integer (SaturatingTruncate: defined for every float) and set with
    // notification.
    void UpdateBounds(const SpriteInstance& sprite);

    // Edges follow the placed sprite; extraX and extraY are the fixed point
    // of its centre, picture pixels.
    MediaRectangle bounds;
    MediaParamT<unsigned> rotation{0};  // degrees; the sprite turns by -rotation
    D3DXMATRIX rotationMatrix;          // set by PlaceSprite; not stored
};

class DS_FlowerConstructor : public DS_StatObjConstructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_FlowerConstructor";
    static constexpr int32_t kVersion = 1;
    static constexpr float kDefaultSwayAmplitude = 1.5f;

    // Sway amplitude 1.5 degrees, time-line speed mode 2.
    DS_FlowerConstructor();
    DS_FlowerConstructor(const DS_FlowerConstructor& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    DS_ParticleSystemCtrl* Clone() const override { return new DS_FlowerConstructor(*this); }
    // Shears the second axis by the sway on the animation-speed clock, turned
    // by the rotation; the stem base stays at the fixed point.
    void UpdateSprite(SpriteInstance& sprite) override;
    uint32_t ModulateAlpha(uint32_t argb) override;

    // The sway amplitude (non-finite reads as 0), then the complete
    // still-sprite record. The version is not consulted.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    float swayAmplitude = kDefaultSwayAmplitude;  // degrees
};

class DS_DischargeConstructor : public DS_StatObjConstructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_DischargeConstructor";
    static constexpr int32_t kVersion = 1;

    DS_DischargeConstructor() = default;
    DS_DischargeConstructor(const DS_DischargeConstructor& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    DS_ParticleSystemCtrl* Clone() const override { return new DS_DischargeConstructor(*this); }
    // A random frame other than index: draws until r modulo the frame count
    // differs from it. Fewer than two frames: 0 without a draw.
    int32_t NextFrame(int32_t index) override;

    // The complete still-sprite record. The version is not consulted.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version) { return DS_StatObjConstructor::ReadBody(ar); }
};
