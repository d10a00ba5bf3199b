#include "engine/render/ViewMetrics.h"

#include "engine/render/RenderContext.h"
#include "engine/resources/CurrentScene.h"

namespace {

// Where value lies between low and high, as a share of size (0 when the
// span is empty).
float Share(float value, float low, float high, float size)
{
    const float span = high - low;
    return span != 0.0f ? size * (value - low) / span : 0.0f;
}

}  // namespace

ViewMetrics& ViewMetrics::Instance()
{
    static ViewMetrics instance;
    return instance;
}

D3DXVECTOR3 ScreenToView(float x, float y, float z)
{
    const ViewMetrics& metrics = ViewMetrics::Instance();
    const ScreenQuad& quad = metrics.fittedQuad;
    D3DXVECTOR3 point(Share(x, quad.corners[0].x, quad.corners[3].x, static_cast<float>(metrics.pictureWidth)),
                      Share(y, quad.corners[1].y, quad.corners[2].y, static_cast<float>(metrics.pictureHeight)), z);
    if (const RenderContext* context = CurrentRenderContext()) {
        point.x = point.x * context->InverseScaleX() - context->OffsetX();
        point.y = point.y * context->InverseScaleY() - context->OffsetY();
    }
    return point;
}

void ViewPointToPicture(float x, float y, float& pictureX, float& pictureY)
{
    const ViewMetrics& metrics = ViewMetrics::Instance();
    const D3DXVECTOR3 point = ScreenToView(x * metrics.backBufferRatioX, y * metrics.backBufferRatioY, 0.0f);
    pictureX = point.x;
    pictureY = point.y;
}
