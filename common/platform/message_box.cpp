#include "platform/message_box.h"

#include <cstdio>
#include <vector>

#include "text/narrow_text.h"

namespace vantor {
namespace {

// The service in force and the boxes shown before any service was installed.
struct MessageBoxState {
    std::mutex mutex;  // guards service and pending
    MessageBoxService* service = nullptr;
    std::vector<MessageBoxRequest> pending;
};

MessageBoxState& State() {
    static MessageBoxState state;
    return state;
}

MessageAnswer DefaultAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::YesNo:
            return MessageAnswer::No;
        case MessageButtons::OkCancel:
        case MessageButtons::Ok:
            break;
    }
    return MessageAnswer::Ok;
}

}  // namespace

MessageAnswer ShowMessageBox(const tstring& text, const tstring& caption, MessageButtons buttons,
                             MessageIcon icon) {
    MessageBoxRequest request{text, caption, buttons, icon};
    MessageBoxService* service = nullptr;
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        service = State().service;
        if (!service) {
            State().pending.push_back(request);
        }
    }
    if (service) {
        return service->Show(request);
    }
    HeadlessMessageBoxes headless;
    return headless.Show(request);
}

ScopedMessageBoxService::ScopedMessageBoxService(MessageBoxService& service, bool replayPending) {
    std::vector<MessageBoxRequest> replay;
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        previous_ = State().service;
        State().service = &service;
        if (replayPending) {
            replay.swap(State().pending);
        }
    }
    for (const auto& request : replay) {
        service.Show(request);
    }
}

ScopedMessageBoxService::~ScopedMessageBoxService() {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().service = previous_;
}

MessageAnswer HeadlessMessageBoxes::Show(const MessageBoxRequest& request) {
    std::fprintf(stderr, "[%s] %s\n", WideToUtf8(request.caption.GetBase()).c_str(),
                 WideToUtf8(request.text.GetBase()).c_str());
    return DefaultAnswer(request.buttons);
}

MessageAnswer RecordingMessageBoxes::Show(const MessageBoxRequest& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_.push_back(request);
    if (!script_.empty()) {
        MessageAnswer answer = script_.front();
        script_.pop_front();
        return answer;
    }
    return request.buttons == MessageButtons::Ok ? MessageAnswer::Ok : fallback_;
}

void RecordingMessageBoxes::Script(std::initializer_list<MessageAnswer> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    script_.insert(script_.end(), answers.begin(), answers.end());
}

void RecordingMessageBoxes::SetFallback(MessageAnswer answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    fallback_ = answer;
}

std::vector<MessageBoxRequest> RecordingMessageBoxes::Boxes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

std::vector<tstring> RecordingMessageBoxes::Texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<tstring> texts;
    for (const auto& box : boxes_) {
        texts.push_back(box.text);
    }
    return texts;
}

void RecordingMessageBoxes::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_.clear();
    script_.clear();
}

}  // namespace vantor
