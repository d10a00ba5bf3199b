// The water surface of the ring light: a grid of cells holding a height and
// a vertical velocity, disturbed by drops and relaxed towards the
// neighbours with damping, drawn as one lit triangle strip whose texture
// coordinates look through the water at the picture below.
//
// The index strip, written once, lives in the managed pool and outlives a
// device reset; the vertex buffer, written every frame, lives in the
// default pool: the owner releases it when the device is lost
// (ReleaseDeviceBuffers) and Resize makes it again.
#pragma once

#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>
#include <vector>

#include "engine/resources/ComPtr.h"

struct WaterVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t color;
    float u, v;
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
    static constexpr UINT kStride = 36;
};
static_assert(sizeof(WaterVertex) == WaterVertex::kStride && WaterVertex::kFVF == 0x152, "water vertex layout");

class WaterGrid {
public:
    struct Cell {
        float height = 0.0f;
        float velocity = 0.0f;
    };
    // One entry per quantised angle between the surface normal and the eye.
    struct Refraction {
        float a;         // weight of the normal in the refracted ray
        float b;         // scale of the refracted ray
        uint32_t color;  // alpha only: less water seen at steep angles
    };

    static constexpr uint32_t kMinSide = 4;
    static constexpr uint32_t kMaxSide = 16384;
    static constexpr uint32_t kMaxCells = 65536;  // indices fit in 16 bits
    static constexpr int kPasses = 4;

    WaterGrid() = default;
    WaterGrid(const WaterGrid&) = delete;
    WaterGrid& operator=(const WaterGrid&) = delete;
    ~WaterGrid() = default;

    // A grid of about density x 128 columns over a surface of width x
    // height (world units), rows following the surface's proportions times
    // aspect. Sides stay between 4 and 16384 cells and even, and the grid
    // at most kMaxCells cells, whatever the arguments (NaN and infinity
    // included); a width or height that is not positive and finite counts
    // as 1. Flat water; buffers of another size are released, and the
    // missing ones made on the current device (CreateBuffers).
    HRESULT Resize(float width, float height, float aspect, float density);
    // Makes whichever buffer is missing: the ring-wound index strip and the
    // dynamic vertex buffer. The first failing call's error.
    HRESULT CreateBuffers();
    // Both buffers.
    void ReleaseBuffers();
    // The default-pool vertex buffer only, before a device reset.
    void ReleaseDeviceBuffers();
    bool HasBuffers() const { return indexBuffer_ && vertexBuffer_; }

    // One drop on a random inner cell (column drawn first).
    void Drop();
    // Four relaxation passes, then the vertex buffer is rewritten for an eye
    // at eye. Without buffers only the water moves. A failed lock's error.
    HRESULT Step(const D3DXVECTOR3& eye);
    // The four passes alone. Water whose heights or velocities run away
    // (beyond a million units, or not finite) starts flat again.
    void Relax();
    // One vertex per cell, as Step writes them.
    void WriteVertices(WaterVertex* out, const D3DXVECTOR3& eye) const;
    // FVF, stream, indices, one strip over every cell. S_FALSE without
    // buffers (nothing drawn).
    HRESULT Draw() const;

    // The ring-wound strip for a grid of columns x rows: 2 x columns x rows
    // indices, each below columns x rows.
    static std::vector<uint16_t> BuildIndices(uint32_t columns, uint32_t rows);
    // Made the first time it is asked for, kept for the process.
    static const Refraction* BuildRefractionTable();

    uint32_t Columns() const { return columns_; }
    uint32_t Rows() const { return rows_; }
    uint32_t CellCount() const { return cellCount_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    std::vector<Cell>& Cells() { return cells_; }
    const std::vector<Cell>& Cells() const { return cells_; }
    IDirect3DVertexBuffer9* VertexBuffer() const { return vertexBuffer_.Get(); }
    IDirect3DIndexBuffer9* IndexBuffer() const { return indexBuffer_.Get(); }

    float refractionK = 1.0f;
    float dropStrength = 0.5f;
    float damping = 0.99f;
    float depth = 0.2f;

private:
    float width_ = 0.0f;
    float height_ = 0.0f;
    float inverseWidth_ = 1.0f;
    float inverseHeight_ = 1.0f;
    uint32_t columns_ = kMinSide;
    uint32_t rows_ = kMinSide;
    uint32_t cellCount_ = kMinSide * kMinSide;
    std::vector<Cell> cells_;
    ComPtr<IDirect3DIndexBuffer9> indexBuffer_;
    ComPtr<IDirect3DVertexBuffer9> vertexBuffer_;
};
