// Shared pieces of the 3D object tests: a registry holding the 3D kinds and
// reading a scene-item record by its stored class name.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/archive/ClassRegistry.h"
#include "engine/archive/SceneClassRegistry.h"
#include "engine/scene/ABObj.h"
#include "objects/3d/Object3DClasses.h"
#include "unit/MemoryArchive.h"
#include "unit/sprites/SpriteTestSupport.h"

inline const SceneClassRegistry& Object3DRegistry()
{
    static const SceneClassRegistry classes = [] {
        SceneClassRegistry made;
        RegisterObject3DClasses(made);
        return made;
    }();
    return classes;
}

struct ReadResult {
    std::unique_ptr<DS_ABObj_Constructor> item;
    bool failed = false;
    size_t remaining = 0;
};

// Reads one record, chosen by its stored class name, from the first size bytes.
inline ReadResult ReadItemBytes(const std::vector<uint8_t>& bytes, size_t size)
{
    MemoryArchive archive(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)));
    DS_IOF_Archive handle = archive.Handle();
    handle.classes = &Object3DRegistry();
    ReadResult result;
    result.item = ReadRecordByName(&handle, Object3DRegistry().sceneItems);
    result.failed = handle.Failed();
    result.remaining = archive.Remaining();
    return result;
}

inline std::vector<uint8_t> ItemBytes(DS_ABObj_Constructor& item)
{
    return WrittenBytes([&](DS_IOF_Archive* ar) { item.Write(ar); });
}
