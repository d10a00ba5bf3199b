// The picture layer of a slide: draws the slide's picture in its picture
// position, drifts it with its camera, and is the render service through
// which the slide's objects draw. It also composes a frame through its
// render-target chain when objects sample what was drawn before them. The
// light effects derive from it; the order of its virtual operations is
// fixed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/params/FunLightCtrl.h"
#include "engine/render/Camera.h"
#include "engine/render/PictureQuad.h"
#include "engine/render/RenderTargetChain.h"
#include "engine/resources/FileLink.h"
#include "engine/scene/ABObj.h"
#include "engine/scene/ABRender.h"
#include "engine/scene/CountedPtr.h"

class DS_2D_Light : public DS_ABRender {
public:
    static constexpr int32_t kVersion = 3;
    static constexpr int32_t kDefaultPictureNumber = 5;
    static constexpr const wchar_t* kDefaultPictureModule = L"common_res.dll";
    static constexpr D3DCOLOR kBackgroundClear = 0xFFF00FFF;

    // Defaults; the chain works on the current device (CurrentDevice).
    DS_2D_Light();
    DS_2D_Light(const DS_2D_Light&) = delete;
    DS_2D_Light& operator=(const DS_2D_Light&) = delete;

    // 1.
    ~DS_2D_Light() override;
    // 2. The "DS_2D_Light" record, version 3.
    void Write(DS_IOF_Archive* ar) override;
    // 3. to 15. The render service.
    void PushRenderTarget(RenderTargetChain& chain, int32_t mode) override;
    void PopRenderTarget() override;
    HRESULT DrawIndexedWithEffect(const DS_IndexedMesh<PT>& mesh, ID3DXEffect* effect) override;
    HRESULT DrawTex2WithEffect(const DS_SimpleMesh<PT2>& mesh, ID3DXEffect* effect) override;
    HRESULT DrawWithEffect(const DS_SimpleMesh<PT>& mesh, ID3DXEffect* effect) override;
    HRESULT DrawMesh(const DS_IndexedMesh<DX_V::PCT>& mesh, ID3DXEffect* effect, UINT triangleCount) override;
    HRESULT DrawMeshWithEffect(const DS_IndexedMesh<DX_V::PCT>& mesh, ID3DXEffect* effect) override;
    HRESULT Draw3DObject(const Part3DDraw& part) override;
    HRESULT DrawSpriteArray(const SpriteArrayDraw& sprites) override;
    HRESULT DrawMeshList(const TexturedPNTMesh& mesh) override;
    HRESULT DrawAlphaTested(AlphaTestedGrid& grid, int32_t value) override;
    const ComPtr<IDirect3DTexture9>& GetSceneTexture() const override { return sceneTexture_; }
    const DS_TexturedMesh<PT>& GetScreenQuad() const override { return picture_; }
    // 16., 17. Picture size in pixels (0 without a picture).
    virtual int32_t PictureWidth() const;
    virtual int32_t PictureHeight() const;
    // 18. Picture quad, picture texture and border textures.
    virtual void RestoreDeviceObjects();
    // 19. The device-state baseline every object relies on; sizes the
    // chain to the back buffer and binds this layer's border textures.
    virtual void ResetDeviceState();
    // 20. Releases the chain's textures and the scene texture.
    virtual void InvalidateDeviceObjects();
    // 21. The closing pass of a frame: the border quads unless skip.
    virtual void DrawBorders(bool skip);
    // 22. Clears the target (unless noClear) and draws the picture.
    virtual void RenderBackground(bool noClear);
    // 23. Camera drift to application time t.
    virtual void FrameMove(float t);
    // 24.
    virtual void Resize(int32_t w, int32_t h);
    // 25. Picture position 0 Stretch, 1 Fit, 2 Fill.
    virtual void SetPicturePosition(int32_t mode);
    // 26. to 29. Queries nothing in the player uses.
    virtual int32_t LayerQueryA(int32_t a, int32_t b, int32_t c);
    virtual int32_t LayerQueryB(int32_t a);
    virtual bool LayerFlagA();
    virtual bool LayerFlagB();
    // 30.
    virtual bool IsCameraDriftOn() const;
    // 31. A pre-transformed quad blended with its vertex colours (the fade
    // overlay); nothing for null.
    virtual HRESULT DrawScreenVertices(const DS_SimpleMesh<TP>* quad);
    // 32.
    virtual HRESULT DrawTexturedQuadBlended(const DS_TexturedMesh<TPC>& quad);
    // 33. Draws objects from last to first; n counts the scene-needing
    // drawers (the layer itself included when it needs the scene).
    virtual void RenderObjects(std::vector<CountedPtr<DS_ABObj>>& objects, int32_t n);
    // 34. Drawing goes into the chain from here on (when it has textures).
    virtual void BeginFrame();
    // 35. Flips the chain; the texture drawn so far (null without textures).
    virtual IDirect3DTexture9* NextRenderTarget();
    // 36. The back buffer is the target again; returns the chain.
    virtual RenderTargetChain& FinalRenderTarget(bool clear);
    // 37. Whether the layer post-processes the scene itself.
    virtual bool NeedsSceneTexture() const;
    // 38. Reloads the picture after its link changed.
    virtual void OnPictureChanged();

