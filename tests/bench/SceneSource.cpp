#include "bench/SceneSource.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

bool EndsWith(const std::string& text, const char* tail)
{
    const size_t n = std::strlen(tail);
    if (text.size() < n) return false;
    return _stricmp(text.c_str() + text.size() - n, tail) == 0;
}

std::wstring Widen(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<size_t>(n) : 1u, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

}  // namespace

SceneSource::~SceneSource()
{
    if (module_ != nullptr) FreeLibrary(module_);
}

bool SceneSource::Open(const std::string& path)
{
    if (EndsWith(path, ".scr") || EndsWith(path, ".exe") || EndsWith(path, ".dll")) {
        module_ = LoadLibraryExW(Widen(path).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (module_ == nullptr) {
            std::fprintf(stderr, "cannot open %s for its resources\n", path.c_str());
            return false;
        }
        return true;
    }
    std::ifstream file(path, std::ios::binary);
    document_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (document_.empty()) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    return true;
}
