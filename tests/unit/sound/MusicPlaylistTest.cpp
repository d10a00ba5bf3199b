#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/MusicPlaylist.h"

namespace {

constexpr long kComplete = 1;

// Records what the playlist asks for: "play:<path>", "restart", "settings".
class RecordingPlayer : public MusicPlayer {
public:
    void Play(const std::wstring& path) override { calls.push_back(L"play:" + path); }
    void Restart() override { calls.push_back(L"restart"); }
    void ApplySettings() override { calls.push_back(L"settings"); }
    std::vector<std::wstring> calls;
};

struct PlaylistCase {
    const char* name;
    std::vector<std::wstring> files;
    std::vector<long> events;
    std::vector<std::wstring> calls;
    int current;
};

void PrintTo(const PlaylistCase& c, std::ostream* out)
{
    *out << c.name;
}

class MusicPlaylistTest : public ::testing::TestWithParam<PlaylistCase> {};

TEST_P(MusicPlaylistTest, PlaysFilesInTurn)
{
    const PlaylistCase& c = GetParam();
    RecordingPlayer player;
    MusicPlaylist playlist(player);
    playlist.Start(c.files);
    for (long code : c.events) playlist.OnMusicEvent(code);
    EXPECT_EQ(player.calls, c.calls);
    EXPECT_EQ(playlist.Current(), c.current);
}

const PlaylistCase kCases[] = {
    {"Empty", {}, {kComplete, kComplete}, {}, -1},
    {"SingleFileIsRewound", {L"a"}, {kComplete, kComplete}, {L"play:a", L"settings", L"restart", L"restart"}, 0},
    {"ThreeFilesWrap",
     {L"a", L"b", L"c"},
     {kComplete, kComplete, kComplete, kComplete},
     {L"play:a", L"settings", L"play:b", L"settings", L"play:c", L"settings", L"play:a", L"settings", L"play:b",
      L"settings"},
     1},
    // Only the end of a file moves the list on (14 = EC_PAUSED, -1 = no event).
    {"OtherEventsIgnored", {L"a", L"b"}, {14, -1, 3}, {L"play:a", L"settings"}, 0},
};

INSTANTIATE_TEST_SUITE_P(Table, MusicPlaylistTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PlaylistCase>& info) { return info.param.name; });

TEST(MusicPlaylistRestart, StartingAgainBeginsAtFirstFile)
{
    RecordingPlayer player;
    MusicPlaylist playlist(player);
    playlist.Start({L"a", L"b"});
    playlist.OnMusicEvent(kComplete);
    playlist.Start({L"c", L"d"});
    EXPECT_EQ(player.calls.back(), L"settings");
    EXPECT_EQ(player.calls[player.calls.size() - 2], L"play:c");
    EXPECT_EQ(playlist.Current(), 0);
}

}  // namespace
