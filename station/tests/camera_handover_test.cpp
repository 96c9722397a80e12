// The frame hand-over between the streaming thread and the fetcher, with real GStreamer samples.
#include <gst/video/video.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include "gst_ptr.h"
#include "gst_runtime.h"
#include "camera/sample_grabber_callback.h"

using namespace std::chrono_literals;
using vantor::GstSamplePtr;

namespace {

constexpr auto kNoWait = 0ms;

class CameraHandover : public ::testing::Test {
  protected:
    // A BGR sample of width x height as GStreamer lays it out (rows padded to 4 bytes); pixel bytes
    // of row r (top row 0 in memory order) are value + r, padding bytes 0xEE.
    static GstSamplePtr BgrSample(int width, int height, std::uint8_t value) {
        GstVideoInfo info;
        gst_video_info_set_format(&info, GST_VIDEO_FORMAT_BGR, static_cast<guint>(width),
                                  static_cast<guint>(height));
        const vantor::GstBufferPtr buffer(
            gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&info), nullptr));
        GstMapInfo map;
        gst_buffer_map(buffer.get(), &map, GST_MAP_WRITE);
        std::memset(map.data, 0xEE, map.size);
        for (int row = 0; row < height; ++row) {
            std::memset(map.data + row * GST_VIDEO_INFO_PLANE_STRIDE(&info, 0), value + row,
                        static_cast<std::size_t>(width) * 3);
        }
        gst_buffer_unmap(buffer.get(), &map);
        vantor::GstCapsPtr caps(gst_video_info_to_caps(&info));
        return GstSamplePtr(gst_sample_new(buffer.get(), caps.get(), nullptr, nullptr));
    }
    // Packed bytes without caps.
    static GstSamplePtr RawSample(std::size_t size, std::uint8_t value) {
        const vantor::GstBufferPtr buffer(gst_buffer_new_allocate(nullptr, size, nullptr));
        gst_buffer_memset(buffer.get(), 0, value, size);
        return GstSamplePtr(gst_sample_new(buffer.get(), nullptr, nullptr, nullptr));
    }

    vantor::GstRuntime runtime_;
};

}  // namespace

TEST_F(CameraHandover, APendingFrameDropsLaterSamplesUntilFetched) {
    SampleGrabberCallback receiver(4, 2);
    receiver.OnSample(BgrSample(4, 2, 10).get());
    receiver.OnSample(BgrSample(4, 2, 50).get());
    receiver.OnSample(BgrSample(4, 2, 90).get());
    EXPECT_TRUE(receiver.IsFrameNew());
    EXPECT_EQ(receiver.HeldSequence(), 1);
    EXPECT_EQ(receiver.Tally().droppedPending, 2);

    std::vector<std::uint8_t> frame(receiver.ExpectedSize());
    ASSERT_TRUE(receiver.Fetch(frame.data(), kNoWait));
    EXPECT_EQ(frame.front(), 10);  // the first sample, not a later one
    EXPECT_FALSE(receiver.IsFrameNew());

    receiver.OnSample(BgrSample(4, 2, 90).get());
    ASSERT_TRUE(receiver.Fetch(frame.data(), kNoWait));
    EXPECT_EQ(frame.front(), 90);
    EXPECT_EQ(receiver.Tally().accepted, 2);
}

TEST_F(CameraHandover, AWrongSizedSampleIsDroppedWithTheDiagnostic) {
    SampleGrabberCallback receiver(4, 2);
    ::testing::internal::CaptureStdout();
    receiver.OnSample(BgrSample(3, 2, 10).get());
    receiver.OnSample(RawSample(4 * 2 * 3 + 1, 10).get());
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              "ERROR: SampleCB() - buffer sizes do not match\n"
              "ERROR: SampleCB() - buffer sizes do not match\n");
    EXPECT_FALSE(receiver.IsFrameNew());
    EXPECT_EQ(receiver.Tally().droppedSize, 2);
    // Nothing is pending, so the next good sample is taken.
    receiver.OnSample(RawSample(4 * 2 * 3, 33).get());
    EXPECT_TRUE(receiver.IsFrameNew());
}

