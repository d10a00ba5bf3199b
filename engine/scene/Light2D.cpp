#include "engine/scene/Light2D.h"

#include <algorithm>

#include "engine/render/RenderContext.h"
#include "engine/render/RenderStats.h"
#include "engine/render/StateWriter.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"

namespace {

constexpr const wchar_t* kClassName = L"DS_2D_Light";
constexpr D3DCOLOR kOpaqueBlack = 0xFF000000;

// Runs draw once inside each pass of the effect's current technique. The
// results of the effect calls are not errors of the draw: a pass the effect
// cannot begin is skipped.
template <class Draw>
HRESULT ForEachPass(ID3DXEffect* effect, Draw draw)
{
    if (!effect) return E_INVALIDARG;
    UINT passes = 0;
    if (FAILED(effect->Begin(&passes, 0))) return E_FAIL;
    HRESULT result = S_OK;
    for (UINT pass = 0; pass < passes; ++pass) {
        if (FAILED(effect->BeginPass(pass))) continue;
        const HRESULT hr = draw();
        if (SUCCEEDED(result) && FAILED(hr)) result = hr;
        effect->EndPass();
    }
    effect->End();
    return result;
}

// Index buffer and stream of an indexed mesh; the stream of a simple one.
template <class V>
HRESULT Bind(IDirect3DDevice9* device, const DS_IndexedMesh<V>& mesh)
{
    if (!mesh.IndexBuffer() || !mesh.VertexBuffer()) return E_FAIL;
    const HRESULT hr = device->SetIndices(mesh.IndexBuffer());
    if (FAILED(hr)) return hr;
    return mesh.BindStream(device);
}

// The draws the device accepted, counted for the frame benchmark.
HRESULT CountDraw(HRESULT hr)
{
    if (SUCCEEDED(hr)) ++RenderStats::Instance().drawCalls;
    return hr;
}

// A draw that covers the whole picture (see RenderStats).
HRESULT CountFullScreen(HRESULT hr)
{
    if (hr == S_OK) ++RenderStats::Instance().fullScreenPasses;
    return hr;
}

template <class V>
HRESULT DrawIndexed(IDirect3DDevice9* device, const DS_IndexedMesh<V>& mesh, UINT triangleCount)
{
    if (triangleCount == 0) return S_FALSE;
    return CountDraw(device->DrawIndexedPrimitive(mesh.PrimitiveType(), 0, 0, mesh.VertexCount(), 0, triangleCount));
}

template <class V>
HRESULT DrawStrip(IDirect3DDevice9* device, const DS_SimpleMesh<V>& mesh)
{
    if (mesh.PrimitiveCount() == 0) return S_FALSE;
    return CountDraw(device->DrawPrimitive(mesh.PrimitiveType(), 0, mesh.PrimitiveCount()));
}

bool Ready(IDirect3DDevice9* device, const RenderContext* context)
{
    return device && context;
}

template <class V>
HRESULT Bind(IDirect3DDevice9* device, const DS_SimpleMesh<V>& mesh)
{
    if (!mesh.VertexBuffer()) return E_FAIL;
    return mesh.BindStream(device);
}

// World from the mesh's own matrix, the mesh bound, then draw(device) in
// every pass of the effect.
template <class Mesh, class Draw>
HRESULT DrawPlaced(const Mesh& mesh, ID3DXEffect* effect, Draw draw)
{
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!Ready(device, context)) return E_FAIL;
    HRESULT hr = context->SetWorld(device, mesh.combined);
    if (SUCCEEDED(hr)) hr = Bind(device, mesh);
    if (FAILED(hr)) return hr;
    return ForEachPass(effect, [&] { return draw(device); });
}

// Stage 0 shows the texture with its alpha, blended over the picture when
// blending is on: the 3D draws set all of it, so a mesh looks the same
// whatever was drawn before it (sprite draws leave the stage modulating and
// additive kinds leave the destination factor at ONE).
void TexturedMeshStage(StateWriter& states)
{
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    states.Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

}  // namespace

