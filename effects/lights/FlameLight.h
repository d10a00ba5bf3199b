// The flame picture layer: draws the slide's picture like the plain layer,
// lays a band of moving flames (a fire brush held as a member, drawn with
// its effect's "AsEffect" technique on the layer's own quad) over the lower
// part of the picture, and once the slide's objects are drawn redraws the
// finished scene through a heat-haze distortion.
#pragma once

#include <cstdint>

#include "effects/brushes/FireFX.h"
#include "effects/lights/BumpDistortion.h"
#include "engine/scene/Light2D.h"

class DS_FlameLight : public DS_2D_Light {
public:
    static constexpr const wchar_t* kClassName = L"DS_FlameLight";
    static constexpr int32_t kVersion = 2;
    // Version 1 stored the fire's speed after the flame offset and two
    // links in place of the fire's record.
    static constexpr int32_t kSpeedOnlyVersion = 1;
    static constexpr int32_t kFlamePatternId = 7;
    static constexpr int32_t kFlameNoiseId = 8;
    // The band's height as a share of the picture height, and how far one
    // unit of the flame offset moves it down.
    static constexpr float kBandShare = 0.65f;
    static constexpr float kOffsetShare = 0.005f;
    // The flame texture's v at the band's bottom edge.
    static constexpr float kBandBottomV = 0.95f;

    // Fire and distortion on, offset 0; the fire takes the flame pattern
    // and noise pictures of the library.
    DS_FlameLight();

    // "DS_FlameLight" version 2: the flags, the offset, the distortion's
    // links and settings, the fire's whole record, then "DS_2D_Light".
    void Write(DS_IOF_Archive* ar) override;
    // The fields for the stored version, then the "DS_2D_Light" record.
    // False when the data ran out or a nested record cannot be read.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // The base restore, the flame quad, the distortion (its flag becomes 0
    // for good when there is no distortion effect), OnPictureChanged and
    // the fire's effect and pictures.
    void RestoreDeviceObjects() override;
    // The layer's own device states, the layout resized, then the steps
    // every layer shares (resource manager reset, chain sized to the back
    // buffer, border textures bound).
    void ResetDeviceState() override;
    // Always clears (whatever noClear says), draws the picture, then the
    // flames when the fire flag is set.
    void RenderBackground(bool noClear) override;
    // With the distortion on and a frame drawn into the chain: ends the
    // chain and draws the finished scene through the distortion. A frame
    // drawn straight to the back buffer (no chain textures after a device
    // reset) has nothing to distort. Then the borders unless skip, culling
    // off and blending on.
    void DrawBorders(bool skip) override;
    // The fire's clock, the camera, then the distortion's clock.
    void FrameMove(float t) override;
    // The distortion needs the finished scene whenever its flag is set; the
    // same test decides whether DrawBorders runs the pass.
    bool NeedsSceneTexture() const override { return distortionFlag.GetValue() != 0; }
    // The picture, the layout, the distortion quad and the flame band.
    void OnPictureChanged() override;

    // The band in picture pixels (y down): bottom = H (1 + 0.005 k), top =
    // bottom - 0.65 H for picture height H and flame offset k.
    static void FlameBand(float pictureHeight, unsigned offset, float& top, float& bottom);

    DS_FireFX& Fire() { return fire_; }
    const DS_FireFX& Fire() const { return fire_; }
    DS_BumpDistortion& Distortion() { return distortion_; }
    const DS_BumpDistortion& Distortion() const { return distortion_; }
    const DS_SimpleMesh<PT>& FlameMesh() const { return flameMesh_; }

    MediaParamT<int> fireFlag{1};
    MediaParamT<int> distortionFlag{1};
    MediaParamT<unsigned> flameOffset{0};

private:
    void PlaceFlameBand();

    DS_FireFX fire_;
    DS_BumpDistortion distortion_;
    DS_SimpleMesh<PT> flameMesh_;
};
