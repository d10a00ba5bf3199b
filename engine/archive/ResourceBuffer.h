// The byte source of a reading archive: a cursor over a block of resource
// bytes that knows where the block ends. Every read checks the bytes left,
// so a truncated or corrupt document fails instead of reading past its end.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "engine/archive/IOF_Virtual.h"

class ResourceBuffer {
public:
    // An empty buffer: every read fails.
    ResourceBuffer() = default;
    // Reads bytes [data, data + size); the bytes are not copied and must
    // outlive the buffer.
    ResourceBuffer(const uint8_t* data, size_t size) : cursor(data), end(data ? data + size : data) {}

    // The bytes of resource id of the given type in module (null: the
    // program's own module). False, with out unchanged, when the resource
    // is missing, empty or cannot be loaded or locked.
    static bool FromModule(HMODULE module, int32_t id, const wchar_t* type, ResourceBuffer& out);

    size_t Remaining() const { return failed ? 0 : static_cast<size_t>(end - cursor); }
    bool AtEnd() const { return Remaining() == 0; }
    const uint8_t* Cursor() const { return cursor; }

    // Once a read fails, the buffer stays failed and every later read fails.
    bool Failed() const { return failed; }
    void Fail() { failed = true; }

    // Copies count bytes to out and advances; when fewer are left, fails
    // and leaves out unchanged.
    bool ReadBytes(void* out, size_t count);
    bool Skip(size_t count);

    // A fixed-width little-endian value (the program only runs on
    // little-endian x86, so the stored bytes are the value's bytes).
    template <class T>
    bool ReadValue(T& out)
    {
        static_assert(std::is_trivially_copyable_v<T>, "stored values are plain bytes");
        return ReadBytes(&out, sizeof(T));
    }

    // Reads a stored size or count of elements of at least minElementBytes
    // stored bytes each. Fails on a negative value or one whose elements
    // cannot fit in the bytes left, so callers may size allocations by it.
    bool ReadCount(int32_t minElementBytes, int32_t& count);

private:
    const uint8_t* cursor = nullptr;
    const uint8_t* end = nullptr;
    bool failed = false;
};

// The stored forms of the composite kinds, read straight from a buffer. On a
// short read or an impossible size the buffer fails; a composite target may
// then hold the fields read before the fault, and the caller abandons it.
//
// Archive string: FF FE FF, length in UTF-16 units (1, 3 or 7 bytes), the
// units. A length of 0 leaves target unchanged; text is cut at the first
// zero unit, but all stored units are consumed.
void ReadArchiveString(ResourceBuffer& buffer, ds_string& target);
// blob: int id, string module, int size, bytes, string name. A size of 0
// leaves the data as it was.
void ReadArchiveBlob(ResourceBuffer& buffer, ResourceBlob& target);
// file: int size, bytes, string name.
void ReadArchiveFile(ResourceBuffer& buffer, EmbeddedFile& target);

// Raw arrays of a picture-sequence resource, read without an archive: a
// 4-byte count, then that many floats (frame durations) or blobs. Each
// resizes values to the stored count and fills it; false when the buffer
// failed.
bool ReadFrameTimeArray(ResourceBuffer& buffer, std::vector<float>& values);
bool ReadBlobArray(ResourceBuffer& buffer, std::vector<ResourceBlob>& values);

// Fewest stored bytes of a blob: id, empty module string, size, empty name.
constexpr int32_t kMinStoredBlobBytes = 4 + 4 + 4 + 4;
