#include "effects/lights/WaterGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/params/Random.h"
#include "engine/resources/CurrentScene.h"

namespace {

constexpr float kRefractiveIndex = 1.333f;
constexpr float kSphereCentreY = 20.0f;
constexpr float kSphereRadiusSquared = 35.0f * 35.0f;
// Far above any wave a drop makes (a fraction of a unit); NaN fails the
// comparison too.
constexpr float kRunawayHeight = 1.0e6f;

// A usable surface side: positive and finite, else 1.
float SurfaceSide(float value)
{
    return value > 0.0f && std::isfinite(value) ? value : 1.0f;
}

// Clamped to lo..hi; NaN gives lo.
float ClampSide(float value, float lo, float hi)
{
    if (!(value >= lo)) return lo;
    return value > hi ? hi : value;
}

uint32_t EvenDown(uint32_t value)
{
    return value & ~1u;
}

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v)
{
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

}  // namespace

const WaterGrid::Refraction* WaterGrid::BuildRefractionTable()
{
    static const std::vector<Refraction> table = [] {
        std::vector<Refraction> entries(256);
        for (int i = 0; i < 256; ++i) {
            const float cosI = static_cast<float>(i) / 256.0f;
            const float s = std::sin(std::acos(cosI));
            const float sT = s / kRefractiveIndex;
            const float cosT = std::cos(std::asin(sT));
            const uint32_t fade = static_cast<uint32_t>(255 - i);
            entries[i].a = (s / sT) * cosT - cosI;
            entries[i].b = -sT / s;
            entries[i].color = ((fade * fade * fade) >> 16) << 24;
        }
        return entries;
    }();
    return table.data();
}

HRESULT WaterGrid::Resize(float width, float height, float aspect, float density)
{
    width = SurfaceSide(width);
    height = SurfaceSide(height);
    const float c0 = std::trunc(ClampSide(density * 128.0f, kMinSide, kMaxSide));
    const float r0 = std::trunc(ClampSide(c0 * (height / width) * aspect, kMinSide, kMaxSide));
    uint32_t columns = EvenDown(static_cast<uint32_t>(c0));
    const uint32_t rows = EvenDown(static_cast<uint32_t>(r0));
    if (columns * rows > kMaxCells) columns = EvenDown(kMaxCells / rows);
    // Buffers of the same size are kept: a restore after a device reset
    // makes only the vertex buffer again.
    if (columns != columns_ || rows != rows_) ReleaseBuffers();
    columns_ = columns;
    rows_ = rows;
    cellCount_ = columns_ * rows_;
    width_ = width;
    height_ = height;
    inverseWidth_ = 1.0f / width;
    inverseHeight_ = 1.0f / height;
    cells_.assign(cellCount_, Cell{});
    return CreateBuffers();
}

std::vector<uint16_t> WaterGrid::BuildIndices(uint32_t columns, uint32_t rows)
{
    const int64_t cols = columns;
    const size_t indexCount = 2 * static_cast<size_t>(columns) * rows;
    const int64_t vertexCount = static_cast<int64_t>(columns) * rows;
    std::vector<uint16_t> indices;
    indices.reserve(indexCount);
    const auto pair = [&](int64_t first, int64_t second) {
        for (int64_t index : {first, second}) {
            if (indices.size() >= indexCount) return;
            indices.push_back(index >= 0 && index < vertexCount ? static_cast<uint16_t>(index) : 0);
        }
    };
    int64_t c = 0, d = 0;
    int64_t n = columns, m = rows;
    // Each ring walks the grid's outer ring of cells (top row, right column,
    // bottom row, left column), two vertices per step, then moves inwards.
    while (indices.size() < indexCount && n > 0 && m > 0) {
        for (int64_t k = 0; k < n; ++k, ++c) pair(d * cols + c, (d + 1) * cols + c);
        int64_t g = d + 1;
        if (m > 1) {
            for (int64_t k = 0; k < m - 1; ++k, ++g) pair(g * cols + c - 1, g * cols + c - 2);
        }
        c -= 2;
        d = g - 2;
        if (n > 1) {
            for (int64_t k = 0; k < n - 1; ++k, --c) pair((g - 1) * cols + c, d * cols + c);
        }
        if (m > 2) {
            for (int64_t k = 0; k < m - 2; ++k, --d) pair(d * cols + c + 1, d * cols + c + 2);
        }
        n -= 2;
        m -= 2;
        c += 2;
        d += 1;
    }
    indices.resize(indexCount, 0);
    return indices;
}

