#include "effects/lights/FakeUndervater.h"

#include <memory>

void FakeUndervater::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    underwater_.Write(ar);
    DS_2D_Light::WriteBody(ar);
}

bool FakeUndervater::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    if (version == kSpeedOnlyVersion) {
        uint32_t speed = 0;
        ar->archive->ReadUInt(speed);
        if (ar->Failed()) return false;
        underwater_.speed.SetValue(speed);
        underwater_.speed.SetValue(speed / 2);
    } else {
        std::unique_ptr<DS_UnderwaterFX> stored = DS_UnderwaterFX::ReadRecord(ar);
        if (!stored) return false;
        underwater_ = *stored;
    }
    return DS_2D_Light::ReadBody(ar);
}

void FakeUndervater::RestoreDeviceObjects()
{
    DS_2D_Light::RestoreDeviceObjects();
    // No mask: the wobble covers the whole picture. The entry is ours and
    // goes with this scope.
    DS_FX_Constructor::MaskEntry noMask;
    underwater_.Init(noMask);
}

void FakeUndervater::FrameMove(float t)
{
    DS_2D_Light::FrameMove(t);
    underwater_.Update(t);
}

void FakeUndervater::DrawBorders(bool skip)
{
    if (InChain()) {
        RenderTargetChain& chain = FinalRenderTarget(false);
        sceneTexture_ = ComPtr<IDirect3DTexture9>(chain.Current());
        if (sceneTexture_) underwater_.Render(this);
    }
    DS_2D_Light::DrawBorders(skip);
}
