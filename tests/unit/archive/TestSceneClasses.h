// Small stored classes for testing the document loader: a root of slides,
// each slide with a list of items chosen by class name, and a manager body
// of counted lists. They read and write every value kind, so the same
// classes drive the round-trip tests and the bad-document harness.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "engine/archive/ClassRegistry.h"
#include "engine/archive/IOF_Item.h"
#include "engine/archive/SceneDocument.h"

namespace archive_test {

class TestItem : public DS_IOF_Item {};

// Every value kind. Version 1 records lack the GUID and the float list.
class ValueItem : public TestItem {
public:
    static constexpr wchar_t kClassName[] = L"TestValueItem";
    static constexpr int32_t kVersion = 2;

    ResourceBlob blob;
    EmbeddedFile file;
    ds_string text = L"unset";
    int64_t stamp = 0;
    float scale = 0.0f;
    IntPair pair;
    int32_t colour = 0;
    uint32_t count = 0;
    char letter = 0;
    bool flag = false;
    int32_t offset = 0;
    GUID key = {};
    std::vector<float> times;

    void ReadFields(DS_IOF_Archive* ar, int32_t version);
    void Write(DS_IOF_Archive* ar) override;
};

// A reader that turns down records with a version above kNewestVersion,
// as a class would on contents it cannot accept.
class PickyItem : public TestItem {
public:
    static constexpr wchar_t kClassName[] = L"TestPickyItem";
    static constexpr int32_t kNewestVersion = 1;

    int32_t version = kNewestVersion;
    ds_string note;

    bool ReadFields(DS_IOF_Archive* ar, int32_t storedVersion);
    void Write(DS_IOF_Archive* ar) override;
};

class TestSlide : public DS_IOF_Item {
public:
    static constexpr wchar_t kClassName[] = L"TestSlide";
    static constexpr int32_t kVersion = 1;

    ds_string name;
    std::vector<std::unique_ptr<TestItem>> items;

    void ReadFields(DS_IOF_Archive* ar, int32_t version);
    void Write(DS_IOF_Archive* ar) override;
};

struct TestClassRegistry {
    ClassRegistry<TestSlide> slides;
    ClassRegistry<TestItem> items;
};

void RegisterTestClasses(TestClassRegistry& classes);
// The registries the test slides read their items through.
const TestClassRegistry& TestClasses();

// The document's top-level records read into test classes; Write writes
// the whole document in the form the loader reads.
class TestSceneContent : public SceneDocumentContent {
public:
    std::vector<std::unique_ptr<TestSlide>> slides;
    std::vector<ResourceBlob> blobs;
    std::vector<float> frameTimes;
    GUID managerKey = {};

    void ReadRoot(DS_IOF_Archive* ar, int32_t version) override;
    void ReadResourceManager(DS_IOF_Archive* ar, int32_t version) override;
    void Write(DS_IOF_Archive* ar) const;
};

// A small valid document: two slides with items of every kind, a manager
// body of blobs, frame times and a GUID.
TestSceneContent MakeSmallTestContent();
std::vector<uint8_t> WriteDocument(const TestSceneContent& content);
std::vector<uint8_t> MakeSmallTestDocument();

}  // namespace archive_test