HRESULT WaterGrid::CreateBuffers()
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return E_FAIL;
    if (cellCount_ == 0 || cells_.size() != cellCount_) return E_FAIL;
    if (!indexBuffer_) {
        const std::vector<uint16_t> indices = BuildIndices(columns_, rows_);
        const UINT bytes = static_cast<UINT>(indices.size() * sizeof(uint16_t));
        ComPtr<IDirect3DIndexBuffer9> buffer;
        HRESULT hr = device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                               buffer.ReleaseAndGetAddressOf(), nullptr);
        if (FAILED(hr)) return hr;
        void* locked = nullptr;
        hr = buffer->Lock(0, 0, &locked, 0);
        if (FAILED(hr)) return hr;
        std::memcpy(locked, indices.data(), bytes);
        hr = buffer->Unlock();
        if (FAILED(hr)) return hr;
        indexBuffer_ = buffer;
    }
    if (!vertexBuffer_) {
        const HRESULT hr = device->CreateVertexBuffer(cellCount_ * WaterVertex::kStride,
                                                      D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, WaterVertex::kFVF,
                                                      D3DPOOL_DEFAULT, vertexBuffer_.ReleaseAndGetAddressOf(), nullptr);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

void WaterGrid::ReleaseBuffers()
{
    indexBuffer_.Reset();
    ReleaseDeviceBuffers();
}

void WaterGrid::ReleaseDeviceBuffers()
{
    vertexBuffer_.Reset();
}

void WaterGrid::Drop()
{
    if (columns_ < 3 || rows_ < 3 || cells_.size() != cellCount_) return;
    const uint32_t column = static_cast<uint32_t>(DS_Rand()) % (columns_ - 2) + 1;
    const uint32_t row = static_cast<uint32_t>(DS_Rand()) % (rows_ - 2) + 1;
    for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
            const int neighbours = (dr != 0) + (dc != 0);
            const float share = neighbours == 0 ? 0.25f : neighbours == 1 ? 0.125f : 0.0625f;
            cells_[(row + dr) * columns_ + column + dc].velocity -= dropStrength * share;
        }
    }
}

void WaterGrid::Relax()
{
    if (cells_.size() != cellCount_ || cellCount_ == 0) return;
    const uint32_t cols = columns_;
    const auto h = [&](uint32_t c, uint32_t r) { return cells_[r * cols + c].height; };
    for (int pass = 0; pass < kPasses; ++pass) {
        float sum = 0.0f;
        for (uint32_t r = 0; r < rows_; ++r) {
            for (uint32_t c = 0; c < cols; ++c) {
                Cell& cell = cells_[r * cols + c];
                if (r == 0 || c == 0 || r == rows_ - 1 || c == cols - 1) {
                    cell = Cell{};
                } else {
                    const float edges = h(c - 1, r) + h(c + 1, r) + h(c, r - 1) + h(c, r + 1);
                    const float corners = h(c - 1, r - 1) + h(c + 1, r - 1) + h(c - 1, r + 1) + h(c + 1, r + 1);
                    const float target = edges / 6.0f + corners / 12.0f;
                    cell.velocity = cell.velocity * damping + (target - cell.height) * 0.25f;
                }
                sum += cell.velocity + cell.height;
            }
        }
        const float mean = sum / static_cast<float>(cellCount_);
        for (Cell& cell : cells_) cell.height = cell.height + cell.velocity * refractionK - mean;
    }
    // Water that ran away (a huge wave speed) starts flat again before its
    // heights overflow into the vertices.
    const bool calm = std::all_of(cells_.begin(), cells_.end(), [](const Cell& cell) {
        return std::fabs(cell.height) <= kRunawayHeight && std::fabs(cell.velocity) <= kRunawayHeight;
    });
    if (!calm) std::fill(cells_.begin(), cells_.end(), Cell{});
}

