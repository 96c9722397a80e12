#pragma once
// What the video tests share: the host's main window as the library sees it (a widget that
// receives the posted window messages and can answer "events waiting" as the wall does), and
// logic paths of test files.
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>
#include <string>
#include "platform/native_path.h"
#include "zorvane_window.h"

namespace video_test {

struct ReceivedMessage {
    std::uint32_t message;
    std::uint64_t wParam;
    std::uint64_t lParam;
};

// The parent of the attached window: keeps every window message it receives, in order. With an
// answer set, "events waiting" is answered at once, as the host does with vpHandleGraphEvent.
class HostWindow : public QWidget {
  public:
    explicit HostWindow(QWidget* parent = nullptr) : QWidget(parent) {}

    void AnswerGraphNotify(std::function<void()> answer) { answer_ = std::move(answer); }

    int Count(std::uint32_t message) const {
        int count = 0;
        for (const ReceivedMessage& received : messages_) {
            count += received.message == message ? 1 : 0;
        }
        return count;
    }
    const std::vector<ReceivedMessage>& Messages() const { return messages_; }

  protected:
    bool event(QEvent* event) override {
        if (const VpMessageEvent* message = AsVpMessage(event)) {
            messages_.push_back({message->Message(), message->WParam(), message->LParam()});
            if (message->Message() == kVpGraphNotifyMessage && answer_) {
                answer_();
            }
            return true;
        }
        return QWidget::event(event);
    }

  private:
    std::function<void()> answer_;
    std::vector<ReceivedMessage> messages_;
};

// The path as the host hands it to the library: UTF-16 with backslashes, the bytes of a name that
// is not UTF-8 kept.
inline std::u16string Logic(const std::filesystem::path& path) {
    return vantor::FromNativePath(path.string()).GetBase();
}

}  // namespace video_test
