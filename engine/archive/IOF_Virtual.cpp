#include "engine/archive/IOF_Virtual.h"

#include <windows.h>

#include "engine/archive/ResourceBuffer.h"
#include "engine/archive/ResourceModule.h"

namespace {

const wchar_t kModuleResourceType[] = L"DDS";

}  // namespace

void ResourceBlob::CopyDataTo(ResourceBlob& other) const
{
    other.name = name;
    other.data = data;
}

void ResourceBlob::SetName(const ds_string& newName)
{
    if (newName == name) return;
    data.clear();
    name = newName;
}

void ResourceBlob::SetData(const uint8_t* bytes, uint32_t size)
{
    if (bytes == nullptr || size == 0) {
        data.clear();
        return;
    }
    data.assign(bytes, bytes + size);
}

bool ResourceBlob::LoadFromModule()
{
    // The module is mapped for its resources only (no code of it runs),
    // looked for in the program's folder first, and stays mapped for the
    // life of the process. A named module that cannot be mapped is missing:
    // its numbers must not find the program's own resources instead.
    HMODULE handle = nullptr;
    if (!module.empty()) {
        handle = LoadResourceModule(module, ProgramFolder());
        if (!handle) return false;
    }
    ResourceBuffer resource;
    if (!ResourceBuffer::FromModule(handle, id, kModuleResourceType, resource)) return false;
    data.assign(resource.Cursor(), resource.Cursor() + resource.Remaining());
    return true;
}
