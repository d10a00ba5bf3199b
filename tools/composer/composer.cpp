// The scene composer: writes a scene document from a scene description
// (scenes/*.scene) with the engine's own classes and their Write
// operations, followed by the resource manager's record with copies of
// every picture, music file, mask and effect the scene uses, so the
// document plays without those files and without "common_res.dll".
//
//   scene_composer SCENE PICTURE_FOLDER EFFECT_FOLDER LIBRARY_FOLDER OUTPUT
//   scene_composer --rewrite DOCUMENT OUTPUT
//
// The second form reads a scene document with the player's classes and
// writes it again through their own Write operations (DocumentFile.h).
//
// EFFECT_FOLDER holds the compiled effects (*.fxo); LIBRARY_FOLDER the
// pictures of "common_res.dll" with its resource script common_res.rc,
// from which the library pictures that brushes name are copied.
//
// The description: one statement a line, '#' starts a comment.
//   slide NAME                    begins a slide (the following lines set it)
//   times FADE_IN SHOW FADE_OUT   whole seconds
//   picture FILE                  the slide's picture, relative to PICTURE_FOLDER
//   camera on|off                 camera drift
//   audio FILE                    a music file of the playlist, embedded
//   brush KIND                    adds an image-filter brush (DS_WaterFX,
//                                 DS_WaterfallFX, DS_RadialWaveFX,
//                                 DS_PatternBrush, DS_PatternBrushC,
//                                 DS_BackgroundCopy, DS_FireFX) to the
//                                 slide's drawn items, with the kind's
//                                 defaults; the lines after it set the brush:
//     mask FILE                   its mask (PNG, picture folder), required
//     effect FILE                 its compiled effect (effect folder), required;
//                                 stored under the brush's effect link (a kind
//                                 without a default link gets one naming FILE)
//     speed N, angle N            (all kinds; angle: water and stream)
//     full-screen 0|1             (all kinds) draws over the scene drawn so far
//     strength N                  (stream)
//     center X Y                  (radial wave) in picture pixels
//     quad LEFT TOP RIGHT BOTTOM  the brush's own grid, in picture pixels
//     translucency N, layers N, noise-amplitude N, fourth N, threshold N,
//     noise-image NUMBER (a picture of "common_res.dll"), color BBGGRR (hex),
//     hidden 0|1                  (stream)
//     pattern FILE | pattern SECONDS FILE...   the pattern picture, or a
//                                 sequence shown SECONDS a frame
//     flip-h 0|1, flip-v 0|1, rotation N, zoom N, offset X Y   (pattern)
//     offset X Y (picture pixels), shift-h 0|1, shift-v 0|1    (copy)
//     colors FIRST SECOND (BBGGRR hex), density N, brightness N,
//     pattern-width N             (fire; its quad's u runs across, v down)
//   light KIND                    makes the slide's picture layer a light
//                                 (DS_MatrixCodeLight, FakeUndervater,
//                                 FakeLake2D, DS_WaterRingLight,
//                                 DS_GlassBallLight, DS_FlameLight) with the kind's
//                                 defaults; picture and camera still apply;
//                                 the lines after it, up to a brush, set it:
//     cell-size N, density N, highlights N, glitches N, background N,
//     stream-mode N, transparency N, glyph-color BBGGRR, bright-color BBGGRR
//     (hex), glyph-image NUMBER (a picture of "common_res.dll")   (glyphs)
//     amplitude N, wavelength N, speed N                          (underwater;
//                                 its effect 88 is stored from the effect folder)
//     ripple-map FILE             (lake) its du/dv map, a V8U8 DDS in the
//                                 picture folder, stored under its ripple key
//     speed N, bump-tiling N, lake-height N, ripple-contrast N, water-tint N,
//     horizon-fade N, ripple-amplitude N, strip-height N, reflection-size N,
//     lake-color BBGGRR (hex)     (lake)
//     mode N, wave-speed N, grid-aspect N, grid-density N, drop-size N,
//     damping N, depth N, drop-rate N, specular-level N, shininess N  (rings)
//     position X Y, size N, lens N, speed N, mode N, overlay1 0|1,
//     overlay2 0|1, stand 0|1, picture-background 0|1, top-color BBGGRR,
//     bottom-color BBGGRR, overlay1-image N, overlay2-image N,
//     stand-image N, background-image N     (DS_GlassBallLight)
//     fire 0|1, distortion N, flame-offset N, distortion-speed N, strength N,
//     bump-scale N, fire-colors FIRST SECOND (BBGGRR hex), density N,
//     brightness N, fire-speed N  (DS_FlameLight; its pictures 7, 8 and 62
//                                 and effects 63 and 92 are stored too)
// Brushes are drawn from the last to the first. Library pictures that a
// brush's or a light's image links name (water bump, stream noise, glyph
// strip, the glass ball's overlays, stand and background) are stored too,
// and so is every slide's border picture (the camera's border link).
//   sprite KIND                   adds a sprite system of the kind (see
//                                 tools/composer/SceneSprites.h and the kinds'
//                                 files) to the slide's drawn items, after the
//                                 brushes; the lines after it set it:
//     image FILE | image SECONDS FILE...   its picture or frame sequence
//                                 (picture folder); second-image FILE
//     area LEFT TOP RIGHT BOTTOM (fractions), speed N, count N, size N,
//     transparency N, blend 0|1, color BBGGRR, pulse F, alpha MIN MAX,
//     scale MIN MAX, frames COUNT RATE, sheet 0|1, mirror-h 0|1,
//     mirror-v 0|1, static 0|1, animation-speed N, then the kind's own
//   model butterfly|clock|array   adds a 3D object (see
//                                 tools/composer/SceneModels.h) to the slide's
//                                 drawn items, after the sprites; the lines
//                                 after it set it
//   sound mp3|wav FILE            adds a sound item to the slide's second list
//                                 (FILE relative to PICTURE_FOLDER); the lines
//                                 after it set the sound (see SceneSounds.h):
//     volume N, balance N, mode N, invisible MIN MAX, name "TEXT" (mp3)
//   particles KIND                adds a painted particle brush (DS_Bling,
//                                 DS_CustomAirBrush, DS_TwinklingStars) or a
//                                 show (DS_FallingStars, DS_FireworkSimple) to
//                                 the slide's drawn items; the lines after it
//                                 set it (see SceneParticles.h and
//                                 ShowParticles.h): image, effect, color,
//                                 glow-color, transparency, blend, size,
//                                 point, grid, speed, grow, shrink, rotation,
//                                 min-size, frame-speed, frames; rect,
//                                 fall-speed, rate, direction, show, fade-in,
//                                 fade-out, glow, trails, origin, burst,
//                                 burst-speed (DS_FallingStars,
//                                 DS_FireworkSimple); DS_LightningGN
//                                 adds a lightning bolt (LightningParticles.h);
//                                 or a plant, radial rays or smoke (DS_Plant,
//                                 DS_RadialRays, DS_Smoke; see PlantParticles.h);
//                                 or a frame-sequence animation
//                                 (DS_StaticAnimation, DS_BrownAnimation,
//                                 DS_PathAnimtion; see AnimationParticles.h)
//   timeline MODE FADE_IN VISIBLE FADE_OUT INVISIBLE   the time line of the
//                                 last brush, sound, sprite, model or
//                                 particles item: mode 0 always visible, 1
//                                 cycling; the durations in hundredths
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/SlideShow.h"
#include "engine/scene/TimeLineControl.h"
#include "tools/composer/ComposerFiles.h"
#include "tools/composer/DocumentFile.h"
#include "tools/composer/SceneBrushes.h"
#include "tools/composer/SceneLights.h"
#include "tools/composer/SceneModels.h"
#include "tools/composer/SceneParticles.h"
#include "tools/composer/SceneSounds.h"
#include "tools/composer/SceneSprites.h"

