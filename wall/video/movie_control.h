#pragma once
// CMovieControl: the videos of the folder shown on the wall. A folder load scans the folder for
// videos and makes a thumbnail of each one longer than ten seconds: its picture at the ten-second
// mark, the right way up, fitted into 960 x 720 in its own shape on black, with the play mark
// "images\Wall\ico.png" at the bottom left, saved as a BMP beside the video, so that the wall shows it as a
// tile. The thumbnails are deleted again on the next folder load and when the wall closes.
//
// Names: the thumbnail of "clip.avi" is "CLIP.avi.bmp" (the name upper-cased, the extensions
// ".RMVB", ".WAV", ".MPEG", ".RM", ".MPG", ".AVI" and ".ASF" turned back to lower case, ".bmp"
// added), written in the folder as listed. The list holds full paths; it is looked up without
// regard to case, so that a tile named after a thumbnail finds it whatever the case of the
// folder, and its video is played from the file the folder really holds.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>
#include "media_probe.h"
#include "text/tstring.h"

namespace halvix {

inline constexpr std::int64_t kThumbnailAt_ns = 10'000'000'000;  // the ten-second mark
inline constexpr int kThumbnailWidth = 960;
inline constexpr int kThumbnailHeight = 720;
inline constexpr char16_t kPlayMarkFile[] = u"images\\Wall\\ico.png";

// "avi", "mpg", "mpeg", "wmv", "rm", "rmvb", "asf" or "mov" after the last dot, in any case, and
// what phones and cameras write today: "mp4", "m4v", "mkv", "webm", "3gp" and "mts".
bool HasVideoExtension(const tstring& name);
// The thumbnail's file name for a video's file name.
tstring ThumbnailFileName(const tstring& video_name);

class CMovieControl {
  public:
    using FrameGrabber =
        std::function<zorvane::VideoGrab(const std::string& native_path, std::int64_t at_ns)>;

    // play_mark: the icon's path, relative to the working folder or absolute.
    explicit CMovieControl(FrameGrabber grabber = {}, tstring play_mark = tstring(kPlayMarkFile));
    ~CMovieControl();  // deletes the thumbnails
    CMovieControl(const CMovieControl&) = delete;
    CMovieControl& operator=(const CMovieControl&) = delete;

    // A folder load: the thumbnails of the previous folder are deleted, the folder (a logic path)
    // is scanned and its list replaces the old one. Slow (it decodes); runs on a loader thread.
    // Once `stop` says so no further video is looked at; the list holds the ones made so far.
    void LoadFolder(const tstring& folder, const std::function<bool()>& stop = {});
    void DeleteThumbnails();

    // Whether the list holds the path (compared without regard to case).
    bool IsThumbnail(const tstring& path) const;
    // The video file a tile's video path names: the listed video that matches it without regard
    // to case, else the path itself.
    tstring VideoFile(const tstring& video_path) const;
    // The list, as upper-case full paths.
    std::vector<tstring> ThumbnailList() const;

  private:
    struct Entry {
        tstring thumbnail;  // logic path as written: folder + "\" + thumbnail name
        tstring video;      // logic path of the video as listed
        std::string native_thumbnail;
        bool written = false;  // only a file this control wrote is deleted
    };
    std::vector<Entry> Scan(const tstring& folder, const std::function<bool()>& stop) const;
    // Whether the file holds a video (listed even when it is too short for a thumbnail); `written`
    // tells whether a thumbnail file was made.
    bool MakeThumbnail(const std::string& native_video, const std::string& native_thumbnail,
                       bool& written) const;

    FrameGrabber grabber_;
    tstring play_mark_;

    std::mutex scan_mutex_;          // guards the thumbnail files: one load deletes and makes them at a time
    mutable std::mutex list_mutex_;  // guards entries_ (read by clicks)
    std::vector<Entry> entries_;
};

}  // namespace halvix
