#include <gtest/gtest.h>

#include <cstring>

#include "engine/resources/DudvDds.h"

namespace {

// A 4 x 2 V8U8 DDS with texel i = (i, -i).
std::vector<uint8_t> SmallDudvFile()
{
    std::vector<uint8_t> bytes(128 + 4 * 2 * 2, 0);
    const auto put = [&](size_t offset, uint32_t value) { std::memcpy(bytes.data() + offset, &value, 4); };
    std::memcpy(bytes.data(), "DDS ", 4);
    put(4, 124);
    put(8, 0x100F);
    put(12, 2);  // height
    put(16, 4);  // width
    put(20, 8);  // pitch
    put(76, 32);
    put(80, 0x80000);
    put(88, 16);
    put(92, 0x00FF);
    put(96, 0xFF00);
    put(108, 0x1000);
    for (int i = 0; i < 8; ++i) {
        bytes[128 + 2 * i] = static_cast<uint8_t>(i);
        bytes[129 + 2 * i] = static_cast<uint8_t>(-i);
    }
    return bytes;
}

TEST(DudvDds, RecognisesWholeV8U8FilesOnly)
{
    const std::vector<uint8_t> good = SmallDudvFile();
    uint32_t w = 0, h = 0;
    EXPECT_TRUE(IsV8U8Dds(good.data(), good.size(), &w, &h));
    EXPECT_EQ(w, 4u);
    EXPECT_EQ(h, 2u);
    const struct {
        const char* what;
        size_t offset;
        uint32_t value;
    } spoiled[] = {
        {"magic", 0, 0x20534444 + 1}, {"header size", 4, 100}, {"no du/dv flag", 80, 0x40},
        {"bit count", 88, 32},        {"u mask", 92, 0xFF00},  {"zero height", 12, 0},
        {"huge width", 16, 1u << 30},
    };
    for (const auto& c : spoiled) {
        std::vector<uint8_t> bytes = good;
        std::memcpy(bytes.data() + c.offset, &c.value, 4);
        EXPECT_FALSE(IsV8U8Dds(bytes.data(), bytes.size())) << c.what;
    }
    for (size_t cut : {size_t{1}, size_t{16}, good.size() - 128}) {
        EXPECT_FALSE(IsV8U8Dds(good.data(), good.size() - cut)) << "cut " << cut;
    }
    EXPECT_FALSE(IsV8U8Dds(nullptr, 0));
}

TEST(DudvDds, LoadWithoutADeviceFails)
{
    const std::vector<uint8_t> good = SmallDudvFile();
    ComPtr<IDirect3DTexture9> texture;
    uint32_t w = 0, h = 0;
    EXPECT_EQ(LoadV8U8Dds(nullptr, good.data(), good.size(), texture, w, h), E_FAIL);
    EXPECT_FALSE(texture);
}

}  // namespace
