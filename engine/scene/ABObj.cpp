#include "engine/scene/ABObj.h"

#include "engine/scene/TimeLineControl.h"

namespace {

constexpr const wchar_t* kClassName = L"DS_ABObj_Constructor";

}  // namespace

DS_ABObj_Constructor::DS_ABObj_Constructor() : timeLine_(std::make_unique<DS_TimeLineControl>()) {}

DS_ABObj_Constructor::DS_ABObj_Constructor(const DS_ABObj_Constructor& other)
    : DS_IOF_Item(other),
      firstUse_(other.firstUse_),
      name_(other.name_),
      timeLine_(std::make_unique<DS_TimeLineControl>(*other.timeLine_))
{
}

DS_ABObj_Constructor::~DS_ABObj_Constructor() = default;

void DS_ABObj_Constructor::Write(DS_IOF_Archive* ar) { WriteBody(ar); }

int32_t DS_ABObj_Constructor::Kind() const { return kKind; }

ItemPreview DS_ABObj_Constructor::GetPreview() const { return ItemPreview{}; }

void DS_ABObj_Constructor::IntHook(int32_t) {}

void DS_ABObj_Constructor::NewGuid() {}

void DS_ABObj_Constructor::Restart() { timeLine_->Reset(); }

void DS_ABObj_Constructor::ItemHookA(int32_t) {}

void DS_ABObj_Constructor::ItemHookB(int32_t) {}

int32_t DS_ABObj_Constructor::ItemQuery(int32_t) { return 0; }

int32_t DS_ABObj_Constructor::ObjectQuery(DS_ABObj*) { return 0; }

void DS_ABObj_Constructor::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteString(name_);
    timeLine_->Write(*ar);
}

bool DS_ABObj_Constructor::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    ar->archive->ReadString(name_);
    if (ar->Failed()) return false;
    if (version > 1) {
        // Read into a fresh time line so that a record cut short leaves
        // the item's own one whole.
        auto timeLine = std::make_unique<DS_TimeLineControl>();
        if (!timeLine->Read(*ar)) {
            ar->Fail();
            return false;
        }
        timeLine_ = std::move(timeLine);
    }
    return !ar->Failed();
}

DS_ABObj::DS_ABObj(DS_ABObj_Constructor* owner) : owner_(owner) {}

DS_ABObj::~DS_ABObj() = default;

void DS_ABObj::SetEnabled(bool enabled) { enabled_ = enabled; }

bool DS_ABObj::NeedsSceneTexture() const { return false; }

int32_t DS_ABObj::Kind() const { return owner_ ? owner_->Kind() : DS_ABObj_Constructor::kKind; }

bool DS_ABObj::HitTest(POINT*) { return false; }

int32_t DS_ABObj::OwnerQuery() { return owner_ ? owner_->ObjectQuery(this) : 0; }

void DS_ABObj::Restart()
{
    if (owner_) owner_->Restart();
}

void DS_ABObj::UpdateAt(float t)
{
    if (!owner_) return;
    const float local = owner_->TimeLine().AdvanceLocalTime(t);
    Update(local);
}
