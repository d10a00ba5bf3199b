// Shared pieces of the sprite tests: a concrete sprite kind that exists only
// here (own field, then the sprite levels' record, as every kind reads), a
// picture size set for the duration of a test, and record round trips
// through the document archive.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/archive/IOF_R.h"
#include "engine/archive/IOF_W.h"
#include "engine/params/Random.h"
#include "engine/render/ViewMetrics.h"
#include "objects/sprites/ParticleSystemCtrl.h"
#include "objects/sprites/SpriteInstance.h"

// Places its sprites at fixed points in turn and moves them by a fixed
// velocity on the speed clock; can draw one random number when placing.
class TestSpriteKind : public DS_ParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"TestSpriteKind";
    static constexpr int32_t kVersion = 1;

    int32_t marker = 0;  // the kind's own stored field
    std::vector<D3DXVECTOR3> places;
    size_t placed = 0;
    bool drawOnPlace = false;
    std::vector<int> placeDraws;
    D3DXVECTOR3 motion{0.0f, 0.0f, 0.0f};  // pixels per speed-clock second
    int updates = 0;

    void InitSprite(SpriteInstance& sprite) override
    {
        if (drawOnPlace) placeDraws.push_back(DS_Rand());
        if (!places.empty()) sprite.position = places[placed++ % places.size()];
    }
    void UpdateSprite(SpriteInstance& sprite) override
    {
        ++updates;
        sprite.position += motion * SpeedStep();
    }
    DS_ABObj* CreateObject() override { return CreateSpriteArrayObject(); }
    DS_ParticleSystemCtrl* Clone() const override { return new TestSpriteKind(*this); }

    void Write(DS_IOF_Archive* ar) override
    {
        WriteRecordHeader(ar, kClassName, kVersion);
        ar->archive->WriteInt32(marker);
        DS_BaseSpriteProp::WriteBody(ar);
    }
    bool ReadFields(DS_IOF_Archive* ar, int32_t)
    {
        ar->archive->ReadInt32(marker);
        if (ar->Failed()) return false;
        return DS_BaseSpriteProp::ReadBody(ar);
    }
};

// Sets the process-wide picture size for one test and puts back the old one.
class PictureSize {
public:
    PictureSize(int32_t width, int32_t height) : saved_(ViewMetrics::Instance())
    {
        ViewMetrics::Instance().pictureWidth = width;
        ViewMetrics::Instance().pictureHeight = height;
    }
    ~PictureSize() { ViewMetrics::Instance() = saved_; }

private:
    ViewMetrics saved_;
};

// The bytes write(archive) produces.
inline std::vector<uint8_t> WrittenBytes(const std::function<void(DS_IOF_Archive*)>& write)
{
    DS_IOF_W writer;
    DS_IOF_Archive out;
    out.archive = &writer;
    write(&out);
    return writer.Bytes();
}

// Runs read over the first size bytes; returns whether the archive failed.
inline bool ReadBytes(const std::vector<uint8_t>& bytes, size_t size,
                      const std::function<void(DS_IOF_Archive*)>& read)
{
    ResourceBuffer buffer(bytes.data(), size);
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Archive in;
    in.archive = &reader;
    read(&in);
    return in.Failed();
}
