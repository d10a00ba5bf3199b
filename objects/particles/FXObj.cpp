#include "objects/particles/FXObj.h"

#include "engine/scene/ABRender.h"
#include "objects/particles/StatBaseFXCtrl.h"

DS_FXObj::DS_FXObj(DS_StatBaseFXCtrl* clone) : DS_ABObj(clone), item_(clone)
{
    if (!item_) return;
    SetItem(item_);
    HookCount(item_->count);
    item_->LoadEffect();
}

DS_FXObj::~DS_FXObj()
{
    // The geometry's listener leaves the clone's count before DS_ABObj
    // deletes the clone.
    ReleaseListeners();
}

void DS_FXObj::Render(DS_ABRender* service)
{
    if (!service || !item_ || !item_->Effect()) return;
    item_->SetEffectParams(service);
    service->DrawMeshWithEffect(*this, item_->Effect());
}

void DS_FXObj::Update(float localTime)
{
    if (!item_) return;
    ParticleGeomArray::Update(localTime);
    Fill();
}