DS_2D_Light::DS_2D_Light() : chain_(CurrentDevice())
{
    pictureLink_.StoreValue(FileLinkValue{kDefaultPictureModule, kDefaultPictureNumber});
    BindPictureLink();
}

DS_2D_Light::~DS_2D_Light()
{
    // The listeners leave the picture link before anything else goes.
    pictureListeners_.Release();
    chain_.OnLostDevice();
    sceneTexture_.Reset();
}

void DS_2D_Light::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_2D_Light::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    if (DS_DocResManager* manager = CurrentDocResManager()) manager->MarkForSave(pictureLink_);
    pictureLink_.Write(*ar);
    camera_.Write(*ar);
}

bool DS_2D_Light::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    if (version > 1) {
        DS_FileLink3 link;
        link.Read(*ar);
        if (ar->Failed()) return false;
        pictureLink_.StoreValue(link.GetValue());
    }
    if (version > 2) {
        std::unique_ptr<DSM_Camera> camera = DSM_Camera::ReadRecord(*ar);
        if (!camera || ar->Failed()) {
            ar->Fail();
            return false;
        }
        camera_.CopyFrom(*camera);
    }
    return !ar->Failed();
}

bool DS_2D_Light::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return ReadFields(ar, version);
}

std::unique_ptr<DS_2D_Light> DS_2D_Light::CreateFromArchive(int32_t version, DS_IOF_Archive* ar)
{
    auto layer = std::make_unique<DS_2D_Light>();
    if (!layer->ReadFields(ar, version)) {
        if (ar) ar->Fail();
        return nullptr;
    }
    return layer;
}

// ---- render service ----

void DS_2D_Light::PushRenderTarget(RenderTargetChain& chain, int32_t mode)
{
    RenderContext* context = CurrentRenderContext();
    pushedMode_ = context ? context->Mode() : pictureMode_;
    RenderTargetSizeStack::Push({width_, height_, pushedMode_});
    toTarget_ = true;
    width_ = static_cast<int32_t>(chain.Width());
    height_ = static_cast<int32_t>(chain.Height());
    if (context) context->Setup(CurrentDevice(), PictureWidth(), PictureHeight(), width_, height_, mode, true);
}

void DS_2D_Light::PopRenderTarget()
{
    RenderTargetSizeStack::Entry entry;
    if (!RenderTargetSizeStack::Pop(entry)) return;
    width_ = entry.width;
    height_ = entry.height;
    if (RenderTargetSizeStack::Depth() == 0) toTarget_ = false;
    // Still inside an outer pushed target the context keeps drawing to a
    // target.
    if (RenderContext* context = CurrentRenderContext()) {
        context->Setup(CurrentDevice(), PictureWidth(), PictureHeight(), width_, height_, entry.mode, toTarget_);
    }
}

HRESULT DS_2D_Light::DrawIndexedWithEffect(const DS_IndexedMesh<PT>& mesh, ID3DXEffect* effect)
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return E_FAIL;
    HRESULT hr = Bind(device, mesh);
    if (FAILED(hr)) return hr;
    return ForEachPass(effect, [&] { return CountFullScreen(DrawIndexed(device, mesh, mesh.TriangleCount())); });
}

HRESULT DS_2D_Light::DrawTex2WithEffect(const DS_SimpleMesh<PT2>& mesh, ID3DXEffect* effect)
{
    return DrawPlaced(mesh, effect, [&](IDirect3DDevice9* device) { return DrawStrip(device, mesh); });
}

HRESULT DS_2D_Light::DrawWithEffect(const DS_SimpleMesh<PT>& mesh, ID3DXEffect* effect)
{
    return DrawPlaced(mesh, effect,
                      [&](IDirect3DDevice9* device) { return CountFullScreen(DrawStrip(device, mesh)); });
}

