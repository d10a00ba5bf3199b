// The sibling resource library built beside the program: resource-only, and
// holding every "DDS" number the scene classes name.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "engine/resources/TextureLoader.h"
#include "unit/D3DTestDevice.h"

namespace {

const std::set<int> kPictureNumbers = {5, 6, 7, 8, 40, 58, 59, 60, 62, 71, 72, 89, 93, 95, 98, 2016};
const std::set<int> kMeshNumbers = {68, 69, 70};
// The compiled effects the scene classes name, and 105, the stream effect
// that documents link to in the library; the build embeds those the effect
// tool provides.
const std::set<int> kEffectNumbers = {63, 75, 76, 77, 78, 88, 90, 91, 92, 97, 102, 103, 105, 116};

BOOL CALLBACK CollectNumber(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::set<int>*>(param)->insert(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

std::wstring LibraryPath()
{
    return D3DTestDevice::ProgramDirectory() + L"common_res.dll";
}

}  // namespace

TEST(CommonResLibrary, HoldsEveryNumberedPictureAndMesh)
{
    HMODULE module =
        LoadLibraryExW(LibraryPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << "common_res.dll missing beside the test program";
    std::set<int> numbers;
    EXPECT_TRUE(EnumResourceNamesW(module, L"DDS", CollectNumber, reinterpret_cast<LONG_PTR>(&numbers)));
    std::set<int> expected = kPictureNumbers;
    expected.insert(kMeshNumbers.begin(), kMeshNumbers.end());
    EXPECT_EQ(numbers, expected);

    std::set<int> effects;
    EnumResourceNamesW(module, MAKEINTRESOURCEW(10), CollectNumber, reinterpret_cast<LONG_PTR>(&effects));
    for (int number : effects) {
        EXPECT_EQ(kEffectNumbers.count(number), 1u) << "unexpected RCDATA " << number;
    }
    FreeLibrary(module);
}

TEST(CommonResLibrary, MeshesAreTextXWithDecimalFloats)
{
    HMODULE module = LoadResourceModule(L"common_res.dll", D3DTestDevice::ProgramDirectory());
    ASSERT_NE(module, nullptr);
    for (int number : kMeshNumbers) {
        const void* bytes = nullptr;
        size_t size = 0;
        ASSERT_TRUE(LockModuleResource(module, number, bytes, size)) << number;
        const std::string text(static_cast<const char*>(bytes), size);
        EXPECT_EQ(text.rfind("xof 0303txt", 0), 0u) << number;
        // Wine's .x parser rejects integers where floats are due ("1;").
        EXPECT_EQ(text.find(";1;"), std::string::npos) << number;
    }
}

class CommonResContent : public D3DTestDevice {};

// Every picture decodes to a power-of-two texture (D3DX would otherwise
// resize it with point sampling) and every mesh builds.
TEST_F(CommonResContent, PicturesDecodeAndMeshesBuild)
{
    TextureLoader loader(Device());
    for (int number : kPictureNumbers) {
        ResourceBlob blob;
        blob.id = number;
        blob.module = L"common_res.dll";
        const TextureEntry entry = loader.GetTexture(blob);
        ASSERT_TRUE(entry.texture) << "picture " << number;
        EXPECT_EQ(entry.width & (entry.width - 1), 0u) << "picture " << number;
        EXPECT_EQ(entry.height & (entry.height - 1), 0u) << "picture " << number;
    }
    for (int number : kMeshNumbers) {
        ResourceBlob blob;
        blob.id = number;
        blob.module = L"common_res.dll";
        const MeshEntry mesh = loader.GetMesh(blob, 32);
        EXPECT_FALSE(mesh.IsEmpty()) << "mesh " << number;
        EXPECT_GT(mesh.radius, 10.0f) << "mesh " << number;
    }
}

// The glyph strip holds N = height / width + 2 bands of glyphs.
TEST_F(CommonResContent, GlyphStripIsAVerticalStrip)
{
    TextureLoader loader(Device());
    ResourceBlob blob;
    blob.id = 40;
    blob.module = L"common_res.dll";
    const TextureEntry entry = loader.GetTexture(blob);
    ASSERT_TRUE(entry.texture);
    EXPECT_GE(entry.height / entry.width, 8u);
}
