#include "engine/archive/IOF_R.h"

void DS_IOF_R<ResourceBuffer>::ReadResourceBlob(ResourceBlob& value)
{
    ReadArchiveBlob(*buffer, value);
}

void DS_IOF_R<ResourceBuffer>::ReadEmbeddedFile(EmbeddedFile& value)
{
    ReadArchiveFile(*buffer, value);
}

void DS_IOF_R<ResourceBuffer>::ReadString(ds_string& value)
{
    ReadArchiveString(*buffer, value);
}

void DS_IOF_R<ResourceBuffer>::ReadInt64(int64_t& value)
{
    buffer->ReadValue(value);
}

void DS_IOF_R<ResourceBuffer>::ReadFloat(float& value)
{
    buffer->ReadValue(value);
}

void DS_IOF_R<ResourceBuffer>::ReadIntPair(IntPair& value)
{
    // Both halves or neither: a pair cut by the end of the data stays as it was.
    int32_t halves[2] = {};
    if (!buffer->ReadValue(halves)) return;
    value.first = halves[0];
    value.second = halves[1];
}

void DS_IOF_R<ResourceBuffer>::ReadInt(int32_t& value)
{
    buffer->ReadValue(value);
}

void DS_IOF_R<ResourceBuffer>::ReadUInt(uint32_t& value)
{
    buffer->ReadValue(value);
}

void DS_IOF_R<ResourceBuffer>::ReadChar(char& value)
{
    buffer->ReadValue(value);
}

void DS_IOF_R<ResourceBuffer>::ReadBool(bool& value)
{
    uint8_t stored = 0;
    if (buffer->ReadValue(stored)) value = stored != 0;
}

void DS_IOF_R<ResourceBuffer>::ReadInt32(int32_t& value)
{
    buffer->ReadValue(value);
}
