// The textured level of the particle systems: pictures (one texture set per
// image link), an optional effect, two colours, the blend mode, mirror flags
// and a private render target through which kinds compose their layers.
#pragma once

#include <d3dx9.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "engine/params/MediaColor.h"
#include "engine/render/TextureFrames.h"
#include "engine/resources/ComPtr.h"
#include "engine/resources/DocResManager.h"
#include "engine/resources/FileLink.h"
#include "objects/particles/ParticleGenerator.h"

class RenderTargetChain;

class DS_TexParticleGenerator : public DS_ParticleGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_TexParticleGenerator";
    static constexpr int32_t kVersion = 2;
    static constexpr int32_t kMirrorVersion = 2;
    // Blend modes of ComposeLayer.
    static constexpr int32_t kBlendNormal = 0;
    static constexpr int32_t kBlendScreen = 1;
    static constexpr int32_t kBlendColorDodge = 2;
    static constexpr int32_t kBlendSum = 3;

    // White colours, blend 0, no pictures, no effect, a fresh resource key
    // (empty name, flag 1).
    DS_TexParticleGenerator();
    // Copies every field; the effect gains a reference, the private target
    // and the particles object are shared pointers, the key is the same.
    DS_TexParticleGenerator(const DS_TexParticleGenerator& other);
    ~DS_TexParticleGenerator() override;

    // 2. The textured level's record with the generator level inside it;
    // kinds with a level of their own write theirs around it.
    void Write(DS_IOF_Archive* ar) override { WriteBody(ar); }

    // 15. Remembers the object, loads the texture sets and the effect from
    // the current resource manager (none without one).
    void InitObject(DS_ParticlesObj* object) override;
    // 17. True for blend modes 1 and 2 while the generator can compose
    // through its effect (an effect and a ready private target); without
    // them the layer is drawn plainly and needs no scene.
    bool NeedsSceneTexture() const override;

    // The private target from the current resource manager under the
    // resource key, resized to the back buffer; stays null without an
    // effect (plain drawing needs none) or when it cannot be made.
    void AcquireRenderTarget();
    // True when the layer goes through the effect and the private target.
    bool CanCompose() const;

    // The current texture of texture set i; null past the sets.
    IDirect3DTexture9* CurrentTexture(size_t i) const;

    // Draws buffer 0 of object with texture: through the effect into the
    // private target and composed by blend mode, or plainly with alpha
    // blending into the current target when the generator cannot compose.
    static void RenderBlendMask(DS_ABRender* service, DS_TexParticleGenerator* generator, IDirect3DTexture9* texture,
                                DS_ParticlesObj* object);
    // Buffer 0 of object with the current picture of texture set 0 on
    // stage 0, drawn with the generator's effect (alpha-blended texture x
    // diffuse without one). Nothing when set 0 has no picture.
    static void RenderPlain(DS_ABRender* service, DS_TexParticleGenerator* generator, DS_ParticlesObj* object);
    // Buffers 0 and 1 (textures 0 and 1) into the private target cleared to
    // white with alpha 0; the caller composes. Nothing without an effect and
    // a ready target.
    static void RenderJoinMask(DS_TexParticleGenerator* generator, DS_ABRender* service, DS_ParticlesObj* object);
    // One buffer drawn with one picture.
    struct LayerDraw {
        size_t buffer;
        IDirect3DTexture9* texture;
    };
    // The two-layer glow composition: the sharp draws into the private
    // target cleared to transparent black, a flip, the glow draws into the
    // other texture (cleared the same), both with "BlendMask_Max"; then
    // "Main" redraws the whole picture from the scene texture with the glow
    // and sharp layers added. Without an effect and a ready target the glow
    // draws and then the sharp ones are drawn plainly into the current
    // target (the generator then needs no scene texture).
    static void RenderGlowLayers(DS_ABRender* service, DS_TexParticleGenerator* generator, DS_ParticlesObj* object,
                                 std::initializer_list<LayerDraw> sharp, std::initializer_list<LayerDraw> glow);
    // Buffer i of object, alpha-blended, texture x diffuse, with texture on
    // stage 0 (no texture: the diffuse colour alone).
    static void DrawBufferPlainly(DS_ABRender* service, DS_ParticlesObj* object, size_t i,
                                  IDirect3DTexture9* texture);
    // The private target over the picture by blend mode (0 normal, 1 screen,
    // 2 colour dodge, 3 sum; any other mode composes as 0).
    static void ComposeLayer(DS_TexParticleGenerator* generator, DS_ABRender* service);

    void WriteBody(DS_IOF_Archive* ar);
    void WriteFields(DS_IOF_Archive* ar);
    bool ReadBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    ID3DXEffect* Effect() const { return effect_.Get(); }
    RenderTargetChain* PrivateTarget() const { return renderTarget_; }
    DS_ParticlesObj* ParticlesObject() const { return particlesObject_; }

    std::vector<DS_ImageFileLink> imageLinks;
    DS_HLSLEffectFile effectLink;
    MediaColor color;
    MediaColor glowColor;
    MediaParamT<int> blendMode;
    MediaParamT<int> mirrorV;
    MediaParamT<int> mirrorU;
    std::vector<TextureFrames> textureSets;
    GuidResourceKey resourceKey;

protected:
    ComPtr<ID3DXEffect> effect_;
    RenderTargetChain* renderTarget_ = nullptr;   // owned by the resource manager
    DS_ParticlesObj* particlesObject_ = nullptr;  // owns this generator
};

// n, then the path and stamp of each link (each marked for saving first).
void WriteTextureLinks(DS_IOF_Archive* ar, const std::vector<DS_ImageFileLink>& links);
// A count, then that many links appended; a negative count fails the
// archive, one larger than the data fails at the first short link.
bool ReadImageLinks(DS_IOF_Archive* ar, std::vector<DS_ImageFileLink>& links);
bool ReadImageLink(DS_IOF_Archive* ar, DS_ImageFileLink& link);
