#include "sound/MusicGraph.h"

#include <control.h>
#include <uuids.h>
#include "engine/resources/ComPtr.h"

#include <cmath>
#include <vector>


namespace {

constexpr long kSilence = -10000;
// The volume scale is the single-precision value nearest 0.4, used as a
// double: volume 100 gives 0, 50 gives -2000, 0 gives -4000.
constexpr double kMusicVolumeScale = static_cast<double>(0.4f);
constexpr wchar_t kOutputPin[] = L"Output";

// The one music graph of the process: its events go to the main saver
// window, and every render unit shares the same music.
struct MusicGraphState {
    ComPtr<IGraphBuilder> builder;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaSeeking> seeking;
    ComPtr<IMediaEventEx> events;
    ComPtr<IBasicAudio> audio;
    // The source filter of the file now playing; removed before the next one.
    ComPtr<IBaseFilter> source;
};
MusicGraphState g_music;

// mingw-w64 12, 2026-12: control.h declares no __uuidof for IMediaEventEx
// and IBasicAudio, so the interfaces are asked for by their IIDs.
template <typename T>
bool QueryGraph(REFIID iid, ComPtr<T>& target)
{
    return SUCCEEDED(g_music.builder->QueryInterface(iid, reinterpret_cast<void**>(target.ReleaseAndGetAddressOf())));
}

void StopGraph()
{
    if (g_music.control) g_music.control->Stop();
}

bool Rewind()
{
    if (!g_music.seeking) return false;
    LONGLONG start = 0;
    return SUCCEEDED(
        g_music.seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
}

// Removes the previous file's source filter so that it neither stays open
// nor piles up in the graph.
void DropSource()
{
    if (g_music.source && g_music.builder) g_music.builder->RemoveFilter(g_music.source.Get());
    g_music.source.Reset();
}

bool ReconnectAll()
{
    ComPtr<IEnumFilters> enumerator;
    if (FAILED(g_music.builder->EnumFilters(enumerator.ReleaseAndGetAddressOf())) || !enumerator) return false;
    // Collect first: the graph's enumeration is invalidated by removals.
    std::vector<ComPtr<IBaseFilter>> filters;
    ComPtr<IBaseFilter> filter;
    while (enumerator->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) filters.push_back(filter);
    if (filters.empty()) return false;
    for (const ComPtr<IBaseFilter>& each : filters) {
        if (FAILED(g_music.builder->RemoveFilter(each.Get()))) return false;
        if (FAILED(g_music.builder->AddFilter(each.Get(), nullptr))) return false;
    }
    return true;
}

}  // namespace

long MusicVolume(int volume, bool mute)
{
    if (mute) return kSilence;
    return static_cast<long>(std::trunc((volume * 100.0 - 10000.0) * kMusicVolumeScale));
}

bool InitMusicGraph(HWND window)
{
    if (g_music.builder) return true;
    // COM stays initialised for the rest of the process: the graph may be
    // made again after a device reset.
    if (FAILED(CoInitialize(nullptr))) return false;
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                IID_IGraphBuilder, reinterpret_cast<void**>(g_music.builder.ReleaseAndGetAddressOf())))) {
        return false;
    }
    if (!QueryGraph(IID_IMediaControl, g_music.control)) return false;
    if (!QueryGraph(IID_IMediaSeeking, g_music.seeking)) return false;
    if (!QueryGraph(IID_IMediaEventEx, g_music.events)) return false;
    if (!QueryGraph(IID_IBasicAudio, g_music.audio)) return false;
    return SUCCEEDED(g_music.events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), kMusicEventMessage, 0));
}

void PlayMusicFile(const wchar_t* path)
{
    ComPtr<IBaseFilter> source;
    if (g_music.builder) {
        StopGraph();
        DropSource();
        if (FAILED(g_music.builder->AddSourceFilter(path, path, source.ReleaseAndGetAddressOf()))) source.Reset();
    }
    if (ReconnectAndRun(source.Get())) {
        g_music.source = source;
        return;
    }
    StopGraph();
    if (source && g_music.builder) g_music.builder->RemoveFilter(source.Get());
    if (RenderMusicFile(path)) {
        // RenderFile names its source filter after the path.
        g_music.builder->FindFilterByName(path, g_music.source.ReleaseAndGetAddressOf());
    }
}

bool ReconnectAndRun(IBaseFilter* sourceFilter)
{
    try {
        if (sourceFilter == nullptr || !g_music.control || !g_music.builder) return false;
        ComPtr<IPin> output;
        if (FAILED(sourceFilter->FindPin(kOutputPin, output.ReleaseAndGetAddressOf())) || !output) return false;
        StopGraph();
        // Every earlier connection, the previous file's included, is broken;
        // decoders and the renderer stay in the graph for reuse.
        if (!ReconnectAll()) return false;
        if (FAILED(g_music.builder->Render(output.Get()))) return false;
        if (!Rewind()) return false;
        return SUCCEEDED(g_music.control->Run());
    } catch (...) {
        return false;
    }
}

bool RenderMusicFile(const wchar_t* path)
{
    if (!g_music.builder) return false;
    if (FAILED(g_music.builder->RenderFile(path, nullptr))) return false;
    return g_music.control && SUCCEEDED(g_music.control->Run());
}

void RestartMusic()
{
    if (!g_music.control) return;
    Rewind();
    g_music.control->Run();
}

void SetMusicVolume(int volume, bool mute)
{
    if (g_music.audio) g_music.audio->put_Volume(MusicVolume(volume, mute));
}

long GetMusicEvent()
{
    if (!g_music.events) return -1;
    long code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    if (FAILED(g_music.events->GetEvent(&code, &param1, &param2, 0))) return -1;
    g_music.events->FreeEventParams(code, param1, param2);
    return code;
}

void ReleaseMusicGraph()
{
    StopGraph();
    if (g_music.events) g_music.events->SetNotifyWindow(0, 0, 0);
    g_music.source.Reset();
    g_music.audio.Reset();
    g_music.events.Reset();
    g_music.seeking.Reset();
    g_music.control.Reset();
    g_music.builder.Reset();
}

IGraphBuilder* MusicGraphBuilder()
{
    return g_music.builder.Get();
}
