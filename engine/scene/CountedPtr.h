// Shared holder of slides, picture layers, runtime objects and audio files:
// one pointer to a count block that holds the object and its count. Every
// holder lives on the one scene thread, so the count is a plain integer.
#pragma once

#include <cstdint>
#include <memory>

template <class T>
class CountedPtr {
public:
    struct Block {
        T* object = nullptr;
        int32_t count = 0;
    };

    CountedPtr() = default;
    // A new block with count 1; a null object gives an empty holder.
    explicit CountedPtr(T* object)
    {
        if (object) block_ = new Block{object, 1};
    }
    explicit CountedPtr(std::unique_ptr<T> object) : CountedPtr(object.release()) {}
    CountedPtr(const CountedPtr& other) : block_(other.block_)
    {
        if (block_) ++block_->count;
    }
    CountedPtr(CountedPtr&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    // The old block is released before the new one is taken.
    CountedPtr& operator=(const CountedPtr& other)
    {
        if (this != &other) {
            Block* taken = other.block_;
            if (taken) ++taken->count;
            Release();
            block_ = taken;
        }
        return *this;
    }
    CountedPtr& operator=(CountedPtr&& other) noexcept
    {
        if (this != &other) {
            Release();
            block_ = other.block_;
            other.block_ = nullptr;
        }
        return *this;
    }
    ~CountedPtr() { Release(); }

    // Counts down; at 0 or below deletes the object through its virtual
    // destructor and frees the block. The holder is empty afterwards; an
    // empty holder does nothing.
    void Release()
    {
        Block* block = block_;
        block_ = nullptr;
        if (!block) return;
        if (--block->count <= 0) {
            delete block->object;
            delete block;
        }
    }

    T* Get() const { return block_ ? block_->object : nullptr; }
    T* operator->() const { return Get(); }
    T& operator*() const { return *Get(); }
    explicit operator bool() const { return Get() != nullptr; }
    // Holders sharing the object; 0 for an empty holder.
    int32_t Count() const { return block_ ? block_->count : 0; }

private:
    Block* block_ = nullptr;
};
