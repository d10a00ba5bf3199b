// Render-target chains and texture copies on a real device, including a
// device reset while chains are alive.
#include <d3dx9.h>
#include <gtest/gtest.h>

#include <memory>

#include "engine/render/GridIndexBuffer.h"
#include "engine/render/RenderTargetChain.h"
#include "engine/render/TextureUtil.h"
#include "unit/D3DTestDevice.h"

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000;

struct ColourVertex {
    float x, y, z, rhw;
    uint32_t colour;
};
static_assert(sizeof(ColourVertex) == 20, "XYZRHW | DIFFUSE vertex");

}  // namespace

class RenderTargetChainTest : public D3DTestDevice {
protected:
    uint32_t PixelOf(IDirect3DTexture9* texture, uint32_t x, uint32_t y)
    {
        ComPtr<IDirect3DSurface9> surface = TopLevelSurface(texture);
        D3DSURFACE_DESC desc = {};
        surface->GetDesc(&desc);
        const std::vector<uint32_t> pixels = ReadRenderTarget(surface.Get());
        return pixels.empty() ? 0xDEADBEEF : pixels[y * desc.Width + x];
    }

    void Fill(IDirect3DTexture9* texture, D3DCOLOR colour)
    {
        ComPtr<IDirect3DSurface9> surface = TopLevelSurface(texture);
        ASSERT_EQ(Device()->ColorFill(surface.Get(), nullptr, colour), D3D_OK);
    }

    // Draws a full-target quad of one colour into the device's render target.
    void DrawQuad(float width, float height, D3DCOLOR colour)
    {
        const ColourVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1.0f, colour},
                                      {width - 0.5f, -0.5f, 0.5f, 1.0f, colour},
                                      {-0.5f, height - 0.5f, 0.5f, 1.0f, colour},
                                      {width - 0.5f, height - 0.5f, 0.5f, 1.0f, colour}};
        IDirect3DDevice9* device = Device();
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetTexture(0, nullptr);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        device->SetVertexShader(nullptr);
        device->SetPixelShader(nullptr);
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColourVertex)), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
    }
};

TEST_F(RenderTargetChainTest, FlipAlternatesAndClearsToOpaqueBlack)
{
    RenderTargetChain chain(Device());
    EXPECT_FALSE(chain.IsReady());
    ASSERT_EQ(chain.Resize(800, 600), S_OK);
    ASSERT_TRUE(chain.IsReady());
    EXPECT_EQ(chain.Width(), 800u);
    EXPECT_EQ(chain.Height(), 600u);
    EXPECT_EQ(chain.Current(), chain.Texture(0));
    Fill(chain.Texture(0), D3DCOLOR_ARGB(255, 255, 0, 0));
    Fill(chain.Texture(1), D3DCOLOR_ARGB(255, 0, 255, 0));

    EXPECT_EQ(chain.Flip(), chain.Texture(0));
    EXPECT_EQ(chain.Current(), chain.Texture(1));
    EXPECT_EQ(PixelOf(chain.Texture(1), 400, 300), kOpaqueBlack);
    EXPECT_EQ(PixelOf(chain.Texture(0), 400, 300), 0xFFFF0000u);  // what was drawn before

    Fill(chain.Texture(0), D3DCOLOR_ARGB(255, 0, 0, 255));
    EXPECT_EQ(chain.Flip(), chain.Texture(1));
    EXPECT_EQ(chain.Current(), chain.Texture(0));
    EXPECT_EQ(PixelOf(chain.Texture(0), 10, 10), kOpaqueBlack);
}

TEST_F(RenderTargetChainTest, BeginOnItselfAndEndRestoresTheDeviceTargets)
{
    ComPtr<IDirect3DSurface9> target, depth;
    ASSERT_EQ(Device()->GetRenderTarget(0, target.ReleaseAndGetAddressOf()), D3D_OK);
    ASSERT_EQ(Device()->GetDepthStencilSurface(depth.ReleaseAndGetAddressOf()), D3D_OK);

    RenderTargetChain chain(Device());
    ASSERT_EQ(chain.Resize(64, 64), S_OK);
    ASSERT_TRUE(chain.Begin(chain));
    ComPtr<IDirect3DSurface9> during;
    ASSERT_EQ(Device()->GetRenderTarget(0, during.ReleaseAndGetAddressOf()), D3D_OK);
    EXPECT_EQ(during.Get(), TopLevelSurface(chain.Current()).Get());
    ComPtr<IDirect3DSurface9> noDepth;
    EXPECT_EQ(Device()->GetDepthStencilSurface(noDepth.ReleaseAndGetAddressOf()), D3DERR_NOTFOUND);

    chain.End();
    ComPtr<IDirect3DSurface9> after, afterDepth;
    ASSERT_EQ(Device()->GetRenderTarget(0, after.ReleaseAndGetAddressOf()), D3D_OK);
    ASSERT_EQ(Device()->GetDepthStencilSurface(afterDepth.ReleaseAndGetAddressOf()), D3D_OK);
    EXPECT_EQ(after.Get(), target.Get());
    EXPECT_EQ(afterDepth.Get(), depth.Get());
}

