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

void ReadParam(const DS_IOF_Archive& ar, MediaParamTB<unsigned>& param)
{
    if (!ar.archive) return;
    uint32_t value = param.GetValue();
    ar.archive->ReadUInt(value);
    param.SetValue(value);
}

void WriteParam(const DS_IOF_Archive& ar, const MediaParamTB<unsigned>& param)
{
    if (!ar.archive) return;
    const uint32_t value = param.GetValue();
    ar.archive->WriteUInt(value);
}

void ReadParam(const DS_IOF_Archive& ar, MediaParamTB<int>& param)
{
    if (!ar.archive) return;
    int32_t value = param.GetValue();
    ar.archive->ReadInt32(value);
    param.SetValue(value);
}

void WriteParam(const DS_IOF_Archive& ar, const MediaParamTB<int>& param)
{
    if (!ar.archive) return;
    const int32_t value = param.GetValue();
    ar.archive->WriteInt32(value);
}
