// The compiled brush effects under D3DX9 with a real device: every technique
// and parameter the brushes name is found, the shaders read what they should,
// and a full-screen draw matches a CPU computation of the same formulas at
// sample pixels. Also feeds damaged effect bytes through the byte check and,
// when the check passes them, through D3DXCreateEffect.
#include "unit/effects/EffectDeviceTest.h"

namespace {

using namespace effecttest;

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
    ASSERT_EQ(Device()->SetTexture(0, bg.Get()), D3D_OK);
    auto plain = [&](double u, double v) { return background.Sample(u, v, Address::Mirror); };
    ExpectPixels(Draw(effect.Get(), "DrawBackground", D3DCOLOR_ARGB(0, 51, 204, 102)), plain, nullptr, true);
    EXPECT_EQ(Device()->SetTexture(0, nullptr), D3D_OK);
}

// Every prefix of a real effect is rejected by the byte check; damaged
// effects that the check lets through load (or fail cleanly) without a crash.
TEST_F(EffectDeviceTest, DamagedEffectsAreRejectedOrLoadSafely)
{
    for (const char* stem : {"090_water", "103_radialwave", "105_stream"}) {
        const std::vector<uint8_t> good = ReadBuiltEffect(stem);
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
                if (SUCCEEDED(D3DXCreateEffect(Device(), bad.data(), UINT(bad.size()), nullptr, nullptr, 0, nullptr,
                                               effect.ReleaseAndGetAddressOf(), nullptr)))
                    ++loaded;
            }
        EXPECT_GT(loaded, 0u) << stem;
    }
}

}  // namespace
