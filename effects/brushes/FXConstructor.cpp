#include "effects/brushes/FXConstructor.h"

#include <objbase.h>

#include <vector>

#include "engine/archive/ArchiveValues.h"
#include "engine/render/GridIndexBuffer.h"
#include "engine/render/RenderContext.h"
#include "engine/render/TextureUtil.h"
#include "engine/render/ViewMetrics.h"
#include "engine/resources/CurrentScene.h"
#include "engine/scene/Light2D.h"
#include "engine/scene/TimeLineControl.h"

namespace {

constexpr unsigned kDefaultScale = 50;
constexpr float kScaleFactor = 0.02f;

}  // namespace

void DS_FX_Constructor::CopyScaled(UINTSclaleTo<float>& target, const UINTSclaleTo<float>& source)
{
    target.SetScale(source.GetScale());
    target.SetOffset(source.GetOffset());
    target.SetValue(source.GetValue());
}

void DS_FX_Constructor::PictureSize(const DS_ABRender* service, float& width, float& height)
{
    if (const auto* layer = dynamic_cast<const DS_2D_Light*>(service)) {
        width = static_cast<float>(layer->PictureWidth());
        height = static_cast<float>(layer->PictureHeight());
        return;
    }
    const ViewMetrics& metrics = ViewMetrics::Instance();
    width = static_cast<float>(metrics.pictureWidth);
    height = static_cast<float>(metrics.pictureHeight);
}

// ---- BrushGridMesh ----

void BrushGridMesh::AttachIndices(IDirect3DIndexBuffer9* buffer, UINT triangleCount)
{
    UnlockIndices();
    indexBuffer_ = ComPtr<IDirect3DIndexBuffer9>(buffer);
    triangleCount_ = buffer ? triangleCount : 0;
    primitiveType_ = D3DPT_TRIANGLELIST;
    primitiveCount_ = triangleCount_;
}

// ---- DS_FX_Constructor ----

DS_FX_Constructor::DS_FX_Constructor() : speed(0, 1.0f, 0.0f), scale(kDefaultScale, kScaleFactor, 0.0f)
{
    maskKey.guid = FreshGuid();
    maskKey.flag = true;
}

DS_FX_Constructor::DS_FX_Constructor(const DS_FX_Constructor& other)
    : DS_ABObj_Constructor(other),
      speed(other.speed),
      fullScreen(other.fullScreen),
      effectLink(other.effectLink),
      scale(other.scale),
      quad(other.quad),
      extraInt(other.extraInt),
      maskKey(other.maskKey),
      mask_(other.mask_),
      effect_(other.effect_),
      grid_(other.grid_),
      gridColumns_(other.gridColumns_),
      gridRows_(other.gridRows_)
{
}

DS_FX_Constructor& DS_FX_Constructor::operator=(const DS_FX_Constructor& other)
{
    if (this == &other) return *this;
    SetName(other.Name());
    TimeLine().CopySettingsFrom(other.TimeLine());

    speed.SetScale(other.speed.GetScale());
    speed.SetOffset(other.speed.GetOffset());
    speed.SetValue(other.speed.GetValue());
    speed.CopyClockFrom(other.speed);
    fullScreen.SetValue(other.fullScreen.GetValue());
    effectLink.StoreValue(other.effectLink.GetValue());
    CopyScaled(scale, other.scale);
    for (int k = 0; k < MediaQuad::kCornerCount; ++k) quad.Corner(k).StoreValue(other.quad.Corner(k).GetValue());
    extraInt.StoreValue(other.extraInt.GetValue());
    maskKey = other.maskKey;
    mask_ = other.mask_;
    effect_ = other.effect_;
    grid_ = other.grid_;
    gridColumns_ = other.gridColumns_;
    gridRows_ = other.gridRows_;
    return *this;
}

DS_FX_Constructor::~DS_FX_Constructor() = default;

void DS_FX_Constructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

DS_ABObj* DS_FX_Constructor::CreateObject()
{
    return new DS_BrushObj(Clone());
}

void DS_FX_Constructor::NewGuid()
{
    mask_.Reset();
    maskKey.guid = FreshGuid();
    maskKey.name.clear();
    maskKey.flag = true;
}

