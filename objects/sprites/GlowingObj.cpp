#include "objects/sprites/GlowingObj.h"

#include "engine/archive/ArchiveValues.h"
#include "engine/render/RenderContext.h"
#include "engine/render/RenderTargetChain.h"
#include "engine/resources/CurrentScene.h"
#include "engine/scene/ABRender.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/GlowEffectCtrl.h"

namespace {

// Transparent black: where no sprite glows the target adds nothing.
constexpr D3DCOLOR kClearGlow = 0x00000000;

}  // namespace

DS_GlowingObj::DS_GlowingObj(DS_GlowEffectCtrl* clone) : DS_ABObj(clone), item_(clone)
{
    key_.guid = FreshGuid();
    key_.flag = true;
    if (!item_) return;
    SetItem(item_);
    HookCount(item_->count);
    item_->LoadEffect();
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        chain_ = manager->GetRenderTarget(key_);
        if (chain_) chain_->Resize(kGlowTargetSize, kGlowTargetSize);
    }
}

DS_GlowingObj::~DS_GlowingObj()
{
    // The geometry's listener leaves the clone's count before DS_ABObj
    // deletes the clone.
    ReleaseListeners();
}

bool DS_GlowingObj::NeedsSceneTexture() const
{
    return IsEnabled() && item_ && item_->Effect() && item_->GlowTexture();
}

D3DXVECTOR4 DS_GlowingObj::BlendColor() const
{
    if (!item_) return D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
    const unsigned long colour = item_->glowColor.GetValue();
    const float alpha = item_->TimeLine().GetAlpha() * item_->intensity.GetDerived();
    return D3DXVECTOR4(static_cast<float>(colour & 0xFFu) / 255.0f, static_cast<float>((colour >> 8) & 0xFFu) / 255.0f,
                       static_cast<float>((colour >> 16) & 0xFFu) / 255.0f, alpha);
}

void DS_GlowingObj::Update(float localTime)
{
    if (!item_) return;
    item_->SetEffectParams();
    ParticleGeomArray::Update(localTime);
    Fill();
}

bool DS_GlowingObj::DrawGlowTarget(DS_ABRender& service, ID3DXEffect& effect)
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device || !chain_ || !chain_->Begin(*chain_)) return false;
    service.PushRenderTarget(*chain_, RenderContext::kToTarget);
    // The target has no depth surface: z or stencil flags would make the
    // whole clear fail and the glow would pile up from frame to frame.
    const HRESULT cleared = device->Clear(0, nullptr, D3DCLEAR_TARGET, kClearGlow, 1.0f, 0);
    if (SUCCEEDED(cleared)) service.DrawMeshWithEffect(*this, &effect);
    chain_->End();
    service.PopRenderTarget();
    return SUCCEEDED(cleared);
}

void DS_GlowingObj::Render(DS_ABRender* service)
{
    ID3DXEffect* effect = item_ ? item_->Effect() : nullptr;
    if (!service || !effect) return;
    // Effect results are not checked: a name the effect lacks is no fault.
    if (NeedsSceneTexture()) {
        D3DXVECTOR4 blend = BlendColor();
        effect->SetTexture("Texture1", item_->GlowTexture());
        effect->SetTechnique("Blend_Max");
        const bool glowing = DrawGlowTarget(*service, *effect);
        // Without a glow target the picture area is still redrawn (the
        // layer handed out a cleared target), with nothing laid over it.
        if (!glowing) blend.w = 0.0f;
        effect->SetTechnique(item_->blendMode.GetValue() == 1 ? "Blend_Screen" : "Blend_Normal");
        effect->SetFloatArray("BlendColor", &blend.x, 4);
        effect->SetTexture("Texture1", service->GetSceneTexture().Get());
        effect->SetTexture("Texture2", glowing ? chain_->Current() : nullptr);
        service->DrawWithEffect(service->GetScreenQuad(), effect);
    }
    effect->SetTechnique("Common");
    effect->SetTexture("Texture1", item_->SpriteTexture());
    service->DrawMeshWithEffect(*this, effect);
}
