// Mesh templates over the fixed vertex layouts: a frame with a vertex
// buffer, with a 16-bit index buffer, and with one texture. Buffers are
// write-only and managed, so they survive a device reset. Copying a mesh
// shares its buffers and texture (one reference each).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/resources/ComPtr.h"
#include "engine/render/Frame.h"
#include "engine/render/ScreenQuad.h"
#include "engine/render/VertexFormats.h"

struct MeshEntry;

template <class V>
class DS_SimpleMesh : public DS_Frame {
public:
    DS_SimpleMesh() = default;
    DS_SimpleMesh(const DS_SimpleMesh& other);
    DS_SimpleMesh& operator=(const DS_SimpleMesh& other);
    // An open lock is closed before the buffer is released.
    ~DS_SimpleMesh();

    // Releases the buffer held, then creates one for count vertices:
    // managed, or with dynamic true a default-pool buffer for vertices
    // rewritten every frame (edited in a copy kept here and written whole
    // with D3DLOCK_DISCARD on Unlock; its owner releases it before a device
    // reset and makes it again after).
    HRESULT CreateVertexBuffer(IDirect3DDevice9* device, UINT count, bool dynamic = false);
    // A four-vertex buffer drawn as a strip of two triangles.
    HRESULT CreateBuffer(IDirect3DDevice9* device);
    // A four-vertex buffer for vertices rewritten while frames are in
    // flight (dynamic usage, default pool): edits go to a copy kept here and
    // Unlock rewrites the whole buffer with D3DLOCK_DISCARD, which never
    // waits for draws in flight. (Wine 8, 2026-12: the lock of a static
    // buffer waits until every queued frame is drawn, 15 to 50 ms on
    // llvmpipe.) All vertices start zeroed. The owner releases the mesh
    // before a device reset.
    HRESULT CreateDynamicBuffer(IDirect3DDevice9* device);
    // Takes a reference on buffer; strip of two triangles over 4 vertices.
    void AttachVertexBuffer(IDirect3DVertexBuffer9* buffer);
    // Vertex shader off, the layout's FVF, stream 0 = the buffer. The
    // caller draws.
    HRESULT BindStream(IDirect3DDevice9* device) const;

    // Opens a lock over the whole buffer; null when there is no buffer or
    // the lock fails. Writes below use an open lock or open their own.
    V* Lock();
    void Unlock();

    // Corner x and y from the quad, z 0; pre-transformed layouts take rhw
    // from the corner's z; TPC also takes u and v. Colour kept.
    bool WritePositions(const ScreenQuad& quad);
    // x, y, z of the four corners; everything else kept.
    bool SetPositions(const D3DXVECTOR3 (&corners)[4]);
    // New four-vertex buffer with x, y, z, u, v of each corner (20 floats).
    HRESULT SetVertices(IDirect3DDevice9* device, const float (&values)[20]);
    // New four-vertex buffer, positions from quad, all colours argb.
    HRESULT SetColor(IDirect3DDevice9* device, const ScreenQuad& quad, uint32_t argb);
    // Alpha bytes: corner 0 from a, 1 from c, 2 from b, 3 from d (x 255,
    // truncated, clamped to 0..255); red, green and blue kept.
    bool SetCornerAlpha(float a, float b, float c, float d);
    bool SetAlpha(float x);
    // Red, green and blue of every corner from the low 24 bits; alpha kept.
    bool SetRGB(uint32_t color);

    // Grid of (columns + 1) x (rows + 1) vertices interpolated bilinearly
    // from four corners (x, y, z, u, v each): corner 0 at grid (0, 0), 1 at
    // (columns, 0), 2 at (0, rows), 3 at (columns, rows); vertex (i, j) at
    // index j x (columns + 1) + i. False, writing nothing, when the buffer
    // holds fewer vertices than the grid needs.
    bool FillGrid(const float (&corners)[4][5], UINT columns, UINT rows);

    IDirect3DVertexBuffer9* VertexBuffer() const { return vertexBuffer_.Get(); }
    UINT VertexCount() const { return vertexCount_; }
    D3DPRIMITIVETYPE PrimitiveType() const { return primitiveType_; }
    UINT PrimitiveCount() const { return primitiveCount_; }

protected:
    // Runs edit on the vertices inside a lock (the open one, or its own).
    template <class Edit>
    bool EditVertices(Edit edit);
    void ReleaseVertices();
    // The dynamic buffer's copy into the buffer, discarding its contents.
    bool WriteShadow();

