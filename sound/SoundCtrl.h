// Sound scene items and their runtime object. DS_Sound_Ctrl is the abstract
// sound item with a volume and a balance; its kinds are the MP3 item (a
// DirectShow graph of its own) and the WAV item (a DirectSound buffer).
// DS_Sound draws nothing: it prepares its item when it is made, lets the
// item follow its time line at every update while it is active, and stops
// it when it is switched off. A slide switches the objects of its second
// list on while it is current, so slide sounds start and stop with it.
#pragma once

#include <cstdint>

#include "engine/params/MediaParam.h"
#include "engine/scene/ABObj.h"

class DS_SlideShow_Light;

class DS_Sound_Ctrl : public DS_ABObj_Constructor {
public:
    static constexpr wchar_t kClassName[] = L"DS_Sound_Ctrl";
    static constexpr int32_t kVersion = 3;
    // Versions before this stored the time line's mode and invisible
    // seconds here.
    static constexpr int32_t kFirstVersionWithoutTimes = 3;
    static constexpr unsigned kDefaultVolume = 100;
    static constexpr unsigned kDefaultBalance = 50;
    // Volume and balance are 0..100; larger stored values count as 100.
    static constexpr unsigned kMaxLevel = 100;
    // The preview picture: resource 2016 of "common_res.dll".
    static constexpr int32_t kPreviewResource = 2016;

    DS_Sound_Ctrl();
    // The item base (name, copied time line) and the two values.
    DS_Sound_Ctrl(const DS_Sound_Ctrl& other);
    DS_Sound_Ctrl& operator=(const DS_Sound_Ctrl&) = delete;
    ~DS_Sound_Ctrl() override;

    // The process-wide preview picture with count 0, flag false, scale 1.0.
    ItemPreview GetPreview() const override;
    // A new DS_Sound around Clone().
    DS_ABObj* CreateObject() override;

    // Prepares the sound and leaves it silent.
    virtual void Start() = 0;
    virtual void Stop() = 0;
    // Starts or stops the sound by the time line's phase.
    virtual void Poll(float localTime) = 0;
    // A new copy of the item, not prepared.
    virtual DS_Sound_Ctrl* Clone() const = 0;

    // The "DS_Sound_Ctrl" record: header, volume, balance, item base record.
    void WriteBody(DS_IOF_Archive* ar) const;
    // Reads the header, then ReadFields with its version.
    bool ReadBody(DS_IOF_Archive* ar);
    // The fields of a record of the given version. Versions 1 and 2 put
    // their mode and invisible seconds (x 100, at most the largest unsigned)
    // into the time line, which an item base record of version 2 replaces.
    // False when the data runs short.
    bool ReadFields(int32_t version, DS_IOF_Archive* ar);

    // The values, clamped to 0..100.
    unsigned Volume() const;
    unsigned Balance() const;

    MediaParamT<unsigned> volume;
    MediaParamT<unsigned> balance;
};

class DS_Sound : public DS_ABObj {
public:
    // Takes ownership of the clone and prepares it (DS_Sound_Ctrl::Start).
    explicit DS_Sound(DS_Sound_Ctrl* owner);

    void Render(DS_ABRender*) override {}
    void ForwardInt(int32_t, int32_t) override {}
    void Relayout() override {}
    // Off stops the sound; on lets it follow its time line from the next
    // update. The base's enabled flag is not touched.
    void SetEnabled(bool enabled) override;
    bool NeedsSceneTexture() const override { return false; }
    int32_t Kind() const override;
    // While active: the item's Poll.
    void Update(float localTime) override;

    // Stops the sound and keeps it active: the next update starts it again
    // where its time line says (after a device reset).
    void Silence();

    bool IsActive() const { return active_; }
    DS_Sound_Ctrl* Sound() const { return sound_; }

    static constexpr int32_t kKind = 1;

private:
    DS_Sound_Ctrl* sound_;
    bool active_ = true;
};

// Takes the sound items out of every slide of root before its objects are
// built: a scene copy that must stay silent (every render unit but the
// first) then neither writes files nor makes graphs or buffers.
void RemoveSoundItems(DS_SlideShow_Light& root);
// Stops every sound object of every slide of root and keeps it active (see
// DS_Sound::Silence).
void SilenceSounds(DS_SlideShow_Light& root);
