#include "objects/particles/TexParticleGenerator.h"

#include "engine/archive/ArchiveValues.h"
#include "engine/render/RenderTargetChain.h"
#include "engine/render/ScreenQuad.h"
#include "engine/resources/CurrentScene.h"
#include "engine/scene/ABRender.h"
#include "objects/particles/ParticlesObj.h"

namespace {

// Effect calls whose results are dropped on purpose: a technique or texture
// the document's effect does not declare is not a fault, the draw then
// simply uses what the effect has.
void UseTechnique(ID3DXEffect* effect, const char* name)
{
    effect->SetTechnique(name);
}

void UseTexture(ID3DXEffect* effect, const char* name, IDirect3DBaseTexture9* texture)
{
    effect->SetTexture(name, texture);
}

// A failed clear leaves the previous layer in the target; the frame goes on
// (the next clear tries again), so its result is not acted on.
void ClearTarget(D3DCOLOR color)
{
    if (IDirect3DDevice9* device = CurrentDevice()) {
        const HRESULT hr = device->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0);
        (void)hr;
    }
}

void DrawBuffer(DS_ABRender* service, DS_ParticlesObj* object, size_t i, ID3DXEffect* effect)
{
    const DS_ParticlesObj::QuadMesh* mesh = object->Buffer(i);
    const unsigned quads = object->QuadCount(i);
    if (!mesh || quads == 0 || !mesh->VertexBuffer()) return;
    service->DrawMesh(*mesh, effect, 2 * quads);
}

}  // namespace

DS_TexParticleGenerator::DS_TexParticleGenerator() : blendMode(0), mirrorV(0), mirrorU(0)
{
    resourceKey.guid = FreshGuid();
    resourceKey.flag = true;
}

DS_TexParticleGenerator::DS_TexParticleGenerator(const DS_TexParticleGenerator& other)
    : DS_ParticleGenerator(other),
      imageLinks(other.imageLinks),
      effectLink(other.effectLink),
      color(other.color),
      glowColor(other.glowColor),
      blendMode(other.blendMode),
      mirrorV(other.mirrorV),
      mirrorU(other.mirrorU),
      textureSets(other.textureSets),
      resourceKey(other.resourceKey),
      effect_(other.effect_),
      renderTarget_(other.renderTarget_),
      particlesObject_(other.particlesObject_)
{
}

DS_TexParticleGenerator::~DS_TexParticleGenerator() = default;

void DS_TexParticleGenerator::InitObject(DS_ParticlesObj* object)
{
    particlesObject_ = object;
    DS_DocResManager* manager = CurrentDocResManager();
    if (!manager) return;
    textureSets = manager->GetTextureSetList(imageLinks);
    effect_ = manager->GetEffect(effectLink);
}

void DS_TexParticleGenerator::AcquireRenderTarget()
{
    renderTarget_ = nullptr;
    DS_DocResManager* manager = CurrentDocResManager();
    if (!effect_ || !manager) return;
    RenderTargetChain* chain = manager->GetRenderTarget(resourceKey);
    if (!chain) return;
    BackBufferSize size;
    if (QueryBackBufferSize(CurrentDevice(), size)) {
        const auto w = static_cast<uint32_t>(size.width);
        const auto h = static_cast<uint32_t>(size.height);
        if ((chain->Width() != w || chain->Height() != h || !chain->IsReady()) && FAILED(chain->Resize(w, h))) return;
    }
    renderTarget_ = chain;
}

bool DS_TexParticleGenerator::CanCompose() const
{
    return effect_ && renderTarget_ && renderTarget_->IsReady();
}

bool DS_TexParticleGenerator::NeedsSceneTexture() const
{
    const int32_t mode = blendMode.GetValue();
    return (mode == kBlendScreen || mode == kBlendColorDodge) && CanCompose();
}

IDirect3DTexture9* DS_TexParticleGenerator::CurrentTexture(size_t i) const
{
    return i < textureSets.size() ? textureSets[i].CurrentTexture() : nullptr;
}

