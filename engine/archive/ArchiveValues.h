// Values stored through the archive interface in more than one operation:
// GUID strings and counted lists, plus the file-name helper of blob paths.
#pragma once

#include <windows.h>

#include <vector>

#include "engine/archive/IOF_Virtual.h"

// Length of a GUID in its registry form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
constexpr size_t kGuidStringLength = 38;

// The registry form with upper-case digits.
ds_string FormatGuidString(const GUID& guid);
// Parses exactly the registry form (hex digits of either case). Anything
// else, including the empty string, gives false and the null GUID.
bool ParseGuidString(const ds_string& text, GUID& guid);

// A new GUID for an object's own resource key; the null GUID when none can
// be made (the key then names no stored resource).
GUID FreshGuid();

// A GUID as a string in the registry form. Reading a malformed string gives
// the null GUID; a short read leaves guid unchanged and fails the archive.
void WriteGuid(const GUID& guid, DS_IOF_Archive* ar);
void ReadGuid(GUID& guid, DS_IOF_Archive* ar);

// The int count of a counted list or map: false (and the archive failed)
// when the read ran short or the count is negative. Callers read the entries
// one by one and stop at the first that runs short, never allocating from
// the count.
bool ReadListCount(DS_IOF_Archive* ar, int32_t& count);

// Counted lists: an int count, then that many values. Readers append to the
// vector; a negative count fails the archive, and a count larger than the
// data holds fails at the first value that runs short (nothing is
// allocated from the count itself).
void WriteBlobList(DS_IOF_Archive* ar, const std::vector<ResourceBlob>& values);
void ReadBlobList(DS_IOF_Archive* ar, std::vector<ResourceBlob>& values);
void WriteFloatList(DS_IOF_Archive* ar, const std::vector<float>& values);
void ReadFloatList(DS_IOF_Archive* ar, std::vector<float>& values);

// The text after the last backslash; empty when path has none.
ds_string FileNameOf(const ds_string& path);
