#pragma once
// Wakes the voice recorder on its own thread. The microphone's thread posts; Qt delivers the call
// on the thread the mailbox lives in (the capture window's). Nothing travels with the call: the
// recorder finds the samples in its own locked inboxes, so no data crosses threads through Qt.
#include <QObject>
#include <functional>

namespace travenor {

class RecorderMailbox : public QObject {
    Q_OBJECT
  public:
    explicit RecorderMailbox(std::function<void()> on_mail) : on_mail_(std::move(on_mail)) {}

    // Any thread: on_mail runs soon on the mailbox's thread.
    void Post() { QMetaObject::invokeMethod(this, "Deliver", Qt::QueuedConnection); }

  private:
    Q_INVOKABLE void Deliver() { on_mail_(); }

    std::function<void()> on_mail_;
};

}  // namespace travenor
