// One DirectShow filter graph that plays one audio file at a time: the
// steps the background music and every MP3 sound item share. Each owner has
// its own graph; every operation checks the interfaces it needs and does
// nothing (or reports false) while the graph does not exist.
#pragma once

#include <windows.h>

#include <strmif.h>
#include <control.h>

#include "engine/resources/ComPtr.h"

// Graph levels in hundredths of a decibel, both scaled by the
// single-precision value nearest 0.4 and truncated toward zero: volume
// 0..100 onto -4000..0, balance 0 (left)..100 (right) onto -4000..4000.
// Values above 100 count as 100.
long GraphVolumeLevel(unsigned volume);
long GraphBalanceLevel(unsigned balance);

class AudioGraph {
public:
    AudioGraph() = default;
    AudioGraph(const AudioGraph&) = delete;
    AudioGraph& operator=(const AudioGraph&) = delete;
    ~AudioGraph() { Release(); }

    // Makes the graph and asks for its control, seeking, event and audio
    // interfaces in this order; events are posted to window as message
    // (no window: they reach none). False at the first failure, keeping the
    // interfaces obtained so far. True at once when the graph exists.
    bool Create(HWND window, UINT message);
    // The file's source filter under the filter name path; null on failure.
    ComPtr<IBaseFilter> AddSource(const wchar_t* path);
    // Stops, breaks every connection in the graph (the filters stay for
    // reuse), renders the source's "Output" pin and rewinds. Nothing runs.
    // False at the first step that fails.
    bool Connect(IBaseFilter* source);
    // Connect, then Run.
    bool ReconnectAndRun(IBaseFilter* source);
    // Lets the graph build the whole chain for the file and runs it (no rewind).
    bool RenderFile(const wchar_t* path);
    void RemoveFilter(IBaseFilter* filter);
    bool Run();
    // Holds the graph where it is: nothing plays, the position is kept and
    // Run goes on from it.
    void Pause();
    void Stop();
    bool Rewind();
    // The graph's state without waiting: a graph between two states reports
    // the state it is going to. State_Stopped when it cannot be asked.
    OAFilterState StateNow() const;
    // Current and stop positions in 100 ns units; false when unknown.
    bool Positions(LONGLONG& current, LONGLONG& stop) const;
    // The file's length in 100 ns units; 0 when unknown.
    LONGLONG Duration() const;
    void SetVolume(long volume);
    void SetBalance(long balance);
    // Takes one event: its code, or -1 when there is none or no graph.
    long TakeEvent();
    // Stops and releases audio, events, seeking, control and builder in
    // this order.
    void Release();

    IGraphBuilder* Builder() const { return builder_.Get(); }
    IMediaControl* Control() const { return control_.Get(); }
    IBasicAudio* Audio() const { return audio_.Get(); }

private:
    bool ReconnectAll();

    ComPtr<IGraphBuilder> builder_;
    ComPtr<IMediaControl> control_;
    ComPtr<IMediaSeeking> seeking_;
    ComPtr<IMediaEventEx> events_;
    ComPtr<IBasicAudio> audio_;
};
