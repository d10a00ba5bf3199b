// An in-memory archive for record tests: values are appended as raw
// little-endian bytes (strings as a count and UTF-16 units) and read back in
// order. A read past the end fails the archive, as the real reader does.
// Blobs and embedded files are not needed by these tests and fail.
#pragma once

#include <cstring>

#include "engine/archive/IOF_Virtual.h"

class MemoryArchive : public DS_IOF_Virtual {
public:
    std::vector<uint8_t> bytes;
    size_t cursor = 0;
    bool failed = false;

    DS_IOF_Archive Handle() { return DS_IOF_Archive{this}; }
    // Drops the last n bytes, as a truncated document would.
    void Truncate(size_t n) { bytes.resize(bytes.size() > n ? bytes.size() - n : 0); }

    void WriteResourceBlob(const ResourceBlob&) override { failed = true; }
    void WriteEmbeddedFile(const EmbeddedFile&) override { failed = true; }
    void WriteString(const ds_string& v) override
    {
        WriteInt(static_cast<int32_t>(v.size()));
        for (wchar_t c : v) Put(static_cast<uint16_t>(c));
    }
    void WriteInt64(const int64_t& v) override { Put(v); }
    void WriteFloat(const float& v) override { Put(v); }
    void WriteIntPair(const IntPair& v) override
    {
        Put(v.first);
        Put(v.second);
    }
    void WriteInt(const int32_t& v) override { Put(v); }
    void WriteUInt(const uint32_t& v) override { Put(v); }
    void WriteChar(const char& v) override { Put(v); }
    void WriteBool(const bool& v) override { Put(static_cast<uint8_t>(v ? 1 : 0)); }
    void WriteInt32(const int32_t& v) override { Put(v); }

    void ReadResourceBlob(ResourceBlob&) override { failed = true; }
    void ReadEmbeddedFile(EmbeddedFile&) override { failed = true; }
    void ReadString(ds_string& v) override
    {
        int32_t n = 0;
        ReadInt(n);
        if (failed || n < 0 || static_cast<size_t>(n) * 2 > bytes.size() - cursor) {
            failed = true;
            return;
        }
        ds_string s;
        for (int32_t i = 0; i < n; ++i) {
            uint16_t c = 0;
            Get(c);
            s.push_back(static_cast<wchar_t>(c));
        }
        v = s;
    }
    void ReadInt64(int64_t& v) override { Get(v); }
    void ReadFloat(float& v) override { Get(v); }
    void ReadIntPair(IntPair& v) override
    {
        Get(v.first);
        Get(v.second);
    }
    void ReadInt(int32_t& v) override { Get(v); }
    void ReadUInt(uint32_t& v) override { Get(v); }
    void ReadChar(char& v) override { Get(v); }
    void ReadBool(bool& v) override
    {
        uint8_t b = 0;
        Get(b);
        if (!failed) v = b != 0;
    }
    void ReadInt32(int32_t& v) override { Get(v); }
    bool Failed() const override { return failed; }

private:
    template <class T>
    void Put(const T& v)
    {
        const auto* p = reinterpret_cast<const uint8_t*>(&v);
        bytes.insert(bytes.end(), p, p + sizeof(T));
    }
    template <class T>
    void Get(T& v)
    {
        if (failed || bytes.size() - cursor < sizeof(T)) {
            failed = true;
            return;
        }
        std::memcpy(&v, bytes.data() + cursor, sizeof(T));
        cursor += sizeof(T);
    }
};
