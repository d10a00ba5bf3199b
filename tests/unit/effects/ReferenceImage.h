// The CPU side of the effect tests: colours from 0 to 1, small 32-bit
// pictures with the bilinear lookup the samplers perform, and the smooth
// test pictures whose sampling GPU and CPU agree on to a few 1/255.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace effecttest {

constexpr double kPi = 3.14159265358979;

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

    // texel gives each channel from 0 to 255.
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
