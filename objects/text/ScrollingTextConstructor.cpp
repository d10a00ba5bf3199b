#include "objects/text/ScrollingTextConstructor.h"

#include <algorithm>

#include "engine/render/RenderTargetChain.h"
#include "engine/resources/CurrentScene.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/SpriteInstance.h"

namespace {

float Fraction(float x)
{
    return x - static_cast<float>(static_cast<int64_t>(x));
}

}  // namespace

float DS_ScrollingTextConstructor::ShiftOf(float offset)
{
    const float f = Fraction(offset);
    return f > 0.0f ? 3.0f * f - 1.0f : 3.0f * f + 1.0f;
}

void DS_ScrollingTextConstructor::FitTexture()
{
    if (!target_ || !font_) return;
    RECT measured = {0, 0, static_cast<LONG>(target_->Width()), static_cast<LONG>(target_->Height())};
    font_->DrawTextW(fontSprite_.Get(), text.GetValue().c_str(), -1, &measured, flags_ | DT_CALCRECT, 0xFFFFFFFF);
    const uint32_t width = static_cast<uint32_t>(std::max<LONG>(measured.right - measured.left, 0));
    const uint32_t height = static_cast<uint32_t>(std::max<LONG>(measured.bottom - measured.top, 0));
    const uint32_t fitWidth = ClampSide(std::max(width, boxWidth.GetValue()));
    const uint32_t fitHeight = ClampSide(std::max(height, boxHeight.GetValue()));
    if (fitWidth > 0 && fitHeight > 0) target_->Resize(fitWidth, fitHeight);
}

void DS_ScrollingTextConstructor::LoadEffect()
{
    DS_StaticTextConstructor::LoadEffect();
    DS_DocResManager* manager = CurrentDocResManager();
    target_ = manager ? manager->GetRenderTarget(key_) : nullptr;
    UpdateFont();
    FitTexture();
    UpdateFlags();
}

void DS_ScrollingTextConstructor::UpdateSprite(SpriteInstance& sprite)
{
    DS_StaticTextConstructor::UpdateSprite(sprite);
    if (TimeLine().GetPhase() == DS_TimeLineControl::kInvisible) {
        offset1_ = 0.0f;
        offset2_ = 0.0f;
    } else if (scrollTime.GetValue() > 0) {
        // A scroll time of 0 does not scroll (the step would be infinite).
        const float step = SpeedStep() / static_cast<float>(scrollTime.GetValue());
        switch (direction.GetValue()) {
        case 0: offset1_ += step; break;
        case 1: offset1_ -= step; break;
        case 2: offset2_ += step; break;
        case 3: offset2_ -= step; break;
        default: break;
        }
    }
    if (direction.GetValue() < 2) {
        shift_[0] = 0.0f;
        shift_[1] = ShiftOf(offset1_);
    } else {
        shift_[0] = ShiftOf(offset2_);
        shift_[1] = 0.0f;
    }
    // The box-sized part of the (possibly larger) text target.
    if (target_ && target_->Width() > 0 && target_->Height() > 0) {
        sprite.uStart = 0.0f;
        sprite.uEnd = static_cast<float>(ClampSide(boxWidth.GetValue())) / static_cast<float>(target_->Width());
        sprite.vStart = 0.0f;
        sprite.vEnd = static_cast<float>(ClampSide(boxHeight.GetValue())) / static_cast<float>(target_->Height());
    }
    sprite.PackColor(*this);
}

void DS_ScrollingTextConstructor::SetEffectParams(DS_ABRender* service)
{
    ID3DXEffect* effect = Effect();
    if (!service || !effect || !DrawTextTarget(*service)) return;
    effect->SetTechnique("ScrollText");
    effect->SetFloatArray("Shift", shift_, 2);
    effect->SetTexture("Texture1", target_->Current());
}

void DS_ScrollingTextConstructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_ScrollingTextConstructor::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteUInt(scrollTime.GetValue());
    ar->archive->WriteInt32(direction.GetValue());
    DS_StaticTextConstructor::WriteBody(ar);
}

bool DS_ScrollingTextConstructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    uint32_t time = 0;
    int32_t way = 0;
    ar->archive->ReadUInt(time);
    ar->archive->ReadInt32(way);
    if (ar->Failed()) return false;
    scrollTime.StoreValue(time);
    direction.StoreValue(way);
    const int32_t staticVersion = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return DS_StaticTextConstructor::ReadFields(ar, staticVersion);
}