namespace {

struct SlideDescription {
    std::string name;
    SlideTiming timing;
    std::string picture;
    bool cameraDrift = true;
    std::vector<BrushDescription> brushes;
    std::vector<SoundDescription> sounds;
    std::vector<SpriteDescription> sprites;
    std::vector<ModelDescription> models;
    // Drawn after (so under) the slide's brushes: items are drawn last to first.
    std::vector<ParticlesDescription> particles;
    LightDescription light;  // no light: a plain picture layer
    // What the settings statements that follow apply to.
    enum class Last { kNone, kBrush, kLight, kSound, kSprite, kModel, kParticles } last = Last::kNone;
};

struct SceneDescription {
    std::vector<SlideDescription> slides;
    std::vector<std::string> audioFiles;
};

// The item the last brush, sound, sprite, model or particles statement
// made; null when the last such statement made none (or set the light).
DS_ABObj_Constructor* LastItem(SlideDescription& slide)
{
    using Last = SlideDescription::Last;
    switch (slide.last) {
    case Last::kBrush: return slide.brushes.back().brush.get();
    case Last::kSound: return slide.sounds.back().sound.get();
    case Last::kSprite: return slide.sprites.back().sprite.get();
    case Last::kModel: return slide.models.back().item.get();
    case Last::kParticles: return slide.particles.back().brush.get();
    default: return nullptr;
    }
}

// timeline MODE FADE_IN VISIBLE FADE_OUT INVISIBLE (hundredths of a second)
// for the last item: its time-line mode, fades, and fixed visible and
// invisible durations.
bool ApplyTimeline(SlideDescription& slide, const std::string& rest, std::string& error)
{
    DS_ABObj_Constructor* item = LastItem(slide);
    if (!item) {
        error = "timeline needs an item (brush, sound, sprite, model or particles) before it";
        return false;
    }
    std::vector<long long> values;
    // Mode 2 plays windows, which no statement makes: only 0 and 1 here.
    if (!ReadNumbers(rest, values, 5) || values[0] < DS_TimeLineControl::kAlwaysVisible ||
        values[0] > DS_TimeLineControl::kCycle) {
        error = "timeline wants MODE (0 or 1) FADE_IN VISIBLE FADE_OUT INVISIBLE";
        return false;
    }
    for (size_t i = 1; i < values.size(); ++i) {
        if (values[i] < 0 || values[i] > UINT32_MAX) {
            error = "timeline durations are whole hundredths of a second";
            return false;
        }
    }
    DS_TimeLineControl& line = item->TimeLine();
    line.mode = static_cast<int32_t>(values[0]);
    line.fadeIn = static_cast<uint32_t>(values[1]);
    line.visible.maximum.SetValue(static_cast<unsigned>(values[2]));
    line.visible.minimum.SetValue(static_cast<unsigned>(values[2]));
    line.fadeOut = static_cast<uint32_t>(values[3]);
    line.invisible.maximum.SetValue(static_cast<unsigned>(values[4]));
    line.invisible.minimum.SetValue(static_cast<unsigned>(values[4]));
    return true;
}

// Parses the description; false with a message naming the line on any
// statement it does not know or cannot read.
bool ParseScene(std::istream& in, SceneDescription& scene, std::string& error)
{
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        const size_t comment = line.find('#');
        if (comment != std::string::npos) line.erase(comment);
        line = Trim(line);
        if (line.empty()) continue;
        const size_t space = line.find_first_of(" \t");
        const std::string keyword = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : Trim(line.substr(space));
        const auto fail = [&](const std::string& what) {
            error = "line " + std::to_string(lineNumber) + ": " + what;
            return false;
        };
        if (keyword == "slide") {
            scene.slides.emplace_back();
            scene.slides.back().name = rest;
        } else if (keyword == "audio") {
            if (rest.empty()) return fail("audio needs a file");
            scene.audioFiles.push_back(rest);
        } else if (scene.slides.empty()) {
            return fail("'" + keyword + "' before the first slide");
        } else if (keyword == "timeline") {
            std::string problem;
            if (!ApplyTimeline(scene.slides.back(), rest, problem)) return fail(problem);
        } else if (keyword == "times") {
            std::istringstream values(rest);
            unsigned long long fadeIn = 0, show = 0, fadeOut = 0;
            std::string extra;
            if (!(values >> fadeIn >> show >> fadeOut) || (values >> extra) || fadeIn > UINT32_MAX ||
                show > UINT32_MAX || fadeOut > UINT32_MAX) {
                return fail("times wants three whole seconds");
            }
            scene.slides.back().timing = {static_cast<uint32_t>(fadeIn), static_cast<uint32_t>(show),
                                          static_cast<uint32_t>(fadeOut)};
        } else if (keyword == "picture") {
            if (rest.empty()) return fail("picture needs a file");
            scene.slides.back().picture = rest;
        } else if (keyword == "camera") {
            if (rest != "on" && rest != "off") return fail("camera is on or off");
            scene.slides.back().cameraDrift = rest == "on";
        } else if (keyword == "brush") {
            BrushDescription brush;
            brush.brush = MakeBrush(rest);
            if (!brush.brush) return fail("unknown brush kind '" + rest + "'");
            scene.slides.back().brushes.push_back(std::move(brush));
            scene.slides.back().last = SlideDescription::Last::kBrush;
        } else if (keyword == "light") {
            scene.slides.back().light.light = MakeLight(rest);
            if (!scene.slides.back().light.light) return fail("unknown light kind '" + rest + "'");
            scene.slides.back().last = SlideDescription::Last::kLight;
        } else if (keyword == "sound") {
            SoundDescription sound;
            std::string problem;
            if (!MakeSound(rest, sound, problem)) return fail(problem);
            scene.slides.back().sounds.push_back(std::move(sound));
            scene.slides.back().last = SlideDescription::Last::kSound;
        } else if (keyword == "particles") {
            ParticlesDescription particles;
            particles.brush = MakeParticles(rest);
            if (!particles.brush) return fail("unknown particles kind '" + rest + "'");
            scene.slides.back().particles.push_back(std::move(particles));
            scene.slides.back().last = SlideDescription::Last::kParticles;
        } else if (keyword == "sprite") {
            SpriteDescription sprite;
            std::string problem;
            if (!MakeSprite(rest, sprite, problem)) return fail(problem);
            scene.slides.back().sprites.push_back(std::move(sprite));
            scene.slides.back().last = SlideDescription::Last::kSprite;
        } else if (keyword == "model") {
            ModelDescription model;
            std::string problem;
            if (!MakeModel(rest, model, problem)) return fail(problem);
            scene.slides.back().models.push_back(std::move(model));
            scene.slides.back().last = SlideDescription::Last::kModel;
        } else if (scene.slides.back().last == SlideDescription::Last::kParticles) {
            std::string problem;
            if (!ApplyParticlesStatement(scene.slides.back().particles.back(), keyword, rest, problem)) {
                return fail(problem);
            }
        } else if (scene.slides.back().last == SlideDescription::Last::kModel) {
            std::string problem;
            if (!ApplyModelStatement(scene.slides.back().models.back(), keyword, rest, problem)) return fail(problem);
        } else if (scene.slides.back().last == SlideDescription::Last::kSprite) {
            std::string problem;
            if (!ApplySpriteStatement(scene.slides.back().sprites.back(), keyword, rest, problem)) return fail(problem);
        } else if (scene.slides.back().last == SlideDescription::Last::kLight) {
            std::string problem;
            if (!ApplyLightStatement(scene.slides.back().light, keyword, rest, problem)) return fail(problem);
        } else if (scene.slides.back().last == SlideDescription::Last::kBrush) {
            std::string problem;
            if (!ApplyBrushStatement(scene.slides.back().brushes.back(), keyword, rest, problem)) return fail(problem);
        } else if (scene.slides.back().last == SlideDescription::Last::kSound) {
            std::string problem;
            if (!ApplySoundStatement(scene.slides.back().sounds.back(), keyword, rest, problem)) return fail(problem);
        } else {
            return fail("unknown statement '" + keyword + "'");
        }
    }
    if (scene.slides.empty()) {
        error = "a scene needs at least one slide";
        return false;
    }
    return true;
}

