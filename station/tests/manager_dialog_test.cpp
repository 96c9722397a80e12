// The management dialog: the preset list read, shown newest first and written back on closing;
// adding from the file dialog (order, duplicates, the starting folder, the working folder kept);
// deleting; the camera resolution shown and written; a missing settings file.
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

#include "manage/manager_dialog.h"
#include "platform/local_clock.h"
#include "platform/message_box.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "test_folder.h"
#include "language/language.h"
#include "text/qt_text.h"

namespace {

namespace fs = std::filesystem;

vantor::LocalDateTime FifthOfMarch() {
    vantor::LocalDateTime time;
    time.year = 2024;
    time.month = 3;
    time.day = 5;
    time.hour = 9;
    return time;
}

class ManagerDialog : public ::testing::Test {
  protected:
    ManagerDialog() : clock_(FifthOfMarch()), service_(boxes_) {}

    void SetUp() override {
        folder_.CopyInstalled({"Bin"});
        vantor::ProcessLanguageTable().Load(u"Bin\\language.txt", 1);
    }
    void TearDown() override { vantor::ProcessLanguageTable().Clear(); }

    std::unique_ptr<CManagerDialog> Open() {
        return std::make_unique<CManagerDialog>(clock_, nullptr, [this](QWidget*, const tstring& start) {
            starts_.push_back(start);
            fs::current_path(fs::temp_directory_path());  // as a file dialog may
            return answer_;
        });
    }

