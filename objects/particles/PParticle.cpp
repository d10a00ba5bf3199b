#include "objects/particles/PParticle.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "engine/params/MediaQuad.h"
#include "engine/params/Random.h"

namespace {

static_assert(sizeof(PBrownian) <= PProcess::kBlockSize, "the largest process must fit a recycled block");
static_assert(sizeof(PFade) <= PProcess::kBlockSize && sizeof(PTwinkle) <= PProcess::kBlockSize &&
                  sizeof(PKinetic) <= PProcess::kBlockSize,
              "every process kind must fit a recycled block");

// The recycled blocks of every process. Process-wide because processes are
// made by plain new wherever a kind builds a particle (generators, their
// copies, tests) and may move between lists of different generators; the
// scene runs on one thread, so it needs no lock. Blocks return to the free
// list, never to the heap: the storage holds the largest number of processes
// alive at once. It is never destroyed, so a process deleted during static
// destruction still finds it.
class ProcessBlocks {
public:
    static ProcessBlocks& Get()
    {
        static ProcessBlocks* blocks = new ProcessBlocks;
        return *blocks;
    }

    void* Take()
    {
        if (!free_) Grow();
        Block* block = free_;
        free_ = block->next;
        return block;
    }

    void Give(void* memory)
    {
        auto* block = static_cast<Block*>(memory);
        block->next = free_;
        free_ = block;
    }

private:
    union Block {
        Block* next;
        alignas(8) unsigned char bytes[PProcess::kBlockSize];
    };
    static constexpr size_t kChunkBlocks = 1024;

    void Grow()
    {
        chunks_.emplace_back(new Block[kChunkBlocks]);
        Block* chunk = chunks_.back().get();
        for (size_t i = 0; i < kChunkBlocks; ++i) Give(&chunk[i]);
    }

    Block* free_ = nullptr;
    std::vector<std::unique_ptr<Block[]>> chunks_;
};

constexpr float kRandScale = 1.0f / static_cast<float>(kRandMax);

float DerivedOrZero(const UINTSclaleTo<float>* param)
{
    return param ? param->GetDerived() : 0.0f;
}

}  // namespace

PParticle::PParticle(float x, float y, float z)
    : position(x, y, z), startPosition(x, y, z), channels{0.0f, 1.0f, 1.0f, 0.0f, 0.0f}
{
}

void* PProcess::operator new(size_t size)
{
    if (size > kBlockSize) return ::operator new(size);
    return ProcessBlocks::Get().Take();
}

void PProcess::operator delete(void* block, size_t size)
{
    if (!block) return;
    // The virtual destructor passes the size of the kind that was made.
    if (size > kBlockSize) {
        ::operator delete(block);
        return;
    }
    ProcessBlocks::Get().Give(block);
}

PParticle::PParticle(const PParticle& other) : position(other.position), startPosition(other.startPosition)
{
    for (int c = 0; c < kChannelCount; ++c) channels[c] = other.channels[c];
    for (size_t i = 0; i < other.processCount_; ++i) processes_[i] = other.processes_[i]->Clone();
    processCount_ = other.processCount_;
}

PParticle::PParticle(PParticle&& other) noexcept : position(other.position), startPosition(other.startPosition)
{
    for (int c = 0; c < kChannelCount; ++c) channels[c] = other.channels[c];
    for (size_t i = 0; i < other.processCount_; ++i) processes_[i] = other.processes_[i];
    processCount_ = other.processCount_;
    other.processCount_ = 0;
}

PParticle& PParticle::operator=(const PParticle& other)
{
    if (this != &other) {
        PParticle copy(other);
        *this = std::move(copy);
    }
    return *this;
}

PParticle& PParticle::operator=(PParticle&& other) noexcept
{
    if (this == &other) return *this;
    ClearProcesses();
    position = other.position;
    startPosition = other.startPosition;
    for (int c = 0; c < kChannelCount; ++c) channels[c] = other.channels[c];
    for (size_t i = 0; i < other.processCount_; ++i) processes_[i] = other.processes_[i];
    processCount_ = other.processCount_;
    other.processCount_ = 0;
    return *this;
}

void PParticle::ClearProcesses()
{
    for (size_t i = 0; i < processCount_; ++i) delete processes_[i];
    processCount_ = 0;
}

bool PParticle::Apply(float dt)
{
    bool alive = true;
    for (size_t i = 0; i < processCount_; ++i) {
        if (!processes_[i]->Apply(dt, *this)) alive = false;
    }
    return alive;
}

bool PParticle::AddProcess(PProcess* process)
{
    if (!process) return true;
    if (processCount_ >= kMaxProcesses) {
        delete process;
        return false;
    }
    processes_[processCount_++] = process;
    return true;
}

bool PLifeConst::Apply(float dt, PParticle& particle)
{
    float& life = particle.channels[PParticle::kLife];
    life += rate * dt;
    return life < 1.0f;
}

bool PAgeConst::Apply(float dt, PParticle& particle)
{
    float& age = particle.channels[PParticle::kAge];
    age += dt;
    return age < maxAge;
}

