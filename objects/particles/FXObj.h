// The runtime object of the effect sprites with a position: the item's
// clone, its sprite geometry, and the item's own effect to draw it with.
// The item sets the effect's parameters itself just before every draw; the
// object never asks for the scene texture.
#pragma once

#include "engine/scene/ABObj.h"
#include "objects/sprites/ParticleGeomArray.h"

class DS_StatBaseFXCtrl;

class DS_FXObj : public DS_ABObj, public ParticleGeomArray, public DeviceObjectHolder {
public:
    // Takes ownership of clone; the geometry follows the clone's sprite
    // count and the clone loads its effect once.
    explicit DS_FXObj(DS_StatBaseFXCtrl* clone);
    ~DS_FXObj() override;

    // 2. The item's SetEffectParams, then the quads with the item's effect.
    // Without an effect nothing is drawn.
    void Render(DS_ABRender* service) override;
    void ForwardInt(int32_t, int32_t) override {}
    void Relayout() override {}
    // 11. The sprites moved by the item, then the quads written.
    void Update(float localTime) override;

    // The vertex buffer (default pool) goes before a device Reset; the next
    // update makes and fills it again.
    void ReleaseDeviceObjects() override { ReleaseVertexBuffer(); }

    DS_StatBaseFXCtrl& EffectItem() const { return *item_; }

private:
    DS_StatBaseFXCtrl* item_;
};