    ComPtr<IDirect3DVertexBuffer9> vertexBuffer_;
    std::vector<V> shadow_;  // a dynamic buffer's vertices; empty for a static one
    V* lock_ = nullptr;
    UINT vertexCount_ = 0;
    D3DPRIMITIVETYPE primitiveType_ = D3DPT_TRIANGLESTRIP;
    UINT primitiveCount_ = 0;
};

template <class V>
class DS_IndexedMesh : public DS_SimpleMesh<V> {
public:
    DS_IndexedMesh() = default;
    DS_IndexedMesh(const DS_IndexedMesh& other);
    DS_IndexedMesh& operator=(const DS_IndexedMesh& other);
    ~DS_IndexedMesh();

    // Vertex buffer for vertexCount vertices, triangle list, triangle count
    // indexCount / 3, a new 16-bit index buffer with 3 indices per triangle.
    // dynamicVertices: as CreateVertexBuffer's dynamic.
    HRESULT CreateBuffers(IDirect3DDevice9* device, UINT vertexCount, UINT indexCount, bool dynamicVertices = false);
    // n quads: 4n vertices; quad k has indices 4k, 4k+1, 4k+2, 4k+2, 4k+1,
    // 4k+3. n above kMaxQuads would overflow 16-bit indices: E_INVALIDARG.
    HRESULT CreateQuads(IDirect3DDevice9* device, UINT n, bool dynamicVertices = false);
    // Releases both buffers; the mesh then draws nothing.
    void ReleaseBuffers();
    // Shares a loaded mesh: its vertex and index buffers (one reference
    // each, replacing the ones held), vertex and triangle counts as a
    // triangle list, and its bounding sphere into the frame header. An empty
    // entry leaves the mesh without buffers, drawing nothing.
    void TakeMesh(const MeshEntry& entry);

    uint16_t* LockIndices();
    void UnlockIndices();

    IDirect3DIndexBuffer9* IndexBuffer() const { return indexBuffer_.Get(); }
    UINT TriangleCount() const { return triangleCount_; }

    static constexpr UINT kMaxQuads = 16383;

protected:
    ComPtr<IDirect3DIndexBuffer9> indexBuffer_;
    UINT triangleCount_ = 0;
    uint16_t* indexLock_ = nullptr;
};

// A mesh (simple by default) with one texture, released before the mesh.
template <class V, class Base = DS_SimpleMesh<V>>
class DS_TexturedMesh : public Base {
public:
    IDirect3DTexture9* Texture() const { return texture_.Get(); }
    // Holds texture (one reference; null clears).
    void SetTextureRef(IDirect3DTexture9* texture) { texture_ = ComPtr<IDirect3DTexture9>(texture); }
    // Holds texture; new four-vertex buffer with vertices from quad and
    // white corners.
    HRESULT SetTexture(IDirect3DDevice9* device, IDirect3DTexture9* texture, const ScreenQuad& quad);
    // Untextured white quad from quad. (The texture it once reloaded, "DDS"
    // resource 0 of the program, never exists.)
    HRESULT ResetQuad(IDirect3DDevice9* device, const ScreenQuad& quad);

protected:
    ComPtr<IDirect3DTexture9> texture_;
};

template <class V>
template <class Edit>
bool DS_SimpleMesh<V>::EditVertices(Edit edit)
{
    const bool ownLock = lock_ == nullptr;
    V* vertices = Lock();
    if (!vertices) return false;
    edit(vertices, vertexCount_);
    if (ownLock) Unlock();
    return true;
}

extern template class DS_SimpleMesh<DX_V::PCT>;
extern template class DS_SimpleMesh<TPC>;
extern template class DS_SimpleMesh<TP>;
extern template class DS_SimpleMesh<PC>;
extern template class DS_SimpleMesh<PT>;
extern template class DS_SimpleMesh<PNT>;
extern template class DS_SimpleMesh<PT2>;
extern template class DS_IndexedMesh<DX_V::PCT>;
extern template class DS_IndexedMesh<TPC>;
extern template class DS_IndexedMesh<PNT>;
extern template class DS_IndexedMesh<PT>;
extern template class DS_TexturedMesh<TPC>;
extern template class DS_TexturedMesh<PT>;
extern template class DS_TexturedMesh<TPC, DS_IndexedMesh<TPC>>;
extern template class DS_TexturedMesh<PNT, DS_IndexedMesh<PNT>>;
