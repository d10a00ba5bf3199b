#include "engine/resources/FileLink.h"

#include <windows.h>

#include "engine/resources/DocResManager.h"

namespace {

// Stamps of links made for embedded bytes. Process-wide on purpose: every
// link made from an unnumbered blob, in any render unit, must get a key of
// its own, so the number is never reset while the program runs.
uint32_t g_embeddedRunningNumber = 0;

// FILETIME counts 100 ns intervals since 1601-01-01 UTC.
constexpr int64_t kFileTimeTicksPerSecond = 10000000;
constexpr int64_t kFileTimeTicksTo1970 = 116444736000000000;

// Floor division, so that times before 1970 round down like whole seconds do.
int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Links are written before the manager's record: the bytes the manager
// has cached for a link go into its linked-file map so that they are saved
// with the document (both entries are made, empty, when missing). Picture
// bytes that MarkForSave has put into the image map are saved there and
// are not stored a second time.
void KeepLinkedBytes(ResourceStore& store, const FileLinkValue& link)
{
    if (store.images.count(link) != 0) return;
    store.linkedFiles[link] = store.byteCache[link];
}

}  // namespace

bool FileLinkLess::operator()(const FileLinkValue& a, const FileLinkValue& b) const
{
    // wchar_t is an unsigned 16-bit code unit on Windows, so compare() orders
    // by code units with a prefix first.
    const int byPath = a.path.compare(b.path);
    if (byPath != 0) return byPath < 0;
    return a.stamp < b.stamp;
}

int64_t FileModificationStamp(const ds_string& path)
{
    if (path.empty()) return 0;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    const uint64_t ticks = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                           data.ftLastWriteTime.dwLowDateTime;
    // FILETIME is unsigned and below 2^63 for every real date.
    return FloorDiv(static_cast<int64_t>(ticks) - kFileTimeTicksTo1970, kFileTimeTicksPerSecond);
}

DS_FileLink3::DS_FileLink3(const ds_string& path) : value_{path, FileModificationStamp(path)} {}

DS_FileLink3::DS_FileLink3(int32_t resourceNumber, const ds_string& module)
    : value_{module, static_cast<int64_t>(resourceNumber)}
{
}

DS_FileLink3::DS_FileLink3(const FileLinkValue& value) : value_(value) {}

DS_FileLink3::DS_FileLink3(const ResourceBlob& blob)
{
    if (blob.id != 0) {
        value_.path = blob.module;
        value_.stamp = static_cast<int64_t>(static_cast<uint32_t>(blob.id));
    } else {
        value_.path = blob.name;
        value_.stamp = static_cast<int64_t>(g_embeddedRunningNumber);
        ++g_embeddedRunningNumber;
    }
}

DS_FileLink3::DS_FileLink3(const DS_FileLink3& other) : MediaParam(), value_(other.value_) {}

DS_FileLink3& DS_FileLink3::operator=(const DS_FileLink3& other)
{
    value_ = other.value_;
    return *this;
}

bool DS_FileLink3::SetValue(const FileLinkValue& value, MediaControl* sender)
{
    if (!value_.Differs(value)) return false;
    value_ = value;
    NotifyControls(sender);
    return true;
}

ds_string DS_FileLink3::GetExtension() const
{
    const ds_string::size_type dot = value_.path.rfind(L'.');
    if (dot == ds_string::npos) return ds_string();
    ds_string extension = value_.path.substr(dot);
    for (wchar_t& c : extension) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return extension;
}

void DS_FileLink3::Read(const DS_IOF_Archive& ar)
{
    if (!ar.archive) return;
    ar.archive->ReadString(value_.path);
    ar.archive->ReadInt64(value_.stamp);
}

void DS_FileLink3::Write(const DS_IOF_Archive& ar) const
{
    if (!ar.archive) return;
    if (!value_.path.empty()) {
        if (DS_DocResManager* manager = CurrentDocResManager()) KeepLinkedBytes(manager->Store(), value_);
    }
    ar.archive->WriteString(value_.path);
    ar.archive->WriteInt64(value_.stamp);
}

void DS_ImageFileLink::UndoImage::OnChange(MediaControl* sender)
{
    if (owner_ && owner_->GetValue().Differs(cached_)) cached_ = owner_->GetValue();
}

void DS_ImageFileLink::UndoImage::Undo()
{
    history_.StepOlder(cached_);
    ApplyCached();
}

void DS_ImageFileLink::UndoImage::Redo()
{
    history_.StepNewer(cached_);
    ApplyCached();
}

void DS_ImageFileLink::UndoImage::ApplyCached()
{
    if (!owner_) return;
    owner_->StoreValue(cached_);
    owner_->NotifyControls(this);
}

DS_ImageFileLink::DS_ImageFileLink() : undo_(this)
{
    AttachUndo();
}

DS_ImageFileLink::DS_ImageFileLink(const DS_FileLink3& link) : DS_FileLink3(link), undo_(this)
{
    AttachUndo();
}

DS_ImageFileLink::DS_ImageFileLink(const DS_ImageFileLink& other) : DS_FileLink3(other), undo_(this)
{
    AttachUndo();
}

DS_ImageFileLink& DS_ImageFileLink::operator=(const DS_ImageFileLink& other)
{
    DS_FileLink3::operator=(other);
    undo_.OnChange(nullptr);
    return *this;
}

DS_ImageFileLink::~DS_ImageFileLink()
{
    RemoveControl(&undo_);
}

void DS_ImageFileLink::AttachUndo()
{
    AddControl(&undo_);
    undo_.OnChange(nullptr);
}