void DS_FX_Constructor::Init(MaskEntry& mask)
{
    ComPtr<ID3DXEffect> effect;
    if (DS_DocResManager* manager = CurrentDocResManager()) effect = manager->GetEffect(effectLink);
    effect_ = effect;
    SetMask(mask);
}

void DS_FX_Constructor::BuildGeometry()
{
    const float wv = ViewWidth();
    const float hv = ViewHeight();
    float uv[MediaQuad::kCornerCount][2];
    for (int k = 0; k < MediaQuad::kCornerCount; ++k) {
        const D3DXVECTOR3& c = quad.Corner(k).GetValue();
        uv[k][0] = c.x / wv;
        uv[k][1] = c.y / hv;
    }
    FillGridFromQuad(uv);
}

void DS_FX_Constructor::FillGridFromQuad(const float (&uv)[MediaQuad::kCornerCount][2])
{
    float corners[MediaQuad::kCornerCount][5];
    for (int k = 0; k < MediaQuad::kCornerCount; ++k) {
        const D3DXVECTOR3& c = quad.Corner(k).GetValue();
        corners[k][0] = c.x;
        corners[k][1] = c.y;
        corners[k][2] = c.z;
        corners[k][3] = uv[k][0];
        corners[k][4] = uv[k][1];
    }
    // Without a grid (BuildGrid failed) there is nothing to fill.
    if (grid_.Lock()) {
        grid_.FillGrid(corners, gridColumns_, gridRows_);
        grid_.Unlock();
    }
}

void DS_FX_Constructor::Update(float t)
{
    speed.Update(t);
}

void DS_FX_Constructor::SetMask(MaskEntry& mask)
{
    if (mask.Get() == mask_.Get()) return;
    mask_ = mask;
}

// ---- shared draws ----

float DS_FX_Constructor::PictureAspect(const DS_ABRender* service)
{
    float width = 0.0f, height = 0.0f;
    PictureSize(service, width, height);
    if (width <= 0.0f || height <= 0.0f) return 1.0f;
    return width / height;
}

void DS_FX_Constructor::SetTechnique(const char* name) const
{
    if (effect_) effect_->SetTechnique(name);
}

void DS_FX_Constructor::SetFloat(const char* name, float value) const
{
    if (effect_) effect_->SetFloat(name, value);
}

void DS_FX_Constructor::SetFloats(const char* name, std::initializer_list<float> values) const
{
    if (effect_) effect_->SetFloatArray(name, values.begin(), static_cast<UINT>(values.size()));
}

void DS_FX_Constructor::SetTexture(const char* name, IDirect3DBaseTexture9* texture) const
{
    if (effect_) effect_->SetTexture(name, texture);
}

void DS_FX_Constructor::SetColor(const char* name, unsigned long color) const
{
    const float red = static_cast<float>(color & 0xFFu) / 255.0f;
    const float green = static_cast<float>((color >> 8) & 0xFFu) / 255.0f;
    const float blue = static_cast<float>((color >> 16) & 0xFFu) / 255.0f;
    SetFloats(name, {red, green, blue});
}

void DS_FX_Constructor::SetMaskAndBackground(DS_ABRender* service) const
{
    SetTexture("Mask", mask_.Get());
    SetTexture("Background", service ? service->GetSceneTexture().Get() : nullptr);
}

