#include "engine/scene/SlideContainer.h"

#include "engine/archive/ClassRegistry.h"
#include "engine/archive/SceneClassRegistry.h"

DS_SlideContainer::DS_SlideContainer()
    : fadeIn(1u), fadeOut(1u), show(10u), integerValue(0), duration(kDefaultDuration)
{
}

DS_SlideContainer::~DS_SlideContainer() = default;

void DS_SlideContainer::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_SlideContainer::WriteBody(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
}

void DS_SlideContainer::WriteFields(DS_IOF_Archive* ar)
{
    ar->archive->WriteUInt(fadeIn.GetValue());
    ar->archive->WriteUInt(fadeOut.GetValue());
    ar->archive->WriteUInt(show.GetValue());
    ar->archive->WriteInt32(integerValue.GetValue());
    ar->archive->WriteString(name.GetValue());
    ar->archive->WriteUInt(duration.GetValue());
    if (light_) light_->Write(ar);
    WriteObjectList(ar, drawnObjects_, drawnItems_);
    WriteObjectList(ar, updatedObjects_, updatedItems_);
}

void DS_SlideContainer::WriteObjectList(DS_IOF_Archive* ar, const ObjectList& objects, const ItemList& items)
{
    int32_t count = 0;
    for (const auto& object : objects) {
        if (object && object->Owner()) ++count;
    }
    for (const auto& item : items) {
        if (item) ++count;
    }
    ar->archive->WriteInt(count);
    for (const auto& object : objects) {
        if (object && object->Owner()) object->Owner()->Write(ar);
    }
    for (const auto& item : items) {
        if (item) item->Write(ar);
    }
}

bool DS_SlideContainer::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    unsigned value = 0;
    ar->archive->ReadUInt(value);
    fadeIn.StoreValue(value);
    ar->archive->ReadUInt(value);
    fadeOut.StoreValue(value);
    ar->archive->ReadUInt(value);
    show.StoreValue(value);
    int32_t integer = 0;
    ar->archive->ReadInt32(integer);
    integerValue.StoreValue(integer);
    ds_string text;
    ar->archive->ReadString(text);
    name.StoreValue(text);
    unsigned stored = duration.GetValue();
    if (version >= 3) ar->archive->ReadUInt(stored);
    if (ar->Failed()) return false;
    // Older documents stored whole seconds.
    if (version < kFirstHundredthsVersion && stored != 0) stored *= 100;
    duration.SetValue(stored);

    if (ar->classes == nullptr) return false;
    std::unique_ptr<DS_2D_Light> light = ReadRecordByName(ar, ar->classes->pictureLayers);
    if (!light) return false;
    light_ = CountedPtr<DS_2D_Light>(light.release());
    ReadObjectList(ar, drawnItems_);
    if (version >= 2) ReadObjectList(ar, updatedItems_);
    return !ar->Failed();
}

void DS_SlideContainer::ReadObjectList(DS_IOF_Archive* ar, ItemList& items)
{
    if (ar->classes == nullptr) {
        ar->Fail();
        return;
    }
    ReadRecordList(ar, ar->classes->sceneItems, items);
}

std::unique_ptr<DS_SlideContainer> DS_SlideContainer::ReadAny(DS_IOF_Archive* ar)
{
    if (ar->classes == nullptr) {
        ar->Fail();
        return nullptr;
    }
    return ReadRecordByName(ar, ar->classes->slides);
}

void DS_SlideContainer::BuildObjects()
{
    if (light_) {
        light_->RestoreDeviceObjects();
        light_->Resize(1, 1);
    }
    const auto build = [](ItemList& items, ObjectList& objects) {
        for (const auto& item : items) {
            if (!item) continue;
            DS_ABObj* object = item->CreateObject();
            if (object) objects.push_back(CountedPtr<DS_ABObj>(object));
        }
        // The objects own clones; the items read from the document are done.
        items.clear();
    };
    build(drawnItems_, drawnObjects_);
    build(updatedItems_, updatedObjects_);
}

void DS_SlideContainer::FrameMove(float t)
{
    if (light_) light_->FrameMove(t);
    for (const auto& object : drawnObjects_) object->UpdateAt(t);
    for (const auto& object : updatedObjects_) object->UpdateAt(t);
}

void DS_SlideContainer::Render(bool noClear)
{
    if (!light_) return;
    int32_t sceneUsers = 0;
    for (const auto& object : drawnObjects_) {
        if (object->NeedsSceneTexture()) ++sceneUsers;
    }
    if (light_->NeedsSceneTexture()) ++sceneUsers;
    if (sceneUsers > 0) light_->BeginFrame();
    light_->RenderBackground(noClear);
    light_->RenderObjects(drawnObjects_, sceneUsers);
}

void DS_SlideContainer::DrawBorders(bool skip)
{
    if (light_) light_->DrawBorders(skip);
}

void DS_SlideContainer::ResetObjects()
{
    for (const auto& object : drawnObjects_) object->Restart();
    if (light_) light_->ResetDeviceState();
}

void DS_SlideContainer::ResizeLight(int32_t width, int32_t height)
{
    if (light_) light_->Resize(width, height);
}

void DS_SlideContainer::SetPicturePosition(int32_t mode)
{
    if (light_) light_->SetPicturePosition(mode);
}

void DS_SlideContainer::SetSoundsActive(bool active)
{
    for (const auto& object : updatedObjects_) object->SetEnabled(active);
}

void DS_SlideContainer::InvalidateDeviceObjects()
{
    if (light_) light_->InvalidateDeviceObjects();
    for (const ObjectList* list : {&drawnObjects_, &updatedObjects_}) {
        for (const auto& object : *list) {
            if (auto* holder = dynamic_cast<DeviceObjectHolder*>(object.Get())) holder->ReleaseDeviceObjects();
        }
    }
}

SlideTiming DS_SlideContainer::Timing() const
{
    SlideTiming timing;
    timing.fadeIn = fadeIn.GetValue();
    timing.show = show.GetValue();
    timing.fadeOut = fadeOut.GetValue();
    return timing;
}
