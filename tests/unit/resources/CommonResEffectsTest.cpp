// The resource library "common_res.dll" holds every built effect as RCDATA
// under its number, byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "unit/BuildFiles.h"

namespace {

TEST(CommonResEffectsTest, EffectsAreRcdataUnderTheirNumbers)
{
    const ProgramResources library(L"common_res.dll");
    ASSERT_NE(library.get(), nullptr) << "common_res.dll is missing from the build";
    const struct {
        int number;
        const char* file;
    } effects[] = {{76, "fx/076_light.fxo"},  {77, "fx/077_waves.fxo"},   {90, "fx/090_water.fxo"},
                   {91, "fx/091_move.fxo"},   {102, "fx/102_expand.fxo"}, {103, "fx/103_radialwave.fxo"},
                   {105, "fx/105_stream.fxo"}, {116, "fx/116_blend_normal.fxo"}};
    for (const auto& effect : effects) {
        const std::vector<uint8_t> expected = ReadBuildFile(effect.file);
        ASSERT_FALSE(expected.empty()) << effect.file;
        HRSRC found = FindResourceW(library.get(), MAKEINTRESOURCEW(effect.number), MAKEINTRESOURCEW(10));
        ASSERT_NE(found, nullptr) << effect.number;
        HGLOBAL loaded = LoadResource(library.get(), found);
        ASSERT_NE(loaded, nullptr);
        const void* bytes = LockResource(loaded);
        ASSERT_NE(bytes, nullptr);
        ASSERT_EQ(SizeofResource(library.get(), found), DWORD(expected.size())) << effect.number;
        EXPECT_EQ(std::memcmp(bytes, expected.data(), expected.size()), 0) << effect.number;
    }
}

}  // namespace
