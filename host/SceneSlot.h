// One render unit's complete copy of the scene: its splash picture, its
// slideshow root and resource manager, and its 2D camera. A slot shows the
// splash in its first frame, loads the scene in its second and plays it
// from its third on.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/render/Mesh.h"
#include "engine/render/RenderContext.h"
#include "engine/render/VertexFormats.h"
#include "engine/scene/SlideShow.h"

class SceneSlot {
public:
    // resources: the module whose "DDS" 5 is the splash and "DDS" 107 the
    // scene document; null, the program itself. Tests pass other builds.
    explicit SceneSlot(HMODULE resources = nullptr) : resources_(resources) {}
    // Takes the splash and the document from another module, or the
    // document from bytes (non-empty) instead of any module's "DDS" 107:
    // the frame benchmark plays other builds' documents and document files.
    void SetSources(HMODULE resources, std::vector<uint8_t> document)
    {
        resources_ = resources;
        documentBytes_ = std::move(document);
    }
    SceneSlot(const SceneSlot&) = delete;
    SceneSlot& operator=(const SceneSlot&) = delete;
    ~SceneSlot();

    // Splash square (two thirds of the back-buffer height, centred) over
    // black. The stage repeats until BeginScene succeeds.
    void RenderSplash(IDirect3DDevice9* device, const D3DSURFACE_DESC& backBuffer);
    // Loads the scene document (the resource module's, or the bytes given
    // to SetSources) into the slot, builds every slide's objects, copies
    // embedded music to the temporary folder and applies the picture
    // position. Without sounds the scene's sound items are left out: with
    // several monitors only one copy of the scene may play them, or each
    // would be heard once per monitor. Returns S_OK or the load failure
    // (0x8200000B); a slot whose load failed stays without a root and never
    // plays.
    HRESULT LoadScene(bool withSounds = true);
    // Destroys the loaded scene: its sounds stop and release their buffers
    // and temporary files (before the process's sound device goes).
    void ReleaseScene();
    // The root's frame move with the application time (no root: nothing).
    void FrameMove(float appTime);
    // BeginScene, the root's render, EndScene (called even when BeginScene failed).
    void RenderScene(IDirect3DDevice9* device);
    // Device loss: the scene's sounds stop (the next frame move after a
    // restore starts them again), the root releases its render targets, the
    // manager its default-pool objects; restore brings back the current slide.
    void InvalidateDeviceObjects();
    void RestoreDeviceObjects();

    // The playable paths of the scene's music files, in order.
    std::vector<std::wstring> MusicFiles() const;

    RenderContext& Context() { return context_; }
    DS_DocResManager* Manager() const { return document_.manager.get(); }
    DS_SlideShow_Light* Root() const { return document_.root.get(); }

    bool sceneLoaded = false;
    bool splashShown = false;

private:
    void BuildSplash(IDirect3DDevice9* device, const D3DSURFACE_DESC& backBuffer);

    HMODULE resources_ = nullptr;
    std::vector<uint8_t> documentBytes_;
    DS_SimpleMesh<DX_V::TPC> splash_;
    ComPtr<IDirect3DTexture9> splashTexture_;
    SlideShowDocument document_;
    RenderContext context_;
};
