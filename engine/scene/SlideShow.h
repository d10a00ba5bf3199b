// The root of a scene document: the slides in document order and the music
// files of the background-music playlist. The root shows one slide at a
// time, switches to the next when the current one's fade-in, show and
// fade-out seconds are over, and draws a black overlay over everything whose
// opacity makes every slide fade in from black and out to black.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/archive/IOF_Item.h"
#include "engine/render/Mesh.h"
#include "engine/render/ScreenQuad.h"
#include "engine/render/VertexFormats.h"
#include "engine/scene/AudioFile.h"
#include "engine/scene/SlideContainer.h"
#include "engine/scene/SlideSchedule.h"
#include "engine/resources/DocResManager.h"

class DS_SlideShow_Light : public DS_IOF_Item {
public:
    static constexpr wchar_t kClassName[] = L"DS_SlideShow_Light";
    static constexpr int32_t kVersion = 1;

    DS_SlideShow_Light() = default;
    DS_SlideShow_Light(const DS_SlideShow_Light&) = delete;
    DS_SlideShow_Light& operator=(const DS_SlideShow_Light&) = delete;
    ~DS_SlideShow_Light() override;

    // The whole "DS_SlideShow_Light" record: slides, then audio files.
    void Write(DS_IOF_Archive* ar) override;
    void WriteBody(DS_IOF_Archive* ar);
    void WriteSlides(DS_IOF_Archive* ar);
    void WriteAudioFiles(DS_IOF_Archive* ar);

    // The record's body (the header was read by the document loader). False
    // when it cannot be read or cannot be played: data that runs short, a
    // slide or picture layer that cannot be made, or no slide at all.
    bool ReadBody(DS_IOF_Archive* ar, int32_t version);
    bool ReadSlides(DS_IOF_Archive* ar);
    bool ReadAudioFiles(DS_IOF_Archive* ar);

    // Once after loading: every slide builds its objects.
    void BuildObjects();
    // 0 Stretch, 1 Fit, 2 Fill, for every slide.
    void SetPicturePosition(int32_t mode);
    // Makes every audio file playable (DS_AudioFile::ExtractToTemp) and
    // leaves out of the playlist those that could not be copied.
    void ExtractAudioFiles();

    // Application time t in seconds. The first call makes the first slide
    // current and creates the fade overlay; later calls switch slides and
    // set the overlay's opacity. Then the current slide moves.
    int32_t FrameMove(float t);
    // The current slide, its borders and closing pass, then the fade overlay.
    void Render(bool noClear);
    int32_t InvalidateDeviceObjects();
    int32_t RestoreDeviceObjects();
    // Readies the current slide: size, camera, objects, sounds on.
    void ActivateSlide();
    // A quad covering the back buffer.
    void GetScreenRect(ScreenQuad& quad) const;

    const std::vector<CountedPtr<DS_SlideContainer>>& Slides() const { return slides_; }
    std::vector<CountedPtr<DS_SlideContainer>>& Slides() { return slides_; }
    const std::vector<CountedPtr<DS_AudioFile>>& AudioFiles() const { return audioFiles_; }
    std::vector<CountedPtr<DS_AudioFile>>& AudioFiles() { return audioFiles_; }
    const CountedPtr<DS_SlideContainer>& CurrentSlide() const { return current_; }
    const SlideSchedule& Schedule() const { return schedule_; }
    // The overlay's opacity set by the last frame move.
    float OverlayAlpha() const { return overlayAlpha_; }
    const DS_SimpleMesh<TP>* FadeOverlay() const { return overlay_.get(); }

private:
    CountedPtr<DS_SlideContainer> current_;
    std::vector<CountedPtr<DS_SlideContainer>> slides_;
    std::vector<CountedPtr<DS_AudioFile>> audioFiles_;
    SlideSchedule schedule_;
    float overlayAlpha_ = 0.0f;
    float overlayWrittenAlpha_ = 0.0f;  // the opacity in the overlay's buffer
    std::vector<SlideTiming> timings_;  // FrameMove's list, kept for its storage
    std::unique_ptr<DS_SimpleMesh<TP>> overlay_;
};

// What LoadSlideShowDocument reads a document into: the root and the
// resource manager.
class SlideShowContent : public DocResManagerContent {
public:
    void ReadRoot(DS_IOF_Archive* ar, int32_t version) override;
    std::unique_ptr<DS_SlideShow_Light>& Root() { return root_; }

private:
    std::unique_ptr<DS_SlideShow_Light> root_;
};

// A loaded scene: its root and resource manager.
struct SlideShowDocument {
    std::unique_ptr<DS_SlideShow_Light> root;
    std::unique_ptr<DS_DocResManager> manager;
};

// Reads a document held in memory with the given registries into document
// (left empty on failure). S_OK or kErrSceneDocument; a document without a
// slide, or whose root, slide or picture layer cannot be made, is refused.
HRESULT ReadSlideShowDocument(const uint8_t* bytes, size_t size, const SceneClassRegistry& classes,
                              SlideShowDocument& document);
// Loads resource "DDS" 107 of module (null: the program) with the
// process-wide registries. On success the manager has become the current
// resource manager; the caller keeps it alive while it is current.
HRESULT LoadSlideShowDocument(SlideShowDocument& document, HMODULE module = nullptr);
