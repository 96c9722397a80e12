#pragma once
// Tells the photo wall, off the caller's thread, that a sign-in was saved, so that it looks at its
// folder at once: the save never waits for the wall, whether it runs, hangs or is gone. Notices
// that come while one is being sent make one more notice, not a queue.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include "tarquel_export.h"

namespace vantor {

// The message itself: a plain message to the wall's window, ignored when no wall runs.
TARQUEL_API void SendNewPictureToWall();

class TARQUEL_API WallNotice {
  public:
    using Send = std::function<void()>;

    explicit WallNotice(Send send = &SendNewPictureToWall);
    ~WallNotice();  // a notice under way is finished, a waiting one dropped
    WallNotice(const WallNotice&) = delete;
    WallNotice& operator=(const WallNotice&) = delete;
    WallNotice(WallNotice&&) = delete;
    WallNotice& operator=(WallNotice&&) = delete;

    void Tell();

  private:
    void Loop();

    Send send_;
    std::mutex mutex_;  // guards pending_ and stopping_
    std::condition_variable wake_;
    bool pending_ = false;
    bool stopping_ = false;
    std::thread thread_;  // last: starts once the members above exist
};

}  // namespace vantor
