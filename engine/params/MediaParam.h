// Observable parameters: a value with an ordered list of listeners that are
// told when the value changes, and the undo listener every MediaParamT carries.
//
// Notification rule: a setter stores a new value only when it differs from the
// current one and then calls OnChange on every listener in the order they
// attached, skipping the sender. An equal value notifies nobody.
#pragma once

#include <windows.h>

#include <d3dx9math.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "engine/archive/IOF_Virtual.h"

class MediaControl;

// Base of every parameter. Holds its listeners (not owned).
class MediaParam {
public:
    MediaParam() = default;
    // A copy starts with no listeners: listeners belong to one parameter.
    MediaParam(const MediaParam&) {}
    // Assignment keeps this parameter's own listeners.
    MediaParam& operator=(const MediaParam&) { return *this; }
    // Calls Detach on every listener still attached, in list order; the
    // listeners themselves are not deleted.
    virtual ~MediaParam();

    // Interactive editing hook; the player offers no editing, so it does nothing.
    virtual void Edit(void* context, MediaControl* sender) {}

    // Appends a listener; it is called after every listener attached before it.
    void AddControl(MediaControl* control);
    // Removes a listener from the list; unknown listeners are ignored.
    void RemoveControl(MediaControl* control);
    // Calls OnChange(sender) on every listener except the sender, in list order.
    // A listener that removes listeners while being notified does not make the
    // loop skip past the end.
    void NotifyControls(MediaControl* sender);

    const std::vector<MediaControl*>& Controls() const { return controls_; }

private:
    std::vector<MediaControl*> controls_;
};

// Base of every listener.
class MediaControl {
public:
    virtual ~MediaControl() = default;
    // The watched parameter is going away; forget it.
    virtual void Detach() {}
    // Called after the watched value changed; sender is the listener that
    // caused the change, or null.
    virtual void OnChange(MediaControl* sender) = 0;
};

