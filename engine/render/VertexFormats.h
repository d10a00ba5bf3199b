// Fixed vertex layouts of the scene geometry. Each is bound to its own FVF
// code and stream stride; the layouts are stored in vertex buffers as they
// stand, so their sizes are fixed.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <cstdint>

namespace DX_V {

// Position, diffuse colour, one texture coordinate pair.
struct PCT {
    float x, y, z;
    uint32_t color;
    float u, v;
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
    static constexpr UINT kStride = 24;
};

// Pre-transformed position, diffuse colour, one texture coordinate pair.
struct TPC {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
    static constexpr DWORD kFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
    static constexpr UINT kStride = 28;
};

// Pre-transformed position and diffuse colour, no texture coordinates.
struct TP {
    float x, y, z, rhw;
    uint32_t color;
    static constexpr DWORD kFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
    static constexpr UINT kStride = 20;
};

// Position and diffuse colour.
struct PC {
    float x, y, z;
    uint32_t color;
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE;
    static constexpr UINT kStride = 16;
};

// Position and one texture coordinate pair.
struct PT {
    float x, y, z;
    float u, v;
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_TEX1;
    static constexpr UINT kStride = 20;
};

// Position, normal, one texture coordinate pair (the 3D objects' meshes).
struct PNT {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
    static constexpr UINT kStride = 32;
};

// Position and two texture coordinate pairs: the picture layer's
// two-texture draw.
struct PT2 {
    float x, y, z;
    float u0, v0;
    float u1, v1;
    static constexpr DWORD kFVF = D3DFVF_XYZ | D3DFVF_TEX2;
    static constexpr UINT kStride = 28;
};

static_assert(sizeof(PCT) == PCT::kStride && PCT::kFVF == 0x142, "PCT layout");
static_assert(sizeof(TPC) == TPC::kStride && TPC::kFVF == 0x144, "TPC layout");
static_assert(sizeof(TP) == TP::kStride && TP::kFVF == 0x44, "TP layout");
static_assert(sizeof(PC) == PC::kStride && PC::kFVF == 0x42, "PC layout");
static_assert(sizeof(PT) == PT::kStride && PT::kFVF == 0x102, "PT layout");
static_assert(sizeof(PNT) == PNT::kStride && PNT::kFVF == 0x112, "PNT layout");
static_assert(sizeof(PT2) == PT2::kStride && PT2::kFVF == 0x202, "PT2 layout");

}  // namespace DX_V

// The scene code names every layout but PCT without its namespace.
using DX_V::PC;
using DX_V::PNT;
using DX_V::PT;
using DX_V::PT2;
using DX_V::TP;
using DX_V::TPC;