// Builds the slide with its picture layer; the picture's bytes go into the
// manager's byte cache, from where the layer's Write marks them for saving.
bool ComposeSlide(SlideDescription& description, const BrushFolders& folders, DS_DocResManager& manager,
                  DS_SlideShow_Light& root, std::string& error)
{
    auto slide = std::make_unique<DS_SlideContainer>();
    slide->name.StoreValue(Widen(description.name));
    slide->fadeIn.StoreValue(description.timing.fadeIn);
    slide->show.StoreValue(description.timing.show);
    slide->fadeOut.StoreValue(description.timing.fadeOut);

    if (!description.light.light) description.light.light = std::make_unique<DS_2D_Light>();
    if (!StoreLightResources(description.light, folders, manager, error)) return false;
    std::unique_ptr<DS_2D_Light> light = std::move(description.light.light);
    light->Camera().enabled = description.cameraDrift ? 1 : 0;
    const FileLinkValue border{light->Camera().borderPath, light->Camera().borderStamp};
    if (!description.picture.empty()) {
        const std::string file = InFolder(folders.pictures, description.picture);
        ResourceBlob blob;
        if (!ReadWholeFile(file, blob.data) || blob.data.empty()) {
            error = "cannot read picture " + file;
            return false;
        }
        blob.name = FullPath(file);
        const DS_FileLink3 link(blob.name);
        manager.Store().byteCache[link.GetValue()] = {blob};
        light->PictureLink().StoreValue(link.GetValue());
        manager.MarkForSave(link);
    }
    slide->SetLight(CountedPtr<DS_2D_Light>(light.release()));
    for (BrushDescription& brush : description.brushes) {
        if (!StoreBrushResources(brush, folders, manager, error)) return false;
        slide->DrawnItems().push_back(std::move(brush.brush));
    }
    for (SpriteDescription& sprite : description.sprites) {
        if (!StoreSpriteResources(sprite, folders, manager, error)) return false;
        slide->DrawnItems().push_back(std::move(sprite.sprite));
    }
    for (ModelDescription& model : description.models) {
        if (!StoreModelResources(model, folders, manager, error)) return false;
        slide->DrawnItems().push_back(std::move(model.item));
    }
    for (ParticlesDescription& particles : description.particles) {
        if (!StoreParticlesResources(particles, folders, manager, error)) return false;
        slide->DrawnItems().push_back(std::move(particles.brush));
    }
    for (SoundDescription& sound : description.sounds) {
        if (!StoreSoundResources(sound, folders.pictures, manager, error)) return false;
        slide->UpdatedItems().push_back(std::move(sound.sound));
    }
    // The picture around the slide's picture, so that the borders are
    // textured without the library too.
    if (!StoreLibraryPicture(border, folders, manager, error)) return false;
    root.Slides().push_back(CountedPtr<DS_SlideContainer>(slide.release()));
    return true;
}

