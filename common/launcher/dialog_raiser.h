#pragma once
// While a blocking dialog runs, a helper thread looks every 200 ms for the top-level window with a
// given title and raises it once: top-most at its position and size, shown, active, with the
// keyboard focus. The look itself runs on the window thread (the dialog's own event loop serves
// it); the helper only times and posts it. The helper ends when it has raised the window or when
// the object is destroyed (the dialog returned), and is joined then.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include "text/tstring.h"

namespace vantor {

class DialogRaiser {
  public:
    // raise: runs on the window thread; true when it found and raised the window.
    using RaiseFunction = std::function<bool(const tstring& title)>;

    explicit DialogRaiser(tstring title, int interval_ms = 200, RaiseFunction raise = {});
    ~DialogRaiser();
    DialogRaiser(const DialogRaiser&) = delete;
    DialogRaiser& operator=(const DialogRaiser&) = delete;
    DialogRaiser(DialogRaiser&&) = delete;
    DialogRaiser& operator=(DialogRaiser&&) = delete;

    // The window lookup of the Qt programs: a visible top-level widget with exactly that title.
    static bool RaiseTopLevelWidget(const tstring& title);

    bool Raised() const;

  private:
    struct Shared {
        std::mutex mutex;  // guards stop and raised
        std::condition_variable wake;
        bool stop = false;
        bool raised = false;
    };
    void Run();

    tstring title_;
    int interval_ms_;
    RaiseFunction raise_;
    std::shared_ptr<Shared> shared_;  // also held by looks posted to the window thread
    std::thread helper_;
};

}  // namespace vantor
