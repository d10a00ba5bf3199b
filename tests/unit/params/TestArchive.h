// A minimal in-memory archive for tests of stored forms: writes append
// little-endian bytes to a vector, reads consume them from the front. Strings
// use the document form (FF FE FF, length, UTF-16LE units). Blobs and
// embedded files are not needed here: writing them stores nothing and
// reading them fails.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/archive/IOF_Virtual.h"

class TestArchive : public DS_IOF_Virtual {
public:
    TestArchive() = default;
    explicit TestArchive(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    DS_IOF_Archive Handle() { return DS_IOF_Archive{this}; }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::size_t Remaining() const { return bytes_.size() - cursor_; }

    void WriteResourceBlob(const ResourceBlob&) override {}
    void WriteEmbeddedFile(const EmbeddedFile&) override {}
    void WriteString(const ds_string& value) override
    {
        const uint8_t marker[] = {0xFF, 0xFE, 0xFF};
        Append(marker, sizeof marker);
        const uint32_t length = static_cast<uint32_t>(value.size());
        if (length < 0xFF) {
            Put<uint8_t>(static_cast<uint8_t>(length));
        } else if (length < 0xFFFF) {
            Put<uint8_t>(0xFF);
            Put<uint16_t>(static_cast<uint16_t>(length));
        } else {
            Put<uint8_t>(0xFF);
            Put<uint16_t>(0xFFFF);
            Put<uint32_t>(length);
        }
        for (wchar_t c : value) Put<uint16_t>(static_cast<uint16_t>(c));
    }
    void WriteInt64(const int64_t& value) override { Put(value); }
    void WriteFloat(const float& value) override { Put(value); }
    void WriteIntPair(const IntPair& value) override
    {
        Put(value.first);
        Put(value.second);
    }
    void WriteInt(const int32_t& value) override { Put(value); }
    void WriteUInt(const uint32_t& value) override { Put(value); }
    void WriteChar(const char& value) override { Put(value); }
    void WriteBool(const bool& value) override { Put<uint8_t>(value ? 1 : 0); }
    void WriteInt32(const int32_t& value) override { Put(value); }

    void ReadResourceBlob(ResourceBlob&) override { failed_ = true; }
    void ReadEmbeddedFile(EmbeddedFile&) override { failed_ = true; }
    void ReadString(ds_string& value) override
    {
        uint8_t marker[3];
        if (!Take(marker, sizeof marker)) return;
        uint8_t shortLength = 0;
        if (!Get(shortLength)) return;
        uint32_t length = shortLength;
        if (shortLength == 0xFF) {
            uint16_t mid = 0;
            if (!Get(mid)) return;
            length = mid;
            if (mid == 0xFFFF && !Get(length)) return;
        }
        if (Remaining() / 2 < length) {
            failed_ = true;
            return;
        }
        if (length == 0) return;  // an empty stored string leaves the target as it was
        ds_string text(length, L'\0');
        for (auto& c : text) {
            uint16_t unit = 0;
            Get(unit);
            c = static_cast<wchar_t>(unit);
        }
        value = text;
    }
    void ReadInt64(int64_t& value) override { Get(value); }
    void ReadFloat(float& value) override { Get(value); }
    void ReadIntPair(IntPair& value) override
    {
        IntPair pair;
        if (Get(pair.first) && Get(pair.second)) value = pair;
    }
    void ReadInt(int32_t& value) override { Get(value); }
    void ReadUInt(uint32_t& value) override { Get(value); }
    void ReadChar(char& value) override { Get(value); }
    void ReadBool(bool& value) override
    {
        uint8_t b = 0;
        if (Get(b)) value = b != 0;
    }
    void ReadInt32(int32_t& value) override { Get(value); }

    bool Failed() const override { return failed_; }

private:
    void Append(const void* data, std::size_t size)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    template <typename T>
    void Put(T value)
    {
        Append(&value, sizeof value);  // the test machines are little-endian
    }
    bool Take(void* out, std::size_t size)
    {
        if (failed_ || Remaining() < size) {
            failed_ = true;
            return false;
        }
        std::memcpy(out, bytes_.data() + cursor_, size);
        cursor_ += size;
        return true;
    }
    template <typename T>
    bool Get(T& value)
    {
        T read;
        if (!Take(&read, sizeof read)) return false;
        value = read;
        return true;
    }

    std::vector<uint8_t> bytes_;
    std::size_t cursor_ = 0;
    bool failed_ = false;
};
