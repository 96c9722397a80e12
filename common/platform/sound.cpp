#include "platform/sound.h"

#include <gst/gst.h>
#include <atomic>
#include <mutex>
#include <utility>
#include "gst_ptr.h"
#include "gst_runtime.h"
#include "platform/native_path.h"
#include "platform/whole_file.h"

namespace vantor {
namespace {

// The message that wakes the bus thread when the sound it waits on is replaced or the player ends.
constexpr const char* kWakeName = "vantor-sound-wake";

// Tells sounds apart even when one is allocated where the one before lay.
std::atomic<unsigned long> next_serial{1};

}  // namespace

// One sound: its pipeline, bus and file. Ending it stops the pipeline before the references go
// and the file is closed.
struct SoundPlayer::Playback {
    Playback(GstElementPtr pipeline_element, std::string file, std::unique_ptr<ReadOnlyFile> opened)
        : source_file(std::move(opened)),
          pipeline(std::move(pipeline_element)),
          bus(gst_element_get_bus(pipeline.get())),
          path(std::move(file)),
          serial(next_serial.fetch_add(1)) {}
    ~Playback() { gst_element_set_state(pipeline.get(), GST_STATE_NULL); }
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    void Wake() const {
        gst_bus_post(bus.get(), gst_message_new_application(nullptr, gst_structure_new_empty(kWakeName)));
    }

    std::unique_ptr<ReadOnlyFile> source_file;  // read by the pipeline's source until it stops
    GstElementPtr pipeline;
    GstBusPtr bus;
    std::string path;
    unsigned long serial;
};

SoundPlayer::SoundPlayer(std::string sink) : sink_(std::move(sink)), started_(InitialiseGstreamer().ok) {
    bus_thread_ = std::thread([this] { BusLoop(); });
}

SoundPlayer::~SoundPlayer() {
    std::unique_ptr<Playback> ending;
    {
        std::lock_guard guard(mutex_);
        quit_ = true;
        if (current_) {
            current_->Wake();
        }
    }
    changed_.notify_all();
    bus_thread_.join();
    Observer observer;
    std::string path;
    {
        std::lock_guard guard(mutex_);
        ending = std::move(current_);
        observer = observer_;
    }
    if (ending) {
        path = ending->path;
        ending.reset();
        if (observer) {
            observer(Event::Stopped, path);
        }
    }
}

void SoundPlayer::SetObserver(Observer observer) {
    std::lock_guard guard(mutex_);
    observer_ = std::move(observer);
}

bool SoundPlayer::Play(const tstring& path) {
    return PlayNative(ToNativePath(path));
}

bool SoundPlayer::PlayNative(const std::string& native_path) {
    EndCurrent(Event::Replaced);  // every new sound ends the one before, as PlaySound does

    // The pipeline reads the descriptor opened here, so that only a regular file of a sound's size
    // plays: a FIFO or a device named like a voice file would hold the pipeline for ever.
    auto file = std::make_unique<ReadOnlyFile>(native_path, kMaxSoundFileBytes);
    if (!file->IsOpen()) {
        return false;
    }
    GstElementPtr pipeline;
    if (started_) {
        GError* raw_error = nullptr;
        const std::string description =
            "fdsrc name=source ! wavparse ! audioconvert ! audioresample ! " + sink_;
        pipeline.reset(gst_parse_launch(description.c_str(), &raw_error));
        if (const GErrorPtr parse_error(raw_error); parse_error) {
            pipeline.reset();  // a missing element: no sound on this machine
        }
    }
    if (!pipeline) {
        Tell(Event::Failed, native_path);
        return false;
    }
    const int fd = file->Fd();
    auto playback = std::make_unique<Playback>(std::move(pipeline), native_path, std::move(file));
    const GstElementPtr source(gst_bin_get_by_name(GST_BIN(playback->pipeline.get()), "source"));
    if (!source) {
        Tell(Event::Failed, native_path);
        return false;
    }
    g_object_set(source.get(), "fd", fd, nullptr);

    // Asynchronous: the state change completes on GStreamer's threads; a sink that cannot open a
    // device fails here or reports an error on the bus later, and either way the sound is silent.
    if (gst_element_set_state(playback->pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        playback.reset();
        Tell(Event::Failed, native_path);
        return false;
    }
    Observer observer;
    std::unique_ptr<Playback> overtaken;  // a sound another thread started meanwhile
    {
        std::lock_guard guard(mutex_);
        if (current_) {
            current_->Wake();
        }
        overtaken = std::exchange(current_, std::move(playback));
        observer = observer_;
    }
    changed_.notify_all();
    if (overtaken) {
        const std::string overtaken_path = overtaken->path;
        overtaken.reset();
        if (observer) {
            observer(Event::Replaced, overtaken_path);
        }
    }
    if (observer) {
        observer(Event::Started, native_path);
    }
    return true;
}

void SoundPlayer::Tell(Event event, const std::string& native_path) {
    Observer observer;
    {
        std::lock_guard guard(mutex_);
        observer = observer_;
    }
    if (observer) {
        observer(event, native_path);
    }
}

void SoundPlayer::Stop() {
    EndCurrent(Event::Stopped);
}

bool SoundPlayer::IsPlaying() const {
    std::lock_guard guard(mutex_);
    return current_ != nullptr;
}

void SoundPlayer::EndCurrent(Event why) {
    std::unique_ptr<Playback> ending;
    Observer observer;
    {
        std::lock_guard guard(mutex_);
        if (!current_) {
            return;
        }
        current_->Wake();
        ending = std::move(current_);
        observer = observer_;
    }
    const std::string path = ending->path;
    ending.reset();  // stops the pipeline outside the lock
    if (observer) {
        observer(why, path);
    }
}

void SoundPlayer::BusLoop() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (!current_) {
            changed_.wait(lock, [this] { return quit_ || current_ != nullptr; });
            continue;
        }
        const unsigned long watched = current_->serial;
        GstMessageType type = GST_MESSAGE_UNKNOWN;  // nothing within the wait
        {
            const GstBusPtr bus = RefObject(current_->bus.get());
            lock.unlock();
            const GstMessagePtr message(gst_bus_timed_pop_filtered(
                bus.get(), 500 * GST_MSECOND,
                static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR | GST_MESSAGE_APPLICATION)));
            if (message) {
                type = GST_MESSAGE_TYPE(message.get());
            }
        }
        lock.lock();
        if (type == GST_MESSAGE_UNKNOWN || type == GST_MESSAGE_APPLICATION || !current_ ||
            current_->serial != watched) {
            continue;  // woken for a replacement or the end of the player, or nothing yet
        }
        std::unique_ptr<Playback> ended = std::move(current_);
        Observer observer = observer_;
        lock.unlock();
        const std::string path = ended->path;
        ended.reset();
        if (observer) {
            observer(type == GST_MESSAGE_EOS ? Event::Finished : Event::Failed, path);
        }
        lock.lock();
    }
}

SoundPlayer& DefaultSoundPlayer() {
    static SoundPlayer player;
    return player;
}

void PlaySoundAsync(const tstring& path) {
    DefaultSoundPlayer().Play(path);
}

}  // namespace vantor
