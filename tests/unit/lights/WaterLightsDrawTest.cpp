// The water lights on a real device, pixels read back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "effects/lights/FakeLake2D.h"
#include "effects/lights/WaterRingLight.h"
#include "unit/lights/WaterLightsFixture.h"

namespace {

// Ten well-separated colours, one per 1/10 of the picture height.
constexpr uint32_t kBands[10] = {0xFF2020, 0x20FF20, 0x2020FF, 0xFFFF20, 0x20FFFF,
                                 0xFF20FF, 0x808080, 0xFF8020, 0x2080FF, 0xFFFFFF};

uint32_t Band(UINT y, UINT h)
{
    return 0xFF000000u | kBands[std::min<UINT>(y * 10 / h, 9)];
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(std::string(path.begin(), path.end()), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The build's ripple map, beside the scene pictures.
std::vector<uint8_t> BuiltRippleMap()
{
    return ReadFileBytes(D3DTestDevice::ProgramDirectory() + L"..\\scenepics\\ripple_dudv.dds");
}

struct BumpVertex {
    float x, y, z, rhw;
    float u0, v0, u1, v1;
};

using WaterLights = WaterLightsFixture;

// The device check the lake relies on: a constant du/dv map moves the
// lookup of a stripe texture on stage 1 by bump matrix x (du, dv).
TEST_F(WaterLights, BumpMappingWithAV8U8MapShiftsTheLookup)
{
    D3DCAPS9 caps = {};
    ASSERT_TRUE(SUCCEEDED(Device()->GetDeviceCaps(&caps)));
    ASSERT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP);
    ComPtr<IDirect3DTexture9> map;
    ASSERT_TRUE(SUCCEEDED(
        Device()->CreateTexture(4, 4, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, map.ReleaseAndGetAddressOf(), nullptr)));
    D3DLOCKED_RECT rect = {};
    ASSERT_TRUE(SUCCEEDED(map->LockRect(0, &rect, nullptr, 0)));
    for (int y = 0; y < 4; ++y) {
        auto* row = reinterpret_cast<uint8_t*>(rect.pBits) + y * rect.Pitch;
        for (int x = 0; x < 4; ++x) {
            row[2 * x] = 64;  // du = 64 / 127
            row[2 * x + 1] = 0;
        }
    }
    map->UnlockRect(0);
    // 64 texels along x, texel i = (4 x i, 255 - 4 x i, 0).
    const ComPtr<IDirect3DTexture9> stripes =
        MakeTexture(64, 1, [](UINT x, UINT) { return 0xFF000000u | (4 * x) << 16 | (255 - 4 * x) << 8; });
    // Matrix 0.125 x du: 0.063 of the texture, four texels.
    const float m00 = 0.125f, zero = 0.0f;
    DWORD bits = 0;
    IDirect3DDevice9* d = Device();
    d->SetTexture(0, map.Get());
    d->SetTexture(1, stripes.Get());
    std::memcpy(&bits, &m00, 4);
    d->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, bits);
    std::memcpy(&bits, &zero, 4);
    for (auto state : {D3DTSS_BUMPENVMAT01, D3DTSS_BUMPENVMAT10, D3DTSS_BUMPENVMAT11})
        d->SetTextureStageState(0, state, bits);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    for (DWORD s : {0u, 1u}) {
        d->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        d->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        d->SetSamplerState(s, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    }
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    // 64 pixels wide: one texel per pixel.
    const BumpVertex quad[4] = {{0, 16, 0, 1, 0, 1, 0, 1},
                                {0, 0, 0, 1, 0, 0, 0, 0},
                                {64, 16, 0, 1, 1, 1, 1, 1},
                                {64, 0, 0, 1, 1, 0, 1, 0}};
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    ASSERT_TRUE(SUCCEEDED(d->BeginScene()));
    d->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX2);
    ASSERT_TRUE(SUCCEEDED(d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(BumpVertex))));
    d->EndScene();
    const std::vector<uint32_t> pixels = BackBufferPixels();
    ASSERT_FALSE(pixels.empty());
    for (int x : {5, 20, 40}) {
        const uint32_t shifted = (4 * (x + 4)) << 16 | (255 - 4 * (x + 4)) << 8;
        EXPECT_TRUE(Near(pixels[8 * kSize + x] & 0xFFFFFF, shifted, 8))
            << "pixel " << x << ": " << std::hex << pixels[8 * kSize + x] << " wanted " << shifted;
    }
}

