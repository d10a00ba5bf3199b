// Angles in degrees: a direction with two unit axes, and a direction with a
// spread (a sector) that yields random unit vectors inside it.
#pragma once

#include "engine/params/MediaParam.h"

// The axes are (1, 0, 0, 0) and (0, 1, 0, 0) turned about Z by the angle,
// computed when the parameter is constructed (or copied) and not when the
// angle changes later: owners read the angle and work on copies, whose axes
// are then right.
class MediaDirection : public MediaParamT<unsigned> {
public:
    explicit MediaDirection(unsigned degrees = 0);
    MediaDirection(const MediaDirection& other);

    const D3DXVECTOR4& FirstAxis() const { return firstAxis_; }
    const D3DXVECTOR4& SecondAxis() const { return secondAxis_; }
    // The first axis of a direction of the angle, for callers inside a
    // frame: a parameter made for it would allocate its listener list.
    static D3DXVECTOR4 FirstAxisOf(unsigned degrees);

private:
    void ComputeAxes();

    D3DXVECTOR4 firstAxis_;
    D3DXVECTOR4 secondAxis_;
};

// Direction (this parameter's value) and spread, both in degrees. Owners
// store both as uint fields of their own records.
class MediaSector : public MediaParamT<unsigned> {
public:
    explicit MediaSector(unsigned directionDegrees = 0, unsigned spreadDegrees = 0);
    MediaSector(const MediaSector& other) = default;

    // A unit vector at direction + an offset in [-spread, spread] degrees,
    // measured clockwise: (cos theta, sin theta, 0) with
    // theta = (360 - angle) x pi / 180. Draws one random number.
    D3DXVECTOR3 RandomDirection() const;

    MediaParamT<unsigned> spread;
};
