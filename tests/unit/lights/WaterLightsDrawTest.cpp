// The water lights on a real device, pixels read back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "effects/lights/FakeLake2D.h"
#include "effects/lights/WaterRingLight.h"
#include "engine/params/Random.h"
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
        const FileLinkValue link = NewPicture(kSize, kSize, [](UINT, UINT y) { return Band(y, kSize); });
        return Build(std::move(lake), link, RenderContext::kStretch);
    }
};

TEST_F(LakeFrames, MirrorShowsTheBandsAboveTheHorizonUpsideDown)
{
    FakeLake2D& lake = MakeLake(false);
    EXPECT_FALSE(lake.Rippled());
    ASSERT_TRUE(lake.ReflectionTexture());
    const std::vector<uint32_t> pixels = Frame(0.0f);
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
    int changedBelow = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool same = At(first, x, y) == At(later, x, y);
            if (y < 150) {
                ASSERT_TRUE(same) << x << ", " << y;
            }
            if (y > 165 && !same) ++changedBelow;
        }
    }
    EXPECT_GT(changedBelow, 1000);
}


// Four quadrants: red, green above; blue, yellow below.
uint32_t Quadrant(UINT x, UINT y, UINT w, UINT h)
{
    static constexpr uint32_t kColours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    return 0xFF000000u | kColours[(y * 2 / h) * 2 + x * 2 / w];
}

class RingFrames : public WaterLightsFixture {
protected:
    // A ring light over a picture of w x h, quadrants unless colour says
    // otherwise.
    DS_WaterRingLight& MakeRing(UINT w, UINT h, int32_t mode, const std::function<void(DS_WaterRingLight&)>& settings = {},
                                std::function<uint32_t(UINT, UINT)> colour = {})
    {
        auto ring = std::make_unique<DS_WaterRingLight>();
        ring->mode.SetValue(mode);
        if (settings) settings(*ring);
        if (!colour) colour = [=](UINT x, UINT y) { return Quadrant(x, y, w, h); };
        const FileLinkValue link = NewPicture(w, h, colour);
        return Build(std::move(ring), link, RenderContext::kFit);
    }

    static void Flatten(DS_WaterRingLight& ring)
    {
        for (auto& cell : ring.Grid().Cells()) cell = WaterGrid::Cell{};
    }
};

TEST_F(RingFrames, FlatWaterShowsThePictureInPlace)
{
    DS_WaterRingLight& ring = MakeRing(kSize, kSize, 0);
    ASSERT_TRUE(ring.Grid().HasBuffers());
    Flatten(ring);
    const std::vector<uint32_t> pixels = Frame(0.0f);
    const int q = kSize / 4;
    EXPECT_TRUE(Near(At(pixels, q, q), 0xFF0000, 40)) << std::hex << At(pixels, q, q);
    EXPECT_TRUE(Near(At(pixels, 3 * q, q), 0x00FF00, 40)) << std::hex << At(pixels, 3 * q, q);
    EXPECT_TRUE(Near(At(pixels, q, 3 * q), 0x0000FF, 40)) << std::hex << At(pixels, q, 3 * q);
    EXPECT_TRUE(Near(At(pixels, 3 * q, 3 * q), 0xFFFF00, 40)) << std::hex << At(pixels, 3 * q, 3 * q);
}

TEST_F(RingFrames, DropsChangeTheFrames)
{
    // Drops fall where the random sequence puts them: start it as a new
    // process does, whatever ran before in this one.
    DS_SRand(1);
    // A gradient: any shift of the lookup changes the pixel.
    DS_WaterRingLight& ring = MakeRing(kSize, kSize, 0, [](DS_WaterRingLight& r) { r.dropRate.SetValue(120); },
                                       [](UINT x, UINT y) { return 0xFF000000u | x << 16 | y << 8 | 0x80; });
    const std::vector<uint32_t> first = Frame(0.0f);
    Frame(0.6f);  // a drop every half second
    const std::vector<uint32_t> later = Frame(0.7f);
    EXPECT_GT(ring.LastDropTime(), 0.0f);
    int changed = 0;
    for (size_t i = 0; i < first.size(); ++i) changed += first[i] != later[i];
    EXPECT_GT(changed, 500);
}

