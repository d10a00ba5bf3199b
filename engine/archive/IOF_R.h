// The reading archive: reads the eleven value kinds from a ResourceBuffer.
// Its write operations do nothing (the program never writes a document).
#pragma once

#include "engine/archive/IOF_Virtual.h"
#include "engine/archive/ResourceBuffer.h"

template <class Source>
class DS_IOF_R;

template <>
class DS_IOF_R<ResourceBuffer> final : public DS_IOF_Virtual {
public:
    // The buffer is not owned and must outlive the archive.
    explicit DS_IOF_R(ResourceBuffer* buffer) : buffer(buffer) {}

    void WriteResourceBlob(const ResourceBlob&) override {}
    void WriteEmbeddedFile(const EmbeddedFile&) override {}
    void WriteString(const ds_string&) override {}
    void WriteInt64(const int64_t&) override {}
    void WriteFloat(const float&) override {}
    void WriteIntPair(const IntPair&) override {}
    void WriteInt(const int32_t&) override {}
    void WriteUInt(const uint32_t&) override {}
    void WriteChar(const char&) override {}
    void WriteBool(const bool&) override {}
    void WriteInt32(const int32_t&) override {}

    void ReadResourceBlob(ResourceBlob& value) override;
    void ReadEmbeddedFile(EmbeddedFile& value) override;
    void ReadString(ds_string& value) override;
    void ReadInt64(int64_t& value) override;
    void ReadFloat(float& value) override;
    void ReadIntPair(IntPair& value) override;
    void ReadInt(int32_t& value) override;
    void ReadUInt(uint32_t& value) override;
    void ReadChar(char& value) override;
    // Any non-zero byte reads as true.
    void ReadBool(bool& value) override;
    void ReadInt32(int32_t& value) override;

    bool Failed() const override { return buffer->Failed(); }

private:
    ResourceBuffer* buffer;
};
