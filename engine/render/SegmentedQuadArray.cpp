#include "engine/render/SegmentedQuadArray.h"

#include "engine/render/RenderStats.h"

#include <algorithm>

HRESULT QuadSegment::InitQuads(IDirect3DDevice9* device, UINT n)
{
    if (n == 0) {
        ReleaseBuffers();
        return S_OK;
    }
    // The quads are rewritten every frame: a dynamic buffer, so that the
    // write never waits for frames still being drawn from it.
    HRESULT hr = CreateQuads(device, n, true);
    if (FAILED(hr)) return hr;
    const bool written = EditVertices([](TPC* v, UINT count) {
        static const float kU[4] = {0, 0, 1, 1};
        static const float kV[4] = {1, 0, 1, 0};
        for (UINT i = 0; i < count; ++i) v[i] = TPC{0, 0, 0, 1.0f, 0u, kU[i % 4], kV[i % 4]};
    });
    if (!written) {
        ReleaseBuffers();
        return E_FAIL;
    }
    return S_OK;
}

void QuadSegment::SetQuadUV(float uLow, float uHigh, float vLow, float vHigh, UINT i)
{
    if (i >= QuadCount()) return;
    EditVertices([&](TPC* v, UINT) {
        TPC* q = v + 4 * i;
        q[0].u = uLow;
        q[0].v = vHigh;
        q[1].u = uLow;
        q[1].v = vLow;
        q[2].u = uHigh;
        q[2].v = vHigh;
        q[3].u = uHigh;
        q[3].v = vLow;
    });
}

SegmentedQuadArray::SegmentedQuadArray() : segments_(1) {}

HRESULT SegmentedQuadArray::Resize(IDirect3DDevice9* device, int32_t n)
{
    n = std::max<int32_t>(n, 0);
    UnlockAll();
    segments_.resize(static_cast<size_t>(n / kQuadsPerSegment + 1));
    HRESULT result = S_OK;
    for (size_t i = 0; i < segments_.size(); ++i) {
        const int32_t k = std::min<int32_t>(n - kQuadsPerSegment * static_cast<int32_t>(i), kQuadsPerSegment);
        const HRESULT hr = segments_[i].InitQuads(device, static_cast<UINT>(k));
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    SetTexture(segments_.front().Texture());
    quadCount_ = n;
    return result;
}

bool SegmentedQuadArray::LockAll()
{
    bool all = true;
    for (QuadSegment& s : segments_) {
        if (s.QuadCount() > 0 && !s.Lock()) all = false;
    }
    return all;
}

void SegmentedQuadArray::UnlockAll()
{
    for (QuadSegment& s : segments_) s.Unlock();
}

template <class Edit>
void SegmentedQuadArray::EditQuad(int32_t i, Edit edit)
{
    if (i < 0 || i >= quadCount_) return;
    QuadSegment& segment = segments_[static_cast<size_t>(i / kQuadsPerSegment)];
    const UINT index = static_cast<UINT>(i % kQuadsPerSegment);
    if (index >= segment.QuadCount()) return;
    segment.EditVertices([&](TPC* v, UINT) { edit(v + 4 * index); });
}

void SegmentedQuadArray::SetQuad(int32_t i, const D3DXVECTOR3& c, const D3DXVECTOR3& u, const D3DXVECTOR3& v)
{
    EditQuad(i, [&](TPC* q) {
        const D3DXVECTOR3 p[4] = {c - u + v, c - u - v, c + u + v, c + u - v};
        for (int k = 0; k < 4; ++k) {
            q[k].x = p[k].x;
            q[k].y = p[k].y;
            q[k].z = p[k].z;
            q[k].rhw = 1.0f;
        }
    });
}

void SegmentedQuadArray::SetQuadColor(int32_t i, uint32_t argb)
{
    EditQuad(i, [&](TPC* q) {
        for (int k = 0; k < 4; ++k) q[k].color = argb;
    });
}

void SegmentedQuadArray::SetQuadUV(int32_t i, float uLow, float uHigh, float vLow, float vHigh)
{
    if (i < 0 || i >= quadCount_) return;
    segments_[static_cast<size_t>(i / kQuadsPerSegment)].SetQuadUV(uLow, uHigh, vLow, vHigh,
                                                                   static_cast<UINT>(i % kQuadsPerSegment));
}

void SegmentedQuadArray::SetTexture(IDirect3DTexture9* texture)
{
    for (QuadSegment& s : segments_) s.SetTextureRef(texture);
}

HRESULT SegmentedQuadArray::Draw(IDirect3DDevice9* device) const
{
    if (!device) return E_POINTER;
    for (const QuadSegment& s : segments_) {
        if (!s.VertexBuffer() || !s.IndexBuffer() || s.TriangleCount() == 0) continue;
        HRESULT hr = device->SetTexture(0, s.Texture());
        if (SUCCEEDED(hr)) hr = device->SetIndices(s.IndexBuffer());
        if (SUCCEEDED(hr)) hr = s.BindStream(device);
        if (SUCCEEDED(hr))
            hr = device->DrawIndexedPrimitive(s.PrimitiveType(), 0, 0, s.VertexCount(), 0, s.TriangleCount());
        if (FAILED(hr)) return hr;
        ++RenderStats::Instance().drawCalls;
    }
    return S_OK;
}
