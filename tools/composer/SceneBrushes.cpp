#include "tools/composer/SceneBrushes.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <vector>

#include "effects/brushes/BackgroundCopy.h"
#include "effects/brushes/CentralBased.h"
#include "effects/brushes/DirectionBased.h"
#include "effects/brushes/FireFX.h"
#include "effects/brushes/PatternBrush.h"
#include "effects/brushes/RadialWaveFX.h"
#include "effects/brushes/WaterFX.h"
#include "effects/brushes/WaterfallFX.h"
#include "tools/composer/ComposerFiles.h"

namespace {

constexpr char kLibraryScript[] = "common_res.rc";

// A setting: applies the value text to the brush; false when the brush's
// kind has no such setting (dynamic_cast failed) or the text is unreadable.
using Setting = std::function<bool(DS_FX_Constructor&, const std::string&)>;

// An unsigned parameter of kind K, set with notification so that values
// computed from it (derived speed, direction) follow.
template <typename K, typename P>
Setting UnsignedSetting(P K::*member)
{
    return [member](DS_FX_Constructor& brush, const std::string& text) {
        auto* kind = dynamic_cast<K*>(&brush);
        unsigned value = 0;
        if (!kind || !ReadUnsigned(text, value)) return false;
        (kind->*member).SetValue(value);
        return true;
    };
}

// A 0 or 1 flag of kind K.
template <typename K>
Setting FlagSetting(MediaParamT<int> K::*member)
{
    return [member](DS_FX_Constructor& brush, const std::string& text) {
        auto* kind = dynamic_cast<K*>(&brush);
        if (!kind || (text != "0" && text != "1")) return false;
        (kind->*member).SetValue(text == "1" ? 1 : 0);
        return true;
    };
}

const std::map<std::string, Setting>& Settings()
{
    static const std::map<std::string, Setting> settings = {
        {"speed", UnsignedSetting(&DS_FX_Constructor::speed)},
        {"strength", UnsignedSetting(&DS_DirectionBased::strength)},
        {"angle",
         [](DS_FX_Constructor& brush, const std::string& text) {
             unsigned value = 0;
             if (!ReadUnsigned(text, value)) return false;
             if (auto* direction = dynamic_cast<DS_DirectionBased*>(&brush)) {
                 direction->angle.SetValue(value);
             } else if (auto* water = dynamic_cast<DS_WaterFX*>(&brush)) {
                 water->angle.SetValue(value);
             } else {
                 return false;
             }
             return true;
         }},
        {"center",
         [](DS_FX_Constructor& brush, const std::string& text) {
             auto* central = dynamic_cast<DS_CentralBased*>(&brush);
             std::vector<float> xy;
             if (!central || !ReadNumbers(text, xy, 2)) return false;
             central->center.SetValue(D3DXVECTOR3(xy[0], xy[1], 0.0f));
             return true;
         }},
        {"quad",
         [](DS_FX_Constructor& brush, const std::string& text) {
             std::vector<float> box;
             if (!ReadNumbers(text, box, 4)) return false;
             // Corner 0 top left, 1 top right, 2 bottom left, 3 bottom
             // right; the fire's grid runs its u along corners 0 to 2, so
             // its corners 1 and 2 swap: u across, v down.
             const bool fire = dynamic_cast<DS_FireFX*>(&brush) != nullptr;
             brush.quad.Corner(0).StoreValue(D3DXVECTOR3(box[0], box[1], 0.0f));
             brush.quad.Corner(fire ? 2 : 1).StoreValue(D3DXVECTOR3(box[2], box[1], 0.0f));
             brush.quad.Corner(fire ? 1 : 2).StoreValue(D3DXVECTOR3(box[0], box[3], 0.0f));
             brush.quad.Corner(3).StoreValue(D3DXVECTOR3(box[2], box[3], 0.0f));
             return true;
         }},
        {"translucency", UnsignedSetting(&DS_WaterfallFX::layerTranslucency)},
        {"layers", UnsignedSetting(&DS_WaterfallFX::layerCount)},
        {"noise-amplitude", UnsignedSetting(&DS_WaterfallFX::noiseAmplitude)},
        {"fourth", UnsignedSetting(&DS_WaterfallFX::fourthValue)},
        {"threshold", UnsignedSetting(&DS_WaterfallFX::threshold)},
        {"noise-image",
         [](DS_FX_Constructor& brush, const std::string& text) {
             auto* stream = dynamic_cast<DS_WaterfallFX*>(&brush);
             unsigned number = 0;
             if (!stream || !ReadUnsigned(text, number)) return false;
             stream->noiseImage.SetValue(FileLinkValue{DS_FX_Constructor::kEffectModule, number});
             return true;
         }},
        {"color",
         [](DS_FX_Constructor& brush, const std::string& text) {
             auto* stream = dynamic_cast<DS_WaterfallFX*>(&brush);
             std::istringstream in(text);
             unsigned long color = 0;
             std::string extra;
             if (!stream || !(in >> std::hex >> color) || (in >> extra) || color > 0xFFFFFFul) return false;
             stream->baseColor.SetValue(color);
             return true;
         }},
        // Every kind: the brush draws over what was drawn before it.
        {"full-screen", FlagSetting(&DS_FX_Constructor::fullScreen)},
        // Pattern brush (both class names).
        {"flip-h", FlagSetting(&DS_PatternBrush::horizontalFlip)},
        {"flip-v", FlagSetting(&DS_PatternBrush::verticalFlip)},
        {"rotation", UnsignedSetting(&DS_PatternBrush::rotation)},
        {"zoom", UnsignedSetting(&DS_PatternBrush::zoom)},
        // Pattern: the two stored offset values; copy: the source offset in
        // picture pixels (signed).
        {"offset",
         [](DS_FX_Constructor& brush, const std::string& text) {
             if (auto* pattern = dynamic_cast<DS_PatternBrush*>(&brush)) {
                 std::vector<long long> xy;
                 if (!ReadNumbers(text, xy, 2) || xy[0] < 0 || xy[1] < 0 || xy[0] > UINT32_MAX || xy[1] > UINT32_MAX)
                     return false;
                 pattern->offsetX.SetValue(static_cast<unsigned>(xy[0]));
                 pattern->offsetY.SetValue(static_cast<unsigned>(xy[1]));
                 return true;
             }
             auto* copy = dynamic_cast<DS_BackgroundCopy*>(&brush);
             std::vector<int> xy;
             if (!copy || !ReadNumbers(text, xy, 2)) return false;
             copy->sourceOffset.extraX.SetValue(xy[0]);
             copy->sourceOffset.extraY.SetValue(xy[1]);
             return true;
         }},
        {"shift-h", FlagSetting(&DS_BackgroundCopy::horizontalShift)},
        {"shift-v", FlagSetting(&DS_BackgroundCopy::verticalShift)},
        // Fire.
        {"colors",
         [](DS_FX_Constructor& brush, const std::string& text) {
             auto* fire = dynamic_cast<DS_FireFX*>(&brush);
             std::istringstream in(text);
             unsigned long first = 0, second = 0;
             std::string extra;
             if (!fire || !(in >> std::hex >> first >> second) || (in >> extra) || first > 0xFFFFFFul ||
                 second > 0xFFFFFFul)
                 return false;
             fire->firstColor.SetValue(first);
             fire->secondColor.SetValue(second);
             return true;
         }},
        {"density", UnsignedSetting(&DS_FireFX::density)},
        {"brightness", UnsignedSetting(&DS_FireFX::brightness)},
        {"pattern-width", UnsignedSetting(&DS_FireFX::patternWidth)},
        {"hidden",
         [](DS_FX_Constructor& brush, const std::string& text) {
             auto* stream = dynamic_cast<DS_WaterfallFX*>(&brush);
             if (!stream || (text != "0" && text != "1")) return false;
             stream->hidden.SetValue(text == "1" ? 1 : 0);
             return true;
         }},
    };
    return settings;
}

}  // namespace

