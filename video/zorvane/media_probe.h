#pragma once
// Looking into a media file without playing it: whether it holds a video this machine can decode,
// and one decoded picture of it. Safe on any thread.
#include <QImage>
#include <chrono>
#include <cstdint>
#include <string>
#include "zorvane_export.h"

namespace zorvane {

// True when the file's first video stream decodes to raw pictures of a known width and height
// here. False for audio-only files, still pictures, unreadable files and files whose demuxer or
// decoder is not installed.
bool HasDecodableVideo(const std::string& native_path,
                       std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

struct VideoGrab {
    bool has_video = false;  // a moving picture stream decoded to raw pictures
    int width = 0;           // of the decoded pictures
    int height = 0;
    std::int64_t duration_ns = -1;  // -1 when unknown
    QImage frame;                   // the picture at the asked position; null when not taken
    std::string refusal;            // without a video: why, for the log
};

// Opens the file's video (sound is not decoded) and, when the file is longer than at_ns, decodes
// the picture at exactly that position. A file refused as no video says why (VideoGrab::refusal,
// also logged in "vantor.video").
ZORVANE_EXPORT VideoGrab GrabVideoFrame(const std::string& native_path, std::int64_t at_ns,
                                        std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

}  // namespace zorvane
