// The glowing sprite level: a glow colour and intensity, and the two
// textures its runtime object (DS_GlowingObj) draws with: the glow texture
// from the second image link and the sprite texture from the image link.
#pragma once

#include <d3d9.h>

#include "engine/params/MediaColor.h"
#include "engine/params/UINTSclaleTo.h"
#include "objects/sprites/FXParticleSystemCtrl.h"

class DS_GlowEffectCtrl : public DS_FXParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_GlowEffectCtrl";
    static constexpr int32_t kVersion = 1;
    static constexpr unsigned kDefaultIntensity = 100;
    static constexpr float kIntensityScale = 0.01f;

    // Glow colour black, intensity 100 (1.0), no textures.
    DS_GlowEffectCtrl();
    // Copies colour and intensity; further references on both textures.
    DS_GlowEffectCtrl(const DS_GlowEffectCtrl& other) = default;

    // 6. The glow form: a DS_GlowingObj around Clone(), which loads the
    // clone's effect and textures itself.
    DS_ABObj* CreateObject() override;
    // 21. The effect, then the glow texture (second image link) and the
    // sprite texture (image link), each the current texture of its set.
    void LoadEffect() override;
    // 22. Called at the start of every update of the runtime object, before
    // the sprites move: nothing at this level.
    virtual void SetEffectParams();

    // Header, glow colour (int), intensity (uint), then the
    // "DS_FXParticleSystemCtrl" record.
    void WriteBody(DS_IOF_Archive* ar) const;
    bool ReadBody(DS_IOF_Archive* ar);

    IDirect3DTexture9* GlowTexture() const { return glowTexture_.Get(); }
    IDirect3DTexture9* SpriteTexture() const { return spriteTexture_.Get(); }

    MediaColor glowColor{0};  // 0x00BBGGRR; its own transparency is not used
    UINTSclaleTo<float> intensity{kDefaultIntensity, kIntensityScale, 0.0f};

protected:
    // The glow and sprite textures from the current links (empty without a
    // manager or for a link that names no picture).
    void LoadLinkTextures();

private:
    ComPtr<IDirect3DTexture9> glowTexture_;
    ComPtr<IDirect3DTexture9> spriteTexture_;
};