TEST_F(WaterLights, BuiltRippleMapLoadsAsV8U8)
{
    const std::vector<uint8_t> bytes = BuiltRippleMap();
    ASSERT_EQ(bytes.size(), 128u + 256u * 256u * 2u);
    const TextureEntry entry = manager_->Loader().LoadFromMemory(bytes.data(), bytes.size());
    ASSERT_TRUE(entry.texture);
    D3DSURFACE_DESC desc = {};
    ASSERT_TRUE(SUCCEEDED(entry.texture->GetLevelDesc(0, &desc)));
    EXPECT_EQ(desc.Format, D3DFMT_V8U8);
    EXPECT_EQ(desc.Width, 256u);
}

// TEMP: shots for a look.
void SaveShot(const std::vector<uint32_t>& pixels, const char* name)
{
    std::ofstream out(std::string("Z:\\tmp\\") + name + ".ppm", std::ios::binary);
    out << "P6 256 256 255\n";
    for (uint32_t p : pixels) {
        const char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
        out.write(rgb, 3);
    }
}

class LakeFrames : public WaterLightsFixture {
protected:
    // A lake over ten horizontal bands, stretched over the back buffer.
    FakeLake2D& MakeLake(bool rippled, const std::function<void(FakeLake2D&)>& settings = {})
    {
        auto lake = std::make_unique<FakeLake2D>();
        if (settings) settings(*lake);
        if (rippled) {
            const std::vector<uint8_t> bytes = BuiltRippleMap();
            manager_->Store().maskTextures[lake->rippleKey] =
                manager_->Loader().LoadFromMemory(bytes.data(), bytes.size()).texture;
        }
        const FileLinkValue link = AddPicture(kSize, kSize, [](UINT, UINT y) { return Band(y, kSize); });
        return Build(std::move(lake), link, RenderContext::kStretch);
    }
};

TEST_F(LakeFrames, MirrorShowsTheBandsAboveTheHorizonUpsideDown)
{
    FakeLake2D& lake = MakeLake(false);
    EXPECT_FALSE(lake.Rippled());
    ASSERT_TRUE(lake.ReflectionTexture());
    const std::vector<uint32_t> pixels = Frame(0.0f);
    SaveShot(pixels, "lake_flat");
    const int horizon = 160;  // 256 x (1 - 0.375)
    // Rows above the strip: the picture itself.
    for (int y : {12, 64, 115, 150}) {
        EXPECT_TRUE(Near(At(pixels, 128, y), Band(y, kSize) & 0xFFFFFF, 3)) << y << std::hex << " " << At(pixels, 128, y);
    }
    // Row horizon + k shows the row horizon - k, under a faint tint.
    for (int k : {8, 30, 55, 85}) {
        EXPECT_TRUE(Near(At(pixels, 128, horizon + k), Band(horizon - k, kSize) & 0xFFFFFF, 24))
            << k << std::hex << " " << At(pixels, 128, horizon + k) << " " << Band(horizon - k, kSize);
    }
}

TEST_F(LakeFrames, RipplesMoveTheLakeAndNothingAboveIt)
{
    FakeLake2D& lake = MakeLake(true);
    ASSERT_TRUE(lake.Rippled()) << "a V8U8 ripple map on a device that bump-maps";
    const std::vector<uint32_t> first = Frame(0.0f);
    Frame(0.2f);
    const std::vector<uint32_t> later = Frame(0.35f);
    SaveShot(first, "lake_ripple0");
    SaveShot(later, "lake_ripple1");
    int changedBelow = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool same = At(first, x, y) == At(later, x, y);
            if (y < 150) ASSERT_TRUE(same) << x << ", " << y;
            if (y > 165 && !same) ++changedBelow;
        }
    }
    EXPECT_GT(changedBelow, 1000);
}


}  // namespace
