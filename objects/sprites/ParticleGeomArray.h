// The geometry of a sprite system: an indexed quad mesh with one
// SpriteInstance per sprite. Every update asks the item's kind to move each
// sprite; Fill then writes one quad per drawn sprite under one lock. The
// animated form adds the item's texture set and steps its frames.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/params/FunLightCtrl.h"
#include "engine/render/Mesh.h"
#include "engine/render/TextureFrames.h"
#include "objects/sprites/SpriteInstance.h"

class DS_BaseSpriteProp;

template <class V>
class DS_SpriteArrayT : public DS_IndexedMesh<V> {};

class ParticleGeomArray : public DS_SpriteArrayT<DX_V::PCT> {
public:
    // A start and an end texture coordinate.
    struct Range {
        float start;
        float end;
    };

    ParticleGeomArray() = default;
    ParticleGeomArray(const ParticleGeomArray&) = delete;
    ParticleGeomArray& operator=(const ParticleGeomArray&) = delete;
    // The count listener leaves the item's parameter before the instances go.
    ~ParticleGeomArray();

    // The item whose kind moves the sprites (not owned; must outlive the
    // geometry's use of it).
    void SetItem(DS_BaseSpriteProp* item) { item_ = item; }
    DS_BaseSpriteProp* Item() const { return item_; }

    // Listens to the item's sprite count (SetInstanceCount) and fires once,
    // so the buffers and instances exist as soon as the object is built.
    void HookCount(MediaParamTB<unsigned>& count);
    void ReleaseListeners() { countListeners_.Release(); }

    // Count 0 is ignored. Otherwise buffers for exactly count quads (at most
    // kMaxQuads; a larger count is taken as kMaxQuads) on the current
    // device: the index buffer managed, the vertex buffer dynamic in the
    // default pool (rewritten every frame), and new instances appended until there are count: each made
    // with Init and InitPulse and placed by the kind's InitSprite. The list
    // only grows: lowering the count keeps the instances beyond it.
    void SetInstanceCount(unsigned count);

    // The item's speed clock and animation-speed clock to t, then the
    // kind's UpdateSprite on every instance in list order (also those
    // beyond the count).
    void Update(float t);

    // Releases the default-pool vertex buffer (before a device Reset); the
    // next Fill makes it again for the same number of quads.
    void ReleaseVertexBuffer();

    // Writes the quads of the first count instances under one discarding
    // lock, first making the vertex buffer again when it was released. Nothing
    // is written when the buffers were not built for the item's count (vertex
    // count / 4 differs), or there is no buffer. Returns whether it wrote.
    // A picture sheet advances its frame at most once, while quad 0 is
    // written, on the item's speed clock.
    bool Fill();

    // Texture coordinates of quad i in the vertices given: u along range a,
    // v along range b.
    static void SetQuadUV(DX_V::PCT* quad, Range a, Range b);

    // The quads drawn: the item's GetCount, no more than the buffers hold.
    unsigned DrawCount() const;
    // False from a rebuild of the buffers until the next Fill writes them.
    bool QuadsWritten() const { return quadsWritten_; }

    const std::vector<std::unique_ptr<SpriteInstance>>& Instances() const { return instances_; }
    int32_t SheetFrame() const { return sheetFrame_; }
    float SheetSwitchTime() const { return sheetSwitchTime_; }

private:
    // A dynamic write-only vertex buffer for the quads the index buffer holds.
    HRESULT MakeVertexBuffer();

    DS_BaseSpriteProp* item_ = nullptr;
    DS_FunLightLinks countListeners_;
    std::vector<std::unique_ptr<SpriteInstance>> instances_;
    float sheetSwitchTime_ = 0.0f;
    int32_t sheetFrame_ = 0;
    bool quadsWritten_ = false;
};

// A geometry with a copy of the item's texture set whose frames step on a
// clock of their own.
template <class Geometry>
class AnimatedTexture : public Geometry {
public:
    // Copies the set's textures (a reference each), durations and counters.
    void SetFrames(const TextureFrames& set);
    // When the current frame has been shown for its duration or longer at
    // clock time t, the next frame (wrapping) becomes current; returns
    // whether it did. A set without durations never changes.
    bool AdvanceFrame(float t);
    // The texture of the frame index; null when that frame has none (more
    // durations than textures), never reading past the list.
    IDirect3DTexture9* FrameTexture() const;
    // Texture stage 0, the index buffer and the vertex stream on device.
    HRESULT BindCurrentFrame(IDirect3DDevice9* device) const;

    int32_t FrameIndex() const { return frameIndex_; }
    const TextureFrames& Frames() const { return frames_; }

private:
    TextureFrames frames_;
    int32_t frameIndex_ = 0;
    float frameSwitchTime_ = 0.0f;
};

extern template class AnimatedTexture<ParticleGeomArray>;
