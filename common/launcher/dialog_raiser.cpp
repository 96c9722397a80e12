#include "launcher/dialog_raiser.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include "text/qt_text.h"

namespace vantor {

DialogRaiser::DialogRaiser(tstring title, int interval_ms, RaiseFunction raise)
    : title_(std::move(title)),
      interval_ms_(interval_ms),
      raise_(raise ? std::move(raise) : RaiseFunction(&DialogRaiser::RaiseTopLevelWidget)),
      shared_(std::make_shared<Shared>()) {
    helper_ = std::thread([this] { Run(); });
}

DialogRaiser::~DialogRaiser() {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->stop = true;
    }
    shared_->wake.notify_all();
    helper_.join();
}

bool DialogRaiser::Raised() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->raised;
}

void DialogRaiser::Run() {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    while (true) {
        const bool ended = shared_->wake.wait_for(lock, std::chrono::milliseconds(interval_ms_),
                                                  [&] { return shared_->stop || shared_->raised; });
        if (ended || !qApp) {
            return;
        }
        // Post one look to the window thread; it reports back through the shared state, which
        // outlives this object if the look runs late.
        std::shared_ptr<Shared> shared = shared_;
        QMetaObject::invokeMethod(
            qApp,
            [shared, raise = raise_, title = title_] {
                {
                    std::lock_guard<std::mutex> guard(shared->mutex);
                    if (shared->stop || shared->raised) {
                        return;
                    }
                }
                if (raise(title)) {
                    std::lock_guard<std::mutex> guard(shared->mutex);
                    shared->raised = true;
                    shared->wake.notify_all();
                }
            },
            Qt::QueuedConnection);
    }
}

bool DialogRaiser::RaiseTopLevelWidget(const tstring& title) {
    const QString wanted = ToQt(title);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || widget->windowTitle() != wanted) {
            continue;
        }
        // The flag goes to the native window so that the dialog is not hidden and re-created.
        if (QWindow* window = widget->windowHandle()) {
            window->setFlag(Qt::WindowStaysOnTopHint, true);
        }
        widget->show();
        widget->raise();
        widget->activateWindow();
        widget->setFocus(Qt::ActiveWindowFocusReason);
        return true;
    }
    return false;
}

}  // namespace vantor
