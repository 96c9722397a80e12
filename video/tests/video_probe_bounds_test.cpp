// What a crafted AVI may cost the video probe: a file whose pictures declare an absurd size, or
// whose chunks declare absurd lengths, is refused with its reason before a decoder allocates for
// it or the source reads that much; the process's peak memory hardly moves. Built without the
// sanitizers, whose allocators change every figure.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include "media_probe.h"
#include "process_memory.h"
#include "test_folder.h"
#include "test_videos.h"

namespace {

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

void PutLittle32(std::string& bytes, size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// Every JPEG picture's frame header (SOF0) claims 20000 x 20000 pixels; the AVI headers still
// say 160 x 120.
std::string WithHugePictures(std::string avi) {
    for (size_t at = avi.find("\xFF\xC0"); at != std::string::npos; at = avi.find("\xFF\xC0", at + 2)) {
        for (const size_t field : {at + 5, at + 7}) {  // height, then width, big-endian
            avi[field] = static_cast<char>(20000 >> 8);
            avi[field + 1] = static_cast<char>(20000 & 0xFF);
        }
    }
    return avi;
}

// No index, and the first chunk of the movie data claims 1.5 GB.
std::string WithHugeChunk(std::string avi) {
    const size_t index = avi.rfind("idx1");
    if (index != std::string::npos) {
        avi.replace(index, 4, "JUNK");
    }
    const size_t movie = avi.find("movi");
    PutLittle32(avi, movie + 4 + 4, 1'500'000'000u);  // after "movi", the first chunk's id, then its size
    return avi;
}

}  // namespace

TEST(VideoProbeBounds, CraftedAvisAreRefusedWithoutTheirCost) {
    vantor_test::TestFolder folder;
    vantor_test::VideoSpec spec;
    spec.seconds_x10 = 120;
    spec.width = 160;
    spec.height = 120;
    const auto good = folder.path() / "good.avi";
    ASSERT_EQ(vantor_test::MakeMjpegAvi(good, spec), "");
    const std::string bytes = ReadAll(good);
    ASSERT_NE(bytes.find("movi"), std::string::npos);
    ASSERT_TRUE(zorvane::GrabVideoFrame(good.string(), 10'000'000'000).has_video);

    const struct {
        const char* name;
        std::string bytes;
    } crafted[] = {{"huge pictures.avi", WithHugePictures(bytes)}, {"huge chunk.avi", WithHugeChunk(bytes)}};
    for (const auto& file : crafted) {
        SCOPED_TRACE(file.name);
        const auto path = folder.path() / file.name;
        WriteAll(path, file.bytes);
        const double before_MB = vantor_test::StatusMegabytes("VmRSS");
        ASSERT_TRUE(vantor_test::ResetPeak())
            << "the peak resident size cannot be reset (/proc/self/clear_refs)";
        const zorvane::VideoGrab grab = zorvane::GrabVideoFrame(path.string(), 10'000'000'000);
        const double added_MB = vantor_test::StatusMegabytes("VmHWM") - before_MB;
        EXPECT_LT(added_MB, 64.0) << "peak added by the probe";
        if (!grab.has_video) {
            EXPECT_NE(grab.refusal, "");
        }
        EXPECT_TRUE(grab.frame.isNull() || grab.frame.width() <= 8192);
    }
}
