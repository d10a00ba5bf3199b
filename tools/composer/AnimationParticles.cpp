#include "tools/composer/AnimationParticles.h"

#include <sstream>
#include <vector>

#include "engine/resources/DocResManager.h"
#include "objects/particles/BrownAnimation.h"
#include "objects/particles/PathAnimtion.h"
#include "objects/particles/StaticAnimation.h"
#include "tools/composer/ComposerFiles.h"
#include "tools/composer/SceneBrushes.h"
#include "tools/composer/SceneParticles.h"

std::unique_ptr<DS_TexParticleGenerator> MakeAnimationParticles(const std::string& kind)
{
    if (kind == "DS_StaticAnimation") return std::make_unique<DS_StaticAnimation>();
    if (kind == "DS_BrownAnimation") return std::make_unique<DS_BrownAnimation>();
    if (kind == "DS_PathAnimtion") return std::make_unique<DS_PathAnimtion>();
    return nullptr;
}

bool IsAnimationParticles(const DS_TexParticleGenerator& item)
{
    return dynamic_cast<const DS_StaticAnimation*>(&item) || dynamic_cast<const DS_BrownAnimation*>(&item) ||
           dynamic_cast<const DS_PathAnimtion*>(&item);
}

bool ApplyAnimationStatement(ParticlesDescription& particles, const std::string& keyword, const std::string& rest,
                             std::string& error)
{
    DS_TexParticleGenerator& item = *particles.brush;
    auto* still = dynamic_cast<DS_StaticAnimation*>(&item);
    auto* brown = dynamic_cast<DS_BrownAnimation*>(&item);
    auto* path = dynamic_cast<DS_PathAnimtion*>(&item);
    const auto unfit = [&] {
        error = "'" + keyword + " " + rest + "' does not fit this animation";
        return false;
    };
    unsigned value = 0;
    unsigned long color = 0;
    std::vector<float> numbers;
    if (keyword == "frames") {
        std::istringstream in(rest);
        std::vector<std::string> files;
        if (!(in >> particles.frameSeconds) || !(particles.frameSeconds > 0.0f)) return unfit();
        for (std::string file; in >> file;) files.push_back(file);
        if (files.empty()) return unfit();
        particles.frameFiles = files;
    } else if (keyword == "color") {
        if (!ReadColor(rest, color)) return unfit();
        item.color.SetValue(color);
    } else if (keyword == "rect" && (still || brown)) {
        if (!ReadNumbers(rest, numbers, 4)) return unfit();
        const D3DXVECTOR3 corners[] = {{numbers[0], numbers[1], 0.0f},
                                       {numbers[0], numbers[3], 0.0f},
                                       {numbers[2], numbers[1], 0.0f},
                                       {numbers[2], numbers[3], 0.0f}};
        MediaQuad& rectangle = still ? still->rectangle : brown->rectangle;
        for (int k = 0; k < MediaQuad::kCornerCount; ++k) rectangle.Corner(k).StoreValue(corners[k]);
    } else if (keyword == "quad" && still) {
        if (!ReadNumbers(rest, numbers, 8)) return unfit();
        for (int k = 0; k < MediaQuad::kCornerCount; ++k)
            still->rectangle.Corner(k).StoreValue(D3DXVECTOR3(numbers[2 * k], numbers[2 * k + 1], 0.0f));
    } else if (keyword == "point" && path) {
        if (!ReadNumbers(rest, numbers, 2)) return unfit();
        path->path.emplace_back(D3DXVECTOR3(numbers[0], numbers[1], 0.0f));
    } else if (!ReadUnsigned(rest, value)) {
        return unfit();
    } else if (keyword == "transparency") {
        item.color.transparency.SetValue(value);
    } else if (keyword == "play-speed" && still) {
        still->playSpeed.SetValue(value);
    } else if (keyword == "direction" && still) {
        still->direction.SetValue(static_cast<int>(value));
    } else if (keyword == "count" && brown) {
        brown->spriteCount.SetValue(value);
    } else if (keyword == "scale" && (brown || path)) {
        (brown ? brown->spriteScale : path->spriteScale).SetValue(value);
    } else if (keyword == "wander-speed" && brown) {
        brown->wanderSpeed.SetValue(value);
    } else if (keyword == "wander-period" && brown) {
        brown->wanderPeriod.SetValue(value);
    } else if (keyword == "steering" && brown) {
        brown->steeringTime.SetValue(value);
    } else if (keyword == "speed" && path) {
        path->travelSpeed.SetValue(value);
    } else if (keyword == "orientation" && path) {
        path->orientationMode.SetValue(static_cast<int>(value));
    } else if (keyword == "flip-u" && path) {
        path->flipU.SetValue(static_cast<int>(value));
    } else if (keyword == "flip-v" && path) {
        path->flipV.SetValue(static_cast<int>(value));
    } else {
        error = "unknown statement '" + keyword + "' for this animation";
        return false;
    }
    return true;
}

bool StoreAnimationResources(ParticlesDescription& particles, const BrushFolders& folders, DS_DocResManager& manager,
                             std::string& error)
{
    DS_TexParticleGenerator& item = *particles.brush;
    if (particles.frameFiles.empty()) {
        error = "an animation needs its frames";
        return false;
    }
    std::vector<ResourceBlob> frames;
    for (const std::string& name : particles.frameFiles) {
        const std::string file = InFolder(folders.pictures, name);
        ResourceBlob blob;
        if (!ReadWholeFile(file, blob.data) || blob.data.empty()) {
            error = "cannot read picture " + file;
            return false;
        }
        blob.name = FullPath(file);
        frames.push_back(std::move(blob));
    }
    std::unique_ptr<DS_ImageFileLink> link;
    manager.MakeSequenceLink(link, frames, std::vector<float>(frames.size(), particles.frameSeconds));
    item.imageLinks.push_back(*link);
    if (dynamic_cast<DS_StaticAnimation*>(&item)) return StoreLibraryEffect(item.effectLink.GetValue(), folders, manager, error);
    return true;
}