std::string LibraryPictureFile(const std::string& folder, int64_t number)
{
    std::ifstream script(InFolder(folder, kLibraryScript));
    std::string line;
    while (std::getline(script, line)) {
        std::istringstream in(line);
        long long id = -1;
        std::string type;
        if (!(in >> id >> type) || id != number || type != "DDS") continue;
        const size_t open = line.find('"');
        const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        if (close == std::string::npos) return std::string();
        return line.substr(open + 1, close - open - 1);
    }
    return std::string();
}

namespace {

// The compiled effect numbered like the library's resource (NNN_name.fxo)
// in the effect folder; empty when there is none.
std::string EffectFileByNumber(const std::string& folder, int64_t number)
{
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "%03lld_", static_cast<long long>(number));
    WIN32_FIND_DATAA found = {};
    const std::string pattern = InFolder(folder, std::string(prefix) + "*.fxo");
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::string();
    FindClose(search);
    return InFolder(folder, found.cFileName);
}

// The image links of the brush kinds that have them.
std::vector<const DS_ImageFileLink*> ImageLinks(const DS_FX_Constructor& brush)
{
    if (const auto* water = dynamic_cast<const DS_WaterFX*>(&brush)) return {&water->bumpImage};
    if (const auto* stream = dynamic_cast<const DS_WaterfallFX*>(&brush)) return {&stream->noiseImage};
    if (const auto* fire = dynamic_cast<const DS_FireFX*>(&brush)) return {&fire->patternImage, &fire->noiseImage};
    return {};
}

}  // namespace

