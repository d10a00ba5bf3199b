#include "tools/composer/ComposerFiles.h"

#include <windows.h>

#include <fstream>
#include <iterator>

ds_string Widen(const std::string& text)
{
    if (text.empty()) return ds_string();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return ds_string();
    ds_string wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

ds_string FullPath(const std::string& path)
{
    const ds_string wide = Widen(path);
    wchar_t full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return wide;
    return ds_string(full, length);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string InFolder(const std::string& folder, const std::string& file)
{
    if (folder.empty() || file.empty() || file.find(':') != std::string::npos || file.front() == '/' ||
        file.front() == '\\') {
        return file;
    }
    return folder + "/" + file;
}

bool ReadUnsigned(const std::string& text, unsigned& value)
{
    std::vector<long long> numbers;
    if (!ReadNumbers(text, numbers, 1) || numbers[0] < 0 || numbers[0] > UINT32_MAX) return false;
    value = static_cast<unsigned>(numbers[0]);
    return true;
}

bool ReadColor(const std::string& text, unsigned long& color)
{
    std::istringstream in(text);
    std::string extra;
    return (in >> std::hex >> color) && !(in >> extra) && color <= 0xFFFFFFul;
}
