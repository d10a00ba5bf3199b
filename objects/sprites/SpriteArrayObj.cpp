#include "objects/sprites/SpriteArrayObj.h"

#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/ABRender.h"
#include "objects/sprites/ParticleSystemCtrl.h"

DS_SpriteArrayObj::DS_SpriteArrayObj(DS_ParticleSystemCtrl* clone) : DS_ABObj(clone), item_(clone)
{
    if (!item_) return;
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        const TextureFrames& set =
            item_->sequence == 1 ? manager->LoadSequence(item_->imageLink) : manager->GetTextureSet(item_->imageLink);
        SetFrames(set);
        if (!item_->secondImageLink.GetPath().empty()) {
            const TextureFrames& second = manager->GetTextureSet(item_->secondImageLink);
            secondTexture_ = ComPtr<IDirect3DTexture9>(second.CurrentTexture());
        }
    }
    SetItem(item_);
    HookCount(item_->count);
}

DS_SpriteArrayObj::~DS_SpriteArrayObj()
{
    // The geometry's listener leaves the clone's count before DS_ABObj
    // deletes the clone.
    ReleaseListeners();
    secondTexture_.Reset();
}

void DS_SpriteArrayObj::Render(DS_ABRender* service)
{
    if (!service || !item_) return;
    SpriteArrayDraw draw;
    draw.geometry = this;
    draw.frameTexture = FrameTexture();
    draw.secondTexture = secondTexture_.Get();
    draw.blendMode = item_->blendMode.GetValue();
    draw.spriteCount = DrawCount();
    service->DrawSpriteArray(draw);
}

void DS_SpriteArrayObj::ForwardInt(int32_t, int32_t) {}

void DS_SpriteArrayObj::Relayout()
{
    if (item_) item_->UpdatePixelRect();
}

bool DS_SpriteArrayObj::HitTest(POINT* point)
{
    if (!item_ || !point) return false;
    return item_->HitTest(static_cast<float>(point->x), static_cast<float>(point->y));
}

void DS_SpriteArrayObj::Restart()
{
    DS_ABObj::Restart();
    for (const auto& sprite : Instances()) sprite->ResetTimers();
}

void DS_SpriteArrayObj::Update(float localTime)
{
    if (!item_) return;
    ParticleGeomArray::Update(localTime);
    const bool changed = AdvanceFrame(item_->animationSpeed.GetLocalTime());
    if (item_->isStatic.GetValue() == 0 || changed || !QuadsWritten()) Fill();
}
