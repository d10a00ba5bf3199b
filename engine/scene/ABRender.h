// The render service through which every scene object draws: the picture
// layer implements it (DS_2D_Light) and hands itself to DS_ABObj::Render.
// Only the service and the render context touch the device's transforms.
// The order of the operations is fixed; the light kinds override them.
//
// Scene code never reads device state back with Get* calls (GetRenderState,
// GetTransform, GetTextureStageState, GetSamplerState, ...): on a pure device
// they fail on Windows, although Wine answers them. Keep what you need
// yourself, as the render context keeps its transforms. Surface getters
// (GetRenderTarget, GetDepthStencilSurface) work on pure devices and are fine.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstddef>
#include <cstdint>

#include "engine/archive/IOF_Item.h"
#include "engine/render/Mesh.h"
#include "engine/resources/ComPtr.h"

class RenderTargetChain;

// A sprite array as DrawSpriteArray draws it: the geometry (its combined
// matrix places it), the current frame texture, an optional second texture,
// the item's blend mode (0 blended, 1 additive) and sprite count.
struct SpriteArrayDraw {
    const DS_IndexedMesh<DX_V::PCT>* geometry = nullptr;
    IDirect3DTexture9* frameTexture = nullptr;
    IDirect3DTexture9* secondTexture = nullptr;  // null for none
    int32_t blendMode = 0;
    uint32_t spriteCount = 0;
};

// A textured 3D mesh drawn at each frame of a list.
using TexturedPNTMesh = DS_TexturedMesh<PNT, DS_IndexedMesh<PNT>>;
struct Part3DDraw {
    const TexturedPNTMesh* mesh = nullptr;
    const DS_Frame* const* frames = nullptr;
    size_t frameCount = 0;
    bool transparent = false;
};

// A grid drawn alpha-tested: prepared with one integer, then drawn with its
// texture.
class AlphaTestedGrid {
public:
    virtual ~AlphaTestedGrid() = default;
    virtual void Prepare(int32_t value) = 0;
    virtual const DS_IndexedMesh<PT>& GridMesh() const = 0;
    virtual IDirect3DTexture9* GridTexture() const = 0;
};

class DS_ABRender : public DS_IOF_Item {
public:
    // Draws go to the current device (CurrentDevice) through the current
    // render context; with either missing a draw does nothing and returns
    // E_FAIL. Effects are driven by the caller: each draw runs every pass of
    // the effect's current technique.

    // 3. Makes the render context draw into chain (begun by the caller) and
    // pushes the layer's size on the process-wide size stack.
    virtual void PushRenderTarget(RenderTargetChain& chain, int32_t mode) = 0;
    // 4. Takes the size back; an empty stack leaves everything as it is.
    virtual void PopRenderTarget() = 0;
    // 5.
    virtual HRESULT DrawIndexedWithEffect(const DS_IndexedMesh<PT>& mesh, ID3DXEffect* effect) = 0;
    // 6.
    virtual HRESULT DrawTex2WithEffect(const DS_SimpleMesh<PT2>& mesh, ID3DXEffect* effect) = 0;
    // 7.
    virtual HRESULT DrawWithEffect(const DS_SimpleMesh<PT>& mesh, ID3DXEffect* effect) = 0;
    // 8. Without an effect: alpha-blended, texture x diffuse, with the
    // texture the caller set on stage 0; blending is left on.
    virtual HRESULT DrawMesh(const DS_IndexedMesh<DX_V::PCT>& mesh, ID3DXEffect* effect, UINT triangleCount) = 0;
    // 9.
    virtual HRESULT DrawMeshWithEffect(const DS_IndexedMesh<DX_V::PCT>& mesh, ID3DXEffect* effect) = 0;
    // 10.
    virtual HRESULT Draw3DObject(const Part3DDraw& part) = 0;
    // 11.
    virtual HRESULT DrawSpriteArray(const SpriteArrayDraw& sprites) = 0;
    // 12. Draws mesh once per child frame, both windings.
    virtual HRESULT DrawMeshList(const TexturedPNTMesh& mesh) = 0;
    // 13.
    virtual HRESULT DrawAlphaTested(AlphaTestedGrid& grid, int32_t value) = 0;
    // 14. What the object drawing now samples as the scene so far.
    virtual const ComPtr<IDirect3DTexture9>& GetSceneTexture() const = 0;
    // 15. The quad covering the picture in picture pixels.
    virtual const DS_TexturedMesh<PT>& GetScreenQuad() const = 0;
};

// The layer size (and render-context mode) saved by each PushRenderTarget.
// Process-wide because every picture layer of every render unit pushes onto
// the same stack: the units are drawn one after the other on the scene
// thread. The mode is kept per push so that nested pushes give each pop the
// mode from before its own push.
class RenderTargetSizeStack {
public:
    struct Entry {
        int32_t width = 0;
        int32_t height = 0;
        int32_t mode = 0;
    };
    static void Push(const Entry& entry);
    // False (entry untouched) when the stack is empty.
    static bool Pop(Entry& entry);
    static size_t Depth();
};
