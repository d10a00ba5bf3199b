// File links: parameters that name a picture, a compiled effect or a mesh by
// a path and a signed 64-bit stamp. The same pair covers a file on disk
// (path, modification time in seconds since 1970), a numbered resource of a
// module (module name, resource number) and bytes embedded in the document
// (their name, a running number). The pair is the resource manager's key.
#pragma once

#include <cstdint>

#include "engine/params/MediaParam.h"

struct FileLinkValue {
    ds_string path;
    int64_t stamp = 0;

    // True when the paths or the stamps differ.
    bool Differs(const FileLinkValue& other) const { return stamp != other.stamp || path != other.path; }
    bool operator==(const FileLinkValue& other) const { return !Differs(other); }
    bool operator!=(const FileLinkValue& other) const { return Differs(other); }
};

// Key order: paths by UTF-16 code units (case-sensitive, a prefix first),
// then stamps as signed numbers.
struct FileLinkLess {
    bool operator()(const FileLinkValue& a, const FileLinkValue& b) const;
};

// Modification time of a file in seconds since 1970-01-01 UTC; 0 when the
// file cannot be examined.
int64_t FileModificationStamp(const ds_string& path);

class DS_FileLink3 : public MediaParam {
public:
    DS_FileLink3() = default;
    // A file on disk: stamp = its modification time (0 when it cannot be examined).
    explicit DS_FileLink3(const ds_string& path);
    // A module resource: path = module name, stamp = the number widened with its sign.
    DS_FileLink3(int32_t resourceNumber, const ds_string& module);
    explicit DS_FileLink3(const FileLinkValue& value);
    // A blob with an id names its module resource (module, id widened as
    // unsigned); a blob without one gets (name, next running number), so
    // embedded bytes are never shared between links made this way.
    explicit DS_FileLink3(const ResourceBlob& blob);
    // Copies path and stamp, not the listeners.
    DS_FileLink3(const DS_FileLink3& other);
    // Stores path and stamp directly, without notification; keeps this
    // link's own listeners.
    DS_FileLink3& operator=(const DS_FileLink3& other);

    const FileLinkValue& GetValue() const { return value_; }
    ds_string GetPath() const { return value_.path; }
    int64_t GetStamp() const { return value_.stamp; }

    // The setter: stores a changed value and notifies every listener but the
    // sender. Returns whether the value changed.
    bool SetValue(const FileLinkValue& value, MediaControl* sender = nullptr);
    // Stores without notification.
    void StoreValue(const FileLinkValue& value) { value_ = value; }

    // From the path's last '.' to the end, letters A to Z lowered; empty when
    // the path has no '.'.
    ds_string GetExtension() const;

    // Path as string, stamp as int64, no class header. Reading stores both
    // directly, without notification; a failed read keeps what was not read.
    void Read(const DS_IOF_Archive& ar);
    // Before writing, a link with a path copies its entry of the current
    // resource manager's byte cache into the manager's linked-file map, so
    // that effects, meshes and sounds are saved with the document (a picture
    // already marked for saving in the image map is not copied again).
    void Write(const DS_IOF_Archive& ar) const;

private:
    FileLinkValue value_;
};

// Links to compiled effects and to meshes: file links with nothing added.
class DS_HLSLEffectFile : public DS_FileLink3 {
public:
    using DS_FileLink3::DS_FileLink3;
    DS_HLSLEffectFile() = default;
    DS_HLSLEffectFile(const DS_HLSLEffectFile& other) = default;
    DS_HLSLEffectFile& operator=(const DS_HLSLEffectFile& other) = default;
};

class DS_MeshFile : public DS_FileLink3 {
public:
    using DS_FileLink3::DS_FileLink3;
    DS_MeshFile() = default;
    DS_MeshFile(const DS_MeshFile& other) = default;
    DS_MeshFile& operator=(const DS_MeshFile& other) = default;
};

// A link to a picture or a picture sequence, with an undo listener attached
// first. The player offers no file to choose, so Edit changes nothing.
class DS_ImageFileLink : public DS_FileLink3 {
public:
    class UndoImage : public UndoCtrl {
    public:
        explicit UndoImage(DS_ImageFileLink* owner) : owner_(owner) {}
        UndoImage(const UndoImage&) = delete;
        UndoImage& operator=(const UndoImage&) = delete;

        // Caches the link's value when it differs from the cached one.
        void OnChange(MediaControl* sender) override;
        void Detach() override { owner_ = nullptr; }
        void Record() override { history_.Push(cached_); }
        // Write the stepped value into the link and notify the other
        // listeners without comparing first.
        void Undo() override;
        void Redo() override;

        const FileLinkValue& CachedValue() const { return cached_; }
        const UndoHistory<FileLinkValue>& History() const { return history_; }

    private:
        void ApplyCached();

        DS_ImageFileLink* owner_;
        FileLinkValue cached_;
        UndoHistory<FileLinkValue> history_;
    };

    DS_ImageFileLink();
    explicit DS_ImageFileLink(const DS_FileLink3& link);
    DS_ImageFileLink(const DS_ImageFileLink& other);
    DS_ImageFileLink& operator=(const DS_ImageFileLink& other);
    // The undo listener is a member: it leaves the list before the base
    // destructor detaches the remaining listeners.
    ~DS_ImageFileLink() override;

    UndoImage& GetUndoImage() { return undo_; }

private:
    void AttachUndo();

    UndoImage undo_;
};