void WaterGrid::WriteVertices(WaterVertex* out, const D3DXVECTOR3& eye) const
{
    if (!out || cells_.size() != cellCount_ || cellCount_ == 0) return;
    const Refraction* table = BuildRefractionTable();
    const uint32_t cols = columns_;
    const float stepX = width_ / static_cast<float>(cols - 1);
    const float stepZ = height_ / static_cast<float>(rows_ - 1);
    const float shrink = 1.0f - depth * 0.05f;
    const auto h = [&](uint32_t c, uint32_t r) { return cells_[r * cols + c].height; };
    for (uint32_t r = 0; r < rows_; ++r) {
        const uint32_t up = r == 0 ? rows_ - 1 : r - 1;
        const uint32_t down = r == rows_ - 1 ? 0 : r + 1;
        for (uint32_t c = 0; c < cols; ++c) {
            const uint32_t left = c == 0 ? cols - 1 : c - 1;
            const uint32_t right = c == cols - 1 ? 0 : c + 1;
            WaterVertex& vertex = out[r * cols + c];
            const D3DXVECTOR3 position(-width_ * 0.5f + static_cast<float>(c) * stepX, h(c, r),
                                       -height_ * 0.5f + static_cast<float>(r) * stepZ);
            const float nx = (h(left, up) + h(left, r) + h(left, down)) - (h(right, up) + h(right, r) + h(right, down));
            const float nz = (h(left, up) + h(c, up) + h(right, up)) - (h(left, down) + h(c, down) + h(right, down));
            const D3DXVECTOR3 normal = Normalized(D3DXVECTOR3(nx, 1.0f, nz));
            const D3DXVECTOR3 toEye = Normalized(eye - position);
            // A normal facing away from the eye, or a NaN, takes entry 0.
            const float slot = std::round(D3DXVec3Dot(&normal, &toEye) * 255.0f);
            const int index = slot >= 0.0f ? static_cast<int>(std::min(slot, 255.0f)) : 0;
            const Refraction& entry = table[index];
            const D3DXVECTOR3 ray = (entry.a * normal + toEye) * entry.b;
            const D3DXVECTOR3 p(position.x, position.y - kSphereCentreY, position.z);
            const float b = 2.0f * D3DXVec3Dot(&ray, &p);
            const float cTerm = D3DXVec3Dot(&p, &p) - kSphereRadiusSquared;
            // Grid corners of very wide pictures lie outside the sphere; the
            // ray then only grazes it.
            const float discriminant = std::max(0.0f, b * b - 4.0f * cTerm);
            const float t = (std::sqrt(discriminant) - b) * 0.5f * depth;
            vertex.x = position.x;
            vertex.y = position.y;
            vertex.z = position.z;
            vertex.nx = normal.x;
            vertex.ny = normal.y;
            vertex.nz = normal.z;
            vertex.color = entry.color;
            vertex.u = (position.x + ray.x * t) * inverseWidth_ * shrink + 0.5f;
            vertex.v = (position.z + ray.z * t) * inverseHeight_ * shrink + 0.5f;
        }
    }
}

HRESULT WaterGrid::Step(const D3DXVECTOR3& eye)
{
    Relax();
    if (!vertexBuffer_) return S_FALSE;
    void* locked = nullptr;
    const HRESULT hr = vertexBuffer_->Lock(0, 0, &locked, D3DLOCK_DISCARD);
    if (FAILED(hr)) return hr;
    WriteVertices(static_cast<WaterVertex*>(locked), eye);
    return vertexBuffer_->Unlock();
}

HRESULT WaterGrid::Draw() const
{
    if (!HasBuffers() || cellCount_ < 3) return S_FALSE;
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return E_FAIL;
    HRESULT hr = device->SetVertexShader(nullptr);
    if (SUCCEEDED(hr)) hr = device->SetFVF(WaterVertex::kFVF);
    if (SUCCEEDED(hr)) hr = device->SetStreamSource(0, vertexBuffer_.Get(), 0, WaterVertex::kStride);
    if (SUCCEEDED(hr)) hr = device->SetIndices(indexBuffer_.Get());
    if (SUCCEEDED(hr)) {
        hr = device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, cellCount_, 0, 2 * cellCount_ - 2);
    }
    return hr;
}
