// The image-filter brushes' own effects under D3DX9 with a real device: the
// light (76), waves (77), move (91) and expand (102) effects of
// common_res.dll, and the rotation, bend and cloud effects that documents
// carry. Each has the techniques and parameters its brush names; each draw
// matches a CPU computation at sample pixels, "Main" leaves the target
// untouched outside the mask, "MainFX" replaces it, and the parameters
// visibly change the picture inside the mask.
#include "unit/effects/EffectDeviceTest.h"

namespace {

using namespace effecttest;

struct ParameterShape {
    const char* name;
    D3DXPARAMETER_CLASS parameterClass;
    D3DXPARAMETER_TYPE type;
    UINT rows;
    UINT columns;
};

constexpr ParameterShape Texture(const char* name)
{
    return {name, D3DXPC_OBJECT, D3DXPT_TEXTURE, 0, 0};
}

constexpr ParameterShape Floats(const char* name, UINT count)
{
    return {name, count == 1 ? D3DXPC_SCALAR : D3DXPC_VECTOR, D3DXPT_FLOAT, 1, count};
}

struct EffectContract {
    const char* stem;
    std::vector<const char*> techniques;
    std::vector<ParameterShape> parameters;
};

const std::vector<EffectContract>& Contracts()
{
    static const std::vector<EffectContract> contracts = {
        {"076_light",
         {"Main", "MainFX", "Blend_Normal", "Blend_Screen", "PS_ColorDodge", "Blend_Sum"},
         {Floats("Scale", 2), Texture("Mask"), Texture("Background"), Floats("multiplier", 1), Floats("BlendColor", 4),
          Texture("Texture1"), Texture("Texture2")}},
        {"077_waves",
         {"Main", "MainFX"},
         {Floats("Scale", 2), Texture("Mask"), Texture("Background"), Floats("direction", 2), Floats("direction_n", 2),
          Floats("frequency", 1), Floats("amplitude", 1), Floats("time", 1)}},
        {"091_move",
         {"Main", "MainFX"},
         {Floats("Scale", 2), Texture("Mask"), Texture("Background"), Floats("Direction", 2)}},
        {"102_expand",
         {"Main", "MainFX"},
         {Floats("Scale", 2), Texture("Mask"), Texture("Background"), Floats("amplitude", 2), Floats("center", 2)}},
        {"document/rotation",
         {"Main", "MainFX"},
         {Floats("Scale", 2), Texture("Mask"), Texture("Background"), Floats("coord_transf", 4), Floats("offset", 2),
          Floats("mix_color", 4)}},
        {"document/bend",
         {"Main", "MainFX"},
         {Floats("Scale", 4), Texture("Mask"), Texture("Background"), Floats("Center", 2), Floats("Angle", 1),
          Floats("Bend", 1)}},
        {"document/cloud",
         {"Main", "MainFX"},
         {Texture("Mask"), Texture("Background"), Floats("Scale", 2), Floats("Threshold", 1), Floats("Density", 1),
          Floats("ColorK1", 3), Floats("ColorK2", 3), Floats("Velocity", 2), Floats("mask_tex_shift", 4),
          Floats("PX_Transform", 1), Floats("PY_TransformH", 1), Floats("PY_TransformZ", 1), Floats("tex_shift", 4)}},
        {"document/particles",
         {"BlendMask", "CommonTex", "Blend_ScreenTex", "Blend_ColorDodgeTex", "Blend_SumTex", "JoinMask"},
         {Texture("Texture1"), Texture("Texture2")}},
    };
    return contracts;
}

class BrushEffectTest : public EffectDeviceTest {};

TEST_F(BrushEffectTest, EffectsHaveTheTechniquesAndParametersTheBrushesSet)
{
    for (const EffectContract& contract : Contracts()) {
        SCOPED_TRACE(contract.stem);
        ComPtr<ID3DXEffect> effect = Load(contract.stem);
        ASSERT_TRUE(effect);
        for (const char* name : contract.techniques) {
            D3DXHANDLE technique = effect->GetTechniqueByName(name);
            ASSERT_NE(technique, nullptr) << name;
            EXPECT_NE(effect->GetPassByName(technique, "P0"), nullptr) << name;
            EXPECT_EQ(effect->ValidateTechnique(technique), D3D_OK) << name;
        }
        for (const ParameterShape& shape : contract.parameters) {
            D3DXPARAMETER_DESC desc{};
            ASSERT_EQ(effect->GetParameterDesc(shape.name, &desc), D3D_OK) << shape.name;
            EXPECT_EQ(desc.Class, shape.parameterClass) << shape.name;
            EXPECT_EQ(desc.Type, shape.type) << shape.name;
            EXPECT_EQ(desc.Rows, shape.rows) << shape.name;
            EXPECT_EQ(desc.Columns, shape.columns) << shape.name;
        }
    }
}

// Rotates (x, y) as a row vector times the 2 x 2 matrix (t11, t12; t21, t22).
void RowTimes(double& x, double& y, double t11, double t12, double t21, double t22)
{
    const double rx = x * t11 + y * t21, ry = x * t12 + y * t22;
    x = rx;
    y = ry;
}

using FloatSettings = std::vector<std::pair<const char*, std::vector<float>>>;

using MaskLookup = std::function<double(const Image& mask, double u, double v)>;

// One "Main"/"MainFX" effect with its parameter settings and the colour it
// computes at (u, v) from the "Background" and "Mask" pictures. Most effects
// draw the picture ("Background" = Gradient()) changed inside the mask; the
// cloud effect draws its cloud image instead and maps the mask itself.
struct MaskedCase {
    const char* label;
    const char* stem;
    FloatSettings floats;
    std::function<Rgba(const Image& background, const Image& mask, double u, double v)> reference;
    Image (*backgroundPicture)() = Gradient;
    bool drawsPicture = true;
    MaskLookup maskAt = [](const Image& mask, double u, double v) { return mask.Sample(u, v, Address::Mirror).a; };
};

Rgba MaskedLookup(const Image& background, const Image& mask, double u, double v, double du, double dv)
{
    const double m = mask.Sample(u, v, Address::Mirror).a;
    Rgba c = background.Sample(u + m * du, v + m * dv, Address::Mirror);
    c.a = m;
    return c;
}

std::vector<MaskedCase> MaskedCases()
{
    return {
        {"move",
         "091_move",
         {{"Scale", {1.25f, 1.0f}}, {"Direction", {0.06f, -0.04f}}},
         [](const Image& bg, const Image& mask, double u, double v) {
             return MaskedLookup(bg, mask, u, v, 0.06 / 1.25, -0.04);
         }},
        {"waves",
         "077_waves",
         {{"Scale", {1.25f, 1.0f}},
          {"direction", {-0.6f, -0.8f}},
          {"direction_n", {0.8f, -0.6f}},
          {"frequency", {30.0f}},
          {"amplitude", {0.15f}},
          {"time", {0.7f}}},
         [](const Image& bg, const Image& mask, double u, double v) {
             const double s = ReducedSin(30.0 * (u * 1.25 * -0.6 + v * -0.8) + 0.7);
             return MaskedLookup(bg, mask, u, v, 0.15 * s * 0.8 / 1.25, 0.15 * s * -0.6);
         }},
        {"expand outward",
         "102_expand",
         {{"amplitude", {0.3f, 0.0f}}, {"center", {0.6f, 0.4f}}},
         [](const Image& bg, const Image& mask, double u, double v) {
             return MaskedLookup(bg, mask, u, v, (u - 0.6) * -0.3, (v - 0.4) * -0.3);
         }},
        {"expand inward",
         "102_expand",
         {{"amplitude", {0.0f, 0.2f}}, {"center", {0.6f, 0.4f}}},
         [](const Image& bg, const Image& mask, double u, double v) {
             return MaskedLookup(bg, mask, u, v, (u - 0.6) * 0.2, (v - 0.4) * 0.2);
         }},
        {"light",
         "076_light",
         {{"multiplier", {0.6f}}},
         [](const Image& bg, const Image& mask, double u, double v) {
             const double m = mask.Sample(u, v, Address::Mirror).a;
             const Rgba c = bg.Sample(u, v, Address::Mirror);
             const double k = 1 + m * 0.6;
             return Rgba{c.r * k, c.g * k, c.b * k, m};
         }},
        {"rotation",
         "document/rotation",
         {{"Scale", {1.25f, 1.0f}},
          {"coord_transf", {float(std::cos(0.5)), float(std::sin(0.5)), float(-std::sin(0.5)), float(std::cos(0.5))}},
          {"offset", {-0.55f, -0.45f}},
          {"mix_color", {0.9f, 1.0f, 0.8f, 0.75f}}},
         [](const Image& bg, const Image& mask, double u, double v) {
             double x = (u - 0.55) * 1.25, y = v - 0.45;
             RowTimes(x, y, std::cos(0.5), std::sin(0.5), -std::sin(0.5), std::cos(0.5));
             const double pu = x / 1.25 + 0.55, pv = y + 0.45;
             const double m = mask.Sample(u, v, Address::Mirror).a;
             const Rgba c = bg.Sample(u + m * (pu - u), v + m * (pv - v), Address::Mirror);
             return Rgba{c.r * 0.9, c.g, c.b * 0.8, m * 0.75};
         }},
        {"bend",
         "document/bend",
         {{"Scale", {1.25f, 1.0f, 0.8f, 1.0f}}, {"Center", {0.5f, 0.45f}}, {"Angle", {0.6f}}, {"Bend", {2.0f}}},
         [](const Image& bg, const Image& mask, double u, double v) {
             const double m = mask.Sample(u, v, Address::Mirror).a;
             double x = (u - 0.5) * 1.25, y = v - 0.45;
             const double g = m * 0.6 * (1 + 2.0 * std::hypot(x, y));
             RowTimes(x, y, std::cos(g), std::sin(g), -std::sin(g), std::cos(g));
             Rgba c = bg.Sample(x * 0.8 + 0.5, y + 0.45, Address::Mirror);
             c.a = m;
             return c;
         }},
        {"cloud",
         "document/cloud",
         {{"Scale", {1.5f, 1.0f}},
          {"Threshold", {3.0f}},
          {"Density", {0.8f}},
          {"ColorK1", {1.0f, 0.9f, 0.8f}},
          {"ColorK2", {0.2f, 0.3f, 0.5f}},
          {"Velocity", {0.1f, -0.05f}},
          {"mask_tex_shift", {0.8f, 0.1f, 1.0f, 0.0f}},
          {"PX_Transform", {0.3f}},
          {"PY_TransformH", {1.2f}},
          {"PY_TransformZ", {0.2f}},
          {"tex_shift", {1.0f, -1.0f, -0.1f, 1.0f}}},
         [](const Image& clouds, const Image& mask, double u, double v) {
             const double m = mask.Sample(u * 0.8 + 0.1, v, Address::Mirror).a;  // mask_tex_shift
             const double k = 1 - v, d = 1 - 0.3 * k;
             const double x = (u - 0.5) / d, y = 1 - (1.2 * k / d - 0.2);
             const double pu = (x - 0.1 + 0.5) * 1.5 + 0.1, pv = (1 - y) * 1.0 - 0.05;
             const Rgba t = clouds.Sample(pu, pv, Address::Mirror);
             const double l = (t.r + t.g + t.b) / 3;
             const double cover = std::clamp((l + 0.8 - 1) * 3.0, 0.0, 1.0);
             return Rgba{0.2 + 0.8 * l, 0.3 + 0.6 * l, 0.5 + 0.3 * l, m * cover};
         },
         Waves,
         false,
         [](const Image& mask, double u, double v) { return mask.Sample(u * 0.8 + 0.1, v, Address::Mirror).a; }},
    };
}

void SetAll(ID3DXEffect* effect, const FloatSettings& floats)
{
    for (const auto& [name, values] : floats) SetFloats(effect, name, values);
}

double ColourDistance(const Rgba& a, const Rgba& b)
{
    return std::max({std::fabs(a.r - b.r), std::fabs(a.g - b.g), std::fabs(a.b - b.b)});
}

// Sample pixels inside the fully painted part of the mask whose colour
// differs from `unchanged` by more than a few steps: the effect shows.
int ChangedInsideMask(const std::vector<uint32_t>& pixels, const std::function<double(double, double)>& maskAt,
                      const std::function<Rgba(double, double)>& unchanged)
{
    int changed = 0;
    for (UINT y = 3; y < kTargetSize; y += 7)
        for (UINT x = 2; x < kTargetSize; x += 7) {
            const double u = (x + 0.5) / kTargetSize, v = (y + 0.5) / kTargetSize;
            if (maskAt(u, v) < 0.99) continue;
            if (ColourDistance(Unpack(pixels.at(size_t(y) * kTargetSize + x)), unchanged(u, v)) > 8.0 / 255) ++changed;
        }
    return changed;
}

// "MainFX" writes the computation everywhere (for a picture effect, the
// picture itself where the mask is empty); "Main" blends it over the target
// by its alpha, so a pixel outside the mask keeps the target's colour. Inside
// the fully painted mask the settings visibly change the picture (or, for the
// clouds, the target).
TEST_F(BrushEffectTest, MaskedEffectsMatchTheirComputation)
{
    const Rgba under{0.2, 0.8, 0.4, 1.0};
    for (const MaskedCase& test : MaskedCases()) {
        SCOPED_TRACE(test.label);
        ComPtr<ID3DXEffect> effect = Load(test.stem);
        ASSERT_TRUE(effect);
        const Image background = test.backgroundPicture(), mask = MaskRamp();
        ComPtr<IDirect3DTexture9> bg = Upload(background), mk = Upload(mask);
        SetTexture(effect.Get(), "Background", bg.Get());
        SetTexture(effect.Get(), "Mask", mk.Get());
        SetAll(effect.Get(), test.floats);
        auto reference = [&](double u, double v) { return test.reference(background, mask, u, v); };

        ExpectPixels(Draw(effect.Get(), "MainFX", D3DCOLOR_ARGB(255, 0, 0, 0)), reference, nullptr, true);
        const std::vector<uint32_t> blended = Draw(effect.Get(), "Main", D3DCOLOR_ARGB(255, 51, 204, 102));
        ExpectPixels(blended, reference, &under, false);
        ASSERT_EQ(test.maskAt(mask, 5.5 / kTargetSize, 5.5 / kTargetSize), 0.0);
        EXPECT_EQ(blended.at(5 * kTargetSize + 5) & 0xFFFFFFu, 0x33CC66u) << "outside the mask";

        auto unchanged = [&](double u, double v) {
            return test.drawsPicture ? background.Sample(u, v, Address::Mirror) : under;
        };
        auto maskAt = [&](double u, double v) { return test.maskAt(mask, u, v); };
        EXPECT_GE(ChangedInsideMask(blended, maskAt, unchanged), 3);
    }
}

// The four blends of the coloured light: each per channel over the picture
// ("Texture1"), laid over the target with alpha BlendColor.a x mask. A full
// red channel in the light makes the colour dodge white, not 0 / 0.
TEST_F(BrushEffectTest, LightBlendsMatchTheirComputation)
{
    ComPtr<ID3DXEffect> effect = Load("076_light");
    ASSERT_TRUE(effect);
    const Image picture = Gradient(), mask = MaskRamp();
    ComPtr<IDirect3DTexture9> pic = Upload(picture), mk = Upload(mask);
    SetTexture(effect.Get(), "Texture1", pic.Get());
    SetTexture(effect.Get(), "Texture2", mk.Get());
    const double light[4] = {1.0, 0.5, 0.25, 0.8};
    SetFloats(effect.Get(), "BlendColor", {float(light[0]), float(light[1]), float(light[2]), float(light[3])});
    const struct {
        const char* technique;
        double (*blend)(double b, double k);
    } blends[] = {
        {"Blend_Normal", [](double, double k) { return k; }},
        {"Blend_Screen", [](double b, double k) { return 1 - (1 - b) * (1 - k); }},
        {"PS_ColorDodge", [](double b, double k) { return k >= 1 ? 1.0 : std::min(1.0, b / (1 - k)); }},
        {"Blend_Sum", [](double b, double k) { return std::min(1.0, b + k); }},
    };
    const Rgba under{0.2, 0.8, 0.4, 1.0};
    for (const auto& test : blends) {
        SCOPED_TRACE(test.technique);
        auto reference = [&](double u, double v) {
            const Rgba b = picture.Sample(u, v, Address::Mirror);
            return Rgba{test.blend(b.r, light[0]), test.blend(b.g, light[1]), test.blend(b.b, light[2]),
                        light[3] * mask.Sample(u, v, Address::Mirror).a};
        };
        const std::vector<uint32_t> pixels = Draw(effect.Get(), test.technique, D3DCOLOR_ARGB(255, 51, 204, 102));
        ExpectPixels(pixels, reference, &under, false);
        EXPECT_EQ(pixels.at(5 * kTargetSize + 5) & 0xFFFFFFu, 0x33CC66u) << "outside the mask";
    }
}

}  // namespace
