#pragma once
// The state and the rules behind the vp functions: whether the library was initialised, the
// attached window and the one current player, whose state records the commands given to it.
// The media framework comes from a graph factory, so the rules can be checked with a graph of the
// tests' own.
#include <QPointer>
#include <QRect>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include "media_graph.h"
#include "zorvane.h"

class QWidget;
class QObject;

namespace zorvane {

enum class PlayerState : std::int32_t { Stopped = 0, Paused = 1, Running = 2 };

class VideoLibrary {
  public:
    explicit VideoLibrary(GraphFactory factory);
    ~VideoLibrary();
    VideoLibrary(const VideoLibrary&) = delete;
    VideoLibrary& operator=(const VideoLibrary&) = delete;

    void Initialize();
    void Attach(VPWINDOW window);
    void Load(const std::u16string& path);
    void Play();
    void Pause();
    void Stop();
    std::int32_t HandleGraphEvent();
    std::int32_t NotifyOwnerMessage(VPWINDOW window, std::uint32_t message, std::uint32_t wParam,
                                    std::uint32_t lParam);
    std::int32_t TotalTime();
    std::int32_t CurrentPosition();
    void SetCurrentPosition(std::int32_t seconds);
    void SeekToBegin();
    void SeekToEnd();
    std::int32_t Volume();
    void SetVolume(std::int32_t hundredths_dB);
    void PutFullMode(bool full);
    void AdjustToWindow();
    void Quit();
    VPPLAYSTATE PlayState() const;
    bool IsFileCanBeDecoded(const std::u16string& path) const;

    // For tests: the recorded state of the current player.
    PlayerState StateForTest() const;

  private:
    struct Player {
        std::unique_ptr<MediaGraph> graph;
        PlayerState state = PlayerState::Stopped;
        QPointer<QWidget> owner;           // the attached window at load time
        QObject* notify_target = nullptr;  // its parent; outlives the player (the host's main window)
        QRect geometry_before_full;        // the owner's place before vpPutFullMode(true)
        bool top_was_full_screen = false;  // the owner's top-level window before it
    };

    // The graph of the current player, or null: before Initialize, without a player, or for a
    // player whose graph could not be made.
    MediaGraph* Graph() const;
    void ReleasePlayer();
    void PlaceVideoAtOwner();

    GraphFactory factory_;
    std::atomic<bool> initialised_{false};  // read by IsFileCanBeDecoded on other threads
    QPointer<QWidget> attached_;
    std::unique_ptr<Player> player_;
};

// The library of the process, behind the vp functions, with the GStreamer graph.
VideoLibrary& ProcessVideoLibrary();

}  // namespace zorvane
