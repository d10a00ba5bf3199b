// A holder of one COM interface pointer: copying adds a reference,
// destruction and Reset release it. Null until something is stored.
#pragma once

#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes a new reference on p (the caller keeps its own).
    explicit ComPtr(T* p) : ptr_(p) { AddRefHeld(); }
    ComPtr(const ComPtr& other) : ptr_(other.ptr_) { AddRefHeld(); }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other)
    {
        if (ptr_ != other.ptr_) {
            ComPtr copy(other);
            Swap(copy);
        }
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            Reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }

    // Releases the held interface and leaves the holder null.
    void Reset()
    {
        if (ptr_) {
            std::exchange(ptr_, nullptr)->Release();
        }
    }
    // Holds p with a new reference (the previous one is released).
    void Set(T* p)
    {
        ComPtr copy(p);
        Swap(copy);
    }
    // Takes over a reference the caller already owns.
    void Attach(T* p)
    {
        Reset();
        ptr_ = p;
    }
    // For creation functions that write a new reference: releases first.
    T** ReleaseAndGetAddressOf()
    {
        Reset();
        return &ptr_;
    }
    // Hands the held reference to the caller; the holder becomes null.
    T* Detach() { return std::exchange(ptr_, nullptr); }
    void Swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

private:
    void AddRefHeld()
    {
        if (ptr_) {
            ptr_->AddRef();
        }
    }

    T* ptr_ = nullptr;
};
