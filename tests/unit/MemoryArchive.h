// An in-memory archive for record tests: writes append to `bytes`, reads
// consume them from `cursor`, both in exactly the stored form of a document
// (the program's own writer and reader do the work), so a test can compare
// the bytes with a document's, patch or cut them, and read them back. A read
// that runs short or meets an impossible size fails the archive, as reading
// a document does; from then on every read does nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/archive/IOF_R.h"
#include "engine/archive/IOF_W.h"
#include "engine/archive/IOF_Virtual.h"

class MemoryArchive : public DS_IOF_Virtual {
public:
    std::vector<uint8_t> bytes;
    size_t cursor = 0;
    bool failed = false;

    MemoryArchive() = default;
    // An archive to read the given bytes from the start.
    explicit MemoryArchive(std::vector<uint8_t> stored) : bytes(std::move(stored)) {}

    DS_IOF_Archive Handle() { return DS_IOF_Archive{this}; }
    // Drops the last n bytes, as a truncated document would.
    void Truncate(size_t n) { bytes.resize(bytes.size() > n ? bytes.size() - n : 0); }
    // Bytes not read yet (0 once the archive failed).
    size_t Remaining() const { return failed || cursor > bytes.size() ? 0 : bytes.size() - cursor; }

    void WriteResourceBlob(const ResourceBlob& v) override { Write(&DS_IOF_W::WriteResourceBlob, v); }
    void WriteEmbeddedFile(const EmbeddedFile& v) override { Write(&DS_IOF_W::WriteEmbeddedFile, v); }
    void WriteString(const ds_string& v) override { Write(&DS_IOF_W::WriteString, v); }
    void WriteInt64(const int64_t& v) override { Write(&DS_IOF_W::WriteInt64, v); }
    void WriteFloat(const float& v) override { Write(&DS_IOF_W::WriteFloat, v); }
    void WriteIntPair(const IntPair& v) override { Write(&DS_IOF_W::WriteIntPair, v); }
    void WriteInt(const int32_t& v) override { Write(&DS_IOF_W::WriteInt, v); }
    void WriteUInt(const uint32_t& v) override { Write(&DS_IOF_W::WriteUInt, v); }
    void WriteChar(const char& v) override { Write(&DS_IOF_W::WriteChar, v); }
    void WriteBool(const bool& v) override { Write(&DS_IOF_W::WriteBool, v); }
    void WriteInt32(const int32_t& v) override { Write(&DS_IOF_W::WriteInt32, v); }

    void ReadResourceBlob(ResourceBlob& v) override { Read(&Reader::ReadResourceBlob, v); }
    void ReadEmbeddedFile(EmbeddedFile& v) override { Read(&Reader::ReadEmbeddedFile, v); }
    void ReadString(ds_string& v) override { Read(&Reader::ReadString, v); }
    void ReadInt64(int64_t& v) override { Read(&Reader::ReadInt64, v); }
    void ReadFloat(float& v) override { Read(&Reader::ReadFloat, v); }
    void ReadIntPair(IntPair& v) override { Read(&Reader::ReadIntPair, v); }
    void ReadInt(int32_t& v) override { Read(&Reader::ReadInt, v); }
    void ReadUInt(uint32_t& v) override { Read(&Reader::ReadUInt, v); }
    void ReadChar(char& v) override { Read(&Reader::ReadChar, v); }
    void ReadBool(bool& v) override { Read(&Reader::ReadBool, v); }
    void ReadInt32(int32_t& v) override { Read(&Reader::ReadInt32, v); }
    bool Failed() const override { return failed; }

private:
    using Reader = DS_IOF_R<ResourceBuffer>;

    template <class T>
    void Write(void (DS_IOF_W::*write)(const T&), const T& v)
    {
        DS_IOF_W writer;
        (writer.*write)(v);
        bytes.insert(bytes.end(), writer.Bytes().begin(), writer.Bytes().end());
    }

    // A fresh reader over the bytes from the cursor on: tests may append,
    // patch or cut `bytes` between reads.
    template <class T>
    void Read(void (Reader::*read)(T&), T& v)
    {
        if (failed || cursor > bytes.size()) {
            failed = true;
            return;
        }
        ResourceBuffer buffer(bytes.data() + cursor, bytes.size() - cursor);
        Reader reader(&buffer);
        (reader.*read)(v);
        if (buffer.Failed()) {
            failed = true;
            return;
        }
        cursor = bytes.size() - buffer.Remaining();
    }
};