HRESULT DS_2D_Light::DrawMesh(const DS_IndexedMesh<DX_V::PCT>& mesh, ID3DXEffect* effect, UINT triangleCount)
{
    if (effect) {
        return DrawPlaced(mesh, effect,
                          [&](IDirect3DDevice9* device) { return DrawIndexed(device, mesh, triangleCount); });
    }
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!Ready(device, context)) return E_FAIL;
    StateWriter states(device);
    states.Keep(context->SetWorld(device, mesh.combined));
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    states.Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    states.Keep(Bind(device, mesh));
    if (FAILED(states.Result())) return states.Result();
    return DrawIndexed(device, mesh, triangleCount);
}

HRESULT DS_2D_Light::DrawMeshWithEffect(const DS_IndexedMesh<DX_V::PCT>& mesh, ID3DXEffect* effect)
{
    return DrawPlaced(mesh, effect,
                      [&](IDirect3DDevice9* device) { return DrawIndexed(device, mesh, mesh.TriangleCount()); });
}

HRESULT DS_2D_Light::Draw3DObject(const Part3DDraw& part)
{
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!Ready(device, context) || !part.mesh) return E_FAIL;
    const TexturedPNTMesh& mesh = *part.mesh;
    StateWriter states(device);
    states.Keep(context->Apply(device));
    states.Render(D3DRS_ALPHABLENDENABLE, part.transparent ? TRUE : FALSE);
    TexturedMeshStage(states);
    states.Texture(0, mesh.Texture());
    states.Keep(Bind(device, mesh));
    if (SUCCEEDED(states.Result())) {
        const int rounds = part.transparent ? 2 : 1;
        for (int round = 0; round < rounds; ++round) {
            for (size_t i = 0; i < part.frameCount; ++i) {
                const DS_Frame* frame = part.frames ? part.frames[i] : nullptr;
                if (!frame) continue;
                // The second round draws the faces the first one culled.
                const bool counterClockwise = frame->frontFace == (round == 0);
                states.Keep(context->SetWorld(device, frame->combined));
                states.Render(D3DRS_CULLMODE, counterClockwise ? D3DCULL_CCW : D3DCULL_CW);
                states.Keep(DrawIndexed(device, mesh, mesh.TriangleCount()));
            }
        }
    }
    states.Render(D3DRS_CULLMODE, D3DCULL_NONE);
    states.Render(D3DRS_ALPHABLENDENABLE, FALSE);
    return states.Result();
}

HRESULT DS_2D_Light::DrawSpriteArray(const SpriteArrayDraw& sprites)
{
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!Ready(device, context) || !sprites.geometry) return E_FAIL;
    const DS_IndexedMesh<DX_V::PCT>& geometry = *sprites.geometry;
    // Never more triangles than the index buffer holds.
    const UINT triangles = std::min<UINT>(2 * std::min<UINT>(sprites.spriteCount, DS_IndexedMesh<DX_V::PCT>::kMaxQuads),
                                          geometry.TriangleCount());
    StateWriter states(device);
    states.Keep(context->Apply(device));
    states.Keep(context->SetWorld(device, geometry.combined));
    states.Render(D3DRS_CULLMODE, D3DCULL_NONE);
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    const bool blended = sprites.secondTexture || sprites.blendMode == 0;
    states.Render(D3DRS_DESTBLEND, blended ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);
    states.Texture(0, sprites.frameTexture);
    states.Keep(Bind(device, geometry));
    if (SUCCEEDED(states.Result())) {
        states.Keep(DrawIndexed(device, geometry, triangles));
        if (sprites.secondTexture) {
            states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            states.Texture(0, sprites.secondTexture);
            if (sprites.blendMode == 1) states.Render(D3DRS_DESTBLEND, D3DBLEND_ONE);
            states.Keep(DrawIndexed(device, geometry, triangles));
        }
    }
    states.Render(D3DRS_ALPHABLENDENABLE, FALSE);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    return states.Result();
}

