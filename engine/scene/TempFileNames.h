// Files the process writes into the temporary folder: the copies of
// embedded music and the files of MP3 sound items. Names come from the
// document, which is untrusted: a written file always lands inside the
// folder, under a name no other file of the process holds, so that no copy
// overwrites another's bytes or a file elsewhere. Names are made the same
// way in every run ("x.mp3", then "x (2).mp3", ...), so repeated runs reuse
// them instead of filling the folder.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "engine/archive/IOF_Virtual.h"

// A usable file name from a stored name: the part after the last '\', '/'
// or ':' (so no folder, drive or stream survives), characters that file
// names cannot hold replaced by '_', trailing dots and blanks dropped (the
// file system would drop them, merging names), and a device name (CON, NUL,
// COM1 ...) prefixed with '_'. "." , ".." and what is left empty give
// fallback.
ds_string TempFileNamePart(const ds_string& storedName, const ds_string& fallback);

class TempFileNames {
public:
    // Who holds a written file: an item's file is its own; the music copies
    // of one stored name are the same bytes, so a music copy may be written
    // again over an earlier music copy of that name.
    enum class Holder { kItem, kMusic };

    // Writes bytes into folder (ending in a separator) under
    // TempFileNamePart(storedName, fallback) or, when that name is held by
    // another file of the process or cannot be written, "stem (2).ext",
    // "stem (3).ext" ...; a name too long for MAX_PATH is shortened keeping
    // its extension. Returns the full path written and holds it, or empty
    // when nothing could be written.
    ds_string Write(const ds_string& folder, const ds_string& storedName, const ds_string& fallback,
                    const std::vector<uint8_t>& bytes, Holder holder);
    // The same with CopyFileW of source instead of bytes.
    ds_string Copy(const ds_string& folder, const ds_string& storedName, const ds_string& fallback,
                   const ds_string& source, Holder holder);
    // Deletes a file this record holds and lets its name go; a path it
    // does not hold (written by someone else) is left alone.
    void Delete(const ds_string& path);
    bool Holds(const ds_string& path) const;

private:
    struct NoCaseLess {
        bool operator()(const ds_string& a, const ds_string& b) const;
    };
    template <class Make>
    ds_string Place(const ds_string& folder, const ds_string& storedName, const ds_string& fallback, Holder holder,
                    Make make);

    std::map<ds_string, Holder, NoCaseLess> held_;
};

// The temporary folder, ending in a separator; empty when it cannot be had.
ds_string TempFolder();

// The process-wide record of written temporary files. Every render unit's
// scene and the music copy into the one temporary folder, so the names in
// use are known only to the process as a whole.
TempFileNames& ProcessTempFiles();
