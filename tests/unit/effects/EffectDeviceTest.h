// The effect tests' fixture: the test device with a 64 x 64 A8R8G8B8
// render target (the effects write alpha, which the back buffer lacks),
// compiled effects of the build, pictures uploaded as textures, a
// full-target draw with an effect's technique and a comparison of sample
// pixels with a reference computation.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/resources/EffectBytes.h"
#include "unit/BuildFiles.h"
#include "unit/D3DTestDevice.h"
#include "unit/effects/ReferenceImage.h"

namespace effecttest {

constexpr UINT kTargetSize = 64;
constexpr double kTolerance = 4.0 / 255.0;

inline void SetFloats(ID3DXEffect* effect, const char* name, const std::vector<float>& data)
{
    const HRESULT hr = data.size() == 1 ? effect->SetFloat(name, data[0])
                                        : effect->SetFloatArray(name, data.data(), UINT(data.size()));
    EXPECT_EQ(hr, D3D_OK) << name;
}

inline void SetTexture(ID3DXEffect* effect, const char* name, IDirect3DTexture9* texture)
{
    ASSERT_NE(texture, nullptr) << name;
    EXPECT_EQ(effect->SetTexture(name, texture), D3D_OK) << name;
}

class EffectDeviceTest : public D3DTestDevice {
protected:
    void SetUp() override
    {
        D3DTestDevice::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(SUCCEEDED(Device()->CreateRenderTarget(kTargetSize, kTargetSize, D3DFMT_A8R8G8B8,
                                                           D3DMULTISAMPLE_NONE, 0, FALSE,
                                                           target_.ReleaseAndGetAddressOf(), nullptr)));
        ASSERT_TRUE(SUCCEEDED(Device()->SetRenderTarget(0, target_.Get())));
    }

    void TearDown() override
    {
        target_.Reset();
        D3DTestDevice::TearDown();
    }

    // The effect compiled into the build's fx folder as stem, made on the
    // device; null (with a failure) when it is missing or does not load.
    ComPtr<ID3DXEffect> Load(const char* stem)
    {
        const std::vector<uint8_t> bytes = ReadBuiltEffect(stem);
        EXPECT_FALSE(bytes.empty()) << stem << ".fxo is missing from the build";
        EXPECT_TRUE(IsWellFormedEffect(bytes.data(), bytes.size()));
        ComPtr<ID3DXEffect> effect;
        const HRESULT hr = D3DXCreateEffect(Device(), bytes.data(), UINT(bytes.size()), nullptr, nullptr, 0, nullptr,
                                            effect.ReleaseAndGetAddressOf(), nullptr);
        EXPECT_EQ(hr, D3D_OK) << stem;
        return effect;
    }

    ComPtr<IDirect3DTexture9> Upload(const Image& image)
    {
        return MakeTexture(UINT(image.width), UINT(image.height),
                           [&image](UINT x, UINT y) { return image.argb[size_t(y) * image.width + x]; });
    }

    // Clears the target, draws a full-target quad with every pass of the
    // technique and reads the target back as ARGB words.
    std::vector<uint32_t> Draw(ID3DXEffect* effect, const char* technique, D3DCOLOR clear)
    {
        struct Vertex {
            float x, y, z, rhw, u, v;
        };
        const float e = kTargetSize - 0.5f;
        const Vertex quad[4] = {
            {-0.5f, -0.5f, 0, 1, 0, 0}, {e, -0.5f, 0, 1, 1, 0}, {-0.5f, e, 0, 1, 0, 1}, {e, e, 0, 1, 1, 1}};
        return DrawStrip(effect, technique, clear, D3DFVF_XYZRHW | D3DFVF_TEX1, quad);
    }

