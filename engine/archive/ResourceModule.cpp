#include "engine/archive/ResourceModule.h"

namespace {

constexpr DWORD kResourceOnly = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE;

bool HasFolder(const ds_string& name)
{
    return name.find_first_of(L"\\/:") != ds_string::npos;
}

}  // namespace

ds_string ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    ds_string folder(path, length);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == ds_string::npos ? ds_string{} : folder.substr(0, slash + 1);
}

HMODULE LoadResourceModule(const ds_string& name, const ds_string& folder)
{
    if (name.empty()) {
        return nullptr;
    }
    if (!HasFolder(name) && !folder.empty()) {
        ds_string local = folder;
        if (local.back() != L'\\' && local.back() != L'/') {
            local += L'\\';
        }
        local += name;
        if (HMODULE module = LoadLibraryExW(local.c_str(), nullptr, kResourceOnly)) {
            return module;
        }
    }
    return LoadLibraryExW(name.c_str(), nullptr, kResourceOnly);
}
