// Holder of one COM interface reference: releases it when replaced or
// destroyed, takes a reference when copied.
#pragma once

#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes a new reference on p (p may be null).
    explicit ComPtr(T* p) : ptr_(p)
    {
        if (ptr_) ptr_->AddRef();
    }
    ComPtr(const ComPtr& other) : ptr_(other.ptr_)
    {
        if (ptr_) ptr_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other)
    {
        if (other.ptr_) other.ptr_->AddRef();
        Reset();
        ptr_ = other.ptr_;
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

    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

    // Releases the held reference and clears the holder.
    void Reset()
    {
        if (ptr_) std::exchange(ptr_, nullptr)->Release();
    }
    // Releases the held reference and returns the slot for a create call
    // to fill; the holder then owns the reference the call returned.
    T** Receive()
    {
        Reset();
        return &ptr_;
    }

private:
    T* ptr_ = nullptr;
};
