#include "tools/composer/SceneSounds.h"

#include <cmath>
#include <sstream>

#include "engine/resources/DocResManager.h"
#include "engine/scene/TimeLineControl.h"
#include "sound/MP3Constructor.h"
#include "sound/WAVConstructor.h"
#include "tools/composer/ComposerFiles.h"
#include "tools/composer/SceneBrushes.h"

namespace {

bool ReadLevel(const std::string& text, unsigned& value)
{
    std::istringstream in(text);
    long long number = -1;
    std::string extra;
    if (!(in >> number) || (in >> extra) || number < 0 || number > 100) return false;
    value = static_cast<unsigned>(number);
    return true;
}

}  // namespace

bool MakeSound(const std::string& rest, SoundDescription& sound, std::string& error)
{
    std::istringstream in(rest);
    std::string kind;
    std::string file;
    std::string extra;
    if (!(in >> kind >> file) || (in >> extra)) {
        error = "sound wants a kind (mp3, wav) and a file";
        return false;
    }
    if (kind == "mp3") {
        sound.sound = std::make_unique<DS_MP3_Constructor>();
    } else if (kind == "wav") {
        sound.sound = std::make_unique<DS_WAV_Constructor>();
    } else {
        error = "unknown sound kind '" + kind + "'";
        return false;
    }
    sound.file = file;
    return true;
}

bool ApplySoundStatement(SoundDescription& sound, const std::string& keyword, const std::string& rest,
                         std::string& error)
{
    const auto fail = [&](const std::string& what) {
        error = what;
        return false;
    };
    unsigned level = 0;
    if (keyword == "volume" || keyword == "balance") {
        if (!ReadLevel(rest, level)) return fail(keyword + " is 0 to 100");
        (keyword == "volume" ? sound.sound->volume : sound.sound->balance).SetValue(level);
    } else if (keyword == "mode") {
        std::istringstream in(rest);
        int mode = -1;
        std::string extra;
        if (!(in >> mode) || (in >> extra) || mode < 0 || mode > 2) return fail("mode is 0, 1 or 2");
        sound.sound->TimeLine().mode = mode;
    } else if (keyword == "invisible") {
        std::istringstream in(rest);
        double low = -1.0;
        double high = -1.0;
        std::string extra;
        if (!(in >> low >> high) || (in >> extra) || low < 0.0 || high < low || high > 1.0e6) {
            return fail("invisible wants two seconds, the first not above the second");
        }
        DS_TimeLineControl& timeLine = sound.sound->TimeLine();
        timeLine.invisible.minimum.SetValue(static_cast<unsigned>(std::lround(low * 100.0)));
        timeLine.invisible.maximum.SetValue(static_cast<unsigned>(std::lround(high * 100.0)));
    } else if (keyword == "name") {
        if (!dynamic_cast<DS_MP3_Constructor*>(sound.sound.get())) return fail("only an mp3 sound has a stored name");
        if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') return fail("name wants a quoted text");
        sound.named = true;
        sound.storedName = Widen(rest.substr(1, rest.size() - 2));
    } else {
        return fail("unknown sound setting '" + keyword + "'");
    }
    return true;
}

bool StoreSoundResources(SoundDescription& sound, const std::string& folder, DS_DocResManager& manager,
                         std::string& error)
{
    const std::string path = InFolder(folder, sound.file);
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes) || bytes.empty()) {
        error = "cannot read sound " + path;
        return false;
    }
    if (auto* mp3 = dynamic_cast<DS_MP3_Constructor*>(sound.sound.get())) {
        mp3->file.name = sound.named ? sound.storedName : FullPath(path);
        mp3->file.data = std::move(bytes);
        return true;
    }
    auto* wav = dynamic_cast<DS_WAV_Constructor*>(sound.sound.get());
    if (!wav) {
        error = "unknown sound item";
        return false;
    }
    ResourceBlob blob;
    blob.name = FullPath(path);
    blob.data = std::move(bytes);
    wav->link = DS_FileLink3(blob.name);
    CacheLinkedBytes(manager, wav->link.GetValue(), blob);
    return true;
}