    // Column `column` of every row, top to bottom.
    static std::vector<QString> Column(const CManagerDialog& dialog, int column) {
        std::vector<QString> texts;
        for (int row = 0; row < dialog.List().rowCount(); ++row) {
            texts.push_back(dialog.List().item(row, column)->text());
        }
        return texts;
    }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_{folder_.path()};
    vantor::ManualClock clock_;
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService service_;
    std::vector<tstring> starts_;
    std::optional<std::vector<tstring>> answer_;
};

TEST_F(ManagerDialog, OpeningAndClosingRewritesTheFileWithTheKnownLevelsInFileOrder) {
    folder_.Write("SetInfo.ini",
                  "[CheatInfo]\r\n9-5-7.jpg=一等奖\r\n1-1-1.jpg=头奖\r\n10-2-3.jpg=特等奖\r\n");
    {
        const auto dialog = Open();
        EXPECT_EQ(Column(*dialog, 0), (std::vector<QString>{"特等奖", "一等奖"}));  // newest first
        EXPECT_EQ(Column(*dialog, 1), (std::vector<QString>{"10-2-3.jpg", "9-5-7.jpg"}));
        EXPECT_EQ(dialog->LevelList().count(), 8);
        EXPECT_EQ(dialog->LevelList().currentText(), "特等奖");
        EXPECT_EQ(dialog->List().horizontalHeaderItem(1)->text(), "照片文件名");
        EXPECT_EQ(dialog->windowTitle(), "Vantor");
        dialog->List().selectRow(0);
        dialog->grab().save(
            QString::fromStdString((vantor_test::ScreenshotFolder() / "manager-dialog.png").string()));
    }
    EXPECT_EQ(folder_.Read("SetInfo.ini"), "[CheatInfo]\n9-5-7.jpg=一等奖\n10-2-3.jpg=特等奖\n");
    EXPECT_TRUE(boxes_.Boxes().empty());

    // Without a file the list starts empty and closing creates it.
    fs::remove(folder_.path() / "SetInfo.ini");
    Open().reset();
    EXPECT_EQ(folder_.Read("SetInfo.ini"), "[CheatInfo]");
}

TEST_F(ManagerDialog, AddingAppendsTheChosenFilesInOrderAndSkipsNamesAlreadyListed) {
    folder_.Write("SetInfo.ini", "[CheatInfo]\n9-5-7.jpg=一等奖\n");
    {
        const auto dialog = Open();
        dialog->LevelList().setCurrentIndex(3);
        answer_ = std::vector<tstring>{u"\\x\\Storage\\2024-3-5\\WithTemplate\\11-0-0.jpg",
                                       u"\\x\\Storage\\2024-3-5\\WithTemplate\\9-5-7.jpg",
                                       u"\\x\\Storage\\2024-3-4\\WithTemplate\\8-0-0.jpg",
                                       u"\\x\\Storage\\2024-3-5\\WithTemplate\\11-0-0.jpg"};
        dialog->OnAdd();
        EXPECT_EQ(fs::current_path(), folder_.path()) << "the working folder was not restored";
        ASSERT_EQ(starts_.size(), 1u);
        EXPECT_EQ(starts_[0],
                  vantor::FromNativePath(folder_.path().string()) + u"\\Storage\\2024-3-5\\WithTemplate");
        EXPECT_EQ(Column(*dialog, 1), (std::vector<QString>{"8-0-0.jpg", "11-0-0.jpg", "9-5-7.jpg"}));
        EXPECT_EQ(Column(*dialog, 0), (std::vector<QString>{"三等奖", "三等奖", "一等奖"}));

        // A cancelled dialog adds nothing and still gives the working folder back.
        answer_.reset();
        dialog->OnAdd();
        EXPECT_EQ(fs::current_path(), folder_.path());
        EXPECT_EQ(dialog->List().rowCount(), 3);
    }
    EXPECT_EQ(folder_.Read("SetInfo.ini"),
              "[CheatInfo]\n9-5-7.jpg=一等奖\n11-0-0.jpg=三等奖\n8-0-0.jpg=三等奖\n");
}

TEST_F(ManagerDialog, DeleteRemovesTheSelectedRecordAndDeleteAllEmptiesTheList) {
    folder_.Write("SetInfo.ini", "[CheatInfo]\na.jpg=一等奖\nb.jpg=二等奖\nc.jpg=三等奖\n");
    {
        const auto dialog = Open();
        dialog->OnDelete();  // nothing selected: nothing happens
        EXPECT_EQ(dialog->List().rowCount(), 3);
        dialog->List().selectRow(1);  // b.jpg (rows are newest first)
        dialog->OnDelete();
        EXPECT_EQ(Column(*dialog, 1), (std::vector<QString>{"c.jpg", "a.jpg"}));
    }
    EXPECT_EQ(folder_.Read("SetInfo.ini"), "[CheatInfo]\na.jpg=一等奖\nc.jpg=三等奖\n");
    {
        const auto dialog = Open();
        dialog->OnDeleteAll();
        EXPECT_EQ(dialog->List().rowCount(), 0);
        EXPECT_TRUE(dialog->Records().Records().empty());
    }
    EXPECT_EQ(folder_.Read("SetInfo.ini"), "[CheatInfo]");
}

TEST_F(ManagerDialog, TheResolutionListShowsTheConfiguredWidthAndWritesOnlyTheOperatorsChoice) {
    const struct {
        const char* width;
        const char* shown;
    } cases[] = {{"640", "640*480"},
                 {"800", "800*600"},
                 {"1024", "1024*768"},
                 {"1280", "1280*720"},
                 {"1920", "640*480"}};
    for (const auto& c : cases) {
        const std::string config = std::string("[camera]\nwidth=") + c.width + "\nheight=1080\n";
        folder_.Write("Bin/config.ini", config);
        Open().reset();
        const auto dialog = Open();
        EXPECT_EQ(dialog->ResolutionList().currentText(), c.shown) << c.width;
        EXPECT_EQ(folder_.Read("Bin/config.ini"), config) << "opening wrote the settings";
    }
    const auto dialog = Open();
    EXPECT_EQ(dialog->ResolutionList().count(), 4);
    dialog->OnResolutionChosen(3);
    EXPECT_EQ(folder_.Read("Bin/config.ini"), "[camera]\nwidth=1280\nheight=720\n");
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, GetLanStr(u"44"));
    EXPECT_EQ(boxes_.Boxes()[0].caption, u"Tips");
    EXPECT_EQ(boxes_.Boxes()[0].icon, vantor::MessageIcon::Warning);
}

