// The underwater picture layer: draws the slide like the plain layer, then
// redraws the finished scene through an underwater wobble (an underwater
// brush held as a member, without a mask). The class name is spelt as
// documents store it.
#pragma once

#include "effects/brushes/UnderwaterFX.h"
#include "engine/scene/Light2D.h"

class FakeUndervater : public DS_2D_Light {
public:
    static constexpr const wchar_t* kClassName = L"FakeUndervater";
    static constexpr int32_t kVersion = 2;
    // Version 1 stored only the wobble's speed, as twice the value used.
    static constexpr int32_t kSpeedOnlyVersion = 1;

    FakeUndervater() = default;

    // "FakeUndervater" header, the member's whole record, then the
    // "DS_2D_Light" record.
    void Write(DS_IOF_Archive* ar) override;
    // Version 1: a uint speed, halved; any other: a "DS_UnderwaterFX"
    // record assigned to the member. Then the "DS_2D_Light" record. False
    // when the data ran out.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // The base restore, then the member's effect (no mask).
    void RestoreDeviceObjects() override;
    // The camera, then the wobble's clock.
    void FrameMove(float t) override;
    // Ends the render-target chain and draws the finished scene through the
    // wobble, then the borders unless skip. A frame drawn without the chain
    // (no chain textures after a device reset) has no finished scene to
    // wobble: only the borders are drawn then.
    void DrawBorders(bool skip) override;
    // Always: the wobble needs the finished scene.
    bool NeedsSceneTexture() const override { return true; }

    DS_UnderwaterFX& Underwater() { return underwater_; }
    const DS_UnderwaterFX& Underwater() const { return underwater_; }

private:
    DS_UnderwaterFX underwater_;
};
