// The process-wide current references of the scene code. Every render unit
// has its own device, 2D camera and resource manager, but the scene code of
// all units runs in one thread and reads these instead of taking them as
// arguments; making a unit current (SelectUnit / ActivateUnitScene) sets
// them before that unit's scene code runs. None of them is owned here: the
// framework owns the devices, the scene slots own the render contexts and
// the managers, and each owner clears its reference before destroying it.
#pragma once

#include <d3d9.h>

class DS_DocResManager;
class RenderContext;
class TextureLoader;

// The Direct3D device of the unit being drawn or loaded; null until set.
IDirect3DDevice9* CurrentDevice();
void SetCurrentDevice(IDirect3DDevice9* device);

// The 2D camera of the current unit; null until set. The reference itself is
// RenderContext::Current (these forward to it, with its view-metrics update).
RenderContext* CurrentRenderContext();
void SetCurrentRenderContext(RenderContext* context);

// The resource manager of the current unit's scene; null until a scene has
// been loaded. Loading a scene document makes its manager current.
DS_DocResManager* CurrentDocResManager();
void SetCurrentDocResManager(DS_DocResManager* manager);

// The texture loader owned by the current manager; null without one.
TextureLoader* CurrentTextureLoader();
