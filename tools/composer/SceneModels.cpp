#include "tools/composer/SceneModels.h"

#include <sstream>
#include <vector>

#include "engine/resources/DocResManager.h"
#include "objects/3d/Array3DIn2D.h"
#include "objects/3d/ButterflyConstructor.h"
#include "objects/3d/ClockConstructor.h"
#include "tools/composer/ComposerFiles.h"
#include "tools/composer/SceneSprites.h"

namespace {

constexpr const wchar_t* kLibrary = L"common_res.dll";

bool Fail(std::string& error, const std::string& what)
{
    error = what;
    return false;
}

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

bool ReadFile(const std::string& folder, const std::string& name, ResourceBlob& blob, std::string& error)
{
    const std::string file = InFolder(folder, name);
    if (!ReadWholeFile(file, blob.data) || blob.data.empty()) return Fail(error, "cannot read model file " + file);
    blob.name = FullPath(file);
    return true;
}

// Stores a library mesh under its link, as the library's own resource.
bool StoreLibraryMesh(const FileLinkValue& link, const BrushFolders& folders, DS_DocResManager& manager,
                      std::string& error)
{
    if (link.path != kLibrary) return true;
    const std::string file = LibraryPictureFile(folders.library, link.stamp);
    ResourceBlob blob;
    blob.module = link.path;
    blob.id = static_cast<int32_t>(link.stamp);
    if (file.empty() || !ReadWholeFile(InFolder(folders.library, file), blob.data) || blob.data.empty()) {
        return Fail(error, "no library mesh " + std::to_string(link.stamp) + " in " + folders.library);
    }
    CacheLinkedBytes(manager, link, blob);
    return true;
}

bool StoreLibrary(const std::vector<const DS_FileLink3*>& pictures, const std::vector<const DS_FileLink3*>& meshes,
                  const BrushFolders& folders, DS_DocResManager& manager, std::string& error)
{
    for (const DS_FileLink3* link : pictures) {
        if (!StoreLibraryPicture(link->GetValue(), folders, manager, error)) return false;
    }
    for (const DS_FileLink3* link : meshes) {
        if (!StoreLibraryMesh(link->GetValue(), folders, manager, error)) return false;
    }
    return true;
}

bool ReadCount(const std::vector<std::string>& args, unsigned& value)
{
    std::vector<long long> values;
    if (!ReadWholeArgs(args, 1, 0, DS_3D_Obj_Ctrl::kMaxCount, values)) return false;
    value = static_cast<unsigned>(values[0]);
    return true;
}

bool ApplyObjectSetting(DS_3D_Obj_Ctrl& item, const std::string& key, const std::vector<std::string>& args,
                        std::string& error)
{
    std::vector<long long> values;
    std::vector<float> floats;
    if (ApplyViewSetting(item, key, args, error)) return true;
    if (!error.empty()) return false;
    if (key == "count") {
        unsigned count = 0;
        if (!ReadCount(args, count)) return Fail(error, "count wants 0 to 1000");
        item.count.SetValue(count);
        return true;
    }
    if (key == "size") {
        if (!ReadWholeArgs(args, 1, 0, DS_3D_Obj_Ctrl::kMaxSize, values)) return Fail(error, "size wants pixels");
        item.size.SetValue(static_cast<unsigned>(values[0]));
        return true;
    }
    if (auto* butterfly = dynamic_cast<DS_ButterflyConstructor*>(&item); butterfly && key == "wing-scale") {
        if (!ReadFloatArgs(args, 1, floats)) return Fail(error, "wing-scale wants a number");
        butterfly->wingScale = floats[0];
        return true;
    }
    if (auto* clock = dynamic_cast<DS_ClockConstructor*>(&item); clock && key == "centre") {
        if (!ReadWholeArgs(args, 2, 0, 1 << 20, values)) return Fail(error, "centre wants X Y in picture pixels");
        clock->clockRect.extraX.StoreValue(static_cast<int>(values[0]));
        clock->clockRect.extraY.StoreValue(static_cast<int>(values[1]));
        return true;
    }
    return Fail(error, "unknown statement '" + key + "' for this model");
}

bool ApplyArraySetting(DS_3D_in_2D_array_Constructor& item, const std::string& key,
                       const std::vector<std::string>& args, std::string& error)
{
    if (key == "count") {
        unsigned count = 0;
        if (!ReadCount(args, count)) return Fail(error, "count wants 0 to 1000");
        item.count.SetValue(count);
        return true;
    }
    MediaParamT<unsigned>* value = key == "leaf-size"     ? &item.motion.leafSize
                                   : key == "speed"       ? &item.motion.speed
                                   : key == "swing"       ? &item.motion.swing
                                   : key == "side-change" ? &item.motion.sideChange
                                   : key == "spin"        ? &item.motion.spin
                                                          : nullptr;
    std::vector<long long> values;
    if (value) {
        if (!ReadWholeArgs(args, 1, 0, UINT32_MAX, values)) return Fail(error, key + " wants a whole number");
        value->SetValue(static_cast<unsigned>(values[0]));
        return true;
    }
    if (key == "direction") {
        if (!ReadWholeArgs(args, 1, 0, 359, values)) return Fail(error, "direction wants 0 to 359 degrees");
        item.motion.SetDirection(static_cast<uint32_t>(values[0]));
        return true;
    }
    return Fail(error, "unknown statement '" + key + "' for array");
}

}  // namespace

