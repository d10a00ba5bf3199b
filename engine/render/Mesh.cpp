#include "engine/render/Mesh.h"

#include <algorithm>
#include <type_traits>

#include "engine/resources/TextureLoader.h"

namespace {

template <class V, class = void>
struct HasColor : std::false_type {
};
template <class V>
struct HasColor<V, std::void_t<decltype(V::color)>> : std::true_type {
};

template <class V, class = void>
struct HasRhw : std::false_type {
};
template <class V>
struct HasRhw<V, std::void_t<decltype(V::rhw)>> : std::true_type {
};

template <class V, class = void>
struct HasUV : std::false_type {
};
template <class V>
struct HasUV<V, std::void_t<decltype(V::u)>> : std::true_type {
};

constexpr UINT kQuadVertices = 4;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// x 255 truncated; out-of-range factors are clamped so the byte is defined.
uint32_t AlphaByte(float f)
{
    const float scaled = f * 255.0f;
    if (!(scaled > 0.0f)) return 0;
    if (scaled >= 255.0f) return 255;
    return static_cast<uint32_t>(scaled);
}

uint32_t WithAlpha(uint32_t argb, uint32_t alpha)
{
    return (argb & 0x00FFFFFFu) | (alpha << 24);
}

// Opens a lock over all of buffer into slot, or returns the one open.
template <class T, class Buffer>
T* LockWhole(Buffer* buffer, T*& slot)
{
    if (slot) return slot;
    if (!buffer) return nullptr;
    void* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, 0)) || !data) return nullptr;
    slot = static_cast<T*>(data);
    return slot;
}

// Closes the lock in slot, if open. Nothing to undo if Unlock fails: the
// lock is gone either way.
template <class T, class Buffer>
void UnlockWhole(Buffer* buffer, T*& slot)
{
    if (!slot) return;
    slot = nullptr;
    buffer->Unlock();
}

}  // namespace

// ---- DS_SimpleMesh ----

template <class V>
DS_SimpleMesh<V>::DS_SimpleMesh(const DS_SimpleMesh& other)
    : DS_Frame(other),
      vertexBuffer_(other.vertexBuffer_),
      shadow_(other.shadow_),
      vertexCount_(other.vertexCount_),
      primitiveType_(other.primitiveType_),
      primitiveCount_(other.primitiveCount_)
{
}

template <class V>
DS_SimpleMesh<V>& DS_SimpleMesh<V>::operator=(const DS_SimpleMesh& other)
{
    if (this == &other) return *this;
    DS_Frame::operator=(other);
    Unlock();
    vertexBuffer_ = other.vertexBuffer_;
    shadow_ = other.shadow_;
    vertexCount_ = other.vertexCount_;
    primitiveType_ = other.primitiveType_;
    primitiveCount_ = other.primitiveCount_;
    return *this;
}

template <class V>
DS_SimpleMesh<V>::~DS_SimpleMesh()
{
    ReleaseVertices();
}

template <class V>
void DS_SimpleMesh<V>::ReleaseVertices()
{
    Unlock();
    vertexBuffer_.Reset();
    shadow_.clear();
    vertexCount_ = 0;
}

template <class V>
HRESULT DS_SimpleMesh<V>::CreateVertexBuffer(IDirect3DDevice9* device, UINT count, bool dynamic)
{
    ReleaseVertices();
    if (!device) return E_POINTER;
    if (count == 0 || count > UINT(-1) / V::kStride) return E_INVALIDARG;
    const DWORD usage = dynamic ? D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY : D3DUSAGE_WRITEONLY;
    const D3DPOOL pool = dynamic ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
    const HRESULT hr =
        device->CreateVertexBuffer(count * V::kStride, usage, V::kFVF, pool, vertexBuffer_.ReleaseAndGetAddressOf(), nullptr);
    if (SUCCEEDED(hr)) {
        vertexCount_ = count;
        if (dynamic) shadow_.assign(count, V{});
    }
    return hr;
}

template <class V>
HRESULT DS_SimpleMesh<V>::CreateBuffer(IDirect3DDevice9* device)
{
    ComPtr<IDirect3DVertexBuffer9> buffer;
    ReleaseVertices();
    if (!device) return E_POINTER;
    const HRESULT hr = device->CreateVertexBuffer(kQuadVertices * V::kStride, D3DUSAGE_WRITEONLY, V::kFVF,
                                                  D3DPOOL_MANAGED, buffer.ReleaseAndGetAddressOf(), nullptr);
    if (FAILED(hr)) return hr;
    AttachVertexBuffer(buffer.Get());
    return S_OK;
}

