#include "engine/archive/ArchiveValues.h"

#include <objbase.h>

#include <cwchar>

namespace {

// Positions of the hyphens in the registry form.
constexpr size_t kHyphenAt[] = {9, 14, 19, 24};

int HexDigitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

// Reads digitCount hex digits at text[pos]; false on a non-digit.
bool ParseHex(const ds_string& text, size_t pos, size_t digitCount, uint64_t& value)
{
    value = 0;
    for (size_t i = 0; i < digitCount; ++i) {
        const int digit = HexDigitValue(text[pos + i]);
        if (digit < 0) return false;
        value = (value << 4) | static_cast<uint64_t>(digit);
    }
    return true;
}

}  // namespace

bool ReadListCount(DS_IOF_Archive* ar, int32_t& count)
{
    count = 0;
    ar->archive->ReadInt(count);
    if (ar->Failed()) return false;
    if (count < 0) {
        ar->Fail();
        return false;
    }
    return true;
}

ds_string FormatGuidString(const GUID& guid)
{
    wchar_t text[kGuidStringLength + 1] = {};
    swprintf(text, kGuidStringLength + 1, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
             static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
             guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

bool ParseGuidString(const ds_string& text, GUID& guid)
{
    guid = GUID{};
    if (text.size() != kGuidStringLength || text.front() != L'{' || text.back() != L'}') return false;
    for (size_t at : kHyphenAt) {
        if (text[at] != L'-') return false;
    }
    GUID parsed = {};
    uint64_t value = 0;
    if (!ParseHex(text, 1, 8, value)) return false;
    parsed.Data1 = static_cast<unsigned long>(value);
    if (!ParseHex(text, 10, 4, value)) return false;
    parsed.Data2 = static_cast<unsigned short>(value);
    if (!ParseHex(text, 15, 4, value)) return false;
    parsed.Data3 = static_cast<unsigned short>(value);
    // Data4: two bytes before the last hyphen, six after it.
    constexpr size_t kData4At[] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (size_t i = 0; i < 8; ++i) {
        if (!ParseHex(text, kData4At[i], 2, value)) return false;
        parsed.Data4[i] = static_cast<unsigned char>(value);
    }
    guid = parsed;
    return true;
}

void WriteGuid(const GUID& guid, DS_IOF_Archive* ar)
{
    ar->archive->WriteString(FormatGuidString(guid));
}

void ReadGuid(GUID& guid, DS_IOF_Archive* ar)
{
    ds_string text;
    ar->archive->ReadString(text);
    if (ar->Failed()) return;
    ParseGuidString(text, guid);
}

void WriteBlobList(DS_IOF_Archive* ar, const std::vector<ResourceBlob>& values)
{
    ar->archive->WriteInt(static_cast<int32_t>(values.size()));
    for (const ResourceBlob& value : values) ar->archive->WriteResourceBlob(value);
}

void ReadBlobList(DS_IOF_Archive* ar, std::vector<ResourceBlob>& values)
{
    int32_t count = 0;
    if (!ReadListCount(ar, count)) return;
    for (int32_t i = 0; i < count; ++i) {
        ResourceBlob value;
        ar->archive->ReadResourceBlob(value);
        if (ar->Failed()) return;
        values.push_back(std::move(value));
    }
}

void WriteFloatList(DS_IOF_Archive* ar, const std::vector<float>& values)
{
    ar->archive->WriteInt(static_cast<int32_t>(values.size()));
    for (const float value : values) ar->archive->WriteFloat(value);
}

void ReadFloatList(DS_IOF_Archive* ar, std::vector<float>& values)
{
    int32_t count = 0;
    if (!ReadListCount(ar, count)) return;
    for (int32_t i = 0; i < count; ++i) {
        float value = 0.0f;
        ar->archive->ReadFloat(value);
        if (ar->Failed()) return;
        values.push_back(value);
    }
}

ds_string FileNameOf(const ds_string& path)
{
    const size_t slash = path.rfind(L'\\');
    if (slash == ds_string::npos) return ds_string();
    return path.substr(slash + 1);
}

GUID FreshGuid()
{
    GUID guid = {};
    if (FAILED(CoCreateGuid(&guid))) guid = GUID{};
    return guid;
}
