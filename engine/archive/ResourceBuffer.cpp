#include "engine/archive/ResourceBuffer.h"

#include <cstring>

namespace {

constexpr uint8_t kLongLengthMarker = 0xFF;
constexpr uint16_t kHugeLengthMarker = 0xFFFF;
constexpr size_t kStringMarkerBytes = 3;  // FF FE FF, not checked on reading

// Reads a stored byte count and that many bytes into data; a count of 0
// keeps data as it was.
void ReadSizedBytes(ResourceBuffer& buffer, std::vector<uint8_t>& data)
{
    int32_t size = 0;
    if (!buffer.ReadCount(1, size) || size == 0) return;
    const uint8_t* start = buffer.Cursor();
    if (buffer.Skip(static_cast<size_t>(size))) data.assign(start, start + size);
}

}  // namespace

bool ResourceBuffer::FromModule(HMODULE module, int32_t id, const wchar_t* type, ResourceBuffer& out)
{
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!info) return false;
    const DWORD size = SizeofResource(module, info);
    if (size == 0) return false;
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded) return false;
    const void* bytes = LockResource(loaded);
    if (!bytes) return false;
    out = ResourceBuffer(static_cast<const uint8_t*>(bytes), size);
    return true;
}

bool ResourceBuffer::ReadBytes(void* out, size_t count)
{
    if (count > Remaining()) {
        failed = true;
        return false;
    }
    if (count != 0) std::memcpy(out, cursor, count);
    cursor += count;
    return true;
}

bool ResourceBuffer::Skip(size_t count)
{
    if (count > Remaining()) {
        failed = true;
        return false;
    }
    cursor += count;
    return true;
}

bool ResourceBuffer::ReadCount(int32_t minElementBytes, int32_t& count)
{
    int32_t stored = 0;
    if (!ReadValue(stored)) return false;
    if (stored < 0 || static_cast<uint64_t>(stored) * static_cast<uint64_t>(minElementBytes) > Remaining()) {
        failed = true;
        return false;
    }
    count = stored;
    return true;
}

void ReadArchiveString(ResourceBuffer& buffer, ds_string& target)
{
    uint8_t shortLength = 0;
    if (!buffer.Skip(kStringMarkerBytes) || !buffer.ReadValue(shortLength)) return;
    uint32_t length = shortLength;
    if (shortLength == kLongLengthMarker) {
        uint16_t longLength = 0;
        if (!buffer.ReadValue(longLength)) return;
        length = longLength;
        if (longLength == kHugeLengthMarker && !buffer.ReadValue(length)) return;
    }
    if (length == 0) return;
    if (static_cast<uint64_t>(length) * 2 > buffer.Remaining()) {
        buffer.Fail();
        return;
    }
    const uint8_t* units = buffer.Cursor();
    buffer.Skip(static_cast<size_t>(length) * 2);
    // The text ends at its first zero unit; the rest was consumed above.
    ds_string text;
    for (uint32_t i = 0; i < length; ++i) {
        const wchar_t unit = static_cast<wchar_t>(units[2 * i] | (units[2 * i + 1] << 8));
        if (unit == 0) break;
        text.push_back(unit);
    }
    target = std::move(text);
}

void ReadArchiveBlob(ResourceBuffer& buffer, ResourceBlob& target)
{
    if (!buffer.ReadValue(target.id)) return;
    ReadArchiveString(buffer, target.module);
    ReadSizedBytes(buffer, target.data);
    ReadArchiveString(buffer, target.name);
}

void ReadArchiveFile(ResourceBuffer& buffer, EmbeddedFile& target)
{
    ReadSizedBytes(buffer, target.data);
    ReadArchiveString(buffer, target.name);
}

bool ReadFrameTimeArray(ResourceBuffer& buffer, std::vector<float>& values)
{
    int32_t count = 0;
    if (!buffer.ReadCount(sizeof(float), count)) return false;
    values.resize(static_cast<size_t>(count));
    for (float& value : values) buffer.ReadValue(value);
    return !buffer.Failed();
}

bool ReadBlobArray(ResourceBuffer& buffer, std::vector<ResourceBlob>& values)
{
    int32_t count = 0;
    if (!buffer.ReadCount(kMinStoredBlobBytes, count)) return false;
    values.resize(static_cast<size_t>(count));
    for (ResourceBlob& value : values) {
        if (buffer.Failed()) break;
        ReadArchiveBlob(buffer, value);
    }
    return !buffer.Failed();
}