template <class V>
HRESULT DS_SimpleMesh<V>::CreateDynamicBuffer(IDirect3DDevice9* device)
{
    ComPtr<IDirect3DVertexBuffer9> buffer;
    ReleaseVertices();
    if (!device) return E_POINTER;
    const HRESULT hr = device->CreateVertexBuffer(kQuadVertices * V::kStride, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                                  V::kFVF, D3DPOOL_DEFAULT, buffer.ReleaseAndGetAddressOf(), nullptr);
    if (FAILED(hr)) return hr;
    AttachVertexBuffer(buffer.Get());
    shadow_.assign(kQuadVertices, V{});
    return WriteShadow() ? S_OK : E_FAIL;
}

template <class V>
bool DS_SimpleMesh<V>::WriteShadow()
{
    void* data = nullptr;
    if (!vertexBuffer_ || FAILED(vertexBuffer_->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data) return false;
    std::copy(shadow_.begin(), shadow_.end(), static_cast<V*>(data));
    vertexBuffer_->Unlock();
    return true;
}

template <class V>
void DS_SimpleMesh<V>::AttachVertexBuffer(IDirect3DVertexBuffer9* buffer)
{
    ReleaseVertices();
    vertexBuffer_ = ComPtr<IDirect3DVertexBuffer9>(buffer);
    vertexCount_ = buffer ? kQuadVertices : 0;
    primitiveType_ = D3DPT_TRIANGLESTRIP;
    primitiveCount_ = 2;
}

template <class V>
HRESULT DS_SimpleMesh<V>::BindStream(IDirect3DDevice9* device) const
{
    if (!device) return E_POINTER;
    HRESULT hr = device->SetVertexShader(nullptr);
    if (SUCCEEDED(hr)) hr = device->SetFVF(V::kFVF);
    if (SUCCEEDED(hr)) hr = device->SetStreamSource(0, vertexBuffer_.Get(), 0, V::kStride);
    return hr;
}

template <class V>
V* DS_SimpleMesh<V>::Lock()
{
    if (shadow_.empty()) return LockWhole(vertexBuffer_.Get(), lock_);
    // A dynamic buffer is edited in its copy and written whole on Unlock.
    if (!vertexBuffer_) return nullptr;
    lock_ = shadow_.data();
    return lock_;
}

template <class V>
void DS_SimpleMesh<V>::Unlock()
{
    if (shadow_.empty()) {
        UnlockWhole(vertexBuffer_.Get(), lock_);
        return;
    }
    if (!lock_) return;
    lock_ = nullptr;
    WriteShadow();
}

template <class V>
bool DS_SimpleMesh<V>::WritePositions(const ScreenQuad& quad)
{
    return EditVertices([&](V* v, UINT count) {
        for (UINT i = 0; i < std::min<UINT>(count, kQuadVertices); ++i) {
            const ScreenQuad::Corner& c = quad.corners[i];
            v[i].x = c.x;
            v[i].y = c.y;
            v[i].z = 0.0f;
            if constexpr (HasRhw<V>::value) v[i].rhw = c.z;
            if constexpr (std::is_same_v<V, TPC>) {
                v[i].u = c.u;
                v[i].v = c.v;
            }
        }
    });
}

template <class V>
bool DS_SimpleMesh<V>::SetPositions(const D3DXVECTOR3 (&corners)[4])
{
    return EditVertices([&](V* v, UINT count) {
        for (UINT i = 0; i < std::min<UINT>(count, kQuadVertices); ++i) {
            v[i].x = corners[i].x;
            v[i].y = corners[i].y;
            v[i].z = corners[i].z;
        }
    });
}

template <class V>
HRESULT DS_SimpleMesh<V>::SetVertices(IDirect3DDevice9* device, const float (&values)[20])
{
    HRESULT hr = CreateBuffer(device);
    if (FAILED(hr)) return hr;
    const bool written = EditVertices([&](V* v, UINT) {
        for (UINT i = 0; i < kQuadVertices; ++i) {
            const float* c = values + 5 * i;
            v[i].x = c[0];
            v[i].y = c[1];
            v[i].z = c[2];
            if constexpr (HasUV<V>::value) {
                v[i].u = c[3];
                v[i].v = c[4];
            }
        }
    });
    return written ? S_OK : E_FAIL;
}

template <class V>
HRESULT DS_SimpleMesh<V>::SetColor(IDirect3DDevice9* device, const ScreenQuad& quad, uint32_t argb)
{
    HRESULT hr = CreateBuffer(device);
    if (FAILED(hr)) return hr;
    if (!WritePositions(quad)) return E_FAIL;
    const bool written = EditVertices([&](V* v, UINT) {
        if constexpr (HasColor<V>::value) {
            for (UINT i = 0; i < kQuadVertices; ++i) v[i].color = argb;
        }
    });
    return written ? S_OK : E_FAIL;
}

template <class V>
bool DS_SimpleMesh<V>::SetCornerAlpha(float a, float b, float c, float d)
{
    if constexpr (!HasColor<V>::value) {
        return false;
    } else {
        const uint32_t alphas[4] = {AlphaByte(a), AlphaByte(c), AlphaByte(b), AlphaByte(d)};
        return EditVertices([&](V* v, UINT count) {
            for (UINT i = 0; i < std::min<UINT>(count, kQuadVertices); ++i)
                v[i].color = WithAlpha(v[i].color, alphas[i]);
        });
    }
}

template <class V>
bool DS_SimpleMesh<V>::SetAlpha(float x)
{
    return SetCornerAlpha(x, x, x, x);
}

template <class V>
bool DS_SimpleMesh<V>::SetRGB(uint32_t color)
{
    if constexpr (!HasColor<V>::value) {
        return false;
    } else {
        return EditVertices([&](V* v, UINT count) {
            for (UINT i = 0; i < std::min<UINT>(count, kQuadVertices); ++i)
                v[i].color = (v[i].color & 0xFF000000u) | (color & 0x00FFFFFFu);
        });
    }
}

template <class V>
bool DS_SimpleMesh<V>::FillGrid(const float (&corners)[4][5], UINT columns, UINT rows)
{
    const uint64_t needed = (uint64_t(columns) + 1) * (uint64_t(rows) + 1);
    if (needed > vertexCount_) return false;
    // A grid of 0 rows or columns is one line of vertices: its fraction
    // stays 0 rather than 0 / 0.
    auto fraction = [](UINT k, UINT n) { return n ? static_cast<float>(k) / static_cast<float>(n) : 0.0f; };
    return EditVertices([&](V* v, UINT) {
        for (UINT j = 0; j <= rows; ++j) {
            const float fj = fraction(j, rows);
            float left[5], right[5];
            for (int c = 0; c < 5; ++c) {
                left[c] = corners[0][c] + fj * (corners[2][c] - corners[0][c]);
                right[c] = corners[1][c] + fj * (corners[3][c] - corners[1][c]);
            }
            for (UINT i = 0; i <= columns; ++i) {
                const float fi = fraction(i, columns);
                float p[5];
                for (int c = 0; c < 5; ++c) p[c] = left[c] + fi * (right[c] - left[c]);
                V& out = v[j * (columns + 1) + i];
                out.x = p[0];
                out.y = p[1];
                out.z = p[2];
                if constexpr (HasUV<V>::value) {
                    out.u = p[3];
                    out.v = p[4];
                }
            }
        }
    });
}

// ---- DS_IndexedMesh ----

template <class V>
DS_IndexedMesh<V>::DS_IndexedMesh(const DS_IndexedMesh& other)
    : DS_SimpleMesh<V>(other), indexBuffer_(other.indexBuffer_), triangleCount_(other.triangleCount_)
{
}

template <class V>
DS_IndexedMesh<V>& DS_IndexedMesh<V>::operator=(const DS_IndexedMesh& other)
{
    if (this == &other) return *this;
    DS_SimpleMesh<V>::operator=(other);
    UnlockIndices();
    indexBuffer_ = other.indexBuffer_;
    triangleCount_ = other.triangleCount_;
    return *this;
}

template <class V>
DS_IndexedMesh<V>::~DS_IndexedMesh()
{
    UnlockIndices();
    indexBuffer_.Reset();
}

template <class V>
void DS_IndexedMesh<V>::ReleaseBuffers()
{
    UnlockIndices();
    indexBuffer_.Reset();
    triangleCount_ = 0;
    this->ReleaseVertices();
    this->primitiveCount_ = 0;
}

template <class V>
void DS_IndexedMesh<V>::TakeMesh(const MeshEntry& entry)
{
    ReleaseBuffers();
    this->boundingRadius = entry.radius;
    this->boundingCentre = entry.centre;
    if (entry.IsEmpty()) return;
    this->vertexBuffer_ = entry.vertexBuffer;
    indexBuffer_ = entry.indexBuffer;
    this->vertexCount_ = entry.vertexCount;
    triangleCount_ = entry.faceCount;
    this->primitiveType_ = D3DPT_TRIANGLELIST;
    this->primitiveCount_ = entry.faceCount;
}

template <class V>
HRESULT DS_IndexedMesh<V>::CreateBuffers(IDirect3DDevice9* device, UINT vertexCount, UINT indexCount,
                                         bool dynamicVertices)
{
    ReleaseBuffers();
    HRESULT hr = this->CreateVertexBuffer(device, vertexCount, dynamicVertices);
    if (FAILED(hr)) return hr;
    this->primitiveType_ = D3DPT_TRIANGLELIST;
    this->primitiveCount_ = 0;
    const UINT triangles = indexCount / 3;
    if (triangles == 0 || triangles > UINT(-1) / (3 * sizeof(uint16_t))) {
        ReleaseBuffers();
        return E_INVALIDARG;
    }
    hr = device->CreateIndexBuffer(triangles * 3 * sizeof(uint16_t), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                   D3DPOOL_MANAGED, indexBuffer_.ReleaseAndGetAddressOf(), nullptr);
    if (FAILED(hr)) {
        ReleaseBuffers();
        return hr;
    }
    triangleCount_ = triangles;
    return S_OK;
}

template <class V>
HRESULT DS_IndexedMesh<V>::CreateQuads(IDirect3DDevice9* device, UINT n, bool dynamicVertices)
{
    if (n == 0 || n > kMaxQuads) {
        ReleaseBuffers();
        return E_INVALIDARG;
    }
    HRESULT hr = CreateBuffers(device, 4 * n, 6 * n, dynamicVertices);
    if (FAILED(hr)) return hr;
    uint16_t* index = LockIndices();
    if (!index) {
        ReleaseBuffers();
        return E_FAIL;
    }
    for (UINT k = 0; k < n; ++k) {
        const uint16_t base = static_cast<uint16_t>(4 * k);
        const uint16_t quad[6] = {
            base, uint16_t(base + 1), uint16_t(base + 2), uint16_t(base + 2), uint16_t(base + 1), uint16_t(base + 3)};
        std::copy(quad, quad + 6, index + 6 * k);
    }
    UnlockIndices();
    return S_OK;
}

template <class V>
uint16_t* DS_IndexedMesh<V>::LockIndices()
{
    return LockWhole(indexBuffer_.Get(), indexLock_);
}

template <class V>
void DS_IndexedMesh<V>::UnlockIndices()
{
    UnlockWhole(indexBuffer_.Get(), indexLock_);
}

// ---- DS_TexturedMesh ----

template <class V, class Base>
HRESULT DS_TexturedMesh<V, Base>::SetTexture(IDirect3DDevice9* device, IDirect3DTexture9* texture,
                                             const ScreenQuad& quad)
{
    SetTextureRef(texture);
    return this->SetColor(device, quad, kWhite);
}

template <class V, class Base>
HRESULT DS_TexturedMesh<V, Base>::ResetQuad(IDirect3DDevice9* device, const ScreenQuad& quad)
{
    texture_.Reset();
    return this->SetColor(device, quad, kWhite);
}

template class DS_SimpleMesh<DX_V::PCT>;
template class DS_SimpleMesh<TPC>;
template class DS_SimpleMesh<TP>;
template class DS_SimpleMesh<PC>;
template class DS_SimpleMesh<PT>;
template class DS_SimpleMesh<PNT>;
template class DS_SimpleMesh<PT2>;
template class DS_IndexedMesh<DX_V::PCT>;
template class DS_IndexedMesh<TPC>;
template class DS_IndexedMesh<PNT>;
template class DS_IndexedMesh<PT>;
template class DS_TexturedMesh<TPC>;
template class DS_TexturedMesh<PT>;
template class DS_TexturedMesh<TPC, DS_IndexedMesh<TPC>>;
template class DS_TexturedMesh<PNT, DS_IndexedMesh<PNT>>;
