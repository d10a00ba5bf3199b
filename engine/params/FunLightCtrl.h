// Listeners that call a member function of the object owning a parameter,
// and the set in which an object keeps the listeners it attached.
#pragma once

#include <memory>
#include <vector>

#include "engine/params/MediaParam.h"

// Calls owner->*function(value) with the watched parameter's current value
// after every change. The sender is not passed on.
template <typename T, typename Owner>
class DS_FunLightCtrl : public MediaControlT<MediaParamTB<T>> {
public:
    using Function = void (Owner::*)(T);

    DS_FunLightCtrl(Function function, Owner* owner) : function_(function), owner_(owner) {}

    void OnChange(MediaControl* sender) override
    {
        MediaParamTB<T>* param = this->Watched();
        if (param && owner_ && function_) (owner_->*function_)(param->GetValue());
    }

private:
    Function function_;
    Owner* owner_;
};

// Calls owner->*function() after every change of the watched parameter,
// whatever its type.
template <typename Owner>
class DS_FunLightCtrl2 : public MediaControl {
public:
    using Function = void (Owner::*)();

    DS_FunLightCtrl2(Function function, Owner* owner) : function_(function), owner_(owner) {}
    DS_FunLightCtrl2(const DS_FunLightCtrl2&) = delete;
    DS_FunLightCtrl2& operator=(const DS_FunLightCtrl2&) = delete;
    // Leaves the watched parameter's list when still attached.
    ~DS_FunLightCtrl2() override { Attach(nullptr); }

    void OnChange(MediaControl* sender) override
    {
        if (owner_ && function_) (owner_->*function_)();
    }
    void Detach() override { watched_ = nullptr; }

    // Leaves the parameter it watched (if any) and joins the end of param's
    // listener list; null only leaves.
    void Attach(MediaParam* param) { ReattachControl(this, watched_, param); }
    MediaParam* Watched() const { return watched_; }

private:
    Function function_;
    Owner* owner_;
    MediaParam* watched_ = nullptr;
};

// The listeners one object attached to parameters, owned by the set. Release
// (and the destructor) deletes them in the order they were added; each
// listener's destructor takes it off its parameter.
class DS_FunLightLinks {
public:
    DS_FunLightLinks() = default;
    DS_FunLightLinks(const DS_FunLightLinks&) = delete;
    DS_FunLightLinks& operator=(const DS_FunLightLinks&) = delete;
    ~DS_FunLightLinks() { Release(); }

    // Takes ownership; returns the listener for the caller to attach or fire.
    template <typename Control>
    Control* Add(std::unique_ptr<Control> control)
    {
        Control* raw = control.get();
        if (raw) controls_.push_back(std::move(control));
        return raw;
    }

    void Release()
    {
        for (auto& control : controls_) control.reset();
        controls_.clear();
    }

    std::size_t Size() const { return controls_.size(); }

private:
    std::vector<std::unique_ptr<MediaControl>> controls_;
};
