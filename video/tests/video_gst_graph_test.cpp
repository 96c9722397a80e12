// The GStreamer graph on its own, without a window: the notification that events wait and the
// events it announces, however soon the host answers; a file that cannot be rendered.
#include <gtest/gtest.h>
#include <atomic>
#include <mutex>
#include <vector>
#include "gst_media_graph.h"
#include "test_folder.h"
#include "test_videos.h"
#include "ui_wait.h"

using vantor_test::VideoSpec;
using vantor_test::WaitUntil;
using zorvane::GraphEvent;
using zorvane::MediaGraph;

namespace {

// Events as a host sees them when it answers every notification before the framework goes on:
// the answer runs inside the notification, on whatever thread gives it.
class EagerHost {
  public:
    explicit EagerHost(MediaGraph& graph) : graph_(graph) {}

    std::function<void()> Notify() {
        return [this] {
            ++notifications_;
            std::lock_guard lock(mutex_);
            while (const std::optional<GraphEvent> event = graph_.NextEvent()) {
                events_.push_back(*event);
            }
        };
    }
    int Count(GraphEvent kind) {
        std::lock_guard lock(mutex_);
        int count = 0;
        for (GraphEvent event : events_) {
            count += event == kind ? 1 : 0;
        }
        return count;
    }
    int Notifications() const { return notifications_; }

  private:
    MediaGraph& graph_;
    std::atomic<int> notifications_{0};
    std::mutex mutex_;  // guards events_; notifications come from the framework's threads
    std::vector<GraphEvent> events_;
};

TEST(VideoGstGraph, EveryNotifiedEventIsWaitingWhenTheHostAnswers) {
    vantor_test::TestFolder folder;
    const auto file = folder.path() / "short.avi";
    ASSERT_EQ(vantor_test::MakeMjpegAvi(file, VideoSpec{.seconds_x10 = 10}), "");

    std::unique_ptr<MediaGraph> graph = zorvane::GstMediaGraph::Create(0);
    ASSERT_NE(graph, nullptr);
    EXPECT_FALSE(graph->HasVideoWindow());
    ASSERT_TRUE(graph->Render(file.string()));
    EagerHost host(*graph);
    graph->SetNotify(host.Notify());
    graph->Run();
    // The end of the stream is the last message the graph gives: if it was announced before it
    // could be taken, nothing ever announces it again.
    EXPECT_TRUE(WaitUntil([&] { return host.Count(GraphEvent::EndOfStream) == 1; }, 15000))
        << host.Notifications() << " notifications, yet the end of the file was never found waiting";
    EXPECT_EQ(graph->NextEvent(), std::nullopt);

    // From the start again: one more end, and again found at its notification.
    graph->SeekTo_ns(0);
    EXPECT_TRUE(WaitUntil([&] { return host.Count(GraphEvent::EndOfStream) == 2; }, 15000));
    graph->SetNotify({});
}

TEST(VideoGstGraph, AFileThatCannotRenderMakesAQuietGraph) {
    vantor_test::TestFolder folder;
    const auto text = folder.Write("notes.avi", "not a film\n");
    std::unique_ptr<MediaGraph> graph = zorvane::GstMediaGraph::Create(0);
    ASSERT_NE(graph, nullptr);
    EXPECT_FALSE(graph->Render(text.string()));
    graph->Run();
    graph->SeekTo_ns(1'000'000'000);
    EXPECT_EQ(graph->Duration_ns(), std::nullopt);
    EXPECT_EQ(graph->Position_ns(), std::nullopt);
    EXPECT_FALSE(graph->HasAudio());
    while (graph->NextEvent()) {
    }
}

}  // namespace
