#include "objects/text/StaticTextConstructor.h"

#include <algorithm>
#include <cstdlib>

#include "engine/archive/ArchiveValues.h"
#include "engine/render/RenderContext.h"
#include "engine/render/RenderTargetChain.h"
#include "engine/resources/CurrentScene.h"
#include "engine/scene/ABRender.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/SpriteInstance.h"

namespace {

constexpr unsigned long kDefaultColor = 0x000000FF;  // 0x00BBGGRR: red
constexpr int32_t kSpeedModeOne = 1;
// The ground the text is drawn on: white, fully transparent, so the glyph
// edges blend towards white rather than black.
constexpr D3DCOLOR kTextGround = 0x00FFFFFF;
constexpr D3DCOLOR kTextColor = 0xFFFFFFFF;
constexpr unsigned kMillisecondsPerHundredth = 10;

}  // namespace

DS_StaticTextConstructor::DS_StaticTextConstructor()
{
    color.SetValue(kDefaultColor);
    TimeLine().speedMode = kSpeedModeOne;
    key_.guid = FreshGuid();
    key_.flag = true;
}

uint32_t DS_StaticTextConstructor::ClampSide(uint32_t side)
{
    return std::min(side, kMaxTargetSide);
}

void DS_StaticTextConstructor::UpdateFlags()
{
    flags_ = 0;
    switch (horizontalAlignment.GetValue()) {
    case 1: flags_ = DT_CENTER; break;
    case 2: flags_ = DT_RIGHT; break;
    default: flags_ = DT_LEFT; break;
    }
    if (verticalAlignment.GetValue() == 1) flags_ |= DT_VCENTER;
    if (verticalAlignment.GetValue() == 2) flags_ |= DT_BOTTOM;
}

void DS_StaticTextConstructor::UpdateFont()
{
    DS_DocResManager* manager = CurrentDocResManager();
    font_.Reset();
    fontSprite_.Reset();
    if (!manager) return;
    // A font taller than any texture would only fail to draw; a height of
    // INT32_MIN has no magnitude to keep, so it is clamped like the rest.
    FontMediaParam kept = font;
    const int32_t limit = static_cast<int32_t>(kMaxTargetSide);
    kept.height = std::max(-limit, std::min(kept.height, limit));
    font_ = manager->GetFont(key_, kept);
    if (font_) fontSprite_ = manager->GetFontSprite(key_);
}

void DS_StaticTextConstructor::LoadEffect()
{
    DS_StatBaseFXCtrl::LoadEffect();
    DS_DocResManager* manager = CurrentDocResManager();
    target_ = manager ? manager->GetRenderTarget(key_) : nullptr;
    UpdateFont();
    const uint32_t width = ClampSide(boxWidth.GetValue());
    const uint32_t height = ClampSide(boxHeight.GetValue());
    if (target_ && width > 0 && height > 0) target_->Resize(width, height);
    UpdateFlags();
}

void DS_StaticTextConstructor::UpdateSprite(SpriteInstance& sprite)
{
    sprite.position = position.GetValue();
    sprite.halfWidth = static_cast<float>(ClampSide(boxWidth.GetValue())) * 0.5f;
    sprite.halfHeight = static_cast<float>(ClampSide(boxHeight.GetValue())) * 0.5f;
    sprite.PackColor(*this);
}

bool DS_StaticTextConstructor::DrawTextTarget(DS_ABRender& service)
{
    // A box of no width or height shows nothing: its target was never made
    // at that size and any texture rectangle would divide by 0.
    if (!target_ || !target_->IsReady() || boxWidth.GetValue() == 0 || boxHeight.GetValue() == 0) return false;
    IDirect3DDevice9* device = CurrentDevice();
    if (!device || !target_->Begin(*target_)) return false;
    service.PushRenderTarget(*target_, RenderContext::kToTarget);
    // The chain has no depth surface: a z or stencil flag would fail the clear.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, kTextGround, 1.0f, 0);
    if (font_ && !text.GetValue().empty()) {
        RECT area = {0, 0, static_cast<LONG>(target_->Width()), static_cast<LONG>(target_->Height())};
        const bool batched = fontSprite_ && SUCCEEDED(fontSprite_->Begin(D3DXSPRITE_ALPHABLEND));
        font_->DrawTextW(batched ? fontSprite_.Get() : nullptr, text.GetValue().c_str(), -1, &area, flags_,
                         kTextColor);
        if (batched) fontSprite_->End();
    }
    target_->End();
    service.PopRenderTarget();
    return true;
}

void DS_StaticTextConstructor::SetEffectParams(DS_ABRender* service)
{
    ID3DXEffect* effect = Effect();
    if (!service || !effect || !DrawTextTarget(*service)) return;
    effect->SetTechnique("Common");
    effect->SetTexture("Texture1", target_->Current());
}

void DS_StaticTextConstructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_StaticTextConstructor::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteInt32(verticalAlignment.GetValue());
    ar->archive->WriteInt32(horizontalAlignment.GetValue());
    ar->archive->WriteString(text.GetValue());
    ar->archive->WriteInt32(font.height);
    ar->archive->WriteUInt(static_cast<uint32_t>(font.weight));
    ar->archive->WriteInt32(font.italic);
    ar->archive->WriteString(font.faceName);
    DS_StatBaseFXCtrl::WriteBody(ar);
}

bool DS_StaticTextConstructor::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    int32_t vertical = 0, horizontal = 0, height = 0, italic = 0;
    uint32_t weight = 0;
    ds_string storedText, face;
    ar->archive->ReadInt32(vertical);
    ar->archive->ReadInt32(horizontal);
    ar->archive->ReadString(storedText);
    ar->archive->ReadInt32(height);
    ar->archive->ReadUInt(weight);
    ar->archive->ReadInt32(italic);
    ar->archive->ReadString(face);
    // fade-in, fade-out, show time, pause
    uint32_t old[4] = {0, 0, 0, 0};
    const bool hasOldDurations = version < kTimeLineVersion;
    if (hasOldDurations) {
        for (uint32_t& duration : old) ar->archive->ReadUInt(duration);
    }
    if (ar->Failed()) return false;
    verticalAlignment.StoreValue(vertical);
    horizontalAlignment.StoreValue(horizontal);
    text.StoreValue(storedText);
    font.height = height;
    font.weight = static_cast<int32_t>(weight);
    font.italic = italic;
    font.faceName = face;
    if (!DS_StatBaseFXCtrl::ReadBody(ar)) return false;
    if (hasOldDurations) {
        DS_TimeLineControl& line = TimeLine();
        if (old[2] == 0) {
            line.mode = DS_TimeLineControl::kAlwaysVisible;
        } else {
            line.invisible.maximum.SetValue(old[3] / kMillisecondsPerHundredth);
            line.invisible.minimum.SetValue(old[3] / kMillisecondsPerHundredth);
            line.visible.maximum.SetValue(old[2] / kMillisecondsPerHundredth);
            line.visible.minimum.SetValue(old[2] / kMillisecondsPerHundredth);
            line.fadeIn = old[0] / kMillisecondsPerHundredth;
            line.fadeOut = old[1] / kMillisecondsPerHundredth;
        }
    }
    return true;
}
