#include "engine/scene/SlideShow.h"

#include "engine/archive/SceneDocument.h"
#include "engine/resources/CurrentScene.h"

namespace {

// An int count, then that many records appended in stored order. A
// negative count or a record that cannot be read fails the archive.
template <class T, class ReadOne>
bool ReadCountedRecords(DS_IOF_Archive* ar, std::vector<CountedPtr<T>>& list, ReadOne readOne)
{
    int32_t count = 0;
    ar->archive->ReadInt(count);
    if (count < 0) ar->Fail();
    for (int32_t i = 0; i < count && !ar->Failed(); ++i) {
        std::unique_ptr<T> record = readOne(ar);
        if (!record) {
            ar->Fail();
            return false;
        }
        list.push_back(CountedPtr<T>(record.release()));
    }
    return !ar->Failed();
}

}  // namespace

DS_SlideShow_Light::~DS_SlideShow_Light()
{
    overlay_.reset();
    audioFiles_.clear();
    slides_.clear();
    current_ = CountedPtr<DS_SlideContainer>();
}

void DS_SlideShow_Light::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_SlideShow_Light::WriteBody(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteSlides(ar);
    WriteAudioFiles(ar);
}

void DS_SlideShow_Light::WriteSlides(DS_IOF_Archive* ar)
{
    ar->archive->WriteInt(static_cast<int32_t>(slides_.size()));
    for (const auto& slide : slides_) slide->WriteBody(ar);
}

void DS_SlideShow_Light::WriteAudioFiles(DS_IOF_Archive* ar)
{
    ar->archive->WriteInt(static_cast<int32_t>(audioFiles_.size()));
    for (const auto& audio : audioFiles_) audio->WriteBody(ar);
}

bool DS_SlideShow_Light::ReadBody(DS_IOF_Archive* ar, int32_t version)
{
    // One version exists; the header's version is not looked at.
    (void)version;
    if (!ReadSlides(ar) || !ReadAudioFiles(ar)) return false;
    // The first frame move needs a first slide.
    if (slides_.empty()) {
        ar->Fail();
        return false;
    }
    return true;
}

bool DS_SlideShow_Light::ReadSlides(DS_IOF_Archive* ar)
{
    // A slide that cannot be read, or has no picture layer, leaves no empty
    // entry: the document is refused.
    return ReadCountedRecords(ar, slides_, [](DS_IOF_Archive* in) {
        std::unique_ptr<DS_SlideContainer> slide = DS_SlideContainer::ReadAny(in);
        if (slide && !slide->GetLight()) slide.reset();
        return slide;
    });
}

bool DS_SlideShow_Light::ReadAudioFiles(DS_IOF_Archive* ar)
{
    return ReadCountedRecords(ar, audioFiles_, DS_AudioFile::ReadRecord);
}

void DS_SlideShow_Light::BuildObjects()
{
    for (const auto& slide : slides_) slide->BuildObjects();
}

void DS_SlideShow_Light::SetPicturePosition(int32_t mode)
{
    for (const auto& slide : slides_) slide->SetPicturePosition(mode);
}

void DS_SlideShow_Light::ExtractAudioFiles()
{
    std::vector<CountedPtr<DS_AudioFile>> playable;
    for (const auto& audio : audioFiles_) {
        if (audio->ExtractToTemp()) playable.push_back(audio);
    }
    audioFiles_ = std::move(playable);
}