bool ComposeAudio(const std::string& path, const std::string& folder, DS_SlideShow_Light& root, std::string& error)
{
    const std::string file = InFolder(folder, path);
    auto audio = std::make_unique<DS_AudioFile>();
    if (!ReadWholeFile(file, audio->file.data)) {
        error = "cannot read music file " + file;
        return false;
    }
    audio->file.name = FullPath(file);
    audio->path = audio->file.name;
    root.AudioFiles().push_back(CountedPtr<DS_AudioFile>(audio.release()));
    return true;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "scene_composer: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    RegisterSceneClasses();
    std::string error;
    if (argc == 4 && std::string(argv[1]) == "--rewrite") {
        return RewriteSceneDocument(argv[2], argv[3], error) ? 0 : Fail(error);
    }
    if (argc != 6) {
        return Fail("usage: scene_composer SCENE PICTURE_FOLDER EFFECT_FOLDER LIBRARY_FOLDER OUTPUT\n"
                    "       scene_composer --rewrite DOCUMENT OUTPUT");
    }
    const std::string scenePath = argv[1];
    const BrushFolders folders{argv[2], argv[3], argv[4]};
    const std::string outputPath = argv[5];

    std::ifstream sceneFile(scenePath);
    if (!sceneFile) return Fail("cannot open " + scenePath);
    SceneDescription scene;
    if (!ParseScene(sceneFile, scene, error)) return Fail(scenePath + ": " + error);

    // No device: the composer only stores bytes and never makes textures.
    DS_DocResManager manager(nullptr);
    SetCurrentDocResManager(&manager);  // until the manager is destroyed
    DS_SlideShow_Light root;
    for (SlideDescription& slide : scene.slides) {
        if (!ComposeSlide(slide, folders, manager, root, error)) return Fail(error);
    }
    for (const std::string& audio : scene.audioFiles) {
        if (!ComposeAudio(audio, folders.pictures, root, error)) return Fail(error);
    }
    return WriteSceneDocument(root, manager, outputPath, error) ? 0 : Fail(error);
}
