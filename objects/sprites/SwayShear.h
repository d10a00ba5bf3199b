// The shear that leans a sprite's second axis: the cotangent of the angle
// between the axis and the horizontal, used by the god rays (their slant)
// and by grass and flowers (their sway).
#pragma once

#include <cstdint>

class DS_BaseSpriteProp;

// The largest lean, in picture pixels across per pixel up: where the tangent
// vanishes (a ray angle of 0 or 180, a sway of 90 degrees or more) the
// cotangent would be infinite and the quad's corners infinite or NaN.
constexpr float kMaxShear = 10.0f;

// 1 / tan(radians), clamped to [-kMaxShear, kMaxShear]; NaN gives 0.
float ClampedShear(float radians);

// The shear of a swaying blade: t = (180 - (s x amplitude + 90)) degrees,
// then ClampedShear(t), with s the sine of the sway phase.
float SwayShear(float s, float amplitudeDegrees);

// Grass and flowers: the time line's opacity dims them only in speed mode 1
// (otherwise their local time follows the opacity); argb unchanged else.
uint32_t SwayModulateAlpha(DS_BaseSpriteProp& item, uint32_t argb);