HRESULT DS_2D_Light::DrawMeshList(const TexturedPNTMesh& mesh)
{
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!Ready(device, context)) return E_FAIL;
    StateWriter states(device);
    states.Keep(context->Apply(device));
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
    TexturedMeshStage(states);
    states.Texture(0, mesh.Texture());
    states.Keep(Bind(device, mesh));
    if (SUCCEEDED(states.Result())) {
        for (const DS_Frame* child : mesh.children) {
            if (!child) continue;
            states.Keep(context->SetWorld(device, child->combined));
            states.Render(D3DRS_CULLMODE, D3DCULL_CCW);
            states.Keep(DrawIndexed(device, mesh, mesh.TriangleCount()));
            states.Render(D3DRS_CULLMODE, D3DCULL_CW);
            states.Keep(DrawIndexed(device, mesh, mesh.TriangleCount()));
        }
    }
    states.Render(D3DRS_CULLMODE, D3DCULL_NONE);
    states.Render(D3DRS_ALPHABLENDENABLE, FALSE);
    return states.Result();
}

HRESULT DS_2D_Light::DrawAlphaTested(AlphaTestedGrid& grid, int32_t value)
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return E_FAIL;
    grid.Prepare(value);
    const DS_IndexedMesh<PT>& mesh = grid.GridMesh();
    StateWriter states(device);
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
    states.Render(D3DRS_CULLMODE, D3DCULL_NONE);
    states.Render(D3DRS_ZENABLE, FALSE);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    states.Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    states.Render(D3DRS_TEXTUREFACTOR, 0xFFFFFFFF);
    states.Texture(0, grid.GridTexture());
    states.Keep(Bind(device, mesh));
    if (SUCCEEDED(states.Result())) states.Keep(DrawIndexed(device, mesh, mesh.TriangleCount()));
    states.Stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    states.Stage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    states.Render(D3DRS_ALPHABLENDENABLE, FALSE);
    states.Stage(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    return states.Result();
}

// ---- the layer ----

int32_t DS_2D_Light::PictureWidth() const
{
    return static_cast<int32_t>(picture_.Entry().width);
}

int32_t DS_2D_Light::PictureHeight() const
{
    return static_cast<int32_t>(picture_.Entry().height);
}

void DS_2D_Light::RestoreDeviceObjects()
{
    FillScreenQuad();
    LoadPictureTexture();
    BindBorderTextures();
}

