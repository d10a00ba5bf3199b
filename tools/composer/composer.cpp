// The scene composer: writes a scene document from a scene description
// (scenes/*.scene) with the engine's own classes and their Write
// operations, followed by the resource manager's record with copies of
// every picture and music file the scene uses, so the document plays
// without those files.
//
//   scene_composer SCENE PICTURE_FOLDER OUTPUT
//
// The description: one statement a line, '#' starts a comment.
//   slide NAME                    begins a slide (the following lines set it)
//   times FADE_IN SHOW FADE_OUT   whole seconds
//   picture FILE                  the slide's picture, relative to PICTURE_FOLDER
//   camera on|off                 camera drift
//   audio FILE                    a music file of the playlist, embedded
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "engine/archive/IOF_W.h"
#include "engine/archive/SceneClassRegistry.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/SlideShow.h"

namespace {

constexpr wchar_t kDocumentHeader[] = L"KVB v 4.0.0";

struct SlideDescription {
    std::string name;
    SlideTiming timing;
    std::string picture;
    bool cameraDrift = true;
};

struct SceneDescription {
    std::vector<SlideDescription> slides;
    std::vector<std::string> audioFiles;
};

ds_string Widen(const std::string& text)
{
    if (text.empty()) return ds_string();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    ds_string wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// The full path of a file, so that the stored name says where it came from.
ds_string FullPath(const std::string& path)
{
    const ds_string wide = Widen(path);
    wchar_t full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return wide;
    return ds_string(full, length);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
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

std::string InFolder(const std::string& folder, const std::string& file)
{
    if (folder.empty() || file.find(':') != std::string::npos || file.front() == '/' || file.front() == '\\') {
        return file;
    }
    return folder + "/" + file;
}

// Builds the slide with its picture layer; the picture's bytes go into the
// manager's byte cache, from where the layer's Write marks them for saving.
bool ComposeSlide(const SlideDescription& description, const std::string& pictureFolder,
                  DS_DocResManager& manager, DS_SlideShow_Light& root, std::string& error)
{
    auto slide = std::make_unique<DS_SlideContainer>();
    slide->name.StoreValue(Widen(description.name));
    slide->fadeIn.StoreValue(description.timing.fadeIn);
    slide->show.StoreValue(description.timing.show);
    slide->fadeOut.StoreValue(description.timing.fadeOut);

    auto light = std::make_unique<DS_2D_Light>();
    light->Camera().enabled = description.cameraDrift ? 1 : 0;
    if (!description.picture.empty()) {
        const std::string file = InFolder(pictureFolder, description.picture);
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
    if (argc != 4) return Fail("usage: scene_composer SCENE PICTURE_FOLDER OUTPUT");
    const std::string scenePath = argv[1];
    const std::string pictureFolder = argv[2];
    const std::string outputPath = argv[3];

    std::ifstream sceneFile(scenePath);
    if (!sceneFile) return Fail("cannot open " + scenePath);
    SceneDescription scene;
    std::string error;
    if (!ParseScene(sceneFile, scene, error)) return Fail(scenePath + ": " + error);

    RegisterSceneClasses();
    // No device: the composer only stores bytes and never makes textures.
    DS_DocResManager manager(nullptr);
    SetCurrentDocResManager(&manager);
    DS_SlideShow_Light root;
    for (const SlideDescription& slide : scene.slides) {
        if (!ComposeSlide(slide, pictureFolder, manager, root, error)) return Fail(error);
    }
    for (const std::string& audio : scene.audioFiles) {
        if (!ComposeAudio(audio, pictureFolder, root, error)) return Fail(error);
    }

    DS_IOF_W writer;
    DS_IOF_Archive archive;
    archive.archive = &writer;
    archive.classes = &SceneClasses();
    writer.WriteString(kDocumentHeader);
    root.Write(&archive);
    manager.Write(&archive);
    SetCurrentDocResManager(nullptr);

    std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
    const std::vector<uint8_t>& bytes = writer.Bytes();
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::remove(outputPath.c_str());
        return Fail("cannot write " + outputPath);
    }
    return 0;
}
