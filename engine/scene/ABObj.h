// Scene items and their runtime objects. An item (DS_ABObj_Constructor) is
// read from the document and carries settings; a slide turns each item into
// a runtime object (DS_ABObj) that owns a private clone of the item and is
// updated every frame and drawn through the picture layer's render service.
// The order of the virtual operations is fixed: item kinds and object kinds
// override them slot by slot.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "engine/archive/IOF_Item.h"

class DS_ABObj;
class DS_ABRender;
class DS_ImageFileLink;
class DS_TimeLineControl;

// What an item offers as its preview picture.
struct ItemPreview {
    const DS_ImageFileLink* link = nullptr;  // not owned; null for none
    int32_t count = 0;
    bool flag = false;
    float scale = 1.0f;
};

class DS_ABObj_Constructor : public DS_IOF_Item {
public:
    static constexpr int32_t kVersion = 2;
    static constexpr int32_t kKind = 3;

    // A default time line (always visible), empty name.
    DS_ABObj_Constructor();
    // The clone's time line is a copy with a fresh state machine.
    DS_ABObj_Constructor(const DS_ABObj_Constructor& other);
    DS_ABObj_Constructor& operator=(const DS_ABObj_Constructor&) = delete;

    // 1. Deletes the time line.
    ~DS_ABObj_Constructor() override;
    // 2. The base record; kinds write their own record around it.
    void Write(DS_IOF_Archive* ar) override;
    // 3.
    virtual int32_t Kind() const;
    // 4. No link, 0, false, 1.0.
    virtual ItemPreview GetPreview() const;
    // 5.
    virtual void IntHook(int32_t value);
    // 6. A new runtime object built around a clone of this item.
    virtual DS_ABObj* CreateObject() = 0;
    // 7.
    virtual void NewGuid();
    // 8. Rewinds the time line's state machine.
    virtual void Restart();
    // 9. to 12. Hooks with no behaviour in the player.
    virtual void ItemHookA(int32_t value);
    virtual void ItemHookB(int32_t value);
    virtual int32_t ItemQuery(int32_t value);
    virtual int32_t ObjectQuery(DS_ABObj* object);

    // The "DS_ABObj_Constructor" record (version 2, all four fields).
    void WriteBody(DS_IOF_Archive* ar) const;
    // Reads the header (name ignored) and the fields of the stored version;
    // version 1 keeps the default time line. False when the data ran out
    // (the archive has failed then).
    bool ReadBody(DS_IOF_Archive* ar);

    DS_TimeLineControl& TimeLine() const { return *timeLine_; }
    const ds_string& Name() const { return name_; }
    void SetName(const ds_string& name) { name_ = name; }
    bool FirstUse() const { return firstUse_; }

private:
    bool firstUse_ = true;
    ds_string name_;
    std::unique_ptr<DS_TimeLineControl> timeLine_;
};

// Runtime objects that keep default-pool resources of their own derive from
// this as well (DS_ABObj's operations stay as they are): the slide's
// invalidate step releases those resources before a device Reset, and the
// object makes them again the next time it is updated.
class DeviceObjectHolder {
public:
    virtual ~DeviceObjectHolder() = default;
    virtual void ReleaseDeviceObjects() = 0;
};

class DS_ABObj {
public:
    // Takes ownership of owner, the object's private item clone.
    explicit DS_ABObj(DS_ABObj_Constructor* owner);
    DS_ABObj(const DS_ABObj&) = delete;
    DS_ABObj& operator=(const DS_ABObj&) = delete;

    // 1. Deletes the owner item through its virtual destructor.
    virtual ~DS_ABObj();
    // 2. Draws through the render service of the slide's picture layer.
    virtual void Render(DS_ABRender* service) = 0;
    // 3.
    virtual void ForwardInt(int32_t a, int32_t b) = 0;
    // 4.
    virtual void Relayout() = 0;
    // 5.
    virtual void SetEnabled(bool enabled);
    // 6. Whether the object samples what was drawn before it.
    virtual bool NeedsSceneTexture() const;
    // 7. The owner's kind.
    virtual int32_t Kind() const;
    // 8.
    virtual bool HitTest(POINT* point);
    // 9. The owner's ObjectQuery with this object.
    virtual int32_t OwnerQuery();
    // 10. The owner's Restart.
    virtual void Restart();
    // 11. Advances the object to local time (seconds).
    virtual void Update(float localTime) = 0;

    // Advances the owner's time line to application time t and updates
    // the object with the local time it gives.
    void UpdateAt(float t);

    DS_ABObj_Constructor* Owner() const { return owner_.get(); }
    bool IsEnabled() const { return enabled_; }

private:
    std::unique_ptr<DS_ABObj_Constructor> owner_;
    bool enabled_ = true;
};
