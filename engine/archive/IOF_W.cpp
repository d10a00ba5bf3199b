#include "engine/archive/IOF_W.h"

namespace {

constexpr uint8_t kStringMarker[] = {0xFF, 0xFE, 0xFF};
constexpr uint32_t kLongLengthFrom = 0xFF;    // lengths from here take FF + 2 bytes
constexpr uint32_t kHugeLengthFrom = 0xFFFF;  // lengths from here take FF FFFF + 4 bytes

}  // namespace

void DS_IOF_W::WriteBytes(const void* data, size_t count)
{
    const uint8_t* first = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), first, first + count);
}

void DS_IOF_W::WriteResourceBlob(const ResourceBlob& value)
{
    WriteInt(value.id);
    WriteString(value.module);
    const int32_t size = static_cast<int32_t>(value.Size());
    WriteInt(size);
    WriteBytes(value.data.data(), value.data.size());
    WriteString(value.name);
}

void DS_IOF_W::WriteEmbeddedFile(const EmbeddedFile& value)
{
    const int32_t size = static_cast<int32_t>(value.Size());
    WriteInt(size);
    WriteBytes(value.data.data(), value.data.size());
    WriteString(value.name);
}

void DS_IOF_W::WriteString(const ds_string& value)
{
    WriteBytes(kStringMarker, sizeof(kStringMarker));
    const uint32_t length = static_cast<uint32_t>(value.size());
    if (length < kLongLengthFrom) {
        WriteChar(static_cast<char>(length));
    } else {
        WriteChar(static_cast<char>(0xFF));
        if (length < kHugeLengthFrom) {
            const uint16_t longLength = static_cast<uint16_t>(length);
            WriteBytes(&longLength, sizeof(longLength));
        } else {
            const uint16_t marker = 0xFFFF;
            WriteBytes(&marker, sizeof(marker));
            WriteUInt(length);
        }
    }
    for (const wchar_t unit : value) {
        const uint16_t stored = static_cast<uint16_t>(unit);
        WriteBytes(&stored, sizeof(stored));
    }
}

void DS_IOF_W::WriteInt64(const int64_t& value)
{
    WriteBytes(&value, sizeof(value));
}

void DS_IOF_W::WriteFloat(const float& value)
{
    WriteBytes(&value, sizeof(value));
}

void DS_IOF_W::WriteIntPair(const IntPair& value)
{
    WriteInt(value.first);
    WriteInt(value.second);
}

void DS_IOF_W::WriteInt(const int32_t& value)
{
    WriteBytes(&value, sizeof(value));
}

void DS_IOF_W::WriteUInt(const uint32_t& value)
{
    WriteBytes(&value, sizeof(value));
}

void DS_IOF_W::WriteChar(const char& value)
{
    WriteBytes(&value, sizeof(value));
}

void DS_IOF_W::WriteBool(const bool& value)
{
    const uint8_t stored = value ? 1 : 0;
    WriteBytes(&stored, sizeof(stored));
}

void DS_IOF_W::WriteInt32(const int32_t& value)
{
    WriteBytes(&value, sizeof(value));
}
