// What the glass ball needs from the device, checked on a real one: the
// V16U16 and A8 texture formats, bump-environment mapping with a V16U16
// map under the ball's bump matrix, and stage-1 coordinates generated from
// the camera-space position through a COUNT2 texture transform.
#include <d3dx9.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "unit/D3DTestDevice.h"

namespace {

constexpr UINT kSide = 256;

DWORD FloatBits(float value)
{
    DWORD bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A ramp whose red byte is the texel's column and green byte its row, so a
// pixel's colour tells which texel it sampled.
ComPtr<IDirect3DTexture9> MakeRamp(IDirect3DDevice9* device)
{
    ComPtr<IDirect3DTexture9> ramp;
    if (FAILED(device->CreateTexture(kSide, kSide, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                     ramp.ReleaseAndGetAddressOf(), nullptr))) {
        return {};
    }
    D3DLOCKED_RECT rect = {};
    if (FAILED(ramp->LockRect(0, &rect, nullptr, 0))) return {};
    for (UINT y = 0; y < kSide; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(rect.pBits) + y * rect.Pitch);
        for (UINT x = 0; x < kSide; ++x) row[x] = 0xFF000000u | (x << 16) | (y << 8);
    }
    ramp->UnlockRect(0);
    return ramp;
}

void PointSampling(IDirect3DDevice9* device, DWORD stage)
{
    device->SetSamplerState(stage, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(stage, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(stage, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device->SetSamplerState(stage, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(stage, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
}

uint32_t Red(uint32_t c) { return (c >> 16) & 0xFF; }
uint32_t Green(uint32_t c) { return (c >> 8) & 0xFF; }

struct BumpVertex {
    float x, y, z, rhw;
    float u0, v0, u1, v1;
};

using GlassBallDevice = D3DTestDevice;

TEST_F(GlassBallDevice, FormatsAndBumpMappingAreThere)
{
    D3DDISPLAYMODE mode = {};
    ComPtr<IDirect3D9> d3d;
    ASSERT_TRUE(SUCCEEDED(Device()->GetDirect3D(d3d.ReleaseAndGetAddressOf())));
    ASSERT_TRUE(SUCCEEDED(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode)));
    for (D3DFORMAT format : {D3DFMT_V16U16, D3DFMT_A8}) {
        EXPECT_EQ(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE, format),
                  D3D_OK)
            << format;
    }
    D3DCAPS9 caps = {};
    ASSERT_TRUE(SUCCEEDED(Device()->GetDeviceCaps(&caps)));
    EXPECT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP);
}

// A constant V16U16 map of (0.5, 0.5) under the bump matrix (0.2, 0; 0,
// 0.25) moves the stage-1 lookup by 0.1 x 256 = 25.6 texels across and
// 0.125 x 256 = 32 texels down.
TEST_F(GlassBallDevice, AV16U16MapShiftsTheLookupByTheBallsMatrix)
{
    IDirect3DDevice9* device = Device();
    ComPtr<IDirect3DTexture9> map;
    ASSERT_TRUE(SUCCEEDED(
        device->CreateTexture(4, 4, 1, 0, D3DFMT_V16U16, D3DPOOL_MANAGED, map.ReleaseAndGetAddressOf(), nullptr)));
    D3DLOCKED_RECT rect = {};
    ASSERT_TRUE(SUCCEEDED(map->LockRect(0, &rect, nullptr, 0)));
    for (int y = 0; y < 4; ++y) {
        auto* row = reinterpret_cast<int16_t*>(static_cast<uint8_t*>(rect.pBits) + y * rect.Pitch);
        for (int x = 0; x < 4; ++x) {
            row[2 * x] = 16384;      // du = 0.5
            row[2 * x + 1] = 16384;  // dv = 0.5
        }
    }
    map->UnlockRect(0);
    ComPtr<IDirect3DTexture9> ramp = MakeRamp(device);
    ASSERT_TRUE(ramp);

    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTexture(0, map.Get());
    device->SetTexture(1, ramp.Get());
    PointSampling(device, 0);
    PointSampling(device, 1);
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(0.2f));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(0.0f));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(0.0f));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(0.25f));
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    const float lo = -0.5f, hi = kSide - 0.5f;
    const BumpVertex quad[4] = {{lo, hi, 0, 1, 0, 1, 0, 1},
                                {lo, lo, 0, 1, 0, 0, 0, 0},
                                {hi, hi, 0, 1, 1, 1, 1, 1},
                                {hi, lo, 0, 1, 1, 0, 1, 0}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX2);
    ASSERT_TRUE(SUCCEEDED(device->BeginScene()));
    ASSERT_TRUE(SUCCEEDED(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(BumpVertex))));
    device->EndScene();

    const std::vector<uint32_t> pixels = BackBufferPixels();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kSide) * kSide);
    for (UINT y : {10u, 100u, 200u}) {
        for (UINT x : {10u, 100u, 200u}) {
            const uint32_t c = pixels[y * kSide + x];
            const int expectedX = std::min<int>(static_cast<int>(std::floor(x + 0.5f + 25.6f)), kSide - 1);
            const int expectedY = std::min<int>(static_cast<int>(y + 32), kSide - 1);
            EXPECT_NEAR(static_cast<int>(Red(c)), expectedX, 1) << x << "," << y;
            EXPECT_NEAR(static_cast<int>(Green(c)), expectedY, 1) << x << "," << y;
        }
    }
}

