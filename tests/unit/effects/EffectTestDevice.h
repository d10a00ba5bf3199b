// Test support for the compiled effects: one Direct3D 9 device for a whole
// suite with a 64 x 64 A8R8G8B8 render target, small test pictures, a CPU
// copy of the samplers' bilinear lookup, a full-target draw with an effect's
// technique and a comparison of sample pixels with a reference computation.
// Needs an X display under Wine (./test.sh starts one).
#pragma once

#include <d3d9.h>
#include <d3dx9.h>
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "engine/resources/EffectBytes.h"
#include "unit/QuickTestExit.h"

namespace effecttest {

using Microsoft::WRL::ComPtr;

constexpr UINT kTargetSize = 64;
constexpr double kTolerance = 4.0 / 255.0;
constexpr double kPi = 3.14159265358979;

inline std::vector<uint8_t> ReadEffect(const char* stem)
{
    std::string path = std::string(CORVALLINE_BINARY_DIR) + "/fx/" + stem + ".fxo";
    // Wine 8, 2026-12: the build's Unix path is reached through drive Z:.
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

// The colour of a 32-bit ARGB word, each channel from 0 to 1.
inline Rgba Unpack(uint32_t argb)
{
    return {((argb >> 16) & 255) / 255.0, ((argb >> 8) & 255) / 255.0, (argb & 255) / 255.0, (argb >> 24) / 255.0};
}

enum class Address { Mirror, Wrap };

// A 32-bit ARGB picture and the bilinear lookup that the samplers perform.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;

    static Image Make(int w, int h, const std::function<Rgba(int, int)>& texel)
    {
        Image image{w, h, std::vector<uint32_t>(size_t(w) * h)};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Rgba c = texel(x, y);
                auto byte = [](double v) { return uint32_t(std::clamp(v, 0.0, 255.0) + 0.5); };
                image.argb[size_t(y) * w + x] = byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
            }
        return image;
    }

    Rgba Texel(int x, int y, Address address) const
    {
        auto fold = [address](int i, int n) {
            if (address == Address::Wrap) return ((i % n) + n) % n;
            int m = ((i % (2 * n)) + 2 * n) % (2 * n);
            return m < n ? m : 2 * n - 1 - m;
        };
        return Unpack(argb[size_t(fold(y, height)) * width + fold(x, width)]);
    }

    Rgba Sample(double u, double v, Address address) const
    {
        const double x = u * width - 0.5, y = v * height - 0.5;
        const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
        const double fx = x - x0, fy = y - y0;
        const Rgba c00 = Texel(x0, y0, address), c10 = Texel(x0 + 1, y0, address);
        const Rgba c01 = Texel(x0, y0 + 1, address), c11 = Texel(x0 + 1, y0 + 1, address);
        auto mix = [&](double Rgba::*p) {
            return (c00.*p * (1 - fx) + c10.*p * fx) * (1 - fy) + (c01.*p * (1 - fx) + c11.*p * fx) * fy;
        };
        return {mix(&Rgba::r), mix(&Rgba::g), mix(&Rgba::b), mix(&Rgba::a)};
    }
};

// Sine of an angle reduced into [-pi, pi), as the effects compute it.
inline double ReducedSin(double angle)
{
    const double turns = angle / (2 * kPi) + 0.5;
    return std::sin((turns - std::floor(turns)) * 2 * kPi - kPi);
}

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

