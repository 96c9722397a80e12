// Printing the last sign-in picture: the fit and fill arithmetic, the order of the dialog and the
// question, and pages that really come out of the test command's CUPS queue.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrinterInfo>
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "print/print_flow.h"
#include "print_queue.h"
#include "test_folder.h"
#include "language/language.h"

namespace {

TEST(PrintPlacementTest, FitKeepsTheProportionsAtTheTopLeftAndFillStretches) {
    // Height-limited: page ratio 1.5 > 1.33.
    EXPECT_EQ(PrintPlacement({1800, 1200}, {1600, 1200}, false), QRect(0, 0, 1600, 1200));
    EXPECT_EQ(PrintPlacement({1800, 1200}, {1600, 1200}, true), QRect(0, 0, 1800, 1200));
    // Width-limited: a wide picture on a narrower page, truncated.
    EXPECT_EQ(PrintPlacement({1000, 1000}, {1920, 1080}, false), QRect(0, 0, 1000, 562));
    // A portrait page.
    EXPECT_EQ(PrintPlacement({1200, 1800}, {1600, 1200}, false), QRect(0, 0, 1200, 900));
    EXPECT_EQ(PrintPlacement({1200, 1800}, {900, 1600}, false), QRect(0, 0, 1012, 1800));
}

class ScriptedDialog : public PrintSetupDialog {
  public:
    explicit ScriptedDialog(int& asked, bool confirm) : asked_(asked), confirm_(confirm) {}
    bool Ask(QPrinter&) override {
        ++asked_;
        return confirm_;
    }

  private:
    int& asked_;
    bool confirm_;
};

class PrintFlowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(QPrinterInfo::defaultPrinter().isNull())
            << "no default printer: the test command starts cupsd with the VantorPDF queue as default";
        std::string why;
        output_ = vantor_test::PrintOutputFolder(why);
        ASSERT_FALSE(output_.empty()) << why;
        lock_ = std::make_unique<vantor_test::PrintQueueLock>(output_);
    }
    CAutoSizePrinter::Services Services() {
        CAutoSizePrinter::Services services;
        services.setup_dialog = [this] { return std::make_unique<ScriptedDialog>(dialogs_, confirm_); };
        services.screen_size = [] { return QSize(1920, 1080); };
        return services;
    }
    // A 1600 x 1200 picture: red, with a blue square in its top-left quarter.
    tstring Picture() {
        QImage picture(1600, 1200, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QPainter(&picture).fillRect(0, 0, 800, 600, Qt::blue);
        const std::filesystem::path file = folder_.path() / "9-5-7.jpg";
        picture.save(QString::fromStdString(file.string()), "JPG");
        return vantor::FromNativePath(file.string());
    }
    QImage PrintAndRender(PrintFlow& flow, const tstring& picture) {
        const auto before = vantor_test::PrintedFiles(output_);
        EXPECT_EQ(flow.Print(picture), PrintFlow::Result::Printed);
        const std::filesystem::path job = vantor_test::WaitForNewJob(output_, before);
        EXPECT_FALSE(job.empty()) << "no job came out of the CUPS queue";
        return job.empty() ? QImage() : vantor_test::RenderPdfPage(job, 40);
    }

    vantor_test::TestFolder folder_;
    std::filesystem::path output_;
    std::unique_ptr<vantor_test::PrintQueueLock> lock_;
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService service_{boxes_};
    int dialogs_ = 0;
    bool confirm_ = true;
};

TEST_F(PrintFlowTest, NothingSavedYetSaysSo) {
    PrintFlow flow(Services());
    EXPECT_EQ(flow.Print(tstring()), PrintFlow::Result::NothingSaved);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, GetLanStr(u"8"));
    EXPECT_EQ(boxes_.Boxes()[0].caption, GetLanStr(u"9"));
    EXPECT_EQ(dialogs_, 0);
}

