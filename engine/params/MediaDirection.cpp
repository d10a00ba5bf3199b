#include "engine/params/MediaDirection.h"

#include "engine/params/Random.h"

namespace {

// (1, 0, 0, 0) and (0, 1, 0, 0) turned about Z by the angle.
void TurnAxes(unsigned degrees, D3DXVECTOR4& first, D3DXVECTOR4& second)
{
    D3DXMATRIX rotation;
    D3DXMatrixRotationZ(&rotation, DegreesToRadians(static_cast<float>(degrees)));
    const D3DXVECTOR4 unitX(1.0f, 0.0f, 0.0f, 0.0f);
    const D3DXVECTOR4 unitY(0.0f, 1.0f, 0.0f, 0.0f);
    D3DXVec4Transform(&first, &unitX, &rotation);
    D3DXVec4Transform(&second, &unitY, &rotation);
}

}  // namespace

MediaDirection::MediaDirection(unsigned degrees) : MediaParamT<unsigned>(degrees)
{
    ComputeAxes();
}

MediaDirection::MediaDirection(const MediaDirection& other) : MediaParamT<unsigned>(other)
{
    ComputeAxes();
}

void MediaDirection::ComputeAxes()
{
    TurnAxes(GetValue(), firstAxis_, secondAxis_);
}

D3DXVECTOR4 MediaDirection::FirstAxisOf(unsigned degrees)
{
    D3DXVECTOR4 first, second;
    TurnAxes(degrees, first, second);
    return first;
}

MediaSector::MediaSector(unsigned directionDegrees, unsigned spreadDegrees)
    : MediaParamT<unsigned>(directionDegrees), spread(spreadDegrees)
{
}

D3DXVECTOR3 MediaSector::RandomDirection() const
{
    const float s = static_cast<float>(spread.GetValue());
    const float r = static_cast<float>(DS_Rand());
    const float angle = static_cast<float>(GetValue()) + (-s + (r / static_cast<float>(kRandMax)) * 2.0f * s);
    const float theta = (360.0f - angle) * kPi / 180.0f;
    D3DXMATRIX rotation;
    D3DXMatrixRotationZ(&rotation, theta);
    const D3DXVECTOR3 unitX(1.0f, 0.0f, 0.0f);
    D3DXVECTOR3 out(0.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&out, &unitX, &rotation);
    return out;
}
