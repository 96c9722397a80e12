#pragma once
// The folder loaders: one thread per folder command, several may run at once. Finished threads
// are joined when the next one starts; the rest are joined when the set goes (the window's end).
#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace halvix {

class LoaderThreads {
  public:
    LoaderThreads() = default;
    ~LoaderThreads() { JoinAll(); }
    LoaderThreads(const LoaderThreads&) = delete;
    LoaderThreads& operator=(const LoaderThreads&) = delete;
    LoaderThreads(LoaderThreads&&) = delete;
    LoaderThreads& operator=(LoaderThreads&&) = delete;

    void Start(std::function<void()> work);
    void JoinAll();
    int Running() const { return running_; }

  private:
    struct Loader {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void JoinFinished();

    std::mutex mutex_;  // guards loaders_
    std::list<std::unique_ptr<Loader>> loaders_;
    std::atomic<int> running_{0};
};

}  // namespace halvix