int32_t DS_SlideShow_Light::FrameMove(float t)
{
    if (slides_.empty()) return 0;
    // The list keeps its storage from frame to frame: no allocation per frame.
    timings_.clear();
    for (const auto& slide : slides_) timings_.push_back(slide->Timing());

    const SlideSchedule::Step step = schedule_.Advance(t, timings_);
    if (step.started || !current_) {
        current_ = slides_[schedule_.Current()];
        ActivateSlide();
    } else if (step.switched) {
        current_->SetSoundsActive(false);
        current_ = slides_[schedule_.Current()];
        ActivateSlide();
    }
    if (!overlay_) {
        ScreenQuad quad;
        GetScreenRect(quad);
        auto overlay = std::make_unique<DS_SimpleMesh<TP>>();
        IDirect3DDevice9* device = CurrentDevice();
        // Black and fully transparent (a dynamic buffer starts zeroed);
        // without a device there is no overlay to draw.
        if (device != nullptr && SUCCEEDED(overlay->CreateDynamicBuffer(device)) && overlay->WritePositions(quad)) {
            overlay_ = std::move(overlay);
            overlayWrittenAlpha_ = 0.0f;
        }
    }
    overlayAlpha_ = step.alpha;
    // The buffer is written only when the opacity changes (while a slide
    // fades); it is dynamic, so that a fading frame does not wait for the
    // frames in flight (see DS_SimpleMesh::CreateDynamicBuffer).
    if (overlay_ && !step.started && overlayAlpha_ != overlayWrittenAlpha_ && overlay_->SetAlpha(overlayAlpha_)) {
        overlayWrittenAlpha_ = overlayAlpha_;
    }
    current_->FrameMove(t);
    return 0;
}

void DS_SlideShow_Light::ActivateSlide()
{
    if (!current_) return;
    IDirect3DDevice9* device = CurrentDevice();
    if (device != nullptr) {
        ComPtr<IDirect3DSurface9> backBuffer;
        D3DSURFACE_DESC desc = {};
        if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.ReleaseAndGetAddressOf())) &&
            SUCCEEDED(backBuffer->GetDesc(&desc)) && desc.Width != 0) {
            current_->ResizeLight(static_cast<int32_t>(desc.Width), static_cast<int32_t>(desc.Height));
        }
    }
    CountedPtr<DS_2D_Light> light = current_->GetLight();
    if (light) light->ResetCamera();
    current_->ResetObjects();
    current_->SetSoundsActive(true);
}

void DS_SlideShow_Light::Render(bool noClear)
{
    if (!current_) return;
    current_->Render(noClear);
    current_->DrawBorders(noClear);
    CountedPtr<DS_2D_Light> light = current_->GetLight();
    if (overlay_ && light) light->DrawScreenVertices(overlay_.get());
}

int32_t DS_SlideShow_Light::InvalidateDeviceObjects()
{
    // The overlay's dynamic buffer lives in the default pool; the next
    // frame move makes it again.
    overlay_.reset();
    for (const auto& slide : slides_) slide->InvalidateDeviceObjects();
    return 0;
}

int32_t DS_SlideShow_Light::RestoreDeviceObjects()
{
    if (current_) {
        CountedPtr<DS_2D_Light> light = current_->GetLight();
        if (light) light->ResetDeviceState();
    }
    return 0;
}

void DS_SlideShow_Light::GetScreenRect(ScreenQuad& quad) const
{
    quad.FullBackBuffer(CurrentDevice());
}

void SlideShowContent::ReadRoot(DS_IOF_Archive* ar, int32_t version)
{
    auto root = std::make_unique<DS_SlideShow_Light>();
    if (!root->ReadBody(ar, version)) {
        ar->Fail();
        return;
    }
    root_ = std::move(root);
}

HRESULT ReadSlideShowDocument(const uint8_t* bytes, size_t size, const SceneClassRegistry& classes,
                              SlideShowDocument& document)
{
    SlideShowContent content;
    const HRESULT hr = ReadSceneDocument(bytes, size, classes, content);
    if (FAILED(hr)) return hr;
    if (!content.Root() || !content.Manager()) return kErrSceneDocument;
    document.root = std::move(content.Root());
    document.manager = std::move(content.Manager());
    return S_OK;
}

HRESULT LoadSlideShowDocument(SlideShowDocument& document, HMODULE module)
{
    SlideShowContent content;
    const HRESULT hr = LoadSceneDocumentAndManager(content, module);
    if (FAILED(hr)) return hr;
    if (!content.Root()) {
        SetCurrentDocResManager(nullptr);
        return kErrSceneDocument;
    }
    document.root = std::move(content.Root());
    document.manager = std::move(content.Manager());
    return S_OK;
}
