// The lottery window on a 1920 x 1080 screen with a scripted chance: the stretched layout and its
// installed faces, start and stop by button, Enter and click, the files and grid a stop leaves,
// browse, return while rolling, the messages for no tickets and for everyone having won, photos
// that cannot be shown, and preset winners read in GBK.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QScreen>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>

#include "controls/button_st.h"
#include "controls/label.h"
#include "layout/control_table.h"
#include "lottery/param_dialog.h"
#include "lottery/param_layout.h"
#include "platform/message_box.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "offscreen_screens.h"
#include "test_folder.h"
#include "test_pictures.h"
#include "language/language.h"
#include "ui_wait.h"

namespace {

namespace fs = std::filesystem;
using namespace travenor;

// Runs before main: the offscreen platform comes up with one 1920 x 1080 screen.
const bool kFullHdScreen = vantor_test::UseOffscreenScreens(
    "lottery_window", R"({"name":"hd","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96})");

class CountingRandom : public RandomSource {
  public:
    int Next() override { return (next_ = (next_ + 7919) % kRandomRange); }

  private:
    int next_ = 0;
};

constexpr QSize kPicture(320, 180);

class LotteryWindow : public ::testing::Test {
  protected:
    LotteryWindow() : clock_({2026, 3, 8, 20}), service_(boxes_) {}

    void SetUp() override {
        folder_.CopyInstalled({"Bin", "images", "Sound"});
        vantor::LoadProcessLanguageTable();
    }
    void TearDown() override {
        vantor::ProcessLanguageTable().Clear();
        unsetenv("VANTOR_CODEPAGE");
    }

    std::unique_ptr<CParamDialog> Open(const tstring& folder = u"Storage\\2026-3-8\\WithTemplate") {
        auto dialog = std::make_unique<CParamDialog>(
            LotteryServices{clock_, random_, [this](const char16_t* f) { wall_.push_back(tstring(f)); },
                            [this](const tstring& f) { sounds_.push_back(f); }});
        dialog->LoadPhotos(folder);
        return dialog;
    }

    static QString Caption(const CParamDialog& dialog) { return dialog.Button(IDC_LOTTERY_START)->text(); }
    static void Press(CParamDialog& dialog, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &press);
    }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_{folder_.path()};
    vantor::ManualClock clock_;
    CountingRandom random_;
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService service_;
    std::vector<tstring> wall_;
    std::vector<tstring> sounds_;
};

