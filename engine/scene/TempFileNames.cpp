#include "engine/scene/TempFileNames.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

// Candidates after the name itself: "stem (2).ext" up to this number. A
// folder where that many are held or unwritable gets no file.
constexpr int kMaxNameTries = 100;
constexpr wchar_t kForbidden[] = L"<>:\"/\\|?*";
// Extensions longer than this are no extension worth keeping when a name
// must be shortened.
constexpr size_t kMaxKeptExtension = 16;

bool IsDeviceName(const ds_string& name)
{
    // The part before the first dot, with trailing blanks, names the device.
    ds_string stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
        stem == L"CONOUT$") {
        return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
           stem[3] >= L'0' && stem[3] <= L'9';
}

// "stem (n).ext" for n > 1, shortened so that folder + name fits MAX_PATH.
ds_string Candidate(const ds_string& folder, const ds_string& name, int n)
{
    const size_t dot = name.rfind(L'.');
    ds_string stem = name;
    ds_string extension;
    if (dot != ds_string::npos && dot > 0 && name.size() - dot <= kMaxKeptExtension) {
        stem = name.substr(0, dot);
        extension = name.substr(dot);
    }
    const ds_string suffix = n > 1 ? L" (" + std::to_wstring(n) + L")" : ds_string();
    const size_t room = MAX_PATH - 1;  // characters before the terminator
    const size_t fixed = folder.size() + suffix.size() + extension.size();
    if (fixed >= room) return ds_string();
    if (stem.size() > room - fixed) stem.resize(room - fixed);
    // A cut can leave blanks or dots at the end, which the file system drops.
    while (!stem.empty() && (stem.back() == L' ' || stem.back() == L'.')) stem.pop_back();
    if (stem.empty()) stem = L"_";
    return folder + stem + suffix + extension;
}

bool WriteWholeFile(const ds_string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = true;
    size_t offset = 0;
    while (offset < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - offset, 1u << 20));
        DWORD done = 0;
        if (!WriteFile(file, bytes.data() + offset, chunk, &done, nullptr) || done != chunk) {
            written = false;
            break;
        }
        offset += chunk;
    }
    CloseHandle(file);
    if (!written) DeleteFileW(path.c_str());
    return written;
}

}  // namespace

ds_string TempFileNamePart(const ds_string& storedName, const ds_string& fallback)
{
    const size_t cut = storedName.find_last_of(L"\\/:");
    ds_string part = cut == ds_string::npos ? storedName : storedName.substr(cut + 1);
    for (wchar_t& c : part) {
        if (c < 32 || std::wcschr(kForbidden, c) != nullptr) c = L'_';
    }
    while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.pop_back();
    if (part.empty()) return fallback;
    if (IsDeviceName(part)) part.insert(part.begin(), L'_');
    return part;
}

bool TempFileNames::NoCaseLess::operator()(const ds_string& a, const ds_string& b) const
{
    // File names in the temporary folder compare without case.
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

template <class Make>
ds_string TempFileNames::Place(const ds_string& folder, const ds_string& storedName, const ds_string& fallback,
                               Holder holder, Make make)
{
    if (folder.empty()) return ds_string();
    const ds_string name = TempFileNamePart(storedName, fallback);
    if (name.empty()) return ds_string();
    for (int n = 1; n <= kMaxNameTries; ++n) {
        const ds_string path = Candidate(folder, name, n);
        if (path.empty()) return ds_string();
        const auto found = held_.find(path);
        const bool reusable = found != held_.end() && found->second == Holder::kMusic && holder == Holder::kMusic;
        if (found != held_.end() && !reusable) continue;
        // A name that cannot be written (a folder, a read-only or locked
        // file) is passed over for the next one.
        if (!make(path)) continue;
        held_[path] = holder;
        return path;
    }
    return ds_string();
}

ds_string TempFileNames::Write(const ds_string& folder, const ds_string& storedName, const ds_string& fallback,
                               const std::vector<uint8_t>& bytes, Holder holder)
{
    return Place(folder, storedName, fallback, holder,
                 [&bytes](const ds_string& path) { return WriteWholeFile(path, bytes); });
}

ds_string TempFileNames::Copy(const ds_string& folder, const ds_string& storedName, const ds_string& fallback,
                              const ds_string& source, Holder holder)
{
    return Place(folder, storedName, fallback, holder, [&source](const ds_string& path) {
        return CopyFileW(source.c_str(), path.c_str(), FALSE) != FALSE;
    });
}

void TempFileNames::Delete(const ds_string& path)
{
    const auto found = held_.find(path);
    if (found == held_.end()) return;
    held_.erase(found);
    DeleteFileW(path.c_str());
}

bool TempFileNames::Holds(const ds_string& path) const
{
    return held_.count(path) != 0;
}

ds_string TempFolder()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return ds_string();
    return ds_string(folder, length);
}

TempFileNames& ProcessTempFiles()
{
    static TempFileNames files;
    return files;
}
