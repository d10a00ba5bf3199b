// Files written into the temporary folder under names from the document:
// whatever the stored name, the file lands inside the folder under a name
// of its own, and only the process's own files are deleted.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "engine/scene/TempFileNames.h"

namespace {

class TempFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = TempFolder();
        ASSERT_FALSE(folder_.empty());
        folder_ += L"corvalline_names_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override
    {
        for (const std::wstring& path : written_) files_.Delete(path);
        RemoveDirectoryW(folder_.c_str());
    }
    std::wstring Write(const std::wstring& name, TempFileNames::Holder holder = TempFileNames::Holder::kItem)
    {
        const std::wstring path = files_.Write(folder_, name, L"sound.mp3", {1, 2, 3}, holder);
        if (!path.empty()) written_.push_back(path);
        return path;
    }
    // The file name of path when it is directly inside the folder; empty otherwise.
    std::wstring NameInFolder(const std::wstring& path) const
    {
        if (path.compare(0, folder_.size(), folder_) != 0) return L"";
        const std::wstring name = path.substr(folder_.size());
        return name.find_first_of(L"\\/:") == std::wstring::npos ? name : L"";
    }
    static bool Exists(const std::wstring& path)
    {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    TempFileNames files_;
    std::wstring folder_;
    std::vector<std::wstring> written_;
};

TEST_F(TempFiles, HostileNamesStayInsideTheFolder)
{
    const std::wstring longName = std::wstring(300, L'n') + L".mp3";
    const struct {
        std::wstring stored;
        std::wstring name;  // empty: only checked to be inside and short enough
    } cases[] = {
        {L"..\\..\\x.mp3", L"x.mp3"},
        {L"C:\\x.mp3", L"x (2).mp3"},  // "x.mp3" is held by the file above
        {L"Z:\\tmp\\", L"sound.mp3"},
        {L"a/b.mp3", L"b.mp3"},
        {L"", L"sound (2).mp3"},
        {L"..", L"sound (3).mp3"},
        {L"C:evil.mp3", L"evil.mp3"},
        {L"CON.mp3", L"_CON.mp3"},
        {L"com1", L"_com1"},
        {L"x<y>|\"?*.mp3", L"x_y_____.mp3"},
        {L"trail.mp3. . ", L"trail.mp3"},
        {longName, L""},
    };
    for (const auto& c : cases) {
        const std::wstring path = Write(c.stored);
        ASSERT_FALSE(path.empty()) << c.stored;
        const std::wstring name = NameInFolder(path);
        EXPECT_FALSE(name.empty()) << c.stored << " -> " << path;
        if (!c.name.empty()) {
            EXPECT_EQ(name, c.name) << c.stored;
        }
        EXPECT_LT(path.size(), static_cast<size_t>(MAX_PATH)) << c.stored;
        EXPECT_TRUE(Exists(path)) << path;
        EXPECT_TRUE(files_.Holds(path));
    }
    const std::wstring kept = Write(longName);
    EXPECT_EQ(kept.substr(kept.size() - 8), L" (2).mp3") << "a shortened name keeps its extension";
}

TEST_F(TempFiles, OneNameTwiceGivesTwoFilesAndEachDeletesOnlyItsOwn)
{
    const std::wstring first = Write(L"C:\\a\\same.mp3");
    const std::wstring second = Write(L"D:\\b\\same.mp3");
    EXPECT_EQ(NameInFolder(first), L"same.mp3");
    EXPECT_EQ(NameInFolder(second), L"same (2).mp3");
    files_.Delete(first);
    EXPECT_FALSE(Exists(first));
    EXPECT_TRUE(Exists(second));
    // A name that is free again is used again (names repeat from run to run).
    EXPECT_EQ(Write(L"same.mp3"), first);

    // A file the record does not hold is never deleted.
    const std::wstring stranger = folder_ + L"stranger.mp3";
    HANDLE h = CreateFileW(stranger.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    files_.Delete(stranger);
    EXPECT_TRUE(Exists(stranger));
    DeleteFileW(stranger.c_str());
}

TEST_F(TempFiles, UnwritableNamesAreSkippedAndMusicCopiesShareTheirName)
{
    // A folder where the file would go cannot be written.
    const std::wstring blocker = folder_ + L"blocked.mp3";
    ASSERT_TRUE(CreateDirectoryW(blocker.c_str(), nullptr));
    EXPECT_EQ(NameInFolder(Write(L"blocked.mp3")), L"blocked (2).mp3");
    RemoveDirectoryW(blocker.c_str());

    // The same music written again takes its own copy's name; an item never
    // takes a music copy's name, nor music an item's.
    const std::wstring music = Write(L"tune.mp3", TempFileNames::Holder::kMusic);
    EXPECT_EQ(Write(L"tune.mp3", TempFileNames::Holder::kMusic), music);
    EXPECT_EQ(NameInFolder(Write(L"tune.mp3")), L"tune (2).mp3");
    const std::wstring item = Write(L"bell.mp3");
    EXPECT_EQ(NameInFolder(Write(L"bell.mp3", TempFileNames::Holder::kMusic)), L"bell (2).mp3");
    EXPECT_TRUE(Exists(item));

    // No usable folder: nothing is written.
    EXPECT_TRUE(files_.Write(folder_ + L"missing\\", L"x.mp3", L"sound.mp3", {1}, TempFileNames::Holder::kItem).empty());
}

}  // namespace