// One window and device for the whole suite: creating them is the slow part,
// and every test sets all the state its draws rely on.
class EffectDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        InstallQuickTestExit();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"EffectLoadTestWindow";
        RegisterClassW(&windowClass);
        window_ = CreateWindowW(L"EffectLoadTestWindow", L"effects", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        if (!window_ || !d3d_) return;
        D3DPRESENT_PARAMETERS pp{};
        pp.Windowed = TRUE;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.BackBufferWidth = kTargetSize;
        pp.BackBufferHeight = kTargetSize;
        pp.BackBufferFormat = D3DFMT_UNKNOWN;
        pp.hDeviceWindow = window_;
        if (FAILED(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                      &pp, &device_)))
            device_ = nullptr;
    }

    static void TearDownTestSuite()
    {
        if (device_) device_->Release();
        if (d3d_) d3d_->Release();
        if (window_) DestroyWindow(window_);
        device_ = nullptr;
        d3d_ = nullptr;
        window_ = nullptr;
    }

    void SetUp() override
    {
        ASSERT_NE(device_, nullptr) << "no Direct3D 9 device (Wine needs a display and OpenGL)";
        ASSERT_TRUE(SUCCEEDED(device_->CreateRenderTarget(kTargetSize, kTargetSize, D3DFMT_A8R8G8B8,
                                                          D3DMULTISAMPLE_NONE, 0, FALSE, &target_, nullptr)));
        ASSERT_TRUE(SUCCEEDED(device_->SetRenderTarget(0, target_.Get())));
    }

    ComPtr<ID3DXEffect> Load(const char* stem)
    {
        const std::vector<uint8_t> bytes = ReadEffect(stem);
        EXPECT_FALSE(bytes.empty()) << stem << ".fxo is missing from the build";
        EXPECT_TRUE(IsWellFormedEffect(bytes.data(), bytes.size()));
        ComPtr<ID3DXEffect> effect;
        const HRESULT hr =
            D3DXCreateEffect(device_, bytes.data(), UINT(bytes.size()), nullptr, nullptr, 0, nullptr, &effect, nullptr);
        EXPECT_EQ(hr, D3D_OK) << stem;
        return effect;
    }

    ComPtr<IDirect3DTexture9> Upload(const Image& image)
    {
        ComPtr<IDirect3DTexture9> texture;
        if (FAILED(device_->CreateTexture(image.width, image.height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                          nullptr)))
            return nullptr;
        D3DLOCKED_RECT locked;
        if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return nullptr;
        for (int y = 0; y < image.height; ++y)
            std::memcpy(static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch,
                        &image.argb[size_t(y) * image.width], size_t(image.width) * 4);
        texture->UnlockRect(0);
        return texture;
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
        std::vector<uint32_t> pixels;
        EXPECT_EQ(effect->SetTechnique(technique), D3D_OK) << technique;
        // The "Noise" technique blends with the factors already set: these.
        EXPECT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), D3D_OK);
        EXPECT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
        EXPECT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
        EXPECT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), D3D_OK);
        EXPECT_EQ(device_->SetFVF(fvf), D3D_OK);
        EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, clear, 1.0f, 0), D3D_OK);
        if (FAILED(device_->BeginScene())) return pixels;
        UINT passes = 0;
        EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK) << technique;
        EXPECT_EQ(passes, 1u) << technique;
        for (UINT p = 0; p < passes; ++p) {
            EXPECT_EQ(effect->BeginPass(p), D3D_OK);
            EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
            EXPECT_EQ(effect->EndPass(), D3D_OK);
        }
        if (passes) effect->End();
        EXPECT_EQ(device_->EndScene(), D3D_OK);
        ComPtr<IDirect3DSurface9> copy;
        if (FAILED(device_->CreateOffscreenPlainSurface(kTargetSize, kTargetSize, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                        &copy, nullptr)) ||
            FAILED(device_->GetRenderTargetData(target_.Get(), copy.Get())))
            return pixels;
        D3DLOCKED_RECT locked;
        if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return pixels;
        pixels.resize(kTargetSize * kTargetSize);
        for (UINT y = 0; y < kTargetSize; ++y)
            std::memcpy(&pixels[y * kTargetSize], static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch,
                        kTargetSize * 4);
        copy->UnlockRect();
        return pixels;
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

    inline static HWND window_ = nullptr;
    inline static IDirect3D9* d3d_ = nullptr;
    inline static IDirect3DDevice9* device_ = nullptr;
    ComPtr<IDirect3DSurface9> target_;
};

// Smooth test pictures: gradients and tileable waves keep bilinear sampling
// well conditioned, so GPU and CPU agree to a few 1/255.
inline Image Gradient()
{
    return Image::Make(64, 64, [](int x, int y) { return Rgba{20 + x * 3.5, 30 + y * 3.0, 200.0 - x - y, 255}; });
}

inline Image MaskRamp()
{
    return Image::Make(64, 64, [](int x, int y) {
        return Rgba{0, 0, 0, x < 20 ? 0.0 : std::min(255.0, (x - 20) * 7.0 + y)};
    });
}

inline Image Waves()
{
    return Image::Make(32, 32, [](int x, int y) {
        return Rgba{128 + 90 * std::sin(2 * kPi * x / 32), 128 + 90 * std::cos(2 * kPi * y / 32), 0, 255};
    });
}

}  // namespace effecttest