HRESULT DS_FX_Constructor::CopySceneToTarget(DS_ABRender* service) const
{
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!device || !context || !service) return E_FAIL;
    IDirect3DTexture9* scene = service->GetSceneTexture().Get();
    if (!scene) return E_FAIL;
    const DS_TexturedMesh<PT>& quad = service->GetScreenQuad();
    // Every state the copy relies on is set here: the previous draw may have
    // been an effect pass that left shaders and blending behind.
    HRESULT hr = device->SetVertexShader(nullptr);
    if (SUCCEEDED(hr)) hr = device->SetPixelShader(nullptr);
    if (SUCCEEDED(hr)) hr = context->SetWorld(device, quad.combined);
    if (SUCCEEDED(hr)) hr = device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    if (SUCCEEDED(hr)) hr = device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (SUCCEEDED(hr)) hr = device->SetRenderState(D3DRS_LIGHTING, FALSE);
    if (SUCCEEDED(hr)) hr = device->SetTexture(0, scene);
    if (SUCCEEDED(hr)) hr = device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    if (SUCCEEDED(hr)) hr = device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    if (SUCCEEDED(hr)) hr = device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    if (SUCCEEDED(hr)) hr = device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    if (SUCCEEDED(hr)) hr = device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    if (SUCCEEDED(hr)) hr = quad.BindStream(device);
    if (SUCCEEDED(hr) && quad.PrimitiveCount() > 0) {
        hr = device->DrawPrimitive(quad.PrimitiveType(), 0, quad.PrimitiveCount());
    }
    return hr;
}

void DS_FX_Constructor::RenderCommon(DS_ABRender* service)
{
    if (!effect_ || !service) return;
    const float a = PictureAspect(service);
    const float s = scale.GetDerived();
    SetTechnique(fullScreen.GetValue() != 0 ? "MainFX" : "Main");
    SetFloats("Scale", {a / s, 1.0f / s});
    SetMaskAndBackground(service);
    // A draw that fails leaves the target as it was (RenderKeepingScene
    // puts the scene into a flagged brush's own target): the frame goes on
    // without this brush, so the result is not needed.
    DrawPictureQuad(service);
}

void DS_FX_Constructor::SetCommonParams(DS_ABRender* service)
{
    if (!effect_ || !service) return;
    const float a = PictureAspect(service);
    const float s = scale.GetDerived();
    SetFloats("Scale", {a / s, 1.0f / s, s / a, s});
    SetMaskAndBackground(service);
    SetTechnique(fullScreen.GetValue() != 0 ? "MainFX" : "Main");
}

// Like RenderCommon, a failed draw only leaves the brush out of the frame.
void DS_FX_Constructor::RenderMesh(DS_ABRender* service)
{
    if (!effect_ || !service) return;
    if (fullScreen.GetValue() == 0) {
        SetTechnique("Main");
        DrawGrid(service);
    } else {
        SetTechnique("MainFX");
        DrawPictureQuad(service);
    }
}

HRESULT DS_FX_Constructor::DrawPictureQuad(DS_ABRender* service)
{
    if (!effect_ || !service) return E_FAIL;
    return NoteDraw(service->DrawWithEffect(service->GetScreenQuad(), effect_.Get()));
}

HRESULT DS_FX_Constructor::NoteDraw(HRESULT hr)
{
    if (SUCCEEDED(hr)) drew_ = true;
    return hr;
}

void DS_FX_Constructor::RenderKeepingScene(DS_ABRender* service)
{
    drew_ = false;
    Render(service);
    // Nothing more can be done when the copy fails too.
    if (fullScreen.GetValue() != 0 && !drew_) CopySceneToTarget(service);
}

HRESULT DS_FX_Constructor::DrawGrid(DS_ABRender* service)
{
    if (!effect_ || !service) return E_FAIL;
    // The grid lies in picture pixels like the picture quad: place it with
    // the picture's own matrix rather than inherit the world transform of
    // whatever object drew before.
    IDirect3DDevice9* device = CurrentDevice();
    RenderContext* context = CurrentRenderContext();
    if (!device || !context) return E_FAIL;
    const HRESULT hr = context->SetWorld(device, service->GetScreenQuad().combined);
    if (FAILED(hr)) return hr;
    return NoteDraw(service->DrawIndexedWithEffect(grid_, effect_.Get()));
}

HRESULT DS_FX_Constructor::BuildGrid(UINT columns, UINT rows)
{
    gridColumns_ = columns;
    gridRows_ = rows;
    grid_.ReleaseBuffers();
    const uint64_t vertices = (uint64_t(columns) + 1) * (uint64_t(rows) + 1);
    if (vertices > 65536) return E_INVALIDARG;
    IDirect3DDevice9* device = CurrentDevice();
    HRESULT hr = grid_.CreateVertexBuffer(device, static_cast<UINT>(vertices));
    if (FAILED(hr)) return hr;
    GridIndexBuffer indices;
    hr = indices.Create(device, columns + 1, rows + 1);
    if (FAILED(hr)) {
        grid_.ReleaseBuffers();
        return hr;
    }
    grid_.AttachIndices(indices.Buffer(), indices.TriangleCount());
    return S_OK;
}

