#include "objects/sprites/ParticleGeomArray.h"

#include <algorithm>
#include <utility>

#include "engine/resources/CurrentScene.h"
#include "engine/scene/BaseSpriteProp.h"

ParticleGeomArray::~ParticleGeomArray()
{
    ReleaseListeners();
    instances_.clear();
}

void ParticleGeomArray::HookCount(MediaParamTB<unsigned>& count)
{
    auto* listener = countListeners_.Add(
        std::make_unique<DS_FunLightCtrl<unsigned, ParticleGeomArray>>(&ParticleGeomArray::SetInstanceCount, this));
    listener->Attach(&count);
    listener->OnChange(nullptr);
}

void ParticleGeomArray::SetInstanceCount(unsigned count)
{
    if (count == 0 || !item_) return;
    count = std::min(count, kMaxQuads);
    this->ReleaseVertices();
    // A failure (no device, out of memory) leaves no buffers: nothing is
    // filled or drawn until the count changes again.
    if (FAILED(this->CreateQuads(CurrentDevice(), count)) || FAILED(MakeVertexBuffer())) this->ReleaseBuffers();
    quadsWritten_ = false;
    instances_.reserve(count);
    while (instances_.size() < count) {
        auto sprite = std::make_unique<SpriteInstance>();
        sprite->Init(*item_);
        sprite->InitPulse(*item_);
        SpriteInstance& placed = *sprite;
        instances_.push_back(std::move(sprite));
        item_->InitSprite(placed);
    }
}

void ParticleGeomArray::Update(float t)
{
    if (!item_) return;
    item_->SmoothSpeed(t);
    item_->animationSpeed.Update(t);
    for (auto& sprite : instances_) item_->UpdateSprite(*sprite);
}

void ParticleGeomArray::SetQuadUV(DX_V::PCT* quad, Range a, Range b)
{
    quad[0].u = a.start;
    quad[0].v = b.end;
    quad[1].u = a.start;
    quad[1].v = b.start;
    quad[2].u = a.end;
    quad[2].v = b.end;
    quad[3].u = a.end;
    quad[3].v = b.start;
}

unsigned ParticleGeomArray::DrawCount() const
{
    if (!item_ || !this->IndexBuffer()) return 0;
    return std::min(item_->GetCount(), this->VertexCount() / 4);
}

HRESULT ParticleGeomArray::MakeVertexBuffer()
{
    IDirect3DDevice9* device = CurrentDevice();
    const UINT quads = this->TriangleCount() / 2;
    this->ReleaseVertices();
    if (!device || !this->IndexBuffer() || quads == 0) return E_FAIL;
    const UINT vertices = 4 * quads;
    const HRESULT hr =
        device->CreateVertexBuffer(vertices * DX_V::PCT::kStride, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                   DX_V::PCT::kFVF, D3DPOOL_DEFAULT, vertexBuffer_.ReleaseAndGetAddressOf(), nullptr);
    if (SUCCEEDED(hr)) vertexCount_ = vertices;
    return hr;
}

void ParticleGeomArray::ReleaseVertexBuffer()
{
    this->ReleaseVertices();
    quadsWritten_ = false;
}

bool ParticleGeomArray::Fill()
{
    if (!item_) return false;
    if (!this->VertexBuffer() && this->IndexBuffer() && FAILED(MakeVertexBuffer())) return false;
    // A count set above the most quads is drawn as the most quads.
    const unsigned count = std::min(item_->count.GetValue(), kMaxQuads);
    if (count == 0 || this->VertexCount() / 4 != count || instances_.size() < count) return false;
    void* data = nullptr;
    if (FAILED(vertexBuffer_->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data) return false;
    auto* vertices = static_cast<DX_V::PCT*>(data);
    const bool mirrorV = item_->mirrorVertically.GetValue() != 0;
    const bool mirrorH = item_->mirrorHorizontally.GetValue() != 0;
    const float frames = static_cast<float>(item_->FrameCount());
    for (unsigned i = 0; i < count; ++i) {
        const SpriteInstance& sprite = *instances_[i];
        const D3DXVECTOR3 c = sprite.GetCorner();
        const D3DXVECTOR3 a = 2.0f * sprite.halfWidth * sprite.firstAxis;
        const D3DXVECTOR3 b = 2.0f * sprite.halfHeight * sprite.secondAxis;
        const D3DXVECTOR3 corners[4] = {c + b, c, c + a + b, c + a};
        const uint32_t colour = item_->ModulateAlpha(sprite.packedColor);
        DX_V::PCT* quad = vertices + 4 * i;
        for (int k = 0; k < 4; ++k) {
            quad[k].x = corners[k].x;
            quad[k].y = corners[k].y;
            quad[k].z = corners[k].z;
            quad[k].color = colour;
        }
        Range rangeB{sprite.vStart, sprite.vEnd};
        if (mirrorV) std::swap(rangeB.start, rangeB.end);
        Range rangeA{sprite.uStart, sprite.uEnd};
        if (item_->sheet) {
            if (i == 0) {
                const float clock = item_->SpeedClock();
                if (1.0f / item_->frameRate < clock - sheetSwitchTime_) {
                    sheetFrame_ = item_->NextFrame(sheetFrame_);
                    sheetSwitchTime_ = clock;
                } else if (sheetSwitchTime_ > clock) {
                    sheetSwitchTime_ = 0.0f;  // the clock was restarted
                }
            }
            rangeA = Range{static_cast<float>(sheetFrame_) / frames, static_cast<float>(sheetFrame_ + 1) / frames};
        }
        if (mirrorH) std::swap(rangeA.start, rangeA.end);
        SetQuadUV(quad, rangeA, rangeB);
    }
    vertexBuffer_->Unlock();
    quadsWritten_ = true;
    return true;
}

template <class Geometry>
void AnimatedTexture<Geometry>::SetFrames(const TextureFrames& set)
{
    frames_ = set;
}

template <class Geometry>
bool AnimatedTexture<Geometry>::AdvanceFrame(float t)
{
    const std::vector<float>& durations = frames_.durations;
    if (durations.empty()) return false;
    if (frameIndex_ < 0 || static_cast<size_t>(frameIndex_) >= durations.size()) frameIndex_ = 0;
    // <= : a frame is left once it has been shown for its whole duration.
    if (durations[frameIndex_] <= t - frameSwitchTime_) {
        frameSwitchTime_ = t;
        frameIndex_ = static_cast<int32_t>((static_cast<size_t>(frameIndex_) + 1) % durations.size());
        return true;
    }
    return false;
}

template <class Geometry>
IDirect3DTexture9* AnimatedTexture<Geometry>::FrameTexture() const
{
    if (frameIndex_ < 0 || static_cast<size_t>(frameIndex_) >= frames_.textures.size()) return nullptr;
    return frames_.textures[frameIndex_].Get();
}

template <class Geometry>
HRESULT AnimatedTexture<Geometry>::BindCurrentFrame(IDirect3DDevice9* device) const
{
    if (!device) return E_POINTER;
    HRESULT hr = device->SetTexture(0, FrameTexture());
    if (SUCCEEDED(hr)) hr = device->SetIndices(this->IndexBuffer());
    if (SUCCEEDED(hr)) hr = this->BindStream(device);
    return hr;
}

template class AnimatedTexture<ParticleGeomArray>;
