// A scoped owner of one COM reference, used by the framework, its tests and the host program.
// Holding a ComPtr means holding exactly one reference; a raw interface pointer never owns.
#pragma once

#include <utility>

#include "platform/Platform.h"

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit ComPtr(T* owned) : ptr_(owned) {}
    ComPtr(const ComPtr& other) : ptr_(other.ptr_) {
        if (ptr_ != nullptr) ptr_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(ptr_, other.ptr_);
        return *this;
    }

    // Adds a reference of its own to a borrowed pointer.
    static ComPtr Borrow(T* borrowed) {
        if (borrowed != nullptr) borrowed->AddRef();
        return ComPtr(borrowed);
    }

    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

    // Releases what is held and returns the slot for an out-parameter.
    T** Put() {
        Reset();
        return &ptr_;
    }
    // The slot as void** for QueryInterface and CoCreateInstance.
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    // Hands the reference to the caller.
    T* Detach() { return std::exchange(ptr_, nullptr); }

    void Reset() {
        if (T* old = std::exchange(ptr_, nullptr)) old->Release();
    }

private:
    T* ptr_ = nullptr;
};
