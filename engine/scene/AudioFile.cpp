#include "engine/scene/AudioFile.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>

namespace {

// Closes a file handle when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle()
    {
        if (Valid()) CloseHandle(handle_);
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// Writes bytes to path, replacing a file of that name. A failed write
// removes the partial file.
bool WriteWholeFile(const ds_string& path, const std::vector<uint8_t>& bytes)
{
    bool written = false;
    {
        FileHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return false;
        written = true;
        size_t offset = 0;
        while (offset < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - offset, 1u << 20));
            DWORD done = 0;
            if (!WriteFile(file.Get(), bytes.data() + offset, chunk, &done, nullptr) || done != chunk) {
                written = false;
                break;
            }
            offset += chunk;
        }
    }
    if (!written) DeleteFileW(path.c_str());
    return written;
}

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
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return false;
    return ExtractTo(ds_string(folder, length));
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
    const ds_string copy = folder + part;
    if (!WriteWholeFile(copy, file.data)) return false;
    // The bytes stay in memory; the copy stays on disk after the process ends.
    file.name = copy;
    return true;
}
