// Reader objects and class registries: a record whose class is chosen at
// run time starts with its class name and version, and the registry of the
// expected base class maps the name (exact UTF-16 code units, case-
// sensitive) to the reader that creates and reads the object.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <type_traits>
#include <vector>

#include "engine/archive/IOF_Virtual.h"

// Creates a B and reads the rest of its record for the stored version.
template <class B>
class IOF_Virtual_ReaderII {
public:
    virtual ~IOF_Virtual_ReaderII() = default;
    // Returns no object when the record cannot be read; the archive has
    // failed then.
    virtual std::unique_ptr<B> Create(DS_IOF_Archive* ar, int32_t version) const = 0;
};

// The reader of class T (B or a class derived from it): a default T, then
// T::ReadFields(ar, version), which reads the level's fields and its base
// records. A ReadFields that returns false rejects the record.
template <class T, class B>
class IOF_Virtual_ReaderT_II final : public IOF_Virtual_ReaderII<B> {
public:
    std::unique_ptr<B> Create(DS_IOF_Archive* ar, int32_t version) const override
    {
        auto object = std::make_unique<T>();
        bool accepted = true;
        if constexpr (std::is_same_v<decltype(object->ReadFields(ar, version)), bool>) {
            accepted = object->ReadFields(ar, version);
        } else {
            object->ReadFields(ar, version);
        }
        if (!accepted || ar->Failed()) {
            ar->Fail();
            return nullptr;
        }
        return object;
    }
};

// The scene-item readers are the reader family of the item base class.
class DS_ABObj_Constructor;
using IOF_Virtual_Reader = IOF_Virtual_ReaderII<DS_ABObj_Constructor>;
template <class T>
using IOF_Virtual_ReaderT = IOF_Virtual_ReaderT_II<T, DS_ABObj_Constructor>;

// Class name to reader, for the classes that derive from B. Filled at
// start-up and only read afterwards.
template <class B>
class ClassRegistry {
public:
    // Registers T under name. False, keeping the first reader, when the
    // name is already taken: each stored name has one class.
    template <class T>
    bool Register(const ds_string& name)
    {
        return readers.emplace(name, std::make_unique<IOF_Virtual_ReaderT_II<T, B>>()).second;
    }

    // Null when the name is not registered.
    const IOF_Virtual_ReaderII<B>* Find(const ds_string& name) const
    {
        const auto found = readers.find(name);
        return found == readers.end() ? nullptr : found->second.get();
    }

    size_t Size() const { return readers.size(); }

    std::vector<ds_string> Names() const
    {
        std::vector<ds_string> names;
        for (const auto& entry : readers) names.push_back(entry.first);
        return names;
    }

private:
    // std::wstring orders by code units, so lookups are exact and case-sensitive.
    std::map<ds_string, std::unique_ptr<const IOF_Virtual_ReaderII<B>>> readers;
};

// Reads a record whose class is chosen by its stored name: the name and
// version, then the registered reader's Create. An unknown name or a
// record that yields no object fails the archive and returns no object:
// records carry no length, so nothing after it could be read correctly.
template <class B>
std::unique_ptr<B> ReadRecordByName(DS_IOF_Archive* ar, const ClassRegistry<B>& registry)
{
    ds_string name;
    int32_t version = 0;
    ar->archive->ReadString(name);
    ar->archive->ReadInt(version);
    if (ar->Failed()) return nullptr;
    const IOF_Virtual_ReaderII<B>* reader = registry.Find(name);
    if (reader == nullptr) {
        ar->Fail();
        return nullptr;
    }
    std::unique_ptr<B> object = reader->Create(ar, version);
    if (!object || ar->Failed()) {
        ar->Fail();
        return nullptr;
    }
    return object;
}

// A counted list of such records: an int count, then that many records
// appended to list (a container of owning pointers to B) in stored order.
// Stops at the first record that fails; a negative count fails the archive.
template <class B, class List>
void ReadRecordList(DS_IOF_Archive* ar, const ClassRegistry<B>& registry, List& list)
{
    int32_t count = 0;
    ar->archive->ReadInt(count);
    if (count < 0) ar->Fail();
    for (int32_t i = 0; i < count && !ar->Failed(); ++i) {
        std::unique_ptr<B> object = ReadRecordByName(ar, registry);
        if (!object) return;
        list.push_back(std::move(object));
    }
}
