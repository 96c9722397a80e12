// Animated pictures: the stepping by the file's delays, the end of a single pass, hidden ticks,
// and the GIF control on small GIF files kept with the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <filesystem>
#include "picture/gif_animation.h"
#include "picture/gif_image.h"
#include "platform/native_path.h"
#include "platform/window_message.h"
#include "test_folder.h"
#include "test_gif.h"
#include "ui_wait.h"

namespace {

namespace fs = std::filesystem;

TEST(GifAnimationTest, FramesFollowTheFilesDelaysAndLoop) {
    GifAnimation loop({5, 20, 0}, true);
    EXPECT_EQ(loop.Restart(), 50);
    GifAnimation::Step step = loop.Tick(true);
    EXPECT_TRUE(step.advanced);
    EXPECT_EQ(loop.Frame(), 1);
    EXPECT_EQ(step.next_delay_ms, 200);
    // Hidden: the tick is ignored and the same frame waits again.
    step = loop.Tick(false);
    EXPECT_FALSE(step.advanced);
    EXPECT_EQ(loop.Frame(), 1);
    EXPECT_EQ(step.next_delay_ms, 200);
    step = loop.Tick(true);
    EXPECT_EQ(loop.Frame(), 2);
    EXPECT_EQ(step.next_delay_ms, 100) << "a delay of 0 plays as 10 hundredths";
    step = loop.Tick(true);
    EXPECT_EQ(loop.Frame(), 0);
    EXPECT_FALSE(step.ended) << "a looping picture starts over";
}

TEST(GifAnimationTest, ASinglePassEndsWhenItWrapsAndAStillNeverTicks) {
    GifAnimation once({3, 3}, false);
    once.Restart();
    EXPECT_FALSE(once.Tick(true).ended);
    const GifAnimation::Step end = once.Tick(true);
    EXPECT_TRUE(end.ended);
    EXPECT_EQ(once.Frame(), 0);
    GifAnimation still({7}, false);
    EXPECT_FALSE(still.IsAnimated());
    EXPECT_FALSE(still.Tick(true).advanced);
}

// Receives the window messages sent to it.
class Owner : public QWidget {
  public:
    std::vector<std::uint32_t> messages;

  protected:
    bool event(QEvent* event) override {
        if (const vantor::WindowMessageEvent* message = vantor::AsWindowMessage(event)) {
            messages.push_back(message->Message());
            return true;
        }
        return QWidget::event(event);
    }
};

class GifControl : public ::testing::Test {
  protected:
    static tstring Gif(const char* name) {
        return vantor::FromNativePath(vantor_test::TestGif(name).string());
    }

    vantor_test::TestFolder folder_;
    Owner owner_;
};

TEST_F(GifControl, ReadsEveryFrameWithItsDelay) {
    CGifImage gif(true);
    ASSERT_TRUE(gif.Load(Gif("three_delays.gif")));
    ASSERT_EQ(gif.Animation().FrameCount(), 3);
    EXPECT_EQ(gif.Animation().DelayMs(0), 50);
    EXPECT_EQ(gif.Animation().DelayMs(1), 200);
    EXPECT_EQ(gif.Animation().DelayMs(2), 70);
    ASSERT_TRUE(gif.Create(&owner_, 0, 0, 0, 0));
    EXPECT_EQ(gif.size(), QSize(40, 30)) << "the picture's own size where none is given";
    owner_.show();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return gif.Animation().Frame() == 2; }));
    EXPECT_EQ(gif.grab().toImage().pixelColor(20, 15), QColor(Qt::blue));
    gif.hide();
    const int frame = gif.Animation().Frame();
    gif.Tick();
    EXPECT_EQ(gif.Animation().Frame(), frame) << "hidden ticks do not advance";
}

TEST_F(GifControl, ASinglePassTellsItsOwnerAndHides) {
    CGifImage gif(false);
    ASSERT_TRUE(gif.Load(Gif("once_fast.gif")));
    ASSERT_TRUE(gif.Create(&owner_, 0, 0, 80, 60));
    owner_.show();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !owner_.messages.empty(); }));
    EXPECT_EQ(owner_.messages, std::vector<std::uint32_t>{CGifImage::kEndedMessage});
    EXPECT_FALSE(gif.isVisible());
    // Played again from the first frame.
    ASSERT_TRUE(gif.Play());
    EXPECT_TRUE(gif.isVisible());
    EXPECT_EQ(gif.Animation().Frame(), 0);
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return owner_.messages.size() == 2; }));
}

TEST_F(GifControl, AStillABrokenAndAMissingPictureHaveNothingToPlay) {
    CGifImage still(false);
    ASSERT_TRUE(still.Load(Gif("still.gif")));
    ASSERT_TRUE(still.Create(&owner_, 0, 0, 0, 0));
    EXPECT_FALSE(still.Play()) << "a still counts as ended at once";

    const fs::path broken = folder_.Write("broken.gif", "GIF89a not really");
    CGifImage gif(false);
    EXPECT_FALSE(gif.Load(vantor::FromNativePath(broken.string())));
    EXPECT_FALSE(gif.Create(&owner_, 0, 0, 10, 10));
    EXPECT_FALSE(gif.Play());
    EXPECT_FALSE(gif.Load(u"missing.gif"));
}

}  // namespace
