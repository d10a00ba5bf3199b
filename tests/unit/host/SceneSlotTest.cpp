// A render unit's scene slot on a real device, with the splash and the
// document taken from builds of the program: the first frame shows the
// splash square over black; a build whose document is missing or cut short
// leaves the slot without a root, reports the load failure and keeps
// drawing nothing; the program's own document plays. Then the application
// over its own slots in this test program, which carries neither a splash
// nor a document: the load failure is stored for the error display.
#include <d3dx9.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "engine/archive/SceneDocument.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/TextureLoader.h"
#include "engine/scene/TimeLineControl.h"
#include "host/MoireScreensaver.h"
#include "host/SceneSlot.h"
#include "sound/MP3Constructor.h"
#include "sound/SoundDevice.h"
#include "sound/WAVConstructor.h"
#include "unit/BuildFiles.h"
#include "unit/D3DTestDevice.h"
#include "unit/sound/SoundFixtures.h"

namespace {

constexpr int32_t kSplashNumber = 5;
constexpr uint32_t kRgb = 0x00FFFFFFu;
// Mean channel difference between the drawn splash and the picture sampled
// at the same place: linear filtering while scaling 512 to 171 pixels
// gives about 6; the square a few pixels larger or moved gives 10 or more.
constexpr double kSplashMatch = 8.0;

// A picture of its own size as 0x00RRGGBB pixels, row by row.
struct Picture {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(double x, double y) const
    {
        const UINT px = static_cast<UINT>(std::fmin(std::fmax(x, 0.0), width - 1.0));
        const UINT py = static_cast<UINT>(std::fmin(std::fmax(y, 0.0), height - 1.0));
        return pixels[static_cast<size_t>(py) * width + px] & kRgb;
    }
};

// "DDS" number of module decoded by D3DX; empty when it cannot be read.
Picture ReadPictureResource(IDirect3DDevice9* device, HMODULE module, int32_t number)
{
    Picture picture;
    const void* bytes = nullptr;
    size_t size = 0;
    D3DXIMAGE_INFO info = {};
    if (!LockModuleResource(module, number, bytes, size) ||
        FAILED(D3DXGetImageInfoFromFileInMemory(bytes, static_cast<UINT>(size), &info))) {
        return picture;
    }
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(device->CreateOffscreenPlainSurface(info.Width, info.Height, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                   &surface, nullptr))) {
        return picture;
    }
    D3DLOCKED_RECT locked = {};
    if (SUCCEEDED(D3DXLoadSurfaceFromFileInMemory(surface, nullptr, nullptr, bytes, static_cast<UINT>(size), nullptr,
                                                  D3DX_FILTER_NONE, 0, nullptr)) &&
        SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        picture.width = info.Width;
        picture.height = info.Height;
        picture.pixels.resize(static_cast<size_t>(info.Width) * info.Height);
        for (UINT y = 0; y < info.Height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                                static_cast<size_t>(y) * locked.Pitch);
            std::copy(row, row + info.Width, picture.pixels.begin() + static_cast<size_t>(y) * info.Width);
        }
        surface->UnlockRect();
    }
    surface->Release();
    return picture;
}

double ChannelDifference(uint32_t a, uint32_t b)
{
    double sum = 0.0;
    for (int shift = 0; shift < 24; shift += 8) {
        sum += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    }
    return sum / 3.0;
}

class SceneSlotTest : public D3DTestDevice {
protected:
    void SetUp() override
    {
        D3DTestDevice::SetUp();
        RegisterSceneClasses();  // as the program does at start-up
        SetCurrentDevice(Device());
        IDirect3DSurface9* backBuffer = nullptr;
        ASSERT_EQ(Device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
        backBuffer->GetDesc(&backBufferDesc_);
        backBuffer->Release();
    }
    void TearDown() override
    {
        SetCurrentDocResManager(nullptr);
        SetCurrentRenderContext(nullptr);
        SetCurrentDevice(nullptr);
        D3DTestDevice::TearDown();
    }

    uint32_t Pixel(const std::vector<uint32_t>& pixels, UINT x, UINT y) const
    {
        return pixels[static_cast<size_t>(y) * backBufferDesc_.Width + x] & kRgb;
    }

    // Checks a frame that should hold the splash square of the given picture,
    // two thirds of the height and centred, over black.
    void ExpectSplash(const Picture& splash)
    {
        const std::vector<uint32_t> pixels = BackBufferPixels();
        ASSERT_EQ(pixels.size(), static_cast<size_t>(kBackBufferSize) * kBackBufferSize);
        const double side = kBackBufferSize * 2.0 / 3.0;
        const double origin = (kBackBufferSize - side) / 2.0;
        const double edge = 1.0 / side;  // a pixel either side of the square's edge is left out
        double difference = 0.0;
        int inside = 0;
        int outsideLit = 0;
        for (UINT y = 0; y < kBackBufferSize; ++y) {
            for (UINT x = 0; x < kBackBufferSize; ++x) {
                const double u = (x + 0.5 - origin) / side;
                const double v = (y + 0.5 - origin) / side;
                if (u > edge && u < 1.0 - edge && v > edge && v < 1.0 - edge) {
                    difference +=
                        ChannelDifference(Pixel(pixels, x, y), splash.At(u * splash.width, v * splash.height));
                    ++inside;
                } else if (u < -edge || u > 1.0 + edge || v < -edge || v > 1.0 + edge) {
                    if (Pixel(pixels, x, y) != 0) ++outsideLit;
                }
            }
        }
        ASSERT_GT(inside, 0);
        EXPECT_LT(difference / inside, kSplashMatch) << "the square does not show the splash picture";
        EXPECT_EQ(outsideLit, 0) << "pixels around the square are not black";
    }

    D3DSURFACE_DESC backBufferDesc_ = {};
};

TEST_F(SceneSlotTest, FirstFrameShowsTheSplash)
{
    ProgramResources program(L"corvalline.scr");
    ASSERT_NE(program.get(), nullptr);
    const Picture splash = ReadPictureResource(Device(), program.get(), kSplashNumber);
    ASSERT_FALSE(splash.pixels.empty()) << "the program has no readable splash";

    SceneSlot slot(program.get());
    SetCurrentRenderContext(&slot.Context());
    // Whatever an earlier frame left is cleared away.
    ASSERT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080u, 1.0f, 0), D3D_OK);
    slot.RenderSplash(Device(), backBufferDesc_);
    EXPECT_TRUE(slot.splashShown);
    EXPECT_FALSE(slot.sceneLoaded);
    EXPECT_EQ(slot.Root(), nullptr) << "the scene loads in the second frame";
    ExpectSplash(splash);

    // The stage repeats with the same result, the splash built again.
    slot.RenderSplash(Device(), backBufferDesc_);
    ExpectSplash(splash);
}

