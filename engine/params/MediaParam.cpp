#include "engine/params/MediaParam.h"

#include <algorithm>

MediaParam::~MediaParam()
{
    // Taken out of the member first so that a listener that calls back into
    // this parameter while detaching finds an empty list.
    std::vector<MediaControl*> controls;
    controls.swap(controls_);
    for (MediaControl* control : controls) control->Detach();
}

void MediaParam::AddControl(MediaControl* control)
{
    if (control) controls_.push_back(control);
}

void MediaParam::RemoveControl(MediaControl* control)
{
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it != controls_.end()) controls_.erase(it);
}

void MediaParam::NotifyControls(MediaControl* sender)
{
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        MediaControl* control = controls_[i];
        if (control != sender) control->OnChange(sender);
    }
}

namespace {

// Reads through the setter with no sender; a failed read leaves the stored
// value as it was, so the setter sees no change and notifies nobody.
template <typename T, typename Stored>
void ReadThroughSetter(const DS_IOF_Archive& ar, MediaParamTB<T>& param, void (DS_IOF_Virtual::*read)(Stored&))
{
    if (!ar.archive) return;
    Stored value = static_cast<Stored>(param.GetValue());
    (ar.archive->*read)(value);
    param.SetValue(static_cast<T>(value));
}

template <typename T, typename Stored>
void WriteValue(const DS_IOF_Archive& ar, const MediaParamTB<T>& param, void (DS_IOF_Virtual::*write)(const Stored&))
{
    if (!ar.archive) return;
    const Stored value = static_cast<Stored>(param.GetValue());
    (ar.archive->*write)(value);
}

}  // namespace

void ReadParam(const DS_IOF_Archive& ar, MediaParamTB<unsigned>& param)
{
    ReadThroughSetter(ar, param, &DS_IOF_Virtual::ReadUInt);
}

void WriteParam(const DS_IOF_Archive& ar, const MediaParamTB<unsigned>& param)
{
    WriteValue(ar, param, &DS_IOF_Virtual::WriteUInt);
}

void ReadParam(const DS_IOF_Archive& ar, MediaParamTB<int>& param)
{
    ReadThroughSetter(ar, param, &DS_IOF_Virtual::ReadInt32);
}

void WriteParam(const DS_IOF_Archive& ar, const MediaParamTB<int>& param)
{
    WriteValue(ar, param, &DS_IOF_Virtual::WriteInt32);
}