void DS_2D_Light::ResetDeviceState()
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return;
    StateWriter states(device);
    states.Render(D3DRS_ZENABLE, FALSE);
    states.Render(D3DRS_ZWRITEENABLE, FALSE);
    states.Render(D3DRS_LIGHTING, FALSE);
    states.Sampler(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    states.Sampler(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    states.Sampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
    states.Sampler(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
    // Net effect of the stage states: stage 0 outputs the texture colour,
    // stage 1 is off.
    states.Stage(1, D3DTSS_TEXCOORDINDEX, 1);
    states.Stage(0, D3DTSS_TEXCOORDINDEX, 0);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    states.Stage(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    states.Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    FinishDeviceStateReset();
}

void DS_2D_Light::FinishDeviceStateReset()
{
    if (DS_DocResManager* manager = CurrentDocResManager()) manager->OnResetDevice();
    BackBufferSize backBuffer;
    if (QueryBackBufferSize(CurrentDevice(), backBuffer)) {
        chain_.Resize(static_cast<uint32_t>(backBuffer.width), static_cast<uint32_t>(backBuffer.height));
    }
    BindBorderTextures();
}

void DS_2D_Light::InvalidateDeviceObjects()
{
    chain_.OnLostDevice();
    inChain_ = false;
    sceneTexture_.Reset();
}

void DS_2D_Light::DrawBorders(bool skip)
{
    if (skip) return;
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (Ready(device, context)) context->DrawBorders(device);
}

void DS_2D_Light::RenderBackground(bool noClear)
{
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!Ready(device, context)) return;
    StateWriter states(device);
    states.Keep(context->Apply(device));
    states.Keep(context->SetWorld(device, picture_.combined));
    // Colour only: a chain target has no depth surface, and a clear that
    // names one fails as a whole.
    if (!noClear) states.Keep(device->Clear(0, nullptr, D3DCLEAR_TARGET, kBackgroundClear, 1.0f, 0));
    // An empty picture (size 0) has nothing to draw; the frame goes on.
    if (!picture_.HasPicture() || !picture_.VertexBuffer()) return;
    states.Texture(0, picture_.Texture());
    states.Keep(picture_.BindStream(device));
    if (SUCCEEDED(states.Result())) CountFullScreen(CountDraw(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)));
}

void DS_2D_Light::FrameMove(float t)
{
    camera_.Update(t, CurrentRenderContext());
}

void DS_2D_Light::Resize(int32_t w, int32_t h)
{
    if (!toTarget_) {
        width_ = w;
        height_ = h;
    }
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!Ready(device, context)) return;
    const float fw = static_cast<float>(width_);
    const float fh = static_cast<float>(height_);
    context->Setup(device, PictureWidth(), PictureHeight(), fw, fh, context->Mode(), toTarget_);
    BackBufferSize backBuffer{fw, fh};
    QueryBackBufferSize(device, backBuffer);
    ScreenQuad fitted;
    fitted.FitPicture(static_cast<float>(PictureWidth()), static_cast<float>(PictureHeight()), fw, fh);
    fitted.ScaleToBackBuffer(fw, fh, backBuffer);
    context->SetViewMetrics(PictureHeight(), fitted, fw, fh, PictureWidth(), backBuffer);
}

void DS_2D_Light::SetPicturePosition(int32_t mode)
{
    pictureMode_ = mode;
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (Ready(device, context)) {
        context->Setup(device, PictureWidth(), PictureHeight(), static_cast<float>(width_), static_cast<float>(height_),
                       mode, false);
    }
    Resize(width_, height_);
}

int32_t DS_2D_Light::LayerQueryA(int32_t, int32_t, int32_t)
{
    return 0;
}

int32_t DS_2D_Light::LayerQueryB(int32_t)
{
    return 0;
}

bool DS_2D_Light::LayerFlagA()
{
    return false;
}

bool DS_2D_Light::LayerFlagB()
{
    return true;
}

bool DS_2D_Light::IsCameraDriftOn() const
{
    return camera_.driftMode == DSM_Camera::kDriftMode;
}

HRESULT DS_2D_Light::DrawScreenVertices(const DS_SimpleMesh<TP>* quad)
{
    if (!quad || !quad->VertexBuffer()) return S_FALSE;
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return E_FAIL;
    // Every state the blend relies on is set here: objects drawn before the
    // overlay leave the stages and blend factors as they like.
    StateWriter states(device);
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    states.Render(D3DRS_ZENABLE, FALSE);
    states.Render(D3DRS_CULLMODE, D3DCULL_NONE);
    states.Stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    states.Stage(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    states.Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    states.Stage(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    states.Keep(quad->BindStream(device));
    if (SUCCEEDED(states.Result())) states.Keep(CountFullScreen(DrawStrip(device, *quad)));
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    return states.Result();
}

HRESULT DS_2D_Light::DrawTexturedQuadBlended(const DS_TexturedMesh<TPC>& quad)
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device || !quad.VertexBuffer()) return E_FAIL;
    StateWriter states(device);
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    states.Render(D3DRS_ZENABLE, FALSE);
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    states.Texture(0, quad.Texture());
    states.Keep(quad.BindStream(device));
    if (SUCCEEDED(states.Result())) states.Keep(DrawStrip(device, quad));
    states.Stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    return states.Result();
}

