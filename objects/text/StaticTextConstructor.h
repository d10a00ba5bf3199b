// A piece of text shown as one sprite over the picture: every frame the
// text is drawn in white into a private render target of the item's box
// size, and the sprite shows that target tinted by the item's colour and
// opacity, at the item's position.
#pragma once

#include <d3dx9.h>

#include <cstdint>

#include "engine/params/FontMediaParam.h"
#include "engine/params/MediaParam.h"
#include "engine/resources/ComPtr.h"
#include "engine/resources/DocResManager.h"
#include "objects/particles/StatBaseFXCtrl.h"

class RenderTargetChain;

class DS_StaticTextConstructor : public DS_StatBaseFXCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_StaticTextConstructor";
    static constexpr int32_t kVersion = 2;
    // Records below this version carry four old durations (milliseconds).
    static constexpr int32_t kTimeLineVersion = 2;
    // The largest side of a text target, and of a font's height: what every
    // Direct3D 9 device can make a texture of.
    static constexpr uint32_t kMaxTargetSide = 4096;

    // Top-left aligned, no text, Arial 32 bold, colour red (0x000000FF),
    // time-line speed mode 1, a new resource key.
    DS_StaticTextConstructor();
    // Every parameter, the flags and the key (an item and its clone share
    // one text target), a further reference on the font and its sprite.
    DS_StaticTextConstructor(const DS_StaticTextConstructor& other) = default;

    // 2. The kind's record.
    void Write(DS_IOF_Archive* ar) override;
    // 16. The sprite at the position, the box's size, its colour packed.
    void UpdateSprite(SpriteInstance& sprite) override;
    // 20.
    DS_ParticleSystemCtrl* Clone() const override { return new DS_StaticTextConstructor(*this); }
    // 21. The effect, the text target at the box's size, the font, the flags.
    void LoadEffect() override;
    // Draws the text into the text target, then technique "Common" with
    // "Texture1" the target. Nothing without a target, a font or a box.
    void SetEffectParams(DS_ABRender* service) override;

    // DrawText format bits from the alignments.
    void UpdateFlags();
    // The font (and the sprite it draws through) for the key and the font
    // parameter, its height kept within what a texture holds.
    void UpdateFont();

    // Header, the kind's fields, then the "DS_StatBaseFXCtrl" record.
    void WriteBody(DS_IOF_Archive* ar) const;
    // The kind's fields for the version, then the inner records; below
    // version 2 the old durations go into the time line once everything is
    // read. False (archive failed) on short data.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    uint32_t Flags() const { return flags_; }
    const GuidResourceKey& Key() const { return key_; }
    RenderTargetChain* TextTarget() const { return target_; }
    ID3DXFont* Font() const { return font_.Get(); }

    MediaParamT<int> verticalAlignment{0};    // 0 top, 1 centred, 2 bottom
    MediaParamT<int> horizontalAlignment{0};  // 0 left, 1 centred, 2 right
    MediaParamT<ds_string> text;
    FontMediaParam font;

protected:
    // Step 2 of SetEffectParams: the text in white on transparent white into
    // the target. False when nothing could be drawn.
    bool DrawTextTarget(DS_ABRender& service);
    // The box side that the target can hold.
    static uint32_t ClampSide(uint32_t side);

    RenderTargetChain* target_ = nullptr;  // the resource manager's
    ComPtr<ID3DXFont> font_;
    ComPtr<ID3DXSprite> fontSprite_;
    uint32_t flags_ = 0;
    GuidResourceKey key_;
};
