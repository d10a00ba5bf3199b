// Geometry of the error mode's message box: where it starts and how it
// bounces inside its window. The box's state lives in the MonitorRecord.
#pragma once

#include <windows.h>

struct MonitorRecord;

// Places the box when the error mode starts. Filling (the preview): the box
// is the whole bounds and stays still. Otherwise a 300 x 150 box centred in
// the bounds, moving a tenth of the bounds' width and a twentieth of their
// height per second.
void PlaceErrorBox(MonitorRecord& record, const RECT& bounds, bool fill);
// Moves the box by dt seconds, reversing a velocity whose step would pass an
// edge of the bounds. True when the box's integer rectangle moved.
bool MoveErrorBox(MonitorRecord& record, const RECT& bounds, float dt);
// The box truncated to whole pixels; empty before the error mode starts.
RECT ErrorBoxRect(const MonitorRecord& record);