// Equality used by the setters: vectors compare their three floats exactly,
// strings by code units, everything else with ==.
template <typename T>
inline bool ParamValueEquals(const T& a, const T& b)
{
    return a == b;
}
template <>
inline bool ParamValueEquals<POINT>(const POINT& a, const POINT& b)
{
    return a.x == b.x && a.y == b.y;
}
template <>
inline bool ParamValueEquals<D3DXVECTOR3>(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// The value of a default-constructed parameter: zero (D3DXVECTOR3's own
// default constructor would leave it unset), empty for strings.
template <typename T>
inline T DefaultParamValue()
{
    return T{};
}
template <>
inline D3DXVECTOR3 DefaultParamValue<D3DXVECTOR3>()
{
    return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

// A parameter with a value and no undo listener.
template <typename T>
class MediaParamTB : public MediaParam {
public:
    MediaParamTB() : value_(DefaultParamValue<T>()) {}
    explicit MediaParamTB(const T& value) : value_(value) {}
    // Copies the value only.
    MediaParamTB(const MediaParamTB& other) : MediaParam(), value_(other.value_) {}
    MediaParamTB& operator=(const MediaParamTB&) = delete;

    const T& GetValue() const { return value_; }

    // The setter: stores a changed value and notifies every listener except
    // the sender. Returns whether the value changed.
    bool SetValue(const T& value, MediaControl* sender = nullptr)
    {
        if (ParamValueEquals(value_, value)) return false;
        value_ = value;
        NotifyControls(sender);
        return true;
    }

    // Stores a value without telling any listener (readers that the owner's
    // record says store directly).
    void StoreValue(const T& value) { value_ = value; }

private:
    T value_;
};

// At most kUndoHistoryLimit earlier values, newest first, with a position.
// The player never records or replays them; the history is kept so that a
// parameter behaves like its authoring-side counterpart.
constexpr std::size_t kUndoHistoryLimit = 20;

template <typename T>
class UndoHistory {
public:
    // Drops the entries newer than the position, puts the value in front,
    // keeps the newest kUndoHistoryLimit entries and moves the position to the front.
    void Push(const T& value)
    {
        if (!entries_.empty()) entries_.erase(entries_.begin(), entries_.begin() + position_);
        entries_.insert(entries_.begin(), value);
        if (entries_.size() > kUndoHistoryLimit) entries_.pop_back();
        position_ = 0;
    }
    // Swaps the cached value with the entry at the position and moves one
    // entry older; nothing at the end.
    void StepOlder(T& cached)
    {
        if (entries_.empty() || position_ >= entries_.size()) return;
        std::swap(cached, entries_[position_]);
        ++position_;
    }
    // Moves one entry newer and swaps the cached value with it; nothing at the front.
    void StepNewer(T& cached)
    {
        if (entries_.empty() || position_ == 0) return;
        --position_;
        std::swap(cached, entries_[position_]);
    }

    std::size_t Size() const { return entries_.size(); }
    std::size_t Position() const { return position_; }
    const T& At(std::size_t index) const { return entries_[index]; }

private:
    std::vector<T> entries_;
    std::size_t position_ = 0;  // entries_.size() means "at the end"
};

class UndoCtrl : public MediaControl {
public:
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    virtual void Record() = 0;
};

template <typename T>
class MediaParamT;

// The undo listener of one MediaParamT: always its first listener, so it
// caches every new value before any other listener runs.
template <typename T>
class UndoCtrlT : public UndoCtrl {
public:
    explicit UndoCtrlT(MediaParamT<T>* owner) : cached_(DefaultParamValue<T>()), owner_(owner) {}
    UndoCtrlT(const UndoCtrlT&) = delete;
    UndoCtrlT& operator=(const UndoCtrlT&) = delete;

    void OnChange(MediaControl* sender) override
    {
        if (owner_) cached_ = owner_->GetValue();
    }
    void Detach() override { owner_ = nullptr; }
    void Record() override { history_.Push(cached_); }
    void Undo() override
    {
        history_.StepOlder(cached_);
        ApplyCached();
    }
    void Redo() override
    {
        history_.StepNewer(cached_);
        ApplyCached();
    }

    const T& CachedValue() const { return cached_; }
    const UndoHistory<T>& History() const { return history_; }

private:
    // Writes a stepped value back; the setter notifies every other listener
    // with this control as the sender, and nobody when nothing changed.
    void ApplyCached()
    {
        if (owner_) owner_->SetValue(cached_, this);
    }

    T cached_;
    MediaParamT<T>* owner_;
    UndoHistory<T> history_;
};

// A parameter with a value and an undo listener attached first.
template <typename T>
class MediaParamT : public MediaParamTB<T> {
public:
    MediaParamT() : undo_(this) { AttachUndo(); }
    explicit MediaParamT(const T& value) : MediaParamTB<T>(value), undo_(this) { AttachUndo(); }
    // Copies the value only; the copy's one listener is its own undo control.
    MediaParamT(const MediaParamT& other) : MediaParamTB<T>(other), undo_(this) { AttachUndo(); }
    MediaParamT& operator=(const MediaParamT&) = delete;
    // The undo control is a member and is gone before the base destructor
    // detaches the listeners, so it leaves the list here.
    ~MediaParamT() override { this->RemoveControl(&undo_); }

    UndoCtrlT<T>& GetUndoCtrl() { return undo_; }
    const UndoCtrlT<T>& GetUndoCtrl() const { return undo_; }

    // Stores a value without notification but keeps the undo cache current
    // (assignment of compound parameters).
    void StoreValueAndSyncUndo(const T& value)
    {
        this->StoreValue(value);
        undo_.OnChange(nullptr);
    }

private:
    void AttachUndo()
    {
        this->AddControl(&undo_);
        undo_.OnChange(nullptr);
    }

    UndoCtrlT<T> undo_;
};

// Moves control from the parameter it watched (if any) to the end of param's
// listener list and records param as watched; a null param only leaves.
template <typename P>
void ReattachControl(MediaControl* control, P*& watched, P* param)
{
    if (watched) watched->RemoveControl(control);
    watched = param;
    if (watched) watched->AddControl(control);
}

// A listener of one parameter of type P. OnChange does nothing here.
template <typename P>
class MediaControlT : public MediaControl {
public:
    MediaControlT() = default;
    MediaControlT(const MediaControlT&) = delete;
    MediaControlT& operator=(const MediaControlT&) = delete;
    // Leaves the watched parameter's list when still attached.
    ~MediaControlT() override { Attach(nullptr); }

    void Detach() override { watched_ = nullptr; }
    void OnChange(MediaControl* sender) override {}

    // Leaves the parameter it watched (if any) and joins the end of param's
    // listener list; null only leaves.
    void Attach(P* param) { ReattachControl(this, watched_, param); }
    P* Watched() const { return watched_; }

private:
    P* watched_ = nullptr;
};

// Read/write helpers for the plain parameter kinds: readers go through the
// setter with no sender so that every listener hears of the value read; a
// failed read leaves the value as it was and notifies nobody.
void ReadParam(const DS_IOF_Archive& ar, MediaParamTB<unsigned>& param);
void WriteParam(const DS_IOF_Archive& ar, const MediaParamTB<unsigned>& param);
void ReadParam(const DS_IOF_Archive& ar, MediaParamTB<int>& param);
void WriteParam(const DS_IOF_Archive& ar, const MediaParamTB<int>& param);
