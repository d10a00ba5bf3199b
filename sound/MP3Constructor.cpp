#include "sound/MP3Constructor.h"

#include <algorithm>
#include <limits>

#include "engine/scene/TempFileNames.h"
#include "engine/scene/TimeLineControl.h"

namespace {

// DirectShow lengths are in 100 ns units: 10,000,000 to the second.
constexpr LONGLONG kUnitsPerSecond = 10000000;
constexpr LONGLONG kHundredthsPerSecond = 100;

}  // namespace

DS_MP3_Constructor::DS_MP3_Constructor(const DS_MP3_Constructor& other) : DS_Sound_Ctrl(other), file(other.file) {}

DS_MP3_Constructor::~DS_MP3_Constructor()
{
    source_.Reset();
    graph_.Release();
    // Only a file this item wrote; the record lets no one else's go.
    if (!temporaryPath_.empty()) ProcessTempFiles().Delete(temporaryPath_);
}

void DS_MP3_Constructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_MP3_Constructor::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteEmbeddedFile(file);
    DS_Sound_Ctrl::WriteBody(ar);
}

bool DS_MP3_Constructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    ar->archive->ReadEmbeddedFile(file);
    if (ar->Failed()) return false;
    return DS_Sound_Ctrl::ReadBody(ar);
}

DS_Sound_Ctrl* DS_MP3_Constructor::Clone() const
{
    return new DS_MP3_Constructor(*this);
}

bool DS_MP3_Constructor::CreateGraph()
{
    return graph_.Create(nullptr, 0);
}

unsigned DS_MP3_Constructor::LengthInHundredths(LONGLONG duration)
{
    if (duration <= 0) return 0;
    // Whole seconds: the part of the last second is dropped.
    const LONGLONG hundredths = duration / kUnitsPerSecond * kHundredthsPerSecond;
    return static_cast<unsigned>(
        std::min<LONGLONG>(hundredths, static_cast<LONGLONG>(std::numeric_limits<unsigned>::max())));
}

void DS_MP3_Constructor::Start()
{
    if (prepared_) return;
    if (!CreateGraph()) return;
    const ds_string folder = TempFolder();
    TempFileNames& files = ProcessTempFiles();
    if (!file.data.empty()) {
        temporaryPath_ = files.Write(folder, file.name, kFallbackName, file.data, TempFileNames::Holder::kItem);
    } else if (!file.name.empty()) {
        temporaryPath_ = files.Copy(folder, file.name, kFallbackName, file.name, TempFileNames::Holder::kItem);
    }
    if (temporaryPath_.empty()) return;
    source_ = graph_.AddSource(temporaryPath_.c_str());
    // Connected and measured, but not run: nothing is heard before the
    // first poll.
    if (!graph_.Connect(source_.Get())) return;
    const unsigned length = LengthInHundredths(graph_.Duration());
    DS_TimeLineControl& timeLine = TimeLine();
    timeLine.visible.maximum.SetValue(length);
    timeLine.visible.minimum.SetValue(length);
    timeLine.fadeOut = 0;
    timeLine.fadeIn = 0;
    Stop();
    prepared_ = true;
}

void DS_MP3_Constructor::Stop()
{
    graph_.Stop();
}

bool DS_MP3_Constructor::ReconnectAndRun(IBaseFilter* source)
{
    return graph_.ReconnectAndRun(source);
}

void DS_MP3_Constructor::Poll(float)
{
    // Per frame: the graph's state without waiting and, while it plays, its
    // positions. The graph changes only when the file starts.
    if (!prepared_) return;
    const int32_t phase = TimeLine().GetPhase();
    OAFilterState state = graph_.StateNow();
    if (state == State_Stopped && phase == DS_TimeLineControl::kVisible) {
        ReconnectAndRun(source_.Get());
        ApplyVolume();
        ApplyBalance();
        state = State_Running;
    }
    if (state == State_Stopped) return;
    LONGLONG current = 0;
    LONGLONG stop = 0;
    const bool atEnd = graph_.Positions(current, stop) && current >= stop;
    // Fading phases neither start nor stop the file.
    if (atEnd || phase == DS_TimeLineControl::kInvisible) Stop();
}

void DS_MP3_Constructor::ApplyVolume()
{
    graph_.SetVolume(GraphVolumeLevel(Volume()));
}

void DS_MP3_Constructor::ApplyBalance()
{
    graph_.SetBalance(GraphBalanceLevel(Balance()));
}
