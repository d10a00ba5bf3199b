// Small matrix builders for the 3D controllers, in the order of the D3DX
// utility library: Product(a, b) = a x b with row vectors, so a acts first.
#pragma once

#include <d3dx9math.h>

#include "engine/params/Random.h"

namespace frame_matrices {

// Degrees as the controllers keep them to radians (pi = 3.1415927).
inline float Radians(float degrees)
{
    return degrees * 2.0f * kPi / 360.0f;
}

inline D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    D3DXMATRIX out;
    D3DXMatrixMultiply(&out, &a, &b);
    return out;
}

inline D3DXMATRIX RotationX(float radians)
{
    D3DXMATRIX m;
    D3DXMatrixRotationX(&m, radians);
    return m;
}

inline D3DXMATRIX RotationY(float radians)
{
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, radians);
    return m;
}

inline D3DXMATRIX RotationZ(float radians)
{
    D3DXMATRIX m;
    D3DXMatrixRotationZ(&m, radians);
    return m;
}

inline D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

inline D3DXMATRIX Scaling(float x, float y, float z)
{
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, x, y, z);
    return m;
}

inline D3DXMATRIX Scaling(float s)
{
    return Scaling(s, s, s);
}

}  // namespace frame_matrices