TEST_F(PrintFlowTest, TheFirstPrintAsksForThePrinterAndTheFitOnce) {
    confirm_ = false;
    PrintFlow flow(Services());
    const tstring picture = Picture();
    EXPECT_EQ(flow.Print(picture), PrintFlow::Result::Cancelled);
    EXPECT_EQ(dialogs_, 1);
    EXPECT_TRUE(boxes_.Boxes().empty()) << "no question after a cancel";

    confirm_ = true;
    boxes_.Script({vantor::MessageAnswer::No});
    const QImage fit = PrintAndRender(flow, picture);
    EXPECT_EQ(dialogs_, 2);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, GetLanStr(u"6"));
    EXPECT_EQ(boxes_.Boxes()[0].caption, GetLanStr(u"7"));
    EXPECT_FALSE(flow.FillPage());
    ASSERT_FALSE(fit.isNull());
    // The default printer's landscape page; the picture as wide as the printable area, from its
    // top-left, its proportions kept, white below it.
    const QRect printable = flow.Printer().Printer()->pageLayout().paintRectPixels(40);
    const QRect placed =
        PrintPlacement(printable.size(), {1600, 1200}, false).translated(printable.topLeft());
    auto colour_at = [&](double fx, double fy) {
        return fit.pixelColor(placed.x() + static_cast<int>(fx * placed.width()),
                              placed.y() + static_cast<int>(fy * placed.height()));
    };
    EXPECT_GT(colour_at(0.25, 0.25).blue(), 180) << "the blue quarter at the top-left";
    EXPECT_GT(colour_at(0.75, 0.75).red(), 180);
    EXPECT_LT(colour_at(0.75, 0.75).blue(), 80);
    if (placed.bottom() + 6 < fit.height()) {
        EXPECT_GT(qGray(fit.pixel(fit.width() / 2, placed.bottom() + 4)), 200) << "white below the picture";
    }

    // The next print asks nothing; the menu asks both again.
    PrintAndRender(flow, picture);
    EXPECT_EQ(dialogs_, 2);
    EXPECT_EQ(boxes_.Boxes().size(), 1u);
    boxes_.Script({vantor::MessageAnswer::Yes});
    flow.ChoosePrinterAgain();
    EXPECT_EQ(dialogs_, 3);
    EXPECT_TRUE(flow.FillPage());
    const QImage fill = PrintAndRender(flow, picture);
    ASSERT_FALSE(fill.isNull());
    const QRect area = flow.Printer().Printer()->pageLayout().paintRectPixels(40);
    EXPECT_GT(fill.pixelColor(area.right() - 3, area.bottom() - 3).red(), 180) << "stretched to the corner";
    EXPECT_GT(fill.pixelColor(area.x() + area.width() / 4, area.y() + area.height() / 4).blue(), 180);
}

TEST_F(PrintFlowTest, APictureThatWentMissingPrintsNoEmptyPage) {
    PrintFlow flow(Services());
    boxes_.Script({vantor::MessageAnswer::No});
    const auto before = vantor_test::PrintedFiles(output_);
    EXPECT_EQ(flow.Print(u"Storage\\gone.jpg"), PrintFlow::Result::Unreadable);
    EXPECT_EQ(vantor_test::PrintedFiles(output_), before);
}

// A dialog in which the operator picks the test command's queue that refuses every job.
class RejectingQueueDialog : public PrintSetupDialog {
  public:
    bool Ask(QPrinter& printer) override {
        printer.setPrinterName(QStringLiteral("VantorReject"));
        return true;
    }
};

TEST_F(PrintFlowTest, APrinterThatRefusesTheJobIsToldAndNothingCountsAsPrinted) {
    CAutoSizePrinter::Services services = Services();
    services.setup_dialog = [] { return std::make_unique<RejectingQueueDialog>(); };
    PrintFlow flow(services);
    boxes_.Script({vantor::MessageAnswer::No});
    const auto before = vantor_test::PrintedFiles(output_);
    EXPECT_EQ(flow.Print(Picture()), PrintFlow::Result::NotStarted);
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(boxes_.Boxes()[1].caption, u"连接打印机出错");
    // The queue's own reason, not the advice to add a printer.
    const std::u16string told = boxes_.Boxes()[1].text.GetBase();
    EXPECT_TRUE(told.starts_with(GetLanStr(u"62").GetBase()));
    EXPECT_NE(told.find(u"VantorReject"), std::u16string::npos);
    EXPECT_NE(told.find(u"out of paper"), std::u16string::npos);
    EXPECT_EQ(vantor_test::PrintedFiles(output_), before);
}

// The set-up dialog of a system without printers is confirmed with none: said at once, no fill
// question, and the next print asks for a printer again.
TEST_F(PrintFlowTest, ConfirmingWithoutAPrinterIsToldAtOnceAndAskedAgain) {
    class NoPrinterDialog : public PrintSetupDialog {
      public:
        explicit NoPrinterDialog(int& asked) : asked_(asked) {}
        bool Ask(QPrinter& printer) override {
            ++asked_;
            printer.setPrinterName(QString());
            return true;
        }

      private:
        int& asked_;
    };
    CAutoSizePrinter::Services services = Services();
    services.setup_dialog = [this] { return std::make_unique<NoPrinterDialog>(dialogs_); };
    PrintFlow flow(services);
    for (int round = 1; round <= 2; ++round) {
        EXPECT_EQ(flow.Print(Picture()), PrintFlow::Result::Cancelled);
        EXPECT_EQ(dialogs_, round);
        ASSERT_EQ(boxes_.Boxes().size(), static_cast<std::size_t>(round)) << "no fill question";
        EXPECT_EQ(boxes_.Boxes().back().text, u"请先添加打印机\n并将要打印的打印机设置为默认打印机");
        EXPECT_TRUE(flow.Printer().IsNullPrinter());
    }
}

}  // namespace
