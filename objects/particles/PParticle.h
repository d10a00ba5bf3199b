// Particles with five float channels whose behaviour is composed from small
// process objects, and the process kinds. Each frame every process of a
// particle is applied with the frame's time step; the particle lives while
// every process says it is alive. Generators keep particles by value and
// choose which processes a new particle gets.
#pragma once

#include <d3dx9math.h>

#include <cstddef>
#include <cstdint>

#include "engine/params/UINTSclaleTo.h"

class MediaQuad;
class PParticle;

// Abstract process. Virtual slots in order: destructor, Apply, Clone.
//
// Processes are made and dropped with every trail particle and glint
// restart, so they come from recycled fixed-size blocks instead of the heap:
// in a steady frame no allocation happens.
class PProcess {
public:
    // Largest process kind the recycled blocks hold; a larger one (none of
    // the kinds here) goes to the heap.
    static constexpr size_t kBlockSize = 64;
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size);

    virtual ~PProcess() = default;
    // Advances the particle by dt seconds; false when the particle ends.
    virtual bool Apply(float dt, PParticle& particle) = 0;
    // A new process of the same kind with every field, running state included.
    virtual PProcess* Clone() const = 0;
};

class PParticle {
public:
    // Most processes one particle holds (the kinds give at most four).
    static constexpr size_t kMaxProcesses = 8;

    // Channel indices.
    static constexpr int kLife = 0;   // 0..1 phase, starts at 0
    static constexpr int kSize = 1;   // factor, starts at 1
    static constexpr int kAlpha = 2;  // factor, starts at 1
    static constexpr int kAge = 3;    // seconds, starts at 0
    static constexpr int kAngle = 4;  // radians, starts at 0
    static constexpr int kChannelCount = 5;

    PParticle() : PParticle(0.0f, 0.0f, 0.0f) {}
    // Position and start position at the point, default channels, no processes.
    PParticle(float x, float y, float z);
    // Deep copy: positions, channels and a clone of every process, in order.
    PParticle(const PParticle& other);
    PParticle& operator=(const PParticle& other);
    // Moving hands the processes over without cloning them.
    PParticle(PParticle&& other) noexcept;
    PParticle& operator=(PParticle&& other) noexcept;
    ~PParticle() { ClearProcesses(); }

    // Applies every process in list order, always all of them (a dying
    // particle still moves in its last frame); true only if every one
    // returned true.
    bool Apply(float dt);
    // Start position := position (after a trail emission).
    void RememberPosition() { startPosition = position; }
    // Deletes every process.
    void ClearProcesses();
    // Takes ownership of process. A null process is ignored; one past
    // kMaxProcesses is deleted and false returned.
    bool AddProcess(PProcess* process);
    size_t ProcessCount() const { return processCount_; }
    PProcess* Process(size_t i) const { return i < processCount_ ? processes_[i] : nullptr; }

    float& Channel(int c) { return channels[c]; }

    D3DXVECTOR3 position;
    D3DXVECTOR3 startPosition;
    float channels[kChannelCount];

private:
    // Kept in the particle itself, so a particle list needs no allocation
    // per particle.
    PProcess* processes_[kMaxProcesses] = {};
    size_t processCount_ = 0;
};

// Life += rate x dt; alive while life < 1.
class PLifeConst : public PProcess {
public:
    explicit PLifeConst(float rate) : rate(rate) {}
    bool Apply(float dt, PParticle& particle) override;
    PProcess* Clone() const override { return new PLifeConst(*this); }
    float rate;
};

// Age += dt; alive while age < maximum age.
class PAgeConst : public PProcess {
public:
    explicit PAgeConst(float maxAge) : maxAge(maxAge) {}
    bool Apply(float dt, PParticle& particle) override;
    PProcess* Clone() const override { return new PAgeConst(*this); }
    float maxAge;
};

// Adds amount to a channel, spread linearly over the age window
// [start, end]; the channel has received exactly the amount once the age
// reaches end. Start and the remaining amount advance as it runs.
class PFade : public PProcess {
public:
    PFade(int channel, float start, float end, float amount) : channel(channel), start(start), end(end), amount(amount)
    {
    }
    bool Apply(float dt, PParticle& particle) override;
    PProcess* Clone() const override { return new PFade(*this); }
    int channel;
    float start;
    float end;
    float amount;  // what is still to be added
};

// While from < life < to: channel += rate x dt.
class PSteady : public PProcess {
public:
    PSteady(int channel, float from, float to, float rate) : channel(channel), from(from), to(to), rate(rate) {}
    bool Apply(float dt, PParticle& particle) override;
    PProcess* Clone() const override { return new PSteady(*this); }
    int channel;
    float from;
    float to;
    float rate;
};

// Keeps a channel at its base for 0.2 to 2.5 s at a time and now and then
// raises it for 0.2 s to up to 1.5 times the base.
class PTwinkle : public PProcess {
public:
    PTwinkle(int channel, float timer, float base, float nextSwitch)
        : channel(channel), timer(timer), base(base), nextSwitch(nextSwitch)
    {
    }
    // Draws (only when the switch is due): rand() mod 3, then one RandomRange.
    bool Apply(float dt, PParticle& particle) override;
    PProcess* Clone() const override { return new PTwinkle(*this); }
    int channel;
    float timer;
    float base;
    float nextSwitch;
};

// Constant acceleration motion.
class PKinetic : public PProcess {
public:
    PKinetic(const D3DXVECTOR3& velocity, const D3DXVECTOR3& acceleration)
        : velocity(velocity), acceleration(acceleration)
    {
    }
    bool Apply(float dt, PParticle& particle) override;
    PProcess* Clone() const override { return new PKinetic(*this); }
    D3DXVECTOR3 velocity;
    D3DXVECTOR3 acceleration;
};

// Angle += angular speed x dt (radians per second).
class PSpin : public PProcess {
public:
    explicit PSpin(float speed) : speed(speed) {}
    bool Apply(float dt, PParticle& particle) override;
    PProcess* Clone() const override { return new PSpin(*this); }
    float speed;
};

// What a wandering particle's owner shares with all its PBrownian
// processes; read afresh at every step. The owner keeps the block and the
// parameters it refers to alive for as long as its particles exist.
struct BrownianSteering {
    const MediaQuad* rect = nullptr;                 // corner 0 minimum, corner 3 maximum
    const UINTSclaleTo<float>* speed = nullptr;      // speed factor
    const UINTSclaleTo<float>* period = nullptr;     // wander period P
    const UINTSclaleTo<float>* steerTime = nullptr;  // steering time T
};

// A particle that wanders inside its owner's rectangle.
class PBrownian : public PProcess {
public:
    // Draws three numbers: wander velocity y, then x, then the wander timer.
    explicit PBrownian(const BrownianSteering& steering);
    // Draws two numbers (x, then y) whenever a new wander target is due.
    bool Apply(float dt, PParticle& particle) override;
    PProcess* Clone() const override { return new PBrownian(*this); }
    // Steers the wander velocity to target within the steering time T; with
    // T <= 0 the velocity takes the target at once.
    void AimAt(const D3DXVECTOR3& target);
    // Aims at speed 100 towards the centre of the rectangle (a particle at
    // the centre gets target 0).
    void AimAtCentre(const D3DXVECTOR3& position);

    const BrownianSteering* steering;  // not owned
    D3DXVECTOR3 wanderVelocity;
    D3DXVECTOR3 steerAcceleration;
    float steerTimer;
    float wanderTimer;
    uint8_t inside;
};
