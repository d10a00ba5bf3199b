// The shear that leans a sprite's second axis: the cotangent of the angle
// between the axis and the horizontal, used by the god rays (their slant)
// and by grass and flowers (their sway).
#pragma once

#include <cstdint>

class DS_BaseSpriteProp;

// Where the tangent vanishes (a ray angle of 0 or 180 degrees, a sway of
// exactly 90) the cotangent is infinite and the quad's corners would be
// infinite or NaN. A tangent smaller than kVanishingTangent counts as
// vanished; the lean is then kMaxShear pixels across per pixel up, with the
// tangent's sign, as far as any angle outside that band leans.
constexpr float kVanishingTangent = 1.0e-4f;
constexpr float kMaxShear = 1.0f / kVanishingTangent;

// 1 / tan(radians); +-kMaxShear where the tangent vanishes; 0 for a NaN or
// infinite angle.
float ClampedShear(float radians);

// The shear of a swaying blade: t = (180 - (s x amplitude + 90)) degrees,
// then ClampedShear(t), with s the sine of the sway phase.
float SwayShear(float s, float amplitudeDegrees);

// Grass and flowers: the time line's opacity dims them only in speed mode 1
// (otherwise their local time follows the opacity); argb unchanged else.
uint32_t SwayModulateAlpha(DS_BaseSpriteProp& item, uint32_t argb);
