#pragma once
// Test videos made at test time with GStreamer's encoders, so that no media file lives in the
// repository. Each call writes one file and returns an empty string, or says what went wrong
// (a missing encoder names its package).
#include <filesystem>
#include <string>

namespace vantor_test {

struct VideoSpec {
    int seconds_x10 = 50;  // length in tenths of a second
    int width = 320;
    int height = 240;
    int fps = 10;
    bool with_sound = false;
};

// Motion-JPEG pictures in an AVI file.
std::string MakeMjpegAvi(const std::filesystem::path& file, const VideoSpec& spec);
// H.264 pictures (x264) in a QuickTime file.
std::string MakeH264Mov(const std::filesystem::path& file, const VideoSpec& spec);
// What a phone writes: H.264 pictures in an MP4 file whose track says to turn them by `degrees`
// (90, 180 or 270, clockwise) when shown, as a portrait clip is stored on its side. `source` is a
// gst-launch picture source (empty: the moving ball); the size is that of the stored pictures.
std::string MakeTurnedMp4(const std::filesystem::path& file, const VideoSpec& spec, int degrees,
                          const std::string& source = {});
// VP8 pictures in a WebM file, or H.264 in Matroska for a name ending in ".mkv".
std::string MakeWebmOrMkv(const std::filesystem::path& file, const VideoSpec& spec);
// Sound only (a wave file, or an AVI holding only sound when the name ends in ".avi").
std::string MakeSoundOnly(const std::filesystem::path& file, int seconds_x10);
// Runs a gst-launch style description to its end; `{file}` in it stands for the output file.
std::string RunEncodingPipeline(const std::string& description, const std::filesystem::path& file);

}  // namespace vantor_test
