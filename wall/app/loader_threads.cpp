#include "app/loader_threads.h"

namespace halvix {

void LoaderThreads::Start(std::function<void()> work) {
    JoinFinished();
    auto loader = std::make_unique<Loader>();
    Loader* raw = loader.get();
    ++running_;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        loaders_.push_back(std::move(loader));
    }
    raw->thread = std::thread([this, raw, work = std::move(work)] {
        work();
        --running_;
        raw->done = true;
    });
}

void LoaderThreads::JoinFinished() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = loaders_.begin(); it != loaders_.end();) {
        if ((*it)->done && (*it)->thread.joinable()) {
            (*it)->thread.join();
            it = loaders_.erase(it);
        } else {
            ++it;
        }
    }
}

void LoaderThreads::JoinAll() {
    std::list<std::unique_ptr<Loader>> loaders;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        loaders.swap(loaders_);
    }
    for (auto& loader : loaders) {
        if (loader->thread.joinable()) {
            loader->thread.join();
        }
    }
}

}  // namespace halvix
