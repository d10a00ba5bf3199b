#include "engine/resources/FileLink.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <vector>

#include "engine/params/FunLightCtrl.h"
#include "unit/MemoryArchive.h"

namespace {

struct OrderCase {
    FileLinkValue a;
    FileLinkValue b;
    int order;  // -1: a before b, 0: same key, 1: b before a
};

class FileLinkOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(FileLinkOrderTest, PathByCodeUnitsThenStamp)
{
    const OrderCase& c = GetParam();
    const FileLinkLess less;
    EXPECT_EQ(less(c.a, c.b), c.order < 0);
    EXPECT_EQ(less(c.b, c.a), c.order > 0);
    EXPECT_EQ(c.a.Differs(c.b), c.order != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, FileLinkOrderTest,
    ::testing::Values(OrderCase{{L"common_res.dll", 62}, {L"common_res.dll", 89}, -1},
                      OrderCase{{L"common_res.dll", 62}, {L"common_res.dll", 62}, 0},
                      OrderCase{{L"Pic.png", 5}, {L"pic.png", 5}, -1},  // case-sensitive: 'P' < 'p'
                      OrderCase{{L"ab", 9}, {L"abc", 0}, -1},           // a prefix first, whatever the stamps
                      OrderCase{{L"b", 0}, {L"abc", 0}, 1},
                      OrderCase{{L"x", -1}, {L"x", 0}, -1},  // stamps are signed
                      OrderCase{{L"x", LLONG_MIN}, {L"x", LLONG_MAX}, -1},
                      OrderCase{{L"", 0}, {L"a", 0}, -1},
                      // UTF-16 code units, not code points: a surrogate (0xD800) comes
                      // before U+FFFD although its code point is larger.
                      OrderCase{{L"\xD800\xDC00", 0}, {L"\xFFFD", 0}, -1},
                      OrderCase{{L"\x00E9", 0}, {L"\xFF21", 0}, -1}));

TEST(FileLinkKeyTest, EqualValuesShareOneMapEntry)
{
    std::map<FileLinkValue, int, FileLinkLess> table;
    table[DS_FileLink3(62, L"common_res.dll").GetValue()] = 1;
    table[DS_FileLink3(62, L"common_res.dll").GetValue()] = 2;
    table[DS_FileLink3(89, L"common_res.dll").GetValue()] = 3;
    table[DS_FileLink3(62, L"Common_res.dll").GetValue()] = 4;
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ((table[{L"common_res.dll", 62}]), 2);
}

struct ExtensionCase {
    const wchar_t* path;
    const wchar_t* extension;
};

class FileLinkExtensionTest : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(FileLinkExtensionTest, FromLastDotWithAsciiLettersLowered)
{
    const DS_FileLink3 link(FileLinkValue{GetParam().path, 0});
    EXPECT_EQ(link.GetExtension(), GetParam().extension);
}

INSTANTIATE_TEST_SUITE_P(Paths, FileLinkExtensionTest,
                         ::testing::Values(ExtensionCase{L"C:\\Pictures\\Sunset.JPG", L".jpg"},
                                           ExtensionCase{L"common_res.dll", L".dll"},
                                           ExtensionCase{L"C:\\Pictures\\noext", L""}, ExtensionCase{L"", L""},
                                           ExtensionCase{L"archive.tar.GZ", L".gz"},
                                           ExtensionCase{L"C:\\dir.v2\\file", L".v2\\file"},
                                           ExtensionCase{L"image.\x00C4Z", L".\x00C4z"},  // only A to Z lowered
                                           ExtensionCase{L"trailing.", L"."}));

TEST(FileLinkConstructTest, ModuleResourcesAndBlobs)
{
    const DS_FileLink3 empty;
    EXPECT_EQ(empty.GetPath(), L"");
    EXPECT_EQ(empty.GetStamp(), 0);

    const DS_MeshFile mesh(69, L"common_res.dll");
    EXPECT_EQ(mesh.GetPath(), L"common_res.dll");
    EXPECT_EQ(mesh.GetStamp(), 69);
    EXPECT_EQ(DS_HLSLEffectFile(-2, L"m.dll").GetStamp(), -2);  // widened with its sign

    ResourceBlob numbered;
    numbered.id = -1;
    numbered.module = L"common_res.dll";
    numbered.name = L"ignored.png";
    const DS_FileLink3 fromNumbered(numbered);
    EXPECT_EQ(fromNumbered.GetPath(), L"common_res.dll");
    EXPECT_EQ(fromNumbered.GetStamp(), 0xFFFFFFFFll);  // a blob id is widened as unsigned

    ResourceBlob embedded;
    embedded.name = L"mask.png";
    const DS_FileLink3 first(embedded);
    const DS_FileLink3 second(embedded);
    EXPECT_EQ(first.GetPath(), L"mask.png");
    EXPECT_EQ(second.GetStamp(), first.GetStamp() + 1);  // never the same key twice
}

struct StoredCase {
    FileLinkValue value;
    std::vector<uint8_t> bytes;
};

class FileLinkStoredFormTest : public ::testing::TestWithParam<StoredCase> {};

TEST_P(FileLinkStoredFormTest, StringThenInt64WithoutHeader)
{
    const StoredCase& c = GetParam();
    MemoryArchive out;
    DS_FileLink3(c.value).Write(out.Handle());
    EXPECT_EQ(out.bytes, c.bytes);

    DS_FileLink3 read;
    MemoryArchive in(c.bytes);
    read.Read(in.Handle());
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(read.GetValue(), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Links, FileLinkStoredFormTest,
    ::testing::Values(StoredCase{{L"", 0}, {0xFF, 0xFE, 0xFF, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}},
                      StoredCase{{L"res.dll", 62},
                                 {0xFF, 0xFE, 0xFF, 0x07, 'r', 0, 'e', 0, 's', 0, '.', 0, 'd', 0, 'l', 0, 'l', 0, 62, 0,
                                  0, 0, 0, 0, 0, 0}},
                      StoredCase{{L"\x00E9", -2},
                                 {0xFF, 0xFE, 0xFF, 0x01, 0xE9, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
                      StoredCase{{L"t", 1577934245},
                                 {0xFF, 0xFE, 0xFF, 0x01, 't', 0, 0xA5, 0x5D, 0x0D, 0x5E, 0, 0, 0, 0}}));

struct Counter {
    int calls = 0;
    void OnAny() { ++calls; }
};

TEST(FileLinkReadTest, ReadStoresWithoutNotifying)
{
    DS_ImageFileLink link;
    Counter counter;
    DS_FunLightCtrl2<Counter> listener(&Counter::OnAny, &counter);
    listener.Attach(&link);
    MemoryArchive out;
    DS_FileLink3(89, L"common_res.dll").Write(out.Handle());
    MemoryArchive in(out.bytes);
    link.Read(in.Handle());
    EXPECT_EQ(link.GetValue(), (FileLinkValue{L"common_res.dll", 89}));
    EXPECT_EQ(counter.calls, 0);
    EXPECT_EQ(link.GetUndoImage().CachedValue(), FileLinkValue{});  // the undo listener heard nothing either
}

TEST(FileLinkReadTest, TruncatedRecordFailsWithoutCrashing)
{
    MemoryArchive out;
    DS_FileLink3(89, L"common_res.dll").Write(out.Handle());
    std::vector<uint8_t> bytes = out.bytes;
    bytes.resize(bytes.size() - 3);  // the stamp is cut short
    DS_FileLink3 link(5, L"old.dll");
    MemoryArchive in(bytes);
    link.Read(in.Handle());
    EXPECT_TRUE(in.Failed());
    EXPECT_EQ(link.GetPath(), L"common_res.dll");
    EXPECT_EQ(link.GetStamp(), 5);  // the stamp that could not be read stays

    DS_FileLink3 unread(5, L"old.dll");
    unread.Read(DS_IOF_Archive{});  // no archive: nothing happens
    EXPECT_EQ(unread.GetPath(), L"old.dll");
}

TEST(FileLinkSetterTest, SetterNotifiesOthersOnChangeOnly)
{
    DS_ImageFileLink link;
    Counter counter;
    DS_FunLightCtrl2<Counter> listener(&Counter::OnAny, &counter);
    listener.Attach(&link);
    ASSERT_EQ(link.Controls().size(), 2u);
    EXPECT_EQ(link.Controls()[0], &link.GetUndoImage());

    EXPECT_TRUE(link.SetValue({L"a.png", 1}));
    EXPECT_FALSE(link.SetValue({L"a.png", 1}));
    EXPECT_TRUE(link.SetValue({L"a.png", 2}, &listener));
    EXPECT_EQ(counter.calls, 1);
    EXPECT_EQ(link.GetUndoImage().CachedValue(), (FileLinkValue{L"a.png", 2}));

    const DS_ImageFileLink copy(link);
    EXPECT_EQ(copy.GetValue(), link.GetValue());
    EXPECT_EQ(copy.Controls().size(), 1u);  // only its own undo listener
    const DS_ImageFileLink fromPlain(DS_FileLink3(5, L"common_res.dll"));
    EXPECT_EQ(fromPlain.GetStamp(), 5);
}

// Writes a file with a chosen last-write time and links to it.
class FileStampTest : public ::testing::TestWithParam<std::pair<int64_t, int64_t>> {
protected:
    void SetUp() override
    {
        wchar_t dir[MAX_PATH] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH, dir), 0u);
        // A file of its own: the cases run in parallel processes.
        wchar_t name[MAX_PATH] = {};
        ASSERT_NE(GetTempFileNameW(dir, L"cfl", 0, name), 0u);
        path_ = name;
    }
    void TearDown() override { DeleteFileW(path_.c_str()); }

    ds_string path_;
};

TEST_P(FileStampTest, StampIsSecondsSince1970)
{
    const int64_t ticksSince1970 = GetParam().first;
    const uint64_t fileTime = static_cast<uint64_t>(ticksSince1970 + 116444736000000000ll);
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(fileTime & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    const BOOL timeSet = SetFileTime(file, nullptr, nullptr, &ft);
    CloseHandle(file);
    ASSERT_TRUE(timeSet);

    const DS_FileLink3 link(path_);
    EXPECT_EQ(link.GetPath(), path_);
    EXPECT_EQ(link.GetStamp(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Times, FileStampTest,
                         ::testing::Values(std::make_pair(15779342450000000ll, 1577934245ll),  // 2020-01-02 03:04:05
                                           std::make_pair(15779342459999999ll, 1577934245ll),  // fraction dropped
                                           std::make_pair(-5000000ll, -1ll)));                 // 1969: whole seconds down

TEST(FileStampMissingTest, UnreadableFileGivesStampZero)
{
    const DS_FileLink3 link(ds_string(L"C:\\no\\such\\folder\\picture.png"));
    EXPECT_EQ(link.GetPath(), L"C:\\no\\such\\folder\\picture.png");
    EXPECT_EQ(link.GetStamp(), 0);
    EXPECT_EQ(FileModificationStamp(L""), 0);
}

}  // namespace
