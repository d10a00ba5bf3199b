#include "host/SceneSlot.h"

#include "engine/archive/SceneClassRegistry.h"
#include "engine/render/RenderStats.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/TextureLoader.h"
#include "host/Registry.h"
#include "sound/SoundCtrl.h"

namespace {

constexpr int32_t kSplashResource = 5;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

}  // namespace

SceneSlot::~SceneSlot()
{
    if (CurrentDocResManager() == document_.manager.get()) SetCurrentDocResManager(nullptr);
    if (CurrentRenderContext() == &context_) SetCurrentRenderContext(nullptr);
}

void SceneSlot::BuildSplash(IDirect3DDevice9* device, const D3DSURFACE_DESC& backBuffer)
{
    splashTexture_.Reset();
    TextureEntry entry;
    if (SUCCEEDED(LoadTextureResource(device, kSplashResource, false, entry, resources_)))
        splashTexture_ = entry.texture;

    if (!splash_.VertexBuffer() && FAILED(splash_.CreateVertexBuffer(device, 4))) return;
    const float w = static_cast<float>(static_cast<int>(backBuffer.Width));
    const float h = static_cast<float>(static_cast<int>(backBuffer.Height));
    const float side = (h + h) / 3.0f;
    const float x0 = (w - side) * 0.5f;
    const float y0 = (h - side) * 0.5f;
    const float corners[4][4] = {{x0, y0 + side, 0.0f, 1.0f},
                                 {x0, y0, 0.0f, 0.0f},
                                 {x0 + side, y0 + side, 1.0f, 1.0f},
                                 {x0 + side, y0, 1.0f, 0.0f}};
    DX_V::TPC* v = splash_.Lock();
    if (v == nullptr) return;
    for (int i = 0; i < 4; ++i) {
        v[i] = DX_V::TPC{corners[i][0], corners[i][1], 0.0f, 1.0f, kOpaqueWhite, corners[i][2], corners[i][3]};
    }
    splash_.Unlock();
}

void SceneSlot::RenderSplash(IDirect3DDevice9* device, const D3DSURFACE_DESC& backBuffer)
{
    BuildSplash(device, backBuffer);
    if (FAILED(device->BeginScene())) return;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    // The splash is drawn with the texture as it stands, whatever state a
    // previous frame left.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTexture(0, splashTexture_.Get());
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    device->SetFVF(DX_V::TPC::kFVF);
    if (splash_.VertexBuffer() && splashTexture_) {
        device->SetStreamSource(0, splash_.VertexBuffer(), 0, DX_V::TPC::kStride);
        if (SUCCEEDED(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2))) ++RenderStats::Instance().drawCalls;
    }
    device->EndScene();
    splashShown = true;
}

HRESULT SceneSlot::LoadScene(bool withSounds)
{
    sceneLoaded = true;
    SlideShowDocument loaded;
    const HRESULT hr = documentBytes_.empty()
                           ? LoadSlideShowDocument(loaded, resources_)
                           : ReadSlideShowDocument(documentBytes_.data(), documentBytes_.size(), SceneClasses(), loaded);
    if (FAILED(hr) || !loaded.root || !loaded.manager) {
        if (CurrentDocResManager() == loaded.manager.get()) SetCurrentDocResManager(nullptr);
        return FAILED(hr) ? hr : static_cast<HRESULT>(0x8200000B);
    }
    document_ = std::move(loaded);
    SetCurrentDocResManager(document_.manager.get());
    if (!withSounds) RemoveSoundItems(*document_.root);
    document_.root->BuildObjects();
    document_.root->ExtractAudioFiles();
    document_.root->SetPicturePosition(GetPicturePositionSetting());
    return S_OK;
}

std::vector<std::wstring> SceneSlot::MusicFiles() const
{
    std::vector<std::wstring> paths;
    if (!document_.root) return paths;
    for (const auto& file : document_.root->AudioFiles()) {
        if (file) paths.push_back(file->file.name);
    }
    return paths;
}

void SceneSlot::FrameMove(float appTime)
{
    if (document_.root) document_.root->FrameMove(appTime);
}

void SceneSlot::RenderScene(IDirect3DDevice9* device)
{
    if (!document_.root) return;
    if (SUCCEEDED(device->BeginScene())) document_.root->Render(false);
    device->EndScene();
}

void SceneSlot::ReleaseScene()
{
    if (CurrentDocResManager() == document_.manager.get()) SetCurrentDocResManager(nullptr);
    // The order of the slot's own destruction: the manager, then the root.
    document_.manager.reset();
    document_.root.reset();
}

void SceneSlot::InvalidateDeviceObjects()
{
    // Nothing may play on while the device is away or the error box shows.
    if (document_.root) SilenceSounds(*document_.root);
    if (document_.root) document_.root->InvalidateDeviceObjects();
    if (document_.manager) document_.manager->OnLostDevice();
}

void SceneSlot::RestoreDeviceObjects()
{
    if (document_.manager) document_.manager->OnResetDevice();
    if (document_.root) document_.root->RestoreDeviceObjects();
}