TEST_F(RingFrames, WidePictureLeavesNoHoles)
{
    // 21:9, fitted: the water spans the full width; clear to a colour the
    // picture does not have and look for it inside the picture's band.
    MakeRing(210, 90, 0);
    Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FFFF, 1.0f, 0);
    const std::vector<uint32_t> pixels = Frame(0.0f);
    const int bandTop = (kSize - kSize * 90 / 210) / 2;
    for (int y = bandTop + 2; y < kSize - bandTop - 2; ++y) {
        for (int x = 0; x < kSize; ++x) ASSERT_NE(At(pixels, x, y), 0x00FFFFu) << x << ", " << y;
    }
}

TEST_F(RingFrames, SceneModeDrawsTheFinishedSceneThroughTheWater)
{
    DS_WaterRingLight& ring = MakeRing(kSize, kSize, 1);
    ASSERT_TRUE(ring.NeedsSceneTexture());
    Flatten(ring);
    const std::vector<uint32_t> pixels = Frame(0.0f);
    const int q = kSize / 4;
    EXPECT_TRUE(Near(At(pixels, q, q), 0xFF0000, 40)) << std::hex << At(pixels, q, q);
    EXPECT_TRUE(Near(At(pixels, 3 * q, 3 * q), 0xFFFF00, 40)) << std::hex << At(pixels, 3 * q, 3 * q);
}


TEST_F(RingFrames, ProjectionKeepsThePictureProportions)
{
    DS_WaterRingLight& ring = MakeRing(1024, 768, 0);
    const struct {
        int32_t w, h;
        float halfWidth, halfHeight;
    } cases[] = {{1024, 768, 20.0f, 15.0f}, {1280, 720, 26.6667f, 15.0f}, {0, 720, 26.6667f, 15.0f},
                 {1280, 0, 26.6667f, 15.0f}};
    for (const auto& c : cases) {
        ring.Resize(c.w, c.h);
        // Orthographic: _11 = 1 / half width, _22 = 1 / half height.
        EXPECT_NEAR(1.0f / ring.Projection()._11, c.halfWidth, 1e-3f) << c.w << " x " << c.h;
        EXPECT_NEAR(1.0f / ring.Projection()._22, c.halfHeight, 1e-3f) << c.w << " x " << c.h;
    }
}

TEST_F(RingFrames, DropsFallAtTheDropRate)
{
    const struct {
        unsigned rate;
        float times[4];
        float lastDrops[4];
    } cases[] = {
        {30, {1.0f, 2.1f, 3.0f, 4.2f}, {0.0f, 2.1f, 2.1f, 4.2f}},  // one every 2 s
        {0, {1.0f, 50.0f, 500.0f, 5000.0f}, {0.0f, 0.0f, 0.0f, 0.0f}},
        {30, {5.0f, 1.0f, 2.5f, 3.2f}, {5.0f, 1.0f, 1.0f, 3.2f}},  // time going back
    };
    for (const auto& c : cases) {
        DS_WaterRingLight& ring = MakeRing(64, 64, 0, [&](DS_WaterRingLight& r) { r.dropRate.SetValue(c.rate); });
        // The grid takes the default settings' values on restore.
        EXPECT_FLOAT_EQ(ring.Grid().dropStrength, 0.45f);
        EXPECT_FLOAT_EQ(ring.Grid().refractionK, 1.0f);
        EXPECT_FLOAT_EQ(ring.Grid().damping, 0.99f);
        EXPECT_FLOAT_EQ(ring.Grid().depth, 0.2f);
        for (int i = 0; i < 4; ++i) {
            ring.FrameMove(c.times[i]);
            EXPECT_FLOAT_EQ(ring.LastDropTime(), c.lastDrops[i]) << c.rate << " at " << c.times[i];
        }
    }
}

