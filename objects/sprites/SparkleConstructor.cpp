#include "objects/sprites/SparkleConstructor.h"

#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/SpriteInstance.h"

DS_SparkleConstructor::DS_SparkleConstructor()
{
    flag = true;
    TimeLine().speedMode = 0;
}

void DS_SparkleConstructor::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    DS_BaseSpriteProp::WriteBody(ar);
}

void DS_SparkleConstructor::InitSprite(SpriteInstance& sprite)
{
    // Draw order: vx, vy, then the point, then the alpha.
    const float vx = RandomRange(-kMaxDrift, kMaxDrift);
    const float vy = RandomRange(-kMaxDrift, kMaxDrift);
    sprite.velocity = D3DXVECTOR3(vx, vy, 0.0f);
    sprite.direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    sprite.position = RandomPoint();
    sprite.alpha = RandomRange(0.0f, 1.0f);
}

void DS_SparkleConstructor::UpdateSprite(SpriteInstance& sprite)
{
    const float step = SpeedStep();
    sprite.position.x += step * sprite.velocity.x;
    sprite.position.y += step * sprite.velocity.y;
    sprite.UpdatePulse(*this, true);
    sprite.PackColor(*this);
    const float d = sprite.scale * static_cast<float>(size.GetValue()) * 0.5f;
    sprite.halfWidth = d * 0.5f + d * 0.5f * sprite.alpha;
    sprite.halfHeight = sprite.alpha * sprite.halfWidth * 0.5f + d * 0.5f;
}
