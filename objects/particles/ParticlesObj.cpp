#include "objects/particles/ParticlesObj.h"

#include "engine/resources/CurrentScene.h"
#include "objects/particles/ParticleGenerator.h"

unsigned QuadCapacityFor(unsigned n)
{
    const unsigned cap = DS_ParticlesObj::QuadMesh::kMaxQuads;
    if (n == 0) return 0;
    if (n >= cap) return cap;
    unsigned capacity = 1;
    while (capacity < n) capacity <<= 1;
    return capacity < cap ? capacity : cap;
}

DS_ParticlesObj::DS_ParticlesObj(DS_ParticleGenerator* generator) : DS_ABObj(generator), generator_(generator)
{
    SetEnabled(true);
    if (generator_) generator_->InitObject(this);
}

DS_ParticlesObj::~DS_ParticlesObj()
{
    for (size_t i = 0; i < buffers_.size(); ++i) UnlockBuffer(i);
}

void DS_ParticlesObj::Render(DS_ABRender* service)
{
    if (generator_) generator_->Render(service, this);
}

void DS_ParticlesObj::ForwardInt(int32_t a, int32_t)
{
    if (generator_) generator_->IntHook(a);
}

bool DS_ParticlesObj::NeedsSceneTexture() const
{
    return generator_ && generator_->NeedsSceneTexture();
}

bool DS_ParticlesObj::HitTest(POINT* point)
{
    return generator_ && generator_->HitTest(point);
}

void DS_ParticlesObj::Update(float localTime)
{
    if (generator_) generator_->Update(localTime, this);
}

void DS_ParticlesObj::ReleaseDeviceObjects()
{
    for (size_t i = 0; i < buffers_.size(); ++i) {
        UnlockBuffer(i);
        buffers_[i].ReleaseBuffers();
    }
}

void DS_ParticlesObj::SetBufferCount(size_t count)
{
    for (size_t i = count; i < buffers_.size(); ++i) UnlockBuffer(i);
    buffers_.resize(count);
    locks_.resize(count, nullptr);
    quadCounts_.resize(count, 0);
}

unsigned DS_ParticlesObj::Capacity(size_t i) const
{
    if (i >= buffers_.size() || !buffers_[i].VertexBuffer()) return 0;
    return buffers_[i].TriangleCount() / 2;
}

void DS_ParticlesObj::ReserveQuads(size_t i, unsigned n)
{
    if (i >= buffers_.size()) return;
    if (n > QuadMesh::kMaxQuads) n = QuadMesh::kMaxQuads;
    if (Capacity(i) < n) {
        UnlockBuffer(i);
        buffers_[i].ReleaseBuffers();
        if (FAILED(buffers_[i].CreateQuads(CurrentDevice(), QuadCapacityFor(n), true))) buffers_[i].ReleaseBuffers();
    }
    quadCounts_[i] = Capacity(i) >= n ? n : 0;
}

DX_V::PCT* DS_ParticlesObj::LockBuffer(size_t i)
{
    if (i >= buffers_.size()) return nullptr;
    IDirect3DVertexBuffer9* buffer = buffers_[i].VertexBuffer();
    if (!buffer) return nullptr;
    if (locks_[i]) return locks_[i];
    // Only the quads drawn this frame; 0 locks the whole buffer.
    const UINT bytes = quadCounts_[i] * 4 * DX_V::PCT::kStride;
    void* data = nullptr;
    if (FAILED(buffer->Lock(0, bytes, &data, D3DLOCK_DISCARD)) || !data) return nullptr;
    locks_[i] = static_cast<DX_V::PCT*>(data);
    return locks_[i];
}

void DS_ParticlesObj::UnlockBuffer(size_t i)
{
    if (i >= buffers_.size() || !locks_[i]) return;
    locks_[i] = nullptr;
    if (IDirect3DVertexBuffer9* buffer = buffers_[i].VertexBuffer()) buffer->Unlock();
}
