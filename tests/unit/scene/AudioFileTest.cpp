// Music files of the slideshow: their record, and the copies of embedded
// music in the temporary folder, where only the file's own name is used.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <fstream>
#include <iterator>

#include "engine/archive/IOF_R.h"
#include "engine/archive/IOF_W.h"
#include "engine/scene/AudioFile.h"
#include "engine/scene/SlideShow.h"

namespace {

TEST(AudioFile, RecordRoundTrip)
{
    DS_AudioFile original;
    original.path = L"C:\\music\\song.mp3";
    original.file.name = L"C:\\music\\song.mp3";
    original.file.data = {1, 2, 3, 4, 5};
    DS_IOF_W writer;
    DS_IOF_Archive out;
    out.archive = &writer;
    original.Write(&out);

    for (size_t size = 0; size <= writer.Bytes().size(); ++size) {
        ResourceBuffer buffer(writer.Bytes().data(), size);
        DS_IOF_R<ResourceBuffer> reader(&buffer);
        DS_IOF_Archive in;
        in.archive = &reader;
        const std::unique_ptr<DS_AudioFile> read = DS_AudioFile::ReadRecord(&in);
        if (size < writer.Bytes().size()) {
            EXPECT_EQ(read, nullptr) << "cut at " << size;
            continue;
        }
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->path, original.path);
        EXPECT_EQ(read->file.name, original.file.name);
        EXPECT_EQ(read->file.data, original.file.data);
        EXPECT_EQ(buffer.Remaining(), 0u);
    }
}

TEST(AudioFile, FileNamePartSplitsOnBothSeparatorsAndRefusesUnsafeNames)
{
    const struct {
        const wchar_t* name;
        const wchar_t* part;
    } cases[] = {
        {L"C:\\music\\song.mp3", L"song.mp3"},
        {L"/home/user/song.wav", L"song.wav"},
        {L"C:\\mixed/dir\\track.mp3", L"track.mp3"},
        {L"song.mp3", L"song.mp3"},
        {L"..\\..\\up.mp3", L"up.mp3"},
        {L"C:\\music\\..", L""},
        {L"C:\\music\\.", L""},
        {L"..", L""},
        {L"C:\\music\\", L""},
        {L"", L""},
        {L"C:song.mp3", L""},
        {L"dir\\song.mp3:stream", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(SafeFileNamePart(c.name), c.part) << c.name;
}

class AudioFileExtract : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder_ = std::wstring(temp) + L"corvalline_audio_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override
    {
        for (const std::wstring& file : created_) DeleteFileW(file.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    std::wstring Made(const std::wstring& name)
    {
        created_.push_back(folder_ + name);
        return folder_ + name;
    }
    static std::vector<uint8_t> ReadFile(const std::wstring& path)
    {
        std::vector<uint8_t> bytes;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return bytes;
        uint8_t chunk[256];
        DWORD read = 0;
        while (::ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
            bytes.insert(bytes.end(), chunk, chunk + read);
        }
        CloseHandle(file);
        return bytes;
    }

    std::wstring folder_;
    std::vector<std::wstring> created_;
};

TEST_F(AudioFileExtract, MissingPathIsCopiedUnderItsOwnFileName)
{
    DS_AudioFile audio;
    audio.file.name = L"Q:\\nowhere\\..\\deep/song.mp3";
    audio.file.data = {9, 8, 7};
    const std::wstring copy = Made(L"song.mp3");
    ASSERT_TRUE(audio.ExtractTo(folder_));
    EXPECT_EQ(audio.file.name, copy);
    EXPECT_EQ(ReadFile(copy), (std::vector<uint8_t>{9, 8, 7}));
    EXPECT_EQ(audio.file.data.size(), 3u) << "the bytes stay in memory";
}

TEST_F(AudioFileExtract, ExistingPathPlaysFromThereAndDropsTheBytes)
{
    const std::wstring existing = Made(L"there.mp3");
    {
        DS_AudioFile maker;
        maker.file.name = L"there.mp3";
        maker.file.data = {1};
        ASSERT_TRUE(maker.ExtractTo(folder_));
    }
    DS_AudioFile audio;
    audio.file.name = existing;
    audio.file.data = {4, 5};
    EXPECT_TRUE(audio.ExtractTo(folder_ + L"unused\\"));
    EXPECT_EQ(audio.file.name, existing);
    EXPECT_TRUE(audio.file.data.empty());
}

TEST_F(AudioFileExtract, UnsafeNamesAndFailedWritesAreRefused)
{
    const struct {
        const wchar_t* name;
        bool missingFolder;
    } cases[] = {
        {L"C:\\music\\..", false},
        {L"", false},
        {L"C:\\music\\", false},
        {L"ok.mp3", true},  // the copy cannot be written
    };
    for (const auto& c : cases) {
        DS_AudioFile audio;
        audio.file.name = c.name;
        audio.file.data = {1, 2};
        const std::wstring target = c.missingFolder ? folder_ + L"missing\\" : folder_;
        EXPECT_FALSE(audio.ExtractTo(target)) << c.name;
        EXPECT_EQ(audio.file.name, c.name) << "the name does not point at a file that was not written";
    }
}

TEST_F(AudioFileExtract, NoBytesLeavesTheNameAlone)
{
    DS_AudioFile audio;
    audio.file.name = L"C:\\music\\gone.mp3";
    EXPECT_TRUE(audio.ExtractTo(folder_));
    EXPECT_EQ(audio.file.name, L"C:\\music\\gone.mp3");
}

// The playlist keeps only files it can play: an entry whose copy could not
// be made is left out instead of naming a file that was never written.
TEST(AudioFilePlaylist, EntriesWithoutACopyAreDropped)
{
    DS_SlideShow_Light root;
    const auto add = [&root](const wchar_t* name, std::vector<uint8_t> bytes) {
        auto audio = std::make_unique<DS_AudioFile>();
        audio->file.name = name;
        audio->file.data = std::move(bytes);
        root.AudioFiles().push_back(CountedPtr<DS_AudioFile>(audio.release()));
    };
    const std::wstring copyName = L"corvalline_playlist_" + std::to_wstring(GetCurrentProcessId()) + L".mp3";
    add(L"C:\\music\\..", {1});
    add((L"Q:\\gone\\" + copyName).c_str(), {2, 3});
    add(L"C:\\music\\not_embedded.mp3", {});
    root.ExtractAudioFiles();
    ASSERT_EQ(root.AudioFiles().size(), 2u);
    const std::wstring copy = root.AudioFiles()[0]->file.name;
    EXPECT_EQ(copy.substr(copy.size() - copyName.size()), copyName);
    EXPECT_TRUE(PathFileExistsW(copy.c_str()));
    EXPECT_EQ(root.AudioFiles()[1]->file.name, L"C:\\music\\not_embedded.mp3");
    DeleteFileW(copy.c_str());
}

}  // namespace
