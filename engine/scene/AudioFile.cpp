#include "engine/scene/AudioFile.h"

#include <windows.h>
#include <shlwapi.h>

#include "engine/scene/TempFileNames.h"

namespace {

// A folder is no music file: a name such as "C:\\music\\.." must not
// count as present.
bool IsExistingFile(const ds_string& name)
{
    if (name.empty() || !PathFileExistsW(name.c_str())) return false;
    const DWORD attributes = GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

void DS_AudioFile::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_AudioFile::WriteBody(DS_IOF_Archive* ar) const
{
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteString(path);
    ar->archive->WriteEmbeddedFile(file);
}

std::unique_ptr<DS_AudioFile> DS_AudioFile::ReadRecord(DS_IOF_Archive* ar)
{
    ReadRecordHeader(ar);
    auto audio = std::make_unique<DS_AudioFile>();
    ar->archive->ReadString(audio->path);
    ar->archive->ReadEmbeddedFile(audio->file);
    if (ar->Failed()) return nullptr;
    return audio;
}

ds_string SafeFileNamePart(const ds_string& name)
{
    const size_t slash = name.find_last_of(L"\\/");
    ds_string part = slash == ds_string::npos ? name : name.substr(slash + 1);
    if (part.empty() || part == L"." || part == L".." || part.find(L':') != ds_string::npos) {
        return ds_string();
    }
    return part;
}

bool DS_AudioFile::ExtractToTemp()
{
    if (file.data.empty()) return true;
    const ds_string folder = TempFolder();
    if (folder.empty()) return false;
    return ExtractTo(folder);
}

bool DS_AudioFile::ExtractTo(const ds_string& folder)
{
    if (file.data.empty()) return true;
    if (IsExistingFile(file.name)) {
        file.data.clear();
        file.data.shrink_to_fit();
        return true;
    }
    const ds_string part = SafeFileNamePart(file.name);
    if (part.empty()) return false;
    // A name that a sound item's file holds gets a number added instead of
    // overwriting that file.
    const ds_string copy = ProcessTempFiles().Write(folder, part, ds_string(), file.data, TempFileNames::Holder::kMusic);
    if (copy.empty()) return false;
    // The bytes stay in memory; the copy stays on disk after the process ends.
    file.name = copy;
    return true;
}
