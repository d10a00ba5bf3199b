#include "tools/composer/ShowParticles.h"

#include <vector>

#include "objects/particles/FallingStars.h"
#include "objects/particles/Firework.h"
#include "tools/composer/ComposerFiles.h"

std::unique_ptr<DS_TexParticleGenerator> MakeShowParticles(const std::string& kind)
{
    if (kind == "DS_FallingStars") return std::make_unique<DS_FallingStars>();
    if (kind == "DS_FireworkSimple") return std::make_unique<DS_FireworkSimple>();
    return nullptr;
}

bool ApplyShowParticlesStatement(DS_TexParticleGenerator& show, const std::string& keyword, const std::string& rest,
                                 bool& ok, std::string& error)
{
    auto* stars = dynamic_cast<DS_FallingStars*>(&show);
    auto* firework = dynamic_cast<DS_Firework*>(&show);
    if (!stars && !firework) return false;
    ok = false;
    std::vector<float> numbers;
    if (keyword == "trails") {
        std::vector<unsigned long long> v;
        if (!ReadNumbers(rest, v, 4)) {
            error = "trails wants LIFE RATE SIZE SPEED";
            return true;
        }
        show.trailsOn.SetValue(1);
        show.trailLife.SetValue(static_cast<unsigned>(v[0]));
        show.trailRate.SetValue(static_cast<unsigned>(v[1]));
        show.trailSize.SetValue(static_cast<unsigned>(v[2]));
        show.trailSpeed.SetValue(static_cast<unsigned>(v[3]));
    } else if (keyword == "rect" && stars) {
        if (!ReadNumbers(rest, numbers, 4)) {
            error = "rect wants LEFT TOP RIGHT BOTTOM";
            return true;
        }
        stars->rectangle.Corner(0).SetValue(D3DXVECTOR3(numbers[0], numbers[1], 0.0f));
        stars->rectangle.Corner(1).SetValue(D3DXVECTOR3(numbers[2], numbers[1], 0.0f));
        stars->rectangle.Corner(2).SetValue(D3DXVECTOR3(numbers[0], numbers[3], 0.0f));
        stars->rectangle.Corner(3).SetValue(D3DXVECTOR3(numbers[2], numbers[3], 0.0f));
    } else if (keyword == "origin" && firework) {
        if (!ReadNumbers(rest, numbers, 2)) {
            error = "origin wants X Y";
            return true;
        }
        firework->origin.SetValue(D3DXVECTOR3(numbers[0], numbers[1], 0.0f));
    } else {
        unsigned value = 0;
        MediaParamT<unsigned>* target = nullptr;
        if (keyword == "speed") target = stars ? &stars->speed : &firework->speed;
        if (keyword == "size") target = stars ? &stars->starSize : &firework->sparkSize;
        if (keyword == "glow") target = stars ? &stars->glowFactor : &firework->glowFactor;
        if (stars) {
            if (keyword == "fall-speed") target = &stars->fallSpeed;
            if (keyword == "rate") target = &stars->starRate;
            if (keyword == "direction") target = &stars->direction;
            if (keyword == "show") target = &stars->showTime;
            if (keyword == "fade-in") target = &stars->fadeInTime;
            if (keyword == "fade-out") target = &stars->fadeOutTime;
        } else {
            if (keyword == "burst") target = &firework->burstCount;
            if (keyword == "burst-speed") target = &firework->burstSpeed;
        }
        if (!target) return false;
        if (!ReadUnsigned(rest, value)) {
            error = keyword + " wants a whole number";
            return true;
        }
        target->SetValue(value);
    }
    ok = true;
    return true;
}
