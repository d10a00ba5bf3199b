#include "tools/composer/SceneParticles.h"

#include <sstream>

#include "engine/resources/DocResManager.h"
#include "objects/particles/AirBrush.h"
#include "tools/composer/AnimationParticles.h"
#include "tools/composer/ComposerFiles.h"
#include "tools/composer/LightningParticles.h"
#include "tools/composer/PlantParticles.h"
#include "tools/composer/SceneBrushes.h"
#include "tools/composer/ShowParticles.h"

namespace {

ResourceBlob ReadPicture(const std::string& folder, const std::string& name, std::string& error)
{
    const std::string file = InFolder(folder, name);
    ResourceBlob blob;
    if (!ReadWholeFile(file, blob.data) || blob.data.empty()) {
        error = "cannot read picture " + file;
        blob.data.clear();
        return blob;
    }
    blob.name = FullPath(file);
    return blob;
}

}  // namespace

std::unique_ptr<DS_TexParticleGenerator> MakeParticles(const std::string& kind)
{
    if (auto animation = MakeAnimationParticles(kind)) return animation;
    if (auto plant = MakePlantParticles(kind)) return plant;
    if (auto show = MakeShowParticles(kind)) return show;
    if (kind == "DS_Bling") return std::make_unique<DS_Bling>();
    if (kind == "DS_CustomAirBrush") return std::make_unique<DS_CustomAirBrush>();
    if (kind == "DS_TwinklingStars") return std::make_unique<DS_TwinklingStars>();
    if (kind == "DS_LightningGN") return std::make_unique<DS_LightningGN>();
    return nullptr;
}

bool ApplyParticlesStatement(ParticlesDescription& particles, const std::string& keyword, const std::string& rest,
                             std::string& error)
{
    if (IsAnimationParticles(*particles.brush)) return ApplyAnimationStatement(particles, keyword, rest, error);
    if (IsPlantParticles(*particles.brush)) return ApplyPlantStatement(particles, keyword, rest, error);
    DS_TexParticleGenerator& generator = *particles.brush;
    if (bool ok = false; ApplyShowParticlesStatement(generator, keyword, rest, ok, error)) return ok;
    if (auto* lightning = dynamic_cast<DS_LightningGN*>(&generator)) {
        bool handled = false;
        if (!ApplyLightningStatement(*lightning, keyword, rest, handled, error)) return false;
        if (handled) return true;
    }
    auto* brush = dynamic_cast<DS_AirBrush*>(&generator);
    auto* bling = dynamic_cast<DS_Bling*>(&generator);
    auto* custom = dynamic_cast<DS_CustomAirBrush*>(&generator);
    auto* stars = dynamic_cast<DS_TwinklingStars*>(&generator);
    const auto unfit = [&] {
        error = "'" + keyword + " " + rest + "' does not fit this brush";
        return false;
    };
    unsigned value = 0;
    unsigned long color = 0;
    std::vector<float> numbers;
    if (keyword == "image" || keyword == "effect") {
        if (rest.empty()) return unfit();
        if (keyword == "image") {
            particles.images.push_back(rest);
        } else {
            particles.effect = rest;
        }
    } else if (keyword == "frames") {
        std::istringstream in(rest);
        std::vector<std::string> files;
        if (!custom || !(in >> particles.frameSeconds) || !(particles.frameSeconds > 0.0f)) return unfit();
        for (std::string file; in >> file;) files.push_back(file);
        if (files.empty()) return unfit();
        particles.frameFiles = files;
    } else if (keyword == "color" || keyword == "glow-color") {
        if (!ReadColor(rest, color)) return unfit();
        (keyword == "color" ? generator.color : generator.glowColor).SetValue(color);
    } else if (keyword == "point") {
        if (!brush || !ReadNumbers(rest, numbers, 2)) return unfit();
        brush->points.emplace_back(numbers[0], numbers[1], 0.0f);
    } else if (keyword == "grid") {
        if (!brush || !ReadNumbers(rest, numbers, 6) || numbers[4] < 1.0f || numbers[5] < 1.0f) return unfit();
        const int columns = static_cast<int>(numbers[4]), rows = static_cast<int>(numbers[5]);
        for (int j = 0; j < rows; ++j) {
            for (int i = 0; i < columns; ++i) {
                const float x = columns > 1 ? numbers[0] + (numbers[2] - numbers[0]) * i / (columns - 1) : numbers[0];
                const float y = rows > 1 ? numbers[1] + (numbers[3] - numbers[1]) * j / (rows - 1) : numbers[1];
                brush->points.emplace_back(x, y, 0.0f);
            }
        }
    } else if (!ReadUnsigned(rest, value)) {
        return unfit();
    } else if (keyword == "transparency") {
        generator.color.transparency.SetValue(value);
    } else if (keyword == "blend") {
        generator.blendMode.SetValue(static_cast<int>(value));
    } else if (keyword == "size" && brush) {
        brush->size.SetValue(value);
    } else if (keyword == "speed" && (bling || stars)) {
        (bling ? bling->speed : stars->speed).SetValue(value);
    } else if (keyword == "grow" && bling) {
        bling->growTime.SetValue(value);
    } else if (keyword == "shrink" && bling) {
        bling->shrinkTime.SetValue(value);
    } else if (keyword == "rotation" && bling) {
        bling->rotationSpeed.SetValue(value);
    } else if (keyword == "min-size" && bling) {
        bling->minimumSize.SetValue(value);
    } else if (keyword == "frame-speed" && custom) {
        custom->frameSpeed.SetValue(value);
    } else {
        error = "unknown statement '" + keyword + "' for this brush";
        return false;
    }
    return true;
}

bool StoreParticlesResources(ParticlesDescription& particles, const BrushFolders& folders, DS_DocResManager& manager,
                             std::string& error)
{
    if (IsAnimationParticles(*particles.brush)) return StoreAnimationResources(particles, folders, manager, error);
    DS_TexParticleGenerator& brush = *particles.brush;
    for (const std::string& name : particles.images) {
        const ResourceBlob picture = ReadPicture(folders.pictures, name, error);
        if (picture.data.empty()) return false;
        std::unique_ptr<DS_ImageFileLink> link;
        manager.MakeImageLink(picture, link);
        brush.imageLinks.push_back(*link);
    }
    if (auto* custom = dynamic_cast<DS_CustomAirBrush*>(&brush); custom && !particles.frameFiles.empty()) {
        std::vector<ResourceBlob> frames;
        for (const std::string& name : particles.frameFiles) {
            frames.push_back(ReadPicture(folders.pictures, name, error));
            if (frames.back().data.empty()) return false;
        }
        std::unique_ptr<DS_ImageFileLink> link;
        manager.MakeSequenceLink(link, frames, std::vector<float>(frames.size(), particles.frameSeconds));
        custom->pictureLink.SetValue(link->GetValue());
    }
    if (!particles.effect.empty()) {
        const std::string file = InFolder(folders.effects, particles.effect);
        ResourceBlob effect;
        if (!ReadWholeFile(file, effect.data) || effect.data.empty()) {
            error = "cannot read effect " + file;
            return false;
        }
        // The link names the stored bytes.
        const size_t slash = particles.effect.find_last_of("/\\");
        FileLinkValue link;
        link.path = Widen(slash == std::string::npos ? particles.effect : particles.effect.substr(slash + 1));
        effect.name = link.path;
        brush.effectLink.SetValue(link);
        CacheLinkedBytes(manager, link, effect);
    }
    return true;
}
