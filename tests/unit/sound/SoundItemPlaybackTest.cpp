// Sound items on the machine's real DirectSound device and DirectShow:
// buffers made with the right flags, levels and length, nothing heard before
// the first poll, playing by the time line, and the MP3 item's temporary
// file. Skips without an audio device.
#include <gtest/gtest.h>

#include <windows.h>

#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/TempFileNames.h"
#include "engine/scene/TimeLineControl.h"
#include "sound/MP3Constructor.h"
#include "sound/SoundDevice.h"
#include "sound/SoundSettings.h"
#include "sound/WAVConstructor.h"
#include "unit/sound/SoundFixtures.h"

namespace {

std::vector<uint8_t> ReadWholeFile(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) bytes.clear();
    CloseHandle(file);
    return bytes;
}

// 16-bit stereo 44.1 kHz tone bytes of the given length.
std::vector<uint8_t> ToneBytes(const wchar_t* name, double seconds)
{
    const std::wstring path = testsound::WriteToneFile(name, 440, seconds);
    std::vector<uint8_t> bytes = ReadWholeFile(path);
    DeleteFileW(path.c_str());
    return bytes;
}

class SoundItemPlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsound::HasAudioDevice()) GTEST_SKIP() << "no audio device";
        ASSERT_TRUE(CreateDirectSound(GetDesktopWindow()));
        SetCurrentDocResManager(&manager_);
    }
    void TearDown() override { SetCurrentDocResManager(nullptr); }

    // A WAV item whose link names bytes the manager holds.
    std::unique_ptr<DS_WAV_Constructor> WavItem(const std::vector<uint8_t>& bytes, const wchar_t* name)
    {
        auto item = std::make_unique<DS_WAV_Constructor>();
        item->link.StoreValue({name, 7});
        ResourceBlob blob;
        blob.name = name;
        blob.data = bytes;
        manager_.Store().byteCache[item->link.GetValue()] = {blob};
        return item;
    }

    static DWORD Status(IDirectSoundBuffer8* buffer)
    {
        DWORD status = 0;
        EXPECT_EQ(buffer->GetStatus(&status), DS_OK);
        return status;
    }

    DS_DocResManager manager_{nullptr};
};

TEST_F(SoundItemPlayback, WavBufferHasItsFlagsLevelsAndLengthAndLoopsInModeZero)
{
    auto item = WavItem(ToneBytes(L"corvalline-item-wav.wav", 2.5), L"loop.wav");
    item->volume.SetValue(80);
    item->balance.SetValue(0);
    item->Start();
    IDirectSoundBuffer8* buffer = item->Buffer();
    ASSERT_NE(buffer, nullptr);
    DSBCAPS caps = {};
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(buffer->GetCaps(&caps), DS_OK);
    EXPECT_EQ(caps.dwFlags & 0x40C0u, 0x40C0u) << std::hex << caps.dwFlags;
    EXPECT_EQ(caps.dwBufferBytes, 441000u);
    const SoundSettings settings = ReadSoundSettings();
    LONG volume = 1;
    LONG pan = 1;
    EXPECT_EQ(buffer->GetVolume(&volume), DS_OK);
    EXPECT_EQ(buffer->GetPan(&pan), DS_OK);
    EXPECT_EQ(volume, DS_WAV_Constructor::BufferVolume(80, settings.volume, settings.mute));
    EXPECT_EQ(pan, -5000);
    EXPECT_EQ(item->TimeLine().visible.minimum.GetValue(), 250u);
    EXPECT_EQ(item->TimeLine().visible.maximum.GetValue(), 250u);
    EXPECT_EQ(item->TimeLine().fadeIn, 0u);
    EXPECT_EQ(item->TimeLine().fadeOut, 0u);
    EXPECT_EQ(Status(buffer) & DSBSTATUS_PLAYING, 0u) << "nothing plays before the first poll";

    item->Poll(0.0f);
    EXPECT_EQ(Status(buffer) & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING),
              static_cast<DWORD>(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    item->Stop();
    EXPECT_EQ(Status(buffer) & DSBSTATUS_PLAYING, 0u);
}

TEST_F(SoundItemPlayback, CycleModeWavPlaysOnceAndIsNotCutWhenInvisible)
{
    auto item = WavItem(ToneBytes(L"corvalline-item-once.wav", 0.5), L"once.wav");
    item->TimeLine().mode = DS_TimeLineControl::kCycle;
    item->Start();
    ASSERT_NE(item->Buffer(), nullptr);
    // Simulated time: the first visible phase plays the sound once.
    float t = 0.0f;
    const auto advanceTo = [&](int32_t phase) {
        do {
            t += 0.05f;
            item->TimeLine().AdvanceLocalTime(t);
        } while (item->TimeLine().GetPhase() != phase && t < 10.0f);
        ASSERT_EQ(item->TimeLine().GetPhase(), phase);
    };
    advanceTo(DS_TimeLineControl::kVisible);
    item->Poll(t);
    EXPECT_EQ(Status(item->Buffer()) & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING), static_cast<DWORD>(DSBSTATUS_PLAYING));
    // Invisible again: a one-shot sound plays on to its end.
    advanceTo(DS_TimeLineControl::kInvisible);
    item->Poll(t);
    EXPECT_NE(Status(item->Buffer()) & DSBSTATUS_PLAYING, 0u);
    // A silent buffer does not start while invisible.
    item->Stop();
    item->Poll(t);
    EXPECT_EQ(Status(item->Buffer()) & DSBSTATUS_PLAYING, 0u);
}

