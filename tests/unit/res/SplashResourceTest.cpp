// The generated scene pictures as the player meets them: the splash linked
// into the program as resource "DDS" 5, and the pictures of the build's
// scenepics folder, each read by D3DX the way the texture loader reads them.
#include <windows.h>
#include <d3dx9.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "unit/BuildFiles.h"

namespace {

bool IsPowerOfTwo(UINT v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

// The build puts the tests and the program into the same bin folder, and
// the pictures into scenepics next to it.
TEST(SplashResourceTest, ProgramCarriesSquarePowerOfTwoSplashThatD3DXReads)
{
    const ProgramResources module(L"corvalline.scr");
    ASSERT_NE(module.get(), nullptr) << "cannot open the program's resources, error " << GetLastError();

    HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(5), L"DDS");
    ASSERT_NE(found, nullptr) << "resource \"DDS\" 5 is missing";
    const DWORD size = SizeofResource(module.get(), found);
    HGLOBAL loaded = LoadResource(module.get(), found);
    ASSERT_NE(loaded, nullptr);
    const void* bytes = LockResource(loaded);
    ASSERT_NE(bytes, nullptr);
    ASSERT_GT(size, 54u);

    D3DXIMAGE_INFO info = {};
    ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(bytes, size, &info), D3D_OK);
    // The splash is drawn on a square; an unscaled load keeps it exact only
    // at a power-of-two size.
    EXPECT_EQ(info.Width, info.Height);
    EXPECT_TRUE(IsPowerOfTwo(info.Width)) << info.Width;
    EXPECT_GE(info.Width, 256u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
}

struct PictureCase {
    const wchar_t* file;
    UINT width;
    UINT height;
    D3DXIMAGE_FILEFORMAT fileFormat;
    bool needsAlpha;  // brush masks are read through their alpha
};

class ScenePictureTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(ScenePictureTest, D3DXReadsSizeAndFormat)
{
    const PictureCase& c = GetParam();
    const std::wstring path = ProgramFolder() + L"..\\scenepics\\" + c.file;
    D3DXIMAGE_INFO info = {};
    ASSERT_EQ(D3DXGetImageInfoFromFileW(path.c_str(), &info), D3D_OK);
    EXPECT_EQ(info.Width, c.width);
    EXPECT_EQ(info.Height, c.height);
    EXPECT_EQ(info.ImageFileFormat, c.fileFormat);
    if (c.needsAlpha) {
        EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
    }
}

const PictureCase kPictures[] = {
    {L"landscape.jpg", 1024, 768, D3DXIFF_JPG, false},
    {L"splash.bmp", 512, 512, D3DXIFF_BMP, false},
    {L"mask_water.png", 512, 512, D3DXIFF_PNG, true},
    {L"mask_stream.png", 512, 512, D3DXIFF_PNG, true},
    {L"mask_ripple.png", 512, 512, D3DXIFF_PNG, true},
};

INSTANTIATE_TEST_SUITE_P(Generated, ScenePictureTest, ::testing::ValuesIn(kPictures));

}  // namespace
