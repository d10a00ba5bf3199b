// A writing archive: appends every value kind in exactly the stored form
// that DS_IOF_R<ResourceBuffer> reads. Used by tests and by the build's
// scene composer to write documents through the classes' Write operations.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/archive/IOF_Virtual.h"

class DS_IOF_W final : public DS_IOF_Virtual {
public:
    void WriteResourceBlob(const ResourceBlob& value) override;
    void WriteEmbeddedFile(const EmbeddedFile& value) override;
    // Header form by length: 4 bytes below 255 units, 6 bytes up to 65534,
    // 10 bytes from 65535.
    void WriteString(const ds_string& value) override;
    void WriteInt64(const int64_t& value) override;
    void WriteFloat(const float& value) override;
    void WriteIntPair(const IntPair& value) override;
    void WriteInt(const int32_t& value) override;
    void WriteUInt(const uint32_t& value) override;
    void WriteChar(const char& value) override;
    // Stored as 1 or 0.
    void WriteBool(const bool& value) override;
    void WriteInt32(const int32_t& value) override;

    // A writing archive has nothing to read: every read leaves its target
    // unchanged and marks the archive failed.
    void ReadResourceBlob(ResourceBlob&) override { readAttempted = true; }
    void ReadEmbeddedFile(EmbeddedFile&) override { readAttempted = true; }
    void ReadString(ds_string&) override { readAttempted = true; }
    void ReadInt64(int64_t&) override { readAttempted = true; }
    void ReadFloat(float&) override { readAttempted = true; }
    void ReadIntPair(IntPair&) override { readAttempted = true; }
    void ReadInt(int32_t&) override { readAttempted = true; }
    void ReadUInt(uint32_t&) override { readAttempted = true; }
    void ReadChar(char&) override { readAttempted = true; }
    void ReadBool(bool&) override { readAttempted = true; }
    void ReadInt32(int32_t&) override { readAttempted = true; }

    bool Failed() const override { return readAttempted; }

    const std::vector<uint8_t>& Bytes() const { return bytes; }

    // Appends raw bytes with no header (the units of a string, the bytes
    // of a blob, and the raw arrays of picture-sequence resources).
    void WriteBytes(const void* data, size_t count);

private:
    std::vector<uint8_t> bytes;
    bool readAttempted = false;
};
