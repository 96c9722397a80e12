#pragma once
// The media framework under the video library: one graph renders one file into one native window.
// GstMediaGraph is the real one; tests put their own behind VideoLibrary.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zorvane {

enum class GraphEvent { EndOfStream, Error, Other };

class MediaGraph {
  public:
    virtual ~MediaGraph() = default;

    // Builds the decoding and rendering chain for the file and cues it: the first picture is shown
    // and the graph waits, paused. False when the file cannot be rendered.
    virtual bool Render(const std::string& native_path) = 0;
    virtual void Run() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;  // halts where it is; the picture stays

    // Times in nanoseconds; nullopt when the graph cannot tell.
    virtual std::optional<std::int64_t> Duration_ns() = 0;
    virtual std::optional<std::int64_t> Position_ns() = 0;
    // To the key frame at the position; the end of the playback stays where it was.
    virtual void SeekTo_ns(std::int64_t position_ns) = 0;

    virtual bool HasAudio() = 0;
    virtual double Volume() = 0;  // linear, 1 full
    virtual void SetVolume(double linear) = 0;

    // The native window that shows the picture, and the size it is shown at there.
    virtual bool HasVideoWindow() const = 0;
    virtual void PlaceVideo(int width, int height) = 0;
    virtual void Expose() = 0;  // draws the last picture again

    // Called on the framework's threads whenever an event is queued; cleared before the graph goes.
    virtual void SetNotify(std::function<void()> notify) = 0;
    // The next queued event without waiting; nullopt when none is waiting.
    virtual std::optional<GraphEvent> NextEvent() = 0;
};

// Creates a graph drawing into the native window, or null when the framework cannot make one.
using GraphFactory = std::function<std::unique_ptr<MediaGraph>(std::uintptr_t native_window)>;

}  // namespace zorvane
