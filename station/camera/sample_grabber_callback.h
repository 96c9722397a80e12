#pragma once
// The frame hand-over of one open device. The streaming thread hands each sample to OnSample;
// the fetcher takes the newest frame with Fetch. At most one frame is pending: samples that arrive
// while one waits to be fetched are dropped, so frames are never queued.
#include <gst/gst.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>
#include "camera/manual_reset_event.h"

class SampleGrabberCallback {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Frames of width x height packed 24-bit pixels are expected.
    SampleGrabberCallback(int width, int height);
    SampleGrabberCallback(const SampleGrabberCallback&) = delete;
    SampleGrabberCallback& operator=(const SampleGrabberCallback&) = delete;
    SampleGrabberCallback(SampleGrabberCallback&&) = delete;
    SampleGrabberCallback& operator=(SampleGrabberCallback&&) = delete;

    // Streaming thread: one sample of packed BGR rows as the caps describe them (rows may be padded
    // to the caps' stride). Drops it while a frame is pending, or when its frame is not of the
    // expected size (with a line on standard output).
    void OnSample(GstSample* sample);

    bool IsFrameNew() const;

    // Waits at most timeout for a pending frame and copies it into destination (expected size);
    // swapRedBlue exchanges the first and third byte of each pixel, flip reverses the rows.
    // Returns false on time-out, leaving destination as it was.
    bool Fetch(std::uint8_t* destination, std::chrono::milliseconds timeout, bool swapRedBlue = false,
               bool flip = false);

    int Width() const { return width_; }
    int Height() const { return height_; }
    std::size_t ExpectedSize() const { return expectedSize_; }
    // When the frame taken by the last Fetch arrived.
    TimePoint LastFetchedArrival() const;

    // What happened to the samples so far.
    struct Counts {
        long long received = 0;  // samples handed to OnSample
        long long accepted = 0;  // copied into the hand-over buffer
        long long droppedPending = 0;
        long long droppedSize = 0;
    };
    Counts Tally() const;
    // Sequence number (1 for the first sample received) of the frame in the hand-over buffer.
    long long HeldSequence() const;
    // Waits until at least count samples have been received in all; false on time-out.
    bool WaitForSamples(long long count, std::chrono::milliseconds timeout) const;
    // When the newest sample came in, kept or dropped; the epoch before the first.
    TimePoint LastReceived() const;

  private:
    long long CountReceived();
    bool CopySample(GstSample* sample, long long sequence);

    const int width_;
    const int height_;
    const std::size_t expectedSize_;

    mutable std::mutex lock_;  // guards buffer_, newFrame_, heldSequence_, heldArrival_ and fetchedArrival_
    std::vector<std::uint8_t> buffer_;
    bool newFrame_ = false;
    long long heldSequence_ = 0;
    TimePoint heldArrival_{};
    TimePoint fetchedArrival_{};

    vantor::camera::ManualResetEvent frameEvent_;  // set while a received frame waits to be fetched

    std::atomic<long long> received_{0};
    std::atomic<long long> accepted_{0};
    std::atomic<long long> droppedPending_{0};
    std::atomic<long long> droppedSize_{0};
    mutable std::mutex tallyMutex_;  // guards lastReceived_; pairs with tallyChanged_ for waits on received_
    mutable std::condition_variable tallyChanged_;
    TimePoint lastReceived_{};
};
