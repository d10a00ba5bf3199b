#include "tools/composer/SceneSprites.h"

#include <cmath>
#include <cstdint>
#include <sstream>

#include "engine/resources/DocResManager.h"
#include "tools/composer/ComposerFiles.h"
#include "tools/composer/EffectSprites.h"
#include "tools/composer/GlowSprites.h"
#include "tools/composer/MovingSprites.h"
#include "tools/composer/StillSprites.h"

namespace {

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// One switch value, 0 or 1.
bool ReadSwitch(const std::vector<std::string>& args, int& value)
{
    std::vector<long long> values;
    if (!ReadWholeArgs(args, 1, 0, 1, values)) return false;
    value = static_cast<int>(values[0]);
    return true;
}

bool ReadUnsigned(const std::vector<std::string>& args, long long high, unsigned& value)
{
    std::vector<long long> values;
    if (!ReadWholeArgs(args, 1, 0, high, values)) return false;
    value = static_cast<unsigned>(values[0]);
    return true;
}

bool ReadPicture(const std::string& folder, const std::string& name, ResourceBlob& blob, std::string& error)
{
    const std::string file = InFolder(folder, name);
    if (!ReadWholeFile(file, blob.data) || blob.data.empty())
        return RefuseSetting(error, "cannot read sprite picture " + file);
    blob.name = FullPath(file);
    return true;
}

}  // namespace

bool RefuseSetting(std::string& error, const std::string& what)
{
    error = what;
    return false;
}

const SpriteKind* SpriteKindTable::Find(const std::string& name) const
{
    const auto found = kinds_.find(name);
    return found == kinds_.end() ? nullptr : &found->second;
}

const SpriteKindTable& SpriteKinds()
{
    static const SpriteKindTable table = [] {
        SpriteKindTable kinds;
        // One line per kind file.
        AddMovingSpriteKinds(kinds);
        AddGlowSpriteKinds(kinds);
        AddStillSpriteKinds(kinds);
        AddEffectSpriteKinds(kinds);
        return kinds;
    }();
    return table;
}

bool ReadFloatArgs(const std::vector<std::string>& args, size_t count, std::vector<float>& values)
{
    if (args.size() != count) return false;
    values.clear();
    for (const std::string& arg : args) {
        std::istringstream in(arg);
        float value = 0.0f;
        std::string extra;
        if (!(in >> value) || (in >> extra) || !std::isfinite(value)) return false;
        values.push_back(value);
    }
    return true;
}

bool ReadWholeArgs(const std::vector<std::string>& args, size_t count, long long low, long long high,
                   std::vector<long long>& values)
{
    if (args.size() != count) return false;
    values.clear();
    for (const std::string& arg : args) {
        std::istringstream in(arg);
        long long value = 0;
        std::string extra;
        if (!(in >> value) || (in >> extra) || value < low || value > high) return false;
        values.push_back(value);
    }
    return true;
}

bool ApplyViewSetting(DS_ViewObjCtrl& item, const std::string& key, const std::vector<std::string>& args,
                      std::string& error)
{
    error.clear();
    if (key == "area") {
        std::vector<float> edges;
        if (!ReadFloatArgs(args, 4, edges) || edges[0] < 0.0f || edges[2] > 1.0f || edges[1] < 0.0f ||
            edges[3] > 1.0f || !(edges[0] < edges[2]) || !(edges[1] < edges[3])) {
            return RefuseSetting(error, "area wants LEFT TOP RIGHT BOTTOM, fractions of the picture from 0 to 1");
        }
        item.normLeft = edges[0];
        item.normTop = edges[1];
        item.normRight = edges[2];
        item.normBottom = edges[3];
        item.UpdatePixelRect();
        return true;
    }
    if (key == "speed") {
        unsigned value = 0;
        if (!ReadUnsigned(args, UINT32_MAX, value)) return RefuseSetting(error, "speed wants a whole number");
        item.speed.SetValue(value);
        return true;
    }
    return false;
}