bool StoreLibraryPicture(const FileLinkValue& link, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error)
{
    if (link.path.empty() || link.path != DS_FX_Constructor::kEffectModule) return true;
    const std::string file = LibraryPictureFile(folders.library, link.stamp);
    ResourceBlob blob;
    blob.module = link.path;
    blob.id = static_cast<int32_t>(link.stamp);
    if (file.empty() || !ReadWholeFile(InFolder(folders.library, file), blob.data) || blob.data.empty()) {
        error = "no library picture " + std::to_string(link.stamp) + " in " + folders.library;
        return false;
    }
    manager.Store().images[link] = {blob};
    return true;
}

std::unique_ptr<DS_FX_Constructor> MakeBrush(const std::string& kind)
{
    if (kind == "DS_WaterFX") return std::make_unique<DS_WaterFX>();
    if (kind == "DS_WaterfallFX") return std::make_unique<DS_WaterfallFX>();
    if (kind == "DS_RadialWaveFX") return std::make_unique<DS_RadialWaveFX>();
    if (kind == "DS_PatternBrush") return std::make_unique<DS_PatternBrush>();
    if (kind == "DS_PatternBrushC") return std::make_unique<DS_PatternBrushC>();
    if (kind == "DS_BackgroundCopy") return std::make_unique<DS_BackgroundCopy>();
    if (kind == "DS_FireFX") return std::make_unique<DS_FireFX>();
    return nullptr;
}

bool ApplyBrushStatement(BrushDescription& brush, const std::string& keyword, const std::string& rest,
                         std::string& error)
{
    if (keyword == "pattern") {
        // pattern FILE, or pattern SECONDS FILE FILE... for a sequence.
        if (!dynamic_cast<DS_PatternBrush*>(brush.brush.get())) {
            error = "'pattern' does not fit this brush";
            return false;
        }
        std::istringstream in(rest);
        std::vector<std::string> words;
        for (std::string word; in >> word;) words.push_back(word);
        brush.frameSeconds = 0.0f;
        if (words.size() > 1) {
            std::istringstream seconds(words.front());
            if (!(seconds >> brush.frameSeconds) || !(brush.frameSeconds > 0.0f)) {
                error = "pattern needs SECONDS FILE... for a sequence";
                return false;
            }
            words.erase(words.begin());
        }
        if (words.empty()) {
            error = "pattern needs a file";
            return false;
        }
        brush.patternFiles = words;
        return true;
    }
    if (keyword == "mask" || keyword == "effect") {
        if (rest.empty()) {
            error = keyword + " needs a file";
            return false;
        }
        (keyword == "mask" ? brush.mask : brush.effect) = rest;
        return true;
    }
    const auto setting = Settings().find(keyword);
    if (setting == Settings().end()) {
        error = "unknown statement '" + keyword + "'";
        return false;
    }
    if (!setting->second(*brush.brush, rest)) {
        error = "'" + keyword + " " + rest + "' does not fit this brush";
        return false;
    }
    return true;
}