TEST_F(SoundItemPlayback, BadWavDataOrNoBytesGiveASilentItem)
{
    std::vector<uint8_t> cut = ToneBytes(L"corvalline-item-cut.wav", 0.1);
    cut.resize(30);
    for (auto* item : {WavItem(cut, L"cut.wav").release(), WavItem({}, L"empty.wav").release(),
                       new DS_WAV_Constructor()}) {
        std::unique_ptr<DS_WAV_Constructor> owned(item);
        owned->Start();
        EXPECT_EQ(owned->Buffer(), nullptr);
        owned->Poll(0.0f);
        owned->Stop();
    }
}

TEST_F(SoundItemPlayback, Mp3ItemWritesItsFileConnectsSilentlyAndDeletesTheFile)
{
    // DirectShow plays WAV data as well; the item does not look at the format.
    DS_MP3_Constructor original;
    original.file.name = L"..\\..\\corvalline-item-graph.mp3";
    original.file.data = ToneBytes(L"corvalline-item-graph-src.wav", 2.5);
    original.TimeLine().fadeIn = 30;
    std::unique_ptr<DS_MP3_Constructor> item(static_cast<DS_MP3_Constructor*>(original.Clone()));
    item->Start();
    ASSERT_TRUE(item->Prepared());
    const std::wstring path = item->TemporaryPath();
    EXPECT_EQ(path, TempFolder() + L"corvalline-item-graph.mp3");
    EXPECT_EQ(ReadWholeFile(path), original.file.data);
    // 2.5 s shown for its whole seconds only, no fades.
    EXPECT_EQ(item->TimeLine().visible.minimum.GetValue(), 200u);
    EXPECT_EQ(item->TimeLine().visible.maximum.GetValue(), 200u);
    EXPECT_EQ(item->TimeLine().fadeIn, 0u);
    EXPECT_EQ(item->TimeLine().fadeOut, 0u);
    EXPECT_EQ(item->Graph().StateNow(), State_Stopped) << "nothing is heard before the first poll";

    // A copy of a prepared item starts with nothing of it.
    std::unique_ptr<DS_MP3_Constructor> copy(static_cast<DS_MP3_Constructor*>(item->Clone()));
    EXPECT_FALSE(copy->Prepared());
    EXPECT_TRUE(copy->TemporaryPath().empty());
    EXPECT_EQ(copy->Graph().Builder(), nullptr);
    copy.reset();
    EXPECT_FALSE(ReadWholeFile(path).empty()) << "a copy deletes no file";

    item->TimeLine().AdvanceLocalTime(0.1f);
    item->Poll(0.1f);
    EXPECT_EQ(item->Graph().StateNow(), State_Running);
    // Volume and balance are the item's own.
    long volume = 1;
    long balance = 1;
    ASSERT_NE(item->Graph().Audio(), nullptr);
    item->Graph().Audio()->get_Volume(&volume);
    item->Graph().Audio()->get_Balance(&balance);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(balance, 0);
    item->Stop();
    item.reset();
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "the item's file is deleted";
}

TEST_F(SoundItemPlayback, Mp3ItemWithoutBytesPlaysACopyOfItsNamedFile)
{
    const std::wstring folder = TempFolder() + L"corvalline_item_source\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring source = folder + L"corvalline-named.wav";
    const std::vector<uint8_t> bytes = ToneBytes(L"corvalline-named-src.wav", 0.5);
    HANDLE file = CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    {
        DS_MP3_Constructor item;
        item.file.name = source;
        item.Start();
        EXPECT_TRUE(item.Prepared());
        EXPECT_EQ(item.TemporaryPath(), TempFolder() + L"corvalline-named.wav");
        EXPECT_EQ(ReadWholeFile(item.TemporaryPath()), bytes);
    }
    EXPECT_EQ(ReadWholeFile(source), bytes) << "the named file itself is left alone";
    DeleteFileW(source.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(SoundItemPlayback, Mp3ItemThatCannotBePlayedStaysSilent)
{
    DS_MP3_Constructor item;
    item.file.name = L"not-audio.mp3";
    item.file.data = {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'};
    item.Start();
    EXPECT_FALSE(item.Prepared());
    item.Poll(0.0f);
    EXPECT_EQ(item.Graph().StateNow(), State_Stopped);

    DS_MP3_Constructor empty;  // no bytes, no name
    empty.Start();
    EXPECT_FALSE(empty.Prepared());
    EXPECT_TRUE(empty.TemporaryPath().empty());
}

}  // namespace