bool MakeModel(const std::string& kind, ModelDescription& model, std::string& error)
{
    if (kind == "butterfly") {
        model.item = std::make_unique<DS_ButterflyConstructor>();
    } else if (kind == "clock") {
        model.item = std::make_unique<DS_ClockConstructor>();
    } else if (kind == "array") {
        model.item = std::make_unique<DS_3D_in_2D_array_Constructor>();
    } else {
        return Fail(error, "unknown model kind '" + kind + "' (butterfly, clock, array)");
    }
    model.kind = kind;
    return true;
}

bool ApplyModelStatement(ModelDescription& model, const std::string& keyword, const std::string& rest,
                         std::string& error)
{
    error.clear();
    const std::vector<std::string> args = Words(rest);
    if (auto* array = dynamic_cast<DS_3D_in_2D_array_Constructor*>(model.item.get())) {
        if (keyword == "mesh" || keyword == "texture") {
            if (args.size() != 1) return Fail(error, keyword + " needs one file");
            (keyword == "mesh" ? model.mesh : model.texture) = args[0];
            return true;
        }
        return ApplyArraySetting(*array, keyword, args, error);
    }
    auto& item = static_cast<DS_3D_Obj_Ctrl&>(*model.item);
    if (keyword == "wing-picture" && model.kind == "butterfly") {
        if (args.size() != 1) return Fail(error, "wing-picture needs one file");
        model.wingPicture = args[0];
        return true;
    }
    return ApplyObjectSetting(item, keyword, args, error);
}

bool StoreModelResources(ModelDescription& model, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error)
{
    if (auto* array = dynamic_cast<DS_3D_in_2D_array_Constructor*>(model.item.get())) {
        if (!model.mesh.empty() && !ReadFile(folders.pictures, model.mesh, array->mesh, error)) return false;
        if (!model.texture.empty() && !ReadFile(folders.pictures, model.texture, array->texture, error)) return false;
        return true;
    }
    if (auto* butterfly = dynamic_cast<DS_ButterflyConstructor*>(model.item.get())) {
        if (!model.wingPicture.empty()) {
            ResourceBlob blob;
            if (!ReadFile(folders.pictures, model.wingPicture, blob, error)) return false;
            std::unique_ptr<DS_ImageFileLink> link;
            manager.MakeSequenceLink(link, {blob}, {});
            manager.MarkForSave(*link);
            butterfly->imageLink.SetValue(link->GetValue());
        }
        return StoreLibrary({&butterfly->bodyImageLink, &butterfly->imageLink},
                            {&butterfly->bodyMeshLink, &butterfly->meshLink}, folders, manager, error);
    }
    if (auto* clock = dynamic_cast<DS_ClockConstructor*>(model.item.get())) {
        return StoreLibrary({&clock->imageLink, &clock->handsImageLink}, {&clock->meshLink}, folders, manager, error);
    }
    return true;
}
