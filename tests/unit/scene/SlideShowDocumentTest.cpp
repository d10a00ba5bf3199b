// The documents the build composes: the program's own (embedded in the .scr
// as "DDS" 107) and a two-slide one. Their layout, the bad-document harness
// over the program's document, and playing them: slides switch and fade.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/archive/IOF_R.h"
#include "unit/archive/DocumentRobustness.h"
#include "unit/scene/ComposedDocuments.h"

namespace {

const SceneClassRegistry& Classes()
{
    return ComposedDocumentClasses();
}

// The version stored after a class name in its short string form (a length
// byte, then UTF-16LE units), or -1 when the name does not occur.
int32_t VersionAfterClassName(const std::vector<uint8_t>& bytes, const char* name)
{
    std::vector<uint8_t> pattern{uint8_t(std::strlen(name))};
    for (const char* c = name; *c; ++c) pattern.insert(pattern.end(), {uint8_t(*c), 0});
    const auto at = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    if (at == bytes.end() || bytes.end() - at < std::ptrdiff_t(pattern.size() + 4)) return -1;
    int32_t version = 0;
    std::memcpy(&version, &*(at + pattern.size()), 4);
    return version;
}

// Reads the program's document record by record; the manager's record must
// end at the last byte.
TEST(ComposedDocument, ProgramDocumentHasItsLayout)
{
    const std::vector<uint8_t> bytes = ReadBuildFile("res/scene.kvb");
    ASSERT_FALSE(bytes.empty());
    DocumentRecords records(bytes);
    DS_SlideShow_Light root;
    ASSERT_TRUE(records.ReadRoot(root));
    EXPECT_EQ(records.header, L"KVB v 4.0.0");
    EXPECT_EQ(records.rootName, L"DS_SlideShow_Light");
    EXPECT_EQ(records.rootVersion, 1);
    ASSERT_EQ(root.Slides().size(), 1u);
    EXPECT_EQ(root.Slides()[0]->name.GetValue(), L"Slide 0");
    EXPECT_TRUE(root.Slides()[0]->GetLight());
    EXPECT_EQ(root.Slides()[0]->DrawnItems().size(), 3u) << "the three brushes";
    EXPECT_TRUE(root.AudioFiles().empty());
    EXPECT_EQ(root.Slides()[0]->GetLight()->Camera().enabled, 1) << "the camera drifts";
    EXPECT_EQ(VersionAfterClassName(bytes, "DS_2D_Light"), 3);
    EXPECT_EQ(VersionAfterClassName(bytes, "DSM_Camera"), 2);

    ds_string text;
    int32_t version = 0;
    records.reader.ReadString(text);
    records.reader.ReadInt(version);
    EXPECT_EQ(text, L"DS_DocResManager");
    EXPECT_EQ(version, 3);
    DS_DocResManager manager(nullptr);
    ASSERT_TRUE(manager.Read(&records.in, version));
    EXPECT_EQ(records.buffer.Remaining(), 0u) << "the manager's record ends at the last byte";
    EXPECT_EQ(manager.Store().textureSets.size(), 4u)
        << "the landscape, the border picture, the bump and the noise picture are stored";
    EXPECT_EQ(manager.Store().byteCache.count(root.Slides()[0]->GetLight()->PictureLink().GetValue()), 1u);
}

TEST(ComposedDocument, SlideRecordVersionIsFour)
{
    // Header string, root header, slide count, then the slide's header.
    const std::vector<uint8_t> bytes = ReadBuildFile("res/scene.kvb");
    ResourceBuffer buffer(bytes.data(), bytes.size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    ds_string text;
    int32_t value = 0;
    reader.ReadString(text);
    reader.ReadString(text);
    reader.ReadInt(value);
    reader.ReadInt(value);
    EXPECT_EQ(value, 1) << "one slide";
    reader.ReadString(text);
    reader.ReadInt(value);
    EXPECT_EQ(text, L"DS_SlideContainer");
    EXPECT_EQ(value, 4);
}

DocumentLoader SlideShowLoader()
{
    DocumentLoader loader;
    loader.classes = &Classes();
    loader.makeContent = [] { return std::make_unique<SlideShowContent>(); };
    return loader;
}

constexpr size_t kDenseManagerBytes = 4096;
constexpr size_t kManagerCutStride = 251;

// Where the root record (header string included) of a document ends.
size_t RootRecordEnd(const std::vector<uint8_t>& bytes)
{
    DocumentRecords records(bytes);
    DS_SlideShow_Light root;
    if (!records.ReadRoot(root)) return bytes.size();
    return bytes.size() - records.buffer.Remaining();
}

TEST(ComposedDocument, PrefixesAreRefused)
{
    const std::vector<uint8_t> bytes = ReadBuildFile("res/scene.kvb");
    ASSERT_FALSE(bytes.empty());
    // Every cut through the slides, their brushes and the start of the
    // resource record; then cuts a prime stride apart through the stored
    // pictures, effects and masks.
    const size_t denseEnd = RootRecordEnd(bytes) + kDenseManagerBytes;
    const RobustnessReport report = LoadPrefixes(bytes, SlideShowLoader(), denseEnd, kManagerCutStride);
    const size_t cuts = denseEnd + (bytes.size() - denseEnd + kManagerCutStride - 1) / kManagerCutStride;
    EXPECT_EQ(report.loaded, 0u);
    EXPECT_EQ(report.rejected, cuts);
    EXPECT_EQ(report.unexpected, 0u);
}

// The program's document is large: its mutations are spread over several
// seeds, each run as its own test process, so that each stays well inside
// the time a test may take.
class ComposedDocumentMutations : public ::testing::TestWithParam<uint32_t> {};

TEST_P(ComposedDocumentMutations, LoadOrAreRefused)
{
    const std::vector<uint8_t> bytes = ReadBuildFile("res/scene.kvb");
    ASSERT_FALSE(bytes.empty());
    const size_t count = 500;
    const RobustnessReport report = LoadMutations(bytes, SlideShowLoader(), GetParam(), count);
    EXPECT_EQ(report.loaded + report.rejected, count);
    EXPECT_EQ(report.unexpected, 0u) << std::hex << report.firstUnexpected;
    EXPECT_GT(report.rejected, 0u);
    EXPECT_GT(report.loaded, 0u);
    EXPECT_LE(report.largestAllocation, report.allocationLimit);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ComposedDocumentMutations, ::testing::Values(20261210u, 20261211u));

// The documents of the test builds hold the kinds the program's own
// document lacks; their mutations go through those kinds' readers.
class TestBuildDocumentMutations : public ::testing::TestWithParam<const char*> {};

TEST_P(TestBuildDocumentMutations, LoadOrAreRefused)
{
    const std::vector<uint8_t> bytes = ReadBuildFile(std::string("tests/variants/") + GetParam());
    ASSERT_FALSE(bytes.empty()) << GetParam();
    const size_t count = 300;
    const RobustnessReport report = LoadMutations(bytes, SlideShowLoader(), 20261211u, count);
    EXPECT_EQ(report.loaded + report.rejected, count);
    EXPECT_EQ(report.unexpected, 0u) << std::hex << report.firstUnexpected;
    EXPECT_LE(report.largestAllocation, report.allocationLimit);
}

INSTANTIATE_TEST_SUITE_P(Documents, TestBuildDocumentMutations,
                         ::testing::Values("brushes_underwater_scene.kvb", "flame_glassball_scene.kvb",
                                           "sprites_scene.kvb", "objects3d_scene.kvb", "particles_scene.kvb",
                                           "particle_shows_scene.kvb", "plants_text_scene.kvb"));

// Playing documents on a real device, as a render unit does.
class PlayedDocument : public DocumentPlayback {
protected:
    // Red, green and blue of the back buffer's centre pixel.
    uint32_t CentreColour()
    {
        const std::vector<uint32_t> pixels = BackBufferPixels();
        if (pixels.empty()) return 0xDEADBEEFu;
        return pixels[pixels.size() / 2 + kBackBufferSize / 2] & 0x00FFFFFFu;
    }
};

TEST_F(PlayedDocument, TwoSlideDocumentSwitchesSlides)
{
    const std::vector<uint8_t> bytes = ReadBuildFile("res/two_slides.kvb");
    ASSERT_EQ(ReadSlideShowDocument(bytes.data(), bytes.size(), Classes(), document_), S_OK);
    SetCurrentDocResManager(document_.manager.get());
    DS_SlideShow_Light& root = *document_.root;
    ASSERT_EQ(root.Slides().size(), 2u);
    root.BuildObjects();
    root.SetPicturePosition(2);
    root.ExtractAudioFiles();

    // "First": 1 s in, 2 s shown, 1 s out; "Second": 2 s in, 3 s shown, none out.
    const struct {
        float t;
        const wchar_t* slide;
        float alpha;
    } frames[] = {
        {50.0f, L"First", 0.0f},   {51.5f, L"First", 0.0f},  {52.5f, L"First", 0.5f}, {53.25f, L"Second", 1.0f},
        {54.25f, L"Second", 0.5f}, {56.0f, L"Second", 0.0f}, {58.5f, L"First", 1.0f},
    };
    for (const auto& frame : frames) {
        Frame(frame.t);
        ASSERT_TRUE(root.CurrentSlide());
        EXPECT_EQ(root.CurrentSlide()->name.GetValue(), frame.slide) << frame.t;
        EXPECT_NEAR(root.OverlayAlpha(), frame.alpha, 1e-4f) << frame.t;
        // The overlay is drawn over everything: black when opaque, the
        // landscape when transparent.
        if (frame.alpha == 1.0f) {
            EXPECT_EQ(CentreColour(), 0u) << frame.t;
        } else if (frame.alpha == 0.0f) {
            EXPECT_NE(CentreColour(), 0u) << frame.t;
        }
    }
    ASSERT_NE(root.FadeOverlay(), nullptr);
    root.InvalidateDeviceObjects();
    root.RestoreDeviceObjects();
    SetCurrentDocResManager(nullptr);
}

TEST_F(PlayedDocument, ProgramCarriesItsDocumentAsDds107)
{
    const std::wstring program = ProgramDirectory() + L"corvalline.scr";
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    RegisterSceneClasses();  // as the program does at start-up
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(107), L"DDS"), nullptr);
    ASSERT_EQ(LoadSlideShowDocument(document_, module), S_OK);
    EXPECT_EQ(CurrentDocResManager(), document_.manager.get());
    ASSERT_EQ(document_.root->Slides().size(), 1u);
    document_.root->BuildObjects();
    document_.root->SetPicturePosition(1);
    Frame(1.0f);
    Frame(30.0f);
    EXPECT_EQ(document_.root->OverlayAlpha(), 0.0f) << "one slide never fades";
    document_.manager.reset();
    EXPECT_EQ(CurrentDocResManager(), nullptr);
    FreeLibrary(module);
}

TEST(ComposedDocument, MissingDocumentIsTheMediaError)
{
    SlideShowDocument document;
    EXPECT_EQ(LoadSlideShowDocument(document, GetModuleHandleW(L"kernel32.dll")), kErrSceneDocument);
    EXPECT_EQ(document.root, nullptr);
    EXPECT_EQ(document.manager, nullptr);
}

}  // namespace
