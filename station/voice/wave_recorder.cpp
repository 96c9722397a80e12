#include "voice/wave_recorder.h"

#include <QApplication>
#include <QLoggingCategory>
#include <new>
#include "platform/message_box.h"
#include "voice/wave_file.h"

Q_LOGGING_CATEGORY(lcRecorder, "vantor.recorder")

namespace travenor {
namespace {

constexpr const char16_t* kNoMicrophone = u"音频无法打开";
constexpr const char16_t* kOutOfMemory = u"erro memory";
constexpr const char16_t* kNotWritten =
    u"语音留言没有保存成功!\n\n存储文件夹无法写入,请检查磁盘空间和文件夹权限。";

void Warn(const char16_t* text) {
    QApplication::beep();
    vantor::ShowMessageBox(text, u"tips", vantor::MessageButtons::Ok, vantor::MessageIcon::Warning);
}

}  // namespace

CWaveRecorder::CWaveRecorder(MicrophoneFactory open_microphone, std::size_t max_bytes)
    : open_microphone_(std::move(open_microphone)), max_bytes_(max_bytes) {}

CWaveRecorder::~CWaveRecorder() {
    written_ = nullptr;  // the owner is going away too
    stopped_ = nullptr;
    // A running recording is reset and dropped. Stopped ones still owe their file: their
    // microphones have returned everything, so they are written now instead of on the posted call,
    // which goes with the mailbox.
    if (current_ && current_->device) {
        current_->device->Reset();
    }
    for (const std::unique_ptr<Take>& take : stopping_) {
        Finish(*take);
    }
}

CWaveRecorder::StartResult CWaveRecorder::Start() {
    if (IsRecording()) {
        return StartResult::AlreadyRecording;
    }
    auto take = std::make_unique<Take>();
    std::unique_ptr<WaveInDevice> device = open_microphone_ ? open_microphone_() : nullptr;
    // The microphone's thread: the block goes into the take's inbox, the window's thread is woken.
    const auto sink = [inbox = take->inbox, mailbox = &mailbox_](const std::uint8_t* bytes,
                                                                 std::size_t count) {
        {
            std::lock_guard lock(inbox->mutex);
            inbox->blocks.emplace_back(bytes, bytes + count);
        }
        mailbox->Post();
    };
    // Any thread: the microphone stopped by itself; the window's thread notices on its next mail.
    const auto stopped = [inbox = take->inbox, mailbox = &mailbox_] {
        {
            std::lock_guard lock(inbox->mutex);
            inbox->ended = true;
        }
        mailbox->Post();
    };
    if (device && device->Open(sink, stopped)) {
        take->device = std::move(device);
    }
    const bool opened = take->device != nullptr;
    current_ = std::move(take);
    if (!opened) {
        Warn(kNoMicrophone);
        return StartResult::NoDevice;
    }
    return StartResult::Started;
}

void CWaveRecorder::Stop(const tstring& target_path) {
    if (!IsRecording()) {
        return;
    }
    std::unique_ptr<Take> take = std::move(current_);
    take->target = target_path;
    if (take->device) {
        // Everything captured is in the inbox when this returns; the file is written on the
        // posted call, after the save that stopped the recording has returned.
        take->device->Reset();
    }
    stopping_.push_back(std::move(take));
    mailbox_.Post();
}

std::vector<std::uint8_t> CWaveRecorder::StopAndTakeSamples() {
    if (!IsRecording()) {
        return {};
    }
    std::unique_ptr<Take> take = std::move(current_);
    if (take->device) {
        // Everything captured is in the inbox when this returns.
        take->device->Reset();
    }
    Collect(*take);
    take->device.reset();
    return std::move(take->data);
}

std::size_t CWaveRecorder::RecordedBytes() const {
    return current_ ? current_->data.size() : 0;
}

void CWaveRecorder::OnMail() {
    if (current_) {
        Collect(*current_);
    }
    while (!stopping_.empty()) {
        Finish(*stopping_.front());
        stopping_.pop_front();
    }
    // Last: the observer may stop the recording.
    if (NoticeMicrophoneStop() && stopped_) {
        stopped_();
    }
}

bool CWaveRecorder::NoticeMicrophoneStop() {
    if (!current_ || !current_->device) {
        return false;
    }
    {
        std::lock_guard lock(current_->inbox->mutex);
        if (!current_->inbox->ended) {
            return false;
        }
    }
    // Closing hands over the partly filled last block; what was recorded stays with the take.
    current_->device->Reset();
    Collect(*current_);
    current_->device.reset();
    qCWarning(lcRecorder) << "the microphone stopped by itself after" << current_->data.size() << "bytes";
    return true;
}

void CWaveRecorder::Collect(Take& take) {
    std::vector<std::vector<std::uint8_t>> blocks;
    {
        std::lock_guard lock(take.inbox->mutex);
        blocks.swap(take.inbox->blocks);
    }
    for (const std::vector<std::uint8_t>& block : blocks) {
        if (!Append(take.data, block)) {
            // The microphone stops; what was recorded so far is kept for the save.
            if (take.device) {
                take.device->Reset();
                std::lock_guard lock(take.inbox->mutex);
                take.inbox->blocks.clear();
            }
            qCWarning(lcRecorder) << "the voice message ran out of memory at" << take.data.size() << "bytes";
            Warn(kOutOfMemory);
            return;
        }
    }
}

bool CWaveRecorder::Append(std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& block) const {
    if (data.size() + block.size() > max_bytes_) {
        return false;
    }
    try {
        data.insert(data.end(), block.begin(), block.end());
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void CWaveRecorder::Finish(Take& take) {
    Collect(take);
    take.device.reset();
    if (take.target.IsEmpty() || take.data.empty()) {
        return;  // thrown away, or nothing was recorded
    }
    const bool written = WriteWaveFile(take.target, take.data);
    if (!written) {
        qCWarning(lcRecorder) << "the voice message could not be written";
        Warn(kNotWritten);
    }
    if (written_) {
        written_(take.target, written);
    }
}

}  // namespace travenor
