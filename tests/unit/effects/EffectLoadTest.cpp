// The compiled brush effects under D3DX9 with a real device: every technique
// and parameter the brushes name is found, the shaders read what they should,
// and a full-screen draw matches a CPU computation of the same formulas at
// sample pixels. Also feeds damaged effect bytes through the byte check and,
// when the check passes them, through D3DXCreateEffect.
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
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "engine/resources/EffectBytes.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr UINT kTargetSize = 64;
constexpr double kTolerance = 4.0 / 255.0;
constexpr double kPi = 3.14159265358979;

std::vector<uint8_t> ReadEffect(const char* stem)
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
        const uint32_t v = argb[size_t(fold(y, height)) * width + fold(x, width)];
        return {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0, (v >> 24) / 255.0};
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
double ReducedSin(double angle)
{
    const double turns = angle / (2 * kPi) + 0.5;
    return std::sin((turns - std::floor(turns)) * 2 * kPi - kPi);
}

void SetFloats(ID3DXEffect* effect, const char* name, std::initializer_list<float> values)
{
    const std::vector<float> data(values);
    const HRESULT hr = data.size() == 1 ? effect->SetFloat(name, data[0])
                                        : effect->SetFloatArray(name, data.data(), UINT(data.size()));
    EXPECT_EQ(hr, D3D_OK) << name;
}

