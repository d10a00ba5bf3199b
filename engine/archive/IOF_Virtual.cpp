#include "engine/archive/IOF_Virtual.h"

#include <windows.h>

#include "engine/archive/ResourceBuffer.h"

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
    // The module stays loaded for the life of the process: other blobs and
    // the texture loader keep finding resources in it.
    HMODULE handle = module.empty() ? nullptr : LoadLibraryW(module.c_str());
    ResourceBuffer resource;
    if (!ResourceBuffer::FromModule(handle, id, kModuleResourceType, resource)) return false;
    data.assign(resource.Cursor(), resource.Cursor() + resource.Remaining());
    return true;
}
