#include "objects/sprites/FXParticleSystemCtrl.h"

#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"

void DS_FXParticleSystemCtrl::LoadEffect()
{
    DS_DocResManager* manager = CurrentDocResManager();
    effect_ = manager ? manager->GetEffect(effectLink) : ComPtr<ID3DXEffect>();
}

void DS_FXParticleSystemCtrl::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    effectLink.Write(*ar);
    DS_BaseSpriteProp::WriteBody(ar);
}

bool DS_FXParticleSystemCtrl::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    effectLink.Read(*ar);
    if (ar->Failed()) return false;
    return DS_BaseSpriteProp::ReadBody(ar);
}
