#include "objects/sprites/ParticleSystemCtrl.h"

#include <memory>

#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "objects/sprites/SpriteArrayObj.h"

void DS_ParticleSystemCtrl::LoadTextures()
{
    if (!imageLink.GetPath().empty()) return;
    DS_DocResManager* manager = CurrentDocResManager();
    if (!manager) return;
    std::unique_ptr<DS_ImageFileLink> link;
    manager->MakeSequenceLink(link, legacyBlobs, legacyDurations);
    if (link) imageLink.StoreValue(link->GetValue());
    if (legacySecond.id != 0) {
        std::unique_ptr<DS_ImageFileLink> second;
        manager->MakeImageLink(legacySecond, second);
        if (second) secondImageLink.StoreValue(second->GetValue());
    }
    legacyDurations.clear();
    legacyBlobs.clear();
}

DS_ABObj* DS_ParticleSystemCtrl::CreateSpriteArrayObject()
{
    LoadTextures();
    return new DS_SpriteArrayObj(Clone());
}
