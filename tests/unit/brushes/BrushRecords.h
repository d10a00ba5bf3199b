// Record helpers of the brush tests: a whole scene-item record read back
// through the scene-item registry, and every truncation of a written record.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <typeinfo>
#include <vector>

#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "engine/scene/ABObj.h"
#include "engine/scene/Light2D.h"
#include "unit/MemoryArchive.h"

// Reads the class name and version, then the record through the registered
// reader; null for an unknown class or a record that cannot be read.
inline std::unique_ptr<DS_ABObj_Constructor> ReadSceneItem(MemoryArchive& memory)
{
    SceneClassRegistry classes;
    RegisterSceneClasses(classes);
    DS_IOF_Archive ar = memory.Handle();
    ar.classes = &classes;
    ds_string name;
    int32_t version = 0;
    memory.ReadString(name);
    memory.ReadInt(version);
    const auto* reader = classes.sceneItems.Find(name);
    return reader ? reader->Create(&ar, version) : nullptr;
}

// A picture-layer record (header included) read through the registry, as a
// slide reads its layer; null for an unknown class or a record that cannot
// be read.
inline std::unique_ptr<DS_2D_Light> ReadPictureLayer(MemoryArchive& memory)
{
    SceneClassRegistry classes;
    RegisterSceneClasses(classes);
    DS_IOF_Archive ar = memory.Handle();
    ar.classes = &classes;
    return ReadRecordByName(&ar, classes.pictureLayers);
}

// The record read back as ReadSceneItem does, as class T; null for a record
// that cannot be read or is of another class.
template <class T>
std::unique_ptr<T> ReadSceneItemAs(MemoryArchive& memory)
{
    std::unique_ptr<DS_ABObj_Constructor> item = ReadSceneItem(memory);
    if (!dynamic_cast<T*>(item.get())) return nullptr;
    return std::unique_ptr<T>(static_cast<T*>(item.release()));
}

// The bytes of item's record.
inline std::vector<uint8_t> WrittenRecord(DS_IOF_Item& item)
{
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    item.Write(&out);
    return memory.bytes;
}

// Writes item into memory and reads the record back through the registry,
// expecting the whole record read, a copy of item's class, and the copy to
// write the same bytes (so no field was read into the wrong place). The
// copy; null (a failure reported) when the record cannot be read.
inline std::unique_ptr<DS_ABObj_Constructor> ReadBackAlike(DS_IOF_Item& item, MemoryArchive& memory)
{
    memory = MemoryArchive(WrittenRecord(item));
    std::unique_ptr<DS_ABObj_Constructor> read = ReadSceneItem(memory);
    if (!read) {
        ADD_FAILURE() << "the record was not read back";
        return nullptr;
    }
    EXPECT_EQ(memory.cursor, memory.bytes.size());
    EXPECT_EQ(typeid(*read), typeid(item));
    EXPECT_EQ(WrittenRecord(*read), memory.bytes);
    return read;
}

// Writes item, then calls check with each copy of the record cut short by
// 1 to size - 1 bytes (every step bytes).
inline void ForEachTruncation(DS_IOF_Item& item, size_t step, const std::function<void(MemoryArchive&, size_t)>& check)
{
    MemoryArchive full;
    DS_IOF_Archive out = full.Handle();
    item.Write(&out);
    for (size_t cut = 1; cut < full.bytes.size(); cut += step) {
        MemoryArchive memory;
        memory.bytes.assign(full.bytes.begin(), full.bytes.end() - static_cast<std::ptrdiff_t>(cut));
        check(memory, cut);
    }
}
