#include "camera/sample_grabber_callback.h"
#include <gst/video/video.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include "gst_ptr.h"

namespace {

constexpr int kBytesPerPixel = 3;

// Copies rows of rowBytes from source rows strideBytes apart into packed destination rows.
void CopyRows(const std::uint8_t* source, std::size_t strideBytes, std::size_t rowBytes, int rows,
              std::uint8_t* destination) {
    if (strideBytes == rowBytes) {
        std::memcpy(destination, source, rowBytes * static_cast<std::size_t>(rows));
        return;
    }
    for (int row = 0; row < rows; ++row) {
        std::memcpy(destination + rowBytes * static_cast<std::size_t>(row),
                    source + strideBytes * static_cast<std::size_t>(row), rowBytes);
    }
}

void SwapRedBlue(std::uint8_t* pixels, std::size_t size) {
    for (std::size_t i = 0; i + 2 < size; i += kBytesPerPixel) {
        std::swap(pixels[i], pixels[i + 2]);
    }
}

}  // namespace

SampleGrabberCallback::SampleGrabberCallback(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      expectedSize_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * kBytesPerPixel),
      buffer_(expectedSize_) {}

void SampleGrabberCallback::OnSample(GstSample* sample) {
    const long long sequence = CountReceived();
    if (frameEvent_.IsSet()) {
        ++droppedPending_;
        return;
    }
    if (!CopySample(sample, sequence)) {
        ++droppedSize_;
        std::fputs("ERROR: SampleCB() - buffer sizes do not match\n", stdout);
        std::fflush(stdout);
        return;
    }
    ++accepted_;
    frameEvent_.Set();
}

// A sample with caps is read as the video frame they describe (packed 24-bit BGR, rows at the
// caps' stride); a sample without caps is taken as packed rows as they stand.
bool SampleGrabberCallback::CopySample(GstSample* sample, long long sequence) {
    GstBuffer* buffer = sample != nullptr ? gst_sample_get_buffer(sample) : nullptr;
    if (buffer == nullptr) {
        return false;
    }
    const auto arrival = std::chrono::steady_clock::now();
    GstCaps* caps = gst_sample_get_caps(sample);
    if (caps == nullptr) {
        vantor::MappedBuffer mapped(buffer);
        if (!mapped.ok() || mapped.size() != expectedSize_) {
            return false;
        }
        std::lock_guard lock(lock_);
        std::memcpy(buffer_.data(), mapped.data(), expectedSize_);
        newFrame_ = true;
        heldSequence_ = sequence;
        heldArrival_ = arrival;
        return true;
    }
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, caps) || GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGR) {
        return false;
    }
    const std::size_t packedSize = static_cast<std::size_t>(GST_VIDEO_INFO_WIDTH(&info)) *
                                   static_cast<std::size_t>(GST_VIDEO_INFO_HEIGHT(&info)) * kBytesPerPixel;
    if (packedSize != expectedSize_ || GST_VIDEO_INFO_WIDTH(&info) != width_) {
        return false;
    }
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) {
        return false;
    }
    {
        std::lock_guard lock(lock_);
        CopyRows(static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                 static_cast<std::size_t>(GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0)),
                 static_cast<std::size_t>(width_) * kBytesPerPixel, height_, buffer_.data());
        newFrame_ = true;
        heldSequence_ = sequence;
        heldArrival_ = arrival;
    }
    gst_video_frame_unmap(&frame);
    return true;
}

long long SampleGrabberCallback::CountReceived() {
    long long sequence = 0;
    const TimePoint now = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(tallyMutex_);
        sequence = ++received_;
        lastReceived_ = now;
    }
    tallyChanged_.notify_all();
    return sequence;
}

bool SampleGrabberCallback::WaitForSamples(long long count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(tallyMutex_);
    return tallyChanged_.wait_for(lock, timeout, [this, count] { return received_.load() >= count; });
}

SampleGrabberCallback::TimePoint SampleGrabberCallback::LastReceived() const {
    std::lock_guard lock(tallyMutex_);
    return lastReceived_;
}

bool SampleGrabberCallback::IsFrameNew() const {
    std::lock_guard lock(lock_);
    return newFrame_;
}

bool SampleGrabberCallback::Fetch(std::uint8_t* destination, std::chrono::milliseconds timeout,
                                  bool swapRedBlue, bool flip) {
    if (!frameEvent_.WaitFor(timeout)) {
        return false;
    }
    {
        std::lock_guard lock(lock_);
        const std::size_t rowBytes = static_cast<std::size_t>(width_) * kBytesPerPixel;
        if (flip) {
            for (int row = 0; row < height_; ++row) {
                std::memcpy(destination + rowBytes * static_cast<std::size_t>(row),
                            buffer_.data() + rowBytes * static_cast<std::size_t>(height_ - 1 - row),
                            rowBytes);
            }
        } else {
            std::memcpy(destination, buffer_.data(), expectedSize_);
        }
        if (swapRedBlue) {
            SwapRedBlue(destination, expectedSize_);
        }
        newFrame_ = false;
        fetchedArrival_ = heldArrival_;
    }
    frameEvent_.Reset();
    return true;
}

SampleGrabberCallback::TimePoint SampleGrabberCallback::LastFetchedArrival() const {
    std::lock_guard lock(lock_);
    return fetchedArrival_;
}

SampleGrabberCallback::Counts SampleGrabberCallback::Tally() const {
    return Counts{received_.load(), accepted_.load(), droppedPending_.load(), droppedSize_.load()};
}

long long SampleGrabberCallback::HeldSequence() const {
    std::lock_guard lock(lock_);
    return heldSequence_;
}
