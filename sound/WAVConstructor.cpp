#include "sound/WAVConstructor.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/TimeLineControl.h"
#include "sound/SoundDevice.h"
#include "sound/SoundSettings.h"

namespace {

constexpr long kSilence = -10000;
constexpr long kStepPerPoint = 50;   // hundredths of a decibel per volume point
constexpr long kPanPerPoint = 100;   // pan units per balance point
constexpr long kHalfRange = 5000;
constexpr size_t kShortFormatBytes = 16;                     // PCMWAVEFORMAT
constexpr size_t kFormatBytes = sizeof(WAVEFORMATEX);        // 18
static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX is stored as 18 bytes");
constexpr size_t kExtraSizeOffset = offsetof(WAVEFORMATEX, cbSize);

// Closes an mmio file when it goes out of scope.
class MmioFile {
public:
    explicit MmioFile(HMMIO handle) : handle_(handle) {}
    MmioFile(const MmioFile&) = delete;
    MmioFile& operator=(const MmioFile&) = delete;
    ~MmioFile()
    {
        if (handle_) mmioClose(handle_, 0);
    }
    HMMIO Get() const { return handle_; }

private:
    HMMIO handle_;
};

// Descends from the start into the RIFF chunk of form "WAVE", then into its
// chunk id. The byte count that lies inside the data is also given.
bool FindChunk(HMMIO file, size_t size, FOURCC id, MMCKINFO& chunk, size_t& present)
{
    if (mmioSeek(file, 0, SEEK_SET) != 0) return false;
    MMCKINFO riff = {};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return false;
    chunk = {};
    chunk.ckid = id;
    if (mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return false;
    if (chunk.dwDataOffset > size) return false;
    present = std::min<size_t>(chunk.cksize, size - chunk.dwDataOffset);
    return true;
}

bool ReadExactly(HMMIO file, void* target, size_t count)
{
    if (count > static_cast<size_t>(std::numeric_limits<LONG>::max())) return false;
    return mmioRead(file, static_cast<HPSTR>(target), static_cast<LONG>(count)) == static_cast<LONG>(count);
}

}  // namespace

unsigned WaveData::LengthInHundredths() const
{
    if (format.size() < kFormatBytes || Format().nAvgBytesPerSec == 0) return 0;
    const uint64_t hundredths = static_cast<uint64_t>(samples.size()) * 100u / Format().nAvgBytesPerSec;
    return static_cast<unsigned>(std::min<uint64_t>(hundredths, std::numeric_limits<unsigned>::max()));
}

bool ParseWave(const uint8_t* bytes, size_t size, WaveData& wave)
{
    wave = WaveData{};
    if (bytes == nullptr || size == 0 || size > static_cast<size_t>(std::numeric_limits<LONG>::max())) return false;
    MMIOINFO info = {};
    info.fccIOProc = FOURCC_MEM;
    // Opened for reading only: the bytes are never written.
    info.pchBuffer = reinterpret_cast<HPSTR>(const_cast<uint8_t*>(bytes));
    info.cchBuffer = static_cast<LONG>(size);
    MmioFile file(mmioOpenW(nullptr, &info, MMIO_READ));
    if (!file.Get()) return false;

    MMCKINFO chunk = {};
    size_t present = 0;
    if (!FindChunk(file.Get(), size, mmioFOURCC('f', 'm', 't', ' '), chunk, present)) return false;
    if (chunk.cksize < kShortFormatBytes || present < kShortFormatBytes) return false;
    // Every byte the format announces goes to DirectSound, and no more.
    std::vector<uint8_t> format(present);
    if (!ReadExactly(file.Get(), format.data(), format.size())) return false;
    if (format.size() < kFormatBytes) {
        format.resize(kFormatBytes, 0);  // a 16-byte format: cbSize 0
    } else {
        uint16_t extra = 0;
        std::memcpy(&extra, format.data() + kExtraSizeOffset, sizeof(extra));
        if (kFormatBytes + extra > format.size()) return false;
        format.resize(kFormatBytes + extra);
    }
    const WAVEFORMATEX& header = *reinterpret_cast<const WAVEFORMATEX*>(format.data());
    if (header.nChannels == 0 || header.nBlockAlign == 0 || header.nAvgBytesPerSec == 0) return false;

    if (!FindChunk(file.Get(), size, mmioFOURCC('d', 'a', 't', 'a'), chunk, present)) return false;
    if (present == 0) return false;
    std::vector<uint8_t> samples(present);
    if (!ReadExactly(file.Get(), samples.data(), samples.size())) return false;
    wave.format = std::move(format);
    wave.samples = std::move(samples);
    return true;
}

DS_WAV_Constructor::DS_WAV_Constructor(const DS_WAV_Constructor& other) : DS_Sound_Ctrl(other), link(other.link) {}

DS_WAV_Constructor::~DS_WAV_Constructor()
{
    if (buffer_) buffer_->Stop();
    buffer_.Reset();
}

void DS_WAV_Constructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_WAV_Constructor::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    link.Write(*ar);
    DS_Sound_Ctrl::WriteBody(ar);
}