bool PFade::Apply(float, PParticle& particle)
{
    const float age = particle.channels[PParticle::kAge];
    if (amount == 0.0f || age < start) return true;
    float& value = particle.channels[channel];
    if (age >= end) {
        value += amount;
        amount = 0.0f;
        return true;
    }
    // Remaining amount and remaining window shrink together, so the slope
    // stays amount / (end - start) of the original window.
    const float d = amount * (age - start) / (end - start);
    value += d;
    amount -= d;
    start = age;
    return true;
}

bool PSteady::Apply(float dt, PParticle& particle)
{
    const float life = particle.channels[PParticle::kLife];
    if (from < life && life < to) particle.channels[channel] += rate * dt;
    return true;
}

bool PTwinkle::Apply(float dt, PParticle& particle)
{
    timer += dt;
    if (nextSwitch < timer) {
        // Draw order is fixed: the one-in-three choice, then one range draw.
        if (DS_Rand() % 3 == 0) {
            particle.channels[channel] = base * RandomRange(1.0f, 1.5f);
            nextSwitch = 0.2f;
        } else {
            particle.channels[channel] = base;
            nextSwitch = RandomRange(0.2f, 2.5f);
        }
        timer = 0.0f;
    }
    return true;
}

bool PKinetic::Apply(float dt, PParticle& particle)
{
    particle.position += velocity * dt + (acceleration * 0.5f * dt) * dt;
    velocity += acceleration * dt;
    return true;
}

bool PSpin::Apply(float dt, PParticle& particle)
{
    particle.channels[PParticle::kAngle] += speed * dt;
    return true;
}

PBrownian::PBrownian(const BrownianSteering& steering)
    : steering(&steering), steerAcceleration(0.0f, 0.0f, 0.0f), steerTimer(0.0f), inside(1)
{
    // Draw order is fixed: y, then x, then the wander timer.
    const float y = DS_Rand() * kRandScale * 200.0f - 100.0f;
    const float x = DS_Rand() * kRandScale * 200.0f - 100.0f;
    wanderVelocity = D3DXVECTOR3(x, y, 0.0f);
    wanderTimer = DS_Rand() * kRandScale * 4.0f + 1.0f;
}

bool PBrownian::Apply(float dt, PParticle& particle)
{
    D3DXVECTOR3& p = particle.position;
    if (steering->rect) {
        const D3DXVECTOR3 lo = steering->rect->Corner(0).GetValue();
        const D3DXVECTOR3 hi = steering->rect->Corner(3).GetValue();
        const bool outside = p.y > hi.y || p.y < lo.y || p.x < lo.x || p.x > hi.x;
        if (outside) {
            const bool still =
                steerAcceleration.x == 0.0f && steerAcceleration.y == 0.0f && steerAcceleration.z == 0.0f;
            if (inside || still) AimAtCentre(p);
            inside = 0;
        } else {
            inside = 1;
        }
    }
    wanderTimer -= dt;
    if (wanderTimer < 0.0f) {
        const float period = DerivedOrZero(steering->period);
        wanderTimer = 0.5f * period + DS_Rand() * kRandScale * (1.5f * period - 0.5f * period);
        if (inside) {
            // Draw order is fixed: x, then y.
            const float x = RandomRange(-100.0f, 100.0f);
            const float y = RandomRange(-100.0f, 100.0f);
            AimAt(D3DXVECTOR3(x, y, 0.0f));
        }
    }
    // The steering acts for what is left of its time within this step, so
    // the wander velocity reaches its target even when one step is longer
    // than the whole steering time. (Dropping the acceleration before the
    // move, whenever the timer runs out during the step, never turned a
    // sprite at all once frames were longer than the steering time: a sprite
    // that left its rectangle then flew away for good.)
    const float steered = std::max(0.0f, std::min(dt, steerTimer));
    const D3DXVECTOR3 turn = steerAcceleration;
    steerTimer -= dt;
    if (steerTimer < 0.0f) {
        steerTimer = 0.0f;
        steerAcceleration = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    }
    const float speed = DerivedOrZero(steering->speed);
    p += speed * (wanderVelocity * dt + turn * (steered * (0.5f * steered + (dt - steered))));
    wanderVelocity += turn * steered;
    return true;
}

void PBrownian::AimAt(const D3DXVECTOR3& target)
{
    const float t = DerivedOrZero(steering->steerTime);
    if (!(t > 0.0f)) {
        // No time to steer in: dividing by T would give infinities.
        wanderVelocity = target;
        steerAcceleration = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        steerTimer = 0.0f;
        return;
    }
    steerAcceleration = (target - wanderVelocity) * (1.0f / t);
    steerTimer = t;
}

void PBrownian::AimAtCentre(const D3DXVECTOR3& position)
{
    D3DXVECTOR3 d(0.0f, 0.0f, -position.z);
    if (steering->rect) {
        const D3DXVECTOR3 lo = steering->rect->Corner(0).GetValue();
        const D3DXVECTOR3 hi = steering->rect->Corner(3).GetValue();
        d.x = (lo.x + hi.x) / 2.0f - position.x;
        d.y = (lo.y + hi.y) / 2.0f - position.y;
    }
    // A zero vector stays zero rather than becoming NaN.
    if (D3DXVec3LengthSq(&d) > 0.0f) D3DXVec3Normalize(&d, &d);
    AimAt(d * 100.0f);
}
