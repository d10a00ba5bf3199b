#include "engine/render/ViewMetrics.h"

ViewMetrics& ViewMetrics::Instance()
{
    static ViewMetrics instance;
    return instance;
}