void DS_2D_Light::RenderObjects(std::vector<CountedPtr<DS_ABObj>>& objects, int32_t n)
{
    const ComPtr<IDirect3DTexture9> pictureTexture(picture_.Texture());
    sceneTexture_ = pictureTexture;
    for (size_t i = objects.size(); i-- > 0;) {
        DS_ABObj* object = objects[i].Get();
        if (!object) continue;
        if (object->NeedsSceneTexture()) {
            --n;
            if (inChain_) {
                IDirect3DTexture9* drawnSoFar = n > 0 ? chain_.Flip() : FinalRenderTarget(false).Current();
                sceneTexture_ = ComPtr<IDirect3DTexture9>(drawnSoFar);
            }
            // Without a chain the frame is drawn straight to the back
            // buffer and the object samples the picture.
        }
        if (object->IsEnabled()) object->Render(this);
        sceneTexture_ = pictureTexture;
    }
}

void DS_2D_Light::BeginFrame()
{
    RenderContext* context = CurrentRenderContext();
    if (context) pictureMode_ = context->Mode();
    // After a device reset the chain has no textures until the next
    // ResetDeviceState; the frame then goes straight to the back buffer.
    inChain_ = chain_.Begin(chain_);
    if (!inChain_ || !context) return;
    context->Setup(CurrentDevice(), PictureWidth(), PictureHeight(), static_cast<float>(width_),
                   static_cast<float>(height_), RenderContext::kToTarget, false);
}

IDirect3DTexture9* DS_2D_Light::NextRenderTarget()
{
    return inChain_ ? chain_.Flip() : nullptr;
}

RenderTargetChain& DS_2D_Light::FinalRenderTarget(bool clear)
{
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (Ready(device, context)) {
        context->Setup(device, PictureWidth(), PictureHeight(), static_cast<float>(width_), static_cast<float>(height_),
                       pictureMode_, false);
    }
    chain_.End();
    inChain_ = false;
    if (clear && device) device->Clear(0, nullptr, D3DCLEAR_TARGET, kOpaqueBlack, 1.0f, 0);
    return chain_;
}

bool DS_2D_Light::NeedsSceneTexture() const
{
    return false;
}

void DS_2D_Light::OnPictureChanged()
{
    LoadPictureTexture();
    Resize(width_, height_);
}

bool DS_2D_Light::ResetCamera()
{
    const bool wasOn = camera_.driftMode == DSM_Camera::kDriftMode;
    camera_.ResetDrift();
    return wasOn;
}

HRESULT DS_2D_Light::FillScreenQuad()
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device) return E_FAIL;
    return picture_.FillBuffer(device);
}

void DS_2D_Light::LoadPictureTexture()
{
    TextureEntry entry;
    if (DS_DocResManager* manager = CurrentDocResManager()) entry.FromSet(manager->GetTextureSet(pictureLink_));
    picture_.SetTexture(entry);
}

void DS_2D_Light::BindPictureLink()
{
    auto* listener =
        pictureListeners_.Add(std::make_unique<DS_FunLightCtrl2<DS_2D_Light>>(&DS_2D_Light::OnPictureChanged, this));
    listener->Attach(&pictureLink_);
}

void DS_2D_Light::BindBorderTextures()
{
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!Ready(device, context)) return;
    TextureEntry border;
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        border.FromSet(manager->GetTextureSet(FileLinkValue{camera_.borderPath, camera_.borderStamp}));
    }
    context->SetBorderTextures(device, border.texture.Get());
}

HRESULT DrawPCMeshBlended(const DS_SimpleMesh<PC>& quad)
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device || !quad.VertexBuffer()) return E_FAIL;
    StateWriter states(device);
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    states.Stage(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    states.Keep(quad.BindStream(device));
    if (SUCCEEDED(states.Result())) states.Keep(DrawStrip(device, quad));
    states.Stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    return states.Result();
}
