#include "engine/render/GridIndexBuffer.h"

namespace {

constexpr uint32_t kMaxIndexedVertices = 65536;

}  // namespace

HRESULT GridIndexBuffer::Create(IDirect3DDevice9* device, uint32_t cols, uint32_t rows)
{
    Unlock();
    buffer_.Reset();
    triangleCount_ = 0;
    if (!device || cols < 2 || rows < 2 || static_cast<uint64_t>(cols) * rows > kMaxIndexedVertices) {
        return E_INVALIDARG;
    }
    const uint32_t triangles = 2 * (cols - 1) * (rows - 1);
    const UINT bytes = triangles * 3 * sizeof(uint16_t);
    HRESULT hr = device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                           buffer_.ReleaseAndGetAddressOf(), nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    void* data = nullptr;
    hr = buffer_->Lock(0, bytes, &data, 0);
    if (FAILED(hr)) {
        buffer_.Reset();
        return hr;
    }
    auto* out = static_cast<uint16_t*>(data);
    for (uint32_t j = 0; j + 1 < rows; ++j) {
        for (uint32_t k = 0; k + 1 < cols; ++k) {
            const uint32_t i = j * cols + k;
            const uint32_t cell[6] = {i, i + 1, i + cols, i + cols, i + 1, i + cols + 1};
            for (uint32_t index : cell) {
                *out++ = static_cast<uint16_t>(index);
            }
        }
    }
    buffer_->Unlock();
    triangleCount_ = triangles;
    return S_OK;
}

HRESULT GridIndexBuffer::Lock()
{
    if (!buffer_) {
        return E_FAIL;
    }
    if (locked_) {
        return S_OK;
    }
    void* data = nullptr;
    const HRESULT hr = buffer_->Lock(0, 0, &data, 0);
    locked_ = SUCCEEDED(hr) ? static_cast<uint16_t*>(data) : nullptr;
    return hr;
}

void GridIndexBuffer::Unlock()
{
    if (locked_ && buffer_) {
        buffer_->Unlock();
    }
    locked_ = nullptr;
}