// Coordinates from the camera-space position through a COUNT2 transform T:
// (u, v) = (x T11 + T41, y T22 + T42) for a plane facing the camera, which
// the pixel's sampled texel must match.
TEST_F(GlassBallDevice, CameraSpacePositionThroughACount2Transform)
{
    IDirect3DDevice9* device = Device();
    ComPtr<IDirect3DTexture9> ramp = MakeRamp(device);
    ASSERT_TRUE(ramp);
    D3DXMATRIX identity, view, projection, texture;
    D3DXMatrixIdentity(&identity);
    const D3DXVECTOR3 eye(0, 0, -100), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 1.0f, 1.0f, 3000.0f);
    D3DXMatrixIdentity(&texture);
    texture._11 = 1.0f / 100.0f;
    texture._22 = -1.0f / 100.0f;
    texture._41 = 0.5f;
    texture._42 = 0.5f;
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_TEXTURE0, &texture);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, ramp.Get());
    PointSampling(device, 0);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    // A plane at z 0 (camera depth 100) larger than the view.
    struct Vertex {
        float x, y, z;
    };
    const Vertex quad[4] = {{-60, -60, 0}, {-60, 60, 0}, {60, -60, 0}, {60, 60, 0}};
    device->SetFVF(D3DFVF_XYZ);
    ASSERT_TRUE(SUCCEEDED(device->BeginScene()));
    ASSERT_TRUE(SUCCEEDED(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex))));
    device->EndScene();

    const std::vector<uint32_t> pixels = BackBufferPixels();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kSide) * kSide);
    for (UINT y : {20u, 128u, 230u}) {
        for (UINT x : {20u, 128u, 230u}) {
            // The camera-space point the pixel centre sees on the plane.
            const float ndcX = (x + 0.5f) / kSide * 2.0f - 1.0f;
            const float ndcY = 1.0f - (y + 0.5f) / kSide * 2.0f;
            const float cx = ndcX * 100.0f / projection._11;
            const float cy = ndcY * 100.0f / projection._22;
            const float u = cx * texture._11 + texture._41;
            const float v = cy * texture._22 + texture._42;
            const uint32_t c = pixels[y * kSide + x];
            EXPECT_NEAR(static_cast<float>(Red(c)), u * kSide, 1.5f) << x << "," << y;
            EXPECT_NEAR(static_cast<float>(Green(c)), v * kSide, 1.5f) << x << "," << y;
        }
    }
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
}

}  // namespace