struct DocumentCase {
    const wchar_t* program;
    HRESULT load;  // what LoadScene returns
    // A document file of the build given as bytes (SetSources), whole or its
    // first half, in place of the program's "DDS" 107; null: none.
    const char* documentFile = nullptr;
    bool firstHalf = false;
};

class SceneSlotDocument : public SceneSlotTest, public ::testing::WithParamInterface<DocumentCase> {};

TEST_P(SceneSlotDocument, LoadsOrStaysWithoutRootAndReportsTheFailure)
{
    const DocumentCase& c = GetParam();
    ProgramResources program(c.program);
    ASSERT_NE(program.get(), nullptr);
    SceneSlot slot(program.get());
    if (c.documentFile != nullptr) {
        std::vector<uint8_t> document = ReadBuildFile(c.documentFile);
        ASSERT_FALSE(document.empty()) << c.documentFile;
        if (c.firstHalf) document.resize(document.size() / 2);
        slot.SetSources(program.get(), std::move(document));
    }
    SetCurrentRenderContext(&slot.Context());

    // The host's frames: splash, load, then play.
    slot.RenderSplash(Device(), backBufferDesc_);
    EXPECT_EQ(slot.LoadScene(), c.load);
    EXPECT_TRUE(slot.sceneLoaded) << "a failed load is not tried again";
    const bool loaded = SUCCEEDED(c.load);
    EXPECT_EQ(slot.Root() != nullptr, loaded);
    EXPECT_EQ(slot.Manager() != nullptr, loaded);
    EXPECT_EQ(CurrentDocResManager(), slot.Manager()) << "a failed load leaves no manager current";
    EXPECT_TRUE(slot.MusicFiles().empty());

    ASSERT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), D3D_OK);
    for (float t : {1.0f, 2.0f, 3.0f}) {
        slot.FrameMove(t);
        slot.RenderScene(Device());
    }
    const std::vector<uint32_t> pixels = BackBufferPixels();
    ASSERT_FALSE(pixels.empty());
    const uint32_t centre = Pixel(pixels, kBackBufferSize / 2, kBackBufferSize / 2);
    if (loaded) {
        EXPECT_NE(centre, 0u) << "the landscape is drawn";
    } else {
        EXPECT_EQ(centre, 0u) << "a slot without a root draws nothing";
    }

    // A device reset goes through the slot either way.
    slot.InvalidateDeviceObjects();
    slot.RestoreDeviceObjects();
    slot.FrameMove(4.0f);
    slot.RenderScene(Device());
}

// The sound objects of every slide of a slot's scene, both lists.
std::vector<DS_Sound*> SoundObjects(const SceneSlot& slot)
{
    std::vector<DS_Sound*> sounds;
    if (!slot.Root()) return sounds;
    for (const auto& slide : slot.Root()->Slides()) {
        for (const auto* list : {&slide->DrawnObjects(), &slide->UpdatedObjects()}) {
            for (const auto& object : *list) {
                if (auto* sound = dynamic_cast<DS_Sound*>(object.Get())) sounds.push_back(sound);
            }
        }
    }
    return sounds;
}