TEST_F(LotteryWindow, OpensFullScreenWithTheDesignedControlsAndTheInstalledSkin) {
    ASSERT_TRUE(vantor_test::WriteJpeg(folder_.path() / "Storage/2026-3-8/WithTemplate/9-0-0.jpg", Qt::blue,
                                       kPicture));
    const auto dialog = Open();
    EXPECT_EQ(dialog->geometry(), QRect(0, 0, 1920, 1080));
    // 389 x 224 units are 584 x 364 pixels, stretched to the screen.
    EXPECT_EQ(dialog->PictureArea().topLeft(), QPoint(0, 0));
    EXPECT_NEAR(dialog->PictureArea().width(), 534 * 1920 / 584, 2);
    EXPECT_EQ(dialog->PictureArea().height(), 1080);
    const QRect start = dialog->Button(IDC_LOTTERY_START)->geometry();
    EXPECT_GT(start.left(), dialog->PictureArea().right());
    EXPECT_NEAR(start.top(), 237 * 1080 / 364, 3);
    EXPECT_EQ(dialog->LevelList().count(), 8);
    EXPECT_EQ(dialog->LevelList().currentIndex(), 6);
    EXPECT_EQ(dialog->CountList().currentText(), "1");
    EXPECT_EQ(dialog->CountList().count(), 5);
    auto* caption = qobject_cast<CLabel*>(vantor::FindControl(dialog.get(), IDC_LOTTERY_LEVEL_CAPTION));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->GetTextColor(), QColor(255, 0, 0));
    EXPECT_EQ(caption->GetText(), GetLanStr(u"12"));
    EXPECT_FALSE(dialog->BackgroundPicture().isNull()) << "the idle picture did not load";
    EXPECT_EQ(dialog->BackgroundPicture().size(), dialog->PictureArea().size());
    EXPECT_EQ(Caption(*dialog), "开始");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(LotteryWindow, RollingThenStopCopiesTheWinnersAndShowsThemInAGrid) {
    const QColor colours[] = {Qt::blue, Qt::green, Qt::yellow, Qt::cyan, Qt::magenta};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(vantor_test::WriteJpeg(
            folder_.path() / ("Storage/2026-3-8/WithTemplate/9-0-" + std::to_string(i) + ".jpg"), colours[i],
            kPicture));
    }
    const auto dialog = Open();
    dialog->show();
    dialog->LevelList().setCurrentIndex(2);
    dialog->CountList().setCurrentIndex(1);  // 4 at once
    dialog->OnStartStop();
    EXPECT_TRUE(dialog->IsRolling());
    EXPECT_EQ(Caption(*dialog), "停止");
    EXPECT_EQ(sounds_, std::vector<tstring>{u"Sound\\beginlot.wav"});
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return dialog->TicksShown() >= 3; }))
        << "the photos did not roll";

    // A click in the right strip does nothing; one in the picture area stops.
    vantor_test::LeftClick(dialog.get(), QPoint(1900, 40));
    EXPECT_TRUE(dialog->IsRolling());
    vantor_test::LeftClick(dialog.get(), QPoint(400, 400));
    EXPECT_FALSE(dialog->IsRolling());
    EXPECT_EQ(Caption(*dialog), "开始");
    ASSERT_EQ(dialog->Draw().Winners().size(), 4u);
    const fs::path level = folder_.path() / "lottery" / "2026-3-8" / "二等奖";
    for (const tstring& winner : dialog->Draw().Winners()) {
        const fs::path copy = level / fs::path(vantor::ToNativePath(winner)).filename();
        EXPECT_TRUE(fs::exists(copy)) << copy;
    }
    // A 2 x 2 grid, all four cells taken.
    const QImage& grid = dialog->BackgroundPicture();
    const QSize cell(grid.width() / 2, grid.height() / 2);
    for (int k = 0; k < 4; ++k) {
        const QColor c =
            grid.pixelColor((k % 2) * cell.width() + cell.width() / 2, (k / 2) * cell.height() + 10);
        EXPECT_FALSE(c.red() > 240 && c.green() < 20 && c.blue() < 20) << "cell " << k << " stayed red";
    }

    // Enter starts again; the last one is drawn and the next start is refused.
    Press(*dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog->IsRolling());
    Press(*dialog, Qt::Key_Enter);
    EXPECT_EQ(dialog->Draw().Winners().size(), 5u);
    const QImage& again = dialog->BackgroundPicture();
    EXPECT_EQ(again.pixelColor(again.width() - 5, again.height() - 5), QColor(255, 0, 0))
        << "three empty cells";
    dialog->OnStartStop();
    EXPECT_FALSE(dialog->IsRolling());
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, GetLanStr(u"22"));
    EXPECT_EQ(boxes_.Boxes()[0].caption, u"tips");

    dialog->OnBrowse();
    EXPECT_EQ(wall_, std::vector<tstring>{u"lottery\\2026-3-8\\二等奖"});
}

TEST_F(LotteryWindow, ReturnWhileRollingDrawsNobody) {
    ASSERT_TRUE(vantor_test::WriteJpeg(folder_.path() / "Storage/2026-3-8/WithTemplate/9-0-0.jpg", Qt::blue,
                                       kPicture));
    const auto dialog = Open();
    dialog->show();
    dialog->OnStartStop();
    dialog->OnReturn();
    EXPECT_FALSE(dialog->IsRolling());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->Draw().Winners().empty());
    EXPECT_FALSE(fs::exists(folder_.path() / "lottery"));
}