TEST_F(RingFrames, DeviceResetThroughTheSlotSequence)
{
    DS_WaterRingLight& ring = MakeRing(kSize, kSize, 1);
    Frame(0.0f);
    ring.InvalidateDeviceObjects();
    EXPECT_FALSE(ring.Grid().HasBuffers());
    // The index strip is written once and kept in the managed pool through
    // the reset: making it again at every reset cost memory Wine keeps.
    IDirect3DIndexBuffer9* strip = ring.Grid().IndexBuffer();
    ASSERT_NE(strip, nullptr);
    D3DINDEXBUFFER_DESC desc = {};
    ASSERT_EQ(strip->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    manager_->OnLostDevice();
    // A frame between the loss and the reset neither locks nor draws the
    // missing buffers.
    Frame(0.1f);
    ASSERT_EQ(ResetDevice(), D3D_OK);
    manager_->OnResetDevice();
    ring.ResetDeviceState();
    ASSERT_TRUE(ring.Grid().HasBuffers());
    EXPECT_EQ(ring.Grid().IndexBuffer(), strip);
    Flatten(ring);
    const std::vector<uint32_t> pixels = Frame(0.2f);
    const int q = kSize / 4;
    EXPECT_TRUE(Near(At(pixels, q, q), 0xFF0000, 40)) << std::hex << At(pixels, q, q);
    EXPECT_TRUE(Near(At(pixels, 3 * q, 3 * q), 0xFFFF00, 40)) << std::hex << At(pixels, 3 * q, 3 * q);
}

TEST_F(LakeFrames, DeviceResetThroughTheSlotSequence)
{
    FakeLake2D& lake = MakeLake(true);
    Frame(0.0f);
    lake.InvalidateDeviceObjects();
    manager_->OnLostDevice();
    ASSERT_EQ(ResetDevice(), D3D_OK);
    manager_->OnResetDevice();
    lake.ResetDeviceState();
    const std::vector<uint32_t> first = Frame(0.2f);
    const std::vector<uint32_t> later = Frame(0.4f);
    for (int y : {12, 64, 115, 150}) EXPECT_TRUE(Near(At(first, 128, y), Band(y, kSize) & 0xFFFFFF, 3)) << y;
    int changedBelow = 0;
    for (int y = 170; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) changedBelow += At(first, x, y) != At(later, x, y);
    }
    EXPECT_GT(changedBelow, 500) << "the mirror still ripples";
}

TEST_F(LakeFrames, HostileSettingsPlay)
{
    const std::function<void(FakeLake2D&)> settings[] = {
        [](FakeLake2D& l) { l.reflectionSize.SetValue(-5); },
        [](FakeLake2D& l) { l.reflectionSize.SetValue(40); },
        [](FakeLake2D& l) { l.lakeHeight.SetValue(1000); },
        [](FakeLake2D& l) { l.lakeHeight.SetValue(100); },
        [](FakeLake2D& l) { l.stripHeight.SetValue(4000000000u); },
        [](FakeLake2D& l) { l.PictureLink().StoreValue(FileLinkValue{L"missing.png", 0}); },
    };
    for (const auto& setting : settings) {
        auto lake = std::make_unique<FakeLake2D>();
        setting(*lake);
        const FileLinkValue link = lake->PictureLink().GetPath() == L"missing.png"
                                       ? lake->PictureLink().GetValue()
                                       : NewPicture(kSize, kSize, [](UINT, UINT y) { return Band(y, kSize); });
        FakeLake2D& built = Build(std::move(lake), link, RenderContext::kStretch);
        const std::vector<uint32_t> pixels = Frame(0.5f);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(kSize * kSize));
        if (built.LakeFraction() == 0.0f) {
            // No lake: the picture alone, down to the bottom row.
            EXPECT_TRUE(Near(At(pixels, 128, kSize - 2), Band(kSize - 2, kSize) & 0xFFFFFF, 3));
        }
    }
}

