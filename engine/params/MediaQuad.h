// Four 3D corners (object coordinates). Corner 0 and corner 3 span the
// rectangle that the random draws use.
#pragma once

#include "engine/params/MediaParam.h"

class MediaQuad : public MediaParam {
public:
    static constexpr int kCornerCount = 4;

    MediaQuad() = default;
    // Copies the four corner values (not the listeners).
    MediaQuad(const MediaQuad& other);
    MediaQuad& operator=(const MediaQuad&) = delete;

    // index is 0 to 3.
    MediaParamTB<D3DXVECTOR3>& Corner(int index) { return corners_[index]; }
    const MediaParamTB<D3DXVECTOR3>& Corner(int index) const { return corners_[index]; }

    // Axis-aligned rectangle around centre: corner 0 (-w/2, -h/2), 1 (-w/2, +h/2),
    // 2 (+w/2, -h/2), 3 (+w/2, +h/2), all at the centre's z. Stored directly.
    void SetRect(const D3DXVECTOR3& centre, float width, float height);

    // Twelve floats: x, y, z of corner 0, then corners 1, 2, 3. Reading
    // stores directly, without notification; a failed read keeps the
    // values not yet read.
    void Read(const DS_IOF_Archive& ar);
    void Write(const DS_IOF_Archive& ar) const;

private:
    MediaParamTB<D3DXVECTOR3> corners_[kCornerCount];
};
