// A slide: one picture layer with the scene objects drawn over it, a second
// set of objects that are updated but never drawn (sounds) and are switched
// on while the slide shows, and the slide's own fade and show times. The
// slideshow root holds the slides and decides which one is current.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/archive/IOF_Item.h"
#include "engine/params/MediaParam.h"
#include "engine/params/UINTSclaleTo.h"
#include "engine/scene/ABObj.h"
#include "engine/scene/CountedPtr.h"
#include "engine/scene/Light2D.h"
#include "engine/scene/SlideSchedule.h"

class DS_SlideContainer : public DS_IOF_Item {
public:
    static constexpr wchar_t kClassName[] = L"DS_SlideContainer";
    static constexpr int32_t kVersion = 4;
    // Versions below this stored the duration in whole seconds.
    static constexpr int32_t kFirstHundredthsVersion = 4;
    static constexpr unsigned kDefaultDuration = 1000;

    using ItemList = std::vector<std::unique_ptr<DS_ABObj_Constructor>>;
    using ObjectList = std::vector<CountedPtr<DS_ABObj>>;

    DS_SlideContainer();
    DS_SlideContainer(const DS_SlideContainer&) = delete;
    DS_SlideContainer& operator=(const DS_SlideContainer&) = delete;
    ~DS_SlideContainer() override;

    // The whole "DS_SlideContainer" record, version 4.
    void Write(DS_IOF_Archive* ar) override;
    void WriteBody(DS_IOF_Archive* ar);
    void WriteFields(DS_IOF_Archive* ar);
    // The items of a list: those of the built objects (their clones) and
    // any item not built yet.
    static void WriteObjectList(DS_IOF_Archive* ar, const ObjectList& objects, const ItemList& items);

    // The fields of a record of the given version (the header was read by
    // the slide registry). False when the record cannot be read: data that
    // runs short, or a picture layer or item that cannot be made. A slide
    // always has a picture layer once read.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);
    // An int count, then that many scene items read by class name.
    static void ReadObjectList(DS_IOF_Archive* ar, ItemList& items);
    // A complete slide record through the slide registry; null when it
    // cannot be read (the archive has failed then).
    static std::unique_ptr<DS_SlideContainer> ReadAny(DS_IOF_Archive* ar);

    // Once, after the whole document is read: readies the picture layer,
    // has every item build its runtime object, then deletes the items.
    void BuildObjects();
    void FrameMove(float t);
    // Picture, then the drawn objects from last to first, through a chain
    // of render targets when any of them (or the layer) needs the scene.
    void Render(bool noClear);
    void DrawBorders(bool skip);
    // Restarts the drawn objects and readies the picture layer's device state.
    void ResetObjects();
    void ResizeLight(int32_t width, int32_t height);
    void SetPicturePosition(int32_t mode);
    void SetSoundsActive(bool active);
    // Before a device Reset: the picture layer's and the objects' own
    // default-pool resources are released.
    virtual void InvalidateDeviceObjects();

    CountedPtr<DS_2D_Light> GetLight() const { return light_; }
    SlideTiming Timing() const;

    MediaParamT<unsigned> fadeIn;
    MediaParamT<unsigned> fadeOut;
    MediaParamT<unsigned> show;
    MediaParamT<int> integerValue;
    MediaParamTB<ds_string> name;
    TimeParam duration;

    // Setters for writers (the composer, tests).
    void SetLight(CountedPtr<DS_2D_Light> light) { light_ = std::move(light); }
    ItemList& DrawnItems() { return drawnItems_; }
    ItemList& UpdatedItems() { return updatedItems_; }
    const ObjectList& DrawnObjects() const { return drawnObjects_; }
    const ObjectList& UpdatedObjects() const { return updatedObjects_; }

private:
    CountedPtr<DS_2D_Light> light_;
    ObjectList drawnObjects_;
    ObjectList updatedObjects_;
    ItemList drawnItems_;
    ItemList updatedItems_;
};