TEST_F(RingFrames, HostileSettingsPlay)
{
    const struct {
        UINT w, h;
        std::function<void(DS_WaterRingLight&)> setting;
    } cases[] = {
        {64, 64, [](DS_WaterRingLight& r) { r.gridDensity.SetValue(4000000000u); }},
        {64, 64, [](DS_WaterRingLight& r) { r.damping.SetValue(4000000000u); }},
        {64, 64, [](DS_WaterRingLight& r) { r.waveSpeed.SetValue(4000000000u); }},
        {64, 64, [](DS_WaterRingLight& r) { r.gridAspect.SetValue(4000000000u); }},
        {64, 64, [](DS_WaterRingLight& r) { r.depth.SetValue(4000000000u); }},
        {64, 64, [](DS_WaterRingLight& r) { r.dropSize.SetValue(4000000000u); }},
        {64, 64, [](DS_WaterRingLight& r) { r.dropRate.SetValue(4000000000u); }},
        {64, 64, [](DS_WaterRingLight& r) { r.PictureLink().StoreValue(FileLinkValue{L"missing.png", 0}); }},
        {1000, 10, {}},
        {10, 3000, {}},
    };
    for (const auto& c : cases) {
        DS_WaterRingLight& ring = MakeRing(c.w, c.h, 0, c.setting);
        for (float t : {0.5f, 1.0f, 3.0f, 6.0f}) Frame(t);
        const WaterGrid& grid = ring.Grid();
        EXPECT_LE(grid.CellCount(), WaterGrid::kMaxCells);
        EXPECT_GE(grid.Columns(), 4u);
        EXPECT_GE(grid.Rows(), 4u);
        std::vector<WaterVertex> vertices(grid.CellCount());
        grid.WriteVertices(vertices.data(), D3DXVECTOR3(0.0f, 120.0f, 0.0f));
        for (const WaterVertex& v : vertices) {
            ASSERT_TRUE(std::isfinite(v.y) && std::isfinite(v.u) && std::isfinite(v.v) && std::isfinite(v.nx) &&
                        std::isfinite(v.nz))
                << c.w << " x " << c.h;
        }
    }
}

TEST_F(LakeFrames, SlideAfterAnotherBorderBindsItsOwnBorders)
{
    // Layers share the unit's render context; the one becoming current
    // binds its own border picture again.
    const FileLinkValue frameA = NewPicture(8, 8, [](UINT, UINT) { return 0xFFFF0000u; });
    const FileLinkValue frameB = NewPicture(8, 8, [](UINT, UINT) { return 0xFF0000FFu; });
    const FileLinkValue picture = NewPicture(64, 64, [](UINT, UINT) { return 0xFF00FF00u; });
    const IDirect3DTexture9* textureB = manager_->Store().textureSets[frameB].textures[0].Get();
    std::unique_ptr<DS_2D_Light> lights[] = {std::make_unique<FakeLake2D>(), std::make_unique<DS_WaterRingLight>()};
    for (auto& light : lights) {
        DS_2D_Light other;
        other.Camera().borderPath = frameA.path;
        other.Camera().borderStamp = frameA.stamp;
        light->Camera().borderPath = frameB.path;
        light->Camera().borderStamp = frameB.stamp;
        light->PictureLink().StoreValue(picture);
        light->RestoreDeviceObjects();
        other.RestoreDeviceObjects();  // built last: the context holds its borders
        light->ResetDeviceState();     // the water slide becomes current
        for (int side = 0; side < 4; ++side) EXPECT_EQ(context_.BorderQuad(side).Texture(), textureB);
    }
}


}  // namespace