bool ApplySpriteSetting(DS_BaseSpriteProp& item, const std::string& key, const std::vector<std::string>& args,
                        std::string& error)
{
    error.clear();
    const auto bad = [&](const std::string& wants) { return RefuseSetting(error, key + " wants " + wants); };
    unsigned whole = 0;
    int flag = 0;
    std::vector<float> floats;
    if (key == "count") {
        if (!ReadUnsigned(args, DS_BaseSpriteProp::kMaxSprites, whole)) return bad("0 to 16383 sprites");
        item.count.SetValue(whole);
    } else if (key == "size") {
        if (!ReadUnsigned(args, UINT32_MAX, whole)) return bad("a whole number of pixels");
        item.size.SetValue(whole);
    } else if (key == "transparency") {
        if (!ReadUnsigned(args, 100, whole)) return bad("0 to 100");
        item.transparency.SetValue(whole);
    } else if (key == "blend") {
        if (!ReadSwitch(args, flag)) return bad("0 or 1");
        item.blendMode.SetValue(flag);
    } else if (key == "color") {
        std::istringstream in(args.size() == 1 ? args[0] : std::string());
        unsigned long color = 0;
        std::string extra;
        if (args.size() != 1 || !(in >> std::hex >> color) || (in >> extra) || color > 0xFFFFFFul) {
            return bad("BBGGRR in hex");
        }
        item.color.SetValue(color);
    } else if (key == "pulse") {
        if (!ReadFloatArgs(args, 1, floats)) return bad("a number");
        item.pulseSpeed = floats[0];
    } else if (key == "alpha" || key == "scale") {
        if (!ReadFloatArgs(args, 2, floats) || floats[0] > floats[1]) return bad("MIN MAX");
        (key == "alpha" ? item.minAlpha : item.minScale) = floats[0];
        (key == "alpha" ? item.maxAlpha : item.maxScale) = floats[1];
    } else if (key == "frames") {
        std::vector<long long> counts;
        if (args.size() != 2 || !ReadWholeArgs({args[0]}, 1, 1, UINT32_MAX, counts) ||
            !ReadFloatArgs({args[1]}, 1, floats) || floats[0] < 0.0f) {
            return bad("COUNT (1 or more) RATE (frames per second)");
        }
        item.frameCount = static_cast<unsigned>(counts[0]);
        item.frameRate = floats[0];
    } else if (key == "sheet") {
        if (!ReadSwitch(args, flag)) return bad("0 or 1");
        item.sheet = flag != 0;
    } else if (key == "mirror-h" || key == "mirror-v" || key == "static") {
        if (!ReadSwitch(args, flag)) return bad("0 or 1");
        (key == "mirror-h"   ? item.mirrorHorizontally
         : key == "mirror-v" ? item.mirrorVertically
                             : item.isStatic)
            .SetValue(flag);
    } else if (key == "animation-speed") {
        if (!ReadUnsigned(args, UINT32_MAX, whole)) return bad("a whole number");
        item.animationSpeed.SetValue(whole);
    } else {
        return false;
    }
    return true;
}

bool MakeSprite(const std::string& kind, SpriteDescription& sprite, std::string& error)
{
    const SpriteKind* found = SpriteKinds().Find(kind);
    if (!found) return RefuseSetting(error, "unknown sprite kind '" + kind + "'");
    sprite.sprite = found->make();
    sprite.kind = kind;
    return true;
}

bool ApplySpriteStatement(SpriteDescription& sprite, const std::string& keyword, const std::string& rest,
                          std::string& error)
{
    std::vector<std::string> args = Words(rest);
    if (keyword == "image") {
        // image FILE, or image SECONDS FILE FILE... for a frame sequence.
        sprite.frameSeconds = 0.0f;
        if (args.size() > 1) {
            std::vector<float> seconds;
            if (!ReadFloatArgs({args.front()}, 1, seconds) || !(seconds[0] > 0.0f)) {
                return RefuseSetting(error, "image wants FILE, or SECONDS FILE... for a sequence");
            }
            sprite.frameSeconds = seconds[0];
            args.erase(args.begin());
        }
        if (args.empty()) return RefuseSetting(error, "image needs a file");
        sprite.pictures = args;
        return true;
    }
    if (keyword == "second-image") {
        if (args.size() != 1) return RefuseSetting(error, "second-image needs one file");
        sprite.secondPicture = args[0];
        return true;
    }
    if (ApplyViewSetting(*sprite.sprite, keyword, args, error)) return true;
    if (!error.empty()) return false;
    if (ApplySpriteSetting(*sprite.sprite, keyword, args, error)) return true;
    if (!error.empty()) return false;
    const SpriteKind* kind = SpriteKinds().Find(sprite.kind);
    if (kind && kind->settings) {
        if (kind->settings(*sprite.sprite, keyword, args, error)) return true;
        if (!error.empty()) return false;
    }
    return RefuseSetting(error, "unknown statement '" + keyword + "' for " + sprite.kind);
}

bool StoreSpriteResources(SpriteDescription& sprite, const BrushFolders& folders, DS_DocResManager& manager,
                          std::string& error)
{
    if (!sprite.pictures.empty()) {
        std::vector<ResourceBlob> frames(sprite.pictures.size());
        for (size_t i = 0; i < frames.size(); ++i) {
            if (!ReadPicture(folders.pictures, sprite.pictures[i], frames[i], error)) return false;
        }
        // A still picture has no durations; a sequence one per frame.
        const std::vector<float> durations =
            sprite.frameSeconds > 0.0f ? std::vector<float>(frames.size(), sprite.frameSeconds) : std::vector<float>();
        std::unique_ptr<DS_ImageFileLink> link;
        manager.MakeSequenceLink(link, frames, durations);
        sprite.sprite->imageLink.SetValue(link->GetValue());
    }
    if (!sprite.secondPicture.empty()) {
        ResourceBlob blob;
        if (!ReadPicture(folders.pictures, sprite.secondPicture, blob, error)) return false;
        std::unique_ptr<DS_ImageFileLink> link;
        manager.MakeSequenceLink(link, {blob}, {});
        sprite.sprite->secondImageLink.SetValue(link->GetValue());
    }
    const SpriteKind* kind = SpriteKinds().Find(sprite.kind);
    if (kind && kind->resources) return kind->resources(sprite, folders, manager, error);
    return true;
}