TEST_F(SceneSlotTest, SoundItemsPlayInTheSoundSlotStopWithTheDeviceAndLeaveNoFiles)
{
    const bool audio = testsound::HasAudioDevice();
    if (audio) {
        ASSERT_TRUE(CreateDirectSound(GetDesktopWindow()));
    }
    ProgramResources program(L"corvalline_sounds.scr");
    ASSERT_NE(program.get(), nullptr);
    {
        // A slot of another monitor builds no sound item at all.
        SceneSlot silent(program.get());
        SetCurrentRenderContext(&silent.Context());
        silent.RenderSplash(Device(), backBufferDesc_);
        ASSERT_EQ(silent.LoadScene(false), S_OK);
        EXPECT_TRUE(SoundObjects(silent).empty());
        SetCurrentRenderContext(nullptr);
    }
    SceneSlot slot(program.get());
    SetCurrentRenderContext(&slot.Context());
    slot.RenderSplash(Device(), backBufferDesc_);
    ASSERT_EQ(slot.LoadScene(true), S_OK);
    const std::vector<DS_Sound*> sounds = SoundObjects(slot);
    ASSERT_EQ(sounds.size(), 12u);
    std::vector<std::wstring> files;
    std::vector<DS_WAV_Constructor*> loops;  // slide 1's WAV items in mode 0
    for (DS_Sound* sound : sounds) {
        if (auto* mp3 = dynamic_cast<DS_MP3_Constructor*>(sound->Sound())) {
            if (!mp3->TemporaryPath().empty()) files.push_back(mp3->TemporaryPath());
        }
    }
    for (const auto& object : slot.Root()->Slides()[0]->UpdatedObjects()) {
        auto* wav = dynamic_cast<DS_WAV_Constructor*>(static_cast<DS_Sound*>(object.Get())->Sound());
        if (wav && wav->TimeLine().mode == 0) loops.push_back(wav);
    }
    ASSERT_EQ(loops.size(), 2u);
    if (audio) {
        EXPECT_EQ(files.size(), 8u) << "every MP3 item writes its own file";
        const auto playing = [&loops] {
            int count = 0;
            for (DS_WAV_Constructor* wav : loops) {
                DWORD status = 0;
                if (wav->Buffer() && SUCCEEDED(wav->Buffer()->GetStatus(&status)) && (status & DSBSTATUS_PLAYING)) {
                    ++count;
                }
            }
            return count;
        };
        EXPECT_EQ(playing(), 0) << "nothing plays before the first frame";
        slot.FrameMove(1.0f);
        EXPECT_EQ(playing(), 2);
        // A device reset stops every sound; the next frame plays them again.
        slot.InvalidateDeviceObjects();
        EXPECT_EQ(playing(), 0);
        slot.RestoreDeviceObjects();
        slot.FrameMove(1.1f);
        EXPECT_EQ(playing(), 2);
    }
    slot.ReleaseScene();
    EXPECT_EQ(slot.Root(), nullptr);
    for (const std::wstring& file : files) {
        EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << "left behind: " << file.c_str();
    }
    SetCurrentRenderContext(nullptr);
}

const DocumentCase kDocuments[] = {
    {L"corvalline.scr", S_OK},
    {L"corvalline_no_document.scr", kErrSceneDocument},
    {L"corvalline_cut_document.scr", kErrSceneDocument},
    // Documents given as bytes (the frame benchmark's document files) take
    // the place of the build's own.
    {L"corvalline_no_document.scr", S_OK, "res/scene.kvb"},
    {L"corvalline.scr", kErrSceneDocument, "res/scene.kvb", true},
};

INSTANTIATE_TEST_SUITE_P(Builds, SceneSlotDocument, ::testing::ValuesIn(kDocuments));

// The application's own frames in this test program, which has no splash
// and no document: a black first frame, then the failure stored for the
// error display, and no scene after it.
TEST_F(SceneSlotTest, ApplicationStoresTheLoadFailure)
{
    CMoireScreensaver saver;
    saver.currentDevice_ = Device();
    saver.backBufferDesc_ = backBufferDesc_;
    ASSERT_EQ(saver.ActivateUnitScene(0), 0);
    ASSERT_EQ(saver.currentSlot_, &saver.slots_[0]);

    ASSERT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080u, 1.0f, 0), D3D_OK);
    EXPECT_EQ(saver.Render(), 0);
    EXPECT_TRUE(saver.slots_[0].splashShown);
    EXPECT_FALSE(saver.errorFlag_);
    const std::vector<uint32_t> pixels = BackBufferPixels();
    ASSERT_FALSE(pixels.empty());
    EXPECT_EQ(Pixel(pixels, kBackBufferSize / 2, kBackBufferSize / 2), 0u) << "no splash picture: black";

    EXPECT_EQ(saver.Render(), 0);
    EXPECT_TRUE(saver.errorFlag_);
    EXPECT_EQ(saver.errorCode_, kErrSceneDocument);
    EXPECT_EQ(saver.slots_[0].Root(), nullptr);
    EXPECT_EQ(CurrentDocResManager(), nullptr);

    saver.appTime_ = 5.0f;
    EXPECT_EQ(saver.Render(), 0);
    EXPECT_EQ(saver.slots_[0].Root(), nullptr);
    saver.currentDevice_ = nullptr;
}

}  // namespace
