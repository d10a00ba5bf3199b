#include "sound/AudioGraph.h"

#include <uuids.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr wchar_t kOutputPin[] = L"Output";

// mingw-w64 12, 2026-12: control.h declares no __uuidof for IMediaEventEx
// and IBasicAudio, so the interfaces are asked for by their IIDs.
template <typename T>
bool QueryGraph(IGraphBuilder* builder, REFIID iid, ComPtr<T>& target)
{
    return SUCCEEDED(builder->QueryInterface(iid, reinterpret_cast<void**>(target.ReleaseAndGetAddressOf())));
}

// The single-precision value nearest 0.4, used as a double.
constexpr double kLevelScale = static_cast<double>(0.4f);
constexpr unsigned kFullScale = 100;

}  // namespace

long GraphVolumeLevel(unsigned volume)
{
    const double v = std::min(volume, kFullScale);
    return static_cast<long>(std::trunc((v * 100.0 - 10000.0) * kLevelScale));
}

long GraphBalanceLevel(unsigned balance)
{
    const double b = std::min(balance, kFullScale);
    return static_cast<long>(std::trunc((b * 200.0 - 10000.0) * kLevelScale));
}

bool AudioGraph::Create(HWND window, UINT message)
{
    if (builder_) return true;
    // COM stays initialised for the rest of the process: graphs are made
    // again after a device reset and for every sound item.
    if (FAILED(CoInitialize(nullptr))) return false;
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                IID_IGraphBuilder, reinterpret_cast<void**>(builder_.ReleaseAndGetAddressOf())))) {
        return false;
    }
    if (!QueryGraph(builder_.Get(), IID_IMediaControl, control_)) return false;
    if (!QueryGraph(builder_.Get(), IID_IMediaSeeking, seeking_)) return false;
    if (!QueryGraph(builder_.Get(), IID_IMediaEventEx, events_)) return false;
    if (!QueryGraph(builder_.Get(), IID_IBasicAudio, audio_)) return false;
    return SUCCEEDED(events_->SetNotifyWindow(reinterpret_cast<OAHWND>(window), message, 0));
}

ComPtr<IBaseFilter> AudioGraph::AddSource(const wchar_t* path)
{
    ComPtr<IBaseFilter> source;
    if (!builder_ || FAILED(builder_->AddSourceFilter(path, path, source.ReleaseAndGetAddressOf()))) source.Reset();
    return source;
}

bool AudioGraph::ReconnectAll()
{
    ComPtr<IEnumFilters> enumerator;
    if (FAILED(builder_->EnumFilters(enumerator.ReleaseAndGetAddressOf())) || !enumerator) return false;
    // Collect first: the graph's enumeration is invalidated by removals.
    std::vector<ComPtr<IBaseFilter>> filters;
    ComPtr<IBaseFilter> filter;
    while (enumerator->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) filters.push_back(filter);
    if (filters.empty()) return false;
    for (const ComPtr<IBaseFilter>& each : filters) {
        if (FAILED(builder_->RemoveFilter(each.Get()))) return false;
        if (FAILED(builder_->AddFilter(each.Get(), nullptr))) return false;
    }
    return true;
}

bool AudioGraph::Connect(IBaseFilter* source)
{
    try {
        if (source == nullptr || !control_ || !builder_) return false;
        ComPtr<IPin> output;
        if (FAILED(source->FindPin(kOutputPin, output.ReleaseAndGetAddressOf())) || !output) return false;
        Stop();
        // Every earlier connection, a previous file's included, is broken;
        // decoders and the renderer stay in the graph for reuse.
        if (!ReconnectAll()) return false;
        if (FAILED(builder_->Render(output.Get()))) return false;
        return Rewind();
    } catch (...) {
        return false;
    }
}

bool AudioGraph::ReconnectAndRun(IBaseFilter* source)
{
    return Connect(source) && Run();
}

bool AudioGraph::RenderFile(const wchar_t* path)
{
    if (!builder_) return false;
    if (FAILED(builder_->RenderFile(path, nullptr))) return false;
    return Run();
}

void AudioGraph::RemoveFilter(IBaseFilter* filter)
{
    if (builder_ && filter) builder_->RemoveFilter(filter);
}

bool AudioGraph::Run()
{
    return control_ && SUCCEEDED(control_->Run());
}

void AudioGraph::Pause()
{
    if (control_) control_->Pause();
}

void AudioGraph::Stop()
{
    if (control_) control_->Stop();
}

bool AudioGraph::Rewind()
{
    if (!seeking_) return false;
    LONGLONG start = 0;
    return SUCCEEDED(seeking_->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
}

OAFilterState AudioGraph::StateNow() const
{
    OAFilterState state = State_Stopped;
    // A time-out of 0: a graph that is changing state must not stall a frame.
    if (!control_ || FAILED(control_->GetState(0, &state))) return State_Stopped;
    return state;
}

bool AudioGraph::Positions(LONGLONG& current, LONGLONG& stop) const
{
    return seeking_ && SUCCEEDED(seeking_->GetPositions(&current, &stop));
}

LONGLONG AudioGraph::Duration() const
{
    LONGLONG duration = 0;
    if (!seeking_ || FAILED(seeking_->GetDuration(&duration)) || duration < 0) return 0;
    return duration;
}

void AudioGraph::SetVolume(long volume)
{
    if (audio_) audio_->put_Volume(volume);
}

void AudioGraph::SetBalance(long balance)
{
    if (audio_) audio_->put_Balance(balance);
}

long AudioGraph::TakeEvent()
{
    if (!events_) return -1;
    long code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    if (FAILED(events_->GetEvent(&code, &param1, &param2, 0))) return -1;
    events_->FreeEventParams(code, param1, param2);
    return code;
}

void AudioGraph::Release()
{
    Stop();
    if (events_) events_->SetNotifyWindow(0, 0, 0);
    audio_.Reset();
    events_.Reset();
    seeking_.Reset();
    control_.Reset();
    builder_.Reset();
}
