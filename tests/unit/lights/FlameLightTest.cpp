// The flame picture layer: its record in every version, the flame band and
// the values it sends to the fire and distortion effects, the closing
// distortion pass and the frames that must skip it, and the real effects
// drawn under Wine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "effects/lights/FlameLight.h"
#include "unit/brushes/BrushKindHelpers.h"
#include "unit/brushes/BrushPixelFixture.h"
#include "unit/brushes/BrushRecords.h"

namespace {

const FileLinkValue kFireEffectLink{DS_FX_Constructor::kEffectModule, DS_FireFX::kDefaultEffectId};
const FileLinkValue kDistortionLink{DS_BumpDistortion::kModule, DS_BumpDistortion::kDefaultEffectId};
const FileLinkValue kPatternLink{DS_FX_Constructor::kEffectModule, DS_FlameLight::kFlamePatternId};
const FileLinkValue kNoiseLink{DS_FX_Constructor::kEffectModule, DS_FlameLight::kFlameNoiseId};
const FileLinkValue kBumpLink{DS_BumpDistortion::kModule, DS_BumpDistortion::kDefaultBumpId};

DS_FlameLight* AsFlame(const std::unique_ptr<DS_2D_Light>& layer)
{
    return dynamic_cast<DS_FlameLight*>(layer.get());
}

void WriteLink(DS_IOF_Archive& ar, const FileLinkValue& value)
{
    DS_FileLink3 link;
    link.StoreValue(value);
    link.Write(ar);
}

TEST(FlameLightRecords, RoundTripOlderVersionAndOddFlags)
{
    DS_FlameLight light;
    light.PictureLink().StoreValue(FileLinkValue{L"hearth.jpg", 4});
    // A flag of 2 is kept as stored, and asks for the scene like 1.
    light.fireFlag.StoreValue(0);
    light.distortionFlag.StoreValue(2);
    light.flameOffset.StoreValue(20);
    light.Distortion().speed.SetValue(70);
    light.Distortion().strength.SetValue(40);
    light.Distortion().bumpScale.SetValue(112);
    light.Fire().firstColor.SetValue(0x00FF00);
    light.Fire().speed.SetValue(30);
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    light.Write(&out);
    std::unique_ptr<DS_2D_Light> read = ReadPictureLayer(memory);
    ASSERT_NE(AsFlame(read), nullptr);
    DS_FlameLight& flame = *AsFlame(read);
    EXPECT_EQ(flame.PictureLink().GetValue().path, L"hearth.jpg");
    EXPECT_EQ(flame.fireFlag.GetValue(), 0);
    EXPECT_EQ(flame.distortionFlag.GetValue(), 2);
    EXPECT_TRUE(flame.NeedsSceneTexture());
    EXPECT_EQ(flame.flameOffset.GetValue(), 20u);
    EXPECT_EQ(flame.Distortion().speed.GetValue(), 70u);
    EXPECT_EQ(flame.Distortion().strength.GetValue(), 40u);
    EXPECT_NEAR(flame.Distortion().bumpScale.GetDerived(), -0.008f, 1e-6f) << "above 111 the scale turns negative";
    EXPECT_EQ(flame.Fire().firstColor.GetValue(), 0x00FF00ul);
    EXPECT_EQ(flame.Fire().speed.GetValue(), 30u);
    EXPECT_EQ(flame.Fire().patternImage.GetValue(), kPatternLink);

    // Version 1: the fire's speed after the offset, two dropped links in
    // place of the fire's record.
    MemoryArchive older;
    DS_IOF_Archive olderOut = older.Handle();
    WriteRecordHeader(&olderOut, DS_FlameLight::kClassName, DS_FlameLight::kSpeedOnlyVersion);
    older.WriteInt32(1);
    older.WriteInt32(0);
    older.WriteUInt(3);
    older.WriteUInt(77);
    WriteLink(olderOut, FileLinkValue{L"haze.dds", 9});
    WriteLink(olderOut, kDistortionLink);
    older.WriteUInt(60);
    older.WriteUInt(25);
    older.WriteUInt(88);
    WriteLink(olderOut, FileLinkValue{L"old-pattern.dds", 1});
    WriteLink(olderOut, FileLinkValue{L"old-noise.dds", 2});
    DS_2D_Light plain;
    plain.WriteBody(&olderOut);
    read = ReadPictureLayer(older);
    ASSERT_NE(AsFlame(read), nullptr);
    EXPECT_EQ(AsFlame(read)->Fire().speed.GetValue(), 77u);
    EXPECT_EQ(AsFlame(read)->flameOffset.GetValue(), 3u);
    EXPECT_EQ(AsFlame(read)->Distortion().bumpImage.GetValue().path, L"haze.dds");
    EXPECT_EQ(AsFlame(read)->Distortion().speed.GetValue(), 60u);
    EXPECT_EQ(AsFlame(read)->Fire().patternImage.GetValue(), kPatternLink) << "the old links are dropped";
    EXPECT_EQ(AsFlame(read)->Fire().noiseImage.GetValue(), kNoiseLink);
    EXPECT_EQ(AsFlame(read)->Fire().firstColor.GetValue(), DS_FireFX().firstColor.GetValue());

    ForEachTruncation(light, 3, [](MemoryArchive& cut, size_t size) {
        EXPECT_EQ(ReadPictureLayer(cut), nullptr) << "cut by " << size;
    });
}

TEST(FlameLightRecords, ANestedRecordOfAnotherClassIsRefused)
{
    // Where the fire's record belongs stands a picture layer's record.
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    WriteRecordHeader(&out, DS_FlameLight::kClassName, DS_FlameLight::kVersion);
    memory.WriteInt32(1);
    memory.WriteInt32(1);
    memory.WriteUInt(0);
    WriteLink(out, kBumpLink);
    WriteLink(out, kDistortionLink);
    memory.WriteUInt(50);
    memory.WriteUInt(25);
    memory.WriteUInt(88);
    DS_2D_Light plain;
    plain.WriteBody(&out);
    plain.WriteBody(&out);
    EXPECT_EQ(ReadPictureLayer(memory), nullptr);
}

TEST(FlameLightBand, DistortionAspectForPictureSize)
{
    const float sizes[][3] = {{1024.0f, 768.0f, 0.75f}, {0.0f, 768.0f, 1.0f}, {0.0f, 0.0f, 1.0f}, {640.0f, 0.0f, 0.0f}};
    for (const auto& size : sizes) {
        DS_BumpDistortion distortion;
        distortion.Resize(size[0], size[1]);
        EXPECT_FLOAT_EQ(distortion.Aspect(), size[2]) << size[0] << " x " << size[1];
    }
}

TEST(FlameLightBand, BandForPictureHeightAndOffset)
{
    struct Case {
        float height;
        unsigned offset;
        float top, bottom;
    };
    const Case cases[] = {
        {768.0f, 0, 268.8f, 768.0f},
        {768.0f, 20, 345.6f, 844.8f},  // ends 10 % of the height below the picture
        {0.0f, 5, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        float top = -1.0f, bottom = -1.0f;
        DS_FlameLight::FlameBand(c.height, c.offset, top, bottom);
        EXPECT_NEAR(top, c.top, 1e-3f) << c.height << " offset " << c.offset;
        EXPECT_NEAR(bottom, c.bottom, 1e-3f) << c.height << " offset " << c.offset;
    }
}

class FlameLayer : public BrushPixelFixture {
protected:
    void SetUp() override
    {
        BrushPixelFixture::SetUp();
        if (HasFatalFailure()) return;
        // Pictures of the fire and the distortion: a half-heat pattern, a
        // black and white noise (so that the flames never saturate and
        // every scroll step shows) and a du/dv map of random red and green.
        AddPicture(kPatternLink, MakeTexture(32, 32, [](UINT, UINT) { return 0x80FFFFFFu; }), 32, 32);
        AddPicture(kNoiseLink, MakeTexture(64, 64, [](UINT x, UINT y) { return Hash(x, y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; }),
                   64, 64);
        AddPicture(kBumpLink, MakeTexture(64, 64, [](UINT x, UINT y) {
                       return 0xFF000000u | (Hash(x, y) << 16) | (Hash(y + 7, x) << 8);
                   }),
                   64, 64);
    }

    static uint32_t Hash(UINT x, UINT y) { return ((x * 73856093u) ^ (y * 19349663u)) % 251u; }

    // The flame light over a picture of w x h pixels (the fixture's 256 x
    // 256 checkerboard when w is 0), stretched over the back buffer.
    DS_FlameLight& MakeFlame(UINT w = 0, UINT h = 0, unsigned offset = 0, int distortion = 1,
                             const FileLinkValue& effect = kDistortionLink)
    {
        if (w != 0) AddPicture(kPictureLink, picture_, w, h);
        auto light = std::make_unique<DS_FlameLight>();
        light->flameOffset.StoreValue(offset);
        light->distortionFlag.StoreValue(distortion);
        light->Distortion().effectLink.StoreValue(effect);
        return static_cast<DS_FlameLight&>(MakeLayer(kPictureLink, RenderContext::kStretch, std::move(light)));
    }

    // A frame as the slide composes it, with the closing pass.
    void FrameWithBorders()
    {
        DrawFrame(objects_);
        ASSERT_TRUE(SUCCEEDED(Device()->BeginScene()));
        layer_->DrawBorders(false);
        Device()->EndScene();
    }

    // The mean channel difference between two sets of pixels.
    static double MeanDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
    {
        double sum = 0.0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
            for (int shift = 0; shift < 24; shift += 8) {
                sum += std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
            }
        }
        return a.empty() ? 0.0 : sum / (3.0 * static_cast<double>(a.size()));
    }

    // Back-buffer pixels of the rows from y0 to y1, every 7 pixels both ways.
    std::vector<uint32_t> Rows(UINT y0, UINT y1)
    {
        const PixelSnapshot shot = SnapshotPixels();
        std::vector<uint32_t> pixels;
        for (UINT y = y0; y < y1; y += 7) {
            for (UINT x = 3; x < BackBufferWidth(); x += 7) pixels.push_back(shot.At(x, y));
        }
        return pixels;
    }
};

std::vector<PT> Vertices(const DS_SimpleMesh<PT>& mesh)
{
    std::vector<PT> vertices(mesh.VertexCount());
    void* data = nullptr;
    if (!mesh.VertexBuffer() || FAILED(mesh.VertexBuffer()->Lock(0, 0, &data, D3DLOCK_READONLY))) return {};
    std::memcpy(vertices.data(), data, vertices.size() * sizeof(PT));
    mesh.VertexBuffer()->Unlock();
    return vertices;
}

TEST_F(FlameLayer, ValuesOnA1024By768Picture)
{
    RecordingEffect* fire = AddRecorder(kFireEffectLink);
    RecordingEffect* haze = AddRecorder(kDistortionLink);
    // What a fire brush left in the shared effect.
    fire->current.floats["ColorK1"] = {9.0f, 9.0f, 9.0f};
    fire->current.floats["Density"] = {-1.0f};
    DS_FlameLight& light = MakeFlame(1024, 768, 20);
    const std::vector<PT> band = Vertices(light.FlameMesh());
    ASSERT_EQ(band.size(), 4u);
    const float expected[4][4] = {
        {0.0f, 345.6f, 0.0f, 0.0f}, {1024.0f, 345.6f, 1.0f, 0.0f}, {0.0f, 844.8f, 0.0f, 0.95f}, {1024.0f, 844.8f, 1.0f, 0.95f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(band[i].x, expected[i][0], 1e-3f) << i;
        EXPECT_NEAR(band[i].y, expected[i][1], 1e-3f) << i;
        EXPECT_FLOAT_EQ(band[i].u, expected[i][2]) << i;
        EXPECT_FLOAT_EQ(band[i].v, expected[i][3]) << i;
    }
    const std::vector<PT> quad = Vertices(light.Distortion().Quad());
    ASSERT_EQ(quad.size(), 4u);
    EXPECT_FLOAT_EQ(quad[0].y, 768.0f);
    EXPECT_FLOAT_EQ(quad[2].x, 1024.0f);
    EXPECT_FLOAT_EQ(quad[2].u, 1.0f);

    // Ten seconds of time at the distortion's speed 50 (0.05 a second).
    for (int i = 0; i <= 100; ++i) light.FrameMove(0.1f * static_cast<float>(i));
    FrameWithBorders();
    ASSERT_EQ(haze->draws.size(), 1u);
    const RecordingEffect::State& h = haze->draws[0];
    EXPECT_EQ(h.technique, "BumpmapDistortLow2");
    ExpectNear(h.Floats("stenght"), {0.0025f}, 1e-7f, "stenght");
    ExpectNear(h.Floats("bump_scale"), {0.208f, 0.156f}, 1e-5f, "bump_scale");
    ExpectNear(h.Floats("Offset"), {0.5f, -0.5f}, 1e-4f, "Offset");
    EXPECT_NE(h.Texture("SceneTex"), nullptr) << "the finished scene";
    EXPECT_NE(h.Texture("SceneTex"), picture_.Get());
    EXPECT_EQ(h.Texture("Bumpmap"), manager_->GetTextureSet(kBumpLink).CurrentTexture());

    ASSERT_EQ(fire->draws.size(), 1u);
    const RecordingEffect::State& f = fire->draws[0];
    EXPECT_EQ(f.technique, "AsEffect");
    const DS_FireFX::FadedParams full = light.Fire().ComputeFadedParams(1.0f);
    ExpectNear(f.Floats("ColorK1"), {full.colorK1[0], full.colorK1[1], full.colorK1[2]}, 1e-6f, "ColorK1");
    ExpectNear(f.Floats("ColorK2"), {full.colorK2[0], full.colorK2[1], full.colorK2[2]}, 1e-6f, "ColorK2");
    ExpectNear(f.Floats("Density"), {full.density}, 1e-6f, "Density");
    ExpectNear(f.Floats("Brightness"), {full.brightness}, 1e-6f, "Brightness");
    // The clock of the fire: speed 50 at 0.02, ten seconds.
    ExpectNear(f.Floats("c11"), {0.0f, 1.3f * 10.0f}, 1e-2f, "c11");
    EXPECT_EQ(f.Texture("Pattern"), manager_->GetTextureSet(kPatternLink).CurrentTexture());
}

TEST_F(FlameLayer, PassesRunExactlyWhenTheyCanAndAreAskedFor)
{
    const FileLinkValue missing{L"missing.dll", DS_BumpDistortion::kDefaultEffectId};
    const FileLinkValue noPicture{L"missing.jpg", 1};
    struct Case {
        const char* name;
        int flag;
        FileLinkValue effect;
        bool afterReset;  // the chain released, as after a device reset
        int fire;
        FileLinkValue picture;
        FileLinkValue pattern;
        size_t passes, flames;
    };
    const Case cases[] = {
        {"flag 1", 1, kDistortionLink, false, 1, kPictureLink, kPatternLink, 1, 1},
        {"flag 2 asks for the scene and runs the pass", 2, kDistortionLink, false, 1, kPictureLink, kPatternLink, 1,
         1},
        {"flag 0", 0, kDistortionLink, false, 1, kPictureLink, kPatternLink, 0, 1},
        {"no distortion effect turns the flag off", 1, missing, false, 1, kPictureLink, kPatternLink, 0, 1},
        {"a frame straight to the back buffer", 1, kDistortionLink, true, 1, kPictureLink, kPatternLink, 0, 1},
        {"fire off", 1, kDistortionLink, false, 0, kPictureLink, kPatternLink, 1, 0},
        {"no flame pattern", 1, kDistortionLink, false, 1, kPictureLink, noPicture, 1, 0},
        {"no picture", 1, kDistortionLink, false, 1, noPicture, kPatternLink, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        manager_->Store().effects.clear();
        RecordingEffect* haze = AddRecorder(kDistortionLink);
        RecordingEffect* flames = AddRecorder(kFireEffectLink);
        auto made = std::make_unique<DS_FlameLight>();
        made->distortionFlag.StoreValue(c.flag);
        made->fireFlag.StoreValue(c.fire);
        made->Distortion().effectLink.StoreValue(c.effect);
        made->Fire().patternImage.StoreValue(c.pattern);
        auto& light = static_cast<DS_FlameLight&>(MakeLayer(c.picture, RenderContext::kStretch, std::move(made)));
        EXPECT_EQ(light.NeedsSceneTexture(), c.flag != 0 && c.effect == kDistortionLink);
        if (c.afterReset) light.InvalidateDeviceObjects();
        light.FrameMove(0.1f);
        FrameWithBorders();
        EXPECT_FALSE(light.InChain()) << "the chain is always ended";
        EXPECT_EQ(haze->draws.size(), c.passes);
        EXPECT_EQ(flames->draws.size(), c.flames);
        if (!haze->draws.empty()) {
            // A square picture, or none (width 0 counts as aspect 1).
            ExpectNear(haze->draws[0].Floats("bump_scale"), {0.208f, 0.208f}, 1e-5f, "bump_scale");
        }
    }
}

TEST_F(FlameLayer, ARestoreHoldsOneReferenceOnTheBumpPicture)
{
    DS_FlameLight& light = MakeFlame();
    IDirect3DTexture9* bump = manager_->GetTextureSet(kBumpLink).CurrentTexture();
    ASSERT_EQ(light.Distortion().BumpTexture(), bump);
    const auto references = [bump] {
        bump->AddRef();
        return bump->Release();
    };
    const ULONG once = references();
    light.RestoreDeviceObjects();
    EXPECT_EQ(references(), once) << "the texture held before is released";
}

TEST_F(FlameLayer, AResetRestoresTheChainAndTheDistortion)
{
    RecordingEffect* haze = AddRecorder(kDistortionLink);
    DS_FlameLight& light = MakeFlame();
    light.InvalidateDeviceObjects();
    light.ResetDeviceState();
    FrameWithBorders();
    EXPECT_EQ(haze->draws.size(), 1u);
}

TEST_F(FlameLayer, AlwaysClearsTheTarget)
{
    // A picture narrower than the back buffer in Fit mode leaves bars of
    // the cleared target beside it.
    DS_FlameLight& light = MakeFlame(128, 256, 0, 0);
    light.fireFlag.StoreValue(0);
    light.SetPicturePosition(RenderContext::kFit);
    ASSERT_TRUE(SUCCEEDED(Device()->BeginScene()));
    Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    light.RenderBackground(true);
    Device()->EndScene();
    EXPECT_TRUE(Near(ReadPixel(5, 200), kBackground)) << std::hex << ReadPixel(5, 200);
}

// The real fire and distortion effects drawn under Wine. The band lies at y
// 140 to 400 of the 600 x 400 back buffer.
TEST_F(FlameLayer, FlamesMoveInTheBandAndAboveItOnlyTheShimmer)
{
    StoreEffect(kFireEffectLink, "092_fire");
    StoreEffect(kDistortionLink, "063_distortion");
    // A smooth picture: the shimmer's shift of a pixel at most changes it
    // by a level or two, the flames by far more.
    picture_ = MakeTexture(256, 256, [](UINT x, UINT y) { return 0xFF000000u | (x << 16) | (y << 8) | 0x40u; });
    DS_FlameLight& light = MakeFlame(256, 256);
    ASSERT_NE(light.Distortion().Effect(), nullptr);
    ASSERT_TRUE(light.Fire().HasEffect());
    light.FrameMove(0.1f);
    FrameWithBorders();
    const std::vector<uint32_t> bandBefore = Rows(160, 400), aboveBefore = Rows(0, 130);
    for (int i = 1; i <= 5; ++i) light.FrameMove(0.1f + 0.1f * static_cast<float>(i));
    FrameWithBorders();
    const double band = MeanDifference(bandBefore, Rows(160, 400));
    const double above = MeanDifference(aboveBefore, Rows(0, 130));
    EXPECT_GT(band, 10.0);
    EXPECT_LT(above, 2.0);
    EXPECT_GT(above, 0.0) << "the shimmer drifts";
}

// Without the pass, or with a pass of strength 0, the checkerboard above the
// band is the plain layer's: the pass redraws the scene texel for pixel.
TEST_F(FlameLayer, WithoutAShiftThePictureAboveTheBandIsExact)
{
    StoreEffect(kFireEffectLink, "092_fire");
    StoreEffect(kDistortionLink, "063_distortion");
    DrawFrame(objects_);
    const std::vector<uint32_t> plainAbove = Rows(0, 130);
    struct Case {
        const char* name;
        int flag;
        unsigned strength;
        FileLinkValue effect;
    };
    const Case cases[] = {
        {"flag 0", 0, 25, kDistortionLink},
        {"no distortion effect", 1, 25, FileLinkValue{L"missing.dll", 63}},
        {"strength 0", 1, 0, kDistortionLink},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto flame = std::make_unique<DS_FlameLight>();
        flame->distortionFlag.StoreValue(c.flag);
        flame->Distortion().effectLink.StoreValue(c.effect);
        flame->Distortion().strength.SetValue(c.strength);
        MakeLayer(kPictureLink, RenderContext::kStretch, std::move(flame));
        layer_->FrameMove(0.1f);
        FrameWithBorders();
        const std::vector<uint32_t> shown = Rows(0, 130);
        size_t matching = 0;
        for (size_t i = 0; i < shown.size(); ++i) matching += Near(shown[i], plainAbove[i]) ? 1 : 0;
        EXPECT_EQ(matching, shown.size());
    }
}

}  // namespace