TEST_F(RenderTargetChainTest, ChainWithoutTexturesIsNeverATarget)
{
    RenderTargetChain chain(Device());
    EXPECT_EQ(chain.Resize(0, 600), S_FALSE);
    EXPECT_FALSE(chain.IsReady());
    EXPECT_EQ(chain.Flip(), nullptr);
    EXPECT_FALSE(chain.Begin(chain));
    chain.End();  // nothing saved: nothing happens

    ASSERT_EQ(chain.Resize(32, 32), S_OK);
    ASSERT_EQ(chain.Resize(32, 0), S_FALSE);  // a zero size drops the old textures too
    EXPECT_FALSE(chain.IsReady());
}

// Default-pool chains released before Reset (even one begun and never ended)
// let the reset succeed, and work again once rebuilt.
TEST_F(RenderTargetChainTest, SurvivesADeviceResetAndDrawsAfterwards)
{
    std::unique_ptr<RenderTargetChain> chains[2] = {std::make_unique<RenderTargetChain>(Device()),
                                                    std::make_unique<RenderTargetChain>(Device())};
    ASSERT_EQ(chains[0]->Resize(128, 64), S_OK);
    ASSERT_EQ(chains[1]->Resize(32, 32), S_OK);
    ASSERT_TRUE(chains[1]->Begin(*chains[1]));  // left begun across the reset

    for (auto& chain : chains) {
        chain->OnLostDevice();
    }
    ASSERT_EQ(ResetDevice(), D3D_OK);
    for (auto& chain : chains) {
        ASSERT_EQ(chain->OnResetDevice(), S_OK);
        ASSERT_TRUE(chain->IsReady());
    }
    EXPECT_EQ(chains[0]->Width(), 128u);
    EXPECT_EQ(chains[0]->Height(), 64u);

    ComPtr<IDirect3DSurface9> backBuffer;
    ASSERT_EQ(Device()->GetRenderTarget(0, backBuffer.ReleaseAndGetAddressOf()), D3D_OK);
    ASSERT_TRUE(chains[0]->Begin(*chains[0]));
    chains[0]->Flip();
    DrawQuad(128.0f, 64.0f, D3DCOLOR_ARGB(255, 0, 200, 100));
    chains[0]->End();
    EXPECT_EQ(PixelOf(chains[0]->Current(), 64, 32), 0xFF00C864u);
    ComPtr<IDirect3DSurface9> restored;
    ASSERT_EQ(Device()->GetRenderTarget(0, restored.ReleaseAndGetAddressOf()), D3D_OK);
    EXPECT_EQ(restored.Get(), backBuffer.Get());
}

TEST_F(RenderTargetChainTest, CopiesTexturesBothWays)
{
    // A managed picture into a chain.
    ComPtr<IDirect3DTexture9> picture;
    ASSERT_EQ(
        D3DXCreateTexture(Device(), 16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, picture.ReleaseAndGetAddressOf()),
        D3D_OK);
    D3DLOCKED_RECT locked = {};
    ASSERT_EQ(picture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 16; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < 16; ++x) {
            row[x] = 0xFF3366CC;
        }
    }
    picture->UnlockRect(0);
    RenderTargetChain chain(Device());
    ASSERT_EQ(chain.CopyFrom(picture.Get(), 64, 64), S_OK);
    EXPECT_EQ(PixelOf(chain.Current(), 40, 40), 0xFF3366CCu);

    // The chain's target back into a managed texture.
    ComPtr<IDirect3DTexture9> copy;
    ASSERT_EQ(CopyTexture(Device(), 32, 32, D3DFMT_A8R8G8B8, chain.Current(), copy), S_OK);
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<const uint32_t*>(locked.pBits), 0xFF3366CCu);
    copy->UnlockRect(0);
    EXPECT_GT(copy->GetLevelCount(), 1u);

    EXPECT_EQ(CopyTexture(Device(), 32, 32, D3DFMT_UNKNOWN, nullptr, copy), S_FALSE);
    EXPECT_FALSE(copy);
}

TEST_F(RenderTargetChainTest, BackBufferDescription)
{
    D3DSURFACE_DESC desc = {};
    ASSERT_EQ(GetBackBufferDesc(Device(), desc), D3D_OK);
    EXPECT_EQ(desc.Width, kBackBufferSize);
    EXPECT_EQ(desc.Height, kBackBufferSize);
    EXPECT_EQ(GetBackBufferDesc(nullptr, desc), E_INVALIDARG);
}

TEST_F(RenderTargetChainTest, GridIndexBufferTriangles)
{
    GridIndexBuffer grid;
    ASSERT_EQ(grid.Create(Device(), 3, 2), S_OK);
    EXPECT_EQ(grid.TriangleCount(), 4u);
    ASSERT_EQ(grid.Lock(), D3D_OK);
    const uint16_t expected[12] = {0, 1, 3, 3, 1, 4, 1, 2, 4, 4, 2, 5};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(grid.Locked()[i], expected[i]) << i;
    }
    grid.Unlock();

    struct Bad {
        uint32_t cols, rows;
    } bad[] = {{1, 5}, {5, 1}, {0, 0}, {300, 300}};
    for (const Bad& b : bad) {
        EXPECT_EQ(grid.Create(Device(), b.cols, b.rows), E_INVALIDARG) << b.cols << " x " << b.rows;
        EXPECT_EQ(grid.Buffer(), nullptr);
        EXPECT_EQ(grid.TriangleCount(), 0u);
    }
}
