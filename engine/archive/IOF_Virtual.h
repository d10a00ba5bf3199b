// The archive interface of the scene document: one write and one read
// operation for each of eleven value kinds, little-endian, no padding, no
// type tags. The reader of a document must know the sequence of kinds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The wide string type of documents and string parameters (UTF-16 on Windows).
using ds_string = std::wstring;

// Bytes of a linked file or of a module resource, with where they came from.
struct ResourceBlob {
    ds_string name;              // file path of a linked file; empty for a module resource
    std::vector<uint8_t> data;   // empty when the blob holds no bytes
    int32_t id = 0;              // resource number inside module (0 for a file)
    ds_string module;            // module holding resource id, e.g. "common_res.dll"
    uint32_t Size() const { return static_cast<uint32_t>(data.size()); }

    // Gives other this blob's name and a copy of its bytes; other's id and
    // module stay as they were.
    void CopyDataTo(ResourceBlob& other) const;
    // A different name drops the bytes (they belonged to the old name); the
    // same name keeps them.
    void SetName(const ds_string& newName);
    void SetData(const uint8_t* bytes, uint32_t size);
    // Replaces the bytes with a copy of resource id of type "DDS" in module,
    // mapped as a resource file only (program folder first, never freed);
    // an empty module name means the program's own resources. Returns false,
    // with the blob unchanged, when the module or the resource is missing or
    // cannot be loaded.
    bool LoadFromModule();
};

// A file's bytes and name (music and sound files, mask pictures).
struct EmbeddedFile {
    ds_string name;
    std::vector<uint8_t> data;
    uint32_t Size() const { return static_cast<uint32_t>(data.size()); }
};

struct IntPair {
    int32_t first = 0;
    int32_t second = 0;
};

class DS_IOF_Virtual {
public:
    virtual ~DS_IOF_Virtual() = default;

    virtual void WriteResourceBlob(const ResourceBlob& value) = 0;
    virtual void WriteEmbeddedFile(const EmbeddedFile& value) = 0;
    virtual void WriteString(const ds_string& value) = 0;
    virtual void WriteInt64(const int64_t& value) = 0;
    virtual void WriteFloat(const float& value) = 0;
    virtual void WriteIntPair(const IntPair& value) = 0;
    virtual void WriteInt(const int32_t& value) = 0;
    virtual void WriteUInt(const uint32_t& value) = 0;
    virtual void WriteChar(const char& value) = 0;
    virtual void WriteBool(const bool& value) = 0;
    virtual void WriteInt32(const int32_t& value) = 0;

    // Each read fills its target. A read that runs past the end of the
    // data leaves the target unchanged and marks the archive failed; from
    // then on Failed() is true and every further read does nothing.
    virtual void ReadResourceBlob(ResourceBlob& value) = 0;
    virtual void ReadEmbeddedFile(EmbeddedFile& value) = 0;
    virtual void ReadString(ds_string& value) = 0;
    virtual void ReadInt64(int64_t& value) = 0;
    virtual void ReadFloat(float& value) = 0;
    virtual void ReadIntPair(IntPair& value) = 0;
    virtual void ReadInt(int32_t& value) = 0;
    virtual void ReadUInt(uint32_t& value) = 0;
    virtual void ReadChar(char& value) = 0;
    virtual void ReadBool(bool& value) = 0;
    virtual void ReadInt32(int32_t& value) = 0;

    // True once a read ran past the end or met a size that cannot be right.
    virtual bool Failed() const = 0;
};

class SceneClassRegistry;

// The handle every write, read and reader-create operation takes: it holds
// the archive in use (not owned by the handle), the class registries that
// records chosen by class name are looked up in, and a failure flag for
// faults the archive itself cannot see (an unknown class name, a record
// that yields no object).
struct DS_IOF_Archive {
    DS_IOF_Virtual* archive = nullptr;
    const SceneClassRegistry* classes = nullptr;
    bool failed = false;

    // True once the archive ran short or a reader gave up; a document whose
    // handle has failed is rejected as a whole.
    bool Failed() const { return failed || archive == nullptr || archive->Failed(); }
    void Fail() { failed = true; }
};
