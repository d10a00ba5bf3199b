// The brush kinds built on the direction, centre and direct levels, each
// made with a distinct non-default value in every field, for the tests that
// run over all of them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "effects/brushes/BendFX.h"
#include "effects/brushes/CloudFX.h"
#include "effects/brushes/ExpandFX.h"
#include "effects/brushes/LightFX.h"
#include "effects/brushes/LightFX_II.h"
#include "effects/brushes/MoveFX.h"
#include "effects/brushes/RotationFX.h"
#include "effects/brushes/WavesFX.h"

struct BrushKind {
    std::string name;
    std::wstring className;
    std::function<std::unique_ptr<DS_FX_Constructor>()> make;
    // The kind's own leading fixed-width fields as the record stores them.
    std::vector<int32_t> leading;
};

inline void SetBaseFields(DS_FX_Constructor& brush)
{
    brush.speed.SetValue(7);
    brush.scale.SetValue(60);
    brush.fullScreen.SetValue(1);
    brush.effectLink.StoreValue(FileLinkValue{L"kind effect", 5});
    brush.quad.SetRect(D3DXVECTOR3(100.0f, 80.0f, 0.0f), 40.0f, 30.0f);
}

inline void SetCentre(DS_CentralBased& brush)
{
    brush.center.SetValue(D3DXVECTOR3(10.0f, 20.0f, 30.0f));
}

inline std::vector<BrushKind> AllBrushKinds()
{
    std::vector<BrushKind> kinds;
    kinds.push_back({"Expand",
                     L"DS_ExpandFX",
                     [] {
                         auto b = std::make_unique<DS_ExpandFX>();
                         SetBaseFields(*b);
                         SetCentre(*b);
                         b->outwardAmplitude.SetValue(11);
                         b->inwardAmplitude.SetValue(12);
                         b->waveForm.SetValue(1);
                         return std::unique_ptr<DS_FX_Constructor>(std::move(b));
                     },
                     {11, 12, 1}});
    kinds.push_back({"Rotation",
                     L"DS_RotationFX",
                     [] {
                         auto b = std::make_unique<DS_RotationFX>();
                         SetBaseFields(*b);
                         SetCentre(*b);
                         b->ellipseRatio.SetValue(13);
                         b->ellipseAngle.SetValue(14);
                         b->direction.SetValue(1);
                         return std::unique_ptr<DS_FX_Constructor>(std::move(b));
                     },
                     {13, 14, 1}});
    kinds.push_back({"Bend",
                     L"DS_BendFX",
                     [] {
                         auto b = std::make_unique<DS_BendFX>();
                         SetBaseFields(*b);
                         SetCentre(*b);
                         b->firstBend.SetValue(15);
                         b->secondBend.SetValue(16);
                         b->bendFactor.SetValue(17);
                         b->noiseMode.SetValue(1);
                         return std::unique_ptr<DS_FX_Constructor>(std::move(b));
                     },
                     {15, 16, 17, 1}});
    kinds.push_back({"Move",
                     L"DS_MoveFX",
                     [] {
                         auto b = std::make_unique<DS_MoveFX>();
                         SetBaseFields(*b);
                         b->motion.SetValue(1);
                         b->secondAmplitude.SetValue(18);
                         b->strength.SetValue(19);
                         b->angle.SetValue(20);
                         return std::unique_ptr<DS_FX_Constructor>(std::move(b));
                     },
                     {1, 18}});
    kinds.push_back({"Cloud",
                     L"DS_CloudFX",
                     [] {
                         auto b = std::make_unique<DS_CloudFX>();
                         SetBaseFields(*b);
                         b->firstColor.SetValue(0x010203);
                         b->secondColor.SetValue(0x040506);
                         b->cloudImage.StoreValue(FileLinkValue{L"clouds.png", 1});
                         b->secondImage.StoreValue(FileLinkValue{L"second.png", 2});
                         b->threshold.SetValue(21);
                         b->density.SetValue(22);
                         b->cloud.perspective.SetValue(23);
                         b->cloud.height.SetValue(24);
                         b->cloud.textureOffset.SetValue(25);
                         b->cloud.flip.SetValue(1);
                         b->cloud.fifthValue.SetValue(26);
                         b->cloud.sixthValue.SetValue(27);
                         b->strength.SetValue(28);
                         b->angle.SetValue(29);
                         return std::unique_ptr<DS_FX_Constructor>(std::move(b));
                     },
                     {0x010203, 0x040506}});
    kinds.push_back({"Waves",
                     L"DS_WavesFX",
                     [] {
                         auto b = std::make_unique<DS_WavesFX>();
                         SetBaseFields(*b);
                         b->amplitude.SetValue(30);
                         b->wavelength.SetValue(31);
                         b->angle.SetValue(32);
                         b->crossMode.SetValue(1);
                         return std::unique_ptr<DS_FX_Constructor>(std::move(b));
                     },
                     {30, 31, 32, 1}});
    kinds.push_back({"Light",
                     L"DS_LightFX",
                     [] {
                         auto b = std::make_unique<DS_LightFX>();
                         SetBaseFields(*b);
                         b->brightness.SetValue(33);
                         b->pulseMode.SetValue(2);
                         return std::unique_ptr<DS_FX_Constructor>(std::move(b));
                     },
                     {33, 2}});
    kinds.push_back({"LightII",
                     L"DS_LightFX_II",
                     [] {
                         auto b = std::make_unique<DS_LightFX_II>();
                         SetBaseFields(*b);
                         b->intensity.SetValue(34);
                         b->pulseMode.SetValue(3);
                         b->blendMode.SetValue(2);
                         b->color.SetValue(0x0A0B0C);
                         return std::unique_ptr<DS_FX_Constructor>(std::move(b));
                     },
                     {34, 3, 2, 0x0A0B0C}});
    return kinds;
}

// gtest case names: the kind's name.
struct BrushKindName {
    std::string operator()(const ::testing::TestParamInfo<BrushKind>& info) const { return info.param.name; }
};
