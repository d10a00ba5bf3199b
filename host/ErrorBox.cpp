#include "host/ErrorBox.h"

#include "host/D3DScreensaver.h"

namespace {

constexpr float kBoxWidth = 300.0f;
constexpr float kBoxHeight = 150.0f;
constexpr float kWidthsPerSecond = 1.0f / 10.0f;
constexpr float kHeightsPerSecond = 1.0f / 20.0f;

// Reverses the velocity when this step would carry the box past the far edge
// moving forwards or past the near edge moving backwards.
void Bounce(float position, float size, float& velocity, float dt, LONG low, LONG high)
{
    const float step = velocity * dt;
    if ((position + size + step > static_cast<float>(high) && velocity > 0) ||
        (position + step < static_cast<float>(low) && velocity < 0)) {
        velocity = -velocity;
    }
}

}  // namespace

void PlaceErrorBox(MonitorRecord& record, const RECT& bounds, bool fill)
{
    const float width = static_cast<float>(bounds.right - bounds.left);
    const float height = static_cast<float>(bounds.bottom - bounds.top);
    if (fill) {
        record.errorX = 0;
        record.errorY = 0;
        record.errorWidth = width;
        record.errorHeight = height;
        record.errorVelX = record.errorVelY = 0;
        return;
    }
    record.errorWidth = kBoxWidth;
    record.errorHeight = kBoxHeight;
    record.errorX = static_cast<float>(bounds.left) + (width - kBoxWidth) / 2.0f;
    record.errorY = static_cast<float>(bounds.top) + (height - kBoxHeight) / 2.0f;
    record.errorVelX = width * kWidthsPerSecond;
    record.errorVelY = height * kHeightsPerSecond;
}

bool MoveErrorBox(MonitorRecord& record, const RECT& bounds, float dt)
{
    const RECT before = ErrorBoxRect(record);
    Bounce(record.errorX, record.errorWidth, record.errorVelX, dt, bounds.left, bounds.right);
    Bounce(record.errorY, record.errorHeight, record.errorVelY, dt, bounds.top, bounds.bottom);
    record.errorX += record.errorVelX * dt;
    record.errorY += record.errorVelY * dt;
    const RECT after = ErrorBoxRect(record);
    return after.left != before.left || after.top != before.top;
}

RECT ErrorBoxRect(const MonitorRecord& record)
{
    return {static_cast<LONG>(record.errorX), static_cast<LONG>(record.errorY),
            static_cast<LONG>(record.errorX + record.errorWidth),
            static_cast<LONG>(record.errorY + record.errorHeight)};
}
