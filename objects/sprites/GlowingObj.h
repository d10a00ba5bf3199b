// The runtime object of the glowing sprite kinds: the sprites are drawn into
// a private 512 x 512 target with the glow picture, that target is laid over
// the picture drawn so far with the item's glow colour, and the sprites are
// drawn on top with their own picture.
#pragma once

#include <d3dx9math.h>

#include "engine/resources/DocResManager.h"
#include "engine/scene/ABObj.h"
#include "objects/sprites/ParticleGeomArray.h"

class DS_GlowEffectCtrl;
class RenderTargetChain;

class DS_GlowingObj : public DS_ABObj, public ParticleGeomArray, public DeviceObjectHolder {
public:
    static constexpr uint32_t kGlowTargetSize = 512;

    // Takes ownership of clone: a fresh resource key, the geometry following
    // the clone's sprite count, the clone's effect and textures loaded, and
    // the key's render target from the current resource manager at 512 x 512.
    explicit DS_GlowingObj(DS_GlowEffectCtrl* clone);
    ~DS_GlowingObj() override;

    // 2. The glow pass into the private target, the picture area with the
    // glow laid over it, then the sprites. Without an effect nothing is
    // drawn; without a glow texture only the sprites are.
    void Render(DS_ABRender* service) override;
    void ForwardInt(int32_t, int32_t) override {}
    void Relayout() override {}
    // 6. True when the object redraws the picture area, which it does when
    // it is enabled and has an effect and a glow texture: otherwise the
    // target the picture layer would hand out stays black where the picture
    // should be.
    bool NeedsSceneTexture() const override;
    // 11. The item's SetEffectParams, the sprites moved, the quads written.
    void Update(float localTime) override;

    // The vertex buffer (default pool) goes before a device Reset; the
    // private target belongs to the resource manager, which remakes it.
    void ReleaseDeviceObjects() override { ReleaseVertexBuffer(); }

    // Red, green and blue of the glow colour / 255; alpha the time line's
    // opacity times the intensity.
    D3DXVECTOR4 BlendColor() const;
    DS_GlowEffectCtrl& GlowItem() const { return *item_; }
    const GuidResourceKey& Key() const { return key_; }
    RenderTargetChain* GlowTarget() const { return chain_; }

private:
    // Steps 3 to 5: the sprites with the glow picture into the private
    // target. False when the target cannot be drawn into.
    bool DrawGlowTarget(DS_ABRender& service, ID3DXEffect& effect);

    DS_GlowEffectCtrl* item_;
    GuidResourceKey key_;
    RenderTargetChain* chain_ = nullptr;  // owned by the resource manager
};
