#include "tools/composer/UnderwaterLight.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <sstream>

#include "tools/composer/ComposerFiles.h"

namespace {

// The compiled effect numbered like the library's resource (NNN_name.fxo)
// in the effect folder; empty when there is none.
std::string EffectFileByNumber(const std::string& folder, int64_t number)
{
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "%03lld_", static_cast<long long>(number));
    WIN32_FIND_DATAA found = {};
    const std::string pattern = InFolder(folder, std::string(prefix) + "*.fxo");
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::string();
    FindClose(search);
    return InFolder(folder, found.cFileName);
}

}  // namespace

bool ApplyUnderwaterStatement(FakeUndervater& light, const std::string& keyword, const std::string& rest,
                              std::string& error)
{
    DS_UnderwaterFX& wobble = light.Underwater();
    UINTSclaleTo<float>* target = nullptr;
    if (keyword == "amplitude") target = &wobble.amplitude;
    if (keyword == "wavelength") target = &wobble.wavelength;
    if (keyword == "speed") target = &wobble.speed;
    if (!target) {
        error = "unknown statement '" + keyword + "'";
        return false;
    }
    std::istringstream in(rest);
    long long value = -1;
    std::string extra;
    if (!(in >> value) || (in >> extra) || value < 0 || value > UINT32_MAX) {
        error = "'" + keyword + " " + rest + "' does not fit this light";
        return false;
    }
    // With notification, so the derived values follow.
    target->SetValue(static_cast<unsigned>(value));
    return true;
}

bool StoreUnderwaterResources(const FakeUndervater& light, const BrushFolders& folders, DS_DocResManager& manager,
                              std::string& error)
{
    const FileLinkValue& link = light.Underwater().effectLink.GetValue();
    const std::string file = EffectFileByNumber(folders.effects, link.stamp);
    ResourceBlob effect;
    if (file.empty() || !ReadWholeFile(file, effect.data) || effect.data.empty()) {
        error = "no compiled effect " + std::to_string(link.stamp) + " in " + folders.effects;
        return false;
    }
    effect.module = link.path;
    effect.id = static_cast<int32_t>(link.stamp);
    manager.Store().linkedFiles[link] = {effect};
    return true;
}