TEST_F(LotteryWindow, WithoutTicketsTheWindowSaysSoAndIgnoresStartAndClicks) {
    const auto dialog = Open();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, GetLanStr(u"14"));
    EXPECT_EQ(boxes_.Boxes()[0].caption, GetLanStr(u"21"));
    dialog->show();
    dialog->OnStartStop();
    vantor_test::LeftClick(dialog.get(), QPoint(400, 400));
    Press(*dialog, Qt::Key_Return);
    EXPECT_FALSE(dialog->IsRolling());
    EXPECT_EQ(Caption(*dialog), "开始");
    EXPECT_TRUE(sounds_.empty());
}

TEST_F(LotteryWindow, PhotosThatCannotBeShownAreSkippedAndTheRollingGoesOn) {
    ASSERT_TRUE(vantor_test::WriteJpeg(folder_.path() / "Storage/2026-3-8/WithTemplate/9-0-0.jpg", Qt::blue,
                                       kPicture));
    folder_.Write("Storage/2026-3-8/WithTemplate/9-0-1.jpg", "not a picture");
    folder_.Write("Storage/2026-3-8/WithTemplate/9-0-2.jpg", std::string("\xFF\xD8\xFF\xE0", 4));
    const auto dialog = Open();
    dialog->show();
    dialog->OnStartStop();
    for (int i = 0; i < 30; ++i) {
        dialog->OnRollingTick();
    }
    EXPECT_GT(dialog->TicksShown(), 0);
    EXPECT_LT(dialog->TicksShown(), 30);
    dialog->OnStartStop();
    EXPECT_EQ(dialog->Draw().Winners().size(), 1u) << "the damaged photo still holds a ticket";
}

TEST_F(LotteryWindow, PresetWinnersWrittenInGbkAreDrawnFirstAndAnUnwritableFolderStillShowsThem) {
    setenv("VANTOR_CODEPAGE", "GBK", 1);
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(vantor_test::WriteJpeg(
            folder_.path() / ("Storage/2026-3-8/WithTemplate/9-0-" + std::to_string(i) + ".jpg"), Qt::blue,
            kPicture));
    }
    ASSERT_TRUE(vantor_test::WriteJpeg(folder_.path() / "Storage/2026-3-8/WithTemplate/9-0-9.jpg", Qt::green,
                                       kPicture));
    // 9-0-9.jpg reserved for 三等奖 (in GBK), plus a line of garbage and a key without "=".
    folder_.Write("SetInfo.ini",
                  "[CheatInfo]\r\n\x01\x02\xFE=\xFF\r\nno equals\r\n9-0-9.jpg=\xC8\xFD\xB5\xC8\xBD\xB1\r\n");
    folder_.Write("lottery", "a file where the folder should be");
    const auto dialog = Open();
    dialog->show();
    dialog->LevelList().setCurrentIndex(3);
    dialog->OnStartStop();
    dialog->OnStartStop();
    ASSERT_EQ(dialog->Draw().Winners().size(), 1u);
    EXPECT_TRUE(dialog->Draw().Winners()[0].GetBase().ends_with(u"9-0-9.jpg"));
    const QImage& grid = dialog->BackgroundPicture();
    const QColor shown = grid.pixelColor(grid.width() / 2, grid.height() / 2);
    EXPECT_GT(shown.green(), 200) << "the winner is shown although no copy could be made";
    EXPECT_LT(shown.red(), 60);
    // The operator is told, once, with the folder and the winner; the draw stands.
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    const std::u16string told = boxes_.Boxes()[0].text.GetBase();
    EXPECT_TRUE(told.starts_with(GetLanStr(u"60").GetBase())) << vantor::WideToUtf8(told);
    EXPECT_NE(told.find(u"9-0-9"), std::u16string::npos);
    EXPECT_NE(GetLanStr(u"60").GetBase(), u"60");
    EXPECT_EQ(Caption(*dialog), QStringLiteral("开始"));
}

}  // namespace