void DS_TexParticleGenerator::RenderBlendMask(DS_ABRender* service, DS_TexParticleGenerator* generator,
                                              IDirect3DTexture9* texture, DS_ParticlesObj* object)
{
    if (!service || !generator || !object) return;
    if (generator->CanCompose()) {
        ID3DXEffect* effect = generator->effect_.Get();
        RenderTargetChain& target = *generator->renderTarget_;
        UseTechnique(effect, "BlendMask");
        if (target.Begin(target)) {
            service->PushRenderTarget(target, 3);
            ClearTarget(0x00000000);
            UseTexture(effect, "Texture1", texture);
            DrawBuffer(service, object, 0, effect);
            target.End();
            service->PopRenderTarget();
            ComposeLayer(generator, service);
            return;
        }
    }
    // Plain: alpha-blended straight into the current target.
    if (IDirect3DDevice9* device = CurrentDevice()) {
        if (FAILED(device->SetTexture(0, texture))) return;
    }
    DrawBuffer(service, object, 0, nullptr);
}

void DS_TexParticleGenerator::RenderPlain(DS_ABRender* service, DS_TexParticleGenerator* generator,
                                          DS_ParticlesObj* object)
{
    if (!service || !generator || !object) return;
    IDirect3DTexture9* texture = generator->CurrentTexture(0);
    IDirect3DDevice9* device = CurrentDevice();
    if (!texture || !device || FAILED(device->SetTexture(0, texture))) return;
    DrawBuffer(service, object, 0, generator->effect_.Get());
}

void DS_TexParticleGenerator::RenderJoinMask(DS_TexParticleGenerator* generator, DS_ABRender* service,
                                             DS_ParticlesObj* object)
{
    if (!service || !generator || !object || !generator->CanCompose()) return;
    ID3DXEffect* effect = generator->effect_.Get();
    RenderTargetChain& target = *generator->renderTarget_;
    UseTechnique(effect, "JoinMask");
    if (!target.Begin(target)) return;
    service->PushRenderTarget(target, 3);
    ClearTarget(0x00FFFFFF);  // white with alpha 0
    for (size_t i = 0; i < 2; ++i) {
        UseTexture(effect, "Texture1", generator->CurrentTexture(i));
        DrawBuffer(service, object, i, effect);
    }
    target.End();
    service->PopRenderTarget();
}

void DS_TexParticleGenerator::DrawBufferPlainly(DS_ABRender* service, DS_ParticlesObj* object, size_t i,
                                                IDirect3DTexture9* texture)
{
    IDirect3DDevice9* device = CurrentDevice();
    const DS_ParticlesObj::QuadMesh* buffer = object ? object->Buffer(i) : nullptr;
    if (!service || !device || !buffer || !buffer->VertexBuffer() || object->QuadCount(i) == 0) return;
    if (FAILED(device->SetTexture(0, texture))) return;
    service->DrawMesh(*buffer, nullptr, 2 * object->QuadCount(i));
}

void DS_TexParticleGenerator::RenderGlowLayers(DS_ABRender* service, DS_TexParticleGenerator* generator,
                                               DS_ParticlesObj* object, std::initializer_list<LayerDraw> sharp,
                                               std::initializer_list<LayerDraw> glow)
{
    if (!service || !generator || !object) return;
    RenderTargetChain* target = generator->renderTarget_;
    if (!generator->CanCompose() || !target->Begin(*target)) {
        for (const LayerDraw& draw : glow) DrawBufferPlainly(service, object, draw.buffer, draw.texture);
        for (const LayerDraw& draw : sharp) DrawBufferPlainly(service, object, draw.buffer, draw.texture);
        return;
    }
    ID3DXEffect* effect = generator->effect_.Get();
    UseTechnique(effect, "BlendMask_Max");
    service->PushRenderTarget(*target, 3);
    ClearTarget(0x00000000);
    for (const LayerDraw& draw : sharp) {
        UseTexture(effect, "Texture1", draw.texture);
        DrawBuffer(service, object, draw.buffer, effect);
    }
    // Flip makes the other texture the target and hands back the sharp one.
    IDirect3DTexture9* sharpLayer = target->Flip();
    ClearTarget(0x00000000);
    for (const LayerDraw& draw : glow) {
        UseTexture(effect, "Texture1", draw.texture);
        DrawBuffer(service, object, draw.buffer, effect);
    }
    target->End();
    service->PopRenderTarget();
    UseTechnique(effect, "Main");
    UseTexture(effect, "Texture1", service->GetSceneTexture().Get());
    UseTexture(effect, "Texture2", target->Current());
    UseTexture(effect, "Texture3", sharpLayer);
    service->DrawWithEffect(service->GetScreenQuad(), effect);
}

