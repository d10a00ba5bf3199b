// Loading whole documents: the layout, every failure path, and the
// bad-document harness over prefixes and seeded mutations.
#include <gtest/gtest.h>

#include <algorithm>

#include "AllocationProbe.h"
#include "DocumentRobustness.h"
#include "TestSceneClasses.h"
#include "engine/archive/IOF_W.h"
#include "host/D3DScreensaver.h"

namespace {

using namespace archive_test;

static_assert(kErrSceneDocument == kErrMediaNotFound, "a bad document shows the media error");

HRESULT Load(const std::vector<uint8_t>& bytes, TestSceneContent& content)
{
    const SceneClassRegistry classes;
    return ReadSceneDocument(bytes.data(), bytes.size(), classes, content);
}

TEST(SceneDocument, SmallDocumentLoadsEveryRecord)
{
    const std::vector<uint8_t> document = MakeSmallTestDocument();
    TestSceneContent content;
    ASSERT_EQ(Load(document, content), S_OK);
    ASSERT_EQ(content.slides.size(), 2u);
    EXPECT_EQ(content.slides[1]->name, L"Slide 1");
    ASSERT_EQ(content.slides[1]->items.size(), 2u);
    const auto* values = dynamic_cast<const ValueItem*>(content.slides[1]->items[0].get());
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values->blob.id, 18);
    EXPECT_NE(dynamic_cast<const PickyItem*>(content.slides[1]->items[1].get()), nullptr);
    EXPECT_EQ(content.blobs.size(), 2u);
    EXPECT_EQ(content.frameTimes, (std::vector<float>{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(WriteDocument(content), document) << "what was read writes back to the same bytes";
}

TEST(SceneDocument, HandleCarriesTheRegistriesItWasGiven)
{
    class Probe : public SceneDocumentContent {
    public:
        const SceneClassRegistry* seen = nullptr;
        int32_t rootVersion = -1;
        int32_t managerVersion = -1;
        void ReadRoot(DS_IOF_Archive* ar, int32_t version) override
        {
            seen = ar->classes;
            rootVersion = version;
        }
        void ReadResourceManager(DS_IOF_Archive* ar, int32_t version) override { managerVersion = version; }
    };
    DS_IOF_W writer;
    DS_IOF_Archive out;
    out.archive = &writer;
    writer.WriteString(L"KVB v 4.0.0");
    WriteRecordHeader(&out, L"NotTheRootName", 6);  // known-type headers are not compared
    WriteRecordHeader(&out, L"DS_DocResManager", 3);
    const SceneClassRegistry classes;
    Probe probe;
    EXPECT_EQ(ReadSceneDocument(writer.Bytes().data(), writer.Bytes().size(), classes, probe), S_OK);
    EXPECT_EQ(probe.seen, &classes);
    EXPECT_EQ(probe.rootVersion, 6);
    EXPECT_EQ(probe.managerVersion, 3);
}

// Documents that name a class no registry holds, or hold a record that
// yields no object: the whole load fails and no null item is kept.
TEST(SceneDocument, UnknownClassOrRejectedRecordFailsTheLoad)
{
    struct Case {
        const char* what;
        void (*spoil)(TestSceneContent&);
    };
    const Case cases[] = {{"picky item with a version it refuses",
                           [](TestSceneContent& c) { static_cast<PickyItem&>(*c.slides[0]->items[1]).version = 2; }},
                          {"empty slide list then a refused item", [](TestSceneContent& c) {
                               c.slides[0]->items.clear();
                               static_cast<PickyItem&>(*c.slides[1]->items[1]).version = 9;
                           }}};
    for (const Case& c : cases) {
        TestSceneContent spoiled = MakeSmallTestContent();
        c.spoil(spoiled);
        TestSceneContent content;
        EXPECT_EQ(Load(WriteDocument(spoiled), content), kErrSceneDocument) << c.what;
        for (const auto& slide : content.slides) {
            for (const auto& item : slide->items) EXPECT_NE(item, nullptr) << c.what;
        }
    }
}

TEST(SceneDocument, ClassNameInOtherLetterCaseIsNotFound)
{
    std::vector<uint8_t> document = MakeSmallTestDocument();
    // "TestValueItem" as UTF-16LE; lower-case its first letter.
    const uint8_t name[] = {'T', 0, 'e', 0, 's', 0, 't', 0, 'V', 0, 'a', 0, 'l', 0};
    auto at = std::search(document.begin(), document.end(), std::begin(name), std::end(name));
    ASSERT_NE(at, document.end());
    *at = 't';
    TestSceneContent content;
    EXPECT_EQ(Load(document, content), kErrSceneDocument);
}

TEST(SceneDocument, MissingResourceFailsWithMediaError)
{
    TestSceneContent content;
    EXPECT_EQ(LoadSceneDocument(content), kErrSceneDocument);
    EXPECT_EQ(LoadSceneDocument(content, GetModuleHandleW(L"kernel32.dll")), kErrSceneDocument);
    EXPECT_TRUE(content.slides.empty());
}

DocumentLoader TestLoader(const SceneClassRegistry& classes)
{
    DocumentLoader loader;
    loader.classes = &classes;
    loader.makeContent = [] { return std::make_unique<TestSceneContent>(); };
    return loader;
}

TEST(BadDocuments, EveryPrefixIsRejected)
{
    const std::vector<uint8_t> document = MakeSmallTestDocument();
    const SceneClassRegistry classes;
    const RobustnessReport report = LoadPrefixes(document, TestLoader(classes));
    EXPECT_EQ(report.loaded, 0u);
    EXPECT_EQ(report.rejected, document.size());
    EXPECT_EQ(report.unexpected, 0u);
    EXPECT_LE(report.largestAllocation, report.allocationLimit);
}

TEST(BadDocuments, SeededMutationsLoadOrAreRejected)
{
    const std::vector<uint8_t> document = MakeSmallTestDocument();
    const SceneClassRegistry classes;
    const RobustnessReport report = LoadMutations(document, TestLoader(classes), 20261210u, 4000);
    EXPECT_EQ(report.loaded + report.rejected, 4000u);
    EXPECT_EQ(report.unexpected, 0u) << std::hex << report.firstUnexpected;
    EXPECT_GT(report.rejected, 0u);
    EXPECT_GT(report.loaded, 0u) << "some mutations only touch values, and such documents still load";
    EXPECT_LE(report.largestAllocation, report.allocationLimit);
}

TEST(BadDocuments, OversizedCountsAllocateNothingFromTheCount)
{
    // A manager whose blob list claims two billion entries.
    DS_IOF_W writer;
    DS_IOF_Archive out;
    out.archive = &writer;
    writer.WriteString(L"KVB v 4.0.0");
    WriteRecordHeader(&out, L"DS_SlideShow_Light", 1);
    writer.WriteInt(0);
    WriteRecordHeader(&out, L"DS_DocResManager", 3);
    writer.WriteInt(INT32_MAX);
    const SceneClassRegistry classes;
    TestSceneContent content;
    AllocationProbe probe(AllocationLimitFor(writer.Bytes().size()));
    EXPECT_EQ(ReadSceneDocument(writer.Bytes().data(), writer.Bytes().size(), classes, content), kErrSceneDocument);
    EXPECT_LE(probe.Largest(), AllocationLimitFor(writer.Bytes().size()));
}

// A copy of this test program with the given bytes added as resource
// "DDS" 107, opened as a resource module.
class ModuleWithDocument {
public:
    explicit ModuleWithDocument(const std::vector<uint8_t>& document)
    {
        wchar_t self[MAX_PATH] = {};
        wchar_t folder[MAX_PATH] = {};
        if (!GetModuleFileNameW(nullptr, self, MAX_PATH) || !GetTempPathW(MAX_PATH, folder)) return;
        path = std::wstring(folder) + L"corvalline_doc_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
        if (!CopyFileW(self, path.c_str(), FALSE)) return;
        HANDLE update = BeginUpdateResourceW(path.c_str(), FALSE);
        if (!update) return;
        const BOOL added = UpdateResourceW(update, kSceneDocumentType, MAKEINTRESOURCEW(kSceneDocumentId),
                                           MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                           const_cast<uint8_t*>(document.data()), static_cast<DWORD>(document.size()));
        if (!EndUpdateResourceW(update, !added) || !added) return;
        module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    ~ModuleWithDocument()
    {
        if (module) FreeLibrary(module);
        if (!path.empty()) DeleteFileW(path.c_str());
    }
    HMODULE Module() const { return module; }

private:
    std::wstring path;
    HMODULE module = nullptr;
};

TEST(SceneDocument, LoadsFromTheResourceOfAModule)
{
    const std::vector<uint8_t> document = MakeSmallTestDocument();
    const ModuleWithDocument withDocument(document);
    ASSERT_NE(withDocument.Module(), nullptr);
    TestSceneContent content;
    // The process-wide registries hold no test classes; the test content
    // reads its slides through its own.
    ASSERT_EQ(LoadSceneDocument(content, withDocument.Module()), S_OK);
    EXPECT_EQ(content.slides.size(), 2u);
    EXPECT_EQ(WriteDocument(content), document);
}

}  // namespace
