// What the wall's memory does on a real X display: a load adds at most twice its textures' own
// size at its peak (the prepared pictures are kept only until their textures exist, a few dozen at
// most wait for the render thread, and neither the engine nor the driver keeps a 32-bit copy),
// loads that alternate between two folders do not make the process grow, and the memory of a large
// wall goes back to the system once a small one took its place. Built without the sanitizers, whose
// allocators change every figure.
#include <algorithm>
#include <vector>
#include "process_memory.h"
#include "wall_window_fixture.h"

using namespace wall_window_test;
using vantor_test::ResetPeak;
using vantor_test::StatusMegabytes;

namespace {

constexpr int kPictures = 100;

}  // namespace

class WallMemoryTest : public WallWindowTest {
  protected:
    // The shown tiles' textures at 16 bits a pixel, in megabytes.
    double TextureMegabytes() {
        double bytes = 0;
        for (irr::scene::ISceneNode* tile : Tiles()) {
            bytes += static_cast<double>(tile->getScale().X) * tile->getScale().Y * 2.0;
        }
        return bytes / (1024.0 * 1024.0);
    }
};

TEST_F(WallMemoryTest, ALoadAddsAtMostTwiceItsTexturesAtItsPeak) {
    const auto empty = pictures_.path() / "empty";
    const auto folder = pictures_.path() / "day";
    std::filesystem::create_directories(empty);
    WritePictures(folder, kPictures);
    ShowFolder(empty);
    const double before_MB = StatusMegabytes("VmRSS");
    ASSERT_GT(before_MB, 0) << "no /proc/self/status";
    ASSERT_TRUE(ResetPeak()) << "the peak resident size cannot be reset (/proc/self/clear_refs)";
    ShowFolder(folder);
    ASSERT_EQ(Tiles().size(), static_cast<size_t>(kPictures));
    const double added_MB = StatusMegabytes("VmHWM") - before_MB;
    const double textures_MB = TextureMegabytes();
    RecordProperty("added_over_textures", std::to_string(added_MB / textures_MB));
    EXPECT_LE(added_MB, 2.0 * textures_MB) << "textures " << textures_MB << " MB";
}

TEST_F(WallMemoryTest, AlternatingLoadsOfTwoFoldersStayFlat) {
    const auto one = pictures_.path() / "one";
    const auto two = pictures_.path() / "two";
    WritePictures(one, kPictures, "a");
    WritePictures(two, kPictures, "b");
    // A reading after each settled load. A leak raises every later reading; a neighbour's load or
    // an allocator keeping a freed arena for a while raises single ones. So the lowest of the last
    // readings is held against the highest of the first.
    std::vector<double> readings_MB;
    for (int load = 0; load < 22; ++load) {
        ShowFolder(load % 2 == 0 ? one : two);
        ASSERT_TRUE(WaitUntil([&] { return !window_->LoadsPending(); }));
        readings_MB.push_back(StatusMegabytes("VmRSS"));
    }
    const double first_MB = *std::max_element(readings_MB.begin() + 2, readings_MB.begin() + 6);
    const double last_MB = *std::min_element(readings_MB.end() - 4, readings_MB.end());
    EXPECT_LE(last_MB, first_MB * 1.10) << "after the first loads " << first_MB << " MB";
}

TEST_F(WallMemoryTest, ALargeWallsMemoryGoesBackWhenASmallOneReplacesIt) {
    constexpr int kLarge = 3 * kPictures;
    const auto empty = pictures_.path() / "empty";
    const auto large = pictures_.path() / "large";
    const auto small = pictures_.path() / "small";
    std::filesystem::create_directories(empty);
    WritePictures(large, kLarge, "l");
    WritePictures(small, 3, "s");
    ShowFolder(empty);
    ShowFolder(small);
    ASSERT_TRUE(WaitUntil([&] { return !window_->LoadsPending(); }));
    const double before_MB = StatusMegabytes("VmRSS");
    ShowFolder(large);
    const double large_MB = StatusMegabytes("VmRSS") - before_MB;
    ASSERT_GT(large_MB, 0.5 * TextureMegabytes()) << "the large wall did not take memory";
    ShowFolder(small);
    ASSERT_TRUE(WaitUntil([&] { return !window_->LoadsPending(); }));
    const double kept_MB = StatusMegabytes("VmRSS") - before_MB;
    EXPECT_LE(kept_MB, 0.25 * large_MB) << "the large wall took " << large_MB << " MB";
}
