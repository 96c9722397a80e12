#pragma once
// A non-owning view of the scene lock. The wall's lock type belongs to the program; the scene
// classes only need lock() and unlock() of a recursive lock, so they take any such object through
// this view. An empty view locks nothing (single-threaded use, as in tests).
namespace halvix {

class LockRef {
  public:
    LockRef() = default;
    template <class Lockable>
    explicit LockRef(Lockable& lockable)
        : object_(&lockable),
          lock_([](void* object) { static_cast<Lockable*>(object)->lock(); }),
          unlock_([](void* object) { static_cast<Lockable*>(object)->unlock(); }) {}

    void lock() const {
        if (object_ != nullptr) {
            lock_(object_);
        }
    }
    void unlock() const {
        if (object_ != nullptr) {
            unlock_(object_);
        }
    }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    void* object_ = nullptr;
    void (*lock_)(void*) = nullptr;
    void (*unlock_)(void*) = nullptr;
};

}  // namespace halvix