TEST_F(CameraHandover, PaddedRowsAreCopiedByTheirStride) {
    // 3 pixels make 9 bytes a row, which GStreamer pads to 12.
    SampleGrabberCallback receiver(3, 2);
    receiver.OnSample(BgrSample(3, 2, 20).get());
    std::vector<std::uint8_t> frame(receiver.ExpectedSize(), 0);
    ASSERT_TRUE(receiver.Fetch(frame.data(), kNoWait));
    const std::vector<std::uint8_t> expected = {20, 20, 20, 20, 20, 20, 20, 20, 20,
                                                21, 21, 21, 21, 21, 21, 21, 21, 21};
    EXPECT_EQ(frame, expected);
}

TEST_F(CameraHandover, TimeOutLeavesThePreviousFrame) {
    SampleGrabberCallback receiver(2, 1);
    std::vector<std::uint8_t> frame(receiver.ExpectedSize(), 7);
    EXPECT_FALSE(receiver.Fetch(frame.data(), 20ms));
    EXPECT_EQ(frame, std::vector<std::uint8_t>(6, 7));
    receiver.OnSample(RawSample(6, 42).get());
    ASSERT_TRUE(receiver.Fetch(frame.data(), 20ms));
    EXPECT_FALSE(receiver.Fetch(frame.data(), 20ms));  // the same frame is not handed out twice
    EXPECT_EQ(frame, std::vector<std::uint8_t>(6, 42));
}

TEST_F(CameraHandover, FetchOptionsSwapRedBlueAndFlipRows) {
    SampleGrabberCallback receiver(1, 2);
    const vantor::GstBufferPtr buffer(gst_buffer_new_allocate(nullptr, 6, nullptr));
    const std::uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
    gst_buffer_fill(buffer.get(), 0, bytes, 6);
    const GstSamplePtr sample(gst_sample_new(buffer.get(), nullptr, nullptr, nullptr));

    std::vector<std::uint8_t> frame(6);
    receiver.OnSample(sample.get());
    ASSERT_TRUE(receiver.Fetch(frame.data(), kNoWait, true, false));
    EXPECT_EQ(frame, (std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4}));
    receiver.OnSample(sample.get());
    ASSERT_TRUE(receiver.Fetch(frame.data(), kNoWait, false, true));
    EXPECT_EQ(frame, (std::vector<std::uint8_t>{4, 5, 6, 1, 2, 3}));
}

TEST_F(CameraHandover, FramesFetchedWhileSamplesStreamAreNeverTorn) {
    constexpr int kSamples = 400;
    SampleGrabberCallback receiver(64, 48);
    std::vector<GstSamplePtr> samples;
    for (int i = 0; i < kSamples; ++i) {
        samples.push_back(RawSample(receiver.ExpectedSize(), static_cast<std::uint8_t>(i)));
    }
    std::atomic<bool> done{false};
    std::thread streaming([&] {
        for (const GstSamplePtr& sample : samples) {
            receiver.OnSample(sample.get());
        }
        done = true;
    });
    std::vector<std::uint8_t> frame(receiver.ExpectedSize());
    int fetched = 0;
    bool whole = true;
    auto fetch = [&](std::chrono::milliseconds timeout) {
        if (receiver.Fetch(frame.data(), timeout)) {
            ++fetched;
            whole = whole &&
                    std::count(frame.begin(), frame.end(), frame.front()) == static_cast<long>(frame.size());
        }
    };
    while (!done) {
        fetch(1ms);
    }
    streaming.join();
    fetch(kNoWait);
    EXPECT_TRUE(whole);
    const SampleGrabberCallback::Counts counts = receiver.Tally();
    EXPECT_EQ(counts.received, kSamples);
    EXPECT_EQ(counts.accepted + counts.droppedPending, kSamples);
    EXPECT_EQ(counts.accepted, fetched);
}
