#include "sound/MusicPlaylist.h"

#include "sound/MusicGraph.h"
#include "sound/SoundSettings.h"

namespace {

constexpr long kEventComplete = 1;  // EC_COMPLETE: the file has played to its end

class GraphPlayer : public MusicPlayer {
public:
    void Play(const std::wstring& path) override { PlayMusicFile(path.c_str()); }
    void Restart() override { RestartMusic(); }
    void ApplySettings() override
    {
        const SoundSettings settings = ReadSoundSettings();
        SetMusicVolume(settings.volume, settings.mute);
    }
};

}  // namespace

MusicPlayer& GraphMusicPlayer()
{
    // Stateless: it only forwards to the process-wide music graph.
    static GraphPlayer player;
    return player;
}

void MusicPlaylist::Start(std::vector<std::wstring> paths)
{
    files_ = std::move(paths);
    next_ = 0;
    current_ = -1;
    if (!files_.empty()) PlayAt(0);
}

void MusicPlaylist::OnMusicEvent(long code)
{
    if (code != kEventComplete || files_.empty()) return;
    if (next_ >= files_.size()) {
        if (files_.size() == 1) {
            player_.Restart();
            return;
        }
        next_ = 0;
    }
    PlayAt(next_);
}

void MusicPlaylist::PlayAt(size_t index)
{
    player_.Play(files_[index]);
    player_.ApplySettings();
    current_ = static_cast<int>(index);
    next_ = index + 1;
}
