#include "engine/resources/DudvDds.h"

#include <cstring>

namespace {

constexpr size_t kHeaderSize = 128;  // "DDS " and the 124-byte header
constexpr uint32_t kMaxSide = 16384;
constexpr uint32_t kBumpDuDv = 0x80000;

uint32_t Word(const uint8_t* bytes, size_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes + offset, sizeof(value));
    return value;
}

}  // namespace

bool IsV8U8Dds(const void* data, size_t size, uint32_t* width, uint32_t* height)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (!bytes || size < kHeaderSize || std::memcmp(bytes, "DDS ", 4) != 0 || Word(bytes, 4) != 124) return false;
    const uint32_t h = Word(bytes, 12);
    const uint32_t w = Word(bytes, 16);
    // Pixel format at 76: size, flags, four-cc, bit count, masks.
    if (Word(bytes, 76) != 32 || !(Word(bytes, 80) & kBumpDuDv) || Word(bytes, 88) != 16 ||
        Word(bytes, 92) != 0x00FF || Word(bytes, 96) != 0xFF00) {
        return false;
    }
    if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide) return false;
    if (size - kHeaderSize < static_cast<size_t>(w) * h * 2) return false;
    if (width) *width = w;
    if (height) *height = h;
    return true;
}

HRESULT LoadV8U8Dds(IDirect3DDevice9* device, const void* data, size_t size, ComPtr<IDirect3DTexture9>& texture,
                    uint32_t& width, uint32_t& height)
{
    texture.Reset();
    uint32_t w = 0, h = 0;
    if (!device || !IsV8U8Dds(data, size, &w, &h)) return E_FAIL;
    ComPtr<IDirect3DTexture9> made;
    HRESULT hr = device->CreateTexture(w, h, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, made.ReleaseAndGetAddressOf(), nullptr);
    if (FAILED(hr)) return hr;
    D3DLOCKED_RECT rect = {};
    hr = made->LockRect(0, &rect, nullptr, 0);
    if (FAILED(hr)) return hr;
    const auto* texels = static_cast<const uint8_t*>(data) + kHeaderSize;
    for (uint32_t y = 0; y < h; ++y) {
        std::memcpy(static_cast<uint8_t*>(rect.pBits) + static_cast<size_t>(y) * rect.Pitch,
                    texels + static_cast<size_t>(y) * w * 2, static_cast<size_t>(w) * 2);
    }
    hr = made->UnlockRect(0);
    if (FAILED(hr)) return hr;
    texture = made;
    width = w;
    height = h;
    return S_OK;
}
