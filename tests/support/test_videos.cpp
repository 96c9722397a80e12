#include "test_videos.h"

#include <gst/gst.h>
#include <cstdint>
#include <fstream>
#include <iterator>
#include "gst_ptr.h"
#include "gst_runtime.h"

namespace vantor_test {
namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The picture source: a moving ball, so pictures at different times differ.
std::string PictureSource(const VideoSpec& spec) {
    const int frames = spec.seconds_x10 * spec.fps / 10;
    return "videotestsrc pattern=ball background-color=0xff1e3c78 foreground-color=0xfff0c040 num-buffers=" +
           std::to_string(frames) + " ! video/x-raw,format=I420,width=" + std::to_string(spec.width) +
           ",height=" + std::to_string(spec.height) + ",framerate=" + std::to_string(spec.fps) + "/1";
}

std::string SoundSource(int seconds_x10) {
    // 1024 samples a buffer at 44100 Hz.
    const int buffers = static_cast<int>(static_cast<long long>(seconds_x10) * 44100 / 10 / 1024);
    return "audiotestsrc wave=sine num-buffers=" + std::to_string(buffers) +
           " samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=1";
}

}  // namespace

std::string RunEncodingPipeline(const std::string& description, const std::filesystem::path& file) {
    if (const vantor::GstStart gstreamer = vantor::InitialiseGstreamer(); !gstreamer.ok) {
        return gstreamer.error;
    }
    const std::string text = Replaced(description, "{file}", "\"" + file.string() + "\"");
    GError* raw_error = nullptr;
    const vantor::GstElementPtr pipeline(gst_parse_launch(text.c_str(), &raw_error));
    if (const vantor::GErrorPtr error(raw_error); !pipeline || error) {
        return "cannot build \"" + text + "\": " + (error ? error->message : "unknown") +
               " (gstreamer1.0-plugins-good, -ugly and -libav installed?)";
    }
    const vantor::GstBusPtr bus(gst_element_get_bus(pipeline.get()));
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    const vantor::GstMessagePtr end(gst_bus_timed_pop_filtered(
        bus.get(), 120 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    std::string result;
    if (!end) {
        result = "encoding timed out: " + text;
    } else if (GST_MESSAGE_TYPE(end.get()) == GST_MESSAGE_ERROR) {
        GError* raw_failure = nullptr;
        gst_message_parse_error(end.get(), &raw_failure, nullptr);
        const vantor::GErrorPtr failure(raw_failure);
        result = "encoding failed: " + std::string(failure ? failure->message : "unknown") + ": " + text;
    }
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return result;
}

std::string MakeMjpegAvi(const std::filesystem::path& file, const VideoSpec& spec) {
    std::string description =
        PictureSource(spec) + " ! jpegenc quality=70 ! mux. avimux name=mux ! filesink location={file}";
    if (spec.with_sound) {
        description += " " + SoundSource(spec.seconds_x10) + " ! audioconvert ! mux.";
    }
    return RunEncodingPipeline(description, file);
}

std::string MakeH264Mov(const std::filesystem::path& file, const VideoSpec& spec) {
    std::string description =
        PictureSource(spec) +
        " ! x264enc speed-preset=ultrafast tune=zerolatency key-int-max=" + std::to_string(spec.fps * 4) +
        " ! h264parse ! mux. qtmux name=mux ! filesink location={file}";
    if (spec.with_sound) {
        description += " " + SoundSource(spec.seconds_x10) + " ! audioconvert ! avenc_aac ! mux.";
    }
    return RunEncodingPipeline(description, file);
}

// The track header's display matrix (16.16 and 2.30 fixed point, big-endian) set to a turn: what
// a phone's camera writes and what the demuxer reports as the picture's orientation.
std::string TurnTrack(const std::filesystem::path& file, int degrees) {
    std::fstream mp4(file, std::ios::in | std::ios::out | std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(mp4)), std::istreambuf_iterator<char>());
    const std::size_t header = bytes.find("tkhd");
    if (header == std::string::npos) {
        return "no track header in " + file.string();
    }
    const std::int32_t one = 0x10000;
    const std::int32_t cos = degrees == 0 ? one : degrees == 180 ? -one : 0;
    const std::int32_t sin = degrees == 90 ? one : degrees == 270 ? -one : 0;
    const std::int32_t matrix[9] = {cos, sin, 0, -sin, cos, 0, 0, 0, 0x40000000};
    std::string packed;
    for (const std::int32_t value : matrix) {
        const auto u = static_cast<std::uint32_t>(value);
        packed += {static_cast<char>(u >> 24), static_cast<char>(u >> 16), static_cast<char>(u >> 8),
                   static_cast<char>(u)};
    }
    mp4.clear();
    mp4.seekp(static_cast<std::streamoff>(header + 44));  // "tkhd", version and flags, times, ids, layer...
    mp4.write(packed.data(), static_cast<std::streamsize>(packed.size()));
    return mp4 ? "" : "cannot write " + file.string();
}

std::string MakeTurnedMp4(const std::filesystem::path& file, const VideoSpec& spec, int degrees,
                          const std::string& source) {
    const std::string encoded =
        RunEncodingPipeline((source.empty() ? PictureSource(spec) : source) +
                                " ! x264enc speed-preset=ultrafast key-int-max=" + std::to_string(spec.fps) +
                                " ! h264parse ! mp4mux ! filesink location={file}",
                            file);
    return encoded.empty() ? TurnTrack(file, degrees) : encoded;
}

std::string MakeWebmOrMkv(const std::filesystem::path& file, const VideoSpec& spec) {
    const bool mkv = file.extension() == ".mkv";
    return RunEncodingPipeline(PictureSource(spec) +
                                   (mkv ? " ! x264enc speed-preset=ultrafast ! h264parse ! matroskamux"
                                        : " ! vp8enc deadline=1 ! webmmux") +
                                   " ! filesink location={file}",
                               file);
}

std::string MakeSoundOnly(const std::filesystem::path& file, int seconds_x10) {
    const bool avi = file.extension() == ".avi";
    return RunEncodingPipeline(SoundSource(seconds_x10) + (avi ? " ! audioconvert ! avimux" : " ! wavenc") +
                                   " ! filesink location={file}",
                               file);
}

}  // namespace vantor_test