    // Drift mode 1 without notification and drift state zeroed; returns
    // whether the mode was 1 already.
    bool ResetCamera();
    HRESULT FillScreenQuad();
    // The picture = the first frame of the link's texture set.
    void LoadPictureTexture();
    void BindPictureLink();
    // Gives the render context this layer's border picture. The context is
    // shared by every slide of a unit, so the slide becoming current binds
    // its own borders again (ResetDeviceState does).
    void BindBorderTextures();

    // The registry's reader: a new layer with fields 3 to 5 of a record of
    // the given version; null when the data ran out.
    static std::unique_ptr<DS_2D_Light> CreateFromArchive(int32_t version, DS_IOF_Archive* ar);
    // Fields 3 to 5 for the stored version (versions above 3 read as 3).
    // False when the data ran out.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);
    // The whole record as a base level: header, then ReadFields.
    bool ReadBody(DS_IOF_Archive* ar);
    // Fields 1 to 5.
    void WriteBody(DS_IOF_Archive* ar);

    DS_ImageFileLink& PictureLink() { return pictureLink_; }
    DSM_Camera& Camera() { return camera_; }
    const DSM_Camera& Camera() const { return camera_; }
    const PictureQuad& Picture() const { return picture_; }
    RenderTargetChain& Chain() { return chain_; }
    int32_t PictureMode() const { return pictureMode_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    bool ToTarget() const { return toTarget_; }
    bool InChain() const { return inChain_; }

protected:
    // The closing steps of ResetDeviceState that are not device states: the
    // resource manager's reset, the chain sized to the back buffer and this
    // layer's border textures bound. Layers that set their own states call
    // it too, so they survive a device reset and show their own borders.
    void FinishDeviceStateReset();

    DS_ImageFileLink pictureLink_;
    DSM_Camera camera_;
    PictureQuad picture_;
    ComPtr<IDirect3DTexture9> sceneTexture_;
    int32_t pictureMode_ = 1;
    int32_t pushedMode_ = 1;
    RenderTargetChain chain_;
    DS_FunLightLinks pictureListeners_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool toTarget_ = false;
    // True between a BeginFrame that made the chain the target and the
    // FinalRenderTarget that ends it. A chain without textures (after a
    // device reset, before ResetDeviceState) is never begun: the frame is
    // then drawn straight to the back buffer.
    bool inChain_ = false;
};

// A PC quad blended with its vertex colours (the lake light's overlay).
HRESULT DrawPCMeshBlended(const DS_SimpleMesh<PC>& quad);
