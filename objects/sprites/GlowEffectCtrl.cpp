#include "objects/sprites/GlowEffectCtrl.h"

#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "objects/sprites/GlowingObj.h"

namespace {

// The current texture of the link's set; none for a link without a path
// (an empty second image link names no picture at all).
ComPtr<IDirect3DTexture9> LinkTexture(DS_DocResManager& manager, const DS_ImageFileLink& link)
{
    if (link.GetPath().empty()) return {};
    return ComPtr<IDirect3DTexture9>(manager.GetTextureSet(link).CurrentTexture());
}

}  // namespace

DS_GlowEffectCtrl::DS_GlowEffectCtrl() = default;

DS_ABObj* DS_GlowEffectCtrl::CreateObject()
{
    return new DS_GlowingObj(static_cast<DS_GlowEffectCtrl*>(Clone()));
}

void DS_GlowEffectCtrl::LoadEffect()
{
    DS_FXParticleSystemCtrl::LoadEffect();
    LoadLinkTextures();
}

void DS_GlowEffectCtrl::SetEffectParams() {}

void DS_GlowEffectCtrl::LoadLinkTextures()
{
    DS_DocResManager* manager = CurrentDocResManager();
    if (!manager) {
        glowTexture_.Reset();
        spriteTexture_.Reset();
        return;
    }
    glowTexture_ = LinkTexture(*manager, secondImageLink);
    spriteTexture_ = LinkTexture(*manager, imageLink);
}

void DS_GlowEffectCtrl::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteInt(static_cast<int32_t>(glowColor.GetValue()));
    intensity.Write(*ar);
    DS_FXParticleSystemCtrl::WriteBody(ar);
}

bool DS_GlowEffectCtrl::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    int32_t colour = 0;
    ar->archive->ReadInt(colour);
    if (ar->Failed()) return false;
    glowColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(colour)));
    intensity.Read(*ar);
    if (ar->Failed()) return false;
    return DS_FXParticleSystemCtrl::ReadBody(ar);
}
