#pragma once
// Owning pointer over Irrlicht's intrusive reference count: the object is dropped when the pointer
// goes away. Adopt a pointer returned by a create... call (which hands over one reference) with
// irr_ptr<T>(p); share an object the engine keeps (a texture, a scene node) with Grab(p), which takes
// a reference of its own.
//
// Irrlicht's counts are not atomic: an irr_ptr may only be copied, reset or destroyed on the thread
// that owns the engine (the render thread) or under the scene lock when the object is known to have
// another owner left.
#include <IReferenceCounted.h>
#include <cstddef>
#include <type_traits>
#include <utility>

template <class T>
class irr_ptr {
  public:
    irr_ptr() noexcept = default;
    irr_ptr(std::nullptr_t) noexcept {}
    // Adopts one reference.
    explicit irr_ptr(T* object) noexcept : object_(object) {}
    ~irr_ptr() { reset(); }

    irr_ptr(const irr_ptr& other) noexcept { GrabFrom(other.object_); }
    irr_ptr(irr_ptr&& other) noexcept : object_(other.release()) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    irr_ptr(irr_ptr<U>&& other) noexcept : object_(other.release()) {}

    irr_ptr& operator=(const irr_ptr& other) noexcept {
        if (this != &other) {
            irr_ptr copy(other);
            swap(copy);
        }
        return *this;
    }
    irr_ptr& operator=(irr_ptr&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    // Drops the held reference and adopts `object` (one reference handed over).
    void reset(T* object = nullptr) noexcept {
        T* old = std::exchange(object_, object);
        if (old != nullptr) {
            old->drop();
        }
    }
    // Gives the reference up without dropping it.
    [[nodiscard]] T* release() noexcept { return std::exchange(object_, nullptr); }
    void swap(irr_ptr& other) noexcept { std::swap(object_, other.object_); }

    T* get() const noexcept { return object_; }
    T* operator->() const noexcept { return object_; }
    T& operator*() const noexcept { return *object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }

    friend bool operator==(const irr_ptr& a, const irr_ptr& b) noexcept { return a.object_ == b.object_; }
    friend bool operator==(const irr_ptr& a, const T* b) noexcept { return a.object_ == b; }

  private:
    void GrabFrom(T* object) noexcept {
        object_ = object;
        if (object_ != nullptr) {
            object_->grab();
        }
    }

    T* object_ = nullptr;
};

// Shares an object that someone else already owns: takes a reference of its own.
template <class T>
irr_ptr<T> Grab(T* object) noexcept {
    if (object != nullptr) {
        object->grab();
    }
    return irr_ptr<T>(object);
}
