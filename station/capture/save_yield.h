#pragma once
// What gives way to a sign-in's save. The photo server beside the station is held still for the
// moment a save takes, so that a room of phones never lengthens it (on a machine whose two cores
// share one, even idle-class work beside the save slows it); the phones are answered that moment
// later. Held and released on the thread that saves.
class SaveYield {
  public:
    virtual ~SaveYield() = default;
    virtual void Hold() = 0;
    virtual void Release() = 0;
};

// Holds `yield`, when there is one, for the life of the scope.
class SaveYieldScope {
  public:
    explicit SaveYieldScope(SaveYield* yield) : yield_(yield) {
        if (yield_ != nullptr) {
            yield_->Hold();
        }
    }
    ~SaveYieldScope() {
        if (yield_ != nullptr) {
            yield_->Release();
        }
    }
    SaveYieldScope(const SaveYieldScope&) = delete;
    SaveYieldScope& operator=(const SaveYieldScope&) = delete;

  private:
    SaveYield* yield_;
};