float DS_FX_Constructor::ViewWidth()
{
    const int32_t side = ViewMetrics::Instance().pictureWidth;
    return side > 0 ? static_cast<float>(side) : 1.0f;
}

float DS_FX_Constructor::ViewHeight()
{
    const int32_t side = ViewMetrics::Instance().pictureHeight;
    return side > 0 ? static_cast<float>(side) : 1.0f;
}

float DS_FX_Constructor::Fade() const
{
    return TimeLine().GetAlpha();
}

// ---- record ----

void DS_FX_Constructor::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
}

void DS_FX_Constructor::WriteFields(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    DS_DocResManager* manager = CurrentDocResManager();
    if (manager && mask_) {
        ComPtr<IDirect3DTexture9> copy;
        if (SUCCEEDED(
                CopyTexture(manager->Device(), kMaskCopySize, kMaskCopySize, D3DFMT_UNKNOWN, mask_.Get(), copy)) &&
            copy) {
            manager->Store().maskTextures[maskKey] = copy;
        }
    }
    DS_IOF_Virtual& out = *ar->archive;
    speed.Write(*ar);
    out.WriteInt32(fullScreen.GetValue());
    WriteGuid(maskKey.guid, ar);
    out.WriteString(maskKey.name);
    out.WriteBool(maskKey.flag);
    effectLink.Write(*ar);
    scale.Write(*ar);
    quad.Write(*ar);
    out.WriteInt32(extraInt.GetValue());
    DS_ABObj_Constructor::WriteBody(ar);
}

bool DS_FX_Constructor::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return ReadFields(ar, version);
}

bool DS_FX_Constructor::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    // Versions compare as unsigned numbers: a negative one reads as newest.
    const uint32_t stored = static_cast<uint32_t>(version);
    DS_IOF_Virtual& in = *ar->archive;
    speed.Read(*ar);
    int32_t flag = 0;
    in.ReadInt32(flag);
    GuidResourceKey key;
    ReadGuid(key.guid, ar);
    in.ReadString(key.name);
    in.ReadBool(key.flag);
    DS_HLSLEffectFile link;
    link.Read(*ar);
    if (ar->Failed()) return false;
    fullScreen.StoreValue(flag);
    maskKey = key;
    effectLink.StoreValue(link.GetValue());
    if (stored >= kScaleVersion) scale.Read(*ar);
    if (stored >= kQuadVersion) {
        quad.Read(*ar);
        int32_t extra = 0;
        in.ReadInt32(extra);
        if (ar->Failed()) return false;
        extraInt.StoreValue(extra);
    }
    if (ar->Failed()) return false;
    return DS_ABObj_Constructor::ReadBody(ar);
}

// ---- DS_BrushObj ----

DS_BrushObj::DS_BrushObj(DS_FX_Constructor* brush) : DS_ABObj(brush), brush_(brush)
{
    if (!brush_) return;
    // Without a resource manager there is no mask map: the brush gets an
    // entry that holds no texture, as for a key the map does not know.
    DS_FX_Constructor::MaskEntry none;
    DS_FX_Constructor::MaskEntry* entry = &none;
    if (DS_DocResManager* manager = CurrentDocResManager()) entry = &manager->Store().maskTextures[brush_->maskKey];
    brush_->Init(*entry);
}

void DS_BrushObj::Render(DS_ABRender* service)
{
    if (brush_) brush_->RenderKeepingScene(service);
}

void DS_BrushObj::ForwardInt(int32_t a, int32_t)
{
    if (brush_) brush_->IntHook(a);
}

bool DS_BrushObj::NeedsSceneTexture() const
{
    return brush_ && brush_->fullScreen.GetValue() != 0 && IsEnabled();
}

void DS_BrushObj::Update(float localTime)
{
    if (brush_) brush_->Update(localTime);
}
