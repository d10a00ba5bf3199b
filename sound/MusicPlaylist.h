// The order in which the music files play: 1, 2, 3, 1, 2, ... with the list
// wrapping when a file ends; a single file is rewound instead of loaded
// again. The sound settings are applied anew at every file, so a change of
// volume or mute takes effect at the next file.
#pragma once

#include <string>
#include <vector>

// What the playlist drives. The program uses GraphMusicPlayer(); tests give
// a recorder.
class MusicPlayer {
public:
    virtual ~MusicPlayer() = default;
    // Plays one file from its start.
    virtual void Play(const std::wstring& path) = 0;
    // Plays the current file again from its start.
    virtual void Restart() = 0;
    // Reads the user's sound settings and applies them to the music.
    virtual void ApplySettings() = 0;
};

// The process-wide music graph with the settings from the registry.
MusicPlayer& GraphMusicPlayer();

class MusicPlaylist {
public:
    explicit MusicPlaylist(MusicPlayer& player) : player_(player) {}

    // Replaces the list and plays its first file; an empty list plays nothing.
    void Start(std::vector<std::wstring> paths);
    // Handles one music event: at the end of a file (code 1) the next file
    // starts. Other codes are ignored.
    void OnMusicEvent(long code);

    // Index of the file playing now, -1 when none has started.
    int Current() const { return current_; }

private:
    void PlayAt(size_t index);

    MusicPlayer& player_;
    std::vector<std::wstring> files_;
    size_t next_ = 0;  // the next file to play; files_.size() at the end of the list
    int current_ = -1;
};
