#include "tools/composer/UnderwaterLight.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <sstream>

#include "tools/composer/ComposerFiles.h"

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
    return StoreLibraryEffect(light.Underwater().effectLink.GetValue(), folders, manager, error);
}
