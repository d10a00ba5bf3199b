// A 16-bit index buffer for a grid of cols x rows vertices stored row by
// row: two triangles per cell, (i, i + 1, i + cols) and
// (i + cols, i + 1, i + cols + 1) for the cell whose top-left vertex is i.
#pragma once

#include <d3d9.h>

#include <cstdint>

#include "engine/resources/ComPtr.h"

class GridIndexBuffer {
public:
    GridIndexBuffer() = default;
    GridIndexBuffer(const GridIndexBuffer&) = delete;
    GridIndexBuffer& operator=(const GridIndexBuffer&) = delete;
    ~GridIndexBuffer() { Unlock(); }

    // Creates and fills the buffer (write-only, managed pool). A grid with
    // fewer than 2 columns or rows, or more vertices than 16-bit indices
    // reach, makes no buffer and returns E_INVALIDARG.
    HRESULT Create(IDirect3DDevice9* device, uint32_t cols, uint32_t rows);
    // Locks the whole buffer; the pointer stays in Locked() until Unlock.
    HRESULT Lock();
    void Unlock();

    IDirect3DIndexBuffer9* Buffer() const { return buffer_.Get(); }
    uint32_t TriangleCount() const { return triangleCount_; }
    uint16_t* Locked() const { return locked_; }

private:
    ComPtr<IDirect3DIndexBuffer9> buffer_;
    uint32_t triangleCount_ = 0;
    uint16_t* locked_ = nullptr;
};
