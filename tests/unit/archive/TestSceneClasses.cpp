#include "TestSceneClasses.h"

#include "engine/archive/ArchiveValues.h"
#include "engine/archive/IOF_W.h"

namespace archive_test {

namespace {

const wchar_t kDocumentHeader[] = L"KVB v 4.0.0";
const wchar_t kRootClass[] = L"DS_SlideShow_Light";
const wchar_t kManagerClass[] = L"DS_DocResManager";
constexpr int32_t kRootVersion = 1;
constexpr int32_t kManagerVersion = 3;

}  // namespace

void ValueItem::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    DS_IOF_Virtual& in = *ar->archive;
    in.ReadResourceBlob(blob);
    in.ReadEmbeddedFile(file);
    in.ReadString(text);
    in.ReadInt64(stamp);
    in.ReadFloat(scale);
    in.ReadIntPair(pair);
    in.ReadInt(colour);
    in.ReadUInt(count);
    in.ReadChar(letter);
    in.ReadBool(flag);
    in.ReadInt32(offset);
    if (version < 2) return;
    ReadGuid(key, ar);
    ReadFloatList(ar, times);
}

void ValueItem::Write(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    DS_IOF_Virtual& out = *ar->archive;
    out.WriteResourceBlob(blob);
    out.WriteEmbeddedFile(file);
    out.WriteString(text);
    out.WriteInt64(stamp);
    out.WriteFloat(scale);
    out.WriteIntPair(pair);
    out.WriteInt(colour);
    out.WriteUInt(count);
    out.WriteChar(letter);
    out.WriteBool(flag);
    out.WriteInt32(offset);
    WriteGuid(key, ar);
    WriteFloatList(ar, times);
}

bool PickyItem::ReadFields(DS_IOF_Archive* ar, int32_t storedVersion)
{
    ar->archive->ReadString(note);
    version = storedVersion;
    return storedVersion <= kNewestVersion;
}

void PickyItem::Write(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, version);
    ar->archive->WriteString(note);
}

void TestSlide::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    ar->archive->ReadString(name);
    ReadRecordList(ar, TestClasses().items, items);
}

void TestSlide::Write(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteString(name);
    ar->archive->WriteInt(static_cast<int32_t>(items.size()));
    for (const auto& item : items) item->Write(ar);
}

void RegisterTestClasses(TestClassRegistry& classes)
{
    classes.slides.Register<TestSlide>(TestSlide::kClassName);
    classes.items.Register<ValueItem>(ValueItem::kClassName);
    classes.items.Register<PickyItem>(PickyItem::kClassName);
}

const TestClassRegistry& TestClasses()
{
    static const TestClassRegistry classes = [] {
        TestClassRegistry filled;
        RegisterTestClasses(filled);
        return filled;
    }();
    return classes;
}

void TestSceneContent::ReadRoot(DS_IOF_Archive* ar, int32_t version)
{
    ReadRecordList(ar, TestClasses().slides, slides);
}

void TestSceneContent::ReadResourceManager(DS_IOF_Archive* ar, int32_t version)
{
    ReadBlobList(ar, blobs);
    ReadFloatList(ar, frameTimes);
    ReadGuid(managerKey, ar);
}

void TestSceneContent::Write(DS_IOF_Archive* ar) const
{
    ar->archive->WriteString(kDocumentHeader);
    WriteRecordHeader(ar, kRootClass, kRootVersion);
    ar->archive->WriteInt(static_cast<int32_t>(slides.size()));
    for (const auto& slide : slides) slide->Write(ar);
    WriteRecordHeader(ar, kManagerClass, kManagerVersion);
    WriteBlobList(ar, blobs);
    WriteFloatList(ar, frameTimes);
    WriteGuid(managerKey, ar);
}

TestSceneContent MakeSmallTestContent()
{
    TestSceneContent content;
    for (int s = 0; s < 2; ++s) {
        auto slide = std::make_unique<TestSlide>();
        slide->name = L"Slide " + std::to_wstring(s);
        auto values = std::make_unique<ValueItem>();
        values->blob.id = 17 + s;
        values->blob.module = L"common_res.dll";
        values->blob.data = {1, 2, 3};
        values->blob.name = L"C:\\pictures\\sky.png";
        values->file.data = {9, 8};
        values->file.name = L"tone.wav";
        values->text = L"caption";
        values->stamp = 258;
        values->scale = 0.5f;
        values->pair = {3, -4};
        values->colour = 0x00332211;
        values->count = 7;
        values->letter = 'q';
        values->flag = true;
        values->offset = -12;
        values->key = {0x7C11B408, 0x6BE6, 0x4F1B, {0x94, 0xC8, 0x40, 0x19, 0x02, 0x25, 0xF7, 0x82}};
        values->times = {0.25f, 1.5f};
        slide->items.push_back(std::move(values));
        auto picky = std::make_unique<PickyItem>();
        picky->note = L"n";
        slide->items.push_back(std::move(picky));
        content.slides.push_back(std::move(slide));
    }
    ResourceBlob stored;
    stored.id = 5;
    stored.data = {0xAA, 0xBB};
    content.blobs.push_back(stored);
    content.blobs.push_back(ResourceBlob());
    content.frameTimes = {0.1f, 0.2f, 0.3f};
    content.managerKey = {0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
    return content;
}

std::vector<uint8_t> WriteDocument(const TestSceneContent& content)
{
    DS_IOF_W writer;
    DS_IOF_Archive handle;
    handle.archive = &writer;
    content.Write(&handle);
    return writer.Bytes();
}

std::vector<uint8_t> MakeSmallTestDocument()
{
    return WriteDocument(MakeSmallTestContent());
}

}  // namespace archive_test
