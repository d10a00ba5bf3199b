// The runtime object of every particle system: owns the generator clone and
// the quad buffers the kinds fill each update and draw in Render.
//
// Buffers hold PCT quads with static 16-bit indices; their vertices are
// dynamic (default pool) and written once per frame under D3DLOCK_DISCARD.
// The slide's invalidate step releases them before a device reset; the next
// ReserveQuads makes them again.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/render/Mesh.h"
#include "engine/scene/ABObj.h"

class DS_ParticleGenerator;

class DS_ParticlesObj : public DS_ABObj, public DeviceObjectHolder {
public:
    using QuadMesh = DS_IndexedMesh<DX_V::PCT>;

    // Takes ownership of generator (the owner item clone) and calls its
    // InitObject with this object.
    explicit DS_ParticlesObj(DS_ParticleGenerator* generator);
    ~DS_ParticlesObj() override;

    void Render(DS_ABRender* service) override;
    // Passes a to the generator's IntHook.
    void ForwardInt(int32_t a, int32_t b) override;
    void Relayout() override {}
    bool NeedsSceneTexture() const override;
    bool HitTest(POINT* point) override;
    void Update(float localTime) override;
    void ReleaseDeviceObjects() override;

    // Sets how many buffers the object has (kinds call it in InitObject);
    // new buffers start empty with quad count 0.
    void SetBufferCount(size_t count);
    size_t BufferCount() const { return buffers_.size(); }

    // Makes buffer i hold n quads this frame (n is capped at kMaxQuads).
    // The buffer grows to the next power of two at or above n (at most
    // kMaxQuads) when it holds fewer, and is made again when a device reset
    // released it; it never shrinks. Without a device, or when the buffer
    // cannot be made, the quad count is 0. Past the buffers: nothing.
    void ReserveQuads(size_t i, unsigned n);
    // Locks the first quad-count quads of buffer i with D3DLOCK_DISCARD and
    // returns the vertices to write, in order; null when there is no buffer
    // i, it holds no vertex buffer, or the lock fails. Never read from it.
    DX_V::PCT* LockBuffer(size_t i);
    void UnlockBuffer(size_t i);

    // Quads buffer i draws this frame; 0 past the buffers.
    unsigned QuadCount(size_t i) const { return i < quadCounts_.size() ? quadCounts_[i] : 0; }
    // Quads buffer i can hold without being made again.
    unsigned Capacity(size_t i) const;
    const QuadMesh* Buffer(size_t i) const { return i < buffers_.size() ? &buffers_[i] : nullptr; }
    DS_ParticleGenerator* Generator() const { return generator_; }

private:
    std::vector<QuadMesh> buffers_;
    std::vector<DX_V::PCT*> locks_;
    DS_ParticleGenerator* generator_;  // the owner item, owned by DS_ABObj
    std::vector<unsigned> quadCounts_;
};

// The smallest power of two at or above n, capped at kMaxQuads (0 for 0).
unsigned QuadCapacityFor(unsigned n);
