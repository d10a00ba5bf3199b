// A music file of the slideshow: the host plays the audio files of the
// root, in document order, as the background-music playlist. The file's
// bytes may be embedded in the document; before playing, an embedded file
// whose path does not exist is copied into the temporary folder.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/archive/IOF_Item.h"

class DS_AudioFile : public DS_IOF_Item {
public:
    static constexpr wchar_t kClassName[] = L"DS_AudioFile";
    static constexpr int32_t kVersion = 1;

    // The "DS_AudioFile" record: header, path, embedded file.
    void Write(DS_IOF_Archive* ar) override;
    void WriteBody(DS_IOF_Archive* ar) const;
    // Reads a whole record (header name and version are not looked at).
    // Null when the data runs short.
    static std::unique_ptr<DS_AudioFile> ReadRecord(DS_IOF_Archive* ar);

    // Makes the file playable from its name. Nothing happens without
    // embedded bytes. When a file exists at the name, the bytes are dropped
    // and it plays from there. Otherwise the bytes are written into the
    // temporary folder under the name's own file name, which becomes the
    // name. False when no copy could be made (a name without a usable file
    // name, or a failed write): the entry then names no playable file and
    // the playlist leaves it out.
    bool ExtractToTemp();
    // The same with folder (ending in a path separator) instead of the
    // temporary folder.
    bool ExtractTo(const ds_string& folder);

    // Stored and not used by the player.
    ds_string path;
    // Name: the full path of the music file, what the playlist plays.
    EmbeddedFile file;
};

// The last component of name, split on both '\' and '/'. Empty when that
// component is empty, "." or "..", or holds a ':' (a drive or a stream
// name): such a name cannot be put safely into another folder.
ds_string SafeFileNamePart(const ds_string& name);