void DS_TexParticleGenerator::ComposeLayer(DS_TexParticleGenerator* generator, DS_ABRender* service)
{
    if (!service || !generator || !generator->CanCompose()) return;
    ID3DXEffect* effect = generator->effect_.Get();
    IDirect3DTexture9* layer = generator->renderTarget_->Current();
    switch (generator->blendMode.GetValue()) {
        case kBlendScreen:
            UseTechnique(effect, "Blend_ScreenTex");
            UseTexture(effect, "Texture1", service->GetSceneTexture().Get());
            UseTexture(effect, "Texture2", layer);
            break;
        case kBlendColorDodge:
            UseTechnique(effect, "Blend_ColorDodgeTex");
            UseTexture(effect, "Texture1", service->GetSceneTexture().Get());
            UseTexture(effect, "Texture2", layer);
            break;
        case kBlendSum:
            UseTechnique(effect, "Blend_SumTex");
            UseTexture(effect, "Texture1", layer);
            break;
        default:
            // Modes outside 0 to 3 would otherwise draw the sprite picture over
            // the whole picture with whatever was set last: they compose as 0.
            UseTechnique(effect, "CommonTex");
            UseTexture(effect, "Texture1", layer);
            break;
    }
    service->DrawWithEffect(service->GetScreenQuad(), effect);
}

void DS_TexParticleGenerator::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
}

void DS_TexParticleGenerator::WriteFields(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    DS_IOF_Virtual& out = *ar->archive;
    WriteTextureLinks(ar, imageLinks);
    effectLink.Write(*ar);
    out.WriteInt(static_cast<int32_t>(color.GetValue()));
    color.transparency.Write(*ar);
    out.WriteInt(static_cast<int32_t>(glowColor.GetValue()));
    glowColor.transparency.Write(*ar);
    out.WriteInt32(blendMode.GetValue());
    out.WriteInt32(mirrorV.GetValue());
    out.WriteInt32(mirrorU.GetValue());
    DS_ParticleGenerator::WriteBody(ar);
}

bool DS_TexParticleGenerator::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return ReadFields(ar, version);
}

bool DS_TexParticleGenerator::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    const uint32_t stored = static_cast<uint32_t>(version);
    DS_IOF_Virtual& in = *ar->archive;
    if (!ReadImageLinks(ar, imageLinks)) return false;
    DS_HLSLEffectFile link;
    link.Read(*ar);
    int32_t colorValue = 0;
    in.ReadInt(colorValue);
    if (ar->Failed()) return false;
    effectLink.StoreValue(link.GetValue());
    color.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(colorValue)));
    color.transparency.Read(*ar);
    int32_t glowValue = 0;
    in.ReadInt(glowValue);
    if (ar->Failed()) return false;
    glowColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(glowValue)));
    glowColor.transparency.Read(*ar);
    int32_t mode = 0;
    in.ReadInt32(mode);
    int32_t v = 0, u = 0;
    if (stored >= static_cast<uint32_t>(kMirrorVersion)) {
        in.ReadInt32(v);
        in.ReadInt32(u);
    }
    if (ar->Failed()) return false;
    blendMode.SetValue(mode);
    mirrorV.SetValue(v);
    mirrorU.SetValue(u);
    return DS_ParticleGenerator::ReadBody(ar);
}

void WriteTextureLinks(DS_IOF_Archive* ar, const std::vector<DS_ImageFileLink>& links)
{
    DS_DocResManager* manager = CurrentDocResManager();
    ar->archive->WriteInt(static_cast<int32_t>(links.size()));
    for (const DS_ImageFileLink& link : links) {
        if (manager) manager->MarkForSave(link);
        link.Write(*ar);
    }
}

bool ReadImageLinks(DS_IOF_Archive* ar, std::vector<DS_ImageFileLink>& links)
{
    int32_t count = 0;
    if (!ReadListCount(ar, count)) return false;
    for (int32_t i = 0; i < count; ++i) {
        DS_ImageFileLink link;
        if (!ReadImageLink(ar, link)) return false;
        links.push_back(link);
    }
    return true;
}

bool ReadImageLink(DS_IOF_Archive* ar, DS_ImageFileLink& link)
{
    link.Read(*ar);
    return !ar->Failed();
}
