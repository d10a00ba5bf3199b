// A quad array that holds more quads than 16-bit indices can address, split
// into segments of at most 16383 quads, each drawn with one indexed draw.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/render/Mesh.h"

// One segment: a textured, indexed TPC quad list. Its vertices live in a
// dynamic default-pool buffer: the owner releases the segments (Resize to
// 0) before a device reset and resizes them again after it.
class QuadSegment : public DS_TexturedMesh<TPC, DS_IndexedMesh<TPC>> {
public:
    // Buffers for n quads, each at (0, 0, 0) with rhw 1, colour 0 and the
    // default texture coordinates. n == 0 releases the buffers: the segment
    // then draws nothing.
    HRESULT InitQuads(IDirect3DDevice9* device, UINT n);
    // Texture coordinates of quad i: 0 = (uLow, vHigh), 1 = (uLow, vLow),
    // 2 = (uHigh, vHigh), 3 = (uHigh, vLow). Out-of-range i is ignored.
    void SetQuadUV(float uLow, float uHigh, float vLow, float vHigh, UINT i);
    UINT QuadCount() const { return VertexCount() / 4; }

    friend class SegmentedQuadArray;
};

class SegmentedQuadArray {
public:
    static constexpr int32_t kQuadsPerSegment = 16383;

    // One empty segment.
    SegmentedQuadArray();

    // n / 16383 + 1 segments; segment i holds min(n - 16383 i, 16383) quads;
    // every segment takes the first segment's texture. A negative n counts
    // as 0. Returns the first failure; failed segments draw nothing.
    HRESULT Resize(IDirect3DDevice9* device, int32_t n);

    // Lock and unlock every segment's vertices; quads are written between.
    bool LockAll();
    void UnlockAll();

    // Corners of quad i: 0 = C - U + V, 1 = C - U - V, 2 = C + U + V,
    // 3 = C + U - V, rhw 1; colour and texture coordinates kept.
    // Out-of-range i is ignored.
    void SetQuad(int32_t i, const D3DXVECTOR3& centre, const D3DXVECTOR3& u, const D3DXVECTOR3& v);
    void SetQuadColor(int32_t i, uint32_t argb);
    void SetQuadUV(int32_t i, float uLow, float uHigh, float vLow, float vHigh);
    // Every segment holds texture (one reference each).
    void SetTexture(IDirect3DTexture9* texture);

    // One indexed triangle-list draw per segment that has quads.
    HRESULT Draw(IDirect3DDevice9* device) const;

    int32_t QuadCount() const { return quadCount_; }
    const std::vector<QuadSegment>& Segments() const { return segments_; }

private:
    // Edits the four vertices of quad i inside its segment's lock.
    template <class Edit>
    void EditQuad(int32_t i, Edit edit);

    int32_t quadCount_ = 0;
    std::vector<QuadSegment> segments_;
};
