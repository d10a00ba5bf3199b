#include "engine/params/MediaDirection.h"

#include "engine/params/Random.h"

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
    D3DXMATRIX rotation;
    D3DXMatrixRotationZ(&rotation, DegreesToRadians(static_cast<float>(GetValue())));
    const D3DXVECTOR4 unitX(1.0f, 0.0f, 0.0f, 0.0f);
    const D3DXVECTOR4 unitY(0.0f, 1.0f, 0.0f, 0.0f);
    D3DXVec4Transform(&firstAxis_, &unitX, &rotation);
    D3DXVec4Transform(&secondAxis_, &unitY, &rotation);
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
