#include "sound/MusicGraph.h"

#include "sound/AudioGraph.h"


namespace {

constexpr long kSilence = -10000;

// The one music graph of the process: its events go to the main saver
// window, and every render unit shares the same music.
struct MusicGraphState {
    AudioGraph graph;
    // The source filter of the file now playing; removed before the next one.
    ComPtr<IBaseFilter> source;
};
MusicGraphState g_music;

// Removes the previous file's source filter so that it neither stays open
// nor piles up in the graph.
void DropSource()
{
    g_music.graph.RemoveFilter(g_music.source.Get());
    g_music.source.Reset();
}

}  // namespace

long MusicVolume(int volume, bool mute)
{
    if (mute) return kSilence;
    return GraphVolumeLevel(static_cast<unsigned>(volume < 0 ? 0 : volume));
}

bool InitMusicGraph(HWND window)
{
    return g_music.graph.Create(window, kMusicEventMessage);
}

void PlayMusicFile(const wchar_t* path)
{
    ComPtr<IBaseFilter> source;
    if (g_music.graph.Builder()) {
        g_music.graph.Stop();
        DropSource();
        source = g_music.graph.AddSource(path);
    }
    if (ReconnectAndRun(source.Get())) {
        g_music.source = source;
        return;
    }
    g_music.graph.Stop();
    g_music.graph.RemoveFilter(source.Get());
    if (RenderMusicFile(path)) {
        // RenderFile names its source filter after the path.
        g_music.graph.Builder()->FindFilterByName(path, g_music.source.ReleaseAndGetAddressOf());
    }
}

bool ReconnectAndRun(IBaseFilter* sourceFilter)
{
    return g_music.graph.ReconnectAndRun(sourceFilter);
}

bool RenderMusicFile(const wchar_t* path)
{
    return g_music.graph.RenderFile(path);
}

void RestartMusic()
{
    if (!g_music.graph.Control()) return;
    g_music.graph.Rewind();
    g_music.graph.Run();
}

bool PauseMusic()
{
    if (g_music.graph.StateNow() != State_Running) return false;
    g_music.graph.Pause();
    return true;
}

void ResumeMusic()
{
    g_music.graph.Run();
}

void SetMusicVolume(int volume, bool mute)
{
    g_music.graph.SetVolume(MusicVolume(volume, mute));
}

long GetMusicEvent()
{
    return g_music.graph.TakeEvent();
}

void ReleaseMusicGraph()
{
    g_music.source.Reset();
    g_music.graph.Release();
}

IGraphBuilder* MusicGraphBuilder()
{
    return g_music.graph.Builder();
}