TEST_F(ManagerDialog, WithoutTheSettingsFileTheListShowsTheFirstEntryAndNothingIsWritten) {
    fs::remove(folder_.path() / "Bin" / "config.ini");
    const auto dialog = Open();
    // The settings layer reports the missing file, and the read of the width it cannot make.
    ASSERT_FALSE(boxes_.Texts().empty());
    EXPECT_EQ(boxes_.Texts()[0], u"文件不存在:Bin\\config.ini");
    EXPECT_EQ(dialog->ResolutionList().currentText(), "640*480");
    boxes_.Clear();
    dialog->OnResolutionChosen(1);
    EXPECT_FALSE(fs::exists(folder_.path() / "Bin" / "config.ini"));
    // The settings layer says what went wrong; no notice claims the resolution was saved.
    for (const tstring& text : boxes_.Texts()) {
        EXPECT_NE(text, GetLanStr(u"44"));
    }
    EXPECT_FALSE(boxes_.Texts().empty());
}

// Names "SetInfo.ini" could not keep apart are refused with a message; the others are added.
TEST_F(ManagerDialog, NamesTheSettingsFileCannotHoldAreRefusedWithAMessage) {
    folder_.Write("SetInfo.ini", "[CheatInfo]\na.jpg=一等奖\n");
    {
        const auto dialog = Open();
        answer_ = std::vector<tstring>{u"\\d\\a=b.jpg", u"\\d\\;x.jpg", u"\\d\\[x].jpg",  u"\\d\\ lead.jpg",
                                       u"\\d\\A.JPG",   u"\\d\\a.jpg",  u"\\d\\9-0-1.jpg"};
        dialog->OnAdd();
        EXPECT_EQ(Column(*dialog, 1), (std::vector<QString>{"9-0-1.jpg", "a.jpg"}));
        ASSERT_EQ(boxes_.Boxes().size(), 1u) << "one message for all refused names";
        const std::u16string told = boxes_.Boxes()[0].text.GetBase();
        EXPECT_TRUE(told.starts_with(GetLanStr(u"61").GetBase()));
        for (const char16_t* name : {u"a=b.jpg", u";x.jpg", u"[x].jpg", u" lead.jpg", u"A.JPG"}) {
            EXPECT_NE(told.find(name), std::u16string::npos) << vantor::WideToUtf8(name);
        }
        EXPECT_EQ(told.find(u"9-0-1.jpg"), std::u16string::npos);
    }
    EXPECT_EQ(folder_.Read("SetInfo.ini"), "[CheatInfo]\na.jpg=一等奖\n9-0-1.jpg=特等奖\n");
}

// Return and Escape close the dialog whichever control has the focus; Return never presses "添加".
TEST_F(ManagerDialog, ReturnAndEscapeCloseTheDialogAndPressNoButton) {
    folder_.Write("SetInfo.ini", "[CheatInfo]\na.jpg=一等奖\n");
    const auto dialog = Open();
    answer_ = std::vector<tstring>{u"\\d\\b.jpg"};
    std::vector<QWidget*> targets{&dialog->List(), &dialog->LevelList(), &dialog->ResolutionList()};
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->autoDefault() || button->isDefault()) << button->text().toStdString();
        targets.push_back(button);
    }
    ASSERT_EQ(targets.size(), 6u);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        for (QWidget* target : targets) {
            dialog->show();
            target->setFocus();
            QTest::keyClick(target, key);
            EXPECT_FALSE(dialog->isVisible()) << key << " on " << target->metaObject()->className();
            EXPECT_EQ(dialog->result(), key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted);
        }
    }
    EXPECT_TRUE(starts_.empty()) << "the file dialog was opened";
    EXPECT_EQ(dialog->List().rowCount(), 1);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

}  // namespace
