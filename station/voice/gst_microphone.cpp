// The microphone over GStreamer: <source> ! audioconvert ! audioresample ! U8 mono 40000 Hz !
// appsink. The appsink's streaming thread gathers the samples into blocks of 10000 bytes.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <QLoggingCategory>
#include <cstdlib>
#include <mutex>
#include <vector>
#include "gst_ptr.h"
#include "gst_runtime.h"
#include "voice/wave_in.h"

Q_LOGGING_CATEGORY(lcMicrophone, "vantor.microphone")

namespace travenor {
namespace {

using vantor::GErrorPtr;
using vantor::GstBusPtr;
using vantor::GstElementPtr;
using vantor::GstMessagePtr;
using vantor::GstPipelinePtr;
using vantor::GstSamplePtr;
using vantor::MappedBuffer;

class GstMicrophone : public WaveInDevice {
  public:
    GstMicrophone() = default;
    ~GstMicrophone() override { Reset(); }
    GstMicrophone(const GstMicrophone&) = delete;
    GstMicrophone& operator=(const GstMicrophone&) = delete;
    GstMicrophone(GstMicrophone&&) = delete;
    GstMicrophone& operator=(GstMicrophone&&) = delete;

    bool Open(BlockSink sink, StopNotice stopped) override {
        if (!runtime_.ok() || pipeline_) {
            return false;
        }
        const std::string description = MicrophoneSource() +
                                        " ! audioconvert ! audioresample ! "
                                        "audio/x-raw,format=U8,channels=1,rate=40000,layout=interleaved ! "
                                        "appsink name=sink sync=false max-buffers=0 drop=false";
        GError* raw_error = nullptr;
        GstPipelinePtr pipeline(gst_parse_launch(description.c_str(), &raw_error));
        const GErrorPtr error(raw_error);
        if (!pipeline || error) {
            qCWarning(lcMicrophone) << "cannot build the microphone pipeline:"
                                    << (error ? error->message : "unknown");
            return false;
        }
        const GstElementPtr appsink(gst_bin_get_by_name(GST_BIN(pipeline.get()), "sink"));
        if (!appsink) {
            return false;
        }
        {
            std::lock_guard lock(mutex_);
            sink_ = std::move(sink);
            stopped_ = std::move(stopped);
            block_.clear();
        }
        // The end of the stream and errors are seen on the thread that posts them; nothing else
        // reads this bus, so every message is dropped there.
        const GstBusPtr bus(gst_element_get_bus(pipeline.get()));
        gst_bus_set_sync_handler(bus.get(), &GstMicrophone::OnBusMessage, this, nullptr);
        GstAppSinkCallbacks callbacks{};
        callbacks.new_sample = &GstMicrophone::OnSample;
        gst_app_sink_set_callbacks(GST_APP_SINK(appsink.get()), &callbacks, this, nullptr);
        // A missing device fails here (sources open their device on the way to READY) or on the
        // way to PLAYING.
        if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            qCWarning(lcMicrophone) << "the microphone cannot be opened:" << description.c_str();
            gst_element_set_state(pipeline.get(), GST_STATE_NULL);
            gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
            std::lock_guard lock(mutex_);
            sink_ = nullptr;
            stopped_ = nullptr;
            return false;
        }
        pipeline_ = std::move(pipeline);
        return true;
    }

    void Reset() override {
        if (!pipeline_) {
            return;
        }
        {
            // Stopped on purpose: whatever the pipeline posts on the way down is no news.
            std::lock_guard lock(mutex_);
            stopped_ = nullptr;
        }
        // Stopping joins the streaming thread: no sample arrives after this.
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
        const GstBusPtr bus(gst_element_get_bus(pipeline_.get()));
        gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
        pipeline_.reset();
        std::lock_guard lock(mutex_);
        if (!block_.empty() && sink_) {
            sink_(block_.data(), block_.size());
        }
        block_.clear();
        sink_ = nullptr;
    }

  private:
    static GstFlowReturn OnSample(GstAppSink* appsink, gpointer self) {
        const GstSamplePtr sample(gst_app_sink_pull_sample(appsink));
        if (!sample) {
            return GST_FLOW_OK;
        }
        const MappedBuffer mapped(gst_sample_get_buffer(sample.get()));
        if (mapped.ok()) {
            static_cast<GstMicrophone*>(self)->Gather(mapped.data(), mapped.size());
        }
        return GST_FLOW_OK;
    }

    // Any of the pipeline's threads: the stream ended or failed while capturing (a microphone
    // pulled out, a source that ran out). Told once; the samples so far stay for Reset.
    static GstBusSyncReply OnBusMessage(GstBus*, GstMessage* posted, gpointer self) {
        const GstMessagePtr message(posted);  // a handler that drops a message owns it
        const GstMessageType type = GST_MESSAGE_TYPE(message.get());
        if (type == GST_MESSAGE_EOS || type == GST_MESSAGE_ERROR) {
            if (type == GST_MESSAGE_ERROR) {
                GError* raw_error = nullptr;
                gst_message_parse_error(message.get(), &raw_error, nullptr);
                const GErrorPtr error(raw_error);
                qCWarning(lcMicrophone) << "the microphone failed:" << (error ? error->message : "unknown");
            } else {
                qCWarning(lcMicrophone) << "the microphone's stream ended";
            }
            static_cast<GstMicrophone*>(self)->TellStopped();
        }
        return GST_BUS_DROP;
    }

    void TellStopped() {
        StopNotice stopped;
        {
            std::lock_guard lock(mutex_);
            stopped.swap(stopped_);
        }
        if (stopped) {
            stopped();
        }
    }

    // Streaming thread: fills the block and hands over each full one.
    void Gather(const std::uint8_t* bytes, std::size_t count) {
        std::lock_guard lock(mutex_);
        while (count > 0) {
            const std::size_t take = std::min(count, kWaveInBlockBytes - block_.size());
            block_.insert(block_.end(), bytes, bytes + take);
            bytes += take;
            count -= take;
            if (block_.size() == kWaveInBlockBytes) {
                if (sink_) {
                    sink_(block_.data(), block_.size());
                }
                block_.clear();
            }
        }
    }

    vantor::GstRuntime runtime_;
    GstPipelinePtr pipeline_;  // set while capturing; the window's thread only
    std::mutex mutex_;         // guards block_, sink_ and stopped_ (streaming threads and Reset)
    std::vector<std::uint8_t> block_;
    BlockSink sink_;
    StopNotice stopped_;
};

}  // namespace

std::string MicrophoneSource() {
    const char* named = std::getenv("VANTOR_MICROPHONE");
    return named != nullptr && *named != '\0' ? std::string(named) : std::string("autoaudiosrc");
}

std::unique_ptr<WaveInDevice> MakeMicrophone() {
    return std::make_unique<GstMicrophone>();
}

}  // namespace travenor