bool StoreBrushResources(BrushDescription& brush, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error)
{
    if (brush.mask.empty() || brush.effect.empty()) {
        error = "a brush needs a mask and an effect";
        return false;
    }
    ResourceStore& store = manager.Store();

    const std::string maskFile = InFolder(folders.pictures, brush.mask);
    GuidImageRecord mask;
    mask.key = brush.brush->maskKey;
    if (!ReadWholeFile(maskFile, mask.picture.data) || mask.picture.data.empty()) {
        error = "cannot read mask " + maskFile;
        return false;
    }
    mask.picture.name = FullPath(maskFile);
    store.maskImages[mask.key] = mask;

    const std::string effectFile = InFolder(folders.effects, brush.effect);
    ResourceBlob effect;
    if (!ReadWholeFile(effectFile, effect.data) || effect.data.empty()) {
        error = "cannot read effect " + effectFile;
        return false;
    }
    FileLinkValue link = brush.brush->effectLink.GetValue();
    if (link.path.empty()) {
        // A kind without a default effect: the link names the stored bytes.
        const size_t slash = brush.effect.find_last_of("/\\");
        link.path = Widen(slash == std::string::npos ? brush.effect : brush.effect.substr(slash + 1));
        link.stamp = 0;
        brush.brush->effectLink.SetValue(link);
        effect.name = link.path;
    } else {
        effect.module = link.path;
        effect.id = static_cast<int32_t>(link.stamp);
    }
    CacheLinkedBytes(manager, link, effect);

    if (auto* pattern = dynamic_cast<DS_PatternBrush*>(brush.brush.get()); pattern && !brush.patternFiles.empty()) {
        std::vector<ResourceBlob> frames;
        for (const std::string& name : brush.patternFiles) {
            const std::string file = InFolder(folders.pictures, name);
            ResourceBlob frame;
            if (!ReadWholeFile(file, frame.data) || frame.data.empty()) {
                error = "cannot read pattern picture " + file;
                return false;
            }
            frame.name = FullPath(file);
            frames.push_back(frame);
        }
        // A still picture has no durations; a sequence one per frame.
        const std::vector<float> durations =
            brush.frameSeconds > 0.0f ? std::vector<float>(frames.size(), brush.frameSeconds) : std::vector<float>();
        std::unique_ptr<DS_ImageFileLink> link;
        manager.MakeSequenceLink(link, frames, durations);
        pattern->patternImage.SetValue(link->GetValue());
    }
    for (const DS_ImageFileLink* image : ImageLinks(*brush.brush)) {
        if (!StoreLibraryPicture(image->GetValue(), folders, manager, error)) return false;
    }
    return true;
}

bool StoreLibraryEffect(const FileLinkValue& link, const BrushFolders& folders, DS_DocResManager& manager,
                        std::string& error)
{
    const std::string file = EffectFileByNumber(folders.effects, link.stamp);
    ResourceBlob effect;
    if (file.empty() || !ReadWholeFile(file, effect.data) || effect.data.empty()) {
        error = "no compiled effect " + std::to_string(link.stamp) + " in " + folders.effects;
        return false;
    }
    effect.module = link.path;
    effect.id = static_cast<int32_t>(link.stamp);
    CacheLinkedBytes(manager, link, effect);
    return true;
}

void CacheLinkedBytes(DS_DocResManager& manager, const FileLinkValue& link, const ResourceBlob& blob)
{
    manager.Store().byteCache[link] = {blob};
}
