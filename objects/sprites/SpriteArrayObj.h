// The runtime object of the ordinary sprite systems: the item's clone, its
// sprite geometry with the animated texture set, and an optional second
// texture drawn over every sprite.
#pragma once

#include "engine/resources/ComPtr.h"
#include "engine/scene/ABObj.h"
#include "objects/sprites/ParticleGeomArray.h"

class DS_ParticleSystemCtrl;

class DS_SpriteArrayObj : public DS_ABObj, public AnimatedTexture<ParticleGeomArray>, public DeviceObjectHolder {
public:
    // Takes ownership of clone. The texture set comes from the current
    // resource manager (a frame sequence when the clone's sequence flag is
    // 1); the geometry follows the clone's sprite count from now on.
    explicit DS_SpriteArrayObj(DS_ParticleSystemCtrl* clone);
    ~DS_SpriteArrayObj() override;

    // 2. The sprites through the service's DrawSpriteArray.
    void Render(DS_ABRender* service) override;
    void ForwardInt(int32_t a, int32_t b) override;
    // 4. The item's pixel rectangle follows the picture size.
    void Relayout() override;
    // 8. The item's HitTest with the point as floats.
    bool HitTest(POINT* point) override;
    // 10. The item's Restart, then every sprite's timers.
    void Restart() override;
    // 11. Moves the sprites, steps the texture frame and writes the quads;
    // a static item's quads are written only when the frame changes (and
    // whenever the buffers were rebuilt, the first update included).
    void Update(float localTime) override;

    // The vertex buffer (default pool) goes before a device Reset; the next
    // update makes and fills it again, for static items too.
    void ReleaseDeviceObjects() override { ReleaseVertexBuffer(); }

    // The second texture with a new reference (null when none).
    ComPtr<IDirect3DTexture9> GetSecondTexture() const { return secondTexture_; }
    DS_ParticleSystemCtrl& SpriteItem() const { return *item_; }

private:
    DS_ParticleSystemCtrl* item_;
    ComPtr<IDirect3DTexture9> secondTexture_;
};