void SetTexture(ID3DXEffect* effect, const char* name, IDirect3DTexture9* texture)
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
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"EffectLoadTestWindow";
        RegisterClassW(&windowClass);
        window_ = CreateWindowW(L"EffectLoadTestWindow", L"effects", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        if (!window_ || !d3d_) return;
        D3DPRESENT_PARAMETERS pp{};
        pp.Windowed = TRUE;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.BackBufferWidth = kTargetSize;
        pp.BackBufferHeight = kTargetSize;
        pp.BackBufferFormat = D3DFMT_UNKNOWN;
        pp.hDeviceWindow = window_;
        if (FAILED(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device_)))
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
        const HRESULT hr = D3DXCreateEffect(device_, bytes.data(), UINT(bytes.size()), nullptr, nullptr, 0,
                                            nullptr, &effect, nullptr);
        EXPECT_EQ(hr, D3D_OK) << stem;
        return effect;
    }

    ComPtr<IDirect3DTexture9> Upload(const Image& image)
    {
        ComPtr<IDirect3DTexture9> texture;
        if (FAILED(device_->CreateTexture(image.width, image.height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                          &texture, nullptr)))
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
        const Vertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0, 0}, {e, -0.5f, 0, 1, 1, 0},
                                {-0.5f, e, 0, 1, 0, 1}, {e, e, 0, 1, 1, 1}};
        std::vector<uint32_t> pixels;
        EXPECT_EQ(effect->SetTechnique(technique), D3D_OK) << technique;
        // The "Noise" technique blends with the factors already set: these.
        EXPECT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), D3D_OK);
        EXPECT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
        EXPECT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
        EXPECT_EQ(device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), D3D_OK);
        EXPECT_EQ(device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1), D3D_OK);
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
        if (FAILED(device_->CreateOffscreenPlainSurface(kTargetSize, kTargetSize, D3DFMT_A8R8G8B8,
                                                        D3DPOOL_SYSTEMMEM, &copy, nullptr)) ||
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
                const uint32_t v = pixels[y * kTargetSize + x];
                const Rgba got{((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0,
                               (v >> 24) / 255.0};
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

    static HWND window_;
    static IDirect3D9* d3d_;
    static IDirect3DDevice9* device_;
    ComPtr<IDirect3DSurface9> target_;
};

HWND EffectDeviceTest::window_ = nullptr;
IDirect3D9* EffectDeviceTest::d3d_ = nullptr;
IDirect3DDevice9* EffectDeviceTest::device_ = nullptr;

// Smooth test pictures: gradients and tileable waves keep bilinear sampling
// well conditioned, so GPU and CPU agree to a few 1/255.
Image Gradient()
{
    return Image::Make(64, 64, [](int x, int y) { return Rgba{20 + x * 3.5, 30 + y * 3.0, 200.0 - x - y, 255}; });
}

Image MaskRamp()
{
    return Image::Make(64, 64, [](int x, int y) { return Rgba{0, 0, 0, x < 20 ? 0.0 : std::min(255.0, (x - 20) * 7.0 + y)}; });
}

Image Waves()
{
    return Image::Make(32, 32, [](int x, int y) {
        return Rgba{128 + 90 * std::sin(2 * kPi * x / 32), 128 + 90 * std::cos(2 * kPi * y / 32), 0, 255};
    });
}

TEST_F(EffectDeviceTest, WaterEffectMatchesItsComputation)
{
    ComPtr<ID3DXEffect> effect = Load("090_water");
    ASSERT_TRUE(effect);
    const std::vector<const char*> names = {"Background", "Mask", "BumpMap", "Scale", "BampTrans", "P1", "P2",
                                            "Time", "Direction1", "Direction2", "Shadows", "Color", "Vhalf"};
    ExpectNames(effect.Get(), {"Main", "MainFX"}, names);
    ExpectUsed(effect.Get(), "Main", names, names);
    ExpectUsed(effect.Get(), "MainFX", names, names);
    D3DXPARAMETER_DESC desc{};
    ASSERT_EQ(effect->GetParameterDesc("BampTrans", &desc), D3D_OK);
    EXPECT_EQ(desc.Class, D3DXPC_MATRIX_ROWS);
    EXPECT_EQ(desc.Rows, 2u);
    EXPECT_EQ(desc.Columns, 2u);

    const Image background = Gradient(), mask = MaskRamp(), bump = Waves();
    ComPtr<IDirect3DTexture9> bg = Upload(background), mk = Upload(mask), bm = Upload(bump);
    const float scale[2] = {1.5f, 1.0f}, p1[3] = {-0.5f, -1.0f, -0.5f}, p2[3] = {1.0f, 1.2f, 1.0f};
    const float bamp[4] = {0.0439f, -0.024f, 0.024f, 0.0439f}, d1[2] = {-3.0f, -2.0f}, d2[2] = {0.01f, 0.02f};
    const float vhalf[3] = {0.3f, 0.4f, 0.866f}, color[3] = {1.0f, 0.6f, 0.3f}, time = 1.3f, shadows = 2.0f;
    SetTexture(effect.Get(), "Background", bg.Get());
    SetTexture(effect.Get(), "Mask", mk.Get());
    SetTexture(effect.Get(), "BumpMap", bm.Get());
    SetFloats(effect.Get(), "Scale", {scale[0], scale[1]});
    SetFloats(effect.Get(), "P1", {p1[0], p1[1], p1[2]});
    SetFloats(effect.Get(), "P2", {p2[0], p2[1], p2[2]});
    SetFloats(effect.Get(), "BampTrans", {bamp[0], bamp[1], bamp[2], bamp[3]});
    SetFloats(effect.Get(), "Time", {time});
    SetFloats(effect.Get(), "Direction1", {d1[0], d1[1]});
    SetFloats(effect.Get(), "Direction2", {d2[0], d2[1]});
    SetFloats(effect.Get(), "Shadows", {shadows});
    SetFloats(effect.Get(), "Vhalf", {vhalf[0], vhalf[1], vhalf[2]});
    SetFloats(effect.Get(), "Color", {color[0], color[1], color[2]});

    auto reference = [&](double u, double v) {
        const double k = 1 - v;
        const double dx = k * p1[0] + p2[0], dy = k * p1[1] + p2[1], dz = k * p1[2] + p2[2];
        const double qx = (u - 0.5) / dx, qy = 2 * p2[1] / dy;
        const double s = ReducedSin(qx * d1[0] + qy * d1[1] + time);
        const Rgba b4 = bump.Sample(qx * scale[0], qy * scale[1], Address::Wrap);
        const double bx = b4.r - 0.5, by = b4.g - 0.5;
        const double ox = bx * bamp[0] + by * bamp[1] + s * d2[0], oy = bx * bamp[2] + by * bamp[3] + s * d2[1];
        const double m = mask.Sample(u, v, Address::Mirror).a;
        const Rgba c = background.Sample(u + dz * m * ox, v + dz * m * oy, Address::Mirror);
        const double len = std::sqrt(ox * ox + oy * oy + 0.03 * 0.03);
        const double nx = ox / len, ny = oy / len, nz = 0.03 / len;
        const double shadow = m * std::fabs(ny * shadows);
        const double glint = m * std::pow(std::fabs(nx * vhalf[0] + ny * vhalf[1] + nz * vhalf[2]), 64);
        return Rgba{c.r * (1 + shadow * color[0]) + glint * color[0], c.g * (1 + shadow * color[1]) + glint * color[1],
                    c.b * (1 + shadow * color[2]) + glint * color[2], m};
    };
    ExpectPixels(Draw(effect.Get(), "MainFX", D3DCOLOR_ARGB(255, 0, 0, 0)), reference, nullptr, true);
    const Rgba under{0.2, 0.8, 0.4, 1.0};
    ExpectPixels(Draw(effect.Get(), "Main", D3DCOLOR_ARGB(255, 51, 204, 102)), reference, &under, false);
}

TEST_F(EffectDeviceTest, RadialWaveEffectMatchesItsComputation)
{
    ComPtr<ID3DXEffect> effect = Load("103_radialwave");
    ASSERT_TRUE(effect);
    const std::vector<const char*> names = {"Background", "Mask", "amplitude", "frequency", "time", "center",
                                            "bg_scale_factor"};
    ExpectNames(effect.Get(), {"Main", "MainFX"}, names);
    EXPECT_EQ(effect->GetParameterByName(nullptr, "Scale"), nullptr);
    ExpectUsed(effect.Get(), "Main", names, names);
    ExpectUsed(effect.Get(), "MainFX", names, names);

    const Image background = Gradient(), mask = MaskRamp();
    ComPtr<IDirect3DTexture9> bg = Upload(background), mk = Upload(mask);
    const float amplitude = 0.05f, frequency = 40.0f, time = -1.0f, center[2] = {0.4f, 0.6f};
    const float factor[2] = {1.0f, 0.75f};
    SetTexture(effect.Get(), "Background", bg.Get());
    SetTexture(effect.Get(), "Mask", mk.Get());
    SetFloats(effect.Get(), "amplitude", {amplitude});
    SetFloats(effect.Get(), "frequency", {frequency});
    SetFloats(effect.Get(), "time", {time});
    SetFloats(effect.Get(), "center", {center[0], center[1]});
    SetFloats(effect.Get(), "bg_scale_factor", {factor[0], factor[1]});

    auto shifted = [&](double u, double v, double& a) {
        a = mask.Sample(u, v, Address::Mirror).a * amplitude;
        const double dx = (u - center[0]) * factor[0], dy = (v - center[1]) * factor[1];
        const double s = ReducedSin(frequency * std::sqrt(dx * dx + dy * dy) + time);
        return background.Sample(u + a * s, v + a * s, Address::Mirror);
    };
    auto copy = [&](double u, double v) {
        double a;
        return shifted(u, v, a);
    };
    auto blend = [&](double u, double v) {
        double a;
        Rgba c = shifted(u, v, a);
        if (a == 0) c.a = 0;
        return c;
    };
    ExpectPixels(Draw(effect.Get(), "MainFX", D3DCOLOR_ARGB(255, 0, 0, 0)), copy, nullptr, true);
    const Rgba under{0.2, 0.8, 0.4, 1.0};
    ExpectPixels(Draw(effect.Get(), "Main", D3DCOLOR_ARGB(255, 51, 204, 102)), blend, &under, false);
}

TEST_F(EffectDeviceTest, StreamEffectMatchesItsComputation)
{
    ComPtr<ID3DXEffect> effect = Load("105_stream");
    ASSERT_TRUE(effect);
    const std::vector<const char*> names = {"Background", "Mask", "NoiseMap", "shift", "transluency", "treshold",
                                            "base_color", "noise_shift", "noise_amplitude", "bump_scale"};
    ExpectNames(effect.Get(), {"Noise", "ColorWaves", "NoiseFX", "ColorWavesFX", "DrawBackground"}, names);
    const std::vector<const char*> noise = {"Background", "Mask", "NoiseMap", "noise_shift", "noise_amplitude",
                                            "bump_scale"};
    const std::vector<const char*> waves = {"Background", "Mask", "shift", "transluency", "treshold", "base_color"};
    ExpectUsed(effect.Get(), "Noise", names, noise);
    ExpectUsed(effect.Get(), "NoiseFX", names, noise);
    ExpectUsed(effect.Get(), "ColorWaves", names, waves);
    ExpectUsed(effect.Get(), "ColorWavesFX", names, waves);

    const Image background = Gradient(), mask = MaskRamp(), noiseMap = Waves();
    ComPtr<IDirect3DTexture9> bg = Upload(background), mk = Upload(mask), nm = Upload(noiseMap);
    const float bumpScale[2] = {2.0f, 1.5f}, noiseShift[2] = {0.1f, 0.05f}, amplitude = 0.03f;
    const float shift[2] = {0.05f, -0.03f}, transluency = 0.7f, treshold = 0.8f, base[3] = {0.5f, 0.5f, 0.5f};
    SetTexture(effect.Get(), "Background", bg.Get());
    SetTexture(effect.Get(), "Mask", mk.Get());
    SetTexture(effect.Get(), "NoiseMap", nm.Get());
    SetFloats(effect.Get(), "bump_scale", {bumpScale[0], bumpScale[1]});
    SetFloats(effect.Get(), "noise_shift", {noiseShift[0], noiseShift[1]});
    SetFloats(effect.Get(), "noise_amplitude", {amplitude});
    SetFloats(effect.Get(), "shift", {shift[0], shift[1]});
    SetFloats(effect.Get(), "transluency", {transluency});
    SetFloats(effect.Get(), "treshold", {treshold});
    SetFloats(effect.Get(), "base_color", {base[0], base[1], base[2]});

    auto noiseRef = [&](double u, double v) {
        const double p1x = u * bumpScale[0] + noiseShift[0], p1y = v * bumpScale[1] + noiseShift[1];
        const Rgba k1 = noiseMap.Sample(p1x, p1y, Address::Wrap);
        const Rgba k2 = noiseMap.Sample(p1x + noiseShift[0], p1y + noiseShift[1], Address::Wrap);
        const double dx = amplitude * (k1.r + k2.g - 1), dy = amplitude * (k1.g + k2.r - 1);
        const double m = mask.Sample(u, v, Address::Mirror).a;
        Rgba c = background.Sample(u + m * dx, v + m * dy, Address::Mirror);
        c.a = m;
        return c;
    };
    auto wavesRef = [&](double u, double v) {
        const double px = u + shift[0], py = v + shift[1];
        Rgba c = background.Sample(px, py, Address::Mirror);
        const double e = (base[0] - c.r) * (base[0] - c.r) + (base[1] - c.g) * (base[1] - c.g) +
                         (base[2] - c.b) * (base[2] - c.b);
        c.a = ((1 - e / 3) - treshold) / (1 - treshold) * mask.Sample(u, v, Address::Mirror).a *
              mask.Sample(px, py, Address::Mirror).a * transluency;
        return c;
    };
    const Rgba under{0.2, 0.8, 0.4, 1.0};
    ExpectPixels(Draw(effect.Get(), "NoiseFX", D3DCOLOR_ARGB(255, 0, 0, 0)), noiseRef, nullptr, true);
    ExpectPixels(Draw(effect.Get(), "Noise", D3DCOLOR_ARGB(255, 51, 204, 102)), noiseRef, &under, false);
    ExpectPixels(Draw(effect.Get(), "ColorWavesFX", D3DCOLOR_ARGB(255, 0, 0, 0)), wavesRef, nullptr, true);
    ExpectPixels(Draw(effect.Get(), "ColorWaves", D3DCOLOR_ARGB(255, 51, 204, 102)), wavesRef, &under, false);

    // A threshold of 1 (the stream brush's default) lays no colour wave:
    // alpha 0 everywhere instead of a division by zero.
    SetFloats(effect.Get(), "treshold", {1.0f});
    auto noWave = [&](double u, double v) {
        Rgba c = background.Sample(u + shift[0], v + shift[1], Address::Mirror);
        c.a = 0;
        return c;
    };
    ExpectPixels(Draw(effect.Get(), "ColorWavesFX", D3DCOLOR_ARGB(255, 0, 0, 0)), noWave, nullptr, true);

    // "DrawBackground" draws without a pixel shader and without blending:
    // texture stage 0 shows the texture set on the device, texel for pixel.
    ASSERT_EQ(device_->SetTexture(0, bg.Get()), D3D_OK);
    auto plain = [&](double u, double v) { return background.Sample(u, v, Address::Mirror); };
    ExpectPixels(Draw(effect.Get(), "DrawBackground", D3DCOLOR_ARGB(0, 51, 204, 102)), plain, nullptr, true);
    EXPECT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
}

// Every prefix of a real effect is rejected by the byte check; damaged
// effects that the check lets through load (or fail cleanly) without a crash.
TEST_F(EffectDeviceTest, DamagedEffectsAreRejectedOrLoadSafely)
{
    for (const char* stem : {"090_water", "103_radialwave", "105_stream"}) {
        const std::vector<uint8_t> good = ReadEffect(stem);
        ASSERT_FALSE(good.empty()) << stem;
        for (size_t length = 0; length < good.size(); ++length)
            ASSERT_FALSE(IsWellFormedEffect(good.data(), length)) << stem << " cut at " << length;
        size_t loaded = 0;
        for (size_t at = 0; at + 4 <= good.size(); at += 4)
            for (uint32_t value : {0u, 1u, 0xFFFFFFFFu, uint32_t(good.size())}) {
                std::vector<uint8_t> bad = good;
                std::memcpy(&bad[at], &value, 4);
                if (!IsWellFormedEffect(bad.data(), bad.size())) continue;
                ComPtr<ID3DXEffect> effect;
                if (SUCCEEDED(D3DXCreateEffect(device_, bad.data(), UINT(bad.size()), nullptr, nullptr, 0, nullptr,
                                               &effect, nullptr)))
                    ++loaded;
            }
        EXPECT_GT(loaded, 0u) << stem;
    }
}

}  // namespace
