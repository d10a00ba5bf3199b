#include "engine/resources/CurrentScene.h"

#include "engine/render/RenderContext.h"
#include "engine/resources/DocResManager.h"

namespace {

// Process-wide by design: set when a render unit is made current and read by
// that unit's scene code (see CurrentScene.h). Not owning.
IDirect3DDevice9* gCurrentDevice = nullptr;
DS_DocResManager* gCurrentDocResManager = nullptr;

}  // namespace

IDirect3DDevice9* CurrentDevice()
{
    return gCurrentDevice;
}

void SetCurrentDevice(IDirect3DDevice9* device)
{
    gCurrentDevice = device;
}

// The render context keeps its own current reference, so that making a
// unit's context current also restores that unit's view metrics.
RenderContext* CurrentRenderContext()
{
    return RenderContext::Current();
}

void SetCurrentRenderContext(RenderContext* context)
{
    RenderContext::MakeCurrent(context);
}

DS_DocResManager* CurrentDocResManager()
{
    return gCurrentDocResManager;
}

void SetCurrentDocResManager(DS_DocResManager* manager)
{
    gCurrentDocResManager = manager;
}

TextureLoader* CurrentTextureLoader()
{
    return gCurrentDocResManager ? &gCurrentDocResManager->Loader() : nullptr;
}
