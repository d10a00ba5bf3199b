// The composer's sound items: "sound mp3 FILE" or "sound wav FILE" adds an
// item to the slide's second list (played while the slide shows), the
// statements after it change its settings, and composing stores its bytes:
// an MP3 item embeds its file under its stored name, a WAV item's bytes go
// into the resource manager under the item's link.
#pragma once

#include <memory>
#include <string>

#include "sound/SoundCtrl.h"

class DS_DocResManager;

struct SoundDescription {
    std::unique_ptr<DS_Sound_Ctrl> sound;
    std::string file;  // relative to the picture folder
    // The MP3 file's stored name; without one, the file's full path.
    bool named = false;
    std::wstring storedName;
};

// "KIND FILE" of a sound statement: a new item of that kind (mp3 or wav)
// with its defaults. False with a message otherwise.
bool MakeSound(const std::string& rest, SoundDescription& sound, std::string& error);

// Applies "keyword rest" to the sound:
//   volume N, balance N       0..100
//   mode N                    the time line's mode (0 always, 1 cycle)
//   invisible MIN MAX         the cycle's invisible seconds (decimals allowed)
//   name "TEXT"               the MP3 file's stored name, quoted (may be empty)
// False with a message for an unknown keyword or an unreadable value.
bool ApplySoundStatement(SoundDescription& sound, const std::string& keyword, const std::string& rest,
                         std::string& error);

// Reads the sound's file from folder into the item (MP3) or the manager
// (WAV). False with a message when the file cannot be read.
bool StoreSoundResources(SoundDescription& sound, const std::string& folder, DS_DocResManager& manager,
                         std::string& error);
