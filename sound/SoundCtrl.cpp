#include "sound/SoundCtrl.h"

#include <algorithm>
#include <limits>

#include "engine/resources/FileLink.h"
#include "engine/scene/SlideShow.h"
#include "engine/scene/TimeLineControl.h"

namespace {

constexpr wchar_t kPreviewModule[] = L"common_res.dll";
constexpr uint32_t kHundredthsPerSecond = 100;

// Stored whole seconds as hundredths; a value too large for the time line
// gives its largest.
unsigned SecondsToHundredths(uint32_t seconds)
{
    const uint64_t hundredths = static_cast<uint64_t>(seconds) * kHundredthsPerSecond;
    return static_cast<unsigned>(std::min<uint64_t>(hundredths, std::numeric_limits<unsigned>::max()));
}

template <class Each>
void ForEachSound(DS_SlideShow_Light& root, Each each)
{
    for (const auto& slide : root.Slides()) {
        if (!slide) continue;
        for (const auto* list : {&slide->DrawnObjects(), &slide->UpdatedObjects()}) {
            for (const auto& object : *list) {
                if (auto* sound = dynamic_cast<DS_Sound*>(object.Get())) each(*sound);
            }
        }
    }
}

}  // namespace

DS_Sound_Ctrl::DS_Sound_Ctrl() : volume(kDefaultVolume), balance(kDefaultBalance) {}

DS_Sound_Ctrl::DS_Sound_Ctrl(const DS_Sound_Ctrl& other)
    : DS_ABObj_Constructor(other), volume(other.volume.GetValue()), balance(other.balance.GetValue())
{
}

DS_Sound_Ctrl::~DS_Sound_Ctrl() = default;

ItemPreview DS_Sound_Ctrl::GetPreview() const
{
    // Made on first use and kept for the rest of the process: every sound
    // item shows the same picture.
    static const DS_ImageFileLink previewLink(DS_FileLink3(kPreviewResource, kPreviewModule));
    ItemPreview preview;
    preview.link = &previewLink;
    return preview;
}

DS_ABObj* DS_Sound_Ctrl::CreateObject()
{
    return new DS_Sound(Clone());
}

void DS_Sound_Ctrl::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteUInt(volume.GetValue());
    ar->archive->WriteUInt(balance.GetValue());
    DS_ABObj_Constructor::WriteBody(ar);
}

bool DS_Sound_Ctrl::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return ReadFields(version, ar);
}

bool DS_Sound_Ctrl::ReadFields(int32_t version, DS_IOF_Archive* ar)
{
    uint32_t value = 0;
    ar->archive->ReadUInt(value);
    volume.StoreValue(value);
    value = 0;
    ar->archive->ReadUInt(value);
    balance.StoreValue(value);
    if (version < kFirstVersionWithoutTimes) {
        int32_t mode = 0;
        uint32_t invisibleMin = 0;
        uint32_t invisibleMax = 0;
        ar->archive->ReadInt32(mode);
        ar->archive->ReadUInt(invisibleMin);
        ar->archive->ReadUInt(invisibleMax);
        if (ar->Failed()) return false;
        DS_TimeLineControl& timeLine = TimeLine();
        timeLine.mode = mode;
        timeLine.invisible.minimum.SetValue(SecondsToHundredths(invisibleMin));
        timeLine.invisible.maximum.SetValue(SecondsToHundredths(invisibleMax));
    }
    if (ar->Failed()) return false;
    return DS_ABObj_Constructor::ReadBody(ar);
}

unsigned DS_Sound_Ctrl::Volume() const
{
    return std::min(volume.GetValue(), kMaxLevel);
}

unsigned DS_Sound_Ctrl::Balance() const
{
    return std::min(balance.GetValue(), kMaxLevel);
}

DS_Sound::DS_Sound(DS_Sound_Ctrl* owner) : DS_ABObj(owner), sound_(owner)
{
    if (sound_) sound_->Start();
}

void DS_Sound::SetEnabled(bool enabled)
{
    if (!enabled && sound_) sound_->Stop();
    active_ = enabled;
}

int32_t DS_Sound::Kind() const
{
    return kKind;
}

void DS_Sound::Update(float localTime)
{
    if (active_ && sound_) sound_->Poll(localTime);
}

void DS_Sound::Silence()
{
    if (sound_) sound_->Stop();
}

void RemoveSoundItems(DS_SlideShow_Light& root)
{
    const auto isSound = [](const std::unique_ptr<DS_ABObj_Constructor>& item) {
        return dynamic_cast<const DS_Sound_Ctrl*>(item.get()) != nullptr;
    };
    for (const auto& slide : root.Slides()) {
        if (!slide) continue;
        for (auto* items : {&slide->DrawnItems(), &slide->UpdatedItems()}) {
            items->erase(std::remove_if(items->begin(), items->end(), isSound), items->end());
        }
    }
}

void SilenceSounds(DS_SlideShow_Light& root)
{
    ForEachSound(root, [](DS_Sound& sound) { sound.Silence(); });
}