bool DS_WAV_Constructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    link.Read(*ar);
    if (ar->Failed()) return false;
    return DS_Sound_Ctrl::ReadBody(ar);
}

DS_Sound_Ctrl* DS_WAV_Constructor::Clone() const
{
    return new DS_WAV_Constructor(*this);
}

long DS_WAV_Constructor::BufferVolume(unsigned itemVolume, int userVolume, bool mute)
{
    const long item = static_cast<long>(std::min(itemVolume, kMaxLevel)) * kStepPerPoint - kHalfRange;
    return std::max(kSilence, item + WavSoundVolume(userVolume, mute));
}

long DS_WAV_Constructor::BufferPan(unsigned balance)
{
    return static_cast<long>(std::min(balance, kMaxLevel)) * kPanPerPoint - kHalfRange;
}

bool DS_WAV_Constructor::LoadBuffer()
{
    DS_DocResManager* manager = CurrentDocResManager();
    if (manager == nullptr) return false;
    const ResourceBlob* blob = manager->GetBlob(link);
    if (blob == nullptr || blob->data.empty()) return false;
    // The parsed copy lives only until the buffer is filled.
    WaveData wave;
    if (!ParseWave(blob->data.data(), blob->data.size(), wave)) return false;

    const unsigned length = wave.LengthInHundredths();
    DS_TimeLineControl& timeLine = TimeLine();
    timeLine.visible.maximum.SetValue(length);
    timeLine.visible.minimum.SetValue(length);
    timeLine.fadeOut = 0;
    timeLine.fadeIn = 0;

    IDirectSound8* device = DirectSoundDevice();
    if (device == nullptr) return false;
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = SoundBufferFlagsBase() | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    desc.dwBufferBytes = static_cast<DWORD>(wave.samples.size());
    desc.lpwfxFormat = reinterpret_cast<WAVEFORMATEX*>(wave.format.data());
    ComPtr<IDirectSoundBuffer> plain;
    if (FAILED(device->CreateSoundBuffer(&desc, plain.ReleaseAndGetAddressOf(), nullptr)) || !plain) return false;
    ComPtr<IDirectSoundBuffer8> buffer;
    if (FAILED(plain->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(buffer.ReleaseAndGetAddressOf())))) {
        return false;
    }
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0;
    DWORD secondBytes = 0;
    if (FAILED(buffer->Lock(0, 0, &first, &firstBytes, &second, &secondBytes, DSBLOCK_ENTIREBUFFER))) return false;
    std::memcpy(first, wave.samples.data(), std::min<size_t>(firstBytes, wave.samples.size()));
    if (FAILED(buffer->Unlock(first, firstBytes, second, secondBytes))) return false;
    buffer_ = buffer;
    return true;
}

void DS_WAV_Constructor::Start()
{
    if (!buffer_) LoadBuffer();
    if (!buffer_) return;
    const SoundSettings settings = ReadSoundSettings();
    buffer_->SetVolume(BufferVolume(Volume(), settings.volume, settings.mute));
    buffer_->SetPan(BufferPan(Balance()));
}

void DS_WAV_Constructor::Play(bool looping)
{
    if (!buffer_) return;
    if (SUCCEEDED(buffer_->SetCurrentPosition(0))) buffer_->Play(0, 0, looping ? DSBPLAY_LOOPING : 0);
}

void DS_WAV_Constructor::Stop()
{
    if (buffer_) buffer_->Stop();
}

void DS_WAV_Constructor::Poll(float)
{
    if (!buffer_) return;
    DWORD status = 0;
    if (FAILED(buffer_->GetStatus(&status))) return;
    const int32_t phase = TimeLine().GetPhase();
    if (status & DSBSTATUS_PLAYING) {
        // A one-shot sound is never cut: only a looping one stops.
        if (phase == DS_TimeLineControl::kInvisible && (status & DSBSTATUS_LOOPING)) Stop();
    } else if (phase == DS_TimeLineControl::kVisible) {
        Play(TimeLine().mode == DS_TimeLineControl::kAlwaysVisible);
    }
}
