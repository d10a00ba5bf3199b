// Helpers of the resource-manager tests: fixture files, a module folder
// without "common_res.dll", and effect bytes from the build.
#pragma once

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/archive/IOF_Virtual.h"
#include "unit/BuildFiles.h"
#include "unit/D3DTestDevice.h"

inline ResourceBlob NamedBlob(const ds_string& name, std::vector<uint8_t> data)
{
    ResourceBlob blob;
    blob.name = name;
    blob.data = std::move(data);
    return blob;
}

inline ResourceBlob LibraryBlob(const ds_string& module, int32_t id, std::vector<uint8_t> data = {})
{
    ResourceBlob blob;
    blob.module = module;
    blob.id = id;
    blob.data = std::move(data);
    return blob;
}

// An empty folder in the temporary folder, removed with the object: a module
// folder in which "common_res.dll" is missing.
class EmptyModuleFolder {
public:
    EmptyModuleFolder()
    {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"corvalline_docres_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~EmptyModuleFolder() { RemoveDirectoryW(path_.c_str()); }
    EmptyModuleFolder(const EmptyModuleFolder&) = delete;
    EmptyModuleFolder& operator=(const EmptyModuleFolder&) = delete;

    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};
