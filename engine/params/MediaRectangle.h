// A rectangle of four edge parameters in picture pixels plus two further
// integers whose meaning each owner gives (a fixed point, an offset).
#pragma once

#include "engine/params/MediaParam.h"

class MediaRectangle : public MediaParam {
public:
    MediaRectangle() = default;
    // Copies the four edges and the two further integers (not the listeners).
    MediaRectangle(const MediaRectangle& other);
    // Copies the edges, refreshing each edge's undo cache without telling the
    // other listeners, then the two further integers.
    MediaRectangle& operator=(const MediaRectangle& other);

    MediaParamT<int> left;
    MediaParamT<int> right;
    MediaParamT<int> top;
    MediaParamT<int> bottom;
    MediaParamTB<int> extraX;
    MediaParamTB<int> extraY;

    // Bounds test of a point already in view coordinates (picture pixels):
    // left <= x <= right and top <= y <= bottom, both bounds inclusive,
    // compared as floats.
    bool ContainsViewPoint(float x, float y) const;
    // Takes a point of the view (window pixels) to picture pixels. The
    // renderer supplies it (ViewPointToPicture in engine/render/ViewMetrics.h),
    // so that parameters need not know how the picture is placed.
    using ViewConversion = void (*)(float x, float y, float& pictureX, float& pictureY);
    // Whether a point of the view (x, y) lies in the rectangle: converted to
    // picture pixels by toPicture, then ContainsViewPoint.
    bool Contains(float x, float y, ViewConversion toPicture) const;

    // Six int32: left, right, top, bottom, extraX, extraY. Reading stores the
    // values directly, without notification; a failed read keeps the values
    // not yet read.
    void Read(const DS_IOF_Archive& ar);
    void Write(const DS_IOF_Archive& ar) const;
};
