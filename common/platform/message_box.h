#pragma once
// Message boxes: every user-facing failure and question of the system goes through one service.
// The programs install the Qt service (blocking QMessageBox); tests install a RecordingMessageBoxes
// that records each box and answers from a script. Before anything is installed, boxes go to
// standard error, are answered OK / No, and are kept so that the first installed interactive
// service can still show them (the language table is loaded before any window exists).
#include <deque>
#include <mutex>
#include <vector>
#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor {

enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
    tstring text;
    tstring caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
};

class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    virtual MessageAnswer Show(const MessageBoxRequest& request) = 0;
};

// Shows a box through the service in force and returns the answer.
TARQUEL_API MessageAnswer ShowMessageBox(const tstring& text, const tstring& caption,
                                         MessageButtons buttons = MessageButtons::Ok,
                                         MessageIcon icon = MessageIcon::None);

// Installs a service (not owned) for the lifetime of the scope and restores the previous one.
// With replayPending, boxes shown before any service was installed are shown through it first.
class TARQUEL_API ScopedMessageBoxService {
  public:
    explicit ScopedMessageBoxService(MessageBoxService& service, bool replayPending = false);
    ~ScopedMessageBoxService();
    ScopedMessageBoxService(const ScopedMessageBoxService&) = delete;
    ScopedMessageBoxService& operator=(const ScopedMessageBoxService&) = delete;

  private:
    MessageBoxService* previous_;
};

// Writes each box to standard error and answers OK, or No for a Yes/No question.
class HeadlessMessageBoxes : public MessageBoxService {
  public:
    MessageAnswer Show(const MessageBoxRequest& request) override;
};

// Test double: records every box; answers from a script in order, then with the default answer
// (OK for OK boxes, the configured fallback for questions).
class RecordingMessageBoxes : public MessageBoxService {
  public:
    MessageAnswer Show(const MessageBoxRequest& request) override;
    void Script(std::initializer_list<MessageAnswer> answers);
    void SetFallback(MessageAnswer answer);
    std::vector<MessageBoxRequest> Boxes() const;
    std::vector<tstring> Texts() const;
    void Clear();

  private:
    mutable std::mutex mutex_;  // guards boxes_, script_ and fallback_ (boxes may come from any thread)
    std::vector<MessageBoxRequest> boxes_;
    std::deque<MessageAnswer> script_;
    MessageAnswer fallback_ = MessageAnswer::No;
};

}  // namespace vantor