    // Clears the target, draws the four vertices as a strip of two triangles
    // with every pass of the technique and reads the target back.
    template <typename Vertex>
    std::vector<uint32_t> DrawStrip(ID3DXEffect* effect, const char* technique, D3DCOLOR clear, DWORD fvf,
                                    const Vertex (&quad)[4])
    {
        EXPECT_EQ(effect->SetTechnique(technique), D3D_OK) << technique;
        // The "Noise" technique blends with the factors already set: these.
        EXPECT_EQ(Device()->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), D3D_OK);
        EXPECT_EQ(Device()->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
        EXPECT_EQ(Device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
        EXPECT_EQ(Device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), D3D_OK);
        EXPECT_EQ(Device()->SetFVF(fvf), D3D_OK);
        EXPECT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET, clear, 1.0f, 0), D3D_OK);
        if (FAILED(Device()->BeginScene())) return {};
        UINT passes = 0;
        EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK) << technique;
        EXPECT_EQ(passes, 1u) << technique;
        for (UINT p = 0; p < passes; ++p) {
            EXPECT_EQ(effect->BeginPass(p), D3D_OK);
            EXPECT_EQ(Device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
            EXPECT_EQ(effect->EndPass(), D3D_OK);
        }
        if (passes) effect->End();
        EXPECT_EQ(Device()->EndScene(), D3D_OK);
        return ReadRenderTarget(target_.Get());
    }

    // Compares a grid of sample pixels with the reference (u, v) -> colour;
    // `blendOver` set means the draw blended with source alpha over it.
    void ExpectPixels(const std::vector<uint32_t>& pixels, const std::function<Rgba(double, double)>& reference,
                      const Rgba* blendOver, bool checkAlpha)
    {
        ASSERT_EQ(pixels.size(), size_t(kTargetSize * kTargetSize));
        int failures = 0;
        for (UINT y = 3; y < kTargetSize; y += 7)
            for (UINT x = 2; x < kTargetSize; x += 7) {
                Rgba want = reference((x + 0.5) / kTargetSize, (y + 0.5) / kTargetSize);
                want = {std::clamp(want.r, 0.0, 1.0), std::clamp(want.g, 0.0, 1.0), std::clamp(want.b, 0.0, 1.0),
                        std::clamp(want.a, 0.0, 1.0)};
                if (blendOver) {
                    const double a = want.a;
                    want = {want.r * a + blendOver->r * (1 - a), want.g * a + blendOver->g * (1 - a),
                            want.b * a + blendOver->b * (1 - a), a * a + blendOver->a * (1 - a)};
                }
                const Rgba got = Unpack(pixels[y * kTargetSize + x]);
                const bool ok = std::fabs(got.r - want.r) <= kTolerance && std::fabs(got.g - want.g) <= kTolerance &&
                                std::fabs(got.b - want.b) <= kTolerance &&
                                (!checkAlpha || std::fabs(got.a - want.a) <= kTolerance);
                if (!ok && ++failures <= 8)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << "): got " << got.r << " " << got.g << " " << got.b
                                  << " " << got.a << ", want " << want.r << " " << want.g << " " << want.b << " "
                                  << want.a;
            }
        EXPECT_EQ(failures, 0);
    }

    void ExpectNames(ID3DXEffect* effect, const std::vector<const char*>& techniques,
                     const std::vector<const char*>& parameters)
    {
        for (const char* name : techniques) {
            D3DXHANDLE technique = effect->GetTechniqueByName(name);
            ASSERT_NE(technique, nullptr) << name;
            EXPECT_NE(effect->GetPassByName(technique, "P0"), nullptr) << name;
        }
        for (const char* name : parameters) EXPECT_NE(effect->GetParameterByName(nullptr, name), nullptr) << name;
    }

    // IsParameterUsed for each technique: `used` lists the names its pass reads.
    void ExpectUsed(ID3DXEffect* effect, const char* technique, const std::vector<const char*>& all,
                    const std::vector<const char*>& used)
    {
        D3DXHANDLE handle = effect->GetTechniqueByName(technique);
        ASSERT_NE(handle, nullptr) << technique;
        for (const char* name : all) {
            const bool wanted = std::find_if(used.begin(), used.end(),
                                             [name](const char* u) { return std::strcmp(u, name) == 0; }) != used.end();
            EXPECT_EQ(effect->IsParameterUsed(name, handle) != FALSE, wanted) << technique << " " << name;
        }
    }

    ComPtr<IDirect3DSurface9> target_;
};

}  // namespace effecttest
